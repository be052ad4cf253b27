// brindle-cli write, run as a real process, where saving meets the file system: a device whose
// flush fails, the dry run's refusals against the run's (permissions, sticky and append-only
// folders, links, long names), what a replace keeps, and signals that arrive while a file is
// being saved. Each table runs the dry run and the run in two folders set up alike.

// Std
#include <cerrno>
#include <csignal>
#if defined(__unix__)
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

// Qt
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include "common/filesnapshot.h"
#include "common/flushmount.h"
#include "common/imagebuilder.h"
#include "common/tracedrun.h"
#include "firmware/fileerror.h"
#include "firmware/recordstate.h"

namespace {

constexpr int kProcessTimeoutMs = 30000;

struct CliRun {
    bool finished = false;
    bool crashed = false;  // ended by a signal
    int exitCode = -1;
    QString out;
    QString err;
};

CliRun Finish(QProcess &process)
{
    CliRun run;
    // waitForFinished says false for a process that has ended already.
    if (process.state() != QProcess::NotRunning && !process.waitForFinished(kProcessTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        run.err = QStringLiteral("brindle-cli did not finish");
        return run;
    }
    run.finished = true;
    run.crashed = process.exitStatus() == QProcess::CrashExit;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// Runs brindle-cli in `folder`; as the user nobody when `asNobody`, through setpriv.
CliRun RunIn(const QString &folder, const QStringList &args, bool asNobody = false)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    if (asNobody) {
        process.setProgram(QStandardPaths::findExecutable(QStringLiteral("setpriv")));
        process.setArguments(QStringList{QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                                         QStringLiteral("--clear-groups"), QStringLiteral(BRINDLE_CLI_PATH)}
                             + args);
    } else {
        process.setProgram(QStringLiteral(BRINDLE_CLI_PATH));
        process.setArguments(args);
    }
    process.start();
    return Finish(process);
}

bool Tool(const QString &program, const QStringList &arguments)
{
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return false;
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    p.start(path, arguments);
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool Chmod(const QString &path, unsigned mode)
{
#if defined(__unix__)
    return ::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0;
#else
    Q_UNUSED(path);
    Q_UNUSED(mode);
    return false;
#endif
}

bool Symlink(const QString &target, const QString &at)
{
#if defined(__unix__)
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(at).constData()) == 0;
#else
    Q_UNUSED(target);
    Q_UNUSED(at);
    return false;
#endif
}

// The temporary files a save may leave: hidden names the target never has.
QStringList Leftovers(const QString &folder)
{
    QStringList left;
    for (const QString &name : FileSnapshot::Names(folder)) {
        if (name.startsWith(QLatin1String(".brindle-")))
            left << name;
    }
    return left;
}

}  // namespace

class TestCliSave : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void failedFlush_data();
    void failedFlush();
    void dryRunAgrees_data();
    void dryRunAgrees();
    void replaceKeepsMetadata();
    void newFileMode_data();
    void newFileMode();
    void signalDuringFlush_data();
    void signalDuringFlush();
    void signalAtSystemCall_data();
    void signalAtSystemCall();
    void newNameWithoutLinkOrNoReplace_data();
    void newNameWithoutLinkOrNoReplace();
    void folderSwappedDuringReplace();
    void mountsAndLimits_data();
    void mountsAndLimits();

private:
    QString folder(const QString &name);
    // Undoes chattr on everything under the test folder, so that it can be removed.
    void unlock();

    QTemporaryDir m_top;
    QScopedPointer<QTemporaryDir> m_dir;
    QByteArray m_source;
    QByteArray m_written;  // what write SOURCE out.rom --code ABC writes
    QStringList m_locked;  // paths given chattr +a or +i
};

void TestCliSave::initTestCase()
{
    QVERIFY(m_top.isValid());
    // Runs as nobody must reach the test folders.
    QVERIFY(Chmod(m_top.path(), 0755));
    m_source = ImageBuilder(ImageBuilder::Rom).build();
    const QString src = m_top.filePath(QStringLiteral("src.rom"));
    QVERIFY(ImageBuilder::WriteFile(src, m_source));
    QVERIFY(Chmod(src, 0644));
    const CliRun run = RunIn(m_top.path(), {"write", "src.rom", "reference.rom", "--code", "ABC"});
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    m_written = ImageBuilder::ReadFile(m_top.filePath(QStringLiteral("reference.rom")));
    QCOMPARE(m_written.size(), qsizetype(65536));
}

void TestCliSave::init()
{
    m_dir.reset(new QTemporaryDir(m_top.filePath(QStringLiteral("case-XXXXXX"))));
    QVERIFY(m_dir->isValid());
    QVERIFY(Chmod(m_dir->path(), 0755));
}

void TestCliSave::cleanup()
{
    unlock();
    // Folders made unreadable or unwritable for a case are opened up again for removal.
    QProcess::execute(QStringLiteral("chmod"), {QStringLiteral("-R"), QStringLiteral("u+rwx"), m_dir->path()});
    m_dir.reset();
}

