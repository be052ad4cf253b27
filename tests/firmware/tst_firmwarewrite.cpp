// Writing: encoding the record into the image, converting between the three layouts by the
// destination's extension, and the faults that must leave an existing file as it was.

// Std
#include <algorithm>
#include <csignal>
#if defined(__unix__) || defined(__APPLE__)
#include <sys/resource.h>
#define BRINDLE_HAVE_RLIMIT 1
#endif

// Qt
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include "common/imagebuilder.h"
#include "common/uirecorder.h"
#include "firmware/firmwarerecord.h"
#include "firmware/layout.h"
#include "firmware/reflasher.h"
#include "nonregularfiles.h"
#include "recordstate.h"

// Offsets and values of the format, as the tests know them.
using namespace Literal;

namespace {

QByteArray ReflasherBlock()
{
    return QByteArray(reinterpret_cast<const char *>(Firmware::kReflasherBlock.data()),
                      qsizetype(Firmware::kReflasherBlock.size()));
}

// Overwrites `bytes` at image offset `offset` of a file whose image starts at `base`.
void Patch(QByteArray &file, int base, int offset, const QByteArray &bytes)
{
    file.replace(base + offset, bytes.size(), bytes);
}

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

// The string area as writing rebuilds it: three descriptors, then zeros up to 0xEBFF.
QByteArray RebuiltStrings(const QList<QString> &strings)
{
    QByteArray area;
    for (const QString &s : strings) {
        area.append(char((s.size() + 1) * 2));
        area.append(char(kStringDescriptorType));
        for (QChar c : s) {
            area.append(char(c.unicode() & 0xFF));
            area.append('\0');
        }
    }
    area.resize(kStringAreaEnd - kFirstString, '\0');
    return area;
}

#ifdef BRINDLE_HAVE_RLIMIT
// A file-size limit for the life of the object; writes past it fail with EFBIG.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_ok = ::getrlimit(RLIMIT_FSIZE, &m_saved) == 0;
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        m_ok = m_ok && ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    bool isActive() const { return m_ok; }

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = SIG_DFL;
    bool m_ok = false;
};
#endif

}  // namespace

class TestFirmwareWrite : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void baudRate_data();
    void baudRate();
    void lineFormat_data();
    void lineFormat();
    void flowControl_data();
    void flowControl();
    void flags_data();
    void flags();
    void parameterBlockKeptForOtherVersions();
    void versionText_data();
    void versionText();
    void usbIdentity_data();
    void usbIdentity();
    void usbStringsTooLong_data();
    void usbStringsTooLong();
    void versionTooLong();
    void usbAreaOfOtherTypesUntouched();
    void usbStringsKeptWhenAsLoaded();
    void dirPrefix_data();
    void dirPrefix();

    void conversions_data();
    void conversions();
    void upgradeHeader();
    void conversionsWorkInPlace();
    void bldTailZeroedWhateverTheBufferHeld();
    void reflasherBlock();
    void extensionRules_data();
    void extensionRules();
    void roundTrip_data();
    void roundTrip();
    void convertAndBack_data();
    void convertAndBack();

    void declinedOverwrite();
    void overwriteLongerFile();
    void targetNotARegularFile_data();
    void targetNotARegularFile();
    void targetNameNotEncodable();
    void namesInAnyScript();
    void destinationFolderMissing();
    void failedSaveKeepsLayout_data();
    void failedSaveKeepsLayout();
    void checkMatchesSave_data();
    void checkMatchesSave();
    void shortWriteKeepsTarget_data();
    void shortWriteKeepsTarget();
    void readOnlyDestination_data();
    void readOnlyDestination();
    void sourceOverwritten();
    void writeBeforeLoad();

private:
    QString freshFolder();
    QString fixture(const QByteArray &bytes);
    // Loads `bytes`; false (with a warning) unless the load succeeded quietly.
    bool load(CFirmwareRecord &rec, UiRecorder &ui, const QByteArray &bytes);
    // Writes the record to `name` in a fresh folder and returns the file, or a null array.
    QByteArray write(CFirmwareRecord &rec, UiRecorder &ui, const QString &name);

    QTemporaryDir m_dir;
    int m_serial = 0;
};

void TestFirmwareWrite::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

QString TestFirmwareWrite::freshFolder()
{
    const QString folder = m_dir.filePath(QStringLiteral("case%1").arg(++m_serial));
    if (!QDir().mkpath(folder))
        qFatal("cannot create %s", qPrintable(folder));
    return folder;
}

QString TestFirmwareWrite::fixture(const QByteArray &bytes)
{
    const QString path = m_dir.filePath(QStringLiteral("source%1.bin").arg(++m_serial));
    if (!ImageBuilder::WriteFile(path, bytes))
        qFatal("cannot write fixture %s", qPrintable(path));
    return path;
}

bool TestFirmwareWrite::load(CFirmwareRecord &rec, UiRecorder &ui, const QByteArray &bytes)
{
    ui.clear();
    const Firmware::FileResult result = rec.LoadFirmware(fixture(bytes));
    if (result != Firmware::FileResult::Done || !ui.messages.isEmpty()) {
        qWarning() << "load failed:" << int(result);
        return false;
    }
    return true;
}

QByteArray TestFirmwareWrite::write(CFirmwareRecord &rec, UiRecorder &ui, const QString &name)
{
    const QString path = QDir(freshFolder()).filePath(name);
    ui.clear();
    const Firmware::FileResult result = rec.WriteFirmware(path);
    if (result != Firmware::FileResult::Done || !ui.messages.isEmpty() || !ui.questions.isEmpty() || !ui.waitBalanced()
        || rec.m_strTargetFile != path) {
        qWarning() << "write failed:" << int(result) << (ui.messages.isEmpty() ? QString() : ui.messages.first().text);
        return QByteArray();
    }
    return ImageBuilder::ReadFile(path);
}

// ---- encoding -------------------------------------------------------------------------

// clang-format off
void TestFirmwareWrite::baudRate_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<QByteArray>("divisor");  // the three bytes written at image offset 0x53

    // The chip's divisor codes, byte for byte as the file must hold them.
    QTest::newRow("300") << 300 << QByteArray("\x10\x27\x00", 3);
    QTest::newRow("600") << 600 << QByteArray("\x88\x13\x00", 3);
    QTest::newRow("1200") << 1200 << QByteArray("\xC4\x09\x00", 3);
    QTest::newRow("2400") << 2400 << QByteArray("\xE2\x04\x00", 3);
    QTest::newRow("4800") << 4800 << QByteArray("\x71\x02\x00", 3);
    QTest::newRow("9600") << 9600 << QByteArray("\x38\x41\x00", 3);
    QTest::newRow("19200") << 19200 << QByteArray("\x9C\x80\x00", 3);
    QTest::newRow("38400") << 38400 << QByteArray("\x4E\xC0\x00", 3);
    QTest::newRow("57600") << 57600 << QByteArray("\x34\xC0\x00", 3);
    QTest::newRow("115200") << 115200 << QByteArray("\x1A\x00\x00", 3);
    QTest::newRow("230400") << 230400 << QByteArray("\x0D\x00\x00", 3);
    QTest::newRow("460800") << 460800 << QByteArray("\x06\x40\x00", 3);
    QTest::newRow("921600") << 921600 << QByteArray("\x03\x80\x00", 3);
    QTest::newRow("1000000") << 1000000 << QByteArray("\x03\x00\x00", 3);
    QTest::newRow("1500000") << 1500000 << QByteArray("\x02\x00\x00", 3);
    QTest::newRow("2000000") << 2000000 << QByteArray("\x01\x00\x00", 3);
    QTest::newRow("3000000") << 3000000 << QByteArray("\x00\x00\x00", 3);

    // A rate outside the table stores the code of 9600.
    QTest::newRow("12345 stores the 9600 code") << 12345 << QByteArray("\x38\x41\x00", 3);
    QTest::newRow("0 stores the 9600 code") << 0 << QByteArray("\x38\x41\x00", 3);
    QTest::newRow("-9600 stores the 9600 code") << -9600 << QByteArray("\x38\x41\x00", 3);
}
// clang-format on

