#include "geometry/Box.h"

#include "geometry/Material.h"

#include <GL/gl.h>
#include <ri.h>

#include <cmath>

Box::Box() : GenericObject(Vector3(0.0, 0.0, 0.0)), height(1.0), depth(1.0), width(1.0) {}

Box::Box(const Vector3& corner, double width_, double height_, double depth_)
    : GenericObject(corner), height(height_), depth(depth_), width(width_)
{
}

bool Box::contains(Vector3 p)
{
    auto within = [](double v, double low, double extent) {
        return low - kContactMargin <= v && v <= low + extent + kContactMargin;
    };
    return within(p.x, position.x, width) && within(p.y, position.y, height) && within(p.z, position.z, depth);
}

Vector3 Box::normalAt(Vector3 p, Vector3)
{
    const Vector3 f = farCorner();
    struct Face {
        Vector3 normal;
        Vector3 point;
    };
    const Face faces[] = {
        {{0, -1, 0}, position},
        {{-1, 0, 0}, position},
        {{0, 0, -1}, position},
        {{0, 1, 0}, f},
        {{1, 0, 0}, f},
        {{0, 0, 1}, f},
    };
    const Face* best = &faces[0];
    double bestDistance = std::fabs(faces[0].normal.dot(p - faces[0].point));
    for (const Face& face : faces) {
        const double distance = std::fabs(face.normal.dot(p - face.point));
        // Strictly smaller only, so a tie keeps the earlier face.
        if (distance < bestDistance) {
            best = &face;
            bestDistance = distance;
        }
    }
    return best->normal;
}

void Box::draw()
{
    static const GLfloat kBlue[] = {0.0f, 0.0f, 1.0f, 1.0f};
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    applyMaterial(kBlue, 50.0f);

    const Vector3 f = farCorner();
    const float x0 = float(position.x), y0 = float(position.y), z0 = float(position.z);
    const float x1 = float(f.x), y1 = float(f.y), z1 = float(f.z);
    const float faces[6][4][3] = {
        {{x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}},
        {{x0, y0, z0}, {x0, y1, z0}, {x0, y1, z1}, {x0, y0, z1}},
        {{x0, y0, z0}, {x1, y0, z0}, {x1, y1, z0}, {x0, y1, z0}},
        {{x1, y1, z1}, {x1, y1, z0}, {x0, y1, z0}, {x0, y1, z1}},
        {{x1, y1, z1}, {x1, y1, z0}, {x1, y0, z0}, {x1, y0, z1}},
        {{x1, y1, z1}, {x0, y1, z1}, {x0, y0, z1}, {x1, y0, z1}},
    };
    for (const auto& face : faces) {
        glBegin(GL_POLYGON);
        for (const auto& v : face) glVertex3f(v[0], v[1], v[2]);
        glEnd();
    }
}

void Box::writeRib()
{
    const Vector3 f = farCorner();
    const RtFloat x0 = RtFloat(position.x), y0 = RtFloat(position.y), z0 = RtFloat(position.z);
    const RtFloat x1 = RtFloat(f.x), y1 = RtFloat(f.y), z1 = RtFloat(f.z);
    // Face and vertex order differ from the OpenGL drawing; every polygon
    // lies in one plane of the box.
    RtFloat faces[6][12] = {
        {x0, y1, z0, x0, y1, z1, x1, y1, z1, x1, y1, z0},
        {x0, y0, z0, x0, y1, z0, x1, y1, z0, x1, y0, z0},
        {x0, y0, z1, x0, y1, z1, x0, y1, z0, x0, y0, z0},
        {x1, y0, z0, x1, y1, z0, x1, y1, z1, x1, y0, z1},
        {x1, y0, z1, x1, y1, z1, x0, y1, z1, x0, y0, z1},
        {x0, y0, z1, x0, y0, z0, x1, y0, z0, x1, y0, z1},
    };
    RiAttributeBegin();
    RiSurface("wood2", RI_NULL);
    for (RtFloat* points : faces) RiPolygon(4, "P", points, RI_NULL);
    RiAttributeEnd();
}
