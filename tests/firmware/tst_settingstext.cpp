// The description texts shared by the summary and finish pages, the version-code merge and
// the USB ID conversions.

// Qt
#include <QTemporaryDir>
#include <QtTest>

#include "common/imagebuilder.h"
#include "firmware/fieldrules.h"
#include "firmware/filename.h"
#include "firmware/firmwareformat.h"
#include "firmware/firmwarerecord.h"
#include "firmware/settingstext.h"

using namespace SettingsText;

namespace {

// The loaded ROM image of the summary page's own example: 03.64QHARF, 9600 8N1, no flow
// control, extended command set, IPA input, flashing LEDs, nothing disabled or hidden.
Firmware::Settings Example()
{
    Firmware::Settings v;
    v.m_nFileKind = Firmware::KindRom;
    v.m_nCodeType = Firmware::CodeRomImage;
    v.m_nFirmwareType = Firmware::TypeQHAR;
    v.m_nBaudRate = 9600;
    v.m_nDataBits = 8;
    v.m_nStopBits = 1;
    v.m_nParity = 0;
    v.m_nFlowControl = 0;
    v.m_bShortCommandSet = false;
    v.m_bAsciiInput = true;
    v.m_bDisableLedFlash = false;
    v.m_strVersion = QStringLiteral("03.64QHARF");
    return v;
}

const QString kExampleOptions =
    QStringLiteral("Allow Firmware Upgrades, Allow Data Mode, Allow Sonette Status Information,\r\n"
                   "Show Prompt, Show Device Connects/Removals, Show Version Report at Startup.");

}  // namespace

class TestSettingsText : public QObject
{
    Q_OBJECT

private slots:
    void describeExample();
    void versionAndType_data();
    void versionAndType();
    void monitor_data();
    void monitor();
    void usbIds_data();
    void usbIds();
    void initMode_data();
    void initMode();
    void options_data();
    void options();
    void describeTwiceGivesSameTexts();
    void copyText_data();
    void copyText();
    void rowsByType_data();
    void rowsByType();
    void rowsOfRecord_data();
    void rowsOfRecord();

    void mergeVersionCode_data();
    void mergeVersionCode();
    void mergeTwiceKeepsOneCode();
    void finishText_data();
    void finishText();
    void fileNamePart_data();
    void fileNamePart();
    void parseUsbId_data();
    void parseUsbId();
    void numberRules_data();
    void numberRules();
    void formatHex4_data();
    void formatHex4();
    void firmwareTypeWord_data();
    void firmwareTypeWord();
};

void TestSettingsText::describeExample()
{
    const SummaryTexts t = Describe(Example(), false);
    QCOMPARE(t.fwVersion, QStringLiteral("03.64"));
    QCOMPARE(t.fwType, QStringLiteral("QHAR ROM File"));
    QCOMPARE(t.monitor, QStringLiteral("9600 baud, 8 bits, 1 stop bit, no parity, no flow control"));
    QCOMPARE(t.initMode, QStringLiteral("ECS, IPA, LED Flash at Power-on"));
    QCOMPARE(t.options, kExampleOptions);
    QCOMPARE(t.pid, QStringLiteral("0x0000"));
    QCOMPARE(t.vid, QStringLiteral("0x0000"));
}

