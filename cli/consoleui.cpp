#include "consoleui.h"

#include "firmware/filename.h"

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
    Cli::PrintErr(m_console, Cli::ErrorLine(line + QStringLiteral(": ") + text));
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
