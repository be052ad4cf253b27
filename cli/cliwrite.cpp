#include "cliwrite.h"

// Std
#include <algorithm>
#include <array>
#include <optional>

// Qt
#include <QDir>
#include <QFileInfo>

#include "cliapply.h"
#include "clicommon.h"
#include "clioptions.h"
#include "clioutput.h"
#include "cliprofile.h"
#include "clisettings.h"
#include "cmdline/optionspelling.h"
#include "consoleui.h"
#include "firmware/filename.h"
#include "firmware/firmwareformat.h"
#include "firmware/firmwarerecord.h"
#include "firmware/firmwareui.h"
#include "firmware/layout.h"
#include "firmware/settingstext.h"

namespace Cli {

namespace {

using CliSettings::Item;

const QString kCode = QStringLiteral("code");
const QString kProfile = QStringLiteral("settings");
const QString kForce = QStringLiteral("force");
const QString kDryRun = QStringLiteral("dry-run");
const QString kLayout = QStringLiteral("layout");

const QString kWriteExitCodes =
    QStringLiteral("\nExit codes:\n"
                   "  0  done\n"
                   "  1  refused or failed: nothing was written\n"
                   "  2  usage error (options, values, profile), or standard output could not be written\n"
                   "  3  TARGET was written, but the report could not be written to standard output\n");

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

// The setting options a run declares. Its help lists every one; otherwise, when each option the
// command line names is one of write's own or a setting's, only the settings named: the parser
// and the spelling check then meet the same options as with all of them declared. A name that is
// neither (a misspelling, a value that begins with a dash, one dash before a long name) declares
// them all, so that it is judged and told as always.
std::array<bool, CliSettings::kSettingCount> SettingsToDeclare(const CommandLine &line)
{
    std::array<bool, CliSettings::kSettingCount> declare{};
    const auto all = [&declare] {
        declare.fill(true);
        return declare;
    };
    if (line.forHelp())
        return all();
    const std::span<const CliSettings::SettingDef> settings = CliSettings::Settings();
    const QStringList &arguments = line.arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        if (arg == QLatin1String("--"))
            break;  // only arguments follow
        const std::optional<OptionSpelling::OptionWord> word = OptionSpelling::AsOption(arg);
        if (!word)
            continue;
        if (!word->doubleDash) {
            if (arg.size() == 2 && (arg.at(1) == u'h' || arg.at(1) == u'v'))
                continue;
            return all();
        }
        const QStringView name = word->name;
        if (name == kCode || name == kProfile || name == kForce || name == kDryRun || name == kLayout
            || name == QLatin1String("help") || name == QLatin1String("version"))
            continue;
        const auto named = std::find_if(settings.begin(), settings.end(), [name](const CliSettings::SettingDef &def) {
            return name == QLatin1String(def.option);
        });
        if (named == settings.end())
            return all();
        declare[std::size_t(named - settings.begin())] = true;
    }
    return declare;
}

void DeclareWrite(CommandLine &line)
{
    QCommandLineParser &parser = line.parser();
    parser.setApplicationDescription(line.help(QStringLiteral(
        "Loads SOURCE, applies the settings given (all others stay as decoded), puts the version code into the "
        "version text as the wizard does, and writes TARGET: a name ending in .ROM gives a ROM image, .QUF an "
        "upgrade file, anything else the kind of SOURCE. Prints the wizard's \"Firmware Modified\" text.")));
    parser.addPositionalArgument(kWrite, line.help(QStringLiteral("The command.")), kWrite);
    parser.addPositionalArgument(
        QStringLiteral("source"),
        line.help(QStringLiteral("The firmware file to customise; - reads it from standard input.")));
    parser.addPositionalArgument(
        QStringLiteral("target"),
        line.help(QStringLiteral("The file to write; in a folder, the file of SOURCE's name there; - writes the "
                                 "image to standard output, in the layout --layout names.")));
    const QString codeHelp =
        line.forHelp()
            ? QStringLiteral("Version code: exactly %1 characters A-Z or 0-9, small letters made capitals (required).")
                  .arg(Firmware::kVersionCodeLength)
            : QString();
    line.addOptions({
        QCommandLineOption(kCode, codeHelp, QStringLiteral("XYZ")),
        QCommandLineOption(kProfile,
                           line.help(QStringLiteral("Apply a profile in the form info --json prints (- reads it from "
                                                    "standard input); absent keys change nothing, options win.")),
                           QStringLiteral("profile.json")),
        QCommandLineOption(kForce, line.help(QStringLiteral("Replace TARGET if it exists."))),
        QCommandLineOption(kDryRun, line.help(QStringLiteral("Write nothing; print the \"Summary of Firmware "
                                                             "Customisations\" and one line per change."))),
        QCommandLineOption(kLayout,
                           line.help(QStringLiteral("The layout of the image written to standard output (TARGET -, "
                                                    "and only then; required there): rom, quf, or bld for a BLD "
                                                    "image kept as one.")),
                           QStringLiteral("rom|quf|bld")),
    });
    const std::span<const CliSettings::SettingDef> settings = CliSettings::Settings();
    const std::array<bool, CliSettings::kSettingCount> declared = SettingsToDeclare(line);
    QList<QCommandLineOption> options;
    for (std::size_t i = 0; i < settings.size(); ++i) {
        if (!declared[i])
            continue;
        options << QCommandLineOption(QLatin1String(settings[i].option),
                                      line.forHelp() ? QString(QLatin1String(settings[i].help)) : QString(),
                                      QLatin1String(settings[i].valueName));
    }
    line.addOptions(options);
}

// What the command line asks write to do, read and checked before any file is opened.
struct WriteRequest {
    QString source;
    QString target;
    bool force = false;
    bool toStandardOutput = false;  // TARGET -
    bool dryRun = false;
    QString versionCode;
    const LayoutWord *layout = nullptr;  // --layout, for TARGET - only
    CliSettings::Choices choices;
    std::optional<CliSettings::Choice> string3;  // a profile's usb.string3, which only may repeat the file's
};

std::optional<QString> ReadCode(const QCommandLineParser &parser, WriteRequest &request)
{
    return CliSettings::ParseCode(QStringLiteral("--code"), parser.value(kCode), Firmware::kVersionCodeLength,
                                  request.versionCode);
}

// Standard output has no name to take the layout from; a file has.
int ReadLayout(Session &session, const QCommandLineParser &parser, WriteRequest &request)
{
    const bool given = parser.isSet(kLayout);
    if (request.toStandardOutput && !given)
        return session.Fail(kWrite, QStringLiteral("--layout is required when TARGET is -: rom, quf or bld"),
                            kExitUsage, true);
    if (!given)
        return kContinue;
    if (!request.toStandardOutput)
        return session.Fail(kWrite, QStringLiteral("--layout: only for TARGET -; a file's name decides its layout"),
                            kExitUsage);
    const QString word = parser.value(kLayout).trimmed();
    for (const LayoutWord &l : kLayouts) {
        if (word == QLatin1String(l.word))
            request.layout = &l;
    }
    if (!request.layout)
        return session.Fail(kWrite,
                            QStringLiteral("--layout: %1 is not one of rom, quf, bld").arg(CliSettings::Quote(word)),
                            kExitUsage);
    return kContinue;
}

// The profile's values, then the options', which win over them.
int ReadChoices(Session &session, const QCommandLineParser &parser, WriteRequest &request)
{
    if (parser.isSet(kProfile)) {
        if (const std::optional<QString> problem =
                CliSettings::ReadProfile(session.console(), parser.value(kProfile), request.choices, request.string3))
            return session.Fail(kWrite, *problem, kExitUsage);
    }
    const QStringList given = parser.optionNames();
    const std::span<const CliSettings::SettingDef> settings = CliSettings::Settings();
    for (std::size_t i = 0; i < settings.size(); ++i) {
        const QLatin1String option(settings[i].option);
        if (!given.contains(option))
            continue;
        CliSettings::Choice choice;
        if (const std::optional<QString> problem = CliSettings::ParseOption(settings[i], parser.value(option), choice))
            return session.Fail(kWrite, *problem, kExitUsage);
        request.choices[i] = choice;
    }
    return kContinue;
}

int ReadRequest(Session &session, const QCommandLineParser &parser, WriteRequest &request)
{
    const QStringList positional = parser.positionalArguments();
    request.source = positional.at(1);
    request.target = positional.at(2);
    request.force = parser.isSet(kForce);
    request.toStandardOutput = request.target == kStandardStream;
    request.dryRun = parser.isSet(kDryRun);

    if (!parser.isSet(kCode))
        return session.Fail(
            kWrite,
            QStringLiteral("--code is required: exactly %1 characters A-Z or 0-9").arg(Firmware::kVersionCodeLength),
            kExitUsage, true);
    if (const std::optional<QString> problem = ReadCode(parser, request))
        return session.Fail(kWrite, *problem, kExitUsage);
    if (const int code = ReadLayout(session, parser, request); code != kContinue)
        return code;
    if (request.source == kStandardStream && parser.value(kProfile) == kStandardStream)
        return session.Fail(kWrite, QStringLiteral("--settings: standard input already holds SOURCE"), kExitUsage);
    return ReadChoices(session, parser, request);
}

// A folder as TARGET takes the file under SOURCE's name, as cp does.
QString TargetFile(const WriteRequest &request, bool intoFolder)
{
    if (intoFolder && request.source != kStandardStream)
        return QDir(request.target).filePath(FileName::LastPart(request.source));
    return request.target;
}

// Whether TARGET can be written at all, before SOURCE is read: said through `ui` when not.
bool TargetUsable(Session &session, CConsoleUi &ui, const WriteRequest &request, bool intoFolder)
{
    if (!session.NameSurvives(ui, request.target, true))
        return false;
    if (intoFolder && request.source == kStandardStream) {
        ui.ShowMessage(QStringLiteral("%1 is a folder, and standard input has no name to give the file in it.")
                           .arg(request.target),
                       IFirmwareUi::kCaptionOpenTarget);
        return false;
    }
    if (request.toStandardOutput && session.console().IsTerminal(IConsole::Stream::Out)) {
        ui.ShowMessage(QStringLiteral("Standard output is a terminal: send the image to a file with > FILE or "
                                      "into a pipe."),
                       IFirmwareUi::kCaptionOpenTarget);
        return false;
    }
    return true;
}

// Whether the choices suit the loaded file: each changes something it has, and the layout asked
// for can be made from it.
std::optional<QString> CheckAgainstSource(WriteRequest &request, const CFirmwareRecord &record)
{
    std::optional<QString> problem = CliSettings::DropUnchanged(request.choices, record);
    if (!problem && request.string3 && request.string3->given != record.m_strString3)
        problem = request.string3->origin + QStringLiteral(": ") + request.string3->problem.value_or(QString());
    if (problem)
        return problem;
    if (std::optional<QString> misfit = CliSettings::CheckApplies(request.choices, record))
        return misfit;
    // Nothing turns another kind of image into a BLD image.
    if (request.layout && request.layout->kind == Firmware::KindBld && record.m_nFileKind != Firmware::KindBld) {
        return QStringLiteral("--layout bld: SOURCE is a %1 image; only a BLD image is written as one")
            .arg(SettingsText::FileKindWord(record.m_nFileKind));
    }
    return std::nullopt;
}

// The wizard's way from "Set Baud" to "Confirm Summary": the pages' values into the record,
// then the version code merged into the version text. Every value is one the pages' lists
// offer: the options and profiles take no other, and loading decodes no other.
void ApplyRequest(const WriteRequest &request, CFirmwareRecord &record)
{
    CliSettings::Apply(request.choices, record);
    record.m_strVersionCode = request.versionCode;
    record.m_strVersion = SettingsText::MergeVersionCode(record.m_strVersion, request.versionCode);
}

// The dry run's report: the "Summary of Firmware Customisations", then one line per value
// that changes, the file's kind as the one written.
QString DryRunText(const CFirmwareRecord &record, const QList<Item> &before, int targetKind)
{
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
    return text;
}

// The wizard's "Firmware Modified" text, the version text and the names escaped.
QString FinishReport(const CFirmwareRecord &record)
{
    const auto escaped = [](QStringView text) { return Escaped(text.toString()); };
    return SettingsText::WithLineFeeds(SettingsText::FinishText(
               record.m_nFileKind, record.m_strVersion, record.m_strSourceFile, record.m_strTargetFile, escaped))
           + QLatin1Char('\n');
}

}  // namespace

