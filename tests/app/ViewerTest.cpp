#include "GlRecorder.h"
#include "GlutState.h"
#include "ViewerTestSupport.h"
#include "../world/VectorPrinting.h"
#include "RibCapture.h"
#include "app/Options.h"
#include "app/Session.h"
#include "app/Viewer.h"
#include <ri.h>
#include "softbody/SoftBody.h"
#include "world/FrameExport.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using namespace viewertest;

TEST(Viewer, EntrySequenceBuildsTheSceneThenOpensTheWindowAndEntersTheLoop)
{
    glrecorder::clear();
    initGraphics();
    const std::vector<std::string> graphics = glrecorder::texts();

    glrecorder::clear();
    std::string log;
    ASSERT_EQ(runWith({"blorp", "-display", ":7", "--scene", "7", "--bodies", "3", "-sync"}, log), 0) << log;

    const std::vector<std::string> logLines = lines(log);
    ASSERT_GE(logLines.size(), 2u);
    EXPECT_EQ(logLines.front(), "about to create the world...");
    EXPECT_EQ(logLines.back(), "world has been created...");
    int builds = 0;
    for (const std::string& line : logLines) builds += line == "blorp has been created";
    EXPECT_EQ(builds, 5) << log;

    std::vector<std::string> expected = {
        call("glutInitErrorFunc", {}),
        call("glutInitWindowSize", {800, 800}),
        call("glutInit", {4}),
        call("glutInitDisplayMode", {2}),
        call("glutSetOption", {GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS}),
        call("glutCreateWindow", {}),
        call("glutDisplayFunc", {}),
        call("glutReshapeFunc", {}),
        call("glutMouseFunc", {}),
        call("glutKeyboardFunc", {}),
        call("glutMotionFunc", {}),
        call("glutPassiveMotionFunc", {}),
        call("glutIdleFunc", {}),
        call("glutSpecialFunc", {}),
        call("glutMouseWheelFunc", {}),
    };
    expected.insert(expected.end(), graphics.begin(), graphics.end());
    expected.push_back(call("glutMainLoop", {}));
    EXPECT_EQ(glrecorder::texts(), expected);

    EXPECT_EQ(glrecorder::glutInitArguments, (std::vector<std::string>{"blorp", "-display", ":7", "-sync"}));
    EXPECT_EQ(glrecorder::glutWindowTitle, "Blorp Madness");
    EXPECT_EQ(glrecorder::glutDisplayCallback, &display);
    EXPECT_EQ(glrecorder::glutReshapeCallback, &reshape);
    EXPECT_EQ(glrecorder::glutMouseCallback, &mouse);
    EXPECT_EQ(glrecorder::glutKeyboardCallback, &keyboard);
    EXPECT_EQ(glrecorder::glutMotionCallback, &motion);
    EXPECT_EQ(glrecorder::glutPassiveMotionCallback, &passiveMotion);
    EXPECT_EQ(glrecorder::glutIdleCallback, &idle);

    ASSERT_EQ(globalWorld.preparedBodies.size(), 5u);
    EXPECT_EQ(globalWorld.activatedCount, 3);
    EXPECT_EQ(globalWorld.activeBodies.size(), 3u);
    EXPECT_EQ(globalWorld.objects.size(), 1u);
    const SoftBody& body = *globalWorld.activeBodies[0];
    ASSERT_NE(body.sceneObjects, nullptr);
    EXPECT_EQ(*body.sceneObjects, globalWorld.objects) << "bodies collide with the heap world's equal list";
}

