// A full-size branch (every object type, 300 pictures, 30,000 pay history rows) exported and
// imported into an empty budget and over objects with the same IDs, then undone and redone.
#include <gtest/gtest.h>

#include <QColor>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>

#include "common/BudgetDump.h"
#include "common/PictureFile.h"
#include "exchange/ExchangeFixture.h"
#include "platform/Database.h"
#include "shell/ObjectIndex.h"

namespace fs = std::filesystem;

namespace {

constexpr int kAlbums = 4, kPicturesPerAlbum = 75;
constexpr int kPays = 3;
constexpr int kHistoryRows[kPays] = {14000, 10000, 6000};

// The branch's objects by their distance from its first ID. Depth first in ID order, as the
// export lists them, so that an import numbers them in the same order.
enum TOffset : int {
    kRoot,  // a folder holding all below
    kTable,
    kPictures,                        // a folder of the albums
    kFirstAlbum,                      // kAlbums albums
    kPapers = kFirstAlbum + kAlbums,  // a collection with sub-folders
    kNoFiles,                         // a collection without files
    kNumber,
    kAccounts,  // a folder of the pays
    kFirstPay,  // kPays pays
};

std::string Dump(const std::string& folder) {
    return DumpBudget(folder, TDumpScope::WithoutJournal);
}

// The lines of the dump that `other` lacks, each after the table it belongs to, at most 30: a
// failure names the rows and files that differ instead of printing two whole dumps.
std::string LinesNotIn(const std::string& dump, const std::string& other) {
    std::map<std::string, int> count;
    std::istringstream theirs(other);
    for (std::string line; std::getline(theirs, line);) ++count[line];
    std::istringstream ours(dump);
    std::string out, section;
    int shown = 0;
    for (std::string line; std::getline(ours, line) && shown < 30;) {
        if (!line.starts_with("  ")) section = line.substr(0, line.find(" ("));
        if (count[line]-- > 0) continue;
        out += section + ":" + line + "\n";
        ++shown;
    }
    return out;
}

void ExpectSameDump(const std::string& actual, const std::string& expected) {
    EXPECT_TRUE(actual == expected) << "not expected:\n"
                                    << LinesNotIn(actual, expected) << "missing:\n"
                                    << LinesNotIn(expected, actual);
}

// Appends `count` rows to a table of the open budget through one view, in one store
// transaction.
void AddRows(const char* table, int count, const std::function<TRowValues(int k)>& row) {
    TTransactionScope transaction(ShellServices().BudgetPath());
    {
        TBudgetTable rows(table, true, {}, "");
        for (int k = 0; k < count; ++k) {
            rows.Append();
            for (const auto& [field, value] : row(k)) rows.FieldByName(field).SetValue(value);
            rows.Post();
        }
    }
    transaction.Commit();
}

// A colour of its own for each of the 300 pictures, far enough from the others to survive the
// JPEG's loss.
QColor PictureColour(int k) {
    return QColor(k % 7 * 40, k / 7 % 7 * 40, k / 49 * 40);
}

class ImportRoundTrip : public ExchangeFixture {
protected:
    // The branch below `parent` in the open budget, with the IDs first + TOffset: a table; a
    // folder of albums, each with its pictures (tiny JPEGs), thumbnails, descriptions and the
    // folders the journal makes for an album; a collection with files in sub-folders and an
    // empty one, and an empty collection; a number whose chronology holds constants and an
    // algorithm reading the first pay and the calendar; a folder of pays, each with an
    // algorithm charge reading the number, a constant charge, their schedules and its history.
    // Algorithms and schedules get the open budget's next IDs in the order of the export.
    void MakeFullBranch(int first, int parent) {
        const auto object = [first](int offset, int parentId, int type, const std::string& name) {
            AddRow(tbl::Objects, {{fld::ID, first + offset},
                                  {fld::IDParent, parentId},
                                  {fld::Type, type},
                                  {fld::Image, type / 10},
                                  {fld::Expanded, offset % 2 ? "Y" : "N"},
                                  {fld::Name, name},
                                  {fld::Descript, name + " \"notes\", Grüße"}});
        };
        object(kRoot, parent, otFolder, "Household");
        object(kTable, first + kRoot, otTable, "Rates");
        object(kPictures, first + kRoot, otFolder, "Pictures");
        for (int a = 0; a < kAlbums; ++a)
            object(kFirstAlbum + a, first + kPictures, otImages, "Album " + std::to_string(a));
        object(kPapers, first + kRoot, otFiles, "Papers");
        object(kNoFiles, first + kRoot, otFiles, "Nothing yet");
        object(kNumber, first + kRoot, otNumber, "Rate");
        object(kAccounts, first + kRoot, otFolder, "Accounts");
        for (int p = 0; p < kPays; ++p)
            object(kFirstPay + p, first + kAccounts, otPay, "Pay " + std::to_string(p));

        AddRows(tbl::Tables, 60, [&](int k) -> TRowValues {
            return {{fld::ID, first + kTable},
                    {fld::NRow, k + 1},
                    {fld::NameRow, "row " + std::to_string(k)},
                    {fld::ValueRow, k % 3 ? std::to_string(k * 1.25) : "\"quoted\" / Grüße"}};
        });

        for (int a = 0; a < kAlbums; ++a) {
            const int album = first + kFirstAlbum + a;
            const fs::path path = AlbumFolder(album);
            for (const char* sub : {"tmpload", "mini/tmpload"}) fs::create_directories(path / sub);
            AddRows(tbl::Images, kPicturesPerAlbum, [&](int k) -> TRowValues {
                const std::string name =
                    "photo " + std::to_string(k + 1) + (k % 10 ? "" : " Grüße") + ".jpg";
                const QColor colour = PictureColour(a * kPicturesPerAlbum + k);
                WritePicture(path / name, colour, {8, 6});
                WritePicture(path / "mini" / ThumbnailName(name), colour, {4, 3}, "BMP");
                return {{fld::ID, album},
                        {fld::Number, k + 1},
                        {fld::FileName, name},
                        {fld::Descript,
                         "album " + std::to_string(a) + ", picture " + std::to_string(k + 1)},
                        {fld::Current, k == 5 ? "c" : ""}};
            });
        }

        const fs::path papers = CollectionFolder(first + kPapers);
        WriteFile(papers / "letter.txt", "Dear bank,");
        WriteFile(papers / ".hidden", "kept too");
        WriteFile(papers / "sub/a.txt", "first");
        WriteFile(papers / "sub/deeper/b.bin", std::string("\0\1\2binary\xff", 10));
        WriteFile(papers / "Grüße ü/notes.txt", "umlauts");
        fs::create_directories(papers / "sub/empty");
        fs::create_directories(CollectionFolder(first + kNoFiles));

        const int number = first + kNumber, firstPay = first + kFirstPay;
        // A text long enough to be stored in several parts.
        const int numberAlgorithm =
            SaveAlgorithmReading(number, {{firstPay, otPay}, {9, otCalendar}},
                                 "[V001()] = 1\n" + std::string(600, 'x') + "\nende");
        AddRows(tbl::Numbers, 4, [&](int k) -> TRowValues {
            TRowValues row{{fld::ID, number},
                           {fld::DateBegin, 43000.0 + 500 * k},
                           {fld::Descript, "from " + std::to_string(k)}};
            if (k < 3) {
                row.push_back({fld::ItemType, "C"});
                row.push_back({fld::ConstValue, std::to_string(5 + k) + ".25"});
            } else {
                row.push_back({fld::ItemType, "A"});
                row.push_back({fld::IDAlg, numberAlgorithm});
            }
            return row;
        });

        for (int p = 0; p < kPays; ++p) {
            const int pay = firstPay + p;
            AddRow(tbl::Pays, {{fld::ID, pay},
                               {fld::Direction, p % 2 ? "I" : "O"},
                               {fld::FilterMode, "011110000000000"},
                               {fld::FilterDateFrom, 44000.0},
                               {fld::FilterDateTo, 45000.0 + p}});
            const int scheduleA = Schedule(1 + p), scheduleC = Schedule(5);
            AddRow(tbl::PayAutoCharges,
                   {{fld::ID, pay},
                    {fld::Name, "by rate"},
                    {fld::Descript, "reads the number"},
                    {fld::ItemType, "A"},
                    {fld::Activity, "A"},
                    {fld::DateBegin, 45000.0},
                    {fld::RestrictTime, "L"},
                    {fld::DateEnd, 46000.0},
                    {fld::IDAlg, SaveAlgorithmReading(pay, {{number, otNumber}})},
                    {fld::IDSchedule, scheduleA}});
            AddRow(tbl::PayAutoCharges, {{fld::ID, pay},
                                         {fld::Name, "fixed"},
                                         {fld::ItemType, "C"},
                                         {fld::Activity, "P"},
                                         {fld::RestrictTime, "U"},
                                         {fld::DateBegin, 40000.0},
                                         {fld::ConstValue, "3"},
                                         {fld::IDSchedule, scheduleC}});
            // Several events a day: automatic and manual charges, payments, counter readings.
            AddRows(tbl::PayHistory, kHistoryRows[p], [&](int k) -> TRowValues {
                TRowValues row{{fld::ID, pay},
                               {fld::DateEvent, 40000.0 + k / 3},
                               {fld::Descript, "event " + std::to_string(k)}};
                const std::string amount = std::to_string(k % 997) + ".25";
                switch (k % 4) {
                    case 0:
                        row.insert(row.end(), {{fld::TypeEvent, "CH"},
                                               {fld::IDCharge, scheduleA},
                                               {fld::PrtyCharge, 1 + p},
                                               {fld::Charge, amount},
                                               {fld::ForPayment, amount},
                                               {fld::CurBalance, "-" + amount}});
                        break;
                    case 1:
                        row.insert(row.end(), {{fld::TypeEvent, "CH"},
                                               {fld::IDCharge, 0},
                                               {fld::NManOper, k},
                                               {fld::Charge, amount}});
                        break;
                    case 2:
                        row.insert(row.end(), {{fld::TypeEvent, "PY"},
                                               {fld::IDCharge, 0},
                                               {fld::NManOper, k},
                                               {fld::Payment, amount}});
                        break;
                    default:
                        row.insert(row.end(), {{fld::TypeEvent, "CN"}, {fld::Counter, amount}});
                }
                return row;
            });
        }
    }

