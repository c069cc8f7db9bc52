#include "FallingBody.h"
#include "softbody/SimdPath.h"
#include "softbody/SoftBody.h"
#include "softbody/StepKernels.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

namespace {
const std::vector<GenericObject*> kNoObjects;

SoftBody quietCornerBody(int cx, int cy, int cz, const Vector3& corner, double spacing, double stiffness, double mass)
{
    testing::internal::CaptureStderr();
    SoftBody body(cx, cy, cz, corner.x, corner.y, corner.z, spacing, stiffness, 0.01, mass);
    testing::internal::GetCapturedStderr();
    body.setSceneObjects(&kNoObjects);
    return body;
}

void stepOnce(SoftBody& body, double dt = 0.005)
{
    body.computeSpringForces();
    body.step(dt);
}
}  // namespace

TEST(SoftBodyStep, FallingNodeAddsTheHalfAccelerationTerm)
{
    SoftBody body = quietCornerBody(0, 0, 0, {0, 0, 0}, 1.0, 600, 0.5);
    body.enableGravity();
    stepOnce(body);
    const MassPoint& point = *body.node(0, 0, 0);
    EXPECT_DOUBLE_EQ(point.velocity.y, -0.049);
    EXPECT_DOUBLE_EQ(point.position.y, -0.0003675);
    EXPECT_EQ(point.velocity.x, 0.0);
    EXPECT_EQ(point.acceleration, Vector3(0, -9.8, 0));
    // Exactly the arithmetic order of the integrator.
    const double dt = 0.005;
    const double a = -9.8 * 0.5 / 0.5;
    const double v = 0.0 + a * dt;
    EXPECT_EQ(point.position.y, 0.0 + (v * dt + a * (0.5 * dt * dt)));
}

TEST(SoftBodyStep, WithoutGravityAFreeNodeKeepsItsVelocityExactly)
{
    SoftBody body = quietCornerBody(0, 0, 0, {0, 0, 0}, 1.0, 600, 0.5);
    body.node(0, 0, 0)->velocity = Vector3(0.3, -0.1, 0.7);
    for (int s = 0; s < 100; ++s) stepOnce(body);
    EXPECT_EQ(body.node(0, 0, 0)->velocity, Vector3(0.3, -0.1, 0.7));
    EXPECT_NEAR(body.node(0, 0, 0)->position.x, 0.3 * 0.5, 1e-12);
}

TEST(SoftBodyStep, FixedNodesStayButTheirVelocityCanChange)
{
    SoftBody body = quietCornerBody(1, 0, 0, {0, 0, 0}, 1.0, 600, 0.5);
    body.enableGravity();
    body.fixNode(0, 0, 0);
    body.addRootVelocity({1, 2, 3});
    body.sidePush(0);
    for (int s = 0; s < 10; ++s) stepOnce(body);
    const MassPoint& fixed = *body.node(0, 0, 0);
    EXPECT_EQ(fixed.position, Vector3(0, 0, 0));
    EXPECT_EQ(fixed.velocity, Vector3(1, 2, 3));
    EXPECT_EQ(fixed.acceleration, Vector3(0, 0, 0)) << "never integrated";
    EXPECT_LT(body.node(1, 0, 0)->position.y, 0.0) << "the free end falls";
}

