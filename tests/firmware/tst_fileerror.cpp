// The file layer's descriptions of failed opens, reads and writes.

// Std
#include <cerrno>

// Qt
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "firmware/fileerror.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

using FileError::Problem;
Q_DECLARE_METATYPE(FileError::Problem)

class TestFileError : public QObject
{
    Q_OBJECT

private slots:
    void describe_data();
    void describe();
    void afterTheName();
    void describeLongPath();
    void forOpen_data();
    void forOpen();
    void forTransfer_data();
    void forTransfer();
    void savedError_data();
    void savedError();
    void describeSaveFailure_data();
    void describeSaveFailure();
};

void TestFileError::describe_data()
{
    QTest::addColumn<Problem>("problem");
    QTest::addColumn<QString>("text");
    QTest::newRow("not found") << Problem::NotFound << "/fw/a.rom was not found.";
    QTest::newRow("access denied") << Problem::AccessDenied << "Access to /fw/a.rom was denied.";
    QTest::newRow("disk full") << Problem::DiskFull << "Disk full while accessing /fw/a.rom.";
    QTest::newRow("unexpected") << Problem::Unexpected << "An unexpected error occurred while accessing /fw/a.rom.";
    QTest::newRow("folder missing") << Problem::FolderMissing << "The folder /fw/a.rom does not exist.";
    QTest::newRow("dangling link") << Problem::DanglingLink
                                   << "/fw/a.rom is a symbolic link to a file that does not exist.";
    QTest::newRow("read-only") << Problem::ReadOnly << "/fw/a.rom cannot be written: its file system is read-only.";
    QTest::newRow("not a folder") << Problem::NotAFolder << "/fw/a.rom is not a folder.";
    QTest::newRow("mount point")
        << Problem::MountPoint
        << "/fw/a.rom is a mount point: another file system is mounted on it, so it cannot be replaced.";
    QTest::newRow("no safe new name")
        << Problem::NoSafeNewName
        << "/fw/a.rom was not created: its file system has neither hard links nor a rename that never replaces, so "
           "the name could not be taken without the risk of replacing a file that another program creates at the same "
           "moment.";
    QTest::newRow("in use")
        << Problem::InUse
        << "/fw/a.rom is open in another program that does not share it. Close it there and try again.";
    QTest::newRow("changed") << Problem::Changed
                             << "/fw/a.rom was replaced by another file while it was being saved; nothing was written.";
    QTest::newRow("read failed") << Problem::ReadFailed << "An unexpected error occurred while reading /fw/a.rom.";
    QTest::newRow("shrunk") << Problem::Shrunk << "/fw/a.rom became shorter while it was being read.";
}

void TestFileError::describe()
{
    QFETCH(Problem, problem);
    QFETCH(QString, text);
    QCOMPARE(FileError::Describe(problem, QStringLiteral("/fw/a.rom")), text);
    // The system's words where the problem has none of its own.
    if (problem == Problem::ReadFailed || problem == Problem::Unexpected) {
        QCOMPARE(FileError::Describe(problem, QStringLiteral("/fw/a.rom"), QStringLiteral("Input/output error")),
                 QString(text).replace(QStringLiteral("An unexpected error occurred"),
                                       QStringLiteral("Input/output error")));
    }
}

// A flush that fails once the file has its name, and a temporary file left behind, are told as
// what they are.
void TestFileError::afterTheName()
{
    QCOMPARE(FileError::DescribeUnflushed(QStringLiteral("/fw/a.rom"), false, QStringLiteral("Input/output error")),
             QStringLiteral("/fw/a.rom was written, but it could not be flushed to disk: Input/output error."));
    QCOMPARE(FileError::DescribeUnflushed(QStringLiteral("/fw/a.rom"), true, QStringLiteral("No space left on device")),
             QStringLiteral("/fw/a.rom was written, but the folder could not be flushed to disk: No space left on "
                            "device."));
    QCOMPARE(
        FileError::DescribeLeftover(QStringLiteral("/fw/.brindle-0badcafe.tmp"), QStringLiteral("Input/output error")),
        QStringLiteral("The temporary file /fw/.brindle-0badcafe.tmp could not be removed: Input/output error."));
}

