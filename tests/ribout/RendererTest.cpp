// The Renderer interface: its slot order, and the variable-argument
// operations that gather their list and call their V form.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
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

#if defined(__GNUC__) && !defined(_WIN32)
// Under the Itanium C++ ABI a pointer to a virtual member function holds
// 1 + the byte offset of its entry in the virtual table.
template <typename Member>
std::ptrdiff_t vtableIndex(Member member)
{
    struct Representation {
        uintptr_t pointer;
        ptrdiff_t adjustment;
    } representation;
    static_assert(sizeof(Member) == sizeof(Representation), "Itanium member pointer");
    std::memcpy(&representation, &member, sizeof representation);
    return static_cast<std::ptrdiff_t>((representation.pointer - 1) / sizeof(void*));
}

TEST(Renderer, OperationsSitInTheContractedSlotOrder)
{
    struct Slot {
        const char* name;
        std::ptrdiff_t index;
    };
    const std::vector<Slot> slots = {
        {"FrameBegin", vtableIndex(&Renderer::FrameBegin)},
        {"FrameEnd", vtableIndex(&Renderer::FrameEnd)},
        {"WorldBegin", vtableIndex(&Renderer::WorldBegin)},
        {"WorldEnd", vtableIndex(&Renderer::WorldEnd)},
        {"Format", vtableIndex(&Renderer::Format)},
        {"FrameAspectRatio", vtableIndex(&Renderer::FrameAspectRatio)},
        {"ScreenWindow", vtableIndex(&Renderer::ScreenWindow)},
        {"CropWindow", vtableIndex(&Renderer::CropWindow)},
        {"Projection", vtableIndex(&Renderer::Projection)},
        {"ProjectionV", vtableIndex(&Renderer::ProjectionV)},
        {"Clipping", vtableIndex(&Renderer::Clipping)},
        {"DepthOfField", vtableIndex(&Renderer::DepthOfField)},
        {"Shutter", vtableIndex(&Renderer::Shutter)},
        {"PixelVariance", vtableIndex(&Renderer::PixelVariance)},
        {"PixelSamples", vtableIndex(&Renderer::PixelSamples)},
        {"PixelFilter", vtableIndex(&Renderer::PixelFilter)},
        {"Exposure", vtableIndex(&Renderer::Exposure)},
        {"Quantize", vtableIndex(&Renderer::Quantize)},
        {"Display", vtableIndex(&Renderer::Display)},
        {"DisplayV", vtableIndex(&Renderer::DisplayV)},
        {"Hider", vtableIndex(&Renderer::Hider)},
        {"HiderV", vtableIndex(&Renderer::HiderV)},
        {"ColorSamples", vtableIndex(&Renderer::ColorSamples)},
        {"RelativeDetail", vtableIndex(&Renderer::RelativeDetail)},
        {"Option", vtableIndex(&Renderer::Option)},
        {"OptionV", vtableIndex(&Renderer::OptionV)},
        {"AttributeBegin", vtableIndex(&Renderer::AttributeBegin)},
        {"AttributeEnd", vtableIndex(&Renderer::AttributeEnd)},
        {"Color", vtableIndex(&Renderer::Color)},
        {"Opacity", vtableIndex(&Renderer::Opacity)},
        {"TextureCoordinates", vtableIndex(&Renderer::TextureCoordinates)},
        {"ShadingRate", vtableIndex(&Renderer::ShadingRate)},
        {"ShadingInterpolation", vtableIndex(&Renderer::ShadingInterpolation)},
        {"Matte", vtableIndex(&Renderer::Matte)},
        {"Bound", vtableIndex(&Renderer::Bound)},
        {"Detail", vtableIndex(&Renderer::Detail)},
        {"DetailRange", vtableIndex(&Renderer::DetailRange)},
        {"GeometricApproximation", vtableIndex(&Renderer::GeometricApproximation)},
        {"GeometricRepresentation", vtableIndex(&Renderer::GeometricRepresentation)},
        {"Sides", vtableIndex(&Renderer::Sides)},
        {"Orientation", vtableIndex(&Renderer::Orientation)},
        {"ReverseOrientation", vtableIndex(&Renderer::ReverseOrientation)},
        {"AttributeV", vtableIndex(&Renderer::AttributeV)},
        {"Attribute", vtableIndex(&Renderer::Attribute)},
        {"Identity", vtableIndex(&Renderer::Identity)},
        {"ConcatTransform", vtableIndex(&Renderer::ConcatTransform)},
        {"Transform", vtableIndex(&Renderer::Transform)},
        {"Perspective", vtableIndex(&Renderer::Perspective)},
        {"Translate", vtableIndex(&Renderer::Translate)},
        {"Rotate", vtableIndex(&Renderer::Rotate)},
        {"Scale", vtableIndex(&Renderer::Scale)},
        {"Skew", vtableIndex(&Renderer::Skew)},
        {"CoordinateSystem", vtableIndex(&Renderer::CoordinateSystem)},
        {"CoordSysTransform", vtableIndex(&Renderer::CoordSysTransform)},
        {"TransformPoints", vtableIndex(&Renderer::TransformPoints)},
        {"TransformBegin", vtableIndex(&Renderer::TransformBegin)},
        {"TransformEnd", vtableIndex(&Renderer::TransformEnd)},
        {"MotionBegin", vtableIndex(&Renderer::MotionBegin)},
        {"MotionBeginV", vtableIndex(&Renderer::MotionBeginV)},
        {"MotionEnd", vtableIndex(&Renderer::MotionEnd)},
        {"Surface", vtableIndex(&Renderer::Surface)},
        {"SurfaceV", vtableIndex(&Renderer::SurfaceV)},
        {"Displacement", vtableIndex(&Renderer::Displacement)},
        {"DisplacementV", vtableIndex(&Renderer::DisplacementV)},
        {"Atmosphere", vtableIndex(&Renderer::Atmosphere)},
        {"AtmosphereV", vtableIndex(&Renderer::AtmosphereV)},
        {"Interior", vtableIndex(&Renderer::Interior)},
        {"InteriorV", vtableIndex(&Renderer::InteriorV)},
        {"Exterior", vtableIndex(&Renderer::Exterior)},
        {"ExteriorV", vtableIndex(&Renderer::ExteriorV)},
        {"Imager", vtableIndex(&Renderer::Imager)},
        {"ImagerV", vtableIndex(&Renderer::ImagerV)},
        {"LightSource", vtableIndex(&Renderer::LightSource)},
        {"LightSourceV", vtableIndex(&Renderer::LightSourceV)},
        {"AreaLightSource", vtableIndex(&Renderer::AreaLightSource)},
        {"AreaLightSourceV", vtableIndex(&Renderer::AreaLightSourceV)},
        {"Illuminate", vtableIndex(&Renderer::Illuminate)},
        {"Cone", vtableIndex(&Renderer::Cone)},
        {"ConeV", vtableIndex(&Renderer::ConeV)},
        {"Cylinder", vtableIndex(&Renderer::Cylinder)},
        {"CylinderV", vtableIndex(&Renderer::CylinderV)},
        {"Disk", vtableIndex(&Renderer::Disk)},
        {"DiskV", vtableIndex(&Renderer::DiskV)},
        {"Hyperboloid", vtableIndex(&Renderer::Hyperboloid)},
        {"HyperboloidV", vtableIndex(&Renderer::HyperboloidV)},
        {"Paraboloid", vtableIndex(&Renderer::Paraboloid)},
        {"ParaboloidV", vtableIndex(&Renderer::ParaboloidV)},
        {"Sphere", vtableIndex(&Renderer::Sphere)},
        {"SphereV", vtableIndex(&Renderer::SphereV)},
        {"Torus", vtableIndex(&Renderer::Torus)},
        {"TorusV", vtableIndex(&Renderer::TorusV)},
        {"Polygon", vtableIndex(&Renderer::Polygon)},
        {"PolygonV", vtableIndex(&Renderer::PolygonV)},
        {"GeneralPolygon", vtableIndex(&Renderer::GeneralPolygon)},
        {"GeneralPolygonV", vtableIndex(&Renderer::GeneralPolygonV)},
        {"PointsPolygons", vtableIndex(&Renderer::PointsPolygons)},
        {"PointsPolygonsV", vtableIndex(&Renderer::PointsPolygonsV)},
        {"PointsGeneralPolygons", vtableIndex(&Renderer::PointsGeneralPolygons)},
        {"PointsGeneralPolygonsV", vtableIndex(&Renderer::PointsGeneralPolygonsV)},
        {"Basis", vtableIndex(&Renderer::Basis)},
        {"Patch", vtableIndex(&Renderer::Patch)},
        {"PatchV", vtableIndex(&Renderer::PatchV)},
        {"PatchMesh", vtableIndex(&Renderer::PatchMesh)},
        {"PatchMeshV", vtableIndex(&Renderer::PatchMeshV)},
        {"TrimCurve", vtableIndex(&Renderer::TrimCurve)},
        {"NuPatch", vtableIndex(&Renderer::NuPatch)},
        {"NuPatchV", vtableIndex(&Renderer::NuPatchV)},
        {"Curves", vtableIndex(&Renderer::Curves)},
        {"CurvesV", vtableIndex(&Renderer::CurvesV)},
        {"Points", vtableIndex(&Renderer::Points)},
        {"PointsV", vtableIndex(&Renderer::PointsV)},
        {"SubdivisionMesh", vtableIndex(&Renderer::SubdivisionMesh)},
        {"SubdivisionMeshV", vtableIndex(&Renderer::SubdivisionMeshV)},
        {"Blobby", vtableIndex(&Renderer::Blobby)},
        {"BlobbyV", vtableIndex(&Renderer::BlobbyV)},
        {"Procedural", vtableIndex(&Renderer::Procedural)},
        {"Geometry", vtableIndex(&Renderer::Geometry)},
        {"GeometryV", vtableIndex(&Renderer::GeometryV)},
        {"SolidBegin", vtableIndex(&Renderer::SolidBegin)},
        {"SolidEnd", vtableIndex(&Renderer::SolidEnd)},
        {"ObjectBegin", vtableIndex(&Renderer::ObjectBegin)},
        {"ObjectEnd", vtableIndex(&Renderer::ObjectEnd)},
        {"ObjectInstance", vtableIndex(&Renderer::ObjectInstance)},
        {"MakeTexture", vtableIndex(&Renderer::MakeTexture)},
        {"MakeTextureV", vtableIndex(&Renderer::MakeTextureV)},
        {"MakeLatLongEnvironment", vtableIndex(&Renderer::MakeLatLongEnvironment)},
        {"MakeLatLongEnvironmentV", vtableIndex(&Renderer::MakeLatLongEnvironmentV)},
        {"MakeCubeFaceEnvironment", vtableIndex(&Renderer::MakeCubeFaceEnvironment)},
        {"MakeCubeFaceEnvironmentV", vtableIndex(&Renderer::MakeCubeFaceEnvironmentV)},
        {"MakeShadow", vtableIndex(&Renderer::MakeShadow)},
        {"MakeShadowV", vtableIndex(&Renderer::MakeShadowV)},
        {"Declare", vtableIndex(&Renderer::Declare)},
        {"ArchiveRecord", vtableIndex(&Renderer::ArchiveRecord)},
        {"ArchiveRecordV", vtableIndex(&Renderer::ArchiveRecordV)},
        {"ReadArchive", vtableIndex(&Renderer::ReadArchive)},
        {"ReadArchiveV", vtableIndex(&Renderer::ReadArchiveV)},
        {"ErrorHandler", vtableIndex(&Renderer::ErrorHandler)},
    };
    ASSERT_EQ(137u, slots.size());
    // Operations beyond the fixed order come after it.
    EXPECT_EQ(static_cast<std::ptrdiff_t>(139), vtableIndex(&Renderer::MakeBumpV));
    // The destructor takes the first two entries (complete and deleting), so
    // slot k sits at entry k + 1.
    for (size_t i = 0; i < slots.size(); ++i) {
        EXPECT_EQ(static_cast<std::ptrdiff_t>(i + 2), slots[i].index)
            << "slot " << i + 1 << " should be " << slots[i].name;
    }
}
#endif