// clang-format off
void TestSettingsText::versionAndType_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<int>("firmwareType");
    QTest::addColumn<int>("fileKind");
    QTest::addColumn<int>("codeType");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QString>("fwVersion");
    QTest::addColumn<QString>("fwType");

    QTest::newRow("modified file") << "03.64-ABCQHARF" << 1 << 0 << 0 << false << "03.64-ABC (Modified) "
                                   << "QHAR ROM File";
    QTest::newRow("modified, confirm") << "03.64-ABCQHARF" << 1 << 0 << 0 << true << "03.64-ABC" << "QHAR";
    QTest::newRow("confirm names no kind") << "03.64QHARF" << 1 << 2 << 0 << true << "03.64" << "QHAR";
    QTest::newRow("QUF main code") << "03.66QSOLA" << 8 << 1 << 1 << false << "03.66"
                                   << "QSOL QUF Upgrader File for Main Code";
    QTest::newRow("QUF code type 0") << "03.66QSOLA" << 8 << 1 << 0 << false << "03.66"
                                     << "QSOL QUF Upgrader File";
    QTest::newRow("other kind reads as QUF") << "03.66QSOLA" << 8 << 7 << 1 << false << "03.66"
                                             << "QSOL QUF Upgrader File for Main Code";
    QTest::newRow("BLD never has a code suffix") << "03.64QWEXF" << 32 << 2 << 1 << false << "03.64"
                                                 << "QWEX BLD File";
    QTest::newRow("first bit set wins") << "03.64QJ4JF" << (8 | 64) << 0 << 0 << true << "03.64" << "QSOL";
    QTest::newRow("type 0 shows the text from Q") << "03.64QHARF" << 0 << 0 << 0 << false << "03.64"
                                                  << "QHARF ROM File";
    QTest::newRow("type 0, confirm") << "03.64QHARF" << 0 << 0 << 0 << true << "03.64" << "QHARF";
    QTest::newRow("no Q") << "03.64HARF" << 0 << 0 << 0 << false << "" << "03.64HARF ROM File";
    QTest::newRow("Q first") << "QHARF" << 0 << 2 << 0 << false << "" << "QHARF BLD File";
    QTest::newRow("dash only after the Q") << "03.64QHA-R" << 1 << 0 << 0 << false << "03.64" << "QHAR ROM File";
}
// clang-format on

void TestSettingsText::versionAndType()
{
    QFETCH(QString, version);
    QFETCH(int, firmwareType);
    QFETCH(int, fileKind);
    QFETCH(int, codeType);
    QFETCH(bool, confirm);
    QFETCH(QString, fwVersion);
    QFETCH(QString, fwType);
    Firmware::Settings v = Example();
    v.m_strVersion = version;
    v.m_nFirmwareType = firmwareType;
    v.m_nFileKind = fileKind;
    v.m_nCodeType = codeType;
    const SummaryTexts t = Describe(v, confirm);
    QCOMPARE(t.fwVersion, fwVersion);
    QCOMPARE(t.fwType, fwType);
}

// clang-format off
void TestSettingsText::monitor_data()
{
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("stopBits");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("flow");
    QTest::addColumn<QString>("text");
    QTest::newRow("odd, CTS/RTS") << 115200 << 7 << 1 << 1 << 1
                                  << "115200 baud, 7 bits, 1 stop bit, odd parity, CTS/RTS";
    QTest::newRow("two stop bits stay singular") << 300 << 8 << 2 << 2 << 2
                                                 << "300 baud, 8 bits, 2 stop bit, even parity, DTR/DSR";
    QTest::newRow("XON/XOFF") << 3000000 << 8 << 1 << 0 << 3
                              << "3000000 baud, 8 bits, 1 stop bit, no parity, XON/XOFF";
    QTest::newRow("unknown parity and flow") << 9600 << 8 << 1 << 3 << 4
                                             << "9600 baud, 8 bits, 1 stop bit, unknown parity, unknown flow control";
    QTest::newRow("negative values") << 9600 << 8 << 1 << -1 << -1
                                     << "9600 baud, 8 bits, 1 stop bit, unknown parity, unknown flow control";
}
// clang-format on

void TestSettingsText::monitor()
{
    QFETCH(int, baud);
    QFETCH(int, dataBits);
    QFETCH(int, stopBits);
    QFETCH(int, parity);
    QFETCH(int, flow);
    QFETCH(QString, text);
    Firmware::Settings v = Example();
    v.m_nBaudRate = baud;
    v.m_nDataBits = dataBits;
    v.m_nStopBits = stopBits;
    v.m_nParity = parity;
    v.m_nFlowControl = flow;
    QCOMPARE(Describe(v, false).monitor, text);
    QCOMPARE(Describe(v, true).monitor, text);
}

