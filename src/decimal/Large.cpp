// The signed integer of any size under the decimal number: 32-bit words and a sign flag.
#include "decimal/Large.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstring>
#include <memory>
#include <utility>

namespace {

using uint128 = unsigned __int128;

// Decimal input and output go by chunks of 19 digits.
constexpr size_t kChunkDigits = large::kChunkDigits;
constexpr uint64_t kChunk = large::kPowersOfTen[kChunkDigits];

// The low 64 bits of the magnitude.
inline uint64_t Low64(const LargeWords& words) noexcept {
    const uint32_t* w = words.data();
    switch (words.size()) {
        case 0:
            return 0;
        case 1:
            return w[0];
        default:
            return (uint64_t{w[1]} << 32) | w[0];
    }
}

// Limb i (64 bits) of count words: words 2i and 2i + 1, the second 0 past the end.
inline uint64_t Limb(const uint32_t* words, uint32_t count, uint32_t i) noexcept {
    const uint64_t low = words[2 * i];
    return 2 * i + 1 < count ? low | (uint64_t{words[2 * i + 1]} << 32) : low;
}

inline void SetLimb(uint32_t* words, uint32_t i, uint64_t limb) noexcept {
    words[2 * i] = static_cast<uint32_t>(limb);
    words[2 * i + 1] = static_cast<uint32_t>(limb >> 32);
}

// The limbs of count words shifted left by shift bits (below 64) into limbs limbs.
void ShiftLimbsLeft(const uint32_t* words, uint32_t count, unsigned shift, uint64_t* out,
                    uint32_t limbs) {
    uint64_t below = 0;
    for (uint32_t i = 0; i < limbs; ++i) {
        const uint64_t limb = 2 * i < count ? Limb(words, count, i) : 0;
        out[i] = (limb << shift) | (shift == 0 ? 0 : below >> (64 - shift));
        below = limb;
    }
}

// Short division of count words by a divisor below 2^64, 64 bits at a time from the top.
// Writes the quotient's words when quotient is given (it may be words) and returns the
// remainder.
uint64_t ShortDivide(const uint32_t* words, uint32_t count, uint64_t divisor, uint32_t* quotient) {
    uint64_t rest = 0;
    uint32_t i = count;
    if (i % 2 != 0) {
        --i;
        const uint64_t top = words[i];
        rest = top % divisor;
        if (quotient != nullptr) quotient[i] = static_cast<uint32_t>(top / divisor);
    }
    while (i > 0) {
        i -= 2;
        const uint64_t limb = (uint64_t{words[i + 1]} << 32) | words[i];
        const uint64_t q = static_cast<uint64_t>(((uint128{rest} << 64) | limb) / divisor);
        rest = limb - q * divisor;
        if (quotient != nullptr) {
            quotient[i] = static_cast<uint32_t>(q);
            quotient[i + 1] = static_cast<uint32_t>(q >> 32);
        }
    }
    return rest;
}

int CompareMagnitudes(const LargeWords& a, const LargeWords& b) noexcept {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (uint32_t i = a.size(); i-- > 0;) {
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

// Long division of magnitudes (Knuth's algorithm D) on 64-bit limbs normalised so that the
// divisor's top bit is set: un has m + 1 limbs (one more than the dividend), vn has n >= 2.
// Writes the m - n + 1 quotient limbs into q and leaves the shifted remainder in un.
void DivideNormalised(uint64_t* un, uint32_t m, const uint64_t* vn, uint32_t n, uint64_t* q) {
    const uint64_t top = vn[n - 1];
    const uint64_t second = vn[n - 2];
    for (uint32_t j = m - n + 1; j-- > 0;) {
        // Estimate the quotient limb from the top two remainder limbs, then correct it with
        // the divisor's second limb: afterwards it is at most one too large.
        const uint128 head = (uint128{un[j + n]} << 64) | un[j + n - 1];
        uint128 qhat = head / top;
        uint128 rhat = head - qhat * top;
        while ((qhat >> 64) != 0 || qhat * second > ((rhat << 64) | un[j + n - 2])) {
            --qhat;
            rhat += top;
            if ((rhat >> 64) != 0) break;
        }
        // Multiply and subtract qhat times the divisor from the remainder window.
        uint64_t carry = 0;
        uint64_t borrow = 0;
        for (uint32_t i = 0; i < n; ++i) {
            const uint128 product = qhat * vn[i] + carry;
            carry = static_cast<uint64_t>(product >> 64);
            const uint128 t = uint128{un[i + j]} - static_cast<uint64_t>(product) - borrow;
            un[i + j] = static_cast<uint64_t>(t);
            borrow = static_cast<uint64_t>(t >> 127);
        }
        const uint128 t = uint128{un[j + n]} - carry - borrow;
        un[j + n] = static_cast<uint64_t>(t);
        // A borrow out of the window means the estimate was one too large: add back once.
        if ((t >> 127) != 0) {
            --qhat;
            uint128 sum = 0;
            for (uint32_t i = 0; i < n; ++i) {
                sum = uint128{un[i + j]} + vn[i] + (sum >> 64);
                un[i + j] = static_cast<uint64_t>(sum);
            }
            un[j + n] += static_cast<uint64_t>(sum >> 64);
        }
        q[j] = static_cast<uint64_t>(qhat);
    }
}

}  // namespace

const char* LargeError::what() const noexcept {
    return code_ == kLargeDivisionError ? "Division by zero" : "Malformed number text";
}

// The inner store is copied whole: a fixed-size copy is cheaper than one sized by the count.
LargeWords::LargeWords(const LargeWords& other) : size_(other.size_) {
    if (size_ > kLocal) {
        heap_ = new uint32_t[size_];
        capacity_ = size_;
        std::memcpy(heap_, other.data(), size_ * sizeof(uint32_t));
    } else {
        std::memcpy(local_, other.data(), sizeof local_);
    }
}

LargeWords::LargeWords(LargeWords&& other) noexcept : size_(other.size_) {
    if (other.OnHeap()) {
        heap_ = other.heap_;
        capacity_ = other.capacity_;
        other.capacity_ = kLocal;
    } else {
        std::memcpy(local_, other.local_, sizeof local_);
    }
    other.size_ = 0;
}

LargeWords& LargeWords::operator=(const LargeWords& other) {
    if (this != &other) {
        if (other.size_ > capacity_) Grow(other.size_);
        size_ = other.size_;
        if (OnHeap()) {
            std::memcpy(heap_, other.data(), size_ * sizeof(uint32_t));
        } else {
            std::memcpy(local_, other.data(), sizeof local_);
        }
    }
    return *this;
}

LargeWords& LargeWords::operator=(LargeWords&& other) noexcept {
    if (this != &other) {
        if (OnHeap()) delete[] heap_;
        size_ = other.size_;
        capacity_ = other.capacity_;
        if (other.OnHeap()) {
            heap_ = other.heap_;
            other.capacity_ = kLocal;
        } else {
            std::memcpy(local_, other.local_, sizeof local_);
        }
        other.size_ = 0;
    }
    return *this;
}

void LargeWords::Grow(uint32_t count) {
    const uint32_t capacity = std::max(count, capacity_ * 2);
    uint32_t* words = new uint32_t[capacity];
    std::memcpy(words, data(), size_ * sizeof(uint32_t));
    if (OnHeap()) delete[] heap_;
    heap_ = words;
    capacity_ = capacity;
}

large::large(const char* text) {
    if (text == nullptr) throw LargeError(kLargeTextError);
    const bool negative = *text == '-';
    std::string_view digits(text + (negative ? 1 : 0));
    for (const char c : digits) {
        if (c < '0' || c > '9') throw LargeError(kLargeTextError);
    }
    AppendDigits(digits);
    negative_ = negative;
    Normalize();
}

large::large(long value) : negative_(value < 0) {
    // The magnitude of the smallest value does not fit in a long: negate as unsigned.
    const auto magnitude = static_cast<unsigned long>(value);
    SetMagnitude(value < 0 ? 0 - magnitude : magnitude);
}

large::large(unsigned value) {
    SetMagnitude(value);
}

void large::Normalize() noexcept {
    uint32_t count = words_.size();
    const uint32_t* words = words_.data();
    while (count > 0 && words[count - 1] == 0) --count;
    words_.resize(count);
    if (count == 0) negative_ = false;
}

void large::SetMagnitude(uint128 magnitude) noexcept {
    const uint64_t low = static_cast<uint64_t>(magnitude);
    const uint64_t high = static_cast<uint64_t>(magnitude >> 64);
    const uint32_t count = high != 0  ? ((high >> 32) != 0 ? 4 : 3)
                           : low != 0 ? ((low >> 32) != 0 ? 2 : 1)
                                      : 0;
    // Four words or fewer always fit the inner store: resize cannot allocate here.
    words_.resize(count);
    uint32_t* words = words_.data();
    switch (count) {
        case 4:
            words[3] = static_cast<uint32_t>(high >> 32);
            [[fallthrough]];
        case 3:
            words[2] = static_cast<uint32_t>(high);
            words[1] = static_cast<uint32_t>(low >> 32);
            words[0] = static_cast<uint32_t>(low);
            break;
        case 2:
            words[1] = static_cast<uint32_t>(low >> 32);
            [[fallthrough]];
        case 1:
            words[0] = static_cast<uint32_t>(low);
            break;
        default:
            negative_ = false;
    }
}

void large::MultiplyAdd(uint64_t factor, uint64_t addend) {
    const uint32_t count = words_.size();
    if (count <= 2) {
        SetMagnitude(uint128{Low64(words_)} * factor + addend);
        return;
    }
    // Each step stays below 2^96, so the carry keeps to 64 bits.
    uint32_t* words = words_.data();
    uint64_t carry = addend;
    for (uint32_t i = 0; i < count; ++i) {
        const uint128 t = uint128{words[i]} * factor + carry;
        words[i] = static_cast<uint32_t>(t);
        carry = static_cast<uint64_t>(t >> 32);
    }
    words_.resize(count + 2);
    words_[count] = static_cast<uint32_t>(carry);
    words_[count + 1] = static_cast<uint32_t>(carry >> 32);
    Normalize();
}

void large::AppendDigits(std::string_view digits) {
    for (size_t i = 0; i < digits.size();) {
        const size_t count = std::min<size_t>(kChunkDigits, digits.size() - i);
        uint64_t chunk = 0;
        for (size_t end = i + count; i < end; ++i) chunk = chunk * 10 + (digits[i] - '0');
        MultiplyAdd(kPowersOfTen[count], chunk);
    }
}

void large::AddMagnitude(const large& other) {
    const uint32_t count = words_.size();
    const uint32_t otherCount = other.words_.size();
    const uint32_t longest = std::max(count, otherCount);
    words_.resize(longest + 1);
    // Taken after the resize: other may be this object.
    uint32_t* words = words_.data();
    const uint32_t* otherWords = other.words_.data();
    uint64_t sum = 0;
    uint32_t i = 0;
    for (; i < otherCount; ++i) {
        sum = uint64_t{words[i]} + otherWords[i] + (sum >> 32);
        words[i] = static_cast<uint32_t>(sum);
    }
    for (; (sum >> 32) != 0; ++i) {
        sum = uint64_t{words[i]} + 1;
        words[i] = static_cast<uint32_t>(sum);
    }
    Normalize();
}

void large::SubtractMagnitude(const large& other) {
    uint32_t* words = words_.data();
    const uint32_t* otherWords = other.words_.data();
    uint64_t borrow = 0;
    uint32_t i = 0;
    for (; i < other.words_.size(); ++i) {
        const uint64_t t = uint64_t{words[i]} - otherWords[i] - borrow;
        words[i] = static_cast<uint32_t>(t);
        borrow = t >> 63;
    }
    for (; borrow != 0; ++i) borrow = words[i]-- == 0;
    Normalize();
}

void large::SubtractFromMagnitude(const large& other) {
    words_.resize(other.words_.size());
    uint32_t* words = words_.data();
    const uint32_t* otherWords = other.words_.data();
    uint64_t borrow = 0;
    for (uint32_t i = 0; i < other.words_.size(); ++i) {
        // Words above this value's own were set to 0 by the resize.
        const uint64_t t = uint64_t{otherWords[i]} - words[i] - borrow;
        words[i] = static_cast<uint32_t>(t);
        borrow = t >> 63;
    }
    Normalize();
}

void large::AddSigned(const large& other, bool negative) {
    if (other.IsZero()) return;
    if (IsZero()) {
        *this = other;
        negative_ = negative;
    } else if (negative_ == negative) {
        AddMagnitude(other);
    } else if (CompareMagnitudes(words_, other.words_) >= 0) {
        SubtractMagnitude(other);
    } else {
        SubtractFromMagnitude(other);
        negative_ = negative;
    }
}

large& large::operator+=(const large& other) {
    AddSigned(other, other.negative_);
    return *this;
}

large& large::operator-=(const large& other) {
    AddSigned(other, !other.negative_);
    return *this;
}

large& large::operator*=(unsigned factor) {
    MultiplyBy(factor);
    return *this;
}

large& large::operator*=(int factor) {
    // The magnitude of the smallest int is 2^31, which an unsigned word holds.
    const unsigned magnitude = factor < 0 ? 0u - static_cast<unsigned>(factor) : factor;
    MultiplyBy(magnitude);
    if (factor < 0) Negate();
    return *this;
}

large& large::operator*=(const large& other) {
    const bool negative = negative_ != other.negative_;
    const uint32_t count = words_.size();
    const uint32_t otherCount = other.words_.size();
    if (count == 0 || otherCount == 0) {
        words_.resize(0);
    } else if (otherCount <= 2) {
        MultiplyBy(Low64(other.words_));
    } else if (count <= 2) {
        const uint64_t factor = Low64(words_);
        words_ = other.words_;
        MultiplyBy(factor);
    } else {
        // Schoolbook multiplication on 64-bit limbs (pairs of words), 128-bit products.
        const uint32_t limbs = (count + 1) / 2;
        const uint32_t otherLimbs = (otherCount + 1) / 2;
        const uint32_t productCount = 2 * (limbs + otherLimbs);
        LargeWords product;
        product.resize(productCount);
        uint32_t* out = product.data();
        const uint32_t* a = words_.data();
        const uint32_t* b = other.words_.data();
        for (uint32_t i = 0; i < limbs; ++i) {
            const uint64_t limb = Limb(a, count, i);
            uint64_t carry = 0;
            for (uint32_t j = 0; j < otherLimbs; ++j) {
                const uint128 t =
                    uint128{limb} * Limb(b, otherCount, j) + Limb(out, productCount, i + j) + carry;
                SetLimb(out, i + j, static_cast<uint64_t>(t));
                carry = static_cast<uint64_t>(t >> 64);
            }
            SetLimb(out, i + otherLimbs, carry);
        }
        words_ = std::move(product);
    }
    negative_ = negative;
    Normalize();
    return *this;
}

large& large::operator/=(const large& divisor) {
    DivMod(*this, divisor, *this, nullptr);
    return *this;
}

large& large::operator%=(const large& divisor) {
    large quotient;
    DivMod(*this, divisor, quotient, this);
    return *this;
}

large& large::operator<<=(unsigned bits) {
    if (IsZero()) return *this;
    const uint32_t count = words_.size();
    const uint32_t wordShift = bits / 32;
    const unsigned bitShift = bits % 32;
    words_.resize(count + wordShift + 1);
    uint32_t* words = words_.data();
    for (uint32_t i = count; i-- > 0;) {
        const uint64_t wide = uint64_t{words[i]} << bitShift;
        words[i + wordShift + 1] |= static_cast<uint32_t>(wide >> 32);
        words[i + wordShift] = static_cast<uint32_t>(wide);
    }
    std::fill(words, words + wordShift, 0u);
    Normalize();
    return *this;
}

large& large::operator>>=(unsigned bits) {
    const uint32_t count = words_.size();
    const uint32_t wordShift = bits / 32;
    const unsigned bitShift = bits % 32;
    if (wordShift >= count) {
        words_.resize(0);
    } else {
        uint32_t* words = words_.data();
        for (uint32_t i = 0; i + wordShift < count; ++i) {
            const uint64_t above = i + wordShift + 1 < count ? words[i + wordShift + 1] : 0;
            const uint64_t wide = (above << 32) | words[i + wordShift];
            words[i] = static_cast<uint32_t>(wide >> bitShift);
        }
        words_.resize(count - wordShift);
    }
    Normalize();
    return *this;
}

int large::Compare(const large& a, const large& b) noexcept {
    if (a.negative_ != b.negative_) return int{b.negative_} - int{a.negative_};
    const int magnitudes = CompareMagnitudes(a.words_, b.words_);
    return a.negative_ ? -magnitudes : magnitudes;
}

uint64_t large::DivideBy(uint64_t divisor) {
    const uint32_t count = words_.size();
    if (count <= 2) {
        const uint64_t value = Low64(words_);
        SetMagnitude(value / divisor);
        return value % divisor;
    }
    const uint64_t rest = ShortDivide(words_.data(), count, divisor, words_.data());
    Normalize();
    return rest;
}

unsigned large::LastDigit() const noexcept {
    // 2^32 leaves 1 when divided by 5, so the sum of the words leaves what the value leaves;
    // the parity comes from the lowest word.
    const uint32_t count = words_.size();
    const uint32_t* words = words_.data();
    uint64_t sum = 0;
    for (uint32_t i = 0; i < count; ++i) sum += words[i];
    const unsigned byFive = static_cast<unsigned>(sum % 5);
    const unsigned parity = count == 0 ? 0 : words[0] & 1;
    return byFive % 2 == parity ? byFive : byFive + 5;
}

uint64_t large::Modulo(uint64_t divisor) const noexcept {
    const uint32_t count = words_.size();
    if (count <= 2) return Low64(words_) % divisor;
    return ShortDivide(words_.data(), count, divisor, nullptr);
}

void large::DivMod(const large& dividend, const large& divisor, large& quotient, large* remainder) {
    if (divisor.IsZero()) throw LargeError(kLargeDivisionError);
    const bool quotientNegative = dividend.negative_ != divisor.negative_;
    const bool remainderNegative = dividend.negative_;
    const uint32_t m = dividend.words_.size();
    const uint32_t n = divisor.words_.size();
    large q;
    large r;
    if (CompareMagnitudes(dividend.words_, divisor.words_) < 0) {
        if (remainder != nullptr) r = dividend;
    } else if (m <= 2) {
        const uint64_t u = Low64(dividend.words_);
        const uint64_t v = Low64(divisor.words_);
        q.SetMagnitude(u / v);
        r.SetMagnitude(u % v);
    } else if (n <= 2) {
        q.words_.resize(m);
        const uint64_t rest =
            ShortDivide(dividend.words_.data(), m, Low64(divisor.words_), q.words_.data());
        r.SetMagnitude(rest);
    } else {
        // Long division on 64-bit limbs, both shifted so that the divisor's top bit is set
        // (the quotient is unchanged; the remainder is shifted back).
        const uint32_t ml = (m + 1) / 2;
        const uint32_t nl = (n + 1) / 2;
        const uint32_t ql = ml - nl + 1;
        std::array<uint64_t, 32> local;
        std::unique_ptr<uint64_t[]> heap;
        uint64_t* un = local.data();
        if (ml + 1 + nl + ql > local.size()) {
            heap = std::make_unique<uint64_t[]>(ml + 1 + nl + ql);
            un = heap.get();
        }
        uint64_t* vn = un + ml + 1;
        uint64_t* qn = vn + nl;
        const unsigned shift = std::countl_zero(Limb(divisor.words_.data(), n, nl - 1));
        ShiftLimbsLeft(dividend.words_.data(), m, shift, un, ml + 1);
        ShiftLimbsLeft(divisor.words_.data(), n, shift, vn, nl);
        DivideNormalised(un, ml, vn, nl, qn);
        q.words_.resize(2 * ql);
        for (uint32_t i = 0; i < ql; ++i) SetLimb(q.words_.data(), i, qn[i]);
        if (remainder != nullptr) {
            r.words_.resize(2 * nl);
            for (uint32_t i = 0; i < nl; ++i) {
                const uint64_t above = shift == 0 ? 0 : un[i + 1] << (64 - shift);
                SetLimb(r.words_.data(), i, (un[i] >> shift) | above);
            }
            r.Normalize();
        }
    }
    q.Normalize();
    q.negative_ = quotientNegative && !q.IsZero();
    if (remainder != nullptr) {
        r.negative_ = remainderNegative && !r.IsZero();
        *remainder = std::move(r);
    }
    quotient = std::move(q);
}

void large::AppendMagnitudeText(std::string& text) const {
    const uint32_t count = words_.size();
    if (count <= 2) {
        char digits[20];
        const auto end = std::to_chars(digits, digits + sizeof digits, Low64(words_)).ptr;
        text.append(digits, end);
        return;
    }
    // Nineteen digits per division by 10^19, written from the end of a buffer that holds
    // the most digits the words can spell (fewer than ten per word).
    const size_t start = text.size();
    const size_t room = size_t{count} * 10;
    text.resize(start + room);
    char* end = text.data() + text.size();
    char* write = end;
    large rest = *this;
    while (!rest.IsZero()) {
        uint64_t chunk = rest.DivideBy(kChunk);
        char* chunkEnd = write;
        do {
            *--write = static_cast<char>('0' + chunk % 10);
            chunk /= 10;
        } while (chunk != 0 ||
                 (!rest.IsZero() && chunkEnd - write < static_cast<ptrdiff_t>(kChunkDigits)));
    }
    std::memmove(text.data() + start, write, end - write);
    text.resize(start + (end - write));
}

void large::Digits(const large& value, std::string& text) {
    const size_t start = text.size();
    value.AppendMagnitudeText(text);
    std::reverse(text.begin() + start, text.end());
    if (value.negative_) text += '-';
}

std::string large::ToString(const large& value) {
    std::string text = value.negative_ ? "-" : "";
    value.AppendMagnitudeText(text);
    return text;
}
