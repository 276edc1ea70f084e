// The pay sources of initial data (readers of a pay's history) and the balances of pays and
// folders.
#include <cmath>
#include <set>

#include "algorithms/Ugetdata.h"
#include "decimal/Large_fix.h"
#include "store/U_dm.h"
#include "schema/SchemaNames.h"

namespace {

constexpr int kObjectFolder = 10;  // Objects.db Type of a folder

TDateTime DayOf(TDateTime date) {
    return std::trunc(date);
}

TFilter OfKind(std::string_view typeEvent) {
    return Where(fld::TypeEvent) == typeEvent;
}

TFilter ChargesAndPayments() {
    return OfKind("CH") || OfKind("PY");
}

// The filter of the pay's events of the kinds up to the end of the day.
TFilter UpToFilter(int payId, TDateTime date, TFilter kinds) {
    return Where(fld::ID) == payId && Where(fld::DateEvent) <= DayOf(date) && std::move(kinds);
}

// The pay's events of the kinds up to the end of the day.
TBudgetTable UpTo(int payId, TDateTime date, TFilter kinds) {
    return TBudgetTable(tbl::PayHistory, false, UpToFilter(payId, date, std::move(kinds)));
}

// The pay's events of the kind in the month monthDecrement months before the date's month.
TBudgetTable InMonth(int payId, int monthDecrement, TDateTime date, std::string_view typeEvent) {
    const TDateTime month = ShiftedDate(1, monthDecrement, date);
    return TBudgetTable(tbl::PayHistory, false,
                        Where(fld::ID) == payId && Where(fld::DateEvent) >= FirstDayOfMonth(month) &&
                            Where(fld::DateEvent) <= LastDayOfMonth(month) && OfKind(typeEvent));
}

large_fix Amount(const std::string& text) {
    try {
        return large_fix(text.c_str());
    } catch (const LargeError&) {
        throw EDataSourceError(text, "The stored amount '" + text + "' is not a number");
    }
}

// The field of the last event of the kind up to the end of the day, "0" for none or empty.
std::string LastValue(int payId, TDateTime date, std::string_view typeEvent, const char* field) {
    TBudgetTable events = UpTo(payId, date, OfKind(typeEvent));
    events.Last();
    std::string value = events.FieldByName(field).AsString();
    return value.empty() ? "0" : value;
}

std::string Sum(int payId, TDateTime date, std::string_view typeEvent, const char* field) {
    large_fix total;
    for (TBudgetTable events = UpTo(payId, date, OfKind(typeEvent)); !events.Eof(); events.Next())
        total += Amount(events.FieldByName(field).AsString());
    return total.ToString();
}

// The CurBalance of the last event of the view that has one, walking back; "0" for none.
std::string LastBalance(TTable& events) {
    for (events.Last(); !events.Bof(); events.Prior()) {
        std::string balance = events.FieldByName(fld::CurBalance).AsString();
        if (!balance.empty()) return balance;
    }
    return "0";
}

bool IsNegativeBalance(TTable& events) {
    return events.FieldByName(fld::CurBalance).AsString().find('-') != std::string::npos;
}

// Adds the pay's balance today to the total by its direction.
void AddPayBalance(large_fix& total, int payId, char direction) {
    if (direction == 'N') return;
    const large_fix balance = Amount(GetPayBalanceAt(payId, Today()));
    if (direction == 'O')
        total += balance;
    else
        total -= balance;
}

char DirectionOf(TTable& pays) {
    const std::string direction = pays.FieldByName(fld::Direction).AsString();
    return direction.empty() ? 'N' : direction.front();
}

// Adds the balances of the pays in the folder and, recursively, in its sub-folders. A folder
// already summed is passed over, so that a damaged tree whose parents run in a circle cannot
// make the recursion endless.
void AddFolderBalance(int folderId, large_fix& total, std::set<int>& summed) {
    if (!summed.insert(folderId).second) return;
    for (TBudgetTable objects(tbl::Objects, false, Where(fld::IDParent) == folderId); !objects.Eof();
         objects.Next()) {
        const int id = objects.FieldByName(fld::ID).AsInteger();
        const int type = objects.FieldByName(fld::Type).AsInteger();
        if (type == kSourcePay) AddPayBalance(total, id, DM->GetPayDirection(id));
        if (type == kObjectFolder) AddFolderBalance(id, total, summed);
    }
}

// What the sub-sources 15 to 26 read of a month: what 'n' counts the events.
struct TMonthSource {
    std::string_view TypeEvent;
    char What;
    char Which;
};

constexpr TMonthSource kMonthSources[] = {
    {"CH", 'n', ' '}, {"CH", 'd', 'f'}, {"CH", 'v', 'f'}, {"CH", 't', 'f'},
    {"CH", 'd', 'l'}, {"CH", 'v', 'l'}, {"CH", 't', 'l'}, {"PY", 'n', ' '},
    {"PY", 'd', 'f'}, {"PY", 'v', 'f'}, {"PY", 'd', 'l'}, {"PY", 'v', 'l'},
};

// The readers of the sub-sources 1 to 14 by (SubSource - 1) / 2; an even sub-source reads at
// the shifted date of its parameters. 13 is the count of days, 14 the shifted balance again.
using TReader = std::string (*)(int payId, TDateTime date);
constexpr TReader kReaders[] = {GetLastCounter, GetLastCharge,   GetChargeSum,   GetLastPayment,
                                GetPaymentSum,  GetPayBalanceAt, GetPayBalanceAt};

}  // namespace

