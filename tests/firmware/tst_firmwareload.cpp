// Loading: recognising the three kinds of file, every refusal with its message and what it
// leaves in the record, and decoding the parameter block, descriptors, IDs and prefix.

// Qt
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include "common/imagebuilder.h"
#include "common/settingsprint.h"
#include "common/uirecorder.h"
#include "firmware/firmwarerecord.h"
#include "nonregularfiles.h"
#include "recordstate.h"

// Offsets and values of the format, as the tests know them.
using namespace Literal;
using RecordState::Flags;

namespace {

// The byte layout of one string descriptor: its length byte, type 3 and one code unit per
// character, high byte `high`. The length byte is given separately so tests can lie with it.
QByteArray Descriptor(int lengthByte, const QByteArray &chars, quint8 high = 0)
{
    QByteArray d;
    d.append(char(lengthByte));
    d.append(char(kStringDescriptorType));
    for (char c : chars) {
        d.append(c);
        d.append(char(high));
    }
    return d;
}

// A QSOL image whose string area holds a language descriptor and then `strings` verbatim;
// the rest of the area up to 0xEBFF keeps the builder's pattern.
ImageBuilder QsolWithStringArea(const QByteArray &strings)
{
    ImageBuilder b(ImageBuilder::Rom, "03.66QSOLA");
    b.setStrings({});
    Q_ASSERT(kFirstString + strings.size() <= kStringAreaEnd);
    for (int i = 0; i < strings.size(); ++i)
        b.setByte(kFirstString + i, quint8(strings.at(i)));
    return b;
}

}  // namespace

class TestFirmwareLoad : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void freshRecord();
    void recognisesKinds_data();
    void recognisesKinds();
    void decodesAtImageBase_data();
    void decodesAtImageBase();
    void refusals_data();
    void refusals();
    void unreadableSource();
    void sourceNotARegularFile_data();
    void sourceNotARegularFile();
    void acceptanceIndependentOfEarlierLoad_data();
    void acceptanceIndependentOfEarlierLoad();

    void baudRate_data();
    void baudRate();
    void lineFormat_data();
    void lineFormat();
    void flowControl_data();
    void flowControl();
    void initAndOptionBytes_data();
    void initAndOptionBytes();
    void stringDescriptors_data();
    void stringDescriptors();
    void deviceDescriptor_data();
    void deviceDescriptor();
    void membersOfOtherTypesKept_data();
    void membersOfOtherTypesKept();

    void samePathNotReloaded();
    void pathCase();

private:
    QString fixture(const QByteArray &bytes, const QString &name = QString());
    // Loads `bytes` into `rec`, expecting success without a message.
    bool loadOk(CFirmwareRecord &rec, UiRecorder &ui, const QByteArray &bytes);

    QTemporaryDir m_dir;
    int m_serial = 0;
};

QString TestFirmwareLoad::fixture(const QByteArray &bytes, const QString &name)
{
    const QString path = m_dir.filePath(name.isEmpty() ? QStringLiteral("fixture%1.bin").arg(++m_serial) : name);
    if (!ImageBuilder::WriteFile(path, bytes))
        qFatal("cannot write fixture %s", qPrintable(path));
    return path;
}

bool TestFirmwareLoad::loadOk(CFirmwareRecord &rec, UiRecorder &ui, const QByteArray &bytes)
{
    ui.clear();
    const int result = rec.LoadFirmware(fixture(bytes));
    if (result != 1 || !ui.messages.isEmpty()) {
        qWarning() << "load failed:" << result << (ui.messages.isEmpty() ? QString() : ui.messages.first().text);
        return false;
    }
    return true;
}

void TestFirmwareLoad::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestFirmwareLoad::freshRecord()
{
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QVERIFY(rec.Image() == nullptr);
    QVERIFY(rec.m_strVersion.isEmpty());
    QVERIFY(rec.m_strVersionCode.isEmpty());
    QVERIFY(rec.m_strManufacturer.isEmpty());
    QVERIFY(rec.m_strProduct.isEmpty());
    QVERIFY(rec.m_strString3.isEmpty());
    QVERIFY(rec.m_strDirPrefix.isEmpty());
    QVERIFY(rec.m_strSourceFile.isEmpty());
    QVERIFY(rec.m_strTargetFile.isEmpty());
    // Read before the first load by the step search and by loading itself.
    QCOMPARE(rec.m_nFirmwareType, int(TypeNone));
    QCOMPARE(rec.m_nCodeType, int(CodeRomImage));
}

