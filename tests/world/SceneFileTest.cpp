#include "VectorPrinting.h"
#include "geometry/Box.h"
#include "geometry/Sphere.h"
#include "softbody/SoftBody.h"
#include "world/SceneFile.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {
std::unique_ptr<World> quietly(const std::function<World*()>& build)
{
    testing::internal::CaptureStderr();
    std::unique_ptr<World> world(build());
    testing::internal::GetCapturedStderr();
    return world;
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool sameBits(const Vector3& a, const Vector3& b) { return sameBits(a.x, b.x) && sameBits(a.y, b.y) && sameBits(a.z, b.z); }

// Every field that decides a world's motion and look, to the bit.
void expectSameWorld(const World& expected, const World& actual, const std::string& what)
{
    ASSERT_EQ(expected.objects.size(), actual.objects.size()) << what;
    for (size_t o = 0; o < expected.objects.size(); ++o) {
        const std::string object = what + ", object " + std::to_string(o);
        EXPECT_TRUE(sameBits(expected.objects[o]->position, actual.objects[o]->position)) << object;
        if (const auto* sphere = dynamic_cast<const Sphere*>(expected.objects[o])) {
            const auto* other = dynamic_cast<const Sphere*>(actual.objects[o]);
            ASSERT_NE(other, nullptr) << object << " is not a sphere";
            EXPECT_TRUE(sameBits(sphere->radius, other->radius)) << object;
        } else {
            const auto* box = dynamic_cast<const Box*>(expected.objects[o]);
            const auto* other = dynamic_cast<const Box*>(actual.objects[o]);
            ASSERT_NE(box, nullptr) << object;
            ASSERT_NE(other, nullptr) << object << " is not a box";
            EXPECT_TRUE(sameBits(box->width, other->width) && sameBits(box->height, other->height) &&
                        sameBits(box->depth, other->depth))
                << object;
        }
    }
    ASSERT_EQ(expected.preparedBodies.size(), actual.preparedBodies.size()) << what;
    EXPECT_EQ(expected.activatedCount, actual.activatedCount) << what;
    EXPECT_TRUE(sameBits(expected.timeStep, actual.timeStep)) << what;
    for (size_t b = 0; b < expected.preparedBodies.size(); ++b) {
        const SoftBody& e = *expected.preparedBodies[b];
        const SoftBody& a = *actual.preparedBodies[b];
        const std::string body = what + ", body " + std::to_string(b);
        EXPECT_TRUE(e.cellsX == a.cellsX && e.cellsY == a.cellsY && e.cellsZ == a.cellsZ) << body;
        EXPECT_TRUE(sameBits(e.spacing, a.spacing) && sameBits(e.stiffness, a.stiffness) &&
                    sameBits(e.damping, a.damping) && sameBits(e.nodeMass, a.nodeMass))
            << body;
        EXPECT_EQ(0, std::memcmp(e.colour, a.colour, sizeof e.colour)) << body;
        ASSERT_EQ(e.nodeCount(), a.nodeCount()) << body;
        for (int n = 0; n < e.nodeCount(); ++n) {
            const MassPoint& p = e.nodeArray()[n];
            const MassPoint& q = a.nodeArray()[n];
            ASSERT_TRUE(sameBits(p.position, q.position) && sameBits(p.velocity, q.velocity) &&
                        p.fixed == q.fixed && sameBits(p.mass, q.mass))
                << body << ", node " << n;
        }
    }
}

std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
}  // namespace

// The catalogue as data, written as a file and read back, builds the very
// world the catalogue builds in code, and it stays the same world over steps
// with every body active.
TEST(SceneFile, CatalogueScenesReadBackToTheCatalogueWorlds)
{
    for (int scene = 0; scene <= 12; ++scene) {
        const std::string what = "scene " + std::to_string(scene);
        const SceneFileResult read = parseSceneText(sceneFileText(catalogueDescription(scene), "t"), "t.toml");
        ASSERT_TRUE(read.isValid()) << what << ": " << read.problems.front();
        auto fromCode = quietly([&] { return new World(scene); });
        auto fromFile = quietly([&] { return new World(read.scene); });
        expectSameWorld(*fromCode, *fromFile, what);
        for (int k = 0; k < 5; ++k) {
            fromCode->activateNextBody();
            fromFile->activateNextBody();
        }
        for (int step = 0; step < 200; ++step) {
            fromCode->step();
            fromFile->step();
        }
        expectSameWorld(*fromCode, *fromFile, what + " after 200 steps");
    }
}

TEST(SceneFile, ShippedScenesAreWhatWriteSceneWrites)
{
    for (int scene = 0; scene <= 12; ++scene) {
        char name[32];
        std::snprintf(name, sizeof name, "/%02d.toml", scene);
        const std::string path = std::string(BLORP_SCENES_DIR) + name;
        EXPECT_EQ(fileText(path), sceneFileText(catalogueDescription(scene), catalogueSceneTitle(scene))) << path;
    }
}

