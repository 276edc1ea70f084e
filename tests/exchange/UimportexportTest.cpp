// The export of a branch, its import under new IDs through the journal's "IMP", its undo and
// redo, the remapping cases, the check, and the archives that are refused.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <functional>
#include <set>

#include "common/BudgetDump.h"
#include "common/ChildProcess.h"
#include "common/JournalSteps.h"
#include "exchange/ExchangeFixture.h"

namespace fs = std::filesystem;

namespace {

using Exchange = ExchangeFixture;

std::string Dump(const std::string& folder) {
    return DumpBudget(folder, TDumpScope::WithoutJournal);
}

TEST_F(Exchange, ExportedBranchImportedIntoAnEmptyBudgetIsTheSameBudget) {
    MakeBranch(11, 0);
    const std::string archive = Archive("with blank \"q\" $x;y -a.vlexport");
    ASSERT_EQ(Export(11, archive), TPackResult::Done);
    EXPECT_TRUE(fs::is_empty(folders.TempPath()));
    const std::string source = Dump(budget);

    const std::string other = folders.MakeBudget("Other");
    Switch(other);
    const std::string empty = Dump(other);
    EXPECT_EQ(Import(archive), 1);  // under the root
    // An empty budget gives the same IDs (objects from 11, algorithms and schedules from 1).
    EXPECT_EQ(Dump(other), source);
    EXPECT_TRUE(fs::is_empty(folders.TempPath()));
    EXPECT_TRUE(fs::exists(TransFolder(lastTrans) + "/" + std::string(kImportListFile)));

    // The transaction's folder keeps the archive and the list, no leftover of the list's copy.
    std::set<std::string> kept;
    for (const auto& entry : fs::directory_iterator(TransFolder(lastTrans)))
        kept.insert(entry.path().filename().string());
    EXPECT_EQ(kept, (std::set<std::string>{"with blank \"q\" $x;y -a.vlexport",
                                           std::string(kImportListFile)}));

    EXPECT_EQ(Undo(lastTrans), 0);
    EXPECT_EQ(Dump(other), empty);
    EXPECT_EQ(Redo(lastTrans), 1);
    EXPECT_EQ(Dump(other), source);
    EXPECT_EQ(Undo(lastTrans), 0);
    EXPECT_EQ(Dump(other), empty);
}

TEST_F(Exchange, FilesAddedToAnImportedCollectionComeBackWithTheRedo) {
    MakeBranch(11, 0);
    const std::string archive = Archive("branch.vlexport");
    ASSERT_EQ(Export(11, archive), TPackResult::Done);
    const std::string other = folders.MakeBudget("Other");
    Switch(other);
    ASSERT_EQ(Import(archive), 1);
    // Files change outside the journal: one added, one changed, one removed.
    WriteFile(other + "/Files/DIR14/later.txt", "added after the import");
    WriteFile(other + "/Files/DIR14/sub/b.txt", "another");
    fs::remove(other + "/Files/DIR14/sub/a.txt");
    const std::string changed = Dump(other);
    for (int round = 1; round <= 2; ++round) {
        EXPECT_EQ(Undo(lastTrans), 0);
        EXPECT_FALSE(fs::exists(other + "/Files/DIR14")) << round;
        EXPECT_EQ(Redo(lastTrans), 1);
        EXPECT_EQ(Dump(other), changed) << round;
        EXPECT_FALSE(fs::exists(TransFolder(lastTrans) + "/undo")) << round;
    }
}

// Kills an undo run of imports at moments through it: the rows and the folders agree, every
// picture an album's rows name is there, and the imports not undone keep their collections.
TEST_F(Exchange, AKilledUndoRunOfImportsLeavesRowsAndFilesAgreeing) {
    AddRow("Objects.db",
           {{"ID", 11}, {"IDParent", 0}, {"Type", 10}, {"Expanded", "N"}, {"Name", "Branch"}});
    AddRow("Objects.db",
           {{"ID", 12}, {"IDParent", 11}, {"Type", 30}, {"Expanded", "N"}, {"Name", "Album"}});
    AddRow("Objects.db",
           {{"ID", 13}, {"IDParent", 11}, {"Type", 40}, {"Expanded", "N"}, {"Name", "Files"}});
    for (int k = 1; k <= 60; ++k) {
        const std::string name = std::to_string(k) + ".jpg";
        AddRow("Images.db", {{"ID", 12}, {"Number", k}, {"FileName", name}});
        WriteFile(budget + "/Images/IMG12/" + name, std::string(20000, char('a' + k % 26)));
    }
    WriteFile(budget + "/Files/DIR13/a.txt", "letter");
    const std::string archive = Archive("album.vlexport");
    ASSERT_EQ(Export(11, archive), TPackResult::Done);
    const std::string target = folders.MakeBudget("Target");
    Switch(target);
    constexpr int kImports = 6;
    for (int n = 0; n < kImports; ++n) ASSERT_GT(Import(archive), 0);
    dm.FlushAndCloseTables();
    DM = nullptr;

    for (const int delay : {5, 30, 80, 200}) {
        SCOPED_TRACE(delay);
        const std::string copy = folders.Root() + "/killed" + std::to_string(delay);
        fs::copy(target, copy, fs::copy_options::recursive);
        KillDuring(
            [&](int ready) {
                Switch(copy);
                Ready(ready);
                const bool stop = false;
                if (MarkUndo(1) == kImports) RunToEnd(RunUndo(stop));
                pause();
            },
            std::chrono::milliseconds(delay));
        Switch(copy);
        EXPECT_EQ(IntegrityOf(copy), "ok");
        for (const TFieldValue& id : Column("Objects.db", "ID", Where("Type") == 30)) {
            const std::string album = AlbumFolder(static_cast<int>(id.Integer()));
            for (const TFieldValue& name :
                 Column("Images.db", "FileName", Where("ID") == id.Integer()))
                EXPECT_TRUE(fs::exists(album + "/" + name.Text())) << album << name.Text();
        }
        for (const TFieldValue& id : Column("Objects.db", "ID", Where("Type") == 40))
            EXPECT_TRUE(fs::exists(CollectionFolder(static_cast<int>(id.Integer())) + "/a.txt"));
        dm.FlushAndCloseTables();
        DM = nullptr;
    }
}

// The values of a field of the open budget's table for the rows the filter shows.
std::vector<int> Ints(const char* table, const char* field, TFilter filter = {}) {
    std::vector<int> values;
    for (const TFieldValue& value : Column(table, field, std::move(filter)))
        values.push_back(static_cast<int>(value.Integer()));
    return values;
}

TEST_F(Exchange, ImportIntoAFolderRemapsEveryReferenceOverOverlappingIds) {
    MakeBranch(11, 5);  // the root keeps a parent that the target budget does not have
    const std::string archive = Archive("branch.vlexport");
    ASSERT_EQ(Export(11, archive), TPackResult::Done);

    const std::string other = folders.MakeBudget("Other");
    Switch(other);
    for (int id = 11; id <= 14; ++id)
        AddRow("Objects.db", {{"ID", id}, {"IDParent", 0}, {"Type", 10}, {"Name", "old"}});
    const int ownAlgorithm = SaveAlgorithmReading(11, {});  // algorithms go on from 2
    ASSERT_EQ(ownAlgorithm, 1);
    ASSERT_EQ(Schedule(3), 1);  // schedules from 2
    ASSERT_EQ(Import(archive, 12, 10), 12);

    // Set IDs 11..16 overlap the new ones 15..20; each object moves by 4.
    EXPECT_EQ(Ints("Objects.db", "IDParent", Where("ID") == 15), std::vector<int>{12});
    EXPECT_EQ(Ints("Objects.db", "IDParent", Where("ID") >= 16),
              (std::vector<int>{15, 15, 15, 15, 15}));
    EXPECT_EQ(Ints("Tables.db", "ID"), (std::vector<int>{16, 16}));
    EXPECT_EQ(Ints("Images.db", "ID"), std::vector<int>{17});
    EXPECT_TRUE(fs::exists(other + "/Images/IMG17/p.jpg"));
    EXPECT_TRUE(fs::exists(other + "/Files/DIR18/sub/a.txt"));
    EXPECT_FALSE(fs::exists(other + "/Images/IMG13"));
    EXPECT_EQ(Ints("Numbers.db", "ID"), (std::vector<int>{19, 19}));
    EXPECT_EQ(Ints("Numbers.db", "IDAlg", Where("ItemType") == "A"), std::vector<int>{2});
    EXPECT_EQ(Ints("Numbers.db", "IDAlg", Where("ItemType") == "C"), std::vector<int>{0});
    // The number's algorithm reads the pay (now 20) and the calendar (9 in every budget); the
    // pay's reads the number (now 19); both name their owners under the new IDs.
    EXPECT_EQ(Ints("AlgExtData.db", "IDObject", Where("IDAlg") == 2), (std::vector<int>{20, 9}));
    EXPECT_EQ(Ints("AlgExtData.db", "ParentObject", Where("IDAlg") == 2),
              (std::vector<int>{19, 19}));
    EXPECT_EQ(Ints("AlgExtData.db", "IDObject", Where("IDAlg") == 3), std::vector<int>{19});
    EXPECT_EQ(Ints("Algorithms.db", "IDParent"), (std::vector<int>{11, 19, 20}));
    EXPECT_EQ(Ints("AlgText.db", "IDAlg"), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(Ints("PayAutoCharges.DB", "ID"), (std::vector<int>{20, 20}));
    EXPECT_EQ(Ints("PayAutoCharges.DB", "IDSchedule"), (std::vector<int>{2, 3}));
    EXPECT_EQ(Ints("PayAutoCharges.DB", "IDAlg", Where("ItemType") == "A"), std::vector<int>{3});
    EXPECT_EQ(Ints("Schedules.db", "ID"), (std::vector<int>{1, 2, 3}));
    // The automatic event follows its schedule; the manual one keeps 0.
    EXPECT_EQ(Ints("PayHistory.db", "IDCharge"), (std::vector<int>{2, 0}));
    EXPECT_EQ(Ints("PayHistory.db", "ID"), (std::vector<int>{20, 20}));
}

TEST_F(Exchange, ThreeObjectsIntoABudgetWhoseLargestIdIs14Get15To17InTableOrder) {
    AddRow("Objects.db",
           {{"ID", 30}, {"IDParent", 0}, {"Type", 10}, {"Expanded", "N"}, {"Name", "top"}});
    AddRow("Objects.db",
           {{"ID", 21}, {"IDParent", 30}, {"Type", 20}, {"Expanded", "N"}, {"Name", "b"}});
    AddRow("Objects.db",
           {{"ID", 25}, {"IDParent", 30}, {"Type", 20}, {"Expanded", "N"}, {"Name", "a"}});
    const std::string archive = Archive("three.vlexport");
    ASSERT_EQ(Export(30, archive), TPackResult::Done);
    const std::string other = folders.MakeBudget("Other");
    Switch(other);
    AddRow("Objects.db",
           {{"ID", 14}, {"IDParent", 0}, {"Type", 10}, {"Expanded", "N"}, {"Name", "old"}});
    ASSERT_EQ(Import(archive), 1);
    EXPECT_EQ(Ints("Objects.db", "ID", Where("ID") > 14), (std::vector<int>{15, 16, 17}));
    EXPECT_EQ(Ints("Objects.db", "IDParent", Where("ID") > 14), (std::vector<int>{0, 15, 15}));
}

TEST(RenameImportImageFolders, TwoPassesKeepEachAlbumsPictures) {
    const fs::path root = fs::temp_directory_path() / "vemly rename albums";
    fs::remove_all(root);
    WriteFile(root / "Images/IMG11/p", "eleven");
    WriteFile(root / "Images/IMG15/p", "fifteen");
    TIDPairList list;
    for (int id = 11; id <= 15; ++id) list.Add(id, id + 4);
    RenameImportImageFolders(root.string() + "/", list);
    auto read = [](const fs::path& path) {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_EQ(read(root / "Images/IMG15/p"), "eleven");
    EXPECT_EQ(read(root / "Images/IMG19/p"), "fifteen");
    EXPECT_FALSE(fs::exists(root / "Images/IMG11"));
    fs::remove_all(root);
}

TEST(TIDPairList, TheFirstPairOfAnOldIdCounts) {
    TIDPairList list;
    list.Add(3, 30);
    list.Add(3, 31);
    EXPECT_EQ(list.Map(3), 30);
    EXPECT_EQ(list.Map(4), 4);
    EXPECT_FALSE(list.Find(4));
}

TEST_F(Exchange, WholeBudgetArchiveLosesItsCalendarJournalAndStagedFiles) {
    MakeBranch(11, 0);
    WriteFile(budget + "/Images/IMG13/tmpload/new.jpg", "staged");
    WriteFile(budget + "/Images/IMG13/mini/tmpload/new.bmp", "staged");
    WriteFile(budget + "/Images/mini/stray", "x");
    CheckpointTables(budget);
    const std::string archive = Archive("whole.vlbackup");
    const bool stop = false;
    ASSERT_EQ(RunProcessToMemo({"tar", {"-czf", archive, "-C", budget, "."}}, nullptr, stop, "EN"),
              kProcessDone);
    const std::string other = folders.MakeBudget("Other");
    Switch(other);
    AddRow("Objects.db",
           {{"ID", 40}, {"IDParent", 0}, {"Type", 10}, {"Expanded", "N"}, {"Name", "into"}});
    ASSERT_EQ(Import(archive, 40, 10), 40);
    // The budget keeps its own calendar and journal nodes only.
    EXPECT_EQ(Ints("Objects.db", "ID", Where("Type") == 9500), std::vector<int>{9});
    EXPECT_EQ(Ints("Objects.db", "ID", Where("Type") == 10000), std::vector<int>{10});
    EXPECT_EQ(Ints("Objects.db", "IDParent", Where("ID") == 41), std::vector<int>{40});
    EXPECT_TRUE(fs::exists(other + "/Images/IMG43/p.jpg"));
    // The album's staging folders come empty, as the journal makes them with an album.
    for (const char* staging : {"/Images/IMG43/tmpload", "/Images/IMG43/mini/tmpload"})
        EXPECT_TRUE(fs::is_directory(other + staging) && fs::is_empty(other + staging)) << staging;
    EXPECT_FALSE(fs::exists(other + "/Images/mini"));
}

TEST_F(Exchange, EarliestChargeDateAndTheDueFlagFollowTheActiveCharges) {
    struct Case {
        TDateTime begin;
        TDateTime d1;
        int i1;
        bool derived;
    } cases[] = {
        {Today() - 400, Today() - 400, 1, true},
        {Today(), Today(), 1, true},
        {Today() + 30, Today() + 1, 0, false},
    };
    shell.state.BudgetState = kRunning;
    int n = 0;
    for (const Case& c : cases) {
        const int first = 11 + 20 * n++;  // above the IDs the imports before gave
        MakeBranch(first, 0, c.begin);
        const std::string archive = Archive("due" + std::to_string(n) + ".vlexport");
        ASSERT_EQ(Export(first, archive), TPackResult::Done);
        shell.calls.clear();
        ASSERT_GT(Import(archive), 0);
        TTransReader parts(lastTrans);
        EXPECT_EQ(parts.Date(1), c.d1) << n;
        EXPECT_EQ(parts.Int(1), c.i1) << n;
        const bool rebuilt = std::find_if(shell.calls.begin(), shell.calls.end(), [](auto& call) {
                                 return call.rfind("RebuildCalendar", 0) == 0;
                             }) != shell.calls.end();
        EXPECT_EQ(rebuilt, c.derived) << n;
    }
}

TEST_F(Exchange, CheckListsObjectsReadingOutsideTheBranch) {
    MakeBranch(11, 0);
    // Outside the branch: a number read by a second number inside it.
    AddRow("Objects.db",
           {{"ID", 30}, {"IDParent", 0}, {"Type", 50}, {"Expanded", "N"}, {"Name", "outside"}});
    AddRow("Objects.db",
           {{"ID", 31}, {"IDParent", 11}, {"Type", 50}, {"Expanded", "N"}, {"Name", "reader"}});
    AddRow("Numbers.db", {{"ID", 31},
                          {"ItemType", "A"},
                          {"IDAlg", SaveAlgorithmReading(31, {{30, 50}, {16, 60}, {30, 50}})}});
    // A number whose "A" item has no algorithm row.
    AddRow("Objects.db",
           {{"ID", 32}, {"IDParent", 11}, {"Type", 50}, {"Expanded", "N"}, {"Name", "broken"}});
    AddRow("Numbers.db", {{"ID", 32}, {"ItemType", "A"}, {"IDAlg", 999}});
    struct Case {
        int id, type;
        bool passes;
        std::vector<int> outside;
    } cases[] = {
        {12, 20, true, {}},    {13, 30, true, {}},    {14, 40, true, {}},
        {15, 50, false, {15}}, {16, 60, false, {16}}, {11, 10, false, {31, 32}},
        {9, 9500, true, {}},
    };
    for (const Case& c : cases) {
        TIDList outside{77};
        EXPECT_EQ(CheckBranchData(c.id, c.type, outside), c.passes) << c.id;
        EXPECT_EQ(outside, c.outside) << c.id;
    }
    // The number and the pay read each other: together they pass.
    AddRow("Objects.db",
           {{"ID", 40}, {"IDParent", 0}, {"Type", 10}, {"Expanded", "N"}, {"Name", "pair"}});
    {
        TBudgetTable move("Objects.db", true, Where("ID") == 15);
        move.Edit();
        move.FieldByName("IDParent").SetAsInteger(40);
        move.Post();
    }
    {
        TBudgetTable move("Objects.db", true, Where("ID") == 16);
        move.Edit();
        move.FieldByName("IDParent").SetAsInteger(40);
        move.Post();
    }
    TIDList outside;
    EXPECT_TRUE(CheckBranchData(40, 10, outside));
}

TEST_F(Exchange, EmptyFolderGivesASetWithItsRowOnly) {
    AddRow("Objects.db",
           {{"ID", 11}, {"IDParent", 0}, {"Type", 10}, {"Expanded", "N"}, {"Name", "empty"}});
    TIDList outside;
    EXPECT_TRUE(CheckBranchData(11, 10, outside));
    ASSERT_TRUE(BuildBranchSet(11));
    TTable objects;
    objects.SetDatabaseName(folders.TempPath());
    objects.SetTableName("Objects");
    objects.Open();
    EXPECT_EQ(objects.RecordCount(), 1);
    EXPECT_EQ(objects.FieldByName("ID").AsInteger(), 11);
}

// A packing that fails, or whose archiver ends well but leaves no whole archive, is reported,
// and an archive of that name stays as it was, with nothing half-written beside it.
TEST_F(Exchange, PackingFailuresAreReportedAndKeepTheOldArchive) {
    AddRow("Objects.db",
           {{"ID", 11}, {"IDParent", 0}, {"Type", 20}, {"Expanded", "N"}, {"Name", "t"}});
    const std::string archive = Archive("failed.vlexport");
    ASSERT_EQ(Export(11, archive), TPackResult::Done);
    const std::string old = ReadBytes(archive);
    const std::string script = folders.Root() + "/writes.sh";
    // Writes the first bytes of a real archive, or text, and ends with 0.
    WriteFile(script,
              "case \"$1\" in half) tar -czf - -C \"$3\" . | head -c 100 > \"$2\";;"
              " *) echo not an archive > \"$2\";; esac\n");
    struct Case {
        std::string command;
        TPackResult result;
    } cases[] = {
        {"", TPackResult::NoCommand},
        {"/nonexistent/tar -czf \"[ArcName]\" -C \"[SouscePath]\" .", TPackResult::Failed},
        {"tar -czf \"[ArcName]\" -C /nonexistent/folder .", TPackResult::Failed},
        {"true", TPackResult::Failed},  // ends with 0 but leaves no archive
        {"sh " + CommandWord(script) + " half \"[ArcName]\" \"[SouscePath]\"", TPackResult::Failed},
        {"sh " + CommandWord(script) + " text \"[ArcName]\" \"[SouscePath]\"", TPackResult::Failed},
    };
    for (const Case& c : cases) {
        SetCommand("BackupCommand", c.command);
        EXPECT_EQ(Export(11, archive), c.result) << c.command;
        EXPECT_EQ(ReadBytes(archive), old) << c.command;
        EXPECT_FALSE(fs::exists(PartialArchiveName(archive))) << c.command;
        EXPECT_TRUE(fs::is_empty(folders.TempPath())) << c.command;
    }
}

// What a killed packing left beside its archive goes at the next start; archives and other
// files stay.
TEST_F(Exchange, LeftoversOfKilledPackingsAreRemoved) {
    const std::string folder = folders.Root() + "/archives";
    for (const char* name : {"a.vlbackup", "a.vlbackup.vlpart", "b.vlexport.vlpart", "c.txt"})
        WriteFile(folder + "/" + name, "x");
    RemovePartialArchives(folder);
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder))
        left.insert(entry.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{"a.vlbackup", "c.txt"}));
}

