#pragma once

#include <functional>
#include <ostream>
#include <string>

/// Progress of a run of a known number of steps, for a terminal: a bar with
/// the steps done, the steps per second and the time left, redrawn in place
/// on one line. When the output is not a terminal, nothing but the final
/// summary is written.
class ProgressReport {
public:
    /// Seconds on a monotonic clock; tests substitute their own.
    using Clock = std::function<double()>;
    /// Redraws come at most this often (in seconds): drawing is cheap, but a
    /// terminal that scrolls a line per step would slow the run down.
    static constexpr double kRedrawInterval = 0.1;
    static constexpr int kBarWidth = 30;

    /// Starts timing now. `isTerminal` chooses between the redrawn bar and
    /// the summary only.
    ProgressReport(std::ostream& out, long totalSteps, bool isTerminal, Clock clock = steadyClock);

    /// Records that `doneSteps` steps are done; on a terminal redraws the bar
    /// when kRedrawInterval has passed since the last drawing.
    void update(long doneSteps);
    /// Takes the bar off the terminal's line, so other messages can follow.
    void clearBar();
    /// Clears the bar and writes `summary` as one line. Call once, at the end.
    void finish(const std::string& summary);

    /// Seconds since construction.
    double elapsed() const;
    /// The bar line for `doneSteps` after `seconds`, without line control:
    /// "[#####.....]  200/400 steps  512 steps/s  0.4 s left".
    std::string barText(long doneSteps, double seconds) const;
    /// A duration as "0.4 s", "12 s", "3 min 05 s" or "2 h 07 min".
    static std::string durationText(double seconds);

    static double steadyClock();

private:
    std::ostream& out;
    long totalSteps;
    bool isTerminal;
    Clock clock;
    double startTime;
    double lastDrawTime;
    size_t drawnLength = 0;  // characters of the bar on screen, 0 when none
};
