// Output faults met by the RenderMan library and the frame export: each loss
// is reported once, when it happens, and the program runs on; a file that
// cannot be made ends the process with one clear message. The writer-level
// cases that tests/ribout already covers (a small write to /dev/full, a
// reader that quits in the middle of a large output, a bad directory given to
// RiBegin) are not repeated here.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "RibCapture.h"
#include <ri.h>
#include "world/FrameExport.h"
#include "world/World.h"

namespace {

// A report whose code equals the last one would be folded into a repeat
// count; forgetting the last code makes each report print and set RiLastError.
void forgetLastError() { RiErrorIgnore(RIE_NOERROR, RIE_INFO, nullptr); }

// Builds a world without its construction messages. Standard error is set
// aside by descriptor, which also works inside a death test's child.
World quietWorld(int scene)
{
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
void exportFrames(const char* target, int calls)
{
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

TEST(FaultDeathTest, CommandsThatExitAtOnceNeverLoseOutputSilently)
{
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

// The reports of failed output that reach the program's handler, and how far
// the export had got when the first one came.
struct OutputReports {
    int count = 0;
    std::int32_t firstAtCall = -1;
    std::string first;
};
OutputReports outputReports;

extern "C" void recordOutputReport(RtInt code, RtInt severity, const char* message)
{
    if (code != RIE_SYSTEM) {
        RiErrorPrint(code, severity, message);
        return;
    }
    if (outputReports.count++ == 0) {
        outputReports.firstAtCall = frameCounter;
        outputReports.first = message != nullptr ? message : "";
    }
}

TEST(Fault, FailedOutputIsReportedOnceWhenItFailsAndNotAgainAtRiEnd)
{
    // 400 calls write 50 frames of scene 7, far more than the writer
    // buffers, so the output is written many times before RiEnd.
    const struct {
        const char* target;
        const char* message;
    } cases[] = {
        {"/dev/full", "could not write all RIB output to \"/dev/full\": No space left on device"},
        {"|exit 0",
         "could not write all RIB output to pipe \"exit 0\": Broken pipe (the command is no "
         "longer reading)"},
        // Reads a few frames, then ends with status 0.
        {"|head -c 300000 > /dev/null",
         "could not write all RIB output to pipe \"head -c 300000 > "
         "/dev/null\": Broken pipe (the command is no longer reading)"},
    };
    for (const auto& c : cases) {
        outputReports = OutputReports{};
        RiErrorHandler(recordOutputReport);
        exportFrames(c.target, 400);
        const OutputReports beforeEnd = outputReports;
        RiEnd();
        RiErrorHandler(RiErrorPrint);
        EXPECT_EQ(beforeEnd.count, 1) << c.target << ": reported before RiEnd";
        EXPECT_EQ(beforeEnd.first, c.message) << c.target;
        EXPECT_LT(beforeEnd.firstAtCall, 399) << c.target << ": reported only at the end";
        EXPECT_EQ(outputReports.count, 1) << c.target << ": RiEnd reported the failure again";
    }
    exportTarget = "blorp10.rib";
}

TEST(Fault, ACommandThatEndsIsNoticedBeforeTheBufferIsWritten)
{
    // Small requests fill the buffer slowly, as a viewer's frames do at 60
    // a second; the pipe is looked at for its reader between them. The
    // command ends without reading; once it has said so, requests follow
    // until the report, which must come long before the buffer would be
    // written.
    ribcapture::TempFile ended;
    std::remove(ended.path().c_str());
    outputReports = OutputReports{};
    RiErrorHandler(recordOutputReport);
    RiBegin(("|touch " + ended.path()).c_str());
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (access(ended.path().c_str(), F_OK) != 0 && std::chrono::steady_clock::now() < giveUp) {
        usleep(1000);
    }
    if (access(ended.path().c_str(), F_OK) != 0) {
        RiEnd();
        RiErrorHandler(RiErrorPrint);
        FAIL() << "the command did not run within 60 s";
    }
    // "AttributeBegin\n" is 15 bytes: this many fill half the buffer.
    constexpr long kRequestsBeforeAWrite = 128 * 1024 / 15 / 2;
    long requests = 0;
    const auto noticed = std::chrono::steady_clock::now();
    while (outputReports.count == 0 && requests < kRequestsBeforeAWrite) {
        RiAttributeBegin();
        ++requests;
        usleep(1000);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - noticed).count();
    const int reportsBeforeEnd = outputReports.count;
    RiEnd();
    RiErrorHandler(RiErrorPrint);
    EXPECT_EQ(reportsBeforeEnd, 1) << "after " << requests << " requests";
    EXPECT_EQ(outputReports.count, 1) << "RiEnd reported the failure again";
    EXPECT_NE(outputReports.first.find(": Broken pipe (the command is no longer reading)"),
              std::string::npos)
        << outputReports.first;
    RecordProperty("secondsFromTheCommandsEndToTheReport", std::to_string(seconds));
}

TEST(FaultDeathTest, FramesExportedToAClosedStandardOutputAreReported)
{
    EXPECT_EXIT(
        {
            close(STDOUT_FILENO);
            exportFrames(nullptr, 40);
            std::fprintf(stderr, "exported\n");
            RiEnd();
            std::fprintf(stderr, "still running\n");
            std::exit(RiLastError == RIE_SYSTEM ? 0 : 1);
        },
        testing::ExitedWithCode(0),
        "^ERROR: System error\n    --> could not write all RIB output to standard output: Bad file "
        "descriptor\nexported\nstill running\n$");
}

TEST(FaultDeathTest, ExportIntoAMissingDirectoryIsReportedWithItsReason)
{
    // The library reports and returns; without a handler of its own the
    // world's next request then finds no renderer, which the printer ends.
    EXPECT_EXIT(exportFrames("/nonexistent-blorp-dir/blorp10.rib", 1), testing::ExitedWithCode(255),
                "^ERROR: File not found\n    --> Error making RIB file: bad filename: "
                "/nonexistent-blorp-dir/blorp10.rib: No such file or directory\n"
                "SEVERE ERROR: RiBegin not called\n    --> RiFrameBegin\n$");
}

TEST(Fault, ExportThroughAReaderThatReadsAllLosesNothing)
{
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
