// brindle-cli, run as a real process: each command, each refusal with its message and exit
// code, profiles and dry runs, and that `write` produces the bytes that the firmware core
// produces when it is driven the way the wizard drives it.

// Std
#include <cerrno>
#include <cstring>
#include <functional>
#if defined(__unix__) || defined(__APPLE__)
#include <sys/resource.h>
#define BRINDLE_HAVE_RLIMIT 1
#endif

// Qt
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "brindle_version.h"
#include "common/imagebuilder.h"
#include "common/uirecorder.h"
#include "firmware/nonregularfiles.h"
#include "firmware/recordstate.h"
#include "firmwareformat.h"
#include "firmwarerecord.h"
#include "settingstext.h"

using namespace Firmware;

// A refused run: `actualErr` (standard error, or the part of it compared) is `expectedErr`,
// nothing went to standard output, the exit code is `expectedExit` and the test folder holds
// what it held before. For test functions: it returns on failure.
#define QVERIFY_CLI_REFUSED(run, actualErr, expectedErr, expectedExit, entriesBefore) \
    do {                                                                              \
        QCOMPARE(actualErr, QString(expectedErr));                                    \
        QCOMPARE((run).out, QString());                                               \
        QCOMPARE((run).exitCode, int(expectedExit));                                  \
        QCOMPARE(Entries(m_dir->path()), (entriesBefore));                            \
    } while (false)

namespace {

constexpr int kProcessTimeoutMs = 30000;

// The firmware files the tests use, by file name. Every one is built here.
QByteArray Fixture(const QString &name)
{
    using K = ImageBuilder::Kind;
    static const QHash<QString, std::function<QByteArray()>> fixtures = {
        {"qhar.rom", [] { return ImageBuilder(K::Rom).build(); }},
        {"qhar.bld", [] { return ImageBuilder(K::Bld).build(); }},
        {"qhar.quf", [] { return ImageBuilder(K::Upgrade).build(); }},
        {"qhar-66048.rom", [] { return ImageBuilder(K::Rom).build() + QByteArray(kHeaderSize, '\x5A'); }},
        {"qhar-coded.rom", [] { return ImageBuilder(K::Rom, "03.64-OLDQHARF").build(); }},
        {"qhar-set.rom",
         [] {
             return ImageBuilder(K::Rom)
                 .setInit(0x83)
                 .setOption(0xCF)
                 .setLine(0x0D)
                 .setFlow(0x04)
                 .setDivisor(26)
                 .build();
         }},
        {"qhar-flow8.rom", [] { return ImageBuilder(K::Rom).setFlow(0x08).build(); }},
        {"qhar-tail.rom",
         [] {
             ImageBuilder b(K::Rom);
             for (int i = kBldLength; i < kRomLength; i += 97)
                 b.setByte(i, 0xEE);
             return b.build();
         }},
        {"qhar-onebyte.rom", [] { return ImageBuilder(K::Rom).setByte(0x1234, 0x00).build(); }},
        {"qlyt1-long.rom", [] { return ImageBuilder(K::Rom, "03.64ABCDEQLYT1F").build(); }},
        {"qsol.quf",
         [] {
             return ImageBuilder(K::Upgrade, "03.64QSOLF").setStrings({"Norvale", "Widget", "SN1"}).build();
         }},
        {"qsol2.rom",
         [] {
             return ImageBuilder(K::Rom, "03.60QSOLF").setStrings({"Other", "Thing", "SN1"}).setDivisor(13).build();
         }},
        {"qsol-nostrings.rom", [] { return ImageBuilder(K::Rom, "03.64QSOLF").build(); }},
        {"qsol-shortdesc.rom",
         [] {
             return ImageBuilder(K::Rom, "03.64QSOLF").setStrings({"A", "B", "C"}).setDeviceDescriptor(8, 1, 2).build();
         }},
        {"qwex.bld", [] { return ImageBuilder(K::Bld, "03.64QWEXF").build(); }},
        {"qwex-flow8.rom", [] { return ImageBuilder(K::Rom, "03.64QWEXF").setFlow(0x08).build(); }},
        {"qj4j.bld", [] { return ImageBuilder(K::Bld, "03.64QJ4JF").setDirPrefix("J4J0").build(); }},
        {"short.rom", [] { return QByteArray(1000, '\0'); }},
        {"nosig.rom", [] { return QByteArray(kRomLength, '\0'); }},
        {"old.rom", [] { return ImageBuilder(K::Rom, "03.54QHARF").build(); }},
        {"params.rom", [] { return ImageBuilder(K::Rom).setParams(2).build(); }},
    };
    const auto it = fixtures.find(name);
    return it == fixtures.end() ? QByteArray() : it.value()();
}

// Sets one settings-record member by its name, as a wizard page hands it back.
void SetMember(CFirmwareRecord &r, const QString &name, const QVariant &v)
{
    static const QHash<QString, std::function<void(CFirmwareRecord &, const QVariant &)>> setters = {
        {"m_nBaudRate", [](CFirmwareRecord &r, const QVariant &v) { r.m_nBaudRate = v.toInt(); }},
        {"m_nDataBits", [](CFirmwareRecord &r, const QVariant &v) { r.m_nDataBits = v.toInt(); }},
        {"m_nStopBits", [](CFirmwareRecord &r, const QVariant &v) { r.m_nStopBits = v.toInt(); }},
        {"m_nParity", [](CFirmwareRecord &r, const QVariant &v) { r.m_nParity = v.toInt(); }},
        {"m_nFlowControl", [](CFirmwareRecord &r, const QVariant &v) { r.m_nFlowControl = v.toInt(); }},
        {"m_nVendorId", [](CFirmwareRecord &r, const QVariant &v) { r.m_nVendorId = v.toInt(); }},
        {"m_nProductId", [](CFirmwareRecord &r, const QVariant &v) { r.m_nProductId = v.toInt(); }},
        {"m_bDisableUpgrades", [](CFirmwareRecord &r, const QVariant &v) { r.m_bDisableUpgrades = v.toBool(); }},
        {"m_bHideConnects", [](CFirmwareRecord &r, const QVariant &v) { r.m_bHideConnects = v.toBool(); }},
        {"m_bDisableDataMode", [](CFirmwareRecord &r, const QVariant &v) { r.m_bDisableDataMode = v.toBool(); }},
        {"m_bDisableStatusInfo", [](CFirmwareRecord &r, const QVariant &v) { r.m_bDisableStatusInfo = v.toBool(); }},
        {"m_bHideVersionReport", [](CFirmwareRecord &r, const QVariant &v) { r.m_bHideVersionReport = v.toBool(); }},
        {"m_bHidePrompt", [](CFirmwareRecord &r, const QVariant &v) { r.m_bHidePrompt = v.toBool(); }},
        {"m_bDisableLedFlash", [](CFirmwareRecord &r, const QVariant &v) { r.m_bDisableLedFlash = v.toBool(); }},
        {"m_bShortCommandSet", [](CFirmwareRecord &r, const QVariant &v) { r.m_bShortCommandSet = v.toBool(); }},
        {"m_bAsciiInput", [](CFirmwareRecord &r, const QVariant &v) { r.m_bAsciiInput = v.toBool(); }},
        {"m_strManufacturer", [](CFirmwareRecord &r, const QVariant &v) { r.m_strManufacturer = v.toString(); }},
        {"m_strProduct", [](CFirmwareRecord &r, const QVariant &v) { r.m_strProduct = v.toString(); }},
        {"m_strDirPrefix", [](CFirmwareRecord &r, const QVariant &v) { r.m_strDirPrefix = v.toString(); }},
    };
    QVERIFY2(setters.contains(name), qPrintable(name));
    setters.value(name)(r, v);
}

QString PlainLines(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

struct CliRun {
    int exitCode = -1;
    QString out;  // line breaks as "\n" on every platform
    QString err;
    QByteArray rawOut;  // standard output as the tool wrote it
};

}  // namespace

class TestCli : public QObject
{
    Q_OBJECT

private:
    QScopedPointer<QTemporaryDir> m_dir;

    QString Path(const QString &name) const { return m_dir->filePath(name); }

    // Writes every fixture that `args` names into the test folder.
    void PrepareFixtures(const QStringList &args)
    {
        for (const QString &arg : args) {
            const QByteArray bytes = Fixture(arg);
            if (!bytes.isEmpty())
                QVERIFY(ImageBuilder::WriteFile(Path(arg), bytes));
        }
    }

    CliRun Run(const QStringList &args) { return RunIn(m_dir->path(), args); }

    // Runs brindle-cli in `folder`; `prepare` may change the process before it starts.
    static CliRun RunIn(const QString &folder, const QStringList &args,
                        const std::function<void(QProcess &)> &prepare = {})
    {
        QProcess process;
        process.setWorkingDirectory(folder);
        process.setProgram(QStringLiteral(BRINDLE_CLI_PATH));
        process.setArguments(args);
        if (prepare)
            prepare(process);
        process.start();
#ifdef Q_OS_WIN
        // Wine now and then fails to create a process under load ("Internal error"); one more
        // try tells that apart from a program that cannot start.
        if (!process.waitForStarted() && process.error() == QProcess::FailedToStart)
            process.start();
#endif
        return Finish(process);
    }

