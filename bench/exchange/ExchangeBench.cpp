// Export and import of a branch with an album of incompressible pictures, against tar packing
// and unpacking the same folder alone; the program's peak resident memory (getrusage) is
// reported with each. The pictures' size in MB is VEMLY_BENCH_MB (200 by default).
#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "common/AppendRow.h"
#include "common/FakeShellServices.h"
#include "common/TestFolders.h"
#include "exchange/Uimportexport.h"
#include "shell/JournalKinds.h"
#include "store/TransKindImport.h"
#include "store/U_dm.h"

namespace fs = std::filesystem;

namespace {

int Megabytes() {
    const char* value = std::getenv("VEMLY_BENCH_MB");
    return value ? std::atoi(value) : 200;
}

// Program folders with a source budget holding a folder (11) with an album (12) of pictures of
// 4 MB of random bytes each, its archive once exported, and a target budget.
struct Setup {
    Setup() {
        RegisterJournalKinds();
        shell.state.TempPath = folders.TempPath();
        shell.state.DataPath = folders.DataPath();
        shell.state.BudgetState = 1;
        AppendRow(source, "Objects", {{"ID", 11}, {"IDParent", 0}, {"Type", 10}, {"Name", "Photos"}});
        AppendRow(source, "Objects", {{"ID", 12}, {"IDParent", 11}, {"Type", 30}, {"Name", "Album"}});
        std::mt19937_64 random(7);
        std::vector<std::uint64_t> block(4 << 17);  // 4 MB
        const fs::path album = source + "/Images/IMG12";
        fs::create_directories(album);
        for (int n = 0; n < Megabytes() / 4; ++n) {
            for (auto& word : block) word = random();
            AppendRow(source, "Images", {{"ID", 12}, {"Number", n + 1},
                                      {"FileName", "p" + std::to_string(n) + ".jpg"}});
            std::ofstream(album / ("p" + std::to_string(n) + ".jpg"), std::ios::binary)
                .write(reinterpret_cast<const char*>(block.data()),
                       static_cast<std::streamsize>(block.size() * sizeof block[0]));
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

void BM_ExportBranch(benchmark::State& state) {
    Setup& setup = TheSetup();
    setup.Open(setup.source);
    for (auto _ : state) {
        if (!BuildBranchSet(11)) throw std::runtime_error("no branch set");
        const bool stop = false;
        if (PackBranchSet(setup.archive, nullptr, stop) != TPackResult::Done)
            throw std::runtime_error("not packed");
    }
    ReportPeak(state);
}

void BM_ImportBranch(benchmark::State& state) {
    Setup& setup = TheSetup();
    setup.Open(setup.target);
    for (auto _ : state) {
        auto writer = WriteImportTransaction(setup.archive, 0, 0, "Photos");
        if (!writer || writer->Apply() != 1) throw std::runtime_error("not imported");
    }
    ReportPeak(state);
}

void BM_TarCreate(benchmark::State& state) {
    Setup& setup = TheSetup();
    for (auto _ : state)
        Run({"tar", "-czf", setup.folders.Root() + "/plain.tgz", "-C", setup.source + "/Images", "."});
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

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
