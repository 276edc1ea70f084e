// The language module's texts: reading language files, placeholders, the "\n" escape and the
// description texts of windows.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/IniFile.h"

// One language file (TfMain::LangPath + "Main.lng"), read once when made. Windows make one for
// each file they read, read their keys and drop it before they return.
class TLangFile {
public:
    explicit TLangFile(std::string path);

    // The text of the key in the section: section and key names without regard to case, blanks
    // around the value dropped, cut to its first 2047 characters. A missing file, section or
    // key gives the default. Nothing is reported.
    std::string Read(std::string_view section, std::string_view key,
                     std::string_view defaultValue) const;

private:
    TIniFile ini_;
};

// The text with every two characters "\" "n" turned into one line break, for the texts that
// allow it (questions and error texts); everywhere else the two characters stay.
std::string ExpandLineBreaks(std::string text);

// A window's description text (TfMain::LangPath + "CreateBudgetTxt01.lng"), whole and
// unchanged but for line breaks (CR LF read as LF, one final line break dropped); nothing when
// the file cannot be read. Nothing is reported.
std::optional<std::string> ReadDescription(const std::string& path);

// An installed language module: a folder of the data folder whose name begins with "Lang" and
// whose "VLLangModule.ini" names it in [Lang] ID "Vemly language module" (exactly).
struct TLanguageModule {
    std::string Folder;                                      // the folder's name, such as "LangEN"
    std::string Name, Lang, Author, AuthorMail, AuthorSite;  // [Lang], empty when missing
};

// The language modules of the data folder, ordered by folder name. Files, folders without a
// descriptor or with another ID are passed over without a message.
std::vector<TLanguageModule> ListLanguageModules(const std::string& dataPath);
