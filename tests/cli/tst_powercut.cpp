// A power cut at every step of a save by brindle-cli, on the file systems SD cards and USB
// sticks are formatted with: ext2, ext4 without a journal, and ext4 with one, each in an image
// file on a loop device. strace stops the program right after one system call of the save
// (SIGSTOP injected on its way out), and the image file is copied at that moment, without
// unmounting or syncing: the copy holds what the disk would hold had the power gone then. Once
// checked (e2fsck replays a journal and mends what a cut leaves) and mounted, the target must be
// either as it was or the whole new file, under its name, with no temporary file beside it; and
// once the program has said "Saved", the new file. Each step starts again from a clean disk.
// Needs root, loop devices and strace; skipped with the reason otherwise.

// Std
#include <csignal>
#if defined(__unix__)
#include <sys/types.h>
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
#include "common/imagebuilder.h"
#include "common/tracedrun.h"
#include "firmware/recordstate.h"

namespace {

constexpr int kProcessTimeoutMs = 60000;

// The system calls after which the program is stopped: those that change what is on disk or
// what a name stands for.
const QStringList kSteps = {QStringLiteral("fsync"),   QStringLiteral("fdatasync"), QStringLiteral("syncfs"),
                            QStringLiteral("linkat"),  QStringLiteral("renameat"),  QStringLiteral("renameat2"),
                            QStringLiteral("unlinkat")};

QString Tool(const QString &name)
{
    QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty())
        path = QStandardPaths::findExecutable(name, {QStringLiteral("/sbin"), QStringLiteral("/usr/sbin")});
    return path;
}

// Runs a program; its exit code, or -1 when it could not run or did not end.
int Run(const QString &program, const QStringList &arguments, QString *output = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(Tool(program), arguments);
    if (!p.waitForFinished(kProcessTimeoutMs) || p.exitStatus() != QProcess::NormalExit)
        return -1;
    const QString text = QString::fromLocal8Bit(p.readAll());
    if (output)
        *output = text;
    return p.exitCode();
}

// One step: the `occurrence`-th call of `call`; an empty call stands for the end of the program.
struct Step {
    QString call;
    int occurrence = 0;
};

}  // namespace

class TestPowerCut : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyStepSurvives_data();
    void everyStepSurvives();

private:
    bool makeDisk(const QString &fileSystem);
    void removeDisk();
    // Empties the folder on the disk, puts the old file there for a replace, and syncs it all.
    bool prepare(bool replace);
    QStringList arguments(bool replace) const;
    // The steps of one save, from a traced run.
    QList<Step> steps(bool replace);
    // The image as a disk would hold it now: checked, mounted and read into `files` (the
    // folder's entries with their bytes). False, with a failure, if it cannot be read.
    bool readCopy(QMap<QString, QByteArray> &files);

    QTemporaryDir m_dir;
    QString m_image;
    QString m_mount;
    QString m_folder;  // on the disk
    QString m_strace;
    bool m_mounted = false;
    QByteArray m_old;
    QByteArray m_new;
};

void TestPowerCut::initTestCase()
{
    QVERIFY(m_dir.isValid());
    if (!RecordState::RunningAsRoot())
        QSKIP("Needs root, to mount a file system image");
    for (const char *tool : {"mkfs.ext2", "mkfs.ext4", "e2fsck", "mount", "umount", "sync"}) {
        if (Tool(QString::fromLatin1(tool)).isEmpty())
            QSKIP(qPrintable(
                QStringLiteral("%1 is not installed (packages e2fsprogs, mount, coreutils)").arg(QLatin1String(tool))));
    }
    m_strace = Tool(QStringLiteral("strace"));
    if (m_strace.isEmpty())
        QSKIP("strace is not installed");
    if (!QFileInfo::exists(QStringLiteral("/dev/loop-control")))
        QSKIP("No loop devices on this machine");
    m_image = m_dir.filePath(QStringLiteral("disk.img"));
    m_mount = m_dir.filePath(QStringLiteral("disk"));
    QVERIFY(QDir().mkpath(m_mount));
    QVERIFY(
        ImageBuilder::WriteFile(m_dir.filePath(QStringLiteral("src.rom")), ImageBuilder(ImageBuilder::Rom).build()));
    m_old = QByteArray("the old file, which a cut must never lose");
    // What the save writes when nothing cuts it short.
    const QString reference = m_dir.filePath(QStringLiteral("reference.rom"));
    QCOMPARE(Run(QStringLiteral(BRINDLE_CLI_PATH), {QStringLiteral("write"), m_dir.filePath(QStringLiteral("src.rom")),
                                                    reference, QStringLiteral("--code"), QStringLiteral("CUT")}),
             0);
    m_new = ImageBuilder::ReadFile(reference);
    QCOMPARE(m_new.size(), qsizetype(65536));
}

