#pragma once

#include "geometry/Vector3.h"

#include <vector>

struct Spring;

/// One node of a soft body's lattice.
struct MassPoint {
    Vector3 position;
    Vector3 velocity;
    Vector3 acceleration;  ///< from the last integration
    Vector3 force;          ///< accumulator, rebuilt from zero every step
    Vector3 contactForce;   ///< normal force of the most recent contact response; kept across steps
    Vector3 externalForce;  ///< user pushes waiting for the next step
    double staticFriction;
    double kineticFriction;
    std::vector<Spring*> springs;  ///< attached springs, in attachment order
    std::vector<int> springEnds;   ///< parallel to springs: 1 = this is pointA, 2 = pointB
    double mass;
    bool fixed;  ///< a fixed point is never moved by integration

    MassPoint(const Vector3& position_, double mass_);

    void clearForce() { force.zero(); }
    /// Adds the weight -9.8·mass along y.
    void addGravity();
    /// Adds every attached spring's force on this end, in attachment order.
    void addSpringForces();
    /// Moves the pending push into the force and clears it.
    void applyExternalForce();
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
    void integrate(double dt);
};
