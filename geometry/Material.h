#pragma once

/// The common preamble of every object's OpenGL drawing: black clear colour,
/// smooth shading, then the front material: ambient and diffuse both
/// `colour` (RGBA), specular white, and the given shininess.
void applyMaterial(const float colour[4], float shininess);