TEST(Viewer, BadOptionsAndHelpEndBeforeAnyWorldOrWindow)
{
    useScene(12);
    const World before = globalWorld;
    for (const char* bad : {"--scene=13", "--fast", "stray"}) {
        glrecorder::clear();
        std::string log;
        EXPECT_EQ(runWith({"blorp", bad}, log), 2) << bad;
        const std::vector<std::string> logLines = lines(log);
        ASSERT_EQ(logLines.size(), 1u) << log;
        EXPECT_EQ(logLines[0].rfind("blorp: ", 0), 0u) << logLines[0];
        EXPECT_NE(logLines[0].find("; usage: blorp [--scene N]"), std::string::npos) << logLines[0];
        EXPECT_TRUE(glrecorder::calls().empty()) << bad;
        EXPECT_EQ(globalWorld.preparedBodies, before.preparedBodies) << bad;
    }

    glrecorder::clear();
    std::string log;
    testing::internal::CaptureStdout();
    EXPECT_EQ(runWith({"blorp", "--scene", "3", "--help"}, log), 0);
    const std::string help = testing::internal::GetCapturedStdout();
    EXPECT_EQ(log, "");
    EXPECT_NE(help.find("--bodies K"), std::string::npos) << help;
    EXPECT_TRUE(glrecorder::calls().empty());
    EXPECT_EQ(globalWorld.preparedBodies, before.preparedBodies);
}

TEST(Viewer, InitGraphicsSetsTheFixedViewAndThreeLights)
{
    glrecorder::clear();
    initGraphics();
    const std::vector<std::string> expected = {
        call("glEnable", {GL_DEPTH_TEST}),
        call("glEnable", {GL_CULL_FACE}),
        call("glFrontFace", {GL_CW}),
        call("glMatrixMode", {GL_PROJECTION}),
        call("glLoadIdentity", {}),
        call("glOrtho", {-5, 5, -6, 4, -10, 20}),
        call("glMatrixMode", {GL_MODELVIEW}),
        call("glLoadIdentity", {}),
        call("glFrontFace", {GL_CCW}),
        call("glShadeModel", {GL_SMOOTH}),
        call("glEnable", {GL_LIGHTING}),
        call("glLightfv", {GL_LIGHT0, GL_POSITION, -3, 1, 0.4f, 1}),
        call("glLightfv", {GL_LIGHT0, GL_AMBIENT, 0.2f, 0.2f, 0.2f, 0.5}),
        call("glLightfv", {GL_LIGHT0, GL_DIFFUSE, 0.1f, 0.1f, 0.1f, 0.5}),
        call("glLightfv", {GL_LIGHT0, GL_SPECULAR, 1, 1, 1, 0.5}),
        call("glEnable", {GL_LIGHT0}),
        call("glLightfv", {GL_LIGHT1, GL_POSITION, 1, -1, -3, 1}),
        call("glLightfv", {GL_LIGHT1, GL_AMBIENT, 0.01f, 0.01f, 0.01f, 0.5}),
        call("glLightfv", {GL_LIGHT1, GL_DIFFUSE, 0.01f, 0.01f, 0.01f, 0.5}),
        call("glLightfv", {GL_LIGHT1, GL_SPECULAR, 1, 1, 1, 0.5}),
        call("glEnable", {GL_LIGHT1}),
        call("glLightfv", {GL_LIGHT2, GL_POSITION, 0, 0, -3, 1}),
        call("glLightfv", {GL_LIGHT2, GL_AMBIENT, 0.1f, 0.1f, 0.1f, 0.5}),
        call("glLightfv", {GL_LIGHT2, GL_DIFFUSE, 0.1f, 0.1f, 0.1f, 0.5}),
        call("glLightfv", {GL_LIGHT2, GL_SPECULAR, 1, 1, 1, 0.5}),
    };
    EXPECT_EQ(glrecorder::texts(), expected);
    // The float values themselves, not only their %g text.
    EXPECT_EQ(glrecorder::calls()[11].args[4], double(0.4f));
}

TEST(Viewer, DisplayStepsOnceThenDrawsTheWorldUnderAFixedRotation)
{
    useScene(3);
    World& reference = keptWorld(3);
    glrecorder::clear();
    display();
    const std::vector<std::string> framed = glrecorder::texts();
    reference.step();
    EXPECT_EQ(state(*globalWorld.activeBodies[0]), state(*reference.activeBodies[0])) << "exactly one step per frame";

    EXPECT_EQ(framed, plainFrame());
    EXPECT_EQ(glrecorder::count("glutSolidSphere"), 5);

    useScene(6);
    glrecorder::clear();
    display();
    EXPECT_EQ(glrecorder::texts(), (std::vector<std::string>{call("glClear", {GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT}),
                                                             call("glPushMatrix", {}), call("glRotatef", {15, 1, 1, 0}),
                                                             call("glPopMatrix", {}), call("glutSwapBuffers", {}),
                                                             call("glFinish", {})}));
}

