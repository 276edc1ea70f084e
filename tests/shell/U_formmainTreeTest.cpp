// The tree of budgets and objects: building, icons, lookups by object ID, the saved tree state
// and budgets whose folders or tables are gone or damaged.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <functional>

#include "MainWindowFixture.h"
#include "common/FakeShellServices.h"
#include "store/Usettings.h"

namespace fs = std::filesystem;

namespace {

// Two complete budgets with objects of every kind, a budget list row whose folder is gone, one
// whose folder is incomplete and one without a name:
//   Home (running, expanded)          Cottage (stopped)      "" (no name)
//     Calendar, Log                     Shed (ID 2)            Calendar, Log
//     Flat (expanded): Rent, Meter, Power                      Calendar, Log
//     Car: Papers
//     Empty (saved expanded, no children)
class TreeTest : public MainWindowTest {
protected:
    TreeTest() {
        AddObject(home, 11, 0, otFolder, 80, "Flat", "Y", "The flat");
        AddObject(home, 12, 11, otTable, 16, "Rent", "N", "Monthly rent");
        AddObject(home, 13, 0, otFolder, 82, "Car");
        AddObject(home, 14, 13, otFiles, 20, "Papers");
        AddObject(home, 15, 11, otNumber, 22, "Meter");
        AddObject(home, 16, 11, otPay, 24, "Power");
        AddObject(home, 17, 0, otFolder, 84, "Empty", "Y");
        AddObject(home, 18, 99, otImages, 18, "Lost photos");
        AddObject(cottage, 2, 0, otFolder, 86, "Shed");
        fs::remove_all(incomplete + "/Images");
        AddBudgetRow(1, "Home", home, 0, 0, "Y");
        AddBudgetRow(2, "Cottage", cottage, 3, 4, "N");
        AddBudgetRow(3, "Gone", folders.UsersDataPath() + "Gone", 0, 0, "Y");
        AddBudgetRow(4, "Incomplete", incomplete, 0, 0, "Y");
        AddBudgetRow(5, "", nameless, 2, 4, "N");
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const TTreeNode* node : window->Nodes()) texts.push_back(node->Info.Name);
        return texts;
    }
    TTreeNode* Node(int index) const { return window->Nodes().at(index); }

    const std::string home = folders.MakeBudget("Home");
    const std::string cottage = folders.MakeBudget("Cottage");
    const std::string incomplete = folders.MakeBudget("Incomplete");
    const std::string nameless = folders.MakeBudget("Nameless");
};

const std::vector<std::string> kTree = {"Home",
                                        "Calendar of the budget",
                                        "Journal of changes",
                                        "Flat",
                                        "Rent",
                                        "Meter",
                                        "Power",
                                        "Car",
                                        "Papers",
                                        "Empty",
                                        "Cottage",
                                        "Shed",
                                        "Calendar of the budget",
                                        "Journal of changes",
                                        "",
                                        "Calendar of the budget",
                                        "Journal of changes"};

TEST_F(TreeTest, ShowsEveryCompleteBudgetWithItsObjectsInOrder) {
    const TfMain& main = Start();
    EXPECT_TRUE(messages.Calls().empty());
    EXPECT_EQ(Texts(), kTree);
    EXPECT_EQ(main.TreeViewMain->topLevelItemCount(), 3);
    EXPECT_EQ(main.SelectedIndex(), -1);
    EXPECT_EQ(main.TypeObject, -1);
    EXPECT_FALSE(main.TreeRebuilding);

    for (size_t i = 0; i < main.Nodes().size(); ++i) EXPECT_EQ(Node(i)->Index, int(i));
    const ObjectInfo& root = Node(0)->Info;
    EXPECT_EQ(root.IDBudget, 1);
    EXPECT_EQ(root.Type, otBudget);
    EXPECT_EQ(root.ID, 1);
    EXPECT_EQ(root.IDParent, -1);
    EXPECT_EQ(root.Path, home);
    const ObjectInfo& rent = Node(4)->Info;
    EXPECT_EQ(rent.IDBudget, 1);
    EXPECT_EQ(rent.Type, otTable);
    EXPECT_EQ(rent.ID, 12);
    EXPECT_EQ(rent.IDParent, 11);
    EXPECT_EQ(rent.Descript, "Monthly rent");
    EXPECT_EQ(rent.Path, home);
    EXPECT_EQ(Node(1)->Info.Type, otCalendar);
    EXPECT_EQ(Node(2)->Info.Type, otLog);
    EXPECT_EQ(Node(12)->Info.IDBudget, 2);
    EXPECT_EQ(Node(3)->parent(), Node(0));
    EXPECT_EQ(Node(4)->parent(), Node(3));
}

