// The restart requests as the start-up helper carries them out: backup, recovery (checked
// before anything is replaced) and deletion, a failure leaving the request pending, the daily
// backups with the copies kept, and the default name of a backup.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/BudgetDump.h"
#include "common/CraftedTables.h"
#include "common/ScopedHome.h"
#include "common/SmallDisk.h"
#include "exchange/ExchangeFixture.h"
#include "exchange/RestartRequests.h"
#include "store/Usettings.h"
#include "store/Utransactions.h"

namespace fs = std::filesystem;

namespace {

TEST(DefaultBackupName, FolderNameDateAndTime) {
    const TDateTime at = EncodeDate(2011, 3, 15) + (9 * 3600 + 5 * 60 + 7) / 86400.0;
    EXPECT_EQ(DefaultBackupName("/D/Arc", "/C/Budgets/Family", at),
              "/D/Arc/Family_20110315-090507.vlbackup");
    EXPECT_EQ(DefaultBackupName("/D/Arc", "/C/Budgets/Family/", at),
              "/D/Arc/Family_20110315-090507.vlbackup");
    EXPECT_EQ(DefaultBackupName("/D/Arc", "/C/Tab\tName", EncodeDate(2024, 12, 31) + 0.9999999),
              "/D/Arc/Tab_Name_20241231-235959.vlbackup");
}

class Requests : public ExchangeFixture {
protected:
    Requests() {
        shell.state.BackupPath = folders.Root() + "/backups";
        AddBudgetRow(budget);
    }

    static int BudgetRows(const std::string& folder) {
        TTable rows;
        rows.SetDatabaseName(ShellServices().UsersDataPath());
        rows.SetTableName("Budgets");
        rows.SetReadOnly(true);
        rows.Open();
        int count = 0;
        for (rows.First(); !rows.Eof(); rows.Next())
            count += rows.FieldByName("Path").AsString() == folder;
        return count;
    }
    std::vector<std::string> Backups() const {
        std::vector<std::string> names;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(shell.state.BackupPath, error))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // The open budget's tables closed, as they are when the helper runs.
    void CloseBudget() {
        dm.FlushAndCloseTables();
        CheckpointTables(budget);
    }

