// Undo and redo of the journal: marking and cancelling over journals of every shape, the runs
// with their order, stop, progress and failures, each step atomic with its status (also under
// SIGKILL), the marks a crash left put back at the budget's opening, random object operations
// undone and redone against the budget as it was, and a preparation applied without letting go
// of the journal.
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "KindFixture.h"
#include "common/ChildProcess.h"
#include "common/OpenBudget.h"
#include "store/Utransactions_undo.h"

namespace {

// ---- Journals of statuses

// Journal rows with NTrans 10, 20, 30 ... (gaps everywhere) and the statuses given, oldest first.
void AddJournal(const std::vector<std::string>& statuses, const char* act = "TEST") {
    int nTrans = 0;
    for (const std::string& status : statuses)
        AddRow("jTrans", {{"NTrans", nTrans += 10},
                          {"Act", act},
                          {"Status", status},
                          {"IDObject", nTrans},
                          {"Type", 20}});
}

std::vector<std::string> Statuses() {
    std::vector<std::string> statuses;
    for (const TFieldValue& status : Column("jTrans", "Status", {}, "Index_NTrans"))
        statuses.push_back(status.Text());
    return statuses;
}

std::string StatusOf(int nTrans) {
    const auto status = Column("jTrans", "Status", Where("NTrans") == nTrans, "Index_NTrans");
    return status.empty() ? "(none)" : status[0].Text();
}

class Marks : public OpenBudget {};

}  // namespace

TEST_F(Marks, MarkingAndCancellingOverJournalsOfEveryShape) {
    const std::string A = "APPLY", B = "BACK", TB = "TOBACK", TA = "TOACTB";
    const std::function<int(int)> markUndo = MarkUndo, cancelUndo = CancelUndoMarks,
                                  markRedo = MarkRedo, cancelRedo = CancelRedoMarks;
    const struct {
        const char* what;
        std::vector<std::string> before;
        std::function<int(int)> operation;
        int nTrans;
        int result;
        std::vector<std::string> after;  // empty: as before
    } cases[] = {
        {"undo of the newest row", {A, A, A}, markUndo, 30, 1, {A, A, TB}},
        {"undo on an undone row", {A, A, B}, markUndo, 30, 0, {}},
        {"undo up to the first undone row", {A, A, A, B, B}, markUndo, 20, 2, {A, TB, TB, B, B}},
        {"undo down to the oldest row", {A, A}, markUndo, 10, 2, {TB, TB}},
        {"undo below an unfinished row", {"ACT", A, A}, markUndo, 20, 2, {"ACT", TB, TB}},
        {"undo over a PREP row", {A, "PREP", A}, markUndo, 10, -1, {}},
        {"undo over a READY row", {A, A, "READY"}, markUndo, 20, -1, {}},
        {"undo over an ACT row", {A, "ACT", B}, markUndo, 10, -1, {}},
        {"undo over an undo mark", {A, A, TB}, markUndo, 10, -1, {}},
        {"undo over a redo mark", {A, B, TA}, markUndo, 10, -1, {}},
        {"undo of a row not in the journal", {A, A}, markUndo, 15, -1, {}},
        {"undo on an empty journal", {}, markUndo, 10, -1, {}},
        {"redo of the oldest undone row", {A, B, B, B}, markRedo, 20, 1, {A, TA, B, B}},
        {"redo of the newest undone row", {A, B, B, B}, markRedo, 40, 3, {A, TA, TA, TA}},
        {"redo from the oldest row", {B, B, B}, markRedo, 20, 2, {TA, TA, B}},
        {"redo below the undone rows", {A, A, B}, markRedo, 10, -2, {}},
        {"redo on an older row when nothing is undone", {A, A, A}, markRedo, 10, -2, {}},
        {"redo on the newest row when it is applied", {A, A, A}, markRedo, 30, -2, {}},
        {"redo under undo marks left by a crash", {A, TB, B}, markRedo, 30, -1, {}},
        {"redo above an unfinished row", {"ACT", A, B}, markRedo, 30, 1, {"ACT", A, TA}},
        {"redo of a row not in the journal", {A, B}, markRedo, 25, -1, {}},
        {"cancel of a whole undo block", {A, TB, TB}, cancelUndo, 20, 2, {A, A, A}},
        {"cancel after a stopped undo run", {A, TB, B}, cancelUndo, 20, 1, {A, A, B}},
        {"cancel after a refused undo marking", {A, A, TB}, cancelUndo, 10, 0, {}},
        {"cancel of a whole redo block", {A, TA, TA}, cancelRedo, 30, 2, {A, B, B}},
        {"cancel after a stopped redo run", {A, A, TA, TA}, cancelRedo, 40, 2, {A, A, B, B}},
        {"cancel after a refused redo marking", {A, TB, B}, cancelRedo, 30, 0, {}},
        {"cancel of redo below the block", {A, A, TA}, cancelRedo, 10, -2, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ClearRows(dm.TablejTrans, {});
        AddJournal(c.before);
        EXPECT_EQ(c.operation(c.nTrans), c.result);
        EXPECT_EQ(Statuses(), c.after.empty() ? c.before : c.after);
    }
}

TEST_F(Marks, MarkingShowsItsMarksInTheJournalViewAndIsRefusedWhileTheJournalIsBusy) {
    AddJournal({"APPLY", "APPLY"});
    dm.TablejTrans.Last();
    EXPECT_EQ(MarkUndo(10), 2);
    EXPECT_EQ(dm.TablejTrans.FieldByName("Status").AsString(), "TOBACK");

    const TJournalGuard busy;
    for (const auto& operation : {MarkUndo, CancelUndoMarks, MarkRedo, CancelRedoMarks})
        EXPECT_EQ(operation(10), kJournalBusy);
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"TOBACK", "TOBACK"}));
}

