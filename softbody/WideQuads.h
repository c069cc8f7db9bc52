#pragma once
// The quad pass of the contact search between bodies, a lane set's width of
// quads at a time: each lane does shapeQuad's operations on its own quad, in
// its order, so every lane set gives its bits. Compiled in the instruction
// set of the file that includes it, like WideStep.h.

#include "softbody/Lanes.h"
#include "softbody/SurfaceQuads.h"

#include <cstddef>
#include <cstring>

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

/// nearestQuad a lane set's width of quads at a time. Each lane reads its
/// quad's plane, mid-lines and Gram matrix through the row transposes and
/// tells, without a branch, whether the point touches it. The division of
/// quadTouches is left out where it cannot matter: unless |x| lies within a
/// relative 2^-50 of det/2, x/det rounds to the same side of 1/2 as the exact
/// quotient, so comparing |x| with det/2 gives the same answer. Lanes that
/// close (as rare as exact ties), or with a determinant too small or large
/// for relative rounding, ask quadTouches itself. The touching lanes are
/// then taken in order, so ties go to the first as in nearestQuad.
template <class L>
int nearestQuadWide(const QuadQuery& query, const int* quads, int count)
{
    using D = typename L::D;
    using M = typename L::M;
    constexpr int W = L::kWidth;
    // Lanes past the end read a quad of no area, which nothing touches.
    static const QuadShape none{};
    const Lanes3<L> point = splat3<L>(query.point.x, query.point.y, query.point.z);
    const D shallowest = splat<L>(-query.skin), deepest = splat<L>(query.deepest);
    const D halfThickness = splat<L>(query.halfThickness), zero = splat<L>(0.0), halfOne = splat<L>(0.5);
    const D narrow = splat<L>(1.0 - 0x1p-50), wide = splat<L>(1.0 + 0x1p-50);
    const D smallest = splat<L>(0x1p-1000), largest = splat<L>(0x1p1000);
    int best = -1;
    double bestDepth = 0.0;
    for (int first = 0; first < count; first += W) {
        const double* rows[3][W];
        forEachLane<W>([&](int l) BLORP_INLINE {
            const QuadShape& e = first + l < count ? query.shapes[quads[first + l]] : none;
            const int row = L::rowOfLane(l);
            rows[0][row] = &e.centre.x;
            rows[1][row] = &e.e1.x;
            rows[2][row] = &e.g11;
        });
        D plane[6], axes[6], gram[6];
        L::columnsOf(rows[0], plane);
        L::columnsOf(rows[1], axes);
        L::columnsOf(rows[2], gram);
        const Lanes3<L> q = point - Lanes3<L>{plane[0], plane[1], plane[2]};
        const D h = dot(q, Lanes3<L>{plane[3], plane[4], plane[5]});
        const D depth = query.isFace ? -h : halfThickness - absLanes<L>(h);
        const D a = dot(q, Lanes3<L>{axes[0], axes[1], axes[2]}), b = dot(q, Lanes3<L>{axes[3], axes[4], axes[5]});
        const D g11 = gram[0], g12 = gram[1], g22 = gram[2], det = gram[3];
        const D x = absLanes<L>(g22 * a - g12 * b), y = absLanes<L>(g11 * b - g12 * a);
        const D half = halfOne * det, below = half * narrow, above = half * wide;
        const M inside = (M)(depth >= shallowest) & (M)(depth <= deepest) & (M)(det > zero);
        const M inX = (M)(x <= below), inY = (M)(y <= below);
        const M decided = (M)(half >= smallest) & (M)(half <= largest) & (inX | (M)(x >= above)) &
                          (inY | (M)(y >= above));
        const M touching = inside & inX & inY, unsure = inside & ~decided;
        // Usually none or one or two lanes: visited by their bits, lowest
        // first, rather than with a branch for every lane.
        unsigned found = L::bits(touching | unsure);
        if (found == 0) continue;
        const unsigned doubtful = L::bits(unsure);
        double depths[W];
        std::memcpy(depths, &depth, sizeof depths);
        for (; found != 0; found &= found - 1) {
            const int l = __builtin_ctz(found);
            QuadPlace at;
            at.depth = depths[l];
            if ((doubtful >> l & 1u) && !quadTouches(query, quads[first + l], at)) continue;
            if (best < 0 || at.depth < bestDepth) {
                best = quads[first + l];
                bestDepth = at.depth;
            }
        }
    }
    return best;
}
