#pragma once

#include "geometry/Spring.h"
#include "geometry/Vector3.h"
#include "softbody/LargePageAllocator.h"
#include "softbody/MassPoint.h"
#include "softbody/PathTrial.h"
#include "softbody/SideGrid.h"
#include "softbody/SimdPath.h"

#include <cstdint>
#include <memory>
#include <vector>

class GenericObject;
struct StepSetup;

/// A deformable block of gelatine: a regular lattice of mass points joined
/// by damped springs along the cell edges, face diagonals and cell diagonals.
///
/// Nodes and springs are created once, at construction, in two contiguous
/// arrays that never grow afterwards, so MassPoint and Spring pointers stay
/// valid for the life of the body. Copies of a body share them (the storage
/// is released when the last copy goes).
class SoftBody {
public:
    static constexpr double kGravity = 9.8;
    static constexpr double kWallZMin = -5.0;
    static constexpr double kWallZMax = 5.0;
    /// Bodies with at least this many springs split each pass of a step
    /// between two threads; smaller ones would lose more to starting the
    /// second thread than they gain.
    static constexpr int kParallelSprings = 100000;
    /// Bodies with at least this many springs no longer fit the caches; their
    /// spring pass asks for springs and end nodes ahead of time, and their
    /// node pass for the spring forces of the node after next.
    static constexpr int kPrefetchSprings = 200000;
    /// advance() sweeps the lattice in bands of at most this many nodes per
    /// plane (whole rows, shared evenly): a band's springs, about 13 per node
    /// at 88 bytes, come to about two megabytes, which are still in cache
    /// when the next plane's nodes gather them. Smaller bands lose more at
    /// their edges, where a row needs springs from the previous band,
    /// computed a whole sweep earlier, and restart the memory's streams more
    /// often; larger ones no longer fit the cache beside the other thread's
    /// (docs/performance.md has the measurements).
    static constexpr int kBandNodes = 2048;
    /// Bodies with at least this many springs (about 4 MB of them) choose
    /// their own path: beyond the caches closest to a core the paths rank
    /// differently from the small body the start-up choice times
    /// (docs/performance.md), and differently again from one processor to
    /// the next, so advance() times the body's own first steps.
    static constexpr int kPathTrialSprings = 50000;
    /// Timed steps each available path takes in a body's trial.
    static constexpr int kPathTrialRounds = 3;

    bool isLine = false;  ///< at most one non-zero cell count: a single node or a chain
    bool glass = false;   ///< all three cell counts non-zero: transparent, glass shading, elastic contacts
    float colour[3] = {0.0f, 0.0f, 0.0f};
    int colourIndex = 0;  ///< position in the world's body list; set before chooseColour()
    int nodesX = 0, nodesY = 0, nodesZ = 0;
    double origin[3] = {0.0, 0.0, 0.0};  ///< corner given to the corner constructor; recorded only
    int cellsX = 0, cellsY = 0, cellsZ = 0;
    double spacing = 0.0;
    double nodeMass = 0.0;  ///< recorded only
    double stiffness = 0.0;
    double damping = 0.0;
    bool gravityOn = false;
    /// Spring count from which a step uses two threads (kParallelSprings by
    /// default). The result is the same bits either way.
    int parallelThreshold = kParallelSprings;
    /// Nodes per plane in one band of advance()'s sweep (kBandNodes by
    /// default; at least one row). The result is the same bits for any value.
    int bandNodes = kBandNodes;
    /// Spring count from which advance() chooses this body's own path
    /// (kPathTrialSprings by default). The result is the same bits either way.
    int pathTrialSprings = kPathTrialSprings;
    const std::vector<GenericObject*>* sceneObjects = nullptr;  ///< the world's objects; not owned
    MassPoint* nodes = nullptr;                                 ///< nodesX·nodesY·nodesZ nodes in lattice order, [i][j][k] with k fastest
    Spring* springs = nullptr;                                  ///< every spring in creation order
    int springTotal = 0;
    SideGrid sides[6];
    double floorY = -4.0;
    double wallXMax = 4.0;
    double wallXMin = -4.0;

