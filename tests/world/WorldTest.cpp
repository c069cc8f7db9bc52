#include "GlRecorder.h"
#include "VectorPrinting.h"
#include "geometry/GenericObject.h"
#include "softbody/SoftBody.h"
#include "world/World.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
std::vector<Vector3> positions(const SoftBody& body)
{
    std::vector<Vector3> out;
    for (int n = 0; n < body.nodeCount(); ++n) out.push_back(body.nodeArray()[n].position);
    return out;
}

std::vector<Vector3> externalForces(const SoftBody& body)
{
    std::vector<Vector3> out;
    for (int n = 0; n < body.nodeCount(); ++n) out.push_back(body.nodeArray()[n].externalForce);
    return out;
}

struct QuietStderr {
    QuietStderr() { testing::internal::CaptureStderr(); }
    ~QuietStderr() { testing::internal::GetCapturedStderr(); }
};

// Builds a world without its construction messages, which are not under test
// here. Returned as a prvalue, so the world is never copied and its bodies keep
// pointing at its own object list.
World quietWorld(int scene)
{
    QuietStderr quiet;
    return World(scene);
}
}  // namespace

TEST(World, DefaultConstructionBuildsScene12WithItsOneBodyActive)
{
    QuietStderr quiet;
    World world;

    EXPECT_FALSE(world.springView);
    EXPECT_FALSE(world.arrowPending);
    EXPECT_EQ(world.timeStep, 0.005);
    EXPECT_TRUE(world.objects.empty());
    ASSERT_EQ(world.preparedBodies.size(), 1u);
    EXPECT_EQ(world.activeBodies, world.preparedBodies);
    EXPECT_EQ(world.activatedCount, 1);

    const SoftBody& body = *world.preparedBodies[0];
    EXPECT_EQ(body.nodeCount(), 36);
    EXPECT_EQ(body.colourIndex, 0);
    EXPECT_TRUE(body.gravityOn);
    EXPECT_EQ(body.sceneObjects, &world.objects);
    EXPECT_EQ(body.colour[0], 0.8f);
    EXPECT_EQ(body.colour[1], 0.2f);
    EXPECT_EQ(body.colour[2], 0.2f);

    world.activateNextBody();
    EXPECT_EQ(world.activatedCount, 1) << "scene 12 has no second body";
    EXPECT_EQ(world.activeBodies.size(), 1u);
}

TEST(World, ActivatesPreparedBodiesOneByOneInBuildOrder)
{
    World world = quietWorld(7);
    ASSERT_EQ(world.preparedBodies.size(), 5u);
    for (size_t j = 0; j < world.preparedBodies.size(); ++j) {
        EXPECT_EQ(world.preparedBodies[j]->colourIndex, int(j));
        EXPECT_TRUE(world.preparedBodies[j]->gravityOn) << "body " << j;
        EXPECT_EQ(world.preparedBodies[j]->sceneObjects, &world.objects) << "body " << j;
    }
    for (int n = 1; n <= 6; ++n) {
        ASSERT_EQ(world.activatedCount, std::min(n, 5)) << "after " << n - 1 << " activations";
        const std::vector<SoftBody*> prefix(world.preparedBodies.begin(), world.preparedBodies.begin() + world.activatedCount);
        EXPECT_EQ(world.activeBodies, prefix);
        world.activateNextBody();
    }
    EXPECT_EQ(world.activatedCount, 5);
}

TEST(World, StepAdvancesEachActiveBodyByOneTimeStepAndLeavesTheOthers)
{
    World world = quietWorld(7);
    World reference = quietWorld(7);
    world.activateNextBody();

    const std::vector<Vector3> idleBefore = positions(*world.preparedBodies[2]);
    world.step();
    world.step();
    for (int twice = 0; twice < 2; ++twice)
        for (int j = 0; j < 2; ++j) {
            reference.preparedBodies[j]->computeSpringForces();
            reference.preparedBodies[j]->step(0.005);
        }
    for (int j = 0; j < 2; ++j) {
        EXPECT_EQ(positions(*world.preparedBodies[j]), positions(*reference.preparedBodies[j])) << "body " << j;
        EXPECT_NE(positions(*world.preparedBodies[j]), idleBefore);
    }
    EXPECT_EQ(positions(*world.preparedBodies[2]), idleBefore) << "an inactive body must not move";
}

TEST(World, AssignedCopiesShareTheSameBodiesAndObjects)
{
    World builder = quietWorld(3);
    World copy = quietWorld(12);
    const SoftBody* abandoned = copy.preparedBodies[0];
    copy = builder;

    EXPECT_EQ(copy.preparedBodies, builder.preparedBodies);
    EXPECT_EQ(copy.activeBodies, builder.activeBodies);
    EXPECT_EQ(copy.objects, builder.objects);
    EXPECT_EQ(copy.activatedCount, 1);
    EXPECT_NE(copy.preparedBodies[0], abandoned);

    const std::vector<Vector3> before = positions(*builder.activeBodies[0]);
    copy.step();
    EXPECT_NE(positions(*builder.activeBodies[0]), before) << "stepping the copy moves the shared body";
    copy.activateNextBody();
    EXPECT_EQ(builder.activatedCount, 1) << "the counts are the copy's own";
    copy.springView = true;
    EXPECT_FALSE(builder.springView);
}

