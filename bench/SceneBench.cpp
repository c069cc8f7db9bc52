// The program's real work: World::step on scenes of the catalogue, with
// their objects and gravity, from the state they reach after 1,000 steps
// (scene 1's sheet lies on its table by then), in each instruction-set path
// this processor offers. Each figure is set against BaselineSoftBody.h
// stepping copies of the same bodies, with the same objects, in the same
// run and in alternation: each iteration times ten world steps and then ten
// baseline steps, and the ratio is the median of the iterations' ratios.
// The baseline follows the bodies' trajectories bit for bit, so both see the
// same contacts; the benchmark checks that at the end and fails otherwise.
//
// Times are the thread's own processor time: the machine is shared, and a
// step that another process interrupts would otherwise count the other
// process's time too. Everything here runs on the one thread.
#include "BaselineSoftBody.h"
#include "BenchSupport.h"
#include "softbody/PathTrial.h"
#include "softbody/SimdPath.h"
#include "softbody/SoftBody.h"
#include "world/World.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {
constexpr int kWarmUpSteps = 1000;
constexpr int kStepsPerSample = 10;
// The path the program would take here (BLORP_SIMD included), read before
// the benchmarks start switching.
SimdPath startUpPath = SimdPath::scalar;

double seconds(double start) { return threadProcessorSeconds() - start; }

bool sameTrajectory(const World& world, const std::vector<std::unique_ptr<BaselineSoftBody>>& baselines)
{
    for (size_t b = 0; b < baselines.size(); ++b) {
        const SoftBody& body = *world.activeBodies[b];
        for (int n = 0; n < body.nodeCount(); ++n)
            if (std::memcmp(&body.nodes[n].position, &baselines[b]->point(n).position, sizeof(Vector3)) != 0 ||
                std::memcmp(&body.nodes[n].velocity, &baselines[b]->point(n).velocity, sizeof(Vector3)) != 0)
                return false;
    }
    return true;
}

void BM_Scene(benchmark::State& state, int scene, bool allBodies, SimdPath path)
{
    if (!setSimdPath(path)) {
        state.SkipWithError("this processor cannot run the path");
        return;
    }
    std::unique_ptr<World> world = quietWorld(scene, allBodies);
    for (int s = 0; s < kWarmUpSteps; ++s) world->step();
    std::vector<std::unique_ptr<BaselineSoftBody>> baselines;
    double springs = 0.0;
    for (SoftBody* body : world->activeBodies) {
        baselines.push_back(std::make_unique<BaselineSoftBody>(*body, &world->objects));
        springs += body->springCount();
    }
    std::vector<double> ratios, rates, baseRates;
    for (auto _ : state) {
        double start = threadProcessorSeconds();
        for (int s = 0; s < kStepsPerSample; ++s) world->step();
        const double mine = seconds(start);
        start = threadProcessorSeconds();
        for (int s = 0; s < kStepsPerSample; ++s)
            for (auto& baseline : baselines) {
                baseline->computeSpringForces();
                baseline->step(world->timeStep);
            }
        const double theirs = seconds(start);
        state.SetIterationTime(mine);
        ratios.push_back(theirs / mine);
        rates.push_back(springs * kStepsPerSample / mine);
        baseRates.push_back(springs * kStepsPerSample / theirs);
    }
    if (!sameTrajectory(*world, baselines)) {
        state.SkipWithError("the baseline left the bodies' trajectory");
        return;
    }
    int pressing = 0;
    for (const SoftBody* body : world->activeBodies)
        for (int n = 0; n < body->nodeCount(); ++n) pressing += body->nodes[n].contactForce != Vector3(0, 0, 0);
    state.counters["springs/s"] = median(rates);
    state.counters["baseline springs/s"] = median(baseRates);
    state.counters["vs baseline"] = median(ratios);
    state.counters["pressing nodes"] = pressing;
    state.counters["springs"] = springs;
}

// What `blorp --headless --scene 1 --steps 4000` steps: the sheet from its
// start, 4,000 steps, against the baseline stepping the same sheet in the
// room alone (floor and walls, as a straightforward step that knows no
// objects would; the sheet then falls through the table to the floor) and
// with the table's boxes. One sample of each per iteration, in turn.
void BM_SceneOneRun(benchmark::State& state)
{
    constexpr int kSteps = 4000;
    setSimdPath(startUpPath);
    std::vector<double> floorOnly, withTable;
    for (auto _ : state) {
        std::unique_ptr<World> world = quietWorld(1, false);
        const SoftBody& sheet = *world->activeBodies.front();
        BaselineSoftBody room(sheet, nullptr), table(sheet, &world->objects);
        double start = threadProcessorSeconds();
        for (int s = 0; s < kSteps; ++s) world->step();
        const double mine = seconds(start);
        auto timeBaseline = [&](BaselineSoftBody& baseline) {
            const double begin = threadProcessorSeconds();
            for (int s = 0; s < kSteps; ++s) {
                baseline.computeSpringForces();
                baseline.step(world->timeStep);
            }
            return seconds(begin);
        };
        floorOnly.push_back(timeBaseline(room) / mine);
        withTable.push_back(timeBaseline(table) / mine);
        state.SetIterationTime(mine);
    }
    state.counters["vs floor-only baseline"] = median(floorOnly);
    state.counters["vs baseline with table"] = median(withTable);
}
}  // namespace

int main(int argc, char** argv)
{
    startUpPath = simdPath();
    const struct {
        int scene;
        bool allBodies;
        const char* name;
    } scenes[] = {{1, false, "scene1_sheet_on_table"},
                  {9, false, "scene9_sheet"},
                  {7, true, "scene7_five_bodies"},
                  {12, false, "scene12_block"}};
    for (const auto& s : scenes)
        for (SimdPath path : kSimdPaths) {
            if (!simdPathAvailable(path)) continue;
            const std::string name = std::string(s.name) + "/" + simdPathName(path);
            benchmark::RegisterBenchmark(name.c_str(), BM_Scene, s.scene, s.allBodies, path)
                ->Iterations(60)
                ->UseManualTime()
                ->Unit(benchmark::kMicrosecond);
        }
    const std::string run = std::string("scene1_4000_steps_from_the_start/") + simdPathName(simdPath());
    benchmark::RegisterBenchmark(run.c_str(), BM_SceneOneRun)
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
