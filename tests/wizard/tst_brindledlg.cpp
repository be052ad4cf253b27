// Drives the whole wizard: its step sequence by firmware type, loading and writing at the
// right moments, copying between the record and the pages, and its finished state.

// Qt
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include "common/imagebuilder.h"
#include "controls/dialogtemplate.h"
#include "controls/editalnum.h"
#include "controls/hyperlinkstatic.h"
#include "controls/selectabletext.h"
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

using Steps = QList<int>;

class TestBrindleDlg : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstDisplay();
    void pagesBuiltWhenFirstNeeded();
    void arrowsPointTheWayRightToLeft();
    void headerTitlesFitOneLine();
    void sequence_data();
    void sequence();
    void skippedPagesAreFilledAndCollected();
    void refusedLoadStaysAndRetries();
    void refusedThenLoadedFileReadAgain();
    void samePathTwice();
    void discardQuestion_data();
    void discardQuestion();
    void versionCodeMerge_data();
    void versionCodeMerge();
    void confirmTurnsNextIntoWrite();
    void writeCaptionKeptWhilePageDecides();
    void backEnablesNext();
    void writeFailureStaysOnSave_data();
    void writeFailureStaysOnSave();
    void finishedState();
    void keysAndHeader_data();
    void keysAndHeader();
    void closeBoxEnds();
    void noMaximise();
    void linkTakesThePalettesColour();
    void textsArePlain();
    void aboutBox();
    void systemMenuEntry();
    void linkAndLogoOpenWebSite();
    void fullWalkWrites_data();
    void fullWalkWrites();

private:
    QString makeFile(const QString &name, const ImageBuilder &builder);
    void openFile(const QString &path);
    void next();
    // Next until `step`, with "ABC" on the code page and `target` in the folder on "File Save".
    void nextTo(int step, const QString &target);
    void back();
    // A click on the box itself, the part of a check box that takes clicks.
    // Next until "Confirm Summary", with `code` on the code page; returns the steps passed.
    Steps walkToConfirm(const QString &code);
    QString stepTitle() const { return m_wizard.dlg->GetDlgItem<QLabel>(WizardIds::Title)->text(); }
    // The settings the wizard would collect from its pages now.
    Firmware::Settings pagesSettings() const
    {
        Firmware::Settings settings;
        for (int step = 0; step < CBrindleDlg::kStepCount; ++step)
            m_wizard.dlg->StepPage(step)->GetSettings(settings);
        return settings;
    }
    // The version "Confirm Summary" shows, without its type code.
    QString confirmedVersion() const
    {
        return m_wizard.dlg->StepPage(CBrindleDlg::StepConfirm)->GetDlgItem<QLabel>(SummaryIds::FwVersion)->text();
    }
    // The report "Finish" shows.
    QString finishReport() const
    {
        return m_wizard.dlg->StepPage(CBrindleDlg::StepFinish)->GetDlgItem<CSelectableText>(FinishIds::Message)->text();
    }

    std::unique_ptr<QTemporaryDir> m_tempDir;
    QDir m_dir;
    WizardDriver m_wizard;  // the wizard, with recorders for its dialogs
};

void TestBrindleDlg::init()
{
    m_tempDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tempDir->isValid());
    m_dir = QDir(m_tempDir->path());
    QVERIFY(m_wizard.Start());
}

void TestBrindleDlg::cleanup()
{
    const int waitDepth = m_wizard.services.waitDepth;
    const QStringList leftovers = m_wizard.Stop();
    m_tempDir.reset();
    QCOMPARE(waitDepth, 0);
    QCOMPARE(leftovers, QStringList());
}

QString TestBrindleDlg::makeFile(const QString &name, const ImageBuilder &builder)
{
    const QString path = m_dir.filePath(name);
    if (!builder.writeTo(path))
        return QString();
    return path;
}

void TestBrindleDlg::openFile(const QString &path)
{
    QLineEdit *edit = m_wizard.dlg->StepPage<CTabFile>(CBrindleDlg::StepOpen)->GetDlgItem<QLineEdit>(FileIds::Path);
    edit->selectAll();
    QTest::keyClicks(edit, path);
}

void TestBrindleDlg::next()
{
    PressNext(*m_wizard.dlg);
}

void TestBrindleDlg::nextTo(int step, const QString &target)
{
    for (int guard = 0; guard < CBrindleDlg::kStepCount && m_wizard.dlg->CurrentStep() < step; ++guard) {
        if (m_wizard.dlg->CurrentStep() == CBrindleDlg::StepCode)
            QTest::keyClicks(
                m_wizard.dlg->StepPage<CTabCode>(CBrindleDlg::StepCode)->GetDlgItem<CEditAlnum>(CodeIds::Code),
                QStringLiteral("ABC"));
        if (m_wizard.dlg->CurrentStep() == CBrindleDlg::StepSave)
            QTest::keyClicks(
                m_wizard.dlg->StepPage<CTabFile>(CBrindleDlg::StepSave)->GetDlgItem<QLineEdit>(FileIds::Path),
                m_dir.filePath(target));
        next();
    }
}

void TestBrindleDlg::back()
{
    QTest::mouseClick(m_wizard.dlg->BackButton(), Qt::LeftButton);
}

Steps TestBrindleDlg::walkToConfirm(const QString &code)
{
    Steps steps{m_wizard.dlg->CurrentStep()};
    for (int guard = 0; guard < CBrindleDlg::kStepCount && m_wizard.dlg->CurrentStep() != CBrindleDlg::StepConfirm;
         ++guard) {
        if (m_wizard.dlg->CurrentStep() == 7) {
            m_wizard.dlg->StepPage<CTabCode>(CBrindleDlg::StepCode)->GetDlgItem<CEditAlnum>(CodeIds::Code)->clear();
            QTest::keyClicks(
                m_wizard.dlg->StepPage<CTabCode>(CBrindleDlg::StepCode)->GetDlgItem<CEditAlnum>(CodeIds::Code), code);
        }
        next();
        steps.append(m_wizard.dlg->CurrentStep());
    }
    return steps;
}

