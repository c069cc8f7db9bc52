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
// raises stay in a child process of its own. The whole runs, headless and in
// the viewer, are tested through the real executable by headless_faults.sh
// and viewer_stop_e2e.sh.

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
}  // namespace

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

TEST(Interruption, FrameFileFailureReasonFollowsThePartialName)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Error making RIB file: bad filename: out/s: 7.0002.rib.part: Is a directory", "Is a directory"},
        {"could not write all RIB output to \"out/s: 7.0002.rib.part\": No space left on device",
         "No space left on device"},
        {"could not write all RIB output to \"elsewhere\": Input/output error", "Input/output error"},
    };
    for (const auto& [message, reason] : cases)
        EXPECT_EQ(frameFileFailureReason(message, "out/s: 7.0002.rib"), reason) << message;
}
