#include "geometry/Box.h"
#include "geometry/GenericObject.h"
#include "geometry/Sphere.h"
#include "softbody/HelperThread.h"
#include "softbody/PathTrial.h"
#include "softbody/SoftBody.h"
#include "softbody/StepKernels.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

namespace {
// Runs work(begin, end) over [0, count) in two halves, the upper half on the
// helper thread. Each index is written by exactly one thread and every
// result is computed in the same order as in one pass, so the outcome is
// identical to work(0, count), which runs here when the helper is not to be had.
template <class Work>
void runInTwo(int count, Work work)
{
    const int middle = count / 2;
    runBeside([&] { work(0, middle); }, [&] { work(middle, count); }, [&] { work(0, count); });
}

// The spring pass over [begin, end) of the body's total springs, one spring at a time.
template <bool kPrefetch>
void computeSprings(Spring* springs, int begin, int end, int total)
{
    for (int s = begin; s < end; ++s) {
        if (kPrefetch) prefetchSpring(springs, s, total);
        Spring& spring = springs[s];
        dampedSpringForces(spring.pointA->position, spring.pointA->velocity, spring.pointB->position,
                           spring.pointB->velocity, spring.restLength, spring.ks, spring.kd, spring.forceA,
                           spring.forceB);
    }
}

void stepNodesScalar(const NodePass& pass, int begin, int end)
{
    for (int n = begin; n < end; ++n) {
        gatherForces(pass, n, end);
        finishNodeScalar(pass, pass.nodes[n]);
    }
}

void shapeQuadsScalar(const QuadPass& pass, int begin, int end)
{
    for (int q = begin; q < end; ++q) shapeQuad(pass, q);
}

const StepKernels kScalarKernels = {computeSpringsScalar, stepNodesScalar, shapeQuadsScalar, nearestQuad};

/// How the contact phase sees one scene object.
ContactShape contactShape(GenericObject* object)
{
    ContactShape shape{};
    shape.object = object;
    if (const Box* box = dynamic_cast<const Box*>(object)) {
        // Exactly Box::contains's bounds, computed the same way.
        const double extent[3] = {box->width, box->height, box->depth};
        const double corner[3] = {box->position.x, box->position.y, box->position.z};
        shape.kind = ContactShape::box;
        shape.finite = true;
        for (int k = 0; k < 3; ++k) {
            shape.low[k] = corner[k] - Box::kContactMargin;
            shape.high[k] = corner[k] + extent[k] + Box::kContactMargin;
            shape.corner[k] = corner[k];
            shape.farCorner[k] = corner[k] + extent[k];
            shape.finite = shape.finite && std::isfinite(shape.corner[k]) && std::isfinite(shape.farCorner[k]);
        }
    } else if (const Sphere* sphere = dynamic_cast<const Sphere*>(object)) {
        // A cube around the contact sphere, a millionth wider than its radius
        // so that rounding in Sphere::contains cannot reach past it. A
        // radius that is not a number leaves bounds no point is within,
        // and Sphere::contains is false for every point then too.
        const double reach = std::sqrt(sphere->contactRadiusSquared) * (1.0 + 1e-6) + 1e-300;
        const double centre[3] = {sphere->position.x, sphere->position.y, sphere->position.z};
        shape.kind = ContactShape::sphere;
        for (int k = 0; k < 3; ++k) {
            shape.low[k] = centre[k] - reach;
            shape.high[k] = centre[k] + reach;
        }
    } else {
        shape.kind = ContactShape::other;
    }
    return shape;
}
}  // namespace

const StepKernels& stepKernels(SimdPath path)
{
#if defined(BLORP_X86_PATHS)
    switch (path) {
    case SimdPath::sse2: return kSse2Kernels;
    case SimdPath::avx2: return kAvx2Kernels;
    case SimdPath::avx512vl: return kAvx512vlKernels;
    case SimdPath::avx512: return kAvx512Kernels;
    default: break;
    }
#else
    (void)path;
#endif
    return kScalarKernels;
}

void computeSpringsScalar(Spring* springs, int begin, int end, int total, bool prefetch)
{
    if (prefetch)
        computeSprings<true>(springs, begin, end, total);
    else
        computeSprings<false>(springs, begin, end, total);
}

