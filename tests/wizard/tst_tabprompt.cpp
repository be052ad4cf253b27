// "Set Prompt", alone in a stand-in frame: the six boxes, the flags into them on show ("Show"
// boxes inverted) and back on leaving, and each box moving its own flag only; in the wizard, the
// same boxes for every firmware type, and on every options page each box moving one flag and
// every flag moved by a box.

// Qt
#include <QAbstractButton>
#include <QCheckBox>
#include <QMap>
#include <QSet>
#include <QtTest>

#include "firmware/firmwareformat.h"
#include "firmware/flags.h"
#include "firmware/settings.h"
#include "pages/optionspage.h"
#include "pages/tabprompt.h"
#include "pagesuite.h"

namespace {

constexpr int kDisableUpgrades = PromptIds::DisableUpgrades;
constexpr int kDisableDataMode = PromptIds::DisableDataMode;
constexpr int kDisableStatusInfo = PromptIds::DisableStatusInfo;
constexpr int kShowVersionReport = PromptIds::ShowVersionReport;
constexpr int kShowPrompt = PromptIds::ShowPrompt;
constexpr int kShowDeviceConnects = PromptIds::ShowDeviceConnects;
constexpr int kBoxIds[] = {kDisableUpgrades,   kDisableDataMode, kDisableStatusInfo,
                           kShowVersionReport, kShowPrompt,      kShowDeviceConnects};

// The six flags as bits, in the order of the members.
enum Flag {
    DisableUpgrades = 1,
    HideConnects = 2,
    DisableDataMode = 4,
    DisableStatusInfo = 8,
    HideVersionReport = 16,
    HidePrompt = 32,
    AllFlags = 63,
};

// An options page's controls by template id, each with the flag it moves by its profile key.
using BoxFlags = QMap<int, QString>;

}  // namespace

class TestTabPrompt : public QObject, public PageSuite<CTabPrompt>
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void texts();
    void sameBoxesForEveryType_data();
    void sameBoxesForEveryType();
    void showAndLeave_data();
    void showAndLeave();
    void eachBoxMovesItsFlag_data();
    void eachBoxMovesItsFlag();
    void leavesOtherSettingsAlone();
    void boxesOfOptionsPages_data();
    void boxesOfOptionsPages();
    void boxesAndFlagsMatch();

private:
    QCheckBox *box(int id) const { return page()->GetDlgItem<QCheckBox>(id); }
    void showPage(int flags);
    int flags() const;
    QList<int> checkedBoxes() const;
    QMap<int, QMap<int, QSet<QString>>> flagsOfBoxes();
};

void TestTabPrompt::init()
{
    QVERIFY(StartPage(IDD_TAB_PROMPT));
}

void TestTabPrompt::cleanup()
{
    QCOMPARE(StopAll(), QStringList());  // no window at all, of the wizard or the frame
}

void TestTabPrompt::showPage(int f)
{
    Firmware::Settings s;
    s.m_bDisableUpgrades = f & DisableUpgrades;
    s.m_bHideConnects = f & HideConnects;
    s.m_bDisableDataMode = f & DisableDataMode;
    s.m_bDisableStatusInfo = f & DisableStatusInfo;
    s.m_bHideVersionReport = f & HideVersionReport;
    s.m_bHidePrompt = f & HidePrompt;
    page()->SetSettings(s);
    m_frame.Arrive(page());
}

int TestTabPrompt::flags() const
{
    Firmware::Settings s;
    page()->GetSettings(s);
    return (s.m_bDisableUpgrades ? DisableUpgrades : 0) | (s.m_bHideConnects ? HideConnects : 0)
           | (s.m_bDisableDataMode ? DisableDataMode : 0) | (s.m_bDisableStatusInfo ? DisableStatusInfo : 0)
           | (s.m_bHideVersionReport ? HideVersionReport : 0) | (s.m_bHidePrompt ? HidePrompt : 0);
}

QList<int> TestTabPrompt::checkedBoxes() const
{
    QList<int> ids;
    for (int id : kBoxIds) {
        if (box(id)->isChecked())
            ids.append(id);
    }
    return ids;
}

void TestTabPrompt::texts()
{
    showPage(0);
    QCOMPARE(box(kDisableUpgrades)->text(), QStringLiteral("Disable Firmware Upgrades"));
    QCOMPARE(box(kDisableDataMode)->text(), QStringLiteral("Disable Data Mode"));
    QCOMPARE(box(kDisableStatusInfo)->text(), QStringLiteral("Disable Sonette Status Information"));
    QCOMPARE(box(kShowVersionReport)->text(), QStringLiteral("Show Version Report at startup"));
    QCOMPARE(box(kShowPrompt)->text(), QStringLiteral("Show Prompt"));
    QCOMPARE(box(kShowDeviceConnects)->text(), QStringLiteral("Show Device Connects/Removals"));
    QVERIFY(m_frame.NextEnabled());
}

