// Boilerplate of every variable-argument operation: gather the token/value
// pairs that follow `lastNamed` into two stack arrays and their count `n`.
// It has to be a macro because va_start must run in the variadic function.
//
// Several operations of the RenderMan binding end their fixed arguments with
// an RtFloat (RiSphere's thetamax, for one). ISO C++ leaves va_start after a
// parameter that undergoes promotion undefined, but GCC and Clang find the
// variable arguments from the calling convention alone, whatever that
// parameter's type; Clang's -Wvarargs warning about it is therefore silenced.
#pragma once

#include <cstdarg>

#include "ribout/Renderer.h"

#if defined(__clang__)
#define BLORP_VA_START(list, lastNamed)                   \
    _Pragma("clang diagnostic push")                      \
        _Pragma("clang diagnostic ignored \"-Wvarargs\"") \
            va_start(list, lastNamed);                    \
    _Pragma("clang diagnostic pop")
#else
#define BLORP_VA_START(list, lastNamed) va_start(list, lastNamed);
#endif

#define BLORP_GATHER_PARAMETERS(lastNamed)                               \
    RtToken tokens[kMaxParameterPairs];                                  \
    RtPointer values[kMaxParameterPairs];                                \
    va_list parameterArgs;                                               \
    BLORP_VA_START(parameterArgs, lastNamed)                             \
    const RtInt n = collectParameterList(parameterArgs, tokens, values); \
    va_end(parameterArgs)
