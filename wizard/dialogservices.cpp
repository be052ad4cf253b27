#include "dialogservices.h"

// Qt
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

void CQtDialogServices::ShowMessage(const QString &text, const QString &caption)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, m_pOwner);
    box.exec();
}

bool CQtDialogServices::AskYesNo(const QString &text, const QString &caption)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Yes | QMessageBox::No, m_pOwner);
    return box.exec() == QMessageBox::Yes;
}

void CQtDialogServices::BeginWait()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void CQtDialogServices::EndWait()
{
    QApplication::restoreOverrideCursor();
}

QString CQtDialogServices::GetFileName(const FileDialogRequest &request)
{
    QFileDialog dialog(m_pOwner);
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
    dialog.selectNameFilter(request.filters.value(0));
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.selectFile(request.initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}
