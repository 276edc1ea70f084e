// File and folder utilities: copy, move and delete lists with their result codes, folder paths,
// the temp folder, and paths with blanks, quotes and non-ASCII letters.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cerrno>
#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "common/ScopedEnv.h"
#include "common/ScopedHome.h"
#include "platform/Text.h"
#include "store/U_fileoperation.h"

namespace fs = std::filesystem;

namespace {

// Every test works below a folder whose name holds a blank, quotes and non-ASCII letters.
class FileOperations : public ::testing::Test {
protected:
    FileOperations() : root_(ToStdString(temp_.path()) + "/Bud get \"Küche\" 'ё'") {
        fs::create_directories(root_);
    }

    std::string At(const std::string& relative) const { return root_ + "/" + relative; }

    void Write(const std::string& relative, const std::string& content = "x") const {
        fs::create_directories(fs::path(At(relative)).parent_path());
        std::ofstream(At(relative), std::ios::binary) << content;
    }

    std::string Read(const std::string& relative) const {
        std::ifstream in(At(relative), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    bool Exists(const std::string& relative) const {
        return fs::exists(fs::symlink_status(At(relative)));
    }

    // The names in a folder, sub-folders marked with a trailing "/".
    std::set<std::string> Listing(const std::string& relative) const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(At(relative)))
            names.insert(entry.path().filename().string() +
                         (entry.is_directory() && !entry.is_symlink() ? "/" : ""));
        return names;
    }

    // A budget template: tables, the budget file, a file without extension, sub-folders.
    void MakeTemplate(const std::string& relative) const {
        Write(relative + "/Objects.db", "objects");
        Write(relative + "/OBJECTS.PX", "index");
        Write(relative + "/Objects", "no extension");
        Write(relative + "/Pays.db", "pays");
        Write(relative + "/VLBudget.ini", "[VLBudget]\n");
        Write(relative + "/Images/IMG5/Ёлка 'x'.jpg", "picture");
        fs::create_directories(At(relative + "/Files"));
    }

