#include "geometry/PlainSphere.h"

PlainSphere::PlainSphere() : PlainSphere(Vector3(0.0, 0.0, 0.0), 1.0) {}

PlainSphere::PlainSphere(const Vector3& center_, double radius_)
    : center(center_), radius(radius_), radiusSquared(radius_ * radius_)
{
}

bool PlainSphere::contains(Vector3 p) { return p.distanceSquared(center) <= radiusSquared; }

Vector3 PlainSphere::normalAt(Vector3 p, Vector3) { return center.directionTo(p); }
