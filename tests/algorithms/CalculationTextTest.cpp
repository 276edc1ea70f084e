// The algorithm editor's work on its text without a window: stored and shown forms, values
// written into references, token spacing and path shortening.
#include <gtest/gtest.h>

#include "algorithms/U_fcalculation_text.h"

namespace {

// The text with the changes applied from the last to the first.
std::string Applied(std::string text, const TTextChanges& changes) {
    for (auto it = changes.rbegin(); it != changes.rend(); ++it)
        text.replace(static_cast<size_t>(it->Start - 1), static_cast<size_t>(it->Length),
                     it->Text);
    return text;
}

}  // namespace

TEST(CalculationText, StoredAndShownFormsOfLineBreaks) {
    const struct {
        const char* stored;
        const char* shown;
        const char* storedAgain;
    } cases[] = {
        {"", "", ""},
        {"a", "a\n", "a\r\n"},
        {"a\r\nb\r\n", "a\nb\n", "a\r\nb\r\n"},
        {"a\nb", "a\nb\n", "a\r\nb\r\n"},        // line feeds only
        {"a\rb\r", "a\nb\n", "a\r\nb\r\n"},      // carriage returns only
        {"a\r\r\nb", "a\n\nb\n", "a\r\n\r\nb\r\n"},  // a lone CR before CR LF
        {"\t[V001()] = 1", "\t[V001()] = 1\n", "\t[V001()] = 1\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(EditorAlgorithmText(c.stored), c.shown);
        EXPECT_EQ(StoredAlgorithmText(EditorAlgorithmText(c.stored)), c.storedAgain);
    }
}

TEST(CalculationText, Utf16UnitsOfUtf8) {
    EXPECT_EQ(Utf16Units(""), 0);
    EXPECT_EQ(Utf16Units("abc"), 3);
    EXPECT_EQ(Utf16Units("\xC3\xA9t\xC3\xA9"), 3);          // été
    EXPECT_EQ(Utf16Units("\xE2\x82\xAC"), 1);               // €
    EXPECT_EQ(Utf16Units("\xF0\x9F\x98\x80x"), 3);          // an emoji is two units
}

// The walk of initial-data and variable references: which are written, which are left alone.
TEST(CalculationText, ReferenceValuesSkipCommentsAndLabels) {
    const auto value = [](int n) { return "v" + std::to_string(n); };
    const struct {
        const char* text;
        char kind;
        int n;
        const char* expected;
    } cases[] = {
        {"[V001()] = [I001(5)] + [I002()]", 'I', 0, "[V001()] = [I001(v1)] + [I002(v2)]"},
        {"[V001()] = [I001(5)] + [I002()]", 'I', 2, "[V001()] = [I001(5)] + [I002(v2)]"},
        {"[V001(7)] = [V002(123456)]", 'V', 0, "[V001(v1)] = [V002(v2)]"},
        // after "//" on its line: a comment
        {"[V001()] = 1 // [I003(9)]\n[V002()] = [I003(9)]", 'I', 0,
         "[V001()] = 1 // [I003(9)]\n[V002()] = [I003(v3)]"},
        // before ":" on its line: a label part
        {"L[I004(1)]x: [V001()] = [I004(1)]", 'I', 0, "L[I004(1)]x: [V001()] = [I004(v4)]"},
        {"[V001()] = [I004(1)]\nL: [V001()] = 2", 'I', 0, "[V001()] = [I004(v4)]\nL: [V001()] = 2"},
        // multi-byte text before and between
        {"// \xC3\xA9t\xC3\xA9\n\xE2\x82\xAC: [V001(1)] = [V001(22)] * 2", 'V', 0,
         "// \xC3\xA9t\xC3\xA9\n\xE2\x82\xAC: [V001(v1)] = [V001(v1)] * 2"},
        {"short", 'V', 0, "short"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Applied(c.text, ReferenceValueChanges(c.text, c.kind, c.n, value)), c.expected);
    }
}

TEST(CalculationText, LineValuesAsValueLengthsChange) {
    std::vector<std::string> vars(100, "0");
    vars[0] = "1234567";
    vars[1] = "";
    vars[2] = "-5";
    const struct {
        const char* line;
        int first, last;
        const char* expected;
    } cases[] = {
        {"[V001()] = [V002(99999)] + [V003()]", 1, 0, "[V001(1234567)] = [V002()] + [V003(-5)]"},
        {"[V001()] = [V002(99999)] + [V003()]", 2, 0, "[V001()] = [V002()] + [V003(-5)]"},
        {"[V001()] = [V002(99999)] + [V003()]", 1, 1, "[V001(1234567)] = [V002(99999)] + [V003()]"},
        {"[V001()] = [V002(99999)] + [V003()]", 3, 3, "[V001()] = [V002(99999)] + [V003(-5)]"},
        // the label part is not counted; the comment is not touched
        {"Loop: if [V003(0)] > 0 [V001()] = 1 // [V002()]", 1, 1,
         "Loop: if [V003(-5)] > 0 [V001()] = 1 // [V002()]"},
        {"\xC3\xA9: [V001(9)] = 2", 1, 0, "\xC3\xA9: [V001(1234567)] = 2"},
        {"a: b", 1, 0, "a: b"},  // a statement shorter than 8 characters
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(Applied(c.line, LineValueChanges(c.line, c.first, vars, c.last)), c.expected);
    }
}

TEST(CalculationText, TokenSpacing) {
    const TTokenSpacing plus{" ", " "}, equal{" <=>", " <=>"}, left{" f", nullptr},
        right{nullptr, " "}, never{nullptr, nullptr}, ifs{" ", nullptr};
    const struct {
        const char* token;
        TTokenSpacing spacing;
        int charsBefore;
        char32_t before, after;
        const char* expected;
    } cases[] = {
        {"+", plus, 5, 'a', 'b', " + "},
        {"+", plus, 5, ' ', ' ', "+"},
        {"+", plus, 1, 'a', 'b', "+ "},  // fewer than two characters before: no blank in front
        {"+", plus, 5, 'a', 0, " +"},    // at the end of the text: nothing behind
        {"=", equal, 5, '<', 'a', "= "},
        {"=", equal, 5, 'a', '>', " ="},
        {"=", equal, 5, 'a', 'b', " = "},
        {"(", left, 5, 'f', 'x', "("},  // "if(" stays together
        {"(", left, 5, 'g', 'x', " ("},
        {")", right, 5, 'a', 'b', ") "},
        {" ", never, 5, 'a', 'b', " "},
        {"if", ifs, 5, 'x', 'y', " if"},
        {"[V001()]", kOperandSpacing, 5, '(', ')', "[V001()]"},
        {"[V001()]", kOperandSpacing, 5, 'x', 'y', " [V001()] "},
        {"12", kOperandSpacing, 5, U'\u00e9', U'\u00e9', " 12 "},  // a non-ASCII neighbour
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.token) + " " + c.expected);
        EXPECT_EQ(SpacedToken(c.token, c.spacing, c.charsBefore, c.before, c.after), c.expected);
    }
}

TEST(CalculationText, PathsGiveWayFromTheFront) {
    const auto within = [](size_t n) { return [n](const std::string& s) { return s.size() <= n; }; };
    EXPECT_EQ(ShortenPath("Home\\Flat\\Rent", "\\", within(100)), "Home\\Flat\\Rent");
    EXPECT_EQ(ShortenPath("Home\\Flat\\Rent", "\\", within(13)), "...\\Flat\\Rent");
    EXPECT_EQ(ShortenPath("Home\\Flat\\Rent", "\\", within(12)), "...\\Rent");
    EXPECT_EQ(ShortenPath("Home\\Flat\\Rent", "\\", within(8)), "...\\Rent");
    EXPECT_EQ(ShortenPath("Home\\Flat\\Rent", "\\", within(2)), "...\\Rent");  // the last stays
    EXPECT_EQ(ShortenPath("A long description", "\\", within(3)), "A long description");
}
