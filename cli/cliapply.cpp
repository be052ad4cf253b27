#include "cliapply.h"

// Qt
#include <QStringList>

#include "firmware/firmwareformat.h"
#include "firmware/firmwarerecord.h"
#include "firmware/fits.h"

namespace CliSettings {

namespace {

QString ScopeWords(Scope scope)
{
    return scope == Scope::UsbSlave ? QStringLiteral("QSOL") : QStringLiteral("QWEX and QJ4J");
}

}  // namespace

std::optional<QString> DropUnchanged(Choices &choices, const CFirmwareRecord &record)
{
    const std::span<const SettingDef> settings = Settings();
    for (std::size_t i = 0; i < settings.size(); ++i) {
        std::optional<Choice> &choice = choices[i];
        if (!choice || !choice->fromProfile)
            continue;
        const SettingDef &def = settings[i];
        if (!(record.m_nFirmwareType & ScopeTypes(def.scope)))
            continue;  // CheckApplies names it
        const bool same =
            def.textMember ? record.*def.textMember == choice->given : RecordNumber(def, record) == choice->number;
        if (same)
            choice.reset();
        else if (choice->problem)
            return choice->origin + QStringLiteral(": ") + *choice->problem;
    }
    return std::nullopt;
}

std::optional<QString> CheckApplies(const Choices &choices, const CFirmwareRecord &record)
{
    const int type = record.m_nFirmwareType;
    const quint8 *image = record.Image() + record.ImageBase();
    QStringList stringOrigins;
    qsizetype stringChars = record.m_strString3.size();

    const std::span<const SettingDef> settings = Settings();
    for (std::size_t i = 0; i < settings.size(); ++i) {
        const SettingDef &def = settings[i];
        const std::optional<Choice> &choice = choices[i];
        if (def.kind == Kind::UsbText)
            stringChars += choice ? choice->text.size() : (record.*def.textMember).size();
        if (!choice)
            continue;
        if (!(type & ScopeTypes(def.scope))) {
            return choice->origin
                   + QStringLiteral(": applies only to %1 firmware, not to %2")
                         .arg(ScopeWords(def.scope), TypeWordOrNone(type));
        }
        if (def.kind == Kind::UsbId && !Firmware::HasUsbIdRoom(image)) {
            return choice->origin
                   + QStringLiteral(": this image has no USB device descriptor to hold it (length byte %1)")
                         .arg(image[Firmware::kDeviceDescriptor]);
        }
        if (def.kind == Kind::UsbText) {
            if (!Firmware::HasUsbStringRoom(image)) {
                return choice->origin + QStringLiteral(": this image has no USB string descriptors to hold it");
            }
            stringOrigins << choice->origin;
        }
    }
    if (!stringOrigins.isEmpty() && !Firmware::UsbStringsFit(stringChars)) {
        return stringOrigins.join(QStringLiteral(", "))
               + QStringLiteral(": the three USB strings would hold %1 characters together; at most %2 fit")
                     .arg(stringChars)
                     .arg(Firmware::kMaxUsbStringChars);
    }
    return std::nullopt;
}

void Apply(const Choices &choices, CFirmwareRecord &record)
{
    const std::span<const SettingDef> settings = Settings();
    for (std::size_t i = 0; i < settings.size(); ++i) {
        if (choices[i])
            Store(settings[i], *choices[i], record);
    }
}

}  // namespace CliSettings
