// The helper programs as the program runs them: VLStartup carries out a pending backup and the
// daily backup and clears the request, but touches nothing while another process holds the
// program's lock; VLRestart waits for the old program's process and lock before it starts the
// program again.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QLockFile>
#include <QProcess>
#include <chrono>
#include <thread>

#include "common/ScopedEnv.h"
#include "common/ScopedHome.h"
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
    // Writes a program into the program folder that marks its start; the marker's path.
    std::string FakeProgram() {
        const std::string bin = folders.Root() + "/bin";
        fs::create_directories(bin);
        WriteFile(bin + "/vemly", "#!/bin/sh\ntouch \"$VEMLY_TEST_MARKER\"\n");
        fs::permissions(bin + "/vemly", fs::perms::owner_all);
        return folders.Root() + "/started";
    }
    static bool AppearsSoon(const std::string& path) {
        for (int i = 0; i < 500 && !fs::exists(path); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return fs::exists(path);
    }
    void CloseBudget() {
        dm.FlushAndCloseTables();
        CheckpointTables(budget);
    }
    ScopedEnv platform{"QT_QPA_PLATFORM", "offscreen"};
    ScopedEnv programDir{"VEMLY_PROGRAM_DIR", folders.Root() + "/bin"};
    ScopedEnv marker{"VEMLY_TEST_MARKER", folders.Root() + "/started"};
    ScopedHome home{folders.Root()};
};

// A process other than the helper's parent that holds the program's lock until it is told to
// end: a second copy of the program that runs.
class OtherCopy {
public:
    explicit OtherCopy(const std::string& lockPath) {
        int ready[2], end[2];
        if (pipe2(ready, O_CLOEXEC) != 0 || pipe2(end, O_CLOEXEC) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(ready[0]);
            close(end[1]);
            QLockFile lock(QString::fromStdString(lockPath));
            char byte = lock.tryLock(0) ? 1 : 0;
            (void)!write(ready[1], &byte, 1);
            (void)!read(end[0], &byte, 1);
            _exit(0);
        }
        char byte = 0;
        locked_ = read(ready[0], &byte, 1) == 1 && byte == 1;
        close(ready[0]);
        close(ready[1]);
        close(end[0]);
        end_ = end[1];
    }
    ~OtherCopy() {
        close(end_);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    OtherCopy(const OtherCopy&) = delete;
    OtherCopy& operator=(const OtherCopy&) = delete;
    bool Locked() const { return locked_; }

private:
    pid_t pid_ = -1;
    int end_ = -1;
    bool locked_ = false;
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
    AddBudgetRow(budget);
    SetSettingDate("LastStart", Today() - 1);
    EXPECT_EQ(Run(VEMLY_VLSTARTUP), 0);
    int backups = 0;
    for (const auto& entry : fs::directory_iterator(folders.UsersDataPath() + "BACKUP"))
        backups += entry.path().filename().string().starts_with("Budget \"one\"_");
    EXPECT_EQ(backups, 1);
}

// Started by hand or by another program while a copy of the program runs, the helper refuses:
// a pending recovery would replace the budget under the running copy.
TEST_F(HelperPrograms, StartupHelperTouchesNothingWhileAnotherCopyRuns) {
    MakeBranch(11, 0);
    CloseBudget();
    AddBudgetRow(budget);
    SetSettingDate("LastStart", Today() - 1);  // a daily backup is due too
    const std::string archive = folders.Root() + "/saved.vlbackup";
    ASSERT_EQ(BackupBudget(budget, archive), std::nullopt);
    WriteFile(budget + "/later.txt", "the running copy's recent work");
    WriteRestartRequest(kRequestRecovery, budget, archive);
    {
        OtherCopy other(folders.UsersDataPath() + kLockFileName);
        ASSERT_TRUE(other.Locked());
        EXPECT_EQ(Run(VEMLY_VLSTARTUP), 2);
        EXPECT_TRUE(fs::exists(budget + "/later.txt"));
        EXPECT_EQ(GetSettingInt("Startup", -1), kRequestRecovery);
        EXPECT_FALSE(fs::exists(folders.UsersDataPath() + "BACKUP"));
    }
    // Once that copy has ended, the request is carried out.
    EXPECT_EQ(Run(VEMLY_VLSTARTUP), 0);
    EXPECT_FALSE(fs::exists(budget + "/later.txt"));
    EXPECT_EQ(GetSettingInt("Startup", -1), kRequestNone);
}

TEST_F(HelperPrograms, RestartHelperWaitsForTheOldProcessThenStartsTheProgram) {
    const std::string started = FakeProgram();
    QProcess old;
    old.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(old.waitForStarted());
    QProcess helper;
    helper.start(QString::fromUtf8(VEMLY_VLRESTART), {QString::number(old.processId())});
    EXPECT_FALSE(helper.waitForFinished(500)) << "it waits while the old process runs";
    EXPECT_FALSE(fs::exists(started));
    old.kill();
    ASSERT_TRUE(old.waitForFinished());
    ASSERT_TRUE(helper.waitForFinished(60'000));
    EXPECT_EQ(helper.exitCode(), 0);
    EXPECT_TRUE(AppearsSoon(started));
}

TEST_F(HelperPrograms, RestartHelperWaitsForTheLockThenStartsTheProgram) {
    const std::string marker = FakeProgram();
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
    EXPECT_TRUE(AppearsSoon(marker));
}

}  // namespace
