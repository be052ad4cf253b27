#include "accessibility.h"

// Std
#include <memory>

// Qt
#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>
#include <QValidator>
#include <QWindow>

#include "hyperlinkstatic.h"

namespace {

// The roles the program gives widgets of Qt's classes, by a property set on the widget.
constexpr const char *kRoleProperty = "brindleAccessibleRole";
// Set on a wizard page (MarkAsPage): the page says its description as a text of its own.
constexpr const char *kPageProperty = "brindleAccessiblePage";
// Set on a text of several lines that is read, not edited (MarkAsReport).
constexpr const char *kReportProperty = "brindleAccessibleReport";
// Set on a wizard page once a screen reader has asked for its text: the text's id.
constexpr const char *kPageTextProperty = "brindleAccessiblePageText";
// Set on a window (MarkAsHeader): the label that shows the description of the page on screen.
constexpr const char *kHeaderDescriptionProperty = "brindleHeaderDescription";
// Set on a notification (Announce): the text a screen reader was last told, and will read.
constexpr const char *kAnnouncedProperty = "brindleAnnounced";

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

// A text that is one run without attributes: what a screen reader reads as the text's one line.
// (Qt 6.4's line edit reports an empty run at each offset, and Orca then reads a line without its
// last character: "2b3" for "2b3f".)
void WholeRun(int characterCount, int *startOffset, int *endOffset)
{
    *startOffset = 0;
    *endOffset = characterCount;
}

// A drop-down list named by its label (Qt names a list by its current item on Linux); the
// current item is its value and its text, all of it selected, so that a screen reader says the
// item with the list and each new item as it comes (ReportItemChanges); the list that drops down
// is its one child, as in Qt's own.
class CAccessibleList : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit CAccessibleList(QComboBox *combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }

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

    // The text: the current item, selected whole.
    QString text(int startOffset, int endOffset) const override
    {
        return Combo()->currentText().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(Combo()->currentText().size()); }
    int selectionCount() const override { return characterCount() > 0 ? 1 : 0; }
    void selection(int selectionIndex, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (selectionIndex == 0)
            WholeRun(characterCount(), startOffset, endOffset);
    }
    int cursorPosition() const override { return 0; }
    QString attributes(int, int *startOffset, int *endOffset) const override
    {
        WholeRun(characterCount(), startOffset, endOffset);
        return QString();
    }
    QRect characterRect(int) const override { return QRect(); }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    // The item is chosen from the list, never edited as text.
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    void setCursorPosition(int) override {}
    void scrollToSubstring(int, int) override {}

private:
    QComboBox *Combo() const { return static_cast<QComboBox *>(widget()); }
};

