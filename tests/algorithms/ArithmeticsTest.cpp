// Number texts, the reference and number scanners, and the arithmetic of expressions.
#include <gtest/gtest.h>

#include <string>

#include "algorithms/Uq519algorithm01.h"
#include "algorithms/Uq519arithmeticslf.h"
#include "decimal/SeparatorScope.h"

namespace {

// The expected text written with ","; the locale's separator in its place.
std::string WithSeparator(std::string text, char separator) {
    for (char& c : text)
        if (c == ',') c = separator;
    return text;
}

}  // namespace

TEST(IsNumberText, AcceptsOnlyDigitsOneSeparatorAndALeadingMinus) {
    const struct {
        const char* text;
        bool expected;
    } cases[] = {
        {"-1,5", true}, {"1.5", true},  {"", true},       {"-", true},
        {",5", true},   {"12.", true},  {"1,5,0", false}, {"1.5,0", false},
        {"5-", false},  {"1e5", false}, {" 5", false},    {"--5", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsNumberText(c.text), c.expected) << c.text;
}

TEST(NormalizeNumberText, GivesTheStoredForm) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"  -0012,500 \t", "-12,5"},
        {"-0", "0"},
        {"0,00", "0"},
        {"100,0", "100"},
        {"100,50", "100,5"},
        {"0,5", ",5"},
        {"", "0"},
        {"5", "5"},
        {"007", "7"},
        {"12.", "12"},
        {"-", "0"},
        {"1000", "1000"},
        {"-0,250", "-,25"},
    };
    for (const auto& c : cases) EXPECT_EQ(NormalizeNumberText(c.text), c.expected) << c.text;
}

TEST(ReplaceTextRange, ReplacesTheCountedCharacters) {
    EXPECT_EQ(ReplaceTextRange("abcdef", "XY", 2, 3), "aXYef");
    EXPECT_EQ(ReplaceTextRange("abc", "X", 4, 0), "abcX");
    EXPECT_EQ(ReplaceTextRange("abc", "", 1, 10), "");
}

TEST(FindReference, FindsTheFirstMatchingReference) {
    const LFVar v = FindReference("x [V001()] y", 1, "", 'V');
    ASSERT_TRUE(v.Found);
    EXPECT_EQ(v.Start, 3);
    EXPECT_EQ(v.End, 10);
    EXPECT_EQ(v.Length, 8);
    EXPECT_EQ(v.Value, "0");
    EXPECT_EQ(v.Number, 1);
    EXPECT_EQ(v.Name, "001");
    EXPECT_EQ(v.Kind, 'V');

    const LFVar i = FindReference("[V001()] [I002(7,5)]", 1, "", 'I');
    ASSERT_TRUE(i.Found);
    EXPECT_EQ(i.Start, 10);
    EXPECT_EQ(i.Value, "7,5");
    EXPECT_EQ(i.Kind, 'I');

    const LFVar any = FindReference("[I100(-3)]", 1, "", 'A');
    ASSERT_TRUE(any.Found);
    EXPECT_EQ(any.Number, 100);
    EXPECT_EQ(any.Value, "-3");

    const LFVar inner = FindReference("[[V001()]", 1, "", 'V');
    ASSERT_TRUE(inner.Found);
    EXPECT_EQ(inner.Start, 2);

    EXPECT_TRUE(FindReference("[V007(1)] [V008(2)]", 1, "008", 'V').Found);
    EXPECT_EQ(FindReference("[V007(1)] [V008(2)]", 1, "008", 'V').Start, 11);
    EXPECT_EQ(FindReference("[V007(1)] [V008(2)]", 2, "", 'V').Start, 11);
}

