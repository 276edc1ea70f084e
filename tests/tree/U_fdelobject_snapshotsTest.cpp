// The "DEL" transaction with its snapshot as the delete-object dialog writes it: the numbering
// of its parts, the files it saves, what ends it before "READY", and the round trip through
// the journal (delete, undo, redo, undo) for every object type on a realistic budget.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "common/BudgetDump.h"
#include "common/ChildProcess.h"
#include "common/OpenBudget.h"
#include "pays/Uscheduler.h"
#include "shell/JournalKinds.h"
#include "store/KindFixture.h"
#include "store/TransBlockRows.h"
#include "store/TransKindObject.h"
#include "tree/U_fdelobject_snapshots.h"

namespace fs = std::filesystem;

namespace {

// The deletion's transaction written and made ready, as the dialog's OK does before it applies
// it; its number, or 0 when nothing was written.
int ReadyDeletion(int id) {
    const std::unique_ptr<TTransWriter> writer = WriteDelTransaction(id);
    return writer ? writer->Ready() : 0;
}

using ObjectKinds =
    KindFixture<TAddKind<TFolderContent>, TDeleteKind<TFolderContent>, TAddKind<TTableContent>,
                TDeleteKind<TTableContent>, TAddKind<TImagesContent>, TDeleteKind<TImagesContent>,
                TAddKind<TFilesContent>, TDeleteKind<TFilesContent>, TAddKind<TNumberContent>,
                TDeleteKind<TNumberContent>, TAddKind<TPayContent>, TDeleteKind<TPayContent>>;

const TDateTime kMarch2 = EncodeDate(2024, 3, 2);

void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

std::string Read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every entry below the folder by its relative path: a file's bytes, "-> target" for a link,
// "/" for a folder.
std::map<std::string, std::string> Listing(const fs::path& folder) {
    std::map<std::string, std::string> entries;
    for (auto it = fs::recursive_directory_iterator(folder);
         it != fs::recursive_directory_iterator(); ++it) {
        const std::string name = it->path().lexically_relative(folder).string();
        if (it->is_symlink())
            entries[name] = "-> " + fs::read_symlink(it->path()).string();
        else if (it->is_directory())
            entries[name] = "/";
        else
            entries[name] = Read(it->path());
    }
    return entries;
}

// Object 3 "Home" under the root; the objects of the tests live in it.
class SnapshotTest : public ObjectKinds {
protected:
    static constexpr int kHome = 3;
    SnapshotTest() { AddObject(kHome, 0, otFolder, "Home", 80); }

    static void AddObject(int id, int parent, int type, const std::string& name, int image,
                          const std::string& expanded = "N") {
        AddRow("Objects", {{"ID", id},
                           {"IDParent", parent},
                           {"Type", type},
                           {"Image", image},
                           {"Expanded", expanded},
                           {"Name", name},
                           {"Descript", name + " notes"}});
    }
    // An algorithm stored for its owner, with one initial datum and the text.
    static int AddAlgorithm(int owner, const std::string& text, int source = 99) {
        Algorithm01 algorithm;
        algorithm.IDParent = owner;
        algorithm.Valid = true;
        algorithm.Name = "Alg of " + std::to_string(owner);
        algorithm.Descript = "computes";
        algorithm.VarOfResult = 2;
        algorithm.INDataList.push_back(
            {"I001", 1, 0, source, otNumber, kHome, 0, "5", "1", "", ""});
        algorithm.VarDescrList.push_back({2, "the result"});
        algorithm.Text = text;
        return DM->SaveAlgorithm(algorithm);
    }
    static Schedule MakeSchedule(char periodicity, int priority) {
        Schedule schedule;
        SetDefaultSchedule(schedule);
        schedule.Periodicity = periodicity;
        schedule.UnitaryDate = kMarch2 + priority;
        schedule.Months[0].On = false;
        schedule.Months[1] = {true, 30, true};
        schedule.WeekDays = {true, false, true, false, false, false, true};
        schedule.Priority = priority;
        return schedule;
    }
    static int AddSchedule(char periodicity, int priority) {
        return SaveSchedule(MakeSchedule(periodicity, priority));
    }
    // A charge as the program stores it, or with the words of its letters (letters = false).
    static void AddCharge(int pay, const std::string& name, const std::string& activity,
                          TDateTime begin, int idSchedule, int idAlg = 0, bool letters = true) {
        TRowValues values = {{"ID", pay},
                             {"Name", name},
                             {"Descript", name + " each month"},
                             {"DateBegin", begin},
                             {"RestrictTime", letters ? "L" : "Limited"},
                             {"DateEnd", begin + 365},
                             {"Activity", activity},
                             {"ItemType", std::string(idAlg ? "Algorithm" : "Constant")
                                              .substr(0, letters ? 1 : std::string::npos)},
                             {"ConstValue", idAlg ? "" : "500.25"},
                             {"IDSchedule", idSchedule}};
        if (idAlg) values.push_back({"IDAlg", idAlg});
        AddRow("PayAutoCharges", values);
    }
    static void AddEvent(int pay, TDateTime date, const std::string& type, int idCharge, int n) {
        AddRow("PayHistory", {{"ID", pay},
                              {"DateEvent", date},
                              {"TypeEvent", type},
                              {"Counter", type == "CN" ? std::to_string(100 + n) : ""},
                              {"IDCharge", idCharge},
                              {"PrtyCharge", idCharge ? 3 : 0},
                              {"NManOper", idCharge ? 0 : 1},
                              {"Charge", type == "CH" ? "12.5" : ""},
                              {"ForPayment", type == "CH" ? "12.5" : ""},
                              {"Payment", type == "PY" ? "10" : ""},
                              {"CurBalance", "-" + std::to_string(n)},
                              {"Descript", "event " + std::to_string(n)}});
    }

