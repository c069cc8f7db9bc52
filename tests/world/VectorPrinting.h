#pragma once
// Lets failing assertions on Vector3 values show the components.

#include "geometry/Vector3.h"

#include <ostream>

inline void PrintTo(const Vector3& v, std::ostream* os) { *os << '(' << v.x << ", " << v.y << ", " << v.z << ')'; }
