#include "tools/ribcheck/RibChecker.h"

#include "ExportedFrame.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {
using ribcheck::CheckOptions;
using ribcheck::CheckReport;
using ribcheck::Finding;

/// A finding as a case expects it: the line and a part of the message.
struct Expected {
    int line;
    std::string text;
};

struct Case {
    const char* name;
    std::string rib;
    std::vector<Expected> findings;
};

CheckReport check(const std::string& rib, CheckOptions options = {})
{
    std::istringstream input(rib);
    return ribcheck::checkRib(input, options);
}

std::string describe(const std::vector<Finding>& findings)
{
    std::string text;
    for (const Finding& finding : findings) {
        text += "  " + std::to_string(finding.line) + ": " + (finding.isNote ? "note: " : "") + finding.message + "\n";
    }
    return text;
}

void expectFindings(const Case& c, const CheckReport& report)
{
    SCOPED_TRACE(c.name);
    ASSERT_EQ(report.findings.size(), c.findings.size()) << "findings:\n"
                                                         << describe(report.findings);
    for (size_t i = 0; i < c.findings.size(); ++i) {
        EXPECT_EQ(report.findings[i].line, c.findings[i].line) << report.findings[i].message;
        EXPECT_NE(report.findings[i].message.find(c.findings[i].text), std::string::npos)
            << "got: " << report.findings[i].message << "\nwanted a part: " << c.findings[i].text;
    }
    EXPECT_EQ(report.problems, static_cast<long>(c.findings.size()));
}

// The frame opening and closing that blorp's exporter writes for scene 12.
const std::string kFrame =
    std::string(ribcapture::kHeader) + ribcapture::kFrameOpening +
    "LightSource \"spotlight\" 2 \"intensity\" [390] \"from\" [0 20 -1] \"to\" [0 -5 -1] \"coneangle\" [45]\n"
    "Illuminate 2 1\n"
    "AttributeBegin\n"
    "Surface \"glass\" \"blur\" [0.2] \"transmitcolor\" [0.8 0.2 0.2] \"Kr\" [0.3] \"Ks\" [0.5] \"Kd\" [0.4]\n"
    "TextureCoordinates [ 0 0 1 0 0 0.5 1 0.4 ]\n"
    "Patch \"bilinear\" \"P\" [-100 0 -100 -100 0 100 100 0 -100 100 0 100]\n"
    "AttributeEnd\n"
    "WorldEnd\n"
    "FrameEnd\n"
    "\n";

/// A bracketed array of `count` small numbers.
std::string numbers(int count)
{
    std::string text = "[";
    for (int i = 0; i < count; ++i) text += (i ? " " : "") + std::to_string(i % 7);
    return text + "]";
}

std::string points(int count) { return numbers(3 * count); }

/// `rib` inside a world, on the same lines: geometry belongs there.
std::string inWorld(const std::string& rib) { return "WorldBegin " + rib + "WorldEnd\n"; }
}  // namespace

