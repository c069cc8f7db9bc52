#pragma once
// The step's inner loops, one set per SimdPath, and what they share. Internal
// to the soft body library.
//
// The one way in: a step takes stepKernels(path) once, for the path the body
// steps in (SoftBody::ownPath, or the one its trial times; in
// SoftBody::prepareStep) and calls its two passes on ranges of springs and
// nodes. The scalar kernels live in SoftBodyStep.cpp; each wide path's are
// springsWide and nodesWide (WideStep.h) over one lane set (Lanes.h),
// compiled by a file of its own, SoftBodyStep<Path>.cpp, that switches the
// compiler to its instruction set (#pragma GCC target) after including
// every other header. Everything in the other headers, this one included,
// stays code for every processor, so the linker can never keep a copy of an
// inline function that needs instructions the processor lacks; and a path is
// chosen only where the processor has its instructions (SimdPath.h). The
// passes hand runs too short for their lanes to the scalar kernels.

#include "geometry/Box.h"
#include "geometry/GenericObject.h"
#include "geometry/Sphere.h"
#include "geometry/Spring.h"
#include "softbody/MassPoint.h"
#include "softbody/SimdPath.h"
#include "softbody/SurfaceQuads.h"

#include <cmath>
#include <cstddef>
#include <utility>

#if defined(BLORP_X86_PATHS)
// For the wide passes, which must find it included before their target
// switch. GCC 12 warns inside its own AVX-512 intrinsics, whose unused merge
// sources are deliberately uninitialised; the warning is silenced for that
// header only.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop
#endif

/// One scene object as the contact phase sees it during a step.
struct ContactShape {
    enum Kind : int { box,
                      sphere,
                      other };
    /// No point outside [low, high] on any axis can be inside the object, so
    /// a point outside them is passed by without asking the object.
    double low[3], high[3];
    /// A box's lower and far corners, when all six coordinates are finite;
    /// then its normal can be found from the distances along single axes.
    double corner[3], farCorner[3];
    bool finite;
    Kind kind;
    GenericObject* object;
};

/// Everything the node pass of one step reads besides the nodes' own state.
struct NodePass {
    MassPoint* nodes;
    const Spring* springs;
    double dt;
    bool gravity;
    bool glass;
    bool prefetch;
    double floorY, wallXMin, wallXMax, wallZMin, wallZMax;
    const ContactShape* shapes;  ///< the scene objects in list order
    int shapeCount;
    /// The nodes' forces already hold gravity and the spring sum
    /// (SoftBody::gatherForces); the pass adds only the pending external force.
    bool forcesGathered = false;
};

/// Most contacts one node answers in one step through the fast path; a node
/// with more is answered by respondToContactsReference.
constexpr int kMaxContacts = 8;

/// The spring and node passes of one SimdPath.
struct StepKernels {
    /// Springs [begin, end) of a body of `total`.
    void (*springs)(Spring* springs, int begin, int end, int total, bool prefetch);
    /// Nodes [begin, end), each finished (forces, contacts, integration) on its own.
    void (*nodes)(const NodePass& pass, int begin, int end);
    /// Surface quads [begin, end) of the contact search between bodies.
    void (*quads)(const QuadPass& pass, int begin, int end);
    /// nearestQuad (SurfaceQuads.h): the quad a point touches least deep.
    int (*nearestQuad)(const QuadQuery& query, const int* quads, int count);
};

/// The kernels of a path; the scalar ones for a path this build lacks.
const StepKernels& stepKernels(SimdPath path);

extern const StepKernels kSse2Kernels, kAvx2Kernels, kAvx512vlKernels, kAvx512Kernels;

// Shared by every path. The helpers below are static so that every file gets
// its own copy; inlined into a wide loop, they become part of it.

// The ends are reached through pointers, so the hardware cannot foresee
// them; ask for the ends of a spring a few places ahead, and for the springs
// themselves further ahead still (a row's springs are short runs that the
// hardware's own prefetching barely gets going on). Always inlined: as a
// call, the compiler would see a function without effects and drop it.
[[gnu::always_inline]] static inline void prefetchSpring(const Spring* springs, int s, int total)
{
    constexpr int kLookAhead = 16, kStreamAhead = 40;
    if (s + kStreamAhead < total) {
        const char* ahead = reinterpret_cast<const char*>(&springs[s + kStreamAhead]);
        __builtin_prefetch(ahead);
        __builtin_prefetch(ahead + 64);
    }
    if (s + kLookAhead < total) {
        __builtin_prefetch(springs[s + kLookAhead].pointA);
        __builtin_prefetch(springs[s + kLookAhead].pointB);
    }
}

