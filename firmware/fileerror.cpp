#include "fileerror.h"

// Std
#include <cerrno>

// Qt
#include <QDir>
#include <QFileInfo>

namespace FileError {

namespace {

constexpr int kMaxDescription = 1024;

Problem FromErrno(int err)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return Problem::NotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
        return Problem::AccessDenied;
    case ENOSPC:
    case EFBIG:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return Problem::DiskFull;
    default:
        return Problem::Unexpected;
    }
}

}  // namespace

QString Describe(Problem problem, const QString &path)
{
    QString text;
    switch (problem) {
    case Problem::NotFound:
        text = QStringLiteral("%1 was not found.").arg(path);
        break;
    case Problem::AccessDenied:
        text = QStringLiteral("Access to %1 was denied.").arg(path);
        break;
    case Problem::DiskFull:
        text = QStringLiteral("Disk full while accessing %1.").arg(path);
        break;
    case Problem::Unexpected:
        text = QStringLiteral("An unexpected error occurred while accessing %1.").arg(path);
        break;
    }
    text.truncate(kMaxDescription);
    return text;
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

Problem ForTransfer(int savedErrno)
{
    const Problem problem = FromErrno(savedErrno);
    return problem == Problem::NotFound ? Problem::Unexpected : problem;
}

}  // namespace FileError
