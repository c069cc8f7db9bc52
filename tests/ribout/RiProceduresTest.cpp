// The RenderMan procedures hand their arguments, unchanged, to the matching
// slot of the current renderer.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "RecordingRenderer.h"
#include "StderrCapture.h"
#include "ribout/ErrorReporting.h"
#include "ribout/Renderer.h"

using recording::args;
using recording::Call;
using recording::Params;
using recording::RecordingRenderer;
using recording::Times;

namespace {

// Named objects, so the expected arguments can name the same addresses.
RtToken kName = "name";
RtToken kType = "type";
RtToken kMode = "mode";
RtToken kP = "P";
RtToken kCs = "Cs";
RtFloat points[48] = {1, 2, 3};
RtFloat colors[3] = {0.25f, 0.5f, 1};
RtToken listTokens[2] = {"P", "Cs"};
RtPointer listValues[2] = {points, colors};
RtColor color = {0.1f, 0.2f, 0.3f};
RtBound bound = {-1, 1, -2, 2, -3, 3};
RtMatrix matrix = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {4, 5, 6, 1}};
RtPoint point1 = {1, 0, 0};
RtPoint point2 = {0, 1, 1};
RtPoint transformPoints[2] = {{1, 2, 3}, {4, 5, 6}};
RtInt ints1[4] = {4, 3, 2, 1};
RtInt ints2[4] = {0, 1, 2, 3};
RtInt ints3[4] = {7, 7, 7, 7};
RtFloat floats1[8] = {0, 0, 0, 1, 1, 1};
RtFloat floats2[8] = {0.5f};
RtFloat floats3[8] = {2};
RtFloat motionTimes[2] = {0, 0.5f};
RtToken tags[1] = {"crease"};
RtToken strs[1] = {"blob"};
int procedureData = 7;
void subdivide(RtPointer, RtFloat) {}
void freeData(RtPointer) {}
void archiveCallback(RtToken, const char*, ...) {}

// The variable-argument forms pass the two pairs (kP, points) and (kCs,
// colors); they arrive as a list on the renderer's stack, so only the
// contents can be compared.
const Params kPairs{2, const_cast<RtToken*>(listTokens), listValues};

struct Case {
    const char* procedure;
    std::function<void()> call;
    Call expected;
};

Call slot(const char* name, std::vector<std::string> arguments, const void* tokenArray = nullptr)
{
    return Call{name, std::move(arguments), tokenArray};
}

// A V procedure must pass the caller's very arrays.
Call vslot(const char* name, std::vector<std::string> arguments)
{
    return Call{name, std::move(arguments), listTokens};
}

