// The main window's state without the window: folders, the open budget, the selected node,
// guard flags, the content frames' reload marks and the texts read at start.
#include "shell/MainState.h"

#include <cerrno>
#include <filesystem>

#include "store/U_fileoperation.h"

void TMainState::ResetShownMark(TShownMark mark) {
    switch (mark) {
        case TShownMark::Images:
            ImagesShownID = -1;
            break;
        case TShownMark::Files:
            FilesShownID = -1;
            break;
        case TShownMark::Number:
            NumberShownID = -1;
            break;
        case TShownMark::Pay:
            PayShownID = -1;
            break;
    }
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
