#include "hyperlinkstatic.h"

// Qt
#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QUrl>

CHyperlinkStatic::CHyperlinkStatic(QWidget *parent) : QLabel(parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
}

void CHyperlinkStatic::OpenText()
{
    // The outcome is not reported: a link that fails to open shows nothing.
    QDesktopServices::openUrl(QUrl::fromUserInput(text()));
}

void CHyperlinkStatic::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setFont(font());
    // The palette's link colour, which a dark palette makes light enough to read.
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Link));
    // No background of its own; "&" marks the next character as a mnemonic as in other statics.
    const QRect drawn =
        painter.boundingRect(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, text()) & rect();
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, text());
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = drawn;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

// A click opens the link once: the left button pressed on the link and released over it. The
// second press of a double-click opens nothing more.
void CHyperlinkStatic::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_bPressed = true;
    QLabel::mousePressEvent(event);
}

void CHyperlinkStatic::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        const bool open = m_bPressed && rect().contains(event->position().toPoint());
        m_bPressed = false;
        if (open)
            OpenText();
    }
    QLabel::mouseReleaseEvent(event);
}

void CHyperlinkStatic::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Not passed on: the default handling would take it for a press.
    if (event->button() == Qt::LeftButton) {
        m_bPressed = false;
        event->accept();
        return;
    }
    QLabel::mouseDoubleClickEvent(event);
}

void CHyperlinkStatic::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
            OpenText();
            event->accept();
            return;
        }
        break;
    default: break;
    }
    QLabel::keyPressEvent(event);
}

QSize CHyperlinkStatic::sizeHint() const
{
    return fontMetrics().size(Qt::TextShowMnemonic, text());
}
