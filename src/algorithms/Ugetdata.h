// Calculating an algorithm for a date, the sources of its initial data (numbers, pays and the
// calendar's date functions), and the balances of pays and folders.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "algorithms/Uq519algorithm01.h"
#include "platform/Dates.h"

class TTable;

// ---------------------------------------------------------------------------------------------
// Calculating

// The value of the algorithm for the date, within the user action that the last
// ResetGlobalErrors began: fetches its initial data for the date, prepares the text (once per
// action) and runs it, letting only paint and timer events through meanwhile. Never fails: the
// outcome is ErrCode 0 with the result in Text exactly as the result variable holds it, or the
// error, which has been added to the action's error context under the algorithm's Name:
//   1030  more than kMaxCalculations calculations since the reset, nested ones included;
//   1020  the context holds errors once the initial data are fetched (this action failed before,
//         or a datum could not be obtained);
//   10    the check found errors (they are in the context one by one, each with its line);
//   20, 1000, 1010, 1040  the run failed on line NLine, Text the failing condition or
//         expression (for 1040 the line's condition or statement as written).
// NLine is -1 but for the run errors. An algorithm without any line yields "0". The caller
// uses "0" whenever ErrCode is not 0. The caller's record is not changed.
Error01 CalculateAlgorithm(TDateTime date, Algorithm01 algorithm);

// Fetches every initial datum of the list for the date: Date := date, DataStr := the value.
// A datum that cannot be obtained is reported under algName (see GetExtDataValue).
void FillExtDataValues(TExtDataList& list, TDateTime date, const std::string& algName);

// ---------------------------------------------------------------------------------------------
// Data sources

// The kinds of source (ExtData::TypeObject), as Objects.db Type stores them.
constexpr int kSourceNumber = 50;
constexpr int kSourcePay = 60;
constexpr int kSourceCalendar = 9500;

