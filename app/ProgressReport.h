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
    /// The terminal's width in columns, asked again before every redraw so
    /// that a resized window is followed; tests substitute their own.
    using Columns = std::function<int()>;
    /// Redraws come at most this often (in seconds): drawing is cheap, but a
    /// terminal that scrolls a line per step would slow the run down.
    static constexpr double kRedrawInterval = 0.1;
    static constexpr int kBarWidth = 30;
    /// The narrowest bar drawn before parts of the line are left out.
    static constexpr int kNarrowestBar = 10;
    /// The width assumed when neither the terminal nor COLUMNS gives one.
    static constexpr int kDefaultColumns = 80;

    /// Starts timing now. `isTerminal` chooses between the redrawn bar and
    /// the summary only.
    ProgressReport(std::ostream& out, long totalSteps, bool isTerminal, Clock clock = steadyClock,
                   Columns columns = standardErrorColumns);

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
    /// The same line made to fit in `columns - 1` characters, so that it
    /// never reaches the last column (where a terminal may wrap): the bar
    /// narrows to kNarrowestBar, then the rate, the bar and the time left are
    /// left out in that order, and at last the text is cut.
    std::string barText(long doneSteps, double seconds, int columns) const;
    /// A duration as "0.4 s", "12 s", "3 min 05 s" or "2 h 07 min".
    static std::string durationText(double seconds);

    static double steadyClock();
    /// Standard error's terminal width; COLUMNS when the terminal does not
    /// say, 80 when neither does.
    static int standardErrorColumns();

private:
    /// Characters a line may take at `columns`: one less, so that the
    /// cursor never lands in the last column; at least one.
    static size_t fittingLength(int columns) { return columns > 1 ? size_t(columns - 1) : 1; }

    std::ostream& out;
    long totalSteps;
    bool isTerminal;
    Clock clock;
    Columns columns;
    double startTime;
    double lastDrawTime;
    size_t drawnLength = 0;  // characters of the bar on screen, 0 when none
};
