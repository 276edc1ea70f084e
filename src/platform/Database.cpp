// One SQLite connection per tables file, shared by every table of a folder; transactions and
// checkpoints of a folder's tables; the database error.
#include "platform/Database.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <tuple>
#include <utility>

namespace fs = std::filesystem;

namespace {

// How long a write waits for another process (a helper program) that holds the file.
constexpr int kBusyTimeoutMs = 5000;

// The open connections by canonical folder.
std::map<std::string, std::weak_ptr<TDatabase>>& Registry() {
    static std::map<std::string, std::weak_ptr<TDatabase>> registry;
    return registry;
}

// One key for every spelling of a folder: absolute, with "." and ".." and links resolved.
// Kept per spelling: tables are opened often and resolving asks the system at every level.
std::string FolderKey(const std::string& folder) {
    static std::unordered_map<std::string, std::string> keys;
    const auto known = keys.find(folder);
    if (known != keys.end()) return known->second;
    std::error_code error;
    fs::path path = fs::weakly_canonical(fs::absolute(folder, error), error);
    if (error) path = fs::absolute(folder, error).lexically_normal();
    std::string key = path.string();
    while (key.size() > 1 && key.back() == '/') key.pop_back();
    keys.emplace(folder, key);
    return key;
}

std::uint32_t BigEndian(const unsigned char* bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

// Refuses, before SQLite touches it, a file that is missing, not an SQLite file or shorter
// than its header says: opening such a file must neither crash nor write to it.
void CheckTablesFile(const std::string& file) {
    std::error_code error;
    const fs::file_type type = fs::status(file, error).type();
    if (type == fs::file_type::directory)
        throw EDatabaseError(file, "The path is a folder, not a tables file");
    if (type == fs::file_type::not_found) throw ETableMissing(file, "The tables file is missing");
    if (type != fs::file_type::regular)
        throw EDatabaseError(file, "The tables file cannot be read");
    const std::uintmax_t size = fs::file_size(file, error);
    std::array<unsigned char, 100> header{};
    std::ifstream in(file, std::ios::binary);
    if (error || !in) throw EDatabaseError(file, "The tables file cannot be read");
    if (size < header.size()) throw EDatabaseError(file, "The tables file is empty or truncated");
    in.read(reinterpret_cast<char*>(header.data()), header.size());
    static constexpr char kMagic[] = "SQLite format 3";
    if (!in || !std::equal(kMagic, kMagic + sizeof kMagic, header.begin()))
        throw EDatabaseError(file, "The tables file is not an SQLite database");
    const std::uint32_t pageField = (std::uint32_t{header[16]} << 8) | header[17];
    const std::uint32_t pageSize = pageField == 1 ? 65536 : pageField;
    if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0)
        throw EDatabaseError(file, "The tables file is damaged");
    // A log left by a process that ended in the middle of writing the log into the file holds
    // what the file still lacks: SQLite completes the file from it.
    const fs::path log = file + "-wal";
    if (fs::exists(log, error) && fs::file_size(log, error) > 0) return;
    // The page count in the header is valid when its version number matches the change counter.
    const bool countValid = BigEndian(&header[24]) == BigEndian(&header[92]);
    if (size % pageSize != 0 ||
        (countValid && std::uintmax_t{BigEndian(&header[28])} * pageSize > size))
        throw EDatabaseError(file, "The tables file is truncated");
}

}  // namespace

EDatabaseError::EDatabaseError(const std::string& file, const std::string& message)
    : std::runtime_error(message + ": " + file), file_(file) {}

void ApplyDefensiveSettings(sqlite3* db) {
    static constexpr std::array<std::pair<int, int>, 5> kSettings{{
        {SQLITE_DBCONFIG_DEFENSIVE, 1},
        {SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0},
        {SQLITE_DBCONFIG_ENABLE_TRIGGER, 0},
        {SQLITE_DBCONFIG_ENABLE_VIEW, 0},
        {SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0},
    }};
    for (const auto& [option, value] : kSettings) {
        int now = -1;
        if (sqlite3_db_config(db, option, value, &now) != SQLITE_OK || now != value) {
            const char* file = sqlite3_db_filename(db, "main");
            throw EDatabaseError(
                file != nullptr ? file : "",
                "Cannot open the tables file safely (" + std::string(sqlite3_errmsg(db)) + ")");
        }
    }
}

