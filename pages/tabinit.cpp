#include "tabinit.h"

// Qt
#include <QButtonGroup>
#include <QCheckBox>
#include <QRadioButton>

namespace {

constexpr int IDC_LED_FLASH = 1019;
constexpr int IDC_ASCII_INPUT = 1022;
constexpr int IDC_BINARY_INPUT = 1023;
constexpr int IDC_SHORT_COMMANDS = 1024;
constexpr int IDC_EXTENDED_COMMANDS = 1025;

}  // namespace

CTabInit::CTabInit(CBrindleDlg *wizard)
    : CWizardPage(wizard, "Choose Initialisation Options",
                  "Modify the initial command mode, input mode and startup behaviour of the LEDs.")
{
}

void CTabInit::OnInitDialog()
{
    m_chkLedFlash = GetDlgItem<QCheckBox>(IDC_LED_FLASH);
}

void CTabInit::OnShowWindow(bool show)
{
    if (show) {
        // The box says the LEDs do flash: it shows the flag inverted.
        m_chkLedFlash->setChecked(!m_bDisableLedFlash);
        CheckRadioButton(m_bAsciiInput ? IDC_ASCII_INPUT : IDC_BINARY_INPUT);
        CheckRadioButton(m_bShortCommandSet ? IDC_SHORT_COMMANDS : IDC_EXTENDED_COMMANDS);
        WriteHeader();
    } else {
        m_bDisableLedFlash = !m_chkLedFlash->isChecked();
        // A pair with nothing checked reads as ASCII input and the short command set.
        m_bAsciiInput = CheckedRadioButton(IDC_ASCII_INPUT) != IDC_BINARY_INPUT;
        m_bShortCommandSet = CheckedRadioButton(IDC_SHORT_COMMANDS) != IDC_EXTENDED_COMMANDS;
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
