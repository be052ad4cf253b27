#pragma once

// Qt
#include <QLabel>

// A static text that behaves like a link: painted in the palette's link colour in the widget's
// font, the hand cursor over it, and a click opens its text (a web address) in the user's browser.
// It takes the focus from the keyboard too, shows it with a focus frame, and Enter or Space follow
// it; a screen reader hears a link.
class CHyperlinkStatic : public QLabel
{
    Q_OBJECT

public:
    explicit CHyperlinkStatic(QWidget *parent = nullptr);

    // Asks the desktop to open the control's text.
    void OpenText();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    QSize sizeHint() const override;

private:
    bool m_bPressed = false;  // the left button went down on the link
};
