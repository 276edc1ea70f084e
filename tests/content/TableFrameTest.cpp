// The table frame through its widgets: the grid's row counts, the row actions with their undo
// and redo, the leave question, and Apply's journal transaction applied, undone and redone.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <fstream>
#include <functional>

#include "ContentFixture.h"
#include "common/BudgetDump.h"
#include "common/JournalSteps.h"
#include "common/RecordedUrls.h"
#include "common/RowButtons.h"
#include "common/ScopedMessageDlg.h"
#include "content/U_frtable.h"
#include "platform/Text.h"
#include "shell/ShellOpen.h"
#include "store/TransKindContent.h"
#include "store/Utransactions.h"

namespace {

class TableFrame : public ContentBudget {
protected:
    TableFrame() {
        frame = &RegisterTableFrame(frames, window);
        frame->LoadTexts();
        window.resize(600, 700);
        frame->setGeometry(0, 0, 600, 700);
        window.show();
    }
    // Rows "n1" = "v1" ... "n<count>" = "v<count>" in Tables.db.
    static void AddRows(int count, int id = kTable) {
        for (int k = 1; k <= count; ++k)
            AddRow(tbl::Tables, {{fld::ID, id},
                                 {fld::NRow, k},
                                 {fld::NameRow, "n" + std::to_string(k)},
                                 {fld::ValueRow, "v" + std::to_string(k)}});
    }
    // "n1..n<count>" as the grid shows them ("name=value").
    static std::vector<std::string> Numbered(int from, int to) {
        std::vector<std::string> rows;
        for (int k = from; k <= to; ++k)
            rows.push_back("n" + std::to_string(k) + "=v" + std::to_string(k));
        return rows;
    }
    void Show() { frame->ShowFor(Node(kTable)); }
    void Edit() {
        frame->BitBtnEdit->click();
        frame->FinishAnimation();
    }
    // Rows 1 to the last used one, "name=value".
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (int row = 1; row <= frame->UsedRowCount(); ++row)
            rows.push_back(ToStdString(frame->Cell(1, row)) + "=" +
                           ToStdString(frame->Cell(2, row)));
        return rows;
    }
    // What the grid shows: its used rows and its row count.
    struct TGrid {
        std::vector<std::string> Rows;
        int RowCount;
        bool operator==(const TGrid&) const = default;
        friend void PrintTo(const TGrid& grid, std::ostream* out) {
            *out << grid.RowCount << " rows:";
            for (const std::string& row : grid.Rows) *out << " " << row;
        }
    };
    TGrid Grid() const { return {Rows(), frame->RowCount()}; }
    std::vector<std::string> Numbers() const {
        std::vector<std::string> numbers;
        for (int row = 1; row < frame->RowCount(); ++row)
            numbers.push_back(ToStdString(frame->Cell(0, row)));
        return numbers;
    }

    TFrameRegistry frames;
    QWidget window;
    TfrTable* frame;
};


TEST_F(TableFrame, TheGridHasTheMinimumRowsAndOneSpareRowAboveIt) {
    struct Case {
        int Rows, RowCount;
    };
    for (const Case c : {Case{0, 30}, Case{29, 30}, Case{30, 31}, Case{40, 41}}) {
        SCOPED_TRACE(c.Rows);
        ClearRows(dm.TableTables, Where(fld::ID) == kTable);
        AddRows(c.Rows);
        Show();
        EXPECT_EQ(frame->RowCount(), c.RowCount);
        EXPECT_EQ(Rows(), Numbered(1, c.Rows));
        EXPECT_EQ(frame->LastUsedRow(), std::max(c.Rows, 1));
        EXPECT_EQ(Numbers().front(), "1");
        EXPECT_EQ(Numbers().back(), std::to_string(c.RowCount - 1));
        EXPECT_EQ(frame->StringGridTable->currentRow(), 0);
        EXPECT_EQ(frame->StringGridTable->currentColumn(), 1);
    }
}

TEST_F(TableFrame, LoadingAnObjectThatIsNoTableChangesNothing) {
    AddRows(3);
    Show();
    EXPECT_EQ(frame->LoadTable(kAlbum), -1);
    EXPECT_EQ(frame->LoadTable(999), -1);
    EXPECT_EQ(Rows(), Numbered(1, 3));
}

