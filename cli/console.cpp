#include "console.h"

// Std
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "firmware/screentext.h"

namespace Cli {

namespace {

// Writes all of `bytes` and flushes the stream; errno of the failure in `error`, 0 when it is
// not known. Straight to the stream's descriptor, after what it buffered: a write that a signal
// interrupts (EINTR) is made again with the rest, which the stream would not do.
bool Write(std::FILE *stream, QByteArrayView bytes, int &error)
{
    error = 0;
    if (std::fflush(stream) != 0) {
        error = errno;
        return false;
    }
    const int fd = fileno(stream);
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        errno = 0;
#ifdef Q_OS_WIN
        const int n = ::_write(fd, data, unsigned(std::min<qsizetype>(left, 1 << 30)));
#else
        const ssize_t n = ::write(fd, data, std::size_t(left));
#endif
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = errno;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

}  // namespace

bool IsControlOrLayout(char16_t u)
{
    // A surrogate is half of a character, which only the pair decides.
    return !QChar::isSurrogate(u) && ScreenText::IsHidden(u);
}

QString Escaped(const QString &text)
{
    return ScreenText::Visible(text);
}

QString ErrorLine(const QString &message)
{
    return QStringLiteral("brindle-cli: ") + Escaped(message) + QLatin1Char('\n');
}

QByteArray ConsoleBytes(const QString &text)
{
    QString escaped = ScreenText::Visible(text, true);
#ifdef Q_OS_WIN
    escaped.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
#endif
    return escaped.toUtf8();
}

std::optional<QString> PrintOut(IConsole &console, const QString &text)
{
    return console.WriteOut(ConsoleBytes(text));
}

void PrintErr(IConsole &console, const QString &text)
{
    console.WriteErr(ConsoleBytes(text));
}

CStandardConsole::CStandardConsole()
{
#ifdef Q_OS_WIN
    // A stream without a handle behind it: the C library reports -2 (no stream) or -1.
    for (int fd = 0; fd < 3; ++fd) {
        const intptr_t handle = ::_get_osfhandle(fd);
        m_closed[fd] = handle == -1 || handle == -2;
    }
    // The bytes hold their CR LF already; text mode would add a CR to each, and would take the
    // CR out of every CR LF in an image read from standard input.
    for (std::FILE *stream : {stdin, stdout, stderr}) {
        const int fd = ::_fileno(stream);
        if (fd >= 0 && !m_closed[fd])
            ::_setmode(fd, _O_BINARY);
    }
#else
    // The lowest free number is the one that is given out, so each closed one is filled in order.
    for (int fd = 0; fd < 3; ++fd) {
        if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF)
            continue;
        m_closed[fd] = true;
        const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != fd)
            ::close(opened);
    }
#endif
}

std::optional<QString> CStandardConsole::WriteOut(QByteArrayView bytes)
{
    if (m_closed[1])
        return QStringLiteral("standard output is closed");
    int error = 0;
    if (Write(stdout, bytes, error))
        return std::nullopt;
    const QString reason = error ? QString::fromLocal8Bit(std::strerror(error)) : QStringLiteral("write error");
    return QStringLiteral("cannot write to standard output: ") + reason;
}

void CStandardConsole::WriteErr(QByteArrayView bytes)
{
    int error = 0;
    if (!m_closed[2])
        Write(stderr, bytes, error);
}

bool CStandardConsole::IsTerminal(Stream stream) const
{
    const int fd = stream == Stream::In ? 0 : 1;
    if (m_closed[fd])
        return false;
#ifdef Q_OS_WIN
    // The null device is a character device too: only a console answers GetConsoleMode.
    DWORD mode = 0;
    return ::GetConsoleMode(reinterpret_cast<HANDLE>(::_get_osfhandle(fd)), &mode) != 0;
#else
    return ::isatty(fd) == 1;
#endif
}

std::optional<QString> CStandardConsole::ReadIn(QByteArray &data, qint64 maxBytes)
{
    if (m_closed[0])
        return QStringLiteral("standard input is closed");
    data.resize(maxBytes);
    qint64 got = 0;
    while (got < data.size()) {
        const std::size_t n = std::fread(data.data() + got, 1, std::size_t(data.size() - got), stdin);
        got += qint64(n);
        if (n == 0)
            break;
    }
    if (std::ferror(stdin))
        return QString::fromLocal8Bit(std::strerror(errno));
    data.resize(got);
    return std::nullopt;
}

}  // namespace Cli
