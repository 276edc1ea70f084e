// The pay frame showing a pay of 20,000 history rows of every kind in a running budget (its
// view, totals, chart and the first screen painted), against reading the same rows and columns
// with sqlite3; and the blocks of rows the grid reads when it scrolls to the end and back.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QScrollBar>
#include <QTableView>
#include <clocale>
#include <cstdlib>
#include <string>

#include "common/FakeShellServices.h"
#include "common/TestFolders.h"
#include "pays/U_frpay.h"
#include "platform/Table.h"
#include "platform/TableGridModel.h"
#include "schema/SchemaNames.h"
#include "shell/ImageListTree.h"
#include "store/U_dm.h"

namespace {

constexpr int kRows = 20000;
constexpr int kPay = 60;

void Exec(sqlite3* db, const std::string& sql) {
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
}

// The pay and its history, four events a day (a reading, a manual charge, an automatic charge,
// a payment), written directly.
void WritePay(const std::string& folder) {
    sqlite3* db = nullptr;
    sqlite3_open_v2((folder + "/tables.sqlite").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    Exec(db, "BEGIN");
    Exec(db,
         "INSERT INTO Objects (ID, IDParent, Type, Image, Name, Descript, Expanded) VALUES "
         "(60, 0, 60, 24, 'Power', 'Electricity', 'N')");
    Exec(db, "INSERT INTO Pays (ID, Direction, FilterMode) VALUES (60, 'O', '011110000000000')");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO PayHistory (ID, DateEvent, TypeEvent, Counter, IDCharge, "
                       "PrtyCharge, NManOper, Charge, ForPayment, Payment, CurBalance, Descript) "
                       "VALUES (60, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                       -1, &insert, nullptr);
    const char* types[4] = {"CN", "CH", "CH", "PY"};
    for (int i = 0; i < kRows; ++i) {
        const int kind = i % 4;
        const bool charge = kind == 1 || kind == 2;
        const std::string amount = std::to_string(10 + i % 90) + ".25";
        const std::string balance = std::to_string(i % 300 - 150) + ".5";
        const std::string descript = "event " + std::to_string(i);
        sqlite3_bind_int(insert, 1, 40000 + i / 4);
        sqlite3_bind_text(insert, 2, types[kind], -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 3, kind == 0 ? amount.c_str() : "", -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 4, kind == 2 ? 7 : 0);
        sqlite3_bind_int(insert, 5, kind == 2 ? 5 : 0);
        sqlite3_bind_int(insert, 6, kind == 2 ? 0 : kind + 1);
        sqlite3_bind_text(insert, 7, charge ? amount.c_str() : "", -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 8, charge ? "0" : "", -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 9, kind == 3 ? amount.c_str() : "", -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 10, kind == 0 ? "" : balance.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 11, descript.c_str(), -1, SQLITE_TRANSIENT);
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
        WritePay(budget_);
        shell_.state.BudgetPath = budget_;
        shell_.state.DataPath = folders_.DataPath();
        shell_.state.LangPath = folders_.DataPath() + "LangEN/";
        shell_.state.IDBudget = 1;
        shell_.state.BudgetState = 0;
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
        frame = &RegisterPayFrame(frames_, window_, icons_, QColor(0x50, 0x50, 0x50), logo_);
        frame->LoadTexts();
        window_.resize(1000, 600);
        frame->setGeometry(0, 0, 1000, 600);
        window_.show();
        QCoreApplication::processEvents();
    }
    ~Shown() { DM = nullptr; }
    const ObjectInfo& Node() const { return *shell_.index.FindObject(kPay, budget_); }
    const std::string& Folder() const { return budget_; }
    const TTableGridModel& Model() const {
        return *static_cast<const TTableGridModel*>(frame->DBGridPayHistory->model());
    }

    TfrPay* frame = nullptr;

private:
    TestFolders folders_;
    std::string budget_ = folders_.MakeBudget("Bench");
    FakeShellServices shell_;
    TDM dm_;
    QWidget window_;
    TFrameRegistry frames_;
    TImageListTree icons_;
    QImage logo_;
};

void BM_LoadPayOf20000RowsToTheFirstScreen(benchmark::State& state) {
    Shown shown;
    for (auto _ : state) {
        shown.frame->ShowFor(shown.Node());
        benchmark::DoNotOptimize(shown.frame->grab());
        if (shown.Model().rowCount() != kRows) state.SkipWithError("rows missing");
    }
}

// Scrolls the shown grid to its end and back to its start, one screen at each, painting it;
// the counter tells how many blocks of 64 rows the model read for that.
void BM_ScrollToTheEndAndBack(benchmark::State& state) {
    Shown shown;
    shown.frame->ShowFor(shown.Node());
    QScrollBar& bar = *shown.frame->DBGridPayHistory->verticalScrollBar();
    const int before = shown.Model().BlocksRead();
    int scrolls = 0;
    for (auto _ : state) {
        bar.setValue(bar.minimum());
        shown.frame->DBGridPayHistory->viewport()->repaint();
        bar.setValue(bar.maximum());
        shown.frame->DBGridPayHistory->viewport()->repaint();
        ++scrolls;
    }
    state.counters["blocks_per_round_trip"] =
        static_cast<double>(shown.Model().BlocksRead() - before) / scrolls;
    state.counters["rows"] = shown.Model().rowCount();
}

void BM_ReadPayRowsWithSqlite(benchmark::State& state) {
    Shown shown;
    sqlite3* db = nullptr;
    sqlite3_open_v2((shown.Folder() + "/tables.sqlite").c_str(), &db, SQLITE_OPEN_READONLY,
                    nullptr);
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT DateEvent, TypeEvent, Counter, Charge, ForPayment, Payment, "
                       "CurBalance, Descript, IDCharge, N FROM PayHistory WHERE ID = ? "
                       "ORDER BY ID, DateEvent, PrtyCharge, NManOper, N",
                       -1, &select, nullptr);
    for (auto _ : state) {
        sqlite3_bind_int(select, 1, kPay);
        int rows = 0;
        size_t bytes = 0;
        while (sqlite3_step(select) == SQLITE_ROW) {
            ++rows;
            for (int column = 1; column < 8; ++column)
                bytes += static_cast<size_t>(sqlite3_column_bytes(select, column));
        }
        sqlite3_reset(select);
        benchmark::DoNotOptimize(bytes);
        if (rows != kRows) state.SkipWithError("rows missing");
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
}

}  // namespace

BENCHMARK(BM_LoadPayOf20000RowsToTheFirstScreen)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScrollToTheEndAndBack)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPayRowsWithSqlite)->Unit(benchmark::kMillisecond);

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