TEST(RibChecker, AcceptsWellFormedStreams)
{
    const Case cases[] = {
        {"the exporter's frame", kFrame, {}},
        {"comments, inline declarations and per-vertex colours",
         inWorld("# a comment\n##Shaders PaintedPlastic\nDeclare \"Kq\" \"varying float[2]\"\n"
                 "Polygon \"P\" " +
                 points(4) + " \"Cs\" [1 0 0 0 1 0 0 0 1 1 1 1] \"Kq\" [1 2 3 4 5 6 7 8]"
                             " \"uniform float Kd\" [0.5] \"constant string name\" \"x\"\n"),
         {}},
        {"facevarying values, one per face corner of a mesh and as varying elsewhere",
         inWorld("Declare \"q\" \"facevarying float\"\n"
                 "PointsPolygons [3 3] [0 1 2 2 1 3] \"P\" " +
                 points(4) + " \"q\" [1 2 3 4 5 6]\n"
                             "SubdivisionMesh \"catmull-clark\" [4] [0 1 2 3] \"P\" " +
                 points(4) +
                 " \"facevarying float[2] uv\" " + numbers(8) + "\nSphere 1 -1 1 360 \"q\" [1 2 3 4]\n"),
         {}},
        {"a patch mesh with its varying and uniform parameters",
         inWorld("Basis \"bezier\" 3 \"bezier\" 3\nPatchMesh \"bicubic\" 7 \"nonperiodic\" 4 \"nonperiodic\" \"P\" " +
                 points(28) + " \"s\" [1 2 3 4 5 6] \"uniform color Cx\" [1 2 3 4 5 6]\n"),
         {}},
        {"every quadric with its arguments, in text and as one array",
         inWorld("Sphere 1 -1 1 360\nCone 1 0.5 360\nCylinder 1 -1 1 360 \"Cs\" [1 0 0 0 1 0 0 0 1 1 1 1]\n"
                 "Disk 0 1 360\n"
                 "Hyperboloid 1 0 0 1 1 1 360\nParaboloid 1 0 1 360\nTorus [1 0.25 0 360 360]\nColor 1 0 0\n"),
         {}},
        {"polygon meshes, curves and patches of every kind",
         inWorld("PointsPolygons [3 3] [0 1 2 2 1 3] \"P\" " + points(4) + " \"uniform color Cs\" [1 0 0 0 1 0]\n"
                                                                           "GeneralPolygon [4 3] \"P\" " +
                 points(7) + "\n"
                             "PointsGeneralPolygons [2] [4 3] [0 1 2 3 4 5 6] \"P\" " +
                 points(7) + "\n"
                             "Curves \"cubic\" [4 7] \"nonperiodic\" \"P\" " +
                 points(11) + " \"width\" [1 2 3 4 5]\n"
                              "NuPatch 4 4 [0 0 0 0 1 1 1 1] 0 1 2 2 [0 0 1 1] 0 1 \"Pw\" " +
                 numbers(32) + "\n"
                               "Patch \"bicubic\" \"P\" " +
                 points(16) + "\nPatchMesh \"bilinear\" 3 \"periodic\" 2 \"nonperiodic\" \"P\" " +
                 points(6) + "\n"),
         {}},
        {"objects defined before the world, motion of the camera and in the world",
         "Declare \"k\" \"float\"\nObjectBegin 1\nAttributeBegin\nColor 1 0 0\nBasis \"bezier\" 3 \"bezier\" 3\n"
         "Sphere 1 -1 1 360\nAttributeEnd\nObjectEnd\nFrameBegin 1\nProjection \"perspective\"\n"
         "MotionBegin [0 1]\nTranslate 0 0 -5\nTranslate 0 0 -4\nMotionEnd\nWorldBegin\nObjectInstance 1\n"
         "MotionBegin [0 0.5 1]\nSphere 1 -1 1 360\nDeclare \"j\" \"float\"\nSphere 1.5 -1 1 360\nSphere 2 -1 1 360\n"
         "MotionEnd\nMotionBegin [0 1]\nLightSource \"pointlight\" 1 \"intensity\" [1]\n"
         "LightSource \"pointlight\" 1 \"intensity\" [2]\nMotionEnd\nSolidBegin \"union\"\nSphere 1 -1 1 360\n"
         "SolidEnd\nWorldEnd\nFrameEnd\n",
         {}},
    };
    for (const Case& c : cases) expectFindings(c, check(c.rib));
}

