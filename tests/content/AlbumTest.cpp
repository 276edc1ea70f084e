// The image album: the edit list's operations, the album's transaction with its files (applied,
// undone and redone against a canonical dump with the files' hashes, a failed move taken back),
// and the frame with its dialogs through their widgets.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "ContentFixture.h"
#include "common/BudgetDump.h"
#include "common/ChildProcess.h"
#include "common/FailingKind.h"
#include "common/JournalSteps.h"
#include "common/PictureFile.h"
#include "common/SmallDisk.h"
#include "common/RecordedUrls.h"
#include "common/RowButtons.h"
#include "common/ScopedMessageDlg.h"
#include "common/TextsFit.h"
#include "content/U_fchangeimagedescr.h"
#include "content/U_floadimage.h"
#include "content/U_frimages.h"
#include "content/U_frimages_album.h"
#include "content/Uq519graphics.h"
#include "platform/Database.h"
#include "platform/Text.h"
#include "reports/U_freport.h"
#include "shell/FrameWidgets.h"
#include "store/TransKind.h"
#include "store/TransKindContent.h"
#include "store/Utransactions.h"

namespace fs = std::filesystem;

namespace {

std::string Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class Album : public ContentBudget {
protected:
    // The album's folders as the journal makes them with the album.
    Album() : album(AlbumFolder(kAlbum)) {
        fs::create_directories(StagingFolder(album));
        fs::create_directories(StagedMiniFolder(album));
    }

    // Stored pictures "p1.jpg" ... with their thumbnails and rows, "c" on `current`.
    void AddPictures(int count, int current = 0) {
        for (int k = 1; k <= count; ++k)
            AddPicture("p" + std::to_string(k) + ".jpg", k, k == current);
    }
    void AddPicture(const std::string& name, int number, bool current = false,
                    QColor colour = Qt::green) {
        WritePicture(fs::path(album) / name, colour);
        ASSERT_EQ(MakeThumbnail(album + "/" + name, album + "/mini", 117, nullptr, 88),
                  kPictureLoaded);
        AddRow(tbl::Images, {{fld::ID, kAlbum},
                             {fld::Number, number},
                             {fld::FileName, name},
                             {fld::Descript, "about " + name},
                             {fld::Current, current ? "c" : ""}});
    }
    // A picture added in the edit: staged with its thumbnail.
    ImageInform Stage(const std::string& name, QColor colour = Qt::red) {
        fs::create_directories(StagingFolder(album));
        WritePicture(fs::path(StagingFolder(album)) / name, colour);
        EXPECT_EQ(MakeThumbnail(StagingFolder(album) + "/" + name, StagedMiniFolder(album), 117,
                                nullptr, 88),
                  kPictureLoaded);
        return {name, "new " + name, 0, 'i'};
    }
    static std::vector<std::string> Live(const TPictureList& pictures) {
        std::vector<std::string> names;
        for (const ImageInform& picture : pictures)
            names.push_back(picture.FileName + ":" + std::to_string(picture.Number) +
                            picture.Status);
        return names;
    }
    std::set<std::string> FilesIn(const std::string& folder) const {
        std::set<std::string> names;
        std::error_code error;
        for (fs::directory_iterator it(folder, error); !error && it != fs::directory_iterator();
             it.increment(error))
            if (!it->is_directory()) names.insert(it->path().filename().string());
        return names;
    }
    std::string TransFolder(int n) const { return budget + "/jTrFiles/" + std::to_string(n); }

    const std::string album;
};

// ---- The edit list ---------------------------------------------------------------------------

TEST_F(Album, TheEditListKeepsItsNumbersWithoutGaps) {
    AddPictures(4);
    int lastShown = -1;
    struct Case {
        const char* Name;
        std::function<void(TPictureList&)> Edit;
        std::vector<std::string> After;
    };
    const Case cases[] = {
        {"delete stored 2 of 4",
         [&](TPictureList& p) { EXPECT_TRUE(RemovePicture(p, 2, album)); },
         {"p2.jpg:-1d", "p1.jpg:1l", "p3.jpg:2l", "p4.jpg:3l"}},
        {"add two and delete the second",
         [&](TPictureList& p) {
             InsertPictures(p, 5, {Stage("x.jpg"), Stage("y.jpg")});
             EXPECT_TRUE(RemovePicture(p, 6, album));
             EXPECT_FALSE(fs::exists(StagingFolder(album) + "/y.jpg"));
             EXPECT_FALSE(fs::exists(StagedMiniFolder(album) + "/y.bmp"));
             EXPECT_TRUE(fs::exists(StagingFolder(album) + "/x.jpg"));
         },
         {"p1.jpg:1l", "p2.jpg:2l", "p3.jpg:3l", "p4.jpg:4l", "x.jpg:5i"}},
        {"insert one at 2",
         [&](TPictureList& p) { InsertPictures(p, 2, {Stage("x.jpg")}); },
         {"p1.jpg:1l", "x.jpg:2i", "p2.jpg:3l", "p3.jpg:4l", "p4.jpg:5l"}},
        {"move the first up and the last down",
         [](TPictureList& p) {
             EXPECT_FALSE(MovePicture(p, 1, -1));
             EXPECT_FALSE(MovePicture(p, 4, +1));
             EXPECT_FALSE(RemovePicture(p, 5, ""));
         },
         {"p1.jpg:1l", "p2.jpg:2l", "p3.jpg:3l", "p4.jpg:4l"}},
        {"move 3 up",
         [](TPictureList& p) { EXPECT_TRUE(MovePicture(p, 3, -1)); },
         {"p1.jpg:1l", "p3.jpg:2l", "p2.jpg:3l", "p4.jpg:4l"}},
        {"clear with one added",
         [&](TPictureList& p) {
             InsertPictures(p, 1, {Stage("x.jpg")});
             ClearPictures(p, album);
             EXPECT_FALSE(fs::exists(StagingFolder(album) + "/x.jpg"));
         },
         {"p1.jpg:-1d", "p2.jpg:-1d", "p3.jpg:-1d", "p4.jpg:-1d"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TPictureList pictures = LoadAlbum(kAlbum, lastShown);
        c.Edit(pictures);
        EXPECT_EQ(Live(pictures), c.After);
        DeleteStagedFiles(album);
    }
}

TEST_F(Album, LoadingNumbersByPlaceAndFindsTheMark) {
    AddPicture("a.jpg", 3);
    AddPicture("b.jpg", 7, true);  // stored numbers with gaps
    int lastShown = 0;
    const TPictureList pictures = LoadAlbum(kAlbum, lastShown);
    EXPECT_EQ(Live(pictures), (std::vector<std::string>{"a.jpg:1l", "b.jpg:2l"}));
    EXPECT_EQ(lastShown, 2);
    MarkShownPicture(kAlbum, 1);
    LoadAlbum(kAlbum, lastShown);
    EXPECT_EQ(lastShown, 1);
    EXPECT_EQ(CountRows(tbl::Images, Where(fld::Current) == "c"), 1);
}

// ---- The transaction -------------------------------------------------------------------------

TEST_F(Album, RemovingAllFiveMovesThemOutAndTheUndoBringsThemBack) {
    AddPictures(5);
    const std::string before = DumpBudget(budget, TDumpScope::WithoutJournal);
    int lastShown = 0;
    TPictureList pictures = LoadAlbum(kAlbum, lastShown);
    ClearPictures(pictures, album);
    std::string error;
    ASSERT_GT(JournalImagesChange(kAlbum, "Holidays", pictures, error), 0);
    EXPECT_EQ(error, "");
    const int n = NewestTrans();
    const std::optional<TImagesChangeParts> parts = ReadParts<TImagesChangeParts>(n);
    ASSERT_TRUE(parts);
    EXPECT_TRUE(parts->NewPictures.empty());
    EXPECT_EQ(parts->OldPictures.size(), 5u);
    EXPECT_EQ(parts->OldPictures[4], (TImageBlock{"p5.jpg", "about p5.jpg"}));
    EXPECT_TRUE(FilesIn(TransFolder(n) + "/in").empty());
    EXPECT_EQ(FilesIn(TransFolder(n) + "/out").size(), 5u);
    EXPECT_EQ(FilesIn(TransFolder(n) + "/out/mini").size(), 5u);
    EXPECT_TRUE(FilesIn(album).empty());
    EXPECT_EQ(CountRows(tbl::Images, Where(fld::ID) == kAlbum), 0);
    ASSERT_TRUE(UndoTrans(n));
    EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), before);
}

TEST_F(Album, MovingAndRedescribingMoveNoFile) {
    AddPictures(4);
    int lastShown = 0;
    TPictureList pictures = LoadAlbum(kAlbum, lastShown);
    ASSERT_TRUE(MovePicture(pictures, 3, -1));
    pictures[0].Descript = "changed";
    std::string error;
    ASSERT_GT(JournalImagesChange(kAlbum, "Holidays", pictures, error), 0);
    const int n = NewestTrans();
    const std::optional<TImagesChangeParts> parts = ReadParts<TImagesChangeParts>(n);
    ASSERT_TRUE(parts);
    std::vector<std::string> names;
    for (const TImageBlock& block : parts->NewPictures) names.push_back(block.FileName);
    EXPECT_EQ(names, (std::vector<std::string>{"p1.jpg", "p3.jpg", "p2.jpg", "p4.jpg"}));
    EXPECT_EQ(parts->NewPictures[0].Descript, "changed");
    EXPECT_EQ(parts->OldPictures.size(), 4u);
    for (const char* sub : {"/in", "/in/mini", "/out", "/out/mini"})
        EXPECT_TRUE(FilesIn(TransFolder(n) + sub).empty()) << sub;
    EXPECT_EQ(FilesIn(album).size(), 4u);
}

// "Remove x.jpg, add a new x.jpg": the old one goes out before the new one comes in, and undo
// and redo give each side its own picture.
TEST_F(Album, RemovingAndAddingTheSameNameKeepsBothSides) {
    AddPicture("x.jpg", 1, false, Qt::green);
    AddPicture("y.jpg", 2);
    const std::string before = DumpBudget(budget, TDumpScope::WithoutJournal);
    const std::string oldX = Bytes(fs::path(album) / "x.jpg");
    int lastShown = 0;
    TPictureList pictures = LoadAlbum(kAlbum, lastShown);
    ASSERT_TRUE(RemovePicture(pictures, 1, album));
    InsertPictures(pictures, 2, {Stage("x.jpg", Qt::red)});
    const std::string newX = Bytes(fs::path(StagingFolder(album)) / "x.jpg");
    ASSERT_NE(oldX, newX);
    std::string error;
    ASSERT_GT(JournalImagesChange(kAlbum, "Holidays", pictures, error), 0);
    const int n = NewestTrans();
    EXPECT_EQ(Bytes(fs::path(TransFolder(n)) / "out/x.jpg"), oldX);
    EXPECT_EQ(Bytes(fs::path(TransFolder(n)) / "in/x.jpg"), newX);
    EXPECT_EQ(Bytes(fs::path(album) / "x.jpg"), newX);
    EXPECT_TRUE(fs::exists(album + "/mini/x.bmp"));
    const std::string after = DumpBudget(budget, TDumpScope::WithoutJournal);
    ASSERT_TRUE(UndoTrans(n));
    EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), before);
    EXPECT_EQ(Bytes(fs::path(album) / "x.jpg"), oldX);
    ASSERT_TRUE(RedoTrans(n));
    EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), after);
    EXPECT_EQ(Bytes(fs::path(album) / "x.jpg"), newX);
}

