#include "geometry/Triangle.h"

Triangle::Triangle() : a(0.0, 0.0, 0.0), b(0.0, 0.0, 0.0), c(0.0, 0.0, 0.0) {}

Triangle::Triangle(const Vector3& a_, const Vector3& b_, const Vector3& c_) : PlaneEquation(a_, b_, c_), a(a_), b(b_), c(c_) {}

bool Triangle::inside(Vector3 p) const
{
    // The three edge normals all point the same way only for a point inside;
    // a point off the plane tilts them apart and fails the strict tests.
    const Vector3 k0 = (b - a).cross(p - a);
    const Vector3 k1 = (c - b).cross(p - b);
    const Vector3 k2 = (a - c).cross(p - c);
    return k0.dot(k1) > 0.0 && k1.dot(k2) > 0.0;
}
