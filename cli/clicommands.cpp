#include "clicommands.h"

// Std
#include <cerrno>
#include <cstring>
#include <optional>

// Qt
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include "cliapply.h"
#include "clioptions.h"
#include "clioutput.h"
#include "cliprofile.h"
#include "clisettings.h"
#include "consoleui.h"
#include "fileerror.h"
#include "firmwareformat.h"
#include "firmwarerecord.h"
#include "jsontext.h"
#include "settingstext.h"

namespace Cli {

namespace {

using CliSettings::Item;

const QString kProgram = QStringLiteral("brindle-cli");
const QString kInfo = QStringLiteral("info");
const QString kWrite = QStringLiteral("write");
const QString kDiff = QStringLiteral("diff");

// parseCommand's result when the command should go on.
constexpr int kContinue = -1;

// The description texts use "\r\n" line breaks, as the wizard's clipboard does; a terminal
// wants "\n".
QString PlainLines(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// "brindle-cli write: message", with a pointer to the help when the command line itself is wrong.
int Fail(const QString &command, const QString &message, int exitCode, bool pointToHelp = false)
{
    const QString who = command.isEmpty() ? kProgram : kProgram + QLatin1Char(' ') + command;
    QString text = who + QStringLiteral(": ") + message + QLatin1Char('\n');
    if (pointToHelp)
        text += QStringLiteral("Try '%1 --help'.\n").arg(who);
    PrintErr(text);
    return exitCode;
}

// Prints a command's result. Output that cannot be written in full is an error: a script
// must not take a cut-off description for a whole one.
int Output(const QString &command, const QString &text, int exitCode)
{
    if (PrintOut(text))
        return exitCode;
    const int err = errno;
    const QString reason = err ? QString::fromLocal8Bit(std::strerror(err)) : QStringLiteral("write error");
    return Fail(command, QStringLiteral("cannot write to standard output: ") + reason, kExitUsage);
}

// The names given on the command line that cannot name a file unchanged.
QSet<QString> g_unencodable;

// A file name whose bytes were changed on the way in names another file: refused with the
// firmware core's text and caption.
bool NameSurvives(CConsoleUi &ui, const QString &path, bool target)
{
    if (!g_unencodable.contains(path))
        return true;
    ui.ShowMessage(FileError::Describe(FileError::Problem::BadName, path),
                   target ? QStringLiteral("Could not open destination file")
                          : QStringLiteral("Could not open source file"));
    return false;
}

// --version and --help go to standard output on every platform: QCommandLineParser's own
// showVersion() and showHelp() open a message box on Windows when no console is attached, so
// a pipe or a redirected file would get nothing.
int PrintVersion()
{
    PrintOut(QCoreApplication::applicationName() + QLatin1Char(' ') + QCoreApplication::applicationVersion()
             + QLatin1Char('\n'));
    return kExitOk;
}

int PrintHelp(const QCommandLineParser &parser)
{
    PrintOut(parser.helpText());
    return kExitOk;
}

// Adds the options every command has, parses and handles --help and --version (which end the
// program) and checks the number of arguments after the command word.
int ParseCommand(QCommandLineParser &parser, const QString &command, const QStringList &arguments,
                 qsizetype argumentCount, int usageExit)
{
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    if (!parser.parse(arguments))
        return Fail(command, parser.errorText(), usageExit, true);
    if (parser.isSet(version))
        return PrintVersion();
    if (parser.isSet(help))
        return PrintHelp(parser);
    const qsizetype given = parser.positionalArguments().size() - 1;  // after the command word
    if (given < argumentCount)
        return Fail(command, QStringLiteral("missing arguments"), usageExit, true);
    if (given > argumentCount) {
        return Fail(command,
                    QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().at(argumentCount + 1)),
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

// The "File Summary" text, then how the file was recognised.
QString InfoText(const CFirmwareRecord &record)
{
    using namespace SettingsText;
    constexpr bool kFileSummary = false;
    const SummaryTexts texts = Describe(SummaryValuesOf(record), kFileSummary);
    return PlainLines(CopyText(texts, kFileSummary)) + QStringLiteral("File Kind: ") + RecognitionReason(record)
           + QLatin1Char('\n');
}

int RunInfo(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Describes a firmware file: the wizard's \"Firmware Settings\" summary, with the USB identity (QSOL) "
        "and the target directory prefix (QWEX, QJ4J), then how the file was recognised."));
    parser.addPositionalArgument(kInfo, QStringLiteral("The command."), kInfo);
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A ROM image, BLD image or QUF upgrade file."));
    const QCommandLineOption json(
        QStringLiteral("json"),
        QStringLiteral("Print one JSON object instead: the profile form that write --settings reads."));
    parser.addOption(json);
    if (const int code = ParseCommand(parser, kInfo, arguments, 1, kExitUsage); code != kContinue)
        return code;

    CConsoleUi ui;
    CFirmwareRecord record(&ui);
    const QString file = parser.positionalArguments().at(1);
    if (!NameSurvives(ui, file, false) || record.LoadFirmware(file) != 1)
        return kExitFailed;
    if (parser.isSet(json))
        return Output(kInfo, JsonText::Write(CliSettings::InfoJson(record), CliSettings::InfoOrder(record)), kExitOk);
    return Output(kInfo, InfoText(record), kExitOk);
}

int RunWrite(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Loads SOURCE, applies the settings given (all others stay as decoded), puts the version code into the "
        "version text as the wizard does, and writes TARGET: a name ending in .ROM gives a ROM image, .QUF an "
        "upgrade file, anything else the kind of SOURCE. Prints the wizard's \"Firmware Modified\" text."));
    parser.addPositionalArgument(kWrite, QStringLiteral("The command."), kWrite);
    parser.addPositionalArgument(QStringLiteral("source"), QStringLiteral("The firmware file to customise."));
    parser.addPositionalArgument(QStringLiteral("target"), QStringLiteral("The file to write."));
    const QCommandLineOption codeOption(
        QStringLiteral("code"),
        QStringLiteral("Version code: exactly %1 letters or digits (required).").arg(Firmware::kVersionCodeLength),
        QStringLiteral("XYZ"));
    const QCommandLineOption profileOption(
        QStringLiteral("settings"),
        QStringLiteral("Apply a profile in the form info --json prints; absent keys change nothing, options win."),
        QStringLiteral("profile.json"));
    const QCommandLineOption forceOption(QStringLiteral("force"), QStringLiteral("Replace TARGET if it exists."));
    const QCommandLineOption dryRunOption(
        QStringLiteral("dry-run"),
        QStringLiteral("Write nothing; print the \"Summary of Firmware Customisations\" and one line per change."));
    parser.addOptions({codeOption, profileOption, forceOption, dryRunOption});
    const std::span<const CliSettings::SettingDef> settings = CliSettings::Settings();
    for (const CliSettings::SettingDef &def : settings) {
        parser.addOption(
            QCommandLineOption(QLatin1String(def.option), QLatin1String(def.help), QLatin1String(def.valueName)));
    }
    if (const int code = ParseCommand(parser, kWrite, arguments, 2, kExitUsage); code != kContinue)
        return code;
    const QString source = parser.positionalArguments().at(1);
    const QString target = parser.positionalArguments().at(2);
    const bool force = parser.isSet(forceOption);

