// Freezes the trajectories of every scene. Each scene runs with all its
// bodies active through a fixed script of pushes and kicks; a hash of the bit
// patterns of every node's position and velocity must match the value
// recorded in tests/data/trajectories.txt. Those values were recorded once,
// from the straightforward implementation, and never change: any rework of
// the simulation's storage or threading must reproduce them bit for bit.
//
// The scenes with several bodies are also frozen with contact between bodies
// switched on, in tests/data/contact_trajectories.txt, recorded once the
// contact phase was settled; they must keep their bits in every path and
// with each body's step split between two threads.
//
// To print the hashes of the current code instead of checking them, run the
// test with BLORP_PRINT_TRAJECTORIES=1 in the environment.
#include "softbody/SimdPath.h"
#include "softbody/SoftBody.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <tuple>

namespace {
constexpr int kSteps = 2000;

// 64-bit FNV-1a over raw bytes.
struct Fnv1a {
    std::uint64_t value = 14695981039346656037ull;
    void add(const void* data, size_t size)
    {
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; ++i) value = (value ^ bytes[i]) * 1099511628211ull;
    }
    void add(const Vector3& v)
    {
        const double components[3] = {v.x, v.y, v.z};
        add(components, sizeof components);
    }
};

// The user's actions, at fixed steps, touching every input path of the world.
void act(World& world, int step)
{
    switch (step) {
    case 100: world.pushSide(0); break;
    case 150:
        world.pushSide(0);
        world.pushSide(0);
        break;
    case 200: world.mousePush(2); break;
    case 300: world.kickCorner(Vector3(-10, 0, 0)); break;
    case 400: world.kickUp(); break;
    case 500: world.pushSide(3); break;
    case 650: world.mousePush(0); break;
    case 700: world.kickCorner(Vector3(10, 0, 0)); break;
    case 900: world.mousePush(1); break;
    case 1100: world.pushSide(5); break;
    case 1300:
        world.pushSide(4);
        world.pushSide(2);
        break;
    case 1500: world.kickUp(); break;
    case 1700: world.pushSide(1); break;
    default: break;
    }
}

std::uint64_t runScene(int scene, bool collides = false, bool twoThreads = false)
{
    testing::internal::CaptureStderr();
    World world(scene);
    testing::internal::GetCapturedStderr();
    while (world.activeBodies.size() < world.preparedBodies.size()) world.activateNextBody();
    world.collidesBodies = collides;
    if (twoThreads)
        for (SoftBody* body : world.activeBodies) body->parallelThreshold = 0;
    for (int s = 0; s < kSteps; ++s) {
        act(world, s);
        world.step();
    }
    Fnv1a hash;
    for (const SoftBody* body : world.activeBodies)
        for (int n = 0; n < body->nodeCount(); ++n) {
            hash.add(body->nodes[n].position);
            hash.add(body->nodes[n].velocity);
        }
    return hash.value;
}

std::map<int, std::string> recordedHashes(const char* file = "trajectories.txt")
{
    std::map<int, std::string> hashes;
    std::ifstream in(std::string(BLORP_TEST_DATA_DIR "/") + file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        const size_t space = line.find(' ');
        hashes[std::stoi(line.substr(0, space))] = line.substr(space + 1);
    }
    return hashes;
}

std::string hex(std::uint64_t value)
{
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

class Trajectory : public testing::TestWithParam<int> {};
class ContactTrajectory : public testing::TestWithParam<std::tuple<int, SimdPath>> {};
// The scenes with more than one body, where contact between bodies acts.
constexpr int kContactScenes[] = {0, 2, 7, 8};
class TrajectoryInEveryPath : public testing::TestWithParam<std::tuple<int, SimdPath>> {};
}  // namespace

TEST_P(Trajectory, MatchesTheRecordedBits)
{
    const int scene = GetParam();
    const std::string actual = hex(runScene(scene));
    if (std::getenv("BLORP_PRINT_TRAJECTORIES")) std::cout << scene << " " << actual << "\n";
    const std::map<int, std::string> recorded = recordedHashes();
    ASSERT_TRUE(recorded.count(scene)) << "no recorded hash for scene " << scene;
    EXPECT_EQ(actual, recorded.at(scene)) << "scene " << scene << " no longer follows its recorded trajectory";
}