void TestFirmwareWrite::baudRate()
{
    QFETCH(int, rate);
    QFETCH(QByteArray, divisor);
    // The source's third divisor byte is set: writing must clear it.
    const QByteArray source = ImageBuilder(ImageBuilder::Rom).setDivisor(0xFF0003).build();
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QVERIFY(load(rec, ui, source));
    rec.m_nBaudRate = rate;
    QByteArray expected = source;
    Patch(expected, 0, kDivisor, divisor);
    QCOMPARE(write(rec, ui, QStringLiteral("out.bin")), expected);
}

// clang-format off
void TestFirmwareWrite::lineFormat_data()
{
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("stopBits");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("line");
    QTest::newRow("8N1") << 8 << 1 << 0 << 0x00;
    QTest::newRow("7N1") << 7 << 1 << 0 << 0x01;
    QTest::newRow("8N2") << 8 << 2 << 0 << 0x04;
    QTest::newRow("8O1") << 8 << 1 << 1 << 0x08;
    QTest::newRow("8E1") << 8 << 1 << 2 << 0x18;
    QTest::newRow("7E2") << 7 << 2 << 2 << 0x1D;
    QTest::newRow("parity 3 is some parity") << 8 << 1 << 3 << 0x08;
}
// clang-format on

void TestFirmwareWrite::lineFormat()
{
    QFETCH(int, dataBits);
    QFETCH(int, stopBits);
    QFETCH(int, parity);
    QFETCH(int, line);
    // Reserved bits in the source are written as 0.
    const QByteArray source = ImageBuilder(ImageBuilder::Bld).setLine(0xE2).build();
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QVERIFY(load(rec, ui, source));
    rec.m_nDataBits = dataBits;
    rec.m_nStopBits = stopBits;
    rec.m_nParity = parity;
    QByteArray expected = source;
    expected[kLineFormat] = char(line);
    QCOMPARE(write(rec, ui, QStringLiteral("out.bld")), expected);
}

// clang-format off
void TestFirmwareWrite::flowControl_data()
{
    QTest::addColumn<int>("setting");
    QTest::addColumn<int>("flow");
    QTest::newRow("none") << 0 << 0x00;
    QTest::newRow("CTS/RTS") << 1 << 0x01;
    QTest::newRow("DTR/DSR") << 2 << 0x02;
    QTest::newRow("XON/XOFF") << 3 << 0x04;
    // Nobody chose a flow control: the byte the file holds stays.
    QTest::newRow("unknown keeps the byte") << 4 << 0x03;
}
// clang-format on

void TestFirmwareWrite::flowControl()
{
    QFETCH(int, setting);
    QFETCH(int, flow);
    const QByteArray source = ImageBuilder(ImageBuilder::Upgrade).setFlow(0x03).build();
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QVERIFY(load(rec, ui, source));
    rec.m_nFlowControl = setting;
    QByteArray expected = source;
    expected[kHeaderSize + kFlowControl] = char(flow);
    QCOMPARE(write(rec, ui, QStringLiteral("out.bin")), expected);
}

// clang-format off
void TestFirmwareWrite::flags_data()
{
    using namespace RecordState;
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("init");
    QTest::addColumn<int>("option");
    QTest::newRow("nothing set") << 0 << 0x00 << 0x00;
    QTest::newRow("IPA input") << int(AsciiInput) << 0x01 << 0x00;
    QTest::newRow("short command set") << int(ShortCommandSet) << 0x02 << 0x00;
    QTest::newRow("no LED flash") << int(DisableLedFlash) << 0x80 << 0x00;
    QTest::newRow("no prompt") << int(HidePrompt) << 0x00 << 0x01;
    QTest::newRow("no data mode") << int(DisableDataMode) << 0x00 << 0x02;
    QTest::newRow("no connects") << int(HideConnects) << 0x00 << 0x04;
    QTest::newRow("no status info") << int(DisableStatusInfo) << 0x00 << 0x08;
    QTest::newRow("no version report") << int(HideVersionReport) << 0x00 << 0x40;
    QTest::newRow("no upgrades") << int(DisableUpgrades) << 0x00 << 0x80;
    QTest::newRow("everything") << int(AllFlags) << 0x83 << 0xCF;
}
// clang-format on

void TestFirmwareWrite::flags()
{
    QFETCH(int, flags);
    QFETCH(int, init);
    QFETCH(int, option);
    // Reserved bits of both bytes are set in the source and must come out as 0.
    const QByteArray source = ImageBuilder(ImageBuilder::Rom).setInit(0x7C).setOption(0x30).build();
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QVERIFY(load(rec, ui, source));
    RecordState::SetFlags(rec, flags);
    QByteArray expected = source;
    expected[kInitByte] = char(init);
    expected[kOptionByte] = char(option);
    QCOMPARE(write(rec, ui, QStringLiteral("out.bin")), expected);
}

void TestFirmwareWrite::parameterBlockKeptForOtherVersions()
{
    const QByteArray source = ImageBuilder(ImageBuilder::Rom).setLine(0xE2).setFlow(0x03).build();
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QVERIFY(load(rec, ui, source));
    // A buffer whose parameter layout writing does not know.
    RecordImageAccess::SetByte(rec, kParamsVersion, 2);
    rec.m_nBaudRate = 300;
    rec.m_nFlowControl = 1;
    RecordState::SetFlags(rec, RecordState::AllFlags);
    rec.m_strVersion = QStringLiteral("03.64-ABCQHARF");

    QByteArray expected = source;
    expected[kParamsVersion] = 2;
    Patch(expected, 0, kVersionText, "03.64-ABCQHARF");
    QCOMPARE(write(rec, ui, QStringLiteral("out.bin")), expected);
}

// clang-format off
void TestFirmwareWrite::versionText_data()
{
    QTest::addColumn<QByteArray>("original");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QByteArray>("stored");  // the 16 bytes at 0x20 afterwards

    QTest::newRow("code inserted") << QByteArray("03.64QHARF") << "03.64-ABCQHARF"
                                   << QByteArray("03.64-ABCQHARF\0\0", 16);
    // A shorter text gets one zero byte after it, so the old text's tail does not join it;
    // the bytes behind that stay as they were.
    QTest::newRow("shorter text ends at a zero byte")
        << QByteArray("03.64-ABCQHARF") << "03.64QHARF" << QByteArray("03.64QHARF\0ARF\0\0", 16);
    QTest::newRow("shorter than a 16-character text")
        << QByteArray("03.64-ABCDEQHARF") << "03.64-XYZQHARF" << QByteArray("03.64-XYZQHARF\0F", 16);
    QTest::newRow("exactly 16 characters, no terminator")
        << QByteArray("03.64QHARF") << "03.64-ABCDEQHARF" << QByteArray("03.64-ABCDEQHARF");
    QTest::newRow("low byte of each character")
        << QByteArray("03.64QHARF") << QStringLiteral("03.64") + QChar(0x141) + QStringLiteral("QHARF")
        << QByteArray("03.64AQHARF\0\0\0\0\0", 16);
}
// clang-format on

