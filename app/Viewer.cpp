#include "app/Viewer.h"

#include "app/Headless.h"
#include "app/Interruption.h"
#include "app/Options.h"
#include "app/Session.h"

#include <GL/gl.h>
#include <GL/glut.h>
#include <GL/freeglut_ext.h>

#include <cstdlib>
#include <iostream>
#include <string>

namespace {
// GLUT's mouse codes.
constexpr int kLeftButton = 0;
constexpr int kMiddleButton = 1;
constexpr int kRightButton = 2;
constexpr int kButtonReleased = 1;

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
}  // namespace

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
    if (options.isHeadless) return runHeadless(options);

    guardRun(options);
    buildWorld(options);
    prepareExport(options);

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
    initGraphics();
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
    // Stepping first: simulated time advances one step per drawn frame.
    stepWorld();
    glPushMatrix();
    glRotatef(15.0f, 1.0f, 1.0f, 0.0f);
    globalWorld.draw();
    glPopMatrix();
    glutSwapBuffers();
    glFinish();
}

void reshape(int width, int height)
{
    // The projection stays as initGraphics set it: the picture stretches.
    glViewport(0, 0, width, height);
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
    case 'n': globalWorld.activateNextBody(); break;
    case 'q': quit();
    case 'm': globalWorld.kickUp(); break;
    default: break;
    }
    glutPostRedisplay();
}

void mouse(int button, int state, int, int)
{
    // Only releases count, and neither pointer position matters. No
    // redisplay is posted: the idle callback keeps frames coming.
    if (state != kButtonReleased) return;
    switch (button) {
    case kLeftButton: globalWorld.mousePush(0); break;
    case kMiddleButton: globalWorld.mousePush(2); break;
    case kRightButton: globalWorld.mousePush(1); break;
    default: break;
    }
}

void motion(int, int) {}

void passiveMotion(int, int) {}
