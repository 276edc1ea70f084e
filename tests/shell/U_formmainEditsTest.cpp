// The table and number frames in the real main window: a user edits the table "Rent" or the
// number "Meter", leaves the node, answers Yes to saving, and the save fails; what the frame,
// the tree's selection and the budget keep.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "MainFramesFixture.h"
#include "common/BudgetDump.h"
#include "common/FailingKind.h"
#include "content/U_frtable.h"
#include "numbers/U_fnumberchange.h"
#include "numbers/U_frnumber.h"
#include "platform/Database.h"
#include "platform/Dates.h"
#include "platform/Text.h"
#include "schema/SchemaNames.h"
#include "shell/DateField.h"
#include "shell/JournalKinds.h"

namespace {

using Strings = std::vector<std::string>;

// Rent (table 12) holds "gas" 10 and "water" 5; Meter (number 15) holds 1 from three days ago
// and 5 from two days ago. The parameter chooses the frame: 0 the table, 1 the number.
class EditsInMainWindow : public MainFramesFixture, public ::testing::WithParamInterface<int> {
protected:
    EditsInMainWindow() {
        RegisterJournalKinds();
        for (const auto& [row, name, value] : {std::tuple{1, "gas", "10"}, {2, "water", "5"}})
            AppendRow(home, "Tables.db",
                      {{"ID", 12},
                       {"NRow", row},
                       {"NameRow", std::string(name)},
                       {"ValueRow", std::string(value)}});
        for (const auto& [days, value] : {std::pair{3, "1"}, {2, "5"}})
            AppendRow(home, "Numbers.db",
                      {{"ID", 15},
                       {"DateBegin", Today() - days},
                       {"ItemType", std::string("C")},
                       {"ConstValue", std::string(value)},
                       {"Descript", std::string()}});
    }

    // One of the two frames: how the user edits its object, and what it holds.
    struct TEdited {
        const char* Node;
        int Type;
        std::string Question;  // asked when the node is left with changes
        bool ApplyAsks;        // Apply asks the question too
        std::function<void(EditsInMainWindow&)> Edit;
        std::function<Strings(EditsInMainWindow&)> Shown;  // as the frame shows it
        const char* Table;
        std::function<std::string(TTable&)> Row;  // a stored row of the object, as text
        Strings Before, After;                    // its rows: stored, and as edited
    };

    // Edit mode; "gas" becomes 12 and the row "power" is typed below "water".
    void EditTable() {
        auto& frame = FrameOf<TfrTable>(otTable);
        frame.BitBtnEdit->click();
        frame.FinishAnimation();
        for (const auto& [column, row, text] : {std::tuple{2, 1, "12"}, {1, 3, "power"}}) {
            frame.SelectCell(column, row);
            frame.StringGridTableSetEditText(column, row, QString::fromLatin1(text));
        }
    }
    Strings TableShown() {
        auto& frame = FrameOf<TfrTable>(otTable);
        Strings rows;
        for (int row = 1; row <= frame.UsedRowCount(); ++row)
            rows.push_back(ToStdString(frame.Cell(1, row) + "=" + frame.Cell(2, row)));
        return rows;
    }
    // Edit mode; the value 1 is deleted and 7 from yesterday added.
    void EditNumber() {
        auto& frame = FrameOf<TfrNumber>(otNumber);
        frame.BitBtnEdit->click();
        {
            ScopedMessageDlg yes(mrYes);
            frame.SetRow(1);
            frame.BitBtnDelRow->click();
        }
        WhenOpen<TfNumberChange>([](TfNumberChange& dialog) {
            dialog.DateTimePicker1->setDate(ToQDate(Today() - 1));
            dialog.EditConstValue->setText(QStringLiteral("7"));
            dialog.BitBtnOK->click();
        });
        frame.BitBtnAdd->click();
    }
    Strings NumberShown() {
        auto& frame = FrameOf<TfrNumber>(otNumber);
        Strings values;
        for (int row = 0; row < frame.Grid->rowCount(); ++row)
            values.push_back(ToStdString(frame.Grid->index(row, 2).data().toString()));
        return values;
    }