TEST_F(TableFrame, EmptyRowsBetweenUsedRowsAreKeptAndTrailingOnesAreNot) {
    AddRow(tbl::Tables, {{fld::ID, kTable}, {fld::NRow, 1}, {fld::NameRow, "a"}, {fld::ValueRow, "1"}});
    AddRow(tbl::Tables, {{fld::ID, kTable}, {fld::NRow, 2}, {fld::NameRow, ""}, {fld::ValueRow, ""}});
    AddRow(tbl::Tables, {{fld::ID, kTable}, {fld::NRow, 3}, {fld::NameRow, ""}, {fld::ValueRow, "3"}});
    Show();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"a=1", "=", "=3"}));
    EXPECT_EQ(frame->UsedRows().size(), 3u);
    Edit();
    frame->SetCell(2, 3, {});
    EXPECT_EQ(frame->UsedRowCount(), 1);
    EXPECT_EQ(frame->LastUsedRow(), 1);
}

// Each action, its undo (the grid as before) and its redo (the grid as after the action).
TEST_F(TableFrame, EachActionIsUndoneAndRedone) {
    struct Case {
        const char* Name;
        int StoredRows;
        std::function<void(TfrTable&)> Act;
        TGrid After;
    };
    auto withRow = [](int row, void (TfrTable::*click)()) {
        return [row, click](TfrTable& f) {
            f.SelectCell(1, row);
            (f.*click)();
        };
    };
    std::vector<std::string> inserted = Numbered(1, 4);
    inserted.push_back("=");
    for (const std::string& row : Numbered(5, 10)) inserted.push_back(row);
    std::vector<std::string> deleted = Numbered(1, 2);
    for (const std::string& row : Numbered(4, 10)) deleted.push_back(row);
    std::vector<std::string> edited = Numbered(1, 10);
    edited[3] = "n4=v4xy";
    const Case cases[] = {
        {"insert on row 5 of 10", 10, withRow(5, &TfrTable::BitBtnInsRowClick), {inserted, 31}},
        {"delete row 3 of 10", 10, withRow(3, &TfrTable::BitBtnDelRowClick), {deleted, 30}},
        {"delete the last row at the minimum", 29, withRow(29, &TfrTable::BitBtnDelRowClick),
         {Numbered(1, 28), 30}},
        {"delete a row of 40", 40, withRow(1, &TfrTable::BitBtnDelRowClick),
         {Numbered(2, 40), 40}},
        {"delete the last row above the minimum", 35, withRow(35, &TfrTable::BitBtnDelRowClick),
         {Numbered(1, 34), 35}},
        {"delete an empty row at the minimum", 10, withRow(20, &TfrTable::BitBtnDelRowClick),
         {Numbered(1, 10), 30}},
        {"append", 10, [](TfrTable& f) { f.BitBtnAppendRowClick(); }, {Numbered(1, 10), 31}},
        {"clear", 10, [](TfrTable& f) { f.BitBtnClearClick(); }, {{}, 30}},
        {"type twice into one cell", 10,
         [](TfrTable& f) {
             f.SelectCell(2, 4);
             f.StringGridTableSetEditText(2, 4, "v4x");
             f.StringGridTableSetEditText(2, 4, "v4xy");
         },
         {edited, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        ClearRows(dm.TableTables, Where(fld::ID) == kTable);
        AddRows(c.StoredRows);
        Show();
        Edit();
        const TGrid before = Grid();
        c.Act(*frame);
        frame->FinishAnimation();
        EXPECT_EQ(Grid(), c.After);
        EXPECT_EQ(frame->ChangeCount, 1);
        EXPECT_TRUE(frame->BitBtnUndo->isEnabled());
        EXPECT_FALSE(frame->BitBtnRedo->isEnabled());
        frame->BitBtnUndo->click();
        frame->FinishAnimation();
        EXPECT_EQ(Grid(), before);
        EXPECT_EQ(frame->ChangeCount, 0);
        EXPECT_FALSE(frame->BitBtnUndo->isEnabled());
        EXPECT_TRUE(frame->BitBtnRedo->isEnabled());
        frame->BitBtnRedo->click();
        frame->FinishAnimation();
        EXPECT_EQ(Grid(), c.After);
        EXPECT_EQ(frame->ChangeCount, 1);
        if (std::string(c.Name).starts_with("insert")) {
            EXPECT_EQ(frame->CurrentRow(), 5);  // the new row is the current one
        }
        // Every row keeps its height and its number.
        for (int row = 1; row < frame->RowCount(); ++row) {
            ASSERT_EQ(frame->RowHeight(row), 19) << row;
            ASSERT_EQ(ToStdString(frame->Cell(0, row)), std::to_string(row));
        }
        frame->BitBtnCansel->click();
    }
}

TEST_F(TableFrame, DeletingShrinksTheGridOneRowAtATimeDownToTheMinimum) {
    AddRows(40);
    Show();
    Edit();
    std::vector<int> counts;
    for (int i = 0; i < 14; ++i) {
        frame->SelectCell(1, 1);
        frame->BitBtnDelRow->click();
        frame->FinishAnimation();
        counts.push_back(frame->RowCount());
    }
    EXPECT_EQ(counts,
              (std::vector<int>{40, 39, 38, 37, 36, 35, 34, 33, 32, 31, 30, 30, 30, 30}));
    EXPECT_EQ(Rows(), Numbered(15, 40));
}

TEST_F(TableFrame, ANewActionFinishesTheRunningAnimationFirst) {
    AddRows(5);
    Show();
    Edit();
    frame->SelectCell(1, 2);
    frame->BitBtnDelRow->click();
    frame->Timer1Timer();  // the row is half gone when the user deletes again
    EXPECT_TRUE(frame->Timer1->isActive());
    frame->SelectCell(1, 1);
    frame->BitBtnDelRow->click();
    frame->FinishAnimation();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"n3=v3", "n4=v4", "n5=v5"}));
    for (int row = 1; row < frame->RowCount(); ++row) ASSERT_EQ(frame->RowHeight(row), 19);
}

