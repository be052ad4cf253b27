// "Set Baud", alone in a stand-in frame: the controls and the three lists, the five values into
// the controls on show and back on leaving (including values that the controls cannot show), and
// the user's choices.

// Qt
#include <QComboBox>
#include <QRadioButton>
#include <QtTest>

#include "pages/tabbaudrate.h"
#include "pagesuite.h"
#include "resources/resourceids.h"

namespace {

constexpr int kSevenBits = BaudIds::SevenBits;
constexpr int kEightBits = BaudIds::EightBits;
constexpr int kOneStopBit = BaudIds::OneStopBit;
constexpr int kTwoStopBits = BaudIds::TwoStopBits;

struct Uart {
    int baud, dataBits, stopBits, parity, flow;
};

}  // namespace

class TestTabBaudRate : public QObject, public PageSuite<CTabBaudRate>
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void texts();
    void lists();
    void showAndLeave_data();
    void showAndLeave();
    void userChoices();
    void unknownFlowEntry();
    void listWidths();

private:
    QRadioButton *radio(int id) const { return page()->GetDlgItem<QRadioButton>(id); }
    CTabBaudRate *showPage(const Uart &values);
    Uart stored() const;
    static QStringList items(const QComboBox *combo);
};

void TestTabBaudRate::init()
{
    QVERIFY(StartPage(IDD_TAB_BAUDRATE));
}

void TestTabBaudRate::cleanup()
{
    QCOMPARE(StopAll(), QStringList());  // no window at all, of the wizard or the frame
}

CTabBaudRate *TestTabBaudRate::showPage(const Uart &values)
{
    CTabBaudRate *p = page();
    Firmware::Settings settings;
    settings.m_nBaudRate = values.baud;
    settings.m_nDataBits = values.dataBits;
    settings.m_nStopBits = values.stopBits;
    settings.m_nParity = values.parity;
    settings.m_nFlowControl = values.flow;
    p->SetSettings(settings);
    m_frame.Arrive(p);
    return p;
}

Uart TestTabBaudRate::stored() const
{
    const Firmware::Settings s = collected();
    return {s.m_nBaudRate, s.m_nDataBits, s.m_nStopBits, s.m_nParity, s.m_nFlowControl};
}

QStringList TestTabBaudRate::items(const QComboBox *combo)
{
    QStringList result;
    for (int i = 0; i < combo->count(); ++i)
        result.append(combo->itemText(i));
    return result;
}

void TestTabBaudRate::texts()
{
    showPage({9600, 8, 1, 0, 0});
    QCOMPARE(radio(kSevenBits)->text(), QStringLiteral("7 Bits"));
    QCOMPARE(radio(kEightBits)->text(), QStringLiteral("8 Bits"));
    QCOMPARE(radio(kOneStopBit)->text(), QStringLiteral("1 Bit"));
    QCOMPARE(radio(kTwoStopBits)->text(), QStringLiteral("2 Bits"));
    // The page never touches Next.
    QVERIFY(m_frame.NextEnabled());
}

void TestTabBaudRate::lists()
{
    // Filled once, at creation, in this order: the index is the key, so nothing is sorted.
    const QStringList rates = {"300",    "600",     "1200",    "2400",    "4800",   "9600",
                               "19200",  "38400",   "57600",   "115200",  "230400", "460800",
                               "921600", "1000000", "1500000", "2000000", "3000000"};
    QCOMPARE(items(page()->GetDlgItem<QComboBox>(BaudIds::BaudRate)), rates);
    QCOMPARE(items(page()->GetDlgItem<QComboBox>(BaudIds::Parity)), (QStringList{"None", "Odd", "Even"}));
    QCOMPARE(items(page()->GetDlgItem<QComboBox>(BaudIds::FlowControl)),
             (QStringList{"None", "CTS/RTS", "DTR/DSR", "XON/XOFF"}));
    for (const QComboBox *combo :
         {page()->GetDlgItem<QComboBox>(BaudIds::BaudRate), page()->GetDlgItem<QComboBox>(BaudIds::Parity),
          page()->GetDlgItem<QComboBox>(BaudIds::FlowControl)})
        QVERIFY(!combo->isEditable());

    // Showing the page again does not add entries.
    showPage({9600, 8, 1, 0, 0});
    m_frame.Next();
    m_frame.Back();
    QVERIFY(page()->IsShown());
    QCOMPARE(page()->GetDlgItem<QComboBox>(BaudIds::BaudRate)->count(), 17);
    QCOMPARE(page()->GetDlgItem<QComboBox>(BaudIds::Parity)->count(), 3);
    QCOMPARE(page()->GetDlgItem<QComboBox>(BaudIds::FlowControl)->count(), 4);
}

