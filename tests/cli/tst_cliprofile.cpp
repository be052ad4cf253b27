// Profiles (write --settings) that no message should echo in full or misread: a key or a value
// of a megabyte is quoted by its start, and a profile that is not UTF-8 is refused with a
// sentence that says so. brindle-cli runs as a process: what a terminal would receive is what is
// checked, to the byte.

// Qt
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "common/imagebuilder.h"

namespace {

constexpr int kProcessTimeoutMs = 30000;

}  // namespace

class TestCliProfile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void refusedProfiles_data();
    void refusedProfiles();

private:
    QTemporaryDir m_dir;
};

void TestCliProfile::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(
        ImageBuilder::WriteFile(m_dir.filePath(QStringLiteral("src.rom")), ImageBuilder(ImageBuilder::Rom).build()));
}

// clang-format off
void TestCliProfile::refusedProfiles_data()
{
    QTest::addColumn<QByteArray>("profile");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("err");  // standard error, to the byte
    const QByteArray mega(1000000, 'k');
    const QByteArray forty(40, 'k');
    const QByteArray utf8 = "; a profile is UTF-8 text, as info --json writes it\n";

    QTest::newRow("a key of a megabyte") << "{\"" + mega + "\": 1}" << 2
        << "brindle-cli: p.json: " + forty + "... (1000000 characters): unknown key\n";
    QTest::newRow("a value of a megabyte") << "{\"parity\": \"" + mega + "\"}" << 2
        << "brindle-cli: p.json: parity: \"" + forty + "... (1000000 characters)\" is not one of none, odd, even\n";
    const QByteArray half(500000, 'k');
    QTest::newRow("a key of half a megabyte named twice") << "{\"" + half + "\": 1, \"" + half + "\": 2}" << 2
        << "brindle-cli: p.json: " + forty + "... (500000 characters): the key appears twice\n";
    QTest::newRow("UTF-16, little-endian mark") << QByteArray("\xFF\xFE{\0}\0", 6) << 2
        << "brindle-cli: p.json: UTF-16 text" + utf8;
    QTest::newRow("UTF-16, big-endian mark") << QByteArray("\xFE\xFF\0{\0}", 6) << 2
        << "brindle-cli: p.json: UTF-16 text" + utf8;
    QTest::newRow("UTF-32, little-endian mark") << QByteArray("\xFF\xFE\0\0{\0\0\0}\0\0\0", 12) << 2
        << "brindle-cli: p.json: UTF-32 text" + utf8;
    QTest::newRow("UTF-16 without a mark") << QByteArray("{\0\"\0", 4) << 2
        << "brindle-cli: p.json: not UTF-8 text: a NUL byte at line 1, column 2, as UTF-16 text has" + utf8;
    QTest::newRow("Latin-1") << QByteArray("{\n  \"parity\": \"caf\xE9\"\n}") << 2
        << "brindle-cli: p.json: not UTF-8 text: byte 0xE9 at line 2, column 17" + utf8;
    // Taken: the mark some editors write is no part of the JSON.
    QTest::newRow("UTF-8 with its mark") << QByteArray("\xEF\xBB\xBF{\"parity\": \"odd\"}") << 0 << QByteArray();
}
// clang-format on

void TestCliProfile::refusedProfiles()
{
    QFETCH(QByteArray, profile);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, err);
    QVERIFY(ImageBuilder::WriteFile(m_dir.filePath(QStringLiteral("p.json")), profile));
    QProcess p;
    p.setWorkingDirectory(m_dir.path());
    p.start(QStringLiteral(BRINDLE_CLI_PATH),
            {QStringLiteral("write"), QStringLiteral("src.rom"), QStringLiteral("out.rom"), QStringLiteral("--code"),
             QStringLiteral("ABC"), QStringLiteral("--settings"), QStringLiteral("p.json"),
             QStringLiteral("--dry-run")});
    QVERIFY(p.waitForFinished(kProcessTimeoutMs));
    // Lines end in CR LF on Windows.
    QCOMPARE(p.readAllStandardError().replace("\r\n", "\n"), err);
    QCOMPARE(p.exitCode(), exitCode);
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("out.rom"))));
}

QTEST_GUILESS_MAIN(TestCliProfile)
#include "tst_cliprofile.moc"
