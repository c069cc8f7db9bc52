// The viewer's controls beside the fixed display cycle: pause and single
// steps, restart and scene changes, real-time playback, the camera, the
// room, the overlays and the grab, through the recording stand-in.
#include "GlRecorder.h"
#include "GlutState.h"
#include "RibCapture.h"
#include "ViewerTestSupport.h"
#include "../world/VectorPrinting.h"
#include "app/Options.h"
#include "app/Session.h"
#include "app/Viewer.h"
#include "app/ViewerState.h"
#include "world/FrameExport.h"
#include "world/SceneStore.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <string>
#include <vector>

using namespace viewertest;

namespace {
// A clock the test moves by hand.
double fakeNow = 100.0;
double fakeClock() { return fakeNow; }

std::vector<std::string> displayed()
{
    glrecorder::clear();
    display();
    return glrecorder::texts();
}

std::vector<BodyState> states(const World& world)
{
    std::vector<BodyState> out;
    for (const SoftBody* body : world.preparedBodies) out.push_back(state(*body));
    return out;
}

// Keys whose build writes construction messages: kept off the test's output.
void quietKey(unsigned char key)
{
    testing::internal::CaptureStderr();
    keyboard(key, 0, 0);
    testing::internal::GetCapturedStderr();
}

// The characters the recorded frame drew as text, in order.
std::string drawnText()
{
    std::string text;
    for (const glrecorder::Call& c : glrecorder::calls())
        if (c.name == "glutBitmapCharacter") text += char(c.args[0]);
    return text;
}

int countOf(const std::vector<std::string>& texts, const std::string& text)
{
    return int(std::count(texts.begin(), texts.end(), text));
}

// A point moved by the recorded glTranslatef and glRotatef calls as OpenGL
// moves a vertex, the last call first: holds Camera::toEye to what OpenGL is told.
Vector3 transformedByRecordedCalls(Vector3 v)
{
    const std::vector<glrecorder::Call>& calls = glrecorder::calls();
    for (auto c = calls.rbegin(); c != calls.rend(); ++c) {
        const std::vector<double>& a = c->args;
        if (c->name == "glTranslatef") v = v + Vector3(a[0], a[1], a[2]);
        if (c->name == "glRotatef") v = rotated(v, a[0], Vector3(a[1], a[2], a[3]).normalized());
    }
    return v;
}

void expectNear(const Vector3& a, const Vector3& b, double tolerance, const std::string& what)
{
    EXPECT_NEAR(a.x, b.x, tolerance) << what;
    EXPECT_NEAR(a.y, b.y, tolerance) << what;
    EXPECT_NEAR(a.z, b.z, tolerance) << what;
}
}  // namespace

TEST(ViewerControls, EveryControlTurnedBackOffLeavesThePlainDisplayCycle)
{
    useScene(3);
    World& reference = keptWorld(3);
    keyboard(' ', 0, 0);
    keyboard(' ', 0, 0);
    for (unsigned char key : {'h', 'i', 'g', 't'}) {
        keyboard(key, 0, 0);
        keyboard(key, 0, 0);
    }
    special(GLUT_KEY_LEFT, 0, 0);
    special(GLUT_KEY_UP, 0, 0);
    special(GLUT_KEY_PAGE_UP, 0, 0);
    mouseWheel(0, -1, 0, 0);
    special(GLUT_KEY_HOME, 0, 0);
    glrecorder::clear();
    reshape(400, 300);
    EXPECT_EQ(glrecorder::texts(), (std::vector<std::string>{call("glViewport", {0, 0, 400, 300})}));

    const std::vector<std::string> frame = displayed();
    reference.step();
    EXPECT_EQ(states(globalWorld), states(reference)) << "one step per frame";
    EXPECT_EQ(frame, plainFrame());
}

