#include "app/ProgressReport.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <sys/ioctl.h>
#include <unistd.h>

ProgressReport::ProgressReport(std::ostream& out, long totalSteps, bool isTerminal, Clock clock, Columns columns)
    : out(out),
      totalSteps(totalSteps),
      isTerminal(isTerminal),
      clock(std::move(clock)),
      columns(std::move(columns)),
      startTime(this->clock()),
      // So that the first update draws at once.
      lastDrawTime(-std::numeric_limits<double>::infinity())
{
}

double ProgressReport::steadyClock()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

int ProgressReport::standardErrorColumns()
{
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    if (const char* text = std::getenv("COLUMNS")) {
        const int fromEnvironment = std::atoi(text);
        if (fromEnvironment > 0) return fromEnvironment;
    }
    return kDefaultColumns;
}

double ProgressReport::elapsed() const { return clock() - startTime; }

void ProgressReport::update(long doneSteps)
{
    if (!isTerminal) return;
    const double now = clock();
    if (now - lastDrawTime < kRedrawInterval) return;
    lastDrawTime = now;
    const int width = columns();
    const std::string line = barText(doneSteps, now - startTime, width);
    out << '\r' << line;
    // A shorter line (a time left that lost a digit) must not leave the tail
    // of the longer one behind. The padding stays inside the width too: a
    // window made narrower must not get a wrapped line of blanks.
    const size_t cover = std::min(drawnLength, fittingLength(width));
    if (line.size() < cover) out << std::string(cover - line.size(), ' ');
    out.flush();
    drawnLength = std::max(line.size(), cover);
}

void ProgressReport::clearBar()
{
    if (drawnLength == 0) return;
    out << '\r' << std::string(std::min(drawnLength, fittingLength(columns())), ' ') << '\r';
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
    return barText(doneSteps, seconds, std::numeric_limits<int>::max());
}

std::string ProgressReport::barText(long doneSteps, double seconds, int columns) const
{
    char buffer[96];
    const int totalDigits = std::snprintf(nullptr, 0, "%ld", totalSteps);
    std::snprintf(buffer, sizeof buffer, "%*ld/%ld steps", totalDigits, doneSteps, totalSteps);
    const std::string count = buffer;

    // Before any time has passed there is no rate to show, and no estimate.
    const double rate = seconds > 0.0 && doneSteps > 0 ? double(doneSteps) / seconds : 0.0;
    std::string rateText = "-- steps/s";
    std::string leftText = "-- left";
    if (rate > 0.0) {
        std::snprintf(buffer, sizeof buffer, rate < 10.0 ? "%.1f steps/s" : "%.0f steps/s", rate);
        rateText = buffer;
        leftText = durationText(double(totalSteps - doneSteps) / rate) + " left";
    }

    const size_t room = fittingLength(columns);
    std::string text;
    // The bar takes whatever the words leave, up to its full width.
    const auto fitsWithBar = [&](const std::string& words) {
        const size_t frame = 2;  // the brackets
        if (room < frame + kNarrowestBar + words.size()) return false;
        const int width = int(std::min<size_t>(kBarWidth, room - frame - words.size()));
        const double fraction = totalSteps > 0 ? double(doneSteps) / double(totalSteps) : 1.0;
        // Rounded down, so the bar is full only when every step is done.
        const int filled = int(std::floor(fraction * width));
        text = "[" + std::string(filled, '#') + std::string(width - filled, '.') + "]" + words;
        return true;
    };
    if (fitsWithBar("  " + count + "  " + rateText + "  " + leftText)) return text;
    if (fitsWithBar("  " + count + "  " + leftText)) return text;
    text = count + "  " + leftText;
    if (text.size() > room) text = count;
    if (text.size() > room) text.resize(room);
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
