// The calendar of the open budget: the entries of the auto charges' schedules and of the manual
// charges and payments, rebuilt from a day on.
#include <algorithm>
#include <cmath>

#include "pays/Upaytables.h"
#include "pays/Uscheduler.h"
#include "platform/EventLoop.h"
#include "schema/SchemaNames.h"
#include "shell/ShellServices.h"
#include "shell/Ulanguage.h"
#include "store/U_dm.h"

namespace {

constexpr int kFebruary = 1;
// A schedule's priority orders the charges of one day; stored values outside this range (an
// imported row) are brought into it, so that an automatic charge never sorts as a manual event.
constexpr int kLowestPriority = 1;
constexpr int kHighestPriority = 10;

TDateTime WholeDay(TDateTime date) {
    return std::trunc(date);
}

void AppendEntry(TTable& calendar, TDateTime date, int priority, int payId, int idSchedule,
                 const std::string& nameCharge, const std::string& strSchedule) {
    calendar.Append();
    calendar.FieldByName(fld::Date).SetAsDateTime(date);
    calendar.FieldByName(fld::Deleting).SetAsInteger(1);
    calendar.FieldByName(fld::Priority).SetAsInteger(priority);
    calendar.FieldByName(fld::IDObject).SetAsInteger(payId);
    calendar.FieldByName(fld::IDSchedule).SetAsInteger(idSchedule);
    calendar.FieldByName(fld::NameCharge).SetAsString(nameCharge);
    calendar.FieldByName(fld::StrSchedule).SetAsString(strSchedule);
    calendar.Post();
}

// The days from start to end on which the schedule falls, in ascending order.
std::vector<TDateTime> ScheduleDays(const Schedule& schedule, TDateTime start, TDateTime end) {
    std::vector<TDateTime> days;
    start = WholeDay(start);
    end = WholeDay(end);
    if (end < start) return days;
    switch (schedule.Periodicity) {
        case 'U': {
            const TDateTime day = WholeDay(schedule.UnitaryDate);
            if (day >= start && day <= end) days.push_back(day);
            break;
        }
        case 'M': {
            // Month by month: the one day a month can take, when it lies within the period.
            const TYearMonthDay first = DecodeDate(start);
            const TYearMonthDay last = DecodeDate(end);
            for (int year = first.year, month = first.month;
                 year < last.year || (year == last.year && month <= last.month);) {
                const ScheduleMonth& rule = schedule.Months[month - 1];
                if (rule.On) {
                    const int day = month - 1 == kFebruary && rule.LastDay
                                        ? (IsLeapYear(year) ? 29 : 28)
                                        : rule.Day;
                    if (day >= 1 && day <= DaysInMonth(year, month)) {
                        const TDateTime date = EncodeDate(year, month, day);
                        if (date >= start && date <= end) days.push_back(date);
                    }
                }
                if (++month > 12) {
                    month = 1;
                    ++year;
                }
            }
            break;
        }
        case 'W':
            for (TDateTime day = start; day <= end; ++day)
                if (schedule.WeekDays[(DayOfWeek(day) + 5) % 7]) days.push_back(day);
            break;
        default:
            break;
    }
    return days;
}

int ExpandScheduleInto(TTable& calendar, int payId, int idSchedule, const std::string& nameCharge,
                       TDateTime start, TDateTime end) {
    Schedule schedule;
    if (LoadSchedule(idSchedule, schedule) != 1) return 0;
    const std::vector<TDateTime> days = ScheduleDays(schedule, start, end);
    if (days.empty()) return 0;
    // The description is the same for every entry of the schedule: built once.
    const std::string description = DescribeSchedule(schedule);
    const int priority = std::clamp(schedule.Priority, kLowestPriority, kHighestPriority);
    for (const TDateTime day : days)
        AppendEntry(calendar, day, priority, payId, schedule.ID, nameCharge, description);
    return static_cast<int>(days.size());
}

bool StartsWith(const std::string& text, char letter) {
    return !text.empty() && text.front() == letter;
}

}  // namespace

int ExpandSchedule(int payId, int idSchedule, const std::string& nameCharge, TDateTime start,
                   TDateTime end) {
    TBudgetTable calendar(tbl::Calendar, true);
    return ExpandScheduleInto(calendar, payId, idSchedule, nameCharge, start, end);
}

void DeleteCalendarFrom(TDateTime date) {
    TTransactionScope scope(ShellServices().BudgetPath());
    {
        TBudgetTable calendar(tbl::Calendar, true, Where(fld::Date) >= WholeDay(date));
        DeleteAllRows(calendar);
    }
    scope.Commit();
}

void RebuildCalendarEntries(TDateTime from, TDateTime to) {
    LetMessagesRun();
    from = WholeDay(from);
    to = WholeDay(to);
    TTransactionScope scope(ShellServices().BudgetPath());
    DeleteCalendarFrom(from);
    TBudgetTable calendar(tbl::Calendar, true);

    for (TBudgetTable charges(tbl::PayAutoCharges); !charges.Eof(); charges.Next()) {
        if (!StartsWith(charges.FieldByName(fld::Activity).AsString(), 'A')) continue;
        const TDateTime dateBegin = charges.FieldByName(fld::DateBegin).AsDateTime();
        if (dateBegin <= 0) continue;  // no beginning: the charge was never given one
        const TDateTime dateEnd = charges.FieldByName(fld::DateEnd).AsDateTime();
        const bool unlimited = StartsWith(charges.FieldByName(fld::RestrictTime).AsString(), 'U');
        ExpandScheduleInto(calendar, charges.FieldByName(fld::ID).AsInteger(),
                           charges.FieldByName(fld::IDSchedule).AsInteger(),
                           charges.FieldByName(fld::Name).AsString(), std::max(dateBegin, from),
                           unlimited || to < dateEnd ? to : dateEnd);
    }

    const TLangFile texts(ShellServices().LangPath() + "Pay.lng");
    const std::string manualCharge = texts.Read("Pay", "StrManualCharge", "");
    const std::string payment = texts.Read("Pay", "StrPayment", "");
    for (TBudgetTable events(tbl::PayHistory, false,
                             Where(fld::DateEvent) >= from && Where(fld::DateEvent) <= to &&
                                 Where(fld::PrtyCharge) == 0 && Where(fld::IDCharge) == 0 &&
                                 Where(fld::TypeEvent) != kEventCounter);
         !events.Eof(); events.Next()) {
        const bool charge = events.FieldByName(fld::TypeEvent).AsString() == kEventCharge;
        AppendEntry(calendar, events.FieldByName(fld::DateEvent).AsDateTime(),
                    events.FieldByName(fld::NManOper).AsInteger() - kManualPriorityBase,
                    events.FieldByName(fld::ID).AsInteger(), 0, charge ? manualCharge : payment,
                    "-");
    }
    scope.Commit();
    LetMessagesRun();
}
