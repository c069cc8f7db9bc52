// The GLUT calls that only the viewer makes (the freeglut extensions among
// them), recorded like the stand-ins of tests/support so the entry sequence
// and the overlays can be checked whole. Queries are answered from
// GlutState.h and not recorded.
#include "GlRecorder.h"
#include "GlutState.h"

#include <GL/freeglut.h>

namespace glrecorder {
void (*glutSpecialCallback)(int, int, int) = nullptr;
void (*glutMouseWheelCallback)(int, int, int, int) = nullptr;
void (*glutErrorCallback)(const char*, va_list) = nullptr;
int glutModifiers = 0;
}  // namespace glrecorder

using glrecorder::record;

void* glutBitmap8By13 = nullptr;

extern "C" {
void glutSetOption(GLenum option, int value) { record("glutSetOption", {double(option), double(value)}); }
void glutInitWindowSize(int width, int height) { record("glutInitWindowSize", {double(width), double(height)}); }
void glutInitErrorFunc(void (*callback)(const char*, va_list))
{
    glrecorder::glutErrorCallback = callback;
    record("glutInitErrorFunc", {});
}
void glutSpecialFunc(void (*callback)(int, int, int))
{
    glrecorder::glutSpecialCallback = callback;
    record("glutSpecialFunc", {});
}
void glutMouseWheelFunc(void (*callback)(int, int, int, int))
{
    glrecorder::glutMouseWheelCallback = callback;
    record("glutMouseWheelFunc", {});
}
int glutGetModifiers() { return glrecorder::glutModifiers; }
void glutBitmapCharacter(void*, int character) { record("glutBitmapCharacter", {double(character)}); }
void glRasterPos2i(GLint x, GLint y) { record("glRasterPos2i", {double(x), double(y)}); }
void glPushAttrib(GLbitfield mask) { record("glPushAttrib", {double(mask)}); }
void glPopAttrib() { record("glPopAttrib", {}); }
}
