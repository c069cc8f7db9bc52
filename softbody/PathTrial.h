#pragma once

#include "softbody/SimdPath.h"

#include <iterator>

/// Chooses a path by timing the work itself, one timing at a time: the
/// candidates take turns, a round each, each round starting one candidate
/// later so that no path always follows the same one or always runs first
/// (a slow spell of the machine then falls on all of them alike), and once
/// every candidate has had `rounds` timings the one with the least of its
/// timings is chosen; ties go to the earlier candidate. Holds no clock: the
/// caller times what next() names and hands the time to record().
class PathTrial {
public:
    /// No candidates: done at once, choosing the scalar path.
    PathTrial() = default;
    /// At most one candidate per path; none chooses the scalar path, one needs no timing.
    PathTrial(const SimdPath* candidates, int count, int rounds);

    /// Whether every timing is in and chosen() holds the answer.
    bool done() const { return turn_ >= total_; }
    /// The path the next timing is to take; only while !done().
    SimdPath next() const;
    /// Records the seconds the path named by next() took; ignored once done().
    void record(double seconds);
    /// The candidate with the least timing so far (the first candidate before any).
    SimdPath chosen() const;

private:
    static constexpr int kMostCandidates = int(std::size(kSimdPaths));
    SimdPath candidates_[kMostCandidates] = {};
    double best_[kMostCandidates] = {};
    bool timed_[kMostCandidates] = {};
    int count_ = 0;
    int turn_ = 0;   ///< timings recorded so far
    int total_ = 0;  ///< timings wanted: rounds · count, or 0 when there is nothing to choose
};

/// The calling thread's processor time in seconds: time the machine gives to
/// other threads and processes does not count.
double threadProcessorSeconds();
