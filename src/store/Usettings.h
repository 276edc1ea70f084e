// The settings store: one value per key in the users-data folder's Settings table.
#pragma once

#include <string>

#include "platform/Dates.h"

// Each accessor opens the table on its own and closes it before it returns, so every read sees
// what the last write (of the program or of a helper program) left. Keys are matched exactly
// (case matters). A reader returns the default when the key has no row, and the empty value of
// its column (0, "", day 0) when the row exists but was written through another column. A
// writer creates the key's row when there is none and sets only its own column. A settings table
// that cannot be opened throws EDatabaseError. The folder is the main window's users-data folder.
void SetSettingInt(const std::string& key, int value);
int GetSettingInt(const std::string& key, int defaultValue);
void SetSettingStr(const std::string& key, const std::string& value);
std::string GetSettingStr(const std::string& key, const std::string& defaultValue);
// The column holds whole days: the time of day of the value is not kept.
void SetSettingDate(const std::string& key, TDateTime value);
TDateTime GetSettingDate(const std::string& key, TDateTime defaultValue);
