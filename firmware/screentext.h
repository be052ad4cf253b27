#pragma once

// Qt
#include <QString>
#include <QStringView>

// How names and texts from a file are shown, by the wizard and by brindle-cli alike: every
// character that would not show what the text holds is written as an escape. That is a control
// character (C0, DEL, C1), a character that reorders or breaks lines (the direction marks,
// embeddings, overrides and isolates, the line and paragraph separators), an invisible one
// (format characters such as U+200B ZERO WIDTH SPACE, U+FEFF and U+00AD SOFT HYPHEN, the tag
// characters, the fillers U+115F and U+3164, and the other default-ignorable characters), a
// space other than U+0020, and a byte of a file name that is not UTF-8 (FileName::FromNative).
// Two texts that differ then look different, and no text acts on the text around it.
namespace ScreenText {

// Whether `c` is shown as an escape. A lone surrogate is: it stands for a byte of a name.
bool IsHidden(char32_t c);

// `text` with each hidden character as an escape: \xHH for a byte of a name that is not UTF-8
// and for the characters up to U+00FF ("\x1B", "\x9B", "\xAD"), \uHHHH for the others of the
// basic plane ("\u202E"), \UHHHHHHHH beyond it ("\U000E0041"), in capital hexadecimal digits.
// Every other character stays as it is, a backslash included. With `keepLineFeeds` a "\n"
// stays a line break.
QString Visible(QStringView text, bool keepLineFeeds = false);

// For a window: Visible(text), and when that holds right-to-left characters (Hebrew, Arabic
// letters and digits), between U+2068 FIRST STRONG ISOLATE and U+2069 POP DIRECTIONAL ISOLATE, so
// that the name keeps its order inside the program's left-to-right sentence and the sentence
// keeps its own. A text without them changes nothing around it and is left as it is, so that
// what is copied from a window is the text itself.
QString Isolated(QStringView text);

}  // namespace ScreenText
