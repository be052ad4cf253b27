#include "edit.h"

// Qt
#include <QFocusEvent>

bool CEdit::SelectsOnFocus(Qt::FocusReason reason) const
{
    return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
}

void CEdit::focusInEvent(QFocusEvent *event)
{
    if (!SelectsOnFocus(event->reason()) || hasSelectedText()) {
        QLineEdit::focusInEvent(event);
        return;
    }
    // The edit takes the focus as for any other reason, which selects nothing; the selection
    // follows once the focus has been told.
    QFocusEvent plain(QEvent::FocusIn, Qt::OtherFocusReason);
    QLineEdit::focusInEvent(&plain);
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (hasFocus())
                selectAll();
        },
        Qt::QueuedConnection);
}
