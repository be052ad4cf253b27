#pragma once

// Stands in for the wizard's message boxes and wait cursor: records every message and
// question, answers the overwrite question with a preset answer and counts the wait calls.

// Qt
#include <QList>
#include <QString>

#include "firmwareui.h"

class UiRecorder : public IFirmwareUi
{
public:
    struct Message {
        QString text;
        QString caption;
    };

    void ShowMessage(const QString &text, const QString &caption) override
    {
        messages.append({text, caption});
    }
    bool AskYesNo(const QString &text, const QString &caption) override
    {
        questions.append({text, caption});
        return answer;
    }
    void BeginWait() override
    {
        ++waitBegins;
        ++waitDepth;
    }
    void EndWait() override
    {
        ++waitEnds;
        --waitDepth;
    }

    void clear()
    {
        messages.clear();
        questions.clear();
        waitBegins = waitEnds = waitDepth = 0;
    }
    // Every operation shows the wait cursor once and takes it away again on every return.
    bool waitBalanced() const { return waitBegins > 0 && waitBegins == waitEnds && waitDepth == 0; }

    bool answer = true;
    QList<Message> messages;
    QList<Message> questions;
    int waitBegins = 0;
    int waitEnds = 0;
    int waitDepth = 0;
};