// clang-format off
void TestSettingsText::usbIds_data()
{
    QTest::addColumn<int>("productId");
    QTest::addColumn<int>("vendorId");
    QTest::addColumn<QString>("pid");
    QTest::addColumn<QString>("vid");
    QTest::newRow("leading zeros") << 5 << 0x403 << "0x0005" << "0x0403";
    QTest::newRow("lower-case letters") << 0xABCD << 0xFFFF << "0xabcd" << "0xffff";
    QTest::newRow("more than four digits") << 0x12345 << 0 << "0x12345" << "0x0000";
}
// clang-format on

void TestSettingsText::usbIds()
{
    QFETCH(int, productId);
    QFETCH(int, vendorId);
    QFETCH(QString, pid);
    QFETCH(QString, vid);
    Firmware::Settings v = Example();
    v.m_nProductId = productId;
    v.m_nVendorId = vendorId;
    const SummaryTexts t = Describe(v, false);
    QCOMPARE(t.pid, pid);
    QCOMPARE(t.vid, vid);
}

// clang-format off
void TestSettingsText::initMode_data()
{
    QTest::addColumn<bool>("shortCommandSet");
    QTest::addColumn<bool>("asciiInput");
    QTest::addColumn<bool>("disableLedFlash");
    QTest::addColumn<QString>("text");
    QTest::newRow("ECS IPH") << false << false << false << "ECS, IPH, LED Flash at Power-on";
    QTest::newRow("SCS") << true << false << false << "SCS, IPH, LED Flash at Power-on";
    QTest::newRow("IPA") << false << true << false << "ECS, IPA, LED Flash at Power-on";
    QTest::newRow("no LED flash") << false << false << true << "ECS, IPH, Disable LED Flash at Power-on";
    QTest::newRow("all set") << true << true << true << "SCS, IPA, Disable LED Flash at Power-on";
}
// clang-format on

void TestSettingsText::initMode()
{
    QFETCH(bool, shortCommandSet);
    QFETCH(bool, asciiInput);
    QFETCH(bool, disableLedFlash);
    QFETCH(QString, text);
    Firmware::Settings v = Example();
    v.m_bShortCommandSet = shortCommandSet;
    v.m_bAsciiInput = asciiInput;
    v.m_bDisableLedFlash = disableLedFlash;
    QCOMPARE(Describe(v, false).initMode, text);
}

// clang-format off
void TestSettingsText::options_data()
{
    QTest::addColumn<QString>("flag");
    QTest::addColumn<QString>("text");
    QTest::newRow("upgrades") << "upgrades"
                              << "Disable Firmware Upgrades, Allow Data Mode, Allow Sonette Status Information,\r\n"
                                 "Show Prompt, Show Device Connects/Removals, Show Version Report at Startup.";
    QTest::newRow("data mode") << "dataMode"
                               << "Allow Firmware Upgrades, Disable Data Mode, Allow Sonette Status Information,\r\n"
                                  "Show Prompt, Show Device Connects/Removals, Show Version Report at Startup.";
    QTest::newRow("status info") << "statusInfo"
                                 << "Allow Firmware Upgrades, Allow Data Mode, Disable Sonette Status Information,\r\n"
                                    "Show Prompt, Show Device Connects/Removals, Show Version Report at Startup.";
    QTest::newRow("prompt") << "prompt"
                            << "Allow Firmware Upgrades, Allow Data Mode, Allow Sonette Status Information,\r\n"
                               "No Prompt, Show Device Connects/Removals, Show Version Report at Startup.";
    QTest::newRow("connects") << "connects"
                              << "Allow Firmware Upgrades, Allow Data Mode, Allow Sonette Status Information,\r\n"
                                 "Show Prompt, No Device Connects/Removals, Show Version Report at Startup.";
    QTest::newRow("version report") << "versionReport"
                                    << "Allow Firmware Upgrades, Allow Data Mode, Allow Sonette Status Information,\r\n"
                                       "Show Prompt, Show Device Connects/Removals, No Version Report at Startup.";
    QTest::newRow("none") << "" << kExampleOptions;
}
// clang-format on

