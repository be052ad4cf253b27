#pragma once

// Std
#include <array>
#include <memory>

// Qt
#include <QDialog>
#include <QFont>
#include <QIcon>
#include <QStringList>

#include "controls/dialogservices.h"
#include "controls/dialogtemplate.h"
#include "controls/wizardframe.h"
#include "firmware/firmwarerecord.h"
#include "pages/wizardpage.h"

class QContextMenuEvent;
class QLabel;
class QMenu;
class QPushButton;
class CHyperlinkStatic;
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
// confirmation step collects the pages into the record; "Write" writes the file. It is the
// pages' frame; everything else sees its state through the read-only functions below.
class CBrindleDlg : public QDialog, public IWizardFrame
{
    Q_OBJECT

public:
    static constexpr int kStepCount = 11;
    // The steps in their order.
    enum Step {
        StepOpen,
        StepSummary,
        StepBaud,
        StepInit,
        StepPrompt,
        StepUsb,
        StepDirPrefix,
        StepCode,
        StepConfirm,
        StepSave,
        StepFinish,
    };

    // `services` (not owned) replaces the real message boxes and file dialogs, for tests.
    explicit CBrindleDlg(IDialogServices *services = nullptr, QWidget *parent = nullptr);
    ~CBrindleDlg() override;

    // The window's flags: a title bar with a system menu and a close box, nothing to minimise or
    // maximise with.
    static constexpr Qt::WindowFlags kWindowFlags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                                                    | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint;
    // What Cancel, Escape and the close box ask while a loaded file has not been written.
    static constexpr const char *kDiscardQuestion = "Discard your changes and quit?";
    static constexpr const char *kDiscardCaption = "Norvale Firmware Customiser";

    // The wizard's commands: WizardIds::Next, Back and Cancel, as the buttons and pages send them.
    void OnCommand(int id) override;
    void OnNext();
    void OnBack();
    void OnCancelButton();
    void OnLogoDoubleClick();
    // Opens `path` from outside the wizard (the command line, a file manager): types it on
    // "File Open" and presses Next. A path the page does not take is loaded all the same, so
    // that the user learns why it cannot be opened; a refusal leaves it on "File Open".
    void OpenFile(const QString &path);
    // Says, through the loader's message, why `path` is no file to open.
    void SayWhyNotOpened(const QString &path);
    // A system-menu command; 16 (with the low four bits ignored) opens the About box.
    void OnSysCommand(int command);

    // The frame the pages talk to.
    void SetHeader(const QString &title, const QString &description) override;
    void FocusNext() override;
    IDialogServices *Services() const override { return m_pServices; }

    // A file is loaded and not yet written: ending now loses the user's work.
    bool HasUnsavedWork() const;

    // Cancel, Escape and the close box: ends the wizard, after asking while there is unsaved work.
    void reject() override;

    // Whether step `step` is part of the sequence for the loaded firmware type.
    bool StepApplies(int step) const;
    int SuccessorStep(int step) const;
    int PredecessorStep(int step) const;

    // The state, read-only.
    int CurrentStep() const { return m_nCurrentStep; }
    int NextMode() const { return m_nNextMode; }
    const CFirmwareRecord &Record() const { return m_record; }
    // The file last loaded, as the finish page names it.
    const QString &LoadedFile() const { return m_strLoadedFile; }
    // The items of the invisible step control: the steps' short names.
    const QStringList &StepTitles() const { return m_astrStepTitles; }
    // The page of `step`; its controls exist once it has been built (CWizardPage::IsCreated).
    CWizardPage *StepPage(int step) const { return m_apStepPages.at(step); }
    // The page of `step`, built from its template now if it was not yet.
    CWizardPage *BuiltPage(int step);
    template <class T>
    T *StepPage(int step) const
    {
        return qobject_cast<T *>(StepPage(step));
    }
    // A control of the wizard's template, by its WizardIds id.
    QWidget *GetDlgItem(int id) const { return m_controls.Item(id); }
    template <class T>
    T *GetDlgItem(int id) const
    {
        return m_controls.Item<T>(id);
    }
    QPushButton *NextButton() const { return m_btnNext; }
    QPushButton *BackButton() const { return m_btnBack; }
    QPushButton *CancelButton() const { return m_btnCancel; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // A title bar that offers maximise all the same (some Wayland decorations do) leaves the
    // window at its one size.
    void changeEvent(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
#ifdef Q_OS_WIN
    bool nativeEvent(const QByteArray &eventType, void *message, qintptr *result) override;
#endif

private:
    void OnInitDialog();
    void AddSystemMenuEntry();
    void OnContextMenuKey();
    // Shows `menu` for `event`, with the About entry at its end.
    void ShowMenu(QMenu *menu, const QContextMenuEvent *event);
    // The context menu of a text control (a text box, the report, a summary line), with the About
    // entry; false for a control that has none.
    bool ShowTextMenu(QWidget *widget, const QContextMenuEvent *event);
    // Makes Alt+B, Alt+N and Alt+W press the buttons (OnAccelerator) in their turn among the keys typed.
    void InstallAccelerators();
    // Alt+B, Alt+N or Alt+W: presses the shown, enabled button whose caption underlines the letter.
    void OnAccelerator(const QKeySequence &key);
    // Sets a caption whose letter the window's accelerators press.
    static void SetCaption(QPushButton *button, const char *caption);
    void EnterFinishedState();
    void PlaceFocus();
    // Enables Next as the page on screen says it is complete; the finished wizard has no Next.
    // Disabling Next while it has the focus first hands the focus to the shown page's first
    // input, so that the next Enter cannot land on Cancel.
    void UpdateNext();
    void ClearStepCounter();
    // Gives the record's settings to the pages, after a load.
    void FillPages();
    // Takes the pages' settings into the record, on the way to "Confirm Summary".
    void CollectPages();

    // controls and fonts
    CDialogControls m_controls;
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
    QWidget *m_tabSteps = nullptr;

    // pages (children of the dialog, deleted with it)
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

    // services; declared before the record, which uses them
    std::unique_ptr<IDialogServices> m_pOwnServices;
    IDialogServices *m_pServices;

    // the settings record
    CFirmwareRecord m_record;

    // the step table and the wizard's state
    std::array<CWizardPage *, kStepCount> m_apStepPages{};
    std::array<int, kStepCount> m_anStepTemplates{};
    std::array<int, kStepCount> m_anStepTypes{};
    QRect m_rectPageArea;          // where every page stands
    QStringList m_astrStepTitles;  // the items of the invisible step control
    int m_nStepCount = 0;
    int m_nCurrentStep = 0;
    int m_nConfirmStep = 0;
    int m_nSaveStep = 0;
    int m_nLastStep = 0;
    int m_nNextMode = NextNormal;
    QString m_strLoadedFile;  // the path of the file last loaded, for the finish report
};
