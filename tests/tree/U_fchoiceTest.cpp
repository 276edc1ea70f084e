// The tree chooser in its move mode, in the real main window: the targets it accepts, the
// "MOVE" it writes and applies, the tree it keeps between shows, its colours, and the popup's
// Move command.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QUrl>
#include <fstream>
#include <functional>
#include <map>

#include "PopupCommand.h"
#include "common/BudgetDump.h"
#include "common/FailingKind.h"
#include "platform/Table.h"
#include "platform/Text.h"
#include "shell/BudgetsFixture.h"
#include "shell/JournalKinds.h"
#include "shell/ShellOpen.h"
#include "store/TransKindObject.h"
#include "tree/U_fchoice.h"
#include "tree/U_frchoicefolder.h"
#include "algorithms/U_frchoicedatasource.h"
#include <QComboBox>
#include <QSpinBox>

namespace {

// The budgets of the main window's tests with a chain of folders below Flat:
//   Home: Calendar, Journal, Flat (Rent, Meter, Power, Rooms (Kitchen (Shelf, List))), Car
//   (Papers), Empty
class ChoiceTest : public BudgetsFixture {
protected:
    ChoiceTest() {
        AddObject(home, 20, 11, otFolder, 88, "Rooms", "N", "All rooms");
        AddObject(home, 21, 20, otFolder, 90, "Kitchen", "Y", "The kitchen");
        AddObject(home, 22, 21, otFolder, 92, "Shelf");
        AddObject(home, 23, 21, otTable, 16, "List");
        RegisterJournalKinds();
        Start();
        choice = window->fChoice;
    }

    // Selects the object in the main tree and shows the chooser on it, not modally; with
    // `prepared` until its preparation after the show is done.
    TfChoice& Open(int id, bool prepared = true) {
        window->SelectObject(id, home);
        choice->Mode = TfChoice::kModeMove;
        choice->show();
        if (prepared) QCoreApplication::processEvents();
        return *choice;
    }
    TfrChoiceFolder& Frame() const { return *choice->FrameFolder; }
    // The chooser's node of the ID, or null.
    QTreeWidgetItem* Node(int id) const {
        for (QTreeWidgetItemIterator it(choice->TreeViewChoice); *it != nullptr; ++it)
            if (static_cast<TChoiceNode*>(*it)->Info.ID == id) return *it;
        return nullptr;
    }
    // Clicks the chooser's node as a user does; its parents must be open.
    void Click(int id) const {
        QTreeWidget* tree = choice->TreeViewChoice;
        QCoreApplication::processEvents();  // the tree's layout, once it is shown
        QTreeWidgetItem* node = Node(id);
        ASSERT_NE(node, nullptr);
        tree->scrollToItem(node);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(node).center());
    }
    // The texts of the target group, "" when it is empty.
    std::string Target() const {
        return ToStdString(Frame().LabelFolderTo->text()) + "|" +
               ToStdString(Frame().LabelDescriptTo->text());
    }
    // Every row of the budget's Objects table by ID, as "IDParent|Type|Name|Image|Expanded".
    std::map<int, std::string> Objects() const {
        TTable rows;
        rows.SetDatabaseName(home);
        rows.SetTableName("Objects");
        rows.SetReadOnly(true);
        rows.Open();
        std::map<int, std::string> objects;
        for (; !rows.Eof(); rows.Next()) {
            std::string row;
            for (const char* field : {"IDParent", "Type", "Image"})
                row += std::to_string(rows.FieldByName(field).AsInteger()) + "|";
            row +=
                rows.FieldByName("Name").AsString() + "|" + rows.FieldByName("Expanded").AsString();
            objects[rows.FieldByName("ID").AsInteger()] = row;
        }
        return objects;
    }
    // The main tree's path of the selected node, "Home/Flat/Rent".
    std::string SelectedPath() const {
        std::string path;
        for (QTreeWidgetItem* item = window->TreeViewMain->currentItem(); item != nullptr;
             item = item->parent())
            path = ToStdString(item->text(0)) + (path.empty() ? "" : "/" + path);
        return path;
    }
    // Acts on the chooser shown modally once it has prepared itself after its show.
    void WhenPrepared(const std::function<void()>& act) {
        QTimer::singleShot(0, [this, act] {
            if (!choice->BtnExit->isEnabled()) return WhenPrepared(act);
            act();
        });
    }
    // The chooser's expanded nodes in tree order.
    std::vector<std::string> ExpandedNodes() const {
        std::vector<std::string> names;
        for (QTreeWidgetItemIterator it(choice->TreeViewChoice); *it != nullptr; ++it)
            if ((*it)->isExpanded()) names.push_back(ToStdString((*it)->text(0)));
        return names;
    }