void TestCliSave::unlock()
{
    for (const QString &path : std::as_const(m_locked))
        Tool(QStringLiteral("chattr"), {QStringLiteral("-a"), QStringLiteral("-i"), path});
    m_locked.clear();
}

QString TestCliSave::folder(const QString &name)
{
    const QString path = m_dir->filePath(name);
    return QDir().mkpath(path) ? path : QString();
}

// ---- a device whose flush fails -------------------------------------------------------

// clang-format off
void TestCliSave::failedFlush_data()
{
    QTest::addColumn<QString>("layer");  // where the flush fails
    QTest::addColumn<bool>("replace");
    QTest::addColumn<bool>("dryRun");
    // FUSE has no unnamed temporary files: the save uses a named one there. strace makes the
    // fsync system call fail on the test's own file system, where the save's file has no name.
    for (const char *layer : {"fuse", "strace"}) {
        QTest::addRow("%s: new name", layer) << layer << false << false;
        QTest::addRow("%s: new name, dry run", layer) << layer << false << true;
        QTest::addRow("%s: --force", layer) << layer << true << false;
        QTest::addRow("%s: --force, dry run", layer) << layer << true << true;
    }
}
// clang-format on

// fsync fails with EIO, on a FUSE pass-through or injected at the system call: exit 1 with the
// system's text, the old file byte-identical, nothing left in the folder; the dry run, which
// flushes its empty temporary file, says the same.
void TestCliSave::failedFlush()
{
    QFETCH(QString, layer);
    QFETCH(bool, replace);
    QFETCH(bool, dryRun);
    const bool fuse = layer == QLatin1String("fuse");
    const FlushMount mount(fuse ? QStringLiteral("eio") : QString());
    if (fuse && !mount.isMounted())
        QSKIP(qPrintable(mount.skipReason()));
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (!fuse && strace.isEmpty())
        QSKIP("strace is not installed");
    const QString dir = fuse ? mount.path() : m_dir->path();
    const QString target = QDir(dir).filePath(QStringLiteral("out.rom"));
    const QByteArray old("the old file, which must survive");
    if (replace)
        QVERIFY(ImageBuilder::WriteFile(target, old));
    QStringList args{"write", m_top.filePath(QStringLiteral("src.rom")), "out.rom", "--code", "ABC"};
    if (replace)
        args << "--force";
    if (dryRun)
        args << "--dry-run";

    CliRun run;
    if (fuse) {
        run = RunIn(dir, args);
    } else {
        QProcess process;
        process.setWorkingDirectory(dir);
        process.setProcessEnvironment(TracedRun::WithoutLeakCheck());
        process.start(strace, QStringList{"-f", "-qq", "-o", "/dev/null", "-e", "trace=fsync", "-e",
                                          "inject=fsync:error=EIO", QStringLiteral(BRINDLE_CLI_PATH)}
                                  + args);
        run = Finish(process);
    }
    QCOMPARE(run.err, QStringLiteral("brindle-cli: could not write destination file: %1 while accessing out.rom.\n")
                          .arg(FileError::SystemText(EIO)));
    QCOMPARE(run.out, QString());
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(FileSnapshot::Names(dir), replace ? QStringList{QStringLiteral("out.rom")} : QStringList());
    if (replace)
        QCOMPARE(ImageBuilder::ReadFile(target), old);
}

// ---- a new file's mode -----------------------------------------------------------------

// clang-format off
void TestCliSave::newFileMode_data()
{
    QTest::addColumn<QString>("layer");  // "local": an unnamed temporary file; "fuse": a named one
    QTest::addColumn<int>("umask");
    QTest::addColumn<int>("mode");
    for (const char *layer : {"local", "fuse"}) {
        QTest::addRow("%s, umask 022", layer) << layer << 022 << 0644;
        QTest::addRow("%s, umask 077", layer) << layer << 077 << 0600;
    }
}
// clang-format on

// A file that did not exist gets the mode any program gives a new file, 0666 less the umask,
// whichever way the save makes it.
void TestCliSave::newFileMode()
{
#ifndef __unix__
    QSKIP("File modes and the umask are tested on Unix");
#else
    QFETCH(QString, layer);
    QFETCH(int, umask);
    QFETCH(int, mode);
    // The pass-through file system creates its files with the mode it is given, unmasked.
    const mode_t testMask = ::umask(0);
    const FlushMount mount(layer == QLatin1String("fuse") ? QStringLiteral("pass") : QString());
    ::umask(testMask);
    if (layer == QLatin1String("fuse") && !mount.isMounted())
        QSKIP(qPrintable(mount.skipReason()));
    const QString dir = layer == QLatin1String("fuse") ? mount.path() : m_dir->path();
    const QByteArray dirName = QFile::encodeName(dir);
    if (::getxattr(dirName.constData(), "system.posix_acl_default", nullptr, 0) > 0)
        QSKIP("The folder has a default ACL, which decides a new file's mode instead of the umask");

    QProcess process;
    process.setWorkingDirectory(dir);
    process.setProgram(QStringLiteral(BRINDLE_CLI_PATH));
    process.setArguments({"write", m_top.filePath(QStringLiteral("src.rom")), "out.rom", "--code", "ABC"});
    const mode_t childMask = mode_t(umask);
    process.setChildProcessModifier([childMask] { ::umask(childMask); });
    process.start();
    const CliRun run = Finish(process);
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(ImageBuilder::ReadFile(QDir(dir).filePath(QStringLiteral("out.rom"))), m_written);
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(QDir(dir).filePath(QStringLiteral("out.rom"))).constData(), &st), 0);
    QCOMPARE(QString::number(st.st_mode & 07777, 8), QString::number(mode, 8));
    QCOMPARE(Leftovers(dir), QStringList());