void finishNodeScalar(const NodePass& pass, MassPoint& point)
{
    double normals[kMaxContacts][3];
    const int count = contactNormals(pass, point, normals);
    if (count < 0) respondToContactsReference(pass, point);
    for (int c = 0; c < count; ++c)
        point.respondToContact(Vector3(normals[c][0], normals[c][1], normals[c][2]), pass.glass);
    point.integrate(pass.dt);
}

void respondToContactsReference(const NodePass& pass, MassPoint& point)
{
    // Every test reads the same position; each contact is answered before the
    // next test, so a corner point gets one response per plane, in this order.
    const Vector3 p = point.position;
    if (p.y <= pass.floorY) point.respondToContact(Vector3(0.0, 1.0, 0.0), pass.glass);
    if (p.x <= pass.wallXMin) point.respondToContact(Vector3(1.0, 0.0, 0.0), pass.glass);
    if (p.x >= pass.wallXMax) point.respondToContact(Vector3(-1.0, 0.0, 0.0), pass.glass);
    if (p.z <= pass.wallZMin) point.respondToContact(Vector3(0.0, 0.0, 1.0), pass.glass);
    if (p.z >= pass.wallZMax) point.respondToContact(Vector3(0.0, 0.0, -1.0), pass.glass);
    for (int s = 0; s < pass.shapeCount; ++s) {
        GenericObject* object = pass.shapes[s].object;
        if (object->contains(p)) point.respondToContact(object->normalAt(p, point.velocity), pass.glass);
    }
}

/// What one step works with, fixed at its start: the kernels of the chosen
/// path, the scene objects as the contact phase sees them, and the rest of
/// the node pass's inputs.
struct StepSetup {
    const StepKernels* kernels;
    std::vector<ContactShape> shapes;
    NodePass pass;
    bool prefetchSprings;
    /// Where a timed step adds the helper thread's processor time for its
    /// share; nullptr when the step is not timed.
    double* helperSeconds = nullptr;
};

StepSetup SoftBody::prepareStep(double dt, SimdPath path, bool withObjects) const
{
    StepSetup setup;
    setup.kernels = &stepKernels(path);
    if (sceneObjects != nullptr && withObjects)
        for (GenericObject* object : *sceneObjects) setup.shapes.push_back(contactShape(object));
    // A body that fits the caches gains nothing from prefetching but the
    // instructions' cost.
    setup.prefetchSprings = springTotal >= kPrefetchSprings;
    setup.pass = NodePass{nodes, springs, dt, gravityOn, glass, setup.prefetchSprings,
                          floorY, wallXMin, wallXMax, kWallZMin, kWallZMax, setup.shapes.data(),
                          int(setup.shapes.size())};
    return setup;
}

void SoftBody::computeSpringForces()
{
    forcesGathered_ = false;
    // The spring pass meets no scene object.
    const StepSetup setup = prepareStep(0.0, ownPath(), false);
    if (springTotal >= parallelThreshold)
        runInTwo(springTotal, [&](int begin, int end) { computeSpringRange(setup, begin, end); });
    else
        computeSpringRange(setup, 0, springTotal);
}

void SoftBody::computeSpringRange(const StepSetup& setup, int begin, int end)
{
    setup.kernels->springs(springs, begin, end, springTotal, setup.prefetchSprings);
}

void SoftBody::gatherForces()
{
    const NodePass pass = prepareStep(0.0, ownPath(), false).pass;
    // Each node's sum is its own, so the nodes can be split anywhere, as
    // the step's node pass splits them.
    auto gather = [&pass](int begin, int end) {
        int n = begin;
        for (; n + 4 <= end; n += 4) ::gatherForces<4, false>(pass, n, end);
        for (; n < end; ++n) ::gatherForces<1, false>(pass, n, end);
    };
    if (springTotal >= parallelThreshold)
        runInTwo(nodeCount(), gather);
    else
        gather(0, nodeCount());
    forcesGathered_ = true;
}

void SoftBody::step(double dt)
{
    StepSetup setup = prepareStep(dt, ownPath());
    setup.pass.forcesGathered = forcesGathered_;
    forcesGathered_ = false;
    if (springTotal >= parallelThreshold)
        runInTwo(nodeCount(), [&](int begin, int end) { stepNodeRange(setup, begin, end); });
    else
        stepNodeRange(setup, 0, nodeCount());
}