TEST(Viewer, ReshapeIdleAndMotionDoOnlyTheirOneThing)
{
    useScene(12);
    const BodyState before = state(*globalWorld.activeBodies[0]);
    glrecorder::clear();
    reshape(640, 480);
    idle();
    motion(10, 20);
    passiveMotion(30, 40);
    EXPECT_EQ(glrecorder::texts(), (std::vector<std::string>{call("glViewport", {0, 0, 640, 480}),
                                                             call("glutPostRedisplay", {})}));
    EXPECT_EQ(state(*globalWorld.activeBodies[0]), before) << "no time passes outside display";
}

TEST(Viewer, PushKeysSqueezeTheirSideOfEveryActiveBody)
{
    const std::pair<unsigned char, int> keys[] = {{'z', 0}, {'x', 2}, {'c', 1}, {'d', 5}, {'s', 3}, {'a', 4}};
    for (const auto& [key, side] : keys) {
        useScene(7, 2);
        World& reference = keptWorld(7);
        reference.activateNextBody();
        reference.pushSide(side);
        glrecorder::clear();
        keyboard(key, 5, 5);
        for (int j = 0; j < 3; ++j)
            EXPECT_EQ(state(*globalWorld.preparedBodies[j]), state(*reference.preparedBodies[j]))
                << "key '" << key << "' body " << j;
        EXPECT_FALSE(globalWorld.arrowPending) << key;
        EXPECT_EQ(glrecorder::texts(), (std::vector<std::string>{call("glutPostRedisplay", {})})) << key;
    }
}

TEST(Viewer, KickActivateAndViewKeys)
{
    // What each kick does to which bodies is the world's business; here, which key kicks how.
    useScene(7);
    SoftBody& first = *globalWorld.preparedBodies[0];
    keyboard('o', 0, 0);
    EXPECT_EQ(first.node(0, 0, 0)->velocity, Vector3(-10, 0, 0));
    keyboard('p', 0, 0);
    keyboard('p', 0, 0);
    EXPECT_EQ(first.node(0, 0, 0)->velocity, Vector3(10, 0, 0));
    keyboard('m', 0, 0);
    EXPECT_TRUE(globalWorld.arrowPending);
    EXPECT_EQ(first.node(0, 1, 1)->velocity, Vector3(0, 20, 0));

    for (int expected : {2, 3, 4, 5, 5}) {
        keyboard('n', 0, 0);
        EXPECT_EQ(globalWorld.activatedCount, expected);
    }

    glrecorder::clear();
    keyboard('w', 0, 0);
    EXPECT_TRUE(globalWorld.springView);
    keyboard('w', 0, 0);
    EXPECT_FALSE(globalWorld.springView);
    EXPECT_EQ(glrecorder::count("glutPostRedisplay"), 2);
}

TEST(Viewer, OtherKeysOnlyRedisplay)
{
    useScene(7);
    const World before = globalWorld;
    const BodyState body = state(*globalWorld.activeBodies[0]);
    const unsigned char keys[] = {'W', 'Z', 'X', 'C', 'D', 'S', 'A', 'O', 'P', 'N', 'M', 'Q', 'R', 'G', 'H', 'I', 'T', ',', '1', 'b', 0, 27, 255};
    for (unsigned char key : keys) {
        glrecorder::clear();
        keyboard(key, 0, 0);
        EXPECT_EQ(glrecorder::texts(), (std::vector<std::string>{call("glutPostRedisplay", {})})) << int(key);
    }
    EXPECT_EQ(state(*globalWorld.activeBodies[0]), body);
    EXPECT_EQ(globalWorld.activatedCount, before.activatedCount);
    EXPECT_FALSE(globalWorld.springView);
    EXPECT_FALSE(globalWorld.arrowPending);
}

