#include "fieldrules.h"

// Std
#include <algorithm>

namespace FieldRules {

namespace {

// `text` without the "0x" or "0X" in front of it.
QStringView WithoutHexPrefix(QStringView text)
{
    return text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? text.mid(2) : text;
}

}  // namespace

bool IsDecimalDigit(QChar c)
{
    const char16_t u = c.unicode();
    return u >= u'0' && u <= u'9';
}

bool IsHexDigit(QChar c)
{
    const char16_t u = c.unicode();
    return IsDecimalDigit(c) || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
}

bool IsWholeNumber(QStringView text)
{
    if (text.startsWith(u'+') || text.startsWith(u'-'))
        text = text.mid(1);
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), IsDecimalDigit);
}

bool IsHexNumber(QStringView text)
{
    const QStringView digits = WithoutHexPrefix(text);
    return !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), IsHexDigit);
}

std::optional<quint16> ParseUsbId(QStringView text)
{
    const QStringView number = text.trimmed();
    if (!IsHexNumber(number))
        return std::nullopt;
    // Leading zeros are allowed; the value is what counts.
    QStringView digits = WithoutHexPrefix(number);
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
    return IsDecimalDigit(c) || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
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
