#include "app/Session.h"

#include "app/Captures.h"
#include "app/Options.h"
#include <ri.h>
#include "world/FrameExport.h"
#include "world/FrameFiles.h"
#include "world/SceneDescription.h"
#include "world/SceneStore.h"
#include "world/Stability.h"

#include <algorithm>

#include <iostream>
#include <string>

// <iostream> comes first so the standard streams are ready before this
// world's construction writes the bodies' messages.
World globalWorld;
bool exportsEachStep = false;
bool collidesBodies = false;
std::string instabilityReport;

namespace {
// The world built by buildWorld. The global world is assigned from it and its
// bodies collide against this world's object list, so it must never go away;
// held here it also stays reachable to the end of the process.
World* heapWorld = nullptr;

// Steps since the scene on show started, for the instability report.
long sceneSteps = 0;
// Steps between two checks for unstable bodies when no frame is due.
constexpr long kCheckInterval = 8;

void replaceWorld(World* fresh)
{
    globalWorld = *fresh;
    globalWorld.collidesBodies = collidesBodies;
    // The global world held the only other copy of the old world's
    // pointers, so its bodies and objects can go, and a run of restarts
    // does not pile them up.
    if (heapWorld != nullptr) sceneStore::release(*heapWorld);
    delete heapWorld;
    heapWorld = fresh;
    sceneSteps = 0;
    instabilityReport.clear();
}

// exportTarget points into this copy of --rib's value, so it stays valid
// until the output is begun, whenever that is.
std::string ribTarget;

}  // namespace

void buildWorld(const ViewerOptions& options)
{
    std::cerr << "about to create the world...\n";
    collidesBodies = options.collidesBodies;
    startScene(options.scene, options.bodies);
    std::cerr << "world has been created...\n";
}

void buildWorld(const ViewerOptions& options, const SceneDescription& scene)
{
    std::cerr << "about to create the world...\n";
    for (const std::string& warning : stabilityWarnings(scene)) std::cerr << warning << "\n";
    startDescribedScene(scene, options.isBodiesGiven ? options.bodies : scene.activeBodies);
    std::cerr << "world has been created...\n";
}

void startScene(int scene, int bodies)
{
    captureWorldStarted();
    World* fresh = new World(scene);
    for (int k = 1; k < bodies; ++k) fresh->activateNextBody();
    replaceWorld(fresh);
}

void startDescribedScene(const SceneDescription& scene, int bodies)
{
    captureWorldStarted();
    SceneDescription started = scene;
    started.activeBodies = std::min(bodies, int(scene.bodies.size()));
    replaceWorld(new World(started));
}

long stepsTaken = 0;

void checkWorld()
{
    const int unstable = firstUnstableBody(globalWorld);
    if (unstable >= 0) instabilityReport = describeInstability(globalWorld, unstable, sceneSteps);
}

void stepWorld()
{
    globalWorld.step();
    ++sceneSteps;
    // A check over every node after every step would cost several per cent
    // of the step (docs/performance.md); a body that diverges grows by a
    // large factor each step, so one check in kCheckInterval steps finds it
    // within a few steps of the first sign. The RIB export and the mesh
    // cache each write on every kCheckInterval-th of their calls, from the
    // first, and both are called once per step from the run's first: the
    // steps checked are the steps they write on, so no frame of either is
    // ever written unchecked.
    if ((exportsEachStep && nextExportWritesFrame()) || stepsTaken % kCheckInterval == 0) checkWorld();
    if (instabilityReport.empty()) {
        if (exportsEachStep) globalWorld.exportFrame();
        captureStep(globalWorld);
    }
    ++stepsTaken;
}

void prepareExport(const ViewerOptions& options)
{
    prepareCaptures(options);
    if (!options.exportsFrames) return;
    ribTarget = options.ribTarget;
    exportTarget = ribTarget == ViewerOptions::kStandardOutput ? nullptr : ribTarget.c_str();
    exportFramePattern = frameFiles::isPattern(ribTarget) ? ribTarget.c_str() : nullptr;
    exportImageWidth = options.imageWidth;
    exportImageHeight = options.imageHeight;
    // The library keeps the encoding for the RiBegin of the first export.
    RtString format = options.writesBinaryRib ? "binary" : "ascii";
    RiOption("rib", "format", &format, RI_NULL);
    exportsEachStep = true;
}

int closeExport()
{
    // Calling RiEnd with nothing open would report a severe nesting error and
    // end the process with status -1: a normal quit must not look like a
    // failure. A RIB file or renderer that could not take all of the output
    // must not pass for a finished one, so its report turns into status 1.
    // Every way out of a run comes here, so the other outputs end here too.
    finishCaptures();
    if (RiGetContext() == nullptr) return 0;
    RiLastError = RIE_NOERROR;
    RiEnd();
    return RiLastError == RIE_NOERROR ? 0 : 1;
}