// clang-format off
void TestFirmwareLoad::recognisesKinds_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("codeType");
    QTest::addColumn<QString>("version");
    QTest::addColumn<int>("versionNumber");
    QTest::addColumn<int>("firmwareType");

    const QByteArray extra(kHeaderSize, '\x5a');
    QTest::newRow("ROM image")
        << ImageBuilder(ImageBuilder::Rom).build() << int(KindRom) << 0 << "03.64QHARF" << 364 << int(TypeQHAR);
    QTest::newRow("BLD image")
        << ImageBuilder(ImageBuilder::Bld, "03.55QLYT1x").build() << int(KindBld) << 0 << "03.55QLYT1x" << 355
        << int(TypeQLYT1);
    QTest::newRow("upgrade file")
        << ImageBuilder(ImageBuilder::Upgrade, "03.70QBEN2").build() << int(KindUpgrade) << 1 << "03.70QBEN2"
        << 370 << int(TypeQBEN);
    // Loading looks at the signature and the code type of a header, nothing else of it.
    {
        QByteArray file = ImageBuilder(ImageBuilder::Upgrade, "03.70QBEN2").build();
        file[0x34] = '\x00';
        file.replace(0x20, 16, QByteArray(16, 'v'));
        QTest::newRow("upgrade header without its 0x78 and version")
            << file << int(KindUpgrade) << 1 << "03.70QBEN2" << 370 << int(TypeQBEN);
    }
    QTest::newRow("66048 bytes without header")
        << ImageBuilder(ImageBuilder::Rom, "03.64QTIMA").build() + extra << int(KindRom) << 0 << "03.64QTIMA"
        << 364 << int(TypeQTIM);
    // Byte 31 says "upgrade" but bytes 0-30 are no signature: the image signature decides.
    QTest::newRow("code type 1 without header signature")
        << ImageBuilder(ImageBuilder::Rom, "03.64QWEXB").setByte(kHeaderCodeType, CodeMain).build() + extra
        << int(KindRom) << 0 << "03.64QWEXB" << 364 << int(TypeQWEX);
    // An upgrade header on a file too short to hold a whole image after it: the image
    // signature decides, so the file is never taken for an upgrade file with its end missing.
    {
        const QByteArray header = ImageBuilder(ImageBuilder::Upgrade, "03.64QHARF").build().left(kHeaderCodeType + 1);
        QByteArray rom = ImageBuilder(ImageBuilder::Rom, "03.64QHARF").build();
        rom.replace(0, header.size(), header);
        QTest::newRow("upgrade header on a ROM-length file") << rom << int(KindRom) << 0 << "03.64QHARF" << 364
                                                             << int(TypeQHAR);
        QByteArray bld = ImageBuilder(ImageBuilder::Bld, "03.64QHARF").build();
        bld.replace(0, header.size(), header);
        QTest::newRow("upgrade header on a BLD-length file") << bld << int(KindBld) << 0 << "03.64QHARF" << 364
                                                             << int(TypeQHAR);
    }
    QTest::newRow("QSOL") << ImageBuilder(ImageBuilder::Rom, "03.66QSOLA").build() << int(KindRom) << 0
                          << "03.66QSOLA" << 366 << int(TypeQSOL);
    QTest::newRow("QJ4J") << ImageBuilder(ImageBuilder::Rom, "03.66QJ4J9").build() << int(KindRom) << 0
                          << "03.66QJ4J9" << 366 << int(TypeQJ4J);
    QTest::newRow("16 characters, no terminator")
        << ImageBuilder(ImageBuilder::Rom, "03.64-ABCDEQHARF").build() << int(KindRom) << 0 << "03.64-ABCDEQHARF"
        << 364 << int(TypeQHAR);
    QTest::newRow("text ends at a zero byte")
        << ImageBuilder(ImageBuilder::Rom, QByteArray("03.64QHARF\0XYZW", 15)).build() << int(KindRom) << 0
        << "03.64QHARF" << 364 << int(TypeQHAR);
    QTest::newRow("bytes above 0x7f widen")
        << ImageBuilder(ImageBuilder::Rom, "03.64\xe9QHARF").build() << int(KindRom) << 0
        << QString::fromLatin1("03.64\xe9QHARF") << 364 << int(TypeQHAR);
    QTest::newRow("separator not interpreted")
        << ImageBuilder(ImageBuilder::Rom, "03x64QHARF").build() << int(KindRom) << 0 << "03x64QHARF" << 364
        << int(TypeQHAR);
    QTest::newRow("digits not checked")
        << ImageBuilder(ImageBuilder::Rom, "0A.64QHARF").build() << int(KindRom) << 0 << "0A.64QHARF" << 1764
        << int(TypeQHAR);
    QTest::newRow("modified version, last Q opens the type")
        << ImageBuilder(ImageBuilder::Rom, "03.64-Q1QSOLA").build() << int(KindRom) << 0 << "03.64-Q1QSOLA" << 364
        << int(TypeQSOL);
}
// clang-format on

void TestFirmwareLoad::recognisesKinds()
{
    QFETCH(QByteArray, file);
    QFETCH(int, kind);
    QFETCH(int, codeType);
    QFETCH(QString, version);
    QFETCH(int, versionNumber);
    QFETCH(int, firmwareType);

    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    rec.m_nCodeType = 2;  // must be replaced by what the file says
    const QString path = fixture(file);
    QCOMPARE(rec.LoadFirmware(path), 1);
    QVERIFY(ui.messages.isEmpty());
    QVERIFY(ui.waitBalanced());

    QCOMPARE(rec.m_nFileKind, kind);
    QCOMPARE(rec.m_nFileLength, int(file.size()));
    QCOMPARE(rec.m_nCodeType, codeType);
    QCOMPARE(rec.m_strVersion, version);
    QCOMPARE(rec.m_nVersionNumber, versionNumber);
    QCOMPARE(rec.m_nFirmwareType, firmwareType);
    QCOMPARE(rec.m_strSourceFile, path);
    QCOMPARE(rec.ImageBase(), kind == KindUpgrade ? kHeaderSize : 0);
    QCOMPARE(RecordState::Buffer(rec, int(file.size())), file);
}

// clang-format off
void TestFirmwareLoad::decodesAtImageBase_data()
{
    QTest::addColumn<int>("builderKind");
    QTest::newRow("ROM") << int(ImageBuilder::Rom);
    QTest::newRow("BLD") << int(ImageBuilder::Bld);
    QTest::newRow("upgrade") << int(ImageBuilder::Upgrade);
}
// clang-format on

