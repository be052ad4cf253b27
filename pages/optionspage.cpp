#include "optionspage.h"

// Qt
#include <QAbstractButton>

#include "flagcontrols.h"

using FlagControls::FlagControl;
using FlagControls::kRows;

COptionsPage::COptionsPage(IWizardFrame *wizard, int templateId, const char *title, const char *description)
    : CWizardPage(wizard, title, description)
    , m_nTemplateId(templateId)
{}

void COptionsPage::SetSettings(const Firmware::Settings &settings)
{
    for (const FlagControl &f : kRows) {
        if (f.dialog == m_nTemplateId)
            m_options.*f.member = settings.*f.member;
    }
}

void COptionsPage::GetSettings(Firmware::Settings &settings) const
{
    for (const FlagControl &f : kRows) {
        if (f.dialog == m_nTemplateId)
            settings.*f.member = m_options.*f.member;
    }
}

void COptionsPage::OnShowWindow(bool show)
{
    for (const FlagControl &f : kRows) {
        if (f.dialog != m_nTemplateId)
            continue;
        auto *control = GetDlgItem<QAbstractButton>(f.control);
        auto *other = f.otherButton ? GetDlgItem<QAbstractButton>(f.otherButton) : nullptr;
        bool &value = m_options.*f.member;
        if (show) {
            // In a radio pair checking one button unchecks the other.
            const bool checked = value == f.checkedMeans;
            if (other && !checked)
                other->setChecked(true);
            else
                control->setChecked(checked);
        } else {
            // A radio pair with nothing checked reads as its first button.
            const bool otherChecked = other ? other->isChecked() : !control->isChecked();
            value = otherChecked ? !f.checkedMeans : f.checkedMeans;
        }
    }
    if (show)
        WriteHeader();
}