TEST_F(TableFrame, TypingIntoACellIsOneActionFromItsTextAtSelection) {
    AddRows(3);
    Show();
    Edit();
    frame->StringGridTable->setFocus();
    frame->SelectCell(1, 2);
    QTest::keyClick(frame->StringGridTable, Qt::Key_F2);  // opens the editor on "n2"
    auto* editor = frame->StringGridTable->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_End);
    QTest::keyClicks(editor, "ab");
    EXPECT_EQ(ToStdString(frame->Cell(1, 2)), "n2ab");  // the cell follows the editor
    EXPECT_EQ(frame->ChangeCount, 1);
    frame->BitBtnUndo->click();
    EXPECT_EQ(ToStdString(frame->Cell(1, 2)), "n2");
    frame->BitBtnRedo->click();
    EXPECT_EQ(ToStdString(frame->Cell(1, 2)), "n2ab");
    EXPECT_EQ(frame->ChangeCount, 1);
}

// Tab and Shift+Tab move between the name and value columns only, on to the next or previous
// row and round at the ends, never onto the read-only number column.
TEST_F(TableFrame, TabMovesBetweenTheNameAndValueColumnsOnly) {
    AddRows(3);
    Show();
    Edit();
    QTableWidget* grid = frame->StringGridTable;
    const int last = frame->RowCount() - 1;  // the grid's last row
    const struct {
        int column, row;
        Qt::Key key;
        int toColumn, toRow;
    } cases[] = {
        {1, 2, Qt::Key_Tab, 2, 2},     {2, 2, Qt::Key_Tab, 1, 3},
        {0, 2, Qt::Key_Tab, 1, 2},     {2, last, Qt::Key_Tab, 1, 1},
        {2, 2, Qt::Key_Backtab, 1, 2}, {1, 3, Qt::Key_Backtab, 2, 2},
        {0, 3, Qt::Key_Backtab, 2, 2}, {1, 1, Qt::Key_Backtab, 2, last},
    };
    for (const auto& c : cases) {
        grid->setFocus();
        grid->setCurrentCell(c.row - 1, c.column);
        QTest::keyClick(grid, c.key, c.key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
        EXPECT_EQ(grid->currentColumn(), c.toColumn) << c.column << "," << c.row << " " << c.key;
        EXPECT_EQ(grid->currentRow() + 1, c.toRow) << c.column << "," << c.row << " " << c.key;
    }
}

// Typing into a value cell, Tab, and typing on: the second word goes into the next row's name.
TEST_F(TableFrame, WhatIsTypedAfterTabFromAValueGoesIntoTheNextName) {
    AddRows(3);
    Show();
    Edit();
    frame->StringGridTable->setFocus();
    frame->SelectCell(2, 2);
    QTableWidget* grid = frame->StringGridTable;
    QTest::keyClick(grid, Qt::Key_A);  // opens the editor with the key
    QWidget* editor = grid->indexWidget(grid->currentIndex());
    ASSERT_NE(qobject_cast<QLineEdit*>(editor), nullptr);
    QTest::keyClicks(editor, "b");
    QTest::keyClick(editor, Qt::Key_Tab);
    EXPECT_EQ(grid->currentColumn(), 1);
    EXPECT_EQ(grid->currentRow() + 1, 3);
    editor = grid->indexWidget(grid->currentIndex());
    ASSERT_NE(qobject_cast<QLineEdit*>(editor), nullptr);
    QTest::keyClick(editor, Qt::Key_End);
    QTest::keyClicks(editor, "cd");
    EXPECT_EQ(ToStdString(frame->Cell(2, 2)), "ab");
    EXPECT_EQ(ToStdString(frame->Cell(1, 3)), "n3cd");
    EXPECT_EQ(ToStdString(frame->Cell(0, 3)), "3");
}

// The name column widens to the longest name loaded, so that a name shows whole, but never past
// half the grid, which stays for the values; short names keep its own width.
TEST_F(TableFrame, TheNameColumnFitsTheLongestNameUpToHalfTheGrid) {
    const struct {
        const char* what;
        std::string name;
        bool whole;
    } cases[] = {{"short", "n", true},
                 {"long", "Notdienst Heizung/Wasser und Sanitär (24 h)", true},
                 {"overlong", std::string(40, 'W') + " Brzęczyszczykiewicz", false}};
    // Each case adds a row with a longer name than the rows before.
    int row = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AddRow(tbl::Tables, {{fld::ID, kTable},
                             {fld::NRow, ++row},
                             {fld::NameRow, c.name},
                             {fld::ValueRow, "value"}});
        Show();
        QCoreApplication::processEvents();
        const QTableWidget& grid = *frame->StringGridTable;
        const int name = grid.fontMetrics().horizontalAdvance(ToQString(c.name));
        EXPECT_GE(grid.columnWidth(1), 142);
        EXPECT_LE(grid.columnWidth(1), std::max(142, grid.viewport()->width() / 2));
        EXPECT_EQ(grid.columnWidth(1) >= name + 4, c.whole);
        EXPECT_EQ(grid.columnWidth(0) + grid.columnWidth(1) + grid.columnWidth(2) + 2,
                  grid.viewport()->width());
    }
}

