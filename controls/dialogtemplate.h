#pragma once

// Dialog templates as data: each dialog's controls with their ids, captions, positions in
// dialog units and styles. CDialogBuilder turns a template into widgets.

// Std
#include <functional>
#include <span>

// Qt
#include <QHash>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

class QFont;
class QWidget;

enum class ControlKind {
    Static,   // text label
    Picture,  // static bitmap
    Icon,     // static icon
    PushButton,
    DefPushButton,  // the dialog's default button
    CheckBox,       // automatic check box
    RadioButton,    // automatic radio button
    Edit,           // single-line edit
    ComboBox,       // drop-down list
    TabControl,     // only its rectangle is used
};

// The templates' window and control styles. The builder acts on those with a Qt counterpart
// (hidden, disabled, tab stop, group, right-aligned, border, upper case); the others record
// the template as drawn: Qt statics wrap, take clicks and paint no background already.
enum ControlStyle : unsigned {
    StyleNone = 0,
    StyleHidden = 1u << 0,  // not visible
    StyleDisabled = 1u << 1,
    StyleTabStop = 1u << 2,
    StyleGroup = 1u << 3,     // starts a group (radio buttons)
    StyleRight = 1u << 4,     // right-aligned text
    StyleNoPrefix = 1u << 5,  // "&" is shown, not a mnemonic
    StyleBorder = 1u << 6,
    StyleAutoHScroll = 1u << 7,
    StyleUpperCase = 1u << 8,  // edit turns letters into capitals
    StyleWordWrap = 1u << 9,   // static text wraps over several lines
    StyleNotify = 1u << 10,    // static reports clicks
    StyleTransparent = 1u << 11,
    StyleVScroll = 1u << 12,
};

// A control id for controls the program never addresses.
inline constexpr int kNoId = -1;

struct ControlTemplate {
    int id;
    ControlKind kind;
    const char *caption;  // for pictures and icons: the resource name
    int x, y, w, h;       // dialog units
    unsigned style;
};

struct DialogTemplate {
    int id;
    const char *caption;  // empty for child pages
    int w, h;             // dialog units
    std::span<const ControlTemplate> controls;
};

// The program's templates: 100 About box, 102 wizard, 136 to 144 pages.
const DialogTemplate *FindDialogTemplate(int id);

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
