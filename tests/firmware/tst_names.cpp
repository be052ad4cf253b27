// Names and texts as both programs hold and show them: a file name's bytes as text and back
// (FileName::FromNative, ToNative), so that a name that is not UTF-8 still names its file; and
// the rule that shows what a text holds (ScreenText), escaping controls, the characters that
// reorder text and the invisible ones, the same in the wizard and in brindle-cli.

// Qt
#include <QtTest>

#include "firmware/filename.h"
#include "firmware/screentext.h"

class TestNames : public QObject
{
    Q_OBJECT

private slots:
    void fromNative_data();
    void fromNative();
    void notNative_data();
    void notNative();
    void visible_data();
    void visible();
    void isolated();
};

// clang-format off
void TestNames::fromNative_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("ASCII") << QByteArray("out.rom") << QStringLiteral("out.rom");
    QTest::newRow("UTF-8") << QByteArray("caf\xC3\xA9.rom") << QStringLiteral("caf\u00E9.rom");
    QTest::newRow("four bytes") << QByteArray("\xF0\x9F\x98\x80") << QString::fromUtf16(u"\U0001F600");
    QTest::newRow("two bytes that are not UTF-8") << QByteArray("bad\xFF\xFE.rom")
                                                   << QString::fromUtf16(u"bad\xDCFF\xDCFE.rom");
    QTest::newRow("Latin-1") << QByteArray("caf\xE9.rom") << QString::fromUtf16(u"caf\xDCE9.rom");
    QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << QString::fromUtf16(u"\xDCC0\xDCAF");
    QTest::newRow("encoded surrogate") << QByteArray("\xED\xA0\x80") << QString::fromUtf16(u"\xDCED\xDCA0\xDC80");
    QTest::newRow("cut short") << QByteArray("\xE2\x82") << QString::fromUtf16(u"\xDCE2\xDC82");
    QTest::newRow("cut short, then ASCII") << QByteArray("\xE2\x82x") << QString::fromUtf16(u"\xDCE2\xDC82x");
    QTest::newRow("past U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << QString::fromUtf16(u"\xDCF4\xDC90\xDC80\xDC80");
    QTest::newRow("lead byte F5") << QByteArray("\xF5") << QString::fromUtf16(u"\xDCF5");
    QTest::newRow("a lone continuation byte") << QByteArray("a\x80z") << QString::fromUtf16(u"a\xDC80z");
}
// clang-format on

// Each byte that is not part of well-formed UTF-8 stands as U+DC80 + (byte - 0x80), and the text
// gives the same bytes back.
void TestNames::fromNative()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(FileName::FromNative(bytes), text);
    QByteArray back;
    QVERIFY(FileName::ToNative(text, back));
    QCOMPARE(back, bytes);
#ifndef Q_OS_WIN
    QVERIFY(FileName::ReachesFileSystem(text));
#endif
}

// clang-format off
void TestNames::notNative_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("NUL") << QString::fromUtf16(u"a\0b", 3);
    QTest::newRow("a lone high surrogate") << QString::fromUtf16(u"a\xD800z");
    QTest::newRow("a lone low surrogate below U+DC80") << QString::fromUtf16(u"a\xDC41z");
}
// clang-format on

// Text that no bytes give names no file.
void TestNames::notNative()
{
    QFETCH(QString, text);
    QByteArray bytes;
    QVERIFY(!FileName::ToNative(text, bytes));
    QVERIFY(!FileName::ReachesFileSystem(text));
}

