// The one definition of every table of a budget folder and of the users-data folder.
#include "tools/TableSchema.h"

namespace {

constexpr TFieldKind Int = TFieldKind::Integer;
constexpr TFieldKind Text = TFieldKind::Text;
constexpr TFieldKind Date = TFieldKind::Date;
constexpr TFieldKind Time = TFieldKind::Time;

// A table with the record counter "N" in front of its columns. Rows equal in an index keep the
// order of their counter, that is the order in which they were added.
TTableDef Table(const char* name, std::vector<TColumnDef> columns, std::vector<TIndexDef> indexes) {
    columns.insert(columns.begin(), TColumnDef{"N", Int});
    return TTableDef{name, std::move(columns), std::move(indexes)};
}

TIndexDef Index01(std::vector<std::string> columns) {
    return TIndexDef{"Index01", std::move(columns)};
}

}  // namespace

std::vector<TTableDef> BudgetTables() {
    return {
        // The tree: children of one parent in the order they were created (by ID).
        Table("Objects",
              {{"ID", Int},
               {"IDParent", Int},
               {"Type", Int},
               {"Image", Int},
               {"Expanded", Text},
               {"Name", Text},
               {"Descript", Text}},
              {Index01({"ID"})}),
        Table("Tables", {{"ID", Int}, {"NRow", Int}, {"NameRow", Text}, {"ValueRow", Text}},
              {Index01({"ID", "NRow"})}),
        Table("Images",
              {{"ID", Int},
               {"Number", Int},
               {"FileName", Text},
               {"Descript", Text},
               {"Current", Text}},
              {Index01({"ID", "Number"})}),
        Table("Numbers",
              {{"ID", Int},
               {"DateBegin", Date},
               {"ItemType", Text},
               {"ConstValue", Text},
               {"IDAlg", Int},
               {"Descript", Text}},
              {Index01({"ID", "DateBegin"})}),
        Table("Algorithms",
              {{"ID", Int},
               {"Valid", Int},
               {"IDParent", Int},
               {"Name", Text},
               {"Descript", Text},
               {"VarOfResult", Int}},
              {Index01({"ID"})}),
        // The rows of one algorithm in the order they were written.
        Table("AlgExtData",
              {{"IDAlg", Int},
               {"Name", Text},
               {"Ni", Int},
               {"IDObject", Int},
               {"TypeObject", Int},
               {"ParentObject", Int},
               {"SubSource", Int},
               {"Param1", Text},
               {"Param2", Text},
               {"Param3", Text}},
              {Index01({"IDAlg"})}),
        Table("AlgVarDescr", {{"IDAlg", Int}, {"NVar", Int}, {"Descript", Text}},
              {Index01({"IDAlg"})}),
        Table("AlgText", {{"IDAlg", Int}, {"NPart", Int}, {"PartText", Text}},
              {Index01({"IDAlg", "NPart"})}),
        Table("Pays",
              {{"ID", Int},
               {"Direction", Text},
               {"FilterMode", Text},
               {"FilterDateFrom", Date},
               {"FilterDateTo", Date}},
              {Index01({"ID"})}),
        // A pay's events by day; on one day the manual events (PrtyCharge 0) by their number,
        // then the automatic charges by priority, as the balance chain needs.
        Table("PayHistory",
              {{"ID", Int},
               {"DateEvent", Date},
               {"TypeEvent", Text},
               {"Counter", Text},
               {"IDCharge", Int},
               {"PrtyCharge", Int},
               {"NManOper", Int},
               {"Charge", Text},
               {"ForPayment", Text},
               {"Payment", Text},
               {"CurBalance", Text},
               {"Descript", Text}},
              {Index01({"ID", "DateEvent", "PrtyCharge", "NManOper"})}),
        // A pay's auto charges in the order of its list.
        Table("PayAutoCharges",
              {{"ID", Int},
               {"Name", Text},
               {"Descript", Text},
               {"DateBegin", Date},
               {"RestrictTime", Text},
               {"DateEnd", Date},
               {"Activity", Text},
               {"ItemType", Text},
               {"ConstValue", Text},
               {"IDAlg", Int},
               {"IDSchedule", Int}},
              {Index01({"ID"})}),
        Table("Schedules",
              {{"ID", Int},
               {"Periodicity", Text},
               {"UnitaryDate", Date},
               {"MonthesDays", Text},
               {"WeekDays", Text},
               {"Priority", Int}},
              {Index01({"ID"})}),
        // By day; manual entries (Priority below 0) before automatic ones, each by Priority.
        Table("Calendar",
              {{"Date", Date},
               {"Deleting", Int},
               {"Priority", Int},
               {"IDObject", Int},
               {"IDSchedule", Int},
               {"NameCharge", Text},
               {"StrSchedule", Text}},
              {Index01({"Date", "Priority"})}),
        Table("jTrInteger", {{"NTrans", Int}, {"NPart", Int}, {"Value", Int}},
              {Index01({"NTrans", "NPart"})}),
        Table("jTrText", {{"NTrans", Int}, {"NPart", Int}, {"Value", Text}},
              {Index01({"NTrans", "NPart"})}),
        Table("jTrDate", {{"NTrans", Int}, {"NPart", Int}, {"Value", Date}},
              {Index01({"NTrans", "NPart"})}),
        Table("jTrans",
              {{"NTrans", Int},
               {"Act", Text},
               {"Status", Text},
               {"Date", Date},
               {"Time", Time},
               {"IDObject", Int},
               {"Type", Int},
               {"NameObject", Text}},
              // Index_Status: every application first looks for the undone transactions,
              // which stays quick however long the journal grows.
              {TIndexDef{"Index_NTrans", {"NTrans"}}, TIndexDef{"Index_Status", {"Status"}}}),
    };
}

std::vector<TTableDef> UsersDataTables() {
    return {
        Table("Budgets",
              {{"ID", Int},
               {"Name", Text},
               {"Descript", Text},
               {"Path", Text},
               {"State", Int},
               {"Image", Int},
               {"Expanded", Text},
               {"Work", Int}},
              {Index01({"ID"})}),
        // Keys are found by an exact search; the table has no named index.
        Table("Settings",
              {{"PName", Text}, {"ValueInt", Int}, {"ValueStr", Text}, {"ValueDate", Date}}, {}),
    };
}
