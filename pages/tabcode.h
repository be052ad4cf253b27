#pragma once

// Qt
#include <QString>

#include "firmware/firmwareformat.h"
#include "wizardpage.h"

class CEditAlnum;
class QLabel;

// "Set Target Directory" (4 characters) and "Set Code" (the 3-character version code).
class CTabCode : public CWizardPage
{
    Q_OBJECT

public:
    CTabCode(int bTargetDir, IWizardFrame *wizard);

    // The length of a target directory prefix or of a version code.
    int RequiredLength() const { return m_bTargetDir ? Firmware::kDirPrefixSize : Firmware::kVersionCodeLength; }

    int m_bTargetDir;
    const char *m_pszLabel;

    // The target directory prefix, or the version code.
    void SetSettings(const Firmware::Settings &settings) override;
    void GetSettings(Firmware::Settings &settings) const override;

    void OnChangeCode();
    bool IsComplete() const override;

protected:
    QWidget *CreateCustomControl(const ControlTemplate &c, QWidget *parent) override;
    void OnInitDialog() override;
    void OnShowWindow(bool show) override;

private:
    // Puts m_strCode into the box, where it differs from the box's text.
    void ShowCode();

    QString m_strCode;
    CEditAlnum *m_editCode = nullptr;
    QLabel *m_staticLabel = nullptr;
};
