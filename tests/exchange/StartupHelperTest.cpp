// The start-up helper's report: each failure with its reason, and a request that failed is
// kept for the next start or dropped, as the user answers; a request whose work was done while
// the settings could not be written is said to be so and not carried out again.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "common/BudgetDump.h"
#include "common/ScopedHome.h"
#include "common/ScopedMessageDlg.h"
#include "exchange/ExchangeFixture.h"
#include "exchange/RestartRequests.h"
#include "exchange/StartupHelper.h"
#include "store/Usettings.h"

namespace fs = std::filesystem;

namespace {

class StartupHelper : public ExchangeFixture {
protected:
    StartupHelper() {
        shell.state.BackupPath = folders.Root() + "/backups";
        dm.FlushAndCloseTables();
        CheckpointTables(budget);
        SetSettingDate("LastStart", now);  // no daily backup
    }
    ScopedHome home{folders.Root()};
    const TDateTime now = EncodeDate(2024, 5, 6) + 0.5;
};

TEST_F(StartupHelper, AFailedRequestIsKeptOrDroppedAsTheUserAnswers) {
    const std::string notArchive = folders.Root() + "/text.vlbackup";
    WriteFile(notArchive, "plain text");
    const std::string good = folders.Root() + "/good.vlbackup";
    ASSERT_EQ(BackupBudget(budget, good), std::nullopt);
    const std::string before = DumpBudget(budget);
    struct Case {
        const char* name;
        std::string archive;
        bool trashUnusable;
        int answer;
        const char* reason;
    } cases[] = {
        {"refused archive, kept", notArchive, false, mrNo, "not a readable archive"},
        {"refused archive, dropped", notArchive, false, mrYes, "not a readable archive"},
        {"no trash, kept", good, true, mrNo, "the trash cannot be used"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A file where the trash's folder would be made leaves no trash for the account.
        fs::remove_all(home.Path() + "/.local/share");
        if (c.trashUnusable)
            WriteFile(home.Path() + "/.local/share", "no folder");
        else
            fs::create_directories(home.Path() + "/.local/share");
        WriteRestartRequest(kRequestRecovery, budget, c.archive);
        ScopedMessageDlg box(c.answer);
        EXPECT_EQ(RunStartupWork(shell.state, now), 1);
        ASSERT_EQ(box.Calls().size(), 1u);
        EXPECT_EQ(box.Calls()[0].Buttons, mbYes | mbNo);
        EXPECT_NE(box.Calls()[0].Text.find(c.reason), std::string::npos) << box.Calls()[0].Text;
        EXPECT_EQ(GetSettingInt("Startup", -1), c.answer == mrNo ? kRequestRecovery : kRequestNone);
        EXPECT_EQ(DumpBudget(budget), before);
    }
}

// Another process's hold on the users-data tables against writes, as long as it lives.
class HeldUsersData {
public:
    explicit HeldUsersData(const std::string& usersDataPath) {
        sqlite3_open((usersDataPath + "tables.sqlite").c_str(), &db_);
        held_ = sqlite3_exec(db_, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~HeldUsersData() {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db_);
    }
    HeldUsersData(const HeldUsersData&) = delete;
    HeldUsersData& operator=(const HeldUsersData&) = delete;
    bool Held() const { return held_; }

private:
    sqlite3* db_ = nullptr;
    bool held_ = false;
};

// Each request is carried out while the settings cannot be written; the box says the work was
// done (or how far it got) and asks nothing. The user then works in the budget; the next start,
// the hold gone, clears the request without doing its work again.
TEST_F(StartupHelper, WorkDoneWhileTheSettingsAreHeldIsNotDoneAgain) {
    const std::string archive = folders.Root() + "/saved.vlbackup";
    ASSERT_EQ(BackupBudget(budget, archive), std::nullopt);
    AddBudgetRow(budget);
    const std::string made = folders.Root() + "/made.vlbackup";
    struct Case {
        const char* name;
        int code;
        std::string archive;
        const char* said;
    } cases[] = {
        {"recovery", kRequestRecovery, archive, "The work asked for was done"},
        {"backup", kRequestBackup, made, "The work asked for was done"},
        {"deletion", kRequestDelete, "", "could not be taken out of the budget list"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteRestartRequest(c.code, budget, c.archive);
        WriteFile(budget + "/before.txt", "entered before the request was carried out");
        {
            HeldUsersData other(folders.UsersDataPath());
            ASSERT_TRUE(other.Held());
            ScopedMessageDlg box(mrYes);
            EXPECT_EQ(RunStartupWork(shell.state, now), 1);
            ASSERT_EQ(box.Calls().size(), 1u);
            EXPECT_EQ(box.Calls()[0].Buttons, mbOK);
            EXPECT_NE(box.Calls()[0].Text.find(c.said), std::string::npos) << box.Calls()[0].Text;
            EXPECT_EQ(box.Calls()[0].Text.find("left as it was"), std::string::npos);
        }
        EXPECT_EQ(GetSettingInt("Startup", -1), c.code) << "kept for the next start";
        EXPECT_EQ(fs::exists(budget + "/before.txt"), c.code == kRequestBackup);
        if (c.code == kRequestDelete) break;
        WriteFile(budget + "/after.txt", "entered after the request was carried out");
        const std::string archived = ReadBytes(made);
        ScopedMessageDlg box(mrYes);
        EXPECT_EQ(RunStartupWork(shell.state, now), 0);
        EXPECT_TRUE(box.Calls().empty());
        EXPECT_EQ(GetSettingInt("Startup", -1), kRequestNone);
        EXPECT_TRUE(fs::exists(budget + "/after.txt")) << "not recovered again";
        EXPECT_EQ(ReadBytes(made), archived) << "not backed up again";
        fs::remove(budget + "/after.txt");
        fs::remove(budget + "/before.txt");
    }
    // The deletion's folder is in the trash; the next start takes its row out.
    ScopedMessageDlg box(mrYes);
    EXPECT_EQ(RunStartupWork(shell.state, now), 0);
    EXPECT_TRUE(box.Calls().empty());
    EXPECT_EQ(GetSettingInt("Startup", -1), kRequestNone);
    TTable rows;
    rows.SetDatabaseName(folders.UsersDataPath());
    rows.SetTableName("Budgets");
    rows.SetReadOnly(true);
    rows.Open();
    EXPECT_TRUE(rows.Eof());
    EXPECT_FALSE(fs::exists(budget + ".recovery-checked"));
    EXPECT_FALSE(fs::exists(folders.UsersDataPath() + "StartupBackupDone"));
}

}  // namespace
