// "Set Init", alone in a stand-in frame: the controls, the three flags into them on show (the LED
// box inverted) and back on leaving, and the user's choices; in the wizard, revisiting.

// Qt
#include <QButtonGroup>
#include <QCheckBox>
#include <QRadioButton>
#include <QtTest>

#include "firmware/firmwareformat.h"
#include "firmware/settings.h"
#include "pages/tabinit.h"
#include "pagesuite.h"

namespace {

constexpr int kLedFlash = InitIds::LedFlash;
constexpr int kAsciiInput = InitIds::AsciiInput;
constexpr int kBinaryInput = InitIds::BinaryInput;
constexpr int kShortCommands = InitIds::ShortCommands;
constexpr int kExtendedCommands = InitIds::ExtendedCommands;

struct Flags {
    bool disableLedFlash, shortCommandSet, asciiInput;
};

}  // namespace

class TestTabInit : public QObject, public PageSuite<CTabInit>
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void texts();
    void showAndLeave_data();
    void showAndLeave();
    void choices_data();
    void choices();
    void revisitShowsLastChoices();
    void pairWithNothingChecked();

private:
    QAbstractButton *button(int id) const { return page()->GetDlgItem<QAbstractButton>(id); }
    CTabInit *showPage(const Flags &flags);
    void compareFlags(const Flags &expected) const;
};

void TestTabInit::init()
{
    QVERIFY(StartPage(IDD_TAB_INIT));
}

void TestTabInit::cleanup()
{
    QCOMPARE(StopAll(), QStringList());  // no window at all, of the wizard or the frame
}

CTabInit *TestTabInit::showPage(const Flags &flags)
{
    Firmware::Settings s;
    s.m_bDisableLedFlash = flags.disableLedFlash;
    s.m_bShortCommandSet = flags.shortCommandSet;
    s.m_bAsciiInput = flags.asciiInput;
    page()->SetSettings(s);
    m_frame.Arrive(page());
    return page();
}

void TestTabInit::compareFlags(const Flags &expected) const
{
    // Only the page's own three flags come back; the option byte's stay as they were.
    Firmware::Settings s;
    s.m_bHidePrompt = s.m_bDisableUpgrades = true;
    page()->GetSettings(s);
    QCOMPARE(s.m_bDisableLedFlash, expected.disableLedFlash);
    QCOMPARE(s.m_bShortCommandSet, expected.shortCommandSet);
    QCOMPARE(s.m_bAsciiInput, expected.asciiInput);
    QVERIFY(s.m_bHidePrompt && s.m_bDisableUpgrades);
}

void TestTabInit::texts()
{
    showPage({false, false, false});
    QCOMPARE(button(kLedFlash)->text(), QStringLiteral("LEDs Flash at Power-on"));
    QCOMPARE(button(kAsciiInput)->text(), QStringLiteral("IPA Mode (ASCII)"));
    QCOMPARE(button(kBinaryInput)->text(), QStringLiteral("IPH Mode (binary)"));
    QCOMPARE(button(kShortCommands)->text(), QStringLiteral("Short Command Set Mode"));
    QCOMPARE(button(kExtendedCommands)->text(), QStringLiteral("Extended Command Set Mode"));
    QVERIFY(m_frame.NextEnabled());
}

void TestTabInit::showAndLeave_data()
{
    QTest::addColumn<bool>("disableLedFlash");
    QTest::addColumn<bool>("shortCommandSet");
    QTest::addColumn<bool>("asciiInput");

    for (int bits = 0; bits < 8; ++bits) {
        const bool led = bits & 1, shortSet = bits & 2, ascii = bits & 4;
        const QString name = QStringLiteral("%1, %2, %3")
                                 .arg(led ? QStringLiteral("LEDs dark") : QStringLiteral("LEDs flash"),
                                      shortSet ? QStringLiteral("short") : QStringLiteral("extended"),
                                      ascii ? QStringLiteral("IPA") : QStringLiteral("IPH"));
        QTest::newRow(qPrintable(name)) << led << shortSet << ascii;
    }
}

