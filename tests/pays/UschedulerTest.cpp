// Schedules: the texts they are stored in, their descriptions in the language's words, and
// the schedule store of the open budget.
#include <filesystem>
#include <fstream>

#include "common/OpenBudget.h"
#include "pays/Uscheduler.h"

namespace {

Schedule ByMonth(int day) {
    Schedule schedule;
    SetDefaultSchedule(schedule);
    schedule.Priority = 3;
    for (ScheduleMonth& month : schedule.Months) month.Day = day;
    return schedule;
}

Schedule ByWeek(std::string_view days) {
    Schedule schedule = ByMonth(1);
    schedule.Periodicity = 'W';
    DecodeWeekDays(days, schedule);
    return schedule;
}

void FebruaryLastDay(Schedule& schedule, int day = 30) {
    schedule.Months[1].Day = day;
    schedule.Months[1].LastDay = true;
}

class Schedules : public OpenBudget {
protected:
    // Texts that show which key was used.
    void UseMarkedTexts() {
        shell.state.LangPath = folders.Root() + "/marked/";
        std::filesystem::create_directories(shell.state.LangPath);
        std::ofstream(shell.state.LangPath + "Schedule.lng")
            << "[Schedule]\nCheckBoxD1=Mo\nCheckBoxD2=Tu\nCheckBoxD3=We\nCheckBoxD4=Th\n"
               "CheckBoxD5=Fr\nCheckBoxD6=Sa\nCheckBoxD7=Su\n"
               "[ScheduleStr]\nUnitaryStr=on [date] and [date]\nEmptyScheduleStr=never\n"
               "MonthStr=months:\nEachMmonthOnOneStr=day [NDay] ([NDay])\nEachDaysStr=daily\n"
               "LastDayStr=last\nPriorityStr=p[prty]\n";
    }
};

}  // namespace

TEST(ScheduleTexts, MonthsAndWeekdaysAreStoredAsTextsAndReadBack) {
    Schedule schedule = ByMonth(15);
    schedule.Months[0].On = false;
    schedule.Months[11].Day = 1;
    FebruaryLastDay(schedule);
    schedule.WeekDays = {true, false, true, false, false, false, true};
    EXPECT_EQ(EncodeMonthesDays(schedule), "N15Y32Y15Y15Y15Y15Y15Y15Y15Y15Y15Y01");
    EXPECT_EQ(EncodeWeekDays(schedule), "YNYNNNY");
    schedule.Months[1].On = false;
    EXPECT_EQ(EncodeMonthesDays(schedule).substr(3, 3), "N32");

    Schedule read;
    DecodeMonthesDays(EncodeMonthesDays(schedule), read);
    DecodeWeekDays(EncodeWeekDays(schedule), read);
    EXPECT_FALSE(read.Months[0].On);
    EXPECT_EQ(read.Months[0].Day, 15);
    EXPECT_FALSE(read.Months[1].On);
    EXPECT_EQ(read.Months[1].Day, 32);  // February's last day reads back as 32
    EXPECT_TRUE(read.Months[1].LastDay);
    EXPECT_EQ(read.Months[11].Day, 1);
    EXPECT_FALSE(read.Months[11].LastDay);
    EXPECT_EQ(read.WeekDays, schedule.WeekDays);

    // What a shorter text lacks reads as off; a day cut to one digit is no day.
    DecodeMonthesDays("Y07Y1", read);
    DecodeWeekDays("Y", read);
    EXPECT_TRUE(read.Months[0].On && read.Months[0].Day == 7);
    EXPECT_TRUE(read.Months[1].On);
    EXPECT_EQ(read.Months[1].Day, 0);
    EXPECT_FALSE(read.Months[2].On);
    EXPECT_EQ(EncodeWeekDays(read), "YNNNNNN");
}

TEST(ScheduleTexts, ANewScheduleFallsOnTheFirstOfEveryMonth) {
    Schedule schedule;
    schedule.ID = 9;
    SetDefaultSchedule(schedule);
    EXPECT_EQ(schedule.ID, 0);
    EXPECT_EQ(schedule.Periodicity, 'M');
    EXPECT_EQ(schedule.UnitaryDate, Today());
    EXPECT_EQ(EncodeMonthesDays(schedule), "Y01Y01Y01Y01Y01Y01Y01Y01Y01Y01Y01Y01");
    EXPECT_EQ(EncodeWeekDays(schedule), "YYYYYYY");
    EXPECT_EQ(schedule.Priority, 5);
}

