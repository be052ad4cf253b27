#pragma once

// The layout of Norvale firmware files. Multi-byte fields are little-endian.
// "Image offsets" are relative to the image base: 0 for ROM and BLD images, 512 for an
// upgrade file, whose 512-byte header comes first.

// Std
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace Firmware {

// File lengths decide the kind of file.
inline constexpr int kRomLength = 0x10000;                       // 65536: complete 64 KiB image
inline constexpr int kBldLength = 0xF000;                        // 61440: image without its last 4 KiB
inline constexpr int kHeaderSize = 0x200;                        // 512: upgrade-file header
inline constexpr int kUpgradeLength = kHeaderSize + kRomLength;  // 66048
inline constexpr int kBufferSize = kUpgradeLength;               // one buffer holds every kind

static_assert(kRomLength == 65536);
static_assert(kBldLength == 61440);
static_assert(kHeaderSize == 512);
static_assert(kUpgradeLength == 66048);

// Values of m_nFileKind.
enum FileKind : int {
    KindRom = 0,
    KindUpgrade = 1,
    KindBld = 2,
};

// Values of m_nCodeType: the byte after a signature.
enum CodeType : int {
    CodeRomImage = 0,
    CodeMain = 1,
    CodeReflash = 2,
};

// The 31-byte signature inside every image and at the start of an upgrade header.
inline constexpr std::size_t kSignatureSize = 31;
// clang-format off
inline constexpr std::array<std::uint8_t, kSignatureSize> kSignature = {
    'O', 'R', 'V', 'A', 'K', 'R', '7', 'M', '3', '2', 'C', 'o', 'd', 'e', 0x00,
    0xAA, 0x55, 0xFF, 0x00, 0x11, 0x33, 0x77, 0xFF, 0xFF, 0x77, 0x33, 0x11, 0x00, 0xFF, 0x55, 0xAA,
};
// clang-format on
static_assert(kSignature.size() == 31);

// Upgrade-file header, file offsets.
inline constexpr int kHeaderSignature = 0x00;
inline constexpr int kHeaderCodeType = 0x1F;
inline constexpr int kHeaderVersion = 0x20;
inline constexpr int kHeaderMarker = 0x34;
inline constexpr std::uint8_t kHeaderMarkerValue = 0x78;
static_assert(kHeaderCodeType == kHeaderSignature + int(kSignatureSize));
static_assert(kHeaderMarker < kHeaderSize);

// Image layout, image offsets.
inline constexpr int kVersionText = 0x20;
inline constexpr int kVersionTextSize = 16;
inline constexpr int kImageSignature = 0x30;
inline constexpr int kImageCodeType = 0x4F;
inline constexpr int kParamsVersion = 0x50;
inline constexpr int kInitByte = 0x51;
inline constexpr int kOptionByte = 0x52;
inline constexpr int kDivisor = 0x53;  // 3 bytes, little-endian
inline constexpr int kLineFormat = 0x56;
inline constexpr int kFlowControl = 0x57;
inline constexpr int kDirPrefix = 0x58;
inline constexpr int kDirPrefixSize = 4;
// The version code that marks a customised version text.
inline constexpr int kVersionCodeLength = 3;
inline constexpr std::uint8_t kParamsVersionKnown = 1;
static_assert(kVersionText + kVersionTextSize == kImageSignature);
static_assert(kImageCodeType == kImageSignature + int(kSignatureSize));
static_assert(kDirPrefix + kDirPrefixSize == 0x5C);

// USB string descriptors: language descriptor, then manufacturer, product and a third string.
inline constexpr int kStringArea = 0xEB00;
inline constexpr int kStringAreaEnd = 0xEC00;  // exclusive
inline constexpr int kLanguageDescriptorLength = 4;
inline constexpr int kFirstString = kStringArea + kLanguageDescriptorLength;
inline constexpr std::uint8_t kStringDescriptorType = 3;
inline constexpr int kStringDescriptorCount = 3;
// Three 2-byte headers and 2 bytes per character between 0xEB04 and 0xEBFF.
inline constexpr int kMaxUsbStringChars = (kStringAreaEnd - kFirstString - 2 * kStringDescriptorCount) / 2;
static_assert(kMaxUsbStringChars == 123);

// USB device descriptor.
inline constexpr int kDeviceDescriptor = 0xEC00;
inline constexpr int kDeviceDescriptorMinLength = 8;  // IDs are used only above this
inline constexpr int kVendorId = 0xEC08;
inline constexpr int kProductId = 0xEC0A;
static_assert(kProductId + 2 <= kBldLength);

// The last 4 KiB that a BLD image lacks; a ROM image made from one gets the reflasher block.
inline constexpr int kReflasherOffset = kBldLength;
inline constexpr int kReflasherSize = kRomLength - kBldLength;
static_assert(kReflasherSize == 4096);

// Init byte (0x51) bits.
inline constexpr std::uint8_t kInitAsciiInput = 0x01;
inline constexpr std::uint8_t kInitShortCommandSet = 0x02;
inline constexpr std::uint8_t kInitDisableLedFlash = 0x80;

// Option byte (0x52) bits.
inline constexpr std::uint8_t kOptHidePrompt = 0x01;
inline constexpr std::uint8_t kOptDisableDataMode = 0x02;
inline constexpr std::uint8_t kOptHideConnects = 0x04;
inline constexpr std::uint8_t kOptDisableStatusInfo = 0x08;
inline constexpr std::uint8_t kOptHideVersionReport = 0x40;
inline constexpr std::uint8_t kOptDisableUpgrades = 0x80;

// Line format (0x56) bits.
inline constexpr std::uint8_t kLineSevenBits = 0x01;
inline constexpr std::uint8_t kLineTwoStopBits = 0x04;
inline constexpr std::uint8_t kLineParity = 0x08;
inline constexpr std::uint8_t kLineEvenParity = 0x10;

// Flow-control byte (0x57) and m_nFlowControl values.
inline constexpr int kFlowNone = 0;
inline constexpr int kFlowCtsRts = 1;
inline constexpr int kFlowDtrDsr = 2;
inline constexpr int kFlowXonXoff = 3;
inline constexpr int kFlowUnknown = 4;

// The baud divisor codes for the chip's 3 MHz UART reference.
struct BaudDivisor {
    int rate;
    std::uint32_t code;
};
inline constexpr std::array<BaudDivisor, 17> kBaudDivisors = {{
    {300, 10000},
    {600, 5000},
    {1200, 2500},
    {2400, 1250},
    {4800, 625},
    {9600, 16696},
    {19200, 32924},
    {38400, 49230},
    {57600, 49204},
    {115200, 26},
    {230400, 13},
    {460800, 16390},
    {921600, 32771},
    {1000000, 3},
    {1500000, 2},
    {2000000, 1},
    {3000000, 0},
}};
inline constexpr int kDefaultBaudRate = 9600;
inline constexpr std::uint32_t kDefaultDivisor = 16696;

constexpr int BaudRateForCode(std::uint32_t code)
{
    for (const BaudDivisor &d : kBaudDivisors)
        if (d.code == code)
            return d.rate;
    return kDefaultBaudRate;
}

constexpr std::uint32_t CodeForBaudRate(int rate)
{
    for (const BaudDivisor &d : kBaudDivisors)
        if (d.rate == rate)
            return d.code;
    return kDefaultDivisor;
}

static_assert(BaudRateForCode(0x4138) == 9600);
static_assert(BaudRateForCode(5) == 9600);
static_assert(CodeForBaudRate(12345) == 0x4138);
static_assert(CodeForBaudRate(3000000) == 0);

// Firmware types: m_nFirmwareType is one of these bits, or 0.
enum FirmwareType : int {
    TypeNone = 0,
    TypeQHAR = 1,
    TypeQLYT1 = 2,
    TypeQBEN = 4,
    TypeQSOL = 8,
    TypeQTIM = 16,
    TypeQWEX = 32,
    TypeQJ4J = 64,
};
inline constexpr int kAllTypes = 127;
inline constexpr int kUsbSlaveTypes = TypeQSOL;
inline constexpr int kDirPrefixTypes = TypeQWEX | TypeQJ4J;

struct FirmwareTypeCode {
    std::string_view code;
    int type;
};
inline constexpr std::array<FirmwareTypeCode, 7> kFirmwareTypes = {{
    {"QHAR", TypeQHAR},
    {"QLYT1", TypeQLYT1},
    {"QBEN", TypeQBEN},
    {"QSOL", TypeQSOL},
    {"QTIM", TypeQTIM},
    {"QWEX", TypeQWEX},
    {"QJ4J", TypeQJ4J},
}};

// kAllTypes is every type of the table and nothing else: each type one bit of its own.
constexpr bool AllTypesAreTheTable()
{
    int all = 0;
    for (const FirmwareTypeCode &t : kFirmwareTypes) {
        if (t.type <= 0 || (t.type & (t.type - 1)) != 0 || (all & t.type) != 0)
            return false;
        all |= t.type;
    }
    return all == kAllTypes;
}
static_assert(AllTypesAreTheTable(), "kAllTypes must be the bits of the seven firmware types");

// Releases before 03.55 have another parameter layout.
inline constexpr int kMinVersionNumber = 355;
// Characters 0, 1, 3 and 4 of the version text hold the release number.
inline constexpr int kMinVersionTextLength = 5;

// Bytes that loading or writing reads or changes for firmware of the given types; the rest is
// the firmware itself, which every write copies unchanged.
constexpr bool IsInterpreted(int imageOffset, int firmwareTypes)
{
    // Version text, signature, code type and the parameter block up to the prefix.
    if (imageOffset >= kVersionText && imageOffset < kDirPrefix)
        return true;
    if ((firmwareTypes & kDirPrefixTypes) && imageOffset >= kDirPrefix && imageOffset < kDirPrefix + kDirPrefixSize)
        return true;
    if (firmwareTypes & kUsbSlaveTypes) {
        if (imageOffset >= kStringArea && imageOffset < kStringAreaEnd)
            return true;
        if (imageOffset == kDeviceDescriptor || (imageOffset >= kVendorId && imageOffset < kProductId + 2))
            return true;
    }
    return false;
}

}  // namespace Firmware
