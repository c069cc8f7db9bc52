#pragma once

#include "geometry/Vector3.h"

#include <cstdint>
#include <memory>
#include <vector>

class BodyContactPhase;
class GenericObject;
class SoftBody;
struct SceneDescription;

/// The one scene container: the bodies a scene prepared, the growing prefix
/// of them that is simulated, the rigid objects they collide with, and the
/// fixed time step.
///
/// A world refers to its bodies and objects by plain pointers and never
/// deletes them; copies share them. Every body and object any world builds
/// is owned by one process-wide store (see SceneStore.h) that releases them
/// only at process exit, so pointers held by any world stay valid for the
/// whole run.
///
/// Each body collides against the `objects` list of the world that built it
/// (it keeps a pointer to that list). A copy made by assignment therefore
/// steps bodies that read the builder's list: keep the building world alive
/// as long as any copy is stepped, as the viewer does with its heap world.
class World {
public:
    static constexpr int kDefaultScene = 12;
    static constexpr double kTimeStep = 0.005;
    /// Velocity added to mass point (0, 1, 1) of the first active body by kickUp().
    static constexpr double kKickUpSpeed = 20.0;

    // Declaration order matters: assignment copies member by member in it.
    bool springView = false;                ///< false: surfaces; true: spring lines
    std::vector<SoftBody*> preparedBodies;  ///< every body the scene built, in build order
    std::vector<SoftBody*> activeBodies;    ///< always the first activatedCount prepared bodies
    std::vector<GenericObject*> objects;    ///< rigid scene objects, in build order
    bool arrowPending = false;              ///< a push arrow is due in the next exported frame
    std::int32_t activatedCount = 0;
    double timeStep = kTimeStep;
    /// Bodies collide with each other as with the scene objects (see
    /// BodyContactPhase.h); off by default, when bodies pass through each other.
    bool collidesBodies = false;
    /// Contacts between bodies answered by the last step.
    int bodyContacts = 0;
    /// The contact phase's tables, kept between steps; copies share them.
    std::shared_ptr<BodyContactPhase> contactPhase;

    /// Builds scene 12 and activates its first body.
    World();
    /// Builds the given scene (numbers without an entry build nothing),
    /// prepares every body (colour index, gravity, object list, colour) and
    /// activates the first one.
    explicit World(int scene);
    /// Builds a described scene (SceneDescription.h): its objects, then its
    /// bodies with their fixed nodes, prepared as above (a body with a colour
    /// of its own keeps it and logs nothing), its time step, and its first
    /// activeBodies bodies active. The description must be valid (SceneFile.h
    /// checks a file's).
    explicit World(const SceneDescription& scene);

    /// Member-wise: both worlds then share the same bodies and objects.
    World(const World&) = default;
    World& operator=(const World&) = default;
    /// Releases the lists only; bodies and objects stay alive.
    ~World() = default;

    /// Appends the scene's objects to `objects` and its bodies to
    /// `preparedBodies`, in catalogue order. Does not prepare or activate them.
    void buildScene(int scene);
    /// Activates the next prepared body; does nothing once all are active.
    void activateNextBody();

    /// One time step of every active body, one body finished before the next;
    /// with collidesBodies, the contacts between bodies first.
    void step();
    /// The scene objects, then every active body (surface or springs).
    void draw();
    void drawObjects();

    /// Pushes one side (codes 0-5, see SoftBody::sidePush) of every active body for one step.
    void pushSide(int side);
    /// A mouse push: marks the push arrow for code 0, clears it otherwise, then pushSide().
    void mousePush(int side);
    /// Adds v to the velocity of mass point (0, 0, 0) of every active body.
    void kickCorner(Vector3 v);
    /// Marks the push arrow and kicks mass point (0, 1, 1) of the first active
    /// body upwards; a body without that point (a single layer along y or z) is left alone.
    void kickUp();

    /// Counts the call in frameCounter, opens the RenderMan output on the
    /// first call (see FrameExport.h), and on every eighth call (the first
    /// included) writes one frame of the scene: camera, lights, room, active
    /// bodies, the push arrow when one is pending (clearing it), objects.
    /// Never closes the output; RiEnd does.
    void exportFrame();

    /// Appends a table of five boxes: the top, then the legs at (x0, z0),
    /// (x1, z0), (x0, z1), (x1, z1). Top and legs are height/7 thick; the
    /// legs stand on corner.y and the top surface is at corner.y + height.
    void addTable(Vector3 corner, double width, double height, double depth);
};
