#pragma once

struct ViewerOptions;

/// The program: reads the options, builds the world, opens the "Blorp
/// Madness" window, registers the callbacks and enters the GLUT main loop.
/// The loop returns only when the window is closed through the window
/// manager; the RenderMan output is then finished as 'q' finishes it and the
/// result is closeExport()'s status. Returns 2 after a bad option (one line
/// on standard error) and 0 after --help, both before any window exists.
/// With --headless it runs runHeadless instead and never touches GLUT.
int runViewer(int argc, char** argv);

/// The fixed orthographic view and the three lights.
void initGraphics();

// GLUT callbacks.
void display();
void reshape(int width, int height);
void idle();
void keyboard(unsigned char key, int x, int y);
void mouse(int button, int state, int x, int y);
void motion(int x, int y);
void passiveMotion(int x, int y);
