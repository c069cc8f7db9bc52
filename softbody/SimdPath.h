#pragma once

#include <functional>
#include <string>
#include <vector>

/// The instruction sets a step's spring and node passes can run in, narrowest
/// first. Every path gives the same bits; they differ only in speed.
///   scalar  one spring and one node at a time
///   sse2    two lanes of doubles (every x86-64 processor)
///   avx2      four lanes
///   avx512vl  four lanes in AVX-512's instructions, with its 32 registers
///   avx512    eight lanes
enum class SimdPath { scalar,
                      sse2,
                      avx2,
                      avx512vl,
                      avx512 };

/// Every path, in the enumeration's order.
inline constexpr SimdPath kSimdPaths[] = {SimdPath::scalar, SimdPath::sse2, SimdPath::avx2, SimdPath::avx512vl,
                                          SimdPath::avx512};

/// Whether this build and this processor can run the path.
bool simdPathAvailable(SimdPath path);
/// The paths this processor can run, in the enumeration's order.
std::vector<SimdPath> availableSimdPaths();
/// The widest path available here.
SimdPath widestSimdPath();
/// The start-up choice: of the paths available here, the one that steps a
/// small body fastest, timed once, at the first call (a few milliseconds of
/// the calling thread's time). Bodies too large for the caches may rank the
/// paths differently and time their own (SoftBody::pathTrialSprings).
SimdPath fastestSimdPath();
/// The candidate with the least of its `rounds` timings by seconds(path);
/// the candidates are timed in turns, a round each, so that a slow spell of
/// the machine falls on all of them alike. Ties go to the earlier candidate
/// (see PathTrial, which takes the timings one at a time).
SimdPath fastestOf(const std::vector<SimdPath>& candidates, int rounds,
                   const std::function<double(SimdPath)>& seconds);
/// The path every step is held to when one is forced (see simdPathForced),
/// otherwise the start-up choice, fastestSimdPath(). Read at the first call:
/// the BLORP_SIMD environment variable forces the path it names if the
/// processor can run it (see simdPathForRequest).
SimdPath simdPath();
/// Whether every step takes simdPath(): BLORP_SIMD named a path that runs
/// here, or setSimdPath was called since. Otherwise large bodies choose
/// their own path (SoftBody::advance).
bool simdPathForced();
/// Holds every later step to the path; returns false, and changes nothing,
/// when the path cannot run here. Meant for tests and benchmarks that compare
/// the paths in one process.
bool setSimdPath(SimdPath path);
/// Undoes setSimdPath: steps go back to the path BLORP_SIMD forces, or to
/// the default when it forces none.
void resetSimdPath();
/// "scalar", "sse2", "avx2", "avx512vl" or "avx512".
const char* simdPathName(SimdPath path);
/// The path named by text (one of simdPathName's texts); false for any other text.
bool parseSimdPath(const char* text, SimdPath& path);
/// The path for a BLORP_SIMD value (nullptr when unset) on a machine that
/// can run the paths `canRun` says and whose default is `fastest`: the named
/// path when it can run, otherwise the default, with a one-line warning in
/// `warning` saying so (empty otherwise). (A narrower path is not always
/// there: a processor may have AVX-512's foundation without its 256-bit forms.)
SimdPath simdPathForRequest(const char* request, const std::function<bool(SimdPath)>& canRun, SimdPath fastest,
                            std::string& warning);
