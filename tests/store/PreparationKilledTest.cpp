// Changes killed at each step of their way through the journal, with an older change applied:
// the next opening settles the row the kill left, taking back what its preparation did, so that
// rows and files agree, no picture or staged file is lost and the older change can be undone
// and redone.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/BudgetDump.h"
#include "common/ChildProcess.h"
#include "common/JournalSteps.h"
#include "common/OpenBudget.h"
#include "content/U_frimages_album.h"
#include "content/U_frtable_change.h"
#include "shell/JournalKinds.h"
#include "store/TransBlockRows.h"
#include "store/TransKindObject.h"
#include "tree/U_fdelobject_snapshots.h"

namespace fs = std::filesystem;

namespace {

constexpr int kTable = 7, kFolder = 8, kAlbum = 30, kCollection = 40;

void Write(const fs::path& path, const std::string& content) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

void AddObject(int id, int type, const char* name) {
    AddRow(tbl::Objects, {{fld::ID, id},
                          {fld::IDParent, 0},
                          {fld::Type, type},
                          {fld::Image, 16},
                          {fld::Name, name},
                          {fld::Descript, ""},
                          {fld::Expanded, "N"}});
}

// A table, a folder, an album of four pictures with two pictures staged for an edit, and a
// collection with a file in a sub-folder; then the older change: the table's rows replaced.
// Its number.
int MakeBudgetWithAnOlderChange(const std::string& budget) {
    AddObject(kTable, otTable, "Table");
    AddObject(kFolder, otFolder, "Folder");
    AddObject(kAlbum, otImages, "Album");
    AddObject(kCollection, otFiles, "Collection");
    AddRow(tbl::Tables, {{fld::ID, kTable}, {fld::NRow, 1}, {fld::NameRow, "a"}});
    const std::string album = AlbumFolder(budget, kAlbum);
    for (int k = 1; k <= 4; ++k) {
        const std::string name = "p" + std::to_string(k) + ".jpg";
        Write(fs::path(album) / name, "picture " + name);
        Write(fs::path(album) / "mini" / ThumbnailName(name), "thumbnail " + name);
        AddRow(tbl::Images, {{fld::ID, kAlbum}, {fld::Number, k}, {fld::FileName, name}});
    }
    for (const char* name : {"s1.jpg", "s2.jpg"}) {
        Write(fs::path(StagingFolder(album)) / name, std::string("staged ") + name);
        Write(fs::path(StagedMiniFolder(album)) / ThumbnailName(name), "thumbnail");
    }
    const std::string collection = CollectionFolder(budget, kCollection);
    Write(fs::path(collection) / "a.txt", "letter");
    Write(fs::path(collection) / "sub/b.txt", "another");
    EXPECT_EQ(JournalTableChange(kTable, "Table", {{"b", "2"}, {"c", "3"}}), kTable);
    return NewestTrans();
}

// The changes, each prepared and applied as the program does it.
void RenameFolder() {
    TTransWriter writer(kActRename, kFolder, otFolder, "Renamed");
    TRenameParts parts{16, 16, "", "Folder", ""};
    WriteParts(writer, parts);
    writer.Apply();
}

void ChangeAlbum() {
    int lastShown = 0;
    TPictureList pictures = LoadAlbum(kAlbum, lastShown);
    const std::string album = AlbumFolder(kAlbum);
    RemovePicture(pictures, 3, album);
    RemovePicture(pictures, 1, album);
    InsertPictures(pictures, 1, {{"s1.jpg", "one"}, {"s2.jpg", "two"}});
    std::string error;
    JournalImagesChange(kAlbum, "Album", pictures, error);
}

void DeleteCollection() {
    if (const std::unique_ptr<TTransWriter> writer = WriteDelTransaction(kCollection))
        writer->Apply();
}

// Where the process is killed: at the journal view's refresh of that number, 0 after the change.
enum TMoment {
    AfterAll = 0,
    BeforeReadyCommit = 1,     // the preparation's parts and files in place, not committed
    ReadyBeforeActCommit = 2,  // the row ready (and its files moved), "ACT" not committed
    ActBeforeApplyCommit = 3,  // "ACT" committed, the application's writes done, not committed
};

}  // namespace

