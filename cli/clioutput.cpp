#include "clioutput.h"

#include "firmware/firmwareformat.h"
#include "firmware/firmwarerecord.h"
#include "firmware/fits.h"
#include "firmware/settingstext.h"
#include "jsontext.h"

namespace CliSettings {

namespace {

Item SettingItem(const SettingDef &def, const CFirmwareRecord &record)
{
    Item item;
    item.key = Word(def.key);
    const int n = RecordNumber(def, record);
    switch (def.kind) {
    case Kind::Number:
        item.json = n;
        item.display = QString::number(n);
        break;
    case Kind::Word: {
        const bool known = n >= 0 && std::size_t(n) < def.words.size();
        item.display = known ? Word(def.words[std::size_t(n)]) : QStringLiteral("unknown");
        item.json = item.display;
        break;
    }
    case Kind::Flag:  // 1 for on, shown or allowed: the first word
        item.json = n != 0;
        item.display = Word(def.words[n != 0 ? 0 : 1]);
        break;
    case Kind::UsbId:
        item.json = n;
        item.display = QStringLiteral("0x") + SettingsText::FormatHex4(n);
        break;
    case Kind::UsbText:
    case Kind::DirPrefix:
        item.json = record.*def.textMember;
        item.display = JsonText::Scalar(item.json);
        break;
    }
    return item;
}

}  // namespace

QList<Item> Items(const CFirmwareRecord &record)
{
    QList<Item> items;
    const QString kind = SettingsText::FileKindWord(record.m_nFileKind);
    items.append({QStringLiteral("fileKind"), kind, kind});
    items.append({QStringLiteral("codeType"), record.m_nCodeType, QString::number(record.m_nCodeType)});
    const QString type = SettingsText::FirmwareTypeWord(record.m_nFirmwareType);
    items.append({QStringLiteral("firmwareType"), type.isEmpty() ? QJsonValue() : QJsonValue(type),
                  TypeWordOrNone(record.m_nFirmwareType)});
    items.append({QStringLiteral("version"), record.m_strVersion, JsonText::Scalar(record.m_strVersion)});
    items.append({QStringLiteral("versionNumber"), record.m_nVersionNumber, QString::number(record.m_nVersionNumber)});

    const quint8 *image = record.Image() + record.ImageBase();
    const bool hasIds = Firmware::HasUsbIdRoom(image);
    const bool hasStrings = Firmware::HasUsbStringRoom(image);
    for (const SettingDef &def : Settings()) {
        if (!(record.m_nFirmwareType & ScopeTypes(def.scope)))
            continue;
        // Values that loading did not read from this image are not the image's.
        if ((def.kind == Kind::UsbId && !hasIds) || (def.kind == Kind::UsbText && !hasStrings))
            continue;
        items.append(SettingItem(def, record));
        if (def.textMember == &CFirmwareRecord::m_strProduct) {  // present only with the strings
            items.append({QStringLiteral("usb.string3"), record.m_strString3, JsonText::Scalar(record.m_strString3)});
        }
    }
    return items;
}

QJsonObject InfoJson(const CFirmwareRecord &record)
{
    QJsonObject root;
    QJsonObject usb;
    root.insert(QStringLiteral("schema"), kSchema);
    const QString usbPrefix = QStringLiteral("usb.");
    for (const Item &item : Items(record)) {
        if (item.key.startsWith(usbPrefix))
            usb.insert(item.key.mid(usbPrefix.size()), item.json);
        else
            root.insert(item.key, item.json);
    }
    if (!usb.isEmpty())
        root.insert(QStringLiteral("usb"), usb);
    return root;
}

QStringList InfoOrder(const CFirmwareRecord &record)
{
    QStringList order{QStringLiteral("schema")};
    for (const Item &item : Items(record)) {
        if (item.key.startsWith(QLatin1String("usb.")) && !order.contains(QLatin1String("usb")))
            order << QStringLiteral("usb");
        order << item.key;
    }
    return order;
}

}  // namespace CliSettings
