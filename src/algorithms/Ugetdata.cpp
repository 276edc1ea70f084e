// Calculating an algorithm for a date, the dispatcher of its initial data, the number sources,
// the calendar's date functions and the descriptions of sub-sources.
#include "algorithms/Ugetdata.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>
#include <optional>

#include "algorithms/Uq519algtextformat.h"
#include "algorithms/Uq519arithmeticslf.h"
#include "platform/Database.h"
#include "shell/ShellServices.h"
#include "shell/Ulanguage.h"
#include "store/U_dm.h"
#include "store/Utransactions.h"
#include "schema/SchemaNames.h"

namespace {

// Locates the object in the data module's TableObjects (its current row moves there); true for
// a number. An ID that the table does not hold is a fatal error: the program ends, and the
// object counts as no number.
bool LocateNumber(int id) {
    TTable& objects = DM->TableObjects;
    if (!objects.Locate(fld::ID, {id})) {
        ReportFatalError(kFatalObject);
        return false;
    }
    return objects.FieldByName(fld::Type).AsInteger() == kSourceNumber;
}

TDateTime BeginOf(TTable& items) {
    return items.FieldByName(fld::DateBegin).AsDateTime();
}

// Puts the view of a number's items (by DateBegin) on the item in force at the date and gives
// the code of FindItemInForce.
int SeekItemInForce(TTable& items, TDateTime date, TDateTime& itemDate) {
    if (items.IsEmpty()) return -2;
    items.Last();
    if (date >= BeginOf(items)) {
        itemDate = BeginOf(items);
        return 2;
    }
    items.First();
    if (date <= BeginOf(items)) {
        itemDate = BeginOf(items);
        return 1;
    }
    // The last item that begins on or before the date holds; the last item begins after it.
    do items.Next();
    while (date >= BeginOf(items));
    items.Prior();
    itemDate = BeginOf(items);
    return 0;
}

// The value of the item the view stands on, which begins at itemDate: 1 a constant item, 2 an
// algorithm item calculated for itemDate within the current user action ("0" when that failed).
int ItemValue(TTable& items, TDateTime itemDate, std::string& value) {
    if (items.FieldByName(fld::ItemType).AsString().starts_with('C')) {
        value = items.FieldByName(fld::ConstValue).AsString();
        return 1;
    }
    const Error01 outcome =
        CalculateAlgorithm(itemDate, DM->LoadAlgorithm(items.FieldByName(fld::IDAlg).AsInteger()));
    value = outcome.ErrCode != 0 ? "0" : outcome.Text;
    return 2;
}

// A number's value at the datum's date: the value of its item in force, an algorithm item
// calculated for that item's own beginning; "0" when there is none. One view of the items
// serves to find the item and read it.
void GetNumberDataValue(ExtData& datum) {
    datum.DataStr = "0";
    if (!LocateNumber(datum.IDObject)) return;
    TBudgetTable items(tbl::Numbers, false, Where(fld::ID) == datum.IDObject);
    TDateTime itemDate = 0;
    if (SeekItemInForce(items, datum.Date, itemDate) >= 0)
        ItemValue(items, itemDate, datum.DataStr);
}

// More months than the calendar of the years 1 to 9999 holds.
constexpr int kMonthsOfTheCalendar = 12 * 10000;

// The date functions: the calendar's sub-sources 1, 2, 5 and 6 read the date itself, 3, 4 and
// 7 the shifted date of their parameters.
void GetCalendarDataValue(ExtData& datum) {
    switch (datum.SubSource) {
        case 1:
        case 2:
        case 5:
        case 6:
            datum.DataStr = std::to_string(GetDateFunctionValue(datum.SubSource, datum.Date));
            break;
        case 3:
        case 4:
        case 7:
            datum.DataStr = GetShiftedDateValue(datum.SubSource, SourceParamToInt(datum.Param1),
                                                SourceParamToInt(datum.Param2), datum.Date);
            break;
        default:
            break;
    }
}

void FetchValue(ExtData& datum) {
    switch (datum.TypeObject) {
        case kSourceNumber:
            GetNumberDataValue(datum);
            break;
        case kSourcePay:
            GetPayDataValue(datum);
            break;
        case kSourceCalendar:
            GetCalendarDataValue(datum);
            break;
        default:
            break;
    }
}

void ReportUnobtained(ExtData& datum, const std::string& algName, const std::string& what) {
    datum.DataStr = "0";
    AddGlobalError(algName, Error01{"", -1, kErrDatumNotObtained, datum.Name + ": " + what});
}

std::string Describe(std::string_view section, std::string_view key, int subSource,
                     std::string_view day, std::string_view monthDecr) {
    const std::string text = TLangFile(ShellServices().LangPath() + "Choice.lng")
                                 .Read(section, std::string(key) + std::to_string(subSource), "");
    return ReplaceAllText(ReplaceAllText(text, "[Day]", day), "[MonthDecr]", monthDecr);
}

}  // namespace

