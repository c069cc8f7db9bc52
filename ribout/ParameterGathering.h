// Boilerplate of every variable-argument operation: gather the token/value
// pairs that follow `lastNamed` into two stack arrays and their count `n`.
// It has to be a macro because va_start must run in the variadic function.
#pragma once

#include <cstdarg>

#include "ribout/Renderer.h"

#define BLORP_GATHER_PARAMETERS(lastNamed)                       \
    RtToken tokens[kMaxParameterPairs];                          \
    RtPointer values[kMaxParameterPairs];                        \
    va_list parameterArgs;                                       \
    va_start(parameterArgs, lastNamed);                          \
    const RtInt n = collectParameterList(parameterArgs, tokens, values); \
    va_end(parameterArgs)
