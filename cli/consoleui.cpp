#include "consoleui.h"

// Qt
#include <QJsonObject>

#include "firmware/filename.h"
#include "jsontext.h"

QString Cli::ErrorJson(const QString &caption, const QString &text, const QString &path)
{
    const QJsonObject error{
        {QStringLiteral("caption"), caption},
        {QStringLiteral("text"), text},
        {QStringLiteral("path"), path.isNull() ? QJsonValue() : QJsonValue(path)},
    };
    return JsonText::Write(QJsonObject{{QStringLiteral("error"), error}},
                           {QStringLiteral("error"), QStringLiteral("error.caption"), QStringLiteral("error.text"),
                            QStringLiteral("error.path")});
}

void CConsoleUi::ShowMessage(const QString &text, const QString &caption)
{
    // The wizard's caption leads, in small letters as every message of the program does.
    QString shown = caption;
    QString line;
    const QString source = QStringLiteral("source file");
    if (!m_strSubject.isEmpty() && caption.contains(source, Qt::CaseInsensitive)) {
        shown.replace(source, m_strSubject, Qt::CaseInsensitive);
        line = shown.toLower();
    } else if (!m_strSubject.isEmpty()) {
        line = m_strSubject + QLatin1Char(' ') + m_strSubjectPath + QStringLiteral(": ") + caption.toLower();
    } else {
        line = caption.toLower();
    }
    Cli::PrintErr(m_console, Cli::ErrorLine(line + QStringLiteral(": ") + text));
    // A script that cannot have its JSON has the line above; nothing more can be said.
    if (m_bJson)
        Cli::PrintOut(m_console, Cli::ErrorJson(shown, text, m_strPath));
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
