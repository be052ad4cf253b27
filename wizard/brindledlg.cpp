#include "brindledlg.h"

// Std
#include <functional>
#include <utility>

// Qt
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QUrl>
#ifdef Q_OS_MACOS
#include <QMenuBar>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include "aboutdlg.h"
#include "controls/accessibility.h"
#include "controls/dialogtemplate.h"
#include "controls/editalnum.h"
#include "controls/hyperlinkstatic.h"
#include "firmware/settingstext.h"
#include "pages/tabbaudrate.h"
#include "pages/tabcode.h"
#include "pages/tabfile.h"
#include "pages/tabfinish.h"
#include "pages/tabinit.h"
#include "pages/tabprompt.h"
#include "pages/tabsummary.h"
#include "pages/tabusbslave.h"
#include "resources/dialogtemplates.h"
#include "resources/pictures.h"
#include "resources/resourceids.h"

CBrindleDlg::CBrindleDlg(IDialogServices *services, QWidget *parent)
    : QDialog(parent)
    , m_pOwnServices(services ? nullptr : std::make_unique<CQtDialogServices>(this))
    , m_pServices(services ? services : m_pOwnServices.get())
    , m_record(m_pServices)
{
    m_hIcon = Pictures::ApplicationIcon();
    OnInitDialog();
}

CBrindleDlg::~CBrindleDlg() = default;

