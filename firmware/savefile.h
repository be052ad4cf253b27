#pragma once

// Qt
#include <QString>
#include <QtGlobal>

// Saving a finished file under its name, all at once: the bytes go to a temporary file beside
// the target, are flushed to disk, and only then does the file take the target's name. A failed
// save leaves the target as it was and no temporary file behind.
namespace SaveFile {

enum class Outcome {
    Saved,
    Exists,       // replacing was not allowed and something has the name now
    OpenFailed,   // the file could not be created
    WriteFailed,  // writing, flushing or naming the file failed
};

struct Result {
    Outcome outcome = Outcome::Saved;
    int error = 0;  // errno of the failing call, 0 if unknown
};

// Saves `size` bytes as `path`. With `replace` an existing file is replaced in one step;
// without it the last step fails with Outcome::Exists when the name is taken, even by a file
// that appeared while the bytes were being written.
Result Save(const QString &path, const char *data, qint64 size, bool replace);

// A write past a file-size limit must fail with EFBIG, to be reported like a full disk,
// instead of ending the program by the signal the system sends. Call once at start-up.
void IgnoreFileSizeSignal();

}  // namespace SaveFile
