#pragma once

#include "geometry/GenericObject.h"

/// A sphere without contact margin. Its volume is held in `center`, not in
/// `position`, so moveBy() does not move it.
class PlainSphere final : public GenericObject {
public:
    Vector3 center;
    double radius;
    double radiusSquared;

    PlainSphere();
    PlainSphere(const Vector3& center_, double radius_);

    bool contains(Vector3 p) override;
    Vector3 normalAt(Vector3 p, Vector3 velocity) override;
};
