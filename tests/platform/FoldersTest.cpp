// The special folders with and without their overrides, and the trash.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <string>

#include "common/ScopedEnv.h"
#include "common/ScopedHome.h"
#include "platform/Folders.h"
#include "platform/Text.h"

namespace {

// A home and a temp folder of the test's own, no override set.
class SpecialFolders : public ::testing::Test {
protected:
    std::string Root() const { return ToStdString(root_.path()); }

    QTemporaryDir root_;
    ScopedHome home_{Root()};
    ScopedEnv tmp_{"TMPDIR", Root() + "/tmp"};
    ScopedEnv users_{"VEMLY_USERS_DIR", std::nullopt};
    ScopedEnv dataDir_{"VEMLY_DATA_DIR", std::nullopt};
    ScopedEnv tmpDir_{"VEMLY_TMP_DIR", std::nullopt};
};

TEST_F(SpecialFolders, SystemFoldersWithoutOverrides) {
    EXPECT_EQ(DocumentsFolder(), Root() + "/home/Documents");
    EXPECT_EQ(CommonAppDataFolder(), Root() + "/home/.local/share/vemly");
    EXPECT_EQ(TempFolder(), Root() + "/tmp");
}

TEST_F(SpecialFolders, EmptyOverridesCountAsUnset) {
    const ScopedEnv users("VEMLY_USERS_DIR", ""), data("VEMLY_DATA_DIR", ""),
        tmp("VEMLY_TMP_DIR", "");
    EXPECT_EQ(DocumentsFolder(), Root() + "/home/Documents");
    EXPECT_EQ(CommonAppDataFolder(), Root() + "/home/.local/share/vemly");
    EXPECT_EQ(TempFolder(), Root() + "/tmp");
}

TEST_F(SpecialFolders, OverridesWinAndLoseTheirTrailingSlash) {
    const std::string odd = Root() + "/Bud get \"Küche\" 'ё'";
    const ScopedEnv users("VEMLY_USERS_DIR", odd + "/docs/"), data("VEMLY_DATA_DIR", odd + "/data"),
        tmp("VEMLY_TMP_DIR", odd + "/tmp//");
    EXPECT_EQ(DocumentsFolder(), odd + "/docs");
    EXPECT_EQ(CommonAppDataFolder(), odd + "/data");
    EXPECT_EQ(TempFolder(), odd + "/tmp");
}

TEST_F(SpecialFolders, UnsetTempVariableMeansTheSystemTempFolder) {
    const ScopedEnv tmp("TMPDIR", std::nullopt);
    EXPECT_EQ(TempFolder(), "/tmp");
}

TEST_F(SpecialFolders, ProgramFolderIsTheExecutablesFolderUnlessOverridden) {
    {
        const ScopedEnv program("VEMLY_PROGRAM_DIR", std::nullopt);
        EXPECT_EQ(ProgramFolder(), ToStdString(QCoreApplication::applicationDirPath()));
    }
    const ScopedEnv program("VEMLY_PROGRAM_DIR", Root() + "/prefix/bin/");
    EXPECT_EQ(ProgramFolder(), Root() + "/prefix/bin");
}

TEST_F(SpecialFolders, TrashTakesFilesAndFoldersIntoTheUsersTrash) {
    const QString source = ToQString(Root() + "/Bud get \"Küche\"");
    ASSERT_TRUE(QDir().mkpath(source + "/Images"));
    QFile file(source + "/Images/Ёлка 'x'.jpg");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    ASSERT_TRUE(MoveToTrash(ToStdString(file.fileName())));
    EXPECT_FALSE(file.exists());
    const QString trash = ToQString(home_.TrashFiles() + "/");
    EXPECT_TRUE(QFile::exists(trash + "Ёлка 'x'.jpg"));

    ASSERT_TRUE(MoveToTrash(ToStdString(source + "/Images")));
    EXPECT_FALSE(QDir(source + "/Images").exists());
    EXPECT_TRUE(QDir(trash + "Images").exists());

    EXPECT_FALSE(MoveToTrash(ToStdString(source + "/missing")));
}

// Mend: on an account without ~/.local/share no trash could be made, and every deletion asked
// to delete for good. The missing folders are made, private to the user, and the move goes on.
TEST_F(SpecialFolders, TheTrashIsMadeWhereTheDataFolderIsMissing) {
    ASSERT_TRUE(QDir(ToQString(home_.Path() + "/.local")).removeRecursively());
    QFile file(ToQString(Root() + "/a.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    ASSERT_TRUE(MoveToTrash(ToStdString(file.fileName())));
    EXPECT_FALSE(file.exists());
    EXPECT_TRUE(QFile::exists(ToQString(home_.TrashFiles() + "/a.txt")));
    for (const char* made : {"/.local", "/.local/share"}) {
        SCOPED_TRACE(made);
        struct stat info {};
        ASSERT_EQ(stat((home_.Path() + made).c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
    }
}

// Where no trash can be made, the file stays where it was: nothing lands in the working folder.
TEST_F(SpecialFolders, WithoutATrashTheFileStays) {
    const QString folder = ToQString(Root() + "/collection");
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile file(folder + "/a b.txt");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    QFile blocker(ToQString(home_.Path() + "/.local/share/Trash"));  // a file, not the trash
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString work = ToQString(Root() + "/work");
    ASSERT_TRUE(QDir().mkpath(work));
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(work));
    const bool moved = MoveToTrash(ToStdString(file.fileName()));
    QDir::setCurrent(before);
    EXPECT_FALSE(moved);
    EXPECT_TRUE(file.exists());
    EXPECT_TRUE(QDir(work).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        << ToStdString(QDir(work).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).join(' '));
}

}  // namespace
