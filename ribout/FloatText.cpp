#include "ribout/FloatText.h"

#include <charconv>
#include <cstdint>
#include <cstring>

namespace ribout {
namespace {

constexpr int kSignificantDigits = 6;
constexpr std::uint64_t kPow10[] = {1ull,
                                    10ull,
                                    100ull,
                                    1000ull,
                                    10000ull,
                                    100000ull,
                                    1000000ull,
                                    10000000ull,
                                    100000000ull,
                                    1000000000ull,
                                    10000000000ull,
                                    100000000000ull};
// Decade boundaries 1e-5 .. 1e5 as doubles. Only used to guess the decimal
// exponent; the exact integer test below corrects a wrong guess, so the
// inexact negative powers do no harm.
constexpr double kDecades[] = {1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1e0, 1e1, 1e2, 1e3, 1e4, 1e5};
constexpr int kFirstDecade = -5;

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

char* formatGeneral(double value, char* out)
{
    // std::to_chars with an explicit precision is specified to give exactly the
    // text of printf in the "C" locale, so it is the reference for every value
    // the fast path below does not take.
    return std::to_chars(out, out + kMaxFloatText, value, std::chars_format::general,
                         kSignificantDigits)
        .ptr;
}

}  // namespace

char* formatFloat(float value, char* out)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    if (bits & 0x80000000u) {
        *out++ = '-';
        bits &= 0x7FFFFFFFu;
    }
    if (bits == 0) {
        *out++ = '0';
        return out;
    }
    const std::uint32_t biasedExponent = bits >> 23;
    float magnitude;
    std::memcpy(&magnitude, &bits, sizeof magnitude);
    const double wide = magnitude;
    // Fast path: values whose "%g" text has no exponent, which is nearly every
    // coordinate, colour and parameter in a scene. The float is m * 2^-shift
    // exactly, so m * 10^k is an exact 64-bit integer and the sixth significant
    // digit can be rounded exactly (ties to even, as printf does), without
    // floating-point arithmetic.
    if (biasedExponent == 0xFF || !(wide >= 9.99e-6 && wide < 1e6)) {
        return formatGeneral(wide, out);
    }
    const std::uint64_t mantissa = (bits & 0x7FFFFFu) | 0x800000u;
    const int shift = 150 - static_cast<int>(biasedExponent);  // 4 .. 40 here
    int decade = 10;
    while (decade > 0 && wide < kDecades[decade]) {
        --decade;
    }
    int exponent = decade + kFirstDecade;
    int scale = kSignificantDigits - 1 - exponent;  // 0 .. 10
    std::uint64_t scaled = mantissa * kPow10[scale];
    if (scaled < (kPow10[5] << shift)) {
        ++scale;
        --exponent;
        scaled *= 10;
    } else if (scaled >= (kPow10[6] << shift)) {
        --scale;
        ++exponent;
        scaled = mantissa * kPow10[scale];
    }
    const std::uint64_t half = std::uint64_t{1} << (shift - 1);
    const std::uint64_t remainder = scaled & ((half << 1) - 1);
    std::uint64_t digits = scaled >> shift;
    if (remainder > half || (remainder == half && (digits & 1))) {
        ++digits;
    }
    if (digits == kPow10[6]) {
        digits = kPow10[5];
        ++exponent;
    }
    if (exponent < -4 || exponent >= kSignificantDigits) {
        return formatGeneral(wide, out);
    }

    char text[kSignificantDigits];
    std::uint32_t rest = static_cast<std::uint32_t>(digits);
    for (int i = kSignificantDigits - 2; i >= 0; i -= 2) {
        const std::uint32_t pair = rest % 100;
        rest /= 100;
        text[i] = kDigitPairs[2 * pair];
        text[i + 1] = kDigitPairs[2 * pair + 1];
    }
    int last = kSignificantDigits;
    while (last > 1 && text[last - 1] == '0') {
        --last;
    }
    if (exponent >= 0) {
        const int integerDigits = exponent + 1;
        std::memcpy(out, text, integerDigits);
        out += integerDigits;
        if (last > integerDigits) {
            *out++ = '.';
            std::memcpy(out, text + integerDigits, last - integerDigits);
            out += last - integerDigits;
        }
    } else {
        *out++ = '0';
        *out++ = '.';
        for (int i = -1; i > exponent; --i) {
            *out++ = '0';
        }
        std::memcpy(out, text, last);
        out += last;
    }
    return out;
}

char* formatFixed(float value, char* out)
{
    return std::to_chars(out, out + kMaxFixedText, static_cast<double>(value),
                         std::chars_format::fixed, kSignificantDigits)
        .ptr;
}

char* formatInt(long value, char* out)
{
    return std::to_chars(out, out + kMaxIntText, value).ptr;
}

}  // namespace ribout
