// Speed of the decimal number against GMP: the same decimal semantics on an mpz_t mantissa.
#include <benchmark/benchmark.h>
#include <gmp.h>

#include <algorithm>
#include <array>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "decimal/Large_fix.h"
#include "platform/Locale.h"

namespace {

// ---- Inputs -------------------------------------------------------------------------------

constexpr size_t kCount = 1024;  // a power of two: the index wraps with a mask

// Amount texts of `minDigits` to `maxDigits` significant digits with 0 to 4 decimals, a
// quarter of them negative.
std::vector<std::string> Amounts(unsigned seed, int minDigits, int maxDigits) {
    std::mt19937 random(seed);
    std::vector<std::string> texts;
    for (size_t i = 0; i < kCount; ++i) {
        const int digits = minDigits + static_cast<int>(random() % (maxDigits - minDigits + 1));
        const int decimals = static_cast<int>(random() % 5);
        std::string text;
        for (int d = 0; d < digits; ++d) {
            const bool edge = d == 0 || (d == digits - 1 && decimals > 0);
            text += static_cast<char>(edge ? '1' + random() % 9 : '0' + random() % 10);
        }
        if (decimals > 0) {
            if (static_cast<int>(text.size()) <= decimals)
                text.insert(0, decimals - text.size() + 1, '0');
            text.insert(text.size() - decimals, 1, '.');
        }
        if (random() % 4 == 0) text.insert(0, 1, '-');
        texts.push_back(text);
    }
    return texts;
}

struct Inputs {
    std::vector<std::string> a;
    std::vector<std::string> b;
};

const Inputs& InputsOf(int kind) {
    static const Inputs typical{Amounts(1, 2, 20), Amounts(2, 2, 20)};
    static const Inputs wide{Amounts(3, 60, 60), Amounts(4, 60, 60)};
    return kind == 0 ? typical : wide;
}

// ---- The GMP mirror -----------------------------------------------------------------------

constexpr int kDivisionDecimals = 20;
constexpr int kMaxPower = 200;
constexpr unsigned long kPowersOfTen[10] = {1,      10,      100,      1000,      10000,
                                            100000, 1000000, 10000000, 100000000, 1000000000};

const std::array<mpz_t, kMaxPower + 1>& Powers() {
    static const auto powers = [] {
        std::array<mpz_t, kMaxPower + 1> table;
        for (int i = 0; i <= kMaxPower; ++i) {
            mpz_init(table[i]);
            mpz_ui_pow_ui(table[i], 10, i);
        }
        return table;
    }();
    return powers;
}

// mantissa / 10^scale in normal form, like large_fix.
struct GmpFix {
    mpz_t m;
    int scale = 0;
    GmpFix() { mpz_init(m); }
    GmpFix(const GmpFix& other) : scale(other.scale) { mpz_init_set(m, other.m); }
    GmpFix& operator=(const GmpFix& other) {
        mpz_set(m, other.m);
        scale = other.scale;
        return *this;
    }
    ~GmpFix() { mpz_clear(m); }
};

void Normalize(GmpFix& x) {
    if (mpz_sgn(x.m) == 0) {
        x.scale = 0;
        return;
    }
    while (x.scale > 0) {
        const int window = std::min(x.scale, 9);
        unsigned long low = mpz_tdiv_ui(x.m, kPowersOfTen[window]);
        int zeros = 0;
        if (low == 0) {
            zeros = window;
        } else {
            for (; low % 10 == 0; low /= 10) ++zeros;
        }
        if (zeros == 0) break;
        mpz_divexact_ui(x.m, x.m, kPowersOfTen[zeros]);
        x.scale -= zeros;
        if (zeros < window) break;
    }
}

// The text rules of large_fix: blanks skipped, "," or "." as the point, "-" in front.
void Parse(GmpFix& out, const char* text, std::string& digits) {
    digits.clear();
    bool point = false;
    bool negative = false;
    int scale = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == ' ') continue;
        if (*c == ',' || *c == '.') {
            if (point) throw std::invalid_argument(text);
            point = true;
        } else if (*c == '-' && digits.empty() && !negative) {
            negative = true;
        } else if (*c >= '0' && *c <= '9') {
            digits += *c;
            if (point) ++scale;
        } else {
            throw std::invalid_argument(text);
        }
    }
    if (digits.empty()) {
        mpz_set_ui(out.m, 0);
    } else {
        mpz_set_str(out.m, digits.c_str(), 10);
        if (negative) mpz_neg(out.m, out.m);
    }
    out.scale = scale;
    Normalize(out);
}

