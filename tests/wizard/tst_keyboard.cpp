// The wizard by keyboard alone: a walk from "File Open" to "Finish" for every firmware type that
// only types text and presses Enter, Tab, Space and the arrow keys, sent to whatever widget has
// the focus. On the way every page's inputs must be announced by their labels, and the written
// file must hold every choice made. Then where the focus goes on each change of page, by Enter,
// by the accelerators and by Back, and what a screen reader is told of every page, read through
// Qt's accessibility interfaces as its bridge to the reader reads them.

// Std
#include <memory>
#include <utility>
#include <vector>

// Qt
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include "common/imagebuilder.h"
#include "controls/editalnum.h"
#include "controls/hyperlinkstatic.h"
#include "controls/selectabletext.h"
#include "firmware/firmwarerecord.h"
#include "leftovers.h"
#include "pages/tabbaudrate.h"
#include "pages/tabcode.h"
#include "pages/tabfile.h"
#include "pages/tabfinish.h"
#include "pages/tabinit.h"
#include "pages/tabprompt.h"
#include "pages/tabsummary.h"
#include "pages/tabusbslave.h"
#include "recorder.h"
#include "resources/resourceids.h"
#include "wizard/aboutdlg.h"
#include "wizard/brindledlg.h"
#include "wizarddriver.h"

namespace {

// What a screen reader announces an input by: the name of the control that labels it, the name of
// the grouping it stands in (a radio button's pair), its own name, its description.
enum class Said { LabelledBy, Group, Name, Description };

// Each widget that got the keyboard focus, in order: a screen reader is told of each one. (The
// offscreen platform passes no accessibility events on; the end-to-end test listens to them.)
QList<QObject *> g_focused;

QList<QObject *> FocusEvents()
{
    return g_focused;
}

QString Stripped(QString text)
{
    return text.remove(QLatin1Char('&'));
}

// The one control whose Label relation names `w`, or null.
QAccessibleInterface *LabelOf(QWidget *w)
{
    const auto labels = QAccessible::queryAccessibleInterface(w)->relations(QAccessible::Label);
    return labels.size() == 1 ? labels.constFirst().first : nullptr;
}

QString AccessibleText(QWidget *w, Said what)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
    if (!iface)
        return QStringLiteral("<no interface>");
    switch (what) {
    case Said::LabelledBy: {
        const auto labels = iface->relations(QAccessible::Label);
        return labels.size() == 1 ? Stripped(labels.constFirst().first->text(QAccessible::Name))
                                  : QStringLiteral("<%1 labels>").arg(labels.size());
    }
    case Said::Group:
        return iface->parent() && iface->parent()->role() == QAccessible::Grouping
                   ? iface->parent()->text(QAccessible::Name)
                   : QStringLiteral("<no group>");
    case Said::Name: return iface->text(QAccessible::Name);
    case Said::Description: return iface->text(QAccessible::Description);
    }
    return QString();
}

// Holds every key the user presses until Deliver, then sends each again, in order, to the widget
// it was meant for, as a new event: what Qt's bridge to a screen reader does while a reader runs
// (it asks the reader about each key first). The shortcut part of a key (ShortcutOverride) is not
// held, as the bridge does not hold it.
class KeyHolder : public QObject
{
public:
    KeyHolder() { qApp->installEventFilter(this); }
    ~KeyHolder() override { qApp->removeEventFilter(this); }

    void Deliver()
    {
        qApp->removeEventFilter(this);
        // The reader answers one key at a time; what the program posted meanwhile runs between.
        for (auto &[target, event] : m_held) {
            if (target)
                QCoreApplication::postEvent(target, event.release());
            QCoreApplication::sendPostedEvents();
        }
        m_held.clear();
    }

    qsizetype Held() const { return m_held.size(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) && event->spontaneous()) {
            const auto *key = static_cast<QKeyEvent *>(event);
            m_held.push_back({watched, std::make_unique<QKeyEvent>(key->type(), key->key(), key->modifiers(),
                                                                   key->text(), key->isAutoRepeat())});
            return true;
        }
        return false;
    }

private:
    std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QKeyEvent>>> m_held;
};

}  // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void walkByKeyboard_data();
    void walkByKeyboard();
    void focusOnPageChange_data();
    void focusOnPageChange();
    void browseHandsFocusToNext();
    void focusLeavesNextTurnedOff();
    void enterPressesFocusedButton();
    void contextMenuKeys();
    void textBoxMenuOffersAbout_data();
    void textBoxMenuOffersAbout();
    void acceleratorsNeverType_data();
    void acceleratorsNeverType();
    void acceleratorActsBeforeNextKey();
    void acceleratorsKeepTypedOrder_data();
    void acceleratorsKeepTypedOrder();
    void arrowsInRadioPairs_data();
    void arrowsInRadioPairs();
    void enterOnMissingPathSaysWhy();
    void overwriteQuestionDefaultsToNo();
    void promptTabOrderAndCodeSelection();
    void screenReaderPages_data();
    void screenReaderPages();
    void linkAndAboutBox();

private:
    // A fresh wizard, shown and active, with a file of `version` and `kind` loaded; false when the
    // wizard did not reach "File Summary".
    bool StartLoaded(const QByteArray &version, int kind);
    // Moves to the next step the way each page takes it (typing a code or a file name where the
    // page asks for one) with `key`; true when the wizard moved.
    bool Forward(int key, Qt::KeyboardModifiers modifiers);
    // Where the focus must land on the page shown.
    QWidget *ExpectedFocus() const;
    // Checks what a screen reader is told of the page shown and of each of its controls.
    void CheckPageForScreenReader();

    // Presses `key` on the widget that has the keyboard focus.
    bool Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    bool TypeText(const QString &text);
    QWidget *Focus() const { return QApplication::focusWidget(); }
    int Step() const { return m_wizard.dlg->CurrentStep(); }
    // The focus is where an Enter means Next: never on Back or Cancel, which the walk never chose.
    void CheckFocusSafe(const char *where);
    void CheckNames(CWizardPage *page, const QList<QPair<int, QString>> &named, Said what);

    WizardDriver m_wizard;  // the wizard, with recorders for its dialogs
    QTemporaryDir m_dir;
};

void TestKeyboard::initTestCase()
{
    connect(qApp, &QApplication::focusChanged, this, [](QWidget *, QWidget *now) { g_focused.append(now); });
}

