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

std::atomic<int>& chosenPath()
{
    // Chosen on first use, so a program can still set BLORP_SIMD in main()
    // before its first step.
    static std::atomic<int> chosen = [] {
        // The paths are timed only when the default is wanted.
        const char* request = std::getenv("BLORP_SIMD");
        SimdPath named;
        const bool runsNamed = request != nullptr && parseSimdPath(request, named) && processorHas(named);
        std::string warning;
        const SimdPath path =
            simdPathForRequest(request, processorHas, runsNamed ? named : fastestSimdPath(), warning);
        if (!warning.empty()) std::cerr << warning << "\n";
        return int(path);
    }();
    return chosen;
}
}  // namespace

bool simdPathAvailable(SimdPath path) { return processorHas(path); }

SimdPath widestSimdPath()
{
    for (SimdPath path : {SimdPath::avx512, SimdPath::avx512vl, SimdPath::avx2, SimdPath::sse2})
        if (processorHas(path)) return path;
    return SimdPath::scalar;
}

SimdPath simdPath() { return SimdPath(chosenPath().load(std::memory_order_relaxed)); }

bool setSimdPath(SimdPath path)
{
    if (!simdPathAvailable(path)) return false;
    chosenPath().store(int(path), std::memory_order_relaxed);
    return true;
}

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
