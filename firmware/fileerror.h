#pragma once

// Std
#include <optional>

// Qt
#include <QString>

// Readable descriptions of failed file operations. Each names the file.
namespace FileError {

enum class Problem {
    NotFound,       // the file or one of its folders is missing
    AccessDenied,   // permissions, or a file the program may not replace
    DiskFull,       // no space left on the device
    Unexpected,     // told in the system's words, or as an unexpected error
    IsFolder,       // a folder where a firmware file was expected
    NotRegular,     // a device, pipe or socket: nothing a firmware file can be read from or saved as
    BadName,        // a name that the system's file names cannot hold unchanged
    FolderMissing,  // the folder a file is to be created in does not exist; the path is the folder's
    DanglingLink,   // a symbolic link to a file that does not exist: nothing is written through it
    ReadOnly,       // the file system is mounted read-only
    NotAFolder,     // a file where the path needs a folder; the path is that file's
    MountPoint,     // another file system is mounted on the file: it cannot be replaced
    NoSafeNewName,  // the file system can take a new name only at the risk of replacing a file
    InUse,          // another program holds the file open without sharing it (Windows)
    Changed,        // the file was swapped for another while it was being replaced
    ReadFailed,     // reading an open file failed; told in the system's words
    Shrunk,         // the file became shorter while it was being read
};

// "%1 was not found." and the like, at most 1024 characters. For Problem::Unexpected and
// Problem::ReadFailed, `systemText` (the system's own description of the error, see SystemText)
// takes the place of "An unexpected error occurred" when there is one.
QString Describe(Problem problem, const QString &path, const QString &systemText = QString());

// The problem an errno value stands for, where it has a sentence of its own (a missing file,
// denied access, a full disk, a read-only file system, a folder); else Problem::Unexpected, told
// in the system's words.
Problem FromErrno(int savedErrno);

// What a failed save names and why: the problem, the path it is about and the system's text.
struct Cause {
    Problem problem = Problem::Unexpected;
    QString path;
    QString systemText;
};

// The cause of a save that failed with `savedErrno` on `path` (the target as the user gave it):
// a missing folder names the folder, and an error without a sentence of its own is told in the
// system's words (`systemText`, else its text for the errno value).
Cause SaveCause(int savedErrno, const QString &systemText, const QString &path);

// The message of SaveCause.
QString DescribeSaveFailure(int savedErrno, const QString &systemText, const QString &path);

// A file that has its name and its new bytes, but whose flush after the naming failed:
// "%1 was written, but the folder could not be flushed to disk: %2." (`folder`), or "... but it
// could not be flushed to disk: ...".
QString DescribeUnflushed(const QString &path, bool folder, const QString &systemText);

// A temporary file that could not be removed, for a sentence after the message of the save:
// "The temporary file %1 could not be removed: %2."
QString DescribeLeftover(const QString &path, const QString &systemText);

// The system's description of an errno value ("Input/output error"), without a final period;
// empty for 0.
QString SystemText(int savedErrno);

#ifdef Q_OS_WIN
// The system's description of a Windows error code (GetLastError), without a final period.
QString WindowsErrorText(unsigned long code);
// The problem a Windows error code stands for where it has a sentence of its own: a file that
// another program holds open without sharing it (ERROR_SHARING_VIOLATION, ERROR_LOCK_VIOLATION)
// or a write-protected disk; else nothing.
std::optional<Problem> ForWindowsError(unsigned long code);
#endif

// What makes `path` unusable as a firmware file before anything is opened: a folder, a device,
// pipe or socket (a symbolic link counts as what it points to), a name that does not survive
// the conversion to the system's file-name encoding, or on Windows a device name such as NUL or
// COM1.QUF (FileName::IsWindowsDeviceName). Nothing for a regular file or a free name.
std::optional<Problem> ForPath(const QString &path);

// Why opening `path` failed; `savedErrno` is errno right after the failing call (0 if unknown).
// Looks at the path through Qt: for Windows, where errno is not set by every file call.
Problem ForOpen(const QString &path, bool forWriting, int savedErrno);

// Why a read or write on an open file failed.
Problem ForTransfer(int savedErrno);

// The reason for the file call that just failed, as an errno value: errno itself, or on Windows,
// where Qt's file calls leave errno alone, the system's last error code turned into its errno
// equivalent. Call it right after the failing call, before anything else touches the file system.
int SavedError();

}  // namespace FileError