TEST_F(Album, AFailedMoveTakesTheMovesBackAndAppliesNothing) {
    AddPictures(2);
    const std::string before = DumpBudget(budget, TDumpScope::Everything);
    int lastShown = 0;
    TPictureList pictures = LoadAlbum(kAlbum, lastShown);
    ASSERT_TRUE(RemovePicture(pictures, 1, album));
    InsertPictures(pictures, 2, {Stage("a.jpg"), Stage("b.jpg")});
    fs::remove(StagingFolder(album) + "/b.jpg");  // gone behind the frame's back
    std::string error;
    EXPECT_EQ(JournalImagesChange(kAlbum, "Holidays", pictures, error), 0);
    EXPECT_NE(error.find("b.jpg"), std::string::npos) << error;
    EXPECT_NE(error.find(std::strerror(ENOENT)), std::string::npos)
        << error;  // in the locale's words
    EXPECT_EQ(NewestTrans(), 0);
    EXPECT_TRUE(shell.fatalTexts.empty());
    // The removed picture and the staged one are back where they were.
    EXPECT_EQ(FilesIn(album), (std::set<std::string>{"p1.jpg", "p2.jpg"}));
    EXPECT_EQ(FilesIn(StagingFolder(album)), std::set<std::string>{"a.jpg"});
    EXPECT_EQ(FilesIn(StagedMiniFolder(album)), (std::set<std::string>{"a.bmp", "b.bmp"}));
    EXPECT_FALSE(fs::exists(budget + "/jTrFiles/1"));
}