#endif
}

// ---- the dry run's refusals are the run's ---------------------------------------------

// clang-format off
void TestCliSave::dryRunAgrees_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("force");
    QTest::addColumn<bool>("asNobody");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("err");  // standard error's first line; empty for success
    const QString open = QStringLiteral("brindle-cli: could not open destination file: ");
    const QString name250 = QString(246, 'n') + QStringLiteral(".rom");
    const QString name255 = QString(251, 'n') + QStringLiteral(".rom");
    const QString name256 = QString(252, 'n') + QStringLiteral(".rom");

    QTest::newRow("folder with write but no search permission") << "no search" << "d/out.rom" << false << true
        << 1 << open + "Access to d/out.rom was denied.";
    QTest::newRow("sticky folder, another user's writable file") << "sticky" << "s/out.rom" << true << true
        << 1 << open + "Access to s/out.rom was denied.";
    QTest::newRow("--force through a link into a read-only folder") << "link to read-only" << "link.rom" << true << true
        << 1 << open + "Access to link.rom was denied.";
    QTest::newRow("append-only folder, new name") << "append-only" << "a/out.rom" << false << false << 0 << "";
    QTest::newRow("append-only folder, --force") << "append-only, file" << "a/out.rom" << true << false
        << 1 << open + "Access to a/out.rom was denied.";
    QTest::newRow("append-only file, --force") << "append-only file" << "out.rom" << true << false
        << 1 << open + "Access to out.rom was denied.";
    QTest::newRow("immutable folder") << "immutable" << "i/out.rom" << false << false
        << 1 << open + "Access to i/out.rom was denied.";
    QTest::newRow("link to a file, --force") << "link" << "link.rom" << true << false << 0 << "";
    QTest::newRow("dangling link") << "dangling" << "link.rom" << false << false
        << 1 << open + "link.rom is a symbolic link to a file that does not exist.";
    QTest::newRow("dangling link, --force") << "dangling" << "link.rom" << true << false
        << 1 << open + "link.rom is a symbolic link to a file that does not exist.";
    QTest::newRow("hard link, --force") << "hard link" << "out.rom" << true << false << 0 << "";
    QTest::newRow("250-byte name") << "" << name250 << false << false << 0 << "";
    QTest::newRow("255-byte name") << "" << name255 << false << false << 0 << "";
    QTest::newRow("255-byte name, --force") << "file" << name255 << true << false << 0 << "";
    QTest::newRow("256-byte name") << "" << name256 << false << false
        << 1 << open + FileError::SystemText(ENAMETOOLONG) + " while accessing " + name256 + ".";
    QTest::newRow("missing folder") << "" << "nowhere/out.rom" << false << false
        << 1 << open + "The folder nowhere does not exist.";
}
// clang-format on

