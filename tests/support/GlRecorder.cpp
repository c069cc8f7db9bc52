#include "GlRecorder.h"

#include <GL/gl.h>
#include <GL/glut.h>

#include <cstdio>

namespace glrecorder {
namespace {
std::vector<Call>& log()
{
    static std::vector<Call> entries;
    return entries;
}

// Number of floats that glMaterialfv / glLightfv read for a parameter name.
int valueCount(GLenum pname)
{
    switch (pname) {
    case GL_SHININESS:
    case GL_SPOT_EXPONENT:
    case GL_SPOT_CUTOFF:
    case GL_CONSTANT_ATTENUATION:
    case GL_LINEAR_ATTENUATION:
    case GL_QUADRATIC_ATTENUATION:
        return 1;
    case GL_SPOT_DIRECTION:
        return 3;
    default:
        return 4;
    }
}

std::vector<double> withValues(std::vector<double> head, GLenum pname, const GLfloat* values)
{
    for (int i = 0; i < valueCount(pname); ++i) head.push_back(values[i]);
    return head;
}
}  // namespace

std::string Call::text() const
{
    std::string out = name + "(";
    char buffer[32];
    for (size_t i = 0; i < args.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, "%g", args[i]);
        if (i > 0) out += ",";
        out += buffer;
    }
    return out + ")";
}

const std::vector<Call>& calls() { return log(); }
void clear() { log().clear(); }

std::vector<std::string> texts()
{
    std::vector<std::string> out;
    out.reserve(log().size());
    for (const Call& call : log()) out.push_back(call.text());
    return out;
}

int count(const std::string& name)
{
    int n = 0;
    for (const Call& call : log()) n += call.name == name;
    return n;
}

void record(const char* name, std::vector<double> args) { log().push_back(Call{name, std::move(args)}); }

int packRowLength = 0;
std::array<unsigned char, 3> readPixel(int x, int y)
{
    return {static_cast<unsigned char>(x), static_cast<unsigned char>(y), static_cast<unsigned char>(x * 7 + y * 3)};
}

}  // namespace glrecorder

using glrecorder::record;

extern "C" {
void glBegin(GLenum mode) { record("glBegin", {double(mode)}); }
void glEnd() { record("glEnd", {}); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { record("glVertex3f", {x, y, z}); }
void glNormal3f(GLfloat x, GLfloat y, GLfloat z) { record("glNormal3f", {x, y, z}); }
void glColor3f(GLfloat r, GLfloat g, GLfloat b) { record("glColor3f", {r, g, b}); }
void glMaterialfv(GLenum face, GLenum pname, const GLfloat* params)
{
    record("glMaterialfv", glrecorder::withValues({double(face), double(pname)}, pname, params));
}
void glMaterialf(GLenum face, GLenum pname, GLfloat param) { record("glMaterialf", {double(face), double(pname), param}); }
void glLightfv(GLenum light, GLenum pname, const GLfloat* params)
{
    record("glLightfv", glrecorder::withValues({double(light), double(pname)}, pname, params));
}
void glEnable(GLenum cap) { record("glEnable", {double(cap)}); }
void glDisable(GLenum cap) { record("glDisable", {double(cap)}); }
void glBlendFunc(GLenum sfactor, GLenum dfactor) { record("glBlendFunc", {double(sfactor), double(dfactor)}); }
void glShadeModel(GLenum mode) { record("glShadeModel", {double(mode)}); }
void glFrontFace(GLenum mode) { record("glFrontFace", {double(mode)}); }
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) { record("glClearColor", {r, g, b, a}); }
void glClear(GLbitfield mask) { record("glClear", {double(mask)}); }
void glPushMatrix() { record("glPushMatrix", {}); }
void glPopMatrix() { record("glPopMatrix", {}); }
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) { record("glTranslatef", {x, y, z}); }
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) { record("glRotatef", {angle, x, y, z}); }
void glMatrixMode(GLenum mode) { record("glMatrixMode", {double(mode)}); }
void glLoadIdentity() { record("glLoadIdentity", {}); }
void glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) { record("glOrtho", {l, r, b, t, n, f}); }
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) { record("glViewport", {double(x), double(y), double(w), double(h)}); }
void glFinish() { record("glFinish", {}); }
void glPixelStorei(GLenum pname, GLint param)
{
    if (pname == GL_PACK_ROW_LENGTH) glrecorder::packRowLength = param;
    record("glPixelStorei", {double(pname), double(param)});
}
// Answers with glrecorder::readPixel for every pixel asked for, packed as
// the rows of glPixelStorei's GL_PACK_ROW_LENGTH (or of `width`).
void glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, void* pixels)
{
    record("glReadPixels", {double(x), double(y), double(width), double(height), double(format), double(type)});
    const int rowLength = glrecorder::packRowLength > 0 ? glrecorder::packRowLength : width;
    auto* out = static_cast<unsigned char*>(pixels);
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column) {
            const auto rgb = glrecorder::readPixel(x + column, y + row);
            for (int c = 0; c < 3; ++c) out[(size_t(row) * rowLength + column) * 3 + c] = rgb[size_t(c)];
        }
}
void glFlush() { record("glFlush", {}); }

