#pragma once
// What the benchmarks share: a scene built without its log lines, and the
// median of a run's samples. Times come from threadProcessorSeconds
// (softbody/PathTrial.h): the machine is shared, and time it gives to other
// processes must not count.

#include "world/World.h"

#include <algorithm>
#include <iostream>
#include <memory>
#include <vector>

/// Catalogue scene `scene`, its construction log kept off the benchmark's
/// output; with `allBodies`, every prepared body active.
inline std::unique_ptr<World> quietWorld(int scene, bool allBodies = false)
{
    std::streambuf* saved = std::cerr.rdbuf(nullptr);
    auto world = std::make_unique<World>(scene);
    std::cerr.rdbuf(saved);
    std::cerr.clear();
    if (allBodies)
        while (world->activeBodies.size() < world->preparedBodies.size()) world->activateNextBody();
    return world;
}

/// The middle sample (the upper one of an even count).
inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
