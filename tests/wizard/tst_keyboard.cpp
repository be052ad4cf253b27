// The wizard by keyboard alone: a walk from "File Open" to "Finish" for every firmware type that
// only types text and presses Enter, Tab, Space and the arrow keys, sent to whatever widget has
// the focus. On the way every page's inputs must be announced by their labels, and the written
// file must hold every choice made.

// Std
#include <memory>

// Qt
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include "brindledlg.h"
#include "common/imagebuilder.h"
#include "editalnum.h"
#include "firmwarerecord.h"
#include "recorder.h"
#include "resourceids.h"
#include "tabbaudrate.h"
#include "tabcode.h"
#include "tabfile.h"
#include "tabinit.h"
#include "tabprompt.h"
#include "tabusbslave.h"

namespace {

// What a screen reader announces an input by: the name of the control that labels it (a list's
// own name is its current item on Linux, where readers use this relation), an edit's own name,
// and for a radio button the label of its pair, as its description.
enum class Said { LabelledBy, Name, Description };

QString AccessibleText(QWidget *w, Said what)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
    if (!iface)
        return QStringLiteral("<no interface>");
    switch (what) {
    case Said::LabelledBy: {
        const auto labels = iface->relations(QAccessible::Label);
        return labels.size() == 1 ? labels.constFirst().first->text(QAccessible::Name)
                                  : QStringLiteral("<%1 labels>").arg(labels.size());
    }
    case Said::Name: return iface->text(QAccessible::Name);
    case Said::Description: return iface->text(QAccessible::Description);
    }
    return QString();
}

}  // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void walkByKeyboard_data();
    void walkByKeyboard();

private:
    // Presses `key` on the widget that has the keyboard focus.
    bool Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    bool TypeText(const QString &text);
    QWidget *Focus() const { return QApplication::focusWidget(); }
    int Step() const { return m_dlg->CurrentStep(); }
    // The focus is where an Enter means Next: never on Back or Cancel, which the walk never chose.
    void CheckFocusSafe(const char *where);
    void CheckNames(CWizardPage *page, const QList<QPair<int, QString>> &named, Said what);

    RecordingServices m_services;
    std::unique_ptr<CBrindleDlg> m_dlg;
};

void TestKeyboard::cleanup()
{
    m_dlg.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

bool TestKeyboard::Press(int key, Qt::KeyboardModifiers modifiers)
{
    QWidget *f = Focus();
    if (!f)
        return false;
    QTest::keyClick(f, Qt::Key(key), modifiers);
    return true;
}

bool TestKeyboard::TypeText(const QString &text)
{
    for (QChar c : text) {
        QWidget *f = Focus();
        if (!f)
            return false;
        const Qt::Key key =
            c.isLetterOrNumber() || c.unicode() < 0x7F ? Qt::Key(c.toUpper().unicode()) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, f, key, QString(c), Qt::NoModifier);
    }
    return true;
}

void TestKeyboard::CheckFocusSafe(const char *where)
{
    QWidget *f = Focus();
    QVERIFY2(f, where);
    QVERIFY2(f != m_dlg->BackButton() && f != m_dlg->CancelButton(), where);
    QVERIFY2(f == m_dlg->NextButton() || m_dlg->StepPage(Step())->isAncestorOf(f), where);
    QVERIFY2(f->isEnabled() && f->isVisible(), where);
}

void TestKeyboard::CheckNames(CWizardPage *page, const QList<QPair<int, QString>> &named, Said what)
{
    for (const auto &[id, label] : named) {
        QWidget *w = page->GetDlgItem(id);
        QVERIFY(w);
        QCOMPARE(AccessibleText(w, what), label);
    }
}

