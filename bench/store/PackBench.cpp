// Packing a budget whose journal holds 100,000 transactions (each a journal row, two integer and
// three text parts) down to the 500 kept, against the same DELETEs and VACUUM run directly with
// SQLite; and ten such budgets packed one after the other, as the first start of a day does.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QCoreApplication>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BenchBudget.h"
#include "common/FakeShellServices.h"
#include "store/U_dm.h"

namespace fs = std::filesystem;

namespace {

constexpr int kTransactions = 100000;
constexpr int kKept = 500;

// One budget with the full journal, made once; each run packs a fresh copy of it.
const Budget& FullBudget() {
    static const std::unique_ptr<Budget> budget = [] {
        auto made = std::make_unique<Budget>(100);
        sqlite3* db = OpenDirect(made->Folder());
        {
            TDirectJournal journal(db);
            journal.Begin();
            for (int n = 1; n <= kTransactions; ++n) {
                journal.Row(n, "REN", 11 + n % 100, 20, "Table");
                journal.Int(n, 1, 11 + n % 100);
                journal.Int(n, 2, 20);
                journal.Text(n, 1, "REN");
                journal.Text(n, 2, "Old name of the table " + std::to_string(n));
                journal.Text(n, 3, "New name of the table " + std::to_string(n));
            }
            journal.Commit();
        }
        sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return made;
    }();
    return *budget;
}

// A copy of the full budget in a folder of its own.
std::string CopyOf(const std::string& name) {
    const std::string folder = (fs::temp_directory_path() / ("vemly-pack-bench-" + name)).string();
    fs::remove_all(folder);
    fs::copy(FullBudget().Folder(), folder, fs::copy_options::recursive);
    return folder;
}

void PackInDataModule(const std::string& folder) {
    FakeShellServices shell(folder);
    shell.state.BudgetPath = folder;
    TDM dm;
    DM = &dm;
    dm.OpenBudget(folder);
    dm.PackBudget(kKept);
    dm.FlushAndCloseTables();
    DM = nullptr;
}

// Times `work` on `count` fresh copies of the full budget; the copying and the removal of the
// copies are left out of the time.
void TimeOnCopies(benchmark::State& state, int count,
                  const std::function<void(const std::string& folder)>& work) {
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::string> folders;
        for (int i = 0; i < count; ++i) folders.push_back(CopyOf(std::to_string(i)));
        state.ResumeTiming();
        for (const std::string& folder : folders) work(folder);
        state.PauseTiming();
        for (const std::string& folder : folders) fs::remove_all(folder);
        state.ResumeTiming();
    }
}

// The same result written directly: the rows below the threshold deleted in one transaction,
// then VACUUM.
void PackDirect(const std::string& folder) {
    const int threshold = (kTransactions - 1) - 1 - kKept;
    const std::string where = " WHERE NTrans<" + std::to_string(threshold);
    sqlite3* db = OpenDirect(folder);
    std::string sql = "BEGIN IMMEDIATE;";
    for (const char* table : {"jTrans", "jTrInteger", "jTrText", "jTrDate"})
        sql += std::string("DELETE FROM ") + table + where + ";";
    sql += "COMMIT;VACUUM;PRAGMA wal_checkpoint(TRUNCATE)";
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

void BM_PackBudget(benchmark::State& state) {
    TimeOnCopies(state, 1, PackInDataModule);
}
BENCHMARK(BM_PackBudget)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PackDirect(benchmark::State& state) {
    TimeOnCopies(state, 1, PackDirect);
}
BENCHMARK(BM_PackDirect)->Unit(benchmark::kMillisecond)->Iterations(5);

// The pack phase of a first start of the day with ten such budgets.
void BM_PackTenBudgets(benchmark::State& state) {
    TimeOnCopies(state, 10, PackInDataModule);
}
BENCHMARK(BM_PackTenBudgets)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