// The stored icon is the collapsed one; every expanded node shows the next one. A file
// collection shows the next one while selected. A node without children cannot be expanded.
TEST_F(TreeTest, IconsFollowTypeStateAndExpansion) {
    Start();
    struct Case {
        int index;
        int image;
        int selectedImage;
        bool expanded;
    };
    for (const Case& c : {Case{0, 1, 1, true}, Case{1, 10, 10, false}, Case{2, 12, 12, false},
                          Case{3, 81, 81, true}, Case{4, 16, 16, false}, Case{6, 24, 24, false},
                          Case{7, 82, 82, false}, Case{8, 20, 21, false}, Case{9, 84, 84, false},
                          Case{10, 4, 4, false}}) {
        SCOPED_TRACE(Texts()[c.index]);
        EXPECT_EQ(Node(c.index)->ImageIndex, c.image);
        EXPECT_EQ(Node(c.index)->SelectedImageIndex, c.selectedImage);
        EXPECT_EQ(Node(c.index)->isExpanded(), c.expanded);
    }
    Node(3)->setExpanded(false);
    EXPECT_EQ(Node(3)->ImageIndex, 80);
    Node(10)->setExpanded(true);
    EXPECT_EQ(Node(10)->ImageIndex, 5);
}

TEST_F(TreeTest, LookupsByObjectIdAndBudgetFolder) {
    TfMain& main = Start();
    EXPECT_EQ(main.GetObjectName(0, home), "Home");
    EXPECT_EQ(main.GetObjectName(0, nameless), "");
    // An object whose ID is its budget's ID is found, not the root.
    EXPECT_EQ(main.GetObjectName(2, cottage), "Shed");
    EXPECT_EQ(main.GetObjectType(2, cottage), otFolder);
    EXPECT_EQ(main.GetObjectType(0, cottage), otBudget);
    EXPECT_EQ(main.GetObjectType(12, home), otTable);
    EXPECT_EQ(main.GetObjectDescript(11, home), "The flat");
    EXPECT_EQ(main.GetObjectImage(11, home), 81);
    EXPECT_EQ(main.GetObjectImage(0, home), 1);
    // Nothing matches: an unknown ID, an object that is not in the tree, another spelling of
    // the folder.
    for (const auto& [id, folder] : {std::pair{99, home}, std::pair{18, home},
                                     std::pair{12, home + "/"}, std::pair{0, std::string()}}) {
        EXPECT_EQ(main.FindObject(id, folder), nullptr);
        EXPECT_EQ(main.GetObjectName(id, folder), "");
        EXPECT_EQ(main.GetObjectDescript(id, folder), "");
        EXPECT_EQ(main.GetObjectImage(id, folder), 0);
        EXPECT_EQ(main.GetObjectType(id, folder), 0);
    }
    ASSERT_NE(main.FindObject(15, home), nullptr);
    EXPECT_EQ(main.FindObject(15, home)->Name, "Meter");
}

TEST_F(TreeTest, ObjectPathsRunFromTheRootDown) {
    TfMain& main = Start();
    std::string path;
    EXPECT_EQ(main.GetObjectPath(path, "\\", 12, home), 0);
    EXPECT_EQ(path, "Home\\Flat\\Rent\\");
    path = "tail";
    EXPECT_EQ(main.GetObjectPath(path, " / ", 0, cottage), 0);
    EXPECT_EQ(path, "Cottage / tail");
    path = "kept";
    EXPECT_EQ(main.GetObjectPath(path, "\\", 18, home), -1);
    EXPECT_EQ(path, "kept");
}