    // Waits for a started brindle-cli; one that does not end is killed and reported.
    static CliRun Finish(QProcess &process)
    {
        CliRun run;
        if (!process.waitForFinished(kProcessTimeoutMs) || process.exitStatus() != QProcess::NormalExit) {
            process.kill();
            process.waitForFinished();
            run.err = QStringLiteral("brindle-cli did not finish: ") + process.errorString();
            return run;
        }
        run.exitCode = process.exitCode();
        run.rawOut = process.readAllStandardOutput();
        run.out = QString::fromUtf8(run.rawOut);
        run.err = QString::fromUtf8(process.readAllStandardError());
#ifdef Q_OS_WIN
        // Text on Windows ends its lines with CR LF, and so does everything the tool prints there.
        for (QString *text : {&run.out, &run.err}) {
            if (text->count(QLatin1String("\r\n")) != text->count(QLatin1Char('\n')))
                QTest::qFail(qPrintable("a line break other than CR LF in:\n" + *text), __FILE__, __LINE__);
            text->replace(QLatin1String("\r\n"), QLatin1String("\n"));
        }
#else
        if (run.out.contains(QLatin1Char('\r')) || run.err.contains(QLatin1Char('\r')))
            QTest::qFail(qPrintable("a CR in:\n" + run.out + run.err), __FILE__, __LINE__);
#endif
        return run;
    }

    QStringList Files() const
    {
        return QDir(m_dir->path()).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    }

    static QStringList Entries(const QString &folder)
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                      QDir::Name);
    }

    // A fresh folder inside the test folder, holding the fixtures that `args` names.
    QString Folder(const QString &name, const QStringList &args)
    {
        const QString folder = Path(name);
        if (!QDir().mkpath(folder))
            return QString();
        for (const QString &arg : args) {
            const QByteArray bytes = Fixture(arg);
            if (!bytes.isEmpty() && !ImageBuilder::WriteFile(QDir(folder).filePath(arg), bytes))
                return QString();
        }
        return folder;
    }

    // The wizard's walk with the core alone: load, the pages hand their values back, the
    // version code goes into the version text on the way to "Confirm Summary", then write.
    QByteArray WalkLikeWizard(const QString &source, const QString &target, const QVariantMap &members,
                              const QString &code, QString &finishText)
    {
        UiRecorder ui;  // answers the overwrite question with Yes, as the wizard's user would
        CFirmwareRecord r(&ui);
        if (r.LoadFirmware(Path(source)) != 1)
            return QByteArray();
        for (auto it = members.begin(); it != members.end(); ++it)
            SetMember(r, it.key(), it.value());
        // The UART page offers "Unknown (keep as is)" for an unknown flow control: left alone, it
        // stays unknown and the file's byte is written back as it was.
        r.m_strVersionCode = code;
        r.m_strVersion = SettingsText::MergeVersionCode(r.m_strVersion, code);
        if (r.WriteFirmware(Path(target)) != 1)
            return QByteArray();
        finishText = PlainLines(SettingsText::FinishText(r.m_nFileKind, r.m_strVersion, source, target)) + '\n';
        return ImageBuilder::ReadFile(Path(target));
    }

