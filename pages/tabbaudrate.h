#pragma once

#include "wizardpage.h"

class QComboBox;
class QRadioButton;

// "Set Baud": the command monitor's UART settings at start-up.
class CTabBaudRate : public CWizardPage
{
    Q_OBJECT

public:
    explicit CTabBaudRate(IWizardFrame *wizard);

    int m_nBaudRate = 9600;
    int m_nDataBits = 8;
    int m_nStopBits = 1;
    int m_nParity = 0;       // list index: 0 none, 1 odd, 2 even
    int m_nFlowControl = 0;  // list index: 0 none, 1 CTS/RTS, 2 DTR/DSR, 3 XON/XOFF
    QComboBox *m_comboBaudRate = nullptr;
    QComboBox *m_comboParity = nullptr;
    QComboBox *m_comboFlowControl = nullptr;

protected:
    void OnInitDialog() override;
    void OnShowWindow(bool show) override;

private:
    QRadioButton *Radio(int id) const;
};
