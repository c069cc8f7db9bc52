#pragma once
// The step's spring and node passes, a lane set's width of springs or nodes
// at a time (softbody/Lanes.h). Each lane does the scalar step's operations
// on its own spring or node, in the scalar step's order, so every lane set
// gives the scalar step's bits. Branches become both sides computed and the
// lane's side chosen: the side not taken has no effect but the time it costs.
//
// Compiled in the instruction set of the file that includes it, like
// Lanes.h: see StepKernels.h for the one way in.

#include "geometry/Box.h"
#include "geometry/Sphere.h"
#include "geometry/Spring.h"
#include "softbody/Lanes.h"
#include "softbody/MassPoint.h"
#include "softbody/StepKernels.h"

/// What a group of springs carries from its square root to its forces:
/// lengths, constants and the ends' velocities, and nothing that is no
/// longer needed, so that groups in flight take as few registers as they can.
template <class L>
struct SpringGroup {
    typename L::D dx, dy, dz, len;
    typename L::D rest, ks, kd;
    typename L::D va[3], vb[3];  ///< the ends' velocities
};

/// The first half of dampedSpringForces for springs [s, s + W): up to the length.
template <class L>
[[gnu::always_inline]] inline SpringGroup<L> springLengths(const Spring* springs, int s)
{
    using D = typename L::D;
    const Spring* const run = springs + s;
    const double *aRows[L::kWidth], *bRows[L::kWidth], *constants[L::kWidth];
    forEachLane<L::kWidth>([&](int l) BLORP_INLINE {
        aRows[l] = motionRow(*run[l].pointA);
        bRows[l] = motionRow(*run[l].pointB);
        constants[l] = constantsRow(run[l]);
    });
    D a[6], b[6], k[6];
    L::columnsOf(aRows, a);
    L::columnsOf(bRows, b);
    L::columnsOf(constants, k);

    SpringGroup<L> g;
    g.dx = b[0] - a[0], g.dy = b[1] - a[1], g.dz = b[2] - a[2];
    g.len = L::sqrt(g.dx * g.dx + g.dy * g.dy + g.dz * g.dz);
    g.rest = k[0], g.ks = k[1], g.kd = k[2];
    for (int c = 0; c < 3; ++c) g.va[c] = a[3 + c], g.vb[c] = b[3 + c];
    return g;
}

/// The rest of dampedSpringForces, stored into the springs' forceA and forceB.
template <class L>
[[gnu::always_inline]] inline void storeSpringForces(const SpringGroup<L>& g, Spring* springs, int s)
{
    using D = typename L::D;
    const D zero = splat<L>(0.0);
    // Hooke's law along the unit direction, which is zero where the ends coincide.
    const D f = g.ks * (g.rest - g.len);
    const auto apart = g.len != zero;
    const D ufx = f * (apart ? g.dx / g.len : zero), ufy = f * (apart ? g.dy / g.len : zero),
            ufz = f * (apart ? g.dz / g.len : zero);
    // Damping against each end's own velocity.
    const D forces[6] = {-ufx - g.kd * g.va[0], -ufy - g.kd * g.va[1], -ufz - g.kd * g.va[2],
                         ufx - g.kd * g.vb[0], ufy - g.kd * g.vb[1], ufz - g.kd * g.vb[2]};
    double* rows[L::kWidth];
    forEachLane<L::kWidth>([&](int l) BLORP_INLINE { rows[l] = forcesRow(springs[s + l]); });
    L::rowsOf(forces, rows);
}

