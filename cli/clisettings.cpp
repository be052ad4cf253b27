#include "clisettings.h"

// Std
#include <algorithm>
#include <cmath>

// Qt
#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>

#include "firmwareformat.h"
#include "fits.h"
#include "flags.h"
#include "firmwarerecord.h"
#include "jsontext.h"
#include "settingstext.h"

namespace CliSettings {

namespace {

using R = CFirmwareRecord;

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
    return {f.key, f.option, valueName, help, f.inverted ? Kind::Flag : Kind::Word, Scope::AllTypes,
            nullptr, f.member, nullptr, {}, words, words.size()};
}

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
    {"dirPrefix", "dir-prefix", "XXXX", "Target directory prefix: exactly 4 letters or digits (QWEX and QJ4J only).",
     Kind::DirPrefix, Scope::DirPrefix, nullptr, nullptr, &R::m_strDirPrefix, {}, {}, 0},
}};

constexpr qsizetype kDirPrefixLength = Firmware::kDirPrefixSize;
constexpr int kMaxUsbId = 0xFFFF;
constexpr qsizetype kMaxUsbIdDigits = 4;

// Profile keys that describe the file, not a setting: checked for their type, then ignored.
// The version code comes from --code, and no page of the wizard changes the third string.
struct FactKey {
    const char *key;
    QJsonValue::Type type;
};
constexpr std::array<FactKey, 7> kFactKeys = {{
    {"schema", QJsonValue::Double},
    {"fileKind", QJsonValue::String},
    {"codeType", QJsonValue::Double},
    {"firmwareType", QJsonValue::String},
    {"version", QJsonValue::String},
    {"versionNumber", QJsonValue::Double},
    {"usb.string3", QJsonValue::String},
}};
constexpr int kSchema = 1;

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

QString TypeName(QJsonValue::Type type)
{
    switch (type) {
    case QJsonValue::Null: return QStringLiteral("null");
    case QJsonValue::Bool: return QStringLiteral("true or false");
    case QJsonValue::Double: return QStringLiteral("a number");
    case QJsonValue::String: return QStringLiteral("a string");
    case QJsonValue::Array: return QStringLiteral("an array");
    case QJsonValue::Object: return QStringLiteral("an object");
    case QJsonValue::Undefined: break;
    }
    return QStringLiteral("nothing");
}

QString WrongType(const QJsonValue &value, QJsonValue::Type expected)
{
    return QStringLiteral("expected %1, found %2").arg(TypeName(expected), TypeName(value.type()));
}

// A JSON number that is a whole number within int.
bool WholeNumber(const QJsonValue &value, int &number)
{
    const double d = value.toDouble();
    if (!value.isDouble() || std::floor(d) != d || d < -2147483648.0 || d > 2147483647.0)
        return false;
    number = int(d);
    return true;
}