TEST(RibChecker, ReportsEachFaultOnItsLine)
{
    const Case cases[] = {
        {"an end without its begin, and a block closed out of order",
         "AttributeEnd\nAttributeBegin\nTransformBegin\nAttributeEnd\nTransformEnd\n",
         {{1, "AttributeEnd without AttributeBegin"},
          {4, "AttributeEnd while the TransformBegin of line 3 is still open"},
          {5, "TransformEnd without TransformBegin"}}},
        {"blocks still open at the end of the file are reported where they begin",
         "FrameBegin 1\nWorldBegin\nAttributeBegin\nAttributeEnd\n",
         {{1, "FrameBegin never closed"}, {2, "WorldBegin never closed"}}},
        {"frames and worlds do not nest",
         "FrameBegin 1\nWorldBegin\nWorldBegin\nWorldEnd\nWorldEnd\nFrameBegin 2\nFrameEnd\nFrameEnd\n",
         {{3, "WorldBegin inside the WorldBegin of line 2"}, {6, "FrameBegin inside the FrameBegin of line 1"}}},
        {"a world inside any block but a frame",
         "FrameBegin 0\nFormat 400 400 1\nTransformBegin\nScale 1 1 -1\nWorldBegin\nWorldEnd\nTransformEnd\n"
         "AttributeBegin\nWorldBegin\nWorldEnd\nAttributeEnd\nFrameEnd\nObjectBegin 1\nWorldBegin\nWorldEnd\n"
         "ObjectEnd\nFrameBegin 1\nWorldBegin\nFrameBegin 2\nFrameEnd\nWorldEnd\nFrameEnd\n",
         {{5, "WorldBegin inside the TransformBegin of line 3"},
          {9, "WorldBegin inside the AttributeBegin of line 8"},
          {14, "WorldBegin inside the ObjectBegin of line 13"},
          {19, "FrameBegin inside the WorldBegin of line 18"}}},
        {"options and camera requests inside the world; geometry and lights outside it",
         "WorldBegin\nFormat 400 400 1\nDisplay \"a.tif\" \"file\" \"rgba\"\nProjection \"perspective\"\n"
         "Clipping 0.1 100\nPixelSamples 2 2\nScreenWindow -1 1 -1 1\nFrameAspectRatio 1\nHider \"hidden\"\n"
         "Exposure 1 1\nWorldEnd\nSphere 1 -1 1 360\nLightSource \"ambientlight\" 1\nIlluminate 1 1\n"
         "FrameBegin 1\nPolygon \"P\" " +
             points(3) + "\nSolidBegin \"union\"\nSolidEnd\nFrameEnd\n",
         {{2, "Format inside the WorldBegin of line 1"},
          {3, "Display inside the WorldBegin of line 1"},
          {4, "Projection inside the WorldBegin of line 1"},
          {5, "Clipping inside the WorldBegin of line 1"},
          {6, "PixelSamples inside the WorldBegin of line 1"},
          {7, "ScreenWindow inside the WorldBegin of line 1"},
          {8, "FrameAspectRatio inside the WorldBegin of line 1"},
          {9, "Hider inside the WorldBegin of line 1"},
          {10, "Exposure inside the WorldBegin of line 1"},
          {12, "Sphere outside the world"},
          {13, "LightSource outside the world"},
          {14, "Illuminate outside the world"},
          {16, "Polygon outside the world"},
          {17, "SolidBegin outside the world"}}},
        {"motion blocks of requests that cannot move, or not one per time",
         "WorldBegin\nMotionBegin [0 1]\nTranslate 0 0 0\nIlluminate 1 1\nMotionEnd\n"
         "MotionBegin [0 0.5 1]\nScale 1 1 1\nScale 2 2 2\nMotionEnd\n"
         "MotionBegin [0 1]\nAttributeBegin\nAttributeEnd\nSides 2\nMotionBegin [0 1]\nMotionEnd\nMotionEnd\n"
         "WorldEnd\n",
         {{4, "Illuminate inside the MotionBegin of line 2"},
          {9, "MotionEnd: the MotionBegin of line 6 gave 3 times and the block holds 2 requests"},
          {11, "AttributeBegin inside the MotionBegin of line 10"},
          {13, "Sides inside the MotionBegin of line 10"},
          {14, "MotionBegin inside the MotionBegin of line 10"},
          {15, "MotionEnd: the MotionBegin of line 14 gave 2 times and the block holds 0 requests"}}},
        {"object definitions holding shading, lights, options and blocks they may not hold",
         "ObjectBegin 1\nSurface \"plastic\"\nLightSource \"ambientlight\" 2\nFormat 1 1 1\nObjectBegin 2\nObjectEnd\n"
         "FrameBegin 3\nFrameEnd\nColor 1 0 0\nSphere 1 -1 1 360\nObjectEnd\n",
         {{2, "Surface inside the ObjectBegin of line 1"},
          {3, "LightSource inside the ObjectBegin of line 1"},
          {4, "Format inside the ObjectBegin of line 1"},
          {5, "ObjectBegin inside the ObjectBegin of line 1"},
          {7, "FrameBegin inside the ObjectBegin of line 1"}}},
        {"unknown requests, and stray values",
         "1 2 3\nversion 3.03\nPolygonn \"P\" [0 0 0]\nTranslate 0 0 -5 \nSpere 1 -1 1 360\n",
         {{1, "values before the first request"},
          {3, "unknown request \"Polygonn\""},
          {5, "unknown request \"Spere\""}}},
        {"wrong argument counts and kinds",
         inWorld("Sphere 1 -1 1\nSphere 1 -1 1 360 5\nTorus 1 0.25 0 360\nColor [1 0]\nOpacity 1 1\nCone 1 \"x\" 360\n"
                 "Sides 1.5\nTranslate 1 2\n"),
         {{1, "Sphere: missing thetamax"},
          {2, "Sphere: expected a parameter name, found a number"},
          {3, "Torus: missing thetamax"},
          {4, "Color: the array for red to blue has 2 values; 3 needed"},
          {5, "Opacity: missing blue"},
          {6, "Cone: missing radius"},
          {7, "Sides: sides must be a whole number"},
          {8, "Translate: missing dz"}}},
        {"P on polygons",
         inWorld("Polygon \"P\" [0 0 0 1 0 0 1 1 0 0]\nPolygon \"P\" [0 0 0 1 0 0]\nPolygon \"P\" " + points(4) +
                 " \"Cs\" [1 0 0 0 1 0 0 0 1]\nPolygon \"Cs\" [1 0 0]\n"),
         {{1, "\"P\" on Polygon has 10 values, not a multiple of 3"},
          {2, "Polygon with 2 vertices; at least 3 needed"},
          {3, "\"Cs\" on Polygon has 9 values; varying color needs 12"},
          {4, "Polygon without \"P\""}}},
        {"P on patches",
         inWorld("Patch \"bilinear\" \"P\" " + points(16) + "\nPatch \"bicubic\" \"P\" " + points(4) +
                 "\nPatch \"biquadratic\" \"P\" " + points(4) +
                 "\nPatchMesh \"bicubic\" 7 \"nonperiodic\" 4 \"nonperiodic\" \"P\" " + points(27) + "\n"),
         {{1, "\"P\" on Patch has 48 values; vertex point needs 12"},
          {2, "\"P\" on Patch has 12 values; vertex point needs 48"},
          {3, "unknown patch type \"biquadratic\""},
          {4, "\"P\" on PatchMesh has 81 values; vertex point needs 84"}}},
        {"patch meshes against the steps of the current basis, restored at the end of a block",
         inWorld("AttributeBegin\nBasis \"b-spline\" 1 \"b-spline\" 1\nPatchMesh \"bicubic\" 5 \"nonperiodic\" 6 "
                 "\"nonperiodic\" \"P\" " +
                 points(30) + "\nAttributeEnd\n"
                              "PatchMesh \"bicubic\" 5 \"nonperiodic\" 6 \"nonperiodic\" \"P\" " +
                 points(30) + "\n"
                              "PatchMesh \"bicubic\" 6 \"periodic\" 4 \"nonperiodic\" \"P\" " +
                 points(24) + "\n"
                              "PatchMesh \"bicubic\" 4 \"sometimes\" 4 \"nonperiodic\" \"P\" " +
                 points(16) + "\n"
                              "Basis \"bezier\" 0 \"bezier\" 3\nBasis \"spline\" 3 \"bezier\" 3\n"
                              "PatchMesh \"bilinear\" 1 \"nonperiodic\" 2 \"nonperiodic\" \"P\" " +
                 points(2) + "\n"),
         {{5,
           "PatchMesh \"bicubic\" does not fit the basis: nu 5 (nonperiodic, u step 3, needs 4, 7, 10, ...), "
           "nv 6 (nonperiodic, v step 3, needs 4, 7, 10, ...)"},
          {7, "uwrap \"sometimes\" is neither"},
          {8, "Basis steps must be at least 1"},
          {9, "unknown basis \"spline\""},
          {10, "PatchMesh \"bilinear\" nu 1: a nonperiodic mesh needs at least 2"}}},
        {"declarations",
         "Surface \"glass\" \"blur\" [0.2]\nDeclare \"blur\" \"float\"\nSurface \"glass\" \"blur\" [0.2]\n"
         "Declare \"odd\" \"uniform floatish\"\nSurface \"paintedplastic\" \"texturename\" [1]\n"
         "Surface \"plastic\" \"Kd\" [\"x\"]\nSurface \"plastic\" \"Kd\" [0.1 0.2]\nOption \"limits\" \"bucketsize\" [16.5 16]\n"
         "Surface \"plastic\" \"Kd\"\n",
         {{1, "undeclared parameter \"blur\" on Surface"},
          {4, "Declare \"odd\": cannot read the declaration \"uniform floatish\""},
          {5, "\"texturename\" on Surface needs strings"},
          {6, "\"Kd\" on Surface needs numbers"},
          {7, "\"Kd\" on Surface has 2 values; float needs 1"},
          {8, "\"bucketsize\" on Option needs whole numbers"},
          {9, "\"Kd\" on Surface has no value"}}},
        {"polygon meshes, curves and NURBS with inconsistent counts",
         inWorld("PointsPolygons [3 3] [0 1 2 2 1] \"P\" " + points(3) + "\nGeneralPolygon [2] \"P\" " + points(2) +
                 "\nCurves \"cubic\" [5] \"nonperiodic\" \"P\" " + points(5) +
                 "\nNuPatch 4 4 [0 0 0 0 1 1 1] 0 1 2 2 [0 0 1 1] 0 1 \"Pw\" " + numbers(32) +
                 "\nPointsPolygons [3] [0 1 3] \"P\" " + points(3) + "\n"),
         {{1, "PointsPolygons: vertices has 5 indices; nvertices adds up to 6"},
          {2, "GeneralPolygon: a loop of 2 vertices; at least 3 needed"},
          {3, "Curves: curve 1 has 5 vertices"},
          {4, "NuPatch: uknot has 7 values; 8 needed"},
          {5, "\"P\" on PointsPolygons has 9 values; vertex point needs 12"}}},
        {"values a renderer cannot read",
         "Translate nan 0 -5\nColor [1 -inf 0]\nScale 1 1.2.3 1\nFormat 400 ] 300 1\n",
         {{1, "Translate has a value that is not a finite number"},
          {2, "Color has a value that is not a finite number"},
          {3, "cannot read \"1.2.3\""},
          {3, "Scale: missing sz"},
          {4, "\"]\" without \"[\""}}},
        {"a finding names the line of the parameter, also in a request over several lines",
         inWorld("Polygon\n  \"P\" [0 0 0\n         1 0 0\n         1 1 0]\n  \"Cs\" [1 0 0\n   0 1 0]\n"
                 "Surface \"glass\"\n"),
         {{5, "\"Cs\" on Polygon has 6 values; varying color needs 9"}}},
        {"a string over two lines counts both",
         "Display \"a\nb\" \"file\" \"rgba\"\nDisplay \"x\" \"file\"\n",
         {{3, "Display: missing mode"}}},
        {"an unclosed array ends at the next request; an unclosed string at the end of the file",
         "Color [1 0 0\nTranslate 0 0 1\nSurface \"plastic\n",
         {{1, "array not closed before Translate"}, {3, "string without its closing quote"}}},
        {"a facevarying value counted by the mesh's vertices",
         inWorld("PointsPolygons [3 3] [0 1 2 2 1 3] \"P\" " + points(4) + " \"facevarying float q\" [1 2 3 4]\n"),
         {{1, "\"facevarying float q\" on PointsPolygons has 4 values; facevarying float needs 6"}}},
        {"colours have as many components as the colour samples, until the frame ends",
         "FrameBegin 1\nColorSamples [1 1 1] [0.3 0.59 0.11]\nColor [0.5]\nOpacity 1 0 0\n"
         "WorldBegin\nPolygon \"P\" [0 0 0 1 0 0 0 1 0] \"Cs\" [0.1 0.2 0.3]\nWorldEnd\nFrameEnd\n"
         "Color [0.5]\nColorSamples [1 1] [1 1]\n",
         {{4, "Opacity has 3 values; 1 colour samples need as many"},
          {9, "Color: the array for red to blue has 1 values; 3 needed"},
          {10, "ColorSamples needs two arrays of 3n numbers"}}},
    };
    for (const Case& c : cases) expectFindings(c, check(c.rib));
}

