// The folder frame: its contents and colours for budget roots and folders of a running or
// stopped budget, walking the tree from its list, starting and stopping the budget, the focus
// it gives back, and its texts.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <map>

#include "algorithms/SmallBudget.h"
#include "common/ScopedMessageDlg.h"
#include "platform/Table.h"
#include "platform/Text.h"
#include "schema/SchemaNames.h"
#include "algorithms/Uq519algorithm01.h"
#include "shell/BudgetList.h"
#include "shell/ImageListTree.h"
#include "shell/U_frfolder.h"
#include "shell/WindowTextsFixture.h"

namespace {

// The fake services, but starting and stopping the budget switch its budget list row, state
// and root icon as the main window does, so that the frame's refill shows the new state.
class BudgetSwitchingServices : public FakeShellServices {
public:
    using FakeShellServices::FakeShellServices;
    void StartBudget() override {
        FakeShellServices::StartBudget();
        SetBudgetState(state, index, 0, 0);
    }
    void StopBudget() override {
        FakeShellServices::StopBudget();
        SetBudgetState(state, index, 3, 4);
    }
    // With algorithmError set, the recalculation meets an algorithm error.
    void RunAutoRecalc(bool fromBeginning, TDateTime date) override {
        FakeShellServices::RunAutoRecalc(fromBeginning, date);
        if (algorithmError) ErrWatch().HasErrors = true;
    }
    bool algorithmError = false;
};

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 0);

QColor TextColor(const QLabel& label) {
    return label.palette().color(QPalette::WindowText);
}

const QColor kGrey(0x6D, 0x6D, 0x6D);

std::string Text(const QLabel& label) {
    return ToStdString(label.text());
}

// The budget "Home" (expanded) of the open budget, in its budget list, with its tree in the
// index:
//   Home                           balance 100 - 125,5 + 40 = 14,5
//     Calendar, Journal (IDs 9, 10)
//     20 Savings: 21 Box (pay out, 40)
//     30 Flat (expanded): 31 Notes (table), 32 Car: 34 Loan (pay out, -125,5), 33 Rent (pay
//        out, 100)
//     40 Empty
class FolderFrame : public SmallBudget {
protected:
    FolderFrame() {
        services.state = shell.state;
        services.state.DataPath = folders.DataPath();
        services.state.CalendarCaption = "Calendar";
        services.state.LogCaption = "Journal";
        services.state.IDBudget = 1;
        AddNode(30, 0, otFolder, 80, "Flat", "The flat", "Y");
        AddNode(20, 0, otFolder, 84, "Savings", "For later");
        AddPay(21, 20, "Box", "40");
        AddNode(40, 0, otFolder, 86, "Empty", "");
        AddPay(33, 30, "Rent", "100");
        AddNode(31, 30, otTable, 16, "Notes", "Phone numbers");
        AddNode(32, 30, otFolder, 82, "Car", "");
        AddPay(34, 32, "Loan", "-125,5");
        AppendBudgetRow();

        dm.TableBudgets.Refresh();
        EXPECT_FALSE(services.index.Build(dm.TableBudgets, services.state));

        frame = &RegisterFolderFrame(frames, window, icons);
        frame->LoadTexts();
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(tree);
        layout->addWidget(frame);
        window.resize(600, 420);
        window.show();
    }

    static void AddNode(int id, int parent, int type, int image, const std::string& name,
                        const std::string& descript, const std::string& expanded = "N") {
        AddRow(tbl::Objects, {{fld::ID, id},
                              {fld::IDParent, parent},
                              {fld::Type, type},
                              {fld::Image, image},
                              {fld::Name, name},
                              {fld::Descript, descript},
                              {fld::Expanded, expanded}});
    }
    // A pay going out, whose payment yesterday left the balance.
    static void AddPay(int id, int parent, const std::string& name, const char* balance) {
        AddNode(id, parent, otPay, 24, name, "");
        AddRow(tbl::Pays, {{fld::ID, id}, {fld::Direction, "O"}});
        AddEvent(id, Today() - 1, "PY", "1", balance);
    }
    void AppendBudgetRow() const { ::AppendBudgetRow(folders.UsersDataPath(), budget, 0); }

