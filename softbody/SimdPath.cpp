#include "softbody/SimdPath.h"

#include <atomic>
#if defined(BLORP_X86_PATHS)
#include <cpuid.h>
#endif
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

#if defined(BLORP_X86_PATHS)
// AMD's family 19h processors with AVX-512 (Zen 4) carry out each 512-bit
// operation as two 256-bit halves, and the wider registers only lengthen
// the step's dependency chains: there the eight-lane step measured 0.7
// times the four-lane AVX2 one for a cube in cache and 0.8 times for a
// sheet on its table, while four lanes in AVX-512's encoding, with twice
// AVX2's registers, beat AVX2 (docs/performance.md). Family 1Ah (Zen 5)
// does 512-bit operations whole, and eight lanes are its fastest path.
bool splitsWideVectors()
{
    unsigned eax, ebx, ecx, edx;
    if (!__get_cpuid(0, &eax, &ebx, &ecx, &edx)) return false;
    const bool amd = ebx == 0x68747541 && edx == 0x69746e65 && ecx == 0x444d4163;  // "AuthenticAMD"
    if (!amd || !__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
    // The extended family counts only on top of a base family of 0xf.
    const unsigned base = (eax >> 8) & 0xf;
    const unsigned family = base == 0xf ? base + ((eax >> 20) & 0xff) : base;
    return family == 0x19;
}
#endif

std::atomic<int>& chosenPath()
{
    // Chosen on first use, so a program can still set BLORP_SIMD in main()
    // before its first step.
    static std::atomic<int> chosen = [] {
        std::string warning;
        const SimdPath path = simdPathForRequest(std::getenv("BLORP_SIMD"), processorHas, fastestSimdPath(), warning);
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

SimdPath fastestSimdPath()
{
    const SimdPath widest = widestSimdPath();
#if defined(BLORP_X86_PATHS)
    if (widest == SimdPath::avx512 && splitsWideVectors())
        return processorHas(SimdPath::avx512vl) ? SimdPath::avx512vl : SimdPath::avx2;
#endif
    return widest;
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