RtToken kName = "name";
RtToken kType = "type";
RtToken kP = "P";
RtToken kCs = "Cs";
RtFloat points[12] = {1, 2, 3};
RtFloat colors[3] = {0.25f, 0.5f, 1};
RtToken listTokens[2] = {"P", "Cs"};
RtPointer listValues[2] = {points, colors};
const Params kPairs{2, const_cast<RtToken*>(listTokens), listValues};
RtPoint point1 = {1, 0, 0};
RtPoint point2 = {0, 1, 1};
RtInt ints[4] = {4, 3, 2, 1};
RtFloat floats[8] = {0, 0, 0, 1};
RtToken strs[1] = {"blob"};
RtFloat motion[3] = {0, 0.25f, 1};
void archiveCallback(RtToken, const char*, ...) {}

struct Case {
    const char* operation;
    std::function<void(Renderer&)> call;
    Call expected;
};

std::vector<Case> variadicCases()
{
    return {
        {"Projection", [](Renderer& r) { r.Projection(kName, kP, points, kCs, colors, RI_NULL); }, {"ProjectionV", args(kName, kPairs)}},
        {"Display", [](Renderer& r) { r.Display(kName, kType, kP, kP, points, kCs, colors, RI_NULL); }, {"DisplayV", args(kName, kType, kP, kPairs)}},
        {"Hider", [](Renderer& r) { r.Hider(kType, kP, points, kCs, colors, RI_NULL); }, {"HiderV", args(kType, kPairs)}},
        {"Option", [](Renderer& r) { r.Option(kName, kP, points, kCs, colors, RI_NULL); }, {"OptionV", args(kName, kPairs)}},
        {"Attribute", [](Renderer& r) { r.Attribute(kName, kP, points, kCs, colors, RI_NULL); }, {"AttributeV", args(kName, kPairs)}},
        {"MotionBegin", [](Renderer& r) { r.MotionBegin(3, 0.0, 0.25, 1.0); }, {"MotionBeginV", args(Times{3, motion})}},
        {"Surface", [](Renderer& r) { r.Surface(kName, kP, points, kCs, colors, RI_NULL); }, {"SurfaceV", args(kName, kPairs)}},
        {"Displacement", [](Renderer& r) { r.Displacement(kName, kP, points, kCs, colors, RI_NULL); }, {"DisplacementV", args(kName, kPairs)}},
        {"Atmosphere", [](Renderer& r) { r.Atmosphere(kName, kP, points, kCs, colors, RI_NULL); }, {"AtmosphereV", args(kName, kPairs)}},
        {"Interior", [](Renderer& r) { r.Interior(kName, kP, points, kCs, colors, RI_NULL); }, {"InteriorV", args(kName, kPairs)}},
        {"Exterior", [](Renderer& r) { r.Exterior(kName, kP, points, kCs, colors, RI_NULL); }, {"ExteriorV", args(kName, kPairs)}},
        {"Imager", [](Renderer& r) { r.Imager(kName, kP, points, kCs, colors, RI_NULL); }, {"ImagerV", args(kName, kPairs)}},
        {"LightSource",
         [](Renderer& r) { EXPECT_EQ(recording::lightResult(), r.LightSource(kName, kP, points, kCs, colors, RI_NULL)); },
         {"LightSourceV", args(kName, kPairs)}},
        {"AreaLightSource",
         [](Renderer& r) { EXPECT_EQ(recording::lightResult(), r.AreaLightSource(kName, kP, points, kCs, colors, RI_NULL)); },
         {"AreaLightSourceV", args(kName, kPairs)}},
        {"Cone", [](Renderer& r) { r.Cone(2, 0.5f, 270, kP, points, kCs, colors, RI_NULL); }, {"ConeV", args(2.f, 0.5f, 270.f, kPairs)}},
        {"Cylinder", [](Renderer& r) { r.Cylinder(1, -1, 2, 180, kP, points, kCs, colors, RI_NULL); }, {"CylinderV", args(1.f, -1.f, 2.f, 180.f, kPairs)}},
        {"Disk", [](Renderer& r) { r.Disk(0.5f, 3, 360, kP, points, kCs, colors, RI_NULL); }, {"DiskV", args(0.5f, 3.f, 360.f, kPairs)}},
        {"Hyperboloid", [](Renderer& r) { r.Hyperboloid(point1, point2, 90, kP, points, kCs, colors, RI_NULL); }, {"HyperboloidV", args(point1, point2, 90.f, kPairs)}},
        {"Paraboloid", [](Renderer& r) { r.Paraboloid(1, 0.5f, 2, 120, kP, points, kCs, colors, RI_NULL); }, {"ParaboloidV", args(1.f, 0.5f, 2.f, 120.f, kPairs)}},
        {"Sphere", [](Renderer& r) { r.Sphere(1.5f, -1, 1, 360, kP, points, kCs, colors, RI_NULL); }, {"SphereV", args(1.5f, -1.f, 1.f, 360.f, kPairs)}},
        {"Torus", [](Renderer& r) { r.Torus(2, 0.5f, 0, 360, 180, kP, points, kCs, colors, RI_NULL); }, {"TorusV", args(2.f, 0.5f, 0.f, 360.f, 180.f, kPairs)}},
        {"Polygon", [](Renderer& r) { r.Polygon(4, kP, points, kCs, colors, RI_NULL); }, {"PolygonV", args(4, kPairs)}},
        {"GeneralPolygon", [](Renderer& r) { r.GeneralPolygon(2, ints, kP, points, kCs, colors, RI_NULL); }, {"GeneralPolygonV", args(2, ints, kPairs)}},
        {"PointsPolygons", [](Renderer& r) { r.PointsPolygons(1, ints, ints, kP, points, kCs, colors, RI_NULL); }, {"PointsPolygonsV", args(1, ints, ints, kPairs)}},
        {"PointsGeneralPolygons",
         [](Renderer& r) { r.PointsGeneralPolygons(1, ints, ints, ints, kP, points, kCs, colors, RI_NULL); },
         {"PointsGeneralPolygonsV", args(1, ints, ints, ints, kPairs)}},
        {"Patch", [](Renderer& r) { r.Patch(kType, kP, points, kCs, colors, RI_NULL); }, {"PatchV", args(kType, kPairs)}},
        {"PatchMesh", [](Renderer& r) { r.PatchMesh(kType, 7, kName, 4, kP, kP, points, kCs, colors, RI_NULL); }, {"PatchMeshV", args(kType, 7, kName, 4, kP, kPairs)}},
        {"NuPatch",
         [](Renderer& r) { r.NuPatch(4, 3, floats, 0.25f, 1, 5, 2, floats, 0, 0.75f, kP, points, kCs, colors, RI_NULL); },
         {"NuPatchV", args(4, 3, floats, 0.25f, 1.f, 5, 2, floats, 0.f, 0.75f, kPairs)}},
        {"Curves", [](Renderer& r) { r.Curves(kType, 2, ints, kName, kP, points, kCs, colors, RI_NULL); }, {"CurvesV", args(kType, 2, ints, kName, kPairs)}},
        {"Points", [](Renderer& r) { r.Points(16, kP, points, kCs, colors, RI_NULL); }, {"PointsV", args(16, kPairs)}},
        {"SubdivisionMesh",
         [](Renderer& r) { r.SubdivisionMesh(kType, 1, ints, ints, 1, strs, ints, ints, floats, kP, points, kCs, colors, RI_NULL); },
         {"SubdivisionMeshV", args(kType, 1, ints, ints, 1, strs, ints, ints, floats, kPairs)}},
        {"Blobby", [](Renderer& r) { r.Blobby(1, 4, ints, 3, floats, 1, strs, kP, points, kCs, colors, RI_NULL); }, {"BlobbyV", args(1, 4, ints, 3, floats, 1, strs, kPairs)}},
        {"Geometry", [](Renderer& r) { r.Geometry(kType, kP, points, kCs, colors, RI_NULL); }, {"GeometryV", args(kType, kPairs)}},
        {"MakeTexture",
         [](Renderer& r) { r.MakeTexture(kName, kType, kP, kCs, RiBoxFilter, 1, 2, kP, points, kCs, colors, RI_NULL); },
         {"MakeTextureV", args(kName, kType, kP, kCs, RiBoxFilter, 1.f, 2.f, kPairs)}},
        {"MakeLatLongEnvironment",
         [](Renderer& r) { r.MakeLatLongEnvironment(kName, kType, RiSincFilter, 1, 2, kP, points, kCs, colors, RI_NULL); },
         {"MakeLatLongEnvironmentV", args(kName, kType, RiSincFilter, 1.f, 2.f, kPairs)}},
        {"MakeCubeFaceEnvironment",
         [](Renderer& r) { r.MakeCubeFaceEnvironment(kName, kType, kP, kCs, kName, kType, kP, 90, RiTriangleFilter, 1, 2, kP, points, kCs, colors, RI_NULL); },
         {"MakeCubeFaceEnvironmentV", args(kName, kType, kP, kCs, kName, kType, kP, 90.f, RiTriangleFilter, 1.f, 2.f, kPairs)}},
        {"MakeShadow", [](Renderer& r) { r.MakeShadow(kName, kType, kP, points, kCs, colors, RI_NULL); }, {"MakeShadowV", args(kName, kType, kPairs)}},
        {"ReadArchive", [](Renderer& r) { r.ReadArchive(kName, archiveCallback, kP, points, kCs, colors, RI_NULL); }, {"ReadArchiveV", args(kName, archiveCallback, kPairs)}},
    };
}

