// "Set Prompt": the header, the six boxes for every firmware type, the flags into the boxes on
// show ("Show" boxes inverted) and back on leaving, each box moving its own flag only, and
// Enter and Escape.

// Qt
#include <QCheckBox>
#include <QtTest>

#include "firmwareformat.h"
#include "pages2fixture.h"
#include "tabprompt.h"

namespace {

constexpr int kPromptStep = 4;
constexpr int kCodeStep = 7;
constexpr int kDisableUpgrades = 1017;
constexpr int kDisableDataMode = 1018;
constexpr int kDisableStatusInfo = 1019;
constexpr int kShowVersionReport = 1020;
constexpr int kShowPrompt = 1021;
constexpr int kShowDeviceConnects = 1026;
constexpr int kBoxIds[] = {kDisableUpgrades, kDisableDataMode, kDisableStatusInfo,
                           kShowVersionReport, kShowPrompt, kShowDeviceConnects};

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

}  // namespace

class TestTabPrompt : public QObject
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
    void enterAndEscape_data();
    void enterAndEscape();

private:
    CTabPrompt *page() const { return m_wizard.dlg->m_pPromptPage; }
    QCheckBox *box(int id) const { return page()->GetDlgItem<QCheckBox>(id); }
    void showPage(int flags);
    int flags() const;
    QList<int> checkedBoxes() const;
    // A click on the box itself, the part of a check box that takes clicks.
    static void click(QCheckBox *b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2)); }

    WizardFixture m_wizard;
};

void TestTabPrompt::init()
{
    QVERIFY(m_wizard.Start());
}

void TestTabPrompt::cleanup()
{
    QVERIFY2(m_wizard.Stop(), "a window was left over");
}

void TestTabPrompt::showPage(int f)
{
    CTabPrompt *p = page();
    p->m_bDisableUpgrades = f & DisableUpgrades;
    p->m_bHideConnects = f & HideConnects;
    p->m_bDisableDataMode = f & DisableDataMode;
    p->m_bDisableStatusInfo = f & DisableStatusInfo;
    p->m_bHideVersionReport = f & HideVersionReport;
    p->m_bHidePrompt = f & HidePrompt;
    m_wizard.ArriveAt(kPromptStep);
}