TEST(Viewer, MouseReleasesPushAndMarkOrClearTheArrow)
{
    useScene(12);
    World& reference = keptWorld(12);
    const SoftBody& body = *globalWorld.activeBodies[0];
    glrecorder::clear();

    for (int button = 0; button < 3; ++button) mouse(button, 0, 10, 10);
    mouse(3, 1, 0, 0);
    mouse(4, 1, 0, 0);
    EXPECT_EQ(state(body), state(*reference.activeBodies[0])) << "presses and other buttons do nothing";
    EXPECT_FALSE(globalWorld.arrowPending);

    mouse(0, 1, 200, 100);
    reference.pushSide(0);
    EXPECT_TRUE(globalWorld.arrowPending);
    EXPECT_EQ(state(body), state(*reference.activeBodies[0]));
    mouse(1, 1, 0, 0);
    reference.pushSide(2);
    EXPECT_FALSE(globalWorld.arrowPending);
    EXPECT_EQ(state(body), state(*reference.activeBodies[0]));
    mouse(0, 1, 0, 0);
    mouse(2, 1, 0, 0);
    reference.pushSide(0);
    reference.pushSide(1);
    EXPECT_FALSE(globalWorld.arrowPending);
    EXPECT_EQ(state(body), state(*reference.activeBodies[0]));
    EXPECT_TRUE(glrecorder::calls().empty()) << "the mouse posts no redisplay";
}

namespace {
int occurrences(const std::string& text, const std::string& word)
{
    int n = 0;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
    return n;
}

// Puts the export switches back as a fresh program has them.
void resetExport()
{
    exportsEachStep = false;
    frameCounter = -1;
    exportTarget = "blorp10.rib";
    RtString ascii = "ascii";
    RiOption("rib", "format", &ascii, RI_NULL);
}
}  // namespace

TEST(Viewer, ExportOptionWritesAfterEveryDisplayedStepAndTheLoopsEndFinishesTheOutput)
{
    const ribcapture::TempFile file;
    glrecorder::clear();
    std::string log;
    // The stand-in main loop returns at once, as the real one does when the
    // window is closed; nothing was exported yet, so nothing needs closing.
    ASSERT_EQ(runWith({"blorp", "--scene", "3", "--export", "--rib", file.path()}, log), 0) << log;
    EXPECT_TRUE(exportsEachStep);
    EXPECT_EQ(RiGetContext(), nullptr);

    World& reference = keptWorld(3);
    for (int frame = 0; frame < 9; ++frame) display();
    for (int step = 0; step < 9; ++step) reference.step();
    EXPECT_EQ(state(*globalWorld.activeBodies[0]), state(*reference.activeBodies[0])) << "one step per display";
    EXPECT_EQ(frameCounter, 8) << "one export per display";
    ASSERT_NE(RiGetContext(), nullptr) << "the first display began the output";

    EXPECT_EQ(closeExport(), 0);
    EXPECT_EQ(RiGetContext(), nullptr);
    const std::string rib = ribcapture::readFile(file.path());
    EXPECT_EQ(rib.rfind("##RenderMan RIB-Structure 1.0\n", 0), 0u) << rib.substr(0, 80);
    EXPECT_EQ(occurrences(rib, "FrameBegin "), 2) << "displays 1 and 9 write frames 0 and 1";
    EXPECT_EQ(occurrences(rib, "FrameEnd"), 2);
    EXPECT_NE(rib.find("Display \"blorp001.tif\""), std::string::npos);
    EXPECT_EQ(closeExport(), 0) << "closing twice is harmless";
    resetExport();
}

TEST(Viewer, WithoutExportTheDisplayBeginsNoOutput)
{
    resetExport();
    glrecorder::clear();
    std::string log;
    ASSERT_EQ(runWith({"blorp", "--scene", "12"}, log), 0) << log;
    EXPECT_FALSE(exportsEachStep);
    for (int frame = 0; frame < 9; ++frame) display();
    EXPECT_EQ(frameCounter, -1);
    EXPECT_EQ(RiGetContext(), nullptr);
}

