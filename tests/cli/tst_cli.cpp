// brindle-cli's command line, run in-process through Cli::Run with its standard streams in
// buffers: each command, each refusal with its message and exit code, profiles and dry runs, and
// that `write` produces the bytes that the firmware core produces when it is driven the way the
// wizard drives it. What only the real program shows runs it as a process (BRINDLE_CLI_PATH):
// its exit codes and bytes on its real standard streams, standard input, output that cannot be
// written, a file-size limit's signal, argument bytes that are not text, and two programs racing.

// Std
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <thread>
#if defined(__unix__) || defined(__APPLE__)
#include <cstdlib>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
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
#include "cli/clicommands.h"
#include "cli/console.h"
#include "common/imagebuilder.h"
#include "common/uirecorder.h"
#include "firmware/firmwareformat.h"
#include "firmware/firmwarerecord.h"
#include "firmware/nonregularfiles.h"
#include "firmware/recordstate.h"
#include "firmware/settings.h"
#include "firmware/settingstext.h"

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

// What the user changes on the wizard's pages, as a change to the settings they hand back.
using Edit = std::function<void(Firmware::Settings &)>;
Q_DECLARE_METATYPE(Edit)

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

QString PlainLines(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

struct CliRun {
    int exitCode = -1;
    QString out;  // line breaks as "\n" on every platform
    QString err;
    QByteArray rawOut;  // standard output as the tool wrote it
    QByteArray rawErr;
};

// A console of buffers: what a run wrote to standard output and error, byte for byte, and what
// it reads from standard input.
class CBufferConsole : public Cli::IConsole
{
public:
    QByteArray out;
    QByteArray err;
    QByteArray in;
    bool inClosed = false;
    bool inTerminal = false;
    bool outTerminal = false;
    qint64 inAsked = 0;                 // the most bytes a read of standard input asked for
    std::optional<QString> outFailure;  // every write to standard output fails with this

    std::optional<QString> WriteOut(QByteArrayView bytes) override
    {
        if (outFailure)
            return outFailure;
        out += bytes;
        return std::nullopt;
    }
    void WriteErr(QByteArrayView bytes) override { err += bytes; }
    std::optional<QString> ReadIn(QByteArray &data, qint64 maxBytes) override
    {
        inAsked = std::max(inAsked, maxBytes);
        if (inClosed)
            return QStringLiteral("standard input is closed");
        data = in.left(maxBytes);
        return std::nullopt;
    }
    bool IsTerminal(Stream stream) const override { return stream == Stream::In ? inTerminal : outTerminal; }
};

// The run's text as the tests compare it. Text on Windows ends its lines with CR LF, and so
// does everything the tool prints there; elsewhere a CR is never printed. An image written to
// standard output (it holds NUL bytes, which no text does) is bytes, and only raw.
CliRun Collected(int exitCode, const QByteArray &out, const QByteArray &err)
{
    CliRun run;
    run.exitCode = exitCode;
    run.rawOut = out;
    run.rawErr = err;
    const bool image = out.contains('\0');
    run.out = image ? QString() : QString::fromUtf8(out);
    run.err = QString::fromUtf8(err);
#ifdef Q_OS_WIN
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

// Runs the command line in-process in `folder`, which relative names are taken from, as the
// program's working folder.
CliRun RunIn(const QString &folder, const QStringList &args, CBufferConsole &console,
             const QSet<QString> &unencodable = {})
{
    const QString previous = QDir::currentPath();
    if (!QDir::setCurrent(folder))
        QTest::qFail(qPrintable("cannot work in " + folder), __FILE__, __LINE__);
    const int exitCode = Cli::Run({QStringList{QStringLiteral("brindle-cli")} + args, unencodable}, console);
    QDir::setCurrent(previous);
    return Collected(exitCode, console.out, console.err);
}

CliRun RunIn(const QString &folder, const QStringList &args)
{
    CBufferConsole console;
    return RunIn(folder, args, console);
}

// Waits for a started brindle-cli; one that does not end is killed and reported.
CliRun Finish(QProcess &process)
{
    if (!process.waitForFinished(kProcessTimeoutMs) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        CliRun run;
        run.err = QStringLiteral("brindle-cli did not finish: ") + process.errorString();
        return run;
    }
    const QByteArray out = process.readAllStandardOutput();
    const QByteArray err = process.readAllStandardError();
    return Collected(process.exitCode(), out, err);
}

// Runs the brindle-cli program in `folder`; `prepare` may change the process before it starts.
CliRun RunProcess(const QString &folder, const QStringList &args, const std::function<void(QProcess &)> &prepare = {})
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

    // The command line, in-process, in the test folder.
    CliRun Run(const QStringList &args) { return RunIn(m_dir->path(), args); }

    QStringList Files() const { return QDir(m_dir->path()).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name); }

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
    QByteArray WalkLikeWizard(const QString &source, const QString &target, const Edit &edit, const QString &code,
                              QString &finishText)
    {
        UiRecorder ui;  // answers the overwrite question with Yes, as the wizard's user would
        CFirmwareRecord r(&ui);
        if (r.LoadFirmware(Path(source)) != Firmware::FileResult::Done)
            return QByteArray();
        // The pages hand the settings back as one value.
        Firmware::Settings settings = r;
        if (edit)
            edit(settings);
        static_cast<Firmware::Settings &>(r) = settings;
        // The UART page offers "Unknown (keep as is)" for an unknown flow control: left alone, it
        // stays unknown and the file's byte is written back as it was.
        r.m_strVersionCode = code;
        r.m_strVersion = SettingsText::MergeVersionCode(r.m_strVersion, code);
        if (r.WriteFirmware(Path(target)) != Firmware::FileResult::Done)
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
    void unencodableNames_data();
    void unencodableNames();
    void programMatchesLibrary_data();
    void programMatchesLibrary();
    void sourceSwappedForPipe();
    void profileSources_data();
    void profileSources();
    void profileRefusals_data();
    void profileRefusals();
    void fileTextEscaped_data();
    void fileTextEscaped();
    void commandLineMessages_data();
    void commandLineMessages();
    void blanksAroundValues_data();
    void blanksAroundValues();
    void wordsInAnyLetterCase_data();
    void wordsInAnyLetterCase();
    void helpScreens_data();
    void helpScreens();
    void standardStreams_data();
    void standardStreams();
    void standardStreamsOfTheProgram_data();
    void standardStreamsOfTheProgram();
    void jsonErrors_data();
    void jsonErrors();
    void folderTarget_data();
    void folderTarget();

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
        QCOMPARE(r.LoadFirmware(Path(file)), Firmware::FileResult::Done);
        constexpr bool kFileSummary = false;
        const QString summary =
            PlainLines(SettingsText::CopyText(SettingsText::Describe(r, kFileSummary), kFileSummary));
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
        QTest::addColumn<Edit>("edit");  // what the user changes on the wizard's pages

        QTest::newRow("UART settings, ROM to upgrade file")
            << "qhar.rom" << "out.quf"
            << QStringList{"--code", "ABC", "--baud", "115200", "--data-bits", "7", "--stop-bits", "2", "--parity", "even", "--flow", "cts-rts"}
            << QByteArray() << "ABC"
            << Edit([](Firmware::Settings &s) { s.m_nBaudRate = 115200; s.m_nDataBits = 7; s.m_nStopBits = 2; s.m_nParity = 2; s.m_nFlowControl = 1; });
        QTest::newRow("modes and options off, upgrade file to ROM")
            << "qhar.quf" << "out.rom"
            << QStringList{"--code", "A1B", "--input", "ipa", "--command-set", "scs", "--led-flash", "off",
                           "--prompt", "hide", "--connects", "hide", "--version-report", "hide", "--data-mode",
                           "disable", "--upgrades", "disable", "--status-info", "disable"}
            << QByteArray() << "A1B"
            << Edit([](Firmware::Settings &s) { s.m_bAsciiInput = true; s.m_bShortCommandSet = true; s.m_bDisableLedFlash = true; s.m_bHidePrompt = true; s.m_bHideConnects = true; s.m_bHideVersionReport = true; s.m_bDisableDataMode = true; s.m_bDisableUpgrades = true; s.m_bDisableStatusInfo = true; });
        QTest::newRow("modes and options on, kind kept for .bin")
            << "qhar-set.rom" << "out.bin"
            << QStringList{"--code", "ZZ9", "--input", "iph", "--command-set", "ecs", "--led-flash", "on", "--prompt",
                           "show", "--connects", "show", "--version-report", "show", "--data-mode", "allow",
                           "--upgrades", "allow", "--status-info", "allow", "--flow", "none", "--parity", "none"}
            << QByteArray() << "ZZ9"
            << Edit([](Firmware::Settings &s) { s.m_bAsciiInput = false; s.m_bShortCommandSet = false; s.m_bDisableLedFlash = false; s.m_bHidePrompt = false; s.m_bHideConnects = false; s.m_bHideVersionReport = false; s.m_bDisableDataMode = false; s.m_bDisableUpgrades = false; s.m_bDisableStatusInfo = false; s.m_nFlowControl = 0; s.m_nParity = 0; });
        QTest::newRow("USB identity, upgrade file to ROM")
            << "qsol.quf" << "out.rom"
            << QStringList{"--code", "USB", "--vid", "0x1234", "--pid", "aBcD", "--manufacturer", "Acme Ltd", "--product", "Gizmo 2"}
            << QByteArray() << "USB"
            << Edit([](Firmware::Settings &s) { s.m_nVendorId = 0x1234; s.m_nProductId = 0xABCD; s.m_strManufacturer = "Acme Ltd"; s.m_strProduct = "Gizmo 2"; });
        QTest::newRow("USB strings emptied, Latin-1 kept")
            << "qsol.quf" << "out.quf"
            << QStringList{"--code", "E00", "--manufacturer", "", "--product", QStringLiteral("Caf\u00e9")}
            << QByteArray() << "E00"
            << Edit([](Firmware::Settings &s) { s.m_strManufacturer = ""; s.m_strProduct = QStringLiteral("Caf\u00e9"); });
        QTest::newRow("prefix in capitals, BLD to ROM")
            << "qwex.bld" << "out.rom" << QStringList{"--code", "abc", "--dir-prefix", "ab12"} << QByteArray() << "ABC"
            << Edit([](Firmware::Settings &s) { s.m_strDirPrefix = "AB12"; });
        QTest::newRow("BLD to upgrade file, extension in capitals")
            << "qj4j.bld" << "OUT.QUF" << QStringList{"--code", "x9z"} << QByteArray() << "X9Z" << Edit();
        QTest::newRow("BLD stays BLD") << "qhar.bld" << "out.img" << QStringList{"--code", "BLD"} << QByteArray() << "BLD" << Edit();
        QTest::newRow("earlier code replaced") << "qhar-coded.rom" << "out.rom" << QStringList{"--code", "NEW"} << QByteArray() << "NEW" << Edit();
        QTest::newRow("unknown flow control kept")
            << "qwex-flow8.rom" << "out.rom" << QStringList{"--code", "FLO"} << QByteArray() << "FLO" << Edit();
        QTest::newRow("profile")
            << "qsol.quf" << "out.rom" << QStringList{"--code", "PRF"}
            << QByteArray(R"({"baudRate": 19200, "prompt": false, "flowControl": "dtr-dsr", "statusInfo": false,
                             "usb": {"vendorId": 4660, "product": "From Profile"}})")
            << "PRF"
            << Edit([](Firmware::Settings &s) { s.m_nBaudRate = 19200; s.m_bHidePrompt = true; s.m_nFlowControl = 2; s.m_bDisableStatusInfo = true; s.m_nVendorId = 4660; s.m_strProduct = "From Profile"; });
        QTest::newRow("options win over the profile")
            << "qsol.quf" << "out.quf" << QStringList{"--baud", "38400", "--code", "WIN", "--product", "Option"}
            << QByteArray(R"({"baudRate": 19200, "ledFlash": false, "usb": {"product": "Profile"}})") << "WIN"
            << Edit([](Firmware::Settings &s) { s.m_nBaudRate = 38400; s.m_bDisableLedFlash = true; s.m_strProduct = "Option"; });
        QTest::newRow("profile facts ignored")
            << "qhar.rom" << "out.rom" << QStringList{"--code", "FAC"}
            << QByteArray(R"({"schema": 1, "fileKind": "QUF", "codeType": 1, "firmwareType": "QSOL",
                             "version": "99.99QSOLF", "versionNumber": 9999, "dataBits": 7})")
            << "FAC" << Edit([](Firmware::Settings &s) { s.m_nDataBits = 7; });
    }
    // clang-format on

    void writeMatchesWizard()
    {
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(QStringList, options);
        QFETCH(QByteArray, profile);
        QFETCH(QString, code);
        QFETCH(Edit, edit);
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
        const QByteArray wizard = WalkLikeWizard(source, "wizard-" + target, edit, code, finishText);
        QVERIFY(!wizard.isEmpty());
        QCOMPARE(written.size(), wizard.size());
        QVERIFY2(written == wizard, "brindle-cli and the wizard's path wrote different bytes");
        QCOMPARE(run.out, finishText.replace("wizard-" + target, target));
    }

    // A flow byte the monitor does not know is kept unless a flow control is chosen, as in the
    // wizard: writing it as none would change a setting the user never touched.
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
            QCOMPARE(run.err, QStringLiteral("brindle-cli: p.json: flowControl: \"unknown\" only keeps a value "
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
            QCOMPARE(run.err, QStringLiteral("brindle-cli: file exists: out.rom exists; use --force to replace it\n"));
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
                                            << "brindle-cli: could not open source file: missing.rom was not found.";
        QTest::newRow("info: wrong length") << QStringList{"info", "short.rom"} << none << 1
                                            << "brindle-cli: file format error: File not recognised as Norvale Firmware";
        QTest::newRow("info: no signature") << QStringList{"info", "nosig.rom"} << none << 1
                                            << "brindle-cli: firmware format error: File format not supported";
        QTest::newRow("info: old version") << QStringList{"info", "old.rom"} << none << 1
                                           << "brindle-cli: firmware version error: Firmware version 03.54QHARF not supported";
        QTest::newRow("info: parameters version") << QStringList{"info", "params.rom"} << none << 1
                                                  << "brindle-cli: file format error: Parameters version 0x2 not supported";
        QTest::newRow("write: old version") << QStringList{"write", "old.rom", "out.rom", "--code", "ABC"} << none << 1
                                            << "brindle-cli: firmware version error: Firmware version 03.54QHARF not supported";
        QTest::newRow("write: merged version longer than 16")
            << QStringList{"write", "qlyt1-long.rom", "out.rom", "--code", "XYZ"} << none << 1
            << "brindle-cli: file format error: Firmware version 03.64ABCDE-XYZQLYT1F too long: at most 16 characters fit";
        QTest::newRow("write: destination folder missing")
            << QStringList{"write", "qhar.rom", "nowhere/out.rom", "--code", "ABC"} << none << 1
            << "brindle-cli: could not open destination file: The folder nowhere does not exist.";
        QTest::newRow("diff: missing file") << QStringList{"diff", "qhar.rom", "missing.rom"} << none << 2
                                            << "brindle-cli: could not open second file: missing.rom was not found.";
        QTest::newRow("diff: refused file") << QStringList{"diff", "params.rom", "qhar.rom"} << none << 2
                                            << "brindle-cli: first file params.rom: file format error: Parameters version 0x2 not supported";

        // Settings that do not fit the file.
        QTest::newRow("--vid on QHAR") << QStringList{"write", "qhar.rom", "out.rom", "--code", "ABC", "--vid", "1"} << none << 2
                                       << "brindle-cli: --vid: applies only to QSOL firmware, not to QHAR";
        QTest::newRow("--dir-prefix on QSOL")
            << QStringList{"write", "qsol.quf", "out.rom", "--code", "ABC", "--dir-prefix", "ABCD"} << none << 2
            << "brindle-cli: --dir-prefix: applies only to QWEX and QJ4J firmware, not to QSOL";
        QTest::newRow("--product without string descriptors")
            << QStringList{"write", "qsol-nostrings.rom", "out.rom", "--code", "ABC", "--product", "X"} << none << 2
            << "brindle-cli: --product: this image has no USB string descriptors to hold it";
        QTest::newRow("--pid without device descriptor")
            << QStringList{"write", "qsol-shortdesc.rom", "out.rom", "--code", "ABC", "--pid", "1"} << none << 2
            << "brindle-cli: --pid: this image has no USB device descriptor to hold it (length byte 8)";
        QTest::newRow("USB strings too long together")
            << QStringList{"write", "qsol.quf", "out.rom", "--code", "ABC", "--manufacturer", QString(100, 'm'), "--product", QString(21, 'p')}
            << none << 2
            << "brindle-cli: --manufacturer, --product: the three USB strings would hold 124 characters together; at most 123 fit";

        // Values out of range.
        QTest::newRow("--baud not in the list")
            << QStringList{"write", "qhar.rom", "out.rom", "--code", "ABC", "--baud", "14400"} << none << 2
            << "brindle-cli: --baud: 14400 is not one of 300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, "
               "115200, 230400, 460800, 921600, 1000000, 1500000, 2000000, 3000000";
        QTest::newRow("--baud not a number")
            << QStringList{"write", "qhar.rom", "out.rom", "--code", "ABC", "--baud", "fast"} << none << 2
            << "brindle-cli: --baud: \"fast\" is not a number; use one of 300, 600, 1200, 2400, 4800, 9600, "
               "19200, 38400, 57600, 115200, 230400, 460800, 921600, 1000000, 1500000, 2000000, 3000000";
        QTest::newRow("--data-bits 9") << QStringList{"write", "qhar.rom", "out.rom", "--code", "ABC", "--data-bits", "9"} << none << 2
                                       << "brindle-cli: --data-bits: 9 is not one of 7, 8";
        QTest::newRow("--stop-bits 0") << QStringList{"write", "qhar.rom", "out.rom", "--code", "ABC", "--stop-bits", "0"} << none << 2
                                       << "brindle-cli: --stop-bits: 0 is not one of 1, 2";
        QTest::newRow("--parity mark") << QStringList{"write", "qhar.rom", "out.rom", "--code", "ABC", "--parity", "mark"} << none << 2
                                       << "brindle-cli: --parity: \"mark\" is not one of none, odd, even";
        QTest::newRow("--flow unknown") << QStringList{"write", "qhar.rom", "out.rom", "--code", "ABC", "--flow", "unknown"} << none << 2
                                        << "brindle-cli: --flow: \"unknown\" is not one of none, cts-rts, dtr-dsr, xon-xoff";
        QTest::newRow("--led-flash yes") << QStringList{"write", "qhar.rom", "out.rom", "--code", "ABC", "--led-flash", "yes"} << none << 2
                                         << "brindle-cli: --led-flash: \"yes\" is not one of on, off";
        QTest::newRow("--vid five digits")
            << QStringList{"write", "qsol.quf", "out.rom", "--code", "ABC", "--vid", "12345"} << none << 2
            << "brindle-cli: --vid: 12345 is outside 0 to ffff";
        QTest::newRow("--pid not hexadecimal")
            << QStringList{"write", "qsol.quf", "out.rom", "--code", "ABC", "--pid", "0xG1"} << none << 2
            << "brindle-cli: --pid: \"0xG1\" is not a hexadecimal number from 0 to ffff";
        QTest::newRow("--manufacturer beyond Latin-1")
            << QStringList{"write", "qsol.quf", "out.rom", "--code", "ABC", "--manufacturer", QStringLiteral("\u20acuro")} << none << 2
            << QStringLiteral("brindle-cli: --manufacturer: the character \u20ac (U+20ac) cannot be stored: the firmware "
                              "keeps one byte per character (Latin-1)");
        QTest::newRow("--dir-prefix too short")
            << QStringList{"write", "qwex.bld", "out.rom", "--code", "ABC", "--dir-prefix", "AB1"} << none << 2
            << "brindle-cli: --dir-prefix: \"AB1\" must be exactly 4 characters A-Z or 0-9";
        QTest::newRow("--code missing") << QStringList{"write", "qhar.rom", "out.rom"} << none << 2
                                        << "brindle-cli: --code is required: exactly 3 characters A-Z or 0-9; see 'brindle-cli write --help'";
        QTest::newRow("--code too long") << QStringList{"write", "qhar.rom", "out.rom", "--code", "ABCD"} << none << 2
                                         << "brindle-cli: --code: \"ABCD\" must be exactly 3 characters A-Z or 0-9";
        QTest::newRow("--code with a dash") << QStringList{"write", "qhar.rom", "out.rom", "--code", "A-C"} << none << 2
                                            << "brindle-cli: --code: \"A-C\" must be exactly 3 characters A-Z or 0-9";

        // The command line itself.
        QTest::newRow("unknown option") << QStringList{"write", "qhar.rom", "out.rom", "--code", "ABC", "--bogus"} << none << 2
                                        << "brindle-cli: unknown option '--bogus'; see 'brindle-cli write --help'";
        QTest::newRow("missing target") << QStringList{"write", "qhar.rom", "--code", "ABC"} << none << 2
                                        << "brindle-cli: missing arguments; see 'brindle-cli write --help'";
        QTest::newRow("extra argument") << QStringList{"info", "qhar.rom", "more"} << none << 2
                                        << "brindle-cli: unexpected argument 'more'; see 'brindle-cli info --help'";
        QTest::newRow("unknown command") << QStringList{"frob"} << none << 2
                                         << "brindle-cli: unknown command 'frob': use info, write or diff; see 'brindle-cli --help'";
        QTest::newRow("no command") << QStringList{} << none << 2 << "brindle-cli: no command given: use info, write or diff; see 'brindle-cli --help'";
        QTest::newRow("diff: unknown option") << QStringList{"diff", "qhar.rom", "qhar.rom", "--force"} << none << 2
                                              << "brindle-cli: unknown option '--force'; see 'brindle-cli diff --help'";

        // Profiles.
        const QStringList withProfile{"write", "qhar.rom", "out.rom", "--code", "ABC", "--settings", "p.json"};
        // The reason is the system's own wording ("No such file or directory" on Linux), without a
        // full stop.
        QFile missing(QStringLiteral("brindle-no-such-profile.json"));
        QVERIFY(!missing.open(QIODevice::ReadOnly));
        QTest::newRow("profile missing")
            << QStringList{"write", "qhar.rom", "out.rom", "--code", "ABC", "--settings", "none.json"} << none << 2
            << "brindle-cli: none.json: cannot read the profile: " + missing.errorString().remove(QRegularExpression(QStringLiteral("\\.$")));
        QTest::newRow("profile malformed") << withProfile << QByteArray("{\n  \"baudRate\": 9600\n  \"parity\": \"odd\"\n}") << 2
                                           << "brindle-cli: p.json: line 3, column 4: malformed JSON: unterminated object";
        QTest::newRow("profile not an object") << withProfile << QByteArray("[1, 2]") << 2
                                               << "brindle-cli: p.json: a profile is one JSON object, as info --json prints it";
        QTest::newRow("profile unknown key") << withProfile << QByteArray("{\"speed\": 9600}") << 2
                                             << "brindle-cli: p.json: speed: unknown key";
        QTest::newRow("profile number as text") << withProfile << QByteArray("{\"baudRate\": \"9600\"}") << 2
                                                << "brindle-cli: p.json: baudRate: expected a number, found a string";
        QTest::newRow("profile flag as word") << withProfile << QByteArray("{\"prompt\": \"show\"}") << 2
                                              << "brindle-cli: p.json: prompt: expected true or false, found a string";
        QTest::newRow("profile fraction") << withProfile << QByteArray("{\"dataBits\": 7.5}") << 2
                                          << "brindle-cli: p.json: dataBits: 7.5 is not a whole number; use one of 7, 8";
        QTest::newRow("profile usb not an object") << withProfile << QByteArray("{\"usb\": 1}") << 2
                                                   << "brindle-cli: p.json: usb: expected an object, found a number";
        QTest::newRow("profile fact of the wrong type") << withProfile << QByteArray("{\"version\": 364}") << 2
                                                        << "brindle-cli: p.json: version: expected a string, found a number";
        QTest::newRow("profile schema 2") << withProfile << QByteArray("{\"schema\": 2}") << 2
                                          << "brindle-cli: p.json: schema: schema 2 is not supported (only 1)";
        QTest::newRow("profile USB on QHAR") << withProfile << QByteArray("{\"usb\": {\"vendorId\": 1}}") << 2
                                             << "brindle-cli: p.json: usb.vendorId: applies only to QSOL firmware, not to QHAR";
        QTest::newRow("profile vendor ID out of range")
            << QStringList{"write", "qsol.quf", "out.rom", "--code", "ABC", "--settings", "p.json"}
            << QByteArray("{\"usb\": {\"vendorId\": 65536}}") << 2
            << "brindle-cli: p.json: usb.vendorId: 65536 is outside 0 to 65535";
        QTest::newRow("profile prefix too long")
            << QStringList{"write", "qwex.bld", "out.rom", "--code", "ABC", "--settings", "p.json"}
            << QByteArray("{\"dirPrefix\": \"ABCDE\"}") << 2
            << "brindle-cli: p.json: dirPrefix: \"ABCDE\" must be exactly 4 characters A-Z or 0-9";
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

        QTest::newRow("--version")
            << QStringList{"--version"}
            << QStringList{"brindle-cli " BRINDLE_VERSION_STRING ", part of Brindle: Norvale Firmware Customiser V" BRINDLE_DISPLAY_VERSION "\n"};
        QTest::newRow("-v after a command")
            << QStringList{"info", "-v"}
            << QStringList{"brindle-cli " BRINDLE_VERSION_STRING ", part of Brindle: Norvale Firmware Customiser V" BRINDLE_DISPLAY_VERSION "\n"};
        QTest::newRow("--help") << QStringList{"--help"} << QStringList{"info FILE", "write SOURCE TARGET", "diff A B", "help [COMMAND]"};
        QTest::newRow("info --help") << QStringList{"info", "--help"} << QStringList{"--json", "file"};
        QTest::newRow("diff --help") << QStringList{"diff", "-h"} << QStringList{"--json", "Exit codes:\n  0  the files are the same\n  1  the files differ\n"};
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

    const QString sourceFolder = QStringLiteral("brindle-cli: could not open source file: %1 is a folder, not a firmware file.");
    const QString sourceSpecial = QStringLiteral("brindle-cli: could not open source file: %1 is not a regular file.");
    const QString targetSpecial = QStringLiteral("brindle-cli: could not open destination file: %1 is not a regular file.");
    QTest::newRow("info: folder") << QStringList{"info", "@"} << "folder" << 1 << sourceFolder;
#ifdef BRINDLE_HAVE_SPECIAL_FILES
    QTest::newRow("info: named pipe") << QStringList{"info", "@"} << "fifo" << 1 << sourceSpecial;
    QTest::newRow("info: link to a named pipe") << QStringList{"info", "@"} << "link to fifo" << 1 << sourceSpecial;
    QTest::newRow("info: socket") << QStringList{"info", "@"} << "socket" << 1 << sourceSpecial;
    QTest::newRow("info: null device") << QStringList{"info", "@"} << "device" << 1 << sourceSpecial;
    QTest::newRow("write: named pipe as source") << QStringList{"write", "@", "out.rom", "--code", "ABC"} << "fifo" << 1
                                                 << sourceSpecial;
    QTest::newRow("write --settings: named pipe as source")
        << QStringList{"write", "@", "out.rom", "--code", "ABC", "--settings", "p.json"} << "fifo" << 1 << sourceSpecial;
    QTest::newRow("diff: named pipe") << QStringList{"diff", "qhar.rom", "@"} << "fifo" << 2
                                      << "brindle-cli: could not open second file: %1 is not a regular file.";
    for (const char *force : {"", "--force", "--dry-run"}) {
        QStringList write{"write", "qhar.rom", "@", "--code", "ABC"};
        if (*force)
            write << force;
        QTest::addRow("write %s: named pipe as target", force) << write << "fifo" << 1 << targetSpecial;
        QTest::addRow("write %s: link to a named pipe as target", force) << write << "link to fifo" << 1 << targetSpecial;
        QTest::addRow("write %s: null device as target", force) << write << "device" << 1 << targetSpecial;
        QTest::addRow("write %s: socket as target", force) << write << "socket" << 1 << targetSpecial;
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

    const CliRun run = Run(args);  // a run that waits fails by the test function's time limit
    QVERIFY_CLI_REFUSED(run, run.err, err.arg(special) + QLatin1Char('\n'), exitCode, before);
#ifdef BRINDLE_HAVE_SPECIAL_FILES
    QCOMPARE(SpecialFiles::TypeOf(special), typeBefore);
#endif
}

// ---- the command line's promises ------------------------------------------------------

// Two brindle-cli programs without --force that race for one new name: one writes, the other
// is refused, and the file is whole and exactly one of the two.
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
        QCOMPARE(loser.err, QStringLiteral("brindle-cli: file exists: race.rom exists; use --force to replace it\n"));
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
                                   << "brindle-cli: file exists: out.rom exists; use --force to replace it";
    QTest::newRow("existing file, --force") << "qhar.rom" << "out.rom" << "file" << (code + QStringList{"--force"}) << 0 << "";
    QTest::newRow("folder missing") << "qhar.rom" << "nowhere/out.rom" << "" << code << 1
                                    << "brindle-cli: could not open destination file: The folder nowhere does not exist.";
    // A folder takes the file under the source's name, by the rules of any target.
    QTest::newRow("folder as target") << "qhar.rom" << "out.rom" << "folder" << code << 0 << "";
    QTest::newRow("folder holding the source's name") << "qhar.rom" << "out.rom" << "folder with the file" << code << 1
                                                      << "brindle-cli: file exists: qhar.rom exists; use --force to replace it";
#ifndef Q_OS_WIN
    // Windows ignores a folder's read-only attribute.
    QTest::newRow("read-only folder") << "qhar.rom" << "ro/out.rom" << "read-only folder" << code << 1
                                      << "brindle-cli: could not open destination file: Access to ro/out.rom was denied.";
#endif
    QTest::newRow("version text past 16 characters") << "qlyt1-long.rom" << "out.rom" << "" << code << 1
        << "brindle-cli: file format error: Firmware version 03.64ABCDE-XYZQLYT1F too long: at most 16 characters fit";
    QTest::newRow("USB strings past 123 characters")
        << "qsol.quf" << "out.quf" << "" << (code + QStringList{"--product", QString(124, 'p')}) << 2
        << "brindle-cli: --product: 124 characters; the three USB strings hold at most 123 together";
    QTest::newRow("USB strings past 123 characters together")
        << "qsol.quf" << "out.quf" << "" << (code + QStringList{"--manufacturer", QString(60, 'm'), "--product", QString(61, 'p')})
        << 2 << "brindle-cli: --manufacturer, --product: the three USB strings would hold 124 characters together; "
                "at most 123 fit";
#ifdef BRINDLE_HAVE_SPECIAL_FILES
    QTest::newRow("named pipe as target") << "qhar.rom" << "out.rom" << "fifo" << (code + QStringList{"--force"}) << 1
                                          << "brindle-cli: could not open destination file: out.rom is not a regular file.";
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
        else if (setup == QLatin1String("folder with the file"))
            QVERIFY(QDir().mkdir(at) && ImageBuilder::WriteFile(QDir(at).filePath(source), "existing"));
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
        const auto inside = [&at] { return QFileInfo(at).isDir() ? Entries(at) : QStringList(); };
        const QStringList insideBefore = inside();
        runs[dry ? 0 : 1] = RunIn(folder, args);
        if (setup == QLatin1String("read-only folder"))
            QFile::setPermissions(QFileInfo(at).absolutePath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (dry) {
            QCOMPARE(Entries(folder), before);
            QCOMPARE(contents(), targetBefore);
            QCOMPARE(inside(), insideBefore);
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
    QTest::addColumn<QString>("output");  // a full device, or closed before the program starts
    const QList<QPair<const char *, QStringList>> commands{
        {"info", {"info", "qhar.rom"}},
        {"info --json", {"info", "qhar.rom", "--json"}},
        {"diff", {"diff", "qhar.rom", "qhar-set.rom"}},
        {"diff --json", {"diff", "qhar.rom", "qhar.rom", "--json"}},
        {"write", {"write", "qhar.rom", "out.rom", "--code", "ABC"}},
        {"write --dry-run", {"write", "qhar.rom", "out.rom", "--code", "ABC", "--dry-run"}},
        {"--help", {"--help"}},
        {"--version", {"--version"}},
        {"help write", {"help", "write"}},
        {"diff --help", {"diff", "--help"}},
        {"info --version", {"info", "--version"}},
    };
    for (const auto &[name, args] : commands) {
        QTest::addRow("%s, console fails", name) << args << "console";
        QTest::addRow("%s, full", name) << args << "full";
#ifdef BRINDLE_HAVE_SPECIAL_FILES
        QTest::addRow("%s, closed", name) << args << "closed";
#endif
    }
}
// clang-format on

// Output that cannot be written is an error: a script must not take nothing for a result. The
// command line reports what its console says (in-process); the program's console says what
// happened to its real standard output, a full device or one closed before it started.
void TestCli::outputFailures()
{
    QFETCH(QStringList, args);
    QFETCH(QString, output);
    if (output == QLatin1String("full") && !QFileInfo::exists(QStringLiteral("/dev/full")))
        QSKIP("No /dev/full on this system");
    PrepareFixtures(args);
    const QString consoleFailure = QStringLiteral("cannot write to standard output: the console's reason");
    CliRun run;
    if (output == QLatin1String("console")) {
        CBufferConsole console;
        console.outFailure = consoleFailure;
        run = RunIn(m_dir->path(), args, console);
    } else {
        run = RunProcess(m_dir->path(), args, [&output](QProcess &p) {
            if (output == QLatin1String("full"))
                p.setStandardOutputFile(QStringLiteral("/dev/full"));
#ifdef BRINDLE_HAVE_SPECIAL_FILES
            else
                p.setChildProcessModifier([] { ::close(1); });
#endif
        });
    }
    // A write whose file is on disk says so by its own exit code; anything else is a usage error.
    const bool writes = args.first() == QLatin1String("write") && !args.contains(QStringLiteral("--dry-run"));
    QCOMPARE(run.exitCode, writes ? 3 : 2);
    QCOMPARE(run.out, QString());
    const QString expected =
        output == QLatin1String("console") ? consoleFailure
        : output == QLatin1String("full")
            ? QStringLiteral("cannot write to standard output: %1").arg(QString::fromLocal8Bit(std::strerror(ENOSPC)))
            : QStringLiteral("standard output is closed");
    QCOMPARE(run.err, QStringLiteral("brindle-cli: ") + expected + QLatin1Char('\n'));
    // Nothing meant for standard output went into the file written while it was closed.
    QCOMPARE(QFileInfo::exists(Path("out.rom")), writes);
    if (writes)
        QCOMPARE(ImageBuilder::ReadFile(Path("out.rom")).size(), kRomLength);
}

// Over a file-size limit the write fails with the system's words for it, and the message and
// exit code of a refusal, instead of the program being ended by the system's signal.
void TestCli::fileSizeLimit()
{
#ifndef BRINDLE_HAVE_RLIMIT
    QSKIP("No file-size limit on this platform");
#else
    PrepareFixtures({"qhar.rom"});
    const QStringList before = Entries(m_dir->path());
    const CliRun run = RunProcess(m_dir->path(), {"write", "qhar.rom", "out.rom", "--code", "ABC"}, [](QProcess &p) {
        p.setChildProcessModifier([] {
            rlimit limit{};
            ::getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = 4096;
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
    });
    QVERIFY_CLI_REFUSED(
        run, run.err,
        QStringLiteral("brindle-cli: could not write destination file: File too large while accessing out.rom.\n"), 1,
        before);
#endif
}

// A name whose bytes are not UTF-8 (legal on Linux) is written under exactly those bytes, and
// shown with the byte that is not escaped.
void TestCli::unencodableName()
{
#ifndef BRINDLE_HAVE_SPECIAL_FILES
    QSKIP("Arguments are text on this platform");
#else
    PrepareFixtures({"qhar.rom"});
    const QString script = QStringLiteral("exec \"$0\" write qhar.rom \"$(printf 'caf\\351.rom')\" --code ABC");
    const CliRun run = RunProcess(m_dir->path(), {}, [&script](QProcess &p) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        p.setProcessEnvironment(env);
        p.setProgram(QStringLiteral("/bin/sh"));
        p.setArguments({QStringLiteral("-c"), script, QStringLiteral(BRINDLE_CLI_PATH)});
    });
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.endsWith(QStringLiteral("Saved to disk as caf\\xE9.rom\n")), qPrintable(run.out));
    struct stat st {};
    QVERIFY(::stat(QByteArray(QFile::encodeName(m_dir->path()) + "/caf\351.rom").constData(), &st) == 0);
    QCOMPARE(qint64(st.st_size), qint64(65536));
#endif
}

// clang-format off
void TestCli::unencodableNames_data()
{
    QTest::addColumn<QStringList>("args");  // "@" stands for the name
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("err");       // %1 is the name

    const QString badName = QStringLiteral("%1 has characters that this system cannot use in a file name.\n");
    const QString source = "brindle-cli: could not open source file: " + badName;
    const QString target = "brindle-cli: could not open destination file: " + badName;
    QTest::newRow("info") << QStringList{"info", "@"} << 1 << source;
    QTest::newRow("write: source") << QStringList{"write", "@", "out.rom", "--code", "ABC"} << 1 << source;
    QTest::newRow("write: target") << QStringList{"write", "qhar.rom", "@", "--code", "ABC", "--force"} << 1 << target;
    QTest::newRow("write --dry-run: target") << QStringList{"write", "qhar.rom", "@", "--code", "ABC", "--dry-run"} << 1
                                             << target;
    QTest::newRow("diff: first file") << QStringList{"diff", "@", "qhar.rom"} << 2
                                      << "brindle-cli: could not open first file: " + badName;
    QTest::newRow("diff: second file") << QStringList{"diff", "qhar.rom", "@"} << 2
                                       << "brindle-cli: could not open second file: " + badName;
}
// clang-format on

// A name that main found changed by its decoding is refused wherever it names a file, though the
// text it became names a file that is there: it was meant to name another.
void TestCli::unencodableNames()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, err);
    PrepareFixtures({"qhar.rom"});
    const QString name = QStringLiteral("caf\uFFFD.rom");
    QVERIFY(ImageBuilder::WriteFile(Path(name), Fixture("qhar.rom")));
    QCOMPARE(Run({"info", name}).exitCode, 0);  // as text, the name is a firmware file
    args.replaceInStrings(QRegularExpression(QStringLiteral("^@$")), name);
    const QStringList before = Entries(m_dir->path());
    const QByteArray bytesBefore = ImageBuilder::ReadFile(Path(name));

    CBufferConsole console;
    const CliRun run = RunIn(m_dir->path(), args, console, {name});
    QVERIFY_CLI_REFUSED(run, run.err, err.arg(name), exitCode, before);
    QCOMPARE(ImageBuilder::ReadFile(Path(name)), bytesBefore);
}

// clang-format off
void TestCli::programMatchesLibrary_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("written");  // a file the run writes, compared too

    QTest::newRow("info") << QStringList{"info", "qsol.quf"} << 0 << "";
    QTest::newRow("info --json") << QStringList{"info", "qsol.quf", "--json"} << 0 << "";
    QTest::newRow("info: refused") << QStringList{"info", "short.rom"} << 1 << "";
    QTest::newRow("info: missing") << QStringList{"info", "missing.rom"} << 1 << "";
    QTest::newRow("write") << QStringList{"write", "qsol.quf", "out.rom", "--code", "ABC", "--product", "Gizmo"} << 0
                           << "out.rom";
    QTest::newRow("write --dry-run") << QStringList{"write", "qsol.quf", "out.quf", "--code", "ABC", "--baud", "19200",
                                                    "--dry-run"} << 0 << "";
    QTest::newRow("write: exists") << QStringList{"write", "qsol.quf", "qhar.rom", "--code", "ABC"} << 1 << "";
    QTest::newRow("write: usage") << QStringList{"write", "qsol.quf", "out.rom", "--code", "AB"} << 2 << "";
    QTest::newRow("diff: same") << QStringList{"diff", "qhar.rom", "qhar.quf"} << 0 << "";
    QTest::newRow("diff: different") << QStringList{"diff", "qhar.rom", "qsol.quf"} << 1 << "";
    QTest::newRow("diff --json") << QStringList{"diff", "qhar.rom", "qsol.quf", "--json"} << 1 << "";
    QTest::newRow("diff: refused") << QStringList{"diff", "qhar.rom", "short.rom"} << 2 << "";
    QTest::newRow("--help") << QStringList{"--help"} << 0 << "";
    QTest::newRow("write --help") << QStringList{"write", "--help"} << 0 << "";
    QTest::newRow("--version") << QStringList{"--version"} << 0 << "";
    QTest::newRow("no command") << QStringList{} << 2 << "";
    QTest::newRow("unknown option") << QStringList{"info", "qhar.rom", "-json"} << 2 << "";
}
// clang-format on

