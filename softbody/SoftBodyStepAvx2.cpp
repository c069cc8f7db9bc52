// The step's spring and node passes four lanes wide, in AVX2.
// Only the code after the target switch uses those instructions; the
// headers before it stay code for every processor (see StepKernels.h).
#include "softbody/StepKernels.h"

#include <immintrin.h>
#include <utility>

#pragma GCC push_options
#pragma GCC target("avx2")
#define BLORP_WIDE_LANES 4
// With 16 registers one group ahead fits; two spill.
#define BLORP_WIDE_AHEAD 1
#include "softbody/WideStep.h"

const StepKernels kAvx2Kernels = {springsWide<BLORP_WIDE_LANES>, nodesWide<BLORP_WIDE_LANES>};
#pragma GCC pop_options
