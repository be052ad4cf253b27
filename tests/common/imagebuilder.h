#pragma once

// Builds small firmware files for tests: ROM, BLD or upgrade layout, with a chosen version
// text, parameter block and USB descriptors. Every byte that the program does not interpret
// holds a position-dependent pattern, so tests can tell copied bytes from rewritten ones.
//
// The builder knows the file format from its own literal values (namespace Literal), written
// out by hand and never taken from the program's constants: a file it builds checks those
// constants, and a test that takes its expected offsets and values from here checks them too.

// Std
#include <initializer_list>

// Qt
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

namespace Literal {

// File lengths and the upgrade header in front of an image.
inline constexpr int kRomLength = 65536;
inline constexpr int kBldLength = 61440;
inline constexpr int kHeaderSize = 512;
inline constexpr int kUpgradeLength = 66048;
inline constexpr int kBufferSize = 66048;

// The 31-byte signature: "ORVAKR7M32Code", a zero byte and sixteen marker bytes.
inline QByteArray Signature()
{
    return QByteArray("ORVAKR7M32Code\0"
                      "\xAA\x55\xFF\x00\x11\x33\x77\xFF\xFF\x77\x33\x11\x00\xFF\x55\xAA",
                      31);
}

// Upgrade header, file offsets.
inline constexpr int kHeaderCodeType = 0x1F;
inline constexpr int kHeaderVersion = 0x20;
inline constexpr int kHeaderMarker = 0x34;
inline constexpr char kHeaderMarkerValue = 0x78;

// Image offsets.
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

// USB string descriptors (language descriptor first) and the device descriptor.
inline constexpr int kStringArea = 0xEB00;
inline constexpr int kFirstString = 0xEB04;
inline constexpr int kStringAreaEnd = 0xEC00;  // exclusive
inline constexpr int kLanguageDescriptorLength = 4;
inline constexpr char kStringDescriptorType = 3;
inline constexpr int kMaxUsbStringChars = 123;
inline constexpr int kDeviceDescriptor = 0xEC00;
inline constexpr int kDeviceDescriptorMinLength = 8;  // the IDs are used above this length
inline constexpr int kVendorId = 0xEC08;
inline constexpr int kProductId = 0xEC0A;

// The last 4 KiB, which a BLD image lacks.
inline constexpr int kReflasherOffset = 0xF000;
inline constexpr int kReflasherSize = 4096;

// m_nFileKind, m_nCodeType and m_nFirmwareType values.
enum : int { KindRom = 0, KindUpgrade = 1, KindBld = 2 };
enum : int { CodeRomImage = 0, CodeMain = 1, CodeReflash = 2 };
enum : int {
    TypeNone = 0,
    TypeQHAR = 1,
    TypeQLYT1 = 2,
    TypeQBEN = 4,
    TypeQSOL = 8,
    TypeQTIM = 16,
    TypeQWEX = 32,
    TypeQJ4J = 64,
};

}  // namespace Literal

class ImageBuilder
{
public:
    enum Kind { Rom, Bld, Upgrade };

    explicit ImageBuilder(Kind kind = Rom, const QByteArray &version = "03.64QHARF") : m_kind(kind)
    {
        using namespace Literal;
        m_image.resize(kRomLength);
        for (int i = 0; i < kRomLength; ++i)
            m_image[i] = char(Pattern(i));
        m_image.replace(kImageSignature, 31, Signature());
        m_image[kImageCodeType] = char(CodeRomImage);
        setVersion(version);
        setParams(1);
        setInit(0).setOption(0).setDivisor(0x4138).setLine(0).setFlow(0).setDirPrefix("SNAP");
        m_image[kStringArea] = 0;  // no language descriptor unless strings are set
        setDeviceDescriptor(0x12, 0x2B3F, 0x5C10);
    }

    static quint8 Pattern(int imageOffset) { return quint8((imageOffset * 7 + 3) ^ (imageOffset >> 8)); }

