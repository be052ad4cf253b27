// "File Summary" and "Confirm Summary": the settings in words in the seven statics, the file
// kind and the "(Modified)" marker in the file summary only, and the text that "Copy" puts on
// the clipboard.

// Std
#include <tuple>

// Qt
#include <QClipboard>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

#include "controls/editalnum.h"
#include "fakeframe.h"
#include "firmware/firmwareformat.h"
#include "pages/tabcode.h"
#include "pages/tabsummary.h"
#include "resources/resourceids.h"
#include "wizarddriver.h"

namespace {

// What a summary page describes, starting from the page's worked example: a QHAR ROM image
// with the default settings, ASCII input and the default USB IDs.
struct Values : Firmware::Settings {
    Values()
    {
        m_nFirmwareType = Firmware::TypeQHAR;
        m_nProductId = 0x5C10;
        m_nVendorId = 0x2B3F;
        m_bAsciiInput = true;
        m_strVersion = QStringLiteral("03.64QHARF");
    }
};

// The seven display texts, as the members hold them.
struct Texts {
    QString fwVersion = QStringLiteral("03.64");
    QString fwType = QStringLiteral("QHAR ROM File");
    QString monitor = QStringLiteral("9600 baud, 8 bits, 1 stop bit, no parity, no flow control");
    QString usbIds;  // shown for QSOL firmware only: "0x2b3f/0x5c10"
    QString initMode = QStringLiteral("ECS, IPA, LED Flash at Power-on");
    QString options =
        QStringLiteral("Allow Firmware Upgrades, Allow Data Mode, Allow Sonette Status Information,\r\nShow Prompt, "
                       "Show Device Connects/Removals, Show Version Report at Startup.");
};

}  // namespace

Q_DECLARE_METATYPE(Values)
Q_DECLARE_METATYPE(Texts)

class TestTabSummary : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstShow_data();
    void firstShow();
    void describes_data();
    void describes();
    void showingTwiceGivesTheSameTexts();
    void showsChangedMembers();
    void copy_data();
    void copy();
    void rowsByType_data();
    void rowsByType();
    void longStringsScroll();
    void loadedExample();

private:
    CTabSummary *page(bool confirm) const
    {
        if (m_wizard.dlg)
            return m_wizard.PageAt<CTabSummary>(confirm ? CBrindleDlg::StepConfirm : CBrindleDlg::StepSummary);
        return confirm ? m_pConfirm : m_pSummary;
    }
    // The statics' texts, as the user sees them.
    static Texts Shown(const CTabSummary *page);
    static void CompareTexts(const Texts &actual, const Texts &expected);

    FrameFixture m_frame;
    WizardDriver m_wizard;
    CTabSummary *m_pSummary = nullptr;
    CTabSummary *m_pConfirm = nullptr;
};

void TestTabSummary::init()
{
    QVERIFY(m_wizard.dir.isValid());
    QVERIFY(m_frame.Start());
    m_pSummary = m_frame.Add(new CTabSummary(0, m_frame.frame.get()), IDD_TAB_SUMMARY);
    m_pConfirm = m_frame.Add(new CTabSummary(1, m_frame.frame.get()), IDD_TAB_SUMMARY);
    QGuiApplication::clipboard()->clear();
}

void TestTabSummary::cleanup()
{
    m_wizard.Stop();
    QCOMPARE(m_frame.Stop(), QStringList());  // no window at all, of the wizard or the frame
}

Texts TestTabSummary::Shown(const CTabSummary *page)
{
    const auto text = [page](int id) {
        QLabel *label = page->GetDlgItem<QLabel>(id);
        return label ? label->text() : QStringLiteral("<no static %1>").arg(id);
    };
    return {text(SummaryIds::FwVersion), text(SummaryIds::FwType),   text(SummaryIds::Monitor),
            text(SummaryIds::Vid),       text(SummaryIds::InitMode), text(SummaryIds::Options)};
}

void TestTabSummary::CompareTexts(const Texts &actual, const Texts &expected)
{
    QCOMPARE(actual.fwVersion, expected.fwVersion);
    QCOMPARE(actual.fwType, expected.fwType);
    QCOMPARE(actual.monitor, expected.monitor);
    QCOMPARE(actual.usbIds, expected.usbIds);
    QCOMPARE(actual.initMode, expected.initMode);
    QCOMPARE(actual.options, expected.options);
}

