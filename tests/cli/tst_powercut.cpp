// A power cut right after brindle-cli says "Saved": the target lives on an ext4 file system in a
// loop-mounted image, and the image file is copied the moment the program has exited, without
// unmounting or syncing. The copy is what a disk would hold had the power gone then: once it is
// checked (e2fsck replays its journal) and mounted, the file must be there, whole, under its
// name, with no temporary file beside it. Several rounds of a new name and a --force replace.
// Needs root and loop devices; skipped with the reason otherwise.

// Qt
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "common/filesnapshot.h"
#include "common/imagebuilder.h"
#include "firmware/recordstate.h"

namespace {

constexpr int kRounds = 3;

// Runs a program; its exit code, or -1 when it could not run or did not end.
int Run(const QString &program, const QStringList &arguments, QString *output = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return -1;
    const QString text = QString::fromLocal8Bit(p.readAll());
    if (output)
        *output = text;
    return p.exitCode();
}

}  // namespace

class TestPowerCut : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void savedFileSurvives();

private:
    // The image as a disk would hold it now: checked, mounted and read. Returns the folder's
    // entries with their bytes through `files`; false (with a failure) if it cannot be read.
    bool readCopy(QMap<QString, QByteArray> &files);
    QByteArray expected(const QString &code);

    QTemporaryDir m_dir;
    QString m_image;
    QString m_mount;
    QString m_skip;
    bool m_mounted = false;
};

void TestPowerCut::initTestCase()
{
    QVERIFY(m_dir.isValid());
    if (!RecordState::RunningAsRoot())
        QSKIP("Needs root, to mount a file system image");
    for (const char *tool : {"mkfs.ext4", "e2fsck", "mount", "umount"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()
            && QStandardPaths::findExecutable(QString::fromLatin1(tool),
                                              {QStringLiteral("/sbin"), QStringLiteral("/usr/sbin")})
                   .isEmpty())
            QSKIP(
                qPrintable(QStringLiteral("%1 is not installed (packages e2fsprogs, mount)").arg(QLatin1String(tool))));
    }
    if (!QFileInfo::exists(QStringLiteral("/dev/loop-control")))
        QSKIP("No loop devices on this machine");

    m_image = m_dir.filePath(QStringLiteral("disk.img"));
    m_mount = m_dir.filePath(QStringLiteral("disk"));
    QVERIFY(QDir().mkpath(m_mount));
    QFile image(m_image);
    QVERIFY(image.open(QIODevice::WriteOnly) && image.resize(16 * 1024 * 1024));
    image.close();
    QString output;
    // Everything initialised now, so nothing writes in the background later.
    QCOMPARE(Run(QStringLiteral("mkfs.ext4"),
                 {QStringLiteral("-q"), QStringLiteral("-F"), QStringLiteral("-E"),
                  QStringLiteral("lazy_itable_init=0,lazy_journal_init=0"), m_image},
                 &output),
             0);
    // A long commit interval: only what the program syncs reaches the image before the copy.
    if (Run(QStringLiteral("mount"), {QStringLiteral("-o"), QStringLiteral("loop,commit=300"), m_image, m_mount},
            &output)
        != 0)
        QSKIP(qPrintable(QStringLiteral("Cannot loop-mount an image here: ") + output.trimmed()));
    m_mounted = true;
    QVERIFY(
        ImageBuilder::WriteFile(m_dir.filePath(QStringLiteral("src.rom")), ImageBuilder(ImageBuilder::Rom).build()));
}

void TestPowerCut::cleanupTestCase()
{
    if (m_mounted)
        Run(QStringLiteral("umount"), {m_mount});
}

QByteArray TestPowerCut::expected(const QString &code)
{
    const QString out = m_dir.filePath(QStringLiteral("expected-%1.rom").arg(code));
    if (!QFile::exists(out)) {
        Run(QStringLiteral(BRINDLE_CLI_PATH),
            {QStringLiteral("write"), m_dir.filePath(QStringLiteral("src.rom")), out, QStringLiteral("--code"), code});
    }
    return ImageBuilder::ReadFile(out);
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
    // 0: clean; 1: errors corrected (the journal replayed).
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
    for (const QString &name : FileSnapshot::Names(mount)) {
        if (name != QLatin1String("lost+found"))
            files.insert(name, ImageBuilder::ReadFile(QDir(mount).filePath(name)));
    }
    Run(QStringLiteral("umount"), {mount});
    QFile::remove(copy);
    return true;
}

void TestPowerCut::savedFileSurvives()
{
    QMap<QString, QByteArray> disk;
    for (int round = 0; round < kRounds; ++round) {
        const QString name = QStringLiteral("round%1.rom").arg(round);
        const QString first = QStringLiteral("N%1").arg(round, 2, 10, QLatin1Char('0'));
        const QString second = QStringLiteral("R%1").arg(round, 2, 10, QLatin1Char('0'));
        for (const bool replace : {false, true}) {
            const QString code = replace ? second : first;
            QStringList args{QStringLiteral("write"), m_dir.filePath(QStringLiteral("src.rom")), name,
                             QStringLiteral("--code"), code};
            if (replace)
                args << QStringLiteral("--force");
            QProcess cli;
            cli.setWorkingDirectory(m_mount);
            cli.start(QStringLiteral(BRINDLE_CLI_PATH), args);
            QVERIFY(cli.waitForFinished(30000));
            QCOMPARE(QString::fromUtf8(cli.readAllStandardError()), QString());
            QCOMPARE(cli.exitCode(), 0);

            QVERIFY(readCopy(disk));
            const QByteArray want = expected(code);
            QVERIFY(!want.isEmpty());
            QVERIFY2(disk.contains(name),
                     qPrintable(QStringLiteral("%1 is missing after the power cut (%2 save); "
                                               "the disk holds: %3")
                                    .arg(name, replace ? QStringLiteral("--force") : QStringLiteral("new name"),
                                         QStringList(disk.keys()).join(QStringLiteral(", ")))));
            QVERIFY2(disk.value(name) == want, qPrintable(name
                                                          + (replace ? QStringLiteral(": the old content came back")
                                                                     : QStringLiteral(": not the whole file"))));
            for (const QString &entry : disk.keys())
                QVERIFY2(!entry.startsWith(QLatin1String(".brindle-")), qPrintable(entry + " left behind"));
        }
    }
}

QTEST_GUILESS_MAIN(TestPowerCut)
#include "tst_powercut.moc"
