// Internals of the RenderMan error reporting that ri.h does not show: the
// one entry through which the library reports, the context a RIB reader can
// attach to reports, and the texts the printer uses.
#pragma once

#include <ri.h>

/// Passes a report to the handler the program installed with RiErrorHandler
/// (RiErrorPrint until it installs one), then leaves `code` in RiLastError.
/// Every RenderMan error of the library goes through here. Returns only if
/// the handler returns: the standard printers end the process at their
/// severities, a program's own handler may not.
void reportError(RtInt code, RtInt severity, const char* message);

/// Reports one of the library's own diagnostics (a request left out, counts
/// that disagree) through the same handler as reportError, with `code` and
/// `severity`. The message is the whole line the printer shows, formatted
/// printf-style without its newline; RiErrorPrint writes it as that one line
/// rather than in its report layout, so users keep reading the lines they
/// know while a program's own handler sees every diagnostic with a code.
void reportDiagnostic(RtInt code, RtInt severity, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

/// Makes `handler` the one reportError calls; null restores RiErrorPrint.
void installErrorHandler(RtErrorHandler handler);

/// The handler reportError calls now.
RtErrorHandler installedErrorHandler();

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
/// pending, RiLastError 0, no context, RiErrorPrint installed.
void resetErrorPrinter();
