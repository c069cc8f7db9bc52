// blorp-textures OUTDIR: draws the textures the exported frames name,
// "blorp.tif" (the sheets and chains) and "ss021.tif" (the ceiling), into
// OUTDIR as plain RGB TIFF. Renderers that need their own texture format get
// them converted by blorp-assets.

#include "tools/textures/Patterns.h"
#include "tools/textures/TiffWriter.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>

namespace {

constexpr int kTextureSize = 512;
constexpr const char* kUsage = "usage: blorp-textures OUTDIR";

struct Texture {
    const char* name;
    RgbImage (*draw)(int size);
};

constexpr Texture kTextures[] = {
    {"blorp.tif", drawJelly},
    {"ss021.tif", drawCeilingTiles},
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0)) {
        std::printf("%s\n  writes OUTDIR/blorp.tif and OUTDIR/ss021.tif (%dx%d RGB TIFF)\n", kUsage, kTextureSize,
                    kTextureSize);
        return 0;
    }
    if (argc != 2 || argv[1][0] == '\0' || argv[1][0] == '-') {
        std::fprintf(stderr, "blorp-textures: %s\n%s\n",
                     argc < 2 ? "no output folder given" : "expected one output folder", kUsage);
        return 2;
    }
    const std::string folder = argv[1];
    struct stat info;
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        std::fprintf(stderr, "blorp-textures: %s is not a folder\n%s\n", folder.c_str(), kUsage);
        return 2;
    }

    int status = 0;
    for (const Texture& texture : kTextures) {
        std::string problem;
        if (!writeRgbTiff(folder + "/" + texture.name, texture.draw(kTextureSize), problem)) {
            std::fprintf(stderr, "blorp-textures: %s\n", problem.c_str());
            status = 1;
        }
    }
    return status;
}
