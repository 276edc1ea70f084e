// The algorithm editor's work on its text without a window: the stored and the shown form of a
// text, the values written into references, the blanks around typed tokens and the shortening
// of source paths.
#include "algorithms/U_fcalculation_text.h"

#include <cstring>

#include "algorithms/Uq519arithmeticslf.h"

namespace {

constexpr size_t npos = std::string_view::npos;

// The change that replaces the value part of the reference (between "[Xnnn(" and ")]").
TTextChange ValueChange(const LFVar& ref, int offset, std::string value) {
    return TTextChange{offset + ref.Start + 6, ref.End - ref.Start - 7, std::move(value)};
}

bool Listed(const char* list, char32_t c) {
    return c != 0 && c < 0x80 && std::strchr(list, static_cast<char>(c)) != nullptr;
}

}  // namespace

std::string EditorAlgorithmText(std::string_view stored) {
    std::string text;
    text.reserve(stored.size() + 1);
    for (size_t i = 0; i < stored.size(); ++i) {
        if (stored[i] != '\r') {
            text += stored[i];
        } else {
            text += '\n';
            if (i + 1 < stored.size() && stored[i + 1] == '\n') ++i;
        }
    }
    if (!text.empty() && text.back() != '\n') text += '\n';
    return text;
}

std::string StoredAlgorithmText(std::string_view shown) {
    std::string text;
    text.reserve(shown.size() + shown.size() / 16);
    for (const char c : shown) {
        if (c == '\n') text += '\r';
        text += c;
    }
    return text;
}

int Utf16Units(std::string_view utf8) {
    int units = 0;
    for (const char byte : utf8) {
        const auto b = static_cast<unsigned char>(byte);
        if ((b & 0xC0) != 0x80) units += b >= 0xF0 ? 2 : 1;
    }
    return units;
}

TTextChanges ReferenceValueChanges(std::string_view text, char kind, int n,
                                   const std::function<std::string(int)>& value) {
    TTextChanges changes;
    if (text.size() < 8) return changes;
    for (LFVar ref = FindReference(text, 1, "", kind); ref.Found;
         ref = FindReference(text, ref.End + 1, "", kind)) {
        const size_t at = static_cast<size_t>(ref.Start - 1);
        const size_t lineBegin = at == 0 ? 0 : text.rfind('\n', at - 1) + 1;  // npos + 1 is 0
        size_t lineEnd = text.find('\n', at);
        if (lineEnd == npos) lineEnd = text.size();
        if (text.substr(lineBegin, at - lineBegin).find("//") != npos) continue;
        const size_t after = static_cast<size_t>(ref.End);
        if (text.substr(after, lineEnd - after).find(':') != npos) continue;
        if (n == 0 || ref.Number == n) changes.push_back(ValueChange(ref, 0, value(ref.Number)));
    }
    return changes;
}

TTextChanges LineValueChanges(std::string_view line, int first,
                              const std::vector<std::string>& variables, int last) {
    TTextChanges changes;
    std::string_view statement = line;
    int offset = 0;
    if (const size_t comment = statement.find("//"); comment != npos)
        statement = statement.substr(0, comment);
    if (const size_t colon = statement.find(':'); colon != npos) {
        statement = statement.substr(colon + 1);
        offset = static_cast<int>(colon + 1);
    }
    if (statement.size() < 8) return changes;
    int k = 0;
    for (LFVar ref = FindReference(statement, 1, "", 'V'); ref.Found;
         ref = FindReference(statement, ref.End + 1, "", 'V')) {
        ++k;
        if (k < first || (last != 0 && k > last)) continue;
        const auto index = static_cast<size_t>(ref.Number - 1);
        changes.push_back(ValueChange(ref, offset, index < variables.size() ? variables[index] : ""));
    }
    return changes;
}

std::string SpacedToken(std::string_view token, const TTokenSpacing& spacing, int charsBefore,
                        char32_t before, char32_t after) {
    std::string text;
    if (spacing.NoBlankBefore != nullptr && charsBefore >= 2 &&
        !Listed(spacing.NoBlankBefore, before))
        text += ' ';
    text += token;
    if (spacing.NoBlankAfter != nullptr && after != 0 && !Listed(spacing.NoBlankAfter, after))
        text += ' ';
    return text;
}

std::string ShortenPath(const std::string& path, const std::string& separator,
                        const std::function<bool(const std::string&)>& fits) {
    if (fits(path) || separator.empty()) return path;
    size_t from = 0;
    std::string shortened = path;
    while (true) {
        const size_t next = path.find(separator, from);
        if (next == npos) return shortened;  // only the last element is left
        from = next + separator.size();
        shortened = "..." + separator + path.substr(from);
        if (fits(shortened)) return shortened;
    }
}