/// The spring pass over springs [begin, end) of a body of `total`.
template <class L>
void springsWide(Spring* springs, int begin, int end, int total, bool prefetch)
{
    constexpr int W = L::kWidth;
    // Software-pipelined: the next groups' square roots are started before
    // this group's divisions. The square root and the three divisions share
    // one unit and wait for each other, and a group on its own leaves the
    // unit idle while its results come through. A group in flight holds
    // 13 vectors, so how many can be is set by the registers (L::kAhead);
    // one more than fit spills to memory and loses.
    // (Prefetches in plain loops: inside a lambda the compiler may find a
    // function without effects and drop its call, prefetches and all.)
    constexpr int ahead = L::kAhead;
    int s = begin;
    if constexpr (ahead > 0) {
        // The groups in flight rotate through ahead + 1 slots, the loop
        // unrolled so that each slot is one set of registers: a slot never
        // moves, where shifting an array of groups would copy it through
        // memory every group.
        constexpr int slots = ahead + 1;
        if (s + (slots + ahead) * W <= end) {
            auto start = [&](int at) BLORP_INLINE {
                if (prefetch)
                    for (int l = 0; l < W; ++l) prefetchSpring(springs, at + l, total);
                return springLengths<L>(springs, at);
            };
            SpringGroup<L> slot[slots];
            forEachLane<ahead>([&](int g) BLORP_INLINE { slot[g] = start(s + g * W); });
            for (; s + (slots + ahead) * W <= end; s += slots * W)
                forEachLane<slots>([&](int g) BLORP_INLINE {
                    slot[(g + ahead) % slots] = start(s + (g + ahead) * W);
                    storeSpringForces(slot[g], springs, s + g * W);
                });
            forEachLane<ahead>([&](int g) BLORP_INLINE { storeSpringForces(slot[g], springs, s + g * W); });
            s += ahead * W;
        }
    }
    for (; s + W <= end; s += W) {
        if (prefetch)
            for (int l = 0; l < W; ++l) prefetchSpring(springs, s + l, total);
        storeSpringForces(springLengths<L>(springs, s), springs, s);
    }
    if (W >= 4 && s < end && end - begin >= W) {
        // The last few springs as one group that ends at `end`: its first
        // lanes compute again what is already stored, which stores the same
        // bits, and cost less than the springs one by one. (Two lanes gain
        // too little to pay for the window.)
        storeSpringForces(springLengths<L>(springs, end - W), springs, end - W);
        s = end;
    }
    if (s < end) computeSpringsScalar(springs, s, end, total, prefetch);
}

/// MassPoint::respondToContact(n, elastic) for the lanes in `active`, each
/// lane with its own point and normal.
template <class L>
[[gnu::always_inline]] inline void respondWide(MassPoint* const* points, typename L::M active, const Lanes3<L>& n,
                                               bool elastic)
{
    using D = typename L::D;
    using V = Lanes3<L>;
    const V F = gather<L>(points, &MassPoint::force);
    const V P = gather<L>(points, &MassPoint::contactForce);
    const V v = gather<L>(points, &MassPoint::velocity);
    const D staticFriction = gather<L>(points, &MassPoint::staticFriction);
    const D kineticFriction = gather<L>(points, &MassPoint::kineticFriction);
    const D zero = splat<L>(0.0);

    // applyContactForce: the normal force, with friction where the force
    // pushes into the surface.
    const D d = dot(F, n);
    const auto pushing = d < zero;
    // applyFriction, seeing the previous response's normal force P.
    const V U = normalized(F + P);
    const V Wd = cross(U, n);
    const V Ft = scaled(U, dot(F, U)) + scaled(Wd, dot(F, Wd));
    const V Vt = scaled(U, dot(v, U)) + scaled(Wd, dot(v, Wd));
    const auto slides = (length(Ft) - length(scaled(P, staticFriction)) > zero) |
                        (length(Vt) > splat<L>(MassPoint::kStickSpeed));
    const V sliding = scaled(-normalized(Vt), length(scaled(P, kineticFriction)));
    const V friction = choose(slides, sliding, -Ft);
    const V rubbed = choose(slides, v, v + -Vt);
    const V afterFriction = choose(pushing, F + friction, F);
    const V velocity = choose(pushing, rubbed, v);
    const D pressure = absLanes<L>(d);
    const V normalForce = choose(pushing, scaled(n, pressure), splat3<L>(0.0, 0.0, 0.0));
    const V force = afterFriction + normalForce;

    // applyContactVelocity: the velocity into the surface removed, or reversed.
    const D e = dot(velocity, n);
    const V p = scaled(n, -e);
    const V stopped = velocity + p;
    const V answered = choose(e < zero, stopped + scaled(p, splat<L>(elastic ? 1.0 : 0.0)), velocity);

    scatter(points, active, &MassPoint::contactForce, normalForce);
    scatter(points, active, &MassPoint::force, force);
    scatter(points, active, &MassPoint::velocity, answered);
}

