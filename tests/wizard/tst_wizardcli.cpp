// The wizard and brindle-cli share one core: a walk through the wizard and a `brindle-cli write`
// with the same choices must produce the same bytes.

// Qt
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include "common/imagebuilder.h"
#include "controls/editalnum.h"
#include "leftovers.h"
#include "pages/tabbaudrate.h"
#include "pages/tabcode.h"
#include "pages/tabfile.h"
#include "pages/tabinit.h"
#include "pages/tabprompt.h"
#include "pages/tabsummary.h"
#include "pages/tabusbslave.h"
#include "recorder.h"
#include "resources/resourceids.h"
#include "wizard/brindledlg.h"
#include "wizarddriver.h"

// What the user changes; empty or negative means "left as loaded".
struct Choices {
    int baud = -1;      // a rate of the list
    int dataBits = -1;  // 7 or 8
    int parity = -1;    // list index
    int flow = -1;      // list index
    int shortCommandSet = -1;
    int asciiInput = -1;
    int ledFlash = -1;
    int showPrompt = -1;
    int disableUpgrades = -1;
    QString vid;
    QString pid;
    QString manufacturer;
    QString product;
    QString dirPrefix;
    QString code;
};
Q_DECLARE_METATYPE(Choices)

class TestWizardCli : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCOMPARE(LeftoverWindows(), QStringList()); }
    void sameBytes_data();
    void sameBytes();
    void walkByKeyboardAndMouse_data();
    void walkByKeyboardAndMouse();

private:
    static QStringList CliArguments(const Choices &c);
    QByteArray WizardWrite(const QString &source, const QString &target, const Choices &c);
};

QStringList TestWizardCli::CliArguments(const Choices &c)
{
    static const char *parities[] = {"none", "odd", "even"};
    static const char *flows[] = {"none", "cts-rts", "dtr-dsr", "xon-xoff"};
    QStringList args{QStringLiteral("--code"), c.code};
    const auto add = [&args](const char *option, const QString &value) {
        args << QString::fromLatin1(option) << value;
    };
    if (c.baud > 0)
        add("--baud", QString::number(c.baud));
    if (c.dataBits > 0)
        add("--data-bits", QString::number(c.dataBits));
    if (c.parity >= 0)
        add("--parity", QString::fromLatin1(parities[c.parity]));
    if (c.flow >= 0)
        add("--flow", QString::fromLatin1(flows[c.flow]));
    if (c.shortCommandSet >= 0)
        add("--command-set", c.shortCommandSet ? QStringLiteral("scs") : QStringLiteral("ecs"));
    if (c.asciiInput >= 0)
        add("--input", c.asciiInput ? QStringLiteral("ipa") : QStringLiteral("iph"));
    if (c.ledFlash >= 0)
        add("--led-flash", c.ledFlash ? QStringLiteral("on") : QStringLiteral("off"));
    if (c.showPrompt >= 0)
        add("--prompt", c.showPrompt ? QStringLiteral("show") : QStringLiteral("hide"));
    if (c.disableUpgrades >= 0)
        add("--upgrades", c.disableUpgrades ? QStringLiteral("disable") : QStringLiteral("allow"));
    if (!c.vid.isEmpty())
        add("--vid", c.vid);
    if (!c.pid.isEmpty())
        add("--pid", c.pid);
    if (!c.manufacturer.isEmpty())
        add("--manufacturer", c.manufacturer);
    if (!c.product.isEmpty())
        add("--product", c.product);
    if (!c.dirPrefix.isEmpty())
        add("--dir-prefix", c.dirPrefix);
    return args;
}