void TestBrindleDlg::firstDisplay()
{
    QCOMPARE(m_wizard.dlg->windowTitle(), QStringLiteral("Norvale Firmware Customiser V1.1b"));
    QCOMPARE(m_wizard.dlg->CurrentStep(), 0);
    QCOMPARE(stepTitle(), QStringLiteral("Select Firmware File to Modify"));
    QCOMPARE(m_wizard.dlg->GetDlgItem<QLabel>(WizardIds::Description)->text(),
             QStringLiteral("Choose the Norvale Firmware ROM or QUF file to modify."));
    QVERIFY(!m_wizard.dlg->BackButton()->isEnabled());
    QVERIFY(!m_wizard.dlg->NextButton()->isEnabled());
    QCOMPARE(m_wizard.dlg->NextButton()->text(), QString::fromLatin1(kNextCaption));
    QCOMPARE(m_wizard.dlg->GetDlgItem<QLabel>(WizardIds::Counter)->text(), QString());
    QVERIFY(m_wizard.dlg->StepPage<CTabFile>(CBrindleDlg::StepOpen)->isVisible());
    for (int i = 1; i < CBrindleDlg::kStepCount; ++i)
        QVERIFY(!m_wizard.dlg->StepPage(i)->isVisible());
    QCOMPARE(m_wizard.dlg->StepTitles().size(), CBrindleDlg::kStepCount);
    QCOMPARE(m_wizard.dlg->StepTitles().at(5), QStringLiteral("Set PID/VID"));

    // A fixed-size window with a title bar and close box, no minimise or maximise box.
    QCOMPARE(m_wizard.dlg->minimumSize(), m_wizard.dlg->maximumSize());
    const Qt::WindowFlags flags = m_wizard.dlg->windowFlags();
    QVERIFY(flags & Qt::WindowTitleHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(!m_wizard.dlg->windowIcon().isNull());

    m_wizard.dlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_wizard.dlg.get()));
    // The path box has the focus: typing a path and Enter is all it takes to open a file.
    QCOMPARE(QApplication::focusWidget(),
             m_wizard.dlg->StepPage<CTabFile>(CBrindleDlg::StepOpen)->GetDlgItem<QLineEdit>(FileIds::Path));

    // Every page is the window's child, none with a window of its own; only "File Open" is built.
    for (int i = 0; i < CBrindleDlg::kStepCount; ++i) {
        QCOMPARE(m_wizard.dlg->StepPage(i)->parentWidget(), m_wizard.dlg.get());
        QCOMPARE(m_wizard.dlg->StepPage(i)->IsCreated(), i == CBrindleDlg::StepOpen);
    }
    QCOMPARE(m_wizard.dlg->StepPage(CBrindleDlg::StepOpen)->geometry(),
             m_wizard.dlg->GetDlgItem(WizardIds::Steps)->geometry());
}

