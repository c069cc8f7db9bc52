#pragma once

#include "geometry/GenericObject.h"

/// An axis-aligned half-space; the solid side is the one the normal points away from.
class Plane final : public GenericObject {
public:
    Vector3 normal;  ///< one of the six unit axis vectors
    double value;    ///< the plane's coordinate along that axis

    Plane() = default;  ///< normal and value unset
    Plane(const Vector3& normal_, double value_) : normal(normal_), value(value_) {}

    /// Compares the one coordinate that the normal selects. A normal with no
    /// component exactly ±1 contains nothing.
    bool contains(Vector3 p) override;
    Vector3 normalAt(Vector3 p, Vector3 velocity) override;
    void print() override;

    /// Where the segment a→b meets the plane; b when the normal is zero.
    Vector3 crossing(const Vector3& a, const Vector3& b) const;
};
