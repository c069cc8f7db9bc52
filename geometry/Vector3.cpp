#include "geometry/Vector3.h"

#include <cmath>
#include <iostream>

double Vector3::length() const { return std::sqrt(x * x + y * y + z * z); }

Vector3 Vector3::normalized() const
{
    const double len = length();
    if (len == 0.0) return {0.0, 0.0, 0.0};
    return *this / len;
}

void Vector3::print() const { std::cerr << '(' << x << ',' << y << ',' << z << ')'; }