// Mend: the moves into the transaction's folder were kept when the preparation could not be
// made ready or its application failed, and the rollback deleted that folder with the moved
// pictures while the rows still named them. Now every failure takes the moves back.
TEST_F(Album, AFailureAfterTheMovesTakesThemBack) {
    const struct {
        const char* what;
        bool notReady;
        std::function<int()> outcome;
    } cases[] = {
        {"not made ready", true, [] { return 1; }},
        {"the application fails", false, [] { return -4; }},
        {"the commit throws", false,
         []() -> int { throw EDatabaseError("tables.sqlite", "database or disk is full"); }},
    };
    AddPictures(2);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        shell.state.FatalClose = false;
        FailingKind failing({"CHANG", otImages}, c.outcome);
        int lastShown = 0;
        TPictureList pictures = LoadAlbum(kAlbum, lastShown);
        ASSERT_TRUE(RemovePicture(pictures, 1, album));
        InsertPictures(pictures, 2, {Stage("a.jpg")});
        const std::string before = DumpBudget(budget, TDumpScope::WithoutJournal);
        std::string error;
        if (c.notReady) shell.state.FatalClose = true;  // a fatal report meanwhile
        try {
            EXPECT_LE(JournalImagesChange(kAlbum, "Holidays", pictures, error), 0);
        } catch (const EDatabaseError&) {
        }
        failing.Remove();
        EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), before);
        EXPECT_EQ(FilesIn(album), (std::set<std::string>{"p1.jpg", "p2.jpg"}));
        EXPECT_EQ(FilesIn(StagingFolder(album)), std::set<std::string>{"a.jpg"});
        DeleteStagedFiles(album);
    }
}

// Mend: the preparation moved the pictures a change removes out of the album into the
// transaction's folder before anything was committed, so a kill before the commit left rows that
// named pictures gone from the album (and the next transaction of the number deleted them with
// the folder left behind). The removed pictures now leave the album only with the commit. Killed
// before the preparation's commit, before the application's or after it, the album holds every
// picture its rows name, and all it held while the change is not in force (the opening settles
// the change the kill left acting, and PreparationKilled in the store's tests follows every
// step with an older change).
TEST(AlbumChangeKilled, LeavesEveryPictureTheRowsNameInTheAlbum) {
    constexpr int kAlbum = 30;
    RegisterJournalKinds();
    const struct {
        const char* what;
        int refresh;  // the journal view's refresh at which the process is killed; 0: after all
        const char* status;
    } moments[] = {
        {"the preparation's files in place, before its commit", 1, "(none)"},
        {"the application's writes done, before its commit", 3, "(none)"},  // settled
        {"after the application", 0, "APPLY"},
    };
    for (const auto& m : moments) {
        SCOPED_TRACE(m.what);
        TestFolders folders;
        const std::string budget = folders.MakeBudget();
        std::string album;
        {
            FakeShellServices shell(folders.UsersDataPath());
            TDM dm;
            OpenBudgetIn(shell, dm, folders, budget);
            AddRow(tbl::Objects, {{fld::ID, kAlbum},
                                  {fld::IDParent, 0},
                                  {fld::Type, int(otImages)},
                                  {fld::Image, 16},
                                  {fld::Name, "Holidays"},
                                  {fld::Descript, ""},
                                  {fld::Expanded, "N"}});
            album = AlbumFolder(kAlbum);
            fs::create_directories(StagingFolder(album));
            fs::create_directories(StagedMiniFolder(album));
            for (int k = 1; k <= 4; ++k) {
                const std::string name = "p" + std::to_string(k) + ".jpg";
                WritePicture(fs::path(album) / name, QColor(60 * k, 0, 0));
                ASSERT_EQ(MakeThumbnail(album + "/" + name, album + "/mini", 117, nullptr, 88),
                          kPictureLoaded);
                AddRow(tbl::Images, {{fld::ID, kAlbum}, {fld::Number, k}, {fld::FileName, name}});
            }
            DM = nullptr;
        }
        const std::string before = DumpBudget(budget, TDumpScope::WithoutJournal);
        KillDuring(
            [&](int ready) {
                FakeShellServices shell(folders.UsersDataPath());
                TDM dm;
                OpenBudgetIn(shell, dm, folders, budget);
                PauseAtDataChange(dm.TablejTrans, m.refresh, ready);
                int lastShown = 0;
                TPictureList pictures = LoadAlbum(kAlbum, lastShown);
                RemovePicture(pictures, 3, album);
                RemovePicture(pictures, 1, album);
                std::string error;
                JournalImagesChange(kAlbum, "Holidays", pictures, error);
                Ready(ready);
                pause();
            },
            std::chrono::milliseconds(20));

        EXPECT_EQ(IntegrityOf(budget), "ok");
        FakeShellServices shell(folders.UsersDataPath());
        TDM dm;
        OpenBudgetIn(shell, dm, folders, budget);
        const auto status = Column(tbl::jTrans, fld::Status, {}, "");
        EXPECT_EQ(status.empty() ? "(none)" : status[0].Text(), m.status);
        for (const TFieldValue& name : Column(tbl::Images, fld::FileName)) {
            EXPECT_TRUE(fs::exists(fs::path(album) / name.Text())) << name.Text();
            EXPECT_TRUE(fs::exists(fs::path(album) / "mini" / ThumbnailName(name.Text())))
                << name.Text();
        }
        if (std::string(m.status) != "APPLY") {
            EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), before);
        } else {
            EXPECT_EQ(CountRows(tbl::Images), 2);
        }
        DM = nullptr;
    }
}