void CBrindleDlg::OnInitDialog()
{
    // A fixed-size window with a title bar and close box, no minimise or maximise box, asked for in
    // every way a platform reads it: Wayland compositors offer maximise unless told otherwise.
    setWindowFlags(kWindowFlags);

    auto factory = [](const ControlTemplate &c, QWidget *parent) -> QWidget * {
        return c.id == WizardIds::WebSite ? new CHyperlinkStatic(parent) : nullptr;
    };
    m_controls = CDialogBuilder::Build(this, *FindDialogTemplate(IDD_BRINDLE_DIALOG), factory);
    setFixedSize(size());

    m_staticTitle = GetDlgItem<QLabel>(WizardIds::Title);
    m_staticDescription = GetDlgItem<QLabel>(WizardIds::Description);
    m_btnCancel = GetDlgItem<QPushButton>(WizardIds::Cancel);
    m_tabSteps = GetDlgItem(WizardIds::Steps);
    m_btnNext = GetDlgItem<QPushButton>(WizardIds::Next);
    m_btnBack = GetDlgItem<QPushButton>(WizardIds::Back);
    m_staticCounter = GetDlgItem<QLabel>(WizardIds::Counter);
    m_linkWebSite = GetDlgItem<CHyperlinkStatic>(WizardIds::WebSite);
    m_staticLogo = GetDlgItem<QLabel>(WizardIds::Logo);

    connect(m_btnNext, &QPushButton::clicked, this, &CBrindleDlg::OnNext);
    connect(m_btnBack, &QPushButton::clicked, this, &CBrindleDlg::OnBack);
    connect(m_btnCancel, &QPushButton::clicked, this, &CBrindleDlg::OnCancelButton);
    m_staticLogo->installEventFilter(this);
    Accessibility::MarkAsMainWindow(this);
    Accessibility::MarkAsHeader(m_staticTitle, m_staticDescription);
    Accessibility::TellFocusOnActivation(this);
    // Context menu requests of the text controls, which answer them with menus of their own.
    qApp->installEventFilter(this);
    m_staticLogo->setAccessibleName(QStringLiteral("Norvale logo"));
    m_staticLogo->setAccessibleDescription(QStringLiteral("Double-click to open the product web site"));

    AddSystemMenuEntry();
    auto *menuKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this, &CBrindleDlg::OnContextMenuKey);
    InstallAccelerators();
    SetCaption(m_btnBack, kBackCaption);
    SetCaption(m_btnNext, kNextCaption);
    setWindowIcon(m_hIcon);

    // The title is in the heading font; the link is underlined.
    m_fontTitle = CDialogBuilder::HeadingFont(font());
    m_fontDescription = font();
    m_staticTitle->setFont(m_fontTitle);
    // The title is one line in the larger font: it may use the description's width (the step
    // counter it would run under is always empty) rather than break into the description.
    m_staticTitle->setWordWrap(false);
    m_staticTitle->resize(m_staticDescription->width(), m_staticTitle->height());
    m_staticDescription->setFont(m_fontDescription);
    QFont linkFont = m_fontDescription;
    linkFont.setUnderline(true);
    m_linkWebSite->setFont(linkFont);
    m_linkWebSite->setText(QString::fromLatin1(kWebSiteAddress));

    struct Step {
        const char *title;
        CWizardPage *page;
        int templateId;
        int types;  // the firmware types the step applies to
    };
    m_pOpenPage = new CTabFile(0, this);
    m_pSummaryPage = new CTabSummary(0, this);
    m_pBaudPage = new CTabBaudRate(this);
    m_pInitPage = new CTabInit(this);
    m_pPromptPage = new CTabPrompt(this);
    m_pUsbPage = new CTabUsbSlave(this);
    m_pDirPrefixPage = new CTabCode(1, this);
    m_pCodePage = new CTabCode(0, this);
    m_pConfirmPage = new CTabSummary(1, this);
    m_pSavePage = new CTabFile(1, this);
    m_pFinishPage = new CTabFinish(this);
    const Step steps[kStepCount] = {
        {"File Open", m_pOpenPage, IDD_TAB_FILE, Firmware::kAllTypes},
        {"File Summary", m_pSummaryPage, IDD_TAB_SUMMARY, Firmware::kAllTypes},
        {"Set Baud", m_pBaudPage, IDD_TAB_BAUDRATE, Firmware::kAllTypes},
        {"Set Init", m_pInitPage, IDD_TAB_INIT, Firmware::kAllTypes},
        {"Set Prompt", m_pPromptPage, IDD_TAB_PROMPT, Firmware::kAllTypes},
        {"Set PID/VID", m_pUsbPage, IDD_TAB_USBSLAVE, Firmware::kUsbSlaveTypes},
        {"Set Target Directory", m_pDirPrefixPage, IDD_TAB_CODE, Firmware::kDirPrefixTypes},
        {"Set Code", m_pCodePage, IDD_TAB_CODE, Firmware::kAllTypes},
        {"Confirm Summary", m_pConfirmPage, IDD_TAB_SUMMARY, Firmware::kAllTypes},
        {"File Save", m_pSavePage, IDD_TAB_FILE, Firmware::kAllTypes},
        {"Finish", m_pFinishPage, IDD_TAB_FINISH, Firmware::kAllTypes},
    };
    m_astrStepTitles.clear();
    for (int i = 0; i < kStepCount; ++i) {
        m_apStepPages[i] = steps[i].page;
        m_anStepTemplates[i] = steps[i].templateId;
        m_anStepTypes[i] = steps[i].types;
        // A child of the window from the start, deleted with it, hidden until its step.
        CWizardPage *page = steps[i].page;
        page->setParent(this);
        page->hide();
        // Only the page on screen has a say over Next.
        connect(page, &CWizardPage::completeChanged, this, [this, page] {
            if (page == m_apStepPages[m_nCurrentStep])
                UpdateNext();
        });
        m_astrStepTitles.append(QString::fromLatin1(steps[i].title));
    }
    m_nConfirmStep = StepConfirm;
    m_nSaveStep = StepSave;
    m_nLastStep = StepFinish;

    m_nStepCount = kStepCount;
    m_nNextMode = NextNormal;
    m_nCurrentStep = 0;
    ClearStepCounter();

    // Every page covers the step control's rectangle. A page is built from its template when it
    // is first needed: "File Open" now, the pages a load fills at the load, the others when Next
    // reaches them. Until then a page is an object that holds its values, without controls.
    m_rectPageArea = m_tabSteps->geometry();
    BuiltPage(StepOpen)->ShowWindow(true);
    UpdateNext();
    PlaceFocus();
}

