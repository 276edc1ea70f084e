// The charset configuration of the reports: the character set of the user's language and the
// character sets that report templates can be given.
#include "reports/U_rtfreport.h"

#include <QFile>
#include <cstdio>
#include <memory>
#include <string_view>

#include "platform/Locale.h"
#include "platform/Text.h"

namespace {

// A line is read into a buffer of this size: at most 253 characters and the end of the string.
constexpr int kLineBuffer = 254;

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string Trimmed(std::string_view line) {
    while (!line.empty() && IsBlankOrControl(line.front())) line.remove_prefix(1);
    while (!line.empty() && IsBlankOrControl(line.back())) line.remove_suffix(1);
    return std::string(line);
}

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// The text from `from` up to the next ":" (or the end), and where the text after that ":"
// begins (npos when there is none).
std::string_view FieldAt(std::string_view line, size_t from, size_t& next) {
    if (from >= line.size()) {
        next = std::string_view::npos;
        return {};
    }
    const size_t colon = line.find(':', from);
    next = colon == std::string_view::npos ? colon : colon + 1;
    return line.substr(from, colon == std::string_view::npos ? line.npos : colon - from);
}

// The character set of a font table line: its text before the first ":", empty when it has
// none (a line without ":" names no character set).
std::string_view CharsetOfFontLine(std::string_view line) {
    const size_t colon = line.find(':');
    return colon == std::string_view::npos ? std::string_view() : line.substr(0, colon);
}

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

}  // namespace

int ReadCharsetConfig(strFCharsetInfo& info) {
    const std::unique_ptr<FILE, FileCloser> file(
        std::fopen(QFile::encodeName(ToQString(info.Path)).constData(), "rb"));
    if (!file) return -1;

    char langText[8];
    std::snprintf(langText, sizeof langText, "0x%4.4x", GetUserDefaultLangID() & 0xFFFF);
    const std::string wantedLang = Upper(langText);
    info.LangID = "0x0000";
    info.FontIndex = 0;
    int fontCount = 0;
    bool inIdentifiers = false;
    bool inFonts = false;

    char buffer[kLineBuffer];
    while (std::fgets(buffer, kLineBuffer, file.get()) != nullptr) {
        const std::string line = Trimmed(buffer);
        if (line == "IdentifiersTableStart:") inIdentifiers = true;
        if (line == "IdentifiersTableEnd:") inIdentifiers = false;
        if (line == "FontTableStart:") inFonts = true;
        if (line == "FontTableEnd:") inFonts = false;
        if (inIdentifiers && Upper(line.substr(0, 6)) == wantedLang) {
            info.LangID = langText;
            size_t next = 0;
            info.Charset = FieldAt(line, 7, next);
            info.Field3 = FieldAt(line, next, next);
            info.Tail = next < line.size() ? line.substr(next) : std::string();
        }
        if (inFonts && line != "FontTableStart:") {
            if (info.Fonts != nullptr) info.Fonts->push_back(line);
            if (CharsetOfFontLine(line) == info.Charset) info.FontIndex = fontCount;
            ++fontCount;
        }
    }
    return 0;
}
