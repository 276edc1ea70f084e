// The user's special folders and the recycle bin (the freedesktop trash).
#pragma once

#include <string>

// Each folder is returned without a trailing "/". An environment variable that is set and not
// empty overrides the system's answer (tests use them to work in folders of their own):
//   DocumentsFolder       VEMLY_USERS_DIR, else the XDG documents folder (~/Documents);
//                         empty when the system names none
//   CommonAppDataFolder   VEMLY_DATA_DIR, else $XDG_DATA_HOME/vemly (~/.local/share/vemly)
//   TempFolder            VEMLY_TMP_DIR, else $TMPDIR, else /tmp
//   ProgramFolder         VEMLY_PROGRAM_DIR, else the folder of the running executable (it
//                         holds the helper programs; the installed data lies in
//                         ../share/vemly beside it)
// The variables are read at every call.
std::string DocumentsFolder();
std::string CommonAppDataFolder();
std::string TempFolder();
std::string ProgramFolder();

// Moves a file or a folder with its contents into the user's trash, from where the desktop
// can restore it. False when it could not be moved (the path is left as it was), also when no
// trash can be made for it.
bool MoveToTrash(const std::string& path);
