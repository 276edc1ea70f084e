// Creating and deleting objects through the journal: the "ADD" applier and its undo, the "DEL"
// applier and its undo (the "ADD" applier on the deletion's snapshot), for every object type, on
// a real budget with its folders; parts missing, streams cut short, malformed amounts, folders
// in the way and files that cannot be saved; a creation killed at each of its moments.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "KindFixture.h"
#include "common/BudgetDump.h"
#include "common/ChildProcess.h"
#include "common/JournalSteps.h"
#include "pays/Uscheduler.h"
#include "store/TransBlockRows.h"
#include "store/TransKindObject.h"

namespace fs = std::filesystem;

namespace {

using ObjectKinds =
    KindFixture<TAddKind<TFolderContent>, TDeleteKind<TFolderContent>, TAddKind<TTableContent>,
                TDeleteKind<TTableContent>, TAddKind<TImagesContent>, TDeleteKind<TImagesContent>,
                TAddKind<TFilesContent>, TDeleteKind<TFilesContent>, TAddKind<TNumberContent>,
                TDeleteKind<TNumberContent>, TAddKind<TPayContent>, TDeleteKind<TPayContent>>;

const TDateTime kMarch2 = EncodeDate(2024, 3, 2);
const TDateTime kMarch5 = EncodeDate(2024, 3, 5);

// A budget with a folder 3 "Home" under the root, where the objects of the tests live.
class ObjectsTest : public ObjectKinds {
protected:
    ObjectsTest() { AddObject(3, 0, 10, "Home"); }

    // The ID a new object gets: the one after the largest (the empty budget's calendar and
    // journal nodes come before Home).
    const int newId = NextObjectId();
    std::string Album() const { return "Images/IMG" + std::to_string(newId); }
    std::string Collection() const { return "Files/DIR" + std::to_string(newId); }

    static void AddObject(int id, int parent, int type, const char* name) {
        AddRow("Objects", {{"ID", id},
                           {"IDParent", parent},
                           {"Type", type},
                           {"Image", type + 1},
                           {"Expanded", "N"},
                           {"Name", name},
                           {"Descript", std::string(name) + " notes"}});
    }

    // Prepares the transaction with the layout; a collection's or album's transaction gets its
    // folder, into which fill puts the files it carries.
    template <class Content>
    static int Prepare(const char* act, int id, const std::string& name,
                       TObjectParts<Content> parts,
                       const std::function<void(const fs::path&)>& fill = {}) {
        TTransWriter writer(act, id, Content::kType, name);
        WriteParts(writer, parts);
        if (Content::kType == otFiles || Content::kType == otImages) {
            const std::string folder = writer.MakeFolder();
            if (fill) fill(folder);
        }
        return writer.Ready();
    }

