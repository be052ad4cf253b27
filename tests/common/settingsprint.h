#pragma once

// Firmware::Settings as QCOMPARE prints it: every member by name, so a failed comparison of two
// whole values shows what differs.

// Std
#include <cstring>

// Qt
#include <QByteArray>
#include <QString>
#include <QStringList>

#include "firmware/flags.h"
#include "firmware/settings.h"

namespace Firmware {

inline QString Describe(const Settings &s)
{
    QStringList parts{
        QStringLiteral("baud=%1").arg(s.m_nBaudRate),        QStringLiteral("stop=%1").arg(s.m_nStopBits),
        QStringLiteral("data=%1").arg(s.m_nDataBits),        QStringLiteral("parity=%1").arg(s.m_nParity),
        QStringLiteral("flow=%1").arg(s.m_nFlowControl),     QStringLiteral("vid=%1").arg(s.m_nVendorId, 0, 16),
        QStringLiteral("pid=%1").arg(s.m_nProductId, 0, 16),
    };
    for (const FlagDef &f : kFlags)
        parts << QString::fromLatin1(f.key) + QLatin1Char('=') + QString::number(int(s.*f.member));
    parts << QStringLiteral("version=") + s.m_strVersion << QStringLiteral("code=") + s.m_strVersionCode
          << QStringLiteral("manufacturer=") + s.m_strManufacturer << QStringLiteral("product=") + s.m_strProduct
          << QStringLiteral("string3=") + s.m_strString3 << QStringLiteral("prefix=") + s.m_strDirPrefix
          << QStringLiteral("kind=%1 code type=%2 type=%3").arg(s.m_nFileKind).arg(s.m_nCodeType).arg(s.m_nFirmwareType)
          << QStringLiteral("usb room=%1%2").arg(int(s.m_bHasUsbIds)).arg(int(s.m_bHasUsbStrings));
    return parts.join(QLatin1Char(' '));
}

// Found by QCOMPARE through argument-dependent lookup; the caller frees the text with delete[].
inline char *toString(const Settings &s)
{
    const QByteArray text = Describe(s).toUtf8();
    char *copy = new char[size_t(text.size()) + 1];
    std::memcpy(copy, text.constData(), size_t(text.size()) + 1);
    return copy;
}

}  // namespace Firmware
