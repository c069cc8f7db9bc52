// Scene 7 with its five bodies, stepped with contact between bodies and
// without, in the same run and in alternation. The five start piled into
// each other on the sphere and are in contact for their first few hundred
// steps, until they have slid apart onto the floor; so each iteration builds
// the scene twice and takes both through their first 450 steps, timing ten
// steps with contact and then the same ten steps without, in turn. The ratio
// is the median of those samples' ratios: over all 450 steps, over the first
// 150 (the five pressed into each other, about 120 contacts a step) and over
// the next 300 (sliding apart, about 15).
//
// Times are the thread's own processor time, as in SceneBench.cpp: the
// machine is shared. Everything here runs on the one thread.
#include "BenchSupport.h"
#include "softbody/PathTrial.h"
#include "softbody/SimdPath.h"
#include "softbody/SoftBody.h"
#include "world/World.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {
constexpr int kRunSteps = 450;
constexpr int kPiledSteps = 150;
constexpr int kStepsPerSample = 10;

std::unique_ptr<World> sceneSeven(bool collides)
{
    std::unique_ptr<World> world = quietWorld(7, true);
    world->collidesBodies = collides;
    return world;
}

void BM_SceneSevenWithContact(benchmark::State& state, SimdPath path)
{
    if (!setSimdPath(path)) {
        state.SkipWithError("this processor cannot run the path");
        return;
    }
    std::vector<double> ratios, piled, parting, rates, baseRates;
    long contacts = 0, steps = 0;
    for (auto _ : state) {
        std::unique_ptr<World> touching = sceneSeven(true), apart = sceneSeven(false);
        double total = 0.0;
        for (int done = 0; done < kRunSteps; done += kStepsPerSample) {
            double start = threadProcessorSeconds();
            for (int s = 0; s < kStepsPerSample; ++s) {
                touching->step();
                contacts += touching->bodyContacts;
            }
            const double with = threadProcessorSeconds() - start;
            start = threadProcessorSeconds();
            for (int s = 0; s < kStepsPerSample; ++s) apart->step();
            const double without = threadProcessorSeconds() - start;
            steps += kStepsPerSample;
            total += with;
            ratios.push_back(without / with);
            (done < kPiledSteps ? piled : parting).push_back(without / with);
            rates.push_back(kStepsPerSample / with);
            baseRates.push_back(kStepsPerSample / without);
        }
        state.SetIterationTime(total);
    }
    state.counters["steps/s with contact"] = median(rates);
    state.counters["steps/s without"] = median(baseRates);
    state.counters["with / without"] = median(ratios);
    state.counters["piled"] = median(piled);
    state.counters["parting"] = median(parting);
    state.counters["contacts/step"] = double(contacts) / double(steps);
}
}  // namespace

int main(int argc, char** argv)
{
    for (SimdPath path : kSimdPaths) {
        if (!simdPathAvailable(path)) continue;
        const std::string name = std::string("scene7_five_bodies_contact/") + simdPathName(path);
        benchmark::RegisterBenchmark(name.c_str(), BM_SceneSevenWithContact, path)
            ->Iterations(20)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