TEST_F(TableFrame, EditSlidesTheGridAndShowsTheRowButtons) {
    AddRows(3);
    Show();
    EXPECT_EQ(frame->StringGridTable->x(), 3);
    EXPECT_FALSE(frame->BitBtnInsRow->isVisible());
    EXPECT_FALSE(frame->BitBtnAppendRow->isVisible());
    frame->BitBtnEdit->click();
    int ticks = 0;
    while (frame->Timer1->isActive()) {
        frame->Timer1Timer();
        ++ticks;
    }
    EXPECT_EQ(ticks, 15);  // 3 to 32, 2 pixels a tick
    EXPECT_EQ(frame->StringGridTable->x(), 32);
    EXPECT_EQ(frame->StringGridTable->width(), frame->width() - 35);
    frame->SelectCell(1, 2);
    EXPECT_TRUE(frame->BitBtnInsRow->isVisible());
    EXPECT_TRUE(frame->BitBtnDelRow->isVisible());
    EXPECT_TRUE(frame->BitBtnAppendRow->isVisible());
    EXPECT_FALSE(frame->BitBtnEdit->isEnabled());
    EXPECT_TRUE(frame->BitBtnApply->isEnabled());
    EXPECT_TRUE(frame->BitBtnClear->isEnabled());
    EXPECT_FALSE(frame->BitBtnUndo->isEnabled());
    EXPECT_FALSE(frame->BitBtnReport->isEnabled());
    frame->BitBtnCansel->click();
    frame->FinishAnimation();
    EXPECT_EQ(frame->StringGridTable->x(), 3);
    EXPECT_FALSE(frame->BitBtnInsRow->isVisible());
    EXPECT_TRUE(frame->BitBtnEdit->isEnabled());
    EXPECT_FALSE(frame->BitBtnApply->isEnabled());
}

