// The pay tables' vocabulary: icons by direction, the pay change codes and the balance rule.
#include <gtest/gtest.h>

#include "pays/Upaytables.h"

TEST(PayTables, ThePaysIconFollowsItsDirectionLetter) {
    EXPECT_EQ(PayIcon('O'), 24);
    EXPECT_EQ(PayIcon('I'), 26);
    EXPECT_EQ(PayIcon('N'), 28);
    EXPECT_EQ(PayIcon('x'), 28);
    EXPECT_EQ(PayIcon(0), 28);
}

TEST(PayTables, OnlyTheElevenPayChangeCodesAreCodes) {
    int codes = 0;
    for (int code = 5000; code < 7000; ++code) codes += IsPayChangeCode(code) ? 1 : 0;
    EXPECT_EQ(codes, 11);
    for (int code : {6010, 6021, 6022, 6023, 6031, 6032, 6033, 6041, 6042, 6043, 6050})
        EXPECT_TRUE(IsPayChangeCode(code)) << code;
    for (int code : {6000, 6011, 6020, 6024, 6044, 6051, 0, -10})
        EXPECT_FALSE(IsPayChangeCode(code));
}

TEST(PayTables, AChargeLowersTheBalanceAPaymentRaisesItAndADebtIsDue) {
    const struct {
        const char* type;
        const char* previous;
        const char* amount;
        const char* balance;
        const char* forPayment;
    } cases[] = {
        {"CH", "0", "120.50", "-120.5", "120.5"},  // the first charge chains on 0
        {"CH", "200", "120.50", "79.5", "0"},      // a credit leaves nothing due
        {"CH", "20", "20", "0", "0"},
        {"PY", "-120.5", "100", "-20.5", "20.5"},
        {"PY", "-20.5", "50.25", "29.75", "0"},
        {"CN", "-3", "12345", "-3", "3"},  // a counter reading takes no part
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " + c.previous + " " + c.amount);
        const large_fix balance =
            BalanceAfterEvent(c.type, large_fix(c.previous), large_fix(c.amount));
        EXPECT_TRUE(balance == large_fix(c.balance)) << balance.ToString();
        EXPECT_TRUE(ForPaymentOf(balance) == large_fix(c.forPayment))
            << ForPaymentOf(balance).ToString();
    }
}
