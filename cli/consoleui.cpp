#include "consoleui.h"

// Std
#include <cerrno>
#include <cstdio>
#include <cstring>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

// Qt
#include <QByteArray>

#include "firmware/filename.h"

namespace {

bool g_closed[3] = {};  // standard input, output and error closed at start-up
int g_outputError = 0;

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

bool Print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = Escape(text, true).toUtf8();
    errno = 0;
    const std::size_t written = std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    const bool flushed = std::fflush(stream) == 0;
    return written == std::size_t(bytes.size()) && flushed && !std::ferror(stream);
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

bool PrintOut(const QString &text)
{
    if (g_closed[1]) {
        g_outputError = EBADF;
        return false;
    }
    const bool ok = Print(stdout, text);
    g_outputError = ok ? 0 : errno;
    return ok;
}

void PrintErr(const QString &text)
{
    if (!g_closed[2])
        Print(stderr, text);
}

QString OutputFailure()
{
    if (g_closed[1])
        return QStringLiteral("standard output is closed");
    const QString reason =
        g_outputError ? QString::fromLocal8Bit(std::strerror(g_outputError)) : QStringLiteral("write error");
    return QStringLiteral("cannot write to standard output: ") + reason;
}

void GuardStandardStreams()
{
#ifdef Q_OS_WIN
    // A stream without a handle behind it: the C library reports -2 (no stream) or -1.
    for (int fd = 0; fd < 3; ++fd) {
        const intptr_t handle = ::_get_osfhandle(fd);
        g_closed[fd] = handle == -1 || handle == -2;
    }
#else
    // The lowest free number is the one that is given out, so each closed one is filled in order.
    for (int fd = 0; fd < 3; ++fd) {
        if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF)
            continue;
        g_closed[fd] = true;
        const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != fd)
            ::close(opened);
    }
#endif
}

bool StandardInputClosed()
{
    return g_closed[0];
}

QString ErrorLine(const QString &message)
{
    return QStringLiteral("brindle-cli: ") + Escaped(message) + QLatin1Char('\n');
}

void CConsoleUi::ShowMessage(const QString &text, const QString &caption)
{
    // The wizard's caption leads, in small letters as every message of the program does.
    QString line = caption.toLower();
    if (!m_strSubject.isEmpty()) {
        const QString source = QStringLiteral("source file");
        if (line.contains(source))
            line.replace(source, m_strSubject);
        else
            line = m_strSubject + QLatin1Char(' ') + m_strSubjectPath + QStringLiteral(": ") + line;
    }
    PrintErr(ErrorLine(line + QStringLiteral(": ") + text));
}

bool CConsoleUi::AskYesNo(const QString &text, const QString &caption)
{
    if (m_bAllowOverwrite)
        return true;
    // The only question is whether to replace the target.
    ShowMessage(m_strTarget.isEmpty()
                    ? text
                    : FileName::LastPart(m_strTarget) + QStringLiteral(" exists; use --force to replace it"),
                caption);
    return false;
}
