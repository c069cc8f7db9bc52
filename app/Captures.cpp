#include "app/Captures.h"

#include "app/Options.h"
#include "app/Screenshot.h"
#include "app/VideoRecorder.h"
#include "app/ViewerState.h"
#include "world/MeshCache.h"
#include "world/World.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>

namespace {
// Under real-time playback the video takes one frame every 8 steps, 25
// frames a second of simulated time, however many steps a drawn frame takes.
constexpr int kRealtimeStepsPerVideoFrame = 8;

std::unique_ptr<MeshCache> meshCache;
std::string shotsDirectory;
bool isScreenshotRequested = false;

std::string recordFile;
int recordStepsPerFrame = 1;
std::unique_ptr<VideoRecorder> recorder;
bool isRecordingOver = false;  // started and ended, or never able to start

void reportVideoFailure(const std::string& reason)
{
    std::cerr << "blorp: the recording to " << recordFile << " failed: " << reason
              << "; the viewer goes on without it\n";
    viewerState.showNotice("recording failed: " + reason, viewerState.clock());
}

void saveScreenshot()
{
    const std::string path = screenshotPath(shotsDirectory, viewerState.scene, viewerState.stepsSinceStart);
    const Picture picture = readWindow(viewerState.width, viewerState.height, viewerState.width, viewerState.height);
    std::string problem;
    if (writePng(path, picture, problem)) {
        std::cerr << "blorp: screenshot " << path << " (" << picture.width << "x" << picture.height << ")\n";
        viewerState.showNotice("F2: screenshot " + path, viewerState.clock());
    } else {
        std::cerr << "blorp: the screenshot " << path << " could not be written: " << problem << "\n";
        viewerState.showNotice("F2: no screenshot: " + problem, viewerState.clock());
    }
}

void recordFrame(int steps)
{
    if (recordFile.empty() || isRecordingOver) return;
    if (!recorder) recorder = std::make_unique<VideoRecorder>(recordFile, recordStepsPerFrame, World::kTimeStep);
    const int copies = recorder->framesDue(steps);
    if (copies == 0) return;
    // ffmpeg is told one size for the whole video: the window's when the
    // first frame is due. A resized window is cropped or padded to it.
    if (!recorder->isStarted() && !recorder->start(viewerState.width, viewerState.height)) {
        std::cerr << "blorp: cannot record to " << recordFile << ": " << recorder->failure()
                  << "; the viewer goes on without it\n";
        viewerState.showNotice("cannot record: " + recorder->failure(), viewerState.clock());
        isRecordingOver = true;
        return;
    }
    const std::string failure = recorder->takeFailure();
    if (!failure.empty()) {
        recorder->finish();
        reportVideoFailure(failure);
        isRecordingOver = true;
        return;
    }
    recorder->add(readWindow(viewerState.width, viewerState.height, recorder->width(), recorder->height()), copies);
}
}  // namespace

void prepareCaptures(const ViewerOptions& options)
{
    meshCache.reset();
    recorder.reset();
    isRecordingOver = false;
    isScreenshotRequested = false;
    shotsDirectory = options.shotsDirectory;
    recordFile = options.recordFile;
    recordStepsPerFrame = options.recordEvery * (options.isRealtime ? kRealtimeStepsPerVideoFrame : 1);
    if (options.meshCacheDirectory.empty()) return;
    meshCache = std::make_unique<MeshCache>(options.meshCacheDirectory);
    if (!meshCache->open()) {
        std::cerr << "blorp: " << meshCache->failure() << "\n";
        std::exit(1);
    }
}

void captureStep(const World& world)
{
    if (meshCache) meshCache->record(world);
}

void captureWorldStarted()
{
    if (meshCache) meshCache->startWorld();
}

bool hasCaptureFailed() { return meshCache && meshCache->hasFailed(); }

std::string captureFailure()
{
    return meshCache ? "the mesh cache in " + meshCache->directory() + " failed: " + meshCache->failure() : "";
}

std::string captureSummary()
{
    if (!meshCache) return "";
    return "; " + std::to_string(meshCache->framesWritten()) + " mesh cache frames in " + meshCache->directory();
}

void requestScreenshot() { isScreenshotRequested = true; }

void captureFrame(int steps)
{
    if (isScreenshotRequested) {
        isScreenshotRequested = false;
        saveScreenshot();
    }
    recordFrame(steps);
}

void finishCaptures()
{
    if (meshCache) meshCache->finish();
    if (!recorder || !recorder->isStarted() || isRecordingOver) return;
    isRecordingOver = true;
    if (recorder->finish()) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.3f", recorder->seconds());
        std::cerr << "blorp: recorded " << recorder->framesWritten() << " frames (" << seconds
                  << " s of simulated time) to " << recordFile << "\n";
    } else {
        const std::string failure = recorder->takeFailure();
        if (!failure.empty()) reportVideoFailure(failure);
    }
}