    // The node of the object (0: the budget's root).
    const ObjectInfo& Node(int id) const { return *services.index.FindObject(id, budget); }
    int IndexOf(int id) const { return services.index.IndexOf(id, budget); }
    // Shows the node of a budget in that state.
    void Show(int id, int budgetState) {
        services.state.BudgetState = budgetState;
        frame->ShowFor(Node(id));
        QApplication::processEvents();
    }
    std::vector<std::string> Entries() const {
        std::vector<std::string> entries;
        for (int i = 0; i < frame->ListViewContent->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = frame->ListViewContent->topLevelItem(i);
            entries.push_back(ToStdString(item->text(0)) + "|" + ToStdString(item->text(1)) + "|" +
                              std::to_string(item->data(0, Qt::UserRole).toInt()));
        }
        return entries;
    }
    std::string Entry(const char* name, int id) const {
        return std::string(name) + "|" + Node(id).Descript + "|" + std::to_string(IndexOf(id));
    }
    QTreeWidgetItem* Item(const char* caption) const {
        return frame->ListViewContent->findItems(QString::fromUtf8(caption), Qt::MatchExactly)
            .value(0);
    }
    bool ShowsIcon(const QPixmap& shown, int image) const {
        return shown.toImage() == icons.Pixmap(image).toImage();
    }

    BudgetSwitchingServices services{folders.UsersDataPath()};
    QWidget window;
    QLineEdit* tree = new QLineEdit(&window);  // where the focus is outside the frame
    TImageListTree icons;
    TFrameRegistry frames;
    TfrFolder* frame = nullptr;
};

TEST_F(FolderFrame, IsTheFrameOfBudgetRootsAndFoldersInTheFramePanel) {
    EXPECT_EQ(frames.FrameFor(otBudget), frame);
    EXPECT_EQ(frames.FrameFor(otFolder), frame);
    EXPECT_EQ(frame->parentWidget(), &window);
    EXPECT_EQ(frame->MainControl(), frame->ListViewContent);
}

// The header, the panel, the state, the button and the balance with its colour: a stopped
// budget calculates nothing and shows "???" in grey; a balance with a minus is red, others
// (also "0") green.
TEST_F(FolderFrame, ShowsTheStateAndBalanceOfBudgetRootsAndFolders) {
    struct Case {
        int id;
        int budgetState;
        std::string header, balance;
        QColor colour;
    };
    const Case cases[] = {
        {0, 0, "Budget 'Home'", Decimal("14,5"), kGreen},
        {0, 3, "Budget 'Home'", "???", kGrey},
        {0, 2, "Budget 'Home'", "???", kGrey},  // registered, never started
        {30, 0, "Folder 'Flat'", Decimal("-25,5"), kRed},
        {32, 0, "Folder 'Car'", Decimal("-125,5"), kRed},
        {20, 0, "Folder 'Savings'", "40", kGreen},
        {40, 0, "Folder 'Empty'", "0", kGreen},
        {30, 3, "Folder 'Flat'", "???", kGrey},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.header + " state " + std::to_string(c.budgetState));
        Show(c.id, c.budgetState);
        const bool running = c.budgetState == 0;
        EXPECT_TRUE(frame->isVisible());
        EXPECT_EQ(Text(*frame->LabelHeader), c.header);
        EXPECT_EQ(Text(*frame->LabelDescript), Node(c.id).Descript);
        EXPECT_TRUE(ShowsIcon(frame->Image1->pixmap(), services.index.Node(IndexOf(c.id)).Image));
        if (c.id == 0) {
            EXPECT_TRUE(frame->PanelControlBudget->isVisible());
            EXPECT_FALSE(frame->PanellControlFolder->isVisible());
            EXPECT_EQ(Text(*frame->LabelBalansBudgetValue), c.balance);
            EXPECT_EQ(TextColor(*frame->LabelBalansBudgetValue), c.colour);
            EXPECT_EQ(Text(*frame->LabelBudgetStatus), running ? "running" : "stopped");
            EXPECT_EQ(TextColor(*frame->LabelBudgetStatus), running ? kGreen : kRed);
            EXPECT_EQ(ToStdString(frame->ButtonStartStopBudget->text()),
                      running ? "Stop budget" : "Start budget");
            EXPECT_EQ(frame->LabelWarning->isVisible(), !running);
        } else {
            EXPECT_FALSE(frame->PanelControlBudget->isVisible());
            EXPECT_TRUE(frame->PanellControlFolder->isVisible());
            EXPECT_EQ(Text(*frame->LabelFlderBalanceValue), c.balance);
            EXPECT_EQ(TextColor(*frame->LabelFlderBalanceValue), c.colour);
        }
    }
}

