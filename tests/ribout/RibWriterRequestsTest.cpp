// Exact text of every request the RIB writer knows, one table row each.

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <ri.h>
#include "ribout/ErrorReporting.h"
#include "ribout/Renderer.h"
#include "RibCapture.h"

namespace {

using ribcapture::currentWriter;
using ribcapture::requests;

struct RequestCase {
    const char* label;
    std::function<void()> calls;
    std::string expected;
};

RtFloat customFilter(RtFloat, RtFloat, RtFloat, RtFloat)
{
    return 1;
}

void customHandler(RtInt, RtInt, const char*) {}

void runTable(const std::vector<RequestCase>& cases)
{
    for (const RequestCase& c : cases) {
        EXPECT_EQ(requests(c.calls), c.expected) << "request: " << c.label;
    }
}

TEST(RibWriter, WritesFrameCameraAndOptionRequests)
{
    static RtInt origin[2] = {10, 20};
    static RtInt gridsize = 16;
    static RtFloat fov = 90;
    runTable({
        {"FrameBegin", [] { RiFrameBegin(3); }, "FrameBegin 3\n"},
        {"FrameEnd", [] { RiFrameEnd(); }, "FrameEnd\n"},
        {"WorldBegin", [] { RiWorldBegin(); }, "WorldBegin\n"},
        {"WorldEnd", [] { RiWorldEnd(); }, "WorldEnd\n"},
        {"Format", [] { RiFormat(640, 480, 1.5f); }, "Format 640 480 1.5\n"},
        {"FrameAspectRatio", [] { RiFrameAspectRatio(1.25f); }, "FrameAspectRatio 1.25\n"},
        {"ScreenWindow", [] { RiScreenWindow(-1, 1, -0.75f, 0.75f); },
         "ScreenWindow -1 1 -0.75 0.75\n"},
        {"CropWindow", [] { RiCropWindow(0, 0.5f, 0.25f, 1); }, "CropWindow 0 0.5 0.25 1\n"},
        {"Projection", [] { RiProjection("perspective", "fov", &fov, RI_NULL); },
         "Projection \"perspective\" \"fov\" [90]\n"},
        {"Projection without parameters", [] { RiProjection("orthographic", RI_NULL); },
         "Projection \"orthographic\"\n"},
        {"Clipping", [] { RiClipping(0.1f, 10000); }, "Clipping 0.1 10000\n"},
        {"DepthOfField", [] { RiDepthOfField(2.8f, 0.05f, 3); }, "DepthOfField 2.8 0.05 3\n"},
        {"Shutter", [] { RiShutter(0, 0.5f); }, "Shutter 0 0.5\n"},
        {"PixelVariance", [] { RiPixelVariance(0.01f); }, "PixelVariance 0.01\n"},
        {"PixelSamples", [] { RiPixelSamples(2, 3); }, "PixelSamples 2 3\n"},
        {"PixelFilter gaussian", [] { RiPixelFilter(RiGaussianFilter, 2, 2.5f); },
         "PixelFilter \"gaussian\" 2 2.5\n"},
        {"PixelFilter box", [] { RiPixelFilter(RiBoxFilter, 1, 1); },
         "PixelFilter \"box\" 1 1\n"},
        {"PixelFilter triangle", [] { RiPixelFilter(RiTriangleFilter, 2, 2); },
         "PixelFilter \"triangle\" 2 2\n"},
        {"PixelFilter catmull-rom", [] { RiPixelFilter(RiCatmullRomFilter, 4, 4); },
         "PixelFilter \"catmull-rom\" 4 4\n"},
        {"PixelFilter sinc", [] { RiPixelFilter(RiSincFilter, 4, 4); },
         "PixelFilter \"sinc\" 4 4\n"},
        // RIB has no name for it: reported (see the texture test), not written.
        {"PixelFilter of the caller", [] { RiPixelFilter(customFilter, 3, 3); }, ""},
        {"Exposure", [] { RiExposure(1, 2.2f); }, "Exposure 1 2.2\n"},
        {"Quantize", [] { RiQuantize("rgba", 255, 0, 255, 0.5f); },
         "Quantize \"rgba\" 255 0 255 0.5\n"},
        {"Display", [] { RiDisplay("out.tif", "file", "rgb", "origin", origin, RI_NULL); },
         "Display \"out.tif\" \"file\" \"rgb\" \"origin\" [10 20 ]\n"},
        {"Hider", [] { RiHider("hidden", RI_NULL); }, "Hider \"hidden\"\n"},
        {"ColorSamples",
         [] {
             RtFloat toRgb[6] = {1, 1, 1, 0.5f, 0.5f, 0.5f};
             RtFloat fromRgb[6] = {0.3f, 0.7f, 0.59f, 0.1f, 0.11f, 0.2f};
             RiColorSamples(2, toRgb, fromRgb);
         },
         "ColorSamples [1 1 1 0.5 0.5 0.5] [0.3 0.7 0.59 0.1 0.11 0.2]\n"},
        {"RelativeDetail", [] { RiRelativeDetail(0.6f); }, "RelativeDetail 0.6\n"},
        {"Option", [] { RiOption("limits", "gridsize", &gridsize, RI_NULL); },
         "Option \"limits\" \"gridsize\" [16 ]\n"},
    });
}

TEST(RibWriter, WritesAttributeRequests)
{
    static RtColor color = {0.5f, 0.45f, 0.5f};
    static RtBound bound = {-1, 1, -2, 2, -3, 3};
    static RtString on = "on";
    runTable({
        {"AttributeBegin", [] { RiAttributeBegin(); }, "AttributeBegin\n"},
        {"AttributeEnd", [] { RiAttributeEnd(); }, "AttributeEnd\n"},
        {"Color", [] { RiColor(color); }, "Color [0.5 0.45 0.5]\n"},
        {"Opacity", [] { RiOpacity(color); }, "Opacity [0.5 0.45 0.5]\n"},
        {"TextureCoordinates", [] { RiTextureCoordinates(0, 0, 1, 0, 0, 1, 1, 1); },
         "TextureCoordinates [ 0 0 1 0 0 1 1 1 ]\n"},
        {"ShadingRate", [] { RiShadingRate(0.25f); }, "ShadingRate 0.25\n"},
        {"ShadingInterpolation", [] { RiShadingInterpolation("smooth"); },
         "ShadingInterpolation \"smooth\"\n"},
        {"Matte", [] { RiMatte(1); }, "Matte 1\n"},
        {"Bound", [] { RiBound(bound); }, "Bound [-1 1 -2 2 -3 3]\n"},
        {"Detail", [] { RiDetail(bound); }, "Detail [-1 1 -2 2 -3 3]\n"},
        {"DetailRange", [] { RiDetailRange(0, 1, 10, 20); }, "DetailRange 0 1 10 20\n"},
        {"GeometricApproximation", [] { RiGeometricApproximation("flatness", 0.5f); },
         "GeometricApproximation \"flatness\" 0.5\n"},
        {"GeometricRepresentation", [] { RiGeometricRepresentation("lines"); },
         "GeometricRepresentation \"lines\"\n"},
        {"Sides", [] { RiSides(2); }, "Sides 2\n"},
        {"Orientation", [] { RiOrientation("rh"); }, "Orientation \"rh\"\n"},
        {"ReverseOrientation", [] { RiReverseOrientation(); }, "ReverseOrientation\n"},
        {"Attribute", [] { RiAttribute("light", "shadows", &on, RI_NULL); },
         "Attribute \"light\" \"shadows\" [\"on\"]\n"},
    });
}

TEST(RibWriter, WritesTransformRequests)
{
    static RtMatrix identity = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    runTable({
        {"Identity", [] { RiIdentity(); }, "Identity\n"},
        {"ConcatTransform", [] { RiConcatTransform(identity); },
         "ConcatTransform [1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1]\n"},
        {"Transform", [] { RiTransform(identity); },
         "Transform [1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1]\n"},
        {"Perspective", [] { RiPerspective(45); }, "Perspective 45\n"},
        {"Translate keeps its trailing space", [] { RiTranslate(0, 0, -5); },
         "Translate 0 0 -5 \n"},
        {"Rotate", [] { RiRotate(90, 0, 1, 0); }, "Rotate 90 0 1 0 \n"},
        {"Scale has no trailing space", [] { RiScale(1, 1, -1); }, "Scale 1 1 -1\n"},
        {"Skew", [] { RiSkew(45, 0, 1, 0, 1, 0, 0); }, "Skew 45   0 1 0   1 0 0\n"},
        {"CoordinateSystem", [] { RiCoordinateSystem("lamp"); },
         "CoordinateSystem \"lamp\"\n"},
        {"CoordSysTransform", [] { RiCoordSysTransform("lamp"); },
         "CoordSysTransform \"lamp\"\n"},
        {"TransformPoints writes nothing",
         [] {
             RtPoint points[1] = {{1, 2, 3}};
             EXPECT_EQ(RiTransformPoints("world", "camera", 1, points), nullptr);
         },
         ""},
        {"TransformBegin", [] { RiTransformBegin(); }, "TransformBegin\n"},
        {"TransformEnd", [] { RiTransformEnd(); }, "TransformEnd\n"},
        {"MotionBegin", [] { RiMotionBegin(2, 0.0, 0.5); }, "MotionBegin [0 0.5]\n"},
        {"MotionEnd", [] { RiMotionEnd(); }, "MotionEnd\n"},
    });
}

TEST(RibWriter, WritesShaderAndLightRequests)
{
    static RtFloat amplitude = 0.25f;
    static RtColor background = {0, 0, 1};
    static RtFloat intensity = 390;
    static RtPoint from = {0, 20, -1};
    static RtPoint to = {0, -5, -1};
    static RtFloat coneangle = 45;
    runTable({
        {"Surface", [] { RiSurface("plastic", RI_NULL); }, "Surface \"plastic\"\n"},
        {"Displacement", [] { RiDisplacement("bumpy", "amplitude", &amplitude, RI_NULL); },
         "Displacement \"bumpy\" \"amplitude\" [0.25]\n"},
        {"Atmosphere", [] { RiAtmosphere("fog", RI_NULL); }, "Atmosphere \"fog\"\n"},
        {"Interior", [] { RiInterior("water", RI_NULL); }, "Interior \"water\"\n"},
        {"Exterior", [] { RiExterior("smoke", RI_NULL); }, "Exterior \"smoke\"\n"},
        {"Imager", [] { RiImager("background", "background", background, RI_NULL); },
         "Imager \"background\" \"background\" [0 0 1]\n"},
        {"LightSource in parameter order",
         [] {
             RiLightSource("spotlight", "intensity", &intensity, "from", from, "to", to,
                           "coneangle", &coneangle, RI_NULL);
         },
         "LightSource \"spotlight\" 1 \"intensity\" [390] \"from\" [0 20 -1] \"to\" [0 -5 -1] "
         "\"coneangle\" [45]\n"},
        {"second light gets handle 2, area lights share the counter",
         [] {
             RtLightHandle first = RiLightSource("ambientlight", RI_NULL);
             RtLightHandle second = RiAreaLightSource("arealight", RI_NULL);
             RtLightHandle third = RiLightSource("distantlight", RI_NULL);
             RiIlluminate(second, 0);
             RiIlluminate(third, 1);
             RiIlluminate(first, 1);
         },
         "LightSource \"ambientlight\" 1\nAreaLightSource \"arealight\" 2\n"
         "LightSource \"distantlight\" 3\nIlluminate 2 0\nIlluminate 3 1\nIlluminate 1 1\n"},
    });
}

TEST(RibWriter, WritesQuadricsWithTheirParameters)
{
    static RtPoint p1 = {1, 0, -1};
    static RtPoint p2 = {0.5f, 0.5f, 1};
    static RtColor cs[4] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 1}};
    runTable({
        {"Sphere", [] { RiSphere(1, -1, 1, 360, RI_NULL); }, "Sphere 1 -1 1 360\n"},
        {"Sphere with a varying colour (4 corners)", [] { RiSphere(0.5f, -0.5f, 0.5f, 180, "Cs", cs, RI_NULL); },
         "Sphere 0.5 -0.5 0.5 180 \"Cs\" [1 0 0 0 1 0 0 0 1 1 1 1]\n"},
        {"Cone", [] { RiCone(2, 0.5f, 360, RI_NULL); }, "Cone 2 0.5 360\n"},
        {"Cylinder", [] { RiCylinder(1, 0, 2, 270, RI_NULL); }, "Cylinder 1 0 2 270\n"},
        {"Disk", [] { RiDisk(0, 3, 360, RI_NULL); }, "Disk 0 3 360\n"},
        {"Hyperboloid", [] { RiHyperboloid(p1, p2, 360, RI_NULL); },
         "Hyperboloid 1 0 -1 0.5 0.5 1 360\n"},
        {"Paraboloid", [] { RiParaboloid(1, 0, 2, 360, RI_NULL); }, "Paraboloid 1 0 2 360\n"},
        {"Torus", [] { RiTorus(1, 0.25f, 0, 360, 360, RI_NULL); }, "Torus 1 0.25 0 360 360\n"},
    });
}

