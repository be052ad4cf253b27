#include "fieldrules.h"

// Std
#include <algorithm>

namespace FieldRules {

std::optional<quint16> ParseUsbId(QStringView text)
{
    QStringView digits = text.trimmed();
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        digits = digits.mid(2);
    const auto isHexDigit = [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
    };
    if (digits.isEmpty() || !std::all_of(digits.begin(), digits.end(), isHexDigit))
        return std::nullopt;
    // Leading zeros are allowed; the value is what counts.
    while (digits.size() > 1 && digits.front() == u'0')
        digits = digits.mid(1);
    constexpr qsizetype kMaxDigits = 4;
    if (digits.size() > kMaxDigits)
        return std::nullopt;
    return quint16(digits.toUInt(nullptr, 16));
}

bool IsCodeChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
}

bool IsCode(const QString &text, qsizetype length)
{
    return text.size() == length && std::all_of(text.begin(), text.end(), IsCodeChar);
}

qsizetype FirstUnstorableChar(const QString &text)
{
    constexpr char16_t kLastByteChar = 0xFF;
    const auto it = std::find_if(text.begin(), text.end(), [](QChar c) { return c.unicode() > kLastByteChar; });
    return it == text.end() ? -1 : it - text.begin();
}

}  // namespace FieldRules
