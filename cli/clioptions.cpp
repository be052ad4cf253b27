#include "clioptions.h"

#include "firmware/fieldrules.h"

namespace CliSettings {

namespace {

std::optional<QString> CheckUsbText(const QString &text)
{
    if (std::optional<QString> problem = CheckUsbCharacters(text))
        return problem;
    return CheckUsbTextLength(text);
}

}  // namespace

std::optional<QString> ParseOption(const SettingDef &def, const QString &given, Choice &choice)
{
    const QString origin = QStringLiteral("--") + Word(def.option);
    choice.origin = origin;
    // Blanks around a number or a word do not count, for every option alike; texts and codes
    // are taken as they stand.
    const QString text = def.kind == Kind::UsbText || def.kind == Kind::DirPrefix ? given : given.trimmed();
    std::optional<QString> problem;
    switch (def.kind) {
    case Kind::Number: {
        bool ok = false;
        choice.number = text.toInt(&ok, 10);
        if (ok)
            problem = CheckNumber(def, choice.number);
        else if (FieldRules::IsWholeNumber(text))
            problem = QStringLiteral("%1 is not one of %2").arg(text, JoinNumbers(def.numbers));
        else
            problem = QStringLiteral("%1 is not a number; use one of %2").arg(Quote(text), JoinNumbers(def.numbers));
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
    case Kind::UsbId:
        if (const std::optional<quint16> id = FieldRules::ParseUsbId(text))
            choice.number = *id;
        else if (FieldRules::IsHexNumber(text))
            problem = QStringLiteral("%1 is outside 0 to ffff").arg(text);
        else
            problem = QStringLiteral("%1 is not a hexadecimal number from 0 to ffff").arg(Quote(text));
        break;
    case Kind::UsbText:
        choice.text = text;
        problem = CheckUsbText(text);
        break;
    case Kind::DirPrefix: return ParseCode(origin, text, Firmware::kDirPrefixSize, choice.text);
    }
    if (problem)
        return origin + QStringLiteral(": ") + *problem;
    return std::nullopt;
}

}  // namespace CliSettings