void TestFirmwareWrite::versionText()
{
    QFETCH(QByteArray, original);
    QFETCH(QString, version);
    QFETCH(QByteArray, stored);
    const QByteArray source = ImageBuilder(ImageBuilder::Rom, original).build();
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QVERIFY(load(rec, ui, source));
    rec.m_strVersion = version;
    QByteArray expected = source;
    Patch(expected, 0, kVersionText, stored);
    QCOMPARE(write(rec, ui, QStringLiteral("out.bin")), expected);
}

// clang-format off
void TestFirmwareWrite::usbIdentity_data()
{
    QTest::addColumn<int>("deviceLength");
    QTest::addColumn<int>("languageLength");
    QTest::addColumn<QString>("manufacturer");
    QTest::addColumn<QString>("product");
    QTest::addColumn<QString>("string3");

    QTest::newRow("three strings") << 0x12 << 4 << "Acme" << "Gadget" << "42";
    QTest::newRow("empty strings") << 0x12 << 4 << "" << "" << "";
    QTest::newRow("wide characters keep their low byte")
        << 0x12 << 4 << QString(QChar(0x20AC)) << QStringLiteral("\u00e9t\u00e9") << "";
    QTest::newRow("123 characters fill the area")
        << 0x12 << 4 << QString(100, QLatin1Char('M')) << QString(20, QLatin1Char('P')) << "333";
    QTest::newRow("device length 8 keeps the IDs") << 8 << 4 << "Acme" << "Gadget" << "42";
    // Without a language descriptor of length 4 nothing in the string area is written, so
    // strings of any length are fine.
    QTest::newRow("language length 6 keeps the strings")
        << 0x12 << 6 << QString(200, QLatin1Char('L')) << "x" << "";
}
// clang-format on

void TestFirmwareWrite::usbIdentity()
{
    QFETCH(int, deviceLength);
    QFETCH(int, languageLength);
    QFETCH(QString, manufacturer);
    QFETCH(QString, product);
    QFETCH(QString, string3);

    ImageBuilder b(ImageBuilder::Upgrade, "03.66QSOLA");
    b.setDeviceDescriptor(quint8(deviceLength), 0x0403, 0x6001).setStrings({"Old maker", "Old product", "S3"});
    b.setByte(kStringArea, quint8(languageLength));
    const QByteArray source = b.build();

    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QVERIFY(load(rec, ui, source));
    rec.m_nVendorId = 0x1A2B5;  // only the low 16 bits fit
    rec.m_nProductId = 0xBEEF;
    rec.m_strManufacturer = manufacturer;
    rec.m_strProduct = product;
    rec.m_strString3 = string3;

    QByteArray expected = source;
    if (deviceLength > kDeviceDescriptorMinLength)
        Patch(expected, kHeaderSize, kVendorId, Bytes({0xB5, 0xA2, 0xEF, 0xBE}));
    if (languageLength == kLanguageDescriptorLength)
        Patch(expected, kHeaderSize, kFirstString, RebuiltStrings({manufacturer, product, string3}));
    QCOMPARE(write(rec, ui, QStringLiteral("out.QUF")), expected);
}

void TestFirmwareWrite::versionTooLong()
{
    // Seventeen characters do not fit the 16-byte field; cut short, the text would lose its
    // type code. Nothing changes and nothing is written.
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QVERIFY(load(rec, ui, ImageBuilder(ImageBuilder::Rom, "03.64ABCDEQLYT1F").build()));
    const QByteArray before = RecordState::Buffer(rec, kBufferSize);
    rec.m_nBaudRate = 300;
    rec.m_strVersion = QStringLiteral("03.64ABCDE-XYZQLYT1F");

    const QString path = QDir(freshFolder()).filePath(QStringLiteral("out.quf"));
    ui.clear();
    QCOMPARE(rec.WriteFirmware(path), Firmware::FileResult::Refused);
    QVERIFY(ui.questions.isEmpty());
    QVERIFY_REFUSED(ui, QStringLiteral("Firmware version 03.64ABCDE-XYZQLYT1F too long: at most 16 characters fit"),
                    QStringLiteral("File Format Error"));
    QVERIFY(!QFile::exists(path));
    QCOMPARE(rec.m_nFileKind, int(KindRom));
    QCOMPARE(RecordState::Buffer(rec, kBufferSize), before);
}

// clang-format off
void TestFirmwareWrite::usbStringsTooLong_data()
{
    QTest::addColumn<int>("manufacturer");
    QTest::addColumn<int>("product");
    QTest::addColumn<int>("string3");
    QTest::newRow("124 in the first") << 124 << 0 << 0;
    QTest::newRow("124 in the third") << 0 << 0 << 124;
    QTest::newRow("124 spread over three") << 41 << 41 << 42;
    QTest::newRow("127 in one, more than a length byte holds") << 127 << 0 << 0;
}
// clang-format on

void TestFirmwareWrite::usbStringsTooLong()
{
    QFETCH(int, manufacturer);
    QFETCH(int, product);
    QFETCH(int, string3);

    ImageBuilder b(ImageBuilder::Rom, "03.66QSOLA");
    b.setStrings({"Maker", "Thing", "3"});
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QVERIFY(load(rec, ui, b.build()));
    const QByteArray before = RecordState::Buffer(rec, kBufferSize);
    rec.m_nBaudRate = 300;  // would change the buffer if anything were encoded
    rec.m_strVersion = QStringLiteral("03.66-XYZQSOLA");
    rec.m_strManufacturer = QString(manufacturer, QLatin1Char('m'));
    rec.m_strProduct = QString(product, QLatin1Char('p'));
    rec.m_strString3 = QString(string3, QLatin1Char('3'));

    const QString path = QDir(freshFolder()).filePath(QStringLiteral("out.quf"));
    ui.clear();
    QCOMPARE(rec.WriteFirmware(path), Firmware::FileResult::Refused);
    QVERIFY(ui.questions.isEmpty());
    QVERIFY_REFUSED(ui, QStringLiteral("USB strings too long: at most 123 characters fit"),
                    QStringLiteral("File Format Error"));
    QVERIFY(!QFile::exists(path));
    QVERIFY(rec.m_strTargetFile.isEmpty());
    QCOMPARE(rec.m_nFileKind, int(KindRom));
    QCOMPARE(rec.m_nFileLength, kRomLength);
    QCOMPARE(RecordState::Buffer(rec, kBufferSize), before);
}

void TestFirmwareWrite::usbAreaOfOtherTypesUntouched()
{
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    ImageBuilder qsol(ImageBuilder::Rom, "03.66QSOLA");
    qsol.setDeviceDescriptor(0x12, 0x1111, 0x2222).setStrings({"QSOL maker", "QSOL product", "3"});
    QVERIFY(load(rec, ui, qsol.build()));

    ImageBuilder qhar(ImageBuilder::Rom, "03.64QHARF");
    qhar.setDeviceDescriptor(0x12, 0xAAAA, 0xBBBB).setStrings({"QHAR maker", "QHAR product", "3"});
    const QByteArray source = qhar.build();
    QVERIFY(load(rec, ui, source));
    // The USB members still hold the QSOL values; the QHAR image must not receive them.
    QCOMPARE(rec.m_strManufacturer, QStringLiteral("QSOL maker"));
    QCOMPARE(rec.m_nVendorId, 0x1111);
    QCOMPARE(write(rec, ui, QStringLiteral("out.rom")), source);
}

