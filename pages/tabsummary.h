#pragma once

// Qt
#include <QList>
#include <QRect>
#include <QString>

#include "wizardpage.h"

class QLabel;

// "File Summary" (the loaded settings) and "Confirm Summary" (the settings to be written).
class CTabSummary : public CWizardPage
{
    Q_OBJECT

public:
    CTabSummary(int bConfirm, CBrindleDlg *wizard);

    void SetVersion(const QString &text) { m_strVersion = text; }
    // The text that "Copy" places on the clipboard, from the texts last shown.
    QString CopyText() const;
    void OnCopy();

    int m_bConfirm;
    int m_nFileKind = 0;
    int m_nCodeType = 0;
    int m_nFirmwareType = 0;
    int m_nBaudRate = 9600;
    int m_nDataBits = 8;
    int m_nStopBits = 1;
    int m_nParity = 0;
    int m_nFlowControl = 0;
    int m_nProductId = 0;
    int m_nVendorId = 0;
    bool m_bDisableUpgrades = false;
    bool m_bHideConnects = false;
    bool m_bDisableDataMode = false;
    bool m_bDisableStatusInfo = false;
    bool m_bHideVersionReport = false;
    bool m_bHidePrompt = false;
    bool m_bDisableLedFlash = false;
    bool m_bShortCommandSet = false;
    bool m_bAsciiInput = false;
    QString m_strVersion;

    QString m_strFwVersion;
    QString m_strFwType;
    QString m_strMonitor;
    QString m_strPid;
    QString m_strVid;
    QString m_strInitMode;
    QString m_strOptions;

protected:
    void OnInitDialog() override;
    void OnShowWindow(bool show) override;

private:
    void UpdateData();  // the seven texts into the statics 1020 to 1026
    void LayOutRows();

    // A value static, the label before it and where the template puts both.
    struct Row {
        QWidget *label;
        QLabel *value;
        QRect labelRect;
        QRect valueRect;
    };
    QList<Row> m_rows;  // top to bottom
};
