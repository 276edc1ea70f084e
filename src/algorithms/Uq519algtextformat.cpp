// The scanners of algorithm text: lines, comments, keywords, "if" brackets, "goto" targets,
// references, and the spans in which one line of algorithm text is coloured.
#include "algorithms/Uq519algtextformat.h"

#include <algorithm>

namespace {

constexpr auto npos = std::string_view::npos;

int Size(std::string_view text) {
    return static_cast<int>(text.size());
}

// The character at position p (from 1).
char At(std::string_view text, int p) {
    return text[static_cast<size_t>(p - 1)];
}

// The first position at or after p (from 1) that holds no blank; past the end when none.
int SkipBlanks(std::string_view text, int p) {
    while (p <= Size(text) && At(text, p) == ' ') ++p;
    return p;
}

}  // namespace


TFormatTextStr BuildFormatTextStr(int begin, std::string_view line) {
    TFormatTextStr pieces;
    int off = begin - 1;
    // A span of n characters from position p (from 1) of the text being searched.
    const auto span = [&](int p, int n, std::uint32_t color, bool bold, int size = 9,
                          bool italic = false) {
        pieces.push_back({off + p - 1, n, color, size, bold, italic, false, false});
    };

    std::string s = StripComment(line);
    if (s.size() < line.size()) span(Size(s) + 1, Size(line) - Size(s), clTeal, false, 9, true);

    const size_t colon = s.find(':');
    if (colon != npos) {
        const int c = static_cast<int>(colon) + 1;
        span(1, c, clOlive, true);
        s.erase(0, colon + 1);
        off += c;
    }

    for (const std::string_view keyword : {"if ", "if("}) {
        for (const int p : FindKeywordPositions(keyword, s)) {
            span(p, 2, clBlack, true);
            const TextRange brackets = FindBracketPair(s, p + 2);
            if (brackets.Start > 0 && brackets.End > 0) {
                span(brackets.Start, 1, clBlack, true);
                span(brackets.End, 1, clBlack, true);
            }
        }
    }
    for (const int p : FindKeywordPositions("else ", s)) span(p, 4, clBlack, true);
    for (const int p : FindKeywordPositions("goto ", s)) {
        span(p, 4, clBlack, true);
        const TextRange target = FindGotoTarget(s, p + 4);
        if (target.Start > 0 && target.End > 0) span(target.Start, target.Length, clOlive, true);
    }
    for (const LFVar& ref : CollectReferences(s, 'A')) {
        const std::uint32_t color = ref.Kind == 'V' ? clNavy : clMaroon;
        span(ref.Start, 5, color, true);
        span(ref.End, 1, color, true);
        span(ref.Start + 5, ref.Length - 6, color, false, 8);
    }

    std::stable_sort(
        pieces.begin(), pieces.end(),
        [](const FormatTextPiece& a, const FormatTextPiece& b) { return a.Start < b.Start; });
    return pieces;
}

StrInText GetStrInText(std::string_view text, int caret) {
    StrInText line;
    if (text.empty()) return line;
    const int length = Size(text);
    // The character just before the caret is at position caret.
    line.Begin = 1;
    for (int p = std::min(caret, length); p >= 1; --p) {
        if (At(text, p) == '\n') {
            line.Begin = p + 1;
            break;
        }
    }
    line.End = length;
    for (int p = std::max(caret, 1); p <= length; ++p) {
        if (At(text, p) == '\r') {
            line.End = p - 1;
            break;
        }
    }
    line.Caret = caret;
    if (line.End >= line.Begin)
        line.Text = std::string(text.substr(line.Begin - 1, line.End - line.Begin + 1));
    return line;
}

std::string StripComment(std::string_view text) {
    return std::string(text.substr(0, text.find("//")));
}

std::vector<int> FindKeywordPositions(std::string_view keyword, std::string_view text) {
    const int l = Size(keyword);
    const int t = Size(text);
    const std::string_view k = keyword.substr(0, keyword.size() - 1);
    const std::string blankK = " " + std::string(k);
    const std::string bracketK = ")" + std::string(k);
    std::vector<int> found;
    if (t == l) {
        if (text == keyword) found.push_back(1);
        if (text == blankK || text == bracketK) found.push_back(2);
    } else if (t == l - 1) {
        if (text == k) found.push_back(1);
    } else if (t > l) {
        const std::string blankKeyword = " " + std::string(keyword);
        const std::string bracketKeyword = ")" + std::string(keyword);
        int p = 1;
        if (text.substr(0, keyword.size()) == keyword) {
            found.push_back(1);
            p = l;
        }
        while (p + l <= t) {
            const std::string_view here =
                text.substr(static_cast<size_t>(p - 1), keyword.size() + 1);
            if (here == blankKeyword || here == bracketKeyword) {
                found.push_back(p + 1);
                p += l;
            } else {
                ++p;
            }
        }
        const std::string_view tail = text.substr(text.size() - keyword.size());
        if (keyword.back() == ' ' && (tail == blankK || tail == bracketK))
            found.push_back(t - l + 2);
    }
    return found;
}

TextRange FindBracketPair(std::string_view text, int from) {
    TextRange range;
    if (from <= 0) return range;
    int p = SkipBlanks(text, from);
    if (p > Size(text) || At(text, p) != '(') return range;
    range.Start = p;
    int opened = 1;
    int closed = 0;
    for (++p; p <= Size(text); ++p) {
        if (At(text, p) == '(') ++opened;
        if (At(text, p) == ')' && ++closed == opened) {
            range.End = p;
            range.Length = range.End - range.Start + 1;
            break;
        }
    }
    return range;
}

TextRange FindGotoTarget(std::string_view text, int from) {
    TextRange range;
    if (from <= 0) return range;
    int p = SkipBlanks(text, from);
    if (p > Size(text)) return range;
    range.Start = p;
    while (p <= Size(text) && At(text, p) != ' ') ++p;
    range.End = p - 1;
    range.Length = range.End - range.Start + 1;
    return range;
}

TVarsVector CollectReferences(std::string_view text, char kind) {
    TVarsVector refs;
    const int length = Size(text);
    if (length < 8) return refs;
    int p = 1;
    do {
        LFVar ref = FindReference(text, p, "", kind);
        if (!ref.Found) break;
        p = ref.End + 1;
        refs.push_back(std::move(ref));
    } while (p <= length - 8);
    return refs;
}

bool IsInitialDatumUsed(std::string_view name, const std::vector<std::string>& lines) {
    const std::string_view digits = name.substr(std::min<size_t>(1, name.size()), 3);
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return FindReference(StripComment(line), 1, digits, 'I').Found;
    });
}

std::string ReplaceAllText(std::string_view text, std::string_view from, std::string_view to) {
    if (from.empty()) return std::string(text);
    std::string out;
    size_t pos = 0;
    for (size_t hit = text.find(from); hit != npos; hit = text.find(from, pos)) {
        out.append(text.substr(pos, hit - pos)).append(to);
        pos = hit + from.size();
    }
    out.append(text.substr(pos));
    return out;
}
