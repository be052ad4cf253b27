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
#else
#include <sys/stat.h>
#endif

namespace FileError {

namespace {

constexpr int kMaxDescription = 1024;

}  // namespace

Problem FromErrno(int err)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR: return Problem::NotFound;
    case EACCES:
    case EPERM: return Problem::AccessDenied;
    case EISDIR: return Problem::IsFolder;
    case EROFS: return Problem::ReadOnly;
    case ENOSPC: return Problem::DiskFull;
    default: return Problem::Unexpected;  // EFBIG, EDQUOT, EIO ...: the system says best what they are
    }
}

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
    case Problem::ReadOnly:
        text = QStringLiteral("%1 cannot be written: its file system is read-only.").arg(path);
        break;
    case Problem::NotAFolder: text = QStringLiteral("%1 is not a folder.").arg(path); break;
    case Problem::MountPoint:
        text = QStringLiteral("%1 is a mount point: another file system is mounted on it, so it cannot be replaced.")
                   .arg(path);
        break;
    case Problem::NoSafeNewName:
        text = QStringLiteral("%1 was not created: its file system has neither hard links nor a rename that never "
                              "replaces, so the name could not be taken without the risk of replacing a file "
                              "that another program creates at the same moment.")
                   .arg(path);
        break;
    case Problem::InUse:
        text = QStringLiteral("%1 is open in another program that does not share it. Close it there and try again.")
                   .arg(path);
        break;
    case Problem::Changed:
        text =
            QStringLiteral("%1 was replaced by another file while it was being saved; nothing was written.").arg(path);
        break;
    case Problem::ReadFailed:
        text = QStringLiteral("%1 while reading %2.")
                   .arg(systemText.isEmpty() ? QStringLiteral("An unexpected error occurred") : systemText, path);
        break;
    case Problem::Shrunk: text = QStringLiteral("%1 became shorter while it was being read.").arg(path); break;
    }
    text.truncate(kMaxDescription);
    return text;
}

Cause SaveCause(int savedErrno, const QString &systemText, const QString &path)
{
    // The target itself is being created: what is missing is its folder.
    if (savedErrno == ENOENT || savedErrno == ENOTDIR)
        return {Problem::FolderMissing, FileName::FolderPart(path), QString()};
    return {FromErrno(savedErrno), path, systemText.isEmpty() ? SystemText(savedErrno) : systemText};
}

QString DescribeSaveFailure(int savedErrno, const QString &systemText, const QString &path)
{
    const Cause cause = SaveCause(savedErrno, systemText, path);
    return Describe(cause.problem, cause.path, cause.systemText);
}

QString DescribeUnflushed(const QString &path, bool folder, const QString &systemText)
{
    const QString text = folder ? QStringLiteral("%1 was written, but the folder could not be flushed to disk: %2.")
                                : QStringLiteral("%1 was written, but it could not be flushed to disk: %2.");
    return text.arg(path, systemText).left(kMaxDescription);
}

QString DescribeLeftover(const QString &path, const QString &systemText)
{
    return QStringLiteral("The temporary file %1 could not be removed: %2.")
        .arg(path, systemText)
        .left(kMaxDescription);
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

#ifdef Q_OS_WIN
std::optional<Problem> ForWindowsError(unsigned long code)
{
    switch (code) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return Problem::InUse;
    case ERROR_WRITE_PROTECT: return Problem::ReadOnly;
    default: return std::nullopt;
    }
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
#ifdef Q_OS_WIN
    const QFileInfo info(path);  // follows symbolic links
    if (!info.exists())
        return std::nullopt;
    if (info.isDir())
        return Problem::IsFolder;
    if (!info.isFile())
        return Problem::NotRegular;
#else
    // Through the name's bytes, which need not be UTF-8; stat follows symbolic links.
    QByteArray bytes;
    FileName::ToNative(path, bytes);
    struct stat st {};
    if (::stat(bytes.constData(), &st) != 0)
        return std::nullopt;
    if (S_ISDIR(st.st_mode))
        return Problem::IsFolder;
    if (!S_ISREG(st.st_mode))
        return Problem::NotRegular;
#endif
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
        case ERROR_NETWORK_ACCESS_DENIED: return EACCES;
        // Told apart by ForWindowsError; as errno values the nearest causes.
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION: return EBUSY;
        case ERROR_WRITE_PROTECT: return EROFS;
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
