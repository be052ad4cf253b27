#include "tabfinish.h"

// Qt
#include <QLabel>

#include "resourceids.h"
#include "settingstext.h"

CTabFinish::CTabFinish(IWizardFrame *wizard) : CWizardPage(wizard, "Firmware Modified", "Click Finish to exit.") {}

void CTabFinish::OnInitDialog()
{
    m_staticMessage = GetDlgItem<QLabel>(FinishIds::Message);
    // The report can be selected and copied, for a log of the boards prepared.
    m_staticMessage->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // Tab reaches it from "Finish", so a screen reader can read it.
    m_staticMessage->setFocusPolicy(Qt::StrongFocus);
}

void CTabFinish::OnShowWindow(bool show)
{
    if (!show)
        return;
    WriteHeader();
    QString text = SettingsText::FinishText(m_nFileKind, m_strVersion, m_strSourceFile, m_strTargetFile);
    // The label breaks lines at "\n".
    m_staticMessage->setText(text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}