    if (!parser.isSet(codeOption))
        return Fail(
            kWrite,
            QStringLiteral("--code is required: exactly %1 letters or digits").arg(Firmware::kVersionCodeLength),
            kExitUsage, true);
    QString versionCode;
    QString problem = CliSettings::ParseCode(QStringLiteral("--code"), parser.value(codeOption),
                                             Firmware::kVersionCodeLength, versionCode);
    if (!problem.isEmpty())
        return Fail(kWrite, problem, kExitUsage);

    CliSettings::Choices choices;
    if (parser.isSet(profileOption)) {
        problem = CliSettings::ReadProfile(parser.value(profileOption), choices);
        if (!problem.isEmpty())
            return Fail(kWrite, problem, kExitUsage);
    }
    for (std::size_t i = 0; i < settings.size(); ++i) {
        const QString option = QLatin1String(settings[i].option);
        if (!parser.isSet(option))
            continue;
        CliSettings::Choice choice;
        problem = CliSettings::ParseOption(settings[i], parser.value(option), choice);
        if (!problem.isEmpty())
            return Fail(kWrite, problem, kExitUsage);
        choices[i] = choice;  // the command line wins over the profile
    }

    CConsoleUi ui(force, target);
    CFirmwareRecord record(&ui);
    if (!NameSurvives(ui, source, false) || !NameSurvives(ui, target, true))
        return kExitFailed;
    if (record.LoadFirmware(source) != 1)
        return kExitFailed;
    problem = CliSettings::DropUnchanged(choices, record);
    if (!problem.isEmpty())
        return Fail(kWrite, problem, kExitUsage);
    problem = CliSettings::CheckApplies(choices, record);
    if (!problem.isEmpty())
        return Fail(kWrite, problem, kExitUsage);

    // The wizard's way from "Set Baud" to "Confirm Summary": the pages' values into the record,
    // then the version code merged into the version text.
    const QList<Item> before = CliSettings::Items(record);
    CliSettings::Apply(choices, record);
    CliSettings::SettleAsUartPage(record);
    record.m_strVersionCode = versionCode;
    record.m_strVersion = SettingsText::MergeVersionCode(record.m_strVersion, versionCode);

    // The wizard asks before it replaces a file; a script cannot answer, so without --force
    // the answer is No and the console says why.
    if (parser.isSet(dryRunOption)) {
        // Every check and question of the real run, without writing.
        if (record.WriteFirmware(target, CFirmwareRecord::WriteMode::Check) != 1)
            return kExitFailed;
        constexpr bool kConfirm = true;
        QString text = PlainLines(
            SettingsText::CopyText(SettingsText::Describe(SettingsText::SummaryValuesOf(record), kConfirm), kConfirm));
        QList<Item> after = CliSettings::Items(record);
        for (Item &item : after) {
            if (item.key == QLatin1String("fileKind")) {
                item.display = SettingsText::FileKindWord(CFirmwareRecord::KindForTarget(target, record.m_nFileKind));
                item.json = item.display;
            }
        }
        for (qsizetype i = 0; i < before.size() && i < after.size(); ++i) {
            if (before.at(i).json != after.at(i).json)
                text += after.at(i).key + QStringLiteral(": ") + before.at(i).display + QStringLiteral(" -> ")
                        + after.at(i).display + QLatin1Char('\n');
        }
        return Output(kWrite, text, kExitOk);
    }