private slots:
    void notRegularFiles_data();
    void notRegularFiles();
    void concurrentWritesNeverReplace();
    void dryRunMatchesRun_data();
    void dryRunMatchesRun();
    void profileOfAnyFileRoundTrips_data();
    void profileOfAnyFileRoundTrips();
    void outputFailures_data();
    void outputFailures();
    void fileSizeLimit();
    void unencodableName();

    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
    }

    // The documented example: the copied "File Summary" text, then how the file was recognised.
    void infoTextExample()
    {
        PrepareFixtures({"qhar.rom"});
        const CliRun run = Run({"info", "qhar.rom"});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QStringLiteral(
                              "Firmware Settings\n\n"
                              "Firmware Version: 03.64\n\n"
                              "Firmware Type: QHAR ROM File\n\n"
                              "Default Monitor Settings: 9600 baud, 8 bits, 1 stop bit, no parity, no flow control\n\n"
                              "Initial Mode: ECS, IPH, LED Flash at Power-on\n\n"
                              "Options: Allow Firmware Upgrades, Allow Data Mode, Allow Sonette Status Information,\n"
                              "Show Prompt, Show Device Connects/Removals, Show Version Report at Startup.\n\n"
                              "File Kind: ROM image: 65536 bytes, signature at image offset 0x30\n"));
    }

    // info prints what the wizard's "File Summary" shows and copies, for every firmware type.
    void infoIsTheFileSummary_data()
    {
        QTest::addColumn<QString>("file");
        for (const char *file :
             {"qhar.rom", "qsol.quf", "qwex.bld", "qhar-coded.rom", "qhar-set.rom", "qhar-flow8.rom"})
            QTest::newRow(file) << file;
    }

    void infoIsTheFileSummary()
    {
        QFETCH(QString, file);
        PrepareFixtures({file});
        const CliRun run = Run({"info", file});
        QCOMPARE(run.exitCode, 0);
        CFirmwareRecord r(nullptr);
        QCOMPARE(r.LoadFirmware(Path(file)), 1);
        constexpr bool kFileSummary = false;
        const QString summary = PlainLines(SettingsText::CopyText(
            SettingsText::Describe(SettingsText::SummaryValuesOf(r), kFileSummary), kFileSummary));
        QVERIFY2(run.out.startsWith(summary), qPrintable(run.out));
        QVERIFY(run.out.mid(summary.size()).startsWith(QStringLiteral("File Kind: ")));
        QCOMPARE(run.out.count(QLatin1Char('\n')), summary.count(QLatin1Char('\n')) + 1);
    }

    // clang-format off
    void infoText_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("absent");

        QTest::newRow("QSOL upgrade file: USB identity")
            << "qsol.quf"
            << QStringList{"Firmware Type: QSOL QUF Upgrader File for Main Code", "USB VID/PID: 0x2b3f/0x5c10",
                           "USB Strings: \"Norvale\", \"Widget\", \"SN1\"",
                           "File Kind: QUF upgrade file: signature in the 512-byte header, code type 1 (main code)"}
            << QStringList{"Target Directory Prefix"};
        QTest::newRow("QWEX BLD image: prefix")
            << "qwex.bld"
            << QStringList{"Firmware Type: QWEX BLD File", "Target Directory Prefix: SNAP",
                           "File Kind: BLD image: 61440 bytes, signature at image offset 0x30"}
            << QStringList{"USB VID/PID", "USB Strings"};
        QTest::newRow("customised before: marker")
            << "qhar-coded.rom" << QStringList{"Firmware Version: 03.64-OLD (Modified) "} << QStringList{};
        QTest::newRow("66048 bytes without a header")
            << "qhar-66048.rom"
            << QStringList{"Firmware Type: QHAR ROM File",
                           "File Kind: ROM image: 66048 bytes without an upgrade header, signature at image offset 0x30"}
            << QStringList{};
        QTest::newRow("everything set")
            << "qhar-set.rom"
            << QStringList{"Default Monitor Settings: 115200 baud, 7 bits, 2 stop bit, odd parity, XON/XOFF",
                           "Initial Mode: SCS, IPA, Disable LED Flash at Power-on",
                           "Options: Disable Firmware Upgrades, Disable Data Mode, Disable Sonette Status Information,",
                           "No Prompt, No Device Connects/Removals, No Version Report at Startup."}
            << QStringList{"Allow"};
        QTest::newRow("unknown flow control")
            << "qhar-flow8.rom" << QStringList{"Default Monitor Settings: 9600 baud, 8 bits, 1 stop bit, no parity, unknown flow control"}
            << QStringList{};
    }
    // clang-format on

    void infoText()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, absent);
        PrepareFixtures({file});
        const CliRun run = Run({"info", file});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 0);
        const QStringList outLines = run.out.split('\n');
        for (const QString &line : lines)
            QVERIFY2(outLines.contains(line), qPrintable(line + "\n--- not in ---\n" + run.out));
        for (const QString &text : absent)
            QVERIFY2(!run.out.contains(text), qPrintable(text));
    }

    // clang-format off
    void infoJson_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QVariantMap>("expected");  // every key of the object, with its value
        QTest::addColumn<QVariantMap>("usb");       // empty: no "usb" member

        const QVariantMap plain{{"schema", 1}, {"fileKind", "ROM"}, {"codeType", 0}, {"firmwareType", "QHAR"},
                                {"version", "03.64QHARF"}, {"versionNumber", 364}, {"baudRate", 9600},
                                {"dataBits", 8}, {"stopBits", 1}, {"parity", "none"}, {"flowControl", "none"},
                                {"inputMode", "iph"}, {"commandSet", "ecs"}, {"ledFlash", true}, {"prompt", true},
                                {"deviceConnects", true}, {"versionReport", true}, {"dataMode", true},
                                {"upgrades", true}, {"statusInfo", true}};
        QTest::newRow("QHAR ROM, defaults") << "qhar.rom" << plain << QVariantMap{};

        QVariantMap set = plain;
        set.insert({{"baudRate", 115200}, {"dataBits", 7}, {"stopBits", 2}, {"parity", "odd"},
                    {"flowControl", "xon-xoff"}, {"inputMode", "ipa"}, {"commandSet", "scs"}, {"ledFlash", false},
                    {"prompt", false}, {"deviceConnects", false}, {"versionReport", false}, {"dataMode", false},
                    {"upgrades", false}, {"statusInfo", false}});
        QTest::newRow("QHAR ROM, every bit set") << "qhar-set.rom" << set << QVariantMap{};

        QVariantMap qsol = plain;
        qsol.insert({{"fileKind", "QUF"}, {"codeType", 1}, {"firmwareType", "QSOL"}, {"version", "03.64QSOLF"}});
        QTest::newRow("QSOL upgrade file")
            << "qsol.quf" << qsol
            << QVariantMap{{"vendorId", 0x2B3F}, {"productId", 0x5C10}, {"manufacturer", "Norvale"},
                           {"product", "Widget"}, {"string3", "SN1"}};

        QVariantMap qj4j = plain;
        qj4j.insert({{"fileKind", "BLD"}, {"firmwareType", "QJ4J"}, {"version", "03.64QJ4JF"}, {"dirPrefix", "J4J0"}});
        QTest::newRow("QJ4J BLD image") << "qj4j.bld" << qj4j << QVariantMap{};

        QVariantMap unknownFlow = plain;
        unknownFlow.insert("flowControl", "unknown");
        QTest::newRow("unknown flow control") << "qhar-flow8.rom" << unknownFlow << QVariantMap{};
    }
    // clang-format on

    void infoJson()
    {
        QFETCH(QString, file);
        QFETCH(QVariantMap, expected);
        QFETCH(QVariantMap, usb);
        PrepareFixtures({file});
        const CliRun run = Run({"info", file, "--json"});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 0);
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(run.out.toUtf8(), &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        QJsonObject object = doc.object();
        QCOMPARE(object.value("usb").toObject().toVariantMap(), usb);
        object.remove("usb");
        QCOMPARE(object.toVariantMap(), expected);
        // Written in the documented order, not alphabetically.
        QVERIFY(run.out.startsWith("{\n  \"schema\": 1,\n  \"fileKind\": "));
    }

    // clang-format off
    void writeMatchesWizard_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("profile");  // written to profile.json and passed with --settings
        QTest::addColumn<QString>("code");        // as the wizard's record holds it
        QTest::addColumn<QVariantMap>("members");  // what the wizard's pages hand back

        QTest::newRow("UART settings, ROM to upgrade file")
            << "qhar.rom" << "out.quf"
            << QStringList{"--code", "ABC", "--baud", "115200", "--data-bits", "7", "--stop-bits", "2", "--parity", "even", "--flow", "cts-rts"}
            << QByteArray() << "ABC"
            << QVariantMap{{"m_nBaudRate", 115200}, {"m_nDataBits", 7}, {"m_nStopBits", 2}, {"m_nParity", 2}, {"m_nFlowControl", 1}};
        QTest::newRow("modes and options off, upgrade file to ROM")
            << "qhar.quf" << "out.rom"
            << QStringList{"--code", "A1B", "--input", "ipa", "--command-set", "scs", "--led-flash", "off",
                           "--prompt", "hide", "--connects", "hide", "--version-report", "hide", "--data-mode",
                           "disable", "--upgrades", "disable", "--status-info", "disable"}
            << QByteArray() << "A1B"
            << QVariantMap{{"m_bAsciiInput", true}, {"m_bShortCommandSet", true}, {"m_bDisableLedFlash", true},
                           {"m_bHidePrompt", true}, {"m_bHideConnects", true}, {"m_bHideVersionReport", true},
                           {"m_bDisableDataMode", true}, {"m_bDisableUpgrades", true}, {"m_bDisableStatusInfo", true}};
        QTest::newRow("modes and options on, kind kept for .bin")
            << "qhar-set.rom" << "out.bin"
            << QStringList{"--code", "ZZ9", "--input", "iph", "--command-set", "ecs", "--led-flash", "on", "--prompt",
                           "show", "--connects", "show", "--version-report", "show", "--data-mode", "allow",
                           "--upgrades", "allow", "--status-info", "allow", "--flow", "none", "--parity", "none"}
            << QByteArray() << "ZZ9"
            << QVariantMap{{"m_bAsciiInput", false}, {"m_bShortCommandSet", false}, {"m_bDisableLedFlash", false},
                           {"m_bHidePrompt", false}, {"m_bHideConnects", false}, {"m_bHideVersionReport", false},
                           {"m_bDisableDataMode", false}, {"m_bDisableUpgrades", false}, {"m_bDisableStatusInfo", false},
                           {"m_nFlowControl", 0}, {"m_nParity", 0}};
        QTest::newRow("USB identity, upgrade file to ROM")
            << "qsol.quf" << "out.rom"
            << QStringList{"--code", "USB", "--vid", "0x1234", "--pid", "aBcD", "--manufacturer", "Acme Ltd", "--product", "Gizmo 2"}
            << QByteArray() << "USB"
            << QVariantMap{{"m_nVendorId", 0x1234}, {"m_nProductId", 0xABCD}, {"m_strManufacturer", "Acme Ltd"}, {"m_strProduct", "Gizmo 2"}};
        QTest::newRow("USB strings emptied, Latin-1 kept")
            << "qsol.quf" << "out.quf"
            << QStringList{"--code", "E00", "--manufacturer", "", "--product", QStringLiteral("Caf\u00e9")}
            << QByteArray() << "E00"
            << QVariantMap{{"m_strManufacturer", ""}, {"m_strProduct", QStringLiteral("Caf\u00e9")}};
        QTest::newRow("prefix in capitals, BLD to ROM")
            << "qwex.bld" << "out.rom" << QStringList{"--code", "abc", "--dir-prefix", "ab12"} << QByteArray() << "ABC"
            << QVariantMap{{"m_strDirPrefix", "AB12"}};
        QTest::newRow("BLD to upgrade file, extension in capitals")
            << "qj4j.bld" << "OUT.QUF" << QStringList{"--code", "x9z"} << QByteArray() << "X9Z" << QVariantMap{};
        QTest::newRow("BLD stays BLD") << "qhar.bld" << "out.img" << QStringList{"--code", "BLD"} << QByteArray() << "BLD" << QVariantMap{};
        QTest::newRow("earlier code replaced") << "qhar-coded.rom" << "out.rom" << QStringList{"--code", "NEW"} << QByteArray() << "NEW" << QVariantMap{};
        QTest::newRow("unknown flow control kept")
            << "qwex-flow8.rom" << "out.rom" << QStringList{"--code", "FLO"} << QByteArray() << "FLO" << QVariantMap{};
        QTest::newRow("profile")
            << "qsol.quf" << "out.rom" << QStringList{"--code", "PRF"}
            << QByteArray(R"({"baudRate": 19200, "prompt": false, "flowControl": "dtr-dsr", "statusInfo": false,
                             "usb": {"vendorId": 4660, "product": "From Profile"}})")
            << "PRF"
            << QVariantMap{{"m_nBaudRate", 19200}, {"m_bHidePrompt", true}, {"m_nFlowControl", 2},
                           {"m_bDisableStatusInfo", true}, {"m_nVendorId", 4660}, {"m_strProduct", "From Profile"}};
        QTest::newRow("options win over the profile")
            << "qsol.quf" << "out.quf" << QStringList{"--baud", "38400", "--code", "WIN", "--product", "Option"}
            << QByteArray(R"({"baudRate": 19200, "ledFlash": false, "usb": {"product": "Profile"}})") << "WIN"
            << QVariantMap{{"m_nBaudRate", 38400}, {"m_bDisableLedFlash", true}, {"m_strProduct", "Option"}};
        QTest::newRow("profile facts ignored")
            << "qhar.rom" << "out.rom" << QStringList{"--code", "FAC"}
            << QByteArray(R"({"schema": 1, "fileKind": "QUF", "codeType": 1, "firmwareType": "QSOL",
                             "version": "99.99QSOLF", "versionNumber": 9999, "dataBits": 7})")
            << "FAC" << QVariantMap{{"m_nDataBits", 7}};
    }
    // clang-format on

    void writeMatchesWizard()
    {
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(QStringList, options);
        QFETCH(QByteArray, profile);
        QFETCH(QString, code);
        QFETCH(QVariantMap, members);
        PrepareFixtures({source});
        QStringList args{"write", source, target};
        args += options;
        if (!profile.isEmpty()) {
            QVERIFY(ImageBuilder::WriteFile(Path("profile.json"), profile));
            args += {"--settings", "profile.json"};
        }

        const CliRun run = Run(args);
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 0);
        const QByteArray written = ImageBuilder::ReadFile(Path(target));
        QVERIFY(!written.isEmpty());
        QVERIFY(written != Fixture(source));

        QString finishText;
        const QByteArray wizard = WalkLikeWizard(source, "wizard-" + target, members, code, finishText);
        QVERIFY(!wizard.isEmpty());
        QCOMPARE(written.size(), wizard.size());
        QVERIFY2(written == wizard, "brindle-cli and the wizard's path wrote different bytes");
        QCOMPARE(run.out, finishText.replace("wizard-" + target, target));
    }

    // A flow byte the monitor does not know is kept unless a flow control is chosen, as in the
    // wizard (a change from Part 1.4, where it was written as none).
    void writeKeepsUnknownFlow_data()
    {
        QTest::addColumn<quint8>("byte");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("profile");
        QTest::addColumn<quint8>("written");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("0x08 kept") << quint8(0x08) << QStringList{} << QByteArray() << quint8(0x08) << 0;
        QTest::newRow("0x03 kept") << quint8(0x03) << QStringList{} << QByteArray() << quint8(0x03) << 0;
        QTest::newRow("0xff kept") << quint8(0xFF) << QStringList{} << QByteArray() << quint8(0xFF) << 0;
        QTest::newRow("other settings changed")
            << quint8(0x03) << QStringList{"--baud", "57600", "--parity", "odd"} << QByteArray() << quint8(0x03) << 0;
        QTest::newRow("--flow none chosen")
            << quint8(0x03) << QStringList{"--flow", "none"} << QByteArray() << quint8(0x00) << 0;
        QTest::newRow("--flow cts-rts chosen")
            << quint8(0x03) << QStringList{"--flow", "cts-rts"} << QByteArray() << quint8(0x01) << 0;
        QTest::newRow("profile's unknown keeps it")
            << quint8(0x03) << QStringList{} << QByteArray(R"({"flowControl": "unknown"})") << quint8(0x03) << 0;
        QTest::newRow("profile's xon-xoff chosen")
            << quint8(0x03) << QStringList{} << QByteArray(R"({"flowControl": "xon-xoff"})") << quint8(0x04) << 0;
        // "unknown" keeps a byte; it cannot make a known one unknown.
        QTest::newRow("profile's unknown on a known byte")
            << quint8(0x01) << QStringList{} << QByteArray(R"({"flowControl": "unknown"})") << quint8(0x01) << 2;
    }

    void writeKeepsUnknownFlow()
    {
        QFETCH(quint8, byte);
        QFETCH(QStringList, options);
        QFETCH(QByteArray, profile);
        QFETCH(quint8, written);
        QFETCH(int, exitCode);
        QVERIFY(ImageBuilder::WriteFile(Path("flow.rom"), ImageBuilder(ImageBuilder::Rom).setFlow(byte).build()));
        QStringList args{"write", "flow.rom", "out.rom", "--code", "ABC"};
        args += options;
        if (!profile.isEmpty()) {
            QVERIFY(ImageBuilder::WriteFile(Path("p.json"), profile));
            args += {"--settings", "p.json"};
        }
        const CliRun run = Run(args);
        QCOMPARE(run.exitCode, exitCode);
        if (exitCode != 0) {
            QCOMPARE(run.err, QStringLiteral("brindle-cli write: p.json: flowControl: \"unknown\" only keeps a value "
                                             "the file holds; use one of none, cts-rts, dtr-dsr, xon-xoff\n"));
            QVERIFY(!QFile::exists(Path("out.rom")));
            return;
        }
        const QByteArray bytes = ImageBuilder::ReadFile(Path("out.rom"));
        QCOMPARE(bytes.size(), kRomLength);
        QCOMPARE(quint8(bytes.at(kFlowControl)), written);
        QCOMPARE(bytes.mid(kVersionText, 14), QByteArray("03.64-ABCQHARF"));
    }

    // clang-format off
    void writeOverwrite_data()
    {
        QTest::addColumn<bool>("force");
        QTest::addColumn<bool>("dryRun");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("refused without --force") << false << false << 1;
        QTest::newRow("replaced with --force") << true << false << 0;
        QTest::newRow("dry run refused like the real run") << false << true << 1;
        QTest::newRow("dry run with --force leaves it") << true << true << 0;
    }
    // clang-format on

    void writeOverwrite()
    {
        QFETCH(bool, force);
        QFETCH(bool, dryRun);
        QFETCH(int, exitCode);
        PrepareFixtures({"qhar.rom"});
        // Longer than any image: a replaced file must hold exactly the new bytes.
        const QByteArray old(kUpgradeLength + 100, 'x');
        QVERIFY(ImageBuilder::WriteFile(Path("out.rom"), old));
        QStringList args{"write", "qhar.rom", "out.rom", "--code", "OVR"};
        if (force)
            args << "--force";
        if (dryRun)
            args << "--dry-run";
        const CliRun run = Run(args);
        QCOMPARE(run.exitCode, exitCode);
        const QByteArray now = ImageBuilder::ReadFile(Path("out.rom"));
        if (force && !dryRun) {
            QCOMPARE(run.err, QString());
            QCOMPARE(now.size(), kRomLength);
            QCOMPARE(now.mid(kVersionText, 14), QByteArray("03.64-OVRQHARF"));
        } else {
            QCOMPARE(now, old);
        }
        if (!force)
            QCOMPARE(run.err, QStringLiteral("File Exists: out.rom exists; use --force to replace it\n"));
    }

    void dryRun()
    {
        PrepareFixtures({"qwex-flow8.rom"});
        const QStringList before = Files();
        const CliRun run = Run({"write", "qwex-flow8.rom", "out.quf", "--code", "abc", "--baud", "115200",
                                "--dir-prefix", "wxyz", "--prompt", "hide", "--data-bits", "8", "--dry-run"});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out,
                 QStringLiteral(
                     "Summary of Firmware Customisations\n\n"
                     "Firmware Version: 03.64-ABC\n\n"
                     "Firmware Type: QWEX\n\n"
                     "Default Monitor Settings: 115200 baud, 8 bits, 1 stop bit, no parity, unknown flow control\n\n"
                     "Initial Mode: ECS, IPH, LED Flash at Power-on\n\n"
                     "Options: Allow Firmware Upgrades, Allow Data Mode, Allow Sonette Status Information,\n"
                     "No Prompt, Show Device Connects/Removals, Show Version Report at Startup.\n\n"
                     "Target Directory Prefix: WXYZ\n\n"
                     "fileKind: ROM -> QUF\n"
                     "version: \"03.64QWEXF\" -> \"03.64-ABCQWEXF\"\n"
                     "baudRate: 9600 -> 115200\n"
                     "prompt: show -> hide\n"
                     "dirPrefix: \"SNAP\" -> \"WXYZ\"\n"));
        QCOMPARE(Files(), before);
    }

    // The production-line recipe: a golden image's settings exported and applied elsewhere.
    void profileRoundTrip()
    {
        PrepareFixtures({"qsol.quf", "qsol2.rom"});
        CliRun run = Run({"write",   "qsol.quf",  "golden.quf", "--code",      "GLD",  "--baud",
                          "57600",   "--vid",     "1234",       "--pid",       "5678", "--manufacturer",
                          "Acme",    "--product", "Gizmo",      "--led-flash", "off",  "--status-info",
                          "disable", "--flow",    "xon-xoff"});
        QCOMPARE(run.exitCode, 0);
        run = Run({"info", "golden.quf", "--json"});
        QCOMPARE(run.exitCode, 0);
        // The profile as saved here, and with the other platform's line ends: both read back alike.
        QByteArray lf = run.rawOut;
        lf.replace("\r\n", "\n");
        QByteArray crlf = lf;
        crlf.replace("\n", "\r\n");
        QVERIFY(ImageBuilder::WriteFile(Path("golden.json"), run.rawOut));
        QVERIFY(ImageBuilder::WriteFile(Path("golden-lf.json"), lf));
        QVERIFY(ImageBuilder::WriteFile(Path("golden-crlf.json"), crlf));

        run = Run({"write", "qsol2.rom", "line.rom", "--code", "L01", "--settings", "golden.json"});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 0);
        for (const char *other : {"golden-lf.json", "golden-crlf.json"}) {
            const QString target = QString::fromLatin1(other).replace("golden", "line").replace(".json", ".rom");
            run = Run({"write", "qsol2.rom", target, "--code", "L01", "--settings", other});
            QCOMPARE(run.err, QString());
            QCOMPARE(run.exitCode, 0);
            QCOMPARE(ImageBuilder::ReadFile(Path(target)), ImageBuilder::ReadFile(Path("line.rom")));
        }

        // Everything but the version text follows the golden image. The third USB string is the
        // file's own, as in the wizard, which has no page for it; here both files carry "SN1".
        run = Run({"diff", "golden.quf", "line.rom"});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 1);
        const int compared = kRomLength - (kDirPrefix - kVersionText) - (kStringAreaEnd - kStringArea) - 1 - 4;
        QCOMPARE(run.out, QStringLiteral("version: \"03.64-GLDQSOLF\" -> \"03.60-L01QSOLF\"\n"
                                         "Image bytes outside the settings that differ: 0 of %1\n")
                              .arg(compared));
    }

    // clang-format off
    void diff_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");

        constexpr int kParamBytes = kDirPrefix - kVersionText;
        const QString bytes = QStringLiteral("Image bytes outside the settings that differ: %1 of %2\n");
        QTest::newRow("same file") << "qhar.rom" << "qhar.rom" << 0 << bytes.arg(0).arg(kRomLength - kParamBytes);
        QTest::newRow("ROM image and upgrade file of one image")
            << "qhar.rom" << "qhar.quf" << 0 << bytes.arg(0).arg(kRomLength - kParamBytes);
        QTest::newRow("BLD against ROM: first 60 KiB only")
            << "qhar.bld" << "qhar-tail.rom" << 0 << bytes.arg(0).arg(kBldLength - kParamBytes);
        QTest::newRow("one firmware byte")
            << "qhar.rom" << "qhar-onebyte.rom" << 1 << bytes.arg(1).arg(kRomLength - kParamBytes);
        QTest::newRow("settings")
            << "qhar.rom" << "qhar-set.rom" << 1
            << "baudRate: 9600 -> 115200\ndataBits: 8 -> 7\nstopBits: 1 -> 2\nparity: none -> odd\n"
               "flowControl: none -> xon-xoff\ninputMode: iph -> ipa\ncommandSet: ecs -> scs\nledFlash: on -> off\n"
               "prompt: show -> hide\ndeviceConnects: show -> hide\nversionReport: show -> hide\n"
               "dataMode: allow -> disable\nupgrades: allow -> disable\nstatusInfo: allow -> disable\n"
                + bytes.arg(0).arg(kRomLength - kParamBytes);
        QTest::newRow("firmware types")
            << "qj4j.bld" << "qsol.quf" << 1
            << "firmwareType: QJ4J -> QSOL\nversion: \"03.64QJ4JF\" -> \"03.64QSOLF\"\n"
               "dirPrefix: \"J4J0\" -> (none)\n"
               "usb.vendorId: (none) -> 0x2b3f\nusb.productId: (none) -> 0x5c10\n"
               "usb.manufacturer: (none) -> \"Norvale\"\nusb.product: (none) -> \"Widget\"\n"
               "usb.string3: (none) -> \"SN1\"\n"
                + bytes.arg(0).arg(kBldLength - kParamBytes - kDirPrefixSize - (kStringAreaEnd - kStringArea) - 1 - 4);
    }
    // clang-format on

    void diff()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        PrepareFixtures({a, b});
        const CliRun run = Run({"diff", a, b});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.out, out);
        QCOMPARE(run.exitCode, exitCode);
    }

    void diffJson()
    {
        PrepareFixtures({"qhar.rom", "qhar-onebyte.rom", "qsol.quf"});
        CliRun run = Run({"diff", "qhar-onebyte.rom", "qsol.quf", "--json"});
        QCOMPARE(run.exitCode, 1);
        QJsonObject object = QJsonDocument::fromJson(run.out.toUtf8()).object();
        QCOMPARE(object.value("schema").toInt(), 1);
        QCOMPARE(object.value("differingBytes").toInt(), 1);
        const QJsonArray differences = object.value("differences").toArray();
        QCOMPARE(differences.size(), 7);
        QCOMPARE(differences.at(0).toObject().toVariantMap(),
                 (QVariantMap{{"name", "firmwareType"}, {"a", "QHAR"}, {"b", "QSOL"}}));
        QCOMPARE(differences.at(2).toObject().toVariantMap(),
                 (QVariantMap{{"name", "usb.vendorId"}, {"a", QVariant::fromValue(nullptr)}, {"b", 0x2B3F}}));

        run = Run({"diff", "qhar.rom", "qhar.rom", "--json"});
        QCOMPARE(run.exitCode, 0);
        object = QJsonDocument::fromJson(run.out.toUtf8()).object();
        QVERIFY(object.value("differences").toArray().isEmpty());
        QCOMPARE(object.value("differingBytes").toInt(), 0);
    }

    // clang-format off
    void refusals_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("profile");  // written to p.json when not empty
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("err");  // the first line of standard error

        const QByteArray none;
        // The firmware core's refusals, with the wizard's caption and text.
        QTest::newRow("info: missing file") << QStringList{"info", "missing.rom"} << none << 1
                                            << "Could not open source file: missing.rom was not found.";
        QTest::newRow("info: wrong length") << QStringList{"info", "short.rom"} << none << 1
                                            << "File Format Error: File not recognised as Norvale Firmware";
        QTest::newRow("info: no signature") << QStringList{"info", "nosig.rom"} << none << 1
                                            << "Firmware Format Error: File format not supported";
        QTest::newRow("info: old version") << QStringList{"info", "old.rom", "--json"} << none << 1
                                           << "Firmware Version Error: Firmware version 03.54QHARF not supported";
        QTest::newRow("info: parameters version") << QStringList{"info", "params.rom"} << none << 1
                                                  << "File Format Error: Parameters version 0x2 not supported";
        QTest::newRow("write: old version") << QStringList{"write", "old.rom", "out.rom", "--code", "ABC"} << none << 1
                                            << "Firmware Version Error: Firmware version 03.54QHARF not supported";
        QTest::newRow("write: merged version longer than 16")
            << QStringList{"write", "qlyt1-long.rom", "out.rom", "--code", "XYZ"} << none << 1
            << "File Format Error: Firmware version 03.64ABCDE-XYZQLYT1F too long: at most 16 characters fit";
        QTest::newRow("write: destination folder missing")
            << QStringList{"write", "qhar.rom", "nowhere/out.rom", "--code", "ABC"} << none << 1
            << "Could not open destination file: nowhere/out.rom was not found.";
        QTest::newRow("diff: missing file") << QStringList{"diff", "qhar.rom", "missing.rom"} << none << 2
                                            << "Could not open source file: missing.rom was not found.";
        QTest::newRow("diff: refused file") << QStringList{"diff", "params.rom", "qhar.rom"} << none << 2
                                            << "File Format Error: Parameters version 0x2 not supported";

        // Settings that do not fit the file.
        QTest::newRow("--vid on QHAR") << QStringList{"write", "qhar.rom", "out.rom", "--code", "ABC", "--vid", "1"} << none << 2
                                       << "brindle-cli write: --vid: applies only to QSOL firmware, not to QHAR";
        QTest::newRow("--dir-prefix on QSOL")
            << QStringList{"write", "qsol.quf", "out.rom", "--code", "ABC", "--dir-prefix", "ABCD"} << none << 2
            << "brindle-cli write: --dir-prefix: applies only to QWEX and QJ4J firmware, not to QSOL";
        QTest::newRow("--product without string descriptors")
            << QStringList{"write", "qsol-nostrings.rom", "out.rom", "--code", "ABC", "--product", "X"} << none << 2
            << "brindle-cli write: --product: this image has no USB string descriptors to hold it";
        QTest::newRow("--pid without device descriptor")
            << QStringList{"write", "qsol-shortdesc.rom", "out.rom", "--code", "ABC", "--pid", "1"} << none << 2
            << "brindle-cli write: --pid: this image has no USB device descriptor to hold it (length byte 8)";
        QTest::newRow("USB strings too long together")
            << QStringList{"write", "qsol.quf", "out.rom", "--code", "ABC", "--manufacturer", QString(100, 'm'), "--product", QString(21, 'p')}
            << none << 2
            << "brindle-cli write: --manufacturer, --product: the three USB strings would hold 124 characters together; at most 123 fit";

        // Values out of range.
        QTest::newRow("--baud not in the list")
            << QStringList{"write", "qhar.rom", "out.rom", "--code", "ABC", "--baud", "14400"} << none << 2
            << "brindle-cli write: --baud: 14400 is not one of 300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, "
               "115200, 230400, 460800, 921600, 1000000, 1500000, 2000000, 3000000";
        QTest::newRow("--baud not a number")
            << QStringList{"write", "qhar.rom", "out.rom", "--code", "ABC", "--baud", "fast"} << none << 2
            << "brindle-cli write: --baud: \"fast\" is not a number; use one of 300, 600, 1200, 2400, 4800, 9600, "
               "19200, 38400, 57600, 115200, 230400, 460800, 921600, 1000000, 1500000, 2000000, 3000000";
        QTest::newRow("--data-bits 9") << QStringList{"write", "qhar.rom", "out.rom", "--code", "ABC", "--data-bits", "9"} << none << 2
                                       << "brindle-cli write: --data-bits: 9 is not one of 7, 8";
        QTest::newRow("--stop-bits 0") << QStringList{"write", "qhar.rom", "out.rom", "--code", "ABC", "--stop-bits", "0"} << none << 2
                                       << "brindle-cli write: --stop-bits: 0 is not one of 1, 2";
        QTest::newRow("--parity mark") << QStringList{"write", "qhar.rom", "out.rom", "--code", "ABC", "--parity", "mark"} << none << 2
                                       << "brindle-cli write: --parity: \"mark\" is not one of none, odd, even";
        QTest::newRow("--flow unknown") << QStringList{"write", "qhar.rom", "out.rom", "--code", "ABC", "--flow", "unknown"} << none << 2
                                        << "brindle-cli write: --flow: \"unknown\" is not one of none, cts-rts, dtr-dsr, xon-xoff";
        QTest::newRow("--led-flash yes") << QStringList{"write", "qhar.rom", "out.rom", "--code", "ABC", "--led-flash", "yes"} << none << 2
                                         << "brindle-cli write: --led-flash: \"yes\" is not one of on, off";
        QTest::newRow("--vid five digits")
            << QStringList{"write", "qsol.quf", "out.rom", "--code", "ABC", "--vid", "12345"} << none << 2
            << "brindle-cli write: --vid: \"12345\" is not a hexadecimal number from 0 to ffff";
        QTest::newRow("--pid not hexadecimal")
            << QStringList{"write", "qsol.quf", "out.rom", "--code", "ABC", "--pid", "0xG1"} << none << 2
            << "brindle-cli write: --pid: \"0xG1\" is not a hexadecimal number from 0 to ffff";
        QTest::newRow("--manufacturer beyond Latin-1")
            << QStringList{"write", "qsol.quf", "out.rom", "--code", "ABC", "--manufacturer", QStringLiteral("\u20acuro")} << none << 2
            << QStringLiteral("brindle-cli write: --manufacturer: the character \u20ac (U+20ac) cannot be stored: the firmware "
                              "keeps one byte per character (Latin-1)");
        QTest::newRow("--dir-prefix too short")
            << QStringList{"write", "qwex.bld", "out.rom", "--code", "ABC", "--dir-prefix", "AB1"} << none << 2
            << "brindle-cli write: --dir-prefix: \"AB1\" must be exactly 4 letters or digits";
        QTest::newRow("--code missing") << QStringList{"write", "qhar.rom", "out.rom"} << none << 2
                                        << "brindle-cli write: --code is required: exactly 3 letters or digits";
        QTest::newRow("--code too long") << QStringList{"write", "qhar.rom", "out.rom", "--code", "ABCD"} << none << 2
                                         << "brindle-cli write: --code: \"ABCD\" must be exactly 3 letters or digits";
        QTest::newRow("--code with a dash") << QStringList{"write", "qhar.rom", "out.rom", "--code", "A-C"} << none << 2
                                            << "brindle-cli write: --code: \"A-C\" must be exactly 3 letters or digits";

        // The command line itself.
        QTest::newRow("unknown option") << QStringList{"write", "qhar.rom", "out.rom", "--code", "ABC", "--bogus"} << none << 2
                                        << "brindle-cli write: Unknown option 'bogus'.";
        QTest::newRow("missing target") << QStringList{"write", "qhar.rom", "--code", "ABC"} << none << 2
                                        << "brindle-cli write: missing arguments";
        QTest::newRow("extra argument") << QStringList{"info", "qhar.rom", "more"} << none << 2
                                        << "brindle-cli info: unexpected argument 'more'";
        QTest::newRow("unknown command") << QStringList{"frob"} << none << 2
                                         << "brindle-cli: unknown command 'frob': use info, write or diff";
        QTest::newRow("no command") << QStringList{} << none << 2 << "brindle-cli: no command given: use info, write or diff";
        QTest::newRow("diff: unknown option") << QStringList{"diff", "qhar.rom", "qhar.rom", "--force"} << none << 2
                                              << "brindle-cli diff: Unknown option 'force'.";

        // Profiles.
        const QStringList withProfile{"write", "qhar.rom", "out.rom", "--code", "ABC", "--settings", "p.json"};
        // The reason is the system's own wording ("No such file or directory" on Linux).
        QFile missing(QStringLiteral("brindle-no-such-profile.json"));
        QVERIFY(!missing.open(QIODevice::ReadOnly));
        QTest::newRow("profile missing")
            << QStringList{"write", "qhar.rom", "out.rom", "--code", "ABC", "--settings", "none.json"} << none << 2
            << "brindle-cli write: none.json: cannot read the profile: " + missing.errorString();
        QTest::newRow("profile malformed") << withProfile << QByteArray("{\n  \"baudRate\": 9600\n  \"parity\": \"odd\"\n}") << 2
                                           << "brindle-cli write: p.json: line 3, column 4: malformed JSON: unterminated object";
        QTest::newRow("profile not an object") << withProfile << QByteArray("[1, 2]") << 2
                                               << "brindle-cli write: p.json: a profile is one JSON object, as info --json prints it";
        QTest::newRow("profile unknown key") << withProfile << QByteArray("{\"speed\": 9600}") << 2
                                             << "brindle-cli write: p.json: speed: unknown key";
        QTest::newRow("profile number as text") << withProfile << QByteArray("{\"baudRate\": \"9600\"}") << 2
                                                << "brindle-cli write: p.json: baudRate: expected a number, found a string";
        QTest::newRow("profile flag as word") << withProfile << QByteArray("{\"prompt\": \"show\"}") << 2
                                              << "brindle-cli write: p.json: prompt: expected true or false, found a string";
        QTest::newRow("profile fraction") << withProfile << QByteArray("{\"dataBits\": 7.5}") << 2
                                          << "brindle-cli write: p.json: dataBits: 7.5 is not a whole number";
        QTest::newRow("profile usb not an object") << withProfile << QByteArray("{\"usb\": 1}") << 2
                                                   << "brindle-cli write: p.json: usb: expected an object, found a number";
        QTest::newRow("profile fact of the wrong type") << withProfile << QByteArray("{\"version\": 364}") << 2
                                                        << "brindle-cli write: p.json: version: expected a string, found a number";
        QTest::newRow("profile schema 2") << withProfile << QByteArray("{\"schema\": 2}") << 2
                                          << "brindle-cli write: p.json: schema: schema 2 is not supported (only 1)";
        QTest::newRow("profile USB on QHAR") << withProfile << QByteArray("{\"usb\": {\"vendorId\": 1}}") << 2
                                             << "brindle-cli write: p.json: usb.vendorId: applies only to QSOL firmware, not to QHAR";
        QTest::newRow("profile vendor ID out of range")
            << QStringList{"write", "qsol.quf", "out.rom", "--code", "ABC", "--settings", "p.json"}
            << QByteArray("{\"usb\": {\"vendorId\": 65536}}") << 2
            << "brindle-cli write: p.json: usb.vendorId: 65536 is outside 0 to 65535";
        QTest::newRow("profile prefix too long")
            << QStringList{"write", "qwex.bld", "out.rom", "--code", "ABC", "--settings", "p.json"}
            << QByteArray("{\"dirPrefix\": \"ABCDE\"}") << 2
            << "brindle-cli write: p.json: dirPrefix: \"ABCDE\" must be exactly 4 letters or digits";
    }
    // clang-format on

    void refusals()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, profile);
        QFETCH(int, exitCode);
        QFETCH(QString, err);
        PrepareFixtures(args);
        if (!profile.isEmpty())
            QVERIFY(ImageBuilder::WriteFile(Path("p.json"), profile));
        const QStringList before = Entries(m_dir->path());

        const CliRun run = Run(args);
        QVERIFY_CLI_REFUSED(run, run.err.section('\n', 0, 0), err, exitCode, before);  // nothing written
    }

    // clang-format off
    void helpAndVersion_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("mentions");

        QTest::newRow("--version") << QStringList{"--version"} << QStringList{"brindle-cli " BRINDLE_VERSION_STRING "\n"};
        QTest::newRow("--help") << QStringList{"--help"} << QStringList{"info FILE", "write SOURCE TARGET", "diff A B"};
        QTest::newRow("info --help") << QStringList{"info", "--help"} << QStringList{"--json", "file"};
        QTest::newRow("diff --help") << QStringList{"diff", "-h"} << QStringList{"--json", "Exit code 0"};
        QTest::newRow("write --help")
            << QStringList{"write", "--help"}
            << QStringList{"--code <XYZ>", "--settings <profile.json>", "--force", "--dry-run", "--baud <rate>",
                           "--data-bits <7|8>", "--stop-bits <1|2>", "--parity <none|odd|even>",
                           "--flow <none|cts-rts|dtr-dsr|xon-xoff>", "--input <ipa|iph>", "--command-set <ecs|scs>",
                           "--led-flash <on|off>", "--prompt <show|hide>", "--connects <show|hide>",
                           "--version-report <show|hide>", "--data-mode <allow|disable>", "--upgrades <allow|disable>",
                           "--status-info <allow|disable>", "--vid <hex>", "--pid <hex>", "--manufacturer <text>",
                           "--product <text>", "--dir-prefix <XXXX>"};
    }
    // clang-format on

    void helpAndVersion()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, mentions);
        const CliRun run = Run(args);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QString());
        for (const QString &m : mentions)
            QVERIFY2(run.out.contains(m), qPrintable(m + "\n--- not in ---\n" + run.out));
    }
};

