#pragma once

#include <cstdint>

/// How many times World::exportFrame has been called, minus one: -1 before
/// the first call. One counter for the whole program, shared by every world.
extern std::int32_t frameCounter;
/// Whether the next World::exportFrame writes a frame (not only counts the call).
bool nextExportWritesFrame();

/// Where the first World::exportFrame call opens its RenderMan output, as
/// RiBegin takes it: a file name, "|command" for a pipe into a renderer, or
/// null for standard output. "blorp10.rib" unless the program changes it
/// before the first export.
extern const char* exportTarget;

/// When not null, a pattern that frameFiles::checkPattern accepts
/// ("frames/blorp.%04d.rib"): every frame World::exportFrame writes goes into
/// a complete RIB file of its own, named with the frame number, and
/// exportTarget is not used. See world/FrameFiles.h.
extern const char* exportFramePattern;

/// The image size each frame's Format asks for: 400 x 400 unless the
/// program changes it.
extern int exportImageWidth;
extern int exportImageHeight;
