// The calendar: one auto charge's schedule expanded into entries, and the rebuild from a day of
// the active charges and the manual charges and payments.
#include <functional>

#include "pays/PayBudget.h"

namespace {

class CalendarBuild : public PayBudget {
protected:
    CalendarBuild() { AddPay(1, "Flat"); }
};

struct TExpandCase {
    const char* what;
    std::function<void(Schedule&)> schedule;  // changes the default by-month schedule
    TDateTime start, end;
    std::vector<TDateTime> days;
};

}  // namespace

TEST_F(CalendarBuild, ExpandScheduleTakesTheDaysOfItsScheduleWithinThePeriod) {
    const auto monthsOn = [](int day) {
        return [day](Schedule& s) {
            for (ScheduleMonth& month : s.Months) month = {true, day, false};
        };
    };
    const auto februaryLast = [](Schedule& s) {
        for (ScheduleMonth& month : s.Months) month.On = false;
        s.Months[1] = {true, 32, true};
    };
    const auto weekly = [](const char* days) {
        return [days](Schedule& s) {
            s.Periodicity = 'W';
            DecodeWeekDays(days, s);
        };
    };
    const auto unitary = [](TDateTime date) {
        return [date](Schedule& s) {
            s.Periodicity = 'U';
            s.UnitaryDate = date;
        };
    };
    const TExpandCase cases[] = {
        {"February's last day in a leap year", februaryLast, Day(1, 1), Day(12, 31), {Day(2, 29)}},
        {"February's last day in a common year",
         februaryLast,
         Day(1, 1, 2023),
         Day(12, 31, 2023),
         {Day(2, 28, 2023)}},
        {"day 29 in a common year",
         monthsOn(29),
         Day(1, 1, 2023),
         Day(3, 31, 2023),
         {Day(1, 29, 2023), Day(3, 29, 2023)}},
        {"day 29 in a leap year", monthsOn(29), Day(2, 1), Day(2, 29), {Day(2, 29)}},
        {"day 31: only the months that have it",
         monthsOn(31),
         Day(1, 1),
         Day(5, 31),
         {Day(1, 31), Day(3, 31), Day(5, 31)}},
        {"day 32: February's last day, no day in other months",
         monthsOn(32),
         Day(1, 1),
         Day(12, 31),
         {Day(2, 29)}},
        {"both ends of the period count",
         monthsOn(15),
         Day(1, 15),
         Day(3, 15),
         {Day(1, 15), Day(2, 15), Day(3, 15)}},
        {"Mondays only",
         weekly("YNNNNNN"),
         Day(1, 1),
         Day(1, 21),
         {Day(1, 1), Day(1, 8), Day(1, 15)}},
        {"weekends", weekly("NNNNNYY"), Day(1, 1), Day(1, 8), {Day(1, 6), Day(1, 7)}},
        {"unitary inside", unitary(Day(3, 3)), Day(3, 1), Day(3, 31), {Day(3, 3)}},
        {"unitary before the period", unitary(Day(2, 28)), Day(3, 1), Day(3, 31), {}},
        {"unitary after the period", unitary(Day(4, 1)), Day(3, 1), Day(3, 31), {}},
        {"unknown periodicity",
         [](Schedule& s) { s.Periodicity = 'X'; },
         Day(1, 1),
         Day(12, 31),
         {}},
        {"end before start", monthsOn(15), Day(3, 1), Day(1, 1), {}},
    };
    for (const TExpandCase& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteCalendarFrom(0);
        Schedule schedule;
        SetDefaultSchedule(schedule);
        c.schedule(schedule);
        const int id = SaveSchedule(schedule);
        EXPECT_EQ(ExpandSchedule(1, id, "Rent", c.start, c.end), static_cast<int>(c.days.size()));
        EXPECT_EQ(CalendarDays(), c.days);
    }
}

