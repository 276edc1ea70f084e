// The sources of initial data: the calendar's date functions and the pays' histories, and what
// a source that cannot be read gives.
#include <gtest/gtest.h>

#include <fstream>

#include "algorithms/SmallBudget.h"
#include "algorithms/Ugetdata.h"

namespace {

ExtData Source(int type, int id, int subSource, TDateTime date, std::string param1 = "",
               std::string param2 = "") {
    ExtData datum;
    datum.Name = "I001";
    datum.N = 1;
    datum.TypeObject = type;
    datum.IDObject = id;
    datum.SubSource = subSource;
    datum.Param1 = std::move(param1);
    datum.Param2 = std::move(param2);
    datum.Date = date;
    datum.DataStr = "keep";
    return datum;
}

// The value a datum gets, or what it keeps ("keep").
std::string Fetch(ExtData datum) {
    GetExtDataValue(datum, "Test");
    return datum.DataStr;
}

struct TDateCase {
    int subSource;
    TDateTime date;
    const char* param1;
    const char* param2;
    const char* expected;
};

}  // namespace

TEST(DateSources, GiveTheDateFunctionsOfTheDateOrOfTheShiftedDate) {
    ResetGlobalErrors();
    const TDateCase cases[] = {
        {1, EncodeDate(2024, 7, 14) + 0.75, "", "", "2024"},
        {2, EncodeDate(2000, 5, 1), "", "", "1"},
        {2, EncodeDate(1900, 5, 1), "", "", "0"},
        {2, EncodeDate(2023, 5, 1), "", "", "0"},
        {3, EncodeDate(2024, 3, 15), "1", "0", "3"},
        {3, EncodeDate(2024, 3, 15), "1", "12", "3"},   // a year back: the same month
        {3, EncodeDate(2024, 1, 15), "1", "1", "12"},   // into the year before
        {3, EncodeDate(2024, 11, 15), "1", "-2", "1"},  // a negative decrement goes forward
        {4, EncodeDate(2024, 3, 15), "1", "1", "29"},
        {4, EncodeDate(2024, 3, 15), "1", "0", "31"},
        {4, EncodeDate(2023, 3, 15), "31", "1", "28"},
        {5, EncodeDate(2024, 3, 9), "", "", "9"},
        {6, EncodeDate(2024, 3, 10), "", "", "7"},        // a Sunday
        {6, EncodeDate(2024, 3, 11), "", "", "1"},        // a Monday
        {7, EncodeDate(2023, 3, 10), "31", "1", "2"},     // 28 February 2023, a Tuesday
        {7, EncodeDate(2024, 3, 10), " 31 ", "+1", "4"},  // 29 February 2024, a Thursday
        {8, EncodeDate(2024, 3, 10), "", "", "keep"},
        {0, EncodeDate(2024, 3, 10), "", "", "keep"},
    };
    for (const TDateCase& c : cases) {
        SCOPED_TRACE("date function " + std::to_string(c.subSource) + " on " + DateToStr(c.date) +
                     " with " + c.param1 + "/" + c.param2);
        EXPECT_EQ(Fetch(Source(kSourceCalendar, 0, c.subSource, c.date, c.param1, c.param2)),
                  c.expected);
    }
    EXPECT_FALSE(ErrWatch().HasErrors);
    EXPECT_EQ(Fetch(Source(12345, 0, 1, EncodeDate(2024, 3, 10))), "keep");
}

TEST(DateSources, ShiftTheDateToTheDayOfAnEarlierMonth) {
    EXPECT_EQ(ShiftedDate(31, 3, EncodeDate(2024, 5, 30)), EncodeDate(2024, 2, 29));
    EXPECT_EQ(ShiftedDate(31, 3, EncodeDate(2023, 5, 30)), EncodeDate(2023, 2, 28));
    EXPECT_EQ(ShiftedDate(15, 0, EncodeDate(2023, 5, 30) + 0.5), EncodeDate(2023, 5, 15));
    EXPECT_EQ(ShiftedDate(1, -1, EncodeDate(2023, 12, 3)), EncodeDate(2024, 1, 1));
    EXPECT_EQ(MonthLength(2024, 2), 29);
    EXPECT_EQ(MonthLength(2024, 13), 1);
    EXPECT_EQ(FirstDayOfMonth(EncodeDate(2024, 2, 17)), EncodeDate(2024, 2, 1));
    EXPECT_EQ(LastDayOfMonth(EncodeDate(2024, 2, 17)), EncodeDate(2024, 2, 29));
    EXPECT_EQ(GetDateFunctionValue(0, EncodeDate(2024, 2, 17)), -1);
    EXPECT_THROW(ShiftedDate(0, 0, EncodeDate(2024, 2, 17)), EDateError);
    EXPECT_THROW(ShiftedDate(1, 2147483647, EncodeDate(2024, 2, 17)), EDateError);
    EXPECT_THROW(ShiftedDate(1, -2147483647 - 1, EncodeDate(2024, 2, 17)), EDateError);
}

