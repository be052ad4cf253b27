#include "dialogtemplate.h"

// Std
#include <algorithm>
#include <utility>

// Qt
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionComboBox>

#include "accessibility.h"
#include "edit.h"
#include "editalnum.h"
#include "resources/pictures.h"
#ifdef Q_OS_WIN
#include "windowsdialogfont.h"
#endif

namespace {

// MulDiv as Windows rounds it: to the nearest integer, halves away from zero.
int MulDiv(int value, int numerator, int denominator)
{
    const long long p = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(p >= 0 ? (p + half) / denominator : (p - half) / denominator);
}

// The largest size with the proportions of `image` that fits in `box`.
QSize FittedSize(const QSize &box, const QSize &image)
{
    return image.scaled(box, Qt::KeepAspectRatio);
}

QWidget *CreateControl(const ControlTemplate &c, QWidget *parent, const CDialogBuilder::ControlFactory &factory)
{
    if (factory) {
        if (QWidget *custom = factory(c, parent))
            return custom;
    }
    const QString caption = QString::fromUtf8(c.caption);
    switch (c.kind) {
    case ControlKind::Static: return new QLabel(caption, parent);
    case ControlKind::Picture: return new QLabel(parent);  // its picture once its size is known
    case ControlKind::Icon: {
        auto *label = new QLabel(parent);
        label->setPixmap(Pictures::DecodePng(caption));
        return label;
    }
    case ControlKind::PushButton:
    case ControlKind::DefPushButton: return new QPushButton(caption, parent);
    case ControlKind::CheckBox: return new QCheckBox(caption, parent);
    case ControlKind::RadioButton: return new QRadioButton(caption, parent);
    case ControlKind::Edit: return new CEdit(caption, parent);
    case ControlKind::ComboBox: {
        // Qt's default size policy: a list that adjusted itself to its contents would do so on a
        // timer, some time after its items change, and so come out at another width from one
        // start to the next. FitComboBoxes sizes the lists once they hold their items.
        auto *combo = new QComboBox(parent);
        Accessibility::ReportItemChanges(combo);
        return combo;
    }
    case ControlKind::TabControl: return new QWidget(parent);
    }
    return new QWidget(parent);
}

void ApplyStyle(QWidget *w, const ControlTemplate &c)
{
    if (auto *label = qobject_cast<QLabel *>(w)) {
        // No static reads its text as markup, whatever a file name or an image's text holds.
        label->setTextFormat(Qt::PlainText);
        if (c.kind == ControlKind::Static) {
            // Static text controls wrap at word boundaries and sit at the top of their box.
            label->setWordWrap(true);
            label->setAlignment((c.style & StyleRight ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
            label->setTextFormat(Qt::PlainText);
        }
    }
    if (auto *button = qobject_cast<QPushButton *>(w)) {
        button->setAutoDefault(true);
        button->setDefault(c.kind == ControlKind::DefPushButton);
    }
    if (auto *edit = qobject_cast<QLineEdit *>(w)) {
        edit->setFrame(c.style & StyleBorder);
        if (auto *alnum = qobject_cast<CEditAlnum *>(w))
            alnum->SetUpperCase(c.style & StyleUpperCase);
    }

    // A control of the program's own class that takes the focus (the link) keeps it.
    const bool focusable = qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w)
                           || qobject_cast<QComboBox *>(w) || w->focusPolicy() != Qt::NoFocus;
    if (!focusable)
        w->setFocusPolicy(Qt::NoFocus);
    else
        w->setFocusPolicy(c.style & StyleTabStop ? Qt::StrongFocus : Qt::ClickFocus);

    if (c.style & StyleDisabled)
        w->setEnabled(false);
    w->setProperty("controlId", c.id);
}

// Shows or hides a control placed in its dialog. A control of a dialog not yet on screen is shown
// with the dialog and needs no call; one shown before it has its place would first be given a
// size of its own from its contents, at the price of laying out its text.
void ShowPlaced(QWidget *w, bool shown)
{
    if (!shown)
        w->hide();
    else if (w->isHidden())
        w->show();
}

// A radio group is one tab stop, as in a Windows dialog: Tab reaches the checked button (the
// first while none is checked) and the arrow keys move and check within the group.
void UpdateGroupTabStop(QButtonGroup *group)
{
    const QList<QAbstractButton *> buttons = group->buttons();
    QAbstractButton *stop = group->checkedButton();
    if (!stop && !buttons.isEmpty())
        stop = buttons.constFirst();
    for (QAbstractButton *b : buttons)
        b->setFocusPolicy(b == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

// Any arrow key moves within a radio group, as in a Windows dialog: Up and Left to the previous
// button, Down and Right to the next (Left and Right the other way round in a right-to-left
// layout), in the order the buttons are read, from the last round to the first. The button moved
// to is checked. Qt's own handling picks a button by geometry and so ignores half the keys.
class CRadioArrowKeys : public QObject
{
public:
    explicit CRadioArrowKeys(QButtonGroup *group) : QObject(group), m_group(group) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() & ~Qt::KeypadModifier)
            return false;
        auto *from = qobject_cast<QAbstractButton *>(watched);
        const bool rtl = from && from->isRightToLeft();
        int step = 0;
        switch (key->key()) {
        case Qt::Key_Up: step = -1; break;
        case Qt::Key_Down: step = 1; break;
        case Qt::Key_Left: step = rtl ? 1 : -1; break;
        case Qt::Key_Right: step = rtl ? -1 : 1; break;
        default: return false;
        }
        QList<QAbstractButton *> buttons;
        for (QAbstractButton *b : m_group->buttons()) {
            if (b == from || (b->isVisible() && b->isEnabled()))
                buttons.append(b);
        }
        std::sort(buttons.begin(), buttons.end(), [rtl](const QAbstractButton *a, const QAbstractButton *b) {
            const QPoint pa = a->mapTo(a->window(), QPoint());
            const QPoint pb = b->mapTo(b->window(), QPoint());
            if (pa.y() != pb.y())
                return pa.y() < pb.y();
            return rtl ? pa.x() > pb.x() : pa.x() < pb.x();
        });
        const qsizetype at = buttons.indexOf(from);
        if (at < 0 || buttons.size() < 2)
            return true;
        QAbstractButton *to = buttons.at((at + step + buttons.size()) % buttons.size());
        to->setFocus(Qt::OtherFocusReason);
        to->click();
        return true;
    }

private:
    QButtonGroup *m_group;
};

// The named group of a radio pair: it draws nothing (the pair's label stands beside it), but a
// screen reader says its name as the focus enters it, once, and then each button by its text.
// (With a title the group would also label each button, and Orca would say the name again with
// every button the arrow keys move to.)
class CRadioGroupBox : public QGroupBox
{
public:
    CRadioGroupBox(const QString &name, QWidget *parent) : QGroupBox(parent)
    {
        setFocusPolicy(Qt::NoFocus);
        setAccessibleName(name);
    }

protected:
    void paintEvent(QPaintEvent *) override {}
};

// Moves the buttons of `group` into a named group that just holds them, where they stand.
void MakeNamedGroup(QButtonGroup *group, const QString &title, QWidget *dialog)
{
    const QList<QAbstractButton *> buttons = group->buttons();
    QRect area;
    for (QAbstractButton *b : buttons)
        area |= b->geometry();
    auto *box = new CRadioGroupBox(title, dialog);
    box->setGeometry(area);
    // The group takes its buttons' place among the controls, so a screen reader meets it there.
    box->stackUnder(buttons.constFirst());
    for (QAbstractButton *b : buttons) {
        const bool shown = !b->isHidden();
        const QRect r = b->geometry().translated(-area.topLeft());
        b->setParent(box);
        b->setGeometry(r);
        ShowPlaced(b, shown);
    }
}

// A one-line static that labels an input in the same row stands centred on it vertically, as the
// input's text does: templates give both the same top, and an input is taller than its label.
void CentreLabelOn(QLabel *label, const QWidget *input)
{
    const QRect l = label->geometry();
    const QRect in = input->geometry();
    const bool sameRow = l.top() <= in.bottom() && in.top() <= l.bottom();
    if (!sameRow || l.height() >= 2 * label->fontMetrics().height())
        return;
    label->move(l.left(), in.top() + (in.height() - l.height()) / 2);
}

// The templates were laid out for a narrow dialog font; many platform fonts are wider for the
// same average character. A one-line text that does not fit its box grows to its natural width,
// up to the dialog's edge (right-aligned texts grow to the left), instead of being cut short.
void FitOneLineText(QWidget *w, const ControlTemplate &c, QRect &r, int dialogWidth)
{
    const QString text = QString::fromUtf8(c.caption);
    const QFontMetrics fm(w->font());
    if (r.height() >= 2 * fm.height())
        return;
    auto *label = qobject_cast<QLabel *>(w);
    // A line of the font is taller than its template row where the platform's font has longer
    // descenders than the dialog's measure: the text keeps its top and shows its descenders.
    if (label && c.kind == ControlKind::Static && !text.isEmpty() && r.height() < fm.height())
        r.setHeight(fm.height());
    int need = 0;
    if (label && c.kind == ControlKind::Static) {
        need = fm.horizontalAdvance(text) + 2 * label->margin() + 2;
    } else if (c.kind == ControlKind::CheckBox || c.kind == ControlKind::RadioButton) {
        need = w->sizeHint().width();
    } else {
        return;
    }
    if (need <= r.width())
        return;
    if (label)
        label->setWordWrap(false);
    if (c.style & StyleRight)
        r.setLeft(std::max(0, r.right() + 1 - need));
    else
        r.setWidth(std::max(r.width(), std::min(need, dialogWidth - r.left())));
}

}  // namespace

namespace {

QSize MeasureBaseUnits(const QFont &font)
{
#ifdef Q_OS_WIN
    // Windows measures with its own text functions, whose character height can differ from
    // Qt's for the same font; a dialog is laid out as Windows would lay it out.
    if (const QSize base = WindowsDialogBaseUnits(font); base.isValid() && !base.isEmpty())
        return base;
#endif
    const QFontMetrics fm(font);
    const int extent = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return QSize((extent / 26 + 1) / 2, fm.height());
}

}  // namespace

QSize CDialogBuilder::BaseUnits(const QFont &font)
{
    // Every dialog and page of the program is built in the same font: it is measured once. The
    // font's size in pixels is part of the key, since the same font is larger on a screen of
    // more dots per inch.
    struct Measured {
        QString font;  // QFont::key()
        int pixelSize;
        QSize base;
    };
    static QList<Measured> measured;
    const QString key = font.key();
    const int pixelSize = QFontInfo(font).pixelSize();
    for (const Measured &m : std::as_const(measured)) {
        if (m.pixelSize == pixelSize && m.font == key)
            return m.base;
    }
    constexpr qsizetype kKept = 8;
    if (measured.size() == kKept)
        measured.removeFirst();
    measured.append({key, pixelSize, MeasureBaseUnits(font)});
    return measured.constLast().base;
}

QRect CDialogBuilder::ToPixels(const QRect &units, const QSize &base)
{
    // Each edge is converted on its own, as Windows maps a dialog rectangle, so that controls
    // that meet in dialog units meet in pixels too, whatever the rounding.
    const int left = MulDiv(units.x(), base.width(), 4);
    const int top = MulDiv(units.y(), base.height(), 8);
    const int right = MulDiv(units.x() + units.width(), base.width(), 4);
    const int bottom = MulDiv(units.y() + units.height(), base.height(), 8);
    return QRect(left, top, right - left, bottom - top);
}

QSize CDialogBuilder::ToPixels(const QSize &units, const QSize &base)
{
    return QSize(MulDiv(units.width(), base.width(), 4), MulDiv(units.height(), base.height(), 8));
}

CDialogControls CDialogBuilder::Build(QWidget *dialog, const DialogTemplate &tpl, const ControlFactory &factory)
{
    Accessibility::Install();
    CDialogControls result;
    const QSize base = BaseUnits(dialog->font());
    if (tpl.caption && *tpl.caption)
        dialog->setWindowTitle(QString::fromUtf8(tpl.caption));
    dialog->resize(ToPixels(QSize(tpl.w, tpl.h), base));

    QButtonGroup *group = nullptr;
    QObject *arrowKeys = nullptr;  // the arrow keys of the group being built
    QWidget *previousFocusable = nullptr;
    // The static text that labels the next input: the last static before it in template order.
    QLabel *pendingLabel = nullptr;
    // Each radio pair with the text of the label before it.
    QList<QPair<QButtonGroup *, QString>> radioGroups;
    // The label of the radio pair being built: it stands centred on the button in its row.
    QLabel *groupLabelWidget = nullptr;
    for (const ControlTemplate &c : tpl.controls) {
        QWidget *w = CreateControl(c, dialog, factory);
        ApplyStyle(w, c);

        QRect r = ToPixels(QRect(c.x, c.y, c.w, c.h), base);
        if (c.kind == ControlKind::Picture) {
            // A picture fills its template rectangle in this font, in its own proportions, at the
            // screen's pixel ratio: it grows with the font and the scale factor, as the text does.
            // Only the rendering drawn is decoded; the others' sizes come from their headers.
            const QList<Pictures::Rendering> renderings = Pictures::FindRenderings(QString::fromUtf8(c.caption));
            if (auto *label = qobject_cast<QLabel *>(w); label && !renderings.isEmpty()) {
                r.setSize(FittedSize(r.size(), renderings.constFirst().size));
                label->setPixmap(Pictures::PictureAt(renderings, r.size(), dialog->devicePixelRatioF()));
            }
        } else if (c.kind == ControlKind::Icon) {
            // Icon statics take the size of their image.
            if (auto *label = qobject_cast<QLabel *>(w); label && !label->pixmap().isNull())
                r.setSize(label->pixmap().deviceIndependentSize().toSize());
        } else if (c.kind == ControlKind::ComboBox) {
            // The template height includes the dropped-down list.
            r.setHeight(w->sizeHint().height());
        }
        FitOneLineText(w, c, r, dialog->width());
        w->setGeometry(r);
        ShowPlaced(w, !(c.style & StyleHidden));

        // Radio buttons between two group-style controls are one exclusive group.
        if (c.style & StyleGroup)
            group = nullptr;
        if (auto *radio = qobject_cast<QRadioButton *>(w)) {
            if (!group) {
                group = new QButtonGroup(dialog);
                QObject::connect(group, &QButtonGroup::idToggled, group, [group] { UpdateGroupTabStop(group); });
                arrowKeys = new CRadioArrowKeys(group);
                groupLabelWidget = pendingLabel;
                if (pendingLabel) {
                    radioGroups.append({group, pendingLabel->text()});
                    pendingLabel = nullptr;
                }
            }
            group->addButton(radio, c.id);
            radio->installEventFilter(arrowKeys);
            // The pair's label stands beside whichever of its buttons shares its row.
            if (groupLabelWidget)
                CentreLabelOn(groupLabelWidget, radio);
            UpdateGroupTabStop(group);
        } else if (c.kind == ControlKind::Static) {
            pendingLabel = qobject_cast<QLabel *>(w);
        } else if (c.kind == ControlKind::Edit || c.kind == ControlKind::ComboBox) {
            // The label's text becomes the input's accessible name.
            if (pendingLabel) {
                pendingLabel->setBuddy(w);
                CentreLabelOn(pendingLabel, w);
            }
            pendingLabel = nullptr;
        }

        if (w->focusPolicy() != Qt::NoFocus) {
            if (previousFocusable)
                QWidget::setTabOrder(previousFocusable, w);
            previousFocusable = w;
        }
        if (c.id != kNoId)
            result.m_items.insert(c.id, w);
        result.m_order.append(w);
    }
    // A screen reader names each button by its own text and the pair by its label.
    for (const auto &[group, title] : std::as_const(radioGroups))
        MakeNamedGroup(group, title, dialog);
    return result;
}

QFont CDialogBuilder::HeadingFont(const QFont &dialogFont)
{
    QFont heading = dialogFont;
    heading.setPixelSize(QFontInfo(dialogFont).pixelSize() * 4 / 3);
    heading.setWeight(QFont::Bold);
    return heading;
}

void CDialogBuilder::FitComboBoxes(const CDialogControls &controls)
{
    for (QWidget *w : controls.InOrder()) {
        auto *combo = qobject_cast<QComboBox *>(w);
        if (!combo)
            continue;
        // What the style draws around the longest item: as wide as the text advances, or as its
        // ink reaches where that is wider.
        const QFontMetrics fm = combo->fontMetrics();
        int widest = 0;
        for (int i = 0; i < combo->count(); ++i) {
            const QString text = combo->itemText(i);
            widest = std::max({widest, fm.horizontalAdvance(text), fm.boundingRect(text).width()});
        }
        QStyleOptionComboBox opt;
        opt.initFrom(combo);
        const QSize contents(widest, std::max(fm.height(), 14) + 2);
        const int need = combo->style()->sizeFromContents(QStyle::CT_ComboBox, &opt, contents, combo).width();
        combo->resize(need, combo->height());
    }
}
