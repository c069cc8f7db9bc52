#include "softbody/SimdPath.h"

#include <gtest/gtest.h>

#include <string>

TEST(SimdPath, ARequestChoosesAnyPathTheProcessorCanRun)
{
    const struct {
        const char* request;
        SimdPath widest, fastest;
        SimdPath chosen;
        bool warns;
    } cases[] = {
        {nullptr, SimdPath::avx2, SimdPath::avx2, SimdPath::avx2, false},
        {"", SimdPath::avx512, SimdPath::avx512, SimdPath::avx512, false},
        {nullptr, SimdPath::avx512, SimdPath::avx2, SimdPath::avx2, false},  // halves 512-bit operations
        {"avx512", SimdPath::avx512, SimdPath::avx2, SimdPath::avx512, false},
        {"scalar", SimdPath::avx2, SimdPath::avx2, SimdPath::scalar, false},
        {"sse2", SimdPath::avx512, SimdPath::avx512, SimdPath::sse2, false},
        {"avx2", SimdPath::avx2, SimdPath::avx2, SimdPath::avx2, false},
        {"avx512", SimdPath::avx2, SimdPath::avx2, SimdPath::avx2, true},  // this processor cannot
        {"avx2", SimdPath::scalar, SimdPath::scalar, SimdPath::scalar, true},
        {"AVX2", SimdPath::avx512, SimdPath::avx2, SimdPath::avx2, true},  // names are exact
        {"fast", SimdPath::sse2, SimdPath::sse2, SimdPath::sse2, true},
        {"avx512vl", SimdPath::avx512, SimdPath::avx512vl, SimdPath::avx512vl, false},
        {"avx512vl", SimdPath::avx2, SimdPath::avx2, SimdPath::avx2, true},
        {"avx512", SimdPath::avx512vl, SimdPath::avx512vl, SimdPath::avx512vl, true},
    };
    for (const auto& c : cases) {
        std::string warning = "stale";
        EXPECT_EQ(simdPathForRequest(c.request, c.widest, c.fastest, warning), c.chosen)
            << (c.request ? c.request : "(unset)");
        EXPECT_EQ(!warning.empty(), c.warns) << warning;
        if (c.warns) {
            EXPECT_EQ(warning.find("blorp: BLORP_SIMD="), 0u) << warning;
        }
    }
}

TEST(SimdPath, OnlyAPathThatRunsHereCanBeChosen)
{
    const SimdPath saved = simdPath();
    EXPECT_TRUE(simdPathAvailable(SimdPath::scalar));
    EXPECT_TRUE(simdPathAvailable(widestSimdPath()));
    EXPECT_TRUE(simdPathAvailable(fastestSimdPath()));
    EXPECT_LE(int(fastestSimdPath()), int(widestSimdPath()));
    // Four lanes by default only where the processor halves 512-bit operations.
    if (widestSimdPath() == SimdPath::avx512 && fastestSimdPath() != SimdPath::avx512) {
        EXPECT_EQ(fastestSimdPath(), simdPathAvailable(SimdPath::avx512vl) ? SimdPath::avx512vl : SimdPath::avx2);
    }
    EXPECT_TRUE(setSimdPath(SimdPath::scalar));
    EXPECT_EQ(simdPath(), SimdPath::scalar);
    for (SimdPath path : kSimdPaths) {
        EXPECT_EQ(setSimdPath(path), simdPathAvailable(path)) << simdPathName(path);
        EXPECT_EQ(simdPath(), simdPathAvailable(path) ? path : SimdPath::scalar) << simdPathName(path);
        setSimdPath(SimdPath::scalar);
    }
    for (SimdPath path : kSimdPaths) {
        SimdPath parsed;
        ASSERT_TRUE(parseSimdPath(simdPathName(path), parsed));
        EXPECT_EQ(parsed, path);
    }
    setSimdPath(saved);
}
