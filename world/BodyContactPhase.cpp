#include "world/BodyContactPhase.h"

#include "softbody/BodyContact.h"
#include "softbody/SoftBody.h"

#include <memory>
#include <utility>

int stepWithBodyContact(const std::vector<SoftBody*>& bodies, double dt)
{
    const size_t count = bodies.size();
    std::vector<Bounds> boxes(count), reaches(count);
    for (size_t b = 0; b < count; ++b) {
        boxes[b] = nodeBounds(*bodies[b]);
        reaches[b] = boxes[b].grown(BodySurface::margin(*bodies[b]));
    }
    // (node body, surface body), in the order they are answered.
    std::vector<std::pair<size_t, size_t>> pairs;
    std::vector<char> touching(count, 0), isSurface(count, 0);
    for (size_t a = 0; a < count; ++a)
        for (size_t b = 0; b < count; ++b)
            if (a != b && boxes[a].overlaps(reaches[b])) {
                pairs.emplace_back(a, b);
                touching[a] = touching[b] = 1;
                isSurface[b] = 1;
            }

    // Contacts need every touching body's spring forces before any body
    // moves; advance() is the same computeSpringForces() and step() in one
    // sweep, bit for bit, so the bodies out of reach keep it.
    std::vector<std::unique_ptr<NodeForces>> forces(count);
    std::vector<std::unique_ptr<BodySurface>> surfaces(count);
    for (size_t b = 0; b < count; ++b) {
        if (!touching[b]) continue;
        bodies[b]->computeSpringForces();
        forces[b] = std::make_unique<NodeForces>(*bodies[b]);
        if (isSurface[b]) surfaces[b] = std::make_unique<BodySurface>(*bodies[b]);
    }
    int contacts = 0;
    for (const auto& [a, b] : pairs)
        if (boxes[a].overlaps(surfaces[b]->reach()))
            contacts += collideNodes(*bodies[a], *forces[a], *surfaces[b], *forces[b]);

    for (size_t b = 0; b < count; ++b) {
        if (touching[b])
            bodies[b]->step(dt);
        else
            bodies[b]->advance(dt);
    }
    return contacts;
}