// The program is the library and its console: its exit code, and byte for byte what it writes
// to its real standard output and error, are the in-process run's.
void TestCli::programMatchesLibrary()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, written);
    const QStringList fixtures = args + QStringList{"qhar.rom"};
    const QString library = Folder(QStringLiteral("library"), fixtures);
    const QString program = Folder(QStringLiteral("program"), fixtures);
    QVERIFY(!library.isEmpty() && !program.isEmpty());

    const CliRun inProcess = RunIn(library, args);
    const CliRun real = RunProcess(program, args);
    QCOMPARE(real.exitCode, exitCode);
    QCOMPARE(inProcess.exitCode, exitCode);
    QCOMPARE(real.rawOut, inProcess.rawOut);
    QCOMPARE(real.rawErr, inProcess.rawErr);
    QVERIFY(!(real.rawOut + real.rawErr).isEmpty());
    QCOMPARE(Entries(program), Entries(library));
    if (!written.isEmpty()) {
        const QByteArray bytes = ImageBuilder::ReadFile(QDir(program).filePath(written));
        QVERIFY(!bytes.isEmpty());
        QCOMPARE(bytes, ImageBuilder::ReadFile(QDir(library).filePath(written)));
    }
}

// ---- opening, profiles, file text and the command line's own messages ----------------