// ---- Runs through kinds of the test

namespace {

// A kind whose steps are functions of the test; each step writes a Tables.db row naming itself,
// so that a rolled-back step is seen to leave nothing.
class TScriptedKind : public TTransKind {
public:
    using TScript = std::function<std::optional<int>(const TTransRow& row, bool undo)>;
    TScriptedKind(TKindKey key, TScript script)
        : TTransKind(std::move(key), {}), script_(std::move(script)) {}
    std::optional<int> Apply(TStep& step) const override { return Run(step, false); }
    std::optional<int> Undo(TStep& step) const override { return Run(step, true); }

private:
    std::optional<int> Run(const TStep& step, bool undo) const {
        AddRow("Tables.db", {{"ID", step.Row.NTrans},
                             {"NameRow", std::string(undo ? "undo " : "redo ") +
                                             std::to_string(step.Row.NTrans)}});
        return script_(step.Row, undo);
    }
    TScript script_;
};

class Runs : public OpenBudget {
protected:
    Runs() {
        previous_ = TransKinds().Add(std::make_unique<TScriptedKind>(
            TKindKey{"TEST"}, [this](const TTransRow& row, bool undo) -> std::optional<int> {
                steps.push_back(row.NTrans);
                if (const auto outcome = outcomes.find(row.NTrans); outcome != outcomes.end())
                    return outcome->second(undo);
                return undo ? 0 : row.IDObject;
            }));
    }
    ~Runs() override {
        TransKinds().Remove({"TEST"});
        if (previous_) TransKinds().Add(std::move(previous_));
    }

    // Runs the whole run; gives its result.
    static int Finish(TJournalRun run) {
        while (run.Step()) {
        }
        return run.Result();
    }
    // The names of the Tables.db rows the kept steps wrote.
    static std::vector<std::string> Written() {
        std::vector<std::string> names;
        for (const TFieldValue& name : Column("Tables.db", "NameRow", {}, ""))
            names.push_back(name.Text());
        return names;
    }

    std::vector<int> steps;  // the rows whose step ran, in order
    std::map<int, std::function<std::optional<int>(bool undo)>> outcomes;  // by NTrans
    bool stop = false;

private:
    std::unique_ptr<TTransKind> previous_;
};

}  // namespace

TEST_F(Runs, ABlockRunsInItsOrderAndEachRowTakesItsFinalStatusWithTheProgress) {
    AddJournal({"APPLY", "TOBACK", "TOBACK", "TOBACK"});
    int progress = 0;
    const auto count = [&] { ++progress; };
    EXPECT_EQ(Finish(RunUndo(stop, count)), 3);
    EXPECT_EQ(steps, (std::vector<int>{40, 30, 20}));
    EXPECT_EQ(progress, 3);
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"APPLY", "BACK", "BACK", "BACK"}));

    EXPECT_EQ(MarkRedo(40), 3);
    steps.clear();
    EXPECT_EQ(Finish(RunRedo(stop, count)), 3);
    EXPECT_EQ(steps, (std::vector<int>{20, 30, 40}));
    EXPECT_EQ(progress, 6);
    EXPECT_EQ(Statuses(), (std::vector<std::string>(4, "APPLY")));
    EXPECT_EQ(Written(), (std::vector<std::string>{"undo 40", "undo 30", "undo 20", "redo 20",
                                                   "redo 30", "redo 40"}));
}

