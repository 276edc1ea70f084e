// Renaming an object through the journal: the "REN" applier, its undo and its redo on a real
// budget, with the parts as numbered, parts missing and the object gone.
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "KindFixture.h"
#include "common/BudgetDump.h"
#include "store/TransKindObject.h"

namespace {

// A folder (ID 7, expanded, under a folder 3) and its sibling (ID 8) to rename.
class Rename : public KindFixture<TRenameKind> {
protected:
    Rename() {
        AddRow("Objects", {{"ID", 3},
                           {"IDParent", 0},
                           {"Type", 10},
                           {"Image", 80},
                           {"Expanded", "Y"},
                           {"Name", "Home"},
                           {"Descript", ""}});
        AddRow("Objects", {{"ID", 7},
                           {"IDParent", 3},
                           {"Type", 10},
                           {"Image", 84},
                           {"Expanded", "Y"},
                           {"Name", "Car"},
                           {"Descript", "old car"}});
        AddRow("Objects", {{"ID", 8},
                           {"IDParent", 3},
                           {"Type", 20},
                           {"Image", 16},
                           {"Expanded", "N"},
                           {"Name", "Rent"},
                           {"Descript", "flat"}});
    }

    // A "REN" of the object with the layout's parts, ready to apply.
    static int Prepare(int id, const std::string& name, TRenameParts parts) {
        TTransWriter writer("REN", id, 10, name);
        WriteParts(writer, parts);
        return writer.Ready();
    }
    // The undo step of the transaction, run as the undo run runs it.
    static std::optional<int> Undo(int nTrans, int id) {
        return RunStep({nTrans, "REN", id, 10, ""}, true);
    }
    // The redo of the transaction: its Apply again.
    static std::optional<int> Redo(int nTrans, int id, const std::string& name) {
        return RunStep({nTrans, "REN", id, 10, name}, false);
    }
    // Image, Name, Descript, Expanded and IDParent of the object.
    static std::vector<TFieldValue> Object(int id) {
        TBudgetTable objects("Objects", false, Where("ID") == id);
        std::vector<TFieldValue> values;
        for (const char* field : {"Image", "Name", "Descript", "Expanded", "IDParent"})
            values.push_back(objects.FieldByName(field).Value());
        return values;
    }
    static std::string StatusOf(int nTrans) {
        return Column("jTrans", "Status", Where("NTrans") == nTrans, "Index_NTrans").at(0).Text();
    }
};

}  // namespace

TEST_F(Rename, ApplyUndoAndRedoRoundTripEveryNameExactly) {
    std::string letters;
    for (int i = 0; i < 70; ++i) letters += "ж";  // 70 letters of two bytes each
    const std::string cases[] = {"Car \"new\" 'one'", "Car/Bike\\Boat", "   leading blanks",
                                 letters};
    for (const std::string& name : cases) {
        SCOPED_TRACE(name);
        const std::string before = DumpBudget(budget, TDumpScope::WithoutJournal);
        const int nTrans = Prepare(7, name, {86, 84, name + " descript", "Car", "old car"});
        ASSERT_GT(nTrans, 0);

        EXPECT_EQ(ApplyTransaction(nTrans), 7);
        EXPECT_EQ(StatusOf(nTrans), "APPLY");
        const std::vector<TFieldValue> renamed{86, name, name + " descript", "Y", 3};
        EXPECT_EQ(Object(7), renamed);
        const std::string applied = DumpBudget(budget, TDumpScope::WithoutJournal);

        EXPECT_EQ(Undo(nTrans, 7), 0);
        EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), before);
        EXPECT_EQ(Redo(nTrans, 7, name), 7);
        EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), applied);
        EXPECT_EQ(Undo(nTrans, 7), 0);
        EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), before);
    }
    EXPECT_TRUE(shell.fatalTexts.empty());
}

