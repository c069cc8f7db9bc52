#include "softbody/SimdPath.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <iterator>

namespace {
constexpr const char* kNames[] = {"scalar", "sse2", "avx2", "avx512vl", "avx512"};
static_assert(std::size(kNames) == std::size(kSimdPaths));

bool processorHas(SimdPath path)
{
    switch (path) {
    case SimdPath::scalar: return true;
#if defined(BLORP_X86_PATHS)
    // SSE2 is part of x86-64 itself. The wider paths need the operating
    // system's support for their registers too, which __builtin_cpu_supports
    // takes into account.
    case SimdPath::sse2: return true;
    case SimdPath::avx2: return __builtin_cpu_supports("avx2");
    case SimdPath::avx512vl: return __builtin_cpu_supports("avx512vl");
    case SimdPath::avx512: return __builtin_cpu_supports("avx512f");
#endif
    default: return false;
    }
}

constexpr int kNoForcedPath = -1;

// The path BLORP_SIMD names, or kNoForcedPath. Read on first use, so a
// program can still set BLORP_SIMD in main() before its first step; the
// paths are timed only when the default is wanted.
int requestedPath()
{
    static const int requested = [] {
        const char* request = std::getenv("BLORP_SIMD");
        SimdPath named;
        if (request != nullptr && parseSimdPath(request, named) && processorHas(named)) return int(named);
        std::string warning;
        if (request != nullptr && *request != '\0')
            simdPathForRequest(request, processorHas, fastestSimdPath(), warning);
        if (!warning.empty()) std::cerr << warning << "\n";
        return kNoForcedPath;
    }();
    return requested;
}

// The path every step is held to, or kNoForcedPath for the default.
std::atomic<int>& forcedPath()
{
    static std::atomic<int> forced{requestedPath()};
    return forced;
}
}  // namespace

bool simdPathAvailable(SimdPath path) { return processorHas(path); }

std::vector<SimdPath> availableSimdPaths()
{
    std::vector<SimdPath> paths;
    for (SimdPath path : kSimdPaths)
        if (processorHas(path)) paths.push_back(path);
    return paths;
}

SimdPath widestSimdPath()
{
    for (SimdPath path : {SimdPath::avx512, SimdPath::avx512vl, SimdPath::avx2, SimdPath::sse2})
        if (processorHas(path)) return path;
    return SimdPath::scalar;
}

SimdPath simdPath()
{
    const int forced = forcedPath().load(std::memory_order_relaxed);
    return forced == kNoForcedPath ? fastestSimdPath() : SimdPath(forced);
}

bool simdPathForced() { return forcedPath().load(std::memory_order_relaxed) != kNoForcedPath; }

bool setSimdPath(SimdPath path)
{
    if (!simdPathAvailable(path)) return false;
    forcedPath().store(int(path), std::memory_order_relaxed);
    return true;
}

void resetSimdPath() { forcedPath().store(requestedPath(), std::memory_order_relaxed); }

const char* simdPathName(SimdPath path) { return kNames[int(path)]; }

bool parseSimdPath(const char* text, SimdPath& path)
{
    for (SimdPath p : kSimdPaths)
        if (std::strcmp(text, simdPathName(p)) == 0) {
            path = p;
            return true;
        }
    return false;
}

SimdPath simdPathForRequest(const char* request, const std::function<bool(SimdPath)>& canRun, SimdPath fastest,
                            std::string& warning)
{
    warning.clear();
    if (request == nullptr || *request == '\0') return fastest;
    SimdPath path;
    if (!parseSimdPath(request, path)) {
        std::string names;
        for (SimdPath p : kSimdPaths) names += std::string(names.empty() ? "" : ", ") + simdPathName(p);
        warning = std::string("blorp: BLORP_SIMD=") + request + " is not one of " + names + "; using " +
                  simdPathName(fastest);
        return fastest;
    }
    if (!canRun(path)) {
        warning = std::string("blorp: BLORP_SIMD=") + request + " cannot run on this processor; using " +
                  simdPathName(fastest);
        return fastest;
    }
    return path;
}
