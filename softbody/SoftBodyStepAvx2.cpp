// The step's passes in four lanes of AVX2.
#include "softbody/StepKernels.h"

#pragma GCC push_options
#pragma GCC target("avx2")
#include "softbody/Lanes.h"
#include "softbody/WideQuads.h"
#include "softbody/WideStep.h"

const StepKernels kAvx2Kernels = {springsWide<Avx2Lanes>, nodesWide<Avx2Lanes>, quadsWide<Avx2Lanes>,
                                  nearestQuadWide<Avx2Lanes>};
#pragma GCC pop_options
