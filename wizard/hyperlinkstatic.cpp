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
    painter.setFont(m_font);
    painter.setPen(QColor(0, 0, 255));
    // No background of its own; "&" marks the next character as a mnemonic as in other statics.
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, text());
}

void CHyperlinkStatic::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        OpenText();
    QLabel::mouseReleaseEvent(event);
}

void CHyperlinkStatic::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        OpenText();
    QLabel::mouseDoubleClickEvent(event);
}

QSize CHyperlinkStatic::sizeHint() const
{
    return QFontMetrics(m_font).size(Qt::TextShowMnemonic, text());
}
