#pragma once

// Qt
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include "clicommands.h"
#include "console.h"

class CConsoleUi;
class CFirmwareRecord;

// What every brindle-cli command shares: the run it belongs to, its command line, and the texts
// more than one command prints.
namespace Cli {

extern const QString kProgram;

// The command words.
extern const QString kInfo;
extern const QString kWrite;
extern const QString kDiff;

// The option of info and diff that asks for one JSON object, errors included.
extern const QString kJson;

// "-" for SOURCE (or a file to compare, or a profile) is standard input; for TARGET, standard
// output. A file of that name is reached as ./-.
extern const QString kStandardStream;

// CommandLine::parse's result when the command should go on.
inline constexpr int kContinue = -1;

// One run: where it prints, whether its errors are JSON too, and which of its arguments cannot
// name a file.
class Session
{
public:
    Session(const Invocation &invocation, IConsole &console) : m_unencodable(invocation.unencodable), m_console(console)
    {}

    IConsole &console() { return m_console; }

    // Under --json an error is also one JSON object on standard output, for the script that
    // asked for JSON.
    void SetJson(bool json) { m_json = json; }
    bool json() const { return m_json; }

    // "brindle-cli: message", with a pointer to the command's help when the command line itself
    // is wrong.
    int Fail(const QString &command, const QString &message, int exitCode, bool pointToHelp = false);

    // Prints a command's result. Output that cannot be written in full is an error, ending with
    // `failedExit`: a script must not take a cut-off description for a whole one.
    int Output(const QString &text, int exitCode, int failedExit = kExitUsage);

    // A file name whose bytes were changed on the way in names another file: refused with the
    // firmware core's text and caption.
    bool NameSurvives(CConsoleUi &ui, const QString &path, bool target) const;

    // Loads `path` into `record`: a file, or "-" for an image on standard input, read up to one
    // byte past the longest image (a longer input is no firmware file) and never from a terminal.
    bool Load(CFirmwareRecord &record, CConsoleUi &ui, const QString &path);

private:
    bool LoadStandardInput(CFirmwareRecord &record, CConsoleUi &ui);

    const QSet<QString> &m_unencodable;  // the names given that cannot name a file unchanged
    IConsole &m_console;
    bool m_json = false;
};

// One command's options, as parsed and as given. Qt's parser reads "-json" as the four
// options -j, -s, -o and -n and offers --help-all, which it does not handle when asked to
// parse only; the command line is checked here first, so that a misspelt option is named as
// the user wrote it.
//
// A command declares its description, arguments and options through a function of its own,
// which builds the texts that only its help shows when forHelp() says so: a run that is not
// asked for its help neither builds nor converts them.
class CommandLine
{
public:
    using Declare = void (*)(CommandLine &line);

    CommandLine(Session &session, const QString &command, const QStringList &arguments, Declare declare,
                bool forHelp = false);

    QCommandLineParser &parser() { return m_parser; }
    const QString &command() const { return m_command; }
    bool forHelp() const { return m_forHelp; }
    // The whole command line, arguments[0] the program.
    const QStringList &arguments() const { return m_arguments; }

    // `text` where the help is built, else nothing.
    QString help(const QString &text) const { return m_forHelp ? text : QString(); }

    void addOptions(const QList<QCommandLineOption> &options);

    // Parses, handles --help and --version (which end the program; their help lists
    // `exitCodes`) and checks the number of arguments after the command word, unless
    // `argumentCount` is negative.
    int parse(qsizetype argumentCount, int usageExit, const QString &exitCodes);

    // The command's help, its exit codes last, on standard output.
    int printHelp(const QString &exitCodes);

private:
    int CheckArgumentCount(qsizetype argumentCount, int usageExit);

    Session &m_session;
    QString m_command;
    QStringList m_arguments;
    Declare m_declare;
    bool m_forHelp;
    QCommandLineParser m_parser;
    QCommandLineOption m_help;
    QCommandLineOption m_version;
    QList<QCommandLineOption> m_options;
};

// The --json option, its help `what` it prints followed by the form its errors take.
QCommandLineOption JsonOption(const CommandLine &line, const QString &what);

// Whether the command line asks for JSON: then its errors are JSON too, even those of the
// command line itself, found before the options are read.
bool AsksForJson(const QStringList &arguments);

// The summary texts of a loaded record, the texts that come from the image escaped: the "File
// Summary" or, with `confirm`, the "Summary of Firmware Customisations".
QString SummaryText(const CFirmwareRecord &record, bool confirm);

}  // namespace Cli