TEST_F(CalendarBuild, AnEntryCarriesThePayTheScheduleTheNameAndTheDescription) {
    const int id = AddSchedule('M', 7);
    ExpandSchedule(1, id, "Rent", Day(1, 1), Day(1, 31));
    TBudgetTable calendar(tbl::Calendar);
    ASSERT_EQ(calendar.RecordCount(), 1);
    EXPECT_EQ(calendar.FieldByName(fld::Date).AsDateTime(), Day(1, 15));
    EXPECT_EQ(calendar.FieldByName(fld::Deleting).AsInteger(), 1);
    EXPECT_EQ(calendar.FieldByName(fld::Priority).AsInteger(), 7);
    EXPECT_EQ(calendar.FieldByName(fld::IDObject).AsInteger(), 1);
    EXPECT_EQ(calendar.FieldByName(fld::IDSchedule).AsInteger(), id);
    EXPECT_EQ(calendar.FieldByName(fld::NameCharge).AsString(), "Rent");
    Schedule schedule;
    LoadSchedule(id, schedule);
    EXPECT_EQ(calendar.FieldByName(fld::StrSchedule).AsString(), DescribeSchedule(schedule));
    EXPECT_FALSE(DescribeSchedule(schedule).empty());
}

TEST_F(CalendarBuild, StoredSchedulesThatMakeNoSenseAddNothingOrKeepTheirPriorityInRange) {
    // Rows as an import may bring them.
    const auto addStored = [](int id, const char* periodicity, const char* months,
                              const char* weekDays, int priority) {
        AddRow(tbl::Schedules, {{"ID", id},
                                {"Periodicity", periodicity},
                                {"MonthesDays", months},
                                {"WeekDays", weekDays},
                                {"Priority", priority}});
    };
    addStored(1, "M", "Y1", "", 5);  // January on a day cut short
    addStored(2, "M", "", "", 5);
    addStored(3, "W", "", "", 5);
    addStored(4, "W", "", "YY", 5);  // Mondays and Tuesdays
    addStored(5, "", "Y15Y15", "YYYYYYY", 5);
    addStored(6, "U", "", "", 5);  // the unitary date is day 0
    for (int id = 1; id <= 6; ++id) ExpandSchedule(1, id, "Bad", Day(1, 1), Day(1, 31));
    EXPECT_EQ(CalendarDays(),
              (std::vector<TDateTime>{Day(1, 1), Day(1, 2), Day(1, 8), Day(1, 9), Day(1, 15),
                                      Day(1, 16), Day(1, 22), Day(1, 23), Day(1, 29), Day(1, 30)}));
    EXPECT_EQ(ExpandSchedule(1, 99, "Gone", Day(1, 1), Day(12, 31)), 0);  // not stored

    DeleteCalendarFrom(0);
    addStored(7, "M", "Y15", "", 0);
    addStored(8, "M", "Y15", "", 11);
    ExpandSchedule(1, 7, "Low", Day(1, 1), Day(1, 31));
    ExpandSchedule(1, 8, "High", Day(1, 1), Day(1, 31));
    EXPECT_EQ(Calendar(), (std::vector<std::string>{DateToStr(Day(1, 15)) + " 1 1 7 Low",
                                                    DateToStr(Day(1, 15)) + " 10 1 8 High"}));
}

struct TRebuildCase {
    const char* what;
    TCharge charge;  // its IDSchedule is set to a by-month schedule on day 15
    std::vector<TDateTime> days;
};

TEST_F(CalendarBuild, TheRebuildExpandsEachActiveChargeWithinItsOwnDatesAndThePeriod) {
    const TDateTime from = Day(2, 1), to = Day(5, 31);
    TCharge limited;
    limited.RestrictTime = "L";
    limited.DateEnd = Day(3, 31);
    TCharge unlimitedEnded = limited;
    unlimitedEnded.RestrictTime = "U";
    unlimitedEnded.DateEnd = Day(1, 31);
    TCharge endsLater = limited;
    endsLater.DateEnd = Day(12, 31);
    TCharge beginsLate;
    beginsLate.DateBegin = Day(4, 1);
    TCharge beginsAfter;
    beginsAfter.DateBegin = Day(6, 1);
    TCharge passive;
    passive.Activity = "P";
    TCharge noBeginning;
    noBeginning.DateBegin = 0;
    TCharge endBeforeBeginning = limited;
    endBeforeBeginning.DateBegin = Day(4, 1);
    const std::vector<TDateTime> all{Day(2, 15), Day(3, 15), Day(4, 15), Day(5, 15)};
    const TRebuildCase cases[] = {
        {"unlimited, from before the period", TCharge{}, all},
        {"limited: stops at its end", limited, {Day(2, 15), Day(3, 15)}},
        {"limited: ends after the period", endsLater, all},
        {"unlimited with an end before the period", unlimitedEnded, all},
        {"begins within the period", beginsLate, {Day(4, 15), Day(5, 15)}},
        {"begins after the period", beginsAfter, {}},
        {"passive", passive, {}},
        {"no beginning date", noBeginning, {}},
        {"limited, ending before it begins", endBeforeBeginning, {}},
    };
    for (const TRebuildCase& c : cases) {
        SCOPED_TRACE(c.what);
        ClearRows(dm.TableAutoCharges, {});
        TCharge charge = c.charge;
        charge.IDSchedule = AddSchedule();
        AddCharge(charge);
        RebuildCalendarEntries(from, to);
        EXPECT_EQ(CalendarDays(), c.days);
    }
}

