#pragma once
// What the tests of the ways of stepping a body share: a body falling onto a
// table and a sphere, with pushes on the way, so that the spring, node and
// contact passes all run; and a bit-for-bit comparison of two such bodies.

#include "geometry/Box.h"
#include "geometry/Sphere.h"
#include "softbody/SoftBody.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

struct FallingBody {
    Box table{Vector3(-2, -4, -2), 4, 2, 4};
    Sphere ball{Vector3(0.5, -1.5, 0), 0.8};
    std::vector<GenericObject*> objects{&table, &ball};
    SoftBody body;
    int kickStep;

    /// A 20 x cellsY x cellsZ block stepped on two threads from
    /// `parallelThreshold` springs on, kicked sideways at step `kickStep`.
    FallingBody(int parallelThreshold, int kickStep, int cellsY = 6, int cellsZ = 16) : kickStep(kickStep)
    {
        testing::internal::CaptureStderr();
        body = SoftBody(20, cellsY, cellsZ, -1.5, -0.5, -1.2, 0.15, 600, 0.01, 0.3);
        testing::internal::GetCapturedStderr();
        body.enableGravity();
        body.setSceneObjects(&objects);
        body.parallelThreshold = parallelThreshold;
    }

    /// The pushes of step s, before it is taken.
    void push(int s)
    {
        if (s % 40 == 0) body.sidePush(s / 40 % 6);
        if (s == kickStep) body.addRootVelocity(Vector3(3, 1, 0));
    }
};

/// Positions, velocities, contact forces and spring forces, bit for bit.
inline void expectSameBits(const SoftBody& a, const SoftBody& b, const char* what)
{
    ASSERT_EQ(a.nodeCount(), b.nodeCount());
    for (int n = 0; n < a.nodeCount(); ++n) {
        ASSERT_EQ(std::memcmp(&a.nodes[n].position, &b.nodes[n].position, sizeof(Vector3)), 0) << what << ", node " << n;
        ASSERT_EQ(std::memcmp(&a.nodes[n].velocity, &b.nodes[n].velocity, sizeof(Vector3)), 0) << what << ", node " << n;
        ASSERT_EQ(std::memcmp(&a.nodes[n].contactForce, &b.nodes[n].contactForce, sizeof(Vector3)), 0) << what;
    }
    for (int s = 0; s < a.springCount(); ++s) {
        ASSERT_EQ(std::memcmp(&a.springs[s].forceA, &b.springs[s].forceA, 2 * sizeof(Vector3)), 0) << what << ", spring " << s;
    }
}
