#include "geometry/Box.h"
#include "geometry/Cube.h"
#include "geometry/PlainSphere.h"
#include "geometry/Plane.h"
#include "geometry/Sphere.h"

#include <gtest/gtest.h>

#include <string>

namespace {
const Vector3 kStill(0, 0, 0);
}

TEST(Box, ContainsPointsWithinItsMargin)
{
    Box box({0, 0, 0}, 2, 1, 3);
    EXPECT_EQ(box.width, 2);
    EXPECT_EQ(box.height, 1);
    EXPECT_EQ(box.depth, 3);
    EXPECT_TRUE(box.contains({-0.1, 0, 0}));
    EXPECT_TRUE(box.contains({2.1, 1.1, 3.1}));
    EXPECT_TRUE(box.contains({1, 0.5, 1.5}));
    EXPECT_FALSE(box.contains({-0.11, 0.5, 0.5}));
    EXPECT_FALSE(box.contains({1, 1.2, 1.5}));
    EXPECT_FALSE(box.contains({1, 0.5, 3.2}));

    Box unit;
    EXPECT_EQ(unit.position, Vector3(0, 0, 0));
    EXPECT_TRUE(unit.contains({1.1, 1.1, 1.1}));
    EXPECT_FALSE(unit.contains({1.2, 0.5, 0.5}));
}

TEST(Box, NormalIsTheNearestFacePlaneWithEarlierFacesWinningTies)
{
    Box box({0, 0, 0}, 2, 1, 3);
    const struct {
        Vector3 p, normal;
    } cases[] = {
        {{1, 0.1, 1.5}, {0, -1, 0}},
        {{1.95, 0.5, 1.5}, {1, 0, 0}},
        {{0.5, 0.5, 0.5}, {0, -1, 0}},  // y = 0, x = 0 and z = 0 equally near
        {{1, 0.25, 0.25}, {0, -1, 0}},  // y = 0 and z = 0 equally near
        {{1, 0.95, 1.5}, {0, 1, 0}},
        {{0.05, 0.5, 1.5}, {-1, 0, 0}},
        {{1, 0.5, 0.02}, {0, 0, -1}},
        {{1, 0.5, 2.99}, {0, 0, 1}},
        {{-0.05, 0.5, 1.5}, {-1, 0, 0}},  // in the margin outside the box
    };
    for (const auto& c : cases) {
        EXPECT_EQ(box.normalAt(c.p, kStill), c.normal) << "at (" << c.p.x << "," << c.p.y << "," << c.p.z << ")";
    }
}

TEST(Sphere, CollidesAtItsContactRadius)
{
    Sphere sphere({0, 0, 0}, 1.0);
    EXPECT_DOUBLE_EQ(sphere.contactRadius, 1.05);
    EXPECT_DOUBLE_EQ(sphere.contactRadiusSquared, 1.05 * 1.05);
    EXPECT_TRUE(sphere.contains({1.05, 0, 0}));
    EXPECT_TRUE(sphere.contains({0, -1.05, 0}));
    EXPECT_FALSE(sphere.contains({1.06, 0, 0}));
    EXPECT_EQ(sphere.normalAt({0, 0.5, 0}, kStill), Vector3(0, 1, 0));
    EXPECT_EQ(sphere.normalAt({0, 0, 0}, kStill), Vector3(0, 0, 0));

    sphere.moveBy({1, 0, 0});
    EXPECT_EQ(sphere.position, Vector3(1, 0, 0));
    EXPECT_TRUE(sphere.contains({2.05, 0, 0}));
    EXPECT_FALSE(sphere.contains({-1.0, 0, 0}));
    EXPECT_EQ(sphere.normalAt({1, -0.5, 0}, kStill), Vector3(0, -1, 0));

    Sphere unit;
    EXPECT_EQ(unit.radius, 1.0);
    EXPECT_DOUBLE_EQ(unit.contactRadius, 1.05);
    EXPECT_DOUBLE_EQ(unit.contactRadiusSquared, 1.1025);
}