std::string ToString(const GmpFix& x) {
    char buffer[512];
    mpz_get_str(buffer, 10, x.m);
    std::string text(buffer);
    const size_t start = text[0] == '-' ? 1 : 0;
    if (x.scale > 0) {
        const size_t digits = text.size() - start;
        const size_t decimals = static_cast<size_t>(x.scale);
        if (digits <= decimals) text.insert(start, decimals - digits + 1, '0');
        text.insert(text.size() - decimals, 1, DecimalSeparator());
    }
    return text;
}

void Add(GmpFix& out, const GmpFix& a, const GmpFix& b) {
    if (a.scale == b.scale) {
        mpz_add(out.m, a.m, b.m);
    } else if (a.scale < b.scale) {
        mpz_mul(out.m, a.m, Powers()[b.scale - a.scale]);
        mpz_add(out.m, out.m, b.m);
    } else {
        mpz_mul(out.m, b.m, Powers()[a.scale - b.scale]);
        mpz_add(out.m, a.m, out.m);
    }
    out.scale = std::max(a.scale, b.scale);
    Normalize(out);
}

void Multiply(GmpFix& out, const GmpFix& a, const GmpFix& b) {
    mpz_mul(out.m, a.m, b.m);
    out.scale = a.scale + b.scale;
    Normalize(out);
}

void Divide(GmpFix& out, const GmpFix& a, const GmpFix& b) {
    if (mpz_sgn(b.m) == 0) throw std::domain_error("division by zero");
    mpz_mul(out.m, a.m, Powers()[b.scale + kDivisionDecimals]);
    mpz_tdiv_q(out.m, out.m, b.m);
    out.scale = a.scale + kDivisionDecimals;
    Normalize(out);
}

void Round(GmpFix& out, const GmpFix& a, int n, mpz_t rest) {
    n = std::max(n, 0);
    if (n >= a.scale) {
        out = a;
        return;
    }
    const mpz_t& unit = Powers()[a.scale - n];
    mpz_tdiv_qr(out.m, rest, a.m, unit);
    mpz_mul_2exp(rest, rest, 1);
    if (mpz_cmpabs(rest, unit) >= 0) {
        mpz_sgn(a.m) > 0 ? mpz_add_ui(out.m, out.m, 1) : mpz_sub_ui(out.m, out.m, 1);
    }
    out.scale = n;
    Normalize(out);
}

// ---- Benchmarks ---------------------------------------------------------------------------

std::vector<large_fix> OursOf(const std::vector<std::string>& texts) {
    std::vector<large_fix> values;
    for (const std::string& text : texts) values.emplace_back(text.c_str());
    return values;
}

std::vector<GmpFix> GmpOf(const std::vector<std::string>& texts) {
    std::vector<GmpFix> values(texts.size());
    std::string digits;
    for (size_t i = 0; i < texts.size(); ++i) Parse(values[i], texts[i].c_str(), digits);
    return values;
}

void OursRoundTrip(benchmark::State& state) {
    const auto& texts = InputsOf(state.range(0)).a;
    size_t i = 0;
    for (auto _ : state) {
        const large_fix value(texts[i].c_str());
        benchmark::DoNotOptimize(value.ToString());
        i = (i + 1) % kCount;
    }
}

void GmpRoundTrip(benchmark::State& state) {
    const auto& texts = InputsOf(state.range(0)).a;
    GmpFix value;
    std::string digits;
    size_t i = 0;
    for (auto _ : state) {
        Parse(value, texts[i].c_str(), digits);
        benchmark::DoNotOptimize(ToString(value));
        i = (i + 1) % kCount;
    }
}

// One binary operation of ours over the input pairs.
template <typename Operation>
void OursBinary(benchmark::State& state, Operation operation) {
    const auto& inputs = InputsOf(state.range(0));
    const auto a = OursOf(inputs.a);
    const auto b = OursOf(inputs.b);
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(operation(a[i], b[i]));
        i = (i + 1) % kCount;
    }
}

