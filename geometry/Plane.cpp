#include "geometry/Plane.h"

#include <iostream>

bool Plane::contains(Vector3 p)
{
    if (normal.x == 1.0) return p.x <= value;
    if (normal.x == -1.0) return p.x >= value;
    if (normal.y == 1.0) return p.y <= value;
    if (normal.y == -1.0) return p.y >= value;
    if (normal.z == 1.0) return p.z <= value;
    if (normal.z == -1.0) return p.z >= value;
    return false;
}

Vector3 Plane::normalAt(Vector3, Vector3) { return normal; }

void Plane::print()
{
    // The label and value go to standard output, the vector (like every
    // Vector3 print) to standard error.
    std::cout << "GenericObject: plane Normal: ";
    normal.print();
    std::cout << " value: " << value << std::endl;
}

Vector3 Plane::crossing(const Vector3& a, const Vector3& b) const
{
    // A later axis overrides an earlier one.
    Vector3 r = b;
    if (normal.x != 0.0) {
        const double t = (value - a.x) / (b.x - a.x);
        r = Vector3(value, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t);
    }
    if (normal.y != 0.0) {
        const double t = (value - a.y) / (b.y - a.y);
        r = Vector3(a.x + (b.x - a.x) * t, value, a.z + (b.z - a.z) * t);
    }
    if (normal.z != 0.0) {
        const double t = (value - a.z) / (b.z - a.z);
        r = Vector3(a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, value);
    }
    return r;
}
