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

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <iostream>
#include <map>
#include <string>
#include <thread>
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

// The two-thread speedup, measured in alternation: each iteration times two
// one-thread steps and then two two-thread steps of the same body, so
// both see the same moment of a shared machine, whose speed drifts by tens
// of percent over seconds. The figure is the median of the iterations'
// ratios; timing the two modes in separate benchmarks seconds apart instead
// mostly measures that drift.
void BM_TwoThreadSpeedup(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    constexpr int kStepsPerMode = 2;
    SoftBody body = quietCube(int(state.range(0)));
    std::vector<double> ratios;
    for (auto _ : state) {
        double seconds[2];
        for (int mode = 0; mode < 2; ++mode) {
            body.parallelThreshold = mode == 0 ? INT_MAX : 0;
            body.advance(kDt);  // settles the caches and the scheduler in this mode; not timed
            const Clock::time_point start = Clock::now();
            for (int s = 0; s < kStepsPerMode; ++s) body.advance(kDt);
            benchmark::ClobberMemory();
            seconds[mode] = std::chrono::duration<double>(Clock::now() - start).count();
        }
        state.SetIterationTime(seconds[0] + seconds[1]);
        ratios.push_back(seconds[0] / seconds[1]);
    }
    std::sort(ratios.begin(), ratios.end());
    state.counters["speedup"] = ratios[ratios.size() / 2];
}

// What two threads can gain on this machine at all, for comparison with the
// figure above: one-thread steps of one body, in alternation with steps of
// two such bodies at once, each on its own thread (the helper started anew
// each step, as the split step does). The memory system both threads share
// is the limit; the split step cannot beat this.
void BM_TwoBodiesSpeedup(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    constexpr int kSteps = 2;
    SoftBody first = quietCube(int(state.range(0))), second = quietCube(int(state.range(0)));
    first.parallelThreshold = second.parallelThreshold = INT_MAX;
    std::vector<double> ratios;
    auto seconds = [](auto&& work) {
        work();  // settles the caches in this mode; not timed
        const Clock::time_point start = Clock::now();
        for (int s = 0; s < kSteps; ++s) work();
        benchmark::ClobberMemory();
        return std::chrono::duration<double>(Clock::now() - start).count();
    };
    for (auto _ : state) {
        const double one = seconds([&] { first.advance(kDt); });
        const double both = seconds([&] {
            std::thread helper([&] { second.advance(kDt); });
            first.advance(kDt);
            helper.join();
        });
        state.SetIterationTime(one + both);
        ratios.push_back(2.0 * one / both);
    }
    std::sort(ratios.begin(), ratios.end());
    state.counters["speedup"] = ratios[ratios.size() / 2];
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
        // Repetitions are gathered here and their medians used below; the
        // library's own aggregates are only printed.
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration) continue;
            const std::string name = run.benchmark_name();
            for (const char* counter : {"springs/s", "speedup"}) {
                const auto value = run.counters.find(counter);
                if (value != run.counters.end()) samples_[name + " " + counter].push_back(value->second);
            }
            samples_[name + " seconds"].push_back(run.real_accumulated_time / double(run.iterations));
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nRatios (same run; medians of the repetitions):\n");
        for (int n : {8, 16, 32, 64}) {
            const std::string size = "/" + std::to_string(n);
            const double base = median("BM_Baseline" + size + " springs/s"),
                         one = median("BM_OneThread" + size + " springs/s"),
                         speedup = median("BM_TwoThreadSpeedup" + size + "/iterations:20/manual_time speedup"),
                         ceiling = median("BM_TwoBodiesSpeedup" + size + "/iterations:20/manual_time speedup");
            if (one <= 0) continue;
            std::printf("  %2d^3 nodes: one thread %6.1f M springs/s", n, one / 1e6);
            if (base > 0) std::printf(" = %4.2fx baseline (%5.1f M)", one / base, base / 1e6);
            if (speedup > 0) std::printf("; two threads %4.2fx one thread (in alternation)", speedup);
            if (ceiling > 0) std::printf("; two bodies on two threads %4.2fx", ceiling);
            std::printf("\n");
        }
        const double small = median("BM_OneThread/8 springs/s"), large = median("BM_OneThread/64 springs/s");
        if (small > 0 && large > 0) std::printf("  64^3 / 8^3 springs per second, one thread: %4.2f\n", large / small);
        const double build = median("BM_Build/64 seconds"), step = median("BM_OneThread/64 seconds");
        if (build > 0 && step > 0) std::printf("  building a 64^3 body takes %4.1f one-thread steps\n", build / step);
    }

private:
    /// The median of the samples under key, or 0 when there are none.
    double median(const std::string& key)
    {
        std::vector<double>& values = samples_[key];
        if (values.empty()) return 0.0;
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    }

    std::map<std::string, std::vector<double>> samples_;
};
}  // namespace

BENCHMARK(BM_Baseline)->Arg(8)->Arg(16)->Arg(32)->Arg(64)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OneThread)->Arg(8)->Arg(16)->Arg(32)->Arg(64)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TwoThreads)->Arg(16)->Arg(32)->Arg(64)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_TwoThreadSpeedup)->Arg(32)->Arg(64)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TwoBodiesSpeedup)->Arg(64)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);
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