// A text box, as Qt's own describes it, but with its text as one run (WholeRun). Text that
// assistive technology enters goes through the box's setText, as with Qt's: a box that filters
// what the user enters (CEditAlnum) filters it too.
class CAccessibleEdit : public QAccessibleWidget,
                        public QAccessibleTextInterface,
                        public QAccessibleEditableTextInterface
{
public:
    explicit CAccessibleEdit(QLineEdit *edit) : QAccessibleWidget(edit, QAccessible::EditableText)
    {
        addControllingSignal(QLatin1String("textChanged(const QString&)"));
        addControllingSignal(QLatin1String("returnPressed()"));
    }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        if (t == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return Edit()->echoMode() == QLineEdit::Normal ? Edit()->text() : Edit()->displayText();
        return QAccessibleWidget::text(t);
    }

    void setText(QAccessible::Text t, const QString &text) override
    {
        if (t != QAccessible::Value) {
            QAccessibleWidget::setText(t, text);
            return;
        }
        QString newText = text;
        if (const QValidator *validator = Edit()->validator()) {
            int pos = 0;
            if (validator->validate(newText, pos) != QValidator::Acceptable)
                return;
        }
        Edit()->setText(newText);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        if (Edit()->isReadOnly())
            s.readOnly = true;
        else
            s.editable = true;
        if (Edit()->echoMode() != QLineEdit::Normal)
            s.passwordEdit = true;
        s.selectableText = true;
        return s;
    }

    // The text interface.
    QString text(int startOffset, int endOffset) const override
    {
        if (startOffset > endOffset)
            return QString();
        const QString shown = Edit()->echoMode() == QLineEdit::Normal ? Edit()->text() : Edit()->displayText();
        return shown.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(Edit()->text().size()); }
    int selectionCount() const override { return Edit()->hasSelectedText() ? 1 : 0; }
    void selection(int selectionIndex, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (selectionIndex != 0 || !Edit()->hasSelectedText())
            return;
        *startOffset = Edit()->selectionStart();
        *endOffset = Edit()->selectionEnd();
    }
    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
    void removeSelection(int selectionIndex) override
    {
        if (selectionIndex == 0)
            Edit()->deselect();
    }
    void setSelection(int selectionIndex, int startOffset, int endOffset) override
    {
        if (selectionIndex == 0)
            Edit()->setSelection(startOffset, endOffset - startOffset);
    }
    int cursorPosition() const override { return Edit()->cursorPosition(); }
    void setCursorPosition(int position) override { Edit()->setCursorPosition(position); }
    QString attributes(int, int *startOffset, int *endOffset) const override
    {
        WholeRun(characterCount(), startOffset, endOffset);
        return QString();
    }
    QRect characterRect(int offset) const override
    {
        // Where the character is drawn, found as the cursor positions on either side of it.
        const QString ch = text(offset, offset + 1);
        if (ch.isEmpty())
            return QRect();
        const QFontMetrics fm(Edit()->font());
        const int y = (Edit()->height() - fm.height()) / 2;
        int x = 0;
        while (x < Edit()->width() && Edit()->cursorPositionAt(QPoint(x, y)) < offset)
            ++x;
        const QRect r(x, y, fm.horizontalAdvance(ch), fm.height());
        return QRect(Edit()->mapToGlobal(r.topLeft()), r.size());
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        return Edit()->cursorPositionAt(Edit()->mapFromGlobal(point));
    }
    void scrollToSubstring(int startIndex, int endIndex) override
    {
        Edit()->setCursorPosition(endIndex);
        Edit()->setCursorPosition(startIndex);
    }

    // The editable text interface.
    void deleteText(int startOffset, int endOffset) override
    {
        Edit()->setText(Edit()->text().remove(startOffset, endOffset - startOffset));
    }
    void insertText(int offset, const QString &text) override
    {
        Edit()->setText(Edit()->text().insert(offset, text));
        Edit()->setCursorPosition(offset + int(text.size()));
    }
    void replaceText(int startOffset, int endOffset, const QString &text) override
    {
        Edit()->setText(Edit()->text().replace(startOffset, endOffset - startOffset, text));
    }

private:
    QLineEdit *Edit() const { return static_cast<QLineEdit *>(widget()); }
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

// A label in another role than a label's, named by its text: a notification, or the page header.
// A notification is named by the text it was last announced with (Announce): a screen reader
// reads the name when it comes to the announcement, which may be after the text has changed
// again, and would then say the newer text twice.
class CAccessibleText : public QAccessibleWidget
{
public:
    CAccessibleText(QLabel *label, QAccessible::Role role) : QAccessibleWidget(label, role) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name) {
            const QVariant announced = widget()->property(kAnnouncedProperty);
            return announced.isValid() ? announced.toString() : static_cast<QLabel *>(widget())->text();
        }
        return QAccessibleWidget::text(t);
    }

    // A notification belongs to the window for a screen reader, though it is drawn on a page:
    // Orca says a notification inside a dialog (a page) after the names of the dialog and of
    // every window around it, the page's whole description each time; in the main window, alone.
    QAccessibleInterface *parent() const override
    {
        if (role() == QAccessible::Notification && widget()->window() != widget())
            return QAccessible::queryAccessibleInterface(widget()->window());
        return QAccessibleWidget::parent();
    }
};

// A report of several lines (MarkAsReport), named by its whole text.
class CAccessibleReport : public QAccessibleWidget
{
public:
    explicit CAccessibleReport(QPlainTextEdit *text) : QAccessibleWidget(text, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<QPlainTextEdit *>(widget())->toPlainText();
        return QAccessibleWidget::text(t);
    }
};

// The description of a wizard page as a text of the page (CAccessiblePage), drawn where the
// window's header shows it.
class CAccessiblePageText : public QAccessibleInterface
{
public:
    explicit CAccessiblePageText(QWidget *page) : m_page(page) {}

    bool isValid() const override { return m_page; }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_page ? m_page->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_page); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::StaticText; }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name && m_page ? m_page->accessibleDescription() : QString();
    }
    void setText(QAccessible::Text, const QString &) override {}
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.invisible = !m_page || !m_page->isVisible();
        return s;
    }
    QRect rect() const override
    {
        if (!m_page)
            return QRect();
        const auto *shown =
            qobject_cast<QWidget *>(m_page->window()->property(kHeaderDescriptionProperty).value<QObject *>());
        return shown ? QRect(shown->mapToGlobal(QPoint(0, 0)), shown->size()) : QRect();
    }

