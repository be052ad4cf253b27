#pragma once

// Qt
#include <QString>
#include <QtGlobal>

#include "settings.h"

// The texts that describe a set of firmware settings, shared by the wizard's pages and the
// command-line companion so that both say and write exactly the same.

namespace SettingsText {

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
SummaryTexts Describe(const Firmware::Settings &settings, bool confirm);

// The whole description as one text, every line ending in "\r\n": what the summary's "Copy"
// button places on the clipboard (in the platform's line ends) and what brindle-cli prints.
QString CopyText(const SummaryTexts &texts, bool confirm);

// The version text with `code` put in front of its type code, replacing an earlier code.
QString MergeVersionCode(const QString &version, const QString &code);

// The text with its "\r\n" line ends as "\n", for a control or a terminal.
QString WithLineFeeds(QString text);

// The finish page's report of a written file. `shown`, when given, makes the version text and
// the two file names what the reader sees (ScreenText): it gets the file-name part of a path.
QString FinishText(int fileKind, const QString &version, const QString &sourceFile, const QString &targetFile,
                   QString (*shown)(QStringView) = nullptr);

// "%4.4x": four or more lower-case hexadecimal digits.
QString FormatHex4(int value);

// "QHAR" and so on for a firmware type bit; empty for none.
QString FirmwareTypeWord(int firmwareType);

// "ROM", "QUF" or "BLD".
QString FileKindWord(int fileKind);

}  // namespace SettingsText
