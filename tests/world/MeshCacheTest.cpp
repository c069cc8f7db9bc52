#include "softbody/SoftBody.h"
#include "world/MeshCache.h"
#include "world/SurfaceMesh.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace {
std::unique_ptr<SoftBody> quietBody(int cx, int cy, int cz)
{
    testing::internal::CaptureStderr();
    auto body = std::make_unique<SoftBody>(cx, cy, cz, 0.0, 0.0, 0.0, 0.5, 700.0, 1.0, 0.3);
    testing::internal::GetCapturedStderr();
    return body;
}

World quietWorld(int scene)
{
    testing::internal::CaptureStderr();
    World world(scene);
    testing::internal::GetCapturedStderr();
    return world;
}

struct TempDir {
    std::string path;
    TempDir()
    {
        char name[] = "/tmp/blorp-meshcache-XXXXXX";
        path = ::mkdtemp(name);
    }
    ~TempDir() { std::system(("rm -rf '" + path + "'").c_str()); }
};

std::vector<unsigned char> bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

std::int32_t int32At(const std::vector<unsigned char>& b, size_t at)
{
    return std::int32_t(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24);
}

float floatAt(const std::vector<unsigned char>& b, size_t at)
{
    const std::uint32_t bits = std::uint32_t(int32At(b, at));
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }
}  // namespace

TEST(SurfaceMesh, CoversEverySideOnceFacingOutward)
{
    struct Case {
        int cx, cy, cz;
        size_t quads;
    };
    // Sides one node thin are left out; a single node layer keeps one of its
    // two coincident sides.
    const Case cases[] = {{3, 3, 3, 54}, {6, 3, 6, 144}, {6, 1, 1, 26}, {24, 0, 24, 576}, {3, 2, 0, 6}, {6, 0, 0, 0}};
    for (const Case& c : cases) {
        const std::string what = std::to_string(c.cx) + "x" + std::to_string(c.cy) + "x" + std::to_string(c.cz);
        const auto body = quietBody(c.cx, c.cy, c.cz);
        const SurfaceMesh mesh = surfaceMesh(*body);
        EXPECT_EQ(mesh.quads.size(), c.quads) << what;
        EXPECT_EQ(mesh.isEmpty(), c.quads == 0) << what;
        for (size_t v = 1; v < mesh.nodes.size(); ++v) EXPECT_LT(mesh.nodes[v - 1], mesh.nodes[v]) << what;

        const std::vector<Vector3> positions = vertexPositions(mesh, *body);
        Vector3 centre(0.0, 0.0, 0.0);
        for (int n = 0; n < body->nodeCount(); ++n) centre += body->nodeArray()[n].position;
        centre = centre * (1.0 / body->nodeCount());
        std::set<std::set<int>> seen;
        std::vector<bool> isUsed(mesh.nodes.size(), false);
        for (const SurfaceMesh::Quad& quad : mesh.quads) {
            EXPECT_TRUE(seen.insert(std::set<int>(quad.corners.begin(), quad.corners.end())).second)
                << what << ": a quad twice";
            const Vector3& a = positions[size_t(quad.corners[0])];
            const Vector3& b = positions[size_t(quad.corners[1])];
            const Vector3& cc = positions[size_t(quad.corners[2])];
            const Vector3& d = positions[size_t(quad.corners[3])];
            const Vector3 normal = (cc - a).cross(d - b);
            const Vector3 middle = (a + b + cc + d) * 0.25;
            // A flat body's one sheet faces down the thin axis.
            if (c.cy == 0 || c.cz == 0)
                EXPECT_LT((c.cy == 0 ? normal.y : normal.z), 0.0) << what;
            else
                EXPECT_GT(normal.dot(middle - centre), 0.0) << what << ": a quad facing in";
            for (int corner : quad.corners) isUsed[size_t(corner)] = true;
        }
        for (size_t v = 0; v < isUsed.size(); ++v) EXPECT_TRUE(isUsed[v]) << what << ": vertex " << v << " unused";
        // On a closed surface every vertex normal points away from the centre.
        if (c.cy > 1 && c.cz > 1) {
            const std::vector<Vector3> normals = vertexNormals(mesh, positions);
            for (size_t v = 0; v < normals.size(); ++v) {
                EXPECT_NEAR(normals[v].length(), 1.0, 1e-12) << what;
                EXPECT_GT(normals[v].dot(positions[v] - centre), 0.0) << what << ": vertex " << v;
            }
        }
    }
}

TEST(SurfaceMesh, BottomSideCarriesTheRibTextureCorners)
{
    const auto body = quietBody(3, 2, 6);
    const SurfaceMesh mesh = surfaceMesh(*body);
    auto vertexAt = [&](int i, int j, int k) {
        const int node = (i * body->nodesY + j) * body->nodesZ + k;
        for (size_t v = 0; v < mesh.nodes.size(); ++v)
            if (mesh.nodes[v] == node) return v;
        ADD_FAILURE() << "node " << i << "," << j << "," << k << " is no vertex";
        return size_t(0);
    };
    const std::array<float, 2> expected[4] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    const size_t corners[4] = {vertexAt(0, 0, 0), vertexAt(3, 0, 0), vertexAt(0, 0, 6), vertexAt(3, 0, 6)};
    for (int c = 0; c < 4; ++c) EXPECT_EQ(mesh.st[corners[c]], expected[c]) << "corner " << c;
    EXPECT_EQ(mesh.st[vertexAt(1, 0, 3)], (std::array<float, 2>{1.0f / 3.0f, 0.5f}));
    size_t bottom = 0;
    for (const SurfaceMesh::Quad& quad : mesh.quads) {
        bool isOnBottom = true;
        for (int corner : quad.corners) isOnBottom = isOnBottom && body->nodeArray()[mesh.nodes[size_t(corner)]].position.y == 0.0;
        EXPECT_EQ(quad.isBottom, isOnBottom);
        bottom += quad.isBottom;
    }
    EXPECT_EQ(bottom, 3u * 6u);
}

