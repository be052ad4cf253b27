// "Set Target Directory" and "Set Code", alone in a stand-in frame and, for a loaded file, in the
// wizard: the label of each instance, Next enabled
// exactly for a code brindle-cli takes (the required number of ASCII letters and digits), the
// text limit for typing but not for loaded codes, capitals, and the code stored whenever the
// page is left.

// Qt
#include <QClipboard>
#include <QtTest>

#include "controls/editalnum.h"
#include "fakeframe.h"
#include "firmware/firmwareformat.h"
#include "pages/tabcode.h"
#include "resources/resourceids.h"
#include "wizarddriver.h"

class TestTabCode : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void texts_data();
    void texts();
    void typing_data();
    void typing();
    void nextOnlyForCodesTheCliTakes_data();
    void nextOnlyForCodesTheCliTakes();
    void loadedCode_data();
    void loadedCode();
    void revisitKeepsTheRule();
    void backStoresAnyLength_data();
    void backStoresAnyLength();
    void enterMovesOnlyAtLength_data();
    void enterMovesOnlyAtLength();
    void instancesAreIndependent();
    void loadedFileToRecord();

private:
    // The instance alone in the frame, or the wizard's own once the wizard is started.
    CTabCode *page(bool targetDir) const
    {
        if (m_wizard.dlg)
            return m_wizard.PageAt<CTabCode>(targetDir ? CBrindleDlg::StepDirPrefix : CBrindleDlg::StepCode);
        return targetDir ? m_pDirPrefix : m_pCode;
    }
    // The instance on screen in the frame, with `code` in its box.
    CTabCode *showPage(bool targetDir, const QString &code);
    // The code `p` stores, in the member of the settings it edits.
    QString stored(const CTabCode *p) const
    {
        Firmware::Settings settings;
        p->GetSettings(settings);
        return p == page(true) ? settings.m_strDirPrefix : settings.m_strVersionCode;
    }

    FrameFixture m_frame;
    WizardDriver m_wizard;
    CTabCode *m_pDirPrefix = nullptr;
    CTabCode *m_pCode = nullptr;
};

void TestTabCode::init()
{
    QVERIFY(m_wizard.dir.isValid());
    QVERIFY(m_frame.Start());
    m_pDirPrefix = m_frame.Add(new CTabCode(1, m_frame.frame.get()), IDD_TAB_CODE);
    m_pCode = m_frame.Add(new CTabCode(0, m_frame.frame.get()), IDD_TAB_CODE);
}

void TestTabCode::cleanup()
{
    m_wizard.Stop();
    QCOMPARE(m_frame.Stop(), QStringList());  // no window at all, of the wizard or the frame
}

CTabCode *TestTabCode::showPage(bool targetDir, const QString &code)
{
    CTabCode *p = page(targetDir);
    Firmware::Settings settings;
    (targetDir ? settings.m_strDirPrefix : settings.m_strVersionCode) = code;
    p->SetSettings(settings);
    m_frame.Arrive(p);
    p->GetDlgItem<CEditAlnum>(CodeIds::Code)->setFocus();
    QTest::keyClick(p->GetDlgItem<CEditAlnum>(CodeIds::Code), Qt::Key_End);
    return p;
}

// clang-format off
void TestTabCode::texts_data()
{
    QTest::addColumn<bool>("targetDir");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("length");

    QTest::newRow("target directory") << true << "Target Directory Prefix:" << 4;
    QTest::newRow("version code") << false << "Firmware Code:" << 3;
}
// clang-format on

void TestTabCode::texts()
{
    QFETCH(bool, targetDir);
    QFETCH(QString, label);
    QFETCH(int, length);

    CTabCode *p = page(targetDir);
    QCOMPARE(p->RequiredLength(), length);
    QVERIFY(stored(p).isEmpty());
    QCOMPARE(p->GetDlgItem<QLabel>(CodeIds::Label)->text(),
             QStringLiteral("Firmware Code:"));  // the template's caption

    showPage(targetDir, QString());
    QCOMPARE(p->GetDlgItem<QLabel>(CodeIds::Label)->text(), label);
    QVERIFY(p->GetDlgItem<CEditAlnum>(CodeIds::Code)->IsUpperCase());
    QCOMPARE(p->GetDlgItem<CEditAlnum>(CodeIds::Code)->LimitText(), length);
}

