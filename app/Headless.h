#pragma once

struct SceneDescription;
struct ViewerOptions;

/// The batch run of --headless: builds the world as the viewer does, runs
/// options.steps world steps (with --export, World::exportFrame after each),
/// finishes the RenderMan output and writes a one-line summary to standard
/// error, after a progress bar when standard error is a terminal. Calls no
/// OpenGL and no GLUT, so it needs no display. Returns the exit status: 0, or
/// 1 when the RenderMan output could not be finished. A failed output or
/// SIGINT or SIGTERM stops the run after the step it happens in, as
/// endStoppedRun (app/Interruption.h) describes. With `scene`, the world is
/// that described scene (read from --scene-file) instead of the catalogue's.
/// A body that goes unstable stops the run after that step with its report
/// on standard error; the RIB ends with the last frame before it, and the
/// status is 1.
int runHeadless(const ViewerOptions& options, const SceneDescription* scene = nullptr);
