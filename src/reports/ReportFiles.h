// The C-stream helpers that the report engine's units share: opening files by their UTF-8
// paths, reading header lines, and finishing files written beside their target.
#pragma once

#include <string>
#include <string_view>

#include "reports/U_rtfreport.h"

// Opens a file by its UTF-8 path with a C stream mode ("rb", "wb"); null when it fails.
TCFile OpenCFile(const std::string& path, const char* mode);

// Reads one line: every byte up to and including the next line feed (or to the end of the
// file), whatever its length. False when the file was already at its end.
bool ReadRawLine(FILE* file, std::string& line);

// The text without blanks and control characters (bytes up to ' ') at its ends.
std::string Trimmed(std::string_view text);

// Closes a file that was written; false when a write failed or the close did.
bool CloseWritten(TCFile& file);

// The file that an operation writes before it takes the place of `target`.
std::string TmpPathOf(const std::string& target);

// Renames `tmp` over `target` (replacing it in one step); false when that fails.
bool RenameOver(const std::string& tmp, const std::string& target);

// Removes a file if it is there.
void RemoveFileIfAny(const std::string& path);
