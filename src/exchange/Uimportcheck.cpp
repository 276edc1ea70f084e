// The checks of a branch archive and of its unpacked set: listing, unpacked tree, tables file,
// and the set's objects, rows and folders.
#include "exchange/Uimportcheck.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <tuple>
#include <vector>

#include "exchange/Uimportexport.h"
#include "exchange/Uimportvalues.h"
#include "platform/Database.h"
#include "platform/EventLoop.h"
#include "shell/ObjectIndex.h"
#include "shell/ShellServices.h"
#include "store/U_dm.h"
#include "store/U_fileoperation.h"

namespace fs = std::filesystem;

namespace {

std::string TempPath() {
    return ShellServices().State().TempPath;
}
std::string DataPath() {
    return ShellServices().State().DataPath;
}

TArchiveCheck Refuse(TArchiveProblem problem, std::string detail) {
    return {problem, std::move(detail)};
}

// A libarchive reader over an archive file of our own opening.
class TArchiveReader {
public:
    TArchiveReader() : reader_(archive_read_new()) {
        archive_read_support_filter_all(reader_);
        archive_read_support_format_all(reader_);
    }
    ~TArchiveReader() {
        archive_read_free(reader_);
        if (file_ >= 0) ::close(file_);
    }
    TArchiveReader(const TArchiveReader&) = delete;
    TArchiveReader& operator=(const TArchiveReader&) = delete;

