#pragma once

// Things that are not regular files, for the tests that must see them refused: a folder, a
// named pipe, a socket, the null device and symbolic links to them.

// Std
#include <cstring>
#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#define BRINDLE_HAVE_SPECIAL_FILES 1
#endif

// Qt
#include <QDir>
#include <QFile>
#include <QString>

namespace SpecialFiles {

#ifdef BRINDLE_HAVE_SPECIAL_FILES
inline bool MakeFifo(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

inline bool MakeSocket(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    if (name.size() >= qsizetype(sizeof(address.sun_path)))
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    const bool ok = ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) == 0;
    ::close(fd);  // the socket's name stays in the folder
    return ok;
}

// The file type bits of `path`, not following a final symbolic link; 0 if it is missing.
inline unsigned TypeOf(const QString &path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? unsigned(st.st_mode & S_IFMT) : 0u;
}

// Keeps a pipe open for reading and writing, so that a program that opens it by mistake finds
// an empty pipe instead of waiting forever for a writer.
class FifoHolder
{
public:
    explicit FifoHolder(const QString &path)
    {
        const QByteArray name = QFile::encodeName(path);
        struct stat st {};
        if (::stat(name.constData(), &st) == 0 && S_ISFIFO(st.st_mode))
            m_fd = ::open(name.constData(), O_RDWR | O_NONBLOCK);
    }
    ~FifoHolder()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FifoHolder(const FifoHolder &) = delete;
    FifoHolder &operator=(const FifoHolder &) = delete;

private:
    int m_fd = -1;
};
#endif

// Makes a thing of `kind` in `folder` and returns its path, or an empty text on failure.
// Kinds: folder; where the system has them, fifo, socket, device (the null device itself), link to fifo, link to folder.
inline QString Make(const QString &kind, const QString &folder)
{
    const QDir dir(folder);
    if (kind == QLatin1String("folder")) {
        const QString path = dir.filePath(QStringLiteral("a folder.rom"));
        return QDir().mkdir(path) ? path : QString();
    }
#ifdef BRINDLE_HAVE_SPECIAL_FILES
    if (kind == QLatin1String("device"))
        return QStringLiteral("/dev/null");
    if (kind == QLatin1String("fifo")) {
        const QString path = dir.filePath(QStringLiteral("pipe.rom"));
        return MakeFifo(path) ? path : QString();
    }
    if (kind == QLatin1String("socket")) {
        const QString path = dir.filePath(QStringLiteral("socket.rom"));
        return MakeSocket(path) ? path : QString();
    }
    if (kind.startsWith(QLatin1String("link to "))) {
        const QString to = Make(kind.mid(8), folder);
        const QString path = dir.filePath(QStringLiteral("link.rom"));
        return !to.isEmpty() && QFile::link(to, path) ? path : QString();
    }
#endif
    return QString();
}

}  // namespace SpecialFiles