TEST(ViewerControls, PauseHoldsTheWorldAndItsPushesUntilAStepOrTheResume)
{
    useScene(12);
    World& reference = keptWorld(12);
    keyboard(' ', 0, 0);
    EXPECT_TRUE(viewerState.isPaused);
    for (int frame = 0; frame < 3; ++frame) EXPECT_EQ(displayed(), plainFrame()) << "drawing goes on";
    EXPECT_EQ(states(globalWorld), states(reference)) << "no step while paused";

    keyboard('z', 0, 0);
    reference.pushSide(0);
    display();
    EXPECT_EQ(states(globalWorld), states(reference)) << "the push waits, pending";

    keyboard('.', 0, 0);
    keyboard('.', 0, 0);
    display();
    reference.step();
    reference.step();
    EXPECT_EQ(states(globalWorld), states(reference)) << "two single steps in the next frame, the push in the first";
    display();
    EXPECT_EQ(states(globalWorld), states(reference)) << "and no more";

    keyboard(' ', 0, 0);
    keyboard('.', 0, 0);
    display();
    reference.step();
    EXPECT_EQ(states(globalWorld), states(reference)) << "running: one step a frame, '.' adds none";
}

TEST(ViewerControls, RestartAndSceneKeysBuildFreshWorldsAndTheExportGoesOn)
{
    const ribcapture::TempFile file;
    useScene(7, 2);
    exportTarget = file.path().c_str();
    exportsEachStep = true;
    frameCounter = -1;
    for (int frame = 0; frame < 9; ++frame) display();
    keyboard('n', 0, 0);
    const std::vector<SoftBody*> old = globalWorld.preparedBodies;
    const BodyState oldFirst = state(*old[0]);

    keyboard(' ', 0, 0);
    quietKey('r');
    World& fresh = keptWorld(7);
    fresh.activateNextBody();
    fresh.activateNextBody();
    EXPECT_EQ(globalWorld.activatedCount, 3) << "as many bodies as before";
    for (size_t j = 0; j < old.size(); ++j) EXPECT_NE(globalWorld.preparedBodies[j], old[j]) << "body " << j;
    EXPECT_EQ(states(globalWorld), states(fresh)) << "the scene's start";
    ASSERT_NE(globalWorld.activeBodies[0]->sceneObjects, nullptr);
    EXPECT_EQ(*globalWorld.activeBodies[0]->sceneObjects, globalWorld.objects);
    display();
    EXPECT_TRUE(viewerState.isPaused);
    EXPECT_EQ(states(globalWorld), states(fresh)) << "a paused viewer shows the start";
    EXPECT_EQ(viewerState.stepsSinceStart, 0);

    keyboard(' ', 0, 0);
    for (int frame = 0; frame < 8; ++frame) display();
    EXPECT_EQ(state(*old[0]), oldFirst) << "the old world's bodies are not stepped again";
    const int kept = sceneStore::bodyCount();
    quietKey('r');
    quietKey('r');
    EXPECT_EQ(sceneStore::bodyCount(), kept) << "restarts free what they replace";
    for (int frame = 0; frame < 8; ++frame) display();

    // Scene 0 after 12 and back; a new scene starts with --bodies' count.
    viewerState.startingBodies = 2;
    viewerState.scene = 12;
    quietKey(']');
    EXPECT_EQ(viewerState.scene, 0);
    EXPECT_EQ(globalWorld.preparedBodies.size(), 4u);
    EXPECT_EQ(globalWorld.activatedCount, 2);
    EXPECT_EQ(globalWorld.objects.size(), 5u) << "scene 0's table";
    for (int frame = 0; frame < 8; ++frame) display();
    quietKey('[');
    quietKey('[');
    EXPECT_EQ(viewerState.scene, 11);
    EXPECT_EQ(globalWorld.objects.size(), 6u) << "scene 11's sphere and table";
    EXPECT_EQ(globalWorld.activatedCount, 1) << "scene 11 has one body";

    EXPECT_EQ(closeExport(), 0);
    const std::string rib = ribcapture::readFile(file.path());
    for (int frame = 0; frame < 5; ++frame) {
        const std::string name = "Display \"blorp00" + std::to_string(frame) + ".tif\"";
        EXPECT_NE(rib.find("FrameBegin " + std::to_string(frame) + "\n"), std::string::npos) << frame;
        EXPECT_NE(rib.find(name), std::string::npos) << name;
    }
    EXPECT_EQ(rib.find("FrameBegin 5"), std::string::npos);
    exportsEachStep = false;
    frameCounter = -1;
    exportTarget = "blorp10.rib";
}

