// The save routine as the wizard calls it (CFirmwareRecord::WriteFirmware answering Yes to the
// overwrite question), and its dry run (WriteMode::Check): a flush that fails, what a replace
// keeps of the old file, symbolic and hard links, long names, the messages that name the cause,
// and Windows' naming rule as pure functions. Each case runs the check first and the save after
// it: the check must leave the folder exactly as it was and end as the save ends.

// Std
#include <cerrno>
#include <cstring>
#ifdef _WIN32
#include <windows.h>
#endif
#if defined(__unix__)
#include <fcntl.h>
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
#include <QtTest>

#include "common/filesnapshot.h"
#include "common/flushmount.h"
#include "common/imagebuilder.h"
#include "common/uirecorder.h"
#include "firmware/fileerror.h"
#include "firmware/filename.h"
#include "firmware/firmwarerecord.h"
#include "recordstate.h"

namespace {

const QString kOpenCaption = QStringLiteral("Could not open destination file");
const QString kWriteFailedCaption = QStringLiteral("Could not write destination file");

// What one WriteFirmware call did.
struct Outcome {
    int result = 0;
    QList<UiRecorder::Message> messages;
    QList<UiRecorder::Message> questions;
};

bool SameMessages(const QList<UiRecorder::Message> &a, const QList<UiRecorder::Message> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a.at(i).text != b.at(i).text || a.at(i).caption != b.at(i).caption)
            return false;
    }
    return true;
}

QString Describe(const Outcome &o)
{
    QString text = QString::number(o.result);
    for (const UiRecorder::Message &m : o.messages)
        text += QStringLiteral(" [%1: %2]").arg(m.caption, m.text);
    return text;
}

#if defined(__linux__)
bool Run(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(program, arguments);
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}
#endif

#if defined(__unix__)
// The user and group ids of `name`, or false.
bool UserIds(const char *name, uid_t &uid, gid_t &gid)
{
    const passwd *pw = ::getpwnam(name);
    if (!pw)
        return false;
    uid = pw->pw_uid;
    gid = pw->pw_gid;
    return true;
}
#endif

}  // namespace

class TestSaveFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void trailingDotsAndSpaces_data();
    void trailingDotsAndSpaces();
    void windowsDeviceNames_data();
    void windowsDeviceNames();
    void folderPart_data();
    void folderPart();

    void failedFlush_data();
    void failedFlush();
    void replaceKeepsMetadata_data();
    void replaceKeepsMetadata();
    void links_data();
    void links();
    void longNames_data();
    void longNames();
    void messagesNameTheCause_data();
    void messagesNameTheCause();
    void tooManyOpenFiles();
    void flushAfterNamingFails_data();
    void flushAfterNamingFails();
    void namesThatAreNotUtf8();
    void heldOpenByAnotherProgram_data();
    void heldOpenByAnotherProgram();

private:
    // A record loaded from a ROM image, ready to write.
    bool load(CFirmwareRecord &rec, UiRecorder &ui);
    // Loads the source into a fresh record and writes it in `mode`, answering Yes.
    Outcome write(const QString &path, CFirmwareRecord::WriteMode mode);
    // Checks, then saves `path` (the folder is `folder`): the check changes nothing and ends as
    // the save does. Returns the save's outcome through `saved`.
    void checkThenSave(const QString &folder, const QString &path, Outcome &saved);
    QString freshFolder();

    QTemporaryDir m_dir;
    int m_serial = 0;
    QByteArray m_written;  // the bytes every save here writes
};

void TestSaveFile::initTestCase()
{
    QVERIFY(m_dir.isValid());
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QVERIFY(load(rec, ui));
    const QString path = QDir(freshFolder()).filePath(QStringLiteral("reference.bin"));
    QCOMPARE(rec.WriteFirmware(path), 1);
    m_written = ImageBuilder::ReadFile(path);
    QCOMPARE(m_written.size(), qsizetype(Firmware::kRomLength));
}

QString TestSaveFile::freshFolder()
{
    const QString folder = m_dir.filePath(QStringLiteral("case%1").arg(++m_serial));
    if (!QDir().mkpath(folder))
        qFatal("cannot create %s", qPrintable(folder));
    return folder;
}

