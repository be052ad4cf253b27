#pragma once

// Qt
#include <QSet>
#include <QString>
#include <QStringList>

#include "console.h"

namespace Cli {

// Exit codes. info and write: 0 done, 1 refused or failed, 2 usage error; write: 3 TARGET
// written, but its report lost. diff: 0 the same, 1 different, 2 any error.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitDifferent = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitDiffError = 2;
inline constexpr int kExitReportLost = 3;

// One brindle-cli command line, as main decoded it.
struct Invocation {
    QStringList arguments;  // arguments[0] is the program
    // The arguments whose bytes did not survive their conversion to text: naming a file with one
    // of them would name another file. Empty where arguments arrive as text (Windows).
    QSet<QString> unencodable;
};

// Runs one brindle-cli command line and returns its exit code. Everything it prints, and the
// profile it may read from standard input, goes through `console`.
int Run(const Invocation &invocation, IConsole &console);

}  // namespace Cli
