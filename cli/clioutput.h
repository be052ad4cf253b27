#pragma once

// Qt
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>

#include "clisettings.h"

// The values of a loaded file as info --json, the dry run and diff print them.
namespace CliSettings {

// One named value of a loaded file, in JSON and in words.
struct Item {
    QString key;  // JSON path
    QJsonValue json;
    QString display;  // as in dry-run and diff lines: words, decimal, 0x1234, "quoted text"
};

// The file's facts and its settings as info --json names them, those of other firmware types
// and USB values that the image has no descriptor for left out: fileKind, codeType,
// firmwareType, version, versionNumber, the settings table, with usb.string3 after usb.product.
QList<Item> Items(const CFirmwareRecord &record);

// info --json: the items with "schema": 1, the usb ones in their own object.
QJsonObject InfoJson(const CFirmwareRecord &record);
// The member order of InfoJson for JsonText::Write.
QStringList InfoOrder(const CFirmwareRecord &record);

}  // namespace CliSettings
