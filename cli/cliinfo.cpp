#include "cliinfo.h"

#include "clicommon.h"
#include "clioutput.h"
#include "consoleui.h"
#include "firmware/firmwareformat.h"
#include "firmware/firmwarerecord.h"
#include "jsontext.h"

namespace Cli {

namespace {

const QString kInfoExitCodes =
    QStringLiteral("\nExit codes:\n"
                   "  0  done\n"
                   "  1  refused or failed\n"
                   "  2  usage error (options, values), or standard output could not be written\n");

void DeclareInfo(CommandLine &line)
{
    QCommandLineParser &parser = line.parser();
    parser.setApplicationDescription(line.help(QStringLiteral(
        "Describes a firmware file: the wizard's \"Firmware Settings\" summary, with the USB identity (QSOL) "
        "and the target directory prefix (QWEX, QJ4J), then how the file was recognised.")));
    parser.addPositionalArgument(kInfo, line.help(QStringLiteral("The command.")), kInfo);
    parser.addPositionalArgument(
        QStringLiteral("file"),
        line.help(QStringLiteral("A ROM image, BLD image or QUF upgrade file; - reads it from standard input.")));
    line.addOptions({JsonOption(
        line, QStringLiteral("Print one JSON object instead: the profile form that write --settings reads."))});
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
    constexpr bool kFileSummary = false;
    return SummaryText(record, kFileSummary) + QStringLiteral("File Kind: ") + RecognitionReason(record)
           + QLatin1Char('\n');
}

}  // namespace

int RunInfo(Session &session, const QStringList &arguments)
{
    CommandLine line(session, kInfo, arguments, DeclareInfo);
    session.SetJson(AsksForJson(arguments));
    if (const int code = line.parse(1, kExitUsage, kInfoExitCodes); code != kContinue)
        return code;

    CConsoleUi ui(session.console());
    ui.SetJson(session.json());
    CFirmwareRecord record(&ui);
    const QString file = line.parser().positionalArguments().at(1);
    ui.SetPath(file);
    if (!session.Load(record, ui, file))
        return kExitFailed;
    if (line.parser().isSet(kJson))
        return session.Output(JsonText::Write(CliSettings::InfoJson(record), CliSettings::InfoOrder(record)), kExitOk);
    return session.Output(InfoText(record), kExitOk);
}

}  // namespace Cli
