#pragma once

// Qt
#include <QLineEdit>

class QAction;
class QMenu;

// A single-line edit that lets the user type only letters, digits and the full stop, plus the
// control keys that editing needs. Pasted text is not filtered, but with the upper-case style it
// is turned into capitals like typed text, and the text limit applies to it.
class CEditAlnum : public QLineEdit
{
    Q_OBJECT

public:
    explicit CEditAlnum(QWidget *parent = nullptr);

    // Letters become capitals as they are typed or pasted; text the program sets is kept as is.
    void SetUpperCase(bool upperCase) { m_bUpperCase = upperCase; }
    bool IsUpperCase() const { return m_bUpperCase; }

    // The most characters the user can bring the text to by typing or pasting. Unlike
    // setMaxLength it never shortens text that the program sets. 0 means no limit.
    void SetLimitText(int limit) { m_nLimit = limit; }
    int LimitText() const { return m_nLimit; }

    // Handles one typed character: true when it was passed on to the edit.
    bool OnChar(QChar c);

    // `text` with its letters in capitals, one character for one, so lengths never change.
    // Latin-1 letters whose capital lies outside Latin-1 stay as they are: the firmware keeps one
    // byte per character.
    static QString Capitals(const QString &text);

    // The Paste entry of the edit's standard context menu.
    static QAction *FindPasteAction(const QMenu *menu);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    friend class CEditAlnumValidator;
    // Inserts typed text in place of the selection, unless it would grow the text beyond the limit.
    void TypeText(const QString &text);
    void PasteWithinLimit();

    bool m_bUpperCase = false;
    int m_nLimit = 0;
    qsizetype m_nLastLength = 0;
    bool m_bUserInput = false;  // an input event is being handled
};
