#pragma once
// The quad pass of the contact search between bodies, a lane set's width of
// quads at a time: each lane does shapeQuad's operations on its own quad, in
// its order, so every lane set gives its bits. Compiled in the instruction
// set of the file that includes it, like WideStep.h.

#include "softbody/Lanes.h"
#include "softbody/SurfaceQuads.h"

#include <cstddef>

// The rows the transposes read and write: a corner's position and the
// next node's, six doubles; a shape's fields, four rows of six.
static_assert(sizeof(Vector3) == 3 * sizeof(double), "a position is three doubles");
static_assert(offsetof(QuadShape, centre) == 0 &&
                  offsetof(QuadShape, normal) == offsetof(QuadShape, centre) + 3 * sizeof(double) &&
                  offsetof(QuadShape, e1) == offsetof(QuadShape, centre) + 6 * sizeof(double) &&
                  offsetof(QuadShape, e2) == offsetof(QuadShape, centre) + 9 * sizeof(double) &&
                  offsetof(QuadShape, g11) == offsetof(QuadShape, centre) + 12 * sizeof(double) &&
                  offsetof(QuadShape, g12) == offsetof(QuadShape, centre) + 13 * sizeof(double) &&
                  offsetof(QuadShape, g22) == offsetof(QuadShape, centre) + 14 * sizeof(double) &&
                  offsetof(QuadShape, det) == offsetof(QuadShape, centre) + 15 * sizeof(double) &&
                  offsetof(QuadShape, low) == offsetof(QuadShape, centre) + 16 * sizeof(double) &&
                  offsetof(QuadShape, high) == offsetof(QuadShape, centre) + 19 * sizeof(double) &&
                  offsetof(QuadShape, spare) == offsetof(QuadShape, centre) + 22 * sizeof(double) &&
                  sizeof(QuadShape) == 24 * sizeof(double),
              "a quad's shape is four rows of six doubles: centre and normal, e1 and e2, the Gram matrix and "
              "low x and y, low z, high and two spare");

/// Quads [begin, end): whole groups of lanes, then the rest one at a time.
template <class L>
void quadsWide(const QuadPass& pass, int begin, int end)
{
    using D = typename L::D;
    constexpr int W = L::kWidth;
    int q = begin;
    for (; q + W <= end; q += W) {
        Lanes3<L> p[4];
        for (int k = 0; k < 4; ++k) {
            const double* rows[W];
            forEachLane<W>([&](int l) BLORP_INLINE { rows[l] = &pass.positions[pass.corners[4 * (q + l) + k]].x; });
            D columns[6];
            L::columnsOf(rows, columns);
            p[k] = {columns[0], columns[1], columns[2]};
        }
        const D quarter = splat<L>(0.25), halfOne = splat<L>(0.5);
        const Lanes3<L> centre = scaled(((p[0] + p[1]) + p[2]) + p[3], quarter);
        const Lanes3<L> e1 = scaled(((p[1] + p[2]) - p[0]) - p[3], halfOne);
        const Lanes3<L> e2 = scaled(((p[2] + p[3]) - p[0]) - p[1], halfOne);
        const Lanes3<L> across = cross(e1, e2);
        const D area = L::sqrt(dot(across, across));
        const Lanes3<L> normal = choose(area > splat<L>(0.0), Lanes3<L>{across.x / area, across.y / area, across.z / area},
                                        splat3<L>(0.0, 0.0, 0.0));
        const D g11 = dot(e1, e1), g12 = dot(e1, e2), g22 = dot(e2, e2);
        const D det = g11 * g22 - g12 * g12;
        const Lanes3<L> middle = centre + scaled(normal, splat<L>(0.5 * (pass.front - pass.back)));
        const D depth = splat<L>(0.5 * (pass.front + pass.back));
        const D slack = splat<L>(1e-9) * (splat<L>(1.0) + L::sqrt(g11 + g22));
        const Lanes3<L> half = {halfOne * (absLanes<L>(e1.x) + absLanes<L>(e2.x)) + depth * absLanes<L>(normal.x) + slack,
                                halfOne * (absLanes<L>(e1.y) + absLanes<L>(e2.y)) + depth * absLanes<L>(normal.y) + slack,
                                halfOne * (absLanes<L>(e1.z) + absLanes<L>(e2.z)) + depth * absLanes<L>(normal.z) + slack};
        const Lanes3<L> low = middle - half, high = middle + half;
        double* rows[W];
        auto store = [&](int first, const D(&columns)[6]) BLORP_INLINE {
            forEachLane<W>([&](int l) BLORP_INLINE { rows[l] = &pass.shapes[q + l].centre.x + first; });
            L::rowsOf(columns, rows);
        };
        const D none = splat<L>(0.0);
        store(0, {centre.x, centre.y, centre.z, normal.x, normal.y, normal.z});
        store(6, {e1.x, e1.y, e1.z, e2.x, e2.y, e2.z});
        store(12, {g11, g12, g22, det, low.x, low.y});
        store(18, {low.z, high.x, high.y, high.z, none, none});
    }
    for (; q < end; ++q) shapeQuad(pass, q);
}
