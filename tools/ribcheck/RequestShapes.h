#pragma once

// The requests a RIB stream may contain and the arguments each one takes
// before its parameter list.

#include <string>

namespace ribcheck {

/// What follows the positional arguments of a request.
enum class ParameterList {
    none,       ///< nothing
    plain,      ///< token/value pairs, one element per token (shaders, options)
    primitive,  ///< token/value pairs whose element counts follow the geometry
};

/// Where a request may stand among the blocks, as renderers enforce it.
enum class Placement {
    anywhere,         ///< the stream's own requests: not even counted in a motion block
    block,            ///< a Begin or End request, with rules of its own
    option,           ///< an option or camera request: only outside the world
    attribute,        ///< anywhere, in objects too, but never moving
    movingAttribute,  ///< an attribute or transform that can also be moving
    geometry,         ///< only in the world or an object; can be moving
    light,            ///< only in the world, not in objects; can be moving
    lightSwitch,      ///< Illuminate: only in the world, not in objects, never moving
    shader,           ///< anywhere but in objects; can be moving
    texture,          ///< a texture file to make: anywhere but in objects and motion
};

/// The argument letters:
///   f  a number; a run of n letters f also accepts one array of n numbers
///   i  a whole number
///   s  a string
///   h  a light handle: a whole number or a string
///   B  a basis: a name, or an array of 16 numbers
///   F  an array of numbers, I an array of whole numbers, S an array of strings
///   [ ]  an optional group, present when its first argument is an array
struct RequestShape {
    const char* name;
    const char* letters;
    const char* argumentNames;  ///< one space-separated name per letter, for messages
    ParameterList parameters;
    Placement placement;
};

/// The shape of the request `name`, or null when RIB has no such request.
const RequestShape* findRequest(const std::string& name);

}  // namespace ribcheck
