// The budget list and the open budget, and the main window's services: fatal errors, the temp
// folder and the day of a date.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cerrno>
#include <filesystem>
#include <fstream>

#include "MainWindowFixture.h"
#include "platform/IniFile.h"
#include "platform/Text.h"
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
    TfMain& main = Create();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string emptyBases = folders.DataPath() + "EmptyBases";
        fs::remove_all(emptyBases);
        fs::copy(TestFolders::GeneratedEmptyBases(), emptyBases, fs::copy_options::recursive);
        const std::string budget = folders.MakeBudget(c.name);
        c.change(budget, emptyBases);
        EXPECT_EQ(main.IsBudgetComplete(budget), c.expected);
        EXPECT_EQ(main.IsBudgetComplete(budget + "/"), c.expected);
    }
    EXPECT_EQ(main.IsBudgetComplete(folders.UsersDataPath() + "missing"), 0);
    EXPECT_EQ(main.IsBudgetComplete(folders.UsersDataPath() + "missing/"), 0);
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
    window->RegisterBudget(first);
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
    window->RegisterBudget(second + "/");
    EXPECT_EQ(BudgetField(6, "Path"), second + "/");
    EXPECT_EQ(BudgetField(6, "Name"), "");

    window->RebuildTree();
    ASSERT_EQ(window->Nodes().size(), 6u);
    EXPECT_EQ(window->Nodes()[0]->Info.Name, "Küche 'A'");
    EXPECT_EQ(window->Nodes()[0]->ImageIndex, 4);
}

TEST_F(BudgetsTest, StartingAndStoppingTheOpenBudget) {
    const std::string budget = folders.MakeBudget("Home");
    AddBudgetRow(1, "Home", budget, 2, 4, "Y");
    TfMain& main = Start();
    main.BudgetPath = budget;
    main.StartBudget();
    EXPECT_EQ(main.BudgetState, 0);
    EXPECT_EQ(BudgetField(1, "State"), "0");
    EXPECT_EQ(BudgetField(1, "Image"), "0");
    EXPECT_EQ(main.Nodes()[0]->ImageIndex, 1);
    EXPECT_EQ(main.GetObjectImage(0, budget), 1);
    EXPECT_TRUE(dm.TableBudgets.ReadOnly());

    main.Nodes()[0]->setExpanded(false);
    EXPECT_EQ(main.Nodes()[0]->ImageIndex, 0);
    main.StopBudget();
    EXPECT_EQ(main.BudgetState, 3);
    EXPECT_EQ(BudgetField(1, "State"), "3");
    EXPECT_EQ(BudgetField(1, "Image"), "4");
    EXPECT_EQ(main.Nodes()[0]->ImageIndex, 4);
    main.Nodes()[0]->setExpanded(true);
    EXPECT_EQ(main.Nodes()[0]->ImageIndex, 5);

    // A budget that is not in the list: the list stays, the open budget's state changes.
    main.BudgetPath = folders.UsersDataPath() + "Other";
    main.StartBudget();
    EXPECT_EQ(main.BudgetState, 0);
    EXPECT_EQ(BudgetField(1, "State"), "3");
}

TEST_F(BudgetsTest, OpeningTheBudgetTables) {
    const std::string budget = folders.MakeBudget("Home");
    TfMain& main = Start();
    main.BudgetPath = budget;
    for (const bool journalReadOnly : {false, true}) {
        main.OpenBudgetTables(journalReadOnly);
        const auto tables = dm.BudgetTables();
        for (size_t i = 0; i < tables.size(); ++i) {
            SCOPED_TRACE(tables[i]->TableName());
            EXPECT_TRUE(tables[i]->Active());
            EXPECT_EQ(tables[i]->DatabaseName(), budget);
            EXPECT_EQ(tables[i]->ReadOnly(), i >= 13 && journalReadOnly);
        }
    }
    EXPECT_EQ(dm.TablejTrans.IndexName(), "Index_NTrans");
    EXPECT_EQ(dm.TableObjects.IndexName(), "Index01");
    EXPECT_EQ(dm.TableObjects.RecordCount(), 2);
}