// Every value, written shortest, reads back to its very double; a body's
// own colour and a single box, which no catalogue scene has, survive too.
TEST(SceneFile, WrittenValuesReadBackToTheSameBits)
{
    SceneDescription scene;
    scene.timeStep = 0.1 + 0.2;
    BodyDescription body;
    body.cells[0] = 2;
    body.corner = Vector3(-1.0 / 3.0, 5e-324, -0.0);
    body.spacing = 1e-300;
    body.stiffness = 1.7976931348623157e308;
    body.damping = 0.0;
    body.mass = 2.0 / 3.0;
    body.hasColour = true;
    body.colour[0] = 0.1;
    body.colour[2] = 1.0;
    body.fixed.push_back(FixedNodes{{0, 2}, {0, 0}, {0, 0}});
    scene.bodies.push_back(body);
    ObjectDescription box;
    box.kind = ObjectDescription::Kind::box;
    box.position = Vector3(1e22, -7.0, 0.30000000000000004);
    box.width = box.height = box.depth = 123456789.125;
    scene.objects.push_back(box);
    const std::string text = sceneFileText(scene, "odd values");
    const SceneFileResult read = parseSceneText(text, "t.toml");
    ASSERT_TRUE(read.isValid()) << read.problems.front() << "\n"
                                << text;
    EXPECT_EQ(sceneFileText(read.scene, "odd values"), text);
    const BodyDescription& back = read.scene.bodies.at(0);
    EXPECT_TRUE(sameBits(back.corner, body.corner)) << text;
    EXPECT_TRUE(sameBits(back.stiffness, body.stiffness) && sameBits(back.spacing, body.spacing)) << text;
    EXPECT_TRUE(sameBits(read.scene.timeStep, scene.timeStep)) << text;
    EXPECT_TRUE(sameBits(read.scene.objects.at(0).position, box.position)) << text;
}

