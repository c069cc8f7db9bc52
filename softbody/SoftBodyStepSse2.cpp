// The step's passes in two lanes of SSE2, which every x86-64 processor has.
#include "softbody/StepKernels.h"

#pragma GCC push_options
#pragma GCC target("sse2")
#include "softbody/Lanes.h"
#include "softbody/WideQuads.h"
#include "softbody/WideStep.h"

const StepKernels kSse2Kernels = {springsWide<Sse2Lanes>, nodesWide<Sse2Lanes>, quadsWide<Sse2Lanes>,
                                  nearestQuadWide<Sse2Lanes>};
#pragma GCC pop_options
