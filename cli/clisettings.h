#pragma once

// Std
#include <array>
#include <cstddef>
#include <optional>
#include <span>

// Qt
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>

#include "settingstext.h"

class CFirmwareRecord;

// The settings that brindle-cli reads, prints, changes and compares: one table that gives each
// setting its JSON key, its option and its spelling, so that info's JSON, profiles, options,
// dry-run lines and diff lines all use the same names.
namespace CliSettings {

// Which firmware types carry a setting.
enum class Scope {
    AllTypes,
    UsbSlave,   // QSOL
    DirPrefix,  // QWEX and QJ4J
};

// How a setting is spelled on the command line and in JSON.
enum class Kind {
    Number,     // a number from a fixed list
    Word,       // a word of a list; its index is the record's value (0 or 1 for a flag)
    Flag,       // JSON true means shown, flashing or allowed: the record's flag is clear
    UsbId,      // hexadecimal on the command line, a number in JSON; 0 to 0xFFFF
    UsbText,    // a USB string: one byte per character in the image
    DirPrefix,  // exactly four letters or digits
};

struct SettingDef {
    const char *key;     // JSON key; "usb.x" is member x of the nested "usb" object
    const char *option;  // long option, without its dashes
    const char *valueName;
    const char *help;
    Kind kind;
    Scope scope;
    int CFirmwareRecord::*intMember;
    bool CFirmwareRecord::*flagMember;
    QString CFirmwareRecord::*textMember;
    std::span<const int> numbers;          // Number: the accepted values
    std::span<const char *const> words;    // Word: by value; Flag: {true word, false word}
    std::size_t optionWords;               // Word: how many of `words` the option accepts
};

inline constexpr std::size_t kSettingCount = 19;

// The settings in output order.
std::span<const SettingDef> Settings();

// One value chosen by an option or a profile key.
struct Choice {
    int number = 0;  // Number and UsbId: the value; Word: the index; Flag: 1 for JSON true
    QString text;    // UsbText and DirPrefix, as stored
    QString given;   // UsbText and DirPrefix, as written in the profile
    QString origin;  // "--baud" or "profile.json: baudRate", to name it in messages
    bool fromProfile = false;
    // A profile value that could not be stored as a change, such as a prefix that is not four
    // letters or digits. It is refused only if it differs from what the file holds: a profile
    // may carry back whatever info --json printed.
    QString problem;
};

// What to change: at most one choice per entry of Settings(), by index.
using Choices = std::array<std::optional<Choice>, kSettingCount>;

// Each of these returns an empty text on success, else a message that names the option or key.

// The value of `--option` for setting `def`.
QString ParseOption(const SettingDef &def, const QString &text, Choice &choice);
// Every key of a profile in the JSON form that info --json prints. Keys that describe the
// file rather than a setting (fileKind, version and so on) are checked and otherwise ignored.
QString ReadProfile(const QString &path, Choices &choices);
// A 3-character version code or 4-character prefix: letters and digits, letters made capitals.
QString ParseCode(const QString &origin, const QString &text, qsizetype length, QString &code);
// Drops the profile's choices that give a setting the value the loaded file already has (they
// change nothing, even where the file holds what no option could set), then refuses any other
// profile value that cannot be stored.
QString DropUnchanged(Choices &choices, const CFirmwareRecord &record);
// That every choice fits the loaded firmware: its type, its descriptors, the USB string space.
QString CheckApplies(const Choices &choices, const CFirmwareRecord &record);

// Stores the choices in the record.
void Apply(const Choices &choices, CFirmwareRecord &record);

// The wizard always passes its UART page, whose lists can only give back the values they
// show: an unknown flow control (or any value outside a list) returns as the list's default.
// Doing the same keeps brindle-cli's output byte for byte the wizard's.
void SettleAsUartPage(CFirmwareRecord &record);

// One named value of a loaded file, in JSON and in words.
struct Item {
    QString key;      // JSON path
    QJsonValue json;
    QString display;  // as in dry-run and diff lines: words, decimal, 0x1234, "quoted text"
};

// The file's facts and its settings as info --json names them, those of other firmware types
// and USB values that the image has no descriptor for left out: fileKind, codeType, firmwareType, version, versionNumber, the settings table,
// with usb.string3 after usb.product.
QList<Item> Items(const CFirmwareRecord &record);

// info --json: the items with "schema": 1, the usb ones in their own object.
QJsonObject InfoJson(const CFirmwareRecord &record);
// The member order of InfoJson for JsonText::Write.
QStringList InfoOrder(const CFirmwareRecord &record);

}  // namespace CliSettings
