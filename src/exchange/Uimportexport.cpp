// Branch exchange without a window: check, export and packing of a branch, the checks of an
// archive and of an unpacked set, and the import of an unpacked set under new IDs.
#include "exchange/Uimportexport.h"

#include <archive.h>
#include <archive_entry.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <tuple>

#include "pays/Uscheduler.h"
#include "platform/Database.h"
#include "platform/EventLoop.h"
#include "platform/IniFile.h"
#include "shell/ObjectIndex.h"
#include "shell/ShellServices.h"
#include "store/U_dm.h"
#include "store/U_fileoperation.h"
#include "store/Utransactions.h"

namespace fs = std::filesystem;

namespace {

std::string TempPath() {
    return ShellServices().State().TempPath;
}
std::string DataPath() {
    return ShellServices().State().DataPath;
}

// A table of the branch set in the temp folder, for one operation.
class TSetTable : public TTable {
public:
    explicit TSetTable(const char* file, bool writable = false, TFilter filter = {},
                       std::string_view index = idx::Index01) {
        SetDatabaseName(TempPath());
        SetTableName(file);
        SetIndexName(std::string(index));
        SetReadOnly(!writable);
        SetFilter(std::move(filter));
        SetFiltered(true);
        Open();
    }
};

// Appends a copy of the source's current row, every field but the record counter, by name.
void AppendCopy(TTable& from, TTable& to) {
    to.Append();
    for (int i = 1; i < from.FieldCount(); ++i) {
        TField& field = from.Fields(i);
        to.FieldByName(field.FieldName()).SetValue(field.Value());
    }
    to.Post();
}

// Copies the budget's rows of the table that the filter lets through into the branch set, each
// after `each` looked at it (the budget's cursor on the row).
void ExportRows(const char* table, TFilter rows,
                const std::function<void(TTable& row)>& each = {}) {
    TBudgetTable from(table, false, std::move(rows));
    TSetTable to(table, true);
    for (from.First(); !from.Eof(); from.Next()) {
        AppendCopy(from, to);
        if (each) each(from);
    }
}

bool IsAlgorithmItem(TTable& row) {
    const std::string itemType = row.FieldByName(fld::ItemType).AsString();
    return !itemType.empty() && itemType[0] == 'A';
}

void ExportByType(int id, int type) {
    switch (type) {
        case otFolder:
            ExportFolder(id);
            break;
        case otTable:
            ExportTable(id);
            break;
        case otImages:
            ExportImages(id);
            break;
        case otFiles:
            ExportFiles(id);
            break;
        case otNumber:
            ExportNumber(id);
            break;
        case otPay:
            ExportPay(id);
            break;
        default:
            break;
    }
}

// Copies a folder of the budget (an album's, a collection's) into the same place of the set.
void ExportFolderTree(const std::string& budgetFolder, const std::string& setFolder) {
    ForceFolderPath(setFolder);
    if (fs::is_directory(budgetFolder))
        CopyFolderTree(budgetFolder, setFolder, TCopyFailure::Skipped);
}

// The archiver's command line of [Backup] in vemly.ini. A vemly.ini made before the section
// existed (the program never overwrites it) gets the installed tar lines; a key that is there
// but empty stays empty, which the callers report.
std::string ReadBackupCommand(const char* key) {
    const bool pack = std::string_view(key) == "BackupCommand";
    return TIniFile(DataPath() + "vemly.ini")
        .ReadString("Backup", key,
                    pack ? R"(tar -czf "[ArcName]" -C "[SouscePath]" .)"
                         : R"(tar -xzf "[ArcName]" -C "[DestPath]")");
}

// The budget's algorithm exists and every initial datum reads the calendar or an object of the
// branch.
bool AlgorithmStaysInside(int idAlg, const TIDList& branch) {
    {
        TBudgetTable algorithms(tbl::Algorithms, false, Where(fld::ID) == idAlg);
        if (algorithms.IsEmpty()) return false;
    }
    const Algorithm01 algorithm = DM->LoadAlgorithm(idAlg);
    for (const ExtData& datum : algorithm.INDataList) {
        if (datum.TypeObject == otCalendar) continue;
        if (std::find(branch.begin(), branch.end(), datum.IDObject) == branch.end()) return false;
    }
    return true;
}

// The shared half of CheckNumberData and CheckPayData: the object's rows of the table.
void CheckItems(const char* table, int id, TIDList& outside, const TIDList& branch) {
    TBudgetTable items(table, false, Where(fld::ID) == id);
    for (items.First(); !items.Eof(); items.Next()) {
        if (!IsAlgorithmItem(items)) continue;
        if (!AlgorithmStaysInside(items.FieldByName(fld::IDAlg).AsInteger(), branch)) {
            outside.push_back(id);
            return;
        }
    }
}

}  // namespace

// ---- The check

bool CheckBranchData(int id, int type, TIDList& outside) {
    outside.clear();
    TIDList branch;
    if (type == otNumber || type == otPay)
        branch.push_back(id);
    else if (type == otFolder)
        CollectBranchObjects(id, branch);
    else
        return true;
    for (int member : branch) {
        TBudgetTable row(tbl::Objects, false, Where(fld::ID) == member);
        const int memberType = row.IsEmpty() ? 0 : row.FieldByName(fld::Type).AsInteger();
        if (memberType == otNumber) CheckNumberData(member, outside, branch);
        if (memberType == otPay) CheckPayData(member, outside, branch);
    }
    return outside.empty();
}

void CollectBranchObjects(int folder, TIDList& list) {
    TBudgetTable children(tbl::Objects, false, Where(fld::IDParent) == folder);
    for (children.First(); !children.Eof(); children.Next()) {
        const int type = children.FieldByName(fld::Type).AsInteger();
        const int id = children.FieldByName(fld::ID).AsInteger();
        if (type == otNumber || type == otPay) list.push_back(id);
        if (type == otFolder) CollectBranchObjects(id, list);
    }
}

void CheckNumberData(int id, TIDList& outside, const TIDList& branch) {
    CheckItems(tbl::Numbers, id, outside, branch);
}

void CheckPayData(int id, TIDList& outside, const TIDList& branch) {
    CheckItems(tbl::PayAutoCharges, id, outside, branch);
}

// ---- The export

