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

    QString m_strSourceFile;
    QString m_strTargetFile;
    QString m_strVersion;
    int m_nFileKind = 0;

protected:
    QWidget *CreateCustomControl(const ControlTemplate &c, QWidget *parent) override;
    void OnInitDialog() override;
    void OnShowWindow(bool show) override;

private:
    CSelectableText *m_staticMessage = nullptr;
};
