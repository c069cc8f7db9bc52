#include "softbody/PathTrial.h"

#include <algorithm>
#include <ctime>

PathTrial::PathTrial(const SimdPath* candidates, int count, int rounds)
    : count_(std::clamp(count, 0, kMostCandidates))
{
    std::copy(candidates, candidates + count_, candidates_);
    total_ = count_ > 1 ? count_ * std::max(rounds, 1) : 0;
}

SimdPath PathTrial::next() const
{
    const int round = turn_ / count_, place = turn_ % count_;
    return candidates_[(place + round) % count_];
}

void PathTrial::record(double seconds)
{
    if (done()) return;
    const int round = turn_ / count_, c = (turn_ % count_ + round) % count_;
    if (!timed_[c] || seconds < best_[c]) best_[c] = seconds;
    timed_[c] = true;
    ++turn_;
}

SimdPath PathTrial::chosen() const
{
    if (count_ == 0) return SimdPath::scalar;
    int fastest = 0;
    for (int c = 1; c < count_; ++c)
        if (timed_[c] && (!timed_[fastest] || best_[c] < best_[fastest])) fastest = c;
    return candidates_[fastest];
}

double threadProcessorSeconds()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}
