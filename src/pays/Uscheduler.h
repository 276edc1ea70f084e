// Schedules of the automatic charges: the record, its stored texts, the schedule store of the
// open budget and the one-line description of a schedule.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "decimal/Large_fix.h"
#include "platform/Dates.h"

// One month of a by-month schedule.
struct ScheduleMonth {
    bool On = false;  // the month takes part
    // The day of the month, 1 to 31; February's last-day choice gives 30 in the schedule dialog
    // and 32 when read back from the table.
    int Day = 1;
    bool LastDay = false;  // the month's last day; only February's is set and honoured
};

// When one automatic charge falls due; a plain record copied by value.
struct Schedule {
    int ID = 0;                              // Schedules.db ID; 0 for a schedule not stored yet
    char Periodicity = 0;                    // 'U' on one date, 'M' by month, 'W' by week
    TDateTime UnitaryDate = 0;               // the date of a unitary schedule, a whole day
    std::array<ScheduleMonth, 12> Months{};  // January first
    std::array<bool, 7> WeekDays{};          // Monday first
    int Priority = 0;                        // 1 to 10, among the charges of one day
};

// The 7-character week text: 'Y' or 'N' per weekday, Monday first.
std::string EncodeWeekDays(const Schedule& schedule);

// The 36-character month text: per month, January first, 'Y' or 'N' for On, then "32" when its
// LastDay is set, else its Day as two digits.
std::string EncodeMonthesDays(const Schedule& schedule);

// Reads the two texts back into the record (the table's row and the journal's schedule block
// store them alike): a month is on for 'Y', its Day is the number of its two digits and 32
// also sets LastDay; a weekday is on for 'Y'. Characters missing from a short text read as
// 'N', and a day whose two digits are not both there reads as day 0, which no day matches.
void DecodeMonthesDays(std::string_view text, Schedule& schedule);
void DecodeWeekDays(std::string_view text, Schedule& schedule);

// The schedule of a new automatic charge: ID 0, by month, today, every month on day 1 without
// the last day, every weekday on, priority 5.
void SetDefaultSchedule(Schedule& schedule);

// The description shown in the auto-charge list, the auto-charge editor and the calendar, in
// the texts of "Schedule.lng" of the language folder (read at every call; a missing key reads
// as empty): "UnitaryStr" with the date, the months as "MM.DD" (February's last day as
// "LastDayStr"), "EachMmonthOnOneStr" when all twelve months fall on one day, the weekday names,
// "EachDaysStr" for all seven, "EmptyScheduleStr" when none is on; then ", " and "PriorityStr".
// Empty for an unknown periodicity.
std::string DescribeSchedule(const Schedule& schedule);

// The store: Schedules.db of the open budget, through a table of each call's own.
//
// 1 + the largest ID of the table (1 when it is empty); lets the message loop run once first.
int NextScheduleId();

// Appends one row for the schedule and returns its ID: the record's ID, or NextScheduleId when
// that is 0 or when a row with the record's ID exists already (an ID never names two
// schedules). Never updates a row and never changes the record; lets the message loop run once
// after the row is written.
int SaveSchedule(const Schedule& schedule);

// Deletes the row with that ID: true, or false when there is none.
bool DeleteSchedule(int id);

// Fills the record from the row with that ID and returns 1; 0, with the record untouched, when
// there is no such row.
int LoadSchedule(int id, Schedule& schedule);

// ---------------------------------------------------------------------------------------------
// The calendar (Uscheduler_calendar.cpp): Calendar.db of the open budget, derived from the
// active auto charges and the manual charges and payments, never journaled.

// Appends the calendar entries of one auto charge for the days start to end, both included, in
// ascending order: its schedule's unitary date, the days of the months that are on (February's
// last day: the 29th in a leap year, the 28th otherwise; a day the month lacks never falls), or
// the weekdays that are on. Each entry: Deleting 1, the schedule's Priority (kept within 1 to
// 10), the pay, the schedule's ID, the charge's name and the schedule's description. A schedule
// that cannot be loaded or has another periodicity adds nothing. Returns the entries added.
int ExpandSchedule(int payId, int idSchedule, const std::string& nameCharge, TDateTime start,
                   TDateTime end);

// Deletes every calendar entry dated that day or later, in one store transaction.
void DeleteCalendarFrom(TDateTime date);

// Rebuilds the calendar from the day `from` (day 0: the whole calendar): deletes the entries
// from that day on, then adds the entries of the days from to to of every active auto charge
// (from its DateBegin, or from `from` when that is later, to its DateEnd when limited and
// earlier than `to`, else to `to`) and one entry per manual charge and payment (PrtyCharge and
// IDCharge 0; Priority NManOper - 9000, IDSchedule 0, NameCharge "StrManualCharge" or "StrPayment"
// of the language folder's "Pay.lng" [Pay], StrSchedule "-"). A charge without a DateBegin (day 0
// or before) falls nowhere. So from `from` on the calendar holds exactly the entries of the days
// from to to. One store transaction: it is all written or, on an error, not at all. Lets paint and
// timer events run at its start and end.
void RebuildCalendarEntries(TDateTime from, TDateTime to);

