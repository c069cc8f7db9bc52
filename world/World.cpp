#include "world/World.h"

#include "geometry/Box.h"
#include "geometry/GenericObject.h"
#include "softbody/SoftBody.h"
#include "world/BodyContactPhase.h"
#include "world/SceneStore.h"

World::World() : World(kDefaultScene) {}

World::World(int scene)
{
    buildScene(scene);
    // The colour index is the body's position in the prepared list; it must
    // be set before chooseColour, which logs an "r,g,b:" line from index 3 on.
    for (size_t j = 0; j < preparedBodies.size(); ++j) {
        SoftBody* body = preparedBodies[j];
        body->colourIndex = int(j);
        body->enableGravity();
        body->setSceneObjects(&objects);
        body->chooseColour();
    }
    activateNextBody();
}

void World::activateNextBody()
{
    if (size_t(activatedCount) < preparedBodies.size()) {
        activeBodies.push_back(preparedBodies[size_t(activatedCount)]);
        ++activatedCount;
    }
}

void World::step()
{
    if (collidesBodies && activeBodies.size() > 1) {
        if (!contactPhase) contactPhase = std::make_shared<BodyContactPhase>();
        bodyContacts = contactPhase->step(activeBodies, timeStep);
        return;
    }
    bodyContacts = 0;
    // Without contact bodies never interact, so each is finished before the next starts.
    // advance() is computeSpringForces() followed by step(), done in one
    // cache-friendly sweep (and on two threads for large bodies), same bits.
    for (SoftBody* body : activeBodies) body->advance(timeStep);
}

void World::draw()
{
    // Objects first: without a depth buffer the drawing order decides what
    // shows, and the glass bodies blend additively over the objects.
    drawObjects();
    for (SoftBody* body : activeBodies) {
        if (springView)
            body->drawSprings();
        else
            body->draw();
    }
}

void World::drawObjects()
{
    for (GenericObject* object : objects) object->draw();
}

void World::pushSide(int side)
{
    for (SoftBody* body : activeBodies) body->sidePush(side);
}

void World::mousePush(int side)
{
    // Only a push of the smallest-x side, the one the exported arrow shows, marks it.
    arrowPending = side == 0;
    pushSide(side);
}

void World::kickCorner(Vector3 v)
{
    for (SoftBody* body : activeBodies) body->addRootVelocity(v);
}

void World::kickUp()
{
    arrowPending = true;
    if (activeBodies.empty()) return;
    SoftBody* first = activeBodies.front();
    // Mass point (0, 1, 1) exists only with at least two layers along y and z.
    if (first->nodesY < 2 || first->nodesZ < 2) return;
    first->node(0, 1, 1)->velocity += Vector3(0.0, kKickUpSpeed, 0.0);
}

void World::addTable(Vector3 corner, double width, double height, double depth)
{
    const double t = height / 7.0;  // thickness of the top and of each leg
    auto add = [this](const Vector3& at, double w, double h, double d) {
        objects.push_back(sceneStore::keep(std::make_unique<Box>(at, w, h, d)));
    };
    add(corner + Vector3(0.0, height - t, 0.0), width, t, depth);
    add(corner, t, height - t, t);
    add(corner + Vector3(width - t, 0.0, 0.0), t, height - t, t);
    add(corner + Vector3(0.0, 0.0, depth - t), t, height - t, t);
    add(corner + Vector3(width - t, 0.0, depth - t), t, height - t, t);
}