Error01 CalculateAlgorithm(TDateTime date, Algorithm01 algorithm) {
    Error01 result;
    GlobatErrWatch& watch = ErrWatch();
    if (++watch.CalcCount == 1) watch.NameAlg = algorithm.Name;
    const auto fail = [&](int code) {
        result.ErrCode = code;
        AddGlobalError(algorithm.Name, result);
        return result;
    };
    if (watch.CalcCount > kMaxCalculations) return fail(kErrTooManyCalculations);

    FillExtDataValues(algorithm.INDataList, date, algorithm.Name);
    if (watch.HasErrors) return fail(kErrDatumNotObtained);

    const auto prepared = watch.Prepared.Get(algorithm.Text, algorithm.INDataList);
    if (!prepared->Errors.empty()) {
        AddGlobalErrors(algorithm.Name, prepared->Errors);
        result.ErrCode = kErrCheckFailed;
        return result;
    }
    if (prepared->Lines.empty()) {
        result.Text = "0";
        return result;
    }

    // One set of hooks for every calculation, so that events are let through at the same pace
    // however many short calculations a user action runs.
    static RunHooks hooks;
    std::vector<std::string> variables = NewVariables();
    PrMarker marker;
    const Error01 run = RunProgram(variables, algorithm.VarOfResult, *prepared,
                                   algorithm.INDataList, marker, hooks);
    if (run.ErrCode != 0) {
        result.NLine = run.NLine;
        result.Text = run.Text;
        return fail(run.ErrCode);
    }
    result.Text = marker.Result;
    return result;
}

void FillExtDataValues(TExtDataList& list, TDateTime date, const std::string& algName) {
    // The numbers and pays are read from one state of the budget, with one lock.
    const bool readsBudget = std::any_of(list.begin(), list.end(), [](const ExtData& datum) {
        return datum.TypeObject == kSourceNumber || datum.TypeObject == kSourcePay;
    });
    std::optional<TReadScope> snapshot;
    if (readsBudget) snapshot.emplace(ShellServices().BudgetPath());
    for (ExtData& datum : list) {
        ExtData fetched = datum;
        fetched.Date = date;
        fetched.DataStr.clear();
        GetExtDataValue(fetched, algName);
        datum.Date = date;
        datum.DataStr = std::move(fetched.DataStr);
    }
}

void GetExtDataValue(ExtData& datum, const std::string& algName) {
    try {
        FetchValue(datum);
    } catch (const EDataSourceError& error) {
        ReportUnobtained(datum, algName, error.Text());
    } catch (const EDateError&) {
        ReportUnobtained(datum, algName, datum.Param1 + " " + datum.Param2);
    }
}

int FindItemInForce(int id, TDateTime& itemDate, TDateTime date) {
    if (!LocateNumber(id)) return -1;
    TBudgetTable items(tbl::Numbers, false, Where(fld::ID) == id);
    return SeekItemInForce(items, date, itemDate);
}

int GetNumberValue(int id, std::string& value, TDateTime itemDate) {
    if (!LocateNumber(id)) return -1;
    TBudgetTable items(tbl::Numbers);
    if (!items.Locate("ID;DateBegin", {id, itemDate})) return -2;
    return ItemValue(items, itemDate, value);
}

int SourceParamToInt(std::string_view text) {
    const std::string trimmed = TrimText(text);
    std::string_view digits = trimmed;
    const bool negative = digits.starts_with('-');
    if (negative || digits.starts_with('+')) digits.remove_prefix(1);
    long long value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (negative) value = -value;
    if (digits.empty() || !std::isdigit(static_cast<unsigned char>(digits.front())) ||
        error != std::errc() || end != digits.data() + digits.size() ||
        value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        throw EDataSourceError(std::string(text),
                               "'" + std::string(text) + "' is not a whole number");
    return static_cast<int>(value);
}

int MonthLength(int year, int month) {
    if (month < 1 || month > 12) return 1;
    return DaysInMonth(year, month);
}

TDateTime FirstDayOfMonth(TDateTime date) {
    const auto [year, month, day] = DecodeDate(date);
    return EncodeDate(year, month, 1);
}

TDateTime LastDayOfMonth(TDateTime date) {
    const auto [year, month, day] = DecodeDate(date);
    return EncodeDate(year, month, MonthLength(year, month));
}

TDateTime ShiftedDate(int day, int monthDecrement, TDateTime date) {
    if (monthDecrement > kMonthsOfTheCalendar || monthDecrement < -kMonthsOfTheCalendar)
        throw EDateError("A month decrement beyond the calendar: " +
                         std::to_string(monthDecrement));
    const auto [year, month, unused] = DecodeDate(IncMonth(FirstDayOfMonth(date), -monthDecrement));
    return EncodeDate(year, month, std::min(day, MonthLength(year, month)));
}

int GetDateFunctionValue(int code, TDateTime date) {
    const auto [year, month, day] = DecodeDate(date);
    switch (code) {
        case 1:
            return year;
        case 2:
            return IsLeapYear(year) ? 1 : 0;
        case 3:
            return month;
        case 4:
            return MonthLength(year, month);
        case 5:
            return day;
        case 6:
        case 7:
            // Sunday 1 .. Saturday 7 becomes Monday 1 .. Sunday 7.
            return (DayOfWeek(date) + 5) % 7 + 1;
        default:
            return -1;
    }
}

std::string GetShiftedDateValue(int code, int day, int monthDecrement, TDateTime date) {
    return std::to_string(GetDateFunctionValue(code, ShiftedDate(day, monthDecrement, date)));
}

std::string DescribeSubSource(int subSource, std::string_view day, std::string_view monthDecr) {
    return Describe("PaySubSourceStr", "SubSourceStr", subSource, day, monthDecr);
}

std::string DescribeSubDate(int subSource, std::string_view day, std::string_view monthDecr) {
    return Describe("SubDateStr", "SubDateStr", subSource, day, monthDecr);
}
