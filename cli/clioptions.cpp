#include "clioptions.h"

// Std
#include <optional>

#include "settingstext.h"

namespace CliSettings {

namespace {

QString CheckUsbText(const QString &text)
{
    const QString problem = CheckUsbCharacters(text);
    return problem.isEmpty() ? CheckUsbTextLength(text) : problem;
}

}  // namespace

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
        // The wizard's ID boxes take exactly this.
        const std::optional<quint16> id = SettingsText::ParseUsbId(text);
        choice.number = id.value_or(0);
        if (!id)
            problem = QStringLiteral("%1 is not a hexadecimal number from 0 to ffff").arg(Quote(text));
        break;
    }
    case Kind::UsbText:
        choice.text = text;
        problem = CheckUsbText(text);
        break;
    case Kind::DirPrefix: return ParseCode(origin, text, Firmware::kDirPrefixSize, choice.text);
    }
    return problem.isEmpty() ? problem : origin + QStringLiteral(": ") + problem;
}

}  // namespace CliSettings