void TestFirmwareLoad::decodesAtImageBase()
{
    QFETCH(int, builderKind);
    ImageBuilder b(ImageBuilder::Kind(builderKind), "03.66QSOLA");
    b.setDivisor(26).setLine(0x1D).setFlow(0x02).setInit(0x81).setOption(0x45);
    b.setDeviceDescriptor(0x12, 0x0403, 0x6001).setStrings({"Norvale", "USB Host", "SN42"});

    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QVERIFY(loadOk(rec, ui, b.build()));
    Firmware::Settings expected;
    expected.m_nBaudRate = 115200;
    expected.m_nStopBits = 2;
    expected.m_nDataBits = 7;
    expected.m_nParity = 2;
    expected.m_nFlowControl = 2;
    expected.m_nVendorId = 0x0403;
    expected.m_nProductId = 0x6001;
    expected.m_bAsciiInput = expected.m_bDisableLedFlash = true;
    expected.m_bHidePrompt = expected.m_bHideConnects = expected.m_bHideVersionReport = true;
    expected.m_strVersion = QStringLiteral("03.66QSOLA");
    expected.m_strManufacturer = QStringLiteral("Norvale");
    expected.m_strProduct = QStringLiteral("USB Host");
    expected.m_strString3 = QStringLiteral("SN42");
    expected.m_nFileKind = builderKind == ImageBuilder::Upgrade ? KindUpgrade
                           : builderKind == ImageBuilder::Bld   ? KindBld
                                                                : KindRom;
    expected.m_nCodeType = builderKind == ImageBuilder::Upgrade ? CodeMain : CodeRomImage;
    expected.m_nFirmwareType = TypeQSOL;
    expected.m_bHasUsbIds = expected.m_bHasUsbStrings = true;
    QCOMPARE(static_cast<const Firmware::Settings &>(rec), expected);
}

// clang-format off
void TestFirmwareLoad::refusals_data()
{
    QTest::addColumn<QString>("source");  // "missing", "folder" or "bytes"
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("text");    // %1 is the path
    QTest::addColumn<QString>("caption");

    const QString openCaption = QStringLiteral("Could not open source file");
    const QString formatCaption = QStringLiteral("File Format Error");
    const QString firmwareCaption = QStringLiteral("Firmware Format Error");
    const QString versionCaption = QStringLiteral("Firmware Version Error");
    const QString lengthText = QStringLiteral("File not recognised as Norvale Firmware");
    const QString signatureText = QStringLiteral("File format not supported");
    const QByteArray rom = ImageBuilder(ImageBuilder::Rom).build();

    QTest::newRow("missing file") << "missing" << QByteArray() << "%1 was not found." << openCaption;
    QTest::newRow("folder") << "folder" << QByteArray() << "%1 is a folder, not a firmware file." << openCaption;

    for (int length : {0, 1, kBldLength - 1, kBldLength + 1, kRomLength - 1, kRomLength + 1,
                       kUpgradeLength - 1, kUpgradeLength + 1, 2 * kRomLength}) {
        QByteArray bytes = ImageBuilder(ImageBuilder::Upgrade).build();
        bytes.resize(length, '\0');
        QTest::addRow("length %d", length) << "bytes" << bytes << lengthText << formatCaption;
    }

    QByteArray badSignature = rom;
    badSignature[kImageSignature + 30] = '\x55';
    QTest::newRow("image signature wrong") << "bytes" << badSignature << signatureText << firmwareCaption;
    QByteArray badBld = ImageBuilder(ImageBuilder::Bld).build();
    badBld[kImageSignature] = 'o';
    QTest::newRow("BLD signature wrong") << "bytes" << badBld << signatureText << firmwareCaption;
    QByteArray oddCodeType = rom;
    oddCodeType[kImageCodeType] = '\x09';
    QTest::newRow("image code type 9") << "bytes" << oddCodeType << signatureText << firmwareCaption;
    QByteArray imageCodeOne = rom;
    imageCodeOne[kImageCodeType] = '\x01';
    QTest::newRow("image code type 1") << "bytes" << imageCodeOne << signatureText << firmwareCaption;
    // A reflash upgrade file: header code type 2 and nothing that looks like an image at 48.
    QByteArray reflash = ImageBuilder(ImageBuilder::Upgrade).build();
    reflash[kHeaderCodeType] = char(CodeReflash);
    QTest::newRow("reflash upgrade file") << "bytes" << reflash << signatureText << firmwareCaption;

    // An upgrade header in front of something that is no ROM image of its own.
    QByteArray noInnerSignature = ImageBuilder(ImageBuilder::Upgrade).build();
    noInnerSignature[kHeaderSize + kImageSignature] = 'o';
    QTest::newRow("upgrade file, image without signature")
        << "bytes" << noInnerSignature << signatureText << firmwareCaption;
    QByteArray innerCodeOne = ImageBuilder(ImageBuilder::Upgrade).build();
    innerCodeOne[kHeaderSize + kImageCodeType] = char(CodeMain);
    QTest::newRow("upgrade file, image of code type 1") << "bytes" << innerCodeOne << signatureText << firmwareCaption;

    const auto versionRow = [&](const char *name, const QByteArray &text) {
        QTest::newRow(name) << "bytes" << ImageBuilder(ImageBuilder::Rom, text).build()
                            << QStringLiteral("Firmware version %1 not supported").arg(QString::fromLatin1(text))
                            << versionCaption;
    };
    versionRow("version 03.54", "03.54QHARF");
    versionRow("version 00.00", "00.00QSOLA");
    versionRow("unknown type code", "03.64QXYZF");
    versionRow("type code is case-sensitive", "03.64qharF");
    versionRow("no final character after the type", "03.64QHAR");
    versionRow("no Q", "03.64HARF1");
    // Release "33.24" (the digits of "QHARF") is new enough: without the rule for a leading Q,
    // "QHAR" would match and the file would load.
    versionRow("Q only as first character", "QHARF");
    versionRow("four characters", "03.6");
    versionRow("empty version text", "");

    const auto paramsRow = [&](const char *name, quint8 params, const char *shown) {
        QTest::newRow(name) << "bytes" << ImageBuilder(ImageBuilder::Rom).setParams(params).build()
                            << QStringLiteral("Parameters version 0x%1 not supported").arg(QLatin1String(shown))
                            << formatCaption;
    };
    paramsRow("parameters version 2", 2, "2");
    paramsRow("parameters version 0x1f", 0x1F, "1f");
    paramsRow("parameters version 0", 0, "0");
    paramsRow("parameters version 0xff", 0xFF, "ff");
}
// clang-format on