/// Stages 1 to 4 of the update of nodes [n, n + K) (clearForce, addGravity,
/// the spring sum, applyExternalForce), with the spring sums written out so
/// that they stay in the caller's loop; for a large body it also asks for
/// the spring forces of the node after next, if that is still before `end`.
/// Each sum is a chain of additions, each waiting for the one before, so
/// one node at a time leaves the adders idle while a chain's results come
/// through; K chains side by side keep them busy. Every node still adds its
/// own forces in its own order. (The loops over the K nodes are unrolled
/// whole, so that their sums stay in registers.) Without kAddExternal, only
/// stages 1 to 3; of a pass whose forces are gathered already, only stage 4.
template <int K = 1, bool kAddExternal = true>
[[gnu::always_inline]] static inline void gatherForces(const NodePass& pass, int n, int end)
{
    if (kAddExternal && pass.forcesGathered) {
#pragma GCC unroll 8
        for (int k = 0; k < K; ++k) pass.nodes[n + k].applyExternalForce();
        return;
    }
    const Spring* all = pass.springs;
    MassPoint* points[K];
    Vector3 force[K];
    std::size_t common = ~std::size_t(0);
#pragma GCC unroll 8
    for (int k = 0; k < K; ++k) {
        if (pass.prefetch && n + k + 2 < end)
            for (SpringAttachment a : pass.nodes[n + k + 2].springs) __builtin_prefetch(&attachedForce(all, a));
        MassPoint& point = *(points[k] = &pass.nodes[n + k]);
        point.clearForce();
        if (pass.gravity) point.addGravity();
        force[k] = point.force;
        common = point.springs.size() < common ? point.springs.size() : common;
    }
    for (std::size_t i = 0; i < common; ++i)
#pragma GCC unroll 8
        for (int k = 0; k < K; ++k) force[k] += attachedForce(all, points[k]->springs.begin()[i]);
#pragma GCC unroll 8
    for (int k = 0; k < K; ++k) {
        MassPoint& point = *points[k];
        for (std::size_t i = common; i < point.springs.size(); ++i) force[k] += attachedForce(all, point.springs.begin()[i]);
        point.force = force[k];
        if (kAddExternal) point.applyExternalForce();
    }
}

// Box::normalAt for a finite box and a point inside its bounds. Each of its
// distances |n · (p - face point)| has one non-zero component of n, ±1, and
// the other two products are zeros of either sign, which change neither the
// sum nor its absolute value: the distance is the absolute difference along
// that one axis, the same bits.
[[gnu::always_inline]] static inline Vector3 boxNormal(const ContactShape& box, const Vector3& p)
{
    const double distances[6] = {std::fabs(p.y - box.corner[1]), std::fabs(p.x - box.corner[0]),
                                 std::fabs(p.z - box.corner[2]), std::fabs(p.y - box.farCorner[1]),
                                 std::fabs(p.x - box.farCorner[0]), std::fabs(p.z - box.farCorner[2])};
    static const Vector3 kNormals[6] = {{0, -1, 0}, {-1, 0, 0}, {0, 0, -1}, {0, 1, 0}, {1, 0, 0}, {0, 0, 1}};
    // Strictly smaller only, so a tie keeps the earlier face. Written out,
    // so that the choice is a few conditional moves rather than a loop.
    int best = 0;
    double nearest = distances[0];
    auto consider = [&](int f) {
        const bool nearer = distances[f] < nearest;
        best = nearer ? f : best;
        nearest = nearer ? distances[f] : nearest;
    };
    consider(1), consider(2), consider(3), consider(4), consider(5);
    return kNormals[best];
}

/// The contact normals of a point, in the order they are to be answered:
/// the count (0 for a point clear of everything, found without asking any
/// object), or -1 when they cannot be known before answering (an object of
/// another kind contains the point, or there are more than kMaxContacts);
/// respondToContactsReference answers that point instead.
[[gnu::always_inline]] static inline int contactNormals(const NodePass& pass, const MassPoint& point,
                                                        double normals[kMaxContacts][3])
{
    // The order of respondToContactsReference. Boxes and spheres choose
    // their normal from the position alone, which the contact phase does not
    // change, so their normals can all be found before the first is answered.
    const Vector3& p = point.position;
    // Each plane on its own: a point with one undefined coordinate can still
    // reach a plane by another.
    const bool anyPlane = p.y <= pass.floorY || p.x <= pass.wallXMin || p.x >= pass.wallXMax ||
                          p.z <= pass.wallZMin || p.z >= pass.wallZMax;
    int count = 0;
    auto add = [&](const Vector3& n) {
        if (count == kMaxContacts) return false;
        normals[count][0] = n.x, normals[count][1] = n.y, normals[count][2] = n.z;
        ++count;
        return true;
    };
    if (anyPlane) {
        if (p.y <= pass.floorY) add(Vector3(0.0, 1.0, 0.0));
        if (p.x <= pass.wallXMin) add(Vector3(1.0, 0.0, 0.0));
        if (p.x >= pass.wallXMax) add(Vector3(-1.0, 0.0, 0.0));
        if (p.z <= pass.wallZMin) add(Vector3(0.0, 0.0, 1.0));
        if (p.z >= pass.wallZMax) add(Vector3(0.0, 0.0, -1.0));
    }
    for (int s = 0; s < pass.shapeCount; ++s) {
        const ContactShape& shape = pass.shapes[s];
        const bool within = shape.low[0] <= p.x && p.x <= shape.high[0] && shape.low[1] <= p.y &&
                            p.y <= shape.high[1] && shape.low[2] <= p.z && p.z <= shape.high[2];
        switch (shape.kind) {
        case ContactShape::box:
            // The bounds are exactly Box::contains's.
            if (within && !add(shape.finite ? boxNormal(shape, p)
                                            : static_cast<Box*>(shape.object)->Box::normalAt(p, point.velocity)))
                return -1;
            break;
        case ContactShape::sphere: {
            Sphere* sphere = static_cast<Sphere*>(shape.object);
            if (within && sphere->Sphere::contains(p) && !add(sphere->Sphere::normalAt(p, point.velocity))) return -1;
            break;
        }
        default:
            // Another kind may read the velocity, which earlier contacts change.
            if (shape.object->contains(p)) return -1;
            break;
        }
    }
    return count;
}

/// The contact phase as MassPoint's operations spell it: each plane and
/// object tested in turn, through the objects' own virtual operations, and
/// answered by respondToContact before the next test.
void respondToContactsReference(const NodePass& pass, MassPoint& point);
void computeSpringsScalar(Spring* springs, int begin, int end, int total, bool prefetch);
/// Stages 5 and 6 of a node's update, after gatherForces: the contacts and
/// the integration, one node at a time.
void finishNodeScalar(const NodePass& pass, MassPoint& point);
