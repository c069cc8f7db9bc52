// How every RenderMan procedure reaches the current renderer: check that one
// is current (reporting RIE_NOTSTARTED otherwise) and keep any exception the
// renderer throws from crossing into the caller, which may be C code.
#pragma once

#include "ribout/Renderer.h"

namespace ribout {

/// The current renderer. With none, reports RIE_NOTSTARTED at RIE_SEVERE
/// with `message` (the procedure's name, or null for the procedures that
/// return a handle) through the installed handler; the standard printer
/// ends the process, and when a program's handler returns, so does this,
/// with null, and the procedure does nothing.
Renderer* requireRenderer(const char* message);

/// Reports an exception that a renderer operation let escape: RIE_NOMEM for
/// an allocation failure, RIE_BUG for anything else, at RIE_ERROR with the
/// procedure's name. Must be called from inside a catch block.
void reportEscapedException(const char* procedure) noexcept;

/// Calls `operation` on the current renderer on behalf of `procedure`.
template <typename Operation>
void dispatch(const char* procedure, Operation&& operation) noexcept
{
    Renderer* renderer = requireRenderer(procedure);
    if (renderer == nullptr) {
        return;
    }
    try {
        operation(*renderer);
    } catch (...) {
        reportEscapedException(procedure);
    }
}

/// As dispatch, for the procedures that return a handle or token: these
/// report a missing renderer without a message, and give a null result when
/// the operation fails.
template <typename Result, typename Operation>
Result dispatchReturning(const char* procedure, Operation&& operation) noexcept
{
    Renderer* renderer = requireRenderer(nullptr);
    if (renderer == nullptr) {
        return Result();
    }
    try {
        return operation(*renderer);
    } catch (...) {
        reportEscapedException(procedure);
        return Result();
    }
}

}  // namespace ribout
