// The journal: number allocators, the preparer protocol and the part reader, applying a
// transaction through its kind with its statuses, fatal reports and atomic application, files
// in step with the store transaction, the purge of undone transactions, and the refusal of a
// second journal operation in the middle of one.
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "common/ChildProcess.h"
#include "common/OpenBudget.h"
#include "common/UndeletableFile.h"
#include "store/TransKind.h"
#include "store/Utransactions.h"
#include "store/Utransactions_undo.h"

namespace fs = std::filesystem;

namespace {

// A kind whose Apply is a function of the test.
class TFakeKind : public TTransKind {
public:
    TFakeKind(TKindKey key, std::function<int(TStep& step)> apply, TStepData steps = {})
        : TTransKind(std::move(key), steps), apply_(std::move(apply)) {}
    std::optional<int> Apply(TStep& step) const override { return apply_(step); }

private:
    std::function<int(TStep& step)> apply_;
};

// Registers a fake kind for one test (a kind without an Apply when no function is given); the
// kind it replaced comes back afterwards.
class ScopedKind {
public:
    explicit ScopedKind(TKindKey key, std::function<int(TStep& step)> apply = {},
                        TStepData steps = {})
        : key_(std::move(key)) {
        previous_ = TransKinds().Add(
            apply ? std::make_unique<TFakeKind>(key_, std::move(apply), steps)
                  : std::make_unique<TTransKind>(key_, steps));
    }
    ~ScopedKind() {
        TransKinds().Remove(key_);
        if (previous_) TransKinds().Add(std::move(previous_));
    }
    ScopedKind(const ScopedKind&) = delete;
    ScopedKind& operator=(const ScopedKind&) = delete;

private:
    TKindKey key_;
    std::unique_ptr<TTransKind> previous_;
};

// A transaction of the kinds the tests apply, prepared and "READY": a renaming of object 5 to
// the name given, with the parts of a renaming (new and old icon, new description, old name
// and description).
int PrepareRename(std::string_view name = "Rent", std::string_view act = "TEST", int type = 20) {
    TTransWriter writer(act, 5, type, name);
    writer.AddInt(7);
    writer.AddInt(3);
    writer.AddText("new description");
    writer.AddText("old name");
    writer.AddText("old description");
    return writer.Ready();
}

// A journal row with its status as given (the way an undo run leaves rows), one part of each
// kind and, when asked, a folder with a file.
void AddTransaction(int nTrans, std::string_view status, bool folder = false) {
    AddRow("jTrans", {{"NTrans", nTrans}, {"Act", "TEST"}, {"Status", status}});
    AddRow("jTrInteger", {{"NTrans", nTrans}, {"NPart", 1}, {"Value", nTrans}});
    AddRow("jTrText", {{"NTrans", nTrans}, {"NPart", 1}, {"Value", "t"}});
    AddRow("jTrDate", {{"NTrans", nTrans}, {"NPart", 1}, {"Value", 45000.0}});
    if (folder) {
        fs::create_directories(TransFolder(nTrans) + "/mini");
        std::ofstream(TransFolder(nTrans) + "/mini/picture.bmp") << "bmp";
    }
}

std::string StatusOf(int nTrans) {
    const auto status = Column("jTrans", "Status", Where("NTrans") == nTrans, "Index_NTrans");
    return status.empty() ? "(none)" : status[0].Text();
}

std::vector<TFieldValue> Transactions() {
    return Column("jTrans", "NTrans", {}, "Index_NTrans");
}

// The test applier's change: a Tables.db row of object 5 with a name.
void WriteTableRow(const std::string& name) {
    AddRow("Tables.db", {{"ID", 5}, {"NRow", 1}, {"NameRow", name}});
}

class Journal : public OpenBudget {};

}  // namespace

// ---- Numbers

