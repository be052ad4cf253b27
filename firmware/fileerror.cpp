#include "fileerror.h"

// Std
#include <cerrno>

// Qt
#include <QDir>
#include <QFile>
#include <QFileInfo>
#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace FileError {

namespace {

constexpr int kMaxDescription = 1024;

Problem FromErrno(int err)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR: return Problem::NotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return Problem::AccessDenied;
    case ENOSPC:
    case EFBIG:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return Problem::DiskFull;
    default: return Problem::Unexpected;
    }
}

}  // namespace

QString Describe(Problem problem, const QString &path)
{
    QString text;
    switch (problem) {
    case Problem::NotFound: text = QStringLiteral("%1 was not found.").arg(path); break;
    case Problem::AccessDenied: text = QStringLiteral("Access to %1 was denied.").arg(path); break;
    case Problem::DiskFull: text = QStringLiteral("Disk full while accessing %1.").arg(path); break;
    case Problem::Unexpected:
        text = QStringLiteral("An unexpected error occurred while accessing %1.").arg(path);
        break;
    case Problem::IsFolder: text = QStringLiteral("%1 is a folder, not a firmware file.").arg(path); break;
    case Problem::NotRegular: text = QStringLiteral("%1 is not a regular file.").arg(path); break;
    case Problem::BadName:
        text = QStringLiteral("%1 has characters that this system cannot use in a file name.").arg(path);
        break;
    }
    text.truncate(kMaxDescription);
    return text;
}

std::optional<Problem> ForPath(const QString &path)
{
    // A name that changes on its way to the file system would name another file.
    if (QFile::decodeName(QFile::encodeName(path)) != path)
        return Problem::BadName;
    const QFileInfo info(path);  // follows symbolic links
    if (!info.exists())
        return std::nullopt;
    if (info.isDir())
        return Problem::IsFolder;
    if (!info.isFile())
        return Problem::NotRegular;
    return std::nullopt;
}

Problem ForOpen(const QString &path, bool forWriting, int savedErrno)
{
    // Look at the file system first: errno is not set on every platform.
    const QFileInfo info(path);
    if (info.isDir())
        return Problem::AccessDenied;
    if (!forWriting) {
        if (!info.exists())
            return Problem::NotFound;
        if (!info.isReadable())
            return Problem::AccessDenied;
    } else {
        const QFileInfo folder(info.absolutePath());
        if (!folder.exists() || !folder.isDir())
            return Problem::NotFound;
        if (info.exists() && !info.isWritable())
            return Problem::AccessDenied;
        if (!folder.isWritable())
            return Problem::AccessDenied;
    }
    return FromErrno(savedErrno);
}

int SavedError()
{
    const int err = errno;
#ifdef Q_OS_WIN
    if (err == 0) {
        switch (::GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME: return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
        case ERROR_NETWORK_ACCESS_DENIED: return EACCES;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return ENOSPC;
        case ERROR_FILE_TOO_LARGE: return EFBIG;
        case ERROR_SUCCESS: return 0;
        default: return EIO;
        }
    }
#endif
    return err;
}

Problem ForTransfer(int savedErrno)
{
    const Problem problem = FromErrno(savedErrno);
    return problem == Problem::NotFound ? Problem::Unexpected : problem;
}

}  // namespace FileError
