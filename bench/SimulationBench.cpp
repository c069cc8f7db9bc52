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
#include "softbody/PathTrial.h"
#include "softbody/SimdPath.h"
#include "softbody/SoftBody.h"
#include "world/World.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <fstream>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <thread>

#include <cstring>
#include <ctime>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {
const std::vector<GenericObject*> kNoObjects;
// The start-up choice (or the path BLORP_SIMD forces) and the processor
// time its choice took, read before the benchmarks start switching paths.
SimdPath startUpPath = SimdPath::scalar;
double choiceSeconds = 0.0;
constexpr double kDt = 0.005;
constexpr double kStiffness = 600, kDamping = 0.01, kMass = 0.5;

// Construction logs to standard error; keep benchmark output clean. The
// body floats in a room without objects.
template <class... Args>
SoftBody quietBody(Args... args)
{
    std::streambuf* saved = std::cerr.rdbuf(nullptr);
    SoftBody body(args...);
    std::cerr.rdbuf(saved);
    std::cerr.clear();
    body.setSceneObjects(&kNoObjects);
    return body;
}

SoftBody quietCube(int nodes)
{
    const int cells = nodes - 1;
    return quietBody(cells, cells, cells, 4.0 / cells, kStiffness, kDamping, kMass);
}

// The largest body of the scene catalogue: the 76 × 1 × 58 sheet of scene 1.
SoftBody quietSheet() { return quietBody(75, 0, 57, -2.625, -0.3, -1.995, 0.07, 800.0, 0.5, 1.0); }

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

// Processor time that the host of this virtual machine has withheld from
// it so far (the "steal" column of /proc/stat), in seconds; 0 where unknown.
// A two-thread step needs both processors at once, and a busy host may
// give the machine only one of them for part of the time.
double stolenSeconds()
{
    std::ifstream stat("/proc/stat");
    std::string cpu;
    unsigned long long user, nice, system, idle, iowait, irq, softirq, steal;
    if (!(stat >> cpu >> user >> nice >> system >> idle >> iowait >> irq >> softirq >> steal) || cpu != "cpu")
        return 0.0;
    return double(steal) / double(sysconf(_SC_CLK_TCK));
}

// Each iteration times two calls of oneThread() and then two calls of
// twoThreads() (each mode after one untimed call that settles the caches and
// the scheduler), so both modes see the same moment of a shared machine,
// whose speed drifts by tens of percent over seconds; two benchmarks run
// seconds apart would mostly measure that drift. Reports the median of the
// iterations' ratios, times `work` (the two-thread work per call relative
// to the one-thread work), and the share of the two processors' time the
// host withheld during the two-thread calls.
template <class OneThread, class TwoThreads>
void timeInAlternation(benchmark::State& state, OneThread oneThread, TwoThreads twoThreads, double work)
{
    using Clock = std::chrono::steady_clock;
    auto timed = [](auto& step, double& stolen) {
        step();
        const double stolenBefore = stolenSeconds();
        const Clock::time_point start = Clock::now();
        for (int s = 0; s < 2; ++s) step();
        benchmark::ClobberMemory();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        stolen += stolenSeconds() - stolenBefore;
        return seconds;
    };
    std::vector<double> ratios;
    double stolen = 0.0, unused = 0.0, twoThreadSeconds = 0.0;
    for (auto _ : state) {
        const double one = timed(oneThread, unused), two = timed(twoThreads, stolen);
        state.SetIterationTime(one + two);
        ratios.push_back(work * one / two);
        twoThreadSeconds += two;
    }
    std::sort(ratios.begin(), ratios.end());
    state.counters["speedup"] = ratios[ratios.size() / 2];
    state.counters["stolen"] = stolen / (2.0 * twoThreadSeconds);
}

// The two-thread step against the one-thread step of the same body.
void BM_TwoThreadSpeedup(benchmark::State& state)
{
    SoftBody body = quietCube(int(state.range(0)));
    timeInAlternation(
        state,
        [&] {
            body.parallelThreshold = INT_MAX;
            body.advance(kDt);
        },
        [&] {
            body.parallelThreshold = 0;
            body.advance(kDt);
        },
        1.0);
}

