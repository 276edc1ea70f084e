// The journal's kinds: finding a row's kind, the step that undoes it, and the typed layouts
// written through the journal's writer and read back, numbered part by part.
#include <functional>
#include <string>
#include <vector>

#include "common/OpenBudget.h"
#include "store/TransKind.h"
#include "store/TransKindContent.h"
#include "store/TransKindImport.h"
#include "store/TransKindObject.h"
#include "store/TransKindPay.h"

namespace {

class Kinds : public OpenBudget {};

// A transaction of the Act and Type with the integer parts given.
int Transaction(std::string_view act, int type, const std::vector<int>& ints) {
    TTransWriter writer(act, 5, type, "x");
    for (int value : ints) writer.AddInt(value);
    return writer.Ready();
}

// Records its steps in the log and gives 10 for an Apply, 0 for an Undo.
class TRecordingKind : public TTransKind {
public:
    TRecordingKind(TKindKey key, TUndoBy undoBy, std::vector<std::string>& log)
        : TTransKind(std::move(key), {.UndoBy = undoBy}), log_(log) {}
    std::optional<int> Apply(TStep& step) const override {
        log_.push_back("apply of " + Key().Act + " on " + step.Row.Act);
        return 10;
    }
    std::optional<int> Undo(TStep& step) const override {
        log_.push_back("undo of " + Key().Act + " on " + step.Row.Act);
        return 0;
    }

private:
    std::vector<std::string>& log_;
};

// Writes the layout as the parts of a new transaction, checks that it reads back equal (with
// its marks filled in) and gives the transaction's number.
template <class Layout>
std::function<int()> RoundTrip(Layout layout) {
    return [layout]() mutable {
        TTransWriter writer("TEST", 5, 20, "x");
        WriteParts(writer, layout);
        const int nTrans = writer.Ready();
        EXPECT_EQ(ReadParts<Layout>(nTrans), std::optional<Layout>(layout));
        return nTrans;
    };
}

std::vector<TFieldValue> Values(const char* parts, int nTrans) {
    return Column(parts, fld::Value, Where(fld::NTrans) == nTrans);
}

using TValues = std::vector<TFieldValue>;

}  // namespace

// ---- Finding kinds

TEST_F(Kinds, ARowFindsTheKindOfItsActAndTypeOrOfItsCodeElseOfItsActElseNone) {
    TTransKinds kinds;
    for (const TKindKey& key : {TKindKey{"REN"}, TKindKey{"CHANG", 20}, TKindKey{"CHANG", 60, 6022},
                                TKindKey{"CHANG", 60, 6050}})
        kinds.Add(std::make_unique<TTransKind>(key, TStepData{}));
    const struct {
        const char* act;
        int type;
        std::vector<int> ints;
        std::optional<TKindKey> kind;
    } cases[] = {
        {"REN", 30, {}, TKindKey{"REN"}},
        {"CHANG", 20, {}, TKindKey{"CHANG", 20}},
        {"CHANG", 40, {}, std::nullopt},
        {"MOVE", 20, {}, std::nullopt},
        {"CHANG", 60, {6022, 7}, TKindKey{"CHANG", 60, 6022}},
        {"CHANG", 60, {6050}, TKindKey{"CHANG", 60, 6050}},
        {"CHANG", 60, {6060}, std::nullopt},  // a code without a kind
        {"CHANG", 60, {}, std::nullopt},      // no code part
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.act) + " " + std::to_string(c.type));
        const TTransRow row{Transaction(c.act, c.type, c.ints), c.act, 5, c.type, "x"};
        const TTransKind* kind = kinds.KindOf(row);
        EXPECT_EQ(kind ? std::optional<TKindKey>(kind->Key()) : std::nullopt, c.kind);
    }

    // A kind registered again replaces the one before; without kinds by code the Act and Type
    // choose again.
    const TTransKind* direction = kinds.Find({"CHANG", 60, 6050});
    EXPECT_EQ(
        kinds.Add(std::make_unique<TTransKind>(TKindKey{"CHANG", 60, 6050}, TStepData{})).get(),
        direction);
    kinds.Remove({"CHANG", 60, 6022});
    kinds.Remove({"CHANG", 60, 6050});
    EXPECT_EQ(kinds.Remove({"CHANG", 60, 6050}), nullptr);
    kinds.Add(std::make_unique<TTransKind>(TKindKey{"CHANG", 60}, TStepData{}));
    const TTransRow pay{Transaction("CHANG", 60, {6022}), "CHANG", 5, 60, "x"};
    EXPECT_EQ(kinds.KindOf(pay), kinds.Find({"CHANG", 60}));

    // Beside kinds by code, the kind of the Act and Type without a code takes the codes without
    // a kind of their own and the rows without a code part.
    kinds.Add(std::make_unique<TTransKind>(TKindKey{"CHANG", 60, 6050}, TStepData{}));
    for (const auto& [ints, key] : {std::pair{std::vector<int>{6050}, TKindKey{"CHANG", 60, 6050}},
                                    std::pair{std::vector<int>{6060}, TKindKey{"CHANG", 60}},
                                    std::pair{std::vector<int>{}, TKindKey{"CHANG", 60}}}) {
        const TTransRow row{Transaction("CHANG", 60, ints), "CHANG", 5, 60, "x"};
        EXPECT_EQ(kinds.KindOf(row), kinds.Find(key));
    }
}