    ImageBuilder &setVersion(const QByteArray &text)
    {
        // Exactly 16 bytes: the text, zero-padded when shorter.
        for (int i = 0; i < Literal::kVersionTextSize; ++i)
            m_image[Literal::kVersionText + i] = i < text.size() ? text.at(i) : char(0);
        return *this;
    }
    ImageBuilder &setParams(quint8 v) { return setByte(Literal::kParamsVersion, v); }
    ImageBuilder &setInit(quint8 v) { return setByte(Literal::kInitByte, v); }
    ImageBuilder &setOption(quint8 v) { return setByte(Literal::kOptionByte, v); }
    ImageBuilder &setLine(quint8 v) { return setByte(Literal::kLineFormat, v); }
    ImageBuilder &setFlow(quint8 v) { return setByte(Literal::kFlowControl, v); }
    ImageBuilder &setDivisor(quint32 code)
    {
        setByte(Literal::kDivisor, quint8(code));
        setByte(Literal::kDivisor + 1, quint8(code >> 8));
        return setByte(Literal::kDivisor + 2, quint8(code >> 16));
    }
    ImageBuilder &setDirPrefix(const QByteArray &four)
    {
        for (int i = 0; i < Literal::kDirPrefixSize && i < four.size(); ++i)
            setByte(Literal::kDirPrefix + i, quint8(four.at(i)));
        return *this;
    }
    ImageBuilder &setDeviceDescriptor(quint8 length, quint16 vid, quint16 pid)
    {
        setByte(Literal::kDeviceDescriptor, length);
        setByte(Literal::kVendorId, quint8(vid));
        setByte(Literal::kVendorId + 1, quint8(vid >> 8));
        setByte(Literal::kProductId, quint8(pid));
        return setByte(Literal::kProductId + 1, quint8(pid >> 8));
    }
    // A language descriptor and standard string descriptors, then the pattern up to 0xEBFF.
    ImageBuilder &setStrings(std::initializer_list<QByteArray> strings)
    {
        int pos = Literal::kStringArea;
        for (quint8 b : {quint8(4), quint8(3), quint8(0x09), quint8(0x04)})
            setByte(pos++, b);
        for (const QByteArray &s : strings) {
            setByte(pos++, quint8((s.size() + 1) * 2));
            setByte(pos++, 3);
            for (char c : s) {
                setByte(pos++, quint8(c));
                setByte(pos++, 0);
            }
        }
        return *this;
    }
    ImageBuilder &setByte(int imageOffset, quint8 v)
    {
        m_image[imageOffset] = char(v);
        return *this;
    }

    // The upgrade header for an image whose version text is `version`: the signature, code
    // type 1, the version text (at most 16 bytes, zeros after it), 0x78 at 52, zeros elsewhere.
    static QByteArray UpgradeHeader(const QByteArray &version)
    {
        using namespace Literal;
        QByteArray header(kHeaderSize, char(0));
        header.replace(0, 31, Signature());
        header[kHeaderCodeType] = char(CodeMain);
        for (int i = 0; i < kVersionTextSize && i < version.size() && version.at(i); ++i)
            header[kHeaderVersion + i] = version.at(i);
        header[kHeaderMarker] = kHeaderMarkerValue;
        return header;
    }

    // The file: the image with a header in front (upgrade) or cut to 60 KiB (BLD).
    QByteArray build() const
    {
        using namespace Literal;
        switch (m_kind) {
        case Bld: return m_image.left(kBldLength);
        case Upgrade: return UpgradeHeader(m_image.mid(kVersionText, kVersionTextSize)) + m_image;
        case Rom:
        default: return m_image;
        }
    }

    bool writeTo(const QString &path) const { return WriteFile(path, build()); }

    static bool WriteFile(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
    }
    static QByteArray ReadFile(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    Kind m_kind;
    QByteArray m_image;  // always the full 64 KiB image
};
