#include "fileerror.h"

// Std
#include <cerrno>
#include <cstring>

// Qt
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "filename.h"
#ifdef Q_OS_WIN
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

QString Describe(Problem problem, const QString &path, const QString &systemText)
{
    QString text;
    switch (problem) {
    case Problem::NotFound: text = QStringLiteral("%1 was not found.").arg(path); break;
    case Problem::AccessDenied: text = QStringLiteral("Access to %1 was denied.").arg(path); break;
    case Problem::DiskFull: text = QStringLiteral("Disk full while accessing %1.").arg(path); break;
    case Problem::Unexpected:
        text = systemText.isEmpty() ? QStringLiteral("An unexpected error occurred while accessing %1.").arg(path)
                                    : QStringLiteral("%1 while accessing %2.").arg(systemText, path);
        break;
    case Problem::IsFolder: text = QStringLiteral("%1 is a folder, not a firmware file.").arg(path); break;
    case Problem::NotRegular: text = QStringLiteral("%1 is not a regular file.").arg(path); break;
    case Problem::BadName:
        text = QStringLiteral("%1 has characters that this system cannot use in a file name.").arg(path);
        break;
    case Problem::FolderMissing: text = QStringLiteral("The folder %1 does not exist.").arg(path); break;
    case Problem::DanglingLink:
        text = QStringLiteral("%1 is a symbolic link to a file that does not exist.").arg(path);
        break;
    }
    text.truncate(kMaxDescription);
    return text;
}

QString DescribeSaveFailure(int savedErrno, const QString &systemText, const QString &path)
{
    switch (savedErrno) {
    case ENOENT:
    case ENOTDIR:
        // The target itself is being created: what is missing is its folder.
        return Describe(Problem::FolderMissing, FileName::FolderPart(path));
    default: break;
    }
    const Problem problem = FromErrno(savedErrno);
    return Describe(problem, path, systemText.isEmpty() ? SystemText(savedErrno) : systemText);
}

QString SystemText(int savedErrno)
{
    if (savedErrno == 0)
        return QString();
    QString text = QString::fromLocal8Bit(std::strerror(savedErrno)).trimmed();
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

#ifdef Q_OS_WIN
QString WindowsErrorText(unsigned long code)
{
    wchar_t *buffer = nullptr;
    const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                         | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
                                     nullptr, DWORD(code), 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    QString text = n && buffer ? QString::fromWCharArray(buffer, int(n)).trimmed() : QString();
    if (buffer)
        ::LocalFree(buffer);
    if (text.isEmpty())
        text = QStringLiteral("Error %1").arg(code);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}
#endif

std::optional<Problem> ForPath(const QString &path)
{
    // A name that changes on its way to the file system would name another file.
    if (!FileName::ReachesFileSystem(path))
        return Problem::BadName;
#ifdef Q_OS_WIN
    // "NUL", "COM1.QUF" and the like open a device in every folder, whatever exists there.
    if (FileName::IsWindowsDeviceName(path))
        return Problem::NotRegular;
#endif
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
