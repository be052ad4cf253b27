// brindle-cli write with one system call failing, at every call it makes from the moment it opens
// the source file to its end: the read of the source, the save, the report. strace injects the
// error (EIO, ENOSPC, EDQUOT, EPERM, EINTR) into one occurrence of one call per run, found from a
// traced run of the same command; the table is mode × error, and each row goes through every
// call of its mode. Whatever fails, the run ends in one of these ways:
//   - exit 0, nothing on standard error, the target the whole new file with the old file's mode,
//     owner and attributes, nothing else in the folder (the failure did not matter);
//   - exit 1, one line that names the cause in the system's words or a true sentence, and the
//     folder exactly as it was, the old file byte for byte with its attributes;
//   - exit 1 saying that the file was written but not flushed, or that a temporary file (named)
//     could not be removed: the target is then the new file;
//   - exit 2 because standard output could not be written, the file saved.
// EINTR is never a failure: every call a signal can interrupt is made again. The modes: a new
// name and a replace on the test's own file system (O_TMPFILE), a replace that keeps an ACL, a
// user attribute and another owner, the dry runs, and a FUSE pass-through (a named temporary
// file) with and without a rename that never replaces.

// Std
#include <cerrno>
#include <cstring>
#if defined(__unix__)
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

// Qt
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "common/filesnapshot.h"
#include "common/flushmount.h"
#include "common/imagebuilder.h"
#include "common/tracedrun.h"
#include "firmware/recordstate.h"

namespace {

constexpr int kProcessTimeoutMs = 30000;

// The calls that may fail: everything that touches a file, a folder, an attribute or a stream.
// Calls that only map memory, set signal handlers or close are left alone.
const QStringList kCalls = {
    QStringLiteral("openat"),       QStringLiteral("newfstatat"), QStringLiteral("statx"),
    QStringLiteral("statfs"),       QStringLiteral("faccessat"),  QStringLiteral("faccessat2"),
    QStringLiteral("fcntl"),        QStringLiteral("read"),       QStringLiteral("write"),
    QStringLiteral("fsync"),        QStringLiteral("fdatasync"),  QStringLiteral("syncfs"),
    QStringLiteral("fallocate"),    QStringLiteral("linkat"),     QStringLiteral("renameat"),
    QStringLiteral("renameat2"),    QStringLiteral("unlinkat"),   QStringLiteral("fchmod"),
    QStringLiteral("fchown"),       QStringLiteral("listxattr"),  QStringLiteral("getxattr"),
    QStringLiteral("flistxattr"),   QStringLiteral("fgetxattr"),  QStringLiteral("fsetxattr"),
    QStringLiteral("fremovexattr"),
};

struct Call {
    QString name;
    int occurrence = 0;  // counted from the start of the program
    QString line;        // as strace showed it
};

struct CliRun {
    bool finished = false;
    int exitCode = -1;
    QString out;
    QString err;
};

CliRun RunTraced(const QString &strace, const QString &folder, const QStringList &straceArgs, const QStringList &args)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    p.setProcessEnvironment(TracedRun::WithoutLeakCheck());
    p.start(strace, QStringList{QStringLiteral("-f"), QStringLiteral("-qq")} + straceArgs
                        + QStringList{QStringLiteral(BRINDLE_CLI_PATH)} + args);
    CliRun run;
    if (!p.waitForFinished(kProcessTimeoutMs)) {
        p.kill();
        p.waitForFinished();
        return run;
    }
    run.finished = true;
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}

// In the sanitizer build, the sanitizer's run time checks memory by writing 16 bytes of it to a
// pipe of its own; a failure there stops the sanitizer, not the program, and is left alone.
bool SanitizerProbe(const QString &line)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_UNDEFINED__)
    static const QRegularExpression probe(QStringLiteral("^(?:\\d+\\s+)?write\\(\\d+, .*, 16\\)\\s+= 16$"));
    return probe.match(line).hasMatch();
#else
    Q_UNUSED(line);
    return false;
#endif
}

bool Tool(const QString &program, const QStringList &arguments)
{
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return false;
    QProcess p;
    p.start(path, arguments);
    return p.waitForFinished(kProcessTimeoutMs) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// What a message must say for an injected error: the system's words, or the sentence the
// program has for it.
QStringList Causes(const QString &error)
{
    if (error == QLatin1String("EIO"))
        return {QStringLiteral("Input/output error")};
    if (error == QLatin1String("ENOSPC"))
        return {QStringLiteral("Disk full"), QStringLiteral("No space left on device")};
    if (error == QLatin1String("EDQUOT"))
        return {QStringLiteral("Disk quota exceeded")};
    // An injected EPERM looks like a file system without hard links where a link fails.
    return {QStringLiteral("was denied"), QStringLiteral("Operation not permitted"),
            QStringLiteral("neither hard links nor")};
}

}  // namespace

class TestFaultInject : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyCallFails_data();
    void everyCallFails();

