// The composition of the main window's frames: every frame registered by its node type.
#include "shell/MainFrames.h"

#include "shell/U_formmain.h"
#include "shell/U_frfolder.h"
#include "store/U_frlog.h"

void RegisterMainFrames(TfMain& main) {
    RegisterLogFrame(main.Frames(), *main.PanelFrames, main.ImageListTree, main.MemoColor);
    RegisterFolderFrame(main.Frames(), *main.PanelFrames, main.ImageListTree);
}
