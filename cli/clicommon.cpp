#include "clicommon.h"

// Std
#include <optional>

#include "brindle_version.h"
#include "cmdline/optionspelling.h"
#include "consoleui.h"
#include "firmware/fileerror.h"
#include "firmware/firmwareformat.h"
#include "firmware/firmwarerecord.h"
#include "firmware/firmwareui.h"
#include "firmware/settingstext.h"

namespace Cli {

const QString kProgram = QStringLiteral("brindle-cli");
const QString kInfo = QStringLiteral("info");
const QString kWrite = QStringLiteral("write");
const QString kDiff = QStringLiteral("diff");
const QString kStandardStream = QStringLiteral("-");
const QString kJson = QStringLiteral("json");

namespace {

// Standard input as the source's name in the report and as the subject of a message.
const QString kStandardInputName = QStringLiteral("standard input");

// --version and --help go to standard output on every platform: QCommandLineParser's own
// showVersion() and showHelp() open a message box on Windows when no console is attached, so
// a pipe or a redirected file would get nothing.
int PrintVersion(Session &session)
{
    return session.Output(
        QStringLiteral("%1 %2, part of Brindle: Norvale Firmware Customiser V%3\n")
            .arg(kProgram, QStringLiteral(BRINDLE_VERSION_STRING), QStringLiteral(BRINDLE_DISPLAY_VERSION)),
        kExitOk);
}

}  // namespace

int Session::Fail(const QString &command, const QString &message, int exitCode, bool pointToHelp)
{
    QString text = message;
    if (pointToHelp) {
        const QString who = command.isEmpty() ? kProgram : kProgram + QLatin1Char(' ') + command;
        text += QStringLiteral("; see '%1 --help'").arg(who);
    }
    PrintErr(m_console, ErrorLine(text));
    if (m_json)
        PrintOut(m_console, ErrorJson(kCaptionCommandLine, text, QString()));
    return exitCode;
}

int Session::Output(const QString &text, int exitCode, int failedExit)
{
    if (const std::optional<QString> failure = PrintOut(m_console, text)) {
        m_json = false;  // standard output takes nothing more
        return Fail(QString(), *failure, failedExit);
    }
    return exitCode;
}

bool Session::NameSurvives(CConsoleUi &ui, const QString &path, bool target) const
{
    if (!m_unencodable.contains(path))
        return true;
    ui.ShowMessage(FileError::Describe(FileError::Problem::BadName, path),
                   target ? IFirmwareUi::kCaptionOpenTarget : IFirmwareUi::kCaptionOpenSource);
    return false;
}

bool Session::Load(CFirmwareRecord &record, CConsoleUi &ui, const QString &path)
{
    if (path == kStandardStream)
        return LoadStandardInput(record, ui);
    return NameSurvives(ui, path, false) && record.LoadFirmware(path) == Firmware::FileResult::Done;
}

bool Session::LoadStandardInput(CFirmwareRecord &record, CConsoleUi &ui)
{
    if (m_console.IsTerminal(IConsole::Stream::In)) {
        ui.ShowMessage(QStringLiteral("Standard input is a terminal: give the firmware file with < FILE or "
                                      "through a pipe."),
                       IFirmwareUi::kCaptionOpenSource);
        return false;
    }
    QByteArray data;
    if (const std::optional<QString> reason = m_console.ReadIn(data, Firmware::kUpgradeLength + 1)) {
        ui.ShowMessage(QStringLiteral("Cannot read standard input: %1.").arg(*reason), IFirmwareUi::kCaptionOpenSource);
        return false;
    }
    return record.LoadFirmwareData(data, kStandardInputName) == Firmware::FileResult::Done;
}

CommandLine::CommandLine(Session &session, const QString &command, const QStringList &arguments, Declare declare,
                         bool forHelp)
    : m_session(session)
    , m_command(command)
    , m_arguments(arguments)
    , m_declare(declare)
    , m_forHelp(forHelp)
    , m_help({QStringLiteral("h"), QStringLiteral("help")}, help(QStringLiteral("Show this help.")))
    , m_version({QStringLiteral("v"), QStringLiteral("version")},
                help(QStringLiteral("Show the version of brindle-cli and of Brindle.")))
{
    addOptions({m_help, m_version});
    m_declare(*this);
}

void CommandLine::addOptions(const QList<QCommandLineOption> &options)
{
    m_parser.addOptions(options);
    m_options += options;
}

int CommandLine::parse(qsizetype argumentCount, int usageExit, const QString &exitCodes)
{
    if (const std::optional<QString> problem =
            OptionSpelling::Check(m_arguments, m_options, OptionSpelling::SingleDash::ShortOnly))
        return m_session.Fail(m_command, *problem, usageExit, true);
    if (!m_parser.parse(m_arguments))
        return m_session.Fail(m_command, OptionSpelling::AsMessage(m_parser.errorText()), usageExit, true);
    if (m_parser.isSet(m_version))
        return PrintVersion(m_session);
    if (m_parser.isSet(m_help))
        return printHelp(exitCodes);
    if (argumentCount < 0)
        return kContinue;
    return CheckArgumentCount(argumentCount, usageExit);
}

int CommandLine::CheckArgumentCount(qsizetype argumentCount, int usageExit)
{
    const QStringList positional = m_parser.positionalArguments();
    const qsizetype given = positional.size() - 1;  // after the command word
    if (given < argumentCount)
        return m_session.Fail(m_command, QStringLiteral("missing arguments"), usageExit, true);
    if (given > argumentCount) {
        return m_session.Fail(m_command,
                              QStringLiteral("unexpected argument '%1'").arg(positional.at(argumentCount + 1)),
                              usageExit, true);
    }
    return kContinue;
}

int CommandLine::printHelp(const QString &exitCodes)
{
    if (!m_forHelp)
        return CommandLine(m_session, m_command, m_arguments, m_declare, true).printHelp(exitCodes);
    // Qt names the program by the path it was started from; the usage line names the program.
    QString text = m_parser.helpText();
    const qsizetype options = text.indexOf(QLatin1String(" [options]"));
    if (text.startsWith(QLatin1String("Usage: ")) && options > 0)
        text.replace(0, options, QStringLiteral("Usage: ") + kProgram);
    return m_session.Output(text + exitCodes, kExitOk);
}

QCommandLineOption JsonOption(const CommandLine &line, const QString &what)
{
    return QCommandLineOption(
        kJson, line.help(what
                         + QStringLiteral(" An error is then one JSON object too: {\"error\": {\"caption\", "
                                          "\"text\", \"path\"}}.")));
}

bool AsksForJson(const QStringList &arguments)
{
    const qsizetype end = arguments.indexOf(QStringLiteral("--"));
    const QStringList options = end < 0 ? arguments : arguments.first(end);
    return options.contains(QStringLiteral("--") + kJson);
}

QString SummaryText(const CFirmwareRecord &record, bool confirm)
{
    SettingsText::SummaryTexts texts = SettingsText::Describe(record, confirm);
    for (QString *fromImage : {&texts.fwVersion, &texts.usbStrings, &texts.dirPrefix})
        *fromImage = Escaped(*fromImage);
    return SettingsText::WithLineFeeds(SettingsText::CopyText(texts, confirm));
}

}  // namespace Cli