void TestSettingsText::options()
{
    QFETCH(QString, flag);
    QFETCH(QString, text);
    Firmware::Settings v = Example();
    v.m_bDisableUpgrades = flag == QLatin1String("upgrades");
    v.m_bDisableDataMode = flag == QLatin1String("dataMode");
    v.m_bHidePrompt = flag == QLatin1String("prompt");
    v.m_bHideConnects = flag == QLatin1String("connects");
    v.m_bHideVersionReport = flag == QLatin1String("versionReport");
    v.m_bDisableStatusInfo = flag == QLatin1String("statusInfo");
    const SummaryTexts t = Describe(v, false);
    QCOMPARE(t.options, text);
    QCOMPARE(t.options.count(QLatin1String("\r\n")), 1);
}

void TestSettingsText::describeTwiceGivesSameTexts()
{
    Firmware::Settings v = Example();
    v.m_strVersion = QStringLiteral("03.64-ABCQHARF");
    const SummaryTexts first = Describe(v, false);
    const SummaryTexts second = Describe(v, false);
    QCOMPARE(second.fwVersion, first.fwVersion);
    QCOMPARE(second.fwType, first.fwType);
    QCOMPARE(first.fwVersion.count(QLatin1String("(Modified)")), 1);
}

// clang-format off
void TestSettingsText::copyText_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QString>("text");
    QTest::newRow("file summary")
        << false
        << QStringLiteral("Firmware Settings\r\n\r\n"
                          "Firmware Version: 03.64\r\n\r\n"
                          "Firmware Type: QHAR ROM File\r\n\r\n"
                          "Default Monitor Settings: 9600 baud, 8 bits, 1 stop bit, no parity, no flow control\r\n\r\n"
                          "Initial Mode: ECS, IPA, LED Flash at Power-on\r\n\r\n"
                          "Options: ")
               + kExampleOptions + QStringLiteral("\r\n\r\n");
    QTest::newRow("confirm summary")
        << true
        << QStringLiteral("Summary of Firmware Customisations\r\n\r\n"
                          "Firmware Version: 03.64\r\n\r\n"
                          "Firmware Type: QHAR\r\n\r\n"
                          "Default Monitor Settings: 9600 baud, 8 bits, 1 stop bit, no parity, no flow control\r\n\r\n"
                          "Initial Mode: ECS, IPA, LED Flash at Power-on\r\n\r\n"
                          "Options: ")
               + kExampleOptions + QStringLiteral("\r\n\r\n");
}
// clang-format on

void TestSettingsText::copyText()
{
    QFETCH(bool, confirm);
    QFETCH(QString, text);
    Firmware::Settings v = Example();
    v.m_nProductId = 0x6001;  // a QHAR file carries no USB identity: not part of the copied text
    v.m_nVendorId = 0x0403;
    const QString copied = CopyText(Describe(v, confirm), confirm);
    QCOMPARE(copied, text);
    QVERIFY(!copied.contains(QLatin1String("6001")));
    QVERIFY(!copied.contains(QLatin1String("0403")));
}