TEST(SoftBodyStep, PushesActForExactlyOneStepAndAddUp)
{
    // Magnitude: (s - 0.5·s)·k.
    const struct {
        double spacing;
        double magnitude;
    } magnitudes[] = {{0.3, 90.0}, {0.4, 120.0}};
    for (const auto& m : magnitudes) {
        SoftBody body = quietCornerBody(2, 2, 2, {0, 0, 0}, m.spacing, 600, 1.0);
        body.sidePush(0);
        EXPECT_DOUBLE_EQ(body.node(0, 1, 2)->externalForce.x, m.magnitude);
    }

    const struct {
        int side;
        Vector3 direction;
        int i, j, k;  // a node on that side
    } sides[] = {
        {0, {1, 0, 0}, 0, 1, 1},
        {1, {-1, 0, 0}, 2, 1, 1},
        {2, {0, 1, 0}, 1, 0, 1},
        {3, {0, -1, 0}, 1, 2, 1},
        {4, {0, 0, 1}, 1, 1, 0},
        {5, {0, 0, -1}, 1, 1, 2},
    };
    for (const auto& s : sides) {
        SoftBody body = quietCornerBody(2, 2, 2, {0, 0, 0}, 0.4, 600, 1.0);
        body.sidePush(s.side);
        int pushed = 0;
        for (int n = 0; n < body.nodeCount(); ++n) pushed += body.nodes[n].externalForce != Vector3(0, 0, 0);
        EXPECT_EQ(pushed, 9) << "side " << s.side;
        EXPECT_EQ(body.node(s.i, s.j, s.k)->externalForce, s.direction * 120.0) << "side " << s.side;
        EXPECT_EQ(body.node(1, 1, 1)->externalForce, Vector3(0, 0, 0));
    }

    // Two pushes before a step double the force in that step, and nothing is left for the next.
    SoftBody once = quietCornerBody(0, 0, 0, {0, 0, 0}, 0.4, 600, 1.0);
    SoftBody twice = quietCornerBody(0, 0, 0, {0, 0, 0}, 0.4, 600, 1.0);
    once.sidePush(0);
    twice.sidePush(0);
    twice.sidePush(0);
    stepOnce(once);
    stepOnce(twice);
    EXPECT_EQ(twice.node(0, 0, 0)->acceleration.x, 2 * once.node(0, 0, 0)->acceleration.x);
    EXPECT_EQ(twice.node(0, 0, 0)->externalForce, Vector3(0, 0, 0));
    stepOnce(twice);
    EXPECT_EQ(twice.node(0, 0, 0)->acceleration.x, 0.0);

    // Invalid codes change nothing.
    SoftBody untouched = quietCornerBody(1, 1, 1, {0, 0, 0}, 0.4, 600, 1.0);
    untouched.sidePush(6);
    untouched.sidePush(-1);
    for (int n = 0; n < untouched.nodeCount(); ++n) EXPECT_EQ(untouched.nodes[n].externalForce, Vector3(0, 0, 0));

    // Every node of a chain has j = 0.
    SoftBody chain = quietCornerBody(5, 0, 0, {0, 0, 0}, 0.4, 600, 1.0);
    chain.sidePush(2);
    for (int n = 0; n < chain.nodeCount(); ++n) EXPECT_EQ(chain.nodes[n].externalForce, Vector3(0, 120, 0));
}

TEST(SoftBodyStep, SpringForcesAreGatheredFromBothEnds)
{
    SoftBody body = quietCornerBody(1, 0, 0, {0, 0, 0}, 1.0, 100, 1.0);
    body.node(1, 0, 0)->position = Vector3(1.5, 0, 0);
    stepOnce(body, 0.01);
    // Stretched by 0.5 with ks 100: 50 pulling each end inward (damping 0.01·v is zero at rest).
    EXPECT_DOUBLE_EQ(body.node(0, 0, 0)->acceleration.x, 50.0);
    EXPECT_DOUBLE_EQ(body.node(1, 0, 0)->acceleration.x, -50.0);
}

