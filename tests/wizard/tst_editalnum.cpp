// The code box's edit control: only ASCII letters and digits get in, by whatever route the user's
// text comes (typed, committed by an input method, pasted in every way, dropped), always in
// capitals and cut to the limit as typing each character would; the editing keys; and a limit
// that stops the user but not the program.

// Qt
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QtTest>

#include "controls/editalnum.h"
#include "leftovers.h"

class TestEditAlnum : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void typed_data();
    void typed();
    void controlKeys_data();
    void controlKeys();
    void navigationKeysWork();
    void everyRouteKeepsCodeCharacters_data();
    void everyRouteKeepsCodeCharacters();
    void pasteOfNothingKeepsTheSelection();
    void inputMethodReplacement_data();
    void inputMethodReplacement();
    void limit_data();
    void limit();
    void programTextIsKept_data();
    void programTextIsKept();
    void accessibilityTakesTheTypingRule_data();
    void accessibilityTakesTheTypingRule();
    void setTextTakesTheTypingRule_data();
    void setTextTakesTheTypingRule();

private:
    // The ways text of the user's reaches the box.
    enum Route { Typed, InputMethod, CtrlV, ShiftInsert, ContextMenu, MiddleClick, Drop };

    // Types `text` one character at a time, as keyboard translation delivers it.
    void type(const QString &text);
    // Why the platform has no such route; empty when it has.
    static QString missing(Route route);
    // Brings `text` into the box by `route`.
    void enter(Route route, const QString &text);
    void pasteFromContextMenu();
    void drop(const QString &text);

    std::unique_ptr<CEditAlnum> m_edit;
};

void TestEditAlnum::init()
{
    m_edit = std::make_unique<CEditAlnum>();
    m_edit->SetUpperCase(true);
    m_edit->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_edit.get()));
    QGuiApplication::clipboard()->clear();
}

void TestEditAlnum::cleanup()
{
    m_edit.reset();
    QCOMPARE(LeftoverWindows(), QStringList());
}

void TestEditAlnum::type(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        Qt::Key key = Qt::Key_unknown;
        if (u >= u'a' && u <= u'z')
            key = Qt::Key(Qt::Key_A + (u - u'a'));
        else if (u < 128)
            key = Qt::Key(QChar(u).toUpper().unicode());
        // A character beyond the basic plane arrives as one key with two code units.
        const qsizetype units = text.at(i).isHighSurrogate() ? 2 : 1;
        QTest::sendKeyEvent(QTest::Click, m_edit.get(), key, text.mid(i, units), Qt::NoModifier);
        i += units - 1;
    }
}

// clang-format off
void TestEditAlnum::typed_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");

    QTest::newRow("lower-case letter") << QStringLiteral("a") << QStringLiteral("A");
    QTest::newRow("upper-case letter") << QStringLiteral("Q") << QStringLiteral("Q");
    QTest::newRow("digit") << QStringLiteral("5") << QStringLiteral("5");
    QTest::newRow("every ASCII letter and digit")
        << QStringLiteral("azAZ09") << QStringLiteral("AZAZ09");
    // brindle-cli takes ASCII letters and digits only: the code is part of the version text.
    QTest::newRow("full stop") << QStringLiteral(".") << QString();
    QTest::newRow("dash") << QStringLiteral("-") << QString();
    QTest::newRow("blank") << QStringLiteral(" ") << QString();
    QTest::newRow("underscore") << QStringLiteral("_") << QString();
    QTest::newRow("punctuation") << QStringLiteral("!/\\:*?\"<>|,;@[`{~") << QString();
    QTest::newRow("mixed") << QStringLiteral("ab-1.c_d 2") << QStringLiteral("AB1CD2");
    QTest::newRow("Latin-1 letters") << QStringLiteral("\u00e9\u00e7\u00f1\u00c4\u00ff\u00df") << QString();
    QTest::newRow("Latin-1 signs") << QStringLiteral("\u00a7\u00b0\u00d7\u00f7\u00ab\u00b2") << QString();
    QTest::newRow("Latin-1 among ASCII") << QStringLiteral("\u00ff9x") << QStringLiteral("9X");
    QTest::newRow("emoji") << QStringLiteral("a\U0001F600b") << QStringLiteral("AB");
    QTest::newRow("letter beyond the basic plane") << QStringLiteral("\U00010428") << QString();
    QTest::newRow("Cyrillic letter") << QStringLiteral("\u0436") << QString();
    QTest::newRow("full-width digits") << QStringLiteral("\uff11\uff12") << QString();
}
// clang-format on