void SoftBody::stepNodeRange(const StepSetup& setup, int begin, int end)
{
    // Spring forces were all computed beforehand and every stage reads only
    // the node's own state, so the range can be split anywhere and its nodes
    // worked on side by side.
    setup.kernels->nodes(setup.pass, begin, end);
}

void SoftBody::stepReference(double dt)
{
    forcesGathered_ = false;
    const StepSetup setup = prepareStep(dt, simdPath());
    for (int n = 0; n < nodeCount(); ++n) {
        MassPoint& point = nodes[n];
        point.clearForce();
        if (gravityOn) point.addGravity();
        point.addSpringForces();
        point.applyExternalForce();
        respondToContactsReference(setup.pass, point);
        point.integrate(dt);
    }
}

void SoftBody::sidePush(int side)
{
    // The force a spring of this body exerts when stretched by half a spacing.
    const double m = (spacing - 0.5 * spacing) * stiffness;
    const int NX = nodesX, NY = nodesY, NZ = nodesZ;
    auto pushAll = [&](const Vector3& f, auto selected) {
        for (int i = 0; i < NX; ++i)
            for (int j = 0; j < NY; ++j)
                for (int k = 0; k < NZ; ++k)
                    if (selected(i, j, k)) node(i, j, k)->addExternalForce(f);
    };
    switch (side) {
    case 0: pushAll(Vector3(m, 0.0, 0.0), [](int i, int, int) { return i == 0; }); break;
    case 1: pushAll(Vector3(-m, 0.0, 0.0), [&](int i, int, int) { return i == NX - 1; }); break;
    case 2: pushAll(Vector3(0.0, m, 0.0), [](int, int j, int) { return j == 0; }); break;
    case 3: pushAll(Vector3(0.0, -m, 0.0), [&](int, int j, int) { return j == NY - 1; }); break;
    case 4: pushAll(Vector3(0.0, 0.0, m), [](int, int, int k) { return k == 0; }); break;
    case 5: pushAll(Vector3(0.0, 0.0, -m), [&](int, int, int k) { return k == NZ - 1; }); break;
    default: break;
    }
}

void SoftBody::addRootVelocity(const Vector3& v) { node(0, 0, 0)->velocity += v; }

void SoftBody::computeRowSprings(const StepSetup& setup, int first, int last)
{
    const size_t rows = size_t(nodesX) * size_t(nodesY);
    for (size_t pass = 0; pass < 3; ++pass) {
        const int* start = &rowSpringStart[pass * (rows + 1)];
        computeSpringRange(setup, start[first], start[last]);
    }
}

// The lattice's i-planes hold two kinds of work. "Spring plane p" is the
// springs made at plane p, which end in planes p and p + 1; "node plane p"
// is moving plane p's nodes, which needs spring planes p - 1 and p. A spring
// plane must be computed before either of its node planes moves.
//
// One thread sweeps upwards, doing spring plane p and then node plane p. A
// second thread, for large bodies, sweeps downwards from the top, doing
// spring plane p and then node plane p + 1. Both take the planes of the
// middle one at a time from a shared pair of counters, so a thread that
// starts late does fewer planes instead of holding the other up.
// When the counters meet at plane a, the upper thread has done spring planes
// [a, nodesX) and node planes [a + 1, nodesX), the lower one spring and node
// planes [0, a); node plane a, which needs both sides' springs, is the upper
// thread's last. Each node's forces are summed in the same order either
// way, so the result is the same bits.

namespace {
// Calls band(j0, j1) for each of `bands` bands of rows [j0, j1), in order,
// the rows [0, rows) shared out evenly.
template <class Band>
void forEachBand(int rows, int bands, Band band)
{
    for (int b = 0; b < bands; ++b) band(rows * b / bands, rows * (b + 1) / bands);
}
}  // namespace

int SoftBody::bandCount() const
{
    // As few bands as keep each within bandNodes (at least a row each), their
    // rows shared out evenly: a last band of a few rows would pay a band's
    // edge costs for little work.
    const int most = std::max(1, bandNodes / std::max(1, nodesZ));
    return std::max(1, (nodesY + most - 1) / most);
}

