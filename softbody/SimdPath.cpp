#include "softbody/SimdPath.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace {
constexpr const char* kNames[] = {"scalar", "sse2", "avx2", "avx512"};

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
        std::string warning;
        const SimdPath path = simdPathForRequest(std::getenv("BLORP_SIMD"), widestSimdPath(), warning);
        if (!warning.empty()) std::cerr << warning << "\n";
        return int(path);
    }();
    return chosen;
}
}  // namespace

bool simdPathAvailable(SimdPath path) { return processorHas(path); }

SimdPath widestSimdPath()
{
    for (SimdPath path : {SimdPath::avx512, SimdPath::avx2, SimdPath::sse2})
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
    for (int p = 0; p < 4; ++p)
        if (std::strcmp(text, kNames[p]) == 0) {
            path = SimdPath(p);
            return true;
        }
    return false;
}

SimdPath simdPathForRequest(const char* request, SimdPath widest, std::string& warning)
{
    warning.clear();
    if (request == nullptr || *request == '\0') return widest;
    SimdPath path;
    if (!parseSimdPath(request, path)) {
        warning = std::string("blorp: BLORP_SIMD=") + request + " is not one of scalar, sse2, avx2, avx512; using " +
                  simdPathName(widest);
        return widest;
    }
    if (int(path) > int(widest)) {
        warning = std::string("blorp: BLORP_SIMD=") + request + " cannot run on this processor; using " +
                  simdPathName(widest);
        return widest;
    }
    return path;
}
