// The program's start and stop: folders, first start, start-up checks, the start-up helper,
// the single copy, the setup run, the restart helper and the main window's texts.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QLockFile>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "MainWindowFixture.h"
#include "common/CraftedTables.h"
#include "common/FakeShellServices.h"
#include "platform/IniFile.h"
#include "platform/Locale.h"
#include "platform/Text.h"
#include "store/Usettings.h"

namespace fs = std::filesystem;

namespace {

void DropTable(const std::string& folder, const char* table) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((folder + "tables.sqlite").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(db, (std::string("DROP TABLE ") + table).c_str(), nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(db);
}

bool Exists(const std::string& path) {
    return fs::exists(path);
}

// Waits up to five seconds for a file that a started program writes.
bool AppearsSoon(const std::string& path) {
    for (int i = 0; i < 500 && !Exists(path); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return Exists(path);
}

std::string Caption(const TfMain& window, const char* name) {
    if (auto* menu = window.findChild<QMenu*>(QString::fromLatin1(name)))
        return ToStdString(menu->title());
    return ToStdString(window.findChild<QAction*>(QString::fromLatin1(name))->text());
}

const std::string kBudgetsMissing =
    "Fatal error ! Does not exist table of the budgets 'Budgets.DB'.";
const std::string kSettingsMissing =
    "Fatal error ! Does not exist table of the budgets 'Settings.db'.";

using StartTest = MainWindowTest;

TEST_F(StartTest, FoldersFollowTheUsersSpecialFolders) {
    const TfMain& main = Start();
    EXPECT_EQ(main.State().ProgramPath, ProgramDir());
    EXPECT_EQ(main.State().DataPath, folders.DataPath());
    EXPECT_EQ(main.State().UsersDataPath, folders.UsersDataPath());
    EXPECT_EQ(main.State().TempPath, folders.TempPath());
    EXPECT_EQ(main.State().TemplatesPath, folders.DataPath() + "Templates/");
    EXPECT_EQ(main.State().ExportPath, folders.Root() + "/documents/VemlyExport");
    EXPECT_EQ(main.State().BackupPath, folders.UsersDataPath() + "BACKUP");
    EXPECT_EQ(main.State().LangPath, folders.DataPath() + "LangEN/");
    EXPECT_EQ(main.State().HelpFile, folders.DataPath() + "LangEN/VemlyHelp.html");
    EXPECT_TRUE(fs::is_directory(main.State().ExportPath));
    EXPECT_TRUE(fs::is_directory(main.State().BackupPath));
    EXPECT_TRUE(fs::is_directory(main.State().TempPath));
    EXPECT_FALSE(main.State().FatalClose);
    EXPECT_TRUE(main.isVisible());
    EXPECT_TRUE(messages.Calls().empty());
}

// The temp folder lies in a folder that every user shares: the program makes one for its user
// alone, and refuses with a fatal error one there that another user made or may enter, or a
// link, which another user could have planted to see or change the user's files.
TEST_F(StartTest, TheTempFolderIsThisUsersAlone) {
    struct Case {
        const char* name;
        std::function<void(const std::string& temp, const std::string& root)> prepare;
        const char* refusal;  // null: the start goes on
    };
    const std::vector<Case> cases = {
        {"missing", [](auto& temp, auto&) { fs::remove_all(temp); }, nullptr},
        {"own, private", [](auto&, auto&) {}, nullptr},
        {"open to everybody", [](auto& temp, auto&) { fs::permissions(temp, fs::perms::all); },
         "is open to other users"},
        {"readable by the group",
         [](auto& temp, auto&) {
             fs::permissions(temp, fs::perms::group_read | fs::perms::group_exec,
                             fs::perm_options::add);
         },
         "is open to other users"},
        {"another user's",
         [](auto& temp, auto&) { ASSERT_EQ(chown(temp.c_str(), 65534, 65534), 0); },
         "belongs to another user"},
        {"a link to a private folder",
         [](auto& temp, auto& root) {
             fs::remove_all(temp);
             fs::create_directory(root + "/elsewhere");
             fs::permissions(root + "/elsewhere", fs::perms::owner_all);
             fs::create_directory_symlink(root + "/elsewhere", temp);
         },
         "is a link"},
        {"a file",
         [](auto& temp, auto&) {
             fs::remove_all(temp);
             std::ofstream(temp) << "x";
         },
         "is not a folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (std::string(c.name) == "another user's" && geteuid() != 0) {
            // Only the superuser can give a folder to another user.
            continue;
        }
        TestFolders own;
        const std::string temp = own.TempPath().substr(0, own.TempPath().size() - 1);
        c.prepare(temp, own.Root());
        const ScopedMessageDlg answers;
        TDM data;
        DM = &data;
        TfMain main;
        EXPECT_EQ(main.State().TempPath, temp + "/");
        if (c.refusal == nullptr) {
            EXPECT_TRUE(answers.Calls().empty());
            EXPECT_FALSE(main.State().FatalClose);
            EXPECT_EQ(fs::symlink_status(temp).permissions() & fs::perms::all,
                      fs::perms::owner_all);
        } else {
            ASSERT_EQ(answers.Calls().size(), 1u);
            EXPECT_EQ(answers.Calls()[0].Type, TMsgDlgType::mtError);
            EXPECT_EQ(answers.Texts()[0], "Fatal error ! The temp folder '" + temp + "' " +
                                              c.refusal +
                                              ": the program uses only a folder of its user "
                                              "alone.");
            EXPECT_TRUE(main.State().FatalClose);
            main.show();
            QCoreApplication::processEvents();
            EXPECT_FALSE(main.isVisible());
        }
        DM = &dm;
    }
}

// Each missing table of the users-data folder is reported in its turn; the window then closes
// without the close dialog and no helper program runs. A tables file that is there but cannot
// be opened is reported with the same texts and a second line naming the file and the reason,
// so that the user repairs it rather than making a new one ("<file>" stands for it below); the
// file keeps its bytes.
TEST_F(StartTest, MissingOrDamagedUsersDataTablesAreFatal) {
    struct Case {
        const char* name;
        std::function<void(const TestFolders&)> damage;
        std::vector<std::string> texts;
    };
    const auto file = [](const TestFolders& f) { return f.UsersDataPath() + "tables.sqlite"; };
    const std::string notSqlite = "\nThe tables file is not an SQLite database: <file>";
    const std::string truncated = "\nThe tables file is truncated: <file>";
    const std::string trigger = "\nThe tables file holds a trigger ('Spy' on 'Settings'): <file>";
    const std::vector<Case> cases = {
        {"budget list",
         [](const TestFolders& f) { DropTable(f.UsersDataPath(), "Budgets"); },
         {kBudgetsMissing}},
        {"settings",
         [](const TestFolders& f) { DropTable(f.UsersDataPath(), "Settings"); },
         {kSettingsMissing}},
        {"tables file",
         [&](const TestFolders& f) { fs::remove(file(f)); },
         {kBudgetsMissing, kSettingsMissing}},
        {"no folder",
         [](const TestFolders& f) { fs::remove_all(f.UsersDataPath()); },
         {kBudgetsMissing, kSettingsMissing}},
        {"overwritten file",
         [&](const TestFolders& f) {
             std::ofstream(file(f), std::ios::trunc) << std::string(4096, 'x');
         },
         {kBudgetsMissing + notSqlite, kSettingsMissing + notSqlite}},
        {"truncated file",
         [&](const TestFolders& f) { fs::resize_file(file(f), fs::file_size(file(f)) - 1024); },
         {kBudgetsMissing + truncated, kSettingsMissing + truncated}},
        {"trigger",
         [](const TestFolders& f) {
             crafted::Run(f.UsersDataPath(),
                          "CREATE TRIGGER Spy AFTER INSERT ON Settings BEGIN "
                          "DELETE FROM Budgets; END");
         },
         {kBudgetsMissing + trigger, kSettingsMissing + trigger}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestFolders own;
        const ScopedMessageDlg answers;
        WriteHelper("VLStartup", "touch " + ShellWord(own.Root() + "/started"));
        c.damage(own);
        const std::string bytes = crafted::Bytes(file(own));
        std::vector<std::string> texts = c.texts;
        for (std::string& text : texts)
            if (const auto at = text.find("<file>"); at != std::string::npos)
                text.replace(at, 6, file(own));
        TDM data;
        DM = &data;
        TfMain main;
        EXPECT_EQ(answers.Texts(), texts);
        EXPECT_TRUE(answers.Calls().empty() || answers.Calls()[0].Type == TMsgDlgType::mtError);
        EXPECT_TRUE(main.State().FatalClose);
        main.show();
        QCoreApplication::processEvents();
        EXPECT_FALSE(main.isVisible());
        EXPECT_FALSE(Exists(own.Root() + "/started"));
        EXPECT_EQ(answers.Calls().size(), texts.size());
        EXPECT_EQ(crafted::Bytes(file(own)), bytes) << "the file keeps its bytes";
        DM = &dm;
    }
}

TEST_F(StartTest, FirstStartCopiesTheInstalledDataIntoPlace) {
    // The installed data: what the build puts into <prefix>/share/vemly.
    const fs::path installed = folders.Root() + "/prefix/share/vemly";
    fs::create_directories(installed);
    fs::copy(folders.DataPath(), installed, fs::copy_options::recursive);
    fs::copy(folders.UsersDataPath(), installed / "UsersData", fs::copy_options::recursive);
    fs::remove_all(folders.Root() + "/appdata");
    fs::remove_all(folders.Root() + "/documents");

    const TfMain& main = Start();
    EXPECT_TRUE(messages.Calls().empty());
    EXPECT_FALSE(main.State().FatalClose);
    EXPECT_TRUE(Exists(folders.DataPath() + "vemly.ini"));
    EXPECT_TRUE(Exists(folders.DataPath() + "EmptyBases/tables.sqlite"));
    EXPECT_TRUE(Exists(folders.DataPath() + "LangEN/Main.lng"));
    EXPECT_FALSE(Exists(folders.DataPath() + "UsersData"));
    EXPECT_TRUE(Exists(folders.UsersDataPath() + "tables.sqlite"));
    EXPECT_FALSE(Exists(folders.Root() + "/appdata.part"));
    EXPECT_TRUE(fs::is_directory(main.State().ExportPath));
    EXPECT_EQ(main.State().LangPath, folders.DataPath() + "LangEN/");
}

TEST_F(StartTest, FirstStartLeavesExistingFoldersAlone) {
    const fs::path installed = folders.Root() + "/prefix/share/vemly";
    fs::create_directories(installed / "UsersData");
    std::ofstream(installed / "vemly.ini") << "[Common]\nVLLang=Installed\n";
    fs::remove_all(folders.UsersDataPath());

    Start();
    // The users-data folder came from the installed data (which holds no tables here), the
    // data folder stayed as it was.
    EXPECT_TRUE(fs::is_directory(folders.UsersDataPath()));
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{kBudgetsMissing, kSettingsMissing}));
    EXPECT_EQ(ReadIni("Common", "VLLang"), "LangEN");
}

// The start-up helper runs without arguments, and the window waits for it, on the first start
// of a day or while a request is pending; never in the setup run.
TEST_F(StartTest, StartupHelperRunsWhenDue) {
    struct Case {
        const char* name;
        std::optional<TDateTime> lastStart;
        int startup;
        bool setup;
        bool runs;
    };
    const TDateTime today = Today();
    for (const Case& c : {Case{"no LastStart", std::nullopt, 0, false, true},
                          Case{"started yesterday", today - 1, 0, false, true},
                          Case{"started today", today, 0, false, false},
                          Case{"started today, request", today + 0.75, 1, false, true},
                          Case{"started today, recovery", today, 20, false, true},
                          Case{"setup run", std::nullopt, 1, true, false}}) {
        SCOPED_TRACE(c.name);
        TestFolders own;
        DM = nullptr;
        const std::string marker = own.Root() + "/started";
        WriteHelper("VLStartup", "sleep 0.2; echo \"$#\" > " + ShellWord(marker));
        {
            TDM data;
            DM = &data;
            FakeShellServices settings(own.UsersDataPath());
            if (c.lastStart) SetSettingDate("LastStart", *c.lastStart);
            SetSettingInt("Startup", c.startup);
        }
        if (c.setup) TIniFile(own.DataPath() + "vemly.ini").WriteString("Common", "VLSMode", "1");
        TDM data;
        DM = &data;
        TfMain main;
        ASSERT_EQ(Exists(marker), c.runs);
        if (c.runs) {
            std::ifstream arguments(marker);
            int count = -1;
            arguments >> count;
            EXPECT_EQ(count, 0);
        }
        DM = &dm;
    }
}

// A helper that does not end shows, after a moment, a window saying that work is going on;
// its Stop ends the helper and the start goes on with the request still pending. A helper
// that ends at once shows nothing.
TEST_F(StartTest, AHelperThatLastsShowsTheWaitWithAStop) {
    for (const bool lasts : {false, true}) {
        SCOPED_TRACE(lasts);
        TestFolders own;
        DM = nullptr;
        const std::string marker = own.Root() + "/ended";
        WriteHelper("VLStartup", lasts ? "sleep 60; touch " + ShellWord(marker) : "true");
        {
            TDM data;
            DM = &data;
            FakeShellServices settings(own.UsersDataPath());
            SetSettingInt("Startup", 20);
        }
        struct Seen {
            int shown = 0;
            QString text;
        };
        const auto seen = std::make_shared<Seen>();
        QTimer look;
        look.setInterval(50);
        QObject::connect(&look, &QTimer::timeout, [seen] {
            auto* wait = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
            if (wait == nullptr || !wait->isVisible()) return;
            ++seen->shown;
            seen->text = wait->labelText();
            wait->findChild<QPushButton*>()->click();
        });
        look.start();
        const auto begin = std::chrono::steady_clock::now();
        {
            TDM data;
            DM = &data;
            TfMain main;
            EXPECT_FALSE(main.State().FatalClose);
            FakeShellServices settings(own.UsersDataPath());
            EXPECT_EQ(GetSettingInt("Startup", -1), 20) << "the request stays pending";
        }
        look.stop();
        EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(30));
        EXPECT_EQ(seen->shown, lasts ? 1 : 0);
        if (lasts) {
            EXPECT_TRUE(seen->text.startsWith(QStringLiteral("Vemly is doing the work")));
        }
        EXPECT_FALSE(Exists(marker));
        DM = &dm;
    }
}

TEST_F(StartTest, AMissingStartupHelperDoesNotStopTheStart) {
    const TfMain& main = Start();
    EXPECT_FALSE(main.State().FatalClose);
    EXPECT_TRUE(main.isVisible());
}

TEST_F(StartTest, ASecondCopyEndsSilently) {
    const TfMain& first = Start();
    {
        TDM data;
        DM = &data;
        TfMain second;
        second.show();
        QCoreApplication::processEvents();
        EXPECT_TRUE(second.State().FatalClose);
        EXPECT_FALSE(second.isVisible());
        EXPECT_EQ(second.TreeViewMain->topLevelItemCount(), 0);
        DM = &dm;
    }
    EXPECT_TRUE(messages.Calls().empty());
    EXPECT_TRUE(first.isVisible());
    // The second copy left the first one's lock in place.
    QLockFile lock(ToQString(folders.UsersDataPath() + "vemly.lock"));
    EXPECT_FALSE(lock.tryLock(0));

    window.reset();
    EXPECT_FALSE(Start().State().FatalClose);
}

// A second start while the first copy has a budget open: the start-up helper must not run, or
// a pending recovery would replace the open budget under the running copy.
TEST_F(StartTest, ASecondStartWithAPendingRequestRunsNoHelper) {
    const std::string marker = folders.Root() + "/helper ran";
    WriteHelper("VLStartup", "touch " + ShellWord(marker));
    {
        FakeShellServices settings(folders.UsersDataPath());
        SetSettingDate("LastStart", Today());
    }
    const TfMain& first = Start();
    ASSERT_FALSE(Exists(marker));
    SetSettingInt("Startup", 20);
    SetSettingDate("LastStart", Today() - 1);
    {
        TDM data;
        DM = &data;
        TfMain second;
        EXPECT_TRUE(second.State().FatalClose);
        second.show();
        QCoreApplication::processEvents();
        EXPECT_FALSE(second.isVisible());
        DM = &dm;
    }
    EXPECT_FALSE(Exists(marker));
    EXPECT_EQ(GetSettingInt("Startup", -1), 20);
    EXPECT_TRUE(messages.Calls().empty());
    EXPECT_TRUE(first.isVisible());
}

TEST_F(StartTest, TheLockOfACrashedCopyDoesNotBlock) {
    const std::string lockPath = folders.UsersDataPath() + "vemly.lock";
    const pid_t child = fork();
    if (child == 0) {
        // A copy that takes the lock and dies without giving it up.
        QLockFile lock(ToQString(lockPath));
        lock.tryLock(0);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(Exists(lockPath));

    const TfMain& main = Start();
    EXPECT_FALSE(main.State().FatalClose);
    EXPECT_TRUE(main.isVisible());
}

TEST_F(StartTest, SetupRunConfiguresAndCloses) {
    WriteIni("Common", "VLSMode", "1");
    WriteIni("Common", "VLLang", "");
    AddBudgetRow(1, "Home", "[users_data]Home/");
    const TfMain& main = Start();
    EXPECT_TRUE(main.State().FatalClose);
    EXPECT_FALSE(main.isVisible());
    EXPECT_EQ(ReadIni("Common", "BACKUP"), folders.UsersDataPath() + "BACKUP");
    EXPECT_EQ(ReadIni("Common", "VLLang"), "LangEN");
    EXPECT_EQ(ReadIni("Common", "VLSMode"), "0");
    EXPECT_EQ(BudgetField(1, "Path"), folders.UsersDataPath() + "Home/");
    EXPECT_EQ(main.TreeViewMain->topLevelItemCount(), 0);
    EXPECT_TRUE(messages.Calls().empty());

    // The next start is an ordinary one.
    folders.MakeBudget("Home");
    window.reset();
    const TfMain& next = Start();
    EXPECT_FALSE(next.State().FatalClose);
    EXPECT_EQ(next.TreeViewMain->topLevelItemCount(), 1);
}

// The setup run ends the program also when one of its steps fails: the error is shown and
// no half-started window stays up.
TEST_F(StartTest, AFailingSetupRunShowsItsErrorAndCloses) {
    WriteIni("Common", "VLSMode", "1");
    AddBudgetRow(1, "Home", "[users_data]Home/");
    // Another connection keeps the budget list from being written: the step that resolves its
    // paths fails once the wait for the writer's lock is over.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((folders.UsersDataPath() + "tables.sqlite").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    const TfMain& main = Start();
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    ASSERT_EQ(messages.Calls().size(), 1u);
    EXPECT_EQ(messages.Calls()[0].Type, TMsgDlgType::mtError);
    EXPECT_NE(messages.Calls()[0].Text.find("locked"), std::string::npos)
        << messages.Calls()[0].Text;
    EXPECT_TRUE(main.State().FatalClose);
    EXPECT_FALSE(main.isVisible());
    EXPECT_EQ(BudgetField(1, "Path"), "[users_data]Home/");
}

// The setup run picks the Russian module for a Cyrillic charset and the English one otherwise;
// when the module it picks is not installed it takes the other.
TEST_F(StartTest, SetupRunChoosesTheLanguageModule) {
    struct Case {
        const char* name;
        int langId;
        bool russianInstalled;
        bool englishInstalled;
        bool charsetFile;
        const char* expected;
    };
    const int original = GetUserDefaultLangID();
    for (const Case& c : {Case{"Russian user", 0x0419, true, true, true, "LangRU"},
                          Case{"Russian user, English only", 0x0419, false, true, true, "LangEN"},
                          Case{"English user", 0x0409, true, true, true, "LangEN"},
                          Case{"German user, Russian only", 0x0407, true, false, true, "LangRU"},
                          Case{"no charset file", 0x0419, true, true, false, "LangEN"}}) {
        SCOPED_TRACE(c.name);
        SetUserDefaultLangID(c.langId);
        TestFolders own;
        TIniFile(own.DataPath() + "vemly.ini").WriteString("Common", "VLSMode", "1");
        if (c.russianInstalled) fs::create_directories(own.DataPath() + "LangRU");
        if (!c.englishInstalled) fs::remove_all(own.DataPath() + "LangEN");
        if (!c.charsetFile) fs::remove(own.DataPath() + "fcharset.cfg");
        TDM data;
        DM = &data;
        {
            TfMain main;
            main.show();
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(TIniFile(own.DataPath() + "vemly.ini").ReadString("Common", "VLLang", ""),
                  c.expected);
        DM = &dm;
    }
    SetUserDefaultLangID(original);
}

TEST_F(StartTest, ResolvingBudgetPathsReplacesOnlyTheExactPlaceholder) {
    AddBudgetRow(1, "Two", "[users_data]a/[users_data]b");
    AddBudgetRow(2, "Other case", "[USERS_DATA]c/");
    AddBudgetRow(3, "Plain", "/somewhere/d/");
    Create();
    dm.ResolveBudgetPaths();
    const std::string users = folders.UsersDataPath();
    EXPECT_EQ(BudgetField(1, "Path"), users + "a/" + users + "b");
    EXPECT_EQ(BudgetField(2, "Path"), "[USERS_DATA]c/");
    EXPECT_EQ(BudgetField(3, "Path"), "/somewhere/d/");
}

TEST_F(StartTest, RestartHelperStartsInTheProgramsPlace) {
    const std::string marker = folders.Root() + "/restarted";
    const std::string written = marker + ".part";
    WriteHelper("VLRestart", "echo \"$# $1\" > " + ShellWord(written) + "; mv " +
                                 ShellWord(written) + " " + ShellWord(marker));
    TfMain& main = Start();
    main.State().RestartRequested = true;
    EXPECT_TRUE(main.close());
    ASSERT_TRUE(AppearsSoon(marker));
    // The helper is told this process, which it waits for; the lock stays held until then.
    std::ifstream arguments(marker);
    int count = 0;
    long long pid = 0;
    arguments >> count >> pid;
    EXPECT_EQ(count, 1);
    EXPECT_EQ(pid, QCoreApplication::applicationPid());
    QLockFile lock(ToQString(folders.UsersDataPath() + "vemly.lock"));
    EXPECT_FALSE(lock.tryLock(0));
    window.reset();
    EXPECT_TRUE(lock.tryLock(0));
}

TEST_F(StartTest, MissingRestartHelperStillEndsTheProgram) {
    TfMain& main = Start();
    main.State().RestartRequested = true;
    EXPECT_TRUE(main.close());
    EXPECT_FALSE(main.isVisible());
}

TEST_F(StartTest, TextsComeFromTheLanguageModule) {
    const TfMain& main = Start();
    EXPECT_EQ(Caption(main, "CreateBudget"), "&Create budget...");
    EXPECT_EQ(Caption(main, "Admin"), "&Administration");
    EXPECT_EQ(Caption(main, "Move"), "Move...");
    EXPECT_EQ(main.State().LogCaption, "Journal of changes");
    EXPECT_EQ(main.State().MesLoad, "Loading...");
    EXPECT_EQ(ToStdString(main.StatusBarText->text()),
              "   Select a budget, folder or object in the tree on the left.");
    EXPECT_EQ(main.State().NamesSep, "\\");
}

// Without language files (an empty module, or a damaged vemly.ini naming none) the program
// starts with its English defaults and says nothing.
TEST_F(StartTest, WithoutLanguageFilesTheDefaultsShow) {
    for (const bool damagedIni : {false, true}) {
        SCOPED_TRACE(damagedIni ? "damaged vemly.ini" : "empty module");
        TestFolders own;
        if (damagedIni) {
            const char damaged[] = "\0\xFF[Common\nVLLang\n===\n[\n";
            std::ofstream(own.DataPath() + "vemly.ini", std::ios::binary)
                << std::string(damaged, sizeof damaged - 1);
        } else {
            fs::create_directories(own.DataPath() + "LangEmpty");
            TIniFile(own.DataPath() + "vemly.ini").WriteString("Common", "VLLang", "LangEmpty");
        }
        const ScopedMessageDlg answers;
        TDM data;
        DM = &data;
        TfMain main;
        main.show();
        QCoreApplication::processEvents();
        EXPECT_TRUE(answers.Calls().empty());
        EXPECT_TRUE(main.isVisible());
        std::vector<std::string> captions;
        for (const char* name : {"Budget", "CreateBudget", "Exit", "Admin", "Backup", "Recovery",
                                 "Language", "Settings", "Help", "Help1", "About", "CreateObject",
                                 "Rename", "Move", "Delete", "Export", "Import"})
            captions.push_back(Caption(main, name));
        EXPECT_EQ(captions, (std::vector<std::string>{
                                "Budget", "Create budget", "Exit", "Administrator", "Backup",
                                "Recovery", "Language", "Settings", "Help", "Help", "About",
                                "CreateObject", "Rename", "Move", "Delete", "Export", "Import"}));
        EXPECT_EQ(main.State().CalendarCaption, "Calendar of the budget");
        EXPECT_EQ(main.State().LogCaption, "Log of transactions");
        EXPECT_EQ(main.State().MesPrepare, "Prepare ...");
        EXPECT_EQ(main.State().MesProcessing, "Processing ...");
        EXPECT_EQ(ToStdString(main.StatusBarText->text()), "   ");
        if (damagedIni) {
            EXPECT_EQ(main.State().LangPath, own.DataPath() + "/");
        }
        DM = &dm;
    }
}

// The captions go to the menus' own items, never to another object of the window that
// carries an item's name (a frame's control).
TEST_F(StartTest, CaptionsGoToTheMenusOwnItems) {
    Create();
    auto* stray = new QAction(QStringLiteral("frame's own"), window.get());
    stray->setObjectName(QStringLiteral("Delete"));
    auto* strayMenu = new QMenu(QStringLiteral("frame's menu"), window.get());
    strayMenu->setObjectName(QStringLiteral("Help"));
    window->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(Caption(*window, "Delete"), "frame's own");
    EXPECT_EQ(ToStdString(strayMenu->title()), "frame's menu");
    EXPECT_EQ(ToStdString(window->PMenuTree->actions()[3]->text()), "Delete...");
    EXPECT_EQ(ToStdString(window->menuBar()->actions()[2]->text()), "&Help");
}

// The popup keys do not follow the item numbers: Item3 names item 2, Item4 item 3, Item6 item 5
// and Item7 item 6; keys 2 and 5 are not read and the separator keeps no caption.
TEST_F(StartTest, PopupMenuTakesItsOddlyNumberedKeys) {
    std::ofstream(folders.DataPath() + "LangEN/PMenuTree.lng", std::ios::trunc)
        << "[PMenuTree]\nItem0=A0\nItem1=A1\nItem2=A2\nItem3=A3\nItem4=A4\nItem5=A5\n"
           "Item6=A6\nItem7=A7\n";
    const TfMain& main = Start();
    std::vector<std::string> captions;
    for (const QAction* action : main.PMenuTree->actions())
        captions.push_back(ToStdString(action->text()));
    EXPECT_EQ(captions, (std::vector<std::string>{"A0", "A1", "A3", "A4", "", "A6", "A7"}));
    EXPECT_TRUE(main.PMenuTree->actions()[4]->isSeparator());
}

}  // namespace
