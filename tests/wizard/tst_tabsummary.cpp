// "File Summary" and "Confirm Summary": the settings in words in the seven statics, the file
// kind and the "(Modified)" marker in the file summary only, and the text that "Copy" puts on
// the clipboard.

// Std
#include <tuple>

// Qt
#include <QClipboard>
#include <QtTest>

#include "firmwareformat.h"
#include "editalnum.h"
#include "pages2fixture.h"
#include "tabcode.h"
#include "tabsummary.h"

namespace {

constexpr int kSummaryStep = 1;
constexpr int kConfirmStep = 8;

// The values the wizard copies into a summary page.
struct Values {
    int fileKind = Firmware::KindRom;
    int codeType = Firmware::CodeRomImage;
    int firmwareType = Firmware::TypeQHAR;
    int baudRate = 9600;
    int dataBits = 8;
    int stopBits = 1;
    int parity = 0;
    int flowControl = 0;
    int productId = 0x5C10;
    int vendorId = 0x2B3F;
    bool disableUpgrades = false;
    bool hideConnects = false;
    bool disableDataMode = false;
    bool disableStatusInfo = false;
    bool hideVersionReport = false;
    bool hidePrompt = false;
    bool disableLedFlash = false;
    bool shortCommandSet = false;
    bool asciiInput = true;
    QString version = QStringLiteral("03.64QHARF");
};

// The seven display texts, as the members hold them.
struct Texts {
    QString fwVersion = QStringLiteral("03.64");
    QString fwType = QStringLiteral("QHAR ROM File");
    QString monitor = QStringLiteral("9600 baud, 8 bits, 1 stop bit, no parity, no flow control");
    QString pid = QStringLiteral("0x5c10");
    QString vid = QStringLiteral("0x2b3f");
    QString initMode = QStringLiteral("ECS, IPA, LED Flash at Power-on");
    QString options = QStringLiteral("Allow Firmware Upgrades, Allow Data Mode,\r\nShow Prompt, "
                                     "Show Device Connects/Removals, Show Version Report at Startup.");
};

void Fill(CTabSummary *page, const Values &v)
{
    page->m_nFileKind = v.fileKind;
    page->m_nCodeType = v.codeType;
    page->m_nFirmwareType = v.firmwareType;
    page->m_nBaudRate = v.baudRate;
    page->m_nDataBits = v.dataBits;
    page->m_nStopBits = v.stopBits;
    page->m_nParity = v.parity;
    page->m_nFlowControl = v.flowControl;
    page->m_nProductId = v.productId;
    page->m_nVendorId = v.vendorId;
    page->m_bDisableUpgrades = v.disableUpgrades;
    page->m_bHideConnects = v.hideConnects;
    page->m_bDisableDataMode = v.disableDataMode;
    page->m_bDisableStatusInfo = v.disableStatusInfo;
    page->m_bHideVersionReport = v.hideVersionReport;
    page->m_bHidePrompt = v.hidePrompt;
    page->m_bDisableLedFlash = v.disableLedFlash;
    page->m_bShortCommandSet = v.shortCommandSet;
    page->m_bAsciiInput = v.asciiInput;
    page->SetVersion(v.version);
}

}  // namespace

Q_DECLARE_METATYPE(Values)
Q_DECLARE_METATYPE(Texts)

class TestTabSummary : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void headers_data();
    void headers();
    void describes_data();
    void describes();
    void showingTwiceGivesTheSameTexts();
    void showsChangedMembers();
    void copy_data();
    void copy();
    void loadedExample();

private:
    CTabSummary *page(bool confirm) const
    {
        return confirm ? m_wizard.dlg->m_pConfirmPage : m_wizard.dlg->m_pSummaryPage;
    }
    // The statics' texts, as the user sees them.
    static Texts Shown(const CTabSummary *page);
    static void CompareTexts(const Texts &actual, const Texts &expected);

    WizardFixture m_wizard;
};

void TestTabSummary::init()
{
    QVERIFY(m_wizard.dir.isValid());
    QVERIFY(m_wizard.Start());
    QGuiApplication::clipboard()->clear();
}

void TestTabSummary::cleanup()
{
    QVERIFY2(m_wizard.Stop(), "a window was left over");
}

Texts TestTabSummary::Shown(const CTabSummary *page)
{
    const auto text = [page](int id) {
        QLabel *label = page->GetDlgItem<QLabel>(id);
        return label ? label->text() : QStringLiteral("<no static %1>").arg(id);
    };
    return {text(1020), text(1021), text(1022), text(1023), text(1024), text(1025), text(1026)};
}