std::vector<TSchemaEntry> ReadSchema(sqlite3* db, const std::string& file) {
    sqlite3_stmt* raw = nullptr;
    const auto fail = [&] {
        throw EDatabaseError(file, std::string("Cannot read the tables: ") + sqlite3_errmsg(db));
    };
    if (sqlite3_prepare_v2(db, "SELECT type, name, tbl_name, sql, rootpage FROM main.sqlite_master",
                           -1, &raw, nullptr) != SQLITE_OK)
        fail();
    const std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> query(raw, &sqlite3_finalize);
    const auto text = [&](int column) {
        const auto* chars = reinterpret_cast<const char*>(sqlite3_column_text(raw, column));
        return chars != nullptr ? std::string(chars) : std::string();
    };
    std::vector<TSchemaEntry> entries;
    int rc;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW)
        entries.push_back({text(0), text(1), text(2), text(3), sqlite3_column_int64(raw, 4)});
    if (rc != SQLITE_DONE) fail();
    return entries;
}

namespace {

// An entry that SQLite makes itself: its sqlite_sequence and sqlite_stat tables, and the indexes
// it makes for a table's constraints (they have no SQL). SQLite refuses such names to anything
// else; an index of such a name with SQL of its own is compared all the same.
bool MadeBySqlite(const TSchemaEntry& entry) {
    return NameKey(entry.Name).starts_with("sqlite_") && (entry.Type == "table" || entry.Sql.empty());
}

bool AddedLater(const TSchemaEntry& entry) {
    return entry.Type == "index" &&
           std::ranges::find(kIndexesAddedLater, entry.Name) != std::end(kIndexesAddedLater);
}

// The entries that are compared, in the order of type and name.
std::vector<TSchemaEntry> Compared(std::vector<TSchemaEntry> entries) {
    std::erase_if(entries, MadeBySqlite);
    std::ranges::sort(entries, {},
                      [](const TSchemaEntry& entry) { return std::tie(entry.Type, entry.Name); });
    return entries;
}

// The reference of SetSchemaReference: its folder, and its schema once read.
struct TSchemaReference {
    std::mutex Lock;
    std::string Folder;
    std::optional<std::vector<TSchemaEntry>> Schema;  // empty until read; none when unreadable
    bool Read = false;
};

TSchemaReference& SchemaReference() {
    static TSchemaReference reference;
    return reference;
}

// The URI that opens a file read-only as one that nothing changes meanwhile: SQLite then
// writes nothing beside it (no log, no shared-memory file). Only "%", "?" and "#" mean more
// than themselves in a URI's path.
std::string ImmutableUri(const std::string& file) {
    std::string uri = "file:";
    for (const char c : file) {
        if (c == '%' || c == '?' || c == '#') {
            static constexpr char kHex[] = "0123456789ABCDEF";
            uri += '%';
            uri += kHex[static_cast<unsigned char>(c) >> 4];
            uri += kHex[static_cast<unsigned char>(c) & 0xF];
        } else {
            uri += c;
        }
    }
    return uri + "?mode=ro&immutable=1";
}

// The reference's schema, read once without writing to it; nothing when there is no reference
// or it cannot be read.
std::optional<std::vector<TSchemaEntry>> ReferenceSchema() {
    TSchemaReference& reference = SchemaReference();
    const std::lock_guard lock(reference.Lock);
    if (reference.Folder.empty() || reference.Read) return reference.Schema;
    reference.Read = true;
    const std::string file = (fs::path(reference.Folder) / kTablesFileName).string();
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(ImmutableUri(file).c_str(), &raw,
                                   SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    const std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, &sqlite3_close);
    try {
        CheckTablesFile(file);
        if (rc == SQLITE_OK) {
            ApplyDefensiveSettings(raw);
            reference.Schema = ReadSchema(raw, file);
        }
    } catch (const EDatabaseError&) {
    }
    return reference.Schema;
}

}  // namespace

std::optional<std::string> SchemaDifference(std::vector<TSchemaEntry> reference,
                                            std::vector<TSchemaEntry> schema) {
    reference = Compared(std::move(reference));
    schema = Compared(std::move(schema));
    const auto key = [](const TSchemaEntry& entry) { return std::tie(entry.Type, entry.Name); };
    auto own = reference.begin();
    auto other = schema.begin();
    while (own != reference.end() || other != schema.end()) {
        if (other == schema.end() || (own != reference.end() && key(*own) < key(*other))) {
            if (!AddedLater(*own)) return own->Type + " " + own->Name;  // missing
            ++own;
        } else if (own == reference.end() || key(*other) < key(*own)) {
            return other->Type + " " + other->Name;  // of its own
        } else {
            if (own->TableName != other->TableName || own->Sql != other->Sql)
                return other->Type + " " + other->Name;
            ++own;
            ++other;
        }
    }
    return std::nullopt;
}

