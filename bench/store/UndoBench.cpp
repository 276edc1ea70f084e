// Undo and redo against applying: 1,000 renamings applied through the journal one by one (each
// prepared through the renaming's layout and applied, as the rename dialog does), then all of
// them undone in one run (marked, then run step by step, as the undo dialog does) and redone in
// one run. The counters give the time per transaction of each and the ratios of the undo and
// the redo to the application; each iteration renames afresh on the journal the ones before
// left.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>

#include "BenchBudget.h"
#include "common/FakeShellServices.h"
#include "schema/SchemaNames.h"
#include "store/TransKindObject.h"
#include "store/U_dm.h"
#include "store/Utransactions.h"
#include "store/Utransactions_undo.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRenames = 1000;
constexpr int kObjects = 100;

// A budget open in the data module as the program opens it, with the program's renaming kind.
class TRenameBudget {
public:
    TRenameBudget() : shell_(budget_.Folder()) {
        shell_.state.BudgetPath = budget_.Folder();
        DM = &dm_;
        dm_.OpenBudget(budget_.Folder());
        previous_ = TransKinds().Add(std::make_unique<TRenameKind>());
    }
    ~TRenameBudget() {
        TransKinds().Remove(TKindKey{std::string(kActRename)});
        if (previous_) TransKinds().Add(std::move(previous_));
        DM = nullptr;
    }

    // Renames an object through the journal; false when it was not applied.
    static bool Rename(int serial) {
        const int id = 11 + serial % kObjects;
        TTransWriter writer(kActRename, id, otTable, "Renamed " + std::to_string(serial));
        TRenameParts parts{22, 20, "new description", "Table " + std::to_string(id),
                           "old description"};
        WriteParts(writer, parts);
        return writer.Apply() == id;
    }
    // Runs the marked block to its end; its result.
    static int Finish(TJournalRun run) {
        while (run.Step()) {
        }
        return run.Result();
    }

private:
    Budget budget_{kObjects};
    FakeShellServices shell_;
    TDM dm_;
    std::unique_ptr<TTransKind> previous_;
};

void UndoRedoAgainstApply(benchmark::State& state) {
    TRenameBudget budget;
    Clock::duration applyTime{}, undoTime{}, redoTime{};
    int serial = 0;
    const bool stop = false;
    for (auto _ : state) {
        const int first = NextTransNumber();
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < kRenames; ++i)
            if (!TRenameBudget::Rename(++serial)) state.SkipWithError("not applied");
        const Clock::time_point applied = Clock::now();
        if (MarkUndo(first) != kRenames || TRenameBudget::Finish(RunUndo(stop)) != kRenames)
            state.SkipWithError("not undone");
        const Clock::time_point undone = Clock::now();
        if (MarkRedo(first + kRenames - 1) != kRenames ||
            TRenameBudget::Finish(RunRedo(stop)) != kRenames)
            state.SkipWithError("not redone");
        const Clock::time_point redone = Clock::now();
        applyTime += applied - start;
        undoTime += undone - applied;
        redoTime += redone - undone;
    }
    const auto micros = [&](Clock::duration time) {
        return std::chrono::duration<double, std::micro>(time).count() /
               static_cast<double>(state.iterations() * kRenames);
    };
    state.counters["apply_us"] = micros(applyTime);
    state.counters["undo_us"] = micros(undoTime);
    state.counters["redo_us"] = micros(redoTime);
    state.counters["undo_ratio"] = micros(undoTime) / micros(applyTime);
    state.counters["redo_ratio"] = micros(redoTime) / micros(applyTime);
}

}  // namespace

BENCHMARK(UndoRedoAgainstApply)->Iterations(5)->Unit(benchmark::kMillisecond);