void TestKeyboard::cleanup()
{
    QCOMPARE(m_wizard.Stop(), QStringList());
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
    QVERIFY2(f != m_wizard.dlg->BackButton() && f != m_wizard.dlg->CancelButton(), where);
    QVERIFY2(f == m_wizard.dlg->NextButton() || m_wizard.dlg->StepPage(Step())->isAncestorOf(f), where);
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

    QVERIFY(m_wizard.StartActive());
    CBrindleDlg &dlg = *m_wizard.dlg;

    // File Open: the path box has the focus.
    QCOMPARE(Focus(), static_cast<QWidget *>(
                          dlg.StepPage<CTabFile>(CBrindleDlg::StepOpen)->GetDlgItem<QLineEdit>(FileIds::Path)));
    QVERIFY(TypeText(source));
    QVERIFY(Press(Qt::Key_Return));
    QCOMPARE(Step(), 1);
    CheckFocusSafe("File Summary");

    // File Summary: nothing to edit, Enter moves on.
    QVERIFY(Press(Qt::Key_Return));
    QCOMPARE(Step(), 2);

    // Set Baud: the baud list first, then each radio pair and list is one Tab away.
    CTabBaudRate *baud = dlg.StepPage<CTabBaudRate>(CBrindleDlg::StepBaud);
    const QList<QPair<int, QString>> lists = {{BaudIds::BaudRate, QStringLiteral("Baud Rate:")},
                                              {BaudIds::Parity, QStringLiteral("Parity:")},
                                              {BaudIds::FlowControl, QStringLiteral("Flow Control:")}};
    CheckNames(baud, lists, Said::LabelledBy);
    CheckNames(baud, lists, Said::Name);
    CheckNames(baud,
               {{BaudIds::SevenBits, QStringLiteral("Data Bits:")},
                {BaudIds::EightBits, QStringLiteral("Data Bits:")},
                {BaudIds::OneStopBit, QStringLiteral("Stop Bits:")},
                {BaudIds::TwoStopBits, QStringLiteral("Stop Bits:")}},
               Said::Group);
    QCOMPARE(Focus(), static_cast<QWidget *>(baud->GetDlgItem<QComboBox>(BaudIds::BaudRate)));
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
               Said::Group);
    QCOMPARE(Focus(), init->GetDlgItem(InitIds::BinaryInput));  // IPH, checked
    QVERIFY(Press(Qt::Key_Down));                               // IPA
    QVERIFY(Press(Qt::Key_Tab));
    QCOMPARE(Focus(), init->GetDlgItem(InitIds::ExtendedCommands));  // extended command set, checked
    QVERIFY(Press(Qt::Key_Down));                                    // short command set
    QVERIFY(Press(Qt::Key_Tab));
    QCOMPARE(Focus(), init->GetDlgItem(InitIds::LedFlash));
    QVERIFY(Press(Qt::Key_Space));
    QVERIFY(Press(Qt::Key_Return));
    QCOMPARE(Step(), 4);
    CheckFocusSafe("Set Prompt");

    // Set Prompt: the first box has the focus.
    QCOMPARE(Focus(), dlg.StepPage<CTabPrompt>(CBrindleDlg::StepPrompt)->GetDlgItem(PromptIds::ShowPrompt));
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
        QCOMPARE(Focus(), static_cast<QWidget *>(usb->GetDlgItem<QLineEdit>(UsbIds::VendorId)));
        QVERIFY(Press(Qt::Key_A, Qt::ControlModifier));
        QVERIFY(TypeText(QStringLiteral("1234")));
        QVERIFY(Press(Qt::Key_Return));
    }
    if (record.m_nFirmwareType & Firmware::kDirPrefixTypes) {
        QCOMPARE(Step(), 6);
        CheckFocusSafe("Set Target Directory");
        CheckNames(dlg.StepPage<CTabCode>(CBrindleDlg::StepDirPrefix),
                   {{CodeIds::Code, QStringLiteral("Target Directory Prefix:")}}, Said::Name);
        QCOMPARE(Focus(),
                 static_cast<QWidget *>(
                     dlg.StepPage<CTabCode>(CBrindleDlg::StepDirPrefix)->GetDlgItem<CEditAlnum>(CodeIds::Code)));
        QVERIFY(Press(Qt::Key_A, Qt::ControlModifier));
        QVERIFY(TypeText(QStringLiteral("ab12")));
        QVERIFY(Press(Qt::Key_Return));
    }

    // Set Code: Next is disabled with no code, yet the focus is in the box, not on Cancel.
    QCOMPARE(Step(), 7);
    CheckFocusSafe("Set Code");
    CheckNames(dlg.StepPage<CTabCode>(CBrindleDlg::StepCode), {{CodeIds::Code, QStringLiteral("Firmware Code:")}},
               Said::Name);
    QCOMPARE(Focus(), static_cast<QWidget *>(
                          dlg.StepPage<CTabCode>(CBrindleDlg::StepCode)->GetDlgItem<CEditAlnum>(CodeIds::Code)));
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
    QCOMPARE(Focus(), static_cast<QWidget *>(
                          dlg.StepPage<CTabFile>(CBrindleDlg::StepSave)->GetDlgItem<QLineEdit>(FileIds::Path)));
    QVERIFY(TypeText(written));
    QVERIFY(Press(Qt::Key_Return));
    QCOMPARE(Step(), 10);
    QVERIFY(m_wizard.services.messages.isEmpty());

    // Finish: Enter ends the program.
    QCOMPARE(Focus(), static_cast<QWidget *>(dlg.CancelButton()));
    QCOMPARE(dlg.CancelButton()->text(), QStringLiteral("Finish"));
    QVERIFY(Press(Qt::Key_Return));
    QVERIFY(!dlg.isVisible());

    // Every choice made by keyboard is in the written file.
    CFirmwareRecord check(nullptr);
    QCOMPARE(check.LoadFirmware(written), Firmware::FileResult::Done);
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

bool TestKeyboard::StartLoaded(const QByteArray &version, int kind)
{
    const QString source = m_dir.filePath(QStringLiteral("source.fw"));
    if (!ImageBuilder(ImageBuilder::Kind(kind), version).setStrings({"Norvale", "USB Host", "0001"}).writeTo(source))
        return false;
    QFile::remove(m_dir.filePath(QStringLiteral("out.fw")));
    if (!m_wizard.StartActive())
        return false;
    if (!TypeText(source) || !Press(Qt::Key_Return))
        return false;
    return Step() == CBrindleDlg::StepSummary;
}

bool TestKeyboard::Forward(int key, Qt::KeyboardModifiers modifiers)
{
    const int before = Step();
    if (before == CBrindleDlg::StepCode) {
        m_wizard.dlg->StepPage<CTabCode>(CBrindleDlg::StepCode)->GetDlgItem<CEditAlnum>(CodeIds::Code)->setFocus();
        TypeText(QStringLiteral("B01"));
    } else if (before == CBrindleDlg::StepSave) {
        m_wizard.dlg->StepPage<CTabFile>(CBrindleDlg::StepSave)->GetDlgItem<QLineEdit>(FileIds::Path)->setFocus();
        TypeText(m_dir.filePath(QStringLiteral("out.fw")));
    }
    g_focused.clear();
    if (!Press(key, modifiers))
        return false;
    // Enter and the accelerators act at once, before any key typed after them.
    return Step() != before;
}

QWidget *TestKeyboard::ExpectedFocus() const
{
    if (m_wizard.dlg->NextMode() == CBrindleDlg::NextFinished)
        return m_wizard.dlg->CancelButton();
    return m_wizard.dlg->StepPage(Step())->FirstInput();
}

void TestKeyboard::focusOnPageChange_data()
{
    QTest::addColumn<QByteArray>("version");
    QTest::addRow("QHAR") << QByteArray("03.64QHARF");
    QTest::addRow("QSOL") << QByteArray("03.64QSOLF");
    QTest::addRow("QWEX") << QByteArray("03.66QWEXA");
}

