// A folder with one small table of every column kind, for the tests of the table layer.
#include "platform/ItemsTable.h"

#include <filesystem>

ItemsTable::ItemsTable() : folder_(folders.Root() + "/items") {
    std::filesystem::create_directories(folder_);
    CreateTablesFile(folder_, {TTableDef{"Items",
                                         {{"N", TFieldKind::Integer},
                                          {"Grp", TFieldKind::Integer},
                                          {"Day", TFieldKind::Date},
                                          {"Name", TFieldKind::Text},
                                          {"At", TFieldKind::Time}},
                                         {{"Index01", {"Grp", "Day"}}, {"ByName", {"Name"}}}}});
}

void ItemsTable::Configure(TTable& table) const {
    table.SetDatabaseName(folder_);
    table.SetTableName("Items.db");
    table.SetIndexName("Index01");
}

void ItemsTable::Add(int grp, TDateTime day, const std::string& name, TDateTime at) const {
    TTable table;
    Configure(table);
    table.Open();
    table.Append();
    table.FieldByName("Grp").SetAsInteger(grp);
    table.FieldByName("Day").SetAsDateTime(day);
    table.FieldByName("Name").SetAsString(name);
    table.FieldByName("At").SetAsDateTime(at);
    table.Post();
}

std::vector<std::string> Names(TTable& table) {
    std::vector<std::string> names;
    for (table.First(); !table.Eof(); table.Next()) names.push_back(Name(table));
    return names;
}

std::string Name(TTable& table) {
    return table.FieldByName("Name").AsString();
}
