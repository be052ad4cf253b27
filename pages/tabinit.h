#pragma once

#include "wizardpage.h"

class QCheckBox;

// "Set Init": the initial input mode, command mode and LED flash at power-on.
class CTabInit : public CWizardPage
{
    Q_OBJECT

public:
    explicit CTabInit(IWizardFrame *wizard);

    bool m_bDisableLedFlash = false;
    bool m_bShortCommandSet = false;
    bool m_bAsciiInput = false;
    QCheckBox *m_chkLedFlash = nullptr;

protected:
    void OnInitDialog() override;
    void OnShowWindow(bool show) override;

private:
    // Checks one button of a radio pair; the pair's other button is unchecked.
    void CheckRadioButton(int id);
    // The id of the checked button in the pair of `anyIdOfGroup`, or -1 when none is checked.
    int CheckedRadioButton(int anyIdOfGroup) const;
};