// A parameter that is no whole number, or parameters that lead outside the calendar, give the
// datum "0" and an error that the action's window lists, instead of ending the program.
TEST(DateSources, AnUnreadableParameterGivesZeroAndAnErrorOfTheAction) {
    struct TCase {
        const char* param1;
        const char* param2;
        const char* detail;
    };
    const TCase cases[] = {
        {"x", "0", "I001: x"},
        {"1", "", "I001: "},
        {"1", "1.5", "I001: 1.5"},
        {"1", "99999999999", "I001: 99999999999"},
        {"0", "0", "I001: 0 0"},            // no day 0
        {"1", "200000", "I001: 1 200000"},  // before the year 1
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.param1) + "/" + c.param2);
        ResetGlobalErrors();
        ExtData datum = Source(kSourceCalendar, 0, 7, EncodeDate(2024, 3, 10), c.param1, c.param2);
        GetExtDataValue(datum, "Tariff");
        EXPECT_EQ(datum.DataStr, "0");
        EXPECT_TRUE(ErrWatch().HasErrors);
        ASSERT_EQ(ErrWatch().Errors.size(), 1u);
        const Error01& error = ErrWatch().Errors[0];
        EXPECT_EQ(error.NameAlg, "Tariff");
        EXPECT_EQ(error.ErrCode, kErrDatumNotObtained);
        EXPECT_EQ(error.NLine, -1);
        EXPECT_EQ(error.Text, c.detail);
    }
    // Sub-sources that do not use a parameter never read it.
    ResetGlobalErrors();
    EXPECT_EQ(Fetch(Source(kSourceCalendar, 0, 5, EncodeDate(2024, 3, 10), "x", "y")), "10");
    EXPECT_FALSE(ErrWatch().HasErrors);
    ResetGlobalErrors();
}

TEST(DateSources, ParametersAreWholeNumbers) {
    EXPECT_EQ(SourceParamToInt("12"), 12);
    EXPECT_EQ(SourceParamToInt(" -3 "), -3);
    EXPECT_EQ(SourceParamToInt("+7"), 7);
    for (const char* text : {"", " ", "1x", "x1", "1 2", "--1", "+-1", "2147483648", "0x10"})
        EXPECT_THROW(SourceParamToInt(text), EDataSourceError) << text;
}

class Descriptions : public SmallBudget {};

TEST_F(Descriptions, FillTheDayAndTheMonthDecrementIntoTheTemplates) {
    {
        std::ofstream file(shell.state.LangPath + "Choice.lng", std::ios::trunc);
        file << "[SubDateStr]\nSubDateStr7=Day [Day] of [MonthDecr] back, day [Day] again\n"
                "[PaySubSourceStr]\nSubSourceStr2=Reading on [Day]/[MonthDecr]: [Day]\n";
    }
    EXPECT_EQ(DescribeSubDate(7, "5", "2"), "Day 5 of 2 back, day 5 again");
    EXPECT_EQ(DescribeSubSource(2, "[Day]", "[MonthDecr]"),
              "Reading on [Day]/[MonthDecr]: [Day]");  // one pass: no endless replacing
    EXPECT_EQ(DescribeSubSource(3, "1", "0"), "");
    EXPECT_EQ(DescribeSubDate(1, "1", "0"), "");
}

TEST_F(Descriptions, ComeForEverySubSourceFromTheLanguageModule) {
    for (int n = 1; n <= 26; ++n) EXPECT_NE(DescribeSubSource(n, "5", "1"), "") << n;
    for (int n = 1; n <= 7; ++n) EXPECT_NE(DescribeSubDate(n, "5", "1"), "") << n;
    EXPECT_EQ(DescribeSubDate(7, "31", "2").find('['), std::string::npos);
}

namespace {

constexpr int kElectricity = 4;  // charges, payments and readings in March 2024
constexpr int kWater = 7;        // balances 5, -3 and -8 in June 2024
constexpr int kGas = 19;         // negative balances only
constexpr int kEmpty = 20;       // no events

TDateTime March(int day) {
    return EncodeDate(2024, 3, day);
}

struct TPayCase {
    int pay;
    int subSource;
    TDateTime date;
    const char* param1;
    const char* param2;
    const char* expected;  // "," stands for the user's separator in sums
};

}  // namespace

