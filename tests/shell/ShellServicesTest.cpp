// The main window's state and services as window-free code sees them, through the recording
// fake: the reload marks, the answers read from the state, the fatal reports' errors and the
// installing of services.
#include <gtest/gtest.h>

#include <cerrno>
#include <system_error>

#include "common/FakeShellServices.h"
#include "shell/ShellServices.h"

namespace {

// Each frame's mark is reset alone; its folder stays, so only the ID makes the frame reload.
TEST(ShellServices, ResettingAReloadMarkForgetsOnlyThatFramesObject) {
    struct Case {
        TShownMark mark;
        int TMainState::*id;
    };
    for (const Case& c : {Case{TShownMark::Images, &TMainState::ImagesShownID},
                          Case{TShownMark::Files, &TMainState::FilesShownID},
                          Case{TShownMark::Number, &TMainState::NumberShownID},
                          Case{TShownMark::Pay, &TMainState::PayShownID}}) {
        SCOPED_TRACE(static_cast<int>(c.mark));
        FakeShellServices shell("/users/");
        TMainState& state = shell.state;
        state.ImagesShownID = state.FilesShownID = state.NumberShownID = state.PayShownID = 7;
        state.ImagesShownPath = state.FilesShownPath = state.NumberShownPath = state.PayShownPath =
            "/budget";
        ShellServices().ResetShownMark(c.mark);
        EXPECT_EQ(state.*c.id, -1);
        const int kept =
            state.ImagesShownID + state.FilesShownID + state.NumberShownID + state.PayShownID;
        EXPECT_EQ(kept, 3 * 7 - 1);
        for (const std::string* path : {&state.ImagesShownPath, &state.FilesShownPath,
                                        &state.NumberShownPath, &state.PayShownPath})
            EXPECT_EQ(*path, "/budget");
    }
}

// The answers that the store has always asked for come from the state, as it is at the call.
TEST(ShellServices, AnswersComeFromTheStateAtTheCall) {
    FakeShellServices shell("/users/");
    shell.state.BudgetPath = "/budgets/home";
    shell.state.LangPath = "/data/LangEN/";
    shell.state.BudgetName = "Home";
    const TShellServices& services = ShellServices();
    EXPECT_EQ(services.UsersDataPath(), "/users/");
    EXPECT_EQ(services.BudgetPath(), "/budgets/home");
    EXPECT_EQ(services.LangPath(), "/data/LangEN/");
    EXPECT_EQ(services.BudgetName(), "Home");
    EXPECT_FALSE(services.FatalClose());
    shell.state.BudgetPath = "/budgets/cottage";
    EXPECT_EQ(services.BudgetPath(), "/budgets/cottage");
    EXPECT_EQ(&services.State(), &shell.state);
    EXPECT_EQ(&services.Index(), &shell.index);
}

// A fatal report carries the error its caller got; the form without one reads the thread's
// last error at the call.
TEST(ShellServices, AFatalReportCarriesTheCallersError) {
    FakeShellServices shell("/users/");
    errno = ENOENT;
    ShellServices().FatalError(kFolderNotDeleted,
                               std::make_error_code(std::errc::permission_denied));
    errno = ENOSPC;
    ShellServices().FatalError(kFolderNotCreated);
    EXPECT_EQ(shell.fatalErrors, (std::vector<int>{kFolderNotDeleted, kFolderNotCreated}));
    ASSERT_EQ(shell.fatalCauses.size(), 2u);
    EXPECT_EQ(shell.fatalCauses[0], std::errc::permission_denied);
    EXPECT_EQ(shell.fatalCauses[1], std::errc::no_space_on_device);
    EXPECT_TRUE(ShellServices().FatalClose());
}

// Services installed inside others replace them while they live; the outer ones come back.
TEST(ShellServices, InstalledServicesNestAndComeBack) {
    EXPECT_THROW(ShellServices(), std::logic_error);
    {
        FakeShellServices outer("/outer/");
        {
            FakeShellServices inner("/inner/");
            EXPECT_EQ(ShellServices().UsersDataPath(), "/inner/");
            ShellServices().StopBudget();
            EXPECT_EQ(inner.calls, std::vector<std::string>{"StopBudget"});
        }
        EXPECT_EQ(ShellServices().UsersDataPath(), "/outer/");
        EXPECT_TRUE(outer.calls.empty());
    }
    EXPECT_THROW(ShellServices(), std::logic_error);
}

}  // namespace
