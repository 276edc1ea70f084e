// The table layer against the same work written directly with SQLite prepared statements:
// (a) 100,000 pay-history rows appended in one transaction, (b) one pay's 1,000 rows opened
// through a filter and walked, reading four fields, (c) 10,000 searches on a two-field key.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/Table.h"

namespace fs = std::filesystem;

namespace {

constexpr int kAppendRows = 100000;
constexpr int kPays = 100;
constexpr int kRowsPerPay = 1000;
constexpr int kTransactions = 1000;
constexpr int kPartsPerTransaction = 10;
constexpr int kLocates = 10000;

// A budget folder copied from the generated EmptyBases, removed at the end.
class BudgetCopy {
public:
    BudgetCopy() {
        std::string pattern = (fs::temp_directory_path() / "vemly-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temp folder");
        folder_ = pattern;
        fs::copy_file(VEMLY_GENERATED_DIR "/EmptyBases/tables.sqlite", folder_ + "/tables.sqlite");
    }
    ~BudgetCopy() { fs::remove_all(folder_); }
    const std::string& Folder() const { return folder_; }

private:
    std::string folder_;
};

// A direct connection with the layer's settings.
std::unique_ptr<sqlite3, decltype(&sqlite3_close)> OpenDirect(const std::string& folder) {
    sqlite3* db = nullptr;
    sqlite3_open_v2((folder + "/tables.sqlite").c_str(), &db,
                    SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL;PRAGMA synchronous=NORMAL", nullptr, nullptr,
                 nullptr);
    return {db, &sqlite3_close};
}

struct Statement {
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr); }
    ~Statement() { sqlite3_finalize(stmt); }
    sqlite3_stmt* stmt = nullptr;
};

void Fill(const std::string& folder, const char* sql, int outer, int inner) {
    auto db = OpenDirect(folder);
    sqlite3_exec(db.get(), "BEGIN", nullptr, nullptr, nullptr);
    Statement insert(db.get(), sql);
    for (int i = 0; i < outer; ++i) {
        for (int j = 0; j < inner; ++j) {
            sqlite3_bind_int(insert.stmt, 1, i + 1);
            sqlite3_bind_int(insert.stmt, 2, j + 1);
            sqlite3_step(insert.stmt);
            sqlite3_reset(insert.stmt);
        }
    }
    sqlite3_exec(db.get(), "COMMIT", nullptr, nullptr, nullptr);
}

// (a) ---------------------------------------------------------------------------------------

void AppendLayer(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        BudgetCopy budget;
        state.ResumeTiming();
        TTransactionScope scope(budget.Folder());
        TTable history;
        history.SetDatabaseName(budget.Folder());
        history.SetTableName("PayHistory.db");
        history.SetIndexName("Index01");
        history.Open();
        TField& id = history.FieldByName("ID");
        TField& date = history.FieldByName("DateEvent");
        TField& type = history.FieldByName("TypeEvent");
        TField& charge = history.FieldByName("Charge");
        TField& manual = history.FieldByName("NManOper");
        TField& descript = history.FieldByName("Descript");
        for (int i = 0; i < kAppendRows; ++i) {
            history.Append();
            id.SetAsInteger(1 + i % kPays);
            date.SetAsDateTime(45000 + i / kPays);
            type.SetAsString("CH");
            charge.SetAsString("1234.56");
            manual.SetAsInteger(1);
            descript.SetAsString("Electricity");
            history.Post();
        }
        history.Close();
        scope.Commit();
    }
}

