#pragma once

// Builds small firmware files for tests: ROM, BLD or upgrade layout, with a chosen version
// text, parameter block and USB descriptors. Every byte that the program does not interpret
// holds a position-dependent pattern, so tests can tell copied bytes from rewritten ones.

// Std
#include <initializer_list>

// Qt
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include "firmware/firmwareformat.h"

class ImageBuilder
{
public:
    enum Kind { Rom, Bld, Upgrade };

    explicit ImageBuilder(Kind kind = Rom, const QByteArray &version = "03.64QHARF") : m_kind(kind)
    {
        using namespace Firmware;
        m_image.resize(kRomLength);
        for (int i = 0; i < kRomLength; ++i)
            m_image[i] = char(Pattern(i));
        std::copy(kSignature.begin(), kSignature.end(), m_image.begin() + kImageSignature);
        m_image[kImageCodeType] = 0;
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
        for (int i = 0; i < Firmware::kVersionTextSize; ++i)
            m_image[Firmware::kVersionText + i] = i < text.size() ? text.at(i) : char(0);
        return *this;
    }
    ImageBuilder &setParams(quint8 v) { return setByte(Firmware::kParamsVersion, v); }
    ImageBuilder &setInit(quint8 v) { return setByte(Firmware::kInitByte, v); }
    ImageBuilder &setOption(quint8 v) { return setByte(Firmware::kOptionByte, v); }
    ImageBuilder &setLine(quint8 v) { return setByte(Firmware::kLineFormat, v); }
    ImageBuilder &setFlow(quint8 v) { return setByte(Firmware::kFlowControl, v); }
    ImageBuilder &setDivisor(quint32 code)
    {
        setByte(Firmware::kDivisor, quint8(code));
        setByte(Firmware::kDivisor + 1, quint8(code >> 8));
        return setByte(Firmware::kDivisor + 2, quint8(code >> 16));
    }
    ImageBuilder &setDirPrefix(const QByteArray &four)
    {
        for (int i = 0; i < Firmware::kDirPrefixSize && i < four.size(); ++i)
            setByte(Firmware::kDirPrefix + i, quint8(four.at(i)));
        return *this;
    }
    ImageBuilder &setDeviceDescriptor(quint8 length, quint16 vid, quint16 pid)
    {
        setByte(Firmware::kDeviceDescriptor, length);
        setByte(Firmware::kVendorId, quint8(vid));
        setByte(Firmware::kVendorId + 1, quint8(vid >> 8));
        setByte(Firmware::kProductId, quint8(pid));
        return setByte(Firmware::kProductId + 1, quint8(pid >> 8));
    }
    // A language descriptor and standard string descriptors, then the pattern up to 0xEBFF.
    ImageBuilder &setStrings(std::initializer_list<QByteArray> strings)
    {
        int pos = Firmware::kStringArea;
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

    // The file: the image with a header in front (upgrade) or cut to 60 KiB (BLD).
    QByteArray build() const
    {
        using namespace Firmware;
        switch (m_kind) {
        case Bld: return m_image.left(kBldLength);
        case Upgrade: {
            QByteArray header(kHeaderSize, char(0));
            std::copy(kSignature.begin(), kSignature.end(), header.begin());
            header[kHeaderCodeType] = char(CodeMain);
            for (int i = 0; i < kVersionTextSize && m_image.at(kVersionText + i); ++i)
                header[kHeaderVersion + i] = m_image.at(kVersionText + i);
            header[kHeaderMarker] = char(kHeaderMarkerValue);
            return header + m_image;
        }
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
