// The signed integer of any size under the decimal number: 32-bit words and a sign flag.
#pragma once

#include <compare>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

// Code of a number text that is not a number.
constexpr unsigned kLargeTextError = 0xC0000002u;
// Code of a division by zero (the integer-division-by-zero code).
constexpr unsigned kLargeDivisionError = 0xC0000094u;

// The one error the decimal arithmetic raises, for a malformed number text or a zero
// divisor; callers tell the two apart by Code().
class LargeError : public std::exception {
public:
    explicit LargeError(unsigned code) noexcept : code_(code) {}
    unsigned Code() const noexcept { return code_; }
    const char* what() const noexcept override;

private:
    unsigned code_;
};

// The words of a magnitude, least significant first. Values of up to six words (about 57
// decimal digits) are kept inside the object, so typical amounts never touch the heap.
class LargeWords {
public:
    LargeWords() noexcept {}
    LargeWords(const LargeWords& other);
    LargeWords(LargeWords&& other) noexcept;
    LargeWords& operator=(const LargeWords& other);
    LargeWords& operator=(LargeWords&& other) noexcept;
    ~LargeWords() {
        if (OnHeap()) delete[] heap_;
    }

    uint32_t size() const noexcept { return size_; }
    uint32_t* data() noexcept { return OnHeap() ? heap_ : local_; }
    const uint32_t* data() const noexcept { return OnHeap() ? heap_ : local_; }
    uint32_t& operator[](uint32_t i) noexcept { return data()[i]; }
    uint32_t operator[](uint32_t i) const noexcept { return data()[i]; }

    // Sets the count of words; words added at the top are zero.
    void resize(uint32_t count) {
        if (count > capacity_) Grow(count);
        if (count > size_) {
            uint32_t* words = data();
            for (uint32_t i = size_; i < count; ++i) words[i] = 0;
        }
        size_ = count;
    }

private:
    static constexpr uint32_t kLocal = 6;
    bool OnHeap() const noexcept { return capacity_ > kLocal; }
    void Grow(uint32_t count);

    uint32_t size_ = 0;
    uint32_t capacity_ = kLocal;
    union {
        uint32_t local_[kLocal];
        uint32_t* heap_;
    };
};

// A signed integer of unlimited size. Zero is the empty word array and never negative; the
// top word is never 0. Every operation is exact, division truncates toward zero.
class large {
public:
    large() noexcept {}
    // An optional "-" as the very first character, then digits "0" to "9" only; the empty
    // text and "-" give 0. Anything else raises the text error.
    large(const char* text);
    large(int value) : large(static_cast<long>(value)) {}
    large(long value);
    large(unsigned value);

    large& operator+=(const large& other);
    large& operator-=(const large& other);
    large& operator*=(int factor);
    large& operator*=(unsigned factor);
    large& operator*=(const large& other);
    // Quotient truncated toward zero; a zero divisor raises the division error and leaves
    // this value unchanged.
    large& operator/=(const large& divisor);
    // Remainder of the truncated division, with the sign of the dividend.
    large& operator%=(const large& divisor);
    large& operator<<=(unsigned bits);
    // Shifts the magnitude, so a negative value is truncated toward zero.
    large& operator>>=(unsigned bits);

    friend large operator+(large a, const large& b) { return a += b; }
    friend large operator-(large a, const large& b) { return a -= b; }
    friend large operator*(large a, const large& b) { return a *= b; }
    friend large operator%(large a, const large& b) { return a %= b; }
    friend large operator-(large a) {
        a.Negate();
        return a;
    }
    friend bool operator==(const large& a, const large& b) noexcept { return Compare(a, b) == 0; }
    friend std::strong_ordering operator<=>(const large& a, const large& b) noexcept {
        return Compare(a, b) <=> 0;
    }
    friend large Abs(large a) noexcept {
        a.negative_ = false;
        return a;
    }

    // Negative when a < b, 0 when equal, positive when a > b.
    static int Compare(const large& a, const large& b) noexcept;
    // Appends the decimal digits of the value to text, least significant first, then "-"
    // for a negative value; "0" for zero.
    static void Digits(const large& value, std::string& text);
    // "-" for a negative value, then the digits without leading zeros; "0" for zero.
    static std::string ToString(const large& value);
    // Divides with truncation toward zero. The remainder (when asked for) has the sign of
    // the dividend. Quotient and remainder may be the dividend itself. A zero divisor
    // raises the division error before anything is written.
    static void DivMod(const large& dividend, const large& divisor, large& quotient,
                       large* remainder);

    bool IsZero() const noexcept { return words_.size() == 0; }
    bool IsNegative() const noexcept { return negative_; }
    // Flips the sign; zero stays zero.
    void Negate() noexcept { negative_ = !negative_ && !IsZero(); }
    // value := value * 10^n + digits for a run of n decimal digits; the sign is kept.
    void AppendDigits(std::string_view digits);
    // Divides the magnitude by a non-zero word and returns the remainder of the magnitude.
    uint32_t DivideByWord(uint32_t divisor);
    // The remainder of the magnitude divided by a non-zero word; the value is unchanged.
    uint32_t ModuloWord(uint32_t divisor) const noexcept;
    // Appends the decimal digits of the magnitude, most significant first; "0" for zero.
    void AppendMagnitudeText(std::string& text) const;

private:
    void Normalize() noexcept;
    void SetMagnitude(uint64_t magnitude) noexcept;
    // magnitude := magnitude * factor + addend.
    void MultiplyAdd(uint32_t factor, uint32_t addend);
    // this := this + (other with the sign negative).
    void AddSigned(const large& other, bool negative);
    void AddMagnitude(const large& other);
    // |this| -= |other|, where |this| >= |other|.
    void SubtractMagnitude(const large& other);
    // |this| := |other| - |this|, where |other| > |this|.
    void SubtractFromMagnitude(const large& other);

    LargeWords words_;
    bool negative_ = false;
};
