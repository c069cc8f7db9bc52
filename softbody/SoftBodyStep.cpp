#include "geometry/GenericObject.h"
#include "softbody/SoftBody.h"

void SoftBody::computeSpringForces()
{
    for (int s = 0; s < springTotal; ++s) springs[s].computeForces();
}

void SoftBody::step(double dt)
{
    // Spring forces were all computed beforehand and every stage below reads
    // only the node's own state, so nodes are finished one at a time.
    const int count = nodeCount();
    for (int n = 0; n < count; ++n) {
        MassPoint& point = nodes[n];
        point.clearForce();
        if (gravityOn) point.addGravity();
        point.addSpringForces();
        point.applyExternalForce();
        respondToContacts(point);
        point.integrate(dt);
    }
}

void SoftBody::respondToContacts(MassPoint& point) const
{
    // Every test reads the same position; each contact is answered before the
    // next test, so a corner point gets one response per plane, in this order.
    const Vector3 p = point.position;
    if (p.y <= floorY) point.respondToContact(Vector3(0.0, 1.0, 0.0), glass);
    if (p.x <= wallXMin) point.respondToContact(Vector3(1.0, 0.0, 0.0), glass);
    if (p.x >= wallXMax) point.respondToContact(Vector3(-1.0, 0.0, 0.0), glass);
    if (p.z <= kWallZMin) point.respondToContact(Vector3(0.0, 0.0, 1.0), glass);
    if (p.z >= kWallZMax) point.respondToContact(Vector3(0.0, 0.0, -1.0), glass);
    if (sceneObjects == nullptr) return;
    for (GenericObject* object : *sceneObjects)
        if (object->contains(p)) point.respondToContact(object->normalAt(p, point.velocity), glass);
}

void SoftBody::sidePush(int side)
{
    // The force a spring of this body exerts when stretched by half a spacing.
    const double m = (spacing - 0.5 * spacing) * stiffness;
    const int NX = nodesX, NY = nodesY, NZ = nodesZ;
    auto pushAll = [&](const Vector3& f, auto selected) {
        for (int i = 0; i < NX; ++i)
            for (int j = 0; j < NY; ++j)
                for (int k = 0; k < NZ; ++k)
                    if (selected(i, j, k)) node(i, j, k)->addExternalForce(f);
    };
    switch (side) {
    case 0: pushAll(Vector3(m, 0.0, 0.0), [](int i, int, int) { return i == 0; }); break;
    case 1: pushAll(Vector3(-m, 0.0, 0.0), [&](int i, int, int) { return i == NX - 1; }); break;
    case 2: pushAll(Vector3(0.0, m, 0.0), [](int, int j, int) { return j == 0; }); break;
    case 3: pushAll(Vector3(0.0, -m, 0.0), [&](int, int j, int) { return j == NY - 1; }); break;
    case 4: pushAll(Vector3(0.0, 0.0, m), [](int, int, int k) { return k == 0; }); break;
    case 5: pushAll(Vector3(0.0, 0.0, -m), [&](int, int, int k) { return k == NZ - 1; }); break;
    default: break;
    }
}

void SoftBody::addRootVelocity(const Vector3& v) { node(0, 0, 0)->velocity += v; }