QByteArray TestWizardCli::WizardWrite(const QString &source, const QString &target, const Choices &c)
{
    RecordingServices services;
    CBrindleDlg dlg(&services);
    dlg.show();
    const auto next = [&dlg] { PressNext(dlg); };

    QTest::keyClicks(dlg.StepPage<CTabFile>(CBrindleDlg::StepOpen)->GetDlgItem<QLineEdit>(FileIds::Path), source);
    for (int guard = 0; guard < CBrindleDlg::kStepCount && dlg.CurrentStep() < CBrindleDlg::StepSave; ++guard) {
        switch (dlg.CurrentStep()) {
        case 2: {
            CTabBaudRate *page = dlg.StepPage<CTabBaudRate>(CBrindleDlg::StepBaud);
            if (c.baud > 0)
                page->GetDlgItem<QComboBox>(BaudIds::BaudRate)->setCurrentText(QString::number(c.baud));
            if (c.dataBits > 0)
                page->GetDlgItem<QRadioButton>(c.dataBits == 7 ? BaudIds::SevenBits : BaudIds::EightBits)
                    ->setChecked(true);
            if (c.parity >= 0)
                page->GetDlgItem<QComboBox>(BaudIds::Parity)->setCurrentIndex(c.parity);
            if (c.flow >= 0)
                page->GetDlgItem<QComboBox>(BaudIds::FlowControl)->setCurrentIndex(c.flow);
            break;
        }
        case 3: {
            CTabInit *page = dlg.StepPage<CTabInit>(CBrindleDlg::StepInit);
            if (c.asciiInput >= 0)
                page->GetDlgItem<QRadioButton>(c.asciiInput ? InitIds::AsciiInput : InitIds::BinaryInput)
                    ->setChecked(true);
            if (c.shortCommandSet >= 0)
                page->GetDlgItem<QRadioButton>(c.shortCommandSet ? InitIds::ShortCommands : InitIds::ExtendedCommands)
                    ->setChecked(true);
            if (c.ledFlash >= 0)
                page->GetDlgItem<QCheckBox>(InitIds::LedFlash)->setChecked(c.ledFlash);
            break;
        }
        case 4:
            if (c.showPrompt >= 0)
                dlg.StepPage<CTabPrompt>(CBrindleDlg::StepPrompt)
                    ->GetDlgItem<QCheckBox>(PromptIds::ShowPrompt)
                    ->setChecked(c.showPrompt);
            if (c.disableUpgrades >= 0)
                dlg.StepPage<CTabPrompt>(CBrindleDlg::StepPrompt)
                    ->GetDlgItem<QCheckBox>(PromptIds::DisableUpgrades)
                    ->setChecked(c.disableUpgrades);
            break;
        case 5:
            if (!c.vid.isEmpty())
                dlg.StepPage<CTabUsbSlave>(CBrindleDlg::StepUsb)
                    ->GetDlgItem<QLineEdit>(UsbIds::VendorId)
                    ->setText(c.vid);
            if (!c.pid.isEmpty())
                dlg.StepPage<CTabUsbSlave>(CBrindleDlg::StepUsb)
                    ->GetDlgItem<QLineEdit>(UsbIds::ProductId)
                    ->setText(c.pid);
            if (!c.manufacturer.isEmpty())
                dlg.StepPage<CTabUsbSlave>(CBrindleDlg::StepUsb)
                    ->GetDlgItem<QLineEdit>(UsbIds::Manufacturer)
                    ->setText(c.manufacturer);
            if (!c.product.isEmpty())
                dlg.StepPage<CTabUsbSlave>(CBrindleDlg::StepUsb)
                    ->GetDlgItem<QLineEdit>(UsbIds::Product)
                    ->setText(c.product);
            break;
        case 6:
            if (!c.dirPrefix.isEmpty()) {
                dlg.StepPage<CTabCode>(CBrindleDlg::StepDirPrefix)->GetDlgItem<CEditAlnum>(CodeIds::Code)->clear();
                QTest::keyClicks(
                    dlg.StepPage<CTabCode>(CBrindleDlg::StepDirPrefix)->GetDlgItem<CEditAlnum>(CodeIds::Code),
                    c.dirPrefix);
            }
            break;
        case 7:
            dlg.StepPage<CTabCode>(CBrindleDlg::StepCode)->GetDlgItem<CEditAlnum>(CodeIds::Code)->clear();
            QTest::keyClicks(dlg.StepPage<CTabCode>(CBrindleDlg::StepCode)->GetDlgItem<CEditAlnum>(CodeIds::Code),
                             c.code);
            break;
        default: break;
        }
        next();
    }
    QTest::keyClicks(dlg.StepPage<CTabFile>(CBrindleDlg::StepSave)->GetDlgItem<QLineEdit>(FileIds::Path), target);
    next();
    if (dlg.CurrentStep() != CBrindleDlg::StepFinish || !services.messages.isEmpty())
        return QByteArray();
    return ImageBuilder::ReadFile(target);
}

