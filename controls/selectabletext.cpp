#include "selectabletext.h"

// Std
#include <cmath>

// Qt
#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QTextBlock>
#include <QTextDocument>

CSelectableText::CSelectableText(QWidget *parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setFrameShape(QFrame::NoFrame);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    document()->setDocumentMargin(0);
    viewport()->setAutoFillBackground(false);
    setBackgroundVisible(false);
    UseStaticColours();
}

void CSelectableText::setText(const QString &text)
{
    setPlainText(text);
}

int CSelectableText::ContentHeight() const
{
    // The plain-text layout counts lines; each block's bounding rectangle gives its pixels.
    qreal height = 0;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
        height += document()->documentLayout()->blockBoundingRect(block).height();
    return int(std::ceil(height)) + 2 * int(document()->documentMargin());
}

int CSelectableText::HeightShowingAll() const
{
    return height() - viewport()->height() + ContentHeight() + 1;
}

void CSelectableText::changeEvent(QEvent *event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        UseStaticColours();
}

void CSelectableText::UseStaticColours()
{
    // A static has no field of its own: the window's colours, whatever the style gives an edit.
    QPalette p = palette();
    bool changed = false;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QColor text = p.color(group, QPalette::WindowText);
        if (p.color(group, QPalette::Text) != text || p.color(group, QPalette::Base) != QColor(Qt::transparent)) {
            p.setColor(group, QPalette::Text, text);
            p.setColor(group, QPalette::Base, Qt::transparent);
            changed = true;
        }
    }
    if (changed)
        setPalette(p);
}
