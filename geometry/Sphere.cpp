#include "geometry/Sphere.h"

#include "geometry/Material.h"

#include <GL/gl.h>
#include <GL/glut.h>
#include <ri.h>

Sphere::Sphere() : Sphere(Vector3(0.0, 0.0, 0.0), 1.0) {}

Sphere::Sphere(const Vector3& center, double radius_)
    : GenericObject(center), radius(radius_), contactRadiusSquared(0.0), contactRadius(radius_ + kContactMargin)
{
    contactRadiusSquared = contactRadius * contactRadius;
}

bool Sphere::contains(Vector3 p) { return p.distanceSquared(position) <= contactRadiusSquared; }

Vector3 Sphere::normalAt(Vector3 p, Vector3) { return position.directionTo(p); }

void Sphere::draw()
{
    static const GLfloat kGreen[] = {0.0f, 0.9f, 0.0f, 1.0f};
    applyMaterial(kGreen, 50.0f);
    glEnable(GL_DEPTH_TEST);
    glPushMatrix();
    glTranslatef(float(position.x), float(position.y), float(position.z));
    glutSolidSphere(radius, 20, 20);
    glPopMatrix();
}

void Sphere::writeRib()
{
    // A darker green than the viewer's material.
    RtColor green = {0.0f, 0.8f, 0.0f};
    const RtFloat r = RtFloat(radius);
    RiAttributeBegin();
    RiTranslate(RtFloat(position.x), RtFloat(position.y), RtFloat(position.z));
    RiColor(green);
    RiSurface("funkyglass", RI_NULL);
    RiSphere(r, -r, r, 360.0f, RI_NULL);
    RiAttributeEnd();
}