TEST_F(Journal, NumbersStartAtOneAndFollowTheLargestWhateverFilterTheSharedTablesHold) {
    EXPECT_EQ(NextTransNumber(), 1);
    EXPECT_EQ(NextObjectId(), 11);  // the budget's calendar and journal nodes are 9 and 10
    EXPECT_EQ(NextAlgorithmId(), 1);

    for (int n : {1, 2, 3}) AddTransaction(n, "APPLY");
    AddRow("Objects.db", {{"ID", 57}, {"IDParent", 0}, {"Type", 10}});
    AddRow("Algorithms.db", {{"ID", 12}});
    const TFilter leftover = Where("ID") == 9;
    for (TTable* table : {&dm.TableObjects, &dm.TableAlgorithms}) {
        table->SetFilter(leftover);
        table->SetFiltered(true);
    }
    dm.TablejTrans.SetFilter(Where("NTrans") == 1);
    dm.TablejTrans.SetFiltered(true);

    EXPECT_EQ(NextTransNumber(), 4);
    EXPECT_EQ(NextObjectId(), 58);
    EXPECT_EQ(NextAlgorithmId(), 13);
    for (TTable* table : {&dm.TableObjects, &dm.TableAlgorithms}) {
        EXPECT_TRUE(table->Filtered());
        EXPECT_EQ(table->Filter(), leftover);
    }

    // IDs come back only from the top: a deleted 58 is given again, a deleted 30 is not.
    AddRow("Objects.db", {{"ID", 30}});
    EXPECT_EQ(NextObjectId(), 58);
}

TEST_F(Journal, AManualEventTakesTheNextNumberAmongTheManualEventsOfItsPayAndDay) {
    const TDateTime day = EncodeDate(2024, 3, 10);
    const auto event = [](int pay, TDateTime date, const char* type, int idCharge, int number) {
        AddRow("PayHistory.db", {{"ID", pay},
                                 {"DateEvent", date},
                                 {"TypeEvent", type},
                                 {"IDCharge", idCharge},
                                 {"NManOper", number}});
    };
    event(61, day, "CH", 4, 9);  // an automatic charge
    EXPECT_EQ(NextManOperNumber(61, day), 1);

    event(61, day, "PY", 0, 1);
    event(61, day, "CH", 0, 3);
    event(61, day + 1, "PY", 0, 8);  // another day
    event(62, day, "CN", 0, 9);      // another pay
    EXPECT_EQ(NextManOperNumber(61, day), 4);
    event(61, day, "CN", 0, 5);  // counter readings count
    EXPECT_EQ(NextManOperNumber(61, day + 0.75), 6);
}

// ---- Preparing and reading

TEST_F(Journal, APreparedTransactionIsReadyWithItsRowAndItsPartsNumberedPerTable) {
    TTransWriter writer("REN", 5, 20, "Rent");
    EXPECT_EQ(writer.NTrans(), 1);
    writer.AddInt(7);
    writer.AddText("one");
    writer.AddDate(45000.0);
    writer.AddText("two");
    writer.AddInt(-3);
    EXPECT_EQ(writer.IntCount(), 2);
    EXPECT_EQ(writer.TextCount(), 2);
    EXPECT_EQ(writer.DateCount(), 1);
    EXPECT_EQ(StatusOf(1), "PREP");
    EXPECT_EQ(writer.Ready(), 1);

    TBudgetTable row("jTrans", false, Where("NTrans") == 1, "Index_NTrans");
    EXPECT_EQ(row.FieldByName("Act").AsString(), "REN");
    EXPECT_EQ(row.FieldByName("Status").AsString(), "READY");
    EXPECT_EQ(row.FieldByName("Date").AsDateTime(), Today());
    EXPECT_LE(row.FieldByName("Time").AsDateTime(), TimeNow());
    EXPECT_EQ(row.FieldByName("IDObject").AsInteger(), 5);
    EXPECT_EQ(row.FieldByName("Type").AsInteger(), 20);
    EXPECT_EQ(row.FieldByName("NameObject").AsString(), "Rent");
    EXPECT_EQ(Column("jTrInteger", "NPart", Where("NTrans") == 1),
              (std::vector<TFieldValue>{1, 2}));

    TTransReader reader(1);
    EXPECT_EQ(reader.Int(1), 7);
    EXPECT_EQ(reader.Int(2), -3);
    EXPECT_EQ(reader.Text(2), "two");
    EXPECT_EQ(reader.Date(1), 45000.0);
    EXPECT_EQ(reader.Int(3), std::nullopt);
    EXPECT_EQ(reader.Date(2), std::nullopt);
    EXPECT_EQ(TTransReader(2).Text(1), std::nullopt);
}

