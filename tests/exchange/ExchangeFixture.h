// A budget open with the import kind registered and the exchange's folders set, a branch of
// every object type to export, and archives made by hand for the refusals.
#pragma once

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "../store/KindFixture.h"
#include "exchange/Uimportexport.h"
#include "pays/Uscheduler.h"
#include "platform/IniFile.h"
#include "store/TransKindImport.h"

inline void WriteFile(const std::filesystem::path& path, const std::string& content) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

// A path as one word of a vemly.ini command line: in double quotes, each of its own quotes
// tripled (the test folders' names hold quotes and blanks).
inline std::string CommandWord(const std::string& path) {
    std::string word = "\"";
    for (const char c : path) word += c == '"' ? std::string(3, '"') : std::string(1, c);
    return word + "\"";
}

// Unpacks the archive into the folder with tar.
inline void Untar(const std::string& archive, const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    const bool stop = false;
    ASSERT_EQ(
        RunProcessToMemo({"tar", {"-xzf", archive, "-C", folder.string()}}, nullptr, stop, "EN"),
        kProcessDone);
}

class ExchangeFixture : public KindFixture<TImportKind> {
protected:
    ExchangeFixture() {
        shell.state.TempPath = folders.TempPath();
        shell.state.DataPath = folders.DataPath();
        shell.state.BudgetState = kStopped;  // no derived pay data unless a test starts it
    }

    static constexpr int kRunning = 0, kStopped = 1;

    // Lists the folder in the budget list.
    static void AddBudgetRow(const std::string& folder) {
        TTable rows;
        rows.SetDatabaseName(ShellServices().UsersDataPath());
        rows.SetTableName("Budgets");
        rows.Open();
        rows.Append();
        rows.FieldByName("Path").SetAsString(folder);
        rows.FieldByName("Name").SetAsString("B");
        rows.Post();
    }

    void SetCommand(const char* key, const std::string& command) {
        TIniFile(folders.DataPath() + "vemly.ini").WriteString("Backup", key, command);
    }

    // Saves an algorithm of the owner whose data read the sources (ID, type); its ID.
    int SaveAlgorithmReading(int owner, std::vector<std::pair<int, int>> sources,
                             std::string text = "[V001()] = 1") {
        Algorithm01 algorithm;
        algorithm.IDParent = owner;
        algorithm.Name = "alg";
        int n = 0;
        for (const auto& [id, type] : sources) {
            ExtData datum;
            datum.Name = "I00" + std::to_string(++n);
            datum.N = n;
            datum.IDObject = id;
            datum.TypeObject = type;
            datum.ParentObject = owner;
            algorithm.INDataList.push_back(datum);
        }
        algorithm.VarDescrList.push_back({1, "v"});
        algorithm.Text = std::move(text);
        return dm.SaveAlgorithm(algorithm);
    }

    int Schedule(int priority) {
        ::Schedule schedule;
        SetDefaultSchedule(schedule);
        schedule.Priority = priority;
        return SaveSchedule(schedule);
    }

    // The branch below the folder `root` in the open budget (IDs first, first + 1, ...): a table,
    // an album with a picture and the folders the journal makes for an album, a collection with
    // a file, a number whose algorithm reads the pay and the calendar, and a pay with an "A"
    // charge reading the number and a "C" charge, schedules and history (one event made by the
    // first charge).
    void MakeBranch(int first, int parent, TDateTime chargeBegin = 45000) {
        const int folder = first, table = first + 1, album = first + 2, files = first + 3,
                  number = first + 4, pay = first + 5;
        auto object = [](int id, int parentId, int type, const char* name) {
            AddRow("Objects.db", {{"ID", id},
                                  {"IDParent", parentId},
                                  {"Type", type},
                                  {"Expanded", "N"},
                                  {"Name", name},
                                  {"Descript", std::string(name) + " d"}});
        };
        object(folder, parent, 10, "Branch");
        object(table, folder, 20, "Table");
        object(album, folder, 30, "Album");
        object(files, folder, 40, "Files");
        object(number, folder, 50, "Number");
        object(pay, folder, 60, "Pay");
        for (int row = 1; row <= 2; ++row)
            AddRow("Tables.db",
                   {{"ID", table}, {"NRow", row}, {"NameRow", "r"}, {"ValueRow", "v"}});
        AddRow("Images.db", {{"ID", album}, {"Number", 1}, {"FileName", "p.jpg"}});
        const std::string open = shell.state.BudgetPath;
        WriteFile(open + "/Images/IMG" + std::to_string(album) + "/p.jpg", "picture " + open);
        WriteFile(open + "/Images/IMG" + std::to_string(album) + "/mini/p.bmp", "thumb");
        for (const char* staging : {"/tmpload", "/mini/tmpload"})  // as the journal makes them
            std::filesystem::create_directories(open + "/Images/IMG" + std::to_string(album) +
                                                staging);
        WriteFile(open + "/Files/DIR" + std::to_string(files) + "/sub/a.txt", "letter");
        AddRow("Numbers.db",
               {{"ID", number}, {"DateBegin", 44000.0}, {"ItemType", "C"}, {"ConstValue", "5"}});
        AddRow("Numbers.db", {{"ID", number},
                              {"DateBegin", 44500.0},
                              {"ItemType", "A"},
                              {"IDAlg", SaveAlgorithmReading(number, {{pay, 60}, {9, 9500}})}});
        AddRow("Pays.db", {{"ID", pay}, {"Direction", "O"}, {"FilterMode", "011110000000000"}});
        const int scheduleA = Schedule(1), scheduleC = Schedule(2);
        AddRow("PayAutoCharges.DB", {{"ID", pay},
                                     {"Name", "a"},
                                     {"ItemType", "A"},
                                     {"Activity", "A"},
                                     {"RestrictTime", "U"},
                                     {"DateBegin", chargeBegin},
                                     {"IDAlg", SaveAlgorithmReading(pay, {{number, 50}})},
                                     {"IDSchedule", scheduleA}});
        AddRow("PayAutoCharges.DB", {{"ID", pay},
                                     {"Name", "c"},
                                     {"ItemType", "C"},
                                     {"Activity", "P"},
                                     {"RestrictTime", "U"},
                                     {"DateBegin", 40000.0},
                                     {"ConstValue", "3"},
                                     {"IDSchedule", scheduleC}});
        AddRow("PayHistory.db", {{"ID", pay},
                                 {"DateEvent", 45001.0},
                                 {"TypeEvent", "CH"},
                                 {"IDCharge", scheduleA},
                                 {"Charge", "1"}});
        AddRow("PayHistory.db", {{"ID", pay},
                                 {"DateEvent", 45002.0},
                                 {"TypeEvent", "PY"},
                                 {"IDCharge", 0},
                                 {"Payment", "1"}});
    }