void TestKeyboard::walkByKeyboard_data()
{
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("target");

    QTest::newRow("QHAR ROM to QUF") << QByteArray("03.64QHARF") << int(ImageBuilder::Rom) << QStringLiteral("out.QUF");
    QTest::newRow("QLYT1 QUF to ROM") << QByteArray("03.64QLYT1F") << int(ImageBuilder::Upgrade)
                                      << QStringLiteral("out.ROM");
    QTest::newRow("QBEN BLD kept") << QByteArray("03.64QBENF") << int(ImageBuilder::Bld) << QStringLiteral("out.bin");
    QTest::newRow("QSOL QUF kept") << QByteArray("03.64QSOLF") << int(ImageBuilder::Upgrade)
                                   << QStringLiteral("out.QUF");
    QTest::newRow("QTIM ROM kept") << QByteArray("03.64QTIMF") << int(ImageBuilder::Rom) << QStringLiteral("out.ROM");
    QTest::newRow("QWEX BLD to ROM") << QByteArray("03.66QWEXA") << int(ImageBuilder::Bld) << QStringLiteral("out.ROM");
    QTest::newRow("QJ4J ROM to QUF") << QByteArray("03.66QJ4JA") << int(ImageBuilder::Rom) << QStringLiteral("out.QUF");
}

