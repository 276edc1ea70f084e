// The file collection frame through its widgets: the icon cache by exact extension, the list,
// adding with the question before a replacement, renaming with its refusals, deleting to the
// trash (and for good only when asked), opening and help.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <set>

#include "ContentFixture.h"
#include "common/ScopedHome.h"
#include "common/RecordedUrls.h"
#include "common/ScopedMessageDlg.h"
#include "common/SmallDisk.h"
#include "content/U_frfiles.h"
#include "content/U_frfiles_folder.h"
#include "platform/Text.h"
#include "shell/ShellOpen.h"
#include "store/U_dm.h"

namespace fs = std::filesystem;

namespace {

std::string Read(const fs::path& file) {
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Write(const fs::path& file, const std::string& text) {
    std::ofstream(file) << text;
}

class FilesFrame : public ContentBudget {
protected:
    FilesFrame() {
        fs::create_directories(folder);
        frame = &RegisterFilesFrame(frames, window);
        frame->LoadTexts();
        window.resize(600, 500);
        frame->setGeometry(0, 0, 600, 500);
        window.show();
    }
    ~FilesFrame() override { SetFilesPicker({}); }
    void Show() { frame->ShowFor(Node(kFiles)); }
    std::vector<std::string> Captions() const {
        std::vector<std::string> captions;
        for (int row = 0; row < frame->ListViewFiles->count(); ++row)
            captions.push_back(ToStdString(frame->ListViewFiles->item(row)->text()));
        return captions;
    }
    QListWidgetItem* Item(const std::string& caption) const {
        const auto found = frame->ListViewFiles->findItems(ToQString(caption), Qt::MatchExactly);
        return found.isEmpty() ? nullptr : found.front();
    }
    void SelectOnly(std::initializer_list<std::string> captions) {
        frame->ListViewFiles->clearSelection();
        for (const std::string& caption : captions) {
            Item(caption)->setSelected(true);
            frame->ListViewFiles->setCurrentItem(Item(caption), QItemSelectionModel::Select);
        }
    }
    // Renames through the editor that Rename opens, as a user types the new name.
    void RenameTo(const std::string& caption, const std::string& name) {
        SelectOnly({caption});
        frame->Rename->trigger();
        auto* editor = frame->ListViewFiles->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->setText(ToQString(name));
        // What the editor's Return does.
        QAbstractItemDelegate* delegate = frame->ListViewFiles->itemDelegate();
        emit delegate->commitData(editor);
        emit delegate->closeEditor(editor, QAbstractItemDelegate::SubmitModelCache);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    TFrameRegistry frames;
    QWidget window;
    TfrFiles* frame;
    const std::string folder = CollectionFolder(kFiles);
    ScopedHome home{folders.UsersDataPath()};
};

TEST(FileExtension, IsTheLastDotOnward) {
    const std::pair<const char*, const char*> cases[] = {
        {"a.txt", ".txt"},       {"b.TXT", ".TXT"},  {"archive.tar.gz", ".gz"},
        {"noext", ""},           {".profile", ".profile"}, {"name.", "."},
        {"photo.JPEG", ".JPEG"},
    };
    for (const auto& [name, ext] : cases) EXPECT_EQ(FileExtension(name), ext) << name;
}

TEST_F(FilesFrame, ListsTheFilesWithOneCachedIconPerExactExtension) {
    for (const char* name : {"b.TXT", "a.txt", "c.txt", "noext", "d.tar.gz"})
        Write(fs::path(folder) / name, name);
    fs::create_directory(fs::path(folder) / "sub.txt");
    Show();
    EXPECT_EQ(Captions(), (std::vector<std::string>{"a.txt", "b.TXT", "c.txt", "d.tar.gz", "noext"}));
    EXPECT_EQ(frame->IconCache.size(), 4u);
    std::set<std::string> exts;
    for (const FileIcon& icon : frame->IconCache) {
        exts.insert(icon.Ext);
        EXPECT_LT(icon.ImageIndex, static_cast<int>(frame->ImageListIcons.size()));
    }
    EXPECT_EQ(exts, (std::set<std::string>{".TXT", ".txt", "", ".gz"}));
    EXPECT_NE(frame->IconIndexOf(".txt"), frame->IconIndexOf(".TXT"));
    EXPECT_EQ(frame->BuildIconCache(), 4);
    EXPECT_EQ(ToStdString(frame->LabelHeader->text()), "Papers");
    EXPECT_EQ(ToStdString(frame->Rename->text()), "Rename");
}

TEST_F(FilesFrame, AMissingFolderShowsAnEmptyList) {
    fs::remove_all(folder);
    Show();
    EXPECT_TRUE(Captions().empty());
    ScopedMessageDlg boxes;
    frame->BitBtnDelFile->click();  // nothing to delete: no question
    EXPECT_TRUE(boxes.Calls().empty());
}

TEST_F(FilesFrame, RenameRefusesBadAndTakenNamesAndRestoresTheCaption) {
    Write(fs::path(folder) / "a.txt", "A");
    Write(fs::path(folder) / "b.txt", "B");
    Show();
    struct Case {
        std::string Name, Message;
    };
    const Case refused[] = {
        {"", "\"\" cannot be a file's name."},
        {".", "\".\" cannot be a file's name."},
        {"..", "\"..\" cannot be a file's name."},
        {"x/y.txt", "\"x/y.txt\" cannot be a file's name."},
        {std::string("x\0y", 3), "\"" + std::string("x\0y", 3) + "\" cannot be a file's name."},
        {"b.txt", "The collection already holds a file b.txt."},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.Name);
        ScopedMessageDlg boxes;
        if (c.Name.find('\0') == std::string::npos) {
            RenameTo("a.txt", c.Name);
        } else {  // an editor takes no NUL: the edited caption carries it
            SelectOnly({"a.txt"});
            frame->RenameClick();
            Item("a.txt")->setText(ToQString(c.Name));
        }
        ASSERT_EQ(boxes.Texts(), std::vector<std::string>{c.Message});
        EXPECT_EQ(boxes.Calls()[0].Type, TMsgDlgType::mtError);
        EXPECT_EQ(Captions(), (std::vector<std::string>{"a.txt", "b.txt"}));
        EXPECT_EQ(Read(fs::path(folder) / "a.txt"), "A");
        EXPECT_EQ(Read(fs::path(folder) / "b.txt"), "B");
    }
}

TEST_F(FilesFrame, RenameTakesAnyOtherName) {
    Write(fs::path(folder) / "a.txt", "A");
    Show();
    const std::string names[] = {
        "with blanks 'and' \"quotes\".txt", "-leading dash", "Äpfel und Öl.txt",
        std::string(100, 'n'), std::string(101, 'm'), "A.txt",
    };
    std::string current = "a.txt";
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        ScopedMessageDlg boxes;
        RenameTo(current, name);
        EXPECT_TRUE(boxes.Calls().empty());
        EXPECT_EQ(Captions(), std::vector<std::string>{name});
        EXPECT_EQ(Read(fs::path(folder) / name), "A");
        EXPECT_FALSE(fs::exists(fs::path(folder) / current));
        current = name;
    }
}

TEST_F(FilesFrame, AFailedRenameSaysWhyAndKeepsTheCaption) {
    Write(fs::path(folder) / "a.txt", "A");
    Show();
    fs::remove(fs::path(folder) / "a.txt");  // gone behind the frame's back
    ScopedMessageDlg boxes;
    RenameTo("a.txt", "b.txt");
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_EQ(boxes.Texts()[0],
              std::string("The file cannot be renamed to b.txt: ") + std::strerror(ENOENT));
    EXPECT_EQ(Captions(), std::vector<std::string>{"a.txt"});
}

TEST_F(FilesFrame, AddCopiesAndAsksBeforeReplacing) {
    Write(fs::path(folder) / "same.txt", "old");
    const fs::path picked = fs::path(folders.UsersDataPath()) / "picked";
    fs::create_directories(picked);
    Write(picked / "same.txt", "new");
    Write(picked / "other name.pdf", "pdf");
    SetFilesPicker([&](QWidget*) {
        return QStringList{ToQString((picked / "same.txt").string()),
                           ToQString((picked / "other name.pdf").string())};
    });
    Show();
    struct Case {
        int Answer;
        std::string Same;
        bool OtherAdded;
    };
    for (const Case& c : {Case{mrNo, "old", true}, Case{mrCancel, "old", false},
                         Case{mrYes, "new", true}}) {
        SCOPED_TRACE(c.Answer);
        fs::remove(fs::path(folder) / "other name.pdf");
        Write(fs::path(folder) / "same.txt", "old");
        ScopedMessageDlg answer(c.Answer);
        frame->BitBtnAddFile->click();
        EXPECT_EQ(answer.Texts(), std::vector<std::string>{
                                      "The collection already holds a file same.txt. Replace it?"});
        EXPECT_EQ(Read(fs::path(folder) / "same.txt"), c.Same);
        EXPECT_EQ(fs::exists(fs::path(folder) / "other name.pdf"), c.OtherAdded);
        EXPECT_EQ(Captions().size(), c.OtherAdded ? 2u : 1u);
    }
    EXPECT_EQ(Read(picked / "same.txt"), "new");  // the picked files stay
    // Nothing but the added files in the folder: no copy left half-way.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
}

// A file that does not fit on the collection's disk is refused with the system's words and the
// folder, and leaves nothing behind.
TEST_F(FilesFrame, AFullDiskIsNamedAsOne) {
    const fs::path picked = fs::path(folders.TempPath()) / "picked";
    fs::create_directories(picked);
    Write(picked / "big.bin", std::string(200'000, 'x'));
    const ScopedSmallDisk disk(folder, "64k");
    if (!disk.Mounted()) GTEST_SKIP() << "no tmpfs can be mounted here";
    Write(fs::path(folder) / "kept.txt", "kept");
    SetFilesPicker([&](QWidget*) { return QStringList{ToQString((picked / "big.bin").string())}; });
    Show();
    ScopedMessageDlg boxes;
    frame->BitBtnAddFile->click();
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"The file big.bin cannot be added\n" + folder +
                                                      ": " + std::strerror(ENOSPC)});
    EXPECT_EQ(Captions(), std::vector<std::string>{"kept.txt"});
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

// A copy killed half-way leaves its hidden copy; the collection never lists it, and removes it
// when it is shown next.
TEST_F(FilesFrame, WhatAKilledCopyLeftIsNotListedAndGoes) {
    Write(fs::path(folder) / "a.txt", "A");
    Write(fs::path(folder) / ".~big.bin.part", "half a copy");
    EXPECT_EQ(CollectionFiles(folder), std::vector<std::string>{"a.txt"});
    Show();
    EXPECT_EQ(Captions(), std::vector<std::string>{"a.txt"});
    EXPECT_FALSE(fs::exists(fs::path(folder) / ".~big.bin.part"));
    // A file of the user's whose name only looks alike stays and is listed.
    Write(fs::path(folder) / ".~notes.part.txt", "mine");
    Show();
    EXPECT_EQ(Captions(), (std::vector<std::string>{".~notes.part.txt", "a.txt"}));
}

TEST_F(FilesFrame, AddingAFileOfTheCollectionItselfChangesNothing) {
    Write(fs::path(folder) / "a.txt", "A");
    SetFilesPicker([&](QWidget*) { return QStringList{ToQString(folder + "/a.txt")}; });
    Show();
    ScopedMessageDlg boxes;
    frame->BitBtnAddFile->click();
    EXPECT_TRUE(boxes.Calls().empty());
    EXPECT_EQ(Read(fs::path(folder) / "a.txt"), "A");
}

TEST_F(FilesFrame, DeleteMovesTheSelectedFilesToTheTrashAfterOneQuestion) {
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        Write(fs::path(folder) / name, name);
    Show();
    SelectOnly({"a.txt", "b.txt", "d.txt"});
    {
        ScopedMessageDlg no(mrNo);
        frame->BitBtnDelFile->click();
        EXPECT_EQ(no.Texts(), std::vector<std::string>{"Move the selected files to the trash?"});
        EXPECT_EQ(Captions().size(), 4u);
    }
    ScopedMessageDlg yes(mrYes);
    frame->Delete->trigger();
    EXPECT_EQ(yes.Calls().size(), 1u);
    EXPECT_EQ(Captions(), std::vector<std::string>{"c.txt"});
    for (const char* name : {"a.txt", "b.txt", "d.txt"})
        EXPECT_EQ(Read(fs::path(home.TrashFiles()) / name), name);
}

TEST_F(FilesFrame, WithoutATrashAFileIsDeletedForGoodOnlyWhenTheUserSaysSo) {
    Write(fs::path(folder) / "a.txt", "A");
    // The trash cannot be made: a file stands where it would be.
    Write(home.Path() + "/.local/share/Trash", "");
    Show();
    for (const int answer : {mrNo, mrYes}) {
        SCOPED_TRACE(answer);
        SelectOnly({"a.txt"});
        std::vector<std::string> asked;
        const TMessageDlgAnswerer previous =
            SetMessageDlgAnswerer([&](const TMessageDlgCall& call) {
                asked.push_back(call.Text);
                return asked.size() == 1 ? mrYes : answer;  // Yes to the first question
            });
        frame->BitBtnDelFile->click();
        SetMessageDlgAnswerer(previous);
        EXPECT_EQ(asked, (std::vector<std::string>{
                             "Move the selected files to the trash?",
                             "The file a.txt cannot be moved to the trash. Delete it for good?"}));
        EXPECT_EQ(fs::exists(fs::path(folder) / "a.txt"), answer == mrNo);
    }
}

TEST_F(FilesFrame, DoubleClickOpensTheFileAndHelpItsTopic) {
    Write(fs::path(folder) / "a b.txt", "A");
    std::ofstream(shell.state.LangPath + "VemlyHelp.html") << "<html></html>";
    Show();
    RecordedUrls opened;
    SelectOnly({"a b.txt"});
    frame->ListViewFilesDblClick();
    frame->ButtonHelp->click();
    ASSERT_EQ(opened.urls.size(), 2u);
    EXPECT_EQ(ToStdString(opened.urls[0].toLocalFile()), folder + "/a b.txt");
    EXPECT_EQ(opened.urls[1].fragment().toStdString(), "2300");
}

}  // namespace