// ---- The frame -------------------------------------------------------------------------------

class AlbumFrame : public Album {
protected:
    AlbumFrame() {
        shell.state.TempPath = folders.TempPath();
        frame = &RegisterImagesFrame(frames, window);
        frame->LoadTexts();
        window.resize(760, 600);
        frame->setGeometry(0, 0, 760, 600);
        window.show();
    }
    ~AlbumFrame() override { SetPicturesPicker({}); }
    void Show() { frame->ShowFor(Node(kAlbum)); }
    void Edit() {
        frame->BitBtnEdit->click();
        frame->FinishAnimation();
    }
    std::vector<std::string> Boxes() const {
        std::vector<std::string> boxes;
        for (int n = 1; frame->Box(n) != nullptr; ++n)
            boxes.push_back(ToStdString(frame->BoxPart("LName", n)->text()));
        return boxes;
    }
    // Opens the dialog the click opens, lets `act` work on it while it is shown, and waits for
    // it to close.
    template <class Dialog>
    void WithDialog(QPushButton* opener, const std::function<void(Dialog&)>& act) {
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            act(*dialog);
            if (dialog->isVisible()) dialog->reject();
        });
        opener->click();
    }

    TFrameRegistry frames;
    QWidget window;
    TfrImages* frame;
};

TEST_F(AlbumFrame, ShowsTheMarkedPictureOrTheFirst) {
    struct Case {
        int Current, Shown;
    };
    for (const Case c : {Case{0, 1}, Case{4, 4}}) {
        SCOPED_TRACE(c.Current);
        ClearRows(dm.TableImages, Where(fld::ID) == kAlbum);
        AddPictures(5, c.Current);
        Show();
        EXPECT_EQ(frame->ShownNumber, c.Shown);
        EXPECT_EQ(frame->PictureCount, 5);
        EXPECT_EQ(Boxes(),
                  (std::vector<std::string>{"p1.jpg", "p2.jpg", "p3.jpg", "p4.jpg", "p5.jpg"}));
        EXPECT_EQ(frame->Box(2)->y() - frame->Box(1)->y(), 139);
        EXPECT_TRUE(frame->Box(c.Shown)->isFlat());
        EXPECT_FALSE(frame->Shown.isNull());
        EXPECT_EQ(ToStdString(frame->LabelNameMain->text()),
                  std::to_string(c.Shown) + "). p" + std::to_string(c.Shown) + ".jpg");
        EXPECT_FALSE(frame->BoxPart("IMG", 1)->pixmap().isNull());  // in view: loaded
    }
}

// A picture's name and description longer than its box is wide end with "…" in the box; the
// shown picture's whole name and description stand under it.
TEST_F(AlbumFrame, ALongNameAndDescriptionEndWithAnEllipsisInTheirBox) {
    const std::string name = "Ostsee_2025_08_10_IMG_4501_Strandpromenade_Świnoujście.jpg";
    AddPicture(name, 1, true);
    AddPicture("p2.jpg", 2);
    Show();
    for (const char* part : {"LName", "LDscr"}) {
        SCOPED_TRACE(part);
        for (const int n : {1, 2}) {
            const auto& label = dynamic_cast<const TElidedLabel&>(*frame->BoxPart(part, n));
            const QString shown = label.ShownText();
            EXPECT_LE(label.fontMetrics().horizontalAdvance(shown), label.contentsRect().width());
            EXPECT_EQ(shown.endsWith(QChar(0x2026)), n == 1) << n;
        }
    }
    EXPECT_EQ(ToStdString(frame->BoxPart("LName", 1)->text()), name);
    EXPECT_EQ(ToStdString(frame->LabelNameMain->text()), "1). " + name);
    EXPECT_EQ(ToStdString(frame->LabelDescrMain->text()), "about " + name);
}