// A dry run resolves the target as the run does and creates and discards its temporary file in
// the real folder: it ends with the run's message and exit code, and changes nothing.
void TestCliSave::dryRunAgrees()
{
#ifndef __unix__
    QSKIP("Permissions, links and chattr are tested on Unix");
#else
    QFETCH(QString, setup);
    QFETCH(QString, target);
    QFETCH(bool, force);
    QFETCH(bool, asNobody);
    QFETCH(int, exitCode);
    QFETCH(QString, err);
    const bool needsRoot =
        asNobody || setup.contains(QLatin1String("append-only")) || setup == QLatin1String("immutable");
    if (needsRoot && !RecordState::RunningAsRoot())
        QSKIP("Needs root: to run as another user and to set chattr flags");
    if (asNobody && QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        QSKIP("setpriv (util-linux) is not installed");

    // Sets the case up in `dir`; false if this file system cannot (chattr on tmpfs).
    const auto prepare = [&](const QString &dir) {
        const auto at = [&dir](const QString &name) { return QDir(dir).filePath(name); };
        const auto lock = [&](const QString &flag, const QString &path) {
            if (!Tool(QStringLiteral("chattr"), {flag, path}))
                return false;
            m_locked << path;
            return true;
        };
        if (setup == QLatin1String("file")) {
            return ImageBuilder::WriteFile(at(target), "old");
        } else if (setup == QLatin1String("no search")) {
            // The others' bits: write, but no search.
            return QDir().mkpath(at("d")) && Chmod(at("d"), 0772);
        } else if (setup == QLatin1String("sticky")) {
            return QDir().mkpath(at("s")) && Chmod(at("s"), 01777) && ImageBuilder::WriteFile(at("s/out.rom"), "old")
                   && Chmod(at("s/out.rom"), 0666);
        } else if (setup == QLatin1String("link to read-only")) {
            return QDir().mkpath(at("ro")) && ImageBuilder::WriteFile(at("ro/real.rom"), "old")
                   && Chmod(at("ro/real.rom"), 0666) && Symlink(QStringLiteral("ro/real.rom"), at("link.rom"))
                   && Chmod(dir, 0777);
        } else if (setup == QLatin1String("append-only")) {
            return QDir().mkpath(at("a")) && lock(QStringLiteral("+a"), at("a"));
        } else if (setup == QLatin1String("append-only, file")) {
            return QDir().mkpath(at("a")) && ImageBuilder::WriteFile(at("a/out.rom"), "old")
                   && lock(QStringLiteral("+a"), at("a"));
        } else if (setup == QLatin1String("append-only file")) {
            return ImageBuilder::WriteFile(at("out.rom"), "old") && lock(QStringLiteral("+a"), at("out.rom"));
        } else if (setup == QLatin1String("immutable")) {
            return QDir().mkpath(at("i")) && lock(QStringLiteral("+i"), at("i"));
        } else if (setup == QLatin1String("link")) {
            return QDir().mkpath(at("elsewhere")) && ImageBuilder::WriteFile(at("elsewhere/real.rom"), "old")
                   && Symlink(QStringLiteral("elsewhere/real.rom"), at("link.rom"));
        } else if (setup == QLatin1String("dangling")) {
            return Symlink(QStringLiteral("elsewhere/real.rom"), at("link.rom"));
        } else if (setup == QLatin1String("hard link")) {
            return ImageBuilder::WriteFile(at("out.rom"), "old")
                   && ::link(QFile::encodeName(at("out.rom")).constData(),
                             QFile::encodeName(at("other.rom")).constData())
                          == 0;
        }
        return true;
    };

    CliRun runs[2];
    FileSnapshot::Folder realBefore;
    QString realFolder;
    for (const bool dry : {true, false}) {
        const QString dir = folder(dry ? QStringLiteral("dry") : QStringLiteral("real"));
        QVERIFY(!dir.isEmpty());
        if (!prepare(dir)) {
            unlock();
            QSKIP("This file system does not take the case's setup (chattr)");
        }
        QStringList args{"write", m_top.filePath(QStringLiteral("src.rom")), target, "--code", "ABC"};
        if (force)
            args << "--force";
        if (dry)
            args << "--dry-run";
        const FileSnapshot::Folder before = FileSnapshot::Take(dir);
        runs[dry ? 0 : 1] = RunIn(dir, args, asNobody);
        if (dry) {
            QCOMPARE(FileSnapshot::Take(dir), before);
            for (const QString &sub : {QStringLiteral("a"), QStringLiteral("s"), QStringLiteral("ro")})
                QCOMPARE(Leftovers(QDir(dir).filePath(sub)), QStringList());
        } else {
            realBefore = before;
            realFolder = dir;
        }
    }
    const CliRun &dry = runs[0];
    const CliRun &real = runs[1];
    QCOMPARE(dry.err, real.err);
    QCOMPARE(dry.exitCode, real.exitCode);
    QCOMPARE(real.err.section(QLatin1Char('\n'), 0, 0), err);
    QCOMPARE(real.exitCode, exitCode);
    if (exitCode == 0)
        QVERIFY(dry.out.startsWith(QStringLiteral("Summary of Firmware Customisations\n")));
    else
        QCOMPARE(dry.out, QString());

    // The run: no temporary file anywhere, and a refused run changed nothing.
    for (const QString &sub :
         {QString(), QStringLiteral("a"), QStringLiteral("s"), QStringLiteral("ro"), QStringLiteral("elsewhere")})
        QCOMPARE(Leftovers(QDir(realFolder).filePath(sub)), QStringList());
    if (exitCode != 0) {
        QCOMPARE(FileSnapshot::Take(realFolder), realBefore);
        return;
    }
    if (setup == QLatin1String("link")) {
        QVERIFY(QFileInfo(QDir(realFolder).filePath(QStringLiteral("link.rom"))).isSymLink());
        QCOMPARE(ImageBuilder::ReadFile(QDir(realFolder).filePath(QStringLiteral("elsewhere/real.rom"))), m_written);
    } else if (setup == QLatin1String("hard link")) {
        QCOMPARE(ImageBuilder::ReadFile(QDir(realFolder).filePath(QStringLiteral("out.rom"))), m_written);
        QCOMPARE(ImageBuilder::ReadFile(QDir(realFolder).filePath(QStringLiteral("other.rom"))), QByteArray("old"));
    } else {
        QCOMPARE(ImageBuilder::ReadFile(QDir(realFolder).filePath(target)), m_written);
    }
#endif
}

// ---- what a replace keeps -------------------------------------------------------------

// --force on a file with mode 0640, an ACL, a user attribute and the owner nobody, as root:
// the new file has them all, like `cp --preserve=all`.
void TestCliSave::replaceKeepsMetadata()
{
#ifndef __linux__
    QSKIP("ACLs and extended attributes are tested on Linux");
#else
    if (!RecordState::RunningAsRoot())
        QSKIP("Only root can give a file to another owner");
    const QString path = m_dir->filePath(QStringLiteral("kept.rom"));
    QVERIFY(ImageBuilder::WriteFile(path, "old"));
    QVERIFY(Chmod(path, 0640));
    if (!Tool(QStringLiteral("setfacl"), {QStringLiteral("-m"), QStringLiteral("u:daemon:rw-,g::r--"), path}))
        QSKIP("setfacl (package acl) is missing or this file system has no ACLs");
    QVERIFY(::setxattr(QFile::encodeName(path).constData(), "user.brindle", "kept", 4, 0) == 0);
    QVERIFY(Tool(QStringLiteral("chown"), {QStringLiteral("nobody:nogroup"), path}));
    const FileSnapshot::Entry before = FileSnapshot::Of(path);
    QVERIFY(before.attributes.contains("system.posix_acl_access"));

    const QStringList args{"write", m_top.filePath(QStringLiteral("src.rom")), "kept.rom", "--code", "ABC", "--force"};
    CliRun run = RunIn(m_dir->path(), args + QStringList{"--dry-run"});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(FileSnapshot::Of(path), before);
    run = RunIn(m_dir->path(), args);
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    FileSnapshot::Entry after = FileSnapshot::Of(path);
    QCOMPARE(after.content, m_written);
    after.content = before.content;
    QCOMPARE(QString::number(after.mode, 8), QString::number(before.mode, 8));
    QCOMPARE(after, before);
    QCOMPARE(FileSnapshot::Names(m_dir->path()), QStringList{QStringLiteral("kept.rom")});
#endif
}

// ---- signals --------------------------------------------------------------------------

// clang-format off
void TestCliSave::signalDuringFlush_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("replace");
    for (const auto &[name, signal] : {std::pair{"SIGINT", SIGINT}, {"SIGTERM", SIGTERM}, {"SIGHUP", SIGHUP}}) {
        QTest::addRow("%s, new name", name) << signal << false;
        QTest::addRow("%s, --force", name) << signal << true;
    }
}
// clang-format on

