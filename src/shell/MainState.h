// The main window's state without the window: folders, the open budget, the selected node,
// guard flags, the content frames' reload marks and the texts read at start.
#pragma once

#include <memory>
#include <optional>
#include <string>

class QLockFile;

// The name of the program's own temp folder inside the system's temp folder: "VemlyTEMP-" and
// the user's number, so that the users of one machine never share one.
std::string TempFolderName();

// The content frames that keep what they loaded and reload only when their mark differs.
enum class TShownMark { Images, Files, Number, Pay };

// The mark of the frame that shows the nodes of the ObjectType: images, files, number and pay;
// none for the other types, whose frames fill themselves at every show.
std::optional<TShownMark> ShownMarkOf(int type);

// The help file's name in the language folder.
inline constexpr char kHelpFileName[] = "VemlyHelp.html";
// The lock file in the users-data folder that the running program holds (one copy at a time;
// the restart helper waits for its release).
inline constexpr char kLockFileName[] = "vemly.lock";

// The single-copy lock file in the users-data folder (not yet taken). A lock whose holder no
// longer runs (a crash) counts as free: its stale time is 0.
std::unique_ptr<QLockFile> MakeCopyLock(const std::string& usersDataPath);

// One instance, owned by the main window (TfMain::State()); window-free code reads it through
// the services (ShellServices().State()). Only the main window, its start-up and its dialogs
// write it; the reload marks are reset through TShellServices::ResetShownMark.
struct TMainState {
    // Folders, each ending with "/" except ExportPath.
    std::string ProgramPath;    // the folder of the executable: the helper programs
    std::string DataPath;       // vemly.ini, fcharset.cfg, EmptyBases, Templates/, Lang*/
    std::string UsersDataPath;  // the budget list, the settings, the default backup folder
    std::string TempPath;       // the program's own temp folder, ".../VemlyTEMP-<uid>/"
    std::string TemplatesPath;
    std::string ExportPath;
    std::string BackupPath;  // vemly.ini [Common] BACKUP
    std::string LangPath;    // DataPath + [Common] VLLang + "/"
    std::string HelpFile;    // LangPath + kHelpFileName

    // Closing skips the close dialog (a fatal error, a second copy, the setup run).
    bool FatalClose = false;
    // Closing starts the restart helper in the program's place.
    bool RestartRequested = false;

    // Texts of the language module read at start: the busy texts, the node texts of every
    // calendar and log node, and the separator of names in object paths.
    std::string MesPrepare, MesLoad, MesProcessing;
    std::string CalendarCaption, LogCaption;
    std::string NamesSep;

    // The open budget: folder, budget list ID (-1 until the first selection opens one), name,
    // description and State (0 running, anything else stopped).
    std::string BudgetPath;
    int IDBudget = -1;
    std::string BudgetName;
    std::string BudgetDescript;
    int BudgetState = 0;

    // The selected node: object ID (0 for a root) and ObjectType (-1 while none is selected).
    int IDObject = 0;
    int TypeObject = -1;
    // A selection change or a tree rebuild is running.
    bool TreeChanging = false;
    bool TreeRebuilding = false;

    // Reload marks of the content frames: the object (ID and budget folder) each frame holds;
    // an ID of -1 makes the frame reload at its next show.
    int ImagesShownID = -1;
    std::string ImagesShownPath;
    int FilesShownID = -1;
    std::string FilesShownPath;
    int NumberShownID = -1;
    std::string NumberShownPath;
    int PayShownID = -1;
    std::string PayShownPath;

    // Sets the mark's ID to -1: the frame reloads at its next show.
    void ResetShownMark(TShownMark mark);
    // True when the mark names the object `id` of the budget folder: its frame holds it.
    bool IsShown(TShownMark mark, int id, const std::string& path) const;
    // The frame has loaded the object `id` of the budget folder.
    void SetShown(TShownMark mark, int id, const std::string& path);
};

// Makes the temp folder (path ending with "/") when it is missing, one level, for its user
// alone; a failure to make it is not reported (later uses of the folder fail). Then checks the
// folder there, which holds copies of the user's books and files the program opens: returns
// empty when it is a folder of this user alone, else the fatal text naming the folder and why
// it is refused (a link, not a folder, another user's, or open to other users).
std::string MakeTempFolder(const std::string& path);

// The folders that every program of the package finds the same way: the program, data,
// users-data, temp, templates and export folders (none of them made).
void SetProgramFolders(TMainState& state);
// The folders that the data folder's vemly.ini configures: [Common] BACKUP (default the
// users-data folder's "BACKUP") and the language folder [Common] VLLang with its help file.
void ReadConfiguredFolders(TMainState& state);

// Deletes everything inside the state's temp folder (the folder stays), without asking and not
// into the trash; returns 0 or the error of the deletion. Only the program's own temp folder is
// ever emptied: a TempPath that does not end in a folder named TempFolderName() that is this
// user's alone (not a link, another user's or open to others) is left alone and the answer is
// EINVAL.
int ClearTempFolder(const TMainState& state);