TEST(ViewerControls, RealTimePlaybackStepsWithTheClockUpToItsCap)
{
    useScene(12);
    World& reference = keptWorld(12);
    viewerState.clock = fakeClock;
    keyboard('t', 0, 0);
    EXPECT_TRUE(viewerState.isRealtime);
    struct Case {
        double seconds;
        int steps;
        bool isBehind;
    };
    // The time step is 0.005 s; what a frame does not use is owed to the next.
    const Case frames[] = {{0.1, 20, false}, {0.0125, 2, false}, {0.0025, 1, false}, {0.001, 0, false}, {1.0, RealtimePacer::kMaxStepsPerFrame, true}, {0.004, 0, false}};
    for (const Case& frame : frames) {
        fakeNow += frame.seconds;
        display();
        for (int s = 0; s < frame.steps; ++s) reference.step();
        EXPECT_EQ(states(globalWorld), states(reference)) << "after " << frame.seconds << " s";
        EXPECT_EQ(viewerState.pacer.isBehind(), frame.isBehind) << frame.seconds;
        const bool saysBehind =
            viewerState.statisticsLine(globalWorld, fakeNow).find("cannot keep up") != std::string::npos;
        EXPECT_EQ(saysBehind, frame.isBehind) << frame.seconds;
    }

    // A pause is not caught up with after the resume.
    keyboard(' ', 0, 0);
    fakeNow += 5.0;
    display();
    keyboard(' ', 0, 0);
    fakeNow += 0.005;
    display();
    reference.step();
    EXPECT_EQ(states(globalWorld), states(reference));
}

TEST(ViewerControls, CameraOrbitsZoomsAndComesHome)
{
    useScene(12);
    const Vector3 samples[] = {{0, -1, 0}, {3, -4, 5}, {-4, 2, -5}, {1.5, 1, 1}};
    const double turns[][2] = {{0, 0}, {-5, 0}, {30, 15}, {200, -60}};
    for (const auto& turn : turns) {
        Camera camera;
        camera.orbit(turn[0], turn[1]);
        glrecorder::clear();
        camera.applyView();
        for (const Vector3& v : samples) {
            const std::string what = "yaw " + std::to_string(turn[0]) + " pitch " + std::to_string(turn[1]);
            // Single-precision arguments: agreement to a few 1e-6.
            expectNear(camera.toEye(v), transformedByRecordedCalls(v), 1e-5, what);
            expectNear(camera.toWorld(camera.toEye(v)), v, 1e-12, what);
        }
        // The room's centre stays where the fixed view shows it.
        expectNear(camera.toEye({0, -1, 0}), Camera().toEye({0, -1, 0}), 1e-12, "centre");
    }

    special(GLUT_KEY_LEFT, 0, 0);
    const std::vector<std::string> orbited = displayed();
    EXPECT_NE(orbited, plainFrame());
    EXPECT_DOUBLE_EQ(viewerState.camera.yaw, -5.0);

    glrecorder::clear();
    special(GLUT_KEY_PAGE_UP, 0, 0);
    mouseWheel(0, 1, 0, 0);
    special(GLUT_KEY_HOME, 0, 0);
    const std::vector<std::string> zooms = glrecorder::texts();
    EXPECT_EQ(countOf(zooms, call("glOrtho", {-4, 4, -5, 3, -10, 20})), 1) << "Page Up: 1.25 times";
    EXPECT_EQ(countOf(zooms, call("glOrtho", {-5, 5, -6, 4, -10, 20})), 1) << "Home: the fixed bounds";
    EXPECT_TRUE(viewerState.camera.isHome());
    const std::vector<std::string> home = displayed();
    EXPECT_EQ(home, plainFrame());

    // --keep-aspect: the fixed bounds fit inside the window.
    viewerState.keepsAspect = true;
    glrecorder::clear();
    reshape(800, 400);
    reshape(400, 800);
    EXPECT_EQ(countOf(glrecorder::texts(), call("glOrtho", {-10, 10, -6, 4, -10, 20})), 1);
    EXPECT_EQ(countOf(glrecorder::texts(), call("glOrtho", {-5, 5, -11, 9, -10, 20})), 1);

    // Shift + left drag orbits as the arrow keys do, and its release pushes nothing.
    viewerState = ViewerState();
    glrecorder::glutModifiers = GLUT_ACTIVE_SHIFT;
    mouse(0, 0, 100, 100);
    motion(110, 90);
    mouse(0, 1, 110, 90);
    glrecorder::glutModifiers = 0;
    motion(200, 200);
    EXPECT_DOUBLE_EQ(viewerState.camera.yaw, 5.0);
    EXPECT_DOUBLE_EQ(viewerState.camera.pitch, 5.0);
}

