#include "FallingBody.h"
#include "softbody/HelperThread.h"
#include "softbody/SoftBody.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <dirent.h>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {
// A body well above the two-thread threshold, kicked at step 100; bands of
// `bandNodes` nodes.
struct Stepper : FallingBody {
    explicit Stepper(int threshold, int bandNodes = SoftBody::kBandNodes, int cellsY = 6, int cellsZ = 16)
        : FallingBody(threshold, 100, cellsY, cellsZ)
    {
        body.bandNodes = bandNodes;
    }
};

// The ids of the process's threads.
std::set<std::string> threadsOfThisProcess()
{
    std::set<std::string> threads;
    DIR* tasks = opendir("/proc/self/task");
    if (tasks == nullptr) return threads;
    while (dirent* entry = readdir(tasks))
        if (entry->d_name[0] != '.') threads.insert(entry->d_name);
    closedir(tasks);
    return threads;
}
}  // namespace

TEST(ParallelStep, TheHelperThreadServesOneCallerAtATime)
{
    HelperThread helper;
    std::thread::id first, second;
    auto recordFirst = [&] { first = std::this_thread::get_id(); };
    auto recordSecond = [&] { second = std::this_thread::get_id(); };
    ASSERT_TRUE(helper.handOver(recordFirst));
    // Held until wait(): another caller is turned away and runs its work itself.
    EXPECT_FALSE(helper.handOver(recordSecond));
    helper.wait();
    EXPECT_NE(first, std::thread::id());
    EXPECT_NE(first, std::this_thread::get_id()) << "the work ran on the helper thread";
    EXPECT_EQ(second, std::thread::id()) << "work turned away is not run";

    ASSERT_TRUE(helper.handOver(recordSecond)) << "free again after wait()";
    helper.wait();
    EXPECT_EQ(second, first) << "the same thread serves every hand-over";

    // runBeside runs both parts side by side, or the whole alone while
    // another caller holds the helper.
    HelperThread& shared = HelperThread::shared();
    int own = 0, helped = 0, alone = 0;
    runBeside([&] { ++own; }, [&] { ++helped; }, [&] { ++alone; });
    EXPECT_EQ(own, 1);
    EXPECT_EQ(helped, 1);
    EXPECT_EQ(alone, 0);
    auto nothing = [] {};
    ASSERT_TRUE(shared.handOver(nothing));
    runBeside([&] { ++own; }, [&] { ++helped; }, [&] { ++alone; });
    shared.wait();
    EXPECT_EQ(own, 1);
    EXPECT_EQ(helped, 1);
    EXPECT_EQ(alone, 1);
}

TEST(ParallelStep, TwoThreadStepsReuseOneHelperThread)
{
    Stepper stepper(0);
    stepper.body.advance(0.005);
    const std::set<std::string> afterFirst = threadsOfThisProcess();
    ASSERT_FALSE(afterFirst.empty()) << "/proc/self/task lists the threads";
    EXPECT_GE(afterFirst.size(), 2u) << "the helper thread stays between steps";
    for (int s = 0; s < 20; ++s) {
        stepper.body.advance(0.005);
        stepper.body.computeSpringForces();
        stepper.body.step(0.005);
    }
    EXPECT_EQ(threadsOfThisProcess(), afterFirst) << "no thread started or ended by later steps";
}

TEST(ParallelStep, EveryWayOfSteppingGivesTheSameBits)
{
    // The 21 x 7 x 17 body fits one band by default; bands of at most two
    // rows (the seven shared as 1, 2, 2, 2) and of single rows cross band
    // boundaries too. Two threads take half the rows of each plane, unless
    // a half is more than two bands (single rows here): then they take
    // half the planes each. The 21 x 17 x 7 body's halves are more than two
    // bands of two rows, so its two threads take half the planes, in bands.
    Stepper serial(INT_MAX), split(0), sweep(INT_MAX), sweepTwo(0);
    Stepper bands(INT_MAX, 2 * 17), bandsTwo(0, 2 * 17), rowsTwo(0, 1);
    Stepper tall(INT_MAX, 2 * 7, 16, 6), tallBandsTwo(0, 2 * 7, 16, 6);
    ASSERT_GE(serial.body.nodesX, 4) << "two sweeps need at least four planes";
    ASSERT_EQ(serial.body.nodesY, 7);
    ASSERT_EQ(serial.body.nodesZ, 17);
    for (int s = 0; s < 400; ++s) {
        for (Stepper* run : {&serial, &split, &sweep, &sweepTwo, &bands, &bandsTwo, &rowsTwo, &tall, &tallBandsTwo})
            run->push(s);
        for (Stepper* run : {&serial, &split, &tall}) {
            run->body.computeSpringForces();
            run->body.step(0.005);
        }
        for (Stepper* run : {&sweep, &sweepTwo, &bands, &bandsTwo, &rowsTwo, &tallBandsTwo}) run->body.advance(0.005);
    }
    double lowest = 1e300;
    for (int n = 0; n < serial.body.nodeCount(); ++n) lowest = std::min(lowest, serial.body.nodes[n].position.y);
    EXPECT_LT(lowest, -1.5) << "the body has reached the objects below it";
    expectSameBits(serial.body, split.body, "two-thread passes");
    expectSameBits(serial.body, sweep.body, "one-sweep step");
    expectSameBits(serial.body, sweepTwo.body, "two-thread sweep");
    expectSameBits(serial.body, bands.body, "sweep in bands of one or two rows");
    expectSameBits(serial.body, bandsTwo.body, "two-thread sweep in bands of one or two rows");
    expectSameBits(serial.body, rowsTwo.body, "two-thread sweep row by row, half the planes each");
    expectSameBits(tall.body, tallBandsTwo.body, "two-thread sweep of the tall body, half the planes each, in bands");
}