void SetSchemaReference(const std::string& reference) {
    TSchemaReference& current = SchemaReference();
    const std::lock_guard lock(current.Lock);
    if (current.Folder == reference) return;
    current.Folder = reference;
    current.Schema.reset();
    current.Read = false;
}

// ---- TStatement

TStatement::TStatement(TStatement&& other) noexcept : db_(other.db_), stmt_(other.stmt_) {
    other.stmt_ = nullptr;
}

TStatement& TStatement::operator=(TStatement&& other) noexcept {
    if (this != &other) {
        if (stmt_ != nullptr) db_->Release(stmt_);
        db_ = other.db_;
        stmt_ = other.stmt_;
        other.stmt_ = nullptr;
    }
    return *this;
}

TStatement::~TStatement() {
    if (stmt_ != nullptr) db_->Release(stmt_);
}

void TStatement::Bind(int position, const TFieldValue& value) {
    int rc;
    if (value.IsInteger())
        rc = sqlite3_bind_int64(stmt_, position, value.Integer());
    else if (value.IsReal())
        rc = sqlite3_bind_double(stmt_, position, value.Real());
    else
        rc = sqlite3_bind_text(stmt_, position, value.Text().data(),
                               static_cast<int>(value.Text().size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK) db_->FailWithSqlite("Cannot bind a value");
}

int TStatement::Bind(int first, const std::vector<TFieldValue>& values) {
    for (const TFieldValue& value : values) Bind(first++, value);
    return first;
}

bool TStatement::Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    sqlite3_reset(stmt_);
    db_->FailWithSqlite("Cannot read or write the tables");
}

void TStatement::Reset() {
    sqlite3_reset(stmt_);
}

std::int64_t TStatement::ColumnInteger(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

TFieldValue TStatement::Column(int column, TFieldKind kind) const {
    switch (kind) {
        case TFieldKind::Integer:
            return TFieldValue(sqlite3_column_int64(stmt_, column));
        case TFieldKind::Text: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
            return TFieldValue(
                std::string_view(text != nullptr ? text : "",
                                 static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column))));
        }
        case TFieldKind::Date:
        case TFieldKind::Time:
            return TFieldValue(sqlite3_column_double(stmt_, column));
    }
    return TFieldValue();
}

// ---- TDatabase

TDatabase::TDatabase(std::string folderKey, std::string file, sqlite3* db)
    : folderKey_(std::move(folderKey)), file_(std::move(file)), db_(db) {
    static std::uint64_t serials = 0;
    serial_ = ++serials;
}

std::shared_ptr<TDatabase> TDatabase::Find(const std::string& folder) {
    const auto found = Registry().find(FolderKey(folder));
    return found == Registry().end() ? nullptr : found->second.lock();
}