int RunWrite(Session &session, const QStringList &arguments)
{
    CommandLine line(session, kWrite, arguments, DeclareWrite);
    if (const int code = line.parse(2, kExitUsage, kWriteExitCodes); code != kContinue)
        return code;
    WriteRequest request;
    if (const int code = ReadRequest(session, line.parser(), request); code != kContinue)
        return code;

    const bool intoFolder = !request.toStandardOutput && QFileInfo(request.target).isDir();
    const QString targetFile = TargetFile(request, intoFolder);
    CConsoleUi ui(session.console(), request.force, targetFile);
    CFirmwareRecord record(&ui);
    if (!TargetUsable(session, ui, request, intoFolder) || !session.Load(record, ui, request.source))
        return kExitFailed;
    if (const std::optional<QString> problem = CheckAgainstSource(request, record))
        return session.Fail(kWrite, *problem, kExitUsage);
    const int targetKind =
        request.layout ? request.layout->kind : Layout::KindForName(FileName::AsSaved(targetFile), record.m_nFileKind);

    // Only the dry run compares the values before and after.
    const QList<Item> before = request.dryRun ? CliSettings::Items(record) : QList<Item>();
    ApplyRequest(request, record);

    // The wizard asks before it replaces a file; a script cannot answer, so without --force
    // the answer is No and the console says why.
    const CFirmwareRecord::WriteMode mode =
        request.dryRun ? CFirmwareRecord::WriteMode::Check : CFirmwareRecord::WriteMode::Save;
    QByteArray image;
    const Firmware::FileResult written = request.toStandardOutput
                                             ? record.WriteFirmwareData(targetKind, kStandardStream, image, mode)
                                             : record.WriteFirmware(targetFile, mode);
    // Written but not known to be on disk, or with a temporary file left: told, and a failure.
    if (written != Firmware::FileResult::Done || record.WriteHadProblem())
        return kExitFailed;
    // Every check and question of the real run were made, without writing.
    if (request.dryRun)
        return session.Output(DryRunText(record, before, targetKind), kExitOk);
    // The image is the output: it goes as it is, and nothing else goes with it.
    if (request.toStandardOutput) {
        if (const std::optional<QString> failure = session.console().WriteOut(image))
            return session.Fail(QString(), *failure, kExitFailed);
        return kExitOk;
    }
    return session.Output(FinishReport(record), kExitOk, kExitReportLost);
}

}  // namespace Cli
