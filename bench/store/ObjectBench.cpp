// Object operations through the journal.
//
// CreateAndUndoAgainstDirect: 1,000 folders created through the creation's layout and the
// journal ("ADD" prepared and applied by the program's kind), then all undone, newest first
// (each undo step in a store transaction of its own with the row set "BACK", as the undo run
// does it); against the same rows written directly with SQLite (the journal row and its parts
// and the object row per creation, the object row deleted and the status set per undo). The
// two sides run in turns, a pass each.
//
// MoveFolder: a "MOVE" of a folder with 500 descendants back and forth between two folders,
// against the same for an empty folder; the counter objects_rows_changed says how many rows of
// Objects one move changed.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "BenchBudget.h"
#include "common/FakeShellServices.h"
#include "schema/SchemaNames.h"
#include "store/TransKindObject.h"
#include "store/U_dm.h"
#include "store/Utransactions.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kCreates = 1000;
constexpr int kDescendants = 500;
constexpr int kRoot = 0;

// A budget open in the data module as the program opens it, with the program's object kinds.
class TJournalBudget {
public:
    TJournalBudget() : shell_(budget_.Folder()) {
        shell_.state.BudgetPath = budget_.Folder();
        DM = &dm_;
        dm_.OpenBudget(budget_.Folder());
        Register(std::make_unique<TAddKind<TFolderContent>>());
        Register(std::make_unique<TMoveKind>());
    }
    ~TJournalBudget() {
        for (const TKindKey& key : keys_) TransKinds().Remove(key);
        for (auto& kind : previous_) TransKinds().Add(std::move(kind));
        DM = nullptr;
    }
    const std::string& Folder() const { return budget_.Folder(); }

    // Creates a folder under the parent as the create dialog does; its ID, or 0.
    int Create(int parent, const std::string& name) {
        TTransWriter writer(kActAdd, -1, otFolder, name);
        TObjectParts<TFolderContent> parts{parent, 10, "", {}};
        WriteParts(writer, parts);
        return std::max(0, ApplyTransaction(writer.Ready()));
    }
    // Undoes the transaction as the undo run does; false when the step failed.
    bool Undo(int nTrans, int id) {
        TBudgetTransaction transaction(budget_.Folder());
        const TTransRow row{nTrans, std::string(kActAdd), id, otFolder, ""};
        TStep step{row, transaction.Files()};
        if (TransKinds().Undo(step).value_or(-1) < 0) return false;
        TBudgetTable trans(tbl::jTrans, true, Where(fld::NTrans) == nTrans, "");
        trans.Edit();
        trans.FieldByName(fld::Status).SetAsString(kStatusBack);
        trans.Post();
        transaction.Commit();
        return true;
    }
    // Moves the object to the new parent through the journal; false when it failed.
    bool Move(int id, int from, int to) {
        TTransWriter writer(kActMove, id, otFolder, "moved");
        TMoveParts parts{to, from, "to", "from"};
        WriteParts(writer, parts);
        return ApplyTransaction(writer.Ready()) == id;
    }

private:
    void Register(std::unique_ptr<TTransKind> kind) {
        keys_.push_back(kind->Key());
        if (auto replaced = TransKinds().Add(std::move(kind)))
            previous_.push_back(std::move(replaced));
    }

    Budget budget_;
    FakeShellServices shell_;
    TDM dm_;
    std::vector<TKindKey> keys_;
    std::vector<std::unique_ptr<TTransKind>> previous_;
};

// The direct side: the same rows, one SQLite transaction of prepared statements per step.
class TDirectBudget {
public:
    TDirectBudget() : db_(OpenDirect(budget_.Folder())) {}
    ~TDirectBudget() {
        s_.reset();
        sqlite3_close(db_);
    }

