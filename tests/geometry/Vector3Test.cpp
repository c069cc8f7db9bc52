#include "geometry/PlaneEquation.h"
#include "geometry/Triangle.h"
#include "geometry/Vector3.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {
std::string printed(const Vector3& v)
{
    testing::internal::CaptureStderr();
    v.print();
    return testing::internal::GetCapturedStderr();
}
}  // namespace

TEST(Vector3, PrintsInShortestGeneralForm)
{
    const struct {
        Vector3 v;
        const char* text;
    } cases[] = {
        {{1, -0.5, 0.0001}, "(1,-0.5,0.0001)"},
        {{0.00001, 123456, 1234567}, "(1e-05,123456,1.23457e+06)"},
        {{2.50, 100, -0.0}, "(2.5,100,-0)"},
        {{1.0 / 3.0, 1e20, 0.1 + 0.2}, "(0.333333,1e+20,0.3)"},
    };
    for (const auto& c : cases) EXPECT_EQ(printed(c.v), c.text);
}

TEST(Vector3, ComparesExactlyAndDividesUnguarded)
{
    EXPECT_FALSE(Vector3(0.1 + 0.2, 0, 0) == Vector3(0.3, 0, 0));
    EXPECT_TRUE(Vector3(0.1 + 0.2, 0, 0) != Vector3(0.3, 0, 0));
    const Vector3 q = Vector3(1, 0, -1) / 0.0;
    EXPECT_TRUE(std::isinf(q.x) && q.x > 0);
    EXPECT_TRUE(std::isnan(q.y));
    EXPECT_TRUE(std::isinf(q.z) && q.z < 0);
}

TEST(Vector3, NormalizesAndGivesZeroForZeroLength)
{
    EXPECT_EQ(Vector3(3, 0, 4).length(), 5.0);
    EXPECT_EQ(Vector3(3, 0, 4).normalized(), Vector3(0.6, 0, 0.8));
    EXPECT_EQ(Vector3(0, 0, 0).normalized(), Vector3(0, 0, 0));
    const Vector3 p(1.5, -2, 7);
    EXPECT_EQ(p.directionTo(p), Vector3(0, 0, 0));
    EXPECT_EQ(Vector3(0, 0, 0).directionTo(Vector3(0, -2, 0)), Vector3(0, -1, 0));
    // No threshold: a tiny vector is still divided.
    EXPECT_NEAR(Vector3(1e-150, 0, 0).normalized().x, 1.0, 1e-15);
}

TEST(PlaneEquation, BuildsNormalAndOffsetFromThreePoints)
{
    struct Probe : PlaneEquation {
        using PlaneEquation::PlaneEquation;
        bool inside(Vector3) const override { return false; }
    };
    const Probe xy({0, 0, 0}, {1, 0, 0}, {0, 1, 0});
    EXPECT_EQ(xy.normal(), Vector3(0, 0, 1));
    EXPECT_EQ(xy.offset, 0.0);
    const Probe lifted({0, 0, 5}, {1, 0, 5}, {0, 1, 5});
    EXPECT_EQ(lifted.normal(), Vector3(0, 0, 1));
    EXPECT_EQ(lifted.offset, -5.0);
    const Probe reversed({0, 0, 0}, {0, 1, 0}, {1, 0, 0});
    EXPECT_EQ(reversed.normal(), Vector3(0, 0, -1)) << "winding decides the side";
    const Probe collinear({0, 0, 0}, {1, 1, 1}, {2, 2, 2});
    EXPECT_EQ(collinear.normal(), Vector3(0, 0, 0));
    EXPECT_EQ(collinear.offset, 0.0);
    const Probe unset;
    EXPECT_EQ(unset.normal(), Vector3(0, 0, 0));
}

TEST(Triangle, ContainsOnlyStrictlyInteriorPointsOfItsPlane)
{
    const Triangle t({0, 0, 0}, {1, 0, 0}, {0, 1, 0});
    EXPECT_TRUE(t.inside({0.25, 0.25, 0}));
    EXPECT_FALSE(t.inside({1, 1, 0}));
    EXPECT_FALSE(t.inside({0.25, 0.25, 7})) << "far off the plane";
    EXPECT_FALSE(t.inside({0.5, 0, 0})) << "on an edge";
    EXPECT_EQ(t.normal(), Vector3(0, 0, 1));
    const Triangle flat({0, 0, 0}, {1, 1, 0}, {2, 2, 0});
    EXPECT_FALSE(flat.inside({1, 1, 0}));
    EXPECT_FALSE(flat.inside({0.5, 0.6, 0}));
    const Triangle none;
    EXPECT_FALSE(none.inside({0, 0, 0}));
}
