// Selection changes in the main window, offscreen, on two budgets of 2,000 objects each: a bare
// frame show, a switch between two objects of one budget (no table is opened again) and a
// switch between the two budgets (the budget's seventeen tables opened on each change).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <memory>

#include "BenchBudgets.h"
#include "shell/Hookmousewheel.h"
#include "shell/U_formmain.h"
#include "store/U_dm.h"

namespace {

constexpr int kFolders = 200;         // per budget, below the root
constexpr int kObjectsPerFolder = 9;  // inside each folder: 200 + 200 * 9 = 2,000 objects
constexpr int kSwitches = 1000;
// Two objects of each budget: the first object of the first folder and one far down the tree.
constexpr int kFirstObject = 102;
constexpr int kLaterObject = 1502;

// The program on two budgets, its main window started and the first budget open.
class Program {
public:
    Program() : folders_(2, kFolders, kObjectsPerFolder) {
        DM = &dm_;
        window_ = std::make_unique<TfMain>();
        fMain = window_.get();
        window_->show();
        QCoreApplication::processEvents();
        window_->SelectObject(kFirstObject, Budget(1));
    }
    ~Program() {
        fMain = nullptr;
        window_.reset();
        DM = nullptr;
        RemoveMouseWheelHook();
    }
    TfMain& Main() { return *window_; }
    std::string Budget(int n) const { return folders_.Budget(n); }

private:
    bench_budgets::ProgramFolders folders_;
    TDM dm_;
    std::unique_ptr<TfMain> window_;
};

// The frame switch alone: the selection's members set and the frame shown.
void BM_BareShowFrame(benchmark::State& state) {
    Program program;
    TMainState& members = program.Main().State();
    const ObjectInfo first = *program.Main().Index().FindObject(kFirstObject, program.Budget(1));
    const ObjectInfo later = *program.Main().Index().FindObject(kLaterObject, program.Budget(1));
    bool toLater = true;
    for (auto _ : state) {
        const ObjectInfo& node = toLater ? later : first;
        members.IDObject = node.ID;
        members.TypeObject = node.Type;
        program.Main().ShowFrame();
        toLater = !toLater;
    }
}
BENCHMARK(BM_BareShowFrame)->Iterations(kSwitches)->Unit(benchmark::kMicrosecond);

// Selecting another object of the open budget, through the tree.
void BM_SameBudgetSwitch(benchmark::State& state) {
    Program program;
    bool toLater = true;
    for (auto _ : state) {
        program.Main().SelectObject(toLater ? kLaterObject : kFirstObject, program.Budget(1));
        toLater = !toLater;
    }
    if (program.Main().State().IDBudget != 1) state.SkipWithError("the budget changed");
}
BENCHMARK(BM_SameBudgetSwitch)->Iterations(kSwitches)->Unit(benchmark::kMicrosecond);

// Selecting an object of the other budget, through the tree: the budget is opened.
void BM_BudgetSwitch(benchmark::State& state) {
    Program program;
    int budget = 2;
    for (auto _ : state) {
        program.Main().SelectObject(kFirstObject, program.Budget(budget));
        budget = 3 - budget;
    }
    if (program.Main().State().BudgetPath != program.Budget(3 - budget))
        state.SkipWithError("the budget did not change");
}
BENCHMARK(BM_BudgetSwitch)->Iterations(kSwitches)->Unit(benchmark::kMicrosecond);

}  // namespace
