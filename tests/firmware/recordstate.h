#pragma once

// Helpers shared by the firmware tests: the editable settings of a record in one comparable
// text, and file names inside a per-test folder.

// Std
#include <cstddef>
#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

// Qt
#include <QByteArray>
#include <QString>
#include <QStringList>

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

// Everything a page can edit, as one text, so a failed comparison shows what differs.
inline QString Settings(const CFirmwareRecord &r)
{
    return QStringList{
        QStringLiteral("baud=%1").arg(r.m_nBaudRate),          QStringLiteral("stop=%1").arg(r.m_nStopBits),
        QStringLiteral("data=%1").arg(r.m_nDataBits),          QStringLiteral("parity=%1").arg(r.m_nParity),
        QStringLiteral("flow=%1").arg(r.m_nFlowControl),       QStringLiteral("vid=%1").arg(r.m_nVendorId, 0, 16),
        QStringLiteral("pid=%1").arg(r.m_nProductId, 0, 16),   QStringLiteral("flags=") + FlagText(Flags(r)),
        QStringLiteral("manufacturer=") + r.m_strManufacturer, QStringLiteral("product=") + r.m_strProduct,
        QStringLiteral("string3=") + r.m_strString3,           QStringLiteral("prefix=") + r.m_strDirPrefix,
    }
        .join(QLatin1Char(' '));
}

// The first `length` bytes of the record's buffer.
inline QByteArray Buffer(const CFirmwareRecord &r, int length)
{
    if (!r.Image())
        return QByteArray();
    return QByteArray(reinterpret_cast<const char *>(r.Image()), length);
}

}  // namespace RecordState
