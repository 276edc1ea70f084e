// Start-up: the main window created and shown offscreen on 50 budgets of 200 objects each,
// timed until the tree stands and the window has painted.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QTreeWidget>
#include <chrono>
#include <clocale>
#include <filesystem>
#include <string>

#include "common/FakeShellServices.h"
#include "platform/Table.h"
#include "shell/U_formmain.h"
#include "store/U_dm.h"
#include "store/Usettings.h"
#include "schema/SchemaNames.h"

namespace fs = std::filesystem;

namespace {

constexpr int kBudgets = 50;
constexpr int kFolders = 20;          // per budget, below the root
constexpr int kObjectsPerFolder = 9;  // inside each folder: 20 + 20 * 9 = 200 objects
constexpr int kTypes[] = {otTable, otImages, otFiles, otNumber, otPay};
constexpr int kImages[] = {16, 18, 20, 22, 24};

// The program's folders in a temporary root, pointed at by the VEMLY_*_DIR variables, with
// the budgets registered in the budget list; removed at the end.
class ProgramFolders {
public:
    ProgramFolders() {
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
        for (int budget = 1; budget <= kBudgets; ++budget) {
            const std::string folder = UsersData() + "Budget " + std::to_string(budget);
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

private:
    std::string UsersData() const { return root_ + "/documents/VemlyUsersData/"; }

    static void Open(TTable& table, const std::string& folder, const char* name) {
        table.SetDatabaseName(folder);
        table.SetTableName(name);
        table.Open();
    }

    static void AddObjects(const std::string& folder) {
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
        for (int f = 0; f < kFolders; ++f) {
            const int parent = add(0, otFolder, 80 + 2 * (f % 16), f % 3 == 0 ? "Y" : "N");
            for (int o = 0; o < kObjectsPerFolder; ++o)
                add(parent, kTypes[o % 5], kImages[o % 5], "N");
        }
        transaction.Commit();
    }

    std::string root_;
};

void BM_StartToShownTree(benchmark::State& state) {
    const ProgramFolders folders;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        TDM dataModule;
        DM = &dataModule;
        {
            TfMain mainWindow;
            fMain = &mainWindow;
            mainWindow.show();
            QCoreApplication::processEvents();
            if (mainWindow.Nodes().size() !=
                kBudgets * (1 + 2 + kFolders * (1 + kObjectsPerFolder)))
                state.SkipWithError("the tree is incomplete");
            const auto shown = std::chrono::steady_clock::now();
            state.SetIterationTime(std::chrono::duration<double>(shown - start).count());
            fMain = nullptr;
        }
        DM = nullptr;
    }
    state.counters["nodes"] = kBudgets * (3 + kFolders * (1 + kObjectsPerFolder));
}
BENCHMARK(BM_StartToShownTree)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
