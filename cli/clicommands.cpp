#include "clicommands.h"

// Std
#include <algorithm>
#include <array>
#include <optional>

// Qt
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include "brindle_version.h"
#include "cliapply.h"
#include "clioptions.h"
#include "clioutput.h"
#include "cliprofile.h"
#include "clisettings.h"
#include "cmdline/optionspelling.h"
#include "consoleui.h"
#include "firmware/fileerror.h"
#include "firmware/filename.h"
#include "firmware/firmwareformat.h"
#include "firmware/firmwarerecord.h"
#include "firmware/firmwareui.h"
#include "firmware/settingstext.h"
#include "jsontext.h"

namespace Cli {

namespace {

using CliSettings::Item;

const QString kProgram = QStringLiteral("brindle-cli");
const QString kInfo = QStringLiteral("info");
const QString kWrite = QStringLiteral("write");
const QString kDiff = QStringLiteral("diff");
const QString kHelp = QStringLiteral("help");

// CommandLine::parse's result when the command should go on.
constexpr int kContinue = -1;

// "-" for SOURCE (or a file to compare, or a profile) is standard input; for TARGET, standard
// output. A file of that name is reached as ./-.
const QString kStandardStream = QStringLiteral("-");
// Standard input as the source's name in the report and as the subject of a message.
const QString kStandardInputName = QStringLiteral("standard input");

// The exit codes as the help of each command lists them.
const QString kInfoExitCodes =
    QStringLiteral("\nExit codes:\n"
                   "  0  done\n"
                   "  1  refused or failed\n"
                   "  2  usage error (options, values), or standard output could not be written\n");
const QString kWriteExitCodes =
    QStringLiteral("\nExit codes:\n"
                   "  0  done\n"
                   "  1  refused or failed: nothing was written\n"
                   "  2  usage error (options, values, profile), or standard output could not be written\n"
                   "  3  TARGET was written, but the report could not be written to standard output\n");
const QString kAllExitCodes = QStringLiteral(
    "\nExit codes:\n"
    "  0  done; diff: the files are the same\n"
    "  1  refused or failed; diff: the files differ\n"
    "  2  usage error (options, values, profile), or standard output could not be written; diff: any error\n"
    "  3  write: TARGET was written, but the report could not be written to standard output\n");
const QString kDiffExitCodes = QStringLiteral("\nExit codes:\n"
                                              "  0  the files are the same\n"
                                              "  1  the files differ\n"
                                              "  2  any error\n");

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
    int Fail(const QString &command, const QString &message, int exitCode, bool pointToHelp = false)
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

    // Prints a command's result. Output that cannot be written in full is an error, ending with
    // `failedExit`: a script must not take a cut-off description for a whole one.
    int Output(const QString &text, int exitCode, int failedExit = kExitUsage)
    {
        if (const std::optional<QString> failure = PrintOut(m_console, text)) {
            m_json = false;  // standard output takes nothing more
            return Fail(QString(), *failure, failedExit);
        }
        return exitCode;
    }

    // A file name whose bytes were changed on the way in names another file: refused with the
    // firmware core's text and caption.
    bool NameSurvives(CConsoleUi &ui, const QString &path, bool target) const
    {
        if (!m_unencodable.contains(path))
            return true;
        ui.ShowMessage(FileError::Describe(FileError::Problem::BadName, path),
                       target ? IFirmwareUi::kCaptionOpenTarget : IFirmwareUi::kCaptionOpenSource);
        return false;
    }

