#include "app/ProgressReport.h"

#include <gtest/gtest.h>

#include <algorithm>
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

TEST(ProgressReport, BarFitsTheTerminalLeavingOutTheLeastUsefulPartsFirst)
{
    std::ostringstream out;
    ManualClock time;
    const ProgressReport report(out, 400, true, time.clock());
    const std::string full = report.barText(200, 0.4);
    EXPECT_EQ(report.barText(200, 0.4, int(full.size()) + 1), full) << "a line that fits is not touched";
    EXPECT_EQ(report.barText(200, 0.4, 60), "[########.........]  200/400 steps  500 steps/s  0.4 s left");
    // Without the rate the bar gets its room back.
    EXPECT_EQ(report.barText(200, 0.4, 50), "[##########..........]  200/400 steps  0.4 s left");
    EXPECT_EQ(report.barText(200, 0.4, 40), "[#####.....]  200/400 steps  0.4 s left");
    EXPECT_EQ(report.barText(200, 0.4, 30), "200/400 steps  0.4 s left");
    EXPECT_EQ(report.barText(200, 0.4, 20), "200/400 steps");
    EXPECT_EQ(report.barText(200, 0.4, 8), "200/400");
    // Every width, down to one column, gets a line that stays off the last
    // column, so the terminal never wraps it.
    for (int columns = 1; columns <= int(full.size()) + 2; ++columns) {
        const std::string line = report.barText(200, 0.4, columns);
        EXPECT_LE(line.size(), size_t(std::max(columns - 1, 1))) << columns << " columns: " << line;
        EXPECT_FALSE(line.empty()) << columns << " columns";
    }
}

TEST(ProgressReport, RedrawsInPlaceWithinATerminalThatGrowsNarrower)
{
    std::ostringstream out;
    ManualClock time;
    int columns = 100;
    ProgressReport report(out, 2000, true, time.clock(), [&] { return columns; });
    time.now += 0.5;
    report.update(1);
    const std::string wide = report.barText(1, 0.5);
    ASSERT_EQ(out.str(), "\r" + wide);

    // The blanks that cover the longer line stop short of the new width.
    columns = 30;
    time.now += 0.25;
    report.update(2);
    const std::string narrow = report.barText(2, 0.75, 30);
    EXPECT_EQ(out.str(), "\r" + wide + "\r" + narrow + std::string(29 - narrow.size(), ' '));
    report.finish("done");
    EXPECT_EQ(out.str(),
              "\r" + wide + "\r" + narrow + std::string(29 - narrow.size(), ' ') + "\r" + std::string(29, ' ') +
                  "\rdone\n");
}

TEST(ProgressReport, DurationsReadAsSecondsMinutesOrHours)
{
    const std::pair<double, const char*> cases[] = {
        {0.0, "0.0 s"},
        {0.04, "0.0 s"},
        {9.94, "9.9 s"},
        {9.96, "10 s"},
        {59.4, "59 s"},
        {59.6, "1 min 00 s"},
        {125.0, "2 min 05 s"},
        {3599.4, "59 min 59 s"},
        {3599.6, "1 h 00 min"},
        {7620.0, "2 h 07 min"},
        {360000.0, "100 h 00 min"},
    };
    for (const auto& [seconds, text] : cases) EXPECT_EQ(ProgressReport::durationText(seconds), text) << seconds;
}

TEST(ProgressReport, OnATerminalRedrawsInPlaceAtMostTenTimesASecondThenLeavesOnlyTheSummary)
{
    std::ostringstream out;
    ManualClock time;
    ProgressReport report(out, 2000, true, time.clock(), [] { return 200; });

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