TEST_F(Kinds, TheStepThatUndoesARowIsTheOneItsKindNames) {
    std::vector<std::string> log;
    TTransKinds kinds;
    kinds.Add(std::make_unique<TRecordingKind>(TKindKey{"ADD", 20}, TUndoBy::OwnUndo, log));
    kinds.Add(std::make_unique<TRecordingKind>(TKindKey{"DEL"}, TUndoBy::ApplyAdd, log));
    kinds.Add(std::make_unique<TTransKind>(TKindKey{"REN"}, TStepData{}));
    const struct {
        const char* act;
        int type;
        std::optional<int> result;
        const char* step;  // logged
    } cases[] = {
        {"ADD", 20, 0, "undo of ADD on ADD"},
        {"DEL", 20, 10, "apply of ADD on DEL"},  // the deletion's snapshot created again
        {"DEL", 30, std::nullopt, ""},           // no "ADD" kind of its Type
        {"REN", 20, std::nullopt, ""},           // a kind without its undo yet
        {"MOVE", 20, std::nullopt, ""},          // no kind
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.act) + " " + std::to_string(c.type));
        log.clear();
        const TTransRow row{1, c.act, 5, c.type, "x"};
        TFileEffects files;
        TStep step{row, files};
        EXPECT_EQ(kinds.Undo(step), c.result);
        EXPECT_EQ(log, *c.step ? std::vector<std::string>{c.step} : std::vector<std::string>{});
    }
}

// ---- Layouts

