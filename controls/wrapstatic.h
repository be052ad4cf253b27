#pragma once

// Qt
#include <QLabel>

class QTextLayout;

// A static text that breaks its lines at word boundaries and, where one word is longer than a
// line (a USB string, a file name), inside that word: nothing is cut off at the right edge. Plain
// text only; a line feed starts a new line. Not selectable.
class CWrapStatic : public QLabel
{
    Q_OBJECT

public:
    explicit CWrapStatic(QWidget *parent = nullptr);

    // The size `text` takes in `font` when its lines are broken at `width`.
    static QSize TextSize(const QFont &font, const QString &text, int width);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Lays `text` out in `layout` with lines of `width`; returns the height used.
    static qreal LayOut(QTextLayout &layout, int width);
};
