/* A bicubic patch mesh with a Bezier basis: a 7 by 4 grid of control points
 * (two patches across, one down). */
#include <stdio.h>
#include <ri.h>

int main(int argc, char *argv[])
{
    RtPoint mesh[28];
    RtFloat corners[6] = {1, 0, 0, 0, 0, 1};
    RtHpoint weighted[4] = {{0, 0, 0, 1}, {2, 0, 0, 2}, {0, 0, 1, 1}, {2, 0, 2, 2}};
    RtToken tokens[1];
    RtPointer values[1];
    int u, v;

    if (argc < 2) {
        fprintf(stderr, "usage: %s FILE.rib\n", argv[0]);
        return 2;
    }
    for (v = 0; v < 4; ++v) {
        for (u = 0; u < 7; ++u) {
            mesh[v * 7 + u][0] = (RtFloat)u;
            mesh[v * 7 + u][1] = (RtFloat)((u + v) % 2);
            mesh[v * 7 + u][2] = (RtFloat)v;
        }
    }
    RiBegin(argv[1]);
    RiWorldBegin();
    RiBasis(RiBezierBasis, RI_BEZIERSTEP, RiBezierBasis, RI_BEZIERSTEP);
    RiSurface(RI_PLASTIC, RI_NULL);
    /* Two varying colours across, two down: one per patch corner. */
    RiDeclare("corner", "varying float");
    tokens[0] = RI_P;
    values[0] = (RtPointer)mesh;
    RiPatchMeshV(RI_BICUBIC, 7, RI_NONPERIODIC, 4, RI_NONPERIODIC, 1, tokens, values);
    RiPatchMesh(RI_BILINEAR, 2, RI_NONPERIODIC, 3, RI_NONPERIODIC, RI_P, (RtPointer)mesh,
                "corner", (RtPointer)corners, RI_NULL);
    RiPatch(RI_BILINEAR, RI_PW, (RtPointer)weighted, RI_NULL);
    RiWorldEnd();
    RiEnd();
    return 0;
}
