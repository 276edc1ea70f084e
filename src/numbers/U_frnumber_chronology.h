// A number's chronology without a window: its items, their loading with the evaluation of
// algorithm items, the item in force on a day, and the journal transaction of a change.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "algorithms/Uq519algorithm01.h"
#include "platform/Dates.h"
#include "store/TransKindContent.h"

// One dated item of a number: it holds from DateBegin (a whole day) until the next item begins.
struct NumberItemInfo {
    TDateTime DateBegin = 0;
    char ItemType = 'C';        // 'C' constant, 'A' algorithm
    std::string ConstValue;     // the constant, or an algorithm item's last computed value
    ::Algorithm01 Algorithm01;  // an 'A' item's algorithm
    std::string Descript;
    char State = 'i';  // 'i' loaded, 'a' added, 'e' edited, 'd' deleted
    // Every item but a deleted one is live.
    bool IsLive() const { return State != 'd'; }
};

// The items of the number on show with the pending edits; deleted items stay until the next load.
using TChronologyNumber = std::vector<NumberItemInfo>;

// Sorts the items by DateBegin, ascending; items of one date keep their order.
void SortChronology(TChronologyNumber& items);

// The number's items from Numbers.db in the order of Index01, each 'i'. An algorithm item's
// algorithm is read whole; a valid one is calculated for the item's date, each in a user action
// of its own under the number's name `nameObject` (so each failing item shows its own error
// window and stops the budget); a failure gives "0" and marks the algorithm not valid, and an
// algorithm stored not valid is not run and gives "0". A constant keeps its text as stored.
TChronologyNumber LoadNumberItems(int id, const std::string& nameObject);

// Calculates the algorithm item for its DateBegin as one user action under `nameObject`:
// ConstValue := the result, or "0" with the algorithm marked not valid when it failed (its
// errors are reported, which stops the open budget). An algorithm not valid gives "0" unrun.
void EvaluateAlgorithmItem(NumberItemInfo& item, const std::string& nameObject);

// The value as the frame shows it: read and printed as a decimal number (the locale's
// separator, no trailing zeros); a stored text that is no number is shown as it stands.
std::string ShownValue(const std::string& value);

// Where the live item in force on a day stands: its index in the list and its row (its place
// among the live items, from 1). The last live item whose day is not after the day; when every
// live item lies after it, the first; on several items of the day, the first of them.
struct TInForce {
    int Index = -1;
    int Row = 0;
};
std::optional<TInForce> ItemInForce(const TChronologyNumber& items, TDateTime day);

// The whole day of a date as a day number: days are compared so, never as texts.
long DayNumber(TDateTime date);

// The first `count` characters of a UTF-8 text; a character is never cut in two.
std::string CutChars(std::string_view text, size_t count);

// The "CHANG" transaction of the number `id` in its layout: the live items sorted by date (the
// list is sorted in place), a description and an algorithm item's computed value cut to 50
// characters (a constant goes whole), an algorithm's name and description to 100; the number's rows
// as Numbers.db holds them, whole; the earliest date the change touches. Nothing when the algorithm
// of a stored row cannot be read (reported as the journal's fatal error): no transaction is to be
// written.
std::optional<TNumberChangeParts> NumberChangeParts(TChronologyNumber& items, int id,
                                                    TDateTime earliestChange);

// The first live constant item whose value is no decimal number (a stored value such as "12a"):
// the journal refuses a change that would store it again.
std::optional<size_t> FirstMalformedConstant(const TChronologyNumber& items);

// Writes the number's change as one journal transaction and has the journal apply it: the
// applier's result, or 0 when nothing was written or applied (NumberChangeParts gave nothing,
// the preparation failed).
int JournalNumberChange(TChronologyNumber& items, int id, const std::string& nameObject,
                        TDateTime earliestChange);

// What the spreadsheet of a number shows besides its items: the frame's captions.
struct TNumberSheet {
    std::string Name, Descript, History;
    std::array<std::string, 3> Titles;  // the grid's titles of date, value and description
    std::string StrErrorCalc;
};

// Writes the number's sheet into a new workbook at `path`: name, description, an empty row, the
// history's caption, the header row framed medium, then one row per live item in list order
// (running number, date, value as the frame shows it or "[" + StrErrorCalc + "]" for a failed
// algorithm, description as text), the last row's bottom edge medium; columns 5, 14, 19 and 30
// wide. False when the workbook could not be written.
bool WriteNumberWorkbook(const std::string& path, const TNumberSheet& sheet,
                         const TChronologyNumber& items);