CWizardPage *CBrindleDlg::BuiltPage(int step)
{
    CWizardPage *page = m_apStepPages.at(step);
    if (!page->IsCreated()) {
        // Built hidden, above its siblings, in the page area.
        page->Create(m_anStepTemplates[step], this);
        page->setGeometry(m_rectPageArea);
        page->raise();
    }
    return page;
}

void CBrindleDlg::AddSystemMenuEntry()
{
#if defined(Q_OS_WIN)
    HMENU menu = ::GetSystemMenu(reinterpret_cast<HWND>(winId()), FALSE);
    if (menu) {
        ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX,
                      reinterpret_cast<LPCWSTR>(QString::fromLatin1(kAboutMenuText).utf16()));
    }
#elif defined(Q_OS_MACOS)
    auto *menuBar = new QMenuBar(nullptr);
    QMenu *menu = menuBar->addMenu(QStringLiteral("Brindle"));
    QAction *about = menu->addAction(QString::fromLatin1(kAboutMenuText));
    about->setMenuRole(QAction::AboutRole);
    connect(about, &QAction::triggered, this, [this] { OnSysCommand(IDM_ABOUTBOX); });
    connect(this, &QObject::destroyed, menuBar, &QObject::deleteLater);
#endif
    // On Linux the title-bar menu belongs to the window manager: the entry is offered from the
    // window's context menu instead (contextMenuEvent).
}

void CBrindleDlg::SetCaption(QPushButton *button, const char *caption)
{
    // The window keeps its template's places in a right-to-left layout too, Back at the left and
    // Next at the right: left-to-right marks around the caption keep its arrow as written, pointing the way each
    // button goes (laid out right to left, "< Back" would read "Back >").
    const QString mark = button->isRightToLeft() ? QStringLiteral("\u200E") : QString();
    button->setText(mark + QString::fromLatin1(caption) + mark);
    // The window's accelerators press the button (OnAccelerator); the caption only shows the letter.
    button->setShortcut(QKeySequence());
}

namespace {

// Alt+B, Alt+N and Alt+W, taken as the keys they are, in their place among the keys typed. A
// shortcut would act as the key goes down, before the program gets the keys typed ahead of it
// whenever these wait (a screen reader's bridge holds each typed key until the reader has seen
// it), and would so overtake them. Here the shortcut is declined, and the key is handled when it
// reaches the widget with the focus, after every key typed before it.
class CAcceleratorKeys : public QObject
{
public:
    CAcceleratorKeys(QWidget *window, std::function<void(const QKeySequence &)> press)
        : QObject(window)
        , m_window(window)
        , m_press(std::move(press))
    {
        for (const char *caption : {kBackCaption, kNextCaption, kWriteCaption})
            m_keys.append(QKeySequence::mnemonic(QString::fromLatin1(caption)));
        // The keys go to the widget with the focus, or to the window when none has it.
        window->installEventFilter(this);
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
            if (now && now->window() == m_window)
                now->installEventFilter(this);
        });
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::ShortcutOverride:
            // Not a shortcut: the key comes as a key press.
            if (IsAccelerator(static_cast<QKeyEvent *>(event))) {
                event->accept();
                return true;
            }
            return false;
        case QEvent::KeyPress:
        case QEvent::KeyRelease: return OnKey(watched, static_cast<QKeyEvent *>(event));
        default: return false;
        }
    }

