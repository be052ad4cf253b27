#pragma once

// Qt
#include <QString>

#include "wizardpage.h"

class CSelectableText;

// "Finish": the result of the write in words.
class CTabFinish : public CWizardPage
{
    Q_OBJECT

public:
    explicit CTabFinish(IWizardFrame *wizard);

    // What was written, to report at the next show: `written` into `targetFile`, from the file
    // loaded as `sourceFile`.
    void SetResult(const QString &sourceFile, const QString &targetFile, const Firmware::Settings &written);

protected:
    QWidget *CreateCustomControl(const ControlTemplate &c, QWidget *parent) override;
    void OnInitDialog() override;
    void OnShowWindow(bool show) override;

private:
    QString m_strSourceFile;
    QString m_strTargetFile;
    QString m_strVersion;
    int m_nFileKind = 0;
    CSelectableText *m_staticMessage = nullptr;
};
