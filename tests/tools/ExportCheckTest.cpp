// ribcheck on what blorp really writes: whole exported animations of the
// scenes, in text and with binary floats, checked with no option at all.

#include "RibCapture.h"
#include "softbody/SoftBody.h"
#include "tools/ribcheck/RibChecker.h"
#include "world/FrameExport.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {
constexpr int kSteps = 400;  // 50 frames, one every eighth step
constexpr int kFrames = kSteps / 8;

/// The scene with every body it prepares active.
World fullScene(int scene)
{
    testing::internal::CaptureStderr();
    World world(scene);
    for (size_t i = 1; i < world.preparedBodies.size(); ++i) world.activateNextBody();
    testing::internal::GetCapturedStderr();
    return world;
}

/// Runs kSteps steps of the scene with an export after each, as the headless
/// program does, and returns the file's bytes. A push arrow is drawn in one
/// frame.
std::string exportAnimation(int scene, bool binary)
{
    World world = fullScene(scene);
    ribcapture::TempFile file;
    RtString format = binary ? "binary" : "ascii";
    RiOption("rib", "format", &format, RI_NULL);
    frameCounter = -1;
    exportTarget = file.path().c_str();
    for (int step = 1; step <= kSteps; ++step) {
        if (step == 100) world.kickUp();
        world.step();
        world.exportFrame();
    }
    RiEnd();
    exportTarget = "blorp10.rib";
    RtString ascii = "ascii";
    RiOption("rib", "format", &ascii, RI_NULL);
    return ribcapture::readFile(file.path());
}

ribcheck::CheckReport check(const std::string& rib)
{
    std::istringstream input(rib);
    return ribcheck::checkRib(input);
}

size_t occurrences(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}
}  // namespace

class ExportCheck : public testing::TestWithParam<int> {};

TEST_P(ExportCheck, SceneWithAllItsBodiesPassesWithoutOptions)
{
    const int scene = GetParam();
    const std::string text = exportAnimation(scene, false);
    const std::string binary = exportAnimation(scene, true);
    ASSERT_NE(text, binary) << "the binary export must differ from the text";
    for (const std::string* rib : {&text, &binary}) {
        SCOPED_TRACE(rib == &text ? "text" : "binary");
        const ribcheck::CheckReport report = check(*rib);
        EXPECT_EQ(report.frames, kFrames);
        EXPECT_EQ(report.problems, 0);
        for (const ribcheck::Finding& finding : report.findings) {
            ADD_FAILURE() << "line " << finding.line << ": " << (finding.isNote ? "note: " : "") << finding.message;
        }
    }
    // Every body of the scene is in every frame, with a mesh for each side
    // that has an area.
    const World world = fullScene(scene);
    size_t meshes = 0;
    for (const SoftBody* body : world.activeBodies) {
        const int pairs[][2] = {
            {body->nodesX, body->nodesY}, {body->nodesZ, body->nodesY}, {body->nodesX, body->nodesZ}};
        for (const auto& pair : pairs) meshes += pair[0] > 1 && pair[1] > 1 ? 2 : 0;
    }
    EXPECT_EQ(occurrences(text, "PatchMesh"), meshes * kFrames);
    EXPECT_EQ(check(text).requests, check(binary).requests);
}

// Every kind of side and every kind of scene object, in the scenes that
// simulate quickly also under the sanitizers: bilinear (12), bicubic (4),
// mixed (3, 10, 2), flat (5, 2, 8), several bodies (7), objects (11, 7), none
// (6). tests/app/headless_export.sh checks all thirteen through the program.
INSTANTIATE_TEST_SUITE_P(Scenes, ExportCheck, testing::Values(2, 3, 4, 5, 6, 7, 8, 10, 11, 12));
