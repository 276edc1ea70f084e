// A tables file runs no code: the settings of every connection, and the schema check that
// refuses a file holding a trigger or a view.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>

#include "common/TestFolders.h"
#include "platform/Database.h"

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
