// The journal against the same rows written directly with SQLite: 10,000 small transactions
// (the layout of a renaming: a journal row, two integer and three text parts, one object row
// changed), each prepared through the renaming's layout and applied through the journal by the
// program's renaming kind, or written as one SQLite transaction of prepared statements; the two
// sides run in turns.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QCoreApplication>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "BenchBudget.h"
#include "common/FakeShellServices.h"
#include "schema/SchemaNames.h"
#include "store/TransKindObject.h"
#include "store/U_dm.h"
#include "store/Utransactions.h"

namespace fs = std::filesystem;

namespace {

constexpr int kTransactions = 10000;
constexpr int kObjects = 100;

int ObjectOf(int transaction) {
    return 11 + transaction % kObjects;
}

// The journal's side: the budget's tables in the data module as the program opens them, the
// program's renaming kind, one renaming prepared and applied per step.
class TJournalSide {
public:
    TJournalSide() : shell_(budget_.Folder()) {
        shell_.state.BudgetPath = budget_.Folder();
        DM = &dm_;
        dm_.OpenBudget(budget_.Folder());
        previous_ = TransKinds().Add(std::make_unique<TRenameKind>());
    }
    ~TJournalSide() {
        TransKinds().Remove(TKindKey{std::string(kActRename)});
        if (previous_) TransKinds().Add(std::move(previous_));
        DM = nullptr;
    }

    // False when the renaming was not applied.
    bool Step(int transaction) {
        const int id = ObjectOf(transaction);
        TTransWriter writer(kActRename, id, 20, "Renamed " + std::to_string(transaction));
        TRenameParts parts{22, 20, "new description", "Table " + std::to_string(id),
                           "old description"};
        WriteParts(writer, parts);
        return ApplyTransaction(writer.Ready()) == id;
    }

private:
    Budget budget_{kObjects};
    FakeShellServices shell_;
    TDM dm_;
    std::unique_ptr<TTransKind> previous_;
};

// The direct side: the same rows written into a budget of its own as one SQLite transaction
// of prepared statements per step, with the same durability settings.
class TDirectSide {
public:
    TDirectSide() : db_(OpenDirect(budget_.Folder())) {}
    ~TDirectSide() {
        statements_.reset();
        sqlite3_close(db_);
    }

    void Step(int transaction) {
        TStatements& s = *statements_;
        const int id = ObjectOf(transaction);
        const std::string name = "Renamed " + std::to_string(transaction);
        s.journal.Begin();
        s.journal.Row(transaction, "REN", id, 20, name);
        s.journal.Int(transaction, 1, 22);
        s.journal.Int(transaction, 2, 20);
        s.journal.Text(transaction, 1, "new description");
        s.journal.Text(transaction, 2, "Table " + std::to_string(id));
        s.journal.Text(transaction, 3, "old description");
        sqlite3_bind_int(s.rename.stmt, 1, 22);
        BindText(s.rename.stmt, 2, name);
        BindText(s.rename.stmt, 3, "new description");
        sqlite3_bind_int(s.rename.stmt, 4, id);
        s.rename.Run();
        s.journal.Commit();
    }

private:
    struct TStatements {
        explicit TStatements(sqlite3* db)
            : journal(db), rename(db, "UPDATE Objects SET Image=?,Name=?,Descript=? WHERE ID=?") {}
        TDirectJournal journal;
        Statement rename;
    };

    Budget budget_{kObjects};
    sqlite3* db_;
    std::unique_ptr<TStatements> statements_ = std::make_unique<TStatements>(db_);
};

// Both sides in turns, step by step, so that the machine's moods reach both alike; the
// counters give each side's time per transaction and their ratio.
void JournalAgainstDirect(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    TJournalSide journal;
    TDirectSide direct;
    Clock::duration journalTime{}, directTime{};
    int transaction = 0;
    for (auto _ : state) {
        ++transaction;
        const Clock::time_point start = Clock::now();
        if (!journal.Step(transaction)) state.SkipWithError("not applied");
        const Clock::time_point middle = Clock::now();
        direct.Step(transaction);
        journalTime += middle - start;
        directTime += Clock::now() - middle;
    }
    const auto micros = [&](Clock::duration time) {
        return std::chrono::duration<double, std::micro>(time).count() /
               static_cast<double>(state.iterations());
    };
    state.counters["journal_us"] = micros(journalTime);
    state.counters["direct_us"] = micros(directTime);
    state.counters["ratio"] = micros(journalTime) / micros(directTime);
}

}  // namespace

BENCHMARK(JournalAgainstDirect)
    ->Iterations(kTransactions)
    ->Repetitions(3)
    ->ReportAggregatesOnly()
    ->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    // The journal lets the event loop run between its steps, as in the program.
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
