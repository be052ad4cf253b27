#pragma once

// Qt
#include <QString>

#include "firmware/firmwareui.h"

// Standard output and standard error in UTF-8. A "\n" is the platform's line end: on Windows
// these streams are in text mode and write CR LF, as text files there are written. Any other
// control character is written escaped, as Escaped() writes it.
// PrintOut is false when the text could not be written and flushed in full (a full disk,
// a closed pipe, a stream closed from the start); OutputFailure() tells why.
bool PrintOut(const QString &text);
void PrintErr(const QString &text);
QString OutputFailure();

// `text` with every control character written as an escape, ESC as \x1B and a line break as
// \x0A, and the characters that reorder or break lines of text (U+202E, U+2028 and the like)
// as \u202E: text from a firmware file or a name given by the user then shows what it holds and
// can make a terminal do nothing. Every other character stays as it is, a backslash included.
QString Escaped(const QString &text);

// Whether Escaped() writes `u` as an escape.
bool IsControlOrLayout(char16_t u);

// On systems with file descriptors, a standard stream that was closed when the program started
// would be taken by the next file opened, and output meant for it would go into that file. Each
// closed one is opened on the null device instead and remembered: output to it fails with a
// clear reason. Call once at start-up, before anything opens a file.
void GuardStandardStreams();
bool StandardInputClosed();

// One line of standard error: "brindle-cli: " and the message, escaped.
QString ErrorLine(const QString &message);

// The firmware core's messages on a terminal: each message box becomes one line
// "brindle-cli: caption: text" on standard error, the caption in small letters. Nobody can
// answer a question there, so the overwrite question is answered in advance (by --force);
// without it the answer is No, and the refusal "file exists: NAME exists; use --force to
// replace it" is printed instead of the question.
class CConsoleUi : public IFirmwareUi
{
public:
    explicit CConsoleUi(bool allowOverwrite = false, const QString &target = QString())
        : m_bAllowOverwrite(allowOverwrite)
        , m_strTarget(target)
    {}

    // Which of several files the next messages are about, such as "second file": it takes the
    // place of "source file" in a caption, and leads, with the path, any other message.
    void SetSubject(const QString &subject, const QString &path)
    {
        m_strSubject = subject;
        m_strSubjectPath = path;
    }

    void ShowMessage(const QString &text, const QString &caption) override;
    bool AskYesNo(const QString &text, const QString &caption) override;
    void BeginWait() override {}
    void EndWait() override {}

private:
    bool m_bAllowOverwrite;
    QString m_strTarget;
    QString m_strSubject;
    QString m_strSubjectPath;
};
