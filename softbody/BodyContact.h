#pragma once

#include "geometry/Vector3.h"
#include "softbody/SurfaceQuads.h"

#include <algorithm>
#include <cstddef>
#include <vector>

class SoftBody;
struct MassPoint;

/// An axis-aligned box; an empty one has low above high.
struct Bounds {
    Vector3 low{1e300, 1e300, 1e300};
    Vector3 high{-1e300, -1e300, -1e300};

    void include(const Vector3& p)
    {
        low = Vector3(p.x < low.x ? p.x : low.x, p.y < low.y ? p.y : low.y, p.z < low.z ? p.z : low.z);
        high = Vector3(p.x > high.x ? p.x : high.x, p.y > high.y ? p.y : high.y, p.z > high.z ? p.z : high.z);
    }
    void include(const Bounds& b)
    {
        include(b.low);
        include(b.high);
    }
    /// The box grown by r on every side.
    Bounds grown(double r) const;
    /// The part of this box within `other` (empty if none).
    Bounds within(const Bounds& other) const;
    bool isEmpty() const { return !(low.x <= high.x && low.y <= high.y && low.z <= high.z); }
    bool overlaps(const Bounds& other) const;
    bool contains(const Vector3& p) const
    {
        return low.x <= p.x && p.x <= high.x && low.y <= p.y && p.y <= high.y && low.z <= p.z && p.z <= high.z;
    }
};

/// Where a node meets another body's surface: the outward unit normal, how
/// far past the surface the node lies (negative within the contact skin, just
/// outside), and the surface nodes that carry the contact with their weights
/// (bilinear on a face, linear along a chain's segment), which sum to 1.
struct SurfaceContact {
    Vector3 normal;
    double depth = 0.0;
    int count = 0;
    int nodes[4] = {0, 0, 0, 0};
    double weights[4] = {0.0, 0.0, 0.0, 0.0};
};

/// One body's surface as the nodes of other bodies meet it, taken from its
/// node positions at one instant (capture):
/// - a solid lattice (every cell count non-zero): the quads of its six sides,
///   one-sided, reaching half a spacing inwards;
/// - a sheet (one cell count zero): every quad of the sheet, two-sided, with a
///   thickness of half the spacing;
/// - a chain: its segments as rods of half a spacing across; a single node, a
///   ball of that size.
/// A node within kSkin·spacing outside the surface already counts as touching
/// it, so that resting contact holds before the surfaces meet.
/// The elements within the region asked for are binned in a uniform grid, so
/// finding a node's contact costs a few element tests however large the body,
/// and the parts of the surface no other body comes near cost nothing.
class BodySurface {
public:
    static constexpr double kSkin = 0.05;         ///< contact skin, in spacings
    static constexpr double kThickness = 0.5;     ///< thickness of a sheet or chain, in spacings
    static constexpr double kSolidReach = 0.5;    ///< how deep a solid's faces reach, in spacings
    static constexpr double kCellSpacings = 1.0;  ///< grid cell side, in spacings

    /// The elements of body's surface; capture() takes their positions.
    explicit BodySurface(SoftBody& body);

    /// Copies the positions of the body's outer nodes, which capture() and
    /// collideNodes() then read, and returns the box around them.
    Bounds gather();
    /// Takes the surface at the positions gather() copied, as far as a node
    /// within one of `regions` (the boxes of the bodies that may meet it) can
    /// touch it; reach(r) then bounds the nodes within regions[r] that can.
    void capture(const std::vector<Bounds>& regions);
    /// Outer node n's position as gather() copied it.
    const Vector3& position(int n) const { return positions_[std::size_t(n)]; }