TEST_F(CalendarBuild, ManualChargesAndPaymentsGetEntriesBeforeTheAutomaticChargesOfTheirDay) {
    AddPay(2, "Power");
    TCharge rent;
    rent.IDSchedule = AddSchedule('M', 3);
    AddCharge(rent);
    AddManual(1, Day(1, 15), "PY", "5", 2);
    AddManual(1, Day(1, 15), "CH", "7", 1);
    AddManual(2, Day(1, 20), "PY", "5");
    AddEvent(1, Day(1, 16), "CN", "100");           // a counter reading: no entry
    AddEvent(1, Day(1, 17), "CH", "10", "-10", 4);  // an automatic charge: no entry
    AddManual(1, Day(2, 1), "CH", "1");             // after the period
    RebuildCalendarEntries(Day(1, 1), Day(1, 31));
    const std::string day15 = DateToStr(Day(1, 15)) + " ";
    EXPECT_EQ(Calendar(), (std::vector<std::string>{
                              day15 + "-8999 1 0 Manual charge", day15 + "-8998 1 0 Payment",
                              day15 + "3 1 " + std::to_string(rent.IDSchedule) + " Rent",
                              DateToStr(Day(1, 20)) + " -8999 2 0 Payment"}));
    TBudgetTable manual(tbl::Calendar, false, Where(fld::Priority) < 0);
    EXPECT_EQ(manual.FieldByName(fld::StrSchedule).AsString(), "-");
}

TEST_F(CalendarBuild, ARebuildReplacesTheCalendarFromItsFirstDayAndEndsAtItsLastDay) {
    TCharge once;
    once.IDSchedule = AddSchedule('U', 5, Day(3, 10));
    AddCharge(once);
    TCharge monthly;
    monthly.IDSchedule = AddSchedule();
    AddCharge(monthly);
    RebuildCalendarEntries(0, Day(6, 30));
    RebuildCalendarEntries(Day(3, 1), Day(4, 30));
    EXPECT_EQ(CalendarDays(),
              (std::vector<TDateTime>{Day(1, 15), Day(2, 15), Day(3, 10), Day(3, 15), Day(4, 15)}));
    // Again from the same day: the unitary charge still has exactly one entry.
    RebuildCalendarEntries(Day(3, 1), Day(4, 30));
    EXPECT_EQ(CalendarDays().size(), 5u);
    // An end before the start: the entries from the start on go, none come.
    RebuildCalendarEntries(Day(2, 1), Day(1, 1));
    EXPECT_EQ(CalendarDays(), (std::vector<TDateTime>{Day(1, 15)}));
}

TEST_F(CalendarBuild, AnEventFarAheadExtendsTheCalendarMonthByMonth) {
    TCharge monthly;
    monthly.IDSchedule = AddSchedule();
    AddCharge(monthly);
    AddManual(1, Day(1, 1, 2110), "PY", "5");
    RebuildCalendarEntries(0, Day(1, 6, 2110));
    const std::vector<TDateTime> days = CalendarDays();
    ASSERT_EQ(days.size(), 86u * 12 + 1);
    EXPECT_EQ(days.front(), Day(1, 15));
    EXPECT_EQ(days[days.size() - 2], Day(12, 15, 2109));
    EXPECT_EQ(days.back(), Day(1, 1, 2110));
}

TEST_F(CalendarBuild, ARebuildThatFailsLeavesTheCalendarAsItWas) {
    TCharge monthly;
    monthly.IDSchedule = AddSchedule();
    AddCharge(monthly);
    RebuildCalendarEntries(0, Day(3, 31));
    const std::vector<std::string> before = Calendar();
    ASSERT_EQ(before.size(), 3u);
    // The schedules cannot be read once the old entries are deleted.
    TDatabase::Get(budget)->Execute("DROP TABLE Schedules");
    EXPECT_THROW(RebuildCalendarEntries(0, Day(6, 30)), EDatabaseError);
    EXPECT_EQ(Calendar(), before);
}
