// The main window's state without the window: folders, the open budget, the selected node,
// guard flags, the content frames' reload marks and the texts read at start.
#include "shell/MainState.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include <QLockFile>
#include <QString>

#include "platform/Folders.h"
#include "platform/IniFile.h"
#include "shell/ObjectIndex.h"
#include "store/U_fileoperation.h"

std::unique_ptr<QLockFile> MakeCopyLock(const std::string& usersDataPath) {
    auto lock = std::make_unique<QLockFile>(QString::fromStdString(usersDataPath + kLockFileName));
    lock->setStaleLockTime(0);
    return lock;
}

std::optional<TShownMark> ShownMarkOf(int type) {
    switch (type) {
        case otImages:
            return TShownMark::Images;
        case otFiles:
            return TShownMark::Files;
        case otNumber:
            return TShownMark::Number;
        case otPay:
            return TShownMark::Pay;
        default:
            return std::nullopt;
    }
}

namespace {

// The mark's ID and budget folder in the state (const or not).
template <class State>
auto Mark(State& state, TShownMark mark) {
    switch (mark) {
        case TShownMark::Images:
            return std::pair{&state.ImagesShownID, &state.ImagesShownPath};
        case TShownMark::Files:
            return std::pair{&state.FilesShownID, &state.FilesShownPath};
        case TShownMark::Number:
            return std::pair{&state.NumberShownID, &state.NumberShownPath};
        case TShownMark::Pay:
            break;
    }
    return std::pair{&state.PayShownID, &state.PayShownPath};
}

}  // namespace

void TMainState::ResetShownMark(TShownMark mark) {
    *Mark(*this, mark).first = -1;
}

bool TMainState::IsShown(TShownMark mark, int id, const std::string& path) const {
    const auto [shownId, shownPath] = Mark(*this, mark);
    return *shownId == id && *shownPath == path;
}

void TMainState::SetShown(TShownMark mark, int id, const std::string& path) {
    const auto [shownId, shownPath] = Mark(*this, mark);
    *shownId = id;
    *shownPath = path;
}

namespace {

// Why the folder may not be this user's temp folder, or empty when it may. The entry itself is
// looked at, never what a link points to.
std::string TempFolderRefusal(const std::string& folder) {
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0) return "does not exist";
    if (S_ISLNK(info.st_mode)) return "is a link";
    if (!S_ISDIR(info.st_mode)) return "is not a folder";
    if (info.st_uid != geteuid()) return "belongs to another user";
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0) return "is open to other users";
    return {};
}

std::string WithoutSlash(const std::string& path) {
    return path.size() > 1 && path.back() == '/' ? path.substr(0, path.size() - 1) : path;
}

}  // namespace

std::string TempFolderName() {
    return "VemlyTEMP-" + std::to_string(geteuid());
}

std::string MakeTempFolder(const std::string& path) {
    const std::string folder = WithoutSlash(path);
    if (mkdir(folder.c_str(), S_IRWXU) != 0 && errno != EEXIST) return {};
    const std::string refusal = TempFolderRefusal(folder);
    if (refusal.empty()) return {};
    return "Fatal error ! The temp folder '" + folder + "' " + refusal +
           ": the program uses only a folder of its user alone.";
}

int ClearTempFolder(const TMainState& state) {
    const std::string folder = WithoutSlash(state.TempPath);
    if (std::filesystem::path(folder).filename() != TempFolderName() ||
        !TempFolderRefusal(folder).empty())
        return EINVAL;
    return ShellDeleteFolder(state.TempPath, false, false);
}

void SetProgramFolders(TMainState& state) {
    state.ProgramPath = ProgramFolder() + "/";
    state.DataPath = GetCommonAppDataFolder() + "/";
    state.UsersDataPath = GetMyDocumentsFolder() + "/VemlyUsersData/";
    state.TempPath = GetTempFolder() + TempFolderName() + "/";
    state.TemplatesPath = state.DataPath + "Templates/";
    state.ExportPath = GetMyDocumentsFolder() + "/VemlyExport";
}

void ReadConfiguredFolders(TMainState& state) {
    const TIniFile ini(state.DataPath + "vemly.ini");
    state.BackupPath = ini.ReadString("Common", "BACKUP", state.UsersDataPath + "BACKUP");
    state.LangPath = state.DataPath + ini.ReadString("Common", "VLLang", "") + "/";
    state.HelpFile = state.LangPath + kHelpFileName;
}
