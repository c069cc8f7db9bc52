#include "geometry/Sphere.h"
#include "softbody/SoftBody.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
const std::vector<GenericObject*> kNoObjects;

// A single-node body at p, so one step(0) runs the contact phase alone
// (a zero time step leaves position and velocity to the contacts).
SoftBody singleNode(const Vector3& p, bool gravity)
{
    testing::internal::CaptureStderr();
    SoftBody body(0, 0, 0, p.x, p.y, p.z, 1.0, 600, 0.01, 0.5);
    testing::internal::GetCapturedStderr();
    body.setSceneObjects(&kNoObjects);
    if (gravity) body.enableGravity();
    return body;
}

void contactsOnly(SoftBody& body)
{
    body.computeSpringForces();
    body.step(0.0);
}
}  // namespace

TEST(Contact, RestingPointIsHeldByTheFloor)
{
    MassPoint point({0, -4, 0}, 0.5);
    point.force = Vector3(0, -4.9, 0);
    point.velocity = Vector3(0, -0.3, 0);
    point.respondToContact({0, 1, 0}, false);
    EXPECT_EQ(point.contactForce, Vector3(0, 4.9, 0));
    EXPECT_EQ(point.force, Vector3(0, 0, 0));
    EXPECT_EQ(point.velocity, Vector3(0, 0, 0));

    MassPoint glass({0, -4, 0}, 0.5);
    glass.force = Vector3(0, -4.9, 0);
    glass.velocity = Vector3(0, -1, 0);
    glass.respondToContact({0, 1, 0}, true);
    EXPECT_EQ(glass.velocity, Vector3(0, 1, 0)) << "a glass body bounces elastically";
}

TEST(Contact, ForceAwayFromTheSurfaceIsLeftAlone)
{
    MassPoint point({0, -4.5, 0}, 0.5);
    point.force = Vector3(0, 3, 0);
    point.velocity = Vector3(0, 1, 0);
    point.contactForce = Vector3(0, 2, 0);
    point.respondToContact({0, 1, 0}, false);
    EXPECT_EQ(point.force, Vector3(0, 3, 0));
    EXPECT_EQ(point.velocity, Vector3(0, 1, 0));
    EXPECT_EQ(point.contactForce, Vector3(0, 0, 0)) << "no push into the surface, no normal force";
}

TEST(Contact, FrictionSticksOnlyUnderEnoughNormalForceAndLowSpeed)
{
    const struct {
        Vector3 previousContact;
        Vector3 velocity;
        Vector3 force;  // after the response
        Vector3 velocityAfter;
    } cases[] = {
        // Held by the previous normal force, slow: sticks, tangential force and velocity cancelled.
        {{0, 4.9, 0}, {0.01, 0, 0}, {0, 0, 0}, {0, 0, 0}},
        // Same force but sliding fast: kinetic friction 0.3·4.9 against the motion.
        {{0, 4.9, 0}, {0.1, 0, 0}, {0.5 - 0.3 * 4.9, 0, 0}, {0.1, 0, 0}},
        // No previous contact: any tangential force slides, and kinetic friction is zero.
        {{0, 0, 0}, {0.01, 0, 0}, {0.5, 0, 0}, {0.01, 0, 0}},
    };
    for (const auto& c : cases) {
        MassPoint point({0, -4, 0}, 0.5);
        point.contactForce = c.previousContact;
        point.velocity = c.velocity;
        point.force = Vector3(0.5, -4.9, 0);
        point.respondToContact({0, 1, 0}, false);
        EXPECT_NEAR(point.force.x, c.force.x, 1e-12) << "velocity " << c.velocity.x << " P " << c.previousContact.y;
        EXPECT_NEAR(point.force.y, c.force.y, 1e-12);
        EXPECT_EQ(point.velocity, c.velocityAfter) << "velocity " << c.velocity.x << " P " << c.previousContact.y;
        EXPECT_EQ(point.contactForce, Vector3(0, 4.9, 0));
    }
}

TEST(Contact, RoomPlanesAnswerInOrderAndInclusively)
{
    // A corner point gets the floor and then the x-max wall.
    SoftBody corner = singleNode({4, -4, 0}, true);
    corner.node(0, 0, 0)->velocity = Vector3(1, -1, 0);
    contactsOnly(corner);
    EXPECT_EQ(corner.node(0, 0, 0)->velocity, Vector3(0, 0, 0));

    const struct {
        Vector3 position, velocity;
        bool touches;
    } cases[] = {
        {{0, -4, 0}, {0, -1, 0}, true}, {{0, -3.99, 0}, {0, -1, 0}, false}, {{-4, 0, 0}, {-1, 0, 0}, true}, {{4, 0, 0}, {1, 0, 0}, true}, {{3.99, 0, 0}, {1, 0, 0}, false}, {{0, 0, -5}, {0, 0, -1}, true}, {{0, 0, 5}, {0, 0, 1}, true}, {{0, 0, 4.99}, {0, 0, 1}, false}, {{0, 10, 0}, {0, 1, 0}, false},  // no ceiling
    };
    for (const auto& c : cases) {
        SoftBody body = singleNode(c.position, false);
        body.node(0, 0, 0)->velocity = c.velocity;
        contactsOnly(body);
        const Vector3 expected = c.touches ? Vector3(0, 0, 0) : c.velocity;
        EXPECT_EQ(body.node(0, 0, 0)->velocity, expected)
            << "at (" << c.position.x << "," << c.position.y << "," << c.position.z << ")";
    }
}

TEST(Contact, SceneObjectsAreAskedInListOrderWithTheUpdatedVelocity)
{
    // Inside two overlapping spheres: both answer in the same step.
    Sphere first({0, -1, 0}, 1.0), second({1, 0, 0}, 1.0);
    const std::vector<GenericObject*> objects = {&first, &second};
    SoftBody body = singleNode({0, 0, 0}, false);
    body.setSceneObjects(&objects);
    body.node(0, 0, 0)->velocity = Vector3(1, -1, 0);
    contactsOnly(body);
    // First: normal (0,1,0) removes the downward part; second: normal (-1,0,0) the +x part.
    EXPECT_EQ(body.node(0, 0, 0)->velocity, Vector3(0, 0, 0));

    const std::vector<GenericObject*> onlyFirst = {&first};
    SoftBody single = singleNode({0, 0, 0}, false);
    single.setSceneObjects(&onlyFirst);
    single.node(0, 0, 0)->velocity = Vector3(1, -1, 0);
    contactsOnly(single);
    EXPECT_EQ(single.node(0, 0, 0)->velocity, Vector3(1, 0, 0));
}
