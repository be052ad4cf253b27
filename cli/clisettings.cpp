#include "clisettings.h"

// Std
#include <algorithm>

// Qt
#include <QStringList>

#include "firmware/fieldrules.h"
#include "firmware/firmwareformat.h"
#include "firmware/firmwarerecord.h"
#include "firmware/fits.h"
#include "firmware/settingstext.h"

namespace CliSettings {

QString Word(const char *word)
{
    return QString::fromLatin1(word);
}

QString Abridged(const QString &text)
{
    constexpr qsizetype kShown = 40;
    if (text.size() <= kShown)
        return text;
    // Not half a character.
    const qsizetype cut = text.at(kShown - 1).isHighSurrogate() ? kShown - 1 : kShown;
    return text.left(cut) + QStringLiteral("... (%1 characters)").arg(text.size());
}

QString Quote(const QString &text)
{
    return QLatin1Char('"') + Abridged(text) + QLatin1Char('"');
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

std::optional<QString> CheckNumber(const SettingDef &def, int number)
{
    if (std::find(def.numbers.begin(), def.numbers.end(), number) == def.numbers.end())
        return QStringLiteral("%1 is not one of %2").arg(number).arg(JoinNumbers(def.numbers));
    return std::nullopt;
}

std::optional<QString> CheckUsbTextLength(const QString &text)
{
    if (!Firmware::UsbStringsFit(text.size())) {
        return QStringLiteral("%1 characters; the three USB strings hold at most %2 together")
            .arg(text.size())
            .arg(Firmware::kMaxUsbStringChars);
    }
    return std::nullopt;
}

std::optional<QString> CheckUsbCharacters(const QString &text)
{
    if (const qsizetype at = FieldRules::FirstUnstorableChar(text); at >= 0) {
        const QChar c = text.at(at);
        return QStringLiteral("the character %1 (U+%2) cannot be stored: the firmware keeps one byte "
                              "per character (Latin-1)")
            .arg(c)
            .arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    return std::nullopt;
}

int IndexOfWord(std::span<const char *const> words, const QString &text)
{
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (text.compare(QLatin1String(words[i]), Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

std::optional<QString> ParseCode(const QString &origin, const QString &text, qsizetype length, QString &code)
{
    // Letters and digits of ASCII only, the same rule as the wizard's code box: the code
    // becomes part of the version text, which is ASCII.
    if (!FieldRules::IsCode(text, length)) {
        const QString problem =
            QStringLiteral("%1 must be exactly %2 characters A-Z or 0-9").arg(Quote(text)).arg(length);
        return origin.isEmpty() ? problem : origin + QStringLiteral(": ") + problem;
    }
    code = text.toUpper();
    return std::nullopt;
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
