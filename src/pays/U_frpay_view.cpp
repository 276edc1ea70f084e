// What the pay frame shows and writes without a window: the history's view and its captions,
// the totals and chart points of the rows shown, the delete and direction transactions, and the
// workbook of the spreadsheet export.
#include "pays/U_frpay_view.h"

#include <algorithm>

#include "algorithms/Uq519algorithm01.h"
#include "pays/Upaytables.h"
#include "pays/Uscheduler.h"
#include "platform/XlsxSheet.h"
#include "schema/SchemaNames.h"
#include "shell/ShellServices.h"
#include "store/TransBlockRows.h"
#include "store/TransKindPay.h"
#include "store/Utransactions.h"

TFilter PayHistoryFilter(int payId) {
    return Where(fld::ID) == payId;
}

TFilter PayHistoryFilter(int payId, const PayFilterInfo& filter) {
    TFilter view = PayHistoryFilter(payId);
    if (filter.UseDateFrom) view = view && Where(fld::DateEvent) >= filter.DateFrom;
    if (filter.UseDateTo) view = view && Where(fld::DateEvent) <= filter.DateTo;
    std::vector<TFilter> kinds;
    if (filter.ShowCounters) kinds.push_back(Where(fld::TypeEvent) == kEventCounter);
    if (filter.ShowManualCharges)
        kinds.push_back(Where(fld::TypeEvent) == kEventCharge && Where(fld::IDCharge) == 0);
    if (filter.ShowAutoCharges)
        kinds.push_back(Where(fld::TypeEvent) == kEventCharge && Where(fld::IDCharge) != 0);
    if (filter.ShowPayments) kinds.push_back(Where(fld::TypeEvent) == kEventPayment);
    return view && TFilter::AnyOf(std::move(kinds));
}

std::string PayPeriodText(const PayFilterInfo& filter, const TPayWords& words) {
    std::string text;
    if (filter.UseDateFrom) text += words.WordFrom + " " + DateToStr(filter.DateFrom);
    if (filter.UseDateFrom && filter.UseDateTo) text += " ";
    if (filter.UseDateTo) text += words.WordTo + " " + DateToStr(filter.DateTo);
    return text;
}

std::string PayKindsText(const PayFilterInfo& filter, const TPayWords& words) {
    if (filter.ShowCounters && filter.ShowAutoCharges && filter.ShowManualCharges &&
        filter.ShowPayments)
        return {};
    std::string text;
    const std::pair<bool, const std::string*> kinds[] = {
        {filter.ShowCounters, &words.StrCounter},
        {filter.ShowAutoCharges, &words.StrAutoCharge},
        {filter.ShowManualCharges, &words.StrManualCharge},
        {filter.ShowPayments, &words.StrPayment}};
    for (const auto& [on, name] : kinds) {
        if (!on) continue;
        if (!text.empty()) text += ", ";
        text += *name;
    }
    return text;
}

std::string PayHistoryCaption(const TPayWords& words, const std::string& kinds,
                              const std::string& period) {
    std::string caption = words.HistCaption;
    if (!kinds.empty() || !period.empty())
        caption += " (" + kinds + (!kinds.empty() && !period.empty() ? "  " : "") + period + ")";
    return caption + ":";
}

std::string PayChartCaption(const TPayWords& words, const std::string& period) {
    return period.empty() ? words.StrChart + ":" : words.StrChartOfPeriod + " " + period;
}

std::string EventWord(std::string_view typeEvent, int idCharge, const TPayWords& words) {
    if (typeEvent == kEventCounter) return words.EventCounter;
    if (typeEvent == kEventCharge)
        return idCharge == 0 ? words.EventChargeManual : words.EventChargeAuto;
    if (typeEvent == kEventPayment) return words.EventPayment;
    return {};
}

