#pragma once

// Helpers shared by the firmware tests: the editable settings of a record in one comparable
// text, and file names inside a per-test folder.

// Std
#include <iterator>
#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

// Qt
#include <QByteArray>
#include <QString>
#include <QStringList>

#include "firmwarerecord.h"

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

// The nine flags as a bit set, in the order they are declared in the record.
inline int Flags(const CFirmwareRecord &r)
{
    const bool flags[] = {
        r.m_bDisableUpgrades, r.m_bHideConnects, r.m_bDisableDataMode,
        r.m_bDisableStatusInfo, r.m_bHideVersionReport, r.m_bHidePrompt,
        r.m_bDisableLedFlash, r.m_bShortCommandSet, r.m_bAsciiInput,
    };
    int bits = 0;
    for (int i = 0; i < int(std::size(flags)); ++i)
        bits |= flags[i] ? 1 << i : 0;
    return bits;
}

// Bits of Flags(), by member.
enum FlagBit : int {
    DisableUpgrades = 1 << 0,
    HideConnects = 1 << 1,
    DisableDataMode = 1 << 2,
    DisableStatusInfo = 1 << 3,
    HideVersionReport = 1 << 4,
    HidePrompt = 1 << 5,
    DisableLedFlash = 1 << 6,
    ShortCommandSet = 1 << 7,
    AsciiInput = 1 << 8,
};

inline void SetFlags(CFirmwareRecord &r, int bits)
{
    r.m_bDisableUpgrades = bits & DisableUpgrades;
    r.m_bHideConnects = bits & HideConnects;
    r.m_bDisableDataMode = bits & DisableDataMode;
    r.m_bDisableStatusInfo = bits & DisableStatusInfo;
    r.m_bHideVersionReport = bits & HideVersionReport;
    r.m_bHidePrompt = bits & HidePrompt;
    r.m_bDisableLedFlash = bits & DisableLedFlash;
    r.m_bShortCommandSet = bits & ShortCommandSet;
    r.m_bAsciiInput = bits & AsciiInput;
}

// Everything a page can edit, as one text, so a failed comparison shows what differs.
inline QString Settings(const CFirmwareRecord &r)
{
    return QStringList{
        QStringLiteral("baud=%1").arg(r.m_nBaudRate),
        QStringLiteral("stop=%1").arg(r.m_nStopBits),
        QStringLiteral("data=%1").arg(r.m_nDataBits),
        QStringLiteral("parity=%1").arg(r.m_nParity),
        QStringLiteral("flow=%1").arg(r.m_nFlowControl),
        QStringLiteral("vid=%1").arg(r.m_nVendorId, 0, 16),
        QStringLiteral("pid=%1").arg(r.m_nProductId, 0, 16),
        QStringLiteral("flags=%1").arg(Flags(r), 9, 2, QLatin1Char('0')),
        QStringLiteral("manufacturer=") + r.m_strManufacturer,
        QStringLiteral("product=") + r.m_strProduct,
        QStringLiteral("string3=") + r.m_strString3,
        QStringLiteral("prefix=") + r.m_strDirPrefix,
    }.join(QLatin1Char(' '));
}

// The first `length` bytes of the record's buffer.
inline QByteArray Buffer(const CFirmwareRecord &r, int length)
{
    if (!r.Image())
        return QByteArray();
    return QByteArray(reinterpret_cast<const char *>(r.Image()), length);
}

}  // namespace RecordState