TEST(RibWriter, WritesSolidObjectArchiveAndHandlerRequests)
{
    static RtString archive[1] = {"bush.rib"};
    static RtString program[2] = {"grow", "oak 3"};
    static RtBound bound = {-1, 1, -1, 1, 0, 4};
    runTable({
        {"SolidBegin", [] { RiSolidBegin("union"); }, "SolidBegin \"union\"\n"},
        {"SolidEnd", [] { RiSolidEnd(); }, "SolidEnd\n"},
        {"objects are numbered from 1",
         [] {
             RtObjectHandle first = RiObjectBegin();
             RiObjectEnd();
             RtObjectHandle second = RiObjectBegin();
             RiObjectEnd();
             RiObjectInstance(second);
             RiObjectInstance(first);
         },
         "ObjectBegin 1\nObjectEnd\nObjectBegin 2\nObjectEnd\nObjectInstance 2\n"
         "ObjectInstance 1\n"},
        {"Geometry", [] { RiGeometry("teapot", RI_NULL); }, "Geometry \"teapot\"\n"},
        {"Procedural DelayedReadArchive",
         [] { RiProcedural(archive, bound, RiProcDelayedReadArchive, nullptr); },
         "Procedural \"DelayedReadArchive\" [\"bush.rib\"] [-1 1 -1 1 0 4]\n"},
        {"Procedural RunProgram",
         [] { RiProcedural(program, bound, RiProcRunProgram, nullptr); },
         "Procedural \"RunProgram\" [\"grow\" \"oak 3\"] [-1 1 -1 1 0 4]\n"},
        {"Procedural DynamicLoad",
         [] { RiProcedural(program, bound, RiProcDynamicLoad, nullptr); },
         "Procedural \"DynamicLoad\" [\"grow\" \"oak 3\"] [-1 1 -1 1 0 4]\n"},
        {"ReadArchive", [] { RiReadArchive("set.rib", nullptr, RI_NULL); },
         "ReadArchive \"set.rib\"\n"},
        {"ErrorHandler ignore", [] { RiErrorHandler(RiErrorIgnore); },
         "ErrorHandler \"ignore\"\n"},
        {"ErrorHandler print", [] { RiErrorHandler(RiErrorPrint); },
         "ErrorHandler \"print\"\n"},
        {"ErrorHandler abort", [] { RiErrorHandler(RiErrorAbort); },
         "ErrorHandler \"abort\"\n"},
        {"ErrorHandler of the caller writes nothing", [] { RiErrorHandler(customHandler); }, ""},
        {"ArchiveRecord comment", [] { RiArchiveRecord("comment", "frame %d of %s", 7, "blorp"); },
         "# frame 7 of blorp\n"},
        {"ArchiveRecord structure", [] { RiArchiveRecord(RI_STRUCTURE, "Scene %s", "room"); },
         "##Scene room\n"},
        {"ArchiveRecord verbatim", [] { RiArchiveRecord("verbatim", "Sides %d\n", 1); },
         "Sides 1\n"},
        {"ArchiveRecord of another type writes nothing",
         [] { RiArchiveRecord("note", "ignored"); }, ""},
    });
    // The handlers above are installed for the library's own reports too.
    installErrorHandler(nullptr);
}

