#pragma once

#include "geometry/Vector3.h"

/// A plane normal·p + offset = 0, built from three points.
class PlaneEquation {
public:
    Vector3 normalVector;  // unit normal; read through normal(), since C++ cannot give field and accessor one name
    double offset;

    /// The degenerate plane: normal (0, 0, 0), offset 0.
    PlaneEquation();
    /// The plane through p1, p2, p3; the winding p1 → p2 → p3 fixes the normal's side
    /// (right-hand rule). Collinear points give normal (0, 0, 0) and offset 0.
    PlaneEquation(const Vector3& p1, const Vector3& p2, const Vector3& p3);
    virtual ~PlaneEquation() = default;

    virtual bool inside(Vector3 p) const = 0;
    Vector3 normal() const { return normalVector; }
};
