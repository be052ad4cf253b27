// The wizard opened from outside: `brindle FILE`, help and version without a window, a wrong
// command line, and a start with no display to show the window on.

// Qt
#include <QApplication>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "brindle_version.h"
#include "common/imagebuilder.h"
#include "leftovers.h"
#include "pages/tabfile.h"
#include "recorder.h"
#include "resources/resourceids.h"
#include "wizard/brindleapp.h"
#include "wizard/brindledlg.h"
#include "wizard/exitwhenshown.h"
#include "wizard/startup.h"
#include "wizarddriver.h"

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void openFile_data();
    void openFile();
    void applicationOpensFileOnStart();
    void parse_data();
    void parse();
#ifdef BRINDLE_PATH
    void program_data();
    void program();
    void noDisplay_data();
    void noDisplay();
    void exitWhenShown_data();
    void exitWhenShown();
#endif

private:
    std::unique_ptr<QTemporaryDir> m_tempDir;
    RecordingServices m_services;
};

void TestCommandLine::init()
{
    m_tempDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tempDir->isValid());
    m_services = RecordingServices();
}

void TestCommandLine::cleanup()
{
    m_tempDir.reset();
    QCOMPARE(m_services.waitDepth, 0);
    QCOMPARE(LeftoverWindows(), QStringList());
}

// The file given from outside is loaded as if typed on "File Open" and Next pressed: a firmware
// file lands on "File Summary", a refusal shows its message and leaves the path on "File Open".
void TestCommandLine::openFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");  // empty: no such file
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("caption");

    QTest::newRow("ROM image") << "fw.ROM" << ImageBuilder().build() << int(CBrindleDlg::StepSummary) << QString();
    QTest::newRow("upgrade file, lower-case name")
        << "fw.quf" << ImageBuilder(ImageBuilder::Upgrade, "03.64QSOLF").build() << int(CBrindleDlg::StepSummary)
        << QString();
    QTest::newRow("BLD image") << "fw.bin" << ImageBuilder(ImageBuilder::Bld).build() << int(CBrindleDlg::StepSummary)
                               << QString();
    QTest::newRow("not firmware") << "notes.ROM" << QByteArray(1000, 'x') << int(CBrindleDlg::StepOpen)
                                  << "File Format Error";
    QTest::newRow("unknown version") << "old.ROM" << ImageBuilder(ImageBuilder::Rom, "03.54QHARF").build()
                                     << int(CBrindleDlg::StepOpen) << "Firmware Version Error";
    QTest::newRow("no such file") << "missing.ROM" << QByteArray() << int(CBrindleDlg::StepOpen)
                                  << "Could not open source file";
}

void TestCommandLine::openFile()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(int, step);
    QFETCH(QString, caption);

    const QString path = m_tempDir->filePath(name);
    if (!bytes.isEmpty())
        QVERIFY(ImageBuilder::WriteFile(path, bytes));
    CBrindleDlg dlg(&m_services);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    dlg.OpenFile(path);

    QCOMPARE(dlg.CurrentStep(), step);
    if (step == CBrindleDlg::StepSummary) {
        QVERIFY(m_services.messages.isEmpty());
        QCOMPARE(dlg.GetDlgItem<QLabel>(WizardIds::Title)->text(), QStringLiteral("Firmware Settings"));
        QCOMPARE(dlg.LoadedFile(), path);
        QVERIFY(dlg.BackButton()->isEnabled());
        return;
    }
    QCOMPARE(m_services.messages.size(), 1);
    QCOMPARE(m_services.messages.at(0).caption, caption);
    QCOMPARE(dlg.StepPage<CTabFile>(CBrindleDlg::StepOpen)->GetDlgItem<QLineEdit>(FileIds::Path)->text(), path);
    QVERIFY(dlg.StepPage<CTabFile>(CBrindleDlg::StepOpen)->isVisible());
    QVERIFY(!dlg.BackButton()->isEnabled());

    // The file put right, Next reads it again from the same path.
    if (bytes.isEmpty())
        return;
    QVERIFY(ImageBuilder().writeTo(path));
    PressNext(dlg);
    QCOMPARE(dlg.CurrentStep(), int(CBrindleDlg::StepSummary));
    QCOMPARE(m_services.messages.size(), 1);
}

