#include "tabinit.h"

// Qt
#include <QButtonGroup>
#include <QCheckBox>
#include <QRadioButton>

#include "resources/resourceids.h"

CTabInit::CTabInit(IWizardFrame *wizard)
    : CWizardPage(wizard, "Choose Initialisation Options",
                  "Modify the initial command mode, input mode and startup behaviour of the LEDs.")
{}

void CTabInit::OnInitDialog()
{
    m_chkLedFlash = GetDlgItem<QCheckBox>(InitIds::LedFlash);
}

void CTabInit::OnShowWindow(bool show)
{
    if (show) {
        // The box says the LEDs do flash: it shows the flag inverted.
        m_chkLedFlash->setChecked(!m_bDisableLedFlash);
        CheckRadioButton(m_bAsciiInput ? InitIds::AsciiInput : InitIds::BinaryInput);
        CheckRadioButton(m_bShortCommandSet ? InitIds::ShortCommands : InitIds::ExtendedCommands);
        WriteHeader();
    } else {
        m_bDisableLedFlash = !m_chkLedFlash->isChecked();
        // A pair with nothing checked reads as ASCII input and the short command set.
        m_bAsciiInput = CheckedRadioButton(InitIds::AsciiInput) != InitIds::BinaryInput;
        m_bShortCommandSet = CheckedRadioButton(InitIds::ShortCommands) != InitIds::ExtendedCommands;
    }
}

void CTabInit::CheckRadioButton(int id)
{
    // In an exclusive group checking one button unchecks the other.
    GetDlgItem<QRadioButton>(id)->setChecked(true);
}

int CTabInit::CheckedRadioButton(int anyIdOfGroup) const
{
    const QButtonGroup *group = GetDlgItem<QRadioButton>(anyIdOfGroup)->group();
    return group ? group->checkedId() : -1;
}