TEST(Renderer, VariableArgumentOperationsCallTheirVForm)
{
    std::vector<Call> log;
    RecordingRenderer renderer(log);
    for (const Case& c : variadicCases()) {
        log.clear();
        c.call(renderer);
        ASSERT_EQ(1u, log.size()) << c.operation;
        EXPECT_EQ(c.expected.slot, log[0].slot) << c.operation;
        EXPECT_EQ(c.expected.args, log[0].args) << c.operation;
    }

    log.clear();
    renderer.ArchiveRecord(RI_COMMENT, "%s=%d", "answer", 42);
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ("ArchiveRecordV", log[0].slot);
    EXPECT_EQ("text:answer=42", log[0].args[2]);
}

class ContextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RiContext(nullptr);
        resetErrorPrinter();
        ribBinary = 0;
        ribCompression = 0;
    }
    void TearDown() override
    {
        RiContext(nullptr);
        ribBinary = 0;
        ribCompression = 0;
    }
    std::vector<Call> log;
};

TEST_F(ContextTest, ContextSwitchingAndEnd)
{
    EXPECT_EQ(nullptr, RiGetContext());
    auto* first = new RecordingRenderer(log);
    auto* second = new RecordingRenderer(log);
    EXPECT_EQ(first, RiContext(first));
    EXPECT_EQ(first, RiGetContext());
    EXPECT_EQ(static_cast<Renderer*>(first), currentRenderer);
    RiFrameBegin(1);
    RiContext(second);
    RiFrameBegin(2);
    EXPECT_EQ(second, RiGetContext());

    // RiEnd deletes the current renderer through its destructor and leaves
    // none current; the other one is untouched.
    RiEnd();
    EXPECT_EQ(nullptr, RiGetContext());
    ASSERT_EQ(3u, log.size());
    EXPECT_EQ("FrameBegin", log[0].slot);
    EXPECT_EQ(args(1), log[0].args);
    EXPECT_EQ(args(2), log[1].args);
    EXPECT_EQ("destructor", log[2].slot);

    RiContext(first);
    RiEnd();
    EXPECT_EQ(4u, log.size());
    EXPECT_EQ(nullptr, currentRenderer);
}

