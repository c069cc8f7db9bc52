#include "ribout/ErrorReporting.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

RtInt RiLastError = RIE_NOERROR;

namespace {

constexpr size_t kMessageCapacity = 1024;
constexpr int kExitStatus = -1;

struct PrinterState {
    bool printedBefore = false;
    char rememberedMessage[kMessageCapacity] = {};
    int repeatCount = 0;
    const char* sourceFile = nullptr;
    long sourceLine = 0;
    long rememberedLine = 0;
    const char* objectName = nullptr;
};

PrinterState printer;

RtErrorHandler currentHandler = RiErrorPrint;

// The line of the diagnostic being reported, while its handler runs. The
// printer recognises it by address, so a handler that forwards the message
// to RiErrorPrint gets the plain line, and any other report it makes from
// inside prints in the usual layout.
const char* diagnosticLine = nullptr;

// A missing message compares as the empty text, so identical reports without
// a message fold like any others.
bool sameMessage(const char* message)
{
    return std::strcmp(message != nullptr ? message : "", printer.rememberedMessage) == 0;
}

bool isRepeat(RtInt code, const char* message)
{
    if (!printer.printedBefore || code != RiLastError || code == RIE_NOERROR) {
        return false;
    }
    // Each bad token names a different parameter to fix, so these are never
    // folded even when the text happens to match.
    if (code == RIE_BADTOKEN && message != nullptr) {
        return false;
    }
    // The same error at another place in the input is news.
    return sameMessage(message) && printer.sourceLine == printer.rememberedLine;
}

}  // namespace

const char* errorCodeText(RtInt code)
{
    switch (code) {
    case RIE_NOMEM: return "Memory allocation error";
    case RIE_SYSTEM: return "System error";
    case RIE_NOFILE: return "File not found";
    case RIE_BADFILE: return "Bad file";
    case RIE_INCAPABLE: return "Optional RI feature not implemented";
    case RIE_UNIMPLEMENT: return "Unimplemented feature";
    case RIE_LIMIT: return "Program limit";
    case RIE_BUG: return "Probable bug in renderer";
    case RIE_NOTSTARTED: return "RiBegin not called";
    case RIE_NESTING: return "Nesting error";
    case RIE_NOTOPTIONS: return "Invalid state for declaring options";
    case RIE_NOTATTRIBS: return "Invalid state for declaring attributes";
    case RIE_NOTPRIMS: return "Invalid state for declaring primitives";
    case RIE_ILLSTATE: return "Invalid state";
    case RIE_BADMOTION: return "Bad Motion block";
    case RIE_BADSOLID: return "Bad Solid block";
    case RIE_BADTOKEN: return "Invalid token";
    case RIE_RANGE: return "Parameter out of range";
    case RIE_CONSISTENCY: return "Parameters inconsistent";
    case RIE_BADHANDLE: return "Bad handle";
    case RIE_NOSHADER: return "Cannot load requested shader";
    case RIE_MISSINGDATA: return "Required parameters not provided";
    case RIE_SYNTAX: return "Syntax error";
    case RIE_MATH: return "Math error";
    default: return nullptr;
    }
}

const char* errorSeverityName(RtInt severity)
{
    // Out-of-range severities are clamped rather than used as an index.
    if (severity <= RIE_INFO) {
        return "INFO";
    }
    switch (severity) {
    case RIE_WARNING: return "WARNING";
    case RIE_ERROR: return "ERROR";
    default: return "SEVERE ERROR";
    }
}

void setErrorSourcePosition(const char* fileName, long line)
{
    printer.sourceFile = fileName;
    printer.sourceLine = line;
}

void setErrorObjectName(const char* objectName)
{
    printer.objectName = objectName;
}

void resetErrorPrinter()
{
    printer = PrinterState{};
    RiLastError = RIE_NOERROR;
    currentHandler = RiErrorPrint;
}

