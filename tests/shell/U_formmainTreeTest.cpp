// The tree of budgets and objects in the main window: built from the object index, icons,
// selection, the saved tree state and budgets whose folders or tables are gone or damaged.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QFontMetrics>
#include <QScrollBar>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <functional>

#include "BudgetsFixture.h"
#include "common/FakeShellServices.h"
#include "platform/Table.h"
#include "store/Usettings.h"

namespace fs = std::filesystem;

namespace {

class TreeTest : public BudgetsFixture {
protected:
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const TTreeNode* node : window->Nodes()) texts.push_back(node->Info().Name);
        return texts;
    }
    TTreeNode* Node(int index) const { return window->Nodes().at(index); }
};

TEST_F(TreeTest, ShowsEveryCompleteBudgetWithItsObjectsInOrder) {
    const TfMain& main = Start();
    EXPECT_TRUE(messages.Calls().empty());
    EXPECT_EQ(Texts(), kTree);
    EXPECT_EQ(main.TreeViewMain->topLevelItemCount(), 3);
    EXPECT_EQ(main.SelectedIndex(), -1);
    EXPECT_EQ(main.State().TypeObject, -1);
    EXPECT_FALSE(main.State().TreeRebuilding);

    // Node i of the tree stands for node i of the index, under the node of its parent.
    ASSERT_EQ(main.Nodes().size(), main.Index().Nodes().size());
    for (size_t i = 0; i < main.Nodes().size(); ++i) {
        EXPECT_EQ(Node(i)->Index, int(i));
        EXPECT_EQ(&Node(i)->Info(), &main.Index().Node(i).Info);
        const int parent = main.Index().Node(i).Parent;
        EXPECT_EQ(Node(i)->parent(), parent < 0 ? nullptr : Node(parent));
    }
    EXPECT_EQ(Node(0)->Info().Path, home);
    EXPECT_EQ(Node(4)->Info().Name, "Rent");
    EXPECT_EQ(Node(12)->Info().IDBudget, 2);
    EXPECT_EQ(Node(3)->parent(), Node(0));
    EXPECT_EQ(Node(4)->parent(), Node(3));
}

// The stored icon is the collapsed one; every expanded node shows the next one. A file
// collection shows the next one while selected. A node without children cannot be expanded.
TEST_F(TreeTest, IconsFollowTypeStateAndExpansion) {
    Start();
    for (const TIconCase& c : kIconCases) {
        SCOPED_TRACE(Texts()[c.index]);
        EXPECT_EQ(Node(c.index)->Entry().Image, c.image);
        EXPECT_EQ(Node(c.index)->Entry().SelectedImage, c.selectedImage);
        EXPECT_EQ(Node(c.index)->isExpanded(), c.expanded);
    }
    Node(3)->setExpanded(false);
    EXPECT_EQ(Node(3)->Entry().Image, 80);
    Node(10)->setExpanded(true);
    EXPECT_EQ(Node(10)->Entry().Image, 5);
}

// A name longer than the tree is wide stands whole, in the larger font of a budget's root too:
// the tree scrolls sideways to it.
TEST_F(TreeTest, LongNamesStandWholeAndTheTreeScrollsSideways) {
    const std::string folder =
        "Wohnung in Łódź, ulica Piotrkowska 104 m. 12, mit Keller und Stellplatz";
    const std::string budget = "Haushalt Müller-Żółkiewski 2026 – gemeinsame Kasse der Familie";
    AddObject(home, 19, 11, otFolder, 80, folder);
    {
        TTable budgets;
        budgets.SetDatabaseName(folders.UsersDataPath());
        budgets.SetTableName("Budgets.db");
        budgets.Open();
        ASSERT_TRUE(budgets.Locate("ID", {1}));
        budgets.Edit();
        budgets.FieldByName("Name").SetAsString(budget);
        budgets.Post();
    }
    TfMain& main = Start();
    QTreeWidget& tree = *main.TreeViewMain;
    int checked = 0;
    for (const TTreeNode* node : main.Nodes()) {
        if (node->Info().Name != folder && node->Info().Name != budget) continue;
        SCOPED_TRACE(node->Info().Name);
        ++checked;
        const int text = QFontMetrics(node->font(0))
                             .horizontalAdvance(QString::fromStdString(node->Info().Name));
        EXPECT_GE(tree.visualItemRect(node).width(), text + tree.iconSize().width());
    }
    EXPECT_EQ(checked, 2);
    EXPECT_GE(tree.columnWidth(0), static_cast<QAbstractItemView&>(tree).sizeHintForColumn(0));
    EXPECT_GT(tree.horizontalScrollBar()->maximum(), 0);
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
    EXPECT_EQ(Node(3)->Entry().Image, 80);
    EXPECT_TRUE(Node(7)->isExpanded());
    EXPECT_EQ(Node(7)->Entry().Image, 83);
    EXPECT_TRUE(Node(10)->isExpanded());
    EXPECT_EQ(Node(10)->Entry().Image, 5);

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
    main.State().BudgetPath = cottage;
    dm.OpenBudget(cottage);
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
        EXPECT_EQ(main.Index().FindObject(0, cottage), nullptr);
        EXPECT_FALSE(main.State().TreeRebuilding);
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
    EXPECT_EQ(window->Index().GetObjectPath(path, "/", 30, home), 0);
    EXPECT_EQ(path, "Home/Loop A/");
}

}  // namespace
