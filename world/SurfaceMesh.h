#pragma once

#include "geometry/Vector3.h"

#include <array>
#include <vector>

class SoftBody;

/// The outer surface of a body's lattice as a quad mesh over its own nodes:
/// the sides SoftBody::writeRib writes, each cell of a side one quad. A node
/// on several sides is one vertex, so the vertex order stays fixed for the
/// body's whole life and a point cache can follow it.
struct SurfaceMesh {
    struct Quad {
        std::array<int, 4> corners;  ///< vertex indices, counter-clockwise seen from outside the lattice
        bool isBottom = false;       ///< on the j = 0 side, which carries texture coordinates
    };

    std::vector<int> nodes;  ///< the lattice index (into nodeArray) of each vertex, in lattice order
    std::vector<Quad> quads;
    /// Texture coordinates (s, t) of each vertex, meaningful on the bottom
    /// side only: (0, 0), (1, 0), (0, 1), (1, 1) at its corners, as the RIB
    /// frame gives them, spread evenly over its nodes.
    std::vector<std::array<float, 2>> st;

    bool isEmpty() const { return quads.empty(); }
};

/// The surface of `body`. Sides one node thin are left out, as the RIB frame
/// leaves them out. When the lattice is a single node layer along an axis,
/// its two sides on that axis are the same nodes and only the smaller-index
/// one is kept, so no quad appears twice. A body with no side of area (a
/// chain, a single node) has an empty mesh.
SurfaceMesh surfaceMesh(const SoftBody& body);

/// Each vertex's unit normal: the sum of its quads' area-weighted normals.
/// A vertex whose quads cancel out gets (0, 1, 0).
std::vector<Vector3> vertexNormals(const SurfaceMesh& mesh, const std::vector<Vector3>& positions);

/// The positions of the mesh's vertices in `body`, in vertex order.
std::vector<Vector3> vertexPositions(const SurfaceMesh& mesh, const SoftBody& body);
