// The big integer: parsing, arithmetic, long division, shifts, comparison and text.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "decimal/Large.h"

namespace {

// The value of a hexadecimal text with an optional leading "-".
large Hex(std::string_view text) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    large value;
    for (const char c : text) {
        value *= 16u;
        value += large(static_cast<unsigned>(c <= '9' ? c - '0' : c - 'a' + 10));
    }
    return negative ? -value : value;
}

std::string Text(const large& value) {
    return large::ToString(value);
}

std::string Text128(__int128 value) {
    if (value == 0) return "0";
    const bool negative = value < 0;
    unsigned __int128 magnitude = negative ? 0 - static_cast<unsigned __int128>(value)
                                           : static_cast<unsigned __int128>(value);
    std::string digits;
    for (; magnitude != 0; magnitude /= 10) digits.insert(0, 1, char('0' + magnitude % 10));
    return (negative ? "-" : "") + digits;
}

large Large128(__int128 value) {
    return large(Text128(value).c_str());
}

// Random words biased to the values at which carries, borrows and estimates go wrong.
uint32_t RandomWord(std::mt19937_64& random) {
    static constexpr uint32_t kEdges[] = {0,          1,          0x7FFFFFFF, 0x80000000,
                                          0x80000001, 0xFFFFFFFE, 0xFFFFFFFF};
    const uint64_t pick = random();
    if (pick % 3 == 0) return static_cast<uint32_t>(pick >> 32);
    return kEdges[(pick >> 8) % std::size(kEdges)];
}

large RandomLarge(std::mt19937_64& random, unsigned words) {
    large value;
    for (unsigned i = 0; i < words; ++i) {
        value <<= 32;
        value += large(RandomWord(random));
    }
    return random() % 2 == 0 ? value : -value;
}

void ExpectTextError(const char* text) {
    try {
        large value(text);
        ADD_FAILURE() << "no error for \"" << text << "\", got " << Text(value);
    } catch (const LargeError& error) {
        EXPECT_EQ(error.Code(), kLargeTextError) << text;
    }
}

}  // namespace

TEST(LargeParse, ReadsSignAndDigits) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"", "0"},
        {"-", "0"},
        {"-0", "0"},
        {"007", "7"},
        {"-42", "-42"},
        {"4294967295", "4294967295"},
        {"4294967296", "4294967296"},
        {"1000000000", "1000000000"},
        {"-123456789012345678901234567890", "-123456789012345678901234567890"},
        {"000000000000000000000000000000001", "1"},
    };
    for (const auto& c : cases) {
        const large value(c.text);
        EXPECT_EQ(Text(value), c.expected) << c.text;
        EXPECT_EQ(value.IsNegative(), c.expected[0] == '-') << c.text;
    }
}

TEST(LargeParse, MalformedTextsRaiseTheTextError) {
    for (const char* text : {"12a", "+5", " 5", "5 ", "5-", "1.5", "1,5", "--5", "-+1", "0x10"}) {
        ExpectTextError(text);
    }
    ExpectTextError(nullptr);
}

TEST(LargeConstruct, FromMachineIntegers) {
    EXPECT_EQ(Text(large(INT_MIN)), "-2147483648");
    EXPECT_EQ(Abs(large(INT_MIN)), large(2147483648u));
    EXPECT_EQ(Text(large(UINT_MAX)), "4294967295");
    EXPECT_EQ(Text(large(LONG_MIN)), "-9223372036854775808");
    EXPECT_EQ(Text(large(LONG_MAX)), "9223372036854775807");
    EXPECT_EQ(Text(large(0)), "0");
    EXPECT_FALSE(large(0L).IsNegative());
}

