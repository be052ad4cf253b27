#pragma once

// Qt
#include <QSet>
#include <QString>
#include <QStringList>

namespace Cli {

// Exit codes. info and write: 0 done, 1 refused or failed, 2 usage error.
// diff: 0 the same, 1 different, 2 any error.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitDifferent = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitDiffError = 2;

// Runs one brindle-cli command line (arguments()[0] is the program) and returns its exit code.
// `unencodable` holds the arguments whose bytes did not survive their conversion to text:
// naming a file with one of them would name another file.
int Run(const QStringList &arguments, const QSet<QString> &unencodable = {});

}  // namespace Cli