TEST_F(Rename, AMissingPartIsFatalBeforeAnythingIsWritten) {
    const struct {
        const char* table;
        int part;
    } cases[] = {
        {"jTrInteger", 1}, {"jTrInteger", 2}, {"jTrText", 1}, {"jTrText", 2}, {"jTrText", 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.table) + " " + std::to_string(c.part));
        shell.state.FatalClose = false;
        shell.fatalTexts.clear();
        const std::string before = DumpBudget(budget, TDumpScope::WithoutJournal);
        const int nTrans = Prepare(7, "Bike", {86, 84, "new", "Car", "old car"});
        DropPart(c.table, nTrans, c.part);

        EXPECT_EQ(ApplyTransaction(nTrans), -1);
        EXPECT_EQ(shell.fatalTexts,
                  std::vector<std::string>{"FATAL : Incorrect identifier of transaction"});
        EXPECT_EQ(StatusOf(nTrans), "ACT");
        EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), before);
    }
}

TEST_F(Rename, AnObjectThatVanishedIsFatalToTheApplyAndFailsTheUndoUnreported) {
    const int nTrans = Prepare(99, "Bike", {86, 84, "new", "Car", "old car"});
    const std::string before = DumpBudget(budget, TDumpScope::WithoutJournal);
    EXPECT_EQ(ApplyTransaction(nTrans), -3);
    EXPECT_EQ(shell.fatalTexts, std::vector<std::string>{
                                    "FATAL ERROR: The object with such identifier is not found"});
    EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), before);

    shell.fatalTexts.clear();
    EXPECT_EQ(Undo(nTrans, 99), -1);
    EXPECT_TRUE(shell.fatalTexts.empty());
    EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), before);
}

TEST_F(Rename, TheUndoTakesAMissingOldTextAsEmptyAndKeepsTheIconWithoutAnOldOne) {
    const struct {
        const char* table;
        int part;
        std::vector<TFieldValue> undone;  // Image, Name, Descript, Expanded, IDParent
    } cases[] = {
        {"jTrText", 3, {84, "Car", "", "Y", 3}},
        {"jTrText", 2, {84, "", "old car", "Y", 3}},
        {"jTrInteger", 2, {86, "Car", "old car", "Y", 3}},  // the icon stays as renamed
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.table) + " " + std::to_string(c.part));
        const int nTrans = Prepare(7, "Bike", {86, 84, "new", "Car", "old car"});
        ASSERT_EQ(ApplyTransaction(nTrans), 7);
        DropPart(c.table, nTrans, c.part);
        EXPECT_EQ(Undo(nTrans, 7), 0);
        EXPECT_EQ(Object(7), c.undone);
        EXPECT_EQ(Object(8), (std::vector<TFieldValue>{16, "Rent", "flat", "N", 3}));
    }
    EXPECT_TRUE(shell.fatalTexts.empty());
}

// The comparison itself: it sees a changed value and a changed file, and leaves out the journal
// only when asked.
TEST_F(Rename, TheBudgetDumpSeesEveryValueAndFileButNotTheJournalWhenLeftOut) {
    const std::string before = DumpBudget(budget);
    const std::string objects = DumpBudget(budget, TDumpScope::WithoutJournal);
    EXPECT_EQ(DumpBudget(budget), before);
    EXPECT_NE(before.find("'Car'"), std::string::npos);

    Prepare(8, "Rent", {16, 16, "flat", "Rent", "flat"});
    EXPECT_NE(DumpBudget(budget), before);
    EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), objects);

    std::filesystem::create_directories(budget + "/Files/DIR8");
    std::ofstream(budget + "/Files/DIR8/a.txt") << "a";
    const std::string withFile = DumpBudget(budget, TDumpScope::WithoutJournal);
    EXPECT_NE(withFile, objects);
    std::ofstream(budget + "/Files/DIR8/a.txt") << "b";
    EXPECT_NE(DumpBudget(budget, TDumpScope::WithoutJournal), withFile);

    {
        TBudgetTable row("Objects", true, Where("ID") == 8);
        row.Edit();
        row.FieldByName("Expanded").SetAsString("Y");
        row.Post();
    }
    const std::string expanded = DumpBudget(budget, TDumpScope::WithoutJournal);
    EXPECT_NE(expanded, DumpBudget(budget, TDumpScope::Everything));
    std::filesystem::remove_all(budget + "/Files/DIR8");
    EXPECT_NE(DumpBudget(budget, TDumpScope::WithoutJournal), objects);  // Expanded differs
}
