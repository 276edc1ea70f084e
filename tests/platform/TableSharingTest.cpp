// Tables of one folder share one connection: what one table writes the others see; transaction
// scopes make many writes atomic; checkpoints put everything into the file before a copy.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <functional>

#include "platform/ItemsTable.h"

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

namespace {

// The rows of Items as another connection (another process, a copy) sees them in the file.
int RowsInFile(const std::string& folder) {
    sqlite3* db = nullptr;
    sqlite3_open_v2((folder + "/tables.sqlite").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    int rows = -1;
    if (sqlite3_prepare_v2(db, "SELECT count(*) FROM Items", -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        rows = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

class TableSharing : public ::testing::Test {
protected:
    void SetUp() override {
        items.Add(1, 45000, "a");
        items.Add(1, 45001, "b");
        items.Add(1, 45002, "c");
        items.Configure(first);
        items.Configure(second);
        first.Open();
        second.Open();
    }

    ItemsTable items;
    TTable first;
    TTable second;
};

}  // namespace

TEST_F(TableSharing, EveryTableOfAFolderUsesOneConnectionWhateverTheFolderSpelling) {
    const auto db = TDatabase::Find(items.Folder());
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(TDatabase::Get(items.Folder() + "/"), db);
    EXPECT_EQ(TDatabase::Get(items.Folder() + "/../items/."), db);
    first.Close();
    second.Close();
    EXPECT_NE(TDatabase::Find(items.Folder()), nullptr);  // `db` still holds it
}

TEST_F(TableSharing, TheConnectionClosesWithItsLastTable) {
    first.Close();
    second.Close();
    EXPECT_EQ(TDatabase::Find(items.Folder()), nullptr);
    EXPECT_FALSE(fs::exists(items.Folder() + "/tables.sqlite-wal"));
}

TEST_F(TableSharing, ValuesAreCurrentAndRowsOfOthersShowWhenTheCursorReadsAgain) {
    ASSERT_TRUE(second.Locate("Name", {"a"}));
    second.Edit();
    second.FieldByName("Name").SetAsString("a2");
    second.Post();
    EXPECT_EQ(Name(first), "a2");  // the current row is read again

    second.Append();
    second.FieldByName("Grp").SetAsInteger(0);
    second.FieldByName("Name").SetAsString("first");
    second.Post();
    EXPECT_EQ(first.RecordCount(), 4);
    first.Refresh();
    EXPECT_EQ(Name(first), "a2");
    first.Prior();
    EXPECT_EQ(Name(first), "first");
    EXPECT_EQ(Names(first), (Strings{"first", "a2", "b", "c"}));
}

TEST_F(TableSharing, ACurrentRowDeletedByAnotherTableKeepsItsValuesAndTheWalkGoesOn) {
    // However the cursor came to the row: searched, walked onto, or walked to the end.
    const std::function<void(TTable&)> reachB[] = {
        [](TTable& t) { ASSERT_TRUE(t.Locate("Name", {"b"})); },
        [](TTable& t) {
            t.First();
            t.Next();
        },
        [](TTable& t) {
            t.SetFilter(Where("Grp") == 1 && Where("Day") <= 45001.0);
            t.SetFiltered(true);
            while (!t.Eof()) t.Next();
        },
    };
    for (const auto& reach : reachB) {
        first.SetFiltered(false);
        reach(first);
        ASSERT_TRUE(second.Locate("Name", {"b"}));
        second.Delete();
        EXPECT_EQ(Name(second), "c");
        EXPECT_EQ(Name(first), "b");
        EXPECT_EQ(first.FieldByName("Day").AsDateTime(), 45001.0);
        EXPECT_THROW(first.Edit(), EDatabaseError);
        EXPECT_THROW(first.Delete(), EDatabaseError);
        first.Prior();  // the walk goes on from the deleted row's place
        EXPECT_EQ(Name(first), "a");
        items.Add(1, 45001, "b");
    }

    first.SetFiltered(false);
    ASSERT_TRUE(first.Locate("Name", {"a"}));
    second.First();
    second.Delete();
    EXPECT_FALSE(first.IsEmpty());  // stands on the neighbour of the deleted row
    EXPECT_EQ(Name(first), "b");
    while (!second.IsEmpty()) second.Delete();
    EXPECT_TRUE(first.IsEmpty());
}

// A current row that another table deletes or changes out of the view is no row of the view:
// First, Last and IsEmpty show the view as it is, also when the cursor stands at its end.
TEST_F(TableSharing, ARowThatAnotherTableTookOutOfTheViewIsNoLongerShown) {
    const std::pair<const char*, std::function<void(TTable&)>> takeOut[] = {
        {"deleted", [](TTable& t) { t.Delete(); }},
        {"changed out of the view",
         [](TTable& t) {
             t.Edit();
             t.FieldByName("Grp").SetAsInteger(2);
             t.Post();
         }},
    };
    first.SetFilter(Where("Grp") == 1);
    first.SetFiltered(true);
    for (const auto& [what, out] : takeOut) {
        SCOPED_TRACE(what);
        ASSERT_TRUE(first.Locate("Name", {"c"}) && second.Locate("Name", {"c"}));
        out(second);
        first.Next();  // nothing comes after its place
        first.Last();
        EXPECT_EQ(Name(first), "b");

        ASSERT_TRUE(first.Locate("Name", {"a"}) && second.Locate("Name", {"a"}));
        out(second);
        first.Prior();  // nothing comes before its place
        first.First();
        EXPECT_EQ(Name(first), "b");

        ASSERT_TRUE(second.Locate("Name", {"b"}));
        out(second);
        EXPECT_TRUE(first.IsEmpty());
        EXPECT_TRUE(first.Bof() && first.Eof());

        while (!second.IsEmpty()) second.Delete();
        for (const auto& [day, name] : {std::pair(45000, "a"), {45001, "b"}, {45002, "c"}})
            items.Add(1, day, name);
    }
}

// Like a row posted out of the view: the row after the place where the row stands now.
TEST_F(TableSharing, RefreshOfARowChangedOutOfTheViewGoesOnFromWhereItStandsNow) {
    items.Add(0, 45005, "z");
    first.SetFilter(Where("Grp") <= 1);  // z, a, b, c
    first.SetFiltered(true);
    ASSERT_TRUE(first.Locate("Name", {"z"}) && second.Locate("Name", {"z"}));
    second.Edit();
    second.FieldByName("Grp").SetAsInteger(2);  // now after c, out of the view
    second.Post();
    first.Refresh();
    EXPECT_EQ(Name(first), "c");
}

// Writes a row into Items through a connection of its own, as another process would.
static void AddInFile(const std::string& folder, const char* name) {
    sqlite3* db = nullptr;
    sqlite3_open_v2((folder + "/tables.sqlite").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_busy_timeout(db, 1000);
    const std::string sql = std::string("INSERT INTO Items(Grp, Day, Name) VALUES(3, 0, '") +
                            name + "')";
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

// A read scope reads one state of the file from its first read to its end, whatever another
// process writes meanwhile; after it the new rows are seen. Inside a write scope it changes
// nothing, and its end commits nothing of the write scope.
TEST_F(TableSharing, AReadScopeSeesOneStateOfTheFile) {
    // Tables are reopened after each write, so that no cursor keeps reading an older state.
    const auto reopened = [this] {
        first.Close();
        first.Open();
        return first.RecordCount();
    };
    second.Close();
    {
        const TReadScope snapshot(items.Folder());
        EXPECT_EQ(reopened(), 3);
        AddInFile(items.Folder(), "other");
        EXPECT_EQ(reopened(), 3);
    }
    EXPECT_EQ(reopened(), 4);
    {
        TTransactionScope writes(items.Folder());
        items.Add(2, 1, "x");
        {
            const TReadScope snapshot(items.Folder());
            EXPECT_EQ(first.RecordCount(), 5);
        }
        EXPECT_EQ(RowsInFile(items.Folder()), 4);
    }  // rolled back
    EXPECT_EQ(first.RecordCount(), 4);
}

TEST_F(TableSharing, AScopeCommitsAllItsRowsAtOnceOrNone) {
    {
        TTransactionScope scope(items.Folder());
        items.Add(2, 1, "x");
        items.Add(2, 2, "y");
        EXPECT_EQ(first.RecordCount(), 5);  // the scope's own connection sees them
        EXPECT_EQ(RowsInFile(items.Folder()), 3);
        scope.Commit();
    }
    EXPECT_EQ(RowsInFile(items.Folder()), 5);
    {
        TTransactionScope scope(items.Folder());
        items.Add(2, 3, "gone");
        ASSERT_TRUE(first.Locate("Name", {"a"}));
        first.Delete();
    }  // rolled back
    first.Refresh();
    EXPECT_EQ(Names(first), (Strings{"a", "b", "c", "x", "y"}));
    EXPECT_EQ(RowsInFile(items.Folder()), 5);
}

TEST_F(TableSharing, NestedScopesRollBackOnlyTheirOwnRowsAndOnlyTheOutermostCommits) {
    {
        TTransactionScope outer(items.Folder());
        items.Add(2, 1, "outer");
        {
            TTransactionScope inner(items.Folder());
            items.Add(2, 2, "inner rolled back");
        }
        {
            TTransactionScope inner(items.Folder());
            items.Add(2, 3, "inner committed");
            inner.Commit();
            EXPECT_EQ(RowsInFile(items.Folder()), 3);
        }
        outer.Commit();
    }
    first.SetFilter(Where("Grp") == 2);
    first.SetFiltered(true);
    EXPECT_EQ(Names(first), (Strings{"outer", "inner committed"}));
    {
        TTransactionScope outer(items.Folder());
        TTransactionScope inner(items.Folder());
        items.Add(2, 4, "dropped with the outer scope");
        inner.Commit();
        EXPECT_THROW(inner.Commit(), EDatabaseError);
    }
    EXPECT_EQ(first.RecordCount(), 2);
}

TEST_F(TableSharing, ACheckpointPutsEverythingIntoTheFileSoThatACopyHoldsIt) {
    items.Add(2, 1, "late");
    first.FlushBuffers();
    const std::string copy = items.folders.Root() + "/copy";
    fs::create_directories(copy);
    CheckpointTables(items.Folder());
    fs::copy_file(items.Folder() + "/tables.sqlite", copy + "/tables.sqlite");
    TTable copied;
    copied.SetDatabaseName(copy);
    copied.SetTableName("Items");
    copied.Open();
    EXPECT_EQ(Names(copied), (Strings{"a", "b", "c", "late"}));  // no index: counter order

    TTransactionScope scope(items.Folder());
    EXPECT_THROW(CheckpointTables(items.Folder()), EDatabaseError);
    // A folder without tables, or whose tables are closed and written out, needs nothing.
    EXPECT_NO_THROW(CheckpointTables(items.folders.Root()));
}

// A walk reads from the file the fields that the table was asked for; any other field still
// reads what the file holds: one asked for the first time, and every field of a row that
// another table deletes after this one wrote to another table of the folder.
TEST(TableWalk, EveryFieldReadsWhatTheFileHoldsWhateverTheWalkSelected) {
    TestFolders folders;
    const std::string folder = folders.Root() + "/walk";
    fs::create_directories(folder);
    CreateTablesFile(
        folder,
        {TTableDef{
             "Items",
             {{"N", TFieldKind::Integer}, {"Grp", TFieldKind::Integer}, {"Name", TFieldKind::Text}},
             {{"Index01", {"Grp"}}}},
         TTableDef{"Log", {{"N", TFieldKind::Integer}, {"Text", TFieldKind::Text}}, {}}});
    const auto configure = [&](TTable& table, const char* name) {
        table.SetDatabaseName(folder);
        table.SetTableName(name);
        table.SetIndexName(std::string(name) == "Items" ? "Index01" : "");
        table.Open();
    };
    TTable writer;
    configure(writer, "Items");
    for (const int grp : {4, 1, 6, 3, 2, 5}) {
        writer.Append();
        writer.FieldByName("Grp").SetAsInteger(grp);
        writer.FieldByName("Name").SetAsString("r" + std::to_string(grp));
        writer.Post();
    }

    // Grp is asked for on the third row only, then on every row; the walk goes on in order.
    TTable walk;
    configure(walk, "Items");
    Strings seen;
    for (walk.First(); !walk.Eof(); walk.Next()) {
        std::string row = walk.FieldByName("Name").AsString();
        if (seen.size() >= 2) row += "/" + std::to_string(walk.FieldByName("Grp").AsInteger());
        seen.push_back(row);
    }
    EXPECT_EQ(seen, (Strings{"r1", "r2", "r3/3", "r4/4", "r5/5", "r6/6"}));

    TTable names;  // asked for Name only
    configure(names, "Items");
    TTable log;
    configure(log, "Log");
    EXPECT_EQ(Name(names), "r1");
    names.Next();
    EXPECT_EQ(Name(names), "r2");
    log.Append();
    log.FieldByName("Text").SetAsString("written while walking");
    log.Post();
    ASSERT_TRUE(writer.Locate("Grp", {2}));
    writer.Delete();
    EXPECT_EQ(Name(names), "r2");
    EXPECT_EQ(names.FieldByName("Grp").AsInteger(), 2);
    names.Next();
    EXPECT_EQ(Name(names), "r3");
}

// An edit writes the fields it set and no others: what another table wrote meanwhile into the
// row's other fields stays.
TEST_F(TableSharing, AnEditWritesOnlyTheFieldsItSet) {
    ASSERT_TRUE(first.Locate("Name", {"b"}));
    first.Edit();
    first.FieldByName("Name").SetAsString("b2");
    ASSERT_TRUE(second.Locate("Name", {"b"}));
    second.Edit();
    second.FieldByName("Grp").SetAsInteger(7);
    second.Post();
    first.Post();
    EXPECT_EQ(Name(first), "b2");
    EXPECT_EQ(first.FieldByName("Grp").AsInteger(), 7);
    // An edit that set nothing writes the row as it is.
    first.Edit();
    first.Post();
    EXPECT_EQ(first.FieldByName("Grp").AsInteger(), 7);
    EXPECT_EQ(Name(first), "b2");
}
