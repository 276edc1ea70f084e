// The manual event dialog without its window: the value an event carries and the layouts of
// adding and changing a counter reading, a manual charge or a payment.
#pragma once

#include <string>

#include "platform/Dates.h"
#include "store/TransKindPay.h"

// A manual event of a pay's history as the pay frame's current row holds it.
struct TManualEvent {
    TDateTime Date = 0;
    std::string Value;  // the value column of its kind (Counter, Charge or Payment)
    std::string Descript;
    int NManOper = 0;
};

// The value text an event of the mode carries: a counter reading, added (6021) or changed (6022),
// keeps the text exactly as typed, so that a reading of three decimals is never altered by an
// edit; a charge or a payment is read as a decimal number (the empty text as 0), rounded to 2
// decimals half away from zero and printed with the locale's separator and no trailing zeros.
// Throws LargeError for a text that is no number.
std::string EventValueText(int mode, const std::string& text);

// Whether the mode changes an event (6022, 6032, 6042) rather than adding one.
bool IsEventChangeMode(int mode);

// The manual event a history row holds, as a change of the mode (6022, 6032, 6042) reads it:
// its day, its number within the day, its description and the value column of the mode's kind.
TManualEvent ManualEventOf(const THistoryEventBlock& row, int mode);

// The addition of the event: its number within its day not yet given (-1).
TPayEventParts EventAddParts(int mode, TDateTime date, const std::string& value,
                             const std::string& descript);

// The change of the event `old` into the new date, value and description: it keeps its number
// when it stays on its day, else -1 (numbered anew in its new day).
TPayEventChangeParts EventChangeParts(int mode, TDateTime date, const std::string& value,
                                      const std::string& descript, const TManualEvent& old);
