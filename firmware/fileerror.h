#pragma once

// Qt
#include <QString>

// Readable descriptions of failed file operations. Each names the file.
namespace FileError {

enum class Problem {
    NotFound,      // the file or one of its folders is missing
    AccessDenied,  // permissions, a read-only file, or a folder where a file was expected
    DiskFull,      // no space left, or over a file-size limit
    Unexpected,
};

// "%1 was not found." and the like, at most 1024 characters.
QString Describe(Problem problem, const QString &path);

// Why opening `path` failed; `savedErrno` is errno right after the failing call (0 if unknown).
Problem ForOpen(const QString &path, bool forWriting, int savedErrno);

// Why a read or write on an open file failed.
Problem ForTransfer(int savedErrno);

// The reason for the file call that just failed, as an errno value: errno itself, or on Windows,
// where Qt's file calls leave errno alone, the system's last error code turned into its errno
// equivalent. Call it right after the failing call, before anything else touches the file system.
int SavedError();

}  // namespace FileError