std::vector<Case> procedureCases()
{
    const Params list{2, listTokens, listValues};
    return {
        {"RiFrameBegin", [] { RiFrameBegin(12); }, slot("FrameBegin", args(12))},
        {"RiFrameEnd", [] { RiFrameEnd(); }, slot("FrameEnd", {})},
        {"RiWorldBegin", [] { RiWorldBegin(); }, slot("WorldBegin", {})},
        {"RiWorldEnd", [] { RiWorldEnd(); }, slot("WorldEnd", {})},
        {"RiFormat", [] { RiFormat(640, 480, 1.25f); }, slot("Format", args(640, 480, 1.25f))},
        {"RiFrameAspectRatio", [] { RiFrameAspectRatio(1.5f); },
         slot("FrameAspectRatio", args(1.5f))},
        {"RiScreenWindow", [] { RiScreenWindow(-1, 1, -0.75f, 0.75f); },
         slot("ScreenWindow", args(-1.f, 1.f, -0.75f, 0.75f))},
        {"RiCropWindow", [] { RiCropWindow(0.1f, 0.9f, 0.2f, 0.8f); },
         slot("CropWindow", args(0.1f, 0.9f, 0.2f, 0.8f))},
        {"RiProjection", [] { RiProjection(kName, kP, points, kCs, colors, RI_NULL); },
         slot("ProjectionV", args(kName, kPairs))},
        {"RiProjectionV", [] { RiProjectionV(kName, 2, listTokens, listValues); },
         vslot("ProjectionV", args(kName, list))},
        {"RiClipping", [] { RiClipping(0.01f, 1000); }, slot("Clipping", args(0.01f, 1000.f))},
        {"RiDepthOfField", [] { RiDepthOfField(2.8f, 0.05f, 3); },
         slot("DepthOfField", args(2.8f, 0.05f, 3.f))},
        {"RiShutter", [] { RiShutter(0, 0.5f); }, slot("Shutter", args(0.f, 0.5f))},
        {"RiPixelVariance", [] { RiPixelVariance(0.01f); }, slot("PixelVariance", args(0.01f))},
        {"RiPixelSamples", [] { RiPixelSamples(2, 3); }, slot("PixelSamples", args(2.f, 3.f))},
        {"RiPixelFilter", [] { RiPixelFilter(RiGaussianFilter, 2, 2.5f); },
         slot("PixelFilter", args(RiGaussianFilter, 2.f, 2.5f))},
        {"RiExposure", [] { RiExposure(1.5f, 2.2f); }, slot("Exposure", args(1.5f, 2.2f))},
        {"RiQuantize", [] { RiQuantize(kType, 255, 0, 255, 0.5f); },
         slot("Quantize", args(kType, 255, 0, 255, 0.5f))},
        {"RiDisplay", [] { RiDisplay(kName, kType, kMode, kP, points, kCs, colors, RI_NULL); },
         slot("DisplayV", args(kName, kType, kMode, kPairs))},
        {"RiDisplayV", [] { RiDisplayV(kName, kType, kMode, 2, listTokens, listValues); },
         vslot("DisplayV", args(kName, kType, kMode, list))},
        {"RiHider", [] { RiHider(kType, kP, points, kCs, colors, RI_NULL); },
         slot("HiderV", args(kType, kPairs))},
        {"RiHiderV", [] { RiHiderV(kType, 2, listTokens, listValues); },
         vslot("HiderV", args(kType, list))},
        {"RiColorSamples", [] { RiColorSamples(2, floats1, floats2); },
         slot("ColorSamples", args(2, floats1, floats2))},
        {"RiRelativeDetail", [] { RiRelativeDetail(0.7f); }, slot("RelativeDetail", args(0.7f))},
        {"RiOption", [] { RiOption(kName, kP, points, kCs, colors, RI_NULL); },
         slot("OptionV", args(kName, kPairs))},
        {"RiOptionV", [] { RiOptionV(kName, 2, listTokens, listValues); },
         vslot("OptionV", args(kName, list))},
        {"RiAttributeBegin", [] { RiAttributeBegin(); }, slot("AttributeBegin", {})},
        {"RiAttributeEnd", [] { RiAttributeEnd(); }, slot("AttributeEnd", {})},
        {"RiColor", [] { RiColor(color); }, slot("Color", args(color))},
        {"RiOpacity", [] { RiOpacity(color); }, slot("Opacity", args(color))},
        {"RiTextureCoordinates", [] { RiTextureCoordinates(0, 0.1f, 1, 0.2f, 0.3f, 1, 1, 1); },
         slot("TextureCoordinates", args(0.f, 0.1f, 1.f, 0.2f, 0.3f, 1.f, 1.f, 1.f))},
        {"RiShadingRate", [] { RiShadingRate(0.25f); }, slot("ShadingRate", args(0.25f))},
        {"RiShadingInterpolation", [] { RiShadingInterpolation(kType); },
         slot("ShadingInterpolation", args(kType))},
        {"RiMatte", [] { RiMatte(RI_TRUE); }, slot("Matte", args(short{1}))},
        {"RiBound", [] { RiBound(bound); }, slot("Bound", args(bound))},
        {"RiDetail", [] { RiDetail(bound); }, slot("Detail", args(bound))},
        {"RiDetailRange", [] { RiDetailRange(0, 1, 10, 100); },
         slot("DetailRange", args(0.f, 1.f, 10.f, 100.f))},
        {"RiGeometricApproximation", [] { RiGeometricApproximation(kType, 0.5f); },
         slot("GeometricApproximation", args(kType, 0.5f))},
        {"RiGeometricRepresentation", [] { RiGeometricRepresentation(kType); },
         slot("GeometricRepresentation", args(kType))},
        {"RiSides", [] { RiSides(2); }, slot("Sides", args(2))},
        {"RiOrientation", [] { RiOrientation(kType); }, slot("Orientation", args(kType))},
        {"RiReverseOrientation", [] { RiReverseOrientation(); }, slot("ReverseOrientation", {})},
        {"RiAttributeV", [] { RiAttributeV(kName, 2, listTokens, listValues); },
         vslot("AttributeV", args(kName, list))},
        {"RiAttribute", [] { RiAttribute(kName, kP, points, kCs, colors, RI_NULL); },
         slot("AttributeV", args(kName, kPairs))},
        {"RiIdentity", [] { RiIdentity(); }, slot("Identity", {})},
        {"RiConcatTransform", [] { RiConcatTransform(matrix); },
         slot("ConcatTransform", args(matrix))},
        {"RiTransform", [] { RiTransform(matrix); }, slot("Transform", args(matrix))},
        {"RiPerspective", [] { RiPerspective(90); }, slot("Perspective", args(90.f))},
        {"RiTranslate", [] { RiTranslate(0, 0, -5); }, slot("Translate", args(0.f, 0.f, -5.f))},
        {"RiRotate", [] { RiRotate(45, 0, 1, 0); }, slot("Rotate", args(45.f, 0.f, 1.f, 0.f))},
        {"RiScale", [] { RiScale(1, 1, -1); }, slot("Scale", args(1.f, 1.f, -1.f))},
        {"RiSkew", [] { RiSkew(30, 1, 0, 0, 0, 1, 0); },
         slot("Skew", args(30.f, 1.f, 0.f, 0.f, 0.f, 1.f, 0.f))},
        {"RiCoordinateSystem", [] { RiCoordinateSystem(kName); },
         slot("CoordinateSystem", args(kName))},
        {"RiCoordSysTransform", [] { RiCoordSysTransform(kName); },
         slot("CoordSysTransform", args(kName))},
        {"RiTransformPoints",
         [] { EXPECT_EQ(recording::pointsResult(), RiTransformPoints(kName, kType, 2, transformPoints)); },
         slot("TransformPoints", args(kName, kType, 2, transformPoints))},
        {"RiTransformBegin", [] { RiTransformBegin(); }, slot("TransformBegin", {})},
        {"RiTransformEnd", [] { RiTransformEnd(); }, slot("TransformEnd", {})},
        {"RiMotionBegin", [] { RiMotionBegin(2, 0.0, 0.5); },
         slot("MotionBeginV", args(Times{2, motionTimes}))},
        {"RiMotionBeginV", [] { RiMotionBeginV(2, motionTimes); },
         slot("MotionBeginV", args(Times{2, motionTimes}))},
        {"RiMotionEnd", [] { RiMotionEnd(); }, slot("MotionEnd", {})},
        {"RiSurface", [] { RiSurface(kName, kP, points, kCs, colors, RI_NULL); },
         slot("SurfaceV", args(kName, kPairs))},
        {"RiSurfaceV", [] { RiSurfaceV(kName, 2, listTokens, listValues); },
         vslot("SurfaceV", args(kName, list))},
        {"RiDisplacement", [] { RiDisplacement(kName, kP, points, kCs, colors, RI_NULL); },
         slot("DisplacementV", args(kName, kPairs))},
        {"RiDisplacementV", [] { RiDisplacementV(kName, 2, listTokens, listValues); },
         vslot("DisplacementV", args(kName, list))},
        {"RiAtmosphere", [] { RiAtmosphere(kName, kP, points, kCs, colors, RI_NULL); },
         slot("AtmosphereV", args(kName, kPairs))},
        {"RiAtmosphereV", [] { RiAtmosphereV(kName, 2, listTokens, listValues); },
         vslot("AtmosphereV", args(kName, list))},
        {"RiInterior", [] { RiInterior(kName, kP, points, kCs, colors, RI_NULL); },
         slot("InteriorV", args(kName, kPairs))},
        {"RiInteriorV", [] { RiInteriorV(kName, 2, listTokens, listValues); },
         vslot("InteriorV", args(kName, list))},
        {"RiExterior", [] { RiExterior(kName, kP, points, kCs, colors, RI_NULL); },
         slot("ExteriorV", args(kName, kPairs))},
        {"RiExteriorV", [] { RiExteriorV(kName, 2, listTokens, listValues); },
         vslot("ExteriorV", args(kName, list))},
        {"RiImager", [] { RiImager(kName, kP, points, kCs, colors, RI_NULL); },
         slot("ImagerV", args(kName, kPairs))},
        {"RiImagerV", [] { RiImagerV(kName, 2, listTokens, listValues); },
         vslot("ImagerV", args(kName, list))},
        {"RiLightSource",
         [] { EXPECT_EQ(recording::lightResult(), RiLightSource(kName, kP, points, kCs, colors, RI_NULL)); },
         slot("LightSourceV", args(kName, kPairs))},
        {"RiLightSourceV",
         [] { EXPECT_EQ(recording::lightResult(), RiLightSourceV(kName, 2, listTokens, listValues)); },
         vslot("LightSourceV", args(kName, list))},
        {"RiAreaLightSource",
         [] { EXPECT_EQ(recording::lightResult(), RiAreaLightSource(kName, kP, points, kCs, colors, RI_NULL)); },
         slot("AreaLightSourceV", args(kName, kPairs))},
        {"RiAreaLightSourceV",
         [] { EXPECT_EQ(recording::lightResult(), RiAreaLightSourceV(kName, 2, listTokens, listValues)); },
         vslot("AreaLightSourceV", args(kName, list))},
        {"RiIlluminate", [] { RiIlluminate(recording::lightResult(), RI_FALSE); },
         slot("Illuminate", args(recording::lightResult(), short{0}))},
        {"RiCone", [] { RiCone(2, 0.5f, 270, kP, points, kCs, colors, RI_NULL); },
         slot("ConeV", args(2.f, 0.5f, 270.f, kPairs))},
        {"RiConeV", [] { RiConeV(2, 0.5f, 270, 2, listTokens, listValues); },
         vslot("ConeV", args(2.f, 0.5f, 270.f, list))},
        {"RiCylinder", [] { RiCylinder(1, -1, 2, 180, kP, points, kCs, colors, RI_NULL); },
         slot("CylinderV", args(1.f, -1.f, 2.f, 180.f, kPairs))},
        {"RiCylinderV", [] { RiCylinderV(1, -1, 2, 180, 2, listTokens, listValues); },
         vslot("CylinderV", args(1.f, -1.f, 2.f, 180.f, list))},
        {"RiDisk", [] { RiDisk(0.5f, 3, 360, kP, points, kCs, colors, RI_NULL); },
         slot("DiskV", args(0.5f, 3.f, 360.f, kPairs))},
        {"RiDiskV", [] { RiDiskV(0.5f, 3, 360, 2, listTokens, listValues); },
         vslot("DiskV", args(0.5f, 3.f, 360.f, list))},
        {"RiHyperboloid", [] { RiHyperboloid(point1, point2, 90, kP, points, kCs, colors, RI_NULL); },
         slot("HyperboloidV", args(point1, point2, 90.f, kPairs))},
        {"RiHyperboloidV", [] { RiHyperboloidV(point1, point2, 90, 2, listTokens, listValues); },
         vslot("HyperboloidV", args(point1, point2, 90.f, list))},
        {"RiParaboloid", [] { RiParaboloid(1, 0.5f, 2, 120, kP, points, kCs, colors, RI_NULL); },
         slot("ParaboloidV", args(1.f, 0.5f, 2.f, 120.f, kPairs))},
        {"RiParaboloidV", [] { RiParaboloidV(1, 0.5f, 2, 120, 2, listTokens, listValues); },
         vslot("ParaboloidV", args(1.f, 0.5f, 2.f, 120.f, list))},
        {"RiSphere", [] { RiSphere(1.5f, -1, 1, 360, kP, points, kCs, colors, RI_NULL); },
         slot("SphereV", args(1.5f, -1.f, 1.f, 360.f, kPairs))},
        {"RiSphereV", [] { RiSphereV(1.5f, -1, 1, 360, 2, listTokens, listValues); },
         vslot("SphereV", args(1.5f, -1.f, 1.f, 360.f, list))},
        {"RiTorus", [] { RiTorus(2, 0.5f, 0, 360, 180, kP, points, kCs, colors, RI_NULL); },
         slot("TorusV", args(2.f, 0.5f, 0.f, 360.f, 180.f, kPairs))},
        {"RiTorusV", [] { RiTorusV(2, 0.5f, 0, 360, 180, 2, listTokens, listValues); },
         vslot("TorusV", args(2.f, 0.5f, 0.f, 360.f, 180.f, list))},
        {"RiPolygon", [] { RiPolygon(4, kP, points, kCs, colors, RI_NULL); },
         slot("PolygonV", args(4, kPairs))},
        {"RiPolygonV", [] { RiPolygonV(4, 2, listTokens, listValues); },
         vslot("PolygonV", args(4, list))},
        {"RiGeneralPolygon", [] { RiGeneralPolygon(2, ints1, kP, points, kCs, colors, RI_NULL); },
         slot("GeneralPolygonV", args(2, ints1, kPairs))},
        {"RiGeneralPolygonV", [] { RiGeneralPolygonV(2, ints1, 2, listTokens, listValues); },
         vslot("GeneralPolygonV", args(2, ints1, list))},
        {"RiPointsPolygons",
         [] { RiPointsPolygons(1, ints1, ints2, kP, points, kCs, colors, RI_NULL); },
         slot("PointsPolygonsV", args(1, ints1, ints2, kPairs))},
        {"RiPointsPolygonsV",
         [] { RiPointsPolygonsV(1, ints1, ints2, 2, listTokens, listValues); },
         vslot("PointsPolygonsV", args(1, ints1, ints2, list))},
        {"RiPointsGeneralPolygons",
         [] { RiPointsGeneralPolygons(1, ints1, ints2, ints3, kP, points, kCs, colors, RI_NULL); },
         slot("PointsGeneralPolygonsV", args(1, ints1, ints2, ints3, kPairs))},
        {"RiPointsGeneralPolygonsV",
         [] { RiPointsGeneralPolygonsV(1, ints1, ints2, ints3, 2, listTokens, listValues); },
         vslot("PointsGeneralPolygonsV", args(1, ints1, ints2, ints3, list))},
        {"RiBasis", [] { RiBasis(RiBezierBasis, 3, RiBSplineBasis, 1); },
         slot("Basis", args(RiBezierBasis, 3, RiBSplineBasis, 1))},
        {"RiPatch", [] { RiPatch(kType, kP, points, kCs, colors, RI_NULL); },
         slot("PatchV", args(kType, kPairs))},
        {"RiPatchV", [] { RiPatchV(kType, 2, listTokens, listValues); },
         vslot("PatchV", args(kType, list))},
        {"RiPatchMesh",
         [] { RiPatchMesh(kType, 7, kMode, 4, kName, kP, points, kCs, colors, RI_NULL); },
         slot("PatchMeshV", args(kType, 7, kMode, 4, kName, kPairs))},
        {"RiPatchMeshV", [] { RiPatchMeshV(kType, 7, kMode, 4, kName, 2, listTokens, listValues); },
         vslot("PatchMeshV", args(kType, 7, kMode, 4, kName, list))},
        {"RiTrimCurve",
         [] { RiTrimCurve(1, ints1, ints2, floats1, floats2, floats3, ints3, floats1, floats2, floats3); },
         slot("TrimCurve", args(1, ints1, ints2, floats1, floats2, floats3, ints3, floats1, floats2, floats3))},
        {"RiNuPatch",
         [] { RiNuPatch(4, 3, floats1, 0.25f, 1, 5, 2, floats2, 0, 0.75f, kP, points, kCs, colors, RI_NULL); },
         slot("NuPatchV", args(4, 3, floats1, 0.25f, 1.f, 5, 2, floats2, 0.f, 0.75f, kPairs))},
        {"RiNuPatchV",
         [] { RiNuPatchV(4, 3, floats1, 0.25f, 1, 5, 2, floats2, 0, 0.75f, 2, listTokens, listValues); },
         vslot("NuPatchV", args(4, 3, floats1, 0.25f, 1.f, 5, 2, floats2, 0.f, 0.75f, list))},
        {"RiCurves", [] { RiCurves(kType, 2, ints1, kMode, kP, points, kCs, colors, RI_NULL); },
         slot("CurvesV", args(kType, 2, ints1, kMode, kPairs))},
        {"RiCurvesV", [] { RiCurvesV(kType, 2, ints1, kMode, 2, listTokens, listValues); },
         vslot("CurvesV", args(kType, 2, ints1, kMode, list))},
        {"RiPoints", [] { RiPoints(16, kP, points, kCs, colors, RI_NULL); },
         slot("PointsV", args(16, kPairs))},
        {"RiPointsV", [] { RiPointsV(16, 2, listTokens, listValues); },
         vslot("PointsV", args(16, list))},
        {"RiSubdivisionMesh",
         [] { RiSubdivisionMesh(kType, 1, ints1, ints2, 1, tags, ints3, ints1, floats1, kP, points, kCs, colors, RI_NULL); },
         slot("SubdivisionMeshV", args(kType, 1, ints1, ints2, 1, tags, ints3, ints1, floats1, kPairs))},
        {"RiSubdivisionMeshV",
         [] { RiSubdivisionMeshV(kType, 1, ints1, ints2, 1, tags, ints3, ints1, floats1, 2, listTokens, listValues); },
         vslot("SubdivisionMeshV", args(kType, 1, ints1, ints2, 1, tags, ints3, ints1, floats1, list))},
        {"RiBlobby",
         [] { RiBlobby(1, 4, ints1, 3, floats1, 1, strs, kP, points, kCs, colors, RI_NULL); },
         slot("BlobbyV", args(1, 4, ints1, 3, floats1, 1, strs, kPairs))},
        {"RiBlobbyV", [] { RiBlobbyV(1, 4, ints1, 3, floats1, 1, strs, 2, listTokens, listValues); },
         vslot("BlobbyV", args(1, 4, ints1, 3, floats1, 1, strs, list))},
        {"RiProcedural", [] { RiProcedural(&procedureData, bound, subdivide, freeData); },
         slot("Procedural", args(static_cast<void*>(&procedureData), bound, subdivide, freeData))},
        {"RiGeometry", [] { RiGeometry(kType, kP, points, kCs, colors, RI_NULL); },
         slot("GeometryV", args(kType, kPairs))},
        {"RiGeometryV", [] { RiGeometryV(kType, 2, listTokens, listValues); },
         vslot("GeometryV", args(kType, list))},
        {"RiSolidBegin", [] { RiSolidBegin(kType); }, slot("SolidBegin", args(kType))},
        {"RiSolidEnd", [] { RiSolidEnd(); }, slot("SolidEnd", {})},
        {"RiObjectBegin", [] { EXPECT_EQ(recording::objectResult(), RiObjectBegin()); },
         slot("ObjectBegin", {})},
        {"RiObjectEnd", [] { RiObjectEnd(); }, slot("ObjectEnd", {})},
        {"RiObjectInstance", [] { RiObjectInstance(recording::objectResult()); },
         slot("ObjectInstance", args(recording::objectResult()))},
        {"RiDeclare", [] { EXPECT_STREQ(recording::declareResult(), RiDeclare(kName, kType)); },
         slot("Declare", args(kName, kType))},
        {"RiArchiveRecord", [] { RiArchiveRecord(kType, "%s %d", "frame", 12); },
         slot("ArchiveRecordV", {})},
        {"RiReadArchive", [] { RiReadArchive(kName, archiveCallback, kP, points, kCs, colors, RI_NULL); },
         slot("ReadArchiveV", args(kName, archiveCallback, kPairs))},
        {"RiReadArchiveV", [] { RiReadArchiveV(kName, archiveCallback, 2, listTokens, listValues); },
         vslot("ReadArchiveV", args(kName, archiveCallback, list))},
        {"RiMakeTexture",
         [] { RiMakeTexture(kName, kType, kMode, kMode, RiBoxFilter, 2, 3, kP, points, kCs, colors, RI_NULL); },
         slot("MakeTextureV", args(kName, kType, kMode, kMode, RiBoxFilter, 2.f, 3.f, kPairs))},
        {"RiMakeBumpV",
         [] { RiMakeBumpV(kName, kType, kMode, kMode, RiSincFilter, 1, 2, 2, listTokens, listValues); },
         vslot("MakeBumpV", args(kName, kType, kMode, kMode, RiSincFilter, 1.f, 2.f, list))},
        {"RiMakeLatLongEnvironment",
         [] { RiMakeLatLongEnvironment(kName, kType, RiGaussianFilter, 2, 2, kP, points, kCs, colors, RI_NULL); },
         slot("MakeLatLongEnvironmentV", args(kName, kType, RiGaussianFilter, 2.f, 2.f, kPairs))},
        {"RiMakeCubeFaceEnvironmentV",
         [] {
             RiMakeCubeFaceEnvironmentV(kName, kName, kName, kName, kName, kName, kType, 90, RiBoxFilter, 1, 1,
                                        2, listTokens, listValues);
         },
         vslot("MakeCubeFaceEnvironmentV",
               args(kName, kName, kName, kName, kName, kName, kType, 90.f, RiBoxFilter, 1.f, 1.f, list))},
        {"RiMakeShadow", [] { RiMakeShadow(kName, kType, kP, points, kCs, colors, RI_NULL); },
         slot("MakeShadowV", args(kName, kType, kPairs))},
        {"RiErrorHandler", [] { RiErrorHandler(RiErrorAbort); },
         slot("ErrorHandler", args(RiErrorAbort))},
    };
}

