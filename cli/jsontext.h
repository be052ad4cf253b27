#pragma once

// Qt
#include <QJsonValue>
#include <QString>
#include <QStringList>

namespace JsonText {

// `value` as JSON text indented by two blanks, ending in a line break. Qt's own writer sorts
// object members by name; here they follow `order`, a list of member paths such as
// "usb.vendorId", and members not listed come after them in alphabetical order.
QString Write(const QJsonValue &value, const QStringList &order);

// One string, number, boolean or null as JSON text, on one line.
QString Scalar(const QJsonValue &value);

}  // namespace JsonText
