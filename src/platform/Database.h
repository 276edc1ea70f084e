// One SQLite connection per tables file, shared by every table of a folder; transactions and
// checkpoints of a folder's tables; the database error.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/FieldValue.h"
#include "platform/TableDef.h"

struct sqlite3;
struct sqlite3_stmt;

// A table or its file could not be opened, read or written. The message names the file.
// Table operations let it pass to their callers, which turn it into their codes where they have
// any.
class EDatabaseError : public std::runtime_error {
public:
    EDatabaseError(const std::string& file, const std::string& message);
    // The tables file concerned.
    const std::string& File() const { return file_; }

private:
    std::string file_;
};

// The tables file, or the table asked for in it, does not exist. A file that exists but cannot
// be opened or read is reported as an EDatabaseError of its own kind, with the reason.
class ETableMissing : public EDatabaseError {
public:
    using EDatabaseError::EDatabaseError;
};

// Sets what every connection to a tables file gets before its first statement, so that the
// file's schema can run nothing: defensive mode (the schema cannot be written as a table),
// functions and virtual tables in the schema limited to harmless ones (trusted schema off),
// triggers and views switched off, and no loading of extensions. Throws EDatabaseError naming
// the connection's file when SQLite refuses a setting.
void ApplyDefensiveSettings(sqlite3* db);

// One entry of a tables file's schema (its sqlite_master): its type ("table", "index", "view"
// or "trigger"), its name, the table it belongs to, the SQL text that made it (empty for the
// indexes SQLite makes itself) and its first page in the file (0 for views, triggers and
// virtual tables, which keep no rows of their own).
struct TSchemaEntry {
    std::string Type;
    std::string Name;
    std::string TableName;
    std::string Sql;
    std::int64_t RootPage = 0;
};

// Every entry of the schema of the connection's main file, read in one query. Throws
// EDatabaseError naming `file` when the schema cannot be read (a damaged file).
std::vector<TSchemaEntry> ReadSchema(sqlite3* db, const std::string& file);

// The first entry in which a tables file's schema differs from the reference's, as its type and
// name ("index x", "table Objects"); nothing when they are the same. Every table is compared with
// the SQL that made it (its columns and their constraints), every index, trigger and view with
// its own; an entry that one has and the other has not is a difference. Left out are the entries
// SQLite makes itself (its sqlite_sequence and sqlite_stat tables, the indexes it makes for a
// table's constraints), and an index of the reference that the program's empty budget gained
// later (kIndexesAddedLater) may be missing: a budget made before lacks it. This is the one rule
// by which a budget's tables file, a recovered backup's and an imported set's are judged.
std::optional<std::string> SchemaDifference(std::vector<TSchemaEntry> reference,
                                            std::vector<TSchemaEntry> schema);

// From now on, every tables file that TDatabase opens and that holds a table of the tables file
// of the folder `reference` (the empty budget, EmptyBases, whose copies are the budgets) must
// have its schema exactly (SchemaDifference), or it is refused before anything is written to it.
// The reference's schema is read at the first such opening; a reference that cannot be read
// judges nothing. An empty folder ends the rule.
void SetSchemaReference(const std::string& reference);

// Begins a transaction on the tables of a folder; Commit makes it durable, leaving the scope
// without Commit (an error, an early return) rolls it back. Scopes nest: an inner scope is a
// savepoint whose rollback undoes only its own writes, and only the outermost Commit makes
// anything visible to other processes. Scopes end in the reverse order of their start.
// Use one around every user action that writes many rows: it is atomic (a crash keeps all or
// none of its rows) and much faster than one transaction per row.
// A table standing on a row that a rollback removed treats it as a row another table deleted.
// Throws EDatabaseError when the folder's tables file cannot be opened.
class TTransactionScope {
public:
    explicit TTransactionScope(const std::string& folder);
    ~TTransactionScope();
    TTransactionScope(const TTransactionScope&) = delete;
    TTransactionScope& operator=(const TTransactionScope&) = delete;

    void Commit();

private:
    std::shared_ptr<class TDatabase> db_;
    int level_;
    bool done_ = false;
};

// Reads of a folder's tables that belong together: every read made while the scope lives sees
// one snapshot of the file, and the file is locked once for the scope instead of once per
// statement. Use one around work that only reads many rows (an algorithm's data fetch, the
// balances of a folder). Inside a TTransactionScope it adds nothing. Its end writes nothing and
// never throws; writing while only a read scope is open is a fault of the caller (the write
// then turns the scope into a write transaction that its end commits). Throws EDatabaseError
// when the folder's tables file cannot be opened.
//
//     TReadScope snapshot(ShellServices().BudgetPath());
//     FillExtDataValues(data, date, name);   // every source read from the same state
class TReadScope {
public:
    explicit TReadScope(const std::string& folder);
    ~TReadScope();
    TReadScope(const TReadScope&) = delete;
    TReadScope& operator=(const TReadScope&) = delete;

private:
    std::shared_ptr<class TDatabase> db_;
    bool began_;
};

// Writes every committed change of the folder's tables into its tables file, so that the folder
// can be copied or its files replaced. Call it before copying a folder that holds tables.
// Nothing to do for a folder whose tables are not open and hold nothing unwritten. Throws
// EDatabaseError while a transaction of the folder is open.
void CheckpointTables(const std::string& folder);

