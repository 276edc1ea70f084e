// The vocabulary of the pay tables: event kinds, directions and their tree icons, the codes of
// a pay's journal changes, and the rule by which balances are chained.
#include "pays/Upaytables.h"

#include <algorithm>
#include <array>

int PayIcon(char direction) {
    switch (direction) {
        case 'O':
            return 24;
        case 'I':
            return 26;
        default:
            return 28;
    }
}

bool IsPayChangeCode(int code) {
    static constexpr std::array kCodes = {
        kPayReplaceAutoCharges, kPayAddCounter,         kPayChangeCounter,      kPayDeleteCounter,
        kPayAddManualCharge,    kPayChangeManualCharge, kPayDeleteManualCharge, kPayAddPayment,
        kPayChangePayment,      kPayDeletePayment,      kPayChangeDirection,
    };
    return std::find(kCodes.begin(), kCodes.end(), code) != kCodes.end();
}

large_fix BalanceAfterEvent(std::string_view typeEvent, const large_fix& previous,
                            const large_fix& amount) {
    if (typeEvent == kEventCharge) return previous - amount;
    if (typeEvent == kEventPayment) return previous + amount;
    return previous;
}

large_fix ForPaymentOf(const large_fix& balance) {
    return balance < large_fix() ? large_fix() - balance : large_fix();
}