TEST_F(Journal, StreamsReadEachTableInPartOrderAndTellAReadPastTheEnd) {
    // Two transactions whose parts lie mixed in the tables; the streams of the second one mix
    // the three tables as an applier reads a block (a text, two integers, a date, a text).
    {
        TTransWriter first("TEST", 1, 20, "first");
        first.AddText("not mine");
        first.Ready();
    }
    TTransWriter writer("TEST", 2, 20, "second");
    for (int i = 1; i <= 3; ++i) {
        writer.AddText("T" + std::to_string(i));
        writer.AddInt(10 * i);
        writer.AddInt(10 * i + 1);
        writer.AddDate(45000.0 + i);
    }
    const int nTrans = writer.Ready();
    {
        TTransWriter third("TEST", 3, 20, "third");
        third.AddInt(99);
        third.Ready();
    }

    TTransReader reader(nTrans);
    TPartStream texts = reader.Texts(), ints = reader.Ints(), dates = reader.Dates();
    std::vector<std::string> read;
    while (!texts.AtEnd()) {
        read.push_back(texts.ReadText());
        const int first = ints.ReadInt();
        read.push_back(std::to_string(first) + "," + std::to_string(ints.ReadInt()));
        read.push_back(std::to_string(dates.ReadDate()));
    }
    EXPECT_EQ(read, (std::vector<std::string>{"T1", "10,11", "45001.000000", "T2", "20,21",
                                              "45002.000000", "T3", "30,31", "45003.000000"}));
    EXPECT_FALSE(texts.Missed() || ints.Missed() || dates.Missed());
    EXPECT_TRUE(ints.AtEnd());
    EXPECT_EQ(ints.ReadInt(), 0);
    EXPECT_TRUE(ints.Missed());

    // From a part on, and skipping parts.
    TPartStream fromFifth = reader.Ints(5);
    EXPECT_EQ(fromFifth.ReadInt(), 30);
    TPartStream skipping = reader.Texts();
    skipping.Skip(2);
    EXPECT_EQ(skipping.ReadText(), "T3");
    skipping.Skip(5);
    EXPECT_EQ(skipping.ReadText(), "");
    EXPECT_TRUE(skipping.Missed());

    // The reader leaves the data module's part tables alone.
    EXPECT_FALSE(dm.TablejTrText.Filtered());
}

TEST_F(Journal, APreparationThatIsNotFinishedLeavesNothingBehind) {
    {
        TTransWriter writer("TEST", 5, 20, "Rent");
        writer.AddInt(1);
        writer.AddText("half");
        std::ofstream(writer.MakeFolder() + "/picture.jpg") << "jpg";
    }
    EXPECT_FALSE(fs::exists(TransFolder(1)));
    EXPECT_TRUE(Transactions().empty());
    EXPECT_EQ(CountRows("jTrInteger") + CountRows("jTrText"), 0);
    EXPECT_EQ(PrepareRename(), 1);
}

TEST_F(Journal, ATransactionFolderIsMadeForTheFilesOrItsFailureIsFatal) {
    {
        TTransWriter writer("TEST", 5, 30, "Album");
        const std::string folder = writer.MakeFolder();
        EXPECT_EQ(folder, budget + "/jTrFiles/1");
        EXPECT_TRUE(fs::is_directory(folder));
        writer.Ready();
    }
    std::ofstream(budget + "/jTrFiles/2") << "a file in the way";
    TTransWriter writer("TEST", 5, 30, "Album");
    EXPECT_EQ(writer.MakeFolder(), "");
    EXPECT_EQ(shell.fatalErrors, std::vector<int>{-2});
    // The report names the failure itself, not whatever errno held by then.
    EXPECT_EQ(shell.fatalCauses,
              std::vector<std::error_code>{std::make_error_code(std::errc::not_a_directory)});
}

// Mend: a number handed out again (its first preparation rolled back, or the purge could not
// delete its folder) found the old folder's files and took them as its own.
TEST_F(Journal, AFreshTransactionsFolderIsEmptyWhateverAnOlderOneOfItsNumberHeld) {
    fs::create_directories(budget + "/jTrFiles/1/mini");
    std::ofstream(budget + "/jTrFiles/1/old.jpg") << "old";
    std::ofstream(budget + "/jTrFiles/1/mini/old.bmp") << "old";
    TTransWriter writer("TEST", 5, 30, "Album");
    const std::string folder = writer.MakeFolder();
    EXPECT_EQ(folder, budget + "/jTrFiles/1");
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_TRUE(shell.fatalErrors.empty());
}

