// The charset configuration of the reports: the character set of the user's language, the
// character sets that report templates can be given, and the rewrite of a template's fonts.
#include "reports/U_rtfreport.h"

#include <QFile>
#include <cstdio>
#include <string_view>

#include "platform/Locale.h"
#include "platform/Text.h"
#include "reports/ReportFiles.h"

namespace {

// A line is read into a buffer of this size: at most 253 characters and the end of the string.
constexpr int kLineBuffer = 254;

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

}  // namespace

int ReadCharsetConfig(strFCharsetInfo& info) {
    const TCFile file = OpenCFile(info.Path, "rb");
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

namespace {

constexpr std::string_view kFontCharset = "\\fcharset";

}  // namespace

int ReplaceFontCharsets(const std::string& templatePath, std::string_view from,
                        std::string_view to) {
    if (!QFile::exists(ToQString(templatePath))) return -1;
    const TCFile in = OpenCFile(templatePath, "rb");
    if (!in) return -2;
    const std::string tmpPath = TmpPathOf(templatePath);
    TCFile out = OpenCFile(tmpPath, "wb");
    if (!out) return -3;

    std::string line;
    for (int i = 0; i < 6 && ReadRawLine(in.get(), line); ++i)
        std::fwrite(line.data(), 1, line.size(), out.get());

    // `matched` bytes of "\fcharset" are held back until it is clear whether they begin one.
    // The pattern has no border (no proper prefix that is also a suffix), so a mismatch only
    // ever restarts the match at the byte that broke it.
    int count = 0;
    size_t matched = 0;
    int c = getc_unlocked(in.get());
    while (c != EOF) {
        if (c == kFontCharset[matched]) {
            c = getc_unlocked(in.get());
            if (++matched < kFontCharset.size()) continue;
            std::string digits;
            while (c >= '0' && c <= '9') {
                digits.push_back(static_cast<char>(c));
                c = getc_unlocked(in.get());
            }
            std::fwrite(kFontCharset.data(), 1, kFontCharset.size(), out.get());
            const bool replace = from == "*" || digits == from;
            const std::string_view number = replace ? to : std::string_view(digits);
            std::fwrite(number.data(), 1, number.size(), out.get());
            if (replace) ++count;
            matched = 0;
            continue;
        }
        if (matched > 0) {
            std::fwrite(kFontCharset.data(), 1, matched, out.get());
            matched = 0;
            continue;  // the byte that broke the match may begin a new one
        }
        putc_unlocked(c, out.get());
        c = getc_unlocked(in.get());
    }
    std::fwrite(kFontCharset.data(), 1, matched, out.get());

    const bool readFailed = std::ferror(in.get()) != 0;
    if (!CloseWritten(out) || readFailed) {
        RemoveFileIfAny(tmpPath);
        return readFailed ? -2 : -3;
    }
    if (!RenameOver(tmpPath, templatePath)) {
        RemoveFileIfAny(tmpPath);
        return -5;
    }
    return count;
}