// clang-format off
void TestFirmwareWrite::dirPrefix_data()
{
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QByteArray>("stored");  // the source holds "SNAP"
    QTest::newRow("QWEX") << QByteArray("03.64QWEXF") << "ABCD" << QByteArray("ABCD");
    QTest::newRow("QJ4J") << QByteArray("03.64QJ4JF") << "Z9Y8" << QByteArray("Z9Y8");
    QTest::newRow("short prefix keeps the rest") << QByteArray("03.64QWEXF") << "AB" << QByteArray("ABAP");
    QTest::newRow("empty prefix keeps all") << QByteArray("03.64QJ4JF") << "" << QByteArray("SNAP");
    QTest::newRow("long prefix is cut") << QByteArray("03.64QWEXF") << "ABCDE" << QByteArray("ABCD");
    QTest::newRow("QHAR has no prefix") << QByteArray("03.64QHARF") << "ABCD" << QByteArray("SNAP");
    QTest::newRow("QSOL has no prefix") << QByteArray("03.64QSOLF") << "ABCD" << QByteArray("SNAP");
}
// clang-format on

void TestFirmwareWrite::dirPrefix()
{
    QFETCH(QByteArray, version);
    QFETCH(QString, prefix);
    QFETCH(QByteArray, stored);
    const QByteArray source = ImageBuilder(ImageBuilder::Bld, version).setDirPrefix("SNAP").build();
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QVERIFY(load(rec, ui, source));
    rec.m_strDirPrefix = prefix;
    QByteArray expected = source;
    Patch(expected, 0, kDirPrefix, stored);
    QCOMPARE(write(rec, ui, QStringLiteral("out.bld")), expected);
}

// Strings that the image holds beyond the room a rewrite has are not rewritten: a save
// that changes nothing else must not fail because of them.
void TestFirmwareWrite::usbStringsKeptWhenAsLoaded()
{
    ImageBuilder b(ImageBuilder::Rom, "03.66QSOLA");
    b.setStrings({});
    // One descriptor that claims 250 bytes: 124 characters decode before the area ends.
    b.setByte(kFirstString, 250).setByte(kFirstString + 1, kStringDescriptorType);
    for (int pos = kFirstString + 2; pos < kStringAreaEnd; pos += 2)
        b.setByte(pos, 'a' + pos % 26).setByte(pos + 1, 0);
    const QByteArray source = b.build();
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QVERIFY(load(rec, ui, source));
    QVERIFY(rec.m_strManufacturer.size() + rec.m_strProduct.size() + rec.m_strString3.size() > kMaxUsbStringChars);

    rec.m_nBaudRate = 300;
    rec.m_nVendorId = 0x1234;
    QByteArray expected = source;
    Patch(expected, 0, kDivisor, Bytes({0x10, 0x27, 0x00}));
    Patch(expected, 0, kVendorId, Bytes({0x34, 0x12}));
    QCOMPARE(write(rec, ui, QStringLiteral("out.rom")), expected);

    rec.m_strProduct = QStringLiteral("x");  // now a change that does not fit
    ui.clear();
    QCOMPARE(rec.WriteFirmware(QDir(freshFolder()).filePath(QStringLiteral("again.rom"))),
             Firmware::FileResult::Refused);
    QVERIFY_REFUSED(ui, QStringLiteral("USB strings too long: at most 123 characters fit"),
                    QStringLiteral("File Format Error"));
}

// ---- conversions ----------------------------------------------------------------------

// clang-format off
void TestFirmwareWrite::conversions_data()
{
    QTest::addColumn<QString>("source");  // "rom", "bld", "quf", "rom66048", "quf-junk-header"
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("result");  // layout of the written file
    QTest::addColumn<int>("kind");

    QTest::newRow("ROM to .quf") << "rom" << "out.quf" << "header+image" << int(KindUpgrade);
    QTest::newRow("ROM to .rom") << "rom" << "out.rom" << "image" << int(KindRom);
    QTest::newRow("ROM to .bin") << "rom" << "out.bin" << "image" << int(KindRom);
    QTest::newRow("QUF to .rom") << "quf" << "out.rom" << "image" << int(KindRom);
    QTest::newRow("QUF to .quf") << "quf" << "out.quf" << "header+image" << int(KindUpgrade);
    QTest::newRow("QUF to .bin keeps its header") << "quf-junk-header" << "out.bin" << "source" << int(KindUpgrade);
    QTest::newRow("QUF to .quf gets a fresh header")
        << "quf-junk-header" << "out.quf" << "header+image" << int(KindUpgrade);
    QTest::newRow("BLD to .rom adds the reflasher") << "bld" << "out.rom" << "bld+reflasher" << int(KindRom);
    QTest::newRow("BLD to .quf fills with zeros") << "bld" << "out.quf" << "header+bld+zeros" << int(KindUpgrade);
    QTest::newRow("BLD to .bin") << "bld" << "out.bin" << "bld" << int(KindBld);
    QTest::newRow("66048-byte ROM to .rom keeps its length") << "rom66048" << "out.rom" << "source" << int(KindRom);
    QTest::newRow("66048-byte ROM to .quf") << "rom66048" << "out.quf" << "header+image" << int(KindUpgrade);
}
// clang-format on

void TestFirmwareWrite::conversions()
{
    QFETCH(QString, source);
    QFETCH(QString, name);
    QFETCH(QString, result);
    QFETCH(int, kind);

    const QByteArray version = "03.64-ABCQTIMZ";
    const ImageBuilder rom(ImageBuilder::Rom, version);
    const QByteArray image = rom.build();

    QByteArray file;
    if (source == QLatin1String("rom"))
        file = image;
    else if (source == QLatin1String("bld"))
        file = ImageBuilder(ImageBuilder::Bld, version).build();
    else if (source == QLatin1String("quf"))
        file = ImageBuilder(ImageBuilder::Upgrade, version).build();
    else if (source == QLatin1String("rom66048"))
        file = image + QByteArray(kHeaderSize, '\x77');
    else if (source == QLatin1String("quf-junk-header")) {
        file = ImageBuilder(ImageBuilder::Upgrade, version).build();
        Patch(file, 0, 0x30, "junk");
        file[0x100] = '\x42';
        file[kHeaderSize - 1] = '\x99';
        Patch(file, 0, kHeaderVersion, QByteArray("OLD VERSION TEXT"));
    }

    QByteArray expected;
    if (result == QLatin1String("image"))
        expected = image;
    else if (result == QLatin1String("header+image"))
        expected = ImageBuilder::UpgradeHeader(version) + image;
    else if (result == QLatin1String("source"))
        expected = file;
    else if (result == QLatin1String("bld+reflasher"))
        expected = image.left(kBldLength) + ReflasherBlock();
    else if (result == QLatin1String("header+bld+zeros"))
        expected = ImageBuilder::UpgradeHeader(version) + image.left(kBldLength) + QByteArray(kReflasherSize, '\0');
    else if (result == QLatin1String("bld"))
        expected = image.left(kBldLength);

    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QVERIFY(load(rec, ui, file));
    QCOMPARE(write(rec, ui, name), expected);
    QCOMPARE(rec.m_nFileKind, kind);
    QCOMPARE(rec.m_nFileLength, int(expected.size()));
}