TEST_F(TreeTest, AncestorsNamesAndChildrenInTheOpenBudget) {
    TfMain& main = Start();
    main.BudgetPath = home;
    EXPECT_TRUE(main.IsAncestor(11, 12));
    EXPECT_TRUE(main.IsAncestor(0, 12));
    EXPECT_TRUE(main.IsAncestor(0, 11));
    EXPECT_FALSE(main.IsAncestor(13, 12));
    EXPECT_FALSE(main.IsAncestor(12, 12));
    EXPECT_FALSE(main.IsAncestor(11, 99));

    EXPECT_EQ(main.NameExists(11, 0, "Rent"), 1);
    EXPECT_EQ(main.NameExists(11, 12, "Rent"), 0);
    EXPECT_EQ(main.NameExists(11, 0, "rent"), 0);
    EXPECT_EQ(main.NameExists(0, 0, "Flat"), 1);
    EXPECT_EQ(main.NameExists(0, 0, "Shed"), 0);

    EXPECT_EQ(main.HasNoChildren(11, home), 0);
    EXPECT_EQ(main.HasNoChildren(0, home), 0);
    EXPECT_EQ(main.HasNoChildren(12, home), 1);
    EXPECT_EQ(main.HasNoChildren(17, home), 1);
    EXPECT_EQ(main.HasNoChildren(2, home), 1);
}

TEST_F(TreeTest, SelectingNodesAndFindingTheirIndexes) {
    TfMain& main = Start();
    EXPECT_EQ(main.SelectObject(0, cottage), 1);
    EXPECT_EQ(main.SelectedIndex(), 10);
    EXPECT_TRUE(Node(10)->isExpanded());
    EXPECT_EQ(main.SelectObject(99, home), 0);
    EXPECT_EQ(main.SelectedIndex(), 10);
    EXPECT_EQ(main.SelectObject(13, home), 1);
    EXPECT_EQ(main.SelectedIndex(), 7);
    EXPECT_TRUE(Node(7)->isExpanded());
    EXPECT_EQ(main.SelectBudget(home), 1);
    EXPECT_EQ(main.SelectedIndex(), 0);
    EXPECT_EQ(main.SelectBudget(folders.UsersDataPath() + "Gone"), 0);
    EXPECT_EQ(main.SelectedIndex(), 0);

    EXPECT_EQ(main.NodeIndexOf(Node(4)), 4);
    EXPECT_EQ(main.NodeIndexOf(Node(14)), 14);
    EXPECT_EQ(main.NodeIndexOf(nullptr), -1);
}

TEST_F(TreeTest, TreeStateSurvivesSavingAndRebuilding) {
    TfMain& main = Start();
    Node(3)->setExpanded(false);  // Flat
    Node(7)->setExpanded(true);   // Car
    Node(10)->setExpanded(true);  // Cottage
    main.SelectObject(14, home);  // Papers
    ASSERT_EQ(main.SelectedIndex(), 8);

    main.SaveTreeState();
    {
        const FakeShellServices settings(folders.UsersDataPath());
        EXPECT_EQ(GetSettingInt("SelNode", -1), 8);
    }
    EXPECT_EQ(BudgetField(1, "Expanded"), "Y");
    EXPECT_EQ(BudgetField(2, "Expanded"), "Y");
    EXPECT_EQ(BudgetField(3, "Expanded"), "Y");  // no node: not written
    EXPECT_EQ(ObjectField(home, 11, "Expanded"), "N");
    EXPECT_EQ(ObjectField(home, 13, "Expanded"), "Y");
    EXPECT_EQ(ObjectField(home, 17, "Expanded"), "N");
    EXPECT_EQ(ObjectField(home, 18, "Expanded"), "N");
    EXPECT_EQ(ObjectField(cottage, 2, "Expanded"), "N");

    main.RebuildTree();
    EXPECT_EQ(Texts(), kTree);
    EXPECT_EQ(main.SelectedIndex(), -1);
    EXPECT_FALSE(Node(3)->isExpanded());
    EXPECT_EQ(Node(3)->ImageIndex, 80);
    EXPECT_TRUE(Node(7)->isExpanded());
    EXPECT_EQ(Node(7)->ImageIndex, 83);
    EXPECT_TRUE(Node(10)->isExpanded());
    EXPECT_EQ(Node(10)->ImageIndex, 5);

    main.SaveTreeState();
    const FakeShellServices settings(folders.UsersDataPath());
    EXPECT_EQ(GetSettingInt("SelNode", -1), 0);
}

