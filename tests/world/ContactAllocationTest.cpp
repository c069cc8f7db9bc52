// Contact between bodies keeps its tables from step to step: a step with
// contact asks the heap for no more than the same step without, but when a
// table has to grow past the largest size it has had, which happens ever
// more rarely. Every allocation of this test program is counted.
#include "world/World.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

namespace {
std::atomic<long> allocations{0};

// Scene 7's five bodies, which start inside each other and are in contact
// for their first few hundred steps: each step's allocations, and the
// contacts answered in all of them.
std::pair<std::vector<long>, long> allocationsOfSteps(bool collides, int steps)
{
    std::unique_ptr<World> world;
    {
        testing::internal::CaptureStderr();
        world = std::make_unique<World>(7);
        testing::internal::GetCapturedStderr();
    }
    while (world->activeBodies.size() < world->preparedBodies.size()) world->activateNextBody();
    world->collidesBodies = collides;
    std::vector<long> counts;
    long contacts = 0;
    for (int s = 0; s < steps; ++s) {
        const long before = allocations.load();
        world->step();
        counts.push_back(allocations.load() - before);
        contacts += world->bodyContacts;
    }
    return {counts, contacts};
}
}  // namespace

void* operator new(std::size_t size)
{
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

TEST(BodyContactTables, StepsWithContactAllocateOnlyToGrowPastTheirLargest)
{
    // The first step sets the tables up, and a few later ones grow them as
    // the five spread apart; a table made or grown at every step would show
    // in every step.
    constexpr int kSteps = 400;
    const auto [with, contacts] = allocationsOfSteps(true, kSteps);
    const auto [without, none] = allocationsOfSteps(false, kSteps);
    EXPECT_GT(contacts, 0) << "the bodies must meet for the test to tell anything";
    EXPECT_EQ(none, 0);
    int growing = 0;
    for (int s = 1; s < kSteps; ++s) growing += with[size_t(s)] > without[size_t(s)];
    EXPECT_LE(growing, kSteps / 10) << "steps that allocate more with contact than without";
}