// A file system without unnamed temporary files (FUSE) makes the save use a named one. The
// flush waits there until the test lets it go; the signal arrives in that moment, which is held
// back until the temporary file is gone: the save ends whole, then the signal ends the program.
void TestCliSave::signalDuringFlush()
{
    QFETCH(int, signal);
    QFETCH(bool, replace);
    const FlushMount mount(QStringLiteral("block"));
    if (!mount.isMounted())
        QSKIP(qPrintable(mount.skipReason()));
    const QString target = QDir(mount.path()).filePath(QStringLiteral("out.rom"));
    if (replace)
        QVERIFY(ImageBuilder::WriteFile(target, "old"));
    QStringList args{"write", m_top.filePath(QStringLiteral("src.rom")), "out.rom", "--code", "ABC"};
    if (replace)
        args << "--force";

    QProcess process;
    process.setWorkingDirectory(mount.path());
    process.start(QStringLiteral(BRINDLE_CLI_PATH), args);
    QVERIFY(process.waitForStarted());
    QVERIFY2(mount.WaitForFlush(process), "the save never flushed");
    QCOMPARE(Leftovers(mount.path()).size(), 1);  // the named temporary file, being flushed
    ::kill(pid_t(process.processId()), signal);
    QThread::msleep(100);
    QCOMPARE(process.state(), QProcess::Running);  // held back
    mount.Release();
    const CliRun run = Finish(process);
    QVERIFY(run.finished);
    QVERIFY2(run.crashed, qPrintable(run.err));
    QCOMPARE(run.out, QString());
    QCOMPARE(Leftovers(mount.path()), QStringList());
    QCOMPARE(FileSnapshot::Names(mount.path()), QStringList{QStringLiteral("out.rom")});
    QCOMPARE(ImageBuilder::ReadFile(target), m_written);
}

// clang-format off
void TestCliSave::signalAtSystemCall_data()
{
    QTest::addColumn<QString>("call");  // the system call whose first entry brings the signal
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("replace");
    const std::pair<const char *, int> kSignals[] = {{"SIGINT", SIGINT}, {"SIGTERM", SIGTERM}, {"SIGHUP", SIGHUP},
                                                    {"SIGKILL", SIGKILL}};
    for (const auto &[name, signal] : kSignals) {
        QTest::addRow("%s at the flush, new name", name) << "fsync" << signal << false;
        QTest::addRow("%s at the flush, --force", name) << "fsync" << signal << true;
        QTest::addRow("%s at naming, new name", name) << "linkat" << signal << false;
        QTest::addRow("%s at the temporary name, --force", name) << "linkat" << signal << true;
    }
}
// clang-format on