TEST_F(AlbumFrame, MissingAndDamagedPicturesShowAWarningNamingThem) {
    AddPictures(3);
    fs::remove(album + "/p2.jpg");
    std::ofstream(album + "/p3.jpg", std::ios::trunc) << "not a picture";
    fs::remove(album + "/mini/p3.bmp");
    Show();
    frame->ShowImage(2, false);
    EXPECT_TRUE(frame->LabelWarning->isVisible());
    EXPECT_EQ(ToStdString(frame->LabelWarning->text()),
              "The picture file is missing   " + album + "/p2.jpg");
    EXPECT_EQ(ToStdString(frame->LabelNameMain->text()), "1). p1.jpg");  // kept
    frame->ShowImage(3, false);
    EXPECT_EQ(ToStdString(frame->LabelWarning->text()),
              "The picture cannot be read (damaged or truncated): " + album + "/p3.jpg");
    frame->ScrollBoxList->ensureWidgetVisible(frame->Box(3));
    frame->LoadVisibleThumbnails();
    EXPECT_TRUE(frame->BoxPart("LWarn", 3)->isVisible());
    EXPECT_EQ(CountRows(tbl::Images, Where(fld::ID) == kAlbum), 3);
}

TEST_F(AlbumFrame, TheReportButtonMakesTheAlbumsReportWithItsPicturesOutsideEditMode) {
    AddPictures(3, 2);
    shell.state.TemplatesPath = folders.DataPath() + "Templates/";
    fs::copy(std::string(VEMLY_SOURCE_DATA_DIR) + "/Templates/ForImages",
             shell.state.TemplatesPath + "ForImages",
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    Show();
    Edit();
    EXPECT_FALSE(frame->BitBtnReport->isEnabled());
    frame->BitBtnCansel->click();
    frame->FinishAnimation();
    ASSERT_TRUE(frame->BitBtnReport->isEnabled());

    const std::string out = folders.DataPath() + "album.rtf";
    SetReportSavePicker([&](QWidget*, const QString&) { return ToQString(out); });
    RecordedUrls urls;
    WithDialog<TfReport>(frame->BitBtnReport, [](TfReport& report) {
        EXPECT_EQ(report.ObjectName, "Holidays");
        ASSERT_EQ(report.Templates.size(), 1u);
        report.BitBtnCreateReport->click();
    });
    SetReportSavePicker({});
    ASSERT_EQ(urls.urls.size(), 1u);
    std::ifstream in(out, std::ios::binary);
    const std::string rtf((std::istreambuf_iterator<char>(in)), {});
    for (const char* value : {"Holidays", "Summer pictures", "p2.jpg", "about p2.jpg", "p3.jpg"})
        EXPECT_NE(rtf.find(value), std::string::npos) << value;
    // The shown picture and its thumbnail, then each picture and thumbnail of the album.
    const auto count = [&rtf](const std::string& part) {
        std::size_t n = 0;
        for (std::size_t at = rtf.find(part); at != std::string::npos; at = rtf.find(part, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("\\jpegblip"), 4u);
    EXPECT_EQ(count("\\pngblip"), 4u);
}

TEST_F(AlbumFrame, DeleteThenApplyWritesTheRestAndShowsTheNext) {
    AddPictures(4);
    Show();
    Edit();
    frame->ShowImage(2, false);
    ScopedMessageDlg yes(mrYes);
    frame->BitBtnDelPicture->click();
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"p1.jpg", "p3.jpg", "p4.jpg"}));
    EXPECT_EQ(frame->ShownNumber, 2);
    EXPECT_EQ(frame->ShownFileName, "p3.jpg");
    frame->ShowImage(3, false);
    frame->BitBtnDelPicture->click();  // the last: the one before is shown
    EXPECT_EQ(frame->ShownNumber, 2);
    EXPECT_EQ(frame->PictureCount, 2);
    frame->BitBtnApply->click();
    frame->FinishAnimation();
    EXPECT_FALSE(frame->EditMode);
    EXPECT_EQ(Live(LoadAlbum(kAlbum, frame->LastShownNumber)),
              (std::vector<std::string>{"p1.jpg:1l", "p3.jpg:2l"}));
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"p1.jpg", "p3.jpg"}));
    EXPECT_EQ(frame->ShownNumber, 2);
}

TEST_F(AlbumFrame, ClearThenCancelRestoresTheAlbumAndApplyWithoutChangeWritesNothing) {
    AddPictures(3);
    Show();
    Edit();
    frame->BitBtnApply->click();
    EXPECT_EQ(NewestTrans(), 0);
    Edit();
    ScopedMessageDlg yes(mrYes);
    frame->BitBtnClear->click();
    EXPECT_TRUE(Boxes().empty());
    frame->BitBtnCansel->click();
    EXPECT_EQ(yes.Texts().back(), "Drop the changes you have made?");
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"p1.jpg", "p2.jpg", "p3.jpg"}));
    EXPECT_EQ(NewestTrans(), 0);
}

TEST_F(AlbumFrame, MovesStopAtTheEnds) {
    AddPictures(3);
    Show();
    Edit();
    frame->BitBtnPictureUpClick();  // picture 1: nothing
    EXPECT_FALSE(frame->Modified);
    frame->ShowImage(3, false);
    frame->BitBtnPictureDownClick();
    EXPECT_FALSE(frame->Modified);
    frame->BitBtnPictureUpClick();
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"p1.jpg", "p3.jpg", "p2.jpg"}));
    EXPECT_EQ(frame->ShownNumber, 2);
    EXPECT_EQ(ToStdString(frame->LabelNameMain->text()), "2). p3.jpg");
}

