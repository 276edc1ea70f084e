// Undo and redo of object operations through the runs: random sequences of creations, renamings,
// moves and deletions applied through the journal, then random undo and redo ranges (and new
// changes that end the redo history), the budget compared after every run with the budget as it
// stood right after the last transaction left in force; a deletion whose saved files vanished.
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "KindFixture.h"
#include "common/BudgetDump.h"
#include "store/TransKindObject.h"
#include "store/Utransactions_undo.h"

namespace {

using ObjectKinds =
    KindFixture<TAddKind<TFolderContent>, TDeleteKind<TFolderContent>, TAddKind<TTableContent>,
                TDeleteKind<TTableContent>, TAddKind<TImagesContent>, TDeleteKind<TImagesContent>,
                TAddKind<TFilesContent>, TDeleteKind<TFilesContent>, TAddKind<TNumberContent>,
                TDeleteKind<TNumberContent>, TRenameKind, TMoveKind>;

// An object of the budget as the random operations choose among them.
struct TObjectRow {
    int ID = 0, IDParent = 0, Type = 0, Image = 0;
    std::string Name, Descript;
};

class UndoRedoObjects : public ObjectKinds {
protected:
    // The folders, tables, file collections and numbers of the budget (not its calendar and
    // journal nodes).
    static std::vector<TObjectRow> Objects() {
        std::vector<TObjectRow> rows;
        for (TBudgetTable objects("Objects"); !objects.Eof(); objects.Next()) {
            const int type = objects.FieldByName("Type").AsInteger();
            if (type != otFolder && type != otTable && type != otFiles && type != otNumber)
                continue;
            rows.push_back({objects.FieldByName("ID").AsInteger(),
                            objects.FieldByName("IDParent").AsInteger(), type,
                            objects.FieldByName("Image").AsInteger(),
                            objects.FieldByName("Name").AsString(),
                            objects.FieldByName("Descript").AsString()});
        }
        return rows;
    }

    template <class Content>
    static int Apply(const char* act, int id, const std::string& name,
                     TObjectParts<Content> parts) {
        TTransWriter writer(act, id, Content::kType, name);
        WriteParts(writer, parts);
        if (Content::kType == otFiles) writer.MakeFolder();
        return writer.Apply();
    }

    // One random change of the budget through the journal; its result (above 0 when applied).
    int RandomChange(int serial) {
        const std::vector<TObjectRow> objects = Objects();
        std::vector<int> folders{0};
        for (const TObjectRow& object : objects)
            if (object.Type == otFolder) folders.push_back(object.ID);
        const auto pick = [&](const auto& from) { return from[Random(from.size())]; };
        const std::string name = "N" + std::to_string(serial);

        switch (objects.empty() ? 0 : Random(4)) {
            case 0: {  // a creation
                const int parent = pick(folders);
                switch (Random(4)) {
                    case 0:
                        return Apply<TFolderContent>("ADD", -1, name, {parent, 80, "f", {}});
                    case 1:  // a new table has no rows; only its content changes add them
                        return Apply<TTableContent>("ADD", -1, name, {parent, 21, "t", {}});
                    case 2:
                        return Apply<TFilesContent>("ADD", -1, name, {parent, 41, "c", {}});
                    default:
                        return Apply<TNumberContent>("ADD", -1, name, {parent, 51, "n", {}});
                }
            }
            case 1: {  // a renaming
                const TObjectRow object = pick(objects);
                TTransWriter writer("REN", object.ID, object.Type, name);
                TRenameParts parts{object.Image + 2, object.Image, name + " notes", object.Name,
                                   object.Descript};
                WriteParts(writer, parts);
                return writer.Apply();
            }
            case 2: {  // a move into a folder that is not the object or below it
                const TObjectRow object = pick(objects);
                std::vector<int> targets;
                for (const int folder : folders)
                    if (!IsWithin(objects, folder, object.ID)) targets.push_back(folder);
                TTransWriter writer("MOVE", object.ID, object.Type, object.Name);
                TMoveParts parts{pick(targets), object.IDParent, "to", "from"};
                WriteParts(writer, parts);
                return writer.Apply();
            }
            default: {  // a deletion of an object without children, with its snapshot
                std::vector<TObjectRow> leaves;
                for (const TObjectRow& object : objects)
                    if (std::none_of(objects.begin(), objects.end(),
                                     [&](const TObjectRow& o) { return o.IDParent == object.ID; }))
                        leaves.push_back(object);
                const TObjectRow object = pick(leaves);
                switch (object.Type) {
                    case otFolder:
                        return Apply<TFolderContent>(
                            "DEL", object.ID, object.Name,
                            {object.IDParent, object.Image, object.Descript, {}});
                    case otTable: {
                        TTableContent rows;
                        for (TBudgetTable table("Tables", false, Where("ID") == object.ID);
                             !table.Eof(); table.Next())
                            rows.Rows.push_back({table.FieldByName("NameRow").AsString(),
                                                 table.FieldByName("ValueRow").AsString()});
                        return Apply<TTableContent>(
                            "DEL", object.ID, object.Name,
                            {object.IDParent, object.Image, object.Descript, rows});
                    }
                    case otFiles:
                        return Apply<TFilesContent>(
                            "DEL", object.ID, object.Name,
                            {object.IDParent, object.Image, object.Descript, {}});
                    default:
                        return Apply<TNumberContent>(
                            "DEL", object.ID, object.Name,
                            {object.IDParent, object.Image, object.Descript, {}});
                }
            }
        }
    }

