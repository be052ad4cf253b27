#pragma once

// Std
#include <optional>

// Qt
#include <QString>
#include <QtGlobal>

// The texts that describe a set of firmware settings, shared by the wizard's pages and the
// command-line companion so that both say and write exactly the same.
class CFirmwareRecord;

namespace SettingsText {

// The values a settings description is built from.
struct SummaryValues {
    int nFileKind = 0;
    int nCodeType = 0;
    int nFirmwareType = 0;
    int nBaudRate = 9600;
    int nDataBits = 8;
    int nStopBits = 1;
    int nParity = 0;
    int nFlowControl = 0;
    int nProductId = 0;
    int nVendorId = 0;
    bool bDisableUpgrades = false;
    bool bHideConnects = false;
    bool bDisableDataMode = false;
    bool bDisableStatusInfo = false;
    bool bHideVersionReport = false;
    bool bHidePrompt = false;
    bool bDisableLedFlash = false;
    bool bShortCommandSet = false;
    bool bAsciiInput = false;
    QString strVersion;
    // What the writer stores beside the settings, for the types that carry it: the USB IDs (QSOL,
    // in an image with a device descriptor), the three USB strings (QSOL, in an image with string
    // descriptors) and the target directory prefix (QWEX and QJ4J).
    bool bUsbIds = false;
    bool bUsbStrings = false;
    bool bDirPrefix = false;
    QString strManufacturer;
    QString strProduct;
    QString strString3;
    QString strDirPrefix;
};

// The display texts of a summary. The last three are empty when the firmware does not carry them.
struct SummaryTexts {
    QString fwVersion;
    QString fwType;
    QString monitor;
    QString pid;
    QString vid;
    QString initMode;
    QString options;     // holds one "\r\n"
    QString usbIds;      // "0x2b3f/0x5c10": vendor ID, then product ID
    QString usbStrings;  // the three strings, each in double quotes, separated by ", "
    QString dirPrefix;
};

// The headings of the rows that not every firmware type has, as the summary page and its copied
// text name them.
inline constexpr const char *kUsbIdsHeading = "USB VID/PID:";
inline constexpr const char *kUsbStringsHeading = "USB Strings:";
inline constexpr const char *kDirPrefixHeading = "Target Directory Prefix:";

// The settings in words. The file summary (`confirm` false) also names the file kind and
// marks a version that was customised before.
SummaryTexts Describe(const SummaryValues &values, bool confirm);

// The whole description as one text, every line ending in "\r\n": what the summary's "Copy"
// button places on the clipboard (in the platform's line ends) and what brindle-cli prints.
QString CopyText(const SummaryTexts &texts, bool confirm);

// The version text with `code` put in front of its type code, replacing an earlier code.
QString MergeVersionCode(const QString &version, const QString &code);

// The finish page's report of a written file.
QString FinishText(int fileKind, const QString &version, const QString &sourceFile, const QString &targetFile);

// What follows the last path separator, at most 255 characters.
QString FileNamePart(const QString &path);

// "%4.4x": four or more lower-case hexadecimal digits.
QString FormatHex4(int value);

// A USB vendor or product ID as the wizard's boxes and brindle-cli's --vid and --pid take it:
// hexadecimal digits, "0x" in front or not, in either case, from 0 to ffff; blanks before and
// after it do not count. Nothing for any other text.
std::optional<quint16> ParseUsbId(QStringView text);

// "QHAR" and so on for a firmware type bit; empty for none.
QString FirmwareTypeWord(int firmwareType);

// Whether `c` may stand in a version code or a target directory prefix: an ASCII letter or
// digit. The code becomes part of the version text, which the firmware and its tools read as ASCII.
bool IsCodeChar(QChar c);

// Whether `text` is a code of exactly `length` such characters, in either case.
bool IsCode(const QString &text, qsizetype length);

// The position of the first character of `text` that the image cannot hold with its one byte per
// character (beyond Latin-1); -1 when every character fits.
qsizetype FirstUnstorableChar(const QString &text);

// The record's values for a settings description.
SummaryValues SummaryValuesOf(const CFirmwareRecord &record);

// "ROM", "QUF" or "BLD".
QString FileKindWord(int fileKind);

}  // namespace SettingsText