/// MassPoint::integrate(dt) for the lanes' points, leaving fixed ones alone.
template <class L>
[[gnu::always_inline]] inline void integrateWide(MassPoint* const* points, double dt)
{
    using D = typename L::D;
    const typename L::M moves = maskOf<L>([&](int l) BLORP_INLINE { return !points[l]->fixed; });
    const D mass = gather<L>(points, &MassPoint::mass);
    const Lanes3<L> F = gather<L>(points, &MassPoint::force);
    const Lanes3<L> a = {F.x / mass, F.y / mass, F.z / mass};
    const Lanes3<L> v = gather<L>(points, &MassPoint::velocity) + scaled(a, splat<L>(dt));
    const Lanes3<L> p = gather<L>(points, &MassPoint::position) +
                        (scaled(v, splat<L>(dt)) + scaled(a, splat<L>(0.5 * dt * dt)));
    scatter(points, moves, &MassPoint::acceleration, a);
    scatter(points, moves, &MassPoint::velocity, v);
    scatter(points, moves, &MassPoint::position, p);
}

/// boxNormal lane by lane.
template <class L>
[[gnu::always_inline]] inline Lanes3<L> boxNormalWide(const ContactShape& box, const Lanes3<L>& p)
{
    using D = typename L::D;
    auto distance = [](D coordinate, double face) BLORP_INLINE { return absLanes<L>(coordinate - splat<L>(face)); };
    const D distances[6] = {distance(p.y, box.corner[1]), distance(p.x, box.corner[0]),
                            distance(p.z, box.corner[2]), distance(p.y, box.farCorner[1]),
                            distance(p.x, box.farCorner[0]), distance(p.z, box.farCorner[2])};
    static const double kNormals[6][3] = {{0, -1, 0}, {-1, 0, 0}, {0, 0, -1}, {0, 1, 0}, {1, 0, 0}, {0, 0, 1}};
    auto normal = [](int f) BLORP_INLINE { return splat3<L>(kNormals[f][0], kNormals[f][1], kNormals[f][2]); };
    // Strictly smaller only, so a tie keeps the earlier face.
    D nearest = distances[0];
    Lanes3<L> n = normal(0);
    forEachLane<5>([&](int g) BLORP_INLINE {
        const auto nearer = distances[g + 1] < nearest;
        n = choose(nearer, normal(g + 1), n);
        nearest = nearer ? distances[g + 1] : nearest;
    });
    return n;
}

