#include "softbody/SimdPath.h"
#include "softbody/StepKernels.h"
#include "softbody/SurfaceQuads.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

TEST(SurfaceQuads, EveryPathGivesEachQuadItsOwnShapeBits)
{
    // The quad pass works on up to eight quads at a time; each must get
    // exactly what shapeQuad gives it alone, in every path and for any run,
    // including quads with no area, with every corner on one spot, and with
    // corners that are not numbers or infinite.
    std::vector<Vector3> positions;
    // Coordinates with every bit of their fractions in use, so that any
    // operation done in another order rounds differently somewhere.
    for (int n = 0; n < 60; ++n)
        positions.emplace_back(1.5 * std::sin(n * 12.9898), 1.5 * std::sin(n * 78.233 + 1.0), 1.5 * std::sin(n * 37.719 + 2.0));
    positions[7] = positions[8] = positions[9] = positions[10];                // one spot
    positions[12] = positions[11] * 2.0, positions[13] = positions[11] * 3.0;  // on one line
    positions[20].y = std::numeric_limits<double>::quiet_NaN();
    positions[33].z = std::numeric_limits<double>::infinity();
    positions.emplace_back(0.0, 0.0, 0.0);  // the spare place after the last node
    std::vector<int> corners;
    for (int q = 0; q < 21; ++q)
        for (int k = 0; k < 4; ++k) corners.push_back(q < 3 ? 7 + k + 3 * (q == 2) : (q * 7 + k * 13) % 60);
    corners[4 * 20 + 1] = 59;  // the last node, whose row runs on into the spare place
    const int count = int(corners.size() / 4);
    QuadShape untouched;
    std::memset(&untouched, 0x5a, sizeof untouched);

    std::vector<QuadShape> alone(size_t(count), untouched);
    const QuadPass single{positions.data(), corners.data(), alone.data(), 0.03, 0.2};
    for (int q = 0; q < count; ++q) shapeQuad(single, q);
    EXPECT_EQ(alone[0].normal.x, 0.0) << "a quad on one spot has no normal";
    EXPECT_EQ(alone[0].det, 0.0);

    for (SimdPath path : kSimdPaths) {
        if (!simdPathAvailable(path)) continue;
        for (int begin : {0, 1, 5})
            for (int end = begin; end <= count; ++end) {
                std::vector<QuadShape> shapes(size_t(count), untouched);
                const QuadPass pass{positions.data(), corners.data(), shapes.data(), 0.03, 0.2};
                stepKernels(path).quads(pass, begin, end);
                for (int q = 0; q < count; ++q) {
                    const QuadShape& expected = q >= begin && q < end ? alone[size_t(q)] : untouched;
                    EXPECT_EQ(std::memcmp(&expected, &shapes[size_t(q)], sizeof(QuadShape)), 0)
                        << simdPathName(path) << ", quads [" << begin << ", " << end << "), quad " << q;
                }
            }
    }
}

TEST(SurfaceQuads, EveryPathFindsTheQuadOneAtATimeFinds)
{
    // The wide look-up decides most lanes by comparing with det/2 instead of
    // dividing, and takes the touching lanes in order; it must name the same
    // quad as nearestQuad for any run of candidates, one-sided or two-sided.
    // The quads: shapes taken from corners (some bent, some with no area),
    // twins of one quad (a tie in depth, which the first must win), and
    // hand-made ones whose point lies on, just inside and just outside
    // u = 1/2, with determinants too small or large for relative rounding,
    // infinite or not a number.
    std::vector<Vector3> positions;
    for (int n = 0; n < 40; ++n)
        positions.emplace_back(0.6 * std::sin(n * 12.9898), 0.6 * std::sin(n * 78.233 + 1.0), 0.6 * std::sin(n * 37.719 + 2.0));
    positions.emplace_back(0.0, 0.0, 0.0);
    std::vector<int> corners;
    for (int q = 0; q < 12; ++q)
        for (int k = 0; k < 4; ++k) corners.push_back((q * 7 + k * 13) % 40);
    std::vector<QuadShape> shapes(12);
    const QuadPass pass{positions.data(), corners.data(), shapes.data(), 0.03, 0.2};
    for (int q = 0; q < 12; ++q) shapeQuad(pass, q);
    shapes.push_back(shapes[3]);
    shapes.push_back(shapes[3]);

    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const double half = 0.375;  // the point's u is x / det with x = 0.375
    for (double det : {0.75, std::nextafter(0.75, 0.0), std::nextafter(0.75, 1.0), 0x1p-1060, 0x1p-1020, 0x1p1020,
                       inf, nan, 0.0, -0.75}) {
        QuadShape flat{};
        flat.normal = Vector3(0.0, 0.0, 1.0);
        flat.e1 = Vector3(1.0, 0.0, 0.0);
        flat.e2 = Vector3(0.0, 1.0, 0.0);
        flat.g11 = flat.g22 = 1.0;
        flat.det = det;
        shapes.push_back(flat);
    }
    const int count = int(shapes.size());

    std::vector<Vector3> points;
    for (int n = 0; n < 60; ++n)
        points.emplace_back(0.5 * std::sin(n * 3.7), 0.5 * std::sin(n * 5.3 + 1.0), 0.5 * std::sin(n * 7.1 + 2.0));
    for (double x : {half, std::nextafter(half, 0.0), std::nextafter(half, 1.0), -half, 0x1p-1061, 0x1p1019, inf, nan})
        points.emplace_back(x, 0.1, -0.01);
    points.push_back(shapes[3].centre - shapes[3].normal * 0.05);  // behind both twins

    std::vector<int> order(static_cast<size_t>(count));
    for (int q = 0; q < count; ++q) order[size_t(q)] = q;
    int touched = 0;
    for (SimdPath path : kSimdPaths) {
        if (!simdPathAvailable(path)) continue;
        for (bool isFace : {true, false})
            for (const Vector3& point : points) {
                const QuadQuery query{shapes.data(), point, 0.03, isFace ? 0.2 : inf, 0.1, isFace};
                for (int first : {0, 3, 11})
                    for (int n = 0; first + n <= count; ++n) {
                        const int expected = nearestQuad(query, order.data() + first, n);
                        touched += expected >= 0;
                        EXPECT_EQ(stepKernels(path).nearestQuad(query, order.data() + first, n), expected)
                            << simdPathName(path) << (isFace ? ", one-sided" : ", two-sided") << ", quads [" << first
                            << ", " << first + n << "), point " << point.x << ' ' << point.y << ' ' << point.z;
                    }
            }
    }
    EXPECT_GT(touched, 100) << "the points must touch some quads for the test to tell anything";
}
