// Parsing algorithm texts into lines, the analysis of a statement, and the checker's errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "algorithms/Uq519algorithm01.h"

namespace {

struct Expected {
    int line;
    int code;
    std::string detail;
    bool operator==(const Expected&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Expected& e) {
    return out << "{line " << e.line << ", " << e.code << ", '" << e.detail << "'}";
}

// One initial datum numbered n with a source.
ExtData Datum(int n, int idObject = 7) {
    ExtData d;
    d.N = n;
    d.IDObject = idObject;
    return d;
}

std::vector<Expected> Check(const std::string& text, const TExtDataList& data = {Datum(1)}) {
    TProgram01 program = ParseAlgorithm(text);
    std::vector<Expected> out;
    for (const Error01& e : CheckAlgorithm(program, data)) {
        EXPECT_TRUE(e.NameAlg.empty());
        out.push_back({e.NLine, e.ErrCode, e.Text});
    }
    return out;
}

}  // namespace

TEST(ParseAlgorithm, MakesOneOperatorPerLineWithALabelOrAStatement) {
    EXPECT_EQ(ParseAlgorithm("a\nb").size(), 2u);
    EXPECT_EQ(ParseAlgorithm("a\n").size(), 1u);
    EXPECT_EQ(ParseAlgorithm("\n\n").size(), 0u);
    EXPECT_EQ(ParseAlgorithm("").size(), 0u);

    const TProgram01 joined = ParseAlgorithm("a\rb\r\n");
    ASSERT_EQ(joined.size(), 1u);
    EXPECT_EQ(joined[0].Text, "ab");

    const TProgram01 numbered = ParseAlgorithm("x\n\n  // only a comment\ny");
    ASSERT_EQ(numbered.size(), 2u);
    EXPECT_EQ(numbered[0].NLine, 1);
    EXPECT_EQ(numbered[1].NLine, 4);

    const TProgram01 labelOnly = ParseAlgorithm("Begin:");
    ASSERT_EQ(labelOnly.size(), 1u);
    EXPECT_EQ(labelOnly[0].Label, "Begin");
    EXPECT_EQ(labelOnly[0].Text, "");

    const TProgram01 labelled = ParseAlgorithm(" Start : [V001()] = 5 // set");
    ASSERT_EQ(labelled.size(), 1u);
    EXPECT_EQ(labelled[0].Label, "Start");
    EXPECT_EQ(labelled[0].Text, " [V001()] = 5 ");
    EXPECT_FALSE(labelled[0].IsGoto);
    EXPECT_TRUE(labelled[0].Condition.empty());

    const TProgram01 twoColons = ParseAlgorithm("a:b: x");
    ASSERT_EQ(twoColons.size(), 1u);
    EXPECT_EQ(twoColons[0].Label, "a");
    EXPECT_EQ(twoColons[0].Text, "b: x");
}

TEST(AnalyzeStatement, CountsTargetsAndReferences) {
    TProgram01 program = ParseAlgorithm(
        "[V001()] = [V002()] = [V003()] * 2\n"
        "if([V001()] > [V002()]) if([V004()]<>0) [V005()] = [V001()]");
    ASSERT_TRUE(CheckAlgorithm(program, {}).empty());

    const OperatorPlan chain = AnalyzeStatement(program[0]);
    EXPECT_EQ(chain.CondRefCount, 0);
    EXPECT_EQ(chain.EqCount, 2);
    EXPECT_EQ(chain.Targets, (std::vector<int>{1, 2}));
    EXPECT_EQ(chain.Expression, " [V003()] * 2");

    const OperatorPlan conditional = AnalyzeStatement(program[1]);
    EXPECT_EQ(conditional.CondRefCount, 3);
    EXPECT_EQ(conditional.EqCount, 1);
    EXPECT_EQ(conditional.Targets, (std::vector<int>{5}));
}

TEST(CheckAlgorithm, PreparesEachLineForTheInterpreter) {
    TProgram01 program = ParseAlgorithm(
        "Top: if([V001()] > 5) if([V002()] <> 0) goto Top\n"
        "else if( [V003()]>1 ) [V004()] = [I001()] * 2\n"
        "else [V004()] = 1");
    ASSERT_TRUE(CheckAlgorithm(program, {Datum(1)}).empty());
    ASSERT_EQ(program.size(), 3u);
    EXPECT_TRUE(program[0].IsGoto);
    EXPECT_FALSE(program[0].IsElse);
    EXPECT_EQ(program[0].GotoLine, 1);
    EXPECT_EQ(program[0].Condition, "{[V001()]>5}{[V002()]<>0}");
    EXPECT_EQ(program[0].Text, "Top");
    EXPECT_TRUE(program[1].IsElse);
    EXPECT_FALSE(program[1].IsGoto);
    EXPECT_EQ(program[1].Condition, "{[V003()]>1}");
    // Initial-data references stay: their values are put in when the line runs.
    EXPECT_EQ(program[1].Text, "[V004()] = [I001()] * 2");
    EXPECT_TRUE(program[2].IsElse);
    EXPECT_TRUE(program[2].Condition.empty());
}

TEST(CheckAlgorithm, ReportsEachErrorWithItsLine) {
    const struct {
        const char* text;
        std::vector<Expected> expected;
    } cases[] = {
        // Accepted lines.
        {"if([V001()]>1) [V002()] = 2\nelse [V002()] = 3", {}},
        {"[V001()] = 0-[V002()]\n[V001()] = 2*-3\n[V001()] = 5--3", {}},
        {"[V001()] = -(2-5)*(1+,314)/12.", {}},
        {"Begin:\nif([V001()]<=[I001()]) goto Begin // back", {}},
        // Characters.
        {"[V001()] = 5 # x", {{1, 100, "#"}, {1, 100, "x"}}},
        {"[V001()] = 5 #\n[V002()] = 1 # ä ä", {{1, 100, "#"}, {2, 100, "#"}, {2, 100, "ä"}}},
        {"[V001()] = [V002()] 5 x\n", {{1, 100, "x"}}},
        // Labels.
        {"A B: [V001()] = 1", {{1, 110, "A B"}}},
        {"Begin:\n[V001()] = 1\n\n// c\nbegin:", {{5, 120, "begin"}}},
        {"L: [V001()] = 1 #\nL:", {{1, 100, "#"}, {2, 120, "L"}}},
        // The statement's structure.
        {"if([V001()]>1) else [V002()] = 1", {{1, 130, ""}}},
        {"if([V001()]>1 [V002()] = 1", {{1, 140, ""}}},
        {"if([V001()]>1) [V002()] = 2 goto L\nL:", {{1, 150, "[V002()] = 2"}}},
        {"if ([V001()]>1) [V002()] = 2", {{1, 151, "if ([V001()]>1) [V002()] = 2"}}},
        {"if( if(1>0)) goto L\nL:", {{1, 151, ""}}},
        {"else", {{1, 151, "else"}}},
        {"[V001()] = 5 > 3", {{1, 152, "[V001()] = 5 > 3"}}},
        // Assignments.
        {"[I001()] = 5", {{1, 160, "[I001()]"}, {1, 171, "[I001()]"}}},
        {"5 = 3", {{1, 171, "5"}}},
        {"[V001()]+1 = 3", {{1, 171, "[V001()]+1"}}},
        {"[V001()]", {{1, 170, "[V001()]"}}},
        {"[V001()] 5", {{1, 170, "[V001()] 5"}, {1, 200, "[V001()] 5"}}},
        // Expressions.
        {"[V001()] = (5", {{1, 140, "(5"}}},
        {"[V001()] = 5)+(1", {{1, 140, "5)+(1"}}},
        {"[V001()] = 1,5,0", {{1, 180, "1,5,0"}}},
        {"[V001()] = 2(3)", {{1, 200, "2(3)"}}},
        {"[V001()] = [V002()](3)", {{1, 200, "[V002()](3)"}}},
        {"[V001()] = (2)(3)", {{1, 200, "(2)(3)"}}},
        {"[V001()] = ([V002()])([V003()])", {{1, 200, "([V002()])([V003()])"}}},
        {"[V001()] = -[V002()]", {{1, 201, "-[V002()]"}}},
        {"[V001()] = 2*-[V002()]", {{1, 201, "2*-[V002()]"}}},
        {"[V001()] = *5", {{1, 202, "*5"}}},
        {"[V001()] = 2**3", {{1, 203, "2**3"}}},
        {"[V001()] = 2*-(3)", {{1, 203, "2*-(3)"}}},
        {"[V001()] = 2*--3", {{1, 203, "2*--3"}}},
        {"[V001()] = --[V002()]*6", {{1, 203, "--[V002()]*6"}}},
        {"[V001()] = 5*", {{1, 204, "5*"}}},
        {"[V001()] = 5-", {{1, 204, "5-"}}},
        // Conditions.
        {"if([V001()]=1) goto L\nL:", {{1, 300, "="}, {1, 310, ""}}},
        {"if([V001()]=<1) goto L\nL:", {{1, 300, "=<"}, {1, 310, ""}}},
        {"if([V001()]><1) goto L\nL:", {{1, 300, "><"}, {1, 310, ""}}},
        {"if([V001()]) goto L\nL:", {{1, 310, ""}}},
        {"if([V001()]>1>2) goto L\nL:", {{1, 320, ""}}},
        {"if([V001()]>*1) goto L\nL:", {{1, 202, "*1"}}},
        // Jumps, initial data, else.
        {"goto End\nend:", {{1, 400, "End"}}},
        {"[V001()] = [I003()]", {{1, 500, "I003"}}},
        {"if([I002()]>0) [V001()] = 1", {{1, 500, "I002"}}},
        {"[V002()] = 3\nelse [V002()] = 4", {{2, 600, ""}}},
        {"else [V002()] = 4", {{1, 600, ""}}},
        {"if([V001()]>0) goto L\nL:\nelse [V002()] = 4", {{3, 600, ""}}},
        // A line with an error does not stop the check of the next.
        {"[V001()] = *5\n[V002()] = 5*\ngoto Nowhere",
         {{1, 202, "*5"}, {2, 204, "5*"}, {3, 400, "Nowhere"}}},
    };
    for (const auto& c : cases) EXPECT_EQ(Check(c.text), c.expected) << c.text;
}

TEST(CheckAlgorithm, RefusesDataWithoutASource) {
    EXPECT_EQ(Check("[V001()] = [I003()]", {Datum(3, -1)}),
              (std::vector<Expected>{{1, 500, "I003"}}));
    EXPECT_TRUE(Check("[V001()] = [I003()]", {Datum(3, 0)}).empty());
}

TEST(AlgErrCodes, ListEveryCodeOnceInOrder) {
    EXPECT_TRUE(std::is_sorted(kAlgErrCodes.begin(), kAlgErrCodes.end()));
    EXPECT_EQ(std::adjacent_find(kAlgErrCodes.begin(), kAlgErrCodes.end()), kAlgErrCodes.end());
    EXPECT_EQ(kAlgErrCodes.size(), 30u);
}