    // Loads `path` into `record`: a file, or "-" for an image on standard input, read up to one
    // byte past the longest image (a longer input is no firmware file) and never from a terminal.
    bool Load(CFirmwareRecord &record, CConsoleUi &ui, const QString &path)
    {
        if (path != kStandardStream)
            return NameSurvives(ui, path, false) && record.LoadFirmware(path) == 1;
        if (m_console.IsTerminal(IConsole::Stream::In)) {
            ui.ShowMessage(QStringLiteral("Standard input is a terminal: give the firmware file with < FILE or "
                                          "through a pipe."),
                           IFirmwareUi::kCaptionOpenSource);
            return false;
        }
        QByteArray data;
        if (const std::optional<QString> reason = m_console.ReadIn(data, Firmware::kUpgradeLength + 1)) {
            ui.ShowMessage(QStringLiteral("Cannot read standard input: %1.").arg(*reason),
                           IFirmwareUi::kCaptionOpenSource);
            return false;
        }
        return record.LoadFirmwareData(data, kStandardInputName) == 1;
    }

private:
    const QSet<QString> &m_unencodable;  // the names given that cannot name a file unchanged
    IConsole &m_console;
    bool m_json = false;
};

// The summary texts of a loaded record, the texts that come from the image escaped.
QString SummaryText(const CFirmwareRecord &record, bool confirm)
{
    SettingsText::SummaryTexts texts = SettingsText::Describe(record, confirm);
    for (QString *fromImage : {&texts.fwVersion, &texts.usbStrings, &texts.dirPrefix})
        *fromImage = Escaped(*fromImage);
    return SettingsText::WithLineFeeds(SettingsText::CopyText(texts, confirm));
}

// The wizard's "Firmware Modified" text, the version text and the names escaped.
QString FinishReport(const CFirmwareRecord &record)
{
    // Stand-ins that no name splits, each replaced by its escaped text afterwards.
    const QString version(QChar(0xE000));
    const QString source(QChar(0xE001));
    const QString target(QChar(0xE002));
    return SettingsText::WithLineFeeds(SettingsText::FinishText(record.m_nFileKind, version, source, target))
               .replace(version, Escaped(record.m_strVersion))
               .replace(source, Escaped(FileName::LastPart(record.m_strSourceFile)))
               .replace(target, Escaped(FileName::LastPart(record.m_strTargetFile)))
           + QLatin1Char('\n');
}

// One command's options, as parsed and as given. Qt's parser reads "-json" as the four
// options -j, -s, -o and -n and offers --help-all, which it does not handle when asked to
// parse only; the command line is checked here first, so that a misspelt option is named as
// the user wrote it.
class CommandLine
{
public:
    CommandLine(Session &session, const QString &command)
        : m_session(session)
        , m_command(command)
        , m_help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."))
        , m_version({QStringLiteral("v"), QStringLiteral("version")},
                    QStringLiteral("Show the version of brindle-cli and of Brindle."))
    {
        addOptions({m_help, m_version});
    }

    QCommandLineParser &parser() { return m_parser; }
    const QString &command() const { return m_command; }

    void addOptions(const QList<QCommandLineOption> &options)
    {
        m_parser.addOptions(options);
        m_options += options;
    }