constexpr int kOverlongPairs = 513;

// Calls RiSurface with every item as its own variable argument.
template <size_t... I>
void surfaceWithItems(const void* const* items, std::index_sequence<I...>)
{
    RiSurface("many", items[I]..., RI_NULL);
}

// Installs a recording renderer for one test and removes it afterwards.
class WithRecorder : public ::testing::Test {
protected:
    void SetUp() override { RiContext(recorder.get()); }
    void TearDown() override
    {
        RiContext(nullptr);
        installErrorHandler(nullptr);
    }

    std::vector<Call> log;
    std::unique_ptr<RecordingRenderer> recorder = std::make_unique<RecordingRenderer>(log);
};

using RiProcedures = WithRecorder;

TEST_F(RiProcedures, ReachTheirSlotWithArgumentsUnchanged)
{
    for (const Case& c : procedureCases()) {
        log.clear();
        c.call();
        ASSERT_EQ(1u, log.size()) << c.procedure;
        const Call& got = log[0];
        EXPECT_EQ(c.expected.slot, got.slot) << c.procedure;
        // The archive record's arguments are checked in their own test.
        if (got.slot != "ArchiveRecordV") {
            EXPECT_EQ(c.expected.args, got.args) << c.procedure;
        }
        if (c.expected.tokenArray != nullptr) {
            EXPECT_EQ(c.expected.tokenArray, got.tokenArray)
                << c.procedure << " must pass the caller's own arrays";
        }
    }
}

