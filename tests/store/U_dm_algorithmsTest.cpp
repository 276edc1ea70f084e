// The algorithm storage: an algorithm stored and loaded back whole, its text in pieces, new
// IDs, deletion, and the lookups of owners and users.
#include "common/OpenBudget.h"
#include "store/Utransactions.h"

namespace {

ExtData Datum(std::string name, int n, int idObject, int typeObject) {
    ExtData datum;
    datum.Name = std::move(name);
    datum.N = n;
    datum.IDObject = idObject;
    datum.TypeObject = typeObject;
    return datum;
}

Algorithm01 Sample(std::string text) {
    Algorithm01 algorithm;
    algorithm.ID = 7;
    algorithm.Valid = true;
    algorithm.IDParent = 61;
    algorithm.Name = "Heating";
    algorithm.Descript = "per square metre";
    ExtData area = Datum("I001", 1, 51, 50);
    area.ParentObject = 3;
    ExtData charge = Datum("I002", 2, 62, 60);
    charge.SubSource = 4;
    charge.Param1 = "15";
    charge.Param2 = "1";
    charge.Param3 = "kept";
    algorithm.INDataList = {area, charge};
    algorithm.VarDescrList = {{3, "rate"}, {1, "result"}};
    algorithm.Text = std::move(text);
    algorithm.VarOfResult = 3;
    return algorithm;
}

void ExpectSame(const Algorithm01& loaded, const Algorithm01& saved, int id) {
    EXPECT_EQ(loaded.ID, id);
    EXPECT_EQ(loaded.Valid, saved.Valid);
    EXPECT_EQ(loaded.IDParent, saved.IDParent);
    EXPECT_EQ(loaded.Name, saved.Name);
    EXPECT_EQ(loaded.Descript, saved.Descript);
    EXPECT_EQ(loaded.Text, saved.Text);
    EXPECT_EQ(loaded.VarOfResult, saved.VarOfResult);
    ASSERT_EQ(loaded.INDataList.size(), saved.INDataList.size());
    for (size_t i = 0; i < saved.INDataList.size(); ++i) {
        const ExtData &a = loaded.INDataList[i], &b = saved.INDataList[i];
        EXPECT_EQ(std::tie(a.Name, a.N, a.IDObject, a.TypeObject, a.ParentObject, a.SubSource,
                           a.Param1, a.Param2, a.Param3),
                  std::tie(b.Name, b.N, b.IDObject, b.TypeObject, b.ParentObject, b.SubSource,
                           b.Param1, b.Param2, b.Param3));
        EXPECT_EQ(a.Date, 0);
        EXPECT_EQ(a.DataStr, "");
    }
    ASSERT_EQ(loaded.VarDescrList.size(), saved.VarDescrList.size());
    for (size_t i = 0; i < saved.VarDescrList.size(); ++i)
        EXPECT_EQ(std::tie(loaded.VarDescrList[i].NVar, loaded.VarDescrList[i].Descript),
                  std::tie(saved.VarDescrList[i].NVar, saved.VarDescrList[i].Descript));
}

class Algorithms : public OpenBudget {};

}  // namespace

TEST_F(Algorithms, AnAlgorithmIsStoredUnderANewIdAndLoadsBackWhole) {
    const Algorithm01 saved = Sample("[V003()] = [I001()] * 2\n[V001()] = [V003()]");
    EXPECT_EQ(dm.SaveAlgorithm(saved), 1);  // the first of a budget; its own ID 7 is not used
    ExpectSame(dm.LoadAlgorithm(1), saved, 1);
    EXPECT_EQ(dm.SaveAlgorithm(saved), 2);  // saved twice: two algorithms

    AddRow("Algorithms.db", {{"ID", 12}});
    EXPECT_EQ(dm.SaveAlgorithm(saved), 13);
    EXPECT_TRUE(shell.fatalTexts.empty());
}

TEST_F(Algorithms, TheTextIsKeptInPiecesOfAHundredCharacters) {
    const std::string crlfAtTheBoundary = std::string(99, 'a') + "\r\n" + "b";
    const std::string lettersAtTheBoundary = std::string(99, 'a') + "äö" + "ü";
    const struct {
        const char* what;
        std::string text;
        std::vector<size_t> pieces;  // their lengths in bytes
    } cases[] = {
        {"empty", "", {}},
        {"one full piece", std::string(100, 'x'), {100}},
        {"one more character", std::string(101, 'x'), {100, 1}},
        {"a line break across the boundary", crlfAtTheBoundary, {100, 2}},
        {"letters of two bytes across the boundary", lettersAtTheBoundary, {101, 4}},
        {"a stray byte that continues no letter first", "\x80" + std::string(100, 'x'), {100, 1}},
    };
    int id = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<size_t> lengths;
        for (const std::string& piece : AlgorithmTextPieces(c.text))
            lengths.push_back(piece.size());
        EXPECT_EQ(lengths, c.pieces);
        id = dm.SaveAlgorithm(Sample(c.text));
        EXPECT_EQ(CountRows("AlgText.db", Where("IDAlg") == id), static_cast<int>(c.pieces.size()));
        EXPECT_EQ(Column("AlgText.db", "NPart", Where("IDAlg") == id).size(), c.pieces.size());
        EXPECT_EQ(dm.LoadAlgorithm(id).Text, c.text);
    }
}