void TestEditAlnum::typed()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);

    type(typed);
    QCOMPARE(m_edit->text(), shown);
}

// clang-format off
void TestEditAlnum::controlKeys_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("clipboardBefore");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("rawText");  // the key carries its control character, as on X11 and Windows
    QTest::addColumn<QString>("then");  // typed after the key
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("clipboardAfter");

    for (bool raw : {false, true}) {
        const char *form = raw ? " (control character)" : " (letter)";
        auto row = [form](const char *name) -> QTestData & { return QTest::newRow(qPrintable(QLatin1String(name) + QLatin1String(form))); };
        row("Ctrl+A selects all") << "ABC" << "" << int(Qt::Key_A) << raw << "x" << "X" << "";
        row("Ctrl+C copies") << "ABC" << "" << int(Qt::Key_C) << raw << "" << "ABC" << "";
        row("Ctrl+V pastes") << "AB" << "cd" << int(Qt::Key_V) << raw << "" << "ABCD" << "cd";
        row("Ctrl+X without selection") << "ABC" << "keep" << int(Qt::Key_X) << raw << "" << "ABC" << "keep";
        row("Ctrl+Z undoes the typing") << "ABC" << "" << int(Qt::Key_Z) << raw << "" << "" << "";
        row("Ctrl+B does nothing") << "ABC" << "" << int(Qt::Key_B) << raw << "" << "ABC" << "";
        row("Ctrl+Y does nothing") << "ABC" << "" << int(Qt::Key_Y) << raw << "" << "ABC" << "";
        row("Ctrl+K does nothing") << "ABC" << "" << int(Qt::Key_K) << raw << "" << "ABC" << "";
    }
}
// clang-format on

void TestEditAlnum::controlKeys()
{
    QFETCH(QString, start);
    QFETCH(QString, clipboardBefore);
    QFETCH(int, key);
    QFETCH(bool, rawText);
    QFETCH(QString, then);
    QFETCH(QString, text);
    QFETCH(QString, clipboardAfter);

    type(start.toLower());
    QCOMPARE(m_edit->text(), start);
    QGuiApplication::clipboard()->setText(clipboardBefore);
    const QString keyText =
        rawText ? QString(QChar(char16_t(key - Qt::Key_A + 1))) : QString(QChar(char16_t(key + 32)));
    QTest::sendKeyEvent(QTest::Click, m_edit.get(), Qt::Key(key), keyText, Qt::ControlModifier);
    type(then);
    QCOMPARE(m_edit->text(), text);
    QCOMPARE(QGuiApplication::clipboard()->text(), clipboardAfter);
}