    // Parses, handles --help and --version (which end the program; their help lists
    // `exitCodes`) and checks the number of arguments after the command word, unless
    // `argumentCount` is negative.
    int parse(const QStringList &arguments, qsizetype argumentCount, int usageExit, const QString &exitCodes);

private:
    Session &m_session;
    QString m_command;
    QCommandLineParser m_parser;
    QCommandLineOption m_help;
    QCommandLineOption m_version;
    QList<QCommandLineOption> m_options;
};

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

int PrintHelp(Session &session, QCommandLineParser &parser, const QString &exitCodes)
{
    // Qt names the program by the path it was started from; the usage line names the program.
    QString text = parser.helpText();
    const qsizetype options = text.indexOf(QLatin1String(" [options]"));
    if (text.startsWith(QLatin1String("Usage: ")) && options > 0)
        text.replace(0, options, QStringLiteral("Usage: ") + kProgram);
    return session.Output(text + exitCodes, kExitOk);
}

int CommandLine::parse(const QStringList &arguments, qsizetype argumentCount, int usageExit, const QString &exitCodes)
{
    if (const std::optional<QString> problem =
            OptionSpelling::Check(arguments, m_options, OptionSpelling::SingleDash::ShortOnly))
        return m_session.Fail(m_command, *problem, usageExit, true);
    if (!m_parser.parse(arguments))
        return m_session.Fail(m_command, OptionSpelling::AsMessage(m_parser.errorText()), usageExit, true);
    if (m_parser.isSet(m_version))
        return PrintVersion(m_session);
    if (m_parser.isSet(m_help))
        return PrintHelp(m_session, m_parser, exitCodes);
    if (argumentCount < 0)
        return kContinue;
    const qsizetype given = m_parser.positionalArguments().size() - 1;  // after the command word
    if (given < argumentCount)
        return m_session.Fail(m_command, QStringLiteral("missing arguments"), usageExit, true);
    if (given > argumentCount) {
        return m_session.Fail(
            m_command,
            QStringLiteral("unexpected argument '%1'").arg(m_parser.positionalArguments().at(argumentCount + 1)),
            usageExit, true);
    }
    return kContinue;
}

QString RecognitionReason(const CFirmwareRecord &record)
{
    switch (record.m_nFileKind) {
    case Firmware::KindUpgrade:
        return QStringLiteral("QUF upgrade file: signature in the 512-byte header, code type 1 (main code)");
    case Firmware::KindBld:
        return QStringLiteral("BLD image: %1 bytes, signature at image offset 0x30").arg(Firmware::kBldLength);
    default:
        if (record.m_nFileLength == Firmware::kUpgradeLength) {
            return QStringLiteral("ROM image: %1 bytes without an upgrade header, signature at image offset 0x30")
                .arg(Firmware::kUpgradeLength);
        }
        return QStringLiteral("ROM image: %1 bytes, signature at image offset 0x30").arg(Firmware::kRomLength);
    }
}

// Whether the command line asks for JSON: then its errors are JSON too, even those of the
// command line itself, found before the options are read.
bool AsksForJson(const QStringList &arguments)
{
    const qsizetype end = arguments.indexOf(QStringLiteral("--"));
    const QStringList options = end < 0 ? arguments : arguments.first(end);
    return options.contains(QStringLiteral("--json"));
}

// The "File Summary" text, then how the file was recognised.
QString InfoText(const CFirmwareRecord &record)
{
    constexpr bool kFileSummary = false;
    return SummaryText(record, kFileSummary) + QStringLiteral("File Kind: ") + RecognitionReason(record)
           + QLatin1Char('\n');
}

int RunInfo(Session &session, const QStringList &arguments)
{
    CommandLine line(session, kInfo);
    QCommandLineParser &parser = line.parser();
    parser.setApplicationDescription(QStringLiteral(
        "Describes a firmware file: the wizard's \"Firmware Settings\" summary, with the USB identity (QSOL) "
        "and the target directory prefix (QWEX, QJ4J), then how the file was recognised."));
    parser.addPositionalArgument(kInfo, QStringLiteral("The command."), kInfo);
    parser.addPositionalArgument(
        QStringLiteral("file"),
        QStringLiteral("A ROM image, BLD image or QUF upgrade file; - reads it from standard input."));
    const QCommandLineOption json(
        QStringLiteral("json"),
        QStringLiteral("Print one JSON object instead: the profile form that write --settings reads. An error is "
                       "then one JSON object too: {\"error\": {\"caption\", \"text\", \"path\"}}."));
    line.addOptions({json});
    session.SetJson(AsksForJson(arguments));
    if (const int code = line.parse(arguments, 1, kExitUsage, kInfoExitCodes); code != kContinue)
        return code;

    CConsoleUi ui(session.console());
    ui.SetJson(session.json());
    CFirmwareRecord record(&ui);
    const QString file = parser.positionalArguments().at(1);
    ui.SetPath(file);
    if (!session.Load(record, ui, file))
        return kExitFailed;
    if (parser.isSet(json)) {
        return session.Output(JsonText::Write(CliSettings::InfoJson(record), CliSettings::InfoOrder(record)), kExitOk);
    }
    return session.Output(InfoText(record), kExitOk);
}

// The layouts --layout names for TARGET -, as the kinds of file they make.
struct LayoutWord {
    const char *word;
    int kind;
};
constexpr std::array<LayoutWord, 3> kLayouts = {{
    {"rom", Firmware::KindRom},
    {"quf", Firmware::KindUpgrade},
    {"bld", Firmware::KindBld},
}};

int RunWrite(Session &session, const QStringList &arguments)
{
    CommandLine line(session, kWrite);
    QCommandLineParser &parser = line.parser();
    parser.setApplicationDescription(QStringLiteral(
        "Loads SOURCE, applies the settings given (all others stay as decoded), puts the version code into the "
        "version text as the wizard does, and writes TARGET: a name ending in .ROM gives a ROM image, .QUF an "
        "upgrade file, anything else the kind of SOURCE. Prints the wizard's \"Firmware Modified\" text."));
    parser.addPositionalArgument(kWrite, QStringLiteral("The command."), kWrite);
    parser.addPositionalArgument(QStringLiteral("source"),
                                 QStringLiteral("The firmware file to customise; - reads it from standard input."));
    parser.addPositionalArgument(
        QStringLiteral("target"),
        QStringLiteral("The file to write; in a folder, the file of SOURCE's name there; - writes the image to "
                       "standard output, in the layout --layout names."));
    const QCommandLineOption codeOption(
        QStringLiteral("code"),
        QStringLiteral("Version code: exactly %1 characters A-Z or 0-9, small letters made capitals (required).")
            .arg(Firmware::kVersionCodeLength),
        QStringLiteral("XYZ"));
    const QCommandLineOption profileOption(
        QStringLiteral("settings"),
        QStringLiteral("Apply a profile in the form info --json prints (- reads it from standard input); absent "
                       "keys change nothing, options win."),
        QStringLiteral("profile.json"));
    const QCommandLineOption forceOption(QStringLiteral("force"), QStringLiteral("Replace TARGET if it exists."));
    const QCommandLineOption dryRunOption(
        QStringLiteral("dry-run"),
        QStringLiteral("Write nothing; print the \"Summary of Firmware Customisations\" and one line per change."));
    const QCommandLineOption layoutOption(
        QStringLiteral("layout"),
        QStringLiteral("The layout of the image written to standard output (TARGET -, and only then; required "
                       "there): rom, quf, or bld for a BLD image kept as one."),
        QStringLiteral("rom|quf|bld"));
    line.addOptions({codeOption, profileOption, forceOption, dryRunOption, layoutOption});
    const std::span<const CliSettings::SettingDef> settings = CliSettings::Settings();
    for (const CliSettings::SettingDef &def : settings) {
        line.addOptions(
            {QCommandLineOption(QLatin1String(def.option), QLatin1String(def.help), QLatin1String(def.valueName))});
    }
    if (const int code = line.parse(arguments, 2, kExitUsage, kWriteExitCodes); code != kContinue)
        return code;
    const QString source = parser.positionalArguments().at(1);
    const QString target = parser.positionalArguments().at(2);
    const bool force = parser.isSet(forceOption);
    const bool toStandardOutput = target == kStandardStream;

    if (!parser.isSet(codeOption))
        return session.Fail(
            kWrite,
            QStringLiteral("--code is required: exactly %1 characters A-Z or 0-9").arg(Firmware::kVersionCodeLength),
            kExitUsage, true);
    QString versionCode;
    if (const std::optional<QString> problem = CliSettings::ParseCode(
            QStringLiteral("--code"), parser.value(codeOption), Firmware::kVersionCodeLength, versionCode))
        return session.Fail(kWrite, *problem, kExitUsage);

    // Standard output has no name to take the layout from.
    const LayoutWord *layout = nullptr;
    if (toStandardOutput && !parser.isSet(layoutOption))
        return session.Fail(kWrite, QStringLiteral("--layout is required when TARGET is -: rom, quf or bld"),
                            kExitUsage, true);
    if (parser.isSet(layoutOption)) {
        if (!toStandardOutput)
            return session.Fail(kWrite, QStringLiteral("--layout: only for TARGET -; a file's name decides its layout"),
                                kExitUsage);
        const QString word = parser.value(layoutOption).trimmed();
        for (const LayoutWord &l : kLayouts) {
            if (word == QLatin1String(l.word))
                layout = &l;
        }
        if (!layout)
            return session.Fail(
                kWrite, QStringLiteral("--layout: %1 is not one of rom, quf, bld").arg(CliSettings::Quote(word)),
                kExitUsage);
    }
    if (source == kStandardStream && parser.value(profileOption) == kStandardStream)
        return session.Fail(kWrite, QStringLiteral("--settings: standard input already holds SOURCE"), kExitUsage);

    CliSettings::Choices choices;
    std::optional<CliSettings::Choice> string3;
    if (parser.isSet(profileOption)) {
        if (const std::optional<QString> problem =
                CliSettings::ReadProfile(session.console(), parser.value(profileOption), choices, string3))
            return session.Fail(kWrite, *problem, kExitUsage);
    }
    for (std::size_t i = 0; i < settings.size(); ++i) {
        const QString option = QLatin1String(settings[i].option);
        if (!parser.isSet(option))
            continue;
        CliSettings::Choice choice;
        if (const std::optional<QString> problem = CliSettings::ParseOption(settings[i], parser.value(option), choice))
            return session.Fail(kWrite, *problem, kExitUsage);
        choices[i] = choice;  // the command line wins over the profile
    }

    // A folder as TARGET takes the file under SOURCE's name, as cp does.
    const bool intoFolder = !toStandardOutput && QFileInfo(target).isDir();
    const QString targetFile =
        intoFolder && source != kStandardStream ? QDir(target).filePath(FileName::LastPart(source)) : target;
    CConsoleUi ui(session.console(), force, targetFile);
    CFirmwareRecord record(&ui);
    if (!session.NameSurvives(ui, target, true))
        return kExitFailed;
    if (intoFolder && source == kStandardStream) {
        ui.ShowMessage(
            QStringLiteral("%1 is a folder, and standard input has no name to give the file in it.").arg(target),
            IFirmwareUi::kCaptionOpenTarget);
        return kExitFailed;
    }
    if (toStandardOutput && session.console().IsTerminal(IConsole::Stream::Out)) {
        ui.ShowMessage(QStringLiteral("Standard output is a terminal: send the image to a file with > FILE or "
                                      "into a pipe."),
                       IFirmwareUi::kCaptionOpenTarget);
        return kExitFailed;
    }
    if (!session.Load(record, ui, source))
        return kExitFailed;
    std::optional<QString> problem = CliSettings::DropUnchanged(choices, record);
    if (!problem && string3 && string3->given != record.m_strString3)
        problem = string3->origin + QStringLiteral(": ") + string3->problem.value_or(QString());
    if (problem)
        return session.Fail(kWrite, *problem, kExitUsage);
    if (const std::optional<QString> misfit = CliSettings::CheckApplies(choices, record))
        return session.Fail(kWrite, *misfit, kExitUsage);
    // Nothing turns another kind of image into a BLD image.
    if (layout && layout->kind == Firmware::KindBld && record.m_nFileKind != Firmware::KindBld) {
        return session.Fail(kWrite,
                            QStringLiteral("--layout bld: SOURCE is a %1 image; only a BLD image is written as one")
                                .arg(SettingsText::FileKindWord(record.m_nFileKind)),
                            kExitUsage);
    }
    const int targetKind =
        layout ? layout->kind : CFirmwareRecord::KindForTarget(FileName::AsSaved(targetFile), record.m_nFileKind);

    // The wizard's way from "Set Baud" to "Confirm Summary": the pages' values into the record,
    // then the version code merged into the version text. Every value is one the pages' lists
    // offer: the options and profiles take no other, and loading decodes no other.
    const QList<Item> before = CliSettings::Items(record);
    CliSettings::Apply(choices, record);
    record.m_strVersionCode = versionCode;
    record.m_strVersion = SettingsText::MergeVersionCode(record.m_strVersion, versionCode);

    // The wizard asks before it replaces a file; a script cannot answer, so without --force
    // the answer is No and the console says why.
    const CFirmwareRecord::WriteMode mode =
        parser.isSet(dryRunOption) ? CFirmwareRecord::WriteMode::Check : CFirmwareRecord::WriteMode::Save;
    QByteArray image;
    const int written = toStandardOutput ? record.WriteFirmwareData(targetKind, kStandardStream, image, mode)
                                         : record.WriteFirmware(targetFile, mode);
    // Written but not known to be on disk, or with a temporary file left: told, and a failure.
    if (written != 1 || record.WriteHadProblem())
        return kExitFailed;
    if (mode == CFirmwareRecord::WriteMode::Check) {
        // Every check and question of the real run were made, without writing.
        constexpr bool kConfirm = true;
        QString text = SummaryText(record, kConfirm);
        QList<Item> after = CliSettings::Items(record);
        for (Item &item : after) {
            if (item.key == QLatin1String("fileKind")) {
                item.display = SettingsText::FileKindWord(targetKind);
                item.json = item.display;
            }
        }
        for (qsizetype i = 0; i < before.size() && i < after.size(); ++i) {
            if (before.at(i).json != after.at(i).json)
                text += after.at(i).key + QStringLiteral(": ") + before.at(i).display + QStringLiteral(" -> ")
                        + after.at(i).display + QLatin1Char('\n');
        }
        return session.Output(text, kExitOk);
    }
    // The image is the output: it goes as it is, and nothing else goes with it.
    if (toStandardOutput) {
        if (const std::optional<QString> failure = session.console().WriteOut(image))
            return session.Fail(QString(), *failure, kExitFailed);
        return kExitOk;
    }
    return session.Output(FinishReport(record), kExitOk, kExitReportLost);
}

int ImageLength(const CFirmwareRecord &record)
{
    return record.m_nFileKind == Firmware::KindBld ? Firmware::kBldLength : Firmware::kRomLength;
}

int RunDiff(Session &session, const QStringList &arguments)
{
    CommandLine line(session, kDiff);
    QCommandLineParser &parser = line.parser();
    parser.setApplicationDescription(QStringLiteral(
        "Compares two firmware files of any kinds setting by setting (name: A value -> B value), and counts the "
        "image bytes outside the settings that differ, over the part of the image that both files have."));
    parser.addPositionalArgument(kDiff, QStringLiteral("The command."), kDiff);
    parser.addPositionalArgument(QStringLiteral("a"),
                                 QStringLiteral("The first firmware file; - reads it from standard input."));
    parser.addPositionalArgument(QStringLiteral("b"),
                                 QStringLiteral("The second firmware file; - reads it from standard input."));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("Print one JSON object instead. An error is then one JSON object too: "
                                                 "{\"error\": {\"caption\", \"text\", \"path\"}}."));
    line.addOptions({json});
    session.SetJson(AsksForJson(arguments));
    if (const int code = line.parse(arguments, 2, kExitDiffError, kDiffExitCodes); code != kContinue)
        return code;

