// The step's passes in four lanes in AVX-512's 256-bit forms, with its 32 registers.
#include "softbody/StepKernels.h"

#pragma GCC push_options
#pragma GCC target("avx512f,avx512vl")
#include "softbody/Lanes.h"
#include "softbody/WideQuads.h"
#include "softbody/WideStep.h"

const StepKernels kAvx512vlKernels = {springsWide<Avx512VlLanes>, nodesWide<Avx512VlLanes>, quadsWide<Avx512VlLanes>,
                                      nearestQuadWide<Avx512VlLanes>};
#pragma GCC pop_options
