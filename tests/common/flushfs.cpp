// flushfs: a FUSE pass-through file system for the save tests, whose fsync on files does what
// the test asks: fail with EIO as a failing disk does, or wait until the test lets it go, so
// that a signal can be sent while a save is flushing. Everything else is passed to the folder
// underneath unchanged, unless the mode takes it away as some file systems lack it: hard links
// ("nolink"), or a rename with flags such as RENAME_NOREPLACE ("norename2"). "eiolater" fails
// every fsync of a file but the first, and "eiodir" every fsync of a folder: a flush that fails
// once the file has its name.
//
//   flushfs eio|block|pass[,nolink][,norename2][,eiolater][,eiodir] STATE BACKING MOUNTPOINT [FUSE options]
//
// In block mode each fsync of a file creates STATE/entered and then waits until STATE/release
// exists (at most 60 seconds). fsync of folders always succeeds.

#define FUSE_USE_VERSION 31

// Std
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

// System
#include <dirent.h>
#include <fcntl.h>
#include <fuse.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/time.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

namespace {

enum Mode { kPass, kEio, kBlock };

enum Mode g_mode = kPass;
bool g_noLink = false;
bool g_noRename2 = false;
bool g_eioLater = false;
bool g_eioDir = false;
int g_fileSyncs = 0;
int g_backing = -1;
char g_state[4096];

// The path inside the backing folder, for the *at calls: "/" is ".".
const char *Rel(const char *path)
{
    return path[1] ? path + 1 : ".";
}

// A path for the calls that have no *at form (the xattr calls).
void Proc(char *out, size_t n, const char *path)
{
    snprintf(out, n, "/proc/self/fd/%d/%s", g_backing, Rel(path));
}

int Result(int r)
{
    return r < 0 ? -errno : 0;
}

int FsGetattr(const char *path, struct stat *st, struct fuse_file_info *fi)
{
    if (fi)
        return Result(fstat(int(fi->fh), st));
    return Result(fstatat(g_backing, Rel(path), st, AT_SYMLINK_NOFOLLOW));
}

int FsAccess(const char *path, int mask)
{
    return Result(faccessat(g_backing, Rel(path), mask, 0));
}

int FsReadlink(const char *path, char *buf, size_t size)
{
    const ssize_t n = readlinkat(g_backing, Rel(path), buf, size - 1);
    if (n < 0)
        return -errno;
    buf[n] = '\0';
    return 0;
}

int FsReaddir(const char *path, void *buf, fuse_fill_dir_t fill, off_t offset, struct fuse_file_info *fi,
              enum fuse_readdir_flags flags)
{
    (void)offset;
    (void)fi;
    (void)flags;
    const int fd = openat(g_backing, Rel(path), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return -errno;
    DIR *dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return -errno;
    }
    struct dirent *e;
    while ((e = readdir(dir)) != nullptr) {
        struct stat st {};
        st.st_ino = e->d_ino;
        st.st_mode = mode_t(DTTOIF(e->d_type));
        if (fill(buf, e->d_name, &st, 0, fuse_fill_dir_flags(0)))
            break;
    }
    closedir(dir);
    return 0;
}

int FsMknod(const char *path, mode_t mode, dev_t rdev)
{
    return Result(mknodat(g_backing, Rel(path), mode, rdev));
}

int FsMkdir(const char *path, mode_t mode)
{
    return Result(mkdirat(g_backing, Rel(path), mode));
}

int FsUnlink(const char *path)
{
    return Result(unlinkat(g_backing, Rel(path), 0));
}

int FsRmdir(const char *path)
{
    return Result(unlinkat(g_backing, Rel(path), AT_REMOVEDIR));
}

int FsSymlink(const char *from, const char *to)
{
    return Result(symlinkat(from, g_backing, Rel(to)));
}

int FsRename(const char *from, const char *to, unsigned int flags)
{
    // What a file system without renameat2 answers: the kernel passes it on as EINVAL.
    if (flags != 0 && g_noRename2)
        return -EINVAL;
    return Result(renameat2(g_backing, Rel(from), g_backing, Rel(to), flags));
}

int FsLink(const char *from, const char *to)
{
    return Result(linkat(g_backing, Rel(from), g_backing, Rel(to), 0));
}

int FsChmod(const char *path, mode_t mode, struct fuse_file_info *fi)
{
    if (fi)
        return Result(fchmod(int(fi->fh), mode));
    return Result(fchmodat(g_backing, Rel(path), mode, 0));
}

int FsChown(const char *path, uid_t uid, gid_t gid, struct fuse_file_info *fi)
{
    if (fi)
        return Result(fchown(int(fi->fh), uid, gid));
    return Result(fchownat(g_backing, Rel(path), uid, gid, AT_SYMLINK_NOFOLLOW));
}

int FsTruncate(const char *path, off_t size, struct fuse_file_info *fi)
{
    if (fi)
        return Result(ftruncate(int(fi->fh), size));
    const int fd = openat(g_backing, Rel(path), O_WRONLY);
    if (fd < 0)
        return -errno;
    const int r = Result(ftruncate(fd, size));
    close(fd);
    return r;
}

int FsUtimens(const char *path, const struct timespec tv[2], struct fuse_file_info *fi)
{
    if (fi)
        return Result(futimens(int(fi->fh), tv));
    return Result(utimensat(g_backing, Rel(path), tv, AT_SYMLINK_NOFOLLOW));
}

int FsCreate(const char *path, mode_t mode, struct fuse_file_info *fi)
{
    const int fd = openat(g_backing, Rel(path), fi->flags & ~O_NOFOLLOW, mode);
    if (fd < 0)
        return -errno;
    fi->fh = uint64_t(fd);
    return 0;
}

int FsOpen(const char *path, struct fuse_file_info *fi)
{
    const int fd = openat(g_backing, Rel(path), fi->flags & ~O_NOFOLLOW);
    if (fd < 0)
        return -errno;
    fi->fh = uint64_t(fd);
    return 0;
}

int FsRead(const char *path, char *buf, size_t size, off_t offset, struct fuse_file_info *fi)
{
    (void)path;
    const ssize_t n = pread(int(fi->fh), buf, size, offset);
    return n < 0 ? -errno : int(n);
}

int FsWrite(const char *path, const char *buf, size_t size, off_t offset, struct fuse_file_info *fi)
{
    (void)path;
    const ssize_t n = pwrite(int(fi->fh), buf, size, offset);
    return n < 0 ? -errno : int(n);
}

int FsStatfs(const char *path, struct statvfs *st)
{
    (void)path;
    return Result(fstatvfs(g_backing, st));
}

int FsFlush(const char *path, struct fuse_file_info *fi)
{
    (void)path;
    (void)fi;
    return 0;
}

int FsRelease(const char *path, struct fuse_file_info *fi)
{
    (void)path;
    close(int(fi->fh));
    return 0;
}

int Exists(const char *name)
{
    char path[4200];
    snprintf(path, sizeof path, "%s/%s", g_state, name);
    return access(path, F_OK) == 0;
}

int FsFsync(const char *path, int datasync, struct fuse_file_info *fi)
{
    (void)path;
    (void)datasync;
    if (g_eioLater && ++g_fileSyncs > 1)
        return -EIO;
    switch (g_mode) {
    case kEio: return -EIO;
    case kBlock: {
        char entered[4200];
        snprintf(entered, sizeof entered, "%s/entered", g_state);
        const int fd = open(entered, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd >= 0)
            close(fd);
        for (int i = 0; i < 6000 && !Exists("release"); ++i) {
            const struct timespec pause = {0, 10 * 1000 * 1000L};
            nanosleep(&pause, nullptr);
        }
        return Result(fsync(int(fi->fh)));
    }
    case kPass: break;
    }
    return Result(fsync(int(fi->fh)));
}

int FsFsyncdir(const char *path, int datasync, struct fuse_file_info *fi)
{
    (void)path;
    (void)datasync;
    (void)fi;
    if (g_eioDir)
        return -EIO;
    return Result(fsync(g_backing));
}

int FsFallocate(const char *path, int mode, off_t offset, off_t length, struct fuse_file_info *fi)
{
    (void)path;
    return Result(fallocate(int(fi->fh), mode, offset, length));
}

int FsSetxattr(const char *path, const char *name, const char *value, size_t size, int flags)
{
    char p[4200];
    Proc(p, sizeof p, path);
    return Result(lsetxattr(p, name, value, size, flags));
}

int FsGetxattr(const char *path, const char *name, char *value, size_t size)
{
    char p[4200];
    Proc(p, sizeof p, path);
    const ssize_t n = lgetxattr(p, name, value, size);
    return n < 0 ? -errno : int(n);
}

int FsListxattr(const char *path, char *list, size_t size)
{
    char p[4200];
    Proc(p, sizeof p, path);
    const ssize_t n = llistxattr(p, list, size);
    return n < 0 ? -errno : int(n);
}

int FsRemovexattr(const char *path, const char *name)
{
    char p[4200];
    Proc(p, sizeof p, path);
    return Result(lremovexattr(p, name));
}

fuse_operations Operations()
{
    fuse_operations ops{};
    ops.getattr = FsGetattr;
    ops.readlink = FsReadlink;
    ops.mknod = FsMknod;
    ops.mkdir = FsMkdir;
    ops.unlink = FsUnlink;
    ops.rmdir = FsRmdir;
    ops.symlink = FsSymlink;
    ops.rename = FsRename;
    ops.link = g_noLink ? nullptr : FsLink;
    ops.chmod = FsChmod;
    ops.chown = FsChown;
    ops.truncate = FsTruncate;
    ops.open = FsOpen;
    ops.read = FsRead;
    ops.write = FsWrite;
    ops.statfs = FsStatfs;
    ops.flush = FsFlush;
    ops.release = FsRelease;
    ops.fsync = FsFsync;
    ops.setxattr = FsSetxattr;
    ops.getxattr = FsGetxattr;
    ops.listxattr = FsListxattr;
    ops.removexattr = FsRemovexattr;
    ops.readdir = FsReaddir;
    ops.fsyncdir = FsFsyncdir;
    ops.access = FsAccess;
    ops.create = FsCreate;
    ops.utimens = FsUtimens;
    ops.fallocate = FsFallocate;
    return ops;
}

}  // namespace

