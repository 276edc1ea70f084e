// The data module's deletions of objects of every kind, with their content rows, folders,
// algorithms and schedules.
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>

#include "common/OpenBudget.h"
#include "common/UndeletableFile.h"
#include "pays/Uscheduler.h"

namespace fs = std::filesystem;

namespace {

class Deletions : public OpenBudget {
protected:
    // An object of the type with some of everything that belongs to it; its algorithms name it
    // as their owner (IDParent) and its schedules take the IDs id * 10 + 1, id * 10 + 2.
    void Populate(int id, int type) {
        AddRow("Objects.db", {{"ID", id}, {"IDParent", 0}, {"Type", type}, {"Name", "object"}});
        switch (type) {
            case 20:
                for (int row = 1; row <= 3; ++row)
                    AddRow("Tables.db", {{"ID", id}, {"NRow", row}, {"NameRow", "row"}});
                break;
            case 30:
                for (int picture = 1; picture <= 2; ++picture)
                    AddRow("Images.db", {{"ID", id}, {"Number", picture}, {"FileName", "p.jpg"}});
                WriteFile(Folder(id, type) + "/mini/p.jpg.bmp");
                break;
            case 40:
                WriteFile(Folder(id, type) + "/sub/letter.txt");
                break;
            case 50:
                for (const char* kind : {"C", "A", "C"}) {
                    const int day = CountRows("Numbers.db", Where("ID") == id);
                    AddRow("Numbers.db", {{"ID", id},
                                          {"DateBegin", 45000.0 + day},
                                          {"ItemType", kind},
                                          {"IDAlg", *kind == 'A' ? Algorithm(id) : 0}});
                }
                break;
            case 60:
                AddRow("Pays.db", {{"ID", id}, {"Direction", "O"}});
                for (int day = 0; day < 4; ++day)
                    AddRow("PayHistory.db", {{"ID", id}, {"DateEvent", 45000.0 + day}});
                AddCharge(id, "A", 1);
                AddCharge(id, "C", 2);
                break;
        }
    }

    void AddCharge(int pay, const char* kind, int number) {
        Schedule schedule;
        SetDefaultSchedule(schedule);
        schedule.ID = pay * 10 + number;
        AddRow("PayAutoCharges.DB", {{"ID", pay},
                                     {"ItemType", kind},
                                     {"IDAlg", *kind == 'A' ? Algorithm(pay) : 0},
                                     {"IDSchedule", SaveSchedule(schedule)}});
    }

    int Algorithm(int owner) {
        Algorithm01 algorithm;
        algorithm.IDParent = owner;
        algorithm.INDataList.push_back(ExtData{});
        algorithm.VarDescrList.push_back({1, "v"});
        algorithm.Text = std::string(150, 'x');
        const int id = dm.SaveAlgorithm(algorithm);
        algorithms_[owner].push_back(id);
        return id;
    }

    std::string Folder(int id, int type) const {
        return budget + (type == 30 ? "/Images/IMG" : "/Files/DIR") + std::to_string(id);
    }

    static void WriteFile(const std::string& path) {
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path) << "content";
    }

    // Everything of the object that the budget holds, counted.
    std::map<std::string, int> Content(int id) {
        std::map<std::string, int> content;
        const TFilter rows = Where("ID") == id;
        for (const char* table : {"Objects.db", "Tables.db", "Images.db", "Numbers.db", "Pays.db",
                                  "PayHistory.db", "PayAutoCharges.DB"})
            content[table] = CountRows(table, rows);
        content["folders"] = fs::exists(Folder(id, 30)) + fs::exists(Folder(id, 40));
        content["schedules"] =
            CountRows("Schedules.db", Where("ID") > id * 10 && Where("ID") < id * 10 + 10);
        for (const int alg : algorithms_[id]) {
            content["Algorithms.db"] += CountRows("Algorithms.db", Where("ID") == alg);
            for (const char* table : {"AlgExtData.db", "AlgVarDescr.db", "AlgText.db"})
                content[table] += CountRows(table, Where("IDAlg") == alg);
        }
        return content;
    }

