#include "app/Viewer.h"

#include "app/Captures.h"
#include "app/Headless.h"
#include "app/Interruption.h"
#include "app/Options.h"
#include "app/Overlay.h"
#include "app/Session.h"
#include "app/ViewerState.h"
#include "softbody/SoftBody.h"
#include "world/SceneFile.h"
#include "world/Stability.h"

#include <GL/gl.h>
#include <GL/glut.h>
#include <GL/freeglut_ext.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {
// GLUT's mouse codes.
constexpr int kLeftButton = 0;
constexpr int kMiddleButton = 1;
constexpr int kRightButton = 2;
constexpr int kButtonPressed = 0;
constexpr int kButtonReleased = 1;

constexpr double kOrbitDegreesPerKey = 5.0;
constexpr double kOrbitDegreesPerPixel = 0.5;
constexpr double kZoomPerKey = 1.25;
constexpr double kZoomPerWheelStep = 1.1;

constexpr double kKickSpeed = 10.0;  // velocity change of the 'o' and 'p' kicks

void setLight(GLenum light, const GLfloat position[4], const GLfloat ambient[4], const GLfloat diffuse[4],
              const GLfloat specular[4])
{
    glLightfv(light, GL_POSITION, position);
    glLightfv(light, GL_AMBIENT, ambient);
    glLightfv(light, GL_DIFFUSE, diffuse);
    glLightfv(light, GL_SPECULAR, specular);
}

[[noreturn]] void quit() { std::exit(closeExport()); }

// GLUT ends the program on a fatal error; without a display that is the
// first thing a user meets, so it should say what to do instead.
[[noreturn]] void reportGlutError(const char* format, va_list arguments)
{
    char message[256];
    std::vsnprintf(message, sizeof message, format, arguments);
    if (std::strncmp(message, "failed to open display", 22) == 0)
        std::cerr << "blorp: no display to open a window on (" << message
                  << "); blorp --headless --steps N runs the simulation without one\n";
    else
        std::cerr << "blorp: GLUT: " << message << "\n";
    closeExport();
    std::exit(1);
}

// The projection changes only with the zoom or, under --keep-aspect, the
// window; at the fixed view initGraphics's projection stays untouched.
void updateProjection()
{
    viewerState.camera.applyProjection(viewerState.keepsAspect, viewerState.width, viewerState.height);
}

// Before a scene is replaced: the held point's body goes with the old world.
void letGo()
{
    viewerState.grab.release();
    if (viewerState.drag == ViewerState::Drag::grab) viewerState.drag = ViewerState::Drag::none;
}

// After a scene has started: the counters start over, the alert goes.
void restartCounters()
{
    viewerState.singleSteps = 0;
    viewerState.stepsSinceStart = 0;
    viewerState.timeStep = globalWorld.timeStep;
    viewerState.alert.clear();
    viewerState.pacer.restart(viewerState.clock());
}

// Builds catalogue scene `scene` afresh; the pause, the camera, the overlays
// and the RenderMan output carry on, the counters and any held point start
// over.
void startAfresh(int scene, int bodies)
{
    letGo();
    startScene(scene, bodies);
    viewerState.scene = scene;
    viewerState.sceneFile.clear();
    restartCounters();
}

// Lines for the standard error and the on-screen alert alike.
std::string joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

// 'r' on a scene from a file: the file as it is now. A file that no longer
// reads leaves the running scene alone and says why on screen.
void restartFromFile(int bodies)
{
    const SceneFileResult file = readSceneFile(viewerState.sceneFile);
    if (!file.isValid()) {
        std::cerr << joined(file.problems);
        viewerState.alert = joined(file.problems) + "r: the scene keeps running as it was; mend the file and press r";
        return;
    }
    const std::vector<std::string> warnings = stabilityWarnings(file.scene);
    std::cerr << joined(warnings);
    letGo();
    startDescribedScene(file.scene, bodies);
    restartCounters();
    if (!warnings.empty()) viewerState.alert = joined(warnings);
}

// --write-scene N FILE; FILE "-" is the standard output.
int writeCatalogueScene(const ViewerOptions& options)
{
    if (options.writeSceneTarget == ViewerOptions::kStandardOutput) {
        std::cout << sceneFileText(catalogueDescription(options.writeScene), catalogueSceneTitle(options.writeScene));
        return std::cout.flush() ? 0 : 1;
    }
    std::string problem;
    if (!writeSceneFile(options.writeSceneTarget, catalogueDescription(options.writeScene),
                        catalogueSceneTitle(options.writeScene), problem)) {
        std::cerr << "blorp: " << problem << "\n";
        return 1;
    }
    return 0;
}

int nextScene(int scene, int by)
{
    const int count = ViewerOptions::kLastScene - ViewerOptions::kFirstScene + 1;
    return ViewerOptions::kFirstScene + ((scene - ViewerOptions::kFirstScene + by) % count + count) % count;
}

