// The step's spring and node passes four lanes wide, in AVX-512's 256-bit
// forms: AVX2's lanes with 32 vector registers instead of 16, so the spring
// pass keeps two groups ahead in flight without spilling. The fastest path
// on processors that carry out 512-bit operations as two halves.
// Only the code after the target switch uses those instructions; the
// headers before it stay code for every processor (see StepKernels.h).
#include "softbody/StepKernels.h"

#include <immintrin.h>
#include <utility>

#pragma GCC push_options
#pragma GCC target("avx512f,avx512vl")
#define BLORP_WIDE_LANES 4
#define BLORP_WIDE_AHEAD 2
#include "softbody/WideStep.h"

const StepKernels kAvx512vlKernels = {springsWide<BLORP_WIDE_LANES>, nodesWide<BLORP_WIDE_LANES>};
#pragma GCC pop_options