// A page is built from its template when it is first needed: "File Open" at start, the pages a
// load fills at the load (those of steps the loaded type skips as well), "Confirm Summary" and
// "Finish" when Next reaches them. Built, each covers the step area, hidden until its step.
void TestBrindleDlg::pagesBuiltWhenFirstNeeded()
{
    const auto built = [this] {
        Steps steps;
        for (int i = 0; i < CBrindleDlg::kStepCount; ++i) {
            CWizardPage *page = m_wizard.dlg->StepPage(i);
            if (!page->IsCreated())
                continue;
            steps.append(i);
            // Every page covers the same area, and only the page of the current step shows.
            if (page->geometry() != m_wizard.dlg->GetDlgItem(WizardIds::Steps)->geometry()
                || page->isVisible() != (i == m_wizard.dlg->CurrentStep()))
                steps.append(-1);
        }
        return steps;
    };
    QCOMPARE(built(), (Steps{0}));
    // A refused file builds nothing.
    QVERIFY(ImageBuilder::WriteFile(m_dir.filePath(QStringLiteral("notes.txt")), QByteArray("not firmware")));
    openFile(m_dir.filePath(QStringLiteral("notes.txt")));
    next();
    QCOMPARE(built(), (Steps{0}));

    openFile(makeFile(QStringLiteral("fw.rom"), ImageBuilder(ImageBuilder::Rom, "03.64QHARF")));
    next();
    QCOMPARE(m_wizard.dlg->CurrentStep(), 1);
    QCOMPARE(built(), (Steps{0, 1, 2, 3, 4, 5, 6, 7, 9}));
    walkToConfirm(QStringLiteral("ABC"));
    QCOMPARE(built(), (Steps{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    nextTo(CBrindleDlg::StepFinish, QStringLiteral("out.rom"));
    QCOMPARE(m_wizard.dlg->CurrentStep(), 10);
    QCOMPARE(built(), (Steps{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

void TestBrindleDlg::headerTitlesFitOneLine()
{
    // Every page's title stands on one line in the bold header font, above the description.
    const QFontMetrics fm(m_wizard.dlg->GetDlgItem<QLabel>(WizardIds::Title)->font());
    QVERIFY(m_wizard.dlg->GetDlgItem<QLabel>(WizardIds::Title)->font().bold());
    QVERIFY(!m_wizard.dlg->GetDlgItem<QLabel>(WizardIds::Title)->wordWrap());
    // (one pixel of rounding between dialog units and pixels is allowed)
    QVERIFY(m_wizard.dlg->GetDlgItem<QLabel>(WizardIds::Title)->y()
                + m_wizard.dlg->GetDlgItem<QLabel>(WizardIds::Title)->height()
            <= m_wizard.dlg->GetDlgItem<QLabel>(WizardIds::Description)->y() + 1);
    for (int i = 0; i < CBrindleDlg::kStepCount; ++i) {
        // Each page writes its title into the header when it is shown.
        m_wizard.dlg->BuiltPage(i)->ShowWindow(true);
        const QString title = stepTitle();
        m_wizard.dlg->StepPage(i)->ShowWindow(false);
        QVERIFY(!title.isEmpty());
        QVERIFY2(fm.horizontalAdvance(title) <= m_wizard.dlg->GetDlgItem<QLabel>(WizardIds::Title)->width(),
                 qPrintable(title));
        QVERIFY2(fm.height() <= m_wizard.dlg->GetDlgItem<QLabel>(WizardIds::Title)->height(), qPrintable(title));
    }
}

// clang-format off
void TestBrindleDlg::sequence_data()
{
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<Steps>("forward");

    const Steps common{0, 1, 2, 3, 4, 7, 8, 9};
    QTest::newRow("QHAR") << QByteArray("03.64QHARF") << common;
    QTest::newRow("QLYT1") << QByteArray("03.64QLYT1F") << common;
    QTest::newRow("QBEN") << QByteArray("03.64QBENF") << common;
    QTest::newRow("QTIM") << QByteArray("03.64QTIMF") << common;
    QTest::newRow("QSOL") << QByteArray("03.64QSOLF") << Steps{0, 1, 2, 3, 4, 5, 7, 8, 9};
    QTest::newRow("QWEX") << QByteArray("03.64QWEXF") << Steps{0, 1, 2, 3, 4, 6, 7, 8, 9};
    QTest::newRow("QJ4J") << QByteArray("03.64QJ4JF") << Steps{0, 1, 2, 3, 4, 6, 7, 8, 9};
}
// clang-format on

void TestBrindleDlg::sequence()
{
    QFETCH(QByteArray, version);
    QFETCH(Steps, forward);

    openFile(makeFile(QStringLiteral("fw.rom"), ImageBuilder(ImageBuilder::Rom, version)));
    QVERIFY(m_wizard.dlg->NextButton()->isEnabled());
    QCOMPARE(walkToConfirm(QStringLiteral("ABC")), forward.mid(0, forward.size() - 1));
    QVERIFY(m_wizard.services.messages.isEmpty());

    next();
    QCOMPARE(m_wizard.dlg->CurrentStep(), CBrindleDlg::StepSave);
    QCOMPARE(m_wizard.dlg->NextMode(), int(CBrindleDlg::NextWrite));

    // Back walks the same sequence in reverse, down to "File Open".
    Steps backward{m_wizard.dlg->CurrentStep()};
    while (m_wizard.dlg->BackButton()->isEnabled()) {
        back();
        backward.append(m_wizard.dlg->CurrentStep());
    }
    std::reverse(backward.begin(), backward.end());
    QCOMPARE(backward, forward);
    QCOMPARE(stepTitle(), QStringLiteral("Select Firmware File to Modify"));
    QVERIFY(m_wizard.dlg->NextButton()->isEnabled());
}

void TestBrindleDlg::skippedPagesAreFilledAndCollected()
{
    // A QHAR file never shows the USB and prefix pages, but they carry the loaded values on:
    // here the strings of a QSOL file loaded before it, which loading a QHAR file leaves alone.
    const CFirmwareRecord &r = m_wizard.dlg->Record();
    openFile(makeFile(QStringLiteral("qsol.rom"),
                      ImageBuilder(ImageBuilder::Rom, "03.64QSOLF").setStrings({"Earlier", "Gadget", "SN1"})));
    next();
    back();
    openFile(makeFile(QStringLiteral("qhar.rom"), ImageBuilder(ImageBuilder::Rom, "03.64QHARF")));
    next();
    QCOMPARE(r.m_nFirmwareType, int(Firmware::TypeQHAR));
    QCOMPARE(pagesSettings().m_nVendorId, r.m_nVendorId);
    QCOMPARE(pagesSettings().m_strManufacturer, QStringLiteral("Earlier"));
    QCOMPARE(pagesSettings().m_strDirPrefix, r.m_strDirPrefix);

    walkToConfirm(QStringLiteral("ABC"));
    QCOMPARE(r.m_strManufacturer, QStringLiteral("Earlier"));
    QCOMPARE(r.m_strVersion, QStringLiteral("03.64-ABCQHARF"));
    QCOMPARE(confirmedVersion(), QStringLiteral("03.64-ABC"));
}

void TestBrindleDlg::refusedLoadStaysAndRetries()
{
    const QString path = m_dir.filePath(QStringLiteral("short.rom"));
    QVERIFY(ImageBuilder::WriteFile(path, QByteArray(1000, 'x')));
    openFile(path);
    QVERIFY(m_wizard.dlg->NextButton()->isEnabled());

    next();
    QCOMPARE(m_wizard.dlg->CurrentStep(), 0);
    QCOMPARE(m_wizard.services.messages.size(), 1);
    QCOMPARE(m_wizard.services.messages.at(0).text, QStringLiteral("File not recognised as Norvale Firmware"));
    QCOMPARE(m_wizard.services.messages.at(0).caption, QStringLiteral("File Format Error"));
    QVERIFY(m_wizard.dlg->Record().m_strSourceFile.isEmpty());
    QVERIFY(!m_wizard.dlg->BackButton()->isEnabled());
    QVERIFY(m_wizard.dlg->StepPage<CTabFile>(CBrindleDlg::StepOpen)->isVisible());
    QCOMPARE(m_wizard.dlg->StepPage<CTabFile>(CBrindleDlg::StepOpen)->GetDlgItem<QLineEdit>(FileIds::Path)->text(),
             path);

    // The same path is read again: the file is now a firmware image.
    QVERIFY(ImageBuilder().writeTo(path));
    next();
    QCOMPARE(m_wizard.services.messages.size(), 1);
    QCOMPARE(m_wizard.dlg->CurrentStep(), 1);
    QCOMPARE(stepTitle(), QStringLiteral("Firmware Settings"));
}

// A refused file between: the file loaded before it is read again when the user goes back to
// it, so what the wizard shows is the file as it is now on disk.
void TestBrindleDlg::refusedThenLoadedFileReadAgain()
{
    const QString good = makeFile(QStringLiteral("good.rom"), ImageBuilder().setDivisor(26));
    const QString bad = makeFile(QStringLiteral("bad.rom"), ImageBuilder().setParams(2));
    openFile(good);
    next();
    QCOMPARE(m_wizard.dlg->CurrentStep(), 1);
    QCOMPARE(pagesSettings().m_nBaudRate, 115200);

    back();
    openFile(bad);
    next();
    QCOMPARE(m_wizard.dlg->CurrentStep(), 0);
    QCOMPARE(m_wizard.services.messages.size(), 1);
    QCOMPARE(m_wizard.services.messages.at(0).text, QStringLiteral("Parameters version 0x2 not supported"));

    // The good file has changed since it was loaded: 0D 00 00 is 230400 baud.
    QVERIFY(ImageBuilder().setDivisor(13).writeTo(good));
    openFile(good);
    next();
    QCOMPARE(m_wizard.dlg->CurrentStep(), 1);
    QCOMPARE(m_wizard.services.messages.size(), 1);
    QCOMPARE(m_wizard.dlg->Record().m_strSourceFile, good);
    QCOMPARE(m_wizard.dlg->Record().m_nBaudRate, 230400);
    QCOMPARE(pagesSettings().m_nBaudRate, 230400);
}

void TestBrindleDlg::samePathTwice()
{
    const QString path = makeFile(QStringLiteral("fw.rom"), ImageBuilder().setDivisor(26));
    openFile(path);
    next();
    next();
    QCOMPARE(m_wizard.dlg->CurrentStep(), 2);
    QCOMPARE(m_wizard.dlg->StepPage<CTabBaudRate>(CBrindleDlg::StepBaud)
                 ->GetDlgItem<QComboBox>(BaudIds::BaudRate)
                 ->currentText(),
             QStringLiteral("115200"));
    m_wizard.dlg->StepPage<CTabBaudRate>(CBrindleDlg::StepBaud)
        ->GetDlgItem<QComboBox>(BaudIds::BaudRate)
        ->setCurrentIndex(0);  // 300

    // Back to "File Open" and on with the same path, as often as the user likes: nothing is read
    // again and the edit stays, the second and third time too, not only the first.
    for (int round = 1; round <= 3; ++round) {
        back();
        back();
        QCOMPARE(m_wizard.dlg->CurrentStep(), 0);
        next();
        QCOMPARE(m_wizard.dlg->CurrentStep(), 1);
        QCOMPARE(m_wizard.dlg->Record().m_strSourceFile, path);
        QCOMPARE(pagesSettings().m_nBaudRate, 300);
        next();
        QCOMPARE(m_wizard.dlg->StepPage<CTabBaudRate>(CBrindleDlg::StepBaud)
                     ->GetDlgItem<QComboBox>(BaudIds::BaudRate)
                     ->currentText(),
                 QStringLiteral("300"));
    }

    // Another path loads afresh and replaces the edit.
    const QString other = makeFile(QStringLiteral("other.rom"), ImageBuilder().setDivisor(26));
    back();
    back();
    openFile(other);
    next();
    QCOMPARE(m_wizard.dlg->Record().m_strSourceFile, other);
    QCOMPARE(pagesSettings().m_nBaudRate, 115200);
    QVERIFY(m_wizard.services.messages.isEmpty());
}

// clang-format off
void TestBrindleDlg::discardQuestion_data()
{
    QTest::addColumn<int>("step");      // where the wizard is: -1 nothing loaded, 10 written
    QTest::addColumn<QString>("how");   // "cancel", "escape" or "close"
    QTest::addColumn<bool>("answer");   // the user's answer to the question
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("ends");
    for (const char *how : {"cancel", "escape", "close"}) {
        QTest::addRow("nothing loaded, %s", how) << -1 << how << false << false << true;
        QTest::addRow("a load refused, %s", how) << -2 << how << false << false << true;
        for (int step : {1, 2, 5, 7, 8, 9}) {
            QTest::addRow("step %d, %s, No", step, how) << step << how << false << true << false;
            QTest::addRow("step %d, %s, Yes", step, how) << step << how << true << true << true;
        }
        QTest::addRow("written, %s", how) << 10 << how << false << false << true;
    }
}
// clang-format on

void TestBrindleDlg::discardQuestion()
{
    QFETCH(int, step);
    QFETCH(QString, how);
    QFETCH(bool, answer);
    QFETCH(bool, asked);
    QFETCH(bool, ends);

    const QString source =
        makeFile(QStringLiteral("fw.rom"), ImageBuilder(ImageBuilder::Rom, "03.64QSOLF").setStrings({"A", "B", "C"}));
    if (step == -2) {
        QVERIFY(ImageBuilder::WriteFile(m_dir.filePath(QStringLiteral("notes.txt")), QByteArray("not firmware")));
        openFile(m_dir.filePath(QStringLiteral("notes.txt")));
        next();
        QCOMPARE(m_wizard.dlg->CurrentStep(), 0);
    } else if (step >= 0) {
        openFile(source);
        nextTo(step, QStringLiteral("out.rom"));
        QCOMPARE(m_wizard.dlg->CurrentStep(), step);
    }
    m_wizard.services.clear();
    m_wizard.services.answer = answer;
    const QStringList files = m_dir.entryList(QDir::Files);

    if (how == QLatin1String("cancel")) {
        QTest::mouseClick(m_wizard.dlg->CancelButton(), Qt::LeftButton);
    } else if (how == QLatin1String("escape")) {
        QWidget *focus = QApplication::focusWidget();
        QVERIFY(focus);
        QTest::keyClick(focus, Qt::Key_Escape);
    } else {
        QCOMPARE(m_wizard.dlg->close(), ends);
    }

    QCOMPARE(m_wizard.services.questionCount, asked ? 1 : 0);
    if (asked) {
        QCOMPARE(m_wizard.services.questions.first().text, QStringLiteral("Discard your changes and quit?"));
        QCOMPARE(m_wizard.services.defaultNoCount, 1);  // No is the default answer
    }
    QCOMPARE(m_wizard.dlg->isVisible(), !ends);
    if (!ends) {
        // Nothing changed: the same step, the same page, the work still there.
        QCOMPARE(m_wizard.dlg->CurrentStep(), step);
        QVERIFY(m_wizard.dlg->StepPage(step)->isVisible());
    }
    QCOMPARE(m_dir.entryList(QDir::Files), files);
}

// clang-format off
void TestBrindleDlg::versionCodeMerge_data()
{
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("no code yet") << QByteArray("03.64QHARF") << QStringList{"ABC"} << "03.64-ABCQHARF";
    QTest::newRow("earlier code replaced") << QByteArray("03.64-OLDQHARF") << QStringList{"ABC"}
                                           << "03.64-ABCQHARF";
    QTest::newRow("two passes keep the last") << QByteArray("03.64QSOLF") << QStringList{"ABC", "XY9"}
                                              << "03.64-XY9QSOLF";
    QTest::newRow("lower case typed") << QByteArray("03.64QWEXF") << QStringList{"abc"} << "03.64-ABCQWEXF";
}
// clang-format on

void TestBrindleDlg::versionCodeMerge()
{
    QFETCH(QByteArray, version);
    QFETCH(QStringList, codes);
    QFETCH(QString, expected);

    openFile(makeFile(QStringLiteral("fw.rom"), ImageBuilder(ImageBuilder::Rom, version)));
    for (const QString &code : codes) {
        if (m_wizard.dlg->CurrentStep() == CBrindleDlg::StepConfirm) {
            back();
            QCOMPARE(m_wizard.dlg->CurrentStep(), 7);
        }
        walkToConfirm(code);
        QCOMPARE(m_wizard.dlg->CurrentStep(), CBrindleDlg::StepConfirm);
    }
    QCOMPARE(m_wizard.dlg->Record().m_strVersion, expected);
    QCOMPARE(confirmedVersion(), expected.left(expected.lastIndexOf(QLatin1Char('Q'))));
    QCOMPARE(stepTitle(), QStringLiteral("Summary of Firmware Customisations"));
}

void TestBrindleDlg::confirmTurnsNextIntoWrite()
{
    openFile(makeFile(QStringLiteral("fw.rom"), ImageBuilder()));
    walkToConfirm(QStringLiteral("ABC"));
    QCOMPARE(m_wizard.dlg->NextButton()->text(), QString::fromLatin1(kNextCaption));
    next();
    QCOMPARE(m_wizard.dlg->CurrentStep(), 9);
    QCOMPARE(m_wizard.dlg->NextButton()->text(), QString::fromLatin1(kWriteCaption));
    QVERIFY(!m_wizard.dlg->NextButton()->isEnabled());  // no destination yet
    QCOMPARE(stepTitle(), QStringLiteral("Firmware File to Write"));

    back();
    QCOMPARE(m_wizard.dlg->CurrentStep(), 8);
    QCOMPARE(m_wizard.dlg->NextButton()->text(), QString::fromLatin1(kNextCaption));
    QCOMPARE(m_wizard.dlg->NextMode(), int(CBrindleDlg::NextNormal));
    QVERIFY(m_wizard.dlg->NextButton()->isEnabled());
}

void TestBrindleDlg::writeCaptionKeptWhilePageDecides()
{
    // On the save step the page enables and disables Next as the name comes and goes; the
    // caption stays "Write".
    openFile(makeFile(QStringLiteral("fw.rom"), ImageBuilder()));
    walkToConfirm(QStringLiteral("ABC"));
    next();
    QLineEdit *path = m_wizard.dlg->StepPage<CTabFile>(CBrindleDlg::StepSave)->GetDlgItem<QLineEdit>(FileIds::Path);
    QTest::keyClicks(path, m_dir.filePath(QStringLiteral("out.rom")));
    QVERIFY(m_wizard.dlg->NextButton()->isEnabled());
    QCOMPARE(m_wizard.dlg->NextButton()->text(), QString::fromLatin1(kWriteCaption));
    path->clear();
    QVERIFY(!m_wizard.dlg->NextButton()->isEnabled());
    QCOMPARE(m_wizard.dlg->NextButton()->text(), QString::fromLatin1(kWriteCaption));
}

void TestBrindleDlg::backEnablesNext()
{
    // After Back, Next is enabled whatever the page decided: "Set Prompt" never touches it.
    openFile(makeFile(QStringLiteral("fw.rom"), ImageBuilder()));
    QVERIFY(m_wizard.dlg->StepApplies(CBrindleDlg::StepPrompt));
    while (m_wizard.dlg->CurrentStep() < CBrindleDlg::StepCode)
        next();
    QTest::keyClicks(m_wizard.dlg->StepPage<CTabCode>(CBrindleDlg::StepCode)->GetDlgItem<CEditAlnum>(CodeIds::Code),
                     QStringLiteral("AB"));
    QVERIFY(!m_wizard.dlg->NextButton()->isEnabled());
    back();
    QCOMPARE(m_wizard.dlg->CurrentStep(), int(CBrindleDlg::StepPrompt));
    QVERIFY(m_wizard.dlg->NextButton()->isEnabled());
    QCOMPARE(m_wizard.dlg->NextButton()->text(), QString::fromLatin1(kNextCaption));
}

// clang-format off
void TestBrindleDlg::writeFailureStaysOnSave_data()
{
    QTest::addColumn<bool>("targetExists");
    QTest::addColumn<bool>("answerYes");
    QTest::addColumn<QString>("targetName");
    QTest::addColumn<QString>("caption");

    QTest::newRow("declined overwrite") << true << false << "old.rom" << "File Exists";
    QTest::newRow("missing folder") << false << true << "missing/new.rom" << "Could not open destination file";
}
// clang-format on

void TestBrindleDlg::writeFailureStaysOnSave()
{
    QFETCH(bool, targetExists);
    QFETCH(bool, answerYes);
    QFETCH(QString, targetName);
    QFETCH(QString, caption);

    const QString target = m_dir.filePath(targetName);
    const QByteArray oldBytes("previous contents");
    if (targetExists)
        QVERIFY(ImageBuilder::WriteFile(target, oldBytes));
    m_wizard.services.answer = answerYes;

    openFile(makeFile(QStringLiteral("fw.rom"), ImageBuilder()));
    walkToConfirm(QStringLiteral("ABC"));
    next();
    QTest::keyClicks(m_wizard.dlg->StepPage<CTabFile>(CBrindleDlg::StepSave)->GetDlgItem<QLineEdit>(FileIds::Path),
                     target);
    QVERIFY(m_wizard.dlg->NextButton()->isEnabled());
    next();

    QCOMPARE(m_wizard.dlg->CurrentStep(), 9);
    QCOMPARE(m_wizard.dlg->NextMode(), int(CBrindleDlg::NextWrite));
    QCOMPARE(m_wizard.dlg->NextButton()->text(), QString::fromLatin1(kWriteCaption));
    QVERIFY(m_wizard.dlg->StepPage<CTabFile>(CBrindleDlg::StepSave)->isVisible());
    // A declined overwrite is the question alone; any other failure is one message.
    const auto &shown = targetExists ? m_wizard.services.questions : m_wizard.services.messages;
    QCOMPARE(m_wizard.services.messages.size() + m_wizard.services.questions.size(), 1);
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.at(0).caption, caption);
    if (targetExists)
        QCOMPARE(ImageBuilder::ReadFile(target), oldBytes);
    else
        QVERIFY(!QFileInfo::exists(target));
    QVERIFY(m_wizard.dlg->Record().m_strTargetFile.isEmpty());
}

void TestBrindleDlg::finishedState()
{
    m_wizard.dlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_wizard.dlg.get()));
    const QString source = makeFile(QStringLiteral("fw.rom"), ImageBuilder());
    openFile(source);
    walkToConfirm(QStringLiteral("ABC"));
    next();
    const QString target = m_dir.filePath(QStringLiteral("out.QUF"));
    QTest::keyClicks(m_wizard.dlg->StepPage<CTabFile>(CBrindleDlg::StepSave)->GetDlgItem<QLineEdit>(FileIds::Path),
                     target);
    next();

    QCOMPARE(m_wizard.dlg->CurrentStep(), 10);
    QCOMPARE(m_wizard.dlg->NextMode(), int(CBrindleDlg::NextFinished));
    QCOMPARE(m_wizard.dlg->CancelButton()->text(), QStringLiteral("Finish"));
    QVERIFY(!m_wizard.dlg->NextButton()->isVisible());
    QVERIFY(!m_wizard.dlg->BackButton()->isVisible());
    QVERIFY(!m_wizard.dlg->NextButton()->isEnabled());
    QCOMPARE(m_wizard.dlg->NextButton()->text(), QString::fromLatin1(kWriteCaption));
    QCOMPARE(QApplication::focusWidget(), m_wizard.dlg->CancelButton());
    QCOMPARE(stepTitle(), QStringLiteral("Firmware Modified"));
    QCOMPARE(finishReport(), QStringLiteral("Successfully modified firmware Upgrader file.\n\nFirmware Version "
                                            "03.64-ABCQHARF\n\nOriginal file fw.rom\n\nSaved to disk as out.QUF"));

    // Enter on the page does nothing now; "Finish" ends the wizard.
    m_wizard.dlg->OnCommand(WizardIds::Next);
    QCOMPARE(m_wizard.dlg->CurrentStep(), 10);
    QVERIFY(m_wizard.dlg->isVisible());
    QTest::mouseClick(m_wizard.dlg->CancelButton(), Qt::LeftButton);
    QVERIFY(!m_wizard.dlg->isVisible());
    QCOMPARE(m_wizard.dlg->result(), int(QDialog::Rejected));
}

// clang-format off
void TestBrindleDlg::keysAndHeader_data()
{
    QTest::addColumn<QByteArray>("version");  // the firmware loaded on the way to the step
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("focusId");        // the page's control with the focus; kNoId: the page itself
    QTest::addColumn<QString>("typed");      // typed over that control's text first ("%1/": the folder)
    QTest::addColumn<int>("afterEnter");     // the step after Enter
    QTest::addColumn<int>("messages");       // message boxes on the way
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("description");

    const QByteArray qhar("03.64QHARF");
    const QString open = QStringLiteral("Select Firmware File to Modify");
    const QString openText = QStringLiteral("Choose the Norvale Firmware ROM or QUF file to modify.");
    QTest::newRow("File Open: firmware file")
        << qhar << 0 << int(FileIds::Path) << "%1/fw.rom" << 1 << 0 << open << openText;
    // Next is disabled, and Enter says why rather than doing nothing.
    QTest::newRow("File Open: missing file")
        << qhar << 0 << int(FileIds::Path) << "%1/missing.rom" << 0 << 1 << open << openText;
    QTest::newRow("File Open: not a firmware file")
        << qhar << 0 << int(FileIds::Path) << "%1/notes.txt" << 0 << 1 << open << openText;
    QTest::newRow("File Summary") << qhar << 1 << kNoId << "" << 2 << 0 << "Firmware Settings"
                                  << "These are the firmware settings for the selected firmware file before "
                                     "modification. The following screens allow you to modify the baud rate, "
                                     "startup mode and enable or disable monitor messages.";
    const QString baud = QStringLiteral("Select UART Options");
    const QString baudText = QStringLiteral(
        "Choose the baud rate, data settings and flow control settings for the Monitor that the firmware will use "
        "at startup. These settings will also be used for the Monitor on ORVA slave devices.");
    for (const auto &[name, id] : {std::pair{"baud rate list", int(BaudIds::BaudRate)},
                                   {"7 Bits", int(BaudIds::SevenBits)},
                                   {"2 Bits", int(BaudIds::TwoStopBits)},
                                   {"flow-control list", int(BaudIds::FlowControl)}})
        QTest::addRow("Set Baud: %s", name) << qhar << 2 << id << "" << 3 << 0 << baud << baudText;
    const QString init = QStringLiteral("Choose Initialisation Options");
    const QString initText =
        QStringLiteral("Modify the initial command mode, input mode and startup behaviour of the LEDs.");
    for (const auto &[name, id] : {std::pair{"LED check box", int(InitIds::LedFlash)},
                                   {"IPH Mode", int(InitIds::BinaryInput)},
                                   {"Short Command Set Mode", int(InitIds::ShortCommands)}})
        QTest::addRow("Set Init: %s", name) << qhar << 3 << id << "" << 4 << 0 << init << initText;
    const QString prompt = QStringLiteral("Choose Firmware Options");
    const QString promptText = QStringLiteral(
        "Modify the behaviour of the firmware. Instructs the Monitor to not display prompts, device detected "
        "messages and version information. Allows data mode and firmware upgrades to be disabled.");
    // QHAR firmware passes over the USB and target directory steps.
    for (const auto &[name, id] : {std::pair{"Show Prompt", int(PromptIds::ShowPrompt)},
                                   {"Disable Sonette Status Information", int(PromptIds::DisableStatusInfo)}})
        QTest::addRow("Set Prompt: %s", name) << qhar << 4 << id << "" << 7 << 0 << prompt << promptText;
    QTest::newRow("Set PID/VID") << QByteArray("03.64QSOLF") << 5 << int(UsbIds::VendorId) << "" << 7 << 0
                                 << "Modify USB Slave Mode Settings"
                                 << "Change the VID and PID, Product and Manufacturer String of the device when it "
                                    "is configured in Slave mode. This is only applicable to QSOL firmware.";
    QTest::newRow("Set Target Directory")
        << QByteArray("03.64QWEXF") << 6 << int(CodeIds::Code) << "SNAP" << 7 << 0 << "Choose Target Directory"
        << "Choose a 4 letter code to create a prefix for the target directory of snapshot commands. Use only "
           "uppercase letters and numbers.";
    const QString code = QStringLiteral("Choose Version Code");
    const QString codeText = QStringLiteral("Choose a unique 3 letter code to identify this modified version of "
                                            "code. Use only uppercase letters and numbers.");
    // While the code is incomplete Next is disabled, and Enter does nothing.
    QTest::newRow("Set Code: incomplete") << qhar << 7 << int(CodeIds::Code) << "AB" << 7 << 0 << code << codeText;
    QTest::newRow("Set Code: complete") << qhar << 7 << int(CodeIds::Code) << "ABC" << 8 << 0 << code << codeText;
    QTest::newRow("Confirm Summary") << qhar << 8 << kNoId << "" << 9 << 0 << "Summary of Firmware Customisations"
                                     << "The following firmware settings will be applied to the firmware file "
                                        "selected. The next screen will be able to choose a new filename to store "
                                        "it as.";
    // "Write" waits for a name.
    const QString save = QStringLiteral("Firmware File to Write");
    const QString saveText = QStringLiteral("Choose the filename for the Norvale Firmware ROM or QUF file to write.");
    QTest::newRow("File Save: no name yet") << qhar << 9 << int(FileIds::Path) << "" << 9 << 0 << save << saveText;
    QTest::newRow("File Save: name typed")
        << qhar << 9 << int(FileIds::Path) << "%1/out.ROM" << 10 << 0 << save << saveText;
    // Enter on the page does nothing once finished; only "Finish" (or Escape) ends the wizard.
    QTest::newRow("Finish") << qhar << 10 << kNoId << "" << 10 << 0 << "Firmware Modified"
                            << "Click Finish to exit.";
}
// clang-format on

void TestBrindleDlg::keysAndHeader()
{
    QFETCH(QByteArray, version);
    QFETCH(int, step);
    QFETCH(int, focusId);
    QFETCH(QString, typed);
    QFETCH(int, afterEnter);
    QFETCH(int, messages);
    QFETCH(QString, title);
    QFETCH(QString, description);

    const QString source = makeFile(QStringLiteral("fw.rom"), ImageBuilder(ImageBuilder::Rom, version));
    QVERIFY(ImageBuilder::WriteFile(m_dir.filePath(QStringLiteral("notes.txt")), QByteArray("not firmware")));
    QStringList files;
    // Onto the step with Next, as the user gets there, with the text typed and the focus in place;
    // returns the control with the focus.
    const auto reach = [&]() -> QWidget * {
        if (!m_wizard.Start())
            return nullptr;
        QFile::remove(m_dir.filePath(QStringLiteral("out.QUF")));
        if (step > 0)
            openFile(source);
        nextTo(step, QStringLiteral("out.QUF"));
        CWizardPage *page = m_wizard.dlg->StepPage(step);
        QWidget *control = focusId == kNoId ? page : page->GetDlgItem(focusId);
        if (auto *edit = qobject_cast<QLineEdit *>(control); edit && !typed.isEmpty()) {
            edit->selectAll();
            QTest::keyClicks(edit, typed.contains(QLatin1String("%1")) ? typed.arg(m_dir.path()) : typed);
        }
        control->setFocus();
        files = m_dir.entryList(QDir::Files);
        return control;
    };

    // Escape ends the wizard at once, with nothing written.
    QWidget *control = reach();
    QCOMPARE(m_wizard.dlg->CurrentStep(), step);
    QCOMPARE(stepTitle(), title);
    QCOMPARE(m_wizard.dlg->GetDlgItem<QLabel>(WizardIds::Description)->text(), description);
    QTest::keyClick(control, Qt::Key_Escape);
    QVERIFY(!m_wizard.dlg->isVisible());
    QCOMPARE(m_wizard.dlg->result(), int(QDialog::Rejected));
    QCOMPARE(m_dir.entryList(QDir::Files), files);

    // Enter acts as Next wherever Next is enabled.
    control = reach();
    QTest::keyClick(control, Qt::Key_Return);
    QCOMPARE(m_wizard.dlg->CurrentStep(), afterEnter);
    QCOMPARE(m_wizard.dlg->StepPage(step)->IsShown(), afterEnter == step);
    QCOMPARE(m_wizard.services.messages.size(), messages);
    QVERIFY(m_wizard.dlg->isVisible());
}

void TestBrindleDlg::arrowsPointTheWayRightToLeft()
{
    // The window keeps its places in a right-to-left layout (Back at the left, Next at the right),
    // and the captions keep their arrows as written: each button is drawn as it is left to right,
    // not with its arrow turned towards the other button.
    const auto drawn = [](QPushButton *button) { return button->grab().toImage(); };
    m_wizard.dlg->BackButton()->setEnabled(true);
    const QImage back = drawn(m_wizard.dlg->BackButton());
    const QImage next = drawn(m_wizard.dlg->NextButton());
    m_wizard.Stop();

    QApplication::setLayoutDirection(Qt::RightToLeft);
    auto restore = qScopeGuard([] { QApplication::setLayoutDirection(Qt::LeftToRight); });
    QVERIFY(m_wizard.Start());
    CBrindleDlg &dlg = *m_wizard.dlg;
    QVERIFY(dlg.isRightToLeft());
    QVERIFY(dlg.BackButton()->x() < dlg.NextButton()->x());
    dlg.BackButton()->setEnabled(true);
    QCOMPARE(drawn(dlg.BackButton()), back);
    QCOMPARE(drawn(dlg.NextButton()), next);
}

void TestBrindleDlg::closeBoxEnds()
{
    QVERIFY(m_wizard.dlg->close());
    QVERIFY(!m_wizard.dlg->isVisible());
    QCOMPARE(m_wizard.dlg->result(), int(QDialog::Rejected));
}

// A fixed-size window asks for no maximise (nor minimise) box on every platform, and a title bar
// that offers one all the same leaves the window at its size.
void TestBrindleDlg::noMaximise()
{
    const Qt::WindowFlags flags = m_wizard.dlg->windowFlags();
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowFullscreenButtonHint));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(flags & Qt::CustomizeWindowHint);
    QCOMPARE(m_wizard.dlg->minimumSize(), m_wizard.dlg->maximumSize());
    const QSize size = m_wizard.dlg->size();
    m_wizard.dlg->setWindowState(Qt::WindowMaximized);
    QVERIFY(!(m_wizard.dlg->windowState() & Qt::WindowMaximized));
    m_wizard.dlg->setWindowState(Qt::WindowFullScreen);
    QVERIFY(!(m_wizard.dlg->windowState() & Qt::WindowFullScreen));
    QCOMPARE(m_wizard.dlg->size(), size);
    QVERIFY(m_wizard.dlg->isVisible());
}

// The web link is drawn in the palette's link colour, legible on a dark palette too.
void TestBrindleDlg::linkTakesThePalettesColour()
{
    auto *link = m_wizard.dlg->GetDlgItem<CHyperlinkStatic>(WizardIds::WebSite);
    for (const QColor &colour : {QColor(0x8a, 0xb4, 0xf8), QColor(0x00, 0x66, 0x00)}) {
        QPalette palette = link->palette();
        palette.setColor(QPalette::Link, colour);
        palette.setColor(QPalette::Window, colour.lightness() > 128 ? QColor(0x20, 0x20, 0x20) : QColor(Qt::white));
        link->setPalette(palette);
        link->setAutoFillBackground(true);
        const QImage image = link->grab().toImage();
        int exact = 0;
        bool blue = false;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                exact += pixel.rgb() == colour.rgb();
                blue = blue || pixel.rgb() == QColor(0, 0, 255).rgb();
            }
        }
        QVERIFY2(exact > 10, qPrintable(colour.name()));
        QVERIFY(!blue);
    }
}