private:
    QPointer<QWidget> m_page;
};

// A wizard page, a part of its window named by the page's title and described by its
// description, as a child dialog is. Its description is also a text of the page (its last
// child): Orca says a dialog's texts where it has any, and its description otherwise, but having
// said the description it says none of the focused input's own, which for a text box is its rule.
class CAccessiblePage : public QAccessibleWidget
{
public:
    explicit CAccessiblePage(QWidget *page) : QAccessibleWidget(page, QAccessible::Dialog) {}
    ~CAccessiblePage() override
    {
        if (m_textId)
            QAccessible::deleteAccessibleInterface(m_textId);
    }

    int childCount() const override { return QAccessibleWidget::childCount() + 1; }
    QAccessibleInterface *child(int index) const override
    {
        const int own = QAccessibleWidget::childCount();
        if (index < own)
            return QAccessibleWidget::child(index);
        return index == own ? Text() : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (child && m_textId && child == QAccessible::accessibleInterface(m_textId))
            return QAccessibleWidget::childCount();
        return QAccessibleWidget::indexOfChild(child);
    }

private:
    QAccessibleInterface *Text() const
    {
        if (!m_textId) {
            m_textId = QAccessible::registerAccessibleInterface(new CAccessiblePageText(widget()));
            widget()->setProperty(kPageTextProperty, m_textId);
        }
        return QAccessible::accessibleInterface(m_textId);
    }

    mutable QAccessible::Id m_textId = 0;
};