void TestKeyboard::focusOnPageChange()
{
    QFETCH(QByteArray, version);
    QVERIFY(StartLoaded(version, ImageBuilder::Rom));
    CBrindleDlg &dlg = *m_wizard.dlg;
    const QList<QWidget *> buttons = {dlg.BackButton(), dlg.NextButton(), dlg.CancelButton()};

    // Alt+B and Alt+N press Back and Next; Alt+W presses "Write". The captions show the letters.
    QCOMPARE(Stripped(dlg.BackButton()->text()), QStringLiteral("< Back"));
    QCOMPARE(QKeySequence::mnemonic(dlg.BackButton()->text()), QKeySequence(Qt::ALT | Qt::Key_B));
    QCOMPARE(QKeySequence::mnemonic(dlg.NextButton()->text()), QKeySequence(Qt::ALT | Qt::Key_N));

    // Each change of page puts the focus straight into the new page's first input: it is the one
    // and only control a screen reader hears of as focused, never Back, Next or Cancel on the way.
    // Every page up to "File Save" has such an input (the summaries' first line is one).
    const auto checkArrival = [&](const char *how) {
        const QByteArray where = QByteArray(how) + " onto " + dlg.StepTitles().at(Step()).toLatin1();
        QWidget *expected = ExpectedFocus();
        return expected && (Step() == CBrindleDlg::StepFinish || !buttons.contains(expected)) && Focus() == expected
                       && FocusEvents() == QList<QObject *>{expected}
                   ? QByteArray()
                   : where + ": focus went through " + [] {
                         QByteArray names;
                         for (QObject *o : std::as_const(g_focused))
                             names += QByteArray(o ? o->metaObject()->className() : "none") + " \""
                                      + (o ? o->property("text").toString().toUtf8() : QByteArray()) + "\" ";
                         return names;
                     }();
    };
    // Forward with Enter to "Confirm Summary".
    while (Step() < CBrindleDlg::StepConfirm) {
        QVERIFY(Forward(Qt::Key_Return, Qt::NoModifier));
        QVERIFY2(checkArrival("Enter").isEmpty(), checkArrival("Enter").constData());
    }
    // Back with Alt+B to "File Open", then forward with Alt+N.
    while (Step() > CBrindleDlg::StepOpen) {
        QVERIFY(Forward(Qt::Key_B, Qt::AltModifier));
        QVERIFY2(checkArrival("Alt+B").isEmpty(), checkArrival("Alt+B").constData());
    }
    QCOMPARE(Stripped(dlg.NextButton()->text()), QStringLiteral("Next >"));
    while (Step() < CBrindleDlg::StepSave) {
        QVERIFY(Forward(Qt::Key_N, Qt::AltModifier));
        QVERIFY2(checkArrival("Alt+N").isEmpty(), checkArrival("Alt+N").constData());
    }
    // A click on Back takes the focus to Back with the press; the page change then moves it on.
    QTest::mouseClick(dlg.BackButton(), Qt::LeftButton);
    QCOMPARE(Step(), int(CBrindleDlg::StepConfirm));
    QCOMPARE(Focus(), ExpectedFocus());
    QVERIFY(Forward(Qt::Key_N, Qt::AltModifier));
    QCOMPARE(Stripped(dlg.NextButton()->text()), QStringLiteral("Write"));
    QCOMPARE(QKeySequence::mnemonic(dlg.NextButton()->text()), QKeySequence(Qt::ALT | Qt::Key_W));
    QVERIFY(Forward(Qt::Key_W, Qt::AltModifier));
    QVERIFY2(checkArrival("Alt+W").isEmpty(), checkArrival("Alt+W").constData());
    QCOMPARE(Step(), int(CBrindleDlg::StepFinish));
    QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("out.fw"))));
    QCOMPARE(dlg.CancelButton()->text(), QStringLiteral("Finish"));
}

void TestKeyboard::browseHandsFocusToNext()
{
    const QString source = m_dir.filePath(QStringLiteral("browsed.rom"));
    QVERIFY(ImageBuilder(ImageBuilder::Rom, "03.64QHARF").writeTo(source));
    QVERIFY(m_wizard.StartActive());
    QWidget *browse = m_wizard.dlg->StepPage(CBrindleDlg::StepOpen)->GetDlgItem(FileIds::Browse);

    // Enter on a focused push button presses that button: here it opens the file dialog.
    QVERIFY(Press(Qt::Key_Tab));
    QCOMPARE(Focus(), browse);
    QVERIFY(Press(Qt::Key_Return));
    QCOMPARE(m_wizard.services.fileRequests.size(), 1);
    QCOMPARE(Focus(), browse);  // cancelled: nothing changes

    // A file chosen, the focus is on Next, and the next Enter loads it.
    m_wizard.services.nextFileNames = {source};
    QVERIFY(Press(Qt::Key_Return));
    QCOMPARE(m_wizard.services.fileRequests.size(), 2);
    QCOMPARE(Focus(), static_cast<QWidget *>(m_wizard.dlg->NextButton()));
    QVERIFY(Press(Qt::Key_Return));
    QCOMPARE(Step(), int(CBrindleDlg::StepSummary));
    QCOMPARE(m_wizard.services.fileRequests.size(), 2);
    QCOMPARE(m_wizard.dlg->Record().m_strSourceFile, source);

    // The same on the save page: the name chosen, Enter writes.
    QVERIFY(m_wizard.dlg->isVisible());
}

// Next turned off while it has the focus: the focus goes into the page, never on by itself to
// Cancel, where the next Enter would end the program.
void TestKeyboard::focusLeavesNextTurnedOff()
{
    const QString source = m_dir.filePath(QStringLiteral("browsed.rom"));
    QVERIFY(ImageBuilder(ImageBuilder::Rom, "03.64QHARF").writeTo(source));
    QVERIFY(m_wizard.StartActive());
    auto *page = m_wizard.PageAt<CTabFile>(CBrindleDlg::StepOpen);
    QWidget *pathBox = page->GetDlgItem(FileIds::Path);

    // Browse puts the focus on Next.
    m_wizard.services.nextFileNames = {source};
    QVERIFY(Press(Qt::Key_Tab));
    QCOMPARE(Focus(), page->GetDlgItem(FileIds::Browse));
    QVERIFY(Press(Qt::Key_Return));
    QCOMPARE(Focus(), static_cast<QWidget *>(m_wizard.dlg->NextButton()));

    // A file that does not exist dropped on the page: Next turns off.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("missing.rom")))});
    const QPoint at = pathBox->geometry().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(page, &enter);
    QVERIFY(enter.isAccepted());
    g_focused.clear();
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(page, &drop);
    QVERIFY(drop.isAccepted());
    QVERIFY(!m_wizard.NextEnabled());
    QCOMPARE(Focus(), pathBox);
    QCOMPARE(FocusEvents(), QList<QObject *>{pathBox});

    // Enter there loads nothing and moves nowhere; it only says why, and the wizard stays open.
    QVERIFY(Press(Qt::Key_Return));
    QCOMPARE(Step(), int(CBrindleDlg::StepOpen));
    QCOMPARE(m_wizard.services.messages.size(), 1);
    QCOMPARE(m_wizard.services.messages.constFirst().caption, QStringLiteral("Could not open source file"));
    QVERIFY(m_wizard.dlg->isVisible());
}

