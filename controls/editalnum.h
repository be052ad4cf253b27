#pragma once

// Qt
#include <QClipboard>

#include "edit.h"

class QAction;
class QMenu;

// A single-line edit for a short code: it takes ASCII letters and digits only, the characters a
// code in the firmware's version text may hold. Whatever route the user's text takes (typing,
// an input method, Ctrl+V, Shift+Insert, the context menu, the middle button, a drop), one rule
// applies: the acceptable characters are kept, in capitals with the upper-case style, and the
// rest are dropped, then the text is cut to the room the limit leaves, exactly as typing each
// character in turn would do. The box's validator holds the rule, so setText through any pointer
// (QLineEdit's own, which the accessibility interface calls for assistive technology) follows
// it too; only SetTextAsIs keeps text that the program sets as it is.
class CEditAlnum : public CEdit
{
    Q_OBJECT

public:
    explicit CEditAlnum(QWidget *parent = nullptr);

    // Letters become capitals as the user enters them; SetTextAsIs keeps the program's text as is.
    void SetUpperCase(bool upperCase) { m_bUpperCase = upperCase; }
    bool IsUpperCase() const { return m_bUpperCase; }

    // The most characters the user can bring the text to. Unlike setMaxLength it never
    // shortens text that the program sets. 0 means no limit.
    void SetLimitText(int limit) { m_nLimit = limit; }
    int LimitText() const { return m_nLimit; }

    // Handles one typed character: true when it was passed on to the edit.
    bool OnChar(QChar c);

    // What the box keeps of text that the user enters: its ASCII letters and digits, in
    // capitals with the upper-case style.
    QString Acceptable(const QString &text) const;

    // Text that the program sets (a code read from the image), kept as it is, whatever its
    // characters and length. QLineEdit::setText counts as the user's and follows the rule.
    void SetTextAsIs(const QString &text);

    // What the box keeps when its text is to change from `current` to `proposed` by a route
    // other than its input events (setText, the accessibility interface): the characters that differ go
    // through the rule above, in place of those they replace; the rest of the text stays.
    QString AsTyped(const QString &current, const QString &proposed) const;

    // The edit's context menu (Undo, Cut, Copy, Paste ...), its Paste entry following the box's
    // rule; the caller owns it.
    QMenu *CreateContextMenu();

    // Arriving in the box other than by a click selects its text, so that typing replaces it.
    bool SelectsOnFocus(Qt::FocusReason reason) const override;

    // The Paste entry of the edit's standard context menu.
    static QAction *FindPasteAction(const QMenu *menu);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    friend class CEditAlnumValidator;
    // How many characters may still come in when `replaced` characters of the text go.
    qsizetype Room(qsizetype replaced) const;
    // Puts what the box keeps of `text`, cut to the room left, in place of the selection.
    // Nothing changes when nothing is kept.
    void InsertUserText(const QString &text);
    void PasteFrom(QClipboard::Mode mode);

    bool m_bUpperCase = false;
    int m_nLimit = 0;
    QString m_strLast;            // the text before the change being checked
    bool m_bUserInput = false;    // an input event is being handled
    bool m_bProgramText = false;  // SetTextAsIs is setting the text
};
