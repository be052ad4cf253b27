#include "clisettings.h"

// Std
#include <algorithm>

// Qt
#include <QStringList>

#include "firmware/fieldrules.h"
#include "firmware/firmwareformat.h"
#include "firmware/firmwarerecord.h"
#include "firmware/fits.h"
#include "firmware/flags.h"
#include "firmware/settingstext.h"

namespace CliSettings {

namespace {

using R = Firmware::Settings;

constexpr std::array<int, Firmware::kBaudDivisors.size()> kRates = [] {
    std::array<int, Firmware::kBaudDivisors.size()> rates{};
    for (std::size_t i = 0; i < rates.size(); ++i)
        rates[i] = Firmware::kBaudDivisors[i].rate;
    return rates;
}();
constexpr std::array<int, 2> kDataBits = {7, 8};
constexpr std::array<int, 2> kStopBits = {1, 2};

constexpr std::array<const char *, 3> kParityWords = {"none", "odd", "even"};
// "unknown" is what info prints for a flow byte outside the table; a profile may carry it back.
constexpr std::array<const char *, 5> kFlowWords = {"none", "cts-rts", "dtr-dsr", "xon-xoff", "unknown"};
constexpr std::array<const char *, 2> kInputWords = {"iph", "ipa"};
constexpr std::array<const char *, 2> kCommandSetWords = {"ecs", "scs"};
constexpr std::array<const char *, 2> kOnOff = {"on", "off"};
constexpr std::array<const char *, 2> kShowHide = {"show", "hide"};
constexpr std::array<const char *, 2> kAllowDisable = {"allow", "disable"};

constexpr std::size_t kFlowOptionWords = 4;

// A flag's setting: its option, JSON key and sense come from the firmware's flag table. An
// inverted flag is spelled {true word, false word}; any other by the member's value.
constexpr SettingDef FlagSetting(bool R::*member, const char *valueName, const char *help,
                                 std::span<const char *const> words)
{
    const Firmware::FlagDef &f = Firmware::kFlags[Firmware::FlagIndex(member)];
    return {f.key,           f.option,    valueName, help,    f.inverted ? Kind::Flag : Kind::Word,
            Scope::AllTypes, nullptr,     f.member,  nullptr, {},
            words,           words.size()};
}

// clang-format off
constexpr std::array<SettingDef, kSettingCount> kSettings = {{
    {"baudRate", "baud", "rate", "Monitor baud rate: 300 to 3000000, one of the 17 rates of the wizard's list.",
     Kind::Number, Scope::AllTypes, &R::m_nBaudRate, nullptr, nullptr, kRates, {}, 0},
    {"dataBits", "data-bits", "7|8", "Monitor data bits.",
     Kind::Number, Scope::AllTypes, &R::m_nDataBits, nullptr, nullptr, kDataBits, {}, 0},
    {"stopBits", "stop-bits", "1|2", "Monitor stop bits.",
     Kind::Number, Scope::AllTypes, &R::m_nStopBits, nullptr, nullptr, kStopBits, {}, 0},
    {"parity", "parity", "none|odd|even", "Monitor parity.",
     Kind::Word, Scope::AllTypes, &R::m_nParity, nullptr, nullptr, {}, kParityWords, kParityWords.size()},
    {"flowControl", "flow", "none|cts-rts|dtr-dsr|xon-xoff", "Monitor flow control.",
     Kind::Word, Scope::AllTypes, &R::m_nFlowControl, nullptr, nullptr, {}, kFlowWords, kFlowOptionWords},
    FlagSetting(&R::m_bAsciiInput, "ipa|iph", "Initial input mode: IPA (ASCII) or IPH (binary).", kInputWords),
    FlagSetting(&R::m_bShortCommandSet, "ecs|scs", "Initial command set: extended or short.", kCommandSetWords),
    FlagSetting(&R::m_bDisableLedFlash, "on|off", "LED flash at power-on.", kOnOff),
    FlagSetting(&R::m_bHidePrompt, "show|hide", "The monitor prompt.", kShowHide),
    FlagSetting(&R::m_bHideConnects, "show|hide", "Device connect and removal messages.", kShowHide),
    FlagSetting(&R::m_bHideVersionReport, "show|hide", "The version report at start-up.", kShowHide),
    FlagSetting(&R::m_bDisableDataMode, "allow|disable", "Data mode.", kAllowDisable),
    FlagSetting(&R::m_bDisableUpgrades, "allow|disable", "Firmware upgrades.", kAllowDisable),
    FlagSetting(&R::m_bDisableStatusInfo, "allow|disable", "Sonette status information.", kAllowDisable),
    {"usb.vendorId", "vid", "hex", "USB vendor ID, 0 to ffff (QSOL only).",
     Kind::UsbId, Scope::UsbSlave, &R::m_nVendorId, nullptr, nullptr, {}, {}, 0},
    {"usb.productId", "pid", "hex", "USB product ID, 0 to ffff (QSOL only).",
     Kind::UsbId, Scope::UsbSlave, &R::m_nProductId, nullptr, nullptr, {}, {}, 0},
    {"usb.manufacturer", "manufacturer", "text", "USB manufacturer string (QSOL only).",
     Kind::UsbText, Scope::UsbSlave, nullptr, nullptr, &R::m_strManufacturer, {}, {}, 0},
    {"usb.product", "product", "text", "USB product string (QSOL only).",
     Kind::UsbText, Scope::UsbSlave, nullptr, nullptr, &R::m_strProduct, {}, {}, 0},
    {"dirPrefix", "dir-prefix", "XXXX", "Target directory prefix: exactly 4 characters A-Z or 0-9 (QWEX and QJ4J only).",
     Kind::DirPrefix, Scope::DirPrefix, nullptr, nullptr, &R::m_strDirPrefix, {}, {}, 0},
}};
// clang-format on

}  // namespace

std::span<const SettingDef> Settings()
{
    return kSettings;
}

QString Word(const char *word)
{
    return QString::fromLatin1(word);
}

QString Quote(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString JoinNumbers(std::span<const int> numbers)
{
    QStringList parts;
    for (int n : numbers)
        parts << QString::number(n);
    return parts.join(QStringLiteral(", "));
}

QString JoinWords(std::span<const char *const> words)
{
    QStringList parts;
    for (const char *w : words)
        parts << Word(w);
    return parts.join(QStringLiteral(", "));
}

QString CheckNumber(const SettingDef &def, int number)
{
    if (std::find(def.numbers.begin(), def.numbers.end(), number) == def.numbers.end())
        return QStringLiteral("%1 is not one of %2").arg(number).arg(JoinNumbers(def.numbers));
    return QString();
}

QString CheckUsbTextLength(const QString &text)
{
    if (!Firmware::UsbStringsFit(text.size())) {
        return QStringLiteral("%1 characters; the three USB strings hold at most %2 together")
            .arg(text.size())
            .arg(Firmware::kMaxUsbStringChars);
    }
    return QString();
}

QString CheckUsbCharacters(const QString &text)
{
    if (const qsizetype at = FieldRules::FirstUnstorableChar(text); at >= 0) {
        const QChar c = text.at(at);
        return QStringLiteral("the character %1 (U+%2) cannot be stored: the firmware keeps one byte "
                              "per character (Latin-1)")
            .arg(c)
            .arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    return QString();
}

int IndexOfWord(std::span<const char *const> words, const QString &text)
{
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (text.compare(QLatin1String(words[i]), Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

QString ParseCode(const QString &origin, const QString &text, qsizetype length, QString &code)
{
    // Letters and digits of ASCII only, the same rule as the wizard's code box: the code
    // becomes part of the version text, which is ASCII.
    if (!FieldRules::IsCode(text, length)) {
        const QString problem =
            QStringLiteral("%1 must be exactly %2 characters A-Z or 0-9").arg(Quote(text)).arg(length);
        return origin.isEmpty() ? problem : origin + QStringLiteral(": ") + problem;
    }
    code = text.toUpper();
    return QString();
}

int ScopeTypes(Scope scope)
{
    switch (scope) {
    case Scope::UsbSlave: return Firmware::kUsbSlaveTypes;
    case Scope::DirPrefix: return Firmware::kDirPrefixTypes;
    case Scope::AllTypes: break;
    }
    return Firmware::kAllTypes;
}

QString ScopeWords(Scope scope)
{
    return scope == Scope::UsbSlave ? QStringLiteral("QSOL") : QStringLiteral("QWEX and QJ4J");
}

QString TypeWordOrNone(int firmwareType)
{
    const QString word = SettingsText::FirmwareTypeWord(firmwareType);
    return word.isEmpty() ? QStringLiteral("unrecognised") : word;
}

int RecordNumber(const SettingDef &def, const CFirmwareRecord &record)
{
    switch (def.kind) {
    case Kind::Number:
    case Kind::UsbId: return record.*def.intMember;
    case Kind::Word: return def.intMember ? record.*def.intMember : int(record.*def.flagMember);
    case Kind::Flag: return record.*def.flagMember ? 0 : 1;
    case Kind::UsbText:
    case Kind::DirPrefix: break;
    }
    return 0;
}

void Store(const SettingDef &def, const Choice &choice, CFirmwareRecord &record)
{
    switch (def.kind) {
    case Kind::Number:
    case Kind::UsbId: record.*def.intMember = choice.number; break;
    case Kind::Word:
        if (def.intMember)
            record.*def.intMember = choice.number;
        else
            record.*def.flagMember = choice.number != 0;
        break;
    case Kind::Flag: record.*def.flagMember = choice.number == 0; break;
    case Kind::UsbText:
    case Kind::DirPrefix: record.*def.textMember = choice.text; break;
    }
}

}  // namespace CliSettings