void TestTabSummary::firstShow_data()
{
    QTest::addColumn<bool>("confirm");

    QTest::newRow("file summary") << false;
    QTest::newRow("confirm summary") << true;
}

void TestTabSummary::firstShow()
{
    QFETCH(bool, confirm);

    CTabSummary *p = page(confirm);
    // Created with empty texts, before any show.
    CompareTexts(Shown(p), Texts{{}, {}, {}, {}, {}, {}});

    m_frame.Arrive(p);
    QVERIFY(m_frame.NextEnabled());
    QVERIFY(!p->GetDlgItem(SummaryIds::Vid)->isVisible());
    QVERIFY(p->GetDlgItem(SummaryIds::Options)->isVisible());
}

void TestTabSummary::describes_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<Values>("values");
    QTest::addColumn<Texts>("texts");

    const Values example;
    const Texts described;
    Texts confirmed = described;
    confirmed.fwType = QStringLiteral("QHAR");

    QTest::newRow("example") << false << example << described;
    QTest::newRow("example, confirm") << true << example << confirmed;

    {
        Values v = example;
        v.m_strVersion = QStringLiteral("03.64-ABCQHARF");
        Texts t = described;
        t.fwVersion = QStringLiteral("03.64-ABC (Modified) ");
        QTest::newRow("modified") << false << v << t;
        t = confirmed;
        t.fwVersion = QStringLiteral("03.64-ABC");
        QTest::newRow("modified, confirm") << true << v << t;
    }
    {
        Values v = example;
        v.m_nParity = 3;
        v.m_nFlowControl = 4;
        v.m_nStopBits = 2;
        v.m_nDataBits = 7;
        v.m_nBaudRate = 14400;
        Texts t = described;
        t.monitor = QStringLiteral("14400 baud, 7 bits, 2 stop bit, unknown parity, unknown flow control");
        QTest::newRow("unknown parity and flow") << false << v << t;
    }
    for (const auto &[parity, flow, words] :
         {std::tuple{1, 1, "odd parity, CTS/RTS"}, std::tuple{2, 2, "even parity, DTR/DSR"},
          std::tuple{0, 3, "no parity, XON/XOFF"}, std::tuple{-1, -1, "unknown parity, unknown flow control"}}) {
        Values v = example;
        v.m_nParity = parity;
        v.m_nFlowControl = flow;
        v.m_nBaudRate = 115200;
        Texts t = described;
        t.monitor = QStringLiteral("115200 baud, 8 bits, 1 stop bit, ") + QLatin1String(words);
        QTest::newRow(words) << false << v << t;
    }
    {
        Values v = example;
        v.m_nProductId = 5;
        v.m_nVendorId = 0xABCD;
        v.m_nFirmwareType = Firmware::TypeQSOL;
        v.m_strVersion = QStringLiteral("03.64QSOLF");
        v.m_bHasUsbIds = true;
        Texts t = described;
        t.fwType = QStringLiteral("QSOL ROM File");
        t.usbIds = QStringLiteral("0xabcd/0x0005");
        QTest::newRow("IDs") << false << v << t;
    }
    {
        Values v = example;
        v.m_nFileKind = Firmware::KindUpgrade;
        v.m_nCodeType = Firmware::CodeMain;
        v.m_nFirmwareType = Firmware::TypeQSOL;
        v.m_strVersion = QStringLiteral("03.64QSOLF");
        Texts t = described;
        t.fwType = QStringLiteral("QSOL QUF Upgrader File for Main Code");
        QTest::newRow("upgrade file, main code") << false << v << t;
        v.m_nCodeType = Firmware::CodeReflash;
        t.fwType = QStringLiteral("QSOL QUF Upgrader File");
        QTest::newRow("upgrade file, other code") << false << v << t;
        t = confirmed;
        t.fwType = QStringLiteral("QSOL");
        QTest::newRow("upgrade file, confirm") << true << v << t;
    }
    {
        Values v = example;
        v.m_nFileKind = Firmware::KindBld;
        v.m_nCodeType = Firmware::CodeMain;
        Texts t = described;
        t.fwType = QStringLiteral("QHAR BLD File");
        QTest::newRow("BLD image") << false << v << t;
    }
    {
        Values v = example;
        v.m_nFirmwareType = Firmware::TypeNone;
        Texts t = described;
        t.fwType = QStringLiteral("QHARF ROM File");
        QTest::newRow("type not recognised") << false << v << t;
        t = confirmed;
        t.fwType = QStringLiteral("QHARF");
        QTest::newRow("type not recognised, confirm") << true << v << t;
    }
    {
        Values v = example;
        v.m_nFirmwareType = Firmware::TypeNone;
        v.m_strVersion = QStringLiteral("03.64-ABC");
        Texts t = described;
        t.fwVersion = QString();
        t.fwType = QStringLiteral("03.64-ABC ROM File");
        QTest::newRow("no Q in the version") << false << v << t;
        v.m_strVersion = QStringLiteral("QHARF");
        t.fwType = QStringLiteral("QHARF ROM File");
        QTest::newRow("Q first") << false << v << t;
    }
    {
        Values v = example;
        v.m_nFirmwareType = Firmware::TypeQWEX | Firmware::TypeQJ4J;
        Texts t = described;
        t.fwType = QStringLiteral("QWEX ROM File");
        QTest::newRow("first type bit wins") << false << v << t;
    }
    {
        Values v = example;
        v.m_bDisableUpgrades = v.m_bHideConnects = v.m_bDisableDataMode = v.m_bHideVersionReport = v.m_bHidePrompt =
            true;
        v.m_bDisableStatusInfo = true;
        v.m_bDisableLedFlash = v.m_bShortCommandSet = true;
        v.m_bAsciiInput = false;
        Texts t = described;
        t.initMode = QStringLiteral("SCS, IPH, Disable LED Flash at Power-on");
        t.options = QStringLiteral(
            "Disable Firmware Upgrades, Disable Data Mode, Disable Sonette Status Information,\r\nNo Prompt, "
            "No Device Connects/Removals, No Version Report at Startup.");
        QTest::newRow("everything off") << false << v << t;
    }
    struct OneOption {
        const char *name;
        bool Firmware::Settings::*flag;
        const char *options;
    };
    const OneOption oneOption[] = {
        {"upgrades disabled", &Values::m_bDisableUpgrades,
         "Disable Firmware Upgrades, Allow Data Mode, Allow Sonette Status Information,\r\nShow Prompt, Show Device "
         "Connects/Removals, "
         "Show Version Report at Startup."},
        {"data mode disabled", &Values::m_bDisableDataMode,
         "Allow Firmware Upgrades, Disable Data Mode, Allow Sonette Status Information,\r\nShow Prompt, Show Device "
         "Connects/Removals, "
         "Show Version Report at Startup."},
        {"prompt hidden", &Values::m_bHidePrompt,
         "Allow Firmware Upgrades, Allow Data Mode, Allow Sonette Status Information,\r\nNo Prompt, Show Device "
         "Connects/Removals, "
         "Show Version Report at Startup."},
        {"connects hidden", &Values::m_bHideConnects,
         "Allow Firmware Upgrades, Allow Data Mode, Allow Sonette Status Information,\r\nShow Prompt, No Device "
         "Connects/Removals, "
         "Show Version Report at Startup."},
        {"version report hidden", &Values::m_bHideVersionReport,
         "Allow Firmware Upgrades, Allow Data Mode, Allow Sonette Status Information,\r\nShow Prompt, Show Device "
         "Connects/Removals, "
         "No Version Report at Startup."},
        {"status information disabled", &Values::m_bDisableStatusInfo,
         "Allow Firmware Upgrades, Allow Data Mode, Disable Sonette Status Information,\r\nShow Prompt, Show Device "
         "Connects/Removals, "
         "Show Version Report at Startup."},
    };
    for (const OneOption &o : oneOption) {
        Values v = example;
        v.*(o.flag) = true;
        Texts t = described;
        t.options = QLatin1String(o.options);
        QTest::newRow(o.name) << false << v << t;
    }
    {
        Values v = example;
        v.m_bDisableLedFlash = true;
        Texts t = described;
        t.initMode = QStringLiteral("ECS, IPA, Disable LED Flash at Power-on");
        QTest::newRow("LED flash disabled") << false << v << t;
        v = example;
        v.m_bShortCommandSet = true;
        v.m_bAsciiInput = false;
        t.initMode = QStringLiteral("SCS, IPH, LED Flash at Power-on");
        QTest::newRow("short commands, binary input") << false << v << t;
    }
}

