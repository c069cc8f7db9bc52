// Whole bodies stepped through the room and against scene objects, checked
// by their end state.
#include "geometry/Sphere.h"
#include "softbody/SoftBody.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {
constexpr double kDt = 0.005;

struct Extent {
    Vector3 low{1e300, 1e300, 1e300}, high{-1e300, -1e300, -1e300};
    Vector3 meanVelocity{0, 0, 0};
    double maxSpeed = 0;
};

Extent measure(const SoftBody& body)
{
    Extent e;
    for (int n = 0; n < body.nodeCount(); ++n) {
        const MassPoint& p = body.nodes[n];
        e.low = Vector3(std::min(e.low.x, p.position.x), std::min(e.low.y, p.position.y), std::min(e.low.z, p.position.z));
        e.high = Vector3(std::max(e.high.x, p.position.x), std::max(e.high.y, p.position.y), std::max(e.high.z, p.position.z));
        e.meanVelocity += p.velocity / body.nodeCount();
        e.maxSpeed = std::max(e.maxSpeed, p.velocity.length());
    }
    return e;
}

void advance(SoftBody& body)
{
    body.computeSpringForces();
    body.step(kDt);
}

// The default scene's body: 3 × 2 × 2 cells of spacing 1, centred on the origin.
SoftBody defaultBody(const std::vector<GenericObject*>* objects)
{
    testing::internal::CaptureStderr();
    SoftBody body(3, 2, 2, 1.0, 700, 0.01, 0.3);
    testing::internal::GetCapturedStderr();
    body.enableGravity();
    body.setSceneObjects(objects);
    return body;
}
}  // namespace

TEST(Scenario, GlassBodyFallsHitsTheFloorAndBounces)
{
    const std::vector<GenericObject*> none;
    SoftBody body = defaultBody(&none);
    ASSERT_TRUE(body.glass);
    int firstContact = -1;
    double highestAfterContact = -1e300;
    double lowest = 1e300;
    for (int s = 0; s < 1500; ++s) {
        advance(body);
        const Extent e = measure(body);
        lowest = std::min(lowest, e.low.y);
        if (firstContact < 0 && e.low.y <= -4.0) firstContact = s;
        if (firstContact >= 0 && s > firstContact + 20) highestAfterContact = std::max(highestAfterContact, e.meanVelocity.y);
    }
    // Free fall of 3 units under 9.8 takes about 0.78 s, i.e. about 156 steps.
    EXPECT_GE(firstContact, 140);
    EXPECT_LE(firstContact, 170);
    EXPECT_GT(highestAfterContact, 1.0) << "the elastic contacts send the body back up";
    EXPECT_GT(lowest, -4.6) << "the floor holds the body";
    const Extent end = measure(body);
    EXPECT_GT(end.low.y, -4.6);
    EXPECT_LT(end.high.x, 4.0);
    EXPECT_GT(end.low.x, -4.0);
}

TEST(Scenario, SheetDropsOntoASphereDrapesAndRests)
{
    Sphere sphere({0, -1.5, 0}, 1.0);
    const std::vector<GenericObject*> objects = {&sphere};
    testing::internal::CaptureStderr();
    SoftBody sheet(24, 0, 24, 0.15, 600, 0.5, 1.0);
    testing::internal::GetCapturedStderr();
    sheet.enableGravity();
    sheet.setSceneObjects(&objects);

    double deepest = 1e300;  // smallest distance of any node from the centre
    Vector3 middleBefore(0, 0, 0);
    for (int s = 0; s < 3000; ++s) {
        if (s == 2500) middleBefore = sheet.node(12, 0, 12)->position;
        advance(sheet);
        for (int n = 0; n < sheet.nodeCount(); ++n)
            deepest = std::min(deepest, std::sqrt(sheet.nodes[n].position.distanceSquared(sphere.position)));
    }
    const Extent end = measure(sheet);
    const MassPoint& middle = *sheet.node(12, 0, 12);
    const MassPoint& corner = *sheet.node(0, 0, 0);
    EXPECT_GT(deepest, 0.95) << "no node passes into the sphere";
    EXPECT_NEAR(middle.position.y, -1.5 + 1.05, 0.02) << "the middle rests on top of the sphere";
    EXPECT_LT(corner.position.y, -3.0) << "the edges hang down: the sheet drapes";
    EXPECT_GT(end.low.y, -4.0 - 0.15) << "the hanging edges stop at the floor";
    // Points touching the sphere chatter in place (their velocity into the
    // surface is removed every step), so rest is judged by the sheet as a whole.
    EXPECT_LT(end.meanVelocity.length(), 0.02) << "the sheet has come to rest";
    EXPECT_LT(std::sqrt(middle.position.distanceSquared(middleBefore)), 0.02) << "the middle no longer moves";
    EXPECT_NEAR(middle.position.x, 0.0, 0.05);
    EXPECT_NEAR(middle.position.z, 0.0, 0.05);
}

TEST(Scenario, BodyPushedAgainstAWallStopsThere)
{
    const std::vector<GenericObject*> none;
    SoftBody body = defaultBody(&none);
    // Pushed toward +x every step, the body runs into the wall at x = 4, and
    // from then on stays pressed against it: its glass contacts make it
    // vibrate in place, but it goes no further.
    for (int s = 0; s < 3000; ++s) {
        body.sidePush(0);
        advance(body);
        if (s < 1000) continue;
        const Extent e = measure(body);
        ASSERT_GT(e.high.x, 3.95) << "step " << s;
        ASSERT_LT(e.high.x, 4.1) << "step " << s;
        ASSERT_NEAR(e.low.x, 2.0, 0.1) << "step " << s;
        ASSERT_GT(e.low.y, -4.6) << "step " << s;
    }
}

TEST(Scenario, IdenticalRunsGiveIdenticalBits)
{
    Sphere sphere({-1, -1.5, 0}, 1.0);
    const std::vector<GenericObject*> objects = {&sphere};
    SoftBody a = defaultBody(&objects), b = defaultBody(&objects);
    for (int s = 0; s < 600; ++s) {
        if (s % 50 == 0) {
            a.sidePush(s % 6);
            b.sidePush(s % 6);
        }
        advance(a);
        advance(b);
    }
    for (int n = 0; n < a.nodeCount(); ++n) {
        EXPECT_EQ(std::memcmp(&a.nodes[n].position, &b.nodes[n].position, sizeof(Vector3)), 0) << "node " << n;
        EXPECT_EQ(std::memcmp(&a.nodes[n].velocity, &b.nodes[n].velocity, sizeof(Vector3)), 0) << "node " << n;
    }
}
