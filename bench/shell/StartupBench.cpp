// Start-up: the main window created and shown offscreen on 50 budgets of 200 objects each,
// timed until the tree stands and the window has painted; and the first start of a day on ten
// running budgets whose journals hold 100,000 transactions each, packed down to 500 and
// recalculated.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
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

// One start, timed as the iteration's time: the data module and the main window made and
// shown until the tree stands and the window has painted. Answers the tree's node count.
size_t TimeStart(benchmark::State& state) {
    const auto start = std::chrono::steady_clock::now();
    TDM dataModule;
    DM = &dataModule;
    size_t nodes = 0;
    {
        TfMain mainWindow;
        fMain = &mainWindow;
        mainWindow.show();
        QCoreApplication::processEvents();
        const auto shown = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(shown - start).count());
        nodes = mainWindow.Nodes().size();
        fMain = nullptr;
    }
    DM = nullptr;
    return nodes;
}

void BM_StartToShownTree(benchmark::State& state) {
    const bench_budgets::ProgramFolders folders(kBudgets, kFolders, kObjectsPerFolder);
    for (auto _ : state) {
        if (TimeStart(state) != kBudgets * (1 + 2 + kFolders * (1 + kObjectsPerFolder)))
            state.SkipWithError("the tree is incomplete");
    }
    state.counters["nodes"] = kBudgets * (3 + kFolders * (1 + kObjectsPerFolder));
}
BENCHMARK(BM_StartToShownTree)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// Fills the budget's journal with transactions 1 ... count, each with two integer and three
// text parts, and forgets the last start, so that the next start is the day's first.
void FillJournal(const std::string& budget, int count) {
    sqlite3* db = nullptr;
    sqlite3_open((budget + "/tables.sqlite").c_str(), &db);
    const std::string numbers =
        "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n "
        "WHERE x < " +
        std::to_string(count) + ") ";
    const std::string sql =
        "BEGIN;DELETE FROM jTrans;DELETE FROM jTrInteger;DELETE FROM jTrText;" + numbers +
        "INSERT INTO jTrans(NTrans, Act, Status, NameObject) SELECT x, 'REN', 'APPLY', "
        "'Table ' || x FROM n;" +
        numbers +
        "INSERT INTO jTrInteger(NTrans, NPart, Value) SELECT x, p, x FROM n, "
        "(SELECT 1 AS p UNION ALL SELECT 2);" +
        numbers +
        "INSERT INTO jTrText(NTrans, NPart, Value) SELECT x, p, 'Old and new name ' || x FROM n, "
        "(SELECT 1 AS p UNION ALL SELECT 2 UNION ALL SELECT 3);COMMIT;"
        "PRAGMA wal_checkpoint(TRUNCATE)";
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

int JournalRows(const std::string& budget) {
    sqlite3* db = nullptr;
    sqlite3_open((budget + "/tables.sqlite").c_str(), &db);
    sqlite3_stmt* count = nullptr;
    sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM jTrans", -1, &count, nullptr);
    const int rows = sqlite3_step(count) == SQLITE_ROW ? sqlite3_column_int(count, 0) : -1;
    sqlite3_finalize(count);
    sqlite3_close(db);
    return rows;
}

void ForgetLastStart(const std::string& usersData) {
    sqlite3* db = nullptr;
    sqlite3_open((usersData + "tables.sqlite").c_str(), &db);
    sqlite3_exec(db, "DELETE FROM Settings WHERE PName = 'LastStart'", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

void BM_FirstStartOfTheDay(benchmark::State& state) {
    constexpr int kDayBudgets = 10;
    const bench_budgets::ProgramFolders folders(kDayBudgets, 2, 4);
    for (auto _ : state) {
        for (int n = 1; n <= kDayBudgets; ++n) FillJournal(folders.Budget(n), 100000);
        ForgetLastStart(folders.UsersData());
        TimeStart(state);
        if (JournalRows(folders.Budget(kDayBudgets)) != 503)
            state.SkipWithError("the journal was not packed");
    }
}
BENCHMARK(BM_FirstStartOfTheDay)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

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