// The application opens the file once its window shows, and still ends with 0.
void TestCommandLine::applicationOpensFileOnStart()
{
    const QString path = m_tempDir->filePath(QStringLiteral("fw.QUF"));
    QVERIFY(ImageBuilder(ImageBuilder::Upgrade).writeTo(path));
    int stepSeen = -1;
    QTimer::singleShot(0, this, [&stepSeen] {
        // Runs inside the wizard's modal loop, after the wizard's own first event.
        QTimer::singleShot(0, [&stepSeen] {
            auto *dlg = qobject_cast<CBrindleDlg *>(QApplication::activeModalWidget());
            if (!dlg)
                return;
            stepSeen = dlg->CurrentStep();
            dlg->reject();
        });
    });
    QCOMPARE(CBrindleApp::InitInstance(&m_services, path), 0);
    QCOMPARE(stepSeen, int(CBrindleDlg::StepSummary));
    QVERIFY(m_services.messages.isEmpty());
}

void TestCommandLine::parse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("text");  // the start of the text printed

    using I = Startup::Invocation;
    QTest::newRow("nothing") << QStringList{} << int(I::Run) << QString() << QString();
    QTest::newRow("a file") << QStringList{"fw.QUF"} << int(I::Run) << "fw.QUF" << QString();
    QTest::newRow("a file after --") << QStringList{"--", "-odd.ROM"} << int(I::Run) << "-odd.ROM" << QString();
    QTest::newRow("--help") << QStringList{"--help"} << int(I::Help) << QString()
                            << "Usage: brindle [options] [FILE]\n";
    QTest::newRow("-h with a file") << QStringList{"fw.ROM", "-h"} << int(I::Help) << QString()
                                    << "Usage: brindle [options] [FILE]\n";
    QTest::newRow("--help with an unknown option")
        << QStringList{"--bogus", "--help"} << int(I::Help) << QString() << "Usage: brindle [options] [FILE]\n";
    QTest::newRow("--version") << QStringList{"--version"} << int(I::Version) << QString()
                               << "brindle " BRINDLE_VERSION_STRING
                                  " (Norvale Firmware Customiser V" BRINDLE_DISPLAY_VERSION ")\n";
    QTest::newRow("two files") << QStringList{"a.ROM", "b.ROM"} << int(I::UsageError) << QString()
                               << "brindle: one FILE at most, 2 given; see 'brindle --help'\n";

    // Unknown options, worded as brindle-cli words them, with the option meant.
    QTest::newRow("unknown option") << QStringList{"--bogus"} << int(I::UsageError) << QString()
                                    << "brindle: unknown option '--bogus'; see 'brindle --help'\n";
    QTest::newRow("unknown option, one dash") << QStringList{"-bogus", "fw.ROM"} << int(I::UsageError) << QString()
                                              << "brindle: unknown option '-bogus'; see 'brindle --help'\n";
    QTest::newRow("unknown short option") << QStringList{"-x"} << int(I::UsageError) << QString()
                                          << "brindle: unknown option '-x'; see 'brindle --help'\n";
    QTest::newRow("no near miss of a short word") << QStringList{"--json"} << int(I::UsageError) << QString()
                                                  << "brindle: unknown option '--json'; see 'brindle --help'\n";
    QTest::newRow("a beginning")
        << QStringList{"--vers"} << int(I::UsageError) << QString()
        << "brindle: unknown option '--vers' (did you mean --version?); see 'brindle --help'\n";
    QTest::newRow("a near miss") << QStringList{"--hepl"} << int(I::UsageError) << QString()
                                 << "brindle: unknown option '--hepl' (did you mean --help?); see 'brindle --help'\n";
    QTest::newRow("a near miss of Qt's") << QStringList{"-platfrom", "xcb"} << int(I::UsageError) << QString()
                                         << "brindle: unknown option '-platfrom' (did you mean --platform?); see "
                                            "'brindle --help'\n";

    // Qt's own options: taken with their values, with one dash or two, and refused without one.
    QTest::newRow("-platform with a file")
        << QStringList{"-platform", "offscreen", "fw.ROM"} << int(I::Run) << "fw.ROM" << QString();
    QTest::newRow("--platform") << QStringList{"--platform", "offscreen"} << int(I::Run) << QString() << QString();
    QTest::newRow("-style") << QStringList{"-style", "fusion"} << int(I::Run) << QString() << QString();
    QTest::newRow("-style=") << QStringList{"-style=fusion", "fw.ROM"} << int(I::Run) << "fw.ROM" << QString();
    QTest::newRow("-reverse takes no value")
        << QStringList{"-reverse", "fw.ROM"} << int(I::Run) << "fw.ROM" << QString();
    QTest::newRow("a value that begins with a dash")
        << QStringList{"-qwindowtitle", "-x-"} << int(I::Run) << QString() << QString();
    QTest::newRow("-platform without its value") << QStringList{"-platform"} << int(I::UsageError) << QString()
                                                 << "brindle: missing value after '-platform'; see 'brindle --help'\n";
    QTest::newRow("--platform without its value")
        << QStringList{"fw.ROM", "--platform"} << int(I::UsageError) << QString()
        << "brindle: missing value after '--platform'; see 'brindle --help'\n";
    QTest::newRow("-style without its value") << QStringList{"-style"} << int(I::UsageError) << QString()
                                              << "brindle: missing value after '-style'; see 'brindle --help'\n";
}

