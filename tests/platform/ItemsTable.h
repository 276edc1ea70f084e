// A folder with one small table of every column kind, for the tests of the table layer.
#pragma once

#include <string>
#include <vector>

#include "common/TestFolders.h"
#include "platform/Table.h"

// Items: the counter N, Grp (integer), Day (date), Name (text), At (time);
// "Index01" orders by Grp then Day, "ByName" by Name.
class ItemsTable {
public:
    ItemsTable();

    const std::string& Folder() const { return folder_; }
    // Appends and posts a row through a table object of its own.
    void Add(int grp, TDateTime day, const std::string& name, TDateTime at = 0.0) const;
    // A writable table on Items with the index "Index01" (not opened).
    void Configure(TTable& table) const;

    TestFolders folders;

private:
    std::string folder_;
};

// The names of the view's rows from the first to the end (the cursor ends at the end).
std::vector<std::string> Names(TTable& table);
// The name of the current row.
std::string Name(TTable& table);
