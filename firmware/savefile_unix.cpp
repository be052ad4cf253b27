// Saving a file on Linux, macOS and the other Unix systems: every step through a descriptor of
// the target's folder (the *at calls), an unnamed temporary file where the system has them.
#include "savefile.h"

// Std
#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <optional>

// Qt
#include <QByteArray>
#include <QList>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
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

#include "filename.h"
#include "retry.h"
#include "savefile_p.h"

namespace SaveFile {

using namespace Internal;

namespace {

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
    Result r;
    r.outcome = outcome;
    r.error = error;
    r.systemText = FileError::SystemText(error);
    return r;
}

Result Refusal(Outcome outcome, FileError::Problem problem, const QString &path = QString())
{
    Result r;
    r.outcome = outcome;
    r.problem = problem;
    r.problemPath = path;
    return r;
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
    constexpr int kSearch = O_PATH;
#elif defined(O_SEARCH)
    constexpr int kSearch = O_SEARCH;
#else
    constexpr int kSearch = O_RDONLY;
#endif
    return RetryInterrupted([&] { return ::open(folder.constData(), kSearch | O_DIRECTORY | O_CLOEXEC); });
}

// fsync, and on macOS F_FULLFSYNC, whose fsync leaves the data in the drive's cache.
int Flush(int fd)
{
#ifdef F_FULLFSYNC
    if (RetryInterrupted([&] { return ::fcntl(fd, F_FULLFSYNC); }) == 0)
        return 0;
    if (errno != ENOTSUP && errno != EINVAL && errno != ENOTTY)
        return errno;
#endif
    return RetryInterrupted([&] { return ::fsync(fd); }) == 0 ? 0 : errno;
}

int WriteAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t n =
            RetryInterrupted([&] { return ::write(fd, data, std::size_t(std::min<qint64>(size, 1 << 30))); });
        if (n < 0)
            return errno;
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
    Descriptor readable(RetryInterrupted([&] { return ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC); }));
    if (!readable.valid()) {
        // A folder that may be written and searched but not read cannot be opened to be synced;
        // its whole file system can.
#ifdef Q_OS_LINUX
        return RetryInterrupted([&] { return ::syncfs(file); }) == 0 ? 0 : errno;
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

// The status of `name` in `folder`, or of `folder` itself for an empty name, not following a
// symbolic link.
int StatAt(int folder, const char *name, struct stat &st)
{
    const int flags = AT_SYMLINK_NOFOLLOW | (*name ? 0 : AT_EMPTY_PATH);
    return RetryInterrupted([&] { return ::fstatat(folder, name, &st, flags); }) == 0 ? 0 : errno;
}

// An append-only or immutable folder or file (chattr +a, +i; chflags on BSD): entries can be
// added to such a folder but never removed or replaced, and such a file is never replaced.
bool IsAppendOnlyOrImmutable(int folder, const char *name)
{
#if defined(Q_OS_LINUX) && defined(STATX_ATTR_APPEND)
    struct statx st {};
    const int flags = AT_SYMLINK_NOFOLLOW | (*name ? 0 : AT_EMPTY_PATH);
    if (RetryInterrupted([&] { return ::statx(folder, name, flags, STATX_TYPE, &st); }) != 0)
        return false;
    const quint64 locked = STATX_ATTR_APPEND | STATX_ATTR_IMMUTABLE;
    return (st.stx_attributes & st.stx_attributes_mask & locked) != 0;
#elif defined(UF_APPEND)
    struct stat st {};
    return StatAt(folder, name, st) == 0 && (st.st_flags & (UF_APPEND | SF_APPEND | UF_IMMUTABLE | SF_IMMUTABLE)) != 0;
#else
    Q_UNUSED(folder);
    Q_UNUSED(name);
    return false;
#endif
}

// Another file system is mounted on `name` in `folder` (a file bind-mounted there): the rename
// that replaces it would fail with EBUSY. Mounts of the same file system show only in statx.
bool IsMountPoint(int folder, const char *name)
{
#if defined(Q_OS_LINUX) && defined(STATX_ATTR_MOUNT_ROOT)
    struct statx st {};
    const int flags = AT_SYMLINK_NOFOLLOW | (*name ? 0 : AT_EMPTY_PATH);
    if (RetryInterrupted([&] { return ::statx(folder, name, flags, STATX_BASIC_STATS, &st); }) == 0
        && (st.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT))
        return (st.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
#endif
    struct stat file {};
    struct stat dir {};
    return StatAt(folder, name, file) == 0 && StatAt(folder, "", dir) == 0 && file.st_dev != dir.st_dev;
}

// Whether the process holds a capability (root does); without the call, whether it is root.
bool HasCapability([[maybe_unused]] int capability)
{
#ifdef Q_OS_LINUX
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
    if (::syscall(SYS_capget, &header, data) != 0)
        return ::geteuid() == 0;
    return (data[CAP_TO_INDEX(capability)].effective & CAP_TO_MASK(capability)) != 0;
#else
    return ::geteuid() == 0;
#endif
}

#ifndef CAP_FOWNER
constexpr int CAP_FOWNER = 3;
#endif
#ifndef CAP_CHOWN
constexpr int CAP_CHOWN = 0;
#endif

// Why the rename that replaces `name` would be refused, found before anything is written: the
// run and the dry run refuse alike, and nothing needs undoing. 0 when it is allowed.
int ReplaceRefusal(int folder, const char *name, int file, const struct stat &old)
{
    // cp does not write a file that it may not write, and neither does a replace.
    if (RetryInterrupted([&] { return ::faccessat(folder, name, W_OK, AT_EACCESS); }) != 0)
        return errno;
    struct stat dir {};
    if (const int err = StatAt(folder, "", dir))
        return err;
    // In a sticky folder (/tmp) only the owner of a file or of the folder may replace it.
    const uid_t me = ::geteuid();
    if ((dir.st_mode & S_ISVTX) && old.st_uid != me && dir.st_uid != me && !HasCapability(CAP_FOWNER))
        return EPERM;
    if (IsAppendOnlyOrImmutable(file, "") || IsAppendOnlyOrImmutable(folder, ""))
        return EPERM;
    return 0;
}

// Errors that say the file system has no unnamed temporary files (old kernels open the folder
// itself, hence EISDIR).
bool NoUnnamedFiles(int err)
{
    return err == EOPNOTSUPP || err == ENOTSUP || err == EISDIR || err == EINVAL || err == ENOSYS;
}

// `name` in `folder` is the file open as `fd`.
bool IsFile(int folder, const char *name, int fd)
{
    struct stat a {};
    struct stat b {};
    return StatAt(folder, name, a) == 0 && RetryInterrupted([&] { return ::fstat(fd, &b); }) == 0
           && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Makes a call that gives `fd` the name `name` in `folder` (a link or a rename), again while a
// signal interrupts it. An interrupted request may have been carried out all the same (FUSE, NFS):
// when the next attempt fails, the name is looked at, and if it is the file, that is success.
template <typename Call>
int NameFile(Call call, int folder, const char *name, int fd)
{
    bool interrupted = false;
    for (;;) {
        if (call() == 0)
            return 0;
        const int err = errno;
        if (err == EINTR) {
            interrupted = true;
            continue;
        }
        return interrupted && IsFile(folder, name, fd) ? 0 : err;
    }
}

// Removes `name` from `folder`; ENOENT after an interrupted attempt means it is gone.
int Remove(int folder, const char *name)
{
    bool interrupted = false;
    for (;;) {
        if (::unlinkat(folder, name, 0) == 0)
            return 0;
        const int err = errno;
        if (err == EINTR) {
            interrupted = true;
            continue;
        }
        return interrupted && err == ENOENT ? 0 : err;
    }
}

// Errors that say the file system cannot make hard links.
bool NoHardLinks(int err)
{
    return err == EPERM || err == ENOTSUP || err == EOPNOTSUPP || err == ENOSYS;
}

#if defined(Q_OS_LINUX) && defined(SYS_renameat2)
constexpr unsigned kRenameNoReplace = 1;  // RENAME_NOREPLACE
#endif

// Errors that say the file system cannot rename without replacing.
bool NoNoReplaceRename(int err)
{
    return err == EINVAL || err == ENOSYS || err == ENOTSUP || err == EOPNOTSUPP;
}

// Renames `from` to `to` in `folder` unless `to` exists (EEXIST then), for the file open as
// `fd`; ENOTSUP when the file system cannot.
int RenameNoReplace(int folder, const char *from, const char *to, int fd)
{
#if defined(Q_OS_LINUX) && defined(SYS_renameat2)
    const int err = NameFile([&] { return int(::syscall(SYS_renameat2, folder, from, folder, to, kRenameNoReplace)); },
                             folder, to, fd);
    return err && NoNoReplaceRename(err) ? ENOTSUP : err;
#elif defined(Q_OS_DARWIN)
    const int err = NameFile([&] { return ::renameatx_np(folder, from, folder, to, RENAME_EXCL); }, folder, to, fd);
    return err == EINVAL ? ENOTSUP : err;
#else
    Q_UNUSED(folder);
    Q_UNUSED(from);
    Q_UNUSED(to);
    Q_UNUSED(fd);
    return ENOTSUP;
#endif
}

// Gives the named temporary file `temp` the name `to` unless that name is taken (EEXIST then):
// by a rename that never replaces, else by a hard link and the removal of `temp`. ENOTSUP when
// the file system has neither: looking and then renaming could replace a file that another
// program creates in between. `tempGone` says whether `temp` is gone; when its removal after a
// link fails, `removeError` says why.
int TakeNewName(int folder, const char *temp, const char *to, int fd, bool &tempGone, int &removeError)
{
    tempGone = false;
    removeError = 0;
    int err = RenameNoReplace(folder, temp, to, fd);
    if (err != ENOTSUP) {
        tempGone = err == 0;
        return err;
    }
    err = NameFile([&] { return ::linkat(folder, temp, folder, to, 0); }, folder, to, fd);
    if (err)
        return NoHardLinks(err) ? ENOTSUP : err;
    removeError = Remove(folder, temp);
    tempGone = removeError == 0;
    return 0;
}

#ifdef Q_OS_LINUX
// The path through /proc by which a descriptor can be named, or an empty one without /proc.
QByteArray ProcPath(int fd)
{
    const QByteArray path = "/proc/self/fd/" + QByteArray::number(fd);
    struct stat byPath {};
    struct stat byFd {};
    if (::stat(path.constData(), &byPath) != 0 || RetryInterrupted([&] { return ::fstat(fd, &byFd); }) != 0
        || byPath.st_ino != byFd.st_ino || byPath.st_dev != byFd.st_dev)
        return QByteArray();
    return path;
}

// Gives an O_TMPFILE file a name; EEXIST when the name is taken.
int LinkUnnamed(int fd, int folder, const char *name)
{
    const QByteArray proc = ProcPath(fd);
    if (!proc.isEmpty()) {
        return NameFile([&] { return ::linkat(AT_FDCWD, proc.constData(), folder, name, AT_SYMLINK_FOLLOW); }, folder,
                        name, fd);
    }
    // No /proc: AT_EMPTY_PATH, which needs CAP_DAC_READ_SEARCH before Linux 6.10.
    return NameFile([&] { return ::linkat(fd, "", folder, name, AT_EMPTY_PATH); }, folder, name, fd);
}

// Reserves the room for `size` bytes, so that a dry run finds a full disk; file systems that
// cannot reserve are not asked twice.
int Reserve(int fd, qint64 size)
{
    if (size <= 0 || RetryInterrupted([&] { return ::fallocate(fd, 0, 0, off_t(size)); }) == 0)
        return 0;
    const int err = errno;
    return err == EOPNOTSUPP || err == ENOSYS || err == EINVAL ? 0 : err;
}

// Errors that say a file system has no extended attributes at all.
bool NoAttributes(int err)
{
    return err == ENOTSUP || err == EOPNOTSUPP;
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
        ssize_t n = RetryInterrupted([&] { return call(nullptr, 0); });
        if (n < 0)
            return errno;
        out.resize(qsizetype(n));
        if (n == 0)
            return 0;
        n = RetryInterrupted([&] { return call(out.data(), std::size_t(n)); });
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

struct Attribute {
    QByteArray name;
    QByteArray value;
};

// The extended attributes of the old file, its ACL among them, read through its descriptor:
// by /proc, or without /proc through a readable descriptor that must be of the same file.
// ESTALE when the name in the folder no longer is that file.
int ReadAttributes(int folder, const char *name, int file, const struct stat &old, QList<Attribute> &out)
{
    const QByteArray proc = ProcPath(file);
    Descriptor readable;
    if (proc.isEmpty()) {
        readable.reset(RetryInterrupted(
            [&] { return ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC); }));
        struct stat st {};
        if (!readable.valid() || RetryInterrupted([&] { return ::fstat(readable.get(), &st); }) != 0)
            return errno;
        if (st.st_dev != old.st_dev || st.st_ino != old.st_ino)
            return ESTALE;
    }
    const auto list = [&](char *buf, std::size_t n) {
        return proc.isEmpty() ? ::flistxattr(readable.get(), buf, n) : ::listxattr(proc.constData(), buf, n);
    };
    const auto get = [&](const QByteArray &key, char *buf, std::size_t n) {
        return proc.isEmpty() ? ::fgetxattr(readable.get(), key.constData(), buf, n)
                              : ::getxattr(proc.constData(), key.constData(), buf, n);
    };
    QByteArray names;
    if (const int err = ReadSized(names, list))
        return NoAttributes(err) ? 0 : err;
    for (const QByteArray &key : Names(names)) {
        Attribute a{key, {}};
        const int err = ReadSized(a.value, [&](char *buf, std::size_t n) { return get(key, buf, n); });
        if (err == ENODATA)
            continue;  // removed since the list was read
        if (err)
            return err;
        out.append(a);
    }
    return 0;
}

// Gives the new file the extended attributes of the old one and only those: what a folder's
// default ACL gave it goes. An attribute that cannot be kept fails the save, unless the new
// file has it already with the same value (a security label the system gave both alike).
int CopyAttributes(int fd, const QList<Attribute> &old)
{
    QByteArray list;
    const int listed = ReadSized(list, [&](char *buf, std::size_t n) { return ::flistxattr(fd, buf, n); });
    if (listed && !NoAttributes(listed))
        return listed;
    for (const QByteArray &name : Names(list)) {
        const bool kept = std::any_of(old.begin(), old.end(), [&](const Attribute &a) { return a.name == name; });
        if (!kept && RetryInterrupted([&] { return ::fremovexattr(fd, name.constData()); }) != 0 && errno != ENODATA
            && MustKeep(name))
            return errno;
    }
    for (const Attribute &a : old) {
        if (RetryInterrupted([&] {
                return ::fsetxattr(fd, a.name.constData(), a.value.constData(), std::size_t(a.value.size()), 0);
            })
            == 0)
            continue;
        const int err = errno;
        QByteArray now;
        if (ReadSized(now, [&](char *buf, std::size_t n) { return ::fgetxattr(fd, a.name.constData(), buf, n); }) != 0
            || now != a.value)
            return err;
    }
    return 0;
}
#endif

// Gives the new file the owner and group of the old one. A process without the privilege may
// not give a file away: it keeps the group if the user belongs to it, and otherwise the file is
// the user's own, as with cp. Every other failure fails the save.
int CopyOwner(int fd, const struct stat &old)
{
    struct stat now {};
    if (RetryInterrupted([&] { return ::fstat(fd, &now); }) != 0)
        return errno;
    if (now.st_uid == old.st_uid && now.st_gid == old.st_gid)
        return 0;
    if (RetryInterrupted([&] { return ::fchown(fd, old.st_uid, old.st_gid); }) == 0)
        return 0;
    int err = errno;
    if ((err == EPERM || err == EINVAL) && !HasCapability(CAP_CHOWN)) {
        if (now.st_gid == old.st_gid || RetryInterrupted([&] { return ::fchown(fd, uid_t(-1), old.st_gid); }) == 0)
            return 0;
        err = errno;
        if (err == EPERM || err == EINVAL)
            return 0;
    }
    return err;
}

// What a replace reads of the old file, before anything is written.
struct OldFile {
    Descriptor fd;  // the file the folder's descriptor found (O_PATH where there is one)
    struct stat st {};
#ifdef Q_OS_LINUX
    QList<Attribute> attributes;
#endif
};

// Opens `name` in `folder` without following a link and without opening a device or a pipe.
int OpenOld(int folder, const char *name, OldFile &old)
{
#ifdef O_PATH
    constexpr int kFlags = O_PATH | O_NOFOLLOW | O_CLOEXEC;
#else
    constexpr int kFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
#endif
    old.fd.reset(RetryInterrupted([&] { return ::openat(folder, name, kFlags); }));
    if (!old.fd.valid())
        return errno;
    return RetryInterrupted([&] { return ::fstat(old.fd.get(), &old.st); }) == 0 ? 0 : errno;
}

// Gives the new file what the old one was, as `cp --preserve=all` does, apart from its times:
// the owner and group, the ACL and extended attributes, and the exact mode bits from stat
// (never an ACL's mask). The owner goes first, since changing it clears the set-user-ID and
// set-group-ID bits.
int CopyMetadata(int fd, const OldFile &old)
{
    if (const int err = CopyOwner(fd, old.st))
        return err;
#if defined(Q_OS_LINUX)
    if (const int err = CopyAttributes(fd, old.attributes))
        return err;
#elif defined(Q_OS_DARWIN)
    if (::fcopyfile(old.fd.get(), fd, nullptr, COPYFILE_ACL | COPYFILE_XATTR) != 0)
        return errno;
#endif
    if (RetryInterrupted([&] { return ::fchmod(fd, old.st.st_mode & 07777); }) != 0)
        return errno;
    return 0;
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
    const FileError::Problem problem = FileError::FromErrno(err);
    return Refused(problem, path, problem == FileError::Problem::Unexpected ? FileError::SystemText(err) : QString());
}

int Stat(const QString &path, struct stat &st, bool follow)
{
    QByteArray bytes;
    if (!FileName::ToNative(path, bytes))
        return EINVAL;
    return RetryInterrupted([&] { return follow ? ::stat(bytes.constData(), &st) : ::lstat(bytes.constData(), &st); })
                   == 0
               ? 0
               : errno;
}

// Why `folder` cannot hold a new file: it is missing, a file stands where it or a folder above
// it should be, or it cannot be examined. No problem when it is a folder.
Target FolderRefusal(const QString &folder)
{
    struct stat st {};
    const int err = Stat(folder, st, true);
    if (err == 0)
        return S_ISDIR(st.st_mode) ? Target{} : Refused(FileError::Problem::NotAFolder, folder);
    if (err != ENOENT && err != ENOTDIR)
        return RefusedFor(err, folder);
    // The deepest part of the path that exists tells a missing folder from a file in the way.
    for (QString part = folder;;) {
        const QString up = FileName::FolderPart(part);
        if (up == part)
            break;
        part = up;
        if (Stat(part, st, true) == 0) {
            if (!S_ISDIR(st.st_mode))
                return Refused(FileError::Problem::NotAFolder, part);
            break;
        }
    }
    return Refused(FileError::Problem::FolderMissing, folder);
}

// A file system mounted read-only (a read-only bind mount or overlay too) takes no new file:
// said before anything is asked.
bool ReadOnlyFolder(const QString &folder)
{
    QByteArray bytes;
    struct statvfs fs {};
    return FileName::ToNative(folder, bytes) && RetryInterrupted([&] { return ::statvfs(bytes.constData(), &fs); }) == 0
           && (fs.f_flag & ST_RDONLY);
}

// The message of a save that failed where the folder should have been opened.
Result FolderFailure(int err, const QString &file)
{
    if (err == ENOENT || err == ENOTDIR) {
        const Target t = FolderRefusal(FileName::FolderPart(file));
        if (t.refusal) {
            Result r = Refusal(Outcome::OpenFailed, t.refusal->problem, t.refusal->path);
            r.systemText = t.refusal->systemText;
            return r;
        }
    }
    return Failure(Outcome::OpenFailed, err);
}

}  // namespace

Target Internal::Examine(const QString &path)
{
    QByteArray name;
    if (!FileName::ToNative(path, name))
        return Refused(FileError::Problem::BadName, path);
    Target t;
    t.file = path;
    struct stat st {};
    if (const int err = Stat(path, st, false)) {
        if (err != ENOENT && err != ENOTDIR)
            return RefusedFor(err, path);
        // A new file: its folder must be there, and writable.
        const QString folder = FileName::FolderPart(path);
        const Target refused = FolderRefusal(folder);
        if (refused.refusal)
            return refused;
        if (ReadOnlyFolder(folder))
            return Refused(FileError::Problem::ReadOnly, path);
        return t;
    }
    if (S_ISLNK(st.st_mode)) {
        // cp's rule: a link to an existing file stands for that file, a link to nothing is refused.
        if (const int err = Stat(path, st, true)) {
            if (err == ENOENT || err == ENOTDIR)
                return Refused(FileError::Problem::DanglingLink, path);
            return RefusedFor(err, path);
        }
        if (S_ISREG(st.st_mode)) {
            char *real = ::realpath(name.constData(), nullptr);
            if (!real)
                return RefusedFor(errno, path);
            t.file = FileName::FromNative(real);
            std::free(real);
        }
    }
    if (S_ISDIR(st.st_mode))
        return Refused(FileError::Problem::IsFolder, path);
    if (!S_ISREG(st.st_mode))
        return Refused(FileError::Problem::NotRegular, path);
    QByteArray file;
    FileName::ToNative(t.file, file);
    QByteArray folderName;
    QByteArray last;
    Split(file, folderName, last);
    const Descriptor folder(OpenFolder(folderName));
    if (folder.valid() && IsMountPoint(folder.get(), last.constData()))
        return Refused(FileError::Problem::MountPoint, path);
    if (ReadOnlyFolder(FileName::FromNative(folderName)))
        return Refused(FileError::Problem::ReadOnly, path);
    t.exists = true;
    return t;
}

Result Internal::SaveAs(const QString &file, const char *data, qint64 size, bool replace, Mode mode)
{
    QByteArray path;
    if (!FileName::ToNative(file, path))
        return Refusal(Outcome::OpenFailed, FileError::Problem::BadName);
    QByteArray folderName;
    QByteArray name;
    Split(path, folderName, name);
    const Descriptor folder(OpenFolder(folderName));
    if (!folder.valid())
        return FolderFailure(errno, file);

    // Everything about the old file comes from the one file the folder's descriptor finds now,
    // and is read before anything is written: a failure to read it is a refusal, for the run
    // and the dry run alike. A file gone since it was found is simply created by the rename.
    OldFile old;
    bool hadOld = false;
    if (replace) {
        const int err = OpenOld(folder.get(), name.constData(), old);
        if (err != 0 && err != ENOENT)
            return Failure(Outcome::OpenFailed, err);
        hadOld = err == 0;
    }
    if (hadOld) {
        if (S_ISLNK(old.st.st_mode))
            return Refusal(Outcome::OpenFailed, FileError::Problem::Changed);
        if (S_ISDIR(old.st.st_mode))
            return Refusal(Outcome::OpenFailed, FileError::Problem::IsFolder);
        if (!S_ISREG(old.st.st_mode))
            return Refusal(Outcome::OpenFailed, FileError::Problem::NotRegular);
        if (IsMountPoint(old.fd.get(), ""))
            return Refusal(Outcome::OpenFailed, FileError::Problem::MountPoint);
        if (const int err = ReplaceRefusal(folder.get(), name.constData(), old.fd.get(), old.st))
            return Failure(Outcome::OpenFailed, err);
#ifdef Q_OS_LINUX
        if (const int err = ReadAttributes(folder.get(), name.constData(), old.fd.get(), old.st, old.attributes)) {
            return err == ESTALE ? Refusal(Outcome::OpenFailed, FileError::Problem::Changed)
                                 : Failure(Outcome::OpenFailed, err);
        }
#endif
    }

    // A new file gets the mode every program gives it (the umask and a folder's default ACL
    // decide); a replacing one is private until it has the old file's.
    const mode_t createMode = hadOld ? 0600 : 0666;
    Descriptor fd;
    bool unnamed = false;
#ifdef O_TMPFILE
    fd.reset(
        RetryInterrupted([&] { return ::openat(folder.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, createMode); }));
    unnamed = fd.valid();
    if (!unnamed && !NoUnnamedFiles(errno))
        return Failure(Outcome::OpenFailed, errno);
#endif

    std::optional<SignalDeferral> deferral;
    QByteArray temp;  // the temporary file's name while it has one
    // Removes the temporary file's name, and tells in `r` when it cannot.
    const auto discard = [&](Result &r) {
        if (temp.isEmpty())
            return;
        if (const int err = Remove(folder.get(), temp.constData()); err && r.leftover.isEmpty()) {
            r.leftover = FileName::FromNative(temp);
            r.leftoverText = FileError::SystemText(err);
        }
        temp.clear();
    };
    const auto fail = [&](Result r) {
        discard(r);
        return r;
    };
    if (!unnamed) {
        // A named temporary file in an append-only folder could never be removed again.
        if (IsAppendOnlyOrImmutable(folder.get(), ""))
            return Failure(Outcome::OpenFailed, EPERM);
        deferral.emplace();
        for (int attempt = 0; attempt < kNameAttempts && !fd.valid(); ++attempt) {
            const QByteArray candidate = TemporaryName().toLatin1();
            fd.reset(RetryInterrupted([&] {
                return ::openat(folder.get(), candidate.constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, createMode);
            }));
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
            return fail(Failure(Outcome::WriteFailed, err));
#endif
        // What the old file is, the empty file takes: an owner or attribute that cannot be kept
        // says so here already, and so does a device whose flush fails.
        if (hadOld) {
            if (const int err = CopyMetadata(fd.get(), old))
                return fail(Failure(Outcome::WriteFailed, err));
        }
        if (const int err = Flush(fd.get()))
            return fail(Failure(Outcome::WriteFailed, err));
        if (!replace && !temp.isEmpty()) {
            // The run takes a new name by a rename that never replaces or by a hard link: the
            // temporary file tries them on a second name of its own.
            const QByteArray second = TemporaryName().toLatin1();
            bool gone = false;
            int removeError = 0;
            const int err =
                TakeNewName(folder.get(), temp.constData(), second.constData(), fd.get(), gone, removeError);
            if (err == ENOTSUP)
                return fail(Refusal(Outcome::WriteFailed, FileError::Problem::NoSafeNewName));
            if (err)
                return fail(Failure(Outcome::WriteFailed, err));
            Result r;
            if (!gone) {
                r.leftover = FileName::FromNative(temp);
                r.leftoverText = FileError::SystemText(removeError);
            }
            temp = second;
            if (!gone)
                return fail(r);
        }
        Result r;
        discard(r);
        return r;
    }

    if (const int err = WriteAll(fd.get(), data, size))
        return fail(Failure(Outcome::WriteFailed, err));
    if (hadOld) {
        if (const int err = CopyMetadata(fd.get(), old))
            return fail(Failure(Outcome::WriteFailed, err));
    }
    // A flush that fails is a failed save: the bytes may not be on disk.
    if (const int err = Flush(fd.get()))
        return fail(Failure(Outcome::WriteFailed, err));

    Result result;
    if (!replace) {
        int err = 0;
#ifdef Q_OS_LINUX
        if (unnamed) {
            err = LinkUnnamed(fd.get(), folder.get(), name.constData());
        } else
#endif
        {
            bool gone = false;
            int removeError = 0;
            err = TakeNewName(folder.get(), temp.constData(), name.constData(), fd.get(), gone, removeError);
            if (err == ENOTSUP)
                return fail(Refusal(Outcome::WriteFailed, FileError::Problem::NoSafeNewName));
            if (err == 0) {
                if (!gone) {
                    result.leftover = FileName::FromNative(temp);
                    result.leftoverText = FileError::SystemText(removeError);
                }
                temp.clear();
            }
        }
        if (err)
            return fail(err == EEXIST ? Failure(Outcome::Exists, err) : Failure(Outcome::WriteFailed, err));
    } else {
#ifdef Q_OS_LINUX
        if (unnamed) {
            // A rename needs a name to move: the file gets a short one for that moment.
            deferral.emplace();
            int err = EEXIST;
            for (int attempt = 0; attempt < kNameAttempts && err == EEXIST; ++attempt) {
                const QByteArray candidate = TemporaryName().toLatin1();
                err = LinkUnnamed(fd.get(), folder.get(), candidate.constData());
                if (err == 0)
                    temp = candidate;
            }
            if (err)
                return fail(Failure(Outcome::WriteFailed, err));
        }
#endif
        const int err =
            NameFile([&] { return ::renameat(folder.get(), temp.constData(), folder.get(), name.constData()); },
                     folder.get(), name.constData(), fd.get());
        if (err) {
            // Only a mount point keeps a file from being replaced by a rename this way.
            return fail(err == EBUSY ? Refusal(Outcome::WriteFailed, FileError::Problem::MountPoint)
                                     : Failure(Outcome::WriteFailed, err));
        }
        temp.clear();  // it is the target now
    }

    // The file has its name. Its link count, which the name changed, reaches the disk with the
    // file's own flush (a folder's sync does not write it on ext2 or ext4 without a journal),
    // the name with the folder's.
    const auto unflushed = [&](Outcome outcome, int err) {
        Result r = Failure(outcome, err);
        r.leftover = result.leftover;
        r.leftoverText = result.leftoverText;
        return r;
    };
    if (const int err = Flush(fd.get()))
        return unflushed(Outcome::NotFlushed, err);
    if (const int err = SyncFolder(folder.get(), fd.get()))
        return unflushed(Outcome::FolderNotFlushed, err);
    return result;
}

}  // namespace SaveFile
