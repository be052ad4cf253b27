#include "screentext.h"

// Std
#include <algorithm>

// Qt
#include <QChar>

namespace ScreenText {

namespace {

// The characters that are invisible without being format characters: Unicode's
// Default_Ignorable_Code_Point outside the general category Cf.
bool IsIgnorable(char32_t c)
{
    return c == 0x034F || c == 0x115F || c == 0x1160 || c == 0x17B4 || c == 0x17B5 || (c >= 0x180B && c <= 0x180F)
           || c == 0x3164 || (c >= 0xFE00 && c <= 0xFE0F) || c == 0xFFA0 || (c >= 0xFFF0 && c <= 0xFFF8)
           || (c >= 0x1BCA0 && c <= 0x1BCA3) || (c >= 0x1D173 && c <= 0x1D17A) || (c >= 0xE0000 && c <= 0xE0FFF)
           || (c >= 0x2060 && c <= 0x206F);
}

QString Hex(char32_t c, int digits)
{
    return QStringLiteral("%1").arg(quint32(c), digits, 16, QLatin1Char('0')).toUpper();
}

}  // namespace

bool IsHidden(char32_t c)
{
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
        return true;
    if (c == 0x20)
        return false;
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Separator_Space: return true;
    default: return IsIgnorable(c);
    }
}

QString Visible(QStringView text, bool keepLineFeeds)
{
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = text[i].unicode();
        char32_t c = u;
        qsizetype units = 1;
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(text[i + 1].unicode())) {
            c = QChar::surrogateToUcs4(u, text[i + 1].unicode());
            units = 2;
        }
        if ((c == u'\n' && keepLineFeeds) || !IsHidden(c)) {
            out += text.mid(i, units);
        } else if (c >= 0xDC80 && c <= 0xDCFF) {
            out += QStringLiteral("\\x") + Hex(c - 0xDC00, 2);  // a byte of a name
        } else if (c <= 0xFF) {
            out += QStringLiteral("\\x") + Hex(c, 2);
        } else if (c <= 0xFFFF) {
            out += QStringLiteral("\\u") + Hex(c, 4);
        } else {
            out += QStringLiteral("\\U") + Hex(c, 8);
        }
        i += units - 1;
    }
    return out;
}

QString Isolated(QStringView text)
{
    const QString shown = Visible(text);
    // Escapes are ASCII: only the characters left as they are can be right-to-left.
    const bool rightToLeft = std::any_of(shown.begin(), shown.end(), [](QChar c) {
        const QChar::Direction d = c.direction();
        return d == QChar::DirR || d == QChar::DirAL || d == QChar::DirAN;
    });
    return rightToLeft ? QChar(0x2068) + shown + QChar(0x2069) : shown;
}

}  // namespace ScreenText
