#include "softbody/SoftBodyRib.h"

#include "softbody/SoftBody.h"

#include <ri.h>

#include <vector>

namespace {
// The Bezier basis steps 3 points from one patch to the next.
constexpr int kBezierStep = 3;

bool fitsBezierStep(int nodes) { return nodes >= kBezierStep + 1 && (nodes - 1) % kBezierStep == 0; }
}  // namespace

SideForm sideForm(int nu, int nv)
{
    // A mesh with a single row of points has no patch at all; a renderer
    // that is given one may crash on it.
    if (nu < 2 || nv < 2) return SideForm::omitted;
    // A bicubic mesh whose counts are not 3m + 1 has points left over after
    // its last whole patch, which strict renderers refuse or draw wrongly.
    // The bilinear mesh of the same points passes through every node, as
    // the viewer's quads do.
    if (fitsBezierStep(nu) && fitsBezierStep(nv)) return SideForm::bicubic;
    return SideForm::bilinear;
}

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

    // One patch mesh per side, with the node positions as control points, u
    // fastest; opposite sides share their parametric orientation. Each side
    // is written in the one form renderers accept for its node counts.
    const int NX = nodesX, NY = nodesY, NZ = nodesZ;
    std::vector<RtFloat> points;
    auto side = [&](int nu, int nv, bool isLast, auto at) {
        const SideForm form = sideForm(nu, nv);
        if (form == SideForm::omitted) return;
        RiBasis(RiBezierBasis, kBezierStep, RiBezierBasis, kBezierStep);
        // Texture coordinates are an attribute: a renderer applies them to
        // every primitive that follows in this block. Set right before the
        // last mesh they reach that one only; the meshes before it keep the
        // renderer's default mapping. Without the last side they would reach
        // nothing, so they go with it.
        if (isLast) RiTextureCoordinates(0, 0, 1, 0, 0, 1, 1, 1);
        points.clear();
        points.reserve(size_t(3 * nu * nv));
        for (int v = 0; v < nv; ++v)
            for (int u = 0; u < nu; ++u) {
                const Vector3& p = at(u, v)->position;
                points.push_back(RtFloat(p.x));
                points.push_back(RtFloat(p.y));
                points.push_back(RtFloat(p.z));
            }
        RiPatchMesh(form == SideForm::bicubic ? "bicubic" : "bilinear", nu, "nonperiodic", nv, "nonperiodic", "P",
                    points.data(), RI_NULL);
    };

    side(NX, NY, false, [&](int i, int j) { return node(i, j, NZ - 1); });
    side(NX, NY, false, [&](int i, int j) { return node(i, j, 0); });
    side(NZ, NY, false, [&](int k, int j) { return node(NX - 1, j, k); });
    side(NZ, NY, false, [&](int k, int j) { return node(0, j, k); });
    side(NX, NZ, false, [&](int i, int k) { return node(i, NY - 1, k); });
    side(NX, NZ, true, [&](int i, int k) { return node(i, 0, k); });
    RiAttributeEnd();
}