// Beside every row in view, the insert and delete buttons each show their picture whole, one
// above the other and both above the append button under the grid, whatever the frame's height
// leaves of the last row.
TEST_F(TableFrame, TheRowButtonsShowTheirPicturesApartFromTheAppendButton) {
    AddRows(3);
    Show();
    Edit();
    for (const int height : {300, 306, 312, 318, 700}) {
        SCOPED_TRACE(height);
        frame->resize(600, height);
        int shown = 0;
        for (int row = 1; row < frame->RowCount(); ++row) {
            frame->SelectCell(1, row);
            if (!frame->BitBtnInsRow->isVisible()) continue;
            ++shown;
            const TRowButton buttons[] = {{frame->BitBtnInsRow, frame->ImageInsRow},
                                          {frame->BitBtnDelRow, frame->ImageDelRow},
                                          {frame->BitBtnAppendRow, frame->ImageAppendRow}};
            ExpectRowButtonsShowTheirPictures(buttons, 2);
        }
        // The rows in view all have them but the last one or two, whose buttons would reach the
        // append button.
        const int inView = frame->StringGridTable->viewport()->height() / 19;
        EXPECT_GE(shown, std::min(inView, frame->RowCount() - 1) - 2);
    }
}

TEST_F(TableFrame, CancelDropsTheEdits) {
    AddRows(3);
    Show();
    Edit();
    frame->BitBtnClear->click();
    frame->BitBtnAppendRow->click();
    frame->BitBtnCansel->click();
    EXPECT_EQ(Grid(), (TGrid{Numbered(1, 3), 30}));
    EXPECT_EQ(NewestTrans(), 0);
}

