#pragma once

#include "geometry/Vector3.h"

/// Base of the rigid scene objects that soft bodies collide with.
/// Objects are created once per scene and live for the whole run; nothing
/// deletes them through this base, so it has no virtual destructor and its
/// destructor is protected to keep anyone from trying.
class GenericObject {
public:
    Vector3 position;  ///< reference point: a box's lower corner, a sphere's centre

    GenericObject() = default;  ///< position unset
    explicit GenericObject(const Vector3& position_) : position(position_) {}

    /// True when p lies inside the collision volume (the base contains nothing).
    virtual bool contains(Vector3 p);
    /// Outward direction to push a contained point p out through; the velocity
    /// is unused by every kind. The base returns p unchanged.
    virtual Vector3 normalAt(Vector3 p, Vector3 velocity);
    virtual void print();
    /// Immediate-mode OpenGL drawing; the base draws nothing.
    virtual void draw();
    /// RenderMan description of the object; the base writes nothing.
    virtual void writeRib();

    void moveBy(const Vector3& d) { position += d; }

protected:
    ~GenericObject() = default;
};