TEST_F(Exchange, AVemlyIniWithoutTheBackupSectionPacksAndUnpacksWithTar) {
    MakeBranch(11, 0);
    // A vemly.ini of an earlier version: no [Backup] section, which a start never adds.
    const std::string ini = folders.DataPath() + "vemly.ini";
    std::string text, line;
    {
        std::ifstream in(ini);
        bool backup = false;
        while (std::getline(in, line)) {
            if (line.starts_with("[")) backup = line == "[Backup]";
            if (!backup) text += line + "\n";
        }
    }
    std::ofstream(ini, std::ios::trunc) << text;
    ASSERT_EQ(TIniFile(ini).ReadString("Backup", "BackupCommand", "none"), "none");
    const std::string archive = Archive("old-ini.vlexport");
    ASSERT_EQ(Export(11, archive), TPackResult::Done);
    EXPECT_TRUE(UnpackBranchSet(archive, TProcessEvents::PaintOnly));  // the recovery line too
}

// A tar holding one entry whose header declares `size` bytes (base-256, as GNU tar writes
// sizes beyond 8 GB) and no data after it.
std::string TarDeclaring(const std::string& name, std::uint64_t size) {
    std::string header(512, '\0');
    header.replace(0, name.size(), name);
    header.replace(100, 7, "0000644");
    header.replace(108, 7, "0000000");
    header.replace(116, 7, "0000000");
    header[124] = static_cast<char>(0x80);
    for (int i = 0; i < 8; ++i) header[135 - i] = static_cast<char>((size >> (8 * i)) & 0xff);
    header.replace(136, 11, "00000000000");
    header[156] = '0';
    header.replace(257, 6, std::string("ustar\0", 6));
    header.replace(263, 2, "00");
    header.replace(148, 8, "        ");
    unsigned sum = 0;
    for (unsigned char c : header) sum += c;
    char checksum[8];
    std::snprintf(checksum, sizeof checksum, "%06o", sum);
    header.replace(148, 7, std::string(checksum, 6) + '\0');
    return header;
}