// strace delivers the signal at the first entry to a system call of the save, on a file system
// with unnamed temporary files (O_TMPFILE): whatever the moment and the signal, even SIGKILL,
// no temporary file is left, and the target is either as it was or the whole new file.
void TestCliSave::signalAtSystemCall()
{
#ifndef __linux__
    QSKIP("O_TMPFILE and strace are Linux's");
#else
    QFETCH(QString, call);
    QFETCH(int, signal);
    QFETCH(bool, replace);
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (strace.isEmpty())
        QSKIP("strace is not installed");
    const QString target = m_dir->filePath(QStringLiteral("out.rom"));
    const QByteArray old("old");
    if (replace)
        QVERIFY(ImageBuilder::WriteFile(target, old));
    QStringList args{QStringLiteral("-f"),
                     QStringLiteral("-qq"),
                     QStringLiteral("-o"),
                     QStringLiteral("/dev/null"),
                     QStringLiteral("-e"),
                     QStringLiteral("trace=") + call,
                     QStringLiteral("-e"),
                     QStringLiteral("inject=%1:signal=%2:when=1").arg(call).arg(signal),
                     QStringLiteral(BRINDLE_CLI_PATH),
                     QStringLiteral("write"),
                     m_top.filePath(QStringLiteral("src.rom")),
                     QStringLiteral("out.rom"),
                     QStringLiteral("--code"),
                     QStringLiteral("ABC")};
    if (replace)
        args << QStringLiteral("--force");
    QProcess process;
    process.setWorkingDirectory(m_dir->path());
    process.setProcessEnvironment(TracedRun::WithoutLeakCheck());
    process.start(strace, args);
    const CliRun run = Finish(process);
    QVERIFY(run.finished);
    QVERIFY2(run.crashed, qPrintable(QStringLiteral("exit %1: %2").arg(run.exitCode).arg(run.err)));
    QCOMPARE(Leftovers(m_dir->path()), QStringList());
    QCOMPARE(FileSnapshot::Names(m_dir->path()),
             QFileInfo::exists(target) ? QStringList{QStringLiteral("out.rom")} : QStringList());
    if (QFileInfo::exists(target)) {
        const QByteArray now = ImageBuilder::ReadFile(target);
        QVERIFY2(now == m_written || (replace && now == old),
                 "the target is neither the old file nor the whole new one");
    }
    // At the flush nothing has a name yet: the save is simply gone.
    if (call == QLatin1String("fsync")) {
        if (replace)
            QCOMPARE(ImageBuilder::ReadFile(target), old);
        else
            QVERIFY(!QFileInfo::exists(target));
    }
#endif
}

// ---- a file system with neither hard links nor a rename that never replaces -------------

// clang-format off
void TestCliSave::newNameWithoutLinkOrNoReplace_data()
{
    QTest::addColumn<QString>("fuse");      // flushfs's mode
    QTest::addColumn<QString>("situation");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("err");
    const QString refused = QStringLiteral(
        "brindle-cli: could not write destination file: out.rom was not created: its file system has neither hard "
        "links nor a rename that never replaces, so the name could not be taken without the risk of replacing a file "
        "that another program creates at the same moment.\n");
    QTest::newRow("new name") << "pass,nolink,norename2" << "new" << 1 << refused;
    QTest::newRow("new name, dry run") << "pass,nolink,norename2" << "dry run" << 1 << refused;
    // Taken before the save would look: refused as taken, and the question has no answer here.
    QTest::newRow("new name, another program takes it during the save")
        << "block,nolink,norename2" << "taken" << 1
        << "brindle-cli: file exists: out.rom exists; use --force to replace it\n";
    QTest::newRow("--force on an existing file") << "pass,nolink,norename2" << "replace" << 0 << "";
    // One of the two is enough.
    QTest::newRow("new name, no hard links") << "pass,nolink" << "new" << 0 << "";
    QTest::newRow("new name, no rename with flags") << "pass,norename2" << "new" << 0 << "";
    QTest::newRow("new name, no rename with flags, dry run") << "pass,norename2" << "dry run" << 0 << "";
}
// clang-format on