class PaySources : public SmallBudget {
protected:
    PaySources() {
        AddEvent(kElectricity, EncodeDate(2024, 2, 28), "CN", "1200");
        AddEvent(kElectricity, March(5), "CH", "10", "-10", 3);
        AddEvent(kElectricity, March(15), "CN", "1234,5");
        AddEvent(kElectricity, March(20), "CH", "7,5");  // its balance not computed yet
        AddEvent(kElectricity, March(31), "PY", "5.0", "-12,5");
        AddEvent(kWater, EncodeDate(2024, 6, 1), "CH", "1", "5");
        AddEvent(kWater, EncodeDate(2024, 6, 4), "CH", "8", "-3");
        AddEvent(kWater, EncodeDate(2024, 6, 4), "CN", "17");  // readings have no balance
        AddEvent(kWater, EncodeDate(2024, 6, 9), "CH", "5", "-8");
        AddEvent(kGas, EncodeDate(2023, 2, 28), "CH", "1", "-1");
        AddEvent(kGas, EncodeDate(2023, 3, 1), "CH", "1", "-2");
        AddEvent(kElectricity + 100, March(10), "CH", "99", "-99");  // another pay
    }
};

TEST_F(PaySources, GiveEachSubSourceOfTheHistory) {
    const TPayCase cases[] = {
        // last counter reading up to the day, or up to the shifted day
        {kElectricity, 1, March(10), "", "", "1200"},
        {kElectricity, 1, March(15), "", "", "1234,5"},
        {kElectricity, 1, EncodeDate(2024, 2, 27), "", "", "0"},
        {kElectricity, 2, EncodeDate(2024, 4, 10), "31", "1", "1234,5"},
        {kElectricity, 2, March(31), "1", "0", "1200"},
        // last charge as stored, and sums with the user's separator
        {kElectricity, 3, March(31), "", "", "7,5"},
        {kElectricity, 3, March(10), "", "", "10"},
        {kElectricity, 4, March(31), "10", "0", "10"},
        {kElectricity, 5, March(31), "", "", "17,5"},
        {kElectricity, 5, March(10), "", "", "10"},
        {kElectricity, 5, March(4) + 0.99, "", "", "0"},
        {kElectricity, 6, EncodeDate(2024, 4, 2), "19", "1", "10"},
        // a payment on the day itself counts up to that day
        {kElectricity, 7, March(31) + 0.25, "", "", "5.0"},
        {kElectricity, 7, March(30), "", "", "0"},
        {kElectricity, 8, EncodeDate(2024, 4, 30), "31", "1", "5.0"},
        {kElectricity, 9, March(31), "", "", "5"},
        {kElectricity, 10, March(31), "30", "0", "0"},
        // balance: the last computed one
        {kElectricity, 11, March(25), "", "", "-10"},
        {kElectricity, 11, March(31), "", "", "-12,5"},
        {kElectricity, 11, March(1), "", "", "0"},
        {kElectricity, 12, EncodeDate(2024, 4, 30), "31", "1", "-12,5"},
        {kElectricity, 14, EncodeDate(2024, 4, 30), "31", "1", "-12,5"},
        {kGas, 12, EncodeDate(2023, 3, 30), "31", "1", "-1"},
        {kGas, 14, EncodeDate(2023, 3, 30), "31", "1", "-1"},
        // days since the balance took its sign: from the last row of the previous sign
        {kWater, 13, EncodeDate(2024, 6, 12), "", "", "11"},
        {kWater, 13, EncodeDate(2024, 6, 4), "", "", "3"},
        {kWater, 13, EncodeDate(2024, 6, 1), "", "", "-1"},
        {kGas, 13, EncodeDate(2024, 6, 1), "", "", "-1"},
        {kEmpty, 13, EncodeDate(2024, 6, 1), "", "", "-1"},
        // the charges and payments of the month
        {kElectricity, 15, March(31), "", "0", "2"},
        {kElectricity, 16, March(31), "", "0", "5"},
        {kElectricity, 17, March(31), "", "0", "10"},
        {kElectricity, 18, March(31), "", "0", "1"},
        {kElectricity, 19, March(31), "", "0", "20"},
        {kElectricity, 20, March(31), "", "0", "7,5"},
        {kElectricity, 21, March(31), "", "0", "0"},
        {kElectricity, 22, March(1), "", "0", "1"},  // the whole month, also after the date
        {kElectricity, 23, March(1), "", "0", "31"},
        {kElectricity, 24, March(1), "", "0", "5.0"},
        {kElectricity, 25, March(1), "", "0", "31"},
        {kElectricity, 26, March(1), "", "0", "5.0"},
        {kElectricity, 15, EncodeDate(2024, 4, 15), "", "1", "2"},
        {kElectricity, 17, EncodeDate(2024, 4, 15), "", "1", "10"},
        // a month without charges
        {kElectricity, 15, EncodeDate(2024, 2, 15), "", "0", "0"},
        {kElectricity, 16, EncodeDate(2024, 2, 15), "", "0", "0"},
        {kElectricity, 17, EncodeDate(2024, 2, 15), "", "0", "0"},
        {kElectricity, 18, EncodeDate(2024, 2, 15), "", "0", "-1"},
        {kElectricity, 21, EncodeDate(2024, 2, 15), "", "0", "-1"},
        {kEmpty, 24, EncodeDate(2024, 2, 15), "", "0", "0"},
        // Param2 1 on 15 January 2024 reads December 2023
        {kGas, 15, EncodeDate(2024, 1, 15), "", "1", "0"},
        {kGas, 15, EncodeDate(2023, 4, 15), "", "1", "1"},
        {kGas, 19, EncodeDate(2023, 4, 15), "", "1", "1"},
        // what the pay does not have
        {kEmpty, 1, March(31), "", "", "0"},
        {kEmpty, 5, March(31), "", "", "0"},
        {kEmpty, 11, March(31), "", "", "0"},
        {kElectricity, 0, March(31), "", "", "keep"},
        {kElectricity, 27, March(31), "", "", "keep"},
    };
    for (const TPayCase& c : cases) {
        SCOPED_TRACE("pay " + std::to_string(c.pay) + " sub-source " + std::to_string(c.subSource) +
                     " on " + DateToStr(c.date) + " with " + c.param1 + "/" + c.param2);
        const std::string expected =
            c.subSource == 5 || c.subSource == 6 || c.subSource == 9 || c.subSource == 10
                ? Decimal(c.expected)
                : c.expected;
        EXPECT_EQ(Fetch(Source(kSourcePay, c.pay, c.subSource, c.date, c.param1, c.param2)),
                  expected);
    }
    EXPECT_FALSE(ErrWatch().HasErrors);
}