// clang-format off
void TestTabCode::typing_data()
{
    QTest::addColumn<bool>("targetDir");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("nextEnabled");

    QTest::newRow("dir: nothing") << true << "" << "" << false;
    QTest::newRow("dir: 1") << true << "a" << "A" << false;
    QTest::newRow("dir: 3") << true << "ab1" << "AB1" << false;
    QTest::newRow("dir: 4") << true << "snap" << "SNAP" << true;
    QTest::newRow("dir: fifth refused") << true << "snap5" << "SNAP" << true;
    QTest::newRow("dir: signs refused") << true << "s-n_a p" << "SNAP" << true;
    QTest::newRow("dir: full stop refused") << true << "a.b." << "AB" << false;
    QTest::newRow("code: 2") << false << "ab" << "AB" << false;
    QTest::newRow("code: 3") << false << "x7z" << "X7Z" << true;
    QTest::newRow("code: fourth refused") << false << "abcd" << "ABC" << true;
    QTest::newRow("code: Latin-1 letters refused") << false << "\u00e9t\u00e9" << "T" << false;
    QTest::newRow("code: full stop refused") << false << "1.2" << "12" << false;
}
// clang-format on

void TestTabCode::typing()
{
    QFETCH(bool, targetDir);
    QFETCH(QString, typed);
    QFETCH(QString, code);
    QFETCH(bool, nextEnabled);

    CTabCode *p = showPage(targetDir, QString());
    QVERIFY(!m_frame.NextEnabled());
    WizardDriver::Type(p->GetDlgItem<CEditAlnum>(CodeIds::Code), typed);
    QCOMPARE(p->GetDlgItem<CEditAlnum>(CodeIds::Code)->text(), code);
    QCOMPARE(stored(p), code);  // every change is stored at once
    QCOMPARE(m_frame.NextEnabled(), nextEnabled);

    // Pasting follows the typing rule: the letters and digits, in capitals, up to the limit.
    QGuiApplication::clipboard()->setText(QStringLiteral("z-yxwv"));
    QTest::keyClick(p->GetDlgItem<CEditAlnum>(CodeIds::Code), Qt::Key_V, Qt::ControlModifier);
    const QString pasted = (code + QStringLiteral("ZYXWV")).left(p->RequiredLength());
    QCOMPARE(p->GetDlgItem<CEditAlnum>(CodeIds::Code)->text(), code.size() >= p->RequiredLength() ? code : pasted);
    QCOMPARE(m_frame.NextEnabled(), p->GetDlgItem<CEditAlnum>(CodeIds::Code)->text().size() == p->RequiredLength());
}