void TestTabSummary::describes()
{
    QFETCH(bool, confirm);
    QFETCH(Values, values);
    QFETCH(Texts, texts);

    CTabSummary *p = page(confirm);
    p->SetValues(values);
    m_frame.Arrive(p);

    // The statics break the options' line with a plain line feed.
    Texts shown = texts;
    shown.options.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    CompareTexts(Shown(p), shown);
}

void TestTabSummary::showingTwiceGivesTheSameTexts()
{
    Values v;
    v.m_strVersion = QStringLiteral("03.64-ABCQHARF");
    v.m_nFileKind = Firmware::KindUpgrade;
    v.m_nCodeType = Firmware::CodeMain;
    CTabSummary *p = page(false);
    p->SetValues(v);
    m_frame.Arrive(p);
    const Texts first = Shown(p);
    QCOMPARE(first.fwVersion, QStringLiteral("03.64-ABC (Modified) "));
    QCOMPARE(first.fwType, QStringLiteral("QHAR QUF Upgrader File for Main Code"));

    m_frame.Next();
    m_frame.Back();
    QVERIFY(p->IsShown());
    CompareTexts(Shown(p), first);
}

void TestTabSummary::showsChangedMembers()
{
    CTabSummary *p = page(true);
    p->SetValues(Values());
    m_frame.Arrive(p);
    QCOMPARE(Shown(p).monitor, QStringLiteral("9600 baud, 8 bits, 1 stop bit, no parity, no flow control"));

    // Written while the page is hidden, shown at the next show; nothing changes before that.
    m_frame.Back();
    Values changed;
    changed.m_nBaudRate = 57600;
    changed.m_bHidePrompt = true;
    changed.m_strVersion = QStringLiteral("03.70-XYZQSOLF");
    changed.m_nFirmwareType = Firmware::TypeQSOL;
    p->SetValues(changed);
    QCOMPARE(Shown(p).monitor, QStringLiteral("9600 baud, 8 bits, 1 stop bit, no parity, no flow control"));
    m_frame.Arrive(p);
    QCOMPARE(Shown(p).monitor, QStringLiteral("57600 baud, 8 bits, 1 stop bit, no parity, no flow control"));
    QVERIFY(Shown(p).options.contains(QStringLiteral("No Prompt")));
    QCOMPARE(Shown(p).fwVersion, QStringLiteral("03.70-XYZ"));
    QCOMPARE(Shown(p).fwType, QStringLiteral("QSOL"));
}