TEST(World, DrawsObjectsFirstThenActiveBodiesAsSurfacesOrSprings)
{
    World world = quietWorld(7);
    world.activateNextBody();  // two of the five bodies active

    glrecorder::clear();
    for (GenericObject* object : world.objects) object->draw();
    const size_t objectCalls = glrecorder::calls().size();
    world.activeBodies[0]->draw();
    world.activeBodies[1]->draw();
    const std::vector<std::string> surfaces = glrecorder::texts();
    glrecorder::clear();
    for (GenericObject* object : world.objects) object->draw();
    world.activeBodies[0]->drawSprings();
    world.activeBodies[1]->drawSprings();
    const std::vector<std::string> springs = glrecorder::texts();
    ASSERT_GT(objectCalls, 0u);

    glrecorder::clear();
    world.draw();
    EXPECT_EQ(glrecorder::texts(), surfaces);
    EXPECT_EQ(glrecorder::count("glutSolidSphere"), 1);

    world.springView = true;
    glrecorder::clear();
    world.draw();
    EXPECT_EQ(glrecorder::texts(), springs);
    EXPECT_EQ(glrecorder::count("glBegin"), glrecorder::count("glEnd"));
    for (const glrecorder::Call& call : glrecorder::calls()) {
        if (call.name == "glBegin") {
            EXPECT_EQ(call.args[0], double(GL_LINES)) << "spring view draws no polygon";
        }
    }

    glrecorder::clear();
    world.drawObjects();
    EXPECT_EQ(glrecorder::calls().size(), objectCalls);
}

TEST(World, PushesEveryActiveBodyWithItsOwnMagnitude)
{
    World world = quietWorld(7);
    world.activateNextBody();
    world.activateNextBody();  // bodies 0 to 2: spacings 0.3, 0.4, 0.4; stiffness 600
    const std::vector<Vector3> idle = externalForces(*world.preparedBodies[3]);

    world.pushSide(0);
    for (int j = 0; j < 3; ++j) {
        const SoftBody& body = *world.preparedBodies[j];
        const double m = 0.5 * body.spacing * body.stiffness;
        for (int i = 0; i < body.nodesX; ++i)
            for (int y = 0; y < body.nodesY; ++y)
                for (int k = 0; k < body.nodesZ; ++k)
                    EXPECT_EQ(body.node(i, y, k)->externalForce, i == 0 ? Vector3(m, 0, 0) : Vector3(0, 0, 0))
                        << "body " << j << " node " << i << "," << y << "," << k;
    }
    EXPECT_EQ(world.preparedBodies[0]->node(0, 0, 0)->externalForce.x, 90.0);
    EXPECT_EQ(world.preparedBodies[1]->node(0, 0, 0)->externalForce.x, 120.0);
    EXPECT_EQ(externalForces(*world.preparedBodies[3]), idle);
    EXPECT_FALSE(world.arrowPending) << "a key push does not mark the arrow";

    world.pushSide(5);
    const SoftBody& first = *world.preparedBodies[0];
    EXPECT_EQ(first.node(3, 1, first.nodesZ - 1)->externalForce, Vector3(0, 0, -90));
}

TEST(World, KicksCornersOfAllActiveBodiesButKicksUpOnlyTheFirst)
{
    World world = quietWorld(7);
    world.activateNextBody();
    SoftBody& first = *world.activeBodies[0];
    SoftBody& second = *world.activeBodies[1];

    world.kickCorner(Vector3(-10, 0, 0));
    world.kickCorner(Vector3(10, 0, 0));
    world.kickCorner(Vector3(10, 0, 0));
    EXPECT_EQ(first.node(0, 0, 0)->velocity, Vector3(10, 0, 0));
    EXPECT_EQ(second.node(0, 0, 0)->velocity, Vector3(10, 0, 0));
    EXPECT_EQ(first.node(1, 0, 0)->velocity, Vector3(0, 0, 0));
    EXPECT_EQ(world.preparedBodies[2]->node(0, 0, 0)->velocity, Vector3(0, 0, 0));

    world.kickUp();
    EXPECT_TRUE(world.arrowPending);
    EXPECT_EQ(first.node(0, 1, 1)->velocity, Vector3(0, 20, 0));
    EXPECT_EQ(second.node(0, 1, 1)->velocity, Vector3(0, 0, 0));
    EXPECT_EQ(first.node(0, 0, 0)->velocity, Vector3(10, 0, 0));
}

TEST(World, KickUpSparesABodyWithoutPoint011ButStillMarksTheArrow)
{
    World sheet = quietWorld(8);  // first body: a 24 x 0 x 24 sheet, a single layer along y
    ASSERT_EQ(sheet.activeBodies[0]->nodesY, 1);
    const std::vector<Vector3> before = positions(*sheet.activeBodies[0]);
    sheet.kickUp();
    EXPECT_TRUE(sheet.arrowPending);
    for (int n = 0; n < sheet.activeBodies[0]->nodeCount(); ++n)
        ASSERT_EQ(sheet.activeBodies[0]->nodeArray()[n].velocity, Vector3(0, 0, 0)) << "node " << n;
    EXPECT_EQ(positions(*sheet.activeBodies[0]), before);
}

TEST(World, AnEmptySceneOnlyTogglesTheArrow)
{
    World world = quietWorld(6);
    EXPECT_TRUE(world.preparedBodies.empty());
    EXPECT_EQ(world.activatedCount, 0);
    world.activateNextBody();
    EXPECT_EQ(world.activatedCount, 0);

    glrecorder::clear();
    world.step();
    world.draw();
    world.pushSide(0);
    world.kickCorner(Vector3(1, 0, 0));
    EXPECT_TRUE(glrecorder::calls().empty());
    world.kickUp();
    EXPECT_TRUE(world.arrowPending);
    world.mousePush(3);
    EXPECT_FALSE(world.arrowPending);
    world.mousePush(0);
    EXPECT_TRUE(world.arrowPending);
}