TEST_F(ContextTest, RibOptionSetsTheWriterModesWithoutARenderer)
{
    // A string value points to the string, as every value points to its data.
    RtString binaryFormat = "binary", asciiFormat = "ascii", gzip = "gzip", none = "none";
    RtString missing = nullptr;
    RiOption("rib", "format", &binaryFormat, RI_NULL);
    EXPECT_EQ(1, ribBinary);
    RiOption("RIB", "format", &asciiFormat, RI_NULL);
    EXPECT_EQ(0, ribBinary);
    RtInt binary = 7;
    RiOption("rib", "binary", &binary, RI_NULL);
    EXPECT_EQ(7, ribBinary);
    RiOption("rib", "compression", &gzip, "unknown", &binary, RI_NULL);
    EXPECT_EQ(1, ribCompression);
    RiOption("rib", "compression", &none, RI_NULL);
    EXPECT_EQ(0, ribCompression);
    RiOption("rib", "format", &binaryFormat, RI_NULL);
    RiOption("rib", "format", &missing, RI_NULL);
    EXPECT_EQ(0, ribBinary) << "a null string is not \"binary\"";

    RtToken tokens[3] = {"format", "compression", "binary"};
    RtInt zero = 0;
    RtPointer values[3] = {&binaryFormat, &gzip, &zero};
    RiOptionV("rib", 2, tokens, values);
    EXPECT_EQ(1, ribBinary);
    EXPECT_EQ(1, ribCompression);
    RiOptionV("RIB", 3, tokens, values);
    EXPECT_EQ(0, ribBinary) << "pairs are applied in order";
}

