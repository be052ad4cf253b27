#pragma once

// Stands in for the wizard's message boxes, file dialogs and wait cursor in tests: records what
// was shown and answers with what the test chose.

// Qt
#include <QList>
#include <QObject>
#include <QUrl>
#include <QString>
#include <QStringList>

#include "dialogservices.h"

class RecordingServices : public IDialogServices
{
public:
    struct Message {
        QString text;
        QString caption;
        bool question = false;
    };

    void ShowMessage(const QString &text, const QString &caption) override
    {
        messages.append({text, caption, false});
    }
    bool AskYesNo(const QString &text, const QString &caption) override
    {
        messages.append({text, caption, true});
        return answerYes;
    }
    void BeginWait() override { ++waitDepth; ++waitCount; }
    void EndWait() override { --waitDepth; }
    QString GetFileName(const FileDialogRequest &request) override
    {
        fileRequests.append(request);
        return nextFileNames.isEmpty() ? QString() : nextFileNames.takeFirst();
    }

    // Answers
    bool answerYes = true;
    QStringList nextFileNames;  // empty entries, or none left, mean "cancelled"

    // Records
    QList<Message> messages;
    QList<FileDialogRequest> fileRequests;
    int waitDepth = 0;
    int waitCount = 0;
};

// Records the addresses the wizard asks the desktop to open (a URL handler for QDesktopServices).
class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl &url) { urls.append(url); }
};
