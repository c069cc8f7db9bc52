#pragma once

#include <vector>

struct MassPoint;

/// The nodes of one side of a lattice, as rows of node pointers.
struct SideGrid {
    std::vector<std::vector<MassPoint*>> rows;
};
