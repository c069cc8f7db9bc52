#pragma once

#include <memory>
#include <vector>

class BodySurface;
class NodeForces;
class SoftBody;
struct NodeContact;

/// The world's steps with contact between its bodies.
///
/// Before any body moves, every pair of bodies whose boxes come within reach
/// of each other is looked at, and each node of one that touches the
/// other's surface is answered (see collideNodes in softbody/BodyContact.h):
/// velocities change at once, forces wait in the nodes' pending external
/// forces. Then each body takes its own step, with its fixed contacts, as
/// without contact between bodies.
///
/// The result depends on the order of the bodies and on nothing else: pairs
/// are answered with the first body's nodes against the second's surface,
/// first bodies in list order and for each of them the others in list
/// order, every node in lattice order, each contact seeing the velocities
/// and forces that the ones before it left. Bodies out of each other's reach
/// cost one pass over their nodes, and a step where no two bodies are within
/// reach gives the same bits as one without contact.
///
/// The phase keeps each body's surface and force tables from step to step:
/// a step allocates only when a table must grow past the largest size it
/// has had, and then grows it to at least twice that.
class BodyContactPhase {
public:
    BodyContactPhase();
    ~BodyContactPhase();

    /// One time step of `bodies`; returns the number of contacts answered.
    int step(const std::vector<SoftBody*>& bodies, double dt);

private:
    struct Scratch;
    Scratch& scratchFor(size_t index, SoftBody& body);

    std::vector<std::unique_ptr<Scratch>> scratch_;
    std::vector<Scratch*> bodies_;  ///< this step's, by body
    /// Bodies in reach of each other: the first's nodes against the second's
    /// surface, whose capture had the first's box as its region `region`.
    struct Pair {
        size_t nodes, surface, region;
    };
    std::vector<Pair> pairs_;         ///< this step's, in the order they are answered
    std::vector<NodeContact> found_;  ///< one pair's contacts, before they are answered
};