private:
    // Empties `folder` and sets the mode's case up in it: the old file for a replace.
    bool prepare(const QString &folder, const QString &mode);
    QStringList arguments(const QString &mode) const;
    // The calls the command makes from the opening of the source on, from a traced run.
    QList<Call> calls(const QString &folder, const QString &mode);

    QTemporaryDir m_dir;
    QString m_strace;
    QString m_source;
    QByteArray m_new;
    const QByteArray m_old = QByteArrayLiteral("the old file, which every failure must leave as it was");
};

void TestFaultInject::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (m_strace.isEmpty())
        QSKIP("strace is not installed (package strace)");
    m_source = m_dir.filePath(QStringLiteral("src.rom"));
    QVERIFY(ImageBuilder::WriteFile(m_source, ImageBuilder(ImageBuilder::Rom).build()));
    QProcess p;
    p.setWorkingDirectory(m_dir.path());
    p.start(QStringLiteral(BRINDLE_CLI_PATH), {QStringLiteral("write"), m_source, QStringLiteral("reference.rom"),
                                               QStringLiteral("--code"), QStringLiteral("ABC")});
    QVERIFY(p.waitForFinished(kProcessTimeoutMs));
    QCOMPARE(p.exitCode(), 0);
    m_new = ImageBuilder::ReadFile(m_dir.filePath(QStringLiteral("reference.rom")));
    QCOMPARE(m_new.size(), qsizetype(65536));
}

bool TestFaultInject::prepare(const QString &folder, const QString &mode)
{
    QDir dir(folder);
    for (const QString &name : FileSnapshot::Names(folder)) {
        if (!dir.remove(name))
            return false;
    }
    if (!mode.contains(QLatin1String("--force")))
        return true;
    const QString old = dir.filePath(QStringLiteral("out.rom"));
    if (!ImageBuilder::WriteFile(old, m_old))
        return false;
    const QByteArray name = QFile::encodeName(old);
    if (::chmod(name.constData(), 0640) != 0)
        return false;
    if (mode.contains(QLatin1String("ACL"))) {
        return Tool(QStringLiteral("setfacl"), {QStringLiteral("-m"), QStringLiteral("u:daemon:rw-,g::r--"), old})
               && ::setxattr(name.constData(), "user.brindle", "kept", 4, 0) == 0
               && Tool(QStringLiteral("chown"), {QStringLiteral("nobody:nogroup"), old});
    }
    return true;
}

QStringList TestFaultInject::arguments(const QString &mode) const
{
    QStringList args{QStringLiteral("write"), m_source, QStringLiteral("out.rom"), QStringLiteral("--code"),
                     QStringLiteral("ABC")};
    if (mode.contains(QLatin1String("--force")))
        args << QStringLiteral("--force");
    if (mode.contains(QLatin1String("dry run")))
        args << QStringLiteral("--dry-run");
    return args;
}

QList<Call> TestFaultInject::calls(const QString &folder, const QString &mode)
{
    QList<Call> found;
    if (!prepare(folder, mode))
        return found;
    const QString log = m_dir.filePath(QStringLiteral("trace.log"));
    const CliRun run = RunTraced(
        m_strace, folder,
        {QStringLiteral("-o"), log, QStringLiteral("-e"), QStringLiteral("trace=") + kCalls.join(QLatin1Char(','))},
        arguments(mode));
    if (run.exitCode != 0)
        return found;
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly))
        return found;
    static const QRegularExpression call(QStringLiteral("^(?:\\d+\\s+)?(\\w+)\\("));
    QMap<QString, int> seen;
    bool started = false;
    const QString sourceOpen = QStringLiteral("\"%1\"").arg(m_source);
    for (const QByteArray &bytes : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(bytes);
        const QRegularExpressionMatch m = call.match(line);
        if (!m.hasMatch() || !kCalls.contains(m.captured(1)))
            continue;
        const int occurrence = ++seen[m.captured(1)];
        started = started || (m.captured(1) == QLatin1String("openat") && line.contains(sourceOpen));
        if (started && !SanitizerProbe(line))
            found.append({m.captured(1), occurrence, line});
    }
    return found;
}

// clang-format off
void TestFaultInject::everyCallFails_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("error");
    const char *modes[] = {"new name", "--force", "--force, ACL, attribute, owner", "dry run", "dry run, --force",
                           "FUSE: new name", "FUSE: new name, no rename that never replaces", "FUSE: --force"};
    for (const char *mode : modes) {
        for (const char *error : {"EIO", "ENOSPC", "EDQUOT", "EPERM", "EINTR"})
            QTest::addRow("%s, %s", mode, error) << mode << error;
    }
}
// clang-format on

