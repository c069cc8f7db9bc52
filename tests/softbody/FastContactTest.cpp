// The step's contact phase against MassPoint::respondToContact and the
// objects' own virtual operations (SoftBody::stepReference), bit for bit, in
// every instruction-set path this processor offers.
#include "geometry/Box.h"
#include "geometry/Plane.h"
#include "geometry/Sphere.h"
#include "softbody/SimdPath.h"
#include "softbody/SoftBody.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {
struct State {
    Vector3 position, velocity, push, contactForce;
};

// Returns the process to its default path when it goes out of scope.
struct PathGuard {
    ~PathGuard() { resetSimdPath(); }
};

// A row of unconnected-in-effect nodes (springs without stiffness or
// damping), one per state, so that each node's force is its push alone and
// the lanes of one vector hold different cases.
SoftBody bodyOf(const std::vector<State>& states, const std::vector<GenericObject*>& objects, bool glass)
{
    testing::internal::CaptureStderr();
    SoftBody body(int(states.size()) - 1, 0, 0, 0.0, 0.0, 0.0, 0.1, 0.0, 0.0, 0.5);
    testing::internal::GetCapturedStderr();
    body.setSceneObjects(&objects);
    body.enableGravity();
    body.glass = glass;
    for (size_t n = 0; n < states.size(); ++n) {
        MassPoint& point = body.nodes[n];
        point.position = states[n].position;
        point.velocity = states[n].velocity;
        point.externalForce = states[n].push;
        point.contactForce = states[n].contactForce;
    }
    return body;
}

// The same bits, component by component; except that where two NaNs meet in
// one operation IEEE leaves open which one comes out, and compilers order the
// operands as they like (the same scalar code gives different NaNs unoptimised
// and optimised), so there both must be NaN.
bool sameBits(const Vector3& a, const Vector3& b)
{
    const double x[3] = {a.x, a.y, a.z}, y[3] = {b.x, b.y, b.z};
    for (int c = 0; c < 3; ++c)
        if (std::memcmp(&x[c], &y[c], sizeof(double)) != 0 && !(std::isnan(x[c]) && std::isnan(y[c]))) return false;
    return true;
}

// Steps the states once in every path and once by the reference; returns
// how many nodes the contacts changed (a normal force, or a velocity other
// than free flight would give).
int expectEveryPathMatchesTheReference(const std::vector<State>& states, const std::vector<GenericObject*>& objects)
{
    PathGuard guard;
    int touched = 0;
    for (bool glass : {false, true}) {
        SoftBody reference = bodyOf(states, objects, glass);
        reference.computeSpringForces();
        reference.stepReference(0.005);
        for (SimdPath path : kSimdPaths) {
            if (!setSimdPath(path)) continue;
            SoftBody fast = bodyOf(states, objects, glass);
            fast.computeSpringForces();
            fast.step(0.005);
            for (size_t n = 0; n < states.size(); ++n) {
                const MassPoint &want = reference.nodes[n], &got = fast.nodes[n];
                const State& s = states[n];
                const auto where = [&] {
                    return testing::Message() << simdPathName(path) << (glass ? ", glass" : "") << ", node " << n
                                              << " at (" << s.position.x << "," << s.position.y << ","
                                              << s.position.z << ") v (" << s.velocity.x << "," << s.velocity.y
                                              << "," << s.velocity.z << ")";
                };
                EXPECT_TRUE(sameBits(want.force, got.force)) << where();
                EXPECT_TRUE(sameBits(want.velocity, got.velocity)) << where();
                EXPECT_TRUE(sameBits(want.contactForce, got.contactForce)) << where();
                EXPECT_TRUE(sameBits(want.position, got.position)) << where();
                EXPECT_TRUE(sameBits(want.acceleration, got.acceleration)) << where();
            }
        }
        if (!glass)
            for (size_t n = 0; n < states.size(); ++n) {
                const MassPoint& point = reference.nodes[n];
                const Vector3 force = states[n].push + Vector3(0, -MassPoint::kGravity * point.mass, 0);
                const Vector3 free = states[n].velocity + force / point.mass * 0.005;
                const Vector3 change = point.velocity - free;
                touched += point.contactForce != Vector3(0, 0, 0) || change.length() > 1e-9;
            }
    }
    return touched;
}
}  // namespace