TEST_F(Runs, ABlockReachingTheOldestRowRunsDownToItAndRedoStartsWithIt) {
    AddJournal({"TOBACK", "TOBACK"});
    EXPECT_EQ(Finish(RunUndo(stop)), 2);
    EXPECT_EQ(MarkRedo(20), 2);
    EXPECT_EQ(Finish(RunRedo(stop)), 2);
    EXPECT_EQ(steps, (std::vector<int>{20, 10, 10, 20}));
}

TEST_F(Runs, NothingMarkedRunsNothing) {
    AddJournal({"APPLY", "BACK"});
    for (TJournalRun run : {RunUndo(stop), RunRedo(stop)}) {
        EXPECT_TRUE(run.Ended());
        EXPECT_FALSE(run.Step());
        EXPECT_EQ(run.Result(), 0);
    }
    EXPECT_TRUE(steps.empty());
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"APPLY", "BACK"}));
}

TEST_F(Runs, AStopEndsTheRunAfterTheStepInProgressAndTheCancelResetsTheRest) {
    AddJournal({"APPLY", "APPLY", "APPLY", "APPLY"});
    ASSERT_EQ(MarkUndo(20), 3);
    outcomes[40] = [&](bool) {
        stop = true;  // pressed during the first step
        return 0;
    };
    TJournalRun run = RunUndo(stop);
    EXPECT_FALSE(run.Step());
    EXPECT_EQ(run.Result(), 1);
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"APPLY", "TOBACK", "TOBACK", "BACK"}));
    EXPECT_EQ(CancelUndoMarks(20), 2);
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"APPLY", "APPLY", "APPLY", "BACK"}));

    // During the last step: the step completes and the run gives the full count.
    outcomes.clear();
    stop = false;
    outcomes[20] = [&](bool) {
        stop = true;
        return 20;
    };
    ASSERT_EQ(MarkUndo(20), 2);
    EXPECT_EQ(Finish(RunUndo(stop)), 2);
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"APPLY", "BACK", "BACK", "BACK"}));
}