// Where a new name could only be checked and then renamed to, a file another program creates in
// between would be replaced: the save is refused and says why, the dry run too, and a file that
// another program put there meanwhile is kept. With a hard link or a no-replace rename the save
// works, and leaves no second name behind.
void TestCliSave::newNameWithoutLinkOrNoReplace()
{
    QFETCH(QString, fuse);
    QFETCH(QString, situation);
    QFETCH(int, exitCode);
    QFETCH(QString, err);
    const FlushMount mount(fuse);
    if (!mount.isMounted())
        QSKIP(qPrintable(mount.skipReason()));
    const QString target = QDir(mount.path()).filePath(QStringLiteral("out.rom"));
    QStringList args{"write", m_top.filePath(QStringLiteral("src.rom")), "out.rom", "--code", "ABC"};
    if (situation == QLatin1String("dry run"))
        args << "--dry-run";
    if (situation == QLatin1String("replace")) {
        QVERIFY(ImageBuilder::WriteFile(target, "old"));
        args << "--force";
    }

    CliRun run;
    const QByteArray theirs("another program's file");
    if (situation == QLatin1String("taken")) {
        QProcess process;
        process.setWorkingDirectory(mount.path());
        process.start(QStringLiteral(BRINDLE_CLI_PATH), args);
        QVERIFY(process.waitForStarted());
        QVERIFY2(mount.WaitForFlush(process), "the save never flushed");
        QVERIFY(ImageBuilder::WriteFile(target, theirs));
        mount.Release();
        run = Finish(process);
    } else {
        run = RunIn(mount.path(), args);
    }
    QCOMPARE(run.err, err);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(Leftovers(mount.path()), QStringList());
    if (situation == QLatin1String("taken")) {
        QCOMPARE(FileSnapshot::Names(mount.path()), QStringList{QStringLiteral("out.rom")});
        QCOMPARE(ImageBuilder::ReadFile(target), theirs);
    } else if (exitCode != 0 || situation == QLatin1String("dry run")) {
        QCOMPARE(FileSnapshot::Names(mount.path()), QStringList());
    } else {
        QCOMPARE(FileSnapshot::Names(mount.path()), QStringList{QStringLiteral("out.rom")});
        QCOMPARE(ImageBuilder::ReadFile(target), m_written);
        QCOMPARE(FileSnapshot::Of(target).links, 1u);
    }
}

// ---- the folder swapped while the old file is read --------------------------------------

// strace holds the program at its first read of the old file's attributes; meanwhile the folder
// is renamed and another folder takes its name, holding a planted file of the same name whose
// ACL lets `nobody` write. The save goes on in the folder it opened: the new file there has the
// old file's ACL, or the save fails; the planted file is untouched either way.
void TestCliSave::folderSwappedDuringReplace()
{
#ifndef __linux__
    QSKIP("ACLs and strace are tested on Linux");
#else
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (strace.isEmpty())
        QSKIP("strace is not installed");
    const QString d = m_dir->filePath(QStringLiteral("d"));
    const QString moved = m_dir->filePath(QStringLiteral("d.moved"));
    const QString old = QDir(d).filePath(QStringLiteral("out.rom"));
    QVERIFY(QDir().mkpath(d) && ImageBuilder::WriteFile(old, "old") && Chmod(old, 0640));
    if (!Tool(QStringLiteral("setfacl"), {QStringLiteral("-m"), QStringLiteral("u:daemon:r--"), old}))
        QSKIP("setfacl (package acl) is missing or this file system has no ACLs");
    const FileSnapshot::Entry before = FileSnapshot::Of(old);
    QVERIFY(before.attributes.contains("system.posix_acl_access"));

    const QString calls = QStringLiteral("listxattr,llistxattr,flistxattr");
    QProcess process;
    process.setWorkingDirectory(m_dir->path());
    process.setProcessEnvironment(TracedRun::WithoutLeakCheck());
    process.setReadChannel(QProcess::StandardError);
    process.start(strace,
                  QStringList{QStringLiteral("-qq"), QStringLiteral("-e"), QStringLiteral("trace=") + calls,
                              QStringLiteral("-e"), QStringLiteral("inject=%1:signal=SIGSTOP:when=1").arg(calls),
                              QStringLiteral(BRINDLE_CLI_PATH), QStringLiteral("write"),
                              m_top.filePath(QStringLiteral("src.rom")), QStringLiteral("d/out.rom"),
                              QStringLiteral("--code"), QStringLiteral("ABC"), QStringLiteral("--force")});
    QVERIFY(process.waitForStarted());
    const QByteArray stopped("--- stopped by SIGSTOP ---");
    QByteArray said;
    int stops = 0;
    const QString planted = QDir(d).filePath(QStringLiteral("out.rom"));
    while (process.waitForReadyRead(kProcessTimeoutMs)) {
        said += process.readAllStandardError();
        for (; stops < said.count(stopped); ++stops) {
            if (stops == 0) {
                QVERIFY(QDir().rename(d, moved));
                QVERIFY(QDir().mkpath(d) && ImageBuilder::WriteFile(planted, "planted") && Chmod(planted, 0666));
                QVERIFY(
                    Tool(QStringLiteral("setfacl"), {QStringLiteral("-m"), QStringLiteral("u:nobody:rwx"), planted}));
            }
            // strace's program, stopped: on again.
            const qint64 pid = TracedRun::Program(process.processId());
            QVERIFY(pid > 0);
            ::kill(pid_t(pid), SIGCONT);
        }
    }
    const CliRun run = Finish(process);
    QVERIFY2(stops > 0, qPrintable(QStringLiteral("the program never read the old file's attributes: ")
                                   + QString::fromUtf8(said)));
    const FileSnapshot::Entry plantedNow = FileSnapshot::Of(planted);
    QCOMPARE(plantedNow.content, QByteArray("planted"));
    const QString kept = QDir(moved).filePath(QStringLiteral("out.rom"));
    FileSnapshot::Entry after = FileSnapshot::Of(kept);
    if (run.exitCode != 0) {
        QCOMPARE(after, before);
        return;
    }
    QCOMPARE(after.content, m_written);
    after.content = before.content;
    QCOMPARE(after.attributes, before.attributes);
    QCOMPARE(QString::number(after.mode, 8), QString::number(before.mode, 8));
    QCOMPARE(FileSnapshot::Names(moved), QStringList{QStringLiteral("out.rom")});
#endif
}