bool TestSaveFile::load(CFirmwareRecord &rec, UiRecorder &ui)
{
    const QString source = m_dir.filePath(QStringLiteral("source.rom"));
    if (!QFile::exists(source) && !ImageBuilder::WriteFile(source, ImageBuilder(ImageBuilder::Rom).build()))
        return false;
    ui.clear();
    return rec.LoadFirmware(source) == 1 && ui.messages.isEmpty();
}

Outcome TestSaveFile::write(const QString &path, CFirmwareRecord::WriteMode mode)
{
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    Outcome o;
    if (!load(rec, ui))
        return o;
    ui.clear();
    ui.answer = true;
    o.result = rec.WriteFirmware(path, mode);
    o.messages = ui.messages;
    o.questions = ui.questions;
    return o;
}

void TestSaveFile::checkThenSave(const QString &folder, const QString &path, Outcome &saved)
{
    const FileSnapshot::Folder before = FileSnapshot::Take(folder);
    const Outcome checked = write(path, CFirmwareRecord::WriteMode::Check);
    QCOMPARE(FileSnapshot::Take(folder), before);
    saved = write(path, CFirmwareRecord::WriteMode::Save);
    QVERIFY2(checked.result == saved.result && SameMessages(checked.messages, saved.messages),
             qPrintable(QStringLiteral("check: %1\nsave: %2").arg(Describe(checked), Describe(saved))));
    QVERIFY(SameMessages(checked.questions, saved.questions));
}

// ---- Windows' naming rule -------------------------------------------------------------

// clang-format off
void TestSaveFile::trailingDotsAndSpaces_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("saved");
    QTest::newRow("one dot") << "dot.ROM." << "dot.ROM";
    QTest::newRow("dots and spaces") << "C:\\fw\\out.QUF. . " << "C:\\fw\\out.QUF";
    QTest::newRow("a space") << "fw/out.rom " << "fw/out.rom";
    QTest::newRow("nothing to drop") << "C:\\fw\\out.rom" << "C:\\fw\\out.rom";
    QTest::newRow("dots inside a folder name stay") << "C:\\fw.\\out" << "C:\\fw.\\out";
    QTest::newRow("only the last part") << "a. /b." << "a. /b";
    QTest::newRow("a name of dots stays") << "C:\\fw\\.." << "C:\\fw\\..";
    QTest::newRow("one character is kept") << "x. ." << "x";
    QTest::newRow("empty") << "" << "";
}
// clang-format on

void TestSaveFile::trailingDotsAndSpaces()
{
    QFETCH(QString, path);
    QFETCH(QString, saved);
    QCOMPARE(FileName::WithoutTrailingDotsAndSpaces(path), saved);
#ifdef Q_OS_WIN
    QCOMPARE(FileName::AsSaved(path), saved);
#else
    // Elsewhere a name keeps its dots and spaces: they are part of it.
    QCOMPARE(FileName::AsSaved(path), path);
#endif
}

// clang-format off
void TestSaveFile::windowsDeviceNames_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("device");
    for (const char *name : {"NUL", "nul", "Con", "PRN", "AUX", "COM1", "com9", "LPT1", "lpt9", "CONIN$", "conout$"})
        QTest::addRow("%s", name) << QString::fromLatin1(name) << true;
    QTest::newRow("with an extension") << "AUX.ROM" << true;
    QTest::newRow("with two extensions") << "nul.tar.gz" << true;
    QTest::newRow("in a folder") << "C:\\fw\\COM1.QUF" << true;
    QTest::newRow("in a folder, slashes") << "fw/con" << true;
    QTest::newRow("blank before the extension") << "aux .txt" << true;
    QTest::newRow("superscript digit") << QStringLiteral("COM\u00B9") << true;
    QTest::newRow("COM0 is a file") << "COM0" << false;
    QTest::newRow("COM10 is a file") << "COM10" << false;
    QTest::newRow("LPT is a file") << "LPT" << false;
    QTest::newRow("longer name") << "CONSOLE.ROM" << false;
    QTest::newRow("device name inside") << "xNUL" << false;
    QTest::newRow("device name as a folder") << "NUL\\out.rom" << false;
    QTest::newRow("ordinary") << "out.rom" << false;
}
// clang-format on

