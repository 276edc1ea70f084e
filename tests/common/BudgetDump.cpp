// A canonical text of a budget folder: its tables' rows and its files' hashes.
#include "common/BudgetDump.h"

#include <sqlite3.h>

#include <QCryptographicHash>
#include <QFile>
#include <algorithm>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kTablesFile = "tables.sqlite";
const std::set<std::string, std::less<>> kJournalTables = {"jTrans", "jTrInteger", "jTrText",
                                                           "jTrDate"};
constexpr const char* kJournalFolder = "jTrFiles";

class TConnection {
public:
    explicit TConnection(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
            sqlite3_close(db_);
            throw std::runtime_error("Cannot read " + path + ": " + message);
        }
    }
    ~TConnection() { sqlite3_close(db_); }
    TConnection(const TConnection&) = delete;
    TConnection& operator=(const TConnection&) = delete;

    // The rows of a query, each as its columns' texts.
    std::vector<std::vector<std::string>> Rows(const std::string& sql) const {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string(sqlite3_errmsg(db_)) + " in " + sql);
        std::vector<std::vector<std::string>> rows;
        int step = 0;
        while ((step = sqlite3_step(stmt)) == SQLITE_ROW) {
            auto& row = rows.emplace_back();
            for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
                const auto* text = sqlite3_column_text(stmt, i);
                row.emplace_back(text ? reinterpret_cast<const char*>(text) : "NULL");
            }
        }
        sqlite3_finalize(stmt);
        if (step != SQLITE_DONE) throw std::runtime_error(std::string(sqlite3_errmsg(db_)));
        return rows;
    }

private:
    sqlite3* db_ = nullptr;
};

std::string Quoted(std::string_view name) {
    std::string quoted = "\"";
    for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

void DumpTables(const std::string& folder, TDumpScope scope, std::string& out) {
    const TConnection db(folder + "/" + kTablesFile);
    const auto tables = db.Rows(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' "
        "ORDER BY name");
    for (const auto& table : tables) {
        const std::string& name = table[0];
        if (scope == TDumpScope::WithoutJournal && kJournalTables.contains(name)) continue;
        // table_info: cid, name, type, notnull, dflt_value, pk; the counter is the primary key.
        std::vector<std::string> columns;
        for (const auto& column : db.Rows("PRAGMA table_info(" + Quoted(name) + ")"))
            if (column[5] == "0") columns.push_back(Quoted(column[1]));
        out += "table " + name + " (";
        std::string values, order;
        for (const std::string& column : columns) {
            out += (column == columns.front() ? "" : ", ") + column;
            values += (values.empty() ? "" : " || ', ' || ") + ("quote(" + column + ")");
            order += (order.empty() ? "" : ", ") + column;
        }
        out += ")\n";
        if (columns.empty()) continue;
        for (const auto& row :
             db.Rows("SELECT " + values + " FROM " + Quoted(name) + " ORDER BY " + order))
            out += "  " + row[0] + "\n";
    }
}

std::string Sha256(const fs::path& file) {
    QFile in(QString::fromStdString(file.string()));
    if (!in.open(QIODevice::ReadOnly)) return "unreadable";
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&in);
    return hash.result().toHex().toStdString();
}

void ListFiles(const std::string& folder, TDumpScope scope, std::string& out) {
    std::vector<std::string> lines;
    const fs::path root(folder);
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        const std::string path = fs::relative(it->path(), root).generic_string();
        if (it.depth() == 0 && path.starts_with(kTablesFile)) continue;  // with -wal, -shm
        if (scope == TDumpScope::WithoutJournal && it.depth() == 0 && path == kJournalFolder) {
            it.disable_recursion_pending();
            continue;
        }
        if (it->is_directory())
            lines.push_back(path + "/");
        else if (!it->is_regular_file())  // a pipe, a socket: reading it could block
            lines.push_back(path + " special");
        else
            lines.push_back(path + " " + std::to_string(it->file_size()) + " " +
                            Sha256(it->path()));
    }
    std::sort(lines.begin(), lines.end());
    out += "files\n";
    for (const std::string& line : lines) out += "  " + line + "\n";
}

}  // namespace

std::string DumpBudget(const std::string& folder, TDumpScope scope) {
    std::string out;
    DumpTables(folder, scope, out);
    ListFiles(folder, scope, out);
    return out;
}
