// Loading and writing times for each kind of firmware file, checked against their budgets,
// and a count of allocations that proves one image buffer per record and none for conversions.
//
//   bench_firmware [benchmark options]
//
// Exits with 1 when a budget or the buffer check fails.
//
// Budgets (median of the repetitions):
//   LoadDecode/*      open, read and decode a file              under 50 us
//   EncodeConvert/*   encode the record and convert its layout  under 20 us
// EncodeConvert runs WriteFirmware against a folder that does not exist, so it also pays for
// the existence checks and the failed open: an upper bound. Convert/* is the layout change
// alone. EncodeConvertWrite/* writes the file for real and is reported without a budget, as
// it mostly measures the file system.

// Std
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <new>
#include <string>
#include <vector>

// Qt
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "common/imagebuilder.h"
#include "common/uirecorder.h"
#include "firmware/firmwareformat.h"
#include "firmware/firmwarerecord.h"
#include "firmware/layout.h"

using namespace Firmware;

// ---- allocation counting (this binary only) -------------------------------------------

namespace {

// Blocks at least this large are image-sized; the record may own exactly one of them.
constexpr std::size_t kLargeBlock = kBldLength;
constexpr int kMaxLargeBlocks = 64;

std::atomic<long> g_allocations{0};
std::atomic<long> g_largeAllocations{0};
std::atomic<long> g_bufferAllocations{0};  // exactly kBufferSize bytes
void *g_largeLive[kMaxLargeBlocks];
std::atomic<int> g_largeLiveCount{0};

void *Allocate(std::size_t n) noexcept
{
    void *p = std::malloc(n ? n : 1);
    if (!p)
        return nullptr;
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (n == std::size_t(kBufferSize))
        g_bufferAllocations.fetch_add(1, std::memory_order_relaxed);
    if (n >= kLargeBlock) {
        g_largeAllocations.fetch_add(1, std::memory_order_relaxed);
        for (void *&slot : g_largeLive) {
            if (!slot) {
                slot = p;
                g_largeLiveCount.fetch_add(1, std::memory_order_relaxed);
                break;
            }
        }
    }
    return p;
}

void Release(void *p) noexcept
{
    if (!p)
        return;
    for (void *&slot : g_largeLive) {
        if (slot == p) {
            slot = nullptr;
            g_largeLiveCount.fetch_sub(1, std::memory_order_relaxed);
            break;
        }
    }
    std::free(p);
}

}  // namespace

void *operator new(std::size_t n)
{
    if (void *p = Allocate(n))
        return p;
    throw std::bad_alloc();
}
void *operator new[](std::size_t n)
{
    if (void *p = Allocate(n))
        return p;
    throw std::bad_alloc();
}
void *operator new(std::size_t n, const std::nothrow_t &) noexcept
{
    return Allocate(n);
}
void *operator new[](std::size_t n, const std::nothrow_t &) noexcept
{
    return Allocate(n);
}
void operator delete(void *p) noexcept
{
    Release(p);
}
void operator delete[](void *p) noexcept
{
    Release(p);
}
void operator delete(void *p, std::size_t) noexcept
{
    Release(p);
}
void operator delete[](void *p, std::size_t) noexcept
{
    Release(p);
}
void operator delete(void *p, const std::nothrow_t &) noexcept
{
    Release(p);
}
void operator delete[](void *p, const std::nothrow_t &) noexcept
{
    Release(p);
}

namespace {

struct Counts {
    long all = g_allocations.load();
    long large = g_largeAllocations.load();
    long buffers = g_bufferAllocations.load();
    int live = g_largeLiveCount.load();
};

// ---- fixtures -------------------------------------------------------------------------

struct Source {
    const char *name;
    ImageBuilder::Kind kind;
    int fileKind;
};
constexpr Source kSources[] = {
    {"ROM", ImageBuilder::Rom, KindRom},
    {"BLD", ImageBuilder::Bld, KindBld},
    {"QUF", ImageBuilder::Upgrade, KindUpgrade},
};

struct Target {
    const char *name;
    const char *fileName;
};
constexpr Target kTargets[] = {
    {"ROM", "out.rom"},
    {"QUF", "out.quf"},
    {"same", "out.bin"},
};

// A QSOL image with strings and IDs, so decoding and encoding do all their work.
QByteArray FixtureBytes(ImageBuilder::Kind kind)
{
    ImageBuilder b(kind, "03.66-ABCQSOLA");
    b.setDivisor(26).setLine(0x1D).setFlow(0x02).setInit(0x83).setOption(0xCF);
    b.setDeviceDescriptor(0x12, 0x0403, 0x6001).setStrings({"Norvale", "USB Host Adapter", "0001"});
    return b.build();
}

QTemporaryDir &Workspace()
{
    static QTemporaryDir dir;
    return dir;
}

QString SourcePath(const Source &s)
{
    return Workspace().filePath(QStringLiteral("source-%1.img").arg(QLatin1String(s.name)));
}

bool WriteSources()
{
    if (!Workspace().isValid())
        return false;
    for (const Source &s : kSources) {
        if (!ImageBuilder::WriteFile(SourcePath(s), FixtureBytes(s.kind)))
            return false;
    }
    return QDir().mkpath(Workspace().filePath(QStringLiteral("out")));
}

// A record loaded from `source` through a silent recorder that answers Yes; when loading fails
// the benchmark is skipped and `ok` is false.
struct LoadedRecord {
    LoadedRecord(benchmark::State &state, Source source) : rec(&ui)
    {
        ok = rec.LoadFirmware(SourcePath(source)) == Firmware::FileResult::Done;
        if (!ok)
            state.SkipWithError("load failed");
        kind = rec.m_nFileKind;
        length = rec.m_nFileLength;
    }
    // Puts back the layout it was loaded with, which converting or writing changes.
    void RestoreLayout()
    {
        rec.m_nFileKind = kind;
        rec.m_nFileLength = length;
    }