TEST_F(PaySources, ReadersAnswerForAnyDay) {
    EXPECT_EQ(GetPayBalanceAt(kWater, EncodeDate(2024, 6, 4)), "-3");
    EXPECT_EQ(GetPayBalanceAt(kWater, EncodeDate(2024, 5, 31)), "0");
    EXPECT_EQ(DaysSinceSignChange(kWater, EncodeDate(2024, 6, 10) + 0.9), 9);
    EXPECT_EQ(CountMonthEvents(kElectricity, 0, March(1), "CH"), "2");
    EXPECT_EQ(GetMonthEventValue(kElectricity, 0, March(1), "CH", 't', 'f'), "1");
    EXPECT_EQ(GetChargeSum(kWater, EncodeDate(2024, 6, 30)), "14");
}

// A stored amount that is no number makes the datum "0" with an error of the action; a
// parameter of a pay's sub-source likewise.
TEST_F(PaySources, AnUnreadableAmountOrParameterGivesZeroAndAnErrorOfTheAction) {
    AddEvent(kEmpty, March(3), "CH", "1,2,3", "-1");
    struct TCase {
        int subSource;
        const char* param1;
        const char* param2;
        const char* detail;
    };
    const TCase cases[] = {
        {5, "", "", "I001: 1,2,3"}, {6, "x", "0", "I001: x"},    {14, "1", "one", "I001: one"},
        {20, "", "?", "I001: ?"},   {12, "0", "0", "I001: 0 0"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.subSource);
        ResetGlobalErrors();
        ExtData datum = Source(kSourcePay, kEmpty, c.subSource, March(31), c.param1, c.param2);
        GetExtDataValue(datum, "Electricity charge");
        EXPECT_EQ(datum.DataStr, "0");
        ASSERT_EQ(ErrWatch().Errors.size(), 1u);
        EXPECT_EQ(ErrWatch().Errors[0].ErrCode, kErrDatumNotObtained);
        EXPECT_EQ(ErrWatch().Errors[0].NameAlg, "Electricity charge");
        EXPECT_EQ(ErrWatch().Errors[0].Text, c.detail);
    }
    // Values taken as stored are not read as numbers.
    ResetGlobalErrors();
    EXPECT_EQ(Fetch(Source(kSourcePay, kEmpty, 3, March(31))), "1,2,3");
    EXPECT_FALSE(ErrWatch().HasErrors);
    EXPECT_THROW(GetChargeSum(kEmpty, March(31)), EDataSourceError);
}
