#include "ribout/Renderer.h"

#include <cstring>

#include "ribout/ErrorReporting.h"
#include "ribout/ParameterGathering.h"

Renderer* currentRenderer = nullptr;
int ribBinary = 0;
int ribCompression = 0;

bool stringValueIs(RtPointer value, const char* text)
{
    const RtString given = *static_cast<const RtString*>(value);
    return given != nullptr && std::strcmp(given, text) == 0;
}

int collectParameterList(va_list args, RtToken tokens[], RtPointer values[])
{
    // Stops at kMaxParameterPairs without reading further, so the pairs
    // beyond the limit (and their terminator) are never touched.
    int n = 0;
    while (n < kMaxParameterPairs) {
        RtToken token = va_arg(args, RtToken);
        if (token == nullptr) {
            break;
        }
        tokens[n] = token;
        values[n] = va_arg(args, RtPointer);
        ++n;
    }
    return n;
}

int collectMotionTimes(RtInt n, va_list args, RtFloat times[])
{
    if (n <= 0) {
        return 0;
    }
    int kept = n;
    if (n > kMaxMotionTimes) {
        // Reading on would write past the caller's array of times.
        reportError(RIE_LIMIT, RIE_ERROR, "RiMotionBegin");
        kept = kMaxMotionTimes;
    }
    for (int i = 0; i < kept; ++i) {
        times[i] = static_cast<RtFloat>(va_arg(args, double));
    }
    return kept;
}

Renderer::~Renderer() = default;

void Renderer::Projection(RtToken name, ...)
{
    BLORP_GATHER_PARAMETERS(name);
    ProjectionV(name, n, tokens, values);
}

void Renderer::Display(RtToken name, RtToken type, RtToken mode, ...)
{
    BLORP_GATHER_PARAMETERS(mode);
    DisplayV(name, type, mode, n, tokens, values);
}

void Renderer::Hider(RtToken type, ...)
{
    BLORP_GATHER_PARAMETERS(type);
    HiderV(type, n, tokens, values);
}

void Renderer::Option(RtToken name, ...)
{
    BLORP_GATHER_PARAMETERS(name);
    OptionV(name, n, tokens, values);
}

void Renderer::Attribute(RtToken name, ...)
{
    BLORP_GATHER_PARAMETERS(name);
    AttributeV(name, n, tokens, values);
}

void Renderer::MotionBegin(RtInt n, ...)
{
    RtFloat times[kMaxMotionTimes];
    va_list args;
    va_start(args, n);
    const int kept = collectMotionTimes(n, args, times);
    va_end(args);
    MotionBeginV(kept, times);
}

void Renderer::Surface(RtToken name, ...)
{
    BLORP_GATHER_PARAMETERS(name);
    SurfaceV(name, n, tokens, values);
}

void Renderer::Displacement(RtToken name, ...)
{
    BLORP_GATHER_PARAMETERS(name);
    DisplacementV(name, n, tokens, values);
}

void Renderer::Atmosphere(RtToken name, ...)
{
    BLORP_GATHER_PARAMETERS(name);
    AtmosphereV(name, n, tokens, values);
}

void Renderer::Interior(RtToken name, ...)
{
    BLORP_GATHER_PARAMETERS(name);
    InteriorV(name, n, tokens, values);
}

void Renderer::Exterior(RtToken name, ...)
{
    BLORP_GATHER_PARAMETERS(name);
    ExteriorV(name, n, tokens, values);
}

void Renderer::Imager(RtToken name, ...)
{
    BLORP_GATHER_PARAMETERS(name);
    ImagerV(name, n, tokens, values);
}

RtLightHandle Renderer::LightSource(RtToken name, ...)
{
    BLORP_GATHER_PARAMETERS(name);
    return LightSourceV(name, n, tokens, values);
}

RtLightHandle Renderer::AreaLightSource(RtToken name, ...)
{
    BLORP_GATHER_PARAMETERS(name);
    return AreaLightSourceV(name, n, tokens, values);
}

void Renderer::Cone(RtFloat height, RtFloat radius, RtFloat thetamax, ...)
{
    BLORP_GATHER_PARAMETERS(thetamax);
    ConeV(height, radius, thetamax, n, tokens, values);
}

void Renderer::Cylinder(RtFloat radius, RtFloat zmin, RtFloat zmax, RtFloat thetamax, ...)
{
    BLORP_GATHER_PARAMETERS(thetamax);
    CylinderV(radius, zmin, zmax, thetamax, n, tokens, values);
}

void Renderer::Disk(RtFloat height, RtFloat radius, RtFloat thetamax, ...)
{
    BLORP_GATHER_PARAMETERS(thetamax);
    DiskV(height, radius, thetamax, n, tokens, values);
}

void Renderer::Hyperboloid(RtPoint point1, RtPoint point2, RtFloat thetamax, ...)
{
    BLORP_GATHER_PARAMETERS(thetamax);
    HyperboloidV(point1, point2, thetamax, n, tokens, values);
}

void Renderer::Paraboloid(RtFloat rmax, RtFloat zmin, RtFloat zmax, RtFloat thetamax, ...)
{
    BLORP_GATHER_PARAMETERS(thetamax);
    ParaboloidV(rmax, zmin, zmax, thetamax, n, tokens, values);
}

void Renderer::Sphere(RtFloat radius, RtFloat zmin, RtFloat zmax, RtFloat thetamax, ...)
{
    BLORP_GATHER_PARAMETERS(thetamax);
    SphereV(radius, zmin, zmax, thetamax, n, tokens, values);
}

