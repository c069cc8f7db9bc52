// Where each request may stand among the blocks, beyond the pairing of their
// Begin and End: the rules renderers enforce before they read the geometry.

#include "tools/ribcheck/RibChecker.h"

#include <cstring>

namespace ribcheck {

namespace {
bool isNamed(const char* name, const char* wanted) { return std::strcmp(name, wanted) == 0; }

bool isBlockEnd(const std::string& name) { return name.size() > 3 && name.compare(name.size() - 3, 3, "End") == 0; }

bool canMove(Placement placement)
{
    switch (placement) {
    case Placement::movingAttribute:
    case Placement::geometry:
    case Placement::light:
    case Placement::shader: return true;
    default: return false;
    }
}

/// An object definition is instanced later under the attributes of the
/// place it is used in, so it holds only geometry and what shapes it.
bool objectMayHold(Placement placement, const std::string& name)
{
    switch (placement) {
    case Placement::anywhere:
    case Placement::attribute:
    case Placement::movingAttribute:
    case Placement::geometry: return true;
    case Placement::block:
        return name != "FrameBegin" && name != "WorldBegin" && name != "ObjectBegin";
    default: return false;
    }
}
}  // namespace

const RibChecker::Block* RibChecker::innermost(const char* begin) const
{
    for (auto open = blocks.rbegin(); open != blocks.rend(); ++open) {
        if (isNamed(open->begin, begin)) return &*open;
    }
    return nullptr;
}

std::string RibChecker::inside(const Block& block)
{
    return std::string(" inside the ") + block.begin + " of line " + std::to_string(block.line);
}

void RibChecker::checkPlacement(const Request& request, Placement placement)
{
    // One problem per request: the first rule it breaks says enough.
    const std::string& name = request.name;
    Block* motion = !blocks.empty() && isNamed(blocks.back().begin, "MotionBegin") ? &blocks.back() : nullptr;
    if (motion != nullptr && placement != Placement::anywhere && !isBlockEnd(name)) {
        if (!canMove(placement)) {
            problem(request.line, name + inside(*motion) + ", where only requests that can be moving may stand");
            motion->holdsMisplaced = true;
            return;
        }
        ++motion->heldRequests;
    }
    const Block* object = innermost("ObjectBegin");
    if (object != nullptr && !isBlockEnd(name) && !objectMayHold(placement, name)) {
        problem(request.line, name + inside(*object) + ", which holds only geometry and the attributes of its shape");
        return;
    }

    const Block* world = innermost("WorldBegin");
    switch (placement) {
    case Placement::option:
        if (world != nullptr) {
            problem(request.line, name + inside(*world) + ": options and the camera are set before WorldBegin");
        }
        return;
    case Placement::geometry:
        if (world == nullptr && object == nullptr) {
            problem(request.line, name + " outside the world: geometry belongs in the world or in an object");
        }
        return;
    case Placement::light:
    case Placement::lightSwitch:
        if (world == nullptr) problem(request.line, name + " outside the world: lights belong in the world");
        return;
    case Placement::block: break;
    default: return;
    }

    if (name == "SolidBegin" && world == nullptr && object == nullptr) {
        problem(request.line, "SolidBegin outside the world: a solid is geometry, in the world or in an object");
    } else if (name == "WorldBegin") {
        // A world opens only at the top level or directly inside a frame.
        for (auto open = blocks.rbegin(); open != blocks.rend(); ++open) {
            if (!isNamed(open->begin, "FrameBegin")) {
                problem(request.line, "WorldBegin" + inside(*open) +
                                          ": a world opens only at the top level or directly inside a frame");
                break;
            }
        }
    } else if (name == "FrameBegin") {
        const Block* enclosing = world != nullptr ? world : innermost("FrameBegin");
        if (enclosing != nullptr) {
            problem(request.line, "FrameBegin" + inside(*enclosing) + ": a frame opens only outside frames and worlds");
        }
    }
}

void RibChecker::checkMotionCount(const Block& motion, int line)
{
    // After a misplaced request the count would only repeat that fault.
    if (motion.motionTimes < 0 || motion.holdsMisplaced || motion.heldRequests == motion.motionTimes) return;
    problem(line, "MotionEnd: the MotionBegin of line " + std::to_string(motion.line) + " gave " +
                      std::to_string(motion.motionTimes) + " times and the block holds " +
                      std::to_string(motion.heldRequests) + (motion.heldRequests == 1 ? " request" : " requests"));
}

}  // namespace ribcheck