// clang-format off
void TestWizardCli::sameBytes_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QString>("sourceName");
    QTest::addColumn<QString>("targetName");
    QTest::addColumn<Choices>("choices");

    Choices uart;
    uart.baud = 57600;
    uart.dataBits = 7;
    uart.parity = 2;
    uart.flow = 3;
    uart.shortCommandSet = 1;
    uart.asciiInput = 1;
    uart.ledFlash = 0;
    uart.showPrompt = 0;
    uart.disableUpgrades = 1;
    uart.code = QStringLiteral("L01");
    QTest::newRow("QHAR ROM to QUF, every UART and mode setting")
        << ImageBuilder(ImageBuilder::Rom, "03.64QHARF").build() << "qhar.rom" << "out.QUF" << uart;

    Choices usb;
    usb.vid = QStringLiteral("0x1234");
    usb.pid = QStringLiteral("ABCD");
    usb.manufacturer = QStringLiteral("Acme");
    usb.product = QStringLiteral("Gizmo");
    usb.code = QStringLiteral("q01");
    QTest::newRow("QSOL upgrade file to ROM, USB identity")
        << ImageBuilder(ImageBuilder::Upgrade, "03.64-OLDQSOLF").setStrings({"Norvale", "USB Host", "0001"}).build()
        << "qsol.quf" << "out.rom" << usb;

    Choices prefix;
    prefix.dirPrefix = QStringLiteral("site");
    prefix.code = QStringLiteral("W01");
    QTest::newRow("QWEX BLD to ROM, directory prefix")
        << ImageBuilder(ImageBuilder::Bld, "03.66QWEXA").build() << "qwex.bld" << "out.Rom" << prefix;
    QTest::newRow("QJ4J BLD kept")
        << ImageBuilder(ImageBuilder::Bld, "03.66QJ4JA").build() << "qj4j.bld" << "out.bld" << prefix;

    Choices none;
    none.code = QStringLiteral("U01");
    // The UART page offers to keep a flow byte the monitor does not know, and both keep it.
    QTest::newRow("unknown flow byte, nothing changed")
        << ImageBuilder(ImageBuilder::Rom, "03.64QBENF").setFlow(0x03).setLine(0x18).build() << "qben.rom"
        << "out.rom" << none;
    Choices unknownKept = none;
    unknownKept.baud = 19200;
    unknownKept.parity = 1;
    QTest::newRow("unknown flow byte kept, other UART settings changed")
        << ImageBuilder(ImageBuilder::Upgrade, "03.64QSOLF").setFlow(0x0C).setStrings({"A", "B", "C"}).build()
        << "qsol.quf" << "out.quf" << unknownKept;
    Choices unknownChosen = none;
    unknownChosen.flow = 1;
    QTest::newRow("unknown flow byte replaced by a choice")
        << ImageBuilder(ImageBuilder::Rom, "03.64QHARF").setFlow(0x80).build() << "qhar.rom" << "out.rom"
        << unknownChosen;
}
// clang-format on