TEST_F(Runs, AFailedStepEndsTheRunAtItsRowWhichKeepsItsMarkAndNoneOfItsWrites) {
    const struct {
        const char* what;
        std::function<std::optional<int>(bool undo)> outcome;
        bool undo;
    } cases[] = {
        {"an undo step gives a negative result", [](bool) { return -1; }, true},
        {"the kind has no undo step", [](bool) { return std::nullopt; }, true},
        {"a redo gives 0", [](bool) { return 0; }, false},
        {"a redo reports a fatal error",
         [](bool) {
             ReportFatalError(kFatalObject);
             return kFatalObject;
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ClearRows(dm.TablejTrans, {});
        ClearRows(dm.TableTables, {});
        shell.state.FatalClose = false;
        const std::string mark = c.undo ? "TOBACK" : "TOACTB", done = c.undo ? "BACK" : "APPLY";
        AddJournal({mark, mark, mark});
        outcomes = {{20, c.outcome}};
        TJournalRun run = c.undo ? RunUndo(stop) : RunRedo(stop);
        while (run.Step()) {
        }
        EXPECT_EQ(run.Result(), -20);
        const std::vector<std::string> after = c.undo ? std::vector<std::string>{mark, mark, done}
                                                      : std::vector<std::string>{done, mark, mark};
        EXPECT_EQ(Statuses(), after);
        EXPECT_EQ(Written(), std::vector<std::string>{(c.undo ? "undo 30" : "redo 10")});
    }
}

TEST_F(Runs, ARowWithoutAKindOrOutOfStepWithItsMarkFailsInsteadOfCountingAsDone) {
    const struct {
        const char* what;
        std::function<void()> journal;
        int result;
        std::vector<std::string> after;
    } cases[] = {
        {"an unknown Act",
         [] {
             AddJournal({"TOBACK", "TOBACK"}, "NOSUCH");
         },
         -20,
         {"TOBACK", "TOBACK"}},
        {"a CHANG whose kind has no undo step",
         [] {
             AddJournal({"TOBACK", "TOBACK"}, "CHANG");
         },
         -20,
         {"TOBACK", "TOBACK"}},
        {"the row lost its mark before its step",
         [this] {
             AddJournal({"TOBACK", "TOBACK"});
             outcomes[20] = [](bool) {
                 TBudgetTable trans("jTrans", true, Where("NTrans") == 10, "Index_NTrans");
                 trans.Edit();
                 trans.FieldByName("Status").SetAsString("APPLY");
                 trans.Post();
                 return 0;
             };
         },
         -10,
         {"APPLY", "BACK"}},
    };
    std::unique_ptr<TTransKind> previous =
        TransKinds().Add(std::make_unique<TTransKind>(TKindKey{"CHANG", 20}, TStepData{}));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ClearRows(dm.TablejTrans, {});
        outcomes.clear();
        c.journal();
        TJournalRun run = RunUndo(stop);
        while (run.Step()) {
        }
        EXPECT_EQ(run.Result(), c.result);
        EXPECT_EQ(Statuses(), c.after);
    }
    TransKinds().Remove({"CHANG", 20});
    if (previous) TransKinds().Add(std::move(previous));
}

TEST_F(Runs, AStepRefusedWhileTheJournalIsBusyOrAfterAFatalReportFailsWithoutRunning) {
    AddJournal({"TOBACK"});
    {
        const TJournalGuard busy;
        TJournalRun run = RunUndo(stop);
        EXPECT_FALSE(run.Step());
        EXPECT_EQ(run.Result(), -10);
    }
    shell.state.FatalClose = true;
    TJournalRun run = RunUndo(stop);
    EXPECT_FALSE(run.Step());
    EXPECT_EQ(run.Result(), -10);
    EXPECT_TRUE(steps.empty());
    EXPECT_EQ(StatusOf(10), "TOBACK");
}

TEST_F(Runs, AStepThatThrowsIsRolledBackAndEndsTheRunAtItsRow) {
    AddJournal({"TOBACK", "TOBACK"});
    outcomes[20] = [](bool) -> std::optional<int> {
        throw EDatabaseError("tables.sqlite", "disk full");
    };
    TJournalRun run = RunUndo(stop);
    EXPECT_THROW(run.Step(), EDatabaseError);
    EXPECT_TRUE(run.Ended());
    EXPECT_EQ(run.Result(), -20);
    EXPECT_TRUE(Written().empty());
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"TOBACK", "TOBACK"}));
}

TEST_F(Runs, TheMarksACrashLeftGoBackWhenTheBudgetIsOpened) {
    AddJournal({"ACT", "APPLY", "TOBACK", "BACK", "TOACTB", "PREP"});
    dm.OpenBudget(budget);
    EXPECT_EQ(Statuses(),
              (std::vector<std::string>{"ACT", "APPLY", "APPLY", "BACK", "BACK", "PREP"}));
    EXPECT_EQ(ResetStaleMarks(budget), 0);
}

// Mend: a transaction whose application rolled back stayed "ACT" and refused the undo of every
// older one. A kind that keeps all its writes in its step changed nothing then: at the opening
// the newest such row becomes undone, an older one goes with its parts and folder; a row of a
// kind that writes outside its step stays "ACT".
TEST_F(Runs, ARolledBackApplicationCountsAsNotAppliedAtTheOpening) {
    TransKinds().Add(
        std::make_unique<TTransKind>(TKindKey{"WHOLE"}, TStepData{.WholeInStep = true}));
    const struct {
        const char* what;
        const char* act;
        std::vector<std::string> statuses, settled;
        int undone;  // rows that MarkUndo(10) marks
    } cases[] = {
        {"the newest row", "WHOLE", {"APPLY", "ACT"}, {"APPLY", "BACK"}, 1},
        {"below rows applied later", "WHOLE", {"APPLY", "ACT", "APPLY"}, {"APPLY", "APPLY"}, 2},
        {"below an undone row", "WHOLE", {"APPLY", "ACT", "BACK"}, {"APPLY", "BACK"}, 1},
        {"writes outside its step", "TEST", {"APPLY", "ACT"}, {"APPLY", "ACT"}, kMarkRefused},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        {
            TBudgetTable trans("jTrans", true, {}, "Index_NTrans");
            DeleteAllRows(trans);
        }
        AddJournal(c.statuses, c.act);
        AddRow("jTrInteger", {{"NTrans", 20}, {"NPart", 1}, {"Value", 7}});
        std::filesystem::create_directories(TransFolder(20));
        const bool kept = c.settled.size() == c.statuses.size();
        dm.OpenBudget(budget);
        EXPECT_EQ(Statuses(), c.settled);
        EXPECT_EQ(CountRows("jTrInteger", Where("NTrans") == 20), kept ? 1 : 0);
        EXPECT_EQ(std::filesystem::exists(TransFolder(20)), kept);
        EXPECT_EQ(MarkUndo(10), c.undone);
        CancelUndoMarks(10);
        {
            TBudgetTable parts("jTrInteger", true);
            DeleteAllRows(parts);
        }
    }
    TransKinds().Remove({"WHOLE"});
}

