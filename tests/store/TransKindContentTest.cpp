// Changing the content of a table, an image album and a number through the journal: the
// appliers, their undo and redo on a real budget with its album folders, in a running and a
// stopped budget; parts missing or malformed, the files of an album's transaction folder, the
// frames' reload marks, and a process killed in the middle of an album change.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "KindFixture.h"
#include "common/BudgetDump.h"
#include "common/ChildProcess.h"
#include "store/TransBlockRows.h"
#include "store/TransKindContent.h"

namespace fs = std::filesystem;

namespace {

const TDateTime kMarch2 = EncodeDate(2024, 3, 2);
const TDateTime kMarch5 = EncodeDate(2024, 3, 5);

constexpr int kTable = 5, kAlbum = 6, kNumber = 7;

void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

std::string Read(const fs::path& file) {
    std::ifstream in(file);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string TextOf(const TFieldValue& value) {
    return value.IsText() ? value.Text() : std::to_string(value.Integer());
}

// The rows of the Tables.db, Images.db or Numbers.db object as "name=value" texts, in index
// order.
std::vector<std::string> RowsOf(const char* table, int id, const char* name, const char* value) {
    TBudgetTable rows(table, false, Where("ID") == id);
    std::vector<std::string> texts;
    for (; !rows.Eof(); rows.Next())
        texts.push_back(TextOf(rows.FieldByName(name).Value()) + "=" +
                        TextOf(rows.FieldByName(value).Value()));
    return texts;
}

TAlgorithmBlock Algorithm(const char* name, int nExt) {
    TAlgorithmBlock algorithm{.OldId = 3,
                              .Valid = 1,
                              .IDParent = kNumber,
                              .Name = name,
                              .Descript = "per month",
                              .VarOfResult = 1,
                              .ExtData = {},
                              .VarDescr = {{1, "result"}},
                              .TextPieces = AlgorithmTextPieces(std::string(120, 'x') + "\nX1:=2")};
    for (int k = 1; k <= nExt; ++k)
        algorithm.ExtData.push_back({"I00" + std::to_string(k), k, 9, 50, 3, 0, "p", "", ""});
    return algorithm;
}

using ContentKinds = KindFixture<TTableChangeKind, TImagesChangeKind, TNumberChangeKind>;

// A budget with a table, an album and a number in the root, their content as the frames show it.
class ContentTest : public ContentKinds {
public:
    ContentTest() {
        AddObject(kTable, otTable, "Rates");
        AddObject(kAlbum, otImages, "Trip");
        AddObject(kNumber, otNumber, "Gas");
        for (const char* folder : {"tmpload", "mini/tmpload"})
            fs::create_directories(Album() / folder);
    }

    static void AddObject(int id, int type, const char* name) {
        AddRow("Objects", {{"ID", id},
                           {"IDParent", 0},
                           {"Type", type},
                           {"Image", type + 1},
                           {"Expanded", "N"},
                           {"Name", name},
                           {"Descript", ""}});
    }

    fs::path Album() const {
        return fs::path(budget) / "Images" / ("IMG" + std::to_string(kAlbum));
    }

    // The table's rows as they stand.
    void HoldRows(const std::vector<TTableRowBlock>& rows) { ReplaceTableRows(kTable, rows); }
    // The number's items as they stand, their algorithms stored.
    void HoldItems(const std::vector<TNumberItemBlock>& items) {
        ReplaceNumberItems(kNumber, items);
    }
    // The album's pictures with their files and thumbnails.
    void HoldPictures(const std::vector<TImageBlock>& pictures) {
        ReplacePictureRows(kAlbum, pictures);
        for (const TImageBlock& picture : pictures) {
            Write(Album() / picture.FileName, "picture " + picture.FileName);
            Write(Album() / "mini" / ThumbnailName(picture.FileName),
                  "thumbnail " + picture.FileName);
        }
    }
    // A picture loaded in edit mode, as the loading dialog leaves it: in "tmpload/" with its
    // thumbnail in "mini/tmpload/".
    void Stage(const std::string& name, const std::string& text) const {
        Write(Album() / "tmpload" / name, text);
        Write(Album() / "mini/tmpload" / ThumbnailName(name), "thumbnail " + text);
    }

    // The changes as the frames write them: the new content and the old rows as they stand.
    static int PrepareTable(const std::vector<TTableRowBlock>& rows) {
        TTableChangeParts parts{rows, {}};
        TBudgetTable old("Tables", false, Where("ID") == kTable);
        for (; !old.Eof(); old.Next())
            parts.OldRows.push_back(
                {old.FieldByName("NameRow").AsString(), old.FieldByName("ValueRow").AsString()});
        TTransWriter writer(kActChange, kTable, otTable, "Rates");
        WriteParts(writer, parts);
        return writer.Ready();
    }
    static int PrepareNumber(const std::vector<TNumberItemBlock>& items) {
        TNumberChangeParts parts{
            .NewItems = items, .OldItems = {}, .OldHalf = {}, .EarliestDate = kMarch2};
        TBudgetTable old("Numbers", false, Where("ID") == kNumber);
        for (; !old.Eof(); old.Next()) parts.OldItems.push_back(*NumberItemBlockOf(old));
        TTransWriter writer(kActChange, kNumber, otNumber, "Gas");
        WriteParts(writer, parts);
        return writer.Ready();
    }
    // Apply of the album frame: the new list and the old rows, the removed pictures moved out
    // of the album into "out/" and the staged ones into "in/", with their thumbnails.
    int PrepareAlbum(const std::vector<TImageBlock>& pictures,
                     const std::vector<std::string>& removed) const {
        TImagesChangeParts parts{pictures, {}};
        TBudgetTable old("Images", false, Where("ID") == kAlbum);
        for (; !old.Eof(); old.Next())
            parts.OldPictures.push_back(
                {old.FieldByName("FileName").AsString(), old.FieldByName("Descript").AsString()});
        TTransWriter writer(kActChange, kAlbum, otImages, "Trip");
        WriteParts(writer, parts);
        const fs::path saved = writer.MakeFolder();
        for (const char* folder : {"in/mini", "out/mini"}) fs::create_directories(saved / folder);
        for (const std::string& name : removed) {
            fs::rename(Album() / name, saved / "out" / name);
            fs::rename(Album() / "mini" / ThumbnailName(name),
                       saved / "out/mini" / ThumbnailName(name));
        }
        for (const fs::directory_entry& entry : fs::directory_iterator(Album() / "tmpload")) {
            const std::string name = entry.path().filename().string();
            fs::rename(entry.path(), saved / "in" / name);
            fs::rename(Album() / "mini/tmpload" / ThumbnailName(name),
                       saved / "in/mini" / ThumbnailName(name));
        }
        return writer.Ready();
    }

    static void SetPart(const char* table, int nTrans, int part, const TFieldValue& value) {
        TBudgetTable rows(table, true, Where("NTrans") == nTrans && Where("NPart") == part, "");
        rows.Edit();
        rows.FieldByName("Value").SetValue(value);
        rows.Post();
    }

    std::string Dump() const { return DumpBudget(budget, TDumpScope::WithoutJournal); }
    // The calls of the fake services that bring derived pay data up to date.
    std::vector<std::string> DerivedCalls() const {
        std::vector<std::string> derived;
        for (const std::string& call : shell.calls)
            if (call.starts_with("RebuildCalendar") || call.starts_with("RunAutoRecalc"))
                derived.push_back(call);
        return derived;
    }
    void ResetFatal() {
        shell.state.FatalClose = false;
        shell.fatalTexts.clear();
        shell.fatalErrors.clear();
    }
};

const std::vector<TTableRowBlock> kThreeRows = {
    {"rent", "500"}, {"\"gas\" / \\", "60.5"}, {" lead blank", ""}};
const std::vector<TImageBlock> kOldPictures = {{"beach day.jpg", "sun"},
                                               {"it's \"quoted\".png", "quotes"},
                                               {"same.jpg", "old one"},
                                               {"hill", "no extension"}};
const std::vector<TNumberItemBlock> kOldItems = {
    {kMarch2, "C", "12.5", "start", {}}, {kMarch5, "A", "", "computed", Algorithm("Old", 2)}};

// One content change of each kind: the content its object holds as the frame shows it, the
// change as the frame writes it, and what `check` sees in the object afterwards.
struct TChangeCase {
    const char* what;
    std::function<void(ContentTest&)> hold;
    std::function<int(ContentTest&)> prepare;
    std::function<void(ContentTest&)> check;
};

const TChangeCase kChanges[] = {
    {"a table from 3 rows to 2", [](ContentTest& t) { t.HoldRows(kThreeRows); },
     [](ContentTest&) {
         return ContentTest::PrepareTable({{"rent", "520"}, {"water", "\"12\""}});
     },
     [](ContentTest&) {
         EXPECT_EQ(RowsOf("Tables", kTable, "NRow", "ValueRow"),
                   (std::vector<std::string>{"1=520", "2=\"12\""}));
     }},
    {"a table emptied", [](ContentTest& t) { t.HoldRows(kThreeRows); },
     [](ContentTest&) { return ContentTest::PrepareTable({}); },
     [](ContentTest&) { EXPECT_EQ(CountRows("Tables", Where("ID") == kTable), 0); }},
    {"an empty table filled", [](ContentTest& t) { t.HoldRows({}); },
     [](ContentTest&) { return ContentTest::PrepareTable(kThreeRows); },
     [](ContentTest&) {
         EXPECT_EQ(RowsOf("Tables", kTable, "NameRow", "NRow"),
                   (std::vector<std::string>{"rent=1", "\"gas\" / \\=2", " lead blank=3"}));
     }},
    {"an album: a picture removed, one added, one replaced by another of its name, the rest "
     "reordered",
     [](ContentTest& t) { t.HoldPictures(kOldPictures); },
     [](ContentTest& t) {
         t.Stage("new sea.jpg", "sea");
         t.Stage("same.jpg", "new one");
         return t.PrepareAlbum({{"hill", "no extension"},
                                {"new sea.jpg", "added"},
                                {"same.jpg", "new one"},
                                {"it's \"quoted\".png", "quotes"}},
                               {"beach day.jpg", "same.jpg"});
     },
     [](ContentTest& t) {
         EXPECT_EQ(RowsOf("Images", kAlbum, "FileName", "Descript"),
                   (std::vector<std::string>{"hill=no extension", "new sea.jpg=added",
                                             "same.jpg=new one", "it's \"quoted\".png=quotes"}));
         EXPECT_FALSE(fs::exists(t.Album() / "beach day.jpg"));
         EXPECT_FALSE(fs::exists(t.Album() / "mini/beach day.bmp"));
         EXPECT_EQ(Read(t.Album() / "new sea.jpg"), "sea");
         EXPECT_EQ(Read(t.Album() / "mini/new sea.bmp"), "thumbnail sea");
         EXPECT_EQ(Read(t.Album() / "same.jpg"), "new one");
         EXPECT_EQ(Read(t.Album() / "mini/same.bmp"), "thumbnail new one");
         EXPECT_EQ(Read(t.Album() / "hill"), "picture hill");
     }},
    {"an album whose pictures are only reordered",
     [](ContentTest& t) { t.HoldPictures(kOldPictures); },
     [](ContentTest& t) {
         return t.PrepareAlbum({kOldPictures[3], kOldPictures[2], kOldPictures[1], kOldPictures[0]},
                               {});
     },
     [](ContentTest&) { EXPECT_EQ(RowsOf("Images", kAlbum, "Number", "FileName")[0], "1=hill"); }},
    {"a number's whole chronology", [](ContentTest& t) { t.HoldItems(kOldItems); },
     [](ContentTest&) {
         return ContentTest::PrepareNumber(
             {{kMarch2, "C", "13", "start", {}},
              {kMarch5, "A", "", "first", Algorithm("New", 1)},
              {kMarch5 + 9, "A", "", "second", Algorithm("Newer", 0)}});
     },
     [](ContentTest&) {
         EXPECT_EQ(RowsOf("Numbers", kNumber, "ConstValue", "Descript"),
                   (std::vector<std::string>{"13=start", "=first", "=second"}));
         // The old item's algorithm went with it.
         EXPECT_EQ(Column("Algorithms", "Name", {}, ""),
                   (std::vector<TFieldValue>{"New", "Newer"}));
     }},
};

}  // namespace

// ---- Round trips

class RoundTripTest : public ContentTest, public ::testing::WithParamInterface<int> {};

// Applied, undone, redone and undone again: the budget's tables and folders are exactly as the
// frame showed them before the change after each undo, and exactly as applied after the redo;
// in a running budget (a number change then recalculates it from its beginning after each step)
// and in a stopped one.
TEST_P(RoundTripTest, EveryChangeComesAndGoesWithItsUndoAndRedo) {
    shell.state.BudgetState = GetParam();
    for (const TChangeCase& c : kChanges) {
        SCOPED_TRACE(c.what);
        c.hold(*this);
        if (GetParam() == 0) shell.RunAutoRecalc(true, Today());  // the budget is up to date
        shell.calls.clear();
        const std::string before = Dump();
        const int nTrans = c.prepare(*this);
        const int id = RowOf(nTrans).IDObject;
        ASSERT_EQ(ApplyTransaction(nTrans), id);
        c.check(*this);
        const std::string applied = Dump();
        EXPECT_EQ(Undo(nTrans), id);
        EXPECT_EQ(Dump(), before);
        EXPECT_EQ(Redo(nTrans), id);
        EXPECT_EQ(Dump(), applied);
        EXPECT_EQ(Undo(nTrans), id);
        EXPECT_EQ(Dump(), before);
        EXPECT_TRUE(shell.fatalTexts.empty());
        EXPECT_TRUE(shell.fatalErrors.empty());
        const std::vector<std::string> recalc(id == kNumber && GetParam() == 0 ? 4 : 0,
                                              "RunAutoRecalc begin");
        EXPECT_EQ(DerivedCalls(), recalc);
    }
}

INSTANTIATE_TEST_SUITE_P(RunningAndStopped, RoundTripTest, ::testing::Values(0, 3),
                         [](const auto& info) { return info.param == 0 ? "Running" : "Stopped"; });

// ---- Bad input

namespace {

// Sets the value of the last part but `back` of the transaction in a part table.
void SetPartFromEnd(const char* table, int nTrans, int back, const TFieldValue& value) {
    TBudgetTable parts(table, true, Where("NTrans") == nTrans);
    parts.Last();
    for (int k = 0; k < back; ++k) parts.Prior();
    parts.Edit();
    parts.FieldByName("Value").SetValue(value);
    parts.Post();
}

}  // namespace

// Every part is read and checked before anything is written, by the apply and by the undo: a
// part missing, a count beyond the parts or negative, a stream cut inside an algorithm block,
// an old-half locator that misses the old half and an amount that is no decimal text are fatal
// -1, an object whose row is gone fatal -3; the budget stays exactly as it was.
TEST_F(ContentTest, AChangeWithABadPartIsFatalAndWritesNothing) {
    const auto table = [](ContentTest& t) {
        t.HoldRows(kThreeRows);
        return PrepareTable({{"a", "1"}, {"b", "2"}});
    };
    // A number change whose constant, in both halves, is that text.
    const auto number = [](const char* constant) {
        return [constant](ContentTest& t) {
            t.HoldItems({{kMarch2, "C", constant, "", {}}, kOldItems[1]});
            return PrepareNumber({{kMarch2, "C", constant, "", {}},
                                  {kMarch5, "A", "", "first", Algorithm("New", 1)}});
        };
    };
    const struct {
        const char* what;
        std::function<int(ContentTest&)> prepare;
        std::function<void(int nTrans)> spoil;
        int code;
    } cases[] = {
        {"a table's I1 missing", table, [](int n) { DropPart("jTrInteger", n, 1); }, -1},
        {"a table's I2 missing", table, [](int n) { DropPart("jTrInteger", n, 2); }, -1},
        {"a table's last text missing", table, [](int n) { DropPart("jTrText", n, 10); }, -1},
        {"a table's new count beyond its parts", table,
         [](int n) { SetPart("jTrInteger", n, 1, 4); }, -1},
        {"a table's old count negative", table, [](int n) { SetPart("jTrInteger", n, 2, -1); }, -1},
        {"the table's row gone", table,
         [](int) {
             TBudgetTable objects("Objects", true, Where("ID") == kTable);
             DeleteAllRows(objects);
         },
         -3},
        {"an album's I1 missing",
         [](ContentTest& t) {
             t.HoldPictures(kOldPictures);
             return t.PrepareAlbum({kOldPictures[0]}, {"hill"});
         },
         [](int n) { DropPart("jTrInteger", n, 1); }, -1},
        {"a number stream cut inside the old algorithm's text", number("13"),
         [](int n) { DropPart("jTrText", n, 21); }, -1},
        {"a number whose algorithm counts 10^6 initial data", number("13"),
         [](int n) { SetPart("jTrInteger", n, 7, 1000000); }, -1},
        {"a number whose old-half locator is one text off", number("13"),
         [](int n) { SetPartFromEnd("jTrInteger", n, 1, 99); }, -1},
        {"a constant \"1,2,3\"", number("1,2,3"), [](int) {}, -1},
        {"a constant \"abc\"", number("abc"), [](int) {}, -1},
        {"a constant \"1e5\"", number("1e5"), [](int) {}, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetFatal();
        const int nTrans = c.prepare(*this);
        const TTransRow row = RowOf(nTrans);
        c.spoil(nTrans);
        const std::string text = FatalErrorText(c.code);
        for (const bool undo : {false, true}) {
            SCOPED_TRACE(undo ? "undo" : "apply");
            ResetFatal();
            const std::string before = Dump();
            EXPECT_EQ(RunStep(row, undo), c.code);
            EXPECT_EQ(shell.fatalTexts, std::vector<std::string>{text});
            EXPECT_EQ(Dump(), before);
        }
        if (c.code == -3) AddObject(kTable, otTable, "Rates");
    }
}

// A constant that no decimal text gives is no reason to refuse the change that mends it; the
// undo that would bring it back is refused.
TEST_F(ContentTest, AChangeMendsAMalformedConstantAndItsUndoIsRefused) {
    HoldItems({{kMarch2, "C", "12,5x", "", {}}});
    const int nTrans = PrepareNumber({{kMarch2, "C", "12.5", "", {}}});
    ASSERT_EQ(ApplyTransaction(nTrans), kNumber);
    EXPECT_EQ(RowsOf("Numbers", kNumber, "ConstValue", "Descript"),
              std::vector<std::string>{"12.5="});
    const std::string applied = Dump();
    EXPECT_EQ(Undo(nTrans), -1);
    EXPECT_EQ(Dump(), applied);
}

// ---- An album's files

// Mend: the undo kept a picture of the removed one's name that is in the album again, as it
// should, but the apply did too, so that a redo kept the old pictures; the apply now brings its
// own. The undo still keeps a file it did not bring in.
TEST_F(ContentTest, TheUndoKeepsAFileOfARemovedPicturesNameThatTheChangeDidNotBring) {
    HoldPictures(kOldPictures);
    const int nTrans = PrepareAlbum({kOldPictures[1]}, {"beach day.jpg"});
    ASSERT_EQ(ApplyTransaction(nTrans), kAlbum);
    Write(Album() / "beach day.jpg", "another beach");
    ASSERT_EQ(Undo(nTrans), kAlbum);
    EXPECT_EQ(Read(Album() / "beach day.jpg"), "another beach");
    EXPECT_EQ(Read(Album() / "mini/beach day.bmp"), "thumbnail beach day.jpg");
}

// Only the regular files of "in/" and "out/" are pictures: a link, a folder or a pipe there is
// neither copied into the album nor deletes the album's picture of its name, and a folder of the
// album is never deleted.
TEST_F(ContentTest, LinksFoldersAndPipesInTheTransactionsFolderAreSkipped) {
    HoldPictures(kOldPictures);
    Stage("real.jpg", "real");
    const int nTrans = PrepareAlbum({kOldPictures[3], {"real.jpg", ""}}, {});
    const fs::path saved = TransFolder(nTrans);
    Write(fs::path(folders.TempPath()) / "outside.jpg", "outside");
    fs::create_symlink(fs::path(folders.TempPath()) / "outside.jpg", saved / "in/link.jpg");
    fs::create_directories(saved / "in/folder.jpg");
    ASSERT_EQ(mkfifo((saved / "in/pipe.jpg").c_str(), 0600), 0);
    fs::create_symlink(Album() / "hill", saved / "out/hill");  // a kept picture's name
    Write(saved / "out/mini", "a file of the name of the album's thumbnail folder");
    const std::string before = Dump();

    ASSERT_EQ(ApplyTransaction(nTrans), kAlbum);
    EXPECT_EQ(Read(Album() / "real.jpg"), "real");
    for (const char* skipped : {"link.jpg", "folder.jpg", "pipe.jpg"})
        EXPECT_FALSE(fs::exists(fs::symlink_status(Album() / skipped))) << skipped;
    EXPECT_EQ(Read(Album() / "hill"), "picture hill");
    EXPECT_EQ(Read(Album() / "mini/hill.bmp"), "thumbnail hill");
    EXPECT_TRUE(fs::is_directory(Album() / "mini/tmpload"));
    ASSERT_EQ(Undo(nTrans), kAlbum);
    EXPECT_EQ(Dump(), before);
}

// A transaction folder that is gone changes the rows and no file.
TEST_F(ContentTest, WithoutItsTransactionFolderAnAlbumChangeWritesTheRowsOnly) {
    HoldPictures(kOldPictures);
    Stage("new.jpg", "new");
    const int nTrans = PrepareAlbum({{"new.jpg", "n"}}, {"hill"});
    fs::remove_all(TransFolder(nTrans));
    const auto files = [&] {
        std::set<std::string> names;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(Album()))
            names.insert(fs::relative(entry.path(), Album()).string());
        return names;
    };
    const std::set<std::string> before = files();
    ASSERT_EQ(ApplyTransaction(nTrans), kAlbum);
    EXPECT_EQ(RowsOf("Images", kAlbum, "FileName", "Descript"),
              std::vector<std::string>{"new.jpg=n"});
    EXPECT_EQ(files(), before);
    ASSERT_EQ(Undo(nTrans), kAlbum);
    EXPECT_EQ(RowsOf("Images", kAlbum, "Number", "FileName").size(), kOldPictures.size());
    EXPECT_EQ(files(), before);
    EXPECT_TRUE(shell.fatalTexts.empty());
}

// ---- Reload marks

// A change and its undo make the album and number frames reload the object they show, and
// leave a frame that shows another object alone (in a stopped budget: a running one's
// recalculation makes the number frame reload whatever it shows).
TEST_F(ContentTest, AChangeResetsTheReloadMarkOfTheFrameThatShowsItsObject) {
    shell.state.BudgetState = 3;
    const struct {
        const char* what;
        TShownMark mark;
        int shown;
        std::function<int(ContentTest&)> prepare;
    } cases[] = {
        {"the album shown", TShownMark::Images, kAlbum,
         [](ContentTest& t) { return t.PrepareAlbum({}, {}); }},
        {"another album shown", TShownMark::Images, 99,
         [](ContentTest& t) { return t.PrepareAlbum({}, {}); }},
        {"the number shown", TShownMark::Number, kNumber,
         [](ContentTest&) { return PrepareNumber({}); }},
        {"another number shown", TShownMark::Number, 99,
         [](ContentTest&) { return PrepareNumber({}); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const int nTrans = c.prepare(*this);
        const int expected = c.shown == 99 ? 99 : -1;
        const auto shownAfter = [&](const std::function<void()>& step) {
            shell.state.SetShown(c.mark, c.shown, budget);
            step();
            return c.mark == TShownMark::Images ? shell.state.ImagesShownID
                                                : shell.state.NumberShownID;
        };
        EXPECT_EQ(shownAfter([&] { ApplyTransaction(nTrans); }), expected);
        EXPECT_EQ(shownAfter([&] { Undo(nTrans); }), expected);
    }
}

// ---- A process killed during an album change

namespace {

// The album change's steps, and after each, before its store transaction commits, a pause in
// which the test kills the process.
class TPausingImagesChangeKind : public TImagesChangeKind {
public:
    explicit TPausingImagesChangeKind(int pipe) : pipe_(pipe) {}
    std::optional<int> Apply(TStep& step) const override {
        return Paused(TImagesChangeKind::Apply(step));
    }
    std::optional<int> Undo(TStep& step) const override {
        return Paused(TImagesChangeKind::Undo(step));
    }

private:
    std::optional<int> Paused(std::optional<int> result) const {
        Ready(pipe_);
        pause();
        return result;
    }
    int pipe_;
};

// An album of 16 large pictures and a change that removes 8 of them and adds 8 others, 4 of
// which take a removed picture's name; the change applied and undone once.
class AlbumKillTest : public ContentTest {
public:
    AlbumKillTest() {
        std::vector<TImageBlock> pictures;
        for (int k = 0; k < 16; ++k) pictures.push_back({"p " + std::to_string(k) + ".jpg", ""});
        HoldPictures(pictures);
        std::vector<TImageBlock> kept(pictures.begin(), pictures.begin() + 8);
        std::vector<std::string> removed;
        for (int k = 8; k < 16; ++k) {
            removed.push_back(pictures[k].FileName);
            const std::string name =
                k < 12 ? pictures[k].FileName : "n " + std::to_string(k) + ".jpg";
            Stage(name, std::string(512 * 1024, static_cast<char>('a' + k)));
            kept.push_back({name, "new"});
        }
        for (const TImageBlock& picture : pictures) oldRows.push_back(picture.FileName + "=");
        for (const TImageBlock& picture : kept)
            newRows.push_back(picture.FileName + "=" + picture.Descript);
        nTrans = PrepareAlbum(kept, removed);
        row = RowOf(nTrans);
        // Applied and undone: the album holds its old pictures again. (From the album frame's
        // moves to the first application's commit the old rows name pictures that lie in the
        // transaction's "out/"; that is the frame's to guard.)
        EXPECT_EQ(ApplyTransaction(nTrans), kAlbum);
        EXPECT_EQ(RunStep(row, true), kAlbum);
        dm.FlushAndCloseTables();  // the child opens the budget on its own
    }

    // Whether the album's rows are now the old ones (else they must be the new ones).
    bool RowsAreOld() const { return Rows() == oldRows; }
    std::vector<std::string> Rows() const {
        return RowsOf("Images", kAlbum, "FileName", "Descript");
    }

    // The tables file is sound, the rows are all old or all new, and every picture they name is
    // in the album with its thumbnail.
    void CheckAlbum() {
        EXPECT_EQ(IntegrityOf(budget), "ok");
        dm.OpenTables();
        const std::vector<std::string> rows = Rows();
        EXPECT_TRUE(rows == oldRows || rows == newRows);
        TBudgetTable images("Images", false, Where("ID") == kAlbum);
        for (; !images.Eof(); images.Next()) {
            const std::string name = images.FieldByName("FileName").AsString();
            EXPECT_TRUE(fs::is_regular_file(Album() / name)) << name;
            EXPECT_TRUE(fs::is_regular_file(Album() / "mini" / ThumbnailName(name))) << name;
        }
        dm.FlushAndCloseTables();
    }

    std::vector<std::string> oldRows, newRows;
    int nTrans = 0;
    TTransRow row;
};

}  // namespace

// Killed when the redo or the undo has done everything but commit: the rows are as before the
// step and the album still has every picture they name.
TEST_F(AlbumKillTest, AKillBeforeTheCommitOfAStepLeavesThePicturesTheOldRowsName) {
    for (const bool undo : {false, true}) {
        SCOPED_TRACE(undo ? "undo" : "redo");
        KillDuring(
            [&](int ready) {
                dm.OpenTables();
                TransKinds().Add(std::make_unique<TPausingImagesChangeKind>(ready));
                RunStep(row, undo);
            },
            std::chrono::milliseconds(10));
        CheckAlbum();
        dm.OpenTables();
        EXPECT_EQ(RowsAreOld(), !undo);
        RunStep(row, undo);  // done for the next round
        EXPECT_EQ(RowsAreOld(), undo);
        dm.FlushAndCloseTables();
    }
}

// Killed at any moment of a run of redos and undos, each step in a store transaction as the
// engine runs it: the rows are all old or all new and the album has every picture they name.
TEST_F(AlbumKillTest, AKillAtAnyMomentOfAnAlbumChangeLeavesEveryPictureItsRowsName) {
    for (const int delay : {1, 3, 7, 15, 30, 60}) {
        SCOPED_TRACE(delay);
        KillDuring(
            [&](int ready) {
                dm.OpenTables();
                bool undo = !RowsAreOld();
                Ready(ready);
                for (;; undo = !undo) RunStep(row, undo);
            },
            std::chrono::milliseconds(delay));
        CheckAlbum();
    }
}