// ---- files that are not plain files ---------------------------------------------------

// clang-format off
void TestCli::notRegularFiles_data()
{
    QTest::addColumn<QStringList>("args");  // "@" stands for the special file
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("err");       // %1 is the special file's path

    const QString sourceFolder = QStringLiteral("Could not open source file: %1 is a folder, not a firmware file.");
    const QString sourceSpecial = QStringLiteral("Could not open source file: %1 is not a regular file.");
    const QString targetFolder = QStringLiteral("Could not open destination file: %1 is a folder, not a firmware file.");
    const QString targetSpecial = QStringLiteral("Could not open destination file: %1 is not a regular file.");
    QTest::newRow("info: folder") << QStringList{"info", "@"} << "folder" << 1 << sourceFolder;
#ifdef BRINDLE_HAVE_SPECIAL_FILES
    QTest::newRow("info: named pipe") << QStringList{"info", "@"} << "fifo" << 1 << sourceSpecial;
    QTest::newRow("info --json: link to a named pipe") << QStringList{"info", "@", "--json"} << "link to fifo" << 1 << sourceSpecial;
    QTest::newRow("info: socket") << QStringList{"info", "@"} << "socket" << 1 << sourceSpecial;
    QTest::newRow("info: null device") << QStringList{"info", "@"} << "device" << 1 << sourceSpecial;
    QTest::newRow("write: named pipe as source") << QStringList{"write", "@", "out.rom", "--code", "ABC"} << "fifo" << 1
                                                 << sourceSpecial;
    QTest::newRow("write --settings: named pipe as source")
        << QStringList{"write", "@", "out.rom", "--code", "ABC", "--settings", "p.json"} << "fifo" << 1 << sourceSpecial;
    QTest::newRow("diff: named pipe") << QStringList{"diff", "qhar.rom", "@"} << "fifo" << 2 << sourceSpecial;
    for (const char *force : {"", "--force", "--dry-run"}) {
        QStringList write{"write", "qhar.rom", "@", "--code", "ABC"};
        if (*force)
            write << force;
        QTest::addRow("write %s: named pipe as target", force) << write << "fifo" << 1 << targetSpecial;
        QTest::addRow("write %s: link to a named pipe as target", force) << write << "link to fifo" << 1 << targetSpecial;
        QTest::addRow("write %s: null device as target", force) << write << "device" << 1 << targetSpecial;
        QTest::addRow("write %s: socket as target", force) << write << "socket" << 1 << targetSpecial;
        QTest::addRow("write %s: folder as target", force) << write << "folder" << 1 << targetFolder;
    }
#endif
}
// clang-format on

