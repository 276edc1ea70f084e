// The scanners of algorithm text and the spans of a coloured line.
#include <gtest/gtest.h>

#include <QTextCursor>
#include <QTextEdit>
#include <string>
#include <vector>

#include "algorithms/Uq519algtextformat.h"
#include "algorithms/Uq519algtextformat_widgets.h"

namespace {

// Each span as "<its text> <colour><size><B for bold><I for italic>", in span order.
std::vector<std::string> Describe(const std::string& line) {
    std::vector<std::string> out;
    for (const FormatTextPiece& p : BuildFormatTextStr(1, line)) {
        const char* color = p.Color == clBlack    ? "black"
                            : p.Color == clTeal   ? "teal"
                            : p.Color == clOlive  ? "olive"
                            : p.Color == clNavy   ? "navy"
                            : p.Color == clMaroon ? "maroon"
                                                  : "?";
        out.push_back(line.substr(static_cast<size_t>(p.Start), static_cast<size_t>(p.Length)) +
                      " " + color + std::to_string(p.Size) + (p.Bold ? "B" : "") +
                      (p.Italic ? "I" : ""));
    }
    return out;
}

using Spans = std::vector<std::string>;

}  // namespace

TEST(BuildFormatTextStr, ColoursEachPartOfALine) {
    const struct {
        const char* line;
        Spans expected;
    } cases[] = {
        {"LabelEnd: ", {"LabelEnd: olive9B"}},
        {" [V003()] = [I001()] * 124,012 + ,314 ",
         {"[V003 navy9B", "() navy8", "] navy9B", "[I001 maroon9B", "() maroon8", "] maroon9B"}},
        {" if([I001(500)] > [V001(797)]) if([I001(500)] < 5 ) goto LabelEnd",
         {"if black9B", "( black9B", "[I001 maroon9B", "(500) maroon8", "] maroon9B",
          "[V001 navy9B", "(797) navy8", "] navy9B", ") black9B", "if black9B", "( black9B",
          "[I001 maroon9B", "(500) maroon8", "] maroon9B", ") black9B", "goto black9B",
          "LabelEnd olive9B"}},
        {" else if([I001(500)] <= [V001()]) goto LabelBegin",
         {"else black9B", "if black9B", "( black9B", "[I001 maroon9B", "(500) maroon8",
          "] maroon9B", "[V001 navy9B", "() navy8", "] navy9B", ") black9B", "goto black9B",
          "LabelBegin olive9B"}},
        {" //else goto LabelEnd", {"//else goto LabelEnd teal9I"}},
        {"L1: goto L2 // on", {"L1: olive9B", "goto black9B", "L2 olive9B", "// on teal9I"}},
        {"else", {"else black9B"}},
        {"x else", {"else black9B"}},
        {"xif(1>0) [V001()]=1", {"[V001 navy9B", "() navy8", "] navy9B"}},
        {"if(1>0) goto", {"if black9B", "( black9B", ") black9B", "goto black9B"}},
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(Describe(c.line), c.expected) << c.line;
}

TEST(BuildFormatTextStr, PlacesSpansAtTheLinesPositionInTheText) {
    // The line starts at text position 11 (from 1): spans start at 10 + its own offset.
    const TFormatTextStr spans = BuildFormatTextStr(11, "L: goto L");
    ASSERT_EQ(spans.size(), 3u);
    EXPECT_EQ(spans[0].Start, 10);
    EXPECT_EQ(spans[0].Length, 2);
    EXPECT_EQ(spans[1].Start, 13);
    EXPECT_EQ(spans[2].Start, 18);
}

TEST(GetStrInText, GivesTheLineUnderTheCaret) {
    const std::string text = "ab\r\n\r\ncd";
    const struct {
        int caret;
        int begin;
        int end;
        const char* line;
    } cases[] = {
        {0, 1, 2, "ab"}, {1, 1, 2, "ab"}, {2, 1, 2, "ab"},
        {4, 5, 4, ""},   {6, 7, 8, "cd"}, {8, 7, 8, "cd"},
    };
    for (const auto& c : cases) {
        const StrInText line = GetStrInText(text, c.caret);
        EXPECT_EQ(line.Begin, c.begin) << c.caret;
        EXPECT_EQ(line.End, c.end) << c.caret;
        EXPECT_EQ(line.Text, c.line) << c.caret;
        EXPECT_EQ(line.Caret, c.caret);
    }
    EXPECT_EQ(GetStrInText("", 0).Caret, -1);
}

TEST(FindKeywordPositions, FindsKeywordsAtTheStartAndAfterABlankOrBracket) {
    const struct {
        const char* keyword;
        const char* text;
        std::vector<int> expected;
    } cases[] = {
        {"else ", "else", {1}},
        {"else ", "else ", {1}},
        {"else ", " else", {2}},
        {"else ", "x else", {3}},
        {"else ", "xelse [V001()]=1", {}},
        {"if(", "if(1>0) if(2>1)", {1, 9}},
        {"if(", ")if(1)", {2}},
        {"goto ", "if(1>0)goto L", {8}},
        {"goto ", "xgoto L", {}},
        {"if ", "i", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindKeywordPositions(c.keyword, c.text), c.expected)
            << c.keyword << "|" << c.text;
}

TEST(FindBracketPair, MatchesNestedBrackets) {
    const TextRange pair = FindBracketPair("if( (a)(b) ) x", 3);
    EXPECT_EQ(pair.Start, 3);
    EXPECT_EQ(pair.End, 12);
    EXPECT_EQ(pair.Length, 10);
    EXPECT_EQ(FindBracketPair("if  (1)", 3).Start, 5);
    const TextRange open = FindBracketPair("(()", 1);
    EXPECT_EQ(open.Start, 1);
    EXPECT_EQ(open.End, -1);
    EXPECT_EQ(FindBracketPair("x(1)", 1).Start, -1);
    EXPECT_EQ(FindBracketPair("(1)", 0).Start, -1);
}

TEST(FindGotoTarget, TakesTheWordAfterTheBlanks) {
    const TextRange target = FindGotoTarget("goto  L1 x", 5);
    EXPECT_EQ(target.Start, 7);
    EXPECT_EQ(target.End, 8);
    EXPECT_EQ(target.Length, 2);
    EXPECT_EQ(FindGotoTarget("goto   ", 5).Start, -1);
    EXPECT_EQ(FindGotoTarget("goto L", 0).Start, -1);
}

TEST(CollectReferences, ListsReferencesOfTheKind) {
    const TVarsVector all = CollectReferences("[V001()]+[I002(3)]*[V003()]", 'A');
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[1].Kind, 'I');
    EXPECT_EQ(all[2].Number, 3);
    EXPECT_EQ(CollectReferences("[V001()]+[I002(3)]*[V003()]", 'V').size(), 2u);
    EXPECT_EQ(CollectReferences("[V001()]+[V002()]", 'V').size(), 2u);
    // The search stops where fewer than 9 characters are left.
    EXPECT_EQ(CollectReferences("[V001()][V002()]", 'V').size(), 1u);
    EXPECT_TRUE(CollectReferences("[V01()]", 'V').empty());
}

TEST(IsInitialDatumUsed, LooksOutsideCommentsOnly) {
    EXPECT_TRUE(IsInitialDatumUsed("I002", {"x", "[V001()] = [I002(5)] + 1"}));
    EXPECT_FALSE(IsInitialDatumUsed("I002", {"[V001()] = 1 // [I002()]"}));
    EXPECT_FALSE(IsInitialDatumUsed("I002", {"[V001()] = [I003()]", "[V002()] = 1"}));
    EXPECT_FALSE(IsInitialDatumUsed("I002", {}));
}

TEST(ReplaceAllText, ReplacesEveryOccurrenceInOnePass) {
    EXPECT_EQ(ReplaceAllText("one\\ntwo\\n", "\\n", "\n"), "one\ntwo\n");
    EXPECT_EQ(ReplaceAllText("no match", "[x]", "y"), "no match");
    // A name holding the placeholder is put in once and not searched again.
    EXPECT_EQ(ReplaceAllText("In [alg_name]:", "[alg_name]", "my [alg_name] alg"),
              "In my [alg_name] alg:");
    EXPECT_EQ(ReplaceAllText("aab", "ab", "b"), "ab");
}

namespace {

// The colour (blue-green-red), size and style of the character at a position of the edit.
std::string FormatOf(QTextEdit& edit, int position) {
    QTextCursor cursor(edit.document());
    cursor.setPosition(position + 1);
    const QTextCharFormat format = cursor.charFormat();
    const QColor c = format.foreground().color();
    const std::uint32_t color =
        static_cast<std::uint32_t>(c.red() | c.green() << 8 | c.blue() << 16);
    return std::to_string(color) + " " + std::to_string(static_cast<int>(format.fontPointSize())) +
           (format.fontWeight() == QFont::Bold ? "B" : "") + (format.fontItalic() ? "I" : "");
}

}  // namespace

// The edit counts characters where the spans count UTF-8 bytes: a line with letters beyond
// ASCII is coloured at the right places, and only the caret's line.
TEST(FormatCaretLine, ColoursTheLineOfTheCaret) {
    QTextEdit edit;
    edit.setPlainText(QStringLiteral("Ä: [V001(5)] = 1 // ü\nÖ: [V002()] = 2"));
    QTextCursor caret(edit.document());
    caret.setPosition(6);
    caret.setPosition(8, QTextCursor::KeepAnchor);
    edit.setTextCursor(caret);
    FormatCaretLine(edit);
    const auto olive = std::to_string(clOlive), navy = std::to_string(clNavy),
               teal = std::to_string(clTeal), black = std::to_string(clBlack);
    EXPECT_EQ(FormatOf(edit, 0), olive + " 9B");  // "Ä:"
    EXPECT_EQ(FormatOf(edit, 1), olive + " 9B");
    EXPECT_EQ(FormatOf(edit, 2), black + " 9");   // the blank
    EXPECT_EQ(FormatOf(edit, 3), navy + " 9B");   // "[V001"
    EXPECT_EQ(FormatOf(edit, 8), navy + " 8");    // "(5)"
    EXPECT_EQ(FormatOf(edit, 11), navy + " 9B");  // "]"
    EXPECT_EQ(FormatOf(edit, 13), black + " 9");  // "="
    EXPECT_EQ(FormatOf(edit, 17), teal + " 9I");  // "// ü"
    EXPECT_EQ(FormatOf(edit, 20), teal + " 9I");
    EXPECT_EQ(FormatOf(edit, 22), black + " 0");  // the next line is not touched
    EXPECT_EQ(edit.textCursor().position(), 6);
    EXPECT_FALSE(edit.textCursor().hasSelection());

    QTextEdit empty;
    FormatCaretLine(empty);
    EXPECT_TRUE(empty.toPlainText().isEmpty());
}