void TestTabPrompt::sameBoxesForEveryType_data()
{
    QTest::addColumn<QByteArray>("version");

    QTest::newRow("QHAR") << QByteArray("03.64QHARF");
    QTest::newRow("QSOL") << QByteArray("03.64QSOLF");
    QTest::newRow("QWEX") << QByteArray("03.64QWEXF");
    QTest::newRow("QJ4J") << QByteArray("03.64QJ4JF");
}

void TestTabPrompt::sameBoxesForEveryType()
{
    QVERIFY(StartWizard(CBrindleDlg::StepPrompt));
    QFETCH(QByteArray, version);

    // A file whose options hide the prompt and the version report.
    using namespace Firmware;
    QVERIFY(m_wizard.Load(ImageBuilder(ImageBuilder::Rom, version).setOption(kOptHidePrompt | kOptHideVersionReport)));
    QVERIFY(m_wizard.NextUntil(CBrindleDlg::StepPrompt));
    for (int id : kBoxIds) {
        QVERIFY(box(id)->isVisible());
        QVERIFY(box(id)->isEnabled());
    }
    QCOMPARE(checkedBoxes(), (QList<int>{kShowDeviceConnects}));
}

void TestTabPrompt::showAndLeave_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<QList<int>>("checked");

    QTest::newRow("all clear") << 0 << QList<int>{kShowVersionReport, kShowPrompt, kShowDeviceConnects};
    QTest::newRow("all set") << int(AllFlags) << QList<int>{kDisableUpgrades, kDisableDataMode, kDisableStatusInfo};
    QTest::newRow("upgrades disabled") << int(
        DisableUpgrades) << QList<int>{kDisableUpgrades, kShowVersionReport, kShowPrompt, kShowDeviceConnects};
    QTest::newRow("connects hidden") << int(HideConnects) << QList<int>{kShowVersionReport, kShowPrompt};
    QTest::newRow("data mode disabled") << int(
        DisableDataMode) << QList<int>{kDisableDataMode, kShowVersionReport, kShowPrompt, kShowDeviceConnects};
    QTest::newRow("status information disabled")
        << int(DisableStatusInfo)
        << QList<int>{kDisableStatusInfo, kShowVersionReport, kShowPrompt, kShowDeviceConnects};
    QTest::newRow("version report hidden") << int(HideVersionReport) << QList<int>{kShowPrompt, kShowDeviceConnects};
    QTest::newRow("prompt hidden") << int(HidePrompt) << QList<int>{kShowVersionReport, kShowDeviceConnects};
    QTest::newRow("prompt and version report hidden")
        << int(HidePrompt | HideVersionReport) << QList<int>{kShowDeviceConnects};
}

void TestTabPrompt::showAndLeave()
{
    QFETCH(int, flags);
    QFETCH(QList<int>, checked);

    // The opposite values first, so that a box left as it was would show.
    showPage(AllFlags & ~flags);
    m_frame.Next();

    showPage(flags);
    QCOMPARE(checkedBoxes(), checked);
    m_frame.Next();
    QVERIFY(!page()->isVisible());
    QCOMPARE(this->flags(), flags);
}

void TestTabPrompt::eachBoxMovesItsFlag_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("flag");

    QTest::newRow("Disable Firmware Upgrades") << kDisableUpgrades << int(DisableUpgrades);
    QTest::newRow("Disable Data Mode") << kDisableDataMode << int(DisableDataMode);
    QTest::newRow("Disable Sonette Status Information") << kDisableStatusInfo << int(DisableStatusInfo);
    QTest::newRow("Show Version Report at startup") << kShowVersionReport << int(HideVersionReport);
    QTest::newRow("Show Prompt") << kShowPrompt << int(HidePrompt);
    QTest::newRow("Show Device Connects/Removals") << kShowDeviceConnects << int(HideConnects);
}

void TestTabPrompt::eachBoxMovesItsFlag()
{
    QFETCH(int, id);
    QFETCH(int, flag);

    // From every flag clear and from every flag set, one click changes that flag only.
    for (int start : {0, int(AllFlags)}) {
        showPage(start);
        WizardDriver::Click(box(id));
        m_frame.Next();
        QCOMPARE(flags(), start ^ flag);
    }
}

void TestTabPrompt::leavesOtherSettingsAlone()
{
    // The page hands back its own six flags and nothing else: the init flags, which the wizard
    // exchanges with the other options page, and every other value stay as they were.
    showPage(AllFlags);
    m_frame.Next();
    Firmware::Settings s;
    s.m_bDisableLedFlash = s.m_bShortCommandSet = s.m_bAsciiInput = true;
    s.m_nBaudRate = 115200;
    s.m_strVersion = QStringLiteral("03.64QHARF");
    Firmware::Settings expected = s;
    expected.m_bDisableUpgrades = expected.m_bHideConnects = expected.m_bDisableDataMode = true;
    expected.m_bDisableStatusInfo = expected.m_bHideVersionReport = expected.m_bHidePrompt = true;
    page()->GetSettings(s);
    QVERIFY(s == expected);
}

