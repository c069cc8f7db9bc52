// The step's passes in eight lanes of AVX-512.
#include "softbody/StepKernels.h"

#pragma GCC push_options
#pragma GCC target("avx512f")
#include "softbody/Lanes.h"
#include "softbody/WideQuads.h"
#include "softbody/WideStep.h"

const StepKernels kAvx512Kernels = {springsWide<Avx512Lanes>, nodesWide<Avx512Lanes>, quadsWide<Avx512Lanes>,
                                    nearestQuadWide<Avx512Lanes>};
#pragma GCC pop_options
