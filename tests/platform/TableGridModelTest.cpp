// The grid model over a table: the rows of the source's view in any order of asking, finding a
// row by its key, and following the source through moves, writes, filters and closing.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "platform/ItemsTable.h"
#include "platform/TableGridModel.h"
#include "platform/Text.h"

namespace {

constexpr int kRows = 300;
constexpr TDateTime kFirstDay = 45000;

// Items with 300 rows "r0" ... "r299" on the days 45000 ... 45299, in three groups of 100
// (Grp 1, 2, 3), so that Day ascends in the order of Index01; the source is open on them.
class GridModel : public ::testing::Test {
protected:
    GridModel() {
        TTransactionScope adding(items.Folder());
        for (int i = 0; i < kRows; ++i) Add(i);
        adding.Commit();
        items.Configure(source);
        source.Open();
    }
    void Add(int i) const { items.Add(1 + i / 100, kFirstDay + i, "r" + std::to_string(i)); }

    // The text of the cell, as the grid asks for it.
    std::string Cell(int row, int column = 0) const {
        return ToStdString(model.data(model.index(row, column)).toString());
    }

    ItemsTable items;
    TTable source;
    TTableGridModel model{
        {"Name", "Day"},
        "Day",
        {{"Name", [](const TTableGridModel::TRow& r) { return ToQString(r[0].Text()); }},
         {"Day", [](const TTableGridModel::TRow& r) {
              return QString::number(r[1].Real() - kFirstDay);
          }}}};
};

}  // namespace

TEST_F(GridModel, ShowsEveryRowOfTheViewWhateverOrderTheGridAsksIn) {
    model.Follow(source);
    ASSERT_EQ(model.rowCount(), kRows);
    ASSERT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "Day");
    // The last row first (as the journal opens), then jumps across blocks, back and forth, and
    // the rows on both sides of a block's edge.
    for (const int row : {299, 0, 150, 151, 64, 63, 298, 1, 200, 128, 127, 255, 256}) {
        SCOPED_TRACE(row);
        EXPECT_EQ(Cell(row), "r" + std::to_string(row));
        EXPECT_EQ(Cell(row, 1), std::to_string(row));
    }
    EXPECT_EQ(Cell(kRows), "");
    EXPECT_EQ(model.Row(-1), nullptr);
}

TEST_F(GridModel, ScrollingThroughEveryBlockTwiceKeepsEveryRowRight) {
    model.Follow(source);
    for (int pass = 0; pass < 2; ++pass)
        for (int row = 0; row < kRows; row += 7) ASSERT_EQ(Cell(row), "r" + std::to_string(row));
    for (int row = kRows - 1; row >= 0; row -= 5) ASSERT_EQ(Cell(row), "r" + std::to_string(row));
}

TEST_F(GridModel, FindsARowByItsKeyInTheView) {
    source.SetFilter(Where("Grp") == 2);
    source.SetFiltered(true);
    model.Follow(source);
    ASSERT_EQ(model.rowCount(), 100);
    const struct {
        int day;
        int row;
    } cases[] = {{150, 50}, {100, 0}, {199, 99}, {150, 50}, {99, -1}, {200, -1}, {1000, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.day);
        EXPECT_EQ(model.RowOf(kFirstDay + c.day), c.row);
    }
    EXPECT_EQ(Cell(99), "r199");
}

TEST_F(GridModel, AMoveOfTheSourceReadsNothingAgainAWriteOrAnotherViewDoes) {
    model.Follow(source);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    source.Last();
    source.Locate("Name", {"r10"});
    model.Follow(source);
    EXPECT_EQ(resets.count(), 0);

    Add(kRows);  // written through another table
    model.Follow(source);
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(model.rowCount(), kRows + 1);
    EXPECT_EQ(Cell(kRows), "r300");

    source.SetFilter(Where("Grp") == 1);
    source.SetFiltered(true);
    model.Follow(source);
    EXPECT_EQ(resets.count(), 2);
    EXPECT_EQ(model.rowCount(), 100);

    source.Close();
    model.Follow(source);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.RowOf(kFirstDay), -1);
    source.Open();
    model.Follow(source);
    EXPECT_EQ(model.rowCount(), 100);
}

TEST_F(GridModel, RowsDeletedBehindItsBackAreNotShownAfterFollowing) {
    model.Follow(source);
    EXPECT_EQ(Cell(5), "r5");
    TTable writer;
    items.Configure(writer);
    writer.Open();
    ASSERT_TRUE(writer.Locate("Name", {"r5"}));
    writer.Delete();
    model.Follow(source);
    EXPECT_EQ(model.rowCount(), kRows - 1);
    EXPECT_EQ(Cell(5), "r6");
    EXPECT_EQ(model.RowOf(kFirstDay + 5), -1);
}

TEST_F(GridModel, ClearLetsGoOfTheFolder) {
    model.Follow(source);
    EXPECT_EQ(Cell(0), "r0");
    model.Clear();
    EXPECT_EQ(model.rowCount(), 0);
    source.Close();
    EXPECT_EQ(TDatabase::Find(items.Folder()), nullptr);
}