// Values at the limits of the program's own fields pass the check and are imported as they
// are: names and descriptions of the longest lengths the dialogs take, with umlauts; a
// picture's name of 100 characters; typed amounts of 50 characters and a computed balance of
// 5000 digits; the first and last days of the date functions; an algorithm text of many pieces
// with line breaks and tabs; schedules' extreme priorities and last days of the months.
TEST_F(Exchange, ValuesAtTheLimitsOfTheProgramsFieldsAreImported) {
    MakeBranch(11, 0);
    const std::string good = Archive("good.vlexport");
    ASSERT_EQ(Export(11, good), TPackResult::Done);
    const fs::path exported = folders.Root() + "/exported";
    Untar(good, exported);
    const std::string name70 = "Grüße " + std::string(64, 'n'), descript100(100, 'd');
    const std::string picture = std::string(96, 'p') + ".jpg";
    const std::string typed = "-" + std::string(47, '9') + ",5";  // 50 characters
    const std::string balance = std::string(4999, '7') + ".25";
    std::string text;
    for (int k = 0; k < 40; ++k) text += "[V001()] = [V001()] + 1\r\n\t";
    const std::string limits = Archive("limits.vlexport");
    Repack(
        exported, folders.Root() + "/limits",
        [&](const fs::path& set) {
            WriteFile(set / "Images/IMG13" / picture, "picture");
            Sql(
                set / kTablesFileName,
                "UPDATE Objects SET Name = '" + name70 + "', Descript = '" + descript100 +
                    "' WHERE ID = 12;"
                    "UPDATE Images SET FileName = '" +
                    picture + "', Descript = '" + std::string(99, 'i') +
                    "';"
                    "UPDATE Numbers SET ConstValue = '" +
                    typed +
                    "' WHERE ItemType = 'C';"
                    "UPDATE Numbers SET ConstValue = '" +
                    balance +
                    "' WHERE ItemType = 'A';"
                    "UPDATE Numbers SET DateBegin = -693593 WHERE ItemType = 'C';"
                    "UPDATE Numbers SET DateBegin = 2958465 WHERE ItemType = 'A';"
                    "UPDATE PayHistory SET Payment = '" +
                    typed + "', CurBalance = '" + balance +
                    "';"
                    "DELETE FROM AlgText WHERE IDAlg = (SELECT min(IDAlg) FROM AlgText);"
                    "WITH RECURSIVE k(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM k WHERE n < 12) "
                    "INSERT INTO AlgText(IDAlg, NPart, PartText) SELECT (SELECT min(ID) FROM "
                    "Algorithms), n, substr(replace(replace(replace('" +
                    text +
                    "', '\r', "
                    "char(13)), '\n', char(10)), '\t', char(9)), 100 * n - 99, 100) FROM k;"
                    "UPDATE Schedules SET Priority = 10, MonthesDays = '" +
                    [] {
                        std::string months;
                        for (int m = 0; m < 12; ++m) months += m % 2 ? "Y32" : "N01";
                        return months;
                    }() +
                    "';");
        },
        limits);
    ASSERT_TRUE(UnpackBranchSet(limits, TProcessEvents::PaintOnly));
    const std::string target = folders.MakeBudget("Target");
    Switch(target);
    ASSERT_EQ(Import(limits), 1);
    EXPECT_EQ(Column("Objects.db", "Name", Where("ID") == 12),
              std::vector<TFieldValue>{TFieldValue(name70)});
    EXPECT_EQ(Column("Images.db", "FileName"), std::vector<TFieldValue>{TFieldValue(picture)});
    EXPECT_TRUE(fs::exists(target + "/Images/IMG13/" + picture));
    EXPECT_EQ(Column("PayHistory.db", "CurBalance").front(), TFieldValue(balance));
}