void TestSaveFile::windowsDeviceNames()
{
    QFETCH(QString, path);
    QFETCH(bool, device);
    QCOMPARE(FileName::IsWindowsDeviceName(path), device);
#ifdef Q_OS_WIN
    // Refused as what it is, naming the path.
    if (device)
        QCOMPARE(FileError::ForPath(path), std::optional<FileError::Problem>(FileError::Problem::NotRegular));
#endif
}

// clang-format off
void TestSaveFile::folderPart_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("folder");
    QTest::newRow("relative") << "nowhere/out.rom" << "nowhere";
    QTest::newRow("absolute") << "/a/b/out.rom" << "/a/b";
    QTest::newRow("in the root") << "/out.rom" << "/";
    QTest::newRow("bare name") << "out.rom" << ".";
}
// clang-format on

void TestSaveFile::folderPart()
{
    QFETCH(QString, path);
    QFETCH(QString, folder);
    QCOMPARE(FileName::FolderPart(path), folder);
}

// ---- a device whose flush fails -------------------------------------------------------

void TestSaveFile::failedFlush_data()
{
    QTest::addColumn<bool>("replace");
    QTest::newRow("new name") << false;
    QTest::newRow("replace, answered Yes") << true;
}

// The flush fails with EIO: the save fails with the system's text, the old file is
// byte-identical and nothing is left in the folder. The check, which flushes its empty
// temporary file, fails alike.
void TestSaveFile::failedFlush()
{
    QFETCH(bool, replace);
    const FlushMount mount(QStringLiteral("eio"));
    if (!mount.isMounted())
        QSKIP(qPrintable(mount.skipReason()));
    const QString path = QDir(mount.path()).filePath(QStringLiteral("out.rom"));
    const QByteArray old("the old file, which must survive");
    if (replace)
        QVERIFY(ImageBuilder::WriteFile(path, old));

    Outcome saved;
    checkThenSave(mount.path(), path, saved);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(saved.result, -1);
    QCOMPARE(saved.questions.size(), replace ? 1 : 0);
    QCOMPARE(saved.messages.size(), 1);
    QCOMPARE(saved.messages.first().caption, kWriteFailedCaption);
    QCOMPARE(saved.messages.first().text,
             QStringLiteral("%1 while accessing %2.").arg(FileError::SystemText(EIO), path));
    QCOMPARE(FileSnapshot::Names(mount.path()), replace ? QStringList{QStringLiteral("out.rom")} : QStringList());
    if (replace)
        QCOMPARE(ImageBuilder::ReadFile(path), old);
}

// ---- what a replace keeps -------------------------------------------------------------

// clang-format off
void TestSaveFile::replaceKeepsMetadata_data()
{
    QTest::addColumn<QString>("situation");
    QTest::newRow("mode 0640, an ACL and a user attribute") << "acl";
    QTest::newRow("owner nobody, replaced as root") << "nobody";
    QTest::newRow("mode 0604, no ACL, in a folder with a default ACL") << "default acl";
    QTest::newRow("set-group-ID bit") << "setgid";
}
// clang-format on

