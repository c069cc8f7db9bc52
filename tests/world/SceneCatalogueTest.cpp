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
struct BodyRow {
    int scene;
    bool centred;
    int cx, cy, cz;
    Vector3 corner;  // ignored for centred bodies
    double spacing, stiffness, damping, mass;
};

// Every body of the catalogue, in build order within each scene.
const BodyRow kBodies[] = {
    {0, false, 6, 3, 6, {-0.1, 1.0, 0.0}, 0.3, 600, 0.01, 0.5},
    {0, false, 3, 3, 3, {0.0, 0.0, -0.6}, 0.4, 600, 0.01, 0.5},
    {0, false, 6, 1, 1, {-1.0, 0.0, -0.3}, 0.3, 600, 0.01, 0.42},
    {0, false, 6, 6, 6, {1.0, 0.0, -0.75}, 0.375, 600, 0.01, 0.3},
    {1, false, 75, 0, 57, {-2.625, -0.3, -1.995}, 0.07, 800, 0.5, 1.0},
    {1, false, 6, 3, 6, {-1.2, 0.0, -1.2}, 0.4, 600, 0.01, 0.5},
    {2, true, 24, 0, 24, {}, 0.15, 600, 0.5, 1.0},
    {2, false, 3, 1, 3, {-1.5, 0.0, 0.0}, 0.75, 600, 0.01, 0.5},
    {2, false, 3, 3, 3, {-0.6, 0.0, -0.6}, 0.4, 600, 0.01, 0.5},
    {3, false, 3, 3, 1, {-0.9, 5.0, -0.5}, 0.75, 600, 0.01, 0.5},
    {4, false, 6, 6, 6, {-1.2, -3.9999, -1.2}, 0.4, 600, 0.01, 0.5},
    {5, false, 12, 18, 0, {-4.8, -4.0, 0.0}, 0.4, 2000, 0.5, 0.5},
    {7, false, 6, 3, 6, {-1.5, 0.0, 0.0}, 0.3, 600, 0.01, 0.5},
    {7, false, 3, 3, 3, {-0.6, 0.0, -0.6}, 0.4, 600, 0.01, 0.5},
    {7, false, 6, 6, 6, {-2.0, 1.0, -1.5}, 0.4, 600, 0.01, 0.3},
    {7, false, 9, 1, 1, {-3.0, 1.0, 0.35}, 0.3, 600, 0.01, 0.3},
    {7, false, 3, 6, 3, {-3.0, 1.0, -0.5}, 0.5, 600, 0.01, 0.5},
    {8, false, 24, 0, 24, {-0.7, 0.0, -1.8}, 0.15, 600, 0.5, 1.0},
    {8, true, 24, 0, 24, {}, 0.15, 600, 0.5, 1.0},
    {9, false, 54, 0, 42, {-2.7, -0.3, -2.1}, 0.1, 800, 0.5, 1.0},
    {9, false, 6, 1, 6, {-1.2, 0.0, -1.2}, 0.4, 600, 0.01, 0.5},
    {10, false, 3, 1, 3, {0.0, 0.0, -0.5}, 0.4, 600, 0.01, 0.4},
    {11, true, 2, 2, 2, {}, 0.4, 700, 0.01, 0.3},
    {12, true, 3, 2, 2, {}, 1.0, 700, 0.01, 0.3},
};

// Scene objects: a table stands for its five boxes, checked separately.
struct ObjectRow {
    int scene;
    bool table;
    Vector3 at;  // sphere centre or table corner
    double radiusOrWidth;
};

const ObjectRow kObjects[] = {
    {0, true, {0, -4, -2}, 4},
    {1, true, {-2, -4, -1.5}, 4},
    {2, false, {-1, -1.5, 0}, 1.0},
    {3, false, {-1.5, 3, 0}, 0.9},
    {3, false, {1.5, 1.5, 0}, 0.8},
    {3, false, {-1.5, 0.5, 0}, 1.0},
    {3, false, {1.5, -0.5, 0}, 0.9},
    {3, false, {-1, -1.5, 0}, 1.0},
    {7, false, {-1, -1.5, 0}, 1.3},
    {8, false, {0, -1.5, 0}, 1.0},
    {9, true, {-2, -4, -1.5}, 4},
    {10, true, {-1.3, -4, -1.5}, 4},
    {11, false, {1.5, 1.5, 0}, 0.8},
    {11, true, {-1.3, -4, -1.5}, 3},
};

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

TEST(SceneCatalogue, EveryScenesBodiesHaveTheirConstants)
{
    for (int scene = -1; scene <= 13; ++scene) {
        const Built built = build(scene);
        const World& world = *built.world;
        std::vector<const BodyRow*> rows;
        for (const BodyRow& row : kBodies)
            if (row.scene == scene) rows.push_back(&row);

        ASSERT_EQ(world.preparedBodies.size(), rows.size()) << "scene " << scene;
        EXPECT_EQ(countLines(built.log, "blorp has been created"), int(rows.size())) << "scene " << scene;
        EXPECT_EQ(world.activatedCount, rows.empty() ? 0 : 1) << "scene " << scene;
        for (size_t j = 0; j < rows.size(); ++j) {
            const BodyRow& row = *rows[j];
            const SoftBody& body = *world.preparedBodies[j];
            const std::string what = "scene " + std::to_string(scene) + " body " + std::to_string(j);
            EXPECT_EQ(body.cellsX, row.cx) << what;
            EXPECT_EQ(body.cellsY, row.cy) << what;
            EXPECT_EQ(body.cellsZ, row.cz) << what;
            EXPECT_EQ(body.spacing, row.spacing) << what;
            EXPECT_EQ(body.stiffness, row.stiffness) << what;
            EXPECT_EQ(body.damping, row.damping) << what;
            EXPECT_EQ(body.nodeMass, row.mass) << what;
            const Vector3 first = row.centred ? Vector3(-row.cx * row.spacing / 2, -row.cy * row.spacing / 2,
                                                        -row.cz * row.spacing / 2)
                                              : row.corner;
            EXPECT_EQ(body.node(0, 0, 0)->position, first) << what;
            if (!row.centred) {
                EXPECT_EQ(Vector3(body.origin[0], body.origin[1], body.origin[2]), row.corner) << what;
            }
        }
    }
}

TEST(SceneCatalogue, EveryScenesObjectsAreItsSpheresAndTables)
{
    for (int scene = -1; scene <= 13; ++scene) {
        const Built built = build(scene);
        const std::vector<GenericObject*>& objects = built.world->objects;
        size_t next = 0;
        for (const ObjectRow& row : kObjects) {
            if (row.scene != scene) continue;
            const std::string what = "scene " + std::to_string(scene) + " object " + std::to_string(next);
            if (row.table) {
                ASSERT_LE(next + 5, objects.size()) << what;
                expectBox(objects[next], row.at + Vector3(0, 3 - 3.0 / 7, 0), row.radiusOrWidth, 3.0 / 7, 3, what);
                next += 5;
            } else {
                ASSERT_LT(next, objects.size()) << what;
                const Sphere* sphere = dynamic_cast<const Sphere*>(objects[next]);
                ASSERT_NE(sphere, nullptr) << what << " is not a sphere";
                EXPECT_EQ(sphere->position, row.at) << what;
                EXPECT_EQ(sphere->radius, row.radiusOrWidth) << what;
                ++next;
            }
        }
        EXPECT_EQ(objects.size(), next) << "scene " << scene;
    }
}

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
    { const Built discarded = build(11); }
    EXPECT_EQ(sceneStore::bodyCount(), bodies + 1);
    EXPECT_EQ(sceneStore::objectCount(), objects + 6);
}