TEST_F(ContextTest, RibOptionNeverReachesTheRendererButOthersDo)
{
    RecordingRenderer renderer(log);
    RiContext(&renderer);
    RtString binaryFormat = "binary";
    RiOption("rib", "format", &binaryFormat, RI_NULL);
    RiOptionV("RIB", 0, nullptr, nullptr);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(1, ribBinary);
    // The comparison is exact and case-sensitive.
    RiOption("Rib", RI_NULL);
    RiOption("searchpath", RI_NULL);
    ASSERT_EQ(2u, log.size());
    EXPECT_EQ("OptionV", log[0].slot);
    EXPECT_EQ("OptionV", log[1].slot);
    RiContext(nullptr);
}

TEST_F(ContextTest, MotionBeginKeepsAtMostAHundredTimesAndReportsTheLimit)
{
    RecordingRenderer renderer(log);
    RiContext(&renderer);
    StderrCapture capture;
    RiMotionBegin(101, 0.0, 0.01, 0.02, 0.03, 0.04, 0.05, 0.06, 0.07, 0.08, 0.09, 0.10, 0.11, 0.12,
                  0.13, 0.14, 0.15, 0.16, 0.17, 0.18, 0.19, 0.20, 0.21, 0.22, 0.23, 0.24, 0.25, 0.26,
                  0.27, 0.28, 0.29, 0.30, 0.31, 0.32, 0.33, 0.34, 0.35, 0.36, 0.37, 0.38, 0.39, 0.40,
                  0.41, 0.42, 0.43, 0.44, 0.45, 0.46, 0.47, 0.48, 0.49, 0.50, 0.51, 0.52, 0.53, 0.54,
                  0.55, 0.56, 0.57, 0.58, 0.59, 0.60, 0.61, 0.62, 0.63, 0.64, 0.65, 0.66, 0.67, 0.68,
                  0.69, 0.70, 0.71, 0.72, 0.73, 0.74, 0.75, 0.76, 0.77, 0.78, 0.79, 0.80, 0.81, 0.82,
                  0.83, 0.84, 0.85, 0.86, 0.87, 0.88, 0.89, 0.90, 0.91, 0.92, 0.93, 0.94, 0.95, 0.96,
                  0.97, 0.98, 0.99, 1.00);
    EXPECT_EQ("ERROR: Program limit\n    --> RiMotionBegin\n", capture.text());
    EXPECT_EQ(RIE_LIMIT, RiLastError);
    ASSERT_EQ(1u, log.size());
    RtFloat expected[kMaxMotionTimes];
    for (int i = 0; i < kMaxMotionTimes; ++i) {
        expected[i] = static_cast<RtFloat>(i / 100.0);
    }
    EXPECT_EQ(args(Times{kMaxMotionTimes, expected}), log[0].args);

    // The base operation keeps the same limit.
    log.clear();
    StderrCapture second;
    renderer.MotionBegin(101, 0.0, 0.01, 0.02, 0.03, 0.04, 0.05, 0.06, 0.07, 0.08, 0.09, 0.10, 0.11,
                         0.12, 0.13, 0.14, 0.15, 0.16, 0.17, 0.18, 0.19, 0.20, 0.21, 0.22, 0.23,
                         0.24, 0.25, 0.26, 0.27, 0.28, 0.29, 0.30, 0.31, 0.32, 0.33, 0.34, 0.35,
                         0.36, 0.37, 0.38, 0.39, 0.40, 0.41, 0.42, 0.43, 0.44, 0.45, 0.46, 0.47,
                         0.48, 0.49, 0.50, 0.51, 0.52, 0.53, 0.54, 0.55, 0.56, 0.57, 0.58, 0.59,
                         0.60, 0.61, 0.62, 0.63, 0.64, 0.65, 0.66, 0.67, 0.68, 0.69, 0.70, 0.71,
                         0.72, 0.73, 0.74, 0.75, 0.76, 0.77, 0.78, 0.79, 0.80, 0.81, 0.82, 0.83,
                         0.84, 0.85, 0.86, 0.87, 0.88, 0.89, 0.90, 0.91, 0.92, 0.93, 0.94, 0.95,
                         0.96, 0.97, 0.98, 0.99, 1.00);
    // An identical report folds into a repeat count, so nothing is printed.
    EXPECT_EQ("", second.text());
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ(args(Times{kMaxMotionTimes, expected}), log[0].args);

    // Exactly a hundred is within the limit, and RiMotionBeginV has no limit.
    log.clear();
    resetErrorPrinter();
    StderrCapture third;
    RtFloat many[150] = {};
    RiMotionBeginV(150, many);
    EXPECT_EQ("", third.text());
    EXPECT_EQ("n:150", log[0].args[0].substr(0, 5));
    RiContext(nullptr);
}