// The help's line for a key of the design, as "z: push the smallest-x
// side ...", so that the statistics line can tell what a key did when the
// picture hardly shows it.
std::string effectOf(unsigned char key)
{
    std::istringstream lines(keysText());
    for (std::string line; std::getline(lines, line);) {
        if (line.size() > 6 && line[2] == char(key) && line[3] == ' ') {
            const size_t text = line.find_first_not_of(' ', 3);
            return std::string(1, char(key)) + ": " + line.substr(text);
        }
    }
    return std::string(1, char(key));
}

void dropNextBody()
{
    const int before = globalWorld.activatedCount;
    globalWorld.activateNextBody();
    if (globalWorld.preparedBodies.empty())
        viewerState.showNotice("n: this scene has no bodies to drop", viewerState.clock());
    else if (globalWorld.activatedCount == before)
        viewerState.showNotice("n: nothing left to drop (all " + std::to_string(before) + " bodies are in)",
                               viewerState.clock());
    else
        viewerState.showNotice(effectOf('n'), viewerState.clock());
}

// The pull of a held point, added before each step like a push.
void pullHeldPoint()
{
    Grab& grab = viewerState.grab;
    if (!grab.isHeld()) return;
    const Vector3 target = grab.target(viewerState.camera, viewerState.eyeAtPixel(grab.pointerX, grab.pointerY));
    grab.body->nodeArray()[grab.node].addExternalForce(grab.force(target));
}
}  // namespace

void advance(int steps)
{
    // Steps asked for after a body went unstable (a resume, a '.') take the
    // body as it is and judge it afresh.
    if (steps > 0) instabilityReport.clear();
    int taken = 0;
    while (taken < steps && instabilityReport.empty()) {
        // A failed output or a stop signal ends the run at idle(); the steps
        // still due would only be lost.
        if (isStopRequested()) break;
        pullHeldPoint();
        stepWorld();
        ++taken;
    }
    viewerState.stepsSinceStart += taken;
    if (taken == 0) return;
    // Every frame drawn after a step is checked as well, so that a body
    // gone wrong is held on screen with the reason.
    if (instabilityReport.empty()) checkWorld();
    if (instabilityReport.empty()) return;
    const std::string line = "blorp: " + instabilityReport;
    std::cerr << line << "\n";
    viewerState.isPaused = true;
    viewerState.singleSteps = 0;
    viewerState.alert = line + "\npaused: r restarts the scene, [ and ] change it";
}

int runViewer(int argc, char** argv)
{
    ViewerOptions options;
    std::string problem;
    if (!parseOptions(argc, argv, options, problem)) {
        std::cerr << "blorp: " << problem << "; " << usageLine() << "\n";
        return 2;
    }
    if (options.showHelp) {
        std::cout << helpText();
        return 0;
    }
    if (options.writeScene >= 0) return writeCatalogueScene(options);
    // A scene file is read and checked before anything starts: a file with
    // mistakes starts nothing and creates no output.
    SceneFileResult file;
    if (!options.sceneFile.empty()) {
        file = readSceneFile(options.sceneFile);
        if (!file.isValid()) {
            std::cerr << joined(file.problems);
            return 2;
        }
    }
    const SceneDescription* described = options.sceneFile.empty() ? nullptr : &file.scene;
    if (options.isHeadless) return runHeadless(options, described);

    guardRun(options);
    if (described != nullptr)
        buildWorld(options, *described);
    else
        buildWorld(options);
    prepareExport(options);
    viewerState = ViewerState();
    viewerState.scene = options.scene;
    viewerState.sceneFile = options.sceneFile;
    viewerState.timeStep = globalWorld.timeStep;
    // The load's warnings stay on screen too, until the scene starts afresh.
    if (described != nullptr) viewerState.alert = joined(stabilityWarnings(*described));
    viewerState.startingBodies = options.bodies;
    viewerState.isRealtime = options.isRealtime;
    viewerState.keepsAspect = options.keepsAspect;
    viewerState.width = options.windowWidth;
    viewerState.height = options.windowHeight;

    glutInitErrorFunc(reportGlutError);
    // Before glutInit, so that GLUT's own -geometry wins.
    glutInitWindowSize(options.windowWidth, options.windowHeight);
    int glutArgc = int(options.glutArguments.size());
    options.glutArguments.push_back(nullptr);
    glutInit(&glutArgc, options.glutArguments.data());
    glutInitDisplayMode(GLUT_DOUBLE);  // no depth buffer: the drawing order decides what shows
    // Closing the window through the window manager ends the main loop here
    // instead of exiting inside GLUT, so the RenderMan output is finished
    // below on the normal path, just as 'q' finishes it, and the status
    // reaches main. A close callback would run in the middle of freeglut's
    // window teardown, which then exits by itself with status 0 whatever
    // the output's fate.
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    glutCreateWindow("Blorp Madness");
    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    glutMouseFunc(mouse);
    glutKeyboardFunc(keyboard);
    glutMotionFunc(motion);
    glutPassiveMotionFunc(passiveMotion);
    glutIdleFunc(idle);
    glutSpecialFunc(special);
    glutMouseWheelFunc(mouseWheel);
    initGraphics();
    viewerState.pacer.restart(viewerState.clock());
    glutMainLoop();
    return closeExport();
}

