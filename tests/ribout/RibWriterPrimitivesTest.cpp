// Geometric primitives: exact text and the element counts that decide how
// many values each vertex, varying and uniform parameter carries.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <ri.h>
#include "ribout/Declarations.h"
#include "RibCapture.h"

namespace {

using ribcapture::requests;

// Counting floats are 0.5 so that every value is written as one short word.
std::vector<RtFloat> filler(std::size_t count)
{
    return std::vector<RtFloat>(count, 0.5f);
}

// How many values stand in the bracket after `"token" ` in `text`; -1 when
// the token is missing.
int valuesAfter(const std::string& text, const std::string& token)
{
    const std::string quoted = "\"" + token + "\" [";
    const std::size_t start = text.find(quoted);
    if (start == std::string::npos) {
        return -1;
    }
    const std::size_t open = start + quoted.size();
    const std::size_t close = text.find(']', open);
    int count = 0;
    bool inWord = false;
    for (std::size_t i = open; i < close; ++i) {
        const bool space = text[i] == ' ';
        if (!space && !inWord) {
            ++count;
        }
        inWord = !space;
    }
    return count;
}

struct Counts {
    int vertex;   // values of "P" / 3
    int varying;  // values of a varying float
    int uniform;  // values of a uniform float
};

// Runs `mesh` with P, a varying float and a uniform float (inline declared)
// and reports how many elements each carried.
template <typename Mesh>
Counts countsOf(Mesh mesh)
{
    std::vector<RtFloat> values = filler(3000);
    const std::string text = requests([&] { mesh(values.data()); });
    return {valuesAfter(text, "P") / 3, valuesAfter(text, "varying float v"),
            valuesAfter(text, "uniform float u")};
}

#define MESH_PARAMETERS "P", data, "varying float v", data, "uniform float u", data, RI_NULL

TEST(RibWriter, CountsPatchMeshElementsFromTheCurrentBasisSteps)
{
    struct Case {
        const char* label;
        RtBasis* basis;
        int step;
        const char* type;
        int nu;
        const char* uwrap;
        int nv;
        const char* vwrap;
        Counts expected;
    };
    const Case cases[] = {
        {"bezier 7x4", &RiBezierBasis, 3, "bicubic", 7, "nonperiodic", 4, "nonperiodic", {28, 6, 2}},
        {"b-spline 7x4", &RiBSplineBasis, 1, "bicubic", 7, "nonperiodic", 4, "nonperiodic", {28, 10, 4}},
        {"b-spline periodic u", &RiBSplineBasis, 1, "bicubic", 8, "periodic", 4, "nonperiodic", {32, 16, 8}},
        {"hermite step 2", &RiHermiteBasis, 2, "bicubic", 8, "nonperiodic", 6, "nonperiodic", {48, 12, 6}},
        {"bilinear 3x2", &RiBezierBasis, 3, "bilinear", 3, "nonperiodic", 2, "nonperiodic", {6, 6, 2}},
        {"bilinear periodic", &RiBezierBasis, 3, "bilinear", 4, "periodic", 3, "periodic", {12, 12, 12}},
    };
    for (const Case& c : cases) {
        const Counts counts = countsOf([&](RtFloat* data) {
            RiBasis(*c.basis, c.step, *c.basis, c.step);
            RiPatchMesh(c.type, c.nu, c.uwrap, c.nv, c.vwrap, MESH_PARAMETERS);
        });
        EXPECT_EQ(counts.vertex, c.expected.vertex) << c.label;
        EXPECT_EQ(counts.varying, c.expected.varying) << c.label;
        EXPECT_EQ(counts.uniform, c.expected.uniform) << c.label;
    }
}

TEST(RibWriter, WritesPatchMeshAfterBezierBasisExactly)
{
    std::vector<RtFloat> p = filler(7 * 4 * 3);
    const std::string text = requests([&] {
        RiBasis(RiBezierBasis, 3, RiBezierBasis, 3);
        RiPatchMesh("bicubic", 7, "nonperiodic", 4, "nonperiodic", "P", p.data(), RI_NULL);
    });
    std::string expected =
        "Basis \"bezier\" 3 \"bezier\" 3\n"
        "PatchMesh \"bicubic\" 7 \"nonperiodic\" 4 \"nonperiodic\" \"P\" [";
    for (int i = 0; i < 84; ++i) {
        expected += i ? " 0.5" : "0.5";
    }
    expected += "]\n";
    EXPECT_EQ(text, expected);
}

TEST(RibWriter, WritesBasesByAddressAndCopiesAsMatrices)
{
    RtBasis copy;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            copy[i][j] = RiBezierBasis[i][j];
        }
    }
    EXPECT_EQ(requests([&] {
                  RiBasis(RiBSplineBasis, 1, RiCatmullRomBasis, 1);
                  RiBasis(RiHermiteBasis, 2, RiPowerBasis, 4);
                  RiBasis(copy, 3, RiBezierBasis, 3);
              }),
              "Basis \"b-spline\" 1 \"catmull-rom\" 1\n"
              "Basis \"hermite\" 2 \"power\" 4\n"
              "Basis [-1 3 -3 1 3 -6 3 0 -3 3 0 0 1 0 0 0] 3 \"bezier\" 3\n");
}

