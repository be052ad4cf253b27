#pragma once

// Qt
#include <QString>

#include "console.h"
#include "firmware/firmwareui.h"

namespace Cli {

// The caption of the command line's own errors (an unknown option, a missing argument), in a
// JSON error.
inline const QString kCaptionCommandLine = QStringLiteral("Command Line Error");

// An error as one JSON object, for a script that asked for JSON:
// {"error": {"caption": ..., "text": ..., "path": ...}}, the path null when the error is about no
// file.
QString ErrorJson(const QString &caption, const QString &text, const QString &path);

}  // namespace Cli

// The firmware core's messages on a terminal: each message box becomes one line
// "brindle-cli: caption: text" on the console's standard error, the caption in small letters;
// under --json also an error object on standard output (Cli::ErrorJson).
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
        m_strPath = path;
    }
    // The file the next messages are about, for their JSON form.
    void SetPath(const QString &path) { m_strPath = path; }
    // Every message also as a JSON error on standard output.
    void SetJson(bool json) { m_bJson = json; }

    void ShowMessage(const QString &text, const QString &caption) override;
    bool AskYesNo(const QString &text, const QString &caption) override;
    void BeginWait() override {}
    void EndWait() override {}

private:
    Cli::IConsole &m_console;
    bool m_bAllowOverwrite;
    bool m_bJson = false;
    QString m_strTarget;
    QString m_strSubject;
    QString m_strSubjectPath;
    QString m_strPath;
};