// For every options page of the wizard (by step), each of its check boxes and radio buttons and
// the JSON keys of the flags a click on it changes, from a file with every flag clear and from
// one with every flag set, so that each radio button is clicked while unchecked once. A click
// that changes anything but flags is recorded as "not a flag".
QMap<int, QMap<int, QSet<QString>>> TestTabPrompt::flagsOfBoxes()
{
    QMap<int, QMap<int, QSet<QString>>> result;
    // The init byte 0x51 and the option byte 0x52, every bit the firmware reads clear, then set.
    for (const auto &[init, option] : {std::pair{0x00, 0x00}, std::pair{0x83, 0xCF}}) {
        if (!m_wizard.Start() || !m_wizard.Load(ImageBuilder(ImageBuilder::Rom).setInit(init).setOption(option)))
            return {};
        for (int step = 0; step < CBrindleDlg::kStepCount; ++step) {
            auto *page = qobject_cast<COptionsPage *>(m_wizard.dlg->StepPage(step));
            if (!page)
                continue;
            if (!m_wizard.NextUntil(step))
                return {};
            for (QAbstractButton *button : page->findChildren<QAbstractButton *>()) {
                if (!button->isCheckable() || (button->autoExclusive() && button->isChecked()))
                    continue;
                // Off the page and back, so that the page holds what its boxes show.
                m_wizard.Next();
                m_wizard.Back();
                Firmware::Settings before;
                page->GetSettings(before);
                WizardDriver::Click(button);
                m_wizard.Next();
                m_wizard.Back();
                Firmware::Settings after;
                page->GetSettings(after);
                QSet<QString> &moved = result[step][button->property("controlId").toInt()];
                for (const Firmware::FlagDef &f : Firmware::kFlags) {
                    if (after.*f.member != before.*f.member) {
                        moved.insert(QString::fromLatin1(f.key));
                        after.*f.member = before.*f.member;
                    }
                }
                if (!(after == before))
                    moved.insert(QStringLiteral("not a flag"));
            }
        }
        m_wizard.Stop();
    }
    return result;
}

void TestTabPrompt::boxesOfOptionsPages_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<BoxFlags>("boxes");

    // Each control of the page by its template id, and the flag it moves by its profile key.
    QTest::newRow("Set Init") << int(CBrindleDlg::StepInit)
                              << BoxFlags{{1019, "ledFlash"},
                                          {1022, "inputMode"},
                                          {1023, "inputMode"},
                                          {1024, "commandSet"},
                                          {1025, "commandSet"}};
    QTest::newRow("Set Prompt") << int(CBrindleDlg::StepPrompt)
                                << BoxFlags{{1017, "upgrades"},      {1018, "dataMode"}, {1019, "statusInfo"},
                                            {1020, "versionReport"}, {1021, "prompt"},   {1026, "deviceConnects"}};
}

void TestTabPrompt::boxesOfOptionsPages()
{
    QFETCH(int, step);
    QFETCH(BoxFlags, boxes);

    const auto pages = flagsOfBoxes();
    QVERIFY(pages.contains(step));
    BoxFlags got;
    for (auto it = pages[step].cbegin(); it != pages[step].cend(); ++it) {
        QStringList keys = it.value().values();
        keys.sort();
        got.insert(it.key(), keys.join(QLatin1Char('+')));
    }
    QCOMPARE(got, boxes);
}

void TestTabPrompt::boxesAndFlagsMatch()
{
    // Each box of every options page moves one flag and nothing else, and every flag of the table
    // is moved by a box.
    QSet<QString> moved;
    const auto pages = flagsOfBoxes();
    QVERIFY(!pages.isEmpty());
    for (auto page = pages.cbegin(); page != pages.cend(); ++page) {
        for (auto box = page->cbegin(); box != page->cend(); ++box) {
            const QString where = QStringLiteral("step %1, control %2").arg(page.key()).arg(box.key());
            QVERIFY2(box->size() == 1, qPrintable(where + QStringLiteral(" moves no flag, or several")));
            QVERIFY2(!box->contains(QStringLiteral("not a flag")),
                     qPrintable(where + QStringLiteral(" moves a setting that is no flag")));
            moved.unite(*box);
        }
    }
    for (const Firmware::FlagDef &f : Firmware::kFlags)
        QVERIFY2(moved.contains(QString::fromLatin1(f.key)), f.key);
    QCOMPARE(moved.size(), qsizetype(Firmware::kFlags.size()));
}

QTEST_MAIN(TestTabPrompt)
#include "tst_tabprompt.moc"
