#pragma once
// A body's surface quads as the contact search between bodies reads them,
// and the pass that takes them from their corners' positions once a step.
// Internal to the soft body library; the wide passes are in WideQuads.h.

#include "geometry/Vector3.h"

#include <cmath>

/// One quad at one instant. Its plane goes through its corners' mean with
/// the normal of its mid-lines' cross product; the block it answers is
/// centre + u·e1 + v·e2 + h·normal with |u|, |v| ≤ 1/2 and h from `back`
/// behind it to `front` in front of it, and [low, high] is that block's box.
struct QuadShape {
    Vector3 centre, normal, e1, e2;
    double g11, g12, g22, det;  ///< Gram matrix of e1, e2 and its determinant
    Vector3 low, high;
    /// Unused: the wide passes write a shape as four rows of six doubles.
    double spare[2];
};

/// What the quad pass reads and writes.
struct QuadPass {
    const Vector3* positions;  ///< node positions, by node number, and one more after the last
    const int* corners;        ///< four per quad, turning so that e1 × e2 faces out
    QuadShape* shapes;         ///< written, one per quad
    double front, back;        ///< how far a quad's block reaches in front of it and behind it
};

/// Quad q's shape, one quad at a time: the scalar pass, and the wide passes'
/// last few quads. Each wide lane does these operations in this order.
inline void shapeQuad(const QuadPass& pass, int q)
{
    const int* c = pass.corners + 4 * q;
    const Vector3 p0 = pass.positions[c[0]], p1 = pass.positions[c[1]], p2 = pass.positions[c[2]],
                  p3 = pass.positions[c[3]];
    QuadShape& s = pass.shapes[q];
    s.centre = (p0 + p1 + p2 + p3) * 0.25;
    s.e1 = (p1 + p2 - p0 - p3) * 0.5;
    s.e2 = (p2 + p3 - p0 - p1) * 0.5;
    const Vector3 across = s.e1.cross(s.e2);
    const double area = std::sqrt(across.dot(across));
    s.normal = area > 0.0 ? across / area : Vector3(0.0, 0.0, 0.0);
    s.g11 = s.e1.dot(s.e1);
    s.g12 = s.e1.dot(s.e2);
    s.g22 = s.e2.dot(s.e2);
    s.det = s.g11 * s.g22 - s.g12 * s.g12;
    // The block is symmetric about its middle, centre + (front - back)/2 ·
    // normal, and reaches from it half of each edge's extent along each axis.
    const Vector3 middle = s.centre + s.normal * (0.5 * (pass.front - pass.back));
    const double depth = 0.5 * (pass.front + pass.back);
    // Rounding in the contact test could place a point a hair outside the exact box.
    const double slack = 1e-9 * (1.0 + std::sqrt(s.g11 + s.g22));
    const Vector3 half(0.5 * (std::fabs(s.e1.x) + std::fabs(s.e2.x)) + depth * std::fabs(s.normal.x) + slack,
                       0.5 * (std::fabs(s.e1.y) + std::fabs(s.e2.y)) + depth * std::fabs(s.normal.y) + slack,
                       0.5 * (std::fabs(s.e1.z) + std::fabs(s.e2.z)) + depth * std::fabs(s.normal.z) + slack);
    s.low = middle - half;
    s.high = middle + half;
    s.spare[0] = s.spare[1] = 0.0;
}

/// A point asked against some of a surface's quads: which of them it
/// touches (it lies between `deepest` behind and `skin` in front of the quad,
/// or for a two-sided sheet within halfThickness + skin of it, and within the
/// quad's mid-lines), and how deep.
struct QuadQuery {
    const QuadShape* shapes;
    Vector3 point;
    double skin, deepest, halfThickness;
    bool isFace;  ///< one-sided, facing out; else two-sided with a thickness
};

/// Where a point lies against a quad: its height above the quad's plane,
/// how deep it lies behind the quad (as QuadQuery counts it), and its
/// coordinates along the quad's mid-lines from the centre, -1/2 to 1/2 on it.
struct QuadPlace {
    double h, depth, u, v;
};

/// Whether query.point touches quad q, and where, one quad at a time: the
/// scalar look-up, the wide look-ups' rare undecided lanes, and the contact
/// of the quad found.
inline bool quadTouches(const QuadQuery& query, int q, QuadPlace& at)
{
    const QuadShape& e = query.shapes[q];
    const Vector3 d = query.point - e.centre;
    at.h = d.dot(e.normal);
    at.depth = query.isFace ? -at.h : query.halfThickness - std::fabs(at.h);
    if (!(at.depth >= -query.skin && at.depth <= query.deepest) || !(e.det > 0.0)) return false;
    const double a = d.dot(e.e1), b = d.dot(e.e2);
    at.u = (e.g22 * a - e.g12 * b) / e.det;
    at.v = (e.g11 * b - e.g12 * a) / e.det;
    return std::fabs(at.u) <= 0.5 && std::fabs(at.v) <= 0.5;
}

/// Of quads[0 .. count), ascending, the one query.point touches and lies
/// least deep behind (on a tie the first), or -1.
inline int nearestQuad(const QuadQuery& query, const int* quads, int count)
{
    int best = -1;
    double bestDepth = 0.0;
    QuadPlace at;
    for (int i = 0; i < count; ++i)
        if (quadTouches(query, quads[i], at) && (best < 0 || at.depth < bestDepth)) {
            best = quads[i];
            bestDepth = at.depth;
        }
    return best;
}