// The header of a written upgrade file, byte by byte: the signature, code type 1 at 31, a
// 16-character version text from 32 with no terminator, zeros at 48-51, 0x78 at 52, zeros to 511.
void TestFirmwareWrite::upgradeHeader()
{
    const QByteArray image = ImageBuilder(ImageBuilder::Rom, "03.64-ABCDEQJ4J1").build();
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QVERIFY(load(rec, ui, image));
    const QByteArray file = write(rec, ui, QStringLiteral("out.quf"));
    QCOMPARE(file.size(), qsizetype(66048));

    QByteArray header(512, '\0');
    header.replace(0, 31, Signature());
    header[31] = '\x01';
    header.replace(32, 16, "03.64-ABCDEQJ4J1");
    header[52] = '\x78';
    QCOMPARE(file.left(512), header);
    QCOMPARE(file.mid(512), image);
}

void TestFirmwareWrite::conversionsWorkInPlace()
{
    const QByteArray image = ImageBuilder(ImageBuilder::Rom).build();
    QByteArray buffer = image;
    buffer.resize(kBufferSize, '\0');
    const auto bytes = [&buffer](int length) { return buffer.left(length); };
    Layout::Buffer b{reinterpret_cast<quint8 *>(buffer.data()), KindRom, kRomLength};

    Layout::ConvertTo(b, KindUpgrade, QStringLiteral("03.64QHARF"));
    QCOMPARE(b.kind, int(KindUpgrade));
    QCOMPARE(b.length, kUpgradeLength);
    QCOMPARE(bytes(kUpgradeLength), ImageBuilder::UpgradeHeader("03.64QHARF") + image);

    // An upgrade file made again gets a fresh header.
    Layout::ConvertTo(b, KindUpgrade, QStringLiteral("03.64-ABCQHARF"));
    QCOMPARE(bytes(kUpgradeLength), ImageBuilder::UpgradeHeader("03.64-ABCQHARF") + image);

    Layout::ConvertTo(b, KindRom, QString());
    QCOMPARE(b.kind, int(KindRom));
    QCOMPARE(b.length, kRomLength);
    QCOMPARE(bytes(kRomLength), image);

    // A ROM image stays as it is, and so does any buffer for a kind that is no conversion.
    Layout::ConvertTo(b, KindRom, QString());
    QCOMPARE(bytes(kRomLength), image);
    Layout::ConvertTo(b, -1, QString());
    QCOMPARE(b.kind, int(KindRom));
    QCOMPARE(bytes(kRomLength), image);
}

void TestFirmwareWrite::bldTailZeroedWhateverTheBufferHeld()
{
    // The buffer past a BLD file's length has no defined contents; an upgrade file made
    // from it must still end in 4096 zero bytes.
    const QByteArray bld = ImageBuilder(ImageBuilder::Bld).build();
    QByteArray buffer = bld;
    buffer.resize(kBufferSize, '\xA5');
    Layout::Buffer b{reinterpret_cast<quint8 *>(buffer.data()), KindBld, kBldLength};
    Layout::ConvertTo(b, KindUpgrade, QStringLiteral("03.64QHARF"));
    QCOMPARE(buffer.left(kUpgradeLength),
             ImageBuilder::UpgradeHeader("03.64QHARF") + bld + QByteArray(kReflasherSize, '\0'));
}

void TestFirmwareWrite::reflasherBlock()
{
    // The block a BLD image is completed with is resources/reflasher.bin as it stood at build
    // time, byte for byte: replacing that file is all it takes to ship another block.
    QFile source(QStringLiteral(BRINDLE_REFLASHER_BIN));
    QVERIFY2(source.open(QIODevice::ReadOnly), qPrintable(source.fileName()));
    const QByteArray block = ReflasherBlock();
    QCOMPARE(block, source.readAll());
    // The chip's reflasher: 4 KiB that open with its first instructions and hold its version.
    QCOMPARE(block.size(), qsizetype(4096));
    QCOMPARE(block.left(6), QByteArray("\xC0\x01\x52\xDC\x67\xF0", 6));
    QCOMPARE(block.mid(0xF00, 5), QByteArray("1.00R"));
}

// clang-format off
void TestFirmwareWrite::extensionRules_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("relative");  // written from inside the folder, as a bare name
    QTest::addColumn<int>("kind");       // the source is a BLD image

    QTest::newRow(".ROM") << "x.ROM" << false << int(KindRom);
    QTest::newRow(".Rom") << "x.Rom" << false << int(KindRom);
    QTest::newRow(".rOm") << "x.rOm" << false << int(KindRom);
    QTest::newRow(".quf") << "x.quf" << false << int(KindUpgrade);
    QTest::newRow(".QuF") << "x.QuF" << false << int(KindUpgrade);
    QTest::newRow(".rom.bak") << "x.rom.bak" << false << int(KindBld);
    QTest::newRow(".romx") << "x.romx" << false << int(KindBld);
    QTest::newRow(".ro") << "x.ro" << false << int(KindBld);
    QTest::newRow("trailing dot") << "xrom." << false << int(KindBld);
    QTest::newRow("no dot") << "xrom" << false << int(KindBld);
    QTest::newRow("dot only in a folder name") << "dir.rom/x" << false << int(KindBld);
    QTest::newRow("path that starts with its only dot") << ".ROM" << true << int(KindBld);
    QTest::newRow("bare name with extension") << "x.quf" << true << int(KindUpgrade);
    QTest::newRow("hidden file in a folder") << ".quf" << false << int(KindUpgrade);
}
// clang-format on

void TestFirmwareWrite::extensionRules()
{
    QFETCH(QString, name);
    QFETCH(bool, relative);
    QFETCH(int, kind);

    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QVERIFY(load(rec, ui, ImageBuilder(ImageBuilder::Bld).build()));

    const QString folder = freshFolder();
    const QString path = relative ? name : QDir(folder).filePath(name);
    QVERIFY(QDir(folder).mkpath(QFileInfo(QDir(folder).filePath(name)).path()));
    const QString savedCurrent = QDir::currentPath();
    if (relative)
        QVERIFY(QDir::setCurrent(folder));
    const Firmware::FileResult result = rec.WriteFirmware(path);
    if (relative)
        QDir::setCurrent(savedCurrent);

    QCOMPARE(result, Firmware::FileResult::Done);
    QCOMPARE(rec.m_nFileKind, kind);
    const int length = kind == KindRom ? kRomLength : kind == KindUpgrade ? kUpgradeLength : kBldLength;
    QCOMPARE(rec.m_nFileLength, length);
    QCOMPARE(QFileInfo(QDir(folder).filePath(name)).size(), qint64(length));
}

// clang-format off
void TestFirmwareWrite::roundTrip_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("name");

    QTest::newRow("ROM QHAR") << ImageBuilder(ImageBuilder::Rom).build() << "same.rom";
    QTest::newRow("BLD QWEX")
        << ImageBuilder(ImageBuilder::Bld, "03.55QWEXF").setDirPrefix("D0C5").build() << "same.bld";
    QTest::newRow("QUF QBEN")
        << ImageBuilder(ImageBuilder::Upgrade, "03.90-XYZQBEN.").setDivisor(0x8003).setLine(0x1D)
               .setFlow(4).setInit(0x83).setOption(0xCF).build()
        << "same.QUF";
    QTest::newRow("QUF QSOL without strings")
        << ImageBuilder(ImageBuilder::Upgrade, "03.66QSOLA").setDeviceDescriptor(0x12, 0x0403, 0x6001).build()
        << "same.quf";
    QTest::newRow("66048-byte ROM") << ImageBuilder(ImageBuilder::Rom).build() + QByteArray(kHeaderSize, 'x')
                                    << "same.img";
    QTest::newRow("16-character version")
        << ImageBuilder(ImageBuilder::Rom, "03.64-ABCDEQJ4J1").build() << "same.rom";

    // Writing zero-fills the string area behind the third descriptor, so the source does too.
    ImageBuilder qsol(ImageBuilder::Rom, "03.66QSOLA");
    qsol.setStrings({"Norvale", "USB Host Adapter", "0001"});
    const int end = kFirstString + 2 * 3 + 2 * int(qstrlen("Norvale") + qstrlen("USB Host Adapter") + 4);
    for (int i = end; i < kStringAreaEnd; ++i)
        qsol.setByte(i, 0);
    QTest::newRow("ROM QSOL with strings") << qsol.build() << "same.rom";
}
// clang-format on