std::string FileNameOf(std::string_view name) {
    std::string result(name);
    for (char& c : result)
        if (c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '_';
    if (result.empty() || result == "." || result == "..") result = "_";
    return result;
}

void ClearTempObjects() {
    TSetTable objects(tbl::Objects, true);
    DeleteAllRows(objects);
}

bool BuildBranchSet(int id) {
    if (ShellServices().ClearTempFolder() != 0) return false;
    if (ShellCopyFiles(DataPath() + "EmptyBases/*", TempPath(), false) != kShellOk) return false;
    TTransactionScope setRows(TempPath());  // one write of the set, not one per row
    ClearTempObjects();
    ExportBranch(id);
    setRows.Commit();
    return true;
}

void ExportBranch(int id) {
    int type = 0;
    ExportRows(tbl::Objects, Where(fld::ID) == id,
               [&type](TTable& row) { type = row.FieldByName(fld::Type).AsInteger(); });
    ExportByType(id, type);
}

void ExportFolder(int id) {
    TBudgetTable children(tbl::Objects, false, Where(fld::IDParent) == id);
    for (children.First(); !children.Eof(); children.Next())
        ExportBranch(children.FieldByName(fld::ID).AsInteger());
}

void ExportTable(int id) {
    ExportRows(tbl::Tables, Where(fld::ID) == id);
}

void ExportImages(int id) {
    ExportRows(tbl::Images, Where(fld::ID) == id);
    ExportFolderTree(AlbumFolder(id), TempPath() + "Images/IMG" + IntToText(id));
}

void ExportFiles(int id) {
    ExportFolderTree(CollectionFolder(id), TempPath() + "Files/DIR" + IntToText(id));
}

void ExportNumber(int id) {
    ExportRows(tbl::Numbers, Where(fld::ID) == id, [](TTable& row) {
        if (IsAlgorithmItem(row)) ExportAlgorithm(row.FieldByName(fld::IDAlg).AsInteger());
    });
}

void ExportPay(int id) {
    ExportRows(tbl::Pays, Where(fld::ID) == id);
    ExportRows(tbl::PayHistory, Where(fld::ID) == id);
    ExportRows(tbl::PayAutoCharges, Where(fld::ID) == id, [](TTable& row) {
        if (IsAlgorithmItem(row)) ExportAlgorithm(row.FieldByName(fld::IDAlg).AsInteger());
        ExportSchedule(row.FieldByName(fld::IDSchedule).AsInteger());
    });
}

void ExportAlgorithm(int idAlg) {
    ExportRows(tbl::Algorithms, Where(fld::ID) == idAlg);
    for (const char* table : {tbl::AlgExtData, tbl::AlgVarDescr, tbl::AlgText})
        ExportRows(table, Where(fld::IDAlg) == idAlg);
}

void ExportSchedule(int idSchedule) {
    ExportRows(tbl::Schedules, Where(fld::ID) == idSchedule);
}

TPackResult PackFolder(const std::string& folder, const std::string& archive, TProcessMemo* memo,
                       const bool& stop) {
    const auto command = ExpandCommand(ReadBackupCommand("BackupCommand"),
                                       {{"[ArcName]", archive}, {"[SouscePath]", folder}});
    if (!command) return TPackResult::NoCommand;
    CheckpointTables(folder);
    std::error_code error;
    fs::remove(archive, error);
    const int code = RunProcessToMemo(*command, memo, stop, "EN");
    const bool archived = code == kProcessDone && fs::is_regular_file(archive, error) &&
                          fs::file_size(archive, error) > 0;
    if (!archived) fs::remove(archive, error);  // what a failed archiver left half-written
    return archived                  ? TPackResult::Done
           : code == kProcessStopped ? TPackResult::Stopped
                                     : TPackResult::Failed;
}

TPackResult PackBranchSet(const std::string& archive, TProcessMemo* memo, const bool& stop) {
    const TPackResult result = PackFolder(TempPath(), archive, memo, stop);
    ShellServices().ClearTempFolder();
    return result;
}

// ---- The checks of an archive and of an unpacked set

namespace {

using TArchivePtr = std::unique_ptr<archive, decltype(&archive_read_free)>;

TArchiveCheck Refuse(TArchiveProblem problem, std::string detail) {
    return {problem, std::move(detail)};
}

// Lets `events` run between two steps of a check; true when the user has asked to stop.
bool StopAsked(TProcessEvents events, const bool& stop) {
    LetEventsRun(events);
    return stop;
}

// How many entries of a folder walk go between two StopAsked.
constexpr int kEntriesBetweenEvents = 256;

// The problem of one entry name: absolute, or with a ".." part.
TArchiveProblem NameProblem(std::string_view name) {
    if (!name.empty() && name.front() == '/') return TArchiveProblem::AbsolutePath;
    for (const fs::path& part : fs::path(name))
        if (part == "..") return TArchiveProblem::ParentPath;
    return TArchiveProblem::None;
}

// An entry of an archive's listing: a folder, or a file of that many bytes.
struct TListedEntry {
    bool Folder = false;
    std::uintmax_t Size = 0;
};
// The entries by their path relative to the folder the archive unpacks into ("Images/IMG5"),
// with the folders that an entry implies.
using TListing = std::map<std::string, TListedEntry>;

// An entry's path relative to the folder it unpacks into; "" for that folder itself.
std::string EntryKey(std::string_view name) {
    std::string key = fs::path(name).lexically_normal().generic_string();
    while (!key.empty() && key.back() == '/') key.pop_back();
    return key == "." ? "" : key;
}

// "<prefix><digits>", the digits making an ID.
bool IsNumbered(std::string_view name, std::string_view prefix) {
    if (!name.starts_with(prefix) || name.size() == prefix.size() ||
        name.size() > prefix.size() + 9)
        return false;
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

// The tables file's write-ahead log and its index, which a budget's archive may carry beside it
// (the log empty, all its changes in the file).
std::string WalFile() {
    return std::string(kTablesFileName) + "-wal";
}
std::string WalIndexFile() {
    return std::string(kTablesFileName) + "-shm";
}

// Whether a budget's archive may hold the entry: its tables file (with its log and the log's
// index) and VLBudget.ini; the folders
// Images, Files and jTrFiles; below them, as folders with anything inside, the albums'
// IMG<id> (and the thumbnail and staging folders mini and tmpload), the collections' DIR<id>
// and the transactions' <n>. Another archive, a loose file or a folder of another name is not.
bool EntryAllowed(const std::string& key, bool folder) {
    if (key.empty()) return folder;
    if (key == kTablesFileName || key == WalFile() || key == WalIndexFile() ||
        key == "VLBudget.ini")
        return !folder;
    const fs::path path(key);
    auto part = path.begin();
    const std::string top = part->string();
    if (++part == path.end())
        return folder && (top == "Images" || top == "Files" || top == "jTrFiles");
    const std::string second = part->string();
    const bool inside = std::next(part) != path.end();
    const bool known = top == "Images"
                           ? IsNumbered(second, "IMG") || second == "mini" || second == "tmpload"
                       : top == "Files"    ? IsNumbered(second, "DIR")
                       : top == "jTrFiles" ? IsNumbered(second, "")
                                           : false;
    return known && (inside || folder);
}

// Reads the archive through (with libarchive, nothing written) into its listing. Refuses it at
// the first entry that would land outside the folder, is no plain file or folder, or is none
// that a budget's archive holds, and as soon as what it declares or holds exceeds the free
// space of the folder. Lets `events` run between blocks; `stop` ends the reading.
TArchiveCheck ListArchive(const std::string& path, const std::string& folder, TListing& listing,
                          TProcessEvents events, const bool& stop) {
    std::error_code error;
    const std::uintmax_t room = fs::space(folder, error).available;
    if (error) return Refuse(TArchiveProblem::UnpackFailed, folder + ": " + error.message());
    TArchivePtr reader(archive_read_new(), &archive_read_free);
    archive_read_support_filter_all(reader.get());
    archive_read_support_format_all(reader.get());
    if (archive_read_open_filename(reader.get(), path.c_str(), 64 * 1024) != ARCHIVE_OK)
        return Refuse(TArchiveProblem::Unreadable, archive_error_string(reader.get()));
    const auto unreadable = [&] {
        const char* reason = archive_error_string(reader.get());
        return Refuse(TArchiveProblem::Unreadable, reason ? reason : "");
    };
    constexpr std::uintmax_t kEventsEvery = 4 << 20;
    std::uintmax_t declared = 0, held = 0, sinceEvents = 0;
    archive_entry* entry = nullptr;
    int entries = 0;
    for (;;) {
        const int status = archive_read_next_header(reader.get(), &entry);
        if (status == ARCHIVE_EOF) break;
        if (status < ARCHIVE_WARN) return unreadable();
        ++entries;
        const char* nameText = archive_entry_pathname(entry);
        const std::string name = nameText ? nameText : "";
        if (const TArchiveProblem problem = NameProblem(name); problem != TArchiveProblem::None)
            return Refuse(problem, name);
        if (archive_entry_hardlink(entry) || archive_entry_filetype(entry) == AE_IFLNK)
            return Refuse(TArchiveProblem::Link, name);
        const auto type = archive_entry_filetype(entry);
        if (type != AE_IFREG && type != AE_IFDIR) return Refuse(TArchiveProblem::SpecialFile, name);
        const std::string key = EntryKey(name);
        if (!EntryAllowed(key, type == AE_IFDIR)) return Refuse(TArchiveProblem::Unexpected, name);
        if (archive_entry_size_is_set(entry) && archive_entry_size(entry) > 0)
            declared += static_cast<std::uintmax_t>(archive_entry_size(entry));
        if (declared > room) return Refuse(TArchiveProblem::TooLarge, folder);
        // The bytes the entry really holds, which a damaged or crafted header may understate.
        std::uintmax_t size = 0;
        const void* block = nullptr;
        std::size_t length = 0;
        la_int64_t offset = 0;
        int read = ARCHIVE_OK;
        while ((read = archive_read_data_block(reader.get(), &block, &length, &offset)) ==
               ARCHIVE_OK) {
            size = std::max(size, static_cast<std::uintmax_t>(offset) + length);
            held += length;
            sinceEvents += length;
            if (held > room) return Refuse(TArchiveProblem::TooLarge, folder);
            if (sinceEvents >= kEventsEvery) {
                sinceEvents = 0;
                LetEventsRun(events);
                if (stop) return Refuse(TArchiveProblem::Stopped, "");
            }
        }
        if (read < ARCHIVE_WARN) return unreadable();
        // Changes the tables file does not hold yet would be read past every check.
        if (key == WalFile() && size > 0) return Refuse(TArchiveProblem::OtherStructure, name);
        listing[key] = {type == AE_IFDIR, size};
        for (fs::path parent = fs::path(key).parent_path(); !parent.empty();
             parent = parent.parent_path())
            listing.try_emplace(parent.generic_string(), TListedEntry{true, 0});
        if (stop) return Refuse(TArchiveProblem::Stopped, "");
    }
    if (entries == 0) return Refuse(TArchiveProblem::Unreadable, "");
    return {};
}

// Walks the unpacked tree without following links: every entry is a plain file or folder that
// the listing holds, a file of the listed size; then folders get mode 0700 and files 0600.
// Lets `events` run every kEntriesBetweenEvents entries, from the first; `stop` ends the walk.
TArchiveCheck CheckUnpackedTree(const std::string& folder, const TListing& listing,
                                TProcessEvents events, const bool& stop) {
    const std::string base = folder.ends_with('/') ? folder : folder + "/";
    std::error_code error;
    int walked = 0;
    for (auto it = fs::recursive_directory_iterator(folder, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (walked++ % kEntriesBetweenEvents == 0 && StopAsked(events, stop))
            return Refuse(TArchiveProblem::Stopped, "");
        const std::string key = it->path().generic_string().substr(base.size());
        const fs::file_status status = it->symlink_status(error);
        const bool isFolder = fs::is_directory(status);
        const auto listed = listing.find(key);
        if (error || (!isFolder && !fs::is_regular_file(status)) || listed == listing.end() ||
            listed->second.Folder != isFolder ||
            (!isFolder && fs::file_size(it->path(), error) != listed->second.Size))
            return Refuse(TArchiveProblem::Outside, key);
        fs::permissions(
            it->path(),
            isFolder ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write,
            error);
    }
    if (error) return Refuse(TArchiveProblem::Outside, error.message());
    return {};
}

// Gives every folder below `folder` (links not followed) all its owner's rights, so that what a
// refused, failed or stopped unpacking left can be removed whatever modes the archive gave its
// folders (an archiver sets them at its end, a folder without write access holding files).
void OpenUnpackedFolders(const std::string& folder) {
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error))
        if (fs::is_directory(it->symlink_status(error)))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
}

// The percent-encoded "file:" URI of a path.
std::string FileUri(const std::string& path) {
    std::string uri = "file:";
    for (const unsigned char c : path) {
        if (std::isalnum(c) ||
            std::string_view("/-._~").find(static_cast<char>(c)) != std::string_view::npos) {
            uri += static_cast<char>(c);
        } else {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", c);
            uri += code;
        }
    }
    return uri;
}

// A connection of our own to a tables file under SQLite's defensive settings (no trigger or view
// runs, nothing in a schema is trusted to call functions). A set's tables file is opened, or
// attached as "arc", for reading only and as immutable: never written, never locked, no log
// beside it read.
class TSetConnection {
public:
    // A connection to `file`: one that came from an archive when `fromArchive`, else our own
    // (writable when asked).
    TSetConnection(const std::string& file, bool fromArchive, bool writable = false) : file_(file) {
        const int flags = (writable ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY) |
                          SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX;
        const std::string name = fromArchive ? ArchiveUri(file) : FileUri(file);
        const int opened = sqlite3_open_v2(name.c_str(), &db_, flags, nullptr);
        if (opened != SQLITE_OK) Fail();
        ApplyDefensiveSettings(db_);
    }
    ~TSetConnection() { sqlite3_close_v2(db_); }
    TSetConnection(const TSetConnection&) = delete;
    TSetConnection& operator=(const TSetConnection&) = delete;

    // Attaches a set's tables file as kSet.
    void AttachSet(const std::string& set) {
        Run("ATTACH ?1 AS " + std::string(kSet), ArchiveUri(set));
        file_ = set;
    }
    sqlite3* Handle() const { return db_; }
    const std::string& File() const { return file_; }

    // From now on a long statement lets `events` run every 50 ms and ends as soon as `stop` is
    // set: it fails (EDatabaseError), and the caller reads `stop` to tell a stop from a fault.
    void Pace(TProcessEvents events, const bool& stop) {
        events_ = events;
        stop_ = &stop;
        paced_ = std::chrono::steady_clock::now();
        sqlite3_progress_handler(db_, kStepsBetweenLooks, &TSetConnection::Look, this);
    }

    static constexpr const char* kSet = "arc";

    // The rows of the statement, each column as text (NULL as ""); `bound` binds ?1.
    std::vector<std::vector<std::string>> Run(const std::string& sql,
                                              const std::string& bound = {}) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) Fail();
        const std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> owned(statement,
                                                                               &sqlite3_finalize);
        if (!bound.empty()) sqlite3_bind_text(statement, 1, bound.c_str(), -1, SQLITE_TRANSIENT);
        std::vector<std::vector<std::string>> rows;
        int step = 0;
        while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
            auto& row = rows.emplace_back();
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                const unsigned char* text = sqlite3_column_text(statement, c);
                row.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
            }
        }
        if (step != SQLITE_DONE) Fail();
        return rows;
    }