void TestFirmwareLoad::refusals()
{
    QFETCH(QString, source);
    QFETCH(QByteArray, file);
    QFETCH(QString, text);
    QFETCH(QString, caption);

    // An earlier upgrade file whose settings differ from every default.
    ImageBuilder earlierImage(ImageBuilder::Upgrade, "03.66QSOLA");
    earlierImage.setDivisor(26).setLine(0x1D).setFlow(0x02).setInit(0x83).setOption(0xCF);
    earlierImage.setDeviceDescriptor(0x12, 0x0403, 0x6001).setStrings({"Norvale", "Widget", "Serial"});
    const QByteArray earlier = earlierImage.build();

    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QVERIFY(loadOk(rec, ui, earlier));
    rec.m_strDirPrefix = QStringLiteral("KEEP");
    rec.m_nBaudRate = 300;  // an edit since the load
    const Firmware::Settings settingsBefore = rec;
    const QString sourceBefore = rec.m_strSourceFile;
    const quint8 *bufferBefore = rec.Image();

    QString path;
    if (source == QLatin1String("missing")) {
        path = m_dir.filePath(QStringLiteral("no such file.rom"));
    } else if (source == QLatin1String("folder")) {
        path = m_dir.filePath(QStringLiteral("folder%1.rom").arg(++m_serial));
        QVERIFY(QDir().mkdir(path));
    } else {
        path = fixture(file);
    }

    ui.clear();
    QCOMPARE(rec.LoadFirmware(path), -1);
    QVERIFY(ui.questions.isEmpty());
    QVERIFY_REFUSED(ui, text.contains(QLatin1String("%1")) ? text.arg(path) : text, caption);

    // A refused file leaves the record whole: the earlier file's buffer, its length, kind and
    // version, the edits made since, and its path, so that loading it again reads nothing.
    QCOMPARE(static_cast<const Firmware::Settings &>(rec), settingsBefore);
    QCOMPARE(rec.Image(), bufferBefore);
    QCOMPARE(RecordState::Buffer(rec, kUpgradeLength), earlier);
    QCOMPARE(rec.m_nFileLength, kUpgradeLength);
    QCOMPARE(rec.m_nVersionNumber, 366);
    QCOMPARE(rec.m_strSourceFile, sourceBefore);
}

void TestFirmwareLoad::unreadableSource()
{
    const QString path = fixture(ImageBuilder(ImageBuilder::Rom).build());
#ifdef Q_OS_WIN
    // Windows denies reading a file that another program holds open without sharing it, and
    // says so.
    const HANDLE holder =
        ::CreateFileW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(path).utf16()), GENERIC_READ | GENERIC_WRITE,
                      0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    QVERIFY(holder != INVALID_HANDLE_VALUE);
    const auto release = qScopeGuard([holder] { ::CloseHandle(holder); });
#else
    if (RecordState::RunningAsRoot())
        QSKIP("Running as root: file permissions do not stop root from reading");
    QVERIFY(QFile::setPermissions(path, QFile::WriteOwner));
#endif
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QCOMPARE(rec.LoadFirmware(path), -1);
#ifdef Q_OS_WIN
    const QString text =
        QStringLiteral("%1 is open in another program that does not share it. Close it there and try again.");
#else
    const QString text = QStringLiteral("Access to %1 was denied.");
#endif
    QVERIFY_REFUSED(ui, text.arg(path), QStringLiteral("Could not open source file"));
    QVERIFY(rec.Image() == nullptr);
}

// clang-format off
void TestFirmwareLoad::sourceNotARegularFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");  // %1 is the path
    const QString folder = QStringLiteral("%1 is a folder, not a firmware file.");
    const QString special = QStringLiteral("%1 is not a regular file.");
    QTest::newRow("folder") << "folder" << folder;
    QTest::newRow("link to folder") << "link to folder" << folder;
    QTest::newRow("named pipe") << "fifo" << special;
    QTest::newRow("link to named pipe") << "link to fifo" << special;
    QTest::newRow("socket") << "socket" << special;
    QTest::newRow("null device") << "device" << special;
}
// clang-format on