void SoftBody::sweepUp(const StepSetup& setup, int first, int last)
{
    // The nodes of row (i, j) need the springs made at rows (i - 1, j - 1),
    // (i - 1, j), (i, j - 1) and (i, j); the springs made at row (i, j) end
    // in rows (i, j), (i, j + 1), (i + 1, j) and (i + 1, j + 1), none of
    // which may have moved yet. Taking the planes a band of rows at a time,
    // each band's springs and then its nodes, keeps both, and brings each
    // spring back for its second end one band later, while it is still in
    // cache; across whole planes of a large body it would not be.
    const int NY = nodesY, NZ = nodesZ;
    forEachBand(NY, bandCount(), [&](int j0, int j1) {
        for (int i = first; i < last; ++i) {
            computeRowSprings(setup, i * NY + j0, i * NY + j1);
            stepNodeRange(setup, (i * NY + j0) * NZ, (i * NY + j1) * NZ);
        }
    });
}

void SoftBody::sweepDown(const StepSetup& setup, int first, int last)
{
    // The mirror image: a band's springs made at plane i, then the same
    // band's nodes of plane i + 1, for i from last - 1 down to first. Row
    // (i + 1, j) then has all four of its spring rows, and none of those
    // springs' ends had moved when they were computed.
    const int NX = nodesX, NY = nodesY, NZ = nodesZ;
    forEachBand(NY, bandCount(), [&](int j0, int j1) {
        for (int i = last - 1; i >= first; --i) {
            computeRowSprings(setup, i * NY + j0, i * NY + j1);
            if (i + 1 < NX) stepNodeRange(setup, ((i + 1) * NY + j0) * NZ, ((i + 1) * NY + j1) * NZ);
        }
    });
}

namespace {
// The planes of the middle still to be taken, [low, high), in one word so
// that a thread takes one from its end, or learns there is none, in a
// single atomic step.
class PlaneClaims {
public:
    PlaneClaims(int low, int high) : range_(pack(low, high)) {}
    /// The lowest plane left, or -1.
    int takeLow() { return take(true); }
    /// The highest plane left, or -1.
    int takeHigh() { return take(false); }
    /// Where the two ends met, once no plane is left.
    int meeting() const { return int(range_.load(std::memory_order_acquire) & 0xffffffffu); }

private:
    static std::uint64_t pack(int low, int high) { return std::uint64_t(std::uint32_t(high)) << 32 | std::uint32_t(low); }
    int take(bool fromLow)
    {
        std::uint64_t range = range_.load(std::memory_order_acquire);
        for (;;) {
            const int low = int(range & 0xffffffffu), high = int(range >> 32);
            if (low >= high) return -1;
            const std::uint64_t rest = fromLow ? pack(low + 1, high) : pack(low, high - 1);
            if (range_.compare_exchange_weak(range, rest, std::memory_order_acq_rel)) return fromLow ? low : high - 1;
        }
    }
    std::atomic<std::uint64_t> range_;
};

// The helper thread's share of a step, adding its processor time to the
// step's when the step is timed.
template <class Work>
auto timedOnHelper(const StepSetup& setup, Work& work)
{
    return [&setup, &work] {
        if (setup.helperSeconds == nullptr) {
            work();
            return;
        }
        const double start = threadProcessorSeconds();
        work();
        *setup.helperSeconds += threadProcessorSeconds() - start;
    };
}
}  // namespace

SimdPath SoftBody::ownPath() const
{
    if (simdPathForced() || !pathTrialBegun || !pathTrial.done()) return simdPath();
    return pathTrial.chosen();
}

bool SoftBody::timingPaths() const
{
    if (simdPathForced() || springTotal < pathTrialSprings) return false;
    if (pathTrialBegun) return !pathTrial.done();
    return availableSimdPaths().size() > 1;
}

void SoftBody::advance(double dt)
{
    if (!timingPaths()) {
        advanceIn(ownPath(), dt);
        return;
    }
    if (!pathTrialBegun) {
        // The first step is not timed: it is the first to read the body since
        // it was built, and finds more or less of it in the caches than the
        // steps after it do.
        const std::vector<SimdPath> available = availableSimdPaths();
        pathTrial = PathTrial(available.data(), int(available.size()), kPathTrialRounds);
        pathTrialBegun = true;
        advanceIn(simdPath(), dt);
        return;
    }
    // Processor time, the caller's and the helper's, so that time the
    // machine gives to other work counts for no path.
    const SimdPath path = pathTrial.next();
    double helperSeconds = 0.0;
    const double start = threadProcessorSeconds();
    StepSetup setup = prepareStep(dt, path);
    setup.helperSeconds = &helperSeconds;
    sweep(setup);
    pathTrial.record(threadProcessorSeconds() - start + helperSeconds);
}