    // The counts of nothing at all.
    std::map<std::string, int> Nothing(int id) {
        std::map<std::string, int> nothing = Content(id);
        for (auto& [what, count] : nothing) count = 0;
        return nothing;
    }

    std::map<int, std::vector<int>> algorithms_;
};

}  // namespace

TEST_F(Deletions, EachKindOfObjectGoesWithEverythingThatBelongsToItAndNothingElse) {
    const struct {
        int type;
        void (TDM::*remove)(int);
        std::map<std::string, int> before;  // what the object held, besides its object row
    } kinds[] = {
        {10, &TDM::DeleteObjectRecord, {}},
        {20, &TDM::DeleteTableObject, {{"Tables.db", 3}}},
        {30, &TDM::DeleteImagesObject, {{"Images.db", 2}, {"folders", 1}}},
        {40, &TDM::DeleteFilesObject, {{"folders", 1}}},
        // The items "C", "A", "C": one algorithm with its rows.
        {50,
         &TDM::DeleteNumberObject,
         {{"Numbers.db", 3},
          {"Algorithms.db", 1},
          {"AlgExtData.db", 1},
          {"AlgVarDescr.db", 1},
          {"AlgText.db", 2}}},
        // Charges "A" and "C": one algorithm, two schedules, the history and the pay's row.
        {60,
         &TDM::DeletePayObject,
         {{"Pays.db", 1},
          {"PayHistory.db", 4},
          {"PayAutoCharges.DB", 2},
          {"schedules", 2},
          {"Algorithms.db", 1},
          {"AlgExtData.db", 1},
          {"AlgVarDescr.db", 1},
          {"AlgText.db", 2}}},
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.type);
        const int gone = kind.type * 10 + 1, kept = kind.type * 10 + 2;
        Populate(gone, kind.type);
        Populate(kept, kind.type);
        std::map<std::string, int> before = Nothing(gone);
        before["Objects.db"] = 1;
        for (const auto& [what, count] : kind.before) before[what] = count;
        ASSERT_EQ(Content(gone), before);
        const std::map<std::string, int> keptBefore = Content(kept);

        (dm.*kind.remove)(gone);
        EXPECT_EQ(Content(gone), Nothing(gone));
        EXPECT_EQ(Content(kept), keptBefore);
    }
    EXPECT_TRUE(shell.fatalTexts.empty());
    EXPECT_TRUE(shell.fatalErrors.empty());
}

TEST_F(Deletions, TheContentOperationsLeaveTheObjectRow) {
    Populate(50, 50);
    Populate(60, 60);
    dm.DeleteNumberItems(50);
    dm.DeletePayHistory(60);
    EXPECT_EQ(CountRows("PayHistory.db"), 0);
    EXPECT_EQ(CountRows("PayAutoCharges.DB"), 2);
    dm.DeleteAutoCharges(60);
    EXPECT_EQ(CountRows("Schedules.db"), 0);
    EXPECT_EQ(CountRows("Pays.db"), 1);
    dm.DeletePayData(60);
    EXPECT_EQ(CountRows("Pays.db"), 0);
    dm.DeletePayData(60);  // nothing left: no error
    EXPECT_EQ(Content(50)["Numbers.db"] + Content(50)["Algorithms.db"], 0);
    EXPECT_EQ(Column("Objects.db", "ID", Where("ID") >= 50), (std::vector<TFieldValue>{50, 60}));
    EXPECT_TRUE(shell.fatalTexts.empty());
}

TEST_F(Deletions, AnAlbumWhoseFolderIsGoneIsDeletedWithoutError) {
    Populate(30, 30);
    fs::remove_all(Folder(30, 30));
    dm.DeleteImagesObject(30);
    EXPECT_EQ(Content(30), Nothing(30));
    EXPECT_TRUE(shell.fatalErrors.empty());
}

