// The installed data brought into the user's data folder and users-data folder at every start.
#pragma once

#include <string>

// The file that holds the version of the data, in the installed data (the project's version
// when it was built) and in the data folder (the version last brought in).
constexpr const char* kDataVersionFile = "vemly.version";

// Brings the installed data (<prefix>/share/vemly, whose "UsersData" is the template of the
// users-data folder) into the data folder and the users-data folder (paths ending with "/"):
// - A data folder or users-data folder that does not exist is copied whole. An existing
//   users-data folder is left alone: a budget list or settings lost from it are reported by the
//   start-up checks, never replaced by empty ones.
// - When the installed version is newer than the one the data folder records (or it records
//   none), each language module that the installed data ships ("Lang*") and "EmptyBases" are
//   replaced whole by the installed ones, and the version is recorded; language modules that
//   the installed data does not ship stay.
// - Then every file and folder that the installed data has and the data folder lacks is copied
//   in, at any depth. A file that the data folder has is never overwritten: vemly.ini,
//   fcharset.cfg and the user's own files stay as they are.
// Nothing happens without installed data. Failures are not reported: what could not be copied
// is tried again at the next start (the version is recorded only once every refresh is done),
// and a file that is still missing fails where it is used.
void BringInstalledData(const std::string& installed, const std::string& dataPath,
                        const std::string& usersDataPath);

// Compares two versions number by number ("0.10" is newer than "0.9"; a missing number counts
// as 0, an empty text is older than any version): less than 0, 0 or more than 0.
int CompareVersions(const std::string& a, const std::string& b);
