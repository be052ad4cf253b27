#include "tabprompt.h"

// Qt
#include <QCheckBox>

namespace {

constexpr int IDC_DISABLE_UPGRADES = 1017;
constexpr int IDC_DISABLE_DATA_MODE = 1018;
constexpr int IDC_DISABLE_STATUS_INFO = 1019;
constexpr int IDC_SHOW_VERSION_REPORT = 1020;
constexpr int IDC_SHOW_PROMPT = 1021;
constexpr int IDC_SHOW_DEVICE_CONNECTS = 1026;

}  // namespace

CTabPrompt::CTabPrompt(CBrindleDlg *wizard)
    : CWizardPage(wizard, "Choose Firmware Options",
                  "Modify the behaviour of the firmware. Instructs the Monitor to not display promtps, device "
                  "detected messages and version information. Allows data mode and firmware upgrades to be "
                  "disabled.")
{
}

void CTabPrompt::OnInitDialog()
{
    m_chkDisableUpgrades = GetDlgItem<QCheckBox>(IDC_DISABLE_UPGRADES);
    m_chkDisableDataMode = GetDlgItem<QCheckBox>(IDC_DISABLE_DATA_MODE);
    m_chkShowVersionReport = GetDlgItem<QCheckBox>(IDC_SHOW_VERSION_REPORT);
    m_chkShowPrompt = GetDlgItem<QCheckBox>(IDC_SHOW_PROMPT);
    m_chkShowDeviceConnects = GetDlgItem<QCheckBox>(IDC_SHOW_DEVICE_CONNECTS);
    m_chkDisableStatusInfo = GetDlgItem<QCheckBox>(IDC_DISABLE_STATUS_INFO);
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
