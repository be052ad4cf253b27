#pragma once

// Std
#include <optional>

// Qt
#include <QString>

// Readable descriptions of failed file operations. Each names the file.
namespace FileError {

enum class Problem {
    NotFound,      // the file or one of its folders is missing
    AccessDenied,  // permissions, a read-only file, or a folder where a file was expected
    DiskFull,      // no space left, or over a file-size limit
    Unexpected,
    IsFolder,       // a folder where a firmware file was expected
    NotRegular,     // a device, pipe or socket: nothing a firmware file can be read from or saved as
    BadName,        // a name that the system's file-name encoding cannot hold unchanged
    FolderMissing,  // the folder a file is to be created in does not exist; the path is the folder's
    DanglingLink,   // a symbolic link to a file that does not exist: nothing is written through it
};

// "%1 was not found." and the like, at most 1024 characters. For Problem::Unexpected,
// `systemText` (the system's own description of the error, see SystemText) takes the place of
// "An unexpected error occurred" when there is one.
QString Describe(Problem problem, const QString &path, const QString &systemText = QString());

// What a failed save tells the user, naming `path` (the target as the user gave it): a missing
// folder names the folder, and an error without a text of its own is told in the system's words.
QString DescribeSaveFailure(int savedErrno, const QString &systemText, const QString &path);

// The system's description of an errno value ("Input/output error"), without a final period;
// empty for 0.
QString SystemText(int savedErrno);

#ifdef Q_OS_WIN
// The system's description of a Windows error code (GetLastError), without a final period.
QString WindowsErrorText(unsigned long code);
#endif

// What makes `path` unusable as a firmware file before anything is opened: a folder, a device,
// pipe or socket (a symbolic link counts as what it points to), a name that does not survive
// the conversion to the system's file-name encoding, or on Windows a device name such as NUL or
// COM1.QUF (FileName::IsWindowsDeviceName). Nothing for a regular file or a free name.
std::optional<Problem> ForPath(const QString &path);

// Why opening `path` failed; `savedErrno` is errno right after the failing call (0 if unknown).
Problem ForOpen(const QString &path, bool forWriting, int savedErrno);

// Why a read or write on an open file failed.
Problem ForTransfer(int savedErrno);

// The reason for the file call that just failed, as an errno value: errno itself, or on Windows,
// where Qt's file calls leave errno alone, the system's last error code turned into its errno
// equivalent. Call it right after the failing call, before anything else touches the file system.
int SavedError();

}  // namespace FileError