void TestFileError::describeLongPath()
{
    const QString path = QStringLiteral("/") + QString(2000, QLatin1Char('p'));
    const QString text = FileError::Describe(Problem::AccessDenied, path);
    QCOMPARE(text.size(), 1024);
    QVERIFY(text.startsWith(QLatin1String("Access to /ppp")));
}

void TestFileError::forOpen_data()
{
    QTest::addColumn<QString>("name");  // inside a temporary folder holding "file" and "folder"
    QTest::addColumn<bool>("forWriting");
    QTest::addColumn<int>("savedErrno");
    QTest::addColumn<Problem>("problem");
    QTest::newRow("missing file, reading") << "missing" << false << ENOENT << Problem::NotFound;
    QTest::newRow("folder, reading") << "folder" << false << EISDIR << Problem::AccessDenied;
    QTest::newRow("folder, writing") << "folder" << true << EISDIR << Problem::AccessDenied;
    QTest::newRow("missing folder, writing") << "nowhere/new" << true << ENOENT << Problem::NotFound;
    QTest::newRow("file as a folder, writing") << "file/new" << true << ENOTDIR << Problem::NotFound;
    QTest::newRow("denied by the system") << "file" << true << EACCES << Problem::AccessDenied;
    QTest::newRow("disk full on create") << "new" << true << ENOSPC << Problem::DiskFull;
    QTest::newRow("unknown errno") << "file" << false << EIO << Problem::Unexpected;
    QTest::newRow("no errno") << "file" << false << 0 << Problem::Unexpected;
}

