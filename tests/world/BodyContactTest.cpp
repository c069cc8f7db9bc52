// Contact between soft bodies, seen from the outside: bodies dropped on each
// other, thrown at each other, the catalogue's crowded scene, and what its
// steps ask of the heap.
#include "softbody/SoftBody.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

namespace {
struct QuietStderr {
    QuietStderr() { testing::internal::CaptureStderr(); }
    ~QuietStderr() { testing::internal::GetCapturedStderr(); }
};

// A world with no scene objects and the given bodies, all active, as the
// world prepares its own (gravity as asked).
struct TestWorld {
    std::unique_ptr<World> world;
    std::vector<std::unique_ptr<SoftBody>> bodies;

    explicit TestWorld(bool gravity)
    {
        QuietStderr quiet;
        world = std::make_unique<World>(6);
        gravityOn = gravity;
    }
    SoftBody& add(int cx, int cy, int cz, Vector3 corner, double spacing, double damping, double mass)
    {
        QuietStderr quiet;
        bodies.push_back(std::make_unique<SoftBody>(cx, cy, cz, corner.x, corner.y, corner.z, spacing, 600.0,
                                                    damping, mass));
        SoftBody& body = *bodies.back();
        body.colourIndex = int(bodies.size()) - 1;
        if (gravityOn) body.enableGravity();
        body.setSceneObjects(&world->objects);
        world->preparedBodies.push_back(&body);
        world->activateNextBody();
        return body;
    }
    bool gravityOn = true;
};

// Independent of the contact code: whether p lies inside a solid lattice
// (inside one of its cells, each cut into six tetrahedra about its main
// diagonal) and, if so, how far it is from the lattice's outer surface (the
// six sides, each quad cut into two triangles).
class LatticeSolid {
public:
    explicit LatticeSolid(const SoftBody& body) : body_(body) {}

    double depth(const Vector3& p) const
    {
        if (!inside(p)) return 0.0;
        double best = 1e300;
        forEachSideTriangle([&](const Vector3& a, const Vector3& b, const Vector3& c) {
            best = std::min(best, distanceToTriangle(p, a, b, c));
        });
        return best;
    }

private:
    Vector3 at(int i, int j, int k) const { return body_.node(i, j, k)->position; }

    bool inside(const Vector3& p) const
    {
        // The six tetrahedra of a cell, as paths from corner 000 to 111.
        static const int kPaths[6][2][3] = {{{1, 0, 0}, {1, 1, 0}}, {{1, 0, 0}, {1, 0, 1}}, {{0, 1, 0}, {1, 1, 0}}, {{0, 1, 0}, {0, 1, 1}}, {{0, 0, 1}, {1, 0, 1}}, {{0, 0, 1}, {0, 1, 1}}};
        for (int i = 0; i + 1 < body_.nodesX; ++i)
            for (int j = 0; j + 1 < body_.nodesY; ++j)
                for (int k = 0; k + 1 < body_.nodesZ; ++k)
                    for (const auto& path : kPaths) {
                        const Vector3 a = at(i, j, k), d = at(i + 1, j + 1, k + 1);
                        const Vector3 b = at(i + path[0][0], j + path[0][1], k + path[0][2]);
                        const Vector3 c = at(i + path[1][0], j + path[1][1], k + path[1][2]);
                        if (inTetrahedron(p, a, b, c, d)) return true;
                    }
        return false;
    }

    static double volume(const Vector3& a, const Vector3& b, const Vector3& c, const Vector3& d)
    {
        return (b - a).cross(c - a).dot(d - a);
    }

    static bool inTetrahedron(const Vector3& p, const Vector3& a, const Vector3& b, const Vector3& c, const Vector3& d)
    {
        const double whole = volume(a, b, c, d);
        const double parts[4] = {volume(p, b, c, d), volume(a, p, c, d), volume(a, b, p, d), volume(a, b, c, p)};
        for (double part : parts)
            if (part * whole < 0.0) return false;
        return whole != 0.0;
    }

