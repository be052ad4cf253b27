#pragma once

// Qt
#include <QString>

#include "console.h"
#include "firmware/firmwareui.h"

// The firmware core's messages on a terminal: each message box becomes one line
// "brindle-cli: caption: text" on the console's standard error, the caption in small letters.
// Nobody can answer a question there, so the overwrite question is answered in advance (by
// --force); without it the answer is No, and the refusal "file exists: NAME exists; use --force
// to replace it" is printed instead of the question.
class CConsoleUi : public IFirmwareUi
{
public:
    explicit CConsoleUi(Cli::IConsole &console, bool allowOverwrite = false, const QString &target = QString())
        : m_console(console)
        , m_bAllowOverwrite(allowOverwrite)
        , m_strTarget(target)
    {}

    // Which of several files the next messages are about, such as "second file": it takes the
    // place of "source file" in a caption, and leads, with the path, any other message.
    void SetSubject(const QString &subject, const QString &path)
    {
        m_strSubject = subject;
        m_strSubjectPath = path;
    }

    void ShowMessage(const QString &text, const QString &caption) override;
    bool AskYesNo(const QString &text, const QString &caption) override;
    void BeginWait() override {}
    void EndWait() override {}

private:
    Cli::IConsole &m_console;
    bool m_bAllowOverwrite;
    QString m_strTarget;
    QString m_strSubject;
    QString m_strSubjectPath;
};
