// The image album in the real main window: a user stages pictures in edit mode and leaves the
// album; what the answer to the save question and a save that fails do to the album, its staged
// pictures, the tree's selection and the open budget.
#include <gtest/gtest.h>

#include <QAction>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "MainFramesFixture.h"
#include "common/BudgetDump.h"
#include "common/FailingKind.h"
#include "content/U_floadimage.h"
#include "content/U_frimages.h"
#include "content/U_frimages_album.h"
#include "content/Uq519graphics.h"
#include "platform/Database.h"
#include "platform/Text.h"
#include "schema/SchemaNames.h"
#include "shell/JournalKinds.h"

namespace fs = std::filesystem;

namespace {

using Strings = std::vector<std::string>;
using Names = std::set<std::string>;

// The key of the album's change, whose kind the tests replace by a failing one.
const TKindKey kAlbumChange{"CHANG", otImages};

const char* const kQuestion = "The album 'Holidays' has been changed.\nSave the changes?";

// Home holds the album "Holidays" (ID 19, in Flat) with the stored pictures p1.jpg and p2.jpg;
// the pictures picker offers a.jpg and b.jpg.
class AlbumInMainWindow : public MainFramesFixture {
protected:
    static constexpr int kAlbum = 19;

    AlbumInMainWindow() : album(home + "/Images/IMG19"), picked(folders.Root() + "/picked") {
        RegisterJournalKinds();
        AddObject(home, kAlbum, 11, otImages, 18, "Holidays");
        for (const std::string& folder : {StagingFolder(album), StagedMiniFolder(album)})
            fs::create_directories(folder);
        fs::create_directories(picked);
        for (const char* name : {"p1.jpg", "p2.jpg"}) {
            WritePicture(album + "/" + name, Qt::green);
            EXPECT_EQ(MakeThumbnail(album + "/" + name, album + "/mini", kThumbnailWidth, nullptr,
                                    kThumbnailHeight),
                      kPictureLoaded);
            AppendRow(home, "Images.db",
                      {{"ID", kAlbum},
                       {"Number", name[1] - '0'},
                       {"FileName", std::string(name)},
                       {"Descript", "about " + std::string(name)},
                       {"Current", std::string()}});
        }
        QStringList offered;
        for (const char* name : {"a.jpg", "b.jpg"}) {
            WritePicture(picked + "/" + name, Qt::red);
            offered << ToQString(picked + "/" + name);
        }
        SetPicturesPicker([offered](QWidget*) { return offered; });
    }
    ~AlbumInMainWindow() override { SetPicturesPicker({}); }

    static void WritePicture(const std::string& file, QColor colour) {
        QImage image(240, 160, QImage::Format_RGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(ToQString(file), "JPG"));
    }

    // The real main window with the program's frames, the album selected, in edit mode with
    // p1.jpg removed and a.jpg and b.jpg appended.
    TfrImages& StartEditing() {
        StartWithProgramFrames();
        auto& frame = FrameOf<TfrImages>(otImages);
        ClickNamed("Holidays");
        EXPECT_TRUE(frame.isVisible());
        frame.BitBtnEdit->click();
        frame.FinishAnimation();
        {
            ScopedMessageDlg yes(mrYes);
            frame.ShowImage(1, false);
            frame.BitBtnDelPicture->click();
        }
        WhenOpen<TfLoadImage>([](TfLoadImage& dialog) {
            dialog.BitBtnChoicePicture->click();
            dialog.BitBtnOK->click();
        });
        frame.BitBtnAppendPicture->click();
        EXPECT_EQ(Boxes(frame), kStaged);
        return frame;
    }
    static Strings Boxes(const TfrImages& frame) {
        Strings boxes;
        for (int n = 1; frame.Box(n) != nullptr; ++n)
            boxes.push_back(ToStdString(frame.BoxPart("LName", n)->text()));
        return boxes;
    }
    static Names FilesIn(const std::string& folder) {
        Names names;
        std::error_code error;
        for (fs::directory_iterator it(folder, error); !error && it != fs::directory_iterator();
             it.increment(error))
            if (!it->is_directory()) names.insert(it->path().filename().string());
        return names;
    }
    // The album's rows as the journal left them: "file:number".
    Strings Rows() const {
        Strings rows;
        TTable images;
        images.SetDatabaseName(home);
        images.SetTableName(tbl::Images);
        images.Open();
        for (; !images.Eof(); images.Next())
            if (images.FieldByName(fld::ID).AsInteger() == kAlbum)
                rows.push_back(images.FieldByName(fld::FileName).AsString() + ":" +
                               std::to_string(images.FieldByName(fld::Number).AsInteger()));
        return rows;
    }

