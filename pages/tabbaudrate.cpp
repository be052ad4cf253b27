#include "tabbaudrate.h"

// Qt
#include <QComboBox>
#include <QRadioButton>

#include "controls/dialogtemplate.h"
#include "firmware/firmwareformat.h"
#include "resources/resourceids.h"

namespace {

// The baud list is the format's table of rates, in its order: the list index is the key, so the
// list is never sorted.
constexpr const auto &kBaudRates = Firmware::kBaudDivisors;

// The index of `rate` in the list, or -1.
int BaudIndex(int rate)
{
    for (int i = 0; i < int(kBaudRates.size()); ++i) {
        if (kBaudRates[i].rate == rate)
            return i;
    }
    return -1;
}

constexpr std::array<const char *, 3> kParityNames = {"None", "Odd", "Even"};
constexpr std::array<const char *, 4> kFlowControlNames = {"None", "CTS/RTS", "DTR/DSR", "XON/XOFF"};
// The entry at index kFlowUnknown, offered only for a file whose flow byte the monitor does not
// know: chosen, the byte is written back as it was.
constexpr const char *kUnknownFlowName = "Unknown (keep as is)";
static_assert(kFlowControlNames.size() == Firmware::kFlowUnknown);

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

CTabBaudRate::CTabBaudRate(IWizardFrame *wizard)
    : CWizardPage(wizard, "Select UART Options",
                  "Choose the baud rate, data settings and flow control settings for the Monitor that the "
                  "firmware will use at startup. These settings will also be used for the Monitor on ORVA "
                  "slave devices.")
{}

void CTabBaudRate::OnInitDialog()
{
    m_comboBaudRate = GetDlgItem<QComboBox>(BaudIds::BaudRate);
    m_comboParity = GetDlgItem<QComboBox>(BaudIds::Parity);
    m_comboFlowControl = GetDlgItem<QComboBox>(BaudIds::FlowControl);

    for (const Firmware::BaudDivisor &baud : kBaudRates)
        m_comboBaudRate->addItem(QString::number(baud.rate));
    for (const char *name : kParityNames)
        m_comboParity->addItem(QString::fromLatin1(name));
    for (const char *name : kFlowControlNames)
        m_comboFlowControl->addItem(QString::fromLatin1(name));
}

void CTabBaudRate::SetSettings(const Firmware::Settings &settings)
{
    m_nBaudRate = settings.m_nBaudRate;
    m_nDataBits = settings.m_nDataBits;
    m_nStopBits = settings.m_nStopBits;
    m_nParity = settings.m_nParity;
    m_nFlowControl = settings.m_nFlowControl;
    m_bOfferUnknownFlow = settings.m_nFlowControl == Firmware::kFlowUnknown;
}

void CTabBaudRate::GetSettings(Firmware::Settings &settings) const
{
    settings.m_nBaudRate = m_nBaudRate;
    settings.m_nDataBits = m_nDataBits;
    settings.m_nStopBits = m_nStopBits;
    settings.m_nParity = m_nParity;
    settings.m_nFlowControl = m_nFlowControl;
}

void CTabBaudRate::OnShowWindow(bool show)
{
    if (show) {
        // A rate the list does not hold shows as the default rate.
        const int baudIndex = BaudIndex(m_nBaudRate);
        m_comboBaudRate->setCurrentIndex(baudIndex >= 0 ? baudIndex : BaudIndex(Firmware::kDefaultBaudRate));
        // Checking one button of an exclusive pair unchecks the other.
        Radio(m_nDataBits == 7 ? BaudIds::SevenBits : BaudIds::EightBits)->setChecked(true);
        Radio(m_nStopBits == 2 ? BaudIds::TwoStopBits : BaudIds::OneStopBit)->setChecked(true);
        SelectIndex(m_comboParity, m_nParity);
        OfferUnknownFlow(m_bOfferUnknownFlow);
        SelectIndex(m_comboFlowControl, m_nFlowControl);
        WriteHeader();
    } else {
        const int baudIndex = m_comboBaudRate->currentIndex();
        m_nBaudRate = baudIndex >= 0 && baudIndex < int(kBaudRates.size()) ? kBaudRates[baudIndex].rate
                                                                           : Firmware::kDefaultBaudRate;
        m_nDataBits = Radio(BaudIds::EightBits)->isChecked() ? 8 : 7;
        m_nStopBits = Radio(BaudIds::OneStopBit)->isChecked() ? 1 : 2;
        m_nParity = SelectedIndex(m_comboParity);
        m_nFlowControl = SelectedIndex(m_comboFlowControl);
    }
}

void CTabBaudRate::OfferUnknownFlow(bool offer)
{
    const bool offered = m_comboFlowControl->count() > Firmware::kFlowUnknown;
    if (offer == offered)
        return;
    if (offer)
        m_comboFlowControl->addItem(QString::fromLatin1(kUnknownFlowName));
    else
        m_comboFlowControl->removeItem(Firmware::kFlowUnknown);
    // The list as wide as its longest entry.
    CDialogBuilder::FitComboBoxes(Controls());
}

QRadioButton *CTabBaudRate::Radio(int id) const
{
    return GetDlgItem<QRadioButton>(id);
}