TEST_F(AlbumFrame, TheLoadingDialogRefusesTakenAndLongNamesAndSkipsDamagedPictures) {
    AddPictures(2);
    const fs::path picked = fs::path(folders.TempPath()) / "picked";
    fs::create_directories(picked);
    WritePicture(picked / "p1.jpg", Qt::blue);
    const std::string longName = std::string(97, 'n') + ".jpg";  // 101 characters
    WritePicture(picked / longName, Qt::blue);
    WritePicture(picked / "new one.JPEG", Qt::blue);
    WritePicture(picked / "second.jpg", Qt::blue);
    std::ofstream(picked / "broken.jpg") << "not a picture";
    auto pick = [&](std::vector<std::string> names) {
        SetPicturesPicker([=](QWidget*) {
            QStringList paths;
            for (const std::string& name : names) paths << ToQString((picked / name).string());
            return paths;
        });
    };
    Show();
    Edit();
    ScopedMessageDlg boxes;
    pick({"p1.jpg", longName});
    WithDialog<TfLoadImage>(frame->BitBtnAppendPicture, [&](TfLoadImage& dialog) {
        EXPECT_NE(frame->Box(0), nullptr);  // the placeholder
        dialog.BitBtnChoicePicture->click();
        EXPECT_FALSE(dialog.BitBtnOK->isEnabled());
        EXPECT_TRUE(dialog.Chosen.isEmpty());
    });
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_EQ(boxes.Texts()[0], "The album already holds a picture of this name:\n" +
                                    (picked / "p1.jpg").string() +
                                    "\n\nThe name of this file is longer than 100 characters:\n" +
                                    (picked / longName).string());
    EXPECT_EQ(frame->Box(0), nullptr);  // gone with Exit
    EXPECT_FALSE(frame->Adding);

    pick({"new one.JPEG", "broken.jpg", "second.jpg"});
    WithDialog<TfLoadImage>(frame->BitBtnAppendPicture, [&](TfLoadImage& dialog) {
        dialog.BitBtnChoicePicture->click();
        ASSERT_TRUE(dialog.BitBtnOK->isEnabled());
        dialog.BitBtnOK->click();
    });
    EXPECT_EQ(boxes.Texts().back(),
              "These pictures cannot be read (damaged or truncated) and were not added:\n" +
                  (picked / "broken.jpg").string());
    EXPECT_EQ(Boxes(),
              (std::vector<std::string>{"p1.jpg", "p2.jpg", "new one.JPEG", "second.jpg"}));
    EXPECT_EQ(frame->ShownNumber, 3);
    EXPECT_TRUE(frame->Modified);
    EXPECT_EQ(FilesIn(StagingFolder(album)), (std::set<std::string>{"new one.JPEG", "second.jpg"}));

    // One picture inserted before the shown one, with its description.
    WritePicture(picked / "inserted.bmp", Qt::yellow);
    pick({"inserted.bmp"});
    frame->ShowImage(2, false);
    WithDialog<TfLoadImage>(frame->BitBtnAddPicture, [&](TfLoadImage& dialog) {
        dialog.BitBtnChoicePicture->click();
        dialog.EditDescr->setText(QStringLiteral("a yellow one"));
        dialog.BitBtnOK->click();
    });
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"p1.jpg", "inserted.bmp", "p2.jpg", "new one.JPEG",
                                                 "second.jpg"}));
    EXPECT_EQ(ToStdString(frame->LabelDescrMain->text()), "a yellow one");

    frame->BitBtnApply->click();
    frame->FinishAnimation();
    EXPECT_EQ(Live(LoadAlbum(kAlbum, frame->LastShownNumber)),
              (std::vector<std::string>{"p1.jpg:1l", "inserted.bmp:2l", "p2.jpg:3l",
                                        "new one.JPEG:4l", "second.jpg:5l"}));
    EXPECT_TRUE(FilesIn(StagingFolder(album)).empty());
    EXPECT_TRUE(fs::exists(album + "/mini/new one.bmp"));
}

// The desktop's file dialog offers a filter that shows every file, so that PNG pictures chosen
// with JPEGs reach the dialog's check: the JPEGs are added and the PNGs named in the refusal.
TEST_F(AlbumFrame, PngPicturesChosenWithJpegsAreNamedInTheRefusal) {
    const fs::path picked = fs::path(folders.TempPath()) / "picked";
    fs::create_directories(picked);
    const std::vector<std::string> names = {"a.jpg", "b.png", "c.jpg", "d.png"};
    for (const std::string& name : names)
        WritePicture(picked / name, Qt::blue, {240, 160}, name.ends_with(".png") ? "PNG" : "JPG");
    Show();
    Edit();
    ScopedMessageDlg boxes;
    bool offered = false;
    WithDialog<TfLoadImage>(frame->BitBtnAppendPicture, [&](TfLoadImage& dialog) {
        QTimer::singleShot(0, [&] {
            auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(chooser, nullptr);
            chooser->setDirectory(ToQString(picked.string()));
            // The filter that shows the PNG files too.
            for (const QString& filter : chooser->nameFilters()) {
                const QString patterns = filter.section(u'(', 1).section(u')', 0, 0);
                if (QDir::match(patterns.split(u' '), QStringLiteral("b.png"))) {
                    chooser->selectNameFilter(filter);
                    offered = true;
                    break;
                }
            }
            QString files;
            for (const std::string& name : names) files += "\"" + ToQString(name) + "\" ";
            chooser->selectFile(files);
            static_cast<QDialog*>(chooser)->accept();  // QFileDialog::accept, as its Open button
        });
        dialog.BitBtnChoicePicture->click();
        EXPECT_EQ(dialog.Chosen.size(), 2);
        ASSERT_TRUE(dialog.BitBtnOK->isEnabled());
        dialog.BitBtnOK->click();
    });
    EXPECT_TRUE(offered);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"These files are no BMP or JPEG pictures:\n" +
                                       (picked / "b.png").string() + "\n" +
                                       (picked / "d.png").string()});
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"a.jpg", "c.jpg"}));
}

