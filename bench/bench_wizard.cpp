// Start-up cost of the wizard: constructing CBrindleDlg and showing its first page, beside a
// bare QDialog of the same size in the same run. Also reports how much the resident set grows
// for each, measured in fresh child processes so that one does not profit from the other.

// Std
#include <cstdio>
#include <cstring>

// Qt
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <benchmark/benchmark.h>

#include "brindledlg.h"
#include "common/recorderlite.h"

namespace {

// Resident set size in KiB, from the kernel's status file; 0 where there is none.
long ResidentKiB(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

QSize WizardSize()
{
    static const QSize size = [] {
        SilentServices services;
        CBrindleDlg dlg(&services);
        return dlg.size();
    }();
    return size;
}

void BM_BareDialog(benchmark::State &state)
{
    const QSize size = WizardSize();
    for (auto _ : state) {
        QDialog dlg;
        dlg.setFixedSize(size);
        dlg.show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(dlg.winId());
    }
}
BENCHMARK(BM_BareDialog)->Unit(benchmark::kMillisecond);

void BM_Wizard(benchmark::State &state)
{
    SilentServices services;
    for (auto _ : state) {
        CBrindleDlg dlg(&services);
        dlg.show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(dlg.winId());
    }
}
BENCHMARK(BM_Wizard)->Unit(benchmark::kMillisecond);

// Child mode: build one window of the given kind and print the peak resident growth in KiB.
int MeasureOnce(const char *kind)
{
    const long before = ResidentKiB("VmRSS");
    {
        SilentServices services;
        if (std::strcmp(kind, "wizard") == 0) {
            CBrindleDlg dlg(&services);
            dlg.show();
            QCoreApplication::processEvents();
        } else {
            QDialog dlg;
            dlg.setFixedSize(QSize(480, 325));
            dlg.show();
            QCoreApplication::processEvents();
        }
    }
    const long peak = ResidentKiB("VmHWM");
    std::printf("%ld\n", peak - before);
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--measure") == 0)
        return MeasureOnce(argv[2]);

    // Memory: each kind in its own process.
    for (const char *kind : {"dialog", "wizard"}) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--measure"), QString::fromLatin1(kind)});
        child.waitForFinished(60000);
        std::printf("peak resident growth, %s: %s KiB\n", kind, child.readAllStandardOutput().trimmed().constData());
    }

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
