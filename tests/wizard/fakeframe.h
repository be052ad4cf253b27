#pragma once

// A stand-in for the wizard window, for testing a page alone: it records the header the page
// writes, the state it gives the Next button and the commands it sends, and moves onto and off
// the page as the wizard's Next and Back do.

// Std
#include <memory>

// Qt
#include <QApplication>
#include <QList>
#include <QString>
#include <QWidget>
#include <QtTest>

#include "controls/wizardframe.h"
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

    // Onto `page` as the wizard's Next does in its normal mode: the page on screen is left, Next
    // is enabled with the caption "Next >", then the page is shown and has the last word.
    void Arrive(CWizardPage *page)
    {
        Leave();
        nextEnabled = true;
        nextCaption = QStringLiteral("Next >");
        m_pShown = page;
        page->ShowWindow(true);
    }

    // Off the page on screen, as Next and Back leave it.
    void Leave()
    {
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
    void EnableNext(bool enabled) override
    {
        if (nextMode == NextNormal)
            nextCaption = QStringLiteral("Next >");
        nextEnabled = enabled;
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
    QString nextCaption = QStringLiteral("Next >");
    int nextMode = NextNormal;
    QList<int> commands;
    RecordingServices services;

private:
    CWizardPage *m_pShown = nullptr;
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

    bool Stop()
    {
        frame.reset();
        m_pLast = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return QApplication::topLevelWidgets().isEmpty();
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