    QTemporaryDir temp_;
    std::string root_;
};

TEST_F(FileOperations, CopyOfOneEntryByItsTargetKind) {
    Write("src/Küche \"a\".txt", "content");
    Write("dest folder/other.txt");
    struct Case {
        const char* target;
        const char* expected;  // where the copy ends up
    };
    const Case cases[] = {
        {"new/deep/renamed.txt", "new/deep/renamed.txt"},  // a new name, folders made
        {"dest folder", "dest folder/Küche \"a\".txt"},    // an existing folder
        {"into/", "into/Küche \"a\".txt"},                 // a trailing "/"
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        EXPECT_EQ(ShellCopyFiles(At("src/Küche \"a\".txt"), At(c.target), false), kShellOk);
        EXPECT_EQ(Read(c.expected), "content");
    }
    EXPECT_EQ(Read("src/Küche \"a\".txt"), "content");
}

TEST_F(FileOperations, CopyOfATemplateWithWildcardsIntoAFolder) {
    MakeTemplate("EmptyBases");
    EXPECT_EQ(ShellCopyFiles(At("EmptyBases/*.*"), At("budget/"), false), kShellOk);
    EXPECT_EQ(Listing("budget"), Listing("EmptyBases"));
    EXPECT_EQ(Read("budget/Images/IMG5/Ёлка 'x'.jpg"), "picture");

    // "Objects.*" takes every spelling of the table's files and the bare name, nothing else.
    EXPECT_EQ(ShellCopyFiles(At("EmptyBases/objects.*"), At("journal/7"), false), kShellOk);
    EXPECT_EQ(Listing("journal/7"), (std::set<std::string>{"Objects.db", "OBJECTS.PX", "Objects"}));

    // A pattern that matches nothing does nothing.
    EXPECT_EQ(ShellCopyFiles(At("EmptyBases/Files/*.*"), At("empty"), false), kShellOk);
    EXPECT_FALSE(Exists("empty"));
}

TEST_F(FileOperations, CopyReplacesFilesAndMergesFolders) {
    MakeTemplate("EmptyBases");
    Write("budget/Objects.db", "old rows");
    Write("budget/Images/IMG5/kept.jpg", "kept");
    Write("budget/own notes.txt", "mine");
    EXPECT_EQ(ShellCopyFiles(At("EmptyBases/*.*"), At("budget"), false), kShellOk);
    EXPECT_EQ(Read("budget/Objects.db"), "objects");
    EXPECT_EQ(Read("budget/Images/IMG5/kept.jpg"), "kept");
    EXPECT_EQ(Read("budget/own notes.txt"), "mine");

    // A folder named as the target of a folder: the copy carries that name.
    EXPECT_EQ(ShellCopyFiles(At("budget/Images"), At("temp/jTrFiles/12"), false), kShellOk);
    EXPECT_EQ(Read("temp/jTrFiles/12/IMG5/kept.jpg"), "kept");
}

TEST_F(FileOperations, SeveralPairsInOneCall) {
    Write("a.txt", "A");
    Write("b.txt", "B");
    EXPECT_EQ(
        ShellCopyFiles(At("a.txt") + ";" + At("b.txt"), At("x/a2.txt") + ";" + At("y/"), false),
        kShellOk);
    EXPECT_EQ(Read("x/a2.txt"), "A");
    EXPECT_EQ(Read("y/b.txt"), "B");
}

TEST_F(FileOperations, BadListsAreRefusedBeforeAnythingIsCopied) {
    Write("a.txt");
    Write("b.txt");
    fs::create_directories(At("out"));
    struct Case {
        std::string sources, targets;
        int result;
    };
    const Case cases[] = {
        {At("a.txt") + ";" + At("b.txt"), At("out/a"), kShellListLengthsDiffer},
        {At("a.txt"), At("out/a") + ";" + At("out/b"), kShellListLengthsDiffer},
        // an empty entry is an error, not the silent end of the list
        {At("a.txt") + ";;" + At("b.txt"), At("out/a;") + ";" + At("out/b"), EINVAL},
        {At("a.txt") + ";", At("out/a") + ";", EINVAL},
        {"", "", EINVAL},
        {At("a.txt") + ";" + At("missing.txt"), At("out/a") + ";" + At("out/m"), ENOENT},
        {At("a.txt") + ";" + At("missing/*.*"), At("out/a") + ";" + At("out/m"), ENOENT},
        {At("a.txt"), At("a.txt"), EINVAL},
        {At("out"), At("out/inside"), EINVAL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sources + " -> " + c.targets);
        EXPECT_EQ(ShellCopyFiles(c.sources, c.targets, false), c.result);
        EXPECT_TRUE(Listing("out").empty());
    }
}

TEST_F(FileOperations, LinksAreCopiedAsLinks) {
    Write("outside/secret.txt", "secret");
    Write("album/a.jpg");
    fs::create_directory_symlink(At("outside"), At("album/link"));
    EXPECT_EQ(ShellCopyFiles(At("album"), At("copy"), false), kShellOk);
    EXPECT_TRUE(fs::is_symlink(At("copy/link")));
    EXPECT_EQ(fs::read_symlink(At("copy/link")), fs::path(At("outside")));
}

TEST_F(FileOperations, MoveLeavesNothingBehind) {
    MakeTemplate("staging");
    Write("album/Images/IMG5/old.jpg", "old");
    EXPECT_EQ(ShellCopyFiles(At("staging/Objects.db"), At("moved/Objects.db"), true), kShellOk);
    EXPECT_FALSE(Exists("staging/Objects.db"));
    EXPECT_EQ(Read("moved/Objects.db"), "objects");

    // Onto an existing folder the contents merge and the source goes.
    EXPECT_EQ(ShellCopyFiles(At("staging/Images"), At("album/Images"), true), kShellOk);
    EXPECT_FALSE(Exists("staging/Images"));
    EXPECT_EQ(Read("album/Images/IMG5/old.jpg"), "old");
    EXPECT_EQ(Read("album/Images/IMG5/Ёлка 'x'.jpg"), "picture");

    EXPECT_EQ(ShellCopyFiles(At("staging/*.*"), At("rest"), true), kShellOk);
    EXPECT_TRUE(Listing("staging").empty());
    EXPECT_EQ(Listing("rest"), (std::set<std::string>{"OBJECTS.PX", "Objects", "Pays.db",
                                                      "VLBudget.ini", "Files/"}));
}

TEST_F(FileOperations, DeleteFolderWholeOrItsContents) {
    MakeTemplate("temp");
    Write("temp/.hidden");
    EXPECT_EQ(ShellDeleteFolder(At("temp"), false, false), kShellOk);
    EXPECT_TRUE(fs::is_directory(At("temp")));
    EXPECT_TRUE(Listing("temp").empty());

    MakeTemplate("budget");
    EXPECT_EQ(ShellDeleteFolder(At("budget") + "//Images/", true, false), kShellOk);
    EXPECT_FALSE(Exists("budget/Images"));
    EXPECT_TRUE(Exists("budget/Objects.db"));
    EXPECT_EQ(ShellDeleteFolder(At("budget"), true, false), kShellOk);
    EXPECT_FALSE(Exists("budget"));

    EXPECT_EQ(ShellDeleteFolder(At("missing"), true, false), kShellNoFolder);
    EXPECT_EQ(ShellDeleteFolder(At("missing"), false, false), ENOENT);
    Write("file.txt");
    EXPECT_EQ(ShellDeleteFolder(At("file.txt"), true, false), kShellNoFolder);
    EXPECT_TRUE(Exists("file.txt"));
    EXPECT_EQ(ShellDeleteFolder("", false, false), EINVAL);
    EXPECT_EQ(ShellDeleteFolder("", true, false), EINVAL);
}

TEST_F(FileOperations, DeletingNeverReachesThroughLinks) {
    Write("outside/keep.txt", "keep");
    Write("folder/own.txt");
    fs::create_directory_symlink(At("outside"), At("folder/link to outside"));
    fs::create_symlink(At("outside/keep.txt"), At("folder/file link"));
    EXPECT_EQ(ShellDeleteFolder(At("folder"), false, false), kShellOk);
    EXPECT_TRUE(Listing("folder").empty());
    EXPECT_EQ(Read("outside/keep.txt"), "keep");

    fs::create_directory_symlink(At("outside"), At("folder link"));
    EXPECT_EQ(ShellDeleteFolder(At("folder link"), true, false), kShellOk);
    EXPECT_FALSE(Exists("folder link"));
    EXPECT_EQ(Read("outside/keep.txt"), "keep");
}

TEST_F(FileOperations, DeletePathByNameOrPattern) {
    MakeTemplate("jTrFiles/7");
    EXPECT_EQ(ShellDeletePath(At("jTrFiles/7/Objects.*"), false), kShellOk);
    EXPECT_EQ(Listing("jTrFiles/7"),
              (std::set<std::string>{"Pays.db", "VLBudget.ini", "Images/", "Files/"}));
    EXPECT_EQ(ShellDeletePath(At("jTrFiles/7/Objects.*"), false), kShellOk);
    EXPECT_EQ(ShellDeletePath(At("jTrFiles/7/Pays.db"), false), kShellOk);
    EXPECT_EQ(ShellDeletePath(At("jTrFiles/7/Images"), false), kShellOk);
    EXPECT_EQ(Listing("jTrFiles/7"), (std::set<std::string>{"VLBudget.ini", "Files/"}));
    EXPECT_EQ(ShellDeletePath(At("jTrFiles/7/missing.db"), false), ENOENT);
    EXPECT_EQ(ShellDeletePath(At("missing/*.*"), false), ENOENT);
    EXPECT_EQ(ShellDeletePath("", false), EINVAL);
}

TEST_F(FileOperations, RecycleMovesIntoTheTrash) {
    const ScopedHome home(ToStdString(temp_.path()));
    MakeTemplate("files");
    EXPECT_EQ(ShellDeletePath(At("files/Pays.db"), true), kShellOk);
    EXPECT_EQ(ShellDeleteFolder(At("files/Images"), true, true), kShellOk);
    EXPECT_EQ(ShellDeleteFolder(At("files"), false, true), kShellOk);
    EXPECT_TRUE(Listing("files").empty());
    std::set<std::string> trashed;
    for (const auto& entry : fs::directory_iterator(home.TrashFiles()))
        trashed.insert(entry.path().filename().string());
    EXPECT_EQ(trashed, (std::set<std::string>{"Pays.db", "Images", "Objects.db", "OBJECTS.PX",
                                              "Objects", "VLBudget.ini", "Files"}));
    EXPECT_EQ(ShellDeletePath(At("files/missing"), true), ENOENT);
}

TEST_F(FileOperations, ForceFolderPathCreatesEveryLevelAndReportsFailure) {
    Write("a b/existing.txt", "stays");
    EXPECT_TRUE(ForceFolderPath(At("a b/Küche/'c'/")));
    EXPECT_TRUE(fs::is_directory(At("a b/Küche/'c'")));
    EXPECT_EQ(Read("a b/existing.txt"), "stays");
    EXPECT_TRUE(ForceFolderPath(At("a b/Küche")));

    // A file where a folder should be: the path cannot be made, and the caller hears of it.
    EXPECT_FALSE(ForceFolderPath(At("a b/existing.txt/deeper")));
    EXPECT_EQ(Read("a b/existing.txt"), "stays");
    EXPECT_FALSE(ForceFolderPath(""));
}

TEST_F(FileOperations, SpecialFoldersAndTheTempFolderFallback) {
    const ScopedEnv users("VEMLY_USERS_DIR", At("docs")), data("VEMLY_DATA_DIR", At("data/"));
    EXPECT_EQ(GetMyDocumentsFolder(), At("docs"));
    EXPECT_EQ(GetCommonAppDataFolder(), At("data"));
    {
        const ScopedEnv tmp("VEMLY_TMP_DIR", At("tmp"));
        EXPECT_EQ(GetTempFolder(), At("tmp/"));
    }
    const ScopedEnv noOverride("VEMLY_TMP_DIR", std::nullopt);
    {
        const ScopedEnv tmpdir("TMPDIR", At("system tmp"));
        EXPECT_EQ(GetTempFolder(), At("system tmp/"));
    }
    // Unset, the temp folder is the system's, never the root.
    const ScopedEnv tmpdir("TMPDIR", std::nullopt);
    EXPECT_EQ(GetTempFolder(), "/tmp/");
}

TEST(PathText, CollapseBackslashesReducesRunsOfSeparators) {
    const std::pair<const char*, const char*> cases[] = {{"/home//u///x", "/home/u/x"},
                                                         {"//srv/share", "/srv/share"},
                                                         {"a", "a"},
                                                         {"", ""},
                                                         {"Kü//che\\\\x/", "Kü/che\\\\x/"}};
    for (const auto& [path, expected] : cases) EXPECT_EQ(CollapseBackslashes(path), expected);
}

TEST(PathText, IntToTextGivesPlainDecimals) {
    const std::pair<int32_t, const char*> cases[] = {
        {-42, "-42"}, {0, "0"}, {7, "7"}, {INT32_MIN, "-2147483648"}, {INT32_MAX, "2147483647"}};
    for (const auto& [value, expected] : cases) EXPECT_EQ(IntToText(value), expected);
}

}  // namespace