TEST(RibWriter, WritesTextureRequestsWithoutTheirParameterLists)
{
    static RtFloat blur = 0.5f;
    static RtToken blurToken[] = {"blur"};
    static RtPointer blurValue[] = {&blur};
    runTable({
        {"RiMakeTexture",
         [] { RiMakeTexture("in.tif", "out.tx", "periodic", "clamp", RiGaussianFilter, 2, 2, RI_NULL); },
         "MakeTexture \"in.tif\" \"out.tx\" \"periodic\" \"clamp\" \"gaussian\" 2 2\n"},
        {"RiMakeBumpV",
         [] { RiMakeBumpV("h.tif", "h.bump", "black", "black", RiBoxFilter, 1, 1, 1, blurToken, blurValue); },
         "MakeBump \"h.tif\" \"h.bump\" \"black\" \"black\" \"box\" 1 1\n"},
        {"RiMakeLatLongEnvironment",
         [] { RiMakeLatLongEnvironment("sky.tif", "sky.env", RiCatmullRomFilter, 4, 4, RI_NULL); },
         "MakeLatLongEnvironment \"sky.tif\" \"sky.env\" \"catmull-rom\" 4 4\n"},
        {"RiMakeCubeFaceEnvironmentV",
         [] {
             RiMakeCubeFaceEnvironmentV("px", "nx", "py", "ny", "pz", "nz", "cube.env", 95,
                                        RiSincFilter, 2, 2, 0, nullptr, nullptr);
         },
         "MakeCubeFaceEnvironment \"px\" \"nx\" \"py\" \"ny\" \"pz\" \"nz\" \"cube.env\" 95 "
         "\"sinc\" 2 2\n"},
        {"RiMakeShadow", [] { RiMakeShadow("depth.z", "shadow.tx", RI_NULL); },
         "MakeShadow \"depth.z\" \"shadow.tx\"\n"},
        {"MakeTexture",
         [] {
             currentWriter()->MakeTexture("in.tif", "out.tx", "periodic", "clamp",
                                          RiGaussianFilter, 2, 2, "blur", &blur, RI_NULL);
         },
         "MakeTexture \"in.tif\" \"out.tx\" \"periodic\" \"clamp\" \"gaussian\" 2 2\n"},
        {"MakeLatLongEnvironment",
         [] {
             currentWriter()->MakeLatLongEnvironment("sky.tif", "sky.env", RiBoxFilter, 1, 1,
                                                     RI_NULL);
         },
         "MakeLatLongEnvironment \"sky.tif\" \"sky.env\" \"box\" 1 1\n"},
        {"MakeCubeFaceEnvironment",
         [] {
             currentWriter()->MakeCubeFaceEnvironment("px", "nx", "py", "ny", "pz", "nz",
                                                      "cube.env", 95, customFilter, 2, 2,
                                                      RI_NULL);
         },
         ""},
        {"MakeShadow", [] { currentWriter()->MakeShadow("depth.z", "shadow.tx", RI_NULL); },
         "MakeShadow \"depth.z\" \"shadow.tx\"\n"},
    });
}