    const QString fileA = parser.positionalArguments().at(1);
    const QString fileB = parser.positionalArguments().at(2);
    if (fileA == kStandardStream && fileB == kStandardStream)
        return session.Fail(kDiff, QStringLiteral("standard input (-) can be only one of A and B"), kExitDiffError);
    CConsoleUi ui(session.console());
    ui.SetJson(session.json());
    CFirmwareRecord a(&ui);
    CFirmwareRecord b(&ui);
    // Each refusal says which of the two files it is about.
    ui.SetSubject(QStringLiteral("first file"), fileA);
    if (!session.Load(a, ui, fileA))
        return kExitDiffError;
    ui.SetSubject(QStringLiteral("second file"), fileB);
    if (!session.Load(b, ui, fileB))
        return kExitDiffError;

    // The kind of file is not a setting: a ROM image and the same image as an upgrade file are
    // the same firmware. The version number is part of the version text.
    const auto compared = [](const QList<Item> &items) {
        QList<Item> kept;
        for (const Item &item : items) {
            if (item.key != QLatin1String("fileKind") && item.key != QLatin1String("codeType")
                && item.key != QLatin1String("versionNumber"))
                kept << item;
        }
        return kept;
    };
    const QList<Item> itemsA = compared(CliSettings::Items(a));
    const QList<Item> itemsB = compared(CliSettings::Items(b));
    const auto find = [](const QList<Item> &items, const QString &key) -> std::optional<Item> {
        for (const Item &item : items) {
            if (item.key == key)
                return item;
        }
        return std::nullopt;
    };
    QStringList keys;
    for (const QList<Item> *items : {&itemsA, &itemsB}) {
        for (const Item &item : *items) {
            if (!keys.contains(item.key))
                keys << item.key;
        }
    }

