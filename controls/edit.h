#pragma once

// Qt
#include <QLineEdit>

// A dialog's single-line edit. Arriving in it by Tab, Shift+Tab or a shortcut selects its text, as
// in any edit, but only once a screen reader has been told of the focus: QLineEdit selects as it
// takes the focus, before that, and Orca then takes the selection for the arrival and says
// nothing of the box.
class CEdit : public QLineEdit
{
    Q_OBJECT

public:
    using QLineEdit::QLineEdit;

    // Whether arriving with the focus for `reason` selects the text.
    virtual bool SelectsOnFocus(Qt::FocusReason reason) const;

protected:
    void focusInEvent(QFocusEvent *event) override;
};
