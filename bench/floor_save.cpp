// The floor under `brindle-cli write`: a bare Qt Core program that reads a file and saves its
// last BYTES bytes durably under a new name, the least a careful save does: a temporary file in
// the target's folder, write, fsync, rename over the target, fsync of the folder.
//
//   bench_floor_save SOURCE TARGET BYTES

// Std
#include <cerrno>
#include <cstdlib>
#include <vector>

// POSIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Qt
#include <QByteArray>
#include <QCoreApplication>

namespace {

bool WriteAll(int fd, const char *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= std::size_t(n);
    }
    return true;
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 4)
        return 2;
    const QByteArray target(argv[2]);
    const std::size_t keep = std::strtoul(argv[3], nullptr, 10);

    const int in = ::open(argv[1], O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (in < 0 || ::fstat(in, &st) != 0 || std::size_t(st.st_size) < keep)
        return 1;
    std::vector<char> bytes(std::size_t(st.st_size));
    for (std::size_t got = 0; got < bytes.size();) {
        const ssize_t n = ::read(in, bytes.data() + got, bytes.size() - got);
        if (n <= 0)
            return 1;
        got += std::size_t(n);
    }
    ::close(in);

    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : target.left(slash + 1);
    const QByteArray temp = folder + ".floor-save.tmp";
    const int out = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (out < 0)
        return 1;
    if (!WriteAll(out, bytes.data() + bytes.size() - keep, keep) || ::fsync(out) != 0 || ::close(out) != 0
        || ::rename(temp.constData(), target.constData()) != 0) {
        ::unlink(temp.constData());
        return 1;
    }
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0 || ::fsync(dir) != 0)
        return 1;
    ::close(dir);
    return 0;
}
