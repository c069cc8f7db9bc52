#include "GlRecorder.h"
#include "RibCapture.h"
#include "app/Interruption.h"
#include "app/Options.h"
#include "app/Session.h"
#include "app/Viewer.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

// Each run is a death test: the handlers it installs and the signals it
// raises stay in a child process of its own.

namespace {
// Reads the options, guards the run and builds its world, as blorp does.
void startRun(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "blorp");
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    static ViewerOptions options;
    std::string problem;
    if (!parseOptions(int(argv.size()), argv.data(), options, problem)) std::exit(99);
    guardRun(options);
    buildWorld(options);
    prepareExport(options);
}

// Steps until a stop is asked for, at most `steps` times.
void stepUntilStopped(int steps)
{
    for (int s = 0; s < steps && !isStopRequested(); ++s) stepWorld();
}
}  // namespace

TEST(InterruptionDeathTest, AStopSignalEndsTheRunAfterItsStepWithTheSignalsStatus)
{
    // The handler only takes note: the process carries on to the end of the
    // step, finishes the output, says what it did and where it went.
    const ribcapture::TempFile file;
    EXPECT_EXIT(
        {
            startRun({"--export", "--scene", "7", "--bodies", "5", "--rib", file.path()});
            stepUntilStopped(20);
            std::raise(SIGINT);
            std::exit(isStopRequested() ? endStoppedRun() : 98);
        },
        testing::ExitedWithCode(130),
        "\nblorp: stopped by SIGINT after 20 steps; 3 frames written to " + file.path() + "\n$");
    const std::string rib = ribcapture::readFile(file.path());
    ASSERT_GE(rib.size(), 10u);
    EXPECT_EQ(rib.substr(rib.size() - 10), "FrameEnd\n\n") << "RiEnd finished the output";

    EXPECT_EXIT(
        {
            startRun({"--scene", "12"});
            stepWorld();
            std::raise(SIGTERM);
            std::exit(isStopRequested() ? endStoppedRun() : 98);
        },
        testing::ExitedWithCode(143), "\nblorp: stopped by SIGTERM after 1 step\n$");
}

TEST(InterruptionDeathTest, ASecondSignalEndsTheProcessAtOnce)
{
    // For a run that cannot get to the end of its step, say writing into a
    // renderer that no longer reads.
    EXPECT_EXIT(
        {
            startRun({"--scene", "12"});
            std::raise(SIGINT);
            std::raise(SIGINT);
            std::exit(0);
        },
        testing::KilledBySignal(SIGINT), "");
}

TEST(InterruptionDeathTest, AFailedOutputStopsTheRunWithOneLineNamingItAndTheReason)
{
    // No report of the library's own: the run's line says it all, and
    // finishing the failed output adds nothing.
    EXPECT_EXIT(
        {
            startRun({"--export", "--scene", "7", "--bodies", "5", "--rib", "/dev/full"});
            stepUntilStopped(1000);
            std::exit(isStopRequested() ? endStoppedRun() : 98);
        },
        testing::ExitedWithCode(1),
        "world has been created...\nblorp: stopped after [0-9]+ steps?: the RIB output to /dev/full failed: No "
        "space left on device\n$");
}

TEST(InterruptionDeathTest, TheViewerEndsAStoppedRunBetweenTwoFrames)
{
    EXPECT_EXIT(
        {
            startRun({"--scene", "12"});
            display();
            display();
            idle();
            std::raise(SIGTERM);
            display();  // takes no step once a stop is asked for
            idle();
            std::exit(98);
        },
        testing::ExitedWithCode(143), "\nblorp: stopped by SIGTERM after 2 steps\n$");
}

TEST(Interruption, FailureReasonIsTheTextAfterTheOutputsName)
{
    const std::pair<const char*, const char*> cases[] = {
        {"could not write all RIB output to \"/dev/full\": No space left on device", "No space left on device"},
        {"could not write all RIB output to pipe \"sed 's/: /:/' >x\": Broken pipe", "Broken pipe"},
        {"could not write all RIB output to standard output: Bad file descriptor", "Bad file descriptor"},
        {"RIB output pipe \"a: b\" ended with exit status 3", "RIB output pipe \"a: b\" ended with exit status 3"},
    };
    for (const auto& [message, reason] : cases) EXPECT_EQ(failureReason(message), reason) << message;
}