    UiRecorder ui{UiRecorder::Silent};
    CFirmwareRecord rec;
    bool ok = false;
    int kind = 0;
    int length = 0;
};

// ---- benchmarks -----------------------------------------------------------------------

void LoadDecode(benchmark::State &state, Source source)
{
    UiRecorder ui(UiRecorder::Silent);  // answers Yes, keeps no records
    CFirmwareRecord rec(&ui);
    const QString path = SourcePath(source);
    for (auto _ : state) {
        rec.m_strSourceFile.clear();  // otherwise the second load is skipped as "already loaded"
        if (rec.LoadFirmware(path) != Firmware::FileResult::Done) {
            state.SkipWithError("load failed");
            break;
        }
        benchmark::DoNotOptimize(rec.m_nBaudRate);
    }
}

// Encodes and converts `source` for `target` in every iteration. The layout the conversion
// leaves is put back by resetting the kind and length, so each pass does the same work.
void Encode(benchmark::State &state, Source source, Target target, bool reallyWrite)
{
    LoadedRecord loaded(state, source);
    if (!loaded.ok)
        return;
    CFirmwareRecord &rec = loaded.rec;
    const QString folder = reallyWrite ? QStringLiteral("out") : QStringLiteral("no such folder");
    const QString path = QDir(Workspace().filePath(folder)).filePath(QLatin1String(target.fileName));
    const Firmware::FileResult expected = reallyWrite ? Firmware::FileResult::Done : Firmware::FileResult::Refused;
    for (auto _ : state) {
        loaded.RestoreLayout();
        rec.m_nBaudRate = 115200;
        rec.m_strManufacturer = QStringLiteral("Norvale");
        if (rec.WriteFirmware(path) != expected) {
            state.SkipWithError("unexpected write result");
            break;
        }
        benchmark::DoNotOptimize(rec.Image());
    }
}

// The layout conversion alone, without encoding or any file access.
void Convert(benchmark::State &state, Source source, bool toUpgrade)
{
    LoadedRecord loaded(state, source);
    if (!loaded.ok)
        return;
    std::vector<quint8> buffer(loaded.rec.Image(), loaded.rec.Image() + Firmware::kBufferSize);
    const QString version = loaded.rec.m_strVersion;
    for (auto _ : state) {
        Layout::Buffer b{buffer.data(), loaded.kind, loaded.length};
        Layout::ConvertTo(b, toUpgrade ? Firmware::KindUpgrade : Firmware::KindRom, version);
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
}

void RegisterBenchmarks()
{
    for (const Source &s : kSources) {
        benchmark::RegisterBenchmark((std::string("LoadDecode/") + s.name).c_str(), LoadDecode, s)
            ->Unit(benchmark::kMicrosecond);
    }
    for (const Source &s : kSources) {
        for (const bool toUpgrade : {false, true}) {
            const std::string name = std::string("Convert/") + s.name + (toUpgrade ? "->QUF" : "->ROM");
            benchmark::RegisterBenchmark(name.c_str(), Convert, s, toUpgrade)->Unit(benchmark::kMicrosecond);
        }
    }
    for (const bool reallyWrite : {false, true}) {
        for (const Source &s : kSources) {
            for (const Target &t : kTargets) {
                const std::string name =
                    std::string(reallyWrite ? "EncodeConvertWrite/" : "EncodeConvert/") + s.name + "->" + t.name;
                benchmark::RegisterBenchmark(name.c_str(), Encode, s, t, reallyWrite)->Unit(benchmark::kMicrosecond);
            }
        }
    }
}

// ---- buffer check ---------------------------------------------------------------------

bool CheckBuffers()
{
    bool ok = true;
    const auto expect = [&ok](bool condition, const char *what, long value) {
        std::printf("  %-58s %ld%s\n", what, value, condition ? "" : "   <-- FAILED");
        ok = ok && condition;
    };

    std::printf("Buffer check\n");
    UiRecorder ui(UiRecorder::Silent);  // answers Yes, keeps no records
    for (const Source &s : kSources) {
        std::printf(" %s\n", s.name);
        CFirmwareRecord rec(&ui);
        const Counts before;
        const bool loaded = rec.LoadFirmware(SourcePath(s)) == Firmware::FileResult::Done;
        const Counts afterLoad;
        expect(loaded, "load result 1", loaded ? 1 : 0);
        expect(afterLoad.buffers - before.buffers == 1, "66048-byte buffers allocated by the first load",
               afterLoad.buffers - before.buffers);
        expect(afterLoad.large - before.large == 1, "image-sized blocks allocated by the first load",
               afterLoad.large - before.large);

        // A second load replaces the buffer: one allocated, the old one freed.
        rec.m_strSourceFile.clear();
        rec.LoadFirmware(SourcePath(s));
        const Counts afterReload;
        expect(afterReload.large - afterLoad.large == 1, "image-sized blocks allocated by a second load",
               afterReload.large - afterLoad.large);
        expect(afterReload.live - before.live == 1, "image-sized blocks alive after the second load",
               afterReload.live - before.live);

        std::vector<quint8> buffer(rec.Image(), rec.Image() + Firmware::kBufferSize);
        const Counts beforeConvert;
        Layout::Buffer b{buffer.data(), rec.m_nFileKind, rec.m_nFileLength};
        Layout::ConvertTo(b, Firmware::KindUpgrade, rec.m_strVersion);
        Layout::ConvertTo(b, Firmware::KindRom, rec.m_strVersion);
        Layout::ConvertTo(b, Firmware::KindUpgrade, rec.m_strVersion);
        const Counts afterConvert;
        expect(afterConvert.all == beforeConvert.all, "allocations of any size by three conversions",
               afterConvert.all - beforeConvert.all);

        for (const Target &t : kTargets) {
            const Counts beforeWrite;
            const QString path = QDir(Workspace().filePath(QStringLiteral("out"))).filePath(QLatin1String(t.fileName));
            const bool written = rec.WriteFirmware(path) == Firmware::FileResult::Done;
            const Counts afterWrite;
            // A save converts in one copy of the buffer, which becomes the record's once the file
            // is on disk, and the old buffer goes: one block made, none more alive.
            const std::string what = std::string("image-sized blocks allocated writing ") + t.fileName;
            expect(written && afterWrite.large - beforeWrite.large == 1, what.c_str(),
                   afterWrite.large - beforeWrite.large);
            const std::string alive = std::string("image-sized blocks alive after writing ") + t.fileName;
            expect(afterWrite.live == beforeWrite.live, alive.c_str(), afterWrite.live - beforeWrite.live);
        }
    }
    const Counts end;
    expect(end.live == 0, "image-sized blocks alive after the records are gone", end.live);
    std::printf("\n");
    return ok;
}

// ---- budgets --------------------------------------------------------------------------

struct Budget {
    const char *prefix;
    double microseconds;
};
constexpr Budget kBudgets[] = {
    {"LoadDecode/", 50.0},
    {"EncodeConvert/", 20.0},
};

// Passes everything to the console and keeps each benchmark's real times per iteration.
class BudgetReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
                continue;
            const double us = run.GetAdjustedRealTime() * benchmark::GetTimeUnitMultiplier(run.time_unit)
                              / benchmark::GetTimeUnitMultiplier(benchmark::kMicrosecond);
            m_times[run.run_name.str()].push_back(us);
        }
        for (const Run &run : runs) {
            if (run.error_occurred)
                m_errors = true;
        }
    }

    bool CheckBudgets() const
    {
        bool ok = !m_errors;
        std::printf("\nBudgets (median real time per iteration)\n");
        for (const auto &[name, samples] : m_times) {
            for (const Budget &b : kBudgets) {
                if (name.rfind(b.prefix, 0) != 0)
                    continue;
                std::vector<double> sorted = samples;
                std::sort(sorted.begin(), sorted.end());
                const double median = sorted[sorted.size() / 2];
                const bool within = median < b.microseconds;
                std::printf("  %-34s %8.2f us  budget %5.1f us  %s\n", name.c_str(), median, b.microseconds,
                            within ? "ok" : "OVER BUDGET");
                ok = ok && within;
            }
        }
        if (m_errors)
            std::printf("  a benchmark reported an error\n");
        return ok;
    }

private:
    std::map<std::string, std::vector<double>> m_times;
    bool m_errors = false;
};

}  // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    if (!WriteSources()) {
        std::fprintf(stderr, "bench_firmware: cannot write the source files\n");
        return 1;
    }
    const bool buffersOk = CheckBuffers();
    RegisterBenchmarks();
    BudgetReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const bool budgetsOk = reporter.CheckBudgets();
    return buffersOk && budgetsOk ? 0 : 1;
}