// Every static of the wizard and its pages shows its text as plain text: a file name or an image's
// text such as "01.00<h1>BIG" is never read as markup.
void TestBrindleDlg::textsArePlain()
{
    openFile(makeFile(QStringLiteral("fw.rom"),
                      ImageBuilder(ImageBuilder::Rom, "03.64QSOLF").setStrings({"<h1>A", "<b>B", "&amp;"})));
    next();
    for (int i = 0; i < CBrindleDlg::kStepCount; ++i)
        m_wizard.dlg->BuiltPage(i);  // the pages not reached yet too
    const QList<QLabel *> labels = m_wizard.dlg->findChildren<QLabel *>();
    QVERIFY(labels.size() > 40);
    for (QLabel *label : labels)
        QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(label->text()));
    // The strings are shown as they are in the summary.
    QCOMPARE(m_wizard.dlg->StepPage(CBrindleDlg::StepSummary)->GetDlgItem<QLabel>(SummaryIds::UsbStrings)->text(),
             QStringLiteral("\"<h1>A\", \"<b>B\", \"&amp;\""));
}

void TestBrindleDlg::aboutBox()
{
    openFile(makeFile(QStringLiteral("fw.rom"), ImageBuilder()));
    next();
    const int step = m_wizard.dlg->CurrentStep();

    QString title;
    QString product;
    bool bold = false;
    int productPixels = 0;
    int noticePixels = 0;
    QTimer::singleShot(0, this, [&] {
        auto *about = qobject_cast<CAboutDlg *>(QApplication::activeModalWidget());
        if (!about)
            return;
        title = about->windowTitle();
        product = about->GetDlgItem<QLabel>(AboutIds::Product)->text();
        bold = about->GetDlgItem<QLabel>(AboutIds::Product)->font().bold();
        productPixels = QFontInfo(about->GetDlgItem<QLabel>(AboutIds::Product)->font()).pixelSize();
        noticePixels = QFontInfo(about->GetDlgItem<QLabel>(AboutIds::Notice)->font()).pixelSize();
        QTest::keyClick(about, Qt::Key_Escape);
    });
    m_wizard.dlg->OnSysCommand(0x0010);
    QCOMPARE(title, QStringLiteral("About Brindle"));
    QCOMPARE(product, QStringLiteral("Norvale Firmware Customiser Version 1.1b"));
    QVERIFY(bold);
    QCOMPARE(productPixels, noticePixels * 4 / 3);
    QCOMPARE(m_wizard.dlg->CurrentStep(), step);
    QVERIFY(m_wizard.dlg->isVisible());

    // On Linux the entry sits in the window's context menu and leads to the same box.
    QString fromMenu;
    QTimer::singleShot(0, this, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu || menu->actions().isEmpty())
            return;
        QCOMPARE(menu->actions().constFirst()->text(), QStringLiteral("&About Brindle..."));
        QTimer::singleShot(0, this, [&] {
            if (auto *about = qobject_cast<CAboutDlg *>(QApplication::activeModalWidget())) {
                fromMenu = about->windowTitle();
                about->accept();
            }
        });
        menu->actions().constFirst()->trigger();
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10), m_wizard.dlg->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(m_wizard.dlg.get(), &event);
    QCOMPARE(fromMenu, QStringLiteral("About Brindle"));
    QCOMPARE(m_wizard.dlg->CurrentStep(), step);

    // Other system commands change nothing and open nothing.
    m_wizard.dlg->OnSysCommand(0xF120);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void TestBrindleDlg::systemMenuEntry()
{
#ifndef Q_OS_WIN
    QSKIP("The window's system menu is Windows' own; elsewhere the context menu offers the entry (aboutBox)");
#else
    const HWND window = reinterpret_cast<HWND>(m_wizard.dlg->winId());
    const HMENU menu = ::GetSystemMenu(window, FALSE);
    QVERIFY(menu != nullptr);

    // The last two items: a separator, then the entry with command 16.
    const int count = ::GetMenuItemCount(menu);
    QVERIFY(count >= 2);
    MENUITEMINFOW separator{};
    separator.cbSize = sizeof separator;
    separator.fMask = MIIM_FTYPE;
    QVERIFY(::GetMenuItemInfoW(menu, UINT(count - 2), TRUE, &separator));
    QVERIFY(separator.fType & MFT_SEPARATOR);
    QCOMPARE(::GetMenuItemID(menu, count - 1), UINT(0x0010));
    wchar_t text[64] = {};
    QVERIFY(::GetMenuStringW(menu, UINT(count - 1), text, int(std::size(text)), MF_BYPOSITION) > 0);
    QCOMPARE(QString::fromWCharArray(text), QStringLiteral("&About Brindle..."));

    // Choosing it sends WM_SYSCOMMAND to the window, which opens the About box.
    const int step = m_wizard.dlg->CurrentStep();
    QString title;
    QTimer::singleShot(0, this, [&] {
        if (auto *about = qobject_cast<CAboutDlg *>(QApplication::activeModalWidget())) {
            title = about->windowTitle();
            about->accept();
        }
    });
    ::SendMessageW(window, WM_SYSCOMMAND, 0x0010, 0);
    QCOMPARE(title, QStringLiteral("About Brindle"));
    QCOMPARE(m_wizard.dlg->CurrentStep(), step);
    QVERIFY(m_wizard.dlg->isVisible());

    // The system's own commands still reach the window: restoring a restored window does nothing.
    ::SendMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QVERIFY(m_wizard.dlg->isVisible());
#endif
}

