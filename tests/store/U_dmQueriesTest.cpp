// The data module's date queries with their bounds at today, and a pay's filter and direction.
#include "common/OpenBudget.h"

namespace {

class Queries : public OpenBudget {
protected:
    void AddPay(int id) {
        AddRow("Objects.db", {{"ID", id}, {"IDParent", 0}, {"Type", 60}, {"Image", 24}});
    }
    void AddEvent(int pay, TDateTime day, const char* type, int idCharge = 0) {
        AddRow("PayHistory.db",
               {{"ID", pay}, {"DateEvent", day}, {"TypeEvent", type}, {"IDCharge", idCharge}});
    }
    const TDateTime today = Today();
};

}  // namespace

TEST_F(Queries, WithoutPaysOrCalendarEveryDateIsToday) {
    EXPECT_EQ(dm.FirstCalendarDate(), today);
    EXPECT_EQ(dm.EarliestPayEventDate(), today);
    EXPECT_EQ(dm.LatestPayEventDate(), today);
    EXPECT_EQ(dm.LatestManualPayEventDate(), today);
    AddPay(61);  // a pay without events changes nothing
    EXPECT_EQ(dm.EarliestPayEventDate(), today);
    EXPECT_EQ(dm.LatestPayEventDate(), today);
}

TEST_F(Queries, TheCalendarStartsOnItsFirstDayEvenInTheFuture) {
    AddRow("Calendar.db", {{"Date", today + 9}, {"Priority", 1}});
    AddRow("Calendar.db", {{"Date", today + 3}, {"Priority", 1}});
    EXPECT_EQ(dm.FirstCalendarDate(), today + 3);
}

TEST_F(Queries, TheEarliestAndLatestEventsAreBoundedByToday) {
    AddPay(61);
    AddPay(62);
    AddRow("Objects.db", {{"ID", 63}, {"Type", 50}});  // not a pay: its rows do not count
    AddEvent(61, today - 20, "CN");
    AddEvent(61, today + 1, "PY");
    AddEvent(62, today - 5, "CH");
    AddEvent(62, today + 40, "CH", 3);
    AddEvent(63, today - 100, "CH");
    EXPECT_EQ(dm.EarliestPayEventDate(), today - 20);
    EXPECT_EQ(dm.LatestPayEventDate(), today + 40);
    // The manual events only: the automatic charge of day +40 and the counter reading are left
    // out.
    EXPECT_EQ(dm.LatestManualPayEventDate(), today + 1);
}

TEST_F(Queries, EventsThatStayOnOneSideOfTodayLeaveTodayOnTheOther) {
    AddPay(61);
    AddEvent(61, today, "CH");
    AddEvent(61, today + 2, "CH", 1);
    EXPECT_EQ(dm.EarliestPayEventDate(), today);
    EXPECT_EQ(dm.LatestManualPayEventDate(), today);
    AddEvent(61, today - 2, "CN");
    EXPECT_EQ(dm.LatestManualPayEventDate(), today);
    EXPECT_EQ(dm.EarliestPayEventDate(), today - 2);
}

TEST_F(Queries, APaysFilterIsWrittenAndReadBack) {
    AddRow("Pays.db", {{"ID", 61}, {"FilterMode", "011110000000000"}});
    PayFilterInfo filter;
    filter.FilterOn = true;
    filter.ShowManualCharges = true;
    filter.UseDateTo = true;
    filter.DateFrom = EncodeDate(2024, 1, 1);
    filter.DateTo = EncodeDate(2024, 12, 31);
    dm.WritePayFilter(61, filter);
    EXPECT_EQ(Column("Pays.db", "FilterMode"), std::vector<TFieldValue>{"100100100000000"});
    EXPECT_EQ(dm.ReadPayFilter(61), filter);

    const struct {
        const char* mode;
        PayFilterInfo read;
    } modes[] = {
        {"100000000000000", {true, false, false, false, false, false, 0, false, 0}},
        {"0x0a0Z1", {false, true, false, true, false, true, 0, true, 0}},
        // Cut short: the missing characters take the defaults (kinds on, no bounds).
        {"11", {true, true, true, true, true, false, 0, false, 0}},
        {"", {false, true, true, true, true, false, 0, false, 0}},
        {"0000000", {false, false, false, false, false, false, 0, false, 0}},
    };
    for (const auto& m : modes) {
        TBudgetTable pays("Pays.db", true);
        ASSERT_TRUE(pays.Locate("ID", {61}));
        pays.Edit();
        pays.FieldByName("FilterMode").SetAsString(m.mode);
        pays.FieldByName("FilterDateFrom").SetAsDateTime(0);
        pays.FieldByName("FilterDateTo").SetAsDateTime(0);
        pays.Post();
        EXPECT_EQ(dm.ReadPayFilter(61), m.read) << m.mode;
    }

    // A pay without a row: the defaults, and nothing is written.
    const PayFilterInfo defaults = dm.DefaultPayFilter();
    EXPECT_EQ(defaults, (PayFilterInfo{false, true, true, true, true, false, today, false, today}));
    EXPECT_EQ(dm.ReadPayFilter(62), defaults);
    dm.WritePayFilter(62, filter);
    EXPECT_EQ(CountRows("Pays.db"), 1);
}

TEST_F(Queries, APaysDirectionSetsItsIconWhateverFilterTheTreeTableHolds) {
    AddPay(61);
    AddPay(62);
    AddRow("Pays.db", {{"ID", 61}, {"Direction", "O"}});
    dm.TableObjects.SetFilter(Where("ID") == 9);
    dm.TableObjects.SetFiltered(true);

    const std::pair<char, int> directions[] = {{'I', 26}, {'O', 24}, {'N', 28}, {'x', 28}};
    for (const auto& [direction, icon] : directions) {
        dm.SetPayDirection(61, direction);
        EXPECT_EQ(dm.GetPayDirection(61), direction);
        EXPECT_EQ(Column("Objects.db", "Image", Where("ID") == 61), std::vector<TFieldValue>{icon});
    }
    EXPECT_EQ(dm.TableObjects.Filter(), Where("ID") == 9);
    EXPECT_TRUE(dm.TableObjects.Filtered());

    // Without a Pays.db row neither the direction nor the icon changes.
    dm.SetPayDirection(62, 'I');
    EXPECT_EQ(dm.GetPayDirection(62), 'N');
    EXPECT_EQ(Column("Objects.db", "Image", Where("ID") == 62), std::vector<TFieldValue>{24});
    EXPECT_EQ(CountRows("Pays.db"), 1);
}