// Refused with a message that names the path, before anything is opened: a pipe would keep
// the program waiting for ever, and a device or pipe given as the target must stay one.
void TestCli::notRegularFiles()
{
    QFETCH(QStringList, args);
    QFETCH(QString, kind);
    QFETCH(int, exitCode);
    QFETCH(QString, err);
    PrepareFixtures(args);
    QVERIFY(ImageBuilder::WriteFile(Path("p.json"), "{}"));
    const QString special = SpecialFiles::Make(kind, m_dir->path());
    QVERIFY2(!special.isEmpty(), qPrintable(kind));
    args.replaceInStrings(QRegularExpression(QStringLiteral("^@$")), special);
#ifdef BRINDLE_HAVE_SPECIAL_FILES
    const unsigned typeBefore = SpecialFiles::TypeOf(special);
#endif
    const QStringList before = Entries(m_dir->path());

    const CliRun run = Run(args);  // a run that does not end is killed and fails here
    QVERIFY_CLI_REFUSED(run, run.err, err.arg(special) + QLatin1Char('\n'), exitCode, before);
#ifdef BRINDLE_HAVE_SPECIAL_FILES
    QCOMPARE(SpecialFiles::TypeOf(special), typeBefore);
#endif
}

// ---- the command line's promises ------------------------------------------------------

