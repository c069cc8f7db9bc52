#include "world/Stability.h"

#include "softbody/SoftBody.h"
#include "world/SceneDescription.h"
#include "world/World.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace {
// λ·m/k of the stiffest lattice mode and the springs on an inner node, by
// how many of the three cell counts are non-zero (see Stability.h).
struct LatticeShape {
    double modeFactor;
    int innerSprings;
};

LatticeShape shapeOf(const int cells[3])
{
    const int dimensions = (cells[0] != 0) + (cells[1] != 0) + (cells[2] != 0);
    switch (dimensions) {
    case 3: return {52.0 / 3.0, 26};
    case 2: return {8.0, 8};
    case 1: return {4.0, 2};
    default: return {0.0, 0};
    }
}

std::string number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}
}  // namespace

double largestStableTimeStep(const int cells[3], double stiffness, double damping, double mass)
{
    const LatticeShape shape = shapeOf(cells);
    const double lambda = shape.modeFactor * stiffness / mass;
    const double gamma = shape.innerSprings * damping / mass;
    if (lambda <= 0.0) return gamma > 0.0 ? 2.0 / gamma : std::numeric_limits<double>::infinity();
    // The positive root of λ·dt² + γ·dt = 2.
    return (-gamma + std::sqrt(gamma * gamma + 8.0 * lambda)) / (2.0 * lambda);
}

std::string stabilityWarning(const BodyDescription& body, int index, double timeStep)
{
    const double largest = largestStableTimeStep(body.cells, body.stiffness, body.damping, body.mass);
    if (timeStep < largest) return "";
    return "blorp: warning: body " + std::to_string(index) + " will not hold together: stiffness " +
           number(body.stiffness) + " is too stiff for mass " + number(body.mass) + " at time step " +
           number(timeStep) + " (the largest stable time step for it is " + number(largest) + ")";
}

std::vector<std::string> stabilityWarnings(const SceneDescription& scene)
{
    std::vector<std::string> warnings;
    for (size_t b = 0; b < scene.bodies.size(); ++b) {
        std::string warning = stabilityWarning(scene.bodies[b], int(b), scene.timeStep);
        if (!warning.empty()) warnings.push_back(std::move(warning));
    }
    return warnings;
}

bool isBodySane(const SoftBody& body)
{
    const MassPoint* nodes = body.nodeArray();
    const int count = body.nodeCount();
    // One pass without early exit or branches: a NaN fails every comparison,
    // an infinity the bound, and the common case costs a few loads a node.
    bool isSane = true;
    for (int n = 0; n < count; ++n) {
        const Vector3& x = nodes[n].position;
        const Vector3& v = nodes[n].velocity;
        isSane &= (std::fabs(x.x) <= kSaneBound) & (std::fabs(x.y) <= kSaneBound) & (std::fabs(x.z) <= kSaneBound) &
                  (std::fabs(v.x) <= kSaneBound) & (std::fabs(v.y) <= kSaneBound) & (std::fabs(v.z) <= kSaneBound);
    }
    return isSane;
}

int firstUnstableBody(const World& world)
{
    // activeBodies is the prefix of preparedBodies: the same index in both.
    for (size_t b = 0; b < world.activeBodies.size(); ++b)
        if (!isBodySane(*world.activeBodies[b])) return int(b);
    return -1;
}

std::string describeInstability(const World& world, int index, long step)
{
    const SoftBody& body = *world.preparedBodies[size_t(index)];
    char time[32];
    std::snprintf(time, sizeof time, "%.2f", double(step) * world.timeStep);
    std::string report = "body " + std::to_string(index) + " went unstable at step " + std::to_string(step) +
                         " (t = " + time + " s): ";
    const int cells[3] = {body.cellsX, body.cellsY, body.cellsZ};
    const double largest = largestStableTimeStep(cells, body.stiffness, body.damping, body.nodeMass);
    if (world.timeStep >= largest)
        return report + "stiffness " + number(body.stiffness) + " is too stiff for mass " + number(body.nodeMass) +
               " at time step " + number(world.timeStep) + "; it needs a time step below " + number(largest) +
               ", a lower stiffness or a larger mass";
    return report + "a mass point's position or velocity went past " + number(kSaneBound) +
           " (or is not a number); the body is stopped";
}