private:
    static std::string ArchiveUri(const std::string& file) {
        return FileUri(file) + "?mode=ro&immutable=1";
    }
    // SQLite's progress handler: non-zero interrupts the statement.
    static int Look(void* self) {
        auto& db = *static_cast<TSetConnection*>(self);
        const auto now = std::chrono::steady_clock::now();
        if (now - db.paced_ >= std::chrono::milliseconds(50)) {
            db.paced_ = now;
            LetEventsRun(db.events_);
        }
        return *db.stop_ ? 1 : 0;
    }
    static constexpr int kStepsBetweenLooks = 1000;
    [[noreturn]] void Fail() const {
        throw EDatabaseError(file_, db_ ? sqlite3_errmsg(db_) : "out of memory");
    }

    sqlite3* db_ = nullptr;
    std::string file_;
    TProcessEvents events_ = TProcessEvents::PaintOnly;
    const bool* stop_ = &kNoStop;
    std::chrono::steady_clock::time_point paced_;
};

// The tables the import reads, in the order of the merge.
constexpr const char* kSetTables[] = {
    tbl::Objects,    tbl::Tables,     tbl::Images,         tbl::Numbers,
    tbl::Algorithms, tbl::AlgExtData, tbl::AlgVarDescr,    tbl::AlgText,
    tbl::Pays,       tbl::PayHistory, tbl::PayAutoCharges, tbl::Schedules,
};

