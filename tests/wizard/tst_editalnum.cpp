// The code box's edit control: which typed characters get in, capitals for typed and pasted
// letters, the editing keys, and a text limit that stops the user but not the program.

// Qt
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QtTest>

#include "editalnum.h"

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
    void pasteIsNotFiltered_data();
    void pasteIsNotFiltered();
    void limit_data();
    void limit();
    void programTextIsKept_data();
    void programTextIsKept();
    void contextMenuPasteKeepsLimit();
    void dropKeepsLimit();

private:
    // Types `text` one character at a time, as keyboard translation delivers it.
    void type(const QString &text);

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
    QVERIFY2(QApplication::topLevelWidgets().isEmpty(), "a window was left over");
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

void TestEditAlnum::typed_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");

    QTest::newRow("lower-case letter") << QStringLiteral("a") << QStringLiteral("A");
    QTest::newRow("upper-case letter") << QStringLiteral("Q") << QStringLiteral("Q");
    QTest::newRow("digit") << QStringLiteral("5") << QStringLiteral("5");
    QTest::newRow("full stop") << QStringLiteral(".") << QStringLiteral(".");
    QTest::newRow("dash") << QStringLiteral("-") << QString();
    QTest::newRow("blank") << QStringLiteral(" ") << QString();
    QTest::newRow("underscore") << QStringLiteral("_") << QString();
    QTest::newRow("punctuation") << QStringLiteral("!/\\:*?\"<>|,;") << QString();
    QTest::newRow("mixed") << QStringLiteral("ab-1.c_d 2") << QStringLiteral("AB1.CD2");
    QTest::newRow("Latin-1 letters") << QStringLiteral("é\u00e7\u00f1") << QStringLiteral("\u00c9\u00c7\u00d1");
    QTest::newRow("Latin-1 capital") << QStringLiteral("\u00c4") << QStringLiteral("\u00c4");
    QTest::newRow("Latin-1 signs") << QStringLiteral("\u00a7\u00b0\u00d7\u00f7\u00ab") << QString();
    // A capital of its own outside Latin-1 would not survive the firmware's one byte per
    // character; a letter without a one-character capital must not turn into two characters.
    QTest::newRow("y diaeresis stays") << QStringLiteral("\u00ff") << QStringLiteral("\u00ff");
    QTest::newRow("sharp s stays one") << QStringLiteral("\u00df") << QStringLiteral("\u00df");
    QTest::newRow("emoji") << QStringLiteral("a\U0001F600b") << QStringLiteral("AB");
    QTest::newRow("letter beyond the basic plane") << QStringLiteral("\U00010428") << QStringLiteral("\U00010400");
    QTest::newRow("Cyrillic letter") << QStringLiteral("\u0436") << QStringLiteral("\u0416");
}

void TestEditAlnum::typed()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);

    type(typed);
    QCOMPARE(m_edit->text(), shown);
}

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
    const QString keyText = rawText ? QString(QChar(char16_t(key - Qt::Key_A + 1))) : QString(QChar(char16_t(key + 32)));
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

void TestEditAlnum::pasteIsNotFiltered_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("text");

    QTest::newRow("letters") << QStringLiteral("abc") << QStringLiteral("ABC");
    QTest::newRow("signs kept") << QStringLiteral("a-b c_d") << QStringLiteral("A-B C_D");
    QTest::newRow("Latin-1") << QStringLiteral("\u00e9t\u00e9") << QStringLiteral("\u00c9T\u00c9");
    QTest::newRow("sharp s") << QStringLiteral("stra\u00dfe") << QStringLiteral("STRA\u00dfE");
    QTest::newRow("first line only") << QStringLiteral("ab\r\ncd") << QStringLiteral("AB");
}

void TestEditAlnum::pasteIsNotFiltered()
{
    QFETCH(QString, clipboard);
    QFETCH(QString, text);

    QGuiApplication::clipboard()->setText(clipboard);
    QTest::keyClick(m_edit.get(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(m_edit->text(), text);
}

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
    QTest::newRow("full stop counts") << 3 << "a.b.c" << false << "" << "" << "A.B";
    QTest::newRow("refused signs do not count") << 3 << "a-b-c" << false << "" << "" << "ABC";
    QTest::newRow("paste cut to the room left") << 3 << "a" << false << "wxyz" << "" << "AWX";
    QTest::newRow("paste into a full box") << 3 << "abc" << false << "xy" << "" << "ABC";
    QTest::newRow("paste over the selection") << 3 << "abc" << true << "wxyz" << "" << "WXY";
    QTest::newRow("typing over the selection") << 3 << "abc" << true << "" << "z" << "Z";
    QTest::newRow("typing after a paste") << 3 << "" << false << "wx" << "yz" << "WXY";
    QTest::newRow("no limit") << 0 << "abcdefghij" << false << "klm" << "" << "ABCDEFGHIJKLM";
}

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
}

void TestEditAlnum::programTextIsKept()
{
    QFETCH(QString, set);
    QFETCH(QString, typed);
    QFETCH(QString, pasted);
    QFETCH(QString, text);

    m_edit->SetLimitText(4);
    m_edit->setText(set);
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

void TestEditAlnum::contextMenuPasteKeepsLimit()
{
    m_edit->SetLimitText(3);
    type(QStringLiteral("a"));
    QGuiApplication::clipboard()->setText(QStringLiteral("bcdef"));

    // The context menu's Paste entry, picked as the user would.
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), m_edit->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(m_edit.get(), &event);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QAction *paste = CEditAlnum::FindPasteAction(menu);
    QVERIFY(paste);
    paste->trigger();
    menu->close();
    QCOMPARE(m_edit->text(), QStringLiteral("ABC"));
}

void TestEditAlnum::dropKeepsLimit()
{
    m_edit->SetLimitText(3);
    m_edit->setText(QStringLiteral("AB"));

    const auto drop = [this](const QString &text) {
        QMimeData data;
        data.setText(text);
        const QPoint at(m_edit->width() - 2, m_edit->height() / 2);  // behind the text
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_edit.get(), &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_edit.get(), &move);
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_edit.get(), &dropped);
    };
    // A drop that does not fit is refused as a whole; one that fits gets capitals.
    drop(QStringLiteral("cdef"));
    QCOMPARE(m_edit->text(), QStringLiteral("AB"));
    drop(QStringLiteral("c"));
    QCOMPARE(m_edit->text(), QStringLiteral("ABC"));
}

QTEST_MAIN(TestEditAlnum)
#include "tst_editalnum.moc"
