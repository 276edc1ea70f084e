// Packing a budget: the threshold rule, what stays of the journal and its folders, what the rest
// of the budget keeps, and a pack killed at any moment.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "common/ChildProcess.h"
#include "common/OpenBudget.h"
#include "platform/Database.h"
#include "store/U_dm.h"

namespace fs = std::filesystem;

namespace {

// A journal of transactions first ... last, each with one part in each part table, written
// directly in one store transaction.
void WriteJournal(const std::string& budget, int first, int last) {
    TTransactionScope scope(budget);
    TBudgetTable journal("jTrans", true, {}, "");
    TBudgetTable integers("jTrInteger", true, {}, "");
    TBudgetTable texts("jTrText", true, {}, "");
    TBudgetTable dates("jTrDate", true, {}, "");
    for (int n = first; n <= last; ++n) {
        journal.Append();
        journal.FieldByName("NTrans").SetAsInteger(n);
        journal.FieldByName("Act").SetAsString("REN");
        journal.FieldByName("Status").SetAsString("APPLY");
        journal.Post();
        for (TTable* part : {&integers, &texts, &dates}) {
            part->Append();
            part->FieldByName("NTrans").SetAsInteger(n);
            part->FieldByName("NPart").SetAsInteger(1);
            part->Post();
        }
    }
    scope.Commit();
}

std::vector<int> NTransOf(std::string_view file) {
    std::vector<int> numbers;
    for (const TFieldValue& value : Column(file, "NTrans", {}, "")) {
        numbers.push_back(static_cast<int>(value.Integer()));
    }
    return numbers;
}

std::vector<int> Range(int first, int last) {
    std::vector<int> numbers;
    for (int n = first; n <= last; ++n) numbers.push_back(n);
    return numbers;
}

std::set<std::string> Entries(const fs::path& folder) {
    std::set<std::string> names;
    if (!fs::exists(folder)) return names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

void WriteFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

class Packing : public OpenBudget {};

}  // namespace

TEST(PackThreshold, FollowsTheWorkedExamples) {
    const struct {
        int first, secondToLast, transCount, threshold;
    } cases[] = {
        {1, 999, 0, 0},         // nothing is trimmed without a count
        {1, 999, -5, 0},        //
        {0, 0, 500, 0},         // an empty journal
        {7, 7, 500, 0},         // one transaction
        {1, 999, 500, 498},     // journal 1 ... 1000: 498 ... 1000 stay
        {498, 1599, 500, 601},  // the next pack of 498 ... 1600: the difference alone
        {1, 501, 500, 0},       // journal 1 ... 502: a span of 500 is not above 500
        {1, 502, 500, 1},       // journal 1 ... 503
        {1, 2147483647, 1, 2147483645},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.first) + " " + std::to_string(c.secondToLast) + " " +
                     std::to_string(c.transCount));
        EXPECT_EQ(PackThreshold(c.first, c.secondToLast, c.transCount), c.threshold);
    }
}

// Journal 1 ... 40 with 20 kept: f = 1, p = 39, t = 18; transactions 18 ... 40 stay with their
// parts and folders. In jTrFiles only the folders of kept transactions stay: "0025" is
// transaction 25, a name beyond the integer range or with a letter, a loose file and the
// folders below the threshold go. Everything else of the budget stays.
TEST_F(Packing, KeepsTheTransactionsFromTheThresholdWithTheirPartsAndFolders) {
    WriteJournal(budget, 1, 40);
    const fs::path files = fs::path(budget) / "jTrFiles";
    for (const char* name : {"5", "17", "18", "0025", "40", "99999999999999999999", "12a"})
        WriteFile(files / name / "part.bin", name);
    WriteFile(files / "loose.txt", "loose");
    WriteFile(fs::path(budget) / "notes.txt", "the user's own");
    WriteFile(fs::path(budget) / "Images" / "IMG3" / "a.jpg", "picture");
    AddRow("Tables", {{"ID", 9}, {"NRow", 1}, {"NameRow", "row"}, {"ValueRow", "12"}});
    const std::string ini = budget + "/VLBudget.ini";
    ASSERT_TRUE(fs::exists(ini));
    dm.TableTables.SetFilter(Where("ID") == 9);
    dm.TableTables.SetFiltered(true);

    dm.PackBudget(20);

    EXPECT_EQ(NTransOf("jTrans"), Range(18, 40));
    for (const char* part : {"jTrInteger", "jTrText", "jTrDate"}) {
        SCOPED_TRACE(part);
        EXPECT_EQ(NTransOf(part), Range(18, 40));
    }
    EXPECT_EQ(Entries(files), (std::set<std::string>{"18", "0025", "40"}));
    EXPECT_TRUE(fs::exists(files / "0025" / "part.bin"));
    EXPECT_TRUE(fs::exists(fs::path(budget) / "notes.txt"));
    EXPECT_TRUE(fs::exists(fs::path(budget) / "Images" / "IMG3" / "a.jpg"));
    EXPECT_TRUE(fs::exists(ini));
    EXPECT_EQ(CountRows("Objects"), 2);
    // The shared tables are open again with their filters, each on its first row.
    for (TTable* table : dm.BudgetTables()) {
        SCOPED_TRACE(table->TableName());
        EXPECT_TRUE(table->Active());
        EXPECT_FALSE(table->ReadOnly());
    }
    EXPECT_TRUE(dm.TableTables.Filtered());
    EXPECT_EQ(dm.TableTables.Filter(), Where("ID") == 9);
    EXPECT_EQ(dm.TableTables.FieldByName("NameRow").AsString(), "row");
    EXPECT_EQ(dm.TablejTrans.FieldByName("NTrans").AsInteger(), 18);
    EXPECT_EQ(IntegrityOf(budget), "ok");
}