std::string Quoted(std::string_view name) {
    return "\"" + std::string(name) + "\"";
}

// The schema of a tables file, in the order of type and name.
std::vector<TSchemaEntry> Schema(const TSetConnection& db) {
    std::vector<TSchemaEntry> entries = ReadSchema(db.Handle(), db.File());
    std::ranges::sort(entries, {},
                      [](const TSchemaEntry& entry) { return std::tie(entry.Type, entry.Name); });
    return entries;
}

// The set's tables file holds exactly the structure of the reference (tables, columns and
// indexes; no trigger, view or other object) and is sound. Only reading statements run on it;
// they let `events` run, and `stop` ends them.
TArchiveCheck CheckTablesFile(const std::string& file, const std::string& reference,
                              TProcessEvents events, const bool& stop) {
    std::error_code error;
    if (!fs::is_regular_file(file, error)) return Refuse(TArchiveProblem::NoTables, "");
    try {
        TSetConnection set(file, true);
        set.Pace(events, stop);
        const std::vector<TSchemaEntry> own = Schema(TSetConnection(reference, false)),
                                        theirs = Schema(set);
        const auto same = [](const TSchemaEntry& a, const TSchemaEntry& b) {
            return std::tie(a.Type, a.Name, a.TableName, a.Sql) ==
                   std::tie(b.Type, b.Name, b.TableName, b.Sql);
        };
        const auto [mine, other] =
            std::mismatch(own.begin(), own.end(), theirs.begin(), theirs.end(), same);
        if (mine != own.end() || other != theirs.end()) {
            const TSchemaEntry& differs = other != theirs.end() ? *other : *mine;
            return Refuse(TArchiveProblem::OtherStructure, differs.Type + " " + differs.Name);
        }
        const auto check = set.Run("PRAGMA quick_check");
        if (check.empty() || check.front().front() != "ok")
            return Refuse(TArchiveProblem::OtherStructure,
                          check.empty() ? "" : check.front().front());
    } catch (const EDatabaseError& e) {
        return stop ? Refuse(TArchiveProblem::Stopped, "")
                    : Refuse(TArchiveProblem::OtherStructure, e.what());
    }
    return {};
}

