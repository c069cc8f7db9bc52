#pragma once

#include "geometry/Vector3.h"

#include <cmath>

struct MassPoint;

/// The damped Hooke's-law forces between two ends with positions pA, pB and
/// velocities vA, vB. Shared by Spring::computeForces and the soft body's
/// spring pass so that both give the same bits.
inline void dampedSpringForces(const Vector3& pA, const Vector3& vA, const Vector3& pB, const Vector3& vB,
                               double restLength, double ks, double kd, Vector3& forceA, Vector3& forceB)
{
    // The distance and the length of the direction vector are the same
    // number ((pB - pA) is the exact negation of (pA - pB)), so one square
    // root serves both; u is zero when the ends coincide.
    const Vector3 d = pB - pA;
    const double len = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    const double f = ks * (restLength - len);
    const Vector3 u = len == 0.0 ? Vector3(0.0, 0.0, 0.0) : d / len;
    forceA = -(u * f) - vA * kd;
    forceB = u * f - vB * kd;
}

/// A damped Hooke's-law spring between two mass points. It stores the force
/// on each end; the soft body adds those to the points in its node pass.
/// The operations that read the end nodes are the soft body library's
/// (softbody/Spring.cpp), which knows what a node is.
struct Spring {
    MassPoint* pointA;  ///< first end, not owned
    MassPoint* pointB;  ///< second end, not owned
    double restLength;
    double ks;       ///< elastic force per unit of length change
    double kd;       ///< damping applied to each end's own velocity
    Vector3 forceA;  ///< force on pointA from the last computeForces()
    Vector3 forceB;  ///< force on pointB from the last computeForces()

    /// Leaves every field unset.
    Spring() = default;
    /// forceA and forceB stay unset until the first computeForces().
    Spring(MassPoint* a, MassPoint* b, double restLength_, double ks_, double kd_)
        : pointA(a), pointB(b), restLength(restLength_), ks(ks_), kd(kd_)
    {
    }

    /// Recomputes forceA and forceB from the ends' positions and velocities.
    /// The damping part opposes each end's absolute velocity, not the relative
    /// one; coincident ends give damping forces only.
    void computeForces();
    /// Draws the spring as a white line (immediate-mode OpenGL).
    void draw() const;
    /// Writes "[(ax,ay,az)(bx,by,bz)]" to standard error, with no line end.
    void print() const;
};