// What two threads can gain on this machine at all, for comparison: two
// separate bodies stepped at once, each on its own thread (one started anew
// each step), against one body on one thread.
void BM_TwoBodiesSpeedup(benchmark::State& state)
{
    SoftBody first = quietCube(int(state.range(0))), second = quietCube(int(state.range(0)));
    first.parallelThreshold = second.parallelThreshold = INT_MAX;
    timeInAlternation(
        state, [&] { first.advance(kDt); },
        [&] {
            std::thread helper([&] { second.advance(kDt); });
            first.advance(kDt);
            helper.join();
        },
        2.0);
}

// The one-thread step of a cube in one instruction-set path; the path is
// set for this benchmark alone.
void BM_Path(benchmark::State& state)
{
    if (!setSimdPath(SimdPath(state.range(1)))) {
        state.SkipWithError("this processor cannot run the path");
        return;
    }
    BM_OneThread(state);
    resetSimdPath();
}

// The one-thread step of a cube in the path the program takes by default:
// with no path forced, the start-up choice, or for a body large enough to
// choose its own, the path its trial kept. The trial's steps, the first
// few of the body's life, are taken before the measurement. Counter "path":
// the path the body stepped in.
void BM_PathDefault(benchmark::State& state)
{
    resetSimdPath();
    SoftBody body = quietCube(int(state.range(0)));
    body.parallelThreshold = INT_MAX;
    while (body.timingPaths()) body.advance(kDt);
    stepSoftBody(state, body);
    state.counters["path"] = double(int(body.ownPath()));
}

// Scene 1's sheet lying on its table (the state after 1,000 steps), stepped
// by World::step in one instruction-set path (argument -1: the default).
void BM_Scene1Path(benchmark::State& state)
{
    if (state.range(0) < 0)
        resetSimdPath();
    else if (!setSimdPath(SimdPath(state.range(0)))) {
        state.SkipWithError("this processor cannot run the path");
        return;
    }
    std::streambuf* log = std::cerr.rdbuf(nullptr);
    World world(1);
    std::cerr.rdbuf(log);
    std::cerr.clear();
    for (int s = 0; s < 1000; ++s) world.step();
    for (auto _ : state) {
        world.step();
        benchmark::ClobberMemory();
    }
    const SoftBody& sheet = *world.activeBodies.front();
    setRates(state, sheet.springCount(), sheet.nodeCount());
    state.counters["path"] = double(int(sheet.ownPath()));
    resetSimdPath();
}

// Scene 1 in the path the program takes by default.
void BM_Scene1PathDefault(benchmark::State& state)
{
    BM_Scene1Path(state);
}

// The default path against every path on one workload, in alternation: each
// iteration times `steps` calls of step() in the default path (no path
// forced) and in each available path, in an order that starts one later
// each iteration, so that all meet the same moments of a shared machine
// (its speed drifts by tens of percent over seconds, which separate
// benchmarks would mostly measure). Every path gives the same bits, so the
// workload is the same for all. Reports, from the median of each one's
// timings (processor time), the default's speed as a share of the fastest
// path's ("of fastest"), which path that is ("fastest"), and each path's
// speed as a share of the fastest's (a counter named after the path).
template <class Step>
void alternateWithDefault(benchmark::State& state, int steps, Step step)
{
    constexpr int kDefault = -1;
    std::vector<int> candidates{kDefault};
    for (SimdPath path : kSimdPaths)
        if (simdPathAvailable(path)) candidates.push_back(int(path));
    std::vector<std::vector<double>> timings(candidates.size());
    size_t turn = 0;
    for (auto _ : state) {
        double total = 0.0;
        for (size_t i = 0; i < candidates.size(); ++i) {
            const size_t c = (i + turn) % candidates.size();
            if (candidates[c] == kDefault)
                resetSimdPath();
            else
                setSimdPath(SimdPath(candidates[c]));
            const double start = threadProcessorSeconds();
            for (int s = 0; s < steps; ++s) step();
            benchmark::ClobberMemory();
            const double seconds = threadProcessorSeconds() - start;
            timings[c].push_back(seconds);
            total += seconds;
        }
        state.SetIterationTime(total);
        ++turn;
    }
    resetSimdPath();
    std::vector<double> medians;
    for (std::vector<double>& t : timings) {
        std::sort(t.begin(), t.end());
        medians.push_back(t[t.size() / 2]);
    }
    const size_t fastest = size_t(std::min_element(medians.begin() + 1, medians.end()) - medians.begin());
    state.counters["of fastest"] = medians[fastest] / medians[0];
    state.counters["fastest"] = double(candidates[fastest]);
    for (size_t c = 1; c < candidates.size(); ++c)
        state.counters[simdPathName(SimdPath(candidates[c]))] = medians[fastest] / medians[c];
}

