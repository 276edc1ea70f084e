// The settings store: one value per key, exact keys, defaults, and the file as the only state.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

#include "common/FakeShellServices.h"
#include "common/TestFolders.h"
#include "platform/Table.h"
#include "store/Usettings.h"

namespace {

class Settings : public ::testing::Test {
protected:
    int Rows() {
        TTable table;
        table.SetDatabaseName(folders.UsersDataPath());
        table.SetTableName("Settings.db");
        table.Open();
        return table.RecordCount();
    }

    TestFolders folders;
    FakeShellServices shell{folders.UsersDataPath()};
};

}  // namespace

TEST_F(Settings, AKeyNeverWrittenReadsAsTheCallersDefault) {
    EXPECT_EQ(GetSettingInt("TransCount", 500), 500);
    EXPECT_EQ(GetSettingInt("BackupCount", 370), 370);
    EXPECT_EQ(GetSettingStr("NamesSep", "\\"), "\\");
    EXPECT_EQ(GetSettingDate("LastStart", 0.0), 0.0);
    EXPECT_EQ(Rows(), 0);  // reading writes nothing
}

TEST_F(Settings, EachAccessorWritesAndReadsItsOwnColumnOfOneRowPerKey) {
    SetSettingInt("Startup", 21);
    SetSettingStr("Startup", "/home/u/VemlyUsersData/Budget 1");
    SetSettingInt("Startup", 1);
    SetSettingDate("LastStart", 45500.75);
    EXPECT_EQ(GetSettingInt("Startup", 0), 1);
    EXPECT_EQ(GetSettingStr("Startup", "default"), "/home/u/VemlyUsersData/Budget 1");
    EXPECT_EQ(GetSettingDate("LastStart", 1.0), 45500.0);  // a date column keeps the day
    EXPECT_EQ(Rows(), 2);

    // A row made through another column reads as empty, not as the default.
    EXPECT_EQ(GetSettingStr("LastStart", "default"), "");
    EXPECT_EQ(GetSettingInt("LastStart", 7), 0);
    SetSettingStr("Startup1", "/backup/a.vlbackup");
    EXPECT_EQ(GetSettingDate("Startup1", 3.0), 0.0);
}

TEST_F(Settings, KeysMatchExactlyWithCase) {
    SetSettingInt("transcount", 10);
    EXPECT_EQ(GetSettingInt("TransCount", 500), 500);
    SetSettingInt("TransCount", 20);
    EXPECT_EQ(GetSettingInt("transcount", 0), 10);
    EXPECT_EQ(GetSettingInt("TransCount ", 500), 500);
    SetSettingInt("DeilyBackup", 0);
    EXPECT_EQ(GetSettingInt("DailyBackup", 1), 1);
    EXPECT_EQ(Rows(), 3);
}

TEST_F(Settings, EveryReadSeesWhatAnotherProcessLeftInTheFile) {
    SetSettingInt("SelNode", 3);
    sqlite3* other = nullptr;
    sqlite3_open((folders.UsersDataPath() + "tables.sqlite").c_str(), &other);
    sqlite3_busy_timeout(other, 5000);
    ASSERT_EQ(sqlite3_exec(other, "UPDATE Settings SET ValueInt=8 WHERE PName='SelNode'", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(other);
    EXPECT_EQ(GetSettingInt("SelNode", 0), 8);
}

TEST_F(Settings, AMissingTableIsADatabaseErrorForTheCaller) {
    std::filesystem::remove(folders.UsersDataPath() + "tables.sqlite");
    EXPECT_THROW(GetSettingInt("TransCount", 500), EDatabaseError);
    EXPECT_THROW(SetSettingInt("TransCount", 5), EDatabaseError);
    EXPECT_FALSE(std::filesystem::exists(folders.UsersDataPath() + "tables.sqlite"));
}
