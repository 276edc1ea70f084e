// The number-text checks, with "." and with "," as the locale's separator.
#include <gtest/gtest.h>

#include <string>

#include "SeparatorScope.h"
#include "decimal/Uchecksymbols.h"

TEST(IsDigit, AcceptsOnlyTheTenDigits) {
    for (int c = -128; c < 128; ++c) {
        EXPECT_EQ(IsDigitChar(static_cast<char>(c)), c >= '0' && c <= '9') << c;
    }
    const struct {
        const char* text;
        bool digits;
    } cases[] = {
        {"", true},     {"0", true},    {"0123456789", true}, {"12 3", false}, {"-12", false},
        {"+12", false}, {"1.5", false}, {"1,5", false},       {"12a", false},  {" ", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsDigitString(c.text), c.digits) << '"' << c.text << '"';
}

TEST(IsDecimal, FollowsTheLocaleSeparator) {
    const struct {
        const char* text;  // written with "." for the separator and ";" for the other character
        bool decimal;
    } cases[] = {
        {"", true},     {"-", true},     {"-12.5", true},    {"12.", true}, {".5", true},
        {"007", true},  {"-.", true},    {"12.5.1", false},  {"..", false}, {"1-2", false},
        {"12-", false}, {"--1", false},  {"+5", false},      {"x5", false}, {"12a", false},
        {"1 2", false}, {"12;5", false}, {"1;000.5", false},
    };
    for (const char separator : {'.', ','}) {
        const SeparatorScope scope(separator);
        const char other = separator == '.' ? ',' : '.';
        EXPECT_TRUE(IsDecimalChar(separator));
        EXPECT_FALSE(IsDecimalChar(other));
        EXPECT_TRUE(IsDecimalChar('7'));
        EXPECT_FALSE(IsDecimalChar('-'));
        for (const auto& c : cases) {
            std::string text = c.text;
            for (char& ch : text) {
                if (ch == '.')
                    ch = separator;
                else if (ch == ';')
                    ch = other;
            }
            EXPECT_EQ(IsDecimalString(text), c.decimal) << '"' << text << '"';
        }
    }
}