void Renderer::Torus(RtFloat majorradius, RtFloat minorradius, RtFloat phimin, RtFloat phimax,
                     RtFloat thetamax, ...)
{
    BLORP_GATHER_PARAMETERS(thetamax);
    TorusV(majorradius, minorradius, phimin, phimax, thetamax, n, tokens, values);
}

void Renderer::Polygon(RtInt nvertices, ...)
{
    BLORP_GATHER_PARAMETERS(nvertices);
    PolygonV(nvertices, n, tokens, values);
}

void Renderer::GeneralPolygon(RtInt nloops, RtInt nverts[], ...)
{
    BLORP_GATHER_PARAMETERS(nverts);
    GeneralPolygonV(nloops, nverts, n, tokens, values);
}

void Renderer::PointsPolygons(RtInt npolys, RtInt nverts[], RtInt verts[], ...)
{
    BLORP_GATHER_PARAMETERS(verts);
    PointsPolygonsV(npolys, nverts, verts, n, tokens, values);
}

void Renderer::PointsGeneralPolygons(RtInt npolys, RtInt nloops[], RtInt nverts[], RtInt verts[],
                                     ...)
{
    BLORP_GATHER_PARAMETERS(verts);
    PointsGeneralPolygonsV(npolys, nloops, nverts, verts, n, tokens, values);
}

void Renderer::Patch(RtToken type, ...)
{
    BLORP_GATHER_PARAMETERS(type);
    PatchV(type, n, tokens, values);
}

void Renderer::PatchMesh(RtToken type, RtInt nu, RtToken uwrap, RtInt nv, RtToken vwrap, ...)
{
    BLORP_GATHER_PARAMETERS(vwrap);
    PatchMeshV(type, nu, uwrap, nv, vwrap, n, tokens, values);
}

void Renderer::NuPatch(RtInt nu, RtInt uorder, RtFloat uknot[], RtFloat umin, RtFloat umax,
                       RtInt nv, RtInt vorder, RtFloat vknot[], RtFloat vmin, RtFloat vmax, ...)
{
    BLORP_GATHER_PARAMETERS(vmax);
    NuPatchV(nu, uorder, uknot, umin, umax, nv, vorder, vknot, vmin, vmax, n, tokens, values);
}

void Renderer::Curves(RtToken type, RtInt ncurves, RtInt nvertices[], RtToken wrap, ...)
{
    BLORP_GATHER_PARAMETERS(wrap);
    CurvesV(type, ncurves, nvertices, wrap, n, tokens, values);
}

void Renderer::Points(RtInt npoints, ...)
{
    BLORP_GATHER_PARAMETERS(npoints);
    PointsV(npoints, n, tokens, values);
}

void Renderer::SubdivisionMesh(RtToken scheme, RtInt nfaces, RtInt nvertices[], RtInt vertices[],
                               RtInt ntags, RtToken tags[], RtInt nargs[], RtInt intargs[],
                               RtFloat floatargs[], ...)
{
    BLORP_GATHER_PARAMETERS(floatargs);
    SubdivisionMeshV(scheme, nfaces, nvertices, vertices, ntags, tags, nargs, intargs, floatargs,
                     n, tokens, values);
}

void Renderer::Blobby(RtInt nleaf, RtInt ncode, RtInt code[], RtInt nflt, RtFloat flt[],
                      RtInt nstr, RtToken str[], ...)
{
    BLORP_GATHER_PARAMETERS(str);
    BlobbyV(nleaf, ncode, code, nflt, flt, nstr, str, n, tokens, values);
}

void Renderer::Geometry(RtToken type, ...)
{
    BLORP_GATHER_PARAMETERS(type);
    GeometryV(type, n, tokens, values);
}

void Renderer::MakeTexture(RtToken picture, RtToken texture, RtToken swrap, RtToken twrap,
                           RtFilterFunc filterfunc, RtFloat swidth, RtFloat twidth, ...)
{
    BLORP_GATHER_PARAMETERS(twidth);
    MakeTextureV(picture, texture, swrap, twrap, filterfunc, swidth, twidth, n, tokens, values);
}

void Renderer::MakeLatLongEnvironment(RtToken picture, RtToken texture, RtFilterFunc filterfunc,
                                      RtFloat swidth, RtFloat twidth, ...)
{
    BLORP_GATHER_PARAMETERS(twidth);
    MakeLatLongEnvironmentV(picture, texture, filterfunc, swidth, twidth, n, tokens, values);
}

void Renderer::MakeCubeFaceEnvironment(RtToken px, RtToken nx, RtToken py, RtToken ny, RtToken pz,
                                       RtToken nz, RtToken texture, RtFloat fov,
                                       RtFilterFunc filterfunc, RtFloat swidth, RtFloat twidth,
                                       ...)
{
    BLORP_GATHER_PARAMETERS(twidth);
    MakeCubeFaceEnvironmentV(px, nx, py, ny, pz, nz, texture, fov, filterfunc, swidth, twidth, n,
                             tokens, values);
}

void Renderer::MakeShadow(RtToken picture, RtToken texture, ...)
{
    BLORP_GATHER_PARAMETERS(texture);
    MakeShadowV(picture, texture, n, tokens, values);
}

void Renderer::ArchiveRecord(RtToken type, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    ArchiveRecordV(type, format, args);
    va_end(args);
}

void Renderer::ReadArchive(RtToken name, RtArchiveCallback callback, ...)
{
    BLORP_GATHER_PARAMETERS(callback);
    ReadArchiveV(name, callback, n, tokens, values);
}
