// The structure of a table and how it is kept in a folder's tables file.
#include "platform/TableDef.h"

#include <sqlite3.h>

#include <filesystem>
#include <memory>

#include "platform/Database.h"

// The file format, written here and read back here only:
// - one SQL table per table, named by the table's name;
// - the record counter first, as "INTEGER PRIMARY KEY AUTOINCREMENT" (a counter is never given
//   twice, also after the last row was deleted);
// - every other column NOT NULL with the unset value of its kind as default, declared "INTEGER",
//   "TEXT", "DATE REAL" or "TIME REAL" (the first word names the kind, REAL gives the affinity);
// - each named index as an SQL index called "<table>.<index>" (SQL index names are unique in a
//   file, while every table has its own "Index01").

namespace {

const char* DeclaredType(TFieldKind kind) {
    switch (kind) {
        case TFieldKind::Integer:
            return "INTEGER";
        case TFieldKind::Text:
            return "TEXT";
        case TFieldKind::Date:
            return "DATE REAL";
        case TFieldKind::Time:
            return "TIME REAL";
    }
    return "";
}

std::optional<TFieldKind> KindOfDeclaredType(std::string_view type) {
    for (const TFieldKind kind :
         {TFieldKind::Integer, TFieldKind::Text, TFieldKind::Date, TFieldKind::Time}) {
        if (type == DeclaredType(kind)) return kind;
    }
    return std::nullopt;
}

const char* DefaultOf(TFieldKind kind) {
    return kind == TFieldKind::Text ? "''" : "0";
}

std::string CreateTableSql(const TTableDef& table) {
    std::string sql = "CREATE TABLE " + QuotedName(table.Name) + " (";
    for (std::size_t i = 0; i < table.Columns.size(); ++i) {
        const TColumnDef& column = table.Columns[i];
        if (i > 0) sql += ", ";
        sql += QuotedName(column.Name) + " ";
        if (i == 0) {
            sql += "INTEGER PRIMARY KEY AUTOINCREMENT";
        } else {
            sql += std::string(DeclaredType(column.Kind)) + " NOT NULL DEFAULT " +
                   DefaultOf(column.Kind);
        }
    }
    sql += ");";
    for (const TIndexDef& index : table.Indexes) {
        sql += "CREATE INDEX " + QuotedName(table.Name + "." + index.Name) + " ON " +
               QuotedName(table.Name) + " (";
        for (std::size_t i = 0; i < index.Columns.size(); ++i)
            sql += (i > 0 ? ", " : "") + QuotedName(index.Columns[i]);
        sql += ");";
    }
    return sql;
}

// A statement of a connection that is not (yet) a TDatabase.
struct TRawStatement {
    sqlite3_stmt* stmt = nullptr;
    ~TRawStatement() { sqlite3_finalize(stmt); }
};

std::string ColumnText(sqlite3_stmt* stmt, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return text != nullptr ? std::string(text) : std::string();
}

// Runs a query of one text parameter and gives each row's first column.
std::vector<std::string> QueryNames(sqlite3* db, const std::string& file, const char* sql,
                                    const std::string& parameter) {
    TRawStatement query;
    if (sqlite3_prepare_v2(db, sql, -1, &query.stmt, nullptr) != SQLITE_OK)
        throw EDatabaseError(file, std::string("Cannot read the tables: ") + sqlite3_errmsg(db));
    sqlite3_bind_text(query.stmt, 1, parameter.c_str(), -1, SQLITE_TRANSIENT);
    std::vector<std::string> names;
    int rc;
    while ((rc = sqlite3_step(query.stmt)) == SQLITE_ROW)
        names.push_back(ColumnText(query.stmt, 0));
    if (rc != SQLITE_DONE)
        throw EDatabaseError(file, std::string("Cannot read the tables: ") + sqlite3_errmsg(db));
    return names;
}

}  // namespace

std::string NameKey(std::string_view name) {
    std::string key(name);
    for (char& c : key)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return key;
}

std::string QuotedName(std::string_view name) {
    std::string quoted = "\"";
    for (const char c : name) {
        quoted += c;
        if (c == '"') quoted += '"';
    }
    return quoted + "\"";
}

std::string TableStem(std::string_view fileName) {
    const std::size_t dot = fileName.rfind('.');
    return std::string(dot == std::string_view::npos ? fileName : fileName.substr(0, dot));
}

void CreateTablesFile(const std::string& folder, const std::vector<TTableDef>& tables) {
    const std::string file = (std::filesystem::path(folder) / kTablesFileName).string();
    std::error_code error;
    if (std::filesystem::exists(file, error) || error)
        throw EDatabaseError(file, "The tables file exists already and is left as it is");
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    const std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, &sqlite3_close);
    if (rc != SQLITE_OK)
        throw EDatabaseError(file, std::string("Cannot create the tables file: ") +
                                       (raw != nullptr ? sqlite3_errmsg(raw) : "out of memory"));
    ApplyDefensiveSettings(db.get());
    std::string sql = "PRAGMA journal_mode=WAL;BEGIN;";
    for (const TTableDef& table : tables) sql += CreateTableSql(table);
    sql += "COMMIT;";
    char* message = nullptr;
    if (sqlite3_exec(db.get(), sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message != nullptr ? message : "unknown error";
        sqlite3_free(message);
        throw EDatabaseError(file, "Cannot create the tables: " + text);
    }
}

std::optional<TTableDef> ReadTableDef(sqlite3* db, const std::string& file, std::string_view name) {
    const std::vector<std::string> found =
        QueryNames(db, file,
                   "SELECT name FROM sqlite_master WHERE type='table' AND name=?1 COLLATE NOCASE "
                   "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'",
                   std::string(name));
    if (found.empty()) return std::nullopt;

    TTableDef table{found.front(), {}, {}};
    TRawStatement columns;
    if (sqlite3_prepare_v2(db, "SELECT name, type, pk FROM pragma_table_info(?1) ORDER BY cid", -1,
                           &columns.stmt, nullptr) != SQLITE_OK)
        throw EDatabaseError(file, std::string("Cannot read the tables: ") + sqlite3_errmsg(db));
    sqlite3_bind_text(columns.stmt, 1, table.Name.c_str(), -1, SQLITE_TRANSIENT);
    int rc;
    while ((rc = sqlite3_step(columns.stmt)) == SQLITE_ROW) {
        const std::string column = ColumnText(columns.stmt, 0);
        const std::string type = ColumnText(columns.stmt, 1);
        const bool first = table.Columns.empty();
        const bool counter = sqlite3_column_int(columns.stmt, 2) == 1 && type == "INTEGER";
        const std::optional<TFieldKind> kind = KindOfDeclaredType(type);
        if (first != counter || !kind)
            throw EDatabaseError(file, "Table '" + table.Name +
                                           "' has an unknown structure (column '" + column + "')");
        table.Columns.push_back({column, *kind});
    }
    if (rc != SQLITE_DONE)
        throw EDatabaseError(file, std::string("Cannot read the tables: ") + sqlite3_errmsg(db));

    for (const std::string& sqlIndex :
         QueryNames(db, file, "SELECT name FROM pragma_index_list(?1)", table.Name)) {
        const std::size_t dot = sqlIndex.find('.');
        if (dot == std::string::npos || NameKey(sqlIndex.substr(0, dot)) != NameKey(table.Name))
            continue;
        table.Indexes.push_back(
            {sqlIndex.substr(dot + 1),
             QueryNames(db, file, "SELECT name FROM pragma_index_info(?1) ORDER BY seqno",
                        sqlIndex)});
    }
    return table;
}
