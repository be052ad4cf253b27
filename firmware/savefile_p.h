#pragma once

// The platforms' halves of SaveFile, and what they share. Not for use outside savefile*.cpp.

// Qt
#include <QString>

#include "savefile.h"

namespace SaveFile::Internal {

// How many names a temporary file tries before the save gives up.
constexpr int kNameAttempts = 100;

// Short, so that a target name of any length leaves room for it; hidden on Unix.
QString TemporaryName();

// A target that cannot be saved as, naming `path`.
Target Refused(FileError::Problem problem, const QString &path, const QString &systemText = QString());

// The platform's half of Resolve: what stands at `name` (already as saved). Sets the target's
// `file` and `exists`, or its `refusal`.
Target Examine(const QString &name);

// The platform's half of Save: saves as `file`, replacing it when `replace`. Sets the outcome,
// what the system reported, and a leftover temporary file by its name in the folder.
Result SaveAs(const QString &file, const char *data, qint64 size, bool replace, Mode mode);

}  // namespace SaveFile::Internal