// Mend: the preparer protocol went on to apply a transaction whose row was gone or whose
// preparation had reported a fatal error; Ready now gives no number and drops the preparation.
TEST_F(Journal, APreparationWhoseRowIsGoneOrThatReportedAFatalErrorIsNotMadeReady) {
    {
        TTransWriter writer("TEST", 5, 20, "Rent");
        writer.AddInt(1);
        {
            TBudgetTable rows("jTrans", true, {}, "Index_NTrans");
            DeleteAllRows(rows);
        }
        EXPECT_EQ(writer.Ready(), 0);
        EXPECT_EQ(shell.closeRequests, 1);
    }
    EXPECT_EQ(CountRows("jTrInteger"), 0);

    fs::create_directories(budget + "/jTrFiles");
    std::ofstream(budget + "/jTrFiles/1") << "a file in the way";
    {
        TTransWriter writer("TEST", 5, 30, "Album");
        writer.AddInt(1);
        EXPECT_EQ(writer.MakeFolder(), "");
        EXPECT_EQ(writer.Ready(), 0);
    }
    EXPECT_TRUE(Transactions().empty());
    EXPECT_EQ(CountRows("jTrInteger"), 0);
}

// ---- Applying

TEST_F(Journal, AnAppliedTransactionGoesFromReadyThroughActToApply) {
    std::vector<std::string> seen;
    const ScopedKind applier({"TEST", kAnyType}, [&](TStep& step) {
        const TTransRow& row = step.Row;
        seen.push_back(row.Act + " " + std::to_string(row.NTrans) + " " +
                       std::to_string(row.IDObject) + " " + std::to_string(row.Type) + " " +
                       row.NameObject + " " + StatusOf(row.NTrans));
        WriteTableRow("applied");
        return 42;
    });
    const int nTrans = PrepareRename("Rent");
    EXPECT_EQ(StatusOf(nTrans), "READY");
    EXPECT_EQ(ApplyTransaction(nTrans), 42);
    EXPECT_EQ(seen, std::vector<std::string>{"TEST 1 5 20 Rent ACT"});
    EXPECT_EQ(StatusOf(nTrans), "APPLY");
    EXPECT_EQ(CountRows("Tables.db"), 1);
    EXPECT_TRUE(shell.fatalTexts.empty());
}

TEST_F(Journal, TheKindIsChosenByActAndTypeByTheCodeInTheFirstIntegerPartOrByActForEveryType) {
    std::vector<std::string> calls;
    const auto recording = [&calls](std::string name) {
        return [&calls, name](TStep&) {
            calls.push_back(name);
            return 1;
        };
    };
    const ScopedKind any({"TEST", kAnyType}, recording("any"));
    const ScopedKind thirty({"TEST", 30}, recording("30"));
    const ScopedKind code7({"TEST", 60, 7}, recording("60 with code 7"));
    ApplyTransaction(PrepareRename("a", "TEST", 30));
    ApplyTransaction(PrepareRename("b", "TEST", 20));
    ApplyTransaction(PrepareRename("c", "TEST", 60));  // its I1 is 7
    EXPECT_EQ(calls, (std::vector<std::string>{"30", "any", "60 with code 7"}));
}