void TestTabSummary::CompareTexts(const Texts &actual, const Texts &expected)
{
    QCOMPARE(actual.fwVersion, expected.fwVersion);
    QCOMPARE(actual.fwType, expected.fwType);
    QCOMPARE(actual.monitor, expected.monitor);
    QCOMPARE(actual.pid, expected.pid);
    QCOMPARE(actual.vid, expected.vid);
    QCOMPARE(actual.initMode, expected.initMode);
    QCOMPARE(actual.options, expected.options);
}

void TestTabSummary::headers_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("description");

    QTest::newRow("file summary")
        << false << "Firmware Settings"
        << "This is the firmware settings for the selected firmware file before modification. The following "
           "screens allow you to modify the baud rate, startup mode and enable or disable monitor messages.";
    QTest::newRow("confirm summary")
        << true << "Summary of Firmware Customisations"
        << "The following firmware settings will be applied to the firmware file selected. The next screen will "
           "be able to choose a new filename to store it as.";
}

void TestTabSummary::headers()
{
    QFETCH(bool, confirm);
    QFETCH(QString, title);
    QFETCH(QString, description);

    CTabSummary *p = page(confirm);
    QCOMPARE(p->m_bConfirm, confirm ? 1 : 0);
    // Created with empty texts, before any show.
    CompareTexts(Shown(p), Texts{{}, {}, {}, {}, {}, {}, {}});
    QVERIFY(p->m_strFwVersion.isEmpty() && p->m_strOptions.isEmpty());

    m_wizard.ArriveAt(confirm ? kConfirmStep : kSummaryStep);
    QCOMPARE(m_wizard.Title(), title);
    QCOMPARE(m_wizard.Description(), description);
    QVERIFY(m_wizard.NextEnabled());
    QVERIFY(!p->GetDlgItem(1023)->isVisible());
    QVERIFY(!p->GetDlgItem(1024)->isVisible());
    QVERIFY(p->GetDlgItem(1026)->isVisible());
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
        v.version = QStringLiteral("03.64-ABCQHARF");
        Texts t = described;
        t.fwVersion = QStringLiteral("03.64-ABC (Modified) ");
        QTest::newRow("modified") << false << v << t;
        t = confirmed;
        t.fwVersion = QStringLiteral("03.64-ABC");
        QTest::newRow("modified, confirm") << true << v << t;
    }
    {
        Values v = example;
        v.parity = 3;
        v.flowControl = 4;
        v.stopBits = 2;
        v.dataBits = 7;
        v.baudRate = 14400;
        Texts t = described;
        t.monitor = QStringLiteral("14400 baud, 7 bits, 2 stop bit, unknown parity, unknown flow control");
        QTest::newRow("unknown parity and flow") << false << v << t;
    }
    for (const auto &[parity, flow, words] : {std::tuple{1, 1, "odd parity, CTS/RTS"},
                                              std::tuple{2, 2, "even parity, DTR/DSR"},
                                              std::tuple{0, 3, "no parity, XON/XOFF"},
                                              std::tuple{-1, -1, "unknown parity, unknown flow control"}}) {
        Values v = example;
        v.parity = parity;
        v.flowControl = flow;
        v.baudRate = 115200;
        Texts t = described;
        t.monitor = QStringLiteral("115200 baud, 8 bits, 1 stop bit, ") + QLatin1String(words);
        QTest::newRow(words) << false << v << t;
    }
    {
        Values v = example;
        v.productId = 5;
        v.vendorId = 0xABCD;
        Texts t = described;
        t.pid = QStringLiteral("0x0005");
        t.vid = QStringLiteral("0xabcd");
        QTest::newRow("IDs") << false << v << t;
    }
    {
        Values v = example;
        v.fileKind = Firmware::KindUpgrade;
        v.codeType = Firmware::CodeMain;
        v.firmwareType = Firmware::TypeQSOL;
        v.version = QStringLiteral("03.64QSOLF");
        Texts t = described;
        t.fwType = QStringLiteral("QSOL QUF Upgrader File for Main Code");
        QTest::newRow("upgrade file, main code") << false << v << t;
        v.codeType = Firmware::CodeReflash;
        t.fwType = QStringLiteral("QSOL QUF Upgrader File");
        QTest::newRow("upgrade file, other code") << false << v << t;
        t = confirmed;
        t.fwType = QStringLiteral("QSOL");
        QTest::newRow("upgrade file, confirm") << true << v << t;
    }
    {
        Values v = example;
        v.fileKind = Firmware::KindBld;
        v.codeType = Firmware::CodeMain;
        Texts t = described;
        t.fwType = QStringLiteral("QHAR BLD File");
        QTest::newRow("BLD image") << false << v << t;
    }
    {
        Values v = example;
        v.firmwareType = Firmware::TypeNone;
        Texts t = described;
        t.fwType = QStringLiteral("QHARF ROM File");
        QTest::newRow("type not recognised") << false << v << t;
        t = confirmed;
        t.fwType = QStringLiteral("QHARF");
        QTest::newRow("type not recognised, confirm") << true << v << t;
    }
    {
        Values v = example;
        v.firmwareType = Firmware::TypeNone;
        v.version = QStringLiteral("03.64-ABC");
        Texts t = described;
        t.fwVersion = QString();
        t.fwType = QStringLiteral("03.64-ABC ROM File");
        QTest::newRow("no Q in the version") << false << v << t;
        v.version = QStringLiteral("QHARF");
        t.fwType = QStringLiteral("QHARF ROM File");
        QTest::newRow("Q first") << false << v << t;
    }
    {
        Values v = example;
        v.firmwareType = Firmware::TypeQWEX | Firmware::TypeQJ4J;
        Texts t = described;
        t.fwType = QStringLiteral("QWEX ROM File");
        QTest::newRow("first type bit wins") << false << v << t;
    }
    {
        Values v = example;
        v.disableUpgrades = v.hideConnects = v.disableDataMode = v.hideVersionReport = v.hidePrompt = true;
        v.disableLedFlash = v.shortCommandSet = true;
        v.asciiInput = false;
        Texts t = described;
        t.initMode = QStringLiteral("SCS, IPH, Disable LED Flash at Power-on");
        t.options = QStringLiteral("Disable Firmware Upgrades, Disable Data Mode,\r\nNo Prompt, "
                                   "No Device Connects/Removals, No Version Report at Startup.");
        QTest::newRow("everything off") << false << v << t;
    }
    struct OneOption {
        const char *name;
        bool Values::*flag;
        const char *options;
    };
    const OneOption oneOption[] = {
        {"upgrades disabled", &Values::disableUpgrades,
         "Disable Firmware Upgrades, Allow Data Mode,\r\nShow Prompt, Show Device Connects/Removals, "
         "Show Version Report at Startup."},
        {"data mode disabled", &Values::disableDataMode,
         "Allow Firmware Upgrades, Disable Data Mode,\r\nShow Prompt, Show Device Connects/Removals, "
         "Show Version Report at Startup."},
        {"prompt hidden", &Values::hidePrompt,
         "Allow Firmware Upgrades, Allow Data Mode,\r\nNo Prompt, Show Device Connects/Removals, "
         "Show Version Report at Startup."},
        {"connects hidden", &Values::hideConnects,
         "Allow Firmware Upgrades, Allow Data Mode,\r\nShow Prompt, No Device Connects/Removals, "
         "Show Version Report at Startup."},
        {"version report hidden", &Values::hideVersionReport,
         "Allow Firmware Upgrades, Allow Data Mode,\r\nShow Prompt, Show Device Connects/Removals, "
         "No Version Report at Startup."},
        {"status information disabled: not described", &Values::disableStatusInfo,
         "Allow Firmware Upgrades, Allow Data Mode,\r\nShow Prompt, Show Device Connects/Removals, "
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
        v.disableLedFlash = true;
        Texts t = described;
        t.initMode = QStringLiteral("ECS, IPA, Disable LED Flash at Power-on");
        QTest::newRow("LED flash disabled") << false << v << t;
        v = example;
        v.shortCommandSet = true;
        v.asciiInput = false;
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
    Fill(p, values);
    m_wizard.ArriveAt(confirm ? kConfirmStep : kSummaryStep);

    CompareTexts(Texts{p->m_strFwVersion, p->m_strFwType, p->m_strMonitor, p->m_strPid, p->m_strVid,
                       p->m_strInitMode, p->m_strOptions},
                 texts);
    // The statics break the options' line with a plain line feed.
    Texts shown = texts;
    shown.options.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    CompareTexts(Shown(p), shown);
}

void TestTabSummary::showingTwiceGivesTheSameTexts()
{
    Values v;
    v.version = QStringLiteral("03.64-ABCQHARF");
    v.fileKind = Firmware::KindUpgrade;
    v.codeType = Firmware::CodeMain;
    CTabSummary *p = page(false);
    Fill(p, v);
    m_wizard.ArriveAt(kSummaryStep);
    const Texts first = Shown(p);
    QCOMPARE(first.fwVersion, QStringLiteral("03.64-ABC (Modified) "));
    QCOMPARE(first.fwType, QStringLiteral("QHAR QUF Upgrader File for Main Code"));

    m_wizard.Next();
    m_wizard.Back();
    QCOMPARE(m_wizard.dlg->m_nCurrentStep, kSummaryStep);
    CompareTexts(Shown(p), first);
    QCOMPARE(p->m_strFwVersion, first.fwVersion);
}

void TestTabSummary::showsChangedMembers()
{
    CTabSummary *p = page(true);
    Fill(p, Values());
    m_wizard.ArriveAt(kConfirmStep);
    QCOMPARE(Shown(p).monitor, QStringLiteral("9600 baud, 8 bits, 1 stop bit, no parity, no flow control"));

    // Written while the page is hidden, shown at the next show; nothing changes before that.
    m_wizard.ArriveAt(kConfirmStep - 1);
    p->m_nBaudRate = 57600;
    p->m_bHidePrompt = true;
    p->SetVersion(QStringLiteral("03.70-XYZQSOLF"));
    p->m_nFirmwareType = Firmware::TypeQSOL;
    QCOMPARE(Shown(p).monitor, QStringLiteral("9600 baud, 8 bits, 1 stop bit, no parity, no flow control"));
    m_wizard.ArriveAt(kConfirmStep);
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
           "Options: Allow Firmware Upgrades, Allow Data Mode,\r\nShow Prompt, Show Device Connects/Removals, "
           "Show Version Report at Startup.\r\n\r\n";
    QTest::newRow("file summary, modified")
        << false << "03.64-ABCQHARF"
        << "Firmware Settings\r\n\r\n"
           "Firmware Version: 03.64-ABC (Modified) \r\n\r\n"
           "Firmware Type: QHAR ROM File\r\n\r\n"
           "Default Monitor Settings: 9600 baud, 8 bits, 1 stop bit, no parity, no flow control\r\n\r\n"
           "Initial Mode: ECS, IPA, LED Flash at Power-on\r\n\r\n"
           "Options: Allow Firmware Upgrades, Allow Data Mode,\r\nShow Prompt, Show Device Connects/Removals, "
           "Show Version Report at Startup.\r\n\r\n";
    QTest::newRow("confirm summary")
        << true << "03.64-ABCQHARF"
        << "Summary of Firmware Customisations\r\n\r\n"
           "Firmware Version: 03.64-ABC\r\n\r\n"
           "Firmware Type: QHAR\r\n\r\n"
           "Default Monitor Settings: 9600 baud, 8 bits, 1 stop bit, no parity, no flow control\r\n\r\n"
           "Initial Mode: ECS, IPA, LED Flash at Power-on\r\n\r\n"
           "Options: Allow Firmware Upgrades, Allow Data Mode,\r\nShow Prompt, Show Device Connects/Removals, "
           "Show Version Report at Startup.\r\n\r\n";
}

void TestTabSummary::copy()
{
    QFETCH(bool, confirm);
    QFETCH(QString, version);
    QFETCH(QString, copied);

    CTabSummary *p = page(confirm);
    Values v;
    v.version = version;
    v.productId = 0x1234;
    v.vendorId = 0xABCD;
    Fill(p, v);
    m_wizard.ArriveAt(confirm ? kConfirmStep : kSummaryStep);

    auto *button = p->GetDlgItem<QPushButton>(1038);
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("Copy"));
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), copied);
    QCOMPARE(p->CopyText(), copied);
    // The IDs are described on the page but never copied.
    QCOMPARE(p->m_strPid, QStringLiteral("0x1234"));
    QVERIFY(!copied.contains(QStringLiteral("1234")) && !copied.contains(QStringLiteral("abcd")));
    // Copying leaves the wizard where it was.
    QCOMPARE(m_wizard.dlg->m_nCurrentStep, confirm ? kConfirmStep : kSummaryStep);
}