// clang-format off
void TestTabCode::nextOnlyForCodesTheCliTakes_data()
{
    QTest::addColumn<bool>("targetDir");
    QTest::addColumn<int>("route");
    QTest::addColumn<QString>("entered");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("nextEnabled");

    // The user's routes keep ASCII letters and digits in capitals, cut to the length; a code the
    // program puts in the box (as loaded from a file) is shown as it is. Either way Next goes
    // on only for a code that brindle-cli takes.
    enum { Typed, InputMethod, Pasted, Loaded };
    const std::pair<int, const char *> userRoutes[] = {{Typed, "typed"}, {InputMethod, "input method"}, {Pasted, "pasted"}};
    for (const auto &[route, name] : userRoutes) {
        auto row = [name](const char *what) -> QTestData & { return QTest::addRow("%s: %s", name, what); };
        row("code") << false << route << "b01" << "B01" << true;
        row("code: Cyrillic and Latin-1") << false << route << "\u0416\u00e91" << "1" << false;
        row("code: dash") << false << route << "ab-1" << "AB1" << true;
        row("code: y diaeresis") << false << route << "\u00ff9x" << "9X" << false;
        row("code: too long") << false << route << "abcd" << "ABC" << true;
        row("dir") << true << route << "snap" << "SNAP" << true;
        row("dir: signs") << true << route << "s-n.a_p" << "SNAP" << true;
        row("dir: Latin-1") << true << route << "\u00e9t\u00e912ab" << "T12A" << true;
        row("dir: too long") << true << route << "snap5" << "SNAP" << true;
    }
    auto row = [](const char *what) -> QTestData & { return QTest::addRow("loaded: %s", what); };
    row("code") << false << int(Loaded) << "B01" << "B01" << true;
    row("code: lower case") << false << int(Loaded) << "b01" << "b01" << true;
    row("code: Cyrillic and Latin-1") << false << int(Loaded) << "\u0416\u00e91" << "\u0416\u00e91" << false;
    row("code: dash") << false << int(Loaded) << "ab-1" << "ab-1" << false;
    row("code: y diaeresis") << false << int(Loaded) << "\u00ff9x" << "\u00ff9x" << false;
    row("dir") << true << int(Loaded) << "SNAP" << "SNAP" << true;
    row("dir: dash") << true << int(Loaded) << "SN-P" << "SN-P" << false;
    row("dir: too long") << true << int(Loaded) << "SNAP5" << "SNAP5" << false;
}
// clang-format on

void TestTabCode::nextOnlyForCodesTheCliTakes()
{
    enum { Typed, InputMethod, Pasted, Loaded };
    QFETCH(bool, targetDir);
    QFETCH(int, route);
    QFETCH(QString, entered);
    QFETCH(QString, shown);
    QFETCH(bool, nextEnabled);

    CTabCode *p = showPage(targetDir, route == Loaded ? entered : QString());
    switch (route) {
    case Typed: WizardDriver::Type(p->GetDlgItem<CEditAlnum>(CodeIds::Code), entered); break;
    case InputMethod: {
        QInputMethodEvent event;
        event.setCommitString(entered);
        QApplication::sendEvent(p->GetDlgItem<CEditAlnum>(CodeIds::Code), &event);
        break;
    }
    case Pasted:
        QGuiApplication::clipboard()->setText(entered);
        QTest::keyClick(p->GetDlgItem<CEditAlnum>(CodeIds::Code), Qt::Key_V, Qt::ControlModifier);
        break;
    default: break;
    }
    QCOMPARE(p->GetDlgItem<CEditAlnum>(CodeIds::Code)->text(), shown);
    QCOMPARE(stored(p), shown);
    QCOMPARE(m_frame.NextEnabled(), nextEnabled);

    // Enter goes on exactly when Next is enabled, and the code goes on as shown.
    QTest::keyClick(p->GetDlgItem<CEditAlnum>(CodeIds::Code), Qt::Key_Return);
    QCOMPARE(m_frame.frame->commands, QList<int>{WizardIds::Next});
    QCOMPARE(p->IsShown(), !nextEnabled);
    QCOMPARE(stored(p), shown);
}

// clang-format off
void TestTabCode::loadedCode_data()
{
    QTest::addColumn<bool>("targetDir");
    QTest::addColumn<QString>("loaded");
    QTest::addColumn<bool>("nextEnabled");

    QTest::newRow("dir: empty") << true << "" << false;
    QTest::newRow("dir: right length") << true << "SNAP" << true;
    QTest::newRow("dir: short") << true << "SN" << false;
    QTest::newRow("dir: long") << true << "SNAPS" << false;
    QTest::newRow("code: right length") << false << "ABC" << true;
    QTest::newRow("code: 2") << false << "AB" << false;
    QTest::newRow("code: 4") << false << "ABCD" << false;
    QTest::newRow("code: lower case kept") << false << "abc" << true;
    // Shown as loaded, but brindle-cli would refuse it: it has to be changed first.
    QTest::newRow("code: sign kept") << false << "A-B" << false;
    QTest::newRow("dir: Latin-1 letter kept") << true << "SN\u00c4P" << false;
    QTest::newRow("dir: blank kept") << true << "SN P" << false;
}
// clang-format on

