#pragma once
// The quad pass of the contact search between bodies, a lane set's width of
// quads at a time: each lane does shapeQuad's operations on its own quad, in
// its order, so every lane set gives its bits. Compiled in the instruction
// set of the file that includes it, like WideStep.h.

#include "softbody/Lanes.h"
#include "softbody/SurfaceQuads.h"

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
            const Vector3* at[W];
            forEachLane<W>([&](int l) BLORP_INLINE { at[l] = &pass.positions[pass.corners[4 * (q + l) + k]]; });
            p[k] = {lanesOf<L>([&](int l) BLORP_INLINE { return at[l]->x; }),
                    lanesOf<L>([&](int l) BLORP_INLINE { return at[l]->y; }),
                    lanesOf<L>([&](int l) BLORP_INLINE { return at[l]->z; })};
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
        forEachLane<W>([&](int l) BLORP_INLINE {
            QuadShape& s = pass.shapes[q + l];
            s.centre = Vector3(centre.x[l], centre.y[l], centre.z[l]);
            s.normal = Vector3(normal.x[l], normal.y[l], normal.z[l]);
            s.e1 = Vector3(e1.x[l], e1.y[l], e1.z[l]);
            s.e2 = Vector3(e2.x[l], e2.y[l], e2.z[l]);
            s.g11 = g11[l], s.g12 = g12[l], s.g22 = g22[l], s.det = det[l];
            s.low = Vector3(low.x[l], low.y[l], low.z[l]);
            s.high = Vector3(high.x[l], high.y[l], high.z[l]);
        });
    }
    for (; q < end; ++q) shapeQuad(pass, q);
}