    /// Empty body; never simulated.
    SoftBody();
    /// Lattice centred on the world origin.
    SoftBody(int cellsX, int cellsY, int cellsZ, double spacing, double stiffness, double damping, double nodeMass);
    /// Lattice with node (0,0,0) at (originX, originY, originZ), extending towards +x, +y, +z.
    SoftBody(int cellsX, int cellsY, int cellsZ, double originX, double originY, double originZ, double spacing,
             double stiffness, double damping, double nodeMass);
    /// Names the constructor that writes no construction lines, for bodies
    /// the library builds for its own use.
    struct Unlogged {};
    /// The corner constructor's body, built without a word on standard error.
    SoftBody(Unlogged, int cellsX, int cellsY, int cellsZ, double originX, double originY, double originZ,
             double spacing, double stiffness, double damping, double nodeMass);

    /// The node at lattice indices (i, j, k); indices are not checked.
    MassPoint* node(int i, int j, int k) const { return &nodes[(size_t(i) * nodesY + j) * nodesZ + k]; }
    int nodeCount() const { return nodesX * nodesY * nodesZ; }
    /// Every node, in lattice order (k fastest).
    MassPoint* nodeArray() const { return nodes; }
    /// Every spring, in creation order.
    Spring* springArray() const { return springs; }
    int springCount() const { return springTotal; }

    void fixNode(int i, int j, int k) { node(i, j, k)->fixed = true; }
    void setNodeMass(int i, int j, int k, double m) { node(i, j, k)->mass = m; }
    void setSceneObjects(const std::vector<GenericObject*>* objects) { sceneObjects = objects; }
    void enableGravity() { gravityOn = true; }
    /// Sets colour from colourIndex; indices above 2 also log an "r,g,b:" line.
    void chooseColour();

    /// Recomputes every spring's end forces from the current state; nothing moves.
    void computeSpringForces();
    /// Sums each node's gravity and spring forces into its force, as step()
    /// begins by doing (computeSpringForces() must have run), so that they
    /// can be read before the nodes move; the next step() then only adds
    /// the pending external forces to them.
    void gatherForces();
    /// Whether every node's force holds its gravity and spring sum, from
    /// gatherForces(), for the next step().
    bool forcesGathered() const { return forcesGathered_; }
    /// Advances every node by dt: forces, contacts, integration. Needs
    /// computeSpringForces() first and sceneObjects set.
    void step(double dt);
    /// One whole time step: the same as computeSpringForces() followed by
    /// step(dt), bit for bit, but done in one sweep over the lattice's
    /// i-planes so that each plane's springs are still in cache when its
    /// nodes gather them. Large bodies split the sweep between two threads.
    /// Unless a path is forced (simdPathForced), a body of at least
    /// pathTrialSprings springs times its steps after the first in each
    /// available path in turn, kPathTrialRounds each, and then keeps the
    /// fastest (ownPath); every path gives the same bits.
    void advance(double dt);
    /// advance(dt) in the given path instead of the body's own, for setting
    /// the paths against one another; the path must be available here.
    void advanceIn(SimdPath path, double dt);
    /// The path this body's steps take: the forced one, if any; the one its
    /// trial found fastest, once the trial is over; otherwise the start-up
    /// choice (during its trial, advance() takes each path in turn).
    SimdPath ownPath() const;
    /// Whether advance() has still to time paths for this body (false for
    /// a body below pathTrialSprings and whenever a path is forced).
    bool timingPaths() const;
    /// The same as step(dt), but spelt out with MassPoint's own operations
    /// one node at a time, every object asked through its virtual contains
    /// and normalAt: the yardstick the faster paths are tested against.
    void stepReference(double dt);
    /// Queues a push of half a spacing's spring force on one side (codes 0-5);
    /// it acts during the next step only. Other codes do nothing.
    void sidePush(int side);
    /// Adds v to the velocity of node (0,0,0) at once.
    void addRootVelocity(const Vector3& v);

