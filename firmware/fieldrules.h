#pragma once

// Std
#include <optional>

// Qt
#include <QString>
#include <QStringView>
#include <QtGlobal>

// What the image's text and number fields can hold, as the wizard's boxes and brindle-cli's
// options both check it.
namespace FieldRules {

// The digits of numbers as the user writes them: ASCII only, no other script's digits.
bool IsDecimalDigit(QChar c);
// 0 to 9, a to f, A to F.
bool IsHexDigit(QChar c);

// Whether `text` is written as a whole decimal number: a sign or none, then one or more decimal
// digits, nothing else (no blanks). How large it is does not count.
bool IsWholeNumber(QStringView text);

// Whether `text` is written as a hexadecimal number: "0x" in either case or not, then one or more
// hexadecimal digits in either case, nothing else (no blanks). How large it is does not count.
bool IsHexNumber(QStringView text);

// A USB vendor or product ID as the wizard's boxes and brindle-cli's --vid and --pid take it:
// hexadecimal digits, "0x" in front or not, in either case, from 0 to ffff; blanks before and
// after it do not count. Nothing for any other text.
std::optional<quint16> ParseUsbId(QStringView text);

// Whether `c` may stand in a version code or a target directory prefix: an ASCII letter or
// digit. The code becomes part of the version text, which the firmware and its tools read as ASCII.
bool IsCodeChar(QChar c);

// Whether `text` is a code of exactly `length` such characters, in either case.
bool IsCode(const QString &text, qsizetype length);

// The position of the first character of `text` that the image cannot hold with its one byte per
// character (beyond Latin-1); -1 when every character fits.
qsizetype FirstUnstorableChar(const QString &text);

}  // namespace FieldRules
