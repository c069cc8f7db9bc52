#pragma once

#include "world/World.h"

/// The world the viewer shows. It has static storage duration, so its own
/// construction (scene 12) runs before main; runViewer then replaces its
/// contents with the chosen scene's world.
extern World globalWorld;

/// The program: reads the options, builds the world, opens the "Blorp
/// Madness" window, registers the callbacks and enters the GLUT main loop,
/// which does not return. Returns 2 after a bad option (one line on standard
/// error) and 0 after --help, both before any window exists.
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
