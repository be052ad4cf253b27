#pragma once

// Qt
#include <QPlainTextEdit>

// A static text that the user can select and copy, by mouse and by keyboard: drawn as a static
// (no frame, the dialog's background and text colours, no margin), its lines broken at word
// boundaries and inside a word longer than a line, so a long file name shows whole at any length;
// a text taller than the control scrolls. Plain text only.
class CSelectableText : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit CSelectableText(QWidget *parent = nullptr);

    // As a static's: the text shown, with line feeds between its lines.
    void setText(const QString &text);
    QString text() const { return toPlainText(); }
    bool wordWrap() const { return true; }

    // The height the whole text needs at the control's width.
    int ContentHeight() const;
    // The control's height that shows the whole text without a scroll bar: its frame, the text,
    // and the pixel the text edit keeps free below the last line before it counts it as shown.
    int HeightShowingAll() const;

protected:
    void changeEvent(QEvent *event) override;

private:
    void UseStaticColours();
};
