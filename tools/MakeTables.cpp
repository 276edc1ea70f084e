// Build-time tool: writes the empty budget folder EmptyBases and the empty users-data tables.
//   vemly_make_tables <output folder>
// makes <output folder>/EmptyBases and <output folder>/UsersData, replacing earlier ones.
#include <filesystem>
#include <fstream>
#include <iostream>

#include "platform/Database.h"
#include "platform/Table.h"
#include "tools/TableSchema.h"
#include "schema/SchemaNames.h"

namespace fs = std::filesystem;

namespace {

// The tree nodes that every budget has: its calendar and its journal. The branch import leaves
// out exactly these IDs, so they must stay 9 and 10. Their names are not shown (the tree shows
// the language's captions); the icons are those of the tree's image list.
struct TFixedNode {
    int Id;
    int Type;
    int Image;
    const char* Name;
};
constexpr TFixedNode kFixedNodes[] = {{9, 9500, 10, "Calendar"}, {10, 10000, 12, "Journal"}};

void WriteEmptyBases(const fs::path& folder) {
    fs::create_directories(folder / "Images");
    fs::create_directories(folder / "Files");
    std::ofstream ini(folder / "VLBudget.ini", std::ios::binary);
    ini << "[VLBudget]\nName=\nDescript=\n";
    if (!ini) throw std::runtime_error("Cannot write " + (folder / "VLBudget.ini").string());

    CreateTablesFile(folder.string(), BudgetTables());
    TTransactionScope scope(folder.string());
    TTable objects;
    objects.SetDatabaseName(folder.string());
    objects.SetTableName(tbl::Objects);
    objects.SetReadOnly(false);
    objects.Open();
    for (const TFixedNode& node : kFixedNodes) {
        objects.Append();
        objects.FieldByName(fld::ID).SetAsInteger(node.Id);
        objects.FieldByName(fld::IDParent).SetAsInteger(0);
        objects.FieldByName(fld::Type).SetAsInteger(node.Type);
        objects.FieldByName(fld::Image).SetAsInteger(node.Image);
        objects.FieldByName(fld::Expanded).SetAsString("N");
        objects.FieldByName(fld::Name).SetAsString(node.Name);
        objects.Post();
    }
    objects.Close();
    scope.Commit();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: vemly_make_tables <output folder>\n";
        return 2;
    }
    try {
        const fs::path output = argv[1];
        const fs::path emptyBases = output / "EmptyBases";
        const fs::path usersData = output / "UsersData";
        fs::remove_all(emptyBases);
        fs::remove_all(usersData);
        fs::create_directories(usersData);
        WriteEmptyBases(emptyBases);
        CreateTablesFile(usersData.string(), UsersDataTables());
    } catch (const std::exception& error) {
        std::cerr << "vemly_make_tables: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
