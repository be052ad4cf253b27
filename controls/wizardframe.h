#pragma once

// Qt
#include <QString>

class IDialogServices;

// What a wizard page needs from the window that hosts it, and nothing more: the header it
// writes, the dialogs it may open and the route for the commands that Enter and Escape stand
// for. Whether Next is enabled the frame asks the page (CWizardPage::IsComplete). The wizard (CBrindleDlg) implements it; page tests put in a
// small stand-in.
class IWizardFrame
{
public:
    // The Next button's modes: "Next >", "Write" on the save step, and none once finished.
    enum NextMode { NextNormal = 0, NextWrite = 1, NextFinished = 2 };

    virtual ~IWizardFrame() = default;

    // Writes the header: the page's title and the description below it.
    virtual void SetHeader(const QString &title, const QString &description) = 0;

    // Gives the keyboard focus to Next while it is shown and enabled, so that Enter presses it.
    virtual void FocusNext() = 0;

    // The message boxes and file dialogs.
    virtual IDialogServices *Services() const = 0;

    // A command of the frame's buttons, by control id (WizardIds::Next, Back, Cancel).
    virtual void OnCommand(int id) = 0;
};