void AppendDirect(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        BudgetCopy budget;
        state.ResumeTiming();
        auto db = OpenDirect(budget.Folder());
        sqlite3_exec(db.get(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        {
            Statement insert(db.get(),
                             "INSERT INTO PayHistory (ID, DateEvent, TypeEvent, Charge, NManOper, "
                             "Descript) VALUES (?,?,?,?,?,?)");
            for (int i = 0; i < kAppendRows; ++i) {
                sqlite3_bind_int(insert.stmt, 1, 1 + i % kPays);
                sqlite3_bind_double(insert.stmt, 2, 45000 + i / kPays);
                sqlite3_bind_text(insert.stmt, 3, "CH", -1, SQLITE_TRANSIENT);
                sqlite3_bind_text(insert.stmt, 4, "1234.56", -1, SQLITE_TRANSIENT);
                sqlite3_bind_int(insert.stmt, 5, 1);
                sqlite3_bind_text(insert.stmt, 6, "Electricity", -1, SQLITE_TRANSIENT);
                sqlite3_step(insert.stmt);
                sqlite3_reset(insert.stmt);
            }
        }
        sqlite3_exec(db.get(), "COMMIT", nullptr, nullptr, nullptr);
    }
}

// (b) ---------------------------------------------------------------------------------------

const BudgetCopy& HistoryBudget() {
    static const BudgetCopy budget;
    static const bool filled = (Fill(budget.Folder(),
                                     "INSERT INTO PayHistory (ID, DateEvent, TypeEvent, Charge, "
                                     "CurBalance, Descript) VALUES (?1, 45000 + ?2, 'CH', "
                                     "'1234.56', '-99.50', 'Electricity')",
                                     kPays, kRowsPerPay),
                                true);
    (void)filled;
    return budget;
}

// The same walk both ways, taken in turns so that both see the same machine load: through the
// layer (filter, index order, four fields read by name) and as a raw query that selects only the
// four fields read, in the same order, on a connection with the same settings.
void Walk(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    const std::string& folder = HistoryBudget().Folder();
    const auto connection = TDatabase::Get(folder);  // held open, as the data module does
    TTable history;
    history.SetDatabaseName(folder);
    history.SetTableName("PayHistory.db");
    history.SetIndexName("Index01");
    history.SetFiltered(true);
    auto db = OpenDirect(folder);
    Statement select(db.get(),
                     "SELECT DateEvent, TypeEvent, Charge, CurBalance FROM PayHistory WHERE ID=? "
                     "ORDER BY ID, DateEvent, PrtyCharge, NManOper, N");
    const auto text = [&](int column) {
        return std::string(reinterpret_cast<const char*>(sqlite3_column_text(select.stmt, column)),
                           static_cast<std::size_t>(sqlite3_column_bytes(select.stmt, column)));
    };
    Clock::duration layerTime{}, directTime{};
    int pay = 0;
    for (auto _ : state) {
        const int id = 1 + pay++ % kPays;
        const Clock::time_point start = Clock::now();
        history.Close();
        history.SetFilter(Where("ID") == id);
        history.Open();
        int layerRows = 0;
        for (history.First(); !history.Eof(); history.Next()) {
            benchmark::DoNotOptimize(history.FieldByName("DateEvent").AsDateTime());
            benchmark::DoNotOptimize(history.FieldByName("TypeEvent").AsString());
            benchmark::DoNotOptimize(history.FieldByName("Charge").AsString());
            benchmark::DoNotOptimize(history.FieldByName("CurBalance").AsString());
            ++layerRows;
        }
        const Clock::time_point middle = Clock::now();
        sqlite3_bind_int(select.stmt, 1, id);
        int directRows = 0;
        while (sqlite3_step(select.stmt) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_double(select.stmt, 0));
            benchmark::DoNotOptimize(text(1));
            benchmark::DoNotOptimize(text(2));
            benchmark::DoNotOptimize(text(3));
            ++directRows;
        }
        sqlite3_reset(select.stmt);
        const Clock::time_point end = Clock::now();
        layerTime += middle - start;
        directTime += end - middle;
        if (layerRows != kRowsPerPay || directRows != kRowsPerPay)
            state.SkipWithError("wrong row count");
    }
    const auto micros = [&](Clock::duration time) {
        return std::chrono::duration<double, std::micro>(time).count() /
               static_cast<double>(state.iterations());
    };
    state.counters["layer_us"] = micros(layerTime);
    state.counters["direct_us"] = micros(directTime);
    state.counters["ratio"] = micros(layerTime) / micros(directTime);
}

// (c) ---------------------------------------------------------------------------------------

const BudgetCopy& PartsBudget() {
    static const BudgetCopy budget;
    static const bool filled =
        (Fill(budget.Folder(), "INSERT INTO jTrInteger (NTrans, NPart, Value) VALUES (?, ?, 7)",
              kTransactions, kPartsPerTransaction),
         true);
    (void)filled;
    return budget;
}

void LocateLayer(benchmark::State& state) {
    TTable parts;
    parts.SetDatabaseName(PartsBudget().Folder());
    parts.SetTableName("jTrInteger.DB");
    parts.SetIndexName("Index01");
    parts.Open();
    for (auto _ : state) {
        for (int i = 0; i < kLocates; ++i) {
            if (!parts.Locate("NTrans;NPart",
                              {1 + (i * 7919) % kTransactions, 1 + i % kPartsPerTransaction}))
                state.SkipWithError("not found");
            benchmark::DoNotOptimize(parts.FieldByName("Value").AsInteger());
        }
    }
}

void LocateDirect(benchmark::State& state) {
    auto db = OpenDirect(PartsBudget().Folder());
    Statement select(db.get(), "SELECT Value FROM jTrInteger WHERE NTrans=? AND NPart=?");
    for (auto _ : state) {
        for (int i = 0; i < kLocates; ++i) {
            sqlite3_bind_int(select.stmt, 1, 1 + (i * 7919) % kTransactions);
            sqlite3_bind_int(select.stmt, 2, 1 + i % kPartsPerTransaction);
            if (sqlite3_step(select.stmt) != SQLITE_ROW) state.SkipWithError("not found");
            benchmark::DoNotOptimize(sqlite3_column_int(select.stmt, 0));
            sqlite3_reset(select.stmt);
        }
    }
}

}  // namespace

BENCHMARK(AppendLayer)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(AppendDirect)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(Walk)->Unit(benchmark::kMicrosecond);
BENCHMARK(LocateLayer)->Unit(benchmark::kMillisecond);
BENCHMARK(LocateDirect)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
