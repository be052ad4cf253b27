#pragma once

// Qt
#include <QString>

// What loading and writing need from the program around them: message boxes, the overwrite
// question and the wait cursor. The wizard answers with real dialogs; tests with a recorder.
class IFirmwareUi
{
public:
    // The captions of the messages loading and writing show.
    static inline const QString kCaptionOpenSource = QStringLiteral("Could not open source file");
    static inline const QString kCaptionOpenTarget = QStringLiteral("Could not open destination file");
    static inline const QString kCaptionWriteTarget = QStringLiteral("Could not write destination file");
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
};
