// The data module: its eighteen tables, closing and reopening the budget tables around a
// rebuild of the budget's files, and budgets whose tables file could run code.
#include <gtest/gtest.h>

#include <QThread>
#include <filesystem>
#include <functional>

#include "common/CraftedTables.h"
#include "common/FakeShellServices.h"
#include "common/RecordingDispatcher.h"
#include "common/TestFolders.h"
#include "store/U_dm.h"

namespace fs = std::filesystem;

namespace {

std::vector<TTable*> BudgetTables(TDM& dm) {
    return {&dm.TableObjects,    &dm.TableTables,      &dm.TableImages,      &dm.TableNumbers,
            &dm.TablePays,       &dm.TablePayHistory,  &dm.TableAutoCharges, &dm.TableAlgorithms,
            &dm.TableAlgExtData, &dm.TableAlgVarDescr, &dm.TableAlgText,     &dm.TableSchedules,
            &dm.TableCalendar,   &dm.TablejTrInteger,  &dm.TablejTrText,     &dm.TablejTrDate,
            &dm.TablejTrans};
}

class DataModule : public ::testing::Test {
protected:
    TestFolders folders;
    const std::string budget = folders.MakeBudget("Budget one");
    TDM dm;
};

}  // namespace

TEST_F(DataModule, StartsWithEighteenClosedReadOnlyTablesNamedByTheirFiles) {
    std::vector<std::string> names;
    for (TTable* table : BudgetTables(dm)) {
        EXPECT_FALSE(table->Active());
        EXPECT_TRUE(table->ReadOnly());
        names.push_back(table->TableName());
    }
    // One name per table, whatever the spelling of its file elsewhere.
    EXPECT_EQ(names, (std::vector<std::string>{
                         "Objects", "Tables", "Images", "Numbers", "Pays", "PayHistory",
                         "PayAutoCharges", "Algorithms", "AlgExtData", "AlgVarDescr", "AlgText",
                         "Schedules", "Calendar", "jTrInteger", "jTrText", "jTrDate", "jTrans"}));
    EXPECT_TRUE(dm.TableBudgets.ReadOnly());
    EXPECT_EQ(dm.TablejTrans.IndexFieldNames(), "NTrans");
    EXPECT_TRUE(static_cast<bool>(dm.TableObjects.BeforeClose));

    // Opened on a fresh budget they show its two tree nodes and nothing else.
    dm.PrepareTables(folders.UsersDataPath());
    dm.OpenBudget(budget);
    EXPECT_EQ(dm.TableObjects.RecordCount(), 2);
    EXPECT_TRUE(dm.TableBudgets.IsEmpty());
}

// The start prepares the tables: the budget list open and read-only, the budget tables closed
// with their indexes. Opening a budget points all seventeen at its folder, writable; opening
// another moves them all, their filters kept.
TEST_F(DataModule, PreparedTablesOpenOnOneBudgetAfterAnother) {
    dm.PrepareTables(folders.UsersDataPath());
    EXPECT_TRUE(dm.TableBudgets.Active());
    EXPECT_TRUE(dm.TableBudgets.ReadOnly());
    EXPECT_EQ(dm.TableBudgets.DatabaseName(), folders.UsersDataPath());
    for (TTable* table : BudgetTables(dm)) {
        SCOPED_TRACE(table->TableName());
        EXPECT_FALSE(table->Active());
        EXPECT_TRUE(table->ReadOnly());
        EXPECT_EQ(table->IndexName(), table == &dm.TablejTrans ? "Index_NTrans" : "Index01");
    }
    dm.TableObjects.SetFilter(Where("Type") == 9500);
    dm.TableObjects.SetFiltered(true);
    const std::string other = folders.MakeBudget("Budget two");
    for (const std::string& folder : {budget, other}) {
        dm.OpenBudget(folder);
        for (TTable* table : BudgetTables(dm)) {
            SCOPED_TRACE(table->TableName());
            EXPECT_TRUE(table->Active());
            EXPECT_FALSE(table->ReadOnly());
            EXPECT_EQ(table->DatabaseName(), folder);
        }
        EXPECT_EQ(dm.TableObjects.RecordCount(), 1);
    }
    EXPECT_EQ(dm.TableBudgets.DatabaseName(), folders.UsersDataPath());
}

