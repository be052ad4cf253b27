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

    // The UART settings. Settings whose flow control is unknown came from a file whose flow byte
    // the monitor does not know: from then on the list offers to keep it, whatever the user
    // chooses on the page.
    void SetSettings(const Firmware::Settings &settings) override;
    void GetSettings(Firmware::Settings &settings) const override;

protected:
    void OnInitDialog() override;
    void OnShowWindow(bool show) override;

private:
    int m_nBaudRate = 9600;
    int m_nDataBits = 8;
    int m_nStopBits = 1;
    int m_nParity = 0;                 // list index: 0 none, 1 odd, 2 even
    int m_nFlowControl = 0;            // list index: 0 none, 1 CTS/RTS, 2 DTR/DSR, 3 XON/XOFF, 4 unknown (keep as is)
    bool m_bOfferUnknownFlow = false;  // the loaded file's flow byte is unknown

    QComboBox *m_comboBaudRate = nullptr;
    QComboBox *m_comboParity = nullptr;
    QComboBox *m_comboFlowControl = nullptr;
    QRadioButton *Radio(int id) const;
    // Adds or removes the flow list's "Unknown (keep as is)" entry.
    void OfferUnknownFlow(bool offer);
};