// A pipe put under the name at any moment, even after every look at the name, is refused at
// once: the file is opened without waiting and its type checked on the open file.
void TestCli::sourceSwappedForPipe()
{
#ifndef BRINDLE_HAVE_SPECIAL_FILES
    QSKIP("No named pipes on this platform");
#else
    PrepareFixtures({"qhar.rom"});
    const QByteArray name = QFile::encodeName(Path("swap.rom"));
    const QByteArray file = QFile::encodeName(Path("file.tmp"));
    const QByteArray pipe = QFile::encodeName(Path("pipe.tmp"));
    QVERIFY(QFile::copy(Path("qhar.rom"), Path("swap.rom")));
    QVERIFY(SpecialFiles::MakeFifo(Path("pipe.tmp")));
    std::atomic<bool> stop{false};
    std::thread swapper([&] {
        while (!stop) {
            std::rename(name.constData(), file.constData());
            std::rename(pipe.constData(), name.constData());
            std::rename(name.constData(), pipe.constData());
            std::rename(file.constData(), name.constData());
        }
    });
    const auto join = qScopeGuard([&] {
        stop = true;
        swapper.join();
    });

    constexpr int kRuns = 40;
    QSet<QString> outcomes;
    for (int i = 0; i < kRuns; ++i) {
        const CliRun run = Run({"info", "swap.rom"});  // one that waits fails by the time limit
        if (run.exitCode == 0) {
            QVERIFY2(run.out.startsWith(QStringLiteral("Firmware Settings\n")), qPrintable(run.out));
            outcomes << QStringLiteral("read");
            continue;
        }
        QCOMPARE(run.exitCode, 1);
        const QStringList refusals{"brindle-cli: could not open source file: swap.rom is not a regular file.\n",
                                   "brindle-cli: could not open source file: swap.rom was not found.\n"};
        QVERIFY2(refusals.contains(run.err), qPrintable(run.err));
        outcomes << run.err;
    }
    qInfo("%lld kinds of outcome in %d runs", qlonglong(outcomes.size()), kRuns);
#endif
}

