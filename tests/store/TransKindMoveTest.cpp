// Moving an object through the journal: the "MOVE" applier, its undo and its redo on a real
// budget, with parts missing and the object gone.
#include <string>
#include <tuple>
#include <vector>

#include "KindFixture.h"
#include "common/BudgetDump.h"
#include "store/TransKindObject.h"

namespace {

// Two folders under the root (3 "Home", 4 "Garage") and a folder 7 "Car" in Home with a table
// 8 "Fuel" inside it.
class Move : public KindFixture<TMoveKind> {
protected:
    Move() {
        for (const auto& [id, parent, type, name] :
             {std::tuple{3, 0, 10, "Home"}, std::tuple{4, 0, 10, "Garage"},
              std::tuple{7, 3, 10, "Car"}, std::tuple{8, 7, 20, "Fuel"}})
            AddRow("Objects", {{"ID", id},
                               {"IDParent", parent},
                               {"Type", type},
                               {"Image", 80},
                               {"Expanded", "N"},
                               {"Name", name},
                               {"Descript", ""}});
    }

    // A "MOVE" of Car from Home to Garage, ready to apply.
    static int Prepare() {
        TTransWriter writer("MOVE", 7, 10, "Car");
        TMoveParts parts{4, 3, "Garage", "Home"};
        WriteParts(writer, parts);
        return writer.Ready();
    }
    // The undo step, or the redo (the Apply again), of the move of object `id`.
    static std::optional<int> Run(int nTrans, int id, bool undo) {
        return RunStep({nTrans, "MOVE", id, 10, "Car"}, undo);
    }
    static int ParentOf(int id) {
        return Column("Objects", "IDParent", Where("ID") == id).at(0).Integer();
    }
};

}  // namespace

// The object takes its new parent and its content goes with it without a write of its own;
// undo and redo take it back and forth.
TEST_F(Move, ApplyUndoAndRedoMoveTheObjectAndItsContent) {
    const std::string before = DumpBudget(budget, TDumpScope::WithoutJournal);
    const int nTrans = Prepare();
    EXPECT_EQ(ApplyTransaction(nTrans), 7);
    EXPECT_EQ(ParentOf(7), 4);
    EXPECT_EQ(ParentOf(8), 7);
    const std::string applied = DumpBudget(budget, TDumpScope::WithoutJournal);

    EXPECT_EQ(Run(nTrans, 7, true), 7);
    EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), before);
    EXPECT_EQ(Run(nTrans, 7, false), 7);
    EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), applied);
    EXPECT_EQ(Run(nTrans, 7, true), 7);
    EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), before);
    EXPECT_TRUE(shell.fatalTexts.empty());
}

// Every part is read before anything is written: a missing one is fatal -1 and the tree stays.
TEST_F(Move, AMissingPartIsFatalBeforeAnythingIsWritten) {
    const struct {
        const char* table;
        int part;
    } cases[] = {{"jTrInteger", 1}, {"jTrInteger", 2}, {"jTrText", 1}, {"jTrText", 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.table) + " " + std::to_string(c.part));
        shell.state.FatalClose = false;
        shell.fatalTexts.clear();
        const std::string before = DumpBudget(budget, TDumpScope::WithoutJournal);
        const int nTrans = Prepare();
        DropPart(c.table, nTrans, c.part);
        EXPECT_EQ(ApplyTransaction(nTrans), -1);
        EXPECT_EQ(shell.fatalTexts,
                  std::vector<std::string>{"FATAL : Incorrect identifier of transaction"});
        EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), before);
    }
}

// The undo's own failures: the old parent missing (-1) and the object gone (-3), both fatal.
TEST_F(Move, TheUndoReportsAMissingOldParentAndAVanishedObject) {
    const int nTrans = Prepare();
    ASSERT_EQ(ApplyTransaction(nTrans), 7);
    DropPart("jTrInteger", nTrans, 2);
    EXPECT_EQ(Run(nTrans, 7, true), -1);
    EXPECT_EQ(ParentOf(7), 4);

    shell.fatalTexts.clear();
    shell.state.FatalClose = false;
    const int again = Prepare();
    ASSERT_GT(again, 0);
    EXPECT_EQ(Run(again, 99, true), -3);
    EXPECT_EQ(Run(again, 99, false), -3);
    EXPECT_EQ(
        shell.fatalTexts,
        std::vector<std::string>(2, "FATAL ERROR: The object with such identifier is not found"));
}
