// A budget with pays, auto charges and schedules for the tests of the calendar and the
// recalculation: rows added in a line each, the calendar and a pay's history read as text.
#pragma once

#include <string>
#include <vector>

#include "algorithms/SmallBudget.h"
#include "pays/Uscheduler.h"
#include "schema/SchemaNames.h"

// A day of 2024 (or of the year given).
inline TDateTime Day(int month, int day, int year = 2024) {
    return EncodeDate(year, month, day);
}

// An auto charge of the pay: by default active, unlimited, a constant of "10", from 1 January
// 2024 on.
struct TCharge {
    int Pay = 1;
    int IDSchedule = 0;
    std::string Name = "Rent";
    TDateTime DateBegin = Day(1, 1);
    std::string RestrictTime = "U";
    TDateTime DateEnd = 0;
    std::string Activity = "A";
    std::string ItemType = "C";
    std::string ConstValue = "10";
    int IDAlg = 0;
};

class PayBudget : public SmallBudget {
protected:
    PayBudget() {
        shell.state.DataPath = folders.DataPath();
        AddBudgetRow(folders.UsersDataPath(), {{"ID", 1},
                                               {"Name", "Home"},
                                               {"Path", budget},
                                               {"State", 0},
                                               {"Expanded", "N"},
                                               {"Work", 3}});
    }

    // A pay object named in the main window's index.
    void AddPay(int id, const std::string& name) {
        AddObject(id, 0, 60, name);
        dm.TableBudgets.Refresh();
        shell.index.Build(dm.TableBudgets, shell.state);
    }

    // Stores the schedule (by month on day 15 in every month, priority 5, unless changed) and
    // returns its ID.
    static int AddSchedule(char periodicity = 'M', int priority = 5, TDateTime unitary = 0,
                           const std::string& weekDays = "YYYYYYY") {
        Schedule schedule;
        SetDefaultSchedule(schedule);
        schedule.Periodicity = periodicity;
        schedule.Priority = priority;
        schedule.UnitaryDate = unitary;
        for (ScheduleMonth& month : schedule.Months) month.Day = 15;
        DecodeWeekDays(weekDays, schedule);
        return SaveSchedule(schedule);
    }

    static void AddCharge(const TCharge& c) {
        AddRow(tbl::PayAutoCharges, {{"ID", c.Pay},
                                     {"Name", c.Name},
                                     {"DateBegin", c.DateBegin},
                                     {"RestrictTime", c.RestrictTime},
                                     {"DateEnd", c.DateEnd},
                                     {"Activity", c.Activity},
                                     {"ItemType", c.ItemType},
                                     {"ConstValue", c.ConstValue},
                                     {"IDAlg", c.IDAlg},
                                     {"IDSchedule", c.IDSchedule}});
    }

    // A manual charge ("CH") or payment ("PY") of the pay, numbered nManOper on its day.
    static void AddManual(int pay, TDateTime date, std::string_view type, const char* amount,
                          int nManOper = 1) {
        AddRow(tbl::PayHistory, {{"ID", pay},
                                 {"DateEvent", date},
                                 {"TypeEvent", type},
                                 {type == "CH" ? "Charge" : "Payment", amount},
                                 {"IDCharge", 0},
                                 {"PrtyCharge", 0},
                                 {"NManOper", nManOper}});
    }

    // The calendar's entries in index order: "Date Priority IDObject IDSchedule NameCharge".
    static std::vector<std::string> Calendar() {
        std::vector<std::string> rows;
        for (TBudgetTable calendar(tbl::Calendar); !calendar.Eof(); calendar.Next())
            rows.push_back(DateToStr(calendar.FieldByName(fld::Date).AsDateTime()) + " " +
                           std::to_string(calendar.FieldByName(fld::Priority).AsInteger()) + " " +
                           std::to_string(calendar.FieldByName(fld::IDObject).AsInteger()) + " " +
                           std::to_string(calendar.FieldByName(fld::IDSchedule).AsInteger()) + " " +
                           calendar.FieldByName(fld::NameCharge).AsString());
        return rows;
    }

    // The calendar's days in index order.
    static std::vector<TDateTime> CalendarDays() {
        std::vector<TDateTime> days;
        for (TBudgetTable calendar(tbl::Calendar); !calendar.Eof(); calendar.Next())
            days.push_back(calendar.FieldByName(fld::Date).AsDateTime());
        return days;
    }

    // The pay's charges and payments in history order: "Type Amount CurBalance ForPayment",
    // "," standing for the user's decimal separator.
    static std::vector<std::string> History(int pay) {
        std::vector<std::string> rows;
        for (TBudgetTable events(tbl::PayHistory, false,
                                 Where(fld::ID) == pay && Where(fld::TypeEvent) != "CN");
             !events.Eof(); events.Next()) {
            const std::string type = events.FieldByName(fld::TypeEvent).AsString();
            std::string row =
                type + " " +
                events.FieldByName(type == "CH" ? fld::Charge : fld::Payment).AsString() + " " +
                events.FieldByName(fld::CurBalance).AsString() + " " +
                events.FieldByName(fld::ForPayment).AsString();
            for (char& c : row)
                if (c == DecimalSeparator()) c = ',';
            rows.push_back(row);
        }
        return rows;
    }

private:
    static void AddBudgetRow(const std::string& folder, const TRowValues& values) {
        TTable table;
        table.SetDatabaseName(folder);
        table.SetTableName("Budgets.db");
        table.Open();
        table.Append();
        for (const auto& [field, value] : values) table.FieldByName(field).SetValue(value);
        table.Post();
    }
};
