// Schedules of the automatic charges: the record, its stored texts, the schedule store of the
// open budget and the one-line description of a schedule.
#include "pays/Uscheduler.h"

#include <cstdio>

#include "algorithms/Uq519algtextformat.h"
#include "platform/EventLoop.h"
#include "shell/ShellServices.h"
#include "shell/Ulanguage.h"
#include "store/U_dm.h"
#include "store/Utransactions.h"
#include "schema/SchemaNames.h"

namespace {

std::string TwoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

// The number of the two digits at text[at] and text[at + 1]; 0, which no day matches, when
// either is missing or no digit (a cut or damaged text must not turn "1" into day 10).
int TwoDigitNumber(std::string_view text, size_t at) {
    int value = 0;
    for (size_t i = at; i < at + 2; ++i) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9') return 0;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool IsYes(std::string_view text, size_t at) {
    return at < text.size() && text[at] == 'Y';
}

std::string Joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
    return text;
}

constexpr int kFebruary = 1;

}  // namespace

std::string EncodeWeekDays(const Schedule& schedule) {
    std::string text;
    for (bool on : schedule.WeekDays) text += on ? 'Y' : 'N';
    return text;
}

std::string EncodeMonthesDays(const Schedule& schedule) {
    std::string text;
    for (const ScheduleMonth& month : schedule.Months)
        text += (month.On ? "Y" : "N") + (month.LastDay ? std::string("32") : TwoDigits(month.Day));
    return text;
}

void DecodeMonthesDays(std::string_view text, Schedule& schedule) {
    for (size_t i = 0; i < schedule.Months.size(); ++i) {
        ScheduleMonth& month = schedule.Months[i];
        month.On = IsYes(text, 3 * i);
        month.Day = TwoDigitNumber(text, 3 * i + 1);
        month.LastDay = month.Day == 32;
    }
}

void DecodeWeekDays(std::string_view text, Schedule& schedule) {
    for (size_t j = 0; j < schedule.WeekDays.size(); ++j) schedule.WeekDays[j] = IsYes(text, j);
}

void SetDefaultSchedule(Schedule& schedule) {
    schedule.ID = 0;
    schedule.Periodicity = 'M';
    schedule.UnitaryDate = Today();
    schedule.Months.fill(ScheduleMonth{true, 1, false});
    schedule.WeekDays.fill(true);
    schedule.Priority = 5;
}

std::string DescribeSchedule(const Schedule& schedule) {
    const TLangFile texts(ShellServices().LangPath() + "Schedule.lng");
    const auto text = [&](std::string_view key) { return texts.Read("ScheduleStr", key, ""); };
    const std::string priority =
        ", " + ReplaceAllText(text("PriorityStr"), "[prty]", std::to_string(schedule.Priority));

    switch (schedule.Periodicity) {
        case 'U':
            return ReplaceAllText(text("UnitaryStr"), "[date]", DateToStr(schedule.UnitaryDate)) +
                   priority;
        case 'M': {
            const int januaryDay = schedule.Months[0].Day;
            std::vector<std::string> months;
            bool sameDay = true;
            for (size_t i = 0; i < schedule.Months.size(); ++i) {
                const ScheduleMonth& month = schedule.Months[i];
                if (!month.On) continue;
                const bool lastDay = i == kFebruary && month.LastDay;
                months.push_back(TwoDigits(static_cast<int>(i) + 1) + "." +
                                 (lastDay ? text("LastDayStr") : TwoDigits(month.Day)));
                if (month.Day != januaryDay || lastDay) sameDay = false;
            }
            if (months.empty()) return text("EmptyScheduleStr") + priority;
            if (months.size() == schedule.Months.size() && sameDay)
                return ReplaceAllText(text("EachMmonthOnOneStr"), "[NDay]",
                                      std::to_string(januaryDay)) +
                       priority;
            return text("MonthStr") + " " + Joined(months) + priority;
        }
        case 'W': {
            std::vector<std::string> days;
            for (size_t j = 0; j < schedule.WeekDays.size(); ++j)
                if (schedule.WeekDays[j])
                    days.push_back(texts.Read("Schedule", "CheckBoxD" + std::to_string(j + 1), ""));
            if (days.empty()) return text("EmptyScheduleStr") + priority;
            if (days.size() == schedule.WeekDays.size()) return text("EachDaysStr") + priority;
            return Joined(days) + priority;
        }
        default:
            return "";
    }
}

int NextScheduleId() {
    LetMessagesRun();
    TBudgetTable schedules(tbl::Schedules);
    schedules.Last();
    return schedules.IsEmpty() ? 1 : schedules.FieldByName(fld::ID).AsInteger() + 1;
}

int SaveSchedule(const Schedule& schedule) {
    TBudgetTable schedules(tbl::Schedules, true);
    const int id =
        schedule.ID == 0 || schedules.Locate(fld::ID, {schedule.ID}) ? NextScheduleId() : schedule.ID;
    schedules.Append();
    schedules.FieldByName(fld::ID).SetAsInteger(id);
    schedules.FieldByName(fld::Periodicity).SetAsString(std::string(1, schedule.Periodicity));
    schedules.FieldByName(fld::UnitaryDate).SetAsDateTime(schedule.UnitaryDate);
    schedules.FieldByName(fld::MonthesDays).SetAsString(EncodeMonthesDays(schedule));
    schedules.FieldByName(fld::WeekDays).SetAsString(EncodeWeekDays(schedule));
    schedules.FieldByName(fld::Priority).SetAsInteger(schedule.Priority);
    schedules.Post();
    LetMessagesRun();
    return id;
}

bool DeleteSchedule(int id) {
    TBudgetTable schedules(tbl::Schedules, true);
    if (!schedules.Locate(fld::ID, {id})) return false;
    schedules.Delete();
    return true;
}

int LoadSchedule(int id, Schedule& schedule) {
    TBudgetTable schedules(tbl::Schedules);
    if (!schedules.Locate(fld::ID, {id})) return 0;
    schedule.ID = id;
    const std::string periodicity = schedules.FieldByName(fld::Periodicity).AsString();
    schedule.Periodicity = periodicity.empty() ? 0 : periodicity[0];
    schedule.UnitaryDate = schedules.FieldByName(fld::UnitaryDate).AsDateTime();
    DecodeMonthesDays(schedules.FieldByName(fld::MonthesDays).AsString(), schedule);
    DecodeWeekDays(schedules.FieldByName(fld::WeekDays).AsString(), schedule);
    schedule.Priority = schedules.FieldByName(fld::Priority).AsInteger();
    return 1;
}
