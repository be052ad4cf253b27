#include "wrapstatic.h"

// Std
#include <cmath>

// Qt
#include <QPainter>
#include <QTextLayout>

namespace {

QTextOption WrapOption()
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    return option;
}

// A line feed is a line break inside the one paragraph that QTextLayout lays out.
QString LayoutText(QString text)
{
    return text.replace(QLatin1Char('\n'), QChar::LineSeparator);
}

}  // namespace

CWrapStatic::CWrapStatic(QWidget *parent) : QLabel(parent)
{
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
}

qreal CWrapStatic::LayOut(QTextLayout &layout, int width)
{
    layout.setTextOption(WrapOption());
    layout.beginLayout();
    qreal y = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
    return y;
}

QSize CWrapStatic::TextSize(const QFont &font, const QString &text, int width)
{
    if (text.isEmpty())
        return QSize(0, 0);
    QTextLayout layout(LayoutText(text), font);
    const int height = int(std::ceil(LayOut(layout, std::max(width, 1))));
    int widest = 0;
    for (int i = 0; i < layout.lineCount(); ++i)
        widest = std::max(widest, int(std::ceil(layout.lineAt(i).naturalTextWidth())));
    return QSize(widest, height);
}

int CWrapStatic::heightForWidth(int width) const
{
    const QMargins m = contentsMargins();
    return TextSize(font(), text(), width - m.left() - m.right()).height() + m.top() + m.bottom();
}

QSize CWrapStatic::sizeHint() const
{
    // One line as long as the text, as a static's natural size.
    const QMargins m = contentsMargins();
    const QSize one = TextSize(font(), text(), QWIDGETSIZE_MAX);
    return QSize(one.width() + m.left() + m.right(),
                 std::max(one.height(), fontMetrics().height()) + m.top() + m.bottom());
}

QSize CWrapStatic::minimumSizeHint() const
{
    return QSize(fontMetrics().averageCharWidth(), fontMetrics().height());
}

void CWrapStatic::paintEvent(QPaintEvent *)
{
    const QRect r = contentsRect();
    QTextLayout layout(LayoutText(text()), font());
    LayOut(layout, r.width());
    QPainter painter(this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    const qreal x = (alignment() & Qt::AlignRight) ? r.right() + 1 - r.width() : r.left();
    layout.draw(&painter, QPointF(x, r.top()));
}
