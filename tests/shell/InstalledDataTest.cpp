// The installed data brought into the data folder and users-data folder at every start.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>

#include "common/TestFolders.h"
#include "shell/InstalledData.h"

namespace fs = std::filesystem;

namespace {

void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::trunc) << text;
}

std::optional<std::string> Read(const fs::path& file) {
    std::ifstream in(file);
    if (!in) return std::nullopt;
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Installed data of a version, a data folder and a users-data folder in a folder of the test's
// own.
class InstalledDataTest : public ::testing::Test {
protected:
    InstalledDataTest() {
        Write(installed / "vemly.version", "0.2\n");
        Write(installed / "vemly.ini", "[Common]\nVLLang=LangEN\n");
        Write(installed / "fcharset.cfg", "installed charsets");
        Write(installed / "LangEN/Main.lng", "[Main]\nMesLoad=Loading ...\n");
        Write(installed / "LangEN/Folder.lng", "[Folder]\n");
        Write(installed / "EmptyBases/tables.sqlite", "new tables");
        Write(installed / "Templates/Reports/report.rtf", "template");
        Write(installed / "UsersData/tables.sqlite", "empty budget list");
    }

    void Bring() const {
        BringInstalledData(installed.string() + "/", data.string() + "/", users.string() + "/");
    }

    // A data folder as an earlier version left it, recording that version (none: no file).
    void OlderDataFolder(const std::optional<std::string>& version) const {
        if (version) Write(data / "vemly.version", *version + "\n");
        Write(data / "vemly.ini", "[Common]\nVLLang=LangEN\nBACKUP=/mine\n");
        Write(data / "fcharset.cfg", "the user's charsets");
        Write(data / "LangEN/Main.lng", "[Main]\nMesLoad=Old loading\n");
        Write(data / "LangEN/Old.lng", "dropped by the new version");
        Write(data / "LangDE/Main.lng", "a module the user added");
        Write(data / "EmptyBases/tables.sqlite", "old tables");
        Write(data / "EmptyBases/tables.sqlite-wal", "old log");
        Write(data / "Templates/Reports/mine.rtf", "the user's template");
        Write(data / "notes.txt", "the user's file");
    }

    TestFolders folders;
    const fs::path installed = folders.Root() + "/prefix/share/vemly";
    const fs::path data = folders.Root() + "/new/appdata";
    const fs::path users = folders.Root() + "/new/documents/VemlyUsersData";
};

// On a new machine both folders are made from the installed data, the users-data folder from
// its "UsersData", and the data folder records the installed version.
TEST_F(InstalledDataTest, ANewMachineGetsBothFoldersWhole) {
    Bring();
    EXPECT_EQ(Read(data / "LangEN/Main.lng"), "[Main]\nMesLoad=Loading ...\n");
    EXPECT_EQ(Read(data / "Templates/Reports/report.rtf"), "template");
    EXPECT_EQ(Read(data / "vemly.version"), "0.2\n");
    EXPECT_FALSE(fs::exists(data / "UsersData"));
    EXPECT_EQ(Read(users / "tables.sqlite"), "empty budget list");
    // Nothing of the work is left beside them.
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(data.parent_path()))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"appdata", "documents"}));
}

