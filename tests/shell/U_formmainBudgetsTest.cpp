// The budget list and the open budget, and the main window's services: fatal errors, the temp
// folder and the day of a date.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "MainWindowFixture.h"
#include "platform/IniFile.h"
#include "platform/Text.h"
#include "shell/BudgetList.h"
#include "shell/ShellServices.h"
#include "store/Utransactions.h"

namespace fs = std::filesystem;

namespace {

using BudgetsTest = MainWindowTest;

TEST_F(BudgetsTest, ABudgetIsCompleteWhenItHoldsEveryEntryOfEmptyBases) {
    struct Case {
        const char* name;
        std::function<void(const std::string& budget, const std::string& emptyBases)> change;
        int expected;
    };
    const std::vector<Case> cases = {
        {"a copy", [](auto&, auto&) {}, 1},
        {"no Images folder", [](auto& b, auto&) { fs::remove_all(b + "/Images"); }, 0},
        {"a file in place of Files",
         [](auto& b, auto&) {
             fs::remove_all(b + "/Files");
             std::ofstream(b + "/Files");
         },
         0},
        {"a folder in place of VLBudget.ini",
         [](auto& b, auto&) {
             fs::remove(b + "/VLBudget.ini");
             fs::create_directory(b + "/VLBudget.ini");
         },
         0},
        {"no tables", [](auto& b, auto&) { fs::remove(b + "/tables.sqlite"); }, 0},
        {"extra entries", [](auto& b, auto&) { fs::create_directory(b + "/Extra"); }, 1},
        {"an empty EmptyBases",
         [](auto& b, auto& e) {
             fs::remove_all(e);
             fs::create_directory(e);
             fs::remove_all(b + "/Images");
         },
         1},
        {"no EmptyBases", [](auto&, auto& e) { fs::remove_all(e); }, 1},
        // A write-ahead log left beside the template's tables is no entry a budget must have.
        {"EmptyBases with open tables",
         [](auto&, auto& e) {
             std::ofstream(e + "/tables.sqlite-wal");
             std::ofstream(e + "/tables.sqlite-shm");
         },
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string emptyBases = folders.DataPath() + "EmptyBases";
        fs::remove_all(emptyBases);
        fs::copy(TestFolders::GeneratedEmptyBases(), emptyBases, fs::copy_options::recursive);
        const std::string budget = folders.MakeBudget(c.name);
        c.change(budget, emptyBases);
        EXPECT_EQ(IsBudgetComplete(folders.DataPath(), budget), c.expected);
        EXPECT_EQ(IsBudgetComplete(folders.DataPath(), budget + "/"), c.expected);
    }
    EXPECT_EQ(IsBudgetComplete(folders.DataPath(), folders.UsersDataPath() + "missing"), 0);
    EXPECT_EQ(IsBudgetComplete(folders.DataPath(), folders.UsersDataPath() + "missing/"), 0);
}

TEST_F(BudgetsTest, FolderExistsOnlyForFolders) {
    TfMain& main = Create();
    EXPECT_EQ(main.FolderExists(folders.DataPath() + "LangEN"), 1);
    EXPECT_EQ(main.FolderExists(folders.DataPath() + "vemly.ini"), 0);
    EXPECT_EQ(main.FolderExists(folders.DataPath() + "missing"), 0);
}

TEST_F(BudgetsTest, RegisteringAppendsAStoppedBudgetWithTheNextId) {
    const std::string first = folders.MakeBudget("First");
    TIniFile(first + "/VLBudget.ini").WriteString("VLBudget", "Name", "Küche 'A'");
    TIniFile(first + "/VLBudget.ini").WriteString("VLBudget", "Descript", "Kitchen money");
    Start();
    RegisterBudget(first);
    EXPECT_EQ(BudgetField(1, "Path"), first);
    EXPECT_EQ(BudgetField(1, "Name"), "Küche 'A'");
    EXPECT_EQ(BudgetField(1, "Descript"), "Kitchen money");
    EXPECT_EQ(BudgetField(1, "State"), "2");
    EXPECT_EQ(BudgetField(1, "Image"), "4");
    EXPECT_EQ(BudgetField(1, "Expanded"), "N");
    EXPECT_EQ(BudgetField(1, "Work"), "3");
    EXPECT_TRUE(dm.TableBudgets.ReadOnly());
    EXPECT_TRUE(dm.TableBudgets.Active());

    AddBudgetRow(5, "Five", "/five");
    AddBudgetRow(3, "Three", "/three");
    const std::string second = folders.MakeBudget("Second");
    std::ofstream(second + "/VLBudget.ini", std::ios::trunc);
    RegisterBudget(second + "/");
    EXPECT_EQ(BudgetField(6, "Path"), second + "/");
    EXPECT_EQ(BudgetField(6, "Name"), "");

    window->RebuildTree();
    ASSERT_EQ(window->Nodes().size(), 6u);
    EXPECT_EQ(window->Nodes()[0]->Info().Name, "Küche 'A'");
    EXPECT_EQ(window->Nodes()[0]->Entry().Image, 4);
}

TEST_F(BudgetsTest, StartingAndStoppingTheOpenBudget) {
    const std::string budget = folders.MakeBudget("Home");
    AddBudgetRow(1, "Home", budget, 2, 4, "Y");
    TfMain& main = Start();
    main.State().BudgetPath = budget;
    main.StartBudget();
    EXPECT_EQ(main.State().BudgetState, 0);
    EXPECT_EQ(BudgetField(1, "State"), "0");
    EXPECT_EQ(BudgetField(1, "Image"), "0");
    EXPECT_EQ(main.Nodes()[0]->Entry().Image, 1);
    EXPECT_EQ(main.Index().GetObjectImage(0, budget), 1);
    EXPECT_TRUE(dm.TableBudgets.ReadOnly());

    main.Nodes()[0]->setExpanded(false);
    EXPECT_EQ(main.Nodes()[0]->Entry().Image, 0);
    main.StopBudget();
    EXPECT_EQ(main.State().BudgetState, 3);
    EXPECT_EQ(BudgetField(1, "State"), "3");
    EXPECT_EQ(BudgetField(1, "Image"), "4");
    EXPECT_EQ(main.Nodes()[0]->Entry().Image, 4);
    main.Nodes()[0]->setExpanded(true);
    EXPECT_EQ(main.Nodes()[0]->Entry().Image, 5);

    // A budget that is not in the list: the list stays, the open budget's state changes.
    main.State().BudgetPath = folders.UsersDataPath() + "Other";
    main.StartBudget();
    EXPECT_EQ(main.State().BudgetState, 0);
    EXPECT_EQ(BudgetField(1, "State"), "3");
}

TEST(FileNames, FolderFieldsRefuseAndNamesLoseTenCharacters) {
    for (const char c : std::string("\"*/:<>?\\^|"))
        EXPECT_EQ(TfMain::FilterPathChar(QChar(c)), QChar(0)) << c;
    for (const char16_t c : std::u16string(u"aZ9 ._-'Ä"))
        EXPECT_EQ(TfMain::FilterPathChar(QChar(c)), QChar(c));
    EXPECT_EQ(TfMain::SanitizeFileName("a:b\\c/d*e?f\"g<h>i|j^k ö"), "a_b_c_d_e_f_g_h_i_j_k ö");
    EXPECT_EQ(TfMain::SanitizeFileName(""), "");
}

using ServicesTest = MainWindowTest;

// The text names the error the caller got, whatever the thread's last error is by then; the
// form without an error names the last one.
TEST_F(ServicesTest, FatalErrorsNameTheCallersErrorAndEndTheProgram) {
    struct Case {
        int code;
        bool withError;
        const char* text;
    };
    for (const Case& c : {Case{-2, true, "Fatal error ! Unable to create directory.\n"},
                          Case{-3, true, "Fatal error ! Unable to delete directory.\n"},
                          Case{-7, true, "Fatal error !\n"},
                          Case{-3, false, "Fatal error ! Unable to delete directory.\n"}}) {
        const ScopedMessageDlg answers;
        TfMain& main = Start();
        errno = ENOENT;
        if (c.withError)
            ShellServices().FatalError(c.code, std::make_error_code(std::errc::permission_denied));
        else
            ShellServices().FatalError(c.code);
        ASSERT_EQ(answers.Calls().size(), 1u);
        EXPECT_EQ(answers.Calls()[0].Text,
                  std::string(c.text) + std::strerror(c.withError ? EACCES : ENOENT));
        EXPECT_EQ(answers.Calls()[0].Type, TMsgDlgType::mtError);
        EXPECT_TRUE(main.State().FatalClose);
        EXPECT_FALSE(main.isVisible());
        window.reset();
    }
}

// Reload marks reset through the services are the main window's own.
TEST_F(ServicesTest, TheServicesAreTheMainWindowsStateAndIndex) {
    const std::string budget = folders.MakeBudget("Home");
    AddBudgetRow(1, "Home", budget);
    TfMain& main = Start();
    EXPECT_EQ(&ShellServices().State(), &main.State());
    EXPECT_EQ(&ShellServices().Index(), &main.Index());
    EXPECT_EQ(ShellServices().Index().GetObjectName(0, budget), "Home");
    main.State().PayShownID = 5;
    ShellServices().ResetShownMark(TShownMark::Pay);
    EXPECT_EQ(main.State().PayShownID, -1);
    EXPECT_EQ(ShellServices().SelectBudget(budget), 1);
    EXPECT_EQ(main.SelectedIndex(), 0);
}

// The journal and the stores reach the main window through its services.
TEST_F(ServicesTest, TheJournalsFatalReportGoesThroughTheMainWindowsServices) {
    const ScopedMessageDlg answers;
    TfMain& main = Start();
    main.State().BudgetPath = folders.Root() + "/budget";
    EXPECT_EQ(ShellServices().BudgetPath(), main.State().BudgetPath);
    EXPECT_EQ(ShellServices().LangPath(), main.State().LangPath);
    EXPECT_FALSE(ShellServices().FatalClose());
    ReportFatalError(kFatalStatus);
    ASSERT_EQ(answers.Calls().size(), 1u);
    EXPECT_EQ(answers.Calls()[0].Text, "FATAL ERROR: Incorrect status of transaction");
    EXPECT_EQ(answers.Calls()[0].Type, TMsgDlgType::mtError);
    EXPECT_EQ(answers.Calls()[0].Buttons, mbOK);
    EXPECT_TRUE(ShellServices().FatalClose());
    EXPECT_FALSE(main.isVisible());
}

// Only the program's own temp folder is ever emptied.
TEST_F(ServicesTest, ClearingTheTempFolderEmptiesOnlyTheProgramsOwn) {
    TfMain& main = Start();
    fs::create_directories(main.State().TempPath + "Objects/sub");
    std::ofstream(main.State().TempPath + "Objects/sub/file");
    std::ofstream(main.State().TempPath + "top");
    EXPECT_EQ(main.ClearTempFolder(), 0);
    EXPECT_TRUE(fs::is_directory(main.State().TempPath));
    EXPECT_TRUE(fs::is_empty(main.State().TempPath));
    EXPECT_EQ(main.ClearTempFolder(), 0);
    EXPECT_TRUE(fs::is_directory(main.State().TempPath));

    const std::string other = folders.Root() + "/precious/";
    fs::create_directories(other);
    std::ofstream(other + "keep");
    const std::string own = main.State().TempPath;
    main.State().TempPath = other;
    EXPECT_EQ(main.ClearTempFolder(), EINVAL);
    EXPECT_TRUE(fs::exists(other + "keep"));

    // A folder of the temp folder's name that is a link, or that other users may enter, is
    // not the program's own.
    fs::remove_all(own);
    fs::create_directory_symlink(other, own.substr(0, own.size() - 1));
    main.State().TempPath = own;
    EXPECT_EQ(main.ClearTempFolder(), EINVAL);
    EXPECT_TRUE(fs::exists(other + "keep"));
    fs::remove(own.substr(0, own.size() - 1));
    fs::create_directory(own);
    std::ofstream(own + "keep");
    fs::permissions(own, fs::perms::all);
    EXPECT_EQ(main.ClearTempFolder(), EINVAL);
    EXPECT_TRUE(fs::exists(own + "keep"));
}

TEST(DatePart, CutsTheTimeOfDay) {
    EXPECT_EQ(TfMain::DatePart(45000.99930555), 45000.0);
    EXPECT_EQ(TfMain::DatePart(45000.0), 45000.0);
    EXPECT_EQ(TfMain::DatePart(-1.25), -1.0);
}

}  // namespace