TEST(ViewerControls, RoomAndOverlaysAreDrawnWhereTheyBelong)
{
    useScene(7, 2);
    viewerState.clock = fakeClock;
    keyboard('g', 0, 0);
    std::vector<std::string> frame = displayed();
    const auto at = [&](const std::string& text) { return std::find(frame.begin(), frame.end(), text) - frame.begin(); };
    const long floorCorner = at(call("glVertex3f", {-4, -4, -5}));
    const long sphere = at(call("glutSolidSphere", {1.3, 20, 20}));
    ASSERT_LT(floorCorner, long(frame.size()));
    EXPECT_LT(at(call("glRotatef", {15, 1, 1, 0})), floorCorner);
    EXPECT_LT(floorCorner, sphere) << "the room before the world";
    EXPECT_EQ(countOf(frame, call("glPushAttrib", {GL_ENABLE_BIT | GL_CURRENT_BIT})), 1);
    EXPECT_EQ(countOf(frame, call("glPopAttrib", {})), 1);

    keyboard('g', 0, 0);
    keyboard('h', 0, 0);
    frame = displayed();
    std::string expected = keysText();
    expected.erase(std::remove(expected.begin(), expected.end(), '\n'), expected.end());
    EXPECT_EQ(drawnText(), expected);
    EXPECT_LT(at(call("glPopMatrix", {})), at(call("glRasterPos2i", {8, 800 - 8 - 15 + 3})));
    EXPECT_EQ(frame[frame.size() - 2], call("glutSwapBuffers", {}));
    EXPECT_EQ(frame[frame.size() - 3], call("glPopAttrib", {}));

    // The statistics line, after 60 frames of 10 ms.
    keyboard('h', 0, 0);
    keyboard('i', 0, 0);
    viewerState.frameRate = RateMeter();
    viewerState.stepRate = RateMeter();
    for (int f = 0; f < 60; ++f) {
        fakeNow += 0.01;
        display();
    }
    std::string line = viewerState.statisticsLine(globalWorld, fakeNow);
    const int nodes = globalWorld.activeBodies[0]->nodeCount() + globalWorld.activeBodies[1]->nodeCount();
    const int springs = globalWorld.activeBodies[0]->springTotal + globalWorld.activeBodies[1]->springTotal;
    EXPECT_EQ(line, "100 frames/s  100 steps/s  t 0.31 s  scene 7  bodies 2 of 5  " + std::to_string(nodes) +
                        " nodes  " + std::to_string(springs) + " springs  running");
    EXPECT_NE(drawnText().find("scene 7  bodies 2 of 5"), std::string::npos) << drawnText();

    // 'n' with nothing left says so for a while.
    for (int k = 0; k < 3; ++k) keyboard('n', 0, 0);
    EXPECT_EQ(viewerState.statisticsLine(globalWorld, fakeNow).find("nothing left"), std::string::npos);
    keyboard('n', 0, 0);
    keyboard(' ', 0, 0);
    line = viewerState.statisticsLine(globalWorld, fakeNow);
    EXPECT_NE(line.find("bodies 5 of 5"), std::string::npos) << line;
    EXPECT_NE(line.find("paused  n: nothing left to drop (all 5 bodies are in)"), std::string::npos) << line;
    fakeNow += ViewerState::kNoticeSeconds;
    EXPECT_EQ(viewerState.statisticsLine(globalWorld, fakeNow).find("nothing left"), std::string::npos);

    // Pushes too small to see are named there too.
    keyboard('d', 0, 0);
    line = viewerState.statisticsLine(globalWorld, fakeNow);
    EXPECT_NE(line.find("paused  d: push the largest-z side toward -z"), std::string::npos) << line;
    mouse(2, 1, 0, 0);
    line = viewerState.statisticsLine(globalWorld, fakeNow);
    EXPECT_NE(line.find("paused  right button, like c: push the largest-x side toward -x"), std::string::npos) << line;

    useScene(6);
    keyboard('n', 0, 0);
    line = viewerState.statisticsLine(globalWorld, viewerState.clock());
    EXPECT_NE(line.find("bodies 0 of 0  0 nodes  0 springs  running  n: this scene has no bodies to drop"),
              std::string::npos)
        << line;
}