TEST(Viewer, ExportTargetAndEncodingComeFromTheOptions)
{
    struct Case {
        std::vector<std::string> arguments;
        const char* target;  // null: standard output
        bool isBinary;
    };
    const Case cases[] = {
        {{"blorp", "--export"}, "blorp10.rib", false},
        {{"blorp", "--export", "--rib", "-"}, nullptr, false},
        {{"blorp", "--export", "--rib", "|cat >/dev/null", "--binary"}, "|cat >/dev/null", true},
    };
    for (Case c : cases) {
        resetExport();
        std::vector<char*> argv;
        for (std::string& argument : c.arguments) argv.push_back(argument.data());
        ViewerOptions options;
        std::string problem;
        const std::string what = testing::PrintToString(c.arguments);
        ASSERT_TRUE(parseOptions(int(argv.size()), argv.data(), options, problem)) << what << ": " << problem;
        prepareExport(options);
        EXPECT_TRUE(exportsEachStep) << what;
        if (c.target == nullptr)
            EXPECT_EQ(exportTarget, nullptr) << what;
        else
            EXPECT_STREQ(exportTarget, c.target) << what;
        // The encoding reaches the writer that the first export begins.
        const ribcapture::TempFile file;
        RiBegin(file.path().c_str());
        RtFloat points[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
        RiPolygon(3, "P", points, RI_NULL);
        RiEnd();
        const std::string rib = ribcapture::readFile(file.path());
        const bool hasBinaryFloats = rib.find("[0 0 0 1 0 0 0 1 0]") == std::string::npos;
        EXPECT_EQ(hasBinaryFloats, c.isBinary) << what << ": " << rib;
    }
    resetExport();
}

TEST(ViewerDeathTest, AnOutputThatCannotBeFinishedEndsWithStatusOne)
{
    useScene(12);
    // A renderer that fails: the library reports it, and neither 'q' nor the
    // end of the main loop may pass that off as success.
    EXPECT_EXIT(
        {
            RiBegin("|cat >/dev/null; exit 3");
            RiWorldBegin();
            RiWorldEnd();
            keyboard('q', 0, 0);
        },
        testing::ExitedWithCode(1), "exit status 3");
    RiBegin("|cat >/dev/null; exit 3");
    testing::internal::CaptureStderr();
    EXPECT_EQ(closeExport(), 1);
    const std::string report = testing::internal::GetCapturedStderr();
    EXPECT_NE(report.find("exit status 3"), std::string::npos) << report;
    EXPECT_EQ(RiGetContext(), nullptr);
}

namespace {
// Runs at exit, after the quit key's own work: tells whether RenderMan output was still open.
void reportContext() { std::fputs(RiGetContext() == nullptr ? "closed\n" : "still open\n", stderr); }
}  // namespace

TEST(ViewerDeathTest, QuitEndsWithStatusZeroClosingRenderManOutputOnlyWhenOpen)
{
    useScene(12);
    // Nothing open: no RiEnd, so no nesting error and no failure status.
    EXPECT_EXIT(keyboard('q', 0, 0), testing::ExitedWithCode(0), "^$");

    const std::string file = testing::TempDir() + "blorp_quit_test.rib";
    std::remove(file.c_str());
    EXPECT_EXIT(
        {
            RiBegin(const_cast<RtToken>(file.c_str()));
            RiWorldBegin();
            RiWorldEnd();
            std::atexit(reportContext);
            keyboard('q', 0, 0);
        },
        testing::ExitedWithCode(0), "^closed\n$");
    std::FILE* rib = std::fopen(file.c_str(), "r");
    ASSERT_NE(rib, nullptr) << "the RenderMan output was written";
    std::fclose(rib);
    std::remove(file.c_str());

    // The library itself still reports an unmatched RiEnd as severe.
    EXPECT_EXIT(RiEnd(), testing::ExitedWithCode(255), "");
}
