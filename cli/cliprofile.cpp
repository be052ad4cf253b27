#include "cliprofile.h"

// Std
#include <cmath>

// Qt
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>

#include "firmware/fileerror.h"
#include "firmware/filename.h"
#include "firmware/sourcefile.h"
#include "jsontext.h"

namespace CliSettings {

namespace {

constexpr qint64 kMaxProfileBytes = 1024 * 1024;
const QString kStandardInput = QStringLiteral("-");

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

// A JSON number that is a whole number, and whether it is within int.
enum class Whole { No, Huge, Yes };

Whole WholeNumber(const QJsonValue &value, int &number)
{
    const double d = value.toDouble();
    if (!value.isDouble() || std::floor(d) != d)
        return Whole::No;
    if (d < -2147483648.0 || d > 2147483647.0)
        return Whole::Huge;
    number = int(d);
    return Whole::Yes;
}

// A number that is not a whole number, or not a number at all, for a setting whose values are
// `range`: "7.5 is not a whole number; use one of 7, 8".
QString NotWholeNumber(const QJsonValue &value, const QString &range)
{
    if (!value.isDouble())
        return WrongType(value, QJsonValue::Double);
    return QStringLiteral("%1 is not a whole number; %2").arg(JsonText::Scalar(value), range);
}

const QString kNul = QStringLiteral("the text holds a NUL character (\\u0000)");

// The JSON value of one profile key for setting `def`: nothing when it is taken, else the problem.
std::optional<QString> ParseJson(const SettingDef &def, const QJsonValue &value, Choice &choice)
{
    switch (def.kind) {
    case Kind::Number:
        switch (WholeNumber(value, choice.number)) {
        case Whole::No: return NotWholeNumber(value, QStringLiteral("use one of ") + JoinNumbers(def.numbers));
        case Whole::Huge:
            return QStringLiteral("%1 is not one of %2").arg(JsonText::Scalar(value), JoinNumbers(def.numbers));
        case Whole::Yes: break;
        }
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
        return std::nullopt;
    case Kind::Flag:
        if (!value.isBool())
            return WrongType(value, QJsonValue::Bool);
        choice.number = value.toBool() ? 1 : 0;
        return std::nullopt;
    case Kind::UsbId: {
        const Whole whole = WholeNumber(value, choice.number);
        if (whole == Whole::No)
            return NotWholeNumber(value, QStringLiteral("use one from 0 to %1").arg(kMaxUsbId));
        if (whole == Whole::Huge || choice.number < 0 || choice.number > kMaxUsbId)
            return QStringLiteral("%1 is outside 0 to %2").arg(JsonText::Scalar(value)).arg(kMaxUsbId);
        return std::nullopt;
    }
    case Kind::UsbText:
        if (!value.isString())
            return WrongType(value, QJsonValue::String);
        choice.text = value.toString();
        choice.given = choice.text;
        // Any length, and even a NUL character, is what some image may hold; only a change
        // must fit and be text.
        choice.problem =
            choice.text.contains(QChar(0)) ? std::optional<QString>(kNul) : CheckUsbTextLength(choice.text);
        return CheckUsbCharacters(choice.text);
    case Kind::DirPrefix:
        if (!value.isString())
            return WrongType(value, QJsonValue::String);
        // The file's own prefix may hold any four bytes, in any letter case.
        choice.given = value.toString();
        choice.problem = ParseCode(QString(), choice.given, Firmware::kDirPrefixSize, choice.text);
        if (choice.given.contains(QChar(0)))
            choice.problem = kNul;
        return std::nullopt;
    }
    return std::nullopt;
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

// The first key that one object of `data`, which is valid JSON, names twice, as a path such as
// "usb.product"; nothing when there is none. Qt's reader keeps one of the two values silently.
std::optional<QString> DuplicateKey(const QByteArray &data)
{
    struct Level {
        bool object;
        QString path;  // of the object or array itself
        QSet<QString> keys;
        bool expectKey = true;
        QString lastKey;  // path of the member whose value comes next
    };
    QList<Level> stack;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char c = data.at(i);
        if (c == '"') {
            qsizetype end = i + 1;
            while (end < data.size() && data.at(end) != '"')
                end += data.at(end) == '\\' ? 2 : 1;
            if (!stack.isEmpty() && stack.last().object && stack.last().expectKey) {
                const QByteArray token = '[' + data.mid(i, end - i + 1) + ']';
                const QString key = QJsonDocument::fromJson(token).array().at(0).toString();
                Level &level = stack.last();
                const QString path = level.path.isEmpty() ? key : level.path + QLatin1Char('.') + key;
                if (level.keys.contains(key))
                    return path;
                level.keys.insert(key);
                level.expectKey = false;
                level.lastKey = path;
            }
            i = end;
        } else if (c == '{' || c == '[') {
            const QString path = stack.isEmpty()       ? QString()
                                 : stack.last().object ? stack.last().lastKey
                                                       : stack.last().path;
            stack.append({c == '{', path, {}, true, {}});
        } else if ((c == '}' || c == ']') && !stack.isEmpty()) {
            stack.removeLast();
        } else if (c == ',' && !stack.isEmpty() && stack.last().object) {
            stack.last().expectKey = true;
        }
    }
    return std::nullopt;
}

// The bytes of the profile at `path`, a regular file or "-" for standard input, of at most
// kMaxProfileBytes. Nothing else is even opened for reading: a pipe without a writer would wait
// for ever, and a device could be read without end. Standard input is the console's.
std::optional<QString> ReadBytes(Cli::IConsole &console, const QString &path, const QString &name, QByteArray &data)
{
    const QString limit = QStringLiteral("a profile holds at most 1 MiB (%1 bytes)").arg(kMaxProfileBytes);
    const qint64 room = kMaxProfileBytes + 1;  // one more tells a profile that is too long
    qint64 got = 0;
    if (path == kStandardInput) {
        if (const std::optional<QString> reason = console.ReadIn(data, room))
            return name + QStringLiteral(": cannot read the profile: ") + *reason;
        got = data.size();
    } else {
        data.resize(room);
        CSourceFile file;
        if (const std::optional<FileError::Problem> problem = file.Open(path)) {
            switch (*problem) {
            case FileError::Problem::IsFolder:
            case FileError::Problem::NotRegular:
                return name
                       + QStringLiteral(": not a regular file; a profile is a regular file, or - for standard input");
            case FileError::Problem::BadName: return FileError::Describe(*problem, path);
            default: return name + QStringLiteral(": cannot read the profile: ") + file.ErrorText();
            }
        }
        if (file.Size() > kMaxProfileBytes)
            return QStringLiteral("%1: %2 bytes; %3").arg(name).arg(file.Size()).arg(limit);
        got = file.Read(data.data(), data.size());
        if (got < 0)
            return name + QStringLiteral(": cannot read the profile: ") + file.ErrorText();
    }
    if (got > kMaxProfileBytes)
        return name + QStringLiteral(": more than 1 MiB; ") + limit;
    data.resize(got);
    return std::nullopt;
}

// "line 2, column 5" for the byte at `offset` of `data`.
QString Position(const QByteArray &data, qsizetype offset)
{
    const QByteArray before = data.left(offset);
    return QStringLiteral("line %1, column %2")
        .arg(before.count('\n') + 1)
        .arg(before.size() - (before.lastIndexOf('\n') + 1) + 1);
}

// A profile is UTF-8, as JSON is and as info --json writes it: text in another encoding is
// refused with a sentence that says so, not with the first place where it fails as JSON.
std::optional<QString> NotUtf8(const QByteArray &data)
{
    const QString advice = QStringLiteral("; a profile is UTF-8 text, as info --json writes it");
    // The byte-order marks, UTF-32's first: it begins like UTF-16's.
    struct Mark {
        QByteArrayView bytes;
        int bits;
    };
    static const Mark kMarks[] = {{QByteArrayView("\xFF\xFE\0\0", 4), 32},
                                  {QByteArrayView("\0\0\xFE\xFF", 4), 32},
                                  {QByteArrayView("\xFF\xFE", 2), 16},
                                  {QByteArrayView("\xFE\xFF", 2), 16}};
    for (const Mark &mark : kMarks) {
        if (data.startsWith(mark.bytes))
            return QStringLiteral("UTF-%1 text").arg(mark.bits) + advice;
    }
    const qsizetype nul = data.indexOf('\0');
    if (nul >= 0)
        return QStringLiteral("not UTF-8 text: a NUL byte at %1, as UTF-16 text has").arg(Position(data, nul)) + advice;
    // FileName::FromNative writes each byte that is not UTF-8 as U+DC80 to U+DCFF.
    const QString text = FileName::FromNative(data);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u >= 0xDC80 && u <= 0xDCFF && (i == 0 || !text.at(i - 1).isHighSurrogate())) {
            QByteArray before;
            FileName::ToNative(QStringView(text).left(i), before);
            return QStringLiteral("not UTF-8 text: byte 0x%1 at %2")
                       .arg(QString::number(u - 0xDC00, 16).toUpper(), Position(data, before.size()))
                   + advice;
        }
    }
    return std::nullopt;
}

