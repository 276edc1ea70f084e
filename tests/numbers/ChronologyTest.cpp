// A number's chronology without a window: the item in force, loading with the evaluation of
// algorithm items, the values as shown, and the parts of the journal transaction of a change.
#include <gtest/gtest.h>

#include "NumberFixture.h"
#include "numbers/U_frnumber_chronology.h"
#include "store/TransBlocks.h"
#include "store/Utransactions.h"

namespace {

NumberItemInfo Constant(TDateTime date, const std::string& value, char state = 'i') {
    NumberItemInfo item;
    item.DateBegin = date;
    item.ConstValue = value;
    item.State = state;
    return item;
}

struct InForceCase {
    const char* name;
    std::vector<double> days;  // relative to today; a fraction is a time of day
    std::string deleted;       // 'd' at the index of a deleted item
    int row;                   // 0: none in force
    int index;
};

class ItemInForceTest : public ::testing::TestWithParam<InForceCase> {};

TEST_P(ItemInForceTest, TheLastLiveItemNotAfterTodayElseTheFirst) {
    const TDateTime today = Today();
    TChronologyNumber items;
    for (size_t i = 0; i < GetParam().days.size(); ++i)
        items.push_back(Constant(today + GetParam().days[i], "1",
                                 i < GetParam().deleted.size() ? GetParam().deleted[i] : 'i'));
    const std::optional<TInForce> found = ItemInForce(items, today);
    if (GetParam().row == 0) {
        EXPECT_FALSE(found);
        return;
    }
    ASSERT_TRUE(found);
    EXPECT_EQ(found->Row, GetParam().row);
    EXPECT_EQ(found->Index, GetParam().index);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ItemInForceTest,
    ::testing::Values(InForceCase{"YesterdayTodayTomorrow", {-1, 0, 1}, "", 2, 1},
                      InForceCase{"AllInTheFuture", {3, 7}, "", 1, 0},
                      InForceCase{"AllInThePast", {-9, -2}, "", 2, 1},
                      InForceCase{"FirstAndTwentiethOnTheTenth", {-9, 10}, "", 1, 0},
                      InForceCase{"TwoOfToday", {-1, 0, 0}, "", 2, 1},
                      // Days compare as day numbers: an item of today with a time of day holds.
                      InForceCase{"TodayWithATime", {-1, 0.75, 1}, "", 2, 1},
                      InForceCase{"DeletedSkipped", {-1, 1}, "d", 1, 1},
                      InForceCase{"NoLiveItem", {-1}, "d", 0, -1},
                      InForceCase{"Empty", {}, "", 0, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ShownValueTest, DecimalNumbersAreNormalisedOthersShownAsStored) {
    EXPECT_EQ(ShownValue("12.50"), Decimal("12,5"));
    EXPECT_EQ(ShownValue("-0,100"), Decimal("-0,1"));
    EXPECT_EQ(ShownValue(std::string(60, '7')), std::string(60, '7'));
    EXPECT_EQ(ShownValue("12a"), "12a");  // mend: shown as stored, nothing thrown
    EXPECT_EQ(ShownValue(""), "0");
}

TEST(CutCharsTest, NeverSplitsACharacter) {
    EXPECT_EQ(CutChars("abc", 2), "ab");
    EXPECT_EQ(CutChars("äöü", 2), "äö");
    EXPECT_EQ(CutChars("äö", 5), "äö");
    EXPECT_EQ(CutChars("", 3), "");
}

class Chronology : public NumberBudget {};

TEST_F(Chronology, LoadsConstantsAsStoredAndCalculatesValidAlgorithms) {
    AddConst(46000, "12.50", "first");
    AddConst(46001, "12a");
    AddAlgorithmItem(46002, "[V001()] = 5,0 * 2", true, "computed");
    AddAlgorithmItem(46003, "[V001()] = 1", false);  // stored not valid: not run
    const TChronologyNumber items = LoadNumberItems(kNumber, "Rate");
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].ConstValue, "12.50");
    EXPECT_EQ(items[0].Descript, "first");
    EXPECT_EQ(items[1].ConstValue, "12a");
    EXPECT_EQ(items[2].ItemType, 'A');
    EXPECT_EQ(ShownValue(items[2].ConstValue), "10");
    EXPECT_TRUE(items[2].Algorithm01.Valid);
    EXPECT_EQ(items[2].Algorithm01.Name, "Heating");
    EXPECT_EQ(items[3].ConstValue, "0");
    EXPECT_FALSE(items[3].Algorithm01.Valid);
    for (const NumberItemInfo& item : items) EXPECT_EQ(item.State, 'i');
    EXPECT_TRUE(errorWindows.empty());
}

TEST_F(Chronology, EachFailingAlgorithmShowsItsOwnErrorWindow) {
    AddAlgorithmItem(46000, "[V001()] = 1 / 0");
    AddAlgorithmItem(46001, "[V001()] = 2");
    AddAlgorithmItem(46002, "[V001()] = 5 +");
    const TChronologyNumber items = LoadNumberItems(kNumber, "Rate");
    EXPECT_EQ(errorWindows, (std::vector<std::string>{"Rate", "Rate"}));
    EXPECT_FALSE(items[0].Algorithm01.Valid);
    EXPECT_EQ(items[0].ConstValue, "0");
    EXPECT_TRUE(items[1].Algorithm01.Valid);
    EXPECT_EQ(items[1].ConstValue, "2");
    EXPECT_FALSE(items[2].Algorithm01.Valid);
    EXPECT_GE(shell.stopRequests, 1);
}

// The transaction of a change written without applying it; its number.
int WriteChange(TChronologyNumber& items, TDateTime earliest) {
    std::optional<TNumberChangeParts> parts = NumberChangeParts(items, 50, earliest);
    EXPECT_TRUE(parts);
    TTransWriter writer(kActChange, 50, otNumber, "Rate");
    WriteParts(writer, *parts);
    return writer.Ready();
}

TEST_F(Chronology, TheExampleTransactionPartByPart) {
    const TDateTime march1 = EncodeDate(2025, 3, 1), april1 = EncodeDate(2025, 4, 1);
    AddConst(EncodeDate(2024, 1, 1), "7,25", "old row");
    TChronologyNumber items;
    NumberItemInfo algorithmItem;
    algorithmItem.DateBegin = april1;
    algorithmItem.ItemType = 'A';
    algorithmItem.ConstValue = "3";
    algorithmItem.Descript = "by formula";
    algorithmItem.State = 'a';
    algorithmItem.Algorithm01 = NewAlgorithm(std::string(150, 'x'));
    algorithmItem.Algorithm01.ID = 0;
    algorithmItem.Algorithm01.INDataList.push_back(
        {"I001", 1, 0, 17, 50, 0, 3, "p1", "p2", "p3", "ignored"});
    items.push_back(algorithmItem);
    items.push_back(Constant(march1, "1,5", 'a'));  // sorted before the algorithm item
    const int n = WriteChange(items, EncodeDate(2025, 2, 1));
    ASSERT_GT(n, 0);

    TTransReader parts(n);
    EXPECT_EQ(parts.Int(1), 2);
    EXPECT_EQ(parts.Int(2), 1);
    EXPECT_EQ(parts.Date(1), march1);
    EXPECT_EQ(parts.Text(1), "C");
    EXPECT_EQ(parts.Text(2), "1,5");
    EXPECT_EQ(parts.Date(2), april1);
    EXPECT_EQ(parts.Text(4), "A");
    EXPECT_EQ(parts.Text(5), "3");
    EXPECT_EQ(parts.Text(6), "by formula");
    EXPECT_EQ(parts.Int(3), 0);  // the algorithm's ID in memory
    EXPECT_EQ(parts.Int(4), 1);  // valid
    EXPECT_EQ(parts.Int(5), 50);
    EXPECT_EQ(parts.Text(7), "Heating");
    EXPECT_EQ(parts.Int(7), 1);  // one initial datum
    EXPECT_EQ(parts.Int(8), 0);  // no variable description
    EXPECT_EQ(parts.Int(9), 2);  // 150 characters: two pieces
    EXPECT_EQ(parts.Text(9), "I001");
    EXPECT_EQ(parts.Int(10), 1);
    EXPECT_EQ(parts.Int(14), 3);  // SubSource
    EXPECT_EQ(parts.Text(12), "p3");
    EXPECT_EQ(parts.Text(13), std::string(100, 'x'));
    EXPECT_EQ(parts.Text(14), std::string(50, 'x'));
    EXPECT_EQ(parts.Date(3), EncodeDate(2024, 1, 1));  // the old row
    EXPECT_EQ(parts.Text(15), "C");
    EXPECT_EQ(parts.Text(16), "7,25");
    EXPECT_EQ(parts.Text(17), "old row");
    EXPECT_EQ(parts.Int(15), 14);
    EXPECT_EQ(parts.Int(16), 14);
    EXPECT_EQ(parts.Int(17), 2);
    EXPECT_EQ(parts.Date(4), EncodeDate(2025, 2, 1));
    EXPECT_FALSE(parts.Int(18));
    EXPECT_FALSE(parts.Date(5));
    EXPECT_FALSE(parts.Text(18));
}

TEST_F(Chronology, ClearedThenWrittenCarriesOnlyTheOldRows) {
    AddConst(46000, "1");
    AddAlgorithmItem(46005, "[V001()] = 2");
    TChronologyNumber items = LoadNumberItems(kNumber, "Rate");
    for (NumberItemInfo& item : items) item.State = 'd';
    const int n = WriteChange(items, 46000);
    TTransReader parts(n);
    EXPECT_EQ(parts.Int(1), 0);
    EXPECT_EQ(parts.Int(2), 2);
    EXPECT_EQ(parts.Text(4), "A");
    // The old algorithm's block takes I3 to I9 (no initial datum, one piece of text); then
    // the locator of the old half: no part came before it but I1 and I2.
    EXPECT_EQ(parts.Int(9), 1);
    EXPECT_EQ(parts.Int(10), 2);
    EXPECT_EQ(parts.Int(11), 0);
    EXPECT_EQ(parts.Int(12), 0);
    EXPECT_FALSE(parts.Int(13));
}

TEST_F(Chronology, NewTextsAreCutInCharactersOldRowsGoWhole) {
    const std::string long60 = std::string(30, 'a') + std::string(30, 'a');
    std::string umlauts;
    for (int i = 0; i < 60; ++i) umlauts += "ä";
    AddConst(46000, "1", umlauts);
    TChronologyNumber items = LoadNumberItems(kNumber, "Rate");
    items.push_back(Constant(46001, std::string(60, '9'), 'a'));
    items.back().Descript = umlauts;
    NumberItemInfo named = Constant(46002, "0," + std::string(60, '3'), 'a');
    named.ItemType = 'A';
    named.Algorithm01 = NewAlgorithm("");
    for (int i = 0; i < 120; ++i) named.Algorithm01.Name += "é";
    named.Algorithm01.VarDescrList.push_back({3, std::string(150, 'v')});
    items.push_back(named);
    std::optional<TNumberChangeParts> parts = NumberChangeParts(items, kNumber, 46000);
    ASSERT_TRUE(parts);
    ASSERT_EQ(parts->NewItems.size(), 3u);
    EXPECT_EQ(parts->NewItems[0].Descript, CutChars(umlauts, 50));
    EXPECT_EQ(parts->NewItems[1].ConstValue, std::string(60, '9'));  // a constant goes whole
    EXPECT_EQ(parts->NewItems[1].Descript, CutChars(umlauts, 50));
    EXPECT_EQ(parts->NewItems[2].ConstValue,
              "0," + std::string(48, '3'));  // a computed value is cut
    EXPECT_EQ(parts->NewItems[2].Algorithm.Name, CutChars(named.Algorithm01.Name, 100));
    EXPECT_EQ(parts->NewItems[2].Algorithm.VarDescr[0].Descript, std::string(100, 'v'));
    EXPECT_EQ(parts->NewItems[2].Algorithm.TextPieces.size(), 0u);  // an empty text: no piece
    ASSERT_EQ(parts->OldItems.size(), 1u);
    EXPECT_EQ(parts->OldItems[0].Descript, umlauts);
}

TEST_F(Chronology, TextsOf200And201CharactersMakeTwoAndThreePieces) {
    for (const auto& [length, pieces] : {std::pair{200, 2}, std::pair{201, 3}}) {
        TChronologyNumber items;
        NumberItemInfo item = Constant(46000, "1", 'a');
        item.ItemType = 'A';
        item.Algorithm01 = NewAlgorithm(std::string(static_cast<size_t>(length), 'z'));
        items.push_back(item);
        std::optional<TNumberChangeParts> parts = NumberChangeParts(items, kNumber, 46000);
        ASSERT_TRUE(parts);
        const std::vector<std::string>& text = parts->NewItems[0].Algorithm.TextPieces;
        ASSERT_EQ(text.size(), static_cast<size_t>(pieces));
        EXPECT_EQ(text.back().size(), length == 200 ? 100u : 1u);
    }
}

TEST(FirstMalformedConstantTest, FindsALiveConstantThatIsNoNumber) {
    NumberItemInfo computed = Constant(46003, "x", 'i');
    computed.ItemType = 'A';
    EXPECT_FALSE(FirstMalformedConstant(
        {Constant(46000, "1,5"), Constant(46001, ""), Constant(46002, "12a", 'd'), computed}));
    EXPECT_EQ(FirstMalformedConstant({Constant(46000, "1"), Constant(46001, "12a")}), 1u);
}

TEST_F(Chronology, AnOldRowWhoseAlgorithmIsMissingWritesNothing) {
    AddConst(46000, "1");
    AddRow(
        tbl::Numbers,
        {{fld::ID, kNumber}, {fld::DateBegin, 46001.0}, {fld::ItemType, "A"}, {fld::IDAlg, 999}});
    TChronologyNumber items{Constant(46002, "3", 'a')};
    EXPECT_EQ(JournalNumberChange(items, kNumber, "Rate", 46002), 0);
    EXPECT_EQ(TBudgetTable(tbl::jTrans, false, {}, "").RecordCount(), 0);
    EXPECT_EQ(TBudgetTable(tbl::jTrInteger, false, {}, "").RecordCount(), 0);
    EXPECT_EQ(shell.fatalTexts.size(), 1u);  // the missing algorithm, reported once
}

}  // namespace
