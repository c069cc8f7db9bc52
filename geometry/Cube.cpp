#include "geometry/Cube.h"

bool Cube::contains(Vector3 p)
{
    return position.x <= p.x && p.x <= position.x + side && position.y <= p.y && p.y <= position.y + side &&
           position.z <= p.z && p.z <= position.z + side;
}
