// The catalogue's scenes as data, and a world built from such data. Every
// value below is the catalogue's own (SceneCatalogue.cpp); the scene-file
// tests build both and compare them bit for bit, so the two cannot drift.

#include "world/SceneDescription.h"

#include "geometry/Box.h"
#include "geometry/Sphere.h"
#include "softbody/SoftBody.h"
#include "world/SceneStore.h"
#include "world/World.h"

#include <memory>

namespace {
constexpr double kStiffness = 600.0;
constexpr double kLightDamping = 0.01;
constexpr double kSheetDamping = 0.5;

BodyDescription corner(int nx, int ny, int nz, Vector3 at, double spacing, double stiffness, double damping,
                       double mass)
{
    BodyDescription body;
    body.cells[0] = nx;
    body.cells[1] = ny;
    body.cells[2] = nz;
    body.corner = at;
    body.spacing = spacing;
    body.stiffness = stiffness;
    body.damping = damping;
    body.mass = mass;
    return body;
}

BodyDescription centred(int nx, int ny, int nz, double spacing, double stiffness, double damping, double mass)
{
    BodyDescription body = corner(nx, ny, nz, Vector3(0.0, 0.0, 0.0), spacing, stiffness, damping, mass);
    body.isCentred = true;
    return body;
}

ObjectDescription sphere(Vector3 centre, double radius)
{
    ObjectDescription object;
    object.kind = ObjectDescription::Kind::sphere;
    object.position = centre;
    object.radius = radius;
    return object;
}

ObjectDescription table(Vector3 at, double width, double height, double depth)
{
    ObjectDescription object;
    object.kind = ObjectDescription::Kind::table;
    object.position = at;
    object.width = width;
    object.height = height;
    object.depth = depth;
    return object;
}
}  // namespace

SceneDescription catalogueDescription(int scene)
{
    SceneDescription d;
    auto& objects = d.objects;
    auto& bodies = d.bodies;
    switch (scene) {
    case 0:
        objects.push_back(table(Vector3(0.0, -4.0, -2.0), 4.0, 3.0, 3.0));
        bodies.push_back(corner(6, 3, 6, Vector3(-0.1, 1.0, 0.0), 0.3, kStiffness, kLightDamping, 0.5));
        bodies.push_back(corner(3, 3, 3, Vector3(0.0, 0.0, -0.6), 0.4, kStiffness, kLightDamping, 0.5));
        bodies.push_back(corner(6, 1, 1, Vector3(-1.0, 0.0, -0.3), 0.3, kStiffness, kLightDamping, 0.42));
        bodies.push_back(corner(6, 6, 6, Vector3(1.0, 0.0, -0.75), 0.375, kStiffness, kLightDamping, 0.3));
        break;
    case 1:
        objects.push_back(table(Vector3(-2.0, -4.0, -1.5), 4.0, 3.0, 3.0));
        bodies.push_back(corner(75, 0, 57, Vector3(-2.625, -0.3, -1.995), 0.07, 800.0, kSheetDamping, 1.0));
        bodies.push_back(corner(6, 3, 6, Vector3(-1.2, 0.0, -1.2), 0.4, kStiffness, kLightDamping, 0.5));
        break;
    case 2:
        objects.push_back(sphere(Vector3(-1.0, -1.5, 0.0), 1.0));
        bodies.push_back(centred(24, 0, 24, 0.15, kStiffness, kSheetDamping, 1.0));
        bodies.push_back(corner(3, 1, 3, Vector3(-1.5, 0.0, 0.0), 0.75, kStiffness, kLightDamping, 0.5));
        bodies.push_back(corner(3, 3, 3, Vector3(-0.6, 0.0, -0.6), 0.4, kStiffness, kLightDamping, 0.5));
        break;
    case 3:
        objects.push_back(sphere(Vector3(-1.5, 3.0, 0.0), 0.9));
        objects.push_back(sphere(Vector3(1.5, 1.5, 0.0), 0.8));
        objects.push_back(sphere(Vector3(-1.5, 0.5, 0.0), 1.0));
        objects.push_back(sphere(Vector3(1.5, -0.5, 0.0), 0.9));
        objects.push_back(sphere(Vector3(-1.0, -1.5, 0.0), 1.0));
        bodies.push_back(corner(3, 3, 1, Vector3(-0.9, 5.0, -0.5), 0.75, kStiffness, kLightDamping, 0.5));
        break;
    case 4:
        bodies.push_back(corner(6, 6, 6, Vector3(-1.2, -3.9999, -1.2), 0.4, kStiffness, kLightDamping, 0.5));
        break;
    case 5: {
        BodyDescription curtain = corner(12, 18, 0, Vector3(-4.8, -4.0, 0.0), 0.4, 2000.0, kSheetDamping, 0.5);
        curtain.fixed.push_back(FixedNodes{{0, 12}, {17, 18}, {0, 0}});
        bodies.push_back(curtain);
        break;
    }
    case 7:
        objects.push_back(sphere(Vector3(-1.0, -1.5, 0.0), 1.3));
        bodies.push_back(corner(6, 3, 6, Vector3(-1.5, 0.0, 0.0), 0.3, kStiffness, kLightDamping, 0.5));
        bodies.push_back(corner(3, 3, 3, Vector3(-0.6, 0.0, -0.6), 0.4, kStiffness, kLightDamping, 0.5));
        bodies.push_back(corner(6, 6, 6, Vector3(-2.0, 1.0, -1.5), 0.4, kStiffness, kLightDamping, 0.3));
        bodies.push_back(corner(9, 1, 1, Vector3(-3.0, 1.0, 0.35), 0.3, kStiffness, kLightDamping, 0.3));
        bodies.push_back(corner(3, 6, 3, Vector3(-3.0, 1.0, -0.5), 0.5, kStiffness, kLightDamping, 0.5));
        break;
    case 8:
        objects.push_back(sphere(Vector3(0.0, -1.5, 0.0), 1.0));
        bodies.push_back(corner(24, 0, 24, Vector3(-0.7, 0.0, -1.8), 0.15, kStiffness, kSheetDamping, 1.0));
        bodies.push_back(centred(24, 0, 24, 0.15, kStiffness, kSheetDamping, 1.0));
        break;
    case 9:
        objects.push_back(table(Vector3(-2.0, -4.0, -1.5), 4.0, 3.0, 3.0));
        bodies.push_back(corner(54, 0, 42, Vector3(-2.7, -0.3, -2.1), 0.1, 800.0, kSheetDamping, 1.0));
        bodies.push_back(corner(6, 1, 6, Vector3(-1.2, 0.0, -1.2), 0.4, kStiffness, kLightDamping, 0.5));
        break;
    case 10:
        objects.push_back(table(Vector3(-1.3, -4.0, -1.5), 4.0, 3.0, 3.0));
        bodies.push_back(corner(3, 1, 3, Vector3(0.0, 0.0, -0.5), 0.4, kStiffness, kLightDamping, 0.4));
        break;
    case 11:
        objects.push_back(sphere(Vector3(1.5, 1.5, 0.0), 0.8));
        objects.push_back(table(Vector3(-1.3, -4.0, -1.5), 3.0, 3.0, 3.0));
        bodies.push_back(centred(2, 2, 2, 0.4, 700.0, kLightDamping, 0.3));
        break;
    case 12:
        bodies.push_back(centred(3, 2, 2, 1.0, 700.0, kLightDamping, 0.3));
        break;
    default: break;
    }
    // The world's construction activates the first body, if there is one.
    d.activeBodies = bodies.empty() ? 0 : 1;
    return d;
}

