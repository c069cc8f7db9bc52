// The numbered scenes. Every constant here is part of the scene's look and
// behaviour; objects are listed before bodies, each in build order.

#include "geometry/Sphere.h"
#include "softbody/SoftBody.h"
#include "world/SceneStore.h"
#include "world/World.h"

#include <memory>

namespace {
// Most solid bodies share these spring constants; sheets are softer-damped.
constexpr double kStiffness = 600.0;
constexpr double kLightDamping = 0.01;
constexpr double kSheetDamping = 0.5;

struct Cells {
    int x, y, z;
};

/// A body with mass point (0, 0, 0) at `corner`.
std::unique_ptr<SoftBody> cornerBody(Cells cells, Vector3 corner, double spacing, double stiffness,
                                     double damping, double mass)
{
    return std::make_unique<SoftBody>(cells.x, cells.y, cells.z, corner.x, corner.y, corner.z, spacing,
                                      stiffness, damping, mass);
}

/// A body centred on the origin.
std::unique_ptr<SoftBody> centredBody(Cells cells, double spacing, double stiffness, double damping, double mass)
{
    return std::make_unique<SoftBody>(cells.x, cells.y, cells.z, spacing, stiffness, damping, mass);
}
}  // namespace

void World::buildScene(int scene)
{
    auto sphere = [this](Vector3 centre, double radius) {
        objects.push_back(sceneStore::keep(std::make_unique<Sphere>(centre, radius)));
    };
    // Each body is built (and logs its construction) at the moment it is added.
    auto body = [this](std::unique_ptr<SoftBody> built) {
        preparedBodies.push_back(sceneStore::keep(std::move(built)));
    };

    switch (scene) {
    case 0:
        addTable(Vector3(0.0, -4.0, -2.0), 4.0, 3.0, 3.0);
        body(cornerBody({6, 3, 6}, Vector3(-0.1, 1.0, 0.0), 0.3, kStiffness, kLightDamping, 0.5));
        body(cornerBody({3, 3, 3}, Vector3(0.0, 0.0, -0.6), 0.4, kStiffness, kLightDamping, 0.5));
        body(cornerBody({6, 1, 1}, Vector3(-1.0, 0.0, -0.3), 0.3, kStiffness, kLightDamping, 0.42));
        body(cornerBody({6, 6, 6}, Vector3(1.0, 0.0, -0.75), 0.375, kStiffness, kLightDamping, 0.3));
        break;
    case 1:
        addTable(Vector3(-2.0, -4.0, -1.5), 4.0, 3.0, 3.0);
        body(cornerBody({75, 0, 57}, Vector3(-2.625, -0.3, -1.995), 0.07, 800.0, kSheetDamping, 1.0));
        body(cornerBody({6, 3, 6}, Vector3(-1.2, 0.0, -1.2), 0.4, kStiffness, kLightDamping, 0.5));
        break;
    case 2:
        sphere(Vector3(-1.0, -1.5, 0.0), 1.0);
        body(centredBody({24, 0, 24}, 0.15, kStiffness, kSheetDamping, 1.0));
        body(cornerBody({3, 1, 3}, Vector3(-1.5, 0.0, 0.0), 0.75, kStiffness, kLightDamping, 0.5));
        body(cornerBody({3, 3, 3}, Vector3(-0.6, 0.0, -0.6), 0.4, kStiffness, kLightDamping, 0.5));
        break;
    case 3:
        sphere(Vector3(-1.5, 3.0, 0.0), 0.9);
        sphere(Vector3(1.5, 1.5, 0.0), 0.8);
        sphere(Vector3(-1.5, 0.5, 0.0), 1.0);
        sphere(Vector3(1.5, -0.5, 0.0), 0.9);
        sphere(Vector3(-1.0, -1.5, 0.0), 1.0);
        body(cornerBody({3, 3, 1}, Vector3(-0.9, 5.0, -0.5), 0.75, kStiffness, kLightDamping, 0.5));
        break;
    case 4:
        // Starts just above the floor plane, so it rests on it instead of falling.
        body(cornerBody({6, 6, 6}, Vector3(-1.2, -3.9999, -1.2), 0.4, kStiffness, kLightDamping, 0.5));
        break;
    case 5: {
        // A hanging curtain: the top two rows of the 13 x 19 sheet are held.
        std::unique_ptr<SoftBody> curtain =
            cornerBody({12, 18, 0}, Vector3(-4.8, -4.0, 0.0), 0.4, 2000.0, kSheetDamping, 0.5);
        for (int i = 0; i <= 12; ++i) {
            curtain->fixNode(i, 18, 0);
            curtain->fixNode(i, 17, 0);
        }
        body(std::move(curtain));
        break;
    }
    case 7:
        sphere(Vector3(-1.0, -1.5, 0.0), 1.3);
        body(cornerBody({6, 3, 6}, Vector3(-1.5, 0.0, 0.0), 0.3, kStiffness, kLightDamping, 0.5));
        body(cornerBody({3, 3, 3}, Vector3(-0.6, 0.0, -0.6), 0.4, kStiffness, kLightDamping, 0.5));
        body(cornerBody({6, 6, 6}, Vector3(-2.0, 1.0, -1.5), 0.4, kStiffness, kLightDamping, 0.3));
        body(cornerBody({9, 1, 1}, Vector3(-3.0, 1.0, 0.35), 0.3, kStiffness, kLightDamping, 0.3));
        body(cornerBody({3, 6, 3}, Vector3(-3.0, 1.0, -0.5), 0.5, kStiffness, kLightDamping, 0.5));
        break;
    case 8:
        sphere(Vector3(0.0, -1.5, 0.0), 1.0);
        body(cornerBody({24, 0, 24}, Vector3(-0.7, 0.0, -1.8), 0.15, kStiffness, kSheetDamping, 1.0));
        body(centredBody({24, 0, 24}, 0.15, kStiffness, kSheetDamping, 1.0));
        break;
    case 9:
        addTable(Vector3(-2.0, -4.0, -1.5), 4.0, 3.0, 3.0);
        body(cornerBody({54, 0, 42}, Vector3(-2.7, -0.3, -2.1), 0.1, 800.0, kSheetDamping, 1.0));
        body(cornerBody({6, 1, 6}, Vector3(-1.2, 0.0, -1.2), 0.4, kStiffness, kLightDamping, 0.5));
        break;
    case 10:
        addTable(Vector3(-1.3, -4.0, -1.5), 4.0, 3.0, 3.0);
        body(cornerBody({3, 1, 3}, Vector3(0.0, 0.0, -0.5), 0.4, kStiffness, kLightDamping, 0.4));
        break;
    case 11:
        sphere(Vector3(1.5, 1.5, 0.0), 0.8);
        addTable(Vector3(-1.3, -4.0, -1.5), 3.0, 3.0, 3.0);
        body(centredBody({2, 2, 2}, 0.4, 700.0, kLightDamping, 0.3));
        break;
    case 12:
        // The default: a 3 x 2 x 2 block spanning (-1.5, -1, -1) to (1.5, 1, 1).
        body(centredBody({3, 2, 2}, 1.0, 700.0, kLightDamping, 0.3));
        break;
    default:
        // Scene 6 and every number outside the catalogue: an empty room.
        break;
    }
}
