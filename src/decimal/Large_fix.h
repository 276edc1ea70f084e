// The exact decimal number in which every amount is computed: a large mantissa and a scale.
#pragma once

#include <compare>
#include <cstdint>
#include <string>

#include "decimal/Large.h"

// The value is mantissa / 10^scale, always in normal form: no trailing zero decimal, and
// zero has scale 0, so equal values have equal mantissa and scale. A malformed text and a
// division by zero raise LargeError.
class large_fix {
public:
    large_fix() noexcept {}
    // Blanks are skipped wherever they stand; "," and "." both mark the decimal point (a
    // second one fails); "-" only in front of everything kept, the point included; digits
    // otherwise. The empty
    // text, blanks only and "-" give 0.
    large_fix(const char* text);
    large_fix(int value) : mantissa_(value) {}
    large_fix(long value) : mantissa_(value) {}

    large_fix& operator+=(const large_fix& other);
    large_fix& operator-=(const large_fix& other);
    large_fix& operator*=(const large_fix& other);
    // The quotient with 20 more decimals than this value has, truncated toward zero. A zero
    // divisor raises the division error and leaves this value unchanged.
    large_fix& operator/=(const large_fix& divisor);

    friend large_fix operator+(large_fix a, const large_fix& b) {
        a += b;
        return a;
    }
    friend large_fix operator-(large_fix a, const large_fix& b) {
        a -= b;
        return a;
    }
    friend large_fix operator*(large_fix a, const large_fix& b) {
        a *= b;
        return a;
    }
    friend large_fix operator/(large_fix a, const large_fix& b) {
        a /= b;
        return a;
    }
    friend bool operator==(const large_fix& a, const large_fix& b) noexcept {
        return a.scale_ == b.scale_ && a.mantissa_ == b.mantissa_;
    }
    friend std::strong_ordering operator<=>(const large_fix& a, const large_fix& b);

    // Rounds half away from zero to n decimals (a negative n counts as 0), stores the result
    // into this value and returns it. With n at or above the scale nothing changes.
    large_fix Round(int n);
    // "-" for a negative value, at least one digit before the point, the locale's decimal
    // separator before the decimals, every decimal; no thousands separators.
    std::string ToString() const;
    // Removes trailing zero decimals; returns how many were removed.
    int Normalize();
    // Raises the scale to n by multiplying the mantissa by 10 per added decimal and returns
    // the count added; -1 (and no change) when n is below the scale. Does not normalise.
    int Rescale(int n);

private:
    // this := this + other, or this - other when subtract is set.
    void AddScaled(const large_fix& other, bool subtract);

    large mantissa_;
    int32_t scale_ = 0;
};