TEST_F(Journal, EveryFatalPathShowsItsTextAndLeavesTheRowAsTheSpecifiedStatus) {
    const ScopedKind change({"CHANG", 20}, [](TStep&) { return 1; });
    const ScopedKind missing({"MISSING", kAnyType}, [](TStep&) {
        WriteTableRow("half");
        ReportFatalError(kFatalObject);
        return kFatalObject;
    });
    const ScopedKind noCode({"NOCODE", kAnyType}, [](TStep&) {
        WriteTableRow("half");
        return -10;
    });
    const ScopedKind notYet({"NOTYET", kAnyType});
    const ScopedKind coded({"CODED", 60, 6022}, [](TStep&) { return 1; });
    const struct {
        const char* what;
        std::function<int()> transaction;  // prepares it and gives its number
        int result;
        const char* text;
        const char* status;
    } cases[] = {
        {"no such row", [] { return 77; }, -1, "FATAL : Incorrect identifier of transaction",
         "(none)"},
        {"applied twice",
         [] {
             const int n = PrepareRename("x", "CHANG", 20);
             ApplyTransaction(n);
             return n;
         },
         -2, "FATAL ERROR: Incorrect status of transaction", "APPLY"},
        {"still being prepared",
         [] {
             AddRow("jTrans",
                    {{"NTrans", NextTransNumber()}, {"Act", "CHANG"}, {"Status", "PREP"}});
             return NextTransNumber() - 1;
         },
         -2, "FATAL ERROR: Incorrect status of transaction", "PREP"},
        {"a change of a file collection", [] { return PrepareRename("x", "CHANG", 40); }, 0,
         "FATAL ERROR: Unknown error", "ACT"},
        {"a change of a folder", [] { return PrepareRename("x", "CHANG", 10); }, 0,
         "FATAL ERROR: Unknown error", "ACT"},
        {"an unknown act", [] { return PrepareRename("x", "UNKNOWN", 20); }, 0,
         "FATAL ERROR: Unknown error", "ACT"},
        {"a kind without its applier yet", [] { return PrepareRename("x", "NOTYET", 20); }, 0,
         "FATAL ERROR: Unknown error", "ACT"},
        {"a change code without a kind", [] { return PrepareRename("x", "CODED", 60); }, 0,
         "FATAL ERROR: Unknown error", "ACT"},
        {"no change code",
         [] {
             TTransWriter writer("CODED", 5, 60, "x");
             writer.AddText("a text only");
             return writer.Ready();
         },
         0, "FATAL ERROR: Unknown error", "ACT"},
        {"the applier reported", [] { return PrepareRename("x", "MISSING", 20); }, -3,
         "FATAL ERROR: The object with such identifier is not found", "ACT"},
        {"the applier failed without a report", [] { return PrepareRename("x", "NOCODE", 20); },
         -10, "FATAL ERROR: Unknown error", "ACT"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        shell.fatalTexts.clear();
        shell.state.FatalClose = false;
        const int nTrans = c.transaction();
        EXPECT_EQ(ApplyTransaction(nTrans), c.result);
        EXPECT_EQ(shell.fatalTexts, std::vector<std::string>{c.text});  // reported once
        EXPECT_EQ(StatusOf(nTrans), c.status);
        EXPECT_EQ(CountRows("Tables.db"), 0);  // a failed applier's writes are rolled back
    }
}

TEST_F(Journal, FatalTextsByCode) {
    const std::pair<int, const char*> texts[] = {
        {-1, "FATAL : Incorrect identifier of transaction"},
        {-2, "FATAL ERROR: Incorrect status of transaction"},
        {-3, "FATAL ERROR: The object with such identifier is not found"},
        {-4, "FATAL ERROR: It is impossible to create a folder"},
        {0, "FATAL ERROR: Unknown error"},
        {-10, "FATAL ERROR: Unknown error"},
    };
    for (const auto& [code, text] : texts) {
        ReportFatalError(code);
        EXPECT_EQ(shell.fatalTexts.back(), text);
    }
    EXPECT_TRUE(shell.FatalClose());
}

// An applier that throws leaves none of its writes. A kind whose writes all lie in its step
// thereby changed nothing: its row is undone at once, so that the change before it can still be
// undone (it stayed "ACT" and refused that undo until the budget was opened again). A kind that
// writes outside its step keeps its row "ACT".
TEST_F(Journal, AnApplierThatThrowsLeavesNoneOfItsWritesAndItsRowAsItsKindAllows) {
    const ScopedKind before({"CHANG", 20}, [](TStep&) { return 1; });
    const auto throws = [](TStep&) -> int {
        WriteTableRow("half");
        throw EDatabaseError("tables.sqlite", "disk full");
    };
    const struct {
        bool wholeInStep;
        const char* status;
        int undoOfTheChangeBefore;  // what MarkUndo on the change before gives
    } cases[] = {{true, "BACK", 1}, {false, "ACT", kMarkRefused}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.wholeInStep ? "whole in its step" : "writes outside its step");
        const ScopedKind applier({"TEST", kAnyType}, throws, {.WholeInStep = c.wholeInStep});
        const int changeBefore = PrepareRename("before", "CHANG", 20);
        ASSERT_EQ(ApplyTransaction(changeBefore), 1);
        const int nTrans = PrepareRename();
        EXPECT_THROW(ApplyTransaction(nTrans), EDatabaseError);
        EXPECT_EQ(StatusOf(nTrans), c.status);
        EXPECT_EQ(CountRows("Tables.db"), 0);
        dm.TableTables.Refresh();
        EXPECT_TRUE(dm.TableTables.IsEmpty());
        EXPECT_EQ(MarkUndo(changeBefore), c.undoOfTheChangeBefore);
        CancelUndoMarks(changeBefore);
    }
}

