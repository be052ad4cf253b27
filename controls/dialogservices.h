#pragma once

// Qt
#include <QString>
#include <QStringList>

#include "firmware/firmwareui.h"

class QMessageBox;
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

    // A question whose safe answer is No: No is the default button and what Escape or the close
    // box give. True when the user chose Yes.
    virtual bool AskYesNoDefaultNo(const QString &text, const QString &caption) = 0;
};

// The real dialogs, owned by `owner` (the wizard window).
class CQtDialogServices : public IDialogServices
{
public:
    explicit CQtDialogServices(QWidget *owner) : m_pOwner(owner) {}

    // Every box shows its text as plain text, whatever a file name or an image's version text
    // holds, and is at least as wide as its caption.
    void ShowMessage(const QString &text, const QString &caption) override;
    // Every question the program asks has No as its safe answer: No is the default.
    bool AskYesNo(const QString &text, const QString &caption) override;
    bool AskYesNoDefaultNo(const QString &text, const QString &caption) override;
    void BeginWait() override;
    void EndWait() override;
    QString GetFileName(const FileDialogRequest &request) override;
    // Names and texts from a file in a message: escaped and isolated (ScreenText::Isolated).
    QString Quoted(const QString &text) const override;

    // A message box as the services show it: plain text, wide enough for its caption.
    static void PrepareMessageBox(QMessageBox &box);

private:
    QWidget *m_pOwner;
};