TEST_F(Kinds, EveryLayoutReadsBackAsWrittenWithItsPartsNumberedInEachTable) {
    const TDateTime d1 = EncodeDate(2024, 3, 5), d2 = EncodeDate(2024, 3, 2);
    const TAlgorithmBlock algorithm{.OldId = 31,
                                    .Valid = 1,
                                    .IDParent = 52,
                                    .Name = "Gas",
                                    .Descript = "per month",
                                    .VarOfResult = 2,
                                    .ExtData = {{"meter", 1, 61, 60, 10, 3, "a", "b", "c"}},
                                    .VarDescr = {{2, "result"}},
                                    .TextPieces = {"X1:=", "meter*2"}};
    const TNumberItemBlock constant{d2, "C", "12.5", "start", {}};
    const TNumberItemBlock computed{d1, "A", "", "computed", algorithm};
    const TAutoChargeBlock charge{.Name = "Rent",
                                  .Descript = "monthly",
                                  .DateBegin = d2,
                                  .RestrictTime = "N",
                                  .DateEnd = d1,
                                  .Activity = "Y",
                                  .ItemType = "C",
                                  .ConstValue = "500",
                                  .Algorithm = {},
                                  .ScheduleId = 4,
                                  .Periodicity = "M",
                                  .UnitaryDate = d2,
                                  .MonthesDays = "Y01N00",
                                  .WeekDays = "NNNNNNN",
                                  .Priority = 1};
    TAutoChargeBlock oldCharge = charge;
    oldCharge.ScheduleId = 3;
    oldCharge.ConstValue = "450";
    const THistoryEventBlock event{d1, "PY", "", 0, 0, 2, "", "", "80", "-20", "paid"};

    const struct {
        const char* layout;
        std::function<int()> roundTrip;
        TValues ints, texts, dates;
    } cases[] = {
        {"REN",
         RoundTrip(TRenameParts{7, 3, "new description", "old name", "old description"}),
         {7, 3},
         {"new description", "old name", "old description"},
         {}},
        {"MOVE", RoundTrip(TMoveParts{12, 4, "Bills", "Home"}), {12, 4}, {"Bills", "Home"}, {}},
        {"6021 add a counter reading",
         RoundTrip(TPayEventParts{6021, -1, "1234.5", "March", d1}),
         {6021, -1},
         {"1234.5", "March"},
         {d1}},
        {"6043 remove a payment",
         RoundTrip(TPayEventParts{6043, 2, "80", "paid", d1}),
         {6043, 2},
         {"80", "paid"},
         {d1}},
        {"6032 change a manual charge",
         RoundTrip(TPayEventChangeParts{6032, -1, 3, "15", "new", "10", "old", d2, d1}),
         {6032, -1, 3},
         {"15", "new", "10", "old"},
         {d2, d1}},
        {"6050 change the direction",
         RoundTrip(TPayDirectionParts{6050, "IO"}),
         {6050},
         {"IO"},
         {}},
        {"6010 replace the auto charges",
         RoundTrip(TAutoChargesChangeParts{.EffectiveDate = d2,
                                           .NewCharges = {charge},
                                           .OldCharges = {oldCharge},
                                           .OldHalf = {}}),
         // code, counts, the blocks' schedule ID and priority, the old half after 5 integer, 9
         // text and 4 date parts
         {6010, 1, 1, 4, 1, 3, 1, 5, 9, 4},
         {"Rent", "monthly", "N", "Y", "C", "500", "M", "Y01N00", "NNNNNNN", "Rent", "monthly", "N",
          "Y", "C", "450", "M", "Y01N00", "NNNNNNN"},
         {d2, d2, d1, d2, d2, d1, d2}},
        {"CHANG of a table from 3 rows to 2",
         RoundTrip(
             TTableChangeParts{{{"a", "1"}, {"b", "2"}}, {{"x", "7"}, {"y", "8"}, {"z", "9"}}}),
         {2, 3},
         {"a", "1", "b", "2", "x", "7", "y", "8", "z", "9"},
         {}},
        {"CHANG of an image album",
         RoundTrip(TImagesChangeParts{{{"new.jpg", "sea"}}, {}}),
         {1, 0},
         {"new.jpg", "sea"},
         {}},
        {"CHANG of a number",
         RoundTrip(TNumberChangeParts{.NewItems = {constant, computed},
                                      .OldItems = {constant},
                                      .OldHalf = {},
                                      .EarliestDate = d2}),
         // counts, the algorithm's integers with its data's and variable's, then the old half
         // after 15 integer, 15 text and 2 date parts
         {2, 1, 31, 1, 52, 2, 1, 1, 2, 1, 61, 60, 10, 3, 2, 15, 15, 2},
         {"C", "12.5", "start", "A", "", "computed", "Gas", "per month", "meter", "a", "b", "c",
          "result", "X1:=", "meter*2", "C", "12.5", "start"},
         {d2, d1, d2, d2}},
        {"ADD or DEL of a folder",
         RoundTrip(TObjectParts<TFolderContent>{0, 12, "bills", {}}),
         {0, 12},
         {"bills"},
         {}},
        {"ADD or DEL of a table with 3 rows",
         RoundTrip(
             TObjectParts<TTableContent>{10, 22, "rates", {{{"a", "1"}, {"b", "2"}, {"c", "3"}}}}),
         {10, 22, 3},
         {"rates", "a", "1", "b", "2", "c", "3"},
         {}},
        {"ADD or DEL of an image album",
         RoundTrip(TObjectParts<TImagesContent>{10, 30, "trip", {{{"a.jpg", "beach"}}}}),
         {10, 30, 1},
         {"trip", "a.jpg", "beach"},
         {}},
        {"ADD or DEL of a file collection",
         RoundTrip(TObjectParts<TFilesContent>{10, 40, "papers", {3}}),
         {10, 40, 3},
         {"papers"},
         {}},
        {"ADD or DEL of a number",
         RoundTrip(TObjectParts<TNumberContent>{10, 50, "gas", {{constant}}}),
         {10, 50, 1},
         {"gas", "C", "12.5", "start"},
         {d2}},
        {"ADD or DEL of a pay",
         RoundTrip(TObjectParts<TPayContent>{
             10, 24, "flat", {"O", "011110000000000", d2, d1, d2, {charge}, {event}}}),
         // parent, icon, the counts, the charge's schedule ID and priority, the event's integers
         {10, 24, 1, 1, 4, 1, 0, 0, 2},
         {"flat", "O", "011110000000000", "Rent", "monthly", "N", "Y", "C", "500", "M", "Y01N00",
          "NNNNNNN", "PY", "", "", "", "80", "-20", "paid"},
         {d2, d1, d2, d2, d1, d2, d1}},
        {"IMP", RoundTrip(TImportParts{"branch.tar.gz", d1, 0}), {0}, {"branch.tar.gz"}, {d1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.layout);
        const int nTrans = c.roundTrip();
        EXPECT_EQ(Values(tbl::jTrInteger, nTrans), c.ints);
        EXPECT_EQ(Values(tbl::jTrText, nTrans), c.texts);
        EXPECT_EQ(Values(tbl::jTrDate, nTrans), c.dates);
    }
}

TEST_F(Kinds, ALayoutWithAPartMissingReadsAsNothing) {
    const auto transaction = [](const std::vector<int>& ints,
                                const std::vector<std::string>& texts) {
        TTransWriter writer("TEST", 5, 20, "x");
        for (int value : ints) writer.AddInt(value);
        for (const std::string& value : texts) writer.AddText(value);
        return writer.Ready();
    };
    EXPECT_EQ(ReadParts<TRenameParts>(transaction({7, 3}, {"new description", "old name"})),
              std::nullopt);
    EXPECT_EQ(ReadParts<TPayEventParts>(transaction({6021, -1}, {"12", "no date"})), std::nullopt);
    // A count far beyond the parts there are stops at the last block read.
    EXPECT_EQ(ReadParts<TTableChangeParts>(transaction({2000000000, 0}, {"a", "1", "b"})),
              std::nullopt);
    EXPECT_EQ(ReadParts<TTableChangeParts>(transaction({1, 0}, {"a", "1"})),
              (TTableChangeParts{{{"a", "1"}}, {}}));
}

// A negative count, and an old-half locator that names another place than where the old half
// begins, make a layout unsound: it reads as nothing.
TEST_F(Kinds, ALayoutWithANegativeCountOrAWrongLocatorReadsAsNothing) {
    const TNumberItemBlock item{EncodeDate(2024, 3, 2), "C", "12.5", "start", {}};
    const auto transaction = [](auto layout) {
        TTransWriter writer("TEST", 5, 20, "x");
        WriteParts(writer, layout);
        return writer.Ready();
    };
    // A count of -1 for the old rows, with no old rows.
    const int negative = transaction(TTableChangeParts{});
    {
        TBudgetTable count(tbl::jTrInteger, true,
                           Where(fld::NTrans) == negative && Where(fld::NPart) == 2, "");
        count.Edit();
        count.FieldByName(fld::Value).SetAsInteger(-1);
        count.Post();
    }
    EXPECT_EQ(ReadParts<TTableChangeParts>(negative), std::nullopt);

    const TNumberChangeParts number{
        .NewItems = {item}, .OldItems = {item}, .OldHalf = {}, .EarliestDate = 0};
    const int sound = transaction(number);
    ASSERT_TRUE(ReadParts<TNumberChangeParts>(sound));
    EXPECT_EQ(ReadParts<TNumberChangeParts>(sound)->OldHalf, (TPartMark{2, 3, 1}));
    // The locator's text count one off.
    const int wrong = transaction(number);
    {
        TBudgetTable texts(tbl::jTrInteger, true,
                           Where(fld::NTrans) == wrong && Where(fld::NPart) == 4, "");
        texts.Edit();
        texts.FieldByName(fld::Value).SetAsInteger(4);
        texts.Post();
    }
    EXPECT_EQ(ReadParts<TNumberChangeParts>(wrong), std::nullopt);
}