// Without a count, with a journal too short to trim and with an empty journal nothing of the
// journal goes, and every transaction's folder stays.
TEST_F(Packing, TrimsNothingWhenTheThresholdIsZero) {
    const struct {
        const char* what;
        int last, transCount;
    } cases[] = {{"count 0", 30, 0},
                 {"count -1", 30, -1},
                 {"span not above", 12, 10},
                 {"empty journal", 0, 500}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ClearRows(dm.TablejTrans, {});
        for (TTable* part : {&dm.TablejTrInteger, &dm.TablejTrText, &dm.TablejTrDate})
            ClearRows(*part, {});
        fs::remove_all(fs::path(budget) / "jTrFiles");
        if (c.last > 0) WriteJournal(budget, 1, c.last);
        for (int n = 1; n <= c.last; ++n)
            WriteFile(fs::path(budget) / "jTrFiles" / std::to_string(n) / "f", "x");

        dm.PackBudget(c.transCount);

        EXPECT_EQ(NTransOf("jTrans"), Range(1, c.last));
        EXPECT_EQ(NTransOf("jTrDate"), Range(1, c.last));
        EXPECT_EQ(Entries(fs::path(budget) / "jTrFiles").size(), static_cast<size_t>(c.last));
    }
}

// A pack cut short after its commit leaves folders of deleted transactions; the next pack, even
// with nothing to trim, removes every folder below the first transaction kept.
TEST_F(Packing, RemovesFoldersLeftBelowTheFirstTransactionKept) {
    WriteJournal(budget, 50, 60);
    for (const char* name : {"3", "49", "50", "55"})
        WriteFile(fs::path(budget) / "jTrFiles" / name / "f", "x");
    dm.PackBudget(500);
    EXPECT_EQ(Entries(fs::path(budget) / "jTrFiles"), (std::set<std::string>{"50", "55"}));
}

// The tables file gives back the room of the deleted rows.
TEST_F(Packing, CompactsTheTablesFile) {
    WriteJournal(budget, 1, 3000);
    CheckpointTables(budget);
    const auto before = fs::file_size(budget + "/tables.sqlite");
    dm.PackBudget(10);
    CheckpointTables(budget);
    EXPECT_LT(fs::file_size(budget + "/tables.sqlite"), before / 2);
    EXPECT_EQ(NTransOf("jTrans").size(), 13u);
}

// A pack killed at moments spread over its run leaves the budget whole: the journal either as
// before or as packed, never a transaction without its parts, and a sound tables file.
TEST(PackingAtomicity, APackKilledAtAnyMomentLeavesTheBudgetWhole) {
    for (const int delay : {0, 2, 5, 10, 20, 40}) {
        SCOPED_TRACE(delay);
        TestFolders folders;
        const std::string budget = folders.MakeBudget();
        {
            FakeShellServices shell(folders.UsersDataPath());
            TDM dm;
            OpenBudgetIn(shell, dm, folders, budget);
            WriteJournal(budget, 1, 20000);
            for (int n = 19000; n <= 20000; n += 100)
                WriteFile(fs::path(budget) / "jTrFiles" / std::to_string(n) / "f", "x");
            dm.FlushAndCloseTables();
            DM = nullptr;
        }
        KillDuring(
            [&](int ready) {
                FakeShellServices shell(folders.UsersDataPath());
                TDM dm;
                OpenBudgetIn(shell, dm, folders, budget);
                Ready(ready);
                dm.PackBudget(500);
                pause();
            },
            std::chrono::milliseconds(delay));

        FakeShellServices shell(folders.UsersDataPath());
        TDM dm;
        OpenBudgetIn(shell, dm, folders, budget);
        EXPECT_EQ(IntegrityOf(budget), "ok");
        const std::vector<int> kept = NTransOf("jTrans");
        EXPECT_TRUE(kept == Range(1, 20000) || kept == Range(19498, 20000)) << kept.size();
        for (const char* part : {"jTrInteger", "jTrText", "jTrDate"})
            EXPECT_EQ(NTransOf(part), kept);
        // The kept transactions' folders are all there.
        for (int n = 19500; n <= 20000; n += 100)
            EXPECT_TRUE(fs::exists(fs::path(budget) / "jTrFiles" / std::to_string(n) / "f"));
        DM = nullptr;
    }
}