// clang-format off
void TestSettingsText::rowsByType_data()
{
    // The rows beyond the settings, each for the types and images that carry it, in the Copy text
    // after the options, in the order the page shows them.
    QTest::addColumn<bool>("usbIds");
    QTest::addColumn<bool>("usbStrings");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("dirPrefix");
    QTest::addColumn<QString>("tail");
    const QString options = QStringLiteral("Options: ") + kExampleOptions + QStringLiteral("\r\n\r\n");
    const QString both = options + "USB VID/PID: 0x0403/0x6001\r\n\r\nUSB Strings: \"Acme\", \"\", \"SN 1\"\r\n\r\n";
    QTest::newRow("none") << false << false << int(Firmware::TypeQHAR) << false << options;
    QTest::newRow("QSOL") << true << true << int(Firmware::TypeQSOL) << false << both;
    QTest::newRow("QSOL without string descriptors") << true << false << int(Firmware::TypeQSOL) << false
                                                     << options + "USB VID/PID: 0x0403/0x6001\r\n\r\n";
    QTest::newRow("QSOL without a device descriptor") << false << true << int(Firmware::TypeQSOL) << false
                                                      << options + "USB Strings: \"Acme\", \"\", \"SN 1\"\r\n\r\n";
    // The descriptors count only for the firmware type that has them.
    QTest::newRow("QHAR with descriptors") << true << true << int(Firmware::TypeQHAR) << false << options;
    QTest::newRow("QWEX") << false << false << int(Firmware::TypeQWEX) << true
                          << options + "Target Directory Prefix: AB12\r\n\r\n";
    QTest::newRow("QJ4J") << false << false << int(Firmware::TypeQJ4J) << true
                          << options + "Target Directory Prefix: AB12\r\n\r\n";
}
// clang-format on

void TestSettingsText::rowsByType()
{
    QFETCH(bool, usbIds);
    QFETCH(bool, usbStrings);
    QFETCH(int, type);
    QFETCH(bool, dirPrefix);
    QFETCH(QString, tail);
    Firmware::Settings v = Example();
    v.m_nFirmwareType = type;
    v.m_strVersion = QStringLiteral("03.64") + FirmwareTypeWord(type) + QLatin1Char('F');
    v.m_nProductId = 0x6001;
    v.m_nVendorId = 0x0403;
    v.m_bHasUsbIds = usbIds;
    v.m_bHasUsbStrings = usbStrings;
    v.m_strManufacturer = QStringLiteral("Acme");
    v.m_strString3 = QStringLiteral("SN 1");
    v.m_strDirPrefix = QStringLiteral("AB12");
    for (bool confirm : {false, true}) {
        const SummaryTexts t = Describe(v, confirm);
        const bool usb = type == Firmware::TypeQSOL;
        QCOMPARE(t.usbIds.isEmpty(), !(usb && usbIds));
        QCOMPARE(t.usbStrings.isEmpty(), !(usb && usbStrings));
        QCOMPARE(t.dirPrefix.isEmpty(), !dirPrefix);
        const QString copied = CopyText(t, confirm);
        QVERIFY2(copied.endsWith(tail), qPrintable(copied));
    }
}

void TestSettingsText::rowsOfRecord_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<bool>("usbIds");
    QTest::addColumn<bool>("usbStrings");
    QTest::addColumn<bool>("dirPrefix");
    QTest::newRow("QHAR") << ImageBuilder().build() << false << false << false;
    QTest::newRow("QSOL with strings")
        << ImageBuilder(ImageBuilder::Rom, "03.64QSOLF").setStrings({"A", "B", "C"}).build() << true << true << false;
    QTest::newRow("QSOL without strings")
        << ImageBuilder(ImageBuilder::Rom, "03.64QSOLF").build() << true << false << false;
    QTest::newRow("QSOL with a short device descriptor")
        << ImageBuilder(ImageBuilder::Rom, "03.64QSOLF").setDeviceDescriptor(8, 1, 2).build() << false << false
        << false;
    QTest::newRow("QJ4J") << ImageBuilder(ImageBuilder::Rom, "03.66QJ4JA").build() << false << false << true;
}

