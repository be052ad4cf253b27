// The wizard's start-up beside two floors of the same size: a QDialog with one QLabel (what any
// dialog that shows text costs) and the plain 11-page QWizard a Qt developer would write. Each
// run is a fresh process, from its first instruction until its first page is on screen and the
// event loop is idle: the real `brindle` program through main(), stopped there by its own
// BRINDLE_EXIT_WHEN_SHOWN, and the floors stopped by the same code. Instructions are counted
// under callgrind (when valgrind is installed); wall time and peak memory come from plain runs.
//
// Budgets: the wizard's instructions at most 0.90 times the plain QWizard's, its peak resident
// memory at most 0.5 MiB above it. Exits with 1 when over budget.
//
// Beside them, as a reference without a budget, the wizard's first screen drawn by the plainest
// QDialog (floor_firstpage.cpp): what showing those controls costs in Qt, the wizard's own work
// left out.
//
//   bench_wizard [runs [counted runs]]   default 20 timed runs of each, 3 under callgrind

// Std
#include <algorithm>
#include <cstdio>
#include <string>

// Qt
#include <QApplication>
#include <QDialog>
#include <QFileInfo>

#include "controls/dialogtemplate.h"
#include "processmeasure.h"
#include "resources/pictures.h"
#include "resources/resourceids.h"
#include "wizard/exitwhenshown.h"

namespace {

constexpr double kInstructionBudget = 0.90;
constexpr double kMemoryBudgetKiB = 512;
constexpr int kDefaultRuns = 20;
constexpr int kDefaultCountedRuns = 3;
constexpr int kWarmUpRuns = 2;

}  // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRuns;
    const int counted = argc > 2 ? std::max(0, std::atoi(argv[2])) : kDefaultCountedRuns;

    // The wizard's size in this platform's dialog font, which the floors take as given.
    QApplication app(argc, argv);
    QDialog probe;
    const DialogTemplate *tpl = FindDialogTemplate(IDD_BRINDLE_DIALOG);
    const QSize size = CDialogBuilder::ToPixels(QSize(tpl->w, tpl->h), CDialogBuilder::BaseUnits(probe.font()));
    const std::vector<std::string> sizeArgs{std::to_string(size.width()), std::to_string(size.height())};

    // The header picture's rendering the wizard decodes in this font: the one whose size it is
    // drawn at, else the nearest larger (as Pictures::PictureAt chooses).
    const QList<Pictures::Rendering> renderings = Pictures::FindRenderings(QString::fromLatin1(kLogoPath));
    std::string logo;
    if (!renderings.isEmpty()) {
        const QSize box = CDialogBuilder::ToPixels(QSize(100, 55), CDialogBuilder::BaseUnits(probe.font()));
        const QSize drawn = renderings.constFirst().size.scaled(box, Qt::KeepAspectRatio);
        const Pictures::Rendering *chosen = &renderings.constLast();
        for (const Pictures::Rendering &r : renderings) {
            if (r.size.width() >= drawn.width() && r.size.height() >= drawn.height()) {
                chosen = &r;
                break;
            }
        }
        logo = std::string(BENCH_ICONS_DIR "/") + QFileInfo(chosen->path).fileName().toStdString();
    }
    std::vector<std::string> firstPageArgs = sizeArgs;
    firstPageArgs.push_back(logo);

    const std::string exitWhenShown = std::string(Startup::kExitWhenShownVariable) + "=1";
    const std::vector<Bench::Command> commands{
        {"QDialog with one QLabel", BENCH_FLOOR_DIALOG, sizeArgs, {}, {}},
        {"plain 11-page QWizard", BENCH_FLOOR_QWIZARD, sizeArgs, {}, {}},
        {"first screen, plain QDialog", BENCH_FLOOR_FIRSTPAGE, firstPageArgs, {}, {}},
        {"brindle", BRINDLE_PATH, {}, {exitWhenShown}, {}},
    };
    std::printf("start-up until the first page is shown and the loop is idle: %d timed runs of each in turns "
                "after %d warm-up rounds, %d under callgrind (platform %s, window %dx%d)\n",
                runs, kWarmUpRuns, counted, qgetenv("QT_QPA_PLATFORM").constData(), size.width(), size.height());
    std::fflush(stdout);
    std::vector<Bench::Figures> figures;
    if (!Bench::Measure(commands, kWarmUpRuns, runs, counted, figures))
        return 2;
    Bench::PrintFigures(commands, figures);

    const Bench::Figures &floor = figures[1];
    const Bench::Figures &firstScreen = figures[2];
    const Bench::Figures &wizard = figures[3];
    const bool ok = Bench::JudgeInstructions("brindle / plain QWizard", wizard, floor, kInstructionBudget);
    const double extraKiB = wizard.peakKiB - floor.peakKiB;
    const bool memoryOk = extraKiB <= kMemoryBudgetKiB;
    std::printf("peak RSS, brindle - plain QWizard: %+.2f MiB (budget %+.2f MiB) %s\n", extraKiB / 1024.0,
                kMemoryBudgetKiB / 1024.0, memoryOk ? "ok" : "OVER");
    std::printf("wall time, brindle / plain QWizard (medians): %.2f\n", wizard.medianMs / floor.medianMs);
    if (wizard.instructions > 0 && firstScreen.instructions > 0)
        std::printf("reference: brindle / its first screen as a plain QDialog: %.3f; that screen alone / plain "
                    "QWizard: %.3f\n",
                    wizard.instructions / firstScreen.instructions, firstScreen.instructions / floor.instructions);
    return ok && memoryOk ? 0 : 1;
}
