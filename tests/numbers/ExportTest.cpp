// The number's workbook read back: its cells, fonts, number formats, column widths and the
// borders of the table.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <filesystem>

#include "NumberFixture.h"
#include "common/TestFolders.h"
#include "common/XlsxParts.h"
#include "numbers/U_frnumber_chronology.h"
#include "platform/XlsxSheet.h"

namespace {

int Count(const std::string& text, const std::string& what) {
    int count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

NumberItemInfo Item(TDateTime date, char type, const std::string& value, bool valid,
                    const std::string& descript, char state = 'i') {
    NumberItemInfo item;
    item.DateBegin = date;
    item.ItemType = type;
    item.ConstValue = value;
    item.Algorithm01.Valid = valid;
    item.Descript = descript;
    item.State = state;
    return item;
}

class Workbook : public ::testing::Test {
protected:
    TestFolders folders;
    const std::string path = folders.UsersDataPath() + "Rate.xlsx";
    TNumberSheet sheet{"Rate",
                       "Heating rate",
                       "History of values",
                       {"From date", "Value", "Description"},
                       "calculation error"};
};

TEST_F(Workbook, CellsFormatsWidthsAndBorders) {
    const TChronologyNumber items{
        Item(45658, 'C', "12.50", false, "01.02.2025"), Item(45659, 'C', "3", false, "gone", 'd'),
        Item(45660, 'A', "7", true, "computed"), Item(45661, 'A', "0", false, "failed")};
    ASSERT_TRUE(WriteNumberWorkbook(path, sheet, items));
    const std::string cells = XlsxPart(path, "xl/worksheets/sheet1.xml");
    const std::string strings = XlsxPart(path, "xl/sharedStrings.xml");
    const std::string styles = XlsxPart(path, "xl/styles.xml");
    ASSERT_FALSE(cells.empty());

    for (const char* text : {"Rate", "Heating rate", "History of values", "N", "From date", "Value",
                             "Description", "computed", "01.02.2025"})
        EXPECT_NE(strings.find(std::string(">") + text + "<"), std::string::npos) << text;
    // The values are number cells a spreadsheet can sum; the failed algorithm's mark is text.
    EXPECT_NE(XlsxCell(cells, "C6").find("<v>12.5</v>"), std::string::npos)
        << XlsxCell(cells, "C6");
    EXPECT_NE(XlsxCell(cells, "C7").find("<v>7</v>"), std::string::npos) << XlsxCell(cells, "C7");
    EXPECT_EQ(strings.find(">" + Decimal("12,5") + "<"), std::string::npos);
    EXPECT_NE(strings.find(">[calculation error]<"), std::string::npos);
    EXPECT_NE(XlsxCell(cells, "C8").find("t=\"s\""), std::string::npos);
    EXPECT_EQ(strings.find(">gone<"), std::string::npos);  // a deleted item is not written
    // Rows 6 to 8: running numbers 1 to 3 and the dates as day numbers.
    EXPECT_NE(cells.find("<c r=\"A8\""), std::string::npos);
    EXPECT_EQ(cells.find("<c r=\"A9\""), std::string::npos);
    EXPECT_NE(cells.find("<v>45658</v>"), std::string::npos);
    EXPECT_NE(cells.find("<v>45661</v>"), std::string::npos);
    EXPECT_EQ(cells.find("<v>45659</v>"), std::string::npos);
    EXPECT_NE(cells.find("<c r=\"A8\" s=\""), std::string::npos);
    // Column widths 5, 14, 19, 30 (stored with the sheet's padding).
    const QRegularExpression widths(
        QStringLiteral("<col min=\"(\\d)\" max=\"\\d\" width=\"([0-9.]+)\""));
    std::vector<double> found;
    for (auto match = widths.globalMatch(QString::fromStdString(cells)); match.hasNext();)
        found.push_back(match.next().captured(2).toDouble());
    ASSERT_EQ(found.size(), 4u);
    EXPECT_LT(found[0], found[1]);
    EXPECT_LT(found[1], found[2]);
    EXPECT_LT(found[2], found[3]);
    EXPECT_NEAR(found[3] - found[0], 25, 0.01);
    // Fonts, the text format "@" and medium borders.
    EXPECT_NE(styles.find("Arial"), std::string::npos);
    EXPECT_NE(styles.find("Tahoma"), std::string::npos);
    EXPECT_NE(styles.find("formatCode=\"@\""), std::string::npos);
    EXPECT_NE(styles.find("formatCode=\"" + XlsxDateFormat() + "\""), std::string::npos);
    EXPECT_GE(Count(styles, "style=\"medium\""), 4);
    EXPECT_GE(Count(styles, "style=\"thin\""), 2);
}

TEST_F(Workbook, WithoutLiveItemsTheHeaderRowIsTheLast) {
    ASSERT_TRUE(WriteNumberWorkbook(path, sheet, {Item(45658, 'C', "1", false, "", 'd')}));
    const std::string cells = XlsxPart(path, "xl/worksheets/sheet1.xml");
    EXPECT_NE(cells.find("<c r=\"D5\""), std::string::npos);
    EXPECT_EQ(cells.find("<c r=\"A6\""), std::string::npos);
}

TEST_F(Workbook, AnUnwritableFolderLeavesNothing) {
    const std::string missing = folders.UsersDataPath() + "no such folder/Rate.xlsx";
    EXPECT_FALSE(WriteNumberWorkbook(missing, sheet, {}));
    EXPECT_FALSE(std::filesystem::exists(missing));
}

}  // namespace
