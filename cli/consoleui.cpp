#include "consoleui.h"

// Std
#include <cerrno>
#include <cstdio>

// Qt
#include <QByteArray>

#include "settingstext.h"

namespace {

bool Print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    errno = 0;
    const std::size_t written = std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    const bool flushed = std::fflush(stream) == 0;
    return written == std::size_t(bytes.size()) && flushed && !std::ferror(stream);
}

}  // namespace

bool PrintOut(const QString &text)
{
    return Print(stdout, text);
}

void PrintErr(const QString &text)
{
    Print(stderr, text);
}

void CConsoleUi::ShowMessage(const QString &text, const QString &caption)
{
    PrintErr(caption + QStringLiteral(": ") + text + QLatin1Char('\n'));
}

bool CConsoleUi::AskYesNo(const QString &text, const QString &caption)
{
    if (m_bAllowOverwrite)
        return true;
    // The only question is whether to replace the target.
    ShowMessage(m_strTarget.isEmpty()
                    ? text
                    : SettingsText::FileNamePart(m_strTarget) + QStringLiteral(" exists; use --force to replace it"),
                caption);
    return false;
}
