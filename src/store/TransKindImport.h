// The journal kind that imports a branch archive ("IMP"), with its layout. The row's IDObject is
// the node under which the branch goes (0 the budget's root, else a folder), Type its type,
// NameObject the branch's name.
#pragma once

#include <string>

#include "store/TransKind.h"

// T1 the archive's file name, without its folder (the archive lies in the transaction's
// folder, and its Apply adds the imported objects' "Objects.*" there); D1 the earliest begin
// date of the imported active auto charges, I1 1 when that date is today or earlier, else 0
// (written as the day of preparation and 1; its Apply writes them).
struct TImportParts {
    std::string ArchiveName;
    TDateTime EarliestChargeDate = 0;
    int Due = 1;
    template <class Io>
    void Parts(Io& io) {
        io.Text(ArchiveName);
        io.Date(EarliestChargeDate);
        io.Int(Due);
    }
    bool operator==(const TImportParts&) const = default;
};

// Any Type. Undone by UndoImport, which gives 0. When the earliest charge is due, a running
// budget's calendar is rebuilt from its date after the import and recalculated from that date,
// after the undo recalculated from the beginning.
class TImportKind : public TTransKind {
public:
    using TParts = TImportParts;
    TImportKind();
    // DetailImport, one blank and the archive's file name (T1).
    void Detail(const TTransRow& row, const TWords& word,
                std::vector<std::string>& lines) const override;
};
