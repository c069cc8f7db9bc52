#include "world/BodyContactPhase.h"

#include "softbody/BodyContact.h"
#include "softbody/SoftBody.h"

/// What the phase keeps of one body between steps.
struct BodyContactPhase::Scratch {
    explicit Scratch(SoftBody& b) : body(&b), nodes(b.nodeArray()), surface(b), forces(b) {}
    /// Whether this was made for `b` as it is: the same body with the same
    /// lattice (a body built later at the same address is another body).
    bool isFor(const SoftBody& b) const
    {
        return body == &b && nodes == b.nodeArray() && dims[0] == b.nodesX && dims[1] == b.nodesY &&
               dims[2] == b.nodesZ;
    }

    SoftBody* body;
    const MassPoint* nodes;
    int dims[3] = {body->nodesX, body->nodesY, body->nodesZ};
    BodySurface surface;
    NodeForces forces;
    Bounds box, reach;
    std::vector<Bounds> regions;  ///< the boxes of the bodies whose nodes may touch this one's surface
    bool isTouching = false;
};

BodyContactPhase::BodyContactPhase() = default;
BodyContactPhase::~BodyContactPhase() = default;

BodyContactPhase::Scratch& BodyContactPhase::scratchFor(size_t index, SoftBody& body)
{
    if (scratch_.size() <= index) scratch_.resize(index + 1);
    if (!scratch_[index] || !scratch_[index]->isFor(body)) scratch_[index] = std::make_unique<Scratch>(body);
    return *scratch_[index];
}

int BodyContactPhase::step(const std::vector<SoftBody*>& bodies, double dt)
{
    const size_t count = bodies.size();
    std::vector<Scratch*>& at = bodies_;
    at.resize(count);
    for (size_t b = 0; b < count; ++b) {
        Scratch& s = scratchFor(b, *bodies[b]);
        s.box = s.surface.gather();
        s.reach = s.box.grown(BodySurface::margin(*bodies[b]));
        s.regions.clear();
        s.isTouching = false;
        at[b] = &s;
    }
    std::vector<Pair>& pairs = pairs_;
    pairs.clear();
    for (size_t a = 0; a < count; ++a)
        for (size_t b = 0; b < count; ++b)
            if (a != b && at[a]->box.overlaps(at[b]->reach)) {
                pairs.push_back({a, b, at[b]->regions.size()});
                at[a]->isTouching = at[b]->isTouching = true;
                at[b]->regions.push_back(at[a]->box);
            }

    // Contacts need every touching body's forces before any body moves,
    // gathered as its step would gather them, which that step then does not
    // do again; advance() is the same computeSpringForces() and step() in
    // one sweep, bit for bit, so the bodies out of reach keep it.
    for (Scratch* s : at) {
        if (!s->isTouching) continue;
        s->body->computeSpringForces();
        s->body->gatherForces();
        s->forces.take(s->surface.outerNodes());
        if (!s->regions.empty()) s->surface.capture(s->regions);
    }
    int contacts = 0;
    for (const Pair& p : pairs) {
        Scratch& own = *at[p.nodes];
        Scratch& other = *at[p.surface];
        if (!other.surface.reach(p.region).isEmpty())
            contacts += collideNodes(own.surface, own.forces, other.surface, p.region, other.forces, found_);
    }

    for (Scratch* s : at) {
        if (s->isTouching)
            s->body->step(dt);
        else
            s->body->advance(dt);
    }
    return contacts;
}