TEST(JournalAtomicity, AProcessKilledDuringItsApplierLeavesTheTablesAsBeforeTheApplier) {
    TestFolders folders;
    const std::string budget = folders.MakeBudget();
    const auto open = [&](FakeShellServices& shell, TDM& dm) {
        shell.state.BudgetPath = budget;
        for (TTable* table : {&dm.TablejTrans, &dm.TableTables}) {
            table->SetDatabaseName(budget);
            table->SetReadOnly(false);
            table->Open();
        }
        DM = &dm;
    };
    KillDuring(
        [&](int ready) {
            FakeShellServices shell(folders.UsersDataPath());
            TDM dm;
            open(shell, dm);
            ScopedKind applier({"TEST", kAnyType}, [&](TStep&) {
                for (int i = 0; i < 2000; ++i) WriteTableRow("never kept");
                Ready(ready);
                pause();
                return 1;
            });
            ApplyTransaction(PrepareRename());
        },
        std::chrono::milliseconds(20));

    FakeShellServices shell(folders.UsersDataPath());
    TDM dm;
    open(shell, dm);
    EXPECT_EQ(StatusOf(1), "ACT");
    EXPECT_EQ(CountRows("Tables.db"), 0);
    EXPECT_EQ(IntegrityOf(budget), "ok");
    DM = nullptr;
}

// ---- Files in step with the store transaction

TEST_F(Journal, AnApplierThatFailsLeavesNoFileItCreatedAndDeletesOrReplacesNothingItAskedFor) {
    const std::string album = budget + "/Images/IMG5", note = budget + "/Files/note.txt";
    const std::string oldFolder = budget + "/Files/DIR7", oldFile = budget + "/Files/old.txt";
    const std::string replaced = budget + "/Files/kept.jpg", source = budget + "/Files/new.jpg";
    const struct {
        const char* what;
        std::function<int()> outcome;  // of the applier, after its files
        bool applied;
    } cases[] = {
        {"succeeds", [] { return 5; }, true},
        {"fails", [] { return 0; }, false},
        {"reports a fatal error",
         [] {
             ReportFatalError(kFatalObject);
             return kFatalObject;
         },
         false},
        {"throws", []() -> int { throw EDatabaseError("tables.sqlite", "disk full"); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::create_directories(oldFolder);
        std::ofstream(oldFolder + "/kept.txt") << "kept";
        std::ofstream(oldFile) << "old";
        std::ofstream(replaced) << "old";
        std::ofstream(source) << "new";
        const ScopedKind applier({"TEST", kAnyType}, [&](TStep& step) {
            step.Files.ReplaceAfterCommit(source, replaced);
            fs::create_directories(album + "/mini");
            step.Files.CreatedFolder(album);
            std::ofstream(album + "/mini/picture.bmp") << "bmp";
            std::ofstream(note) << "note";
            step.Files.CreatedFile(note);
            step.Files.DeleteAfterCommit(oldFolder);
            step.Files.DeleteAfterCommit(oldFile);
            return c.outcome();
        });
        // The journal view is refreshed before each commit and after a rollback: the deletions
        // have not happened by then.
        std::vector<bool> keptAtRefresh;
        const int view = dm.TablejTrans.AddDataChangeHandler([&](TTable&, const TField*) {
            keptAtRefresh.push_back(fs::exists(oldFolder) && fs::exists(oldFile));
        });
        try {
            EXPECT_EQ(ApplyTransaction(PrepareRename()) > 0, c.applied);
        } catch (const EDatabaseError&) {
            EXPECT_FALSE(c.applied);
        }
        dm.TablejTrans.RemoveDataChangeHandler(view);

        EXPECT_EQ(fs::exists(album), c.applied);
        EXPECT_EQ(fs::exists(note), c.applied);
        EXPECT_EQ(fs::exists(oldFolder), !c.applied);
        EXPECT_EQ(fs::exists(oldFile), !c.applied);
        std::ifstream replacedFile(replaced);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(replacedFile), {}),
                  c.applied ? "new" : "old");
        for (const fs::directory_entry& entry : fs::directory_iterator(budget + "/Files"))
            EXPECT_NE(entry.path().filename().string()[0], '.') << "a copy left beside it";
        EXPECT_FALSE(keptAtRefresh.empty());
        EXPECT_EQ(std::count(keptAtRefresh.begin(), keptAtRefresh.end(), false), 0);
        EXPECT_TRUE(fs::exists(budget + "/Images"));  // only what the applier created goes
        EXPECT_TRUE(shell.fatalErrors.empty());
        fs::remove_all(album);
        fs::remove(note);
    }
}

