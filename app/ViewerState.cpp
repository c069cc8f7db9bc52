#include "app/ViewerState.h"

#include "softbody/SoftBody.h"
#include "world/World.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>

ViewerState viewerState;

double steadySeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void Grab::pick(const World& world, const Camera& camera, const Vector3& pointerEye)
{
    release();
    double nearest = std::numeric_limits<double>::infinity();
    for (SoftBody* candidate : world.activeBodies) {
        for (int n = 0; n < candidate->nodeCount(); ++n) {
            const MassPoint& point = candidate->nodeArray()[n];
            if (point.fixed) continue;
            const Vector3 eye = camera.toEye(point.position);
            // The projection is orthographic: the distance to the line of
            // sight is the distance across the screen.
            const double across = std::hypot(eye.x - pointerEye.x, eye.y - pointerEye.y);
            if (across < nearest || (across == nearest && eye.z > depth)) {
                nearest = across;
                body = candidate;
                node = n;
                depth = eye.z;
            }
        }
    }
}

Vector3 Grab::target(const Camera& camera, const Vector3& pointerEye) const
{
    return camera.toWorld(Vector3(pointerEye.x, pointerEye.y, depth));
}

Vector3 Grab::force(const Vector3& to) const
{
    const MassPoint& point = body->nodeArray()[node];
    const double stiffness = body->stiffness;
    const double damping = 2.0 * kDampingRatio * std::sqrt(stiffness * point.mass);
    return (to - point.position) * stiffness - point.velocity * damping;
}

void RealtimePacer::restart(double now)
{
    lastTime = now;
    owed = 0.0;
    behind = false;
}

int RealtimePacer::stepsFor(double now, double timeStep)
{
    owed += now - lastTime;
    lastTime = now;
    // A hair of slack so that a clock reading a whole number of steps is not
    // cut one short by rounding.
    const double whole = std::floor(owed / timeStep + 1e-9);
    if (whole > kMaxStepsPerFrame) {
        owed = 0.0;
        behind = true;
        return kMaxStepsPerFrame;
    }
    behind = false;
    const int steps = whole > 0.0 ? int(whole) : 0;
    owed -= steps * timeStep;
    return steps;
}

void RateMeter::count(double now, long newEvents)
{
    // The first call only opens the window: what it counts happened before.
    if (windowStart < 0.0) {
        windowStart = now;
        return;
    }
    events += newEvents;
    if (now - windowStart >= kWindow) {
        lastRate = events / (now - windowStart);
        windowStart = now;
        events = 0;
    }
}

ViewerState::ViewerState() : clock(steadySeconds) {}

int ViewerState::stepsForFrame(double now)
{
    if (isPaused) {
        const int steps = singleSteps;
        singleSteps = 0;
        return steps;
    }
    if (isRealtime) return pacer.stepsFor(now, timeStep);
    return 1;
}

void ViewerState::showNotice(const std::string& text, double now)
{
    notice = text;
    noticeUntil = now + kNoticeSeconds;
}

std::string ViewerState::statisticsLine(const World& world, double now) const
{
    long nodes = 0, springs = 0;
    for (const SoftBody* body : world.activeBodies) {
        nodes += body->nodeCount();
        springs += body->springTotal;
    }
    char text[256];
    const std::string shown = sceneFile.empty() ? std::to_string(scene) : sceneFile;
    std::snprintf(text, sizeof text,
                  "%.0f frames/s  %.0f steps/s  t %.2f s  scene %s  bodies %d of %zu  %ld nodes  %ld springs  %s",
                  frameRate.rate(), stepRate.rate(), stepsSinceStart * world.timeStep, shown.c_str(),
                  int(world.activatedCount), world.preparedBodies.size(), nodes, springs,
                  isPaused ? "paused" : "running");
    std::string line = text;
    if (world.collidesBodies) line += "  contact " + std::to_string(world.bodyContacts);
    if (isRealtime) {
        line += pacer.isBehind() ? "  real time: cannot keep up (at most " +
                                       std::to_string(RealtimePacer::kMaxStepsPerFrame) + " steps a frame)"
                                 : "  real time";
    }
    if (now < noticeUntil) line += "  " + notice;
    return line;
}