// Mend: a row left "READY" by a kill between its preparation and its application stayed for
// good and refused the undo of every older one. At the opening it is settled like a rolled-back
// application, after its kind took back its preparation: the newest becomes undone when its
// preparation is whole for a redo, else it goes with its parts and folder; a row whose
// preparation could not be taken back whole stays as it was.
TEST_F(Runs, ARowLeftReadyIsSettledAtTheOpeningAfterItsPreparationIsTakenBack) {
    class TPreparedKind : public TTransKind {
    public:
        TPreparedKind(const char* act, TPreparationLeft left)
            : TTransKind({act}, {.WholeInStep = true}), left_(left) {}
        TPreparationLeft TakeBackPreparation(const std::string&, const TTransRow&) const override {
            ++takenBack;
            return left_;
        }
        mutable int takenBack = 0;

    private:
        TPreparationLeft left_;
    };
    const struct {
        const char* what;
        TPreparationLeft left;
        std::vector<std::string> statuses, settled;
        int undone;  // rows that MarkUndo(10) marks
    } cases[] = {
        {"newest, whole for a redo", TPreparationLeft::Redoable, {"APPLY", "READY"},
         {"APPLY", "BACK"}, 1},
        {"below an applied row", TPreparationLeft::Redoable, {"APPLY", "READY", "APPLY"},
         {"APPLY", "APPLY"}, 2},
        {"newest, taken back", TPreparationLeft::TakenBack, {"APPLY", "READY"}, {"APPLY"}, 1},
        {"acting, taken back", TPreparationLeft::TakenBack, {"APPLY", "ACT"}, {"APPLY"}, 1},
        {"not taken back whole", TPreparationLeft::Kept, {"APPLY", "READY"}, {"APPLY", "READY"},
         kMarkRefused},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto kind = std::make_unique<TPreparedKind>("PREPARED", c.left);
        const TPreparedKind& registered = *kind;
        TransKinds().Add(std::move(kind));
        {
            TBudgetTable trans("jTrans", true, {}, "Index_NTrans");
            DeleteAllRows(trans);
        }
        AddJournal(c.statuses, "PREPARED");
        std::filesystem::create_directories(TransFolder(20));
        const bool kept = c.settled.size() == c.statuses.size();
        dm.OpenBudget(budget);
        EXPECT_EQ(registered.takenBack, 1);
        EXPECT_EQ(Statuses(), c.settled);
        EXPECT_EQ(std::filesystem::exists(TransFolder(20)), kept);
        EXPECT_EQ(MarkUndo(10), c.undone);
        CancelUndoMarks(10);
        TransKinds().Remove({"PREPARED"});
    }
}

