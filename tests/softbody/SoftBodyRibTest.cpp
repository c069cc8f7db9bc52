#include "RibCapture.h"
#include "softbody/SoftBody.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {
SoftBody quietBody(int cx, int cy, int cz)
{
    testing::internal::CaptureStderr();
    SoftBody body(cx, cy, cz, 0, 0, 0, 1.0, 600, 0.01, 0.5);
    testing::internal::GetCapturedStderr();
    return body;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

std::string meshHeader(int nu, int nv)
{
    return "PatchMesh \"bicubic\" " + std::to_string(nu) + " \"nonperiodic\" " + std::to_string(nv) +
           " \"nonperiodic\" \"P\" [";
}
}  // namespace

TEST(SoftBodyRib, GlassBodyWritesGlassShadingAndSixMeshes)
{
    SoftBody body = quietBody(3, 3, 3);
    body.colour[0] = 0.8f, body.colour[1] = 0.2f, body.colour[2] = 0.2f;
    // The glass shader's own parameters need declaring first, as the frame export does.
    std::vector<std::string> out = lines(ribcapture::requests([&] {
        RiDeclare("blur", "float");
        RiDeclare("transmitcolor", "color");
        body.writeRib();
    }));
    ASSERT_EQ(out.size(), 2u + 1u + 3u + 6u * 2u + 1u + 1u);
    out.erase(out.begin(), out.begin() + 2);
    EXPECT_EQ(out[0], "AttributeBegin");
    EXPECT_EQ(out[1], "Surface \"glass\" \"blur\" [0.2] \"transmitcolor\" [0.8 0.2 0.2] \"Kr\" [0.3] \"Ks\" [0.5] \"Kd\" [0.4]");
    EXPECT_EQ(out[2], "Color [0.8 0.2 0.2]");
    EXPECT_EQ(out[3], "Opacity [0.5 0.5 0.5]");
    size_t at = 4;
    for (int mesh = 0; mesh < 6; ++mesh) {
        EXPECT_EQ(out[at++], "Basis \"bezier\" 3 \"bezier\" 3") << "mesh " << mesh;
        if (mesh == 5) {
            EXPECT_EQ(out[at++], "TextureCoordinates [ 0 0 1 0 0 1 1 1 ]");
        }
        EXPECT_EQ(out[at].rfind(meshHeader(4, 4), 0), 0u) << "mesh " << mesh << ": " << out[at];
        ++at;
    }
    EXPECT_EQ(out[at], "AttributeEnd");
    // Mesh 1 is the k = NZ-1 side, u along i: N(0,0,3), then N(1,0,3).
    EXPECT_EQ(out[5].substr(meshHeader(4, 4).size(), 12), "0 0 3 1 0 3 ");
}

namespace {
/// What writeRib asks for after the shading, one entry per request: the
/// keyword, and for a mesh its type and counts ("bilinear 4 3").
std::vector<std::string> sideRequests(const SoftBody& body)
{
    std::vector<std::string> out;
    const std::vector<std::string> all = lines(ribcapture::requests([&] { body.writeRib(); }));
    for (const std::string& line : all) {
        std::istringstream in(line);
        std::string keyword, type, wrap;
        int nu = 0, nv = 0;
        in >> keyword;
        const bool isShading = keyword == "AttributeBegin" || keyword == "Surface" || keyword == "Color" ||
                               keyword == "Opacity";
        if (isShading) continue;
        if (keyword != "PatchMesh") {
            out.push_back(keyword);
            continue;
        }
        in >> type >> nu >> wrap >> nv;
        out.push_back(type.substr(1, type.size() - 2) + " " + std::to_string(nu) + " " + std::to_string(nv));
    }
    return out;
}
}  // namespace

TEST(SoftBodyRib, WritesEachSideInTheFormItsNodeCountsAllow)
{
    struct Case {
        int cx, cy, cz;
        std::vector<std::string> sides;  ///< the six sides in order, "" for an omitted one
    };
    // Bicubic where both counts are 3m + 1, bilinear where not, nothing for
    // a side with a single row of nodes.
    const Case cases[] = {
        {3, 3, 3, {"bicubic 4 4", "bicubic 4 4", "bicubic 4 4", "bicubic 4 4", "bicubic 4 4", "bicubic 4 4"}},
        {3, 2, 3, {"bilinear 4 3", "bilinear 4 3", "bilinear 4 3", "bilinear 4 3", "bicubic 4 4", "bicubic 4 4"}},
        {1, 1, 1, {"bilinear 2 2", "bilinear 2 2", "bilinear 2 2", "bilinear 2 2", "bilinear 2 2", "bilinear 2 2"}},
        {24, 0, 24, {"", "", "", "", "bicubic 25 25", "bicubic 25 25"}},
        {2, 0, 2, {"", "", "", "", "bilinear 3 3", "bilinear 3 3"}},
        {0, 3, 3, {"", "", "bicubic 4 4", "bicubic 4 4", "", ""}},
        {6, 0, 0, {"", "", "", "", "", ""}},
    };
    for (const Case& c : cases) {
        // Every written side has its basis; the texture coordinates come
        // right before the sixth mesh, and only when it is written.
        std::vector<std::string> expected;
        for (size_t side = 0; side < c.sides.size(); ++side) {
            if (c.sides[side].empty()) continue;
            expected.push_back("Basis");
            if (side == 5) expected.push_back("TextureCoordinates");
            expected.push_back(c.sides[side]);
        }
        expected.push_back("AttributeEnd");
        EXPECT_EQ(sideRequests(quietBody(c.cx, c.cy, c.cz)), expected)
            << c.cx << " x " << c.cy << " x " << c.cz << " cells";
    }

    // A bilinear side lists the same points, in the same order, as the
    // bicubic one would: the k = NZ-1 side of a single cell, u along i.
    const std::string cube = ribcapture::requests([] { quietBody(1, 1, 1).writeRib(); });
    EXPECT_NE(cube.find("\nBasis \"bezier\" 3 \"bezier\" 3\n"
                        "PatchMesh \"bilinear\" 2 \"nonperiodic\" 2 \"nonperiodic\" \"P\" [0 0 1 1 0 1 0 1 1 1 1 1]\n"),
              std::string::npos)
        << cube;
}

TEST(SoftBodyRib, FlatBodyWritesPaintedPlastic)
{
    const SoftBody sheet = quietBody(24, 0, 24);
    const std::vector<std::string> out = lines(ribcapture::requests([&] { sheet.writeRib(); }));
    EXPECT_EQ(out[0], "AttributeBegin");
    EXPECT_EQ(out[1], "Surface \"paintedplastic\" \"Ks\" [0] \"texturename\" [\"blorp.tif\"]");
    EXPECT_EQ(out[2], "Basis \"bezier\" 3 \"bezier\" 3");
    EXPECT_EQ(out[3].rfind(meshHeader(25, 25), 0), 0u) << out[3];
}
