#include "tabusbslave.h"

// Qt
#include <QLineEdit>

#include "firmwareformat.h"
#include "settingstext.h"

namespace {

constexpr int IDC_PRODUCT_ID = 1019;
constexpr int IDC_VENDOR_ID = 1020;
constexpr int IDC_MANUFACTURER = 1021;
constexpr int IDC_PRODUCT = 1022;

}  // namespace

CTabUsbSlave::CTabUsbSlave(CBrindleDlg *wizard)
    : CWizardPage(wizard, "Modify USB Slave Mode Settings",
                  "Change the VID and PID, Product and Manufacturer String of the device when it is "
                  "configured in Slave mode. This is only applicable to QSOL firmware.")
{
}

void CTabUsbSlave::OnInitDialog()
{
    m_editProductId = GetDlgItem<QLineEdit>(IDC_PRODUCT_ID);
    m_editVendorId = GetDlgItem<QLineEdit>(IDC_VENDOR_ID);
    m_editManufacturer = GetDlgItem<QLineEdit>(IDC_MANUFACTURER);
    m_editProduct = GetDlgItem<QLineEdit>(IDC_PRODUCT);
    connect(m_editManufacturer, &QLineEdit::textChanged, this, [this] { CheckStringsFit(); });
    connect(m_editProduct, &QLineEdit::textChanged, this, [this] { CheckStringsFit(); });
}

void CTabUsbSlave::OnShowWindow(bool show)
{
    if (show) {
        WriteHeader();
        m_editProductId->setText(SettingsText::FormatHex4(int(m_nProductId)));
        m_editVendorId->setText(SettingsText::FormatHex4(int(m_nVendorId)));
        m_editProduct->setText(m_strProduct);
        m_editManufacturer->setText(m_strManufacturer);
        CheckStringsFit();
    } else {
        m_nProductId = SettingsText::ParseUsbId(m_editProductId->text());
        m_nVendorId = SettingsText::ParseUsbId(m_editVendorId->text());
        m_strProduct = m_editProduct->text();
        m_strManufacturer = m_editManufacturer->text();
    }
}

bool CTabUsbSlave::StringsFit() const
{
    const qsizetype total = m_editManufacturer->text().size() + m_editProduct->text().size() + m_nString3Length;
    return total <= Firmware::kMaxUsbStringChars;
}

void CTabUsbSlave::CheckStringsFit()
{
    // The three strings share one small area of the image; the writer would refuse them.
    if (IsShown())
        SetNextEnabled(StringsFit());
}