// Opening a pipe would wait for a writer for ever; none of these is even looked into.
void TestFirmwareLoad::sourceNotARegularFile()
{
#ifndef BRINDLE_HAVE_SPECIAL_FILES
    QSKIP("No pipes, sockets or device files on this platform");
#else
    QFETCH(QString, kind);
    QFETCH(QString, text);
    const QString folder = m_dir.filePath(QStringLiteral("special%1").arg(++m_serial));
    QVERIFY(QDir().mkdir(folder));
    const QString path = SpecialFiles::Make(kind, folder);
    QVERIFY2(!path.isEmpty(), qPrintable(kind));
    const SpecialFiles::FifoHolder holder(path);  // a mistaken open finds an empty pipe

    const QByteArray earlier = ImageBuilder(ImageBuilder::Upgrade).build();
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    QVERIFY(loadOk(rec, ui, earlier));
    const QString earlierPath = rec.m_strSourceFile;
    ui.clear();
    QCOMPARE(rec.LoadFirmware(path), -1);
    QVERIFY_REFUSED(ui, text.arg(path), QStringLiteral("Could not open source file"));
    QCOMPARE(rec.m_strSourceFile, earlierPath);
    QCOMPARE(RecordState::Buffer(rec, kUpgradeLength), earlier);
#endif
}

// clang-format off
void TestFirmwareLoad::acceptanceIndependentOfEarlierLoad_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("kind");      // -1: a refusal, which keeps the earlier file's
    QTest::addColumn<int>("codeType");  // -1: as for kind

    const QByteArray rom = ImageBuilder(ImageBuilder::Rom).build();
    for (int code : {3, 9, 0x80, 0xFF}) {
        QByteArray odd = rom;
        odd[kImageCodeType] = char(code);
        QTest::addRow("image code type %d", code) << odd << -1 << -1 << -1;
    }
    QByteArray reflashImage = rom;
    reflashImage[kImageCodeType] = char(CodeReflash);
    QTest::newRow("image code type 2") << reflashImage << -1 << -1 << -1;
    QByteArray oddHeader = ImageBuilder(ImageBuilder::Upgrade).build();
    oddHeader[kHeaderCodeType] = '\x07';
    QTest::newRow("header code type 7") << oddHeader << -1 << -1 << -1;
    QByteArray oddInner = ImageBuilder(ImageBuilder::Upgrade).build();
    oddInner[kHeaderSize + kImageCodeType] = '\x05';
    QTest::newRow("upgrade file, image code type 5") << oddInner << -1 << -1 << -1;
    QTest::newRow("ROM image") << rom << 1 << int(KindRom) << int(CodeRomImage);
    QTest::newRow("upgrade file") << ImageBuilder(ImageBuilder::Upgrade).build() << 1 << int(KindUpgrade)
                                  << int(CodeMain);
}
// clang-format on

// Whether a file loads, and what it leaves in the record, is decided by that file alone.
void TestFirmwareLoad::acceptanceIndependentOfEarlierLoad()
{
    QFETCH(QByteArray, file);
    QFETCH(int, result);
    QFETCH(int, kind);
    QFETCH(int, codeType);
    const QString path = fixture(file);
    QByteArray reflashHeader = ImageBuilder(ImageBuilder::Rom).build() + QByteArray(kHeaderSize, '\0');
    reflashHeader[kHeaderCodeType] = char(CodeReflash);
    const QList<QByteArray> earlierFiles = {QByteArray(), ImageBuilder(ImageBuilder::Rom).build(),
                                            ImageBuilder(ImageBuilder::Upgrade).build(), reflashHeader};
    for (const QByteArray &earlier : earlierFiles) {
        UiRecorder ui;
        CFirmwareRecord rec(&ui);
        if (!earlier.isEmpty())
            rec.LoadFirmware(fixture(earlier));
        const int kindBefore = rec.m_nFileKind;
        const int codeTypeBefore = rec.m_nCodeType;
        ui.clear();
        QCOMPARE(rec.LoadFirmware(path), result);
        QCOMPARE(ui.messages.size(), result == 1 ? 0 : 1);
        if (result != 1)
            QCOMPARE(ui.messages.first().text, QStringLiteral("File format not supported"));
        QCOMPARE(rec.m_nFileKind, result == 1 ? kind : kindBefore);
        QCOMPARE(rec.m_nCodeType, result == 1 ? codeType : codeTypeBefore);
    }
}

// clang-format off
void TestFirmwareLoad::baudRate_data()
{
    QTest::addColumn<QByteArray>("divisor");  // the three bytes at image offset 0x53
    QTest::addColumn<int>("rate");

    // The chip's divisor codes, byte for byte as the file holds them.
    QTest::newRow("10 27 00") << QByteArray("\x10\x27\x00", 3) << 300;
    QTest::newRow("88 13 00") << QByteArray("\x88\x13\x00", 3) << 600;
    QTest::newRow("C4 09 00") << QByteArray("\xC4\x09\x00", 3) << 1200;
    QTest::newRow("E2 04 00") << QByteArray("\xE2\x04\x00", 3) << 2400;
    QTest::newRow("71 02 00") << QByteArray("\x71\x02\x00", 3) << 4800;
    QTest::newRow("38 41 00") << QByteArray("\x38\x41\x00", 3) << 9600;
    QTest::newRow("9C 80 00") << QByteArray("\x9C\x80\x00", 3) << 19200;
    QTest::newRow("4E C0 00") << QByteArray("\x4E\xC0\x00", 3) << 38400;
    QTest::newRow("34 C0 00") << QByteArray("\x34\xC0\x00", 3) << 57600;
    QTest::newRow("1A 00 00") << QByteArray("\x1A\x00\x00", 3) << 115200;
    QTest::newRow("0D 00 00") << QByteArray("\x0D\x00\x00", 3) << 230400;
    QTest::newRow("06 40 00") << QByteArray("\x06\x40\x00", 3) << 460800;
    QTest::newRow("03 80 00") << QByteArray("\x03\x80\x00", 3) << 921600;
    QTest::newRow("03 00 00") << QByteArray("\x03\x00\x00", 3) << 1000000;
    QTest::newRow("02 00 00") << QByteArray("\x02\x00\x00", 3) << 1500000;
    QTest::newRow("01 00 00") << QByteArray("\x01\x00\x00", 3) << 2000000;
    QTest::newRow("00 00 00") << QByteArray("\x00\x00\x00", 3) << 3000000;

    // Codes outside the table read as 9600.
    QTest::newRow("05 00 00 not in the table") << QByteArray("\x05\x00\x00", 3) << 9600;
    QTest::newRow("35 C0 00 next to 57600") << QByteArray("\x35\xC0\x00", 3) << 9600;
    QTest::newRow("FF FF FF") << QByteArray("\xFF\xFF\xFF", 3) << 9600;
    // The third byte holds bits 16-23 of the code. 1A 00 01 is not 115200; 03 00 80 is not
    // 921600, which it would read as with the third byte taken for bits 8-15.
    QTest::newRow("1A 00 01") << QByteArray("\x1A\x00\x01", 3) << 9600;
    QTest::newRow("03 00 80") << QByteArray("\x03\x00\x80", 3) << 9600;
    QTest::newRow("00 00 01") << QByteArray("\x00\x00\x01", 3) << 9600;
}
// clang-format on

