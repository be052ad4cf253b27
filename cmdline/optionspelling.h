#pragma once

// Std
#include <optional>

// Qt
#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// How brindle and brindle-cli name an option that is not theirs, alike: "unknown option
// '--bogus'", with the option that the word begins (an unambiguous prefix) or nearly spells.
namespace OptionSpelling {

// What a single dash begins: only short options (-h, -v), or long ones too (Qt's own -platform,
// -style, which Qt's programs take with one dash or two).
enum class SingleDash { ShortOnly, LongToo };

// An argument as an option: how many dashes begin it, its name, and whether it carries its value
// after "=". Nothing for an argument that is no option ("-" alone, a word without a dash).
struct OptionWord {
    bool doubleDash = false;
    QStringView name;
    bool hasValue = false;
};
std::optional<OptionWord> AsOption(const QString &arg);

// The first argument of `arguments` (arguments[0] is the program) that names none of `options`,
// as a message such as "unknown option '--dry' (did you mean --dry-run?)"; nothing when every
// option is known. The value of an option that takes one is not read as an option, even when it
// begins with a dash; "--" ends the options.
std::optional<QString> Check(const QStringList &arguments, const QList<QCommandLineOption> &options,
                             SingleDash singleDash);

// " (did you mean --dry-run?)" for a misspelt option name (without its dashes): the one long
// option that begins with `name`, every one when several do ("--version or --version-report"),
// else the nearest within two edits and fewer than half its letters; empty when there is none.
QString Suggestion(QStringView name, const QList<QCommandLineOption> &options);

// Qt's parser errors ("Missing value after '--code'.") as the programs' messages read: small
// letters, no full stop.
QString AsMessage(QString text);

}  // namespace OptionSpelling
