// Selection and frame switching in the main window: the change sequence, the budget switch, the
// reload marks, the empty frame area, the guard flags and a frame that refuses to be left.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QAbstractItemView>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <functional>

#include "MainFramesFixture.h"
#include "content/U_frtable.h"
#include "platform/Text.h"
#include "schema/SchemaNames.h"
#include "shell/MainFrames.h"
#include "shell/U_fclose.h"
#include "shell/U_frfolder.h"
#include "store/U_frlog.h"

namespace {

using Strings = std::vector<std::string>;

class FramesTest : public MainFramesFixture {
protected:
    // The row the data module's Objects table stands on: it goes back to the first row when
    // the budget's tables are opened again.
    int ObjectsRow() { return dm.TableObjects.FieldByName(fld::ID).AsInteger(); }
    std::string Header() const { return ToStdString(window->LabelFrameHeader->text()); }
};

// The frame being left finishes its edits while the members still describe its node; the new
// node's frame is shown after the members and the open budget changed.
TEST_F(FramesTest, ASelectionLeavesTheOldFrameThenShowsTheNewOne) {
    TfMain& main = StartWith({{otFolder, "folder"}, {otTable, "table"}});
    int leftObject = -2;
    Probe(otFolder).OnLeave = [&] { leftObject = main.State().IDObject; };

    Click(3);  // Flat
    EXPECT_EQ(log, (Strings{"folder ShowFor Flat"}));
    EXPECT_EQ(main.State().IDObject, 11);
    EXPECT_EQ(main.State().TypeObject, otFolder);
    EXPECT_EQ(ToStdString(Probe(otFolder).LabelHeader->text()), "Flat");
    EXPECT_FALSE(main.Panel2->isVisible());

    log.clear();
    Click(4);  // Rent
    EXPECT_EQ(log, (Strings{"folder Leave", "folder Hide", "table ShowFor Rent"}));
    EXPECT_EQ(leftObject, 11);
    EXPECT_TRUE(Probe(otTable).isVisible());
    EXPECT_FALSE(Probe(otFolder).isVisible());
    EXPECT_EQ(Probe(otTable).geometry(), main.PanelFrames->contentsRect());

    log.clear();
    Click(0);  // the budget root: the folder frame, object 0
    EXPECT_EQ(log, (Strings{"table Leave", "table Hide", "folder ShowFor Home"}));
    EXPECT_EQ(main.State().IDObject, 0);
    EXPECT_EQ(main.State().TypeObject, otBudget);
    EXPECT_FALSE(main.State().TreeChanging);
}

// The first selection opens its budget (IDBudget is -1 after start-up); another node of the
// same budget leaves the tables as they are; a node of another budget opens that budget.
TEST_F(FramesTest, OnlyAnotherBudgetOpensItsTables) {
    TfMain& main = StartWith({});
    ASSERT_EQ(main.State().IDBudget, -1);
    Click(4);  // Rent, in Home
    EXPECT_EQ(main.State().IDBudget, 1);
    EXPECT_EQ(main.State().BudgetPath, home);
    EXPECT_EQ(main.State().BudgetName, "Home");
    EXPECT_EQ(main.State().BudgetState, 0);
    EXPECT_EQ(dm.TableObjects.DatabaseName(), home);
    EXPECT_FALSE(dm.TableObjects.ReadOnly());

    dm.TableObjects.Last();
    const int lastRow = ObjectsRow();
    Click(7);  // Car, in Home
    EXPECT_EQ(ObjectsRow(), lastRow) << "the tables were opened again";

    Click(11);  // Shed, in Cottage
    EXPECT_EQ(main.State().IDBudget, 2);
    EXPECT_EQ(main.State().BudgetPath, cottage);
    EXPECT_EQ(main.State().BudgetName, "Cottage");
    EXPECT_EQ(main.State().BudgetState, 3);
    EXPECT_EQ(main.State().IDObject, 2);
    for (TTable* table : dm.BudgetTables()) {
        EXPECT_EQ(table->DatabaseName(), cottage);
        EXPECT_TRUE(table->Active());
    }
    EXPECT_TRUE(messages.Calls().empty());
}

// A budget that left the budget list: the error box and the close request stay; the budget is
// opened with its node's name and description and counts as stopped.
TEST_F(FramesTest, ABudgetMissingFromTheListIsReportedAndTreatedAsStopped) {
    TfMain& main = StartWith({{otFolder, "folder"}});
    Click(4);  // Rent, Home is open and running
    ASSERT_EQ(main.State().BudgetState, 0);
    // The budget list loses the row, as the program's own deletion of a budget does it.
    dm.TableBudgets.Close();
    dm.TableBudgets.SetReadOnly(false);
    dm.TableBudgets.Open();
    ASSERT_TRUE(dm.TableBudgets.Locate(fld::ID, {2}));
    dm.TableBudgets.Delete();

    WhenOpen<TfClose>([](TfClose& dialog) { dialog.BitBtnOK->click(); });
    Click(11);  // Shed, in Cottage
    EXPECT_EQ(messages.Texts(), Strings{"FATAL ERROR: Unable to find budget in 'Budgets.DB'"});
    EXPECT_EQ(messages.Calls()[0].Type, TMsgDlgType::mtError);
    EXPECT_FALSE(main.isVisible()) << "the window was not asked to close";
    EXPECT_EQ(main.State().IDBudget, 2);
    EXPECT_EQ(main.State().BudgetPath, cottage);
    EXPECT_EQ(main.State().BudgetName, "Cottage");
    EXPECT_EQ(main.State().BudgetDescript, "");
    EXPECT_EQ(main.State().BudgetState, 3);
    EXPECT_EQ(dm.TableObjects.DatabaseName(), cottage);
    EXPECT_EQ(log.back(), "folder ShowFor Shed");
    EXPECT_FALSE(main.State().TreeChanging);
}

// A frame that must stay (edits the user chose to keep could not be saved) keeps its node on
// every way of leaving it: the selection goes back to it without the frame being shown again,
// the open budget stays, the window stays open, and a command that rebuilds the tree does not
// run. Once the frame lets go, the selection moves as always.
TEST_F(FramesTest, AFrameThatMustStayKeepsItsNode) {
    TfMain& main = StartWith({{otFolder, "folder"}, {otTable, "table"}});
    Click(4);  // Rent
    Probe(otTable).Stays = true;
    const struct {
        const char* way;
        std::function<void()> leave;
    } ways[] = {
        {"another node", [this] { Click(7); }},
        {"a node of another budget", [this] { Click(11); }},
        {"closing the window", [&main] { main.close(); }},
        {"a command that rebuilds the tree",
         [&main] {
             main.PMenuTreePopup();
             main.PMenuTree->findChild<QAction*>(QStringLiteral("Rename"))->trigger();
         }},
    };
    for (const auto& w : ways) {
        SCOPED_TRACE(w.way);
        log.clear();
        w.leave();
        EXPECT_EQ(log, Strings{"table Leave"});
        EXPECT_EQ(main.SelectedIndex(), 4);
        EXPECT_EQ(main.TreeViewMain->currentItem(), main.Nodes()[4]);
        EXPECT_EQ(main.State().IDObject, 12);
        EXPECT_EQ(main.State().TypeObject, otTable);
        EXPECT_EQ(main.State().BudgetPath, home);
        EXPECT_EQ(dm.TableObjects.DatabaseName(), home);
        EXPECT_TRUE(main.isVisible());
        EXPECT_TRUE(Probe(otTable).isVisible());
        EXPECT_FALSE(main.State().TreeChanging);
    }
    EXPECT_TRUE(messages.Calls().empty());

    Probe(otTable).Stays = false;
    log.clear();
    Click(7);  // Car
    EXPECT_EQ(log, (Strings{"table Leave", "table Hide", "folder ShowFor Car"}));
    EXPECT_EQ(main.SelectedIndex(), 7);
}

// The images, files, number and pay frames load a node only when their mark names another node
// or budget; a reset mark (an applier changed the content) makes them load it again.
TEST_F(FramesTest, ReloadMarksKeepWhatAFrameLoaded) {
    TfMain& main = StartWith({{otNumber, "number"}, {otFiles, "files"}, {otTable, "table"}});
    Click(5);  // Meter
    EXPECT_EQ(main.State().NumberShownID, 15);
    EXPECT_EQ(main.State().NumberShownPath, home);
    Click(8);  // Papers
    Click(5);
    Click(4);  // Rent: the table frame fills itself at every show
    Click(4 + 1);
    Click(4);
    EXPECT_EQ(
        log,
        (Strings{"number ShowFor Meter", "number Leave", "number Hide", "files ShowFor Papers",
                 "files Leave", "files Hide", "number ShowKept Meter", "number Leave",
                 "number Hide", "table ShowFor Rent", "table Leave", "table Hide",
                 "number ShowKept Meter", "number Leave", "number Hide", "table ShowFor Rent"}));

    // A rebuilt tree selects the same object again: still kept.
    log.clear();
    main.RebuildTree();
    EXPECT_EQ(log, Strings{"table Hide"});
    main.SelectObject(14, home);
    EXPECT_EQ(log.back(), "files ShowKept Papers");

    // After a reset the next show loads; the files mark is reset by nobody but works alike.
    main.ResetShownMark(TShownMark::Number);
    Click(5);
    EXPECT_EQ(log.back(), "number ShowFor Meter");
    main.ResetShownMark(TShownMark::Files);
    Click(8);
    EXPECT_EQ(log.back(), "files ShowFor Papers");
    EXPECT_EQ(main.State().FilesShownID, 14);
}

// A mark names the object and its budget: the same ID in another budget is another object.
TEST(ReloadMarks, NameTheObjectAndItsBudget) {
    TMainState state;
    for (const TShownMark mark :
         {TShownMark::Images, TShownMark::Files, TShownMark::Number, TShownMark::Pay}) {
        EXPECT_FALSE(state.IsShown(mark, 7, "/b/Home"));
        state.SetShown(mark, 7, "/b/Home");
        EXPECT_TRUE(state.IsShown(mark, 7, "/b/Home"));
        EXPECT_FALSE(state.IsShown(mark, 7, "/b/Cottage"));
        EXPECT_FALSE(state.IsShown(mark, 8, "/b/Home"));
        state.ResetShownMark(mark);
        EXPECT_FALSE(state.IsShown(mark, 7, "/b/Home"));
    }
    EXPECT_EQ(ShownMarkOf(otImages), TShownMark::Images);
    EXPECT_EQ(ShownMarkOf(otFiles), TShownMark::Files);
    EXPECT_EQ(ShownMarkOf(otNumber), TShownMark::Number);
    EXPECT_EQ(ShownMarkOf(otPay), TShownMark::Pay);
    for (const int type :
         {-1, int(otBudget), int(otFolder), int(otTable), int(otCalendar), int(otLog)})
        EXPECT_EQ(ShownMarkOf(type), std::nullopt) << type;
}

// A type whose frame does not exist shows the empty frame area with the node's name as its
// header; with nothing selected the start panel is seen, centred.
TEST_F(FramesTest, WithoutAFrameTheAreaShowsTheNodesName) {
    TfMain& main = StartWith({{otFolder, "folder"}});
    EXPECT_TRUE(main.Panel2->isVisible());
    EXPECT_FALSE(main.LabelFrameHeader->isVisible());

    Click(6);  // Power: no pay frame
    EXPECT_TRUE(main.LabelFrameHeader->isVisible());
    EXPECT_EQ(Header(), "Power");
    EXPECT_FALSE(main.Panel2->isVisible());
    EXPECT_FALSE(Probe(otFolder).isVisible());
    Click(1);  // the calendar node
    EXPECT_EQ(Header(), "Calendar of the budget");
    Click(3);
    EXPECT_FALSE(main.LabelFrameHeader->isVisible());
    EXPECT_TRUE(Probe(otFolder).isVisible());

    main.RebuildTree();
    EXPECT_EQ(main.State().TypeObject, -1);
    EXPECT_FALSE(Probe(otFolder).isVisible());
    EXPECT_FALSE(main.LabelFrameHeader->isVisible());
    EXPECT_TRUE(main.Panel2->isVisible());
    main.resize(1200, 800);
    QCoreApplication::processEvents();
    const QRect panel = main.Panel2->geometry();
    EXPECT_EQ(panel.left(), main.PanelFrames->width() / 2 - panel.width() / 2);
    EXPECT_EQ(panel.top(), main.PanelFrames->height() / 2 - panel.height() / 2);
}

// After a rename the selected node's frame shows its new name; the empty area's header too.
TEST_F(FramesTest, RefreshingTheHeaderShowsTheNodesNameAgain) {
    TfMain& main = StartWith({{otFolder, "folder"}});
    Click(3);
    Probe(otFolder).LabelHeader->setText("Folder 'Flat'");
    main.RefreshFrameHeader();
    EXPECT_EQ(ToStdString(Probe(otFolder).LabelHeader->text()), "Flat");
    EXPECT_EQ(ToStdString(Probe(otFolder).LabelDescript->text()), "The flat");
    Click(4);
    main.LabelFrameHeader->clear();
    main.RefreshFrameHeader();
    EXPECT_EQ(Header(), "Rent");
}

// While a change runs the tree refuses another selection; an error that leaves the change is
// shown, and the tree takes selections again afterwards.
TEST_F(FramesTest, TheChangeGuardHoldsDuringAChangeAndIsClearedAfterAnError) {
    TfMain& main = StartWith({{otFolder, "folder"}, {otTable, "table"}});
    Click(3);  // Flat
    int refusedSelection = -2;
    Probe(otFolder).OnLeave = [&] {
        EXPECT_TRUE(main.State().TreeChanging);
        main.TreeViewMain->setCurrentItem(main.Nodes()[7]);  // Car
        refusedSelection = main.SelectedIndex();
    };
    Click(4);  // Rent
    EXPECT_EQ(refusedSelection, 4);
    EXPECT_EQ(main.SelectedIndex(), 4);
    EXPECT_EQ(main.State().IDObject, 12);
    Probe(otFolder).OnLeave = nullptr;

    Probe(otFolder).FailShow = true;
    Click(7);  // Car: its frame fails
    EXPECT_EQ(messages.Texts(), Strings{"The frame cannot load Car"});
    EXPECT_FALSE(main.State().TreeChanging);
    Probe(otFolder).FailShow = false;
    Click(4);
    EXPECT_EQ(main.SelectedIndex(), 4);
    EXPECT_EQ(log.back(), "table ShowFor Rent");

    // Ctrl+click on the selected node keeps it selected.
    QTest::mouseClick(main.TreeViewMain->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      main.TreeViewMain->visualItemRect(main.Nodes()[4]).center());
    EXPECT_EQ(main.SelectedIndex(), 4);
}

// A rebuild whose budget list cannot be read clears its guard all the same.
TEST_F(FramesTest, TheRebuildGuardIsClearedAfterAnError) {
    TfMain& main = StartWith({});
    Click(4);
    dm.TableBudgets.Close();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((folders.UsersDataPath() + "tables.sqlite").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "DROP TABLE Budgets", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    EXPECT_ANY_THROW(main.RebuildTree());
    EXPECT_FALSE(main.State().TreeRebuilding);
    EXPECT_TRUE(main.TreeViewMain->updatesEnabled());
}

}  // namespace

// The program's own frames, as the program registers them: the folder frame shows for a budget
// root and a folder, the table frame for a table, with their texts read in the load phase.
TEST_F(FramesTest, TheProgramsFramesShowForTheirNodes) {
    Create();
    RegisterMainFrames(*window);
    window->resize(900, 600);
    window->show();
    QCoreApplication::processEvents();
    auto* folderFrame = dynamic_cast<TfrFolder*>(window->Frames().FrameFor(otFolder));
    ASSERT_NE(folderFrame, nullptr);
    EXPECT_EQ(window->Frames().FrameFor(otBudget), folderFrame);

    Click(0);  // the budget root
    EXPECT_TRUE(folderFrame->isVisible());
    EXPECT_NE(ToStdString(folderFrame->LabelHeader->text()).find("Home"), std::string::npos);
    Click(3);  // Flat
    EXPECT_TRUE(folderFrame->isVisible());
    EXPECT_NE(ToStdString(folderFrame->LabelHeader->text()).find("Flat"), std::string::npos);
    Click(4);  // Rent, a table: the table frame with its name and description
    EXPECT_FALSE(folderFrame->isVisible());
    auto* tableFrame = dynamic_cast<TfrTable*>(window->Frames().FrameFor(otTable));
    ASSERT_NE(tableFrame, nullptr);
    EXPECT_TRUE(tableFrame->isVisible());
    EXPECT_EQ(ToStdString(tableFrame->LabelHeader->text()), "Rent");
    EXPECT_EQ(ToStdString(tableFrame->LabelDescript->text()), "Monthly rent");
    EXPECT_EQ(ToStdString(tableFrame->BitBtnEdit->text()), "Edit");

    // The journal view of each budget: the same view, re-pointed at the budget opened.
    auto* logFrame = dynamic_cast<TfrLog*>(window->Frames().FrameFor(otLog));
    ASSERT_NE(logFrame, nullptr);
    Click(2);
    EXPECT_TRUE(logFrame->isVisible());
    EXPECT_EQ(ToStdString(logFrame->LabelHeader->text()), "Journal of the budget 'Home'");
    EXPECT_EQ(dm.TablejTrans.DatabaseName(), home);
    Click(13);
    EXPECT_EQ(ToStdString(logFrame->LabelHeader->text()), "Journal of the budget 'Cottage'");
    EXPECT_EQ(dm.TablejTrans.DatabaseName(), cottage);
    Click(11);  // Shed
    EXPECT_FALSE(logFrame->isVisible());
    EXPECT_TRUE(folderFrame->isVisible());
}

// At the main window's default size no grid or list of a frame scrolls sideways: every column
// shows within the frame's width.
TEST_F(FramesTest, AtTheDefaultSizeNoFramesGridScrollsSideways) {
    Create();
    RegisterMainFrames(*window);
    window->show();
    QCoreApplication::processEvents();
    ASSERT_EQ(window->size(), QSize(1007, 651));
    const struct {
        int node;
        const char* frame;
    } cases[] = {{0, "budget root"}, {1, "calendar"}, {2, "journal"}, {3, "folder"},
                 {4, "table"},       {5, "number"},   {6, "pay"},     {8, "file collection"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frame);
        Click(c.node);
        QCoreApplication::processEvents();
        int grids = 0;
        for (const QAbstractItemView* grid :
             window->PanelFrames->findChildren<QAbstractItemView*>()) {
            if (!grid->isVisible()) continue;
            ++grids;
            EXPECT_FALSE(grid->horizontalScrollBar()->isVisible())
                << grid->objectName().toStdString();
        }
        EXPECT_GE(grids, 1);
    }
}
