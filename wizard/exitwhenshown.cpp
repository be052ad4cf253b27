#include "exitwhenshown.h"

// Std
#include <cstdio>
#include <cstdlib>

// Qt
#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QWindow>

namespace Startup {

namespace {

// Watches every event of the application for the first exposed top-level window, then waits
// for the loop to run out of work. It exits without tearing anything down: what comes after the
// first page is on screen is not start-up.
class FirstExposeWatcher : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && !m_exposed) {
            auto *window = qobject_cast<QWindow *>(watched);
            if (window && window->isTopLevel() && window->isExposed()) {
                m_exposed = true;
                // Queued behind the expose event itself, which paints the window.
                QMetaObject::invokeMethod(this, &FirstExposeWatcher::WaitForIdle, Qt::QueuedConnection);
            }
        }
        return false;
    }

private:
    void WaitForIdle()
    {
        QCoreApplication::instance()->removeEventFilter(this);
        connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this, [] {
            std::fflush(nullptr);
            std::_Exit(0);
        });
    }

    bool m_exposed = false;
};

}  // namespace

bool ExitWhenShownRequested()
{
    return !qEnvironmentVariableIsEmpty(kExitWhenShownVariable);
}

void ExitWhenShown()
{
    QCoreApplication *app = QCoreApplication::instance();
    app->installEventFilter(new FirstExposeWatcher(app));
}

}  // namespace Startup
