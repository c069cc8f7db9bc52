#include "world/SceneStore.h"

#include "geometry/Box.h"
#include "geometry/Sphere.h"
#include "softbody/SoftBody.h"
#include "world/World.h"

#include <algorithm>

#include <vector>

namespace sceneStore {
namespace {
// Scene objects have no virtual destructor (nothing may delete them through
// GenericObject), so each kind is kept, and released, by its own type.
struct Store {
    std::vector<std::unique_ptr<SoftBody>> bodies;
    std::vector<std::unique_ptr<Box>> boxes;
    std::vector<std::unique_ptr<Sphere>> spheres;
};

// Created on first use, which is inside the first world's construction, so
// it is destroyed after every world with static storage duration.
Store& store()
{
    static Store instance;
    return instance;
}

template <typename T>
T* append(std::vector<std::unique_ptr<T>>& list, std::unique_ptr<T> item)
{
    list.push_back(std::move(item));
    return list.back().get();
}
}  // namespace

SoftBody* keep(std::unique_ptr<SoftBody> body) { return append(store().bodies, std::move(body)); }
Box* keep(std::unique_ptr<Box> box) { return append(store().boxes, std::move(box)); }
Sphere* keep(std::unique_ptr<Sphere> sphere) { return append(store().spheres, std::move(sphere)); }

namespace {
template <typename T, typename Pointer>
void erase(std::vector<std::unique_ptr<T>>& list, const std::vector<Pointer*>& gone)
{
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const std::unique_ptr<T>& item) {
                                  const Pointer* p = item.get();
                                  return std::find(gone.begin(), gone.end(), p) != gone.end();
                              }),
               list.end());
}
}  // namespace

void release(const World& world)
{
    erase(store().bodies, world.preparedBodies);
    erase(store().boxes, world.objects);
    erase(store().spheres, world.objects);
}

int bodyCount() { return int(store().bodies.size()); }
int objectCount() { return int(store().boxes.size() + store().spheres.size()); }

}  // namespace sceneStore
