// The step's spring and node passes eight lanes wide, in AVX-512 (the foundation set).
// Only the code after the target switch uses those instructions; the
// headers before it stay code for every processor (see StepKernels.h).
#include "softbody/StepKernels.h"

// GCC 12 warns inside its own AVX-512 intrinsics, whose unused merge sources
// are deliberately uninitialised; the warning is silenced for that header only.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop
#include <utility>

#pragma GCC push_options
#pragma GCC target("avx512f")
#define BLORP_WIDE_LANES 8
// One group ahead: two eight-lane groups in flight and the transposes'
// temporaries fill the 32 registers, and two ahead spilled a little and
// measured no faster.
#define BLORP_WIDE_AHEAD 1
#include "softbody/WideStep.h"

const StepKernels kAvx512Kernels = {springsWide<BLORP_WIDE_LANES>, nodesWide<BLORP_WIDE_LANES>};
#pragma GCC pop_options
