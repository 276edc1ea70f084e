// The vocabulary of the pay tables: event kinds, directions and their tree icons, the codes of
// a pay's journal changes, and the rule by which balances are chained.
#pragma once

#include <string>
#include <string_view>

#include "decimal/Large_fix.h"

// PayHistory.db TypeEvent.
inline constexpr std::string_view kEventCounter = "CN";  // a counter reading
inline constexpr std::string_view kEventCharge = "CH";   // a charge: manual when IDCharge is 0
inline constexpr std::string_view kEventPayment = "PY";  // a payment

// A calendar entry of a manual charge or payment keeps its NManOper as Priority minus this
// base, so that it is negative and sorts before the automatic charges of its day.
inline constexpr int kManualPriorityBase = 9000;

// FilterMode of a new pay: filter off, the four kinds of events shown, no period.
inline constexpr std::string_view kNewPayFilterMode = "011110000000000";

// The tree icon (Objects.db Image) of a pay by its Direction letter: 24 for "O", 26 for "I",
// 28 for "N" and any other letter.
int PayIcon(char direction);

// The operation code in the first integer part (I1) of a pay's "CHANG" transaction. The third
// digit names the data (1 auto charges, 2 counter readings, 3 manual charges, 4 payments,
// 5 direction), the last one the operation (0 replace all, 1 add, 2 change, 3 delete).
enum PayChangeCode : int {
    kPayReplaceAutoCharges = 6010,
    kPayAddCounter = 6021,
    kPayChangeCounter = 6022,
    kPayDeleteCounter = 6023,
    kPayAddManualCharge = 6031,
    kPayChangeManualCharge = 6032,
    kPayDeleteManualCharge = 6033,
    kPayAddPayment = 6041,
    kPayChangePayment = 6042,
    kPayDeletePayment = 6043,
    kPayChangeDirection = 6050,
};

// True for the codes above; a pay change with any other code changes nothing.
bool IsPayChangeCode(int code);

// The balance rule: a charge lowers the pay's balance by its amount, a payment raises it by its
// amount; a counter reading takes no part (the previous balance is returned).
large_fix BalanceAfterEvent(std::string_view typeEvent, const large_fix& previous,
                            const large_fix& amount);

// ForPayment of a charge: the amount due after it, -balance when the balance is below 0, else 0.
large_fix ForPaymentOf(const large_fix& balance);