void TestTabBaudRate::showAndLeave_data()
{
    // In: the five members. Shown: baud text, "7 Bits" checked, "2 Bits" checked, parity and
    // flow indexes (-1 an empty box). Out: the five members after leaving.
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("stopBits");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("flow");
    QTest::addColumn<QString>("shownBaud");
    QTest::addColumn<bool>("shownSeven");
    QTest::addColumn<bool>("shownTwo");
    QTest::addColumn<int>("shownParity");
    QTest::addColumn<int>("shownFlow");
    QTest::addColumn<int>("outBaud");
    QTest::addColumn<int>("outDataBits");
    QTest::addColumn<int>("outStopBits");
    QTest::addColumn<int>("outParity");
    QTest::addColumn<int>("outFlow");

    QTest::newRow("9600 8N1") << 9600 << 8 << 1 << 0 << 0 << "9600" << false << false << 0 << 0 << 9600 << 8 << 1 << 0
                              << 0;
    QTest::newRow("3000000 7E2 XON/XOFF")
        << 3000000 << 7 << 2 << 2 << 3 << "3000000" << true << true << 2 << 3 << 3000000 << 7 << 2 << 2 << 3;
    QTest::newRow("300 8O1 CTS/RTS") << 300 << 8 << 1 << 1 << 1 << "300" << false << false << 1 << 1 << 300 << 8 << 1
                                     << 1 << 1;
    QTest::newRow("1000000 7N1 DTR/DSR") << 1000000 << 7 << 1 << 0 << 2 << "1000000" << true << false << 0 << 2
                                         << 1000000 << 7 << 1 << 0 << 2;
    QTest::newRow("rate not in the list")
        << 14400 << 8 << 1 << 0 << 0 << "9600" << false << false << 0 << 0 << 9600 << 8 << 1 << 0 << 0;
    QTest::newRow("rate 0") << 0 << 8 << 1 << 0 << 0 << "9600" << false << false << 0 << 0 << 9600 << 8 << 1 << 0 << 0;
    // The list offers to keep a flow control the monitor does not know, rather than showing
    // nothing and giving back "None".
    QTest::newRow("unknown flow control")
        << 115200 << 8 << 1 << 0 << 4 << "115200" << false << false << 0 << 4 << 115200 << 8 << 1 << 0 << 4;
    QTest::newRow("flow beyond unknown") << 115200 << 8 << 1 << 0 << 5 << "115200" << false << false << 0 << -1
                                         << 115200 << 8 << 1 << 0 << 0;
    QTest::newRow("parity out of range") << 57600 << 8 << 1 << 3 << 1 << "57600" << false << false << -1 << 1 << 57600
                                         << 8 << 1 << 0 << 1;
    QTest::newRow("negative parity and flow")
        << 19200 << 8 << 1 << -1 << -1 << "19200" << false << false << -1 << -1 << 19200 << 8 << 1 << 0 << 0;
    QTest::newRow("5 data bits") << 38400 << 5 << 2 << 2 << 0 << "38400" << false << true << 2 << 0 << 38400 << 8 << 2
                                 << 2 << 0;
    QTest::newRow("0 stop bits") << 4800 << 7 << 0 << 1 << 0 << "4800" << true << false << 1 << 0 << 4800 << 7 << 1 << 1
                                 << 0;
}

