// Branch exchange without a window: the check and export of a branch into a branch set in the
// temp folder and its packing by the user's archiver; and the import of an unpacked set into the
// open budget under new IDs. The checks of an archive and of an unpacked set are
// exchange/Uimportcheck.h.
//
// A branch set is a copy of EmptyBases in the temp folder holding only the branch's rows (every
// ID as in the source budget), its albums' pictures (Images/IMG<id>) and its collections' files
// (Files/DIR<id>). The export only reads the budget; the import runs inside the journal ("IMP",
// store/TransKindImport.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/U_dosprocesstomemo.h"
#include "exchange/Uimportcheck.h"
#include "platform/Dates.h"
#include "store/FileEffects.h"

using TIDList = std::vector<int>;

// ---- The check: no algorithm of the branch reads data from outside it

// True when the branch of the object (of that type) may be exported. Otherwise `outside` holds,
// in the order of CollectBranchObjects, each number or pay of the branch whose algorithms read
// data of an object outside the branch (date functions of the calendar are every budget's), or
// whose algorithm is missing, each once. Tables, albums and collections always pass.
bool CheckBranchData(int id, int type, TIDList& outside);
// Appends the IDs of the numbers and pays below the folder, depth first in "Index01" order.
void CollectBranchObjects(int folder, TIDList& list);
// The check of one number or pay: appends it to `outside` when one of its "A" items reads an
// object that is not in `branch` or has no algorithm row.
void CheckNumberData(int id, TIDList& outside, const TIDList& branch);
void CheckPayData(int id, TIDList& outside, const TIDList& branch);

// ---- The export

// A name made fit to be a file's name: every "/" and control character becomes "_" (an empty
// name or "." and ".." become "_" too).
std::string FileNameOf(std::string_view name);

// Deletes every row of the temp folder's Objects table.
void ClearTempObjects();
// Phase 2: empties the temp folder, copies EmptyBases into it, ClearTempObjects, then
// ExportBranch. False when the temp folder could not be emptied or the template copied.
bool BuildBranchSet(int id);
// Adds the object's row and everything it holds to the branch set, by its type.
void ExportBranch(int id);
void ExportFolder(int id);
void ExportTable(int id);
void ExportImages(int id);
void ExportFiles(int id);
void ExportNumber(int id);
void ExportPay(int id);
void ExportAlgorithm(int idAlg);
void ExportSchedule(int idSchedule);

// How packing ended.
enum class TPackResult {
    Done,       // the archiver ended with 0 and the archive reads whole under its name
    NoCommand,  // [Backup] BackupCommand is empty: nothing was run
    Failed,     // the archiver could not start or failed, or its archive is not whole
    Stopped,    // the user stopped it
};
// The archiver's command line of [Backup] in vemly.ini ("BackupCommand", "RecoveryCommand"). A
// vemly.ini made before the section existed (the program never overwrites it) gets the
// installed tar lines; a key that is there but empty stays empty, which the callers report.
std::string ReadBackupCommand(const char* key);
// The name an archive is packed under until it is whole: "<archive>.vlpart", beside it.
inline constexpr const char* kPartialArchiveExtension = ".vlpart";
std::string PartialArchiveName(const std::string& archive);
// Packs everything in the folder into the archive with [Backup] BackupCommand. The folder's
// tables are written into their file first, so that the archive holds them whole. The archiver
// writes PartialArchiveName(archive) (a leftover of that name goes first); only when it ended
// with 0 and what it wrote reads whole (ReadArchiveThrough) is that written to the disk and
// renamed over the archive. Otherwise it is removed and an archive of that name stays as it
// was (the caller has asked whether to replace it): a failure, a stop, a full disk or a crash
// never leaves a half-written archive under the archive's name. Why the archive did not take
// its name goes to the memo.
TPackResult PackFolder(const std::string& folder, const std::string& archive, TProcessMemo* memo,
                       const bool& stop);
// Removes what killed packings left in the folder: every "*.vlpart" file directly in it.
void RemovePartialArchives(const std::string& folder);
// Phase 3: PackFolder of the temp folder, then the temp folder is emptied.
TPackResult PackBranchSet(const std::string& archive, TProcessMemo* memo, const bool& stop);

// ---- The import of the unpacked set in the temp folder

// Pairs of an old and a new ID in the order added; the first pair of an old ID counts.
struct IDPair {
    int Old = 0;
    int New = 0;
};
class TIDPairList {
public:
    void Add(int oldId, int newId) { pairs_.push_back({oldId, newId}); }
    // The new ID of the old one, or nothing when no pair holds it.
    std::optional<int> Find(int oldId) const;
    // The new ID, or the value itself when no pair holds it.
    int Map(int value) const { return Find(value).value_or(value); }
    const std::vector<IDPair>& Pairs() const { return pairs_; }

private:
    std::vector<IDPair> pairs_;
};

// RemapImportIds (target), then MergeImportTables. Every album and collection folder copied
// into the budget is named to `files` as created, so that a rollback removes it.
void ImportBranch(int target, TFileEffects& files);
// New IDs for the unpacked objects (from NextObjectId, in record-counter order) and every
// column and folder that refers to them; the roots go under the target. Then the algorithms'
// and schedules' IDs.
void RemapImportIds(int target);
// Rewrites one integer column of an unpacked table through the list, each row once, in
// record-counter order.
void RemapImportKeyField(const std::string& folder, const char* table, const char* field,
                         const TIDPairList& list);
// Renames Images/IMG<old> (Files/DIR<old>) to IMG<new> in two passes through "<name>~".
void RenameImportImageFolders(const std::string& folder, const TIDPairList& list);
void RenameImportFileFolders(const std::string& folder, const TIDPairList& list);
void RemapImportAlgorithms();
void RemapImportSchedules();
// Appends the unpacked rows to the open budget's tables and copies the unpacked albums and
// collections into its folder.
void MergeImportTables(TFileEffects& files);
// The earliest DateBegin of the unpacked active auto charges, never later than tomorrow.
TDateTime EarliestActiveChargeDate();
// Deletes every object that the temp folder's Objects table lists from the open budget by its
// type, with its rows; the albums' and collections' folders go when the store transaction
// commits (`files`). Each collection is first copied as it is now (with what was added after
// the import) into <saveFolder>/<k>, k its place in the list, which is emptied first.
void DeleteImportedObjects(TFileEffects& files, const std::string& saveFolder);
// After a new merge of the same archive: every collection saved at place k of the list by the
// import's undo replaces what the k-th imported object's folder holds, so that the redo brings
// back the files added after the import; the saved copies go when the transaction commits.
void RestoreImportedCollections(const std::string& saveFolder, TFileEffects& files);