void TestKeyboard::enterPressesFocusedButton()
{
    QVERIFY(StartLoaded("03.64QHARF", ImageBuilder::Rom));
    // Copy, focused on "File Summary": Enter copies and stays.
    auto *copy = m_wizard.dlg->StepPage(CBrindleDlg::StepSummary)->GetDlgItem(SummaryIds::Copy);
    QGuiApplication::clipboard()->clear();
    copy->setFocus(Qt::TabFocusReason);
    QVERIFY(Press(Qt::Key_Return));
    QCOMPARE(Step(), int(CBrindleDlg::StepSummary));
    QCOMPARE(QGuiApplication::clipboard()->text(),
             m_wizard.dlg->StepPage<CTabSummary>(CBrindleDlg::StepSummary)->CopyText());
    // Back, focused: Enter goes back, and the focus goes on into the page.
    m_wizard.dlg->StepPage(CBrindleDlg::StepSummary)->FirstInput()->setFocus();
    QVERIFY(Forward(Qt::Key_Return, Qt::NoModifier));
    QVERIFY(Forward(Qt::Key_Return, Qt::NoModifier));
    QCOMPARE(Step(), int(CBrindleDlg::StepInit));
    m_wizard.dlg->BackButton()->setFocus(Qt::TabFocusReason);
    QVERIFY(Press(Qt::Key_Return));
    QCOMPARE(Step(), int(CBrindleDlg::StepBaud));
    QCOMPARE(Focus(), m_wizard.dlg->StepPage(CBrindleDlg::StepBaud)->FirstInput());
}

void TestKeyboard::contextMenuKeys()
{
    QVERIFY(StartLoaded("03.64QHARF", ImageBuilder::Rom));
    QVERIFY(Press(Qt::Key_Return));
    QCOMPARE(Step(), int(CBrindleDlg::StepBaud));
    QVERIFY(Press(Qt::Key_Tab));  // a radio button, which has no menu of its own
    QWidget *radio = Focus();
    QVERIFY(qobject_cast<QRadioButton *>(radio));

    // Shift+F10, like the Menu key, opens the window's context menu with the About entry. (The
    // X11 platform turns the Menu key into a menu request, which the end-to-end test presses.)
    for (const auto &[key, modifiers] : {std::pair{Qt::Key_F10, Qt::ShiftModifier}}) {
        QStringList entries;
        QTimer::singleShot(0, this, [&entries] {
            if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                for (QAction *action : menu->actions())
                    entries.append(action->text());
                menu->close();
            }
        });
        // (The offscreen platform hands the window no activation back when a menu closes.)
        m_wizard.dlg->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_wizard.dlg.get()));
        QCOMPARE(Focus(), radio);
        QVERIFY(Press(key, modifiers));
        QTRY_COMPARE(entries, QStringList{QString::fromLatin1(kAboutMenuText)});
        QVERIFY(!QApplication::activePopupWidget());
        QCOMPARE(Step(), int(CBrindleDlg::StepBaud));
    }
}

void TestKeyboard::textBoxMenuOffersAbout_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("step");    // the page whose first input, a text box, has the focus
    QTest::addColumn<int>("reason");  // how the menu is asked for

    for (int step : {int(CBrindleDlg::StepOpen), int(CBrindleDlg::StepCode)}) {
        const QByteArray page = step == CBrindleDlg::StepOpen ? "File Open" : "Set Code";
        QTest::addRow("%s: Shift+F10", page.constData()) << int(Qt::Key_F10) << step << 0;
        QTest::addRow("%s: Menu key", page.constData()) << int(Qt::Key_Menu) << step << 0;
    }
    QTest::addRow("Set Code: right button") << int(Qt::Key_unknown) << int(CBrindleDlg::StepCode) << 1;
}

void TestKeyboard::textBoxMenuOffersAbout()
{
    QFETCH(int, key);
    QFETCH(int, step);
    QFETCH(int, reason);
    if (step == CBrindleDlg::StepOpen)
        QVERIFY(m_wizard.StartActive());
    else
        QVERIFY(StartLoaded("03.64QHARF", ImageBuilder::Rom));
    while (Step() < step)
        QVERIFY(Forward(Qt::Key_Return, Qt::NoModifier));
    auto *box = qobject_cast<QLineEdit *>(Focus());
    QVERIFY(box);

    // The box's own entries, then the About entry after a separator. Asked for from the keyboard,
    // the menu opens on its first entry that can be chosen, which a screen reader says.
    QStringList entries;
    QString active;
    bool aboutOpened = false;
    QTimer::singleShot(0, this, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction *action : menu->actions())
            entries.append(action->isSeparator() ? QStringLiteral("-") : Stripped(action->text()).section(u'\t', 0, 0));
        if (reason == 0 && QTest::qWaitFor([menu] { return menu->activeAction() != nullptr; }))
            active = Stripped(menu->activeAction()->text()).section(u'\t', 0, 0);
        // Choosing the About entry opens the About box over the wizard.
        QTimer::singleShot(0, this, [&aboutOpened] {
            if (auto *about = qobject_cast<CAboutDlg *>(QApplication::activeModalWidget())) {
                aboutOpened = true;
                about->accept();
            }
        });
        menu->actions().constLast()->trigger();
        menu->close();
    });
    if (key == Qt::Key_F10) {
        QVERIFY(Press(Qt::Key_F10, Qt::ShiftModifier));
    } else {
        // The platform turns the Menu key into a request from the keyboard, a click into one from
        // the mouse.
        const QPoint at = box->rect().center();
        QContextMenuEvent event(reason == 0 ? QContextMenuEvent::Keyboard : QContextMenuEvent::Mouse, at,
                                box->mapToGlobal(at));
        QApplication::sendEvent(box, &event);
    }
    QTRY_VERIFY(!entries.isEmpty());
    QVERIFY2(entries.contains(QStringLiteral("Paste")), qPrintable(entries.join(u'|')));
    QCOMPARE(entries.mid(entries.size() - 2), (QStringList{QStringLiteral("-"), QStringLiteral("About Brindle...")}));
    if (reason == 0)
        QVERIFY2(!active.isEmpty() && entries.contains(active), qPrintable(active));
    QTRY_VERIFY(aboutOpened);
    QCOMPARE(Step(), step);
}

// clang-format off
void TestKeyboard::acceleratorsNeverType_data()
{
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("typed");  // typed into the page's first input, a text box, first

    QTest::addRow("File Open, empty")         << QByteArray() << int(CBrindleDlg::StepOpen) << "";
    QTest::addRow("File Open, missing file")  << QByteArray() << int(CBrindleDlg::StepOpen) << "missing.rom";
    QTest::addRow("Set PID/VID, wrong ID")    << QByteArray("03.64QSOLF") << int(CBrindleDlg::StepUsb) << "zz";
    QTest::addRow("Set Target Directory, 3")  << QByteArray("03.66QWEXA") << int(CBrindleDlg::StepDirPrefix) << "AB1";
    QTest::addRow("Set Code, two characters") << QByteArray("03.64QHARF") << int(CBrindleDlg::StepCode) << "B0";
    QTest::addRow("File Save, empty")         << QByteArray("03.64QHARF") << int(CBrindleDlg::StepSave) << "";
}
// clang-format on