    std::string Path(const std::string& relative) const { return budget + "/" + relative; }
    std::string Dump() const { return DumpBudget(budget, TDumpScope::WithoutJournal); }
    // The journal row of the transaction as the undo and redo runs read it.
    static TTransRow RowOf(int nTrans) {
        TBudgetTable trans("jTrans", false, Where("NTrans") == nTrans, "");
        return {nTrans, trans.FieldByName("Act").AsString(),
                trans.FieldByName("IDObject").AsInteger(), trans.FieldByName("Type").AsInteger(),
                trans.FieldByName("NameObject").AsString()};
    }
    // The number of parts of the transaction in a part table.
    static int Parts(const char* table, int nTrans) {
        return CountRows(table, Where("NTrans") == nTrans);
    }
    static bool NoTransaction() {
        return Column("jTrans", "NTrans", {}, "").empty() && Parts("jTrText", 1) == 0;
    }
};

}  // namespace

// ---- The numbering of the parts

// A pay with one constant charge and one event: T2, T3, D1, D2; the charge T4 to T9, I5, T10,
// D6, T11, T12, I6 (D4, D5 its dates); the event D7, T13, T14, I7 to I9, T15 to T19; then D3,
// I3 = 1 and I4 = 1.
TEST_F(SnapshotTest, APayWithOneChargeAndOneEventIsNumberedAsItsLayout) {
    AddObject(5, kHome, otPay, "Rent", 24);
    AddRow("Pays", {{"ID", 5},
                    {"Direction", "O"},
                    {"FilterMode", "011110000000000"},
                    {"FilterDateFrom", kMarch2},
                    {"FilterDateTo", kMarch2 + 9}});
    const int idSchedule = AddSchedule('M', 4);
    AddCharge(5, "Rent", "Active", kMarch2, idSchedule, 0, false);
    AddEvent(5, kMarch2 + 1, "CH", 1, 7);
    const int nTrans = ReadyDeletion(5);
    ASSERT_EQ(nTrans, 1);

    TTransReader parts(nTrans);
    const std::vector<std::pair<int, std::string>> texts = {
        {1, "Rent notes"},
        {2, "O"},
        {3, "011110000000000"},
        {4, "Rent"},
        {5, "Rent each month"},
        {6, "L"},
        {7, "A"},
        {8, "C"},
        {9, "500.25"},
        {10, "M"},
        {11, EncodeMonthesDays(MakeSchedule('M', 4))},
        {12, "YNYNNNY"},
        {13, "CH"},
        {14, ""},
        {15, "12.5"},
        {16, "12.5"},
        {17, ""},
        {18, "-7"},
        {19, "event 7"}};
    for (const auto& [part, value] : texts) EXPECT_EQ(parts.Text(part), value) << "T" << part;
    const std::vector<std::pair<int, int>> ints = {
        {1, kHome}, {2, 24}, {3, 1}, {4, 1}, {5, idSchedule}, {6, 4}, {7, 1}, {8, 3}, {9, 0}};
    for (const auto& [part, value] : ints) EXPECT_EQ(parts.Int(part), value) << "I" << part;
    const std::vector<std::pair<int, TDateTime>> dates = {
        {1, kMarch2},       {2, kMarch2 + 9}, {3, kMarch2},    {4, kMarch2},
        {5, kMarch2 + 365}, {6, kMarch2 + 4}, {7, kMarch2 + 1}};
    for (const auto& [part, value] : dates) EXPECT_EQ(parts.Date(part), value) << "D" << part;
    EXPECT_EQ(Parts("jTrText", nTrans), 19);
    EXPECT_EQ(Parts("jTrInteger", nTrans), 9);
    EXPECT_EQ(Parts("jTrDate", nTrans), 7);
}

