#pragma once

// Qt
#include <QString>

#include "firmwareui.h"

// Standard output and standard error in UTF-8. A "\n" is the platform's line end: on Windows
// these streams are in text mode and write CR LF, as text files there are written.
void PrintOut(const QString &text);
void PrintErr(const QString &text);

// The firmware core's messages on a terminal: each message box becomes one line
// "caption: text" on standard error. Nobody can answer a question there, so the overwrite
// question is answered in advance (by --force).
class CConsoleUi : public IFirmwareUi
{
public:
    explicit CConsoleUi(bool allowOverwrite = false) : m_bAllowOverwrite(allowOverwrite) {}

    void ShowMessage(const QString &text, const QString &caption) override;
    bool AskYesNo(const QString &text, const QString &caption) override;
    void BeginWait() override {}
    void EndWait() override {}

private:
    bool m_bAllowOverwrite;
};
