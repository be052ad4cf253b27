#include "hyperlinkstatic.h"

// Qt
#include <QDesktopServices>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

CHyperlinkStatic::CHyperlinkStatic(QWidget *parent) : QLabel(parent)
{
    setCursor(Qt::PointingHandCursor);
    // Reacts to the mouse although it is a static text.
    setAttribute(Qt::WA_Hover);
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
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, text());
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

QSize CHyperlinkStatic::sizeHint() const
{
    return fontMetrics().size(Qt::TextShowMnemonic, text());
}