// A number with a constant and an algorithm item (empty text, one datum, no variable
// descriptions): D1, T2 to T4; D2, T5 to T7, I4 = IDAlg, I5 Valid, I6 IDParent, T8, T9, I7
// VarOfResult, I8 = 1, I9 = 0, I10 = 0, the datum T10, I11 to I15, T11 to T13; then I3 = 2.
TEST_F(SnapshotTest, ANumberWithAConstantAndAnAlgorithmItemIsNumberedAsItsLayout) {
    AddObject(5, kHome, otNumber, "Meter", 22);
    Algorithm01 algorithm;
    algorithm.IDParent = 5;
    algorithm.Valid = true;
    algorithm.Name = "Meter alg";
    algorithm.Descript = "d";
    algorithm.VarOfResult = 3;
    algorithm.INDataList.push_back({"I001", 1, 0, 61, otPay, kHome, 4, "P1", "P2", "P3", ""});
    const int idAlg = DM->SaveAlgorithm(algorithm);
    AddRow("Numbers", {{"ID", 5},
                       {"DateBegin", kMarch2},
                       {"ItemType", "Constant"},
                       {"ConstValue", "1.5"},
                       {"Descript", "first"}});
    AddRow("Numbers", {{"ID", 5},
                       {"DateBegin", kMarch2 + 3},
                       {"ItemType", "A"},
                       {"ConstValue", ""},
                       {"IDAlg", idAlg},
                       {"Descript", "second"}});
    const int nTrans = ReadyDeletion(5);
    ASSERT_EQ(nTrans, 1);

    TTransReader parts(nTrans);
    const std::vector<std::pair<int, std::string>> texts = {
        {2, "C"},         {3, "1.5"}, {4, "first"}, {5, "A"},   {6, ""},    {7, "second"},
        {8, "Meter alg"}, {9, "d"},   {10, "I001"}, {11, "P1"}, {12, "P2"}, {13, "P3"}};
    for (const auto& [part, value] : texts) EXPECT_EQ(parts.Text(part), value) << "T" << part;
    const std::vector<std::pair<int, int>> ints = {
        {3, 2},  {4, idAlg}, {5, 1},   {6, 5},      {7, 3},      {8, 1}, {9, 0},
        {10, 0}, {11, 1},    {12, 61}, {13, otPay}, {14, kHome}, {15, 4}};
    for (const auto& [part, value] : ints) EXPECT_EQ(parts.Int(part), value) << "I" << part;
    EXPECT_EQ(parts.Date(1), kMarch2);
    EXPECT_EQ(parts.Date(2), kMarch2 + 3);
    EXPECT_EQ(Parts("jTrText", nTrans), 13);
    EXPECT_EQ(Parts("jTrInteger", nTrans), 15);
    EXPECT_EQ(Parts("jTrDate", nTrans), 2);
}

// The common parts take the stored icon, not the expanded one the tree shows; objects without
// content write only what their layout has.
TEST_F(SnapshotTest, ObjectsWithoutContentWriteTheCommonPartsAndTheirCounts) {
    const TDateTime tomorrow = Today() + 1;
    AddObject(5, kHome, otFolder, "Empty", 84, "Y");
    AddObject(6, 0, otNumber, "No items", 22);
    AddObject(7, kHome, otPay, "No events", 26);
    AddRow("Pays", {{"ID", 7}, {"Direction", "I"}});
    AddObject(8, kHome, otTable, "Blank rows", 16);
    for (int k = 1; k <= 2; ++k)
        AddRow("Tables", {{"ID", 8}, {"NRow", k}, {"NameRow", ""}, {"ValueRow", ""}});
    const struct {
        int id;
        int ints, texts, dates;
        std::vector<std::pair<int, int>> intParts;
    } cases[] = {
        {5, 2, 1, 0, {{1, kHome}, {2, 84}}},
        {6, 3, 1, 0, {{1, 0}, {2, 22}, {3, 0}}},
        {7, 4, 3, 3, {{2, 26}, {3, 0}, {4, 0}}},
        {8, 3, 5, 0, {{3, 2}}},
    };
    int nTrans = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        ASSERT_EQ(ReadyDeletion(c.id), ++nTrans);
        EXPECT_EQ(Parts("jTrInteger", nTrans), c.ints);
        EXPECT_EQ(Parts("jTrText", nTrans), c.texts);
        EXPECT_EQ(Parts("jTrDate", nTrans), c.dates);
        TTransReader parts(nTrans);
        for (const auto& [part, value] : c.intParts) EXPECT_EQ(parts.Int(part), value);
    }
    EXPECT_EQ(TTransReader(3).Date(3), tomorrow);
    EXPECT_EQ(TTransReader(4).Text(2), "");
}

