// A renderer that records which operation was called and with which
// arguments, so tests can check what the RenderMan procedures hand on.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "ribout/Renderer.h"

namespace recording {

/// An explicit parameter list as an operation received it.
struct Params {
    RtInt n;
    RtToken* tokens;
    RtPointer* values;
};

/// Motion times as received: the count and the values.
struct Times {
    RtInt n;
    const RtFloat* times;
};

inline std::string format(const char* pattern, ...)
{
    char buffer[256];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(buffer, sizeof buffer, pattern, args);
    va_end(args);
    return buffer;
}

// Each argument becomes a tagged text that is exact: floats in hexadecimal,
// pointers by address (identity, not contents).
inline std::string arg(int value) { return format("i:%d", value); }
inline std::string arg(short value) { return format("b:%d", value); }
inline std::string arg(float value) { return format("f:%a", static_cast<double>(value)); }
inline std::string arg(const void* pointer) { return format("p:%p", pointer); }
template <typename R, typename... A>
std::string arg(R (*function)(A...))
{
    return format("fn:%p", reinterpret_cast<const void*>(function));
}
template <typename R, typename... A>
std::string arg(R (*function)(A..., ...))
{
    return format("fn:%p", reinterpret_cast<const void*>(function));
}
inline std::string arg(const Params& params)
{
    std::string text = format("n:%d", params.n);
    for (RtInt i = 0; i < params.n; ++i) {
        text += format(" %p=%p", static_cast<const void*>(params.tokens[i]), params.values[i]);
    }
    return text;
}
inline std::string arg(const Times& times)
{
    std::string text = format("n:%d", times.n);
    for (RtInt i = 0; i < times.n; ++i) {
        text += format(" %a", static_cast<double>(times.times[i]));
    }
    return text;
}

template <typename... A>
std::vector<std::string> args(const A&... values)
{
    return {arg(values)...};
}

struct Call {
    std::string slot;
    std::vector<std::string> args;
    /// The token array an explicit-list operation received, to check that a
    /// V procedure passes the caller's own arrays.
    const void* tokenArray = nullptr;
};

/// Handles and results the recorder returns, so tests can see them come back.
inline RtLightHandle lightResult() { return reinterpret_cast<RtLightHandle>(0x4c16); }
inline RtObjectHandle objectResult() { return reinterpret_cast<RtObjectHandle>(0x0b1e); }
inline RtPoint* pointsResult()
{
    static RtPoint points[1] = {{1, 2, 3}};
    return points;
}
inline RtToken declareResult() { return "declared-result"; }

class RecordingRenderer : public Renderer {
public:
    explicit RecordingRenderer(std::vector<Call>& log) : log(log) {}
    ~RecordingRenderer() override { log.push_back({"destructor", {}}); }