    std::string Dump() const { return DumpBudget(budget, TDumpScope::WithoutJournal); }
    std::string Path(const std::string& relative) const { return budget + "/" + relative; }
    void ResetFatal() {
        shell.state.FatalClose = false;
        shell.fatalTexts.clear();
        shell.fatalErrors.clear();
    }
};

void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

std::string Read(const fs::path& file) {
    std::ifstream in(file);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

namespace {

const TAlgorithmBlock kAlgorithm{
    .OldId = 1,
    .Valid = 1,
    .IDParent = 5,
    .Name = "Gas",
    .Descript = "per month",
    .VarOfResult = 2,
    .ExtData = {{"I001", 1, 61, 60, 3, 3, "5", "1", ""}, {"I002", 2, 62, 50, 3, 0, "", "", ""}},
    .VarDescr = {{2, "result"}},
    .TextPieces = AlgorithmTextPieces(std::string(130, 'x') + "\n" + "X2:=I001*2")};

TAutoChargeBlock Charge(const char* name, const char* itemType, int scheduleId) {
    TAutoChargeBlock charge{.Name = name,
                            .Descript = "monthly",
                            .DateBegin = kMarch2,
                            .RestrictTime = "Y",
                            .DateEnd = kMarch5 + 300,
                            .Activity = "Y",
                            .ItemType = itemType,
                            .ConstValue = *itemType == 'C' ? "500" : "",
                            .Algorithm = {},
                            .ScheduleId = scheduleId,
                            .Periodicity = "M",
                            .UnitaryDate = kMarch2,
                            .MonthesDays = "Y05N01Y32N01N01N01N01N01N01N01N01Y31",
                            .WeekDays = "YNNNNNY",
                            .Priority = 3};
    if (*itemType == 'A') charge.Algorithm = kAlgorithm;
    return charge;
}

// A pay's history with every kind of event, in the order of the table's index.
const std::vector<THistoryEventBlock> kHistory = {
    {kMarch2, "CN", "1200.5", 0, 0, 1, "", "", "", "0", "reading"},
    {kMarch2, "CH", "", 1, 3, 0, "500", "500", "", "-500", "rent"},
    {kMarch5, "CH", "", 0, 0, 1, "12.25", "512.25", "", "-512.25", "fee"},
    {kMarch5, "PY", "", 0, 0, 2, "", "", "600", "87.75", "paid"},
    {kMarch5 + 1, "PY", "", 0, 0, 1, "", "", "1", "88.75", "\"quoted\" / \\ text"},
};

}  // namespace

// ---- Creating

// A new object of each type: applied, undone, redone and undone again, the budget's tables and
// folders are exactly as before, and the applied state comes back exactly on the redo.
TEST_F(ObjectsTest, ANewObjectOfEveryTypeComesAndGoesWithItsUndoAndRedo) {
    const struct {
        const char* type;
        std::function<int()> prepare;
        const char* root;                  // the object's folder
        std::vector<std::string> folders;  // what the creation makes in it
    } cases[] = {
        {"folder",
         [] {
             return Prepare("ADD", -1, "Bills", TObjectParts<TFolderContent>{3, 80, "d", {}});
         },
         "",
         {}},
        {"table",
         [] {
             return Prepare("ADD", -1, "Rates", TObjectParts<TTableContent>{3, 81, "d", {}});
         },
         "",
         {}},
        {"album",
         [] {
             return Prepare("ADD", -1, "Trip", TObjectParts<TImagesContent>{3, 82, "d", {}});
         },
         "Images/IMG",
         {"", "/tmpload", "/mini", "/mini/tmpload"}},
        {"collection",
         [] {
             return Prepare("ADD", -1, "Papers", TObjectParts<TFilesContent>{3, 83, "d", {}});
         },
         "Files/DIR",
         {""}},
        {"number",
         [] {
             return Prepare("ADD", -1, "Gas", TObjectParts<TNumberContent>{3, 84, "d", {}});
         },
         "",
         {}},
        {"pay",
         [] {
             return Prepare(
                 "ADD", -1, "Rent",
                 TObjectParts<TPayContent>{
                     3, 85, "d", {"O", "011110000000000", kMarch2, kMarch2, kMarch5, {}, {}}});
         },
         "",
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        const std::string before = Dump();
        const int nTrans = c.prepare();
        ASSERT_EQ(ApplyTransaction(nTrans), newId);
        EXPECT_EQ(RowOf(nTrans).IDObject, newId);
        EXPECT_EQ(Column("Objects", "Expanded", Where("ID") == newId),
                  std::vector<TFieldValue>{"N"});
        for (const std::string& folder : c.folders)
            EXPECT_TRUE(fs::is_directory(Path(c.root + std::to_string(newId) + folder))) << folder;
        const std::string applied = Dump();

        EXPECT_EQ(Undo(nTrans), 0);
        EXPECT_EQ(Dump(), before);
        EXPECT_EQ(Redo(nTrans), newId);
        EXPECT_EQ(Dump(), applied);
        EXPECT_EQ(Undo(nTrans), 0);
        EXPECT_EQ(Dump(), before);
        EXPECT_TRUE(shell.fatalTexts.empty());
        EXPECT_TRUE(shell.fatalErrors.empty());
    }
}

TEST_F(ObjectsTest, ANewPayHasItsSettingsRowAndNothingElse) {
    const int nTrans =
        Prepare("ADD", -1, "Rent",
                TObjectParts<TPayContent>{
                    3, 85, "d", {"I", "011110000000000", kMarch2, kMarch2, kMarch5, {}, {}}});
    ASSERT_EQ(ApplyTransaction(nTrans), newId);
    TBudgetTable pays("Pays", false, Where("ID") == newId);
    ASSERT_EQ(pays.RecordCount(), 1);
    EXPECT_EQ(pays.FieldByName("Direction").AsString(), "I");
    EXPECT_EQ(pays.FieldByName("FilterMode").AsString(), "011110000000000");
    EXPECT_EQ(pays.FieldByName("FilterDateFrom").AsDateTime(), kMarch2);
    EXPECT_EQ(pays.FieldByName("FilterDateTo").AsDateTime(), kMarch2);
    EXPECT_EQ(CountRows("PayAutoCharges", Where("ID") == newId) +
                  CountRows("PayHistory", Where("ID") == newId),
              0);
}

// Every part is read and checked before anything is written: a missing one, or a stream that
// ends early, is fatal -1 and the budget stays as it was (no row, no folder).
TEST_F(ObjectsTest, AnAddWithAPartMissingIsFatalAndWritesNothing) {
    const struct {
        const char* what;
        std::function<int()> prepare;
        const char* table;
        int part;
    } cases[] = {
        {"folder I1",
         [] {
             return Prepare("ADD", -1, "F", TObjectParts<TFolderContent>{3, 80, "d", {}});
         },
         "jTrInteger", 1},
        {"folder I2",
         [] {
             return Prepare("ADD", -1, "F", TObjectParts<TFolderContent>{3, 80, "d", {}});
         },
         "jTrInteger", 2},
        {"folder T1",
         [] {
             return Prepare("ADD", -1, "F", TObjectParts<TFolderContent>{3, 80, "d", {}});
         },
         "jTrText", 1},
        {"album I3",
         [] {
             return Prepare("ADD", -1, "A", TObjectParts<TImagesContent>{3, 82, "d", {}});
         },
         "jTrInteger", 3},
        {"collection I3",
         [] {
             return Prepare("ADD", -1, "C", TObjectParts<TFilesContent>{3, 83, "d", {}});
         },
         "jTrInteger", 3},
        {"table's last value",
         [] {
             return Prepare("ADD", 9, "T",
                            TObjectParts<TTableContent>{3, 81, "d", {{{"a", "1"}, {"b", "2"}}}});
         },
         "jTrText", 5},
        {"pay's D3",
         [] {
             return Prepare("ADD", -1, "P",
                            TObjectParts<TPayContent>{
                                3, 85, "d", {"O", "0", kMarch2, kMarch2, kMarch5, {}, {}}});
         },
         "jTrDate", 3},
        {"pay's event count",
         [] {
             return Prepare("ADD", -1, "P",
                            TObjectParts<TPayContent>{
                                3, 85, "d", {"O", "0", kMarch2, kMarch2, kMarch5, {}, {}}});
         },
         "jTrInteger", 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetFatal();
        const std::string before = Dump();
        const int nTrans = c.prepare();
        DropPart(c.table, nTrans, c.part);
        EXPECT_EQ(ApplyTransaction(nTrans), -1);
        EXPECT_EQ(shell.fatalTexts,
                  std::vector<std::string>{"FATAL : Incorrect identifier of transaction"});
        EXPECT_EQ(Dump(), before);
    }
}

// A stored amount that is not a decimal text, and an ID that an object has already, are
// refused before anything is written.
TEST_F(ObjectsTest, AnAddWithAMalformedAmountOrAnIdInUseIsFatal) {
    THistoryEventBlock event{kMarch2, "PY", "", 0, 0, 1, "", "", "12,5x", "0", ""};
    TNumberItemBlock item{kMarch2, "C", "1.2.3", "", {}};
    const struct {
        const char* what;
        std::function<int()> prepare;
    } cases[] = {
        {"payment",
         [&] {
             return Prepare("ADD", 9, "P",
                            TObjectParts<TPayContent>{
                                3, 85, "d", {"O", "0", kMarch2, kMarch2, kMarch5, {}, {event}}});
         }},
        {"constant",
         [&] {
             return Prepare("ADD", 9, "N", TObjectParts<TNumberContent>{3, 84, "d", {{item}}});
         }},
        {"ID in use",
         [] {
             return Prepare("ADD", 3, "F", TObjectParts<TFolderContent>{0, 80, "d", {}});
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetFatal();
        const std::string before = Dump();
        EXPECT_EQ(ApplyTransaction(c.prepare()), -1);
        EXPECT_EQ(shell.fatalTexts,
                  std::vector<std::string>{"FATAL : Incorrect identifier of transaction"});
        EXPECT_EQ(Dump(), before);
    }
}

// An album's or collection's folder that is already there is not taken over: fatal -4, the
// object's row goes with the rollback and the folder found stays as it was.
TEST_F(ObjectsTest, AFolderInTheWayIsFatalAndStaysAsItWas) {
    Write(Path(Album() + "/left.jpg"), "left behind");
    Write(Path(Collection() + "/left.txt"), "left behind");
    const std::function<int()> prepares[] = {
        [] {
            return Prepare("ADD", -1, "Trip", TObjectParts<TImagesContent>{3, 82, "d", {}});
        },
        [] {
            return Prepare("ADD", -1, "Papers", TObjectParts<TFilesContent>{3, 83, "d", {}});
        },
    };
    for (const auto& prepare : prepares) {
        ResetFatal();
        const std::string before = Dump();
        EXPECT_EQ(ApplyTransaction(prepare()), -4);
        EXPECT_EQ(shell.fatalTexts,
                  std::vector<std::string>{"FATAL ERROR: It is impossible to create a folder"});
        EXPECT_EQ(Dump(), before);
    }
}

// Mend: a pay coming back deleted the schedule under each of its old schedule IDs, which by
// then could be another pay's. An old ID is now kept only where it is free.
TEST_F(ObjectsTest, APayComingBackKeepsItsScheduleIdsOnlyWhereTheyAreFree) {
    AddRow("Schedules", {{"ID", 1},
                         {"Periodicity", "U"},
                         {"UnitaryDate", kMarch5},
                         {"MonthesDays", ""},
                         {"WeekDays", ""},
                         {"Priority", 9}});
    TAutoChargeBlock taken = Charge("Rent", "C", 1);
    taken.Priority = 2;
    TAutoChargeBlock free = Charge("Gas", "C", 7);
    const int nTrans =
        Prepare("ADD", 20, "Bills",
                TObjectParts<TPayContent>{
                    3, 85, "d", {"O", "0", kMarch2, kMarch2, kMarch5, {taken, free}, {}}});
    ASSERT_EQ(ApplyTransaction(nTrans), 20);
    EXPECT_EQ(Column("PayAutoCharges", "IDSchedule", Where("ID") == 20, ""),
              (std::vector<TFieldValue>{2, 7}));
    EXPECT_EQ(Column("Schedules", "Priority", Where("ID") == 1), std::vector<TFieldValue>{9});
    EXPECT_EQ(Column("Schedules", "Priority", Where("ID") == 2), std::vector<TFieldValue>{2});
}

// ---- Undoing the creation of a file collection

class CollectionTest : public ObjectsTest {
protected:
    CollectionTest() {
        nTrans = Prepare("ADD", -1, "Papers", TObjectParts<TFilesContent>{3, 83, "d", {}});
        EXPECT_EQ(ApplyTransaction(nTrans), newId);
    }
    fs::path Saved() const { return TransFolder(nTrans); }
    int SavedCount() const { return TTransReader(nTrans).Int(3).value_or(-1); }
    int nTrans = 0;
};

// The undo saves what the folder holds, sub-folders too, and the redo brings exactly that back.
TEST_F(CollectionTest, TheUndoSavesTheFilesAndTheRedoBringsThemBack) {
    Write(Path(Collection() + "/a.txt"), "a");
    Write(Path(Collection() + "/b.pdf"), "b");
    Write(Path(Collection() + "/sub/c.txt"), "c");
    const std::string filled = Dump();
    EXPECT_EQ(Undo(nTrans), 0);
    EXPECT_FALSE(fs::exists(Path(Collection())));
    EXPECT_EQ(SavedCount(), 4);  // a, b, sub and sub/c
    EXPECT_EQ(Redo(nTrans), newId);
    EXPECT_EQ(Dump(), filled);
}

// Mend: the saved copy was kept where a file of the name had been saved before, and saved files
// that the folder no longer held came back; the undo now saves the folder as it is.
TEST_F(CollectionTest, ASecondUndoSavesTheFolderAsItIsNow) {
    Write(Path(Collection() + "/a.txt"), "first");
    Write(Path(Collection() + "/gone.txt"), "gone");
    ASSERT_EQ(Undo(nTrans), 0);
    ASSERT_EQ(Redo(nTrans), newId);
    Write(Path(Collection() + "/a.txt"), "second");
    fs::remove(Path(Collection() + "/gone.txt"));
    Write(Path(Collection() + "/new.txt"), "new");
    const std::string changed = Dump();
    ASSERT_EQ(Undo(nTrans), 0);
    EXPECT_EQ(SavedCount(), 2);
    EXPECT_EQ(Read(Saved() / "a.txt"), "second");
    EXPECT_FALSE(fs::exists(Saved() / "gone.txt"));
    ASSERT_EQ(Redo(nTrans), newId);
    EXPECT_EQ(Dump(), changed);
}

// Mend: a file that could not be saved was counted and its folder deleted all the same; now the
// undo fails and the collection keeps its folder and its row.
TEST_F(CollectionTest, AFileThatCannotBeSavedFailsTheUndoAndKeepsTheFolder) {
    Write(Path(Collection() + "/a.txt"), "a");
    ASSERT_EQ(mkfifo(Path(Collection() + "/pipe").c_str(), 0600), 0);
    const std::string filled = Dump();
    EXPECT_EQ(Undo(nTrans), -1);
    EXPECT_EQ(Dump(), filled);
    EXPECT_EQ(SavedCount(), 0);
}

// Mend: the redo of a collection's deletion deleted the folder without saving it again, so a
// file added after the undo was lost for good. Now the redo saves the folder as it is; one that
// cannot be saved fails the redo and keeps the collection.
TEST_F(CollectionTest, TheRedoOfADeletionSavesWhatWasAddedAfterItsUndo) {
    Write(Path(Collection() + "/a.txt"), "a");
    const int del = Prepare("DEL", newId, "Papers", TObjectParts<TFilesContent>{3, 83, "d", {1}},
                            [this](const fs::path& saved) {
                                fs::copy(Path(Collection()), saved, fs::copy_options::recursive);
                            });
    ASSERT_EQ(ApplyTransaction(del), 1);
    ASSERT_EQ(Undo(del), newId);
    Write(Path(Collection() + "/b.txt"), "b");
    const std::string filled = Dump();
    ASSERT_EQ(Redo(del), 1);
    EXPECT_FALSE(fs::exists(Path(Collection())));
    EXPECT_EQ(TTransReader(del).Int(3), 2);
    ASSERT_EQ(Undo(del), newId);
    EXPECT_EQ(Dump(), filled);
    EXPECT_EQ(Read(Path(Collection() + "/b.txt")), "b");

    ASSERT_EQ(mkfifo(Path(Collection() + "/pipe").c_str(), 0600), 0);
    const std::string withPipe = Dump();
    EXPECT_EQ(Redo(del), -1);
    EXPECT_EQ(Dump(), withPipe);
}

TEST_F(CollectionTest, TheUndoOfAnObjectWhoseRowIsGoneChangesNothing) {
    {
        TBudgetTable objects("Objects", true, Where("ID") == newId);
        DeleteAllRows(objects);
    }
    const std::string before = Dump();
    EXPECT_EQ(Undo(nTrans), -1);
    EXPECT_EQ(Dump(), before);
    EXPECT_TRUE(shell.fatalTexts.empty());
}

// ---- Deleting, and undoing a deletion

// Object 5 "Thing" of the type in folder Home, with a content, and its deletion with the
// snapshot of that content: the tables' rows as they are, the files copied into the
// transaction's folder, as the deletion dialog writes it.
class DeletionTest : public ObjectsTest, public ::testing::WithParamInterface<int> {
protected:
    static constexpr int kId = 5;

    int PopulateAndPrepareDelete() {
        const int type = GetParam();
        AddObject(kId, 3, type, "Thing");
        switch (type) {
            case otFolder:
                return Delete(TFolderContent{});
            case otTable: {
                TTableContent content{{{"rent", "500"}, {"gas", "\"60\" / \\"}, {" lead", ""}}};
                for (int k = 0; k < 3; ++k)
                    AddRow("Tables", {{"ID", kId},
                                      {"NRow", k + 1},
                                      {"NameRow", content.Rows[k].NameRow},
                                      {"ValueRow", content.Rows[k].ValueRow}});
                return Delete(content);
            }
            case otImages: {
                TImagesContent content{{{"beach.jpg", "sun"}, {"hill", "no extension"}}};
                for (const auto& folder : {"tmpload", "mini/tmpload"})
                    fs::create_directories(Path("Images/IMG5/") + folder);
                for (int k = 0; k < 2; ++k) {
                    const std::string name = content.Pictures[k].FileName;
                    AddRow("Images", {{"ID", kId},
                                      {"Number", k + 1},
                                      {"FileName", name},
                                      {"Descript", content.Pictures[k].Descript}});
                    Write(Path("Images/IMG5/" + name), "picture " + name);
                    Write(Path("Images/IMG5/mini/" + ThumbnailName(name)), "thumbnail " + name);
                }
                return Delete(content, [](const fs::path& saved) {
                    for (const char* name : {"beach.jpg", "hill"}) {
                        Write(saved / name, std::string("picture ") + name);
                        Write(saved / "mini" / ThumbnailName(name),
                              std::string("thumbnail ") + name);
                    }
                });
            }
            case otFiles:
                Write(Path("Files/DIR5/a.txt"), "a");
                Write(Path("Files/DIR5/sub/b.txt"), "b");
                return Delete(TFilesContent{3}, [this](const fs::path& saved) {
                    fs::copy(Path("Files/DIR5"), saved, fs::copy_options::recursive);
                });
            case otNumber: {
                TNumberContent content{{{kMarch2, "C", "12.5", "start", {}},
                                        {kMarch5, "A", "", "computed", kAlgorithm}}};
                const int idAlg = DM->SaveAlgorithm(AlgorithmOf(kAlgorithm));
                AddRow("Numbers", {{"ID", kId},
                                   {"DateBegin", kMarch2},
                                   {"ItemType", "C"},
                                   {"ConstValue", "12.5"},
                                   {"Descript", "start"}});
                AddRow("Numbers", {{"ID", kId},
                                   {"DateBegin", kMarch5},
                                   {"ItemType", "A"},
                                   {"ConstValue", ""},
                                   {"IDAlg", idAlg},
                                   {"Descript", "computed"}});
                return Delete(content);
            }
            default: {
                TPayContent content{"IO",    "111110000000000",
                                    kMarch2, kMarch5,
                                    kMarch2, {Charge("Rent", "C", 1), Charge("Heating", "A", 2)},
                                    kHistory};
                AddRow("Pays", {{"ID", kId},
                                {"Direction", "IO"},
                                {"FilterMode", "111110000000000"},
                                {"FilterDateFrom", kMarch2},
                                {"FilterDateTo", kMarch5}});
                for (const TAutoChargeBlock& charge : content.AutoCharges) StoreCharge(charge);
                for (const THistoryEventBlock& event : kHistory) StoreHistoryEvent(kId, event);
                return Delete(content);
            }
        }
    }

    // The rows and folders that hold the object's content.
    int ContentRows() const {
        int rows = 0;
        for (const char* table :
             {"Tables", "Images", "Numbers", "Pays", "PayAutoCharges", "PayHistory"})
            rows += CountRows(table, Where("ID") == kId);
        return rows + CountRows("Algorithms") + CountRows("Schedules");
    }
    bool HasFolders() const {
        return fs::exists(Path("Images/IMG5")) || fs::exists(Path("Files/DIR5"));
    }

private:
    template <class Content>
    static int Delete(Content content, const std::function<void(const fs::path&)>& fill = {}) {
        return Prepare("DEL", kId, "Thing",
                       TObjectParts<Content>{3, Content::kType + 1, "Thing notes", content}, fill);
    }
    // Stores the charge as the auto-charge list does: its schedule, then its algorithm.
    static void StoreCharge(const TAutoChargeBlock& block) {
        Schedule schedule;
        schedule.Periodicity = block.Periodicity[0];
        schedule.UnitaryDate = block.UnitaryDate;
        DecodeMonthesDays(block.MonthesDays, schedule);
        DecodeWeekDays(block.WeekDays, schedule);
        schedule.Priority = block.Priority;
        const int idSchedule = SaveSchedule(schedule);
        TRowValues values = {{"ID", kId},
                             {"Name", block.Name},
                             {"Descript", block.Descript},
                             {"DateBegin", block.DateBegin},
                             {"RestrictTime", block.RestrictTime},
                             {"DateEnd", block.DateEnd},
                             {"Activity", block.Activity},
                             {"ItemType", block.ItemType},
                             {"ConstValue", block.ConstValue},
                             {"IDSchedule", idSchedule}};
        if (block.ItemType == "A")
            values.push_back({"IDAlg", DM->SaveAlgorithm(AlgorithmOf(block.Algorithm))});
        AddRow("PayAutoCharges", values);
    }
};

// The deletion removes the object with everything it holds; its undo brings back exactly the
// budget that was there (the algorithms under the IDs that are next then, which are theirs
// again here), and redo and undo go on doing so.
TEST_P(DeletionTest, AnUndoneDeletionBringsBackTheObjectWithAllItHeld) {
    const int nTrans = PopulateAndPrepareDelete();
    // The budget runs: its calendar is as the deletion and its undo leave it.
    RebuildCalendarEntries(0, DM->LatestPayEventDate() + 5);
    const std::string before = Dump();
    ASSERT_EQ(ApplyTransaction(nTrans), 1);
    EXPECT_EQ(CountRows("Objects", Where("ID") == kId), 0);
    EXPECT_EQ(ContentRows(), 0);
    EXPECT_FALSE(HasFolders());
    const std::string deleted = Dump();

    EXPECT_EQ(Undo(nTrans), kId);
    EXPECT_EQ(Dump(), before);
    EXPECT_EQ(Redo(nTrans), 1);
    EXPECT_EQ(Dump(), deleted);
    EXPECT_EQ(Undo(nTrans), kId);
    EXPECT_EQ(Dump(), before);
    EXPECT_TRUE(shell.fatalTexts.empty());
    EXPECT_TRUE(shell.fatalErrors.empty());
}

// The object's row gone meanwhile: fatal -3 before any of the content is removed.
TEST_P(DeletionTest, TheDeletionOfAnObjectWhoseRowIsGoneRemovesNothing) {
    const int nTrans = PopulateAndPrepareDelete();
    {
        TBudgetTable objects("Objects", true, Where("ID") == kId);
        DeleteAllRows(objects);
    }
    const std::string before = Dump();
    EXPECT_EQ(ApplyTransaction(nTrans), -3);
    EXPECT_EQ(shell.fatalTexts, std::vector<std::string>{
                                    "FATAL ERROR: The object with such identifier is not found"});
    EXPECT_EQ(Dump(), before);
}

// A snapshot cut short is fatal -1, in the deletion and in its undo, and writes nothing: the
// last part of each table that the layout has goes missing in turn.
TEST_P(DeletionTest, ASnapshotCutShortIsFatalAndWritesNothing) {
    const int nTrans = PopulateAndPrepareDelete();
    const TTransRow row{nTrans, "DEL", kId, GetParam(), "Thing"};
    // Runs the step with the last part of each part table missing in turn.
    const auto withLastPartMissing = [&](bool undo) {
        for (const char* table : {"jTrInteger", "jTrText", "jTrDate"}) {
            SCOPED_TRACE(table);
            TBudgetTable parts(table, false, Where("NTrans") == nTrans);
            if (parts.IsEmpty()) continue;
            parts.Last();
            const TFieldValue part = parts.FieldByName("NPart").Value();
            const TFieldValue value = parts.FieldByName("Value").Value();
            DropPart(table, nTrans, static_cast<int>(part.Integer()));
            ResetFatal();
            const std::string before = Dump();
            EXPECT_EQ(RunStep(row, undo), -1);
            EXPECT_EQ(shell.fatalTexts,
                      std::vector<std::string>{"FATAL : Incorrect identifier of transaction"});
            EXPECT_EQ(Dump(), before);
            AddRow(table, {{"NTrans", nTrans}, {"NPart", part}, {"Value", value}});
        }
    };
    withLastPartMissing(false);
    ResetFatal();
    ASSERT_EQ(ApplyTransaction(nTrans), 1);
    withLastPartMissing(true);
}

INSTANTIATE_TEST_SUITE_P(EveryType, DeletionTest,
                         ::testing::Values(otFolder, otTable, otImages, otFiles, otNumber, otPay),
                         [](const auto& info) { return "Type" + std::to_string(info.param); });

// A pay's deletion and its undo rebuild a running budget's whole calendar, without a
// recalculation; a stopped budget and the other types are left as they are.
TEST_P(DeletionTest, OnlyAPayInARunningBudgetRebuildsTheCalendarAfterItsDeletionAndUndo) {
    for (const int budgetState : {0, 3}) {
        SCOPED_TRACE(budgetState);
        shell.state.BudgetState = budgetState;
        shell.calls.clear();
        const int nTrans = PopulateAndPrepareDelete();
        ASSERT_EQ(ApplyTransaction(nTrans), 1);
        ASSERT_EQ(Undo(nTrans), kId);
        const std::string rebuild =
            "RebuildCalendar " + DateToStr(0) + " " + DateToStr(DM->LatestPayEventDate() + 5);
        std::vector<std::string> expected;
        if (GetParam() == otPay && budgetState == 0) expected = {rebuild, rebuild};
        std::vector<std::string> derived;
        for (const std::string& call : shell.calls)
            if (call.starts_with("RebuildCalendar") || call.starts_with("RunAutoRecalc"))
                derived.push_back(call);
        EXPECT_EQ(derived, expected);
        // Gone again for the second round.
        ASSERT_EQ(Redo(nTrans), 1);
    }
}

// ---- A creation killed

namespace {

// Where the process of a creation is killed: while its row is set "ACT" (the journal view's
// first refresh), after its step has written everything, folders and files included, but before
// the commit (the first refresh that finds the object's folder), or after the application.
enum class TMoment { BeforeStep, BeforeCommit, AfterCommit };

// The "ADD" of a new album or collection under the budget root, made ready in the open budget
// as the create-object dialog writes it; a collection's transaction carries the files given.
int ReadyCreation(int type, const std::map<std::string, std::string>& files) {
    if (type == otImages) {
        TTransWriter writer("ADD", -1, type, "Trip");
        TObjectParts<TImagesContent> parts{0, 82, "d", {}};
        WriteParts(writer, parts);
        return writer.Ready();
    }
    TTransWriter writer("ADD", -1, type, "Papers");
    TObjectParts<TFilesContent> parts{0, 83, "d", {int(files.size())}};
    WriteParts(writer, parts);
    const fs::path folder = writer.MakeFolder();
    for (const auto& [name, text] : files) Write(folder / name, text);
    return writer.Ready();
}

std::string StatusOf(int nTrans) {
    const auto status = Column("jTrans", "Status", Where("NTrans") == nTrans, "Index_NTrans");
    return status.empty() ? "(none)" : status[0].Text();
}

}  // namespace

// Mend: a kill after the creation had made the album's or collection's folder but before its
// commit left the folder behind; the opening made the row undone, and its redo found the folder
// in the way (fatal -4). Now the opening removes a folder that no object has. Killed at each
// moment, the creation leaves a sound budget whose object is there with its folder exactly when
// its row is applied, and redoing the row (undone at the opening also when it was only ready)
// then gives the budget an application without a kill gives.
TEST(CreationKilled, LeavesTheObjectAndItsFolderAsTheRowSaysAndTheRowCanBeCarriedOut) {
    const TRegisteredKinds<TAddKind<TImagesContent>, TAddKind<TFilesContent>> kinds;
    const struct {
        const char* what;
        int type;
        std::map<std::string, std::string> files;
    } cases[] = {
        {"a new album", otImages, {}},
        {"a new collection", otFiles, {}},
        {"a collection brought back with its files", otFiles, {{"a.txt", "a"}, {"sub/b", "b"}}},
    };
    const struct {
        TMoment moment;
        const char* status;  // of the row after the next opening
    } moments[] = {
        {TMoment::BeforeStep, "BACK"},
        {TMoment::BeforeCommit, "BACK"},
        {TMoment::AfterCommit, "APPLY"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string applied;  // the budget as an application without a kill leaves it
        {
            TestFolders folders;
            const std::string budget = folders.MakeBudget();
            FakeShellServices shell(folders.UsersDataPath());
            TDM dm;
            OpenBudgetIn(shell, dm, folders, budget);
            ASSERT_GT(ApplyTransaction(ReadyCreation(c.type, c.files)), 0);
            applied = DumpBudget(budget, TDumpScope::WithoutJournal);
            DM = nullptr;
        }
        for (const auto& m : moments) {
            SCOPED_TRACE(m.status);
            TestFolders folders;
            const std::string budget = folders.MakeBudget();
            int nTrans = 0, id = 0;
            {
                FakeShellServices shell(folders.UsersDataPath());
                TDM dm;
                OpenBudgetIn(shell, dm, folders, budget);
                // The creation is prepared where it is applied: an opening settles a ready row.
                nTrans = NextTransNumber();
                id = NextObjectId();
                DM = nullptr;
            }
            const std::string folder =
                c.type == otImages ? AlbumFolder(budget, id) : CollectionFolder(budget, id);
            KillDuring(
                [&](int ready) {
                    FakeShellServices shell(folders.UsersDataPath());
                    TDM dm;
                    OpenBudgetIn(shell, dm, folders, budget);
                    ReadyCreation(c.type, c.files);
                    const TMoment moment = m.moment;
                    dm.TablejTrans.AddDataChangeHandler([=](TTable&, const TField*) {
                        if (moment == TMoment::BeforeStep ||
                            (moment == TMoment::BeforeCommit && fs::exists(folder))) {
                            Ready(ready);
                            pause();
                        }
                    });
                    ApplyTransaction(nTrans);
                    Ready(ready);
                    pause();
                },
                std::chrono::milliseconds(20));

            EXPECT_EQ(IntegrityOf(budget), "ok");
            FakeShellServices shell(folders.UsersDataPath());
            TDM dm;
            OpenBudgetIn(shell, dm, folders, budget);
            const bool inForce = std::string(m.status) == "APPLY";
            EXPECT_EQ(StatusOf(nTrans), m.status);
            EXPECT_EQ(CountRows("Objects", Where("ID") == id), inForce ? 1 : 0);
            EXPECT_EQ(fs::exists(folder), inForce);
            if (m.moment != TMoment::AfterCommit) {
                EXPECT_TRUE(RedoTrans(nTrans));
            }
            EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), applied);
            EXPECT_TRUE(shell.fatalErrors.empty());
            EXPECT_TRUE(shell.fatalTexts.empty());
            DM = nullptr;
        }
    }
}
