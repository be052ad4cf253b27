#include "tabprompt.h"

// Qt
#include <QCheckBox>

#include "resources/resourceids.h"

CTabPrompt::CTabPrompt(IWizardFrame *wizard)
    : CWizardPage(wizard, "Choose Firmware Options",
                  "Modify the behaviour of the firmware. Instructs the Monitor to not display prompts, device "
                  "detected messages and version information. Allows data mode and firmware upgrades to be "
                  "disabled.")
{}

void CTabPrompt::OnInitDialog()
{
    m_chkDisableUpgrades = GetDlgItem<QCheckBox>(PromptIds::DisableUpgrades);
    m_chkDisableDataMode = GetDlgItem<QCheckBox>(PromptIds::DisableDataMode);
    m_chkShowVersionReport = GetDlgItem<QCheckBox>(PromptIds::ShowVersionReport);
    m_chkShowPrompt = GetDlgItem<QCheckBox>(PromptIds::ShowPrompt);
    m_chkShowDeviceConnects = GetDlgItem<QCheckBox>(PromptIds::ShowDeviceConnects);
    m_chkDisableStatusInfo = GetDlgItem<QCheckBox>(PromptIds::DisableStatusInfo);
}

void CTabPrompt::OnShowWindow(bool show)
{
    // The "Show" boxes are checked when their hide flag is clear; the "Disable" boxes follow
    // their flag.
    if (show) {
        m_chkDisableUpgrades->setChecked(m_bDisableUpgrades);
        m_chkDisableStatusInfo->setChecked(m_bDisableStatusInfo);
        m_chkDisableDataMode->setChecked(m_bDisableDataMode);
        m_chkShowVersionReport->setChecked(!m_bHideVersionReport);
        m_chkShowPrompt->setChecked(!m_bHidePrompt);
        m_chkShowDeviceConnects->setChecked(!m_bHideConnects);
        WriteHeader();
    } else {
        m_bDisableUpgrades = m_chkDisableUpgrades->isChecked();
        m_bDisableStatusInfo = m_chkDisableStatusInfo->isChecked();
        m_bDisableDataMode = m_chkDisableDataMode->isChecked();
        m_bHideVersionReport = !m_chkShowVersionReport->isChecked();
        m_bHidePrompt = !m_chkShowPrompt->isChecked();
        m_bHideConnects = !m_chkShowDeviceConnects->isChecked();
    }
}
