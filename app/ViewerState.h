#pragma once

#include "app/Camera.h"

#include <functional>
#include <string>

class SoftBody;
class World;

/// A mass point held by a Ctrl + left drag. Every step it is pulled toward
/// the point of the pointer's ray at the depth where it was picked, by a
/// spring of its body's own stiffness, through its external force.
struct Grab {
    /// Share of critical damping of the grab spring on the held point alone:
    /// enough to keep the point from ringing around the pointer.
    static constexpr double kDampingRatio = 0.5;

    SoftBody* body = nullptr;        ///< null while nothing is held
    int node = 0;                    ///< index into body->nodeArray()
    double depth = 0.0;              ///< eye-space z of the point when it was picked
    int pointerX = 0, pointerY = 0;  ///< the pointer, in window pixels from the top left

    bool isHeld() const { return body != nullptr; }
    void release() { body = nullptr; }

    /// Holds the active body's mass point nearest to the line of sight
    /// through eye-space point `pointerEye` (the nearest to the viewer among
    /// equals); fixed points are not picked. Holds nothing when no active
    /// body has a free point.
    void pick(const World& world, const Camera& camera, const Vector3& pointerEye);
    /// Where the held point is pulled: the pointer's line of sight at `depth`, in world coordinates.
    Vector3 target(const Camera& camera, const Vector3& pointerEye) const;
    /// The spring force toward `target` on the held point, damped by its velocity.
    Vector3 force(const Vector3& target) const;
};

/// Steps per drawn frame under real-time playback: as many as keep the
/// simulated time with the clock, at most kMaxStepsPerFrame.
class RealtimePacer {
public:
    /// 0.1 s of simulated time per frame: real time holds down to 10 frames
    /// per second; below that the picture slows down instead of stepping in
    /// ever bigger bursts that would make each frame slower still.
    static constexpr int kMaxStepsPerFrame = 20;

    /// Counts from `now`: nothing is owed for the time before.
    void restart(double now);
    /// The steps owed since the last call. When more than kMaxStepsPerFrame
    /// are owed, returns that many, forgets the rest and reports isBehind
    /// until a frame keeps up again.
    int stepsFor(double now, double timeStep);
    bool isBehind() const { return behind; }

private:
    double lastTime = 0.0;
    double owed = 0.0;  // seconds of simulated time not yet stepped
    bool behind = false;
};

/// Events per second, counted over windows of kWindow seconds.
class RateMeter {
public:
    static constexpr double kWindow = 0.5;
    void count(double now, long events);
    double rate() const { return lastRate; }

private:
    double windowStart = -1.0;
    long events = 0;
    double lastRate = 0.0;
};

/// Everything the viewer keeps beyond the world: the camera, pause and
/// playback, the overlays, the drag in progress, and its counters. With
/// every field at its start value the viewer behaves exactly as the plain
/// display cycle: one step per frame, the fixed view, nothing else drawn.
struct ViewerState {
    using Clock = std::function<double()>;
    /// How long a notice (such as 'n' with nothing left) stays on the statistics line.
    static constexpr double kNoticeSeconds = 3.0;

    enum class Drag { none,
                      orbit,
                      grab };

    Clock clock;  ///< seconds on a monotonic clock; tests substitute their own
    Camera camera;
    bool isPaused = false;
    int singleSteps = 0;  ///< '.' presses waiting for the next frame
    bool isRealtime = false;
    RealtimePacer pacer;
    bool drawsRoom = false;
    bool showsHelp = false;
    bool showsStatistics = false;
    bool keepsAspect = false;
    int width = 0, height = 0;  ///< the window, in pixels
    Drag drag = Drag::none;
    int dragX = 0, dragY = 0;  ///< the pointer at the last motion of an orbit
    Grab grab;
    int scene = 0;  ///< the scene on show, or the last catalogue scene while one from a file is
    /// The scene file on show ('r' re-reads it), or empty for a catalogue scene.
    std::string sceneFile;
    /// The simulated time of one step of the world on show.
    double timeStep = 0.005;
    /// Lines that stay on screen, whatever the overlays, until a scene starts
    /// afresh: why a body stopped, or why a scene file could not be read.
    std::string alert;
    int startingBodies = 1;  ///< bodies active when a scene is started afresh
    long stepsSinceStart = 0;
    RateMeter frameRate, stepRate;
    std::string notice;
    double noticeUntil = 0.0;

    ViewerState();

    /// The steps the coming frame takes: one; under real-time playback what
    /// the pacer owes; while paused only the waiting single steps.
    int stepsForFrame(double now);
    /// Shows `text` on the statistics line for kNoticeSeconds.
    void showNotice(const std::string& text, double now);
    /// frames/s, steps/s, simulated time, scene, bodies, nodes, springs, state.
    std::string statisticsLine(const World& world, double now) const;

    /// The eye-space point under a window pixel, for the current camera and window.
    Vector3 eyeAtPixel(int x, int y) const { return camera.eyeAtPixel(x, y, keepsAspect, width, height); }
};

/// The viewer's one state.
extern ViewerState viewerState;

/// Seconds on the steady clock.
double steadySeconds();