// clang-format off
void TestCli::profileSources_data()
{
    QTest::addColumn<QString>("source");  // what --settings names, set up by the test
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("err");     // %1 is the profile's path

    const QString notRegular = QStringLiteral("brindle-cli: %1: not a regular file; a profile is a regular file, or - for standard input\n");
    const QString limit = QStringLiteral("a profile holds at most 1 MiB (1048576 bytes)\n");
    QTest::newRow("folder") << "folder" << 2 << notRegular;
#ifdef BRINDLE_HAVE_SPECIAL_FILES
    QTest::newRow("named pipe without a writer") << "fifo" << 2 << notRegular;
    QTest::newRow("endless device") << "/dev/zero" << 2 << notRegular;
#endif
    QTest::newRow("sparse file of 1 GiB") << "sparse" << 2 << "brindle-cli: %1: 1073741824 bytes; " + limit;
    QTest::newRow("one byte over 1 MiB") << "long" << 2 << "brindle-cli: %1: 1048577 bytes; " + limit;
    QTest::newRow("exactly 1 MiB") << "exact" << 0 << "";
    // Standard input: the console's, and the program's real one (a file, or closed).
    for (const char *program : {"", " program"}) {
        QTest::addRow("standard input%s", program) << QStringLiteral("stdin") + program << 0 << "";
        QTest::addRow("standard input over 1 MiB%s", program) << QStringLiteral("stdin long") + program << 2
            << "brindle-cli: standard input: more than 1 MiB; " + limit;
    }
    QTest::newRow("standard input closed") << "stdin closed" << 2
        << "brindle-cli: standard input: cannot read the profile: standard input is closed\n";
#ifdef BRINDLE_HAVE_SPECIAL_FILES
    QTest::newRow("standard input closed program") << "stdin closed program" << 2
        << "brindle-cli: standard input: cannot read the profile: standard input is closed\n";
#endif
}
// clang-format on

