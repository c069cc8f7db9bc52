#pragma once

#include "geometry/Vector3.h"

#include <vector>

/// A scene as data: everything World::buildScene says about a catalogue
/// scene, in its terms, so that a scene can come from a file as well as
/// from the catalogue. A World built from a description (World.h) is, bit
/// for bit, the world the same values build in code.

/// Lattice indices from `first` to `last`, both included.
struct IndexRange {
    int first = 0;
    int last = 0;
};

/// The nodes a body holds in place: every (i, j, k) with i in `i`, j in `j`
/// and k in `k`.
struct FixedNodes {
    IndexRange i, j, k;
};

struct BodyDescription {
    /// true: the centred constructor (`corner` unused); false: node (0, 0, 0) at `corner`.
    bool isCentred = false;
    int cells[3] = {0, 0, 0};
    Vector3 corner{0.0, 0.0, 0.0};
    double spacing = 0.0;
    double stiffness = 0.0;
    double damping = 0.0;
    double mass = 0.0;  ///< of each mass point
    std::vector<FixedNodes> fixed;
    /// Without a colour of its own a body takes the designed colour of its index.
    bool hasColour = false;
    double colour[3] = {0.0, 0.0, 0.0};
};

struct ObjectDescription {
    enum class Kind { sphere,
                      table,
                      box };
    Kind kind = Kind::sphere;
    /// The sphere's centre; the table's or box's corner with the smallest x, y and z.
    Vector3 position{0.0, 0.0, 0.0};
    double radius = 0.0;                            ///< spheres only
    double width = 0.0, height = 0.0, depth = 0.0;  ///< tables and boxes: extents along x, y, z
};

struct SceneDescription {
    static constexpr double kDefaultTimeStep = 0.005;

    double timeStep = kDefaultTimeStep;
    int activeBodies = 1;                    ///< prepared bodies active from the start
    std::vector<ObjectDescription> objects;  ///< in build order
    std::vector<BodyDescription> bodies;     ///< in build order: index 0 is the first active
};

/// Catalogue scene `scene` as a description (numbers without an entry give
/// an empty room). Building it gives the same world, to the bit, as World(scene).
SceneDescription catalogueDescription(int scene);
