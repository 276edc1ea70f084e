// Schedules of the automatic charges: the record, its stored texts, the schedule store of the
// open budget and the one-line description of a schedule.
#pragma once

#include <array>
#include <string>
#include <string_view>

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
// 'N' and day 0.
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
