// The helper programs as the program runs them: VLStartup carries out a pending backup and the
// daily backup and clears the request, but touches nothing while another process holds the
// program's lock; VLRestart waits for the old program's process and lock before it starts the
// program again; a helper killed while it backs up leaves no broken archive under a backup's
// name.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QLockFile>
#include <QProcess>
#include <chrono>
#include <fstream>
#include <set>
#include <sstream>
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

// The processes of the session that `leader` leads: the helper started in a session of its own
// and everything it started, its archiver included.
std::vector<pid_t> SessionOf(pid_t leader) {
    std::vector<pid_t> members;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        std::getline(stat, line);
        const auto end = line.rfind(')');
        if (end == std::string::npos) continue;
        std::istringstream fields(line.substr(end + 2));
        std::string state;
        pid_t parent = 0, group = 0, session = 0;
        fields >> state >> parent >> group >> session;
        if (session == leader) members.push_back(std::stoi(name));
    }
    return members;
}

// Starts the helper in a session of its own and, after `delay`, kills it with everything it
// started (its archiver); true when it was still running then.
bool KillHelperAfter(std::chrono::milliseconds delay) {
    const pid_t helper = fork();
    if (helper == 0) {
        setsid();
        execl(VEMLY_VLSTARTUP, VEMLY_VLSTARTUP, static_cast<char*>(nullptr));
        _exit(127);
    }
    std::this_thread::sleep_for(delay);
    int status = 0;
    const bool running = waitpid(helper, &status, WNOHANG) == 0;
    for (const pid_t member : SessionOf(helper)) kill(member, SIGKILL);
    if (running) waitpid(helper, &status, 0);
    return running;
}

// Kills the helper at moments through each kind of backup it makes (the daily backup, a
// backup request, and the safety backups of a recovery and of a deletion), each time followed
// by the next start: no archive under a backup's name is ever unreadable, nothing of a killed
// packing is left after the next start, and the rotation keeps the newest backups, all good.
TEST_F(HelperPrograms, AKilledBackupLeavesNoBrokenArchiveUnderABackupsName) {
    const std::string backups = folders.UsersDataPath() + "BACKUP";
    const std::string small = folders.Root() + "/small.vlbackup";
    MakeBranch(11, 0);
    CloseBudget();
    ASSERT_EQ(BackupBudget(budget, small), std::nullopt);
    // Enough bytes that the archiver works for a while.
    WriteFile(budget + "/Files/DIR14/big.bin", RandomBytes(24 << 20));
    const std::string pristine = folders.Root() + "/pristine";
    fs::copy(budget, pristine, fs::copy_options::recursive);
    AddBudgetRow(budget);
    SetSettingInt("BackupCount", 2);
    const std::string manual = backups + "/manual.vlbackup";
    const std::set<std::string> older = {"Budget \"one\"_20000101-000000.vlbackup",
                                         "Budget \"one\"_20000102-000000.vlbackup"};
    // Every archive in the backup folder reads whole (as tar itself lists it); the names there.
    const auto checkBackups = [&](const char* when) {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(backups)) {
            const std::string name = entry.path().filename().string();
            names.insert(name);
            if (!name.ends_with(".vlbackup")) continue;
            const bool stop = false;
            EXPECT_EQ(
                RunProcessToMemo({"tar", {"-tzf", entry.path().string()}}, nullptr, stop, "EN"),
                kProcessDone)
                << when << ": " << name;
        }
        return names;
    };
    struct Kind {
        const char* name;
        int request;  // none for the daily backup
    } kinds[] = {{"daily", kRequestNone},
                 {"backup", kRequestBackup},
                 {"recovery", kRequestBackupRecovery},
                 {"deletion", kRequestBackupDelete}};
    int killedWhileRunning = 0;
    for (const Kind& kind : kinds) {
        for (const int delay : {150, 400, 800}) {
            SCOPED_TRACE(std::string(kind.name) + " " + std::to_string(delay));
            fs::remove_all(backups);
            fs::create_directories(backups);
            for (const std::string& name : older) fs::copy_file(small, backups + "/" + name);
            fs::copy_file(small, manual);
            fs::remove_all(budget);
            fs::copy(pristine, budget, fs::copy_options::recursive);
            SetSettingDate("LastStart", kind.request == kRequestNone ? Today() - 1 : Today());
            if (kind.request == kRequestNone)
                DropRestartRequest();
            else
                WriteRestartRequest(kind.request, budget,
                                    kind.request == kRequestBackup ? manual : small);

            killedWhileRunning += KillHelperAfter(std::chrono::milliseconds(delay));
            checkBackups("killed");
            // The next start finishes the work.
            EXPECT_EQ(Run(VEMLY_VLSTARTUP), 0);
            const std::set<std::string> names = checkBackups("next start");
            for (const std::string& name : names)
                EXPECT_FALSE(name.ends_with(kPartialArchiveExtension)) << name;
            EXPECT_EQ(GetSettingInt("Startup", -1), kRequestNone);
            if (kind.request == kRequestNone) {
                // The two newest: the day's backup and the newer of the older ones.
                EXPECT_EQ(names.size(), 3u);
                EXPECT_TRUE(names.contains(*older.rbegin()));
                EXPECT_TRUE(names.contains("manual.vlbackup"));
            }
            EXPECT_EQ(fs::exists(budget), kind.request != kRequestBackupDelete);
        }
    }
    EXPECT_GT(killedWhileRunning, 0) << "no kill found the helper at work";
}

}  // namespace