// Each balance value stands 3 pixels right of its caption, whatever the caption's length.
TEST_F(FolderFrame, BalanceValuesFollowTheirCaptions) {
    Show(0, 0);
    const QLabel* caption = frame->LabelBalanceBudget;
    EXPECT_GT(caption->width(), 0);
    EXPECT_EQ(frame->LabelBalansBudgetValue->x(), caption->x() + caption->width() + 3);
    Show(30, 0);
    caption = frame->LabellBalanceFolder;
    EXPECT_GT(caption->width(), 0);
    EXPECT_EQ(frame->LabelFlderBalanceValue->x(), caption->x() + caption->width() + 3);
}

// A long name and description show whole in the header, in as many lines as they need, and the
// frame stays within its window.
TEST_F(FolderFrame, ALongNameAndDescriptionShowWholeInTheHeader) {
    const std::string words =
        "Mieszkanie: czynsz, media, ubezpieczenie i naprawy; все расходы по квартире с 2019 года, "
        "einschließlich Nebenkosten und Rücklagen für Reparaturen ";
    AddNode(50, 0, otFolder, 80, "Wohnung in Łódź, ulica Piotrkowska 104 m. 12, " + words,
            words + words);
    dm.TableBudgets.Refresh();
    EXPECT_FALSE(services.index.Build(dm.TableBudgets, services.state));
    Show(50, 0);
    EXPECT_LE(frame->minimumSizeHint().width(), frame->width());
    for (const QLabel* label : {frame->LabelHeader, frame->LabelDescript}) {
        SCOPED_TRACE(label->objectName().toStdString());
        // The text is longer than a line; it is whole when it wraps into the label's height.
        EXPECT_GT(label->fontMetrics().horizontalAdvance(label->text()), label->width());
        EXPECT_TRUE(label->wordWrap() &&
                    label->height() >= label->heightForWidth(label->width()));
        EXPECT_LE(label->geometry().right(), frame->ButtonHelp->x());
    }
}

// The children in tree order with their icons and descriptions, each entry holding its node's
// tree index; a folder lists ".." first, leading to its parent.
TEST_F(FolderFrame, ListsTheChildrenInTreeOrder) {
    Show(0, 0);
    EXPECT_EQ(Entries(), (std::vector<std::string>{Entry("Calendar", 9), Entry("Journal", 10),
                                                   Entry("Savings", 20), Entry("Flat", 30),
                                                   Entry("Empty", 40)}));
    // The expanded Flat shows its open folder icon, as in the tree.
    EXPECT_TRUE(ShowsIcon(Item("Flat")->icon(0).pixmap(16), 81));
    EXPECT_TRUE(ShowsIcon(Item("Savings")->icon(0).pixmap(16), 84));

    Show(30, 0);
    EXPECT_EQ(Entries(),
              (std::vector<std::string>{"..||" + std::to_string(IndexOf(0)), Entry("Notes", 31),
                                        Entry("Car", 32), Entry("Rent", 33)}));
    EXPECT_TRUE(ShowsIcon(Item("..")->icon(0).pixmap(16), 14));
    EXPECT_TRUE(ShowsIcon(Item("Notes")->icon(0).pixmap(16), 16));

    Show(32, 0);
    EXPECT_EQ(Entries(),
              (std::vector<std::string>{"..||" + std::to_string(IndexOf(30)), Entry("Loan", 34)}));
    Show(40, 0);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"..||" + std::to_string(IndexOf(0))}));
}

// Double-click and Enter select the entry's node in the main tree: ".." of a top-level folder
// the budget's root, ".." deeper the parent folder, any other entry its object. Other keys, and
// Enter without a selected entry, select nothing.
TEST_F(FolderFrame, DoubleClickAndEnterSelectTheEntrysNode) {
    const std::string home = " " + budget;
    struct Case {
        int shown;
        const char* entry;  // null: none selected
        bool doubleClick;
        int key;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {30, "..", true, 0, {"SelectBudget " + budget}},
        {30, "..", false, Qt::Key_Return, {"SelectBudget " + budget}},
        {32, "..", false, Qt::Key_Enter, {"SelectObject 30" + home}},
        {30, "Car", true, 0, {"SelectObject 32" + home}},
        {0, "Journal", false, Qt::Key_Return, {"SelectObject 10" + home}},
        {30, "Rent", false, Qt::Key_Space, {}},
        {30, "Rent", false, Qt::Key_Right, {}},
        {30, nullptr, false, Qt::Key_Return, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.entry ? c.entry : "(none)") + " in " + Node(c.shown).Name);
        Show(c.shown, 0);
        services.calls.clear();
        QTreeWidget& list = *frame->ListViewContent;
        if (c.entry != nullptr) list.setCurrentItem(Item(c.entry));
        if (c.doubleClick) {
            const QPoint at = list.visualItemRect(Item(c.entry)).center();
            // What a double-click sends: press, release, then the double-click.
            QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
        } else {
            QTest::keyClick(&list, static_cast<Qt::Key>(c.key));
        }
        EXPECT_EQ(services.calls, c.calls);
    }
}