namespace {
// The pixel where a world point shows, for the viewer's camera and window.
std::pair<int, int> pixelOf(const Vector3& world)
{
    const Vector3 eye = viewerState.camera.toEye(world);
    const ViewBounds b = viewerState.camera.bounds(false, viewerState.width, viewerState.height);
    return {int(std::lround((eye.x - b.left) / (b.right - b.left) * viewerState.width - 0.5)),
            int(std::lround((b.top - eye.y) / (b.top - b.bottom) * viewerState.height - 0.5))};
}
}  // namespace

TEST(ViewerControls, AGrabPullsTheHeldPointTowardThePointerAndChangesNothingElse)
{
    useScene(12);
    World& reference = keptWorld(12);
    special(GLUT_KEY_RIGHT, 0, 0);
    special(GLUT_KEY_UP, 0, 0);
    SoftBody& body = *globalWorld.activeBodies[0];
    const MassPoint* corner = body.node(3, 2, 0);
    const auto [x, y] = pixelOf(corner->position);

    glrecorder::glutModifiers = GLUT_ACTIVE_CTRL;
    mouse(0, 0, x, y);
    ASSERT_TRUE(viewerState.grab.isHeld());
    EXPECT_EQ(viewerState.grab.body, &body);
    EXPECT_EQ(&body.nodeArray()[viewerState.grab.node], corner) << "the point under the pointer";
    motion(x + 120, y - 160);

    Grab pull = viewerState.grab;
    pull.body = reference.activeBodies[0];
    const Vector3 target = pull.target(viewerState.camera, viewerState.eyeAtPixel(x + 120, y - 160));
    const double before = (corner->position - target).length();
    for (int frame = 0; frame < 60; ++frame) {
        display();
        MassPoint& held = pull.body->nodeArray()[pull.node];
        held.addExternalForce(pull.force(target));
        reference.step();
        ASSERT_EQ(states(globalWorld), states(reference)) << "frame " << frame;
    }
    const double after = (corner->position - target).length();
    EXPECT_LT(after, before / 3) << "from " << before << " to " << after;

    // While paused the held point is not pulled: pulls enter with steps only.
    keyboard(' ', 0, 0);
    display();
    EXPECT_EQ(corner->externalForce, Vector3());
    keyboard(' ', 0, 0);

    // Let go: no push, and the steps are plain again.
    mouse(0, 1, x + 120, y - 160);
    glrecorder::glutModifiers = 0;
    EXPECT_FALSE(viewerState.grab.isHeld());
    EXPECT_FALSE(globalWorld.arrowPending);
    motion(0, 0);
    display();
    reference.step();
    EXPECT_EQ(states(globalWorld), states(reference));
}

