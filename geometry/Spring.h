#pragma once

#include "geometry/Vector3.h"

struct MassPoint;

/// A damped Hooke's-law spring between two mass points. It stores the force
/// on each end; the soft body adds those to the points in its node pass.
struct Spring {
    MassPoint* pointA;  ///< first end, not owned
    MassPoint* pointB;  ///< second end, not owned
    double restLength;
    double ks;  ///< elastic force per unit of length change
    double kd;  ///< damping applied to each end's own velocity
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