TPayTotals ComputePayTotals(int payId, const TFilter& view) {
    ResetGlobalErrors();
    ErrWatch().NameObject =
        ShellServices().Index().GetObjectName(payId, ShellServices().BudgetPath());
    TPayTotals totals;
    TAmountReader amounts(payId, 0);
    TBudgetTable history(tbl::PayHistory, false, view);
    TField& type = history.FieldByName(fld::TypeEvent);
    TField& date = history.FieldByName(fld::DateEvent);
    TField& charge = history.FieldByName(fld::Charge);
    TField& payment = history.FieldByName(fld::Payment);
    TField& balance = history.FieldByName(fld::CurBalance);
    for (; !history.Eof(); history.Next()) {
        ++totals.ShownRowCount;
        const std::string kind = type.AsString();
        const bool isCharge = kind == kEventCharge;
        if (!isCharge && kind != kEventPayment) continue;
        TPayChartPoint& point = totals.Points.emplace_back();
        point.Date = date.AsDateTime();
        point.Value2 = balance.AsString();
        point.Charge = isCharge;
        amounts.SetDate(point.Date);
        if (isCharge) {
            const large_fix c = amounts.Read(charge.AsString());
            totals.Charged += c;
            totals.Balance -= c;
            point.Value = (c * large_fix(-1)).ToString();
        } else {
            point.Value = payment.AsString();
            const large_fix p = amounts.Read(point.Value);
            totals.Paid += p;
            totals.Balance += p;
        }
    }
    std::stable_sort(
        totals.Points.begin(), totals.Points.end(),
        [](const TPayChartPoint& a, const TPayChartPoint& b) { return a.Date < b.Date; });
    totals.Malformed = amounts.Failed();
    return totals;
}

int WriteDeleteEventTransaction(const THistoryEventBlock& event, int idObject,
                                const std::string& name) {
    TPayEventParts parts;
    if (event.TypeEvent == kEventCounter) {
        parts.Code = kPayDeleteCounter;
        parts.Value = event.Counter;
    } else if (event.TypeEvent == kEventCharge && event.IDCharge == 0) {
        parts.Code = kPayDeleteManualCharge;
        parts.Value = event.Charge;
    } else if (event.TypeEvent == kEventPayment) {
        parts.Code = kPayDeletePayment;
        parts.Value = event.Payment;
    } else {
        return 0;
    }
    parts.NManOper = event.NManOper;
    parts.Descript = event.Descript;
    parts.Date = event.DateEvent;
    TTransWriter writer(kActChange, idObject, otPay, name);
    WriteParts(writer, parts);
    return writer.Apply();
}

int WriteDirectionTransaction(int idObject, const std::string& name, char newDirection,
                              char oldDirection) {
    TPayDirectionParts parts;
    parts.Directions = {newDirection, oldDirection};
    TTransWriter writer(kActChange, idObject, otPay, name);
    WriteParts(writer, parts);
    return writer.Apply();
}

bool WritePayWorkbook(const std::string& path, const TPaySheet& sheet, const TPayWords& words,
                      const TFilter& view) {
    constexpr int kColumns = 9;
    constexpr double kWidths[kColumns] = {5, 14, 21, 15, 15, 15, 15, 15, 40};
    TXlsxSheet book(path);
    for (int column = 1; column <= kColumns; ++column)
        book.SetColumnWidth(column, kWidths[column - 1]);
    WriteSheetHeading(book, sheet.Name, sheet.Descript, sheet.History,
                      {sheet.Titles.begin(), sheet.Titles.end()});

    TBudgetTable history(tbl::PayHistory, false, view);
    const int count = history.RecordCount();
    int row = kSheetHeaderRow;
    for (; !history.Eof(); history.Next()) {
        ++row;
        const THistoryEventBlock event = HistoryEventBlockOf(history);
        const std::string& balance = event.CurBalance;
        TXlsxCellFormat plain;
        if (row == kSheetHeaderRow + count) plain.Bottom = TXlsxBorder::Medium;
        TXlsxCellFormat date = plain;
        date.NumberFormat = XlsxDateFormat();
        TXlsxCellFormat word = plain;
        word.Text = true;
        word.Fill = event.TypeEvent == kEventCounter   ? kSheetCounterFill
                    : event.TypeEvent == kEventCharge  ? kSheetChargeFill
                    : event.TypeEvent == kEventPayment ? kSheetPaymentFill
                                                       : -1;
        TXlsxCellFormat coloured = plain;
        coloured.FontColor =
            balance.find('-') != std::string::npos ? kSheetNegative : kSheetPositive;
        book.WriteNumber(row, 1, row - kSheetHeaderRow, plain);
        book.WriteDate(row, 2, event.DateEvent, date);
        book.WriteText(row, 3, EventWord(event.TypeEvent, event.IDCharge, words), word);
        book.WriteValue(row, 4, event.Counter, plain);
        book.WriteValue(row, 5, event.Charge, plain);
        book.WriteValue(row, 6, event.ForPayment, plain);
        book.WriteValue(row, 7, event.Payment, plain);
        book.WriteValue(row, 8, balance, coloured);
        book.WriteValue(row, 9, event.Descript, plain);
    }
    return book.Close();
}
