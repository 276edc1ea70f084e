// Tables files changed behind the program's back, as another program or another computer could
// change them, for the tests of what opening such a file does.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/TableDef.h"

namespace crafted {

// The folder's tables file.
inline std::string TablesFile(const std::string& folder) {
    return folder + (folder.ends_with('/') ? "" : "/") + kTablesFileName;
}

// Runs `sql` on the folder's tables file through a plain connection of its own.
inline void Run(const std::string& folder, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(TablesFile(folder).c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db) << "\n"
        << sql;
    sqlite3_close(db);
}

// The rows of a table of the folder's tables file, counted through a connection of its own;
// -1 when they cannot be counted.
inline std::int64_t Rows(const std::string& folder, const std::string& table) {
    sqlite3* db = nullptr;
    sqlite3_stmt* count = nullptr;
    std::int64_t rows = -1;
    const std::string sql = "SELECT count(*) FROM \"" + table + "\"";
    if (sqlite3_open(TablesFile(folder).c_str(), &db) == SQLITE_OK &&
        sqlite3_prepare_v2(db, sql.c_str(), -1, &count, nullptr) == SQLITE_OK &&
        sqlite3_step(count) == SQLITE_ROW)
        rows = sqlite3_column_int64(count, 0);
    sqlite3_finalize(count);
    sqlite3_close(db);
    return rows;
}

inline std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace crafted
