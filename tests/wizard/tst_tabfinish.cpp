// "Finish", alone in a stand-in frame and after a write in the wizard: the report of the
// written file, with the kind in the first line and only the file names of the source and the
// target.

// Qt
#include <QScrollBar>
#include <QtTest>

#include "controls/editalnum.h"
#include "controls/selectabletext.h"
#include "firmware/firmwareformat.h"
#include "pages/tabcode.h"
#include "pages/tabfinish.h"
#include "pagesuite.h"
#include "resources/resourceids.h"

class TestTabFinish : public QObject, public PageSuite<CTabFinish>
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void report_data();
    void report();
    void rebuiltAtEachShow();
    void longReportGrows_data();
    void longReportGrows();
    void afterWrite_data();
    void afterWrite();

private:
    QString shown() const { return page()->GetDlgItem<CSelectableText>(FinishIds::Message)->text(); }
    // Written settings of `kind` with `version`.
    static Firmware::Settings written(int kind, const QString &version)
    {
        Firmware::Settings settings;
        settings.m_nFileKind = kind;
        settings.m_strVersion = version;
        return settings;
    }
};

void TestTabFinish::init()
{
    QVERIFY(m_wizard.dir.isValid());
    QVERIFY(StartPage(IDD_TAB_FINISH));
}

void TestTabFinish::cleanup()
{
    QCOMPARE(StopAll(), QStringList());  // no window at all, of the wizard or the frame
}

// clang-format off
void TestTabFinish::report_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("text");

    QTest::newRow("ROM image")
        << int(Firmware::KindRom) << "03.64-ABCQHARF" << "/home/user/firmware/in.rom" << "/tmp/out/NEW.ROM"
        << "Successfully modified firmware ROM file.\n\nFirmware Version 03.64-ABCQHARF\n\n"
           "Original file in.rom\n\nSaved to disk as NEW.ROM";
    QTest::newRow("upgrade file")
        << int(Firmware::KindUpgrade) << "03.64-Q7ZQSOLF" << "/data/fw/source.quf" << "/data/fw/out/custom.QUF"
        << "Successfully modified firmware Upgrader file.\n\nFirmware Version 03.64-Q7ZQSOLF\n\n"
           "Original file source.quf\n\nSaved to disk as custom.QUF";
    QTest::newRow("BLD image")
        << int(Firmware::KindBld) << "03.64-ZZZQWEXF" << "/a/b.bld" << "/c/d.bin"
        << "Successfully modified firmware Upgrader file.\n\nFirmware Version 03.64-ZZZQWEXF\n\n"
           "Original file b.bld\n\nSaved to disk as d.bin";
    QTest::newRow("empty version, bare names")
        << int(Firmware::KindRom) << "" << "in.rom" << "out.rom"
        << "Successfully modified firmware ROM file.\n\nFirmware Version \n\n"
           "Original file in.rom\n\nSaved to disk as out.rom";
    QTest::newRow("blanks and dots in folders")
        << int(Firmware::KindRom) << "03.64-ABCQHARF" << "/my files/v1.2/my fw.rom" << "/x.y/z"
        << "Successfully modified firmware ROM file.\n\nFirmware Version 03.64-ABCQHARF\n\n"
           "Original file my fw.rom\n\nSaved to disk as z";
#ifdef Q_OS_WIN
    QTest::newRow("drive letters")
        << int(Firmware::KindUpgrade) << "03.64-ABCQHARF" << "C:\\Firmware\\old\\in.QUF" << "D:out.rom"
        << "Successfully modified firmware Upgrader file.\n\nFirmware Version 03.64-ABCQHARF\n\n"
           "Original file in.QUF\n\nSaved to disk as out.rom";
#endif
}
// clang-format on

void TestTabFinish::report()
{
    QFETCH(int, kind);
    QFETCH(QString, version);
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(QString, text);

    page()->SetResult(source, target, written(kind, version));
    m_frame.Arrive(page());

    // The label breaks lines at plain line feeds; the report itself uses CR LF.
    QCOMPARE(shown(), text);
    QVERIFY(page()->GetDlgItem<CSelectableText>(FinishIds::Message)->wordWrap());
}

void TestTabFinish::rebuiltAtEachShow()
{
    page()->SetResult(QStringLiteral("/a/one.rom"), QStringLiteral("/a/two.rom"),
                      written(Firmware::KindRom, QStringLiteral("03.64-ABCQHARF")));
    m_frame.Arrive(page());
    const QString first = shown();
    QVERIFY(first.startsWith(QStringLiteral("Successfully modified firmware ROM file.")));

    // Hidden, the page changes nothing; shown again, it describes the result it holds then.
    m_frame.Back();
    page()->SetResult(QStringLiteral("/a/one.rom"), QStringLiteral("/b/three.QUF"),
                      written(Firmware::KindUpgrade, QStringLiteral("03.64-ABCQHARF")));
    QCOMPARE(shown(), first);
    m_frame.Arrive(page());
    QCOMPARE(shown(), QStringLiteral("Successfully modified firmware Upgrader file.\n\nFirmware Version "
                                     "03.64-ABCQHARF\n\nOriginal file one.rom\n\nSaved to disk as three.QUF"));
    m_frame.Back();
    m_frame.Arrive(page());
    QCOMPARE(shown(), QStringLiteral("Successfully modified firmware Upgrader file.\n\nFirmware Version "
                                     "03.64-ABCQHARF\n\nOriginal file one.rom\n\nSaved to disk as three.QUF"));
}