void TestWizardCli::sameBytes()
{
    QFETCH(QByteArray, source);
    QFETCH(QString, sourceName);
    QFETCH(QString, targetName);
    QFETCH(Choices, choices);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString sourcePath = dir.filePath(sourceName);
    QVERIFY(ImageBuilder::WriteFile(sourcePath, source));

    const QString cliTarget = dir.filePath(QStringLiteral("cli-") + targetName);
    QProcess cli;
    cli.start(QStringLiteral(BRINDLE_CLI_PATH),
              QStringList{QStringLiteral("write"), sourcePath, cliTarget} + CliArguments(choices));
    QVERIFY(cli.waitForFinished(30000));
    QVERIFY2(cli.exitCode() == 0, cli.readAllStandardError().constData());

    const QByteArray fromWizard = WizardWrite(sourcePath, dir.filePath(targetName), choices);
    QVERIFY(!fromWizard.isEmpty());
    const QByteArray fromCli = ImageBuilder::ReadFile(cliTarget);
    QCOMPARE(fromWizard.size(), fromCli.size());
    QVERIFY(fromWizard == fromCli);
    // The walk did change the file, so equal bytes say something.
    QVERIFY(fromWizard != source);
}

// clang-format off
void TestWizardCli::walkByKeyboardAndMouse_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QString>("targetName");

    QTest::newRow("QHAR ROM to QUF") << ImageBuilder(ImageBuilder::Rom, "03.64QHARF").build() << "out.QUF";
    QTest::newRow("QLYT1 BLD kept") << ImageBuilder(ImageBuilder::Bld, "03.64QLYT1F").setFlow(0x03).build() << "out.bld";
    QTest::newRow("QBEN QUF to ROM") << ImageBuilder(ImageBuilder::Upgrade, "03.64QBENF").setFlow(0x08).build() << "out.ROM";
    QTest::newRow("QSOL QUF kept") << ImageBuilder(ImageBuilder::Upgrade, "03.64QSOLF").setFlow(0x03)
                                          .setStrings({"Norvale", "USB Host", "0001"}).build() << "out.QUF";
    QTest::newRow("QTIM ROM kept") << ImageBuilder(ImageBuilder::Rom, "03.64QTIMF").build() << "out.rom";
    QTest::newRow("QWEX BLD to ROM") << ImageBuilder(ImageBuilder::Bld, "03.66QWEXA").setFlow(0xFF).build() << "out.ROM";
    QTest::newRow("QJ4J ROM to QUF") << ImageBuilder(ImageBuilder::Rom, "03.66QJ4JA").build() << "out.QUF";
}
// clang-format on

