// Day numbers, calendar arithmetic, and dates as text in the user's short date format.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "platform/Dates.h"

namespace {

struct CalendarDay {
    int year, month, day;
    double number;
};

// Known day numbers of the scale (the spreadsheet serials from March 1900 on agree with them).
const CalendarDay kKnownDays[] = {
    {1899, 12, 30, 0},   {1899, 12, 31, 1},    {1899, 12, 29, -1},  {1899, 12, 25, -5},
    {1900, 1, 1, 2},     {1900, 3, 1, 61},     {2000, 1, 1, 36526}, {2000, 2, 29, 36585},
    {2024, 1, 1, 45292}, {2024, 2, 29, 45351}, {1, 1, 1, -693593},  {9999, 12, 31, 2958465},
};

TEST(DayNumbers, EncodeAndDecodeKnownDays) {
    for (const CalendarDay& c : kKnownDays) {
        SCOPED_TRACE(std::to_string(c.year) + "-" + std::to_string(c.month) + "-" +
                     std::to_string(c.day));
        EXPECT_EQ(EncodeDate(c.year, c.month, c.day), c.number);
        for (const double time : {0.0, 0.25, 0.999}) {
            const double value = c.number >= 0 ? c.number + time : c.number - time;
            const auto [year, month, day] = DecodeDate(value);
            EXPECT_EQ(year, c.year);
            EXPECT_EQ(month, c.month);
            EXPECT_EQ(day, c.day);
        }
    }
}

TEST(DayNumbers, EveryDayRoundTripsThroughTheCalendar) {
    for (double number = -800; number < 80000; number += 1) {
        const auto [year, month, day] = DecodeDate(number);
        ASSERT_EQ(EncodeDate(year, month, day), number);
    }
}

TEST(DayNumbers, ImpossibleDatesAndValuesAreRejected) {
    const int bad[][3] = {{2023, 2, 29}, {2024, 13, 1}, {2024, 0, 1}, {2024, 4, 31},
                          {2024, 1, 0},  {0, 1, 1},     {10000, 1, 1}};
    for (const auto& d : bad) EXPECT_THROW(EncodeDate(d[0], d[1], d[2]), EDateError);
    EXPECT_THROW(DecodeDate(std::numeric_limits<double>::quiet_NaN()), EDateError);
    EXPECT_THROW(DecodeDate(3e6), EDateError);
    EXPECT_THROW(DayOfWeek(-7e5), EDateError);
    EXPECT_THROW(DaysInMonth(2024, 13), EDateError);
    EXPECT_THROW(FromQDate(QDate()), EDateError);
}

TEST(Calendar, LeapYearsAndMonthLengths) {
    const std::pair<int, bool> years[] = {{1900, false}, {2000, true},  {2023, false},
                                          {2024, true},  {2100, false}, {2400, true}};
    for (const auto& [year, leap] : years) EXPECT_EQ(IsLeapYear(year), leap) << year;
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
    EXPECT_EQ(DaysInMonth(2023, 2), 28);
    EXPECT_EQ(DaysInMonth(1900, 2), 28);
    EXPECT_EQ(DaysInMonth(2024, 4), 30);
    EXPECT_EQ(DaysInMonth(2024, 12), 31);
}

TEST(Calendar, DayOfWeekCountsFromSunday) {
    EXPECT_EQ(DayOfWeek(0), 7);                       // 30 December 1899, a Saturday
    EXPECT_EQ(DayOfWeek(-1), 6);                      // Friday
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 3)), 1);  // Sunday
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 4)), 2);  // Monday
    EXPECT_EQ(DayOfWeek(EncodeDate(2000, 1, 1)), 7);  // Saturday
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 3) + 0.99), 1);
}

