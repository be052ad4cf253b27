#include "clihelp.h"

#include "clicommon.h"

namespace Cli {

namespace {

const QString kHelp = QStringLiteral("help");

const QString kAllExitCodes = QStringLiteral(
    "\nExit codes:\n"
    "  0  done; diff: the files are the same\n"
    "  1  refused or failed; diff: the files differ\n"
    "  2  usage error (options, values, profile), or standard output could not be written; diff: any error\n"
    "  3  write: TARGET was written, but the report could not be written to standard output\n");

void DeclareProgram(CommandLine &line)
{
    QCommandLineParser &parser = line.parser();
    parser.setApplicationDescription(line.help(
        QStringLiteral("Customises Norvale firmware images from the command line, as the Brindle wizard does.\n\n"
                       "Commands:\n"
                       "  info FILE [--json]          describe a firmware file\n"
                       "  write SOURCE TARGET --code XYZ [settings] [--settings PROFILE.json] [--force] [--dry-run]\n"
                       "                              write a customised copy\n"
                       "  diff A B [--json]           compare two firmware files\n"
                       "  help [COMMAND]              describe brindle-cli or one command\n\n"
                       "'brindle-cli COMMAND --help' describes a command and its options.")));
    parser.addPositionalArgument(QStringLiteral("command"), line.help(QStringLiteral("info, write, diff or help.")),
                                 QStringLiteral("command [arguments]"));
}

bool IsCommand(const QString &word)
{
    return word == kInfo || word == kWrite || word == kDiff;
}

int UnknownCommand(Session &session, const QString &word)
{
    return session.Fail(QString(), QStringLiteral("unknown command '%1': use info, write or diff").arg(word),
                        kExitUsage, true);
}

// "help" alone describes brindle-cli; "help COMMAND" is "COMMAND --help".
int RunHelp(Session &session, CommandLine &line, QString &topic)
{
    const QStringList positional = line.parser().positionalArguments();
    if (positional.size() > 2) {
        return session.Fail(QString(), QStringLiteral("unexpected argument '%1'").arg(positional.at(2)), kExitUsage,
                            true);
    }
    const QString word = positional.value(1);
    if (word.isEmpty())
        return line.printHelp(kAllExitCodes);
    if (!IsCommand(word))
        return UnknownCommand(session, word);
    topic = word;
    return kContinue;
}

}  // namespace

int RunProgramLine(Session &session, const QStringList &arguments, QString &topic)
{
    const QString command = arguments.value(1);
    CommandLine line(session, QString(), arguments, DeclareProgram);
    if (const int code = line.parse(-1, kExitUsage, kAllExitCodes); code != kContinue)
        return code;
    if (command == kHelp)
        return RunHelp(session, line, topic);
    if (command.isEmpty())
        return session.Fail(QString(), QStringLiteral("no command given: use info, write or diff"), kExitUsage, true);
    return UnknownCommand(session, command);
}

}  // namespace Cli
