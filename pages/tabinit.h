#pragma once

#include "wizardpage.h"

class QCheckBox;

// "Set Init": the initial input mode, command mode and LED flash at power-on.
class CTabInit : public CWizardPage
{
    Q_OBJECT

public:
    explicit CTabInit(CBrindleDlg *wizard);

    bool m_bDisableLedFlash = false;
    bool m_bShortCommandSet = false;
    bool m_bAsciiInput = false;
    QCheckBox *m_chkLedFlash = nullptr;

protected:
    void OnInitDialog() override;
    void OnShowWindow(bool show) override;
};
