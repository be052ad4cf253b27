#pragma once

// Qt
#include <QString>

#include "firmwareui.h"

// Standard output and standard error in UTF-8. A "\n" is the platform's line end: on Windows
// these streams are in text mode and write CR LF, as text files there are written.
// PrintOut is false when the text could not be written and flushed in full (a full disk,
// a closed pipe); errno tells why.
bool PrintOut(const QString &text);
void PrintErr(const QString &text);

// The firmware core's messages on a terminal: each message box becomes one line
// "caption: text" on standard error. Nobody can answer a question there, so the overwrite
// question is answered in advance (by --force); without it the answer is No, and the refusal
// "File Exists: NAME exists; use --force to replace it" is printed instead of the question.
class CConsoleUi : public IFirmwareUi
{
public:
    explicit CConsoleUi(bool allowOverwrite = false, const QString &target = QString())
        : m_bAllowOverwrite(allowOverwrite)
        , m_strTarget(target)
    {}

    void ShowMessage(const QString &text, const QString &caption) override;
    bool AskYesNo(const QString &text, const QString &caption) override;
    void BeginWait() override {}
    void EndWait() override {}

private:
    bool m_bAllowOverwrite;
    QString m_strTarget;
};