void initGraphics()
{
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-5.0, 5.0, -6.0, 4.0, -10.0, 20.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glFrontFace(GL_CCW);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_LIGHTING);

    // Positions are given under the identity modelview matrix: fixed in eye space.
    static const GLfloat kPosition0[] = {-3.0f, 1.0f, 0.4f, 1.0f};
    static const GLfloat kAmbient0[] = {0.2f, 0.2f, 0.2f, 0.5f};
    static const GLfloat kDiffuse0[] = {0.1f, 0.1f, 0.1f, 0.5f};
    static const GLfloat kPosition1[] = {1.0f, -1.0f, -3.0f, 1.0f};
    static const GLfloat kAmbient1[] = {0.01f, 0.01f, 0.01f, 0.5f};
    static const GLfloat kDiffuse1[] = {0.01f, 0.01f, 0.01f, 0.5f};
    static const GLfloat kPosition2[] = {0.0f, 0.0f, -3.0f, 1.0f};
    static const GLfloat kAmbient2[] = {0.1f, 0.1f, 0.1f, 0.5f};
    static const GLfloat kDiffuse2[] = {0.1f, 0.1f, 0.1f, 0.5f};
    static const GLfloat kSpecular[] = {1.0f, 1.0f, 1.0f, 0.5f};
    setLight(GL_LIGHT0, kPosition0, kAmbient0, kDiffuse0, kSpecular);
    glEnable(GL_LIGHT0);
    setLight(GL_LIGHT1, kPosition1, kAmbient1, kDiffuse1, kSpecular);
    glEnable(GL_LIGHT1);
    // Light 2 is configured but left off.
    setLight(GL_LIGHT2, kPosition2, kAmbient2, kDiffuse2, kSpecular);
}

void display()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // Stepping first: the frame shows the world after this frame's steps.
    const double now = viewerState.clock();
    const int steps = viewerState.stepsForFrame(now);
    advance(steps);
    glPushMatrix();
    viewerState.camera.applyView();
    if (viewerState.drawsRoom) drawRoom();
    globalWorld.draw();
    glPopMatrix();
    drawOverlays(viewerState, globalWorld, now);
    captureFrame(steps);
    glutSwapBuffers();
    glFinish();
    viewerState.frameRate.count(now, 1);
    viewerState.stepRate.count(now, steps);
}

void reshape(int width, int height)
{
    // Without --keep-aspect or a zoom the projection stays as initGraphics
    // set it: the picture stretches.
    glViewport(0, 0, width, height);
    viewerState.width = width;
    viewerState.height = height;
    if (viewerState.keepsAspect || viewerState.camera.zoom != 1.0) updateProjection();
}

void idle()
{
    // GLUT calls this between any two frames, so a stop asked for during a
    // step ends the run with that step's frame whole.
    if (isStopRequested()) std::exit(endStoppedRun());
    glutPostRedisplay();
}

void keyboard(unsigned char key, int, int)
{
    ViewerState& viewer = viewerState;
    switch (key) {
    case 'w': globalWorld.springView = !globalWorld.springView; break;
    case 'z': globalWorld.pushSide(0); break;
    case 'x': globalWorld.pushSide(2); break;
    case 'c': globalWorld.pushSide(1); break;
    case 'd': globalWorld.pushSide(5); break;
    case 's': globalWorld.pushSide(3); break;
    case 'a': globalWorld.pushSide(4); break;
    case 'o': globalWorld.kickCorner(Vector3(-kKickSpeed, 0.0, 0.0)); break;
    case 'p': globalWorld.kickCorner(Vector3(kKickSpeed, 0.0, 0.0)); break;
    case 'n': dropNextBody(); break;
    case 'q': quit();
    case 'm': globalWorld.kickUp(); break;
    case ' ':
        viewer.isPaused = !viewer.isPaused;
        // Real time resumes from now, not with a burst for the pause.
        viewer.pacer.restart(viewer.clock());
        break;
    case '.':
        if (viewer.isPaused) ++viewer.singleSteps;
        break;
    case 'r':
        if (viewer.sceneFile.empty())
            startAfresh(viewer.scene, globalWorld.activatedCount);
        else
            restartFromFile(globalWorld.activatedCount);
        break;
    case '[': startAfresh(nextScene(viewer.scene, -1), viewer.startingBodies); break;
    case ']': startAfresh(nextScene(viewer.scene, 1), viewer.startingBodies); break;
    case 'h': viewer.showsHelp = !viewer.showsHelp; break;
    case 'i': viewer.showsStatistics = !viewer.showsStatistics; break;
    case 't':
        viewer.isRealtime = !viewer.isRealtime;
        viewer.pacer.restart(viewer.clock());
        break;
    case 'g': viewer.drawsRoom = !viewer.drawsRoom; break;
    case 'b':
        collidesBodies = !collidesBodies;
        globalWorld.collidesBodies = collidesBodies;
        viewer.showNotice(collidesBodies ? "b: bodies collide with each other" : "b: bodies pass through each other",
                          viewer.clock());
        break;
    default: break;
    }
    if (std::strchr("wzxcdsaopm", key) != nullptr && key != '\0') viewer.showNotice(effectOf(key), viewer.clock());
    glutPostRedisplay();
}

