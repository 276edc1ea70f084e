// Export and import of a branch with an album of incompressible pictures, against tar packing
// and unpacking the same folder alone, and of a branch with a pay of many history rows; the
// program's peak resident memory (getrusage) is reported with each. The pictures' size in MB is
// VEMLY_BENCH_MB (200 by default), the number of history rows VEMLY_BENCH_ROWS (30000).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "common/AppendRow.h"
#include "common/FakeShellServices.h"
#include "common/TestFolders.h"
#include "exchange/Uimportexport.h"
#include "platform/Database.h"
#include "shell/JournalKinds.h"
#include "store/TransKindImport.h"
#include "store/U_dm.h"

namespace fs = std::filesystem;

namespace {

int FromEnvironment(const char* name, int otherwise) {
    const char* value = std::getenv(name);
    return value ? std::atoi(value) : otherwise;
}
int Megabytes() {
    return FromEnvironment("VEMLY_BENCH_MB", 200);
}
int HistoryRows() {
    return FromEnvironment("VEMLY_BENCH_ROWS", 30000);
}

// Program folders with a source budget holding a folder (11) with an album (12) of pictures of
// 4 MB of random bytes each and a folder (20) with a pay (21) and its history rows, their
// archives once exported, and a target budget.
struct Setup {
    Setup() {
        RegisterJournalKinds();
        shell.state.TempPath = folders.TempPath();
        shell.state.DataPath = folders.DataPath();
        shell.state.BudgetState = 1;
        AppendRow(
            source, "Objects",
            {{"ID", 11}, {"IDParent", 0}, {"Type", 10}, {"Expanded", "N"}, {"Name", "Photos"}});
        AppendRow(
            source, "Objects",
            {{"ID", 12}, {"IDParent", 11}, {"Type", 30}, {"Expanded", "N"}, {"Name", "Album"}});
        std::mt19937_64 random(7);
        std::vector<std::uint64_t> block(4 << 17);  // 4 MB
        const fs::path album = source + "/Images/IMG12";
        fs::create_directories(album);
        for (int n = 0; n < Megabytes() / 4; ++n) {
            for (auto& word : block) word = random();
            AppendRow(
                source, "Images",
                {{"ID", 12}, {"Number", n + 1}, {"FileName", "p" + std::to_string(n) + ".jpg"}});
            std::ofstream(album / ("p" + std::to_string(n) + ".jpg"), std::ios::binary)
                .write(reinterpret_cast<const char*>(block.data()),
                       static_cast<std::streamsize>(block.size() * sizeof block[0]));
        }
        AppendRow(
            source, "Objects",
            {{"ID", 20}, {"IDParent", 0}, {"Type", 10}, {"Expanded", "N"}, {"Name", "Bills"}});
        AppendRow(source, "Objects",
                  {{"ID", 21}, {"IDParent", 20}, {"Type", 60}, {"Expanded", "N"}, {"Name", "Pay"}});
        AppendRow(source, "Pays",
                  {{"ID", 21}, {"Direction", "O"}, {"FilterMode", "011110000000000"}});
        {
            TTransactionScope transaction(source);
            TTable history;
            history.SetDatabaseName(source);
            history.SetTableName("PayHistory");
            history.Open();
            for (int n = 0; n < HistoryRows(); ++n) {
                history.Append();
                history.FieldByName("ID").SetAsInteger(21);
                history.FieldByName("DateEvent").SetAsDateTime(40000.0 + n / 3);
                history.FieldByName("TypeEvent").SetAsString(n % 2 ? "CH" : "PY");
                history.FieldByName("NManOper").SetAsInteger(n);
                history.FieldByName(n % 2 ? "Charge" : "Payment").SetAsString(std::to_string(n));
                history.Post();
            }
            history.Close();
            transaction.Commit();
        }
        Open(source);
    }
    void Open(const std::string& budget) {
        shell.state.BudgetPath = budget;
        dm.PrepareTables(folders.UsersDataPath());
        dm.OpenBudget(budget);
        DM = &dm;
    }
    TestFolders folders;
    FakeShellServices shell{folders.UsersDataPath()};
    TDM dm;
    const std::string source = folders.MakeBudget("Source");
    const std::string target = folders.MakeBudget("Target");
    const std::string archive = folders.Root() + "/photos.vlexport";
    const std::string rowsArchive = folders.Root() + "/bills.vlexport";
};

Setup& TheSetup() {
    static Setup setup;
    return setup;
}

void ReportPeak(benchmark::State& state) {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    state.counters["MB"] = Megabytes();
}

void Run(const std::vector<std::string>& words) {
    TCommand command{words.front(), {words.begin() + 1, words.end()}};
    const bool stop = false;
    if (RunProcessToMemo(command, nullptr, stop, "EN") != kProcessDone)
        throw std::runtime_error("tar failed");
}

// Exports the branch of the folder into the archive.
void Export(benchmark::State& state, int folder, const std::string& archive) {
    Setup& setup = TheSetup();
    setup.Open(setup.source);
    for (auto _ : state) {
        if (!BuildBranchSet(folder)) throw std::runtime_error("no branch set");
        const bool stop = false;
        if (PackBranchSet(archive, nullptr, stop) != TPackResult::Done)
            throw std::runtime_error("not packed");
    }
    ReportPeak(state);
}

// Imports the archive into the target budget's root.
void Import(benchmark::State& state, const std::string& archive) {
    Setup& setup = TheSetup();
    setup.Open(setup.target);
    for (auto _ : state) {
        auto writer = WriteImportTransaction(archive, 0, 0, "Branch");
        if (!writer || writer->Apply() != 1) throw std::runtime_error("not imported");
    }
    ReportPeak(state);
}

void BM_ExportBranch(benchmark::State& state) {
    Export(state, 11, TheSetup().archive);
}

void BM_ImportBranch(benchmark::State& state) {
    Import(state, TheSetup().archive);
}

void BM_ExportHistoryRows(benchmark::State& state) {
    Export(state, 20, TheSetup().rowsArchive);
    state.counters["rows"] = HistoryRows();
}

void BM_ImportHistoryRows(benchmark::State& state) {
    Import(state, TheSetup().rowsArchive);
    state.counters["rows"] = HistoryRows();
}

void BM_TarCreate(benchmark::State& state) {
    Setup& setup = TheSetup();
    for (auto _ : state)
        Run({"tar", "-czf", setup.folders.Root() + "/plain.tgz", "-C", setup.source + "/Images",
             "."});
    ReportPeak(state);
}

void BM_TarExtract(benchmark::State& state) {
    Setup& setup = TheSetup();
    const std::string into = setup.folders.Root() + "/plain";
    for (auto _ : state) {
        fs::remove_all(into);
        fs::create_directories(into);
        Run({"tar", "-xzf", setup.folders.Root() + "/plain.tgz", "-C", into});
    }
    ReportPeak(state);
}

}  // namespace

BENCHMARK(BM_ExportBranch)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_TarCreate)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_ImportBranch)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_TarExtract)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_ExportHistoryRows)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImportHistoryRows)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
