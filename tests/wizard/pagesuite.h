#pragma once

// Qt
#include <QStringList>

#include "fakeframe.h"
#include "firmware/settings.h"
#include "wizarddriver.h"

// What the suites of one page share: the page alone in a stand-in frame, which init() sets up,
// or the wizard's own instance once a test starts the wizard; cleanup() closes both and expects
// no window left over.
template <class Page>
class PageSuite
{
protected:
    // A fresh page in a fresh frame, built from `templateId`; `args` go before the frame in the
    // page's constructor.
    template <class... Args>
    bool StartPage(int templateId, Args... args)
    {
        if (!m_frame.Start())
            return false;
        m_page = m_frame.Add(new Page(args..., m_frame.frame.get()), templateId);
        return true;
    }

    // Puts the wizard's own page of `step` in the place of the page alone.
    bool StartWizard(int step)
    {
        if (!m_wizard.Start())
            return false;
        m_page = m_wizard.PageAt<Page>(step);
        return m_page != nullptr;
    }

    // Closes the wizard and the frame; the windows left over, which should be none.
    QStringList StopAll()
    {
        m_page = nullptr;
        m_wizard.Stop();
        return m_frame.Stop();
    }

    Page *page() const { return m_page; }
    // The settings the wizard would collect from the page now.
    Firmware::Settings collected() const
    {
        Firmware::Settings settings;
        m_page->GetSettings(settings);
        return settings;
    }

    FrameFixture m_frame;
    WizardDriver m_wizard;

private:
    Page *m_page = nullptr;
};
