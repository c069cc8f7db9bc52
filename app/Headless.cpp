#include "app/Headless.h"

#include "app/Captures.h"
#include "app/Interruption.h"
#include "app/Options.h"
#include "app/ProgressReport.h"
#include "app/Session.h"
#include "world/FrameFiles.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {
std::string summary(const ViewerOptions& options, double seconds, int status)
{
    char text[160];
    const double rate = seconds > 0.0 ? options.steps / seconds : 0.0;
    const std::string scene = options.sceneFile.empty() ? "scene " + std::to_string(options.scene) : options.sceneFile;
    std::snprintf(text, sizeof text, " in %.2f s (%.0f steps/s)", seconds, rate);
    std::string line = "blorp: " + std::to_string(options.steps) + " steps of " + scene + text;
    if (options.exportsFrames) {
        line += "; " + std::to_string(framesWritten()) + " frames written to " + targetText(options.ribTarget);
        if (framesWritten() > 0 && frameFiles::isPattern(options.ribTarget))
            line += ", the last " + frameFiles::record().lastWritten;
        if (status != 0) line += ", but the RIB output could not be finished";
    }
    return line + captureSummary();
}
}  // namespace

int runHeadless(const ViewerOptions& options, const SceneDescription* scene)
{
    guardRun(options);
    if (scene != nullptr)
        buildWorld(options, *scene);
    else
        buildWorld(options);
    prepareExport(options);

    ProgressReport progress(std::cerr, options.steps, isatty(STDERR_FILENO) == 1);
    for (int done = 1; done <= options.steps; ++done) {
        stepWorld();
        if (!instabilityReport.empty()) {
            progress.clearBar();
            std::cerr << "blorp: " << instabilityReport << "\n";
            closeExport();
            return 1;
        }
        progress.update(done);
        if (isStopRequested()) {
            progress.clearBar();
            return endStoppedRun();
        }
    }
    // Timed before closing: a renderer at the end of a pipe may take long
    // to finish, and that is not the simulation's time.
    const double seconds = progress.elapsed();
    // The RIB library reports a failed close on standard error.
    progress.clearBar();
    const int status = closeExport();
    progress.finish(summary(options, seconds, status));
    return status;
}
