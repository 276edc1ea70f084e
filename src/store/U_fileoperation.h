// File and folder utilities: special folders, folder paths, copying, moving and deleting lists.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

// Results of ShellCopyFiles, ShellDeleteFolder and ShellDeletePath: 0 on success, the negative
// codes below, or else the system's error number (errno), for instance ENOENT for a source or
// folder that does not exist, EINVAL for an empty entry in a list, a copy into itself or a path
// that must never be deleted (empty, or the root), EIO for an item the trash did not take.
constexpr int kShellOk = 0;
constexpr int kShellListLengthsDiffer = -1;  // ShellCopyFiles: the lists differ in length
constexpr int kShellNoFolder = -1;           // ShellDeleteFolder: no folder to delete whole

// The user's documents folder, without a trailing "/"; empty when the system names none.
std::string GetMyDocumentsFolder();

// The common application-data folder, which is the program's data folder itself, without a
// trailing "/".
std::string GetCommonAppDataFolder();

// The temp folder followed by "/": VEMLY_TMP_DIR, else $TMPDIR, else /tmp (never the root
// when the variables are unset).
std::string GetTempFolder();

// Creates every missing folder along the path, from the top down; existing ones are left
// alone. True when the whole path exists as a folder afterwards; false when a level could not
// be created (a file in the way, no permission) or the path is empty, with the reason in
// `error` when it is given.
bool ForceFolderPath(const std::string& path, std::error_code* error = nullptr);

// Copies (move false) or moves (move true) the n-th entry of the ";"-separated sources to the
// n-th entry of the ";"-separated targets; a ";" cannot be part of a path in these lists.
// - A source whose last part holds "*" or "?" names the matching entries of its folder, letter
//   case ignored ("*.*" matches every entry, "Objects.*" also "Objects"); they go into the
//   target folder under their own names. A pattern that matches nothing copies nothing.
// - Otherwise the source is one file or folder. A target ending in "/", or an existing folder
//   when the source is a file, receives it under its own name; any other target is the name
//   of the copy. A folder copied onto an existing folder is merged into it.
// - Folders are copied with their contents; links are copied as links; existing files are
//   replaced; missing target folders are created.
// Results: kShellListLengthsDiffer when the lists differ in their number of entries, EINVAL
// when an entry is empty or a folder would go into itself, ENOENT when a source (or the folder
// of a pattern) does not exist; these are checked before anything is copied. A failure while
// copying stops the run and returns its error number; a move that fails leaves its source.
int ShellCopyFiles(const std::string& sources, const std::string& targets, bool move);

// Copies a file's bytes into a new file `to` (which must not exist) with the file's mode. False,
// with the system's reason for the first read or write that failed (no space left on device),
// and no partial copy left, when it cannot.
bool CopyFileBytes(const std::filesystem::path& from, const std::filesystem::path& to,
                   std::error_code& error);

// Copies one entry without following a link: a file's bytes (a fresh copy, never a hard link),
// a link as a link, a folder as a new empty folder. An entry already at the target is kept and
// counts as copied. Anything else (a pipe, a device, a socket) cannot be copied: not_supported,
// and a pipe is never opened. False, with the reason, when the entry cannot be copied.
bool CopyEntry(const std::filesystem::path& from, const std::filesystem::path& to,
               std::error_code& error);

// Moves the entry `from` to `to` in one step of the file system, never replacing an entry at
// `to`: the system's error, none when moved.
std::error_code MoveWithoutReplacing(const std::string& from, const std::string& to);

// What CopyFolderTree did: the number of entries copied, and the first one that could not be
// (Failed empty when every one could) with its reason.
struct TTreeCopy {
    int Copied = 0;
    std::filesystem::path Failed;
    std::error_code Error;
};
enum class TCopyFailure { Stops, Skipped };
// Copies everything below the folder `from` (files, links as links, sub-folders with their
// contents; links to folders are not entered) into the existing folder `to` with CopyEntry. An
// entry that cannot be copied, or a folder that cannot be listed, ends the copy at once
// (Stops) or is skipped (Skipped); either way the first failure is reported. A missing `from`
// is such a failure.
TTreeCopy CopyFolderTree(const std::filesystem::path& from, const std::filesystem::path& to,
                         TCopyFailure failure);

// Deletes the folder with its contents (whole true) or only everything inside it (whole false),
// without asking; into the trash when recycle is true. kShellNoFolder when whole is true and
// no such folder exists; ENOENT when whole is false and it does not exist. Deletes what it can
// and returns the first failure. Links inside are removed as links: nothing outside the folder
// is touched.
int ShellDeleteFolder(const std::string& path, bool whole, bool recycle);

// Deletes one file or folder, or the entries of a folder that a last part with "*" or "?"
// matches (as in ShellCopyFiles), without asking; into the trash when recycle is true.
// ENOENT when the path (or the folder of a pattern) does not exist.
int ShellDeletePath(const std::string& path, bool recycle);

// Copies the bytes of the file `source` into the file `target`, made or emptied first, as
// std::filesystem::copy_file does, but with the system's own error for what went wrong: a full
// disk is ENOSPC (the standard library calls a write that stops short an input/output error).
// A failed copy leaves no `target` behind. None when copied whole.
std::error_code CopyFileWhole(const std::string& source, const std::string& target);
// Writes the bytes into the file `target`, made or emptied first, with the same errors and the
// same cleaning up as CopyFileWhole.
std::error_code WriteFileWhole(const std::string& target, std::string_view bytes);

// The path with every run of "/" reduced to one.
std::string CollapseBackslashes(const std::string& path);

// The decimal text of the value: "-" in front of a negative value, no leading zeros or blanks.
std::string IntToText(int32_t value);
