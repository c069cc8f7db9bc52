// The one freeglut extension the viewer calls, recorded like the GLUT
// stand-ins of tests/support so the entry sequence can be checked whole.
#include "GlRecorder.h"

#include <GL/glut.h>

extern "C" void glutSetOption(GLenum option, int value)
{
    glrecorder::record("glutSetOption", {double(option), double(value)});
}