TEST(RibWriter, CountsCurveElementsPerCurve)
{
    struct Case {
        const char* label;
        int step;
        const char* type;
        const char* wrap;
        std::vector<RtInt> nvertices;
        Counts expected;
    };
    const std::vector<Case> cases = {
        {"cubic bezier", 3, "cubic", "nonperiodic", {4, 7}, {11, 5, 2}},
        {"linear", 3, "linear", "nonperiodic", {3, 5}, {8, 8, 2}},
        {"linear periodic", 3, "linear", "periodic", {3, 5}, {8, 8, 2}},
        {"cubic periodic b-spline", 1, "cubic", "periodic", {6, 8}, {14, 14, 2}},
        {"cubic b-spline", 1, "cubic", "nonperiodic", {6}, {6, 4, 1}},
    };
    for (const Case& c : cases) {
        std::vector<RtInt> nvertices = c.nvertices;
        const Counts counts = countsOf([&](RtFloat* data) {
            RiBasis(RiBSplineBasis, c.step, RiBSplineBasis, c.step);
            RiCurves(c.type, static_cast<RtInt>(nvertices.size()), nvertices.data(), c.wrap,
                     MESH_PARAMETERS);
        });
        EXPECT_EQ(counts.vertex, c.expected.vertex) << c.label;
        EXPECT_EQ(counts.varying, c.expected.varying) << c.label;
        EXPECT_EQ(counts.uniform, c.expected.uniform) << c.label;
    }
    RtInt nvertices[1] = {4};
    RtFloat p[12] = {0};
    EXPECT_EQ(requests([&] { RiCurves("cubic", 1, nvertices, "nonperiodic", "P", p, RI_NULL); }),
              "Curves \"cubic\"[4 ] \"nonperiodic\"  \"P\" [0 0 0 0 0 0 0 0 0 0 0 0]\n");
}

TEST(RibWriter, WritesPolygonFamiliesWithTheirCounts)
{
    std::vector<RtFloat> data = filler(30);
    RtFloat* p = data.data();
    RtInt loops[2] = {4, 3};
    RtInt triangleSizes[2] = {3, 3};
    RtInt triangleIndices[6] = {0, 1, 2, 2, 1, 3};
    RtInt polygonLoops[1] = {2};
    RtInt generalIndices[7] = {0, 1, 2, 3, 4, 5, 6};
    RtFloat ids[2] = {1, 2};
    const std::string body = requests([&] {
        RiPolygon(3, "P", p, "Cs", p, RI_NULL);
        RiGeneralPolygon(2, loops, "P", p, RI_NULL);
        RiPointsPolygons(2, triangleSizes, triangleIndices, "P", p, "uniform float id", ids,
                         RI_NULL);
        RiPointsGeneralPolygons(1, polygonLoops, loops, generalIndices, "P", p, RI_NULL);
        RiPoints(2, "P", p, "width", ids, RI_NULL);
    });
    auto halves = [](int n) {
        std::string text;
        for (int i = 0; i < n; ++i) {
            text += i ? " 0.5" : "0.5";
        }
        return "[" + text + "]";
    };
    EXPECT_EQ(body, "Polygon \"P\" " + halves(9) + " \"Cs\" " + halves(9) + "\n" +
                        "GeneralPolygon[4 3 ]  \"P\" " + halves(21) + "\n" +
                        "PointsPolygons[3 3 ] [0 1 2 2 1 3 ]  \"P\" " + halves(12) +
                        " \"uniform float id\" [1 2]\n" +
                        "PointsGeneralPolygons[2 ] [4 3 ] [0 1 2 3 4 5 6 ]  \"P\" " +
                        halves(21) + "\n" + "Points  \"P\" " + halves(6) + " \"width\" [1 2]\n");
}