// Tells a screen reader that a page's text (CAccessiblePage) was shown or hidden with the page: a
// reader keeps the states it has read of an object until it is told of a change, and the text is
// no widget that Qt would tell of. Without it, a page a reader once saw hidden (reading the
// window after a message box) kept its text hidden, and the reader said the page's description
// in its place, and then none of the focused input's own.
class CPageWatcher : public QObject
{
public:
    explicit CPageWatcher(QWidget *page) : QObject(page) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if ((event->type() == QEvent::Show || event->type() == QEvent::Hide) && QAccessible::isActive()) {
            const auto id = watched->property(kPageTextProperty).value<QAccessible::Id>();
            if (QAccessibleInterface *text = id ? QAccessible::accessibleInterface(id) : nullptr) {
                QAccessibleEvent told(text, event->type() == QEvent::Show ? QAccessible::ObjectShow
                                                                          : QAccessible::ObjectHide);
                QAccessible::updateAccessibility(&told);
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

// Tells a screen reader again where the focus is: Qt tells it as the focus moves, but not when
// the reader learns of the program later (accessibility turned on once the window is up) or
// when the window becomes active again (after a message box), when Orca says the window alone.
void TellFocus()
{
    QWidget *focus = QApplication::focusWidget();
    if (!focus || !QAccessible::isActive())
        return;
    QAccessibleEvent event(focus, QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
}

class CActivationObserver : public QAccessible::ActivationObserver
{
public:
    void accessibilityActiveChanged(bool active) override
    {
        if (active)
            Accessibility::TellFocusLater();
    }
};

// Tells the focus whenever the window it watches becomes active.
class CActivationWatcher : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::WindowActivate)
            Accessibility::TellFocusLater();
        return QObject::eventFilter(watched, event);
    }
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
    if (widget->property(kPageProperty).toBool())
        return new CAccessiblePage(widget);
    if (auto *report = qobject_cast<QPlainTextEdit *>(widget); report && widget->property(kReportProperty).toBool())
        return new CAccessibleReport(report);
    const QVariant role = widget->property(kRoleProperty);
    if (role.isValid()) {
        if (auto *label = qobject_cast<QLabel *>(widget))
            return new CAccessibleText(label, QAccessible::Role(role.toInt()));
        return new QAccessibleWidget(widget, QAccessible::Role(role.toInt()));
    }
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        return new CAccessibleEdit(edit);
    return nullptr;
}

// Gives `widget` its role from now on: an interface Qt made for it already (a screen reader
// running while the window was built asks for them at once) is made anew.
void SetRole(QWidget *widget, QAccessible::Role role)
{
    widget->setProperty(kRoleProperty, int(role));
    if (QAccessibleInterface *made = QAccessible::queryAccessibleInterface(widget); made && made->role() != role)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

}  // namespace

void Accessibility::Install()
{
    static const bool installed = [] {
        QAccessible::installFactory(&Factory);
        static CActivationObserver observer;
        QAccessible::installActivationObserver(&observer);
        return true;
    }();
    Q_UNUSED(installed);
}

void Accessibility::MarkAsPage(QWidget *page, const QString &name, const QString &description)
{
    // Orca says a dialog's name, then its description, as the focus enters it; a grouping it
    // names alone.
    page->setProperty(kPageProperty, true);
    page->setProperty(kRoleProperty, int(QAccessible::Dialog));
    if (QAccessibleInterface *made = QAccessible::queryAccessibleInterface(page))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    page->setAccessibleName(name);
    page->setAccessibleDescription(description);
    page->installEventFilter(new CPageWatcher(page));
}

void Accessibility::MarkAsReport(QPlainTextEdit *text)
{
    text->setProperty(kReportProperty, true);
    if (QAccessibleInterface *made = QAccessible::queryAccessibleInterface(text))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    // A reader keeps a name it has read until it is told of a change.
    QObject::connect(text, &QPlainTextEdit::textChanged, text, [text] {
        if (QAccessible::isActive()) {
            QAccessibleEvent event(text, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&event);
        }
    });
}

void Accessibility::MarkAsMainWindow(QWidget *window)
{
    // A frame: Orca says a notification in a dialog after the dialog's name and description.
    SetRole(window, QAccessible::Window);
}

void Accessibility::TellFocusLater()
{
    // Once the events of the change under way (activation, the reader's arrival) have gone out.
    QMetaObject::invokeMethod(qApp, &TellFocus, Qt::QueuedConnection);
}

void Accessibility::MarkAsHeader(QLabel *title, QLabel *description)
{
    // Not labels: Orca says every label of a window that labels nothing as the window becomes
    // active, and the header is said with each page already.
    SetRole(title, QAccessible::Heading);
    SetRole(description, QAccessible::Paragraph);
    description->window()->setProperty(kHeaderDescriptionProperty, QVariant::fromValue<QObject *>(description));
}

void Accessibility::TellFocusOnActivation(QWidget *window)
{
    window->installEventFilter(new CActivationWatcher(window));
    // A menu that closes gives the keyboard back to the window without activating the widget
    // again, but the window system does, and the bridge tells a screen reader the window was
    // activated: Orca then takes the window for the focus, and says nothing of the next control
    // that takes the focus while its text is selected (the next page's box).
    QObject::connect(qApp, &QGuiApplication::focusWindowChanged, window, [window](QWindow *focus) {
        if (focus && focus == window->windowHandle())
            TellFocusLater();
    });
}

void Accessibility::MarkAsNotification(QLabel *label)
{
    SetRole(label, QAccessible::Notification);
    label->setVisible(!label->text().isEmpty());
    label->setProperty(kAnnouncedProperty, label->text());
}

void Accessibility::Announce(QLabel *label, const QString &text)
{
    // The line on screen follows every change at once; a screen reader is told when the line
    // appears, and of a change once the text has rested, not at each key of a word being typed.
    // A reader says a notification as it is shown: to say a new text the line is shown anew.
    auto *rest = label->findChild<QTimer *>(QStringLiteral("announce"), Qt::FindDirectChildrenOnly);
    if (!rest) {
        rest = new QTimer(label);
        rest->setObjectName(QStringLiteral("announce"));
        rest->setSingleShot(true);
        rest->setInterval(kAnnounceRest);
        QObject::connect(rest, &QTimer::timeout, label, [label] {
            const QString now = label->text();
            if (now.isEmpty() || now == label->property(kAnnouncedProperty).toString())
                return;
            label->setProperty(kAnnouncedProperty, now);
            // A line on a hidden page is said as the page is shown.
            if (label->isVisible()) {
                label->hide();
                label->show();
            }
        });
    }
    label->setText(text);
    if (text.isEmpty()) {
        rest->stop();
        label->hide();
        label->setProperty(kAnnouncedProperty, QString());
    } else if (label->isHidden()) {
        rest->stop();
        label->setProperty(kAnnouncedProperty, text);
        label->show();
    } else if (text != label->property(kAnnouncedProperty).toString()) {
        rest->start();
    } else {
        rest->stop();
    }
}

void Accessibility::ReportItemChanges(QComboBox *list)
{
    auto last = std::make_shared<QString>(list->currentText());
    QObject::connect(list, &QComboBox::currentTextChanged, list, [list, last](const QString &text) {
        // The new item as text inserted in place of the old one; the old one's removal is not told,
        // which Orca would say as "Selection deleted".
        if (QAccessible::isActive() && text != *last && !text.isEmpty()) {
            QAccessibleTextInsertEvent event(list, 0, text);
            QAccessible::updateAccessibility(&event);
        }
        *last = text;
    });
}