void TestKeyboard::acceleratorsNeverType()
{
    QFETCH(QByteArray, version);
    QFETCH(int, step);
    QFETCH(QString, typed);
    if (version.isEmpty())
        QVERIFY(m_wizard.StartActive());
    else
        QVERIFY(StartLoaded(version, ImageBuilder::Rom));
    while (Step() < step) {
        if (Step() == CBrindleDlg::StepCode || Step() == CBrindleDlg::StepSave)
            QVERIFY(Forward(Qt::Key_Return, Qt::NoModifier));  // types a code or a name to go on with
        else
            QVERIFY(Forward(Qt::Key_N, Qt::AltModifier));
    }
    QCOMPARE(Step(), step);
    auto *box = qobject_cast<QLineEdit *>(Focus());
    QVERIFY(box);
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Backspace);
    QVERIFY(TypeText(typed));
    const QString before = box->text();
    QVERIFY(!m_wizard.NextEnabled());

    // Next is disabled (and Back too on "File Open"), and "Write" is not on offer before "File
    // Save": each accelerator does nothing, and no letter reaches the box.
    for (Qt::Key letter : {Qt::Key_N, Qt::Key_B, Qt::Key_W}) {
        if (letter == Qt::Key_B && step != CBrindleDlg::StepOpen)
            continue;  // Back is enabled there, and goes back
        if (letter == Qt::Key_W && step == CBrindleDlg::StepSave)
            continue;  // "Write" is Next there, disabled like Next elsewhere: Alt+N's case
        QVERIFY(Press(letter, Qt::AltModifier));
        QCOMPARE(box->text(), before);
        QCOMPARE(Step(), step);
        QCOMPARE(Focus(), static_cast<QWidget *>(box));
    }
    if (step == CBrindleDlg::StepSave) {
        QVERIFY(Press(Qt::Key_W, Qt::AltModifier));
        QCOMPARE(box->text(), before);
        QCOMPARE(Step(), step);
    }
    QVERIFY(m_wizard.services.messages.isEmpty());
}

void TestKeyboard::acceleratorActsBeforeNextKey()
{
    // Alt+N on "File Open" with a file, then Space at once: the wizard is on "File Summary" when
    // the Space comes, and the path keeps no blank.
    const QString source = m_dir.filePath(QStringLiteral("fw.rom"));
    QVERIFY(ImageBuilder(ImageBuilder::Rom, "03.64QHARF").writeTo(source));
    QVERIFY(m_wizard.StartActive());
    auto *path = m_wizard.Control<QLineEdit>(CBrindleDlg::StepOpen, FileIds::Path);
    QVERIFY(TypeText(source));
    QVERIFY(Press(Qt::Key_N, Qt::AltModifier));
    QVERIFY(Press(Qt::Key_Space));
    QCOMPARE(Step(), int(CBrindleDlg::StepSummary));
    QCOMPARE(path->text(), source);
    // Alt+B, then a letter at once: the letter goes to the path box, at its end, not past it.
    QVERIFY(Press(Qt::Key_B, Qt::AltModifier));
    QCOMPARE(Step(), int(CBrindleDlg::StepOpen));
    QCOMPARE(Focus(), static_cast<QWidget *>(path));
}

// clang-format off
void TestKeyboard::acceleratorsKeepTypedOrder_data()
{
    QTest::addColumn<int>("step");          // where the keys are typed
    QTest::addColumn<QStringList>("keys");  // "alt+n", "alt+b", "space", or text typed a key at a time
    QTest::addColumn<int>("endStep");       // where the wizard is after them
    QTest::addColumn<int>("boxStep");       // the page of the text box read at the end
    QTest::addColumn<QString>("boxText");   // its text; "%1" stands for the source file's path

    QTest::addRow("Set Code: two characters, Alt+N, the third")
        << int(CBrindleDlg::StepCode) << QStringList{"b0", "alt+n", "1"}
        << int(CBrindleDlg::StepCode) << int(CBrindleDlg::StepCode) << "B01";
    QTest::addRow("Set Code: three characters, Alt+N, a fourth")
        << int(CBrindleDlg::StepCode) << QStringList{"b01", "alt+n", "x"}
        << int(CBrindleDlg::StepConfirm) << int(CBrindleDlg::StepCode) << "B01";
    QTest::addRow("Set Code: Alt+B, Alt+N, a letter")
        << int(CBrindleDlg::StepCode) << QStringList{"b01", "alt+b", "alt+n", "z"}
        << int(CBrindleDlg::StepCode) << int(CBrindleDlg::StepCode) << "Z";
    QTest::addRow("File Open: Alt+N, Space")
        << int(CBrindleDlg::StepOpen) << QStringList{"alt+n", "space"}
        << int(CBrindleDlg::StepSummary) << int(CBrindleDlg::StepOpen) << "%1";
    QTest::addRow("File Summary: Alt+B, a letter")
        << int(CBrindleDlg::StepSummary) << QStringList{"alt+b", "x"}
        << int(CBrindleDlg::StepOpen) << int(CBrindleDlg::StepOpen) << "%1x";
}
// clang-format on

void TestKeyboard::acceleratorsKeepTypedOrder()
{
    QFETCH(int, step);
    QFETCH(QStringList, keys);
    QFETCH(int, endStep);
    QFETCH(int, boxStep);
    QFETCH(QString, boxText);

    // While a screen reader runs, every typed key waits for the reader before the program gets it,
    // and may come well after the keys pressed after it were read. The accelerators still act in
    // their place among the keys typed: a key typed before Alt+N is handled before it, one typed
    // after it on the page Alt+N shows.
    const QString source = m_dir.filePath(QStringLiteral("source.fw"));
    if (step == CBrindleDlg::StepOpen) {
        QVERIFY(ImageBuilder(ImageBuilder::Rom, "03.64QHARF").writeTo(source));
        QVERIFY(m_wizard.StartActive());
        QVERIFY(TypeText(source));
    } else {
        QVERIFY(StartLoaded("03.64QHARF", ImageBuilder::Rom));
    }
    while (Step() < step)
        QVERIFY(Forward(Qt::Key_Return, Qt::NoModifier));
    QCOMPARE(Step(), step);

    if (step == CBrindleDlg::StepCode) {
        // A whole code, selected: Next is enabled, and the first key typed replaces the code.
        QVERIFY(TypeText(QStringLiteral("A12")));
        QVERIFY(Press(Qt::Key_A, Qt::ControlModifier));
        QVERIFY(m_wizard.NextEnabled());
    }
    KeyHolder holder;
    for (const QString &k : keys) {
        if (k == QLatin1String("alt+n"))
            QVERIFY(Press(Qt::Key_N, Qt::AltModifier));
        else if (k == QLatin1String("alt+b"))
            QVERIFY(Press(Qt::Key_B, Qt::AltModifier));
        else if (k == QLatin1String("space"))
            QVERIFY(Press(Qt::Key_Space));
        else
            QVERIFY(TypeText(k));
    }
    // Nothing has happened yet: every key waits.
    QCOMPARE(Step(), step);
    QVERIFY(holder.Held() >= 2 * keys.size());
    holder.Deliver();

    QCOMPARE(Step(), endStep);
    const int boxId = boxStep == CBrindleDlg::StepCode ? int(CodeIds::Code) : int(FileIds::Path);
    QCOMPARE(m_wizard.Control<QLineEdit>(boxStep, boxId)->text(),
             boxText.contains(QLatin1String("%1")) ? boxText.arg(source) : boxText);
    if (endStep == CBrindleDlg::StepConfirm)
        QCOMPARE(m_wizard.dlg->Record().m_strVersionCode, boxText);
    QVERIFY(m_wizard.services.messages.isEmpty());
}

