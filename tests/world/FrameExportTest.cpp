#include "RibCapture.h"
#include "softbody/SoftBody.h"
#include "world/FrameExport.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <string>

namespace {
World quietWorld(int scene)
{
    testing::internal::CaptureStderr();
    World world(scene);
    testing::internal::GetCapturedStderr();
    return world;
}

size_t occurrences(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// Exports `calls` frames of `world` into a fresh file and returns its whole text.
template <class BetweenCalls>
std::string exportCalls(World& world, int calls, BetweenCalls between)
{
    ribcapture::TempFile file;
    frameCounter = -1;
    exportTarget = file.path().c_str();
    for (int c = 1; c <= calls; ++c) {
        between(c);
        world.exportFrame();
    }
    RiEnd();
    exportTarget = "blorp10.rib";
    return ribcapture::readFile(file.path());
}

std::string exportCalls(World& world, int calls)
{
    return exportCalls(world, calls, [](int) {});
}
}  // namespace

TEST(FrameExport, OpensTheDefaultSceneFrameExactly)
{
    World world = quietWorld(12);
    const std::string text = exportCalls(world, 1);
    const std::string opening =
        std::string(ribcapture::kHeader) + ribcapture::kFrameOpening +
        "LightSource \"spotlight\" 2 \"intensity\" [390] \"from\" [0 20 -1] \"to\" [0 -5 -1] \"coneangle\" [45]\n"
        "Illuminate 2 1\n"
        "AttributeBegin\n"
        "Translate 0 -4.002 0 \n"
        "Surface \"oak\"\n"
        "Patch \"bilinear\" \"P\" [-100 0 -100 -100 0 100 100 0 -100 100 0 100]\n"
        "AttributeEnd\n";
    EXPECT_EQ(text.substr(0, opening.size()), opening);
    EXPECT_EQ(occurrences(text, "TransformBegin"), 0u);
    EXPECT_EQ(occurrences(text, "TransformEnd"), 0u);
    const std::string closing = "WorldEnd\nFrameEnd\n\n";
    ASSERT_GE(text.size(), closing.size());
    EXPECT_EQ(text.substr(text.size() - closing.size()), closing);
    EXPECT_EQ(occurrences(text, "Surface \"glass\""), 1u) << "the one body of the scene";
    // Its 4 x 3 x 3 nodes fit the Bezier step on no side: six bilinear
    // meshes, each after its basis, the last after the texture coordinates.
    const std::string basis = "Basis \"bezier\" 3 \"bezier\" 3\n";
    const std::string sides[] = {"4 \"nonperiodic\" 3", "4 \"nonperiodic\" 3", "3 \"nonperiodic\" 3",
                                 "3 \"nonperiodic\" 3", "4 \"nonperiodic\" 3", "4 \"nonperiodic\" 3"};
    size_t at = text.find("Opacity [0.5 0.5 0.5]\n");
    ASSERT_NE(at, std::string::npos);
    at += std::string("Opacity [0.5 0.5 0.5]\n").size();
    for (int side = 0; side < 6; ++side) {
        const std::string start = basis + (side == 5 ? "TextureCoordinates [ 0 0 1 0 0 1 1 1 ]\n" : "") +
                                  "PatchMesh \"bilinear\" " + sides[side] + " \"nonperiodic\" \"P\" [";
        EXPECT_EQ(text.compare(at, start.size(), start), 0) << "side " << side << ":\n"
                                                            << text.substr(at, 120);
        at = text.find('\n', at + start.size()) + 1;
    }
    EXPECT_EQ(text.compare(at, 13, "AttributeEnd\n"), 0) << text.substr(at, 40);
    EXPECT_EQ(occurrences(text, "PatchMesh"), 6u);
    EXPECT_EQ(occurrences(text, "Polygon \"P\""), 4u) << "four walls, no arrow";
    EXPECT_NE(text.find("Surface \"paintedplastic\" \"texturename\" [\"ss021.tif\"]\n"
                        "TextureCoordinates [ 0 0 1 0 0 0.5 1 0.4 ]\n"),
              std::string::npos);
}

TEST(FrameExport, WritesOneFrameEveryEighthCallIntoOneOutput)
{
    World world = quietWorld(12);
    RtContextHandle first = nullptr;
    const std::string text = exportCalls(world, 17, [&](int call) {
        if (call == 2) first = RiGetContext();
        if (call > 2) {
            EXPECT_EQ(RiGetContext(), first) << "only the first call begins the output";
        }
    });
    EXPECT_EQ(occurrences(text, "##RenderMan RIB-Structure"), 1u);
    EXPECT_EQ(occurrences(text, "FrameBegin"), 3u);
    EXPECT_NE(text.find("FrameBegin 0\nDisplay \"blorp000.tif\""), std::string::npos);
    EXPECT_NE(text.find("FrameBegin 1\nDisplay \"blorp001.tif\""), std::string::npos);
    EXPECT_NE(text.find("FrameBegin 2\nDisplay \"blorp002.tif\""), std::string::npos);
    EXPECT_EQ(frameCounter, 16);

    World quiet = quietWorld(12);
    EXPECT_EQ(occurrences(exportCalls(quiet, 8), "FrameBegin"), 1u) << "calls 2 to 8 write nothing";
}

TEST(FrameExport, CutsDisplayNamesToThirteenCharacters)
{
    World world = quietWorld(6);
    ribcapture::TempFile file;
    RiBegin(file.path().c_str());
    frameCounter = 8 * 9999 - 1;
    world.exportFrame();
    frameCounter = 8 * 10000 - 1;
    world.exportFrame();
    frameCounter = 8 * 123456 - 1;
    world.exportFrame();
    RiEnd();
    const std::string text = ribcapture::readFile(file.path());
    EXPECT_NE(text.find("FrameBegin 9999\nDisplay \"blorp9999.tif\" \"file\" \"rgba\"\n"), std::string::npos);
    EXPECT_NE(text.find("FrameBegin 10000\nDisplay \"blorp10000.ti\" \"file\" \"rgba\"\n"), std::string::npos);
    EXPECT_NE(text.find("FrameBegin 123456\nDisplay \"blorp123456.t\" \"file\" \"rgba\"\n"), std::string::npos);
    frameCounter = -1;
}

TEST(FrameExport, DrawsThePushArrowOnceAndOnlyWhenStillMarked)
{
    World world = quietWorld(12);
    const Vector3 tip = world.activeBodies.front()->node(0, 1, 1)->position;
    // A left-button push after frame 0 marks the arrow for frame 1 only; a
    // middle-button push before frame 2 clears the mark set after frame 1.
    const std::string text = exportCalls(world, 17, [&](int call) {
        if (call == 5) world.mousePush(0);
        if (call == 12) world.mousePush(0);
        if (call == 14) world.mousePush(2);
    });
    EXPECT_FALSE(world.arrowPending);
    EXPECT_EQ(occurrences(text, "Color [0.9 0 0]"), 1u);
    const size_t frame1 = text.find("FrameBegin 1"), frame2 = text.find("FrameBegin 2");
    const size_t arrow = text.find("Color [0.9 0 0]\nSurface \"plastic\"\nPolygon \"P\" [");
    ASSERT_NE(arrow, std::string::npos);
    EXPECT_GT(arrow, frame1);
    EXPECT_LT(arrow, frame2);
    char tipText[128];
    std::snprintf(tipText, sizeof tipText, "[%g %g %g %g %g %g", float(tip.x), float(tip.y), float(tip.z),
                  float(tip.x - 1), float(tip.y - 1), float(tip.z));
    EXPECT_NE(text.find(tipText, arrow), std::string::npos) << "the tip sits on mass point (0, 1, 1)";
    EXPECT_LT(text.find("Surface \"glass\"", frame1), arrow) << "after the bodies";

    // A body without mass point (0, 1, 1) gets no arrow, but the mark is cleared.
    World sheet = quietWorld(2);
    sheet.kickUp();
    const std::string sheetText = exportCalls(sheet, 1);
    EXPECT_EQ(occurrences(sheetText, "Color [0.9 0 0]"), 0u);
    EXPECT_FALSE(sheet.arrowPending);
}

TEST(FrameExport, EmptyWorldStillHasCameraLightsAndRoom)
{
    World empty = quietWorld(6);
    const std::string text = exportCalls(empty, 1);
    EXPECT_EQ(occurrences(text, "LightSource"), 2u);
    EXPECT_EQ(occurrences(text, "Patch \"bilinear\""), 2u);
    EXPECT_EQ(occurrences(text, "Polygon"), 4u);
    EXPECT_EQ(occurrences(text, "AttributeBegin"), 3u);

    World tables = quietWorld(11);
    const std::string withObjects = exportCalls(tables, 1);
    EXPECT_EQ(occurrences(withObjects, "Surface \"wood2\""), 5u);
    EXPECT_EQ(occurrences(withObjects, "Surface \"funkyglass\""), 1u);
    EXPECT_LT(withObjects.find("Surface \"glass\""), withObjects.find("Surface \"funkyglass\"")) << "bodies before objects";
}

TEST(FrameExport, WritesTheSheetOfSceneOneAsItsTwoLargeSides)
{
    // 75 x 0 x 57 cells: its four edges have no area, its faces fit the Bezier step.
    World world = quietWorld(1);
    const std::string text = exportCalls(world, 1);
    const std::string basis = "Basis \"bezier\" 3 \"bezier\" 3\n";
    const std::string face = "PatchMesh \"bicubic\" 76 \"nonperiodic\" 58 \"nonperiodic\" \"P\" [";
    EXPECT_EQ(occurrences(text, "PatchMesh"), 2u);
    EXPECT_EQ(occurrences(text, basis + face), 1u);
    EXPECT_EQ(occurrences(text, basis + "TextureCoordinates [ 0 0 1 0 0 1 1 1 ]\n" + face), 1u);
}
