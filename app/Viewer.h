#pragma once

#include "world/World.h"

struct ViewerOptions;

/// The world the viewer shows. It has static storage duration, so its own
/// construction (scene 12) runs before main; runViewer then replaces its
/// contents with the chosen scene's world.
extern World globalWorld;

/// True after --export: display (and a headless run) call
/// World::exportFrame once after every World::step.
extern bool exportsEachStep;

/// The program: reads the options, builds the world, opens the "Blorp
/// Madness" window, registers the callbacks and enters the GLUT main loop.
/// The loop returns only when the window is closed through the window
/// manager; the RenderMan output is then finished as 'q' finishes it and the
/// result is closeExport()'s status. Returns 2 after a bad option (one line
/// on standard error) and 0 after --help, both before any window exists.
/// With --headless it runs runHeadless instead and never touches GLUT.
int runViewer(int argc, char** argv);

/// Writes "about to create the world...", builds the options' scene on the
/// heap with its first `bodies` bodies active, assigns it to globalWorld and
/// writes "world has been created...".
void buildWorld(const ViewerOptions& options);

/// Sets up the RenderMan output that the first World::exportFrame begins:
/// its target (exportTarget) and encoding, and turns exportsEachStep on.
/// Does nothing without --export. Call before the first step.
void prepareExport(const ViewerOptions& options);

/// Finishes the RenderMan output with RiEnd if one was begun. Returns the
/// status the program should end with: 0, or 1 when the output could not be
/// finished (the RIB library has reported why on standard error).
int closeExport();

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