void TestKeyboard::arrowsInRadioPairs_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("first");  // the button read first (top, or left)
    QTest::addColumn<int>("second");

    QTest::addRow("Data Bits") << int(CBrindleDlg::StepBaud) << int(BaudIds::EightBits) << int(BaudIds::SevenBits);
    QTest::addRow("Stop Bits") << int(CBrindleDlg::StepBaud) << int(BaudIds::OneStopBit) << int(BaudIds::TwoStopBits);
    QTest::addRow("Input Mode") << int(CBrindleDlg::StepInit) << int(InitIds::BinaryInput) << int(InitIds::AsciiInput);
    QTest::addRow("Command Mode") << int(CBrindleDlg::StepInit) << int(InitIds::ExtendedCommands)
                                  << int(InitIds::ShortCommands);
}

void TestKeyboard::arrowsInRadioPairs()
{
    QFETCH(int, step);
    QFETCH(int, first);
    QFETCH(int, second);
    QVERIFY(StartLoaded("03.64QHARF", ImageBuilder::Rom));
    while (Step() < step)
        QVERIFY(Forward(Qt::Key_Return, Qt::NoModifier));
    auto *a = m_wizard.Control<QRadioButton>(step, first);
    auto *b = m_wizard.Control<QRadioButton>(step, second);
    a->setChecked(true);
    a->setFocus(Qt::TabFocusReason);

    // Any arrow moves to the other button of a pair and checks it, as on Windows: Up and Left to
    // the previous button, Down and Right to the next, round from one end to the other.
    const struct {
        Qt::Key key;
        QRadioButton *to;
    } moves[] = {{Qt::Key_Down, b}, {Qt::Key_Down, a}, {Qt::Key_Right, b}, {Qt::Key_Right, a},
                 {Qt::Key_Up, b},   {Qt::Key_Up, a},   {Qt::Key_Left, b},  {Qt::Key_Left, a}};
    for (const auto &move : moves) {
        QVERIFY(Press(move.key));
        QCOMPARE(Focus(), static_cast<QWidget *>(move.to));
        QVERIFY(move.to->isChecked());
        QVERIFY(!(move.to == a ? b : a)->isChecked());
        QCOMPARE(Step(), step);
    }
}

void TestKeyboard::enterOnMissingPathSaysWhy()
{
    QVERIFY(m_wizard.StartActive());
    const QString missing = m_dir.filePath(QStringLiteral("missing.rom"));
    QVERIFY(TypeText(missing));
    auto *reason = m_wizard.Control<QLabel>(CBrindleDlg::StepOpen, FileIds::Reason);
    QCOMPARE(reason->text(), QStringLiteral("No file named %1.").arg(missing));
    QVERIFY(reason->isVisible());
    QVERIFY(!m_wizard.NextEnabled());

    // Enter does not do nothing: the loader says why, as for a file named on the command line.
    QVERIFY(Press(Qt::Key_Return));
    QCOMPARE(m_wizard.services.messages.size(), 1);
    QCOMPARE(m_wizard.services.messages.constFirst().caption, QStringLiteral("Could not open source file"));
    QVERIFY2(m_wizard.services.messages.constFirst().text.contains(QStringLiteral("missing.rom")),
             qPrintable(m_wizard.services.messages.constFirst().text));
    QCOMPARE(Step(), int(CBrindleDlg::StepOpen));
    // An empty box has nothing to say about.
    m_wizard.Control<QLineEdit>(CBrindleDlg::StepOpen, FileIds::Path)->clear();
    QVERIFY(reason->isHidden());
    QVERIFY(Press(Qt::Key_Return));
    QCOMPARE(m_wizard.services.messages.size(), 1);
}

void TestKeyboard::overwriteQuestionDefaultsToNo()
{
    // The real message boxes: Enter on the overwrite question keeps the file, Escape too; Yes
    // replaces it.
    const QString source = m_dir.filePath(QStringLiteral("fw.rom"));
    const QString target = m_dir.filePath(QStringLiteral("there.rom"));
    QVERIFY(ImageBuilder(ImageBuilder::Rom, "03.64QHARF").writeTo(source));
    QVERIFY(ImageBuilder::WriteFile(target, "the file that was there"));
    CBrindleDlg dlg;
    dlg.show();
    dlg.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    QVERIFY(TypeText(source));
    QVERIFY(Press(Qt::Key_Return));
    while (dlg.CurrentStep() < CBrindleDlg::StepSave) {
        if (dlg.CurrentStep() == CBrindleDlg::StepCode)
            QVERIFY(TypeText(QStringLiteral("B01")));
        const int before = dlg.CurrentStep();
        QVERIFY(Press(Qt::Key_Return));
        QVERIFY(dlg.CurrentStep() > before);
    }
    QVERIFY(TypeText(target));

    for (const auto &[answer, modifiers] : {std::pair{Qt::Key_Return, Qt::NoModifier},
                                            {Qt::Key_Escape, Qt::NoModifier},
                                            {Qt::Key_Space, Qt::NoModifier}}) {
        // (The offscreen platform hands the window no activation back when a box closes.)
        dlg.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        // The box is answered by its keys once it is shown.
        QString text, caption, defaultButton;
        QTimer answering;
        connect(&answering, &QTimer::timeout, this, [&, answer = answer, modifiers = modifiers] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            answering.stop();
            text = box->text();
            caption = box->windowTitle();
            defaultButton = box->defaultButton() ? Stripped(box->defaultButton()->text()) : QString();
            // Yes: Space on its button; Enter and Escape: on the box.
            if (answer == Qt::Key_Space)
                QTest::keyClick(box->button(QMessageBox::Yes), answer, modifiers);
            else
                QTest::keyClick(box, answer, modifiers);
        });
        answering.start(0);
        QVERIFY(Press(Qt::Key_W, Qt::AltModifier));
        QCOMPARE(text, QStringLiteral("Overwrite file there.rom"));
        QCOMPARE(caption, QStringLiteral("File Exists"));
        QCOMPARE(defaultButton, QStringLiteral("No"));
        QFile written(target);
        QVERIFY(written.open(QIODevice::ReadOnly));
        if (answer == Qt::Key_Space) {
            QCOMPARE(dlg.CurrentStep(), int(CBrindleDlg::StepFinish));
            QCOMPARE(written.size(), 65536);
        } else {
            QCOMPARE(dlg.CurrentStep(), int(CBrindleDlg::StepSave));
            QCOMPARE(written.readAll(), QByteArray("the file that was there"));
        }
    }
    dlg.close();
}