TEST_F(DataModule, FlushAndCloseWritesPendingChangesIntoTheFileAndClosesTheBudgetTables) {
    dm.PrepareTables(folders.UsersDataPath());
    dm.OpenBudget(budget);
    dm.TablejTrans.Append();
    dm.TablejTrans.FieldByName("NTrans").SetAsInteger(1);
    dm.TablejTrans.FieldByName("Status").SetAsString("PREP");  // not posted yet
    ASSERT_TRUE(dm.TableObjects.Locate("ID", {9}));
    dm.TableObjects.Edit();
    dm.TableObjects.FieldByName("Expanded").SetAsString("Y");

    dm.FlushAndCloseTables();
    for (TTable* table : BudgetTables(dm)) EXPECT_FALSE(table->Active());
    EXPECT_TRUE(dm.TableBudgets.Active());
    // Nothing holds the budget's file open and everything is in it: it can be replaced.
    EXPECT_EQ(TDatabase::Find(budget), nullptr);
    EXPECT_FALSE(fs::exists(budget + "/tables.sqlite-wal"));

    const std::string copy = folders.Root() + "/copy";
    fs::create_directories(copy);
    fs::copy_file(budget + "/tables.sqlite", copy + "/tables.sqlite");
    TTable journal;
    journal.SetDatabaseName(copy);
    journal.SetTableName("jTrans");
    journal.Open();
    EXPECT_EQ(journal.FieldByName("Status").AsString(), "PREP");
    TTable objects;
    objects.SetDatabaseName(copy);
    objects.SetTableName("Objects");
    objects.Open();
    ASSERT_TRUE(objects.Locate("ID", {9}));
    EXPECT_EQ(objects.FieldByName("Expanded").AsString(), "Y");

    dm.FlushAndCloseTables();  // already closed: nothing happens
}

TEST_F(DataModule, OpenTablesReopensEveryTableAsItWas) {
    dm.PrepareTables(folders.UsersDataPath());
    dm.OpenBudget(budget);
    dm.TablePayHistory.Close();
    dm.TablePayHistory.SetFilter(Where("ID") == 4);
    dm.TablePayHistory.SetFiltered(true);
    dm.TablePayHistory.Open();
    dm.TablejTrans.Close();
    dm.TablejTrans.SetReadOnly(true);
    dm.TablejTrans.Open();

    dm.FlushAndCloseTables();
    dm.OpenTables();
    for (TTable* table : BudgetTables(dm)) {
        EXPECT_TRUE(table->Active());
        EXPECT_EQ(table->DatabaseName(), budget);
    }
    EXPECT_EQ(dm.TablePayHistory.Filter(), Where("ID") == 4);
    EXPECT_TRUE(dm.TablePayHistory.Filtered());
    EXPECT_TRUE(dm.TablejTrans.ReadOnly());
    EXPECT_FALSE(dm.TableObjects.ReadOnly());
    EXPECT_EQ(dm.TablejTrans.IndexName(), "Index_NTrans");
    EXPECT_EQ(dm.TableObjects.RecordCount(), 2);
}

// No user input reaches the program while the budget tables are closed or the budget list is
// rewritten: the message loop runs for paint and timer events only.
TEST_F(DataModule, LetsNoUserInputThroughWhileItWorks) {
    const FakeShellServices shell(folders.UsersDataPath());
    dm.PrepareTables(folders.UsersDataPath());
    dm.OpenBudget(budget);
    const std::pair<const char*, std::function<void()>> operations[] = {
        {"FlushAndCloseTables", [this] { dm.FlushAndCloseTables(); }},
        {"ResolveBudgetPaths", [this] { dm.ResolveBudgetPaths(); }},
    };
    for (const auto& [name, operation] : operations) {
        SCOPED_TRACE(name);
        std::vector<QEventLoop::ProcessEventsFlags> calls;
        QThread* thread = QThread::create(operation);
        thread->setEventDispatcher(new RecordingDispatcher(calls));
        thread->start();
        ASSERT_TRUE(thread->wait(60000));
        delete thread;
        ASSERT_FALSE(calls.empty());
        for (const QEventLoop::ProcessEventsFlags flags : calls)
            EXPECT_TRUE(flags.testFlag(QEventLoop::ExcludeUserInputEvents));
    }
}

