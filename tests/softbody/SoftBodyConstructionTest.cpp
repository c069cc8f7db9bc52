#include "softbody/SoftBody.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <stdexcept>
#include <string>

namespace {
// Builds a centred body with the log captured, so tests stay quiet.
SoftBody quietBody(int cx, int cy, int cz, double spacing = 1.0)
{
    testing::internal::CaptureStderr();
    SoftBody body(cx, cy, cz, spacing, 600, 0.01, 0.5);
    testing::internal::GetCapturedStderr();
    return body;
}

long long axisSprings(int cx, int cy, int cz)
{
    return 1LL * cx * (cy + 1) * (cz + 1) + 1LL * (cx + 1) * cy * (cz + 1) + 1LL * (cx + 1) * (cy + 1) * cz;
}
}  // namespace

TEST(SoftBody, BuildsTheSpringCountsOfTheGeneralFormulas)
{
    const struct {
        int cx, cy, cz;
        int springs;
    } cases[] = {
        {0, 0, 0, 0},
        {12, 0, 0, 12},
        {3, 3, 3, 468},
        {24, 0, 24, 2 * 24 * 25 + 2 * 24 * 24},
        {6, 3, 6, -1},
        {75, 0, 57, -1},
        {1, 1, 1, 28},
        {2, 5, 1, -1},
    };
    for (const auto& c : cases) {
        const SoftBody body = quietBody(c.cx, c.cy, c.cz);
        const long long nx = c.cx + 1, ny = c.cy + 1, nz = c.cz + 1;
        const long long general = axisSprings(c.cx, c.cy, c.cz) + 4LL * c.cx * c.cy * c.cz +
                                  2 * (1LL * c.cx * c.cy * nz + 1LL * c.cy * c.cz * nx + 1LL * c.cx * c.cz * ny);
        EXPECT_EQ(body.springCount(), general) << c.cx << "x" << c.cy << "x" << c.cz;
        EXPECT_EQ(latticeSpringCount(c.cx, c.cy, c.cz), general);
        if (c.springs >= 0) {
            EXPECT_EQ(body.springCount(), c.springs) << c.cx << "x" << c.cy << "x" << c.cz;
        }
        EXPECT_EQ(body.nodeCount(), nx * ny * nz);

        // Every spring is attached to both of its ends with the right end codes.
        size_t attachments = 0;
        for (int n = 0; n < body.nodeCount(); ++n) {
            const MassPoint& point = body.nodes[n];
            ASSERT_EQ(point.springs.size(), point.springEnds.size());
            attachments += point.springs.size();
            for (size_t s = 0; s < point.springs.size(); ++s) {
                const MassPoint* end = point.springEnds[s] == 1 ? point.springs[s]->pointA : point.springs[s]->pointB;
                EXPECT_EQ(end, &point);
                // The force the node pass sums is that end's own.
                const Spring* spring = point.springs[s];
                EXPECT_EQ(&attachedForce(body.springs, point.springs.begin()[s]),
                          point.springEnds[s] == 1 ? &spring->forceA : &spring->forceB);
            }
        }
        EXPECT_EQ(attachments, 2u * size_t(body.springCount()));
    }
}

TEST(SoftBody, RefusesABodyWhoseAttachmentsCannotNameItsSprings)
{
    // 834 million springs: refused at once, before a node is allocated.
    ASSERT_GT(latticeSpringCount(400, 400, 400), kMaxBodySprings);
    testing::internal::CaptureStderr();
    EXPECT_THROW(SoftBody(400, 400, 400, 0.1, 1.0, 0.1, 1.0), std::length_error);
    testing::internal::GetCapturedStderr();
    EXPECT_LE(latticeSpringCount(300, 300, 300), kMaxBodySprings);
}

TEST(SoftBody, SpringsComeInAxisCellDiagonalFaceDiagonalOrder)
{
    const SoftBody body = quietBody(3, 3, 3, 0.5);
    const double s = 0.5;
    for (int i = 0; i < body.springCount(); ++i) {
        const double rest = body.springs[i].restLength;
        const double expected = i < 144 ? s : i < 144 + 108 ? std::sqrt(3.0 * s * s)
                                                            : std::sqrt(2.0 * s * s);
        ASSERT_EQ(rest, expected) << "spring " << i;
        EXPECT_EQ(body.springs[i].ks, 600);
        EXPECT_EQ(body.springs[i].kd, 0.01);
    }
    // The first cell diagonal and the first face diagonals of node (0,0,0).
    EXPECT_EQ(body.springs[144].pointA, body.node(0, 0, 0));
    EXPECT_EQ(body.springs[144].pointB, body.node(1, 1, 1));
    EXPECT_EQ(body.springs[145].pointA, body.node(1, 0, 0));
    EXPECT_EQ(body.springs[145].pointB, body.node(0, 1, 1));
    EXPECT_EQ(body.springs[146].pointA, body.node(1, 0, 1));
    EXPECT_EQ(body.springs[146].pointB, body.node(0, 1, 0));
    EXPECT_EQ(body.springs[147].pointA, body.node(0, 0, 1));
    EXPECT_EQ(body.springs[147].pointB, body.node(1, 1, 0));
    EXPECT_EQ(body.springs[252].pointB, body.node(1, 1, 0));
    EXPECT_EQ(body.springs[253].pointA, body.node(1, 0, 0));
    EXPECT_EQ(body.springs[254].pointB, body.node(0, 1, 1));
    EXPECT_EQ(body.springs[256].pointB, body.node(1, 0, 1));
}

