#pragma once

// Qt
#include <QString>
#include <QStringList>

#include "firmwareui.h"

class QWidget;

// The modal dialogs the wizard needs: message boxes, the overwrite question, the wait cursor
// and the file dialogs. The program uses CQtDialogServices; tests put in a recorder.
class IDialogServices : public IFirmwareUi
{
public:
    struct FileDialogRequest {
        bool save = false;
        QString defaultSuffix;   // appended to a name typed without an extension
        QStringList filters;     // "Norvale ROM image files (*.ROM)", ...
        int selectedFilter = 0;  // the filter in force when the dialog opens; the name box starts empty
    };

    // The chosen full path, or an empty string when the user cancelled.
    virtual QString GetFileName(const FileDialogRequest &request) = 0;
};

// The real dialogs, owned by `owner` (the wizard window).
class CQtDialogServices : public IDialogServices
{
public:
    explicit CQtDialogServices(QWidget *owner) : m_pOwner(owner) {}

    void ShowMessage(const QString &text, const QString &caption) override;
    bool AskYesNo(const QString &text, const QString &caption) override;
    void BeginWait() override;
    void EndWait() override;
    QString GetFileName(const FileDialogRequest &request) override;

private:
    QWidget *m_pOwner;
};