std::optional<QString> ReadObject(const QJsonObject &object, const QString &prefix, const QString &path,
                                  Choices &choices, std::optional<Choice> &string3)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QString key = prefix.isEmpty() ? it.key() : prefix + QLatin1Char('.') + it.key();
        const QString origin = path + QStringLiteral(": ") + Abridged(key);
        const QJsonValue value = it.value();

        if (prefix.isEmpty() && key == QLatin1String("usb")) {
            if (!value.isObject())
                return origin + QStringLiteral(": ") + WrongType(value, QJsonValue::Object);
            if (std::optional<QString> problem = ReadObject(value.toObject(), key, path, choices, string3))
                return problem;
            continue;
        }
        if (const FactKey *fact = FindFact(key)) {
            if (value.type() != fact->type)
                return origin + QStringLiteral(": ") + WrongType(value, fact->type);
            if (key == QLatin1String("schema") && value.toDouble() != kSchema)
                return origin
                       + QStringLiteral(": schema %1 is not supported (only %2)").arg(value.toDouble()).arg(kSchema);
            if (value.toString().contains(QChar(0))) {
                // The third string is the file's own and may hold one; no other fact ever does.
                if (key != QLatin1String("usb.string3"))
                    return origin + QStringLiteral(": ") + kNul;
                string3 = Choice{};
                string3->given = value.toString();
                string3->origin = origin;
                string3->problem = kNul;
            }
            continue;
        }
        std::size_t index = 0;
        const SettingDef *def = FindSetting(key, index);
        if (!def)
            return origin + QStringLiteral(": unknown key");
        Choice choice;
        if (const std::optional<QString> problem = ParseJson(*def, value, choice))
            return origin + QStringLiteral(": ") + *problem;
        choice.origin = origin;
        choice.fromProfile = true;
        choices[index] = choice;
    }
    return std::nullopt;
}

}  // namespace

std::optional<QString> ReadProfile(Cli::IConsole &console, const QString &path, Choices &choices,
                                   std::optional<Choice> &string3)
{
    const QString name = path == kStandardInput ? QStringLiteral("standard input") : path;
    QByteArray data;
    if (std::optional<QString> problem = ReadBytes(console, path, name, data))
        return problem;
    if (std::optional<QString> problem = NotUtf8(data))
        return name + QStringLiteral(": ") + *problem;
    // A mark of UTF-8 at the start, as some editors write it, is no part of the JSON.
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError) {
        return QStringLiteral("%1: %2: malformed JSON: %3")
            .arg(name, Position(data, error.offset), error.errorString());
    }
    if (!doc.isObject())
        return name + QStringLiteral(": a profile is one JSON object, as info --json prints it");
    if (const std::optional<QString> key = DuplicateKey(data))
        return name + QStringLiteral(": ") + Abridged(*key) + QStringLiteral(": the key appears twice");
    return ReadObject(doc.object(), QString(), name, choices, string3);
}

}  // namespace CliSettings