void TestSettingsText::rowsOfRecord()
{
    QFETCH(QByteArray, image);
    QFETCH(bool, usbIds);
    QFETCH(bool, usbStrings);
    QFETCH(bool, dirPrefix);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fw.rom"));
    QVERIFY(ImageBuilder::WriteFile(path, image));
    CFirmwareRecord record(nullptr);
    QCOMPARE(record.LoadFirmware(path), Firmware::FileResult::Done);
    const SummaryTexts t = Describe(record, false);
    QCOMPARE(!t.usbIds.isEmpty(), usbIds);
    QCOMPARE(!t.usbStrings.isEmpty(), usbStrings);
    QCOMPARE(!t.dirPrefix.isEmpty(), dirPrefix);
    // A record without an image describes no descriptors.
    CFirmwareRecord empty(nullptr);
    empty.m_nFirmwareType = Firmware::TypeQSOL;
    const SummaryTexts none = Describe(empty, false);
    QVERIFY(none.usbIds.isEmpty() && none.usbStrings.isEmpty());
}

// clang-format off
void TestSettingsText::mergeVersionCode_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("merged");
    QTest::newRow("no code yet") << "03.64QHARF" << "ABC" << "03.64-ABCQHARF";
    QTest::newRow("code replaced") << "03.64-XYZQHARF" << "ABC" << "03.64-ABCQHARF";
    QTest::newRow("cut at the last dash") << "03-64-XYZQSOLA" << "ABC" << "03-64-ABCQSOLA";
    QTest::newRow("Q inside the old code") << "03.64-Q12QHARF" << "ABC" << "03.64-ABCQHARF";
    QTest::newRow("dash first") << "-XYZQHARF" << "ABC" << "-ABCQHARF";
    QTest::newRow("no Q") << "03.64" << "ABC" << "-ABC03.64";
    QTest::newRow("empty version") << "" << "ABC" << "-ABC";
    QTest::newRow("Q first") << "QHARF" << "7Z9" << "-7Z9QHARF";
    QTest::newRow("code of another length") << "03.64QHARF" << "AB" << "03.64-ABQHARF";
}
// clang-format on

void TestSettingsText::mergeVersionCode()
{
    QFETCH(QString, version);
    QFETCH(QString, code);
    QFETCH(QString, merged);
    QCOMPARE(MergeVersionCode(version, code), merged);
}

void TestSettingsText::mergeTwiceKeepsOneCode()
{
    const QString once = MergeVersionCode(QStringLiteral("03.64QHARF"), QStringLiteral("XYZ"));
    QCOMPARE(MergeVersionCode(once, QStringLiteral("ABC")), QStringLiteral("03.64-ABCQHARF"));
    QCOMPARE(MergeVersionCode(MergeVersionCode(once, QStringLiteral("ABC")), QStringLiteral("ABC")),
             QStringLiteral("03.64-ABCQHARF"));
}

// clang-format off
void TestSettingsText::finishText_data()
{
    QTest::addColumn<int>("fileKind");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("text");
    const QString files = QStringLiteral("\r\n\r\nOriginal file in.ROM\r\n\r\nSaved to disk as out.QUF");
    QTest::newRow("ROM") << 0 << "03.64-ABCQHARF"
                         << "Successfully modified firmware ROM file.\r\n\r\nFirmware Version 03.64-ABCQHARF" + files;
    QTest::newRow("upgrade file") << 1 << "03.64-ABCQHARF"
                                  << "Successfully modified firmware Upgrader file.\r\n\r\n"
                                     "Firmware Version 03.64-ABCQHARF" + files;
    QTest::newRow("BLD") << 2 << "03.64-ABCQHARF"
                         << "Successfully modified firmware Upgrader file.\r\n\r\n"
                            "Firmware Version 03.64-ABCQHARF" + files;
    QTest::newRow("empty version") << 0 << ""
                                   << "Successfully modified firmware ROM file.\r\n\r\nFirmware Version " + files;
}
// clang-format on

