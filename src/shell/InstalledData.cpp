// The installed data brought into the user's data folder and users-data folder at every start.
#include "shell/InstalledData.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The entry of the installed data that is the template of the users-data folder.
constexpr const char* kUsersDataEntry = "UsersData";

fs::path WithoutSlash(const std::string& folder) {
    fs::path path(folder);
    return path.has_filename() ? path : path.parent_path();
}

// A name beside `to` that only this process uses while it works.
fs::path Beside(const fs::path& to, const char* purpose) {
    return to.string() + "." + purpose + "-" + std::to_string(getpid());
}

bool Exists(const fs::path& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

// Copies the folder `from` (without the entry named `skip`) to `to` through a staging folder
// beside it that then takes the name, so that an interrupted copy never stands under the real
// name. An existing `to` is set aside first and removed once the copy stands, or put back when
// it could not take its place. When `to` appears meanwhile (another copy of the program started
// at once did the same), that one stays. True when `to` is the copy.
bool CopyFolderInPlace(const fs::path& from, const fs::path& to, const std::string& skip) {
    std::error_code error;
    if (!fs::is_directory(from, error)) return false;
    const fs::path staging = Beside(to, "part");
    fs::remove_all(staging, error);
    fs::create_directories(staging, error);
    if (error) return false;
    for (const fs::directory_entry& entry : fs::directory_iterator(from, error)) {
        if (entry.path().filename() == skip) continue;
        fs::copy(entry.path(), staging / entry.path().filename(), fs::copy_options::recursive,
                 error);
        if (error) break;
    }
    const fs::path old = Beside(to, "old");
    const bool replacing = !error && Exists(to);
    if (replacing) fs::rename(to, old, error);
    if (!error) fs::rename(staging, to, error);
    const bool copied = !error;
    if (replacing && !copied) fs::rename(old, to, error);
    fs::remove_all(copied ? old : staging, error);
    return copied;
}

// Copies a file through a staging name beside the target, so that an interrupted copy never
// stands under the real name (and would be taken for a complete file at the next start).
void CopyFileInPlace(const fs::path& from, const fs::path& to) {
    std::error_code error;
    const fs::path staging = Beside(to, "part");
    fs::copy_file(from, staging, fs::copy_options::overwrite_existing, error);
    if (!error) fs::rename(staging, to, error);
    if (error) fs::remove(staging, error);
}

// Copies into `to` every entry of `from` that `to` lacks, at any depth; entries it has stay.
void CopyMissing(const fs::path& from, const fs::path& to, const std::vector<std::string>& skip) {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(from, error)) {
        const std::string name = entry.path().filename().string();
        if (std::find(skip.begin(), skip.end(), name) != skip.end()) continue;
        const fs::path target = to / name;
        const bool folder = entry.is_directory(error);
        if (!Exists(target)) {
            if (folder)
                CopyFolderInPlace(entry.path(), target, "");
            else
                CopyFileInPlace(entry.path(), target);
        } else if (folder && fs::is_directory(fs::symlink_status(target, error))) {
            CopyMissing(entry.path(), target, {});
        }
    }
}

// The first line of a version file, or empty.
std::string ReadVersion(const fs::path& file) {
    std::ifstream in(file);
    std::string version;
    std::getline(in, version);
    while (!version.empty() && (version.back() == '\r' || version.back() == ' '))
        version.pop_back();
    return version;
}

// Replaces the language modules that the installed data ships and EmptyBases by the installed
// ones; true when every one was replaced.
bool RefreshPackageFolders(const fs::path& installed, const fs::path& data) {
    std::error_code error;
    bool all = true;
    for (const fs::directory_entry& entry : fs::directory_iterator(installed, error)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_directory(error) || (name.rfind("Lang", 0) != 0 && name != "EmptyBases"))
            continue;
        all = CopyFolderInPlace(entry.path(), data / name, "") && all;
    }
    return all && !error;
}

}  // namespace

int CompareVersions(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return static_cast<int>(!a.empty()) - static_cast<int>(!b.empty());
    std::istringstream left(a), right(b);
    while (left || right) {
        long x = 0, y = 0;
        std::string part;
        if (std::getline(left, part, '.')) x = std::strtol(part.c_str(), nullptr, 10);
        if (std::getline(right, part, '.')) y = std::strtol(part.c_str(), nullptr, 10);
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

void BringInstalledData(const std::string& installed, const std::string& dataPath,
                        const std::string& usersDataPath) {
    const fs::path from = WithoutSlash(installed);
    const fs::path data = WithoutSlash(dataPath);
    const fs::path usersData = WithoutSlash(usersDataPath);
    std::error_code error;
    if (!fs::is_directory(from, error)) return;

    if (!Exists(usersData)) {
        fs::create_directories(usersData.parent_path(), error);
        CopyFolderInPlace(from / kUsersDataEntry, usersData, "");
    }
    if (!Exists(data)) {
        fs::create_directories(data.parent_path(), error);
        CopyFolderInPlace(from, data, kUsersDataEntry);
        return;
    }
    const std::string version = ReadVersion(from / kDataVersionFile);
    if (CompareVersions(version, ReadVersion(data / kDataVersionFile)) > 0 &&
        RefreshPackageFolders(from, data))
        CopyFileInPlace(from / kDataVersionFile, data / kDataVersionFile);
    CopyMissing(from, data, {kUsersDataEntry, kDataVersionFile});
}