void special(int key, int, int)
{
    Camera& camera = viewerState.camera;
    const double zoom = camera.zoom;
    switch (key) {
    case GLUT_KEY_LEFT: camera.orbit(-kOrbitDegreesPerKey, 0.0); break;
    case GLUT_KEY_RIGHT: camera.orbit(kOrbitDegreesPerKey, 0.0); break;
    case GLUT_KEY_UP: camera.orbit(0.0, kOrbitDegreesPerKey); break;
    case GLUT_KEY_DOWN: camera.orbit(0.0, -kOrbitDegreesPerKey); break;
    case GLUT_KEY_PAGE_UP: camera.zoomBy(kZoomPerKey); break;
    case GLUT_KEY_PAGE_DOWN: camera.zoomBy(1.0 / kZoomPerKey); break;
    case GLUT_KEY_HOME: camera.reset(); break;
    case GLUT_KEY_F2: requestScreenshot(); break;
    default: break;
    }
    if (camera.zoom != zoom) updateProjection();
    glutPostRedisplay();
}

void mouseWheel(int, int direction, int, int)
{
    const double zoom = viewerState.camera.zoom;
    viewerState.camera.zoomBy(direction > 0 ? kZoomPerWheelStep : 1.0 / kZoomPerWheelStep);
    if (viewerState.camera.zoom != zoom) updateProjection();
}

void mouse(int button, int state, int x, int y)
{
    // Shift and Ctrl turn the left button into a drag: Ctrl holds a mass
    // point, Shift orbits. A release with either held ends that drag and
    // pushes nothing; without them only releases count, and neither pointer
    // position matters. No redisplay is posted: the idle callback keeps
    // frames coming.
    const int modifiers = glutGetModifiers();
    const bool isCtrl = (modifiers & GLUT_ACTIVE_CTRL) != 0;
    const bool isShift = (modifiers & GLUT_ACTIVE_SHIFT) != 0;
    ViewerState& viewer = viewerState;
    if (button == kLeftButton && state == kButtonPressed) {
        if (isCtrl) {
            viewer.grab.pick(globalWorld, viewer.camera, viewer.eyeAtPixel(x, y));
            viewer.grab.pointerX = x;
            viewer.grab.pointerY = y;
            viewer.drag = ViewerState::Drag::grab;
        } else if (isShift) {
            viewer.drag = ViewerState::Drag::orbit;
            viewer.dragX = x;
            viewer.dragY = y;
        }
        return;
    }
    if (state != kButtonReleased) return;
    if (button == kLeftButton) {
        viewer.drag = ViewerState::Drag::none;
        viewer.grab.release();
    }
    if (isCtrl || isShift) return;
    switch (button) {
    case kLeftButton:
        globalWorld.mousePush(0);
        viewer.showNotice("left button, like " + effectOf('z'), viewer.clock());
        break;
    case kMiddleButton:
        globalWorld.mousePush(2);
        viewer.showNotice("middle button, like " + effectOf('x'), viewer.clock());
        break;
    case kRightButton:
        globalWorld.mousePush(1);
        viewer.showNotice("right button, like " + effectOf('c'), viewer.clock());
        break;
    default: break;
    }
}

void motion(int x, int y)
{
    ViewerState& viewer = viewerState;
    switch (viewer.drag) {
    case ViewerState::Drag::orbit:
        // Dragging right turns the room as the right arrow does, dragging up as the up arrow.
        viewer.camera.orbit((x - viewer.dragX) * kOrbitDegreesPerPixel, (viewer.dragY - y) * kOrbitDegreesPerPixel);
        viewer.dragX = x;
        viewer.dragY = y;
        break;
    case ViewerState::Drag::grab:
        viewer.grab.pointerX = x;
        viewer.grab.pointerY = y;
        break;
    case ViewerState::Drag::none: break;
    }
}

void passiveMotion(int, int) {}
