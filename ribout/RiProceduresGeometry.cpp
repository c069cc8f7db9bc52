// RenderMan procedures: geometric primitives, solids and retained objects.
#include "ribout/Dispatch.h"
#include "ribout/ParameterGathering.h"

using ribout::dispatch;
using ribout::dispatchReturning;

extern "C" {

RtVoid RiCone(RtFloat height, RtFloat radius, RtFloat thetamax, ...)
{
    BLORP_GATHER_PARAMETERS(thetamax);
    dispatch("RiCone",
             [&](Renderer& r) { r.ConeV(height, radius, thetamax, n, tokens, values); });
}

RtVoid RiConeV(RtFloat height, RtFloat radius, RtFloat thetamax, RtInt n, RtToken tokens[],
               RtPointer values[])
{
    dispatch("RiConeV",
             [&](Renderer& r) { r.ConeV(height, radius, thetamax, n, tokens, values); });
}

RtVoid RiCylinder(RtFloat radius, RtFloat zmin, RtFloat zmax, RtFloat thetamax, ...)
{
    BLORP_GATHER_PARAMETERS(thetamax);
    dispatch("RiCylinder", [&](Renderer& r) {
        r.CylinderV(radius, zmin, zmax, thetamax, n, tokens, values);
    });
}

RtVoid RiCylinderV(RtFloat radius, RtFloat zmin, RtFloat zmax, RtFloat thetamax, RtInt n,
                   RtToken tokens[], RtPointer values[])
{
    dispatch("RiCylinderV", [&](Renderer& r) {
        r.CylinderV(radius, zmin, zmax, thetamax, n, tokens, values);
    });
}

RtVoid RiDisk(RtFloat height, RtFloat radius, RtFloat thetamax, ...)
{
    BLORP_GATHER_PARAMETERS(thetamax);
    dispatch("RiDisk",
             [&](Renderer& r) { r.DiskV(height, radius, thetamax, n, tokens, values); });
}

RtVoid RiDiskV(RtFloat height, RtFloat radius, RtFloat thetamax, RtInt n, RtToken tokens[],
               RtPointer values[])
{
    dispatch("RiDiskV",
             [&](Renderer& r) { r.DiskV(height, radius, thetamax, n, tokens, values); });
}

RtVoid RiHyperboloid(RtPoint point1, RtPoint point2, RtFloat thetamax, ...)
{
    BLORP_GATHER_PARAMETERS(thetamax);
    dispatch("RiHyperboloid",
             [&](Renderer& r) { r.HyperboloidV(point1, point2, thetamax, n, tokens, values); });
}

RtVoid RiHyperboloidV(RtPoint point1, RtPoint point2, RtFloat thetamax, RtInt n,
                      RtToken tokens[], RtPointer values[])
{
    dispatch("RiHyperboloidV",
             [&](Renderer& r) { r.HyperboloidV(point1, point2, thetamax, n, tokens, values); });
}

RtVoid RiParaboloid(RtFloat rmax, RtFloat zmin, RtFloat zmax, RtFloat thetamax, ...)
{
    BLORP_GATHER_PARAMETERS(thetamax);
    dispatch("RiParaboloid", [&](Renderer& r) {
        r.ParaboloidV(rmax, zmin, zmax, thetamax, n, tokens, values);
    });
}

RtVoid RiParaboloidV(RtFloat rmax, RtFloat zmin, RtFloat zmax, RtFloat thetamax, RtInt n,
                     RtToken tokens[], RtPointer values[])
{
    dispatch("RiParaboloidV", [&](Renderer& r) {
        r.ParaboloidV(rmax, zmin, zmax, thetamax, n, tokens, values);
    });
}

RtVoid RiSphere(RtFloat radius, RtFloat zmin, RtFloat zmax, RtFloat thetamax, ...)
{
    BLORP_GATHER_PARAMETERS(thetamax);
    dispatch("RiSphere",
             [&](Renderer& r) { r.SphereV(radius, zmin, zmax, thetamax, n, tokens, values); });
}

RtVoid RiSphereV(RtFloat radius, RtFloat zmin, RtFloat zmax, RtFloat thetamax, RtInt n,
                 RtToken tokens[], RtPointer values[])
{
    dispatch("RiSphereV",
             [&](Renderer& r) { r.SphereV(radius, zmin, zmax, thetamax, n, tokens, values); });
}

RtVoid RiTorus(RtFloat majorradius, RtFloat minorradius, RtFloat phimin, RtFloat phimax,
               RtFloat thetamax, ...)
{
    BLORP_GATHER_PARAMETERS(thetamax);
    dispatch("RiTorus", [&](Renderer& r) {
        r.TorusV(majorradius, minorradius, phimin, phimax, thetamax, n, tokens, values);
    });
}

RtVoid RiTorusV(RtFloat majorradius, RtFloat minorradius, RtFloat phimin, RtFloat phimax,
                RtFloat thetamax, RtInt n, RtToken tokens[], RtPointer values[])
{
    dispatch("RiTorusV", [&](Renderer& r) {
        r.TorusV(majorradius, minorradius, phimin, phimax, thetamax, n, tokens, values);
    });
}

RtVoid RiPolygon(RtInt nvertices, ...)
{
    BLORP_GATHER_PARAMETERS(nvertices);
    dispatch("RiPolygon", [&](Renderer& r) { r.PolygonV(nvertices, n, tokens, values); });
}

RtVoid RiPolygonV(RtInt nvertices, RtInt n, RtToken tokens[], RtPointer values[])
{
    dispatch("RiPolygonV", [&](Renderer& r) { r.PolygonV(nvertices, n, tokens, values); });
}

RtVoid RiGeneralPolygon(RtInt nloops, RtInt nverts[], ...)
{
    BLORP_GATHER_PARAMETERS(nverts);
    dispatch("RiGeneralPolygon",
             [&](Renderer& r) { r.GeneralPolygonV(nloops, nverts, n, tokens, values); });
}

RtVoid RiGeneralPolygonV(RtInt nloops, RtInt nverts[], RtInt n, RtToken tokens[],
                         RtPointer values[])
{
    dispatch("RiGeneralPolygonV",
             [&](Renderer& r) { r.GeneralPolygonV(nloops, nverts, n, tokens, values); });
}

RtVoid RiPointsPolygons(RtInt npolys, RtInt nverts[], RtInt verts[], ...)
{
    BLORP_GATHER_PARAMETERS(verts);
    dispatch("RiPointsPolygons",
             [&](Renderer& r) { r.PointsPolygonsV(npolys, nverts, verts, n, tokens, values); });
}

RtVoid RiPointsPolygonsV(RtInt npolys, RtInt nverts[], RtInt verts[], RtInt n, RtToken tokens[],
                         RtPointer values[])
{
    dispatch("RiPointsPolygonsV",
             [&](Renderer& r) { r.PointsPolygonsV(npolys, nverts, verts, n, tokens, values); });
}

RtVoid RiPointsGeneralPolygons(RtInt npolys, RtInt nloops[], RtInt nverts[], RtInt verts[], ...)
{
    BLORP_GATHER_PARAMETERS(verts);
    dispatch("RiPointsGeneralPolygons", [&](Renderer& r) {
        r.PointsGeneralPolygonsV(npolys, nloops, nverts, verts, n, tokens, values);
    });
}

RtVoid RiPointsGeneralPolygonsV(RtInt npolys, RtInt nloops[], RtInt nverts[], RtInt verts[],
                                RtInt n, RtToken tokens[], RtPointer values[])
{
    dispatch("RiPointsGeneralPolygonsV", [&](Renderer& r) {
        r.PointsGeneralPolygonsV(npolys, nloops, nverts, verts, n, tokens, values);
    });
}

RtVoid RiBasis(RtBasis ubasis, RtInt ustep, RtBasis vbasis, RtInt vstep)
{
    dispatch("RiBasis", [&](Renderer& r) { r.Basis(ubasis, ustep, vbasis, vstep); });
}

RtVoid RiPatch(RtToken type, ...)
{
    BLORP_GATHER_PARAMETERS(type);
    dispatch("RiPatch", [&](Renderer& r) { r.PatchV(type, n, tokens, values); });
}

RtVoid RiPatchV(RtToken type, RtInt n, RtToken tokens[], RtPointer values[])
{
    dispatch("RiPatchV", [&](Renderer& r) { r.PatchV(type, n, tokens, values); });
}

RtVoid RiPatchMesh(RtToken type, RtInt nu, RtToken uwrap, RtInt nv, RtToken vwrap, ...)
{
    BLORP_GATHER_PARAMETERS(vwrap);
    dispatch("RiPatchMesh",
             [&](Renderer& r) { r.PatchMeshV(type, nu, uwrap, nv, vwrap, n, tokens, values); });
}

RtVoid RiPatchMeshV(RtToken type, RtInt nu, RtToken uwrap, RtInt nv, RtToken vwrap, RtInt n,
                    RtToken tokens[], RtPointer values[])
{
    dispatch("RiPatchMeshV",
             [&](Renderer& r) { r.PatchMeshV(type, nu, uwrap, nv, vwrap, n, tokens, values); });
}

RtVoid RiTrimCurve(RtInt nloops, RtInt ncurves[], RtInt order[], RtFloat knot[], RtFloat min[],
                   RtFloat max[], RtInt n[], RtFloat u[], RtFloat v[], RtFloat w[])
{
    dispatch("RiTrimCurve", [&](Renderer& r) {
        r.TrimCurve(nloops, ncurves, order, knot, min, max, n, u, v, w);
    });
}

RtVoid RiNuPatch(RtInt nu, RtInt uorder, RtFloat uknot[], RtFloat umin, RtFloat umax, RtInt nv,
                 RtInt vorder, RtFloat vknot[], RtFloat vmin, RtFloat vmax, ...)
{
    BLORP_GATHER_PARAMETERS(vmax);
    dispatch("RiNuPatch", [&](Renderer& r) {
        r.NuPatchV(nu, uorder, uknot, umin, umax, nv, vorder, vknot, vmin, vmax, n, tokens,
                   values);
    });
}

RtVoid RiNuPatchV(RtInt nu, RtInt uorder, RtFloat uknot[], RtFloat umin, RtFloat umax, RtInt nv,
                  RtInt vorder, RtFloat vknot[], RtFloat vmin, RtFloat vmax, RtInt n,
                  RtToken tokens[], RtPointer values[])
{
    dispatch("RiNuPatchV", [&](Renderer& r) {
        r.NuPatchV(nu, uorder, uknot, umin, umax, nv, vorder, vknot, vmin, vmax, n, tokens,
                   values);
    });
}

RtVoid RiCurves(RtToken type, RtInt ncurves, RtInt nvertices[], RtToken wrap, ...)
{
    BLORP_GATHER_PARAMETERS(wrap);
    dispatch("RiCurves",
             [&](Renderer& r) { r.CurvesV(type, ncurves, nvertices, wrap, n, tokens, values); });
}

RtVoid RiCurvesV(RtToken type, RtInt ncurves, RtInt nvertices[], RtToken wrap, RtInt n,
                 RtToken tokens[], RtPointer values[])
{
    dispatch("RiCurvesV",
             [&](Renderer& r) { r.CurvesV(type, ncurves, nvertices, wrap, n, tokens, values); });
}

RtVoid RiPoints(RtInt npoints, ...)
{
    BLORP_GATHER_PARAMETERS(npoints);
    dispatch("RiPoints", [&](Renderer& r) { r.PointsV(npoints, n, tokens, values); });
}

RtVoid RiPointsV(RtInt npoints, RtInt n, RtToken tokens[], RtPointer values[])
{
    dispatch("RiPointsV", [&](Renderer& r) { r.PointsV(npoints, n, tokens, values); });
}

RtVoid RiSubdivisionMesh(RtToken scheme, RtInt nfaces, RtInt nvertices[], RtInt vertices[],
                         RtInt ntags, RtToken tags[], RtInt nargs[], RtInt intargs[],
                         RtFloat floatargs[], ...)
{
    BLORP_GATHER_PARAMETERS(floatargs);
    dispatch("RiSubdivisionMesh", [&](Renderer& r) {
        r.SubdivisionMeshV(scheme, nfaces, nvertices, vertices, ntags, tags, nargs, intargs,
                           floatargs, n, tokens, values);
    });
}

RtVoid RiSubdivisionMeshV(RtToken scheme, RtInt nfaces, RtInt nvertices[], RtInt vertices[],
                          RtInt ntags, RtToken tags[], RtInt nargs[], RtInt intargs[],
                          RtFloat floatargs[], RtInt n, RtToken tokens[], RtPointer values[])
{
    dispatch("RiSubdivisionMeshV", [&](Renderer& r) {
        r.SubdivisionMeshV(scheme, nfaces, nvertices, vertices, ntags, tags, nargs, intargs,
                           floatargs, n, tokens, values);
    });
}

RtVoid RiBlobby(RtInt nleaf, RtInt ncode, RtInt code[], RtInt nflt, RtFloat flt[], RtInt nstr,
                RtToken str[], ...)
{
    BLORP_GATHER_PARAMETERS(str);
    dispatch("RiBlobby", [&](Renderer& r) {
        r.BlobbyV(nleaf, ncode, code, nflt, flt, nstr, str, n, tokens, values);
    });
}

RtVoid RiBlobbyV(RtInt nleaf, RtInt ncode, RtInt code[], RtInt nflt, RtFloat flt[], RtInt nstr,
                 RtToken str[], RtInt n, RtToken tokens[], RtPointer values[])
{
    dispatch("RiBlobbyV", [&](Renderer& r) {
        r.BlobbyV(nleaf, ncode, code, nflt, flt, nstr, str, n, tokens, values);
    });
}

RtVoid RiProcedural(RtPointer data, RtBound bound, RtProcSubdivFunc subdivfunc,
                    RtProcFreeFunc freefunc)
{
    dispatch("RiProcedural",
             [&](Renderer& r) { r.Procedural(data, bound, subdivfunc, freefunc); });
}

RtVoid RiGeometry(RtToken type, ...)
{
    BLORP_GATHER_PARAMETERS(type);
    dispatch("RiGeometry", [&](Renderer& r) { r.GeometryV(type, n, tokens, values); });
}

RtVoid RiGeometryV(RtToken type, RtInt n, RtToken tokens[], RtPointer values[])
{
    dispatch("RiGeometryV", [&](Renderer& r) { r.GeometryV(type, n, tokens, values); });
}

RtVoid RiSolidBegin(RtToken operation)
{
    dispatch("RiSolidBegin", [&](Renderer& r) { r.SolidBegin(operation); });
}

RtVoid RiSolidEnd(void)
{
    dispatch("RiSolidEnd", [&](Renderer& r) { r.SolidEnd(); });
}

RtObjectHandle RiObjectBegin(void)
{
    return dispatchReturning<RtObjectHandle>("RiObjectBegin",
                                             [&](Renderer& r) { return r.ObjectBegin(); });
}

RtVoid RiObjectEnd(void)
{
    dispatch("RiObjectEnd", [&](Renderer& r) { r.ObjectEnd(); });
}

RtVoid RiObjectInstance(RtObjectHandle handle)
{
    dispatch("RiObjectInstance", [&](Renderer& r) { r.ObjectInstance(handle); });
}

RtVoid RiMakeTexture(RtToken picture, RtToken texture, RtToken swrap, RtToken twrap,
                     RtFilterFunc filterfunc, RtFloat swidth, RtFloat twidth, ...)
{
    BLORP_GATHER_PARAMETERS(twidth);
    dispatch("RiMakeTexture", [&](Renderer& r) {
        r.MakeTextureV(picture, texture, swrap, twrap, filterfunc, swidth, twidth, n, tokens,
                       values);
    });
}

RtVoid RiMakeTextureV(RtToken picture, RtToken texture, RtToken swrap, RtToken twrap,
                      RtFilterFunc filterfunc, RtFloat swidth, RtFloat twidth, RtInt n,
                      RtToken tokens[], RtPointer values[])
{
    dispatch("RiMakeTextureV", [&](Renderer& r) {
        r.MakeTextureV(picture, texture, swrap, twrap, filterfunc, swidth, twidth, n, tokens,
                       values);
    });
}

RtVoid RiMakeBump(RtToken picture, RtToken texture, RtToken swrap, RtToken twrap,
                  RtFilterFunc filterfunc, RtFloat swidth, RtFloat twidth, ...)
{
    BLORP_GATHER_PARAMETERS(twidth);
    dispatch("RiMakeBump", [&](Renderer& r) {
        r.MakeBumpV(picture, texture, swrap, twrap, filterfunc, swidth, twidth, n, tokens, values);
    });
}

RtVoid RiMakeBumpV(RtToken picture, RtToken texture, RtToken swrap, RtToken twrap,
                   RtFilterFunc filterfunc, RtFloat swidth, RtFloat twidth, RtInt n,
                   RtToken tokens[], RtPointer values[])
{
    dispatch("RiMakeBumpV", [&](Renderer& r) {
        r.MakeBumpV(picture, texture, swrap, twrap, filterfunc, swidth, twidth, n, tokens, values);
    });
}

RtVoid RiMakeLatLongEnvironment(RtToken picture, RtToken texture, RtFilterFunc filterfunc,
                                RtFloat swidth, RtFloat twidth, ...)
{
    BLORP_GATHER_PARAMETERS(twidth);
    dispatch("RiMakeLatLongEnvironment", [&](Renderer& r) {
        r.MakeLatLongEnvironmentV(picture, texture, filterfunc, swidth, twidth, n, tokens, values);
    });
}

RtVoid RiMakeLatLongEnvironmentV(RtToken picture, RtToken texture, RtFilterFunc filterfunc,
                                 RtFloat swidth, RtFloat twidth, RtInt n, RtToken tokens[],
                                 RtPointer values[])
{
    dispatch("RiMakeLatLongEnvironmentV", [&](Renderer& r) {
        r.MakeLatLongEnvironmentV(picture, texture, filterfunc, swidth, twidth, n, tokens, values);
    });
}

RtVoid RiMakeCubeFaceEnvironment(RtToken px, RtToken nx, RtToken py, RtToken ny, RtToken pz,
                                 RtToken nz, RtToken texture, RtFloat fov,
                                 RtFilterFunc filterfunc, RtFloat swidth, RtFloat twidth, ...)
{
    BLORP_GATHER_PARAMETERS(twidth);
    dispatch("RiMakeCubeFaceEnvironment", [&](Renderer& r) {
        r.MakeCubeFaceEnvironmentV(px, nx, py, ny, pz, nz, texture, fov, filterfunc, swidth,
                                   twidth, n, tokens, values);
    });
}

RtVoid RiMakeCubeFaceEnvironmentV(RtToken px, RtToken nx, RtToken py, RtToken ny, RtToken pz,
                                  RtToken nz, RtToken texture, RtFloat fov,
                                  RtFilterFunc filterfunc, RtFloat swidth, RtFloat twidth,
                                  RtInt n, RtToken tokens[], RtPointer values[])
{
    dispatch("RiMakeCubeFaceEnvironmentV", [&](Renderer& r) {
        r.MakeCubeFaceEnvironmentV(px, nx, py, ny, pz, nz, texture, fov, filterfunc, swidth,
                                   twidth, n, tokens, values);
    });
}

RtVoid RiMakeShadow(RtToken picture, RtToken texture, ...)
{
    BLORP_GATHER_PARAMETERS(texture);
    dispatch("RiMakeShadow", [&](Renderer& r) { r.MakeShadowV(picture, texture, n, tokens, values); });
}

RtVoid RiMakeShadowV(RtToken picture, RtToken texture, RtInt n, RtToken tokens[],
                     RtPointer values[])
{
    dispatch("RiMakeShadowV",
             [&](Renderer& r) { r.MakeShadowV(picture, texture, n, tokens, values); });
}

}  // extern "C"
