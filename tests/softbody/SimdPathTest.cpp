#include "softbody/SimdPath.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

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
        const auto upToWidest = [&](SimdPath p) { return int(p) <= int(c.widest); };
        EXPECT_EQ(simdPathForRequest(c.request, upToWidest, c.fastest, warning), c.chosen)
            << (c.request ? c.request : "(unset)");
        EXPECT_EQ(!warning.empty(), c.warns) << warning;
        if (c.warns) {
            EXPECT_EQ(warning.find("blorp: BLORP_SIMD="), 0u) << warning;
        }
    }
    // AVX-512's foundation without its 256-bit forms: the widest path runs,
    // a narrower one does not.
    const auto foundationOnly = [](SimdPath p) { return p != SimdPath::avx512vl; };
    std::string warning;
    EXPECT_EQ(simdPathForRequest("avx512vl", foundationOnly, SimdPath::avx512, warning), SimdPath::avx512);
    EXPECT_EQ(warning, "blorp: BLORP_SIMD=avx512vl cannot run on this processor; using avx512");
    EXPECT_EQ(simdPathForRequest("avx2", foundationOnly, SimdPath::avx512, warning), SimdPath::avx2);
    EXPECT_EQ(warning, "");
}

TEST(SimdPath, OnlyAPathThatRunsHereCanBeChosen)
{
    EXPECT_TRUE(simdPathAvailable(SimdPath::scalar));
    EXPECT_TRUE(simdPathAvailable(widestSimdPath()));
    EXPECT_TRUE(simdPathAvailable(fastestSimdPath()));
    EXPECT_LE(int(fastestSimdPath()), int(widestSimdPath()));
    EXPECT_EQ(fastestSimdPath(), fastestSimdPath()) << "timed once";
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
    resetSimdPath();
}

TEST(SimdPath, TheDefaultIsThePathWithTheBestTiming)
{
    // Each path's timings by round: a slow spell of the machine in one round
    // must not decide, and the least timing of each path counts.
    std::map<SimdPath, std::vector<double>> timings = {
        {SimdPath::sse2, {3.0, 3.0, 3.0, 3.0}},
        {SimdPath::avx2, {2.0, 1.9, 2.0, 2.1}},
        {SimdPath::avx512vl, {1.5, 9.0, 1.4, 9.0}},
        {SimdPath::avx512, {9.0, 9.0, 9.0, 1.3}},  // slow but for one round
    };
    std::vector<SimdPath> order;
    std::map<SimdPath, size_t> calls;
    auto seconds = [&](SimdPath path) {
        order.push_back(path);
        return timings[path][calls[path]++];
    };
    const std::vector<SimdPath> candidates = {SimdPath::sse2, SimdPath::avx2, SimdPath::avx512vl, SimdPath::avx512};
    EXPECT_EQ(fastestOf(candidates, 4, seconds), SimdPath::avx512);
    ASSERT_EQ(order.size(), 16u);
    for (size_t round = 0; round < 4; ++round)
        for (size_t i = 0; i < 4; ++i)
            EXPECT_EQ(order[4 * round + i], candidates[(i + round) % 4]) << "round " << round << ", turn " << i;

    // Without the one fast round, four lanes in AVX-512's forms win; a tie
    // goes to the earlier candidate.
    timings[SimdPath::avx512] = {9.0, 9.0, 9.0, 9.0};
    calls.clear();
    EXPECT_EQ(fastestOf(candidates, 4, seconds), SimdPath::avx512vl);
    calls.clear();
    EXPECT_EQ(fastestOf({SimdPath::avx2, SimdPath::sse2}, 1, [](SimdPath) { return 1.0; }), SimdPath::avx2);
}
