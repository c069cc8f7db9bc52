#pragma once

#include <memory>

class Box;
class SoftBody;
class Sphere;

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

/// Bodies and objects kept so far (for tests and diagnostics).
int bodyCount();
int objectCount();

}  // namespace sceneStore