// A cube in alternation, stepped on one thread; the body's own trial, if it
// is large enough to have one, is over before the measurement.
void BM_PathDefaultInAlternation(benchmark::State& state)
{
    resetSimdPath();
    SoftBody body = quietCube(int(state.range(0)));
    body.parallelThreshold = INT_MAX;
    while (body.timingPaths()) body.advance(kDt);
    alternateWithDefault(state, int(state.range(1)), [&] { body.advance(kDt); });
}

// Scene 1's sheet on its table in alternation, stepped by World::step.
void BM_Scene1PathDefaultInAlternation(benchmark::State& state)
{
    resetSimdPath();
    std::streambuf* log = std::cerr.rdbuf(nullptr);
    World world(1);
    std::cerr.rdbuf(log);
    std::cerr.clear();
    for (int s = 0; s < 1000; ++s) world.step();
    alternateWithDefault(state, int(state.range(0)), [&] { world.step(); });
}

// What the square root and the divisions alone allow: per lane one square
// root of a sum of squares and three divisions by it, as one spring needs,
// on data that stays in the first-level cache, in each width. The lanes are
// independent, so nothing but the unit that takes square roots and
// divisions holds them up.
constexpr int kArithmeticLanes = 1024;
alignas(64) double arithmeticData[4][kArithmeticLanes];

template <class D, class Sqrt>
[[gnu::always_inline]] inline void springArithmetic(Sqrt root)
{
    for (int i = 0; i < kArithmeticLanes; i += int(sizeof(D) / sizeof(double))) {
        D x, y, z;
        std::memcpy(&x, &arithmeticData[0][i], sizeof x);
        std::memcpy(&y, &arithmeticData[1][i], sizeof y);
        std::memcpy(&z, &arithmeticData[2][i], sizeof z);
        const D len = root(x * x + y * y + z * z);
        const D ux = x / len, uy = y / len, uz = z / len;
        std::memcpy(&arithmeticData[3][i], &ux, sizeof ux);
        std::memcpy(&arithmeticData[0][i], &uy, sizeof uy);
        std::memcpy(&arithmeticData[1][i], &uz, sizeof uz);
    }
}

typedef double Lanes1 __attribute__((vector_size(8)));
typedef double Lanes2 __attribute__((vector_size(16)));
typedef double Lanes4 __attribute__((vector_size(32)));
typedef double Lanes8 __attribute__((vector_size(64)));

void arithmeticScalar()
{
    springArithmetic<double>([](double v) { return __builtin_sqrt(v); });
}
void arithmeticSse2()
{
    springArithmetic<Lanes2>([](Lanes2 v) { return __builtin_ia32_sqrtpd(v); });
}
__attribute__((target("avx2"))) void arithmeticAvx2()
{
    springArithmetic<Lanes4>([](Lanes4 v) __attribute__((always_inline)) { return __builtin_ia32_sqrtpd256(v); });
}
__attribute__((target("avx512f,avx512vl"))) void arithmeticAvx512vl()
{
    springArithmetic<Lanes4>([](Lanes4 v) __attribute__((always_inline)) { return __builtin_ia32_sqrtpd256(v); });
}
__attribute__((target("avx512f"))) void arithmeticAvx512()
{
    springArithmetic<Lanes8>([](Lanes8 v) __attribute__((always_inline)) {
        return __builtin_ia32_sqrtpd512_mask(v, v, 0xff, 4);
    });
}

void BM_DividerBound(benchmark::State& state)
{
    const SimdPath path = SimdPath(state.range(0));
    if (!simdPathAvailable(path)) {
        state.SkipWithError("this processor cannot run the path");
        return;
    }
    void (*const run[])() = {arithmeticScalar, arithmeticSse2, arithmeticAvx2, arithmeticAvx512vl, arithmeticAvx512};
    static_assert(std::size(run) == std::size(kSimdPaths));
    for (int i = 0; i < kArithmeticLanes; ++i)
        for (int a = 0; a < 4; ++a) arithmeticData[a][i] = 1.0 + 0.001 * (i + a);
    for (auto _ : state) {
        run[int(path)]();
        benchmark::ClobberMemory();
    }
    state.counters["springs/s"] =
        benchmark::Counter(double(kArithmeticLanes) * double(state.iterations()), benchmark::Counter::kIsRate);
}

