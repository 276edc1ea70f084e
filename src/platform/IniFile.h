// INI files (configuration, budget descriptions, language files): reading and writing values.
#pragma once

#include <QString>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A value that cannot be written: the file could not be replaced, or a name or value that
// the file format cannot hold (a line break, an empty name, "=" in a key, "]" in a section).
class EIniFileException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One INI file, read when the object is made and written back at every WriteString.
//
// The file is UTF-8 text of section lines ("[Name]") and entry lines ("Key=Value"); a line
// starting with ";" is a comment. It follows the rules of the Windows profile functions:
// - section and key names are compared without regard to case, blanks around them ignored;
// - the first section of a name is the one that counts, and in it the first entry of a key
//   (a later section of the same name is not searched);
// - blanks around a value are not part of it, and one pair of matching quotes ('...' or
//   "...") around the whole value is removed;
// - a missing or unreadable file, section or key gives the caller's default;
// - a line that is neither a section, an entry nor a comment is passed over.
// Made, used and dropped within one operation, like the program's other file accesses.
class TIniFile {
public:
    explicit TIniFile(std::string path);

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;

    // Sets the key's value: the first entry of the key in the first section of the name is
    // rewritten, or a new entry goes after the section's last entry, or a new section with the
    // entry is added at the end. Every other line stays as it was, byte for byte. A value with
    // blanks at its ends or enclosed in quotes is written in quotes, so it reads back as given.
    // The file is replaced as a whole (never left half-written); on failure, or when the file
    // exists but could not be read, throws EIniFileException and changes nothing.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);

private:
    enum class LineKind { kOther, kSection, kEntry };
    struct Line {
        std::string text;  // as in the file, without its "\n"
        LineKind kind;
        QString name;  // case-folded section or key name
    };

    // Where a key stands in a section: the index of its first entry (npos when there is none)
    // and the index just after the section's last entry, where a new entry goes.
    struct Place {
        size_t entry;
        size_t end;
    };

    static Line ParseLine(std::string text, bool first);
    size_t FindSection(const QString& name) const;  // lines_.size() when there is none
    Place FindEntry(size_t section, const QString& key) const;
    void Save(const std::vector<Line>& lines, bool endsWithLineEnd) const;

    std::string path_;
    std::vector<Line> lines_;
    std::string lineEnd_ = "\n";
    bool endsWithLineEnd_ = true;
    bool unreadable_ = false;
};