std::shared_ptr<TDatabase> TDatabase::Get(const std::string& folder) {
    const std::string key = FolderKey(folder);
    if (auto open = Find(key)) return open;
    const std::string file = (fs::path(key) / kTablesFileName).string();
    CheckTablesFile(file);
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    // From here the object owns the handle and closes it if the checks below fail.
    std::shared_ptr<TDatabase> db(new TDatabase(key, file, raw));
    if (rc != SQLITE_OK) db->FailWithSqlite("Cannot open the tables file");
    ApplyDefensiveSettings(raw);
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_timeout(raw, kBusyTimeoutMs);
    // Only reads until the file is known to hold our tables: a foreign or damaged file keeps
    // its bytes. The schema is read once, and a file that could run code is refused whatever
    // its mode: a budget folder may come from another computer or an archive. Switching to WAL
    // writes the header of a file in rollback-journal mode, so a file in that mode has every
    // table checked first. A file in WAL mode was switched by us after such a check (or made
    // so): its tables are checked as they are opened, which keeps opening a budget as cheap as
    // the tables it uses.
    try {
        const std::vector<TSchemaEntry> schema = ReadSchema(raw, file);
        db->CheckSchema(schema);
        db->CheckAgainstReference(schema);
        if (!db->InWalMode()) {
            db->ReadTables(schema);
            db->Execute("PRAGMA journal_mode=WAL");
        }
    } catch (const EDatabaseError&) {
        // Closing would otherwise copy the refused file's log into it.
        sqlite3_db_config(raw, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        throw;
    }
    db->Execute("PRAGMA synchronous=NORMAL");
    Registry()[key] = db;
    return db;
}

bool TDatabase::InWalMode() {
    TStatement query = Prepare("PRAGMA journal_mode");
    return query.Step() && NameKey(query.Column(0, TFieldKind::Text).Text()) == "wal";
}

void TDatabase::CheckSchema(const std::vector<TSchemaEntry>& schema) const {
    // SQLite runs a trigger at the writes of its table and a view's query where its name is
    // read; a virtual table runs the code of its module. Our files hold tables and their
    // indexes only.
    for (const TSchemaEntry& entry : schema) {
        if (entry.Type == "trigger")
            Fail("The tables file holds a trigger ('" + entry.Name + "' on '" + entry.TableName +
                 "')");
        if (entry.Type == "view") Fail("The tables file holds a view ('" + entry.Name + "')");
        if (entry.Type == "table" && entry.RootPage == 0)
            Fail("The tables file holds a virtual table ('" + entry.Name + "')");
    }
}

void TDatabase::CheckAgainstReference(const std::vector<TSchemaEntry>& schema) const {
    const std::optional<std::vector<TSchemaEntry>> reference = ReferenceSchema();
    if (!reference) return;
    // Only a file of a budget's tables: one that shares a table with the reference.
    const auto isTable = [](const TSchemaEntry& entry) {
        return entry.Type == "table" && !MadeBySqlite(entry);
    };
    const bool budget = std::ranges::any_of(schema, [&](const TSchemaEntry& entry) {
        return isTable(entry) && std::ranges::any_of(*reference, [&](const TSchemaEntry& own) {
                   return isTable(own) && NameKey(own.Name) == NameKey(entry.Name);
               });
    });
    if (!budget) return;
    if (const std::optional<std::string> differs = SchemaDifference(*reference, schema))
        Fail("The tables file's structure is not the empty budget's (" + *differs + ")");
}

void TDatabase::ReadTables(const std::vector<TSchemaEntry>& schema) {
    // Every table of the file must have the structure that CreateTablesFile writes.
    bool any = false;
    for (const TSchemaEntry& entry : schema) {
        if (entry.Type != "table" || NameKey(entry.Name).starts_with("sqlite_")) continue;
        Table(entry.Name);
        any = true;
    }
    if (!any) Fail("The tables file holds no tables");
}

TDatabase::~TDatabase() {
    for (auto& [sql, statements] : idle_)
        for (sqlite3_stmt* stmt : statements) sqlite3_finalize(stmt);
    sqlite3_close_v2(db_);
    const auto entry = Registry().find(folderKey_);
    if (entry != Registry().end() && entry->second.expired()) Registry().erase(entry);
}

void TDatabase::Fail(const std::string& message) const {
    throw EDatabaseError(file_, message);
}

void TDatabase::FailWithSqlite(const std::string& what) const {
    Fail(what + " (" + (db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory") + ")");
}

void TDatabase::Execute(const char* sql) {
    // Runs every statement of the text, reading and dropping the rows of a query.
    sqlite3_stmt* stmt = nullptr;
    const char* rest = sql;
    while (rest != nullptr && *rest != '\0') {
        if (sqlite3_prepare_v2(db_, rest, -1, &stmt, &rest) != SQLITE_OK)
            FailWithSqlite("Cannot use the tables file");
        if (stmt == nullptr) continue;
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        }
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE) FailWithSqlite("Cannot use the tables file");
    }
}

TTableInfo& TDatabase::Table(std::string_view name) {
    const std::string key = NameKey(name);
    const auto found = tables_.find(key);
    if (found != tables_.end()) return *found->second;
    std::optional<TTableDef> def = ReadTableDef(db_, file_, name);
    if (!def) throw ETableMissing(file_, "The table '" + std::string(name) + "' does not exist");
    auto& info = tables_[key];
    info = std::make_unique<TTableInfo>();
    info->Def = std::move(*def);
    return *info;
}

