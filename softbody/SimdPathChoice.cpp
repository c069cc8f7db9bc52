// Which path steps take by default: the one that steps a small body fastest
// here, timed once (large bodies time their own: SoftBody::advance). Every
// path gives the same bits, so speed is the only difference,
// and which path is fastest depends on more than the instruction sets a
// processor lists: how it carries out the widest operations, how many it
// does at once, how its caches feed them.
#include "geometry/Box.h"
#include "softbody/PathTrial.h"
#include "softbody/SimdPath.h"
#include "softbody/SoftBody.h"

#include <vector>

namespace {
/// Times the available paths stepping one small body: an 8³ cube with its
/// lowest layer in a table, so that a timing holds the spring and node
/// passes of a free cube and the contact answers of a body at rest on an
/// object, the program's two kinds of work. All paths step the same body in
/// turn; its trajectory is the same whichever path takes a step.
SimdPath measureFastestPath()
{
    const std::vector<SimdPath> candidates = availableSimdPaths();
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
        const double start = threadProcessorSeconds();
        for (int s = 0; s < kStepsPerTiming; ++s) body.advanceIn(path, kDt);
        return threadProcessorSeconds() - start;
    });
}
}  // namespace

SimdPath fastestOf(const std::vector<SimdPath>& candidates, int rounds, const std::function<double(SimdPath)>& seconds)
{
    PathTrial trial(candidates.data(), int(candidates.size()), rounds);
    while (!trial.done()) trial.record(seconds(trial.next()));
    return trial.chosen();
}

SimdPath fastestSimdPath()
{
    static const SimdPath fastest = measureFastestPath();
    return fastest;
}