TEST(Calendar, IncMonthKeepsTheDayOrTakesTheMonthsLastDay) {
    struct Case {
        TYearMonthDay from;
        int months;
        TYearMonthDay to;
    };
    const Case cases[] = {
        {{2024, 1, 31}, 1, {2024, 2, 29}},    {{2023, 1, 31}, 1, {2023, 2, 28}},
        {{2024, 3, 31}, -1, {2024, 2, 29}},   {{2024, 5, 30}, -3, {2024, 2, 29}},
        {{2023, 12, 15}, 1, {2024, 1, 15}},   {{2024, 1, 15}, -1, {2023, 12, 15}},
        {{2023, 12, 31}, 14, {2025, 2, 28}},  {{2024, 2, 29}, 12, {2025, 2, 28}},
        {{2024, 2, 29}, 48, {2028, 2, 29}},   {{2024, 8, 31}, 0, {2024, 8, 31}},
        {{2024, 1, 10}, -25, {2021, 12, 10}},
    };
    for (const Case& c : cases) {
        const double from = EncodeDate(c.from.year, c.from.month, c.from.day);
        const double to = EncodeDate(c.to.year, c.to.month, c.to.day);
        EXPECT_EQ(IncMonth(from, c.months), to)
            << c.from.year << "-" << c.from.month << "-" << c.from.day << " + " << c.months;
    }
    EXPECT_DOUBLE_EQ(IncMonth(EncodeDate(2024, 1, 31) + 0.25, 1), EncodeDate(2024, 2, 29) + 0.25);
    EXPECT_THROW(IncMonth(EncodeDate(9999, 12, 1), 1), EDateError);
    EXPECT_THROW(IncMonth(EncodeDate(1, 1, 1), -1), EDateError);
}

TEST(Clock, TodayIsNowsDayAtMidnight) {
    const double before = Today();
    const double now = Now();
    const double after = Today();
    EXPECT_EQ(before, std::trunc(before));
    EXPECT_TRUE(std::trunc(now) == before || std::trunc(now) == after);
    const double time = TimeNow();
    EXPECT_GE(time, 0.0);
    EXPECT_LT(time, 1.0);
}

// Dates as text under a chosen format; the user's formats are put back afterwards.
class DateText : public ::testing::Test {
protected:
    void TearDown() override {
        SetShortDateFormat(shortDate_);
        SetLongTimeFormat(longTime_);
    }

private:
    std::string shortDate_ = ShortDateFormat();
    std::string longTime_ = LongTimeFormat();
};

TEST_F(DateText, GermanAndEnglishFormatsWriteAndReadDates) {
    struct Case {
        const char* format;
        TYearMonthDay date;
        const char* text;
        const char* alsoRead;  // another spelling of the same day that is accepted
    };
    const Case cases[] = {
        {"dd.MM.yyyy", {2024, 2, 1}, "01.02.2024", "1.2.2024"},
        {"dd.MM.yyyy", {1899, 12, 30}, "30.12.1899", " 30.12.1899 "},
        {"dd.MM.yyyy", {1899, 12, 25}, "25.12.1899", "25.12.1899"},
        {"dd.MM.yyyy", {99, 7, 4}, "04.07.0099", "4.7.0099"},
        {"M/d/yyyy", {2024, 2, 1}, "2/1/2024", "02/01/2024"},
        {"M/d/yyyy", {2024, 12, 31}, "12/31/2024", "12/31/2024"},
        {"dd/MM/yyyy", {2024, 2, 1}, "01/02/2024", "1/2/2024"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.format) + " " + c.text);
        SetShortDateFormat(c.format);
        const double day = EncodeDate(c.date.year, c.date.month, c.date.day);
        EXPECT_EQ(DateToStr(day), c.text);
        EXPECT_EQ(DateToStr(day >= 0 ? day + 0.7 : day - 0.7), c.text);
        EXPECT_EQ(StrToDate(c.text), day);
        EXPECT_EQ(StrToDate(c.alsoRead), day);
    }
}

TEST_F(DateText, EveryDayReadsBackAsTheSameDay) {
    for (const char* format : {"dd.MM.yyyy", "M/d/yyyy", "d MMM yyyy"}) {
        SetShortDateFormat(format);
        for (double day = -800; day < 80000; day += 7) ASSERT_EQ(StrToDate(DateToStr(day)), day);
    }
}

