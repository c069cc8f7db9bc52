// The step's spring and node passes eight lanes wide, in AVX-512 (the foundation set).
// Only the code after the target switch uses those instructions; the
// headers before it stay code for every processor (see StepKernels.h).
#include "softbody/StepKernels.h"

#include <immintrin.h>
#include <utility>

#pragma GCC push_options
#pragma GCC target("avx512f")
#define BLORP_WIDE_LANES 8
#define BLORP_WIDE_REGISTERS 32
#include "softbody/WideStep.h"

const StepKernels kAvx512Kernels = {springsWide<BLORP_WIDE_LANES>, nodesWide<BLORP_WIDE_LANES>};
#pragma GCC pop_options