    // True when the folder is the object or lies below it.
    static bool IsWithin(const std::vector<TObjectRow>& objects, int folder, int object) {
        while (folder != 0) {
            if (folder == object) return true;
            const auto row = std::find_if(objects.begin(), objects.end(),
                                          [&](const TObjectRow& o) { return o.ID == folder; });
            folder = row->IDParent;
        }
        return false;
    }

    std::size_t Random(std::size_t count) {
        return std::uniform_int_distribution<std::size_t>(0, count - 1)(random_);
    }
    int RandomIn(int first, int last) {
        return std::uniform_int_distribution<int>(first, last)(random_);
    }
    void Seed(unsigned seed) { random_.seed(seed); }

    std::string Dump() const { return DumpBudget(budget, TDumpScope::WithoutJournal); }

    static int Finish(TJournalRun run) {
        while (run.Step()) {
        }
        return run.Result();
    }

private:
    std::mt19937 random_;
};

}  // namespace

// The state after undoing down to transaction N is the state right after N-1 was applied; after
// redoing up to N it is the state right after N was applied.
TEST_F(UndoRedoObjects, RandomUndoAndRedoRangesGiveBackTheBudgetAsItStoodAfterEachTransaction) {
    for (const unsigned seed : {1u, 2u, 3u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Seed(seed);
        // dumps[n]: the budget right after the n-th transaction of the seed was applied (0:
        // before the first); nTrans[n] its NTrans.
        std::vector<std::string> dumps{Dump()};
        std::vector<int> nTrans{0};
        int serial = 0;
        const auto change = [&] {
            nTrans.push_back(NextTransNumber());
            ASSERT_GT(RandomChange(++serial), 0);
            dumps.push_back(Dump());
        };
        for (int i = 0; i < 15; ++i) change();

        int applied = static_cast<int>(dumps.size()) - 1;  // transactions in force
        bool stop = false;
        for (int round = 0; round < 12; ++round) {
            const int total = static_cast<int>(dumps.size()) - 1;
            const int action = applied == 0 ? 1 : applied == total ? 0 : RandomIn(0, 2);
            if (action == 0) {  // undo down to n
                const int n = RandomIn(1, applied);
                ASSERT_EQ(MarkUndo(nTrans[n]), applied - n + 1);
                ASSERT_EQ(Finish(RunUndo(stop)), applied - n + 1);
                applied = n - 1;
            } else if (action == 1) {  // redo up to n
                const int n = RandomIn(applied + 1, total);
                ASSERT_EQ(MarkRedo(nTrans[n]), n - applied);
                ASSERT_EQ(Finish(RunRedo(stop)), n - applied);
                applied = n;
            } else {  // a new change ends the redo history
                dumps.resize(applied + 1);
                nTrans.resize(applied + 1);
                change();
                ++applied;
            }
            ASSERT_EQ(Dump(), dumps[applied]) << "round " << round << ", in force " << applied;
        }
    }
}

// A deleted album or collection whose transaction folder has vanished would come back without
// its pictures or files: its undo fails instead, the run stops at it and the program goes on.
TEST_F(UndoRedoObjects, TheUndoOfADeletionWhoseSavedFilesVanishedFailsAndRestoresNothing) {
    const struct {
        const char* what;
        int type;
        std::function<int(int id)> remove;  // the deletion, its files saved; its NTrans
    } cases[] = {
        {"a collection", otFiles,
         [](int id) {
             TTransWriter writer("DEL", id, otFiles, "Papers");
             TObjectParts<TFilesContent> parts{0, 41, "", {1}};
             WriteParts(writer, parts);
             std::ofstream(CollectionFolder(id) + "/bill.txt") << "bill";
             std::ofstream(writer.MakeFolder() + "/bill.txt") << "bill";
             const int nTrans = writer.NTrans();
             return writer.Apply() > 0 ? nTrans : 0;
         }},
        {"an album", otImages,
         [](int id) {
             AddRow("Images", {{"ID", id}, {"Number", 1}, {"FileName", "a.jpg"}});
             TTransWriter writer("DEL", id, otImages, "Trip");
             TObjectParts<TImagesContent> parts{0, 31, "", {{{"a.jpg", ""}}}};
             WriteParts(writer, parts);
             std::ofstream(writer.MakeFolder() + "/a.jpg") << "jpg";
             const int nTrans = writer.NTrans();
             return writer.Apply() > 0 ? nTrans : 0;
         }},
    };
    const bool stop = false;
    int id = 40;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ++id;
        AddRow("Objects", {{"ID", id}, {"IDParent", 0}, {"Type", c.type}, {"Name", c.what}});
        const std::string folder = c.type == otFiles ? CollectionFolder(id) : AlbumFolder(id);
        std::filesystem::create_directories(folder);
        const int nTrans = c.remove(id);
        ASSERT_GT(nTrans, 0);
        const std::string before = Dump();
        std::filesystem::remove_all(TransFolder(nTrans));

        ASSERT_EQ(MarkUndo(nTrans), 1);
        EXPECT_EQ(Finish(RunUndo(stop)), -nTrans);
        EXPECT_EQ(CancelUndoMarks(nTrans), 1);
        EXPECT_EQ(Dump(), before);
        EXPECT_TRUE(shell.fatalTexts.empty());
    }
}