// Rewrites the folder's tables file without the room its deleted rows took (SQLite's VACUUM),
// atomically, and leaves its log empty. The tables open on the folder stay open; a cursor reads
// its rows again when it next moves. Throws EDatabaseError while a transaction of the folder is
// open or when the file cannot be rewritten (it then stays as it was).
void CompactTables(const std::string& folder);

// Receives, before a write, a rollback or a checkpoint on the same connection, the request to
// give up a statement that is being read row by row and to secure what it still needs of the
// file. `changed` is the table that a write is about to change, or null when the rows of any
// table may change. The table layer's cursors implement it.
struct TTableInfo;
class TLiveReader {
public:
    virtual void Park(const TTableInfo* changed) = 0;

protected:
    ~TLiveReader() = default;
};

class TDatabase;

// A prepared statement borrowed from its connection's cache; given back when destroyed.
class TStatement {
public:
    TStatement(TDatabase& db, sqlite3_stmt* stmt) : db_(&db), stmt_(stmt) {}
    TStatement(TStatement&& other) noexcept;
    TStatement& operator=(TStatement&& other) noexcept;
    ~TStatement();

    // Binds the values to the parameters from the first one on, starting at position `first`
    // (1-based). Returns the position after the last one bound.
    int Bind(int first, const std::vector<TFieldValue>& values);
    void Bind(int position, const TFieldValue& value);
    // True when a row is ready, false when there is none left; throws EDatabaseError.
    bool Step();
    void Reset();
    TFieldValue Column(int column, TFieldKind kind) const;
    std::int64_t ColumnInteger(int column) const;

private:
    TDatabase* db_;
    sqlite3_stmt* stmt_;
};

// A table's structure as the connection read it, and a counter of the writes made to it through
// this connection (a cursor whose rows were read before the last write reads them again).
struct TTableInfo {
    TTableDef Def;
    std::uint64_t Version = 0;
};

// The connection to one folder's tables file. Every TTable and TTransactionScope on the folder
// shares it; it closes when the last of them lets it go. The file is opened in WAL mode with
// synchronous=NORMAL. Only the table layer uses this class directly.
class TDatabase {
public:
    // The connection to the folder's tables file, opened when none is open. Throws
    // EDatabaseError when the path is missing or a folder, or the file is truncated, damaged,
    // not an SQLite file, holds a trigger, a view or a virtual table (anything of the file that
    // could run code or stand in for a table), or holds no tables or a table whose structure is
    // not ours; such a file keeps its bytes, its log included. Tables and indexes that no table
    // object asks for are kept and left alone (while a file in rollback-journal mode must have
    // our structure in every table). A file of ours in rollback-journal mode is switched to WAL.
    static std::shared_ptr<TDatabase> Get(const std::string& folder);
    // The open connection to the folder's tables file, or none.
    static std::shared_ptr<TDatabase> Find(const std::string& folder);

    ~TDatabase();
    TDatabase(const TDatabase&) = delete;
    TDatabase& operator=(const TDatabase&) = delete;

    const std::string& File() const { return file_; }
    // Tells connections apart, also one opened after another one on the same file was closed.
    std::uint64_t Serial() const { return serial_; }

    // The structure of a table whose name matches without regard to case; throws
    // EDatabaseError when the file has no such table.
    TTableInfo& Table(std::string_view name);

    TStatement Prepare(const std::string& sql);
    void Execute(const char* sql);
    [[noreturn]] void Fail(const std::string& message) const;
    // Fails with the connection's own error text after `what`.
    [[noreturn]] void FailWithSqlite(const std::string& what) const;
    std::int64_t LastInsertId() const;
    int Changes() const;

    // Before a write to a table: parks every reader and counts the write.
    void BeginWrite(TTableInfo& table);

    void AddReader(TLiveReader* reader);
    void RemoveReader(TLiveReader* reader);

    // Transactions, nested as savepoints; used by TTransactionScope. Begin returns the new level.
    int BeginTransaction();
    void CommitTransaction(int level);
    void RollbackTransaction(int level);
    bool InTransaction() const { return depth_ > 0; }
    // A read transaction for TReadScope: begun (deferred) only when no transaction is open;
    // true when this call began it, and EndRead ends it without throwing.
    bool BeginRead();
    void EndRead();

    // Copies the write-ahead log into the file: passive (for FlushBuffers) or to its end,
    // leaving the log empty (before the folder is copied).
    void Checkpoint(bool complete);
    // VACUUM, then a complete checkpoint (CompactTables).
    void Compact();

private:
    friend class TStatement;
    TDatabase(std::string folderKey, std::string file, sqlite3* db);
    // True when the file is in WAL mode (asked without writing).
    bool InWalMode();
    // Refuses a schema with a trigger, a view or a virtual table.
    void CheckSchema(const std::vector<TSchemaEntry>& schema) const;
    // Refuses a schema of a budget's tables that is not the reference's (SetSchemaReference).
    void CheckAgainstReference(const std::vector<TSchemaEntry>& schema) const;
    // Checks the structure of every table of the schema.
    void ReadTables(const std::vector<TSchemaEntry>& schema);
    void Release(sqlite3_stmt* stmt);
    void ParkReaders(const TTableInfo* changed);
    void CountWriteToEveryTable();

    std::string folderKey_;
    std::string file_;
    std::uint64_t serial_;
    sqlite3* db_;
    std::unordered_map<std::string, std::vector<sqlite3_stmt*>> idle_;
    std::map<std::string, std::unique_ptr<TTableInfo>> tables_;
    std::vector<TLiveReader*> readers_;
    int depth_ = 0;
};