    if (record.WriteFirmware(target) != 1)
        return kExitFailed;
    return Output(kWrite,
                  PlainLines(SettingsText::FinishText(record.m_nFileKind, record.m_strVersion, record.m_strSourceFile,
                                                      record.m_strTargetFile))
                      + QLatin1Char('\n'),
                  kExitOk);
}

// Bytes that loading or writing reads or changes for firmware of the given types; the rest is
// the firmware itself, which every write copies unchanged.
bool Interpreted(int imageOffset, int firmwareTypes)
{
    using namespace Firmware;
    // Version text, signature, code type and the parameter block up to the prefix.
    if (imageOffset >= kVersionText && imageOffset < kDirPrefix)
        return true;
    if ((firmwareTypes & kDirPrefixTypes) && imageOffset >= kDirPrefix && imageOffset < kDirPrefix + kDirPrefixSize)
        return true;
    if (firmwareTypes & kUsbSlaveTypes) {
        if (imageOffset >= kStringArea && imageOffset < kStringAreaEnd)
            return true;
        if (imageOffset == kDeviceDescriptor || (imageOffset >= kVendorId && imageOffset < kProductId + 2))
            return true;
    }
    return false;
}

int ImageLength(const CFirmwareRecord &record)
{
    return record.m_nFileKind == Firmware::KindBld ? Firmware::kBldLength : Firmware::kRomLength;
}

int RunDiff(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Compares two firmware files of any kinds setting by setting (name: A value -> B value), and counts the "
        "image bytes outside the settings that differ, over the part of the image that both files have. "
        "Exit code 0: the same; 1: different; 2: error."));
    parser.addPositionalArgument(kDiff, QStringLiteral("The command."), kDiff);
    parser.addPositionalArgument(QStringLiteral("a"), QStringLiteral("The first firmware file."));
    parser.addPositionalArgument(QStringLiteral("b"), QStringLiteral("The second firmware file."));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print one JSON object instead."));
    parser.addOption(json);
    if (const int code = ParseCommand(parser, kDiff, arguments, 2, kExitDiffError); code != kContinue)
        return code;

    CConsoleUi ui;
    CFirmwareRecord a(&ui);
    CFirmwareRecord b(&ui);
    const QString fileA = parser.positionalArguments().at(1);
    const QString fileB = parser.positionalArguments().at(2);
    if (!NameSurvives(ui, fileA, false) || a.LoadFirmware(fileA) != 1)
        return kExitDiffError;
    if (!NameSurvives(ui, fileB, false) || b.LoadFirmware(fileB) != 1)
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
        if (Interpreted(i, types))
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
        return Output(kDiff,
                      JsonText::Write(result, {QStringLiteral("schema"), QStringLiteral("differences"),
                                               QStringLiteral("differences.name"), QStringLiteral("differences.a"),
                                               QStringLiteral("differences.b"), QStringLiteral("comparedBytes"),
                                               QStringLiteral("differingBytes")}),
                      exitCode);
    }
    text += QStringLiteral("Image bytes outside the settings that differ: %1 of %2\n")
                .arg(differingBytes)
                .arg(comparedBytes);
    return Output(kDiff, text, exitCode);
}

}  // namespace

int Run(const QStringList &arguments, const QSet<QString> &unencodable)
{
    g_unencodable = unencodable;
    const QString command = arguments.value(1);
    if (command == kInfo)
        return RunInfo(arguments);
    if (command == kWrite)
        return RunWrite(arguments);
    if (command == kDiff)
        return RunDiff(arguments);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Customises Norvale firmware images from the command line, as the Brindle wizard does.\n\n"
                       "Commands:\n"
                       "  info FILE [--json]          describe a firmware file\n"
                       "  write SOURCE TARGET --code XYZ [settings] [--settings PROFILE.json] [--force] [--dry-run]\n"
                       "                              write a customised copy\n"
                       "  diff A B [--json]           compare two firmware files\n\n"
                       "'brindle-cli COMMAND --help' describes a command and its options."));
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("info, write or diff."),
                                 QStringLiteral("command [arguments]"));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    if (!parser.parse(arguments))
        return Fail(QString(), parser.errorText(), kExitUsage, true);
    if (parser.isSet(version))
        return PrintVersion();
    if (parser.isSet(help))
        return PrintHelp(parser);
    if (command.isEmpty())
        return Fail(QString(), QStringLiteral("no command given: use info, write or diff"), kExitUsage, true);
    return Fail(QString(), QStringLiteral("unknown command '%1': use info, write or diff").arg(command), kExitUsage,
                true);
}

}  // namespace Cli