// clang-format off
void TestNames::visible_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << QStringLiteral("out.rom") << QStringLiteral("out.rom");
    QTest::newRow("letters of other scripts") << QStringLiteral("caf\u00E9 \u05E9\u05DC\u05D5\u05DD \u65E5\u672C")
                                               << QStringLiteral("caf\u00E9 \u05E9\u05DC\u05D5\u05DD \u65E5\u672C");
    QTest::newRow("a backslash stays") << QStringLiteral("a\\b") << QStringLiteral("a\\b");
    QTest::newRow("ESC and C1 controls") << QStringLiteral("C\u009B31mD\u0085E\u001B") << QStringLiteral("C\\x9B31mD\\x85E\\x1B");
    QTest::newRow("DEL") << QStringLiteral("a\u007F") << QStringLiteral("a\\x7F");
    QTest::newRow("line break") << QStringLiteral("a\nb") << QStringLiteral("a\\x0Ab");
    QTest::newRow("soft hyphen") << QStringLiteral("a\u00ADb") << QStringLiteral("a\\xADb");
    QTest::newRow("no-break space") << QStringLiteral("a\u00A0b") << QStringLiteral("a\\xA0b");
    QTest::newRow("right-to-left override") << QStringLiteral("firmware\u202Emor.exe")
                                             << QStringLiteral("firmware\\u202Emor.exe");
    QTest::newRow("isolates and marks") << QStringLiteral("\u2066\u2067\u2068\u2069\u200E\u200F\u061C")
                                         << QStringLiteral("\\u2066\\u2067\\u2068\\u2069\\u200E\\u200F\\u061C");
    QTest::newRow("line and paragraph separators") << QStringLiteral("\u2028\u2029") << QStringLiteral("\\u2028\\u2029");
    QTest::newRow("zero-width characters") << QStringLiteral("a\u200Bb\u200Cc\u200Dd")
                                            << QStringLiteral("a\\u200Bb\\u200Cc\\u200Dd");
    QTest::newRow("byte-order mark") << QStringLiteral("\uFEFFx") << QStringLiteral("\\uFEFFx");
    QTest::newRow("Mongolian vowel separator") << QStringLiteral("a\u180Eb") << QStringLiteral("a\\u180Eb");
    QTest::newRow("Hangul fillers") << QStringLiteral("\u115F\u3164") << QStringLiteral("\\u115F\\u3164");
    QTest::newRow("word joiner") << QStringLiteral("a\u2060b") << QStringLiteral("a\\u2060b");
    QTest::newRow("tag characters") << QString::fromUtf16(u"a\U000E0041\U000E007F")
                                     << QStringLiteral("a\\U000E0041\\U000E007F");
    QTest::newRow("bytes of a name that are not UTF-8") << QString::fromUtf16(u"bad\xDCFF\xDCFE.rom")
                                                         << QStringLiteral("bad\\xFF\\xFE.rom");
    QTest::newRow("a lone high surrogate") << QString::fromUtf16(u"a\xD800") << QStringLiteral("a\\uD800");
    QTest::newRow("a character beyond the basic plane") << QString::fromUtf16(u"\U0001F600")
                                                         << QString::fromUtf16(u"\U0001F600");
}
// clang-format on

// What is hidden is escaped, everything else stays; two texts that differ look different.
void TestNames::visible()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(ScreenText::Visible(text), shown);
    // Line feeds may stay line breaks; nothing else changes.
    if (!text.contains(QLatin1Char('\n')))
        QCOMPARE(ScreenText::Visible(text + QStringLiteral("\n") + text, true), shown + QStringLiteral("\n") + shown);
}

// A window isolates a text with right-to-left characters from the sentence around it; one
// without needs nothing but its escapes.
void TestNames::isolated()
{
    QCOMPARE(ScreenText::Isolated(QStringLiteral("out.rom")), QStringLiteral("out.rom"));
    QCOMPARE(ScreenText::Isolated(QStringLiteral("photos\u202Egpj.exe")), QStringLiteral("photos\\u202Egpj.exe"));
    QCOMPARE(ScreenText::Isolated(QString()), QString());
    QCOMPARE(ScreenText::Isolated(QStringLiteral("\u05E7\u05D5\u05E9\u05D7.rom")),
             QStringLiteral("\u2068\u05E7\u05D5\u05E9\u05D7.rom\u2069"));
    QCOMPARE(ScreenText::Isolated(QStringLiteral("\u0641\u0627\u064A\u0644\u200B.rom")),
             QStringLiteral("\u2068\u0641\u0627\u064A\u0644\\u200B.rom\u2069"));
    QCOMPARE(ScreenText::Isolated(QStringLiteral("fw\u0661\u0662.rom")),
             QStringLiteral("\u2068fw\u0661\u0662.rom\u2069"));
}

QTEST_GUILESS_MAIN(TestNames)
#include "tst_names.moc"