TEST(FindReference, RejectsMalformedReferences) {
    for (const char* text : {"[V000()]", "[V101()]", "[V01()]", "[v001()]", "[V001(abc)]", "[V001]",
                             "[V001()", "[V0a1()]", "[V001)(]", "[X001()]"})
        EXPECT_FALSE(FindReference(text, 1, "", 'A').Found) << text;
    // A rejected candidate does not hide a good one after it.
    EXPECT_EQ(FindReference("[V000()] [V002()]", 1, "", 'V').Number, 2);
}

TEST(FindNumberToken, FindsTheFirstRunOfDigitsAndSeparators) {
    const LFNumber n = FindNumberToken("[V001()] = 12,5.3 + 4", 10);
    ASSERT_TRUE(n.Found);
    EXPECT_EQ(n.Text, "12,5.3");
    EXPECT_EQ(n.Start, 12);
    EXPECT_EQ(n.End, 17);
    EXPECT_EQ(n.Length, 6);
    EXPECT_FALSE(FindNumberToken("abc", 1).Found);
    EXPECT_FALSE(FindNumberToken("12", 3).Found);
}

// Expected values are written with ","; each case runs under both separators.
TEST(EvaluateExpression, ComputesExactlyUnderBothSeparators) {
    const struct {
        const char* expression;
        const char* expected;
    } cases[] = {
        {"2+3*4", "14"},
        {"(2+3)*4", "20"},
        {"8/2*4", "16"},
        {"8-2-3", "3"},
        {"1-5-3", "-7"},
        {"-3*-2", "6"},
        {"5--3", "8"},
        {"2+-3", "-1"},
        {"2*(-3)", "-6"},
        {"-(2)", "-2"},
        {"-(2-5)", "3"},
        {"2+-(2-5)", "5"},
        {"((1+2)*(3+4))", "21"},
        {"10/4", "2,5"},
        {"1/3*3", "0,99999999999999999999"},
        {"2/3", "0,66666666666666666666"},
        {"-2/3", "-0,66666666666666666666"},
        {"1,5/3", "0,5"},
        {"1/8", "0,125"},
        {"0,1+0,2", "0,3"},
        {"1.5+1,5", "3"},
        {"1,50*2", "3"},
        {"123456789012345678901234567890*10", "1234567890123456789012345678900"},
        {"2 + 3", "5"},
        {"--5", "-5"},
    };
    for (const char separator : {',', '.'}) {
        SeparatorScope scope(separator);
        for (const auto& c : cases)
            EXPECT_EQ(EvaluateExpression(c.expression), WithSeparator(c.expected, separator))
                << c.expression << " with separator " << separator;
    }
}

TEST(EvaluateExpression, CopiesATextWithoutOperatorsAsItStands) {
    const struct {
        const char* expression;
        const char* expected;
    } cases[] = {
        {"7", "7"},     {" 1 , 5 ", "1,5"}, {"5,0", "5,0"},   {"1.50", "1.50"},
        {"007", "007"}, {"(5,0)", "5,0"},   {"-5,0", "-5,0"}, {"", ""},
    };
    for (const char separator : {',', '.'}) {
        SeparatorScope scope(separator);
        for (const auto& c : cases) EXPECT_EQ(EvaluateExpression(c.expression), c.expected);
    }
}

TEST(EvaluateExpression, FailuresCarryTheirRunCode) {
    const struct {
        const char* expression;
        int code;
    } cases[] = {
        {"1/0", kErrDivisionByZero},     {"1/(2-2)", kErrDivisionByZero},
        {"5/0,000", kErrDivisionByZero}, {"2*--3", kErrRunFailed},
        {"1,5,0+1", kErrRunFailed},      {"[V001(5)]+1", kErrRunFailed},
        {"2>1+1", kErrRunFailed},        {"V+1", kErrRunFailed},
    };
    for (const auto& c : cases) {
        try {
            EvaluateExpression(c.expression);
            ADD_FAILURE() << c.expression << " evaluated";
        } catch (const ExpressionError& error) {
            EXPECT_EQ(error.RunErrCode(), c.code) << c.expression;
        }
    }
}
