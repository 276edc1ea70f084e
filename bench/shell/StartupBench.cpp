// Start-up: the main window created and shown offscreen on 50 budgets of 200 objects each,
// timed until the tree stands and the window has painted.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QTreeWidget>
#include <chrono>
#include <clocale>
#include <filesystem>
#include <string>

#include "BenchBudgets.h"
#include "shell/U_formmain.h"
#include "store/U_dm.h"

namespace fs = std::filesystem;

namespace {

constexpr int kBudgets = 50;
constexpr int kFolders = 20;          // per budget, below the root
constexpr int kObjectsPerFolder = 9;  // inside each folder: 20 + 20 * 9 = 200 objects

void BM_StartToShownTree(benchmark::State& state) {
    const bench_budgets::ProgramFolders folders(kBudgets, kFolders, kObjectsPerFolder);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        TDM dataModule;
        DM = &dataModule;
        {
            TfMain mainWindow;
            fMain = &mainWindow;
            mainWindow.show();
            QCoreApplication::processEvents();
            if (mainWindow.Nodes().size() !=
                kBudgets * (1 + 2 + kFolders * (1 + kObjectsPerFolder)))
                state.SkipWithError("the tree is incomplete");
            const auto shown = std::chrono::steady_clock::now();
            state.SetIterationTime(std::chrono::duration<double>(shown - start).count());
            fMain = nullptr;
        }
        DM = nullptr;
    }
    state.counters["nodes"] = kBudgets * (3 + kFolders * (1 + kObjectsPerFolder));
}
BENCHMARK(BM_StartToShownTree)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