TEST(ViewerControls, ReleasesWithShiftOrCtrlHeldDoNotPush)
{
    useScene(12);
    World& reference = keptWorld(12);
    for (int modifiers : {GLUT_ACTIVE_SHIFT, GLUT_ACTIVE_CTRL, GLUT_ACTIVE_SHIFT | GLUT_ACTIVE_CTRL}) {
        glrecorder::glutModifiers = modifiers;
        for (int button = 0; button < 3; ++button) mouse(button, 1, 10, 10);
    }
    EXPECT_EQ(states(globalWorld), states(reference));
    EXPECT_FALSE(globalWorld.arrowPending);
    // Alt is not one of them.
    glrecorder::glutModifiers = GLUT_ACTIVE_ALT;
    mouse(0, 1, 10, 10);
    glrecorder::glutModifiers = 0;
    reference.pushSide(0);
    EXPECT_EQ(states(globalWorld), states(reference));
    EXPECT_TRUE(globalWorld.arrowPending);
}

namespace {
void reportGlutError(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    glrecorder::glutErrorCallback(format, arguments);
    va_end(arguments);
}
}  // namespace

TEST(ViewerControlsDeathTest, WindowOptionsReachGlutAndAMissingDisplayNamesTheHeadlessRun)
{
    glrecorder::clear();
    std::string log;
    ASSERT_EQ(runWith({"blorp", "--size", "640x480", "--realtime", "--keep-aspect"}, log), 0) << log;
    EXPECT_EQ(glrecorder::texts()[1], call("glutInitWindowSize", {640, 480}));
    EXPECT_TRUE(viewerState.isRealtime);
    EXPECT_TRUE(viewerState.keepsAspect);
    ASSERT_EQ(runWith({"blorp"}, log), 0) << log;
    EXPECT_FALSE(viewerState.isRealtime);

    ASSERT_NE(glrecorder::glutErrorCallback, nullptr);
    EXPECT_EXIT(reportGlutError("failed to open display '%s'", ""), testing::ExitedWithCode(1),
                "^blorp: no display to open a window on \\(failed to open display ''\\); blorp --headless "
                "--steps N runs the simulation without one\n$");
    EXPECT_EXIT(reportGlutError("ERROR:  Internal error <%s> in function %s", "x", "y"), testing::ExitedWithCode(1),
                "^blorp: GLUT: ERROR:  Internal error <x> in function y\n$");
}

TEST(ViewerControls, BSwitchesContactBetweenBodiesAndARestartKeepsIt)
{
    useScene(7, 5);
    World& reference = keptWorld(7);
    for (int k = 1; k < 5; ++k) reference.activateNextBody();
    reference.collidesBodies = true;
    keyboard('b', 0, 0);
    ASSERT_TRUE(globalWorld.collidesBodies);
    for (int f = 0; f < 300; ++f) {
        display();
        reference.step();
    }
    EXPECT_EQ(states(globalWorld), states(reference)) << "the frames step with contact";
    EXPECT_NE(viewerState.statisticsLine(globalWorld, fakeNow).find("  contact "), std::string::npos);

    quietKey('r');
    EXPECT_TRUE(globalWorld.collidesBodies) << "a restart keeps contact on";
    keyboard('b', 0, 0);
    EXPECT_FALSE(globalWorld.collidesBodies);
    EXPECT_EQ(viewerState.statisticsLine(globalWorld, fakeNow).find("  contact "), std::string::npos);
}
