// The number frame showing a number of 5,000 constant items offscreen (load, grid, chart, value
// in force and the row in force selected), against reading the same Numbers rows with sqlite3.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QTableView>
#include <clocale>
#include <cstdlib>
#include <string>

#include "common/FakeShellServices.h"
#include "common/TestFolders.h"
#include "numbers/U_frnumber.h"
#include "platform/Table.h"
#include "schema/SchemaNames.h"
#include "store/U_dm.h"

namespace {

constexpr int kItems = 5000;
constexpr int kNumber = 50;

void Exec(sqlite3* db, const std::string& sql) {
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
}

// The budget with the number and its items, written directly.
void WriteNumber(const std::string& folder) {
    sqlite3* db = nullptr;
    sqlite3_open_v2((folder + "/tables.sqlite").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    Exec(db, "BEGIN");
    Exec(db,
         "INSERT INTO Objects (ID, IDParent, Type, Image, Name, Descript, Expanded) VALUES "
         "(50, 0, 50, 48, 'Rate', 'Heating rate', 'N')");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO Numbers (ID, DateBegin, ItemType, ConstValue, IDAlg, Descript) "
                       "VALUES (50, ?, 'C', ?, 0, ?)",
                       -1, &insert, nullptr);
    for (int i = 0; i < kItems; ++i) {
        const std::string value = std::to_string(i % 97) + ".25";
        const std::string descript = "item " + std::to_string(i);
        sqlite3_bind_int(insert, 1, 40000 + 2 * i);
        sqlite3_bind_text(insert, 2, value.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, descript.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    Exec(db, "COMMIT");
    sqlite3_close(db);
}

class Shown {
public:
    Shown() : shell_(folders_.UsersDataPath()) {
        WriteNumber(budget_);
        shell_.state.BudgetPath = budget_;
        shell_.state.DataPath = folders_.DataPath();
        shell_.state.LangPath = folders_.DataPath() + "LangEN/";
        shell_.state.IDBudget = 1;
        dm_.PrepareTables(folders_.UsersDataPath());
        dm_.OpenBudget(budget_);
        DM = &dm_;
        TTable budgets;
        budgets.SetDatabaseName(folders_.UsersDataPath());
        budgets.SetTableName(tbl::Budgets);
        budgets.Open();
        budgets.Append();
        budgets.FieldByName(fld::ID).SetAsInteger(1);
        budgets.FieldByName(fld::Name).SetAsString("Home");
        budgets.FieldByName(fld::Path).SetAsString(budget_);
        budgets.FieldByName(fld::State).SetAsInteger(0);
        budgets.FieldByName(fld::Work).SetAsInteger(3);
        budgets.Post();
        dm_.TableBudgets.Refresh();
        shell_.index.Build(dm_.TableBudgets, shell_.state);
        frame = &RegisterNumberFrame(frames_, window_);
        frame->LoadTexts();
        window_.resize(545, 540);
        frame->setGeometry(0, 0, 545, 540);
        window_.show();
        QCoreApplication::processEvents();
    }
    ~Shown() { DM = nullptr; }
    const ObjectInfo& Node() const { return *shell_.index.FindObject(kNumber, budget_); }
    const std::string& Folder() const { return budget_; }
    void Paint() { window_.repaint(); }

    TfrNumber* frame = nullptr;

private:
    TestFolders folders_;
    std::string budget_ = folders_.MakeBudget("Bench");
    FakeShellServices shell_;
    TDM dm_;
    QWidget window_;
    TFrameRegistry frames_;
};

void BM_ShowNumberOf5000Items(benchmark::State& state) {
    Shown shown;
    for (auto _ : state) {
        shown.frame->ShowFor(shown.Node());
        shown.Paint();
        if (shown.frame->Grid->rowCount() != kItems) state.SkipWithError("items missing");
    }
}

void BM_ReadNumberRowsWithSqlite(benchmark::State& state) {
    Shown shown;
    sqlite3* db = nullptr;
    sqlite3_open_v2((shown.Folder() + "/tables.sqlite").c_str(), &db, SQLITE_OPEN_READONLY,
                    nullptr);
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT DateBegin, ItemType, ConstValue, IDAlg, Descript FROM Numbers "
                       "WHERE ID = ? ORDER BY DateBegin",
                       -1, &select, nullptr);
    for (auto _ : state) {
        sqlite3_bind_int(select, 1, kNumber);
        int rows = 0;
        size_t bytes = 0;
        while (sqlite3_step(select) == SQLITE_ROW) {
            ++rows;
            bytes += static_cast<size_t>(sqlite3_column_bytes(select, 2)) +
                     static_cast<size_t>(sqlite3_column_bytes(select, 4));
        }
        sqlite3_reset(select);
        benchmark::DoNotOptimize(bytes);
        if (rows != kItems) state.SkipWithError("rows missing");
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
}

}  // namespace

BENCHMARK(BM_ShowNumberOf5000Items)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadNumberRowsWithSqlite)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