// A profile is read only from a regular file of at most 1 MiB or from standard input, and in
// bounded memory: nothing else is read from at all, so nothing can keep the program waiting.
void TestCli::profileSources()
{
    QFETCH(QString, source);
    QFETCH(int, exitCode);
    QFETCH(QString, err);
    PrepareFixtures({"qhar.rom"});
    const QByteArray profile = "{\"baudRate\": 19200}";
    const auto padded = [&profile](qint64 size) { return profile + QByteArray(size - profile.size(), ' '); };
    constexpr qint64 kMiB = 1024 * 1024;

    QString path = Path("p.json");
    QString input;  // a file for standard input
    const bool program = source.endsWith(QLatin1String(" program"));
    source.remove(QLatin1String(" program"));
    if (source == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(path));
    } else if (source == QLatin1String("fifo")) {
#ifdef BRINDLE_HAVE_SPECIAL_FILES
        QVERIFY(SpecialFiles::MakeFifo(path));
#endif
    } else if (source.startsWith(QLatin1Char('/'))) {
        path = source;
    } else if (source == QLatin1String("sparse")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(1024 * kMiB));
    } else if (source == QLatin1String("long") || source == QLatin1String("exact")) {
        QVERIFY(ImageBuilder::WriteFile(path, padded(source == QLatin1String("long") ? kMiB + 1 : kMiB)));
    } else if (source.startsWith(QLatin1String("stdin"))) {
        path = QStringLiteral("-");
        input = Path("input.json");
        QVERIFY(ImageBuilder::WriteFile(input, source == QLatin1String("stdin long") ? padded(kMiB + 1) : profile));
    }

    const QStringList args{"write", "qhar.rom", "out.rom", "--code", "ABC", "--settings", path, "--dry-run"};
    CliRun run;
    if (program) {
        run = RunProcess(m_dir->path(), args, [&](QProcess &p) {
            if (!input.isEmpty())
                p.setStandardInputFile(input);
#ifdef BRINDLE_HAVE_SPECIAL_FILES
            if (source == QLatin1String("stdin closed"))
                p.setChildProcessModifier([] { ::close(0); });
#endif
        });
    } else {
        CBufferConsole console;
        console.inClosed = source == QLatin1String("stdin closed");
        if (!input.isEmpty())
            console.in = ImageBuilder::ReadFile(input);
        run = RunIn(m_dir->path(), args, console);
    }
    QCOMPARE(run.err, err.arg(path));
    QCOMPARE(run.exitCode, exitCode);
    if (exitCode == 0)
        QVERIFY2(run.out.contains(QStringLiteral("\nbaudRate: 9600 -> 19200\n")), qPrintable(run.out));
}

// clang-format off
void TestCli::profileRefusals_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<QByteArray>("profile");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("err");  // standard error, without its line break

    using K = ImageBuilder::Kind;
    const QByteArray qhar = ImageBuilder(K::Rom).build();
    const QByteArray qsol = ImageBuilder(K::Rom, "03.64QSOLF").setStrings({"Norvale", "Widget", "SN1"}).build();
    const QByteArray qwex = ImageBuilder(K::Rom, "03.64QWEXF").build();
    const QByteArray nulStrings =
        ImageBuilder(K::Rom, "03.64QSOLF").setStrings({"Norvale", QByteArray("Wid\0get", 7), QByteArray("S\0N", 3)}).build();
    const QString rates = QStringLiteral("300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800, "
                                         "921600, 1000000, 1500000, 2000000, 3000000");

    // A key named twice: Qt's reader would keep one of the two values without a word.
    QTest::newRow("key twice") << qhar << QByteArray(R"({"baudRate": 9600, "baudRate": 19200})") << 2
                               << "brindle-cli: p.json: baudRate: the key appears twice";
    QTest::newRow("key twice, once escaped") << qhar << QByteArray(R"({"baudRate": 9600, "baud\u0052ate": 19200})") << 2
                                             << "brindle-cli: p.json: baudRate: the key appears twice";
    QTest::newRow("nested key twice") << qsol << QByteArray(R"({"usb": {"product": "A", "vendorId": 1, "product": "B"}})") << 2
                                      << "brindle-cli: p.json: usb.product: the key appears twice";
    QTest::newRow("a value that names a key is no key")
        << qsol << QByteArray(R"({"usb": {"manufacturer": "product", "product": "manufacturer"}, "parity": "odd"})") << 0 << "";

    // A NUL character in a text: refused, unless the file holds exactly that text.
    QTest::newRow("NUL in a USB string") << qsol << QByteArray(R"({"usb": {"product": "Wid\u0000get"}})") << 2
                                         << "brindle-cli: p.json: usb.product: the text holds a NUL character (\\u0000)";
    QTest::newRow("NUL in the prefix") << qwex << QByteArray(R"({"dirPrefix": "SN\u0000P"})") << 2
                                       << "brindle-cli: p.json: dirPrefix: the text holds a NUL character (\\u0000)";
    QTest::newRow("NUL in the version") << qhar << QByteArray(R"({"version": "03.64\u0000QHARF"})") << 2
                                        << "brindle-cli: p.json: version: the text holds a NUL character (\\u0000)";
    QTest::newRow("NUL in the third string") << qsol << QByteArray(R"({"usb": {"string3": "S\u0000N"}})") << 2
                                             << "brindle-cli: p.json: usb.string3: the text holds a NUL character (\\u0000)";
    QTest::newRow("NUL texts the file holds")
        << nulStrings << QByteArray(R"({"usb": {"product": "Wid\u0000get", "string3": "S\u0000N"}, "baudRate": 19200})")
        << 0 << "";

    // Numbers out of range name the range.
    QTest::newRow("baud rate beyond int") << qhar << QByteArray(R"({"baudRate": 3000000000})") << 2
                                          << "brindle-cli: p.json: baudRate: 3000000000 is not one of " + rates;
    QTest::newRow("data bits as a fraction") << qhar << QByteArray(R"({"dataBits": 7.5})") << 2
                                             << "brindle-cli: p.json: dataBits: 7.5 is not a whole number; use one of 7, 8";
    QTest::newRow("vendor ID beyond int") << qsol << QByteArray(R"({"usb": {"vendorId": 3000000000}})") << 2
                                          << "brindle-cli: p.json: usb.vendorId: 3000000000 is outside 0 to 65535";
    QTest::newRow("vendor ID negative") << qsol << QByteArray(R"({"usb": {"vendorId": -1}})") << 2
                                        << "brindle-cli: p.json: usb.vendorId: -1 is outside 0 to 65535";
    QTest::newRow("vendor ID as a fraction") << qsol << QByteArray(R"({"usb": {"vendorId": 1.5}})") << 2
                                             << "brindle-cli: p.json: usb.vendorId: 1.5 is not a whole number; use one from 0 to 65535";

    // The range's ends are in it.
    QTest::newRow("vendor ID 65535") << qsol << QByteArray(R"({"usb": {"vendorId": 65535}})") << 0 << "";
    QTest::newRow("product ID 65535") << qsol << QByteArray(R"({"usb": {"productId": 65535}})") << 0 << "";
    QTest::newRow("vendor ID 0") << qsol << QByteArray(R"({"usb": {"vendorId": 0}})") << 0 << "";
    QTest::newRow("product ID 65536") << qsol << QByteArray(R"({"usb": {"productId": 65536}})") << 2
                                      << "brindle-cli: p.json: usb.productId: 65536 is outside 0 to 65535";

    // A key's name is text from the file too.
    QTest::newRow("key with a control character") << qhar << QByteArray(R"({"ba\u001bud": 1})") << 2
                                                  << "brindle-cli: p.json: ba\\x1Bud: unknown key";
}
// clang-format on

void TestCli::profileRefusals()
{
    QFETCH(QByteArray, image);
    QFETCH(QByteArray, profile);
    QFETCH(int, exitCode);
    QFETCH(QString, err);
    QVERIFY(ImageBuilder::WriteFile(Path("x.rom"), image));
    QVERIFY(ImageBuilder::WriteFile(Path("p.json"), profile));
    const CliRun run = Run({"write", "x.rom", "out.rom", "--code", "ABC", "--settings", "p.json", "--dry-run"});
    QCOMPARE(run.err, err.isEmpty() ? err : err + QLatin1Char('\n'));
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.out.isEmpty(), exitCode != 0);
}

// clang-format off
void TestCli::fileTextEscaped_data()
{
    QTest::addColumn<QByteArray>("image");  // written as x.rom
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("shown");  // lines of standard output or error, as shown

    using K = ImageBuilder::Kind;
    // ESC, BEL, CR and markup in the version text; a clipboard-setting escape, markup, a C1
    // control and a line break in the USB strings.
    const QByteArray hostile = ImageBuilder(K::Rom, "03.64\x1b\x07\r<b>QSOLF")
                                   .setStrings({"\x1b]52;c;SGk=\x07", "<h1>BIG\r", "\x9b" "2J\nX"})
                                   .build();
    QTest::newRow("info") << hostile << QStringList{"info", "x.rom"} << 0
        << QStringList{"Firmware Version: 03.64\\x1B\\x07\\x0D<b>",
                       "USB Strings: \"\\x1B]52;c;SGk=\\x07\", \"<h1>BIG\\x0D\", \"\\x9B2J\\x0AX\""};
    QTest::newRow("info --json") << hostile << QStringList{"info", "x.rom", "--json"} << 0
        << QStringList{"  \"version\": \"03.64\\u001b\\u0007\\r<b>QSOLF\",", "    \"manufacturer\": \"\\u001b]52;c;SGk=\\u0007\",",
                       "    \"product\": \"<h1>BIG\\r\",", "    \"string3\": \"\\u009b2J\\nX\""};
    QTest::newRow("diff") << hostile << QStringList{"diff", "x.rom", "qsol.quf"} << 1
        << QStringList{"version: \"03.64\\u001b\\u0007\\r<b>QSOLF\" -> \"03.64QSOLF\"",
                       "usb.manufacturer: \"\\u001b]52;c;SGk=\\u0007\" -> \"Norvale\"",
                       "usb.string3: \"\\u009b2J\\nX\" -> \"SN1\""};
    QTest::newRow("dry run") << ImageBuilder(K::Rom, "03.64\x1b\x07QSOLF").setStrings({"A", "B", "\x1b[2J"}).build()
        << QStringList{"write", "x.rom", "out.rom", "--code", "ABC", "--dry-run"} << 0
        << QStringList{"Firmware Version: 03.64\\x1B\\x07-ABC",
                       "version: \"03.64\\u001b\\u0007QSOLF\" -> \"03.64\\u001b\\u0007-ABCQSOLF\""};
    QTest::newRow("write") << ImageBuilder(K::Rom, "03.64\x1b\x07QSOLF").build()
        << QStringList{"write", "x.rom", "out.rom", "--code", "ABC"} << 0
        << QStringList{"Firmware Version 03.64\\x1B\\x07-ABCQSOLF"};
    QTest::newRow("refused version") << ImageBuilder(K::Rom, "03.54\x1b[2J\x07QHARF").build()
        << QStringList{"info", "x.rom"} << 1
        << QStringList{"brindle-cli: firmware version error: Firmware version 03.54\\x1B[2J\\x07QHARF not supported"};
    QTest::newRow("version too long after the code") << hostile
        << QStringList{"write", "x.rom", "out.rom", "--code", "ABC"} << 1
        << QStringList{"brindle-cli: file format error: Firmware version 03.64\\x1B\\x07\\x0D<b>-ABCQSOLF too long: "
                       "at most 16 characters fit"};
    QTest::newRow("prefix") << ImageBuilder(K::Bld, "03.64QWEXF").setDirPrefix("\x1b[2J").build()
        << QStringList{"info", "x.rom"} << 0 << QStringList{"Target Directory Prefix: \\x1B[2J"};
    QTest::newRow("option value") << ImageBuilder(K::Rom).build()
        << QStringList{"write", "x.rom", "out.rom", "--code", "ABC", "--parity", "\x1b[31m\u202e"} << 2
        << QStringList{"brindle-cli: --parity: \"\\x1B[31m\\u202E\" is not one of none, odd, even"};
#ifdef BRINDLE_HAVE_SPECIAL_FILES
    // Names given by the user, which Windows does not allow to hold control characters.
    QTest::newRow("target name") << ImageBuilder(K::Rom).build()
        << QStringList{"write", "x.rom", "out\x1b[2J\r.rom", "--code", "ABC"} << 0
        << QStringList{"Saved to disk as out\\x1B[2J\\x0D.rom"};
    QTest::newRow("target name with a line break") << ImageBuilder(K::Rom).build()
        << QStringList{"write", "x.rom", "out\nX.rom", "--code", "ABC"} << 0
        << QStringList{"Saved to disk as out\\x0AX.rom"};
    QTest::newRow("missing source name") << ImageBuilder(K::Rom).build()
        << QStringList{"info", "no\x07such\n.rom"} << 1
        << QStringList{"brindle-cli: could not open source file: no\\x07such\\x0A.rom was not found."};
#endif
}
// clang-format on

