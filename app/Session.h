#pragma once

#include "world/World.h"

#include <string>

struct SceneDescription;
struct ViewerOptions;

/// What the viewer and the headless run share: the one world they simulate,
/// how it is built from the options, how a step is taken, and the RenderMan
/// output that --export keeps open across the run.

/// The world the program simulates. It has static storage duration, so its
/// own construction (scene 12) runs before main; buildWorld then replaces its
/// contents with the chosen scene's world.
extern World globalWorld;

/// True after --export: every stepWorld() calls World::exportFrame after
/// World::step.
extern bool exportsEachStep;

/// Writes "about to create the world...", builds the options' scene on the
/// heap with its first `bodies` bodies active, assigns it to globalWorld and
/// writes "world has been created...".
void buildWorld(const ViewerOptions& options);
/// The same for a scene read from a file: the options' --bodies, when
/// given, wins over the file's active-bodies. Writes a warning line for
/// every body past its stable range (world/Stability.h).
void buildWorld(const ViewerOptions& options, const SceneDescription& scene);

/// Replaces globalWorld as startScene does, with a described scene and its
/// first `bodies` bodies active (at most as many as it has).
void startDescribedScene(const SceneDescription& scene, int bodies);

/// Replaces globalWorld with a fresh build of `scene` (its construction
/// messages go to standard error as any build's do) with its first `bodies`
/// bodies active. The world built before it is let go, its bodies and
/// objects freed: nothing may keep pointers into it. The RenderMan output
/// stays as it is.
void startScene(int scene, int bodies);

/// Whether bodies collide with each other: --collide-bodies, then the b key.
/// startScene gives it to every world it builds, so a restarted scene keeps it.
extern bool collidesBodies;

/// One step of globalWorld, then, with --export, one World::exportFrame.
/// The world is checked for bodies that are no longer sane
/// (world/Stability.h) before every frame the export writes and every
/// eighth step of a scene; a check that finds one sets instabilityReport
/// and exports nothing. globalWorld is then not fit to be exported until
/// the scene is started again.
void stepWorld();

/// The check stepWorld makes, now: sets instabilityReport when an active
/// body is no longer sane. The viewer makes it before drawing each frame.
void checkWorld();

/// Why the last stepWorld found a body unstable ("body 2 went unstable at
/// step ..."), or empty. Cleared when a scene starts.
extern std::string instabilityReport;

/// The steps stepWorld has taken.
extern long stepsTaken;

/// Sets up the RenderMan output that the first World::exportFrame begins:
/// its target (exportTarget, or exportFramePattern for one file per frame),
/// encoding and image size, and turns exportsEachStep on.
/// Does nothing without --export. Call before the first step.
void prepareExport(const ViewerOptions& options);

/// Finishes the RenderMan output with RiEnd if one was begun. Returns the
/// status the program should end with: 0, or 1 when the output could not be
/// finished (the RIB library has reported why on standard error).
int closeExport();
