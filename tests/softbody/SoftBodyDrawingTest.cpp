#include "GlRecorder.h"
#include "softbody/SoftBody.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
std::string call(const char* name, std::vector<double> args) { return glrecorder::Call{name, std::move(args)}.text(); }

SoftBody quietBody(int cx, int cy, int cz)
{
    testing::internal::CaptureStderr();
    SoftBody body(cx, cy, cz, 0, 0, 0, 1.0, 600, 0.01, 0.5);
    testing::internal::GetCapturedStderr();
    return body;
}

std::vector<glrecorder::Call> drawn(const SoftBody& body)
{
    glrecorder::clear();
    body.draw();
    return glrecorder::calls();
}

// The vertices of every quad, in drawing order.
std::vector<std::vector<Vector3>> quads(const std::vector<glrecorder::Call>& calls)
{
    std::vector<std::vector<Vector3>> out;
    for (const glrecorder::Call& c : calls) {
        if (c.name == "glBegin" && c.args[0] == GL_POLYGON) out.emplace_back();
        if (c.name == "glVertex3f" && !out.empty()) out.back().emplace_back(c.args[0], c.args[1], c.args[2]);
    }
    return out;
}
}  // namespace

TEST(SoftBodyDrawing, SetsMaterialAndBlendsOnlyGlass)
{
    SoftBody glass = quietBody(1, 1, 1);
    glass.colour[0] = 0.8f, glass.colour[1] = 0.2f, glass.colour[2] = 0.2f;
    const auto calls = drawn(glass);
    const std::vector<std::string> head = {
        call("glClearColor", {0, 0, 0, 0}),
        call("glShadeModel", {GL_SMOOTH}),
        call("glMaterialfv", {GL_FRONT, GL_AMBIENT, 0.8f, 0.2f, 0.2f, 1}),
        call("glMaterialfv", {GL_FRONT, GL_DIFFUSE, 0.8f, 0.2f, 0.2f, 1}),
        call("glMaterialfv", {GL_FRONT, GL_SPECULAR, 1, 1, 1, 1}),
        call("glMaterialfv", {GL_FRONT, GL_SHININESS, 128}),
        call("glDisable", {GL_CULL_FACE}),
        call("glEnable", {GL_BLEND}),
        call("glBlendFunc", {GL_SRC_ALPHA, GL_ONE}),
        call("glBegin", {GL_POLYGON}),
    };
    const std::vector<std::string> texts = glrecorder::texts();
    ASSERT_GE(texts.size(), head.size());
    EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.begin() + long(head.size())), head);
    EXPECT_EQ(glrecorder::count("glDisable"), 1) << "blending is left on";

    const SoftBody sheet = quietBody(24, 0, 24);
    drawn(sheet);
    EXPECT_EQ(glrecorder::count("glEnable"), 0) << "a flat body is not blended";
    EXPECT_EQ(glrecorder::count("glBlendFunc"), 0);
}

TEST(SoftBodyDrawing, OneCellDrawsSixCounterClockwiseQuadsInSideOrder)
{
    const SoftBody body = quietBody(1, 1, 1);
    const auto q = quads(drawn(body));
    ASSERT_EQ(q.size(), 6u);
    auto at = [&](int i, int j, int k) { return body.node(i, j, k)->position; };
    const std::vector<std::vector<Vector3>> expected = {
        {at(1, 1, 1), at(0, 1, 1), at(0, 0, 1), at(1, 0, 1)},  // k = NZ-1
        {at(1, 1, 0), at(1, 0, 0), at(0, 0, 0), at(0, 1, 0)},  // k = 0
        {at(1, 1, 1), at(1, 0, 1), at(1, 0, 0), at(1, 1, 0)},  // i = NX-1
        {at(0, 1, 1), at(0, 1, 0), at(0, 0, 0), at(0, 0, 1)},  // i = 0
        {at(1, 1, 1), at(1, 1, 0), at(0, 1, 0), at(0, 1, 1)},  // j = NY-1
        {at(1, 0, 1), at(0, 0, 1), at(0, 0, 0), at(1, 0, 0)},  // j = 0
    };
    EXPECT_EQ(q, expected);
    // Seen from outside, each quad runs counter-clockwise: its normal points away from the centre.
    const Vector3 centre(0.5, 0.5, 0.5);
    for (size_t f = 0; f < q.size(); ++f) {
        const Vector3 normal = (q[f][1] - q[f][0]).cross(q[f][2] - q[f][1]);
        EXPECT_GT(normal.dot(q[f][0] - centre), 0.0) << "side " << f;
    }
}

TEST(SoftBodyDrawing, FlatBodyShowsTwoCoincidentSidesAndAChainOnlyItsSprings)
{
    const SoftBody sheet = quietBody(24, 0, 24);
    EXPECT_EQ(quads(drawn(sheet)).size(), 1152u);
    EXPECT_EQ(glrecorder::count("glEnd"), 1152);
    EXPECT_EQ(glrecorder::count("glVertex3f"), 4 * 1152);

    const SoftBody chain = quietBody(12, 0, 0);
    const auto calls = drawn(chain);
    EXPECT_EQ(quads(calls).size(), 0u);
    EXPECT_EQ(glrecorder::count("glBegin"), 12);
    EXPECT_EQ(calls.front().name, "glClearColor") << "the springs come first";
    int lines = 0;
    for (const auto& c : calls) lines += c.name == "glBegin" && c.args[0] == GL_LINES;
    EXPECT_EQ(lines, 12);

    glrecorder::clear();
    chain.drawSprings();
    EXPECT_EQ(glrecorder::count("glVertex3f"), 24);
}

TEST(SoftBodyDrawing, DrawingTwiceIssuesIdenticalCalls)
{
    const SoftBody body = quietBody(3, 2, 2);
    const auto first = drawn(body);
    const auto second = drawn(body);
    EXPECT_EQ(first, second);
    EXPECT_EQ(quads(first).size(), size_t(2 * (3 * 2 + 2 * 2 + 3 * 2)));
}