    // Opens the archive, only when it is a regular file: the path is opened without waiting (a
    // pipe would block the reading for good, as would a device that never answers) and
    // refused unless what was opened is a regular file.
    TArchiveCheck Open(const std::string& path) {
        file_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (file_ < 0)
            return Refuse(TArchiveProblem::Unreadable, path + ": " + std::strerror(errno));
        struct stat status {};
        if (::fstat(file_, &status) != 0 || !S_ISREG(status.st_mode))
            return Refuse(TArchiveProblem::NotAFile, path);
        ::fcntl(file_, F_SETFL, ::fcntl(file_, F_GETFL) & ~O_NONBLOCK);
        if (archive_read_open_fd(reader_, file_, 64 * 1024) != ARCHIVE_OK) return Unreadable();
        return {};
    }
    archive* get() const { return reader_; }
    // The reader's reason for its last failure, as a refusal.
    TArchiveCheck Unreadable() const {
        const char* reason = archive_error_string(reader_);
        return Refuse(TArchiveProblem::Unreadable, reason ? reason : "");
    }

private:
    archive* reader_;
    int file_ = -1;
};

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

// Whether the entry may be taken as a link: a hard link to a regular file listed before it (of
// those in `files`, whose size `linkedSize` then gets), or no link at all. Refuses a hard link
// to a name that is no earlier regular file of the archive (or is the entry's own), and a
// symbolic link.
TArchiveCheck LinkTarget(archive_entry* entry, const std::string& name, const std::string& key,
                         const std::map<std::string, std::uintmax_t>& files,
                         std::optional<std::uintmax_t>& linkedSize) {
    if (archive_entry_filetype(entry) == AE_IFLNK) return Refuse(TArchiveProblem::Link, name);
    const char* target = archive_entry_hardlink(entry);
    if (!target) return {};
    const std::string targetKey = EntryKey(target);
    const auto file = files.find(targetKey);
    // A tar's link entry carries no type of its own; one that says it is anything but a file is
    // no second name of one.
    const auto type = archive_entry_filetype(entry);
    if (NameProblem(target) != TArchiveProblem::None || file == files.end() || targetKey == key ||
        (type != 0 && type != AE_IFREG))
        return Refuse(TArchiveProblem::Link, name + " -> " + target);
    linkedSize = file->second;
    return {};
}

// Reads the archive through (with libarchive, nothing written) into its listing. Refuses it at
// the first entry that would land outside the folder, is no plain file or folder or hard link
// to an earlier file, or is none that a budget's archive holds, and as soon as what it declares
// or holds (a hard link counting its file's bytes, which the unpacked tree holds twice) exceeds
// the free space of the folder. Lets `events` run between blocks; `stop` ends the reading.
TArchiveCheck ListArchive(const std::string& path, const std::string& folder, TListing& listing,
                          TProcessEvents events, const bool& stop) {
    std::error_code error;
    const std::uintmax_t room = fs::space(folder, error).available;
    if (error) return Refuse(TArchiveProblem::UnpackFailed, folder + ": " + error.message());
    TArchiveReader reader;
    if (TArchiveCheck opened = reader.Open(path); !opened) return opened;
    constexpr std::uintmax_t kEventsEvery = 4 << 20;
    std::uintmax_t declared = 0, held = 0, sinceEvents = 0;
    // The regular files listed so far by key, with their sizes: what a hard link may name.
    std::map<std::string, std::uintmax_t> files;
    archive_entry* entry = nullptr;
    int entries = 0;
    for (;;) {
        const int status = archive_read_next_header(reader.get(), &entry);
        if (status == ARCHIVE_EOF) break;
        if (status < ARCHIVE_WARN) return reader.Unreadable();
        ++entries;
        const char* nameText = archive_entry_pathname(entry);
        const std::string name = nameText ? nameText : "";
        if (const TArchiveProblem problem = NameProblem(name); problem != TArchiveProblem::None)
            return Refuse(problem, name);
        const std::string key = EntryKey(name);
        std::optional<std::uintmax_t> linkedSize;
        if (TArchiveCheck link = LinkTarget(entry, name, key, files, linkedSize); !link)
            return link;
        const auto type = linkedSize ? AE_IFREG : archive_entry_filetype(entry);
        if (type != AE_IFREG && type != AE_IFDIR) return Refuse(TArchiveProblem::SpecialFile, name);
        if (!EntryAllowed(key, type == AE_IFDIR)) return Refuse(TArchiveProblem::Unexpected, name);
        if (archive_entry_size_is_set(entry) && archive_entry_size(entry) > 0)
            declared += static_cast<std::uintmax_t>(archive_entry_size(entry));
        declared += linkedSize.value_or(0);
        held += linkedSize.value_or(0);
        if (declared > room || held > room) return Refuse(TArchiveProblem::TooLarge, folder);
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
        if (read < ARCHIVE_WARN) return reader.Unreadable();
        // The unpacked name of a hard link holds its file's bytes.
        if (linkedSize) size = *linkedSize;
        // Changes the tables file does not hold yet would be read past every check.
        if (key == WalFile() && size > 0) return Refuse(TArchiveProblem::OtherStructure, name);
        listing[key] = {type == AE_IFDIR, size};
        if (type == AE_IFREG)
            files[key] = size;
        else
            files.erase(key);
        for (fs::path parent = fs::path(key).parent_path(); !parent.empty();
             parent = parent.parent_path())
            listing.try_emplace(parent.generic_string(), TListedEntry{true, 0});
        if (stop) return Refuse(TArchiveProblem::Stopped, "");
    }
    if (entries == 0) return Refuse(TArchiveProblem::Unreadable, "");
    return {};
}

// Makes each name of the files a file of its own: its bytes copied beside it, the copy renamed
// over it. False, with the reason, at the first that cannot be.
bool SeparateLinkedFiles(const std::vector<fs::path>& linked, std::string& failed) {
    for (const fs::path& file : linked) {
        std::error_code error;
        fs::path copy = file;
        for (int n = 0; fs::exists(fs::symlink_status(copy, error)); ++n)
            copy = file.string() + ".vlcopy" + std::to_string(n);
        if (!CopyFileBytes(file, copy, error) || (fs::rename(copy, file, error), error)) {
            fs::remove(copy, error);
            failed = file.string() + ": " + error.message();
            return false;
        }
    }
    return true;
}

// Walks the unpacked tree without following links: every entry is a plain file or folder that
// the listing holds, a file of the listed size; then folders get mode 0700 and files 0600, and
// every name of a hard link becomes a file of its own.
// Lets `events` run every kEntriesBetweenEvents entries, from the first; `stop` ends the walk.
TArchiveCheck CheckUnpackedTree(const std::string& folder, const TListing& listing,
                                TProcessEvents events, const bool& stop) {
    const std::string base = folder.ends_with('/') ? folder : folder + "/";
    std::error_code error;
    int walked = 0;
    std::vector<fs::path> linked;  // the names of hard links, made files of their own at the end
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
        if (!isFolder && it->hard_link_count(error) > 1) linked.push_back(it->path());
    }
    if (error) return Refuse(TArchiveProblem::Outside, error.message());
    // Two names of one file would let a change through one name change the other.
    std::string failed;
    if (!SeparateLinkedFiles(linked, failed)) return Refuse(TArchiveProblem::UnpackFailed, failed);
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

// The set's tables file holds exactly the structure of the reference (SchemaDifference: tables,
// columns and indexes; no trigger, view or other object) and is sound. Only reading statements run on it;
// they let `events` run, and `stop` ends them.
TArchiveCheck CheckTablesFile(const std::string& file, const std::string& reference,
                              TProcessEvents events, const bool& stop) {
    std::error_code error;
    if (!fs::is_regular_file(file, error)) return Refuse(TArchiveProblem::NoTables, "");
    try {
        TSetConnection set(file, true);
        set.Pace(events, stop);
        const TSetConnection own(reference, false);
        if (const std::optional<std::string> differs =
                SchemaDifference(ReadSchema(own.Handle(), own.File()),
                                 ReadSchema(set.Handle(), set.File())))
            return Refuse(TArchiveProblem::OtherStructure, *differs);
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
// reference's structure), drops the fixed objects, and checks the set's values, objects and
// rows, its folders and the room the import needs in the budget (`pending` bytes besides the
// set's); then moves the folders beside the fresh file. Lets `events` run between its steps and
// inside long ones; `stop` ends it.
TArchiveCheck TakeInBranchSet(const fs::path& unpacked, TProcessEvents events, const bool& stop,
                              std::uintmax_t pending) {
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
        TArchiveCheck check = CheckSetValues(db.Handle(), own, unpacked);
        if (check) check = CheckSetTree(db);
        if (check) check = CheckSetRows(db);
        if (check) check = CheckSetFolders(db, unpacked, bytes, events, stop);
        if (!check) return check;
    } catch (const EDatabaseError& e) {
        return stop ? Refuse(TArchiveProblem::Stopped, "")
                    : Refuse(TArchiveProblem::OtherStructure, e.what());
    }
    // Besides the albums and collections, the budget takes the list of imported objects (a copy
    // of the fresh file) and the merged rows with the log that holds them until they are in the
    // tables file (twice the fresh file).
    const std::uintmax_t tables = fs::file_size(own, error);
    if (error) return Refuse(TArchiveProblem::UnpackFailed, own + ": " + error.message());
    const std::string budget = ShellServices().BudgetPath();
    const std::uintmax_t room = fs::space(budget, error).available;
    if (error || bytes + 3 * tables + pending > room)
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
        case TArchiveProblem::NotAFile:
            return {"ArcNotAFile",
                    "The archive is not a file (it is a pipe, a device, a socket or a folder), "
                    "so it was not opened:"};
        case TArchiveProblem::AbsolutePath:
            return {"ArcAbsolutePath", "The archive holds an entry with an absolute path:"};
        case TArchiveProblem::ParentPath:
            return {"ArcParentPath", "The archive holds an entry that leads out of its folder:"};
        case TArchiveProblem::Link:
            return {"ArcLink",
                    "The archive holds a symbolic link, or a hard link to no file it holds before "
                    "it:"};
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
            return {"ArcTooLarge",
                    "No space left on device: the import needs more room than is free in the "
                    "folder:"};
        case TArchiveProblem::BadTree:
            return {"ArcBadTree",
                    "The archive's objects are not one tree of known objects with unique IDs:"};
        case TArchiveProblem::ForeignRows:
            return {"ArcForeignRows",
                    "The archive's tables hold rows of no object of the archive:"};
        case TArchiveProblem::Stopped:
            return {"ArcStopped", "The check was stopped."};
        case TArchiveProblem::BadValue:
            return {"ArcBadValue", "The archive's tables hold a value this program never writes:"};
        case TArchiveProblem::CheckFailed:
            return {"ArcCheckFailed", "The archive could not be checked:"};
        case TArchiveProblem::Outside:
            return {"ArcOutside",
                    "The unpacked archive holds what its listing does not (a link, a special "
                    "file or another entry):"};
    }
    return {"", ""};
}

TArchiveCheck ReadArchiveThrough(const std::string& archive) {
    TArchiveReader reader;
    if (TArchiveCheck opened = reader.Open(archive); !opened) return opened;
    archive_entry* entry = nullptr;
    int entries = 0;
    for (int status; (status = archive_read_next_header(reader.get(), &entry)) != ARCHIVE_EOF;
         ++entries)
        if (status < ARCHIVE_WARN || archive_read_data_skip(reader.get()) < ARCHIVE_WARN)
            return reader.Unreadable();
    if (entries == 0) return Refuse(TArchiveProblem::Unreadable, archive);
    return {};
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

TArchiveCheck UnpackBranchSet(const std::string& archive, TProcessEvents events, const bool& stop,
                              std::uintmax_t pending) {
    TArchiveCheck check;
    try {
        if (ShellServices().ClearTempFolder() != 0)
            return Refuse(TArchiveProblem::UnpackFailed, TempPath());
        // A folder of our own for the archiver, so that nothing in the archive can reach the
        // temp folder itself (the "./" entry of a tar sets the mode of the folder it unpacks
        // into).
        std::string unpacked = TempPath() + "unpacked.XXXXXX";
        if (mkdtemp(unpacked.data()) == nullptr)
            check = Refuse(TArchiveProblem::UnpackFailed, TempPath() + ": " + std::strerror(errno));
        if (check)
            check = UnpackArchive(archive, unpacked + "/", DataPath() + "EmptyBases", events, stop);
        if (check) check = TakeInBranchSet(unpacked, events, stop, pending);
    } catch (const fs::filesystem_error& e) {
        check = e.code() == std::errc::no_space_on_device
                    ? Refuse(TArchiveProblem::TooLarge, e.path1().string())
                    : Refuse(TArchiveProblem::CheckFailed, e.what());
    } catch (const std::exception& e) {
        check = Refuse(TArchiveProblem::CheckFailed, e.what());
    } catch (...) {
        check = Refuse(TArchiveProblem::CheckFailed, "");
    }
    if (!check) ShellServices().ClearTempFolder();
    return check;
}

