// The signed integer of any size under the decimal number: 32-bit words and a sign flag.
#include "decimal/Large.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <utility>

namespace {

constexpr uint32_t kPowersOfTen[10] = {1,      10,      100,      1000,      10000,
                                       100000, 1000000, 10000000, 100000000, 1000000000};
// The largest power of ten in one word, and its digit count: decimal output goes by chunks.
constexpr uint32_t kChunk = 1000000000;
constexpr unsigned kChunkDigits = 9;

uint64_t Low64(const LargeWords& words) noexcept {
    switch (words.size()) {
        case 0:
            return 0;
        case 1:
            return words[0];
        default:
            return (uint64_t{words[1]} << 32) | words[0];
    }
}

int CompareMagnitudes(const LargeWords& a, const LargeWords& b) noexcept {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (uint32_t i = a.size(); i-- > 0;) {
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

// Long division of magnitudes (Knuth's algorithm D) on words normalised so that the
// divisor's top bit is set: un has one word more than the dividend, vn has n >= 2 words.
// Writes the quotient's words into q and leaves the shifted remainder in un.
void DivideNormalised(uint32_t* un, uint32_t m, const uint32_t* vn, uint32_t n, uint32_t* q) {
    const uint64_t top = vn[n - 1];
    const uint64_t second = vn[n - 2];
    for (uint32_t j = m - n + 1; j-- > 0;) {
        // Estimate the quotient word from the top two remainder words, then correct it with
        // the divisor's second word: afterwards it is at most one too large.
        const uint64_t head = (uint64_t{un[j + n]} << 32) | un[j + n - 1];
        uint64_t qhat = head / top;
        uint64_t rhat = head % top;
        while (qhat > 0xFFFFFFFFu || qhat * second > ((rhat << 32) | un[j + n - 2])) {
            --qhat;
            rhat += top;
            if (rhat > 0xFFFFFFFFu) break;
        }
        // Multiply and subtract qhat times the divisor from the remainder window.
        uint64_t carry = 0;
        uint64_t borrow = 0;
        for (uint32_t i = 0; i < n; ++i) {
            const uint64_t product = qhat * vn[i] + carry;
            carry = product >> 32;
            const uint64_t t = uint64_t{un[i + j]} - static_cast<uint32_t>(product) - borrow;
            un[i + j] = static_cast<uint32_t>(t);
            borrow = t >> 63;
        }
        const uint64_t t = uint64_t{un[j + n]} - carry - borrow;
        un[j + n] = static_cast<uint32_t>(t);
        // A borrow out of the window means the estimate was one too large: add back once.
        if (t >> 63) {
            --qhat;
            uint64_t sum = 0;
            for (uint32_t i = 0; i < n; ++i) {
                sum = uint64_t{un[i + j]} + vn[i] + (sum >> 32);
                un[i + j] = static_cast<uint32_t>(sum);
            }
            un[j + n] += static_cast<uint32_t>(sum >> 32);
        }
        q[j] = static_cast<uint32_t>(qhat);
    }
}

}  // namespace

const char* LargeError::what() const noexcept {
    return code_ == kLargeDivisionError ? "Division by zero" : "Malformed number text";
}

LargeWords::LargeWords(const LargeWords& other) : size_(other.size_) {
    if (size_ > kLocal) {
        heap_ = new uint32_t[size_];
        capacity_ = size_;
    }
    std::memcpy(data(), other.data(), size_ * sizeof(uint32_t));
}

LargeWords::LargeWords(LargeWords&& other) noexcept : size_(other.size_) {
    if (other.OnHeap()) {
        heap_ = other.heap_;
        capacity_ = other.capacity_;
        other.capacity_ = kLocal;
    } else {
        std::memcpy(local_, other.local_, size_ * sizeof(uint32_t));
    }
    other.size_ = 0;
}

LargeWords& LargeWords::operator=(const LargeWords& other) {
    if (this != &other) {
        if (other.size_ > capacity_) Grow(other.size_);
        size_ = other.size_;
        std::memcpy(data(), other.data(), size_ * sizeof(uint32_t));
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
            std::memcpy(local_, other.local_, size_ * sizeof(uint32_t));
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

void large::SetMagnitude(uint64_t magnitude) noexcept {
    const uint32_t high = static_cast<uint32_t>(magnitude >> 32);
    // Two words or fewer always fit the inner store: resize cannot allocate here.
    words_.resize(high != 0 ? 2 : magnitude != 0 ? 1 : 0);
    if (magnitude != 0) words_[0] = static_cast<uint32_t>(magnitude);
    if (high != 0) words_[1] = high;
}

void large::MultiplyAdd(uint32_t factor, uint32_t addend) {
    const uint32_t count = words_.size();
    if (count <= 1) {
        SetMagnitude(uint64_t{count == 0 ? 0 : words_[0]} * factor + addend);
    } else {
        uint32_t* words = words_.data();
        uint64_t carry = addend;
        for (uint32_t i = 0; i < count; ++i) {
            const uint64_t t = uint64_t{words[i]} * factor + carry;
            words[i] = static_cast<uint32_t>(t);
            carry = t >> 32;
        }
        if (carry != 0) {
            words_.resize(count + 1);
            words_[count] = static_cast<uint32_t>(carry);
        }
    }
    Normalize();
}

void large::AppendDigits(std::string_view digits) {
    for (size_t i = 0; i < digits.size();) {
        const size_t count = std::min<size_t>(kChunkDigits, digits.size() - i);
        uint32_t chunk = 0;
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
    const uint32_t count = words_.size();
    words_.resize(other.words_.size());
    uint32_t* words = words_.data();
    const uint32_t* otherWords = other.words_.data();
    uint64_t borrow = 0;
    for (uint32_t i = 0; i < other.words_.size(); ++i) {
        const uint64_t mine = i < count ? words[i] : 0;
        const uint64_t t = otherWords[i] - mine - borrow;
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
    MultiplyAdd(factor, 0);
    return *this;
}

large& large::operator*=(int factor) {
    // The magnitude of the smallest int is 2^31, which an unsigned word holds.
    const unsigned magnitude = factor < 0 ? 0u - static_cast<unsigned>(factor) : factor;
    MultiplyAdd(magnitude, 0);
    if (factor < 0) Negate();
    return *this;
}

large& large::operator*=(const large& other) {
    const bool negative = negative_ != other.negative_;
    const uint32_t count = words_.size();
    const uint32_t otherCount = other.words_.size();
    if (count == 0 || otherCount == 0) {
        words_.resize(0);
    } else if (otherCount == 1) {
        MultiplyAdd(other.words_[0], 0);
    } else if (count == 1) {
        const uint32_t factor = words_[0];
        words_ = other.words_;
        MultiplyAdd(factor, 0);
    } else {
        LargeWords product;
        product.resize(count + otherCount);
        uint32_t* out = product.data();
        const uint32_t* a = words_.data();
        const uint32_t* b = other.words_.data();
        for (uint32_t i = 0; i < count; ++i) {
            uint64_t carry = 0;
            for (uint32_t j = 0; j < otherCount; ++j) {
                const uint64_t t = uint64_t{a[i]} * b[j] + out[i + j] + carry;
                out[i + j] = static_cast<uint32_t>(t);
                carry = t >> 32;
            }
            out[i + otherCount] = static_cast<uint32_t>(carry);
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

uint32_t large::DivideByWord(uint32_t divisor) {
    const uint32_t count = words_.size();
    if (count <= 2) {
        const uint64_t value = Low64(words_);
        SetMagnitude(value / divisor);
        Normalize();
        return static_cast<uint32_t>(value % divisor);
    }
    uint32_t* words = words_.data();
    uint64_t rest = 0;
    for (uint32_t i = count; i-- > 0;) {
        const uint64_t part = (rest << 32) | words[i];
        words[i] = static_cast<uint32_t>(part / divisor);
        rest = part % divisor;
    }
    Normalize();
    return static_cast<uint32_t>(rest);
}

uint32_t large::ModuloWord(uint32_t divisor) const noexcept {
    const uint32_t count = words_.size();
    if (count <= 2) return static_cast<uint32_t>(Low64(words_) % divisor);
    const uint32_t* words = words_.data();
    uint64_t rest = 0;
    for (uint32_t i = count; i-- > 0;) rest = ((rest << 32) | words[i]) % divisor;
    return static_cast<uint32_t>(rest);
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
        r = dividend;
    } else if (m <= 2) {
        const uint64_t u = Low64(dividend.words_);
        const uint64_t v = Low64(divisor.words_);
        q.SetMagnitude(u / v);
        r.SetMagnitude(u % v);
    } else if (n == 1) {
        q = dividend;
        r.SetMagnitude(q.DivideByWord(divisor.words_[0]));
    } else {
        // Shift both so that the divisor's top bit is set; the quotient is unchanged.
        const unsigned shift = std::countl_zero(divisor.words_[n - 1]);
        large un = Abs(dividend);
        un <<= shift;
        un.words_.resize(m + 1);
        large vn = Abs(divisor);
        vn <<= shift;
        q.words_.resize(m - n + 1);
        DivideNormalised(un.words_.data(), m, vn.words_.data(), n, q.words_.data());
        if (remainder != nullptr) {
            un >>= shift;
            r = std::move(un);
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
    // Nine digits per division by 10^9, written from the end of a buffer that holds the
    // most digits the words can spell (fewer than ten per word).
    const size_t start = text.size();
    const size_t room = size_t{count} * 10;
    text.resize(start + room);
    char* end = text.data() + text.size();
    char* write = end;
    large rest = *this;
    while (!rest.IsZero()) {
        uint32_t chunk = rest.DivideByWord(kChunk);
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
