#pragma once
// What the GLUT stand-ins keep besides the call log: glutInit's arguments,
// the window title and the registered callbacks (tests/support/GlRecorder.cpp),
// and the viewer's further callbacks and the modifier keys that
// glutGetModifiers reports (GlutExtraStandIns.cpp).

#include <cstdarg>
#include <string>
#include <vector>

namespace glrecorder {
extern std::vector<std::string> glutInitArguments;
extern std::string glutWindowTitle;
extern void (*glutDisplayCallback)();
extern void (*glutReshapeCallback)(int, int);
extern void (*glutMouseCallback)(int, int, int, int);
extern void (*glutKeyboardCallback)(unsigned char, int, int);
extern void (*glutMotionCallback)(int, int);
extern void (*glutPassiveMotionCallback)(int, int);
extern void (*glutIdleCallback)();

extern void (*glutSpecialCallback)(int, int, int);
extern void (*glutMouseWheelCallback)(int, int, int, int);
extern void (*glutErrorCallback)(const char*, va_list);
/// What glutGetModifiers returns: GLUT_ACTIVE_SHIFT, GLUT_ACTIVE_CTRL, ...
extern int glutModifiers;
}  // namespace glrecorder