// ---------------------------------------------------------------------------------------------
// Automatic charges, balances and the recalculation (Uscheduler_recalc.cpp). They write
// PayHistory.db directly, outside the journal. An amount stored as text that is no number (an
// imported row) counts as 0: an error 1020 naming the pay, the day and the text enters the
// action's error context and is reported (ReportGlobalErrors), which stops the open budget.

// Reads the amounts stored for one pay's event. A text that is no number counts as 0, and an
// error naming the pay, the day and the text enters the action's error context; Failed() then
// tells the caller to report it (ReportGlobalErrors) once its work is written.
class TAmountReader {
public:
    TAmountReader(int payId, TDateTime date) : payId_(payId), date_(date) {}
    large_fix Read(const std::string& text);
    bool Failed() const { return failed_; }
    // The day of the events read next (the error names it).
    void SetDate(TDateTime date) { date_ = date; }

private:
    int payId_;
    TDateTime date_;
    bool failed_ = false;
};

// Appends the automatic charge of the pay's auto charge with that IDSchedule for the day and
// returns 0: a constant charge's ConstValue unrounded, an algorithm's result for the day
// rounded to 2 decimals (0 when it failed: its errors are reported), 0 for another ItemType;
// CurBalance the pay's balance at the day (GetPayBalanceAt) less the value, ForPayment what is
// due. Returns -2 and writes nothing when the pay has no such auto charge, and
// kFatalObject (-3, reported by the algorithm storage) when its algorithm does not exist.
int ComputeAutoCharge(int payId, int idSchedule, int priority, TDateTime date);

// Recomputes CurBalance (and for a charge ForPayment) of the pay's manual charge or payment of
// that day and NManOper, chained on the CurBalance of the pay's charge or payment just before
// it (0 when there is none or it is empty). Nothing when there is no such event.
void RecomputeEventBalance(int payId, int nManOper, TDateTime date);

// Deletes every automatic charge ("CH" with IDCharge above 0) of every pay dated that day or
// later.
void DeleteAutoChargeRows(TDateTime date);

// Writes "lr" in the section "VLBudget" of the open budget's "VLBudget.ini" (made when
// missing): the date's day number.
void WriteLastRecalcDate(TDateTime date);

// The log of a run (the recalculation dialog's memo): cleared at the start, one line per entry.
class TRecalcLog {
public:
    virtual void ClearLog() = 0;
    virtual void AddLogLine(const std::string& line) = 0;

protected:
    ~TRecalcLog() = default;
};

// The progress of a run (the dialog's progress bar), counted in days from its first day.
class TRecalcProgress {
public:
    // Minimum 0, the maximum given, position 0.
    virtual void StartProgress(int maximum) = 0;
    virtual void SetProgress(int position) = 0;

protected:
    ~TRecalcProgress() = default;
};

// The day a run asked to end on `to` ends on: `to`, or the latest pay event
// (TDM::LatestPayEventDate, today at the earliest) when that lies later. Callers rebuild the
// calendar up to it (and their margin) before the run.
TDateTime RecalcLastDay(TDateTime to);

// Recalculates the open budget's automatic charges and balances from the day `from` on:
// deletes the automatic charges from `from` on, then handles the calendar's entries of the days
// from `from` to RecalcLastDay(to) in order (ComputeAutoCharge for Priority 0 or more,
// RecomputeEventBalance for the manual ones). The run goes on past `to` to the latest pay event
// so that every automatic charge and balance after `to` is what a run from the beginning
// makes: a period ends where the caller says or later, never earlier. After every entry it
// reads `stop` and the error context's HasErrors, and ends there with false when either is set
// ("lr" is not written; what was written stays). After the last entry it writes "lr"
// (WriteLastRecalcDate of the day the run ended on) and returns true. A first day after that
// day handles no entry and returns true.
// The log, when given, gets ">>> date: pay, charge name, schedule." per entry; the progress,
// when given, runs from 0 to the days from `from` to the run's last day (0 when below 1), moved
// by the entries strictly between the first and the last day and set to its maximum at the end.
// Paint and timer events run at most every 50 ms.
// One store transaction (a savepoint inside an open one): a fatal error (a missing algorithm)
// or a failure of the store rolls the whole run back and returns false or throws.
bool RecalculateBudget(const bool& stop, TRecalcLog* log, TRecalcProgress* progress, TDateTime from,
                       TDateTime to);

// The first day of the open budget's pay data: the earlier of the calendar's first day and the
// earliest pay event (each today when there is none), so never after today.
TDateTime RecalcFromBeginDate();

// The recalculation that follows a change while the budget runs: RecalculateBudget from the
// date, or from RecalcFromBeginDate when fromBeginning is set, to LatestPayEventDate, without a
// log and never stopped by the caller; then the number and pay frames reload at their next show
// (their reload marks are reset). The calendar is not rebuilt here: callers rebuild it before.
// Returns what RecalculateBudget returns.
bool RunAutomaticRecalc(bool fromBeginning, TDateTime date, TRecalcProgress* progress);