// At every start the data folder gets what the installed data has and it lacks; the package's
// own language modules and EmptyBases are replaced only when the installed version is newer
// than the recorded one. The user's files, vemly.ini and fcharset.cfg and language modules
// that the package does not ship are never touched.
TEST_F(InstalledDataTest, AnExistingDataFolderGetsWhatItLacksAndNewerModules) {
    struct Case {
        const char* name;
        const char* installedVersion;
        std::optional<std::string> recorded;
        bool refreshed;
    };
    for (const Case& c : {Case{"no version recorded", "0.2", std::nullopt, true},
                          Case{"older version recorded", "0.2", "0.1", true},
                          Case{"0.10 recorded, 0.9 installed", "0.9", "0.10", false},
                          Case{"same version", "0.2", "0.2", false},
                          Case{"newer version recorded", "0.2", "0.3", false}}) {
        SCOPED_TRACE(c.name);
        fs::remove_all(data);
        fs::create_directories(users);
        Write(installed / "vemly.version", std::string(c.installedVersion) + "\n");
        OlderDataFolder(c.recorded);
        Bring();
        // What the data folder lacked came in.
        EXPECT_EQ(Read(data / "LangEN/Folder.lng"), "[Folder]\n");
        EXPECT_EQ(Read(data / "Templates/Reports/report.rtf"), "template");
        // The user's own stays.
        EXPECT_EQ(Read(data / "vemly.ini"), "[Common]\nVLLang=LangEN\nBACKUP=/mine\n");
        EXPECT_EQ(Read(data / "fcharset.cfg"), "the user's charsets");
        EXPECT_EQ(Read(data / "Templates/Reports/mine.rtf"), "the user's template");
        EXPECT_EQ(Read(data / "notes.txt"), "the user's file");
        EXPECT_EQ(Read(data / "LangDE/Main.lng"), "a module the user added");
        EXPECT_FALSE(fs::exists(users / "tables.sqlite"));
        // The package's own modules and EmptyBases: replaced whole, or left as they were.
        if (c.refreshed) {
            EXPECT_EQ(Read(data / "LangEN/Main.lng"), "[Main]\nMesLoad=Loading ...\n");
            EXPECT_FALSE(fs::exists(data / "LangEN/Old.lng"));
            EXPECT_EQ(Read(data / "EmptyBases/tables.sqlite"), "new tables");
            EXPECT_FALSE(fs::exists(data / "EmptyBases/tables.sqlite-wal"));
            EXPECT_EQ(Read(data / "vemly.version"), Read(installed / "vemly.version"));
        } else {
            EXPECT_EQ(Read(data / "LangEN/Main.lng"), "[Main]\nMesLoad=Old loading\n");
            EXPECT_EQ(Read(data / "EmptyBases/tables.sqlite-wal"), "old log");
            EXPECT_EQ(Read(data / "vemly.version"),
                      c.recorded ? std::optional(*c.recorded + "\n") : std::nullopt);
        }
        // Nothing of the work is left beside the folders.
        for (const fs::path& folder : {data, data / "LangEN", data / "EmptyBases"})
            for (const fs::directory_entry& entry : fs::directory_iterator(folder))
                EXPECT_EQ(entry.path().filename().string().find(".part-"), std::string::npos);
        EXPECT_FALSE(fs::exists(data.string() + "/LangEN.old-" + std::to_string(getpid())));
    }
}

// A users-data folder that lost its tables keeps that loss: the start-up checks report it
// rather than a new empty budget list hiding it. Without installed data nothing happens.
TEST_F(InstalledDataTest, AnExistingUsersDataFolderAndNoInstalledDataAreLeftAlone) {
    fs::create_directories(users);
    fs::create_directories(data);
    Bring();
    EXPECT_FALSE(fs::exists(users / "tables.sqlite"));

    fs::remove_all(installed);
    fs::remove_all(data);
    fs::remove_all(users);
    Bring();
    EXPECT_FALSE(fs::exists(data));
    EXPECT_FALSE(fs::exists(users));
}

TEST(CompareVersions, ComparesNumberByNumber) {
    struct Case {
        const char* a;
        const char* b;
        int expected;
    };
    for (const Case& c : {Case{"0.2", "0.1", 1}, Case{"0.9", "0.10", -1}, Case{"1.0", "1", 0},
                          Case{"1.0.1", "1.0", 1}, Case{"2", "10", -1}, Case{"", "0.1", -1},
                          Case{"0.1", "", 1}, Case{"", "", 0}}) {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        const int result = CompareVersions(c.a, c.b);
        EXPECT_EQ((result > 0) - (result < 0), c.expected);
    }
}

}  // namespace