// The opening removes exactly the album and collection folders that no object of their type has
// (a kill left them); the folders of the objects and every other entry stay as they are.
TEST_F(Marks, TheOpeningRemovesTheObjectFoldersThatNoObjectHas) {
    namespace fs = std::filesystem;
    AddRow("Objects", {{"ID", 5}, {"IDParent", 0}, {"Type", 30}, {"Name", "album"}});
    AddRow("Objects", {{"ID", 6}, {"IDParent", 0}, {"Type", 40}, {"Name", "collection"}});
    AddRow("Objects", {{"ID", 7}, {"IDParent", 0}, {"Type", 20}, {"Name", "table"}});
    const fs::path outside = fs::path(budget).parent_path() / "outside";
    fs::create_directories(outside);
    enum TEntry { Folder, File, Link };
    const struct {
        const char* path;
        TEntry entry;
        bool stays;
    } cases[] = {
        {"Images/IMG5", Folder, true},            // album 5's
        {"Files/DIR6", Folder, true},             // collection 6's
        {"Images/IMG6", Folder, false},           // 6 is a collection
        {"Files/DIR5", Folder, false},            // 5 is an album
        {"Files/DIR7", Folder, false},            // 7 is a table
        {"Images/IMG8", Folder, false},           // no object 8
        {"Images/IMG05", Folder, true},           // no ID has a leading zero
        {"Images/IMG8x", Folder, true},           // not an ID at the end
        {"Images/IMG", Folder, true},             // no ID
        {"Images/123", Folder, true},             // no prefix
        {"Images/IMG12345678901", Folder, true},  // beyond every ID
        {"Images/mini", Folder, true},            // Images' own
        {"Images/tmpload", Folder, true},         // Images' own
        {"Files/DIR10", File, true},              // a file
        {"Files/DIR11", Link, true},              // a link to a folder
    };
    for (const auto& c : cases) {
        const fs::path path = fs::path(budget) / c.path;
        fs::create_directories(path.parent_path());
        if (c.entry == Link) {
            fs::create_directory_symlink(outside, path);
        } else {
            if (c.entry == Folder) fs::create_directories(path / "sub");
            std::ofstream(c.entry == Folder ? path / "sub/file" : path) << "kept?";
        }
    }
    dm.OpenBudget(budget);
    for (const auto& c : cases)
        EXPECT_EQ(fs::exists(fs::symlink_status(fs::path(budget) / c.path)), c.stays) << c.path;
    EXPECT_TRUE(fs::is_directory(outside));
    EXPECT_EQ(RemoveUnnamedObjectFolders(budget), 0);
}

// A run killed in the middle of a step leaves whole steps only: the steps before it done with
// their status, the step in progress without a trace and its row marked, a sound tables file;
// the next opening of the budget puts the marks back.
TEST(UndoAtomicity, AProcessKilledDuringAStepLeavesWholeStepsAndTheOpeningMendsTheMarks) {
    TestFolders folders;
    const std::string budget = folders.MakeBudget();
    {
        FakeShellServices shell(folders.UsersDataPath());
        TDM dm;
        OpenBudgetIn(shell, dm, folders, budget);
        AddJournal({"APPLY", "TOBACK", "TOBACK", "TOBACK", "TOBACK"});
        DM = nullptr;
    }
    KillDuring(
        [&](int ready) {
            FakeShellServices shell(folders.UsersDataPath());
            TDM dm;
            shell.state.BudgetPath = budget;
            for (TTable* table : {&dm.TablejTrans, &dm.TableTables}) {
                table->SetDatabaseName(budget);
                table->SetReadOnly(false);
                table->Open();
            }
            DM = &dm;
            TransKinds().Add(std::make_unique<TScriptedKind>(
                TKindKey{"TEST"}, [&](const TTransRow& row, bool) -> std::optional<int> {
                    if (row.NTrans == 30) {
                        for (int i = 0; i < 1000; ++i) AddRow("Tables.db", {{"ID", 1}});
                        Ready(ready);
                        pause();
                    }
                    return 0;
                }));
            bool stop = false;
            TJournalRun run = RunUndo(stop);
            while (run.Step()) {
            }
        },
        std::chrono::milliseconds(20));

    EXPECT_EQ(IntegrityOf(budget), "ok");
    FakeShellServices shell(folders.UsersDataPath());
    TDM dm;
    shell.state.BudgetPath = budget;
    {
        TTable trans;
        trans.SetDatabaseName(budget);
        trans.SetTableName("jTrans");
        trans.SetIndexName("Index_NTrans");
        trans.Open();
        std::vector<std::string> statuses;
        for (; !trans.Eof(); trans.Next())
            statuses.push_back(trans.FieldByName("Status").AsString());
        EXPECT_EQ(statuses,
                  (std::vector<std::string>{"APPLY", "TOBACK", "TOBACK", "BACK", "BACK"}));
    }
    OpenBudgetIn(shell, dm, folders, budget);
    EXPECT_EQ(Column("Tables.db", "NameRow", {}, ""),
              (std::vector<TFieldValue>{"undo 50", "undo 40"}));
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"APPLY", "APPLY", "APPLY", "BACK", "BACK"}));
    DM = nullptr;
}