TEST(SoftBodyStep, SpringPassGivesTheBitsOfEachSpringsOwnFormula)
{
    // The body's spring pass works on up to eight springs at a time; each
    // must get exactly what Spring::computeForces gives it alone, in every
    // path, for any spring count (the 2 x 2 x 1 body has 89, which leaves
    // springs over for every width), with the ends scattered and some pairs
    // of ends on the same spot.
    SoftBody body = quietCornerBody(2, 2, 1, {0, 0, 0}, 0.5, 600, 1.0);
    ASSERT_EQ(body.springCount(), 89);
    unsigned state = 12345;
    auto random = [&state] {
        state = state * 1103515245u + 12345u;
        return double(state >> 8 & 0xffff) / 65536.0 - 0.5;
    };
    for (int n = 0; n < body.nodeCount(); ++n) {
        body.nodes[n].position += Vector3(random(), random(), random()) * 0.3;
        body.nodes[n].velocity = Vector3(random(), random(), random()) * 4.0;
    }
    body.node(1, 1, 1)->position = body.node(1, 0, 1)->position;
    body.node(2, 1, 0)->position = body.node(2, 0, 0)->position;
    body.node(0, 0, 1)->position = body.node(0, 0, 0)->position;
    const Vector3 untouched(7, 7, 7);
    auto clear = [&] {
        for (int s = 0; s < body.springCount(); ++s) body.springs[s].forceA = body.springs[s].forceB = untouched;
    };
    // Springs [begin, end) match their own formula and no other is written.
    auto expectRange = [&](SimdPath path, int begin, int end) {
        for (int s = 0; s < body.springCount(); ++s) {
            Spring alone = body.springs[s];
            if (s >= begin && s < end)
                alone.computeForces();
            else
                alone.forceA = alone.forceB = untouched;
            EXPECT_EQ(std::memcmp(&alone.forceA, &body.springs[s].forceA, sizeof(Vector3)), 0)
                << simdPathName(path) << ", springs [" << begin << ", " << end << "), spring " << s;
            EXPECT_EQ(std::memcmp(&alone.forceB, &body.springs[s].forceB, sizeof(Vector3)), 0)
                << simdPathName(path) << ", springs [" << begin << ", " << end << "), spring " << s;
        }
    };
    int coincident = 0;
    for (int s = 0; s < body.springCount(); ++s) coincident += body.springs[s].pointA->position == body.springs[s].pointB->position;
    EXPECT_EQ(coincident, 3);
    for (SimdPath path : kSimdPaths) {
        if (!setSimdPath(path)) continue;
        clear();
        body.computeSpringForces();
        expectRange(path, 0, body.springCount());
        // The step hands the pass one run of springs at a time: every length
        // up to a few groups, from starts that are not multiples of a group.
        for (int begin : {0, 3, 5})
            for (int end = begin; end <= begin + 40; ++end) {
                clear();
                stepKernels(path).springs(body.springs, begin, end, body.springCount(), end % 2 == 0);
                expectRange(path, begin, end);
            }
    }
    resetSimdPath();
}

TEST(SoftBodyStep, ForcesGatheredBeforeTheStepGiveItsBits)
{
    // Contact between bodies reads the nodes' forces before they move
    // (gatherForces) and the step then only adds the pushes. Whatever comes
    // between, every step must give the bits of advance(): gathered and
    // stepped, on one thread and two; gathered and then advanced; gathered,
    // kicked and the springs computed again, which leaves the gathered
    // forces stale.
    for (SimdPath path : kSimdPaths) {
        if (!setSimdPath(path)) continue;
        for (int threshold : {INT_MAX, 0}) {
            FallingBody gathered(threshold, 30), plain(threshold, 30);
            for (int s = 0; s < 90; ++s) {
                gathered.push(s);
                plain.push(s);
                gathered.body.computeSpringForces();
                gathered.body.gatherForces();
                ASSERT_TRUE(gathered.body.forcesGathered());
                if (s % 3 == 1) {
                    gathered.body.advance(0.005);
                } else {
                    if (s % 3 == 2) {
                        gathered.body.addRootVelocity(Vector3(0, 0.5, 0));
                        plain.body.addRootVelocity(Vector3(0, 0.5, 0));
                        gathered.body.computeSpringForces();
                    }
                    gathered.body.step(0.005);
                }
                EXPECT_FALSE(gathered.body.forcesGathered());
                plain.body.advance(0.005);
            }
            expectSameBits(gathered.body, plain.body, simdPathName(path));
        }
    }
    resetSimdPath();
}