// A replace keeps the old file's mode bits (from stat, not an ACL's mask), its ACL and extended
// attributes and its owner and group, like `cp --preserve=all`; the bytes are the new ones.
void TestSaveFile::replaceKeepsMetadata()
{
#ifndef __linux__
    QSKIP("ACLs and extended attributes are tested on Linux");
#else
    QFETCH(QString, situation);
    const QString folder = freshFolder();
    const QString path = QDir(folder).filePath(QStringLiteral("kept.rom"));
    const QByteArray name = QFile::encodeName(path);
    QVERIFY(ImageBuilder::WriteFile(path, "old"));
    const QString setfacl = QStandardPaths::findExecutable(QStringLiteral("setfacl"));
    const auto needAcl = [&] { return !setfacl.isEmpty(); };

    if (situation == QLatin1String("acl")) {
        if (!needAcl())
            QSKIP("setfacl (package acl) is not installed");
        QVERIFY(::chmod(name.constData(), 0640) == 0);
        // The owning group may read; one named user may read and write: the mask is rw-, so
        // QFile::permissions would report group write.
        if (!Run(setfacl, {QStringLiteral("-m"), QStringLiteral("u:nobody:rw-,g::r--"), path}))
            QSKIP("this file system has no ACLs");
        if (::setxattr(name.constData(), "user.brindle", "kept", 4, 0) != 0)
            QSKIP("this file system has no user attributes");
    } else if (situation == QLatin1String("nobody")) {
        uid_t uid = 0;
        gid_t gid = 0;
        if (!RecordState::RunningAsRoot())
            QSKIP("Only root can give a file to another owner");
        QVERIFY(UserIds("nobody", uid, gid));
        QVERIFY(::chmod(name.constData(), 0600) == 0);
        QVERIFY(::chown(name.constData(), uid, gid) == 0);
    } else if (situation == QLatin1String("default acl")) {
        if (!needAcl())
            QSKIP("setfacl (package acl) is not installed");
        QVERIFY(::chmod(name.constData(), 0604) == 0);
        if (!Run(setfacl, {QStringLiteral("-d"), QStringLiteral("-m"), QStringLiteral("u:nobody:rwx"), folder}))
            QSKIP("this file system has no ACLs");
    } else if (situation == QLatin1String("setgid")) {
        QVERIFY(::chmod(name.constData(), 02644) == 0);
    }
    const FileSnapshot::Entry before = FileSnapshot::Of(path);

    Outcome saved;
    checkThenSave(folder, path, saved);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(saved.result, 1);
    const FileSnapshot::Entry after = FileSnapshot::Of(path);
    QCOMPARE(after.content, m_written);
    QCOMPARE(QString::number(after.mode, 8), QString::number(before.mode, 8));
    QCOMPARE(after.uid, before.uid);
    QCOMPARE(after.gid, before.gid);
    QCOMPARE(after.attributes, before.attributes);
    QCOMPARE(FileSnapshot::Names(folder), QStringList{QStringLiteral("kept.rom")});
#endif
}

// ---- links ----------------------------------------------------------------------------

// clang-format off
void TestSaveFile::links_data()
{
    QTest::addColumn<QString>("situation");
    QTest::newRow("symbolic link to a file in another folder") << "link";
    QTest::newRow("link to a link to a file") << "link to link";
    QTest::newRow("dangling link") << "dangling";
    QTest::newRow("link into a missing folder") << "dangling folder";
    QTest::newRow("hard link") << "hard";
}
// clang-format on