void TestTabBaudRate::showAndLeave()
{
    QFETCH(int, baud);
    QFETCH(int, dataBits);
    QFETCH(int, stopBits);
    QFETCH(int, parity);
    QFETCH(int, flow);
    QFETCH(QString, shownBaud);
    QFETCH(bool, shownSeven);
    QFETCH(bool, shownTwo);
    QFETCH(int, shownParity);
    QFETCH(int, shownFlow);
    QFETCH(int, outBaud);
    QFETCH(int, outDataBits);
    QFETCH(int, outStopBits);
    QFETCH(int, outParity);
    QFETCH(int, outFlow);

    // Another value first, so that a control left as it was would show.
    showPage({3000000, 7, 2, 2, 3});
    m_frame.Next();

    CTabBaudRate *p = showPage({baud, dataBits, stopBits, parity, flow});
    QCOMPARE(p->GetDlgItem<QComboBox>(BaudIds::BaudRate)->currentText(), shownBaud);
    QCOMPARE(radio(kSevenBits)->isChecked(), shownSeven);
    QCOMPARE(radio(kEightBits)->isChecked(), !shownSeven);
    QCOMPARE(radio(kTwoStopBits)->isChecked(), shownTwo);
    QCOMPARE(radio(kOneStopBit)->isChecked(), !shownTwo);
    QCOMPARE(p->GetDlgItem<QComboBox>(BaudIds::Parity)->currentIndex(), shownParity);
    QCOMPARE(p->GetDlgItem<QComboBox>(BaudIds::FlowControl)->currentIndex(), shownFlow);
    if (shownFlow < 0)
        QCOMPARE(p->GetDlgItem<QComboBox>(BaudIds::FlowControl)->currentText(), QString());
    // Showing stores nothing yet.
    QCOMPARE(stored().baud, baud);
    QCOMPARE(stored().flow, flow);

    m_frame.Next();
    QVERIFY(!p->isVisible());
    const Uart out = stored();
    QCOMPARE(out.baud, outBaud);
    QCOMPARE(out.dataBits, outDataBits);
    QCOMPARE(out.stopBits, outStopBits);
    QCOMPARE(out.parity, outParity);
    QCOMPARE(out.flow, outFlow);
}

void TestTabBaudRate::userChoices()
{
    CTabBaudRate *p = showPage({9600, 8, 1, 0, 4});
    p->GetDlgItem<QComboBox>(BaudIds::BaudRate)->setFocus();
    QTest::keyClick(p->GetDlgItem<QComboBox>(BaudIds::BaudRate), Qt::Key_End);
    QCOMPARE(p->GetDlgItem<QComboBox>(BaudIds::BaudRate)->currentText(), QStringLiteral("3000000"));
    QTest::keyClick(p->GetDlgItem<QComboBox>(BaudIds::BaudRate), Qt::Key_Up);
    p->GetDlgItem<QComboBox>(BaudIds::Parity)->setFocus();
    QTest::keyClick(p->GetDlgItem<QComboBox>(BaudIds::Parity), Qt::Key_Down);
    p->GetDlgItem<QComboBox>(BaudIds::FlowControl)->setFocus();
    QTest::keyClick(p->GetDlgItem<QComboBox>(BaudIds::FlowControl), Qt::Key_End);
    QCOMPARE(p->GetDlgItem<QComboBox>(BaudIds::FlowControl)->currentText(), QStringLiteral("Unknown (keep as is)"));
    QTest::keyClick(p->GetDlgItem<QComboBox>(BaudIds::FlowControl), Qt::Key_Up);
    WizardDriver::Click(radio(kSevenBits));
    WizardDriver::Click(radio(kTwoStopBits));
    QVERIFY(!radio(kEightBits)->isChecked());
    QVERIFY(!radio(kOneStopBit)->isChecked());

    m_frame.Back();
    Uart out = stored();
    QCOMPARE(out.baud, 2000000);
    QCOMPARE(out.dataBits, 7);
    QCOMPARE(out.stopBits, 2);
    QCOMPARE(out.parity, 1);
    QCOMPARE(out.flow, 3);

    // Coming back shows the choices just made; changing them back is stored as well.
    m_frame.Next();
    QVERIFY(page()->IsShown());
    QCOMPARE(p->GetDlgItem<QComboBox>(BaudIds::BaudRate)->currentText(), QStringLiteral("2000000"));
    QVERIFY(radio(kSevenBits)->isChecked());
    QVERIFY(radio(kTwoStopBits)->isChecked());
    QCOMPARE(p->GetDlgItem<QComboBox>(BaudIds::Parity)->currentText(), QStringLiteral("Odd"));
    QCOMPARE(p->GetDlgItem<QComboBox>(BaudIds::FlowControl)->currentText(), QStringLiteral("XON/XOFF"));
    // The entry to keep the file's unknown flow byte is still offered, while the page shows the
    // same file.
    QCOMPARE(p->GetDlgItem<QComboBox>(BaudIds::FlowControl)->count(), 5);
    WizardDriver::Click(radio(kEightBits));
    WizardDriver::Click(radio(kOneStopBit));
    m_frame.Next();
    out = stored();
    QCOMPARE(out.dataBits, 8);
    QCOMPARE(out.stopBits, 1);
    QCOMPARE(out.baud, 2000000);
}