// A budget folder may come from another computer: a tables file that holds a trigger or a view
// is refused when the budget is opened, named with the reason, and keeps its bytes; an extra
// table is left alone. No trigger ever fires: the marker table stays empty, also after the
// program's own writes to an accepted budget.
TEST_F(DataModule, ABudgetWhoseTablesCouldRunCodeIsRefusedUnchanged) {
    const struct {
        const char* what;
        const char* sql;
        const char* refusal;  // none: the budget opens
    } cases[] = {
        {"trigger on a table object's rows",
         "CREATE TRIGGER Spy AFTER INSERT ON Tables BEGIN INSERT INTO Marker VALUES (1); END",
         "holds a trigger ('Spy' on 'Tables')"},
        {"trigger wiping the pays at a change of the tree",
         "CREATE TRIGGER Wipe AFTER UPDATE ON Objects BEGIN DELETE FROM Pays; "
         "INSERT INTO Marker VALUES (1); END",
         "holds a trigger ('Wipe' on 'Objects')"},
        {"trigger on the journal",
         "CREATE TRIGGER Log BEFORE INSERT ON jTrans BEGIN INSERT INTO Marker VALUES (1); END",
         "holds a trigger ('Log' on 'jTrans')"},
        {"view in the place of the tree",
         "ALTER TABLE Objects RENAME TO Kept; CREATE VIEW Objects AS SELECT * FROM Kept",
         "holds a view ('Objects')"},
        {"extra table", "", nullptr},
    };
    const FakeShellServices shell(folders.UsersDataPath());
    dm.PrepareTables(folders.UsersDataPath());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string folder = folders.MakeBudget(c.what);
        crafted::Run(folder, std::string("CREATE TABLE Marker (N INTEGER PRIMARY KEY);") + c.sql);
        const std::string file = crafted::TablesFile(folder);
        const std::string bytes = crafted::Bytes(file);
        if (c.refusal != nullptr) {
            try {
                dm.OpenBudget(folder);
                ADD_FAILURE() << "opened";
            } catch (const EDatabaseError& error) {
                EXPECT_EQ(error.what(), "The tables file " + std::string(c.refusal) + ": " + file);
            }
            EXPECT_FALSE(dm.TableObjects.Active());
            EXPECT_EQ(crafted::Bytes(file), bytes);
        } else {
            dm.OpenBudget(folder);
            dm.TableTables.Append();
            dm.TableTables.FieldByName("ID").SetAsInteger(1);
            dm.TableTables.Post();
            dm.TableObjects.First();
            dm.TableObjects.Edit();
            dm.TableObjects.FieldByName("Name").SetAsString("renamed");
            dm.TableObjects.Post();
            dm.FlushAndCloseTables();
            EXPECT_EQ(crafted::Rows(folder, "Tables"), 1);
        }
        EXPECT_EQ(crafted::Rows(folder, "Marker"), 0);
    }
}

// Mend: only each table's columns were compared when a budget was opened, so a budget's tables
// file from elsewhere with a unique index or a check constraint of its own opened, and the
// user's later changes failed with a raw "UNIQUE constraint failed" and left acting rows. A
// budget's tables file is now judged by the empty budget's exact schema, the rule of a recovery
// and an import: refused with what differs, its bytes unchanged. What the program itself wrote
// still opens and takes changes: a budget made before the journal had its status index, and
// one in which SQLite keeps statistics.
TEST_F(DataModule, ABudgetWhoseSchemaIsNotTheEmptyBudgetsIsRefusedUnchanged) {
    const struct {
        const char* what;
        const char* sql;
        const char* differs;  // none: the budget opens
    } cases[] = {
        {"a unique index of its own", "CREATE UNIQUE INDEX Once ON Objects (Name)", "index Once"},
        {"a check constraint",
         "PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = replace(sql, ')', "
         "', CHECK (\"ID\" < 5))') WHERE type = 'table' AND name = 'Tables'",
         "table Tables"},
        {"an index missing", "DROP INDEX \"Objects.Index01\"", "index Objects.Index01"},
        {"a table of its own", "CREATE TABLE Mine (x)", "table Mine"},
        {"made before the journal's status index", "DROP INDEX \"jTrans.Index_Status\"",
         nullptr},
        {"with SQLite's statistics", "ANALYZE", nullptr},
    };
    FakeShellServices shell(folders.UsersDataPath());
    shell.state.DataPath = folders.DataPath();
    dm.PrepareTables(folders.UsersDataPath());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string folder = folders.MakeBudget(c.what);
        crafted::Run(folder, c.sql);
        const std::string file = crafted::TablesFile(folder);
        const std::string bytes = crafted::Bytes(file);
        if (c.differs != nullptr) {
            try {
                dm.OpenBudget(folder);
                ADD_FAILURE() << "opened";
            } catch (const EDatabaseError& error) {
                EXPECT_EQ(error.what(), "The tables file's structure is not the empty budget's (" +
                                            std::string(c.differs) + "): " + file);
            }
            EXPECT_FALSE(dm.TableObjects.Active());
            EXPECT_EQ(crafted::Bytes(file), bytes);
        } else {
            dm.OpenBudget(folder);
            for (const int id : {1, 7}) {
                dm.TableTables.Append();
                dm.TableTables.FieldByName("ID").SetAsInteger(id);
                dm.TableTables.Post();
            }
            dm.FlushAndCloseTables();
            EXPECT_EQ(crafted::Rows(folder, "Tables"), 2);
        }
    }
}
