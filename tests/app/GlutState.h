#pragma once
// What the GLUT stand-ins at the end of tests/support/GlRecorder.cpp keep
// besides the call log: glutInit's arguments, the window title and the
// registered callbacks.

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
}  // namespace glrecorder
