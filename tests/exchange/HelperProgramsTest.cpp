// The helper programs as the program runs them: VLStartup carries out a pending backup and the
// daily backup and clears the request; VLRestart waits for the running program's lock before it
// starts the program again.
#include <gtest/gtest.h>

#include <QLockFile>
#include <QProcess>
#include <chrono>
#include <thread>

#include "common/ScopedEnv.h"
#include "exchange/ExchangeFixture.h"
#include "exchange/RestartRequests.h"
#include "store/Usettings.h"

namespace fs = std::filesystem;

namespace {

class HelperPrograms : public ExchangeFixture {
protected:
    // Runs the helper to its end; its exit code.
    static int Run(const char* program) {
        QProcess helper;
        helper.setProgram(QString::fromUtf8(program));
        helper.start();
        if (!helper.waitForFinished(120'000)) return -1;
        return helper.exitStatus() == QProcess::NormalExit ? helper.exitCode() : -2;
    }
    void CloseBudget() {
        dm.FlushAndCloseTables();
        CheckpointTables(budget);
    }
    ScopedEnv platform{"QT_QPA_PLATFORM", "offscreen"};
};

TEST_F(HelperPrograms, StartupHelperCarriesOutABackupAndClearsTheRequest) {
    MakeBranch(11, 0);
    CloseBudget();
    SetSettingDate("LastStart", Today());  // not the day's first start
    const std::string archive = folders.Root() + "/backups/with blank.vlbackup";
    WriteRestartRequest(kRequestBackup, budget, archive);
    EXPECT_EQ(Run(VEMLY_VLSTARTUP), 0);
    EXPECT_GT(fs::file_size(archive), 0u);
    EXPECT_EQ(GetSettingInt("Startup", -1), kRequestNone);
}

TEST_F(HelperPrograms, StartupHelperMakesTheDailyBackupOfEveryListedBudget) {
    CloseBudget();
    {
        TTable rows;
        rows.SetDatabaseName(folders.UsersDataPath());
        rows.SetTableName("Budgets");
        rows.Open();
        rows.Append();
        rows.FieldByName("Path").SetAsString(budget);
        rows.Post();
    }
    SetSettingDate("LastStart", Today() - 1);
    EXPECT_EQ(Run(VEMLY_VLSTARTUP), 0);
    int backups = 0;
    for (const auto& entry : fs::directory_iterator(folders.UsersDataPath() + "BACKUP"))
        backups += entry.path().filename().string().starts_with("Budget \"one\"_");
    EXPECT_EQ(backups, 1);
}

TEST_F(HelperPrograms, RestartHelperWaitsForTheLockThenStartsTheProgram) {
    const std::string program = folders.Root() + "/bin";
    const std::string marker = folders.Root() + "/started";
    fs::create_directories(program);
    WriteFile(program + "/vemly", "#!/bin/sh\ntouch \"$VEMLY_TEST_MARKER\"\n");
    ScopedEnv markerName("VEMLY_TEST_MARKER", marker);
    fs::permissions(program + "/vemly", fs::perms::owner_all);
    ScopedEnv programDir("VEMLY_PROGRAM_DIR", program);
    QLockFile running(QString::fromStdString(folders.UsersDataPath() + kLockFileName));
    ASSERT_TRUE(running.lock());
    QProcess helper;
    helper.setProgram(QString::fromUtf8(VEMLY_VLRESTART));
    helper.start();
    EXPECT_FALSE(helper.waitForFinished(300)) << "it waits while the program runs";
    EXPECT_FALSE(fs::exists(marker));
    running.unlock();
    ASSERT_TRUE(helper.waitForFinished(60'000));
    EXPECT_EQ(helper.exitCode(), 0);
    for (int i = 0; i < 500 && !fs::exists(marker); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(fs::exists(marker));
}

}  // namespace
