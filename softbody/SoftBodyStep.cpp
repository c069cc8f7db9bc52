#include "geometry/GenericObject.h"
#include "softbody/SoftBody.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

#if defined(__linux__)
#include <pthread.h>
#include <sched.h>
#endif

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
// Starts the step's second thread on work(), or returns no thread when none
// can be started (the caller then does all the work itself). A new thread
// starts on its creator's processor, and the scheduler can leave it there,
// sharing one core with the caller, for a good part of a step; so it is
// sent to the caller's other allowed processors at once. It stays free to
// move among those, and the caller stays free too.
template <class Work>
std::thread startHelper(Work work)
{
    std::thread helper;
    try {
        helper = std::thread(work);
    } catch (const std::system_error&) {
        return helper;
    }
#if defined(__linux__)
    cpu_set_t allowed;
    const int here = sched_getcpu();
    if (here >= 0 && pthread_getaffinity_np(pthread_self(), sizeof allowed, &allowed) == 0 && CPU_COUNT(&allowed) > 1 &&
        CPU_ISSET(here, &allowed)) {
        CPU_CLR(here, &allowed);
        pthread_setaffinity_np(helper.native_handle(), sizeof allowed, &allowed);
    }
#endif
    return helper;
}

// The ends are reached through pointers, so the hardware cannot foresee
// them; ask for the ends of a spring a few places ahead, and for the springs
// themselves further ahead still (a row's springs are short runs that the
// hardware's own prefetching barely gets going on). Always inlined: as a
// call, the compiler would see a function without effects and drop it.
[[gnu::always_inline]] inline void prefetchSpring(const Spring* springs, int s, int total)
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

#if defined(__SSE2__)
// dampedSpringForces for two springs at once, one in each lane of the SSE2
// registers. Each lane does the scalar formula's operations in the same
// order, so the results are the same bits; what is gained is that the
// square root and the three divisions, which dominate a spring's cost, are
// done two springs per instruction.
inline void dampedSpringForcesPair(Spring& s0, Spring& s1)
{
    const MassPoint &a0 = *s0.pointA, &b0 = *s0.pointB, &a1 = *s1.pointA, &b1 = *s1.pointB;
    auto lanes = [](double first, double second) { return _mm_set_pd(second, first); };
    const __m128d dx = _mm_sub_pd(lanes(b0.position.x, b1.position.x), lanes(a0.position.x, a1.position.x));
    const __m128d dy = _mm_sub_pd(lanes(b0.position.y, b1.position.y), lanes(a0.position.y, a1.position.y));
    const __m128d dz = _mm_sub_pd(lanes(b0.position.z, b1.position.z), lanes(a0.position.z, a1.position.z));
    const __m128d len =
        _mm_sqrt_pd(_mm_add_pd(_mm_add_pd(_mm_mul_pd(dx, dx), _mm_mul_pd(dy, dy)), _mm_mul_pd(dz, dz)));
    const __m128d f = _mm_mul_pd(lanes(s0.ks, s1.ks), _mm_sub_pd(lanes(s0.restLength, s1.restLength), len));
    const __m128d kd = lanes(s0.kd, s1.kd);
    // u is zero where the ends coincide, d / len elsewhere.
    const __m128d apart = _mm_cmpneq_pd(len, _mm_setzero_pd());
    const __m128d ufx = _mm_mul_pd(f, _mm_and_pd(apart, _mm_div_pd(dx, len)));
    const __m128d ufy = _mm_mul_pd(f, _mm_and_pd(apart, _mm_div_pd(dy, len)));
    const __m128d ufz = _mm_mul_pd(f, _mm_and_pd(apart, _mm_div_pd(dz, len)));
    const __m128d sign = _mm_set1_pd(-0.0);
    auto store = [](Vector3& first, Vector3& second, __m128d x, __m128d y, __m128d z) {
        _mm_storel_pd(&first.x, x), _mm_storel_pd(&first.y, y), _mm_storel_pd(&first.z, z);
        _mm_storeh_pd(&second.x, x), _mm_storeh_pd(&second.y, y), _mm_storeh_pd(&second.z, z);
    };
    store(s0.forceA, s1.forceA,
          _mm_sub_pd(_mm_xor_pd(ufx, sign), _mm_mul_pd(kd, lanes(a0.velocity.x, a1.velocity.x))),
          _mm_sub_pd(_mm_xor_pd(ufy, sign), _mm_mul_pd(kd, lanes(a0.velocity.y, a1.velocity.y))),
          _mm_sub_pd(_mm_xor_pd(ufz, sign), _mm_mul_pd(kd, lanes(a0.velocity.z, a1.velocity.z))));
    store(s0.forceB, s1.forceB, _mm_sub_pd(ufx, _mm_mul_pd(kd, lanes(b0.velocity.x, b1.velocity.x))),
          _mm_sub_pd(ufy, _mm_mul_pd(kd, lanes(b0.velocity.y, b1.velocity.y))),
          _mm_sub_pd(ufz, _mm_mul_pd(kd, lanes(b0.velocity.z, b1.velocity.z))));
}
#endif

