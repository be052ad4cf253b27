#pragma once

// Qt
#include <QWidget>

#include "controls/dialogtemplate.h"
#include "controls/wizardframe.h"
#include "firmware/settings.h"

// What every wizard page shares: built from its own template as a child of its frame, writes
// the frame's header when shown, and passes Enter and Escape to the frame as Next and Cancel.
class CWizardPage : public QWidget
{
    Q_OBJECT

public:
    CWizardPage(IWizardFrame *frame, const char *title, const char *description);

    // Creates the page's controls from its template, then runs OnInitDialog.
    void Create(int templateId, QWidget *parent);
    // Whether Create has built the page's controls.
    bool IsCreated() const { return m_bCreated; }

    // Shows or hides the page; OnShowWindow runs when that changes its visibility.
    void ShowWindow(bool show);
    // Whether the page was last shown (ShowWindow(true)) rather than hidden.
    bool IsShown() const { return m_bShown; }

    // Whether the page holds what Next needs. The frame reads it when the page comes on screen and
    // whenever the page sends completeChanged, and enables Next by it.
    virtual bool IsComplete() const { return true; }

    // The settings the page edits: taken from the wizard's record after a load, before the page
    // is shown, and given back into it before the record is written. The other members of
    // `settings` stay as they are. Pages that edit none keep the empty defaults.
    virtual void SetSettings(const Firmware::Settings &) {}
    virtual void GetSettings(Firmware::Settings &) const {}

    // The input the keyboard focus goes to when the page opens: its first edit, list, check box
    // or radio group that can take the focus, or null when it has none.
    QWidget *FirstInput() const;

    // A control of the page's template.
    QWidget *GetDlgItem(int id) const { return m_controls.Item(id); }
    template <class T>
    T *GetDlgItem(int id) const
    {
        return m_controls.Item<T>(id);
    }

    IWizardFrame *m_pWizard;
    const char *m_pszTitle;
    const char *m_pszDescription;

signals:
    // What IsComplete says may have changed.
    void completeChanged();

protected:
    // Runs once, after the controls exist.
    virtual void OnInitDialog() {}
    // Shown: move members into the controls and write the header. Hidden: move them back.
    virtual void OnShowWindow(bool show) = 0;
    // Makes the widget for a control of the template that needs its own class.
    virtual QWidget *CreateCustomControl(const ControlTemplate &, QWidget *) { return nullptr; }

    // Writes m_pszTitle and m_pszDescription into the frame's header.
    void WriteHeader();

    void keyPressEvent(QKeyEvent *event) override;
    // While the page is being hidden the focus stays where it is, on the hidden control, until the
    // frame places it in the next page: it never passes through the frame's buttons on the way.
    bool focusNextPrevChild(bool next) override;

    // The page's controls in template order.
    const CDialogControls &Controls() const { return m_controls; }

private:
    CDialogControls m_controls;
    bool m_bCreated = false;
    bool m_bShown = false;
    bool m_bHiding = false;
    bool m_bListsFitted = false;  // the lists have their width, from the first show
};