// cp's rule: a link to an existing file is followed and that file is replaced in its own
// folder, the link stays a link; a dangling link is refused and nothing is created where it
// points. A replace gives a new file, so a hard link to the old one keeps the old content.
void TestSaveFile::links()
{
#ifndef __unix__
    QSKIP("Symbolic links are tested on Unix");
#else
    QFETCH(QString, situation);
    const QString base = freshFolder();
    const QString here = QDir(base).filePath(QStringLiteral("here"));
    const QString there = QDir(base).filePath(QStringLiteral("there"));
    QVERIFY(QDir().mkpath(here) && QDir().mkpath(there));
    const QString path = QDir(here).filePath(QStringLiteral("out.rom"));
    const QString file = QDir(there).filePath(QStringLiteral("real.rom"));
    const QByteArray old("old content");
    const auto link = [](const QString &target, const QString &at) {
        return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(at).constData()) == 0;
    };
    if (situation == QLatin1String("link")) {
        QVERIFY(ImageBuilder::WriteFile(file, old));
        QVERIFY(link(QStringLiteral("../there/real.rom"), path));
    } else if (situation == QLatin1String("link to link")) {
        QVERIFY(ImageBuilder::WriteFile(file, old));
        QVERIFY(link(QStringLiteral("real.rom"), QDir(there).filePath(QStringLiteral("middle.rom"))));
        QVERIFY(link(QStringLiteral("../there/middle.rom"), path));
    } else if (situation == QLatin1String("dangling")) {
        QVERIFY(link(QStringLiteral("../there/real.rom"), path));
    } else if (situation == QLatin1String("dangling folder")) {
        QVERIFY(link(QStringLiteral("../missing/real.rom"), path));
    } else if (situation == QLatin1String("hard")) {
        QVERIFY(ImageBuilder::WriteFile(path, old));
        QVERIFY(::link(QFile::encodeName(path).constData(), QFile::encodeName(file).constData()) == 0);
    }
    const FileSnapshot::Folder hereBefore = FileSnapshot::Take(here);
    const FileSnapshot::Folder thereBefore = FileSnapshot::Take(there);

    Outcome saved;
    checkThenSave(base, path, saved);
    if (QTest::currentTestFailed())
        return;
    if (situation.startsWith(QLatin1String("dangling"))) {
        QCOMPARE(saved.result, -1);
        QVERIFY(saved.questions.isEmpty());
        QCOMPARE(saved.messages.size(), 1);
        QCOMPARE(saved.messages.first().caption, kOpenCaption);
        QCOMPARE(saved.messages.first().text,
                 QStringLiteral("%1 is a symbolic link to a file that does not exist.").arg(path));
        QCOMPARE(FileSnapshot::Take(here), hereBefore);
        QCOMPARE(FileSnapshot::Take(there), thereBefore);
        QVERIFY(!QFileInfo::exists(QDir(base).filePath(QStringLiteral("missing"))));
        return;
    }
    QCOMPARE(saved.result, 1);
    QCOMPARE(saved.questions.size(), 1);
    QCOMPARE(saved.questions.first().text, QStringLiteral("Overwrite file out.rom"));
    if (situation == QLatin1String("hard")) {
        QCOMPARE(ImageBuilder::ReadFile(path), m_written);
        QCOMPARE(ImageBuilder::ReadFile(file), old);
        QCOMPARE(FileSnapshot::Of(path).links, 1u);
        return;
    }
    // The links are as they were; the file they lead to has the new bytes, in its own folder.
    QCOMPARE(FileSnapshot::Take(here), hereBefore);
    const QStringList expected = situation == QLatin1String("link to link")
                                     ? QStringList{QStringLiteral("middle.rom"), QStringLiteral("real.rom")}
                                     : QStringList{QStringLiteral("real.rom")};
    QCOMPARE(FileSnapshot::Names(there), expected);
    if (situation == QLatin1String("link to link"))
        QCOMPARE(FileSnapshot::Take(there).value(QStringLiteral("middle.rom")),
                 thereBefore.value(QStringLiteral("middle.rom")));
    QCOMPARE(ImageBuilder::ReadFile(file), m_written);
    QVERIFY(!QFileInfo(file).isSymLink());
#endif
}

// ---- long names -----------------------------------------------------------------------

// clang-format off
void TestSaveFile::longNames_data()
{
    QTest::addColumn<int>("length");  // bytes of the file name
    QTest::addColumn<bool>("replace");
    QTest::addColumn<bool>("saves");
    for (int length : {241, 242, 249, 250, 255}) {
        QTest::addRow("%d bytes, new", length) << length << false << true;
        QTest::addRow("%d bytes, replaced", length) << length << true << true;
    }
    QTest::newRow("256 bytes: too long") << 256 << false << false;
}
// clang-format on

// The temporary file's name is short, so every name the file system takes can be saved.
void TestSaveFile::longNames()
{
    QFETCH(int, length);
    QFETCH(bool, replace);
    QFETCH(bool, saves);
    const QString folder = freshFolder();
    const QString name = QString(length - 4, QLatin1Char('n')) + QStringLiteral(".rom");
    const QString path = QDir(folder).filePath(name);
    if (replace)
        QVERIFY(ImageBuilder::WriteFile(path, "old"));

    Outcome saved;
    checkThenSave(folder, path, saved);
    if (QTest::currentTestFailed())
        return;
    if (saves) {
        QVERIFY2(saved.result == 1, qPrintable(Describe(saved)));
        QCOMPARE(ImageBuilder::ReadFile(path), m_written);
        QCOMPARE(FileSnapshot::Names(folder), QStringList{name});
    } else {
        QCOMPARE(saved.result, -1);
        QCOMPARE(saved.messages.size(), 1);
        QCOMPARE(saved.messages.first().caption, kOpenCaption);
#ifdef Q_OS_WIN
        const QString system = FileError::WindowsErrorText(ERROR_FILENAME_EXCED_RANGE);
#else
        const QString system = FileError::SystemText(ENAMETOOLONG);
#endif
        QCOMPARE(saved.messages.first().text, QStringLiteral("%1 while accessing %2.").arg(system, path));
        QCOMPARE(FileSnapshot::Names(folder), QStringList());
    }
}

