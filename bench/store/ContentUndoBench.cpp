// Undo and redo of a change of a pay's manual charge against writing the same rows directly:
// a pay with a daily automatic charge and monthly payments, 10,000 history rows; the change
// (6032) edits the manual charge on the first day of the history, so that in a running budget
// each step rebuilds the whole calendar and recalculates the whole history. Each step runs as
// the undo and redo dialog runs it (marked, then one step of the run). The direct side writes,
// with SQLite in one transaction, the rows the step left: in a running budget every Calendar
// and PayHistory row anew, in a stopped one the one history row the step edits.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QCoreApplication>
#include <chrono>
#include <clocale>
#include <string>

#include "BenchBudget.h"
#include "common/FakeShellServices.h"
#include "pays/Uscheduler.h"
#include "shell/JournalKinds.h"
#include "store/TransBlockRows.h"
#include "store/TransKindPay.h"
#include "store/U_dm.h"
#include "store/Utransactions.h"
#include "store/Utransactions_undo.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPay = 11;
constexpr int kDays = 9680;  // daily charges and a payment a month: 10,000 history rows
const TDateTime kStart = EncodeDate(2010, 1, 1);

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A budget open as the program opens one, with the program's journal kinds and one pay whose
// calendar and history the engine has built; the change of its first manual charge is applied.
class TPayBudget {
public:
    explicit TPayBudget(int budgetState) : shell_(budget_.Folder()) {
        shell_.state.BudgetPath = budget_.Folder();
        DM = &dm_;
        dm_.OpenBudget(budget_.Folder());
        RegisterJournalKinds();
        Fill();
        shell_.RebuildCalendar(0, dm_.LatestPayEventDate() + 5);
        shell_.RunAutoRecalc(true, Today());
        shell_.state.BudgetState = budgetState;
        TTransWriter writer(kActChange, kPay, otPay, "Rent");
        TPayEventChangeParts parts{
            kPayChangeManualCharge, 1, 1, "13", "fee", "12.25", "fee", kStart, kStart};
        WriteParts(writer, parts);
        nTrans_ = writer.NTrans();
        if (writer.Apply() != kPay) throw std::runtime_error("the change was not applied");
    }
    ~TPayBudget() { DM = nullptr; }

    const std::string& Folder() const { return budget_.Folder(); }
    int HistoryRows() { return TBudgetTable(tbl::PayHistory).RecordCount(); }

    // Undoes (or redoes) the change as the undo and redo dialog does; false when it failed.
    bool Step(bool undo) const {
        if ((undo ? MarkUndo(nTrans_) : MarkRedo(nTrans_)) <= 0) return false;
        const bool stop = false;
        TJournalRun run = undo ? RunUndo(stop) : RunRedo(stop);
        while (run.Step()) {
        }
        return run.Result() == 1;
    }

private:
    void Fill() {
        TTransactionScope scope(budget_.Folder());
        TBudgetTable objects(tbl::Objects, true);
        objects.Append();
        objects.FieldByName(fld::ID).SetAsInteger(kPay);
        objects.FieldByName(fld::Type).SetAsInteger(otPay);
        objects.FieldByName(fld::Name).SetAsString("Rent");
        objects.Post();
        TBudgetTable pays(tbl::Pays, true);
        pays.Append();
        pays.FieldByName(fld::ID).SetAsInteger(kPay);
        pays.FieldByName(fld::Direction).SetAsString("O");
        pays.Post();
        StoreAutoCharge(kPay, {.Name = "Parking",
                               .Descript = "",
                               .DateBegin = kStart,
                               .RestrictTime = "U",
                               .DateEnd = 0,
                               .Activity = "A",
                               .ItemType = "C",
                               .ConstValue = "1.5",
                               .Algorithm = {},
                               .ScheduleId = 0,
                               .Periodicity = "W",
                               .UnitaryDate = 0,
                               .MonthesDays = "",
                               .WeekDays = "YYYYYYY",
                               .Priority = 5});
        THistoryEventBlock charge;
        charge.DateEvent = kStart;
        charge.TypeEvent = "CH";
        charge.NManOper = 1;
        charge.Charge = "12.25";
        charge.Descript = "fee";
        StoreHistoryEvent(kPay, charge);
        int year = 2010, month = 1;
        for (int day = 0; day < kDays; day += 30) {
            THistoryEventBlock payment;
            payment.DateEvent = EncodeDate(year, month, 20);
            payment.TypeEvent = "PY";
            payment.NManOper = 1;
            payment.Payment = "50";
            StoreHistoryEvent(kPay, payment);
            if (++month > 12) month = 1, ++year;
        }
        scope.Commit();
    }

    Budget budget_;
    FakeShellServices shell_;
    TDM dm_;
    int nTrans_ = 0;
};

// The direct side of a step in a running budget: every Calendar and PayHistory row as the step
// left them, deleted and written anew in one transaction; seconds.
double RewriteDerivedRows(const std::string& folder) {
    sqlite3* db = OpenDirect(folder);
    const std::vector<std::pair<std::string, TRows>> tables = {
        {"Calendar", ReadRows(db, "Calendar")}, {"PayHistory", ReadRows(db, "PayHistory")}};
    const double seconds = WriteDirect(db, tables);
    sqlite3_close(db);
    return seconds;
}

// The direct side of a step in a stopped budget: the manual charge's value and description set
// in one transaction; seconds.
double EditChargeRow(const std::string& folder, const char* value) {
    sqlite3* db = OpenDirect(folder);
    const auto start = Clock::now();
    {
        Statement begin(db, "BEGIN IMMEDIATE"), commit(db, "COMMIT");
        Statement edit(db,
                       "UPDATE PayHistory SET Charge=?, Descript='fee'"
                       " WHERE ID=? AND DateEvent=? AND NManOper=1");
        begin.Run();
        BindText(edit.stmt, 1, value);
        sqlite3_bind_int(edit.stmt, 2, kPay);
        sqlite3_bind_double(edit.stmt, 3, kStart);
        edit.Run();
        commit.Run();
    }
    const double seconds = Since(start);
    sqlite3_close(db);
    return seconds;
}

void UndoAndRedo(benchmark::State& state, int budgetState) {
    TPayBudget budget(budgetState);
    double engine = 0, direct = 0;
    for (auto _ : state) {
        for (const bool undo : {true, false}) {
            const auto start = Clock::now();
            if (!budget.Step(undo)) state.SkipWithError("a step failed");
            engine += Since(start);
            direct += budgetState == 0 ? RewriteDerivedRows(budget.Folder())
                                       : EditChargeRow(budget.Folder(), undo ? "12.25" : "13");
        }
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["history_rows"] = budget.HistoryRows();
    state.counters["engine_pair_s"] = engine / runs;
    state.counters["direct_pair_s"] = direct / runs;
    state.counters["ratio"] = engine / direct;
}

void BM_UndoRedoRunning(benchmark::State& state) {
    UndoAndRedo(state, 0);
}
BENCHMARK(BM_UndoRedoRunning)->Unit(benchmark::kSecond)->Iterations(2);

void BM_UndoRedoStopped(benchmark::State& state) {
    UndoAndRedo(state, 3);
}
BENCHMARK(BM_UndoRedoStopped)->Unit(benchmark::kMillisecond)->Iterations(50);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
