#pragma once

// Qt
#include <QString>

#include "wizardpage.h"

class CEditAlnum;
class QLabel;

// "Set Target Directory" (4 characters) and "Set Code" (the 3-character version code).
class CTabCode : public CWizardPage
{
    Q_OBJECT

public:
    CTabCode(int bTargetDir, CBrindleDlg *wizard);

    // 4 for the target directory prefix, 3 for the version code.
    int RequiredLength() const { return m_bTargetDir ? 4 : 3; }

    int m_bTargetDir;
    const char *m_pszLabel;
    QString m_strCode;
    CEditAlnum *m_editCode = nullptr;
    QLabel *m_staticLabel = nullptr;

    void OnChangeCode();

protected:
    QWidget *CreateCustomControl(const ControlTemplate &c, QWidget *parent) override;
    void OnInitDialog() override;
    void OnShowWindow(bool show) override;
};