// A text of a source that cannot be read: a parameter that is no whole number, a stored amount
// that is no number. Text() is that text, what() says what is wrong with it.
class EDataSourceError : public std::runtime_error {
public:
    EDataSourceError(std::string text, const std::string& what)
        : std::runtime_error(what), text_(std::move(text)) {}
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

// Sets the datum's DataStr to its source's value for its Date: a number's item in force
// (kSourceNumber, SubSource 0), one of 26 values of a pay's history (kSourcePay, SubSource 1 to
// 26) or a date function (kSourceCalendar, SubSource 1 to 7). A kind or sub-source outside these
// leaves DataStr as it was. A parameter that is no whole number, a stored amount that is no
// number, or parameters that lead outside the calendar give DataStr "0" and add the error 1020
// (Text: the datum's Name and what could not be read) to the action's error context under
// algName. Nothing else of a source adds an error of its own.
void GetExtDataValue(ExtData& datum, const std::string& algName);

// Which item of the number holds at the date (items by DateBegin): 2 the last one (the date on
// or after its beginning), 1 the first one (the date on or before its beginning), 0 one in
// between (the last that begins on or before the date); itemDate := that item's DateBegin.
// -1: the object is no number; -2: the number has no items (itemDate untouched). An ID that
// Objects.db does not hold is a fatal error (the program ends) and gives -1.
int FindItemInForce(int id, TDateTime& itemDate, TDateTime date);

// The value of the number's item that begins at itemDate: 1 a constant item (value := its
// ConstValue as stored), 2 an algorithm item (value := its result for itemDate, calculated
// within the current user action, or "0" when that failed); -1 no number, -2 no item begins
// then (value untouched). A missing object or algorithm is a fatal error as above.
int GetNumberValue(int id, std::string& value, TDateTime itemDate);

// The integer of a data source's parameter text (blanks around it allowed, an optional sign);
// throws EDataSourceError for any other text or one outside the range of int.
int SourceParamToInt(std::string_view text);

// Date utilities. A month outside 1 to 12 has the length 1.
int MonthLength(int year, int month);
TDateTime FirstDayOfMonth(TDateTime date);
TDateTime LastDayOfMonth(TDateTime date);

// Day `day` of the month that lies monthDecrement months before the month of the date (a
// negative decrement goes forward), the month's last day when it is shorter: for 30 May, day 31
// and 3 months it is 28 (29) February; a whole day, whatever time of day the date holds. Throws
// EDateError for a day below 1 or a month outside the years 1 to 9999.
TDateTime ShiftedDate(int day, int monthDecrement, TDateTime date);

// The date functions, by code: 1 the year, 2 1 for a leap year else 0, 3 the month, 4 the days
// of the month, 5 the day of the month, 6 and 7 the day of the week (Monday 1 to Sunday 7);
// -1 for any other code.
int GetDateFunctionValue(int code, TDateTime date);
// The date function of ShiftedDate(day, monthDecrement, date), as decimal text.
std::string GetShiftedDateValue(int code, int day, int monthDecrement, TDateTime date);

// The description of a pay's sub-source (1 to 26) or a date function (1 to 7) from the language
// folder's "Choice.lng", "[Day]" and "[MonthDecr]" replaced by the texts; empty when the file or
// its key is missing.
std::string DescribeSubSource(int subSource, std::string_view day, std::string_view monthDecr);
std::string DescribeSubDate(int subSource, std::string_view day, std::string_view monthDecr);

// ---------------------------------------------------------------------------------------------
// Pay sources: readers of one pay's PayHistory.db rows (the pay's events up to the end of a day,
// or within a month, in the order of "Index01"). Values taken as stored come back unchanged;
// sums are exact and printed with the user's decimal separator. A pay without rows of the kind
// asked for, or an ID without a pay, gives the "nothing found" value. Amounts that are no
// number throw EDataSourceError.

// The pay branch of GetExtDataValue: DataStr by the datum's SubSource (1 to 26).
void GetPayDataValue(ExtData& datum);

// The Counter, Charge or Payment of the pay's last reading, charge or payment up to the end of
// the day; "0" when there is none or it is empty.
std::string GetLastCounter(int payId, TDateTime date);
std::string GetLastCharge(int payId, TDateTime date);
std::string GetLastPayment(int payId, TDateTime date);
// The sum of the pay's charges or payments up to the end of the day ("0" for none).
std::string GetChargeSum(int payId, TDateTime date);
std::string GetPaymentSum(int payId, TDateTime date);
// The balance of the pay at the end of the day: the CurBalance of its last charge or payment
// up to then that has one (events not yet recalculated are passed over); "0" for none.
std::string GetPayBalanceAt(int payId, TDateTime date);
// The same through a PayHistory table of the open budget that the caller keeps open for many
// lookups (the recalculation): its filter is replaced, which spares opening a table each time.
std::string GetPayBalanceAt(TTable& history, int payId, TDateTime date);
// The whole days from the last charge or payment before the balance took its present sign
// (up to the end of the day) to the day; -1 when the balance never changed its sign.
int DaysSinceSignChange(int payId, TDateTime date);

// The month monthDecrement months before the date's month; typeEvent is "CH" or "PY".
// The number of the pay's events of the kind in that month, as text.
std::string CountMonthEvents(int payId, int monthDecrement, TDateTime date,
                             std::string_view typeEvent);
// Of the first (which 'f') or last ('l') event of the kind in that month: its day (what 'd'),
// its amount as stored (what 'v'), or "1" for an automatic and "0" for a manual charge
// (what 't'); without such an event "-1" for 't', else "0".
std::string GetMonthEventValue(int payId, int monthDecrement, TDateTime date,
                               std::string_view typeEvent, char what, char which);

// ---------------------------------------------------------------------------------------------
// Balances of the open budget today: each pay's GetPayBalanceAt today, added for a pay with the
// Direction "O", left out for "N" and subtracted for any other; exact, printed with the user's
// decimal separator, "0" when nothing is counted. A stored balance that is no number throws
// EDataSourceError.

// Over every row of Pays.db, wherever the pay lies in the tree.
std::string CalcTotalBalance();

// Over the pays that lie below the folder, at any depth (each level of folders in the order of
// its "Index01").
std::string CalcFolderBalance(int folderId);
