#include "jsontext.h"

// Std
#include <algorithm>
#include <limits>

// Qt
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "console.h"

namespace JsonText {

namespace {

constexpr int kIndent = 2;

void Append(QString &out, const QJsonValue &value, const QString &path, const QStringList &order, int depth)
{
    const QString inner(qsizetype(depth + 1) * kIndent, QLatin1Char(' '));
    const QString outer(qsizetype(depth) * kIndent, QLatin1Char(' '));

    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        if (object.isEmpty()) {
            out += QStringLiteral("{}");
            return;
        }
        const auto childPath = [&path](const QString &key) {
            return path.isEmpty() ? key : path + QLatin1Char('.') + key;
        };
        const auto rank = [&](const QString &key) {
            const qsizetype i = order.indexOf(childPath(key));
            return i < 0 ? std::numeric_limits<qsizetype>::max() : i;
        };
        QStringList keys = object.keys();  // alphabetical
        std::stable_sort(keys.begin(), keys.end(),
                         [&](const QString &a, const QString &b) { return rank(a) < rank(b); });
        out += QStringLiteral("{\n");
        for (qsizetype i = 0; i < keys.size(); ++i) {
            out += inner + Scalar(QJsonValue(keys.at(i))) + QStringLiteral(": ");
            Append(out, object.value(keys.at(i)), childPath(keys.at(i)), order, depth + 1);
            out += i + 1 < keys.size() ? QStringLiteral(",\n") : QStringLiteral("\n");
        }
        out += outer + QLatin1Char('}');
    } else if (value.isArray()) {
        const QJsonArray array = value.toArray();
        if (array.isEmpty()) {
            out += QStringLiteral("[]");
            return;
        }
        out += QStringLiteral("[\n");
        for (qsizetype i = 0; i < array.size(); ++i) {
            out += inner;
            Append(out, array.at(i), path, order, depth + 1);
            out += i + 1 < array.size() ? QStringLiteral(",\n") : QStringLiteral("\n");
        }
        out += outer + QLatin1Char(']');
    } else {
        out += Scalar(value);
    }
}

}  // namespace

QString Scalar(const QJsonValue &value)
{
    // Through Qt's writer, which knows JSON's escaping and number rules. It escapes the
    // control characters below U+0020 only; DEL, the C1 controls and the characters that
    // reorder or break lines are escaped here too, so that no text from a file acts on a
    // terminal. The JSON value is the same.
    const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    const QString text = QString::fromUtf8(wrapped.mid(1, wrapped.size() - 2));
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (Cli::IsControlOrLayout(u))
            out += QStringLiteral("\\u%1").arg(unsigned(u), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QString Write(const QJsonValue &value, const QStringList &order)
{
    QString out;
    Append(out, value, QString(), order, 0);
    out += QLatin1Char('\n');
    return out;
}

}  // namespace JsonText
