#include "softbody/MassPoint.h"

#include "geometry/Spring.h"

#include <cmath>

namespace {
constexpr double kStaticFriction = 0.5;
constexpr double kKineticFriction = 0.3;
}  // namespace

MassPoint::MassPoint(const Vector3& position_, double mass_)
    : position(position_),
      velocity(0.0, 0.0, 0.0),
      acceleration(0.0, 0.0, 0.0),
      force(0.0, 0.0, 0.0),
      contactForce(0.0, 0.0, 0.0),
      externalForce(0.0, 0.0, 0.0),
      staticFriction(kStaticFriction),
      kineticFriction(kKineticFriction),
      mass(mass_),
      fixed(false)
{
}

void MassPoint::addSpringForces()
{
    const Spring* all = springs.springArray();
    for (SpringAttachment a : springs) force += attachedForce(all, a);
}

void MassPoint::respondToContact(const Vector3& n, bool elastic)
{
    applyContactForce(n);
    applyContactVelocity(n, elastic ? 1.0 : 0.0);
}

void MassPoint::applyContactForce(const Vector3& n)
{
    const double d = force.dot(n);
    Vector3 normalForce(0.0, 0.0, 0.0);
    if (d < 0.0) {
        normalForce = n * std::fabs(d);
        // Friction still sees the normal force of the previous response.
        applyFriction(n);
    }
    contactForce = normalForce;
    force += normalForce;
}

void MassPoint::applyFriction(const Vector3& n)
{
    const Vector3 F = force;
    const Vector3 P = contactForce;
    const Vector3 U = (F + P).normalized();
    const Vector3 W = U.cross(n);
    const Vector3 Ft = U * F.dot(U) + W * F.dot(W);
    const Vector3 Vt = U * velocity.dot(U) + W * velocity.dot(W);

    Vector3 friction;
    if (Ft.length() - (P * staticFriction).length() > 0.0 || Vt.length() > kStickSpeed) {
        friction = -Vt.normalized() * (P * kineticFriction).length();
    } else {
        velocity += -Vt;
        friction = -Ft;
    }
    force += friction;
}

void MassPoint::applyContactVelocity(const Vector3& n, double restitution)
{
    const double e = velocity.dot(n);
    if (e < 0.0) {
        const Vector3 p = n * -e;
        velocity += p;
        velocity += p * restitution;
    }
}
