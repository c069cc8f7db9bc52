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

TEST(SoftBodyRib, FlatBodyWritesPaintedPlasticAndPassesCountsAsTheyAre)
{
    const SoftBody sheet = quietBody(24, 0, 24);
    const std::vector<std::string> out = lines(ribcapture::requests([&] { sheet.writeRib(); }));
    EXPECT_EQ(out[1], "Surface \"paintedplastic\" \"Ks\" [0] \"texturename\" [\"blorp.tif\"]");
    EXPECT_EQ(out[2], "Basis \"bezier\" 3 \"bezier\" 3");
    std::vector<std::string> headers;
    for (const std::string& line : out)
        if (line.rfind("PatchMesh", 0) == 0) headers.push_back(line.substr(0, line.find(" \"P\"")));
    const std::vector<std::string> expected = {
        "PatchMesh \"bicubic\" 25 \"nonperiodic\" 1 \"nonperiodic\"",
        "PatchMesh \"bicubic\" 25 \"nonperiodic\" 1 \"nonperiodic\"",
        "PatchMesh \"bicubic\" 25 \"nonperiodic\" 1 \"nonperiodic\"",
        "PatchMesh \"bicubic\" 25 \"nonperiodic\" 1 \"nonperiodic\"",
        "PatchMesh \"bicubic\" 25 \"nonperiodic\" 25 \"nonperiodic\"",
        "PatchMesh \"bicubic\" 25 \"nonperiodic\" 25 \"nonperiodic\"",
    };
    EXPECT_EQ(headers, expected);
}