namespace {
/// Builds RIB bytes with binary-encoded floats among the text.
class BinaryRib {
public:
    BinaryRib& text(const std::string& t)
    {
        bytes += t;
        return *this;
    }
    BinaryRib& bits(std::uint32_t value)
    {
        for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>((value >> shift) & 0xFF);
        return *this;
    }
    BinaryRib& single(float value)
    {
        bytes += '\xA4';
        return bits(toBits(value));
    }
    /// An array header of the shortest form for `count`, then the values.
    BinaryRib& array(const std::vector<float>& values)
    {
        const std::uint32_t count = static_cast<std::uint32_t>(values.size());
        if (count < 256) {
            bytes += '\xC8';
            bytes += static_cast<char>(count);
        } else {
            bytes += '\xC9';
            bytes += static_cast<char>(count >> 8);
            bytes += static_cast<char>(count & 0xFF);
        }
        for (float value : values) bits(toBits(value));
        return *this;
    }
    std::string bytes;

private:
    static std::uint32_t toBits(float value)
    {
        std::uint32_t result;
        std::memcpy(&result, &value, sizeof result);
        return result;
    }
};

float fromBits(std::uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
}  // namespace

TEST(RibChecker, ReadsBinaryFloatsAmongText)
{
    // Values whose bytes are a newline, a quote, "#" and "[": they must
    // neither count as lines nor start text items.
    const std::vector<float> awkward = {fromBits(0x3F80000A), fromBits(0x3F800022), fromBits(0x3F800023),
                                        fromBits(0x3F80005B)};
    std::vector<float> mesh(300, 0.5f);  // 10 x 10 points: a two-byte count
    BinaryRib rib;
    rib.text("WorldBegin Color ").array({1, 0, 0}).text("\n").text("Translate ").single(0).single(0).single(-5).text("\n").text("Polygon \"P\" ").array({awkward[0], awkward[1], awkward[2], awkward[3], 0, 0, 0, 1, 0, 0, 1, 1}).text(" \"Cs\" ").array({1, 0, 0, 1, 0, 0, 1, 0, 0}).text("\n").text("PatchMesh \"bicubic\" 10 \"nonperiodic\" 10 \"nonperiodic\" \"P\" ").array(mesh).text("\n").text("Opacity ").array({0.5f, 0.5f}).text("\n").text("Sphere 1 -1 1 ").single(360).text(" \"Cs\" ").array({1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 1, 1}).text("\n").text("WorldEnd\n");
    expectFindings({"binary floats and arrays",
                    rib.bytes,
                    {{3, "\"Cs\" on Polygon has 9 values; varying color needs 12"},
                     {5, "Opacity: the array for red to blue has 2 values; 3 needed"}}},
                   check(rib.bytes));

    const Case cutShort[] = {
        {"a float array cut short", BinaryRib().text("Color ").bits(0xC8030000).bytes, {{1, "binary float array of 3 values cut short by the end of the file after 0"}}},
        {"a single float cut short", BinaryRib().text("Color [1 0 0]\nTranslate \xA4").bits(0).bytes.substr(0, 26), {{2, "binary float cut short by the end of the file"}}},
        {"a binary code the checker does not read stops it",
         BinaryRib().text("WorldBegin\nTranslate \x80\x01 0 0\nWorldEnd\n").bytes,
         {{2, "binary code 0x80 is not supported"}}},
    };
    for (const Case& c : cutShort) expectFindings(c, check(c.rib));
}

TEST(RibChecker, PartialMeshesBecomeNotesOnlyWhenAllowed)
{
    // A 4 x 3 mesh (a soft body side with 3 x 2 cells) and a P array that
    // does not match: only the first is a partial mesh.
    const std::string rib =
        "WorldBegin Basis \"bezier\" 3 \"bezier\" 3\n"
        "PatchMesh \"bicubic\" 4 \"nonperiodic\" 3 \"nonperiodic\" \"P\" " +
        points(12) +
        "\n"
        "PatchMesh \"bicubic\" 4 \"nonperiodic\" 4 \"nonperiodic\" \"P\" " +
        points(12) +
        "\nWorldEnd\n";
    const CheckReport strict = check(rib);
    ASSERT_EQ(strict.findings.size(), 2u) << describe(strict.findings);
    EXPECT_FALSE(strict.findings[0].isNote);
    EXPECT_EQ(strict.findings[0].line, 2);
    EXPECT_EQ(strict.problems, 2);

    const CheckReport allowing = check(rib, CheckOptions{true});
    ASSERT_EQ(allowing.findings.size(), 2u) << describe(allowing.findings);
    EXPECT_TRUE(allowing.findings[0].isNote);
    EXPECT_EQ(allowing.findings[0].message, strict.findings[0].message);
    EXPECT_FALSE(allowing.findings[1].isNote) << "a wrong P count still counts";
    EXPECT_EQ(allowing.findings[1].message, "\"P\" on PatchMesh has 36 values; vertex point needs 48");
    EXPECT_EQ(allowing.problems, 1);
}

TEST(RibChecker, CountsRequestsAndFrames)
{
    const CheckReport report = check(kFrame + kFrame);
    EXPECT_EQ(report.requests, 2 * 22);
    EXPECT_EQ(report.frames, 2);
    EXPECT_EQ(report.problems, 0);
}