TEST(RibWriter, WritesPatchesWithFourOrSixteenPoints)
{
    std::vector<RtFloat> data = filler(48);
    const std::string bilinear =
        requests([&] { RiPatch("bilinear", "P", data.data(), "Cs", data.data(), RI_NULL); });
    EXPECT_EQ(bilinear.rfind("Patch \"bilinear\" \"P\" [", 0), 0u) << bilinear;
    EXPECT_EQ(valuesAfter(bilinear, "P"), 12);
    EXPECT_EQ(valuesAfter(bilinear, "Cs"), 12);
    const std::string bicubic =
        requests([&] { RiPatch("bicubic", "P", data.data(), "Cs", data.data(), RI_NULL); });
    EXPECT_EQ(valuesAfter(bicubic, "P"), 48);
    EXPECT_EQ(valuesAfter(bicubic, "Cs"), 12);
}

TEST(RibWriter, WritesNuPatchAndTrimCurveExactly)
{
    RtFloat uknot[8] = {0, 0, 0, 0, 1, 1, 1, 1};
    RtFloat vknot[5] = {0, 0, 0.5f, 1, 1};
    std::vector<RtFloat> data = filler(60);
    const std::string nupatch = requests([&] {
        RiNuPatch(4, 4, uknot, 0, 1, 3, 2, vknot, 0.25f, 1, "Pw", data.data(), "varying float v",
                  data.data(), "uniform float u", data.data(), RI_NULL);
    });
    EXPECT_EQ(nupatch.rfind("NuPatch 4 4 [0 0 0 0 1 1 1 1] 0.000000 1.000000 3 2 "
                            "[0 0 0.5 1 1] 0.250000 1.000000  \"Pw\" [",
                            0),
              0u)
        << nupatch;
    EXPECT_EQ(valuesAfter(nupatch, "Pw"), 4 * 12);
    EXPECT_EQ(valuesAfter(nupatch, "varying float v"), 2 * 3);
    EXPECT_EQ(valuesAfter(nupatch, "uniform float u"), 1 * 2);

    RtInt ncurves[1] = {1};
    RtInt order[1] = {2};
    RtFloat knot[4] = {0, 0, 1, 1};
    RtFloat min[1] = {0};
    RtFloat max[1] = {1};
    RtInt n[1] = {2};
    RtFloat u[2] = {0, 1};
    RtFloat v[2] = {0.25f, 0.75f};
    RtFloat w[2] = {1, 1};
    EXPECT_EQ(requests([&] { RiTrimCurve(1, ncurves, order, knot, min, max, n, u, v, w); }),
              "TrimCurve [1 ][2 ][0 0 1 1] [0] [1] [2 ][0 1] [0.25 0.75] [1 1]\n");
}