TEST(LargeArithmetic, SumsDifferencesAndProducts) {
    const struct {
        const char* a;
        char op;
        const char* b;
        const char* expected;
    } cases[] = {
        {"4294967295", '+', "1", "4294967296"},
        {"18446744073709551615", '+', "1", "18446744073709551616"},
        {"-3", '+', "3", "0"},
        {"-10", '+', "3", "-7"},
        {"3", '+', "-10", "-7"},
        {"0", '+', "-5", "-5"},
        {"-18446744073709551616", '+', "-18446744073709551616", "-36893488147419103232"},
        {"5", '-', "5", "0"},
        {"0", '-', "5", "-5"},
        {"5", '-', "7", "-2"},
        {"-5", '-', "-7", "2"},
        {"-7", '-', "-5", "-2"},
        {"-5", '-', "7", "-12"},
        {"18446744073709551616", '-', "1", "18446744073709551615"},
        {"79228162514264337593543950336", '-', "1", "79228162514264337593543950335"},
        {"1", '-', "79228162514264337593543950336", "-79228162514264337593543950335"},
        {"65536", '*', "65536", "4294967296"},
        {"0", '*', "-5", "0"},
        {"-5", '*', "0", "0"},
        {"-4294967296", '*', "4294967296", "-18446744073709551616"},
        {"-3", '*', "-18446744073709551617", "55340232221128654851"},
        {"18446744073709551615", '*', "18446744073709551615",
         "340282366920938463426481119284349108225"},
        {"-123456789012345678901234567890", '*', "987654321098765432109876543210",
         "-121932631137021795226185032733622923332237463801111263526900"},
        {"7", '%', "-2", "1"},
        {"-7", '%', "2", "-1"},
        {"-6", '%', "3", "0"},
    };
    for (const auto& c : cases) {
        const large a(c.a);
        const large b(c.b);
        const large result = c.op == '+'   ? a + b
                             : c.op == '-' ? a - b
                             : c.op == '*' ? a * b
                                           : a % b;
        EXPECT_EQ(Text(result), c.expected) << c.a << ' ' << c.op << ' ' << c.b;
        EXPECT_EQ(result.IsNegative(), c.expected[0] == '-') << c.a << ' ' << c.op << ' ' << c.b;
    }
}

TEST(LargeArithmetic, WordFactors) {
    large value("-12345678901234567890");
    value *= INT_MIN;
    EXPECT_EQ(Text(value), "26512143563859841556120862720");
    value *= -1;
    EXPECT_EQ(Text(value), "-26512143563859841556120862720");
    value *= 0u;
    EXPECT_EQ(Text(value), "0");
    EXPECT_FALSE(value.IsNegative());
    large word(4294967295u);
    word *= 4294967295u;
    EXPECT_EQ(Text(word), "18446744065119617025");
    EXPECT_EQ(Text(-large(0)), "0");
    EXPECT_FALSE((-large(0)).IsNegative());
}

TEST(LargeArithmetic, OperandMayBeTheObjectItself) {
    large value("-18446744073709551617");
    value += value;
    EXPECT_EQ(Text(value), "-36893488147419103234");
    value *= value;
    EXPECT_EQ(Text(value), "1361129467683753854001072382316749258756");
    value /= value;
    EXPECT_EQ(Text(value), "1");
    value -= value;
    EXPECT_EQ(Text(value), "0");
    EXPECT_FALSE(value.IsNegative());
}

TEST(LargeDivision, QuotientTruncatesTowardZeroAndRemainderFollowsTheDividend) {
    const struct {
        const char* dividend;
        const char* divisor;
        const char* quotient;
        const char* remainder;
    } cases[] = {
        {"-7", "2", "-3", "-1"},
        {"7", "-2", "-3", "1"},
        {"-7", "-2", "3", "-1"},
        {"-6", "3", "-2", "0"},
        {"0", "5", "0", "0"},
        {"3", "5", "0", "3"},
        {"-3", "5", "0", "-3"},
        {"-36893488147419103232", "-4294967296", "8589934592", "0"},
        {"-36893488147419103235", "65535", "-562958543486978", "-5"},
    };
    for (const auto& c : cases) {
        large quotient;
        large remainder;
        large::DivMod(large(c.dividend), large(c.divisor), quotient, &remainder);
        EXPECT_EQ(Text(quotient), c.quotient) << c.dividend << " / " << c.divisor;
        EXPECT_EQ(Text(remainder), c.remainder) << c.dividend << " % " << c.divisor;
        EXPECT_EQ(quotient.IsNegative(), c.quotient[0] == '-');
        EXPECT_EQ(remainder.IsNegative(), c.remainder[0] == '-');
    }
}