// The count the query gives.
long long CountOf(TSetConnection& db, const std::string& sql) {
    return std::stoll(db.Run(sql).at(0).at(0));
}

// The object types a set holds.
constexpr int kSetTypes[] = {otFolder, otTable, otImages, otFiles, otNumber, otPay};

// The set's objects have unique IDs and known types and form one tree: every object reaches,
// through folders, a root whose parent is no object of the set, and all roots have one parent.
TArchiveCheck CheckSetTree(TSetConnection& db) {
    struct TObject {
        int Parent = 0, Type = 0, State = 0;  // State: 0 unseen, 1 on the walk, 2 reaches a root
    };
    std::map<int, TObject> objects;
    for (const auto& row : db.Run("SELECT " + Quoted(fld::ID) + ", " + Quoted(fld::IDParent) +
                                  ", " + Quoted(fld::Type) + " FROM " + Quoted(tbl::Objects))) {
        const int id = std::stoi(row[0]);
        const TObject object{std::stoi(row[1]), std::stoi(row[2])};
        if (!objects.emplace(id, object).second)
            return Refuse(TArchiveProblem::BadTree, "ID " + row[0]);
        if (std::ranges::find(kSetTypes, object.Type) == std::end(kSetTypes))
            return Refuse(TArchiveProblem::BadTree, "ID " + row[0] + ", type " + row[2]);
    }
    if (objects.empty()) return Refuse(TArchiveProblem::NoTables, "");
    std::optional<int> rootParent;
    for (auto& [id, object] : objects) {
        std::vector<TObject*> walk;
        TObject* at = &object;
        while (at->State == 0) {
            at->State = 1;
            walk.push_back(at);
            const auto parent = objects.find(at->Parent);
            if (parent == objects.end()) {
                if (rootParent && *rootParent != at->Parent)
                    return Refuse(TArchiveProblem::BadTree, "ID " + std::to_string(id));
                rootParent = at->Parent;
                at->State = 2;
                break;
            }
            if (parent->second.Type != otFolder)
                return Refuse(TArchiveProblem::BadTree, "ID " + std::to_string(parent->first));
            at = &parent->second;
        }
        if (at->State == 1) return Refuse(TArchiveProblem::BadTree, "ID " + std::to_string(id));
        for (TObject* seen : walk) seen->State = 2;
    }
    return {};
}

// Every row of the set belongs to an object of the set of the right type, or to an algorithm or
// schedule that one of its items names, so that the import touches no row of the budget's own
// objects and its undo leaves none behind.
TArchiveCheck CheckSetRows(TSetConnection& db) {
    const std::string id = Quoted(fld::ID), idAlg = Quoted(fld::IDAlg),
                      schedule = Quoted(fld::IDSchedule);
    const auto objectsOf = [&](int type) {
        return "(SELECT " + id + " FROM " + Quoted(tbl::Objects) + " WHERE " + Quoted(fld::Type) +
               " = " + std::to_string(type) + ")";
    };
    const std::string algorithms = "(SELECT " + id + " FROM " + Quoted(tbl::Algorithms) + ")";
    const auto algorithmItems = [&](const char* table) {
        return "SELECT " + idAlg + " FROM " + Quoted(table) + " WHERE substr(" +
               Quoted(fld::ItemType) + ", 1, 1) = 'A'";
    };
    struct TRule {
        const char* Table;
        std::string Foreign;  // the condition of a row that belongs to nothing of the set
    };
    const TRule rules[] = {
        {tbl::Tables, id + " NOT IN " + objectsOf(otTable)},
        {tbl::Images, id + " NOT IN " + objectsOf(otImages)},
        {tbl::Numbers, id + " NOT IN " + objectsOf(otNumber)},
        {tbl::Pays, id + " NOT IN " + objectsOf(otPay)},
        {tbl::PayHistory, id + " NOT IN " + objectsOf(otPay)},
        {tbl::PayAutoCharges, id + " NOT IN " + objectsOf(otPay)},
        {tbl::Numbers, "substr(" + Quoted(fld::ItemType) + ", 1, 1) = 'A' AND " + idAlg +
                           " NOT IN " + algorithms},
        {tbl::PayAutoCharges, "substr(" + Quoted(fld::ItemType) + ", 1, 1) = 'A' AND " + idAlg +
                                  " NOT IN " + algorithms},
        {tbl::PayAutoCharges, schedule + " <> 0 AND " + schedule + " NOT IN (SELECT " + id +
                                  " FROM " + Quoted(tbl::Schedules) + ")"},
        {tbl::Algorithms, id + " NOT IN (" + algorithmItems(tbl::Numbers) + " UNION " +
                              algorithmItems(tbl::PayAutoCharges) + ")"},
        {tbl::Algorithms, id + " IN (SELECT " + id + " FROM " + Quoted(tbl::Algorithms) +
                              " GROUP BY " + id + " HAVING count(*) > 1)"},
        {tbl::AlgExtData, idAlg + " NOT IN " + algorithms},
        {tbl::AlgVarDescr, idAlg + " NOT IN " + algorithms},
        {tbl::AlgText, idAlg + " NOT IN " + algorithms},
        {tbl::Schedules,
         id + " NOT IN (SELECT " + schedule + " FROM " + Quoted(tbl::PayAutoCharges) + ")"},
        {tbl::Schedules, id + " IN (SELECT " + id + " FROM " + Quoted(tbl::Schedules) +
                             " GROUP BY " + id + " HAVING count(*) > 1)"},
    };
    for (const TRule& rule : rules)
        if (CountOf(db, "SELECT count(*) FROM " + Quoted(rule.Table) + " WHERE " + rule.Foreign) >
            0)
            return Refuse(TArchiveProblem::ForeignRows, rule.Table);
    return {};
}

