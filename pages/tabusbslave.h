#pragma once

// Qt
#include <QRect>
#include <QString>

#include "wizardpage.h"

class QLabel;
class QLineEdit;

// "Set PID/VID": the identity the device presents as a USB slave (QSOL firmware).
class CTabUsbSlave : public CWizardPage
{
    Q_OBJECT

public:
    explicit CTabUsbSlave(IWizardFrame *wizard);

    // The IDs and the two strings; the third string descriptor, which shares the image's
    // string area, only for its length.
    void SetSettings(const Firmware::Settings &settings) override;
    void GetSettings(Firmware::Settings &settings) const override;

    // Why the two strings in the edits cannot be stored in the image as they stand: a character
    // beyond the image's one byte per character, or more characters than fit beside the third
    // string. Empty when they can.
    QString StringsProblem() const;
    bool StringsFit() const { return StringsProblem().isEmpty(); }
    // The IDs and strings can be stored as entered.
    bool IsComplete() const override { return m_bValuesFit; }
    // Why an ID box does not hold an ID as brindle-cli's --vid and --pid take it (hexadecimal
    // digits up to ffff, "0x" allowed). Empty when both do.
    QString IdsProblem() const;

protected:
    void OnInitDialog() override;
    void OnShowWindow(bool show) override;

private:
    unsigned m_nProductId = 0;
    unsigned m_nVendorId = 0;
    QString m_strManufacturer;
    QString m_strProduct;
    qsizetype m_nString3Length = 0;

    QLineEdit *m_editProductId = nullptr;
    QLineEdit *m_editVendorId = nullptr;
    QLineEdit *m_editManufacturer = nullptr;
    QLineEdit *m_editProduct = nullptr;
    QLabel *m_staticReason = nullptr;  // why Next is held back; empty while every value can be stored
    bool m_bValuesFit = true;
    // Puts the values into the boxes, where they differ from the boxes' texts.
    void ShowValues();
    void CheckStringsFit();
    // Gives the reason line the height its text needs in the page's font, taken from the gap
    // above it when the template's two lines are not enough.
    void FitReason();

    QRect m_reasonRect;  // where the template puts the reason line
};