// Dividends and divisors of several words; among them divisors whose top word is below the
// word under it, estimates corrected once or twice before the subtraction, and estimates
// that the subtraction finds one too large (the value is added back).
TEST(LargeDivision, LongDivisionOfSeveralWords) {
    const struct {
        const char* dividend;
        const char* divisor;
        const char* quotient;
        const char* remainder;
    } cases[] = {
        {"7fffffff8000000100000000", "800000007fffffff", "fffffffe", "2fffffffe"},
        {"7ffffffffffffffe00000001ffffffff", "7fffffffffffffff", "fffffffffffffffe", "1fffffffd"},
        {"18000000100000001ffffffffffffffff", "800000007fffffff80000000", "2ffffffff",
         "3ffffffff7fffffff"},
        {"fffffffe00000001800000007fffffff", "18000000100000000", "aaaaaaa8e38e38e5",
         "11c71c71b7fffffff"},
        {"80000000fffffffffffffffefffffffefffffffe", "ffffffffffffffffffffffff", "80000000ffffffff",
         "ffffffff7ffffffffffffffd"},
        {"800000007fffffff80000001ffffffff", "100000001ffffffff", "7fffffff80000000",
         "1000000017fffffff"},
        {"800000000000000000000003", "200000000000000000000001", "3", "200000000000000000000000"},
        {"80000001c541013d00000001000000017fffffff", "fbb230bbffffffff00000000", "8230533f755303fe",
         "f7ddc4b8755303ff7fffffff"},
        {"ffffffffffffffffffffffffffffffff", "80000000ffffffff", "1fffffffc0000000b",
         "7ffffff10000000a"},
        {"123456789abcdef0123456789", "fedcba98", "1249249251a1f57be", "efa142b9"},
        {"fedcba9876543210", "1234567890", "e000000", "96543210"},
        {"1234", "ffffffffffffffffffff", "0", "1234"},
    };
    for (const auto& c : cases) {
        for (const bool negative : {false, true}) {
            const large dividend = negative ? -Hex(c.dividend) : Hex(c.dividend);
            large quotient;
            large remainder;
            large::DivMod(dividend, Hex(c.divisor), quotient, &remainder);
            const std::string sign = negative ? "-" : "";
            EXPECT_EQ(quotient, Hex(sign + c.quotient)) << c.dividend << " / " << c.divisor;
            EXPECT_EQ(remainder, Hex(sign + c.remainder)) << c.dividend << " % " << c.divisor;
        }
    }
}

TEST(LargeDivision, ZeroDivisorRaisesAndKeepsTheDividend) {
    large value("-98765432109876543210");
    for (const bool modulo : {false, true}) {
        try {
            modulo ? value %= large(0) : value /= large();
            ADD_FAILURE() << "no error";
        } catch (const LargeError& error) {
            EXPECT_EQ(error.Code(), kLargeDivisionError);
        }
        EXPECT_EQ(Text(value), "-98765432109876543210");
    }
}

TEST(LargeDivision, RandomValuesSatisfyTheDivisionIdentity) {
    std::mt19937_64 random(20240611);
    for (int i = 0; i < 20000; ++i) {
        const large dividend = RandomLarge(random, 1 + random() % 9);
        const large divisor = RandomLarge(random, 1 + random() % 5);
        if (divisor.IsZero()) continue;
        large quotient;
        large remainder;
        large::DivMod(dividend, divisor, quotient, &remainder);
        ASSERT_EQ(quotient * divisor + remainder, dividend)
            << Text(dividend) << " / " << Text(divisor);
        ASSERT_LT(Abs(remainder), Abs(divisor)) << Text(dividend) << " / " << Text(divisor);
        ASSERT_TRUE(remainder.IsZero() || remainder.IsNegative() == dividend.IsNegative());
        large alone = dividend;
        alone /= divisor;
        ASSERT_EQ(alone, quotient);
    }
}

