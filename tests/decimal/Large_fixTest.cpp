// The decimal number: parsing, normal form, arithmetic, division, rounding, order and text.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "SeparatorScope.h"
#include "decimal/Large_fix.h"

namespace {

// Tests that compare texts write them with "." whatever the run's locale.
class LargeFix : public ::testing::Test {
private:
    SeparatorScope point_{'.'};
};

void ExpectError(unsigned code, const std::function<void()>& action, const std::string& what) {
    try {
        action();
        ADD_FAILURE() << "no error for " << what;
    } catch (const LargeError& error) {
        EXPECT_EQ(error.Code(), code) << what;
    }
}

// The normal-form text of mantissa / 10^scale, as a simple reference.
std::string Reference(__int128 mantissa, int scale) {
    const bool negative = mantissa < 0;
    unsigned __int128 magnitude = negative ? 0 - static_cast<unsigned __int128>(mantissa)
                                           : static_cast<unsigned __int128>(mantissa);
    for (; scale > 0 && magnitude % 10 == 0; --scale) magnitude /= 10;
    std::string digits;
    do {
        digits.insert(0, 1, char('0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    if (scale > 0) {
        if (digits.size() <= static_cast<size_t>(scale))
            digits.insert(0, scale - digits.size() + 1, '0');
        digits.insert(digits.size() - scale, 1, '.');
    }
    return (negative && digits.find_first_not_of("0.") != std::string::npos ? "-" : "") + digits;
}

__int128 PowerOfTen(int n) {
    __int128 power = 1;
    while (n-- > 0) power *= 10;
    return power;
}

}  // namespace

TEST_F(LargeFix, ParsesEitherPointBlanksAndALeadingMinus) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"", "0"},
        {"   ", "0"},
        {"-", "0"},
        {"-0", "0"},
        {"0.000", "0"},
        {"-0,000", "0"},
        {"0,50", "0.5"},
        {".5", "0.5"},
        {",5", "0.5"},
        {"5.", "5"},
        {"100", "100"},
        {"1 000,5", "1000.5"},
        {"12,345", "12.345"},
        {"-.5", "-0.5"},
        {" - 1 2 . 5 0 ", "-12.5"},
        {"007.0700", "7.07"},
        {"-123456789012345678901234567890.123456789", "-123456789012345678901234567890.123456789"},
        {"0.000000000000000000000000000001", "0.000000000000000000000000000001"},
    };
    for (const auto& c : cases) {
        const large_fix value(c.text);
        EXPECT_EQ(value.ToString(), c.expected) << '"' << c.text << '"';
        EXPECT_EQ(value, large_fix(c.expected)) << '"' << c.text << '"';
    }
    // Zero in any spelling is the plain zero: scale 0 and not negative.
    EXPECT_EQ(large_fix("-0.000"), large_fix());
}

TEST_F(LargeFix, MalformedTextsRaiseTheTextError) {
    for (const char* text : {"1,2,3", "1.000,5", "5-", "1.-5", ".-5", ",-5", "--1", "+5", "1e5",
                             "1\t5", "\t1", "12a", "1_000",
                             "\xA0"
                             "5"}) {
        ExpectError(
            kLargeTextError, [text] { large_fix value(text); }, text);
    }
    ExpectError(
        kLargeTextError, [] { large_fix value(nullptr); }, "no text");
}

TEST_F(LargeFix, WholeNumbersFromMachineIntegers) {
    EXPECT_EQ(large_fix(INT_MIN).ToString(), "-2147483648");
    EXPECT_EQ(large_fix(INT_MAX).ToString(), "2147483647");
    EXPECT_EQ(large_fix(0), large_fix());
    EXPECT_EQ(large_fix(-5L).ToString(), "-5");
    // A long has 64 bits here; its whole range is kept.
    EXPECT_EQ(large_fix(LONG_MIN).ToString(), "-9223372036854775808");
}

