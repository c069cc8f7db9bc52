#include "GlRecorder.h"
#include "geometry/Spring.h"
#include "softbody/MassPoint.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
struct Ends {
    MassPoint a{{0, 0, 0}, 1.0};
    MassPoint b;
    Spring spring;
    Ends(const Vector3& bPosition, double rest, double ks, double kd)
        : b(bPosition, 1.0), spring(&a, &b, rest, ks, kd)
    {
    }
};
}  // namespace

TEST(Spring, PullsStretchedAndPushesCompressedEnds)
{
    const struct {
        double bx, rest, ks;
        Vector3 forceA, forceB;
    } cases[] = {
        {2.0, 1.0, 10.0, {10, 0, 0}, {-10, 0, 0}},  // stretched: pulled together
        {0.5, 1.0, 10.0, {-5, 0, 0}, {5, 0, 0}},    // compressed: pushed apart
        {1.0, 1.0, 10.0, {0, 0, 0}, {0, 0, 0}},     // at rest length
    };
    for (const auto& c : cases) {
        Ends e({c.bx, 0, 0}, c.rest, c.ks, 0.0);
        e.spring.computeForces();
        EXPECT_EQ(e.spring.forceA, c.forceA) << "B at x=" << c.bx;
        EXPECT_EQ(e.spring.forceB, c.forceB) << "B at x=" << c.bx;
    }
}

TEST(Spring, DampsEachEndsOwnVelocity)
{
    Ends e({1, 0, 0}, 1.0, 10.0, 0.5);
    e.a.velocity = Vector3(0, 2, 0);
    e.b.velocity = Vector3(0, 2, 0);
    e.spring.computeForces();
    // Moving together still costs -kd·v on each end: the damping is absolute.
    EXPECT_EQ(e.spring.forceA, Vector3(0, -1, 0));
    EXPECT_EQ(e.spring.forceB, Vector3(0, -1, 0));

    Ends stretched({3, 0, 0}, 1.0, 10.0, 0.5);
    stretched.a.velocity = Vector3(0, 2, 0);
    stretched.spring.computeForces();
    EXPECT_EQ(stretched.spring.forceA, Vector3(20, -1, 0));
}

TEST(Spring, CoincidentEndsKeepOnlyDamping)
{
    Ends e({0, 0, 0}, 1.0, 10.0, 0.5);
    e.a.velocity = Vector3(2, 0, 0);
    e.b.velocity = Vector3(0, 0, -4);
    e.spring.computeForces();
    EXPECT_EQ(e.spring.forceA, Vector3(-1, 0, 0));
    EXPECT_EQ(e.spring.forceB, Vector3(0, 0, 2));
}

TEST(Spring, PrintsBothEnds)
{
    Ends e({1, 0.5, 0}, 1.0, 1.0, 0.0);
    testing::internal::CaptureStderr();
    e.spring.print();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[(0,0,0)(1,0.5,0)]");
}

TEST(Spring, DrawsAWhiteLine)
{
    Ends e({1, 0.5, -2}, 1.0, 1.0, 0.0);
    glrecorder::clear();
    e.spring.draw();
    const std::vector<std::string> expected = {
        "glClearColor(0,0,0,0)",
        "glShadeModel(" + std::to_string(GL_SMOOTH) + ")",
        "glMaterialfv(" + std::to_string(GL_FRONT) + "," + std::to_string(GL_AMBIENT) + ",1,1,1,1)",
        "glMaterialfv(" + std::to_string(GL_FRONT) + "," + std::to_string(GL_DIFFUSE) + ",1,1,1,1)",
        "glMaterialfv(" + std::to_string(GL_FRONT) + "," + std::to_string(GL_SPECULAR) + ",1,1,1,1)",
        "glMaterialfv(" + std::to_string(GL_FRONT) + "," + std::to_string(GL_SHININESS) + ",128)",
        "glBegin(" + std::to_string(GL_LINES) + ")",
        "glVertex3f(0,0,0)",
        "glVertex3f(1,0.5,-2)",
        "glEnd()",
    };
    EXPECT_EQ(glrecorder::texts(), expected);
}
