#pragma once
// Helpers shared by the viewer's tests: recorded-call text, quiet world
// builds, and a body's complete moving state for bit-exact comparisons.

#include "GlRecorder.h"
#include "app/Session.h"
#include "app/ViewerState.h"
#include "softbody/SoftBody.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace viewertest {
inline std::string call(const char* name, std::vector<double> args)
{
    return glrecorder::Call{name, std::move(args)}.text();
}

inline std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// A world built quietly and kept for the rest of the test program, since the
// bodies of the global world collide against its object list.
inline World& keptWorld(int scene)
{
    static std::vector<std::unique_ptr<World>> kept;
    testing::internal::CaptureStderr();
    kept.push_back(std::make_unique<World>(scene));
    testing::internal::GetCapturedStderr();
    return *kept.back();
}

// Points the global world at a fresh build of the scene, with `bodies`
// active, and puts the viewer's own state back as it starts.
inline void useScene(int scene, int bodies = 1)
{
    World& world = keptWorld(scene);
    for (int k = 1; k < bodies; ++k) world.activateNextBody();
    globalWorld = world;
    viewerState = ViewerState();
    viewerState.scene = scene;
    viewerState.width = viewerState.height = 800;
}

struct BodyState {
    std::vector<Vector3> positions, velocities, pushes;
    bool operator==(const BodyState& other) const
    {
        return positions == other.positions && velocities == other.velocities && pushes == other.pushes;
    }
};

inline BodyState state(const SoftBody& body)
{
    BodyState s;
    for (int n = 0; n < body.nodeCount(); ++n) {
        s.positions.push_back(body.nodeArray()[n].position);
        s.velocities.push_back(body.nodeArray()[n].velocity);
        s.pushes.push_back(body.nodeArray()[n].externalForce);
    }
    return s;
}
}  // namespace viewertest