void TestSettingsText::finishText()
{
    QFETCH(int, fileKind);
    QFETCH(QString, version);
    QFETCH(QString, text);
    QCOMPARE(
        FinishText(fileKind, version, QStringLiteral("/home/user/firmware/in.ROM"), QStringLiteral("/tmp/out.QUF")),
        text);
}

// clang-format off
void TestSettingsText::fileNamePart_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::newRow("folders dropped") << "/home/user/fw/V2.rom" << "V2.rom";
    QTest::newRow("bare name") << "V2.rom" << "V2.rom";
    QTest::newRow("trailing slash") << "/home/user/" << "";
    QTest::newRow("at most 255 characters") << "/x/" + QString(300, QLatin1Char('n')) << QString(255, QLatin1Char('n'));
#ifdef Q_OS_WIN
    QTest::newRow("backslash") << "C:\\fw\\V2.rom" << "V2.rom";
    QTest::newRow("drive colon") << "C:V2.rom" << "V2.rom";
#else
    // Elsewhere a backslash or colon is part of a file name.
    QTest::newRow("backslash is a name character") << "/tmp/a\\b:c.rom" << "a\\b:c.rom";
#endif
}
// clang-format on

void TestSettingsText::fileNamePart()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QCOMPARE(FileName::LastPart(path), name);
}

// clang-format off
void TestSettingsText::parseUsbId_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");  // -1: refused
    QTest::newRow("four digits") << "6001" << 0x6001;
    QTest::newRow("one digit") << "7" << 7;
    QTest::newRow("0x, mixed case") << "0xaBcD" << 0xABCD;
    QTest::newRow("0X") << "0X1f" << 0x1F;
    QTest::newRow("largest") << "ffff" << 0xFFFF;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("leading zeros beyond four digits") << "0x00001234" << 0x1234;
    QTest::newRow("blanks before and after") << " \t0x12 \n" << 0x12;
    QTest::newRow("five digits") << "12345" << -1;
    QTest::newRow("one past the largest") << "0x10000" << -1;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("blanks only") << "  " << -1;
    QTest::newRow("0x alone") << "0x" << -1;
    QTest::newRow("blank inside") << "12 34" << -1;
    QTest::newRow("minus sign") << "-1" << -1;
    QTest::newRow("plus sign") << "+12" << -1;
    QTest::newRow("letter beyond f") << "12g" << -1;
    QTest::newRow("no digits at all") << "zz" << -1;
    QTest::newRow("0x then a non-digit") << "0xg1" << -1;
    QTest::newRow("x after two zeros") << "00x12" << -1;
    QTest::newRow("full-width digit") << QStringLiteral("\uFF11") << -1;
}
// clang-format on

// The one rule for a USB ID typed by the user, in brindle-cli's options and the wizard's boxes.
void TestSettingsText::parseUsbId()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    const std::optional<quint16> id = FieldRules::ParseUsbId(text);
    QCOMPARE(id ? int(*id) : -1, value);
}