// Two runs without --force that race for one new name: one writes, the other is refused,
// and the file is whole and exactly one of the two.
void TestCli::concurrentWritesNeverReplace()
{
    PrepareFixtures({"qhar.rom"});
    QCOMPARE(Run({"write", "qhar.rom", "a.rom", "--code", "AAA"}).exitCode, 0);
    QCOMPARE(Run({"write", "qhar.rom", "b.rom", "--code", "BBB"}).exitCode, 0);
    const QByteArray a = ImageBuilder::ReadFile(Path("a.rom"));
    const QByteArray b = ImageBuilder::ReadFile(Path("b.rom"));
    QVERIFY(!a.isEmpty() && !b.isEmpty() && a != b);

    constexpr int kRounds = 30;
    for (int round = 0; round < kRounds; ++round) {
        QProcess first;
        QProcess second;
        for (QProcess *p : {&first, &second}) {
            p->setWorkingDirectory(m_dir->path());
            p->setProgram(QStringLiteral(BRINDLE_CLI_PATH));
        }
        first.setArguments({"write", "qhar.rom", "race.rom", "--code", "AAA"});
        second.setArguments({"write", "qhar.rom", "race.rom", "--code", "BBB"});
        first.start();
        second.start();
        const CliRun runs[] = {Finish(first), Finish(second)};
        const int winners = int(runs[0].exitCode == 0) + int(runs[1].exitCode == 0);
        QVERIFY2(winners == 1, qPrintable(QStringLiteral("round %1: %2 runs succeeded").arg(round).arg(winners)));
        const CliRun &loser = runs[0].exitCode == 0 ? runs[1] : runs[0];
        QCOMPARE(loser.exitCode, 1);
        QCOMPARE(loser.err, QStringLiteral("File Exists: race.rom exists; use --force to replace it\n"));
        QCOMPARE(ImageBuilder::ReadFile(Path("race.rom")), runs[0].exitCode == 0 ? a : b);
        QCOMPARE(Entries(m_dir->path()), (QStringList{"a.rom", "b.rom", "qhar.rom", "race.rom"}));
        QVERIFY(QFile::remove(Path("race.rom")));
    }
}

