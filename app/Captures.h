#pragma once

#include <string>

struct ViewerOptions;
class World;

/// The run's outputs beside the RIB export: the mesh cache (--mesh-cache,
/// viewer and headless), F2's screenshots (--shots) and the video
/// (--record, --record-every), both of the window only.

/// Takes the options' capture settings. A mesh cache directory that cannot
/// be made ends the process with one line and status 1, as a RIB file that
/// cannot be opened does. Call once, before the first step.
void prepareCaptures(const ViewerOptions& options);

/// After each world step: the mesh cache's frame, every eighth step.
void captureStep(const World& world);
/// The world is about to be replaced by another scene's: the mesh cache
/// treats the next world's bodies as new bodies.
void captureWorldStarted();

/// True once the mesh cache has failed: the run stops as for a failed RIB output.
bool hasCaptureFailed();
/// "the mesh cache in DIR failed: cannot write FILE: REASON".
std::string captureFailure();
/// "; N mesh cache frames in DIR" with a mesh cache, "" without.
std::string captureSummary();

/// F2: the next drawn frame is saved as a PNG.
void requestScreenshot();
/// Called by the display cycle once the frame is drawn and before it is
/// shown, with the steps it took: saves a requested screenshot and hands the
/// video the pictures due. Reports on standard error and on the statistics
/// line; a failed screenshot or video is reported once and the viewer goes on.
void captureFrame(int steps);

/// Closes the point caches and finishes the video (waiting for ffmpeg),
/// with one line on standard error about the video. Safe to call again.
void finishCaptures();
