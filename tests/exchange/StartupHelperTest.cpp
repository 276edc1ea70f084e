// The start-up helper's report: each failure with its reason, and a request that failed is
// kept for the next start or dropped, as the user answers.
#include <gtest/gtest.h>

#include "common/BudgetDump.h"
#include "common/ScopedHome.h"
#include "common/ScopedMessageDlg.h"
#include "exchange/ExchangeFixture.h"
#include "exchange/RestartRequests.h"
#include "exchange/StartupHelper.h"
#include "store/Usettings.h"

namespace fs = std::filesystem;

namespace {

class StartupHelper : public ExchangeFixture {
protected:
    StartupHelper() {
        shell.state.BackupPath = folders.Root() + "/backups";
        dm.FlushAndCloseTables();
        CheckpointTables(budget);
        SetSettingDate("LastStart", now);  // no daily backup
    }
    ScopedHome home{folders.Root()};
    const TDateTime now = EncodeDate(2024, 5, 6) + 0.5;
};

TEST_F(StartupHelper, AFailedRequestIsKeptOrDroppedAsTheUserAnswers) {
    const std::string notArchive = folders.Root() + "/text.vlbackup";
    WriteFile(notArchive, "plain text");
    const std::string good = folders.Root() + "/good.vlbackup";
    ASSERT_EQ(BackupBudget(budget, good), std::nullopt);
    const std::string before = DumpBudget(budget);
    struct Case {
        const char* name;
        std::string archive;
        bool trashUnusable;
        int answer;
        const char* reason;
    } cases[] = {
        {"refused archive, kept", notArchive, false, mrNo, "not a readable archive"},
        {"refused archive, dropped", notArchive, false, mrYes, "not a readable archive"},
        {"no trash, kept", good, true, mrNo, "the trash cannot be used"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A file where the trash's folder would be made leaves no trash for the account.
        fs::remove_all(home.Path() + "/.local/share");
        if (c.trashUnusable)
            WriteFile(home.Path() + "/.local/share", "no folder");
        else
            fs::create_directories(home.Path() + "/.local/share");
        WriteRestartRequest(kRequestRecovery, budget, c.archive);
        ScopedMessageDlg box(c.answer);
        EXPECT_EQ(RunStartupWork(shell.state, now), 1);
        ASSERT_EQ(box.Calls().size(), 1u);
        EXPECT_EQ(box.Calls()[0].Buttons, mbYes | mbNo);
        EXPECT_NE(box.Calls()[0].Text.find(c.reason), std::string::npos) << box.Calls()[0].Text;
        EXPECT_EQ(GetSettingInt("Startup", -1), c.answer == mrNo ? kRequestRecovery : kRequestNone);
        EXPECT_EQ(DumpBudget(budget), before);
    }
}

}  // namespace