    template <class Visit>
    void forEachSideTriangle(Visit visit) const
    {
        const int NX = body_.nodesX, NY = body_.nodesY, NZ = body_.nodesZ;
        auto quad = [&](const Vector3& a, const Vector3& b, const Vector3& c, const Vector3& d) {
            visit(a, b, c);
            visit(a, c, d);
        };
        for (int side : {0, NX - 1})
            for (int j = 0; j + 1 < NY; ++j)
                for (int k = 0; k + 1 < NZ; ++k)
                    quad(at(side, j, k), at(side, j + 1, k), at(side, j + 1, k + 1), at(side, j, k + 1));
        for (int side : {0, NY - 1})
            for (int i = 0; i + 1 < NX; ++i)
                for (int k = 0; k + 1 < NZ; ++k)
                    quad(at(i, side, k), at(i + 1, side, k), at(i + 1, side, k + 1), at(i, side, k + 1));
        for (int side : {0, NZ - 1})
            for (int i = 0; i + 1 < NX; ++i)
                for (int j = 0; j + 1 < NY; ++j)
                    quad(at(i, j, side), at(i + 1, j, side), at(i + 1, j + 1, side), at(i, j + 1, side));
    }

    // Closest point on a triangle by its Voronoi regions.
    static double distanceToTriangle(const Vector3& p, const Vector3& a, const Vector3& b, const Vector3& c)
    {
        const Vector3 ab = b - a, ac = c - a, ap = p - a;
        const double d1 = ab.dot(ap), d2 = ac.dot(ap);
        if (d1 <= 0 && d2 <= 0) return (p - a).length();
        const Vector3 bp = p - b;
        const double d3 = ab.dot(bp), d4 = ac.dot(bp);
        if (d3 >= 0 && d4 <= d3) return (p - b).length();
        const double vc = d1 * d4 - d3 * d2;
        if (vc <= 0 && d1 >= 0 && d3 <= 0) return (p - (a + ab * (d1 / (d1 - d3)))).length();
        const Vector3 cp = p - c;
        const double d5 = ab.dot(cp), d6 = ac.dot(cp);
        if (d6 >= 0 && d5 <= d6) return (p - c).length();
        const double vb = d5 * d2 - d1 * d6;
        if (vb <= 0 && d2 >= 0 && d6 <= 0) return (p - (a + ac * (d2 / (d2 - d6)))).length();
        const double va = d3 * d6 - d5 * d4;
        if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0)
            return (p - (b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6))))).length();
        const double denominator = 1.0 / (va + vb + vc);
        return (p - (a + ab * (vb * denominator) + ac * (vc * denominator))).length();
    }

    const SoftBody& body_;
};

double lowestY(const SoftBody& body)
{
    double y = 1e300;
    for (int n = 0; n < body.nodeCount(); ++n) y = std::min(y, body.nodeArray()[n].position.y);
    return y;
}

double highestY(const SoftBody& body)
{
    double y = -1e300;
    for (int n = 0; n < body.nodeCount(); ++n) y = std::max(y, body.nodeArray()[n].position.y);
    return y;
}

// The velocity of the body's centre of mass.
Vector3 centreVelocity(const SoftBody& body)
{
    Vector3 p(0.0, 0.0, 0.0);
    double mass = 0.0;
    for (int n = 0; n < body.nodeCount(); ++n) {
        p += body.nodeArray()[n].velocity * body.nodeArray()[n].mass;
        mass += body.nodeArray()[n].mass;
    }
    return p / mass;
}

Vector3 momentum(const std::vector<std::unique_ptr<SoftBody>>& bodies)
{
    Vector3 p(0.0, 0.0, 0.0);
    for (const auto& body : bodies)
        for (int n = 0; n < body->nodeCount(); ++n) p += body->nodeArray()[n].velocity * body->nodeArray()[n].mass;
    return p;
}