void GetPayDataValue(ExtData& datum) {
    const int sub = datum.SubSource;
    const int id = datum.IDObject;
    if (sub == 13) {
        datum.DataStr = std::to_string(DaysSinceSignChange(id, datum.Date));
    } else if (sub >= 1 && sub <= 14) {
        const TDateTime date = sub % 2 == 0
                                   ? ShiftedDate(SourceParamToInt(datum.Param1),
                                                 SourceParamToInt(datum.Param2), datum.Date)
                                   : datum.Date;
        datum.DataStr = kReaders[(sub - 1) / 2](id, date);
    } else if (sub >= 15 && sub <= 26) {
        const int monthDecrement = SourceParamToInt(datum.Param2);
        const TMonthSource& source = kMonthSources[sub - 15];
        datum.DataStr = source.What == 'n'
                            ? CountMonthEvents(id, monthDecrement, datum.Date, source.TypeEvent)
                            : GetMonthEventValue(id, monthDecrement, datum.Date, source.TypeEvent,
                                                 source.What, source.Which);
    }
}

std::string GetLastCounter(int payId, TDateTime date) {
    return LastValue(payId, date, "CN", "Counter");
}

std::string GetLastCharge(int payId, TDateTime date) {
    return LastValue(payId, date, "CH", "Charge");
}

std::string GetLastPayment(int payId, TDateTime date) {
    return LastValue(payId, date, "PY", "Payment");
}

std::string GetChargeSum(int payId, TDateTime date) {
    return Sum(payId, date, "CH", "Charge");
}

std::string GetPaymentSum(int payId, TDateTime date) {
    return Sum(payId, date, "PY", "Payment");
}

std::string GetPayBalanceAt(int payId, TDateTime date) {
    TBudgetTable events = UpTo(payId, date, ChargesAndPayments());
    return LastBalance(events);
}

std::string GetPayBalanceAt(TTable& history, int payId, TDateTime date) {
    history.SetFilter(UpToFilter(payId, date, ChargesAndPayments()));
    history.SetFiltered(true);
    return LastBalance(history);
}

int DaysSinceSignChange(int payId, TDateTime date) {
    TBudgetTable events = UpTo(payId, date, ChargesAndPayments());
    events.Last();
    if (events.Bof()) return -1;
    const bool negative = IsNegativeBalance(events);
    for (events.Prior(); !events.Bof(); events.Prior())
        if (IsNegativeBalance(events) != negative)
            return static_cast<int>(DayOf(date) -
                                    DayOf(events.FieldByName(fld::DateEvent).AsDateTime()));
    return -1;
}

std::string CountMonthEvents(int payId, int monthDecrement, TDateTime date,
                             std::string_view typeEvent) {
    return std::to_string(InMonth(payId, monthDecrement, date, typeEvent).RecordCount());
}

std::string GetMonthEventValue(int payId, int monthDecrement, TDateTime date,
                               std::string_view typeEvent, char what, char which) {
    TBudgetTable events = InMonth(payId, monthDecrement, date, typeEvent);
    if (events.IsEmpty()) return what == 't' ? "-1" : "0";
    if (which == 'l') events.Last();
    switch (what) {
        case 'd':
            return std::to_string(DecodeDate(events.FieldByName(fld::DateEvent).AsDateTime()).day);
        case 'v':
            return events.FieldByName(typeEvent == "CH" ? "Charge" : "Payment").AsString();
        default:
            return events.FieldByName(fld::IDCharge).AsInteger() != 0 ? "1" : "0";
    }
}

std::string CalcTotalBalance() {
    large_fix total;
    TFilterScope all(DM->TablePays, TFilter());
    for (DM->TablePays.First(); !DM->TablePays.Eof(); DM->TablePays.Next())
        AddPayBalance(total, DM->TablePays.FieldByName(fld::ID).AsInteger(),
                      DirectionOf(DM->TablePays));
    return total.ToString();
}

std::string CalcFolderBalance(int folderId) {
    large_fix total;
    std::set<int> summed;
    AddFolderBalance(folderId, total, summed);
    return total.ToString();
}