private:
    bool IsAccelerator(const QKeyEvent *event) const
    {
        return event->modifiers() == Qt::AltModifier && m_keys.contains(QKeySequence(event->keyCombination()));
    }

    bool OnKey(QObject *watched, QKeyEvent *event)
    {
        // A key that was held back, sent again to the widget that had the focus when it was typed:
        // typed after an accelerator that changed the page, it belongs where the focus is now.
        auto *widget = qobject_cast<QWidget *>(watched);
        QWidget *focus = QApplication::focusWidget();
        if (!event->spontaneous() && widget && focus && focus != widget && focus->window() == m_window
            && !widget->isAncestorOf(focus)) {
            QKeyEvent again(event->type(), event->key(), event->modifiers(), event->nativeScanCode(),
                            event->nativeVirtualKey(), event->nativeModifiers(), event->text(), event->isAutoRepeat(),
                            event->count());
            QCoreApplication::sendEvent(focus, &again);
            return true;
        }
        if (!IsAccelerator(event))
            return false;
        // The accelerator's letter never reaches a box, whether or not its button acts.
        if (event->type() == QEvent::KeyPress)
            m_press(QKeySequence(event->keyCombination()));
        return true;
    }

    QWidget *m_window;
    std::function<void(const QKeySequence &)> m_press;
    QList<QKeySequence> m_keys;
};

}  // namespace

void CBrindleDlg::InstallAccelerators()
{
    // Alt+B, Alt+N and Alt+W belong to the window whatever state its buttons are in: pressed on a
    // disabled button (or Alt+W while Next reads "Next >") they do nothing, rather than reach the
    // focused box as a typed letter. An enabled button is pressed at once, not by the button's
    // own shortcut, which shows the click first and presses it a moment later.
    new CAcceleratorKeys(this, [this](const QKeySequence &key) { OnAccelerator(key); });
}

void CBrindleDlg::OnAccelerator(const QKeySequence &key)
{
    for (QPushButton *button : {m_btnBack, m_btnNext}) {
        if (button->isVisible() && button->isEnabled() && QKeySequence::mnemonic(button->text()) == key) {
            button->click();
            return;
        }
    }
}

void CBrindleDlg::OnContextMenuKey()
{
    // Shift+F10 does what the Menu key does: the control with the focus gets the context menu
    // request first (an edit shows its own menu) and passes it on to the window otherwise.
    QWidget *target = focusWidget() ? focusWidget() : this;
    const QPoint pos = target->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Keyboard, pos, target->mapToGlobal(pos));
    QCoreApplication::sendEvent(target, &event);
}

void CBrindleDlg::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    ShowMenu(&menu, event);
}

void CBrindleDlg::ShowMenu(QMenu *menu, const QContextMenuEvent *event)
{
    if (!menu->isEmpty())
        menu->addSeparator();
    QAction *about = menu->addAction(QString::fromLatin1(kAboutMenuText));
    connect(about, &QAction::triggered, this, [this] { OnSysCommand(IDM_ABOUTBOX); });
    // Opened from the keyboard, the menu opens on its first entry that can be chosen, as on
    // Windows: the next Enter chooses it, and a screen reader says it as the menu opens.
    if (event->reason() == QContextMenuEvent::Keyboard) {
        for (QAction *action : menu->actions()) {
            if (action->isEnabled() && !action->isSeparator()) {
                QTimer::singleShot(0, menu, [menu, action] { menu->setActiveAction(action); });
                break;
            }
        }
    }
    menu->exec(event->globalPos());
    // The focus is back where it was, which a screen reader is not told by itself.
    Accessibility::TellFocusLater();
}

namespace {

// The text control `widget` is, or whose viewport it is (a mouse's requests come to the viewport).
QPlainTextEdit *PlainTextOf(QWidget *widget)
{
    if (auto *text = qobject_cast<QPlainTextEdit *>(widget))
        return text;
    auto *parent = qobject_cast<QPlainTextEdit *>(widget->parentWidget());
    return parent && parent->viewport() == widget ? parent : nullptr;
}

}  // namespace

