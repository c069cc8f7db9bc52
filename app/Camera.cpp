#include "app/Camera.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace {
constexpr double kLeft = -5.0, kRight = 5.0, kBottom = -6.0, kTop = 4.0, kNear = -10.0, kFar = 20.0;
constexpr double kPi = 3.14159265358979323846;

const Vector3 kFixedAxis = Vector3(1.0, 1.0, 0.0).normalized();
const Vector3 kXAxis(1.0, 0.0, 0.0);
const Vector3 kYAxis(0.0, 1.0, 0.0);
const Vector3 kRoomCentre(0.0, Camera::kCentreY, 0.0);

// Where the fixed rotation puts the room's centre: the pitch turns about
// this point, so that the centre stays where the fixed view shows it.
Vector3 centreInEye() { return rotated(kRoomCentre, Camera::kFixedAngle, kFixedAxis); }

void translate(const Vector3& v) { glTranslatef(float(v.x), float(v.y), float(v.z)); }
}  // namespace

Vector3 rotated(const Vector3& v, double degrees, const Vector3& unitAxis)
{
    // Rodrigues' formula, the same turn as glRotatef's matrix.
    const double angle = degrees * kPi / 180.0;
    const double c = std::cos(angle), s = std::sin(angle);
    return v * c + unitAxis.cross(v) * s + unitAxis * (unitAxis.dot(v) * (1.0 - c));
}

void Camera::orbit(double yawDegrees, double pitchDegrees)
{
    yaw = std::fmod(yaw + yawDegrees, 360.0);
    pitch = std::clamp(pitch + pitchDegrees, kMinPitch, kMaxPitch);
}

void Camera::zoomBy(double factor) { zoom = std::clamp(zoom * factor, kMinZoom, kMaxZoom); }

void Camera::applyView() const
{
    if (yaw == 0.0 && pitch == 0.0) {
        glRotatef(float(kFixedAngle), 1.0f, 1.0f, 0.0f);
        return;
    }
    // Read from the bottom up, as the matrices act on a vertex: the yaw
    // about the room's vertical centre line, the fixed rotation, then the
    // pitch about the screen's horizontal line through the centre.
    const Vector3 eyeCentre = centreInEye();
    translate(eyeCentre);
    glRotatef(float(pitch), 1.0f, 0.0f, 0.0f);
    translate(-eyeCentre);
    glRotatef(float(kFixedAngle), 1.0f, 1.0f, 0.0f);
    translate(kRoomCentre);
    glRotatef(float(yaw), 0.0f, 1.0f, 0.0f);
    translate(-kRoomCentre);
}

Vector3 Camera::toEye(const Vector3& world) const
{
    // The same turns as applyView, in double precision.
    const Vector3 eyeCentre = centreInEye();
    Vector3 v = rotated(world - kRoomCentre, yaw, kYAxis) + kRoomCentre;
    v = rotated(v, kFixedAngle, kFixedAxis);
    return rotated(v - eyeCentre, pitch, kXAxis) + eyeCentre;
}

Vector3 Camera::toWorld(const Vector3& eye) const
{
    const Vector3 eyeCentre = centreInEye();
    Vector3 v = rotated(eye - eyeCentre, -pitch, kXAxis) + eyeCentre;
    v = rotated(v, -kFixedAngle, kFixedAxis);
    return rotated(v - kRoomCentre, -yaw, kYAxis) + kRoomCentre;
}

ViewBounds Camera::bounds(bool keepsAspect, int width, int height) const
{
    const double centreX = (kLeft + kRight) / 2.0, centreY = (kBottom + kTop) / 2.0;
    double halfWidth = (kRight - kLeft) / 2.0 / zoom, halfHeight = (kTop - kBottom) / 2.0 / zoom;
    if (keepsAspect && width > 0 && height > 0) {
        // The fixed bounds are square; the longer side of the window gets more of the room.
        const double aspect = double(width) / double(height);
        if (aspect > 1.0)
            halfWidth *= aspect;
        else
            halfHeight /= aspect;
    }
    return {centreX - halfWidth, centreX + halfWidth, centreY - halfHeight, centreY + halfHeight};
}

void Camera::applyProjection(bool keepsAspect, int width, int height) const
{
    const ViewBounds b = bounds(keepsAspect, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(b.left, b.right, b.bottom, b.top, kNear, kFar);
    glMatrixMode(GL_MODELVIEW);
}

Vector3 Camera::eyeAtPixel(int x, int y, bool keepsAspect, int width, int height) const
{
    const ViewBounds b = bounds(keepsAspect, width, height);
    // The middle of the pixel; GLUT counts rows from the top, OpenGL from the bottom.
    const double u = (x + 0.5) / std::max(width, 1), v = (y + 0.5) / std::max(height, 1);
    return {b.left + u * (b.right - b.left), b.top - v * (b.top - b.bottom), 0.0};
}
