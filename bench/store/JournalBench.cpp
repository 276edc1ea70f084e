// The journal against the same rows written directly with SQLite: 10,000 small transactions
// (the layout of a renaming: a journal row, two integer and three text parts, one object row
// changed), each prepared through the renaming's layout and applied through the journal by a
// renaming kind whose Apply reads that layout, or written as one SQLite transaction of prepared
// statements.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QCoreApplication>
#include <filesystem>
#include <memory>
#include <string>

#include "common/FakeShellServices.h"
#include "schema/SchemaNames.h"
#include "store/TransKindObject.h"
#include "store/U_dm.h"
#include "store/Utransactions.h"

namespace fs = std::filesystem;

namespace {

constexpr int kTransactions = 10000;
constexpr int kObjects = 100;

// A budget folder copied from the generated EmptyBases with kObjects objects, removed at the
// end.
class Budget {
public:
    Budget() {
        std::string pattern = (fs::temp_directory_path() / "vemly-journal-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temp folder");
        folder_ = pattern;
        fs::copy(VEMLY_GENERATED_DIR "/EmptyBases", folder_, fs::copy_options::recursive);
        TTransactionScope scope(folder_);
        TTable objects;
        objects.SetDatabaseName(folder_);
        objects.SetTableName(tbl::Objects);
        objects.Open();
        for (int id = 11; id < 11 + kObjects; ++id) {
            objects.Append();
            objects.FieldByName(fld::ID).SetAsInteger(id);
            objects.FieldByName(fld::Type).SetAsInteger(20);
            objects.FieldByName(fld::Name).SetAsString("Table " + std::to_string(id));
            objects.Post();
        }
        objects.Close();
        scope.Commit();
    }
    ~Budget() { fs::remove_all(folder_); }
    const std::string& Folder() const { return folder_; }

private:
    std::string folder_;
};

int ObjectOf(int transaction) {
    return 11 + transaction % kObjects;
}

// A renaming kind whose Apply does what the journal's renaming applier does.
class TBenchRenameKind : public TRenameKind {
public:
    std::optional<int> Apply(TStep& step) const override {
        const std::optional<TRenameParts> parts = ReadParts<TRenameParts>(step.Row.NTrans);
        if (!parts) {
            ReportFatalError(kFatalTransaction);
            return kFatalTransaction;
        }
        TTable& objects = DM->TableObjects;
        if (!objects.Locate(fld::ID, {step.Row.IDObject})) {
            ReportFatalError(kFatalObject);
            return kFatalObject;
        }
        objects.Edit();
        objects.FieldByName(fld::Image).SetAsInteger(parts->NewIcon);
        objects.FieldByName(fld::Name).SetAsString(step.Row.NameObject);
        objects.FieldByName(fld::Descript).SetAsString(parts->NewDescript);
        objects.Post();
        return step.Row.IDObject;
    }
};

void Journal(benchmark::State& state) {
    Budget budget;
    FakeShellServices shell(budget.Folder());
    shell.state.BudgetPath = budget.Folder();
    TDM dm;
    for (TTable* table : {&dm.TableObjects, &dm.TablejTrans, &dm.TablejTrInteger, &dm.TablejTrText,
                          &dm.TablejTrDate}) {
        table->SetDatabaseName(budget.Folder());
        table->SetIndexName(table == &dm.TablejTrans ? idx::Index_NTrans : idx::Index01);
        table->SetReadOnly(false);
        table->Open();
    }
    DM = &dm;
    std::unique_ptr<TTransKind> previous = TransKinds().Add(std::make_unique<TBenchRenameKind>());

    int transaction = 0;
    for (auto _ : state) {
        const int id = ObjectOf(++transaction);
        TTransWriter writer(kActRename, id, 20, "Renamed " + std::to_string(transaction));
        TRenameParts parts{22, 20, "new description", "Table " + std::to_string(id),
                           "old description"};
        WriteParts(writer, parts);
        if (ApplyTransaction(writer.Ready()) != id) state.SkipWithError("not applied");
    }

    TransKinds().Remove(TKindKey{std::string(kActRename)});
    if (previous) TransKinds().Add(std::move(previous));
    DM = nullptr;
}

struct Statement {
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr); }
    ~Statement() { sqlite3_finalize(stmt); }
    void Run() {
        if (sqlite3_step(stmt) != SQLITE_DONE) throw std::runtime_error("step failed");
        sqlite3_reset(stmt);
    }
    sqlite3_stmt* stmt = nullptr;
};

void Text(sqlite3_stmt* stmt, int position, const std::string& text) {
    sqlite3_bind_text(stmt, position, text.c_str(), static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
}

void Direct(benchmark::State& state) {
    Budget budget;
    sqlite3* db = nullptr;
    sqlite3_open_v2((budget.Folder() + "/tables.sqlite").c_str(), &db, SQLITE_OPEN_READWRITE,
                    nullptr);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL;PRAGMA synchronous=NORMAL", nullptr, nullptr,
                 nullptr);
    {
        Statement begin(db, "BEGIN IMMEDIATE");
        Statement commit(db, "COMMIT");
        Statement trans(db,
                        "INSERT INTO jTrans(NTrans,Act,Status,Date,Time,IDObject,Type,NameObject)"
                        " VALUES(?,'REN','APPLY',45000,0.5,?,20,?)");
        Statement integer(db, "INSERT INTO jTrInteger(NTrans,NPart,Value) VALUES(?,?,?)");
        Statement text(db, "INSERT INTO jTrText(NTrans,NPart,Value) VALUES(?,?,?)");
        Statement rename(db, "UPDATE Objects SET Image=?,Name=?,Descript=? WHERE ID=?");
        int transaction = 0;
        for (auto _ : state) {
            const int id = ObjectOf(++transaction);
            const std::string name = "Renamed " + std::to_string(transaction);
            begin.Run();
            sqlite3_bind_int(trans.stmt, 1, transaction);
            sqlite3_bind_int(trans.stmt, 2, id);
            Text(trans.stmt, 3, name);
            trans.Run();
            for (const auto& [part, value] : {std::pair(1, 22), std::pair(2, 20)}) {
                sqlite3_bind_int(integer.stmt, 1, transaction);
                sqlite3_bind_int(integer.stmt, 2, part);
                sqlite3_bind_int(integer.stmt, 3, value);
                integer.Run();
            }
            int part = 0;
            for (const std::string& value :
                 {std::string("new description"), "Table " + std::to_string(id),
                  std::string("old description")}) {
                sqlite3_bind_int(text.stmt, 1, transaction);
                sqlite3_bind_int(text.stmt, 2, ++part);
                Text(text.stmt, 3, value);
                text.Run();
            }
            sqlite3_bind_int(rename.stmt, 1, 22);
            Text(rename.stmt, 2, name);
            Text(rename.stmt, 3, "new description");
            sqlite3_bind_int(rename.stmt, 4, id);
            rename.Run();
            commit.Run();
        }
    }
    sqlite3_close(db);
}

}  // namespace

// Each run writes kTransactions into a new budget; the median of three runs evens out the
// disk's moods.
BENCHMARK(Journal)
    ->Iterations(kTransactions)
    ->Repetitions(3)
    ->ReportAggregatesOnly()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(Direct)
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
