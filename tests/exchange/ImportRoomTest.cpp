// An import on a nearly full disk: a small file system of its own holds the budget and the temp
// folder, filled to leave a little more or less room than the import needs. Each time the
// archive is imported whole or refused with the system's words, never with a fatal close, and
// a refused import leaves neither a journal row nor bytes in jTrFiles.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "common/BudgetDump.h"
#include "common/SmallDisk.h"
#include "exchange/ExchangeFixture.h"
#include "platform/Database.h"

namespace fs = std::filesystem;

namespace {

// Fills the file system of the folder with `file` until `left` bytes stay free (or as near as
// the file system's blocks allow).
void FillLeaving(const fs::path& file, std::uintmax_t left) {
    const std::uintmax_t available = fs::space(file.parent_path()).available;
    const std::uintmax_t fill = available > left ? available - left : 0;
    std::ofstream out(file, std::ios::binary | std::ios::app);
    const std::string block(1 << 16, '\0');
    for (std::uintmax_t written = 0; written < fill; written += block.size())
        out.write(block.data(), static_cast<std::streamsize>(
                                    std::min<std::uintmax_t>(block.size(), fill - written)));
}

class ImportRoom : public ExchangeFixture {
protected:
    // The branch of MakeBranch with a collection file of incompressible bytes, exported.
    std::string LargeArchive() {
        MakeBranch(11, 0);
        std::mt19937 random(3);
        std::string bytes(1 << 20, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        WriteFile(CollectionFolder(14) + "/scan.bin", bytes);
        const std::string archive = Archive("branch.vlexport");
        EXPECT_EQ(Export(11, archive), TPackResult::Done);
        return archive;
    }

    // A new empty budget in the folder, opened, with the temp folder beside it.
    void OpenBudgetOn(const fs::path& folder) {
        fs::copy(folders.MakeBudget("Empty" + std::to_string(++made)), folder,
                 fs::copy_options::recursive);
        const std::string name = fs::path(folders.TempPath()).parent_path().filename().string();
        shell.state.TempPath = (folder.parent_path() / "tmp" / name).string() + "/";
        fs::create_directories(shell.state.TempPath);
        fs::permissions(shell.state.TempPath, fs::perms::owner_all);
        Switch(folder.string());
    }

    // What a refused or failed import must leave: the budget as before, no row of it in the
    // journal, nothing in jTrFiles, an empty temp folder, no fatal close.
    void ExpectNothingLeft(const std::string& budget, const std::string& before,
                           const std::string& name) {
        EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), before) << name;
        EXPECT_TRUE(Column("jTrans", "NTrans", {}, "Index_NTrans").empty()) << name;
        std::error_code error;
        for (const auto& entry : fs::recursive_directory_iterator(budget + "/jTrFiles", error))
            ADD_FAILURE() << name << ": " << entry.path();
        EXPECT_TRUE(fs::is_empty(shell.state.TempPath)) << name;
        EXPECT_TRUE(shell.fatalTexts.empty()) << name;
    }

    int made = 0;
    const std::string archive = LargeArchive();
    const std::uintmax_t size = std::filesystem::file_size(archive);
    // The small file system of the budget and the temp folder.
    const fs::path small = folders.Root() + "/small";
    const ScopedSmallDisk disk{small.string(), std::to_string(24 << 20)};
};

// Each fill level imports whole or is refused by the check with the system's words.
TEST_F(ImportRoom, EachFillLevelImportsWholeOrIsRefusedWithTheReason) {
    if (!disk.Mounted()) GTEST_SKIP() << "no tmpfs can be mounted here";
    int imported = 0, refused = 0;
    for (const double times : {0.5, 1.0, 1.5, 2.0, 2.5, 3.0, 4.0, 6.0}) {
        const std::string name = "free " + std::to_string(times) + " archives";
        const fs::path budget = small / "budget";
        OpenBudgetOn(budget);
        const std::string before = DumpBudget(budget.string(), TDumpScope::WithoutJournal);
        FillLeaving(small / "filler", static_cast<std::uintmax_t>(times * size));
        // As the dialog checks, counting the journal's copy to come.
        const TArchiveCheck check =
            UnpackBranchSet(archive, TProcessEvents::PaintOnly, kNoStop, size);
        ShellServices().ClearTempFolder();
        if (!check) {
            ++refused;
            EXPECT_EQ(check.Problem, TArchiveProblem::TooLarge) << name << ": " << check.Detail;
            ExpectNothingLeft(budget.string(), before, name);
        } else {
            try {
                EXPECT_GT(Import(archive), 0) << name;
                ++imported;
                EXPECT_EQ(Column("jTrans", "Status", {}, "Index_NTrans"),
                          std::vector<TFieldValue>{TFieldValue("APPLY")})
                    << name;
                EXPECT_TRUE(fs::exists(budget / "Files/DIR14/scan.bin")) << name;
            } catch (const std::exception& e) {
                ADD_FAILURE() << name << ": passed the check, then failed: " << e.what();
            }
            EXPECT_TRUE(shell.fatalTexts.empty()) << name;
        }
        dm.FlushAndCloseTables();
        DM = nullptr;
        fs::remove_all(budget);
        fs::remove(small / "filler");
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(imported, 0);
}

// The room goes between the check and the application: the step fails with the system's words
// and rolls back, the archive's copy goes, and the row with it.
TEST_F(ImportRoom, RoomGoneAfterTheCheckFailsTheStepAndLeavesNothing) {
    if (!disk.Mounted()) GTEST_SKIP() << "no tmpfs can be mounted here";
    // Room for the copy of the archive, and for less than the unpacked set, or for the set and
    // not for what the merge writes.
    for (const double times : {1.2, 1.6, 2.0}) {
        const std::string name = "free " + std::to_string(times) + " archives";
        const fs::path budget = small / "budget";
        OpenBudgetOn(budget);
        const std::string before = DumpBudget(budget.string(), TDumpScope::WithoutJournal);
        ASSERT_TRUE(UnpackBranchSet(archive, TProcessEvents::PaintOnly, kNoStop, size)) << name;
        ShellServices().ClearTempFolder();
        FillLeaving(small / "filler", static_cast<std::uintmax_t>(times * size));
        try {
            Import(archive);
            ADD_FAILURE() << name << ": imported";
        } catch (const fs::filesystem_error& e) {
            EXPECT_EQ(e.code(), std::errc::no_space_on_device) << name << ": " << e.what();
        } catch (const EDatabaseError& e) {
            EXPECT_NE(std::string(e.what()).find("full"), std::string::npos) << name << e.what();
        }
        fs::remove(small / "filler");
        ExpectNothingLeft(budget.string(), before, name);
        dm.FlushAndCloseTables();
        DM = nullptr;
        fs::remove_all(budget);
    }
}

}  // namespace
