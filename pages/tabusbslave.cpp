#include "tabusbslave.h"

// Std
#include <algorithm>
#include <utility>

// Qt
#include <QLabel>
#include <QLineEdit>

#include "controls/accessibility.h"
#include "firmware/fieldrules.h"
#include "firmware/firmwareformat.h"
#include "firmware/settingstext.h"
#include "resources/resourceids.h"

namespace {

// The whole character at `at`, both halves of a pair beyond the basic plane.
QString CharacterAt(const QString &text, qsizetype at)
{
    const bool pair = text.at(at).isHighSurrogate() && at + 1 < text.size() && text.at(at + 1).isLowSurrogate();
    return text.mid(at, pair ? 2 : 1);
}

}  // namespace

CTabUsbSlave::CTabUsbSlave(IWizardFrame *wizard)
    : CWizardPage(wizard, "Modify USB Slave Mode Settings",
                  "Change the VID and PID, Product and Manufacturer String of the device when it is "
                  "configured in Slave mode. This is only applicable to QSOL firmware.")
{}

void CTabUsbSlave::OnInitDialog()
{
    m_editProductId = GetDlgItem<QLineEdit>(UsbIds::ProductId);
    m_editVendorId = GetDlgItem<QLineEdit>(UsbIds::VendorId);
    m_editManufacturer = GetDlgItem<QLineEdit>(UsbIds::Manufacturer);
    m_editProduct = GetDlgItem<QLineEdit>(UsbIds::Product);
    m_staticReason = GetDlgItem<QLabel>(UsbIds::Reason);
    m_reasonRect = m_staticReason->geometry();
    Accessibility::MarkAsNotification(m_staticReason);
    for (QLineEdit *edit : {m_editVendorId, m_editProductId, m_editManufacturer, m_editProduct})
        connect(edit, &QLineEdit::textChanged, this, [this] { CheckStringsFit(); });
}

void CTabUsbSlave::SetSettings(const Firmware::Settings &settings)
{
    m_nProductId = unsigned(settings.m_nProductId);
    m_nVendorId = unsigned(settings.m_nVendorId);
    m_strManufacturer = settings.m_strManufacturer;
    m_strProduct = settings.m_strProduct;
    m_nString3Length = settings.m_strString3.size();
    // The boxes take the values now, while the page is hidden, so that showing the page changes
    // nothing in them: a change just before a box takes the focus would hide the focus from a
    // screen reader.
    if (IsCreated() && !IsShown())
        ShowValues();
}

void CTabUsbSlave::ShowValues()
{
    const std::pair<QLineEdit *, QString> values[] = {
        {m_editProductId, SettingsText::FormatHex4(int(m_nProductId))},
        {m_editVendorId, SettingsText::FormatHex4(int(m_nVendorId))},
        {m_editProduct, m_strProduct},
        {m_editManufacturer, m_strManufacturer},
    };
    for (const auto &[edit, text] : values) {
        if (edit->text() != text)
            edit->setText(text);
    }
    CheckStringsFit();
}

void CTabUsbSlave::GetSettings(Firmware::Settings &settings) const
{
    settings.m_nProductId = int(m_nProductId);
    settings.m_nVendorId = int(m_nVendorId);
    settings.m_strManufacturer = m_strManufacturer;
    settings.m_strProduct = m_strProduct;
}

void CTabUsbSlave::OnShowWindow(bool show)
{
    if (show) {
        WriteHeader();
        ShowValues();
    } else {
        // An ID that is not one (the page can be left with Back) leaves the value as it was.
        m_nProductId = FieldRules::ParseUsbId(m_editProductId->text()).value_or(quint16(m_nProductId));
        m_nVendorId = FieldRules::ParseUsbId(m_editVendorId->text()).value_or(quint16(m_nVendorId));
        m_strProduct = m_editProduct->text();
        m_strManufacturer = m_editManufacturer->text();
    }
}

void CTabUsbSlave::FitReason()
{
    // A font with a taller line than the template was laid out for (a fallback font for a named
    // character, or another system font) needs more than two lines' height.
    QRect r = m_reasonRect;
    const int need = m_staticReason->heightForWidth(r.width());
    if (need > r.height()) {
        const int highest = m_editProduct->geometry().bottom() + 2;
        r.setTop(std::max(highest, r.bottom() + 1 - need));
    }
    m_staticReason->setGeometry(r);
}

QString CTabUsbSlave::IdsProblem() const
{
    // The words brindle-cli uses for the same text after --vid or --pid.
    const std::pair<const char *, const QLineEdit *> ids[] = {{"vendor", m_editVendorId}, {"product", m_editProductId}};
    for (const auto &[which, edit] : ids) {
        if (!FieldRules::ParseUsbId(edit->text())) {
            return QStringLiteral("The %1 ID \"%2\" is not a hexadecimal number from 0 to ffff.")
                .arg(QLatin1String(which), edit->text());
        }
    }
    return QString();
}

QString CTabUsbSlave::StringsProblem() const
{
    for (const QString &text : {m_editManufacturer->text(), m_editProduct->text()}) {
        if (const qsizetype at = FieldRules::FirstUnstorableChar(text); at >= 0) {
            return QStringLiteral("Characters such as %1 cannot be stored: use Latin-1 characters only.")
                .arg(CharacterAt(text, at));
        }
    }
    const qsizetype room = Firmware::kMaxUsbStringChars - m_nString3Length;
    if (room < 0) {
        return QStringLiteral("The device's third string takes more than the %1 characters that fit in the image.")
            .arg(Firmware::kMaxUsbStringChars);
    }
    const qsizetype excess = m_editManufacturer->text().size() + m_editProduct->text().size() - room;
    if (excess > 0) {
        return QStringLiteral("The two strings are %1 %2 too long: together at most %3 fit in the image.")
            .arg(excess)
            .arg(excess == 1 ? QStringLiteral("character") : QStringLiteral("characters"))
            .arg(room);
    }
    return QString();
}

void CTabUsbSlave::CheckStringsFit()
{
    // The IDs are hexadecimal numbers of 16 bits, the writer stores one byte per character, and
    // the three strings share one small area of the image: values that cannot be stored as
    // entered keep the page incomplete, and the page says why.
    const QString idsProblem = IdsProblem();
    const QString stringsProblem = StringsProblem();
    const QString problem = idsProblem.isEmpty() ? stringsProblem : idsProblem;
    // A screen reader says the reason as it appears and as it changes.
    Accessibility::Announce(m_staticReason, problem);
    FitReason();
    m_bValuesFit = problem.isEmpty();
    emit completeChanged();
}
