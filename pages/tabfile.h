#pragma once

// Qt
#include <QString>

#include "wizardpage.h"

class QLabel;
class QLineEdit;
class QMimeData;

// "File Open" and "File Save": the firmware file to modify, or the file to write.
class CTabFile : public CWizardPage
{
    Q_OBJECT

public:
    CTabFile(int bSaveFile, IWizardFrame *wizard);

    // True when the open page would accept `text`: an existing file or folder, or a wildcard
    // pattern that matches something in its folder.
    static bool PathExists(const QString &text);
    // Why the open page does not take `text` as the file to open: a folder, or nothing that
    // exists. Empty when it takes it, or when there is no text.
    static QString PathProblem(const QString &text);

    int m_bSaveFile;

    // The kind of the loaded file: the save page offers its extension.
    void SetSettings(const Firmware::Settings &settings) override { m_nFileKind = settings.m_nFileKind; }
    // The path the page holds: the file to open, or the file to write.
    QString FilePath() const { return m_strFilePath; }
    // The text in the path box, as typed.
    QString PathText() const;

    void OnBrowse();
    void OnChangeFilePath();
    // Sets the path box's text and runs the change rule, whether or not the text differs: what
    // typing the path does.
    void SetPathText(const QString &text);
    // A path to save to was given, or a file to open exists.
    bool IsComplete() const override { return m_bPathAccepted; }

protected:
    void OnInitDialog() override;
    void OnShowWindow(bool show) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    int m_nFileKind = 0;
    QString m_strFilePath;
    QLineEdit *m_editFilePath = nullptr;
    QLabel *m_staticReason = nullptr;  // why the open page does not go on; empty while it does
    bool m_bPathAccepted = false;
    // The first local file among dropped data, or an empty string.
    static QString DroppedFile(const QMimeData *data);
};