void TestKeyboard::promptTabOrderAndCodeSelection()
{
    QVERIFY(StartLoaded("03.66QWEXA", ImageBuilder::Rom));
    while (Step() < CBrindleDlg::StepPrompt)
        QVERIFY(Forward(Qt::Key_Return, Qt::NoModifier));

    // Tab goes down the boxes of "Set Prompt" as they stand on screen.
    CTabPrompt *prompt = m_wizard.dlg->StepPage<CTabPrompt>(CBrindleDlg::StepPrompt);
    QList<QWidget *> boxes;
    for (QCheckBox *box : prompt->findChildren<QCheckBox *>())
        boxes.append(box);
    QCOMPARE(boxes.size(), 6);
    std::sort(boxes.begin(), boxes.end(), [](QWidget *a, QWidget *b) { return a->y() < b->y(); });
    QCOMPARE(Focus(), boxes.first());
    for (int i = 1; i < boxes.size(); ++i) {
        QVERIFY(Press(Qt::Key_Tab));
        QCOMPARE(Focus(), boxes.at(i));
    }

    // Arriving in the filled prefix box, with the page or by Tab, selects the prefix: typing
    // replaces it.
    QVERIFY(Forward(Qt::Key_Return, Qt::NoModifier));
    CTabCode *prefix = m_wizard.dlg->StepPage<CTabCode>(CBrindleDlg::StepDirPrefix);
    QCOMPARE(Focus(), static_cast<QWidget *>(prefix->GetDlgItem<CEditAlnum>(CodeIds::Code)));
    QVERIFY(!prefix->GetDlgItem<CEditAlnum>(CodeIds::Code)->text().isEmpty());
    QTRY_COMPARE(prefix->GetDlgItem<CEditAlnum>(CodeIds::Code)->selectedText(),
                 prefix->GetDlgItem<CEditAlnum>(CodeIds::Code)->text());
    QVERIFY(TypeText(QStringLiteral("ab12")));
    QCOMPARE(prefix->GetDlgItem<CEditAlnum>(CodeIds::Code)->text(), QStringLiteral("AB12"));
    for (int guard = 0; guard < 8 && Focus() == prefix->GetDlgItem<CEditAlnum>(CodeIds::Code); ++guard)
        QVERIFY(Press(Qt::Key_Tab));
    for (int guard = 0; guard < 8 && Focus() != prefix->GetDlgItem<CEditAlnum>(CodeIds::Code); ++guard)
        QVERIFY(Press(Qt::Key_Tab));
    QCOMPARE(Focus(), static_cast<QWidget *>(prefix->GetDlgItem<CEditAlnum>(CodeIds::Code)));
    QTRY_COMPARE(prefix->GetDlgItem<CEditAlnum>(CodeIds::Code)->selectedText(), QStringLiteral("AB12"));

    // The same for the version code, on the way back to it: Next, then Back.
    QVERIFY(Forward(Qt::Key_Return, Qt::NoModifier));
    QVERIFY(Forward(Qt::Key_Return, Qt::NoModifier));  // types "B01" and moves on
    QVERIFY(Forward(Qt::Key_B, Qt::AltModifier));
    CTabCode *code = m_wizard.dlg->StepPage<CTabCode>(CBrindleDlg::StepCode);
    QCOMPARE(Focus(), static_cast<QWidget *>(code->GetDlgItem<CEditAlnum>(CodeIds::Code)));
    QTRY_COMPARE(code->GetDlgItem<CEditAlnum>(CodeIds::Code)->selectedText(), QStringLiteral("B01"));
    QVERIFY(TypeText(QStringLiteral("c02")));
    QCOMPARE(code->GetDlgItem<CEditAlnum>(CodeIds::Code)->text(), QStringLiteral("C02"));
    // A click places the cursor and selects nothing.
    PressNext(*m_wizard.dlg);
    QVERIFY(Forward(Qt::Key_B, Qt::AltModifier));
    m_wizard.dlg->NextButton()->setFocus();
    QTest::mouseClick(code->GetDlgItem<CEditAlnum>(CodeIds::Code), Qt::LeftButton, Qt::NoModifier,
                      QPoint(2, code->GetDlgItem<CEditAlnum>(CodeIds::Code)->height() / 2));
    QVERIFY(code->GetDlgItem<CEditAlnum>(CodeIds::Code)->selectedText().isEmpty());
}

void TestKeyboard::CheckPageForScreenReader()
{
    CWizardPage *page = m_wizard.dlg->StepPage(Step());
    const QByteArray where = m_wizard.dlg->StepTitles().at(Step()).toLatin1();
    const char *at = where.constData();

    // The page is a part of the window, as a child dialog is, named by its title and described
    // by its description, as the header shows them: a reader says both as the focus enters it.
    QAccessibleInterface *pageIface = QAccessible::queryAccessibleInterface(page);
    QVERIFY2(pageIface, at);
    QCOMPARE(pageIface->role(), QAccessible::Dialog);
    QCOMPARE(pageIface->text(QAccessible::Name), m_wizard.dlg->GetDlgItem<QLabel>(WizardIds::Title)->text());
    QCOMPARE(pageIface->text(QAccessible::Description),
             m_wizard.dlg->GetDlgItem<QLabel>(WizardIds::Description)->text());
    QVERIFY2(page->isAncestorOf(Focus()) || Step() == CBrindleDlg::StepFinish, at);

    for (QWidget *w : page->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(page) || !(w->focusPolicy() & Qt::ClickFocus))
            continue;
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
        const QString name = iface->text(QAccessible::Name);
        const QByteArray what = where + ": " + w->metaObject()->className() + " \"" + name.toUtf8() + "\"";
        QVERIFY2(!name.isEmpty(), what.constData());
        if (auto *combo = qobject_cast<QComboBox *>(w)) {
            // A list is named by its label, whatever it holds; its item is its value.
            QCOMPARE(iface->role(), QAccessible::ComboBox);
            QVERIFY2(LabelOf(w), what.constData());
            QCOMPARE(name, Stripped(LabelOf(w)->text(QAccessible::Name)));
            QCOMPARE(iface->text(QAccessible::Value), combo->currentText());
            QVERIFY2(name.endsWith(QLatin1Char(':')), what.constData());
        } else if (auto *radio = qobject_cast<QRadioButton *>(w)) {
            // A radio button is named by its text, in a group named by its pair's label; nothing
            // labels the button itself, so the pair's name is said once, as the focus enters it.
            QCOMPARE(iface->role(), QAccessible::RadioButton);
            QCOMPARE(name, radio->text());
            QVERIFY2(!LabelOf(w), what.constData());
            QAccessibleInterface *group = iface->parent();
            QCOMPARE(group->role(), QAccessible::Grouping);
            QVERIFY2(group->text(QAccessible::Name).endsWith(QLatin1Char(':')), what.constData());
        } else if (auto *edit = qobject_cast<QLineEdit *>(w)) {
            QCOMPARE(iface->role(), QAccessible::EditableText);
            if (LabelOf(w))
                QCOMPARE(name, Stripped(LabelOf(w)->text(QAccessible::Name)));
            if (qobject_cast<CEditAlnum *>(edit)) {
                QCOMPARE(iface->text(QAccessible::Description),
                         QStringLiteral("Exactly %1 letters or digits; letters become capitals.")
                             .arg(static_cast<CTabCode *>(page)->RequiredLength()));
            }
        } else if (auto *label = qobject_cast<QLabel *>(w)) {
            // The summary lines and the finish report are read by Tab, each line by its label.
            QCOMPARE(name, label->text());
            QVERIFY2(w->focusPolicy() & Qt::TabFocus, what.constData());
            if (Step() != CBrindleDlg::StepFinish) {
                QVERIFY2(LabelOf(w), what.constData());
                QVERIFY2(LabelOf(w)->text(QAccessible::Name).endsWith(QLatin1Char(':')), what.constData());
            }
        } else if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            QCOMPARE(name, Stripped(button->text()));
        }
    }
}