    QString text;
    QJsonArray differences;
    const QString absent = QStringLiteral("(none)");
    for (const QString &key : keys) {
        const std::optional<Item> ia = find(itemsA, key);
        const std::optional<Item> ib = find(itemsB, key);
        const QJsonValue ja = ia ? ia->json : QJsonValue();
        const QJsonValue jb = ib ? ib->json : QJsonValue();
        if (ja == jb)
            continue;
        text += key + QStringLiteral(": ") + (ia ? ia->display : absent) + QStringLiteral(" -> ")
                + (ib ? ib->display : absent) + QLatin1Char('\n');
        differences.append(
            QJsonObject{{QStringLiteral("name"), key}, {QStringLiteral("a"), ja}, {QStringLiteral("b"), jb}});
    }

    const int types = a.m_nFirmwareType | b.m_nFirmwareType;
    const int length = std::min(ImageLength(a), ImageLength(b));
    const quint8 *imageA = a.Image() + a.ImageBase();
    const quint8 *imageB = b.Image() + b.ImageBase();
    int comparedBytes = 0;
    int differingBytes = 0;
    for (int i = 0; i < length; ++i) {
        if (Firmware::IsInterpreted(i, types))
            continue;
        ++comparedBytes;
        if (imageA[i] != imageB[i])
            ++differingBytes;
    }

