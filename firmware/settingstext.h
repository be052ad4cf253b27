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
};

// The seven display texts of a summary.
struct SummaryTexts {
    QString fwVersion;
    QString fwType;
    QString monitor;
    QString pid;
    QString vid;
    QString initMode;
    QString options;  // holds one "\r\n"
};

// The settings in words. The file summary (`confirm` false) also names the file kind and
// marks a version that was customised before.
SummaryTexts Describe(const SummaryValues &values, bool confirm);

// The text that the summary's "Copy" button places on the clipboard.
QString CopyText(const SummaryTexts &texts, bool confirm);

// The version text with `code` put in front of its type code, replacing an earlier code.
QString MergeVersionCode(const QString &version, const QString &code);

// The finish page's report of a written file.
QString FinishText(int fileKind, const QString &version, const QString &sourceFile, const QString &targetFile);

// What follows the last path separator, at most 255 characters.
QString FileNamePart(const QString &path);

// "%4.4x": four or more lower-case hexadecimal digits.
QString FormatHex4(int value);

// A USB ID typed as hexadecimal, read the way the C library's 32-bit base-16 conversion reads
// it (white space, sign, "0x", digits up to the first other character), then cut to 16 bits.
quint16 ParseUsbId(const QString &text);

// A USB ID as both programs take it from the user: hexadecimal digits, "0x" in front or not, in
// either case, from 0 to ffff; blanks before and after it do not count. Nothing for any other text.
std::optional<int> UsbIdFromText(const QString &text);

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