TEST(SoftBody, FirstSpringJoinsTheFirstTwoNodesAlongX)
{
    const SoftBody body = quietBody(2, 2, 2);
    const Spring& first = body.springs[0];
    EXPECT_EQ(first.pointA, body.node(0, 0, 0));
    EXPECT_EQ(first.pointB, body.node(1, 0, 0));
    EXPECT_EQ(body.node(0, 0, 0)->springs.front(), &first);
    EXPECT_EQ(body.node(0, 0, 0)->springEnds.front(), 1);
    const MassPoint* second = body.node(1, 0, 0);
    size_t slot = 0;
    while (second->springs[slot] != &first) ++slot;
    EXPECT_EQ(second->springEnds[slot], 2);
    // Node (1,0,0) is the second end of that spring before it starts any of its own.
    EXPECT_EQ(slot, 0u);
}

TEST(SoftBody, SetsLineAndGlassFlagsFromTheCellCounts)
{
    const struct {
        int cx, cy, cz;
        bool isLine, glass;
    } cases[] = {
        {0, 0, 0, true, false},
        {12, 0, 0, true, false},
        {0, 5, 0, true, false},
        {24, 0, 24, false, false},
        {3, 3, 0, false, false},
        {3, 3, 3, false, true},
        {6, 1, 1, false, true},
    };
    for (const auto& c : cases) {
        const SoftBody body = quietBody(c.cx, c.cy, c.cz);
        EXPECT_EQ(body.isLine, c.isLine) << c.cx << "x" << c.cy << "x" << c.cz;
        EXPECT_EQ(body.glass, c.glass) << c.cx << "x" << c.cy << "x" << c.cz;
    }
    const SoftBody chain = quietBody(12, 0, 0);
    EXPECT_EQ(chain.nodeCount(), 13);
    EXPECT_EQ(chain.springCount(), 12);
}

TEST(SoftBody, PlacesNodesByBothConstructors)
{
    const SoftBody centred = quietBody(6, 3, 6, 0.3);
    const Vector3 first = centred.node(0, 0, 0)->position;
    const Vector3 last = centred.node(6, 3, 6)->position;
    EXPECT_EQ(first, Vector3(-(6 * 0.3) / 2.0, -(3 * 0.3) / 2.0, -(6 * 0.3) / 2.0));
    EXPECT_NEAR(first.x, -0.9, 1e-15);
    EXPECT_NEAR(first.y, -0.45, 1e-15);
    EXPECT_NEAR(last.x, 0.9, 1e-15);
    EXPECT_NEAR(last.y, 0.45, 1e-15);
    EXPECT_NEAR(last.z, 0.9, 1e-15);
    // Coordinates are accumulated by repeated addition.
    double z = -(6 * 0.3) / 2.0;
    for (int k = 0; k < 7; ++k, z += 0.3) EXPECT_EQ(centred.node(2, 1, k)->position.z, z) << "k=" << k;

    testing::internal::CaptureStderr();
    const SoftBody corner(3, 1, 2, -1.5, 0.0, 2.0, 0.75, 600, 0.01, 0.4);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(corner.node(0, 0, 0)->position, Vector3(-1.5, 0.0, 2.0));
    EXPECT_EQ(corner.node(3, 1, 2)->position, Vector3(-1.5 + 0.75 + 0.75 + 0.75, 0.75, 2.0 + 0.75 + 0.75));
    EXPECT_EQ(corner.origin[0], -1.5);
    EXPECT_EQ(corner.origin[2], 2.0);
    EXPECT_EQ(corner.node(1, 1, 1)->mass, 0.4);
    EXPECT_EQ(corner.nodesX, 4);
    EXPECT_EQ(corner.nodesY, 2);
    EXPECT_EQ(corner.nodesZ, 3);
    EXPECT_FALSE(corner.gravityOn);
    EXPECT_EQ(corner.floorY, -4.0);
    EXPECT_EQ(corner.wallXMin, -4.0);
    EXPECT_EQ(corner.wallXMax, 4.0);

    const MassPoint& point = *corner.node(1, 0, 1);
    EXPECT_EQ(point.velocity, Vector3(0, 0, 0));
    EXPECT_EQ(point.contactForce, Vector3(0, 0, 0));
    EXPECT_EQ(point.externalForce, Vector3(0, 0, 0));
    EXPECT_EQ(point.staticFriction, 0.5);
    EXPECT_EQ(point.kineticFriction, 0.3);
    EXPECT_FALSE(point.fixed);
}