void TestTabSummary::loadedExample()
{
    // A ROM image whose settings are those of the page's worked example.
    ImageBuilder builder(ImageBuilder::Rom, "03.64QHARF");
    builder.setInit(Firmware::kInitAsciiInput).setOption(0).setLine(0).setFlow(0).setDivisor(0x4138);
    QVERIFY(m_wizard.Load(builder));
    CTabSummary *p = page(false);
    QVERIFY(p->isVisible());
    QCOMPARE(m_wizard.Title(), QStringLiteral("Firmware Settings"));
    Texts expected;
    expected.options.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    expected.pid = expected.vid = QStringLiteral("0x0000");  // only QSOL firmware carries the IDs
    CompareTexts(Shown(p), expected);
    if (QTest::currentTestFailed())
        return;

    // The confirmation shows the same settings with the version code merged in.
    while (m_wizard.dlg->m_nCurrentStep < 7)
        m_wizard.Next();
    WizardFixture::Type(m_wizard.dlg->m_pCodePage->m_editCode, QStringLiteral("abc"));
    m_wizard.Next();
    QCOMPARE(m_wizard.dlg->m_nCurrentStep, kConfirmStep);
    expected.fwVersion = QStringLiteral("03.64-ABC");
    expected.fwType = QStringLiteral("QHAR");
    CompareTexts(Shown(page(true)), expected);
}

QTEST_MAIN(TestTabSummary)
#include "tst_tabsummary.moc"
