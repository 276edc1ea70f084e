// The charset configuration of the reports: the character set of the user's language and the
// character sets that report templates can be given.
#pragma once

#include <string>
#include <vector>

// What ReadCharsetConfig finds in a charset configuration file (fcharset.cfg).
struct strFCharsetInfo {
    // The RTF character set number of the user's language ("204"); left as the caller set it
    // when the identifiers table has no line for the language.
    std::string Charset;
    // The user's language identifier as "0x" and four lowercase hexadecimal digits when a line
    // matched, else "0x0000".
    std::string LangID;
    // The third field of the matched line and the rest of the line after it.
    std::string Field3;
    std::string Tail;
    // Receives every line of the font table when not null.
    std::vector<std::string>* Fonts = nullptr;
    // The index among the font table lines of the last one whose character set (the text before
    // its first ":") equals Charset; 0 when none.
    int FontIndex = 0;
    // The file to read, set by the caller.
    std::string Path;
};

// Reads the charset configuration named by info.Path. The file is text in lines (LF or CR LF),
// each trimmed of blanks and control characters at both ends. The marker lines
// "IdentifiersTableStart:", "IdentifiersTableEnd:", "FontTableStart:" and "FontTableEnd:" enclose
// two tables; lines outside them are ignored.
// - Identifiers table: "0x0419:204:third field:rest". A line whose first six characters equal
//   the user's language identifier (GetUserDefaultLangID, letter case ignored) sets LangID,
//   Charset, Field3 and Tail; a later matching line overrides an earlier one, and a field the
//   line lacks reads as empty.
// - Font table: "204:Cyrillic"; every line is added to Fonts and counted for FontIndex. A line
//   without ":" names no character set: it stands for the empty one.
// A line is read in pieces of at most 253 characters, each piece counting as a line.
// Returns 0, or -1 when the file cannot be opened (then nothing in info changes).
int ReadCharsetConfig(strFCharsetInfo& info);
