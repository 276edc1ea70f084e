// A pay's list of 200 auto charges, half of them algorithms with 1,000-character texts and three
// initial data: the 6010 transaction written and applied against the same journal parts and
// table rows written directly with SQLite in one transaction; and the list dialog opened on them.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QTableWidget>
#include <chrono>
#include <clocale>
#include <string>
#include <vector>

#include "algorithms/Ugetdata.h"
#include "common/FakeShellServices.h"
#include "common/SourceDatum.h"
#include "common/TestFolders.h"
#include "pays/U_fautocharges.h"
#include "pays/U_fautocharges_list.h"
#include "schema/SchemaNames.h"
#include "shell/JournalKinds.h"
#include "store/BenchBudget.h"
#include "store/U_dm.h"

namespace {

constexpr int kPay = 100;
constexpr int kCharges = 200;

// The budget "Home" in the budget list, with the pay in its tree and its 200 charges stored.
class TChargesBudget {
public:
    TChargesBudget() : budget_(folders_.MakeBudget()), shell_(folders_.UsersDataPath()) {
        shell_.state.BudgetPath = budget_;
        shell_.state.BudgetState = 3;  // stopped: the writes alone are measured
        shell_.state.DataPath = folders_.DataPath();
        shell_.state.LangPath = folders_.DataPath() + "LangEN/";
        dm_.PrepareTables(folders_.UsersDataPath());
        TTable budgets;
        budgets.SetDatabaseName(folders_.UsersDataPath());
        budgets.SetTableName("Budgets.db");
        budgets.Open();
        budgets.Append();
        budgets.FieldByName(fld::ID).SetAsInteger(1);
        budgets.FieldByName(fld::Name).SetAsString("Home");
        budgets.FieldByName(fld::Path).SetAsString(budget_);
        budgets.FieldByName(fld::State).SetAsInteger(3);
        budgets.FieldByName(fld::Expanded).SetAsString("N");
        budgets.FieldByName(fld::Work).SetAsInteger(3);
        budgets.Post();
        dm_.OpenBudget(budget_);
        DM = &dm_;
        {
            TBudgetTable objects(tbl::Objects, true);
            objects.Append();
            objects.FieldByName(fld::ID).SetAsInteger(kPay);
            objects.FieldByName(fld::Type).SetAsInteger(otPay);
            objects.FieldByName(fld::Name).SetAsString("Flat");
            objects.Post();
        }
        dm_.TableBudgets.Refresh();
        shell_.index.Build(dm_.TableBudgets, shell_.state);
        TAutoChargesList charges;
        for (int i = 0; i < kCharges; ++i) charges.push_back(Charge(i));
        if (JournalAutoCharges(charges, kPay, EncodeDate(2024, 1, 1)) <= 0)
            throw std::runtime_error("the charges were not stored");
        // The journal starts empty: the direct side writes the one measured transaction.
        for (const char* table : {tbl::jTrans, tbl::jTrInteger, tbl::jTrText, tbl::jTrDate}) {
            TBudgetTable rows(table, true, {}, "");
            DeleteAllRows(rows);
        }
    }
    ~TChargesBudget() { DM = nullptr; }

    const std::string& Folder() const { return budget_; }

    static AutoChargeInfo Charge(int i) {
        AutoChargeInfo charge;
        charge.Name = "Charge " + std::to_string(i);
        charge.Descript = "A charge of the flat";
        charge.DateBegin = EncodeDate(2024, 1 + i % 12, 1 + i % 28);
        charge.ConstValue = "12,5";
        SetDefaultSchedule(charge.Schedule);
        charge.State = 'a';
        if (i % 2 == 1) {
            charge.ItemType = 'A';
            charge.Algorithm.Valid = true;
            charge.Algorithm.IDParent = kPay;
            charge.Algorithm.Name = "Power " + std::to_string(i);
            charge.Algorithm.Text = "[V001()] = [I001()] * [I002()] + [I003()] / 100\n" +
                                    std::string(951, ' ');
            charge.Algorithm.INDataList = {SourceDatum(1, 20, kSourceNumber, 0),
                                           SourceDatum(2, 21, kSourceNumber, 0),
                                           SourceDatum(3, kPay, kSourcePay, 11)};
        }
        return charge;
    }

private:
    TestFolders folders_;
    std::string budget_;
    FakeShellServices shell_;
    TDM dm_;
};

// The charges loaded and written unchanged as one transaction, applied; against the journal's
// and the tables' rows it leaves written anew directly.
void BM_WriteAndApplyCharges(benchmark::State& state) {
    TChargesBudget budget;
    double engine = 0, direct = 0, rows = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        TAutoChargesList charges;
        if (LoadCharges(kPay, charges) != kCharges) state.SkipWithError("the charges not loaded");
        if (JournalAutoCharges(charges, kPay, EncodeDate(2024, 1, 1)) <= 0)
            state.SkipWithError("the transaction was not applied");
        engine += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

        sqlite3* db = OpenDirect(budget.Folder());
        std::vector<std::pair<std::string, TRows>> tables;
        for (const char* table : {"PayAutoCharges", "Schedules", "Algorithms", "AlgText",
                                  "AlgExtData", "AlgVarDescr", "jTrans", "jTrInteger", "jTrText",
                                  "jTrDate"})
            tables.emplace_back(table, ReadRows(db, table));
        rows = 0;
        for (const auto& [name, table] : tables)
            rows += static_cast<double>(table.values.size()) / std::max(1, table.columns);
        direct += WriteDirect(db, tables);
        sqlite3_close(db);
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["rows"] = rows;
    state.counters["engine_ms"] = engine * 1000 / runs;
    state.counters["direct_ms"] = direct * 1000 / runs;
    state.counters["ratio"] = engine / direct;
}
BENCHMARK(BM_WriteAndApplyCharges)->Unit(benchmark::kMillisecond)->Iterations(1);

// The list dialog shown on the 200 charges: loaded, sorted and put into its grid.
void BM_OpenList(benchmark::State& state) {
    TChargesBudget budget;
    for (auto _ : state) {
        auto* list = new TfAutoCharges(nullptr);
        list->IDPay = kPay;
        list->show();
        state.PauseTiming();
        if (list->StringGridItems->rowCount() != kCharges) state.SkipWithError("rows missing");
        list->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenList)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    RegisterJournalKinds();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
