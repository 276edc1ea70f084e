// What the pay frame shows and writes without a window: the history's view and its captions,
// the totals and chart points of the rows shown, the delete and direction transactions, and the
// workbook of the spreadsheet export.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "decimal/Large_fix.h"
#include "platform/Dates.h"
#include "platform/TableFilter.h"
#include "store/TransBlocks.h"
#include "store/U_dm.h"

// The words of Pay.lng [Pay] that the views, the grid and the export use (empty by default).
struct TPayWords {
    std::string EventCounter, EventChargeAuto, EventChargeManual, EventPayment;
    std::string WordFrom, WordTo;
    std::string StrCounter, StrAutoCharge, StrManualCharge, StrPayment;
    std::string HistCaption, StrChart, StrChartOfPeriod;
};

// The full view: every row of the pay.
TFilter PayHistoryFilter(int payId);
// The filtered view, in this order: the pay, the first day, the last day (each when used), then
// the kinds chosen: counter readings, manual charges, automatic charges, payments. No kind
// chosen shows no row.
TFilter PayHistoryFilter(int payId, const PayFilterInfo& filter);

// Word_from and the first day, a blank between, Word_to and the last day, each bound when used,
// dates in the short date format; empty without bounds.
std::string PayPeriodText(const PayFilterInfo& filter, const TPayWords& words);
// The names of the kinds shown, joined by ", " in the order counter readings, automatic charges,
// manual charges, payments; empty when all four are shown.
std::string PayKindsText(const PayFilterInfo& filter, const TPayWords& words);
// LabelHistory: HistCaption, then " (" kinds, two blanks when both are there, period ")" when
// either is there, then ":".
std::string PayHistoryCaption(const TPayWords& words, const std::string& kinds,
                              const std::string& period);
// LabeChart: StrChart + ":" without a period, else StrChartOfPeriod, a blank and the period.
std::string PayChartCaption(const TPayWords& words, const std::string& period);
// The word of an event's kind: EventCounter for "CN", EventChargeManual for "CH" with IDCharge
// 0, EventChargeAuto for any other "CH", EventPayment for "PY"; any other kind has none.
std::string EventWord(std::string_view typeEvent, int idCharge, const TPayWords& words);

// One bar of the history's chart: a charge negated (as large_fix writes it), a payment as stored;
// Value2 the event's CurBalance as stored.
struct TPayChartPoint {
    TDateTime Date = 0;
    std::string Value, Value2;
    bool Charge = false;
    bool operator==(const TPayChartPoint&) const = default;
};

// What one pass over the rows shown gives.
struct TPayTotals {
    large_fix Charged, Paid, Balance;     // Balance: the payments less the charges
    std::vector<TPayChartPoint> Points;  // one per charge and payment, by date
    int ShownRowCount = 0;               // every row walked, counter readings included
    bool Malformed = false;              // an amount was no number (counted as 0, reported)
};

// Walks the pay's rows of the view in history order, through a view of its own. An amount that
// is no number counts as 0 and puts an error naming the pay and its day into the action's error
// context (ResetGlobalErrors first): the caller reports it (ReportGlobalErrors) when Malformed.
TPayTotals ComputePayTotals(int payId, const TFilter& view);

// Deletes the manual event through the journal: one "CHANG" transaction of the pay (6023 for a
// counter reading, 6033 for a charge, 6043 for a payment; its NManOper, its value as stored,
// its description and its date), written and applied. Returns the applier's result; 0 when
// nothing was applied (the event is no manual one, or the transaction's row was lost).
int WriteDeleteEventTransaction(const THistoryEventBlock& event, int idObject,
                                const std::string& name);

// Changes the pay's direction through the journal: one "CHANG" transaction 6050 whose text is
// the new letter followed by the old one, written and applied. Returns the applier's result; 0
// when nothing was applied.
int WriteDirectionTransaction(int idObject, const std::string& name, char newDirection,
                              char oldDirection);

// What the export writes above the rows.
struct TPaySheet {
    std::string Name, Descript, History;
    std::array<std::string, 8> Titles;  // the history grid's column titles
};
// The colours of the export: the event word's background by kind, the balance's font.
inline constexpr int kSheetCounterFill = 0xC0C0C0;
inline constexpr int kSheetChargeFill = 0xFFCC99;
inline constexpr int kSheetPaymentFill = 0xCCFFCC;
inline constexpr int kSheetNegative = 0xFF0000;
inline constexpr int kSheetPositive = 0x008000;

// Writes the pay's rows of the view into a new workbook at `path`: the heading of the history
// exports, then one row per event in history order (running number as text, date as a date
// value, the event word as text on its kind's background, counter, charge, for payment, payment
// and balance as stored, the balance red when it holds "-" else green, the description), the
// last row's bottom edge medium; columns 5, 14, 21, 15 (five) and 40 wide. False when the
// workbook could not be written (nothing is left then).
bool WritePayWorkbook(const std::string& path, const TPaySheet& sheet, const TPayWords& words,
                      const TFilter& view);
