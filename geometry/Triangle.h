#pragma once

#include "geometry/PlaneEquation.h"

/// A plane region bounded by three corners.
class Triangle : public PlaneEquation {
public:
    Vector3 a, b, c;

    /// The degenerate plane with all three corners at the origin.
    Triangle();
    Triangle(const Vector3& a, const Vector3& b, const Vector3& c);

    /// True when p lies strictly inside the triangle: points on an edge, off the
    /// triangle's plane, or in a triangle with collinear corners are outside.
    bool inside(Vector3 p) const override;
};