TEST_F(DateText, BadTextsFailClearly) {
    SetShortDateFormat("dd.MM.yyyy");
    for (const char* text : {"", "   ", "31.02.2024", "32.01.2024", "00.01.2024", "1.2.24",
                             "2024-02-01", "01.02.2024x", "01.13.2024", "Küche", "1.1.10000"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(TryStrToDate(text).has_value());
        try {
            StrToDate(text);
            ADD_FAILURE() << "no error";
        } catch (const EDateError& error) {
            EXPECT_NE(std::string(error.what()).find("'" + std::string(text) + "'"),
                      std::string::npos);
        }
    }
}

TEST_F(DateText, TwoDigitYearsAreWidenedAndTimeZonesDropped) {
    const std::pair<const char*, const char*> dates[] = {
        {"dd.MM.yy", "dd.MM.yyyy"}, {"M/d/yy", "M/d/yyyy"}, {"yy'yy'-MM-dd", "yyyy'yy'-MM-dd"}};
    for (const auto& [given, used] : dates) {
        SetShortDateFormat(given);
        EXPECT_EQ(ShortDateFormat(), used);
    }
    SetShortDateFormat("dd.MM.yy");
    EXPECT_EQ(DateToStr(EncodeDate(1950, 6, 1)), "01.06.1950");
    EXPECT_EQ(StrToDate("01.06.1950"), EncodeDate(1950, 6, 1));

    SetLongTimeFormat("HH:mm:ss t");
    EXPECT_EQ(LongTimeFormat(), "HH:mm:ss");
    SetLongTimeFormat("h:mm:ss AP t");
    EXPECT_EQ(LongTimeFormat(), "h:mm:ss AP");
}

TEST_F(DateText, TimeAndDateTimeTexts) {
    SetShortDateFormat("dd.MM.yyyy");
    SetLongTimeFormat("HH:mm:ss");
    const double day = EncodeDate(2024, 2, 1);
    const double time = (13 * 3600 + 5 * 60 + 9) / 86400.0;
    EXPECT_EQ(TimeToStr(day + time), "13:05:09");
    EXPECT_EQ(TimeToStr(0.5), "12:00:00");
    EXPECT_EQ(TimeToStr(day), "00:00:00");
    EXPECT_EQ(TimeToStr(day + 0.99999999999), "23:59:59");
    EXPECT_EQ(TimeToStr(-1.25), "06:00:00");
    EXPECT_EQ(DateTimeToStr(day + time), "01.02.2024 13:05:09");
}

TEST_F(DateText, FormatsComeFromTheUsersLocale) {
    // The run's locale as the C library would pick it; the German run must give the German
    // order with a four-digit year and no time zone in the time.
    std::string locale = "C";
    for (const char* name : {"LC_ALL", "LC_TIME", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            locale = value;
            break;
        }
    }
    if (locale.rfind("de_", 0) == 0) {
        EXPECT_EQ(ShortDateFormat(), "dd.MM.yyyy");
        EXPECT_EQ(LongTimeFormat(), "HH:mm:ss");
        EXPECT_EQ(DateToStr(EncodeDate(2024, 2, 1)), "01.02.2024");
    }
    EXPECT_NE(ShortDateFormat().find("yyyy"), std::string::npos);
    EXPECT_EQ(LongTimeFormat().find('t'), std::string::npos);
    EXPECT_EQ(StrToDate(DateToStr(EncodeDate(1987, 11, 23))), EncodeDate(1987, 11, 23));
}

TEST(DateConversion, QDateAtTheWidgetBoundary) {
    EXPECT_EQ(ToQDate(0), QDate(1899, 12, 30));
    EXPECT_EQ(ToQDate(45351.75), QDate(2024, 2, 29));
    EXPECT_EQ(FromQDate(QDate(2024, 2, 29)), 45351);
}

}  // namespace
