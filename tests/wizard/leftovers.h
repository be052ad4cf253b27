#pragma once

// What a test left open: every window still there once the deletions it asked for have run.
// Each wizard suite's cleanup() compares it with an empty list.

// Qt
#include <QApplication>
#include <QStringList>
#include <QWidget>

inline QStringList LeftoverWindows()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QStringList windows;
    for (const QWidget *w : QApplication::topLevelWidgets()) {
        const QString title = w->windowTitle();
        windows << QString::fromLatin1(w->metaObject()->className()) + (title.isEmpty() ? QString() : u' ' + title);
    }
    return windows;
}
