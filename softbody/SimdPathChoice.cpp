// Which path steps take by default: the one that steps fastest here, timed
// once. Every path gives the same bits, so speed is the only difference,
// and which path is fastest depends on more than the instruction sets a
// processor lists: how it carries out the widest operations, how many it
// does at once, how its caches feed them.
#include "geometry/Box.h"
#include "softbody/SimdPath.h"
#include "softbody/SoftBody.h"

#include <algorithm>
#include <ctime>
#include <limits>
#include <vector>

namespace {
/// The calling thread's processor time: time the machine gives to other
/// processes does not count.
double threadSeconds()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

/// Times the available paths stepping one small body: an 8³ cube with its
/// lowest layer in a table, so that a timing holds the spring and node
/// passes of a free cube and the contact answers of a body at rest on an
/// object, the program's two kinds of work. All paths step the same body in
/// turn; its trajectory is the same whichever path takes a step.
SimdPath measureFastestPath()
{
    std::vector<SimdPath> candidates;
    for (SimdPath path : kSimdPaths)
        if (simdPathAvailable(path)) candidates.push_back(path);
    if (candidates.size() == 1) return candidates.front();

    Box table(Vector3(-1.0, -1.0, -1.0), 2.0, 0.5, 2.0);
    const std::vector<GenericObject*> objects{&table};
    SoftBody body(SoftBody::Unlogged{}, 7, 7, 7, -0.5, -0.52, -0.5, 0.15, 600.0, 0.01, 0.3);
    body.setSceneObjects(&objects);
    body.enableGravity();
    constexpr double kDt = 0.005;
    constexpr int kStepsPerTiming = 2, kRounds = 4;
    // One untimed step each first: the first run of a path's code pays for
    // bringing it into memory and cache.
    for (SimdPath path : candidates) body.advanceIn(path, kDt);
    return fastestOf(candidates, kRounds, [&](SimdPath path) {
        const double start = threadSeconds();
        for (int s = 0; s < kStepsPerTiming; ++s) body.advanceIn(path, kDt);
        return threadSeconds() - start;
    });
}
}  // namespace

SimdPath fastestOf(const std::vector<SimdPath>& candidates, int rounds, const std::function<double(SimdPath)>& seconds)
{
    std::vector<double> best(candidates.size(), std::numeric_limits<double>::infinity());
    for (int round = 0; round < rounds; ++round)
        for (size_t i = 0; i < candidates.size(); ++i) {
            // Each round starts one path later, so that no path always
            // follows the same one or always runs first.
            const size_t c = (i + size_t(round)) % candidates.size();
            best[c] = std::min(best[c], seconds(candidates[c]));
        }
    return candidates[size_t(std::min_element(best.begin(), best.end()) - best.begin())];
}

SimdPath fastestSimdPath()
{
    static const SimdPath fastest = measureFastestPath();
    return fastest;
}
