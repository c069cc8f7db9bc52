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

/// `steps` world steps (stepWorld), each after the pull of a held mass
/// point; counted in viewerState.stepsSinceStart. The display cycle's only
/// way to advance the simulation.
void advance(int steps);

// GLUT callbacks.
void display();
void reshape(int width, int height);
void idle();
void keyboard(unsigned char key, int x, int y);
void mouse(int button, int state, int x, int y);
void special(int key, int x, int y);
void mouseWheel(int wheel, int direction, int x, int y);
/// Moves an orbit or a held point while the left button is down; nothing otherwise.
void motion(int x, int y);
void passiveMotion(int x, int y);
