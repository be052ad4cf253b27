#pragma once

// CDialogBuilder turns a dialog template (templates/controltemplate.h) into widgets.

// Std
#include <functional>

// Qt
#include <QHash>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

#include "templates/controltemplate.h"

class QFont;
class QWidget;

// The controls a builder made, by template id.
class CDialogControls
{
public:
    // The control with `id`. Asking for an id that the template lacks is a programming error:
    // debug builds stop on it; release builds return null.
    QWidget *Item(int id) const
    {
        QWidget *w = m_items.value(id);
        Q_ASSERT_X(w, "CDialogControls::Item", "no control with this id in the template");
        return w;
    }
    template <class T>
    T *Item(int id) const
    {
        return qobject_cast<T *>(Item(id));
    }
    const QList<QWidget *> &InOrder() const { return m_order; }

private:
    friend class CDialogBuilder;
    QHash<int, QWidget *> m_items;
    QList<QWidget *> m_order;
};

class CDialogBuilder
{
public:
    // Makes the widget for a control that needs its own class (a subclassed control); returns
    // null to let the builder make the standard one.
    using ControlFactory = std::function<QWidget *(const ControlTemplate &, QWidget *parent)>;

    // Dialog base units the way Windows derives them from the dialog font: the average width of
    // "A".."Z" "a".."z", rounded up to an even half, and the font's height.
    static QSize BaseUnits(const QFont &font);
    // Dialog units to pixels for a given base.
    static QRect ToPixels(const QRect &units, const QSize &base);
    static QSize ToPixels(const QSize &units, const QSize &base);

    // Creates the template's controls as children of `dialog`, in template order (which is also
    // the tab order), and sizes the dialog's client area. Fonts come from `dialog`.
    static CDialogControls Build(QWidget *dialog, const DialogTemplate &tpl, const ControlFactory &factory = {});

    // The font of a heading (the wizard's page title, the About box's product line): the
    // dialog font a third larger, and bold.
    static QFont HeadingFont(const QFont &dialogFont);

    // Makes each drop-down list as wide as its longest item needs in its style and font, whatever
    // width the template gives it; call it once the lists are filled and shown.
    static void FitComboBoxes(const CDialogControls &controls);
};
