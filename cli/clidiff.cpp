#include "clidiff.h"

// Std
#include <algorithm>
#include <optional>

// Qt
#include <QJsonArray>
#include <QJsonObject>

#include "clicommon.h"
#include "clioutput.h"
#include "consoleui.h"
#include "firmware/firmwareformat.h"
#include "firmware/firmwarerecord.h"
#include "jsontext.h"

namespace Cli {

namespace {

using CliSettings::Item;

const QString kDiffExitCodes = QStringLiteral("\nExit codes:\n"
                                              "  0  the files are the same\n"
                                              "  1  the files differ\n"
                                              "  2  any error\n");

void DeclareDiff(CommandLine &line)
{
    QCommandLineParser &parser = line.parser();
    parser.setApplicationDescription(line.help(QStringLiteral(
        "Compares two firmware files of any kinds setting by setting (name: A value -> B value), and counts the "
        "image bytes outside the settings that differ, over the part of the image that both files have.")));
    parser.addPositionalArgument(kDiff, line.help(QStringLiteral("The command.")), kDiff);
    parser.addPositionalArgument(QStringLiteral("a"),
                                 line.help(QStringLiteral("The first firmware file; - reads it from standard input.")));
    parser.addPositionalArgument(
        QStringLiteral("b"), line.help(QStringLiteral("The second firmware file; - reads it from standard input.")));
    line.addOptions({JsonOption(line, QStringLiteral("Print one JSON object instead."))});
}

// The settings that differ, as lines and as JSON.
struct Differences {
    QString text;
    QJsonArray json;
};

// The items diff compares. The kind of file is not a setting: a ROM image and the same image as
// an upgrade file are the same firmware. The version number is part of the version text.
QList<Item> ComparedItems(const CFirmwareRecord &record)
{
    QList<Item> kept;
    for (const Item &item : CliSettings::Items(record)) {
        if (item.key != QLatin1String("fileKind") && item.key != QLatin1String("codeType")
            && item.key != QLatin1String("versionNumber"))
            kept << item;
    }
    return kept;
}

std::optional<Item> FindItem(const QList<Item> &items, const QString &key)
{
    for (const Item &item : items) {
        if (item.key == key)
            return item;
    }
    return std::nullopt;
}

// Every key of either file, in the order the first file names them, then those of the second.
QStringList KeysOfEither(const QList<Item> &itemsA, const QList<Item> &itemsB)
{
    QStringList keys;
    for (const QList<Item> *items : {&itemsA, &itemsB}) {
        for (const Item &item : *items) {
            if (!keys.contains(item.key))
                keys << item.key;
        }
    }
    return keys;
}

// "name: A value -> B value" for every setting that differs; "(none)" for one a file lacks.
Differences CompareSettings(const CFirmwareRecord &a, const CFirmwareRecord &b)
{
    const QList<Item> itemsA = ComparedItems(a);
    const QList<Item> itemsB = ComparedItems(b);
    Differences differences;
    const QString absent = QStringLiteral("(none)");
    for (const QString &key : KeysOfEither(itemsA, itemsB)) {
        const std::optional<Item> ia = FindItem(itemsA, key);
        const std::optional<Item> ib = FindItem(itemsB, key);
        const QJsonValue ja = ia ? ia->json : QJsonValue();
        const QJsonValue jb = ib ? ib->json : QJsonValue();
        if (ja == jb)
            continue;
        differences.text += key + QStringLiteral(": ") + (ia ? ia->display : absent) + QStringLiteral(" -> ")
                            + (ib ? ib->display : absent) + QLatin1Char('\n');
        differences.json.append(
            QJsonObject{{QStringLiteral("name"), key}, {QStringLiteral("a"), ja}, {QStringLiteral("b"), jb}});
    }
    return differences;
}

// The image bytes outside the settings of either file's firmware type, over the part of the
// image both files have.
struct ByteCount {
    int compared = 0;
    int differing = 0;
};

int ImageLength(const CFirmwareRecord &record)
{
    return record.m_nFileKind == Firmware::KindBld ? Firmware::kBldLength : Firmware::kRomLength;
}

ByteCount CompareBytes(const CFirmwareRecord &a, const CFirmwareRecord &b)
{
    const int types = a.m_nFirmwareType | b.m_nFirmwareType;
    const int length = std::min(ImageLength(a), ImageLength(b));
    const quint8 *imageA = a.Image() + a.ImageBase();
    const quint8 *imageB = b.Image() + b.ImageBase();
    ByteCount count;
    for (int i = 0; i < length; ++i) {
        if (Firmware::IsInterpreted(i, types))
            continue;
        ++count.compared;
        if (imageA[i] != imageB[i])
            ++count.differing;
    }
    return count;
}

QString DiffJson(const Differences &differences, const ByteCount &bytes)
{
    const QJsonObject result{
        {QStringLiteral("schema"), 1},
        {QStringLiteral("differences"), differences.json},
        {QStringLiteral("comparedBytes"), bytes.compared},
        {QStringLiteral("differingBytes"), bytes.differing},
    };
    return JsonText::Write(result,
                           {QStringLiteral("schema"), QStringLiteral("differences"), QStringLiteral("differences.name"),
                            QStringLiteral("differences.a"), QStringLiteral("differences.b"),
                            QStringLiteral("comparedBytes"), QStringLiteral("differingBytes")});
}

QString DiffText(const Differences &differences, const ByteCount &bytes)
{
    return differences.text
           + QStringLiteral("Image bytes outside the settings that differ: %1 of %2\n")
                 .arg(bytes.differing)
                 .arg(bytes.compared);
}

}  // namespace

int RunDiff(Session &session, const QStringList &arguments)
{
    CommandLine line(session, kDiff, arguments, DeclareDiff);
    session.SetJson(AsksForJson(arguments));
    if (const int code = line.parse(2, kExitDiffError, kDiffExitCodes); code != kContinue)
        return code;

    const QStringList positional = line.parser().positionalArguments();
    const QString fileA = positional.at(1);
    const QString fileB = positional.at(2);
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

    const Differences differences = CompareSettings(a, b);
    const ByteCount bytes = CompareBytes(a, b);
    const int exitCode = differences.json.isEmpty() && bytes.differing == 0 ? kExitOk : kExitDifferent;
    if (line.parser().isSet(kJson))
        return session.Output(DiffJson(differences, bytes), exitCode);
    return session.Output(DiffText(differences, bytes), exitCode);
}

}  // namespace Cli