TEST(LargeArithmetic, AgreesWith128BitIntegers) {
    std::mt19937_64 random(7);
    const auto value = [&random](int bits) {
        const unsigned __int128 raw = (static_cast<unsigned __int128>(random()) << 64) | random();
        const __int128 magnitude = static_cast<__int128>(raw >> (128 - bits));
        return random() % 2 == 0 ? magnitude : -magnitude;
    };
    for (int i = 0; i < 20000; ++i) {
        const __int128 a = value(1 + random() % 126);
        const __int128 b = value(1 + random() % 126);
        const large la = Large128(a);
        const large lb = Large128(b);
        ASSERT_EQ(Text(la + lb), Text128(a + b));
        ASSERT_EQ(Text(la - lb), Text128(a - b));
        ASSERT_EQ(large::Compare(la, lb) < 0, a < b);
        ASSERT_EQ(la == lb, a == b);
        const __int128 small = value(1 + random() % 62);
        const __int128 other = value(1 + random() % 62);
        ASSERT_EQ(Text(Large128(small) * Large128(other)), Text128(small * other));
        if (b != 0) {
            large quotient;
            large remainder;
            large::DivMod(la, lb, quotient, &remainder);
            ASSERT_EQ(Text(quotient), Text128(a / b)) << Text128(a) << " / " << Text128(b);
            ASSERT_EQ(Text(remainder), Text128(a % b)) << Text128(a) << " % " << Text128(b);
        }
    }
}

TEST(LargeShift, MovesTheMagnitudeAndKeepsTheSign) {
    const struct {
        const char* value;
        bool left;
        unsigned bits;
        const char* expected;
    } cases[] = {
        {"1", true, 31, "80000000"},
        {"1", true, 32, "100000000"},
        {"-ffffffff", true, 4, "-ffffffff0"},
        {"123456789abcdef", true, 68, "123456789abcdef00000000000000000"},
        {"0", true, 100, "0"},
        {"123456789abcdef00000000000000000", false, 68, "123456789abcdef"},
        {"-7", false, 1, "-3"},
        {"-1", false, 1, "0"},
        {"ffffffffffffffff", false, 64, "0"},
        {"ffffffffffffffff", false, 63, "1"},
        {"1ffffffff", false, 32, "1"},
    };
    for (const auto& c : cases) {
        large value = Hex(c.value);
        c.left ? value <<= c.bits : value >>= c.bits;
        EXPECT_EQ(value, Hex(c.expected)) << c.value << (c.left ? " << " : " >> ") << c.bits;
        EXPECT_EQ(value.IsNegative(), c.expected[0] == '-');
    }
}

TEST(LargeCompare, OrdersBySignThenMagnitude) {
    const std::vector<const char*> ascending = {"-79228162514264337593543950336",
                                                "-18446744073709551617",
                                                "-18446744073709551616",
                                                "-4294967296",
                                                "-2",
                                                "-1",
                                                "0",
                                                "1",
                                                "4294967295",
                                                "4294967296",
                                                "18446744073709551617",
                                                "79228162514264337593543950336"};
    for (size_t i = 0; i < ascending.size(); ++i) {
        for (size_t j = 0; j < ascending.size(); ++j) {
            const int order = large::Compare(large(ascending[i]), large(ascending[j]));
            EXPECT_EQ(order < 0, i < j) << ascending[i] << " vs " << ascending[j];
            EXPECT_EQ(order > 0, i > j) << ascending[i] << " vs " << ascending[j];
            EXPECT_EQ(large(ascending[i]) == large(ascending[j]), i == j);
        }
    }
}

TEST(LargeText, DigitsComeLeastSignificantFirst) {
    const struct {
        const char* value;
        const char* digits;
    } cases[] = {
        {"0", "0"},
        {"-1", "1-"},
        {"1000000000", "0000000001"},
        {"-120000000000000000000000000003", "300000000000000000000000000021-"},
    };
    for (const auto& c : cases) {
        std::string digits = "x";
        large::Digits(large(c.value), digits);
        EXPECT_EQ(digits, std::string("x") + c.digits);
        EXPECT_EQ(Text(large(c.value)), c.value);
    }
}