// Runs work(begin, end) over [0, count) in two halves, the upper half on a
// second thread that ends with the call. Each index is written by exactly one
// thread and every result is computed in the same order as in one pass, so
// the outcome is identical to work(0, count). If no thread can be started the
// second half runs here.
template <class Work>
void runInTwo(int count, Work work)
{
    const int middle = count / 2;
    std::thread helper = startHelper([&] { work(middle, count); });
    if (!helper.joinable()) {
        work(0, count);
        return;
    }
    work(0, middle);
    helper.join();
}

// The spring pass over [begin, end) of the body's total springs.
template <bool kPrefetch>
void computeSprings(Spring* springs, int begin, int end, int total)
{
    int s = begin;
#if defined(__SSE2__)
    for (; s + 1 < end; s += 2) {
        if (kPrefetch) {
            prefetchSpring(springs, s, total);
            prefetchSpring(springs, s + 1, total);
        }
        dampedSpringForcesPair(springs[s], springs[s + 1]);
    }
#endif
    for (; s < end; ++s) {
        if (kPrefetch) prefetchSpring(springs, s, total);
        Spring& spring = springs[s];
        dampedSpringForces(spring.pointA->position, spring.pointA->velocity, spring.pointB->position,
                           spring.pointB->velocity, spring.restLength, spring.ks, spring.kd, spring.forceA,
                           spring.forceB);
    }
}
}  // namespace

void SoftBody::computeSpringForces()
{
    if (springTotal >= parallelThreshold)
        runInTwo(springTotal, [this](int begin, int end) { computeSpringRange(begin, end); });
    else
        computeSpringRange(0, springTotal);
}

void SoftBody::computeSpringRange(int begin, int end)
{
    // A body that fits the caches gains nothing from prefetching but the
    // instructions' cost.
    if (springTotal >= kPrefetchSprings)
        computeSprings<true>(springs, begin, end, springTotal);
    else
        computeSprings<false>(springs, begin, end, springTotal);
}

void SoftBody::step(double dt)
{
    if (springTotal >= parallelThreshold)
        runInTwo(nodeCount(), [this, dt](int begin, int end) { stepNodeRange(begin, end, dt); });
    else
        stepNodeRange(0, nodeCount(), dt);
}

void SoftBody::stepNodeRange(int begin, int end, double dt)
{
    // Spring forces were all computed beforehand and every stage below reads
    // only the node's own state, so nodes are finished one at a time and the
    // range can be split anywhere. The stages are MassPoint's clearForce,
    // addGravity, addSpringForces, applyExternalForce, the contacts and
    // integrate, with the spring sum written out so it stays in this loop.
    const Spring* all = springs;
    const bool prefetch = springTotal >= kPrefetchSprings;
    for (int n = begin; n < end; ++n) {
        if (prefetch && n + 2 < end)
            for (SpringAttachment a : nodes[n + 2].springs) __builtin_prefetch(&attachedForce(all, a));
        MassPoint& point = nodes[n];
        point.clearForce();
        if (gravityOn) point.addGravity();
        Vector3 force = point.force;
        for (SpringAttachment a : point.springs) force += attachedForce(all, a);
        point.force = force;
        point.applyExternalForce();
        respondToContacts(point);
        point.integrate(dt);
    }
}

