// A number's chronology without a window: its items, their loading with the evaluation of
// algorithm items, the item in force on a day, and the journal transaction of a change.
#include "numbers/U_frnumber_chronology.h"

#include <algorithm>
#include <cmath>

#include "algorithms/Ugetdata.h"
#include "decimal/Large_fix.h"
#include "platform/XlsxSheet.h"
#include "schema/SchemaNames.h"
#include "shell/ObjectIndex.h"
#include "store/TransBlockRows.h"
#include "store/U_dm.h"
#include "store/Utransactions.h"

namespace {

constexpr size_t kItemTextLength = 50;        // a new item's value and description
constexpr size_t kAlgorithmTextLength = 100;  // a new item's algorithm name and description

}  // namespace

void SortChronology(TChronologyNumber& items) {
    std::stable_sort(
        items.begin(), items.end(),
        [](const NumberItemInfo& a, const NumberItemInfo& b) { return a.DateBegin < b.DateBegin; });
}

void EvaluateAlgorithmItem(NumberItemInfo& item, const std::string& nameObject) {
    if (!item.Algorithm01.Valid) {
        item.ConstValue = "0";
        return;
    }
    ResetGlobalErrors();
    ErrWatch().NameObject = nameObject;
    const Error01 result = CalculateAlgorithm(item.DateBegin, item.Algorithm01);
    ReportGlobalErrors();
    if (result.ErrCode != 0) {
        item.ConstValue = "0";
        item.Algorithm01.Valid = false;
    } else {
        item.ConstValue = result.Text;
    }
}

TChronologyNumber LoadNumberItems(int id, const std::string& nameObject) {
    TChronologyNumber items;
    for (TBudgetTable rows(tbl::Numbers, false, Where(fld::ID) == id); !rows.Eof(); rows.Next()) {
        NumberItemInfo& item = items.emplace_back();
        item.DateBegin = rows.FieldByName(fld::DateBegin).AsDateTime();
        const std::string type = rows.FieldByName(fld::ItemType).AsString();
        item.ItemType = IsAlgorithmItem(type) ? 'A' : 'C';
        if (item.ItemType == 'A') {
            item.Algorithm01 = DM->LoadAlgorithm(rows.FieldByName(fld::IDAlg).AsInteger());
            EvaluateAlgorithmItem(item, nameObject);
        } else {
            item.ConstValue = rows.FieldByName(fld::ConstValue).AsString();
        }
        item.Descript = rows.FieldByName(fld::Descript).AsString();
        item.State = 'i';
    }
    return items;
}

std::string ShownValue(const std::string& value) {
    try {
        return large_fix(value.c_str()).ToString();
    } catch (const LargeError&) {
        return value;
    }
}

long DayNumber(TDateTime date) {
    return static_cast<long>(std::trunc(date));
}

std::optional<TInForce> ItemInForce(const TChronologyNumber& items, TDateTime day) {
    const long today = DayNumber(day);
    std::optional<TInForce> found;
    int row = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        if (!items[i].IsLive()) continue;
        ++row;
        const long itemDay = DayNumber(items[i].DateBegin);
        if (itemDay == today) return TInForce{static_cast<int>(i), row};
        // The first item after the day: the one before it holds, or this one when it is first.
        if (itemDay > today) return found ? found : TInForce{static_cast<int>(i), row};
        found = TInForce{static_cast<int>(i), row};
    }
    return found;
}

std::string CutChars(std::string_view text, size_t count) {
    size_t characters = 0;
    for (size_t at = 0; at < text.size(); ++at) {
        const bool starts = (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80;
        if (starts && characters++ == count) return std::string(text.substr(0, at));
    }
    return std::string(text);
}

std::optional<TNumberChangeParts> NumberChangeParts(TChronologyNumber& items, int id,
                                                    TDateTime earliestChange) {
    TNumberChangeParts parts;
    SortChronology(items);
    for (const NumberItemInfo& item : items) {
        if (!item.IsLive()) continue;
        TNumberItemBlock& block = parts.NewItems.emplace_back();
        block.DateBegin = item.DateBegin;
        block.ItemType = std::string(1, item.ItemType);
        // A constant goes whole: cut, a stored value would change. A computed value is cut.
        block.ConstValue =
            item.ItemType == 'A' ? CutChars(item.ConstValue, kItemTextLength) : item.ConstValue;
        block.Descript = CutChars(item.Descript, kItemTextLength);
        if (item.ItemType == 'A') {
            block.Algorithm = AlgorithmBlockOf(item.Algorithm01);
            block.Algorithm.Name = CutChars(block.Algorithm.Name, kAlgorithmTextLength);
            block.Algorithm.Descript = CutChars(block.Algorithm.Descript, kAlgorithmTextLength);
        }
    }
    for (TBudgetTable rows(tbl::Numbers, false, Where(fld::ID) == id); !rows.Eof(); rows.Next()) {
        std::optional<TNumberItemBlock> old = NumberItemBlockOf(rows);
        if (!old) return std::nullopt;
        parts.OldItems.push_back(std::move(*old));
    }
    parts.EarliestDate = earliestChange;
    return parts;
}

std::optional<size_t> FirstMalformedConstant(const TChronologyNumber& items) {
    for (size_t i = 0; i < items.size(); ++i) {
        const NumberItemInfo& item = items[i];
        TNumberItemBlock block;
        block.ItemType = std::string(1, item.ItemType);
        block.ConstValue = item.ConstValue;
        if (item.IsLive() && !HasValidAmounts(block)) return i;
    }
    return std::nullopt;
}

int JournalNumberChange(TChronologyNumber& items, int id, const std::string& nameObject,
                        TDateTime earliestChange) {
    std::optional<TNumberChangeParts> parts = NumberChangeParts(items, id, earliestChange);
    if (!parts) return 0;
    TTransWriter writer(kActChange, id, otNumber, nameObject);
    WriteParts(writer, *parts);
    return writer.Apply();
}

bool WriteNumberWorkbook(const std::string& path, const TNumberSheet& sheet,
                         const TChronologyNumber& items) {
    constexpr int kColumns = 4;
    constexpr int kHeaderRow = kSheetHeaderRow;
    constexpr double kWidths[kColumns] = {5, 14, 19, 30};
    TXlsxSheet book(path);
    for (int column = 1; column <= kColumns; ++column)
        book.SetColumnWidth(column, kWidths[column - 1]);
    WriteSheetHeading(book, sheet.Name, sheet.Descript, sheet.History,
                      {sheet.Titles.begin(), sheet.Titles.end()});

    // The rows of the live items; the last row gets the table's medium bottom edge.
    std::vector<const NumberItemInfo*> live;
    for (const NumberItemInfo& item : items)
        if (item.IsLive()) live.push_back(&item);
    int row = kHeaderRow;
    for (const NumberItemInfo* item : live) {
        ++row;
        TXlsxCellFormat plain;
        if (row == kHeaderRow + static_cast<int>(live.size())) plain.Bottom = TXlsxBorder::Medium;
        TXlsxCellFormat date = plain;
        date.NumberFormat = XlsxDateFormat();
        TXlsxCellFormat text = plain;
        text.Text = true;
        book.WriteNumber(row, 1, row - kHeaderRow, plain);
        book.WriteDate(row, 2, item->DateBegin, date);
        const bool failed = item->ItemType == 'A' && !item->Algorithm01.Valid;
        book.WriteValue(
            row, 3, failed ? "[" + sheet.StrErrorCalc + "]" : ShownValue(item->ConstValue), plain);
        book.WriteText(row, 4, item->Descript, text);
    }
    return book.Close();
}
