#include "softbody/SoftBody.h"
#include "world/SceneDescription.h"
#include "world/Stability.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {
// A free body away from every wall, gravity off, its nodes started with a
// small velocity whose x part alternates in sign from plane to plane along
// x (and likewise y and z): the stiffest vibrations of the lattice, the
// first to diverge. Returns whether the body
// stayed sane over `steps` steps of dt, and its largest speed at the end.
bool staysSane(int cx, int cy, int cz, double stiffness, double damping, double mass, double dt, int steps,
               double& speed)
{
    static const std::vector<GenericObject*> kNoObjects;
    testing::internal::CaptureStderr();
    SoftBody body(cx, cy, cz, 0.5, stiffness, damping, mass);
    testing::internal::GetCapturedStderr();
    body.setSceneObjects(&kNoObjects);
    for (int i = 0; i <= cx; ++i)
        for (int j = 0; j <= cy; ++j)
            for (int k = 0; k <= cz; ++k) {
                auto sign = [](int index) { return index % 2 == 0 ? 1.0 : -1.0; };
                body.node(i, j, k)->velocity = Vector3(1e-3 * sign(i), 0.7e-3 * sign(j), 0.4e-3 * sign(k));
            }
    for (int s = 0; s < steps; ++s) {
        body.advance(dt);
        if (!isBodySane(body)) return false;
    }
    speed = 0.0;
    for (int n = 0; n < body.nodeCount(); ++n) {
        const Vector3& v = body.nodeArray()[n].velocity;
        speed = std::max(speed, std::sqrt(v.dot(v)));
    }
    return true;
}
}  // namespace

// The bound is the integrator's own: a little under it the stiffest
// vibration dies away, a little over it the body blows up, for blocks,
// sheets and chains alike.
TEST(Stability, LargestStableTimeStepSeparatesCalmFromExplodingBodies)
{
    struct Case {
        int cx, cy, cz;
        double stiffness, damping, mass;
    };
    const Case cases[] = {
        {8, 8, 8, 600.0, 0.01, 0.5},
        {10, 0, 10, 800.0, 0.5, 1.0},
        {16, 0, 0, 2000.0, 0.0, 0.3},
        {6, 6, 6, 1e6, 0.01, 0.3},
    };
    for (const Case& c : cases) {
        const int cells[3] = {c.cx, c.cy, c.cz};
        const double bound = largestStableTimeStep(cells, c.stiffness, c.damping, c.mass);
        const std::string what = std::to_string(c.cx) + "x" + std::to_string(c.cy) + "x" + std::to_string(c.cz) +
                                 " k " + std::to_string(c.stiffness) + ", bound " + std::to_string(bound);
        double speed = 0.0;
        EXPECT_TRUE(staysSane(c.cx, c.cy, c.cz, c.stiffness, c.damping, c.mass, 0.9 * bound, 3000, speed)) << what;
        EXPECT_LT(speed, 2e-3) << what << ": the vibration grew under the bound";
        EXPECT_FALSE(staysSane(c.cx, c.cy, c.cz, c.stiffness, c.damping, c.mass, 1.2 * bound, 3000, speed))
            << what << ": over the bound the body held together";
    }
    const int none[3] = {0, 0, 0};
    EXPECT_EQ(largestStableTimeStep(none, 600.0, 0.0, 1.0), std::numeric_limits<double>::infinity());
}

TEST(Stability, WarnsOnlyAboutBodiesPastTheirBound)
{
    for (int scene = 0; scene <= 12; ++scene) {
        const SceneDescription d = catalogueDescription(scene);
        for (size_t b = 0; b < d.bodies.size(); ++b)
            EXPECT_EQ(stabilityWarning(d.bodies[b], int(b), d.timeStep), "") << "scene " << scene << " body " << b;
    }
    BodyDescription stiff;
    stiff.cells[0] = stiff.cells[1] = stiff.cells[2] = 3;
    stiff.spacing = 0.4;
    stiff.stiffness = 1e6;
    stiff.damping = 0.01;
    stiff.mass = 0.3;
    EXPECT_EQ(stabilityWarning(stiff, 2, 0.005),
              "blorp: warning: body 2 will not hold together: stiffness 1e+06 is too stiff for mass 0.3 at time "
              "step 0.005 (the largest stable time step for it is 0.000186045)");
}

// Run as the trajectory test runs them, every body active, the catalogue's
// scenes never look unstable; a single non-finite or far-flung value does.
TEST(Stability, CatalogueScenesStaySaneAndOneBadValueIsCaught)
{
    for (int scene = 0; scene <= 12; ++scene) {
        testing::internal::CaptureStderr();
        World world(scene);
        testing::internal::GetCapturedStderr();
        for (int k = 0; k < 5; ++k) world.activateNextBody();
        for (int step = 1; step <= 1000; ++step) {
            if (step == 300) world.kickUp();
            if (step == 500) world.pushSide(0);
            world.step();
            ASSERT_EQ(firstUnstableBody(world), -1) << "scene " << scene << " step " << step;
        }
    }
    testing::internal::CaptureStderr();
    World world(7);
    testing::internal::GetCapturedStderr();
    for (int k = 0; k < 5; ++k) world.activateNextBody();
    const double bad[] = {std::nan(""), std::numeric_limits<double>::infinity(), -1.0001 * kSaneBound};
    for (double value : bad) {
        MassPoint& point = world.activeBodies[3]->nodeArray()[5];
        const Vector3 kept = point.velocity;
        point.velocity.y = value;
        EXPECT_EQ(firstUnstableBody(world), 3) << value;
        point.velocity = kept;
        point.position.z = value;
        EXPECT_EQ(firstUnstableBody(world), 3) << value;
        point.position.z = 0.0;
    }
    EXPECT_EQ(firstUnstableBody(world), -1);
    EXPECT_EQ(describeInstability(world, 3, 1234).rfind("body 3 went unstable at step 1234 (t = 6.17 s): ", 0), 0u);
}