// Drops the staged files of an unpacked Images folder: its own mini and tmpload go, and each
// album's tmpload and mini/tmpload are emptied (made where missing), so that an imported album
// has the folders the journal makes with an album and nothing that was never applied.
void DropStagingFolders(const fs::path& images) {
    std::error_code error;
    fs::remove_all(images / "mini", error);
    fs::remove_all(images / "tmpload", error);
    if (!fs::is_directory(images, error)) return;
    for (const fs::directory_entry& album : fs::directory_iterator(images, error)) {
        if (!album.is_directory(error)) continue;  // a loose file, refused by the folders' check
        for (const fs::path& staging : {album.path() / "tmpload", album.path() / "mini/tmpload"}) {
            fs::remove_all(staging, error);
            fs::create_directories(staging, error);
        }
    }
}

// Every folder below the unpacked Images and Files is the album or collection of an object of
// the set (IMG<id> of an album, DIR<id> of a collection); gives the bytes they hold. Lets
// `events` run while it walks them; `stop` ends the walk.
TArchiveCheck CheckSetFolders(TSetConnection& db, const fs::path& unpacked, std::uintmax_t& bytes,
                              TProcessEvents events, const bool& stop) {
    int walked = 0;
    struct TKind {
        const char* Folder;
        const char* Prefix;
        int Type;
    };
    for (const TKind& kind : {TKind{"Images", "IMG", otImages}, TKind{"Files", "DIR", otFiles}}) {
        std::set<std::string> owners;
        for (const auto& row :
             db.Run("SELECT " + Quoted(fld::ID) + " FROM " + Quoted(tbl::Objects) + " WHERE " +
                    Quoted(fld::Type) + " = " + std::to_string(kind.Type)))
            owners.insert(kind.Prefix + row[0]);
        std::error_code error;
        const fs::path folder = unpacked / kind.Folder;
        if (!fs::is_directory(folder, error)) continue;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
            const std::string name = entry.path().filename().string();
            if (!owners.contains(name))
                return Refuse(TArchiveProblem::Unexpected, std::string(kind.Folder) + "/" + name);
            for (const fs::directory_entry& file : fs::recursive_directory_iterator(entry, error)) {
                if (++walked % kEntriesBetweenEvents == 0 && StopAsked(events, stop))
                    return Refuse(TArchiveProblem::Stopped, "");
                if (file.is_regular_file(error)) bytes += file.file_size(error);
            }
        }
    }
    return {};
}

// Copies the rows of the checked set's tables file into a fresh tables file of our own (the
// reference's structure), drops the fixed objects, and checks the set's objects and rows, its
// folders and the room they need in the budget; then moves the folders beside the fresh file.
// Lets `events` run between its steps and inside long ones; `stop` ends it.
TArchiveCheck TakeInBranchSet(const fs::path& unpacked, TProcessEvents events, const bool& stop) {
    const std::string own = TempPath() + kTablesFileName;
    const fs::path setTables = unpacked / kTablesFileName;
    std::error_code error;
    fs::copy_file(fs::path(DataPath()) / "EmptyBases" / kTablesFileName, own, error);
    if (error) return Refuse(TArchiveProblem::UnpackFailed, own + ": " + error.message());
    std::uintmax_t bytes = 0;
    try {
        TSetConnection db(own, false, true);
        db.Pace(events, stop);
        db.AttachSet(setTables.string());
        db.Run("BEGIN");
        for (const char* table : kSetTables) {
            if (StopAsked(events, stop)) return Refuse(TArchiveProblem::Stopped, "");
            db.Run("DELETE FROM main." + Quoted(table));
            db.Run("INSERT INTO main." + Quoted(table) + " SELECT * FROM " + TSetConnection::kSet +
                   "." + Quoted(table));
        }
        db.Run("DELETE FROM main." + Quoted(tbl::Objects) + " WHERE " + Quoted(fld::ID) +
               " IN (9, 10)");
        db.Run("COMMIT");
        DropStagingFolders(unpacked / "Images");
        if (StopAsked(events, stop)) return Refuse(TArchiveProblem::Stopped, "");
        TArchiveCheck check = CheckSetTree(db);
        if (check) check = CheckSetRows(db);
        if (check) check = CheckSetFolders(db, unpacked, bytes, events, stop);
        if (!check) return check;
    } catch (const EDatabaseError& e) {
        return stop ? Refuse(TArchiveProblem::Stopped, "")
                    : Refuse(TArchiveProblem::OtherStructure, e.what());
    }
    const std::string budget = ShellServices().BudgetPath();
    if (bytes > fs::space(budget, error).available || error)
        return Refuse(TArchiveProblem::TooLarge, budget);
    for (const char* folder : {"Images", "Files"}) {
        if (!fs::is_directory(unpacked / folder, error)) continue;
        fs::rename(unpacked / folder, fs::path(TempPath()) / folder, error);
        if (error) return Refuse(TArchiveProblem::UnpackFailed, error.message());
    }
    fs::remove_all(unpacked, error);
    return {};
}

}  // namespace

TProblemText ArchiveProblemText(TArchiveProblem problem) {
    switch (problem) {
        case TArchiveProblem::None:
            return {"", ""};
        case TArchiveProblem::Unreadable:
            return {"ArcUnreadable", "The file is not a readable archive:"};
        case TArchiveProblem::AbsolutePath:
            return {"ArcAbsolutePath", "The archive holds an entry with an absolute path:"};
        case TArchiveProblem::ParentPath:
            return {"ArcParentPath", "The archive holds an entry that leads out of its folder:"};
        case TArchiveProblem::Link:
            return {"ArcLink", "The archive holds a link:"};
        case TArchiveProblem::SpecialFile:
            return {"ArcSpecialFile", "The archive holds a device or other special file:"};
        case TArchiveProblem::UnpackFailed:
            return {"ArcUnpackFailed",
                    "The archive could not be unpacked ([Backup] RecoveryCommand in vemly.ini):"};
        case TArchiveProblem::NoTables:
            return {"ArcNoTables", "The archive holds no budget data."};
        case TArchiveProblem::OtherStructure:
            return {"ArcOtherStructure", "The archive's tables differ from this budget's:"};
        case TArchiveProblem::Unexpected:
            return {"ArcUnexpected",
                    "The archive holds an entry that belongs to no object of a budget:"};
        case TArchiveProblem::TooLarge:
            return {"ArcTooLarge", "The archive needs more room than is free in the folder:"};
        case TArchiveProblem::BadTree:
            return {"ArcBadTree",
                    "The archive's objects are not one tree of known objects with unique IDs:"};
        case TArchiveProblem::ForeignRows:
            return {"ArcForeignRows",
                    "The archive's tables hold rows of no object of the archive:"};
        case TArchiveProblem::Stopped:
            return {"ArcStopped", "The check was stopped."};
        case TArchiveProblem::Outside:
            return {"ArcOutside",
                    "The unpacked archive holds what its listing does not (a link, a special "
                    "file or another entry):"};
    }
    return {"", ""};
}

