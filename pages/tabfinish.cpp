#include "tabfinish.h"

#include <algorithm>

#include "controls/accessibility.h"
#include "controls/selectabletext.h"
#include "firmware/screentext.h"
#include "firmware/settingstext.h"
#include "resources/resourceids.h"

CTabFinish::CTabFinish(IWizardFrame *wizard) : CWizardPage(wizard, "Firmware Modified", "Click Finish to exit.") {}

QWidget *CTabFinish::CreateCustomControl(const ControlTemplate &c, QWidget *parent)
{
    // The report names files whose names may be longer than a line: it wraps inside them, shows
    // them whole (scrolling when they are longer than the page) and can be selected and copied,
    // for a log of the boards prepared.
    if (c.id == FinishIds::Message)
        return new CSelectableText(parent);
    return nullptr;
}

void CTabFinish::OnInitDialog()
{
    m_staticMessage = GetDlgItem<CSelectableText>(FinishIds::Message);
    // Tab reaches it from "Finish", so a screen reader can read it and the keyboard select it.
    m_staticMessage->setFocusPolicy(Qt::StrongFocus);
    // A screen reader says the whole report as it takes the focus, not its first line alone.
    Accessibility::MarkAsReport(m_staticMessage);
}

void CTabFinish::SetResult(const QString &sourceFile, const QString &targetFile, const Firmware::Settings &written)
{
    m_strSourceFile = sourceFile;
    m_strTargetFile = targetFile;
    m_strVersion = written.m_strVersion;
    m_nFileKind = written.m_nFileKind;
}

void CTabFinish::OnShowWindow(bool show)
{
    if (!show)
        return;
    WriteHeader();
    // The control breaks lines at "\n". The names and the version text show what they hold.
    m_staticMessage->setText(SettingsText::WithLineFeeds(
        SettingsText::FinishText(m_nFileKind, m_strVersion, m_strSourceFile, m_strTargetFile, ScreenText::Isolated)));
    // In a wider font the report takes more lines: it grows down to the page's foot before it
    // scrolls, so the name written is seen at once.
    const int room = m_staticMessage->parentWidget()->height() - m_staticMessage->y();
    const int need = std::min(m_staticMessage->HeightShowingAll(), room);
    if (need > m_staticMessage->height())
        m_staticMessage->resize(m_staticMessage->width(), need);
}
