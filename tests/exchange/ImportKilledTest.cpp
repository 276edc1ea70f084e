// An import killed at each step of its way through the journal, with an older change applied:
// the next opening settles what the kill left, so that rows and files agree, no archive copy
// stays and the older change can be undone and redone.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <memory>

#include "common/BudgetDump.h"
#include "common/ChildProcess.h"
#include "common/JournalSteps.h"
#include "content/U_frtable_change.h"
#include "exchange/ExchangeFixture.h"
#include "store/TransKindContent.h"

namespace fs = std::filesystem;

namespace {

using ImportKilled = ExchangeFixture;

// Mend: a kill during the import's application left its row "ACT" for good (and its archive's
// copy in the journal's folder), and undo and redo refused every older change. Now the opening
// takes back the preparation (the archive's copy goes, and with the row the folders the
// application moved into the budget, which no object has) and settles the row.
TEST_F(ImportKilled, LeavesRowsAndFilesAgreeingAndTheOlderChangeUndoable) {
    Register(std::make_unique<TTableChangeKind>());
    MakeBranch(11, 0);
    const std::string archive = Archive("branch.vlexport");
    ASSERT_EQ(Export(11, archive), TPackResult::Done);
    const struct {
        const char* what;
        int refresh;  // the journal view's refresh at which the process is killed; 0: after all
        const char* status;
    } moments[] = {
        {"the archive copied, before the row is ready", 1, nullptr},
        {"the row ready, before its application starts", 2, nullptr},
        {"the application's writes done, before its commit", 3, nullptr},
        {"after the application", 0, "APPLY"},
    };
    for (const auto& m : moments) {
        SCOPED_TRACE(m.what);
        const std::string target = folders.MakeBudget(std::string("Target ") + m.what);
        Switch(target);
        AddRow("Objects.db", {{"ID", 5}, {"IDParent", 0}, {"Type", 20}, {"Name", "Table"}});
        ASSERT_EQ(JournalTableChange(5, "Table", {{"b", "2"}}), 5);
        const int older = NewestTrans();
        const std::string before = DumpBudget(target, TDumpScope::WithoutJournal);
        dm.FlushAndCloseTables();
        DM = nullptr;
        KillDuring(
            [&](int ready) {
                Switch(target);
                PauseAtDataChange(dm.TablejTrans, m.refresh, ready);
                Import(archive);
                Ready(ready);
                pause();
            },
            std::chrono::milliseconds(20));

        EXPECT_EQ(IntegrityOf(target), "ok");
        Switch(target);
        std::vector<std::string> statuses;
        for (const TFieldValue& status : Column("jTrans", "Status", {}, "Index_NTrans"))
            statuses.push_back(status.Text());
        std::vector<std::string> expected{"APPLY"};
        if (m.status != nullptr) expected.push_back(m.status);
        EXPECT_EQ(statuses, expected);
        if (m.status == nullptr) {
            EXPECT_EQ(DumpBudget(target, TDumpScope::WithoutJournal), before);
            if (m.refresh != 1) {
                EXPECT_FALSE(fs::exists(TransFolder(older + 1)));
            }
        } else {
            EXPECT_GT(CountRows("Objects.db", Where("Name") == "Branch"), 0);
        }
        const bool stop = false;
        EXPECT_EQ(MarkUndo(older), m.status != nullptr ? 2 : 1);
        EXPECT_TRUE(RunToEnd(RunUndo(stop)));
        EXPECT_EQ(Column("Tables.db", "NameRow"), std::vector<TFieldValue>{});
        EXPECT_EQ(MarkRedo(older), 1);
        EXPECT_TRUE(RunToEnd(RunRedo(stop)));
        EXPECT_EQ(Column("Tables.db", "NameRow"), std::vector<TFieldValue>{"b"});
        EXPECT_TRUE(shell.fatalTexts.empty());
        dm.FlushAndCloseTables();
    }
}

}  // namespace
