#include "geometry/GenericObject.h"
#include "softbody/SoftBody.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

namespace {
// Runs work(begin, end) over [0, count) in two halves, the upper half on a
// second thread that ends with the call. Each index is written by exactly one
// thread and every result is computed in the same order as in one pass, so
// the outcome is identical to work(0, count). If no thread can be started the
// second half runs here.
template <class Work>
void runInTwo(int count, Work work)
{
    const int middle = count / 2;
    std::thread helper;
    try {
        helper = std::thread([&] { work(middle, count); });
    } catch (const std::system_error&) {
        work(0, count);
        return;
    }
    work(0, middle);
    helper.join();
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
    // The ends are reached through pointers, so the hardware cannot foresee
    // them; ask for the ends of a spring a few places ahead.
    constexpr int kLookAhead = 16, kStreamAhead = 40;
    for (int s = begin; s < end; ++s) {
        if (s + kStreamAhead < springTotal) {
            const char* ahead = reinterpret_cast<const char*>(&springs[s + kStreamAhead]);
            __builtin_prefetch(ahead);
            __builtin_prefetch(ahead + 64);
        }
        if (s + kLookAhead < springTotal) {
            __builtin_prefetch(springs[s + kLookAhead].pointA);
            __builtin_prefetch(springs[s + kLookAhead].pointB);
        }
        Spring& spring = springs[s];
        dampedSpringForces(spring.pointA->position, spring.pointA->velocity, spring.pointB->position,
                           spring.pointB->velocity, spring.restLength, spring.ks, spring.kd, spring.forceA,
                           spring.forceB);
    }
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

void SoftBody::advancePlanes(int first, int last, int springsUntil, const std::atomic<bool>* seamReady, double dt)
{
    // Row (i, j) is done as its springs, then its nodes. Its nodes need the
    // springs made at rows (i - 1, j - 1), (i - 1, j), (i, j - 1) and (i, j);
    // the springs made at row (i, j) end in rows (i, j), (i, j + 1),
    // (i + 1, j) and (i + 1, j + 1), none of which may have moved yet. Any
    // order that does (i, j) after (i - 1, j), (i, j - 1) and (i - 1, j - 1)
    // keeps both. Going through the planes in bands of a few rows, instead
    // of whole planes, brings each spring back for its second end within a
    // band's worth of work, which fits the core's own cache; across a whole
    // plane of a large body it would not.
    const int NY = nodesY, NZ = nodesZ;
    const int band = std::max(1, bandNodes / NZ);
    for (int j0 = 0; j0 < NY; j0 += band) {
        const int j1 = std::min(NY, j0 + band);
        for (int i = first; i < last; ++i)
            for (int row = i * NY + j0; row < i * NY + j1; ++row) {
                if (i < springsUntil) computeRowSprings(row, row + 1);
                if (seamReady != nullptr) {
                    while (!seamReady->load(std::memory_order_acquire)) std::this_thread::yield();
                    seamReady = nullptr;
                }
                stepNodeRange(row * NZ, (row + 1) * NZ, dt);
            }
    }
}

void SoftBody::advance(double dt)
{
    const int NX = nodesX, NY = nodesY;
    if (springTotal < parallelThreshold || NX < 4) {
        advancePlanes(0, NX, NX, nullptr, dt);
        return;
    }
    // Two sweeps: planes [0, middle) here, [middle, NX) on a second thread.
    // The springs made at plane middle - 1 join the two halves: they are
    // computed first, here, and the other thread moves no node before they
    // are done; it computes its own first row's springs meanwhile.
    const int middle = NX / 2;
    std::atomic<bool> seamReady{false};
    std::thread helper;
    try {
        helper = std::thread([&] { advancePlanes(middle, NX, NX, &seamReady, dt); });
    } catch (const std::system_error&) {
        advancePlanes(0, NX, NX, nullptr, dt);
        return;
    }
    computeRowSprings((middle - 1) * NY, middle * NY);
    seamReady.store(true, std::memory_order_release);
    advancePlanes(0, middle, middle - 1, nullptr, dt);
    helper.join();
}