void TestTabSummary::copy_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("copied");

    QTest::newRow("file summary")
        << false << "03.64QHARF"
        << "Firmware Settings\r\n\r\n"
           "Firmware Version: 03.64\r\n\r\n"
           "Firmware Type: QHAR ROM File\r\n\r\n"
           "Default Monitor Settings: 9600 baud, 8 bits, 1 stop bit, no parity, no flow control\r\n\r\n"
           "Initial Mode: ECS, IPA, LED Flash at Power-on\r\n\r\n"
           "Options: Allow Firmware Upgrades, Allow Data Mode, Allow Sonette Status Information,\r\nShow Prompt, Show "
           "Device Connects/Removals, "
           "Show Version Report at Startup.\r\n\r\n";
    QTest::newRow("file summary, modified")
        << false << "03.64-ABCQHARF"
        << "Firmware Settings\r\n\r\n"
           "Firmware Version: 03.64-ABC (Modified) \r\n\r\n"
           "Firmware Type: QHAR ROM File\r\n\r\n"
           "Default Monitor Settings: 9600 baud, 8 bits, 1 stop bit, no parity, no flow control\r\n\r\n"
           "Initial Mode: ECS, IPA, LED Flash at Power-on\r\n\r\n"
           "Options: Allow Firmware Upgrades, Allow Data Mode, Allow Sonette Status Information,\r\nShow Prompt, Show "
           "Device Connects/Removals, "
           "Show Version Report at Startup.\r\n\r\n";
    QTest::newRow("confirm summary")
        << true << "03.64-ABCQHARF"
        << "Summary of Firmware Customisations\r\n\r\n"
           "Firmware Version: 03.64-ABC\r\n\r\n"
           "Firmware Type: QHAR\r\n\r\n"
           "Default Monitor Settings: 9600 baud, 8 bits, 1 stop bit, no parity, no flow control\r\n\r\n"
           "Initial Mode: ECS, IPA, LED Flash at Power-on\r\n\r\n"
           "Options: Allow Firmware Upgrades, Allow Data Mode, Allow Sonette Status Information,\r\nShow Prompt, Show "
           "Device Connects/Removals, "
           "Show Version Report at Startup.\r\n\r\n";
}