void TestBrindleDlg::linkAndLogoOpenWebSite()
{
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
    auto restore = qScopeGuard([] { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); });

    CHyperlinkStatic *link = m_wizard.dlg->GetDlgItem<CHyperlinkStatic>(WizardIds::WebSite);
    QCOMPARE(link->text(), QStringLiteral("https://www.norvale.example"));
    QVERIFY(link->font().underline());
    QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);

    QTest::mouseClick(link, Qt::LeftButton);
    QCOMPARE(recorder.urls, QList<QUrl>{QUrl(QStringLiteral("https://www.norvale.example"))});

    recorder.urls.clear();
    QTest::mouseDClick(m_wizard.dlg->GetDlgItem<QLabel>(WizardIds::Logo), Qt::LeftButton);
    QCOMPARE(recorder.urls, QList<QUrl>{QUrl(QStringLiteral("https://www.norvale.example/"))});
    QCOMPARE(m_wizard.dlg->CurrentStep(), 0);
}

// clang-format off
void TestBrindleDlg::fullWalkWrites_data()
{
    QTest::addColumn<int>("sourceKind");
    QTest::addColumn<QString>("targetName");
    QTest::addColumn<int>("writtenLength");
    QTest::addColumn<int>("writtenKind");

    QTest::newRow("ROM to QUF") << int(ImageBuilder::Rom) << "out.quf" << Firmware::kUpgradeLength
                                << int(Firmware::KindUpgrade);
    QTest::newRow("QUF to ROM") << int(ImageBuilder::Upgrade) << "out.ROM" << Firmware::kRomLength
                                << int(Firmware::KindRom);
    QTest::newRow("BLD to ROM") << int(ImageBuilder::Bld) << "out.rom" << Firmware::kRomLength
                                << int(Firmware::KindRom);
    QTest::newRow("BLD kept") << int(ImageBuilder::Bld) << "out.bld" << Firmware::kBldLength
                              << int(Firmware::KindBld);
}
// clang-format on

