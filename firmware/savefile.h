#pragma once

// Std
#include <optional>

// Qt
#include <QString>
#include <QtGlobal>

#include "fileerror.h"

// Saving a finished file under its name, all at once, the way git's lockfile and
// `cp --preserve=all` do it. The bytes go to a temporary file in the target's folder (one
// without a name where the system has them, Linux's O_TMPFILE; else a short hidden name), are
// flushed to disk and checked, and only then does the file take the target's name; the folder is
// synced after that, so the name survives a power cut. A failed save leaves the target as it was
// and no temporary file behind, and so does a save interrupted by a signal: only a kill that
// cannot be caught, in the moment a named temporary file exists, can leave one.
//
// A replace gives a new file that keeps what the old one was: its mode bits (from stat), its
// ACL and extended attributes and, where the process may set them, its owner and group; on
// Windows its attributes and security descriptor (ReplaceFileW). Hard links to the old file
// keep the old content.
namespace SaveFile {

// What stands at the name a file is to be saved as, by cp's rule for symbolic links: a link to
// an existing file stands for that file, which is replaced in its own folder (the link stays);
// a link to nothing is refused. The run and the dry run both start here.
struct Target {
    std::optional<FileError::Problem> problem;  // set when the name cannot be saved as
    QString problemPath;  // what the refusal names: the path given, or for a missing folder the folder
    QString systemText;   // for Problem::Unexpected: the system's text
    QString file;         // the file to create or replace
    bool exists = false;  // `file` exists and saving replaces it
};

Target Resolve(const QString &path);

enum class Outcome {
    Saved,
    Exists,       // replacing was not allowed and something has the name now
    OpenFailed,   // the temporary file could not be created, or the target may not be replaced
    WriteFailed,  // writing, flushing or naming the file failed
};

struct Result {
    Outcome outcome = Outcome::Saved;
    int error = 0;       // errno of the failing call (its equivalent on Windows), 0 if unknown
    QString systemText;  // the system's description of the failure, empty if none
};

enum class Mode {
    Save,
    // A dry run: every step up to the writing, in the real folder, then the temporary file is
    // discarded. Room for the bytes is reserved where the file system can, so a full disk is
    // found too, and the empty file is flushed, so a device whose flush fails is. Nothing is
    // left changed.
    Probe,
};

// Saves `size` bytes as `file` (a Target's file). With `replace` an existing file is replaced in
// one step; without it the naming step fails with Outcome::Exists when the name is taken, even by
// a file that appeared while the bytes were being written.
Result Save(const QString &file, const char *data, qint64 size, bool replace, Mode mode = Mode::Save);

// A write past a file-size limit must fail with EFBIG, to be reported like a full disk,
// instead of ending the program by the signal the system sends. Call once at start-up.
void IgnoreFileSizeSignal();

}  // namespace SaveFile