// Text from a firmware file or a name is shown as it is, its control characters escaped: no
// image can make a terminal set the clipboard, retitle the window or clear the screen.
void TestCli::fileTextEscaped()
{
    QFETCH(QByteArray, image);
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QStringList, shown);
    PrepareFixtures(args);
    QVERIFY(ImageBuilder::WriteFile(Path("x.rom"), image));
    const CliRun run = Run(args);
    QCOMPARE(run.exitCode, exitCode);
    for (const QString &text : {run.out, run.err}) {
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            const bool control = (u < 0x20 && u != u'\n') || (u >= 0x7F && u <= 0x9F) || (u >= 0x202A && u <= 0x202E);
            QVERIFY2(!control,
                     qPrintable(QStringLiteral("U+%1 in:\n").arg(unsigned(u), 4, 16, QLatin1Char('0')) + text));
        }
    }
    const QStringList lines = (run.out + run.err).split(QLatin1Char('\n'));
    for (const QString &line : shown)
        QVERIFY2(lines.contains(line), qPrintable(line + "\n--- not in ---\n" + run.out + run.err));
    if (args.contains(QStringLiteral("--json"))) {
        // The JSON still holds the file's own text.
        QJsonParseError error;
        const QJsonObject object = QJsonDocument::fromJson(run.out.toUtf8(), &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(object.value("version").toString(), QStringLiteral("03.64\x1b\x07\r<b>QSOLF"));
        QCOMPARE(object.value("usb").toObject().value("string3").toString(), QStringLiteral("\u009b2J\nX"));
    }
}

// clang-format off
void TestCli::commandLineMessages_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("err");  // without its line break; empty for a run that succeeds

    const QStringList write{"write", "qsol.quf", "out.quf", "--code", "ABC", "--dry-run"};
    const QString writeHelp = QStringLiteral("; see 'brindle-cli write --help'");
    // A long option with one dash is named as written, with the option it resembles.
    QTest::newRow("-json") << QStringList{"info", "qhar.rom", "-json"} << 2
                           << "brindle-cli: unknown option '-json' (did you mean --json?); see 'brindle-cli info --help'";
    QTest::newRow("-code=ABC") << QStringList{"write", "qhar.rom", "out.rom", "-code=ABC"} << 2
                               << "brindle-cli: unknown option '-code' (did you mean --code?)" + writeHelp;
    QTest::newRow("-dry-run") << (write + QStringList{"-dry-run"}) << 2
                              << "brindle-cli: unknown option '-dry-run' (did you mean --dry-run?)" + writeHelp;
    QTest::newRow("-json where there is none") << QStringList{"-json"} << 2
                                               << "brindle-cli: unknown option '-json'; see 'brindle-cli --help'";
    QTest::newRow("--jsno") << QStringList{"diff", "qhar.rom", "qhar.rom", "--jsno"} << 2
                            << "brindle-cli: unknown option '--jsno' (did you mean --json?); see 'brindle-cli diff --help'";
    // The option that a beginning names, or a near miss spells.
    QTest::newRow("--dry") << (write + QStringList{"--dry"}) << 2
                           << "brindle-cli: unknown option '--dry' (did you mean --dry-run?)" + writeHelp;
    QTest::newRow("--dryrun") << (write + QStringList{"--dryrun"}) << 2
                              << "brindle-cli: unknown option '--dryrun' (did you mean --dry-run?)" + writeHelp;
    QTest::newRow("--vers of info") << QStringList{"info", "qhar.rom", "--vers"} << 2
                                    << "brindle-cli: unknown option '--vers' (did you mean --version?); see 'brindle-cli info --help'";
    QTest::newRow("--vers of write") << (write + QStringList{"--vers"}) << 2
                                     << "brindle-cli: unknown option '--vers' (did you mean --version or --version-report?)" + writeHelp;
    QTest::newRow("--data=") << (write + QStringList{"--data=7"}) << 2
                             << "brindle-cli: unknown option '--data' (did you mean --data-bits or --data-mode?)" + writeHelp;
    QTest::newRow("no near miss") << QStringList{"info", "qhar.rom", "--jsonify"} << 2
                                  << "brindle-cli: unknown option '--jsonify'; see 'brindle-cli info --help'";
    QTest::newRow("-x") << QStringList{"info", "qhar.rom", "-x"} << 2
                        << "brindle-cli: unknown option '-x'; see 'brindle-cli info --help'";
    QTest::newRow("--help-all") << QStringList{"--help-all"} << 2
                                << "brindle-cli: unknown option '--help-all'; see 'brindle-cli --help'";
    QTest::newRow("--help-all after a command") << QStringList{"info", "--help-all"} << 2
                                                << "brindle-cli: unknown option '--help-all'; see 'brindle-cli info --help'";
    QTest::newRow("value missing") << QStringList{"write", "qhar.rom", "out.rom", "--code"} << 2
                                   << "brindle-cli: missing value after '--code'" + writeHelp;
    QTest::newRow("value where none is taken") << (write + QStringList{"--force=yes"}) << 2
                                               << "brindle-cli: unexpected value after '--force'" + writeHelp;
    QTest::newRow("a value may begin with a dash") << (write + QStringList{"--product", "-json"}) << 0 << "";
    QTest::newRow("help about no command") << QStringList{"help", "frob"} << 2
        << "brindle-cli: unknown command 'frob': use info, write or diff; see 'brindle-cli --help'";
    QTest::newRow("help about two commands") << QStringList{"help", "info", "diff"} << 2
                                             << "brindle-cli: unexpected argument 'diff'; see 'brindle-cli --help'";

    // Values: the rule and the range.
    QTest::newRow("code with a letter beyond A-Z") << QStringList{"write", "qhar.rom", "out.rom", "--code", QStringLiteral("\u00c9AB")} << 2
        << QStringLiteral("brindle-cli: --code: \"\u00c9AB\" must be exactly 3 characters A-Z or 0-9");
    QTest::newRow("baud rate beyond int") << (write + QStringList{"--baud", "3000000000"}) << 2
        << "brindle-cli: --baud: 3000000000 is not one of 300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, "
           "115200, 230400, 460800, 921600, 1000000, 1500000, 2000000, 3000000";
    QTest::newRow("negative baud rate") << (write + QStringList{"--baud", "-9600"}) << 2
        << "brindle-cli: --baud: -9600 is not one of 300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, "
           "115200, 230400, 460800, 921600, 1000000, 1500000, 2000000, 3000000";
    QTest::newRow("vendor ID one past ffff") << (write + QStringList{"--vid", "0x10000"}) << 2
                                             << "brindle-cli: --vid: 0x10000 is outside 0 to ffff";
    QTest::newRow("vendor ID negative") << (write + QStringList{"--vid", "-1"}) << 2
                                        << "brindle-cli: --vid: \"-1\" is not a hexadecimal number from 0 to ffff";

    // Which of the two files diff refuses.
    QTest::newRow("diff: first file missing") << QStringList{"diff", "missing.rom", "qhar.rom"} << 2
                                              << "brindle-cli: could not open first file: missing.rom was not found.";
    QTest::newRow("diff: second file not firmware") << QStringList{"diff", "qhar.rom", "short.rom"} << 2
        << "brindle-cli: second file short.rom: file format error: File not recognised as Norvale Firmware";
}
// clang-format on

// Every message of the command line is one line in one form: "brindle-cli: " and a message
// that begins in small letters or with the name it is about.
void TestCli::commandLineMessages()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, err);
    PrepareFixtures(args);
    const QStringList before = Entries(m_dir->path());
    const CliRun run = Run(args);
    QCOMPARE(run.err, err.isEmpty() ? err : err + QLatin1Char('\n'));
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(Entries(m_dir->path()), before);
    static const QRegularExpression form(QStringLiteral("^brindle-cli: [^A-Z]"));
    for (const QString &line : run.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        QVERIFY2(form.match(line).hasMatch(), qPrintable(line));
}

// clang-format off
void TestCli::blanksAroundValues_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("line");  // of the dry run's output, or standard error

    // Blanks around a number or a word do not count, for every such option alike.
    QTest::newRow("baud rate") << QStringList{"--baud", " 19200 "} << 0 << "baudRate: 9600 -> 19200";
    QTest::newRow("data bits") << QStringList{"--data-bits", "7\t"} << 0 << "dataBits: 8 -> 7";
    QTest::newRow("stop bits") << QStringList{"--stop-bits", "\t2"} << 0 << "stopBits: 1 -> 2";
    QTest::newRow("vendor ID") << QStringList{"--vid", " 0x1234 "} << 0 << "usb.vendorId: 0x2b3f -> 0x1234";
    QTest::newRow("product ID") << QStringList{"--pid", "\tabcd\n"} << 0 << "usb.productId: 0x5c10 -> 0xabcd";
    QTest::newRow("vendor ID with leading zeros") << QStringList{"--vid", "0x00001234"} << 0 << "usb.vendorId: 0x2b3f -> 0x1234";
    QTest::newRow("parity") << QStringList{"--parity", " odd "} << 0 << "parity: none -> odd";
    QTest::newRow("flag") << QStringList{"--prompt", "hide "} << 0 << "prompt: show -> hide";
    // A blank inside is no blank around.
    QTest::newRow("blank inside a number") << QStringList{"--baud", "19 200"} << 2
        << "brindle-cli: --baud: \"19 200\" is not a number; use one of 300, 600, 1200, 2400, 4800, 9600, 19200, "
           "38400, 57600, 115200, 230400, 460800, 921600, 1000000, 1500000, 2000000, 3000000";
    // Codes and texts are taken as they stand: a blank is a character of them.
    QTest::newRow("code") << QStringList{"--code", " AB"} << 2
                          << "brindle-cli: --code: \" AB\" must be exactly 3 characters A-Z or 0-9";
    QTest::newRow("product string") << QStringList{"--product", " Gizmo "} << 0 << "usb.product: \"Widget\" -> \" Gizmo \"";
}
// clang-format on

void TestCli::blanksAroundValues()
{
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, line);
    PrepareFixtures({"qsol.quf"});
    QStringList args{"write", "qsol.quf", "out.quf", "--dry-run"};
    if (!options.contains(QStringLiteral("--code")))
        args << "--code"
             << "ABC";
    const CliRun run = Run(args + options);
    QCOMPARE(run.exitCode, exitCode);
    const QStringList lines = (run.out + run.err).split(QLatin1Char('\n'));
    QVERIFY2(lines.contains(line), qPrintable(line + "\n--- not in ---\n" + run.out + run.err));
}

