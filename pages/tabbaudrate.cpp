#include "tabbaudrate.h"

// Std
#include <array>

// Qt
#include <QComboBox>
#include <QRadioButton>

namespace {

constexpr int IDC_SEVEN_BITS = 1033;
constexpr int IDC_BAUD_RATE = 1034;
constexpr int IDC_EIGHT_BITS = 1035;
constexpr int IDC_ONE_STOP_BIT = 1036;
constexpr int IDC_TWO_STOP_BITS = 1037;
constexpr int IDC_PARITY = 1038;
constexpr int IDC_FLOW_CONTROL = 1039;

// The list index is the key: the lists are unsorted and keep this order.
constexpr std::array<int, 17> kBaudRates = {
    300,    600,    1200,   2400,    4800,    9600,    19200,   38400,   57600,
    115200, 230400, 460800, 921600, 1000000, 1500000, 2000000, 3000000,
};
constexpr int kDefaultBaudIndex = 5;
constexpr int kDefaultBaudRate = kBaudRates[kDefaultBaudIndex];
static_assert(kDefaultBaudRate == 9600);

constexpr std::array<const char *, 3> kParityNames = {"None", "Odd", "Even"};
constexpr std::array<const char *, 4> kFlowControlNames = {"None", "CTS/RTS", "DTR/DSR", "XON/XOFF"};

// Selects `index`, or nothing (an empty box) when the list has no such entry.
void SelectIndex(QComboBox *combo, int index)
{
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

// The selected index, or 0 when nothing is selected.
int SelectedIndex(const QComboBox *combo)
{
    const int index = combo->currentIndex();
    return index < 0 ? 0 : index;
}

}  // namespace

CTabBaudRate::CTabBaudRate(CBrindleDlg *wizard)
    : CWizardPage(wizard, "Select UART Options",
                  "Choose the baud rate, data settings and flow control settings for the Monitor that the "
                  "firmware will use at startup. These settings will also be used for the Monitor on ORVA "
                  "slave devices.")
{
}

void CTabBaudRate::OnInitDialog()
{
    m_comboBaudRate = GetDlgItem<QComboBox>(IDC_BAUD_RATE);
    m_comboParity = GetDlgItem<QComboBox>(IDC_PARITY);
    m_comboFlowControl = GetDlgItem<QComboBox>(IDC_FLOW_CONTROL);

    for (int rate : kBaudRates)
        m_comboBaudRate->addItem(QString::number(rate));
    for (const char *name : kParityNames)
        m_comboParity->addItem(QString::fromLatin1(name));
    for (const char *name : kFlowControlNames)
        m_comboFlowControl->addItem(QString::fromLatin1(name));
}

void CTabBaudRate::OnShowWindow(bool show)
{
    if (show) {
        int baudIndex = kDefaultBaudIndex;
        for (int i = 0; i < int(kBaudRates.size()); ++i) {
            if (kBaudRates[i] == m_nBaudRate) {
                baudIndex = i;
                break;
            }
        }
        m_comboBaudRate->setCurrentIndex(baudIndex);
        // Checking one button of an exclusive pair unchecks the other.
        Radio(m_nDataBits == 7 ? IDC_SEVEN_BITS : IDC_EIGHT_BITS)->setChecked(true);
        Radio(m_nStopBits == 2 ? IDC_TWO_STOP_BITS : IDC_ONE_STOP_BIT)->setChecked(true);
        SelectIndex(m_comboParity, m_nParity);
        SelectIndex(m_comboFlowControl, m_nFlowControl);
        WriteHeader();
    } else {
        const int baudIndex = m_comboBaudRate->currentIndex();
        m_nBaudRate = baudIndex >= 0 && baudIndex < int(kBaudRates.size()) ? kBaudRates[baudIndex] : kDefaultBaudRate;
        m_nDataBits = Radio(IDC_EIGHT_BITS)->isChecked() ? 8 : 7;
        m_nStopBits = Radio(IDC_ONE_STOP_BIT)->isChecked() ? 1 : 2;
        m_nParity = SelectedIndex(m_comboParity);
        m_nFlowControl = SelectedIndex(m_comboFlowControl);
    }
}

QRadioButton *CTabBaudRate::Radio(int id) const
{
    return GetDlgItem<QRadioButton>(id);
}
