#pragma once

// Dialog services that answer every question with No and show nothing: for benchmarks and
// fuzzing, where nothing may block.

#include "dialogservices.h"

class SilentServices : public IDialogServices
{
public:
    void ShowMessage(const QString &, const QString &) override {}
    bool AskYesNo(const QString &, const QString &) override { return false; }
    void BeginWait() override {}
    void EndWait() override {}
    QString GetFileName(const FileDialogRequest &) override { return QString(); }
};