TEST_F(AlbumFrame, AnAlbumWhoseFoldersWentMissingTakesPicturesAgain) {
    Show();
    fs::remove_all(album);
    const fs::path picked = fs::path(folders.TempPath()) / "picked";
    fs::create_directories(picked);
    WritePicture(picked / "a.jpg", Qt::blue);
    SetPicturesPicker(
        [&](QWidget*) { return QStringList{ToQString((picked / "a.jpg").string())}; });
    Edit();
    ScopedMessageDlg boxes;
    WithDialog<TfLoadImage>(frame->BitBtnAppendPicture, [&](TfLoadImage& dialog) {
        dialog.BitBtnChoicePicture->click();
        dialog.BitBtnOK->click();
    });
    EXPECT_TRUE(boxes.Calls().empty());
    frame->BitBtnApply->click();
    EXPECT_EQ(Live(LoadAlbum(kAlbum, frame->LastShownNumber)),
              std::vector<std::string>{"a.jpg:1l"});
    EXPECT_TRUE(fs::exists(album + "/a.jpg"));
    EXPECT_TRUE(fs::exists(album + "/mini/a.bmp"));
}

// A full disk while a picture is added is named as one, with the folder that could not be
// written, whether the picture's copy or its thumbnail did not fit; nothing is added and no
// piece of either stays behind.
TEST_F(AlbumFrame, AFullDiskWhileAddingIsNamedAsOne) {
    const fs::path picked = fs::path(folders.TempPath()) / "picked";
    fs::create_directories(picked);
    WritePicture(picked / "big.bmp", Qt::red, {240, 160}, "BMP");  // about 115 KB
    SetPicturesPicker(
        [&](QWidget*) { return QStringList{ToQString((picked / "big.bmp").string())}; });
    Show();
    Edit();
    const std::vector<std::string> before = Boxes();
    for (const std::string& full : {StagingFolder(album), StagedMiniFolder(album)}) {
        SCOPED_TRACE(full);
        const ScopedSmallDisk disk(full, "4k");
        if (!disk.Mounted()) GTEST_SKIP() << "no tmpfs can be mounted here";
        ScopedMessageDlg boxes;
        WithDialog<TfLoadImage>(frame->BitBtnAppendPicture, [&](TfLoadImage& dialog) {
            dialog.BitBtnChoicePicture->click();
            dialog.BitBtnOK->click();
        });
        EXPECT_EQ(boxes.Texts(),
                  std::vector<std::string>{
                      "These pictures could not be copied into the album's folder and were not "
                      "added:\n" +
                      (picked / "big.bmp").string() + "\n" + full + ": " + std::strerror(ENOSPC)});
        EXPECT_EQ(Boxes(), before);
        EXPECT_TRUE(FilesIn(StagingFolder(album)).empty());
        EXPECT_TRUE(FilesIn(StagedMiniFolder(album)).empty());
    }
}

TEST_F(AlbumFrame, TheDescriptionDialogColoursTheBox) {
    AddPictures(2);
    Show();
    Edit();
    const QColor text = frame->palette().color(QPalette::WindowText);
    WithDialog<TfChangeImageDescr>(frame->BitBtnEditPicture, [&](TfChangeImageDescr& dialog) {
        EXPECT_EQ(frame->Box(1)->property("colour").value<QColor>(), kBoxBlue);
        EXPECT_FALSE(dialog.BitBtnOK->isEnabled());
        dialog.EditNewDescr->setText(QStringLiteral("other"));
        EXPECT_TRUE(dialog.BitBtnOK->isEnabled());
        dialog.EditNewDescr->setText(QStringLiteral("about p1.jpg"));  // the old text again
        EXPECT_FALSE(dialog.BitBtnOK->isEnabled());
    });
    EXPECT_EQ(frame->Box(1)->property("colour").value<QColor>(), text);
    EXPECT_FALSE(frame->Modified);
    WithDialog<TfChangeImageDescr>(frame->BitBtnEditPicture, [&](TfChangeImageDescr& dialog) {
        dialog.EditNewDescr->setText(QStringLiteral("the sea"));
        dialog.BitBtnOK->click();
    });
    EXPECT_EQ(frame->Box(1)->property("colour").value<QColor>(), kBoxNavy);
    EXPECT_EQ(ToStdString(frame->BoxPart("LDscr", 1)->text()), "the sea");
    EXPECT_EQ(ToStdString(frame->LabelDescrMain->text()), "the sea");
    EXPECT_TRUE(frame->Modified);
    // Leaving asks; No drops the description.
    ScopedMessageDlg no(mrNo);
    frame->Leave();
    EXPECT_EQ(no.Texts(), std::vector<std::string>{
                              "The album 'Holidays' has been changed.\nSave the changes?"});
    EXPECT_EQ(ToStdString(frame->BoxPart("LDscr", 1)->text()), "about p1.jpg");
    EXPECT_EQ(NewestTrans(), 0);
}

TEST_F(AlbumFrame, LeavingMarksTheShownPicture) {
    AddPictures(3, 1);
    Show();
    frame->ShowImage(3, false);
    frame->Leave();
    int lastShown = 0;
    LoadAlbum(kAlbum, lastShown);
    EXPECT_EQ(lastShown, 3);
}

TEST_F(AlbumFrame, SaveWritesTheOwnBytesOrConverts) {
    AddPictures(1);
    Show();
    struct Case {
        std::string Name;
        bool SameBytes;
        const char* Format;
    };
    for (const Case& c : {Case{"copy.jpeg", true, "JPG"}, Case{"copy.JPG", true, "JPG"},
                          Case{"copy.bmp", false, "BMP"}}) {
        SCOPED_TRACE(c.Name);
        const std::string target = folders.TempPath() + c.Name;
        SetSavePicker([&](QWidget*, const QString& proposed) {
            EXPECT_EQ(ToStdString(proposed), "p1.jpg");
            return ToQString(target);
        });
        frame->BitBtnSave->click();
        EXPECT_EQ(Bytes(target) == Bytes(fs::path(album) / "p1.jpg"), c.SameBytes);
        QImage saved;
        EXPECT_TRUE(saved.load(ToQString(target), c.Format));
    }
    SetSavePicker({});
}

