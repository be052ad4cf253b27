#pragma once

// Std
#include <optional>

// Qt
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace Cli {

// What one run of the command line reads and writes: brindle-cli's standard streams
// (CStandardConsole), a test's buffers. The text arrives as the bytes the program prints (see
// ConsoleBytes), so whatever stands behind a console gets exactly those bytes.
class IConsole
{
public:
    virtual ~IConsole() = default;

    // Writes all of `bytes` to standard output and flushes them. Nothing when that succeeded;
    // else the whole message, "standard output is closed" or "cannot write to standard output:
    // " and the reason.
    virtual std::optional<QString> WriteOut(QByteArrayView bytes) = 0;
    // Writes `bytes` to standard error; nobody is told when that fails.
    virtual void WriteErr(QByteArrayView bytes) = 0;
    // Reads standard input up to its end, but never more than `maxBytes`, into `data`. Nothing
    // when that succeeded; else the reason, such as "standard input is closed".
    virtual std::optional<QString> ReadIn(QByteArray &data, qint64 maxBytes) = 0;

    // Whether standard input, or output, is a terminal: a firmware image is never read from or
    // written to one. A console of buffers is none.
    enum class Stream { In, Out };
    virtual bool IsTerminal(Stream stream) const
    {
        Q_UNUSED(stream);
        return false;
    }
};

// `text` as the wizard shows it too (ScreenText::Visible): every control character written as
// an escape, ESC as \x1B and a line break as \x0A, the characters that reorder or break lines
// of text (U+202E, U+2028 and the like) and the invisible ones (U+200B, U+FEFF, U+00AD, the tag
// characters ...) as \u202E or \U000E0041, and a byte of a name that is not UTF-8 as \xFF: text
// from a firmware file or a name given by the user then shows what it holds and can make a
// terminal do nothing. Every other character stays as it is, a backslash included.
QString Escaped(const QString &text);

// Whether Escaped() writes the character `u` of the basic plane as an escape.
bool IsControlOrLayout(char16_t u);

// One line of standard error: "brindle-cli: " and the message, escaped.
QString ErrorLine(const QString &message);

// The bytes brindle-cli prints for `text`: every control character but the line break escaped
// as Escaped() escapes it, in UTF-8, each "\n" the platform's line end (CR LF on Windows, as
// text is written there).
QByteArray ConsoleBytes(const QString &text);

// `text` on standard output, as ConsoleBytes gives it; the console's message when it could not
// be written and flushed in full (a full disk, a closed pipe, a stream closed from the start).
std::optional<QString> PrintOut(IConsole &console, const QString &text);
// `text` on standard error, as ConsoleBytes gives it.
void PrintErr(IConsole &console, const QString &text);

// The process's standard streams. Construct it first in main, before anything opens a file: on
// systems with file descriptors, a standard stream that was closed when the program started
// would be taken by the next file opened, and output meant for it would go into that file. Each
// closed one is opened on the null device instead and remembered: output to it fails with a
// clear reason, and so does reading a closed standard input. On Windows the three are switched
// to binary mode: the line ends are already in the bytes written, and an image read from
// standard input is bytes, not text.
class CStandardConsole : public IConsole
{
public:
    CStandardConsole();
    CStandardConsole(const CStandardConsole &) = delete;
    CStandardConsole &operator=(const CStandardConsole &) = delete;

    std::optional<QString> WriteOut(QByteArrayView bytes) override;
    void WriteErr(QByteArrayView bytes) override;
    std::optional<QString> ReadIn(QByteArray &data, qint64 maxBytes) override;
    bool IsTerminal(Stream stream) const override;

private:
    bool m_closed[3] = {};  // standard input, output and error closed at start-up
};

}  // namespace Cli
