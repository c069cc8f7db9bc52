#include "softbody/SoftBody.h"

#include "geometry/Material.h"

#include <GL/gl.h>

namespace {
void vertex(const MassPoint* point)
{
    glVertex3f(float(point->position.x), float(point->position.y), float(point->position.z));
}

void quad(const MassPoint* a, const MassPoint* b, const MassPoint* c, const MassPoint* d)
{
    glBegin(GL_POLYGON);
    vertex(a);
    vertex(b);
    vertex(c);
    vertex(d);
    glEnd();
}
}  // namespace

void SoftBody::draw() const
{
    // A chain has no surface; its springs are what makes it visible.
    if (isLine) drawSprings();

    const GLfloat diffuse[] = {colour[0], colour[1], colour[2], 1.0f};
    applyMaterial(diffuse, 128.0f);
    glDisable(GL_CULL_FACE);
    if (glass) {
        // Additive blending, deliberately left on for whatever is drawn next.
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    }

    // Six sides, each quad counter-clockwise seen from outside the body.
    const int NX = nodesX, NY = nodesY, NZ = nodesZ;
    for (int p = 1; p < NX; ++p)
        for (int q = 1; q < NY; ++q)
            quad(node(p, q, NZ - 1), node(p - 1, q, NZ - 1), node(p - 1, q - 1, NZ - 1), node(p, q - 1, NZ - 1));
    for (int p = NX - 1; p >= 1; --p)
        for (int q = NY - 1; q >= 1; --q)
            quad(node(p, q, 0), node(p, q - 1, 0), node(p - 1, q - 1, 0), node(p - 1, q, 0));
    for (int p = 1; p < NY; ++p)
        for (int q = 1; q < NZ; ++q)
            quad(node(NX - 1, p, q), node(NX - 1, p - 1, q), node(NX - 1, p - 1, q - 1), node(NX - 1, p, q - 1));
    for (int p = NY - 1; p >= 1; --p)
        for (int q = NZ - 1; q >= 1; --q)
            quad(node(0, p, q), node(0, p, q - 1), node(0, p - 1, q - 1), node(0, p - 1, q));
    for (int p = 1; p < NX; ++p)
        for (int q = 1; q < NZ; ++q)
            quad(node(p, NY - 1, q), node(p, NY - 1, q - 1), node(p - 1, NY - 1, q - 1), node(p - 1, NY - 1, q));
    for (int p = NX - 1; p >= 1; --p)
        for (int q = NZ - 1; q >= 1; --q)
            quad(node(p, 0, q), node(p - 1, 0, q), node(p - 1, 0, q - 1), node(p, 0, q - 1));
}

void SoftBody::drawSprings() const
{
    for (int s = 0; s < springTotal; ++s) springs[s].draw();
}