// ---- messages -------------------------------------------------------------------------

// clang-format off
void TestSaveFile::messagesNameTheCause_data()
{
    QTest::addColumn<QString>("target");   // inside a fresh folder that holds "file"
    QTest::addColumn<QString>("text");     // %1 is the fresh folder
    QTest::newRow("missing folder") << "missing/out.rom" << "The folder %1/missing does not exist.";
    QTest::newRow("missing folders") << "a/b/out.rom" << "The folder %1/a/b does not exist.";
    QTest::newRow("a file where a folder should be") << "file/out.rom" << "%1/file is not a folder.";
    QTest::newRow("a file above the folder") << "file/sub/out.rom" << "%1/file is not a folder.";
}
// clang-format on

void TestSaveFile::messagesNameTheCause()
{
    QFETCH(QString, target);
    QFETCH(QString, text);
    const QString folder = freshFolder();
    QVERIFY(ImageBuilder::WriteFile(QDir(folder).filePath(QStringLiteral("file")), "a file"));
    Outcome saved;
    checkThenSave(folder, QDir(folder).filePath(target), saved);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(saved.result, -1);
    QCOMPARE(saved.messages.size(), 1);
    QCOMPARE(saved.messages.first().text, text.arg(folder));
    QCOMPARE(saved.messages.first().caption, kOpenCaption);
}

// Out of file descriptors: the system's "Too many open files", not "An unexpected error".
void TestSaveFile::tooManyOpenFiles()
{
#ifndef __unix__
    QSKIP("File descriptor limits are tested on Unix");
#else
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QVERIFY(load(rec, ui));
    const QString folder = freshFolder();
    const QString path = QDir(folder).filePath(QStringLiteral("out.rom"));

    rlimit saved{};
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &saved) == 0);
    // Every descriptor up to a low limit taken: the save's first open fails.
    QList<int> taken;
    int highest = 0;
    for (;;) {
        const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            break;
        taken << fd;
        highest = std::max(highest, fd);
        if (fd >= 64)
            break;
    }
    rlimit low = saved;
    low.rlim_cur = rlim_t(highest + 1);
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &low) == 0);
    ui.clear();
    const int result = rec.WriteFirmware(path);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    for (int fd : taken)
        ::close(fd);

    QCOMPARE(result, -1);
    QCOMPARE(ui.messages.size(), 1);
    QCOMPARE(ui.messages.first().text,
             QStringLiteral("%1 while accessing %2.").arg(FileError::SystemText(EMFILE), path));
    QCOMPARE(FileSnapshot::Names(folder), QStringList());
#endif
}

// ---- a flush that fails once the file has its name ---------------------------------------

// clang-format off
void TestSaveFile::flushAfterNamingFails_data()
{
    QTest::addColumn<QString>("fuse");
    QTest::addColumn<bool>("replace");
    QTest::addColumn<QString>("text");  // %1 is the path
    const QString file = QStringLiteral("%1 was written, but it could not be flushed to disk: Input/output error.");
    const QString folder =
        QStringLiteral("%1 was written, but the folder could not be flushed to disk: Input/output error.");
    QTest::newRow("the file's flush, new name") << "pass,eiolater" << false << file;
    QTest::newRow("the file's flush, replace") << "pass,eiolater" << true << file;
    QTest::newRow("the folder's flush, new name") << "pass,eiodir" << false << folder;
    QTest::newRow("the folder's flush, replace") << "pass,eiodir" << true << folder;
}
// clang-format on

// The file has its name and its bytes when a later flush fails: the save says so, never that the
// old file is as it was, and counts as written (the wizard goes on to "Finish"), with the record
// holding the written file.
void TestSaveFile::flushAfterNamingFails()
{
    QFETCH(QString, fuse);
    QFETCH(bool, replace);
    QFETCH(QString, text);
    const FlushMount mount(fuse);
    if (!mount.isMounted())
        QSKIP(qPrintable(mount.skipReason()));
    const QString path = QDir(mount.path()).filePath(QStringLiteral("out.rom"));
    if (replace)
        QVERIFY(ImageBuilder::WriteFile(path, "old"));
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QVERIFY(load(rec, ui));
    ui.clear();
    ui.answer = true;
    QCOMPARE(rec.WriteFirmware(path), 1);
    QVERIFY(rec.WriteHadProblem());
    QCOMPARE(ui.messages.size(), 1);
    QCOMPARE(ui.messages.first().caption, QStringLiteral("Could not flush destination file"));
    QCOMPARE(ui.messages.first().text, text.arg(path));
    QCOMPARE(rec.m_strTargetFile, path);
    QCOMPARE(ImageBuilder::ReadFile(path), m_written);
    QCOMPARE(FileSnapshot::Names(mount.path()), QStringList{QStringLiteral("out.rom")});
}