bool CBrindleDlg::ShowTextMenu(QWidget *widget, const QContextMenuEvent *event)
{
    // A text box, the finish report and a summary line have menus of their own (Undo, Cut, Copy,
    // Paste, Select All); the About entry follows their entries, so that it is within reach from
    // every control. Other controls pass the request on to the window.
    std::unique_ptr<QMenu> menu;
    if (auto *alnum = qobject_cast<CEditAlnum *>(widget)) {
        menu.reset(alnum->CreateContextMenu());
    } else if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
        menu.reset(edit->createStandardContextMenu());
    } else if (auto *text = PlainTextOf(widget)) {
        menu.reset(text->createStandardContextMenu(widget->mapTo(text, event->pos())));
    } else if (auto *label = qobject_cast<QLabel *>(widget);
               label && (label->textInteractionFlags() & Qt::TextSelectableByKeyboard)) {
        menu = std::make_unique<QMenu>();
        QAction *copy = menu->addAction(QLabel::tr("&Copy"),
                                        [label] { QGuiApplication::clipboard()->setText(label->selectedText()); });
        copy->setEnabled(label->hasSelectedText());
        menu->addAction(QLabel::tr("Select All"), [label] { label->setSelection(0, int(label->text().size())); });
    }
    if (!menu)
        return false;
    ShowMenu(menu.get(), event);
    return true;
}

#ifdef Q_OS_WIN
bool CBrindleDlg::nativeEvent(const QByteArray &eventType, void *message, qintptr *result)
{
    const MSG *msg = static_cast<const MSG *>(message);
    if (msg->message == WM_SYSCOMMAND && (msg->wParam & 0xFFF0) == IDM_ABOUTBOX) {
        OnSysCommand(int(msg->wParam));
        *result = 0;
        return true;
    }
    return QDialog::nativeEvent(eventType, message, result);
}
#endif

void CBrindleDlg::OnSysCommand(int command)
{
    if ((command & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(this);
        about.exec();
    }
}

bool CBrindleDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_staticLogo && event->type() == QEvent::MouseButtonDblClick) {
        OnLogoDoubleClick();
        return true;
    }
    if (event->type() == QEvent::ContextMenu) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && widget->window() == this && ShowTextMenu(widget, static_cast<QContextMenuEvent *>(event)))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CBrindleDlg::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    constexpr Qt::WindowStates kOtherSizes = Qt::WindowMaximized | Qt::WindowFullScreen;
    if (event->type() == QEvent::WindowStateChange && (windowState() & kOtherSizes)) {
        setWindowState(windowState() & ~kOtherSizes);
        // Some platforms give the window back with their full-screen frame taken off its size:
        // it takes its own size again.
        resize(minimumSize());
    }
}

void CBrindleDlg::OnLogoDoubleClick()
{
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(kWebSiteAddress) + QLatin1Char('/')));
}

void CBrindleDlg::OpenFile(const QString &path)
{
    if (m_nCurrentStep != StepOpen)
        return;
    m_pOpenPage->SetPathText(path);
    if (m_btnNext->isEnabled())
        OnNext();
    else
        SayWhyNotOpened(path);
}

void CBrindleDlg::SayWhyNotOpened(const QString &path)
{
    // No such file: Next stays disabled, which is no answer to a file named on the command line
    // or to Enter. The load says what is wrong with the path; the wizard stays on "File Open",
    // and the next Next reads the file again.
    m_record.LoadFirmware(path);
    m_record.m_strSourceFile.clear();
}

void CBrindleDlg::OnCommand(int id)
{
    switch (id) {
    case WizardIds::Next:
        // Enter on "File Open" with a path that names no file says why, as the command line does.
        if (m_nCurrentStep == StepOpen && !m_btnNext->isEnabled() && !m_pOpenPage->PathText().isEmpty())
            SayWhyNotOpened(m_pOpenPage->PathText());
        else
            OnNext();
        break;
    case WizardIds::Back: OnBack(); break;
    case WizardIds::Cancel: OnCancelButton(); break;
    default: break;
    }
}