TEST(CollisionVolumes, CubePlainSphereAndBase)
{
    Cube cube({0, 0, 0}, 1);
    EXPECT_TRUE(cube.contains({1, 1, 1}));
    EXPECT_TRUE(cube.contains({0, 0, 0}));
    EXPECT_FALSE(cube.contains({1.0001, 0, 0}));
    EXPECT_EQ(cube.normalAt({0.5, 0.2, 0.3}, kStill), Vector3(0.5, 0.2, 0.3)) << "returns the point, as the base";

    PlainSphere plain({0, 0, 0}, 2);
    EXPECT_EQ(plain.radiusSquared, 4);
    EXPECT_TRUE(plain.contains({2, 0, 0}));
    EXPECT_FALSE(plain.contains({2.01, 0, 0}));
    EXPECT_EQ(plain.normalAt({0, 0, -1}, kStill), Vector3(0, 0, -1));
    plain.position = Vector3(0, 0, 0);
    plain.moveBy({10, 0, 0});
    EXPECT_TRUE(plain.contains({0, 0, 0})) << "the volume lives in center, which moveBy leaves alone";
    PlainSphere unit;
    EXPECT_EQ(unit.center, Vector3(0, 0, 0));
    EXPECT_EQ(unit.radiusSquared, 1);

    struct Bare : GenericObject {};
    Bare bare;
    bare.position = Vector3(0, 0, 0);
    EXPECT_FALSE(bare.contains({0, 0, 0}));
    EXPECT_EQ(bare.normalAt({1, 2, 3}, {4, 5, 6}), Vector3(1, 2, 3));
}

TEST(Plane, ContainsTheSideTheNormalPointsAwayFrom)
{
    Plane up({0, 1, 0}, 2);
    EXPECT_TRUE(up.contains({5, 2, -7}));
    EXPECT_TRUE(up.contains({0, -100, 0}));
    EXPECT_FALSE(up.contains({0, 2.5, 0}));
    Plane down({0, -1, 0}, 2);
    EXPECT_TRUE(down.contains({0, 2.5, 0}));
    EXPECT_FALSE(down.contains({0, 1.5, 0}));
    EXPECT_TRUE(Plane({1, 0, 0}, 0).contains({-1, 50, 50}));
    EXPECT_TRUE(Plane({-1, 0, 0}, 0).contains({1, 50, 50}));
    EXPECT_TRUE(Plane({0, 0, 1}, 3).contains({9, 9, 3}));
    EXPECT_FALSE(Plane({0, 0, -1}, 3).contains({9, 9, 2.9}));
    EXPECT_EQ(up.normalAt({1, 1, 1}, kStill), Vector3(0, 1, 0));
}

TEST(Plane, CrossingFindsWhereTheSegmentMeetsThePlane)
{
    EXPECT_EQ(Plane({0, 1, 0}, 1).crossing({0, 0, 0}, {2, 4, -4}), Vector3(0.5, 1, -1));
    EXPECT_EQ(Plane({1, 0, 0}, 1).crossing({0, 0, 0}, {2, 4, 6}), Vector3(1, 2, 3));
    EXPECT_EQ(Plane({0, 0, -1}, 3).crossing({0, 0, 0}, {2, 4, 6}), Vector3(1, 2, 3));
    // A later axis overrides an earlier one.
    EXPECT_EQ(Plane({1, 0, 1}, 3).crossing({0, 0, 0}, {2, 4, 6}), Vector3(1, 2, 3));
}

TEST(Plane, PrintsLabelAndValueOnStdoutAndTheNormalOnStderr)
{
    Plane plane({0, 1, 0}, 2.5);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    plane.print();
    const std::string err = testing::internal::GetCapturedStderr();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "GenericObject: plane Normal:  value: 2.5\n");
    EXPECT_EQ(err, "(0,1,0)");
}