// A renderer whose operations fail by throwing.
class ThrowingRenderer : public RecordingRenderer {
public:
    using RecordingRenderer::RecordingRenderer;
    void FrameBegin(RtInt) override { throw std::runtime_error("broken"); }
    void WorldBegin() override { throw std::bad_alloc(); }
    RtLightHandle LightSourceV(RtToken, RtInt, RtToken[], RtPointer[]) override
    {
        throw std::logic_error("no lights");
    }
};

TEST_F(ContextTest, ExceptionsFromTheRendererAreReportedNotPropagated)
{
    ThrowingRenderer renderer(log);
    RiContext(&renderer);
    StderrCapture capture;
    RtLightHandle light = reinterpret_cast<RtLightHandle>(1);
    EXPECT_NO_THROW({
        RiFrameBegin(1);
        RiWorldBegin();
        light = RiLightSource("pointlight", RI_NULL);
    });
    EXPECT_EQ(nullptr, light);
    EXPECT_EQ(
        "ERROR: Probable bug in renderer\n    --> RiFrameBegin\n"
        "ERROR: Memory allocation error\n    --> RiWorldBegin\n"
        "ERROR: Probable bug in renderer\n    --> RiLightSource\n",
        capture.text());
    RiContext(nullptr);
}

}  // namespace