void TestCommandLine::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, action);
    QFETCH(QString, file);
    QFETCH(QString, text);

    arguments.prepend(QStringLiteral("/some/build/path/brindle"));
    const Startup::Invocation invocation = Startup::ParseArguments(arguments);
    QCOMPARE(int(invocation.action), action);
    QCOMPARE(invocation.file, file);
    if (action == Startup::Invocation::UsageError)
        QCOMPARE(invocation.text, text);
    else
        QVERIFY2(invocation.text.startsWith(text), qPrintable(invocation.text));
    if (action == Startup::Invocation::Help) {
        QVERIFY(!invocation.text.contains(QLatin1String("/some/build/path")));
        QVERIFY(!invocation.text.contains(QLatin1String("--help-all")));
        QVERIFY(invocation.text.contains(QLatin1String("--version")));
        QVERIFY(invocation.text.contains(QLatin1String("FILE")));
        // Qt's options are Qt's business, not listed.
        QVERIFY(!invocation.text.contains(QLatin1String("platform")));
    }
}

#ifdef BRINDLE_PATH
// The program itself, with no display at all: help and version need none, and say nothing on
// standard error.
void TestCommandLine::program_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");

    QTest::newRow("--help") << QStringList{"--help"} << 0 << "Usage: brindle [options] [FILE]\n" << QString();
    QTest::newRow("-v") << QStringList{"-v"} << 0 << "brindle " BRINDLE_VERSION_STRING " (" << QString();
    QTest::newRow("two files") << QStringList{"a", "b"} << 2 << QString()
                               << "brindle: one FILE at most, 2 given; see 'brindle --help'\n";
    QTest::newRow("unknown option") << QStringList{"--bogus"} << 2 << QString()
                                    << "brindle: unknown option '--bogus'; see 'brindle --help'\n";
    // Without its value, Qt's option would be passed over and the wizard opened.
    QTest::newRow("-platform without its value") << QStringList{"-platform"} << 2 << QString()
                                                 << "brindle: missing value after '-platform'; see 'brindle --help'\n";
}

static QProcessEnvironment Without(std::initializer_list<const char *> names)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : names)
        env.remove(QString::fromLatin1(name));
    return env;
}