// Before any budget has been opened the Objects table has no folder: the state is saved all
// the same, and the table stays closed instead of being opened on no folder.
TEST_F(TreeTest, SavingWithNoBudgetOpenCreatesNoFile) {
    TfMain& main = Start();
    ASSERT_TRUE(dm.TableObjects.DatabaseName().empty());
    Node(7)->setExpanded(true);
    main.SaveTreeState();
    EXPECT_FALSE(dm.TableObjects.Active());
    EXPECT_TRUE(dm.TableObjects.DatabaseName().empty());
    EXPECT_EQ(ObjectField(home, 13, "Expanded"), "Y");
    EXPECT_FALSE(fs::exists(ProgramDir() + "tables.sqlite"));
    EXPECT_FALSE(fs::exists(fs::current_path() / "tables.sqlite"));
    EXPECT_FALSE(fs::exists("/tables.sqlite"));
}

TEST_F(TreeTest, SavingPutsTheObjectsTableBackOnTheOpenBudget) {
    TfMain& main = Start();
    main.BudgetPath = cottage;
    main.OpenBudgetTables(false);
    main.SaveTreeState();
    EXPECT_TRUE(dm.TableObjects.Active());
    EXPECT_EQ(dm.TableObjects.DatabaseName(), cottage);
    EXPECT_FALSE(dm.TableObjects.ReadOnly());
    EXPECT_FALSE(dm.TableBudgets.ReadOnly());
}

// A budget whose tables or whose row of the budget list cannot be read is left out, the first
// such error is reported, and the tree holds no node of it.
TEST_F(TreeTest, ABudgetThatCannotBeReadIsLeftOutAndReported) {
    struct Case {
        const char* name;
        std::function<void()> damage;
        const char* named;  // what the report names
    };
    const std::vector<Case> cases = {
        {"damaged tables",
         [this] {
             std::ofstream(cottage + "/tables.sqlite", std::ios::binary | std::ios::trunc)
                 << std::string(4096, 'x');
         },
         "Cottage"},
        {"an ID too large",
         [this] {
             sqlite3* db = nullptr;
             ASSERT_EQ(sqlite3_open((folders.UsersDataPath() + "tables.sqlite").c_str(), &db),
                       SQLITE_OK);
             EXPECT_EQ(sqlite3_exec(db, "UPDATE Budgets SET ID=99999999999 WHERE ID=2", nullptr,
                                    nullptr, nullptr),
                       SQLITE_OK);
             sqlite3_close(db);
         },
         "ID"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.damage();
        const ScopedMessageDlg answers;
        const TfMain& main = Start();
        ASSERT_EQ(answers.Calls().size(), 1u);
        EXPECT_EQ(answers.Calls()[0].Type, TMsgDlgType::mtError);
        EXPECT_NE(answers.Calls()[0].Text.find(c.named), std::string::npos);
        EXPECT_EQ(main.TreeViewMain->topLevelItemCount(), 2);
        EXPECT_EQ(Texts().front(), "Home");
        EXPECT_EQ(Texts().back(), "Journal of changes");
        EXPECT_EQ(Texts().size(), kTree.size() - 4);
        for (const TTreeNode* node : main.Nodes()) EXPECT_EQ(node->treeWidget(), main.TreeViewMain);
        EXPECT_EQ(main.FindObject(0, cottage), nullptr);
        EXPECT_FALSE(main.TreeRebuilding);
        EXPECT_TRUE(main.TreeViewMain->updatesEnabled());
        window.reset();
        fs::remove_all(cottage);
        fs::copy(TestFolders::GeneratedEmptyBases(), cottage, fs::copy_options::recursive);
    }
}

TEST_F(TreeTest, ObjectsWhoseParentsFormALoopAreShownOnce) {
    AddObject(home, 30, 0, otFolder, 80, "Loop A", "Y");
    AddObject(home, 31, 30, otFolder, 80, "Loop B", "Y");
    AddObject(home, 30, 31, otFolder, 80, "Loop C", "Y");
    Start();
    std::vector<std::string> texts = Texts();
    const auto a = std::find(texts.begin(), texts.end(), "Loop A");
    ASSERT_NE(a, texts.end());
    EXPECT_EQ(std::vector<std::string>(a, a + 3),
              (std::vector<std::string>{"Loop A", "Loop B", "Loop C"}));
    EXPECT_EQ(texts.size(), kTree.size() + 3);
    std::string path;
    EXPECT_EQ(window->GetObjectPath(path, "/", 30, home), 0);
    EXPECT_EQ(path, "Home/Loop A/");
}

}  // namespace
