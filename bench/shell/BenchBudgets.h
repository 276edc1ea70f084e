// Budgets for the shell's benchmarks: the program's folders in a temporary root with budgets
// of many objects registered in the budget list.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "common/FakeShellServices.h"
#include "platform/Table.h"
#include "schema/SchemaNames.h"
#include "shell/ObjectIndex.h"
#include "store/Usettings.h"

namespace bench_budgets {

namespace fs = std::filesystem;

constexpr int kTypes[] = {otTable, otImages, otFiles, otNumber, otPay};
constexpr int kImages[] = {16, 18, 20, 22, 24};

// The program's folders in a temporary root, pointed at by the VEMLY_*_DIR variables, with
// `budgets` budgets registered in the budget list, each with `folders` folders below its root
// and `objectsPerFolder` objects of every kind inside each folder; removed at the end.
class ProgramFolders {
public:
    ProgramFolders(int budgetCount, int folderCount, int objectsPerFolder)
        : folders_(folderCount), objectsPerFolder_(objectsPerFolder) {
        std::string pattern = (fs::temp_directory_path() / "vemly-startup-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temp folder");
        root_ = pattern;
        const std::string data = root_ + "/appdata";
        fs::copy(VEMLY_SOURCE_DATA_DIR, data, fs::copy_options::recursive);
        fs::copy(VEMLY_GENERATED_DIR "/EmptyBases", data + "/EmptyBases",
                 fs::copy_options::recursive);
        fs::create_directories(UsersData());
        fs::copy(VEMLY_GENERATED_DIR "/UsersData", UsersData(), fs::copy_options::recursive);
        fs::create_directories(root_ + "/tmp");
        fs::create_directories(root_ + "/bin");
        setenv("VEMLY_DATA_DIR", data.c_str(), 1);
        setenv("VEMLY_USERS_DIR", (root_ + "/documents").c_str(), 1);
        setenv("VEMLY_TMP_DIR", (root_ + "/tmp").c_str(), 1);
        setenv("VEMLY_PROGRAM_DIR", (root_ + "/bin").c_str(), 1);

        const FakeShellServices services(UsersData());
        SetSettingDate("LastStart", Today());
        TTable budgets;
        Open(budgets, UsersData(), tbl::Budgets);
        for (int budget = 1; budget <= budgetCount; ++budget) {
            const std::string folder = Budget(budget);
            fs::copy(VEMLY_GENERATED_DIR "/EmptyBases", folder, fs::copy_options::recursive);
            AddObjects(folder);
            budgets.Append();
            budgets.FieldByName(fld::ID).SetAsInteger(budget);
            budgets.FieldByName(fld::Name).SetAsString("Budget " + std::to_string(budget));
            budgets.FieldByName(fld::Path).SetAsString(folder);
            budgets.FieldByName(fld::Expanded).SetAsString(budget % 2 == 0 ? "Y" : "N");
            budgets.Post();
        }
    }
    ~ProgramFolders() { fs::remove_all(root_); }

    std::string UsersData() const { return root_ + "/documents/VemlyUsersData/"; }
    // The folder of budget n (from 1).
    std::string Budget(int n) const { return UsersData() + "Budget " + std::to_string(n); }

private:
    static void Open(TTable& table, const std::string& folder, const char* name) {
        table.SetDatabaseName(folder);
        table.SetTableName(name);
        table.Open();
    }

    void AddObjects(const std::string& folder) const {
        TTransactionScope transaction(folder);
        TTable objects;
        Open(objects, folder, tbl::Objects);
        int id = 100;
        const auto add = [&](int parent, int type, int image, const std::string& expanded) {
            objects.Append();
            objects.FieldByName(fld::ID).SetAsInteger(++id);
            objects.FieldByName(fld::IDParent).SetAsInteger(parent);
            objects.FieldByName(fld::Type).SetAsInteger(type);
            objects.FieldByName(fld::Image).SetAsInteger(image);
            objects.FieldByName(fld::Expanded).SetAsString(expanded);
            objects.FieldByName(fld::Name).SetAsString("Object " + std::to_string(id));
            objects.FieldByName(fld::Descript)
                .SetAsString("Description of object " + std::to_string(id));
            objects.Post();
            return id;
        };
        for (int f = 0; f < folders_; ++f) {
            const int parent = add(0, otFolder, 80 + 2 * (f % 16), f % 3 == 0 ? "Y" : "N");
            for (int o = 0; o < objectsPerFolder_; ++o)
                add(parent, kTypes[o % 5], kImages[o % 5], "N");
        }
        transaction.Commit();
    }

    int folders_;
    int objectsPerFolder_;
    std::string root_;
};

}  // namespace bench_budgets
