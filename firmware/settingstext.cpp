#include "settingstext.h"

// Std
#include <algorithm>
#include <cstdint>

#include "filename.h"
#include "firmwareformat.h"
#include "fits.h"

namespace SettingsText {

namespace {

const char *ParityWord(int parity)
{
    switch (parity) {
    case 0: return "no";
    case 1: return "odd";
    case 2: return "even";
    default: return "unknown";
    }
}

const char *FlowWords(int flow)
{
    switch (flow) {
    case 0: return "no flow control";
    case 1: return "CTS/RTS";
    case 2: return "DTR/DSR";
    case 3: return "XON/XOFF";
    default: return "unknown flow control";
    }
}

}  // namespace

QString FirmwareTypeWord(int firmwareType)
{
    for (const Firmware::FirmwareTypeCode &t : Firmware::kFirmwareTypes) {
        if (firmwareType & t.type)
            return QString::fromLatin1(t.code.data(), qsizetype(t.code.size()));
    }
    return QString();
}

SummaryTexts Describe(const Firmware::Settings &v, bool confirm)
{
    SummaryTexts t;
    const qsizetype q = v.m_strVersion.lastIndexOf(QLatin1Char('Q'));
    t.fwVersion = q > 0 ? v.m_strVersion.left(q) : QString();
    t.fwType = FirmwareTypeWord(v.m_nFirmwareType);
    if (t.fwType.isEmpty())
        t.fwType = q >= 0 ? v.m_strVersion.mid(q) : v.m_strVersion;

    if (!confirm) {
        if (t.fwVersion.contains(QLatin1Char('-')))
            t.fwVersion += QStringLiteral(" (Modified) ");
        switch (v.m_nFileKind) {
        case Firmware::KindRom: t.fwType += QStringLiteral(" ROM File"); break;
        case Firmware::KindBld: t.fwType += QStringLiteral(" BLD File"); break;
        default:
            t.fwType += QStringLiteral(" QUF Upgrader File");
            if (v.m_nCodeType == Firmware::CodeMain)
                t.fwType += QStringLiteral(" for Main Code");
            break;
        }
    }

    t.monitor = QString::asprintf("%d baud, %d bits, %d stop bit, ", v.m_nBaudRate, v.m_nDataBits, v.m_nStopBits)
                + QLatin1String(ParityWord(v.m_nParity)) + QStringLiteral(" parity, ")
                + QLatin1String(FlowWords(v.m_nFlowControl));

    t.pid = QStringLiteral("0x") + FormatHex4(v.m_nProductId);
    t.vid = QStringLiteral("0x") + FormatHex4(v.m_nVendorId);

    t.initMode = QLatin1String(v.m_bShortCommandSet ? "SCS" : "ECS") + QStringLiteral(", ")
                 + QLatin1String(v.m_bAsciiInput ? "IPA" : "IPH") + QStringLiteral(", ")
                 + QLatin1String(v.m_bDisableLedFlash ? "Disable " : "") + QStringLiteral("LED Flash at Power-on");

    // The three options the user allows or disables, then the three messages shown or hidden, as
    // the "Set Prompt" page offers them.
    t.options = QLatin1String(v.m_bDisableUpgrades ? "Disable " : "Allow ") + QStringLiteral("Firmware Upgrades, ")
                + QLatin1String(v.m_bDisableDataMode ? "Disable " : "Allow ") + QStringLiteral("Data Mode, ")
                + QLatin1String(v.m_bDisableStatusInfo ? "Disable " : "Allow ")
                + QStringLiteral("Sonette Status Information,\r\n") + QLatin1String(v.m_bHidePrompt ? "No " : "Show ")
                + QStringLiteral("Prompt, ") + QLatin1String(v.m_bHideConnects ? "No " : "Show ")
                + QStringLiteral("Device Connects/Removals, ") + QLatin1String(v.m_bHideVersionReport ? "No " : "Show ")
                + QStringLiteral("Version Report at Startup.");

    // Shown where the writer stores them.
    const bool usb = (v.m_nFirmwareType & Firmware::kUsbSlaveTypes) != 0;
    if (usb && v.m_bHasUsbIds)
        t.usbIds = t.vid + QLatin1Char('/') + t.pid;
    if (usb && v.m_bHasUsbStrings) {
        const auto quoted = [](const QString &s) { return QLatin1Char('"') + s + QLatin1Char('"'); };
        t.usbStrings = quoted(v.m_strManufacturer) + QStringLiteral(", ") + quoted(v.m_strProduct)
                       + QStringLiteral(", ") + quoted(v.m_strString3);
    }
    if (v.m_nFirmwareType & Firmware::kDirPrefixTypes)
        t.dirPrefix = v.m_strDirPrefix;
    return t;
}

QString CopyText(const SummaryTexts &t, bool confirm)
{
    QString text = QLatin1String(confirm ? "Summary of Firmware Customisations" : "Firmware Settings")
                   + QStringLiteral("\r\n\r\nFirmware Version: ") + t.fwVersion
                   + QStringLiteral("\r\n\r\nFirmware Type: ") + t.fwType
                   + QStringLiteral("\r\n\r\nDefault Monitor Settings: ") + t.monitor
                   + QStringLiteral("\r\n\r\nInitial Mode: ") + t.initMode + QStringLiteral("\r\n\r\nOptions: ")
                   + t.options + QStringLiteral("\r\n\r\n");
    const std::pair<const char *, const QString *> rows[] = {
        {kUsbIdsHeading, &t.usbIds},
        {kUsbStringsHeading, &t.usbStrings},
        {kDirPrefixHeading, &t.dirPrefix},
    };
    for (const auto &[heading, value] : rows) {
        if (!value->isEmpty())
            text += QLatin1String(heading) + QLatin1Char(' ') + *value + QStringLiteral("\r\n\r\n");
    }
    return text;
}

QString MergeVersionCode(const QString &version, const QString &code)
{
    const qsizetype q = version.lastIndexOf(QLatin1Char('Q'));
    QString head = q >= 0 ? version.left(q) : QString();
    const QString tail = q >= 0 ? version.mid(q) : version;
    const qsizetype dash = head.lastIndexOf(QLatin1Char('-'));
    if (dash >= 0)
        head.truncate(dash);
    return head + QLatin1Char('-') + code + tail;
}

QString FinishText(int fileKind, const QString &version, const QString &sourceFile, const QString &targetFile,
                   QString (*shown)(QStringView))
{
    const auto show = [shown](const QString &text) { return shown ? shown(text) : text; };
    return QStringLiteral("Successfully modified firmware %1 file.")
               .arg(fileKind == Firmware::KindRom ? QStringLiteral("ROM") : QStringLiteral("Upgrader"))
           + QStringLiteral("\r\n\r\nFirmware Version ") + show(version) + QStringLiteral("\r\n\r\nOriginal file ")
           + show(FileName::LastPart(sourceFile)) + QStringLiteral("\r\n\r\nSaved to disk as ")
           + show(FileName::LastPart(targetFile));
}

QString WithLineFeeds(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString FormatHex4(int value)
{
    return QString::asprintf("%4.4x", unsigned(value));
}

QString FileKindWord(int fileKind)
{
    switch (fileKind) {
    case Firmware::KindUpgrade: return QStringLiteral("QUF");
    case Firmware::KindBld: return QStringLiteral("BLD");
    default: return QStringLiteral("ROM");
    }
}

}  // namespace SettingsText
