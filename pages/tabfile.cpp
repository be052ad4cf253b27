#include "tabfile.h"

// Std
#include <algorithm>

// Qt
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QUrl>

#include "controls/accessibility.h"
#include "controls/dialogservices.h"
#include "firmware/filename.h"
#include "firmware/firmwareformat.h"
#include "resources/resourceids.h"

namespace {

#ifdef Q_OS_WIN
// Longer names are never found by the Windows file search.
constexpr qsizetype kMaxFindPath = 259;
#endif

constexpr const char *kFilterRom = "Norvale ROM image files (*.ROM)";
constexpr const char *kFilterUpgrade = "Norvale Upgrade Files (*.QUF)";
#ifdef Q_OS_WIN
constexpr const char *kFilterAll = "All Files (*.*)";
#else
// Names without a dot are files too.
constexpr const char *kFilterAll = "All Files (*)";
#endif

bool HasWildcards(const QString &text)
{
    return text.contains(QLatin1Char('*')) || text.contains(QLatin1Char('?'));
}

// "*" and "?" as the Windows file search reads them; everything else literal, any letter case.
QRegularExpression WildcardPattern(const QString &pattern)
{
    QString rx;
    for (QChar c : pattern) {
        if (c == QLatin1Char('*'))
            rx += QStringLiteral(".*");
        else if (c == QLatin1Char('?'))
            rx += QLatin1Char('.');
        else
            rx += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression(QRegularExpression::anchoredPattern(rx), QRegularExpression::CaseInsensitiveOption);
}

}  // namespace

CTabFile::CTabFile(int bSaveFile, IWizardFrame *wizard)
    : CWizardPage(wizard, bSaveFile ? "Firmware File to Write" : "Select Firmware File to Modify",
                  bSaveFile ? "Choose the filename for the Norvale Firmware ROM or QUF file to write."
                            : "Choose the Norvale Firmware ROM or QUF file to modify.")
    , m_bSaveFile(bSaveFile)
{}

bool CTabFile::PathExists(const QString &text)
{
    if (text.isEmpty())
        return false;
#ifdef Q_OS_WIN
    if (text.size() > kMaxFindPath)
        return false;
#endif
    const QFileInfo info(QDir::fromNativeSeparators(text));
    // Also a name whose bytes are not UTF-8, which Qt cannot look up.
    if (info.exists() || FileName::Exists(text))
        return true;

    // Only the last part of the path may hold wildcards, as in the Windows file search.
    const QString pattern = info.fileName();
    if (!HasWildcards(pattern) || HasWildcards(info.path()))
        return false;
    const QDir folder(info.path());
    if (!folder.exists())
        return false;
    const QRegularExpression rx = WildcardPattern(pattern);
    const QStringList entries = folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        if (rx.match(entry).hasMatch())
            return true;
    }
    return false;
}

void CTabFile::OnInitDialog()
{
    m_editFilePath = GetDlgItem<QLineEdit>(FileIds::Path);
    m_staticReason = GetDlgItem<QLabel>(FileIds::Reason);
    Accessibility::MarkAsNotification(m_staticReason);
    connect(m_editFilePath, &QLineEdit::textChanged, this, &CTabFile::OnChangeFilePath);
    connect(GetDlgItem<QPushButton>(FileIds::Browse), &QPushButton::clicked, this, &CTabFile::OnBrowse);
    // The box has no label of its own: a screen reader hears what it is for.
    m_editFilePath->setAccessibleName(m_bSaveFile ? QStringLiteral("Name of the firmware file to write")
                                                  : QStringLiteral("Name of the firmware file to modify"));

    // A file dropped anywhere on the page, the box included, replaces the whole path with the
    // file's local path; the box would otherwise take the dropped address ("file:///...") as
    // text at the drop position.
    m_editFilePath->setAcceptDrops(false);
    setAcceptDrops(true);
}

void CTabFile::OnShowWindow(bool show)
{
    if (!show)
        return;
    SetPathText(m_strFilePath);
    WriteHeader();
}

void CTabFile::SetPathText(const QString &text)
{
    // Setting the text is a change even when the box already holds it; the box itself only
    // signals real changes, so the rule runs here exactly once.
    // A box that holds the text already is left alone: a change just before the box takes the
    // focus would hide the focus from a screen reader.
    if (m_editFilePath->text() != text) {
        const QSignalBlocker blocker(m_editFilePath);
        m_editFilePath->setText(text);
    }
    OnChangeFilePath();
}

QString CTabFile::PathProblem(const QString &text)
{
    if (text.isEmpty())
        return QString();
    if (QFileInfo(QDir::fromNativeSeparators(text)).isDir())
        return QStringLiteral("%1 is a folder.").arg(text);
    if (!PathExists(text))
        return QStringLiteral("No file named %1.").arg(text);
    return QString();
}

void CTabFile::OnChangeFilePath()
{
    // The path as the system names the file (on Windows without trailing dots and spaces), so
    // its extension is the one the file has.
    const QString text = FileName::AsSaved(m_editFilePath->text());
    // The open page goes on with an existing file only, and says why it does not.
    const QString problem = m_bSaveFile ? QString() : PathProblem(text);
    const bool accepted = m_bSaveFile ? !text.isEmpty() : !text.isEmpty() && problem.isEmpty();
    if (accepted)
        m_strFilePath = text;
    m_bPathAccepted = accepted;
    Accessibility::Announce(m_staticReason, problem);
    emit completeChanged();
}

QString CTabFile::PathText() const
{
    return m_editFilePath->text();
}

void CTabFile::OnBrowse()
{
    const bool offerUpgrade = m_bSaveFile && m_nFileKind != Firmware::KindRom && m_nFileKind != Firmware::KindBld;
    IDialogServices::FileDialogRequest request;
    request.save = m_bSaveFile != 0;
    request.defaultSuffix = offerUpgrade ? QStringLiteral("QUF") : QStringLiteral("ROM");
    request.filters = {QString::fromLatin1(kFilterRom), QString::fromLatin1(kFilterUpgrade),
                       QString::fromLatin1(kFilterAll)};
    // The pattern of the kind on offer is the filter in force, never a name in the box.
    request.selectedFilter = offerUpgrade ? 1 : 0;

    const QString chosen = m_pWizard->Services()->GetFileName(request);
    if (chosen.isEmpty())
        return;
    m_strFilePath = chosen;
    SetPathText(m_strFilePath);
    // A file the dialog chose is taken even where the box's own rule would not find it.
    m_bPathAccepted = true;
    emit completeChanged();
    // The file is chosen: the next Enter moves on rather than opening the dialog again.
    m_pWizard->FocusNext();
}

void CTabFile::dragEnterEvent(QDragEnterEvent *event)
{
    if (!DroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void CTabFile::dropEvent(QDropEvent *event)
{
    const QString path = DroppedFile(event->mimeData());
    if (path.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    SetPathText(QDir::toNativeSeparators(path));
}

QString CTabFile::DroppedFile(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return QString();
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile())
            return url.toLocalFile();
    }
    return QString();
}