void TestCommandLine::program()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);

    QProcess p;
    p.setProcessEnvironment(
        Without({"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE", "XDG_RUNTIME_DIR"}));
    p.start(QStringLiteral(BRINDLE_PATH), arguments);
    QVERIFY(p.waitForFinished(20000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), exitCode);
    const QString stdOut = QString::fromLocal8Bit(p.readAllStandardOutput());
    const QString stdErr = QString::fromLocal8Bit(p.readAllStandardError());
    QVERIFY2(stdOut.startsWith(out), qPrintable(stdOut));
    if (out.isEmpty())
        QVERIFY(stdOut.isEmpty());
    QVERIFY2(stdErr.startsWith(err), qPrintable(stdErr));
    if (err.isEmpty())
        QVERIFY2(stdErr.isEmpty(), qPrintable(stdErr));
}

// No display: one line that says what is missing, and exit 1 (not Qt's abort with its advice to
// reinstall the program).
void TestCommandLine::noDisplay_data()
{
    QTest::addColumn<QStringList>("set");  // NAME=VALUE
    QTest::addColumn<QString>("line");

    const QString prefix = QStringLiteral("brindle: cannot show the wizard: ");
    QTest::newRow("no DISPLAY") << QStringList{} << prefix + "no X display (DISPLAY is not set)\n";
    QTest::newRow("dead DISPLAY") << QStringList{"DISPLAY=:4711"}
                                  << prefix + "cannot connect to the X display DISPLAY=:4711\n";
    // Only where the Wayland plugin is not installed, as on this project's build machines.
    QTest::newRow("Wayland only") << QStringList{"XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=brindle-test-0"}
                                  << prefix
                                         + "no X display (DISPLAY is not set); Qt's Wayland platform plugin is not "
                                           "installed (install the package qt6-wayland)\n";
}

void TestCommandLine::noDisplay()
{
    QFETCH(QStringList, set);
    QFETCH(QString, line);

    if (QTest::currentDataTag() == QLatin1String("Wayland only")) {
        const QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
        if (!platforms.entryList({QStringLiteral("*wayland*")}).isEmpty())
            QSKIP("Qt's Wayland platform plugin is installed here: a Wayland-only start cannot lack it");
    }
    QProcessEnvironment env =
        Without({"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE", "XDG_CURRENT_DESKTOP"});
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_tempDir->path());
    for (const QString &assignment : set)
        env.insert(assignment.section(QLatin1Char('='), 0, 0), assignment.section(QLatin1Char('='), 1));
    const QString path = m_tempDir->filePath(QStringLiteral("fw.ROM"));
    QVERIFY(ImageBuilder().writeTo(path));

    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(BRINDLE_PATH), {path});
    QVERIFY(p.waitForFinished(20000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), Startup::kExitNoDisplay);
    QCOMPARE(QString::fromLocal8Bit(p.readAllStandardError()), line);
    QVERIFY(p.readAllStandardOutput().isEmpty());
}

// BRINDLE_EXIT_WHEN_SHOWN, which the start-up benchmark stops the program with: the wizard ends
// by itself, with 0 and without a word, once its window is up (and a file given has been read).
void TestCommandLine::exitWhenShown_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("File Open") << QString();
    QTest::newRow("a file given") << QStringLiteral("fw.ROM");
}

void TestCommandLine::exitWhenShown()
{
    QFETCH(QString, file);

    QProcessEnvironment env = Without({"DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE"});
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_tempDir->path());
    env.insert(QString::fromLatin1(Startup::kExitWhenShownVariable), QStringLiteral("1"));
    QStringList arguments;
    if (!file.isEmpty()) {
        arguments.append(m_tempDir->filePath(file));
        QVERIFY(ImageBuilder().writeTo(arguments.constFirst()));
    }

    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(BRINDLE_PATH), arguments);
    QVERIFY2(p.waitForFinished(60000), "the wizard did not end by itself once shown");
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(QString::fromLocal8Bit(p.readAllStandardError()), QString());
    QVERIFY(p.readAllStandardOutput().isEmpty());
}
#endif

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
