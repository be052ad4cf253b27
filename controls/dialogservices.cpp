#include "dialogservices.h"

// Qt
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>

#include "firmware/screentext.h"

void CQtDialogServices::PrepareMessageBox(QMessageBox &box)
{
    // A file name or an image's version text such as "01.00<h1>BIG" is shown as it is.
    box.setTextFormat(Qt::PlainText);
    // Window managers cut a caption that is wider than the window ("Firmw... Error"). The title
    // bar also holds the window's buttons and often a bold font: room for the caption in bold and
    // for four buttons of the title bar's height.
    QFont titleFont = box.font();
    titleFont.setBold(true);
    const QFontMetrics fm(titleFont);
    const int need = fm.horizontalAdvance(box.windowTitle()) + 4 * 2 * fm.height();
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout())) {
        grid->addItem(new QSpacerItem(need, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
}

void CQtDialogServices::ShowMessage(const QString &text, const QString &caption)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, m_pOwner);
    PrepareMessageBox(box);
    box.exec();
}

bool CQtDialogServices::AskYesNo(const QString &text, const QString &caption)
{
    // The one question loading and writing ask is whether to replace a file: an Enter too many
    // must not replace it.
    return AskYesNoDefaultNo(text, caption);
}

bool CQtDialogServices::AskYesNoDefaultNo(const QString &text, const QString &caption)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Yes | QMessageBox::No, m_pOwner);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    PrepareMessageBox(box);
    return box.exec() == QMessageBox::Yes;
}

QString CQtDialogServices::Quoted(const QString &text) const
{
    return ScreenText::Isolated(text);
}

void CQtDialogServices::BeginWait()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void CQtDialogServices::EndWait()
{
    QApplication::restoreOverrideCursor();
}

namespace {

// Qt's own save dialog takes a name in a folder that does not exist; this one says so and stays
// open, as the platform dialogs do.
class CFileDialog : public QFileDialog
{
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        const QStringList files = selectedFiles();
        if (acceptMode() == AcceptSave && !files.isEmpty()) {
            const QFileInfo info(files.constFirst());
            if (!info.isDir() && !info.absoluteDir().exists()) {
                QMessageBox box(
                    QMessageBox::NoIcon, windowTitle(),
                    QStringLiteral("The folder %1 does not exist.").arg(QDir::toNativeSeparators(info.absolutePath())),
                    QMessageBox::Ok, this);
                CQtDialogServices::PrepareMessageBox(box);
                box.exec();
                return;
            }
        }
        QFileDialog::accept();
    }
};

}  // namespace

QString CQtDialogServices::GetFileName(const FileDialogRequest &request)
{
    CFileDialog dialog(m_pOwner);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    // Names match the filters in either letter case, as they do on Windows.
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
#if !defined(Q_OS_WIN) && !defined(Q_OS_MACOS)
    // Desktop portals apply filters in their own way; Qt's dialog honours the case rule.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
#endif
    // The save dialog asks before replacing an existing file; Qt's dialog does so by default.
    dialog.setNameFilters(request.filters);
    dialog.selectNameFilter(request.filters.value(request.selectedFilter));
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}