// clang-format off
void TestSettingsText::numberRules_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("whole");  // IsWholeNumber
    QTest::addColumn<bool>("hex");    // IsHexNumber
    QTest::addColumn<int>("usbId");   // ParseUsbId; -1: refused
    QTest::newRow("decimal digits") << "1234" << true << true << 0x1234;
    QTest::newRow("capitals") << "ABCD" << false << true << 0xABCD;
    QTest::newRow("small letters") << "abcd" << false << true << 0xABCD;
    QTest::newRow("0x") << "0x1f" << false << true << 0x1F;
    QTest::newRow("0X") << "0XFF" << false << true << 0xFF;
    QTest::newRow("0x alone") << "0x" << false << false << -1;
    QTest::newRow("0x twice") << "0x0x1" << false << false << -1;
    QTest::newRow("65535 as ffff") << "ffff" << false << true << 65535;
    QTest::newRow("65535 as FFFF with 0x") << "0xFFFF" << false << true << 65535;
    QTest::newRow("65536 as 10000") << "10000" << true << true << -1;
    QTest::newRow("65535 in decimal, hex 0x65535") << "65535" << true << true << -1;
    QTest::newRow("65536 in decimal") << "65536" << true << true << -1;
    QTest::newRow("empty") << "" << false << false << -1;
    QTest::newRow("a blank") << " " << false << false << -1;
    QTest::newRow("blanks around") << " 12 " << false << false << 0x12;
    QTest::newRow("blank inside") << "1 2" << false << false << -1;
    QTest::newRow("plus") << "+12" << true << false << -1;
    QTest::newRow("minus") << "-12" << true << false << -1;
    QTest::newRow("sign alone") << "-" << false << false << -1;
    QTest::newRow("two signs") << "+-1" << false << false << -1;
    QTest::newRow("g") << "1g" << false << false << -1;
    QTest::newRow("all ten digits") << "0123456789" << true << true << -1;
    QTest::newRow("a to f and A to F") << "0xaf" << false << true << 0xAF;
    QTest::newRow("A to F") << "0xAF" << false << true << 0xAF;
    QTest::newRow("before 0") << "/" << false << false << -1;
    QTest::newRow("after 9") << ":" << false << false << -1;
    QTest::newRow("before A") << "@" << false << false << -1;
    QTest::newRow("after F") << "G" << false << false << -1;
    QTest::newRow("before a") << "`" << false << false << -1;
    QTest::newRow("Arabic-Indic three") << QStringLiteral("\u0663") << false << false << -1;
    QTest::newRow("full-width one") << QStringLiteral("\uFF11") << false << false << -1;
}
// clang-format on

// The digit rules every number typed by the user goes through: brindle-cli's option values and
// the wizard's USB ID boxes.
void TestSettingsText::numberRules()
{
    QFETCH(QString, text);
    QFETCH(bool, whole);
    QFETCH(bool, hex);
    QFETCH(int, usbId);
    QCOMPARE(FieldRules::IsWholeNumber(text), whole);
    QCOMPARE(FieldRules::IsHexNumber(text), hex);
    const std::optional<quint16> id = FieldRules::ParseUsbId(text);
    QCOMPARE(id ? int(*id) : -1, usbId);
}

// clang-format off
void TestSettingsText::formatHex4_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0 << "0000";
    QTest::newRow("five") << 5 << "0005";
    QTest::newRow("lower-case letters") << 0xABCD << "abcd";
    QTest::newRow("five digits") << 0x12345 << "12345";
}
// clang-format on

void TestSettingsText::formatHex4()
{
    QFETCH(int, value);
    QFETCH(QString, text);
    QCOMPARE(FormatHex4(value), text);
}

// clang-format off
void TestSettingsText::firmwareTypeWord_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("word");
    QTest::newRow("none") << 0 << "";
    QTest::newRow("QHAR") << 1 << "QHAR";
    QTest::newRow("QLYT1") << 2 << "QLYT1";
    QTest::newRow("QBEN") << 4 << "QBEN";
    QTest::newRow("QSOL") << 8 << "QSOL";
    QTest::newRow("QTIM") << 16 << "QTIM";
    QTest::newRow("QWEX") << 32 << "QWEX";
    QTest::newRow("QJ4J") << 64 << "QJ4J";
    QTest::newRow("lowest bit first") << (2 | 32) << "QLYT1";
    QTest::newRow("unknown bit") << 128 << "";
}
// clang-format on

void TestSettingsText::firmwareTypeWord()
{
    QFETCH(int, type);
    QFETCH(QString, word);
    QCOMPARE(FirmwareTypeWord(type), word);
}

QTEST_GUILESS_MAIN(TestSettingsText)
#include "tst_settingstext.moc"