void CBrindleDlg::OnCancelButton()
{
    reject();
}

bool CBrindleDlg::HasUnsavedWork() const
{
    return !m_strLoadedFile.isEmpty() && m_nNextMode != NextFinished;
}

// Cancel, Escape and the close box all end here.
void CBrindleDlg::reject()
{
    if (HasUnsavedWork()
        && !m_pServices->AskYesNoDefaultNo(QString::fromLatin1(kDiscardQuestion), QString::fromLatin1(kDiscardCaption)))
        return;
    QDialog::reject();
}

void CBrindleDlg::ClearStepCounter()
{
    m_staticCounter->setText(QString());
}

bool CBrindleDlg::StepApplies(int step) const
{
    // Steps meant for every type apply before a file is loaded too, so the first Next always
    // reaches "File Summary".
    const int types = m_anStepTypes[step];
    return types == Firmware::kAllTypes || (types & m_record.m_nFirmwareType) != 0;
}

int CBrindleDlg::SuccessorStep(int step) const
{
    int s = step + 1;
    while (s < m_nStepCount && !StepApplies(s))
        ++s;
    return s;
}

int CBrindleDlg::PredecessorStep(int step) const
{
    int p = step - 1;
    while (p > 0 && !StepApplies(p))
        --p;
    return p;
}

void CBrindleDlg::OnNext()
{
    if (!m_btnNext->isEnabled())
        return;
    const int c = m_nCurrentStep;
    // Loading and writing may show a message: their page stays on screen behind it, so the
    // user sees the path asked about. The file pages store nothing when hidden.
    const bool readsOrWrites = m_nNextMode == NextWrite || (m_nNextMode == NextNormal && c == 0);
    if (!readsOrWrites)
        m_apStepPages[c]->ShowWindow(false);
    const int s = SuccessorStep(c);

    bool move = true;
    if (m_nNextMode == NextWrite) {
        if (m_record.WriteFirmware(m_pSavePage->FilePath()) == Firmware::FileResult::Refused) {
            move = false;
        } else {
            // The report names the file that was loaded, under the path it was loaded from.
            m_pFinishPage->SetResult(m_strLoadedFile, m_record.m_strTargetFile, m_record);
        }
    } else if (m_nNextMode == NextNormal && c == 0) {
        const Firmware::FileResult r = m_record.LoadFirmware(m_pOpenPage->FilePath());
        if (r == Firmware::FileResult::Done) {
            m_strLoadedFile = m_record.m_strSourceFile;
            FillPages();
        } else if (r == Firmware::FileResult::Refused) {
            // The next attempt reads the file again, even under the same path.
            m_record.m_strSourceFile.clear();
            move = false;
        }
        // Unchanged: the path is the one loaded. Nothing is read and the pages keep the user's edits,
        // however often the user comes back to this page with it; another path loads afresh.
    } else if (m_nNextMode == NextNormal && c > 0 && s == m_nConfirmStep) {
        CollectPages();
    }

    if (readsOrWrites && move)
        m_apStepPages[c]->ShowWindow(false);
    if (move) {
        m_nCurrentStep = s;
        m_btnBack->setEnabled(true);
        if (s < m_nSaveStep) {
            if (m_nNextMode == NextNormal)
                SetCaption(m_btnNext, kNextCaption);
        } else if (s == m_nSaveStep) {
            SetCaption(m_btnNext, kWriteCaption);
            m_nNextMode = NextWrite;
        } else {
            EnterFinishedState();
        }
    }
    // The last step has no Next, so every move ends on a page.
    Q_ASSERT(m_nCurrentStep <= m_nLastStep);
    BuiltPage(m_nCurrentStep)->ShowWindow(true);
    UpdateNext();
    ClearStepCounter();
    PlaceFocus();
}