// ---- mount points, read-only mounts, a file-size limit ------------------------------------

// clang-format off
void TestCliSave::mountsAndLimits_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("force");
    QTest::addColumn<QString>("err");
    const QString open = QStringLiteral("brindle-cli: could not open destination file: ");
    const QString mountPoint =
        open + "out.rom is a mount point: another file system is mounted on it, so it cannot be replaced.\n";
    const QString readOnly = open + "out.rom cannot be written: its file system is read-only.\n";
    QTest::newRow("a file bind-mounted on the target, --force") << "bind" << true << mountPoint;
    QTest::newRow("a file bind-mounted on the target") << "bind" << false << mountPoint;
    QTest::newRow("read-only bind mount, new name") << "read-only" << false << readOnly;
    QTest::newRow("read-only bind mount, --force") << "read-only, file" << true << readOnly;
    QTest::newRow("file-size limit (ulimit -f 4)") << "ulimit" << false
        << "brindle-cli: could not write destination file: File too large while accessing out.rom.\n";
}
// clang-format on

// The dry run refuses what the run refuses, before any question, naming the cause: a target that
// is a mount point, a read-only mount (root included), a file-size limit. Nothing changes.
void TestCliSave::mountsAndLimits()
{
#ifndef __linux__
    QSKIP("Bind mounts and ulimit are tested on Linux");
#else
    QFETCH(QString, setup);
    QFETCH(bool, force);
    QFETCH(QString, err);
    const bool mounts = setup != QLatin1String("ulimit");
    if (mounts && !RecordState::RunningAsRoot())
        QSKIP("Needs root, to mount");
    const QString mount = QStandardPaths::findExecutable(QStringLiteral("mount"));
    if (mounts && mount.isEmpty())
        QSKIP("mount is not installed (package mount)");
    QStringList mounted;
    const auto unmount = qScopeGuard([&] {
        for (auto it = mounted.crbegin(); it != mounted.crend(); ++it)
            Tool(QStringLiteral("umount"), {*it});
    });

    CliRun runs[2];
    for (const bool dry : {true, false}) {
        const QString dir = folder(dry ? QStringLiteral("dry") : QStringLiteral("real"));
        QVERIFY(!dir.isEmpty());
        const QString target = QDir(dir).filePath(QStringLiteral("out.rom"));
        if (setup == QLatin1String("bind")) {
            const QString other = QDir(dir).filePath(QStringLiteral("elsewhere.rom"));
            QVERIFY(ImageBuilder::WriteFile(other, "mounted") && ImageBuilder::WriteFile(target, "under"));
            QVERIFY(Tool(QStringLiteral("mount"), {QStringLiteral("--bind"), other, target}));
            mounted << target;
        } else if (setup.startsWith(QLatin1String("read-only"))) {
            const QString inner = QDir(dir).filePath(QStringLiteral("inner"));
            QVERIFY(QDir().mkpath(inner));
            if (setup.contains(QLatin1String("file")))
                QVERIFY(ImageBuilder::WriteFile(QDir(inner).filePath(QStringLiteral("out.rom")), "old"));
            QVERIFY(Tool(QStringLiteral("mount"), {QStringLiteral("--bind"), inner, inner}));
            mounted << inner;
            QVERIFY(Tool(QStringLiteral("mount"), {QStringLiteral("-o"), QStringLiteral("remount,bind,ro"), inner}));
        }
        const QString workDir =
            setup.startsWith(QLatin1String("read-only")) ? QDir(dir).filePath(QStringLiteral("inner")) : dir;
        const FileSnapshot::Folder before = FileSnapshot::Take(workDir);
        QStringList args{"write", m_top.filePath(QStringLiteral("src.rom")), "out.rom", "--code", "ABC"};
        if (force)
            args << "--force";
        if (dry)
            args << "--dry-run";
        if (setup == QLatin1String("ulimit")) {
            QProcess process;
            process.setWorkingDirectory(workDir);
            process.setChildProcessModifier([] {
                rlimit limit{};
                ::getrlimit(RLIMIT_FSIZE, &limit);
                limit.rlim_cur = 4096;
                ::setrlimit(RLIMIT_FSIZE, &limit);
            });
            process.start(QStringLiteral(BRINDLE_CLI_PATH), args);
            runs[dry ? 0 : 1] = Finish(process);
        } else {
            runs[dry ? 0 : 1] = RunIn(workDir, args);
        }
        QCOMPARE(FileSnapshot::Take(workDir), before);
    }
    QCOMPARE(runs[1].err, err);
    QCOMPARE(runs[1].exitCode, 1);
    QCOMPARE(runs[0].err, runs[1].err);
    QCOMPARE(runs[0].exitCode, runs[1].exitCode);
    QCOMPARE(runs[0].out, QString());
#endif
}

QTEST_GUILESS_MAIN(TestCliSave)
#include "tst_clisave.moc"
