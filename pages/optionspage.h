#pragma once

#include "firmware/settings.h"
#include "wizardpage.h"

// A page of option flags: one check box or radio pair per row of the flag-control table
// (flagcontrols.h) that names the page's template. Shown, it sets the controls from its values; hidden, it reads them back.
class COptionsPage : public CWizardPage
{
    Q_OBJECT

public:
    COptionsPage(IWizardFrame *wizard, int templateId, const char *title, const char *description);

    // The values of this page's flags only.
    void SetSettings(const Firmware::Settings &settings) override;
    void GetSettings(Firmware::Settings &settings) const override;

protected:
    void OnShowWindow(bool show) override;

private:
    int m_nTemplateId;
    Firmware::Settings m_options;  // only this page's flags are used
};
