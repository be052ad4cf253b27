// The wizard and brindle-cli share one core: a walk through the wizard and a `brindle-cli write`
// with the same choices must produce the same bytes.

// Qt
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include "brindledlg.h"
#include "common/imagebuilder.h"
#include "editalnum.h"
#include "recorder.h"
#include "resourceids.h"
#include "tabbaudrate.h"
#include "tabcode.h"
#include "tabfile.h"
#include "tabinit.h"
#include "tabprompt.h"
#include "tabusbslave.h"

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
    void sameBytes_data();
    void sameBytes();

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
    const auto next = [&dlg] { QTest::mouseClick(dlg.NextButton(), Qt::LeftButton); };

    QTest::keyClicks(dlg.StepPage<CTabFile>(CBrindleDlg::StepOpen)->m_editFilePath, source);
    for (int guard = 0; guard < CBrindleDlg::kStepCount && dlg.CurrentStep() < CBrindleDlg::StepSave; ++guard) {
        switch (dlg.CurrentStep()) {
        case 2: {
            CTabBaudRate *page = dlg.StepPage<CTabBaudRate>(CBrindleDlg::StepBaud);
            if (c.baud > 0)
                page->m_comboBaudRate->setCurrentText(QString::number(c.baud));
            if (c.dataBits > 0)
                page->GetDlgItem<QRadioButton>(c.dataBits == 7 ? BaudIds::SevenBits : BaudIds::EightBits)
                    ->setChecked(true);
            if (c.parity >= 0)
                page->m_comboParity->setCurrentIndex(c.parity);
            if (c.flow >= 0)
                page->m_comboFlowControl->setCurrentIndex(c.flow);
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
                page->m_chkLedFlash->setChecked(c.ledFlash);
            break;
        }
        case 4:
            if (c.showPrompt >= 0)
                dlg.StepPage<CTabPrompt>(CBrindleDlg::StepPrompt)->m_chkShowPrompt->setChecked(c.showPrompt);
            if (c.disableUpgrades >= 0)
                dlg.StepPage<CTabPrompt>(CBrindleDlg::StepPrompt)->m_chkDisableUpgrades->setChecked(c.disableUpgrades);
            break;
        case 5:
            if (!c.vid.isEmpty())
                dlg.StepPage<CTabUsbSlave>(CBrindleDlg::StepUsb)->m_editVendorId->setText(c.vid);
            if (!c.pid.isEmpty())
                dlg.StepPage<CTabUsbSlave>(CBrindleDlg::StepUsb)->m_editProductId->setText(c.pid);
            if (!c.manufacturer.isEmpty())
                dlg.StepPage<CTabUsbSlave>(CBrindleDlg::StepUsb)->m_editManufacturer->setText(c.manufacturer);
            if (!c.product.isEmpty())
                dlg.StepPage<CTabUsbSlave>(CBrindleDlg::StepUsb)->m_editProduct->setText(c.product);
            break;
        case 6:
            if (!c.dirPrefix.isEmpty()) {
                dlg.StepPage<CTabCode>(CBrindleDlg::StepDirPrefix)->m_editCode->clear();
                QTest::keyClicks(dlg.StepPage<CTabCode>(CBrindleDlg::StepDirPrefix)->m_editCode, c.dirPrefix);
            }
            break;
        case 7:
            dlg.StepPage<CTabCode>(CBrindleDlg::StepCode)->m_editCode->clear();
            QTest::keyClicks(dlg.StepPage<CTabCode>(CBrindleDlg::StepCode)->m_editCode, c.code);
            break;
        default: break;
        }
        next();
    }
    QTest::keyClicks(dlg.StepPage<CTabFile>(CBrindleDlg::StepSave)->m_editFilePath, target);
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
    // The UART page has no entry for an unknown flow byte and gives back "None".
    QTest::newRow("unknown flow byte, nothing changed")
        << ImageBuilder(ImageBuilder::Rom, "03.64QBENF").setFlow(0x03).setLine(0x18).build() << "qben.rom"
        << "out.rom" << none;
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

QTEST_MAIN(TestWizardCli)
#include "tst_wizardcli.moc"
