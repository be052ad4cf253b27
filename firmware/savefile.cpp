#include "savefile.h"

// Std
#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// Qt
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QRandomGenerator>

#include "filename.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef Q_OS_LINUX
#include <linux/capability.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#endif
#ifdef Q_OS_DARWIN
#include <copyfile.h>
#include <sys/xattr.h>
#endif
#endif

namespace SaveFile {

namespace {

constexpr int kNameAttempts = 100;

// Short, so that a target name of any length leaves room for it; hidden on Unix.
QString TemporaryName()
{
    return QStringLiteral(".brindle-%1.tmp").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
}

Target Refused(FileError::Problem problem, const QString &path, const QString &systemText = QString())
{
    Target t;
    t.problem = problem;
    t.problemPath = path;
    t.systemText = systemText;
    return t;
}

#ifdef Q_OS_WIN

// ---- Windows ---------------------------------------------------------------------------

// The longest name of one file that Windows' file systems take, in UTF-16 code units.
constexpr qsizetype kMaxNameLength = 255;

int ErrnoForWindowsError(DWORD error)
{
    switch (error) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2: return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_FILE_TOO_LARGE: return EFBIG;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_TOO_MANY_OPEN_FILES: return EMFILE;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    default: return EIO;
    }
}

Result WindowsFailure(Outcome outcome, DWORD code)
{
    return {outcome, ErrnoForWindowsError(code), FileError::WindowsErrorText(code)};
}

std::wstring Native(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

// A file marked so is deleted when its last handle closes, however the program ends.
bool SetDeleteOnClose(HANDLE h, bool on)
{
    FILE_DISPOSITION_INFO info{};
    info.DeleteFile = on ? TRUE : FALSE;
    return ::SetFileInformationByHandle(h, FileDispositionInfo, &info, sizeof info);
}

// Best effort: not every file system lets a folder be flushed on its own.
void FlushFolder(const QString &folder)
{
    const HANDLE h = ::CreateFileW(Native(folder).c_str(), GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    ::FlushFileBuffers(h);
    ::CloseHandle(h);
}

}  // namespace

Target Resolve(const QString &path)
{
    const QFileInfo info(path);
    // Longer names fail late and obscurely (as a missing path); say what is wrong at once.
    if (info.fileName().size() > kMaxNameLength)
        return Refused(FileError::Problem::Unexpected, path, FileError::WindowsErrorText(ERROR_FILENAME_EXCED_RANGE));
    Target t;
    t.file = path;
    if (info.isSymLink()) {
        if (!info.exists())
            return Refused(FileError::Problem::DanglingLink, path);
        t.file = info.canonicalFilePath();
    }
    if (info.exists()) {
        if (info.isDir())
            return Refused(FileError::Problem::IsFolder, path);
        if (!info.isFile())
            return Refused(FileError::Problem::NotRegular, path);
        t.exists = true;
        return t;
    }
    if (!QFileInfo(info.absolutePath()).isDir())
        return Refused(FileError::Problem::FolderMissing, FileName::FolderPart(path));
    return t;
}

Result Save(const QString &target, const char *data, qint64 size, bool replace, Mode mode)
{
    // ReplaceFileW wants to know the folder: a bare name is taken from the current one.
    const QString file = QFileInfo(target).absoluteFilePath();
    const QString folder = QFileInfo(file).absolutePath();
    if (replace) {
        // The read-only attribute: a file Windows would not let this program write is not replaced.
        const QFileInfo old(file);
        if (old.exists() && !old.isWritable())
            return WindowsFailure(Outcome::OpenFailed, ERROR_ACCESS_DENIED);
        // A file another program holds open without sharing cannot be replaced; found here, the
        // dry run finds it too, and ReplaceFileW is not left to fail half-way.
        const HANDLE held =
            ::CreateFileW(Native(file).c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (held == INVALID_HANDLE_VALUE) {
            const DWORD error = ::GetLastError();
            if (error != ERROR_FILE_NOT_FOUND)
                return WindowsFailure(Outcome::WriteFailed, error);
        } else {
            ::CloseHandle(held);
        }
    }

    HANDLE h = INVALID_HANDLE_VALUE;
    QString temp;
    for (int attempt = 0; attempt < kNameAttempts && h == INVALID_HANDLE_VALUE; ++attempt) {
        temp = folder + QLatin1Char('/') + TemporaryName();
        h = ::CreateFileW(Native(temp).c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                          nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            const DWORD error = ::GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
                return WindowsFailure(Outcome::OpenFailed, error);
        }
    }
    if (h == INVALID_HANDLE_VALUE)
        return WindowsFailure(Outcome::OpenFailed, ERROR_FILE_EXISTS);
    // Until it has its name the file goes with its handle, however the program ends.
    const bool deleteOnClose = SetDeleteOnClose(h, true);
    const auto fail = [&](Outcome outcome, DWORD error) {
        ::CloseHandle(h);
        if (!deleteOnClose)
            ::DeleteFileW(Native(temp).c_str());
        return WindowsFailure(outcome, error);
    };

    if (mode == Mode::Probe) {
        FILE_ALLOCATION_INFO room{};
        room.AllocationSize.QuadPart = size;
        if (!::SetFileInformationByHandle(h, FileAllocationInfo, &room, sizeof room)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL)
                return fail(Outcome::WriteFailed, error);
        }
        if (!::FlushFileBuffers(h))
            return fail(Outcome::WriteFailed, ::GetLastError());
        ::CloseHandle(h);
        if (!deleteOnClose)
            ::DeleteFileW(Native(temp).c_str());
        return {};
    }

    for (qint64 done = 0; done < size;) {
        DWORD written = 0;
        const DWORD chunk = DWORD(std::min<qint64>(size - done, 1 << 30));
        if (!::WriteFile(h, data + done, chunk, &written, nullptr))
            return fail(Outcome::WriteFailed, ::GetLastError());
        if (written == 0)
            return fail(Outcome::WriteFailed, ERROR_WRITE_FAULT);
        done += written;
    }
    if (!::FlushFileBuffers(h))
        return fail(Outcome::WriteFailed, ::GetLastError());
    if (deleteOnClose && !SetDeleteOnClose(h, false))
        return fail(Outcome::WriteFailed, ::GetLastError());
    ::CloseHandle(h);

    const std::wstring from = Native(temp);
    const std::wstring to = Native(file);
    if (!replace) {
        // Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken.
        if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH))
            return {};
        const DWORD error = ::GetLastError();
        ::DeleteFileW(from.c_str());
        const bool taken = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
        return WindowsFailure(taken ? Outcome::Exists : Outcome::WriteFailed, error);
    }
    // ReplaceFileW keeps the old file's attributes and security descriptor.
    if (!::ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        const DWORD error = ::GetLastError();
        // The old file went away meanwhile: the new one simply takes the name.
        const bool moved =
            error == ERROR_FILE_NOT_FOUND
            && ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        if (!moved) {
            ::DeleteFileW(from.c_str());
            return WindowsFailure(Outcome::WriteFailed, error);
        }
    }
    FlushFolder(folder);
    return {};
}

