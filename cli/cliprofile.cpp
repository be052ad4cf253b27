#include "cliprofile.h"

// Std
#include <cmath>

// Qt
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>

#include "jsontext.h"

namespace CliSettings {

namespace {

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
        // "unknown" keeps a flow byte the file holds; it cannot give a file one.
        if (choice.number >= int(def.optionWords)) {
            choice.problem = QStringLiteral("%1 only keeps a value the file holds; use one of %2")
                                 .arg(Quote(value.toString()), JoinWords(def.words.first(def.optionWords)));
        }
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
        choice.problem = ParseCode(QString(), choice.given, Firmware::kDirPrefixSize, choice.text);
        return QString();
    }
    return QString();
}

const SettingDef *FindSetting(const QString &key, std::size_t &index)
{
    const std::span<const SettingDef> settings = Settings();
    for (index = 0; index < settings.size(); ++index) {
        if (key == QLatin1String(settings[index].key))
            return &settings[index];
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
                return origin
                       + QStringLiteral(": schema %1 is not supported (only %2)").arg(value.toDouble()).arg(kSchema);
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

}  // namespace

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

}  // namespace CliSettings
