// The manual event dialog without its window: the value an event carries and the layouts of
// adding and changing a counter reading, a manual charge or a payment.
#include "pays/U_changemanualevent_parts.h"

#include <cmath>

#include "algorithms/Uq519arithmeticslf.h"
#include "decimal/Large_fix.h"

std::string EventValueText(int mode, const std::string& text) {
    if (mode == kPayAddCounter || mode == kPayChangeCounter) return text;
    const std::string number = text.empty() ? "0" : NormalizeNumberText(text);
    return large_fix(number.c_str()).Round(2).ToString();
}

bool IsEventChangeMode(int mode) {
    return mode == kPayChangeCounter || mode == kPayChangeManualCharge ||
           mode == kPayChangePayment;
}

TManualEvent ManualEventOf(const THistoryEventBlock& row, int mode) {
    const std::string& value = mode == kPayChangeCounter        ? row.Counter
                               : mode == kPayChangeManualCharge ? row.Charge
                                                                : row.Payment;
    return {row.DateEvent, value, row.Descript, row.NManOper};
}

TPayEventParts EventAddParts(int mode, TDateTime date, const std::string& value,
                             const std::string& descript) {
    return {mode, -1, value, descript, std::trunc(date)};
}

TPayEventChangeParts EventChangeParts(int mode, TDateTime date, const std::string& value,
                                      const std::string& descript, const TManualEvent& old) {
    const TDateTime day = std::trunc(date);
    const int nManOper = day == std::trunc(old.Date) ? old.NManOper : -1;
    return {mode, nManOper, old.NManOper, value, descript, old.Value, old.Descript, day, old.Date};
}
