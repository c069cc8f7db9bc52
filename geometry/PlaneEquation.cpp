#include "geometry/PlaneEquation.h"

PlaneEquation::PlaneEquation() : normalVector(0.0, 0.0, 0.0), offset(0.0) {}

PlaneEquation::PlaneEquation(const Vector3& p1, const Vector3& p2, const Vector3& p3)
{
    // The cross product (p2 - p1) × (p3 - p1) in its expanded form, which keeps
    // the rounding the same as every other build of this plane.
    const Vector3 w(p1.y * (p2.z - p3.z) + p2.y * (p3.z - p1.z) + p3.y * (p1.z - p2.z),
                    p1.z * (p2.x - p3.x) + p2.z * (p3.x - p1.x) + p3.z * (p1.x - p2.x),
                    p1.x * (p2.y - p3.y) + p2.x * (p3.y - p1.y) + p3.x * (p1.y - p2.y));
    normalVector = w.normalized();
    offset = -(p1.x * normalVector.x) - p1.y * normalVector.y - p1.z * normalVector.z;
}