// The bandwidth one core gets from memory: copying 256 MiB, far beyond the
// caches; bytes/s counts what is read and what is written.
void BM_MemoryCopy(benchmark::State& state)
{
    const size_t bytes = size_t(256) << 20;
    std::vector<char> from(bytes, 1), to(bytes, 2);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::ClobberMemory();
    }
    state.counters["bytes/s"] =
        benchmark::Counter(2.0 * double(bytes) * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_Sheet76x1x58(benchmark::State& state)
{
    SoftBody body = quietSheet();
    stepSoftBody(state, body);
}

void BM_BuildSheet76x1x58(benchmark::State& state)
{
    for (auto _ : state) {
        SoftBody body = quietSheet();
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
            for (const auto& [counter, value] : run.counters) samples_[name + " " + counter].push_back(value.value);
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
            if (speedup > 0)
                std::printf("; two threads %4.2fx one thread (in alternation; host withheld %2.0f%% of the time)",
                            speedup, 100 * median("BM_TwoThreadSpeedup" + size + "/iterations:20/manual_time stolen"));
            if (ceiling > 0) std::printf("; two bodies on two threads %4.2fx", ceiling);
            std::printf("\n");
        }
        const double small = median("BM_OneThread/8 springs/s"), large = median("BM_OneThread/64 springs/s");
        if (small > 0 && large > 0) std::printf("  64^3 / 8^3 springs per second, one thread: %4.2f\n", large / small);
        const double build = median("BM_Build/64 seconds"), step = median("BM_OneThread/64 seconds");
        if (build > 0 && step > 0) std::printf("  building a 64^3 body takes %4.1f one-thread steps\n", build / step);

        std::printf("\nEach path, one thread (the spring arithmetic alone: one square root and three divisions a spring):\n");
        for (SimdPath each : kSimdPaths) {
            const std::string path = "/" + std::to_string(int(each));
            const double bound = median("BM_DividerBound" + path + " springs/s");
            if (bound <= 0) continue;
            std::printf("  %-8s arithmetic alone %6.1f M springs/s", simdPathName(each), bound / 1e6);
            for (int n : {8, 64}) {
                const std::string size = "/" + std::to_string(n);
                const double rate = median("BM_Path" + size + path + " springs/s"),
                             base = median("BM_Baseline" + size + " springs/s");
                if (rate <= 0) continue;
                std::printf("; %d^3 %6.1f M = %4.2fx baseline, %2.0f%% of the arithmetic bound", n, rate / 1e6,
                            base > 0 ? rate / base : 0.0, 100 * rate / bound);
            }
            std::printf("\n");
        }
        reportDefaultPath();
        const double copy = median("BM_MemoryCopy bytes/s");
        if (copy > 0) {
            // Each spring is read and written once a step, each node read and
            // written once, each attachment read once; what the caches keep
            // between the two passes is not counted again.
            const double nodes = 64.0 * 64 * 64, springs = double(latticeSpringCount(63, 63, 63));
            const double bytes = 2 * springs * sizeof(Spring) + 2 * nodes * sizeof(MassPoint) + 2 * springs * 4;
            std::printf("  memory: copying moves %.1f GB/s on one core; a 64^3 step moves at least %.0f MB", copy / 1e9,
                        bytes / 1e6);
            for (SimdPath each : kSimdPaths) {
                const double seconds = median("BM_Path/64/" + std::to_string(int(each)) + " seconds");
                if (seconds > 0)
                    std::printf("; %s %.1f GB/s = %2.0f%%", simdPathName(each), bytes / seconds / 1e9,
                                100 * bytes / seconds / copy);
            }
            std::printf("\n");
        }
    }

private:
    /// The default path's figures against the fastest path's, each the
    /// median of its repetitions in this run, and the paths the default
    /// took in them.
    void reportDefaultPath()
    {
        std::printf(
            "\nThe default path here (no path forced: the start-up choice, %s, chosen in %.1f ms of processor "
            "time; bodies of %d springs or more time their own), against the fastest path:\n",
            simdPathName(startUpPath), 1e3 * choiceSeconds, SoftBody::kPathTrialSprings);
        const struct {
            const char* label;
            std::string prefix, byDefault;
        } workloads[] = {{"8^3 cube", "BM_Path/8/", "BM_PathDefault/8"},
                         {"24^3 cube", "BM_Path/24/", "BM_PathDefault/24"},
                         {"64^3 cube", "BM_Path/64/", "BM_PathDefault/64"},
                         {"scene 1", "BM_Scene1Path/", "BM_Scene1PathDefault/-1"}};
        for (const auto& w : workloads) {
            double best = 0.0;
            SimdPath fastest = startUpPath;
            for (SimdPath each : kSimdPaths) {
                const double rate = median(w.prefix + std::to_string(int(each)) + " springs/s");
                if (rate > best) best = rate, fastest = each;
            }
            const double mine = median(w.byDefault + " springs/s");
            if (best <= 0 || mine <= 0) continue;
            std::printf("  %-9s %6.1f M springs/s = %5.1f%% of the fastest, %s (%.1f M); default took", w.label,
                        mine / 1e6, 100 * mine / best, simdPathName(fastest), best / 1e6);
            std::map<int, int> taken;
            for (double path : samples_[w.byDefault + " path"]) ++taken[int(path)];
            for (const auto& [path, times] : taken) std::printf(" %s x%d", simdPathName(SimdPath(path)), times);
            std::printf("\n");
        }
        const struct {
            const char* label;
            std::string name;
        } alternating[] = {{"8^3 cube", "BM_PathDefaultInAlternation/8/50/iterations:100/manual_time"},
                           {"24^3 cube", "BM_PathDefaultInAlternation/24/4/iterations:30/manual_time"},
                           {"64^3 cube", "BM_PathDefaultInAlternation/64/1/iterations:30/manual_time"},
                           {"scene 1", "BM_Scene1PathDefaultInAlternation/10/iterations:100/manual_time"}};
        bool headed = false;
        for (const auto& a : alternating) {
            const double share = median(a.name + " of fastest");
            if (share <= 0) continue;
            if (!headed) std::printf("In alternation (the default and every path timed in turns on one workload):\n");
            headed = true;
            std::printf("  %-9s default %5.1f%% of the fastest; fastest", a.label, 100 * share);
            std::map<int, int> fastest;
            for (double path : samples_[a.name + " fastest"]) ++fastest[int(path)];
            for (const auto& [path, times] : fastest) std::printf(" %s x%d", simdPathName(SimdPath(path)), times);
            std::printf(";");
            for (SimdPath each : kSimdPaths) {
                const double pathShare = median(a.name + " " + simdPathName(each));
                if (pathShare > 0) std::printf(" %s %.0f%%", simdPathName(each), 100 * pathShare);
            }
            std::printf("\n");
        }
    }

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
const int kLastPath = int(std::size(kSimdPaths)) - 1;
BENCHMARK(BM_Path)->ArgsProduct({{8, 24, 64}, benchmark::CreateDenseRange(0, kLastPath, 1)})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PathDefault)->Arg(8)->Arg(24)->Arg(64)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Scene1Path)->DenseRange(0, kLastPath)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Scene1PathDefault)->Arg(-1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PathDefaultInAlternation)->Args({8, 50})->Iterations(100)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PathDefaultInAlternation)->Args({24, 4})->Iterations(30)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PathDefaultInAlternation)->Args({64, 1})->Iterations(30)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Scene1PathDefaultInAlternation)->Arg(10)->Iterations(100)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DividerBound)->DenseRange(0, kLastPath)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemoryCopy)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    timespec before, after;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &before);
    startUpPath = simdPath();
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &after);
    choiceSeconds = double(after.tv_sec - before.tv_sec) + 1e-9 * double(after.tv_nsec - before.tv_nsec);
    // Five repetitions in random order unless the command line says
    // otherwise (its flags come after these and win). The host's speed
    // drifts by tens of percent within minutes; in order, a path whose
    // repetitions all met a slow spell would be set against a baseline that
    // met a fast one.
    static char repetitions[] = "--benchmark_repetitions=5";
    static char interleaving[] = "--benchmark_enable_random_interleaving=true";
    std::vector<char*> args(argv, argv + argc);
    args.insert(args.begin() + 1, {repetitions, interleaving});
    int count = int(args.size());
    benchmark::Initialize(&count, args.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
