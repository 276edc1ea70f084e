// Numbers as sources of initial data: the item in force at a date, constant and computed items,
// errors passed on between numbers that read each other, and cycles.
#include <gtest/gtest.h>

#include "algorithms/SmallBudget.h"
#include "algorithms/Ugetdata.h"
#include "store/Utransactions.h"

namespace {

constexpr int kNumber = 50;
constexpr int kTable = 20;

TDateTime Day(int year, int month, int day) {
    return EncodeDate(year, month, day);
}

// An initial datum numbered n that reads the number.
ExtData NumberDatum(int n, int number) {
    ExtData datum;
    datum.Name = "I00" + std::to_string(n);
    datum.N = n;
    datum.IDObject = number;
    datum.TypeObject = kSourceNumber;
    return datum;
}

}  // namespace

class NumberSources : public SmallBudget {
protected:
    // Objects: 2 "Tariff" (items 1 January "10", 1 March "12,50", 1 May "14"), 3 "Deposit"
    // (one item on 10 May), 4 "Empty" (no items), 8 a table.
    NumberSources() {
        AddObject(2, 0, kNumber, "Tariff");
        AddConstant(2, Day(2024, 1, 1), "10");
        AddConstant(2, Day(2024, 5, 1), "14");
        AddConstant(2, Day(2024, 3, 1), "12,50");
        AddObject(3, 0, kNumber, "Deposit");
        AddConstant(3, Day(2024, 5, 10), "700");
        AddObject(4, 0, kNumber, "Empty");
        AddObject(8, 0, kTable, "Notes");
    }

    static void AddConstant(int number, TDateTime begin, const char* value) {
        AddRow("Numbers.db",
               {{"ID", number}, {"DateBegin", begin}, {"ItemType", "C"}, {"ConstValue", value}});
    }

    // A number whose one item, beginning on `begin`, is the algorithm (stored with its data).
    void AddComputed(int number, const std::string& name, TDateTime begin, const std::string& text,
                     const TExtDataList& data = {}) {
        AddObject(number, 0, kNumber, name);
        Algorithm01 algorithm;
        algorithm.Name = name;
        algorithm.IDParent = number;
        algorithm.Text = text;
        algorithm.INDataList = data;
        const int id = dm.SaveAlgorithm(algorithm);
        AddRow("Numbers.db",
               {{"ID", number}, {"DateBegin", begin}, {"ItemType", "A"}, {"IDAlg", id}});
    }

    std::string ValueAt(int number, TDateTime date) {
        ExtData datum = NumberDatum(1, number);
        datum.Date = date;
        datum.DataStr = "keep";
        GetExtDataValue(datum, "Reader");
        return datum.DataStr;
    }

    GlobatErrWatch& watch = ErrWatch();
};

TEST_F(NumberSources, GiveTheItemInForceAtTheDate) {
    struct TCase {
        int number;
        TDateTime date;
        int code;
        TDateTime item;
        const char* value;
    };
    const TCase cases[] = {
        {2, Day(2024, 2, 15), 0, Day(2024, 1, 1), "10"},
        {2, Day(2024, 3, 1), 0, Day(2024, 3, 1), "12,50"},  // stored as it is
        {2, Day(2024, 3, 1) + 0.5, 0, Day(2024, 3, 1), "12,50"},
        {2, Day(2024, 4, 30) + 0.99, 0, Day(2024, 3, 1), "12,50"},
        {2, Day(2024, 5, 1), 2, Day(2024, 5, 1), "14"},
        {2, Day(2030, 1, 1), 2, Day(2024, 5, 1), "14"},
        {2, Day(2023, 12, 31), 1, Day(2024, 1, 1), "10"},
        {2, Day(2024, 1, 1), 1, Day(2024, 1, 1), "10"},
        {3, Day(2024, 5, 9), 1, Day(2024, 5, 10), "700"},
        {3, Day(2024, 5, 10), 2, Day(2024, 5, 10), "700"},
        {4, Day(2024, 5, 10), -2, 0, "0"},  // no items
        {8, Day(2024, 5, 10), -1, 0, "0"},  // no number
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE("number " + std::to_string(c.number) + " on " + DateToStr(c.date));
        TDateTime item = 0;
        EXPECT_EQ(FindItemInForce(c.number, item, c.date), c.code);
        EXPECT_EQ(item, c.item);
        EXPECT_EQ(ValueAt(c.number, c.date), c.value);
    }
    std::string value = "untouched";
    EXPECT_EQ(GetNumberValue(2, value, Day(2024, 2, 1)), -2);
    EXPECT_EQ(GetNumberValue(8, value, Day(2024, 1, 1)), -1);
    EXPECT_EQ(value, "untouched");
    EXPECT_EQ(GetNumberValue(2, value, Day(2024, 1, 1)), 1);
    EXPECT_EQ(value, "10");
    EXPECT_FALSE(watch.HasErrors);
    EXPECT_TRUE(shell.fatalTexts.empty());
}