void TestTabCode::loadedCode()
{
    QFETCH(bool, targetDir);
    QFETCH(QString, loaded);
    QFETCH(bool, nextEnabled);

    CTabCode *p = showPage(targetDir, loaded);
    QCOMPARE(p->GetDlgItem<CEditAlnum>(CodeIds::Code)->text(), loaded);
    QCOMPARE(stored(p), loaded);
    QCOMPARE(m_frame.NextEnabled(), nextEnabled);

    // A code at or over the limit cannot grow; one under it can be brought to the length.
    WizardDriver::Type(p->GetDlgItem<CEditAlnum>(CodeIds::Code), QStringLiteral("q"));
    const int required = p->RequiredLength();
    if (loaded.size() >= required) {
        QCOMPARE(p->GetDlgItem<CEditAlnum>(CodeIds::Code)->text(), loaded);
    } else {
        QCOMPARE(p->GetDlgItem<CEditAlnum>(CodeIds::Code)->text(), loaded + QLatin1Char('Q'));
        WizardDriver::Type(p->GetDlgItem<CEditAlnum>(CodeIds::Code), QStringLiteral("zzzz"));
        QCOMPARE(p->GetDlgItem<CEditAlnum>(CodeIds::Code)->text().size(), required);
        QVERIFY(m_frame.NextEnabled());
    }

    // Shortening works at any length, and Next follows.
    while (!p->GetDlgItem<CEditAlnum>(CodeIds::Code)->text().isEmpty()) {
        QTest::keyClick(p->GetDlgItem<CEditAlnum>(CodeIds::Code), Qt::Key_Backspace);
        QCOMPARE(m_frame.NextEnabled(), p->GetDlgItem<CEditAlnum>(CodeIds::Code)->text().size() == required);
    }
}

void TestTabCode::revisitKeepsTheRule()
{
    // The box still holds the code from the last visit: showing it again must still check it.
    CTabCode *p = showPage(false, QStringLiteral("AB"));
    QVERIFY(!m_frame.NextEnabled());
    m_frame.Arrive(page(true));
    page(true)->GetDlgItem<CEditAlnum>(CodeIds::Code)->setText(QStringLiteral("SNAP"));
    QVERIFY(m_frame.NextEnabled());
    m_frame.Arrive(p);
    QCOMPARE(p->GetDlgItem<CEditAlnum>(CodeIds::Code)->text(), QStringLiteral("AB"));
    QVERIFY(!m_frame.NextEnabled());

    // An empty code leaves Next disabled too.
    m_frame.Arrive(page(true));
    p->SetSettings(Firmware::Settings());  // settings with no code
    m_frame.Arrive(p);
    QVERIFY(!m_frame.NextEnabled());
}

// clang-format off
void TestTabCode::backStoresAnyLength_data()
{
    QTest::addColumn<bool>("targetDir");
    QTest::addColumn<QString>("typed");

    QTest::newRow("dir: 2") << true << "ab";
    QTest::newRow("dir: empty") << true << "";
    QTest::newRow("code: 1") << false << "x";
    QTest::newRow("code: 3") << false << "xyz";
}
// clang-format on

void TestTabCode::backStoresAnyLength()
{
    QFETCH(bool, targetDir);
    QFETCH(QString, typed);

    CTabCode *p = showPage(targetDir, QStringLiteral("OLD1").left(targetDir ? 4 : 3));
    WizardDriver::Retype(p->GetDlgItem<CEditAlnum>(CodeIds::Code), typed);
    m_frame.Back();
    QVERIFY(!p->IsShown());
    QCOMPARE(stored(p), typed.toUpper());
    QCOMPARE(p->GetDlgItem<CEditAlnum>(CodeIds::Code)->LimitText(), p->RequiredLength());
}

