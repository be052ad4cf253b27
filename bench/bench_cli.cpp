// One `brindle-cli write` run beside a bare Qt Core program that only reads the same file and
// writes it out again. Both are started as fresh processes, in turns, so process start-up and
// the file system count alike for both. The budget: brindle-cli within 1.5 times the bare
// program (median of the runs). Exits with 1 when over budget.
//
//   bench_cli [runs]        the benchmark (default 40 runs of each)
//   bench_cli --bare IN OUT the bare program itself

// Std
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <vector>

// Qt
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "common/imagebuilder.h"

namespace {

constexpr double kBudget = 1.5;
constexpr int kDefaultRuns = 40;
constexpr int kWarmUpRuns = 3;
constexpr int kTimeoutMs = 30000;

// The bare program: a Qt Core application that reads a file whole and writes it whole.
int Bare(const QString &in, const QString &out)
{
    QFile source(in);
    if (!source.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray bytes = source.readAll();
    QFile target(out);
    if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 1;
    return target.write(bytes) == bytes.size() ? 0 : 1;
}

// Milliseconds from start to exit of one process; negative when it failed.
double TimeRun(const QString &program, const QStringList &args, const QString &folder)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(program, args);
    if (!process.waitForFinished(kTimeoutMs) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), process.readAllStandardError().constData());
        return -1;
    }
    return double(timer.nsecsElapsed()) / 1e6;
}

struct Stats {
    double median;
    double mean;
    double min;
};

Stats Summarise(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    const std::size_t n = ms.size();
    const double median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    return {median, std::accumulate(ms.begin(), ms.end(), 0.0) / double(n), ms.front()};
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 4 && args.at(1) == QLatin1String("--bare"))
        return Bare(args.at(2), args.at(3));

    const int runs = args.size() > 1 ? std::max(1, args.at(1).toInt()) : kDefaultRuns;
    QTemporaryDir dir;
    if (!dir.isValid())
        return 2;
    // A QSOL upgrade file written as a ROM image: the longest path through loading and writing.
    const ImageBuilder source =
        ImageBuilder(ImageBuilder::Upgrade, "03.64QSOLF").setStrings({"Norvale", "Widget", "SN0001"});
    if (!source.writeTo(dir.filePath(QStringLiteral("source.quf"))))
        return 2;

    const QString cli = QStringLiteral(BRINDLE_CLI_PATH);
    const QStringList cliArgs{"write",  "source.quf", "cli.rom", "--code",    "B01",   "--baud",
                              "115200", "--vid",      "1234",    "--product", "Bench", "--force"};
    const QString bare = QCoreApplication::applicationFilePath();
    const QStringList bareArgs{"--bare", "source.quf", "bare.rom"};

    std::vector<double> cliMs;
    std::vector<double> bareMs;
    for (int i = -kWarmUpRuns; i < runs; ++i) {
        const double c = TimeRun(cli, cliArgs, dir.path());
        const double b = TimeRun(bare, bareArgs, dir.path());
        if (c < 0 || b < 0)
            return 2;
        if (i >= 0) {
            cliMs.push_back(c);
            bareMs.push_back(b);
        }
    }

    const Stats c = Summarise(cliMs);
    const Stats b = Summarise(bareMs);
    const double ratio = c.median / b.median;
    std::printf("runs: %d of each, alternating, after %d warm-up runs\n", runs, kWarmUpRuns);
    std::printf("brindle-cli write       median %7.2f ms  mean %7.2f ms  min %7.2f ms\n", c.median, c.mean, c.min);
    std::printf("bare Qt Core read+write median %7.2f ms  mean %7.2f ms  min %7.2f ms\n", b.median, b.mean, b.min);
    std::printf("ratio of medians: %.2f (budget %.2f) %s\n", ratio, kBudget, ratio <= kBudget ? "ok" : "OVER BUDGET");
    return ratio <= kBudget ? 0 : 1;
}
