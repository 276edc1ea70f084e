// A budget for the frames' benchmarks: the program's folders of a test, a budget written
// directly by the benchmark, registered as "Home" (running) and opened in the data module as
// the main window opens one, with a window for the frame.
#pragma once

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "common/FakeShellServices.h"
#include "common/TestFolders.h"
#include "platform/Table.h"
#include "schema/SchemaNames.h"
#include "shell/FrameRegistry.h"
#include "store/U_dm.h"

// Runs one statement on the connection.
inline void Exec(sqlite3* db, const std::string& sql) {
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
}

// Writes a folder's tables file directly: `write` runs in one transaction on it.
inline void WriteDirect(const std::string& folder, const std::function<void(sqlite3* db)>& write) {
    sqlite3* db = nullptr;
    sqlite3_open_v2((folder + "/tables.sqlite").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    Exec(db, "BEGIN");
    write(db);
    Exec(db, "COMMIT");
    sqlite3_close(db);
}

// The plain read that a frame's loading is measured against: each iteration runs the query
// with its "?" bound to `id` over the folder's tables file and reads the text columns given;
// an error when it gives another number of rows than `expected`.
inline void ReadRowsWithSqlite(benchmark::State& state, const std::string& folder,
                               const char* sql, int id, int expected,
                               const std::vector<int>& textColumns) {
    sqlite3* db = nullptr;
    sqlite3_open_v2((folder + "/tables.sqlite").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &select, nullptr);
    for (auto _ : state) {
        sqlite3_bind_int(select, 1, id);
        int rows = 0;
        size_t bytes = 0;
        while (sqlite3_step(select) == SQLITE_ROW) {
            ++rows;
            for (const int column : textColumns)
                bytes += static_cast<size_t>(sqlite3_column_bytes(select, column));
        }
        sqlite3_reset(select);
        benchmark::DoNotOptimize(bytes);
        if (rows != expected) state.SkipWithError("rows missing");
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
}

class TFrameBenchBudget {
public:
    // `write` fills the budget folder's tables before the budget is opened.
    explicit TFrameBenchBudget(const std::function<void(const std::string& folder)>& write)
        : shell_(folders_.UsersDataPath()) {
        write(budget_);
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
    }
    ~TFrameBenchBudget() { DM = nullptr; }

    // Shows the frame, loaded with its texts, in the window at that size.
    void Show(TFrameBase& frame, int width, int height) {
        frame.LoadTexts();
        window.resize(width, height);
        frame.setGeometry(0, 0, width, height);
        window.show();
        QCoreApplication::processEvents();
    }
    const ObjectInfo& Node(int id) const { return *shell_.index.FindObject(id, budget_); }
    const std::string& Folder() const { return budget_; }

    QWidget window;
    TFrameRegistry frames;

private:
    TestFolders folders_;
    std::string budget_ = folders_.MakeBudget("Bench");
    FakeShellServices shell_;
    TDM dm_;
};