void glutSolidSphere(GLdouble radius, GLint slices, GLint stacks) { record("glutSolidSphere", {radius, double(slices), double(stacks)}); }
void glutSwapBuffers() { record("glutSwapBuffers", {}); }
void glutPostRedisplay() { record("glutPostRedisplay", {}); }
}

// ---- GLUT window, callback and main-loop stand-ins for the viewer's tests.
// Each call is recorded like the others. What cannot be recorded as numbers
// is kept in the variables below (tests/app/GlutState.h declares them): the
// arguments glutInit received, the window title, and every registered
// callback, so a test can check which handler went where and call it.
namespace glrecorder {
std::vector<std::string> glutInitArguments;
std::string glutWindowTitle;
void (*glutDisplayCallback)() = nullptr;
void (*glutReshapeCallback)(int, int) = nullptr;
void (*glutMouseCallback)(int, int, int, int) = nullptr;
void (*glutKeyboardCallback)(unsigned char, int, int) = nullptr;
void (*glutMotionCallback)(int, int) = nullptr;
void (*glutPassiveMotionCallback)(int, int) = nullptr;
void (*glutIdleCallback)() = nullptr;
}  // namespace glrecorder

extern "C" {
void glutInit(int* argc, char** argv)
{
    glrecorder::glutInitArguments.assign(argv, argv + *argc);
    record("glutInit", {double(*argc)});
}
void glutInitDisplayMode(unsigned int mode) { record("glutInitDisplayMode", {double(mode)}); }
int glutCreateWindow(const char* title)
{
    glrecorder::glutWindowTitle = title;
    record("glutCreateWindow", {});
    return 1;
}
void glutDisplayFunc(void (*callback)())
{
    glrecorder::glutDisplayCallback = callback;
    record("glutDisplayFunc", {});
}
void glutReshapeFunc(void (*callback)(int, int))
{
    glrecorder::glutReshapeCallback = callback;
    record("glutReshapeFunc", {});
}
void glutMouseFunc(void (*callback)(int, int, int, int))
{
    glrecorder::glutMouseCallback = callback;
    record("glutMouseFunc", {});
}
void glutKeyboardFunc(void (*callback)(unsigned char, int, int))
{
    glrecorder::glutKeyboardCallback = callback;
    record("glutKeyboardFunc", {});
}
void glutMotionFunc(void (*callback)(int, int))
{
    glrecorder::glutMotionCallback = callback;
    record("glutMotionFunc", {});
}
void glutPassiveMotionFunc(void (*callback)(int, int))
{
    glrecorder::glutPassiveMotionCallback = callback;
    record("glutPassiveMotionFunc", {});
}
void glutIdleFunc(void (*callback)())
{
    glrecorder::glutIdleCallback = callback;
    record("glutIdleFunc", {});
}
// The real main loop never returns; this one returns at once so a test can
// look at what the entry sequence did.
void glutMainLoop() { record("glutMainLoop", {}); }
}