World::World(const SceneDescription& scene)
{
    timeStep = scene.timeStep;
    // Objects before bodies, each in the description's order, as buildScene
    // does: the bodies log their construction in this order.
    for (const ObjectDescription& object : scene.objects) {
        switch (object.kind) {
        case ObjectDescription::Kind::sphere:
            objects.push_back(sceneStore::keep(std::make_unique<Sphere>(object.position, object.radius)));
            break;
        case ObjectDescription::Kind::table:
            addTable(object.position, object.width, object.height, object.depth);
            break;
        case ObjectDescription::Kind::box:
            objects.push_back(sceneStore::keep(
                std::make_unique<Box>(object.position, object.width, object.height, object.depth)));
            break;
        }
    }
    for (const BodyDescription& b : scene.bodies) {
        std::unique_ptr<SoftBody> body =
            b.isCentred ? std::make_unique<SoftBody>(b.cells[0], b.cells[1], b.cells[2], b.spacing, b.stiffness,
                                                     b.damping, b.mass)
                        : std::make_unique<SoftBody>(b.cells[0], b.cells[1], b.cells[2], b.corner.x, b.corner.y,
                                                     b.corner.z, b.spacing, b.stiffness, b.damping, b.mass);
        for (const FixedNodes& held : b.fixed)
            for (int i = held.i.first; i <= held.i.last; ++i)
                for (int j = held.j.first; j <= held.j.last; ++j)
                    for (int k = held.k.first; k <= held.k.last; ++k) body->fixNode(i, j, k);
        preparedBodies.push_back(sceneStore::keep(std::move(body)));
    }
    for (size_t j = 0; j < preparedBodies.size(); ++j) {
        SoftBody* body = preparedBodies[j];
        const BodyDescription& b = scene.bodies[j];
        body->colourIndex = int(j);
        body->enableGravity();
        body->setSceneObjects(&objects);
        if (b.hasColour) {
            for (int c = 0; c < 3; ++c) body->colour[c] = float(b.colour[c]);
        } else {
            body->chooseColour();
        }
    }
    for (int k = 0; k < scene.activeBodies; ++k) activateNextBody();
}
