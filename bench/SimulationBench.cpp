// Throughput of one simulation step (the spring pass, then the node pass
// with gravity, contacts against the room and integration) for the sizes
// that the scenes use and the larger ones that users build.
#include "softbody/SoftBody.h"

#include <benchmark/benchmark.h>

#include <iostream>
#include <vector>

namespace {
const std::vector<GenericObject*> kNoObjects;

// Construction logs to standard error; keep benchmark output clean.
SoftBody quietBody(int cx, int cy, int cz, double spacing)
{
    std::streambuf* saved = std::cerr.rdbuf(nullptr);
    SoftBody body(cx, cy, cz, spacing, 600, 0.01, 0.5);
    std::cerr.rdbuf(saved);
    std::cerr.clear();
    body.enableGravity();
    body.setSceneObjects(&kNoObjects);
    return body;
}

void stepBody(benchmark::State& state, int cx, int cy, int cz, double spacing)
{
    SoftBody body = quietBody(cx, cy, cz, spacing);
    for (auto _ : state) {
        body.computeSpringForces();
        body.step(0.005);
        benchmark::ClobberMemory();
    }
    state.counters["springs/s"] =
        benchmark::Counter(double(body.springCount()) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["nodes/s"] =
        benchmark::Counter(double(body.nodeCount()) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["springs"] = body.springCount();
}

void BM_StepSheet76x1x58(benchmark::State& state) { stepBody(state, 75, 0, 57, 0.07); }
void BM_StepCube(benchmark::State& state)
{
    const int cells = int(state.range(0)) - 1;
    stepBody(state, cells, cells, cells, 4.0 / cells);
}
}  // namespace

BENCHMARK(BM_StepSheet76x1x58)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StepCube)->Arg(8)->Arg(16)->Arg(32)->Arg(64)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
