// The exact decimal number in which every amount is computed: a large mantissa and a scale.
#include "decimal/Large_fix.h"

#include <algorithm>
#include <string_view>

#include "platform/Locale.h"

namespace {

// The decimals a division adds to the dividend's.
constexpr int kDivisionDecimals = 20;

// 10^n for n up to the digits that one step of the mantissa's arithmetic takes.
uint64_t PowerOfTen(int n) {
    return large::kPowersOfTen[n];
}

// Divides the magnitude by 10^count, a chunk of digits at a time.
void DropDigits(large& value, int count) {
    for (; count > 0; count -= large::kChunkDigits) {
        value.DivideBy(PowerOfTen(std::min(count, large::kChunkDigits)));
    }
}

}  // namespace

large_fix::large_fix(const char* text) {
    if (text == nullptr) throw LargeError(kLargeTextError);
    bool negative = false;
    bool kept = false;
    bool point = false;
    for (const char* c = text; *c != '\0';) {
        if (*c == ' ') {
            ++c;
        } else if (*c == ',' || *c == '.') {
            if (point) throw LargeError(kLargeTextError);
            point = true;
            ++c;
        } else if (*c == '-') {
            if (kept || point) throw LargeError(kLargeTextError);
            negative = kept = true;
            ++c;
        } else {
            // A run of digits goes into the mantissa at once.
            const char* run = c;
            while (*c >= '0' && *c <= '9') ++c;
            if (c == run) throw LargeError(kLargeTextError);
            const std::string_view digits(run, c - run);
            mantissa_.AppendDigits(digits);
            kept = true;
            if (point) scale_ += static_cast<int32_t>(digits.size());
        }
    }
    if (negative) mantissa_.Negate();
    Normalize();
}

int large_fix::Normalize() {
    if (mantissa_.IsZero()) {
        scale_ = 0;
        return 0;
    }
    // Count the trailing zeros of a chunk of decimals at a time (never more than the scale)
    // and divide them away in one step.
    int removed = 0;
    while (scale_ > 0 && mantissa_.LastDigit() == 0) {
        const int window = std::min(scale_, large::kChunkDigits);
        uint64_t low = mantissa_.Modulo(PowerOfTen(window));
        int zeros = 0;
        if (low == 0) {
            zeros = window;
        } else {
            while (low % 10 == 0) {
                low /= 10;
                ++zeros;
            }
        }
        mantissa_.DivideBy(PowerOfTen(zeros));
        scale_ -= zeros;
        removed += zeros;
        if (zeros < window) break;
    }
    return removed;
}

int large_fix::Rescale(int n) {
    if (n < scale_) return -1;
    const int added = n - scale_;
    for (int rest = added; rest > 0; rest -= large::kChunkDigits) {
        mantissa_.MultiplyBy(PowerOfTen(std::min(rest, large::kChunkDigits)));
    }
    scale_ = n;
    return added;
}

void large_fix::AddScaled(const large_fix& other, bool subtract) {
    if (scale_ < other.scale_) Rescale(other.scale_);
    if (scale_ == other.scale_) {
        subtract ? mantissa_ -= other.mantissa_ : mantissa_ += other.mantissa_;
    } else {
        large_fix scaled = other;
        scaled.Rescale(scale_);
        subtract ? mantissa_ -= scaled.mantissa_ : mantissa_ += scaled.mantissa_;
    }
    Normalize();
}

large_fix& large_fix::operator+=(const large_fix& other) {
    AddScaled(other, false);
    return *this;
}

large_fix& large_fix::operator-=(const large_fix& other) {
    AddScaled(other, true);
    return *this;
}

large_fix& large_fix::operator*=(const large_fix& other) {
    mantissa_ *= other.mantissa_;
    scale_ = mantissa_.IsZero() ? 0 : scale_ + other.scale_;
    Normalize();
    return *this;
}

large_fix& large_fix::operator/=(const large_fix& divisor) {
    if (divisor.mantissa_.IsZero()) throw LargeError(kLargeDivisionError);
    // Dividing by itself: keep the divisor's mantissa before this value is rescaled.
    const large own = this == &divisor ? divisor.mantissa_ : large();
    const large& by = this == &divisor ? own : divisor.mantissa_;
    const int32_t scale = scale_ + kDivisionDecimals;
    Rescale(scale_ + divisor.scale_ + kDivisionDecimals);
    mantissa_ /= by;
    scale_ = scale;
    Normalize();
    return *this;
}

std::strong_ordering operator<=>(const large_fix& a, const large_fix& b) {
    if (a.scale_ == b.scale_) return a.mantissa_ <=> b.mantissa_;
    // Values of different signs need no common scale.
    const int signA = a.mantissa_.IsNegative() ? -1 : a.mantissa_.IsZero() ? 0 : 1;
    const int signB = b.mantissa_.IsNegative() ? -1 : b.mantissa_.IsZero() ? 0 : 1;
    if (signA != signB) return signA <=> signB;
    large_fix scaled = a.scale_ < b.scale_ ? a : b;
    scaled.Rescale(std::max(a.scale_, b.scale_));
    return a.scale_ < b.scale_ ? scaled.mantissa_ <=> b.mantissa_
                               : a.mantissa_ <=> scaled.mantissa_;
}

large_fix large_fix::Round(int n) {
    n = std::max(n, 0);
    if (n >= scale_) return *this;
    // Keep the digit after the last kept decimal, drop it too, and round up on 5 or more.
    const bool negative = mantissa_.IsNegative();
    large magnitude = Abs(mantissa_);
    DropDigits(magnitude, scale_ - n - 1);
    if (magnitude.DivideBy(10) > 4) magnitude += large(1u);
    mantissa_ = std::move(magnitude);
    if (negative) mantissa_.Negate();
    scale_ = n;
    Normalize();
    return *this;
}

std::string large_fix::ToString() const {
    std::string text;
    if (mantissa_.IsNegative()) text += '-';
    const size_t start = text.size();
    mantissa_.AppendMagnitudeText(text);
    if (scale_ > 0) {
        const size_t digits = text.size() - start;
        const size_t decimals = static_cast<size_t>(scale_);
        if (digits <= decimals) text.insert(start, decimals - digits + 1, '0');
        text.insert(text.size() - decimals, 1, DecimalSeparator());
    }
    return text;
}