TEST_F(Journal, ADeletionAskedForThatFailsAfterTheCommitIsFatalAndTheOthersGoOn) {
    const std::string first = budget + "/Files/DIR1", last = budget + "/Files/DIR3";
    for (const std::string& folder : {first, last}) fs::create_directories(folder);
    const UndeletableFile kept(budget + "/Files/DIR2/kept.txt");
    if (!kept.Made()) GTEST_SKIP() << "the file system cannot make a file undeletable here";
    const ScopedKind applier({"TEST", kAnyType}, [&](TStep& step) {
        for (const char* folder : {"DIR1", "DIR2", "DIR3", "DIR4"})
            step.Files.DeleteAfterCommit(budget + "/Files/" + folder);  // DIR4: none
        return 1;
    });
    const int nTrans = PrepareRename();
    EXPECT_EQ(ApplyTransaction(nTrans), 1);
    EXPECT_EQ(StatusOf(nTrans), "APPLY");
    EXPECT_EQ(shell.fatalErrors, std::vector<int>{-3});
    EXPECT_FALSE(fs::exists(first) || fs::exists(last));
}

// ---- Purging undone transactions

TEST_F(Journal, ANewChangeFirstDeletesTheUndoneTransactionsWithTheirPartsAndFolders) {
    for (int n : {1, 2}) AddTransaction(n, "APPLY", true);
    for (int n : {3, 4, 5}) AddTransaction(n, "BACK", true);
    const ScopedKind applier({"TEST", kAnyType}, [](TStep&) { return 1; });

    const int nTrans = PrepareRename();  // numbered above the undone ones
    EXPECT_EQ(nTrans, 6);
    EXPECT_EQ(ApplyTransaction(nTrans), 1);
    EXPECT_EQ(Transactions(), (std::vector<TFieldValue>{1, 2, 6}));
    EXPECT_EQ(StatusOf(6), "APPLY");
    for (const char* parts : {"jTrInteger", "jTrText", "jTrDate"})
        EXPECT_EQ(Column(parts, "NTrans", Where("NTrans") < 6), (std::vector<TFieldValue>{1, 2}))
            << parts;
    for (int n : {1, 2}) EXPECT_TRUE(fs::exists(TransFolder(n)));
    for (int n : {3, 4, 5}) EXPECT_FALSE(fs::exists(TransFolder(n)));
    EXPECT_TRUE(shell.fatalErrors.empty());
}

TEST_F(Journal, ThePurgeTakesTheUndoneTransactionsOnlyAndCountsThem) {
    const std::pair<int, const char*> rows[] = {{1, "BACK"}, {2, "APPLY"},  {3, "TOBACK"},
                                                {4, "BACK"}, {5, "TOACTB"}, {6, "ACT"},
                                                {7, "PREP"}, {8, "READY"},  {9, "BACK"}};
    for (const auto& [nTrans, status] : rows) AddTransaction(nTrans, status);
    EXPECT_EQ(PurgeUndoneTransactions(), 3);
    EXPECT_EQ(Transactions(), (std::vector<TFieldValue>{2, 3, 5, 6, 7, 8}));
    EXPECT_EQ(Column("jTrText", "NTrans"), (std::vector<TFieldValue>{2, 3, 5, 6, 7, 8}));
    EXPECT_EQ(PurgeUndoneTransactions(), 0);
}

TEST_F(Journal, ThePurgeDeletesTheFoldersAfterItsCommitAndNotAtAllWhenItRollsBack) {
    for (int n : {1, 2}) AddTransaction(n, "BACK", true);
    const auto foldersKept = [] {
        return fs::exists(TransFolder(1)) && fs::exists(TransFolder(2));
    };
    // The journal view is refreshed before the purge commits; a view that fails then rolls the
    // purge back.
    std::vector<bool> keptAtRefresh;
    bool viewFails = true;
    const int view = dm.TablejTrans.AddDataChangeHandler([&](TTable&, const TField*) {
        keptAtRefresh.push_back(foldersKept());
        if (viewFails) throw std::runtime_error("the view failed");
    });

    EXPECT_THROW(PurgeUndoneTransactions(), std::runtime_error);
    EXPECT_EQ(Transactions(), (std::vector<TFieldValue>{1, 2}));
    EXPECT_TRUE(foldersKept());

    viewFails = false;
    keptAtRefresh.clear();
    EXPECT_EQ(PurgeUndoneTransactions(), 2);
    dm.TablejTrans.RemoveDataChangeHandler(view);
    EXPECT_EQ(keptAtRefresh, std::vector<bool>{true});
    EXPECT_TRUE(Transactions().empty());
    EXPECT_FALSE(fs::exists(TransFolder(1)) || fs::exists(TransFolder(2)));
}

