#include "GlRecorder.h"
#include "geometry/Box.h"
#include "geometry/Sphere.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
std::string call(const char* name, std::vector<double> args) { return glrecorder::Call{name, std::move(args)}.text(); }

std::vector<std::string> material(float r, float g, float b)
{
    return {
        call("glMaterialfv", {GL_FRONT, GL_AMBIENT, r, g, b, 1}),
        call("glMaterialfv", {GL_FRONT, GL_DIFFUSE, r, g, b, 1}),
        call("glMaterialfv", {GL_FRONT, GL_SPECULAR, 1, 1, 1, 1}),
        call("glMaterialfv", {GL_FRONT, GL_SHININESS, 50}),
    };
}
}  // namespace

TEST(Box, DrawsSixBlueFacesAndLeavesCullingAndBlendingOff)
{
    Box box({0, 0, 0}, 2, 1, 3);
    glrecorder::clear();
    box.draw();
    std::vector<std::string> expected = {
        call("glDisable", {GL_CULL_FACE}),
        call("glDisable", {GL_BLEND}),
        call("glEnable", {GL_DEPTH_TEST}),
        call("glClearColor", {0, 0, 0, 0}),
        call("glShadeModel", {GL_SMOOTH}),
    };
    for (const std::string& m : material(0, 0, 1)) expected.push_back(m);
    const double faces[6][4][3] = {
        {{0, 0, 0}, {2, 0, 0}, {2, 0, 3}, {0, 0, 3}},
        {{0, 0, 0}, {0, 1, 0}, {0, 1, 3}, {0, 0, 3}},
        {{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {0, 1, 0}},
        {{2, 1, 3}, {2, 1, 0}, {0, 1, 0}, {0, 1, 3}},
        {{2, 1, 3}, {2, 1, 0}, {2, 0, 0}, {2, 0, 3}},
        {{2, 1, 3}, {0, 1, 3}, {0, 0, 3}, {2, 0, 3}},
    };
    for (const auto& face : faces) {
        expected.push_back(call("glBegin", {GL_POLYGON}));
        for (const auto& v : face) expected.push_back(call("glVertex3f", {v[0], v[1], v[2]}));
        expected.push_back(call("glEnd", {}));
    }
    EXPECT_EQ(glrecorder::texts(), expected);

    Box flat({1, 1, 1}, 0, 1, 1);
    glrecorder::clear();
    flat.draw();
    EXPECT_EQ(glrecorder::count("glBegin"), 6) << "a zero-width box still draws all six faces";
}

TEST(Sphere, DrawsAGreenSolidSphereOfTheDrawnRadius)
{
    Sphere sphere({1, 2, 3}, 0.5);
    glrecorder::clear();
    sphere.draw();
    std::vector<std::string> expected = {call("glClearColor", {0, 0, 0, 0}), call("glShadeModel", {GL_SMOOTH})};
    for (const std::string& m : material(0, 0.9f, 0)) expected.push_back(m);
    expected.push_back(call("glEnable", {GL_DEPTH_TEST}));
    expected.push_back(call("glPushMatrix", {}));
    expected.push_back(call("glTranslatef", {1, 2, 3}));
    expected.push_back(call("glutSolidSphere", {0.5, 20, 20}));
    expected.push_back(call("glPopMatrix", {}));
    EXPECT_EQ(glrecorder::texts(), expected);
}
