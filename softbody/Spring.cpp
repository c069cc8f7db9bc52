// The Spring operations that read its end nodes, built beside the nodes so
// that geometry/ never needs the soft body's headers.
#include "geometry/Spring.h"

#include "geometry/Material.h"
#include "softbody/MassPoint.h"

#include <GL/gl.h>

#include <iostream>

void Spring::computeForces()
{
    dampedSpringForces(pointA->position, pointA->velocity, pointB->position, pointB->velocity, restLength, ks, kd,
                       forceA, forceB);
}

void Spring::draw() const
{
    static const GLfloat kWhite[] = {1.0f, 1.0f, 1.0f, 1.0f};
    applyMaterial(kWhite, 128.0f);
    glBegin(GL_LINES);
    glVertex3f(float(pointA->position.x), float(pointA->position.y), float(pointA->position.z));
    glVertex3f(float(pointB->position.x), float(pointB->position.y), float(pointB->position.z));
    glEnd();
}

void Spring::print() const
{
    std::cerr << '[';
    pointA->position.print();
    pointB->position.print();
    std::cerr << ']';
}