TEST(RibWriter, LeavesOutRequestsWhoseFilterRibCannotName)
{
    testing::internal::CaptureStderr();
    const std::string text = requests([] {
        RiPixelFilter(customFilter, 3, 3);
        RiMakeTexture("in.tif", "out.tx", "periodic", "clamp", customFilter, 2, 2, RI_NULL);
        RiWorldBegin();
    });
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "ribout error: PixelFilter with a filter function RIB cannot name\n"
              "ribout error: MakeTexture with a filter function RIB cannot name\n");
    EXPECT_EQ(text, "WorldBegin\n") << "the next request must start a line of its own";
}

TEST(RibWriter, WritesTheFrameOpeningOfTheExporter)
{
    const std::string text = requests([] {
        RiFrameBegin(0);
        RiDisplay("blorp000.tif", "file", "rgba", RI_NULL);
        RiFormat(400, 400, 1.0f);
        RtFloat fov = 90;
        RiProjection("perspective", "fov", &fov, RI_NULL);
        RiScale(1, 1, -1);
        RiTranslate(0, 0, -5);
        RiDeclare("blur", "float");
        RiDeclare("transmitcolor", "color");
        RiWorldBegin();
        RtFloat intensity = 0.7f;
        RtLightHandle light = RiLightSource("ambientlight", "intensity", &intensity, RI_NULL);
        RiIlluminate(light, 1);
        RtString on = "on";
        RiAttribute("light", "shadows", &on, RI_NULL);
    });
    EXPECT_EQ(text, ribcapture::kFrameOpening);
}

}  // namespace