// clang-format off
void TestCli::dryRunMatchesRun_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("setup");  // what stands at the target before the run
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("err");    // the first line of standard error

    const QStringList code{"--code", "XYZ"};
    QTest::newRow("new file") << "qhar.rom" << "out.rom" << "" << code << 0 << "";
    QTest::newRow("existing file") << "qhar.rom" << "out.rom" << "file" << code << 1
                                   << "File Exists: out.rom exists; use --force to replace it";
    QTest::newRow("existing file, --force") << "qhar.rom" << "out.rom" << "file" << (code + QStringList{"--force"}) << 0 << "";
    QTest::newRow("folder missing") << "qhar.rom" << "nowhere/out.rom" << "" << code << 1
                                    << "Could not open destination file: nowhere/out.rom was not found.";
    QTest::newRow("folder as target") << "qhar.rom" << "out.rom" << "folder" << (code + QStringList{"--force"}) << 1
                                      << "Could not open destination file: out.rom is a folder, not a firmware file.";
#ifndef Q_OS_WIN
    // Windows ignores a folder's read-only attribute.
    QTest::newRow("read-only folder") << "qhar.rom" << "ro/out.rom" << "read-only folder" << code << 1
                                      << "Could not open destination file: Access to ro/out.rom was denied.";
#endif
    QTest::newRow("version text past 16 characters") << "qlyt1-long.rom" << "out.rom" << "" << code << 1
        << "File Format Error: Firmware version 03.64ABCDE-XYZQLYT1F too long: at most 16 characters fit";
    QTest::newRow("USB strings past 123 characters")
        << "qsol.quf" << "out.quf" << "" << (code + QStringList{"--product", QString(124, 'p')}) << 2
        << "brindle-cli write: --product: 124 characters; the three USB strings hold at most 123 together";
    QTest::newRow("USB strings past 123 characters together")
        << "qsol.quf" << "out.quf" << "" << (code + QStringList{"--manufacturer", QString(60, 'm'), "--product", QString(61, 'p')})
        << 2 << "brindle-cli write: --manufacturer, --product: the three USB strings would hold 124 characters together; "
                "at most 123 fit";
#ifdef BRINDLE_HAVE_SPECIAL_FILES
    QTest::newRow("named pipe as target") << "qhar.rom" << "out.rom" << "fifo" << (code + QStringList{"--force"}) << 1
                                          << "Could not open destination file: out.rom is not a regular file.";
#endif
}
// clang-format on