TEST_F(LargeFix, ExactSumsDifferencesProductsAndQuotients) {
    const struct {
        const char* a;
        char op;
        const char* b;
        const char* expected;
    } cases[] = {
        {"0.1", '+', "0.2", "0.3"},
        {"1.10", '-', "0.1", "1"},
        {"1.25", '-', "3", "-1.75"},
        {"3", '-', "1.25", "1.75"},
        {"-0.005", '+', "0.005", "0"},
        {"99999999999999999999.9999", '+', "0.0001", "100000000000000000000"},
        {"1.5", '*', "2", "3"},
        {"0", '*', "-5", "0"},
        {"-2.5", '*', "0.4", "-1"},
        {"-0.001", '*', "-0.001", "0.000001"},
        {"123456789012345678901234567890.123", '*', "9876543210987654321098765432.10987",
         "1219326311370217952261850327338662566644877971343362968602.22381401"},
        {"1", '/', "3", "0.33333333333333333333"},
        {"2", '/', "3", "0.66666666666666666666"},
        {"-1", '/', "3", "-0.33333333333333333333"},
        {"1.5", '/', "7", "0.214285714285714285714"},
        {"1", '/', "8", "0.125"},
        {"10", '/', "0.5", "20"},
        {"100", '/', "4", "25"},
        {"-7.5", '/', "-2.5", "3"},
        {"1", '/', "-0.003", "-333.33333333333333333333"},
        {"0", '/', "-7.25", "0"},
        {"0.14285714285714285714", '/', "7", "0.0204081632653061224485714285714285714285"},
        {"123456789012345678901234567890.5", '/', "0.0007",
         "176366841446208112716049382700714.285714285714285714285"},
    };
    for (const auto& c : cases) {
        const large_fix a(c.a);
        const large_fix b(c.b);
        const large_fix result = c.op == '+'   ? a + b
                                 : c.op == '-' ? a - b
                                 : c.op == '*' ? a * b
                                               : a / b;
        EXPECT_EQ(result.ToString(), c.expected) << c.a << ' ' << c.op << ' ' << c.b;
        EXPECT_EQ(result, large_fix(c.expected)) << c.a << ' ' << c.op << ' ' << c.b;
    }
    EXPECT_EQ((large_fix(1) / large_fix(3) * large_fix(3)).ToString(), "0.99999999999999999999");
}

TEST_F(LargeFix, CompoundOperatorsChangeTheObjectAndAcceptItself) {
    large_fix value("-1.5");
    value += value;
    EXPECT_EQ(value.ToString(), "-3");
    value *= value;
    EXPECT_EQ(value.ToString(), "9");
    value /= value;
    EXPECT_EQ(value.ToString(), "1");
    value -= value;
    EXPECT_EQ(value, large_fix());
    value -= large_fix("0.25");
    EXPECT_EQ(value.ToString(), "-0.25");
}

TEST_F(LargeFix, DivisionByZeroRaisesAndKeepsTheDividend) {
    large_fix value("-12.75");
    ExpectError(
        kLargeDivisionError, [&value] { value /= large_fix("0.000"); }, "/= 0");
    EXPECT_EQ(value.ToString(), "-12.75");
    ExpectError(
        kLargeDivisionError, [&value] { (void)(value / large_fix()); }, "/ 0");
    EXPECT_EQ(value.ToString(), "-12.75");
}

TEST_F(LargeFix, AgreesWithScaledIntegerArithmetic) {
    std::mt19937_64 random(31);
    // A random amount in normal form: mantissa and scale.
    const auto amount = [&random](int digits, int& scale) {
        scale = static_cast<int>(random() % 5);
        __int128 magnitude =
            static_cast<__int128>(random() % static_cast<uint64_t>(PowerOfTen(digits)));
        for (; scale > 0 && magnitude % 10 == 0; --scale) magnitude /= 10;
        if (magnitude == 0) scale = 0;
        return random() % 2 == 0 ? magnitude : -magnitude;
    };
    for (int i = 0; i < 20000; ++i) {
        int sa = 0;
        int sb = 0;
        const __int128 ma = amount(1 + random() % 12, sa);
        const __int128 mb = amount(1 + random() % 12, sb);
        const large_fix a(Reference(ma, sa).c_str());
        const large_fix b(Reference(mb, sb).c_str());
        const int common = std::max(sa, sb);
        const __int128 wa = ma * PowerOfTen(common - sa);
        const __int128 wb = mb * PowerOfTen(common - sb);
        ASSERT_EQ((a + b).ToString(), Reference(wa + wb, common));
        ASSERT_EQ((a - b).ToString(), Reference(wa - wb, common));
        ASSERT_EQ((a * b).ToString(), Reference(ma * mb, sa + sb));
        ASSERT_EQ(a < b, wa < wb) << a.ToString() << " < " << b.ToString();
        ASSERT_EQ(a == b, wa == wb) << a.ToString() << " == " << b.ToString();
        if (mb != 0) {
            ASSERT_EQ((a / b).ToString(), Reference(ma * PowerOfTen(sb + 20) / mb, sa + 20))
                << a.ToString() << " / " << b.ToString();
        }
    }
}