// Every way an archive can carry what the budget must not take: each is refused with its
// reason before anything is written, the budget's tables and files stay as they were, nothing
// lands outside the temp folder, and the temp folder is left empty with its mode 0700.
TEST_F(Exchange, CraftedArchivesAreRefusedAndChangeNothing) {
    MakeBranch(11, 0);
    const std::string good = Archive("good.vlexport");
    const fs::path exported = folders.Root() + "/exported";
    ASSERT_TRUE(ExportUnpacked(11, good, exported));
    const std::string tables = kTablesFileName;

    // The user's own objects, which the crafted rows name.
    const std::string target = folders.MakeBudget("Target");
    Switch(target);
    AddRow("Objects.db",
           {{"ID", 100}, {"IDParent", 0}, {"Type", 20}, {"Expanded", "N"}, {"Name", "mine"}});
    AddRow("Objects.db",
           {{"ID", 101}, {"IDParent", 0}, {"Type", 60}, {"Expanded", "N"}, {"Name", "my pay"}});
    AddRow("Tables.db", {{"ID", 100}, {"NRow", 1}, {"NameRow", "r"}, {"ValueRow", "v"}});
    AddRow("Pays.db", {{"ID", 101}, {"Direction", "O"}});
    WriteFile(target + "/Files/DIR88888/own.txt", "own");
    const std::string before = DumpBudget(target, TDumpScope::WithoutJournal);

    // The inner archive of a zip: what a tar unpacked from inside the zip would bring.
    const std::string innerTar = folders.Root() + "/inner.tar";
    WriteTar(innerTar, {{"Images", AE_IFLNK, "/"}, {"fifo", AE_IFIFO, ""}}, TArchiveFormat::Tar);

    const auto sql = [&](std::string statements) -> TChange {
        return [&tables, statements](const fs::path& set) { Sql(set / tables, statements); };
    };
    const auto file = [](std::string name, std::string content) -> TChange {
        return [name, content](const fs::path& set) { WriteFile(set / name, content); };
    };
    struct TCraft {
        const char* name;
        TChange change;  // on a copy of the unpacked export, packed again as tar.gz
        TArchiveProblem problem;
        std::string detail;
    } crafts[] = {
        // Rows that name the user's objects, algorithms or schedules.
        {"table row of the user's table",
         sql("INSERT INTO Tables(ID, NRow, NameRow, ValueRow) VALUES (100, 9, 'x', 'y')"),
         TArchiveProblem::ForeignRows, "Tables"},
        {"payment into the user's pay",
         sql("INSERT INTO PayHistory(ID, DateEvent, TypeEvent, Payment) "
             "VALUES (101, 45000, 'PY', '1000000')"),
         TArchiveProblem::ForeignRows, "PayHistory"},
        {"number row of another type's object",
         sql("INSERT INTO Numbers(ID, ItemType, ConstValue) VALUES (12, 'C', '1')"),
         TArchiveProblem::ForeignRows, "Numbers"},
        {"pay settings of the user's pay", sql("UPDATE Pays SET ID = 101"),
         TArchiveProblem::ForeignRows, "Pays"},
        {"algorithm text of no algorithm of the set",
         sql("INSERT INTO AlgText(IDAlg, NPart, PartText) VALUES (99, 1, 'x')"),
         TArchiveProblem::ForeignRows, "AlgText"},
        {"charge naming the user's algorithm",
         sql("UPDATE PayAutoCharges SET IDAlg = 99 WHERE ItemType = 'A'"),
         TArchiveProblem::ForeignRows, "PayAutoCharges"},
        {"charge naming the user's schedule",
         sql("UPDATE PayAutoCharges SET IDSchedule = 99 WHERE ItemType = 'C'"),
         TArchiveProblem::ForeignRows, "PayAutoCharges"},
        {"schedule of no charge",
         sql("INSERT INTO Schedules(ID, Periodicity, MonthesDays, WeekDays, Priority) SELECT 77, "
             "Periodicity, MonthesDays, WeekDays, Priority FROM Schedules LIMIT 1"),
         TArchiveProblem::ForeignRows, "Schedules"},
        // A tables file that is not exactly ours.
        {"trigger",
         sql("CREATE TRIGGER t AFTER UPDATE ON Objects BEGIN UPDATE Objects SET ID = 100; END"),
         TArchiveProblem::OtherStructure, "trigger t"},
        {"view", sql("CREATE VIEW v AS SELECT 1"), TArchiveProblem::OtherStructure, "view v"},
        {"table that is a view",
         sql("DROP TABLE Pays; CREATE VIEW Pays AS SELECT ID, Name AS Direction, Name AS "
             "FilterMode, 0 AS FilterDateFrom, 0 AS FilterDateTo FROM Objects"),
         TArchiveProblem::OtherStructure, ""},
        {"extra index", sql("CREATE INDEX x ON Objects(Name)"), TArchiveProblem::OtherStructure,
         "index x"},
        {"random bytes", file(tables, std::string(4096, '\x5a')), TArchiveProblem::OtherStructure,
         ""},
        {"changes in a log", file(tables + "-wal", "not empty"), TArchiveProblem::OtherStructure,
         ""},
        // Objects that are not one tree of known types.
        {"duplicate ID",
         sql("INSERT INTO Objects(ID, IDParent, Type, Expanded, Name) VALUES (12, 11, 20, 'N', "
             "'twin')"),
         TArchiveProblem::BadTree, "ID 12"},
        {"own parent", sql("UPDATE Objects SET IDParent = 15 WHERE ID = 15"),
         TArchiveProblem::BadTree, ""},
        {"loop of two",
         sql("INSERT INTO Objects(ID, IDParent, Type, Expanded, Name) VALUES (30, 31, 10, 'N', "
             "'a'), "
             "(31, 30, 10, 'N', 'b')"),
         TArchiveProblem::BadTree, ""},
        {"second root",
         sql("INSERT INTO Objects(ID, IDParent, Type, Expanded, Name) VALUES (30, 777, 10, 'N', "
             "'a')"),
         TArchiveProblem::BadTree, ""},
        {"calendar type", sql("UPDATE Objects SET Type = 9500 WHERE ID = 12"),
         TArchiveProblem::BadValue, "Objects, object 12, field Type"},
        {"type 0", sql("UPDATE Objects SET Type = 0 WHERE ID = 12"), TArchiveProblem::BadValue,
         "Objects, object 12, field Type"},
        // IDs that are no whole numbers of the program's range (the set: a folder 11 holding a
        // table 12, an album 13, a collection 14, a number 15 and a pay 16).
        {"text ID", sql("UPDATE Objects SET ID = 'abc' WHERE ID = 12"), TArchiveProblem::BadValue,
         "field ID"},
        {"text parent", sql("UPDATE Objects SET IDParent = 'zz' WHERE ID = 12"),
         TArchiveProblem::BadValue, "Objects, object 12, field IDParent"},
        {"parent beyond 32 bits", sql("UPDATE Objects SET IDParent = 2147483648 WHERE ID = 12"),
         TArchiveProblem::BadValue, "Objects, object 12, field IDParent"},
        {"ID beyond 32 bits", sql("UPDATE Objects SET ID = 1099511627776 WHERE ID = 12"),
         TArchiveProblem::BadValue, "Objects, object 1099511627776, field ID"},
        {"fractional ID", sql("UPDATE Objects SET ID = 12.5 WHERE ID = 12"),
         TArchiveProblem::BadValue, "field ID"},
        {"fractional reference", sql("UPDATE Tables SET ID = 12.5"), TArchiveProblem::BadValue,
         "Tables"},
        {"negative algorithm", sql("UPDATE AlgText SET IDAlg = -3"), TArchiveProblem::BadValue,
         "AlgText"},
        // Values the program never writes.
        {"type 10x", sql("UPDATE Objects SET Type = '10x' WHERE ID = 11"),
         TArchiveProblem::BadValue, "Objects, object 11, field Type"},
        {"10 MB name", sql("UPDATE Objects SET Name = hex(zeroblob(5000000)) WHERE ID = 12"),
         TArchiveProblem::BadValue, "Objects, object 12, field Name"},
        {"71 characters",
         sql("UPDATE Objects SET Name = substr(hex(zeroblob(36)), 2) WHERE ID = 12"),
         TArchiveProblem::BadValue, "Objects, object 12, field Name"},
        {"NUL in a name", sql("UPDATE Objects SET Name = 'a' || char(0) || 'b' WHERE ID = 12"),
         TArchiveProblem::BadValue, "Objects, object 12, field Name"},
        {"bell in a description", sql("UPDATE Images SET Descript = 'ring' || char(7)"),
         TArchiveProblem::BadValue, "Images, object 13, field Descript"},
        {"no UTF-8", sql("UPDATE Tables SET ValueRow = CAST(x'c328' AS TEXT)"),
         TArchiveProblem::BadValue, "Tables, object 12, field ValueRow"},
        {"constant abc", sql("UPDATE Numbers SET ConstValue = 'abc' WHERE ItemType = 'C'"),
         TArchiveProblem::BadValue, "Numbers, object 15, field ConstValue"},
        {"constant 1e999", sql("UPDATE Numbers SET ConstValue = '1e999' WHERE ItemType = 'C'"),
         TArchiveProblem::BadValue, "Numbers, object 15, field ConstValue"},
        {"constant of 200,000 digits",
         sql("UPDATE PayAutoCharges SET ConstValue = hex(zeroblob(100000)) WHERE ItemType = 'C'"),
         TArchiveProblem::BadValue, "PayAutoCharges, object 16, field ConstValue"},
        {"reading of two points", sql("UPDATE PayHistory SET Payment = '1.2.3'"),
         TArchiveProblem::BadValue, "PayHistory, object 16, field Payment"},
        {"event dated 1e18", sql("UPDATE PayHistory SET DateEvent = 1e18"),
         TArchiveProblem::BadValue, "PayHistory, object 16, field DateEvent"},
        {"item dated 1e300", sql("UPDATE Numbers SET DateBegin = 1e300"), TArchiveProblem::BadValue,
         "Numbers, object 15, field DateBegin"},
        {"item dated yesterday", sql("UPDATE Numbers SET DateBegin = 'yesterday'"),
         TArchiveProblem::BadValue, "Numbers, object 15, field DateBegin"},
        {"day before year 1", sql("UPDATE Pays SET FilterDateTo = -693594"),
         TArchiveProblem::BadValue, "Pays, object 16, field FilterDateTo"},
        {"half a day", sql("UPDATE PayAutoCharges SET DateEnd = 45000.5"),
         TArchiveProblem::BadValue, "PayAutoCharges, object 16, field DateEnd"},
        {"event of another kind", sql("UPDATE PayHistory SET TypeEvent = 'XX'"),
         TArchiveProblem::BadValue, "PayHistory, object 16, field TypeEvent"},
        {"weekdays of garbage", sql("UPDATE Schedules SET WeekDays = 'garbage'"),
         TArchiveProblem::BadValue, "field WeekDays"},
        {"day 33 of a month",
         sql("UPDATE Schedules SET MonthesDays = replace(MonthesDays, '01', '33')"),
         TArchiveProblem::BadValue, "field MonthesDays"},
        {"priority 11", sql("UPDATE Schedules SET Priority = 11"), TArchiveProblem::BadValue,
         "field Priority"},
        {"periodicity X", sql("UPDATE Schedules SET Periodicity = 'X'"), TArchiveProblem::BadValue,
         "field Periodicity"},
        {"2 MB algorithm text",
         sql("UPDATE AlgText SET PartText = hex(zeroblob(1000000)) WHERE NPart = 1"),
         TArchiveProblem::BadValue, "field PartText"},
        {"pay settings of garbage", sql("UPDATE Pays SET FilterMode = 'x'"),
         TArchiveProblem::BadValue, "Pays, object 16, field FilterMode"},
        // A picture's file that is not in its album.
        {"picture outside the album",
         sql("UPDATE Images SET FileName = '../../../../elsewhere/private.jpg'"),
         TArchiveProblem::BadValue, "Images, object 13, field FileName"},
        {"picture of an absolute path", sql("UPDATE Images SET FileName = '/etc/passwd'"),
         TArchiveProblem::BadValue, "Images, object 13, field FileName"},
        {"picture of another album", sql("UPDATE Images SET FileName = '../IMG13/p.jpg'"),
         TArchiveProblem::BadValue, "Images, object 13, field FileName"},
        {"picture not in the archive", sql("UPDATE Images SET FileName = 'missing.jpg'"),
         TArchiveProblem::BadValue, "Images, object 13, field FileName"},
        {"picture that is a folder", sql("UPDATE Images SET FileName = 'mini'"),
         TArchiveProblem::BadValue, "Images, object 13, field FileName"},
        {"no object", sql("DELETE FROM Objects"), TArchiveProblem::NoTables, ""},
        // Folders and files of no object.
        {"album folder of no object", file("Images/IMG99999/p.jpg", "x"),
         TArchiveProblem::Unexpected, "Images/IMG99999"},
        {"collection folder of no object", file("Files/DIR88888/x", "x"),
         TArchiveProblem::Unexpected, "Files/DIR88888"},
        {"collection folder of an album", file("Files/DIR13/x", "x"), TArchiveProblem::Unexpected,
         "Files/DIR13"},
        {"loose file in Images", file("Images/loose", "x"), TArchiveProblem::Unexpected, ""},
        {"loose file", file("run.sh", "x"), TArchiveProblem::Unexpected, "./run.sh"},
        {"archive inside", file("inner.tar", ReadBytes(innerTar)), TArchiveProblem::Unexpected,
         "./inner.tar"},
    };
    // The whole check runs twice: by the dialog's unpacking, and by the journal's applier.
    auto refused = [&](const std::string& archive, TArchiveProblem problem,
                       const std::string& detail, const std::string& name) {
        const TArchiveCheck check = UnpackBranchSet(archive, TProcessEvents::PaintOnly);
        EXPECT_EQ(check.Problem, problem) << name << ": " << check.Detail;
        EXPECT_NE(check.Detail.find(detail), std::string::npos) << name << ": " << check.Detail;
        EXPECT_TRUE(fs::is_empty(folders.TempPath())) << name;
        shell.fatalTexts.clear();
        if (problem == TArchiveProblem::TooLarge) {
            // No room when the journal applies it: the system's words, and nothing left of it.
            try {
                Import(archive);
                ADD_FAILURE() << name << ": imported";
            } catch (const fs::filesystem_error& e) {
                EXPECT_EQ(e.code(), std::errc::no_space_on_device) << name;
            }
            EXPECT_TRUE(shell.fatalTexts.empty()) << name;
            EXPECT_FALSE(fs::exists(TransFolder(lastTrans))) << name;
            EXPECT_TRUE(
                Column("jTrans", "NTrans", Where("NTrans") == lastTrans, "Index_NTrans").empty())
                << name;
        } else {
            EXPECT_EQ(Import(archive), kFatalImportArchive) << name;
            EXPECT_EQ(shell.fatalTexts,
                      std::vector<std::string>{FatalErrorText(kFatalImportArchive)});
        }
        shell.state.FatalClose = false;
        EXPECT_EQ(DumpBudget(target, TDumpScope::WithoutJournal), before) << name;
        EXPECT_TRUE(fs::is_empty(folders.TempPath())) << name;
        EXPECT_EQ(fs::status(folders.TempPath()).permissions(), fs::perms::owner_all) << name;
        EXPECT_FALSE(fs::exists(folders.Root() + "/escaped")) << name;
    };
    int n = 0;
    for (const TCraft& craft : crafts) {
        const std::string archive = Archive("craft" + std::to_string(++n) + ".vlexport");
        Repack(exported, folders.Root() + "/craft" + std::to_string(n), craft.change, archive);
        refused(archive, craft.problem, craft.detail, craft.name);
    }

    struct TMade {
        const char* name;
        std::vector<TEntry> entries;
        TArchiveFormat format;
        TArchiveProblem problem;
    } made[] = {
        {"parent",
         {{"../escaped", AE_IFREG, "x"}},
         TArchiveFormat::TarGz,
         TArchiveProblem::ParentPath},
        {"inner parent",
         {{"Images/../../escaped", AE_IFREG, "x"}},
         TArchiveFormat::TarGz,
         TArchiveProblem::ParentPath},
        {"absolute",
         {{folders.Root() + "/escaped", AE_IFREG, "x"}},
         TArchiveFormat::TarGz,
         TArchiveProblem::AbsolutePath},
        {"symlink", {{"Images", AE_IFLNK, "/etc"}}, TArchiveFormat::TarGz, TArchiveProblem::Link},
        // A hard link names an earlier file of the archive, and nothing else.
        {"hard link to a later file",
         {{"Files/DIR14/b", AE_IFREG, "Files/DIR14/a", true}, {"Files/DIR14/a", AE_IFREG, "x"}},
         TArchiveFormat::TarGz,
         TArchiveProblem::Link},
        {"hard link to no entry",
         {{"Files/DIR14/b", AE_IFREG, "Files/DIR14/a", true}},
         TArchiveFormat::TarGz,
         TArchiveProblem::Link},
        {"hard link to a folder",
         {{"Files/DIR14/", AE_IFDIR, ""}, {"Files/DIR14/b", AE_IFREG, "Files/DIR14", true}},
         TArchiveFormat::TarGz,
         TArchiveProblem::Link},
        {"hard link to itself",
         {{"Files/DIR14/a", AE_IFREG, "x"}, {"Files/DIR14/a", AE_IFREG, "Files/DIR14/a", true}},
         TArchiveFormat::TarGz,
         TArchiveProblem::Link},
        {"hard link out of the folder",
         {{"Files/DIR14/a", AE_IFREG, "x"}, {"Files/DIR14/b", AE_IFREG, "../escaped", true}},
         TArchiveFormat::TarGz,
         TArchiveProblem::Link},
        {"hard link to an absolute path",
         {{"Files/DIR14/b", AE_IFREG, "/etc/passwd", true}},
         TArchiveFormat::TarGz,
         TArchiveProblem::Link},
        {"hard link at no allowed place",
         {{"Files/DIR14/a", AE_IFREG, "x"}, {"run.sh", AE_IFREG, "Files/DIR14/a", true}},
         TArchiveFormat::TarGz,
         TArchiveProblem::Unexpected},
        {"device",
         {{"Files/DIR14/dev", AE_IFCHR, ""}},
         TArchiveFormat::TarGz,
         TArchiveProblem::SpecialFile},
        {"fifo",
         {{"Files/DIR14/fifo", AE_IFIFO, ""}},
         TArchiveFormat::TarGz,
         TArchiveProblem::SpecialFile},
        {"no tables",
         {{"Images/", AE_IFDIR, ""}, {"Files/DIR14/readme", AE_IFREG, "x"}},
         TArchiveFormat::TarGz,
         TArchiveProblem::NoTables},
        // gzip unpacks a zip of one member, so "tar -xzf" unpacks the tar inside it.
        {"tar inside a zip",
         {{tables, AE_IFREG, ReadBytes(innerTar)}},
         TArchiveFormat::Zip,
         TArchiveProblem::Outside},
        {"another format", EntriesOf(exported), TArchiveFormat::Zip, TArchiveProblem::UnpackFailed},
    };
    for (const TMade& m : made) {
        const std::string archive = Archive(std::string(m.name) + ".vlexport");
        WriteTar(archive, m.entries, m.format);
        refused(archive, m.problem, "", m.name);
    }
    const std::pair<const char*, std::string> bytes[] = {
        {"truncated", ReadBytes(good).substr(0, fs::file_size(good) / 2)},
        {"not an archive", "just some text, not an archive at all"},
        {"empty", ""},
    };
    for (const auto& [name, content] : bytes) {
        const std::string archive = Archive(std::string(name) + ".vlexport");
        std::ofstream(archive, std::ios::binary) << content;
        refused(archive, TArchiveProblem::Unreadable, "", name);
    }
    // A petabyte declared in a few bytes: refused by its header, before anything is read.
    const std::string huge = Archive("huge.vlexport");
    std::ofstream(huge, std::ios::binary) << TarDeclaring("Files/DIR14/huge", 1ULL << 50);
    refused(huge, TArchiveProblem::TooLarge, folders.TempPath(), "petabyte");
    // A failing or missing archiver refuses a sound archive; one that fails after it has left
    // a folder it cannot write into (as tar sets the modes of an archive's folders at its end)
    // leaves nothing either.
    const std::string readOnly = folders.Root() + "/read-only-folders.sh";
    WriteFile(readOnly, "tar -xzf \"$1\" -C \"$2\"; chmod 500 \"$2/Files\"; exit 1\n");
    const std::string failsReadOnly =
        "sh " + CommandWord(readOnly) + " \"[ArcName]\" \"[DestPath]\"";
    for (const std::string& command :
         {std::string(), std::string("/nonexistent/tar -xzf \"[ArcName]\" -C \"[DestPath]\""),
          std::string("false"), failsReadOnly}) {
        SetCommand("RecoveryCommand", command);
        refused(good, TArchiveProblem::UnpackFailed, "", command);
    }
}

// A second name of a file in a branch archive (as tar stores a hard link) is taken in as a file
// of its own of the collection.
TEST_F(Exchange, AHardLinkToAnEarlierFileOfTheArchiveIsImportedAsAFileOfItsOwn) {
    MakeBranch(11, 0);
    const std::string good = Archive("good.vlexport");
    const fs::path exported = folders.Root() + "/exported";
    ASSERT_TRUE(ExportUnpacked(11, good, exported));
    std::vector<TEntry> entries = EntriesOf(exported);
    entries.push_back({"./Files/DIR14/twin.txt", AE_IFREG, "./Files/DIR14/sub/a.txt", true});
    const std::string linked = Archive("linked.vlexport");
    WriteTar(linked, entries);
    const std::string other = folders.MakeBudget("Other");
    Switch(other);
    ASSERT_EQ(Import(linked), 1);
    EXPECT_EQ(ReadBytes(other + "/Files/DIR14/twin.txt"), "letter");
    EXPECT_EQ(fs::hard_link_count(other + "/Files/DIR14/twin.txt"), 1u);
    EXPECT_EQ(fs::hard_link_count(other + "/Files/DIR14/sub/a.txt"), 1u);
}

}  // namespace
