#pragma once

#include "tools/textures/Patterns.h"

#include <string>

// Writes image as an uncompressed 8-bit RGB TIFF, the plainest form every
// texture tool reads. The picture goes to a scratch file beside path that is
// renamed over path only once it is complete, so a failure never leaves a
// truncated texture under the final name. On failure returns false and sets
// problem to one line naming the file and the cause.
bool writeRgbTiff(const std::string& path, const RgbImage& image, std::string& problem);
