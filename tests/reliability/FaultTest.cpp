// Output faults met by the RenderMan library and the frame export: each loss
// is reported at RiEnd and the program runs on, or, for a file that cannot be
// made, the process ends with the one clear message. The writer-level cases
// that tests/ribout already covers (a small write to /dev/full, a reader that
// quits in the middle of a large output, a bad directory given to RiBegin)
// are not repeated here.

#include <cstdio>
#include <fcntl.h>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "RibCapture.h"
#include "ri.h"
#include "world/FrameExport.h"
#include "world/World.h"

namespace {

// A report whose code equals the last one would be folded into a repeat
// count; forgetting the last code makes each report print and set RiLastError.
void forgetLastError() { RiErrorIgnore(RIE_NOERROR, RIE_INFO, nullptr); }

// Builds a world without its construction messages. Standard error is set
// aside by descriptor, which also works inside a death test's child.
World quietWorld(int scene) {
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDERR_FILENO);
    close(null);
    World world(scene);
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    return world;
}

// Exports `calls` frames of a busy scene with the output opened on `target`.
void exportFrames(const char* target, int calls) {
    World world = quietWorld(7);
    while (world.activatedCount < static_cast<int>(world.preparedBodies.size())) {
        world.activateNextBody();
    }
    frameCounter = -1;
    exportTarget = target;
    for (int c = 0; c < calls; ++c) {
        world.step();
        world.exportFrame();
    }
}

TEST(FaultDeathTest, CommandsThatExitAtOnceNeverLoseOutputSilently) {
    // The command may end before or after the writer's only write; either
    // way nothing was read, and every one of the runs must say so.
    EXPECT_EXIT(
        {
            int unreported = 0;
            for (const char* command : {"|exit 0", "|true"}) {
                for (int run = 0; run < 25; ++run) {
                    forgetLastError();
                    RiBegin(command);
                    RiWorldBegin();
                    RiSphere(1.0f, -1.0f, 1.0f, 360.0f, RI_NULL);
                    RiWorldEnd();
                    RiEnd();
                    if (RiLastError != RIE_SYSTEM) {
                        ++unreported;
                    }
                }
            }
            std::fprintf(stderr, "unreported %d\n", unreported);
            std::exit(unreported == 0 ? 0 : 1);
        },
        testing::ExitedWithCode(0), "unreported 0\n$");
}

TEST(FaultDeathTest, FramesExportedToAFullDeviceAreReportedOnceAtRiEnd) {
    // Many frames, far more than the writer buffers, so that writes fail in
    // the middle of the run; the export goes on and RiEnd reports the loss.
    EXPECT_EXIT(
        {
            exportFrames("/dev/full", 400);
            RiEnd();
            std::fprintf(stderr, "still running\n");
            std::exit(RiLastError == RIE_SYSTEM ? 0 : 1);
        },
        testing::ExitedWithCode(0),
        "^ERROR: System error\n    --> could not write all RIB output to \"/dev/full\"\n"
        "still running\n$");
}

TEST(FaultDeathTest, FramesExportedToAClosedStandardOutputAreReported) {
    EXPECT_EXIT(
        {
            close(STDOUT_FILENO);
            exportFrames(nullptr, 40);
            RiEnd();
            std::fprintf(stderr, "still running\n");
            std::exit(RiLastError == RIE_SYSTEM ? 0 : 1);
        },
        testing::ExitedWithCode(0),
        "^ERROR: System error\n    --> could not write all RIB output to standard output\n"
        "still running\n$");
}

TEST(FaultDeathTest, ExportIntoAMissingDirectoryIsReportedWithItsReason) {
    // The library reports and returns; without a handler of its own the
    // world's next request then finds no renderer, which the printer ends.
    EXPECT_EXIT(exportFrames("/nonexistent-blorp-dir/blorp10.rib", 1), testing::ExitedWithCode(255),
                "^ERROR: File not found\n    --> Error making RIB file: bad filename: "
                "/nonexistent-blorp-dir/blorp10.rib: No such file or directory\n"
                "SEVERE ERROR: RiBegin not called\n    --> RiFrameBegin\n$");
}

TEST(Fault, ExportThroughAReaderThatReadsAllLosesNothing) {
    // The counterpart of the faults above: a command that reads everything
    // gets every byte, and nothing is reported.
    ribcapture::TempFile file;
    const std::string command = "|cat > " + file.path();
    forgetLastError();
    testing::internal::CaptureStderr();
    exportFrames(command.c_str(), 17);
    RiEnd();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    exportTarget = "blorp10.rib";
    const std::string text = ribcapture::readFile(file.path());
    EXPECT_EQ(text.rfind("##RenderMan RIB-Structure 1.0\nversion 3.03\nFrameBegin 0\n", 0), 0u);
    EXPECT_NE(text.find("FrameBegin 2\n"), std::string::npos);
    ASSERT_GE(text.size(), 10u);
    EXPECT_EQ(text.substr(text.size() - 10), "FrameEnd\n\n");
}

}  // namespace