    // Imports the archive under the node of the open budget: it then holds `expected`; the
    // undo gives back what it held before, the redo `expected` again, a second undo what it
    // held before. Each leaves the temp folder empty.
    void ExpectRoundTrip(const std::string& archive, int node, int type,
                         const std::string& expected) {
        const std::string target = ShellServices().BudgetPath();
        const std::string before = Dump(target);
        const auto expectHolds = [&](const char* step, const std::string& dump) {
            SCOPED_TRACE(step);
            ExpectSameDump(Dump(target), dump);
            EXPECT_TRUE(fs::is_empty(folders.TempPath()));
        };
        const int applied = node ? node : 1;
        ASSERT_EQ(Import(archive, node, type), applied);
        expectHolds("import", expected);
        ASSERT_EQ(Undo(lastTrans), 0);
        expectHolds("undo", before);
        ASSERT_EQ(Redo(lastTrans), applied);
        expectHolds("redo", expected);
        ASSERT_EQ(Undo(lastTrans), 0);
        expectHolds("second undo", before);
    }
};

TEST_F(ImportRoundTrip, FullBranchImportsUndoesAndRedoesToIdenticalDumps) {
    MakeFullBranch(11, 0);
    const std::string archive = Archive("household.vlexport");
    ASSERT_EQ(Export(11, archive), TPackResult::Done);
    const std::string source = Dump(budget);
    {
        SCOPED_TRACE("into an empty budget: the same IDs, the same budget");
        Switch(folders.MakeBudget("Empty"));
        ExpectRoundTrip(archive, 0, 0, source);
    }
    {
        SCOPED_TRACE("into a folder of a budget whose objects have the branch's IDs");
        // Objects 11 to 16 of every type, with algorithms 1 and 2 and schedules 1 and 2: the
        // branch's objects get 17 on, its algorithms 3 on, its schedules 3 on.
        const std::string target = folders.MakeBudget("Target");
        Switch(target);
        MakeBranch(11, 0);
        // What the import must give: the same budget with the branch made at those IDs.
        const std::string expected = folders.Root() + "/Expected";
        dm.FlushAndCloseTables();  // the copy is taken with the tables closed
        DM = nullptr;
        fs::copy(target, expected, fs::copy_options::recursive);
        Switch(expected);
        MakeFullBranch(17, 11);
        const std::string after = Dump(expected);
        Switch(target);
        ExpectRoundTrip(archive, 11, otFolder, after);
    }
}

}  // namespace