void SoftBody::advanceIn(SimdPath path, double dt) { sweep(prepareStep(dt, path)); }

void SoftBody::sweep(const StepSetup& setup)
{
    forcesGathered_ = false;
    // The lower of two row halves takes the odd row, so it is the larger.
    const int lowerRows = nodesY - nodesY / 2;
    if (springTotal < parallelThreshold || nodesX < 4)
        sweepUp(setup, 0, nodesX);
    else if (nodesY >= 2 && size_t(lowerRows) * size_t(nodesZ) <= 2 * size_t(bandNodes))
        advanceInRowHalves(setup, lowerRows);
    else
        advanceInPlaneHalves(setup);
}

void SoftBody::advanceInRowHalves(const StepSetup& setup, int h)
{
    // The lower thread takes rows [0, h) of every plane, the upper one rows
    // [h, NY), each sweeping all the planes upwards with its half of a plane
    // as its band. The springs made at row j join rows j and j + 1, so the
    // only work that crosses between the halves is the lower thread's
    // springs at row h - 1: they read the upper thread's nodes of row h,
    // and those nodes need them. So the upper thread moves its half of
    // plane i only once the lower thread has computed its springs of plane
    // i; that also keeps it from moving a node of plane i + 1 before those
    // springs of plane i have read it. The lower thread never waits, and a
    // late start of the second thread only delays that thread's own half.
    // Where the halves fit, this beats the halves by planes below
    // (docs/performance.md).
    const int NX = nodesX, NY = nodesY, NZ = nodesZ;
    std::atomic<int> lowerSpringsDone{-1};
    auto upperRows = [&] {
        for (int i = 0; i < NX; ++i) {
            computeRowSprings(setup, i * NY + h, (i + 1) * NY);
            while (lowerSpringsDone.load(std::memory_order_acquire) < i) std::this_thread::yield();
            stepNodeRange(setup, (i * NY + h) * NZ, (i + 1) * NY * NZ);
        }
    };
    auto lowerRows = [&] {
        for (int i = 0; i < NX; ++i) {
            computeRowSprings(setup, i * NY, i * NY + h);
            lowerSpringsDone.store(i, std::memory_order_release);
            stepNodeRange(setup, i * NY * NZ, (i * NY + h) * NZ);
        }
    };
    runBeside(lowerRows, timedOnHelper(setup, upperRows), [&] { sweepUp(setup, 0, NX); });
}

void SoftBody::advanceInPlaneHalves(const StepSetup& setup)
{
    // For bodies with a single row per plane, or planes whose halves are
    // more than two bands: each thread starts with half the planes but one,
    // swept in bands; the two middle planes go to whichever thread gets
    // there first, which absorbs the second thread's later start. A wider
    // shared middle balances better but costs more: a plane taken on its own
    // misses the band's cache reuse.
    const int NX = nodesX;
    const int lowEnd = NX / 2 - 1, highStart = NX / 2 + 1;
    const int plane = nodesY * nodesZ;
    PlaneClaims middle(lowEnd, highStart);
    // The lower thread's spring planes are all done up to this one. The
    // upper thread moves the plane where the two met once the spring plane
    // below it is done, while the lower thread moves its own last plane.
    std::atomic<int> lowerSpringsDone{-1};
    auto upperPart = [&] {
        sweepDown(setup, highStart, NX);
        for (int p; (p = middle.takeHigh()) >= 0;) sweepDown(setup, p, p + 1);
        const int met = middle.meeting();
        while (lowerSpringsDone.load(std::memory_order_acquire) < met - 1) std::this_thread::yield();
        stepNodeRange(setup, met * plane, (met + 1) * plane);
    };
    auto lowerPart = [&] {
        sweepUp(setup, 0, lowEnd);
        lowerSpringsDone.store(lowEnd - 1, std::memory_order_release);
        for (int p; (p = middle.takeLow()) >= 0;) {
            computeRowSprings(setup, p * nodesY, (p + 1) * nodesY);
            lowerSpringsDone.store(p, std::memory_order_release);
            stepNodeRange(setup, p * plane, (p + 1) * plane);
        }
    };
    runBeside(lowerPart, timedOnHelper(setup, upperPart), [&] { sweepUp(setup, 0, NX); });
}