void TestFirmwareLoad::baudRate()
{
    QFETCH(QByteArray, divisor);
    QFETCH(int, rate);
    ImageBuilder b(ImageBuilder::Rom);
    for (int i = 0; i < 3; ++i)
        b.setByte(kDivisor + i, quint8(divisor.at(i)));
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    rec.m_nBaudRate = 1;
    QVERIFY(loadOk(rec, ui, b.build()));
    QCOMPARE(rec.m_nBaudRate, rate);
}

// clang-format off
void TestFirmwareLoad::lineFormat_data()
{
    QTest::addColumn<quint8>("line");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("stopBits");
    QTest::addColumn<int>("parity");
    QTest::newRow("8N1") << quint8(0x00) << 8 << 1 << 0;
    QTest::newRow("seven data bits") << quint8(0x01) << 7 << 1 << 0;
    QTest::newRow("two stop bits") << quint8(0x04) << 8 << 2 << 0;
    QTest::newRow("odd parity 0x08") << quint8(0x08) << 8 << 1 << 1;
    QTest::newRow("even parity 0x18") << quint8(0x18) << 8 << 1 << 2;
    QTest::newRow("0x10 alone is no parity") << quint8(0x10) << 8 << 1 << 0;
    QTest::newRow("7E2") << quint8(0x1D) << 7 << 2 << 2;
    QTest::newRow("reserved bits only") << quint8(0xE2) << 8 << 1 << 0;
}
// clang-format on

void TestFirmwareLoad::lineFormat()
{
    QFETCH(quint8, line);
    QFETCH(int, dataBits);
    QFETCH(int, stopBits);
    QFETCH(int, parity);
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    rec.m_nDataBits = rec.m_nStopBits = rec.m_nParity = -1;
    QVERIFY(loadOk(rec, ui, ImageBuilder(ImageBuilder::Bld).setLine(line).build()));
    QCOMPARE(rec.m_nDataBits, dataBits);
    QCOMPARE(rec.m_nStopBits, stopBits);
    QCOMPARE(rec.m_nParity, parity);
}

// clang-format off
void TestFirmwareLoad::flowControl_data()
{
    QTest::addColumn<quint8>("flow");
    QTest::addColumn<int>("setting");
    QTest::newRow("none") << quint8(0x00) << 0;
    QTest::newRow("CTS/RTS") << quint8(0x01) << 1;
    QTest::newRow("DTR/DSR") << quint8(0x02) << 2;
    QTest::newRow("XON/XOFF") << quint8(0x04) << 3;
    QTest::newRow("0x03 unknown") << quint8(0x03) << 4;
    QTest::newRow("0x08 unknown") << quint8(0x08) << 4;
    QTest::newRow("0xff unknown") << quint8(0xFF) << 4;
}
// clang-format on

void TestFirmwareLoad::flowControl()
{
    QFETCH(quint8, flow);
    QFETCH(int, setting);
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    rec.m_nFlowControl = -1;
    QVERIFY(loadOk(rec, ui, ImageBuilder(ImageBuilder::Upgrade).setFlow(flow).build()));
    QCOMPARE(rec.m_nFlowControl, setting);
}

// clang-format off
void TestFirmwareLoad::initAndOptionBytes_data()
{
    using namespace RecordState;
    QTest::addColumn<quint8>("init");
    QTest::addColumn<quint8>("option");
    QTest::addColumn<int>("flags");
    QTest::newRow("nothing set") << quint8(0) << quint8(0) << 0;
    QTest::newRow("init bit 0: IPA input") << quint8(0x01) << quint8(0) << int(AsciiInput);
    QTest::newRow("init bit 1: short command set") << quint8(0x02) << quint8(0) << int(ShortCommandSet);
    QTest::newRow("init bit 7: no LED flash") << quint8(0x80) << quint8(0) << int(DisableLedFlash);
    QTest::newRow("init bits 2-6 mean nothing") << quint8(0x7C) << quint8(0) << 0;
    QTest::newRow("option bit 0: no prompt") << quint8(0) << quint8(0x01) << int(HidePrompt);
    QTest::newRow("option bit 1: no data mode") << quint8(0) << quint8(0x02) << int(DisableDataMode);
    QTest::newRow("option bit 2: no connects") << quint8(0) << quint8(0x04) << int(HideConnects);
    QTest::newRow("option bit 3: no status info") << quint8(0) << quint8(0x08) << int(DisableStatusInfo);
    QTest::newRow("option bit 6: no version report") << quint8(0) << quint8(0x40) << int(HideVersionReport);
    QTest::newRow("option bit 7: no upgrades") << quint8(0) << quint8(0x80) << int(DisableUpgrades);
    QTest::newRow("option bits 4-5 mean nothing") << quint8(0) << quint8(0x30) << 0;
    QTest::newRow("everything") << quint8(0xFF) << quint8(0xFF) << int(RecordState::AllFlags);
}
// clang-format on

