// Internals of the RenderMan error printer that ri.h does not show: the
// context a RIB reader can attach to reports, and the texts the printer uses.
#pragma once

#include "ri.h"

/// Text printed for an error code, or null for a code without one.
const char* errorCodeText(RtInt code);

/// Name printed for a severity. Below RIE_INFO counts as "INFO" and above
/// RIE_SEVERE as "SEVERE ERROR", matching how the printer acts on them.
const char* errorSeverityName(RtInt severity);

/// Source position shown in later reports while `line` is above 0. The
/// printer keeps the pointer, not a copy.
void setErrorSourcePosition(const char* fileName, long line);

/// Object name shown under later reports; null shows none. The printer keeps
/// the pointer, not a copy.
void setErrorObjectName(const char* objectName);

/// Returns the printer to its state at start: nothing printed, no repeat
/// pending, RiLastError 0, no context.
void resetErrorPrinter();