/// respondToContactsReference for the lanes' points: each plane and object
/// in its order, answered at once for every lane that touches it, so each
/// lane still answers its own contacts in their order. Planes and finite
/// boxes are tested and their normals found in the lanes; spheres and boxes
/// that reach to infinity lane by lane, through their own operations, for
/// the lanes within their bounds. A lane inside an object of another kind,
/// which may read the velocity that earlier contacts change, is answered
/// the reference way as a whole.
template <class L>
[[gnu::always_inline]] inline void respondToContactsWide(const NodePass& pass, MassPoint* const* points)
{
    using M = typename L::M;
    using V = Lanes3<L>;
    const V p = gather<L>(points, &MassPoint::position);

    // Lanes inside an object of another kind, answered the reference way.
    M mine = allLanes<L>();
    for (int s = 0; s < pass.shapeCount; ++s) {
        const ContactShape& shape = pass.shapes[s];
        if (shape.kind != ContactShape::other) continue;
        forEachLane<L::kWidth>([&](int l) BLORP_INLINE {
            if (mine[l] && shape.object->contains(points[l]->position)) {
                respondToContactsReference(pass, *points[l]);
                mine[l] = 0;
            }
        });
    }
    auto answer = [&](M touching, const V& normal) BLORP_INLINE {
        const M active = touching & mine;
        if (L::any(active)) respondWide<L>(points, active, normal, pass.glass);
    };

    // The floor and the walls.
    answer(p.y <= splat<L>(pass.floorY), splat3<L>(0.0, 1.0, 0.0));
    answer(p.x <= splat<L>(pass.wallXMin), splat3<L>(1.0, 0.0, 0.0));
    answer(p.x >= splat<L>(pass.wallXMax), splat3<L>(-1.0, 0.0, 0.0));
    answer(p.z <= splat<L>(pass.wallZMin), splat3<L>(0.0, 0.0, 1.0));
    answer(p.z >= splat<L>(pass.wallZMax), splat3<L>(0.0, 0.0, -1.0));

    // Boxes and spheres, in the scene's order.
    for (int s = 0; s < pass.shapeCount; ++s) {
        const ContactShape& shape = pass.shapes[s];
        if (shape.kind == ContactShape::other) continue;
        // The bounds are exactly Box::contains's.
        const M within = mine & (splat<L>(shape.low[0]) <= p.x) & (p.x <= splat<L>(shape.high[0])) &
                         (splat<L>(shape.low[1]) <= p.y) & (p.y <= splat<L>(shape.high[1])) &
                         (splat<L>(shape.low[2]) <= p.z) & (p.z <= splat<L>(shape.high[2]));
        if (!L::any(within)) continue;
        if (shape.kind == ContactShape::box && shape.finite) {
            answer(within, boxNormalWide<L>(shape, p));
            continue;
        }
        M touching = noLanes<L>();
        double normals[3][L::kWidth] = {};
        forEachLane<L::kWidth>([&](int l) BLORP_INLINE {
            if (!within[l]) return;
            MassPoint& point = *points[l];
            Vector3 n;
            if (shape.kind == ContactShape::box) {
                n = static_cast<Box*>(shape.object)->Box::normalAt(point.position, point.velocity);
            } else {
                Sphere* sphere = static_cast<Sphere*>(shape.object);
                if (!sphere->Sphere::contains(point.position)) return;
                n = sphere->Sphere::normalAt(point.position, point.velocity);
            }
            touching[l] = -1;
            normals[0][l] = n.x, normals[1][l] = n.y, normals[2][l] = n.z;
        });
        auto component = [&](int k) BLORP_INLINE { return lanesOf<L>([&](int l) BLORP_INLINE { return normals[k][l]; }); };
        answer(touching, V{component(0), component(1), component(2)});
    }
}

/// The node pass over nodes [begin, end): each node's forces gathered, its
/// contacts answered and the node moved, as finishNodeScalar does one node.
template <class L>
void nodesWide(const NodePass& pass, int begin, int end)
{
    constexpr int W = L::kWidth;
    int n = begin;
    for (; n + W <= end; n += W) {
        constexpr int sideBySide = W < 4 ? W : 4;
        for (int l = 0; l < W; l += sideBySide) gatherForces<sideBySide>(pass, n + l, end);
        MassPoint* points[W];
        forEachLane<W>([&](int l) BLORP_INLINE { points[l] = &pass.nodes[n + l]; });
        respondToContactsWide<L>(pass, points);
        integrateWide<L>(points, pass.dt);
    }
    for (; n < end; ++n) {
        gatherForces(pass, n, end);
        finishNodeScalar(pass, pass.nodes[n]);
    }
}
