// Throughput of the RIB writer against a plain fprintf("%g ") loop over the
// same floats, in the same run.
//
// Scenes: one 100 x 100 bicubic patch mesh (30000 floats per request) and a
// stream of 4-vertex polygons (12 floats per request), written as text and
// as binary RIB to /dev/null, so that the figures measure formatting and
// buffering rather than a disk. Each benchmark reports bytes and floats per
// second; the ratio to the baseline is the figure that counts.

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include <ri.h>

namespace {

constexpr int kMeshSize = 100;
constexpr int kPolygonsPerIteration = 10000;

// Coordinates shaped like a simulated body: a wavy sheet a few units across,
// so the numbers have the mix of digits and signs that real frames have.
std::vector<RtFloat> sheetPoints(int count)
{
    std::vector<RtFloat> points;
    points.reserve(3 * count);
    for (int i = 0; i < count; ++i) {
        const double u = (i % kMeshSize) / static_cast<double>(kMeshSize - 1);
        const double v = (i / kMeshSize % kMeshSize) / static_cast<double>(kMeshSize - 1);
        points.push_back(static_cast<RtFloat>(-4.0 + 8.0 * u + 0.013 * std::sin(37.0 * i)));
        points.push_back(static_cast<RtFloat>(-3.96 + 0.5 * std::sin(6.0 * u) * std::cos(5.0 * v)));
        points.push_back(static_cast<RtFloat>(-5.0 + 10.0 * v + 0.011 * std::cos(53.0 * i)));
    }
    return points;
}

const std::vector<RtFloat>& meshPoints()
{
    static const std::vector<RtFloat> points = sheetPoints(kMeshSize * kMeshSize);
    return points;
}

const std::vector<RtFloat>& polygonPoints()
{
    static const std::vector<RtFloat> points = sheetPoints(4 * kPolygonsPerIteration);
    return points;
}

std::string readWhole(const char* path)
{
    std::string text;
    if (std::FILE* file = std::fopen(path, "rb")) {
        char chunk[65536];
        std::size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
            text.append(chunk, got);
        }
        std::fclose(file);
    }
    return text;
}

std::string printfText(const std::vector<RtFloat>& values)
{
    std::string text;
    char number[32];
    for (RtFloat value : values) {
        text.append(number, std::snprintf(number, sizeof number, "%g ", value));
    }
    return text;
}

// The writer's bytes for one iteration of `scene`, and whether its numbers
// are the fprintf text byte for byte (text mode only).
struct SceneOutput {
    std::size_t bytes = 0;
    bool matchesPrintf = true;
};

template <typename Scene>
SceneOutput measureScene(Scene scene, int binary, const std::vector<RtFloat>& floats)
{
    const char* path = "ribout_bench_probe.rib";
    RiOption("rib", "binary", &binary, RI_NULL);
    const std::string header = "##RenderMan RIB-Structure 1.0\nversion 3.03\n";
    RiBegin(path);
    scene();
    RiEnd();
    const std::string written = readWhole(path);
    std::remove(path);
    RtInt text = 0;
    RiOption("rib", "binary", &text, RI_NULL);
    SceneOutput output;
    output.bytes = written.size() - header.size() - 1;
    if (!binary) {
        // Gather the bracketed numbers and compare them with fprintf's.
        std::string numbers;
        for (std::size_t open = written.find('['); open != std::string::npos;
             open = written.find('[', open + 1)) {
            const std::size_t close = written.find(']', open);
            numbers.append(written, open + 1, close - open - 1);
            numbers += ' ';
        }
        output.matchesPrintf = numbers == printfText(floats);
    }
    return output;
}

void writeMesh()
{
    RiPatchMesh("bicubic", kMeshSize, "nonperiodic", kMeshSize, "nonperiodic", "P",
                const_cast<RtFloat*>(meshPoints().data()), RI_NULL);
}

void writePolygons()
{
    RtFloat* points = const_cast<RtFloat*>(polygonPoints().data());
    for (int i = 0; i < kPolygonsPerIteration; ++i) {
        RiPolygon(4, "P", points + 12 * i, RI_NULL);
    }
}

void setThroughput(benchmark::State& state, std::size_t bytesPerIteration,
                   std::size_t floatsPerIteration)
{
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytesPerIteration));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * floatsPerIteration));
    state.counters["floats/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * floatsPerIteration), benchmark::Counter::kIsRate);
}

void fprintfBaseline(benchmark::State& state, const std::vector<RtFloat>& floats)
{
    std::FILE* sink = std::fopen("/dev/null", "wb");
    std::size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (RtFloat value : floats) {
            bytes += std::fprintf(sink, "%g ", value);
        }
    }
    std::fclose(sink);
    setThroughput(state, bytes, floats.size());
}

template <typename Scene>
void writerRun(benchmark::State& state, Scene scene, int binary,
               const std::vector<RtFloat>& floats)
{
    const SceneOutput output = measureScene(scene, binary, floats);
    if (!output.matchesPrintf) {
        state.SkipWithError("text numbers differ from fprintf(\"%g \")");
        return;
    }
    RiOption("rib", "binary", &binary, RI_NULL);
    RiBegin("/dev/null");
    for (auto _ : state) {
        scene();
    }
    RiEnd();
    int text = 0;
    RiOption("rib", "binary", &text, RI_NULL);
    setThroughput(state, output.bytes, floats.size());
}

void BM_PatchMesh_FprintfBaseline(benchmark::State& state)
{
    fprintfBaseline(state, meshPoints());
}
void BM_PatchMesh_TextRib(benchmark::State& state)
{
    writerRun(state, writeMesh, 0, meshPoints());
}
void BM_PatchMesh_BinaryRib(benchmark::State& state)
{
    writerRun(state, writeMesh, 1, meshPoints());
}
void BM_Polygons_FprintfBaseline(benchmark::State& state)
{
    fprintfBaseline(state, polygonPoints());
}
void BM_Polygons_TextRib(benchmark::State& state)
{
    writerRun(state, writePolygons, 0, polygonPoints());
}
void BM_Polygons_BinaryRib(benchmark::State& state)
{
    writerRun(state, writePolygons, 1, polygonPoints());
}

BENCHMARK(BM_PatchMesh_FprintfBaseline)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PatchMesh_TextRib)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PatchMesh_BinaryRib)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Polygons_FprintfBaseline)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Polygons_TextRib)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Polygons_BinaryRib)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