    void FrameBegin(RtInt frame) override { record("FrameBegin", frame); }
    void FrameEnd() override { record("FrameEnd"); }
    void WorldBegin() override { record("WorldBegin"); }
    void WorldEnd() override { record("WorldEnd"); }
    void Format(RtInt xres, RtInt yres, RtFloat aspect) override
    {
        record("Format", xres, yres, aspect);
    }
    void FrameAspectRatio(RtFloat aspect) override { record("FrameAspectRatio", aspect); }
    void ScreenWindow(RtFloat l, RtFloat r, RtFloat b, RtFloat t) override
    {
        record("ScreenWindow", l, r, b, t);
    }
    void CropWindow(RtFloat x0, RtFloat x1, RtFloat y0, RtFloat y1) override
    {
        record("CropWindow", x0, x1, y0, y1);
    }
    void ProjectionV(RtToken name, RtInt n, RtToken t[], RtPointer v[]) override
    {
        recordList("ProjectionV", t, name, Params{n, t, v});
    }
    void Clipping(RtFloat hither, RtFloat yon) override { record("Clipping", hither, yon); }
    void DepthOfField(RtFloat a, RtFloat b, RtFloat c) override
    {
        record("DepthOfField", a, b, c);
    }
    void Shutter(RtFloat min, RtFloat max) override { record("Shutter", min, max); }
    void PixelVariance(RtFloat v) override { record("PixelVariance", v); }
    void PixelSamples(RtFloat x, RtFloat y) override { record("PixelSamples", x, y); }
    void PixelFilter(RtFilterFunc f, RtFloat x, RtFloat y) override
    {
        record("PixelFilter", f, x, y);
    }
    void Exposure(RtFloat gain, RtFloat gamma) override { record("Exposure", gain, gamma); }
    void Quantize(RtToken type, RtInt one, RtInt min, RtInt max, RtFloat amp) override
    {
        record("Quantize", type, one, min, max, amp);
    }
    void DisplayV(RtToken name, RtToken type, RtToken mode, RtInt n, RtToken t[],
                  RtPointer v[]) override
    {
        recordList("DisplayV", t, name, type, mode, Params{n, t, v});
    }
    void HiderV(RtToken type, RtInt n, RtToken t[], RtPointer v[]) override
    {
        recordList("HiderV", t, type, Params{n, t, v});
    }
    void ColorSamples(RtInt n, RtFloat a[], RtFloat b[]) override
    {
        record("ColorSamples", n, a, b);
    }
    void RelativeDetail(RtFloat d) override { record("RelativeDetail", d); }
    void OptionV(RtToken name, RtInt n, RtToken t[], RtPointer v[]) override
    {
        recordList("OptionV", t, name, Params{n, t, v});
    }
    void AttributeBegin() override { record("AttributeBegin"); }
    void AttributeEnd() override { record("AttributeEnd"); }
    void Color(RtColor c) override { record("Color", c); }
    void Opacity(RtColor c) override { record("Opacity", c); }
    void TextureCoordinates(RtFloat a, RtFloat b, RtFloat c, RtFloat d, RtFloat e, RtFloat f,
                            RtFloat g, RtFloat h) override
    {
        record("TextureCoordinates", a, b, c, d, e, f, g, h);
    }
    void ShadingRate(RtFloat s) override { record("ShadingRate", s); }
    void ShadingInterpolation(RtToken t) override { record("ShadingInterpolation", t); }
    void Matte(RtBoolean onoff) override { record("Matte", onoff); }
    void Bound(RtBound b) override { record("Bound", b); }
    void Detail(RtBound b) override { record("Detail", b); }
    void DetailRange(RtFloat a, RtFloat b, RtFloat c, RtFloat d) override
    {
        record("DetailRange", a, b, c, d);
    }
    void GeometricApproximation(RtToken t, RtFloat v) override
    {
        record("GeometricApproximation", t, v);
    }
    void GeometricRepresentation(RtToken t) override { record("GeometricRepresentation", t); }
    void Sides(RtInt s) override { record("Sides", s); }
    void Orientation(RtToken o) override { record("Orientation", o); }
    void ReverseOrientation() override { record("ReverseOrientation"); }
    void AttributeV(RtToken name, RtInt n, RtToken t[], RtPointer v[]) override
    {
        recordList("AttributeV", t, name, Params{n, t, v});
    }
    void Identity() override { record("Identity"); }
    void ConcatTransform(RtMatrix m) override { record("ConcatTransform", m); }
    void Transform(RtMatrix m) override { record("Transform", m); }
    void Perspective(RtFloat fov) override { record("Perspective", fov); }
    void Translate(RtFloat x, RtFloat y, RtFloat z) override { record("Translate", x, y, z); }
    void Rotate(RtFloat a, RtFloat x, RtFloat y, RtFloat z) override
    {
        record("Rotate", a, x, y, z);
    }
    void Scale(RtFloat x, RtFloat y, RtFloat z) override { record("Scale", x, y, z); }
    void Skew(RtFloat a, RtFloat b, RtFloat c, RtFloat d, RtFloat e, RtFloat f,
              RtFloat g) override
    {
        record("Skew", a, b, c, d, e, f, g);
    }
    void CoordinateSystem(RtToken s) override { record("CoordinateSystem", s); }
    void CoordSysTransform(RtToken s) override { record("CoordSysTransform", s); }
    RtPoint* TransformPoints(RtToken from, RtToken to, RtInt n, RtPoint p[]) override
    {
        record("TransformPoints", from, to, n, p);
        return pointsResult();
    }
    void TransformBegin() override { record("TransformBegin"); }
    void TransformEnd() override { record("TransformEnd"); }
    void MotionBeginV(RtInt n, RtFloat times[]) override
    {
        record("MotionBeginV", Times{n, times});
    }
    void MotionEnd() override { record("MotionEnd"); }
    void SurfaceV(RtToken name, RtInt n, RtToken t[], RtPointer v[]) override
    {
        recordList("SurfaceV", t, name, Params{n, t, v});
    }
    void DisplacementV(RtToken name, RtInt n, RtToken t[], RtPointer v[]) override
    {
        recordList("DisplacementV", t, name, Params{n, t, v});
    }
    void AtmosphereV(RtToken name, RtInt n, RtToken t[], RtPointer v[]) override
    {
        recordList("AtmosphereV", t, name, Params{n, t, v});
    }
    void InteriorV(RtToken name, RtInt n, RtToken t[], RtPointer v[]) override
    {
        recordList("InteriorV", t, name, Params{n, t, v});
    }
    void ExteriorV(RtToken name, RtInt n, RtToken t[], RtPointer v[]) override
    {
        recordList("ExteriorV", t, name, Params{n, t, v});
    }
    void ImagerV(RtToken name, RtInt n, RtToken t[], RtPointer v[]) override
    {
        recordList("ImagerV", t, name, Params{n, t, v});
    }
    RtLightHandle LightSourceV(RtToken name, RtInt n, RtToken t[], RtPointer v[]) override
    {
        recordList("LightSourceV", t, name, Params{n, t, v});
        return lightResult();
    }
    RtLightHandle AreaLightSourceV(RtToken name, RtInt n, RtToken t[], RtPointer v[]) override
    {
        recordList("AreaLightSourceV", t, name, Params{n, t, v});
        return lightResult();
    }
    void Illuminate(RtLightHandle light, RtBoolean onoff) override
    {
        record("Illuminate", light, onoff);
    }
    void ConeV(RtFloat h, RtFloat r, RtFloat tm, RtInt n, RtToken t[], RtPointer v[]) override
    {
        recordList("ConeV", t, h, r, tm, Params{n, t, v});
    }
    void CylinderV(RtFloat r, RtFloat z0, RtFloat z1, RtFloat tm, RtInt n, RtToken t[],
                   RtPointer v[]) override
    {
        recordList("CylinderV", t, r, z0, z1, tm, Params{n, t, v});
    }
    void DiskV(RtFloat h, RtFloat r, RtFloat tm, RtInt n, RtToken t[], RtPointer v[]) override
    {
        recordList("DiskV", t, h, r, tm, Params{n, t, v});
    }
    void HyperboloidV(RtPoint p1, RtPoint p2, RtFloat tm, RtInt n, RtToken t[],
                      RtPointer v[]) override
    {
        recordList("HyperboloidV", t, p1, p2, tm, Params{n, t, v});
    }
    void ParaboloidV(RtFloat r, RtFloat z0, RtFloat z1, RtFloat tm, RtInt n, RtToken t[],
                     RtPointer v[]) override
    {
        recordList("ParaboloidV", t, r, z0, z1, tm, Params{n, t, v});
    }
    void SphereV(RtFloat r, RtFloat z0, RtFloat z1, RtFloat tm, RtInt n, RtToken t[],
                 RtPointer v[]) override
    {
        recordList("SphereV", t, r, z0, z1, tm, Params{n, t, v});
    }
    void TorusV(RtFloat a, RtFloat b, RtFloat c, RtFloat d, RtFloat e, RtInt n, RtToken t[],
                RtPointer v[]) override
    {
        recordList("TorusV", t, a, b, c, d, e, Params{n, t, v});
    }
    void PolygonV(RtInt nv, RtInt n, RtToken t[], RtPointer v[]) override
    {
        recordList("PolygonV", t, nv, Params{n, t, v});
    }
    void GeneralPolygonV(RtInt nl, RtInt nverts[], RtInt n, RtToken t[], RtPointer v[]) override
    {
        recordList("GeneralPolygonV", t, nl, nverts, Params{n, t, v});
    }
    void PointsPolygonsV(RtInt np, RtInt nverts[], RtInt verts[], RtInt n, RtToken t[],
                         RtPointer v[]) override
    {
        recordList("PointsPolygonsV", t, np, nverts, verts, Params{n, t, v});
    }
    void PointsGeneralPolygonsV(RtInt np, RtInt nloops[], RtInt nverts[], RtInt verts[], RtInt n,
                                RtToken t[], RtPointer v[]) override
    {
        recordList("PointsGeneralPolygonsV", t, np, nloops, nverts, verts, Params{n, t, v});
    }
    void Basis(RtBasis u, RtInt us, RtBasis v, RtInt vs) override
    {
        record("Basis", u, us, v, vs);
    }
    void PatchV(RtToken type, RtInt n, RtToken t[], RtPointer v[]) override
    {
        recordList("PatchV", t, type, Params{n, t, v});
    }
    void PatchMeshV(RtToken type, RtInt nu, RtToken uw, RtInt nv, RtToken vw, RtInt n,
                    RtToken t[], RtPointer v[]) override
    {
        recordList("PatchMeshV", t, type, nu, uw, nv, vw, Params{n, t, v});
    }
    void TrimCurve(RtInt nloops, RtInt ncurves[], RtInt order[], RtFloat knot[], RtFloat min[],
                   RtFloat max[], RtInt n[], RtFloat u[], RtFloat v[], RtFloat w[]) override
    {
        record("TrimCurve", nloops, ncurves, order, knot, min, max, n, u, v, w);
    }
    void NuPatchV(RtInt nu, RtInt uo, RtFloat uk[], RtFloat u0, RtFloat u1, RtInt nv, RtInt vo,
                  RtFloat vk[], RtFloat v0, RtFloat v1, RtInt n, RtToken t[],
                  RtPointer v[]) override
    {
        recordList("NuPatchV", t, nu, uo, uk, u0, u1, nv, vo, vk, v0, v1, Params{n, t, v});
    }
    void CurvesV(RtToken type, RtInt nc, RtInt nv[], RtToken wrap, RtInt n, RtToken t[],
                 RtPointer v[]) override
    {
        recordList("CurvesV", t, type, nc, nv, wrap, Params{n, t, v});
    }
    void PointsV(RtInt np, RtInt n, RtToken t[], RtPointer v[]) override
    {
        recordList("PointsV", t, np, Params{n, t, v});
    }
    void SubdivisionMeshV(RtToken scheme, RtInt nf, RtInt nverts[], RtInt verts[], RtInt ntags,
                          RtToken tags[], RtInt nargs[], RtInt ia[], RtFloat fa[], RtInt n,
                          RtToken t[], RtPointer v[]) override
    {
        recordList("SubdivisionMeshV", t, scheme, nf, nverts, verts, ntags, tags, nargs, ia, fa,
                   Params{n, t, v});
    }
    void BlobbyV(RtInt nleaf, RtInt ncode, RtInt code[], RtInt nflt, RtFloat flt[], RtInt nstr,
                 RtToken str[], RtInt n, RtToken t[], RtPointer v[]) override
    {
        recordList("BlobbyV", t, nleaf, ncode, code, nflt, flt, nstr, str, Params{n, t, v});
    }
    void Procedural(RtPointer data, RtBound bound, RtProcSubdivFunc s, RtProcFreeFunc f) override
    {
        record("Procedural", data, bound, s, f);
    }
    void GeometryV(RtToken type, RtInt n, RtToken t[], RtPointer v[]) override
    {
        recordList("GeometryV", t, type, Params{n, t, v});
    }
    void SolidBegin(RtToken op) override { record("SolidBegin", op); }
    void SolidEnd() override { record("SolidEnd"); }
    RtObjectHandle ObjectBegin() override
    {
        record("ObjectBegin");
        return objectResult();
    }
    void ObjectEnd() override { record("ObjectEnd"); }
    void ObjectInstance(RtObjectHandle h) override { record("ObjectInstance", h); }
    void MakeTextureV(RtToken pic, RtToken tex, RtToken sw, RtToken tw, RtFilterFunc f,
                      RtFloat swidth, RtFloat twidth, RtInt n, RtToken t[], RtPointer v[]) override
    {
        recordList("MakeTextureV", t, pic, tex, sw, tw, f, swidth, twidth, Params{n, t, v});
    }
    void MakeLatLongEnvironmentV(RtToken pic, RtToken tex, RtFilterFunc f, RtFloat sw,
                                 RtFloat tw, RtInt n, RtToken t[], RtPointer v[]) override
    {
        recordList("MakeLatLongEnvironmentV", t, pic, tex, f, sw, tw, Params{n, t, v});
    }
    void MakeCubeFaceEnvironmentV(RtToken px, RtToken nx, RtToken py, RtToken ny, RtToken pz,
                                  RtToken nz, RtToken tex, RtFloat fov, RtFilterFunc f,
                                  RtFloat sw, RtFloat tw, RtInt n, RtToken t[],
                                  RtPointer v[]) override
    {
        recordList("MakeCubeFaceEnvironmentV", t, px, nx, py, ny, pz, nz, tex, fov, f, sw, tw,
                   Params{n, t, v});
    }
    void MakeBumpV(RtToken pic, RtToken tex, RtToken sw, RtToken tw, RtFilterFunc f,
                   RtFloat swidth, RtFloat twidth, RtInt n, RtToken t[], RtPointer v[]) override
    {
        recordList("MakeBumpV", t, pic, tex, sw, tw, f, swidth, twidth, Params{n, t, v});
    }
    void MakeShadowV(RtToken pic, RtToken tex, RtInt n, RtToken t[], RtPointer v[]) override
    {
        recordList("MakeShadowV", t, pic, tex, Params{n, t, v});
    }
    RtToken Declare(RtToken name, RtToken declaration) override
    {
        record("Declare", name, declaration);
        return declareResult();
    }
    void ArchiveRecordV(RtToken type, const char* format, va_list args) override
    {
        char text[256];
        std::vsnprintf(text, sizeof text, format, args);
        record("ArchiveRecordV", type, static_cast<const void*>(format));
        log.back().args.push_back(std::string("text:") + text);
    }
    void ReadArchiveV(RtToken name, RtArchiveCallback cb, RtInt n, RtToken t[],
                      RtPointer v[]) override
    {
        recordList("ReadArchiveV", t, name, cb, Params{n, t, v});
    }
    void ErrorHandler(RtErrorHandler handler) override { record("ErrorHandler", handler); }

private:
    template <typename... A>
    void record(const char* slot, const A&... values)
    {
        log.push_back({slot, args(values...)});
    }
    template <typename... A>
    void recordList(const char* slot, RtToken tokens[], const A&... values)
    {
        log.push_back({slot, args(values...), tokens});
    }

    std::vector<Call>& log;
};

}  // namespace recording