// Leaving the node: no question without a change; the question after one, Yes applying and No
// dropping the edits.
TEST_F(TableFrame, LeavingAsksOnlyAfterAChange) {
    struct Case {
        const char* Name;
        std::function<void(TfrTable&)> Act;
        int Answer;
        bool Asked, Applied;
    };
    const Case cases[] = {
        {"no action", [](TfrTable&) {}, mrYes, false, false},
        {"clear, no", [](TfrTable& f) { f.BitBtnClear->click(); }, mrNo, true, false},
        {"clear, yes", [](TfrTable& f) { f.BitBtnClear->click(); }, mrYes, true, true},
        {"clear and undo",
         [](TfrTable& f) {
             f.BitBtnClear->click();
             f.BitBtnUndo->click();
         },
         mrYes, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        ClearRows(dm.TableTables, Where(fld::ID) == kTable);
        AddRows(3);
        Show();
        Edit();
        c.Act(*frame);
        const int before = NewestTrans();
        ScopedMessageDlg answer(c.Answer);
        frame->Leave();
        EXPECT_FALSE(frame->Timer1->isActive());  // no slide when leaving
        EXPECT_EQ(frame->StringGridTable->x(), 3);
        EXPECT_FALSE(frame->EditMode);
        EXPECT_TRUE(frame->BitBtnEdit->isEnabled());
        if (c.Asked) {
            EXPECT_EQ(answer.Texts(),
                      std::vector<std::string>{
                          "The table Phones has been changed.\nSave the changes?"});
        } else {
            EXPECT_TRUE(answer.Texts().empty());
        }
        EXPECT_EQ(NewestTrans() != before, c.Applied);
        EXPECT_EQ(CountRows(tbl::Tables, Where(fld::ID) == kTable), c.Applied ? 0 : 3);
    }
}

// Apply writes the layout that the table applier reads: I1 the new rows, I2 the old ones, the
// new pairs, then the old ones; the change is undone and redone by the journal.
TEST_F(TableFrame, ApplyWritesOneTableChangeThatTheJournalUndoesAndRedoes) {
    AddRows(2);
    const std::string before = DumpBudget(budget, TDumpScope::WithoutJournal);
    Show();
    Edit();
    frame->SetCell(1, 4, "d");  // row 3 stays empty between
    frame->SelectCell(2, 1);
    frame->StringGridTableSetEditText(2, 1, "one");
    frame->BitBtnApply->click();
    frame->FinishAnimation();
    EXPECT_TRUE(shell.fatalTexts.empty());
    EXPECT_FALSE(frame->EditMode);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"n1=one", "n2=v2", "=", "d="}));

    const int n = NewestTrans();
    TBudgetTable journal(tbl::jTrans, false, Where(fld::NTrans) == n, "");
    EXPECT_EQ(journal.FieldByName(fld::Act).AsString(), "CHANG");
    EXPECT_EQ(journal.FieldByName(fld::Type).AsInteger(), 20);
    EXPECT_EQ(journal.FieldByName(fld::IDObject).AsInteger(), kTable);
    EXPECT_EQ(journal.FieldByName(fld::NameObject).AsString(), "Phones");
    EXPECT_EQ(journal.FieldByName(fld::Status).AsString(), "APPLY");
    std::vector<std::string> texts;
    for (const TFieldValue& value : Column(tbl::jTrText, fld::Value, Where(fld::NTrans) == n))
        texts.push_back(value.Text());
    EXPECT_EQ(texts, (std::vector<std::string>{"n1", "one", "n2", "v2", "", "", "d", "",  //
                                               "n1", "v1", "n2", "v2"}));
    std::vector<int> ints;
    for (const TFieldValue& value : Column(tbl::jTrInteger, fld::Value, Where(fld::NTrans) == n))
        ints.push_back(static_cast<int>(value.Integer()));
    EXPECT_EQ(ints, (std::vector<int>{4, 2}));

    const std::string after = DumpBudget(budget, TDumpScope::WithoutJournal);
    Show();  // the stored rows come back, the empty row between included
    EXPECT_EQ(Rows(), (std::vector<std::string>{"n1=one", "n2=v2", "=", "d="}));
    ASSERT_TRUE(UndoTrans(n));
    EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), before);
    ASSERT_TRUE(RedoTrans(n));
    EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), after);
}

TEST_F(TableFrame, ApplyWithoutAChangeStillWritesOne) {
    struct Case {
        int Rows;
    };
    for (const Case c : {Case{0}, Case{3}}) {
        SCOPED_TRACE(c.Rows);
        ClearRows(dm.TableTables, Where(fld::ID) == kTable);
        AddRows(c.Rows);
        const int before = NewestTrans();
        Show();
        Edit();
        frame->BitBtnApply->click();
        const int n = NewestTrans();
        ASSERT_NE(n, before);
        const std::optional<TTableChangeParts> parts = ReadParts<TTableChangeParts>(n);
        ASSERT_TRUE(parts);
        EXPECT_EQ(parts->NewRows.size(), static_cast<size_t>(c.Rows));
        EXPECT_EQ(parts->NewRows, parts->OldRows);
        EXPECT_EQ(CountRows(tbl::Tables, Where(fld::ID) == kTable), c.Rows);
    }
}

TEST_F(TableFrame, HelpOpensItsTopicAndNamesTheReportButton) {
    std::ofstream(shell.state.LangPath + "VemlyHelp.html") << "<html></html>";
    Show();
    RecordedUrls opened;
    frame->ButtonHelp->click();
    ASSERT_EQ(opened.urls.size(), 1u);
    EXPECT_EQ(opened.urls[0].fragment().toStdString(), "2100");
    EXPECT_EQ(frame->BitBtnReport->toolTip().toStdString(), "Report");
    EXPECT_EQ(frame->BitBtnUndo->toolTip().toStdString(), "Undo the last action");
}

}  // namespace
