#pragma once

// A stand-in for the wizard window, for testing a page alone: it records the header the page
// writes, whether the page says it is complete (the state Next takes) and the commands it
// sends, and moves onto and off the page as the wizard's Next and Back do.

// Std
#include <memory>

// Qt
#include <QApplication>
#include <QList>
#include <QString>
#include <QWidget>
#include <QtTest>

#include "controls/wizardframe.h"
#include "leftovers.h"
#include "pages/wizardpage.h"
#include "recorder.h"
#include "resources/resourceids.h"

class FakeFrame : public QWidget, public IWizardFrame
{
public:
    FakeFrame() { resize(640, 400); }

    // Creates `page` from its template as a child of this frame; the frame owns it.
    template <class Page>
    Page *Add(Page *page, int templateId)
    {
        page->Create(templateId, this);
        return page;
    }

    // Onto `page` as the wizard's Next brings it on screen: the page on screen is left, the page
    // is shown, and Next follows what the page says of itself then and after each change.
    void Arrive(CWizardPage *page)
    {
        Leave();
        m_pShown = page;
        page->ShowWindow(true);
        nextEnabled = page->IsComplete();
        m_completeChanged = QObject::connect(page, &CWizardPage::completeChanged, this,
                                             [this, page] { nextEnabled = page->IsComplete(); });
    }

    // Off the page on screen, as Next and Back leave it.
    void Leave()
    {
        QObject::disconnect(m_completeChanged);
        if (m_pShown)
            m_pShown->ShowWindow(false);
        m_pShown = nullptr;
    }

    CWizardPage *Shown() const { return m_pShown; }

    // IWizardFrame
    void SetHeader(const QString &t, const QString &d) override
    {
        title = t;
        description = d;
    }
    void FocusNext() override {}
    IDialogServices *Services() const override { return const_cast<RecordingServices *>(&services); }
    // Records the command; Next leaves the page while Next is enabled, as the wizard's does.
    void OnCommand(int id) override
    {
        commands.append(id);
        if (id == WizardIds::Next && nextEnabled)
            Leave();
    }

    QString title;
    QString description;
    bool nextEnabled = false;
    QList<int> commands;
    RecordingServices services;

private:
    CWizardPage *m_pShown = nullptr;
    QMetaObject::Connection m_completeChanged;
};

// A shown frame per test, the moves onto and off its page, and the check that nothing is left
// open after it.
class FrameFixture
{
public:
    bool Start()
    {
        frame = std::make_unique<FakeFrame>();
        frame->show();
        return QTest::qWaitForWindowExposed(frame.get());
    }

    // Closes the frame; the windows left over after it, which should be none.
    QStringList Stop()
    {
        frame.reset();
        m_pLast = nullptr;
        return LeftoverWindows();
    }

    template <class Page>
    Page *Add(Page *page, int templateId)
    {
        return frame->Add(page, templateId);
    }

    // Onto `page` as the wizard's Next brings it on screen.
    void Arrive(CWizardPage *page)
    {
        m_pLast = page;
        frame->Arrive(page);
    }
    // The wizard's Next and Back as a page sees them: off the page on screen, or, when none is,
    // onto the page last shown again (as Back returns to it after Next, and Next after Back).
    void Next() { Move(); }
    void Back() { Move(); }

    QString Title() const { return frame->title; }
    QString Description() const { return frame->description; }
    bool NextEnabled() const { return frame->nextEnabled; }

    std::unique_ptr<FakeFrame> frame;

private:
    void Move()
    {
        if (frame->Shown())
            frame->Leave();
        else if (m_pLast)
            frame->Arrive(m_pLast);
    }

    CWizardPage *m_pLast = nullptr;
};
