#pragma once

// Std
#include <array>
#include <cstddef>
#include <optional>
#include <span>

// Qt
#include <QString>

#include "firmware/firmwareformat.h"
#include "firmware/settings.h"

class CFirmwareRecord;

// The settings that brindle-cli reads, prints, changes and compares: one table that gives each
// setting its JSON key, its option and its spelling, so that info's JSON, profiles, options,
// dry-run lines and diff lines all use the same names. The jobs that use it have files of their
// own: clioptions (the command line's values), cliprofile (JSON profiles), cliapply (choices
// against and into a loaded record) and clioutput (info, dry-run and diff values).
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
    int Firmware::Settings::*intMember;
    bool Firmware::Settings::*flagMember;
    QString Firmware::Settings::*textMember;
    std::span<const int> numbers;        // Number: the accepted values
    std::span<const char *const> words;  // Word: by value; Flag: {true word, false word}
    std::size_t optionWords;             // Word: how many of `words` the option accepts
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

// The JSON schema number of info --json and of profiles.
inline constexpr int kSchema = 1;
inline constexpr int kMaxUsbId = 0xFFFF;

// Helpers that the jobs share. Each check returns an empty text on success, else the problem.

QString Word(const char *word);
QString Quote(const QString &text);
QString JoinNumbers(std::span<const int> numbers);
QString JoinWords(std::span<const char *const> words);
// That `number` is one of the setting's numbers.
QString CheckNumber(const SettingDef &def, int number);
// That a USB string can be stored: one byte per character (Latin-1) ...
QString CheckUsbCharacters(const QString &text);
// ... and not more than the string area holds.
QString CheckUsbTextLength(const QString &text);
// The index of `text` in `words`, in any letter case; -1 when it is none of them.
int IndexOfWord(std::span<const char *const> words, const QString &text);
// A 3-character version code or 4-character prefix: A-Z and 0-9, small letters made capitals.
// Returns an empty text on success, else a message that starts with `origin` when it is given.
QString ParseCode(const QString &origin, const QString &text, qsizetype length, QString &code);
// The firmware types that carry a setting of `scope`.
int ScopeTypes(Scope scope);
// "QHAR" and so on, or "unrecognised".
QString TypeWordOrNone(int firmwareType);

// A setting's value in the record in a Choice's terms (Number, Word, Flag and UsbId); 0 for texts.
int RecordNumber(const SettingDef &def, const CFirmwareRecord &record);
// Stores one choice in the record.
void Store(const SettingDef &def, const Choice &choice, CFirmwareRecord &record);

}  // namespace CliSettings