    SoftBody& body() const { return *body_; }
    /// The body's nodes on its outside, ascending: every node of a sheet or
    /// chain, the six sides' nodes of a solid. Its inner nodes lie behind
    /// these and meet no other body before they do.
    const std::vector<int>& outerNodes() const { return outerNodes_; }
    /// No node within capture()'s regions[r] but outside this box can touch
    /// the surface.
    const Bounds& reach(std::size_t r) const { return reaches_[r]; }
    /// How far outside the body's node box the surface reaches.
    static double margin(const SoftBody& body);
    /// The contact of a point within capture()'s regions[r] with the surface,
    /// if any: of the elements it touches, the one it lies least deep behind
    /// (the lowest-numbered on a tie).
    bool findContact(const Vector3& p, std::size_t r, SurfaceContact& contact) const
    {
        // Inline: most nodes asked lie outside the reach.
        return reaches_[r].contains(p) && findContactWithinReach(p, contact);
    }

private:
    enum class Kind { face,
                      sheet,
                      segment,
                      point };
    void addElement(int a, int b, int c, int d);
    /// A segment's or a single node's shape: its first node as the centre,
    /// its direction in e1 and e1's square length in g11, and its box.
    void shapeSegment(int e);
    bool test(int e, const Vector3& p, SurfaceContact& contact) const;
    /// A face's or sheet's quads as point p asks them.
    QuadQuery query(const Vector3& p) const;
    bool findContactWithinReach(const Vector3& p, SurfaceContact& contact) const;
    void buildGrid();
    int cellIndex(int x, int y, int z) const { return (x * dims_[1] + y) * dims_[2] + z; }
    /// The grid cell holding p, clamped into the grid; the one mapping both the
    /// grid's filling and the look-up use.
    void cellCoordinates(const Vector3& p, int (&c)[3]) const
    {
        const double q[3] = {(p.x - gridOrigin_.x) * inverseCellSize_, (p.y - gridOrigin_.y) * inverseCellSize_,
                             (p.z - gridOrigin_.z) * inverseCellSize_};
        for (int a = 0; a < 3; ++a) c[a] = int(std::min(lastCell_[a], std::max(0.0, q[a])));
    }

    SoftBody* body_;
    std::vector<Vector3> positions_;  ///< the outer nodes', at their node numbers (and one spare after the last, which the quad pass reads past a row)
    Kind kind_;
    double skin_, thickness_, depthLimit_, elementMargin_;
    int elementCount_ = 0;
    std::vector<int> corners_;       ///< four node numbers per element (a segment's two, repeated)
    std::vector<QuadShape> shapes_;  ///< per element, as last captured
    /// The look-up among a cell's quads, in the instruction set of the
    /// body's step (set by capture()).
    int (*nearestQuad_)(const QuadQuery& query, const int* quads, int count) = nearestQuad;
    std::vector<int> captured_;                    ///< elements within the captured region, ascending
    std::vector<int> cellRanges_;                  ///< per captured element: low x, y, z, high x, y, z cell
    std::vector<int> entryCells_, entryElements_;  ///< the grid's entries in element order
    Bounds reach_;                                 ///< around every region's reach: the grid's extent
    std::vector<Bounds> reaches_;                  ///< by region
    // The grid: cell c holds elements cellStart_[c] .. cellStart_[c + 1] of cellElements_.
    Vector3 gridOrigin_;
    double cellSize_ = 1.0;
    int dims_[3] = {0, 0, 0};
    double lastCell_[3] = {0.0, 0.0, 0.0};  ///< dims_ - 1, as doubles
    std::vector<int> cellStart_;
    std::vector<int> cellElements_;
    std::vector<int> fill_;
    std::vector<int> outerNodes_;
    double inverseCellSize_ = 1.0;
};

/// Total force on a body's outer nodes as a step will gather it before its
/// fixed contacts: gravity and spring forces (gathered into the nodes' forces
/// by SoftBody::gatherForces) and the pending external force. Kept per node
/// and brought up to date as the contact responses add to the external
/// forces. Only outer nodes (BodySurface::outerNodes) meet other bodies, as
/// nodes or as surface corners, so only theirs are kept.
class NodeForces {
public:
    explicit NodeForces(SoftBody& body);
    /// Takes the totals of `outerNodes`, once gatherForces has run and
    /// before any contact of the step is answered.
    void take(const std::vector<int>& outerNodes);
    /// The force on outer node n.
    const Vector3& at(int n) const { return total_[std::size_t(n)]; }
    /// Adds f to outer node n's pending external force and to its kept total.
    void add(int n, const Vector3& f);

private:
    SoftBody* body_;
    std::vector<Vector3> total_;  ///< by node; the outer nodes' as last taken
};

/// A node's contact with another body's surface.
struct NodeContact {
    int node;
    SurfaceContact contact;
};

/// Answers every contact of the outer nodes of `own`'s body (with its forces
/// `forces`) against `surface` (with `surfaceForces`), whose capture() had
/// own's box as its region `region`, in lattice order, each
/// seeing the velocities and forces the ones before it left: the response of
/// the fixed contacts (normal force cancelled, static or kinetic friction,
/// the velocity into the surface removed, never reversed: see respond() in
/// BodyContact.cpp) applied to the node's motion relative to the surface
/// point, with the surface's nodes taking the equal and opposite forces and
/// impulses by their weights. Reads the positions that gather() copied; moves
/// nothing; changes velocities, contact forces and pending external forces.
/// Returns the contacts answered; `found` is scratch space, kept by the
/// caller from step to step.
int collideNodes(const BodySurface& own, NodeForces& forces, const BodySurface& surface, std::size_t region,
                 NodeForces& surfaceForces, std::vector<NodeContact>& found);
