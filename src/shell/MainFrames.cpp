// The composition of the main window's frames: every frame registered by its node type.
#include "shell/MainFrames.h"

#include "shell/U_formmain.h"
#include "shell/U_frfolder.h"

void RegisterMainFrames(TfMain& main) {
    RegisterFolderFrame(main.Frames(), *main.PanelFrames, main.ImageListTree);
}
