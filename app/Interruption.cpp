#include "app/Interruption.h"

#include "app/Captures.h"
#include "app/Options.h"
#include "app/Session.h"
#include <ri.h>
#include "world/FrameExport.h"
#include "world/FrameFiles.h"

#include <csignal>
#include <cstdlib>
#include <iostream>

namespace {
// World::exportFrame writes one frame on its first call and on every eighth
// call after it.
constexpr long kCallsPerFrame = 8;
// A process ended by a signal reports 128 plus its number to the shell.
constexpr int kSignalStatusBase = 128;

volatile std::sig_atomic_t stopSignalNumber = 0;

bool hasOutputFailed = false;
std::string outputFailure;
std::string outputName;
bool exportsFrames = false;
bool writesFrameFiles = false;

extern "C" void recordStopSignal(int number)
{
    if (stopSignalNumber == 0) stopSignalNumber = number;
}

// The run's error handler.
//
// An output that cannot be opened leaves nothing to export to: it says why,
// in the library's words, and ends with status 1.
//
// Reports of a failed output made while it is open come from the run's
// writes; the run ends on the first with a line of its own. RiEnd closes with
// no renderer current, so what goes wrong at the close is printed as always,
// and the line that follows it only says that the output could not be
// finished.
//
// With one file per frame, a file that cannot be made or written ends the
// run as a failed output does, whichever frame it is: the files before it
// are whole and the stop line names them.
//
// Every other report is printed as the library would.
extern "C" void handleRunError(RtInt code, RtInt severity, RtString message)
{
    if (writesFrameFiles && (code == RIE_NOFILE || code == RIE_SYSTEM)) {
        if (!hasOutputFailed) {
            hasOutputFailed = true;
            outputFailure = message != nullptr ? message : "";
        }
        return;
    }
    if (code == RIE_NOFILE) {
        std::cerr << (message != nullptr ? message : "Error making RIB file") << "\n";
        std::exit(1);
    }
    if (code == RIE_SYSTEM && RiGetContext() != nullptr && !hasOutputFailed) {
        hasOutputFailed = true;
        outputFailure = message != nullptr ? message : "";
        return;
    }
    RiErrorPrint(code, severity, message);
}

void catchStopSignal(int number)
{
    struct sigaction action {};
    action.sa_handler = recordStopSignal;
    sigemptyset(&action.sa_mask);
    // Restarted, so that a write into the RIB output carries on instead of
    // failing; reset, so that a second signal ends the process at once.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(number, &action, nullptr);
}

const char* signalName(int number)
{
    switch (number) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    default: return "a signal";
    }
}
}  // namespace

void guardRun(const ViewerOptions& options)
{
    exportsFrames = options.exportsFrames;
    writesFrameFiles = options.exportsFrames && frameFiles::isPattern(options.ribTarget);
    outputName = targetText(options.ribTarget);
    catchStopSignal(SIGINT);
    catchStopSignal(SIGTERM);
    RiErrorHandler(handleRunError);
}

bool isStopRequested()
{
    return hasOutputFailed || stopSignalNumber != 0 || hasCaptureFailed() || !frameFiles::record().failedFile.empty();
}

int endStoppedRun()
{
    const std::string steps = std::to_string(stepsTaken) + (stepsTaken == 1 ? " step" : " steps");
    if (writesFrameFiles && !frameFiles::record().failedFile.empty()) {
        const frameFiles::Record& files = frameFiles::record();
        const std::string reason = files.failureReason.empty()
                                       ? frameFileFailureReason(outputFailure, files.failedFile)
                                       : files.failureReason;
        std::cerr << "blorp: stopped after " << steps << ": the RIB output to " << files.failedFile
                  << " failed: " << reason << "; " << lastFileText() << "\n";
        return 1;
    }
    if (hasOutputFailed) {
        // The output has reported its failure once; finishing it reports
        // nothing more and waits for a renderer that may still be ending.
        closeExport();
        std::cerr << "blorp: stopped after " << steps << ": the RIB output to " << outputName
                  << " failed: " << failureReason(outputFailure) << "\n";
        return 1;
    }
    if (stopSignalNumber == 0 && hasCaptureFailed()) {
        closeExport();
        std::cerr << "blorp: stopped after " << steps << ": " << captureFailure() << "\n";
        return 1;
    }
    const int number = stopSignalNumber;
    const int closed = closeExport();
    std::string line = std::string("blorp: stopped by ") + signalName(number) + " after " + steps;
    if (exportsFrames) {
        line += "; " + std::to_string(framesWritten()) + " frames written to " + outputName;
        if (writesFrameFiles && framesWritten() > 0) line += ", the last " + frameFiles::record().lastWritten;
        if (closed != 0) line += ", but the RIB output could not be finished";
    }
    std::cerr << line << captureSummary() << "\n";
    return kSignalStatusBase + number;
}

long framesWritten()
{
    if (writesFrameFiles) return frameFiles::record().written;
    return frameCounter < 0 ? 0 : long(frameCounter) / kCallsPerFrame + 1;
}

std::string lastFileText()
{
    const std::string& last = frameFiles::record().lastWritten;
    return last.empty() ? "no frame file was written whole" : "the last whole file is " + last;
}

std::string frameFileFailureReason(const std::string& message, const std::string& file)
{
    // The library names the file it opened, the frame's partial name,
    // sometimes in quotes; the reason follows it.
    const std::string partial = frameFiles::partialName(file);
    for (const std::string& name : {partial + "\": ", partial + ": "}) {
        const size_t at = message.rfind(name);
        if (at != std::string::npos) return message.substr(at + name.size());
    }
    return failureReason(message);
}

std::string targetText(const std::string& target)
{
    return target == ViewerOptions::kStandardOutput ? "standard output" : target;
}

std::string failureReason(const std::string& message)
{
    // The output's name is quoted and may hold anything, ": " included, so
    // the reason is looked for after its closing quote.
    const size_t quote = message.rfind('"');
    const size_t separator = message.find(": ", quote == std::string::npos ? 0 : quote);
    return separator == std::string::npos ? message : message.substr(separator + 2);
}
