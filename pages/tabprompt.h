#pragma once

#include "wizardpage.h"

class QCheckBox;

// "Set Prompt": the six monitor options.
class CTabPrompt : public CWizardPage
{
    Q_OBJECT

public:
    explicit CTabPrompt(IWizardFrame *wizard);

    bool m_bDisableUpgrades = false;
    bool m_bHideConnects = false;
    bool m_bDisableDataMode = false;
    bool m_bDisableStatusInfo = false;
    bool m_bHideVersionReport = false;
    bool m_bHidePrompt = false;
    QCheckBox *m_chkDisableUpgrades = nullptr;
    QCheckBox *m_chkDisableDataMode = nullptr;
    QCheckBox *m_chkShowVersionReport = nullptr;
    QCheckBox *m_chkShowPrompt = nullptr;
    QCheckBox *m_chkShowDeviceConnects = nullptr;
    QCheckBox *m_chkDisableStatusInfo = nullptr;

protected:
    void OnInitDialog() override;
    void OnShowWindow(bool show) override;
};