void TestFaultInject::everyCallFails()
{
#ifndef __linux__
    QSKIP("strace is Linux's");
#else
    QFETCH(QString, mode);
    QFETCH(QString, error);
    const bool acl = mode.contains(QLatin1String("ACL"));
    if (acl && !RecordState::RunningAsRoot())
        QSKIP("Needs root, to give the old file to another owner");
    if (acl && QStandardPaths::findExecutable(QStringLiteral("setfacl")).isEmpty())
        QSKIP("setfacl is not installed (package acl)");
    const bool fuse = mode.startsWith(QLatin1String("FUSE"));
    const FlushMount mount(
        fuse ? (mode.contains(QLatin1String("no rename")) ? QStringLiteral("pass,norename2") : QStringLiteral("pass"))
             : QString());
    if (fuse && !mount.isMounted())
        QSKIP(qPrintable(mount.skipReason()));
    const QString folder = fuse ? mount.path() : m_dir.filePath(QStringLiteral("case"));
    QVERIFY(QDir().mkpath(folder));
    const QString target = QDir(folder).filePath(QStringLiteral("out.rom"));
    const bool replace = mode.contains(QLatin1String("--force"));
    const bool dryRun = mode.contains(QLatin1String("dry run"));

    const QList<Call> all = calls(folder, mode);
    QVERIFY2(all.size() > 5, "the traced run did not get as far as the save");
    const QStringList causes = Causes(error);
    for (const Call &call : all) {
        const QString where =
            QStringLiteral("%1 #%2 (%3)").arg(call.name).arg(call.occurrence).arg(call.line.left(120));
        QVERIFY2(prepare(folder, mode), qPrintable(where));
        const FileSnapshot::Folder before = FileSnapshot::Take(folder);
        const CliRun run =
            RunTraced(m_strace, folder,
                      {QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("-e"),
                       QStringLiteral("trace=") + call.name, QStringLiteral("-e"),
                       QStringLiteral("inject=%1:error=%2:when=%3").arg(call.name, error).arg(call.occurrence)},
                      arguments(mode));
        QVERIFY2(run.finished, qPrintable(where + ": did not finish"));
        const QString told = QStringLiteral("%1: exit %2, %3").arg(where).arg(run.exitCode).arg(run.err);
        QVERIFY2(!run.err.contains(QLatin1String("Interrupted system call")), qPrintable(told));
        QVERIFY2(!run.err.contains(QLatin1String("unexpected error")), qPrintable(told));

        const FileSnapshot::Folder after = FileSnapshot::Take(folder);
        // What the folder must hold after a save that went through: the old file's metadata on
        // the new bytes, and nothing else.
        const auto saved = [&] {
            if (dryRun)
                return after == before;
            if (after.keys() != QStringList{QStringLiteral("out.rom")})
                return false;
            FileSnapshot::Entry entry = after.value(QStringLiteral("out.rom"));
            if (entry.content != m_new)
                return false;
            if (!replace)
                return true;
            entry.content = before.value(QStringLiteral("out.rom")).content;
            return entry == before.value(QStringLiteral("out.rom"));
        };
        const auto named = [&](const QStringList &words) {
            return std::any_of(words.begin(), words.end(), [&](const QString &w) { return run.err.contains(w); });
        };

        if (error == QLatin1String("EINTR") || run.exitCode == 0) {
            QVERIFY2(run.exitCode == 0 && run.err.isEmpty(), qPrintable(told));
            QVERIFY2(saved(), qPrintable(where + ": exit 0, but the folder is not as a save leaves it"));
            continue;
        }
        QVERIFY2(run.err.count(QLatin1Char('\n')) == 1 && run.err.startsWith(QLatin1String("brindle-cli: ")),
                 qPrintable(told));
        QVERIFY2(named(causes), qPrintable(told + " does not name the cause"));
        if (run.err.contains(QLatin1String("standard output"))) {
            // The report could not be printed; the file was saved, and the status says so.
            QVERIFY2(run.exitCode == (dryRun ? 2 : 3), qPrintable(told));
            QVERIFY2(saved(), qPrintable(where + ": the save did not go through"));
            continue;
        }
        QVERIFY2(run.exitCode == 1, qPrintable(told));
        if (run.err.contains(QLatin1String("was written, but"))) {
            QVERIFY2(!dryRun && saved(), qPrintable(where + ": said written, but the folder does not hold it"));
            continue;
        }
        static const QRegularExpression leftover(QStringLiteral("The temporary file (\\S+) could not be removed"));
        const QRegularExpressionMatch left = leftover.match(run.err);
        if (left.hasMatch()) {
            // Told by name, and there: the save itself went through or was refused whole.
            const QString name = QFileInfo(left.captured(1)).fileName();
            QVERIFY2(after.contains(name), qPrintable(told + ": the file told about is not there"));
            FileSnapshot::Folder rest = after;
            rest.remove(name);
            QVERIFY2(rest == before || (!dryRun && rest.value(QStringLiteral("out.rom")).content == m_new),
                     qPrintable(told));
            continue;
        }
        QVERIFY2(after == before, qPrintable(told + ": the folder changed"));
        if (replace)
            QCOMPARE(ImageBuilder::ReadFile(target), m_old);
    }
#endif
}

QTEST_GUILESS_MAIN(TestFaultInject)
#include "tst_faultinject.moc"
