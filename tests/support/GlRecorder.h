#pragma once
// A recording stand-in for the OpenGL and GLUT calls that blorp's drawing code
// makes. Tests link it instead of the real libraries: every call is appended,
// with its arguments, to one process-wide log, so a test can assert the exact
// call sequence without a display.

#include <array>
#include <string>
#include <vector>

namespace glrecorder {

struct Call {
    std::string name;          ///< e.g. "glVertex3f"
    std::vector<double> args;  ///< scalar arguments, then the values an array argument points to

    /// "glVertex3f(1,2,3)": the name and the arguments in %g form.
    std::string text() const;
    bool operator==(const Call& other) const { return name == other.name && args == other.args; }
};

/// Every call recorded since the last clear(), in order.
const std::vector<Call>& calls();
void clear();

/// The recorded calls as text, one per entry; handy for whole-sequence comparisons.
std::vector<std::string> texts();

/// How many recorded calls have this name.
int count(const std::string& name);

/// What the stand-in glReadPixels reads at window pixel (x, y), counted from
/// the bottom left: red x, green y, blue 7x + 3y, each modulo 256.
std::array<unsigned char, 3> readPixel(int x, int y);
/// The last GL_PACK_ROW_LENGTH given to glPixelStorei (0: rows of the read's width).
extern int packRowLength;

/// Appends a call; used by the stand-in functions themselves.
void record(const char* name, std::vector<double> args);

}  // namespace glrecorder