void TestKeyboard::walkByKeyboard()
{
    QFETCH(QByteArray, version);
    QFETCH(int, kind);
    QFETCH(QString, target);

    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source.fw"));
    const QString written = dir.filePath(target);
    QVERIFY(
        ImageBuilder(ImageBuilder::Kind(kind), version).setStrings({"Norvale", "USB Host", "0001"}).writeTo(source));

    m_services = RecordingServices();
    m_dlg = std::make_unique<CBrindleDlg>(&m_services);
    m_dlg->show();
    m_dlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_dlg.get()));
    CBrindleDlg &dlg = *m_dlg;

    // File Open: the path box has the focus.
    QCOMPARE(Focus(), static_cast<QWidget *>(dlg.StepPage<CTabFile>(CBrindleDlg::StepOpen)->m_editFilePath));
    QVERIFY(TypeText(source));
    QVERIFY(Press(Qt::Key_Return));
    QCOMPARE(Step(), 1);
    CheckFocusSafe("File Summary");

    // File Summary: nothing to edit, Enter moves on.
    QVERIFY(Press(Qt::Key_Return));
    QCOMPARE(Step(), 2);

    // Set Baud: the baud list first, then each radio pair and list is one Tab away.
    CTabBaudRate *baud = dlg.StepPage<CTabBaudRate>(CBrindleDlg::StepBaud);
    CheckNames(baud,
               {{BaudIds::BaudRate, QStringLiteral("Baud Rate:")},
                {BaudIds::Parity, QStringLiteral("Parity:")},
                {BaudIds::FlowControl, QStringLiteral("Flow Control:")}},
               Said::LabelledBy);
    CheckNames(baud,
               {{BaudIds::SevenBits, QStringLiteral("Data Bits:")},
                {BaudIds::EightBits, QStringLiteral("Data Bits:")},
                {BaudIds::OneStopBit, QStringLiteral("Stop Bits:")},
                {BaudIds::TwoStopBits, QStringLiteral("Stop Bits:")}},
               Said::Description);
    QCOMPARE(Focus(), static_cast<QWidget *>(baud->m_comboBaudRate));
    QVERIFY(Press(Qt::Key_Down));  // 9600 -> 19200
    QVERIFY(Press(Qt::Key_Tab));
    QCOMPARE(Focus(), baud->GetDlgItem(BaudIds::EightBits));  // "8 Bits", the checked one of its pair
    QVERIFY(Press(Qt::Key_Right));                            // "7 Bits"
    QCOMPARE(Focus(), baud->GetDlgItem(BaudIds::SevenBits));
    QVERIFY(Press(Qt::Key_Tab));
    QCOMPARE(Focus(), baud->GetDlgItem(BaudIds::OneStopBit));  // "1 Bit"
    QVERIFY(Press(Qt::Key_Right));                             // "2 Bits"
    QVERIFY(Press(Qt::Key_Tab));
    QCOMPARE(Focus(), baud->GetDlgItem(BaudIds::Parity));  // parity
    QVERIFY(Press(Qt::Key_Down));                          // odd
    QVERIFY(Press(Qt::Key_Tab));
    QCOMPARE(Focus(), baud->GetDlgItem(BaudIds::FlowControl));  // flow control
    QVERIFY(Press(Qt::Key_Down));                               // CTS/RTS
    // Shift+Tab goes back through the pairs, one stop each.
    QVERIFY(Press(Qt::Key_Backtab, Qt::ShiftModifier));
    QVERIFY(Press(Qt::Key_Backtab, Qt::ShiftModifier));
    QCOMPARE(Focus(), baud->GetDlgItem(BaudIds::TwoStopBits));
    QVERIFY(Press(Qt::Key_Return));
    QCOMPARE(Step(), 3);
    CheckFocusSafe("Set Init");

    // Set Init: both pairs and the check box by Tab, changed by arrows and Space.
    CTabInit *init = dlg.StepPage<CTabInit>(CBrindleDlg::StepInit);
    CheckNames(init,
               {{InitIds::AsciiInput, QStringLiteral("Input Mode:")},
                {InitIds::BinaryInput, QStringLiteral("Input Mode:")},
                {InitIds::ShortCommands, QStringLiteral("Command Mode:")},
                {InitIds::ExtendedCommands, QStringLiteral("Command Mode:")}},
               Said::Description);
    QCOMPARE(Focus(), init->GetDlgItem(InitIds::BinaryInput));  // IPH, checked
    QVERIFY(Press(Qt::Key_Down));                               // IPA
    QVERIFY(Press(Qt::Key_Tab));
    QCOMPARE(Focus(), init->GetDlgItem(InitIds::ExtendedCommands));  // extended command set, checked
    QVERIFY(Press(Qt::Key_Down));                                    // short command set
    QVERIFY(Press(Qt::Key_Tab));
    QCOMPARE(Focus(), static_cast<QWidget *>(init->m_chkLedFlash));
    QVERIFY(Press(Qt::Key_Space));
    QVERIFY(Press(Qt::Key_Return));
    QCOMPARE(Step(), 4);
    CheckFocusSafe("Set Prompt");

    // Set Prompt: the first box has the focus.
    QCOMPARE(Focus(), static_cast<QWidget *>(dlg.StepPage<CTabPrompt>(CBrindleDlg::StepPrompt)->m_chkShowPrompt));
    QVERIFY(Press(Qt::Key_Space));
    QVERIFY(Press(Qt::Key_Return));

    const CFirmwareRecord &record = dlg.Record();
    if (record.m_nFirmwareType & Firmware::kUsbSlaveTypes) {
        QCOMPARE(Step(), 5);
        CheckFocusSafe("Set PID/VID");
        CTabUsbSlave *usb = dlg.StepPage<CTabUsbSlave>(CBrindleDlg::StepUsb);
        const QList<QPair<int, QString>> usbLabels = {
            {UsbIds::VendorId, QStringLiteral("Vendor ID (Default is 2B3F):")},
            {UsbIds::ProductId, QStringLiteral("Product ID (Default is 5C10):")},
            {UsbIds::Manufacturer, QStringLiteral("Manufacturer String:")},
            {UsbIds::Product, QStringLiteral("Product String:")}};
        CheckNames(usb, usbLabels, Said::Name);
        CheckNames(usb, usbLabels, Said::LabelledBy);
        QCOMPARE(Focus(), static_cast<QWidget *>(usb->m_editVendorId));
        QVERIFY(Press(Qt::Key_A, Qt::ControlModifier));
        QVERIFY(TypeText(QStringLiteral("1234")));
        QVERIFY(Press(Qt::Key_Return));
    }
    if (record.m_nFirmwareType & Firmware::kDirPrefixTypes) {
        QCOMPARE(Step(), 6);
        CheckFocusSafe("Set Target Directory");
        CheckNames(dlg.StepPage<CTabCode>(CBrindleDlg::StepDirPrefix),
                   {{CodeIds::Code, QStringLiteral("Target Directory Prefix:")}}, Said::Name);
        QCOMPARE(Focus(), static_cast<QWidget *>(dlg.StepPage<CTabCode>(CBrindleDlg::StepDirPrefix)->m_editCode));
        QVERIFY(Press(Qt::Key_A, Qt::ControlModifier));
        QVERIFY(TypeText(QStringLiteral("ab12")));
        QVERIFY(Press(Qt::Key_Return));
    }

    // Set Code: Next is disabled with no code, yet the focus is in the box, not on Cancel.
    QCOMPARE(Step(), 7);
    CheckFocusSafe("Set Code");
    CheckNames(dlg.StepPage<CTabCode>(CBrindleDlg::StepCode), {{CodeIds::Code, QStringLiteral("Firmware Code:")}},
               Said::Name);
    QCOMPARE(Focus(), static_cast<QWidget *>(dlg.StepPage<CTabCode>(CBrindleDlg::StepCode)->m_editCode));
    QVERIFY(!dlg.NextButton()->isEnabled());
    QVERIFY(Press(Qt::Key_Return));  // nothing happens while Next is disabled
    QVERIFY(TypeText(QStringLiteral("b0")));
    QVERIFY(Press(Qt::Key_Return));
    QCOMPARE(Step(), 7);
    QVERIFY(dlg.isVisible());
    QVERIFY(TypeText(QStringLiteral("1")));
    QVERIFY(Press(Qt::Key_Return));

    // Confirm Summary, then File Save: "Write" waits for a name, the focus waits in the box.
    QCOMPARE(Step(), 8);
    CheckFocusSafe("Confirm Summary");
    QVERIFY(Press(Qt::Key_Return));
    QCOMPARE(Step(), 9);
    CheckFocusSafe("File Save");
    QCOMPARE(Focus(), static_cast<QWidget *>(dlg.StepPage<CTabFile>(CBrindleDlg::StepSave)->m_editFilePath));
    QVERIFY(TypeText(written));
    QVERIFY(Press(Qt::Key_Return));
    QCOMPARE(Step(), 10);
    QVERIFY(m_services.messages.isEmpty());

    // Finish: Enter ends the program.
    QCOMPARE(Focus(), static_cast<QWidget *>(dlg.CancelButton()));
    QCOMPARE(dlg.CancelButton()->text(), QStringLiteral("Finish"));
    QVERIFY(Press(Qt::Key_Return));
    QVERIFY(!dlg.isVisible());

    // Every choice made by keyboard is in the written file.
    CFirmwareRecord check(nullptr);
    QCOMPARE(check.LoadFirmware(written), 1);
    QCOMPARE(check.m_nBaudRate, 19200);
    QCOMPARE(check.m_nDataBits, 7);
    QCOMPARE(check.m_nStopBits, 2);
    QCOMPARE(check.m_nParity, 1);
    QCOMPARE(check.m_nFlowControl, int(Firmware::kFlowCtsRts));
    QVERIFY(check.m_bAsciiInput);
    QVERIFY(check.m_bShortCommandSet);
    QVERIFY(check.m_bDisableLedFlash);
    QVERIFY(check.m_bHidePrompt);
    QVERIFY(!check.m_bHideConnects);
    QVERIFY(check.m_strVersion.contains(QStringLiteral("-B01Q")));
    if (check.m_nFirmwareType & Firmware::kUsbSlaveTypes)
        QCOMPARE(check.m_nVendorId, 0x1234);
    if (check.m_nFirmwareType & Firmware::kDirPrefixTypes)
        QCOMPARE(check.m_strDirPrefix, QStringLiteral("AB12"));
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