void SoftBody::respondToContacts(MassPoint& point) const
{
    // Every test reads the same position; each contact is answered before the
    // next test, so a corner point gets one response per plane, in this order.
    const Vector3 p = point.position;
    if (p.y <= floorY) point.respondToContact(Vector3(0.0, 1.0, 0.0), glass);
    if (p.x <= wallXMin) point.respondToContact(Vector3(1.0, 0.0, 0.0), glass);
    if (p.x >= wallXMax) point.respondToContact(Vector3(-1.0, 0.0, 0.0), glass);
    if (p.z <= kWallZMin) point.respondToContact(Vector3(0.0, 0.0, 1.0), glass);
    if (p.z >= kWallZMax) point.respondToContact(Vector3(0.0, 0.0, -1.0), glass);
    if (sceneObjects == nullptr) return;
    for (GenericObject* object : *sceneObjects)
        if (object->contains(p)) point.respondToContact(object->normalAt(p, point.velocity), glass);
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

void SoftBody::computeRowSprings(int first, int last)
{
    const size_t rows = size_t(nodesX) * size_t(nodesY);
    for (size_t pass = 0; pass < 3; ++pass) {
        const int* start = &rowSpringStart[pass * (rows + 1)];
        computeSpringRange(start[first], start[last]);
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

void SoftBody::sweepUp(int first, int last, double dt)
{
    // The nodes of row (i, j) need the springs made at rows (i - 1, j - 1),
    // (i - 1, j), (i, j - 1) and (i, j); the springs made at row (i, j) end
    // in rows (i, j), (i, j + 1), (i + 1, j) and (i + 1, j + 1), none of
    // which may have moved yet. Taking the planes a band of rows at a time,
    // each band's springs and then its nodes, keeps both, and brings each
    // spring back for its second end one band later, while it is still in
    // cache; across whole planes of a large body it would not be.
    const int NY = nodesY, NZ = nodesZ;
    const int band = std::max(1, bandNodes / NZ);
    for (int j0 = 0; j0 < NY; j0 += band) {
        const int j1 = std::min(NY, j0 + band);
        for (int i = first; i < last; ++i) {
            computeRowSprings(i * NY + j0, i * NY + j1);
            stepNodeRange((i * NY + j0) * NZ, (i * NY + j1) * NZ, dt);
        }
    }
}

void SoftBody::sweepDown(int first, int last, double dt)
{
    // The mirror image: a band's springs made at plane i, then the same
    // band's nodes of plane i + 1, for i from last - 1 down to first. Row
    // (i + 1, j) then has all four of its spring rows, and none of those
    // springs' ends had moved when they were computed.
    const int NX = nodesX, NY = nodesY, NZ = nodesZ;
    const int band = std::max(1, bandNodes / NZ);
    for (int j0 = 0; j0 < NY; j0 += band) {
        const int j1 = std::min(NY, j0 + band);
        for (int i = last - 1; i >= first; --i) {
            computeRowSprings(i * NY + j0, i * NY + j1);
            if (i + 1 < NX) stepNodeRange(((i + 1) * NY + j0) * NZ, ((i + 1) * NY + j1) * NZ, dt);
        }
    }
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
}  // namespace

void SoftBody::advance(double dt)
{
    const int NX = nodesX;
    if (springTotal < parallelThreshold || NX < 4) {
        sweepUp(0, NX, dt);
        return;
    }
    // Each thread starts with half the planes but one, swept in bands; the
    // two middle planes go to whichever thread gets there first, which
    // absorbs the second thread's later start. A wider shared middle
    // balanced better but cost more: a plane taken on its own misses the
    // band's cache reuse (at 64³, a middle of 8 planes gave 1.60x and one of
    // 2 gave 1.69x over one thread, measured in alternation).
    const int lowEnd = NX / 2 - 1, highStart = NX / 2 + 1;
    const int plane = nodesY * nodesZ;
    PlaneClaims middle(lowEnd, highStart);
    // The lower thread's spring planes are all done up to this one. The
    // upper thread moves the plane where the two met once the spring plane
    // below it is done, while the lower thread moves its own last plane.
    std::atomic<int> lowerSpringsDone{-1};
    auto upperPart = [&] {
        sweepDown(highStart, NX, dt);
        for (int p; (p = middle.takeHigh()) >= 0;) sweepDown(p, p + 1, dt);
        const int met = middle.meeting();
        while (lowerSpringsDone.load(std::memory_order_acquire) < met - 1) std::this_thread::yield();
        stepNodeRange(met * plane, (met + 1) * plane, dt);
    };
    std::thread helper = startHelper(upperPart);
    if (!helper.joinable()) {
        sweepUp(0, NX, dt);
        return;
    }
    sweepUp(0, lowEnd, dt);
    lowerSpringsDone.store(lowEnd - 1, std::memory_order_release);
    for (int p; (p = middle.takeLow()) >= 0;) {
        computeRowSprings(p * nodesY, (p + 1) * nodesY);
        lowerSpringsDone.store(p, std::memory_order_release);
        stepNodeRange(p * plane, (p + 1) * plane, dt);
    }
    helper.join();
}