// The question (its "\n" a line break), then Start or Stop through the main window; the
// frame is filled again with the new state. Any answer but Yes changes nothing.
TEST_F(FolderFrame, StartsOrStopsTheBudgetWhenTheQuestionIsAnsweredYes) {
    struct Case {
        int budgetState;
        int answer;
        bool algorithmError;
        std::vector<std::string> calls;
        int stateAfter;
    };
    // The start rebuilds the whole calendar and recalculates from the beginning before it
    // starts the budget, unless an algorithm failed there.
    const std::string rebuild =
        "RebuildCalendar " + DateToStr(0) + " " + DateToStr(Today() + 5);
    const std::vector<std::string> recalc = {rebuild, "RunAutoRecalc begin"};
    services.runsEngine = false;
    const auto then = [](std::vector<std::string> calls, const std::string& call) {
        calls.push_back(call);
        return calls;
    };
    const Case cases[] = {
        {3, mrYes, false, then(recalc, "StartBudget"), 0},
        {2, mrYes, false, then(recalc, "StartBudget"), 0},
        {3, mrYes, true, recalc, 3},
        {3, mrNo, false, {}, 3},
        {3, mrCancel, false, {}, 3},
        {0, mrYes, false, {"StopBudget", "ResetShownMark 2", "ResetShownMark 3"}, 3},
        {0, mrNo, false, {}, 0},
        {0, mrCancel, false, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("state " + std::to_string(c.budgetState) + " answer " +
                     std::to_string(c.answer) + (c.algorithmError ? " algorithm error" : ""));
        services.algorithmError = c.algorithmError;
        ErrWatch().HasErrors = false;
        SetBudgetState(services.state, services.index, c.budgetState, c.budgetState ? 4 : 0);
        Show(0, c.budgetState);
        services.calls.clear();
        services.state.NumberShownID = 34;
        services.state.PayShownID = 33;
        const bool stopped = c.budgetState != 0;
        {
            ScopedMessageDlg messages(c.answer);
            frame->ButtonStartStopBudget->click();
            ASSERT_EQ(messages.Calls().size(), 1u);
            const TMessageDlgCall& question = messages.Calls()[0];
            EXPECT_EQ(question.Text, stopped ? "Start the budget?\nA running budget calculates "
                                               "its charges and shows its balances."
                                             : "Stop the budget?\nA stopped budget calculates "
                                               "no charges and shows no balances until it is "
                                               "started again.");
            EXPECT_EQ(question.Type, TMsgDlgType::mtConfirmation);
            EXPECT_EQ(question.Buttons, unsigned{mbYes | mbNo | mbCancel});
        }
        EXPECT_EQ(services.calls, c.calls);
        const bool stops = c.stateAfter == 3 && !stopped;
        EXPECT_EQ(services.state.NumberShownID, stops ? -1 : 34);
        EXPECT_EQ(services.state.PayShownID, stops ? -1 : 33);

        const bool running = c.stateAfter == 0;
        EXPECT_EQ(services.state.BudgetState, c.stateAfter);
        EXPECT_EQ(Text(*frame->LabelBudgetStatus), running ? "running" : "stopped");
        EXPECT_EQ(ToStdString(frame->ButtonStartStopBudget->text()),
                  running ? "Stop budget" : "Start budget");
        EXPECT_EQ(Text(*frame->LabelBalansBudgetValue), running ? Decimal("14,5") : "???");
        EXPECT_EQ(frame->LabelWarning->isVisible(), !running);
        // The root is expanded: 1 running, 5 stopped.
        EXPECT_TRUE(ShowsIcon(frame->Image1->pixmap(), running ? 1 : 5));
    }
}

// Focus memory: when the focus comes back into the frame (Ctrl+Tab focuses its list), the
// control that had it last gets it again; after a new fill the list keeps it. A click leaves
// the focus where the user clicked.
TEST_F(FolderFrame, GivesTheFocusBackToTheControlThatHadItLast) {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    struct Case {
        const char* name;
        int shown;
        QWidget* last;  // focused by Tab before the tree; null: none since the fill
        bool click;     // the focus comes back by a click on the list
        QWidget* expected;
    };
    const Case cases[] = {
        {"start/stop button", 0, frame->ButtonStartStopBudget, false, frame->ButtonStartStopBudget},
        {"help button", 30, frame->ButtonHelp, false, frame->ButtonHelp},
        {"list", 0, frame->ListViewContent, false, frame->ListViewContent},
        {"nothing since the fill", 0, nullptr, false, frame->ListViewContent},
        {"a click", 0, frame->ButtonStartStopBudget, true, frame->ListViewContent},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Show(c.shown, 0);
        if (c.last != nullptr) c.last->setFocus(Qt::TabFocusReason);
        tree->setFocus(Qt::TabFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), tree);
        if (c.click) {
            QTest::mouseClick(frame->ListViewContent->viewport(), Qt::LeftButton);
        } else {
            frame->MainControl()->setFocus(Qt::OtherFocusReason);
        }
        EXPECT_EQ(QApplication::focusWidget(), c.expected);
    }
}