// ---- names that are not UTF-8 ---------------------------------------------------------------

// A name is bytes: one that is not UTF-8 (legal on Linux) is loaded and written under exactly its
// bytes, held as text by FileName::FromNative.
void TestSaveFile::namesThatAreNotUtf8()
{
#ifdef Q_OS_WIN
    QSKIP("Windows names are UTF-16 text");
#else
    const QString folder = freshFolder();
    const QByteArray folderBytes = QFile::encodeName(folder);
    const QByteArray sourceBytes = folderBytes + "/bad\xFF\xFE.rom";
    const QByteArray targetBytes = folderBytes + "/out\xE9.rom";
    {
        const int fd = ::open(sourceBytes.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        QVERIFY(fd >= 0);
        const QByteArray image = ImageBuilder(ImageBuilder::Rom).build();
        QCOMPARE(::write(fd, image.constData(), std::size_t(image.size())), ssize_t(image.size()));
        ::close(fd);
    }
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QCOMPARE(rec.LoadFirmware(FileName::FromNative(sourceBytes)), 1);
    QVERIFY(ui.messages.isEmpty());
    QCOMPARE(rec.WriteFirmware(FileName::FromNative(targetBytes)), 1);
    QVERIFY(ui.messages.isEmpty());
    struct stat st {};
    QVERIFY(::stat(targetBytes.constData(), &st) == 0);
    QCOMPARE(qint64(st.st_size), qint64(65536));
    // The name as Qt decodes it names no file: only the bytes do.
    QVERIFY(!QFile::exists(QFile::decodeName(targetBytes)));
#endif
}

// ---- a file another program holds open (Windows) -------------------------------------------

void TestSaveFile::heldOpenByAnotherProgram_data()
{
    QTest::addColumn<bool>("source");
    QTest::newRow("the target") << false;
    QTest::newRow("the source") << true;
}

// A file held open without sharing is refused as that, not as "Access denied": the user closes
// the other program instead of looking at permissions. The file is left as it was.
void TestSaveFile::heldOpenByAnotherProgram()
{
#ifndef Q_OS_WIN
    QSKIP("Share modes are Windows'");
#else
    QFETCH(bool, source);
    const QString folder = freshFolder();
    const QString path = QDir(folder).filePath(source ? QStringLiteral("held-source.rom") : QStringLiteral("held.rom"));
    const QByteArray old = source ? ImageBuilder(ImageBuilder::Rom).build() : QByteArray("old");
    QVERIFY(ImageBuilder::WriteFile(path, old));
    const HANDLE held =
        ::CreateFileW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(path).utf16()), GENERIC_READ | GENERIC_WRITE,
                      0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    QVERIFY(held != INVALID_HANDLE_VALUE);
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    int result = 0;
    if (source) {
        result = rec.LoadFirmware(path);
    } else {
        QVERIFY(load(rec, ui));
        ui.clear();
        ui.answer = true;
        result = rec.WriteFirmware(path);
    }
    ::CloseHandle(held);
    QCOMPARE(result, -1);
    QCOMPARE(ui.messages.size(), 1);
    QCOMPARE(ui.messages.first().caption, source ? QStringLiteral("Could not open source file")
                                                 : QStringLiteral("Could not write destination file"));
    QCOMPARE(ui.messages.first().text,
             QStringLiteral("%1 is open in another program that does not share it. Close it there and try again.")
                 .arg(path));
    QCOMPARE(ImageBuilder::ReadFile(path), old);
#endif
}

QTEST_GUILESS_MAIN(TestSaveFile)
#include "tst_savefile.moc"
