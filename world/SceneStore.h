#pragma once

#include <memory>

class Box;
class SoftBody;
class Sphere;
class World;

/// The owner of every soft body and scene object that any world builds.
///
/// Worlds hold plain pointers and share them freely between copies, and the
/// viewer's start-up deliberately abandons the global world's first build.
/// Rather than leak those bodies and objects, this store keeps each one from
/// the moment it is built until process exit, when it releases them all:
/// nothing is freed while the program runs (a pointer taken from any world
/// stays valid), and nothing is left unreachable at exit.
namespace sceneStore {

SoftBody* keep(std::unique_ptr<SoftBody> body);
Box* keep(std::unique_ptr<Box> box);
Sphere* keep(std::unique_ptr<Sphere> sphere);

/// Frees every prepared body and every object of `world` now. For a world
/// that is being let go: no world still in use may refer to any of them
/// (a copy of `world` holds the same pointers). Pointers the store does not
/// keep are left alone.
void release(const World& world);

/// Bodies and objects kept so far (for tests and diagnostics).
int bodyCount();
int objectCount();

}  // namespace sceneStore
