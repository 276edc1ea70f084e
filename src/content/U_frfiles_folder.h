// What the file collection frame does with a collection's folder, without a window: its files,
// their extensions, and the checked copy and rename of a file.
#pragma once

#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "store/U_fileoperation.h"

// The extension of a file name as the frame keys its icons: from the last dot on, the dot
// included ("a.TXT" gives ".TXT", "archive.tar.gz" ".gz", ".profile" ".profile"); empty for
// a name without a dot.
std::string FileExtension(std::string_view name);

// The names of the files in the folder in the order the folder gives them; sub-folders and the
// hidden copies that CopyIntoCollection is writing (".~<name>.part") do not count. None when the
// folder is missing or cannot be read.
std::vector<std::string> CollectionFiles(const std::string& folder);

// Whether `name` can be the new name of a file of the folder: Invalid for "", ".", "..", a name
// with "/" or a NUL character; Exists when the folder holds an entry of that exact name.
enum class TNameCheck { Valid, Invalid, Exists };
TNameCheck CheckNewName(const std::string& folder, const std::string& name);

// Renames the file `from` of the folder to `to`, which CheckNewName has let through; the
// system's error, none when renamed. An entry that appeared under the new name meanwhile is
// never replaced.
std::error_code RenameInCollection(const std::string& folder, const std::string& from,
                                   const std::string& to);

// Copies the file into the folder under its own name (the folder made when missing), replacing
// a file of that name: the copy is written beside it under a hidden name and renamed over it,
// so that a failed copy leaves the old file whole. The system's error (a full disk named as
// one), none when copied.
std::error_code CopyIntoCollection(const std::string& source, const std::string& folder);

// Removes what copies into the folder that were killed half-way left under their hidden names.
void RemoveCopyLeftovers(const std::string& folder);