TEST(MeshCache, WritesEveryEighthStepAndCountsEachBodysSamples)
{
    TempDir dir;
    World world = quietWorld(7);  // one of its five bodies active
    MeshCache cache(dir.path + "/cache");
    ASSERT_TRUE(cache.open()) << cache.failure();
    auto calls = [&](int n) {
        for (int c = 0; c < n; ++c) cache.record(world);
    };
    auto header = [&](int body) { return bytes(dir.path + "/cache/body-" + std::to_string(body) + ".pc2"); };

    calls(1);
    EXPECT_TRUE(exists(dir.path + "/cache/blorp.0000.obj"));
    std::vector<unsigned char> pc2 = header(1);
    ASSERT_GE(pc2.size(), 32u);
    EXPECT_EQ(std::memcmp(pc2.data(), "POINTCACHE2\0", 12), 0);
    EXPECT_EQ(int32At(pc2, 12), 1);
    const std::int32_t points = int32At(pc2, 16);
    EXPECT_EQ(points, std::int32_t(surfaceMesh(*world.activeBodies[0]).nodes.size()));
    EXPECT_EQ(floatAt(pc2, 20), 0.0f);
    EXPECT_EQ(floatAt(pc2, 24), 1.0f);
    EXPECT_EQ(int32At(pc2, 28), 1) << "the header counts a sample as soon as it is written";
    EXPECT_EQ(pc2.size(), 32u + size_t(points) * 12u);
    // The sample is the body's positions, through float.
    const Vector3 first = world.activeBodies[0]->nodeArray()[0].position;
    EXPECT_EQ(floatAt(pc2, 32), float(first.x));
    EXPECT_EQ(floatAt(pc2, 36), float(first.y));
    EXPECT_EQ(floatAt(pc2, 40), float(first.z));

    calls(7);
    EXPECT_FALSE(exists(dir.path + "/cache/blorp.0001.obj"));
    EXPECT_EQ(int32At(header(1), 28), 1);
    calls(1);
    EXPECT_TRUE(exists(dir.path + "/cache/blorp.0001.obj"));
    EXPECT_EQ(int32At(header(1), 28), 2);

    // A body dropped in later starts its cache at the frame it appears in.
    testing::internal::CaptureStderr();
    world.activateNextBody();
    testing::internal::GetCapturedStderr();
    calls(8);
    EXPECT_EQ(int32At(header(1), 28), 3);
    pc2 = header(2);
    ASSERT_GE(pc2.size(), 32u);
    EXPECT_EQ(floatAt(pc2, 20), 2.0f);
    EXPECT_EQ(int32At(pc2, 28), 1);

    // Another world's bodies are new bodies: body 3 on, their caches from
    // the frame they appear in, the earlier ones left as they are.
    cache.startWorld();
    World next = quietWorld(12);
    for (int c = 0; c < 8; ++c) cache.record(next);
    EXPECT_FALSE(exists(dir.path + "/cache/body-4.pc2"));
    pc2 = header(3);
    ASSERT_GE(pc2.size(), 32u);
    EXPECT_EQ(floatAt(pc2, 20), 3.0f);
    EXPECT_EQ(int32At(header(1), 28), 3);
    EXPECT_EQ(cache.framesWritten(), 4);
    cache.finish();
    EXPECT_FALSE(cache.hasFailed()) << cache.failure();

    // The frame files hold the active bodies and the scene objects.
    std::ifstream frame(dir.path + "/cache/blorp.0002.obj");
    std::string text((std::istreambuf_iterator<char>(frame)), {});
    for (const char* object : {"\no body-1\n", "\no body-2\n", "\no sphere-1\n"})
        EXPECT_NE(text.find(object), std::string::npos) << object;
}

TEST(MeshCache, StopsAtTheFirstFailureNamingTheFileAndTheReason)
{
    TempDir dir;
    World world = quietWorld(12);
    MeshCache notADirectory("/dev/null");
    EXPECT_FALSE(notADirectory.open());
    EXPECT_EQ(notADirectory.failure(), "cannot write into /dev/null: Not a directory");

    const std::string root = dir.path + "/gone";
    MeshCache cache(root);
    ASSERT_TRUE(cache.open());
    ASSERT_EQ(::rmdir(root.c_str()), 0);
    cache.record(world);
    EXPECT_TRUE(cache.hasFailed());
    EXPECT_EQ(cache.failure(), "cannot write " + root + "/body-1.obj: No such file or directory");
    // Nothing more is tried: a directory that comes back gets nothing.
    ASSERT_EQ(::mkdir(root.c_str(), 0777), 0);
    for (int c = 0; c < 9; ++c) cache.record(world);
    EXPECT_FALSE(exists(root + "/blorp.0001.obj"));
    EXPECT_EQ(cache.failure(), "cannot write " + root + "/body-1.obj: No such file or directory");
    EXPECT_EQ(cache.framesWritten(), 0);
}
