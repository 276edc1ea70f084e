// A damaged or missing tables file is a clear error that changes nothing; a process killed in
// the middle of a transaction scope leaves all or none of its rows; odd folder names work.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "common/ChildProcess.h"
#include "platform/ItemsTable.h"

namespace fs = std::filesystem;

namespace {

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The bytes of an SQLite file in the default rollback-journal mode made by `sql`.
std::string SqliteFileBytes(const std::string& folder, const char* sql) {
    const std::string path = folder + "/made.sqlite";
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql;
    sqlite3_close(db);
    std::string bytes = FileBytes(path);
    fs::remove(path);
    return bytes;
}

// The byte of the header that names the journal mode: 1 rollback journal, 2 WAL.
constexpr std::size_t kJournalModeByte = 18;

}  // namespace

TEST(TablesFile, AMissingDamagedOrForeignFileIsAClearErrorAndStaysAsItWas) {
    ItemsTable items;
    items.Add(1, 45000, "a");
    const std::string file = items.Folder() + "/tables.sqlite";
    const std::string good = FileBytes(file);
    std::string bodyDamaged = good;
    std::fill(bodyDamaged.begin() + 100, bodyDamaged.end(), '\x5a');
    const std::string foreign = SqliteFileBytes(
        items.folders.Root(), "CREATE TABLE People (Name TEXT); INSERT INTO People VALUES ('x')");
    std::string foreignDamaged = foreign;
    std::fill(foreignDamaged.begin() + 100, foreignDamaged.end(), '\x5a');

    const struct {
        const char* what;
        std::optional<std::string> bytes;  // none: no file
        const char* message;
    } cases[] = {
        {"missing", std::nullopt, "missing"},
        {"empty", std::string(), "empty or truncated"},
        {"text", std::string(200, 'x'), "not an SQLite database"},
        {"truncated", good.substr(0, good.size() / 2), "truncated"},
        {"cut inside a page", good.substr(0, good.size() - 100), "truncated"},
        {"damaged pages", bodyDamaged, ""},
        // Foreign SQLite files in rollback-journal mode, which a switch to WAL would change.
        {"foreign", foreign, "Table 'People' has an unknown structure"},
        {"foreign, damaged pages", foreignDamaged, ""},
        {"foreign with a table of our name",
         SqliteFileBytes(items.folders.Root(), "CREATE TABLE Items (N INTEGER PRIMARY KEY, Grp)"),
         "Table 'Items' has an unknown structure"},
        {"without tables", SqliteFileBytes(items.folders.Root(), "PRAGMA user_version=7"),
         "holds no tables"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(file);
        if (c.bytes) WriteBytes(file, *c.bytes);
        TTable table;
        items.Configure(table);
        try {
            table.Open();
            ADD_FAILURE() << "opened";
        } catch (const EDatabaseError& error) {
            EXPECT_TRUE(error.File().ends_with("/items/tables.sqlite")) << error.File();
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
        EXPECT_FALSE(table.Active());
        EXPECT_EQ(TDatabase::Find(items.Folder()), nullptr);
        EXPECT_EQ(fs::exists(file), c.bytes.has_value());
        if (c.bytes) {
            EXPECT_EQ(FileBytes(file), *c.bytes);
        }
        EXPECT_THROW(TTransactionScope{items.Folder()}, EDatabaseError);
    }
    // A file of ours in rollback-journal mode opens and is switched to WAL.
    ASSERT_EQ(good[kJournalModeByte], 2);
    std::string rollbackMode = good;
    rollbackMode[kJournalModeByte] = rollbackMode[kJournalModeByte + 1] = 1;
    WriteBytes(file, rollbackMode);
    {
        TTable table;
        items.Configure(table);
        table.Open();
        EXPECT_EQ(Names(table), std::vector<std::string>{"a"});
    }
    EXPECT_EQ(FileBytes(file)[kJournalModeByte], 2);
}

TEST(TablesFile, AFolderInThePlaceOfTheTablesFileIsNamedAsSuch) {
    ItemsTable items;
    const std::string file = items.Folder() + "/tables.sqlite";
    fs::remove(file);
    fs::create_directory(file);
    TTable table;
    items.Configure(table);
    try {
        table.Open();
        ADD_FAILURE() << "opened";
    } catch (const EDatabaseError& error) {
        EXPECT_EQ(std::string(error.what()), "The path is a folder, not a tables file: " + file);
    }
    EXPECT_TRUE(fs::is_directory(file));
}

TEST(TablesFile, AProcessKilledInsideAScopeLeavesNoneOfTheScopesRows) {
    ItemsTable items;
    KillDuring(
        [&](int ready) {
            {
                TTransactionScope done(items.Folder());
                for (int i = 0; i < 100; ++i) items.Add(1, i, "committed");
                done.Commit();
            }
            TTransactionScope open(items.Folder());
            for (int i = 0; i < 3000; ++i) items.Add(2, i, "never committed");
            Ready(ready);
            pause();
        },
        std::chrono::milliseconds(0));
    EXPECT_EQ(IntegrityOf(items.Folder()), "ok");
    TTable table;
    items.Configure(table);
    table.Open();
    EXPECT_EQ(table.RecordCount(), 100);
    table.Last();
    EXPECT_EQ(table.FieldByName("Grp").AsInteger(), 1);
}

TEST(TablesFile, AProcessKilledAtAnyMomentLeavesWholeScopes) {
    constexpr int kScope = 40;
    ItemsTable items;
    std::mt19937 random(20240601);
    for (int run = 0; run < 6; ++run) {
        SCOPED_TRACE(run);
        KillDuring(
            [&](int ready) {
                for (int scope = 0;; ++scope) {
                    TTransactionScope transaction(items.Folder());
                    for (int i = 0; i < kScope; ++i) items.Add(run, scope, std::to_string(i));
                    transaction.Commit();
                    if (scope == 0) Ready(ready);
                }
            },
            std::chrono::milliseconds(std::uniform_int_distribution<int>(1, 60)(random)));
        ASSERT_EQ(IntegrityOf(items.Folder()), "ok");
        TTable table;
        items.Configure(table);
        table.SetFilter(Where("Grp") == run);
        table.SetFiltered(true);
        table.Open();
        const int rows = table.RecordCount();
        EXPECT_GE(rows, kScope);
        EXPECT_EQ(rows % kScope, 0) << rows;
        // The scopes' rows are whole: each day (scope) holds every number once.
        table.Last();
        const double lastScope = table.FieldByName("Day").AsDateTime();
        EXPECT_EQ(rows, (static_cast<int>(lastScope) + 1) * kScope);
    }
}

TEST(TablesFile, FoldersWithBlanksQuotesAndNonAsciiLettersWork) {
    TestFolders folders;
    const std::string folder = folders.Root() + "/Haushalt \"Küche\" 'Ёлка' ; $HOME";
    fs::create_directories(folder);
    CreateTablesFile(folder, {TTableDef{"Kasse",
                                        {{"N", TFieldKind::Integer}, {"Text", TFieldKind::Text}},
                                        {{"Index01", {"Text"}}}}});
    {
        TTransactionScope scope(folder);
        TTable table;
        table.SetDatabaseName(folder);
        table.SetTableName("kasse.DB");
        table.Open();
        table.Append();
        table.FieldByName("Text").SetAsString("Grüße \"zu\" 'Hause'");
        table.Post();
        scope.Commit();
    }
    CheckpointTables(folder);
    TTable table;
    table.SetDatabaseName(folder + "/./");
    table.SetTableName("Kasse");
    table.SetIndexName("index01");
    table.Open();
    EXPECT_TRUE(table.Locate("Text", {"Grüße \"zu\" 'Hause'"}));
    EXPECT_EQ(table.RecordCount(), 1);
}
