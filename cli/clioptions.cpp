#include "clioptions.h"

// Std
#include <algorithm>

namespace CliSettings {

namespace {

constexpr qsizetype kMaxUsbIdDigits = 4;

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
    case Kind::DirPrefix: return ParseCode(origin, text, Firmware::kDirPrefixSize, choice.text);
    }
    return problem.isEmpty() ? problem : origin + QStringLiteral(": ") + problem;
}

}  // namespace CliSettings