void TestFirmwareLoad::initAndOptionBytes()
{
    QFETCH(quint8, init);
    QFETCH(quint8, option);
    QFETCH(int, flags);
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    RecordState::SetFlags(rec, RecordState::AllFlags & ~flags);  // every flag must be rewritten
    QVERIFY(loadOk(rec, ui, ImageBuilder(ImageBuilder::Rom).setInit(init).setOption(option).build()));
    QCOMPARE(Flags(rec), flags);
}

// clang-format off
void TestFirmwareLoad::stringDescriptors_data()
{
    QTest::addColumn<QByteArray>("area");  // the bytes from 0xEB04 on
    QTest::addColumn<QString>("manufacturer");
    QTest::addColumn<QString>("product");
    QTest::addColumn<QString>("string3");

    QTest::newRow("three strings")
        << Descriptor(16, "Norvale") + Descriptor(8, "USB") + Descriptor(4, "3") << "Norvale" << "USB" << "3";
    QTest::newRow("length 2 is empty")
        << Descriptor(2, "") + Descriptor(6, "PQ") + Descriptor(2, "") << "" << "PQ" << "";
    QTest::newRow("only the low byte counts")
        << Descriptor(6, "AB", 0x04) + Descriptor(4, "\xe9", 0xFF) + Descriptor(2, "") << "AB"
        << QString(QChar(0xE9)) << "";
    // (L - 2) / 2 units; the next descriptor starts right after the last one taken.
    QTest::newRow("odd length")
        << Descriptor(7, "AB") + Descriptor(5, "C") + Descriptor(3, "") << "AB" << "C" << "";
    QTest::newRow("length 0 steps two bytes")
        << Descriptor(0, "") + Descriptor(6, "XY") + Descriptor(4, "Z") << "" << "XY" << "Z";
    QTest::newRow("length 1 steps two bytes")
        << Descriptor(1, "") + Descriptor(1, "") + Descriptor(6, "OK") << "" << "" << "OK";

    // 0xEB06 to 0xEBFF holds 125 code units; 0xEC00 is the device descriptor.
    const QByteArray fill(125, 'm');
    QTest::newRow("first runs past 0xEBFF")
        << Descriptor(0xFF, fill) << QString(125, QLatin1Char('m')) << "" << "";
    QTest::newRow("third runs past 0xEBFF")
        << Descriptor(2, "") + Descriptor(2, "") + Descriptor(0xFE, fill.left(123)) << "" << ""
        << QString(123, QLatin1Char('m'));
    // 123 + 1 characters end exactly at 0xEBFF; the third header would lie outside.
    QTest::newRow("chain ends at 0xEBFF")
        << Descriptor(0xF8, fill.left(123)) + Descriptor(4, "Z") << QString(123, QLatin1Char('m')) << "Z" << "";
}
// clang-format on

void TestFirmwareLoad::stringDescriptors()
{
    QFETCH(QByteArray, area);
    QFETCH(QString, manufacturer);
    QFETCH(QString, product);
    QFETCH(QString, string3);

    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    // Earlier strings must not survive a QSOL load.
    rec.m_strManufacturer = rec.m_strProduct = rec.m_strString3 = QStringLiteral("old");
    QVERIFY(loadOk(rec, ui, QsolWithStringArea(area).build()));
    QCOMPARE(rec.m_strManufacturer, manufacturer);
    QCOMPARE(rec.m_strProduct, product);
    QCOMPARE(rec.m_strString3, string3);
    QCOMPARE(rec.m_nVendorId, 0x2B3F);
}

// clang-format off
void TestFirmwareLoad::deviceDescriptor_data()
{
    QTest::addColumn<quint8>("deviceLength");
    QTest::addColumn<quint8>("languageLength");
    QTest::addColumn<int>("vendorId");
    QTest::addColumn<int>("productId");
    QTest::addColumn<QString>("manufacturer");

    QTest::newRow("standard") << quint8(0x12) << quint8(4) << 0xA1B2 << 0xC3D4 << "Maker";
    QTest::newRow("length 9 is enough") << quint8(9) << quint8(4) << 0xA1B2 << 0xC3D4 << "Maker";
    QTest::newRow("length 8 keeps the IDs") << quint8(8) << quint8(4) << 0x1111 << 0x2222 << "Maker";
    QTest::newRow("length 0 keeps the IDs") << quint8(0) << quint8(4) << 0x1111 << 0x2222 << "Maker";
    // Without a language descriptor of length 4 the strings are empty, the IDs still read.
    QTest::newRow("language length 6") << quint8(0x12) << quint8(6) << 0xA1B2 << 0xC3D4 << "";
    QTest::newRow("language length 0") << quint8(0x12) << quint8(0) << 0xA1B2 << 0xC3D4 << "";
}
// clang-format on

