#pragma once

// Std
#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

// Qt
#include <QString>

#include "firmware/firmwareformat.h"
#include "firmware/flags.h"
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

// One setting. A row names the fields it uses; the others keep these defaults.
struct SettingDef {
    const char *key = nullptr;     // JSON key; "usb.x" is member x of the nested "usb" object
    const char *option = nullptr;  // long option, without its dashes
    const char *valueName = nullptr;
    const char *help = nullptr;
    Kind kind = Kind::Number;
    Scope scope = Scope::AllTypes;
    int Firmware::Settings::*intMember = nullptr;
    bool Firmware::Settings::*flagMember = nullptr;
    QString Firmware::Settings::*textMember = nullptr;
    std::span<const int> numbers = {};        // Number: the accepted values
    std::span<const char *const> words = {};  // Word: by value; Flag: {true word, false word}
    std::size_t optionWords = 0;              // Word: how many of `words` the option accepts
};

namespace Rows {

using R = Firmware::Settings;

inline constexpr std::array<int, Firmware::kBaudDivisors.size()> kRates = [] {
    std::array<int, Firmware::kBaudDivisors.size()> rates{};
    for (std::size_t i = 0; i < rates.size(); ++i)
        rates[i] = Firmware::kBaudDivisors[i].rate;
    return rates;
}();
inline constexpr std::array<int, 2> kDataBits = {7, 8};
inline constexpr std::array<int, 2> kStopBits = {1, 2};
inline constexpr std::array<const char *, 3> kParityWords = {"none", "odd", "even"};
// "unknown" is what info prints for a flow byte outside the table; a profile may carry it back.
inline constexpr std::array<const char *, 5> kFlowWords = {"none", "cts-rts", "dtr-dsr", "xon-xoff", "unknown"};
inline constexpr std::size_t kFlowOptionWords = 4;

// clang-format off

// The monitor's UART, first in every list.
inline constexpr auto kUart = std::to_array<SettingDef>({
    {.key = "baudRate", .option = "baud", .valueName = "rate",
     .help = "Monitor baud rate: 300 to 3000000, one of the 17 rates of the wizard's list.",
     .kind = Kind::Number, .intMember = &R::m_nBaudRate, .numbers = kRates},
    {.key = "dataBits", .option = "data-bits", .valueName = "7|8",
     .help = "Monitor data bits.",
     .kind = Kind::Number, .intMember = &R::m_nDataBits, .numbers = kDataBits},
    {.key = "stopBits", .option = "stop-bits", .valueName = "1|2",
     .help = "Monitor stop bits.",
     .kind = Kind::Number, .intMember = &R::m_nStopBits, .numbers = kStopBits},
    {.key = "parity", .option = "parity", .valueName = "none|odd|even",
     .help = "Monitor parity.",
     .kind = Kind::Word, .intMember = &R::m_nParity, .words = kParityWords, .optionWords = kParityWords.size()},
    {.key = "flowControl", .option = "flow", .valueName = "none|cts-rts|dtr-dsr|xon-xoff",
     .help = "Monitor flow control.",
     .kind = Kind::Word, .intMember = &R::m_nFlowControl, .words = kFlowWords, .optionWords = kFlowOptionWords},
});

// The USB identity (QSOL) and the target directory prefix (QWEX, QJ4J), after the flags.
inline constexpr auto kIdentity = std::to_array<SettingDef>({
    {.key = "usb.vendorId", .option = "vid", .valueName = "hex",
     .help = "USB vendor ID, 0 to ffff (QSOL only).",
     .kind = Kind::UsbId, .scope = Scope::UsbSlave, .intMember = &R::m_nVendorId},
    {.key = "usb.productId", .option = "pid", .valueName = "hex",
     .help = "USB product ID, 0 to ffff (QSOL only).",
     .kind = Kind::UsbId, .scope = Scope::UsbSlave, .intMember = &R::m_nProductId},
    {.key = "usb.manufacturer", .option = "manufacturer", .valueName = "text",
     .help = "USB manufacturer string (QSOL only).",
     .kind = Kind::UsbText, .scope = Scope::UsbSlave, .textMember = &R::m_strManufacturer},
    {.key = "usb.product", .option = "product", .valueName = "text",
     .help = "USB product string (QSOL only).",
     .kind = Kind::UsbText, .scope = Scope::UsbSlave, .textMember = &R::m_strProduct},
    {.key = "dirPrefix", .option = "dir-prefix", .valueName = "XXXX",
     .help = "Target directory prefix: exactly 4 characters A-Z or 0-9 (QWEX and QJ4J only).",
     .kind = Kind::DirPrefix, .scope = Scope::DirPrefix, .textMember = &R::m_strDirPrefix},
});

// clang-format on

// A flag's setting, all of it from its row of the firmware's flag table. An inverted flag is
// spelled {true word, false word}; any other by the member's value.
constexpr SettingDef FlagSetting(const Firmware::FlagDef &f)
{
    return {.key = f.key,
            .option = f.option,
            .valueName = f.valueName,
            .help = f.help,
            .kind = f.inverted ? Kind::Flag : Kind::Word,
            .flagMember = f.member,
            .words = f.words,
            .optionWords = f.words.size()};
}

// The UART settings, every flag of Firmware::kFlags in its order, then the identity.
inline constexpr auto kAll = [] {
    std::array<SettingDef, kUart.size() + Firmware::kFlags.size() + kIdentity.size()> all{};
    std::size_t n = 0;
    for (const SettingDef &def : kUart)
        all[n++] = def;
    for (const Firmware::FlagDef &flag : Firmware::kFlags)
        all[n++] = FlagSetting(flag);
    for (const SettingDef &def : kIdentity)
        all[n++] = def;
    return all;
}();

// No two settings share a key or an option, and none takes an option of write's own.
constexpr bool Distinct()
{
    constexpr std::array<std::string_view, 7> kOwnOptions = {"code", "settings", "force", "dry-run",
                                                             "help", "version",  "json"};
    for (std::size_t i = 0; i < kAll.size(); ++i) {
        for (const std::string_view own : kOwnOptions)
            if (own == kAll[i].option)
                return false;
        for (std::size_t j = i + 1; j < kAll.size(); ++j)
            if (std::string_view(kAll[i].key) == kAll[j].key || std::string_view(kAll[i].option) == kAll[j].option)
                return false;
    }
    return true;
}
static_assert(Distinct(), "every setting has a key and an option of its own");

}  // namespace Rows