QString NotWholeNumber(const QJsonValue &value)
{
    if (!value.isDouble())
        return WrongType(value, QJsonValue::Double);
    return QStringLiteral("%1 is not a whole number").arg(JsonText::Scalar(value));
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
    if (const qsizetype at = SettingsText::FirstUnstorableChar(text); at >= 0) {
        const QChar c = text.at(at);
        return QStringLiteral("the character %1 (U+%2) cannot be stored: the firmware keeps one byte "
                              "per character (Latin-1)")
            .arg(c)
            .arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    return QString();
}

QString CheckUsbText(const QString &text)
{
    const QString problem = CheckUsbCharacters(text);
    return problem.isEmpty() ? CheckUsbTextLength(text) : problem;
}

int IndexOfWord(std::span<const char *const> words, const QString &text)
{
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (text.compare(QLatin1String(words[i]), Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

// The JSON value of one profile key for setting `def`.
QString ParseJson(const SettingDef &def, const QJsonValue &value, Choice &choice)
{
    switch (def.kind) {
    case Kind::Number:
        if (!WholeNumber(value, choice.number))
            return NotWholeNumber(value);
        return CheckNumber(def, choice.number);
    case Kind::Word:
        if (!value.isString())
            return WrongType(value, QJsonValue::String);
        choice.number = IndexOfWord(def.words, value.toString());
        if (choice.number < 0)
            return QStringLiteral("%1 is not one of %2").arg(Quote(value.toString()), JoinWords(def.words));
        return QString();
    case Kind::Flag:
        if (!value.isBool())
            return WrongType(value, QJsonValue::Bool);
        choice.number = value.toBool() ? 1 : 0;
        return QString();
    case Kind::UsbId:
        if (!WholeNumber(value, choice.number))
            return NotWholeNumber(value);
        if (choice.number < 0 || choice.number > kMaxUsbId)
            return QStringLiteral("%1 is outside 0 to %2").arg(choice.number).arg(kMaxUsbId);
        return QString();
    case Kind::UsbText:
        if (!value.isString())
            return WrongType(value, QJsonValue::String);
        choice.text = value.toString();
        choice.given = choice.text;
        // Any length is what some image may hold; only a change must fit.
        choice.problem = CheckUsbTextLength(choice.text);
        return CheckUsbCharacters(choice.text);
    case Kind::DirPrefix:
        if (!value.isString())
            return WrongType(value, QJsonValue::String);
        // The file's own prefix may hold any four bytes, in any letter case.
        choice.given = value.toString();
        choice.problem = ParseCode(QString(), choice.given, kDirPrefixLength, choice.text);
        return QString();
    }
    return QString();
}

const SettingDef *FindSetting(const QString &key, std::size_t &index)
{
    for (index = 0; index < kSettings.size(); ++index) {
        if (key == QLatin1String(kSettings[index].key))
            return &kSettings[index];
    }
    return nullptr;
}

const FactKey *FindFact(const QString &key)
{
    for (const FactKey &f : kFactKeys) {
        if (key == QLatin1String(f.key))
            return &f;
    }
    return nullptr;
}

QString ReadObject(const QJsonObject &object, const QString &prefix, const QString &path, Choices &choices)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QString key = prefix.isEmpty() ? it.key() : prefix + QLatin1Char('.') + it.key();
        const QString origin = path + QStringLiteral(": ") + key;
        const QJsonValue value = it.value();

        if (prefix.isEmpty() && key == QLatin1String("usb")) {
            if (!value.isObject())
                return origin + QStringLiteral(": ") + WrongType(value, QJsonValue::Object);
            const QString problem = ReadObject(value.toObject(), key, path, choices);
            if (!problem.isEmpty())
                return problem;
            continue;
        }
        if (const FactKey *fact = FindFact(key)) {
            if (value.type() != fact->type)
                return origin + QStringLiteral(": ") + WrongType(value, fact->type);
            if (key == QLatin1String("schema") && value.toDouble() != kSchema)
                return origin + QStringLiteral(": schema %1 is not supported (only %2)").arg(value.toDouble()).arg(kSchema);
            continue;
        }
        std::size_t index = 0;
        const SettingDef *def = FindSetting(key, index);
        if (!def)
            return origin + QStringLiteral(": unknown key");
        Choice choice;
        const QString problem = ParseJson(*def, value, choice);
        if (!problem.isEmpty())
            return origin + QStringLiteral(": ") + problem;
        choice.origin = origin;
        choice.fromProfile = true;
        choices[index] = choice;
    }
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

Item SettingItem(const SettingDef &def, const CFirmwareRecord &record)
{
    Item item;
    item.key = Word(def.key);
    switch (def.kind) {
    case Kind::Number: {
        const int n = record.*def.intMember;
        item.json = n;
        item.display = QString::number(n);
        break;
    }
    case Kind::Word: {
        const int index = def.intMember ? record.*def.intMember : int(record.*def.flagMember);
        const bool known = index >= 0 && std::size_t(index) < def.words.size();
        item.display = known ? Word(def.words[std::size_t(index)]) : QStringLiteral("unknown");
        item.json = item.display;
        break;
    }
    case Kind::Flag: {
        const bool on = !(record.*def.flagMember);
        item.json = on;
        item.display = Word(def.words[on ? 0 : 1]);
        break;
    }
    case Kind::UsbId: {
        const int n = record.*def.intMember;
        item.json = n;
        item.display = QStringLiteral("0x") + SettingsText::FormatHex4(n);
        break;
    }
    case Kind::UsbText:
    case Kind::DirPrefix:
        item.json = record.*def.textMember;
        item.display = JsonText::Scalar(item.json);
        break;
    }
    return item;
}

}  // namespace

std::span<const SettingDef> Settings()
{
    return kSettings;
}

QString ParseOption(const SettingDef &def, const QString &text, Choice &choice)
{
    const QString origin = QStringLiteral("--") + Word(def.option);
    choice.origin = origin;
    QString problem;
    switch (def.kind) {
    case Kind::Number: {
        bool ok = false;
        choice.number = text.toInt(&ok, 10);
        problem = ok ? CheckNumber(def, choice.number)
                     : QStringLiteral("%1 is not a number; use one of %2").arg(Quote(text), JoinNumbers(def.numbers));
        break;
    }
    case Kind::Word:
    case Kind::Flag: {
        const std::span<const char *const> accepted =
            def.kind == Kind::Word ? def.words.first(def.optionWords) : def.words;
        const int index = IndexOfWord(accepted, text);
        if (index < 0)
            problem = QStringLiteral("%1 is not one of %2").arg(Quote(text), JoinWords(accepted));
        // A flag option names the JSON-true state first: on, show, allow.
        choice.number = def.kind == Kind::Word ? index : (index == 0 ? 1 : 0);
        break;
    }
    case Kind::UsbId: {
        QStringView digits(text);
        if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
            digits = digits.mid(2);
        const auto isHexDigit = [](QChar c) {
            const char16_t u = c.unicode();
            return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
        };
        bool ok = !digits.isEmpty() && digits.size() <= kMaxUsbIdDigits
            && std::all_of(digits.begin(), digits.end(), isHexDigit);
        if (ok)
            choice.number = digits.toInt(&ok, 16);
        if (!ok)
            problem = QStringLiteral("%1 is not a hexadecimal number from 0 to ffff").arg(Quote(text));
        break;
    }
    case Kind::UsbText:
        choice.text = text;
        problem = CheckUsbText(text);
        break;
    case Kind::DirPrefix:
        return ParseCode(origin, text, kDirPrefixLength, choice.text);
    }
    return problem.isEmpty() ? problem : origin + QStringLiteral(": ") + problem;
}

QString ParseCode(const QString &origin, const QString &text, qsizetype length, QString &code)
{
    // Letters and digits of ASCII only, the same rule as the wizard's code box.
    if (!SettingsText::IsCode(text, length)) {
        const QString problem = QStringLiteral("%1 must be exactly %2 letters or digits").arg(Quote(text)).arg(length);
        return origin.isEmpty() ? problem : origin + QStringLiteral(": ") + problem;
    }
    code = text.toUpper();
    return QString();
}

QString ReadProfile(const QString &path, Choices &choices)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return path + QStringLiteral(": cannot read the profile: ") + file.errorString();
    QJsonParseError error;
    const QByteArray data = file.readAll();
    const QJsonDocument doc = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError) {
        const QByteArray upToError = data.left(error.offset);
        const qsizetype line = upToError.count('\n') + 1;
        const qsizetype column = upToError.size() - (upToError.lastIndexOf('\n') + 1) + 1;
        return QStringLiteral("%1: line %2, column %3: malformed JSON: %4")
            .arg(path)
            .arg(line)
            .arg(column)
            .arg(error.errorString());
    }
    if (!doc.isObject())
        return path + QStringLiteral(": a profile is one JSON object, as info --json prints it");
    return ReadObject(doc.object(), QString(), path, choices);
}