#else

// ---- Unix ------------------------------------------------------------------------------

// Closes a descriptor when it goes out of scope.
class Descriptor
{
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

Result Failure(Outcome outcome, int error)
{
    return {outcome, error, FileError::SystemText(error)};
}

// The signals whose default action ends the program and that a user or a system sends to stop
// one: Ctrl+C, a closed terminal, kill, timeouts and limits.
constexpr std::array kDeferredSignals = {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2, SIGALRM, SIGXCPU};

volatile std::sig_atomic_t g_pendingSignals[NSIG] = {};

void RecordSignal(int signal)
{
    if (signal > 0 && signal < NSIG)
        g_pendingSignals[signal] = 1;
}

// While a named temporary file exists, the signals above are held back and delivered as soon as
// it is gone, so that the program never ends with the file in the folder. Handlers rather than a
// signal mask: a mask holds back only the calling thread's signals, and the wizard has others.
class SignalDeferral
{
public:
    SignalDeferral()
    {
        for (std::size_t i = 0; i < kDeferredSignals.size(); ++i) {
            struct sigaction saved {};
            if (::sigaction(kDeferredSignals[i], nullptr, &saved) != 0)
                continue;
            if (!(saved.sa_flags & SA_SIGINFO) && saved.sa_handler == SIG_IGN)
                continue;  // ignored: nothing to defer
            struct sigaction deferring {};
            deferring.sa_handler = RecordSignal;
            sigfillset(&deferring.sa_mask);
            deferring.sa_flags = SA_RESTART;
            m_saved[i] = saved;
            m_installed[i] = ::sigaction(kDeferredSignals[i], &deferring, nullptr) == 0;
        }
    }
    ~SignalDeferral()
    {
        for (std::size_t i = 0; i < kDeferredSignals.size(); ++i) {
            if (m_installed[i])
                ::sigaction(kDeferredSignals[i], &m_saved[i], nullptr);
        }
        for (std::size_t i = 0; i < kDeferredSignals.size(); ++i) {
            const int signal = kDeferredSignals[i];
            if (m_installed[i] && g_pendingSignals[signal]) {
                g_pendingSignals[signal] = 0;
                ::raise(signal);
            }
        }
    }
    SignalDeferral(const SignalDeferral &) = delete;
    SignalDeferral &operator=(const SignalDeferral &) = delete;

private:
    std::array<struct sigaction, kDeferredSignals.size()> m_saved{};
    std::array<bool, kDeferredSignals.size()> m_installed{};
};

// A descriptor of the folder for the *at calls, so that every step works in the same folder
// even if it is renamed meanwhile. Searching it is enough: reading it is not needed.
int OpenFolder(const QByteArray &folder)
{
#if defined(O_PATH)
    return ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
#elif defined(O_SEARCH)
    return ::open(folder.constData(), O_SEARCH | O_DIRECTORY | O_CLOEXEC);
#else
    return ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
#endif
}

// fsync, and on macOS F_FULLFSYNC, whose fsync leaves the data in the drive's cache.
int Flush(int fd)
{
#ifdef F_FULLFSYNC
    if (::fcntl(fd, F_FULLFSYNC) == 0)
        return 0;
    if (errno != ENOTSUP && errno != EINVAL && errno != ENOTTY)
        return errno;
#endif
    while (::fsync(fd) != 0) {
        if (errno != EINTR)
            return errno;
    }
    return 0;
}

int WriteAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, std::size_t(std::min<qint64>(size, 1 << 30)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        data += n;
        size -= n;
    }
    return 0;
}

