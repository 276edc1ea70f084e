// Branch exchange without a window: the check and export of a branch into a branch set in the
// temp folder and its packing by the user's archiver; the checks of an archive and of an
// unpacked set; and the import of an unpacked set into the open budget under new IDs.
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
    Done,       // the archiver ended with 0 and the archive exists and is not empty
    NoCommand,  // [Backup] BackupCommand is empty: nothing was run
    Failed,     // the archiver could not start, failed, or left no archive
    Stopped,    // the user stopped it
};
// Packs everything in the folder into the archive with [Backup] BackupCommand (an archive of
// that name goes first: the caller has asked whether to replace it). The folder's tables are
// written into their file first, so that the archive holds them whole. Done only when the
// archiver ended with 0 and left a non-empty archive; whatever a failed or stopped archiver
// left at the archive's name is removed.
TPackResult PackFolder(const std::string& folder, const std::string& archive, TProcessMemo* memo,
                       const bool& stop);
// Phase 3: PackFolder of the temp folder, then the temp folder is emptied.
TPackResult PackBranchSet(const std::string& archive, TProcessMemo* memo, const bool& stop);

// ---- The checks of an archive and of an unpacked set

enum class TArchiveProblem {
    None,
    Unreadable,      // not an archive, damaged or truncated (Detail: the reader's reason)
    AbsolutePath,    // an entry with an absolute name (Detail: the entry)
    ParentPath,      // an entry with a ".." part
    Link,            // a symbolic or hard link
    SpecialFile,     // a device, pipe or socket
    UnpackFailed,    // the archiver is not configured, could not start or failed
    NoTables,        // the unpacked set holds no tables of a budget, or no object
    OtherStructure,  // its tables file is not exactly the budget's structure, or unsound
    Unexpected,      // an entry that no budget's archive holds, or a folder of no object
    TooLarge,        // it needs more room than the folder has free (Detail: the folder)
    BadTree,         // duplicate IDs, unknown object types, or objects that are not one tree
    ForeignRows,     // rows of no object of the set (Detail: the table)
    Stopped,         // the user stopped the check
    Outside,         // the unpacked tree holds what the listing does not (kept last)
};
struct TArchiveCheck {
    TArchiveProblem Problem = TArchiveProblem::None;
    std::string Detail;
    explicit operator bool() const { return Problem == TArchiveProblem::None; }
};

// The language key of a refusal ("ArcParentPath") and its text where the language file has
// none; the import dialog and the start-up helper name refusals so.
struct TProblemText {
    const char* Key;
    const char* Text;
};
TProblemText ArchiveProblemText(TArchiveProblem problem);

inline constexpr bool kNoStop = false;

// Reads the archive through first (libarchive, nothing written): every entry is a plain file or
// folder inside the folder, one that a budget's archive holds (tables.sqlite, VLBudget.ini,
// Images/IMG<id>/..., Images/mini, Images/tmpload, Files/DIR<id>/..., jTrFiles/<n>/...), and
// all of them fit into the folder's free space. Then unpacks it into the folder (which should
// be empty) with [Backup] RecoveryCommand, walks the unpacked tree without following links
// (only what the listing showed, files of the listed sizes; folders get mode 0700, files
// 0600), and checks its tables file, opened for reading only under SQLite's defensive
// settings: exactly the structure of the reference folder's tables file (no trigger, view or
// other object) and sound. Throughout, `events` run every few megabytes read, every few
// hundred entries walked and every 50 ms of a statement, and `stop`, read after them and while
// the archiver runs, ends the check (Stopped). On a refusal every folder left below the folder
// gets its owner's rights, so that the caller can remove it.
TArchiveCheck UnpackArchive(const std::string& archive, const std::string& folder,
                            const std::string& reference, TProcessEvents events,
                            const bool& stop = kNoStop);
// Empties the temp folder and UnpackArchive into a new folder of its own (mode 0700), against
// EmptyBases. Then the set's rows go into a fresh tables file of the temp folder without the
// fixed objects (the calendar's and the journal's, IDs 9 and 10, that a whole budget's archive
// carries), and are checked: unique IDs, the six object types, one tree, every row belonging to
// an object of the set (or to an algorithm or schedule of its items); every album and
// collection folder belongs to an object of the set and they fit into the budget's file
// system. The folders (without the Images folder's own mini and tmpload, each album's staging
// folders emptied) then go into the temp folder beside the fresh file, and the unpacked archive
// goes. These checks, too, let `events` run and end at `stop`. On a problem (a stop included)
// the temp folder is emptied again.
TArchiveCheck UnpackBranchSet(const std::string& archive, TProcessEvents events,
                              const bool& stop = kNoStop);

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