void TestFirmwareWrite::roundTrip()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, name);
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QVERIFY(load(rec, ui, file));
    QCOMPARE(write(rec, ui, name), file);
}

// clang-format off
void TestFirmwareWrite::convertAndBack_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("there");
    QTest::addColumn<QString>("back");
    QTest::newRow("ROM via QUF") << ImageBuilder(ImageBuilder::Rom, "03.64QSOLF").build()
                                 << "there.quf" << "back.rom";
    QTest::newRow("QUF via ROM") << ImageBuilder(ImageBuilder::Upgrade, "03.64QWEXF").build() << "there.rom"
                                 << "back.quf";
}
// clang-format on

void TestFirmwareWrite::convertAndBack()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, there);
    QFETCH(QString, back);
    UiRecorder ui;
    CFirmwareRecord first(&ui);
    QVERIFY(load(first, ui, file));
    const QByteArray converted = write(first, ui, there);
    QVERIFY(!converted.isEmpty());
    QVERIFY(converted != file);

    CFirmwareRecord second(&ui);
    QVERIFY(load(second, ui, converted));
    QCOMPARE(write(second, ui, back), file);
}

// ---- faults ---------------------------------------------------------------------------

void TestFirmwareWrite::declinedOverwrite()
{
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    const QByteArray image = ImageBuilder(ImageBuilder::Rom).build();
    QVERIFY(load(rec, ui, image));
    const QString path = QDir(freshFolder()).filePath(QStringLiteral("existing.quf"));
    QVERIFY(ImageBuilder::WriteFile(path, "an existing file"));

    rec.m_nBaudRate = 300;
    ui.clear();
    ui.answer = false;
    QCOMPARE(rec.WriteFirmware(path), Firmware::FileResult::Refused);
    QCOMPARE(ui.questions.size(), 1);
    QCOMPARE(ui.questions.first().text, QStringLiteral("Overwrite file existing.quf"));
    QCOMPARE(ui.questions.first().caption, QStringLiteral("File Exists"));
    QVERIFY(ui.messages.isEmpty());
    QVERIFY(ui.waitBalanced());
    QCOMPARE(ImageBuilder::ReadFile(path), QByteArray("an existing file"));
    QVERIFY(rec.m_strTargetFile.isEmpty());
    // A declined save changes nothing but the file it did not write: the buffer is the loaded
    // one, in its layout, and the edit is still in the record for the next attempt.
    QCOMPARE(RecordState::Buffer(rec, kRomLength), image);
    QCOMPARE(rec.m_nBaudRate, 300);
    QCOMPARE(rec.m_nFileKind, int(KindRom));
    QCOMPARE(rec.m_nFileLength, kRomLength);
}

void TestFirmwareWrite::overwriteLongerFile()
{
    const QByteArray source = ImageBuilder(ImageBuilder::Bld).build();
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QVERIFY(load(rec, ui, source));
    const QString path = QDir(freshFolder()).filePath(QStringLiteral("longer.bld"));
    QVERIFY(ImageBuilder::WriteFile(path, QByteArray(100000, 'o')));

    ui.clear();
    QCOMPARE(rec.WriteFirmware(path), Firmware::FileResult::Done);
    QCOMPARE(ui.questions.size(), 1);
    QCOMPARE(ui.questions.first().text, QStringLiteral("Overwrite file longer.bld"));
    QVERIFY(ui.messages.isEmpty());
    QCOMPARE(rec.m_strTargetFile, path);
    // Exactly the image: no surplus bytes of the old file behind it.
    QCOMPARE(ImageBuilder::ReadFile(path), source);
}

// clang-format off
void TestFirmwareWrite::targetNotARegularFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");  // %1 is the path
    const QString folder = QStringLiteral("%1 is a folder, not a firmware file.");
    const QString special = QStringLiteral("%1 is not a regular file.");
    QTest::newRow("folder") << "folder" << folder;
#ifdef BRINDLE_HAVE_SPECIAL_FILES
    QTest::newRow("link to folder") << "link to folder" << folder;
    QTest::newRow("named pipe") << "fifo" << special;
    QTest::newRow("link to named pipe") << "link to fifo" << special;
    QTest::newRow("socket") << "socket" << special;
    QTest::newRow("null device") << "device" << special;
#endif
}
// clang-format on

// Refused before the overwrite question, and left exactly as it was: a device or pipe is
// never replaced by a regular file.
void TestFirmwareWrite::targetNotARegularFile()
{
    QFETCH(QString, kind);
    QFETCH(QString, text);
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QVERIFY(load(rec, ui, ImageBuilder(ImageBuilder::Rom).build()));
    const QString folder = freshFolder();
    const QString path = SpecialFiles::Make(kind, folder);
    QVERIFY2(!path.isEmpty(), qPrintable(kind));
#ifdef BRINDLE_HAVE_SPECIAL_FILES
    const unsigned typeBefore = SpecialFiles::TypeOf(path);
    const SpecialFiles::FifoHolder holder(path);
#endif
    const QStringList entriesBefore = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);

    for (const CFirmwareRecord::WriteMode mode :
         {CFirmwareRecord::WriteMode::Check, CFirmwareRecord::WriteMode::Save}) {
        ui.clear();
        ui.answer = true;
        QCOMPARE(rec.WriteFirmware(path, mode), Firmware::FileResult::Refused);
        QVERIFY(ui.questions.isEmpty());
        QVERIFY_REFUSED(ui, text.arg(path), QStringLiteral("Could not open destination file"));
    }
#ifdef BRINDLE_HAVE_SPECIAL_FILES
    QCOMPARE(SpecialFiles::TypeOf(path), typeBefore);
#endif
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System), entriesBefore);
    if (kind.endsWith(QLatin1String("folder")))
        QVERIFY(QDir(path).isEmpty());
    QVERIFY(rec.m_strTargetFile.isEmpty());
}

// A name that the file system's encoding cannot hold would be saved under another name.
void TestFirmwareWrite::targetNameNotEncodable()
{
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QVERIFY(load(rec, ui, ImageBuilder(ImageBuilder::Rom).build()));
    const QString folder = freshFolder();
    const QString path = QDir(folder).filePath(QStringLiteral("out") + QChar(0xD800) + QStringLiteral(".rom"));
    QVERIFY(QFile::decodeName(QFile::encodeName(path)) != path);

    QCOMPARE(rec.WriteFirmware(path), Firmware::FileResult::Refused);
    QVERIFY_REFUSED(ui, QStringLiteral("%1 has characters that this system cannot use in a file name.").arg(path),
                    QStringLiteral("Could not open destination file"));
    QVERIFY(QDir(folder).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
}

// Names in scripts that no 8-bit code page holds at once are saved and read back under
// themselves.
void TestFirmwareWrite::namesInAnyScript()
{
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    const QByteArray image = ImageBuilder(ImageBuilder::Rom).build();
    QVERIFY(load(rec, ui, image));
    const QString folder = freshFolder();
    const QString name = QStringLiteral("\u56FA\u4EF6-\u03A9\u03BC-caf\u00E9.rom");
    const QString path = QDir(folder).filePath(name);

    QCOMPARE(rec.WriteFirmware(path), Firmware::FileResult::Done);
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{name});
    CFirmwareRecord again(&ui);
    QCOMPARE(again.LoadFirmware(path), Firmware::FileResult::Done);
    QCOMPARE(ImageBuilder::ReadFile(path), image);
    QCOMPARE(ui.messageCount, 0);
}