// The name only counts once the folder that holds it is on disk.
int SyncFolder(int folder, int file)
{
    Descriptor readable(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!readable.valid()) {
        // A folder that may be written and searched but not read cannot be opened to be synced;
        // its whole file system can.
#ifdef Q_OS_LINUX
        return ::syncfs(file) == 0 ? 0 : errno;
#else
        Q_UNUSED(file);
        ::sync();
        return 0;
#endif
    }
    const int err = Flush(readable.get());
    // Some file systems cannot sync a folder by itself; they write its names with the file.
    return err == EINVAL || err == ENOTSUP || err == EOPNOTSUPP || err == EBADF || err == ENOSYS ? 0 : err;
}

// An append-only or immutable folder or file (chattr +a, +i; chflags on BSD): entries can be
// added to such a folder but never removed or replaced, and such a file is never replaced.
bool IsAppendOnlyOrImmutable(int folder, const char *name)
{
#if defined(Q_OS_LINUX) && defined(STATX_ATTR_APPEND)
    struct statx st {};
    const int flags = AT_SYMLINK_NOFOLLOW | (*name ? 0 : AT_EMPTY_PATH);
    if (::statx(folder, name, flags, STATX_TYPE, &st) != 0)
        return false;
    const quint64 locked = STATX_ATTR_APPEND | STATX_ATTR_IMMUTABLE;
    return (st.stx_attributes & st.stx_attributes_mask & locked) != 0;
#elif defined(UF_APPEND)
    struct stat st {};
    const int r = *name ? ::fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) : ::fstat(folder, &st);
    return r == 0 && (st.st_flags & (UF_APPEND | SF_APPEND | UF_IMMUTABLE | SF_IMMUTABLE)) != 0;
#else
    Q_UNUSED(folder);
    Q_UNUSED(name);
    return false;
#endif
}

// May the process override the sticky folder's rule (CAP_FOWNER, as root has it)?
bool MayOverrideOwnership()
{
#ifdef Q_OS_LINUX
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
    if (::syscall(SYS_capget, &header, data) != 0)
        return ::geteuid() == 0;
    return (data[CAP_TO_INDEX(CAP_FOWNER)].effective & CAP_TO_MASK(CAP_FOWNER)) != 0;
#else
    return ::geteuid() == 0;
#endif
}