bool TestPowerCut::makeDisk(const QString &fileSystem)
{
    QFile image(m_image);
    if (!image.open(QIODevice::WriteOnly | QIODevice::Truncate) || !image.resize(8 * 1024 * 1024))
        return false;
    image.close();
    QString output;
    // Everything initialised now, so nothing writes in the background later.
    QStringList mkfs{QStringLiteral("-q"), QStringLiteral("-F")};
    QString program = QStringLiteral("mkfs.ext4");
    if (fileSystem == QLatin1String("ext2"))
        program = QStringLiteral("mkfs.ext2");
    else
        mkfs << QStringLiteral("-E") << QStringLiteral("lazy_itable_init=0,lazy_journal_init=0");
    if (fileSystem == QLatin1String("ext4 without a journal"))
        mkfs << QStringLiteral("-O") << QStringLiteral("^has_journal");
    if (Run(program, mkfs << m_image, &output) != 0) {
        QTest::qFail(qPrintable(program + QStringLiteral(": ") + output), __FILE__, __LINE__);
        return false;
    }
    // A long commit interval: only what the program syncs reaches the image before the copy.
    const QString options =
        fileSystem == QLatin1String("ext4") ? QStringLiteral("loop,commit=300") : QStringLiteral("loop");
    if (Run(QStringLiteral("mount"), {QStringLiteral("-o"), options, m_image, m_mount}, &output) != 0) {
        QTest::qFail(qPrintable(QStringLiteral("cannot loop-mount an image: ") + output.trimmed()), __FILE__, __LINE__);
        return false;
    }
    m_mounted = true;
    m_folder = QDir(m_mount).filePath(QStringLiteral("fw"));
    return QDir().mkpath(m_folder) && Run(QStringLiteral("sync"), {QStringLiteral("-f"), m_folder}) == 0;
}

void TestPowerCut::removeDisk()
{
    // Lazily, should a stopped program still be on its way out.
    if (m_mounted && Run(QStringLiteral("umount"), {m_mount}) != 0)
        Run(QStringLiteral("umount"), {QStringLiteral("-l"), m_mount});
    m_mounted = false;
}

bool TestPowerCut::prepare(bool replace)
{
    QDir folder(m_folder);
    for (const QString &name : FileSnapshot::Names(m_folder)) {
        if (!folder.remove(name))
            return false;
    }
    if (replace && !ImageBuilder::WriteFile(folder.filePath(QStringLiteral("out.rom")), m_old))
        return false;
    return Run(QStringLiteral("sync"), {QStringLiteral("-f"), m_folder}) == 0;
}

QStringList TestPowerCut::arguments(bool replace) const
{
    QStringList args{
        QStringLiteral(BRINDLE_CLI_PATH), QStringLiteral("write"),  m_dir.filePath(QStringLiteral("src.rom")),
        QStringLiteral("out.rom"),        QStringLiteral("--code"), QStringLiteral("CUT")};
    if (replace)
        args << QStringLiteral("--force");
    return args;
}

QList<Step> TestPowerCut::steps(bool replace)
{
    QList<Step> found;
    if (!prepare(replace))
        return found;
    const QString log = m_dir.filePath(QStringLiteral("trace.log"));
    QProcess p;
    p.setWorkingDirectory(m_folder);
    p.setProcessEnvironment(TracedRun::WithoutLeakCheck());
    p.start(m_strace, QStringList{QStringLiteral("-qq"), QStringLiteral("-o"), log, QStringLiteral("-e"),
                                  QStringLiteral("trace=") + kSteps.join(QLatin1Char(','))}
                          + arguments(replace));
    if (!p.waitForFinished(kProcessTimeoutMs) || p.exitCode() != 0)
        return found;
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly))
        return found;
    QMap<QString, int> seen;
    static const QRegularExpression call(QStringLiteral("^(\\w+)\\("));
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QRegularExpressionMatch m = call.match(QString::fromLatin1(line));
        if (m.hasMatch() && kSteps.contains(m.captured(1)))
            found.append({m.captured(1), ++seen[m.captured(1)]});
    }
    return found;
}

bool TestPowerCut::readCopy(QMap<QString, QByteArray> &files)
{
    const QString copy = m_dir.filePath(QStringLiteral("copy.img"));
    QFile::remove(copy);
    // The image file as it stands: what the loop device has been given, no more.
    if (!QFile::copy(m_image, copy)) {
        QTest::qFail("cannot copy the image", __FILE__, __LINE__);
        return false;
    }
    QString output;
    // 0: clean; 1: errors corrected (a journal replayed, a count mended).
    const int fsck = Run(QStringLiteral("e2fsck"), {QStringLiteral("-f"), QStringLiteral("-y"), copy}, &output);
    if (fsck != 0 && fsck != 1) {
        QTest::qFail(qPrintable(QStringLiteral("e2fsck: ") + output), __FILE__, __LINE__);
        return false;
    }
    const QString mount = m_dir.filePath(QStringLiteral("copy"));
    QDir().mkpath(mount);
    if (Run(QStringLiteral("mount"), {QStringLiteral("-o"), QStringLiteral("loop,ro"), copy, mount}, &output) != 0) {
        QTest::qFail(qPrintable(QStringLiteral("mount: ") + output), __FILE__, __LINE__);
        return false;
    }
    files.clear();
    const QString folder = QDir(mount).filePath(QStringLiteral("fw"));
    for (const QString &name : FileSnapshot::Names(folder))
        files.insert(name, ImageBuilder::ReadFile(QDir(folder).filePath(name)));
    Run(QStringLiteral("umount"), {mount});
    QFile::remove(copy);
    return true;
}