    // Exports the branch of the object into the archive; the result of packing.
    TPackResult Export(int id, const std::string& archive) {
        if (!BuildBranchSet(id)) return TPackResult::Failed;
        const bool stop = false;
        return PackBranchSet(archive, nullptr, stop);
    }

    // Exports the branch of the object into the archive and unpacks that with tar into the
    // folder (made); false when either fails.
    bool ExportUnpacked(int id, const std::string& archive, const std::filesystem::path& folder) {
        if (Export(id, archive) != TPackResult::Done) return false;
        Untar(archive, folder);
        return !::testing::Test::HasFatalFailure();
    }

    // Prepares and applies the import of the archive under the node; ApplyTransaction's result.
    int Import(const std::string& archive, int target = 0, int type = 0) {
        auto writer = WriteImportTransaction(archive, target, type, "Branch");
        if (!writer) return 0;
        lastTrans = writer->NTrans();
        return writer->Apply();
    }

    // Opens another budget in place of the open one.
    void Switch(const std::string& folder) { OpenBudgetIn(shell, dm, folders, folder); }

    std::string Archive(const std::string& name) const { return folders.Root() + "/" + name; }

    int lastTrans = 0;
};

// An entry of a hand-made archive.
struct TEntry {
    std::string name;
    int type = AE_IFREG;
    std::string content;  // a file's bytes, a link's target
    bool hardLink = false;
    int perm = 0644;
};

enum class TArchiveFormat { TarGz, Tar, Zip };

// Writes an archive of the entries: a gzip-compressed tar unless told otherwise.
inline void WriteTar(const std::string& path, const std::vector<TEntry>& entries,
                     TArchiveFormat format = TArchiveFormat::TarGz) {
    archive* writer = archive_write_new();
    if (format == TArchiveFormat::Zip) {
        archive_write_set_format_zip(writer);
    } else {
        archive_write_set_format_pax_restricted(writer);
        if (format == TArchiveFormat::TarGz) archive_write_add_filter_gzip(writer);
    }
    archive_write_open_filename(writer, path.c_str());
    for (const TEntry& e : entries) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, e.name.c_str());
        archive_entry_set_filetype(entry, e.type);
        archive_entry_set_perm(entry, e.perm);
        if (e.hardLink) {
            archive_entry_set_hardlink(entry, e.content.c_str());
            archive_entry_set_size(entry, 0);
        } else if (e.type == AE_IFLNK) {
            archive_entry_set_symlink(entry, e.content.c_str());
        } else if (e.type == AE_IFREG) {
            archive_entry_set_size(entry, static_cast<la_int64_t>(e.content.size()));
        }
        archive_write_header(writer, entry);
        if (e.type == AE_IFREG && !e.hardLink)
            archive_write_data(writer, e.content.data(), e.content.size());
        archive_entry_free(entry);
    }
    archive_write_close(writer);
    archive_write_free(writer);
}

// The bytes of an incompressible file of that size.
inline std::string RandomBytes(std::size_t size) {
    std::mt19937_64 random(7);
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random() & 0xff);
    return bytes;
}

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The entries of a folder as its export packs them: "./" first, then every folder and file.
inline std::vector<TEntry> EntriesOf(const std::filesystem::path& folder) {
    std::vector<TEntry> entries{{"./", AE_IFDIR, "", false, 0755}};
    for (const auto& item : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string name = "./" + item.path().lexically_relative(folder).generic_string();
        if (item.is_directory())
            entries.push_back({name + "/", AE_IFDIR, "", false, 0755});
        else
            entries.push_back({name, AE_IFREG, ReadBytes(item.path())});
    }
    return entries;
}

// Runs the statements on a tables file.
inline void Sql(const std::filesystem::path& file, const std::string& statements) {
    sqlite3* db = nullptr;
    sqlite3_open(file.string().c_str(), &db);
    char* error = nullptr;
    sqlite3_exec(db, statements.c_str(), nullptr, nullptr, &error);
    EXPECT_EQ(error, nullptr) << error << "\n" << statements;
    sqlite3_free(error);
    sqlite3_close(db);
}

using TChange = std::function<void(const std::filesystem::path& set)>;

// Packs a copy (`copy`) of the unpacked export after `change` into the archive, as tar.gz.
inline void Repack(const std::filesystem::path& exported, const std::filesystem::path& copy,
                   const TChange& change, const std::string& archive) {
    std::filesystem::copy(exported, copy, std::filesystem::copy_options::recursive);
    change(copy);
    std::vector<TEntry> entries = EntriesOf(copy);
    entries.front().perm = 0777;  // the "./" entry that once set the temp folder's mode
    WriteTar(archive, entries);
}