// Kinetic energy of every node and elastic energy of every spring.
double energy(const std::vector<std::unique_ptr<SoftBody>>& bodies)
{
    double e = 0.0;
    for (const auto& body : bodies) {
        for (int n = 0; n < body->nodeCount(); ++n) {
            const MassPoint& point = body->nodeArray()[n];
            e += 0.5 * point.mass * point.velocity.dot(point.velocity);
        }
        for (int s = 0; s < body->springCount(); ++s) {
            const Spring& spring = body->springArray()[s];
            const double stretch = (spring.pointB->position - spring.pointA->position).length() - spring.restLength;
            e += 0.5 * spring.ks * stretch * stretch;
        }
    }
    return e;
}
}  // namespace

TEST(BodyContact, BlocksDroppedOnEachOtherComeToRestStacked)
{
    // A block dropped from a metre above a wider one resting on the floor,
    // a little off its middle; and the same without contact.
    double upperLowest[2], lowerHighest[2];
    for (bool collides : {true, false}) {
        TestWorld scene(true);
        SoftBody& lower = scene.add(6, 3, 6, Vector3(-0.9, -3.95, -0.9), 0.3, 0.01, 0.5);
        SoftBody& upper = scene.add(3, 3, 3, Vector3(-0.5, -2.0, -0.55), 0.4, 0.01, 0.5);
        scene.world->collidesBodies = collides;
        double peakUpper = 0.0, peakLower = 0.0;
        for (int s = 0; s < 4000; ++s) {
            scene.world->step();
            peakUpper = std::max(peakUpper, centreVelocity(upper).length());
            peakLower = std::max(peakLower, centreVelocity(lower).length());
        }
        upperLowest[collides] = lowestY(upper);
        lowerHighest[collides] = highestY(lower);
        if (!collides) continue;
        EXPECT_GT(lowestY(lower), -4.0 - 0.03) << "the lower block sank into the floor";
        // Resting: both have lost nearly all the speed of the impact.
        EXPECT_LT(centreVelocity(upper).length(), 0.05 * peakUpper) << "peak " << peakUpper;
        EXPECT_LT(centreVelocity(lower).length(), 0.05 * peakLower) << "peak " << peakLower;
        EXPECT_GT(peakLower, 0.1) << "the upper block never hit the lower one";
    }
    EXPECT_GT(upperLowest[true], lowerHighest[true] - 0.1 * 0.3) << "the upper block sank into the lower one";
    EXPECT_LT(upperLowest[false], lowerHighest[false] - 0.3) << "without contact the block falls through";
}

TEST(BodyContact, BodiesMeetingInTheAirKeepMomentumAndLoseEnergy)
{
    TestWorld scene(false);
    // Springs without damping, which would brake each node on its own and
    // so change the momentum.
    SoftBody& thrown = scene.add(2, 2, 2, Vector3(-1.0, 0.0, -0.3), 0.3, 0.0, 0.5);
    SoftBody& target = scene.add(3, 3, 3, Vector3(-0.2, 0.15, -0.5), 0.3, 0.0, 0.3);
    for (int n = 0; n < thrown.nodeCount(); ++n) thrown.nodeArray()[n].velocity = Vector3(1.5, 0.2, 0.1);
    for (int n = 0; n < target.nodeCount(); ++n) target.nodeArray()[n].velocity = Vector3(-0.3, 0.0, 0.0);
    scene.world->collidesBodies = true;

    const Vector3 before = momentum(scene.bodies);
    const double start = energy(scene.bodies);
    int contactSteps = 0;
    for (int s = 0; s < 300; ++s) {
        scene.world->step();
        contactSteps += scene.world->bodyContacts > 0;
        // Rounding alone moves the sum in its last digits.
        ASSERT_LE(energy(scene.bodies), start * (1.0 + 1e-12)) << "energy rose at step " << s;
    }
    EXPECT_GT(contactSteps, 0) << "the bodies never met";
    const Vector3 after = momentum(scene.bodies);
    EXPECT_LE((after - before).length(), 1e-9 * before.length())
        << "momentum before " << before.x << "," << before.y << "," << before.z << " after " << after.x << ","
        << after.y << "," << after.z;
    // They bounced: the thrown block no longer moves into the target.
    double thrownX = 0.0;
    for (int n = 0; n < thrown.nodeCount(); ++n) thrownX += thrown.nodeArray()[n].velocity.x;
    EXPECT_LT(thrownX / thrown.nodeCount(), 1.5 - 0.5);
}

