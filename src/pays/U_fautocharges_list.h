// A pay's auto charges without a window: the list the auto-charge dialogs edit in memory, its
// loading from the pay's rows, and the journal transaction that replaces the stored list by it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "algorithms/Uq519algorithm01.h"
#include "pays/Uscheduler.h"
#include "platform/Dates.h"
#include "store/TransKindPay.h"

// One auto charge as the dialogs hold it; a value type, copied whole.
struct AutoChargeInfo {
    std::string Name;
    std::string Descript;
    TDateTime DateBegin = 0;  // a whole day
    bool Restricted = false;  // ends at DateEnd ("L"); "U" otherwise
    TDateTime DateEnd = 0;    // kept also while not restricted
    bool Active = true;       // "A" charged and put into the calendar; "P" passive
    char ItemType = 'C';      // 'C' a constant, 'A' an algorithm
    std::string ConstValue;   // the constant's decimal text
    ::Algorithm01 Algorithm;  // an 'A' charge's algorithm
    ::Schedule Schedule;      // its ID 0 for a schedule never stored
    char State = 'i';         // 'i' loaded, 'a' added, 'e' edited, 'd' deleted
    // Every charge but a deleted one is shown and written.
    bool IsShown() const { return State != 'd'; }
};

using TAutoChargesList = std::vector<AutoChargeInfo>;

// Sorts the list by the day of DateBegin, ascending; charges of one day keep their order, so
// that grid rows, shown charges and the editor's row lookup agree.
void SortCharges(TAutoChargesList& charges);

// The index in the list of the n-th shown charge (n from 1); -1 when there is none.
int ShownIndex(const TAutoChargesList& charges, int n);
// The number of shown charges.
int ShownCount(const TAutoChargesList& charges);

// Replaces the list by the pay's rows of PayAutoCharges.DB in index order, each 'i', an 'A'
// charge with its stored algorithm and each with its stored schedule (a schedule that is gone:
// no periodicity, with the charge's IDSchedule). Returns the number of rows read; -1, the list
// unchanged, when the ID names no pay of the open budget or a charge's algorithm is gone (the
// journal's fatal error has been reported).
int LoadCharges(int idPay, TAutoChargesList& charges);

// The 6010 transaction of the pay: the shown charges sorted by DateBegin (the list is sorted in
// place), an algorithm's Name and Descript cut to 100 characters; the pay's rows as they are
// stored, whole; the date the change takes effect. Nothing when a stored charge's algorithm is
// gone (reported as the journal's fatal error): no transaction is to be written.
std::optional<TAutoChargesChangeParts> AutoChargesChangeParts(TAutoChargesList& charges,
                                                              int idPay,
                                                              TDateTime firstChangedDate);

// Writes the pay's 6010 transaction and has the journal apply it: the applier's result, or 0
// when nothing was written or applied.
int JournalAutoCharges(TAutoChargesList& charges, int idPay, TDateTime firstChangedDate);
