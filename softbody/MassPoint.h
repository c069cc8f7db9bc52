#pragma once

#include "geometry/Spring.h"
#include "geometry/Vector3.h"

#include <cstddef>
#include <cstdint>

/// One attachment of a spring to a mass point, packed into 32 bits: where
/// the force on this end (the spring's forceA or forceB) lies in its body's
/// spring array, counted in doubles from the array's start. The node pass
/// sums these forces for every node every step; a ready offset makes each
/// term one load, where a spring index and an end bit took five integer
/// operations to turn into an address.
using SpringAttachment = std::uint32_t;

static_assert(sizeof(Spring) % sizeof(double) == 0 && offsetof(Spring, forceA) % sizeof(double) == 0 &&
                  offsetof(Spring, forceB) == offsetof(Spring, forceA) + sizeof(Vector3),
              "a spring's forces lie on whole doubles, forceB right after forceA");
constexpr std::uint32_t kSpringDoubles = sizeof(Spring) / sizeof(double);
constexpr std::uint32_t kForceADouble = offsetof(Spring, forceA) / sizeof(double);
constexpr std::uint32_t kVectorDoubles = sizeof(Vector3) / sizeof(double);
/// Most springs a body can have for its attachments to fit 32 bits.
constexpr long long kMaxBodySprings = (0xffffffffLL - kForceADouble - kVectorDoubles) / kSpringDoubles;

/// The attachment of spring s's end (0 for pointA, 1 for pointB).
inline SpringAttachment springAttachment(std::uint32_t s, int end)
{
    return s * kSpringDoubles + kForceADouble + kVectorDoubles * std::uint32_t(end);
}
/// The index of an attachment's spring in the body's spring array.
inline std::uint32_t attachedSpring(SpringAttachment a) { return a / kSpringDoubles; }
/// 0 when the point is the spring's pointA, 1 when it is pointB.
inline int attachedEnd(SpringAttachment a) { return a % kSpringDoubles == kForceADouble ? 0 : 1; }

/// The force that an attached spring exerts on this end: its forceA or forceB.
inline const Vector3& attachedForce(const Spring* springs, SpringAttachment a)
{
    return *reinterpret_cast<const Vector3*>(reinterpret_cast<const double*>(springs) + a);
}

/// The springs attached to one mass point, in attachment order: a view into
/// the body's packed attachment array.
class AttachedSprings {
public:
    AttachedSprings() = default;
    AttachedSprings(const SpringAttachment* first, std::uint32_t count, Spring* springs)
        : first_(first), count_(count), springs_(springs)
    {
    }
    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    Spring* operator[](std::size_t s) const { return &springs_[attachedSpring(first_[s])]; }
    Spring* front() const { return (*this)[0]; }
    const SpringAttachment* begin() const { return first_; }
    const SpringAttachment* end() const { return first_ + count_; }
    Spring* springArray() const { return springs_; }

private:
    const SpringAttachment* first_ = nullptr;
    std::uint32_t count_ = 0;
    Spring* springs_ = nullptr;
};

/// Parallel to AttachedSprings: 1 where the point is that spring's pointA, 2 where it is pointB.
class AttachedEnds {
public:
    AttachedEnds() = default;
    explicit AttachedEnds(const AttachedSprings& springs) : springs_(springs) {}
    std::size_t size() const { return springs_.size(); }
    int operator[](std::size_t s) const { return attachedEnd(springs_.begin()[s]) + 1; }
    int front() const { return (*this)[0]; }

private:
    AttachedSprings springs_;
};

/// One node of a soft body's lattice.
struct alignas(64) MassPoint {
    Vector3 position;
    Vector3 velocity;
    Vector3 acceleration;   ///< from the last integration
    Vector3 force;          ///< accumulator, rebuilt from zero every step
    Vector3 contactForce;   ///< normal force of the most recent contact response; kept across steps
    Vector3 externalForce;  ///< user pushes waiting for the next step
    double staticFriction;
    double kineticFriction;
    AttachedSprings springs;  ///< attached springs, in attachment order; set by the owning body
    AttachedEnds springEnds;  ///< parallel to springs: 1 = this is pointA, 2 = pointB
    double mass;
    bool fixed;  ///< a fixed point is never moved by integration

    MassPoint(const Vector3& position_, double mass_);

    void clearForce() { force.zero(); }
    static constexpr double kGravity = 9.8;
    /// Below this tangential speed a point held by enough normal force sticks.
    static constexpr double kStickSpeed = 0.025;

    /// Adds the weight -9.8·mass along y.
    void addGravity() { force += Vector3(0.0, -kGravity * mass, 0.0); }
    /// Adds every attached spring's force on this end, in attachment order.
    void addSpringForces();
    /// Moves the pending push into the force and clears it.
    void applyExternalForce()
    {
        force += externalForce;
        externalForce.zero();
    }
    void addForce(const Vector3& f) { force += f; }
    void addExternalForce(const Vector3& f) { externalForce += f; }

    /// The full answer to one contact with outward normal n: normal force and
    /// friction, then the velocity into the surface removed (or reversed when elastic).
    void respondToContact(const Vector3& n, bool elastic);
    void applyContactForce(const Vector3& n);
    void applyFriction(const Vector3& n);
    /// restitution 0 removes the velocity into the surface, 1 reverses it.
    void applyContactVelocity(const Vector3& n, double restitution);

    /// Semi-implicit step: velocity first, then position with the updated
    /// velocity plus the half-acceleration term. A fixed point does not move.
    void integrate(double dt)
    {
        if (fixed) return;
        acceleration = force / mass;
        velocity += acceleration * dt;
        position += velocity * dt + acceleration * (0.5 * dt * dt);
    }
};
