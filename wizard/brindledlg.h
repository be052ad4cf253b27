#pragma once

// Std
#include <array>
#include <memory>

// Qt
#include <QDialog>
#include <QFont>
#include <QIcon>
#include <QStringList>

#include "dialogservices.h"
#include "firmwarerecord.h"

class QLabel;
class QPushButton;
class CHyperlinkStatic;
class CWizardPage;
class CTabBaudRate;
class CTabCode;
class CTabFile;
class CTabFinish;
class CTabInit;
class CTabPrompt;
class CTabSummary;
class CTabUsbSlave;

// The main window: runs the customisation as a fixed sequence of eleven steps, one page each,
// and owns the settings record. Leaving the first step loads the file; arriving at the
// confirmation step collects the pages into the record; "Write" writes the file.
class CBrindleDlg : public QDialog
{
    Q_OBJECT

public:
    enum NextMode { NextNormal = 0, NextWrite = 1, NextFinished = 2 };
    static constexpr int kStepCount = 11;

    // `services` (not owned) replaces the real message boxes and file dialogs, for tests.
    explicit CBrindleDlg(IDialogServices *services = nullptr, QWidget *parent = nullptr);
    ~CBrindleDlg() override;

    int LoadFirmware(const QString &path) { return m_record.LoadFirmware(path); }
    int WriteFirmware(const QString &path) { return m_record.WriteFirmware(path); }

    IDialogServices *Services() const { return m_pServices; }

    // The wizard's commands: 1002 Next, 1003 Back, 1004 Cancel, as the pages send them.
    void OnCommand(int id);
    void OnNext();
    void OnBack();
    void OnCancelButton();
    void OnLogoDoubleClick();
    // A system-menu command; 16 (with the low four bits ignored) opens the About box.
    void OnSysCommand(int command);

    // Enables or disables Next. Disabling it while it has the focus first hands the focus to the
    // shown page's first input, so that the next Enter cannot land on Cancel.
    void EnableNext(bool enabled);

    // Whether step `step` is part of the sequence for the loaded firmware type.
    bool StepApplies(int step) const;
    int SuccessorStep(int step) const;
    int PredecessorStep(int step) const;

public:  // controls and fonts
    QFont m_fontTitle;
    QFont m_fontDescription;
    QIcon m_hIcon;
    QPushButton *m_btnCancel = nullptr;
    QPushButton *m_btnNext = nullptr;
    QPushButton *m_btnBack = nullptr;
    QLabel *m_staticCounter = nullptr;
    CHyperlinkStatic *m_linkWebSite = nullptr;
    QLabel *m_staticTitle = nullptr;
    QLabel *m_staticDescription = nullptr;
    QLabel *m_staticLogo = nullptr;

public:  // pages (children of the dialog, deleted with it)
    CTabSummary *m_pSummaryPage = nullptr;
    CTabFile *m_pOpenPage = nullptr;
    CTabBaudRate *m_pBaudPage = nullptr;
    CTabInit *m_pInitPage = nullptr;
    CTabPrompt *m_pPromptPage = nullptr;
    CTabCode *m_pDirPrefixPage = nullptr;
    CTabUsbSlave *m_pUsbPage = nullptr;
    CTabCode *m_pCodePage = nullptr;
    CTabSummary *m_pConfirmPage = nullptr;
    CTabFile *m_pSavePage = nullptr;
    CTabFinish *m_pFinishPage = nullptr;
    QWidget *m_tabSteps = nullptr;

private:  // services; declared before the record, which uses them
    std::unique_ptr<IDialogServices> m_pOwnServices;
    IDialogServices *m_pServices;

public:  // the settings record
    CFirmwareRecord m_record;

public:  // the step table and the wizard's state
    std::array<CWizardPage *, kStepCount> m_apStepPages{};
    std::array<int, kStepCount> m_anStepTemplates{};
    std::array<int, kStepCount> m_anStepTypes{};
    QStringList m_astrStepTitles;  // the items of the invisible step control
    int m_nStepCount = 0;
    int m_nCurrentStep = 0;
    int m_nConfirmStep = 0;
    int m_nSaveStep = 0;
    int m_nLastStep = 0;
    int m_nNextMode = NextNormal;
    QString m_strLoadedFile;  // the path of the file last loaded, for the finish report

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
#ifdef Q_OS_WIN
    bool nativeEvent(const QByteArray &eventType, void *message, qintptr *result) override;
#endif

private:
    void OnInitDialog();
    void AddSystemMenuEntry();
    void EnterFinishedState();
    void PlaceFocus(QWidget *before);
    void ClearStepCounter();
    void FillSummary(CTabSummary *page);
    void FillPages();
    void CollectPages();
};