// Mend: a kill left a "READY" row of any kind, or an "ACT" row of the album change, for good,
// and undo and redo refused every older change (MarkUndo -1). Now the opening takes back what
// the preparation did (the album change's staged pictures go back to the staging folders, the
// links to its removed pictures go) and settles the row: a kind whose preparation is whole for
// a redo leaves it undone when it is the newest, the album change's goes.
TEST(PreparationKilled, LeavesRowsAndFilesAgreeingAndTheOlderChangeUndoable) {
    RegisterJournalKinds();
    const struct {
        const char* what;
        void (*change)();
        const char* settled;  // the row's status after the opening when not applied
    } changes[] = {
        {"a renaming", RenameFolder, "BACK"},
        {"a collection's deletion", DeleteCollection, "BACK"},
        {"an album's change", ChangeAlbum, "(gone)"},
    };
    const struct {
        TMoment moment;
        bool oneStagedMoveUndone;  // as if the kill came between the album's two staged moves
    } moments[] = {{BeforeReadyCommit, false},
                   {ReadyBeforeActCommit, false},
                   {ReadyBeforeActCommit, true},
                   {ActBeforeApplyCommit, false},
                   {AfterAll, false}};
    for (const auto& c : changes) {
        for (const auto& m : moments) {
            if (m.oneStagedMoveUndone && c.change != ChangeAlbum) continue;
            SCOPED_TRACE(std::string(c.what) + ", moment " + std::to_string(m.moment) +
                         (m.oneStagedMoveUndone ? " (one move undone)" : ""));
            TestFolders folders;
            const std::string budget = folders.MakeBudget();
            int older = 0;
            std::string before, olderUndone;
            {
                FakeShellServices shell(folders.UsersDataPath());
                TDM dm;
                OpenBudgetIn(shell, dm, folders, budget);
                older = MakeBudgetWithAnOlderChange(budget);
                before = DumpBudget(budget, TDumpScope::WithoutJournal);
                DM = nullptr;
            }
            const int nTrans = older + 1;
            KillDuring(
                [&](int ready) {
                    FakeShellServices shell(folders.UsersDataPath());
                    TDM dm;
                    OpenBudgetIn(shell, dm, folders, budget);
                    PauseAtDataChange(dm.TablejTrans, m.moment, ready);
                    c.change();
                    Ready(ready);
                    pause();
                },
                std::chrono::milliseconds(20));
            if (m.oneStagedMoveUndone) {
                const fs::path album = AlbumFolder(budget, kAlbum);
                fs::rename(TransFolder(budget, nTrans) + "/in/s2.jpg",
                           fs::path(StagingFolder(album.string())) / "s2.jpg");
            }

            EXPECT_EQ(IntegrityOf(budget), "ok");
            FakeShellServices shell(folders.UsersDataPath());
            TDM dm;
            OpenBudgetIn(shell, dm, folders, budget);
            const bool applied = m.moment == AfterAll;
            std::vector<std::string> statuses;
            for (const TFieldValue& status : Column(tbl::jTrans, fld::Status, {}, ""))
                statuses.push_back(status.Text());
            std::vector<std::string> expected{"APPLY"};
            if (applied)
                expected.push_back("APPLY");
            else if (m.moment != BeforeReadyCommit && std::string(c.settled) != "(gone)")
                expected.push_back(c.settled);
            EXPECT_EQ(statuses, expected);
            if (!applied) {
                EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), before);
                // A row that went took its folder; a kill before the row was committed may
                // leave one of copies and links only (the staged pictures moved after it).
                if (statuses.size() == 1 && m.moment != BeforeReadyCommit) {
                    EXPECT_FALSE(fs::exists(TransFolder(budget, nTrans)));
                }
            }
            for (const TFieldValue& name : Column(tbl::Images, fld::FileName)) {
                EXPECT_TRUE(fs::exists(fs::path(AlbumFolder(kAlbum)) / name.Text()))
                    << name.Text();
            }

            // The older change undoes and redoes (with the killed change when it is in force).
            const bool stop = false;
            EXPECT_EQ(MarkUndo(older), applied ? 2 : 1);
            EXPECT_TRUE(RunToEnd(RunUndo(stop)));
            EXPECT_EQ(Column(tbl::Tables, fld::NameRow), std::vector<TFieldValue>{"a"});
            EXPECT_EQ(MarkRedo(older), 1);
            EXPECT_TRUE(RunToEnd(RunRedo(stop)));
            EXPECT_EQ(Column(tbl::Tables, fld::NameRow), (std::vector<TFieldValue>{"b", "c"}));
            if (!applied) {
                EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), before);
            }
            // A change left undone is carried out by its redo as it would have been.
            if (expected.back() == "BACK") {
                EXPECT_TRUE(RedoTrans(nTrans));
            }
            EXPECT_TRUE(shell.fatalTexts.empty());
            EXPECT_TRUE(shell.fatalErrors.empty());
            DM = nullptr;
        }
    }
}