void TestFileError::forOpen()
{
    QFETCH(QString, name);
    QFETCH(bool, forWriting);
    QFETCH(int, savedErrno);
    QFETCH(Problem, problem);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile file(dir.filePath(QStringLiteral("file")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    QCOMPARE(FileError::ForOpen(dir.filePath(name), forWriting, savedErrno), problem);
}

void TestFileError::forTransfer_data()
{
    QTest::addColumn<int>("savedErrno");
    QTest::addColumn<Problem>("problem");
    QTest::newRow("ENOSPC") << ENOSPC << Problem::DiskFull;
    // Over a file-size limit or a quota the disk is not full: the system's words say what it is.
    QTest::newRow("EFBIG, over a file-size limit") << EFBIG << Problem::Unexpected;
#ifdef EDQUOT
    QTest::newRow("EDQUOT, over a quota") << EDQUOT << Problem::Unexpected;
#endif
    QTest::newRow("EROFS") << EROFS << Problem::ReadOnly;
    QTest::newRow("EISDIR") << EISDIR << Problem::IsFolder;
    QTest::newRow("EACCES") << EACCES << Problem::AccessDenied;
    // An open file cannot go missing: report it as unexpected rather than "not found".
    QTest::newRow("ENOENT") << ENOENT << Problem::Unexpected;
    QTest::newRow("EIO") << EIO << Problem::Unexpected;
    QTest::newRow("none") << 0 << Problem::Unexpected;
}

void TestFileError::forTransfer()
{
    QFETCH(int, savedErrno);
    QFETCH(Problem, problem);
    QCOMPARE(FileError::ForTransfer(savedErrno), problem);
}

void TestFileError::savedError_data()
{
    QTest::addColumn<int>("errnoValue");
    QTest::addColumn<int>("systemCode");  // Windows' last error code
    QTest::addColumn<int>("expected");
    QTest::newRow("errno") << ENOSPC << 0 << ENOSPC;
    QTest::newRow("nothing") << 0 << 0 << 0;
#ifdef Q_OS_WIN
    QTest::newRow("file not found") << 0 << int(ERROR_FILE_NOT_FOUND) << ENOENT;
    QTest::newRow("path not found") << 0 << int(ERROR_PATH_NOT_FOUND) << ENOENT;
    QTest::newRow("no such drive") << 0 << int(ERROR_INVALID_DRIVE) << ENOENT;
    QTest::newRow("access denied") << 0 << int(ERROR_ACCESS_DENIED) << EACCES;
    QTest::newRow("held open by another program") << 0 << int(ERROR_SHARING_VIOLATION) << EBUSY;
    QTest::newRow("locked range") << 0 << int(ERROR_LOCK_VIOLATION) << EBUSY;
    QTest::newRow("write-protected medium") << 0 << int(ERROR_WRITE_PROTECT) << EROFS;
    QTest::newRow("disk full") << 0 << int(ERROR_DISK_FULL) << ENOSPC;
    QTest::newRow("disk full on a handle") << 0 << int(ERROR_HANDLE_DISK_FULL) << ENOSPC;
    QTest::newRow("file too large") << 0 << int(ERROR_FILE_TOO_LARGE) << EFBIG;
    QTest::newRow("anything else") << 0 << int(ERROR_CRC) << EIO;
    QTest::newRow("errno comes first") << EROFS << int(ERROR_FILE_NOT_FOUND) << EROFS;
#endif
}

void TestFileError::savedError()
{
    QFETCH(int, errnoValue);
    QFETCH(int, systemCode);
    QFETCH(int, expected);
#ifdef Q_OS_WIN
    ::SetLastError(DWORD(systemCode));
#else
    Q_UNUSED(systemCode);
#endif
    errno = errnoValue;
    QCOMPARE(FileError::SavedError(), expected);
}

void TestFileError::describeSaveFailure_data()
{
    QTest::addColumn<int>("savedErrno");
    QTest::addColumn<QString>("text");  // %1 is the system's text for the errno
    QTest::newRow("missing folder") << ENOENT << "The folder /fw does not exist.";
    QTest::newRow("a path through a file") << ENOTDIR << "The folder /fw does not exist.";
    QTest::newRow("access denied") << EACCES << "Access to /fw/a.rom was denied.";
    QTest::newRow("not permitted") << EPERM << "Access to /fw/a.rom was denied.";
    QTest::newRow("read-only file system") << EROFS << "/fw/a.rom cannot be written: its file system is read-only.";
    QTest::newRow("disk full") << ENOSPC << "Disk full while accessing /fw/a.rom.";
    QTest::newRow("file-size limit") << EFBIG << "File too large while accessing /fw/a.rom.";
#ifdef EDQUOT
    QTest::newRow("quota") << EDQUOT << "Disk quota exceeded while accessing /fw/a.rom.";
#endif
    QTest::newRow("a folder took the name") << EISDIR << "/fw/a.rom is a folder, not a firmware file.";
    // Without a text of its own, the system's words instead of "An unexpected error occurred".
    QTest::newRow("I/O error") << EIO << "%1 while accessing /fw/a.rom.";
    QTest::newRow("too many open files") << EMFILE << "%1 while accessing /fw/a.rom.";
    QTest::newRow("name too long") << ENAMETOOLONG << "%1 while accessing /fw/a.rom.";
    QTest::newRow("unknown") << 0 << "An unexpected error occurred while accessing /fw/a.rom.";
}

void TestFileError::describeSaveFailure()
{
    QFETCH(int, savedErrno);
    QFETCH(QString, text);
    const QString system = FileError::SystemText(savedErrno);
    QCOMPARE(FileError::DescribeSaveFailure(savedErrno, QString(), QStringLiteral("/fw/a.rom")),
             text.contains(QLatin1String("%1")) ? text.arg(system) : text);
    if (savedErrno != 0) {
        QVERIFY(!system.isEmpty());
        QVERIFY(!system.endsWith(QLatin1Char('.')));
    }
    // A text the caller has, such as Windows' own, is used as it is.
    if (text.contains(QLatin1String("%1"))) {
        QCOMPARE(
            FileError::DescribeSaveFailure(savedErrno, QStringLiteral("Device not ready"), QStringLiteral("/fw/a.rom")),
            QStringLiteral("Device not ready while accessing /fw/a.rom."));
    }
}

QTEST_GUILESS_MAIN(TestFileError)
#include "tst_fileerror.moc"
