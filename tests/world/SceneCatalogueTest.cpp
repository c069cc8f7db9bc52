#include "VectorPrinting.h"
#include "geometry/Box.h"
#include "geometry/Sphere.h"
#include "softbody/SoftBody.h"
#include "world/SceneStore.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {
// A world with the log of its construction. Held by pointer: a copy would
// leave the bodies colliding against the original's object list.
struct Built {
    std::unique_ptr<World> world;
    std::string log;
};

Built build(int scene)
{
    testing::internal::CaptureStderr();
    auto world = std::make_unique<World>(scene);
    std::string log = testing::internal::GetCapturedStderr();
    return Built{std::move(world), log};
}

int countLines(const std::string& log, const std::string& line)
{
    std::istringstream in(log);
    int n = 0;
    for (std::string text; std::getline(in, text);) n += text == line;
    return n;
}

void expectBox(const GenericObject* object, Vector3 corner, double w, double h, double d, const std::string& what)
{
    const Box* box = dynamic_cast<const Box*>(object);
    ASSERT_NE(box, nullptr) << what << " is not a box";
    EXPECT_EQ(box->position, corner) << what;
    EXPECT_EQ(box->width, w) << what;
    EXPECT_EQ(box->height, h) << what;
    EXPECT_EQ(box->depth, d) << what;
}
}  // namespace

TEST(SceneCatalogue, TableIsATopOnFourLegsOneSeventhOfItsHeightThick)
{
    const Built built = build(0);
    const std::vector<GenericObject*>& objects = built.world->objects;
    ASSERT_EQ(objects.size(), 5u);
    const double t = 3.0 / 7;
    expectBox(objects[0], Vector3(0, -4 + (3 - t), -2), 4, t, 3, "top");
    const Vector3 legs[] = {{0, -4, -2}, {4 - t, -4, -2}, {0, -4, -2 + (3 - t)}, {4 - t, -4, -2 + (3 - t)}};
    for (int leg = 0; leg < 4; ++leg)
        expectBox(objects[size_t(leg) + 1], legs[leg], t, 3 - t, t, "leg " + std::to_string(leg));

    const Box& top = *dynamic_cast<const Box*>(objects[0]);
    EXPECT_DOUBLE_EQ(top.position.y + top.height, -1.0) << "the top surface is at corner.y + height";
}

TEST(SceneCatalogue, Scene12IsOneFallingBlockOf36Points)
{
    const Built built = build(12);
    const SoftBody& body = *built.world->preparedBodies[0];
    EXPECT_EQ(body.nodeCount(), 36);
    EXPECT_EQ(body.node(0, 0, 0)->position, Vector3(-1.5, -1, -1));
    EXPECT_EQ(body.node(3, 2, 2)->position, Vector3(1.5, 1, 1));
    EXPECT_TRUE(body.glass);
    EXPECT_EQ(countLines(built.log, "about to create the world..."), 0) << "that line is the viewer's, not the world's";

    const Built sheet = build(1);
    EXPECT_EQ(sheet.world->preparedBodies[0]->nodesX, 76);
    EXPECT_EQ(sheet.world->preparedBodies[0]->nodesY, 1);
    EXPECT_EQ(sheet.world->preparedBodies[0]->nodesZ, 58);
}

TEST(SceneCatalogue, Scene5HoldsTheTopTwoRowsOfItsCurtain)
{
    const Built built = build(5);
    World& world = *built.world;
    SoftBody& curtain = *world.activeBodies[0];
    ASSERT_EQ(curtain.nodeCount(), 13 * 19);

    int fixedCount = 0;
    for (int i = 0; i < 13; ++i)
        for (int j = 0; j < 19; ++j) {
            const bool fixed = curtain.node(i, j, 0)->fixed;
            fixedCount += fixed;
            EXPECT_EQ(fixed, j >= 17) << "node " << i << "," << j << ",0";
        }
    EXPECT_EQ(fixedCount, 26);

    std::vector<Vector3> before;
    for (int n = 0; n < curtain.nodeCount(); ++n) before.push_back(curtain.nodeArray()[n].position);
    world.pushSide(4);
    world.kickCorner(Vector3(10, 0, 0));
    for (int s = 0; s < 20; ++s) world.step();
    for (int i = 0; i < 13; ++i)
        for (int j = 0; j < 19; ++j) {
            const Vector3 now = curtain.node(i, j, 0)->position;
            const Vector3 was = before[size_t(i * 19 + j)];
            if (j >= 17)
                EXPECT_EQ(now, was) << "fixed node " << i << "," << j << " moved";
            else
                EXPECT_NE(now, was) << "free node " << i << "," << j << " stayed";
        }
}

TEST(SceneCatalogue, Scene7LogsColoursForItsFourthAndFifthBodiesOnly)
{
    const Built built = build(7);
    std::istringstream in(built.log);
    std::vector<std::string> colourLines;
    int bodiesBefore = 0;
    std::vector<int> bodiesBeforeColour;
    for (std::string line; std::getline(in, line);) {
        if (line == "blorp has been created") ++bodiesBefore;
        if (line.rfind("r,g,b:", 0) == 0) {
            colourLines.push_back(line);
            bodiesBeforeColour.push_back(bodiesBefore);
        }
    }
    // Index 3: (20 % 7, 44 % 7, 124 % 7) / 7; index 4: (25 % 7, 55 % 7, 155 % 7) / 7.
    EXPECT_EQ(colourLines,
              (std::vector<std::string>{"r,g,b:0.857143,0.285714,0.714286", "r,g,b:0.571429,0.857143,0.142857"}));
    EXPECT_EQ(bodiesBeforeColour, (std::vector<int>{5, 5})) << "colours are chosen after the whole scene is built";
    EXPECT_EQ(built.world->preparedBodies[4]->colour[1], float(6.0 / 7.0));
}

TEST(SceneStore, KeepsEveryBuiltBodyAndObjectForTheWholeRun)
{
    const int bodies = sceneStore::bodyCount();
    const int objects = sceneStore::objectCount();
    {
        const Built discarded = build(11);
    }
    EXPECT_EQ(sceneStore::bodyCount(), bodies + 1);
    EXPECT_EQ(sceneStore::objectCount(), objects + 6);
}

TEST(SceneStore, ReleasesOneWorldsBodiesAndObjectsOnly)
{
    const Built kept = build(3);
    const Built letGo = build(11);
    const int bodies = sceneStore::bodyCount();
    const int objects = sceneStore::objectCount();
    sceneStore::release(*letGo.world);
    EXPECT_EQ(sceneStore::bodyCount(), bodies - 1);
    EXPECT_EQ(sceneStore::objectCount(), objects - 6) << "a sphere and five boxes";
    sceneStore::release(World(6));
    EXPECT_EQ(sceneStore::bodyCount(), bodies - 1) << "an empty world frees nothing";
    // The other world's bodies and objects are untouched and still work.
    kept.world->step();
    kept.world->draw();
    EXPECT_EQ(kept.world->objects.size(), 5u);
}
