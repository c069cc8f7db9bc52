// What the per-step check for bodies gone unstable costs: the check over
// every node (firstUnstableBody) set against the world step it follows, on
// scene 1 (a 76 x 58 sheet on a table, from the state after 1,000 steps) and
// on a falling cube of 64³ nodes. Each iteration times ten steps and then
// ten checks of the state they reached, on the thread's own processor clock
// (the machine is shared); the figure is the median of the iterations'
// ratios, check over step. The cube's step runs on one thread here, so the
// ratio is against the step's processor time, not its wall time.
#include "BenchSupport.h"
#include "softbody/PathTrial.h"
#include "softbody/SoftBody.h"
#include "world/Stability.h"
#include "world/World.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <vector>

namespace {
void measure(benchmark::State& state, World& world)
{
    constexpr int kSteps = 10;
    std::vector<double> ratios;
    int unstable = 0;
    for (auto _ : state) {
        const double start = threadProcessorSeconds();
        for (int s = 0; s < kSteps; ++s) world.step();
        const double stepped = threadProcessorSeconds();
        for (int s = 0; s < kSteps; ++s) unstable += firstUnstableBody(world) >= 0;
        const double checked = threadProcessorSeconds();
        ratios.push_back((checked - stepped) / (stepped - start));
    }
    if (unstable != 0) state.SkipWithError("a body looked unstable");
    state.counters["check/step %"] = 100.0 * median(ratios);
}

void BM_CheckScene1(benchmark::State& state)
{
    auto world = quietWorld(1);
    for (int s = 0; s < 1000; ++s) world->step();
    measure(state, *world);
}

void BM_CheckCube64(benchmark::State& state)
{
    auto world = quietWorld(6);  // the empty room
    std::streambuf* saved = std::cerr.rdbuf(nullptr);
    static SoftBody cube(63, 63, 63, 0.05, 600.0, 0.01, 0.5);
    std::cerr.rdbuf(saved);
    std::cerr.clear();
    cube.parallelThreshold = 1 << 30;  // one thread: the check runs on one
    cube.enableGravity();
    cube.setSceneObjects(&world->objects);
    world->preparedBodies.push_back(&cube);
    world->activateNextBody();
    measure(state, *world);
}
}  // namespace

BENCHMARK(BM_CheckScene1)->Iterations(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckCube64)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