TEST_F(Algorithms, OnlyAStoredOneIsValid) {
    Algorithm01 invalid = Sample("x");
    invalid.Valid = false;
    const int id = dm.SaveAlgorithm(invalid);
    EXPECT_EQ(Column("Algorithms.db", "Valid"), std::vector<TFieldValue>{0});
    EXPECT_FALSE(dm.LoadAlgorithm(id).Valid);
    AddRow("Algorithms.db", {{"ID", 5}, {"Valid", 2}});
    EXPECT_FALSE(dm.LoadAlgorithm(5).Valid);
}

TEST_F(Algorithms, LoadingIgnoresTheFiltersOfTheSharedTablesAndKeepsThem) {
    const int other = dm.SaveAlgorithm(Sample(std::string(250, 'o')));
    const Algorithm01 saved = Sample(std::string(250, 's'));
    const int id = dm.SaveAlgorithm(saved);
    for (TTable* table : {&dm.TableAlgText, &dm.TableAlgExtData, &dm.TableAlgVarDescr}) {
        table->SetFilter(Where("IDAlg") == other);
        table->SetFiltered(true);
    }
    dm.TableAlgorithms.SetFilter(Where("ID") == other);
    dm.TableAlgorithms.SetFiltered(true);

    ExpectSame(dm.LoadAlgorithm(id), saved, id);
    EXPECT_EQ(dm.TableAlgText.Filter(), Where("IDAlg") == other);
    EXPECT_TRUE(dm.TableAlgText.Filtered());
    EXPECT_EQ(dm.TableAlgText.RecordCount(), 3);
}

TEST_F(Algorithms, AMissingAlgorithmIsFatal) {
    const Algorithm01 loaded = dm.LoadAlgorithm(4);
    EXPECT_EQ(shell.fatalTexts, std::vector<std::string>{
                                    "FATAL ERROR: The object with such identifier is not found"});
    EXPECT_EQ(loaded.ID, 4);
    EXPECT_EQ(loaded.Name, "");
}

TEST_F(Algorithms, DeletingTakesEveryRowOfTheAlgorithmAndNoOther) {
    const int kept = dm.SaveAlgorithm(Sample(std::string(150, 'k')));
    const int gone = dm.SaveAlgorithm(Sample(std::string(150, 'g')));
    const auto rows = [](int id) {
        return CountRows("Algorithms.db", Where("ID") == id) +
               CountRows("AlgExtData.db", Where("IDAlg") == id) +
               CountRows("AlgVarDescr.db", Where("IDAlg") == id) +
               CountRows("AlgText.db", Where("IDAlg") == id);
    };
    EXPECT_EQ(rows(gone), 7);
    dm.DeleteAlgorithm(gone);
    EXPECT_EQ(rows(gone), 0);
    EXPECT_EQ(rows(kept), 7);
    dm.DeleteAlgorithm(gone);  // an ID without rows changes nothing
    EXPECT_EQ(rows(kept), 7);
    EXPECT_EQ(NextAlgorithmId(), gone);
}

TEST_F(Algorithms, OwnersAreFoundThroughTheRowsThatReferToTheAlgorithms) {
    AddRow("PayAutoCharges.DB", {{"ID", 61}, {"ItemType", "A"}, {"IDAlg", 1}});
    AddRow("Numbers.db", {{"ID", 51}, {"ItemType", "A"}, {"IDAlg", 1}});
    AddRow("Numbers.db", {{"ID", 52}, {"DateBegin", 45000.0}, {"ItemType", "A"}, {"IDAlg", 2}});
    EXPECT_EQ(dm.FindAlgorithmOwner(1), 61);  // the pay before the number
    EXPECT_EQ(dm.FindAlgorithmOwner(2), 52);
    EXPECT_EQ(dm.FindAlgorithmOwner(3), -1);
}

TEST_F(Algorithms, TheUsersOfADataSourceAreListedOncePerReferringDatum) {
    // Number 51 has two items whose algorithms read pay 61; number 52 reads itself; an
    // algorithm that nothing owns reads pay 61 too.
    const auto algorithm = [&](int owner, int source) {
        Algorithm01 a = Sample("x");
        a.INDataList = {Datum("I001", 1, source, 60)};
        const int id = dm.SaveAlgorithm(a);
        if (owner > 0)
            AddRow("Numbers.db",
                   {{"ID", owner}, {"DateBegin", 45000.0 + id}, {"ItemType", "A"}, {"IDAlg", id}});
    };
    algorithm(51, 61);
    algorithm(51, 61);
    algorithm(52, 52);
    algorithm(0, 61);

    std::vector<int> users = {99};
    EXPECT_TRUE(dm.ListDataSourceUsers(61, users));
    EXPECT_EQ(users, (std::vector<int>{51, 51, -1}));
    EXPECT_FALSE(dm.ListDataSourceUsers(52, users));
    EXPECT_TRUE(users.empty());
}