void CBrindleDlg::OnBack()
{
    if (!m_btnBack->isEnabled())
        return;
    if (m_nCurrentStep > 0) {
        m_apStepPages[m_nCurrentStep]->ShowWindow(false);
        m_nCurrentStep = PredecessorStep(m_nCurrentStep);
        BuiltPage(m_nCurrentStep)->ShowWindow(true);
        // The page Back returns to was left with Next once: Next is enabled whatever the page
        // says, so that a file loaded from a path that has gone since can still be gone on with.
        m_nNextMode = NextNormal;
        SetCaption(m_btnNext, kNextCaption);
        m_btnNext->setEnabled(true);
    }
    // The focus moves on before Back is disabled on the first step, which would otherwise hand it
    // to the next button in the tab order first.
    PlaceFocus();
    m_btnBack->setEnabled(m_nCurrentStep > 0);
    ClearStepCounter();
}

void CBrindleDlg::SetHeader(const QString &title, const QString &description)
{
    m_staticTitle->setText(title);
    m_staticDescription->setText(description);
}

void CBrindleDlg::UpdateNext()
{
    if (m_nNextMode == NextFinished)
        return;
    const bool enabled = m_apStepPages[m_nCurrentStep]->IsComplete();
    if (!enabled && focusWidget() == m_btnNext) {
        if (QWidget *input = m_apStepPages[m_nCurrentStep]->FirstInput())
            input->setFocus();
    }
    m_btnNext->setEnabled(enabled);
}

// After a change of step, by Next or by Back, the focus goes straight to the page's first input,
// or to Next when the page has none, or to Cancel. It never falls to Back or Cancel by itself, where
// an Enter meant for Next would go back or end the program.
void CBrindleDlg::PlaceFocus()
{
    CWizardPage *page = m_apStepPages[m_nCurrentStep];
    QWidget *target = m_nNextMode == NextFinished ? nullptr : page->FirstInput();
    if (!target)
        target = m_btnNext->isVisible() && m_btnNext->isEnabled() ? m_btnNext : m_btnCancel;
    // A screen reader announces the page as the focus enters it; a button outside the page that
    // takes the focus instead ("Finish") carries the page's title and description.
    for (QPushButton *button : {m_btnNext, m_btnCancel}) {
        button->setAccessibleDescription(
            button == target ? QStringLiteral("%1. %2").arg(page->accessibleName(), page->accessibleDescription())
                             : QString());
    }
    target->setFocus(Qt::OtherFocusReason);
}

void CBrindleDlg::FocusNext()
{
    if (m_btnNext->isVisible() && m_btnNext->isEnabled())
        m_btnNext->setFocus(Qt::OtherFocusReason);
}

void CBrindleDlg::EnterFinishedState()
{
    m_btnCancel->setText(QStringLiteral("Finish"));
    if (m_nNextMode == NextNormal)
        SetCaption(m_btnNext, kNextCaption);
    m_btnNext->setEnabled(false);
    m_btnBack->setEnabled(false);
    m_btnNext->hide();
    m_btnBack->hide();
    m_btnCancel->setFocus();
    m_nNextMode = NextFinished;
}

void CBrindleDlg::FillPages()
{
    // Every page that edits settings takes them, whether or not the loaded type reaches it, and
    // is built for them now if it was not yet. "File Open" takes nothing; "Confirm Summary" is
    // filled by collecting and "Finish" by the write.
    for (int step = 0; step < m_nStepCount; ++step) {
        if (step != StepOpen && step != m_nConfirmStep && step != m_nLastStep)
            BuiltPage(step)->SetSettings(m_record);
    }
    m_pSummaryPage->SetValues(m_record);
}

void CBrindleDlg::CollectPages()
{
    for (CWizardPage *page : m_apStepPages)
        page->GetSettings(m_record);
    m_record.m_strVersion = SettingsText::MergeVersionCode(m_record.m_strVersion, m_record.m_strVersionCode);
    m_pConfirmPage->SetValues(m_record);
}