// D3 starts at tomorrow and takes the earliest DateBegin of an active charge only.
TEST_F(SnapshotTest, TheEarliestActiveChargeDateStartsAtTomorrow) {
    const TDateTime tomorrow = Today() + 1;
    const struct {
        const char* what;
        std::vector<std::pair<std::string, TDateTime>> charges;  // Activity, DateBegin
        TDateTime d3;
    } cases[] = {
        {"no charges", {}, tomorrow},
        {"a passive charge long ago", {{"P", kMarch2}}, tomorrow},
        {"an active charge after tomorrow", {{"A", tomorrow + 30}}, tomorrow},
        {"the earliest active one",
         {{"A", kMarch2 + 5}, {"P", kMarch2}, {"A", kMarch2 + 2}},
         kMarch2 + 2},
    };
    int id = 10, nTrans = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ++id;
        AddObject(id, kHome, otPay, "Pay " + std::to_string(id), 24);
        AddRow("Pays", {{"ID", id}, {"Direction", "O"}});
        for (const auto& [activity, begin] : c.charges)
            AddCharge(id, "c", activity, begin, AddSchedule('W', 1));
        ASSERT_EQ(ReadyDeletion(id), ++nTrans);
        EXPECT_EQ(TTransReader(nTrans).Date(3), c.d3);
    }
}

// The algorithm block keeps every text whole but the variable descriptions (their first 100
// characters) and cuts the text into pieces of 100.
TEST_F(SnapshotTest, AlgorithmTextsGoWholeButVariableDescriptionsAndTextPieces) {
    const std::string long150 = std::string(149, 'v') + "ж";
    const struct {
        std::string text;
        std::vector<std::string> pieces;
    } cases[] = {
        {std::string(100, 'x'), {std::string(100, 'x')}},
        {std::string(101, 'x'), {std::string(100, 'x'), "x"}},
        {"", {}},
    };
    int id = 10, nTrans = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.size());
        ++id;
        AddObject(id, kHome, otNumber, "N" + std::to_string(id), 22);
        Algorithm01 algorithm;
        algorithm.Name = std::string(150, 'n');
        algorithm.Descript = std::string(150, 'd');
        algorithm.INDataList.push_back(
            {std::string(150, 'i'), 1, 0, 5, otNumber, 0, 0, std::string(150, 'p'), "", "", ""});
        algorithm.VarDescrList.push_back({1, long150});
        algorithm.Text = c.text;
        const int idAlg = DM->SaveAlgorithm(algorithm);
        AddRow("Numbers",
               {{"ID", id}, {"DateBegin", kMarch2}, {"ItemType", "A"}, {"IDAlg", idAlg}});
        ASSERT_EQ(ReadyDeletion(id), ++nTrans);
        const auto parts = ReadParts<TObjectParts<TNumberContent>>(nTrans);
        ASSERT_TRUE(parts && parts->Snapshot.Items.size() == 1);
        const TAlgorithmBlock& block = parts->Snapshot.Items[0].Algorithm;
        EXPECT_EQ(block.TextPieces, c.pieces);
        EXPECT_EQ(block.Name, algorithm.Name);
        EXPECT_EQ(block.Descript, algorithm.Descript);
        EXPECT_EQ(block.ExtData.at(0).Name, std::string(150, 'i'));
        EXPECT_EQ(block.ExtData.at(0).Param1, std::string(150, 'p'));
        EXPECT_EQ(block.VarDescr.at(0).Descript, std::string(100, 'v'));
    }
}

// A charge whose schedule is gone writes a schedule of its own ID that falls due on no date,
// never the schedule of the charge before it.
TEST_F(SnapshotTest, AChargeWithoutItsScheduleWritesTheMissingScheduleBlock) {
    AddObject(5, kHome, otPay, "Rent", 24);
    AddRow("Pays", {{"ID", 5}, {"Direction", "O"}});
    AddCharge(5, "A first", "A", kMarch2, AddSchedule('M', 7));
    AddCharge(5, "B gone", "A", kMarch2, 77);
    ASSERT_EQ(ReadyDeletion(5), 1);
    const auto parts = ReadParts<TObjectParts<TPayContent>>(1);
    ASSERT_TRUE(parts && parts->Snapshot.AutoCharges.size() == 2);
    const TAutoChargeBlock& gone = parts->Snapshot.AutoCharges[1];
    EXPECT_EQ(gone.ScheduleId, 77);
    EXPECT_EQ(gone.Periodicity, "");
    EXPECT_EQ(gone.UnitaryDate, 0);
    std::string noMonths;
    for (int month = 0; month < 12; ++month) noMonths += "N01";
    EXPECT_EQ(gone.MonthesDays, noMonths);
    EXPECT_EQ(gone.WeekDays, "NNNNNNN");
    EXPECT_EQ(gone.Priority, 0);
    EXPECT_EQ(parts->Snapshot.AutoCharges[0].Priority, 7);
}

