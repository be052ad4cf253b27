// `brindle-cli write` beside its floor: a bare Qt Core program that does the same durable save
// (temporary file, write, fsync, rename, fsync of the folder) of as many bytes. Each run is a
// fresh process; they run in turns in one scratch folder, so start-up and the file system count
// alike for both. Instructions are counted under callgrind (when valgrind is installed); wall
// time comes from plain runs.
//
// Budget: brindle-cli's instructions at most 1.05 times the floor's. Exits with 1 when over.
//
//   bench_cli [runs [counted runs]]   default 40 timed runs of each, 3 under callgrind

// Std
#include <algorithm>
#include <cstdio>
#include <string>

// Qt
#include <QCoreApplication>
#include <QTemporaryDir>

#include "common/imagebuilder.h"
#include "firmware/firmwareformat.h"
#include "processmeasure.h"

namespace {

constexpr double kBudget = 1.05;
constexpr int kDefaultRuns = 40;
constexpr int kDefaultCountedRuns = 3;
constexpr int kWarmUpRuns = 3;

}  // namespace

int main(int argc, char *argv[])
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRuns;
    const int counted = argc > 2 ? std::max(0, std::atoi(argv[2])) : kDefaultCountedRuns;
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 2;
    // A QSOL upgrade file written as a ROM image, replacing the last run's: the longest path
    // through loading and writing.
    const ImageBuilder source =
        ImageBuilder(ImageBuilder::Upgrade, "03.64QSOLF").setStrings({"Norvale", "Widget", "SN0001"});
    if (!source.writeTo(dir.filePath(QStringLiteral("source.quf"))))
        return 2;

    const std::string folder = dir.path().toStdString();
    const std::vector<Bench::Command> commands{
        {"bare durable save",
         BENCH_FLOOR_SAVE,
         {"source.quf", "floor.rom", std::to_string(Firmware::kRomLength)},
         {},
         folder},
        {"brindle-cli write",
         BRINDLE_CLI_PATH,
         {"write", "source.quf", "cli.rom", "--code", "B01", "--baud", "115200", "--vid", "1234", "--product", "Bench",
          "--force"},
         {},
         folder},
    };
    std::printf("one durable save of a %lld-byte image: %d timed runs of each in turns after %d warm-up rounds, "
                "%d under callgrind\n",
                static_cast<long long>(Firmware::kRomLength), runs, kWarmUpRuns, counted);
    std::fflush(stdout);
    std::vector<Bench::Figures> figures;
    if (!Bench::Measure(commands, kWarmUpRuns, runs, counted, figures))
        return 2;
    Bench::PrintFigures(commands, figures);

    const Bench::Figures &floor = figures[0];
    const Bench::Figures &cli = figures[1];
    const bool ok = Bench::JudgeInstructions("brindle-cli / bare save", cli, floor, kBudget);
    std::printf("wall time, brindle-cli / bare save (medians): %.2f\n", cli.medianMs / floor.medianMs);
    return ok ? 0 : 1;
}
