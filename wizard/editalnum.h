#pragma once

// Qt
#include <QLineEdit>

// A single-line edit that lets the user type only letters, digits and the full stop, plus the
// control keys that editing needs. Pasted text is not filtered, but with the upper-case style it
// is turned into capitals like typed text, and the text limit applies to it.
class CEditAlnum : public QLineEdit
{
    Q_OBJECT

public:
    explicit CEditAlnum(QWidget *parent = nullptr);

    // Letters become capitals as they are typed or pasted.
    void SetUpperCase(bool upperCase) { m_bUpperCase = upperCase; }
    bool IsUpperCase() const { return m_bUpperCase; }

    // The most characters the user can bring the text to by typing or pasting. Unlike
    // setMaxLength it never shortens text that the program sets. 0 means no limit.
    void SetLimitText(int limit) { m_nLimit = limit; }
    int LimitText() const { return m_nLimit; }

    // Handles one typed character: true when it was passed on to the edit.
    bool OnChar(QChar c);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    friend class CEditAlnumValidator;
    void PasteWithinLimit();

    bool m_bUpperCase = false;
    int m_nLimit = 0;
    qsizetype m_nLastLength = 0;
};