// The captions, hints, column titles and words of the language module's Folder.lng; with no
// file every one of them is empty.
using FolderFrameTexts = WindowTexts;

TEST_F(FolderFrameTexts, ReadsEveryKeyOfItsLanguageFile) {
    const std::map<std::string, std::string> keys = {
        {"BeginHeaderBudget", "B:"},  {"BeginHeaderFolder", "F:"},  {"LabelStatus", "State"},
        {"LabelWarning", "Stopped!"}, {"LabelBalanceBudget", "BB"}, {"LabellBalanceFolder", "FB"},
        {"StatusActive", "on"},       {"StatusStopped", "off"},     {"StartBudget", "Go"},
        {"StopBudget", "Halt"},       {"ColObject", "Obj"},         {"ColDescript", "Desc"},
        {"HelpH", "Help me"},
    };
    for (const bool withFile : {true, false}) {
        SCOPED_TRACE(withFile ? "with Folder.lng" : "without Folder.lng");
        std::string file = "[Folder]\n";
        for (const auto& [key, text] : keys) file += key + "=" + text + "\n";
        // Keys that are no captions of this frame stay unread.
        file +=
            "LabelBudgetStatus=x\nLabelBalansBudgetValue=x\nLabelFlderBalanceValue=x\n"
            "ButtonStartStopBudget=x\nImage1=x\n";
        WriteLangFile("Folder.lng", withFile ? file : "");
        const auto expected = [&](const char* key) { return withFile ? keys.at(key) : ""; };

        TImageListTree icons;
        TfrFolder frame(icons, nullptr);
        frame.LoadTexts();
        EXPECT_EQ(frame.BeginHeaderBudget, expected("BeginHeaderBudget"));
        EXPECT_EQ(frame.BeginHeaderFolder, expected("BeginHeaderFolder"));
        EXPECT_EQ(frame.StatusActive, expected("StatusActive"));
        EXPECT_EQ(frame.StatusStopped, expected("StatusStopped"));
        EXPECT_EQ(frame.StartBudget, expected("StartBudget"));
        EXPECT_EQ(frame.StopBudget, expected("StopBudget"));
        for (const QLabel* label : {frame.LabelStatus, frame.LabelWarning, frame.LabelBalanceBudget,
                                    frame.LabellBalanceFolder})
            EXPECT_EQ(Text(*label), expected(label->objectName().toLatin1().constData()));
        for (const QLabel* label :
             {frame.LabelBudgetStatus, frame.LabelBalansBudgetValue, frame.LabelFlderBalanceValue,
              frame.Image1, frame.LabelHeader, frame.LabelDescript})
            EXPECT_EQ(Text(*label), "") << ToStdString(label->objectName());
        EXPECT_EQ(ToStdString(frame.ButtonStartStopBudget->text()), "");
        const QTreeWidgetItem* titles = frame.ListViewContent->headerItem();
        EXPECT_EQ(ToStdString(titles->text(0)), expected("ColObject"));
        EXPECT_EQ(ToStdString(titles->text(1)), expected("ColDescript"));
        EXPECT_EQ(ToStdString(frame.ButtonHelp->toolTip()), expected("HelpH"));
    }
}

// Without a Folder.lng the question box still comes, with no text.
TEST_F(FolderFrameTexts, AnEmptyQuestionIsStillAsked) {
    shell.state.BudgetState = 3;
    TImageListTree icons;
    TfrFolder frame(icons, nullptr);
    frame.LoadTexts();
    ScopedMessageDlg messages(mrNo);
    frame.ButtonStartStopBudget->click();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{""});
    EXPECT_TRUE(shell.calls.empty());
}

}  // namespace
