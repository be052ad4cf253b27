#include "sourcefile.h"

// Std
#include <algorithm>
#include <cerrno>
#include <cstring>

// Qt
#include <QDir>
#include <QFile>

#include "filename.h"
#include "retry.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// One read call at most this many bytes; Read loops for more.
constexpr qint64 kMaxChunk = qint64(1) << 30;

}  // namespace

CSourceFile::~CSourceFile()
{
    Close();
}

#ifdef Q_OS_WIN

std::optional<FileError::Problem> CSourceFile::Open(const QString &path)
{
    Close();
    m_error = 0;
    m_nativeError = 0;
    if (!FileName::ReachesFileSystem(path))
        return FileError::Problem::BadName;
    // Opening a named pipe or a device such as NUL or CON does not wait; what it is shows on the
    // handle. A folder opens only with backup semantics, which is what lets it be named as one.
    const QString native = QDir::toNativeSeparators(path);
    m_handle = ::CreateFileW(reinterpret_cast<LPCWSTR>(native.utf16()), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (m_handle == INVALID_HANDLE_VALUE) {
        m_handle = nullptr;
        m_nativeError = ::GetLastError();
        errno = 0;
        m_error = FileError::SavedError();
        if (const std::optional<FileError::Problem> problem = FileError::ForWindowsError(m_nativeError))
            return problem;
        return FileError::ForOpen(path, false, m_error);
    }
    const DWORD type = ::GetFileType(m_handle);
    BY_HANDLE_FILE_INFORMATION info{};
    LARGE_INTEGER size{};
    if (type != FILE_TYPE_DISK || !::GetFileInformationByHandle(m_handle, &info)) {
        Close();
        return FileError::Problem::NotRegular;
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        Close();
        return FileError::Problem::IsFolder;
    }
    if (!::GetFileSizeEx(m_handle, &size)) {
        m_nativeError = ::GetLastError();
        errno = 0;
        m_error = FileError::SavedError();
        Close();
        return FileError::ForTransfer(m_error);
    }
    m_size = size.QuadPart;
    return std::nullopt;
}

qint64 CSourceFile::ReadOnce(char *data, qint64 max)
{
    DWORD got = 0;
    if (!::ReadFile(m_handle, data, DWORD(std::min(max, kMaxChunk)), &got, nullptr)) {
        m_nativeError = ::GetLastError();
        errno = 0;
        m_error = FileError::SavedError();
        return -1;
    }
    return got;
}

void CSourceFile::Close()
{
    if (m_handle)
        ::CloseHandle(m_handle);
    m_handle = nullptr;
}

#else

std::optional<FileError::Problem> CSourceFile::Open(const QString &path)
{
    Close();
    m_error = 0;
    // The name's bytes, which need not be UTF-8; text that no bytes give names no file.
    QByteArray name;
    if (!FileName::ToNative(path, name))
        return FileError::Problem::BadName;
    // Without O_NONBLOCK, opening a pipe waits for a writer and opening a serial line for its
    // carrier; with it, both return at once and show what they are below.
    m_fd = RetryInterrupted([&] { return ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC); });
    struct stat st {};
    if (m_fd < 0) {
        m_error = errno;
        // A socket cannot be opened at all; say what it is rather than why opening failed.
        if (RetryInterrupted([&] { return ::stat(name.constData(), &st); }) == 0) {
            if (S_ISDIR(st.st_mode))
                return FileError::Problem::IsFolder;
            if (!S_ISREG(st.st_mode))
                return FileError::Problem::NotRegular;
        }
        // The reason is the one open() gave: another look at the name could find another file.
        return FileError::FromErrno(m_error);
    }
    if (RetryInterrupted([&] { return ::fstat(m_fd, &st); }) != 0) {
        m_error = errno;
        Close();
        return FileError::FromErrno(m_error);
    }
    if (S_ISDIR(st.st_mode) || !S_ISREG(st.st_mode)) {
        Close();
        return S_ISDIR(st.st_mode) ? FileError::Problem::IsFolder : FileError::Problem::NotRegular;
    }
    // Reading a regular file never waits; the reads are ordinary blocking ones again.
    const int flags = RetryInterrupted([&] { return ::fcntl(m_fd, F_GETFL); });
    if (flags < 0 || RetryInterrupted([&] { return ::fcntl(m_fd, F_SETFL, flags & ~O_NONBLOCK); }) != 0) {
        m_error = errno;
        Close();
        return FileError::FromErrno(m_error);
    }
    m_size = qint64(st.st_size);
    return std::nullopt;
}

qint64 CSourceFile::ReadOnce(char *data, qint64 max)
{
    ssize_t got;
    do
        got = ::read(m_fd, data, size_t(std::min(max, kMaxChunk)));
    while (got < 0 && errno == EINTR);
    if (got < 0)
        m_error = errno;
    return got;
}

void CSourceFile::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

#endif

qint64 CSourceFile::Read(char *data, qint64 max)
{
    qint64 total = 0;
    while (total < max) {
        const qint64 got = ReadOnce(data + total, max - total);
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        total += got;
    }
    return total;
}

QString CSourceFile::ErrorText() const
{
#ifdef Q_OS_WIN
    if (m_nativeError != 0)
        return FileError::WindowsErrorText(m_nativeError);
#endif
    return FileError::SystemText(m_error);
}
