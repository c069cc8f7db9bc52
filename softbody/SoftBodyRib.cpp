#include "softbody/SoftBody.h"

#include <ri.h>

#include <vector>

void SoftBody::writeRib() const
{
    RtColor colourValue = {colour[0], colour[1], colour[2]};
    RiAttributeBegin();
    if (glass) {
        RtFloat blur = 0.2f, kr = 0.3f, ks = 0.5f, kd = 0.4f;
        RtColor opacity = {0.5f, 0.5f, 0.5f};
        RiSurface("glass", "blur", &blur, "transmitcolor", colourValue, "Kr", &kr, "Ks", &ks, "Kd", &kd, RI_NULL);
        RiColor(colourValue);
        RiOpacity(opacity);
    } else {
        RtFloat ks = 0.0f;
        RtToken texture = "blorp.tif";
        RiSurface("paintedplastic", "Ks", &ks, "texturename", &texture, RI_NULL);
    }

    // Six bicubic Bezier meshes, one per side, with the node positions as
    // control points, u fastest. Opposite sides share their parametric
    // orientation. The counts are passed as they are: a side whose node
    // counts are not 3m + 1 gives a mesh the renderer will reject, which is
    // the body's shape, not something to hide here.
    const int NX = nodesX, NY = nodesY, NZ = nodesZ;
    std::vector<RtFloat> points;
    auto mesh = [&](int nu, int nv, auto at) {
        points.clear();
        points.reserve(size_t(3 * nu * nv));
        for (int v = 0; v < nv; ++v)
            for (int u = 0; u < nu; ++u) {
                const Vector3& p = at(u, v)->position;
                points.push_back(RtFloat(p.x));
                points.push_back(RtFloat(p.y));
                points.push_back(RtFloat(p.z));
            }
        RiPatchMesh("bicubic", nu, "nonperiodic", nv, "nonperiodic", "P", points.data(), RI_NULL);
    };
    auto basis = [] { RiBasis(RiBezierBasis, 3, RiBezierBasis, 3); };

    basis();
    mesh(NX, NY, [&](int i, int j) { return node(i, j, NZ - 1); });
    basis();
    mesh(NX, NY, [&](int i, int j) { return node(i, j, 0); });
    basis();
    mesh(NZ, NY, [&](int k, int j) { return node(NX - 1, j, k); });
    basis();
    mesh(NZ, NY, [&](int k, int j) { return node(0, j, k); });
    basis();
    mesh(NX, NZ, [&](int i, int k) { return node(i, NY - 1, k); });
    basis();
    RiTextureCoordinates(0, 0, 1, 0, 0, 1, 1, 1);
    mesh(NX, NZ, [&](int i, int k) { return node(i, 0, k); });
    RiAttributeEnd();
}
