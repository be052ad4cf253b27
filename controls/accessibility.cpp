#include "accessibility.h"

// Qt
#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>

#include "hyperlinkstatic.h"

namespace {

constexpr const char *kGroupingProperty = "brindleGrouping";

// The text of the label whose buddy `widget` is, without its mnemonic marks.
QString LabelText(const QWidget *widget)
{
    const QWidget *parent = widget->parentWidget();
    if (!parent)
        return QString();
    for (const QObject *child : parent->children()) {
        const auto *label = qobject_cast<const QLabel *>(child);
        if (label && label->buddy() == widget) {
            QString text = label->text();
            return text.remove(QLatin1Char('&'));
        }
    }
    return QString();
}

// A drop-down list named by its label (Qt names a list by its current item on Linux); the
// current item is its value, and the list that drops down is its one child, as in Qt's own.
class CAccessibleList : public QAccessibleWidget
{
public:
    explicit CAccessibleList(QComboBox *combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
            return Combo()->accessibleName().isEmpty() ? LabelText(Combo()) : Combo()->accessibleName();
        case QAccessible::Value: return Combo()->currentText();
        default: return QAccessibleWidget::text(t);
        }
    }

    int childCount() const override { return 1; }
    QAccessibleInterface *child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(Combo()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child && child->object() == Combo()->view() ? 0 : -1;
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = Combo()->view()->isVisible();
        return s;
    }

    QStringList actionNames() const override { return {showMenuAction(), pressAction(), setFocusAction()}; }
    void doAction(const QString &action) override
    {
        if (action == showMenuAction() || action == pressAction()) {
            if (Combo()->view()->isVisible())
                Combo()->hidePopup();
            else
                Combo()->showPopup();
        } else {
            QAccessibleWidget::doAction(action);
        }
    }

private:
    QComboBox *Combo() const { return static_cast<QComboBox *>(widget()); }
};

// The web-site link: role link, named by its address, followed by its press action.
class CAccessibleLink : public QAccessibleWidget
{
public:
    explicit CAccessibleLink(CHyperlinkStatic *link) : QAccessibleWidget(link, QAccessible::Link) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && Link()->accessibleName().isEmpty())
            return Link()->text();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.linked = true;
        return s;
    }

    QStringList actionNames() const override { return {pressAction(), setFocusAction()}; }
    void doAction(const QString &action) override
    {
        if (action == pressAction())
            Link()->OpenText();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    CHyperlinkStatic *Link() const { return static_cast<CHyperlinkStatic *>(widget()); }
};

QAccessibleInterface *Factory(const QString &className, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget)
        return nullptr;
    if (auto *link = qobject_cast<CHyperlinkStatic *>(widget))
        return new CAccessibleLink(link);
    if (className == QLatin1String("QComboBox"))
        return new CAccessibleList(static_cast<QComboBox *>(widget));
    if (widget->property(kGroupingProperty).toBool())
        return new QAccessibleWidget(widget, QAccessible::Grouping);
    return nullptr;
}

}  // namespace

void Accessibility::Install()
{
    static const bool installed = [] {
        QAccessible::installFactory(&Factory);
        return true;
    }();
    Q_UNUSED(installed);
}

void Accessibility::MarkAsGrouping(QWidget *widget, const QString &name, const QString &description)
{
    widget->setProperty(kGroupingProperty, true);
    widget->setAccessibleName(name);
    widget->setAccessibleDescription(description);
}