    /// The outer surface as one quad per cell face (OpenGL).
    void draw() const;
    /// Every spring as a white line (OpenGL).
    void drawSprings() const;
    /// RenderMan description: glass or painted-plastic shading and one patch
    /// mesh per side (see sideForm), in one attribute block.
    void writeRib() const;

    /// Diagnostics on standard error, without line end.
    void printNodes() const;
    void printSprings() const;

private:
    /// Logs the first construction line and records the constructor's parameters.
    void storeParameters(int cellsX, int cellsY, int cellsZ, double spacing, double stiffness, double damping,
                         double nodeMass, bool logged = true);
    /// The rest of construction, from the node counts on, with node (0,0,0) at (x0, y0, z0).
    void construct(double x0, double y0, double z0, bool logged = true);
    void buildSprings();
    void buildSides();
    /// Registers a spring with both its ends; `fill` holds each node's next
    /// free slot in the packed attachment array.
    void addSpring(Spring* spring, MassPoint* first, MassPoint* second, std::vector<std::uint32_t>& fill);
    /// The kernels, contact shapes and node-pass inputs of one step; without
    /// the scene objects' shapes for a spring pass alone.
    StepSetup prepareStep(double dt, SimdPath path, bool withObjects = true) const;
    /// The two passes of a step over index ranges, so they can be split between threads.
    void computeSpringRange(const StepSetup& setup, int begin, int end);
    void stepNodeRange(const StepSetup& setup, int begin, int end);
    /// The springs made at the lattice rows [first, last), row (i, j) being
    /// number i·nodesY + j; each joins its row to itself or to a later row.
    void computeRowSprings(const StepSetup& setup, int first, int last);
    /// Bands of rows a plane is split into in advance()'s sweep.
    int bandCount() const;
    /// advance() over the planes [first, last), upwards, a band of rows at a
    /// time: in each plane, the springs made at the band's rows, then the
    /// nodes of those rows.
    void sweepUp(const StepSetup& setup, int first, int last);
    /// The same downwards: in each plane i, the springs made at the band's
    /// rows, then the nodes of the same rows in plane i + 1 (if any).
    void sweepDown(const StepSetup& setup, int first, int last);
    /// advance() with a step prepared beforehand: one thread or two, by size.
    void sweep(const StepSetup& setup);
    /// advance() on two threads, one taking rows [0, h) of every plane and
    /// the other the rest.
    void advanceInRowHalves(const StepSetup& setup, int h);
    /// advance() on two threads, each taking about half the planes.
    void advanceInPlaneHalves(const StepSetup& setup);

    // Contiguous storage, shared between copies of the body.
    std::shared_ptr<LargeArray<MassPoint>> nodeStorage;
    std::shared_ptr<LargeArray<Spring>> springStorage;
    std::shared_ptr<LargeArray<SpringAttachment>> attachmentStorage;  ///< every node's attachments, node by node
    /// Index of the first spring made at row r = i·nodesY + j in pass p (axis,
    /// cell diagonal, face diagonal) at [p·(R + 1) + r], where R = nodesX·nodesY;
    /// [p·(R + 1) + R] ends the pass.
    std::vector<int> rowSpringStart;
    /// This body's timings of the paths, begun by its first advance() when
    /// it is large enough (see pathTrialSprings).
    PathTrial pathTrial;
    bool pathTrialBegun = false;
    bool forcesGathered_ = false;  ///< see forcesGathered()
};

/// Number of springs a lattice of these cell counts gets (axis, cell-diagonal and face-diagonal).
long long latticeSpringCount(int cellsX, int cellsY, int cellsZ);
