#include "app/ProgressReport.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {
// A clock the test moves by hand.
struct ManualClock {
    double now = 100.0;
    ProgressReport::Clock clock()
    {
        return [this] { return now; };
    }
};
}  // namespace

TEST(ProgressReport, BarShowsStepsDoneRateAndTimeLeft)
{
    std::ostringstream out;
    ManualClock time;
    const ProgressReport report(out, 400, true, time.clock());
    EXPECT_EQ(report.barText(0, 0.0), "[..............................]    0/400 steps  -- steps/s  -- left");
    EXPECT_EQ(report.barText(200, 0.4), "[###############...............]  200/400 steps  500 steps/s  0.4 s left");
    // Rounded down: one step short of the end is not a full bar.
    EXPECT_EQ(report.barText(399, 2.0), "[#############################.]  399/400 steps  200 steps/s  0.0 s left");
    EXPECT_EQ(report.barText(400, 2.0), "[##############################]  400/400 steps  200 steps/s  0.0 s left");

    const ProgressReport slow(out, 2000, true, time.clock());
    EXPECT_EQ(slow.barText(1, 0.5), "[..............................]     1/2000 steps  2.0 steps/s  16 min 40 s left");
    EXPECT_EQ(out.str(), "") << "building the text draws nothing";
}

TEST(ProgressReport, DurationsReadAsSecondsMinutesOrHours)
{
    const std::pair<double, const char*> cases[] = {
        {0.0, "0.0 s"},          {0.04, "0.0 s"},         {9.94, "9.9 s"},        {9.96, "10 s"},
        {59.4, "59 s"},          {59.6, "1 min 00 s"},    {125.0, "2 min 05 s"},  {3599.4, "59 min 59 s"},
        {3599.6, "1 h 00 min"},  {7620.0, "2 h 07 min"},  {360000.0, "100 h 00 min"},
    };
    for (const auto& [seconds, text] : cases) EXPECT_EQ(ProgressReport::durationText(seconds), text) << seconds;
}

TEST(ProgressReport, OnATerminalRedrawsInPlaceAtMostTenTimesASecondThenLeavesOnlyTheSummary)
{
    std::ostringstream out;
    ManualClock time;
    ProgressReport report(out, 2000, true, time.clock());

    time.now += 0.5;
    report.update(1);  // the first update draws at once
    const std::string first = report.barText(1, 0.5);
    EXPECT_EQ(out.str(), "\r" + first);

    // Steps of a sixteenth of a second keep the clock's sums exact.
    time.now += 0.0625;
    report.update(2);
    EXPECT_EQ(out.str(), "\r" + first) << "too soon to draw again";

    time.now += 0.0625;
    report.update(1000);
    const std::string second = report.barText(1000, 0.625);
    ASSERT_LT(second.size(), first.size()) << "the time left got shorter";
    // The shorter line is padded so no tail of the longer one stays visible.
    const std::string drawn = "\r" + first + "\r" + second + std::string(first.size() - second.size(), ' ');
    EXPECT_EQ(out.str(), drawn);
    EXPECT_DOUBLE_EQ(report.elapsed(), 0.625);

    report.finish("blorp: done");
    EXPECT_EQ(out.str(), drawn + "\r" + std::string(first.size(), ' ') + "\r" + "blorp: done\n");
}

TEST(ProgressReport, WithoutATerminalWritesOnlyTheSummary)
{
    std::ostringstream out;
    ManualClock time;
    ProgressReport report(out, 10, false, time.clock());
    for (int done = 1; done <= 10; ++done) {
        time.now += 1.0;
        report.update(done);
    }
    report.clearBar();
    report.finish("blorp: 10 steps");
    EXPECT_EQ(out.str(), "blorp: 10 steps\n");
}