// clang-format off
void TestTabCode::enterMovesOnlyAtLength_data()
{
    QTest::addColumn<bool>("targetDir");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("moves");

    QTest::newRow("dir: 3") << true << "abc" << false;
    QTest::newRow("dir: 4") << true << "abcd" << true;
    QTest::newRow("code: 2") << false << "ab" << false;
    QTest::newRow("code: 3") << false << "abc" << true;
}
// clang-format on

void TestTabCode::enterMovesOnlyAtLength()
{
    QFETCH(bool, targetDir);
    QFETCH(QString, typed);
    QFETCH(bool, moves);

    CTabCode *p = showPage(targetDir, QString());
    WizardDriver::Type(p->GetDlgItem<CEditAlnum>(CodeIds::Code), typed);
    QTest::keyClick(p->GetDlgItem<CEditAlnum>(CodeIds::Code), Qt::Key_Return);
    QCOMPARE(m_frame.frame->commands, QList<int>{WizardIds::Next});
    QCOMPARE(p->IsShown(), !moves);
    QCOMPARE(stored(p), typed.toUpper());
}

void TestTabCode::instancesAreIndependent()
{
    CTabCode *dir = showPage(true, QStringLiteral("SNAP"));
    WizardDriver::Retype(dir->GetDlgItem<CEditAlnum>(CodeIds::Code), QStringLiteral("dump"));
    CTabCode *code = page(false);
    m_frame.Arrive(code);
    QCOMPARE(code->GetDlgItem<CEditAlnum>(CodeIds::Code)->text(), QString());
    WizardDriver::Type(code->GetDlgItem<CEditAlnum>(CodeIds::Code), QStringLiteral("abc"));
    Firmware::Settings settings;
    dir->GetSettings(settings);
    code->GetSettings(settings);
    QCOMPARE(settings.m_strDirPrefix, QStringLiteral("DUMP"));
    QCOMPARE(settings.m_strVersionCode, QStringLiteral("ABC"));
    // A change of the hidden instance's box does not touch the Next button of the shown one.
    dir->GetDlgItem<CEditAlnum>(CodeIds::Code)->setText(QStringLiteral("X"));
    QVERIFY(m_frame.NextEnabled());
}

void TestTabCode::loadedFileToRecord()
{
    ImageBuilder builder(ImageBuilder::Rom, "03.64-XYZQWEXF");
    builder.setDirPrefix("SNAP");
    QVERIFY(m_wizard.Start());
    QVERIFY(m_wizard.Load(builder));
    QVERIFY(m_wizard.NextUntil(CBrindleDlg::StepDirPrefix));
    QCOMPARE(page(true)->GetDlgItem<CEditAlnum>(CodeIds::Code)->text(), QStringLiteral("SNAP"));
    QVERIFY(m_wizard.NextEnabled());
    WizardDriver::Retype(page(true)->GetDlgItem<CEditAlnum>(CodeIds::Code), QStringLiteral("logs"));
    m_wizard.Next();
    // Loading gives the record no version code, so the page starts empty.
    QCOMPARE(page(false)->GetDlgItem<CEditAlnum>(CodeIds::Code)->text(), QString());
    QVERIFY(!m_wizard.NextEnabled());
    WizardDriver::Type(page(false)->GetDlgItem<CEditAlnum>(CodeIds::Code), QStringLiteral("q1a"));
    m_wizard.Next();
    QCOMPARE(m_wizard.Step(), CBrindleDlg::StepConfirm);
    QCOMPARE(m_wizard.dlg->Record().m_strDirPrefix, QStringLiteral("LOGS"));
    QCOMPARE(m_wizard.dlg->Record().m_strVersionCode, QStringLiteral("Q1A"));
    QCOMPARE(m_wizard.dlg->Record().m_strVersion, QStringLiteral("03.64-Q1AQWEXF"));
}

QTEST_MAIN(TestTabCode)
#include "tst_tabcode.moc"
