// A budget folder for the store's benchmarks, and the direct SQLite access they compare with:
// prepared statements, and a table's rows read and written anew in one transaction.
#pragma once

#include <sqlite3.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/Database.h"
#include "platform/Table.h"
#include "schema/SchemaNames.h"

// A budget folder copied from the generated EmptyBases with `tables` table objects (IDs from 11,
// under the root), removed at the end.
class Budget {
public:
    explicit Budget(int tables = 0) {
        namespace fs = std::filesystem;
        std::string pattern = (fs::temp_directory_path() / "vemly-store-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temp folder");
        folder_ = pattern;
        fs::copy(VEMLY_GENERATED_DIR "/EmptyBases", folder_, fs::copy_options::recursive);
        TTransactionScope scope(folder_);
        TTable objects;
        objects.SetDatabaseName(folder_);
        objects.SetTableName(tbl::Objects);
        objects.Open();
        for (int id = 11; id < 11 + tables; ++id) {
            objects.Append();
            objects.FieldByName(fld::ID).SetAsInteger(id);
            objects.FieldByName(fld::Type).SetAsInteger(20);
            objects.FieldByName(fld::Name).SetAsString("Table " + std::to_string(id));
            objects.Post();
        }
        objects.Close();
        scope.Commit();
    }
    ~Budget() { std::filesystem::remove_all(folder_); }
    Budget(const Budget&) = delete;
    Budget& operator=(const Budget&) = delete;
    const std::string& Folder() const { return folder_; }

private:
    std::string folder_;
};

// A prepared statement run again and again.
struct Statement {
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr); }
    ~Statement() { sqlite3_finalize(stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    void Run() {
        if (sqlite3_step(stmt) != SQLITE_DONE) throw std::runtime_error("step failed");
        sqlite3_reset(stmt);
    }
    sqlite3_stmt* stmt = nullptr;
};

inline void BindText(sqlite3_stmt* stmt, int position, const std::string& text) {
    sqlite3_bind_text(stmt, position, text.c_str(), static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
}

// The budget's tables file opened directly, with the durability settings the program uses.
inline sqlite3* OpenDirect(const std::string& folder) {
    sqlite3* db = nullptr;
    sqlite3_open_v2((folder + "/tables.sqlite").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL;PRAGMA synchronous=NORMAL", nullptr, nullptr,
                 nullptr);
    return db;
}

// A direct side's store transaction and the journal rows it writes, as prepared statements.
class TDirectJournal {
public:
    explicit TDirectJournal(sqlite3* db)
        : begin_(db, "BEGIN IMMEDIATE"),
          commit_(db, "COMMIT"),
          row_(db,
               "INSERT INTO jTrans(NTrans,Act,Status,Date,Time,IDObject,Type,NameObject)"
               " VALUES(?,?,'APPLY',45000,0.5,?,?,?)"),
          integer_(db, "INSERT INTO jTrInteger(NTrans,NPart,Value) VALUES(?,?,?)"),
          text_(db, "INSERT INTO jTrText(NTrans,NPart,Value) VALUES(?,?,?)") {}

    void Begin() { begin_.Run(); }
    void Commit() { commit_.Run(); }
    // The transaction's jTrans row, applied.
    void Row(int nTrans, const std::string& act, int id, int type, const std::string& name) {
        sqlite3_bind_int(row_.stmt, 1, nTrans);
        BindText(row_.stmt, 2, act);
        sqlite3_bind_int(row_.stmt, 3, id);
        sqlite3_bind_int(row_.stmt, 4, type);
        BindText(row_.stmt, 5, name);
        row_.Run();
    }
    void Int(int nTrans, int part, int value) {
        sqlite3_bind_int(integer_.stmt, 1, nTrans);
        sqlite3_bind_int(integer_.stmt, 2, part);
        sqlite3_bind_int(integer_.stmt, 3, value);
        integer_.Run();
    }
    void Text(int nTrans, int part, const std::string& value) {
        sqlite3_bind_int(text_.stmt, 1, nTrans);
        sqlite3_bind_int(text_.stmt, 2, part);
        BindText(text_.stmt, 3, value);
        text_.Run();
    }

private:
    Statement begin_, commit_, row_, integer_, text_;
};

// The rows of a table of the folder as SQL values, every column but the counter.
struct TRows {
    int columns = 0;
    std::vector<std::string> values;  // row by row; NULL never occurs
    std::vector<bool> texts;          // per column
};

inline TRows ReadRows(sqlite3* db, const std::string& table) {
    TRows rows;
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, ("SELECT * FROM " + table).c_str(), -1, &stmt, nullptr);
    rows.columns = sqlite3_column_count(stmt) - 1;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        if (rows.texts.empty())
            for (int c = 1; c <= rows.columns; ++c)
                rows.texts.push_back(sqlite3_column_type(stmt, c) == SQLITE_TEXT);
        for (int c = 1; c <= rows.columns; ++c)
            rows.values.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c)));
    }
    sqlite3_finalize(stmt);
    return rows;
}

// Writes the rows anew with one prepared insert per table in one transaction; returns seconds.
inline double WriteDirect(sqlite3* db, const std::vector<std::pair<std::string, TRows>>& tables) {
    const auto start = std::chrono::steady_clock::now();
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    for (const auto& [name, rows] : tables) {
        sqlite3_exec(db, ("DELETE FROM " + name).c_str(), nullptr, nullptr, nullptr);
        std::string columns, marks;
        sqlite3_stmt* probe = nullptr;
        sqlite3_prepare_v2(db, ("SELECT * FROM " + name).c_str(), -1, &probe, nullptr);
        for (int c = 1; c <= rows.columns; ++c) {
            columns += std::string(c > 1 ? "," : "") + "\"" + sqlite3_column_name(probe, c) + "\"";
            marks += c > 1 ? ",?" : "?";
        }
        sqlite3_finalize(probe);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(
            db, ("INSERT INTO " + name + "(" + columns + ") VALUES(" + marks + ")").c_str(), -1,
            &insert, nullptr);
        for (size_t at = 0; at < rows.values.size(); at += rows.columns) {
            for (int c = 0; c < rows.columns; ++c) {
                const std::string& value = rows.values[at + c];
                if (rows.texts[c])
                    sqlite3_bind_text(insert, c + 1, value.c_str(), static_cast<int>(value.size()),
                                      SQLITE_STATIC);
                else
                    sqlite3_bind_double(insert, c + 1, std::stod(value));
            }
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