    const Strings kStaged{"p2.jpg", "a.jpg", "b.jpg"};
    const std::string album;
    const std::string picked;
};

// Mend: when the save that the user asked for failed, the frame dropped the edit and deleted
// the staged pictures, and the selection moved on. Now every way of leaving is refused: the
// album stays selected, in edit mode, with everything staged; once the cause is gone, the save
// works.
TEST_F(AlbumInMainWindow, ASaveThatFailsKeepsTheUserOnTheAlbumWithEverythingStaged) {
    TfrImages& frame = StartEditing();
    const int albumNode = NodeNamed("Holidays");
    const std::string before = DumpBudget(home, TDumpScope::WithoutJournal);
    FailingKind failing(kAlbumChange, []() -> int {
        throw EDatabaseError("tables.sqlite", "database or disk is full");
    });
    const struct {
        const char* way;
        std::function<void()> leave;
    } ways[] = {
        {"another node of the budget", [this] { ClickNamed("Rent"); }},
        {"a node of another budget", [this] { ClickNamed("Shed"); }},
        {"closing the program", [this] { window->close(); }},
        {"a command that rebuilds the tree",
         [this] {
             window->PMenuTreePopup();
             window->PMenuTree->findChild<QAction*>(QStringLiteral("Rename"))->trigger();
         }},
    };
    for (const auto& w : ways) {
        SCOPED_TRACE(w.way);
        ScopedMessageDlg yes(mrYes);
        w.leave();
        ASSERT_EQ(yes.Texts().size(), 2u);
        EXPECT_EQ(yes.Texts()[0], kQuestion);
        EXPECT_NE(yes.Texts()[1].find("database or disk is full"), std::string::npos);
        EXPECT_EQ(yes.Calls()[1].Type, TMsgDlgType::mtError);

        EXPECT_TRUE(window->isVisible());
        EXPECT_TRUE(frame.isVisible());
        EXPECT_TRUE(frame.EditMode);
        EXPECT_TRUE(frame.BitBtnApply->isEnabled());
        EXPECT_TRUE(frame.BitBtnCansel->isEnabled());
        EXPECT_EQ(Boxes(frame), kStaged);
        EXPECT_EQ(FilesIn(StagingFolder(album)), (Names{"a.jpg", "b.jpg"}));
        EXPECT_EQ(FilesIn(StagedMiniFolder(album)), (Names{"a.bmp", "b.bmp"}));
        EXPECT_EQ(window->SelectedIndex(), albumNode);
        EXPECT_EQ(window->State().IDObject, kAlbum);
        EXPECT_EQ(window->State().TypeObject, otImages);
        EXPECT_EQ(window->State().BudgetPath, home);
        EXPECT_EQ(dm.TableObjects.DatabaseName(), home);
        EXPECT_FALSE(window->State().TreeChanging);
        EXPECT_EQ(DumpBudget(home, TDumpScope::WithoutJournal), before);
    }
    {
        // The edit is the user's own again: Cancel asks before it drops anything.
        ScopedMessageDlg keep(mrCancel);
        frame.BitBtnCansel->click();
        EXPECT_EQ(keep.Texts(), Strings{"Drop the changes you have made?"});
        EXPECT_TRUE(frame.EditMode);
        EXPECT_EQ(Boxes(frame), kStaged);
    }

    failing.Remove();
    ScopedMessageDlg yes(mrYes);
    ClickNamed("Rent");
    EXPECT_EQ(yes.Texts(), Strings{kQuestion});
    EXPECT_EQ(window->SelectedIndex(), NodeNamed("Rent"));
    EXPECT_EQ(window->State().TypeObject, otTable);
    EXPECT_FALSE(frame.isVisible());
    EXPECT_EQ(Rows(), (Strings{"p2.jpg:1", "a.jpg:2", "b.jpg:3"}));
    EXPECT_EQ(FilesIn(album), (Names{"p2.jpg", "a.jpg", "b.jpg"}));
    EXPECT_TRUE(FilesIn(StagingFolder(album)).empty());
}

// Leaving with an answer that the frame carries out switches: No drops the edit with its staged
// files, Yes saves it.
TEST_F(AlbumInMainWindow, TheAnswerToTheSaveQuestionIsCarriedOutAndTheSelectionMoves) {
    const struct {
        int answer;
        Strings rows;
        Names files;
    } cases[] = {
        {mrNo, {"p1.jpg:1", "p2.jpg:2"}, {"p1.jpg", "p2.jpg"}},
        {mrYes, {"p2.jpg:1", "a.jpg:2", "b.jpg:3"}, {"p2.jpg", "a.jpg", "b.jpg"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        TfrImages& frame = StartEditing();
        ScopedMessageDlg answer(c.answer);
        ClickNamed("Shed");  // another budget
        EXPECT_EQ(answer.Texts(), Strings{kQuestion});
        EXPECT_EQ(window->SelectedIndex(), NodeNamed("Shed"));
        EXPECT_EQ(window->State().BudgetPath, cottage);
        EXPECT_FALSE(frame.isVisible());
        EXPECT_FALSE(frame.EditMode);
        EXPECT_EQ(Rows(), c.rows);
        EXPECT_EQ(FilesIn(album), c.files);
        EXPECT_TRUE(FilesIn(StagingFolder(album)).empty());
        EXPECT_TRUE(FilesIn(StagedMiniFolder(album)).empty());
        window.reset();
        fMain = nullptr;
    }
}

// Mend: a save that the journal reported as fatal counted as done, and the frame deleted the
// staged pictures that the failed save had put back. The program closes without a question,
// and the staged pictures stay in the album's staging folders.
TEST_F(AlbumInMainWindow, AFatalFailureClosesTheProgramWithoutDroppingTheStagedPictures) {
    TfrImages& frame = StartEditing();
    const std::string before = DumpBudget(home, TDumpScope::WithoutJournal);
    FailingKind failing(kAlbumChange, [] { return -4; });
    ScopedMessageDlg yes(mrYes);
    ClickNamed("Rent");
    EXPECT_EQ(yes.Texts(), (Strings{kQuestion, "FATAL ERROR: It is impossible to create a folder"}));
    EXPECT_TRUE(window->State().FatalClose);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(frame.EditMode);
    EXPECT_EQ(Boxes(frame), kStaged);
    EXPECT_EQ(FilesIn(StagingFolder(album)), (Names{"a.jpg", "b.jpg"}));
    EXPECT_EQ(DumpBudget(home, TDumpScope::WithoutJournal), before);
}

}  // namespace