TArchiveCheck UnpackArchive(const std::string& archive, const std::string& folder,
                            const std::string& reference, TProcessEvents events, const bool& stop) {
    TListing listing;
    TArchiveCheck check = ListArchive(archive, folder, listing, events, stop);
    if (!check) return check;
    const auto command = ExpandCommand(ReadBackupCommand("RecoveryCommand"),
                                       {{"[ArcName]", archive}, {"[DestPath]", folder}});
    TTextMemo log;
    const int code = command ? RunProcessToMemo(*command, &log, stop, "EN", events) : 0;
    if (code == kProcessStopped)
        check = Refuse(TArchiveProblem::Stopped, "");
    else if (!command || code != kProcessDone)
        check = Refuse(TArchiveProblem::UnpackFailed, log.Text);
    else
        check = CheckUnpackedTree(folder, listing, events, stop);
    if (check)
        check = CheckTablesFile((fs::path(folder) / kTablesFileName).string(),
                                (fs::path(reference) / kTablesFileName).string(), events, stop);
    if (!check) OpenUnpackedFolders(folder);
    return check;
}

TArchiveCheck UnpackBranchSet(const std::string& archive, TProcessEvents events, const bool& stop) {
    if (ShellServices().ClearTempFolder() != 0)
        return Refuse(TArchiveProblem::UnpackFailed, TempPath());
    // A folder of our own for the archiver, so that nothing in the archive can reach the temp
    // folder itself (the "./" entry of a tar sets the mode of the folder it unpacks into).
    std::string unpacked = TempPath() + "unpacked.XXXXXX";
    TArchiveCheck check;
    if (mkdtemp(unpacked.data()) == nullptr)
        check = Refuse(TArchiveProblem::UnpackFailed, TempPath() + ": " + std::strerror(errno));
    if (check)
        check = UnpackArchive(archive, unpacked + "/", DataPath() + "EmptyBases", events, stop);
    if (check) check = TakeInBranchSet(unpacked, events, stop);
    if (!check) ShellServices().ClearTempFolder();
    return check;
}

// ---- The import

std::optional<int> TIDPairList::Find(int oldId) const {
    for (const IDPair& pair : pairs_)
        if (pair.Old == oldId) return pair.New;
    return std::nullopt;
}

namespace {

// Pairs (ID, base + k) over the unpacked table's rows in record-counter order.
TIDPairList NewIds(const char* table, int base) {
    TIDPairList list;
    TSetTable rows(table, false, {}, "");
    int k = 0;
    for (rows.First(); !rows.Eof(); rows.Next())
        list.Add(rows.FieldByName(fld::ID).AsInteger(), base + k++);
    return list;
}

// Renames <folder>/<prefix><old> to <prefix><new> for every pair, through "<name>~".
void RenameImportFolders(const std::string& folder, const char* prefix, const TIDPairList& list) {
    std::error_code error;
    auto name = [&](int id) { return fs::path(folder) / (prefix + IntToText(id)); };
    for (const IDPair& pair : list.Pairs())
        if (fs::is_directory(name(pair.Old), error))
            fs::rename(name(pair.Old), name(pair.Old).string() + "~", error);
    for (const IDPair& pair : list.Pairs())
        if (fs::is_directory(name(pair.Old).string() + "~", error))
            fs::rename(name(pair.Old).string() + "~", name(pair.New), error);
}

// Appends every row of the unpacked table to the budget's table of the same name.
void MergeRows(const char* table) {
    TSetTable from(table);
    TBudgetTable to(table, true, {}, "");
    for (from.First(); !from.Eof(); from.Next()) AppendCopy(from, to);
}

// Brings every folder below the unpacked folder (Images/, Files/) into the budget's, naming
// each to `files` as created: moved where the temp folder lies on the budget's file system
// (the temp folder is emptied afterwards anyway), else copied.
void MergeFolders(const char* sub, TFileEffects& files) {
    const fs::path from = fs::path(TempPath()) / sub;
    if (!fs::is_directory(from)) return;
    const fs::path to = fs::path(ShellServices().BudgetPath()) / sub;
    ForceFolderPath(to.string());
    for (const fs::directory_entry& entry : fs::directory_iterator(from)) {
        const fs::path target = to / entry.path().filename();
        if (fs::exists(target)) continue;  // never merged into a folder of another object
        files.CreatedFolder(target.string());
        std::error_code moved;
        fs::rename(entry.path(), target, moved);
        if (!moved) continue;
        ForceFolderPath(target.string());
        const TTreeCopy copy = CopyFolderTree(entry.path(), target, TCopyFailure::Stops);
        if (copy.Error) throw fs::filesystem_error("copy", copy.Failed, copy.Error);
    }
}

}  // namespace

void ImportBranch(int target, TFileEffects& files) {
    RemapImportIds(target);
    MergeImportTables(files);
}

void RemapImportIds(int target) {
    const std::string temp = TempPath();
    TTransactionScope setRows(temp);  // one write of the set, not one per row
    const TIDPairList objects = NewIds(tbl::Objects, NextObjectId());
    {
        TSetTable rows(tbl::Objects, true, {}, "");
        for (rows.First(); !rows.Eof(); rows.Next()) {
            rows.Edit();
            TField& id = rows.FieldByName(fld::ID);
            TField& parent = rows.FieldByName(fld::IDParent);
            id.SetAsInteger(objects.Map(id.AsInteger()));
            parent.SetAsInteger(objects.Find(parent.AsInteger()).value_or(target));
            rows.Post();
        }
    }
    RemapImportKeyField(temp, tbl::Tables, fld::ID, objects);
    RemapImportKeyField(temp, tbl::Images, fld::ID, objects);
    RenameImportImageFolders(temp, objects);
    RenameImportFileFolders(temp, objects);
    for (const char* table : {tbl::Numbers, tbl::Pays, tbl::PayHistory, tbl::PayAutoCharges})
        RemapImportKeyField(temp, table, fld::ID, objects);
    RemapImportKeyField(temp, tbl::AlgExtData, fld::IDObject, objects);
    RemapImportKeyField(temp, tbl::AlgExtData, fld::ParentObject, objects);
    RemapImportKeyField(temp, tbl::Algorithms, fld::IDParent, objects);
    RemapImportAlgorithms();
    RemapImportSchedules();
    setRows.Commit();
}

