// Temporary program folders for a test: data, users-data and temp folders and budget folders,
// made from the tables that the build generates, and removed afterwards.
#include "common/TestFolders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

void CopyFolder(const fs::path& from, const fs::path& to) {
    fs::create_directories(to);
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

}  // namespace

std::string TestFolders::GeneratedEmptyBases() {
    return VEMLY_GENERATED_DIR "/EmptyBases";
}

std::string TestFolders::GeneratedUsersData() {
    return VEMLY_GENERATED_DIR "/UsersData";
}

TestFolders::TestFolders()
    : saved_{{"VEMLY_DATA_DIR", false, {}},
             {"VEMLY_USERS_DIR", false, {}},
             {"VEMLY_TMP_DIR", false, {}}} {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        (tmp != nullptr && *tmp != '\0' ? std::string(tmp) : std::string("/tmp")) +
        "/vemly \"test\" 'Ä'-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("Cannot make a test folder from " + pattern);
    root_ = pattern;

    const std::string folders[3] = {root_ + "/appdata", root_ + "/documents", root_ + "/tmp"};
    for (int i = 0; i < 3; ++i) {
        if (const char* value = std::getenv(saved_[i].name)) {
            saved_[i].set = true;
            saved_[i].value = value;
        }
        setenv(saved_[i].name, folders[i].c_str(), 1);
    }
    if (fs::exists(VEMLY_SOURCE_DATA_DIR)) CopyFolder(VEMLY_SOURCE_DATA_DIR, DataPath());
    CopyFolder(GeneratedEmptyBases(), DataPath() + "EmptyBases");
    CopyFolder(GeneratedUsersData(), UsersDataPath());
    fs::create_directories(root_ + "/tmp");
    mkdir(TempPath().c_str(), S_IRWXU);
}

TestFolders::~TestFolders() {
    for (const TSaved& saved : saved_) {
        if (saved.set)
            setenv(saved.name, saved.value.c_str(), 1);
        else
            unsetenv(saved.name);
    }
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

std::string TestFolders::DataPath() const {
    return root_ + "/appdata/";
}

std::string TestFolders::UsersDataPath() const {
    return root_ + "/documents/VemlyUsersData/";
}

std::string TestFolders::TempPath() const {
    return root_ + "/tmp/VemlyTEMP-" + std::to_string(geteuid()) + "/";
}

std::string TestFolders::MakeBudget(const std::string& name) const {
    const std::string folder = UsersDataPath() + name;
    CopyFolder(GeneratedEmptyBases(), folder);
    return folder;
}