TEST(FileNames, FolderFieldsRefuseTenCharactersAndNamesLoseNine) {
    for (const char c : std::string("\"*/:<>?\\^|"))
        EXPECT_EQ(TfMain::FilterPathChar(QChar(c)), QChar(0)) << c;
    for (const char16_t c : std::u16string(u"aZ9 ._-'Ä"))
        EXPECT_EQ(TfMain::FilterPathChar(QChar(c)), QChar(c));
    EXPECT_EQ(TfMain::SanitizeFileName("a:b\\c/d*e?f\"g<h>i|j^k ö"), "a_b\\c_d_e_f_g_h_i_j_k ö");
    EXPECT_EQ(TfMain::SanitizeFileName(""), "");
}

using ServicesTest = MainWindowTest;

TEST_F(ServicesTest, FatalErrorsNameTheSystemsErrorAndEndTheProgram) {
    struct Case {
        int code;
        const char* text;
    };
    for (const Case& c :
         {Case{-2, "Fatal error ! Unable to create directory.\n"},
          Case{-3, "Fatal error ! Unable to delete directory.\n"}, Case{-7, "Fatal error !\n"}}) {
        const ScopedMessageDlg answers;
        TfMain& main = Start();
        errno = ENOENT;
        main.FatalError(c.code);
        ASSERT_EQ(answers.Calls().size(), 1u);
        EXPECT_EQ(answers.Calls()[0].Text, std::string(c.text) + std::strerror(ENOENT));
        EXPECT_EQ(answers.Calls()[0].Type, TMsgDlgType::mtError);
        EXPECT_TRUE(main.FatalClose);
        EXPECT_FALSE(main.isVisible());
        window.reset();
    }
}

// The journal and the stores reach the main window through its services.
TEST_F(ServicesTest, TheJournalsFatalReportGoesThroughTheMainWindowsServices) {
    const ScopedMessageDlg answers;
    TfMain& main = Start();
    main.BudgetPath = folders.Root() + "/budget";
    EXPECT_EQ(ShellServices().BudgetPath(), main.BudgetPath);
    EXPECT_EQ(ShellServices().LangPath(), main.LangPath);
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
    fs::create_directories(main.TempPath + "Objects/sub");
    std::ofstream(main.TempPath + "Objects/sub/file");
    std::ofstream(main.TempPath + "top");
    EXPECT_EQ(main.ClearTempFolder(), 0);
    EXPECT_TRUE(fs::is_directory(main.TempPath));
    EXPECT_TRUE(fs::is_empty(main.TempPath));
    EXPECT_EQ(main.ClearTempFolder(), 0);
    EXPECT_TRUE(fs::is_directory(main.TempPath));

    const std::string other = folders.Root() + "/precious/";
    fs::create_directories(other);
    std::ofstream(other + "keep");
    const std::string own = main.TempPath;
    main.TempPath = other;
    EXPECT_EQ(main.ClearTempFolder(), EINVAL);
    EXPECT_TRUE(fs::exists(other + "keep"));

    // A "VemlyTEMP" that is a link to another folder is not the program's own.
    fs::remove_all(own);
    fs::create_directory_symlink(other, own.substr(0, own.size() - 1));
    main.TempPath = own;
    EXPECT_EQ(main.ClearTempFolder(), EINVAL);
    EXPECT_TRUE(fs::exists(other + "keep"));
}

TEST(DatePart, CutsTheTimeOfDay) {
    EXPECT_EQ(TfMain::DatePart(45000.99930555), 45000.0);
    EXPECT_EQ(TfMain::DatePart(45000.0), 45000.0);
    EXPECT_EQ(TfMain::DatePart(-1.25), -1.0);
}

}  // namespace