void reportError(RtInt code, RtInt severity, const char* message)
{
    currentHandler(code, severity, message);
    // Set after the handler, not before: the printer compares the code with
    // the previous one to fold repeats. A program's own handler may not set
    // it, yet the program can still ask what went wrong.
    RiLastError = code;
}

void reportDiagnostic(RtInt code, RtInt severity, const char* format, ...)
{
    // The line is whole however long the names in it are: a longer one than
    // the stack buffer holds is formatted again into the heap.
    char shortLine[kMessageCapacity];
    char* line = shortLine;
    va_list arguments;
    va_start(arguments, format);
    va_list again;
    va_copy(again, arguments);
    const int length = std::vsnprintf(shortLine, sizeof shortLine, format, arguments);
    va_end(arguments);
    if (length >= static_cast<int>(sizeof shortLine)) {
        if (char* longLine = static_cast<char*>(std::malloc(static_cast<size_t>(length) + 1))) {
            std::vsnprintf(longLine, static_cast<size_t>(length) + 1, format, again);
            line = longLine;
        }
    }
    va_end(again);
    // A handler may itself cause a diagnostic; the outer line is restored
    // for the rest of the outer call.
    const char* outerLine = diagnosticLine;
    diagnosticLine = line;
    currentHandler(code, severity, line);
    diagnosticLine = outerLine;
    if (line != shortLine) {
        std::free(line);
    }
    RiLastError = code;
}

void installErrorHandler(RtErrorHandler handler)
{
    currentHandler = handler != nullptr ? handler : RiErrorPrint;
}

RtErrorHandler installedErrorHandler()
{
    return currentHandler;
}

extern "C" {

RtVoid RiErrorIgnore(RtInt code, RtInt /*severity*/, const char* /*message*/)
{
    RiLastError = code;
}

RtVoid RiErrorPrint(RtInt code, RtInt severity, const char* message)
{
    if (message != nullptr && message == diagnosticLine) {
        // A diagnostic is its own line and stands outside the folding of
        // reports: it neither folds nor ends a run of repeats.
        std::fprintf(stderr, "%s\n", message);
        std::fflush(stderr);
        if (severity >= RIE_SEVERE) {
            std::exit(kExitStatus);
        }
        return;
    }
    if (isRepeat(code, message)) {
        ++printer.repeatCount;
        return;
    }
    FILE* out = stderr;
    if (printer.repeatCount > 0) {
        std::fprintf(out, "    (last message repeated %d times)\n", printer.repeatCount);
        printer.repeatCount = 0;
    }
    std::fprintf(out, "%s: ", errorSeverityName(severity));
    if (printer.sourceLine > 0) {
        std::fprintf(out, "%s (%ld): ", printer.sourceFile != nullptr ? printer.sourceFile : "",
                     printer.sourceLine);
    }
    if (const char* text = errorCodeText(code)) {
        std::fprintf(out, "%s", text);
    } else if (code != RIE_NOERROR) {
        std::fprintf(out, "code %d", code);
    }
    printer.rememberedMessage[0] = '\0';
    if (message != nullptr) {
        std::fprintf(out, "\n    --> %s", message);
        // A message that would not fit is printed but not remembered, so the
        // next identical report prints again instead of comparing a truncation.
        if (std::strlen(message) < kMessageCapacity - 1) {
            std::strcpy(printer.rememberedMessage, message);
        }
    }
    std::fprintf(out, "\n");
    if (printer.objectName != nullptr) {
        std::fprintf(out, "\t(error encountered in object \"%s\")\n", printer.objectName);
    }
    std::fflush(out);
    if (severity >= RIE_SEVERE) {
        std::exit(kExitStatus);
    }
    printer.printedBefore = true;
    RiLastError = code;
    printer.rememberedLine = printer.sourceLine;
}

RtVoid RiErrorAbort(RtInt code, RtInt severity, const char* message)
{
    RiErrorPrint(code, severity, message);
    if (severity >= RIE_ERROR) {
        std::exit(kExitStatus);
    }
}

}  // extern "C"
