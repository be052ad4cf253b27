#pragma once

// Stands in for the program's message boxes, questions, wait cursor and (where the interface
// has them) file dialogs in tests, benchmarks and fuzzing: records every message and question,
// answers questions with a preset answer and counts the wait calls. A silent recorder keeps
// the counts only, so a long benchmark or fuzzing run does not grow.

// Std
#include <concepts>

// Qt
#include <QList>
#include <QString>
#include <QStringList>

#include "firmware/firmwareui.h"

template <class Interface>
class UiRecorderBase : public Interface
{
public:
    struct Message {
        QString text;
        QString caption;
    };
    enum Mode { Recording, Silent };

    UiRecorderBase() = default;
    explicit UiRecorderBase(Mode mode) : silent(mode == Silent) {}

    void ShowMessage(const QString &text, const QString &caption) override
    {
        ++messageCount;
        if (!silent)
            messages.append({text, caption});
    }
    bool AskYesNo(const QString &text, const QString &caption) override
    {
        ++questionCount;
        if (!silent)
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
        messageCount = questionCount = 0;
        waitBegins = waitEnds = waitDepth = 0;
    }
    // Every operation shows the wait cursor once and takes it away again on every return.
    bool waitBalanced() const { return waitBegins > 0 && waitBegins == waitEnds && waitDepth == 0; }

    // Answers
    bool answer = true;   // to every question: true is Yes
    bool silent = false;  // keep counts only

    // Records
    QList<Message> messages;
    QList<Message> questions;
    int messageCount = 0;
    int questionCount = 0;
    int waitBegins = 0;
    int waitEnds = 0;
    int waitDepth = 0;
};

// An interface that also asks for file names (the wizard's dialog services).
template <class Interface>
concept AsksFileNames = requires(Interface &i, const typename Interface::FileDialogRequest &request)
{
    {
        i.GetFileName(request)
        } -> std::same_as<QString>;
};

template <class Interface>
class UiRecorderFor : public UiRecorderBase<Interface>
{
public:
    using UiRecorderBase<Interface>::UiRecorderBase;
};

template <AsksFileNames Interface>
class UiRecorderFor<Interface> : public UiRecorderBase<Interface>
{
public:
    using UiRecorderBase<Interface>::UiRecorderBase;
    using FileDialogRequest = typename Interface::FileDialogRequest;

    QString GetFileName(const FileDialogRequest &request) override
    {
        if (!this->silent)
            fileRequests.append(request);
        return nextFileNames.isEmpty() ? QString() : nextFileNames.takeFirst();
    }
    // Recorded with the other questions, answered with `answer` too.
    bool AskYesNoDefaultNo(const QString &text, const QString &caption) override
    {
        ++defaultNoCount;
        return this->AskYesNo(text, caption);
    }

    int defaultNoCount = 0;  // how many of the questions had No as their default

    QStringList nextFileNames;  // empty entries, or none left, mean "cancelled"
    QList<FileDialogRequest> fileRequests;
};

// The firmware core's reporting interface.
using UiRecorder = UiRecorderFor<IFirmwareUi>;

// The operation was refused with exactly one message, `expectedText` under `expectedCaption`,
// and took the wait cursor away again. For test functions: it returns on failure.
#define QVERIFY_REFUSED(recorder, expectedText, expectedCaption)                 \
    do {                                                                         \
        QCOMPARE((recorder).messages.size(), 1);                                 \
        QCOMPARE((recorder).messages.first().text, QString(expectedText));       \
        QCOMPARE((recorder).messages.first().caption, QString(expectedCaption)); \
        QVERIFY((recorder).waitBalanced());                                      \
    } while (false)