// clang-format off
void TestCli::wordsInAnyLetterCase_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("profile");  // given with --settings when not empty
    QTest::addColumn<QString>("line");        // of the dry run's output

    // A word in capitals or in mixed case is the same word, on the command line and in a profile.
    QTest::newRow("--parity ODD") << QStringList{"--parity", "ODD"} << QByteArray() << "parity: none -> odd";
    QTest::newRow("--flow Xon-Xoff") << QStringList{"--flow", "Xon-Xoff"} << QByteArray()
                                     << "flowControl: none -> xon-xoff";
    QTest::newRow("--input IPA") << QStringList{"--input", "IPA"} << QByteArray() << "inputMode: iph -> ipa";
    QTest::newRow("--command-set sCs") << QStringList{"--command-set", "sCs"} << QByteArray() << "commandSet: ecs -> scs";
    QTest::newRow("--led-flash OFF") << QStringList{"--led-flash", "OFF"} << QByteArray() << "ledFlash: on -> off";
    QTest::newRow("--prompt Hide") << QStringList{"--prompt", "Hide"} << QByteArray() << "prompt: show -> hide";
    QTest::newRow("--upgrades DISABLE") << QStringList{"--upgrades", "DISABLE"} << QByteArray()
                                        << "upgrades: allow -> disable";
    QTest::newRow("profile parity EVEN") << QStringList() << QByteArray(R"({"parity": "EVEN"})")
                                         << "parity: none -> even";
    QTest::newRow("profile flowControl Dtr-Dsr") << QStringList() << QByteArray(R"({"flowControl": "Dtr-Dsr"})")
                                                 << "flowControl: none -> dtr-dsr";
    QTest::newRow("profile commandSet SCS") << QStringList() << QByteArray(R"({"commandSet": "SCS"})")
                                            << "commandSet: ecs -> scs";
}
// clang-format on

void TestCli::wordsInAnyLetterCase()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, profile);
    QFETCH(QString, line);
    PrepareFixtures({"qsol.quf"});
    QStringList args{"write", "qsol.quf", "out.quf", "--code", "ABC", "--dry-run"};
    if (!profile.isEmpty()) {
        QVERIFY(ImageBuilder::WriteFile(Path(QStringLiteral("p.json")), profile));
        args << "--settings"
             << "p.json";
    }
    const CliRun run = Run(args + options);
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.split(QLatin1Char('\n')).contains(line), qPrintable(line + "\n--- not in ---\n" + run.out));
}

// clang-format off
void TestCli::helpScreens_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("usage");  // the first line
    QTest::addColumn<QStringList>("same");  // arguments that print the same screen

    const QString top = QStringLiteral("Usage: brindle-cli [options] command [arguments]");
    QTest::newRow("--help") << QStringList{"--help"} << top << QStringList{"help"};
    QTest::newRow("-h") << QStringList{"-h"} << top << QStringList{"help", "--help"};
    QTest::newRow("info") << QStringList{"info", "--help"} << "Usage: brindle-cli [options] info file" << QStringList{"help", "info"};
    QTest::newRow("write") << QStringList{"write", "-h"} << "Usage: brindle-cli [options] write source target"
                           << QStringList{"help", "write"};
    QTest::newRow("diff") << QStringList{"diff", "--help"} << "Usage: brindle-cli [options] diff a b" << QStringList{"help", "diff"};
}
// clang-format on

// Each help screen names the program, not the path it was started from, lists the exit codes
// and offers only what works; "help COMMAND" prints the command's own.
void TestCli::helpScreens()
{
    QFETCH(QStringList, args);
    QFETCH(QString, usage);
    QFETCH(QStringList, same);
    const CliRun run = Run(args);
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out.section(QLatin1Char('\n'), 0, 0), usage);
    QVERIFY2(run.out.contains(QStringLiteral("\nExit codes:\n  0  ")), qPrintable(run.out));
    QVERIFY2(run.out.contains(QStringLiteral("-h, --help")), qPrintable(run.out));
    QVERIFY2(run.out.contains(QStringLiteral("-v, --version")), qPrintable(run.out));
    QVERIFY2(!run.out.contains(QStringLiteral("--help-all")), qPrintable(run.out));
    const CliRun other = Run(same);
    QCOMPARE(other.exitCode, 0);
    QCOMPARE(other.out, run.out);
}

// ---- standard input and output, JSON errors, a folder as target ----------------------

// clang-format off
void TestCli::standardStreams_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("input");      // the fixture on standard input; "terminal", "closed" or empty
    QTest::addColumn<bool>("outTerminal");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("err");        // standard error, without its line break
    QTest::addColumn<QStringList>("same");   // a run with files that gives the same output
    QTest::addColumn<QString>("written");    // the file of `same` that standard output must equal

    const QStringList none;
    // Standard input as SOURCE, as a file to compare.
    QTest::newRow("info -") << QStringList{"info", "-"} << "qsol.quf" << false << 0 << "" << QStringList{"info", "qsol.quf"} << "";
    QTest::newRow("info - --json") << QStringList{"info", "--json", "-"} << "qwex.bld" << false << 0 << ""
                                   << QStringList{"info", "qwex.bld", "--json"} << "";
    QTest::newRow("diff - FILE") << QStringList{"diff", "-", "qsol2.rom"} << "qsol.quf" << false << 1 << ""
                                 << QStringList{"diff", "qsol.quf", "qsol2.rom"} << "";
    QTest::newRow("diff FILE -") << QStringList{"diff", "qhar.rom", "-"} << "qhar.quf" << false << 0 << ""
                                 << QStringList{"diff", "qhar.rom", "qhar.quf"} << "";
    QTest::newRow("write - TARGET") << QStringList{"write", "-", "out.quf", "--code", "ABC", "--baud", "19200"} << "qhar.rom" << false << 0 << ""
                                    << none << "";
    // Standard output as TARGET, in the layout --layout names: the bytes of the file that
    // the same run with a named target writes.
    QTest::newRow("write SOURCE - --layout quf")
        << QStringList{"write", "qsol.quf", "-", "--code", "ABC", "--layout", "quf", "--vid", "1234"} << "" << false << 0 << ""
        << QStringList{"write", "qsol.quf", "x.quf", "--code", "ABC", "--vid", "1234"} << "x.quf";
    QTest::newRow("write SOURCE - --layout rom") << QStringList{"write", "qwex.bld", "-", "--code", "ABC", "--layout", " rom "} << ""
                                                 << false << 0 << "" << QStringList{"write", "qwex.bld", "x.rom", "--code", "ABC"} << "x.rom";
    QTest::newRow("write SOURCE - --layout bld") << QStringList{"write", "qwex.bld", "-", "--code", "ABC", "--layout", "bld"} << ""
                                                 << false << 0 << "" << QStringList{"write", "qwex.bld", "x.bin", "--code", "ABC"} << "x.bin";
    QTest::newRow("write - -: a filter") << QStringList{"write", "-", "-", "--code", "F1L", "--layout", "rom"} << "qsol.quf"
                                         << false << 0 << "" << QStringList{"write", "qsol.quf", "x.rom", "--code", "F1L"} << "x.rom";
    QTest::newRow("write SOURCE - --dry-run") << QStringList{"write", "qhar.rom", "-", "--code", "ABC", "--layout", "quf", "--dry-run"}
                                              << "" << false << 0 << ""
                                              << QStringList{"write", "qhar.rom", "x.quf", "--code", "ABC", "--dry-run"} << "";
    // A file named "-" is reached as ./-.
    QTest::newRow("info ./-") << QStringList{"info", "./-"} << "" << false << 0 << "" << QStringList{"info", "qhar.rom"} << "";

    // Refusals: a terminal is neither read nor written; standard input serves one purpose.
    const QString stdinTerminal = "brindle-cli: could not open source file: Standard input is a terminal: give the firmware "
                                  "file with < FILE or through a pipe.";
    QTest::newRow("info - from a terminal") << QStringList{"info", "-"} << "terminal" << false << 1 << stdinTerminal << none << "";
    QTest::newRow("diff - from a terminal") << QStringList{"diff", "qhar.rom", "-"} << "terminal" << false << 2
        << "brindle-cli: could not open second file: Standard input is a terminal: give the firmware file with < FILE or "
           "through a pipe." << none << "";
    QTest::newRow("write - to a terminal") << QStringList{"write", "qhar.rom", "-", "--code", "ABC", "--layout", "rom"} << ""
        << true << 1
        << "brindle-cli: could not open destination file: Standard output is a terminal: send the image to a file with "
           "> FILE or into a pipe." << none << "";
    QTest::newRow("dry run to a terminal") << QStringList{"write", "qhar.rom", "-", "--code", "ABC", "--layout", "rom", "--dry-run"}
        << "" << true << 1
        << "brindle-cli: could not open destination file: Standard output is a terminal: send the image to a file with "
           "> FILE or into a pipe." << none << "";
    QTest::newRow("info - closed") << QStringList{"info", "-"} << "closed" << false << 1
        << "brindle-cli: could not open source file: Cannot read standard input: standard input is closed." << none << "";
    // Read only up to one byte past the longest image: anything longer is no firmware file.
    QTest::newRow("info - longer than any image") << QStringList{"info", "-"} << "qhar.quf+" << false << 1
        << "brindle-cli: file format error: File not recognised as Norvale Firmware" << none << "";
    QTest::newRow("info - of no firmware length") << QStringList{"info", "-"} << "short.rom" << false << 1
        << "brindle-cli: file format error: File not recognised as Norvale Firmware" << none << "";
    QTest::newRow("--layout missing") << QStringList{"write", "qhar.rom", "-", "--code", "ABC"} << "" << false << 2
        << "brindle-cli: --layout is required when TARGET is -: rom, quf or bld; see 'brindle-cli write --help'" << none << "";
    QTest::newRow("--layout for a file") << QStringList{"write", "qhar.rom", "x.quf", "--code", "ABC", "--layout", "rom"} << ""
        << false << 2 << "brindle-cli: --layout: only for TARGET -; a file's name decides its layout" << none << "";
    QTest::newRow("--layout unknown") << QStringList{"write", "qhar.rom", "-", "--code", "ABC", "--layout", "ROM"} << ""
        << false << 2 << "brindle-cli: --layout: \"ROM\" is not one of rom, quf, bld" << none << "";
    QTest::newRow("--layout bld of a ROM image") << QStringList{"write", "qhar.rom", "-", "--code", "ABC", "--layout", "bld"} << ""
        << false << 2 << "brindle-cli: --layout bld: SOURCE is a ROM image; only a BLD image is written as one" << none << "";
    QTest::newRow("SOURCE and profile on standard input")
        << QStringList{"write", "-", "out.rom", "--code", "ABC", "--settings", "-"} << "qhar.rom" << false << 2
        << "brindle-cli: --settings: standard input already holds SOURCE" << none << "";
    QTest::newRow("diff - -") << QStringList{"diff", "-", "-"} << "qhar.rom" << false << 2
        << "brindle-cli: standard input (-) can be only one of A and B" << none << "";
    QTest::newRow("standard input into a folder") << QStringList{"write", "-", "outdir", "--code", "ABC"} << "qhar.rom" << false << 1
        << "brindle-cli: could not open destination file: outdir is a folder, and standard input has no name to give the "
           "file in it." << none << "";
}
// clang-format on