namespace {
// Scene 7 with all five bodies active, which start inside each other and
// are in contact for their first few hundred steps.
std::unique_ptr<World> crowdedScene(bool collides)
{
    std::unique_ptr<World> world;
    {
        QuietStderr quiet;
        world = std::make_unique<World>(7);
    }
    while (world->activeBodies.size() < world->preparedBodies.size()) world->activateNextBody();
    EXPECT_EQ(world->activeBodies.size(), 5u);
    world->collidesBodies = collides;
    return world;
}

// The crowded scene after 2,000 steps: the deepest any node lies inside
// another body, and the smallest spacing of the five.
std::pair<double, double> crowdedSceneDeepestNode(bool collides)
{
    std::unique_ptr<World> world = crowdedScene(collides);
    for (int s = 0; s < 2000; ++s) world->step();

    double smallest = 1e300, deepest = 0.0;
    for (const SoftBody* body : world->activeBodies) smallest = std::min(smallest, body->spacing);
    for (size_t a = 0; a < world->activeBodies.size(); ++a)
        for (size_t b = 0; b < world->activeBodies.size(); ++b) {
            if (a == b) continue;
            const SoftBody& nodes = *world->activeBodies[a];
            const LatticeSolid solid(*world->activeBodies[b]);
            for (int n = 0; n < nodes.nodeCount(); ++n) {
                const double depth = solid.depth(nodes.nodeArray()[n].position);
                EXPECT_TRUE(!collides || depth <= 0.1 * smallest)
                    << "node " << n << " of body " << a << " lies " << depth << " inside body " << b;
                deepest = std::max(deepest, depth);
            }
        }
    return {deepest, smallest};
}
}  // namespace

TEST(BodyContact, CrowdedSceneLeavesNoNodeInsideAnotherBody)
{
    const auto [deepest, smallest] = crowdedSceneDeepestNode(true);
    EXPECT_LE(deepest, 0.1 * smallest);
    // The same scene without contact has bodies well inside each other.
    EXPECT_GT(crowdedSceneDeepestNode(false).first, smallest);
}

namespace {
std::atomic<long> allocations{0};

// Each step's allocations in the crowded scene, and the contacts answered.
std::pair<std::vector<long>, long> allocationsOfSteps(bool collides, int steps)
{
    std::unique_ptr<World> world = crowdedScene(collides);
    std::vector<long> counts;
    long contacts = 0;
    for (int s = 0; s < steps; ++s) {
        const long before = allocations.load();
        world->step();
        counts.push_back(allocations.load() - before);
        contacts += world->bodyContacts;
    }
    return {counts, contacts};
}
}  // namespace

// Every allocation of this test program is counted.
void* operator new(std::size_t size)
{
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

TEST(BodyContactTables, StepsWithContactAllocateOnlyToGrowPastTheirLargest)
{
    // The phase keeps its tables from step to step: the first step sets
    // them up, and a few later ones grow them as the five spread apart; a
    // table made or grown at every step would show in every step.
    constexpr int kSteps = 400;
    const auto [with, contacts] = allocationsOfSteps(true, kSteps);
    const auto [without, none] = allocationsOfSteps(false, kSteps);
    EXPECT_GT(contacts, 0) << "the bodies must meet for the test to tell anything";
    EXPECT_EQ(none, 0);
    int growing = 0;
    for (int s = 1; s < kSteps; ++s) growing += with[size_t(s)] > without[size_t(s)];
    EXPECT_LE(growing, kSteps / 10) << "steps that allocate more with contact than without";
}