TEST_F(Journal, AFolderThatCannotBeDeletedIsFatalAndThePurgeGoesOnToItsEnd) {
    for (int n : {1, 2, 3}) AddTransaction(n, "BACK", true);
    const UndeletableFile kept(TransFolder(2) + "/kept.jpg");
    if (!kept.Made()) GTEST_SKIP() << "the file system cannot make a file undeletable here";
    const ScopedKind applier({"TEST", kAnyType}, [](TStep&) { return 1; });
    EXPECT_EQ(ApplyTransaction(PrepareRename()), 1);
    EXPECT_EQ(shell.fatalErrors, std::vector<int>{-3});
    EXPECT_EQ(Transactions(), std::vector<TFieldValue>{4});
    EXPECT_EQ(StatusOf(4), "APPLY");
    EXPECT_FALSE(fs::exists(TransFolder(1)) || fs::exists(TransFolder(3)));
}

TEST_F(Journal, TransactionFoldersThatCannotBeLookedAtAreFatalAndThePurgeGoesOn) {
    for (int n : {1, 2}) AddTransaction(n, "BACK");
    const std::string folders = ShellServices().BudgetPath() + "/jTrFiles";
    fs::create_directory_symlink("jTrFiles", folders);  // a link to itself
    const ScopedKind applier({"TEST", kAnyType}, [](TStep&) { return 1; });
    EXPECT_EQ(ApplyTransaction(PrepareRename()), 1);
    EXPECT_EQ(shell.fatalErrors, (std::vector<int>{-3, -3}));
    EXPECT_EQ(Transactions(), std::vector<TFieldValue>{3});
    EXPECT_EQ(StatusOf(3), "APPLY");
}

// ---- One journal operation at a time

TEST_F(Journal, ASecondJournalOperationStartedInTheMiddleOfOneIsRefused) {
    const int second = PrepareRename("second");
    int inner = 0;
    bool writerRefused = false;
    const ScopedKind applier({"TEST", kAnyType}, [&](TStep& step) {
        if (step.Row.NTrans == second) return 1;
        inner = ApplyTransaction(second);
        try {
            TTransWriter writer("TEST", 1, 20, "x");
        } catch (const EJournalBusy&) {
            writerRefused = true;
        }
        EXPECT_EQ(PurgeUndoneTransactions(), kJournalBusy);
        return 1;
    });
    const int first = PrepareRename("first");
    EXPECT_EQ(ApplyTransaction(first), 1);
    EXPECT_EQ(inner, kJournalBusy);
    EXPECT_TRUE(writerRefused);
    EXPECT_EQ(StatusOf(second), "READY");
    EXPECT_TRUE(shell.fatalTexts.empty());
    EXPECT_EQ(ApplyTransaction(second), 1);  // once the first is done
}

TEST_F(Journal, ATimerThatFiresWhileAnApplicationLetsMessagesRunCannotStartAnother) {
    const ScopedKind applier({"TEST", kAnyType}, [](TStep&) { return 1; });
    const int first = PrepareRename("first");
    const int second = PrepareRename("second");
    int fromTimer = 0;
    bool fired = false;
    QTimer::singleShot(0, [&] {
        fired = true;
        fromTimer = ApplyTransaction(second);
    });
    EXPECT_EQ(ApplyTransaction(first), 1);
    EXPECT_TRUE(fired);
    EXPECT_EQ(fromTimer, kJournalBusy);
    EXPECT_EQ(StatusOf(second), "READY");
}

// Mend: a preparer's application refused as busy left its "READY" row, which blocks undo and
// redo for good. Applied through its writer, the transaction holds the journal from its making
// to its application: whatever the journal view's refresh at "READY" starts is refused instead.
TEST_F(Journal, ATransactionAppliedThroughItsWriterHoldsTheJournalUntilItIsApplied) {
    const ScopedKind applier({"TEST", kAnyType}, [](TStep&) { return 1; });
    std::vector<int> fromView;
    const int view = dm.TablejTrans.AddDataChangeHandler([&](TTable& trans, const TField*) {
        if (!trans.IsEmpty() && trans.FieldByName("Status").AsString() == "READY")
            fromView.push_back(PurgeUndoneTransactions());
    });
    dm.TablejTrans.Last();
    TTransWriter writer("TEST", 5, 20, "x");
    EXPECT_EQ(writer.Apply(), 1);
    dm.TablejTrans.RemoveDataChangeHandler(view);
    EXPECT_EQ(fromView, std::vector<int>{kJournalBusy});
    EXPECT_EQ(StatusOf(1), "APPLY");
    EXPECT_EQ(ApplyTransaction(1), kFatalStatus);  // the journal is free again
}
