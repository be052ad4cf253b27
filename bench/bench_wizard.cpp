// Start-up of the wizard beside a bare QDialog of the same size. Each run is a fresh process
// that starts the application, builds its window, shows it, waits until it is on screen and
// exits; the two kinds run in turns. Budgets: the wizard within 1.5 times the bare dialog's
// time (medians), and its peak resident memory within 8 MiB of the bare dialog's. Exits with 1
// when over budget.
//
//   bench_wizard [runs]            the benchmark (default 30 runs of each)
//   bench_wizard --child KIND      one run; KIND is "wizard" or "dialog"; prints peak KiB

// Std
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

// Qt
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QWindow>

#include "common/recorderlite.h"
#include "controls/dialogtemplate.h"
#include "resources/resourceids.h"
#include "wizard/brindledlg.h"

namespace {

constexpr double kTimeBudget = 1.5;
constexpr long kMemoryBudgetKiB = 8 * 1024;
constexpr int kDefaultRuns = 30;
constexpr int kWarmUpRuns = 3;
constexpr int kTimeoutMs = 30000;

// Peak resident set size in KiB, from the kernel's status file; 0 where there is none.
long PeakResidentKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

void WaitUntilExposed(QWidget *w)
{
    QElapsedTimer timer;
    timer.start();
    while (!(w->windowHandle() && w->windowHandle()->isExposed()) && timer.elapsed() < kTimeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::processEvents();
}

int Child(int argc, char **argv, const char *kind)
{
    QApplication app(argc, argv);
    SilentServices services;
    if (std::strcmp(kind, "wizard") == 0) {
        CBrindleDlg dlg(&services);
        dlg.show();
        WaitUntilExposed(&dlg);
    } else {
        QDialog dlg;
        const DialogTemplate *tpl = FindDialogTemplate(IDD_BRINDLE_DIALOG);
        dlg.setFixedSize(CDialogBuilder::ToPixels(QSize(tpl->w, tpl->h), CDialogBuilder::BaseUnits(dlg.font())));
        dlg.show();
        WaitUntilExposed(&dlg);
    }
    std::printf("%ld\n", PeakResidentKiB());
    return 0;
}

struct Run {
    double ms = -1;
    long peakKiB = 0;
};

Run RunChild(const QString &kind)
{
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), kind});
    Run run;
    if (!process.waitForFinished(kTimeoutMs) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        std::fprintf(stderr, "%s run failed: %s\n", qPrintable(kind), process.readAllStandardError().constData());
        return run;
    }
    run.ms = double(timer.nsecsElapsed()) / 1e6;
    run.peakKiB = process.readAllStandardOutput().trimmed().toLong();
    return run;
}

template <class T>
T Median(std::vector<T> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0)
        return Child(argc, argv, argv[2]);

    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : kDefaultRuns;
    for (int i = 0; i < kWarmUpRuns; ++i) {
        RunChild(QStringLiteral("dialog"));
        RunChild(QStringLiteral("wizard"));
    }
    std::vector<double> dialogMs, wizardMs;
    std::vector<long> dialogKiB, wizardKiB;
    for (int i = 0; i < runs; ++i) {
        const Run d = RunChild(QStringLiteral("dialog"));
        const Run w = RunChild(QStringLiteral("wizard"));
        if (d.ms < 0 || w.ms < 0)
            return 1;
        dialogMs.push_back(d.ms);
        wizardMs.push_back(w.ms);
        dialogKiB.push_back(d.peakKiB);
        wizardKiB.push_back(w.peakKiB);
    }

    const double dMs = Median(dialogMs), wMs = Median(wizardMs);
    const long dKiB = Median(dialogKiB), wKiB = Median(wizardKiB);
    const double ratio = wMs / dMs;
    const long extraKiB = wKiB - dKiB;
    const bool timeOk = ratio <= kTimeBudget;
    const bool memoryOk = extraKiB <= kMemoryBudgetKiB;
    std::printf("runs: %d of each, alternating, after %d warm-up runs (platform %s)\n", runs, kWarmUpRuns,
                qgetenv("QT_QPA_PLATFORM").constData());
    std::printf("bare QDialog   start to shown: median %7.2f ms   peak resident %6ld KiB\n", dMs, dKiB);
    std::printf("CBrindleDlg    start to shown: median %7.2f ms   peak resident %6ld KiB\n", wMs, wKiB);
    std::printf("time ratio of medians: %.2f (budget %.2f) %s\n", ratio, kTimeBudget, timeOk ? "ok" : "OVER");
    std::printf("extra peak memory: %.2f MiB (budget %.2f MiB) %s\n", extraKiB / 1024.0, kMemoryBudgetKiB / 1024.0,
                memoryOk ? "ok" : "OVER");
    return timeOk && memoryOk ? 0 : 1;
}