TEST(RibWriter, WritesSubdivisionMeshWithTagsAndVertexCount)
{
    RtInt nvertices[2] = {4, 4};
    RtInt vertices[8] = {0, 1, 4, 3, 1, 2, 5, 4};
    RtToken tags[2] = {"crease", "corner"};
    RtInt nargs[4] = {2, 1, 1, 1};
    RtInt intargs[3] = {1, 4, 2};
    RtFloat floatargs[2] = {2.5f, 10};
    std::vector<RtFloat> data = filler(18);
    RtFloat faces[2] = {7, 8};
    EXPECT_EQ(requests([&] {
                  RiSubdivisionMesh("catmull-clark", 2, nvertices, vertices, 2, tags, nargs,
                                    intargs, floatargs, "P", data.data(), "uniform float f",
                                    faces, RI_NULL);
                  RiSubdivisionMesh("catmull-clark", 1, nvertices, vertices, 0, nullptr, nullptr,
                                    nullptr, nullptr, RI_NULL);
                  RtToken boundary[1] = {"interpolateboundary"};
                  RtInt noArgs[2] = {0, 0};
                  RiSubdivisionMesh("catmull-clark", 1, nvertices, vertices, 1, boundary, noArgs,
                                    nullptr, nullptr, RI_NULL);
              }),
              "SubdivisionMesh \"catmull-clark\" [4 4 ] [0 1 4 3 1 2 5 4 ] "
              "[\"crease\" \"corner\" ][2 1 1 1 ][1 4 2 ][2.5 10] \"P\" "
              "[0.5 0.5 0.5 0.5 0.5 0.5 0.5 0.5 0.5 0.5 0.5 0.5 0.5 0.5 0.5 0.5 0.5 0.5] "
              "\"uniform float f\" [7 8]\n"
              "SubdivisionMesh \"catmull-clark\" [4 ] [0 1 4 3 ] \n"
              // Tags without arguments still carry both argument arrays.
              "SubdivisionMesh \"catmull-clark\" [4 ] [0 1 4 3 ] "
              "[\"interpolateboundary\" ][0 0 ][][]\n");
}

TEST(RibWriter, ColoursCarryAsManyComponentsAsTheColorSamples)
{
    // Arrays of exactly the caller's size, so that a read past one shows
    // under the address sanitizer.
    RtFloat grey[1] = {0.5f};
    RtFloat toRgb[3] = {1, 1, 1};
    RtFloat fromRgb[3] = {0.3f, 0.59f, 0.11f};
    RtFloat p[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    RtFloat cornerGreys[3] = {0.1f, 0.2f, 0.3f};
    RtColor red = {1, 0, 0};
    testing::internal::CaptureStderr();
    const std::string text = requests([&] {
        RiFrameBegin(1);
        RiColorSamples(0, toRgb, fromRgb);
        RiColorSamples(1, toRgb, fromRgb);
        RiColor(grey);
        RiOpacity(grey);
        RiPolygon(3, "P", p, "Cs", cornerGreys, RI_NULL);
        RiLightSource("pointlight", "lightcolor", grey, RI_NULL);
        RiFrameEnd();
        // The frame's options end with it.
        RiColor(red);
    });
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "ribout error: ColorSamples needs at least one sample and both matrices\n");
    EXPECT_EQ(text,
              "FrameBegin 1\n"
              "ColorSamples [1 1 1] [0.3 0.59 0.11]\n"
              "Color [0.5]\n"
              "Opacity [0.5]\n"
              "Polygon \"P\" [0 0 0 1 0 0 0 1 0] \"Cs\" [0.1 0.2 0.3]\n"
              "LightSource \"pointlight\" 1 \"lightcolor\" [0.5]\n"
              "FrameEnd\n"
              "Color [1 0 0]\n");
}

TEST(RibWriter, GivesFaceVaryingValuesOnePerFaceCorner)
{
    // Two quads sharing an edge: 6 vertices, 8 face corners.
    RtInt nverts[2] = {4, 4};
    RtInt verts[8] = {0, 1, 4, 3, 1, 2, 5, 4};
    RtInt nloops[2] = {1, 1};
    std::vector<RtFloat> data = filler(24);
    const std::string text = requests([&] {
        RiDeclare("q", "facevarying float");
        RiPointsPolygons(2, nverts, verts, "P", data.data(), "q", data.data(), RI_NULL);
        RiPointsGeneralPolygons(2, nloops, nverts, verts, "q", data.data(), RI_NULL);
        RiSubdivisionMesh("catmull-clark", 2, nverts, verts, 0, nullptr, nullptr, nullptr,
                          nullptr, "facevarying float[2] uv", data.data(), RI_NULL);
        // Without faces that share corners it is counted as varying.
        RiSphere(1, -1, 1, 360, "q", data.data(), RI_NULL);
    });
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    ASSERT_EQ(lines.size(), 5u) << text;
    EXPECT_EQ(lines[0], "Declare \"q\" \"facevarying float\"");
    EXPECT_EQ(valuesAfter(lines[1], "P"), 18);
    EXPECT_EQ(valuesAfter(lines[1], "q"), 8);
    EXPECT_EQ(valuesAfter(lines[2], "q"), 8);
    EXPECT_EQ(valuesAfter(lines[3], "facevarying float[2] uv"), 16);
    EXPECT_EQ(valuesAfter(lines[4], "q"), 4);
    const Declaration* q = findDeclaration("q");
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(declarationText(*q), "facevarying float");
}