TEST_F(Schedules, DescriptionsNameTheDaysInTheLanguagesWords) {
    UseMarkedTexts();
    Schedule unitary = ByMonth(1);
    unitary.Periodicity = 'U';
    unitary.UnitaryDate = EncodeDate(2024, 2, 29);
    Schedule everyFifteenth = ByMonth(15);
    Schedule februaryLast = ByMonth(15);
    FebruaryLastDay(februaryLast);
    Schedule januaryAndMarch = ByMonth(5);
    for (size_t i = 0; i < 12; ++i) januaryAndMarch.Months[i].On = i == 0 || i == 2;
    Schedule elevenMonths = ByMonth(10);
    elevenMonths.Months[6].On = false;
    Schedule otherDay = ByMonth(10);
    otherDay.Months[4].Day = 11;
    Schedule noMonth = ByMonth(1);
    for (ScheduleMonth& month : noMonth.Months) month.On = false;
    Schedule unknown = ByMonth(1);
    unknown.Periodicity = 'X';

    const std::string date = DateToStr(unitary.UnitaryDate);
    const struct {
        const char* what;
        Schedule schedule;
        std::string description;
    } cases[] = {
        {"unitary", unitary, "on " + date + " and " + date + ", p3"},
        {"every month on one day", everyFifteenth, "day 15 (15), p3"},
        {"February on its last day", februaryLast,
         "months: 01.15, 02.last, 03.15, 04.15, 05.15, 06.15, 07.15, 08.15, 09.15, 10.15, "
         "11.15, 12.15, p3"},
        {"two months", januaryAndMarch, "months: 01.05, 03.05, p3"},
        {"eleven months on one day", elevenMonths,
         "months: 01.10, 02.10, 03.10, 04.10, 05.10, 06.10, 08.10, 09.10, 10.10, 11.10, 12.10, "
         "p3"},
        {"one month on another day", otherDay,
         "months: 01.10, 02.10, 03.10, 04.10, 05.11, 06.10, 07.10, 08.10, 09.10, 10.10, 11.10, "
         "12.10, p3"},
        {"no month", noMonth, "never, p3"},
        {"some weekdays", ByWeek("YNYNNNY"), "Mo, We, Su, p3"},
        {"every weekday", ByWeek("YYYYYYY"), "daily, p3"},
        {"no weekday", ByWeek("NNNNNNN"), "never, p3"},
        {"unknown periodicity", unknown, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(DescribeSchedule(c.schedule), c.description) << c.what;
}

TEST_F(Schedules, DescriptionsInEnglishAndWithoutALanguageFile) {
    Schedule schedule = ByMonth(15);
    EXPECT_EQ(DescribeSchedule(schedule), "Every month on day 15, priority 3");
    EXPECT_EQ(DescribeSchedule(ByWeek("NNNNNYY")), "Saturday, Sunday, priority 3");

    shell.state.LangPath = folders.Root() + "/no language/";
    EXPECT_EQ(DescribeSchedule(schedule), ", ");
}

TEST_F(Schedules, TheStoreKeepsEveryScheduleUnderAnIdOfItsOwn) {
    EXPECT_EQ(NextScheduleId(), 1);
    Schedule first = ByWeek("YNNNNNN");
    first.UnitaryDate = EncodeDate(2024, 5, 6);
    EXPECT_EQ(SaveSchedule(first), 1);  // ID 0: the next free one
    EXPECT_EQ(first.ID, 0);             // the record is not changed

    Schedule seventh = ByMonth(20);
    FebruaryLastDay(seventh);
    seventh.ID = 7;
    EXPECT_EQ(SaveSchedule(seventh), 7);
    EXPECT_EQ(NextScheduleId(), 8);

    // An ID that names a stored schedule is never written a second time.
    Schedule again = ByWeek("NNNNNNY");
    again.ID = 7;
    EXPECT_EQ(SaveSchedule(again), 8);
    EXPECT_EQ(Column("Schedules.db", "ID"), (std::vector<TFieldValue>{1, 7, 8}));

    Schedule loaded;
    ASSERT_EQ(LoadSchedule(7, loaded), 1);
    EXPECT_EQ(loaded.ID, 7);
    EXPECT_EQ(loaded.Periodicity, 'M');
    EXPECT_EQ(EncodeMonthesDays(loaded), EncodeMonthesDays(seventh));
    EXPECT_EQ(loaded.Months[1].Day, 32);
    EXPECT_EQ(loaded.Priority, 3);
    ASSERT_EQ(LoadSchedule(1, loaded), 1);
    EXPECT_EQ(loaded.Periodicity, 'W');
    EXPECT_EQ(loaded.UnitaryDate, first.UnitaryDate);
    EXPECT_EQ(EncodeWeekDays(loaded), "YNNNNNN");

    Schedule untouched = ByMonth(4);
    EXPECT_EQ(LoadSchedule(99, untouched), 0);
    EXPECT_EQ(EncodeMonthesDays(untouched), EncodeMonthesDays(ByMonth(4)));

    EXPECT_TRUE(DeleteSchedule(7));
    EXPECT_FALSE(DeleteSchedule(7));
    EXPECT_EQ(Column("Schedules.db", "ID"), (std::vector<TFieldValue>{1, 8}));
}