int TestTabPrompt::flags() const
{
    const CTabPrompt *p = page();
    return (p->m_bDisableUpgrades ? DisableUpgrades : 0) | (p->m_bHideConnects ? HideConnects : 0)
        | (p->m_bDisableDataMode ? DisableDataMode : 0) | (p->m_bDisableStatusInfo ? DisableStatusInfo : 0)
        | (p->m_bHideVersionReport ? HideVersionReport : 0) | (p->m_bHidePrompt ? HidePrompt : 0);
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
    QCOMPARE(m_wizard.Title(), QStringLiteral("Choose Firmware Options"));
    QCOMPARE(m_wizard.Description(),
             QStringLiteral("Modify the behaviour of the firmware. Instructs the Monitor to not display promtps, "
                            "device detected messages and version information. Allows data mode and firmware "
                            "upgrades to be disabled."));
    CTabPrompt *p = page();
    QCOMPARE(box(kDisableUpgrades), p->m_chkDisableUpgrades);
    QCOMPARE(box(kDisableDataMode), p->m_chkDisableDataMode);
    QCOMPARE(box(kDisableStatusInfo), p->m_chkDisableStatusInfo);
    QCOMPARE(box(kShowVersionReport), p->m_chkShowVersionReport);
    QCOMPARE(box(kShowPrompt), p->m_chkShowPrompt);
    QCOMPARE(box(kShowDeviceConnects), p->m_chkShowDeviceConnects);
    QCOMPARE(p->m_chkDisableUpgrades->text(), QStringLiteral("Disable Firmware Upgrades"));
    QCOMPARE(p->m_chkDisableDataMode->text(), QStringLiteral("Disable Data Mode"));
    QCOMPARE(p->m_chkDisableStatusInfo->text(), QStringLiteral("Disable Sonette Status Information"));
    QCOMPARE(p->m_chkShowVersionReport->text(), QStringLiteral("Show Version Report at startup"));
    QCOMPARE(p->m_chkShowPrompt->text(), QStringLiteral("Show Prompt"));
    QCOMPARE(p->m_chkShowDeviceConnects->text(), QStringLiteral("Show Device Connects/Removals"));
    QVERIFY(m_wizard.NextEnabled());
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
    QFETCH(QByteArray, version);

    // A file whose options hide the prompt and the version report.
    using namespace Firmware;
    QVERIFY(m_wizard.Load(ImageBuilder(ImageBuilder::Rom, version).setOption(kOptHidePrompt | kOptHideVersionReport)));
    while (m_wizard.dlg->m_nCurrentStep < kPromptStep)
        m_wizard.Next();
    QCOMPARE(m_wizard.dlg->m_nCurrentStep, kPromptStep);
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
    QTest::addColumn<bool>("back");  // left with Back rather than Next

    QTest::newRow("all clear") << 0 << QList<int>{kShowVersionReport, kShowPrompt, kShowDeviceConnects} << false;
    QTest::newRow("all set") << int(AllFlags) << QList<int>{kDisableUpgrades, kDisableDataMode, kDisableStatusInfo}
                             << true;
    QTest::newRow("upgrades disabled")
        << int(DisableUpgrades)
        << QList<int>{kDisableUpgrades, kShowVersionReport, kShowPrompt, kShowDeviceConnects} << false;
    QTest::newRow("connects hidden") << int(HideConnects) << QList<int>{kShowVersionReport, kShowPrompt} << true;
    QTest::newRow("data mode disabled")
        << int(DisableDataMode)
        << QList<int>{kDisableDataMode, kShowVersionReport, kShowPrompt, kShowDeviceConnects} << false;
    QTest::newRow("status information disabled")
        << int(DisableStatusInfo)
        << QList<int>{kDisableStatusInfo, kShowVersionReport, kShowPrompt, kShowDeviceConnects} << true;
    QTest::newRow("version report hidden") << int(HideVersionReport) << QList<int>{kShowPrompt, kShowDeviceConnects}
                                           << false;
    QTest::newRow("prompt hidden") << int(HidePrompt) << QList<int>{kShowVersionReport, kShowDeviceConnects} << true;
    QTest::newRow("prompt and version report hidden")
        << int(HidePrompt | HideVersionReport) << QList<int>{kShowDeviceConnects} << false;
}

void TestTabPrompt::showAndLeave()
{
    QFETCH(int, flags);
    QFETCH(QList<int>, checked);
    QFETCH(bool, back);

    // The opposite values first, so that a box left as it was would show.
    showPage(AllFlags & ~flags);
    m_wizard.Next();

    showPage(flags);
    QCOMPARE(checkedBoxes(), checked);
    if (back)
        m_wizard.Back();
    else
        m_wizard.Next();
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
        click(box(id));
        m_wizard.Next();
        QCOMPARE(flags(), start ^ flag);
    }
}

void TestTabPrompt::enterAndEscape_data()
{
    QTest::addColumn<int>("focusId");

    QTest::newRow("Show Prompt") << kShowPrompt;
    QTest::newRow("Disable Sonette Status Information") << kDisableStatusInfo;
}

void TestTabPrompt::enterAndEscape()
{
    QFETCH(int, focusId);

    showPage(HidePrompt | DisableDataMode);
    QWidget *control = page()->GetDlgItem(focusId);
    control->setFocus();
    QTest::keyClick(control, Qt::Key_Return);
    // With no file loaded the steps of particular firmware types are passed over.
    QCOMPARE(m_wizard.dlg->m_nCurrentStep, kCodeStep);
    QCOMPARE(flags(), int(HidePrompt | DisableDataMode));

    m_wizard.Back();
    QCOMPARE(m_wizard.dlg->m_nCurrentStep, kPromptStep);
    control->setFocus();
    QTest::keyClick(control, Qt::Key_Escape);
    QVERIFY(!m_wizard.dlg->isVisible());
    QCOMPARE(m_wizard.dlg->result(), int(QDialog::Rejected));
}

QTEST_MAIN(TestTabPrompt)
#include "tst_tabprompt.moc"