    TfChoice* choice = nullptr;
};

}  // namespace

TEST_F(ChoiceTest, OpensOnTheObjectWithItsParentAndNoTarget) {
    const struct {
        int id;
        std::string object, from;
        std::vector<std::string> expanded;
    } cases[] = {
        {11, "Flat|The flat", "Home|", {"Home"}},
        {21, "Kitchen|The kitchen", "Rooms|All rooms", {"Home", "Flat", "Rooms"}},
        {23, "List|", "Kitchen|The kitchen", {"Home", "Flat", "Rooms", "Kitchen"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.object);
        TfChoice& open = Open(c.id, false);
        // Until the tree is ready: the wait text, no tree and no way out.
        EXPECT_TRUE(open.LabelPrepare->isVisible());
        EXPECT_FALSE(open.TreeViewChoice->isVisible());
        EXPECT_FALSE(open.BtnExit->isEnabled());
        EXPECT_FALSE(open.BitBtnOK->isEnabled());
        QCoreApplication::processEvents();

        EXPECT_EQ(open.windowTitle(), QStringLiteral("Move object"));
        EXPECT_EQ(Frame().LabelHeader->text(), QStringLiteral("Move object"));
        EXPECT_EQ(Frame().LabelObject->text(), QStringLiteral("Object"));
        EXPECT_EQ(Frame().LabelFrom->text(), QStringLiteral("From folder"));
        EXPECT_EQ(Frame().LabelTo->text(), QStringLiteral("To folder"));
        EXPECT_FALSE(Frame().MemoDescript->toPlainText().isEmpty());
        EXPECT_EQ(ToStdString(Frame().LabelObjectName->text()) + "|" +
                      ToStdString(Frame().LabelObjectDescript->text()),
                  c.object);
        EXPECT_EQ(ToStdString(Frame().LabelFolderFrom->text()) + "|" +
                      ToStdString(Frame().LabelDescriptFrom->text()),
                  c.from);
        EXPECT_FALSE(Frame().ImageObject->pixmap().isNull());
        EXPECT_FALSE(Frame().ImageFrom->pixmap().isNull());
        EXPECT_EQ(open.SelectedNode()->Info.ID, c.id);
        EXPECT_EQ(Target(), "|");
        EXPECT_TRUE(Frame().ImageTo->pixmap().isNull());
        EXPECT_FALSE(open.BitBtnOK->isEnabled());
        EXPECT_TRUE(open.BtnExit->isEnabled());
        EXPECT_TRUE(open.TreeViewChoice->isVisible());
        EXPECT_FALSE(open.LabelPrepare->isVisible());
        // Only the way to the object is open, whatever the main tree shows.
        EXPECT_EQ(ExpandedNodes(), c.expanded);
        open.BtnExit->click();
        EXPECT_FALSE(open.isVisible());
        EXPECT_TRUE(open.FrameFolder.isNull());
    }
}

// A name longer than the tree is wide stands whole: the tree scrolls sideways to it, at every
// show.
TEST_F(ChoiceTest, LongNamesStandWholeAndTheTreeScrollsSideways) {
    AddObject(home, 24, 11, otFolder, 88,
              "Wohnzimmer, Schlafzimmer und Küche der Dachgeschosswohnung in der Gartenstraße");
    window->RebuildTree();
    for (int show = 0; show < 2; ++show) {
        TfChoice& open = Open(24);
        QTreeWidget& tree = *open.TreeViewChoice;
        EXPECT_GE(tree.columnWidth(0), static_cast<QAbstractItemView&>(tree).sizeHintForColumn(0));
        EXPECT_GT(tree.horizontalScrollBar()->maximum(), 0);
        open.BtnExit->click();
    }
}

TEST_F(ChoiceTest, AcceptsAFolderOrTheRootOutsideTheObjectAndOtherThanItsParent) {
    const struct {
        const char* what;
        int moved, target;
        bool ok;
    } cases[] = {
        {"a folder into a sibling folder", 11, 13, true},
        {"a folder into an empty folder", 11, 17, true},
        {"a folder into itself", 11, 11, false},
        {"a top-level folder to the top level", 11, 0, false},
        {"a folder into its child", 11, 20, false},
        {"a folder into its grandchild", 11, 21, false},
        {"a folder into a folder three levels down", 11, 22, false},
        {"a folder into a table", 11, 12, false},
        {"a folder into a number", 11, 15, false},
        {"a folder into a file collection", 11, 14, false},
        {"a folder into the calendar", 11, 9, false},
        {"a folder into the journal", 11, 10, false},
        {"an inner folder to the top level", 21, 0, true},
        {"an inner folder into its parent", 21, 20, false},
        {"an inner folder into its grandparent", 21, 11, true},
        {"an inner folder into its child", 21, 22, false},
        {"a table to the top level", 23, 0, true},
        {"a table into its parent", 23, 21, false},
        {"a table into a folder below a sibling", 23, 22, true},
        {"a number into another folder", 15, 13, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TfChoice& open = Open(c.moved);
        ASSERT_TRUE(open.SelectChoiceNode(c.target));
        EXPECT_EQ(open.BitBtnOK->isEnabled(), c.ok);
        const std::string name = ToStdString(open.SelectedNode()->text(0));
        EXPECT_EQ(ToStdString(Frame().LabelFolderTo->text()), c.ok ? name : "");
        EXPECT_EQ(Frame().ImageTo->pixmap().isNull(), !c.ok);
        open.BtnExit->click();
    }
    EXPECT_EQ(DumpBudget(home).find("MOVE"), std::string::npos);
}

TEST_F(ChoiceTest, OKWritesTheMoveAndTheMainTreeShowsTheObjectSelectedAtItsNewPlace) {
    const struct {
        const char* what;
        int moved, target;
        TMoveParts parts;
        int type;
        std::string path;
    } cases[] = {
        {"a folder with children into a sibling",
         11,
         13,
         {13, 0, "Car", "Home"},
         otFolder,
         "Home/Car/Flat"},
        {"an inner folder to the top level",
         21,
         0,
         {0, 20, "Home", "Rooms"},
         otFolder,
         "Home/Kitchen"},
        {"a table into a folder",
         23,
         22,
         {22, 21, "Shelf", "Kitchen"},
         otTable,
         "Home/Kitchen/Shelf/List"},
    };
    int nTrans = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Open(c.moved);
        window->SaveTreeState();  // as OK does first
        std::map<int, std::string> expected = Objects();
        std::string& row = expected.at(c.moved);
        row = std::to_string(c.target) + row.substr(row.find('|'));

        Click(c.target);
        ASSERT_TRUE(choice->BitBtnOK->isEnabled());
        QTest::keyClick(choice->TreeViewChoice, Qt::Key_Return);
        QCoreApplication::processEvents();
        EXPECT_FALSE(choice->isVisible());
        EXPECT_TRUE(choice->FrameFolder.isNull());

        ++nTrans;
        TTable journal;
        journal.SetDatabaseName(home);
        journal.SetTableName("jTrans");
        journal.SetReadOnly(true);
        journal.Open();
        ASSERT_TRUE(journal.Locate("NTrans", {nTrans}));
        EXPECT_EQ(journal.FieldByName("Act").AsString(), "MOVE");
        EXPECT_EQ(journal.FieldByName("Status").AsString(), "APPLY");
        EXPECT_EQ(journal.FieldByName("IDObject").AsInteger(), c.moved);
        EXPECT_EQ(journal.FieldByName("Type").AsInteger(), c.type);
        EXPECT_EQ(journal.FieldByName("NameObject").AsString(), ObjectField(home, c.moved, "Name"));
        EXPECT_EQ(ReadParts<TMoveParts>(nTrans), c.parts);
        // One row changed: the descendants keep their rows and follow their parent.
        EXPECT_EQ(Objects(), expected);
        EXPECT_EQ(SelectedPath(), c.path);
        EXPECT_EQ(window->State().IDObject, c.moved);
        EXPECT_EQ(window->TreeViewMain->focusWidget(), window->TreeViewMain);
    }
    // The folder took its children along.
    window->SelectObject(21, home);
    EXPECT_EQ(SelectedPath(), "Home/Kitchen");
    ASSERT_NE(window->TreeViewMain->currentItem()->child(0), nullptr);
    EXPECT_EQ(window->TreeViewMain->currentItem()->child(0)->text(0), QStringLiteral("Shelf"));
    window->SelectObject(12, home);
    EXPECT_EQ(SelectedPath(), "Home/Car/Flat/Rent");
    EXPECT_TRUE(messages.Calls().empty());
}

// As after a fatal report: the preparation is not made ready, and nothing is applied.
TEST_F(ChoiceTest, AMoveAfterAFatalReportIsNeitherMadeReadyNorApplied) {
    Open(11);
    window->SaveTreeState();  // as OK does first
    const std::string before = DumpBudget(home);
    Click(13);
    window->State().FatalClose = true;
    choice->BitBtnOK->click();
    QCoreApplication::processEvents();
    window->State().FatalClose = false;

    EXPECT_EQ(DumpBudget(home), before);
    EXPECT_TRUE(messages.Calls().empty());
    EXPECT_FALSE(choice->isVisible());
    EXPECT_TRUE(choice->FrameFolder.isNull());
}

// Mend: a move that could not be written closed the chooser, its OK and Exit left disabled
// for the next show. The chooser stays open on the chosen folder; OK once the cause is gone
// moves the object once, and the chooser serves the next move.
TEST_F(ChoiceTest, AMoveThatCannotBeWrittenKeepsTheChooserOpenOnTheChosenFolder) {
    Open(11);
    window->SaveTreeState();  // as OK does first
    const std::string before = DumpBudget(home, TDumpScope::WithoutJournal);
    Click(13);
    {
        FailingKind failing({"MOVE"}, DiskFull);
        choice->BitBtnOK->click();
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(choice->isVisible());
    EXPECT_TRUE(choice->BitBtnOK->isEnabled());
    EXPECT_TRUE(choice->BtnExit->isEnabled());
    ASSERT_NE(choice->TreeViewChoice->currentItem(), nullptr);
    EXPECT_EQ(choice->TreeViewChoice->currentItem(), Node(13));
    ASSERT_EQ(messages.Calls().size(), 1u);
    EXPECT_EQ(messages.Calls()[0].Type, TMsgDlgType::mtError);
    EXPECT_NE(messages.Texts()[0].find("database or disk is full"), std::string::npos);
    EXPECT_EQ(DumpBudget(home, TDumpScope::WithoutJournal), before);

    choice->BitBtnOK->click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(choice->isVisible());
    EXPECT_EQ(SelectedPath(), "Home/Car/Flat");
    EXPECT_EQ(ObjectField(home, 11, "IDParent"), "13");

    Open(12);
    Click(13);
    ASSERT_TRUE(choice->BitBtnOK->isEnabled());
    choice->BitBtnOK->click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(choice->isVisible());
    EXPECT_EQ(ObjectField(home, 12, "IDParent"), "13");
    EXPECT_EQ(messages.Calls().size(), 1u);
}

TEST_F(ChoiceTest, ExitAndEscWriteNothing) {
    for (const bool esc : {false, true}) {
        SCOPED_TRACE(esc ? "Esc" : "Exit");
        TfChoice& open = Open(11);
        const std::string before = DumpBudget(home);
        Click(13);
        ASSERT_TRUE(open.BitBtnOK->isEnabled());
        if (esc)
            QTest::keyClick(open.TreeViewChoice, Qt::Key_Escape);
        else
            open.BtnExit->click();
        QCoreApplication::processEvents();
        EXPECT_FALSE(open.isVisible());
        EXPECT_EQ(DumpBudget(home), before);
        EXPECT_EQ(SelectedPath(), "Home/Flat");
    }
}

TEST_F(ChoiceTest, TheTreeIsKeptBetweenShowsAndBuiltAgainAfterTheMainTreeOrTheBudgetChanged) {
    Open(11);
    const QTreeWidgetItem* first = choice->TreeViewChoice->topLevelItem(0);
    choice->BtnExit->click();
    EXPECT_FALSE(choice->Rebuild);

    // Kept: only collapsed and reselected.
    Open(22);
    EXPECT_EQ(choice->TreeViewChoice->topLevelItem(0), first);
    EXPECT_EQ(ExpandedNodes(), (std::vector<std::string>{"Home", "Flat", "Rooms", "Kitchen"}));
    choice->BtnExit->click();

    // Another budget selected, then this one again.
    window->SelectObject(2, cottage);
    EXPECT_TRUE(choice->Rebuild);
    Open(11);
    EXPECT_FALSE(choice->Rebuild);
    choice->BtnExit->click();

    // A change of the tree (here: a new object and a rebuild of the main tree) shows in the
    // next show.
    AddObject(home, 30, 13, otFolder, 94, "Garage");
    window->RebuildTree();
    EXPECT_TRUE(choice->Rebuild);
    Open(11);
    EXPECT_NE(Node(30), nullptr);
    EXPECT_TRUE(choice->SelectChoiceNode(30));
    EXPECT_TRUE(choice->BitBtnOK->isEnabled());
    EXPECT_EQ(Target(), "Garage|");
    choice->BtnExit->click();
}

TEST_F(ChoiceTest, FoldersAndTheRootAreDrawnAsUsualOtherNodesGreyAndTheMovedObjectGreen) {
    Open(21);
    const QPalette palette = choice->TreeViewChoice->palette();
    const QColor normal = palette.color(QPalette::Text);
    const QColor grey = palette.color(QPalette::Disabled, QPalette::WindowText);
    ASSERT_NE(normal, grey);
    const struct {
        int id;
        bool selected;
        QColor colour;
        bool drawnSelected;
    } cases[] = {
        {0, false, normal, false},
        {13, false, normal, false},
        {13, true, normal, true},
        {12, false, grey, false},
        {12, true, grey, false},
        {15, false, grey, false},
        {16, false, grey, false},
        {9, false, grey, false},
        {21, false, QColor(0, 128, 0), false},
        {21, true, normal, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        QStyleOptionViewItem option;
        option.palette = palette;
        option.state.setFlag(QStyle::State_Selected, c.selected);
        choice->TreeViewChoiceCustomDrawItem(*static_cast<TChoiceNode*>(Node(c.id)), option);
        EXPECT_EQ(option.palette.color(QPalette::Text), c.colour);
        EXPECT_EQ(option.state.testFlag(QStyle::State_Selected), c.drawnSelected);
    }
    choice->BtnExit->click();
}

TEST_F(ChoiceTest, ThePopupOffersMoveForObjectsAndOpensTheChooserWithItsHelp) {
    // Home, its calendar, its journal, Flat, Rent.
    QAction* item =
        PopupCommand(*window, "Move", {{0, false}, {1, false}, {2, false}, {3, true}, {4, true}});
    ASSERT_NE(item, nullptr);

    RecordedHelp help(*window);
    window->TreeViewMain->setCurrentItem(window->Nodes().at(4));
    QString shown;
    bool modal = false;
    // The keys come once the chooser has prepared itself, right after it is shown.
    std::function<void()> keys = [&] {
        if (!choice->BtnExit->isEnabled()) return QTimer::singleShot(0, keys);
        modal = QApplication::activeModalWidget() == choice;
        shown = Frame().LabelObjectName->text();
        QTest::keyClick(choice->TreeViewChoice, Qt::Key_F1);
        QTest::keyClick(choice->TreeViewChoice, Qt::Key_Escape);
    };
    QTimer::singleShot(0, keys);
    item->trigger();
    EXPECT_TRUE(modal);
    EXPECT_EQ(shown, QStringLiteral("Rent"));
    EXPECT_EQ(help.Topics(), std::vector<QString>{QStringLiteral("2030")});
    EXPECT_EQ(ObjectField(home, 12, "IDParent"), "11");
}

// --- The data-source mode --------------------------------------------------------------------

namespace {

class SourceChoiceTest : public ChoiceTest {
protected:
    // Shows the chooser for the datum with the main tree on `selected`, the number `excluded`
    // being edited.
    TfChoice& OpenSource(ExtData& datum, int selected = 15, int excluded = 15) {
        window->SelectObject(selected, home);
        choice->Mode = TfChoice::kModeDataSource;
        choice->IDExcluded = excluded;
        choice->Source = &datum;
        choice->show();
        QCoreApplication::processEvents();
        return *choice;
    }
    TfrChoiceDataSource& Source() const { return *choice->FrameDataSource; }
    int Selected() const {
        const TChoiceNode* node = choice->SelectedNode();
        return node != nullptr ? node->Info.ID : -1;
    }
    static ExtData NewDatum() {
        ExtData d;
        d.Name = "I001";
        d.N = 1;
        d.Param1 = "keep1";
        d.Param2 = "keep2";
        d.Param3 = "keep3";
        d.ParentObject = 4;
        return d;
    }
};

bool Shown(const QWidget* w) {
    return !w->isHidden();
}

}  // namespace

TEST_F(SourceChoiceTest, NodesDecideWhatTheFrameShowsAndWhetherOkIsEnabled) {
    ExtData d = NewDatum();
    OpenSource(d, 12, 15);
    const struct {
        int id;
        bool ok, object, warning, panel, subSource, subDate;
    } cases[] = {
        {15, false, false, true, false, false, false},  // the edited number
        {16, true, true, false, true, true, false},      // a pay
        {9, true, true, false, true, false, true},       // the calendar
        {12, false, false, false, false, false, false},  // a table
        {11, false, false, false, false, false, false},  // a folder
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        Click(c.id);
        EXPECT_EQ(choice->BitBtnOK->isEnabled(), c.ok);
        EXPECT_EQ(Shown(Source().LabelObject), c.object);
        EXPECT_EQ(Shown(Source().MemoWarning), c.warning);
        EXPECT_EQ(Shown(Source().PanelSubSource), c.panel);
        EXPECT_EQ(Shown(Source().ComboBoxSubSource), c.subSource);
        EXPECT_EQ(Shown(Source().ComboBoxSubDate), c.subDate);
    }
    Click(15);
    EXPECT_TRUE(Source().Timer1->isActive());  // the warning blinks
    EXPECT_FALSE(Source().MemoWarning->toPlainText().isEmpty());
    choice->BtnExit->click();
    // Another number than the edited one may be chosen.
    OpenSource(d, 12, 99);
    Click(15);
    EXPECT_TRUE(choice->BitBtnOK->isEnabled());
    EXPECT_EQ(ToStdString(Source().LabelObjectName->text()), "Meter");
    choice->BtnExit->click();
}

TEST_F(SourceChoiceTest, OkWritesTheChoiceExactlyAndExitNothing) {
    {
        ExtData d = NewDatum();
        OpenSource(d, 12, 99);
        Click(15);
        choice->BitBtnOK->click();
        EXPECT_EQ(d.IDObject, 15);
        EXPECT_EQ(d.TypeObject, otNumber);
        EXPECT_EQ(d.SubSource, 0);
        EXPECT_EQ(d.Param1, "keep1");  // a number keeps the parameters
        EXPECT_EQ(d.Param2, "keep2");
        EXPECT_EQ(choice->LastChoice, 15);
    }
    {
        ExtData d = NewDatum();
        OpenSource(d);
        Click(16);
        Source().ComboBoxSubSource->setCurrentIndex(13);
        Source().ComboBoxSubSourceCloseUp();
        Source().UpDownDay->setValue(15);
        Source().UpDownMonthDecr->setValue(2);
        choice->BitBtnOK->click();
        EXPECT_EQ(d.IDObject, 16);
        EXPECT_EQ(d.TypeObject, otPay);
        EXPECT_EQ(d.SubSource, 14);
        EXPECT_EQ(d.Param1, "15");
        EXPECT_EQ(d.Param2, "2");
        EXPECT_EQ(d.Param3, "keep3");
        EXPECT_EQ(d.ParentObject, 4);
    }
    ExtData d = NewDatum();
    const ExtData before = d;
    OpenSource(d);
    Click(9);
    choice->BtnExit->click();
    EXPECT_EQ(d.IDObject, before.IDObject);
    EXPECT_EQ(d.SubSource, before.SubSource);
    EXPECT_EQ(d.Param1, before.Param1);
}

TEST_F(SourceChoiceTest, ASourceIsRestoredWhenTheChooserOpens) {
    const struct {
        int object, type, subSource;
        const char *param1, *param2;
        int selected, index, day, decrement;
    } cases[] = {
        {16, otPay, 3, "15", "2", 16, 2, 15, 2},
        {16, otPay, 3, "abc", "", 16, 2, 1, 0},   // no digits: the frame's defaults
        {16, otPay, 99, "5", "1", 16, -1, 5, 1},  // no such sub-source: none selected
        {9, otCalendar, 7, "31", "999", 9, 6, 31, 999},
        {777, otNumber, 0, "", "", -1, 0, 1, 0},  // a source deleted since: nothing selected
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.object) + " " + c.param1);
        ExtData d = NewDatum();
        d.IDObject = c.object;
        d.TypeObject = c.type;
        d.SubSource = c.subSource;
        d.Param1 = c.param1;
        d.Param2 = c.param2;
        OpenSource(d);
        EXPECT_EQ(Selected(), c.selected);
        const QComboBox* combo =
            c.type == otCalendar ? Source().ComboBoxSubDate : Source().ComboBoxSubSource;
        EXPECT_EQ(combo->currentIndex(), c.index);
        EXPECT_EQ(Source().UpDownDay->value(), c.day);
        EXPECT_EQ(Source().UpDownMonthDecr->value(), c.decrement);
        EXPECT_EQ(choice->BitBtnOK->isEnabled(), c.selected != -1);
        choice->BtnExit->click();
    }
}

TEST_F(SourceChoiceTest, ANewDatumStartsAtTheLastChoiceOrTheEditedObject) {
    ExtData d = NewDatum();
    choice->LastChoice = -1;
    OpenSource(d, 16, 15);
    EXPECT_EQ(Selected(), 16);  // the main tree's selected object
    Click(9);
    choice->BitBtnOK->click();
    ExtData next = NewDatum();
    OpenSource(next, 16, 15);
    EXPECT_EQ(Selected(), 9);
    choice->BtnExit->click();
}

// The parameter groups that the pay's sub-sources and the date functions need.
TEST_F(SourceChoiceTest, ParameterGroupsFollowTheSubSource) {
    ExtData d = NewDatum();
    OpenSource(d);
    Click(16);
    for (int sub = 1; sub <= 26; ++sub) {
        SCOPED_TRACE(sub);
        const bool day = (sub <= 12 && sub % 2 == 0) || sub == 14;
        const bool decrement = day || sub >= 15;
        Source().ComboBoxSubSource->setCurrentIndex(sub - 1);
        Source().ComboBoxSubSourceCloseUp();
        EXPECT_EQ(Shown(Source().UpDownDay), day);
        EXPECT_EQ(Shown(Source().UpDownMonthDecr), decrement);
        EXPECT_TRUE(Source().ComboBoxVar->isHidden());
    }
    // The description follows the day at once.
    Source().ComboBoxSubSource->setCurrentIndex(1);
    Source().ComboBoxSubSourceCloseUp();
    Source().UpDownDay->setValue(17);
    EXPECT_TRUE(Source().LabelSubDescr->text().contains(QStringLiteral("17")));
    Click(9);
    for (int function = 1; function <= 7; ++function) {
        SCOPED_TRACE(function);
        Source().ComboBoxSubDate->setCurrentIndex(function - 1);
        Source().ComboBoxSubDateCloseUp();
        EXPECT_EQ(Shown(Source().UpDownDay), function == 7);
        EXPECT_EQ(Shown(Source().UpDownMonthDecr), function == 3 || function == 4 || function == 7);
    }
    choice->BtnExit->click();
}

// The chooser is made once with the main window: shown twice for the algorithm editor's data
// sources, as the editor shows it, it still serves the popup's Move afterwards.
TEST_F(SourceChoiceTest, AChooserShownTwiceForDataSourcesStillMovesObjects) {
    for (const int source : {16, 9}) {
        ExtData d = NewDatum();
        window->SelectObject(15, home);
        choice->Mode = TfChoice::kModeDataSource;
        choice->IDExcluded = 15;
        choice->Source = &d;
        WhenPrepared([this, source] {
            Click(source);
            choice->BitBtnOK->click();
        });
        choice->ExecModal();
        choice->Source = nullptr;
        EXPECT_EQ(d.IDObject, source);
    }
    QAction* move = PopupCommand(*window, "Move", {});
    ASSERT_NE(move, nullptr);
    window->SelectObject(23, home);
    window->PMenuTreePopup();
    WhenPrepared([this] {
        Click(22);
        QTest::keyClick(choice->TreeViewChoice, Qt::Key_Return);
    });
    move->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(choice->isVisible());
    EXPECT_EQ(ObjectField(home, 23, "IDParent"), "22");
    EXPECT_EQ(SelectedPath(), "Home/Flat/Rooms/Kitchen/Shelf/List");
    EXPECT_TRUE(messages.Calls().empty());
}