void TestTabFinish::longReportGrows_data()
{
    QTest::addColumn<int>("nameLength");
    // Names of one line, of two or three lines each (more than the box's seven lines in any
    // font), and of dozens (more than the page in any font).
    QTest::newRow("one line") << 8;
    QTest::newRow("two lines a name") << 80;
    QTest::newRow("longer than the page") << 2000;
}

// A report longer than its box grows down to the page's foot before it scrolls, so the name
// written is seen at once; only a report longer than the page scrolls. How many lines fit
// depends on the font, so each row checks what holds in every font.
void TestTabFinish::longReportGrows()
{
    QFETCH(int, nameLength);
    auto *report = page()->GetDlgItem<CSelectableText>(FinishIds::Message);
    const int templateHeight = report->height();
    const QString name = QString(nameLength - 4, QLatin1Char('n')) + QStringLiteral(".rom");
    page()->SetResult(QStringLiteral("/in/") + name, QStringLiteral("/out/") + name,
                      written(Firmware::KindRom, QStringLiteral("03.64-ABCQHARF")));
    m_frame.Arrive(page());

    QVERIFY(report->geometry().bottom() < page()->height());
    const bool scrolls = report->verticalScrollBar()->maximum() > 0;
    if (nameLength >= 2000)
        QVERIFY2(scrolls, "a report longer than the page did not scroll");
    if (nameLength >= 80)
        QVERIFY2(report->height() > templateHeight, "the report did not grow");
    if (scrolls) {
        QCOMPARE(report->geometry().bottom(), page()->height() - 1);  // all the room taken first
    } else if (report->height() > templateHeight) {
        // Grown no more than it needs: a line less would scroll.
        const int grown = report->height();
        report->resize(report->width(), grown - report->fontMetrics().lineSpacing());
        QVERIFY2(report->verticalScrollBar()->maximum() > 0, "the report grew more than a line too far");
        report->resize(report->width(), grown);
    }
}

// clang-format off
void TestTabFinish::afterWrite_data()
{
    QTest::addColumn<int>("sourceKind");
    QTest::addColumn<QString>("sourceName");
    QTest::addColumn<QString>("targetName");
    QTest::addColumn<QString>("kindWord");

    QTest::newRow("ROM as ROM") << int(ImageBuilder::Rom) << "in.rom" << "out.ROM" << "ROM";
    QTest::newRow("ROM as QUF") << int(ImageBuilder::Rom) << "in.rom" << "out.QUF" << "Upgrader";
    QTest::newRow("QUF as ROM") << int(ImageBuilder::Upgrade) << "in.quf" << "out.rom" << "ROM";
    QTest::newRow("BLD kept") << int(ImageBuilder::Bld) << "in.bld" << "out.bld" << "Upgrader";
}
// clang-format on

void TestTabFinish::afterWrite()
{
    QVERIFY(StartWizard(CBrindleDlg::StepFinish));
    QFETCH(int, sourceKind);
    QFETCH(QString, sourceName);
    QFETCH(QString, targetName);
    QFETCH(QString, kindWord);

    // A folder for each row: where names ignore letter case, this row's "out.rom" would be the
    // "out.ROM" an earlier row wrote, and the wizard would rightly ask before replacing it.
    static int row = 0;
    const QString folder = QStringLiteral("sub%1/").arg(++row);
    QVERIFY(QDir(m_wizard.dir.path()).mkpath(folder));
    QVERIFY(m_wizard.Load(ImageBuilder(ImageBuilder::Kind(sourceKind), "03.64QHARF"), sourceName));
    QVERIFY(m_wizard.NextUntil(CBrindleDlg::StepCode));
    WizardDriver::Type(m_wizard.dlg->StepPage<CTabCode>(CBrindleDlg::StepCode)->GetDlgItem<CEditAlnum>(CodeIds::Code),
                       QStringLiteral("w1z"));
    m_wizard.Next();
    m_wizard.Next();
    QCOMPARE(m_wizard.Step(), CBrindleDlg::StepSave);
    QTest::keyClicks(m_wizard.dlg->StepPage<CTabFile>(CBrindleDlg::StepSave)->GetDlgItem<QLineEdit>(FileIds::Path),
                     m_wizard.dir.filePath(folder + targetName));
    m_wizard.Next();

    QCOMPARE(m_wizard.Step(), CBrindleDlg::StepFinish);
    QVERIFY(page()->isVisible());
    QCOMPARE(shown(), QStringLiteral("Successfully modified firmware %1 file.\n\nFirmware Version 03.64-W1ZQHARF\n\n"
                                     "Original file %2\n\nSaved to disk as %3")
                          .arg(kindWord, sourceName, targetName));
    QVERIFY(m_wizard.services.messages.isEmpty());
}

QTEST_MAIN(TestTabFinish)
#include "tst_tabfinish.moc"
