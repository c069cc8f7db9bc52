#pragma once

/// How SoftBody::writeRib writes one side of the lattice, given the side's
/// node counts along u and v.
enum class SideForm {
    bicubic,   ///< both counts 3m + 1 (m >= 1): a bicubic Bezier mesh
    bilinear,  ///< at least 2 nodes both ways, not both 3m + 1: a bilinear mesh
    omitted,   ///< a single node along u or v: the side has no area
};

SideForm sideForm(int nu, int nv);