TEST_F(AlbumFrame, ViewerActionsWorkOnTheShownPicture) {
    AddPictures(2);
    Show();
    frame->ShowImage(2, false);
    // Double-click: a copy in the temp folder is opened.
    {
        RecordedUrls opened;
        frame->ImageMainDblClick();
        ASSERT_EQ(opened.urls.size(), 1u);
        const std::string copy = ToStdString(opened.urls[0].toLocalFile());
        EXPECT_EQ(copy, folders.TempPath() + "p2.jpg");
        EXPECT_EQ(Bytes(copy), Bytes(fs::path(album) / "p2.jpg"));
    }
    frame->CopyNametoClipboard1->trigger();
    EXPECT_EQ(ToStdString(QApplication::clipboard()->text()), "p2.jpg");
    frame->CopyDescripttoClipboard1->trigger();
    EXPECT_EQ(ToStdString(QApplication::clipboard()->text()), "about p2.jpg");
    frame->CopyImagetoClipboard->trigger();
    EXPECT_EQ(QApplication::clipboard()->image().size(), QSize(240, 160));
    // Zoom: a tenth more or less; a side under 10 pixels no longer shrinks.
    frame->BitBtnSelfSize->click();
    EXPECT_EQ(frame->ImageMain->size(), QSize(240, 160));
    frame->BitBtnZoomPlus->click();
    EXPECT_EQ(frame->ImageMain->size(), QSize(264, 176));
    frame->BitBtnZoomMinus->click();
    EXPECT_EQ(frame->ImageMain->size(), QSize(238, 159));
    for (int i = 0; i < 40; ++i) frame->BitBtnZoomMinus->click();
    EXPECT_EQ(frame->ImageMain->width(), 9);
    frame->BitBtnActualSize->click();
    EXPECT_FALSE(frame->ManualZoom);
    EXPECT_EQ(frame->ImageMain->size(), QSize(240, 160));  // fits: its own size
}

// Mend: zooming in or out moved the view away from the part of the picture in view; the scroll
// bars now keep their relative place.
TEST_F(AlbumFrame, ZoomKeepsTheScrollBarsRelativePlace) {
    AddPicture("big.jpg", 1);
    WritePicture(fs::path(album) / "big.jpg", Qt::blue, QSize(2400, 1600));
    Show();
    frame->ShowImage(1, false);
    frame->BitBtnSelfSize->click();
    QScrollBar* bars[] = {frame->ScrollBoxImage->horizontalScrollBar(),
                          frame->ScrollBoxImage->verticalScrollBar()};
    for (QScrollBar* bar : bars) {
        ASSERT_GT(bar->maximum(), 0);
        bar->setValue(bar->maximum() / 4);
    }
    for (QPushButton* zoom :
         {frame->BitBtnZoomPlus, frame->BitBtnZoomMinus, frame->BitBtnZoomMinus}) {
        zoom->click();
        for (QScrollBar* bar : bars) EXPECT_NEAR(double(bar->value()) / bar->maximum(), 0.25, 0.01);
    }
    bars[0]->setValue(0);
    frame->BitBtnZoomPlus->click();
    EXPECT_EQ(bars[0]->value(), 0);
}

}  // namespace

// The buttons beside the picture each show their picture whole inside their face, one below
// the other.
TEST_F(AlbumFrame, TheRowButtonsAreTallEnoughForTheirPictures) {
    AddPictures(3);
    Show();
    Edit();
    frame->ShowImage(2, false);
    const TRowButton buttons[] = {{frame->BitBtnAddPicture, frame->ImageAddPicture},
                                  {frame->BitBtnEditPicture, frame->ImageEditPicture},
                                  {frame->BitBtnDelPicture, frame->ImageDelPicture},
                                  {frame->BitBtnPictureUp, frame->ImagePictureUp},
                                  {frame->BitBtnPictureDown, frame->ImagePictureDown},
                                  {frame->BitBtnAppendPicture, frame->ImageAppendPicture}};
    // The append button stands apart, below the last row.
    ExpectRowButtonsShowTheirPictures(buttons, std::size(buttons) - 2);
}

// The chosen picture's path fits the dialog's width with its leading folders left out, never
// cut inside a name: a file name wider than the dialog stands whole on further lines.
TEST_F(AlbumFrame, TheLoadingDialogShowsThePicturesNameWhole) {
    const fs::path folder =
        fs::path(folders.TempPath()) / "Urlaub in den Dolomiten mit der ganzen Familie" / "Sommer";
    fs::create_directories(folder);
    const std::string names[] = {
        "See.jpg",
        "Sonnenuntergang am Pragser Wildsee mit Blick auf den Seekofel 2024-08-14.jpg",
    };
    Show();
    Edit();
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const QString path = ToQString((folder / name).string());
        WritePicture(folder / name, Qt::blue);
        SetPicturesPicker([path](QWidget*) { return QStringList{path}; });
        WithDialog<TfLoadImage>(frame->BitBtnAppendPicture, [&](TfLoadImage& dialog) {
            dialog.BitBtnChoicePicture->click();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            const QString shown = dialog.LabeFileName->text();
            EXPECT_TRUE(shown.endsWith(ToQString("/" + name))) << ToStdString(shown);
            EXPECT_TRUE(shown == path || (shown.startsWith(QStringLiteral("\u2026/")) &&
                                          path.endsWith(shown.mid(1))))
                << ToStdString(shown);
            EXPECT_EQ(CutLabels(dialog), std::vector<std::string>{});
            // The dialog is as tall as its lines need: the name keeps off the preview.
            EXPECT_GE(dialog.height(), dialog.layout()->totalHeightForWidth(dialog.width()));
        });
    }
}
