#include "tests/reliability/Soak.h"

#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "softbody/MassPoint.h"
#include "softbody/SoftBody.h"
#include "world/World.h"

namespace soak {
namespace {

// The viewer's 'o' and 'p' keys kick with this speed; the storm uses it in
// any direction.
constexpr double kKickSpeed = 10.0;
// One action on average every this many steps: a busy user at 60 frames a
// second presses something several times a second.
constexpr std::uint32_t kStepsPerAction = 8;

bool isFinite(const Vector3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// How far `p` lies outside the room, 0 inside it.
double distanceOutside(const Vector3& p)
{
    double excess = 0.0;
    excess = std::fmax(excess, kFloorY - p.y);
    excess = std::fmax(excess, std::fabs(p.x) - kWallX);
    excess = std::fmax(excess, std::fabs(p.z) - kWallZ);
    return excess;
}

std::string describe(int body, int node, const Vector3& p)
{
    char text[160];
    std::snprintf(text, sizeof text, "body %d node %d at (%.6g, %.6g, %.6g)", body, node, p.x, p.y,
                  p.z);
    return text;
}

}  // namespace

Result run(int scene, long steps, std::uint32_t seed)
{
    World world(scene);
    while (world.activatedCount < static_cast<std::int32_t>(world.preparedBodies.size())) {
        world.activateNextBody();
    }
    std::vector<std::vector<Vector3>> fixedStart;
    for (SoftBody* body : world.activeBodies) {
        std::vector<Vector3> start;
        for (int n = 0; n < body->nodeCount(); ++n) {
            start.push_back(body->nodeArray()[n].position);
        }
        fixedStart.push_back(start);
    }

    // The generator's raw output is used with % only, so a seed gives the same
    // storm with every standard library.
    std::mt19937 random(seed);
    Result result;
    for (long step = 0; step < steps; ++step) {
        if (random() % kStepsPerAction == 0) {
            ++result.actions;
            switch (random() % 5) {
            case 0: world.pushSide(static_cast<int>(random() % 6)); break;
            case 1: world.mousePush(static_cast<int>(random() % 6)); break;
            case 2: {
                const double sign = random() % 2 == 0 ? 1.0 : -1.0;
                Vector3 kick(0.0, 0.0, 0.0);
                switch (random() % 3) {
                case 0: kick.x = sign * kKickSpeed; break;
                case 1: kick.y = sign * kKickSpeed; break;
                default: kick.z = sign * kKickSpeed; break;
                }
                world.kickCorner(kick);
                break;
            }
            case 3: world.kickUp(); break;
            default: world.activateNextBody(); break;
            }
        }
        world.step();
        result.steps = step + 1;
        for (std::size_t b = 0; b < world.activeBodies.size() && result.firstNonFiniteStep < 0; ++b) {
            const SoftBody* body = world.activeBodies[b];
            for (int n = 0; n < body->nodeCount(); ++n) {
                const MassPoint& point = body->nodeArray()[n];
                if (!isFinite(point.position) || !isFinite(point.velocity)) {
                    result.firstNonFiniteStep = step + 1;
                    result.nonFiniteNode = describe(static_cast<int>(b), n, point.position);
                    break;
                }
                const double excess = distanceOutside(point.position) / body->spacing;
                if (!point.fixed && excess > result.worstExcessDuringRun) {
                    result.worstExcessDuringRun = excess;
                    result.worstDuringRun = describe(static_cast<int>(b), n, point.position) +
                                            " after step " + std::to_string(step + 1);
                }
            }
        }
        if (result.firstNonFiniteStep >= 0) {
            break;
        }
    }

    for (std::size_t b = 0; b < world.activeBodies.size(); ++b) {
        const SoftBody* body = world.activeBodies[b];
        for (int n = 0; n < body->nodeCount(); ++n) {
            const MassPoint& point = body->nodeArray()[n];
            const double excess = distanceOutside(point.position);
            if (point.fixed) {
                if (!(point.position == fixedStart[b][n])) {
                    ++result.fixedNodesMoved;
                }
                if (excess > body->spacing) {
                    ++result.fixedNodesOutside;
                }
                continue;
            }
            if (excess > body->spacing) {
                ++result.freeNodesOutside;
            }
            if (excess / body->spacing > result.worstExcess) {
                result.worstExcess = excess / body->spacing;
                result.worstOutside = describe(static_cast<int>(b), n, point.position);
            }
        }
    }
    return result;
}

}  // namespace soak
