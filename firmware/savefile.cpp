#include "savefile.h"

#include "fileerror.h"

// Std
#include <cerrno>
#include <csignal>
#include <cstdio>

// Qt
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#ifdef Q_OS_LINUX
#include <sys/syscall.h>
#endif
#endif

namespace SaveFile {

namespace {

constexpr int kNameAttempts = 100;

#ifdef Q_OS_WIN
int ErrnoForWindowsError(DWORD error)
{
    switch (error) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_WRITE_PROTECT: return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    default: return 0;
    }
}

// The written bytes reach the disk before the file takes its name.
int FlushToDisk(const QString &fileName)
{
    const std::wstring name = QDir::toNativeSeparators(fileName).toStdWString();
    HANDLE h = ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return ErrnoForWindowsError(::GetLastError());
    const bool ok = ::FlushFileBuffers(h);
    const DWORD error = ok ? 0 : ::GetLastError();
    ::CloseHandle(h);
    return ok ? 0 : ErrnoForWindowsError(error);
}

// Gives `from` the name `to` unless `to` exists; 0 or an errno value (EEXIST when taken).
int RenameNoReplace(const QString &from, const QString &to)
{
    const std::wstring src = QDir::toNativeSeparators(from).toStdWString();
    const std::wstring dst = QDir::toNativeSeparators(to).toStdWString();
    // Without MOVEFILE_REPLACE_EXISTING the move fails when the target exists.
    if (::MoveFileExW(src.c_str(), dst.c_str(), MOVEFILE_WRITE_THROUGH))
        return 0;
    const int err = ErrnoForWindowsError(::GetLastError());
    return err ? err : EIO;
}
#else
int FlushToDisk(int fd)
{
    return ::fsync(fd) == 0 ? 0 : errno;
}

int RenameNoReplace(const QString &from, const QString &to)
{
    const QByteArray src = QFile::encodeName(from);
    const QByteArray dst = QFile::encodeName(to);
#if defined(Q_OS_LINUX) && defined(SYS_renameat2)
    constexpr unsigned kRenameNoReplace = 1;  // RENAME_NOREPLACE
    if (::syscall(SYS_renameat2, AT_FDCWD, src.constData(), AT_FDCWD, dst.constData(), kRenameNoReplace) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
        // The file system cannot rename without replacing: a hard link cannot replace either.
#elif defined(Q_OS_DARWIN)
    if (::renamex_np(src.constData(), dst.constData(), RENAME_EXCL) == 0)
        return 0;
    if (errno != ENOTSUP && errno != EINVAL)
        return errno;
#endif
    if (::link(src.constData(), dst.constData()) == 0) {
        ::unlink(src.constData());
        return 0;
    }
    const int err = errno;
    if (err != EPERM && err != ENOTSUP && err != EOPNOTSUPP)
        return err;
    // A file system without hard links (FAT and the like): check as closely as it allows.
    if (QFileInfo::exists(to) || QFileInfo(to).isSymLink())
        return EEXIST;
    return ::rename(src.constData(), dst.constData()) == 0 ? 0 : errno;
}
#endif

Result SaveNew(const QString &path, const char *data, qint64 size)
{
    const QFileInfo target(path);
    const QDir folder(target.absolutePath());
    QFile temp;
    bool open = false;
    for (int attempt = 0; attempt < kNameAttempts && !open; ++attempt) {
        const QString name = QStringLiteral(".%1.%2.tmp")
                                 .arg(target.fileName())
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        temp.setFileName(folder.filePath(name));
        errno = 0;
        open = temp.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered);
        const int err = open ? 0 : FileError::SavedError();
        if (!open && err != EEXIST)
            return {Outcome::OpenFailed, err};
    }
    if (!open)
        return {Outcome::OpenFailed, EEXIST};

    errno = 0;
    const qint64 written = temp.write(data, size);
    int err = 0;
    if (written != size) {
        err = FileError::SavedError();
        if (err == 0)
            err = EIO;
    }
#ifndef Q_OS_WIN
    if (err == 0)
        err = FlushToDisk(temp.handle());
#endif
    temp.close();
#ifdef Q_OS_WIN
    if (err == 0)
        err = FlushToDisk(temp.fileName());
#endif
    if (err == 0)
        err = RenameNoReplace(temp.fileName(), path);
    if (err == 0)
        return {Outcome::Saved, 0};
    temp.remove();
    return {err == EEXIST ? Outcome::Exists : Outcome::WriteFailed, err};
}

Result SaveReplacing(const QString &path, const char *data, qint64 size)
{
    // The old file is replaced only once every byte of the new one is on disk.
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {Outcome::OpenFailed, FileError::SavedError()};

    errno = 0;
    const qint64 written = file.write(data, size);
    if (written != size) {
        const int err = FileError::SavedError();
        file.cancelWriting();
        file.commit();  // removes the temporary file; the target stays as it was
        return {Outcome::WriteFailed, err};
    }
    errno = 0;
    if (!file.commit())
        return {Outcome::WriteFailed, FileError::SavedError()};
    return {Outcome::Saved, 0};
}

}  // namespace

Result Save(const QString &path, const char *data, qint64 size, bool replace)
{
    return replace ? SaveReplacing(path, data, size) : SaveNew(path, data, size);
}

void IgnoreFileSizeSignal()
{
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

}  // namespace SaveFile