    void Create(int nTrans, int id, const std::string& name) {
        s_->journal.Begin();
        s_->journal.Row(nTrans, "ADD", id, 10, name);
        s_->journal.Int(nTrans, 1, kRoot);
        s_->journal.Int(nTrans, 2, 10);
        s_->journal.Text(nTrans, 1, "");
        sqlite3_bind_int(s_->object.stmt, 1, id);
        BindText(s_->object.stmt, 2, name);
        s_->object.Run();
        s_->journal.Commit();
    }
    void Undo(int nTrans, int id) {
        s_->journal.Begin();
        sqlite3_bind_int(s_->remove.stmt, 1, id);
        s_->remove.Run();
        sqlite3_bind_int(s_->back.stmt, 1, nTrans);
        s_->back.Run();
        s_->journal.Commit();
    }

private:
    struct TStatements {
        explicit TStatements(sqlite3* db)
            : journal(db),
              object(db,
                     "INSERT INTO Objects(ID,IDParent,Type,Image,Expanded,Name,Descript)"
                     " VALUES(?,0,10,10,'N',?,'')"),
              remove(db, "DELETE FROM Objects WHERE ID=?"),
              back(db, "UPDATE jTrans SET Status='BACK' WHERE NTrans=?") {}
        TDirectJournal journal;
        Statement object, remove, back;
    };

    Budget budget_;
    sqlite3* db_;
    std::unique_ptr<TStatements> s_ = std::make_unique<TStatements>(db_);
};

double Millis(Clock::duration time) {
    return std::chrono::duration<double, std::milli>(time).count();
}

void CreateAndUndoAgainstDirect(benchmark::State& state) {
    Clock::duration journalTime{}, directTime{};
    for (auto _ : state) {
        state.PauseTiming();
        TJournalBudget journal;
        TDirectBudget direct;
        std::vector<int> ids;
        state.ResumeTiming();

        Clock::time_point start = Clock::now();
        for (int k = 1; k <= kCreates; ++k)
            ids.push_back(journal.Create(kRoot, "Folder " + std::to_string(k)));
        for (int k = kCreates; k >= 1; --k)
            if (!journal.Undo(k, ids[k - 1])) state.SkipWithError("undo failed");
        Clock::time_point middle = Clock::now();
        for (int k = 1; k <= kCreates; ++k) direct.Create(k, 10 + k, "Folder " + std::to_string(k));
        for (int k = kCreates; k >= 1; --k) direct.Undo(k, 10 + k);
        journalTime += middle - start;
        directTime += Clock::now() - middle;
        if (ids.front() != 11 || ids.back() != 10 + kCreates) state.SkipWithError("wrong IDs");
    }
    const double passes = static_cast<double>(state.iterations());
    state.counters["journal_ms"] = Millis(journalTime) / passes;
    state.counters["direct_ms"] = Millis(directTime) / passes;
    state.counters["ratio"] = Millis(journalTime) / Millis(directTime);
}

// The rows of Objects as text, to tell how many a move changed.
std::vector<std::string> ObjectRows(const std::string& folder) {
    sqlite3* db = OpenDirect(folder);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT ID || ',' || IDParent || ',' || Name FROM Objects ORDER BY ID",
                       -1, &stmt, nullptr);
    std::vector<std::string> rows;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        rows.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

// Folders A and B under the root, and the folder moved between them with its descendants (a
// tree: each folder holds up to ten).
void MoveFolder(benchmark::State& state) {
    const int descendants = static_cast<int>(state.range(0));
    TJournalBudget journal;
    const int a = journal.Create(kRoot, "A");
    const int b = journal.Create(kRoot, "B");
    const int moved = journal.Create(a, "Moved");
    std::vector<int> folders{moved};
    for (int k = 0; k < descendants; ++k)
        folders.push_back(journal.Create(folders[k / 10], "Inner " + std::to_string(k)));

    const std::vector<std::string> before = ObjectRows(journal.Folder());
    if (!journal.Move(moved, a, b) || !journal.Move(moved, b, a)) state.SkipWithError("no move");
    journal.Move(moved, a, b);
    const std::vector<std::string> after = ObjectRows(journal.Folder());
    int changed = 0;
    for (size_t k = 0; k < before.size() && k < after.size(); ++k) changed += before[k] != after[k];
    state.counters["objects_rows_changed"] = changed;

    bool inA = false;
    for (auto _ : state) {
        if (!journal.Move(moved, inA ? a : b, inA ? b : a)) state.SkipWithError("no move");
        inA = !inA;
    }
}

}  // namespace

BENCHMARK(CreateAndUndoAgainstDirect)->Iterations(1)->Repetitions(5)->Unit(benchmark::kMillisecond);
BENCHMARK(MoveFolder)->Arg(0)->Arg(kDescendants)->Iterations(300)->Unit(benchmark::kMicrosecond);
