#pragma once

// Procedural pictures for the textures the exported frames name. Every
// picture is a pure function of its size (no random generator, no clock), so
// the renders made from them are reproducible.

#include <cstdint>
#include <vector>

// An 8-bit RGB picture, rows top to bottom, three bytes per pixel.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    RgbImage(int w, int h) : width(w), height(h), pixels(std::size_t(w) * std::size_t(h) * 3) {}
    std::uint8_t* at(int x, int y) { return &pixels[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3]; }
};

// A raspberry jelly seen close up: deep red with cloudy depth, round bubbles
// with bright glints and darker rims. It tiles seamlessly, so a mesh whose
// texture coordinates run past 1 shows no seams. size must be a power of two.
RgbImage drawJelly(int size);

// Acoustic ceiling tiles: an 8 × 8 grid of off-white tiles with bevelled,
// shaded joints, fissure speckles and a slight shade difference from tile to
// tile. Tiles seamlessly. size must be a power of two, at least 64.
RgbImage drawCeilingTiles(int size);