void TestTabInit::showAndLeave()
{
    QFETCH(bool, disableLedFlash);
    QFETCH(bool, shortCommandSet);
    QFETCH(bool, asciiInput);

    // The opposite values first, so that a control left as it was would show.
    showPage({!disableLedFlash, !shortCommandSet, !asciiInput});
    m_frame.Next();

    showPage({disableLedFlash, shortCommandSet, asciiInput});
    QCOMPARE(button(kLedFlash)->isChecked(), !disableLedFlash);
    QCOMPARE(button(kAsciiInput)->isChecked(), asciiInput);
    QCOMPARE(button(kBinaryInput)->isChecked(), !asciiInput);
    QCOMPARE(button(kShortCommands)->isChecked(), shortCommandSet);
    QCOMPARE(button(kExtendedCommands)->isChecked(), !shortCommandSet);

    m_frame.Next();
    QVERIFY(!page()->isVisible());
    compareFlags({disableLedFlash, shortCommandSet, asciiInput});
}

void TestTabInit::choices_data()
{
    QTest::addColumn<int>("start");  // bits: 1 LEDs dark, 2 short command set, 4 IPA input
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<int>("result");

    QTest::newRow("LED flash checked") << 1 << QList<int>{kLedFlash} << 0;
    QTest::newRow("LED flash unchecked") << 6 << QList<int>{kLedFlash} << 7;
    QTest::newRow("IPH and extended") << 6 << QList<int>{kBinaryInput, kExtendedCommands} << 0;
    QTest::newRow("IPA and short") << 1 << QList<int>{kAsciiInput, kShortCommands} << 7;
    QTest::newRow("checked button again") << 4 << QList<int>{kAsciiInput, kExtendedCommands} << 4;
    QTest::newRow("there and back") << 2 << QList<int>{kExtendedCommands, kShortCommands, kLedFlash} << 3;
}

void TestTabInit::choices()
{
    QFETCH(int, start);
    QFETCH(QList<int>, clicks);
    QFETCH(int, result);

    showPage({bool(start & 1), bool(start & 2), bool(start & 4)});
    for (int id : clicks)
        WizardDriver::Click(button(id));
    // Exactly one button of each pair stays checked.
    QVERIFY(button(kAsciiInput)->isChecked() != button(kBinaryInput)->isChecked());
    QVERIFY(button(kShortCommands)->isChecked() != button(kExtendedCommands)->isChecked());

    m_frame.Next();
    compareFlags({bool(result & 1), bool(result & 2), bool(result & 4)});
}

void TestTabInit::revisitShowsLastChoices()
{
    QVERIFY(StartWizard(CBrindleDlg::StepInit));
    using namespace Firmware;
    QVERIFY(m_wizard.Load(ImageBuilder().setInit(kInitAsciiInput | kInitShortCommandSet | kInitDisableLedFlash)));
    QVERIFY(m_wizard.NextUntil(CBrindleDlg::StepInit));
    QVERIFY(!button(kLedFlash)->isChecked());
    QVERIFY(button(kAsciiInput)->isChecked());
    QVERIFY(button(kShortCommands)->isChecked());

    WizardDriver::Click(button(kBinaryInput));
    WizardDriver::Click(button(kLedFlash));
    m_wizard.Next();
    m_wizard.Back();
    QCOMPARE(m_wizard.Step(), CBrindleDlg::StepInit);
    QVERIFY(button(kLedFlash)->isChecked());
    QVERIFY(button(kBinaryInput)->isChecked());
    QVERIFY(button(kShortCommands)->isChecked());
    m_wizard.Back();
    compareFlags({false, true, false});
}

void TestTabInit::pairWithNothingChecked()
{
    // Reads as IPA input and the short command set; only the program can clear a pair.
    showPage({false, false, false});
    for (int id : {kBinaryInput, kExtendedCommands}) {
        QButtonGroup *group = button(id)->group();
        QVERIFY(group);
        group->setExclusive(false);
        button(id)->setChecked(false);
        QCOMPARE(group->checkedId(), -1);
    }
    m_frame.Next();
    compareFlags({false, true, true});
}

QTEST_MAIN(TestTabInit)
#include "tst_tabinit.moc"