    const int exitCode = differences.isEmpty() && differingBytes == 0 ? kExitOk : kExitDifferent;
    if (parser.isSet(json)) {
        const QJsonObject result{
            {QStringLiteral("schema"), 1},
            {QStringLiteral("differences"), differences},
            {QStringLiteral("comparedBytes"), comparedBytes},
            {QStringLiteral("differingBytes"), differingBytes},
        };
        return session.Output(
            JsonText::Write(result, {QStringLiteral("schema"), QStringLiteral("differences"),
                                     QStringLiteral("differences.name"), QStringLiteral("differences.a"),
                                     QStringLiteral("differences.b"), QStringLiteral("comparedBytes"),
                                     QStringLiteral("differingBytes")}),
            exitCode);
    }
    text += QStringLiteral("Image bytes outside the settings that differ: %1 of %2\n")
                .arg(differingBytes)
                .arg(comparedBytes);
    return session.Output(text, exitCode);
}

int RunCommand(Session &session, const QStringList &arguments)
{
    const QString command = arguments.value(1);
    if (command == kInfo)
        return RunInfo(session, arguments);
    if (command == kWrite)
        return RunWrite(session, arguments);
    if (command == kDiff)
        return RunDiff(session, arguments);

    CommandLine line(session, QString());
    QCommandLineParser &parser = line.parser();
    parser.setApplicationDescription(
        QStringLiteral("Customises Norvale firmware images from the command line, as the Brindle wizard does.\n\n"
                       "Commands:\n"
                       "  info FILE [--json]          describe a firmware file\n"
                       "  write SOURCE TARGET --code XYZ [settings] [--settings PROFILE.json] [--force] [--dry-run]\n"
                       "                              write a customised copy\n"
                       "  diff A B [--json]           compare two firmware files\n"
                       "  help [COMMAND]              describe brindle-cli or one command\n\n"
                       "'brindle-cli COMMAND --help' describes a command and its options."));
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("info, write, diff or help."),
                                 QStringLiteral("command [arguments]"));
    const bool help = command == kHelp;
    if (const int code = line.parse(arguments, -1, kExitUsage, kAllExitCodes); code != kContinue)
        return code;
    if (help) {
        // "help COMMAND" is "COMMAND --help".
        const QStringList positional = parser.positionalArguments();
        if (positional.size() > 2) {
            return session.Fail(QString(), QStringLiteral("unexpected argument '%1'").arg(positional.at(2)), kExitUsage,
                                true);
        }
        const QString topic = positional.value(1);
        if (topic.isEmpty())
            return PrintHelp(session, parser, kAllExitCodes);
        if (topic != kInfo && topic != kWrite && topic != kDiff) {
            return session.Fail(QString(), QStringLiteral("unknown command '%1': use info, write or diff").arg(topic),
                                kExitUsage, true);
        }
        return RunCommand(session, {arguments.at(0), topic, QStringLiteral("--help")});
    }
    if (command.isEmpty())
        return session.Fail(QString(), QStringLiteral("no command given: use info, write or diff"), kExitUsage, true);
    return session.Fail(QString(), QStringLiteral("unknown command '%1': use info, write or diff").arg(command),
                        kExitUsage, true);
}

}  // namespace

int Run(const Invocation &invocation, IConsole &console)
{
    Session session(invocation, console);
    return RunCommand(session, invocation.arguments);
}

}  // namespace Cli
