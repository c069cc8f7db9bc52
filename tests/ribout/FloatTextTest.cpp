// The number text of RIB output must be byte for byte what printf writes in
// the "C" locale.

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ribout/FloatText.h"

namespace {

float fromBits(std::uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::string printfText(const char* format, double value)
{
    char text[128];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string generalText(float value)
{
    char text[ribout::kMaxFloatText];
    return std::string(text, ribout::formatFloat(value, text));
}

std::string fixedText(float value)
{
    char text[ribout::kMaxFixedText];
    return std::string(text, ribout::formatFixed(value, text));
}

// Floats that stress "%g": every binade (denormals included) at a stride,
// both signs; integers; powers of ten and their neighbours; and the floats
// nearest to decimals that sit exactly halfway at the sixth digit.
std::vector<float> sampleFloats()
{
    std::vector<float> values;
    for (std::uint64_t bits = 0; bits < 0x7F800000u; bits += 2039) {
        values.push_back(fromBits(static_cast<std::uint32_t>(bits)));
        values.push_back(-fromBits(static_cast<std::uint32_t>(bits)));
    }
    for (int i = 0; i <= 2000000; i += 7) {
        values.push_back(static_cast<float>(i));
        values.push_back(static_cast<float>(-i));
    }
    for (int exponent = -45; exponent <= 38; ++exponent) {
        const float power = std::pow(10.0f, static_cast<float>(exponent));
        float below = power;
        float above = power;
        for (int step = 0; step < 4; ++step) {
            values.push_back(below);
            values.push_back(above);
            below = std::nextafter(below, 0.0f);
            above = std::nextafter(above, std::numeric_limits<float>::infinity());
        }
    }
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> mantissa(100000, 999999);
    std::uniform_int_distribution<int> exponent(-44, 38);
    for (int i = 0; i < 200000; ++i) {
        // d.ddddd5 x 10^e: halfway between two six-digit results.
        const double tie = (mantissa(random) * 10 + 5) * std::pow(10.0, exponent(random) - 6);
        const float nearest = static_cast<float>(tie);
        values.push_back(nearest);
        values.push_back(std::nextafter(nearest, 0.0f));
        values.push_back(std::nextafter(nearest, std::numeric_limits<float>::infinity()));
    }
    for (float special : {0.0f, -0.0f, FLT_MIN, FLT_MAX, FLT_TRUE_MIN, 999999.5f, 999999.4f,
                          9.999995e-5f, 9.9999945e-5f, 0.0001f, 1e-5f, 0.7f, 0.45f,
                          std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity(),
                          std::numeric_limits<float>::quiet_NaN(),
                          -std::numeric_limits<float>::quiet_NaN()}) {
        values.push_back(special);
    }
    return values;
}

TEST(FloatText, GeneralFormatMatchesPrintfOnALargeSample)
{
    int mismatches = 0;
    const std::vector<float> values = sampleFloats();
    for (float value : values) {
        const std::string expected = printfText("%g", value);
        const std::string actual = generalText(value);
        if (actual != expected && ++mismatches <= 20) {
            ADD_FAILURE() << "value " << std::hexfloat << value << ": got " << actual
                          << ", printf gives " << expected;
        }
    }
    EXPECT_EQ(mismatches, 0) << "of " << values.size() << " values";
}

TEST(FloatText, FixedFormatMatchesPrintf)
{
    int mismatches = 0;
    std::vector<float> values = sampleFloats();
    for (std::size_t i = 0; i < values.size(); i += 13) {
        const float value = values[i];
        const std::string expected = printfText("%f", value);
        if (fixedText(value) != expected && ++mismatches <= 20) {
            ADD_FAILURE() << "value " << std::hexfloat << value << ": got " << fixedText(value)
                          << ", printf gives " << expected;
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(fixedText(FLT_MAX), printfText("%f", FLT_MAX));
}

TEST(FloatText, IntegersMatchPrintf)
{
    for (long value : {0L, 1L, -1L, 42L, -2147483648L, 9223372036854775807L,
                       -9223372036854775807L - 1}) {
        char text[ribout::kMaxIntText];
        char expected[32];
        std::snprintf(expected, sizeof expected, "%ld", value);
        EXPECT_EQ(std::string(text, ribout::formatInt(value, text)), expected);
    }
}

}  // namespace
