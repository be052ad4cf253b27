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
    int m_nFlowControl = 0;  // list index: 0 none, 1 CTS/RTS, 2 DTR/DSR, 3 XON/XOFF, 4 unknown (keep as is)
    // The loaded file's flow byte is one the monitor does not know: the list offers to keep it,
    // whatever the user chose since. The wizard sets it after each load; a page shown with an
    // unknown flow control offers the entry too.
    bool m_bOfferUnknownFlow = false;

protected:
    void OnInitDialog() override;
    void OnShowWindow(bool show) override;

private:
    QComboBox *m_comboBaudRate = nullptr;
    QComboBox *m_comboParity = nullptr;
    QComboBox *m_comboFlowControl = nullptr;
    QRadioButton *Radio(int id) const;
    // Adds or removes the flow list's "Unknown (keep as is)" entry.
    void OfferUnknownFlow(bool offer);
    int m_nKnownFlowListWidth = 0;  // the list's width without the entry
};