TEST(RibWriter, WritesBlobbyAndReportsCountMismatches)
{
    RtInt code[8] = {1001, 0, 1000, 16, 0, 2, 0, 1};
    std::vector<RtFloat> floats = filler(17);
    RtColor colors[2] = {{1, 0, 0}, {0, 0, 1}};
    RtToken strings[1] = {"unused"};
    testing::internal::CaptureStderr();
    const std::string body = requests([&] {
        RiBlobby(2, 8, code, 17, floats.data(), 0, nullptr, RI_NULL);
        RiBlobby(2, 8, code, 17, floats.data(), 0, nullptr, "Cs", colors, RI_NULL);
        RiBlobby(3, 8, code, 16, floats.data(), 1, strings, RI_NULL);
    });
    const std::string messages = testing::internal::GetCapturedStderr();
    std::string values;
    for (int i = 0; i < 17; ++i) {
        values += i ? " 0.5" : "0.5";
    }
    const std::string request = "Blobby 2 [1001 0 1000 16 0 2 0 1 ] [" + values + "] []";
    EXPECT_EQ(body.substr(0, body.find("Blobby 3")),
              request + "\n" + request + "\n \"Cs\" [1 0 0 0 0 1]\n\n");
    // Whole lines, so that the next diagnostic starts a line of its own.
    EXPECT_EQ(messages,
              "ribout error: RiBlobby nleaf [3] !=  leaf count [2]\n"
              "ribout error: RiBlobby nflt [16] != float count [17]\n"
              "ribout error: RiBlobby nstr [1] != string count [0]\n");
}

TEST(RibWriter, SurvivesMalformedBlobbyCode)
{
    // An operand count that runs past the array, and a negative one, must not
    // make the counting walk read outside the code or loop forever.
    RtInt truncated[1] = {0};
    RtInt endsEarly[3] = {1000, 0, 2};
    RtFloat one[1] = {1};
    RtInt negative[4] = {0, -3, 1000, 0};
    testing::internal::CaptureStderr();
    const std::string body = requests([&] {
        RiBlobby(0, 1, truncated, 0, nullptr, 0, nullptr, RI_NULL);
        RiBlobby(1, 3, endsEarly, 1, one, 0, nullptr, RI_NULL);
        RiBlobby(0, 4, negative, 0, nullptr, 0, nullptr, RI_NULL);
    });
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(body, "Blobby 0 [0 ] [] []\nBlobby 1 [1000 0 2 ] [1] []\nBlobby 0 [0 -3 1000 0 ] [] []\n");
}

TEST(RibWriter, ReportsUnknownPatchTypesAndProcedurals)
{
    RtFloat p[48] = {0};
    RtBound bound = {0, 1, 0, 1, 0, 1};
    RtString data[1] = {"x"};
    testing::internal::CaptureStderr();
    const std::string body = requests([&] {
        RiProcedural(
            data, bound, [](RtPointer, RtFloat) {}, nullptr);
        RiPatchMesh("trilinear", 4, "nonperiodic", 4, "nonperiodic", "P", p, RI_NULL);
        RiWorldEnd();
    });
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "ribout error: procedural type\nribout: unknown patch type trilinear\n");
    // Neither is written, so the next request starts a line of its own.
    EXPECT_EQ(body, "WorldEnd\n");
}

TEST(RibWriter, CountsWithAZeroBasisStepInsteadOfDividingByIt)
{
    const Counts counts = countsOf([](RtFloat* data) {
        RiBasis(RiBSplineBasis, 0, RiBSplineBasis, 0);
        RiPatchMesh("bicubic", 5, "nonperiodic", 4, "nonperiodic", MESH_PARAMETERS);
    });
    EXPECT_EQ(counts.vertex, 20);
    EXPECT_EQ(counts.uniform, 2);  // counted as step 1
}

}  // namespace
