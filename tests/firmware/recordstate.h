#pragma once

// Helpers shared by the firmware tests: the flags of a record as a bit set, its buffer, and
// whether the tests run as root.

// Std
#include <cstddef>
#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

// Qt
#include <QByteArray>
#include <QString>

#include "firmware/firmwarerecord.h"
#include "firmware/flags.h"

namespace RecordState {

// Permission tests need a user whom file modes can stop.
inline bool RunningAsRoot()
{
#if defined(__unix__) || defined(__APPLE__)
    return ::geteuid() == 0;
#else
    return false;
#endif
}

// The flags as a bit set: bit i is the flag of row i of Firmware::kFlags.
inline int Flags(const CFirmwareRecord &r)
{
    int bits = 0;
    for (std::size_t i = 0; i < Firmware::kFlags.size(); ++i)
        bits |= r.*Firmware::kFlags[i].member ? 1 << i : 0;
    return bits;
}

constexpr int FlagBitOf(bool Firmware::Settings::*member)
{
    return 1 << Firmware::FlagIndex(member);
}

// Bits of Flags(), by member.
enum FlagBit : int {
    DisableUpgrades = FlagBitOf(&CFirmwareRecord::m_bDisableUpgrades),
    HideConnects = FlagBitOf(&CFirmwareRecord::m_bHideConnects),
    DisableDataMode = FlagBitOf(&CFirmwareRecord::m_bDisableDataMode),
    DisableStatusInfo = FlagBitOf(&CFirmwareRecord::m_bDisableStatusInfo),
    HideVersionReport = FlagBitOf(&CFirmwareRecord::m_bHideVersionReport),
    HidePrompt = FlagBitOf(&CFirmwareRecord::m_bHidePrompt),
    DisableLedFlash = FlagBitOf(&CFirmwareRecord::m_bDisableLedFlash),
    ShortCommandSet = FlagBitOf(&CFirmwareRecord::m_bShortCommandSet),
    AsciiInput = FlagBitOf(&CFirmwareRecord::m_bAsciiInput),
    AllFlags = (1 << Firmware::kFlags.size()) - 1,
};

inline void SetFlags(CFirmwareRecord &r, int bits)
{
    for (std::size_t i = 0; i < Firmware::kFlags.size(); ++i)
        r.*Firmware::kFlags[i].member = bits & (1 << i);
}

// A set of Flags() bits as binary digits, one per flag.
inline QString FlagText(int bits)
{
    return QStringLiteral("%1").arg(bits, int(Firmware::kFlags.size()), 2, QLatin1Char('0'));
}

// The first `length` bytes of the record's buffer.
inline QByteArray Buffer(const CFirmwareRecord &r, int length)
{
    if (!r.Image())
        return QByteArray();
    return QByteArray(reinterpret_cast<const char *>(r.Image()), length);
}

}  // namespace RecordState

// The record's own buffer, for a test that gives the record an image no file could load (a
// parameter layout that loading refuses). Nothing else writes it.
struct RecordImageAccess {
    static void SetByte(CFirmwareRecord &r, int offset, quint8 value)
    {
        Q_ASSERT(r.m_pImage && offset >= 0 && offset < Firmware::kBufferSize);
        r.m_pImage[offset] = value;
    }
};