    ScopedHome home{folders.Root()};
    const TDateTime now = EncodeDate(2024, 5, 6) + 0.5;
};

TEST_F(Requests, BackupThenRecoveryBringsTheBudgetBackAndTheOldOneGoesToTheTrash) {
    MakeBranch(11, 0);
    CloseBudget();
    const std::string archive = folders.Root() + "/saved \"copy\".vlbackup";
    const std::string saved = DumpBudget(budget);
    WriteRestartRequest(kRequestBackup, budget, archive);
    EXPECT_EQ(CarryOutRequest(shell.state, now), std::nullopt);
    EXPECT_EQ(GetSettingInt("Startup", -1), kRequestNone);
    EXPECT_GT(fs::file_size(archive), 0u);

    fs::remove_all(budget + "/Images");
    WriteFile(budget + "/later.txt", "after the backup");
    WriteRestartRequest(kRequestBackupRecovery, budget, archive);
    EXPECT_EQ(CarryOutRequest(shell.state, now), std::nullopt);
    EXPECT_EQ(GetSettingInt("Startup", -1), kRequestNone);
    EXPECT_EQ(DumpBudget(budget), saved);
    EXPECT_EQ(Backups(), std::vector<std::string>{"Budget \"one\"_20240506-120000.vlbackup"});
    EXPECT_TRUE(fs::exists(home.TrashFiles() + "/Budget \"one\"/later.txt"));
    EXPECT_FALSE(fs::exists(budget + ".recovery"));
}

TEST_F(Requests, ARefusedArchiveOrFailingArchiverLeavesBudgetAndRequest) {
    MakeBranch(11, 0);
    CloseBudget();
    const std::string before = DumpBudget(budget);
    const std::string evil = folders.Root() + "/evil.vlbackup";
    WriteTar(evil, {{"../outside", AE_IFREG, "x"}});
    const std::string notArchive = folders.Root() + "/text.vlbackup";
    WriteFile(notArchive, "plain text");
    struct Case {
        int code;
        std::string archive;
        std::string backupCommand;
        TRequestFailure failure;
    } cases[] = {
        {kRequestRecovery, evil, "", {"ArcParentPath", "../outside"}},
        {kRequestRecovery, notArchive, "", {"ArcUnreadable", ""}},
        {kRequestBackup, folders.Root() + "/x.vlbackup", "false", {"BackupFailed", ""}},
        {kRequestBackup, folders.Root() + "/x.vlbackup", "-", {"NoBackupCommand", ""}},
        {kRequestBackup, "", "", {"NoArchiveName", budget}},
        {kRequestBackupDelete, "", "false", {"BackupFailed", ""}},
        {kRequestBackupRecovery, evil, "false", {"BackupFailed", ""}},
    };
    for (const Case& c : cases) {
        if (!c.backupCommand.empty())
            SetCommand("BackupCommand", c.backupCommand == "-" ? "" : c.backupCommand);
        WriteRestartRequest(c.code, budget, c.archive);
        const TRequestResult result = CarryOutRequest(shell.state, now);
        ASSERT_TRUE(result) << c.code;
        EXPECT_EQ(result->Key, c.failure.Key) << c.code;
        if (!c.failure.Detail.empty()) {
            EXPECT_EQ(result->Detail, c.failure.Detail) << c.code;
        }
        EXPECT_EQ(GetSettingInt("Startup", -1), c.code) << "still pending";
        EXPECT_EQ(DumpBudget(budget), before) << c.code;
        EXPECT_EQ(BudgetRows(budget), 1);
        EXPECT_FALSE(fs::exists(budget + ".recovery"));
        EXPECT_FALSE(fs::exists(folders.Root() + "/outside"));
        EXPECT_FALSE(fs::exists(folders.Root() + "/x.vlbackup"));
        SetCommand("BackupCommand", R"(tar -czf "[ArcName]" -C "[SouscePath]" .)");
    }
}

// A backup made on another computer may hold a tables file that could run code: the recovery
// refuses it before anything is replaced, names what it holds, and leaves the budget and the
// request as they were.
TEST_F(Requests, ARecoveryRefusesABackupWhoseTablesCouldRunCode) {
    CloseBudget();
    const std::string before = DumpBudget(budget);
    const std::string made = folders.Root() + "/made";
    const std::string archive = folders.Root() + "/made.vlbackup";
    const struct {
        const char* what;
        const char* sql;
        const char* detail;
    } cases[] = {
        {"trigger on a table object's rows",
         "CREATE TRIGGER Spy AFTER INSERT ON Tables BEGIN DELETE FROM Pays; END", "trigger Spy"},
        {"trigger on the journal",
         "CREATE TRIGGER Log BEFORE INSERT ON jTrans BEGIN DELETE FROM Objects; END",
         "trigger Log"},
        {"view", "CREATE VIEW Seen AS SELECT * FROM Objects", "view Seen"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(made);
        fs::copy(budget, made, fs::copy_options::recursive);
        crafted::Run(made, c.sql);
        fs::remove(archive);
        ASSERT_EQ(BackupBudget(made, archive), std::nullopt);
        WriteRestartRequest(kRequestRecovery, budget, archive);
        const TRequestResult result = CarryOutRequest(shell.state, now);
        ASSERT_TRUE(result);
        EXPECT_EQ(*result, (TRequestFailure{"ArcOtherStructure", c.detail}));
        EXPECT_EQ(GetSettingInt("Startup", -1), kRequestRecovery) << "still pending";
        EXPECT_EQ(DumpBudget(budget), before);
        EXPECT_FALSE(fs::exists(budget + ".recovery"));
    }
}

TEST_F(Requests, DeletionMovesTheFolderToTheTrashAndTakesTheRowOut) {
    const std::string other = folders.MakeBudget("Other");
    AddBudgetRow(other);
    struct Case {
        std::string folder;
        int code;
        size_t backups;
    } cases[] = {{budget, kRequestDelete, 0}, {other, kRequestBackupDelete, 1}};
    CloseBudget();
    SetSettingStr("Startup1", "kept");
    for (const Case& c : cases) {
        WriteRestartRequest(c.code, c.folder, std::nullopt);
        EXPECT_EQ(CarryOutRequest(shell.state, now), std::nullopt);
        EXPECT_FALSE(fs::exists(c.folder));
        EXPECT_EQ(BudgetRows(c.folder), 0);
        EXPECT_EQ(Backups().size(), c.backups);
        EXPECT_EQ(GetSettingStr("Startup1", ""), "kept");
        EXPECT_EQ(GetSettingInt("Startup", -1), kRequestNone);
    }
}

TEST_F(Requests, NothingPendingDoesNothing) {
    CloseBudget();
    const std::string before = DumpBudget(budget);
    EXPECT_EQ(CarryOutRequest(shell.state, now), std::nullopt);
    EXPECT_EQ(DumpBudget(budget), before);
    EXPECT_TRUE(Backups().empty());
}

TEST_F(Requests, DailyBackupOnTheDaysFirstStartKeepsTheNewestCopies) {
    CloseBudget();
    fs::create_directories(shell.state.BackupPath);
    for (const char* old :
         {"Budget \"one\"_20240101-000000.vlbackup", "Budget \"one\"_20240301-000000.vlbackup",
          "Budget \"one\"_20240201-000000.vlbackup", "unrelated.vlbackup",
          "Other_20230101-000000.vlbackup"})
        WriteFile(shell.state.BackupPath + "/" + old, "old");
    struct Case {
        TDateTime lastStart;
        int daily;
        bool backedUp;
    } cases[] = {
        {now, 1, false},      // not the first start of the day
        {now - 1, 0, false},  // daily backup off
        {now - 1, 1, true},
    };
    SetSettingInt("BackupCount", 2);
    for (const Case& c : cases) {
        SetSettingDate("LastStart", c.lastStart);
        SetSettingInt("DeilyBackup", c.daily);
        EXPECT_TRUE(DailyBackup(shell.state, now).empty());
        EXPECT_EQ(Backups().size(), c.backedUp ? 4u : 5u);
    }
    EXPECT_EQ(Backups(),
              (std::vector<std::string>{"Budget \"one\"_20240301-000000.vlbackup",
                                        "Budget \"one\"_20240506-120000.vlbackup",
                                        "Other_20230101-000000.vlbackup", "unrelated.vlbackup"}));
}

TEST_F(Requests, AFolderNamedWithATrailingSlashIsTheSameBudget) {
    MakeBranch(11, 0);
    CloseBudget();
    const std::string archive = folders.Root() + "/saved.vlbackup";
    ASSERT_EQ(BackupBudget(budget, archive), std::nullopt);
    const std::string saved = DumpBudget(budget);
    for (const std::string& spelling : {budget + "/", budget + "//", budget + "/./"}) {
        SCOPED_TRACE(spelling);
        WriteFile(budget + "/later.txt", "after the backup");
        WriteRestartRequest(kRequestRecovery, spelling, archive);
        EXPECT_EQ(CarryOutRequest(shell.state, now), std::nullopt);
        EXPECT_EQ(DumpBudget(budget), saved);
        EXPECT_FALSE(fs::exists(budget + "/.recovery"));
        EXPECT_FALSE(fs::exists(budget + ".recovery"));
    }
    WriteRestartRequest(kRequestDelete, budget + "/", std::nullopt);
    EXPECT_EQ(CarryOutRequest(shell.state, now), std::nullopt);
    EXPECT_FALSE(fs::exists(budget));
    EXPECT_EQ(BudgetRows(budget), 0);
}

// A request that fails at every start backs the budget up once: its retries reuse that backup,
// so that they never rotate the older backups out; a new request makes its own.
TEST_F(Requests, RetriesOfARequestReuseItsSafetyBackup) {
    CloseBudget();
    const std::string notArchive = folders.Root() + "/text.vlbackup";
    WriteFile(notArchive, "plain text");
    const std::string made = "Budget \"one\"_20240506-120000.vlbackup";
    WriteRestartRequest(kRequestBackupRecovery, budget, notArchive);
    for (int day = 0; day < 3; ++day) {
        SCOPED_TRACE(day);
        ASSERT_TRUE(CarryOutRequest(shell.state, now + day));
        EXPECT_EQ(Backups(), std::vector<std::string>{made});
    }
    const std::string good = folders.Root() + "/good.vlbackup";
    ASSERT_EQ(BackupBudget(budget, good), std::nullopt);
    SetSettingStr("Startup1", good);
    EXPECT_EQ(CarryOutRequest(shell.state, now + 3), std::nullopt);
    EXPECT_EQ(Backups(), std::vector<std::string>{made});

    // The next request, even after a failure left a backup behind, makes a new one.
    WriteRestartRequest(kRequestBackupDelete, budget, std::nullopt);
    EXPECT_EQ(CarryOutRequest(shell.state, now + 4), std::nullopt);
    EXPECT_EQ(Backups(),
              (std::vector<std::string>{made, "Budget \"one\"_20240510-120000.vlbackup"}));
}

// Two names of one file in a budget's folder: the picture an album change's preparation keeps
// as a hard link in its transaction's folder until its commit (which a kill leaves there), and
// a user's own hard link inside a collection. The backup recovers to the same budget, with the
// installed archiver line (which stores each file as itself) and with the plain tar line a
// user's own vemly.ini may keep (which stores the second name as a link); each recovered name
// is a file of its own.
TEST_F(Requests, ABackupOfAFolderHoldingHardLinksRecovers) {
    MakeBranch(11, 0);
    const fs::path picture = budget + "/Images/IMG13/p.jpg";
    const fs::path kept = TransFolder(7) + "/out/p.jpg";
    fs::create_directories(kept.parent_path());
    fs::create_hard_link(picture, kept);
    const fs::path letter = budget + "/Files/DIR14/sub/a.txt";
    const fs::path twin = budget + "/Files/DIR14/twin.txt";
    fs::create_hard_link(letter, twin);
    CloseBudget();
    const std::string saved = DumpBudget(budget);
    const std::string archive = folders.Root() + "/linked.vlbackup";
    for (const char* line : {"", R"(tar -czf "[ArcName]" -C "[SouscePath]" .)"}) {
        SCOPED_TRACE(line);
        if (*line) SetCommand("BackupCommand", line);
        ASSERT_EQ(BackupBudget(budget, archive), std::nullopt);
        WriteFile(budget + "/later.txt", "after the backup");
        WriteRestartRequest(kRequestRecovery, budget, archive);
        ASSERT_EQ(CarryOutRequest(shell.state, now), std::nullopt);
        EXPECT_EQ(DumpBudget(budget), saved);
        for (const fs::path& name : {picture, kept, letter, twin})
            EXPECT_EQ(fs::hard_link_count(name), 1u) << name;
        // The recovered budget gets the links again for the next round.
        fs::remove(kept);
        fs::create_hard_link(picture, kept);
        fs::remove(twin);
        fs::create_hard_link(letter, twin);
    }
}

// The archive of a recovery is opened only when it is a regular file: a pipe (a file on a share
// that stops answering blocks as one does), a device that never ends or a folder is refused at
// once, by the start-up helper and by the import alike, and the budget and the request stay.
TEST_F(Requests, AnArchiveThatIsNoFileIsRefusedWithoutWaiting) {
    CloseBudget();
    const std::string before = DumpBudget(budget);
    const std::string fifo = folders.Root() + "/pipe.vlbackup";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = folders.Root() + "/folder.vlbackup";
    fs::create_directories(folder);
    for (const std::string& archive : {fifo, std::string("/dev/zero"), folder}) {
        SCOPED_TRACE(archive);
        WriteRestartRequest(kRequestRecovery, budget, archive);
        EXPECT_EQ(CarryOutRequest(shell.state, now), (TRequestFailure{"ArcNotAFile", archive}));
        EXPECT_EQ(GetSettingInt("Startup", -1), kRequestRecovery) << "still pending";
        EXPECT_EQ(DumpBudget(budget), before);
        EXPECT_FALSE(fs::exists(budget + ".recovery"));
        EXPECT_EQ(UnpackBranchSet(archive, TProcessEvents::PaintOnly).Problem,
                  TArchiveProblem::NotAFile);
        EXPECT_TRUE(fs::is_empty(folders.TempPath()));
    }
}

// A backup that names an existing archive on a disk without room for the new one fails and
// keeps the old archive whole, with nothing half-written beside it.
TEST_F(Requests, ReplacingAnArchiveOnAFullDiskKeepsTheOldOne) {
    const std::string small = folders.Root() + "/small";
    ScopedSmallDisk disk(small, "512k");
    if (!disk.Mounted()) GTEST_SKIP() << "no file system of its own can be mounted here";
    CloseBudget();
    const std::string archive = small + "/budget.vlbackup";
    ASSERT_EQ(BackupBudget(budget, archive), std::nullopt);
    const std::string old = ReadBytes(archive);
    WriteFile(budget + "/Files/DIR77/big.bin", RandomBytes(1 << 20));
    WriteRestartRequest(kRequestBackup, budget, archive);
    const TRequestResult result = CarryOutRequest(shell.state, now);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->Key, "BackupFailed");
    EXPECT_EQ(ReadBytes(archive), old);
    EXPECT_EQ(ReadArchiveThrough(archive).Problem, TArchiveProblem::None);
    EXPECT_FALSE(fs::exists(PartialArchiveName(archive)));
}

// A recovery broken off after its checks is finished at the next start: the state a crash
// between its two moves leaves (the old folder in the trash, the checked copy beside the missing
// budget) is put in place, with or without a safety backup asked for; a copy beside a budget
// still in place (a crash before the old one went to the trash) is removed and the recovery
// done again.
TEST_F(Requests, ARecoveryBrokenOffAfterItsChecksIsFinishedAtTheNextStart) {
    MakeBranch(11, 0);
    CloseBudget();
    const std::string archive = folders.Root() + "/saved.vlbackup";
    ASSERT_EQ(BackupBudget(budget, archive), std::nullopt);
    const std::string saved = DumpBudget(budget);
    const std::string staging = budget + ".recovery";
    struct Case {
        const char* name;
        int code;
        bool budgetInPlace;
    } cases[] = {
        {"between the moves", kRequestRecovery, false},
        {"between the moves, safety backup made before", kRequestBackupRecovery, false},
        {"before the old folder went", kRequestRecovery, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A recovery done by the helper's own steps, then the checked copy taken back to where
        // it stood before its last move.
        ASSERT_EQ(RecoverBudget(budget, archive, "earlier"), std::nullopt);
        fs::rename(budget, staging);
        if (c.budgetInPlace) {
            fs::copy(staging, budget, fs::copy_options::recursive);
            WriteFile(budget + "/later.txt", "after the backup");
            fs::remove(staging + "/VLBudget.ini");  // a copy half unpacked
        }
        WriteRestartRequest(c.code, budget, archive);
        EXPECT_EQ(CarryOutRequest(shell.state, now), std::nullopt);
        EXPECT_EQ(GetSettingInt("Startup", -1), kRequestNone);
        EXPECT_EQ(DumpBudget(budget), saved);
        EXPECT_FALSE(fs::exists(staging));
        EXPECT_FALSE(fs::exists(budget + ".recovery-checked"));
        EXPECT_TRUE(Backups().empty()) << "no budget folder to back up";
    }
}

// A copy that never passed its checks is never put in place of a missing budget.
TEST_F(Requests, AnUncheckedCopyBesideAMissingBudgetIsNotPutInPlace) {
    CloseBudget();
    const std::string archive = folders.Root() + "/saved.vlbackup";
    ASSERT_EQ(BackupBudget(budget, archive), std::nullopt);
    fs::rename(budget, budget + ".recovery");
    WriteRestartRequest(kRequestRecovery, budget, archive);
    const TRequestResult result = CarryOutRequest(shell.state, now);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->Key, "NoBudgetFolder");
    EXPECT_FALSE(fs::exists(budget));
    EXPECT_EQ(GetSettingInt("Startup", -1), kRequestRecovery);
}

}  // namespace
