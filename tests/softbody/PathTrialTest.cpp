#include "FallingBody.h"
#include "softbody/PathTrial.h"
#include "softbody/SimdPath.h"
#include "softbody/SoftBody.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <map>
#include <vector>

TEST(PathTrial, TakesThePathsInTurnsAndKeepsTheLeastTiming)
{
    // A fake clock: each path's timings by round. One slow round must not
    // decide, and the least timing of each path counts.
    std::map<SimdPath, std::vector<double>> timings = {
        {SimdPath::sse2, {3.0, 3.0, 3.0}},
        {SimdPath::avx2, {2.0, 1.2, 2.0}},
        {SimdPath::avx512, {1.5, 9.0, 1.4}},  // slowest in one round only
    };
    const SimdPath candidates[] = {SimdPath::sse2, SimdPath::avx2, SimdPath::avx512};
    PathTrial trial(candidates, 3, 3);
    std::map<SimdPath, size_t> calls;
    std::vector<SimdPath> order;
    while (!trial.done()) {
        ASSERT_LT(order.size(), 9u) << "three rounds of three";
        const SimdPath path = trial.next();
        order.push_back(path);
        trial.record(timings[path][calls[path]++]);
    }
    ASSERT_EQ(order.size(), 9u);
    for (size_t round = 0; round < 3; ++round)
        for (size_t i = 0; i < 3; ++i)
            EXPECT_EQ(order[3 * round + i], candidates[(i + round) % 3]) << "round " << round << ", turn " << i;
    EXPECT_EQ(trial.chosen(), SimdPath::avx2);
    trial.record(0.0);
    EXPECT_EQ(trial.chosen(), SimdPath::avx2) << "a timing after the last is ignored";

    // Ties go to the earlier candidate; before any timing, the first stands.
    PathTrial tie(candidates, 3, 1);
    EXPECT_EQ(tie.chosen(), SimdPath::sse2);
    tie.record(2.0);  // sse2
    tie.record(1.0);  // avx2
    EXPECT_FALSE(tie.done());
    EXPECT_EQ(tie.chosen(), SimdPath::avx2);
    tie.record(1.0);  // avx512
    EXPECT_TRUE(tie.done());
    EXPECT_EQ(tie.chosen(), SimdPath::avx2);

    // One candidate needs no timing; none leaves the scalar path.
    const PathTrial one(candidates + 2, 1, 3);
    EXPECT_TRUE(one.done());
    EXPECT_EQ(one.chosen(), SimdPath::avx512);
    EXPECT_TRUE(PathTrial().done());
    EXPECT_EQ(PathTrial().chosen(), SimdPath::scalar);
    EXPECT_EQ(fastestOf({}, 4, [](SimdPath) { return 1.0; }), SimdPath::scalar);
}

namespace {
// A body that takes the path trial whatever its size, kicked at step 10.
struct Faller : FallingBody {
    explicit Faller(int parallelThreshold, int cellsY = 6, int cellsZ = 16)
        : FallingBody(parallelThreshold, 10, cellsY, cellsZ)
    {
        body.pathTrialSprings = 0;
    }
};
}  // namespace

TEST(PathTrial, ALargeBodyTimesEveryPathThenKeepsOneWithTheSameBits)
{
    if (std::getenv("BLORP_SIMD") != nullptr) GTEST_SKIP() << "BLORP_SIMD forces a path in this environment";
    resetSimdPath();
    int available = 0;
    for (SimdPath path : kSimdPaths) available += simdPathAvailable(path);
    const int trialSteps = available > 1 ? 1 + available * SoftBody::kPathTrialRounds : 0;

    // One thread, two threads by rows of each plane, two threads by planes
    // (halves of more than two bands); the references step in the scalar
    // path throughout.
    Faller reference(INT_MAX), one(INT_MAX), rows(0), planes(0, 16, 6);
    Faller tallReference(INT_MAX, 16, 6);
    planes.body.bandNodes = 2 * 7;
    reference.body.pathTrialSprings = tallReference.body.pathTrialSprings = INT_MAX;
    EXPECT_FALSE(reference.body.timingPaths()) << "below its threshold";
    for (int s = 0; s < trialSteps + 30; ++s) {
        for (Faller* f : {&reference, &one, &rows, &planes, &tallReference}) f->push(s);
        for (Faller* f : {&one, &rows, &planes}) {
            EXPECT_EQ(f->body.timingPaths(), s < trialSteps) << "step " << s;
            f->body.advance(0.005);
        }
        reference.body.advanceIn(SimdPath::scalar, 0.005);
        tallReference.body.advanceIn(SimdPath::scalar, 0.005);
    }
    for (Faller* f : {&one, &rows, &planes}) {
        EXPECT_FALSE(f->body.timingPaths());
        EXPECT_TRUE(simdPathAvailable(f->body.ownPath())) << simdPathName(f->body.ownPath());
    }
    expectSameBits(reference.body, one.body, "one thread through the trial");
    expectSameBits(reference.body, rows.body, "two threads by rows through the trial");
    expectSameBits(tallReference.body, planes.body, "two threads by planes through the trial");

    // A forced path holds every body, chosen or not, and no trial begins.
    Faller fresh(INT_MAX);
    ASSERT_TRUE(setSimdPath(SimdPath::scalar));
    EXPECT_TRUE(simdPathForced());
    EXPECT_FALSE(fresh.body.timingPaths());
    EXPECT_EQ(one.body.ownPath(), SimdPath::scalar);
    fresh.body.advance(0.005);
    resetSimdPath();
    EXPECT_FALSE(simdPathForced());
    EXPECT_EQ(fresh.body.timingPaths(), trialSteps > 0) << "the trial begins at the first step not forced";
    EXPECT_EQ(simdPath(), fastestSimdPath());
}