void RemapImportKeyField(const std::string& folder, const char* table, const char* field,
                         const TIDPairList& list) {
    TTable rows;
    rows.SetDatabaseName(folder);
    rows.SetTableName(table);
    rows.Open();
    for (rows.First(); !rows.Eof(); rows.Next()) {
        TField& value = rows.FieldByName(field);
        if (const std::optional<int> to = list.Find(value.AsInteger())) {
            rows.Edit();
            value.SetAsInteger(*to);
            rows.Post();
        }
    }
    rows.FlushBuffers();
}

void RenameImportImageFolders(const std::string& folder, const TIDPairList& list) {
    RenameImportFolders(folder + "Images", "IMG", list);
}

void RenameImportFileFolders(const std::string& folder, const TIDPairList& list) {
    RenameImportFolders(folder + "Files", "DIR", list);
}

void RemapImportAlgorithms() {
    const std::string temp = TempPath();
    const TIDPairList algorithms = NewIds(tbl::Algorithms, NextAlgorithmId());
    RemapImportKeyField(temp, tbl::Algorithms, fld::ID, algorithms);
    for (const char* table :
         {tbl::AlgExtData, tbl::AlgVarDescr, tbl::AlgText, tbl::Numbers, tbl::PayAutoCharges})
        RemapImportKeyField(temp, table, fld::IDAlg, algorithms);
}

void RemapImportSchedules() {
    const std::string temp = TempPath();
    const TIDPairList schedules = NewIds(tbl::Schedules, NextScheduleId());
    RemapImportKeyField(temp, tbl::Schedules, fld::ID, schedules);
    RemapImportKeyField(temp, tbl::PayAutoCharges, fld::IDSchedule, schedules);
    // Automatic charges name the schedule that made them; manual events hold 0.
    TIDPairList charges;
    for (const IDPair& pair : schedules.Pairs())
        if (pair.Old > 0) charges.Add(pair.Old, pair.New);
    RemapImportKeyField(temp, tbl::PayHistory, fld::IDCharge, charges);
}

void MergeImportTables(TFileEffects& files) {
    for (const char* table : {tbl::Objects, tbl::Tables, tbl::Images}) MergeRows(table);
    MergeFolders("Images", files);
    MergeFolders("Files", files);
    for (const char* table :
         {tbl::Numbers, tbl::Algorithms, tbl::AlgExtData, tbl::AlgVarDescr, tbl::AlgText, tbl::Pays,
          tbl::PayHistory, tbl::PayAutoCharges, tbl::Schedules})
        MergeRows(table);
}

TDateTime EarliestActiveChargeDate() {
    TDateTime earliest = Today() + 1;
    TSetTable charges(tbl::PayAutoCharges);
    for (charges.First(); !charges.Eof(); charges.Next()) {
        const std::string activity = charges.FieldByName(fld::Activity).AsString();
        const TDateTime begin = charges.FieldByName(fld::DateBegin).AsDateTime();
        if (!activity.empty() && activity[0] == 'A' && begin < earliest) earliest = begin;
    }
    return earliest;
}

void DeleteImportedObjects(TFileEffects& files, const std::string& saveFolder) {
    std::error_code error;
    fs::remove_all(saveFolder, error);
    if (error) throw fs::filesystem_error("remove", saveFolder, error);
    TSetTable objects(tbl::Objects, false, {}, "");
    int k = 0;
    for (objects.First(); !objects.Eof(); objects.Next(), ++k) {
        const int id = objects.FieldByName(fld::ID).AsInteger();
        switch (objects.FieldByName(fld::Type).AsInteger()) {
            case otFolder:
                break;
            case otTable:
                DM->DeleteTableObject(id);
                continue;
            case otImages: {
                TBudgetTable pictures(tbl::Images, true, Where(fld::ID) == id);
                DeleteAllRows(pictures);
                files.DeleteAfterCommit(AlbumFolder(id));
                break;
            }
            case otFiles: {
                const fs::path collection = CollectionFolder(id);
                if (fs::is_directory(collection, error)) {
                    const fs::path saved = fs::path(saveFolder) / std::to_string(k);
                    ForceFolderPath(saved.string());
                    const TTreeCopy copy = CopyFolderTree(collection, saved, TCopyFailure::Stops);
                    if (copy.Error) throw fs::filesystem_error("copy", copy.Failed, copy.Error);
                }
                files.DeleteAfterCommit(collection.string());
                break;
            }
            case otNumber:
                DM->DeleteNumberObject(id);
                continue;
            case otPay:
                DM->DeletePayObject(id);
                continue;
            default:
                continue;
        }
        DM->DeleteObjectRecord(id);
    }
}

void RestoreImportedCollections(const std::string& saveFolder, TFileEffects& files) {
    std::error_code error;
    if (!fs::is_directory(saveFolder, error)) return;
    TSetTable objects(tbl::Objects, false, {}, "");
    int k = 0;
    for (objects.First(); !objects.Eof(); objects.Next(), ++k) {
        const fs::path saved = fs::path(saveFolder) / std::to_string(k);
        if (objects.FieldByName(fld::Type).AsInteger() != otFiles ||
            !fs::is_directory(saved, error))
            continue;
        const fs::path collection = CollectionFolder(objects.FieldByName(fld::ID).AsInteger());
        if (!fs::exists(collection, error)) {
            ForceFolderPath(collection.string());
            files.CreatedFolder(collection.string());
        }
        for (const fs::directory_entry& entry : fs::directory_iterator(collection, error))
            fs::remove_all(entry.path(), error);
        const TTreeCopy copy = CopyFolderTree(saved, collection, TCopyFailure::Stops);
        if (copy.Error) throw fs::filesystem_error("copy", copy.Failed, copy.Error);
    }
    files.DeleteAfterCommit(saveFolder);
}