// "-" is standard input as SOURCE or a file to compare, and standard output as TARGET, as git
// and jq take it: the output is what the same run with files gives, the written bytes those of
// the file. Neither is a terminal, and standard input is read only as far as the longest image.
void TestCli::standardStreams()
{
    QFETCH(QStringList, args);
    QFETCH(QString, input);
    QFETCH(bool, outTerminal);
    QFETCH(int, exitCode);
    QFETCH(QString, err);
    QFETCH(QStringList, same);
    QFETCH(QString, written);
    PrepareFixtures(args + same + QStringList{"qhar.rom"});
    QVERIFY(QDir().mkdir(Path("outdir")));
    QVERIFY(ImageBuilder::WriteFile(Path("-"), Fixture("qhar.rom")));

    CBufferConsole console;
    console.inTerminal = input == QLatin1String("terminal");
    console.inClosed = input == QLatin1String("closed");
    console.outTerminal = outTerminal;
    if (input.endsWith(QLatin1Char('+')))
        console.in = Fixture(input.chopped(1)) + QByteArray(1000, '\0');
    else if (!console.inTerminal && !console.inClosed)
        console.in = Fixture(input);
    const QStringList before = Entries(m_dir->path());
    const CliRun run = RunIn(m_dir->path(), args, console);
    QCOMPARE(run.err, err.isEmpty() ? err : err + QLatin1Char('\n'));
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(console.inAsked <= kUpgradeLength + 1, qPrintable(QString::number(console.inAsked)));
    if (console.inTerminal || !args.contains(QStringLiteral("-")))
        QCOMPARE(console.inAsked, qint64(0));
    if (exitCode != 0 && exitCode != 1) {
        QCOMPARE(run.out, QString());
        QCOMPARE(Entries(m_dir->path()), before);
    }
    if (same.isEmpty()) {
        if (!err.isEmpty())
            QCOMPARE(Entries(m_dir->path()), before);
        else if (args.at(1) == QLatin1String("-"))
            QCOMPARE(ImageBuilder::ReadFile(Path(args.at(2))).size(), kUpgradeLength);
        return;
    }
    const CliRun files = Run(same);
    QCOMPARE(run.exitCode, files.exitCode);
    if (written.isEmpty()) {
        QCOMPARE(run.out, files.out);
    } else {
        // Nothing but the image on standard output.
        QVERIFY(!console.out.isEmpty());
        QCOMPARE(console.out, ImageBuilder::ReadFile(Path(written)));
    }
}

// clang-format off
void TestCli::standardStreamsOfTheProgram_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("input");   // a fixture on standard input, or "tty"
    QTest::addColumn<QString>("output");  // "pipe", "full" or "tty"
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("err");

    QTest::newRow("info - from a pipe") << QStringList{"info", "-"} << "qsol.quf" << "pipe" << 0 << "";
    QTest::newRow("write - - from and to pipes") << QStringList{"write", "-", "-", "--code", "ABC", "--layout", "quf"}
                                                 << "qhar.bld" << "pipe" << 0 << "";
    QTest::newRow("write - to a full device") << QStringList{"write", "qhar.rom", "-", "--code", "ABC", "--layout", "rom"}
        << "" << "full" << 1 << QStringLiteral("brindle-cli: cannot write to standard output: %1\n").arg(QString::fromLocal8Bit(std::strerror(ENOSPC)));
    QTest::newRow("info - from a terminal") << QStringList{"info", "-"} << "tty" << "pipe" << 1
        << "brindle-cli: could not open source file: Standard input is a terminal: give the firmware file with < FILE or "
           "through a pipe.\n";
    QTest::newRow("write - to a terminal") << QStringList{"write", "qhar.rom", "-", "--code", "ABC", "--layout", "rom"}
        << "" << "tty" << 1
        << "brindle-cli: could not open destination file: Standard output is a terminal: send the image to a file with "
           "> FILE or into a pipe.\n";
}
// clang-format on

// The program's own standard streams: an image read from a pipe and written to one, byte for
// byte; a full device; and a terminal, on either side, refused.
void TestCli::standardStreamsOfTheProgram()
{
#ifndef BRINDLE_HAVE_SPECIAL_FILES
    QSKIP("No terminals or /dev/full on this platform");
#else
    QFETCH(QStringList, args);
    QFETCH(QString, input);
    QFETCH(QString, output);
    QFETCH(int, exitCode);
    QFETCH(QString, err);
    PrepareFixtures(args);
    if (output == QLatin1String("full") && !QFileInfo::exists(QStringLiteral("/dev/full")))
        QSKIP("No /dev/full on this system");
    if (!input.isEmpty() && input != QLatin1String("tty"))
        QVERIFY(ImageBuilder::WriteFile(Path("in.bin"), Fixture(input)));
    // A terminal of the test's own, opened before the program starts.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
    const QByteArray terminal = ::ptsname(master);
    const auto closeMaster = qScopeGuard([master] { ::close(master); });

    const CliRun run = RunProcess(m_dir->path(), args, [&](QProcess &p) {
        if (input == QLatin1String("tty") || output == QLatin1String("tty")) {
            const int fd = input == QLatin1String("tty") ? 0 : 1;
            p.setChildProcessModifier([terminal, fd] {
                const int slave = ::open(terminal.constData(), O_RDWR | O_NOCTTY);
                if (slave >= 0)
                    ::dup2(slave, fd);
            });
        }
        if (!input.isEmpty() && input != QLatin1String("tty"))
            p.setStandardInputFile(Path("in.bin"));
        if (output == QLatin1String("full"))
            p.setStandardOutputFile(QStringLiteral("/dev/full"));
    });
    QCOMPARE(run.err, err);
    QCOMPARE(run.exitCode, exitCode);
    if (exitCode != 0) {
        QCOMPARE(run.rawOut, QByteArray());
        return;
    }
    // What the library gives for the same input.
    CBufferConsole console;
    console.in = Fixture(input);
    const CliRun inProcess = RunIn(m_dir->path(), args, console);
    QCOMPARE(inProcess.exitCode, 0);
    QVERIFY(!run.rawOut.isEmpty());
    QCOMPARE(run.rawOut, inProcess.rawOut);
#endif
}

// clang-format off
void TestCli::jsonErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("path");  // null: the error is about no file

    const QString noPath;
    QTest::newRow("missing file") << QStringList{"info", "--json", "missing.rom"} << 1 << "Could not open source file"
                                  << "missing.rom was not found." << "missing.rom";
    QTest::newRow("not firmware") << QStringList{"info", "short.rom", "--json"} << 1 << "File Format Error"
                                  << "File not recognised as Norvale Firmware" << "short.rom";
    QTest::newRow("unknown version") << QStringList{"info", "old.rom", "--json"} << 1 << "Firmware Version Error"
                                     << "Firmware version 03.54QHARF not supported" << "old.rom";
    QTest::newRow("a folder") << QStringList{"info", "outdir", "--json"} << 1 << "Could not open source file"
                              << "outdir is a folder, not a firmware file." << "outdir";
    QTest::newRow("unknown option") << QStringList{"info", "qhar.rom", "--json", "--bogus"} << 2 << "Command Line Error"
                                    << "unknown option '--bogus'; see 'brindle-cli info --help'" << noPath;
    QTest::newRow("file missing") << QStringList{"info", "--json"} << 2 << "Command Line Error"
                                  << "missing arguments; see 'brindle-cli info --help'" << noPath;
    QTest::newRow("diff: second file missing") << QStringList{"diff", "qhar.rom", "missing.rom", "--json"} << 2
        << "Could not open second file" << "missing.rom was not found." << "missing.rom";
    QTest::newRow("diff: first file not firmware") << QStringList{"diff", "--json", "short.rom", "qhar.rom"} << 2
        << "File Format Error" << "File not recognised as Norvale Firmware" << "short.rom";
    QTest::newRow("diff: standard input twice") << QStringList{"diff", "--json", "-", "-"} << 2 << "Command Line Error"
        << "standard input (-) can be only one of A and B" << noPath;
    QTest::newRow("standard input not firmware") << QStringList{"info", "-", "--json"} << 1 << "File Format Error"
        << "File not recognised as Norvale Firmware" << "-";
#ifdef BRINDLE_HAVE_SPECIAL_FILES
    // Escapes for a terminal in the text; the JSON holds the name as it is (Windows allows no
    // control character in a name).
    QTest::newRow("name with a control character") << QStringList{"info", "--json", "no\x1b.rom"} << 1
        << "Could not open source file" << "no\x1b.rom was not found." << "no\x1b.rom";
#endif
}
// clang-format on

// Under --json an error is one JSON object on standard output, with the exit code of the
// error; standard error has its line as in text mode, and text mode prints nothing on standard
// output.
void TestCli::jsonErrors()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, caption);
    QFETCH(QString, text);
    QFETCH(QString, path);
    PrepareFixtures(args + QStringList{"qhar.rom"});
    QVERIFY(QDir().mkdir(Path("outdir")));

    CBufferConsole console;
    console.in = "not an image";
    const CliRun run = RunIn(m_dir->path(), args, console);
    QCOMPARE(run.exitCode, exitCode);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(run.rawOut, &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QJsonObject expected{
        {"error",
         QJsonObject{{"caption", caption}, {"text", text}, {"path", path.isNull() ? QJsonValue() : QJsonValue(path)}}}};
    QCOMPARE(document.object(), expected);
    QVERIFY2(!run.out.contains(QLatin1Char('\x1b')), qPrintable(run.out));
    QCOMPARE(run.err.count(QLatin1Char('\n')), 1);

    // Without --json: the same line on standard error, nothing on standard output.
    CBufferConsole plainConsole;
    plainConsole.in = console.in;
    const CliRun plain =
        RunIn(m_dir->path(), args.filter(QRegularExpression(QStringLiteral("^(?!--json$)"))), plainConsole);
    QCOMPARE(plain.exitCode, exitCode);
    QCOMPARE(plain.out, QString());
    QCOMPARE(plain.err, run.err);
}

// clang-format off
void TestCli::folderTarget_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");     // "outdir" is a folder
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("before");     // what outdir/<source> holds before: "", or bytes
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("err");
    QTest::addColumn<QString>("report");     // the last line of the report

    const QStringList code{"--code", "ABC"};
    QTest::newRow("ROM image into a folder") << "qhar.rom" << "outdir" << code << "" << 0 << "" << "Saved to disk as qhar.rom";
    QTest::newRow("upgrade file into a folder") << "qsol.quf" << "outdir" << code << "" << 0 << "" << "Saved to disk as qsol.quf";
    QTest::newRow("folder with a slash") << "qwex.bld" << "outdir/" << code << "" << 0 << "" << "Saved to disk as qwex.bld";
    QTest::newRow("name taken") << "qhar.rom" << "outdir" << code << "old" << 1
                                << "brindle-cli: file exists: qhar.rom exists; use --force to replace it\n" << "";
    QTest::newRow("name taken, --force") << "qhar.rom" << "outdir" << (code + QStringList{"--force"}) << "old" << 0 << ""
                                         << "Saved to disk as qhar.rom";
#ifdef BRINDLE_HAVE_SPECIAL_FILES
    QTest::newRow("link to a folder") << "qhar.rom" << "link" << code << "" << 0 << "" << "Saved to disk as qhar.rom";
#endif
}
// clang-format on

// A folder as TARGET takes the file under the source's name, as cp and mv do, by the rules of
// any target; the bytes are those of the same file named outright.
void TestCli::folderTarget()
{
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(QStringList, options);
    QFETCH(QString, before);
    QFETCH(int, exitCode);
    QFETCH(QString, err);
    QFETCH(QString, report);
    PrepareFixtures({source});
    QVERIFY(QDir().mkdir(Path("outdir")));
    QVERIFY(QDir().mkdir(Path("named")));
#ifdef BRINDLE_HAVE_SPECIAL_FILES
    QVERIFY(QFile::link(Path("outdir"), Path("link")));
#endif
    const QString inFolder = QDir(Path("outdir")).filePath(source);
    if (!before.isEmpty())
        QVERIFY(ImageBuilder::WriteFile(inFolder, before.toUtf8()));

    const CliRun run = Run(QStringList{"write", source, target} + options);
    QCOMPARE(run.err, err);
    QCOMPARE(run.exitCode, exitCode);
    if (exitCode != 0) {
        QCOMPARE(ImageBuilder::ReadFile(inFolder), before.toUtf8());
        return;
    }
    QCOMPARE(run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).constLast(), report);
    QCOMPARE(Entries(Path("outdir")), QStringList{source});
    QCOMPARE(Run(QStringList{"write", source, "named/" + source} + options).exitCode, 0);
    QCOMPARE(ImageBuilder::ReadFile(inFolder), ImageBuilder::ReadFile(QDir(Path("named")).filePath(source)));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
