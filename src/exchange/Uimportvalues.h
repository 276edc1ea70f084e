// The values of an unpacked branch set's rows: each must be one that the program itself could
// have written, before anything of the set is written into a budget.
#pragma once

#include <filesystem>
#include <string>

#include "exchange/Uimportcheck.h"

struct sqlite3;

// Reads every row of the set's tables in the tables file open on `db` (its `file` named in
// errors) and checks each field by the rules of its table: IDs and references to IDs whole
// numbers in the program's range, object types the six of a set, dates within the years 1 to
// 9999, amounts, readings and constants decimal texts of a length the program's fields allow,
// names, descriptions and texts of such lengths without control characters (the algorithm
// text's line breaks and tabs aside), codes, flags and schedule fields as the program writes
// them, and every picture's FileName a plain name of a file in `unpacked`/Images/IMG<id>. The
// first breach is BadValue with "<table>, <object> <id>, <field>" as its detail. Throws
// EDatabaseError when the file cannot be read (a statement interrupted by the connection's
// progress handler included).
TArchiveCheck CheckSetValues(sqlite3* db, const std::string& file,
                             const std::filesystem::path& unpacked);