INSTANTIATE_TEST_SUITE_P(EveryScene, Trajectory, testing::Range(0, 13));

// The same frozen bits from every instruction-set path, each chosen in turn
// the way BLORP_SIMD chooses it; the paths this processor lacks are skipped.
TEST_P(TrajectoryInEveryPath, MatchesTheRecordedBits)
{
    const int scene = std::get<0>(GetParam());
    const SimdPath path = std::get<1>(GetParam());
    if (!simdPathAvailable(path))
        GTEST_SKIP() << "this processor cannot run the " << simdPathName(path) << " path";
#ifdef BLORP_SANITIZED_BUILD
    // The two large sheets take minutes per path under the sanitizers; the
    // smaller scenes run the same passes, contacts and tails of every path,
    // and the optimised build checks the sheets' bits in every path.
    if (scene == 1 || scene == 9) GTEST_SKIP() << "the large sheets' paths are checked in the optimised build";
#endif
    ASSERT_TRUE(setSimdPath(path));
    const std::string actual = hex(runScene(scene));
    resetSimdPath();
    const std::map<int, std::string> recorded = recordedHashes();
    ASSERT_TRUE(recorded.count(scene)) << "no recorded hash for scene " << scene;
    EXPECT_EQ(actual, recorded.at(scene)) << "scene " << scene << " leaves its recorded trajectory in the "
                                          << simdPathName(path) << " path";
}

INSTANTIATE_TEST_SUITE_P(
    EveryScene, TrajectoryInEveryPath,
    testing::Combine(testing::Range(0, 13),
                     testing::ValuesIn(kSimdPaths)),
    [](const testing::TestParamInfo<std::tuple<int, SimdPath>>& info) {
        return "scene" + std::to_string(std::get<0>(info.param)) + "_" + simdPathName(std::get<1>(info.param));
    });

// With contact between bodies: the same frozen bits from every path, and
// from the two-thread split of each body's step on the startup path.
TEST_P(ContactTrajectory, MatchesTheRecordedBits)
{
    const int scene = std::get<0>(GetParam());
    const SimdPath path = std::get<1>(GetParam());
    if (!simdPathAvailable(path))
        GTEST_SKIP() << "this processor cannot run the " << simdPathName(path) << " path";
#ifdef BLORP_SANITIZED_BUILD
    // Each scene is stepped three times here, which under the sanitizers takes
    // tens of seconds a path; one scene runs the whole contact phase, and the
    // optimised build checks the bits of the others.
    if (scene != kContactScenes[1]) GTEST_SKIP() << "the other contact scenes are checked in the optimised build";
#endif
    ASSERT_TRUE(setSimdPath(path));
    const std::string actual = hex(runScene(scene, true));
    const std::string split = hex(runScene(scene, true, true));
    resetSimdPath();
    if (std::getenv("BLORP_PRINT_TRAJECTORIES")) std::cout << scene << " " << actual << "\n";
    const std::map<int, std::string> recorded = recordedHashes("contact_trajectories.txt");
    ASSERT_TRUE(recorded.count(scene)) << "no recorded hash for scene " << scene;
    EXPECT_EQ(actual, recorded.at(scene)) << "scene " << scene << " with contact leaves its recorded trajectory in the "
                                          << simdPathName(path) << " path";
    EXPECT_EQ(split, actual) << "scene " << scene << " with contact, on two threads, in the " << simdPathName(path)
                             << " path";
    EXPECT_NE(actual, hex(runScene(scene))) << "contact changes nothing in scene " << scene;
}

INSTANTIATE_TEST_SUITE_P(
    ContactScenes, ContactTrajectory,
    testing::Combine(testing::ValuesIn(kContactScenes), testing::ValuesIn(kSimdPaths)),
    [](const testing::TestParamInfo<std::tuple<int, SimdPath>>& info) {
        return "scene" + std::to_string(std::get<0>(info.param)) + "_" + simdPathName(std::get<1>(info.param));
    });
