// The composition of the main window's frames: every frame registered by its node type.
#pragma once

class TfMain;

// Makes every frame of the program in the main window's frame panel and registers it, in the
// order in which the load phase reads their texts (the journal view, the calendar, the folder,
// the table, images, files, number and pay frames, as they exist). The program calls it once,
// after making the main window and before showing it; tests of the frame switch register frames
// of their own instead.
void RegisterMainFrames(TfMain& main);
