#include "optionspelling.h"

// Std
#include <algorithm>

namespace OptionSpelling {

namespace {

const QCommandLineOption *Find(QStringView name, const QList<QCommandLineOption> &options)
{
    for (const QCommandLineOption &option : options) {
        if (option.names().contains(name))
            return &option;
    }
    return nullptr;
}

// The number of edits between two short words: a letter left out, added, changed, or two
// neighbours swapped ("jsno" is one from "json").
qsizetype Distance(QStringView a, QStringView b)
{
    const qsizetype width = b.size() + 1;
    QList<qsizetype> d((a.size() + 1) * width);
    const auto at = [&](qsizetype i, qsizetype j) -> qsizetype & { return d[i * width + j]; };
    for (qsizetype i = 0; i <= a.size(); ++i)
        at(i, 0) = i;
    for (qsizetype j = 0; j <= b.size(); ++j)
        at(0, j) = j;
    for (qsizetype i = 1; i <= a.size(); ++i) {
        for (qsizetype j = 1; j <= b.size(); ++j) {
            at(i, j) =
                std::min({at(i - 1, j) + 1, at(i, j - 1) + 1, at(i - 1, j - 1) + (a[i - 1] == b[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                at(i, j) = std::min(at(i, j), at(i - 2, j - 2) + 1);
        }
    }
    return at(a.size(), b.size());
}

}  // namespace

QString Suggestion(QStringView name, const QList<QCommandLineOption> &options)
{
    QStringList longNames;
    for (const QCommandLineOption &option : options) {
        for (const QString &n : option.names()) {
            if (n.size() > 1)
                longNames << n;
        }
    }
    const auto asList = [](const QStringList &names) {
        QStringList dashed;
        for (const QString &n : names)
            dashed << QStringLiteral("--") + n;
        const QString last = dashed.takeLast();
        return dashed.isEmpty() ? last : dashed.join(QLatin1String(", ")) + QStringLiteral(" or ") + last;
    };

    // A beginning names the options it begins, as getopt's long options would take it.
    if (!name.isEmpty()) {
        QStringList begun;
        for (const QString &n : longNames) {
            if (n.startsWith(name) && !begun.contains(n))
                begun << n;
        }
        if (!begun.isEmpty())
            return QStringLiteral(" (did you mean %1?)").arg(asList(begun));
    }

    // A near miss is at most two edits away, and fewer than half the word: "json" is no miss of
    // "icon".
    const qsizetype maxDistance = std::min<qsizetype>(2, (name.size() - 1) / 2);
    QString best;
    qsizetype bestDistance = maxDistance + 1;
    for (const QString &n : longNames) {
        const qsizetype d = Distance(name, n);
        if (d < bestDistance) {
            best = n;
            bestDistance = d;
        }
    }
    return best.isEmpty() ? QString() : QStringLiteral(" (did you mean --%1?)").arg(best);
}

QString AsMessage(QString text)
{
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    if (!text.isEmpty())
        text[0] = text.at(0).toLower();
    return text;
}

std::optional<OptionWord> AsOption(const QString &arg)
{
    if (arg.size() < 2 || !arg.startsWith(QLatin1Char('-')))
        return std::nullopt;
    OptionWord option;
    option.doubleDash = arg.startsWith(QLatin1String("--"));
    const QStringView word = QStringView(arg).mid(option.doubleDash ? 2 : 1);
    const qsizetype equals = word.indexOf(QLatin1Char('='));
    option.name = equals < 0 ? word : word.left(equals);
    option.hasValue = equals >= 0;
    return option;
}

std::optional<QString> Check(const QStringList &arguments, const QList<QCommandLineOption> &options,
                             SingleDash singleDash)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        if (arg == QLatin1String("--"))
            break;  // only arguments follow
        const std::optional<OptionWord> word = AsOption(arg);
        if (!word)
            continue;
        const auto [doubleDash, name, hasValue] = *word;
        const QCommandLineOption *option = Find(name, options);
        const QString unknown = QStringLiteral("unknown option '%1'").arg(arg.left((doubleDash ? 2 : 1) + name.size()));
        if (!doubleDash && name.size() > 1 && singleDash == SingleDash::ShortOnly) {
            // A long option with one dash, or several short ones run together: taken for the
            // first, with the long option it may have meant.
            return unknown + (option ? QStringLiteral(" (did you mean --%1?)").arg(name) : Suggestion(name, options));
        }
        if (!option)
            return unknown + (doubleDash || name.size() > 1 ? Suggestion(name, options) : QString());
        // The value of an option that takes one may begin with a dash: it is not an option.
        if (!option->valueName().isEmpty() && !hasValue)
            ++i;
    }
    return std::nullopt;
}

}  // namespace OptionSpelling
