// A budget folder for the store's benchmarks, and the direct SQLite access they compare with.
#pragma once

#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

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

inline void Text(sqlite3_stmt* stmt, int position, const std::string& text) {
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
