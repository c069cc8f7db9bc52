// RenderMan procedures: attributes, transformations, motion blocks, shaders
// and lights.
#include "ribout/Dispatch.h"
#include "ribout/ParameterGathering.h"

using ribout::dispatch;
using ribout::dispatchReturning;

extern "C" {

RtVoid RiAttributeBegin(void)
{
    dispatch("RiAttributeBegin", [&](Renderer& r) { r.AttributeBegin(); });
}

RtVoid RiAttributeEnd(void)
{
    dispatch("RiAttributeEnd", [&](Renderer& r) { r.AttributeEnd(); });
}

RtVoid RiColor(RtFloat* color)
{
    dispatch("RiColor", [&](Renderer& r) { r.Color(color); });
}

RtVoid RiOpacity(RtFloat* color)
{
    dispatch("RiOpacity", [&](Renderer& r) { r.Opacity(color); });
}

RtVoid RiTextureCoordinates(RtFloat s1, RtFloat t1, RtFloat s2, RtFloat t2, RtFloat s3,
                            RtFloat t3, RtFloat s4, RtFloat t4)
{
    dispatch("RiTextureCoordinates",
             [&](Renderer& r) { r.TextureCoordinates(s1, t1, s2, t2, s3, t3, s4, t4); });
}

RtVoid RiShadingRate(RtFloat size)
{
    dispatch("RiShadingRate", [&](Renderer& r) { r.ShadingRate(size); });
}

RtVoid RiShadingInterpolation(RtToken type)
{
    dispatch("RiShadingInterpolation", [&](Renderer& r) { r.ShadingInterpolation(type); });
}

RtVoid RiMatte(RtBoolean onoff)
{
    dispatch("RiMatte", [&](Renderer& r) { r.Matte(onoff); });
}

RtVoid RiBound(RtBound bound)
{
    dispatch("RiBound", [&](Renderer& r) { r.Bound(bound); });
}

RtVoid RiDetail(RtBound bound)
{
    dispatch("RiDetail", [&](Renderer& r) { r.Detail(bound); });
}

RtVoid RiDetailRange(RtFloat minvisible, RtFloat lowertransition, RtFloat uppertransition,
                     RtFloat maxvisible)
{
    dispatch("RiDetailRange", [&](Renderer& r) {
        r.DetailRange(minvisible, lowertransition, uppertransition, maxvisible);
    });
}

RtVoid RiGeometricApproximation(RtToken type, RtFloat value)
{
    dispatch("RiGeometricApproximation",
             [&](Renderer& r) { r.GeometricApproximation(type, value); });
}

RtVoid RiGeometricRepresentation(RtToken type)
{
    dispatch("RiGeometricRepresentation", [&](Renderer& r) { r.GeometricRepresentation(type); });
}

RtVoid RiSides(RtInt sides)
{
    dispatch("RiSides", [&](Renderer& r) { r.Sides(sides); });
}

RtVoid RiOrientation(RtToken orientation)
{
    dispatch("RiOrientation", [&](Renderer& r) { r.Orientation(orientation); });
}

RtVoid RiReverseOrientation(void)
{
    dispatch("RiReverseOrientation", [&](Renderer& r) { r.ReverseOrientation(); });
}

RtVoid RiAttributeV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[])
{
    dispatch("RiAttributeV", [&](Renderer& r) { r.AttributeV(name, n, tokens, values); });
}

RtVoid RiAttribute(RtToken name, ...)
{
    BLORP_GATHER_PARAMETERS(name);
    dispatch("RiAttribute", [&](Renderer& r) { r.AttributeV(name, n, tokens, values); });
}

RtVoid RiIdentity(void)
{
    dispatch("RiIdentity", [&](Renderer& r) { r.Identity(); });
}

RtVoid RiConcatTransform(RtMatrix transform)
{
    dispatch("RiConcatTransform", [&](Renderer& r) { r.ConcatTransform(transform); });
}

RtVoid RiTransform(RtMatrix transform)
{
    dispatch("RiTransform", [&](Renderer& r) { r.Transform(transform); });
}

RtVoid RiPerspective(RtFloat fov)
{
    dispatch("RiPerspective", [&](Renderer& r) { r.Perspective(fov); });
}

RtVoid RiTranslate(RtFloat dx, RtFloat dy, RtFloat dz)
{
    dispatch("RiTranslate", [&](Renderer& r) { r.Translate(dx, dy, dz); });
}

RtVoid RiRotate(RtFloat angle, RtFloat dx, RtFloat dy, RtFloat dz)
{
    dispatch("RiRotate", [&](Renderer& r) { r.Rotate(angle, dx, dy, dz); });
}

RtVoid RiScale(RtFloat sx, RtFloat sy, RtFloat sz)
{
    dispatch("RiScale", [&](Renderer& r) { r.Scale(sx, sy, sz); });
}

RtVoid RiSkew(RtFloat angle, RtFloat dx1, RtFloat dy1, RtFloat dz1, RtFloat dx2, RtFloat dy2,
              RtFloat dz2)
{
    dispatch("RiSkew", [&](Renderer& r) { r.Skew(angle, dx1, dy1, dz1, dx2, dy2, dz2); });
}

RtVoid RiCoordinateSystem(RtToken space)
{
    dispatch("RiCoordinateSystem", [&](Renderer& r) { r.CoordinateSystem(space); });
}

