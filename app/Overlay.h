#pragma once

struct ViewerState;
class World;

/// The room as the simulation sees it: the floor at y = -4 filled, with a
/// grid of 1-unit squares, and the walls at x = ±4 and z = ±5 as outlines up
/// to the top of the fixed view. Drawn before the world: without a depth
/// buffer whatever comes later covers it. Leaves the OpenGL state as it was.
void drawRoom();

/// The help panel and the statistics line, in window pixels over the
/// picture; draws nothing when both are off. Leaves the OpenGL state and
/// matrices as they were.
void drawOverlays(const ViewerState& state, const World& world, double now);