void TestTabSummary::copy()
{
    QFETCH(bool, confirm);
    QFETCH(QString, version);
    QFETCH(QString, copied);

    CTabSummary *p = page(confirm);
    Values v;
    v.m_strVersion = version;
    v.m_nProductId = 0x1234;
    v.m_nVendorId = 0xABCD;
    p->SetValues(v);
    m_frame.Arrive(p);

    // The clipboard gets the platform's line ends: LF, and CR LF on Windows.
#ifndef Q_OS_WIN
    copied.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QVERIFY(!copied.contains(QLatin1Char('\r')));
#endif
    auto *button = p->GetDlgItem<QPushButton>(SummaryIds::Copy);
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("Copy"));
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), copied);
    QCOMPARE(p->CopyText(), copied);
    // A QHAR file carries no USB identity: the IDs are neither shown nor copied.
    QVERIFY(!p->GetDlgItem(SummaryIds::Vid)->isVisible());
    QVERIFY(!copied.contains(QStringLiteral("1234")) && !copied.contains(QStringLiteral("abcd")));
    // Copying leaves the wizard where it was.
    QVERIFY(p->IsShown());
}

// clang-format off
void TestTabSummary::rowsByType_data()
{
    // The rows beyond the settings: the USB identity of QSOL firmware, the target directory
    // prefix of QWEX and QJ4J firmware, in the page and in its copied text.
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<int>("type");
    QTest::addColumn<QStringList>("shown");  // the value statics shown beyond the five rows
    QTest::addColumn<QString>("copiedTail");
    for (bool confirm : {false, true}) {
        const char *which = confirm ? "confirm" : "file";
        QTest::addRow("QHAR, %s", which) << confirm << int(Firmware::TypeQHAR) << QStringList{} << "";
        QTest::addRow("QSOL, %s", which)
            << confirm << int(Firmware::TypeQSOL) << QStringList{"0x2b3f/0x5c10", "\"Acme\", \"Gizmo\", \"0001\""}
            << "USB VID/PID: 0x2b3f/0x5c10\r\n\r\nUSB Strings: \"Acme\", \"Gizmo\", \"0001\"\r\n\r\n";
        QTest::addRow("QJ4J, %s", which) << confirm << int(Firmware::TypeQJ4J) << QStringList{"SNAP"}
                                         << "Target Directory Prefix: SNAP\r\n\r\n";
    }
}
// clang-format on

void TestTabSummary::rowsByType()
{
    QFETCH(bool, confirm);
    QFETCH(int, type);
    QFETCH(QStringList, shown);
    QFETCH(QString, copiedTail);

    CTabSummary *p = page(confirm);
    Values v;
    v.m_nFirmwareType = type;
    v.m_bHasUsbIds = v.m_bHasUsbStrings = (type & Firmware::kUsbSlaveTypes) != 0;
    v.m_strManufacturer = QStringLiteral("Acme");
    v.m_strProduct = QStringLiteral("Gizmo");
    v.m_strString3 = QStringLiteral("0001");
    v.m_strDirPrefix = QStringLiteral("SNAP");
    p->SetValues(v);
    m_frame.Arrive(p);

    QStringList visible;
    for (int id : {int(SummaryIds::Vid), int(SummaryIds::UsbStrings), int(SummaryIds::DirPrefix)}) {
        auto *value = p->GetDlgItem<QLabel>(id);
        if (value->isVisible())
            visible << value->text();
    }
    QCOMPARE(visible, shown);
    QString tail = QStringLiteral("Startup.\r\n\r\n") + copiedTail;
#ifndef Q_OS_WIN
    tail.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
#endif
    QVERIFY2(p->CopyText().endsWith(tail), qPrintable(p->CopyText()));

    // Every shown value has its label beside it, on its own line below the options.
    const QRect options = p->GetDlgItem(SummaryIds::Options)->geometry();
    for (int id : {int(SummaryIds::Vid), int(SummaryIds::UsbStrings), int(SummaryIds::DirPrefix)}) {
        QWidget *value = p->GetDlgItem(id);
        if (!value->isVisible())
            continue;
        QVERIFY(value->geometry().top() > options.bottom());
    }
    // Nothing scrolls for values of ordinary length, in the font the suites are laid out in (on
    // Windows the system's dialog font decides, and a taller one scrolls, cutting nothing).
#ifndef Q_OS_WIN
    QVERIFY(!p->RowsArea()->verticalScrollBar()->isVisible());
#endif
}

