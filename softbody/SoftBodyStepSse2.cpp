// The step's spring and node passes two lanes wide, in SSE2, which every x86-64 processor has.
// Only the code after the target switch uses those instructions; the
// headers before it stay code for every processor (see StepKernels.h).
#include "softbody/StepKernels.h"

#include <immintrin.h>
#include <utility>

#pragma GCC push_options
#pragma GCC target("sse2")
#define BLORP_WIDE_LANES 2
// No group ahead: with two lanes the pipeline's bookkeeping costs more than
// it wins.
#define BLORP_WIDE_AHEAD 0
#include "softbody/WideStep.h"

const StepKernels kSse2Kernels = {springsWide<BLORP_WIDE_LANES>, nodesWide<BLORP_WIDE_LANES>};
#pragma GCC pop_options