TEST(FastContact, EachCaseGivesTheReferenceBits)
{
    // A table top whose upper face is at y = 0 and a ball overlapping its
    // +x edge; their margins are 0.1 and 0.05.
    Box top(Vector3(-1, -1, -1), 2, 1, 2);
    Sphere ball(Vector3(1.2, 0, 0), 0.5);
    const std::vector<GenericObject*> objects = {&top, &ball};
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Vector3 down(0, -4.9, 0), zero(0, 0, 0), held(0, 4.9, 0);
    const std::vector<State> cases = {
        {{0, -4, 0}, {0.01, 0, 0}, {0.5, 0, 0}, held},              // floor: sticks
        {{0, -4, 0}, {0.1, 0, 0}, {0.5, 0, 0}, held},               // floor: slides, kinetic friction
        {{0, -4, 0}, {0.01, 0, 0}, {0.5, 0, 0}, zero},              // no previous normal force: slides freely
        {{0, -4, 0}, zero, zero, zero},                             // weight only, nothing else
        {{0, -4, 0}, zero, {0, 4.9, 0}, zero},                      // force exactly zero: no unit vector
        {{0, -4, 0}, zero, {0, 0, 0}, {0, 4.9, 0}},                 // force plus normal force exactly zero
        {{0, -4, 0}, zero, {3, 0, 0}, zero},                        // slides with no tangential velocity
        {{0, -4.5, 0}, {0, 1, 0}, {0, 8, 0}, held},                 // below the floor, leaving it
        {{0, -4, 0}, {0, -1, 0}, {0, 4.9, -0.0}, zero},             // force along the surface, -0 into it
        {{4, -4, 0}, {1, -1, 0}, zero, zero},                       // corner: floor, then x-max wall
        {{-4, -4, -5}, {-1, -1, -1}, {-1, 0, -1}, held},            // three planes
        {{0, 0, 5}, {0, 0, 1}, zero, zero},                         // exactly on the far z wall
        {{0, 0, 4.99}, {0, 0, 1}, zero, zero},                      // just clear of it
        {{3.99, 0, -4.99}, {1, 0, -1}, zero, zero},                 // clear of both walls
        {{0, 10, 0}, {0, 1, 0}, zero, zero},                        // no ceiling
        {{0, 0, 0}, {0.01, -0.5, 0.01}, down, held},                // on the table top, exactly
        {{0.2, 0.1, 0.3}, {0, -0.3, 0}, down, held},                // at the top's margin, inclusive
        {{-1.1, -0.5, 0}, {-1, 0, 0}, down, zero},                  // on the -x margin, inclusive
        {{-1.1000001, -0.5, 0}, {-1, 0, 0}, down, zero},            // just outside it
        {{-0.5, -0.5, -0.5}, {0, 0, 0}, down, zero},                // equally near three faces: -y wins
        {{0.9, 0.0, 0}, {1, -1, 0}, down, held},                    // table top and ball at once
        {{1.2, 0, 0}, {0, -1, 0}, down, zero},                      // the ball's centre: zero normal
        {{1.2, 0.55, 0}, {0, -1, 0}, down, zero},                   // on the ball's contact radius
        {{nan, -4.5, 0}, {0, -1, 0}, down, zero},                   // undefined x still meets the floor
        {{0, -4, 0}, {0, -1e-300, 0}, {0, -1e-300, 1e-300}, held},  // tiny but not zero
    };
    EXPECT_GE(expectEveryPathMatchesTheReference(cases, objects), 12) << "most cases meet something";

    // An object of a kind the fast path does not look into is asked through
    // its own operations, between the others, in list order.
    Plane shelf(Vector3(0, 1, 0), -3.5);
    const std::vector<GenericObject*> withShelf = {&top, &shelf, &ball};
    EXPECT_GE(expectEveryPathMatchesTheReference(cases, withShelf), 12);

    // A slab that reaches to infinity, answered through Box's own normal, and
    // a corner where a node meets eleven things at once: the floor, the x-max
    // wall, the slab and a stack of eight boxes.
    Box slab(Vector3(-2, -4.3, -2), std::numeric_limits<double>::infinity(), 0.5, 4);
    std::vector<Box> stack;
    for (int i = 0; i < 8; ++i) stack.emplace_back(Vector3(3.5 - 0.05 * i, -4.5, -0.5), 1, 1 + 0.1 * i, 1);
    std::vector<GenericObject*> crowded = {&slab};
    for (Box& box : stack) crowded.push_back(&box);
    EXPECT_GE(expectEveryPathMatchesTheReference(cases, crowded), 12);
}

TEST(FastContact, ScatteredStatesGiveTheReferenceBits)
{
    // Thousands of nodes around the floor, the walls' corners, the table's
    // edges and the ball, in random order, so that neighbouring lanes have
    // different numbers of contacts.
    Box top(Vector3(-1, -1, -1), 2, 1, 2);
    Box leg(Vector3(-1, -4, -1), 0.3, 3, 0.3);
    Sphere ball(Vector3(1.2, 0, 0), 0.5);
    const std::vector<GenericObject*> objects = {&top, &leg, &ball};
    unsigned seed = 2024;
    auto random = [&seed](double low, double high) {
        seed = seed * 1103515245u + 12345u;
        return low + (high - low) * double(seed >> 8 & 0xffff) / 65535.0;
    };
    const Vector3 spots[] = {{0, -4, 0}, {4, -4, 5}, {-4, -4, -5}, {-1, 0, -1}, {1, 0, 1}, {-0.85, -2, -0.85}, {1.2, 0.5, 0}};
    std::vector<State> states;
    for (int n = 0; n < 3001; ++n) {
        const Vector3& spot = spots[n % 7 == 0 ? 0 : int(random(0, 6.999))];
        State s;
        s.position = spot + Vector3(random(-0.2, 0.2), random(-0.2, 0.2), random(-0.2, 0.2));
        s.velocity = Vector3(random(-0.05, 0.05), random(-1, 1), random(-0.05, 0.05));
        s.push = Vector3(random(-3, 3), random(-6, 3), random(-3, 3));
        s.contactForce = n % 3 == 0 ? Vector3(0, 0, 0) : Vector3(random(-1, 1), random(0, 6), random(-1, 1));
        if (n % 11 == 0) s.velocity = Vector3(0, 0, 0);
        if (n % 13 == 0) s.position.y = -4.0;
        states.push_back(s);
    }
    EXPECT_GT(expectEveryPathMatchesTheReference(states, objects), 1000);
}
