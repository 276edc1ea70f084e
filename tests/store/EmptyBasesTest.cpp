// The generated empty budget and users-data tables: every table with the columns, kinds,
// indexes and row orders that the program relies on.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "common/TestFolders.h"
#include "platform/Table.h"

namespace fs = std::filesystem;

namespace {

// "Name:kind" for every column after the record counter.
std::vector<std::string> Columns(TTable& table) {
    std::vector<std::string> columns;
    for (int i = 1; i < table.FieldCount(); ++i)
        columns.push_back(table.Fields(i).FieldName() + ":" + KindName(table.Fields(i).Kind()));
    return columns;
}

void Open(TTable& table, const std::string& folder, const std::string& file,
          const std::string& index) {
    table.SetDatabaseName(folder);
    table.SetTableName(file);
    table.SetIndexName(index);
    table.Open();
}

// Appends rows given as values of the named fields.
void AddRows(TTable& table, const std::vector<std::string>& fields,
             const std::vector<std::vector<TFieldValue>>& rows) {
    for (const auto& row : rows) {
        table.Append();
        for (std::size_t i = 0; i < fields.size(); ++i)
            table.FieldByName(fields[i]).SetValue(row[i]);
        table.Post();
    }
}

// The values of one field over the view, in view order.
std::vector<TFieldValue> Walk(TTable& table, const std::string& field) {
    std::vector<TFieldValue> values;
    for (table.First(); !table.Eof(); table.Next())
        values.push_back(table.FieldByName(field).Value());
    return values;
}

}  // namespace

TEST(EmptyBases, HoldsTheTablesFileTheBudgetIniAndTheTwoFoldersOnly) {
    std::set<std::string> entries;
    for (const auto& entry : fs::directory_iterator(TestFolders::GeneratedEmptyBases()))
        entries.insert(entry.path().filename().string() + (entry.is_directory() ? "/" : ""));
    EXPECT_EQ(entries,
              (std::set<std::string>{"Files/", "Images/", "VLBudget.ini", "tables.sqlite"}));
    EXPECT_TRUE(fs::is_empty(TestFolders::GeneratedEmptyBases() + "/Images"));
}

TEST(EmptyBases, EveryTableHasTheColumnsAndTheIndexThatTheProgramUses) {
    TestFolders folders;
    const std::string budget = folders.MakeBudget();
    const struct {
        const char* file;
        const char* index;
        std::vector<std::string> columns;
    } tables[] = {
        {"Objects.DB",
         "Index01",
         {"ID:integer", "IDParent:integer", "Type:integer", "Image:integer", "Expanded:text",
          "Name:text", "Descript:text"}},
        {"Tables.db", "Index01", {"ID:integer", "NRow:integer", "NameRow:text", "ValueRow:text"}},
        {"Images.db",
         "Index01",
         {"ID:integer", "Number:integer", "FileName:text", "Descript:text", "Current:text"}},
        {"Numbers.db",
         "Index01",
         {"ID:integer", "DateBegin:date", "ItemType:text", "ConstValue:text", "IDAlg:integer",
          "Descript:text"}},
        {"Algorithms.db",
         "Index01",
         {"ID:integer", "Valid:integer", "IDParent:integer", "Name:text", "Descript:text",
          "VarOfResult:integer"}},
        {"AlgExtData.db",
         "Index01",
         {"IDAlg:integer", "Name:text", "Ni:integer", "IDObject:integer", "TypeObject:integer",
          "ParentObject:integer", "SubSource:integer", "Param1:text", "Param2:text",
          "Param3:text"}},
        {"AlgVarDescr.db", "Index01", {"IDAlg:integer", "NVar:integer", "Descript:text"}},
        {"AlgText.db", "Index01", {"IDAlg:integer", "NPart:integer", "PartText:text"}},
        {"Pays.DB",
         "Index01",
         {"ID:integer", "Direction:text", "FilterMode:text", "FilterDateFrom:date",
          "FilterDateTo:date"}},
        {"PayHistory.DB",
         "Index01",
         {"ID:integer", "DateEvent:date", "TypeEvent:text", "Counter:text", "IDCharge:integer",
          "PrtyCharge:integer", "NManOper:integer", "Charge:text", "ForPayment:text",
          "Payment:text", "CurBalance:text", "Descript:text"}},
        {"PayAutoCharges.DB",
         "Index01",
         {"ID:integer", "Name:text", "Descript:text", "DateBegin:date", "RestrictTime:text",
          "DateEnd:date", "Activity:text", "ItemType:text", "ConstValue:text", "IDAlg:integer",
          "IDSchedule:integer"}},
        {"Schedules.db",
         "Index01",
         {"ID:integer", "Periodicity:text", "UnitaryDate:date", "MonthesDays:text", "WeekDays:text",
          "Priority:integer"}},
        {"Calendar.db",
         "Index01",
         {"Date:date", "Deleting:integer", "Priority:integer", "IDObject:integer",
          "IDSchedule:integer", "NameCharge:text", "StrSchedule:text"}},
        {"jTrans.DB",
         "Index_NTrans",
         {"NTrans:integer", "Act:text", "Status:text", "Date:date", "Time:time", "IDObject:integer",
          "Type:integer", "NameObject:text"}},
        {"jTrInteger.DB", "Index01", {"NTrans:integer", "NPart:integer", "Value:integer"}},
        {"jTrText.DB", "Index01", {"NTrans:integer", "NPart:integer", "Value:text"}},
        {"jTrDate.DB", "Index01", {"NTrans:integer", "NPart:integer", "Value:date"}},
    };
    for (const auto& t : tables) {
        SCOPED_TRACE(t.file);
        TTable table;
        Open(table, budget, t.file, t.index);
        EXPECT_EQ(Columns(table), t.columns);
        EXPECT_EQ(table.Fields(0).FieldName(), "N");  // the record counter comes first
        EXPECT_EQ(table.RecordCount(), std::string(t.file) == "Objects.DB" ? 2 : 0);
    }

    const std::string users = folders.UsersDataPath();
    TTable budgets;
    Open(budgets, users, "Budgets.db", "Index01");
    EXPECT_EQ(Columns(budgets),
              (std::vector<std::string>{"ID:integer", "Name:text", "Descript:text", "Path:text",
                                        "State:integer", "Image:integer", "Expanded:text",
                                        "Work:integer"}));
    EXPECT_EQ(budgets.RecordCount(), 0);
    TTable settings;
    Open(settings, users, "Settings.db", "");
    EXPECT_EQ(Columns(settings), (std::vector<std::string>{"PName:text", "ValueInt:integer",
                                                           "ValueStr:text", "ValueDate:date"}));
    EXPECT_EQ(settings.RecordCount(), 0);
}