// A walk as a person makes it, with keys sent to whatever has the focus and clicks on the
// buttons: the edits survive three round trips to "File Open" with the same path, bad USB IDs
// keep Next disabled, an unknown flow byte is kept, Cancel with edits pending asks and No keeps
// everything, and the file written is brindle-cli's for the same choices.
void TestWizardCli::walkByKeyboardAndMouse()
{
    QFETCH(QByteArray, source);
    QFETCH(QString, targetName);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString sourcePath = dir.filePath(QStringLiteral("source.fw"));
    QVERIFY(ImageBuilder::WriteFile(sourcePath, source));
    const QString target = dir.filePath(targetName);

    RecordingServices services;
    CBrindleDlg dlg(&services);
    dlg.show();
    dlg.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    const auto focus = [] { return QApplication::focusWidget(); };
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget *f = focus();
        QVERIFY(f);
        QTest::keyClick(f, key, mods);
    };
    const auto typeText = [&](const QString &text) {
        QWidget *f = focus();
        QVERIFY(f);
        QTest::keyClicks(f, text);
    };
    const auto click = [](QPushButton *button) { QTest::mouseClick(button, Qt::LeftButton); };

    // File Open: the path typed, Enter loads it.
    CTabFile *open = dlg.StepPage<CTabFile>(CBrindleDlg::StepOpen);
    open->GetDlgItem<QLineEdit>(FileIds::Path)->setFocus();
    typeText(sourcePath);
    press(Qt::Key_Return);
    QCOMPARE(dlg.CurrentStep(), int(CBrindleDlg::StepSummary));
    const int type = dlg.Record().m_nFirmwareType;
    const bool unknownFlow = dlg.Record().m_nFlowControl == Firmware::kFlowUnknown;
    click(dlg.NextButton());

    // Set Baud: the next rate and the next parity, by keys.
    CTabBaudRate *baud = dlg.StepPage<CTabBaudRate>(CBrindleDlg::StepBaud);
    QCOMPARE(dlg.CurrentStep(), int(CBrindleDlg::StepBaud));
    baud->GetDlgItem<QComboBox>(BaudIds::BaudRate)->setFocus();
    press(Qt::Key_Down);  // 9600 -> 19200
    baud->GetDlgItem<QComboBox>(BaudIds::Parity)->setFocus();
    press(Qt::Key_Down);  // none -> odd
    QCOMPARE(baud->GetDlgItem<QComboBox>(BaudIds::FlowControl)->currentText(),
             unknownFlow ? QStringLiteral("Unknown (keep as is)") : QStringLiteral("None"));

    // Three round trips to "File Open" with the same path: the edits stay every time.
    for (int round = 1; round <= 3; ++round) {
        click(dlg.BackButton());
        click(dlg.BackButton());
        QCOMPARE(dlg.CurrentStep(), int(CBrindleDlg::StepOpen));
        QCOMPARE(open->GetDlgItem<QLineEdit>(FileIds::Path)->text(), sourcePath);
        click(dlg.NextButton());
        QCOMPARE(dlg.CurrentStep(), int(CBrindleDlg::StepSummary));
        click(dlg.NextButton());
        QCOMPARE(baud->GetDlgItem<QComboBox>(BaudIds::BaudRate)->currentText(), QStringLiteral("19200"));
        QCOMPARE(baud->GetDlgItem<QComboBox>(BaudIds::Parity)->currentText(), QStringLiteral("Odd"));
        QVERIFY(services.messages.isEmpty());
    }
    Choices choices;
    choices.baud = 19200;
    choices.parity = 1;

    // Cancel with edits pending asks; No keeps the wizard where it was.
    services.answer = false;
    press(Qt::Key_Escape);
    QCOMPARE(services.questionCount, 1);
    QCOMPARE(services.questions.constLast().text, QStringLiteral("Discard your changes and quit?"));
    QVERIFY(dlg.isVisible());
    click(dlg.CancelButton());
    QCOMPARE(services.questionCount, 2);
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.CurrentStep(), int(CBrindleDlg::StepBaud));
    services.answer = true;

    click(dlg.NextButton());  // Set Init
    click(dlg.NextButton());  // Set Prompt
    click(dlg.NextButton());
    if (type & Firmware::kUsbSlaveTypes) {
        // Set PID/VID: IDs brindle-cli would refuse keep Next disabled, and say why.
        CTabUsbSlave *usb = dlg.StepPage<CTabUsbSlave>(CBrindleDlg::StepUsb);
        QCOMPARE(dlg.CurrentStep(), int(CBrindleDlg::StepUsb));
        for (const QString &bad : {QStringLiteral("12345"), QStringLiteral("zz"), QStringLiteral("0x"), QString()}) {
            usb->GetDlgItem<QLineEdit>(UsbIds::VendorId)->setFocus();
            press(Qt::Key_A, Qt::ControlModifier);
            press(Qt::Key_Backspace);
            typeText(bad);
            QVERIFY2(!dlg.NextButton()->isEnabled(), qPrintable(bad));
            QVERIFY(!usb->GetDlgItem<QLabel>(UsbIds::Reason)->text().isEmpty());
            press(Qt::Key_Return);
            QCOMPARE(dlg.CurrentStep(), int(CBrindleDlg::StepUsb));
        }
        usb->GetDlgItem<QLineEdit>(UsbIds::VendorId)->setFocus();
        press(Qt::Key_A, Qt::ControlModifier);
        typeText(QStringLiteral("0x1234"));
        QVERIFY(dlg.NextButton()->isEnabled());
        QCOMPARE(usb->GetDlgItem<QLabel>(UsbIds::Reason)->text(), QString());
        choices.vid = QStringLiteral("0x1234");
        click(dlg.NextButton());
    }
    if (type & Firmware::kDirPrefixTypes) {
        QCOMPARE(dlg.CurrentStep(), int(CBrindleDlg::StepDirPrefix));
        press(Qt::Key_A, Qt::ControlModifier);
        typeText(QStringLiteral("ab12"));
        choices.dirPrefix = QStringLiteral("AB12");
        press(Qt::Key_Return);
    }
    QCOMPARE(dlg.CurrentStep(), int(CBrindleDlg::StepCode));
    typeText(QStringLiteral("k9z"));
    choices.code = QStringLiteral("K9Z");
    press(Qt::Key_Return);

    // Confirm Summary shows what will be written beyond the settings.
    QCOMPARE(dlg.CurrentStep(), int(CBrindleDlg::StepConfirm));
    const QString confirm = dlg.StepPage<CTabSummary>(CBrindleDlg::StepConfirm)->CopyText();
    QVERIFY(confirm.contains(QStringLiteral("19200 baud, 8 bits, 1 stop bit, odd parity")));
    QCOMPARE(confirm.contains(QStringLiteral("USB VID/PID: 0x1234/")), bool(type & Firmware::kUsbSlaveTypes));
    QCOMPARE(confirm.contains(QStringLiteral("Target Directory Prefix: AB12")), bool(type & Firmware::kDirPrefixTypes));
    QCOMPARE(confirm.contains(QStringLiteral("unknown flow control")), unknownFlow);
    press(Qt::Key_Return);

    // File Save: the name typed, Enter writes.
    QCOMPARE(dlg.CurrentStep(), int(CBrindleDlg::StepSave));
    typeText(target);
    press(Qt::Key_Return);
    QCOMPARE(dlg.CurrentStep(), int(CBrindleDlg::StepFinish));
    QVERIFY(services.messages.isEmpty());
    // Written: Finish ends without a question.
    const int questions = services.questionCount;
    click(dlg.CancelButton());
    QVERIFY(!dlg.isVisible());
    QCOMPARE(services.questionCount, questions);

    // brindle-cli's file for the same choices is the same file.
    const QString cliTarget = dir.filePath(QStringLiteral("cli-") + targetName);
    QProcess cli;
    cli.start(QStringLiteral(BRINDLE_CLI_PATH),
              QStringList{QStringLiteral("write"), sourcePath, cliTarget} + CliArguments(choices));
    QVERIFY(cli.waitForFinished(30000));
    QVERIFY2(cli.exitCode() == 0, cli.readAllStandardError().constData());
    const QByteArray fromWizard = ImageBuilder::ReadFile(target);
    const QByteArray fromCli = ImageBuilder::ReadFile(cliTarget);
    QVERIFY(!fromWizard.isEmpty());
    QCOMPARE(fromWizard.size(), fromCli.size());
    QVERIFY(fromWizard == fromCli);
    if (unknownFlow) {
        // The unknown byte is the source's own.
        const int base = fromWizard.size() == Firmware::kUpgradeLength ? Firmware::kHeaderSize : 0;
        const int sourceBase = source.size() == Firmware::kUpgradeLength ? Firmware::kHeaderSize : 0;
        QCOMPARE(fromWizard.at(base + Firmware::kFlowControl), source.at(sourceBase + Firmware::kFlowControl));
    }
}

QTEST_MAIN(TestWizardCli)
#include "tst_wizardcli.moc"
