#include "geometry/GenericObject.h"

bool GenericObject::contains(Vector3) { return false; }
Vector3 GenericObject::normalAt(Vector3 p, Vector3) { return p; }
void GenericObject::print() {}
void GenericObject::draw() {}
void GenericObject::writeRib() {}