// ---- What ends the writing before "READY": nothing of it stays, the object stays whole

TEST_F(SnapshotTest, AMissingAlgorithmOrObjectRowEndsTheWritingWithNothingWritten) {
    AddObject(5, kHome, otNumber, "Meter", 22);
    AddRow("Numbers", {{"ID", 5}, {"DateBegin", kMarch2}, {"ItemType", "A"}, {"IDAlg", 40}});
    AddObject(6, kHome, otPay, "Rent", 24);
    AddRow("Pays", {{"ID", 6}, {"Direction", "O"}});
    AddCharge(6, "c", "A", kMarch2, AddSchedule('M', 1), 41);
    const std::string before = Dump();
    for (const int id : {5, 6, 99}) {
        SCOPED_TRACE(id);
        shell.state.FatalClose = false;
        shell.fatalTexts.clear();
        EXPECT_EQ(ReadyDeletion(id), 0);
        EXPECT_EQ(
            shell.fatalTexts,
            std::vector<std::string>{"FATAL ERROR: The object with such identifier is not found"});
        EXPECT_TRUE(NoTransaction());
        EXPECT_EQ(Dump(), before);
    }
}

// The transaction's folder cannot be made: the main window's fatal report -2, and nothing is
// written.
TEST_F(SnapshotTest, AFolderThatCannotBeMadeEndsTheWritingWithNothingWritten) {
    AddObject(5, kHome, otImages, "Photos", 18);
    AddObject(6, kHome, otFiles, "Papers", 20);
    Write(Path("Images/IMG5/a.jpg"), "a");
    Write(Path("jTrFiles"), "a file in the way");
    for (const int id : {5, 6}) {
        SCOPED_TRACE(id);
        shell.state.FatalClose = false;
        shell.fatalErrors.clear();
        const std::string before = Dump();
        EXPECT_EQ(ReadyDeletion(id), 0);
        EXPECT_EQ(shell.fatalErrors, std::vector<int>{-2});
        EXPECT_TRUE(NoTransaction());
        EXPECT_EQ(Dump(), before);
    }
}

// A leftover folder of the transaction's number is emptied before the snapshot goes in.
TEST_F(SnapshotTest, ALeftoverFolderOfTheNumberIsEmptiedFirst) {
    AddObject(5, kHome, otFiles, "Papers", 20);
    Write(Path("Files/DIR5/a.txt"), "a");
    Write(Path("jTrFiles/1/stale.txt"), "not this object's");
    Write(Path("jTrFiles/1/sub/old"), "old");
    ASSERT_EQ(ReadyDeletion(5), 1);
    EXPECT_EQ(Listing(Path("jTrFiles/1")), (std::map<std::string, std::string>{{"a.txt", "a"}}));
    EXPECT_EQ(TTransReader(1).Int(3), 1);
}

// ---- The files

