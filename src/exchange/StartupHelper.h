// The work of the start-up helper VLStartup: the daily backups and the pending request, and one
// message box for what could not be done.
#pragma once

#include <memory>
#include <string>

#include "platform/Dates.h"
#include "shell/MainState.h"

class QLockFile;

// The helper touches budgets only while no other copy of the program can: the program's lock
// in the users-data folder is held by the helper's parent (the program that started it and
// waits for it) or, when it is free or left by a copy that no longer runs, taken here and
// returned in `own` to be held until the helper ends. False when another process holds it (or
// the lock file cannot be written).
bool MayRunStartupWork(const std::string& usersDataPath, std::unique_ptr<QLockFile>& own);

// Makes the daily backups and carries out the pending request. When something failed, one box
// names each failure with its reason; while a request is still pending and the budget was left
// as it was, the box asks whether to drop it (Yes) or keep it for the next start (No, or the box
// closed). A request whose work was done or begun (not cleared, a recovery not put in place, a
// deletion not taken out of the list) is kept without a question, for the next start to finish. The helper's exit code: 0
// when everything was done, 1 otherwise.
int RunStartupWork(const TMainState& state, TDateTime now);