// A dry run makes every check of the real run and ends with its message and exit code;
// only the writing is left out.
void TestCli::dryRunMatchesRun()
{
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(QString, setup);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, err);
    if (setup == QLatin1String("read-only folder") && RecordState::RunningAsRoot())
        QSKIP("Running as root: file permissions do not stop root from writing");

    CliRun runs[2];
    for (const bool dry : {true, false}) {
        const QString folder = Folder(dry ? QStringLiteral("dry") : QStringLiteral("real"), {source});
        QVERIFY(!folder.isEmpty());
        const QString at = QDir(folder).filePath(target);
        if (setup == QLatin1String("file"))
            QVERIFY(ImageBuilder::WriteFile(at, "existing"));
        else if (setup == QLatin1String("folder"))
            QVERIFY(QDir().mkdir(at));
        else if (setup == QLatin1String("read-only folder"))
            QVERIFY(QDir().mkdir(QFileInfo(at).absolutePath())
                    && QFile::setPermissions(QFileInfo(at).absolutePath(), QFile::ReadOwner | QFile::ExeOwner));
#ifdef BRINDLE_HAVE_SPECIAL_FILES
        else if (setup == QLatin1String("fifo"))
            QVERIFY(SpecialFiles::MakeFifo(at));
#endif
        QStringList args{"write", source, target};
        args += options;
        if (dry)
            args << "--dry-run";
        const QStringList before = Entries(folder);
        // Only a regular file is read: opening a pipe here would wait for a writer.
        const auto contents = [&at] { return QFileInfo(at).isFile() ? ImageBuilder::ReadFile(at) : QByteArray(); };
        const QByteArray targetBefore = contents();
        runs[dry ? 0 : 1] = RunIn(folder, args);
        if (setup == QLatin1String("read-only folder"))
            QFile::setPermissions(QFileInfo(at).absolutePath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (dry) {
            QCOMPARE(Entries(folder), before);
            QCOMPARE(contents(), targetBefore);
        }
    }
    const CliRun &dry = runs[0];
    const CliRun &real = runs[1];
    QCOMPARE(dry.exitCode, real.exitCode);
    QCOMPARE(dry.err, real.err);
    QCOMPARE(real.exitCode, exitCode);
    QCOMPARE(real.err.section('\n', 0, 0), err);
    if (exitCode == 0)
        QVERIFY(dry.out.startsWith(QStringLiteral("Summary of Firmware Customisations\n")));
    else
        QCOMPARE(dry.out, QString());
}

// clang-format off
void TestCli::profileOfAnyFileRoundTrips_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("extension");

    using K = ImageBuilder::Kind;
    const QList<QByteArray> types{"QHAR", "QLYT1", "QBEN", "QSOL", "QTIM", "QWEX", "QJ4J"};
    const auto settings = [](ImageBuilder b, const QByteArray &type) {
        b.setInit(0x83).setOption(0xCF).setLine(0x1D).setFlow(0x02).setDivisor(26);
        if (type == "QSOL")
            b.setStrings({"Norvale", "Widget", "SN1"});
        else if (type == "QJ4J")
            b.setDirPrefix("J4J0");
        return b;
    };
    for (const QByteArray &type : types) {
        const QByteArray version = "03.64" + type + "F";
        QTest::addRow("%s ROM", type.constData()) << settings(ImageBuilder(K::Rom, version), type).build() << ".rom";
        QTest::addRow("%s BLD", type.constData()) << settings(ImageBuilder(K::Bld, version), type).build() << ".bld";
        QTest::addRow("%s QUF", type.constData()) << settings(ImageBuilder(K::Upgrade, version), type).build() << ".quf";
        QTest::addRow("%s ROM of 66048 bytes", type.constData())
            << settings(ImageBuilder(K::Rom, version), type).build() + QByteArray(kHeaderSize, '\x11') << ".bin";
    }
    QTest::newRow("QWEX prefix in lower case") << ImageBuilder(K::Rom, "03.64QWEXF").setDirPrefix("sn4p").build() << ".rom";
    QTest::newRow("QJ4J prefix with a zero byte and Latin-1")
        << ImageBuilder(K::Bld, "03.64QJ4JF").setDirPrefix(QByteArray("A\0B\xe9", 4)).build() << ".bld";
    QTest::newRow("QSOL without device descriptor")
        << ImageBuilder(K::Rom, "03.64QSOLF").setDeviceDescriptor(8, 0, 0).setStrings({"A", "B", "C"}).build() << ".rom";
    QTest::newRow("QSOL without string descriptors") << ImageBuilder(K::Upgrade, "03.64QSOLF").build() << ".quf";
    QTest::newRow("QSOL Latin-1 strings")
        << ImageBuilder(K::Rom, "03.64QSOLF").setStrings({"Caf\xe9", "\xa9 Norvale", ""}).build() << ".rom";
    ImageBuilder longStrings(K::Rom, "03.64QSOLF");
    longStrings.setStrings({});
    longStrings.setByte(kFirstString, 250).setByte(kFirstString + 1, kStringDescriptorType);
    for (int pos = kFirstString + 2; pos < kStringAreaEnd; pos += 2)
        longStrings.setByte(pos, quint8('a' + pos % 26)).setByte(pos + 1, 0);
    QTest::newRow("QSOL strings beyond the room of a rewrite") << longStrings.build() << ".rom";
    QTest::newRow("divisor outside the table") << ImageBuilder(K::Rom).setDivisor(5).build() << ".rom";
}
// clang-format on

// The production-line recipe on every kind of file: the profile that info --json prints for a
// file is accepted for that file, and writing with it changes nothing but the version text.
void TestCli::profileOfAnyFileRoundTrips()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, extension);
    const QString x = QStringLiteral("x") + extension;
    const QString y = QStringLiteral("y") + extension;
    QVERIFY(ImageBuilder::WriteFile(Path(x), file));

    CliRun run = Run({"info", x, "--json"});
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    QVERIFY(ImageBuilder::WriteFile(Path("x.json"), run.out.toUtf8()));

    run = Run({"write", x, y, "--settings", "x.json", "--code", "RTP"});
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);

    run = Run({"diff", x, y});
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 1);
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines.at(0).startsWith(QStringLiteral("version: ")), qPrintable(run.out));
    QVERIFY2(lines.at(0).endsWith(QStringLiteral("-RTP") + lines.at(0).section(QLatin1Char('"'), 1, 1).mid(5)
                                  + QLatin1Char('"')),
             qPrintable(run.out));
    QVERIFY2(lines.at(1).startsWith(QStringLiteral("Image bytes outside the settings that differ: 0 of ")),
             qPrintable(run.out));
}

// clang-format off
void TestCli::outputFailures_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("command");
    QTest::newRow("info") << QStringList{"info", "qhar.rom"} << "info";
    QTest::newRow("info --json") << QStringList{"info", "qhar.rom", "--json"} << "info";
    QTest::newRow("diff") << QStringList{"diff", "qhar.rom", "qhar-set.rom"} << "diff";
    QTest::newRow("diff --json") << QStringList{"diff", "qhar.rom", "qhar.rom", "--json"} << "diff";
    QTest::newRow("write") << QStringList{"write", "qhar.rom", "out.rom", "--code", "ABC"} << "write";
    QTest::newRow("write --dry-run") << QStringList{"write", "qhar.rom", "out.rom", "--code", "ABC", "--dry-run"} << "write";
}
// clang-format on

// Output that cannot be written is an error: a script must not take nothing for a result.
void TestCli::outputFailures()
{
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        QSKIP("No /dev/full on this system");
    QFETCH(QStringList, args);
    QFETCH(QString, command);
    PrepareFixtures(args);
    const CliRun run =
        RunIn(m_dir->path(), args, [](QProcess &p) { p.setStandardOutputFile(QStringLiteral("/dev/full")); });
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.err, QStringLiteral("brindle-cli %1: cannot write to standard output: %2\n")
                          .arg(command, QString::fromLocal8Bit(std::strerror(ENOSPC))));
}

// Over a file-size limit the write fails like a full disk, with the message and exit code of
// a refusal, instead of the program being ended by the system's signal.
void TestCli::fileSizeLimit()
{
#ifndef BRINDLE_HAVE_RLIMIT
    QSKIP("No file-size limit on this platform");
#else
    PrepareFixtures({"qhar.rom"});
    const QStringList before = Entries(m_dir->path());
    const CliRun run = RunIn(m_dir->path(), {"write", "qhar.rom", "out.rom", "--code", "ABC"}, [](QProcess &p) {
        p.setChildProcessModifier([] {
            rlimit limit{};
            ::getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = 4096;
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
    });
    QVERIFY_CLI_REFUSED(run, run.err,
                        QStringLiteral("Could not write destination file: Disk full while accessing out.rom.\n"), 1,
                        before);
#endif
}

// A name whose bytes are not text in the locale's encoding would be written under another
// name; it is refused instead.
void TestCli::unencodableName()
{
#ifndef BRINDLE_HAVE_SPECIAL_FILES
    QSKIP("Arguments are text on this platform");
#else
    PrepareFixtures({"qhar.rom"});
    const QStringList before = Entries(m_dir->path());
    const QString script = QStringLiteral("exec \"$0\" write qhar.rom \"$(printf 'caf\\351.rom')\" --code ABC");
    const CliRun run = RunIn(m_dir->path(), {}, [&script](QProcess &p) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        p.setProcessEnvironment(env);
        p.setProgram(QStringLiteral("/bin/sh"));
        p.setArguments({QStringLiteral("-c"), script, QStringLiteral(BRINDLE_CLI_PATH)});
    });
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.startsWith(QStringLiteral("Could not open destination file: caf")), qPrintable(run.err));
    QVERIFY2(run.err.endsWith(QStringLiteral(".rom has characters that this system cannot use in a file name.\n")),
             qPrintable(run.err));
    QCOMPARE(Entries(m_dir->path()), before);
#endif
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