RtVoid RiCoordSysTransform(RtToken space)
{
    dispatch("RiCoordSysTransform", [&](Renderer& r) { r.CoordSysTransform(space); });
}

RtPoint* RiTransformPoints(RtToken fromspace, RtToken tospace, RtInt n, RtPoint points[])
{
    return dispatchReturning<RtPoint*>("RiTransformPoints", [&](Renderer& r) {
        return r.TransformPoints(fromspace, tospace, n, points);
    });
}

RtVoid RiTransformBegin(void)
{
    dispatch("RiTransformBegin", [&](Renderer& r) { r.TransformBegin(); });
}

RtVoid RiTransformEnd(void)
{
    dispatch("RiTransformEnd", [&](Renderer& r) { r.TransformEnd(); });
}

RtVoid RiMotionBegin(RtInt n, ...)
{
    // The renderer is checked before the times are read: a missing renderer
    // is the severe error, and it should not be preceded by a limit report.
    if (ribout::requireRenderer("RiMotionBegin") == nullptr) {
        return;
    }
    RtFloat times[kMaxMotionTimes];
    va_list args;
    va_start(args, n);
    const int kept = collectMotionTimes(n, args, times);
    va_end(args);
    dispatch("RiMotionBegin", [&](Renderer& r) { r.MotionBeginV(kept, times); });
}

RtVoid RiMotionBeginV(RtInt n, RtFloat times[])
{
    dispatch("RiMotionBeginV", [&](Renderer& r) { r.MotionBeginV(n, times); });
}

RtVoid RiMotionEnd(void)
{
    dispatch("RiMotionEnd", [&](Renderer& r) { r.MotionEnd(); });
}

RtVoid RiSurface(RtToken name, ...)
{
    BLORP_GATHER_PARAMETERS(name);
    dispatch("RiSurface", [&](Renderer& r) { r.SurfaceV(name, n, tokens, values); });
}

RtVoid RiSurfaceV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[])
{
    dispatch("RiSurfaceV", [&](Renderer& r) { r.SurfaceV(name, n, tokens, values); });
}

RtVoid RiDisplacement(RtToken name, ...)
{
    BLORP_GATHER_PARAMETERS(name);
    dispatch("RiDisplacement", [&](Renderer& r) { r.DisplacementV(name, n, tokens, values); });
}

RtVoid RiDisplacementV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[])
{
    dispatch("RiDisplacementV", [&](Renderer& r) { r.DisplacementV(name, n, tokens, values); });
}

RtVoid RiAtmosphere(RtToken name, ...)
{
    BLORP_GATHER_PARAMETERS(name);
    dispatch("RiAtmosphere", [&](Renderer& r) { r.AtmosphereV(name, n, tokens, values); });
}

RtVoid RiAtmosphereV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[])
{
    dispatch("RiAtmosphereV", [&](Renderer& r) { r.AtmosphereV(name, n, tokens, values); });
}

RtVoid RiInterior(RtToken name, ...)
{
    BLORP_GATHER_PARAMETERS(name);
    dispatch("RiInterior", [&](Renderer& r) { r.InteriorV(name, n, tokens, values); });
}

RtVoid RiInteriorV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[])
{
    dispatch("RiInteriorV", [&](Renderer& r) { r.InteriorV(name, n, tokens, values); });
}

RtVoid RiExterior(RtToken name, ...)
{
    BLORP_GATHER_PARAMETERS(name);
    dispatch("RiExterior", [&](Renderer& r) { r.ExteriorV(name, n, tokens, values); });
}

RtVoid RiExteriorV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[])
{
    dispatch("RiExteriorV", [&](Renderer& r) { r.ExteriorV(name, n, tokens, values); });
}

RtVoid RiImager(RtToken name, ...)
{
    BLORP_GATHER_PARAMETERS(name);
    dispatch("RiImager", [&](Renderer& r) { r.ImagerV(name, n, tokens, values); });
}

RtVoid RiImagerV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[])
{
    dispatch("RiImagerV", [&](Renderer& r) { r.ImagerV(name, n, tokens, values); });
}

RtLightHandle RiLightSource(RtToken name, ...)
{
    BLORP_GATHER_PARAMETERS(name);
    return dispatchReturning<RtLightHandle>(
        "RiLightSource", [&](Renderer& r) { return r.LightSourceV(name, n, tokens, values); });
}

RtLightHandle RiLightSourceV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[])
{
    return dispatchReturning<RtLightHandle>(
        "RiLightSourceV", [&](Renderer& r) { return r.LightSourceV(name, n, tokens, values); });
}

RtLightHandle RiAreaLightSource(RtToken name, ...)
{
    BLORP_GATHER_PARAMETERS(name);
    return dispatchReturning<RtLightHandle>("RiAreaLightSource", [&](Renderer& r) {
        return r.AreaLightSourceV(name, n, tokens, values);
    });
}

RtLightHandle RiAreaLightSourceV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[])
{
    return dispatchReturning<RtLightHandle>("RiAreaLightSourceV", [&](Renderer& r) {
        return r.AreaLightSourceV(name, n, tokens, values);
    });
}

RtVoid RiIlluminate(RtLightHandle light, RtBoolean onoff)
{
    dispatch("RiIlluminate", [&](Renderer& r) { r.Illuminate(light, onoff); });
}

}  // extern "C"