// The entry "Unknown (keep as is)" is there exactly while the file's flow byte is unknown: the
// the settings a load gives the page say so.
void TestTabBaudRate::unknownFlowEntry()
{
    const QStringList known = {"None", "CTS/RTS", "DTR/DSR", "XON/XOFF"};
    CTabBaudRate *p = showPage({9600, 8, 1, 0, 0});
    QCOMPARE(items(p->GetDlgItem<QComboBox>(BaudIds::FlowControl)), known);
    m_frame.Next();

    // A file with an unknown byte: offered and selected; the user chooses None and comes back.
    showPage({9600, 8, 1, 0, 4});
    QCOMPARE(items(p->GetDlgItem<QComboBox>(BaudIds::FlowControl)), known + QStringList{"Unknown (keep as is)"});
    QCOMPARE(p->GetDlgItem<QComboBox>(BaudIds::FlowControl)->currentIndex(), 4);
    p->GetDlgItem<QComboBox>(BaudIds::FlowControl)->setCurrentIndex(0);
    m_frame.Next();
    QCOMPARE(stored().flow, 0);
    m_frame.Back();
    QCOMPARE(p->GetDlgItem<QComboBox>(BaudIds::FlowControl)->count(), 5);
    QCOMPARE(p->GetDlgItem<QComboBox>(BaudIds::FlowControl)->currentIndex(), 0);
    p->GetDlgItem<QComboBox>(BaudIds::FlowControl)->setCurrentIndex(4);
    m_frame.Next();
    QCOMPARE(stored().flow, 4);

    // Another file, with a known byte: the entry goes.
    showPage({9600, 8, 1, 0, 2});
    QCOMPARE(items(p->GetDlgItem<QComboBox>(BaudIds::FlowControl)), known);
    QCOMPARE(p->GetDlgItem<QComboBox>(BaudIds::FlowControl)->currentText(), QStringLiteral("DTR/DSR"));
}

// Each list is as wide as its longest entry needs, whatever width the template gives it, from the
// moment the page is shown: the same on every start, and the same while the event loop runs. (Lists
// that fitted themselves to their entries on a timer of their own came out at one width or another.)
void TestTabBaudRate::listWidths()
{
    const auto widths = [](const CTabBaudRate *p) {
        return QList<int>{p->GetDlgItem<QComboBox>(BaudIds::BaudRate)->width(),
                          p->GetDlgItem<QComboBox>(BaudIds::Parity)->width(),
                          p->GetDlgItem<QComboBox>(BaudIds::FlowControl)->width()};
    };
    CTabBaudRate *p = showPage({9600, 8, 1, 0, 0});
    const QList<int> shown = widths(p);
    // The template gives the three lists one width; "None", "Odd" and "Even" need less than the
    // seven digits of the fastest rates.
    QVERIFY2(shown.at(1) < shown.at(0),
             qPrintable(QStringLiteral("parity %1, baud rate %2").arg(shown.at(1)).arg(shown.at(0))));

    QTest::qWait(100);  // longer than Qt's lists wait before they fit themselves to their entries
    QCOMPARE(widths(p), shown);
    m_frame.Next();
    m_frame.Back();
    QCOMPARE(widths(p), shown);

    // The entry for an unknown flow byte widens its list while it is there.
    m_frame.Next();
    showPage({9600, 8, 1, 0, 4});
    QVERIFY(widths(p).at(2) > shown.at(2));
    QCOMPARE(widths(p).mid(0, 2), shown.mid(0, 2));
    m_frame.Next();
    showPage({9600, 8, 1, 0, 0});
    QCOMPARE(widths(p), shown);

    // The page built anew, as at another start, has the same lists.
    m_frame.Next();
    CTabBaudRate *again = m_frame.Add(new CTabBaudRate(m_frame.frame.get()), IDD_TAB_BAUDRATE);
    m_frame.Arrive(again);
    QCOMPARE(widths(again), shown);
}

QTEST_MAIN(TestTabBaudRate)
#include "tst_tabbaudrate.moc"
