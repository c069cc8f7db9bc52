#pragma once

#include "geometry/GenericObject.h"

/// A rigid sphere; position is its centre. Points collide with it a little
/// before they reach the drawn surface, at radius + kContactMargin.
class Sphere final : public GenericObject {
public:
    static constexpr double kContactMargin = 0.05;

    double radius;  ///< drawn radius
    double contactRadiusSquared;
    double contactRadius;

    /// Unit sphere at the origin.
    Sphere();
    Sphere(const Vector3& center, double radius_);

    /// Inclusive: a point at exactly the contact radius is inside.
    bool contains(Vector3 p) override;
    /// Unit vector from the centre towards p; zero at the centre.
    Vector3 normalAt(Vector3 p, Vector3 velocity) override;
    /// A green solid sphere of the drawn radius.
    void draw() override;
    /// A "funkyglass" sphere of the drawn radius, inside one attribute block.
    void writeRib() override;
};
