// A long run of one scene under a storm of user actions, and what it left
// behind: whether every node stayed finite and inside the room.
#pragma once

#include <cstdint>
#include <string>

namespace soak {

/// How far the room reaches: the floor plane and the four walls.
constexpr double kFloorY = -4.0;
constexpr double kWallX = 4.0;
constexpr double kWallZ = 5.0;

struct Result {
    long steps = 0;                     ///< steps taken (fewer than asked when a value turned non-finite)
    long actions = 0;                   ///< pushes, kicks and activations made
    long firstNonFiniteStep = -1;       ///< step after which a position or velocity was not finite; -1 if none
    std::string nonFiniteNode;          ///< "body b node n" of the first such value
    int freeNodesOutside = 0;           ///< free nodes that ended beyond the room by more than their spacing
    std::string worstOutside;           ///< the free node farthest outside, with its position
    double worstExcess = 0.0;           ///< by how much it passed the room, in spacings
    double worstExcessDuringRun = 0.0;  ///< farthest any free node went outside at any step, in spacings
    std::string worstDuringRun;         ///< that node, the step and its position
    int fixedNodesMoved = 0;            ///< fixed nodes whose position changed at all
    int fixedNodesOutside = 0;          ///< fixed nodes placed outside the room by their scene
};

/// Builds `scene`, activates all its bodies, and runs `steps` steps of
/// World::step(). Before each step a seeded generator may make one action:
/// a side push, a mouse push, a corner kick, an upward kick or an activation.
Result run(int scene, long steps, std::uint32_t seed);

}  // namespace soak