// USB strings as long as the image holds, without a blank: they wrap inside the word and the
// rows scroll, so nothing is cut and everything can be reached.
void TestTabSummary::longStringsScroll()
{
    CTabSummary *p = page(true);
    Values v;
    v.m_nFirmwareType = Firmware::TypeQSOL;
    v.m_bHasUsbIds = v.m_bHasUsbStrings = true;
    v.m_strManufacturer = QString(61, QLatin1Char('W'));
    v.m_strProduct = QString(62, QLatin1Char('M'));
    p->SetValues(v);
    m_frame.Arrive(p);
    QApplication::processEvents();

    auto *strings = p->GetDlgItem<QLabel>(SummaryIds::UsbStrings);
    QVERIFY(strings->isVisible());
    QCOMPARE(strings->text(), QStringLiteral("\"%1\", \"%2\", \"\"").arg(v.m_strManufacturer, v.m_strProduct));
    // Wide enough for every line, tall enough for all of them.
    QVERIFY(strings->height() >= strings->heightForWidth(strings->width()));
    QVERIFY(strings->geometry().right() < p->RowsArea()->viewport()->width());
    // The rows are taller than the frame: it scrolls to the last of them.
    QScrollBar *bar = p->RowsArea()->verticalScrollBar();
    QVERIFY(bar->isVisible());
    QVERIFY(bar->maximum() > 0);
    bar->setValue(bar->maximum());
    const QPoint bottom = strings->mapTo(p->RowsArea()->viewport(), QPoint(0, strings->height()));
    QVERIFY(bottom.y() <= p->RowsArea()->viewport()->height());

    // Short strings again: no scroll bar.
    m_frame.Back();
    v.m_strManufacturer = QStringLiteral("Acme");
    v.m_strProduct = QStringLiteral("Gizmo");
    p->SetValues(v);
    m_frame.Arrive(p);
    QApplication::processEvents();
#ifndef Q_OS_WIN
    QVERIFY(!bar->isVisible());
#endif
    QVERIFY(strings->height() >= strings->heightForWidth(strings->width()));
}

void TestTabSummary::loadedExample()
{
    // A ROM image whose settings are those of the page's worked example.
    ImageBuilder builder(ImageBuilder::Rom, "03.64QHARF");
    builder.setInit(Firmware::kInitAsciiInput).setOption(0).setLine(0).setFlow(0).setDivisor(0x4138);
    QVERIFY(m_wizard.Start());
    QVERIFY(m_wizard.Load(builder));
    CTabSummary *p = page(false);
    QVERIFY(p->isVisible());
    Texts expected;
    expected.options.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    CompareTexts(Shown(p), expected);
    if (QTest::currentTestFailed())
        return;

    // The confirmation shows the same settings with the version code merged in.
    QVERIFY(m_wizard.NextUntil(CBrindleDlg::StepCode));
    WizardDriver::Type(m_wizard.dlg->StepPage<CTabCode>(CBrindleDlg::StepCode)->GetDlgItem<CEditAlnum>(CodeIds::Code),
                       QStringLiteral("abc"));
    m_wizard.Next();
    QCOMPARE(m_wizard.Step(), CBrindleDlg::StepConfirm);
    expected.fwVersion = QStringLiteral("03.64-ABC");
    expected.fwType = QStringLiteral("QHAR");
    CompareTexts(Shown(page(true)), expected);
}

QTEST_MAIN(TestTabSummary)
#include "tst_tabsummary.moc"
