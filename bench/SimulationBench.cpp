// Throughput of one simulation step: the spring pass (computeSpringForces)
// and the node pass (step: springs, pushes, the room's contact planes,
// integration), in springs per second, for the scene sizes and for cubes up
// to 64³ nodes. Each SoftBody figure is reported as a ratio against the
// straightforward implementation of BaselineSoftBody.h measured in the same
// run, so the noise of a shared machine cancels out.
//
// Bodies float without gravity, so every iteration does the same work (no
// body lands on the floor partway through a measurement).
#include "BaselineSoftBody.h"
#include "softbody/SoftBody.h"

#include <benchmark/benchmark.h>

#include <climits>
#include <cstdio>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {
const std::vector<GenericObject*> kNoObjects;
constexpr double kDt = 0.005;
constexpr double kStiffness = 600, kDamping = 0.01, kMass = 0.5;

// Construction logs to standard error; keep benchmark output clean.
SoftBody quietCube(int nodes)
{
    const int cells = nodes - 1;
    std::streambuf* saved = std::cerr.rdbuf(nullptr);
    SoftBody body(cells, cells, cells, 4.0 / cells, kStiffness, kDamping, kMass);
    std::cerr.rdbuf(saved);
    std::cerr.clear();
    body.setSceneObjects(&kNoObjects);
    return body;
}

void setRates(benchmark::State& state, int springs, int nodes)
{
    state.counters["springs/s"] =
        benchmark::Counter(double(springs) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["nodes/s"] = benchmark::Counter(double(nodes) * double(state.iterations()), benchmark::Counter::kIsRate);
}

void stepSoftBody(benchmark::State& state, SoftBody& body)
{
    for (auto _ : state) {
        body.advance(kDt);
        benchmark::ClobberMemory();
    }
    setRates(state, body.springCount(), body.nodeCount());
}

void BM_Baseline(benchmark::State& state)
{
    const int cells = int(state.range(0)) - 1;
    BaselineSoftBody body(cells, 4.0 / cells, kStiffness, kDamping, kMass);
    for (auto _ : state) {
        body.computeSpringForces();
        body.step(kDt);
        benchmark::ClobberMemory();
    }
    setRates(state, body.springCount(), body.nodeCount());
}

void BM_OneThread(benchmark::State& state)
{
    SoftBody body = quietCube(int(state.range(0)));
    body.parallelThreshold = INT_MAX;
    stepSoftBody(state, body);
}

void BM_TwoThreads(benchmark::State& state)
{
    SoftBody body = quietCube(int(state.range(0)));
    body.parallelThreshold = 0;
    stepSoftBody(state, body);
}

// The largest body of the scene catalogue: the 76 × 1 × 58 sheet of scene 1.
void BM_Sheet76x1x58(benchmark::State& state)
{
    std::streambuf* saved = std::cerr.rdbuf(nullptr);
    SoftBody body(75, 0, 57, -2.625, -0.3, -1.995, 0.07, 800, 0.5, 1.0);
    std::cerr.rdbuf(saved);
    std::cerr.clear();
    body.setSceneObjects(&kNoObjects);
    stepSoftBody(state, body);
}

void BM_BuildSheet76x1x58(benchmark::State& state)
{
    for (auto _ : state) {
        std::streambuf* saved = std::cerr.rdbuf(nullptr);
        SoftBody body(75, 0, 57, -2.625, -0.3, -1.995, 0.07, 800, 0.5, 1.0);
        std::cerr.rdbuf(saved);
        std::cerr.clear();
        benchmark::DoNotOptimize(body.nodes);
    }
}

void BM_Build(benchmark::State& state)
{
    for (auto _ : state) {
        SoftBody body = quietCube(int(state.range(0)));
        benchmark::DoNotOptimize(body.nodes);
    }
}

// Console output as usual, then the ratios that the targets are stated in.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto rate = run.counters.find("springs/s");
            if (rate != run.counters.end()) springRates_[run.benchmark_name()] = rate->second;
            seconds_[run.benchmark_name()] = run.real_accumulated_time / double(run.iterations);
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nRatios (same run):\n");
        for (int n : {8, 16, 32, 64}) {
            const std::string size = "/" + std::to_string(n);
            const double base = springRates_["BM_Baseline" + size], one = springRates_["BM_OneThread" + size],
                         two = springRates_["BM_TwoThreads" + size + "/real_time"];
            if (one <= 0) continue;
            std::printf("  %2d^3 nodes: one thread %6.1f M springs/s", n, one / 1e6);
            if (base > 0) std::printf(" = %4.2fx baseline (%5.1f M)", one / base, base / 1e6);
            if (two > 0) std::printf("; two threads %6.1f M = %4.2fx one thread", two / 1e6, two / one);
            std::printf("\n");
        }
        const double small = springRates_["BM_OneThread/8"], large = springRates_["BM_OneThread/64"];
        if (small > 0 && large > 0) std::printf("  64^3 / 8^3 springs per second, one thread: %4.2f\n", large / small);
        const double build = seconds_["BM_Build/64"], step = seconds_["BM_OneThread/64"];
        if (build > 0 && step > 0) std::printf("  building a 64^3 body takes %4.1f one-thread steps\n", build / step);
    }

private:
    std::map<std::string, double> springRates_;
    std::map<std::string, double> seconds_;
};
}  // namespace

BENCHMARK(BM_Baseline)->Arg(8)->Arg(16)->Arg(32)->Arg(64)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OneThread)->Arg(8)->Arg(16)->Arg(32)->Arg(64)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TwoThreads)->Arg(16)->Arg(32)->Arg(64)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_Sheet76x1x58)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildSheet76x1x58)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Build)->Arg(64)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