// The album's pictures, also one without a row, go with their thumbnails; a row whose file is
// missing and a missing thumbnail save nothing; a name without an extension gets ".bmp"; odd
// names and links (as links) go as they are; the "mini" folder is made even for an empty album.
TEST_F(SnapshotTest, AnAlbumSavesEveryFileOfItsFolderWithItsThumbnail) {
    AddObject(5, kHome, otImages, "Photos", 18);
    const std::vector<std::string> names = {
        "beach.jpg",         "no extension",           "\"quoted\" it's",
        "-leading dash.png", "bad \xff\xfe bytes.jpg", ".hidden.jpg",
        "empty.jpg"};
    int number = 0;
    for (const std::string& name : names) {
        AddRow("Images",
               {{"ID", 5}, {"Number", ++number}, {"FileName", name}, {"Descript", "d " + name}});
        Write(Path("Images/IMG5/" + name), name == "empty.jpg" ? "" : "picture " + name);
        Write(Path("Images/IMG5/mini/" + ThumbnailName(name)), "thumbnail " + name);
    }
    AddRow("Images", {{"ID", 5}, {"Number", ++number}, {"FileName", "gone.jpg"}, {"Descript", ""}});
    Write(Path("Images/IMG5/without row.jpg"), "stray");  // and without a thumbnail
    fs::create_symlink("beach.jpg", Path("Images/IMG5/link.jpg"));
    fs::create_directories(Path("Images/IMG5/tmpload"));
    Write(Path("Images/IMG5/tmpload/staged.jpg"), "staged");
    AddObject(6, kHome, otImages, "Empty album", 18);

    ASSERT_EQ(ReadyDeletion(5), 1);
    std::map<std::string, std::string> expected = {
        {"mini", "/"}, {"without row.jpg", "stray"}, {"link.jpg", "-> beach.jpg"}};
    for (const std::string& name : names) {
        expected[name] = name == "empty.jpg" ? "" : "picture " + name;
        expected["mini/" + ThumbnailName(name)] = "thumbnail " + name;
    }
    EXPECT_EQ(Listing(Path("jTrFiles/1")), expected);
    EXPECT_EQ(ThumbnailName("no extension"), "no extension.bmp");
    // A copy of its own: the saved picture stays as it was when the album's file changes.
    std::ofstream(Path("Images/IMG5/beach.jpg"), std::ios::app) << " changed";
    EXPECT_EQ(Read(Path("jTrFiles/1/beach.jpg")), "picture beach.jpg");
    const auto parts = ReadParts<TObjectParts<TImagesContent>>(1);
    ASSERT_TRUE(parts.has_value());
    ASSERT_EQ(parts->Snapshot.Pictures.size(), names.size() + 1);
    EXPECT_EQ(parts->Snapshot.Pictures[4].FileName, "bad \xff\xfe bytes.jpg");
    EXPECT_EQ(parts->Snapshot.Pictures.back().FileName, "gone.jpg");

    ASSERT_EQ(ReadyDeletion(6), 2);
    EXPECT_EQ(Listing(Path("jTrFiles/2")), (std::map<std::string, std::string>{{"mini", "/"}}));
    EXPECT_EQ(TTransReader(2).Int(3), 0);
}

// A collection saves everything it holds: hidden and empty files, sub-folders, links as links;
// I3 counts the entries saved.
TEST_F(SnapshotTest, ACollectionSavesItsFilesFoldersAndLinks) {
    AddObject(5, kHome, otFiles, "Papers", 20);
    Write(Path("Files/DIR5/a b.txt"), "a");
    Write(Path("Files/DIR5/.hidden"), "h");
    Write(Path("Files/DIR5/empty"), "");
    Write(Path("Files/DIR5/sub/deep/c.txt"), "c");
    fs::create_symlink("/etc/hostname", Path("Files/DIR5/outside"));
    fs::create_directory_symlink("sub", Path("Files/DIR5/folder link"));
    AddObject(6, kHome, otFiles, "No folder", 20);

    ASSERT_EQ(ReadyDeletion(5), 1);
    EXPECT_EQ(Listing(Path("jTrFiles/1")), Listing(Path("Files/DIR5")));
    EXPECT_TRUE(fs::is_symlink(Path("jTrFiles/1/outside")));
    EXPECT_EQ(TTransReader(1).Int(3), 8);
    ASSERT_EQ(ReadyDeletion(6), 2);
    EXPECT_TRUE(fs::is_empty(Path("jTrFiles/2")));
    EXPECT_EQ(TTransReader(2).Int(3), 0);
}

// Mend: the first application of a collection's deletion copied its files a second time, right
// after the preparation had saved them. It now keeps the files the preparation saved (each the
// very file, which a link to it shows) and their count; a redo still saves the folder anew.
TEST_F(SnapshotTest, TheDeletionSavesTheFilesOfACollectionOnce) {
    AddObject(5, kHome, otFiles, "Papers", 20);
    Write(Path("Files/DIR5/a.txt"), "a");
    Write(Path("Files/DIR5/sub/b.txt"), "b");
    const int nTrans = ReadyDeletion(5);
    ASSERT_EQ(nTrans, 1);
    // The links keep the saved files' inodes taken, so a copy made anew cannot reuse them.
    for (const char* name : {"a.txt", "sub/b.txt"})
        fs::create_hard_link(Path("jTrFiles/1/") + name,
                             Path("probe ") + fs::path(name).stem().string());
    ASSERT_EQ(ApplyTransaction(nTrans), 1);
    EXPECT_FALSE(fs::exists(Path("Files/DIR5")));
    EXPECT_TRUE(fs::equivalent(Path("jTrFiles/1/a.txt"), Path("probe a")));
    EXPECT_TRUE(fs::equivalent(Path("jTrFiles/1/sub/b.txt"), Path("probe b")));
    EXPECT_EQ(TTransReader(nTrans).Int(3), 3);
    EXPECT_TRUE(shell.fatalErrors.empty());
}