void TestBrindleDlg::fullWalkWrites()
{
    QFETCH(int, sourceKind);
    QFETCH(QString, targetName);
    QFETCH(int, writtenLength);
    QFETCH(int, writtenKind);

    ImageBuilder builder(ImageBuilder::Kind(sourceKind), "03.64QSOLF");
    builder.setStrings({"Maker", "Gadget", "SN1"});
    openFile(makeFile(QStringLiteral("source.bin").replace("bin", sourceKind == ImageBuilder::Upgrade ? "quf" : "rom"),
                      builder));
    next();
    next();
    m_wizard.dlg->StepPage<CTabBaudRate>(CBrindleDlg::StepBaud)
        ->GetDlgItem<QComboBox>(BaudIds::BaudRate)
        ->setCurrentIndex(9);  // 115200
    next();
    WizardDriver::Click(
        m_wizard.dlg->StepPage<CTabInit>(CBrindleDlg::StepInit)->GetDlgItem<QCheckBox>(InitIds::LedFlash));
    next();
    WizardDriver::Click(
        m_wizard.dlg->StepPage<CTabPrompt>(CBrindleDlg::StepPrompt)->GetDlgItem<QCheckBox>(PromptIds::ShowPrompt));
    next();
    QCOMPARE(m_wizard.dlg->CurrentStep(), 5);
    m_wizard.dlg->StepPage<CTabUsbSlave>(CBrindleDlg::StepUsb)
        ->GetDlgItem<QLineEdit>(UsbIds::VendorId)
        ->setText(QStringLiteral("0x1234"));
    m_wizard.dlg->StepPage<CTabUsbSlave>(CBrindleDlg::StepUsb)
        ->GetDlgItem<QLineEdit>(UsbIds::Manufacturer)
        ->setText(QStringLiteral("Acme"));
    walkToConfirm(QStringLiteral("Q7Z"));
    next();
    const QString target = m_dir.filePath(targetName);
    QTest::keyClicks(m_wizard.dlg->StepPage<CTabFile>(CBrindleDlg::StepSave)->GetDlgItem<QLineEdit>(FileIds::Path),
                     target);
    next();
    QCOMPARE(m_wizard.dlg->CurrentStep(), 10);
    QVERIFY(m_wizard.services.messages.isEmpty());

    const QByteArray written = ImageBuilder::ReadFile(target);
    QCOMPARE(written.size(), writtenLength);

    RecordingServices checker;
    CFirmwareRecord check(&checker);
    QCOMPARE(check.LoadFirmware(target), 1);
    QCOMPARE(check.m_nFileKind, writtenKind);
    QCOMPARE(check.m_nBaudRate, 115200);
    QCOMPARE(check.m_bDisableLedFlash, true);
    QCOMPARE(check.m_bHidePrompt, true);
    QCOMPARE(check.m_nVendorId, 0x1234);
    QCOMPARE(check.m_nProductId, 0x5C10);
    QCOMPARE(check.m_strManufacturer, QStringLiteral("Acme"));
    QCOMPARE(check.m_strProduct, QStringLiteral("Gadget"));
    QCOMPARE(check.m_strString3, QStringLiteral("SN1"));
    QCOMPARE(check.m_strVersion, QStringLiteral("03.64-Q7ZQSOLF"));
    QVERIFY2(finishReport().startsWith(writtenKind == Firmware::KindRom
                                           ? QStringLiteral("Successfully modified firmware ROM file.")
                                           : QStringLiteral("Successfully modified firmware Upgrader file.")),
             qPrintable(finishReport()));
}

QTEST_MAIN(TestBrindleDlg)
#include "tst_brindledlg.moc"