TEST(SoftBody, FillsTheSixSideGridsInSlotOrder)
{
    const SoftBody body = quietBody(2, 3, 4);
    const int NX = 3, NY = 4, NZ = 5;
    struct Expect {
        int rows, length;
        MassPoint* (*at)(const SoftBody&, int row, int e);
    };
    const Expect slots[6] = {
        {NY, NZ, [](const SoftBody& b, int j, int k) { return b.node(0, j, k); }},
        {NY, NZ, [](const SoftBody& b, int j, int k) { return b.node(b.nodesX - 1, j, k); }},
        {NZ, NX, [](const SoftBody& b, int k, int i) { return b.node(i, 0, k); }},
        {NZ, NX, [](const SoftBody& b, int k, int i) { return b.node(i, b.nodesY - 1, k); }},
        {NY, NX, [](const SoftBody& b, int j, int i) { return b.node(i, j, b.nodesZ - 1); }},
        {NY, NX, [](const SoftBody& b, int j, int i) { return b.node(i, j, 0); }},
    };
    for (int slot = 0; slot < 6; ++slot) {
        const SideGrid& grid = body.sides[slot];
        ASSERT_EQ(int(grid.rows.size()), slots[slot].rows) << "slot " << slot;
        for (int r = 0; r < slots[slot].rows; ++r) {
            ASSERT_EQ(int(grid.rows[size_t(r)].size()), slots[slot].length) << "slot " << slot;
            for (int e = 0; e < slots[slot].length; ++e)
                EXPECT_EQ(grid.rows[size_t(r)][size_t(e)], slots[slot].at(body, r, e))
                    << "slot " << slot << " row " << r << " entry " << e;
        }
    }
}

TEST(SoftBody, ChoosesColoursByIndexAndLogsComputedOnes)
{
    SoftBody body = quietBody(1, 1, 1);
    const struct {
        int index;
        float r, g, b;
        const char* log;
    } cases[] = {
        {0, 0.8f, 0.2f, 0.2f, ""},
        {1, 0.2f, 0.8f, 0.1f, ""},
        {2, 0.8f, 0.6f, 0.1f, ""},
        {3, float(6 / 7.0), float(2 / 7.0), float(5 / 7.0), "r,g,b:0.857143,0.285714,0.714286\n"},
        {4, float(4 / 7.0), float(6 / 7.0), float(1 / 7.0), "r,g,b:0.571429,0.857143,0.142857\n"},
        {6, 0.0f, float(0 / 7.0), 0.0f, "r,g,b:0,0,0\n"},
    };
    for (const auto& c : cases) {
        body.colourIndex = c.index;
        testing::internal::CaptureStderr();
        body.chooseColour();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.log) << "index " << c.index;
        EXPECT_EQ(body.colour[0], c.r) << "index " << c.index;
        EXPECT_EQ(body.colour[1], c.g) << "index " << c.index;
        EXPECT_EQ(body.colour[2], c.b) << "index " << c.index;
    }
}

TEST(SoftBody, WritesTheFiveConstructionLinesAndItsDiagnostics)
{
    const std::string expected =
        "blorp: initialing members...\n"
        "blorp: initialize nodes array with actual nodes...\n"
        "initializing springs...\n"
        "initializing faces...\n"
        "blorp has been created\n";
    testing::internal::CaptureStderr();
    SoftBody centred(1, 0, 0, 1.0, 10, 0.1, 1.0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), expected);
    testing::internal::CaptureStderr();
    SoftBody corner(0, 0, 0, 1, 2, 3, 1.0, 10, 0.1, 1.0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), expected);

    testing::internal::CaptureStderr();
    centred.printNodes();
    centred.printSprings();
    corner.printSprings();
    // A zero cell count centres on -(0·s)/2, which is negative zero.
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "(-0.5,-0,-0)(0.5,-0,-0)1 springs: [(-0.5,-0,-0)(0.5,-0,-0)]0 springs: ");

    testing::internal::CaptureStderr();
    const SoftBody empty;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(empty.springCount(), 0);
}

TEST(SoftBody, CopiesShareNodesAndSprings)
{
    const SoftBody original = quietBody(2, 1, 1);
    SoftBody copy;
    copy = original;
    EXPECT_EQ(copy.node(1, 1, 1), original.node(1, 1, 1));
    copy.node(1, 1, 1)->position = Vector3(9, 9, 9);
    EXPECT_EQ(original.node(1, 1, 1)->position, Vector3(9, 9, 9));
    EXPECT_EQ(copy.springs, original.springs);
    copy.fixNode(0, 1, 0);
    EXPECT_TRUE(original.node(0, 1, 0)->fixed);
    copy.setNodeMass(2, 0, 1, 7.5);
    EXPECT_EQ(original.node(2, 0, 1)->mass, 7.5);
}
