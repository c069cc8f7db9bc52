#pragma once

#include "geometry/Vector3.h"

/// The orthographic bounds of the picture, in eye space.
struct ViewBounds {
    double left, right, bottom, top;
};

/// The viewer's camera: an orbit about the room's centre and a zoom, on top
/// of the fixed view (the orthographic bounds x -5 to 5, y -6 to 4 and the
/// 15 degree rotation about (1, 1, 0)). At home, as it starts and after
/// reset(), it issues exactly the fixed view's calls.
class Camera {
public:
    /// The middle of the room: halfway up the fixed view, on the floor's centre line.
    static constexpr double kCentreY = -1.0;
    static constexpr double kFixedAngle = 15.0;  ///< degrees about (1, 1, 0)
    static constexpr double kMinPitch = -89.0, kMaxPitch = 89.0;
    static constexpr double kMinZoom = 0.25, kMaxZoom = 8.0;

    /// Degrees about the world's vertical axis through the room's centre.
    double yaw = 0.0;
    /// Degrees about the screen's horizontal axis through the room's centre.
    double pitch = 0.0;
    /// Magnification: 2 shows half the width and height.
    double zoom = 1.0;

    bool isHome() const { return yaw == 0.0 && pitch == 0.0 && zoom == 1.0; }
    void reset() { *this = Camera(); }
    /// Turns the orbit; the pitch stays short of looking straight down or up.
    void orbit(double yawDegrees, double pitchDegrees);
    /// Multiplies the zoom, within kMinZoom and kMaxZoom.
    void zoomBy(double factor);

    /// Multiplies the modelview matrix by the view: at yaw and pitch 0 just
    /// the fixed rotation, otherwise the orbit around it.
    void applyView() const;
    /// A world point in the eye coordinates applyView gives it (+z toward the viewer).
    Vector3 toEye(const Vector3& world) const;
    /// The inverse of toEye.
    Vector3 toWorld(const Vector3& eye) const;

    /// The bounds of the picture in a window of width × height pixels: the
    /// fixed bounds shrunk about their centre by the zoom; with keepsAspect
    /// widened along one axis so that they keep the window's proportions.
    ViewBounds bounds(bool keepsAspect, int width, int height) const;
    /// Sets the projection to bounds(...) with the fixed near and far planes.
    void applyProjection(bool keepsAspect, int width, int height) const;
    /// The eye-space point (z 0) under pixel (x, y) of such a window, y
    /// counted from the top as GLUT counts it.
    Vector3 eyeAtPixel(int x, int y, bool keepsAspect, int width, int height) const;
};

/// v rotated by `degrees` about the unit axis, as glRotatef turns it.
Vector3 rotated(const Vector3& v, double degrees, const Vector3& unitAxis);