// A picture, thumbnail or file that exists but cannot be copied (a pipe here, which every user
// fails to copy) ends the deletion with the file's name: no row, no folder, the object whole.
TEST_F(SnapshotTest, AFileThatCannotBeSavedEndsTheDeletionNamingIt) {
    AddObject(5, kHome, otImages, "Photos", 18);
    AddObject(6, kHome, otFiles, "Papers", 20);
    Write(Path("Images/IMG5/a.jpg"), "a");
    Write(Path("Files/DIR6/a.txt"), "a");
    const struct {
        int id;
        std::string pipe;
    } cases[] = {
        {5, "Images/IMG5/pipe.jpg"},
        {5, "Images/IMG5/mini/a.bmp"},
        {6, "Files/DIR6/sub/pipe"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pipe);
        fs::create_directories(fs::path(Path(c.pipe)).parent_path());
        ASSERT_EQ(mkfifo(Path(c.pipe).c_str(), 0600), 0);
        const std::string before = Dump();
        try {
            ReadyDeletion(c.id);
            ADD_FAILURE() << "no error";
        } catch (const ESnapshotFile& failure) {
            EXPECT_EQ(failure.File(), fs::path(Path(c.pipe)));
        }
        EXPECT_TRUE(NoTransaction());
        EXPECT_FALSE(fs::exists(Path("jTrFiles/1")));
        EXPECT_EQ(Dump(), before);
        fs::remove(Path(c.pipe));
    }
    EXPECT_TRUE(shell.fatalTexts.empty());
}

// ---- The round trip

namespace {

// Object 5 of the type in Home, with a content as a user makes it.
class RoundTripTest : public SnapshotTest, public ::testing::WithParamInterface<int> {
protected:
    static constexpr int kId = 5;

    void Populate() {
        const int type = GetParam();
        AddObject(kId, kHome, type, "Thing", type + 2);
        switch (type) {
            case otTable:
                for (int k = 1; k <= 50; ++k)
                    AddRow("Tables", {{"ID", kId},
                                      {"NRow", k},
                                      {"NameRow", "row " + std::to_string(k)},
                                      {"ValueRow", k % 7 ? std::to_string(k * 3) : ""}});
                break;
            case otImages:
                for (const char* folder : {"tmpload", "mini/tmpload"})
                    fs::create_directories(Path("Images/IMG5/") + folder);
                for (int k = 1; k <= 20; ++k) {
                    const std::string name = "picture " + std::to_string(k) + ".jpg";
                    AddRow("Images", {{"ID", kId},
                                      {"Number", k},
                                      {"FileName", name},
                                      {"Descript", "seen " + std::to_string(k)}});
                    Write(Path("Images/IMG5/" + name), std::string(1000 + k, char('a' + k)));
                    Write(Path("Images/IMG5/mini/" + ThumbnailName(name)), "thumb " + name);
                }
                Write(Path("Images/IMG5/no row.jpg"), "stray");
                break;
            case otFiles:
                Write(Path("Files/DIR5/contract.pdf"), std::string(5000, 'c'));
                Write(Path("Files/DIR5/.hidden"), "h");
                Write(Path("Files/DIR5/sub/scan.png"), "scan");
                fs::create_symlink("contract.pdf", Path("Files/DIR5/link"));
                break;
            case otNumber: {
                AddRow("Numbers", {{"ID", kId},
                                   {"DateBegin", kMarch2},
                                   {"ItemType", "C"},
                                   {"ConstValue", "12.5"},
                                   {"Descript", "start"}});
                const int idAlg = AddAlgorithm(kId, "X2:=I001*2\nX1:=X2");
                AddRow("Numbers", {{"ID", kId},
                                   {"DateBegin", kMarch2 + 30},
                                   {"ItemType", "A"},
                                   {"IDAlg", idAlg},
                                   {"Descript", "computed"}});
                break;
            }
            case otPay: {
                AddRow("Pays", {{"ID", kId},
                                {"Direction", "O"},
                                {"FilterMode", "111110000000000"},
                                {"FilterDateFrom", kMarch2},
                                {"FilterDateTo", kMarch2 + 600}});
                // Charges in the order of their index (by name), algorithms in that order.
                AddCharge(kId, "A rent", "A", kMarch2, AddSchedule('M', 2));
                AddCharge(kId, "B heating", "A", kMarch2 + 10, AddSchedule('W', 3),
                          AddAlgorithm(kId, std::string(230, 'x')));
                AddCharge(kId, "C once", "P", kMarch2 + 20, AddSchedule('U', 4));
                for (int n = 0; n < 500; ++n)
                    AddEvent(kId, kMarch2 + n,
                             n % 3 == 0   ? "CN"
                             : n % 3 == 1 ? "CH"
                                          : "PY",
                             n % 3 == 1 && n % 2 ? 1 + n % 3 : 0, n);
                break;
            }
        }
    }
};

}  // namespace

