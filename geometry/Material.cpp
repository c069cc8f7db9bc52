#include "geometry/Material.h"

#include <GL/gl.h>

void applyMaterial(const float colour[4], float shininess)
{
    static const GLfloat kWhite[] = {1.0f, 1.0f, 1.0f, 1.0f};
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glShadeModel(GL_SMOOTH);
    glMaterialfv(GL_FRONT, GL_AMBIENT, colour);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, colour);
    glMaterialfv(GL_FRONT, GL_SPECULAR, kWhite);
    glMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
}
