#include "tabcode.h"

// Qt
#include <QLabel>

#include "controls/editalnum.h"
#include "firmware/fieldrules.h"
#include "resources/resourceids.h"

CTabCode::CTabCode(int bTargetDir, IWizardFrame *wizard)
    : CWizardPage(wizard, bTargetDir ? "Choose Target Directory" : "Choose Version Code",
                  bTargetDir ? "Choose a 4 letter code to create a prefix for the target directory of snapshot "
                               "commands. Use only uppercase letters and numbers."
                             : "Choose a unique 3 letter code to identify this modified version of code. Use "
                               "only uppercase letters and numbers.")
    , m_bTargetDir(bTargetDir)
    , m_pszLabel(bTargetDir ? "Target Directory Prefix:" : "Firmware Code:")
{}

QWidget *CTabCode::CreateCustomControl(const ControlTemplate &c, QWidget *parent)
{
    if (c.id == CodeIds::Code)
        return new CEditAlnum(parent);
    return nullptr;
}

void CTabCode::OnInitDialog()
{
    m_editCode = GetDlgItem<CEditAlnum>(CodeIds::Code);
    m_staticLabel = GetDlgItem<QLabel>(CodeIds::Label);
    connect(m_editCode, &QLineEdit::textChanged, this, &CTabCode::OnChangeCode);
    // What the box takes, for a screen reader; the label beside it names it.
    m_editCode->setAccessibleDescription(
        QStringLiteral("Exactly %1 letters or digits; letters become capitals.").arg(RequiredLength()));
}

void CTabCode::SetSettings(const Firmware::Settings &settings)
{
    m_strCode = m_bTargetDir ? settings.m_strDirPrefix : settings.m_strVersionCode;
    // The box takes the code now, while the page is hidden, so that showing the page changes
    // nothing in it: a change just before the box takes the focus would hide the focus from a
    // screen reader.
    if (IsCreated() && !IsShown())
        ShowCode();
}

void CTabCode::ShowCode()
{
    if (m_editCode->text() != m_strCode)
        m_editCode->SetTextAsIs(m_strCode);
}

void CTabCode::GetSettings(Firmware::Settings &settings) const
{
    (m_bTargetDir ? settings.m_strDirPrefix : settings.m_strVersionCode) = m_strCode;
}

void CTabCode::OnShowWindow(bool show)
{
    if (show) {
        ShowCode();
        // Setting the text is a change even when the box already held it, and the edit only
        // signals real changes.
        OnChangeCode();
        WriteHeader();
        m_staticLabel->setText(QString::fromUtf8(m_pszLabel));
        m_editCode->SetLimitText(RequiredLength());
    } else {
        // m_strCode already holds the box's text: OnChangeCode takes every change as it comes.
        m_editCode->SetLimitText(RequiredLength());
    }
}

void CTabCode::OnChangeCode()
{
    m_strCode = m_editCode->text();
    emit completeChanged();
}

bool CTabCode::IsComplete() const
{
    // A code goes on only when it is one brindle-cli would take too: the required number of
    // ASCII letters and digits. A loaded code is shown as it is, so one with other characters
    // has to be changed first.
    return FieldRules::IsCode(m_strCode, RequiredLength());
}
