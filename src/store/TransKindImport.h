// The journal kind that imports a branch archive ("IMP"), with its layout. The row's IDObject is
// the node under which the branch goes (0 the budget's root, else a folder), Type its type,
// NameObject the branch's name.
#pragma once

#include <memory>
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

// Any Type. Applied by ApplyImport, undone by UndoImport, which gives 0. When the earliest
// charge is due, a running budget's calendar is rebuilt from its date after the import and
// recalculated from that date, after the undo recalculated from the beginning.
class TImportKind : public TTransKind {
public:
    using TParts = TImportParts;
    TImportKind();
    std::optional<int> Apply(TStep& step) const override;
    std::optional<int> Undo(TStep& step) const override;
    // For an import never applied: its preparation only copied the archive into the
    // transaction's folder, and what a rolled-back application moved into the budget is no
    // object's folder (the opening removes it); the archive's copy goes with the row, so that
    // the import the user saw fail is not carried out by a later redo. TakenBack.
    TPreparationLeft TakeBackPreparation(const std::string& budget,
                                         const TTransRow& row) const override;
    // D1 when I1 is 1 (a missing I1 counts as 1); nothing when the charges are not due yet.
    std::optional<TDateTime> DerivedFrom(const TTransRow& row, bool undo) const override;
    // DetailImport, one blank and the archive's file name (T1).
    void Detail(const TTransRow& row, const TWords& word,
                std::vector<std::string>& lines) const override;
};

// The file in the transaction's folder that lists the imported objects: the unpacked set's
// tables file after the merge, whose Objects table holds each object under its new ID.
inline constexpr std::string_view kImportListFile = "Objects.sqlite";

// Unpacks the archive T1 of the transaction's folder into the temp folder (checked before and
// after, as UnpackBranchSet does), merges it under the target (0: the budget's root) with new
// IDs, writes D1 and I1, and keeps the list of imported objects in the transaction's folder.
// Returns the target, or 1 for the root; -1 (kFatalTransaction) without T1 and
// kFatalImportArchive for an archive that is refused, after ReportFatalError, nothing merged.
int ApplyImport(int nTrans, int target, TFileEffects& files);
// The folder of the transaction's folder into which the undo saves the imported collections as
// they are then, and from which the next redo brings their files back.
inline constexpr std::string_view kSavedCollections = "undo";

// Deletes the objects the list names, their folders going with the step's commit; the
// collections are saved first into kSavedCollections. 0, or kFatalTransaction when the list is
// missing.
int UndoImport(int nTrans, TFileEffects& files);

// Prepares the "IMP" of the archive under the node (0 the budget's root, else a folder; `type`
// its type) with the branch's name: T1 the archive's file name, D1 today, I1 1, and the archive
// copied into the transaction's folder. Null, with nothing of it left, when the folder cannot
// be made (FatalError -2); std::filesystem::filesystem_error, with nothing of it left, when the
// archive cannot be copied (a full disk).
std::unique_ptr<TTransWriter> WriteImportTransaction(const std::string& archive, int target,
                                                     int type, const std::string& name);
