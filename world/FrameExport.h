#pragma once

#include <cstdint>

/// How many times World::exportFrame has been called, minus one: -1 before
/// the first call. One counter for the whole program, shared by every world.
extern std::int32_t frameCounter;

/// Where the first World::exportFrame call opens its RenderMan output, as
/// RiBegin takes it: a file name, "|command" for a pipe into a renderer, or
/// null for standard output. "blorp10.rib" unless the program changes it
/// before the first export.
extern const char* exportTarget;