QString DropUnchanged(Choices &choices, const CFirmwareRecord &record)
{
    for (std::size_t i = 0; i < kSettings.size(); ++i) {
        std::optional<Choice> &choice = choices[i];
        if (!choice || !choice->fromProfile)
            continue;
        const SettingDef &def = kSettings[i];
        if (!(record.m_nFirmwareType & ScopeTypes(def.scope)))
            continue;  // CheckApplies names it
        bool same = false;
        switch (def.kind) {
        case Kind::Number:
        case Kind::UsbId:
            same = record.*def.intMember == choice->number;
            break;
        case Kind::Word:
            same = (def.intMember ? record.*def.intMember : int(record.*def.flagMember)) == choice->number;
            break;
        case Kind::Flag:
            same = !(record.*def.flagMember) == (choice->number != 0);
            break;
        case Kind::UsbText:
        case Kind::DirPrefix:
            same = record.*def.textMember == choice->given;
            break;
        }
        if (same)
            choice.reset();
        else if (!choice->problem.isEmpty())
            return choice->origin + QStringLiteral(": ") + choice->problem;
    }
    return QString();
}

QString CheckApplies(const Choices &choices, const CFirmwareRecord &record)
{
    const int type = record.m_nFirmwareType;
    const quint8 *image = record.Image() + record.ImageBase();
    QStringList stringOrigins;
    qsizetype stringChars = record.m_strString3.size();

    for (std::size_t i = 0; i < kSettings.size(); ++i) {
        const SettingDef &def = kSettings[i];
        const std::optional<Choice> &choice = choices[i];
        if (def.kind == Kind::UsbText)
            stringChars += choice ? choice->text.size() : (record.*def.textMember).size();
        if (!choice)
            continue;
        if (!(type & ScopeTypes(def.scope))) {
            return choice->origin + QStringLiteral(": applies only to %1 firmware, not to %2")
                .arg(ScopeWords(def.scope), TypeWordOrNone(type));
        }
        if (def.kind == Kind::UsbId && !Firmware::HasUsbIdRoom(image)) {
            return choice->origin
                + QStringLiteral(": this image has no USB device descriptor to hold it (length byte %1)")
                      .arg(image[Firmware::kDeviceDescriptor]);
        }
        if (def.kind == Kind::UsbText) {
            if (!Firmware::HasUsbStringRoom(image)) {
                return choice->origin
                    + QStringLiteral(": this image has no USB string descriptors to hold it");
            }
            stringOrigins << choice->origin;
        }
    }
    if (!stringOrigins.isEmpty() && !Firmware::UsbStringsFit(stringChars)) {
        return stringOrigins.join(QStringLiteral(", "))
            + QStringLiteral(": the three USB strings would hold %1 characters together; at most %2 fit")
                  .arg(stringChars)
                  .arg(Firmware::kMaxUsbStringChars);
    }
    return QString();
}