TEST_F(Deletions, AFolderThatCannotBeDeletedIsFatalAndTheObjectRowGoesAllTheSame) {
    Populate(40, 40);
    const UndeletableFile kept(Folder(40, 40) + "/kept.txt");
    if (!kept.Made()) GTEST_SKIP() << "the file system cannot make a file undeletable here";
    dm.DeleteFilesObject(40);
    EXPECT_EQ(shell.fatalErrors, std::vector<int>{-3});
    // The report names the error the deletion got, not a later one.
    ASSERT_EQ(shell.fatalCauses.size(), 1u);
    EXPECT_EQ(shell.fatalCauses[0], std::errc::operation_not_permitted);
    EXPECT_EQ(CountRows("Objects.db", Where("ID") == 40), 0);
}

// A folder that cannot even be looked at (here its parent is a link to itself) is one that
// stays: fatal, and the object's rows go all the same.
TEST_F(Deletions, AFolderThatCannotBeLookedAtIsFatalAndTheObjectGoesAllTheSame) {
    for (const int type : {30, 40}) {
        SCOPED_TRACE(type);
        Populate(type, type);
        const fs::path parent = fs::path(Folder(type, type)).parent_path();
        fs::remove_all(parent);
        fs::create_directory_symlink(parent.filename(), parent);
        shell.fatalErrors.clear();
        shell.fatalCauses.clear();
        if (type == 30)
            dm.DeleteImagesObject(type);
        else
            dm.DeleteFilesObject(type);
        EXPECT_EQ(shell.fatalErrors, std::vector<int>{-3});
        ASSERT_EQ(shell.fatalCauses.size(), 1u);
        EXPECT_EQ(shell.fatalCauses[0], std::errc::too_many_symbolic_link_levels);
        EXPECT_EQ(CountRows("Objects.db", Where("ID") == type), 0);
        EXPECT_EQ(CountRows("Images.db", Where("ID") == type), 0);
    }
}

TEST_F(Deletions, AnObjectWithoutARowIsFatalAndLeavesEveryRow) {
    Populate(20, 20);
    dm.DeleteObjectRecord(21);
    EXPECT_EQ(shell.fatalTexts, std::vector<std::string>{
                                    "FATAL ERROR: The object with such identifier is not found"});
    EXPECT_EQ(CountRows("Objects.db"), 3);
    EXPECT_EQ(CountRows("Tables.db"), 3);
}

TEST_F(Deletions, SharedTablesKeepTheirFiltersAndAreOpenAfterwards) {
    Populate(50, 50);
    Populate(60, 60);
    Populate(20, 20);
    // Leftover filters that hide the objects to delete: the rows are found by their IDs all
    // the same.
    const TFilter hiding = Where("ID") == 9;
    for (TTable* table : {&dm.TableObjects, &dm.TablePays, &dm.TableNumbers})
        table->SetFilter(hiding), table->SetFiltered(true);
    dm.TableTables.Close();
    dm.TableAlgText.SetFilter(Where("IDAlg") == 1000);
    dm.TableAlgText.SetFiltered(false);

    dm.DeleteNumberObject(50);
    dm.DeletePayObject(60);
    dm.DeleteTableObject(20);
    EXPECT_EQ(Column("Objects.db", "ID"), (std::vector<TFieldValue>{9, 10}));
    EXPECT_EQ(CountRows("Pays.db"), 0);
    EXPECT_TRUE(shell.fatalTexts.empty());

    for (TTable* table : dm.BudgetTables()) EXPECT_TRUE(table->Active()) << table->TableName();
    for (TTable* table : {&dm.TableObjects, &dm.TablePays, &dm.TableNumbers}) {
        EXPECT_TRUE(table->Filtered());
        EXPECT_EQ(table->Filter(), hiding);
    }
    EXPECT_FALSE(dm.TableAlgText.Filtered());
    EXPECT_EQ(dm.TableAlgText.Filter(), Where("IDAlg") == 1000);
    for (TTable* table : {&dm.TableTables, &dm.TablePayHistory, &dm.TableAutoCharges})
        EXPECT_FALSE(table->Filtered());
}
