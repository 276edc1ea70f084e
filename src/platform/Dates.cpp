// Dates as day numbers: day 0 is 30 December 1899, the time of day is the fraction.
#include "platform/Dates.h"

#include <QDateTime>
#include <QLocale>
#include <QTime>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>

#include "platform/Text.h"

namespace {

using std::chrono::days;
using std::chrono::sys_days;
using std::chrono::year_month_day;

constexpr sys_days kDayZero = sys_days{std::chrono::year{1899} / 12 / 30};
constexpr double kMillisecondsPerDay = 86400000.0;

// The day numbers of 1 January 0001 and 31 December 9999.
constexpr long long kFirstDay = (sys_days{std::chrono::year{1} / 1 / 1} - kDayZero).count();
constexpr long long kLastDay = (sys_days{std::chrono::year{9999} / 12 / 31} - kDayZero).count();

long long DayOf(TDateTime value) {
    if (!std::isfinite(value) || std::trunc(value) < static_cast<double>(kFirstDay) ||
        std::trunc(value) > static_cast<double>(kLastDay))
        throw EDateError("Date value out of range: " + std::to_string(value));
    return static_cast<long long>(std::trunc(value));
}

// The time of day of a value as a fraction from 0 to below 1, also for days before day 0.
double TimeFraction(TDateTime value) {
    return std::fabs(value - std::trunc(value));
}

TDateTime Compose(long long day, double fraction) {
    const double whole = static_cast<double>(day);
    return day >= 0 ? whole + fraction : whole - fraction;
}

// Rewrites every run of one letter outside the quoted literal parts of a Qt date or time
// format with what `replace` gives for the run's length.
QString RewriteRuns(const QString& format, QChar letter,
                    const std::function<QString(qsizetype)>& replace) {
    QString result;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == QLatin1Char('\'')) quoted = !quoted;
        if (quoted || c != letter) {
            result += c;
            ++i;
            continue;
        }
        qsizetype run = 0;
        while (i + run < format.size() && format[i + run] == letter) ++run;
        result += replace(run);
        i += run;
    }
    return result;
}

QString WithFourDigitYears(const QString& format) {
    return RewriteRuns(format, QLatin1Char('y'), [](qsizetype) { return QStringLiteral("yyyy"); });
}

QString WithoutTimeZone(const QString& format) {
    return RewriteRuns(format, QLatin1Char('t'), [](qsizetype) { return QString(); }).trimmed();
}

// The format that reads a day or month with or without its leading zero.
QString ParsingFormat(const QString& format) {
    const auto single = [](QChar letter) {
        return [letter](qsizetype run) { return QString(run == 2 ? 1 : run, letter); };
    };
    return RewriteRuns(RewriteRuns(format, QLatin1Char('d'), single(QLatin1Char('d'))),
                       QLatin1Char('M'), single(QLatin1Char('M')));
}

const QLocale& UserLocale() {
    static const QLocale locale = QLocale::system();
    return locale;
}

struct Formats {
    QString shortDate;
    QString parsing;
    QString longTime;
};

Formats& UserFormats() {
    static Formats formats = [] {
        const QString shortDate = WithFourDigitYears(UserLocale().dateFormat(QLocale::ShortFormat));
        return Formats{shortDate, ParsingFormat(shortDate),
                       WithoutTimeZone(UserLocale().timeFormat(QLocale::LongFormat))};
    }();
    return formats;
}

}  // namespace

TDateTime EncodeDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month))
        throw EDateError("Invalid date: " + std::to_string(year) + "-" + std::to_string(month) +
                         "-" + std::to_string(day));
    const sys_days date{std::chrono::year{year} / month / day};
    return static_cast<double>((date - kDayZero).count());
}

TYearMonthDay DecodeDate(TDateTime value) {
    const year_month_day date{kDayZero + days{DayOf(value)}};
    return {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day()))};
}

int DayOfWeek(TDateTime value) {
    return static_cast<int>(std::chrono::weekday{kDayZero + days{DayOf(value)}}.c_encoding()) + 1;
}

bool IsLeapYear(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) throw EDateError("Invalid month: " + std::to_string(month));
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

TDateTime IncMonth(TDateTime value, int months) {
    const auto [year, month, day] = DecodeDate(value);
    const long long index = static_cast<long long>(year) * 12 + (month - 1) + months;
    const long long newYear = index >= 0 ? index / 12 : (index - 11) / 12;
    const int newMonth = static_cast<int>(index - newYear * 12) + 1;
    if (newYear < 1 || newYear > 9999)
        throw EDateError("Date out of range after adding " + std::to_string(months) + " months");
    const int year32 = static_cast<int>(newYear);
    const TDateTime moved =
        EncodeDate(year32, newMonth, std::min(day, DaysInMonth(year32, newMonth)));
    return Compose(static_cast<long long>(moved), TimeFraction(value));
}

TDateTime Today() {
    return FromQDate(QDate::currentDate());
}

TDateTime Now() {
    const QDateTime now = QDateTime::currentDateTime();
    return FromQDate(now.date()) + now.time().msecsSinceStartOfDay() / kMillisecondsPerDay;
}

TDateTime TimeNow() {
    return QTime::currentTime().msecsSinceStartOfDay() / kMillisecondsPerDay;
}

std::string ShortDateFormat() {
    return ToStdString(UserFormats().shortDate);
}

void SetShortDateFormat(std::string_view format) {
    UserFormats().shortDate = WithFourDigitYears(ToQString(format));
    UserFormats().parsing = ParsingFormat(UserFormats().shortDate);
}

std::string LongTimeFormat() {
    return ToStdString(UserFormats().longTime);
}

void SetLongTimeFormat(std::string_view format) {
    UserFormats().longTime = WithoutTimeZone(ToQString(format));
}

std::string DateToStr(TDateTime value) {
    return ToStdString(UserLocale().toString(ToQDate(value), UserFormats().shortDate));
}

std::string TimeToStr(TDateTime value) {
    const auto milliseconds = std::min(std::llround(TimeFraction(value) * kMillisecondsPerDay),
                                       static_cast<long long>(kMillisecondsPerDay) - 1);
    const QTime time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(milliseconds));
    return ToStdString(UserLocale().toString(time, UserFormats().longTime));
}

std::string DateTimeToStr(TDateTime value) {
    return DateToStr(value) + " " + TimeToStr(value);
}

std::optional<TDateTime> TryStrToDate(std::string_view text) {
    const QDate date = UserLocale().toDate(ToQString(text).trimmed(), UserFormats().parsing);
    if (!date.isValid() || date.year() < 1 || date.year() > 9999) return std::nullopt;
    return FromQDate(date);
}

TDateTime StrToDate(std::string_view text) {
    if (const auto value = TryStrToDate(text)) return *value;
    throw EDateError("'" + std::string(text) + "' is not a valid date");
}

QDate ToQDate(TDateTime value) {
    const auto [year, month, day] = DecodeDate(value);
    return QDate(year, month, day);
}

TDateTime FromQDate(const QDate& date) {
    if (!date.isValid()) throw EDateError("Invalid date");
    return EncodeDate(date.year(), date.month(), date.day());
}