TEST_F(NumberSources, AnObjectThatDoesNotExistIsFatal) {
    TDateTime item = 7;
    EXPECT_EQ(FindItemInForce(99, item, Day(2024, 1, 1)), -1);
    EXPECT_EQ(item, 7);
    EXPECT_EQ(ValueAt(99, Day(2024, 1, 1)), "0");
    ASSERT_FALSE(shell.fatalTexts.empty());
    EXPECT_EQ(shell.fatalTexts[0], FatalErrorText(kFatalObject));
}

// A computed item is calculated for its own beginning, whatever the date asked for.
TEST_F(NumberSources, CalculateAComputedItemForItsBeginning) {
    AddComputed(5, "Double tariff", Day(2024, 2, 1), "[V001()] = [I001()] * 2",
                {NumberDatum(1, 2)});
    EXPECT_EQ(ValueAt(5, Day(2024, 4, 1)), "20");  // the tariff on 1 February is 10
    EXPECT_EQ(ValueAt(5, Day(2025, 1, 1)), "20");
    std::string value;
    EXPECT_EQ(GetNumberValue(5, value, Day(2024, 2, 1)), 2);
    EXPECT_EQ(value, "20");
    EXPECT_FALSE(watch.HasErrors);
    EXPECT_EQ(watch.CalcCount, 3);
    EXPECT_EQ(watch.NameAlg, "Double tariff");
}

TEST_F(NumberSources, AFailingItemGivesZeroAndItsErrorJoinsTheAction) {
    AddComputed(6, "Broken", Day(2024, 1, 1), "[V001()] = 1 / 0");
    AddComputed(7, "Reader of broken", Day(2024, 1, 1), "[V001()] = [I001()] + 1",
                {NumberDatum(1, 6)});
    watch.NameObject = "Rent";
    EXPECT_EQ(ValueAt(6, Day(2024, 6, 1)), "0");
    ASSERT_EQ(watch.Errors.size(), 1u);
    EXPECT_EQ(watch.Errors[0].NameAlg, "Broken");
    EXPECT_EQ(watch.Errors[0].ErrCode, kErrDivisionByZero);
    EXPECT_EQ(watch.Errors[0].NLine, 1);

    // One number reads the other: the inner error, then the outer 1020, in one action.
    ResetGlobalErrors();
    Algorithm01 outer;
    outer.Name = "Charge";
    outer.Text = "[V001()] = [I001()] * 3";
    outer.INDataList = {NumberDatum(1, 7)};
    const Error01 outcome = CalculateAlgorithm(Day(2024, 6, 1), outer);
    EXPECT_EQ(outcome.ErrCode, kErrDatumNotObtained);
    ASSERT_EQ(watch.Errors.size(), 3u);
    EXPECT_EQ(watch.Errors[0].NameAlg, "Broken");
    EXPECT_EQ(watch.Errors[0].ErrCode, kErrDivisionByZero);
    EXPECT_EQ(watch.Errors[1].NameAlg, "Reader of broken");
    EXPECT_EQ(watch.Errors[1].ErrCode, kErrDatumNotObtained);
    EXPECT_EQ(watch.Errors[2].NameAlg, "Charge");
    EXPECT_EQ(watch.Errors[2].ErrCode, kErrDatumNotObtained);
    EXPECT_EQ(watch.NameAlg, "Charge");
    EXPECT_EQ(watch.CalcCount, 3);
}

// Two numbers whose algorithms read each other: the chain ends at the limit of calculations
// with its error, and every calculation above it fails with 1020.
TEST_F(NumberSources, ACycleEndsAtTheLimitOfCalculations) {
    AddComputed(11, "Ping", Day(2024, 1, 1), "[V001()] = [I001()] + 1", {NumberDatum(1, 12)});
    AddComputed(12, "Pong", Day(2024, 1, 1), "[V001()] = [I001()] + 1", {NumberDatum(1, 11)});
    EXPECT_EQ(ValueAt(11, Day(2024, 6, 1)), "0");
    EXPECT_EQ(watch.CalcCount, kMaxCalculations + 1);
    ASSERT_EQ(watch.Errors.size(), static_cast<size_t>(kMaxCalculations + 1));
    EXPECT_EQ(watch.Errors[0].ErrCode, kErrTooManyCalculations);
    EXPECT_EQ(watch.Errors[0].NameAlg, "Ping");  // the 101st calculation
    for (size_t i = 1; i < watch.Errors.size(); ++i)
        ASSERT_EQ(watch.Errors[i].ErrCode, kErrDatumNotObtained) << i;
    EXPECT_EQ(watch.Errors.back().NameAlg, "Ping");
    EXPECT_EQ(watch.NameAlg, "Ping");
    EXPECT_TRUE(shell.fatalTexts.empty());
}

TEST_F(NumberSources, AComputedItemWithoutItsAlgorithmIsFatal) {
    AddObject(19, 0, kNumber, "Lost");
    AddRow("Numbers.db",
           {{"ID", 19}, {"DateBegin", Day(2024, 1, 1)}, {"ItemType", "A"}, {"IDAlg", 77}});
    EXPECT_EQ(ValueAt(19, Day(2024, 6, 1)), "0");
    ASSERT_EQ(shell.fatalTexts.size(), 1u);
    EXPECT_EQ(shell.fatalTexts[0], FatalErrorText(kFatalObject));
}
