#pragma once

#include "geometry/GenericObject.h"

/// An axis-aligned box; position is its lower corner. Its collision volume
/// reaches kContactMargin beyond every face.
class Box final : public GenericObject {
public:
    static constexpr double kContactMargin = 0.1;

    // Stored height, depth, width; passed width, height, depth (x, y, z).
    double height;  ///< extent along y
    double depth;   ///< extent along z
    double width;   ///< extent along x

    /// Unit box at the origin.
    Box();
    Box(const Vector3& corner, double width_, double height_, double depth_);

    /// Inclusive test against the box grown by kContactMargin on every side.
    bool contains(Vector3 p) override;
    /// Outward normal of the face plane nearest to p, treating faces as whole
    /// planes. Ties go to the earlier of -y, -x, -z, +y, +x, +z.
    Vector3 normalAt(Vector3 p, Vector3 velocity) override;
    /// Six blue polygons; leaves culling and blending off, depth test on.
    void draw() override;
    /// Six polygons with the "wood2" surface, inside one attribute block.
    void writeRib() override;

    Vector3 farCorner() const { return position + Vector3(width, height, depth); }
};
