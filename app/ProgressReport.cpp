#include "app/ProgressReport.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>

ProgressReport::ProgressReport(std::ostream& out, long totalSteps, bool isTerminal, Clock clock)
    : out(out),
      totalSteps(totalSteps),
      isTerminal(isTerminal),
      clock(std::move(clock)),
      startTime(this->clock()),
      // So that the first update draws at once.
      lastDrawTime(-std::numeric_limits<double>::infinity())
{
}

double ProgressReport::steadyClock()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double ProgressReport::elapsed() const { return clock() - startTime; }

void ProgressReport::update(long doneSteps)
{
    if (!isTerminal) return;
    const double now = clock();
    if (now - lastDrawTime < kRedrawInterval) return;
    lastDrawTime = now;
    const std::string line = barText(doneSteps, now - startTime);
    out << '\r' << line;
    // A shorter line (a time left that lost a digit) must not leave the tail
    // of the longer one behind.
    if (line.size() < drawnLength) out << std::string(drawnLength - line.size(), ' ');
    out.flush();
    if (line.size() > drawnLength) drawnLength = line.size();
}

void ProgressReport::clearBar()
{
    if (drawnLength == 0) return;
    out << '\r' << std::string(drawnLength, ' ') << '\r';
    out.flush();
    drawnLength = 0;
}

void ProgressReport::finish(const std::string& summary)
{
    clearBar();
    out << summary << '\n';
    out.flush();
}

std::string ProgressReport::barText(long doneSteps, double seconds) const
{
    const double fraction = totalSteps > 0 ? double(doneSteps) / double(totalSteps) : 1.0;
    // Rounded down, so the bar is full only when every step is done.
    const int filled = int(std::floor(fraction * kBarWidth));
    std::string text = "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') + "]";

    char buffer[96];
    const int totalDigits = std::snprintf(nullptr, 0, "%ld", totalSteps);
    std::snprintf(buffer, sizeof buffer, "  %*ld/%ld steps", totalDigits, doneSteps, totalSteps);
    text += buffer;

    // Before any time has passed there is no rate to show, and no estimate.
    const double rate = seconds > 0.0 && doneSteps > 0 ? double(doneSteps) / seconds : 0.0;
    if (rate > 0.0) {
        std::snprintf(buffer, sizeof buffer, rate < 10.0 ? "  %.1f steps/s" : "  %.0f steps/s", rate);
        text += buffer;
        text += "  " + durationText(double(totalSteps - doneSteps) / rate) + " left";
    } else {
        text += "  -- steps/s  -- left";
    }
    return text;
}

std::string ProgressReport::durationText(double seconds)
{
    char buffer[48];
    if (seconds < 9.95) {
        std::snprintf(buffer, sizeof buffer, "%.1f s", seconds);
        return buffer;
    }
    const long whole = std::lround(seconds);
    if (whole < 60) {
        std::snprintf(buffer, sizeof buffer, "%ld s", whole);
    } else if (whole < 3600) {
        std::snprintf(buffer, sizeof buffer, "%ld min %02ld s", whole / 60, whole % 60);
    } else {
        const long minutes = std::lround(seconds / 60.0);
        std::snprintf(buffer, sizeof buffer, "%ld h %02ld min", minutes / 60, minutes % 60);
    }
    return buffer;
}
