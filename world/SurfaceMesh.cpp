#include "world/SurfaceMesh.h"

#include "softbody/SoftBody.h"
#include "softbody/SoftBodyRib.h"

#include <cmath>

namespace {
// One side of the lattice: the node at side coordinates (u, v), its node
// counts, and whether walking u then v turns away from the outside.
struct Side {
    int nu, nv;
    bool isReversed;
    bool isBottom;
    int (*index)(const SoftBody&, int u, int v);
};

int latticeIndex(const SoftBody& body, int i, int j, int k) { return (i * body.nodesY + j) * body.nodesZ + k; }
}  // namespace

SurfaceMesh surfaceMesh(const SoftBody& body)
{
    const int NX = body.nodesX, NY = body.nodesY, NZ = body.nodesZ;
    // The RIB frame's six sides in its order. u runs along the first listed
    // axis, v along the second; on the sides whose u × v points inward the
    // quads are walked backwards so that every quad faces out.
    const Side sides[6] = {
        {NX, NY, false, false, [](const SoftBody& b, int u, int v) { return latticeIndex(b, u, v, b.nodesZ - 1); }},
        {NX, NY, true, false, [](const SoftBody& b, int u, int v) { return latticeIndex(b, u, v, 0); }},
        {NZ, NY, true, false, [](const SoftBody& b, int u, int v) { return latticeIndex(b, b.nodesX - 1, v, u); }},
        {NZ, NY, false, false, [](const SoftBody& b, int u, int v) { return latticeIndex(b, 0, v, u); }},
        {NX, NZ, true, false, [](const SoftBody& b, int u, int v) { return latticeIndex(b, u, b.nodesY - 1, v); }},
        {NX, NZ, false, true, [](const SoftBody& b, int u, int v) { return latticeIndex(b, u, 0, v); }},
    };
    // With one node layer along an axis, the largest-index side of that axis
    // is the smallest-index one again.
    const bool isDuplicate[6] = {NZ == 1, false, NX == 1, false, NY == 1, false};

    // Lattice index -> vertex, -1 for nodes inside the lattice. Vertices are
    // numbered in lattice order once all sides are known.
    std::vector<int> vertexOf(size_t(body.nodeCount()), -1);
    struct NodeQuad {
        std::array<int, 4> nodes;
        bool isBottom;
    };
    std::vector<NodeQuad> nodeQuads;
    for (int s = 0; s < 6; ++s) {
        const Side& side = sides[s];
        if (isDuplicate[s] || sideForm(side.nu, side.nv) == SideForm::omitted) continue;
        for (int v = 0; v + 1 < side.nv; ++v)
            for (int u = 0; u + 1 < side.nu; ++u) {
                std::array<int, 4> q = {side.index(body, u, v), side.index(body, u + 1, v),
                                        side.index(body, u + 1, v + 1), side.index(body, u, v + 1)};
                if (side.isReversed) q = {q[0], q[3], q[2], q[1]};
                for (int n : q) vertexOf[size_t(n)] = 0;
                nodeQuads.push_back({q, side.isBottom});
            }
    }

    SurfaceMesh mesh;
    for (int n = 0; n < body.nodeCount(); ++n) {
        if (vertexOf[size_t(n)] < 0) continue;
        vertexOf[size_t(n)] = int(mesh.nodes.size());
        mesh.nodes.push_back(n);
    }
    mesh.st.assign(mesh.nodes.size(), {0.0f, 0.0f});
    for (const NodeQuad& q : nodeQuads) {
        SurfaceMesh::Quad quad;
        quad.isBottom = q.isBottom;
        for (int c = 0; c < 4; ++c) quad.corners[size_t(c)] = vertexOf[size_t(q.nodes[size_t(c)])];
        mesh.quads.push_back(quad);
    }
    // The bottom side's (s, t) follow its u = i and v = k from corner to corner.
    if (sideForm(NX, NZ) != SideForm::omitted) {
        for (int i = 0; i < NX; ++i)
            for (int k = 0; k < NZ; ++k)
                mesh.st[size_t(vertexOf[size_t(latticeIndex(body, i, 0, k))])] = {float(i) / float(NX - 1),
                                                                                  float(k) / float(NZ - 1)};
    }
    return mesh;
}

std::vector<Vector3> vertexNormals(const SurfaceMesh& mesh, const std::vector<Vector3>& positions)
{
    std::vector<Vector3> normals(positions.size(), Vector3(0.0, 0.0, 0.0));
    for (const SurfaceMesh::Quad& quad : mesh.quads) {
        const Vector3& a = positions[size_t(quad.corners[0])];
        const Vector3& b = positions[size_t(quad.corners[1])];
        const Vector3& c = positions[size_t(quad.corners[2])];
        const Vector3& d = positions[size_t(quad.corners[3])];
        // Half the cross product of the diagonals: the area-weighted normal
        // of a quad even when it is not flat.
        const Vector3 normal = (c - a).cross(d - b) * 0.5;
        for (int corner : quad.corners) normals[size_t(corner)] += normal;
    }
    for (Vector3& n : normals) {
        const double length = n.length();
        n = length > 0.0 ? n * (1.0 / length) : Vector3(0.0, 1.0, 0.0);
    }
    return normals;
}

std::vector<Vector3> vertexPositions(const SurfaceMesh& mesh, const SoftBody& body)
{
    std::vector<Vector3> positions;
    positions.reserve(mesh.nodes.size());
    for (int n : mesh.nodes) positions.push_back(body.nodeArray()[n].position);
    return positions;
}
