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
