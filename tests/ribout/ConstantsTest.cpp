// The standard bases, pixel filters, procedural kinds and token variables.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include <ri.h>

namespace {

TEST(Filters, CatmullRomAndSincAreRadial)
{
    EXPECT_EQ(2.0f, RiCatmullRomFilter(0, 0, 4, 4));
    EXPECT_EQ(1.125f, RiCatmullRomFilter(0.5f, 0, 4, 4));
    EXPECT_EQ(0.0f, RiCatmullRomFilter(1, 0, 4, 4));
    EXPECT_EQ(-0.125f, RiCatmullRomFilter(1.5f, 0, 4, 4));
    EXPECT_EQ(0.0f, RiCatmullRomFilter(2, 0, 4, 4));
    EXPECT_EQ(0.0f, RiCatmullRomFilter(1.5f, 1.5f, 4, 4)) << "radius above 2";
    EXPECT_EQ(RiCatmullRomFilter(0, 0.5f, 1, 1), RiCatmullRomFilter(0.5f, 0, 9, 9));

    EXPECT_EQ(1.0f, RiSincFilter(0, 0, 4, 4));
    EXPECT_EQ(1.0f, RiSincFilter(0.00005f, 0, 4, 4));
    EXPECT_FLOAT_EQ(2.0f / 3.1415927f, RiSincFilter(0.5f, 0, 4, 4));
    EXPECT_NEAR(0.0f, RiSincFilter(1, 0, 4, 4), 1e-6);
    EXPECT_EQ(0.0f, RiSincFilter(2.5f, 0, 4, 4));
    EXPECT_EQ(0.0f, RiSincFilter(1.5f, 1.5f, 4, 4));
}

TEST(Filters, BoxTriangleAndGaussianScaleWithTheWidths)
{
    EXPECT_EQ(1.0f, RiBoxFilter(0, 0, 1, 1));
    EXPECT_EQ(1.0f, RiBoxFilter(0.49f, -0.49f, 1, 1));
    EXPECT_EQ(0.0f, RiBoxFilter(0.5f, 0, 1, 1)) << "the edge is outside";
    EXPECT_EQ(0.0f, RiBoxFilter(0, -1, 1, 2));
    EXPECT_EQ(1.0f, RiBoxFilter(0, -0.9f, 1, 2));

    EXPECT_EQ(1.0f, RiTriangleFilter(0, 0, 2, 2));
    EXPECT_EQ(0.5f, RiTriangleFilter(0.5f, 0, 2, 2));
    EXPECT_EQ(0.5f, RiTriangleFilter(0.25f, -0.5f, 2, 2));
    EXPECT_EQ(0.0f, RiTriangleFilter(0.5f, 1.5f, 2, 2));
    EXPECT_EQ(0.0f, RiTriangleFilter(3, 0, 2, 2));

    EXPECT_EQ(1.0f, RiGaussianFilter(0, 0, 2, 2));
    EXPECT_FLOAT_EQ(static_cast<float>(std::exp(-2.0)), RiGaussianFilter(1, 0, 2, 2));
    EXPECT_FLOAT_EQ(static_cast<float>(std::exp(-1.0)), RiGaussianFilter(0.5f, 0.5f, 2, 2));
    EXPECT_FLOAT_EQ(static_cast<float>(std::exp(-2.0)), RiGaussianFilter(0, 2, 1, 4));
}

void expectMatrix(const RtBasis actual, const float (&expected)[4][4], const char* name)
{
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            EXPECT_EQ(expected[i][j], actual[i][j]) << name << "[" << i << "][" << j << "]";
        }
    }
}

TEST(Bases, HoldTheStandardValues)
{
    const float bezier[4][4] = {{-1, 3, -3, 1}, {3, -6, 3, 0}, {-3, 3, 0, 0}, {1, 0, 0, 0}};
    const float s = 1.0f / 6.0f;
    const float bspline[4][4] = {{-s, 3 * s, -3 * s, s},
                                 {3 * s, -6 * s, 3 * s, 0},
                                 {-3 * s, 0, 3 * s, 0},
                                 {s, 4 * s, s, 0}};
    const float catmullRom[4][4] = {
        {-0.5f, 1.5f, -1.5f, 0.5f}, {1, -2.5f, 2, -0.5f}, {-0.5f, 0, 0.5f, 0}, {0, 1, 0, 0}};
    const float hermite[4][4] = {{2, 1, -2, 1}, {-3, -2, 3, -1}, {0, 1, 0, 0}, {1, 0, 0, 0}};
    const float power[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    expectMatrix(RiBezierBasis, bezier, "bezier");
    expectMatrix(RiBSplineBasis, bspline, "b-spline");
    expectMatrix(RiCatmullRomBasis, catmullRom, "catmull-rom");
    expectMatrix(RiHermiteBasis, hermite, "hermite");
    expectMatrix(RiPowerBasis, power, "power");
    EXPECT_FLOAT_EQ(4.0f / 6.0f, RiBSplineBasis[3][1]);
}

TEST(Constants, ProceduralsAndFiltersAreDistinctIdentities)
{
    const void* procedurals[] = {reinterpret_cast<const void*>(RiProcDelayedReadArchive),
                                 reinterpret_cast<const void*>(RiProcRunProgram),
                                 reinterpret_cast<const void*>(RiProcDynamicLoad)};
    EXPECT_NE(procedurals[0], procedurals[1]);
    EXPECT_NE(procedurals[1], procedurals[2]);
    EXPECT_NE(procedurals[0], procedurals[2]);
    RiProcDelayedReadArchive(nullptr, 1);
    RiProcRunProgram(nullptr, 1);
    RiProcDynamicLoad(nullptr, 1);
    const void* bases[] = {RiBezierBasis, RiBSplineBasis, RiCatmullRomBasis, RiHermiteBasis,
                           RiPowerBasis};
    for (int i = 0; i < 5; ++i) {
        for (int j = i + 1; j < 5; ++j) {
            EXPECT_NE(bases[i], bases[j]);
        }
    }
}

}  // namespace
