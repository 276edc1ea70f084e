// The structure of a table and how it is kept in a folder's tables file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FieldValue.h"

struct sqlite3;

// The file that holds every table of a folder.
inline constexpr const char* kTablesFileName = "tables.sqlite";

struct TColumnDef {
    std::string Name;
    TFieldKind Kind;
};

// A named index ("Index01", "Index_NTrans") and the columns it orders by.
struct TIndexDef {
    std::string Name;
    std::vector<std::string> Columns;
};

// One table: its name (the stem of the table file name, "Objects" for "Objects.db"), its columns
// with the record counter first (an integer that the table assigns to every new row), and its
// named indexes.
struct TTableDef {
    std::string Name;
    std::vector<TColumnDef> Columns;
    std::vector<TIndexDef> Indexes;
};

// The indexes, by their SQL names, that the empty budget gained after the program had made
// budgets without them: such a budget is whole all the same (nothing names them; SQLite uses
// them where they are).
inline constexpr std::string_view kIndexesAddedLater[] = {"jTrans.Index_Status"};

// Creates the tables file of a folder with these tables, empty. Throws EDatabaseError when the
// folder already holds a tables file (it is never overwritten) or the file cannot be written.
void CreateTablesFile(const std::string& folder, const std::vector<TTableDef>& tables);

// Reads back the structure of the table whose name matches without regard to case; nothing when
// the file has no such table. Throws EDatabaseError (naming the file) when the stored structure
// is not one that CreateTablesFile writes.
std::optional<TTableDef> ReadTableDef(sqlite3* db, const std::string& file, std::string_view name);

// The name of a table file's table: the name without its extension ("PayHistory.DB" gives
// "PayHistory", "jTrans" stays "jTrans").
std::string TableStem(std::string_view fileName);

// The form in which table, column and index names are compared: without regard to case.
std::string NameKey(std::string_view name);

// A name as an SQL identifier between double quotes.
std::string QuotedName(std::string_view name);