// Each kind of mistake, alone in an otherwise good file, gives exactly one
// line naming where it is and what was expected.
TEST(SceneFile, ReportsEachMistakeWithItsPosition)
{
    const std::string body =
        "[[body]]\ncells = [2, 2, 2]\ncorner = [0.0, 0.0, 0.0]\n"
        "spacing = 0.4\nstiffness = 600.0\ndamping = 0.01\nmass = 0.5\n";
    auto with = [&](const std::string& from, const std::string& to) {
        std::string text = body;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    struct Case {
        std::string text, problem;
    };
    const Case cases[] = {
        {"tim-step = 0.005\n" + body,
         "s.toml:1:1: unknown key 'tim-step' in the scene (expected time-step, active-bodies, object, body)"},
        {with("spacing = 0.4\n", ""), "s.toml:1:1: [[body]] needs 'spacing' (a positive number)"},
        {with("mass = 0.5", "mass = \"heavy\""), "s.toml:7:8: 'mass' must be a number, not a string"},
        {with("[2, 2, 2]", "[2, -1, 2]"), "s.toml:2:13: 'cells' must be 0 or more, not -1"},
        {with("[2, 2, 2]", "[2, 2.5, 2]"), "s.toml:2:13: 'cells' must be a whole number, not 2.5"},
        {with("[2, 2, 2]", "[2, 2]"), "s.toml:2:9: 'cells' must be an array of 3 whole numbers, not of 2"},
        {with("spacing = 0.4", "spacing = 0"), "s.toml:4:11: 'spacing' must be a positive number, not 0.0"},
        {with("mass = 0.5", "mass = -0.5"), "s.toml:7:8: 'mass' must be a positive number, not -0.5"},
        {with("stiffness = 600.0", "stiffness = -600.0"),
         "s.toml:5:13: 'stiffness' must be a positive number, not -600.0"},
        {with("damping = 0.01", "damping = -0.01"), "s.toml:6:11: 'damping' must be 0 or more, not -0.01"},
        {with("spacing = 0.4", "spacing = nan"), "s.toml:4:11: 'spacing' must be a finite number, not nan"},
        {with("corner = [0.0, 0.0, 0.0]", "corner = [0.0, inf, 0.0]"),
         "s.toml:3:16: 'corner' must be a finite number, not inf"},
        {body + "\n[[body.fixed]]\ni = 1\nj = [0, 3]\n",
         "s.toml:11:5: fixed node index j = 3 is outside the lattice (j runs from 0 to 2)"},
        {body + "\n[[body.fixed]]\ni = [2, 1]\n", "s.toml:10:5: 'i' range [2, 1] runs backwards"},
        {"[[object]]\nkind = \"sphere\"\ncentre = [0.0, 1.0, 0.0]\nradius = 0.0\n",
         "s.toml:4:10: 'radius' must be a positive number, not 0.0"},
        {"[[object]]\nkind = \"cone\"\n", "s.toml:2:8: 'kind' must be \"sphere\", \"table\" or \"box\", not \"cone\""},
        {"[[object]]\nkind = \"table\"\ncorner = [0, 0, 0]\nwidth = 1\nheight = 1\ndepth = 1\nlegs = 4\n",
         "s.toml:7:1: unknown key 'legs' in a table (expected kind, corner, width, height, depth)"},
        {"active-bodies = 2\n" + body, "s.toml:1:17: 'active-bodies' 2 is more than the 1 bodies of the scene"},
        {with("corner = [0.0, 0.0, 0.0]\n", "centred = true\ncorner = [0.0, 0.0, 0.0]\n"),
         "s.toml:4:10: a centred body takes no 'corner'"},
        {with("[2, 2, 2]", "[1048576, 0, 0]"),
         "s.toml:2:9: a body of 1048577 nodes takes the scene past the 1048576 nodes a scene file may have"},
        {"# caf\xc3\xa9\ntime-step = [1, \xcb\xa2]\n" + body,
         "s.toml:2:17: not TOML: a character that is not ASCII, outside a comment"},
        {"a = \"\"\"\\\n  \xcb\xa2\"\"\"\n", "s.toml:2:3: not TOML: a character that is not ASCII, outside a comment"},
        {"[[object]] # \xcb\xa2\nkind = \"sph\xc3\xa8re\"\n", "s.toml:2:12: not TOML: a character that is not ASCII, outside a comment"},
        {"mass = 4l4\"\\\x05"
         "b'o\xef\xb9\xbfur\n",
         "s.toml:1:17: not TOML: a character that is not ASCII, outside a comment"},
        {"\"a\\nb\\u001b[2J\" = 1\n",
         "s.toml:1:1: unknown key 'a\\nb\\x1b[2J' in the scene (expected time-step, "
         "active-bodies, object, body)"},
        {"active-bodies = t\n", "s.toml:1:18: not TOML: Error while parsing boolean: expected 'true', saw 't\\n'"},
        {"time-step = 0.005\nbody = [1, 2\n", "s.toml:2:14: not TOML: Error while parsing array: encountered end-of-file"},
    };
    for (const Case& c : cases) {
        const SceneFileResult result = parseSceneText(c.text, "s.toml");
        ASSERT_EQ(result.problems.size(), 1u) << c.text << (result.problems.empty() ? "" : result.problems[0]);
        EXPECT_EQ(result.problems[0], c.problem) << c.text;
    }
}

TEST(SceneFile, ReportsEveryProblemOfTheFileInItsOrder)
{
    const std::string text =
        "time-step = -0.005\n"
        "\n"
        "[[body]]\n"
        "cells = [3, 3, 3]\n"
        "corner = [0.0, 0.0, 0.0]\n"
        "spacing = 0.4\n"
        "stiffness = 600.0\n"
        "damping = 0.01\n"
        "mass = \"0.5\"\n"
        "colur = [1.0, 0.0, 0.0]\n";
    const SceneFileResult result = parseSceneText(text, "three.toml");
    const std::vector<std::string> expected = {
        "three.toml:1:13: 'time-step' must be a positive number, not -0.005",
        "three.toml:9:8: 'mass' must be a number, not a string",
        "three.toml:10:1: unknown key 'colur' in [[body]] (expected cells, corner, centred, spacing, stiffness, "
        "damping, mass, fixed, colour)",
    };
    EXPECT_EQ(result.problems, expected);
}

TEST(SceneFile, AFileThatCannotBeReadIsOneProblem)
{
    const SceneFileResult result = readSceneFile("/nonexistent/scene.toml");
    ASSERT_EQ(result.problems.size(), 1u);
    EXPECT_EQ(result.problems[0], "/nonexistent/scene.toml:1:1: cannot read the file (No such file or directory)");
    const SceneFileResult directory = readSceneFile("/");
    ASSERT_EQ(directory.problems.size(), 1u);
    EXPECT_EQ(directory.problems[0].rfind("/:1:1: cannot read the file (", 0), 0u) << directory.problems[0];
}

// A missing index of a fixed entry holds the whole lattice along its axis;
// single nodes and ranges hold exactly what they name.
TEST(SceneFile, FixedEntriesHoldNodesPlanesAndRows)
{
    const std::string text =
        "[[body]]\ncells = [4, 3, 2]\ncentred = true\nspacing = 1\nstiffness = 1\n"
        "damping = 0\nmass = 1\n"
        "[[body.fixed]]\nj = 3\n"
        "[[body.fixed]]\ni = 0\nj = 0\nk = [1, 2]\n";
    const SceneFileResult read = parseSceneText(text, "f.toml");
    ASSERT_TRUE(read.isValid()) << read.problems.front();
    auto world = quietly([&] { return new World(read.scene); });
    const SoftBody& body = *world->preparedBodies.at(0);
    int held = 0;
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 3; ++k) {
                const bool expected = j == 3 || (i == 0 && j == 0 && k >= 1);
                EXPECT_EQ(body.node(i, j, k)->fixed, expected) << i << "," << j << "," << k;
                held += body.node(i, j, k)->fixed;
            }
    EXPECT_EQ(held, 15 + 2);
}