TEST_F(RiProcedures, ArchiveRecordHandsOnTheFormatAndItsArguments)
{
    const char* format = "%s %d";
    RiArchiveRecord(RI_COMMENT, format, "frame", 12);
    RiArchiveRecord(RI_STRUCTURE, "no arguments");
    ASSERT_EQ(2u, log.size());
    EXPECT_EQ(args(RI_COMMENT, static_cast<const void*>(format)),
              std::vector<std::string>(log[0].args.begin(), log[0].args.begin() + 2));
    EXPECT_EQ("text:frame 12", log[0].args[2]);
    EXPECT_EQ("text:no arguments", log[1].args[2]);
}

void forwardArchive(RtToken type, const char* format, ...)
{
    va_list list;
    va_start(list, format);
    RiVArchiveRecord(type, format, list);
    va_end(list);
}

TEST_F(RiProcedures, VArchiveRecordHandsOnTheCallersArgumentList)
{
    forwardArchive(RI_VERBATIM, "%d-%s-%g", 3, "x", 0.5);
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ("ArchiveRecordV", log[0].slot);
    EXPECT_EQ("text:3-x-0.5", log[0].args[2]);
}

TEST_F(RiProcedures, EmptyAndOverlongParameterLists)
{
    RiSphere(1, -1, 1, 360, RI_NULL);
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ(args(1.f, -1.f, 1.f, 360.f, Params{0, nullptr, nullptr}), log[0].args);

    // 513 pairs: only the first 512 are passed on.
    std::vector<std::string> names;
    for (int i = 0; i < kOverlongPairs; ++i) {
        names.push_back("t" + std::to_string(i));
    }
    static float value = 1;
    std::vector<const void*> items;
    for (const std::string& name : names) {
        items.push_back(name.c_str());
        items.push_back(&value);
    }
    log.clear();
    surfaceWithItems(items.data(), std::make_index_sequence<2 * kOverlongPairs>());
    ASSERT_EQ(1u, log.size());
    const std::string& list = log[0].args[1];
    EXPECT_EQ(0u, list.rfind("n:512 ", 0)) << list.substr(0, 20);
    EXPECT_NE(std::string::npos, list.find(recording::format("%p=", names[511].c_str())));
    EXPECT_EQ(std::string::npos, list.find(recording::format("%p=", names[512].c_str())));
}

}  // namespace

extern "C" void describeFrameFromC(void);

TEST_F(RiProcedures, AreCallableFromC)
{
    describeFrameFromC();
    ASSERT_EQ(4u, log.size());
    EXPECT_EQ("FrameBegin", log[0].slot);
    EXPECT_EQ(args(3), log[0].args);
    EXPECT_EQ("Color", log[1].slot);
    EXPECT_EQ("SphereV", log[2].slot);
    EXPECT_EQ("n:1", log[2].args[4].substr(0, 3));
    EXPECT_EQ("FrameEnd", log[3].slot);
}