// Why the rename that replaces `name` would be refused, found before anything is written: the
// run and the dry run refuse alike, and nothing needs undoing. 0 when it is allowed.
int ReplaceRefusal(int folder, const char *name, const struct stat &old)
{
    // cp does not write a file that it may not write, and neither does a replace.
    if (::faccessat(folder, name, W_OK, AT_EACCESS) != 0)
        return errno;
    struct stat dir {};
    if (::fstat(folder, &dir) != 0)
        return errno;
    // In a sticky folder (/tmp) only the owner of a file or of the folder may replace it.
    const uid_t me = ::geteuid();
    if ((dir.st_mode & S_ISVTX) && old.st_uid != me && dir.st_uid != me && !MayOverrideOwnership())
        return EPERM;
    if (IsAppendOnlyOrImmutable(folder, name) || IsAppendOnlyOrImmutable(folder, ""))
        return EPERM;
    return 0;
}

// Errors that say the file system has no unnamed temporary files (old kernels open the folder
// itself, hence EISDIR).
bool NoUnnamedFiles(int err)
{
    return err == EOPNOTSUPP || err == ENOTSUP || err == EISDIR || err == EINVAL || err == ENOSYS;
}

#ifdef Q_OS_LINUX
// Gives an O_TMPFILE file a name; EEXIST when the name is taken.
int LinkUnnamed(int fd, int folder, const char *name)
{
    char proc[48];
    std::snprintf(proc, sizeof proc, "/proc/self/fd/%d", fd);
    if (::linkat(AT_FDCWD, proc, folder, name, AT_SYMLINK_FOLLOW) == 0)
        return 0;
    int err = errno;
    if (err == ENOENT && ::access("/proc/self/fd", X_OK) != 0) {
        // No /proc: AT_EMPTY_PATH, which needs CAP_DAC_READ_SEARCH before Linux 6.10.
        if (::linkat(fd, "", folder, name, AT_EMPTY_PATH) == 0)
            return 0;
        err = errno;
    }
    return err;
}

// Reserves the room for `size` bytes, so that a dry run finds a full disk; file systems that
// cannot reserve are not asked twice.
int Reserve(int fd, qint64 size)
{
    if (size <= 0 || ::fallocate(fd, 0, 0, off_t(size)) == 0)
        return 0;
    const int err = errno;
    return err == EOPNOTSUPP || err == ENOSYS || err == EINVAL ? 0 : err;
}

// Errors that mean an attribute cannot be read or set by this process or on this file system.
bool AttributeOutOfReach(int err)
{
    return err == EPERM || err == EACCES || err == ENOTSUP || err == EOPNOTSUPP || err == ENODATA;
}

// The attributes whose loss would change who may use the file: the ACL, and the user's own.
bool MustKeep(const QByteArray &name)
{
    return name.startsWith("system.posix_acl_") || name.startsWith("user.");
}

// Reads a list or a value into `out`, growing it while the system says it is too small.
template <typename Call>
int ReadSized(QByteArray &out, Call call)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        ssize_t n = call(nullptr, 0);
        if (n < 0)
            return errno;
        out.resize(qsizetype(n));
        if (n == 0)
            return 0;
        n = call(out.data(), std::size_t(n));
        if (n >= 0) {
            out.resize(qsizetype(n));
            return 0;
        }
        if (errno != ERANGE)
            return errno;
    }
    return ERANGE;
}

QList<QByteArray> Names(const QByteArray &list)
{
    QList<QByteArray> names = list.split('\0');
    names.removeAll(QByteArray());
    return names;
}

// Gives the new file the extended attributes of the old one, the ACL among them
// (system.posix_acl_access), and only those: what a folder's default ACL added goes.
int CopyAttributes(int fd, const QByteArray &oldPath)
{
    QByteArray list;
    int err = ReadSized(list, [&](char *buf, std::size_t n) { return ::llistxattr(oldPath.constData(), buf, n); });
    if (err)
        return AttributeOutOfReach(err) ? 0 : err;
    const QList<QByteArray> oldNames = Names(list);

    if (ReadSized(list, [&](char *buf, std::size_t n) { return ::flistxattr(fd, buf, n); }) == 0) {
        for (const QByteArray &name : Names(list)) {
            if (!oldNames.contains(name) && ::fremovexattr(fd, name.constData()) != 0 && MustKeep(name)
                && !AttributeOutOfReach(errno))
                return errno;
        }
    }
    for (const QByteArray &name : oldNames) {
        QByteArray value;
        err = ReadSized(value, [&](char *buf, std::size_t n) {
            return ::lgetxattr(oldPath.constData(), name.constData(), buf, n);
        });
        if (err) {
            if (AttributeOutOfReach(err))
                continue;
            return err;
        }
        if (::fsetxattr(fd, name.constData(), value.constData(), std::size_t(value.size()), 0) != 0) {
            err = errno;
            if (MustKeep(name) || !AttributeOutOfReach(err))
                return err;
        }
    }
    return 0;
}
#endif

