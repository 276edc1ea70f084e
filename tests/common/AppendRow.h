// Appending a row to a table of any folder, for tests and benchmarks that fill tables.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/Table.h"

// Appends a row with these values to a table of the folder.
inline void AppendRow(const std::string& folder, const char* table,
                      const std::vector<std::pair<const char*, TFieldValue>>& values) {
    TTable rows;
    rows.SetDatabaseName(folder);
    rows.SetTableName(table);
    rows.Open();
    rows.Append();
    for (const auto& [field, value] : values) rows.FieldByName(field).SetValue(value);
    rows.Post();
}