// The same with GMP, writing into one reused result (no allocation once it has grown).
template <typename Operation>
void GmpBinary(benchmark::State& state, Operation operation) {
    const auto& inputs = InputsOf(state.range(0));
    const auto a = GmpOf(inputs.a);
    const auto b = GmpOf(inputs.b);
    GmpFix result;
    size_t i = 0;
    for (auto _ : state) {
        operation(result, a[i], b[i]);
        benchmark::DoNotOptimize(result.m[0]._mp_d);
        i = (i + 1) % kCount;
    }
}

void OursAdd(benchmark::State& state) {
    OursBinary(state, [](const large_fix& a, const large_fix& b) { return a + b; });
}
void GmpAdd(benchmark::State& state) {
    GmpBinary(state, Add);
}
void OursMultiply(benchmark::State& state) {
    OursBinary(state, [](const large_fix& a, const large_fix& b) { return a * b; });
}
void GmpMultiply(benchmark::State& state) {
    GmpBinary(state, Multiply);
}
void OursDivide(benchmark::State& state) {
    OursBinary(state, [](const large_fix& a, const large_fix& b) { return a / b; });
}
void GmpDivide(benchmark::State& state) {
    GmpBinary(state, Divide);
}

// Rounds the amounts to 2 decimals (about half of them have more).
void OursRound(benchmark::State& state) {
    OursBinary(state, [](large_fix a, const large_fix&) { return a.Round(2); });
}
void GmpRound(benchmark::State& state) {
    mpz_t rest;
    mpz_init(rest);
    GmpBinary(state,
              [&rest](GmpFix& out, const GmpFix& a, const GmpFix&) { Round(out, a, 2, rest); });
    mpz_clear(rest);
}

// Rounds quotients (20 and more decimals) to 2 decimals, as balances are.
void OursRoundQuotient(benchmark::State& state) {
    const auto& inputs = InputsOf(state.range(0));
    const auto a = OursOf(inputs.a);
    const auto b = OursOf(inputs.b);
    std::vector<large_fix> quotients;
    for (size_t i = 0; i < kCount; ++i) quotients.push_back(a[i] / b[i]);
    size_t i = 0;
    for (auto _ : state) {
        large_fix value = quotients[i];
        benchmark::DoNotOptimize(value.Round(2));
        i = (i + 1) % kCount;
    }
}
void GmpRoundQuotient(benchmark::State& state) {
    const auto& inputs = InputsOf(state.range(0));
    const auto a = GmpOf(inputs.a);
    const auto b = GmpOf(inputs.b);
    std::vector<GmpFix> quotients(kCount);
    for (size_t i = 0; i < kCount; ++i) Divide(quotients[i], a[i], b[i]);
    GmpFix result;
    mpz_t rest;
    mpz_init(rest);
    size_t i = 0;
    for (auto _ : state) {
        Round(result, quotients[i], 2, rest);
        benchmark::DoNotOptimize(result.m[0]._mp_d);
        i = (i + 1) % kCount;
    }
    mpz_clear(rest);
}

// Argument 0: typical amounts (2 to 20 digits); 1: 60-digit values.
#define VEMLY_DECIMAL_BENCH(name) BENCHMARK(name)->ArgName("wide")->Arg(0)->Arg(1)

VEMLY_DECIMAL_BENCH(OursRoundTrip);
VEMLY_DECIMAL_BENCH(GmpRoundTrip);
VEMLY_DECIMAL_BENCH(OursAdd);
VEMLY_DECIMAL_BENCH(GmpAdd);
VEMLY_DECIMAL_BENCH(OursMultiply);
VEMLY_DECIMAL_BENCH(GmpMultiply);
VEMLY_DECIMAL_BENCH(OursDivide);
VEMLY_DECIMAL_BENCH(GmpDivide);
VEMLY_DECIMAL_BENCH(OursRound);
VEMLY_DECIMAL_BENCH(GmpRound);
VEMLY_DECIMAL_BENCH(OursRoundQuotient);
VEMLY_DECIMAL_BENCH(GmpRoundQuotient);

}  // namespace

BENCHMARK_MAIN();
