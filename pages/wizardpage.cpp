#include "wizardpage.h"

// Qt
#include <QKeyEvent>
#include <QPushButton>

#include "controls/accessibility.h"
#include "resources/resourceids.h"

CWizardPage::CWizardPage(IWizardFrame *frame, const char *title, const char *description)
    : m_pWizard(frame)
    , m_pszTitle(title)
    , m_pszDescription(description)
{}

void CWizardPage::Create(int templateId, QWidget *parent)
{
    const DialogTemplate *tpl = FindDialogTemplate(templateId);
    Q_ASSERT_X(tpl, "CWizardPage::Create", "a page of a template the program does not have");
    if (!tpl)
        return;
    setParent(parent);
    hide();
    // A screen reader hears the page's title and description as the focus enters it.
    Accessibility::MarkAsPage(this, QString::fromUtf8(m_pszTitle), QString::fromUtf8(m_pszDescription));
    m_controls = CDialogBuilder::Build(
        this, *tpl, [this](const ControlTemplate &c, QWidget *p) { return CreateCustomControl(c, p); });
    m_bCreated = true;
    OnInitDialog();
}

QWidget *CWizardPage::FirstInput() const
{
    for (QWidget *w : m_controls.InOrder()) {
        if (qobject_cast<QPushButton *>(w) || !(w->focusPolicy() & Qt::TabFocus))
            continue;
        if (w->isVisibleTo(this) && w->isEnabled())
            return w;
    }
    return nullptr;
}

void CWizardPage::ShowWindow(bool show)
{
    Q_ASSERT_X(m_bCreated, "CWizardPage::ShowWindow", "a page shown or hidden before it is created");
    m_bHiding = !show;
    setVisible(show);
    m_bHiding = false;
    // Shown for the first time, the lists have their final style and font: they take their width.
    if (show && !m_bListsFitted) {
        CDialogBuilder::FitComboBoxes(m_controls);
        m_bListsFitted = true;
    }
    if (show == m_bShown)
        return;
    m_bShown = show;
    OnShowWindow(show);
}

void CWizardPage::WriteHeader()
{
    m_pWizard->SetHeader(QString::fromUtf8(m_pszTitle), QString::fromUtf8(m_pszDescription));
}

void CWizardPage::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_pWizard->OnCommand(WizardIds::Next);
        event->accept();
        return;
    case Qt::Key_Escape:
        m_pWizard->OnCommand(WizardIds::Cancel);
        event->accept();
        return;
    default: QWidget::keyPressEvent(event);
    }
}

bool CWizardPage::focusNextPrevChild(bool next)
{
    if (m_bHiding)
        return true;
    return QWidget::focusNextPrevChild(next);
}
