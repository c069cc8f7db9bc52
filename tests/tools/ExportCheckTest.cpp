// ribcheck on what blorp really writes: whole exported animations of several
// scenes, in text and with binary floats.

#include "RibCapture.h"
#include "tools/ribcheck/RibChecker.h"
#include "world/FrameExport.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {
constexpr int kSteps = 400;  // 50 frames, one every eighth step
constexpr int kFrames = kSteps / 8;
constexpr int kMeshesPerBody = 6;
const std::string kPartialMesh = "PatchMesh \"bicubic\" does not fit the basis";

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

ribcheck::CheckReport check(const std::string& rib, bool allowPartialMeshes)
{
    std::istringstream input(rib);
    return ribcheck::checkRib(input, ribcheck::CheckOptions{allowPartialMeshes});
}

long notes(const ribcheck::CheckReport& report)
{
    long count = 0;
    for (const ribcheck::Finding& finding : report.findings) count += finding.isNote ? 1 : 0;
    return count;
}

/// Checks an animation of `scene`, whose bodies have `partialMeshes` meshes
/// that do not fit the Bezier step, in both encodings.
void expectOnlyPartialMeshes(int scene, int partialMeshes)
{
    const std::string text = exportAnimation(scene, false);
    const std::string binary = exportAnimation(scene, true);
    ASSERT_NE(text, binary) << "the binary export must differ from the text";
    for (const std::string* rib : {&text, &binary}) {
        SCOPED_TRACE(rib == &text ? "text" : "binary");
        const ribcheck::CheckReport strict = check(*rib, false);
        EXPECT_EQ(strict.frames, kFrames);
        EXPECT_EQ(strict.problems, kFrames * partialMeshes);
        for (const ribcheck::Finding& finding : strict.findings) {
            EXPECT_EQ(finding.message.compare(0, kPartialMesh.size(), kPartialMesh), 0)
                << "line " << finding.line << ": " << finding.message;
        }
        const ribcheck::CheckReport allowing = check(*rib, true);
        EXPECT_EQ(allowing.problems, 0);
        EXPECT_EQ(notes(allowing), kFrames * partialMeshes);
    }
    // Binary floats stand where text numbers stood: same requests, same lines.
    const ribcheck::CheckReport fromText = check(text, false);
    const ribcheck::CheckReport fromBinary = check(binary, false);
    EXPECT_EQ(fromText.requests, fromBinary.requests);
    ASSERT_EQ(fromText.findings.size(), fromBinary.findings.size());
    for (size_t i = 0; i < fromText.findings.size(); ++i) {
        EXPECT_EQ(fromText.findings[i].line, fromBinary.findings[i].line) << "finding " << i;
    }
}
}  // namespace

TEST(ExportCheck, DefaultSceneHasOnlyPartialMeshes)
{
    // The 3 x 2 x 2-cell body has 4 x 3 x 3 nodes: no side fits step 3.
    expectOnlyPartialMeshes(World::kDefaultScene, kMeshesPerBody);
}

TEST(ExportCheck, SceneWithTableAndSphereHasOnlyPartialMeshes)
{
    // Scene 11: a sphere, a table of five boxes and a 2 x 2 x 2-cell body.
    expectOnlyPartialMeshes(11, kMeshesPerBody);
}

TEST(ExportCheck, BodyWhoseSidesFitTheBasisPassesStrictly)
{
    // Scene 4's 6 x 6 x 6-cell body has 7 nodes along each edge: 3m + 1.
    for (bool binary : {false, true}) {
        const ribcheck::CheckReport report = check(exportAnimation(4, binary), false);
        EXPECT_EQ(report.frames, kFrames);
        EXPECT_TRUE(report.findings.empty()) << (binary ? "binary: " : "text: ") << report.findings.size()
                                             << " findings, the first: line " << report.findings.front().line
                                             << ": " << report.findings.front().message;
    }
}