void Apply(const Choices &choices, CFirmwareRecord &record)
{
    for (std::size_t i = 0; i < kSettings.size(); ++i) {
        if (!choices[i])
            continue;
        const SettingDef &def = kSettings[i];
        const Choice &c = *choices[i];
        switch (def.kind) {
        case Kind::Number:
        case Kind::UsbId:
            record.*def.intMember = c.number;
            break;
        case Kind::Word:
            if (def.intMember)
                record.*def.intMember = c.number;
            else
                record.*def.flagMember = c.number != 0;
            break;
        case Kind::Flag:
            record.*def.flagMember = c.number == 0;
            break;
        case Kind::UsbText:
        case Kind::DirPrefix:
            record.*def.textMember = c.text;
            break;
        }
    }
}

void SettleAsUartPage(CFirmwareRecord &record)
{
    record.m_nBaudRate = Firmware::BaudRateForCode(Firmware::CodeForBaudRate(record.m_nBaudRate));
    record.m_nDataBits = record.m_nDataBits == 7 ? 7 : 8;
    record.m_nStopBits = record.m_nStopBits == 2 ? 2 : 1;
    if (record.m_nParity < 0 || record.m_nParity >= int(kParityWords.size()))
        record.m_nParity = 0;
    if (record.m_nFlowControl < 0 || record.m_nFlowControl >= int(kFlowOptionWords))
        record.m_nFlowControl = Firmware::kFlowNone;
}

QList<Item> Items(const CFirmwareRecord &record)
{
    QList<Item> items;
    const QString kind = SettingsText::FileKindWord(record.m_nFileKind);
    items.append({QStringLiteral("fileKind"), kind, kind});
    items.append({QStringLiteral("codeType"), record.m_nCodeType, QString::number(record.m_nCodeType)});
    const QString type = SettingsText::FirmwareTypeWord(record.m_nFirmwareType);
    items.append({QStringLiteral("firmwareType"), type.isEmpty() ? QJsonValue() : QJsonValue(type), TypeWordOrNone(record.m_nFirmwareType)});
    items.append({QStringLiteral("version"), record.m_strVersion, JsonText::Scalar(record.m_strVersion)});
    items.append({QStringLiteral("versionNumber"), record.m_nVersionNumber, QString::number(record.m_nVersionNumber)});

    const quint8 *image = record.Image() + record.ImageBase();
    const bool hasIds = Firmware::HasUsbIdRoom(image);
    const bool hasStrings = Firmware::HasUsbStringRoom(image);
    for (const SettingDef &def : kSettings) {
        if (!(record.m_nFirmwareType & ScopeTypes(def.scope)))
            continue;
        // Values that loading did not read from this image are not the image's.
        if ((def.kind == Kind::UsbId && !hasIds) || (def.kind == Kind::UsbText && !hasStrings))
            continue;
        items.append(SettingItem(def, record));
        if (def.textMember == &R::m_strProduct) {  // present only with the strings
            items.append({QStringLiteral("usb.string3"), record.m_strString3, JsonText::Scalar(record.m_strString3)});
        }
    }
    return items;
}

QJsonObject InfoJson(const CFirmwareRecord &record)
{
    QJsonObject root;
    QJsonObject usb;
    root.insert(QStringLiteral("schema"), kSchema);
    const QString usbPrefix = QStringLiteral("usb.");
    for (const Item &item : Items(record)) {
        if (item.key.startsWith(usbPrefix))
            usb.insert(item.key.mid(usbPrefix.size()), item.json);
        else
            root.insert(item.key, item.json);
    }
    if (!usb.isEmpty())
        root.insert(QStringLiteral("usb"), usb);
    return root;
}

QStringList InfoOrder(const CFirmwareRecord &record)
{
    QStringList order{QStringLiteral("schema")};
    for (const Item &item : Items(record)) {
        if (item.key.startsWith(QLatin1String("usb.")) && !order.contains(QLatin1String("usb")))
            order << QStringLiteral("usb");
        order << item.key;
    }
    return order;
}

}  // namespace CliSettings