TEST(EmptyBases, ObjectsHoldsTheCalendarAndTheJournalNodesOnly) {
    TestFolders folders;
    TTable objects;
    Open(objects, folders.MakeBudget(), "Objects.db", "Index01");
    std::vector<std::vector<TFieldValue>> rows;
    for (objects.First(); !objects.Eof(); objects.Next())
        rows.push_back({objects.FieldByName("ID").Value(), objects.FieldByName("IDParent").Value(),
                        objects.FieldByName("Type").Value(),
                        objects.FieldByName("Expanded").Value()});
    EXPECT_EQ(rows,
              (std::vector<std::vector<TFieldValue>>{{9, 0, 9500, "N"}, {10, 0, 10000, "N"}}));
}

TEST(EmptyBases, IndexesGiveTheOrdersThatTheComputationsRelyOn) {
    TestFolders folders;
    const std::string budget = folders.MakeBudget();
    {
        // A pay's rows by day; on a day the manual events by number, then the automatic charges
        // by priority; then the next pay.
        TTable history;
        Open(history, budget, "PayHistory.db", "Index01");
        AddRows(history, {"ID", "DateEvent", "PrtyCharge", "NManOper", "Descript"},
                {{7, 45001.0, 3, 0, "auto 3"},
                 {5, 45009.0, 0, 1, "other pay"},
                 {7, 45001.0, 0, 2, "manual 2"},
                 {7, 45000.0, 9, 0, "day before"},
                 {7, 45001.0, 1, 0, "auto 1"},
                 {7, 45001.0, 0, 1, "manual 1"}});
        EXPECT_EQ(Walk(history, "Descript"),
                  (std::vector<TFieldValue>{"other pay", "day before", "manual 1", "manual 2",
                                            "auto 1", "auto 3"}));
    }
    {
        // The calendar by day; manual entries (negative priority) before automatic ones.
        TTable calendar;
        Open(calendar, budget, "Calendar.db", "Index01");
        AddRows(calendar, {"Date", "Priority", "NameCharge"},
                {{45002.0, -8999, "later"},
                 {45001.0, 5, "auto"},
                 {45001.0, -8998, "manual 2"},
                 {45001.0, -8999, "manual 1"}});
        EXPECT_EQ(Walk(calendar, "NameCharge"),
                  (std::vector<TFieldValue>{"manual 1", "manual 2", "auto", "later"}));
    }
    for (const char* parts : {"jTrInteger.DB", "jTrText.DB", "jTrDate.DB"}) {
        SCOPED_TRACE(parts);
        TTable table;
        Open(table, budget, parts, "Index01");
        AddRows(table, {"NTrans", "NPart"}, {{2, 1}, {1, 2}, {1, 1}, {2, 2}});
        EXPECT_EQ(Walk(table, "NPart"), (std::vector<TFieldValue>{1, 2, 1, 2}));
        EXPECT_EQ(Walk(table, "NTrans"), (std::vector<TFieldValue>{1, 1, 2, 2}));
    }
    {
        TTable journal;
        Open(journal, budget, "jTrans.DB", "Index_NTrans");
        AddRows(journal, {"NTrans"}, {{3}, {1}, {2}});
        EXPECT_EQ(Walk(journal, "NTrans"), (std::vector<TFieldValue>{1, 2, 3}));
    }
    {
        // An algorithm's pieces and initial data come back in the order they were written.
        TTable text;
        Open(text, budget, "AlgText.db", "Index01");
        AddRows(text, {"IDAlg", "NPart", "PartText"}, {{4, 1, "a"}, {3, 1, "x"}, {4, 2, "b"}});
        EXPECT_EQ(Walk(text, "PartText"), (std::vector<TFieldValue>{"x", "a", "b"}));
        TTable data;
        Open(data, budget, "AlgExtData.db", "Index01");
        AddRows(data, {"IDAlg", "Ni"}, {{4, 9}, {3, 1}, {4, 2}, {4, 5}});
        EXPECT_EQ(Walk(data, "Ni"), (std::vector<TFieldValue>{1, 9, 2, 5}));
    }
}