TEST_F(LargeFix, ComparesValuesOfAnyScale) {
    const std::vector<const char*> ascending = {"-100000000000000000000.5",
                                                "-2",
                                                "-1",
                                                "-0.5",
                                                "-0.001",
                                                "0",
                                                "0.0001",
                                                "0.5",
                                                "1.999",
                                                "2",
                                                "2.0000000000000000000000001",
                                                "100000000000000000000.5"};
    for (size_t i = 0; i < ascending.size(); ++i) {
        for (size_t j = 0; j < ascending.size(); ++j) {
            const large_fix a(ascending[i]);
            const large_fix b(ascending[j]);
            const std::string what = std::string(ascending[i]) + " vs " + ascending[j];
            EXPECT_EQ(a < b, i < j) << what;
            EXPECT_EQ(a > b, i > j) << what;
            EXPECT_EQ(a <= b, i <= j) << what;
            EXPECT_EQ(a >= b, i >= j) << what;
            EXPECT_EQ(a == b, i == j) << what;
            EXPECT_EQ(a != b, i != j) << what;
        }
    }
    EXPECT_EQ(large_fix("1.5"), large_fix("1.50"));
}

TEST_F(LargeFix, RoundsHalfAwayFromZero) {
    const struct {
        const char* value;
        int decimals;
        const char* expected;
    } cases[] = {
        {"2.5", 0, "3"},
        {"-2.5", 0, "-3"},
        {"2.49", 0, "2"},
        {"0.125", 2, "0.13"},
        {"-0.125", 2, "-0.13"},
        {"1.005", 2, "1.01"},
        {"0.1249", 2, "0.12"},
        {"-0.004", 2, "0"},
        {"9.995", 2, "10"},
        {"1.5", 2, "1.5"},
        {"1.5", -1, "2"},
        {"-1.45", -3, "-1"},
        {"123.456", 0, "123"},
        {"0.99999999999999999999999999999", 5, "1"},
        {"-12345678901234567890.12345678901234567895", 19,
         "-12345678901234567890.123456789012345679"},
        {"0.00000000000000000000000000005", 28, "0.0000000000000000000000000001"},
    };
    for (const auto& c : cases) {
        large_fix value(c.value);
        const large_fix rounded = value.Round(c.decimals);
        EXPECT_EQ(rounded.ToString(), c.expected) << c.value << " to " << c.decimals;
        EXPECT_EQ(value, rounded) << c.value << " to " << c.decimals;
    }
    EXPECT_FALSE(large_fix("-0.004").Round(2) < large_fix());
}

TEST_F(LargeFix, RescaleAndNormalizeMoveBetweenScales) {
    large_fix value("1.5");
    EXPECT_EQ(value.Rescale(0), -1);
    EXPECT_EQ(value.ToString(), "1.5");
    EXPECT_EQ(value.Rescale(4), 3);
    EXPECT_EQ(value.ToString(), "1.5000");
    EXPECT_EQ(value.Rescale(25), 21);
    EXPECT_EQ(value.Normalize(), 24);
    EXPECT_EQ(value.ToString(), "1.5");
    EXPECT_EQ(value.Normalize(), 0);

    // Whole numbers keep their zeros; only decimals are trailing zeros.
    large_fix hundred(100);
    EXPECT_EQ(hundred.Normalize(), 0);
    EXPECT_EQ(hundred.ToString(), "100");

    large_fix zero;
    EXPECT_EQ(zero.Rescale(3), 3);
    EXPECT_EQ(zero.ToString(), "0.000");
    EXPECT_EQ(zero.Normalize(), 0);
    EXPECT_EQ(zero.ToString(), "0");
}

TEST(LargeFixText, WritesTheLocaleSeparator) {
    const struct {
        const char* value;
        const char* withPoint;
    } cases[] = {
        {"0", "0"},
        {"100", "100"},
        {"0.05", "0.05"},
        {"-0.05", "-0.05"},
        {"-0.5", "-0.5"},
        {"1234.5", "1234.5"},
        {"-98765432109876543210.000000000000000000001",
         "-98765432109876543210.000000000000000000001"},
        {"4294967296.4294967296", "4294967296.4294967296"},
    };
    for (const char separator : {'.', ','}) {
        const SeparatorScope scope(separator);
        for (const auto& c : cases) {
            std::string expected = c.withPoint;
            if (const size_t point = expected.find('.'); point != std::string::npos)
                expected[point] = separator;
            const large_fix value(c.value);
            EXPECT_EQ(value.ToString(), expected) << separator;
            // Whatever the separator, the text reads back as the same value.
            EXPECT_EQ(large_fix(value.ToString().c_str()), value) << expected;
        }
    }
}
