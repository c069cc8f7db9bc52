#pragma once

#include <string>
#include <vector>

/// An RGB picture, 3 bytes a pixel, rows from the bottom up as OpenGL reads them.
struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
};

/// The window's drawn picture (the buffer being drawn, before it is shown),
/// `width` × `height` pixels. A window of another size is cropped or
/// padded with black so that its top-left corner stays in place.
Picture readWindow(int windowWidth, int windowHeight, int width, int height);

/// Writes `picture` as an 8-bit RGB PNG, top row first. The file appears
/// under its name only once it is whole. On failure returns false with the
/// reason in `problem`, and leaves no file behind.
bool writePng(const std::string& path, const Picture& picture, std::string& problem);

/// "DIR/blorp-SCENE-STEP.png" (no "DIR/" when `directory` is empty), or,
/// when that file exists, the first free "...-STEP-2.png", "-3", ...: a
/// second shot of the same step keeps the first.
std::string screenshotPath(const std::string& directory, int scene, long step);