void TestKeyboard::screenReaderPages_data()
{
    walkByKeyboard_data();
}

void TestKeyboard::screenReaderPages()
{
    QFETCH(QByteArray, version);
    QFETCH(int, kind);
    QVERIFY(StartLoaded(version, kind));
    CBrindleDlg &dlg = *m_wizard.dlg;

    // The wizard's own controls: the logo has a name, the link is a link, Back and Next read as
    // their captions.
    QCOMPARE(QAccessible::queryAccessibleInterface(dlg.GetDlgItem(WizardIds::Logo))->text(QAccessible::Name),
             QStringLiteral("Norvale logo"));
    QCOMPARE(QAccessible::queryAccessibleInterface(dlg.BackButton())->text(QAccessible::Name),
             QStringLiteral("< Back"));
    QCOMPARE(QAccessible::queryAccessibleInterface(dlg.NextButton())->text(QAccessible::Name),
             QStringLiteral("Next >"));

    // The path box has a name.
    QCOMPARE(QAccessible::queryAccessibleInterface(
                 dlg.StepPage<CTabFile>(CBrindleDlg::StepOpen)->GetDlgItem<QLineEdit>(FileIds::Path))
                 ->text(QAccessible::Name),
             QStringLiteral("Name of the firmware file to modify"));
    QCOMPARE(QAccessible::queryAccessibleInterface(
                 dlg.StepPage<CTabFile>(CBrindleDlg::StepSave)->GetDlgItem<QLineEdit>(FileIds::Path))
                 ->text(QAccessible::Name),
             QStringLiteral("Name of the firmware file to write"));

    for (int guard = 0; guard < CBrindleDlg::kStepCount && Step() < CBrindleDlg::StepFinish; ++guard) {
        CheckPageForScreenReader();
        if (QTest::currentTestFailed())
            return;
        if (Step() == CBrindleDlg::StepBaud) {
            // A list holding nothing it knows is still named by its label.
            auto *parity = dlg.StepPage<CTabBaudRate>(CBrindleDlg::StepBaud)->GetDlgItem<QComboBox>(BaudIds::Parity);
            parity->setCurrentIndex(-1);
            QCOMPARE(QAccessible::queryAccessibleInterface(parity)->text(QAccessible::Name), QStringLiteral("Parity:"));
            parity->setCurrentIndex(0);
        }
        if (Step() == CBrindleDlg::StepUsb) {
            // The reason line is a notification: shown (and so said) as it appears and as it
            // changes, hidden while there is no reason; the boxes it is about do not repeat it.
            CTabUsbSlave *usb = dlg.StepPage<CTabUsbSlave>(CBrindleDlg::StepUsb);
            auto *reason = usb->GetDlgItem<QLabel>(UsbIds::Reason);
            QCOMPARE(QAccessible::queryAccessibleInterface(reason)->role(), QAccessible::Notification);
            QVERIFY(reason->isHidden());
            usb->GetDlgItem<QLineEdit>(UsbIds::Manufacturer)->setFocus();
            usb->GetDlgItem<QLineEdit>(UsbIds::Manufacturer)->setText(QString(130, QLatin1Char('M')));
            QVERIFY(reason->isVisible());
            QCOMPARE(QAccessible::queryAccessibleInterface(reason)->text(QAccessible::Name), reason->text());
            QVERIFY(reason->text().startsWith(QStringLiteral("The two strings are ")));
            for (QLineEdit *edit :
                 {usb->GetDlgItem<QLineEdit>(UsbIds::Manufacturer), usb->GetDlgItem<QLineEdit>(UsbIds::Product)})
                QCOMPARE(QAccessible::queryAccessibleInterface(edit)->text(QAccessible::Description), QString());
            usb->GetDlgItem<QLineEdit>(UsbIds::Manufacturer)->setText(QStringLiteral("Norvale"));
            QVERIFY(reason->isHidden());
        }
        QVERIFY(Forward(Qt::Key_Return, Qt::NoModifier));
    }
    // "Finish" has the focus and says which page this is; Tab reaches the report (after the link).
    QCOMPARE(Focus(), static_cast<QWidget *>(dlg.CancelButton()));
    QVERIFY(QAccessible::queryAccessibleInterface(dlg.CancelButton())
                ->text(QAccessible::Description)
                .startsWith(QStringLiteral("Firmware Modified. ")));
    CheckPageForScreenReader();
    QWidget *report =
        dlg.StepPage<CTabFinish>(CBrindleDlg::StepFinish)->GetDlgItem<CSelectableText>(FinishIds::Message);
    for (int guard = 0; guard < 3 && Focus() != report; ++guard)
        QVERIFY(Press(Qt::Key_Tab));
    QCOMPARE(Focus(), report);
}

void TestKeyboard::linkAndAboutBox()
{
    QVERIFY(m_wizard.StartActive());

    // The link: role link, named by its address, reached by Tab, followed by Enter and Space.
    auto *link = m_wizard.dlg->GetDlgItem<CHyperlinkStatic>(WizardIds::WebSite);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(link);
    QCOMPARE(iface->role(), QAccessible::Link);
    QCOMPARE(iface->text(QAccessible::Name), QString::fromLatin1(kWebSiteAddress));
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
    auto restore = qScopeGuard([] { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); });
    for (int guard = 0; guard < 8 && Focus() != link; ++guard)
        QVERIFY(Press(Qt::Key_Tab));
    QCOMPARE(Focus(), static_cast<QWidget *>(link));
    QVERIFY(Press(Qt::Key_Return));
    QVERIFY(Press(Qt::Key_Space));
    QCOMPARE(recorder.urls.size(), 2);
    QCOMPARE(recorder.urls.first().host(), QUrl(QString::fromLatin1(kWebSiteAddress)).host());
    QVERIFY(m_wizard.dlg->isVisible());
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(recorder.urls.size(), 3);

    // The About box reads from top to bottom.
    CAboutDlg about(m_wizard.dlg.get());
    QAccessibleInterface *box = QAccessible::queryAccessibleInterface(&about);
    QList<int> tops;
    for (int i = 0; i < box->childCount(); ++i) {
        QAccessibleInterface *child = box->child(i);
        if (child->role() == QAccessible::StaticText)
            tops.append(static_cast<QWidget *>(child->object())->y());
    }
    QCOMPARE(tops.size(), 3);
    QVERIFY(std::is_sorted(tops.begin(), tops.end()));
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