    const std::vector<TEdited> kFrames{
        {"Rent",
         otTable,
         "The table Rent has been changed.\nSave the changes?",
         false,
         &EditsInMainWindow::EditTable,
         &EditsInMainWindow::TableShown,
         "Tables.db",
         [](TTable& row) {
             return row.FieldByName(fld::NameRow).AsString() + "=" +
                    row.FieldByName(fld::ValueRow).AsString();
         },
         {"gas=10", "water=5"},
         {"gas=12", "water=5", "power="}},
        {"Meter",
         otNumber,
         "Save the changes you have made? ",
         true,
         &EditsInMainWindow::EditNumber,
         &EditsInMainWindow::NumberShown,
         "Numbers.db",
         [](TTable& row) { return row.FieldByName(fld::ConstValue).AsString(); },
         {"1", "5"},
         {"5", "7"}},
    };

    // The rows of the frame's object in Home, in the order they were stored.
    Strings Stored(const TEdited& edited) const {
        Strings rows;
        TTable table;
        table.SetDatabaseName(home);
        table.SetTableName(edited.Table);
        table.Open();
        for (; !table.Eof(); table.Next())
            if (table.FieldByName(fld::ID).AsInteger() == IDOf(edited))
                rows.push_back(edited.Row(table));
        return rows;
    }
    int IDOf(const TEdited& edited) const {
        return window->Nodes()[NodeNamed(edited.Node)]->Info().ID;
    }
    TFrameBase& Frame(const TEdited& edited) const {
        return *window->Frames().FrameFor(edited.Type);
    }
    QAbstractButton* Button(const TEdited& edited, const char* name) const {
        return Frame(edited).findChild<QAbstractButton*>(QString::fromLatin1(name));
    }
};

// Mend: when the save that the user asked for on leaving failed, the table and the number
// dropped the edits and the selection moved on. Now the frame stays in edit mode with what the
// user typed, on its node; its own Apply keeps the edits as well; once the cause is gone,
// leaving saves them.
TEST_P(EditsInMainWindow, ASaveThatFailsKeepsTheUserOnTheFrameWithTheEdits) {
    const TEdited& edited = kFrames[GetParam()];
    StartWithProgramFrames();
    ClickNamed(edited.Node);
    ASSERT_EQ(edited.Shown(*this), edited.Before);
    edited.Edit(*this);
    ASSERT_EQ(edited.Shown(*this), edited.After);
    const std::string before = DumpBudget(home, TDumpScope::WithoutJournal);
    FailingKind failing({"CHANG", edited.Type}, []() -> int {
        throw EDatabaseError("tables.sqlite", "database or disk is full");
    });
    const struct {
        const char* way;
        std::function<void()> save;
        bool asks;
    } ways[] = {
        {"another node", [this] { ClickNamed("Car"); }, true},
        {"closing the program", [this] { window->close(); }, true},
        {"the frame's Apply", [&] { Button(edited, "BitBtnApply")->click(); }, edited.ApplyAsks},
    };
    for (const auto& w : ways) {
        SCOPED_TRACE(w.way);
        ScopedMessageDlg yes(mrYes);
        w.save();
        ASSERT_EQ(yes.Texts().size(), w.asks ? 2u : 1u);
        if (w.asks) {
            EXPECT_EQ(yes.Texts().front(), edited.Question);
        }
        EXPECT_EQ(yes.Calls().back().Type, TMsgDlgType::mtError);
        EXPECT_NE(yes.Texts().back().find("database or disk is full"), std::string::npos);
        EXPECT_TRUE(window->isVisible());
        EXPECT_TRUE(Frame(edited).isVisible());
        EXPECT_TRUE(Button(edited, "BitBtnApply")->isEnabled());
        EXPECT_TRUE(Button(edited, "BitBtnCansel")->isEnabled());
        EXPECT_FALSE(Button(edited, "BitBtnEdit")->isEnabled());
        EXPECT_EQ(edited.Shown(*this), edited.After);
        EXPECT_EQ(window->SelectedIndex(), NodeNamed(edited.Node));
        EXPECT_EQ(window->State().TypeObject, edited.Type);
        EXPECT_EQ(DumpBudget(home, TDumpScope::WithoutJournal), before);
    }

    failing.Remove();
    ScopedMessageDlg yes(mrYes);
    ClickNamed("Car");
    EXPECT_EQ(yes.Texts(), Strings{edited.Question});
    EXPECT_EQ(window->SelectedIndex(), NodeNamed("Car"));
    EXPECT_FALSE(Frame(edited).isVisible());
    EXPECT_TRUE(Button(edited, "BitBtnEdit")->isEnabled());
    EXPECT_EQ(Stored(edited), edited.After);
}

// No drops the edits and the selection moves on. A save that the journal reported as fatal
// closes the program without a further question; the frame keeps the edits and the budget is
// unchanged.
TEST_P(EditsInMainWindow, NoDropsTheEditsAndAFatalSaveKeepsThem) {
    const TEdited& edited = kFrames[GetParam()];
    FailingKind failing({"CHANG", edited.Type}, [] { return -4; });
    for (const int answer : {mrNo, mrYes}) {  // a fatal close ends the event loops: Yes last
        SCOPED_TRACE(answer);
        StartWithProgramFrames();
        ClickNamed(edited.Node);
        edited.Edit(*this);
        const std::string before = DumpBudget(home, TDumpScope::WithoutJournal);
        ScopedMessageDlg reply(answer);
        ClickNamed("Car");
        ASSERT_FALSE(reply.Texts().empty());
        EXPECT_EQ(reply.Texts()[0], edited.Question);
        EXPECT_EQ(Stored(edited), edited.Before);
        EXPECT_EQ(DumpBudget(home, TDumpScope::WithoutJournal), before);
        if (answer == mrNo) {
            EXPECT_EQ(reply.Texts().size(), 1u);
            EXPECT_EQ(window->SelectedIndex(), NodeNamed("Car"));
            EXPECT_TRUE(Button(edited, "BitBtnEdit")->isEnabled());
        } else {
            EXPECT_EQ(reply.Texts().size(), 2u);  // the fatal report
            EXPECT_TRUE(window->State().FatalClose);
            EXPECT_FALSE(window->isVisible());
            EXPECT_FALSE(Button(edited, "BitBtnEdit")->isEnabled());
            EXPECT_EQ(edited.Shown(*this), edited.After);
        }
        window.reset();
        fMain = nullptr;
    }
}

// Mend: Cancel in the number's question on leaving acted as No, dropping the edits while the
// selection moved on. Cancel (as Esc and the closed box answer) keeps the user on the number in
// edit mode with the edits, and the action that asked does not happen; No still drops them.
using NumberLeft = EditsInMainWindow;
TEST_F(NumberLeft, CancelInTheSaveQuestionKeepsTheEditsAndTheNode) {
    const TEdited& edited = kFrames[1];
    StartWithProgramFrames();
    ClickNamed(edited.Node);
    edited.Edit(*this);
    const std::string before = DumpBudget(home, TDumpScope::WithoutJournal);
    const struct {
        const char* way;
        std::function<void()> leave;
    } ways[] = {
        {"another node", [this] { ClickNamed("Car"); }},
        {"closing the program", [this] { window->close(); }},
    };
    for (const auto& w : ways) {
        SCOPED_TRACE(w.way);
        ScopedMessageDlg cancel(mrCancel);
        w.leave();
        EXPECT_EQ(cancel.Texts(), Strings{edited.Question});
        EXPECT_TRUE(window->isVisible());
        EXPECT_TRUE(Frame(edited).isVisible());
        EXPECT_EQ(window->SelectedIndex(), NodeNamed(edited.Node));
        EXPECT_TRUE(Button(edited, "BitBtnApply")->isEnabled());
        EXPECT_TRUE(Button(edited, "BitBtnCansel")->isEnabled());
        EXPECT_FALSE(Button(edited, "BitBtnEdit")->isEnabled());
        EXPECT_EQ(edited.Shown(*this), edited.After);
        EXPECT_EQ(DumpBudget(home, TDumpScope::WithoutJournal), before);
    }
    // Asked again, No drops the edits and the selection moves on.
    ScopedMessageDlg no(mrNo);
    ClickNamed("Car");
    EXPECT_EQ(no.Texts(), Strings{edited.Question});
    EXPECT_EQ(window->SelectedIndex(), NodeNamed("Car"));
    EXPECT_TRUE(Button(edited, "BitBtnEdit")->isEnabled());
    EXPECT_EQ(Stored(edited), edited.Before);
}

INSTANTIATE_TEST_SUITE_P(Frames, EditsInMainWindow, ::testing::Values(0, 1),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param == 0 ? "Table" : "Number");
                         });

}  // namespace