void TestFirmwareWrite::destinationFolderMissing()
{
    const QByteArray image = ImageBuilder(ImageBuilder::Rom).build();
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QVERIFY(load(rec, ui, image));
    const QString path = m_dir.filePath(QStringLiteral("no such folder/out.quf"));

    ui.clear();
    QCOMPARE(rec.WriteFirmware(path), Firmware::FileResult::Refused);
    QVERIFY(ui.questions.isEmpty());
    // The file is being created: what is missing is its folder.
    QVERIFY_REFUSED(
        ui, QStringLiteral("The folder %1 does not exist.").arg(m_dir.filePath(QStringLiteral("no such folder"))),
        QStringLiteral("Could not open destination file"));
    QVERIFY(rec.m_strTargetFile.isEmpty());
    // The record keeps the layout it was loaded with, so the next attempt starts from it.
    QCOMPARE(rec.m_nFileKind, int(KindRom));
    QCOMPARE(rec.m_nFileLength, kRomLength);
    QCOMPARE(write(rec, ui, QStringLiteral("retry.bin")), image);
}

// clang-format off
void TestFirmwareWrite::failedSaveKeepsLayout_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("failing");  // extension of the refused name
    QTest::addColumn<QString>("retry");    // extension of the name written afterwards
    const QStringList sources{QStringLiteral("ROM"), QStringLiteral("BLD"), QStringLiteral("QUF"),
                              QStringLiteral("ROM of 66048 bytes")};
    const QStringList extensions{QStringLiteral(".rom"), QStringLiteral(".quf"), QStringLiteral(".bin")};
    for (const QString &source : sources) {
        for (const QString &failing : extensions) {
            for (const QString &retry : extensions) {
                QTest::addRow("%s, %s refused, then %s", qPrintable(source), qPrintable(failing), qPrintable(retry))
                    << source << failing << retry;
            }
        }
    }
}
// clang-format on

// A save that fails, whether the file cannot be created or cannot be written, leaves the
// record as it was: the next save gives the bytes of a first one.
void TestFirmwareWrite::failedSaveKeepsLayout()
{
    QFETCH(QString, source);
    QFETCH(QString, failing);
    QFETCH(QString, retry);
    QByteArray file;
    if (source == QLatin1String("BLD"))
        file = ImageBuilder(ImageBuilder::Bld).build();
    else if (source == QLatin1String("QUF"))
        file = ImageBuilder(ImageBuilder::Upgrade).build();
    else if (source == QLatin1String("ROM"))
        file = ImageBuilder(ImageBuilder::Rom).build();
    else
        file = ImageBuilder(ImageBuilder::Rom).build() + QByteArray(kHeaderSize, '\x5A');
    const auto edit = [](CFirmwareRecord &r) {
        r.m_nBaudRate = 57600;
        r.m_bHidePrompt = true;
        r.m_strVersion = QStringLiteral("03.64-FIXQHARF");
    };

    UiRecorder ui;
    CFirmwareRecord direct(&ui);
    QVERIFY(load(direct, ui, file));
    edit(direct);
    const QByteArray expected = write(direct, ui, QStringLiteral("out") + retry);
    QVERIFY(!expected.isEmpty());

    QStringList failures{QStringLiteral("missing folder")};
#ifdef BRINDLE_HAVE_RLIMIT
    failures << QStringLiteral("file-size limit");
#endif
    for (const QString &failure : failures) {
        CFirmwareRecord rec(&ui);
        QVERIFY(load(rec, ui, file));
        edit(rec);
        ui.clear();
        Firmware::FileResult result = Firmware::FileResult::Unchanged;
        if (failure == QLatin1String("missing folder")) {
            result = rec.WriteFirmware(m_dir.filePath(QStringLiteral("no such folder/out") + failing));
        } else {
#ifdef BRINDLE_HAVE_RLIMIT
            FileSizeLimit limit(4096);
            QVERIFY(limit.isActive());
            result = rec.WriteFirmware(QDir(freshFolder()).filePath(QStringLiteral("out") + failing));
#endif
        }
        QCOMPARE(result, Firmware::FileResult::Refused);
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(rec.m_nFileLength, int(file.size()));
        QCOMPARE(rec.ImageBase(), source == QLatin1String("QUF") ? kHeaderSize : 0);
        QCOMPARE(write(rec, ui, QStringLiteral("out") + retry), expected);
    }
}

// clang-format off
void TestFirmwareWrite::checkMatchesSave_data()
{
    QTest::addColumn<QString>("situation");
    QTest::newRow("new file") << "new";
    QTest::newRow("existing file, overwrite accepted") << "existing yes";
    QTest::newRow("existing file, overwrite declined") << "existing no";
    QTest::newRow("folder missing") << "no folder";
    QTest::newRow("target is a folder") << "folder";
#ifndef Q_OS_WIN
    // Windows ignores a folder's read-only attribute.
    QTest::newRow("read-only folder") << "read-only folder";
#endif
    QTest::newRow("version text too long") << "long version";
    QTest::newRow("USB strings too long") << "long strings";
}
// clang-format on

