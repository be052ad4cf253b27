#include "consoleui.h"

// Std
#include <cstdio>

// Qt
#include <QByteArray>

namespace {

void Print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fflush(stream);
}

}  // namespace

void PrintOut(const QString &text)
{
    Print(stdout, text);
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
    Q_UNUSED(text);
    Q_UNUSED(caption);
    return m_bAllowOverwrite;
}