void TestEditAlnum::navigationKeysWork()
{
    type(QStringLiteral("abcd"));
    QTest::keyClick(m_edit.get(), Qt::Key_Home);
    QTest::keyClick(m_edit.get(), Qt::Key_Delete);
    QCOMPARE(m_edit->text(), QStringLiteral("BCD"));
    QTest::keyClick(m_edit.get(), Qt::Key_Right);
    type(QStringLiteral("x"));
    QCOMPARE(m_edit->text(), QStringLiteral("BXCD"));
    QTest::keyClick(m_edit.get(), Qt::Key_End);
    QTest::keyClick(m_edit.get(), Qt::Key_Backspace);
    QCOMPARE(m_edit->text(), QStringLiteral("BXC"));
    QTest::keyClick(m_edit.get(), Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(m_edit.get(), Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(m_edit->text(), QStringLiteral("BX"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("C"));
    QTest::keyClick(m_edit.get(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m_edit->text(), QStringLiteral("BXC"));
}

QString TestEditAlnum::missing(Route route)
{
    if (route == ShiftInsert
        && !QKeySequence::keyBindings(QKeySequence::Paste).contains(QKeySequence(Qt::SHIFT | Qt::Key_Insert)))
        return QStringLiteral("Shift+Insert does not paste on this platform");
    if (route == MiddleClick && !QGuiApplication::clipboard()->supportsSelection())
        return QStringLiteral("the platform has no selection to paste with the middle button");
    return QString();
}

void TestEditAlnum::enter(Route route, const QString &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    switch (route) {
    case Typed: type(text); break;
    case InputMethod: {
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(m_edit.get(), &event);
        break;
    }
    case CtrlV:
        clipboard->setText(text);
        QTest::keyClick(m_edit.get(), Qt::Key_V, Qt::ControlModifier);
        break;
    case ShiftInsert:
        clipboard->setText(text);
        QTest::keyClick(m_edit.get(), Qt::Key_Insert, Qt::ShiftModifier);
        break;
    case ContextMenu:
        clipboard->setText(text);
        pasteFromContextMenu();
        break;
    case MiddleClick:
        clipboard->setText(text, QClipboard::Selection);
        // Behind the text, where the cursor already is.
        QTest::mouseClick(m_edit.get(), Qt::MiddleButton, {}, QPoint(m_edit->width() - 4, m_edit->height() / 2));
        break;
    case Drop: drop(text); break;
    }
}

void TestEditAlnum::pasteFromContextMenu()
{
    // The context menu's Paste entry, picked as the user would.
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), m_edit->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(m_edit.get(), &event);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QAction *paste = CEditAlnum::FindPasteAction(menu);
    QVERIFY(paste);
    paste->trigger();
    menu->close();
}

void TestEditAlnum::drop(const QString &text)
{
    QMimeData data;
    data.setText(text);
    const QPoint at(m_edit->width() - 2, m_edit->height() / 2);  // behind the text
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_edit.get(), &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_edit.get(), &move);
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_edit.get(), &dropped);
}

// clang-format off
void TestEditAlnum::everyRouteKeepsCodeCharacters_data()
{
    QTest::addColumn<int>("route");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("before");  // typed first
    QTest::addColumn<QString>("entered");
    QTest::addColumn<QString>("text");

    // brindle-cli takes a code of ASCII letters and digits, in capitals; every route keeps
    // exactly those characters of what it brings, as typing them one by one would.
    const std::pair<Route, const char *> routes[] = {
        {Typed, "typed"}, {InputMethod, "input method"}, {CtrlV, "Ctrl+V"}, {ShiftInsert, "Shift+Insert"},
        {ContextMenu, "context menu"}, {MiddleClick, "middle button"}, {Drop, "drop"},
    };
    for (const auto &[route, name] : routes) {
        auto row = [name](const char *what) -> QTestData & { return QTest::addRow("%s: %s", name, what); };
        row("code") << int(route) << 3 << "" << "b01" << "B01";
        row("Cyrillic and Latin-1 letters") << int(route) << 3 << "" << "\u0416\u00e91" << "1";
        row("dash") << int(route) << 3 << "" << "ab-1" << "AB1";
        row("y diaeresis") << int(route) << 3 << "" << "\u00ff9x" << "9X";
        row("signs and blanks") << int(route) << 3 << "" << "a.b_c d" << "ABC";
        row("line break") << int(route) << 3 << "" << "x\r\ny" << "XY";
        row("emoji") << int(route) << 3 << "" << "a\U0001F600b" << "AB";
        row("full-width digits") << int(route) << 3 << "" << "\uff11\uff12\uff13" << "";
        row("nothing acceptable") << int(route) << 3 << "A" << "-_.\u00e9" << "A";
        row("longer than the limit") << int(route) << 3 << "" << "abcdef" << "ABC";
        row("cut to the room left") << int(route) << 3 << "a" << "wxyz" << "AWX";
        row("full box") << int(route) << 3 << "abc" << "x" << "ABC";
        row("refused characters leave room") << int(route) << 4 << "" << "s-n.a_p5" << "SNAP";
        row("no limit") << int(route) << 0 << "ab" << "c-d\u00e9e" << "ABCDE";
    }
}
// clang-format on

void TestEditAlnum::everyRouteKeepsCodeCharacters()
{
    QFETCH(int, route);
    QFETCH(int, limit);
    QFETCH(QString, before);
    QFETCH(QString, entered);
    QFETCH(QString, text);

    if (const QString why = missing(Route(route)); !why.isEmpty())
        QSKIP(qPrintable(why));
    m_edit->SetLimitText(limit);
    m_edit->setFocus();
    type(before);
    QCOMPARE(m_edit->text(), before.toUpper());
    enter(Route(route), entered);
    QCOMPARE(m_edit->text(), text);
    // The cursor stays behind what came in, ready for more.
    QCOMPARE(m_edit->cursorPosition(), int(text.size()));
}

void TestEditAlnum::pasteOfNothingKeepsTheSelection()
{
    // Pasting only refused characters over a selection changes nothing, as typing them would not.
    type(QStringLiteral("abc"));
    m_edit->selectAll();
    QGuiApplication::clipboard()->setText(QStringLiteral("-\u00e9 "));
    QTest::keyClick(m_edit.get(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(m_edit->text(), QStringLiteral("ABC"));
    QCOMPARE(m_edit->selectedText(), QStringLiteral("ABC"));
    // Something acceptable replaces it.
    QGuiApplication::clipboard()->setText(QStringLiteral("-x-"));
    QTest::keyClick(m_edit.get(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(m_edit->text(), QStringLiteral("X"));
}

// clang-format off
void TestEditAlnum::inputMethodReplacement_data()
{
    QTest::addColumn<QString>("preedit");
    QTest::addColumn<QString>("commit");
    QTest::addColumn<int>("replaced");  // characters before the cursor that the commit replaces
    QTest::addColumn<QString>("text");

    // The box holds "ABC" with the cursor at its end, and takes 3 characters.
    QTest::newRow("composition only") << "\u0436" << "" << 0 << "ABC";
    QTest::newRow("refused commit replaces nothing") << "" << "\u0416" << 1 << "ABC";
    QTest::newRow("commit replaces the last") << "" << "x" << 1 << "ABX";
    QTest::newRow("commit cut to the room the replacement leaves") << "" << "x-yz" << 2 << "AXY";
    QTest::newRow("commit filtered, composition goes on") << "\u0436" << "\u00e9z" << 1 << "ABZ";
}
// clang-format on

void TestEditAlnum::inputMethodReplacement()
{
    QFETCH(QString, preedit);
    QFETCH(QString, commit);
    QFETCH(int, replaced);
    QFETCH(QString, text);

    m_edit->SetLimitText(3);
    type(QStringLiteral("abc"));
    QInputMethodEvent event(preedit, {});
    event.setCommitString(commit, -replaced, replaced);
    QApplication::sendEvent(m_edit.get(), &event);
    QCOMPARE(m_edit->text(), text);
}

// clang-format off
void TestEditAlnum::limit_data()
{
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("typedFirst");
    QTest::addColumn<bool>("selectAll");
    QTest::addColumn<QString>("pasted");  // pasted with Ctrl+V after typing, when not empty
    QTest::addColumn<QString>("typedLast");
    QTest::addColumn<QString>("text");

    QTest::newRow("typing stops at the limit") << 3 << "abcd" << false << "" << "" << "ABC";
    QTest::newRow("4 characters") << 4 << "abcde" << false << "" << "" << "ABCD";
    QTest::newRow("full stop refused") << 3 << "a.b.c" << false << "" << "" << "ABC";
    QTest::newRow("refused signs do not count") << 3 << "a-b-c" << false << "" << "" << "ABC";
    QTest::newRow("paste cut to the room left") << 3 << "a" << false << "wxyz" << "" << "AWX";
    QTest::newRow("paste filtered before it is cut") << 3 << "a" << false << "-w.x" << "" << "AWX";
    QTest::newRow("paste into a full box") << 3 << "abc" << false << "xy" << "" << "ABC";
    QTest::newRow("paste over the selection") << 3 << "abc" << true << "wxyz" << "" << "WXY";
    QTest::newRow("typing over the selection") << 3 << "abc" << true << "" << "z" << "Z";
    QTest::newRow("typing after a paste") << 3 << "" << false << "wx" << "yz" << "WXY";
    QTest::newRow("no limit") << 0 << "abcdefghij" << false << "klm" << "" << "ABCDEFGHIJKLM";
}
// clang-format on

void TestEditAlnum::limit()
{
    QFETCH(int, limit);
    QFETCH(QString, typedFirst);
    QFETCH(bool, selectAll);
    QFETCH(QString, pasted);
    QFETCH(QString, typedLast);
    QFETCH(QString, text);

    m_edit->SetLimitText(limit);
    type(typedFirst);
    if (selectAll)
        QTest::keyClick(m_edit.get(), Qt::Key_A, Qt::ControlModifier);
    if (!pasted.isEmpty()) {
        QGuiApplication::clipboard()->setText(pasted);
        QTest::keyClick(m_edit.get(), Qt::Key_V, Qt::ControlModifier);
    }
    type(typedLast);
    QCOMPARE(m_edit->text(), text);
}

// clang-format off
void TestEditAlnum::programTextIsKept_data()
{
    QTest::addColumn<QString>("set");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("text");

    QTest::newRow("longer than the limit") << "ABCDE" << "" << "" << "ABCDE";
    QTest::newRow("lower case kept") << "ab" << "" << "" << "ab";
    QTest::newRow("cannot grow by typing") << "ABCDE" << "f" << "" << "ABCDE";
    QTest::newRow("cannot grow by pasting") << "ABCDE" << "" << "x" << "ABCDE";
    QTest::newRow("sign kept") << "A-B" << "c" << "" << "A-BC";
    QTest::newRow("only code characters added") << "a-" << "-b\u00e9" << "c." << "a-BC";
}
// clang-format on

void TestEditAlnum::programTextIsKept()
{
    QFETCH(QString, set);
    QFETCH(QString, typed);
    QFETCH(QString, pasted);
    QFETCH(QString, text);

    m_edit->SetLimitText(4);
    m_edit->SetTextAsIs(set);
    QCOMPARE(m_edit->text(), set);
    type(typed);
    if (!pasted.isEmpty()) {
        QGuiApplication::clipboard()->setText(pasted);
        QTest::keyClick(m_edit.get(), Qt::Key_V, Qt::ControlModifier);
    }
    QCOMPARE(m_edit->text(), text);

    // The only way is down: once shortened, the box fills up to the limit again.
    if (set.size() > 4) {
        QTest::keyClick(m_edit.get(), Qt::Key_End);
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(m_edit.get(), Qt::Key_Backspace);
        QCOMPARE(m_edit->text(), set.left(2));
        type(QStringLiteral("xyz"));
        QCOMPARE(m_edit->text(), set.left(2) + QStringLiteral("XY"));
    }
}

// clang-format off
void TestEditAlnum::accessibilityTakesTheTypingRule_data()
{
    // Text set through the accessibility interface (a screen reader's or an on-screen keyboard's
    // editing, AT-SPI's SetTextContents and InsertText, UI Automation's SetValue) goes through
    // the same rule as typing: the new characters that the box takes, in capitals, cut to the
    // room the limit leaves; the rest of the text stays as it was.
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("how");  // "set", "replace", "insert at N", "delete N M"
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("after");

    QTest::newRow("set ab9") << "" << "set" << "ab9" << "AB9";
    QTest::newRow("set over text") << "XYZ" << "set" << "ab9" << "AB9";
    QTest::newRow("set with other characters") << "" << "set" << "a-b.9 " << "AB9";
    QTest::newRow("set beyond the limit") << "" << "set" << "abcdef" << "ABC";
    QTest::newRow("set nothing acceptable") << "XY" << "set" << "--" << "";
    QTest::newRow("replace all") << "XYZ" << "replace" << "q1r" << "Q1R";
    QTest::newRow("replace with Latin-1") << "" << "replace" << QStringLiteral("\u00e9a\u00f1b") << "AB";
    QTest::newRow("insert in the middle") << "XZ" << "insert at 1" << "y-" << "XYZ";
    QTest::newRow("insert beyond the room") << "XZ" << "insert at 1" << "abc" << "XAZ";
    QTest::newRow("insert at a full box") << "XYZ" << "insert at 3" << "a" << "XYZ";
    QTest::newRow("delete") << "XYZ" << "delete 1 2" << "" << "XZ";
}
// clang-format on

void TestEditAlnum::accessibilityTakesTheTypingRule()
{
    QFETCH(QString, before);
    QFETCH(QString, how);
    QFETCH(QString, text);
    QFETCH(QString, after);

    m_edit->SetLimitText(3);
    m_edit->SetTextAsIs(before);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(m_edit.get());
    QVERIFY(iface);
    QAccessibleEditableTextInterface *editable = iface->editableTextInterface();
    QVERIFY(editable);
    const QStringList words = how.split(QLatin1Char(' '));
    if (how == QLatin1String("set"))
        iface->setText(QAccessible::Value, text);
    else if (how == QLatin1String("replace"))
        editable->replaceText(0, int(before.size()), text);
    else if (words.first() == QLatin1String("insert"))
        editable->insertText(words.last().toInt(), text);
    else
        editable->deleteText(words.at(1).toInt(), words.at(2).toInt());
    QCOMPARE(m_edit->text(), after);

    // Text the program sets as it is is still kept.
    m_edit->SetTextAsIs(QStringLiteral("a-b.c"));
    QCOMPARE(m_edit->text(), QStringLiteral("a-b.c"));
}

// clang-format off
void TestEditAlnum::setTextTakesTheTypingRule_data()
{
    // setText is QLineEdit's and not virtual: called through a QLineEdit pointer or a CEditAlnum
    // one, the box's validator holds it to the typing rule, the same either way. Typing and
    // pasting go on from there by the same rule.
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("set");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("last");

    QTest::newRow("code characters") << "" << "ab9" << "AB9" << "c" << "" << "AB9C";
    QTest::newRow("other characters dropped") << "" << "a-b .9\u00e9" << "AB9" << "" << "x-" << "AB9X";
    QTest::newRow("cut to the limit") << "" << "abcdef" << "ABCD" << "e" << "f" << "ABCD";
    QTest::newRow("over the old text") << "XYZ" << "q1" << "Q1" << "-r" << "" << "Q1R";
    QTest::newRow("nothing acceptable") << "XY" << "--" << "" << "" << "z9" << "Z9";
    QTest::newRow("empty") << "XY" << "" << "" << "a" << "" << "A";
}
// clang-format on

void TestEditAlnum::setTextTakesTheTypingRule()
{
    QFETCH(QString, before);
    QFETCH(QString, set);
    QFETCH(QString, after);
    QFETCH(QString, typed);
    QFETCH(QString, pasted);
    QFETCH(QString, last);

    m_edit->SetLimitText(4);
    for (const bool base : {true, false}) {
        m_edit->SetTextAsIs(before);
        QCOMPARE(m_edit->text(), before);
        if (base)
            static_cast<QLineEdit *>(m_edit.get())->setText(set);
        else
            m_edit->setText(set);
        QCOMPARE(m_edit->text(), after);
        QTest::keyClick(m_edit.get(), Qt::Key_End);
        type(typed);
        if (!pasted.isEmpty()) {
            QGuiApplication::clipboard()->setText(pasted);
            QTest::keyClick(m_edit.get(), Qt::Key_V, Qt::ControlModifier);
        }
        QCOMPARE(m_edit->text(), last);
    }
}

QTEST_MAIN(TestEditAlnum)
#include "tst_editalnum.moc"
