// A tables file runs no code: the settings of every connection, and the schema check that
// refuses a file holding a trigger or a view.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "common/TestFolders.h"
#include "platform/Database.h"
#include "platform/ItemsTable.h"

namespace fs = std::filesystem;

namespace {

using TConnection = std::unique_ptr<sqlite3, decltype(&sqlite3_close)>;

TConnection OpenRaw(const std::string& file) {
    sqlite3* raw = nullptr;
    EXPECT_EQ(sqlite3_open(file.c_str(), &raw), SQLITE_OK);
    return TConnection(raw, &sqlite3_close);
}

int Exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

std::int64_t Count(sqlite3* db, const char* table) {
    sqlite3_stmt* stmt = nullptr;
    const std::string sql = std::string("SELECT count(*) FROM ") + table;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK) << sql;
    EXPECT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    const std::int64_t count = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    return count;
}

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace

TEST(DefensiveSettings, AConnectionRunsNoTriggerUsesNoViewAndLoadsNothing) {
    TestFolders folders;
    const std::string file = folders.Root() + "/made.sqlite";
    {
        const TConnection db = OpenRaw(file);
        ASSERT_EQ(Exec(db.get(),
                       "CREATE TABLE Items (N INTEGER PRIMARY KEY, Name TEXT);"
                       "CREATE TABLE Marker (N INTEGER);"
                       "CREATE TRIGGER Fire AFTER INSERT ON Items BEGIN "
                       "INSERT INTO Marker VALUES (1); END;"
                       "CREATE VIEW Seen AS SELECT * FROM Items"),
                  SQLITE_OK);
    }
    const TConnection db = OpenRaw(file);
    ApplyDefensiveSettings(db.get());
    EXPECT_EQ(Exec(db.get(), "INSERT INTO Items (Name) VALUES ('a')"), SQLITE_OK);
    EXPECT_EQ(Count(db.get(), "Marker"), 0);
    EXPECT_NE(Exec(db.get(), "SELECT * FROM Seen"), SQLITE_OK);
    EXPECT_NE(Exec(db.get(), "SELECT load_extension('/nonexistent/library')"), SQLITE_OK);
    EXPECT_NE(std::string(sqlite3_errmsg(db.get())).find("not authorized"), std::string::npos)
        << sqlite3_errmsg(db.get());
    // Defensive mode: the schema cannot be rewritten as a table.
    Exec(db.get(), "PRAGMA writable_schema=ON");
    EXPECT_NE(Exec(db.get(), "UPDATE sqlite_master SET sql='x' WHERE name='Items'"), SQLITE_OK);

    const std::vector<TSchemaEntry> schema = ReadSchema(db.get(), file);
    std::vector<std::string> entries;
    for (const TSchemaEntry& entry : schema)
        entries.push_back(entry.Type + " " + entry.Name + " on " + entry.TableName);
    EXPECT_EQ(entries, (std::vector<std::string>{"table Items on Items", "table Marker on Marker",
                                                 "trigger Fire on Items", "view Seen on Seen"}));
}

// Crafted tables files opened as a table opens them. A trigger, a view or a virtual table
// refuses the file with the reason, whatever its journal mode and also with a log not yet
// copied into it, and leaves file and log as they were; an extra table or index is kept and
// left alone. No trigger ever fires: the marker table stays empty.
TEST(TablesFileSchema, CodeInTheFileRefusesItAndExtraTablesAreLeftAlone) {
    const struct {
        const char* what;
        const char* sql;      // run on the file of one row
        const char* refusal;  // none: the file opens
        bool rollbackMode = false;
        bool logLeft = false;  // the crafting left its writes in the log
    } cases[] = {
        {"trigger on the table",
         "CREATE TRIGGER Spy AFTER INSERT ON Items BEGIN INSERT INTO Marker VALUES (1); END",
         "holds a trigger ('Spy' on 'Items')"},
        {"trigger before a delete",
         "CREATE TRIGGER Wipe BEFORE DELETE ON Items BEGIN INSERT INTO Marker VALUES (1); END",
         "holds a trigger ('Wipe' on 'Items')"},
        {"trigger on an extra table",
         "CREATE TRIGGER Spy AFTER INSERT ON Marker BEGIN DELETE FROM Items; END",
         "holds a trigger ('Spy' on 'Marker')"},
        {"trigger, rollback-journal mode",
         "CREATE TRIGGER Spy AFTER INSERT ON Items BEGIN INSERT INTO Marker VALUES (1); END",
         "holds a trigger", true},
        {"trigger in the log",
         "CREATE TRIGGER Spy AFTER INSERT ON Items BEGIN INSERT INTO Marker VALUES (1); END",
         "holds a trigger", false, true},
        {"view in the place of the table",
         "ALTER TABLE Items RENAME TO Kept; CREATE VIEW Items AS SELECT * FROM Kept",
         "holds a view ('Items')"},
        {"virtual table", "CREATE VIRTUAL TABLE Found USING fts5(Text)",
         "holds a virtual table ('Found')"},
        {"extra table", "INSERT INTO Marker VALUES (0); DELETE FROM Marker", nullptr},
        {"extra index", "CREATE INDEX Extra ON Items (At, Name)", nullptr},
        {"extra table, rollback-journal mode", "CREATE TABLE Other (N INTEGER PRIMARY KEY)",
         nullptr, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ItemsTable items;
        items.Add(1, 45000, "a");
        const std::string file = items.Folder() + "/tables.sqlite";
        {
            const TConnection db = OpenRaw(file);
            ASSERT_EQ(Exec(db.get(), "CREATE TABLE Marker (N INTEGER PRIMARY KEY)"), SQLITE_OK);
            ASSERT_EQ(Exec(db.get(), c.sql), SQLITE_OK) << sqlite3_errmsg(db.get());
            if (c.rollbackMode) {
                ASSERT_EQ(Exec(db.get(), "PRAGMA journal_mode=DELETE"), SQLITE_OK);
            }
            if (c.logLeft) {
                // The log stays as the connection leaves it, as after a crash.
                ASSERT_EQ(sqlite3_db_config(db.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr),
                          SQLITE_OK);
            }
        }
        const std::string bytes = FileBytes(file);
        const std::string log = FileBytes(file + "-wal");
        ASSERT_EQ(c.logLeft, !log.empty());

        TTable table;
        items.Configure(table);
        if (c.refusal != nullptr) {
            try {
                table.Open();
                ADD_FAILURE() << "opened";
            } catch (const EDatabaseError& error) {
                EXPECT_EQ(error.File(), file);
                EXPECT_NE(std::string(error.what()).find(c.refusal), std::string::npos)
                    << error.what();
                EXPECT_NE(std::string(error.what()).find(file), std::string::npos);
            }
            EXPECT_THROW(TTransactionScope{items.Folder()}, EDatabaseError);
            EXPECT_EQ(TDatabase::Find(items.Folder()), nullptr);
            EXPECT_EQ(FileBytes(file), bytes);
            EXPECT_EQ(FileBytes(file + "-wal"), log);
        } else {
            table.Open();
            table.Append();
            table.FieldByName("Grp").SetAsInteger(2);
            table.FieldByName("Name").SetAsString("b");
            table.Post();
            table.First();
            table.Delete();
            EXPECT_EQ(Names(table), std::vector<std::string>{"b"});
        }
        table.Close();
        const TConnection db = OpenRaw(file);
        EXPECT_EQ(Count(db.get(), "Marker"), 0);
    }
}
