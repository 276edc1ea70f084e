// The checks of a branch archive and of its unpacked set, before anything of it is written into
// a budget: the archive's listing, the unpacked tree, the tables file's structure, and the set's
// objects, rows and folders.
#pragma once

#include <cstdint>
#include <string>

#include "exchange/U_dosprocesstomemo.h"

enum class TArchiveProblem {
    None,
    Unreadable,      // not an archive, damaged or truncated (Detail: the reader's reason)
    NotAFile,        // the archive's path is a pipe, device, socket or folder (Detail: the path)
    AbsolutePath,    // an entry with an absolute name (Detail: the entry)
    ParentPath,      // an entry with a ".." part
    Link,            // a symbolic link, or a hard link to no earlier file of the archive
    SpecialFile,     // a device, pipe or socket
    UnpackFailed,    // the archiver is not configured, could not start or failed
    NoTables,        // the unpacked set holds no tables of a budget, or no object
    OtherStructure,  // its tables file is not exactly the budget's structure, or unsound
    Unexpected,      // an entry that no budget's archive holds, or a folder of no object
    TooLarge,        // it needs more room than the folder has free (Detail: the folder)
    BadTree,         // duplicate IDs, unknown object types, or objects that are not one tree
    ForeignRows,     // rows of no object of the set (Detail: the table)
    Stopped,         // the user stopped the check
    BadValue,        // a value the program never writes (Detail: table, row's object, field)
    CheckFailed,     // the check itself failed (Detail: the reason)
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

// Whether the archive is whole: a regular file that libarchive lists and reads to its end (at
// least one entry). The packing asks it before an archive takes its final name.
TArchiveCheck ReadArchiveThrough(const std::string& archive);

// Reads the archive through first (libarchive, nothing written; only a regular file is opened,
// never a pipe, device or socket): every entry is a plain file or folder inside the folder, or
// a hard link to an earlier file entry of the archive, one that a budget's archive holds
// (tables.sqlite, VLBudget.ini, Images/IMG<id>/..., Images/mini, Images/tmpload,
// Files/DIR<id>/..., jTrFiles/<n>/...), and all of them (a hard link counting its file's bytes)
// fit into the folder's free space. Then unpacks it into the folder (which should be empty)
// with [Backup] RecoveryCommand, walks the unpacked tree without following links (only what
// the listing showed, files of the listed sizes; each name of a hard link becomes a file of its
// own; folders get mode 0700, files 0600), and checks its tables file, opened for reading only
// under SQLite's defensive settings: exactly the structure of the reference folder's tables
// file (no trigger, view or other object) and sound. Throughout, `events` run every few
// megabytes read, every few hundred entries walked and every 50 ms of a statement, and `stop`,
// read after them and while the archiver runs, ends the check (Stopped). On a refusal every
// folder left below the folder gets its owner's rights, so that the caller can remove it.
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
// Every value of the set's rows is checked too (CheckSetValues, exchange/Uimportvalues.h), before
// the tree. The room counted in the budget's file system is what the import writes there: the
// albums and collections, the list of imported objects and the merged rows (each about the size
// of the set's tables file), and `pending` bytes more (the journal's copy of the archive, while
// it is still to be written); without it TooLarge names the budget's folder. Nothing thrown
// leaves the check: an exception is the refusal CheckFailed with its reason (TooLarge for a full
// disk).
TArchiveCheck UnpackBranchSet(const std::string& archive, TProcessEvents events,
                              const bool& stop = kNoStop, std::uintmax_t pending = 0);

