#pragma once

// Qt
#include <QString>

// What loading and writing need from the program around them: message boxes, the overwrite
// question, the wait cursor, and how a name or a text from a file is written into a message. The
// wizard answers with real dialogs; tests with a recorder.
class IFirmwareUi
{
public:
    // The captions of the messages loading and writing show.
    static inline const QString kCaptionOpenSource = QStringLiteral("Could not open source file");
    static inline const QString kCaptionReadSource = QStringLiteral("Could not read source file");
    static inline const QString kCaptionOpenTarget = QStringLiteral("Could not open destination file");
    static inline const QString kCaptionWriteTarget = QStringLiteral("Could not write destination file");
    // The file was written under its name, but is not known to be on disk.
    static inline const QString kCaptionFlushTarget = QStringLiteral("Could not flush destination file");
    static inline const QString kCaptionTemporary = QStringLiteral("Could not remove temporary file");
    static inline const QString kCaptionFileFormat = QStringLiteral("File Format Error");
    static inline const QString kCaptionFirmwareFormat = QStringLiteral("Firmware Format Error");
    static inline const QString kCaptionVersion = QStringLiteral("Firmware Version Error");
    static inline const QString kCaptionExists = QStringLiteral("File Exists");

public:
    virtual ~IFirmwareUi() = default;

    // A message with an OK button and no icon.
    virtual void ShowMessage(const QString &text, const QString &caption) = 0;
    // A question with Yes and No; true means Yes.
    virtual bool AskYesNo(const QString &text, const QString &caption) = 0;
    // The wait cursor, shown between the two calls.
    virtual void BeginWait() = 0;
    virtual void EndWait() = 0;

    // A file name or a text from a file as the messages above quote it. As it is by default; a
    // window isolates it from the sentence around it and shows its invisible characters
    // (ScreenText::Isolated), a terminal escapes the whole message instead.
    virtual QString Quoted(const QString &text) const { return text; }
};
