#pragma once

#include "geometry/GenericObject.h"

/// An axis-aligned cube without contact margin; position is its lower corner.
class Cube final : public GenericObject {
public:
    double side;

    Cube() = default;  ///< corner and side unset
    Cube(const Vector3& corner, double side_) : GenericObject(corner), side(side_) {}

    /// Inclusive on every face, no margin.
    bool contains(Vector3 p) override;
};