inline constexpr std::size_t kSettingCount = Rows::kAll.size();

// The settings in output order.
constexpr std::span<const SettingDef> Settings()
{
    return Rows::kAll;
}

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
    std::optional<QString> problem;
};

// What to change: at most one choice per entry of Settings(), by index.
using Choices = std::array<std::optional<Choice>, kSettingCount>;

// The JSON schema number of info --json and of profiles.
inline constexpr int kSchema = 1;
inline constexpr int kMaxUsbId = 0xFFFF;

// Helpers that the jobs share. Each check gives nothing on success, else the problem.

QString Word(const char *word);
// A key or value from the user as a message shows it: whole when short, else its first 40
// characters, "..." and its length, so that a message stays one line whatever it quotes.
QString Abridged(const QString &text);
// Abridged(text) in double quotes.
QString Quote(const QString &text);
QString JoinNumbers(std::span<const int> numbers);
QString JoinWords(std::span<const char *const> words);
// That `number` is one of the setting's numbers.
std::optional<QString> CheckNumber(const SettingDef &def, int number);
// That a USB string can be stored: one byte per character (Latin-1) ...
std::optional<QString> CheckUsbCharacters(const QString &text);
// ... and not more than the string area holds.
std::optional<QString> CheckUsbTextLength(const QString &text);
// The index of `text` in `words`, in any letter case; -1 when it is none of them.
int IndexOfWord(std::span<const char *const> words, const QString &text);
// A 3-character version code or 4-character prefix: A-Z and 0-9, small letters made capitals,
// into `code`. Gives nothing on success, else a message that starts with `origin` when it is
// given.
std::optional<QString> ParseCode(const QString &origin, const QString &text, qsizetype length, QString &code);
// The firmware types that carry a setting of `scope`.
int ScopeTypes(Scope scope);
// "QHAR" and so on, or "unrecognised".
QString TypeWordOrNone(int firmwareType);

// A setting's value in the record in a Choice's terms (Number, Word, Flag and UsbId); 0 for texts.
int RecordNumber(const SettingDef &def, const CFirmwareRecord &record);
// Stores one choice in the record.
void Store(const SettingDef &def, const Choice &choice, CFirmwareRecord &record);

}  // namespace CliSettings