// clang-format off
void TestPowerCut::everyStepSurvives_data()
{
    QTest::addColumn<QString>("fileSystem");
    QTest::addColumn<bool>("replace");
    for (const char *fs : {"ext2", "ext4 without a journal", "ext4"}) {
        QTest::addRow("%s, new name", fs) << fs << false;
        QTest::addRow("%s, --force", fs) << fs << true;
    }
}
// clang-format on

void TestPowerCut::everyStepSurvives()
{
    QFETCH(QString, fileSystem);
    QFETCH(bool, replace);
    QVERIFY(makeDisk(fileSystem));
    const auto unmount = qScopeGuard([this] { removeDisk(); });

    QList<Step> cuts = steps(replace);
    QVERIFY2(cuts.size() >= 3, "the traced save made fewer steps than a save makes");
    cuts.append(Step{});  // after the program has ended
    for (const Step &step : std::as_const(cuts)) {
        const QString where = step.call.isEmpty() ? QStringLiteral("after \"Saved\"")
                                                  : QStringLiteral("after %1 #%2").arg(step.call).arg(step.occurrence);
        QVERIFY2(prepare(replace), qPrintable(where));
        QProcess p;
        p.setWorkingDirectory(m_folder);
        if (step.call.isEmpty()) {
            p.start(arguments(replace).first(), arguments(replace).mid(1));
            QVERIFY(p.waitForFinished(kProcessTimeoutMs));
            QCOMPARE(QString::fromUtf8(p.readAllStandardError()), QString());
            QCOMPARE(p.exitCode(), 0);
        } else {
            p.setProcessEnvironment(TracedRun::WithoutLeakCheck());
            p.start(m_strace,
                    QStringList{QStringLiteral("-qq"), QStringLiteral("-e"), QStringLiteral("trace=") + step.call,
                                QStringLiteral("-e"),
                                QStringLiteral("inject=%1:signal=SIGSTOP:when=%2").arg(step.call).arg(step.occurrence)}
                        + arguments(replace));
            // strace says on standard error when the program has stopped, the moment its call
            // returned.
            p.setReadChannel(QProcess::StandardError);
            QByteArray said;
            while (!said.contains("--- stopped by SIGSTOP ---") && p.waitForReadyRead(kProcessTimeoutMs))
                said += p.readAllStandardError();
            const qint64 program = TracedRun::Program(p.processId());
            QVERIFY2(said.contains("--- stopped by SIGSTOP ---") && program,
                     qPrintable(where + ": the program never stopped: " + QString::fromUtf8(said)));
            QMap<QString, QByteArray> disk;
            const bool read = readCopy(disk);
            ::kill(pid_t(program), SIGKILL);
            QVERIFY(p.waitForFinished(kProcessTimeoutMs));
            QVERIFY(read);
            for (const QString &name : disk.keys())
                QVERIFY2(!name.startsWith(QLatin1String(".brindle-")), qPrintable(where + ": " + name + " left"));
            if (replace) {
                QVERIFY2(disk.contains(QStringLiteral("out.rom")), qPrintable(where + ": the old file lost its name"));
                const QByteArray now = disk.value(QStringLiteral("out.rom"));
                QVERIFY2(now == m_old || now == m_new, qPrintable(where + ": neither the old file nor the new one"));
            } else if (disk.contains(QStringLiteral("out.rom"))) {
                QVERIFY2(disk.value(QStringLiteral("out.rom")) == m_new, qPrintable(where + ": not the whole file"));
            }
            continue;
        }
        QMap<QString, QByteArray> disk;
        QVERIFY(readCopy(disk));
        QVERIFY2(disk.contains(QStringLiteral("out.rom")),
                 qPrintable(where + QStringLiteral(": out.rom is missing; the disk holds: ")
                            + QStringList(disk.keys()).join(QStringLiteral(", "))));
        QVERIFY2(disk.value(QStringLiteral("out.rom")) == m_new,
                 qPrintable(where
                            + (replace ? QStringLiteral(": the old content came back")
                                       : QStringLiteral(": not the whole file"))));
        QCOMPARE(disk.keys(), QStringList{QStringLiteral("out.rom")});
    }
}

QTEST_GUILESS_MAIN(TestPowerCut)
#include "tst_powercut.moc"