// Deleted, undone, redone and undone again: the budget's tables and folders (every file with its
// hash) are exactly as before the deletion, and exactly as after it on the redo; schedules and
// the object come back under their old IDs, in the old place.
TEST_P(RoundTripTest, UndoBringsBackExactlyWhatTheObjectHeld) {
    Populate();
    // The budget runs: its calendar is as the deletion and its undo leave it.
    RebuildCalendarEntries(0, DM->LatestPayEventDate() + 5);
    const std::string before = Dump();
    const int nTrans = ReadyDeletion(kId);
    ASSERT_EQ(nTrans, 1);
    EXPECT_EQ(Dump(), before);  // the snapshot only copies
    ASSERT_EQ(ApplyTransaction(nTrans), 1);
    EXPECT_EQ(CountRows("Objects", Where("ID") == kId), 0);
    const std::string deleted = Dump();
    EXPECT_NE(deleted, before);

    const TTransRow row = RowOf(nTrans);
    EXPECT_EQ(row.NameObject, "Thing");
    EXPECT_EQ(RunStep(row, true), kId);
    EXPECT_EQ(Dump(), before);
    EXPECT_EQ(RunStep(row, false), 1);
    EXPECT_EQ(Dump(), deleted);
    EXPECT_EQ(RunStep(row, true), kId);
    EXPECT_EQ(Dump(), before);
    EXPECT_EQ(Column("Objects", "IDParent", Where("ID") == kId), std::vector<TFieldValue>{kHome});
    if (GetParam() == otFiles) {
        EXPECT_TRUE(fs::is_symlink(Path("Files/DIR5/link")));
    }
    EXPECT_TRUE(shell.fatalTexts.empty());
    EXPECT_TRUE(shell.fatalErrors.empty());
}

INSTANTIATE_TEST_SUITE_P(EveryType, RoundTripTest,
                         ::testing::Values(otFolder, otTable, otImages, otFiles, otNumber, otPay),
                         [](const auto& info) { return "Type" + std::to_string(info.param); });

// ---- A kill during the deletion

// The process is killed at moments spread over the snapshot of a large album and the
// deletion's apply: afterwards the album is whole and no deletion is in force, or the deletion
// is in force with the album's complete copy in its transaction's folder.
TEST(DeleteKilled, LeavesTheObjectWholeOrDeletedWithItsCompleteSnapshot) {
    for (const int delay : {1, 10, 40, 120, 400}) {
        SCOPED_TRACE(delay);
        TestFolders folders;
        const std::string budget = folders.MakeBudget();
        const std::string album = budget + "/Images/IMG5";
        {
            FakeShellServices shell(folders.UsersDataPath());
            TDM dm;
            OpenBudgetIn(shell, dm, folders, budget);
            AddRow("Objects", {{"ID", 5},
                               {"IDParent", 0},
                               {"Type", 30},
                               {"Image", 18},
                               {"Expanded", "N"},
                               {"Name", "Photos"},
                               {"Descript", ""}});
            for (int k = 1; k <= 200; ++k) {
                const std::string name = std::to_string(k) + ".jpg";
                AddRow("Images", {{"ID", 5}, {"Number", k}, {"FileName", name}});
                Write(album + "/" + name, std::string(100000, char('a' + k % 26)));
                Write(album + "/mini/" + ThumbnailName(name), "thumb");
            }
            DM = nullptr;
        }
        const std::map<std::string, std::string> whole = Listing(album);
        KillDuring(
            [&](int ready) {
                FakeShellServices shell(folders.UsersDataPath());
                TDM dm;
                OpenBudgetIn(shell, dm, folders, budget);
                RegisterJournalKinds();
                Ready(ready);
                ApplyTransaction(ReadyDeletion(5));
                pause();
            },
            std::chrono::milliseconds(delay));

        FakeShellServices shell(folders.UsersDataPath());
        TDM dm;
        OpenBudgetIn(shell, dm, folders, budget);
        EXPECT_EQ(IntegrityOf(budget), "ok");
        const std::vector<TFieldValue> status = Column("jTrans", "Status", {}, "");
        const bool deleted = CountRows("Objects", Where("ID") == 5) == 0;
        if (deleted) {
            EXPECT_EQ(status, std::vector<TFieldValue>{std::string("APPLY")});
            std::map<std::string, std::string> saved = Listing(budget + "/jTrFiles/1");
            for (const char* folder : {"tmpload", "mini/tmpload"}) saved.erase(folder);
            EXPECT_EQ(saved, whole);
        } else {
            EXPECT_EQ(Listing(album), whole);
            EXPECT_EQ(CountRows("Images", Where("ID") == 5), 200);
            EXPECT_TRUE(status.empty() || status[0] != TFieldValue(std::string("APPLY")));
        }
        DM = nullptr;
    }
}
