#include "console.h"

// Std
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

namespace Cli {

namespace {

QString Escape(const QString &text, bool keepLineBreaks)
{
    const auto hex = [](char16_t u, int digits) {
        return QStringLiteral("%1").arg(unsigned(u), digits, 16, QLatin1Char('0')).toUpper();
    };
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\n' && keepLineBreaks)
            out += c;
        else if (IsControlOrLayout(u))
            out += u <= 0xFF ? QStringLiteral("\\x") + hex(u, 2) : QStringLiteral("\\u") + hex(u, 4);
        else
            out += c;
    }
    return out;
}

// Writes and flushes all of `bytes`; errno of the failure in `error`, 0 when it is not known.
bool Write(std::FILE *stream, QByteArrayView bytes, int &error)
{
    errno = 0;
    const std::size_t written = std::fwrite(bytes.data(), 1, std::size_t(bytes.size()), stream);
    const bool flushed = std::fflush(stream) == 0;
    const bool ok = written == std::size_t(bytes.size()) && flushed && !std::ferror(stream);
    error = ok ? 0 : errno;
    return ok;
}

}  // namespace

bool IsControlOrLayout(char16_t u)
{
    // C0, DEL and C1; the marks that set the direction of text; the line and paragraph
    // separators and the embeddings, overrides and isolates between them and after them.
    return u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x061C || u == 0x200E || u == 0x200F
           || (u >= 0x2028 && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
}

QString Escaped(const QString &text)
{
    return Escape(text, false);
}

QString ErrorLine(const QString &message)
{
    return QStringLiteral("brindle-cli: ") + Escaped(message) + QLatin1Char('\n');
}

QByteArray ConsoleBytes(const QString &text)
{
    QString escaped = Escape(text, true);
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