// Gives the new file what the old one was, as `cp --preserve=all` does, apart from its times:
// the owner and group where the process may set them, the ACL and extended attributes, and the
// exact mode bits from stat (never an ACL's mask). The owner goes first, since changing it
// clears the set-user-ID and set-group-ID bits.
int CopyMetadata(int fd, const QByteArray &oldPath, const struct stat &old)
{
    if (::fchown(fd, old.st_uid, old.st_gid) != 0)
        (void)::fchown(fd, uid_t(-1), old.st_gid);
#if defined(Q_OS_LINUX)
    if (const int err = CopyAttributes(fd, oldPath))
        return err;
#elif defined(Q_OS_DARWIN)
    const Descriptor source(::open(oldPath.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (source.valid())
        (void)::fcopyfile(source.get(), fd, nullptr, COPYFILE_ACL | COPYFILE_XATTR);
#else
    Q_UNUSED(oldPath);
#endif
    if (::fchmod(fd, old.st_mode & 07777) != 0)
        return errno;
    return 0;
}

// Gives the named temporary file `from` the name `to` unless `to` exists (EEXIST then).
int RenameNoReplace(int folder, const char *from, const char *to)
{
#if defined(Q_OS_LINUX) && defined(SYS_renameat2)
    constexpr unsigned kRenameNoReplace = 1;  // RENAME_NOREPLACE
    if (::syscall(SYS_renameat2, folder, from, folder, to, kRenameNoReplace) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP && errno != EOPNOTSUPP)
        return errno;
#elif defined(Q_OS_DARWIN)
    if (::renameatx_np(folder, from, folder, to, RENAME_EXCL) == 0)
        return 0;
    if (errno != ENOTSUP && errno != EINVAL)
        return errno;
#endif
    // The file system cannot rename without replacing: a hard link cannot replace either.
    if (::linkat(folder, from, folder, to, 0) == 0) {
        ::unlinkat(folder, from, 0);
        return 0;
    }
    const int err = errno;
    if (err != EPERM && err != ENOTSUP && err != EOPNOTSUPP)
        return err;
    // A file system without hard links (FAT and the like): check as closely as it allows.
    struct stat st {};
    if (::fstatat(folder, to, &st, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT)
        return EEXIST;
    return ::renameat(folder, from, folder, to) == 0 ? 0 : errno;
}

// Splits a path into its folder and its last part, as bytes for the system.
void Split(const QByteArray &path, QByteArray &folder, QByteArray &name)
{
    const qsizetype slash = path.lastIndexOf('/');
    folder = slash < 0 ? QByteArrayLiteral(".") : slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
    name = path.mid(slash + 1);
}

Target RefusedFor(int err, const QString &path)
{
    if (err == EACCES || err == EPERM)
        return Refused(FileError::Problem::AccessDenied, path);
    return Refused(FileError::Problem::Unexpected, path, FileError::SystemText(err));
}

}  // namespace

Target Resolve(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    Target t;
    t.file = path;
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0) {
        const int err = errno;
        if (err != ENOENT && err != ENOTDIR)
            return RefusedFor(err, path);
        // A new file: its folder must be there.
        const QString folder = FileName::FolderPart(path);
        struct stat dir {};
        if (err == ENOTDIR || ::stat(QFile::encodeName(folder).constData(), &dir) != 0 || !S_ISDIR(dir.st_mode))
            return Refused(FileError::Problem::FolderMissing, folder);
        return t;
    }
    if (S_ISLNK(st.st_mode)) {
        // cp's rule: a link to an existing file stands for that file, a link to nothing is refused.
        if (::stat(name.constData(), &st) != 0) {
            const int err = errno;
            if (err == ENOENT || err == ENOTDIR)
                return Refused(FileError::Problem::DanglingLink, path);
            return RefusedFor(err, path);
        }
        if (S_ISREG(st.st_mode)) {
            char *real = ::realpath(name.constData(), nullptr);
            if (!real)
                return RefusedFor(errno, path);
            t.file = QFile::decodeName(real);
            std::free(real);
        }
    }
    if (S_ISDIR(st.st_mode))
        return Refused(FileError::Problem::IsFolder, path);
    if (!S_ISREG(st.st_mode))
        return Refused(FileError::Problem::NotRegular, path);
    t.exists = true;
    return t;
}

Result Save(const QString &file, const char *data, qint64 size, bool replace, Mode mode)
{
    const QByteArray path = QFile::encodeName(file);
    QByteArray folderName;
    QByteArray name;
    Split(path, folderName, name);
    const Descriptor folder(OpenFolder(folderName));
    if (!folder.valid())
        return Failure(Outcome::OpenFailed, errno);

    struct stat old {};
    // A file gone since it was found is simply created by the rename.
    const bool hadOld = replace && ::fstatat(folder.get(), name.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (hadOld) {
        if (const int err = ReplaceRefusal(folder.get(), name.constData(), old))
            return Failure(Outcome::OpenFailed, err);
    }

    // A new file gets the mode every program gives it (the umask and a folder's default ACL
    // decide); a replacing one is private until it has the old file's.
    const mode_t createMode = hadOld ? 0600 : 0666;
    Descriptor fd;
    bool unnamed = false;
#ifdef O_TMPFILE
    fd.reset(::openat(folder.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, createMode));
    unnamed = fd.valid();
    if (!unnamed && !NoUnnamedFiles(errno))
        return Failure(Outcome::OpenFailed, errno);
#endif

    std::optional<SignalDeferral> deferral;
    QByteArray temp;  // the temporary file's name while it has one
    const auto fail = [&](Outcome outcome, int err) {
        if (!temp.isEmpty())
            ::unlinkat(folder.get(), temp.constData(), 0);
        temp.clear();
        return Failure(outcome, err);
    };
    if (!unnamed) {
        // A named temporary file in an append-only folder could never be removed again.
        if (IsAppendOnlyOrImmutable(folder.get(), ""))
            return Failure(Outcome::OpenFailed, EPERM);
        deferral.emplace();
        for (int attempt = 0; attempt < kNameAttempts && !fd.valid(); ++attempt) {
            const QByteArray candidate = QFile::encodeName(TemporaryName());
            fd.reset(::openat(folder.get(), candidate.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                              createMode));
            if (fd.valid())
                temp = candidate;
            else if (errno != EEXIST)
                return Failure(Outcome::OpenFailed, errno);
        }
        if (!fd.valid())
            return Failure(Outcome::OpenFailed, EEXIST);
    }

    if (mode == Mode::Probe) {
#ifdef Q_OS_LINUX
        if (const int err = Reserve(fd.get(), size))
            return fail(Outcome::WriteFailed, err);
#endif
        // A device whose flush fails says so here already.
        if (const int err = Flush(fd.get()))
            return fail(Outcome::WriteFailed, err);
        if (!temp.isEmpty() && ::unlinkat(folder.get(), temp.constData(), 0) != 0)
            return Failure(Outcome::WriteFailed, errno);
        return {};
    }

    if (const int err = WriteAll(fd.get(), data, size))
        return fail(Outcome::WriteFailed, err);
    if (hadOld) {
        if (const int err = CopyMetadata(fd.get(), path, old))
            return fail(Outcome::WriteFailed, err);
    }
    // A flush that fails is a failed save: the bytes may not be on disk.
    if (const int err = Flush(fd.get()))
        return fail(Outcome::WriteFailed, err);

    if (!replace) {
        int err = 0;
#ifdef Q_OS_LINUX
        if (unnamed)
            err = LinkUnnamed(fd.get(), folder.get(), name.constData());
        else
#endif
            err = RenameNoReplace(folder.get(), temp.constData(), name.constData());
        if (err)
            return fail(err == EEXIST ? Outcome::Exists : Outcome::WriteFailed, err);
    } else {
#ifdef Q_OS_LINUX
        if (unnamed) {
            // A rename needs a name to move: the file gets a short one for that moment.
            deferral.emplace();
            int err = EEXIST;
            for (int attempt = 0; attempt < kNameAttempts && err == EEXIST; ++attempt) {
                const QByteArray candidate = QFile::encodeName(TemporaryName());
                err = LinkUnnamed(fd.get(), folder.get(), candidate.constData());
                if (err == 0)
                    temp = candidate;
            }
            if (err)
                return fail(Outcome::WriteFailed, err);
        }
#endif
        if (::renameat(folder.get(), temp.constData(), folder.get(), name.constData()) != 0)
            return fail(Outcome::WriteFailed, errno);
    }
    temp.clear();  // it is the target now

    if (const int err = SyncFolder(folder.get(), fd.get()))
        return Failure(Outcome::WriteFailed, err);
    return {};
}

#endif

void IgnoreFileSizeSignal()
{
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

}  // namespace SaveFile
