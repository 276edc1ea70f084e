// The journal view opened offscreen on a journal of 100,000 transactions: from the frame switch's
// show to the newest transaction selected in the painted grid, with its detail text.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QTableView>
#include <QVBoxLayout>
#include <chrono>
#include <clocale>
#include <cstdlib>

#include "BenchBudget.h"
#include "common/FakeShellServices.h"
#include "shell/ImageListTree.h"
#include "shell/JournalKinds.h"
#include "store/U_dm.h"
#include "store/U_frlog.h"

namespace {

constexpr int kTransactions = 100000;

// Writes the journal directly: renamings of a table, each with its five parts.
void WriteJournal(const std::string& folder) {
    sqlite3* db = OpenDirect(folder);
    {
        TDirectJournal journal(db);
        journal.Begin();
        for (int n = 1; n <= kTransactions; ++n) {
            journal.Row(n, "REN", 11, 20, "Table " + std::to_string(n));
            journal.Int(n, 1, 21);
            journal.Int(n, 2, 22);
            for (int part = 1; part <= 3; ++part)
                journal.Text(n, part, "text " + std::to_string(part));
        }
        journal.Commit();
    }
    sqlite3_close(db);
}

// The journal view in a window of its own on the budget, as the main window holds it.
class View {
public:
    View() : shell_(budget_.Folder()) {
        WriteJournal(budget_.Folder());
        RegisterJournalKinds();
        shell_.state.BudgetPath = budget_.Folder();
        shell_.state.BudgetName = "Bench";
        DM = &dm_;
        dm_.OpenBudget(budget_.Folder());
        frame = &RegisterLogFrame(frames_, window_, icons_, QColor(0x50, 0x50, 0x50));
        auto* layout = new QVBoxLayout(&window_);
        layout->addWidget(frame);
        window_.resize(760, 620);
        window_.show();
        QCoreApplication::processEvents();
    }
    ~View() { DM = nullptr; }

    // True when the newest transaction is the grid's selected row and lies in its view.
    bool ShowsNewest() const {
        const QTableView& grid = *frame->DBGridLog;
        const QModelIndexList rows = grid.selectionModel()->selectedRows();
        return rows.size() == 1 && rows.front().row() == kTransactions - 1 &&
               grid.viewport()->rect().intersects(grid.visualRect(rows.front()));
    }
    void Paint() { window_.repaint(); }

    TfrLog* frame = nullptr;

private:
    Budget budget_;
    FakeShellServices shell_;
    TDM dm_;
    QWidget window_;
    TImageListTree icons_;
    TFrameRegistry frames_;
};

void BM_OpenJournalView(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    View view;
    const ObjectInfo node{1, otLog, 10, 0, "Log", "", ""};
    for (auto _ : state) {
        view.frame->HideFrame();  // lets go of the grid's rows: every show reads them anew
        view.Paint();
        const Clock::time_point start = Clock::now();
        view.frame->ShowFor(node);
        view.Paint();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        if (!view.ShowsNewest()) state.SkipWithError("the newest transaction is not shown");
    }
}

}  // namespace

BENCHMARK(BM_OpenJournalView)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);