int main(int argc, char *argv[])
{
    if (argc < 5) {
        fprintf(stderr, "usage: flushfs eio|block|pass[,nolink][,norename2][,eiolater][,eiodir] STATE BACKING "
                        "MOUNTPOINT [FUSE options]\n");
        return 2;
    }
    char modes[256];
    snprintf(modes, sizeof modes, "%s", argv[1]);
    for (char *word = strtok(modes, ","); word; word = strtok(nullptr, ",")) {
        if (strcmp(word, "eio") == 0)
            g_mode = kEio;
        else if (strcmp(word, "block") == 0)
            g_mode = kBlock;
        else if (strcmp(word, "nolink") == 0)
            g_noLink = true;
        else if (strcmp(word, "norename2") == 0)
            g_noRename2 = true;
        else if (strcmp(word, "eiolater") == 0)
            g_eioLater = true;
        else if (strcmp(word, "eiodir") == 0)
            g_eioDir = true;
        else if (strcmp(word, "pass") != 0) {
            fprintf(stderr, "flushfs: unknown mode %s\n", word);
            return 2;
        }
    }
    snprintf(g_state, sizeof g_state, "%s", argv[2]);
    g_backing = open(argv[3], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (g_backing < 0) {
        perror(argv[3]);
        return 1;
    }
    // fuse_main sees: program, mount point, options.
    std::vector<char *> args{argv[0]};
    for (int i = 4; i < argc; ++i)
        args.push_back(argv[i]);
    args.push_back(nullptr);
    // Modes arrive with the caller's umask applied already.
    umask(0);
    const fuse_operations ops = Operations();
    return fuse_main(int(args.size()) - 1, args.data(), &ops, nullptr);
}
