#pragma once

// Qt
#include <QWidget>

#include "dialogtemplate.h"

class CBrindleDlg;

// What every wizard page shares: built from its own template as a child of the wizard, writes
// the wizard's header when shown, and passes Enter and Escape to the wizard as Next and Cancel.
class CWizardPage : public QWidget
{
    Q_OBJECT

public:
    CWizardPage(CBrindleDlg *wizard, const char *title, const char *description);

    // Creates the page's controls from its template, then runs OnInitDialog.
    bool Create(int templateId, QWidget *parent);

    // Shows or hides the page; OnShowWindow runs when that changes its visibility.
    void ShowWindow(bool show);
    bool IsShown() const { return m_bShown; }

    // The input the keyboard focus goes to when the page opens: its first edit, list, check box
    // or radio group that can take the focus, or null when it has none.
    QWidget *FirstInput() const;

    // A control of the page's template.
    QWidget *GetDlgItem(int id) const { return m_controls.Item(id); }
    template <class T>
    T *GetDlgItem(int id) const { return m_controls.Item<T>(id); }

    CBrindleDlg *m_pWizard;
    const char *m_pszTitle;
    const char *m_pszDescription;

protected:
    // Runs once, after the controls exist.
    virtual void OnInitDialog() {}
    // Shown: move members into the controls and write the header. Hidden: move them back.
    virtual void OnShowWindow(bool show) = 0;
    // Makes the widget for a control of the template that needs its own class.
    virtual QWidget *CreateCustomControl(const ControlTemplate &, QWidget *) { return nullptr; }

    // Writes m_pszTitle and m_pszDescription into the wizard's header.
    void WriteHeader();
    // Sets the wizard's Next caption to "Next >" in its normal mode, then enables or disables it.
    void SetNextEnabled(bool enabled);

    void keyPressEvent(QKeyEvent *event) override;

    // The page's controls in template order.
    const CDialogControls &Controls() const { return m_controls; }

private:
    CDialogControls m_controls;
    bool m_bShown = false;
};
