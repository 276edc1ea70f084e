// The main window's state without the window: folders, the open budget, the selected node,
// guard flags, the content frames' reload marks and the texts read at start.
#include "shell/MainState.h"

#include <cerrno>
#include <filesystem>

#include "shell/ObjectIndex.h"
#include "store/U_fileoperation.h"

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

int ClearTempFolder(const TMainState& state) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(state.TempPath).parent_path();
    std::error_code error;
    if (folder.filename() != kTempFolderName || fs::is_symlink(folder, error) ||
        !fs::is_directory(folder, error))
        return EINVAL;
    return ShellDeleteFolder(state.TempPath, false, false);
}
