// Every scene, all bodies active, under a seeded storm of pushes, kicks and
// activations: nothing becomes infinite or NaN, and no free node ends outside
// the room. The CI run is short; tools/soak.sh sets BLORP_SOAK_STEPS for the
// long one, and BLORP_SOAK_SEED another storm.

#include <cstdint>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "tests/reliability/Soak.h"

namespace {

constexpr long kDefaultSteps = 2000;

long soakSteps()
{
    const char* text = std::getenv("BLORP_SOAK_STEPS");
    const long steps = text != nullptr ? std::atol(text) : 0;
    return steps > 0 ? steps : kDefaultSteps;
}

std::uint32_t soakSeed(int scene)
{
    const char* text = std::getenv("BLORP_SOAK_SEED");
    const std::uint32_t base = text != nullptr ? static_cast<std::uint32_t>(std::atol(text)) : 9000u;
    return base + static_cast<std::uint32_t>(scene);
}

class Soak : public testing::TestWithParam<int> {};

TEST_P(Soak, StaysFiniteAndInsideTheRoom)
{
    const int scene = GetParam();
    const long steps = soakSteps();
    testing::internal::CaptureStderr();  // the bodies' construction messages
    const soak::Result result = soak::run(scene, steps, soakSeed(scene));
    testing::internal::GetCapturedStderr();

    EXPECT_EQ(result.firstNonFiniteStep, -1)
        << "scene " << scene << ": " << result.nonFiniteNode << " after step "
        << result.firstNonFiniteStep;
    EXPECT_EQ(result.steps, steps) << "scene " << scene;
    EXPECT_GT(result.actions, steps / 16) << "scene " << scene << ": the storm was too quiet";
    EXPECT_EQ(result.freeNodesOutside, 0)
        << "scene " << scene << ": farthest " << result.worstOutside << ", "
        << result.worstExcess << " spacings outside";
    EXPECT_EQ(result.fixedNodesMoved, 0) << "scene " << scene;
    RecordProperty("steps", std::to_string(result.steps));
    RecordProperty("actions", std::to_string(result.actions));
    RecordProperty("worstExcessSpacings", std::to_string(result.worstExcess));
    RecordProperty("worstNode", result.worstOutside);
    RecordProperty("worstExcessDuringRunSpacings", std::to_string(result.worstExcessDuringRun));
    RecordProperty("worstDuringRun", result.worstDuringRun);
    RecordProperty("fixedNodesOutside", std::to_string(result.fixedNodesOutside));
}

// Scene 6 builds nothing; every other scene of the catalogue has bodies.
INSTANTIATE_TEST_SUITE_P(EveryScene, Soak,
                         testing::Values(0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12),
                         [](const testing::TestParamInfo<int>& info) {
                             return "Scene" + std::to_string(info.param);
                         });

}  // namespace
