// A budget open as the main window opens one, for the tests of the store, the journal and the
// pays: its tables in the data module, the main window's services faked, rows added and read.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/FakeShellServices.h"
#include "common/TestFolders.h"
#include "schema/SchemaNames.h"
#include "store/U_dm.h"

// Opens the budget folder in `dm` as the main window opens one, with `shell` answering with its
// folder and the data folder's LangEN/ as the language folder; `dm` becomes DM. The fixture below
// opens its budget so; a test that opens one more than once (before and after a child process it
// kills) calls it for each opening.
inline void OpenBudgetIn(FakeShellServices& shell, TDM& dm, const TestFolders& folders,
                         const std::string& budget) {
    shell.state.BudgetPath = budget;
    shell.state.LangPath = folders.DataPath() + "LangEN/";
    dm.PrepareTables(folders.UsersDataPath());
    dm.OpenBudget(budget);
    DM = &dm;
}

// A new budget copied from EmptyBases; the data module (installed as DM) is prepared as at the
// start and has the budget opened (its seventeen tables open on its folder, writable); the fake
// services answer with its folder and the data folder's LangEN/ as the language folder.
class OpenBudget : public ::testing::Test {
protected:
    OpenBudget() : previous_(DM) { OpenBudgetIn(shell, dm, folders, budget); }
    ~OpenBudget() override { DM = previous_; }

    TestFolders folders;
    const std::string budget = folders.MakeBudget("Budget \"one\"");
    FakeShellServices shell{folders.UsersDataPath()};
    TDM dm;

private:
    TDM* previous_;
};

using TRowValues = std::vector<std::pair<const char*, TFieldValue>>;

// Appends one row to a table of the open budget through a view of its own.
inline void AddRow(std::string_view file, const TRowValues& values) {
    TBudgetTable table(file, true, {}, "");
    table.Append();
    for (const auto& [field, value] : values) table.FieldByName(field).SetValue(value);
    table.Post();
}

// The values of one field in the rows of a table of the open budget that the filter lets
// through, in the order of the index.
inline std::vector<TFieldValue> Column(std::string_view file, const char* field,
                                       TFilter filter = {}, std::string_view index = "Index01") {
    TBudgetTable table(file, false, std::move(filter), index);
    std::vector<TFieldValue> values;
    for (; !table.Eof(); table.Next()) values.push_back(table.FieldByName(field).Value());
    return values;
}

// Appends the budget's row to the budget list of the users-data folder: ID 1, the name "Home",
// complete (Work 3), expanded, in the state given.
inline void AppendBudgetRow(const std::string& usersData, const std::string& budget, int state) {
    TTable budgets;
    budgets.SetDatabaseName(usersData);
    budgets.SetTableName(tbl::Budgets);
    budgets.Open();
    budgets.Append();
    for (const auto& [field, value] : TRowValues{{fld::ID, 1},
                                                 {fld::Name, "Home"},
                                                 {fld::Path, budget},
                                                 {fld::State, state},
                                                 {fld::Image, 0},
                                                 {fld::Expanded, "Y"},
                                                 {fld::Work, 3}})
        budgets.FieldByName(field).SetValue(value);
    budgets.Post();
}

// The number of rows of the table that the filter lets through.
inline int CountRows(std::string_view file, TFilter filter = {}) {
    TBudgetTable table(file, false, std::move(filter));
    return table.RecordCount();
}