// A check answers and asks exactly what a save would, and changes nothing at all.
void TestFirmwareWrite::checkMatchesSave()
{
    QFETCH(QString, situation);
    if (situation == QLatin1String("read-only folder") && RecordState::RunningAsRoot())
        QSKIP("Running as root: file permissions do not stop root from writing");
    const QByteArray file =
        ImageBuilder(ImageBuilder::Upgrade, "03.66QSOLA").setStrings({"Maker", "Thing", "3"}).build();
    const QString folder = freshFolder();
    QString path = QDir(folder).filePath(QStringLiteral("out.rom"));
    bool answer = true;
    if (situation.startsWith(QLatin1String("existing"))) {
        QVERIFY(ImageBuilder::WriteFile(path, "existing"));
        answer = situation.endsWith(QLatin1String("yes"));
    } else if (situation == QLatin1String("no folder")) {
        path = QDir(folder).filePath(QStringLiteral("missing/out.rom"));
    } else if (situation == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(path));
    } else if (situation == QLatin1String("read-only folder")) {
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    }
    const auto edit = [&situation](CFirmwareRecord &r) {
        r.m_nBaudRate = 300;
        r.m_strVersion = situation == QLatin1String("long version") ? QStringLiteral("03.66ABCDE-XYZQSOLA")
                                                                    : QStringLiteral("03.66-XYZQSOLA");
        if (situation == QLatin1String("long strings"))
            r.m_strProduct = QString(120, QLatin1Char('p'));
    };

    UiRecorder checkUi;
    checkUi.answer = answer;
    CFirmwareRecord checked(&checkUi);
    QCOMPARE(checked.LoadFirmware(fixture(file)), Firmware::FileResult::Done);
    edit(checked);
    const QByteArray bufferBefore = RecordState::Buffer(checked, kBufferSize);
    const QStringList entriesBefore = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
    const QByteArray targetBefore = ImageBuilder::ReadFile(path);
    checkUi.clear();
    const Firmware::FileResult checkResult = checked.WriteFirmware(path, CFirmwareRecord::WriteMode::Check);
    QVERIFY(checkUi.waitBalanced());
    QCOMPARE(RecordState::Buffer(checked, kBufferSize), bufferBefore);
    QCOMPARE(checked.m_nFileKind, int(KindUpgrade));
    QVERIFY(checked.m_strTargetFile.isEmpty());
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System), entriesBefore);
    QCOMPARE(ImageBuilder::ReadFile(path), targetBefore);

    UiRecorder saveUi;
    saveUi.answer = answer;
    CFirmwareRecord saved(&saveUi);
    QCOMPARE(saved.LoadFirmware(fixture(file)), Firmware::FileResult::Done);
    edit(saved);
    saveUi.clear();
    const Firmware::FileResult saveResult = saved.WriteFirmware(path);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QCOMPARE(checkResult, saveResult);
    QCOMPARE(checkUi.questions.size(), saveUi.questions.size());
    QCOMPARE(checkUi.messages.size(), saveUi.messages.size());
    for (qsizetype i = 0; i < checkUi.messages.size(); ++i) {
        QCOMPARE(checkUi.messages.at(i).text, saveUi.messages.at(i).text);
        QCOMPARE(checkUi.messages.at(i).caption, saveUi.messages.at(i).caption);
    }
    QCOMPARE(saveResult, situation == QLatin1String("new") || situation == QLatin1String("existing yes")
                             ? Firmware::FileResult::Done
                             : Firmware::FileResult::Refused);
}

// clang-format off
void TestFirmwareWrite::shortWriteKeepsTarget_data()
{
    QTest::addColumn<QByteArray>("existing");  // empty: no file there before
    QTest::newRow("longer existing file") << QByteArray(70000, 'E');
    QTest::newRow("no existing file") << QByteArray();
}
// clang-format on

void TestFirmwareWrite::shortWriteKeepsTarget()
{
#ifndef BRINDLE_HAVE_RLIMIT
    QSKIP("No file-size limit on this platform");
#else
    QFETCH(QByteArray, existing);
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QVERIFY(load(rec, ui, ImageBuilder(ImageBuilder::Rom).build()));
    const QString folder = freshFolder();
    const QString path = QDir(folder).filePath(QStringLiteral("target.rom"));
    if (!existing.isEmpty())
        QVERIFY(ImageBuilder::WriteFile(path, existing));

    ui.clear();
    Firmware::FileResult result = Firmware::FileResult::Unchanged;
    {
        FileSizeLimit limit(4096);
        QVERIFY(limit.isActive());
        result = rec.WriteFirmware(path);
    }
    QCOMPARE(result, Firmware::FileResult::Refused);
    // Over the limit, not out of space: the system's words.
    QVERIFY_REFUSED(ui, QStringLiteral("File too large while accessing %1.").arg(path),
                    QStringLiteral("Could not write destination file"));
    QVERIFY(rec.m_strTargetFile.isEmpty());
    if (existing.isEmpty())
        QVERIFY(!QFile::exists(path));
    else
        QCOMPARE(ImageBuilder::ReadFile(path), existing);
    // No temporary file is left behind.
    const QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    QCOMPARE(left, existing.isEmpty() ? QStringList() : QStringList{QStringLiteral("target.rom")});
#endif
}

// clang-format off
void TestFirmwareWrite::readOnlyDestination_data()
{
    QTest::addColumn<QString>("lock");  // what keeps the destination from being written
    QTest::addColumn<QString>("caption");
    // On Windows a read-only file is one with the read-only attribute, which Qt sets here.
    QTest::newRow("read-only file") << "file" << "Could not open destination file";
#ifdef Q_OS_WIN
    // Windows ignores the read-only attribute of folders; what it does honour is a file held
    // open by another program without sharing: the new file cannot take the old one's place.
    QTest::newRow("held open by another program") << "held" << "Could not write destination file";
#else
    QTest::newRow("read-only folder") << "folder" << "Could not open destination file";
#endif
}
// clang-format on

void TestFirmwareWrite::readOnlyDestination()
{
    QFETCH(QString, lock);
    QFETCH(QString, caption);
    if (lock != QLatin1String("held") && RecordState::RunningAsRoot())
        QSKIP("Running as root: file permissions do not stop root from writing");
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QVERIFY(load(rec, ui, ImageBuilder(ImageBuilder::Rom).build()));
    const QString folder = freshFolder();
    const QString path = QDir(folder).filePath(QStringLiteral("locked.rom"));
    QVERIFY(ImageBuilder::WriteFile(path, "locked"));
    const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ExeOwner;
#ifdef Q_OS_WIN
    HANDLE holder = INVALID_HANDLE_VALUE;
    if (lock == QLatin1String("held")) {
        holder = ::CreateFileW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(path).utf16()), GENERIC_READ, 0,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        QVERIFY(holder != INVALID_HANDLE_VALUE);
    }
    const auto release = qScopeGuard([holder] {
        if (holder != INVALID_HANDLE_VALUE)
            ::CloseHandle(holder);
    });
#endif
    if (lock != QLatin1String("held"))
        QVERIFY(QFile::setPermissions(lock == QLatin1String("folder") ? folder : path, readOnly));

    ui.clear();
    const Firmware::FileResult result = rec.WriteFirmware(path);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(result, Firmware::FileResult::Refused);
    // A file another program holds is told as that, so the user closes the program rather than
    // looking at permissions.
    const QString text = lock == QLatin1String("held")
                             ? QStringLiteral("%1 is open in another program that does not share it. Close it there "
                                              "and try again.")
                             : QStringLiteral("Access to %1 was denied.");
    QVERIFY_REFUSED(ui, text.arg(path), caption);
#ifdef Q_OS_WIN
    if (holder != INVALID_HANDLE_VALUE) {
        ::CloseHandle(holder);
        holder = INVALID_HANDLE_VALUE;
    }
#endif
    QCOMPARE(ImageBuilder::ReadFile(path), QByteArray("locked"));
    // Nothing is left behind beside it: no temporary file of the failed write.
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("locked.rom")});
}

void TestFirmwareWrite::sourceOverwritten()
{
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    const QString path = fixture(ImageBuilder(ImageBuilder::Rom).build());
    QCOMPARE(rec.LoadFirmware(path), Firmware::FileResult::Done);
    rec.m_nBaudRate = 921600;
    ui.clear();
    QCOMPARE(rec.WriteFirmware(path), Firmware::FileResult::Done);
    QCOMPARE(ui.questions.size(), 1);
    QCOMPARE(ImageBuilder::ReadFile(path), ImageBuilder(ImageBuilder::Rom).setDivisor(0x8003).build());
}

void TestFirmwareWrite::writeBeforeLoad()
{
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    const QString path = QDir(freshFolder()).filePath(QStringLiteral("nothing.rom"));
    QCOMPARE(rec.WriteFirmware(path), Firmware::FileResult::Refused);
    QVERIFY(!QFile::exists(path));
    QVERIFY(rec.m_strTargetFile.isEmpty());
    QVERIFY(ui.waitBalanced());
}

QTEST_GUILESS_MAIN(TestFirmwareWrite)
#include "tst_firmwarewrite.moc"
