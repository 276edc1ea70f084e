// Dates as day numbers: day 0 is 30 December 1899, the time of day is the fraction.
#pragma once

#include <QDate>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

// A day number with the time of day as its fraction (0.5 is noon). Day 0 is 30 December 1899,
// day 1 is 31 December 1899, day -1 is 29 December 1899. For days before day 0 the fraction
// still counts forward from midnight: -1.25 is 29 December 1899 at 6:00. Every function below
// takes the day from a value by cutting the fraction off toward zero.
using TDateTime = double;

// A date that cannot exist (month 13, 30 February, year 0), a value outside the years 1 to 9999,
// or a text that is no date in the user's short date format.
class EDateError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

struct TYearMonthDay {
    int year;
    int month;  // 1 to 12
    int day;    // 1 to 31
};

// The day number of a calendar date (years 1 to 9999); throws EDateError for a date that
// does not exist.
TDateTime EncodeDate(int year, int month, int day);

// The calendar date of a value's day: auto [year, month, day] = DecodeDate(value).
TYearMonthDay DecodeDate(TDateTime value);

// The day of the week of a value's day: Sunday 1, Monday 2, ..., Saturday 7.
int DayOfWeek(TDateTime value);

// Gregorian rule: every fourth year, except centuries not divisible by 400.
bool IsLeapYear(int year);

// The number of days of a month (28 to 31); throws EDateError for a month outside 1 to 12.
int DaysInMonth(int year, int month);

// The value moved by a number of months (negative moves back), the time of day kept. A day
// beyond the end of the month reached becomes that month's last day: 31 January + 1 month is
// 28 or 29 February. Throws EDateError when the result leaves the years 1 to 9999.
TDateTime IncMonth(TDateTime value, int months);

// The current day at midnight, the current day and time of day, and the time of day alone,
// from the local clock.
TDateTime Today();
TDateTime Now();
TDateTime TimeNow();

// The user's short date format (Qt notation, "dd.MM.yyyy" in German) and long time format
// ("HH:mm:ss"), read once from the system locale. Years always have four digits: a locale
// format with a two-digit year is widened, so that every date written as text reads back as
// the same day. The time format carries no time zone. The setters replace a format for the
// rest of the run (tests use them) and apply the same widening.
std::string ShortDateFormat();
void SetShortDateFormat(std::string_view format);
std::string LongTimeFormat();
void SetLongTimeFormat(std::string_view format);

// A value's day as text in the short date format, its time of day in the long time format,
// and both joined by one blank.
std::string DateToStr(TDateTime value);
std::string TimeToStr(TDateTime value);
std::string DateTimeToStr(TDateTime value);

// The day a text in the short date format names (blanks around it ignored; day and month may
// be written with or without a leading zero). TryStrToDate gives no value for a text that is
// no such date; StrToDate throws EDateError naming the text.
std::optional<TDateTime> TryStrToDate(std::string_view text);
TDateTime StrToDate(std::string_view text);

// Conversion at the widget boundary (date pickers, calendars): the day of a value as a QDate
// and back. An invalid QDate throws EDateError.
QDate ToQDate(TDateTime value);
TDateTime FromQDate(const QDate& date);