TStatement TDatabase::Prepare(const std::string& sql) {
    const auto found = idle_.find(sql);
    if (found != idle_.end() && !found->second.empty()) {
        sqlite3_stmt* stmt = found->second.back();
        found->second.pop_back();
        return TStatement(*this, stmt);
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v3(db_, sql.c_str(), static_cast<int>(sql.size()),
                           SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK)
        FailWithSqlite("Cannot use the tables file");
    return TStatement(*this, stmt);
}

void TDatabase::Release(sqlite3_stmt* stmt) {
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    idle_[sqlite3_sql(stmt)].push_back(stmt);
}

std::int64_t TDatabase::LastInsertId() const {
    return sqlite3_last_insert_rowid(db_);
}

int TDatabase::Changes() const {
    return sqlite3_changes(db_);
}

void TDatabase::AddReader(TLiveReader* reader) {
    readers_.push_back(reader);
}

void TDatabase::RemoveReader(TLiveReader* reader) {
    std::erase(readers_, reader);
}

void TDatabase::ParkReaders(const TTableInfo* changed) {
    // A reader that is still stepping keeps its read going: a write would then not be committed
    // until it ends, and what the reader sees of the write is undefined.
    std::vector<TLiveReader*> readers;
    readers.swap(readers_);
    for (TLiveReader* reader : readers) reader->Park(changed);
}

void TDatabase::BeginWrite(TTableInfo& table) {
    ParkReaders(&table);
    ++table.Version;
}

void TDatabase::CountWriteToEveryTable() {
    for (auto& [name, info] : tables_) ++info->Version;
}

int TDatabase::BeginTransaction() {
    if (depth_ == 0) {
        ParkReaders(nullptr);
        Execute("BEGIN IMMEDIATE");
    } else {
        Execute(("SAVEPOINT level" + std::to_string(depth_ + 1)).c_str());
    }
    return ++depth_;
}

void TDatabase::CommitTransaction(int level) {
    if (level != depth_) Fail("Transaction scopes ended out of order");
    if (sqlite3_get_autocommit(db_) != 0) {
        // SQLite rolled the transaction back itself after an error (a full disk, say).
        depth_ = 0;
        CountWriteToEveryTable();
        Fail("The transaction was rolled back after an error");
    }
    if (depth_ == 1)
        Execute("COMMIT");
    else
        Execute(("RELEASE level" + std::to_string(depth_)).c_str());
    --depth_;
}

void TDatabase::RollbackTransaction(int level) {
    if (level != depth_) return;
    ParkReaders(nullptr);
    const std::string sql = depth_ == 1 ? std::string("ROLLBACK")
                                        : "ROLLBACK TO level" + std::to_string(depth_) +
                                              ";RELEASE level" + std::to_string(depth_);
    // Nothing to report from here: the caller is leaving because of an error of its own.
    if (sqlite3_get_autocommit(db_) == 0) sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
    --depth_;
    CountWriteToEveryTable();
}

void TDatabase::Checkpoint(bool complete) {
    if (depth_ > 0) {
        if (complete) Fail("The tables cannot be written out while a transaction is open");
        return;
    }
    ParkReaders(nullptr);
    if (sqlite3_wal_checkpoint_v2(db_, nullptr,
                                  complete ? SQLITE_CHECKPOINT_TRUNCATE : SQLITE_CHECKPOINT_PASSIVE,
                                  nullptr, nullptr) != SQLITE_OK)
        FailWithSqlite("Cannot write the tables out");
}

void TDatabase::Compact() {
    if (depth_ > 0) Fail("The tables cannot be compacted while a transaction is open");
    ParkReaders(nullptr);
    Execute("VACUUM");
    CountWriteToEveryTable();
    Checkpoint(true);
}

// ---- TTransactionScope

TTransactionScope::TTransactionScope(const std::string& folder)
    : db_(TDatabase::Get(folder)), level_(db_->BeginTransaction()) {}

TTransactionScope::~TTransactionScope() {
    if (!done_) db_->RollbackTransaction(level_);
}

void TTransactionScope::Commit() {
    if (done_) db_->Fail("A transaction scope was committed twice");
    db_->CommitTransaction(level_);
    done_ = true;
}

// ---- TReadScope

bool TDatabase::BeginRead() {
    if (depth_ > 0) return false;
    Execute("BEGIN DEFERRED");
    depth_ = 1;
    return true;
}

void TDatabase::EndRead() {
    if (depth_ != 1) return;
    depth_ = 0;
    // Nothing was written, so nothing can fail that the reader should hear of; a failed end
    // leaves SQLite to end the transaction itself.
    if (sqlite3_get_autocommit(db_) == 0 &&
        sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

TReadScope::TReadScope(const std::string& folder)
    : db_(TDatabase::Get(folder)), began_(db_->BeginRead()) {}

TReadScope::~TReadScope() {
    if (began_) db_->EndRead();
}

// ---- CheckpointTables

void CompactTables(const std::string& folder) {
    TDatabase::Get(folder)->Compact();
}

void CheckpointTables(const std::string& folder) {
    std::shared_ptr<TDatabase> db = TDatabase::Find(folder);
    if (!db) {
        // A log left behind by a process that ended without closing its tables.
        std::error_code error;
        const fs::path log = fs::path(FolderKey(folder)) / (std::string(kTablesFileName) + "-wal");
        if (!fs::exists(log, error) || fs::file_size(log, error) == 0) return;
        db = TDatabase::Get(folder);
    }
    db->Checkpoint(true);
}