void TestFirmwareLoad::deviceDescriptor()
{
    QFETCH(quint8, deviceLength);
    QFETCH(quint8, languageLength);
    QFETCH(int, vendorId);
    QFETCH(int, productId);
    QFETCH(QString, manufacturer);

    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    rec.m_nVendorId = 0x1111;
    rec.m_nProductId = 0x2222;
    rec.m_strManufacturer = QStringLiteral("old");
    ImageBuilder b(ImageBuilder::Rom, "03.66QSOLA");
    b.setDeviceDescriptor(deviceLength, 0xA1B2, 0xC3D4).setStrings({"Maker", "Thing", "3"});
    b.setByte(kStringArea, languageLength);
    QVERIFY(loadOk(rec, ui, b.build()));
    QCOMPARE(rec.m_nVendorId, vendorId);
    QCOMPARE(rec.m_nProductId, productId);
    QCOMPARE(rec.m_strManufacturer, manufacturer);
}

// clang-format off
void TestFirmwareLoad::membersOfOtherTypesKept_data()
{
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<bool>("usb");
    QTest::addColumn<bool>("prefix");
    QTest::newRow("QHAR") << QByteArray("03.64QHARF") << false << false;
    QTest::newRow("QLYT1") << QByteArray("03.64QLYT1F") << false << false;
    QTest::newRow("QBEN") << QByteArray("03.64QBENF") << false << false;
    QTest::newRow("QSOL") << QByteArray("03.64QSOLF") << true << false;
    QTest::newRow("QTIM") << QByteArray("03.64QTIMF") << false << false;
    QTest::newRow("QWEX") << QByteArray("03.64QWEXF") << false << true;
    QTest::newRow("QJ4J") << QByteArray("03.64QJ4JF") << false << true;
}
// clang-format on

void TestFirmwareLoad::membersOfOtherTypesKept()
{
    QFETCH(QByteArray, version);
    QFETCH(bool, usb);
    QFETCH(bool, prefix);

    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    // Earlier loads: a QWEX file leaves a prefix, a QSOL file the USB identity.
    QVERIFY(loadOk(rec, ui, ImageBuilder(ImageBuilder::Rom, "03.64QWEXF").setDirPrefix("OLD1").build()));
    ImageBuilder qsol(ImageBuilder::Rom, "03.64QSOLF");
    qsol.setDeviceDescriptor(0x12, 0x1111, 0x2222).setStrings({"OldM", "OldP", "Old3"});
    QVERIFY(loadOk(rec, ui, qsol.build()));

    ImageBuilder b(ImageBuilder::Rom, version);
    b.setDirPrefix("N\xff"
                   "0z")
        .setDeviceDescriptor(0x12, 0xAAAA, 0xBBBB)
        .setStrings({"NewM", "NewP", "New3"});
    QVERIFY(loadOk(rec, ui, b.build()));

    QCOMPARE(rec.m_strDirPrefix, prefix ? QString::fromLatin1("N\xff"
                                                              "0z")
                                        : QStringLiteral("OLD1"));
    QCOMPARE(rec.m_nVendorId, usb ? 0xAAAA : 0x1111);
    QCOMPARE(rec.m_nProductId, usb ? 0xBBBB : 0x2222);
    QCOMPARE(rec.m_strManufacturer, usb ? QStringLiteral("NewM") : QStringLiteral("OldM"));
    QCOMPARE(rec.m_strProduct, usb ? QStringLiteral("NewP") : QStringLiteral("OldP"));
    QCOMPARE(rec.m_strString3, usb ? QStringLiteral("New3") : QStringLiteral("Old3"));
}

void TestFirmwareLoad::samePathNotReloaded()
{
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    const QString path = fixture(ImageBuilder(ImageBuilder::Rom).setDivisor(26).build());
    QCOMPARE(rec.LoadFirmware(path), 1);
    QCOMPARE(rec.m_nBaudRate, 115200);

    // The file changes on disk and the record is edited: loading the same path reads nothing.
    QVERIFY(ImageBuilder(ImageBuilder::Bld).writeTo(path));
    rec.m_nBaudRate = 300;
    const quint8 *buffer = rec.Image();
    ui.clear();
    QCOMPARE(rec.LoadFirmware(path), 0);
    QVERIFY(ui.messages.isEmpty());
    QVERIFY(ui.waitBalanced());
    QCOMPARE(rec.m_nBaudRate, 300);
    QCOMPARE(rec.m_nFileKind, int(KindRom));
    QCOMPARE(rec.m_nFileLength, kRomLength);
    QCOMPARE(rec.Image(), buffer);
    QCOMPARE(rec.m_strSourceFile, path);
}

void TestFirmwareLoad::pathCase()
{
    UiRecorder ui;
    CFirmwareRecord rec(&ui);
    const QString lower =
        fixture(ImageBuilder(ImageBuilder::Rom).setDivisor(26).build(), QStringLiteral("casefile.rom"));
    QCOMPARE(rec.LoadFirmware(lower), 1);
    const QString upper = m_dir.filePath(QStringLiteral("CASEFILE.ROM"));
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
    // One file under two spellings: the second is the one already loaded.
    QCOMPARE(rec.LoadFirmware(upper), 0);
    QCOMPARE(rec.m_strSourceFile, lower);
#else
    // Two files: the second, a different image, must be read.
    QVERIFY(ImageBuilder(ImageBuilder::Bld).setDivisor(13).writeTo(upper));
    QCOMPARE(rec.LoadFirmware(upper), 1);
    QCOMPARE(rec.m_strSourceFile, upper);
    QCOMPARE(rec.m_nFileKind, int(KindBld));
    QCOMPARE(rec.m_nBaudRate, 230400);
#endif
    QVERIFY(ui.messages.isEmpty());
}

QTEST_GUILESS_MAIN(TestFirmwareLoad)
#include "tst_firmwareload.moc"
